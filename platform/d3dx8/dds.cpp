// Our own reader of DXT-compressed DDS files.
#include "platform/d3dx8/decode.h"

namespace d3dx8impl {
namespace {

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t Rgb565(uint16_t c)
{
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    r = (r << 3) | (r >> 2);
    g = (g << 2) | (g >> 4);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}

uint32_t Mix(uint32_t a, uint32_t b, int wa, int wb, int div)
{
    uint32_t out = 0;
    for (int s = 0; s < 24; s += 8)
    {
        uint32_t ca = (a >> s) & 0xff, cb = (b >> s) & 0xff;
        out |= ((ca * wa + cb * wb) / div) << s;
    }
    return out;
}

// The 16 colours of one colour block (alpha 255, or 0 for DXT1's transparent entry).
void ColourBlock(const uint8_t* p, bool dxt1, uint32_t out[16])
{
    uint16_t c0 = uint16_t(p[0] | p[1] << 8), c1 = uint16_t(p[2] | p[3] << 8);
    uint32_t pal[4];
    pal[0] = Rgb565(c0) | 0xff000000u;
    pal[1] = Rgb565(c1) | 0xff000000u;
    if (!dxt1 || c0 > c1)
    {
        pal[2] = Mix(pal[0], pal[1], 2, 1, 3) | 0xff000000u;
        pal[3] = Mix(pal[0], pal[1], 1, 2, 3) | 0xff000000u;
    }
    else
    {
        pal[2] = Mix(pal[0], pal[1], 1, 1, 2) | 0xff000000u;
        pal[3] = 0;
    }
    uint32_t bits = Read32(p + 4);
    for (int i = 0; i < 16; ++i)
        out[i] = pal[(bits >> (2 * i)) & 3];
}

void AlphaExplicit(const uint8_t* p, uint32_t px[16])
{
    for (int i = 0; i < 16; ++i)
    {
        uint32_t a = (p[i / 2] >> ((i & 1) * 4)) & 0xf;
        px[i] = (px[i] & 0xffffffu) | ((a * 17) << 24);
    }
}

void AlphaInterpolated(const uint8_t* p, uint32_t px[16])
{
    uint32_t a[8];
    a[0] = p[0];
    a[1] = p[1];
    if (a[0] > a[1])
        for (int i = 1; i < 7; ++i)
            a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
    else
    {
        for (int i = 1; i < 5; ++i)
            a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= uint64_t(p[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        px[i] = (px[i] & 0xffffffu) | (a[(bits >> (3 * i)) & 7] << 24);
}

} // namespace

bool DecodeDds(const uint8_t* data, size_t size, DecodedImage& out, int maxSide)
{
    if (size < 128 || data[0] != 'D' || data[1] != 'D' || data[2] != 'S' || data[3] != ' ')
        return false;
    uint32_t height = Read32(data + 12), width = Read32(data + 16);
    uint32_t fourCC = Read32(data + 84);
    int kind;
    if (fourCC == Read32(reinterpret_cast<const uint8_t*>("DXT1")))
        kind = 1;
    else if (fourCC == Read32(reinterpret_cast<const uint8_t*>("DXT3")))
        kind = 3;
    else if (fourCC == Read32(reinterpret_cast<const uint8_t*>("DXT5")))
        kind = 5;
    else
        return false;
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff ||
        !ImageSizeAllowed(static_cast<int>(width), static_cast<int>(height), maxSide))
        return false;
    size_t blockBytes = kind == 1 ? 8 : 16;
    size_t bw = (width + 3) / 4, bh = (height + 3) / 4;
    if (size - 128 < bw * bh * blockBytes)
        return false;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.format = D3DFMT_A8R8G8B8;
    out.fileType = D3DXIFF_DDS;
    out.argb.assign(static_cast<size_t>(width) * height, 0);
    const uint8_t* p = data + 128;
    for (size_t by = 0; by < bh; ++by)
        for (size_t bx = 0; bx < bw; ++bx, p += blockBytes)
        {
            uint32_t px[16];
            if (kind == 1)
                ColourBlock(p, true, px);
            else
            {
                ColourBlock(p + 8, false, px);
                if (kind == 3)
                    AlphaExplicit(p, px);
                else
                    AlphaInterpolated(p, px);
            }
            for (int i = 0; i < 16; ++i)
            {
                size_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height)
                    out.argb[y * width + x] = px[i];
            }
        }
    return true;
}

} // namespace d3dx8impl
