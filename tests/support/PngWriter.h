// A small PNG writer for the tests that save a rendered frame to look at: 8-bit
// RGB from 0xAARRGGBB pixels (alpha dropped), deflate with stored blocks only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_support {

namespace png_detail {

inline uint32_t Crc(const std::vector<unsigned char>& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data)
    {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

inline void Put32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<unsigned char>(v >> s));
}

inline void Chunk(std::vector<unsigned char>& file, const char* type, const std::vector<unsigned char>& data)
{
    Put32(file, uint32_t(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    Put32(file, Crc(body));
}

} // namespace png_detail

// Writes `w` x `h` pixels, rows from the top, to `path`; false when the file
// cannot be written.
inline bool WritePng(const std::string& path, const std::vector<uint32_t>& argb, int w, int h)
{
    using namespace png_detail;
    std::vector<unsigned char> raw;
    raw.reserve(size_t(h) * (size_t(w) * 3 + 1));
    for (int y = 0; y < h; ++y)
    {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
        {
            const uint32_t p = argb[size_t(y) * size_t(w) + size_t(x)];
            raw.insert(raw.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                   static_cast<unsigned char>(p)});
        }
    }
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw)
    {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    // Stored blocks of at most 65535 bytes; an empty picture still gets its final block.
    for (size_t at = 0; at < raw.size() || at == 0;)
    {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.insert(z.end(), {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                           static_cast<unsigned char>(~n), static_cast<unsigned char>(~n >> 8)});
        z.insert(z.end(), raw.begin() + ptrdiff_t(at), raw.begin() + ptrdiff_t(at + n));
        at += n;
        if (n == 0)
            break;
    }
    Put32(z, (b << 16) | a);
    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    Put32(header, uint32_t(w));
    Put32(header, uint32_t(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", z);
    Chunk(file, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace test_support
