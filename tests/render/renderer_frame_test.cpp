// The renderer's frames on the recording backend: the game frame's layer order, its
// clears and default states, the engine's own layers, and the two whole-picture
// frames (loading screen, faded picture).
#include "renderer_fixture.h"

#include <cstring>

#include "render/FrameLayers.h"
#include "render/SpriteShape.h"

namespace {

// Stands in for the modules of the other subsystems and for the engine's layers: each
// call leaves a mark in the call record and turns depth writes on, as the modules do,
// so that every depth-write switch of the frame shows in the record.
struct RecordingLayers
{
    RecordingLayers(CRenderer& r, platform::D3DRecorder& rec) : renderer(r), recorder(rec) {}

    void Mark(const std::string& what)
    {
        recorder.calls.push_back("layer " + what);
        renderer.device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    }

    bool BlackBackground() { return black; }
    void Background() { Mark("background"); }
    void ParticlesAlphaTested(int n) { Mark("particles " + std::to_string(n) + " alpha-tested"); }
    void ParticlesBlended(int n) { Mark("particles " + std::to_string(n) + " blended"); }
    void SpriteBatch(int n) { Mark("batch " + std::to_string(n)); }
    void SpriteListOpaque(int n) { Mark("list " + std::to_string(n) + " opaque"); }
    void SpriteListBlended(int n) { Mark("list " + std::to_string(n) + " blended"); }
    void Fader() { Mark("fader"); }
    void SandGlass() { Mark("sand glass"); }
    void Caps() { Mark("tokens"); }
    void CapsChains() { Mark("chains"); }
    void Forms() { Mark("forms"); }
    void Texts(int pass) { Mark("texts " + std::to_string(pass)); }

    CRenderer& renderer;
    platform::D3DRecorder& recorder;
    bool black = false;
};

TEST_F(RendererTest, FrameDrawsTheLayersInTheirFixedOrder)
{
    MakeRenderer();
    RecordingLayers layers(*renderer, *recorder);
    EXPECT_EQ(D3D_OK, renderer->RenderFrameWith(layers));

    const std::string z = "SetRenderState(14, 0)";
    const std::vector<std::string> expected = {
        "BeginScene()",
        "layer background",
        "layer particles 1 alpha-tested", z, "layer particles 1 blended",
        "layer batch 1",
        "layer fader",
        "layer particles 2 alpha-tested", z, "layer particles 2 blended",
        "layer sand glass",
        "layer tokens",
        "layer list 1 opaque",
        "layer particles 3 alpha-tested",
        "layer list 1 blended", z,
        "layer particles 3 blended",
        "layer batch 2",
        "layer chains", z,
        "layer texts -1",
        "layer list 2 opaque",
        "layer particles 4 alpha-tested",
        "layer list 2 blended", z,
        "layer particles 4 blended",
        "layer particles 5 alpha-tested",
        "layer forms",
        "layer list 3 opaque", z,
        "layer particles 5 blended",
        "layer list 3 blended",
        "layer batch 3",
        "layer texts 12345", z,
        "layer particles 6 blended",
        "EndScene()",
    };
    EXPECT_EQ(expected, Calls({"layer", z, "BeginScene", "EndScene"}));
    EXPECT_EQ(0, recorder->Count("Present"));
}

TEST_F(RendererTest, FrameSetsTransformsBuffersAndDefaultStatesEveryFrame)
{
    MakeRenderer();
    RecordingLayers layers(*renderer, *recorder);
    ASSERT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
    const std::vector<std::string> prologue = Calls({"SetTransform", "SetIndices", "SetStreamSource", "SetVertexShader"});
    EXPECT_EQ((std::vector<std::string>{"SetTransform(2)", "SetTransform(3)", "SetIndices(buffer, 0)",
                                        "SetStreamSource(0, buffer, 32)", "SetVertexShader(0x242)"}),
              prologue);
    CDevice& d = *renderer->device;
    EXPECT_EQ(0x80u, d.renderState[D3DRS_ALPHAREF]);
    EXPECT_EQ(DWORD(D3DCMP_GREATER), d.renderState[D3DRS_ALPHAFUNC]);
    EXPECT_EQ(DWORD(D3DCULL_NONE), d.renderState[D3DRS_CULLMODE]);
    EXPECT_EQ(DWORD(D3DTOP_DISABLE), d.stageState[1][D3DTSS_COLOROP]);

    // Whatever the last layers left behind is put back at the start of the next frame;
    // what is already in force is not sent again.
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    recorder->ClearCalls();
    ASSERT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
    EXPECT_EQ(1, recorder->Count("SetRenderState", "15, 0"));
    EXPECT_EQ(1, recorder->Count("SetRenderState", "20, 6"));
    EXPECT_EQ(1, recorder->Count("SetTextureStageState", "0, 1, 4"));
    EXPECT_EQ(0, recorder->Count("SetRenderState", "24,"));
    EXPECT_EQ(0, recorder->Count("SetIndices"));
    EXPECT_EQ(1, recorder->Count("SetVertexShader"));
}

TEST_F(RendererTest, FrameClearsBarsAndPicture)
{
    struct Case
    {
        const char* name;
        UINT width, height;
        bool black;
        DWORD clearTarget;
        std::vector<std::string> expected;
    };
    const std::string colour = "Clear(0, 3, 0x4040ff, 1, 0)";
    const Case cases[] = {
        {"4:3: no bars", 800, 600, false, 1, {colour}},
        {"16:9: black bars, then the picture",
         1280,
         720,
         false,
         1,
         {"SetViewport(0, 0, 1280, 720, 0, 1)", "Clear(0, 1, 0x0, 1, 0)", "SetViewport(160, 0, 960, 720, 0, 1)",
          colour}},
        {"5:4: no bars", 1280, 1024, false, 1, {colour}},
        {"scene with its own projection: black whatever the colour", 800, 600, true, 1, {"Clear(0, 3, 0x0, 1, 0)"}},
        {"no colour clear: depth only", 800, 600, false, 0, {"Clear(0, 2, 0x4040ff, 1, 0)"}},
    };
    recorder->adapters = {WideAdapter()};
    MakeRenderer();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(1, renderer->SetVideoMode(1, c.width, c.height, D3DFMT_X8R8G8B8));
        renderer->clearTarget = c.clearTarget;
        recorder->ClearCalls();
        RecordingLayers layers(*renderer, *recorder);
        layers.black = c.black;
        ASSERT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
        EXPECT_EQ(c.expected, Calls({"SetViewport", "Clear"}));
    }
}


