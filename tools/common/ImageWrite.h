// Pictures written through stb_image_write: 8-bit bytes in the format the file's
// extension names (.png, .tga, .bmp, anything else JPEG), float pictures turned into
// those bytes, and read-back frames (0xAARRGGBB) as RGB PNG files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/common/PixelMaths.h"

namespace tools {

// The zlib level of the PNG files written from now on (stb's default is 8).
void SetPngCompressionLevel(int level);

// `channels` bytes per pixel, rows from the top; false when the file cannot be written.
bool WriteImage(const std::filesystem::path& path, int width, int height, int channels,
                const std::vector<uint8_t>& bytes, int jpegQuality = 90);

// A PNG file whatever the name's extension.
bool WritePng(const std::filesystem::path& path, int width, int height, int channels,
              const std::vector<uint8_t>& bytes);

// Straight-alpha float components (r, g, b, a per pixel, 0..1) to the first
// `channels` of them as bytes, rounded and clamped.
std::vector<uint8_t> ToBytes(const float* rgba, size_t pixels, int channels);
std::vector<uint8_t> ToBytes(const std::vector<Rgba>& pixels, int channels);

// 0xAARRGGBB pixels, rows from the top, as an RGB PNG (the alpha dropped).
bool WriteArgbPng(const std::filesystem::path& path, const std::vector<uint32_t>& argb, int width, int height);

} // namespace tools
