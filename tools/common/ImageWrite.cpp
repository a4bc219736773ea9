#include "tools/common/ImageWrite.h"

#include <stb_image_write.h>

#include <cmath>
#include <string>


namespace tools {

void SetPngCompressionLevel(int level)
{
    stbi_write_png_compression_level = level;
}

bool WritePng(const std::filesystem::path& path, int width, int height, int channels,
              const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < size_t(width) * size_t(height) * size_t(channels))
        return false;
    return stbi_write_png(path.string().c_str(), width, height, channels, bytes.data(), width * channels) != 0;
}

bool WriteImage(const std::filesystem::path& path, int width, int height, int channels,
                const std::vector<uint8_t>& bytes, int jpegQuality)
{
    if (bytes.size() < size_t(width) * size_t(height) * size_t(channels))
        return false;
    const std::string ext = path.extension().string();
    const std::string name = path.string();
    if (ext == ".png")
        return WritePng(path, width, height, channels, bytes);
    if (ext == ".tga")
        return stbi_write_tga(name.c_str(), width, height, channels, bytes.data()) != 0;
    if (ext == ".bmp")
        return stbi_write_bmp(name.c_str(), width, height, channels, bytes.data()) != 0;
    return stbi_write_jpg(name.c_str(), width, height, channels, bytes.data(), jpegQuality) != 0;
}

std::vector<uint8_t> ToBytes(const float* rgba, size_t pixels, int channels)
{
    std::vector<uint8_t> out(pixels * size_t(channels));
    for (size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * size_t(channels) + size_t(c)] = uint8_t(std::lround(Clamp01(rgba[i * 4 + size_t(c)]) * 255.0f));
    return out;
}

std::vector<uint8_t> ToBytes(const std::vector<Rgba>& pixels, int channels)
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * size_t(channels));
    for (const Rgba& p : pixels)
    {
        const float c[4] = {p.r, p.g, p.b, p.a};
        for (int i = 0; i < channels; ++i)
            out.push_back(uint8_t(std::lround(Clamp01(c[i]) * 255.0f)));
    }
    return out;
}

bool WriteArgbPng(const std::filesystem::path& path, const std::vector<uint32_t>& argb, int width, int height)
{
    if (width <= 0 || height <= 0 || argb.size() < size_t(width) * size_t(height))
        return false;
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < rgb.size() / 3; ++i)
    {
        rgb[i * 3 + 0] = uint8_t(argb[i] >> 16);
        rgb[i * 3 + 1] = uint8_t(argb[i] >> 8);
        rgb[i * 3 + 2] = uint8_t(argb[i]);
    }
    return WriteImage(path, width, height, 3, rgb);
}

} // namespace tools