TEST_F(RendererTest, EngineLayersDrawOnlyWhatIsThereAndEnabled)
{
    MakeRenderer();
    EngineOnlyLayers layers(*renderer);
    // Nothing handed over yet (the loading frames run before Init sets the modules).
    EXPECT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
    EXPECT_EQ(0, recorder->Count("DrawIndexedPrimitive"));

    CRefPtr<CTexture> texture = renderer->device->CreateTexture("T", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    CRefPtr<CSpriteList> list(new CSpriteList(renderer->device, vertexBuffer, indexBuffer));
    list->Add(MakeRef<CSpriteShape>(0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 0xFFFFFFFFu, texture, 0));
    CRefPtr<CSpriteShape> blended = MakeRef<CSpriteShape>(5.0f, 0.0f, 0.0f, 10.0f, 10.0f, 0xFFFFFFFFu, texture, 1);
    blended->layer = 1;
    list->Add(blended);
    renderer->spriteLists[1] = list;

    struct Case
    {
        int32_t enabled;
        int draws;
    };
    for (const Case& c : {Case{1, 2}, Case{0, 0}})
    {
        list->enabled = c.enabled;
        recorder->ClearCalls();
        EXPECT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
        EXPECT_EQ(c.draws, recorder->Count("DrawIndexedPrimitive")) << "enabled " << c.enabled;
    }
}

// A sand glass draws its two passes with the device and the shared buffers; one
// without passes is skipped.
struct GlassWithPasses
{
    void DrawPass1(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> v, CRefPtr<CIndexBuffer> i)
    {
        calls.push_back(d.IsValid() && v.IsValid() && i.IsValid() ? "pass 1" : "pass 1 without resources");
    }
    void DrawPass2(CRefPtr<CDevice>& d, const CRefPtr<CVertexBuffer>&, CRefPtr<CIndexBuffer>)
    {
        calls.push_back(d.IsValid() ? "pass 2" : "pass 2 without device");
    }
    std::vector<std::string> calls;
};

TEST_F(RendererTest, SandGlassDrawsBothPasses)
{
    MakeRenderer();
    GlassWithPasses glass;
    DrawSandGlassPasses(glass, *renderer);
    EXPECT_EQ((std::vector<std::string>{"pass 1", "pass 2"}), glass.calls);
}

// ---------------------------------------------------------------------------------
// Whole-picture frames
// ---------------------------------------------------------------------------------
std::vector<CVertex> ReadVertices(const CRefPtr<CVertexBuffer>& vb, unsigned first, unsigned count)
{
    std::vector<CVertex> out(count);
    BYTE* data = nullptr;
    if (vb->buffer->Lock(first * sizeof(CVertex), count * sizeof(CVertex), &data, D3DLOCK_READONLY) == D3D_OK)
    {
        std::memcpy(out.data(), data, count * sizeof(CVertex));
        vb->buffer->Unlock();
    }
    return out;
}

std::vector<uint16_t> ReadIndices(const CRefPtr<CIndexBuffer>& ib, unsigned first, unsigned count)
{
    std::vector<uint16_t> out(count);
    BYTE* data = nullptr;
    if (ib->buffer->Lock(first * 2, count * 2, &data, D3DLOCK_READONLY) == D3D_OK)
    {
        std::memcpy(out.data(), data, count * 2);
        ib->buffer->Unlock();
    }
    return out;
}

TEST_F(RendererTest, LoadingScreenPictureAndProgressBar)
{
    MakeRenderer();
    CRefPtr<CTexture> picture =
        renderer->device->CreateTexture("Loading", 1024, 1024, 1, 0, D3DPOOL_MANAGED, D3DFMT_X8R8G8B8);
    // Something else already wrote into the shared buffers this frame.
    void* p = nullptr;
    ASSERT_EQ(D3D_OK, vertexBuffer->Lock(10, &p, false));
    vertexBuffer->Unlock();
    ASSERT_EQ(D3D_OK, indexBuffer->Lock(30, &p, false));
    indexBuffer->Unlock();

    struct Case
    {
        float progress;
        float right;
        float uRight;
    };
    for (const Case& c : {Case{0.0f, -132.5f, 1.0f / 512.0f}, Case{0.5f, -0.5f, 1.0f / 512.0f + 132.0f / 1024.0f},
                          Case{1.0f, 131.5f, 1.0f / 512.0f + 264.0f / 1024.0f}})
    {
        SCOPED_TRACE(c.progress);
        recorder->ClearCalls();
        ASSERT_EQ(D3D_OK, renderer->DrawLoadingScreen(picture, c.progress));
        const unsigned s = vertexBuffer->lockStart;
        const unsigned is = indexBuffer->lockStart;
        EXPECT_EQ(1, recorder->Count("DrawIndexedPrimitive",
                                     "4, " + std::to_string(s) + ", 8, " + std::to_string(is) + ", 4"));
        std::vector<CVertex> v = ReadVertices(vertexBuffer, s, 8);
        const float expected[8][4] = {
            {-512.5f, 384.5f, 0.0f, 0.0f},
            {511.5f, 384.5f, 1.0f, 0.0f},
            {511.5f, -383.5f, 1.0f, 0.75f},
            {-512.5f, -383.5f, 0.0f, 0.75f},
            {-132.5f, -257.5f, 1.0f / 512.0f, 0.783203125f},
            {c.right, -257.5f, c.uRight, 0.783203125f},
            {c.right, -305.5f, c.uRight, 0.830078125f},
            {-132.5f, -305.5f, 1.0f / 512.0f, 0.830078125f},
        };
        for (int i = 0; i < 8; ++i)
        {
            EXPECT_FLOAT_EQ(expected[i][0], v[i].x) << i;
            EXPECT_FLOAT_EQ(expected[i][1], v[i].y) << i;
            EXPECT_EQ(0.0f, v[i].z);
            EXPECT_FLOAT_EQ(expected[i][2], v[i].u) << i;
            EXPECT_FLOAT_EQ(expected[i][3], v[i].v) << i;
            EXPECT_EQ(0xFFFFFFFFu, v[i].colour);
        }
        const std::vector<uint16_t> indices = ReadIndices(indexBuffer, is, 12);
        const unsigned order[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(s + order[i], indices[i]) << i;
    }
    EXPECT_EQ(0u, renderer->device->renderState[D3DRS_ALPHABLENDENABLE]);
    EXPECT_EQ(0u, renderer->device->renderState[D3DRS_ALPHATESTENABLE]);
    EXPECT_EQ(picture->texture, renderer->device->boundTexture[0]);
    EXPECT_EQ(1, recorder->Count("Clear", "0, 3, 0x0"));
    EXPECT_EQ(1, recorder->Count("EndScene"));
}

TEST_F(RendererTest, FadedPictureGreyLevels)
{
    MakeRenderer();
    CRefPtr<CTexture> picture =
        renderer->device->CreateTexture("Splash", 1024, 1024, 1, 0, D3DPOOL_MANAGED, D3DFMT_X8R8G8B8);
    struct Case
    {
        float level;
        D3DCOLOR colour;
    };
    const Case cases[] = {
        {0.0f, 0xFF000000u}, {0.5f, 0xFF7F7F7Fu}, {1.0f, 0xFFFFFFFFu},
        {2.0f, 0xFFFFFFFFu},  // out of range: held at unchanged, never spilling into other channels
        {-1.0f, 0xFF000000u},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.level);
        recorder->ClearCalls();
        ASSERT_EQ(D3D_OK, renderer->DrawFadedPicture(picture, c.level));
        const unsigned s = vertexBuffer->lockStart;
        EXPECT_EQ(1, recorder->Count("DrawIndexedPrimitive", "4, " + std::to_string(s) + ", 4, " +
                                                                 std::to_string(indexBuffer->lockStart) + ", 2"));
        std::vector<CVertex> v = ReadVertices(vertexBuffer, s, 4);
        for (const CVertex& vertex : v)
            EXPECT_EQ(c.colour, vertex.colour);
        EXPECT_FLOAT_EQ(-512.5f, v[0].x);
        EXPECT_FLOAT_EQ(1.0f, v[2].v); // the whole picture, not its top 768 rows
        EXPECT_FLOAT_EQ(-383.5f, v[3].y);
    }
}

// The window turns black as soon as the device exists, before any buffer or picture.
TEST_F(RendererTest, BlackFrameBeforeAnythingLoads)
{
    MakeRenderer();
    renderer->vertexBuffer.Reset();
    renderer->indexBuffer.Reset();
    recorder->ClearCalls();
    EXPECT_EQ(D3D_OK, renderer->PresentBlackFrame());
    EXPECT_EQ((std::vector<std::string>{"BeginScene()", "Clear(0, 3, 0x0, 1, 0)", "EndScene()"}),
              Calls({"BeginScene", "Clear", "EndScene"}));
    EXPECT_EQ(1, recorder->Count("Present"));
    EXPECT_EQ(0, recorder->Count("DrawIndexedPrimitive"));

    recorder->Fail("BeginScene", D3DERR_INVALIDCALL);
    recorder->ClearCalls();
    EXPECT_EQ(D3DERR_INVALIDCALL, renderer->PresentBlackFrame());
    EXPECT_EQ(0, recorder->Count("Present"));
}

TEST_F(RendererTest, PictureFramesOnALostDeviceOrWithoutBuffers)
{
    MakeRenderer();
    CRefPtr<CTexture> picture;
    for (HRESULT level : {D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET})
    {
        recorder->cooperativeLevel = level;
        recorder->ClearCalls();
        EXPECT_EQ(level, renderer->DrawLoadingScreen(picture, 0.5f));
        EXPECT_EQ(level, renderer->DrawFadedPicture(picture, 0.5f));
        EXPECT_EQ(0, recorder->Count("Reset")); // the caller's frame resets, not these
        EXPECT_EQ(0, recorder->Count("BeginScene"));
    }
    recorder->cooperativeLevel = D3D_OK;

    // A failed index lock unlocks the vertex lock and draws nothing.
    indexBuffer->ReleaseBuffer();
    recorder->ClearCalls();
    const int locks = vertexBuffer->locks;
    const DWORD cursor = vertexBuffer->cursor;
    EXPECT_EQ(D3DERR_INVALIDCALL, renderer->DrawLoadingScreen(picture, 0.5f));
    EXPECT_EQ(0, recorder->Count("BeginScene"));
    EXPECT_EQ(locks, vertexBuffer->locks);
    EXPECT_EQ(cursor + 8, vertexBuffer->cursor);

    renderer->indexBuffer.Reset();
    EXPECT_EQ(D3DERR_INVALIDCALL, renderer->DrawFadedPicture(picture, 0.5f));
    EXPECT_EQ(0, recorder->Count("BeginScene"));
}

TEST_F(RendererTest, LoadingScreenOnAWideBackBufferClearsTheBars)
{
    recorder->adapters = {WideAdapter()};
    MakeRenderer();
    ASSERT_EQ(1, renderer->SetVideoMode(1, 1920, 1080, D3DFMT_X8R8G8B8));
    recorder->ClearCalls();
    ASSERT_EQ(D3D_OK, renderer->DrawLoadingScreen(CRefPtr<CTexture>(), 0.25f));
    EXPECT_EQ((std::vector<std::string>{"SetViewport(0, 0, 1920, 1080, 0, 1)", "Clear(0, 1, 0x0, 1, 0)",
                                        "SetViewport(240, 0, 1440, 1080, 0, 1)", "Clear(0, 3, 0x0, 1, 0)"}),
              Calls({"SetViewport", "Clear"}));
}

} // namespace
