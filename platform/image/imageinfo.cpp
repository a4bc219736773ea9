// The size of a picture file, and the two headers of a Windows bitmap file.
#include "platform/image.h"

#include <stb_image.h>

#include <string>

#include "platform/d3dx8/decode.h"
#include "platform/files/path.h"

namespace platform {

ImageInfoResult ImageInfo(const char* path)
{
    ImageInfoResult result{false, 0, 0};
    std::string bytes;
    if (!path || !ReadWholeFile(NativePath(path), bytes) || bytes.empty() || bytes.size() > 0x7fffffff)
        return result;
    int w = 0, h = 0, channels = 0;
    // The size is checked before decoding: a damaged file may claim any size.
    if (!stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()), &w,
                               &h, &channels) ||
        !d3dx8impl::ImageSizeAllowed(w, h, d3dx8impl::kMaxImageSide))
        return result;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                            static_cast<int>(bytes.size()), &w, &h, &channels, 4);
    if (!pixels)
        return result;
    stbi_image_free(pixels);
    return ImageInfoResult{true, w, h};
}

static WORD Word(const BYTE* p)
{
    return static_cast<WORD>(p[0] | p[1] << 8);
}

static DWORD Dword(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

void ParseBitmapFileHeader(const BYTE* b, BITMAPFILEHEADER* h)
{
    h->bfType = Word(b);
    h->bfSize = Dword(b + 2);
    h->bfReserved1 = Word(b + 6);
    h->bfReserved2 = Word(b + 8);
    h->bfOffBits = Dword(b + 10);
}

void ParseBitmapInfoHeader(const BYTE* b, BITMAPINFOHEADER* h)
{
    h->biSize = Dword(b);
    h->biWidth = static_cast<LONG>(Dword(b + 4));
    h->biHeight = static_cast<LONG>(Dword(b + 8));
    h->biPlanes = Word(b + 12);
    h->biBitCount = Word(b + 14);
    h->biCompression = Dword(b + 16);
    h->biSizeImage = Dword(b + 20);
    h->biXPelsPerMeter = static_cast<LONG>(Dword(b + 24));
    h->biYPelsPerMeter = static_cast<LONG>(Dword(b + 28));
    h->biClrUsed = Dword(b + 32);
    h->biClrImportant = Dword(b + 36);
}

bool ReadBitmapFileHeader(FILE* file, BITMAPFILEHEADER* header)
{
    BYTE b[kBitmapFileHeaderSize];
    if (!file || !header || std::fread(b, 1, sizeof b, file) != sizeof b)
        return false;
    ParseBitmapFileHeader(b, header);
    return true;
}

bool ReadBitmapInfoHeader(FILE* file, BITMAPINFOHEADER* header)
{
    BYTE b[kBitmapInfoHeaderSize];
    if (!file || !header || std::fread(b, 1, sizeof b, file) != sizeof b)
        return false;
    ParseBitmapInfoHeader(b, header);
    return true;
}

} // namespace platform
