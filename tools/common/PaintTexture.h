// Textures painted pixel by pixel, for the tools and tests that draw made-up scenes.
#pragma once

#include <cstdint>

#include "render/Device.h"

namespace tools {

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
