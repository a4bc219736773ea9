// A real OpenGL device (SDL offscreen driver where no other is chosen) with a 128 x 128
// back buffer, a quad drawer in pixel coordinates and back-buffer reads: the fixture of
// the rendering tests. Skips when the graphics library cannot load (no GL at all).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3d8.h"
#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "platform/win32/sdl_window.h"
#include "tests/support/GLTestDevice.h"
#include "tests/support/GLTestStart.h"

struct GLTestVertex
{
    float x, y, z;
    DWORD colour;
    float u, v, u2, v2;
};

class GLDeviceTest : public ::testing::Test
{
protected:
    static constexpr int kSize = 128;

    void SetUp() override
    {
        test_support::StartGLDirect3D(640, 480, library, window, d3d);
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(D3D_OK, test_support::CreateWindowedDevice(d3d, window, kSize, kSize, &device));
        D3DXMATRIX ortho;
        D3DXMatrixOrthoLH(&ortho, kSize, kSize, -1000, 1000);
        device->SetTransform(D3DTS_PROJECTION, &ortho);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, 0);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(64 * 32, D3DUSAGE_WRITEONLY, 0x242, D3DPOOL_MANAGED, &vb));
        ASSERT_EQ(D3D_OK, device->CreateIndexBuffer(96 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib));
        device->SetStreamSource(0, vb, 32);
        device->SetIndices(ib, 0);
        device->SetVertexShader(0x242);
    }

    void TearDown() override
    {
        if (ib)
            ib->Release();
        if (vb)
            vb->Release();
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
        platform::DestroyAllWindows();
        // The library stays loaded (see LoadOffscreenGraphics).
    }

    // Clears the whole back buffer (colour and depth).
    void ClearAll(DWORD colour)
    {
        D3DVIEWPORT8 all{0, 0, kSize, kSize, 0.0f, 1.0f};
        device->SetViewport(&all);
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
        device->EndScene();
    }

    // Draws a quad over pixels [x0, x1) x [y0, y1) (origin top-left) at depth z, with
    // texture coordinates u0..u1, v0..v1 across it.
    HRESULT Quad(int x0, int y0, int x1, int y1, float z, DWORD colour, float u0 = 0, float v0 = 0, float u1 = 1,
                 float v1 = 1)
    {
        float half = kSize / 2.0f;
        float left = x0 - 0.5f - half, right = x1 - 0.5f - half;
        float top = half - y0 + 0.5f, bottom = half - y1 + 0.5f;
        GLTestVertex quad[4] = {{left, top, z, colour, u0, v0, u0, v0},
                                {right, top, z, colour, u1, v0, u1, v0},
                                {right, bottom, z, colour, u1, v1, u1, v1},
                                {left, bottom, z, colour, u0, v1, u0, v1}};
        const WORD indices[6] = {0, 1, 2, 0, 2, 3};
        BYTE* p = nullptr;
        if (FAILED(vb->Lock(0, sizeof quad, &p, D3DLOCK_DISCARD)))
            return D3DERR_INVALIDCALL;
        std::memcpy(p, quad, sizeof quad);
        vb->Unlock();
        if (FAILED(ib->Lock(0, sizeof indices, &p, D3DLOCK_DISCARD)))
            return D3DERR_INVALIDCALL;
        std::memcpy(p, indices, sizeof indices);
        ib->Unlock();
        device->BeginScene();
        HRESULT hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
        device->EndScene();
        return hr;
    }

    DWORD Pixel(int x, int y)
    {
        std::vector<uint32_t> out;
        EXPECT_TRUE(platform::ReadBackBuffer(device, x, y, 1, 1, out));
        return out.empty() ? 0xDEADBEEF : out[0];
    }

    // A one-level managed texture filled from 0xAARRGGBB values, row by row.
    IDirect3DTexture8* MakeTexture(UINT w, UINT h, const std::vector<DWORD>& argb)
    {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t));
        D3DLOCKED_RECT r;
        t->LockRect(0, &r, nullptr, 0);
        for (UINT y = 0; y < h; ++y)
            std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch, &argb[y * w], w * 4);
        t->UnlockRect(0);
        return t;
    }

    HMODULE library = nullptr;
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
};

// Colour channels within `tolerance` of each other (alpha ignored: the back buffer has none).
inline ::testing::AssertionResult NearRgb(DWORD expected, DWORD actual, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        int e = (expected >> shift) & 0xff, a = (actual >> shift) & 0xff;
        if (std::abs(e - a) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "expected 0x" << (expected & 0xffffff) << ", got 0x"
                                                 << (actual & 0xffffff);
    }
    return ::testing::AssertionSuccess();
}
