// Small image files written by the tests: PNG, BMP, TGA and JPEG through stb_image_write,
// DDS (DXT1/3/5) by hand.
#pragma once

#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Pixels as 0xAARRGGBB, written with `channels` channels (1 grey = green, 2 grey+alpha,
// 3 RGB, 4 RGBA).
inline std::vector<uint8_t> ToChannels(const std::vector<uint32_t>& argb, int channels)
{
    std::vector<uint8_t> out;
    for (uint32_t p : argb)
    {
        uint8_t a = p >> 24, r = p >> 16, g = p >> 8, b = p;
        switch (channels)
        {
        case 1:
            out.push_back(g);
            break;
        case 2:
            out.insert(out.end(), {g, a});
            break;
        case 3:
            out.insert(out.end(), {r, g, b});
            break;
        default:
            out.insert(out.end(), {r, g, b, a});
            break;
        }
    }
    return out;
}

inline bool WriteImage(const std::string& path, int w, int h, const std::vector<uint32_t>& argb, int channels)
{
    std::vector<uint8_t> data = ToChannels(argb, channels);
    std::string ext = path.substr(path.size() - 3);
    if (ext == "png")
        return stbi_write_png(path.c_str(), w, h, channels, data.data(), w * channels) != 0;
    if (ext == "bmp")
        return stbi_write_bmp(path.c_str(), w, h, channels, data.data()) != 0;
    if (ext == "tga")
        return stbi_write_tga(path.c_str(), w, h, channels, data.data()) != 0;
    if (ext == "jpg")
        return stbi_write_jpg(path.c_str(), w, h, channels, data.data(), 95) != 0;
    return false;
}

// A DDS file of `fourCC` ("DXT1", "DXT3", "DXT5") with the given blocks.
inline bool WriteDds(const std::string& path, int w, int h, const char* fourCC, const std::vector<uint8_t>& blocks)
{
    std::vector<uint8_t> bytes(128, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'D', bytes[1] = 'D', bytes[2] = 'S', bytes[3] = ' ';
    put32(4, 124);
    put32(8, 0x1007);
    put32(12, static_cast<uint32_t>(h));
    put32(16, static_cast<uint32_t>(w));
    put32(76, 32);
    put32(80, 4);
    for (int i = 0; i < 4; ++i)
        bytes[84 + i] = static_cast<uint8_t>(fourCC[i]);
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// One DXT colour block: two 5:6:5 colours and sixteen 2-bit indices (pixel 0 lowest).
inline std::vector<uint8_t> ColourBlock(uint16_t c0, uint16_t c1, const int (&index)[16])
{
    uint32_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= static_cast<uint32_t>(index[i] & 3) << (2 * i);
    return {static_cast<uint8_t>(c0), static_cast<uint8_t>(c0 >> 8), static_cast<uint8_t>(c1),
            static_cast<uint8_t>(c1 >> 8), static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}
