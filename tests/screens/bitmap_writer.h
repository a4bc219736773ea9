// Windows bitmap files written by the HUD and bonus tests: 24-bit bottom-up
// pictures with header fields that a test may spoil on purpose.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct BitmapSpec
{
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    size_t truncateTo = 0; // nonzero: the file is cut to this many bytes
};

// Pixels as 0x00RRGGBB, rows from the top.
inline void WriteBitmap(const std::string& path, const BitmapSpec& spec, const std::vector<uint32_t>& rgb)
{
    const uint32_t rowBytes = (uint32_t(spec.width) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowBytes * uint32_t(spec.height);
    std::vector<uint8_t> bytes;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
    };
    put(0x4D42, 2);
    put(54 + dataSize, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(uint32_t(spec.width), 4);
    put(uint32_t(spec.height), 4);
    put(1, 2);
    put(spec.bitCount, 2);
    put(spec.compression, 4);
    put(dataSize, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = spec.height - 1; y >= 0; --y)
    {
        for (int x = 0; x < spec.width; ++x)
        {
            const uint32_t p = rgb.empty() ? 0 : rgb[size_t(y) * spec.width + x];
            bytes.push_back(uint8_t(p));
            bytes.push_back(uint8_t(p >> 8));
            bytes.push_back(uint8_t(p >> 16));
        }
        for (uint32_t pad = uint32_t(spec.width) * 3; pad < rowBytes; ++pad)
            bytes.push_back(0);
    }
    if (spec.truncateTo && spec.truncateTo < bytes.size())
        bytes.resize(spec.truncateTo);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
