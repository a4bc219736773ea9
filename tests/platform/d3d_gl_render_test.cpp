// Drawing through the OpenGL device and reading the back buffer: vertex colours, blend
// modes, alpha test, texture addressing and pixel mapping, depth and viewport clears.
#include <cmath>

#include "tests/platform/d3d_gl_fixture.h"

TEST_F(GLDeviceTest, VertexColoursKeepTheirByteOrder)
{
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF102030));
    EXPECT_TRUE(NearRgb(0x102030, Pixel(64, 64), 0));
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFFFF8001));
    EXPECT_TRUE(NearRgb(0xFF8001, Pixel(3, 100), 0));
}

TEST_F(GLDeviceTest, EachBlendModeMixesWithTheBackground)
{
    const DWORD background = 0xFF406080;
    const DWORD source = 0x80C0A020; // alpha 128
    auto channel = [](DWORD c, int shift) { return ((c >> shift) & 0xff) / 255.0; };
    const struct
    {
        const char* name;
        DWORD src, dst;
        double (*mix)(double s, double d, double a);
    } modes[] = {
        {"normal", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, [](double s, double d, double a) { return s * a + d * (1 - a); }},
        {"add", D3DBLEND_SRCALPHA, D3DBLEND_ONE, [](double s, double d, double a) { return s * a + d; }},
        {"mul", D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, [](double s, double d, double) { return d * (1 - s); }},
        {"screen", D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR, [](double s, double d, double) { return s + d * (1 - s); }},
        {"one one", D3DBLEND_ONE, D3DBLEND_ONE, [](double s, double d, double) { return s + d; }},
        {"modulate", D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, [](double s, double d, double) { return s * d; }},
    };
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    for (const auto& m : modes)
    {
        ClearAll(background);
        device->SetRenderState(D3DRS_SRCBLEND, m.src);
        device->SetRenderState(D3DRS_DESTBLEND, m.dst);
        ASSERT_EQ(D3D_OK, Quad(16, 16, 112, 112, 0, source));
        DWORD expected = 0;
        for (int shift = 0; shift < 24; shift += 8)
        {
            double v = m.mix(channel(source, shift), channel(background, shift), channel(source, 24));
            v = std::min(1.0, std::max(0.0, v));
            expected |= static_cast<DWORD>(std::lround(v * 255)) << shift;
        }
        EXPECT_TRUE(NearRgb(expected, Pixel(64, 64), 1)) << m.name;
        EXPECT_TRUE(NearRgb(background, Pixel(8, 8), 0)) << m.name;
    }
}

TEST_F(GLDeviceTest, AlphaTestGreaterPassesOnlyAboveTheReference)
{
    device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    const struct
    {
        DWORD reference, alpha;
        bool drawn;
    } cases[] = {
        {128, 128, false}, {128, 129, true}, {128, 127, false}, {128, 255, true},
        {1, 1, false},     {1, 2, true},     {0, 0, false},     {0, 1, true},
    };
    for (const auto& c : cases)
    {
        ClearAll(0xFF000000);
        device->SetRenderState(D3DRS_ALPHAREF, c.reference);
        ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, (c.alpha << 24) | 0x00FFFFFF));
        EXPECT_EQ(c.drawn, (Pixel(64, 64) & 0xffffff) == 0xffffff) << "ref " << c.reference << " alpha " << c.alpha;
    }
}

TEST_F(GLDeviceTest, TextureAddressingWrapsOrClampsPerStage)
{
    IDirect3DTexture8* t = MakeTexture(2, 1, {0xFFFF0000, 0xFF00FF00});
    device->SetTexture(0, t);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    const struct
    {
        DWORD address;
        DWORD at[4]; // x = 16, 48, 80, 112: u = 0.25, 0.75, 1.25, 1.75
    } cases[] = {
        {D3DTADDRESS_WRAP, {0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00}},
        {D3DTADDRESS_CLAMP, {0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00}},
    };
    for (const auto& c : cases)
    {
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, c.address);
        ClearAll(0xFF000000);
        ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFFFFFFFF, 0, 0, 2, 1));
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(NearRgb(c.at[i], Pixel(16 + 32 * i, 64), 0)) << "address " << c.address << " x " << 16 + 32 * i;
    }
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(GLDeviceTest, TexelsMapOneToOneWithBilinearFiltering)
{
    // With the half-pixel shift, pixel centres meet texel centres: bilinear filtering
    // returns the texels unmixed.
    std::vector<DWORD> texels(16);
    for (int i = 0; i < 16; ++i)
        texels[i] = 0xFF000000 | (i * 16) << 16 | (255 - i * 16) << 8 | (i % 2 ? 0xFF : 0);
    IDirect3DTexture8* t = MakeTexture(4, 4, texels);
    device->SetTexture(0, t);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(10, 20, 14, 24, 0, 0xFFFFFFFF));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_TRUE(NearRgb(texels[y * 4 + x], Pixel(10 + x, 20 + y), 1)) << x << "," << y;
    EXPECT_TRUE(NearRgb(0, Pixel(9, 20), 0));
    EXPECT_TRUE(NearRgb(0, Pixel(14, 23), 0));
    device->SetTexture(0, nullptr);
    t->Release();
}

