// Pixel formats shared by both Direct3D backends and the utility library.
#include "platform/d3d8.h"

#include <algorithm>
#include <cstring>
#include <iterator>

bool D3DIsRenderStateDefined(DWORD state)
{
    return std::binary_search(std::begin(kD3DDefinedRenderStates), std::end(kD3DDefinedRenderStates), state);
}

namespace {

D3DFormatLayout Layout(D3DFORMAT f, DWORD bpp, D3DChannelLayout r, D3DChannelLayout g, D3DChannelLayout b,
                       D3DChannelLayout a)
{
    return D3DFormatLayout{f, bpp, r, g, b, a};
}

constexpr D3DChannelLayout kNone{0, 0, 0};

// Spreads an n-bit value over 8 bits by repeating its bits (5-bit 31 -> 255).
DWORD Widen(DWORD v, DWORD bits)
{
    if (bits == 0)
        return 0;
    if (bits >= 8)
        return (v >> (bits - 8)) & 0xff;
    DWORD out = 0;
    int filled = 0;
    while (filled < 8)
    {
        out = (out << bits) | v;
        filled += static_cast<int>(bits);
    }
    return (out >> (filled - 8)) & 0xff;
}

DWORD Channel(const D3DChannelLayout& c, DWORD pixel)
{
    return Widen((pixel & c.mask) >> c.shift, c.bits);
}

DWORD Narrow(const D3DChannelLayout& c, DWORD value8)
{
    if (c.bits == 0)
        return 0;
    DWORD v = c.bits >= 8 ? (value8 << (c.bits - 8)) | (value8 >> (16 - c.bits)) : value8 >> (8 - c.bits);
    return (v << c.shift) & c.mask;
}

} // namespace

D3DFormatLayout D3DGetFormatLayout(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_R8G8B8:
        return Layout(format, 24, {8, 0xFF0000, 16}, {8, 0xFF00, 8}, {8, 0xFF, 0}, kNone);
    case D3DFMT_A8R8G8B8:
        return Layout(format, 32, {8, 0xFF0000, 16}, {8, 0xFF00, 8}, {8, 0xFF, 0}, {8, 0xFF000000u, 24});
    case D3DFMT_X8R8G8B8:
        return Layout(format, 32, {8, 0xFF0000, 16}, {8, 0xFF00, 8}, {8, 0xFF, 0}, kNone);
    case D3DFMT_R5G6B5:
        return Layout(format, 16, {5, 0xF800, 11}, {6, 0x7E0, 5}, {5, 0x1F, 0}, kNone);
    case D3DFMT_X1R5G5B5:
        return Layout(format, 16, {5, 0x7C00, 10}, {5, 0x3E0, 5}, {5, 0x1F, 0}, kNone);
    case D3DFMT_A1R5G5B5:
        return Layout(format, 16, {5, 0x7C00, 10}, {5, 0x3E0, 5}, {5, 0x1F, 0}, {1, 0x8000, 15});
    case D3DFMT_A4R4G4B4:
        return Layout(format, 16, {4, 0xF00, 8}, {4, 0xF0, 4}, {4, 0xF, 0}, {4, 0xF000, 12});
    case D3DFMT_R3G3B2:
        return Layout(format, 8, {3, 0xE0, 5}, {3, 0x1C, 2}, {2, 0x3, 0}, kNone);
    case D3DFMT_A8:
        return Layout(format, 8, kNone, kNone, kNone, {8, 0xFF, 0});
    case D3DFMT_A8R3G3B2:
        return Layout(format, 16, {3, 0xE0, 5}, {3, 0x1C, 2}, {2, 0x3, 0}, {8, 0xFF00, 8});
    case D3DFMT_X4R4G4B4:
        return Layout(format, 16, {4, 0xF00, 8}, {4, 0xF0, 4}, {4, 0xF, 0}, kNone);
    case D3DFMT_A2B10G10R10:
        return Layout(format, 32, {10, 0x3FF, 0}, {10, 0xFFC00, 10}, {10, 0x3FF00000, 20}, {2, 0xC0000000u, 30});
    case D3DFMT_L8:
        return Layout(format, 8, kNone, {8, 0xFF, 0}, kNone, kNone);
    case D3DFMT_A8L8:
        return Layout(format, 16, kNone, {8, 0xFF, 0}, kNone, {8, 0xFF00, 8});
    case D3DFMT_A4L4:
        return Layout(format, 8, kNone, {4, 0xF, 0}, kNone, {4, 0xF0, 4});
    default:
        return Layout(format, 0, kNone, kNone, kNone, kNone);
    }
}

