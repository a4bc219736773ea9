// Tiny uncompressed TGA files written by the tests themselves.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes a top-left-origin TGA: grey (one byte per pixel, 0xGG) when grey is set, else
// 24-bit colour from 0xRRGGBB values.
inline bool WriteTga(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
                     bool grey = false)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = grey ? 3 : 2;
    bytes[12] = static_cast<uint8_t>(width);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = grey ? 8 : 24;
    bytes[17] = 0x20;
    for (uint32_t p : pixels)
    {
        if (grey)
            bytes.push_back(static_cast<uint8_t>(p));
        else
        {
            bytes.push_back(static_cast<uint8_t>(p));
            bytes.push_back(static_cast<uint8_t>(p >> 8));
            bytes.push_back(static_cast<uint8_t>(p >> 16));
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