TEST_F(GLDeviceTest, DepthTestIsOnByDefaultWithLessOrEqual)
{
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, -500, 0xFFFF0000)); // depth 0.25
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 500, 0xFF0000FF));  // depth 0.75: hidden
    EXPECT_TRUE(NearRgb(0xFF0000, Pixel(64, 64), 0));
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, -500, 0xFF00FF00)); // equal depth passes
    EXPECT_TRUE(NearRgb(0x00FF00, Pixel(64, 64), 0));

    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 500, 0xFF0000FF));
    EXPECT_TRUE(NearRgb(0x0000FF, Pixel(64, 64), 0));

    // Without depth writes a near quad leaves the far depth behind it.
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    ClearAll(0xFF000000);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, -500, 0xFFFF0000));
    device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 500, 0xFF0000FF));
    EXPECT_TRUE(NearRgb(0x0000FF, Pixel(64, 64), 0));
}

// The device leaves off tests and blends that cannot change a pixel; the ones that can
// must still act: a far quad behind depth written earlier (in this frame or left by a
// partial clear), transparent texels of a texture under an alpha test, and a blend whose
// alpha comes from the vertices.
TEST_F(GLDeviceTest, TestsAndBlendsThatCanChangeAPixelStillAct)
{
    device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, 64, kSize, -500, 0xFFFF0000)); // writes depth 0.25 on the left
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF0000FF)); // depth 0.5: only the right shows
    EXPECT_TRUE(NearRgb(0xFF0000, Pixel(10, 64), 0));
    EXPECT_TRUE(NearRgb(0x0000FF, Pixel(100, 64), 0));

    // A clear of part of the depth buffer to 0 keeps the quad out of that part.
    ClearAll(0xFF000000);
    D3DVIEWPORT8 left{0, 0, 64, kSize, 0.0f, 1.0f};
    device->SetViewport(&left);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.0f, 0);
    device->EndScene();
    D3DVIEWPORT8 all{0, 0, kSize, kSize, 0.0f, 1.0f};
    device->SetViewport(&all);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF00FF00));
    EXPECT_TRUE(NearRgb(0x000000, Pixel(10, 64), 0));
    EXPECT_TRUE(NearRgb(0x00FF00, Pixel(100, 64), 0));

    // Alpha test and blend over an opaque texture with one transparent half.
    std::vector<DWORD> texels(4 * 4, 0xFFFFFFFF);
    for (int y = 0; y < 4; ++y)
        texels[y * 4] = texels[y * 4 + 1] = 0x00FFFFFF;
    IDirect3DTexture8* holes = MakeTexture(4, 4, texels);
    device->SetTexture(0, holes);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    device->SetRenderState(D3DRS_ALPHAREF, 0x80);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFFFF0000));
    EXPECT_TRUE(NearRgb(0x000000, Pixel(10, 64), 0));
    EXPECT_TRUE(NearRgb(0xFF0000, Pixel(100, 64), 0));
    device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);

    IDirect3DTexture8* solid = MakeTexture(4, 4, std::vector<DWORD>(16, 0xFFFFFFFF));
    device->SetTexture(0, solid);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0x80FF0000)); // half-transparent vertices
    EXPECT_TRUE(NearRgb(0x800000, Pixel(64, 64), 2));
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF0000FF)); // opaque: replaces
    EXPECT_TRUE(NearRgb(0x0000FF, Pixel(64, 64), 0));
    device->SetTexture(0, nullptr);
    holes->Release();
    solid->Release();
}