UINT D3DBytesPerPixel(D3DFORMAT format)
{
    return D3DGetFormatLayout(format).bitsPerPixel / 8;
}

static bool IsLuminance(D3DFORMAT f)
{
    return f == D3DFMT_L8 || f == D3DFMT_A8L8 || f == D3DFMT_A4L4;
}

DWORD D3DDecodePixel(D3DFORMAT format, const BYTE* pixel)
{
    D3DFormatLayout l = D3DGetFormatLayout(format);
    UINT bytes = l.bitsPerPixel / 8;
    DWORD v = 0;
    for (UINT i = 0; i < bytes; ++i)
        v |= static_cast<DWORD>(pixel[i]) << (8 * i);
    DWORD a = l.alpha.bits ? Channel(l.alpha, v) : 255;
    DWORD r, g, b;
    if (IsLuminance(format))
        r = g = b = Channel(l.green, v);
    else
    {
        r = Channel(l.red, v);
        g = Channel(l.green, v);
        b = Channel(l.blue, v);
    }
    return (a << 24) | (r << 16) | (g << 8) | b;
}

void D3DEncodePixel(D3DFORMAT format, DWORD argb, BYTE* pixel)
{
    D3DFormatLayout l = D3DGetFormatLayout(format);
    DWORD v = Narrow(l.alpha, argb >> 24) | Narrow(l.red, (argb >> 16) & 0xff) |
              Narrow(l.green, (argb >> 8) & 0xff) | Narrow(l.blue, argb & 0xff);
    UINT bytes = l.bitsPerPixel / 8;
    for (UINT i = 0; i < bytes; ++i)
        pixel[i] = static_cast<BYTE>(v >> (8 * i));
}

void D3DDecodeRow(D3DFORMAT format, const BYTE* pixels, DWORD* argb, UINT count)
{
    if (format == D3DFMT_A8R8G8B8)
    {
        std::memcpy(argb, pixels, static_cast<size_t>(count) * 4);
        return;
    }
    if (format == D3DFMT_X8R8G8B8)
    {
        std::memcpy(argb, pixels, static_cast<size_t>(count) * 4);
        for (UINT i = 0; i < count; ++i)
            argb[i] |= 0xff000000u;
        return;
    }
    UINT bytes = D3DBytesPerPixel(format);
    for (UINT i = 0; i < count; ++i)
        argb[i] = D3DDecodePixel(format, pixels + i * bytes);
}

void D3DEncodeRow(D3DFORMAT format, const DWORD* argb, BYTE* pixels, UINT count)
{
    if (format == D3DFMT_A8R8G8B8)
    {
        std::memcpy(pixels, argb, static_cast<size_t>(count) * 4);
        return;
    }
    if (format == D3DFMT_X8R8G8B8)
    {
        for (UINT i = 0; i < count; ++i)
        {
            DWORD v = argb[i] & 0x00ffffffu;
            std::memcpy(pixels + i * 4, &v, 4);
        }
        return;
    }
    UINT bytes = D3DBytesPerPixel(format);
    for (UINT i = 0; i < count; ++i)
        D3DEncodePixel(format, argb[i], pixels + i * bytes);
}
