// Image reading outside Direct3D: the size of any picture file (the logo check) and
// the two headers of a Windows bitmap file, read field by field in little-endian order
// (the bitmap readers of the gem bar and the jungle mask do the rest by hand).
#pragma once

#include <cstdio>

#include "platform/win32/types.h"

struct BITMAPFILEHEADER // 14 bytes in the file
{
    WORD bfType; // "BM" = 0x4D42
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits; // offset of the pixel data from the start of the file
};

struct BITMAPINFOHEADER // 40 bytes in the file
{
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // positive: rows stored bottom-up
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

constexpr size_t kBitmapFileHeaderSize = 14;
constexpr size_t kBitmapInfoHeaderSize = 40;

namespace platform {

struct ImageInfoResult
{
    bool ok;
    int width;
    int height;
};

// Decodes the picture file (JPEG, PNG, TGA, BMP, ...) and reports its size.
ImageInfoResult ImageInfo(const char* path);

// Reads the 14-byte file header at the stream's position; false on a short read.
bool ReadBitmapFileHeader(FILE* file, BITMAPFILEHEADER* header);
// Reads the 40-byte information header at the stream's position; false on a short read.
bool ReadBitmapInfoHeader(FILE* file, BITMAPINFOHEADER* header);
// The same from a byte buffer of at least the header's size.
void ParseBitmapFileHeader(const BYTE* bytes, BITMAPFILEHEADER* header);
void ParseBitmapInfoHeader(const BYTE* bytes, BITMAPINFOHEADER* header);

} // namespace platform