TEST_F(GLDeviceTest, ClearStaysInsideTheViewportAndIgnoresWriteMasks)
{
    ClearAll(0xFF000000);
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    D3DVIEWPORT8 box{32, 16, 40, 20, 0.0f, 1.0f};
    ASSERT_EQ(D3D_OK, device->SetViewport(&box));
    device->BeginScene();
    ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 0.0f, 0));
    device->EndScene();
    const struct
    {
        int x, y;
        bool inside;
    } points[] = {{32, 16, true}, {71, 35, true}, {50, 25, true}, {31, 16, false},
                  {72, 35, false}, {40, 15, false}, {40, 36, false}, {0, 0, false}};
    for (const auto& p : points)
        EXPECT_TRUE(NearRgb(p.inside ? 0xFF0000 : 0, Pixel(p.x, p.y), 0)) << p.x << "," << p.y;

    // The depth inside was cleared to 0 despite ZWRITEENABLE 0: nothing draws there.
    D3DVIEWPORT8 all{0, 0, kSize, kSize, 0.0f, 1.0f};
    device->SetViewport(&all);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF00FF00));
    EXPECT_TRUE(NearRgb(0xFF0000, Pixel(50, 25), 0));
    EXPECT_TRUE(NearRgb(0x00FF00, Pixel(0, 0), 0));
}

TEST_F(GLDeviceTest, DrawingIntoAViewportMapsTheProjectionIntoIt)
{
    ClearAll(0xFF000000);
    D3DVIEWPORT8 right{64, 0, 64, 128, 0.0f, 1.0f};
    device->SetViewport(&right);
    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, 64, 128, -1000, 1000);
    device->SetTransform(D3DTS_PROJECTION, &ortho);
    // A quad over the whole logical screen fills only the viewport.
    ASSERT_EQ(D3D_OK, Quad(32, 0, 96, 128, 0, 0xFFFFFFFF));
    EXPECT_TRUE(NearRgb(0, Pixel(63, 64), 0));
    EXPECT_TRUE(NearRgb(0xFFFFFF, Pixel(64, 64), 0));
    EXPECT_TRUE(NearRgb(0xFFFFFF, Pixel(127, 127), 0));
}

TEST_F(GLDeviceTest, SecondStageModulatesTheFirst)
{
    IDirect3DTexture8* a = MakeTexture(1, 1, {0xFFFF8040});
    IDirect3DTexture8* b = MakeTexture(1, 1, {0xFF808080});
    device->SetTexture(0, a);
    device->SetTexture(1, b);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFFFFFFFF));
    EXPECT_TRUE(NearRgb(0x804020, Pixel(64, 64), 1));
    // Stage 0 selecting the diffuse colour alone ignores its texture.
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF123456));
    EXPECT_TRUE(NearRgb(0x123456, Pixel(64, 64), 0));
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    a->Release();
    b->Release();
}

TEST_F(GLDeviceTest, BadDrawsAreRefused)
{
    ClearAll(0xFF000000);
    // Outside a scene.
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2));
    device->BeginScene();
    // Indices past the index buffer, and an index naming a vertex past the stream.
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 91, 2));
    BYTE* p = nullptr;
    ASSERT_EQ(D3D_OK, ib->Lock(0, 6, &p, 0));
    const WORD bad[3] = {0, 1, 64};
    std::memcpy(p, bad, sizeof bad);
    ib->Unlock();
    EXPECT_EQ(D3DERR_INVALIDCALL, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1));
    device->EndScene();
    // A lock beyond the capacity fails and leaves the pointer alone.
    p = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(64 * 32 - 16, 32, &p, 0));
    EXPECT_EQ(nullptr, p);
}

TEST_F(GLDeviceTest, ResetKeepsManagedResourcesAndRestoresDefaults)
{
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    D3DPRESENT_PARAMETERS p = test_support::WindowedPresentation(window, kSize, kSize);
    ASSERT_EQ(D3D_OK, device->Reset(&p));
    DWORD zfunc = 0;
    device->GetRenderState(D3DRS_ZFUNC, &zfunc);
    EXPECT_EQ(static_cast<DWORD>(D3DCMP_LESSEQUAL), zfunc);
    EXPECT_EQ(D3D_OK, device->TestCooperativeLevel());
    // The managed buffers still draw.
    device->SetStreamSource(0, vb, 32);
    device->SetIndices(ib, 0);
    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, kSize, kSize, -1000, 1000);
    device->SetTransform(D3DTS_PROJECTION, &ortho);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFF00FF00));
    EXPECT_TRUE(NearRgb(0x00FF00, Pixel(64, 64), 0));
    EXPECT_EQ(D3D_OK, device->Present(nullptr, nullptr, window, nullptr));
}

