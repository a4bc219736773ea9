// The renderer's display set-up: the letterbox, the gamma ramp, the choice of video
// mode from the saved settings and the adapter, run-time mode switches and the
// recovery of a lost device.
#include "renderer_fixture.h"

#include <algorithm>
#include <cstring>
#include <functional>


namespace {

TEST(RendererLetterbox, CentresAFourByThreeAreaInEveryBackBuffer)
{
    struct Case
    {
        UINT width, height;
        UINT x, w;
    };
    const Case cases[] = {
        {800, 600, 0, 800},       // 4:3: the whole back buffer
        {1024, 768, 0, 1024},     // 4:3
        {1280, 720, 160, 960},    // 16:9: bars left and right
        {1920, 1080, 240, 1440},  // 16:9
        {1280, 1024, 0, 1280},    // 5:4: taller than 4:3, clamped to the width
        {1366, 768, 171, 1024},   // odd bar widths halve downwards
    };
    for (const Case& c : cases)
    {
        D3DVIEWPORT8 v = CRenderer::LetterboxFor(c.width, c.height);
        EXPECT_EQ(c.x, v.X) << c.width << "x" << c.height;
        EXPECT_EQ(c.w, v.Width) << c.width << "x" << c.height;
        EXPECT_EQ(0u, v.Y);
        EXPECT_EQ(c.height, v.Height);
        EXPECT_EQ(0.0f, v.MinZ);
        EXPECT_EQ(1.0f, v.MaxZ);
    }
}

TEST(RendererGamma, BrightnessCurves)
{
    struct Case
    {
        float brightness;
        std::vector<WORD> start;
    };
    const Case cases[] = {
        {0.5f, {0, 257, 514, 771}},  // linear
        {0.0f, {0, 8, 17, 26}},      // darker, convex
        {1.0f, {0, 1281, 2537}},     // brighter, concave
    };
    for (const Case& c : cases)
    {
        D3DGAMMARAMP ramp;
        CRenderer::BuildGammaRamp(c.brightness, &ramp);
        for (size_t i = 0; i < c.start.size(); ++i)
            EXPECT_EQ(c.start[i], ramp.red[i]) << "b " << c.brightness << " i " << i;
        EXPECT_GE(ramp.red[255], 65535 - 257) << c.brightness;
        for (int i = 1; i < 256; ++i)
            ASSERT_LE(ramp.red[i - 1], ramp.red[i]) << "b " << c.brightness << " i " << i;
        EXPECT_EQ(0, std::memcmp(ramp.red, ramp.green, sizeof ramp.red));
        EXPECT_EQ(0, std::memcmp(ramp.red, ramp.blue, sizeof ramp.red));
    }
    D3DGAMMARAMP linear;
    CRenderer::BuildGammaRamp(0.5f, &linear);
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(i * 257, linear.red[i]) << i;
}

TEST(RendererGamma, ExtremeSettingsStayInRange)
{
    for (float b : {-20.0f, 30.0f})
    {
        D3DGAMMARAMP ramp;
        CRenderer::BuildGammaRamp(b, &ramp);
        EXPECT_EQ(0, ramp.red[0]);
        for (int i = 1; i < 256; ++i)
            ASSERT_LE(ramp.red[i - 1], ramp.red[i]) << "b " << b << " i " << i;
    }
}

TEST_F(RendererTest, BrightnessGoesToTheDeviceAndTheStartRampComesBack)
{
    MakeRenderer();
    renderer->SaveGammaRamp();
    renderer->SetBrightness(0.0f);
    EXPECT_EQ(1, recorder->Count("SetGammaRamp", "0"));
    D3DGAMMARAMP now;
    renderer->device->device->GetGammaRamp(&now);
    EXPECT_EQ(8, now.red[1]);
    EXPECT_EQ(8, now.blue[1]);

    renderer->RestoreGammaRamp();
    renderer->device->device->GetGammaRamp(&now);
    EXPECT_EQ(257, now.red[1]);
}

// Mode negotiation: the settings the start-up passes in, the adapter, and what comes out.
struct ModeCase
{
    const char* name;
    std::function<void(platform::D3DRecorder&)> script;
    VideoSettings in;
    int fullScreen, width, height, colorMode, format, level;
};

VideoSettings In(int fullScreen, int width, int height, int colorMode = -1)
{
    VideoSettings s{};
    s.colorMode = colorMode;
    s.fullScreen = fullScreen;
    s.width = width;
    s.height = height;
    return s;
}

void WideDesktopLevel5(platform::D3DRecorder& r)
{
    platform::RecAdapter a = platform::D3DRecorder::DefaultAdapter();
    for (auto s : {std::make_pair(1280u, 720u), std::make_pair(1366u, 768u), std::make_pair(1920u, 1080u)})
        a.modes.push_back(D3DDISPLAYMODE{s.first, s.second, 60, D3DFMT_X8R8G8B8});
    a.desktop = D3DDISPLAYMODE{1920, 1080, 60, D3DFMT_X8R8G8B8};
    a.caps.PixelShaderVersion = 0x0101;
    a.identifier.VendorId = 0x1002;
    r.adapters = {a};
}

const ModeCase kModeCases[] = {
    {"windowed, no size: the larger window that fits the desktop", nullptr, In(0, 0, 0), 0, 800, 600, 32, 22, 3},
    {"windowed, saved size kept, grade still taken", nullptr, In(0, 640, 480), 0, 640, 480, 32, 22, 3},
    {"windowed, desktop-sized window allowed", nullptr, In(0, 1024, 768), 0, 1024, 768, 32, 22, 3},
    {"windowed, larger than the desktop: largest window size that fits", nullptr, In(0, 1280, 1024), 0, 800, 600,
     32, 22, 3},
    {"windowed, low grade: the smallest window", [](platform::D3DRecorder& r) { r.adapters[0].caps.DevCaps = 0; },
     In(0, 0, 0), 0, 640, 480, 32, 22, 1},
    {"full screen, listed size and depth kept", nullptr, In(1, 800, 600, 32), 1, 800, 600, 32, 22, 3},
    {"full screen, 16 bits", nullptr, In(1, 640, 480, 16), 1, 640, 480, 16, 23, 3},
    {"full screen, unlisted size: chosen by grade (1024 x 768, 16 bits)", nullptr, In(1, 1152, 864, 32), 1, 1024,
     768, 16, 23, 3},
    {"full screen, low grade, no size: 640 x 480, 16 bits",
     [](platform::D3DRecorder& r) { r.adapters[0].caps.DevCaps = 0; }, In(1, 0, 0), 1, 640, 480, 16, 23, 1},
    {"no desktop mode: full screen forced", [](platform::D3DRecorder& r) { r.adapters[0].desktopFails = true; },
     In(0, 0, 0), 1, 1024, 768, 16, 23, 3},
    {"no desktop, no 16-bit modes: size kept, depth from the listed mode",
     [](platform::D3DRecorder& r) {
         r.adapters[0].desktopFails = true;
         r.adapters[0].fullScreenFormats = {D3DFMT_X8R8G8B8};
     },
     In(1, 800, 600, 16), 1, 640, 480, 32, 22, 3},
    {"wide desktop, top grade: the wide 768-line mode", WideDesktopLevel5, In(1, 0, 0), 1, 1366, 768, 32, 22, 5},
    {"wide desktop, windowed: 640 x 480 and 1024 x 768 offered", WideDesktopLevel5, In(0, 0, 0), 0, 1024, 768, 32,
     22, 5},
    {"colour depth asked for in a window is dropped", nullptr, In(0, 800, 600, 16), 0, 800, 600, 32, 22, 3},
};

TEST_F(RendererTest, ModeNegotiation)
{
    for (const ModeCase& c : kModeCases)
    {
        SCOPED_TRACE(c.name);
        recorder->adapters = {platform::D3DRecorder::DefaultAdapter()};
        if (c.script)
            c.script(*recorder);
        VideoSettings s = c.in;
        ASSERT_EQ(D3D_OK, Create(s));
        EXPECT_EQ(c.fullScreen, s.fullScreen);
        EXPECT_EQ(c.width, s.width);
        EXPECT_EQ(c.height, s.height);
        EXPECT_EQ(c.colorMode, s.colorMode);
        EXPECT_EQ(c.format, s.format);
        EXPECT_EQ(c.level, s.hardwareLevel);
        EXPECT_EQ(UINT(c.width), renderer->screenWidth);
        EXPECT_EQ(UINT(c.height), renderer->screenHeight);
        EXPECT_FLOAT_EQ(1024.0f / c.width, renderer->scaleX);
        EXPECT_EQ(float(c.width / 2), renderer->halfWidth);
        EXPECT_EQ(UINT(c.width), renderer->device->present.BackBufferWidth);
        EXPECT_EQ(c.fullScreen ? FALSE : TRUE, renderer->device->present.Windowed);
        renderer.Reset();
    }
}

TEST_F(RendererTest, WindowSizesFollowTheDesktop)
{
    struct Case
    {
        UINT desktopWidth, desktopHeight;
        std::vector<std::pair<UINT, UINT>> sizes;
    };
    const Case cases[] = {
        {1024, 768, {{640, 480}, {800, 600}}},
        {1920, 1080, {{640, 480}, {1024, 768}}},
        {800, 600, {{640, 480}}},
        {640, 480, {{640, 480}}},
    };
    for (const Case& c : cases)
    {
        platform::RecAdapter a = WideAdapter();
        a.modes.push_back(D3DDISPLAYMODE{c.desktopWidth, c.desktopHeight, 60, D3DFMT_X8R8G8B8});
        a.desktop = D3DDISPLAYMODE{c.desktopWidth, c.desktopHeight, 60, D3DFMT_X8R8G8B8};
        recorder->adapters = {a};
        VideoSettings s = Settings(0, 640, 480);
        ASSERT_EQ(D3D_OK, Create(s));
        EXPECT_EQ(c.sizes, renderer->windowSizes) << c.desktopWidth;
    }
}

TEST_F(RendererTest, ProbesOfFullScreenModes)
{
    WideDesktopLevel5(*recorder);
    VideoSettings s = Settings(1, 0, 0);
    ASSERT_EQ(D3D_OK, Create(s));
    const CDisplayModeList& modes = *renderer->device->adapters[0];
    auto at = [&](int probe) {
        int i = renderer->probes[probe];
        return i < 0 ? std::make_pair(0u, 0u)
                     : std::make_pair(UINT(modes.modes[i].width), UINT(modes.modes[i].height));
    };
    EXPECT_EQ(std::make_pair(640u, 480u), at(0));
    EXPECT_EQ(std::make_pair(1024u, 768u), at(1));
    EXPECT_EQ(-1, renderer->probes[2]);
    EXPECT_EQ(std::make_pair(1024u, 768u), at(3));
    EXPECT_EQ(-1, renderer->probes[4]); // no wide 16-bit modes
    EXPECT_EQ(-1, renderer->probes[5]);
    EXPECT_EQ(-1, renderer->probes[6]);
    EXPECT_EQ(std::make_pair(1366u, 768u), at(7));
}

TEST_F(RendererTest, AdapterChoice)
{
    platform::RecAdapter lowOnly = platform::D3DRecorder::DefaultAdapter();
    lowOnly.modes = {D3DDISPLAYMODE{640, 480, 60, D3DFMT_R3G3B2}};
    lowOnly.fullScreenFormats = {D3DFMT_R3G3B2};

    struct Case
    {
        const char* name;
        std::vector<platform::RecAdapter> adapters;
        int asked;
        int used;
    };
    const Case cases[] = {
        {"second adapter kept", {platform::D3DRecorder::DefaultAdapter(), platform::D3DRecorder::DefaultAdapter()},
         1, 1},
        {"8-bit-only adapter replaced by the first usable", {platform::D3DRecorder::DefaultAdapter(), lowOnly}, 1, 0},
        {"unusable first adapter skipped", {lowOnly, platform::D3DRecorder::DefaultAdapter()}, 0, 1},
        {"number past the last", {platform::D3DRecorder::DefaultAdapter()}, 3, 0},
        {"negative number", {platform::D3DRecorder::DefaultAdapter()}, -1, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        recorder->adapters = c.adapters;
        VideoSettings s = Settings(0, 640, 480, -1, c.asked);
        ASSERT_EQ(D3D_OK, Create(s));
        EXPECT_EQ(c.used, s.adapter);
        EXPECT_EQ(c.used, renderer->device->adapter);
        EXPECT_EQ(1, recorder->Count("CreateDevice", std::to_string(c.used)));
        recorder->ClearCalls();
        renderer.Reset();
    }
}

TEST_F(RendererTest, NoUsableAdapterIsReportedAsNotAvailable)
{
    platform::RecAdapter lowOnly = platform::D3DRecorder::DefaultAdapter();
    lowOnly.modes = {D3DDISPLAYMODE{640, 480, 60, D3DFMT_R3G3B2}};
    lowOnly.fullScreenFormats = {D3DFMT_R3G3B2};
    for (const auto& adapters : {std::vector<platform::RecAdapter>{}, std::vector<platform::RecAdapter>{lowOnly}})
    {
        ResetLog();
        recorder->adapters = adapters;
        VideoSettings s = Settings(0, 640, 480);
        EXPECT_EQ(D3DERR_NOTAVAILABLE, Create(s));
        EXPECT_NE(std::string::npos, Log().find("No Direct3D adapter found!\n"));
        EXPECT_EQ(0, recorder->Count("CreateDevice"));
    }
}

TEST_F(RendererTest, DeviceCreationFailureIsReturnedUnchanged)
{
    recorder->Fail("CreateDevice", D3DERR_NOTAVAILABLE, 2);
    VideoSettings s = Settings(0, 640, 480);
    EXPECT_EQ(D3DERR_NOTAVAILABLE, Create(s));
    EXPECT_EQ(2, recorder->Count("CreateDevice"));
}

TEST_F(RendererTest, FullScreenThatCannotBeHadFallsBackToAWindow)
{
    struct Case
    {
        const char* name;
        std::function<void(platform::D3DRecorder&)> script;
    };
    const Case cases[] = {
        {"the device refuses full screen", [](platform::D3DRecorder& r) { r.Fail("CreateDevice", D3DERR_NOTAVAILABLE, 2); }},
        {"no full-screen mode is listed",
         [](platform::D3DRecorder& r) { r.adapters[0].fullScreenFormats.clear(); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetLog();
        recorder->adapters = {platform::D3DRecorder::DefaultAdapter()};
        c.script(*recorder);
        VideoSettings s = Settings(1, 800, 600, 32);
        ASSERT_EQ(D3D_OK, Create(s));
        EXPECT_EQ(0, s.fullScreen);
        EXPECT_EQ(TRUE, renderer->device->present.Windowed);
        EXPECT_NE(std::string::npos, Log().find("playing in a window"));
        renderer.Reset();
    }
}

TEST_F(RendererTest, CreateSetsDefaultStatesViewportAndProjection)
{
    VideoSettings s = Settings(0, 800, 600);
    ASSERT_EQ(D3D_OK, Create(s));
    CDevice& d = *renderer->device;
    EXPECT_EQ(0u, d.renderState[D3DRS_LIGHTING]);
    for (DWORD stage : {0u, 1u})
    {
        EXPECT_EQ(DWORD(D3DTEXF_LINEAR), d.stageState[stage][D3DTSS_MAGFILTER]);
        EXPECT_EQ(DWORD(D3DTEXF_LINEAR), d.stageState[stage][D3DTSS_MINFILTER]);
        EXPECT_EQ(DWORD(D3DTEXF_POINT), d.stageState[stage][D3DTSS_MIPFILTER]);
    }
    EXPECT_EQ(1, recorder->Count("SetViewport", "0, 0, 800, 600, 0, 1"));
    EXPECT_EQ(1, recorder->Count("SetTransform", "256"));
    EXPECT_FLOAT_EQ(2.0f / 1024.0f, renderer->projection._11);
    EXPECT_FLOAT_EQ(2.0f / 768.0f, renderer->projection._22);
    EXPECT_FLOAT_EQ(1.0f / 2000.0f, renderer->projection._33);
    EXPECT_FLOAT_EQ(0.5f, renderer->projection._43);
    EXPECT_EQ(800u, renderer->letterbox.Width);
}

// ---------------------------------------------------------------------------------
// Mode switches
// ---------------------------------------------------------------------------------
TEST_F(RendererTest, FullScreenSwitchTakesTheNearestLargerListedSize)
{
    MakeRenderer();
    struct Case
    {
        UINT width, height;
        UINT modeWidth, modeHeight;
    };
    const Case cases[] = {{800, 600, 800, 600}, {900, 700, 1024, 768}, {2000, 2000, 1024, 768}};
    for (const Case& c : cases)
    {
        recorder->ClearCalls();
        ASSERT_EQ(1, renderer->SetVideoMode(1, c.width, c.height, D3DFMT_X8R8G8B8));
        EXPECT_EQ(c.modeWidth, renderer->modeWidth);
        EXPECT_EQ(c.modeHeight, renderer->screenHeight);
        EXPECT_EQ(c.modeWidth, renderer->device->fullWidth);
        std::string reset = std::to_string(c.modeWidth) + ", " + std::to_string(c.modeHeight) + ", 22, 0";
        EXPECT_EQ(1, recorder->Count("Reset", reset)) << reset;
        EXPECT_EQ(22, renderer->settings.format);
        EXPECT_FLOAT_EQ(1024.0f / c.modeWidth, renderer->scaleX);
    }
    UINT w = 0, h = 0;
    D3DFORMAT f = D3DFMT_UNKNOWN;
    renderer->GetDisplayMode(1, &w, &h, &f);
    EXPECT_EQ(1024u, w);
    EXPECT_EQ(D3DFMT_X8R8G8B8, f);
    renderer->GetDisplayMode(0, &w, &h, &f);
    EXPECT_EQ(1024u, w); // the back buffer in use
    EXPECT_EQ(D3DFMT_X8R8G8B8, f); // the desktop's format
}

TEST_F(RendererTest, WindowedSwitchPicksAnOfferedWindowSize)
{
    struct Case
    {
        UINT desktopWidth, desktopHeight;
        UINT width, height;
        UINT chosenWidth, chosenHeight;
    };
    const Case cases[] = {
        {1024, 768, 800, 600, 800, 600},
        {1024, 768, 1024, 768, 800, 600},  // the last size not larger
        {1024, 768, 320, 200, 640, 480},   // nothing fits: the first
        {640, 480, 1024, 768, 640, 480},   // desktop smaller than every size but the first
    };
    for (const Case& c : cases)
    {
        platform::RecAdapter a = platform::D3DRecorder::DefaultAdapter();
        a.desktop = D3DDISPLAYMODE{c.desktopWidth, c.desktopHeight, 60, D3DFMT_X8R8G8B8};
        recorder->adapters = {a};
        MakeRenderer();
        ASSERT_EQ(1, renderer->SetVideoMode(1, 1024, 768, D3DFMT_X8R8G8B8));
        recorder->ClearCalls();
        ASSERT_EQ(1, renderer->SetVideoMode(0, c.width, c.height, D3DFMT_X8R8G8B8));
        EXPECT_EQ(c.chosenWidth, renderer->screenWidth);
        EXPECT_EQ(c.chosenHeight, renderer->modeHeight);
        std::string reset = std::to_string(c.chosenWidth) + ", " + std::to_string(c.chosenHeight) + ", 22, 1";
        EXPECT_EQ(1, recorder->Count("Reset", reset)) << reset;
        EXPECT_EQ(c.chosenWidth, renderer->fullViewport.Width);
    }
}

TEST_F(RendererTest, SwitchesThatCannotBeMade)
{
    platform::RecAdapter a = platform::D3DRecorder::DefaultAdapter();
    a.desktopFails = true;
    recorder->adapters = {a};
    MakeRenderer(Settings(1, 800, 600, 32));
    EXPECT_EQ(0, renderer->SetVideoMode(0, 640, 480, D3DFMT_X8R8G8B8)); // no desktop: no window
    EXPECT_EQ(0, recorder->Count("Reset"));
    EXPECT_EQ(800u, renderer->screenWidth);

    CRenderer never;
    EXPECT_EQ(0, never.SetVideoMode(1, 800, 600, D3DFMT_X8R8G8B8));
    EXPECT_EQ(D3DERR_INVALIDCALL, never.Present());
}

// ---------------------------------------------------------------------------------
// Device loss
// ---------------------------------------------------------------------------------

TEST_F(RendererTest, ResetRecreatesDefaultPoolResourcesAndReappliesStates)
{
    MakeRenderer();
    CDevice& d = *renderer->device;
    CRefPtr<CTexture> defaultA = d.CreateTexture("A", 4, 4, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> defaultB = d.CreateTexture("B", 4, 4, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> managed = d.CreateTexture("M", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(d.CreateSurface("CursorSurface", 32, 32, D3DFMT_A8R8G8B8).IsValid());
    d.SetRenderState(D3DRS_FOGENABLE, 1);
    d.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    IDirect3DBaseTexture8* oldManaged = managed->texture;
    const int liveDefault = recorder->liveDefault;
    ResetLog();

    recorder->cooperativeLevel = D3DERR_DEVICENOTRESET;
    recorder->ClearCalls();
    EngineOnlyLayers layers(*renderer);
    EXPECT_EQ(D3D_OK, renderer->RenderFrameWith(layers));

    EXPECT_EQ(1, recorder->Count("Reset", "640, 480, 22, 1"));
    EXPECT_EQ(2, recorder->Count("CreateTexture"));
    EXPECT_EQ(1, recorder->Count("CreateVertexBuffer"));
    EXPECT_EQ(1, recorder->Count("CreateIndexBuffer"));
    EXPECT_EQ(liveDefault, recorder->liveDefault);
    EXPECT_EQ(oldManaged, managed->texture);
    EXPECT_NE(nullptr, defaultA->texture);
    EXPECT_NE(nullptr, vertexBuffer->buffer);
    EXPECT_EQ(1, recorder->Count("SetCursorProperties", "0, 0, surface"));
    EXPECT_EQ(1, recorder->Count("SetViewport", "0, 0, 640, 480"));

    // After the reset the states set before it are sent again, then the frame draws.
    const auto& calls = recorder->calls;
    auto at = [&](const std::string& c) { return std::find(calls.begin(), calls.end(), c) - calls.begin(); };
    const auto reset = std::find_if(calls.begin(), calls.end(), [](const std::string& c) {
                           return c.compare(0, 6, "Reset(") == 0;
                       }) - calls.begin();
    EXPECT_GT(at("SetRenderState(28, 1)"), reset);
    EXPECT_GT(at("SetTextureStageState(0, 13, 3)"), reset);
    EXPECT_GT(at("BeginScene()"), at("SetRenderState(28, 1)"));
    EXPECT_EQ(1, recorder->Count("SetCursorPosition"));

    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Device Reset. Now Windowed 640  x 480  22"));
    EXPECT_EQ(std::string::npos, log.find("Cursor surface not found!"));
}

TEST_F(RendererTest, ResetWithoutCursorSurfaceIsOnlyLogged)
{
    MakeRenderer();
    EXPECT_EQ(D3D_OK, renderer->ResetDevice());
    EXPECT_NE(std::string::npos, Log().find("Cursor surface not found!\n"));
    EXPECT_EQ(0, recorder->Count("SetCursorProperties"));
}

TEST_F(RendererTest, LostDeviceDrawsNothing)
{
    MakeRenderer();
    recorder->cooperativeLevel = D3DERR_DEVICELOST;
    EngineOnlyLayers layers(*renderer);
    EXPECT_EQ(D3DERR_DEVICELOST, renderer->RenderFrameWith(layers));
    EXPECT_EQ(0, recorder->Count("BeginScene"));
    EXPECT_EQ(0, recorder->Count("Reset"));
    EXPECT_EQ(0, recorder->Count("SetCursorPosition"));
}

TEST_F(RendererTest, RefusedResetIsTriedAgainNextFrame)
{
    MakeRenderer();
    recorder->cooperativeLevel = D3DERR_DEVICENOTRESET;
    recorder->Fail("Reset", D3DERR_DEVICELOST, 1);
    EngineOnlyLayers layers(*renderer);
    EXPECT_EQ(D3DERR_DEVICELOST, renderer->RenderFrameWith(layers));
    EXPECT_EQ(0, recorder->Count("BeginScene"));
    EXPECT_EQ(nullptr, vertexBuffer->buffer);

    // The runtime now says the device works, but the reset never went through.
    recorder->cooperativeLevel = D3D_OK;
    recorder->ClearCalls();
    EXPECT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
    EXPECT_EQ(1, recorder->Count("Reset"));
    EXPECT_NE(nullptr, vertexBuffer->buffer);
    EXPECT_EQ(1, recorder->Count("SetCursorPosition"));
}

TEST_F(RendererTest, FailedPresentResetsTheDevice)
{
    MakeRenderer();
    EXPECT_EQ(D3D_OK, renderer->Present());
    EXPECT_EQ(0, recorder->Count("Reset"));
    recorder->Fail("Present", D3DERR_DEVICELOST, 1);
    EXPECT_EQ(D3DERR_DEVICELOST, renderer->Present());
    EXPECT_EQ(1, recorder->Count("Reset"));
}

TEST_F(RendererTest, FailedSceneStartEndsTheFrameQuietly)
{
    MakeRenderer();
    recorder->Fail("BeginScene", D3DERR_INVALIDCALL, 1);
    EngineOnlyLayers layers(*renderer);
    EXPECT_EQ(D3D_OK, renderer->RenderFrameWith(layers));
    EXPECT_EQ(0, recorder->Count("Clear"));
    EXPECT_EQ(0, recorder->Count("SetCursorPosition"));
    EXPECT_EQ(0, recorder->Count("EndScene"));
}

} // namespace
