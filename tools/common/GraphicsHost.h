// What the tools that draw share: the graphics library and a game-style window (on
// the offscreen video driver when there is no display), the renderer made in it with
// the game's shared buffers, and textures painted pixel by pixel.
#pragma once

#include <cstdint>

#include "platform/d3d8/backend.h"
#include "platform/win32.h"
#include "render/Device.h"
#include "render/Renderer.h"

namespace tools {

class GraphicsWindow
{
public:
    // `tool` prefixes the messages of what could not be made.
    GraphicsWindow(const char* tool, const char* title, int width, int height);
    ~GraphicsWindow();
    GraphicsWindow(const GraphicsWindow&) = delete;
    GraphicsWindow& operator=(const GraphicsWindow&) = delete;

    bool Ready() const { return window && d3d; }

    HMODULE library = nullptr;
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
};

// The renderer at `width` x `height` (the same back buffer full screen when the desktop
// is too small for such a window), its shared vertex and index buffers made; empty,
// with a message, when it cannot be made.
CRefPtr<CRenderer> MakeRenderer(const char* tool, const GraphicsWindow& host, int width, int height);

// A one-level managed A8R8G8B8 texture whose texel (x, y) is pixel(x, y), an
// 0xAARRGGBB value; empty when it cannot be made.
template <class Pixel>
CRefPtr<CTexture> PaintTexture(CDevice& device, const char* name, int w, int h, Pixel&& pixel)
{
    CRefPtr<CTexture> texture = device.CreateTexture(name, UINT(w), UINT(h), 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    if (!texture)
        return texture;
    D3DLOCKED_RECT locked{};
    if (texture->texture->LockRect(0, &locked, nullptr, 0) != D3D_OK)
        return CRefPtr<CTexture>();
    for (int y = 0; y < h; ++y)
    {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < w; ++x)
            row[x] = pixel(x, y);
    }
    texture->texture->UnlockRect(0);
    return texture;
}

// A square texture painted from the texel centres' positions in 0..1.
template <class Shade>
CRefPtr<CTexture> ShadeTexture(CDevice& device, const char* name, int size, Shade&& shade)
{
    return PaintTexture(device, name, size, size, [&](int x, int y) {
        return shade((float(x) + 0.5f) / float(size), (float(y) + 0.5f) / float(size));
    });
}

} // namespace tools
