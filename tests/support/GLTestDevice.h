// The raw device of the tests and benchmarks that draw with the real OpenGL backend:
// the graphics library's Direct3D object, and a windowed device on a test window with
// an X8R8G8B8 back buffer, a 16-bit depth buffer and presents that do not wait.
#pragma once

#include "platform/d3d8.h"
#include "platform/win32.h"
#include "tests/support/TestWindow.h"

namespace test_support {

// The Direct3D object of a loaded graphics library; null when it has none.
inline IDirect3D8* CreateDirect3D(HMODULE library)
{
    auto create = reinterpret_cast<PFN_Direct3DCreate8>(GetProcAddress(library, "Direct3DCreate8"));
    return create ? create(D3D_SDK_VERSION) : nullptr;
}

// The present parameters of a windowed `width` x `height` frame on `window`.
inline D3DPRESENT_PARAMETERS WindowedPresentation(HWND window, UINT width, UINT height)
{
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return p;
}

// A hardware device presenting that frame.
inline HRESULT CreateWindowedDevice(IDirect3D8* d3d, HWND window, UINT width, UINT height, IDirect3DDevice8** device)
{
    D3DPRESENT_PARAMETERS p = WindowedPresentation(window, width, height);
    return d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, device);
}

} // namespace test_support
