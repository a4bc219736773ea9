// The device wrapper on the OpenGL backend: shared buffers with the append rule, a
// reset that re-creates the default pool, gamma and the cursor image, read back from
// the back buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "platform/win32/sdl_window.h"
#include "render/Device.h"
#include "tests/render/texture_test_files.h"
#include "tests/support/GLTestStart.h"

class GLWrapperTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;

    void SetUp() override
    {
        // The library stays loaded for the process (see LoadOffscreenGraphics).
        HMODULE library = nullptr;
        test_support::StartGLDirect3D(640, 480, library, window, d3d);
        if (IsSkipped() || HasFatalFailure())
            return;
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        D3DFORMAT desktop = D3DFMT_X8R8G8B8;
        ASSERT_EQ(D3D_OK, device->GetDesktopFormat(&desktop));
        ASSERT_EQ(D3D_OK, device->Create(kWidth, kHeight, desktop, false, false, window, D3DFMT_D16, 1,
                                         D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
        EXPECT_EQ(65535u, device->maxVertexIndex);
        vb = device->CreateVertexBuffer(16, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
        ib = device->CreateIndexBuffer(24, D3DFMT_INDEX16, 0x208, D3DPOOL_DEFAULT);
        ASSERT_TRUE(vb.IsValid() && ib.IsValid());
        Prepare();
    }

    void TearDown() override
    {
        ib.Reset();
        vb.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
        platform::DestroyAllWindows();
    }

    void Prepare()
    {
        D3DXMATRIX ortho;
        D3DXMatrixOrthoLH(&ortho, kWidth, kHeight, -1000, 1000);
        device->SetTransform(D3DTS_PROJECTION, &ortho);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetStreamSource(vb);
        device->SetIndices(ib, 0);
        device->SetVertexShader(kVertexFormat);
    }

    // Appends one quad over pixels [x0, x1) x [y0, y1) to the shared buffers and draws it.
    void Quad(int x0, int y0, int x1, int y1, DWORD colour)
    {
        float l = x0 - 0.5f - kWidth / 2.0f, r = x1 - 0.5f - kWidth / 2.0f;
        float t = kHeight / 2.0f - y0 + 0.5f, b = kHeight / 2.0f - y1 + 0.5f;
        void* vp = nullptr;
        void* ip = nullptr;
        ASSERT_EQ(D3D_OK, vb->Lock(4, &vp, false));
        ASSERT_EQ(D3D_OK, ib->Lock(6, &ip, false));
        CVertex* v = static_cast<CVertex*>(vp);
        v[0] = {l, t, 0, colour, 0, 0, 0, 0};
        v[1] = {r, t, 0, colour, 1, 0, 0, 0};
        v[2] = {r, b, 0, colour, 1, 1, 0, 0};
        v[3] = {l, b, 0, colour, 0, 1, 0, 0};
        WORD* i = static_cast<WORD*>(ip);
        const WORD order[6] = {0, 1, 2, 0, 2, 3};
        for (int k = 0; k < 6; ++k)
            i[k] = static_cast<WORD>(vb->lockStart + order[k]);
        vb->Unlock();
        ib->Unlock();
        EXPECT_EQ(D3D_OK, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vb->lockStart, 4, ib->lockStart, 2));
    }

    DWORD Pixel(int x, int y)
    {
        std::vector<uint32_t> out;
        EXPECT_TRUE(platform::ReadBackBuffer(device->device, x, y, 1, 1, out));
        return out.empty() ? 0xDEADBEEF : out[0] & 0xFFFFFF;
    }

    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vb;
    CRefPtr<CIndexBuffer> ib;
};

TEST_F(GLWrapperTest, AppendedAndWrappedRunsDrawWhereTheirIndicesPoint)
{
    device->device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // Four runs of four vertices fill the 16-vertex buffer; the fifth wraps to 0.
    const DWORD colours[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};
    for (int q = 0; q < 5; ++q)
        Quad(q * 30, 10, q * 30 + 20, 30, colours[q]);
    EXPECT_EQ(0u, vb->lockStart);
    EXPECT_EQ(4u, vb->cursor);
    for (int q = 0; q < 5; ++q)
        EXPECT_EQ(colours[q] & 0xFFFFFF, Pixel(q * 30 + 10, 20)) << q;
    device->device->EndScene();
}

TEST_F(GLWrapperTest, AResetRecreatesTheDefaultPoolAndDrawingGoesOn)
{
    CRefPtr<CTexture> blank = device->CreateTexture("Blank", 4, 4, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(blank.IsValid());
    device->ReleaseDefaultPoolResources();
    EXPECT_EQ(nullptr, vb->buffer);
    ASSERT_EQ(D3D_OK, device->Reset());
    EXPECT_NE(nullptr, vb->buffer);
    EXPECT_NE(nullptr, blank->texture);
    EXPECT_TRUE(device->errors.empty());
    Prepare();
    device->device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Quad(0, 0, kWidth, kHeight, 0xFF405060);
    EXPECT_EQ(0x405060u, Pixel(80, 60));
    device->device->EndScene();
    EXPECT_EQ(D3D_OK, device->device->Present(nullptr, nullptr, window, nullptr));
}

// The driver alone holds a texture's pixels: a default-pool texture released for a reset
// and made again comes back from its file, and a lock reads those pixels back from the
// driver; a managed one keeps its pixels through the reset.
TEST_F(GLWrapperTest, TexturesReleasedAndMadeAgainReadBackTheirFilesPixels)
{
    const std::string file = ::testing::TempDir() + "reset_pixels.tga";
    std::vector<uint32_t> pixels(4 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(0x102030u + i * 0x0B0703u);
    ASSERT_TRUE(WriteTga(file, 4, 4, pixels));
    CRefPtr<CTexture> pools[2] = {device->MakeTexture(file, "Default", 1, 0, D3DPOOL_DEFAULT, D3DFMT_UNKNOWN),
                                  device->MakeTexture(file, "Managed", 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN)};
    ASSERT_TRUE(pools[0].IsValid() && pools[1].IsValid());
    device->ReleaseDefaultPoolResources();
    EXPECT_EQ(nullptr, pools[0]->texture);
    ASSERT_EQ(D3D_OK, device->Reset());
    ASSERT_NE(nullptr, pools[0]->texture);
    for (const CRefPtr<CTexture>& t : pools)
    {
        SCOPED_TRACE(t->name);
        D3DLOCKED_RECT r;
        ASSERT_EQ(D3D_OK, t->texture->LockRect(0, &r, nullptr, 0));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
            {
                DWORD texel;
                std::memcpy(&texel, static_cast<BYTE*>(r.pBits) + y * r.Pitch + x * 4, 4);
                EXPECT_EQ(pixels[y * 4 + x], texel & 0xFFFFFF) << x << "," << y;
            }
        ASSERT_EQ(D3D_OK, t->texture->UnlockRect(0));
    }
}

TEST_F(GLWrapperTest, GammaRampAndCursorImage)
{
    D3DGAMMARAMP ramp;
    device->device->GetGammaRamp(&ramp);
    EXPECT_EQ(0, ramp.red[0]);
    EXPECT_EQ(257, ramp.green[1]);
    EXPECT_EQ(65535, ramp.blue[255]);
    for (int i = 0; i < 256; ++i)
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(i * 128);
    device->device->SetGammaRamp(D3DSGR_NO_CALIBRATION, &ramp);
    D3DGAMMARAMP back;
    device->device->GetGammaRamp(&back);
    EXPECT_EQ(0, std::memcmp(&ramp, &back, sizeof ramp));

    CRefPtr<CSurface> cursor = device->CreateSurface("CursorSurface", 32, 32, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(cursor.IsValid());
    EXPECT_EQ(D3D_OK, device->device->SetCursorProperties(0, 0, cursor->surface));
    EXPECT_FALSE(device->device->ShowCursor(TRUE));
    EXPECT_TRUE(device->device->ShowCursor(FALSE));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->device->SetCursorProperties(0, 0, nullptr));
}

TEST_F(GLWrapperTest, FullScreenShowsTheBackBufferScaledWithBlackBars)
{
    // Full screen covers the desktop; the back buffer keeps its size for the game.
    device->fullWidth = kWidth;
    device->fullHeight = kHeight;
    device->present.Windowed = FALSE;
    device->ReleaseDefaultPoolResources();
    ASSERT_EQ(D3D_OK, device->Reset());
    Prepare();
    device->device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Quad(0, 0, kWidth / 2, kHeight, 0xFFFF0000);
    Quad(kWidth / 2, 0, kWidth, kHeight, 0xFF0000FF);
    EXPECT_EQ(0xFF0000u, Pixel(10, 60));
    EXPECT_EQ(0x0000FFu, Pixel(150, 60));
    device->device->EndScene();
    // And back to a window.
    device->present.Windowed = TRUE;
    device->ReleaseDefaultPoolResources();
    ASSERT_EQ(D3D_OK, device->Reset());
    EXPECT_FALSE(platform::IsFullScreenMode(window));
}