TEST_F(GLDeviceTest, EachStageReadsItsOwnCoordinateSetAndStripsDraw)
{
    IDirect3DTexture8* split = MakeTexture(2, 1, {0xFFFF0000, 0xFF00FF00});
    device->SetTexture(1, split);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2); // diffuse only
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    // Set 0 runs across the texture; set 1 stays on its right texel: stage 1 must use set 1.
    const float h = kSize / 2.0f + 0.5f, l = -kSize / 2.0f - 0.5f;
    GLTestVertex strip[4] = {{l, h, 0, 0xFFFFFFFF, 0, 0, 0.75f, 0.5f},
                             {h - 1, h, 0, 0xFFFFFFFF, 1, 0, 0.75f, 0.5f},
                             {l, l + 1, 0, 0xFFFFFFFF, 0, 1, 0.75f, 0.5f},
                             {h - 1, l + 1, 0, 0xFFFFFFFF, 1, 1, 0.75f, 0.5f}};
    const WORD indices[4] = {0, 1, 2, 3};
    BYTE* p = nullptr;
    ASSERT_EQ(D3D_OK, vb->Lock(0, sizeof strip, &p, D3DLOCK_DISCARD));
    std::memcpy(p, strip, sizeof strip);
    vb->Unlock();
    ASSERT_EQ(D3D_OK, ib->Lock(0, sizeof indices, &p, D3DLOCK_DISCARD));
    std::memcpy(p, indices, sizeof indices);
    ib->Unlock();
    ClearAll(0xFF000000);
    device->BeginScene();
    ASSERT_EQ(D3D_OK, device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 4, 0, 2));
    device->EndScene();
    EXPECT_TRUE(NearRgb(0x00FF00, Pixel(2, 2), 0));
    EXPECT_TRUE(NearRgb(0x00FF00, Pixel(125, 125), 0));
    device->SetTexture(1, nullptr);
    split->Release();
}

// The driver holds a filled texture alone; a later lock reads back exactly the bytes
// written, in every declared format, and the statistics count one upload per fill.
TEST_F(GLDeviceTest, AFilledTextureLocksBackWhatWasWrittenAndIsUploadedOnce)
{
    platform::DeviceStatistics before;
    ASSERT_TRUE(platform::GetDeviceStatistics(device, before));
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5,
                                 D3DFMT_A4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,   D3DFMT_A4L4};
    for (D3DFORMAT format : formats)
    {
        SCOPED_TRACE(format);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(D3D_OK, device->CreateTexture(8, 4, 1, 0, format, D3DPOOL_MANAGED, &texture));
        D3DLOCKED_RECT locked;
        ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, 0));
        std::vector<BYTE> written;
        for (int y = 0; y < 4; ++y)
            for (int i = 0; i < locked.Pitch; ++i)
            {
                BYTE b = static_cast<BYTE>(y * 37 + i * 11);
                if (format == D3DFMT_X8R8G8B8 && i % 4 == 3)
                    b = 0; // the unused byte is not kept
                static_cast<BYTE*>(locked.pBits)[y * locked.Pitch + i] = b;
                written.push_back(b);
            }
        ASSERT_EQ(D3D_OK, texture->UnlockRect(0));
        ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, 0));
        std::vector<BYTE> read(static_cast<const BYTE*>(locked.pBits),
                               static_cast<const BYTE*>(locked.pBits) + written.size());
        EXPECT_EQ(written, read);
        texture->UnlockRect(0);
        texture->Release();
    }
    platform::DeviceStatistics after;
    ASSERT_TRUE(platform::GetDeviceStatistics(device, after));
    EXPECT_EQ(std::size(formats), after.texturesCreated - before.texturesCreated);
    EXPECT_EQ(2 * std::size(formats), after.textureUploads - before.textureUploads);
}
