// The device wrapper on the real OpenGL backend (SDL_VIDEODRIVER=offscreen) with the
// game's shared buffers, for tests that draw a whole 1024 x 768 virtual screen and read
// the frame back: the scene set-up every 2D pass expects, and the frame's pixels
// addressed in virtual units (origin at the centre, y up).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "render/Device.h"
#include "tests/support/TestWindow.h"
#include "tools/common/ImageWrite.h"
#include "tools/common/PaintTexture.h"

namespace test_support {

// A read-back frame, rows from the top, as 0xAARRGGBB.
struct OffscreenFrame
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;

    // The back-buffer column and row under a virtual-screen point.
    int PixelX(float x) const { return int((x + 512.0f) * float(width) / 1024.0f); }
    int PixelY(float y) const { return int((384.0f - y) * float(height) / 768.0f); }

    // The pixel under a virtual-screen point.
    uint32_t At(float x, float y) const { return pixels[size_t(PixelY(y)) * size_t(width) + size_t(PixelX(x))]; }

    bool SavePng(const std::string& path) const { return tools::WriteArgbPng(path, pixels, width, height); }
};

using tools::PaintTexture;

class OffscreenDevice
{
public:
    explicit OffscreenDevice(int backWidth = 1024, int backHeight = 768) : width(backWidth), height(backHeight)
    {
        platform::UseGLBackend();
        window = CreateTestWindow(width, height);
        if (!window)
            return;
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d)
            return;
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        if (device->Create(UINT(width), UINT(height), D3DFMT_X8R8G8B8, false, false, window, D3DFMT_D16, 1,
                           D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0) != D3D_OK)
        {
            device.Reset();
            return;
        }
        vertexBuffer = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                                  D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
    }

    // Later tests of the binary get the recording backend unless they choose.
    ~OffscreenDevice()
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
        if (window)
            DestroyWindow(window);
        platform::UseRecordingBackend();
    }

    OffscreenDevice(const OffscreenDevice&) = delete;
    OffscreenDevice& operator=(const OffscreenDevice&) = delete;

    bool Ready() const { return device && vertexBuffer && indexBuffer; }

    // Clears colour and depth, begins the scene and sets the virtual screen: the
    // game's orthographic 1024 x 768 projection, identity view and world.
    HRESULT BeginScene(D3DCOLOR background = 0xFF000000u)
    {
        D3DXMATRIX projection, identity;
        D3DXMatrixOrthoLH(&projection, 1024.0f, 768.0f, -1000.0f, 1000.0f);
        D3DXMatrixIdentity(&identity);
        HRESULT hr = device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
        if (hr != D3D_OK)
            return hr;
        hr = device->device->BeginScene();
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_WORLD, &identity);
        return hr;
    }

    // The shared buffers and vertex format bound, no culling, no lighting, depth
    // writes on: what the sprite, form and particle passes expect of the frame.
    void BindSharedBuffers()
    {
        device->SetIndices(indexBuffer, 0);
        device->SetStreamSource(vertexBuffer);
        device->SetVertexShader(kVertexFormat);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, 0);
        device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    }

    // BeginScene and the rest of the fixed set-up the renderer's frame makes: alpha
    // test reference, texture times diffuse in stage 0 with linear filtering, straight
    // alpha blending, and the shared buffers bound.
    void BeginRendererFrame(D3DCOLOR background = 0xFF000000u)
    {
        BeginScene(background);
        CDevice& dev = *device;
        dev.SetRenderState(D3DRS_ALPHAREF, 0x80);
        dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        dev.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        dev.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        dev.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        dev.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        dev.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        dev.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        dev.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        dev.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
        dev.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
        dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        BindSharedBuffers();
    }

    HRESULT EndScene() { return device->device->EndScene(); }

    // The whole back buffer, read before Present.
    bool ReadBack(OffscreenFrame& frame) const
    {
        frame.width = width;
        frame.height = height;
        return platform::ReadBackBuffer(device->device, 0, 0, width, height, frame.pixels);
    }

    void Present() { device->device->Present(nullptr, nullptr, nullptr, nullptr); }

    const int width;
    const int height;
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
};

} // namespace test_support
