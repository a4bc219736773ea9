// Inside the utility library: image files decoded to 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx8.h"

namespace d3dx8impl {

struct DecodedImage
{
    int width = 0;
    int height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;          // the file's own format
    D3DXIMAGE_FILEFORMAT fileType = D3DXIFF_BMP;
    std::vector<uint32_t> argb;                 // top row first
};

// The largest side of a picture we decode when no device says otherwise: the largest
// texture our OpenGL device offers. A file that claims more is refused before any
// pixel is decoded, so a tiny damaged file cannot make us decode hundreds of megabytes.
constexpr int kMaxImageSide = 8192;

// Whether a picture of that size may be decoded; logs a line on stderr when not.
bool ImageSizeAllowed(int width, int height, int maxSide);

// Decodes JPEG, PNG, TGA and BMP through stb_image, DDS (DXT1/3/5) by our own decoder.
// Pictures wider or taller than maxSide are refused.
bool DecodeImage(const std::string& bytes, DecodedImage& out, int maxSide = kMaxImageSide);
// Reads a file by its game path (backslashes, any letter case) and decodes it.
bool DecodeImageFile(const char* path, DecodedImage& out, int maxSide = kMaxImageSide);

// DDS: "DDS " and a 124-byte header (height at byte 12, width at 16, fourCC at 84),
// then DXT1, DXT3 or DXT5 blocks. Only level 0 is decoded.
bool DecodeDds(const uint8_t* data, size_t size, DecodedImage& out, int maxSide = kMaxImageSide);

// Resamples with a triangle filter (stb_image_resize); unchanged when the sizes agree.
std::vector<uint32_t> Resample(const std::vector<uint32_t>& argb, int width, int height, int newWidth,
                               int newHeight);

} // namespace d3dx8impl
