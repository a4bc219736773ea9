// Textures and image surfaces from image files, and blank textures.
#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/common.h"
#include "platform/d3dx8/decode.h"
#include "platform/files/path.h"

namespace d3dx8impl {

bool ImageSizeAllowed(int width, int height, int maxSide)
{
    if (width <= maxSide && height <= maxSide)
        return true;
    std::fprintf(stderr, "Picture of %d x %d refused: larger than the %d x %d the graphics device supports\n", width,
                 height, maxSide, maxSide);
    return false;
}

bool DecodeImage(const std::string& bytes, DecodedImage& out, int maxSide)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t size = bytes.size();
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0)
        return DecodeDds(data, size, out, maxSide);
    if (size == 0 || size > 0x7fffffff)
        return false;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &w, &h, &channels) || !ImageSizeAllowed(w, h, maxSide))
        return false;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
    if (!pixels)
        return false;
    out.width = w;
    out.height = h;
    switch (channels)
    {
    case 1:
        out.format = D3DFMT_L8;
        break;
    case 2:
        out.format = D3DFMT_A8L8;
        break;
    case 3:
        out.format = D3DFMT_X8R8G8B8;
        break;
    default:
        out.format = D3DFMT_A8R8G8B8;
        break;
    }
    if (size >= 8 && data[0] == 0x89 && data[1] == 'P')
        out.fileType = D3DXIFF_PNG;
    else if (size >= 2 && data[0] == 0xff && data[1] == 0xd8)
        out.fileType = D3DXIFF_JPG;
    else if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        out.fileType = D3DXIFF_BMP;
    else
        out.fileType = D3DXIFF_TGA;
    out.argb.resize(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < out.argb.size(); ++i)
    {
        const stbi_uc* p = pixels + i * 4;
        out.argb[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    stbi_image_free(pixels);
    return true;
}

bool DecodeImageFile(const char* path, DecodedImage& out, int maxSide)
{
    if (!path)
        return false;
    std::string bytes;
    if (!platform::ReadWholeFile(platform::NativePath(path), bytes))
        return false;
    return DecodeImage(bytes, out, maxSide);
}

std::vector<uint32_t> Resample(const std::vector<uint32_t>& argb, int width, int height, int newWidth,
                               int newHeight)
{
    if (width == newWidth && height == newHeight)
        return argb;
    std::vector<uint32_t> out(static_cast<size_t>(newWidth) * newHeight);
    // Pixels are B, G, R, A bytes in memory: alpha is channel 3.
    stbir_resize_uint8_generic(reinterpret_cast<const unsigned char*>(argb.data()), width, height, width * 4,
                               reinterpret_cast<unsigned char*>(out.data()), newWidth, newHeight, newWidth * 4, 4, 3,
                               0, STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr);
    return out;
}

namespace {

UINT NextPowerOfTwo(UINT v)
{
    UINT p = 1;
    while (p < v && p < 0x80000000u)
        p <<= 1;
    return p;
}

// Writes the image, resampled to each level's size, into every level of the texture
// (level 0 only where the driver makes the others itself).
HRESULT FillTexture(IDirect3DTexture8* texture, const std::vector<uint32_t>& argb, int width, int height)
{
    DWORD levels = d3d8impl::TextureMakesOwnMips(texture) ? 1 : texture->GetLevelCount();
    for (DWORD level = 0; level < levels; ++level)
    {
        D3DSURFACE_DESC desc;
        HRESULT hr = texture->GetLevelDesc(level, &desc);
        if (FAILED(hr))
            return hr;
        std::vector<uint32_t> pixels =
            Resample(argb, width, height, static_cast<int>(desc.Width), static_cast<int>(desc.Height));
        D3DLOCKED_RECT locked;
        hr = texture->LockRect(level, &locked, nullptr, 0);
        if (FAILED(hr))
            return hr;
        for (UINT y = 0; y < desc.Height; ++y)
            D3DEncodeRow(desc.Format, pixels.data() + static_cast<size_t>(y) * desc.Width,
                         static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch, desc.Width);
        hr = texture->UnlockRect(level);
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}

// Decodes a picture file; with a non-zero colour key, the pixels equal to the key
// become 0x00000000 (transparent black).
bool DecodeKeyedImageFile(const char* file, D3DCOLOR colourKey, DecodedImage& image, int maxSide = kMaxImageSide)
{
    if (!DecodeImageFile(file, image, maxSide))
        return false;
    if (colourKey != 0)
        for (uint32_t& p : image.argb)
            if (p == colourKey)
                p = 0;
    return true;
}

// The largest texture side the device takes, within our own limit.
int DeviceMaxSide(IDirect3DDevice8* device)
{
    D3DCAPS8 caps{};
    if (FAILED(device->GetDeviceCaps(&caps)) || caps.MaxTextureWidth == 0 || caps.MaxTextureHeight == 0)
        return kMaxImageSide;
    return static_cast<int>(std::min<DWORD>({caps.MaxTextureWidth, caps.MaxTextureHeight, DWORD(kMaxImageSide)}));
}

// Where the device fills textures only when they are first used, the texture reads its
// file again then; the picture decoded now has shown that the file is good.
bool DeferFillFromFile(IDirect3DTexture8* texture, const char* file, D3DCOLOR colourKey, int maxSide)
{
    std::string path = file;
    return d3d8impl::DeferTextureFill(texture, [path, colourKey, maxSide](IDirect3DTexture8* t) -> HRESULT {
        DecodedImage image;
        if (!DecodeKeyedImageFile(path.c_str(), colourKey, image, maxSide))
            return D3DXERR_INVALIDDATA;
        return FillTexture(t, image.argb, image.width, image.height);
    });
}

void FillInfo(const DecodedImage& image, D3DXIMAGE_INFO* info)
{
    if (!info)
        return;
    info->Width = static_cast<UINT>(image.width);
    info->Height = static_cast<UINT>(image.height);
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = image.format;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = image.fileType;
}

} // namespace
} // namespace d3dx8impl

using namespace d3dx8impl;

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* file, UINT width, UINT height,
                                     UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD, DWORD,
                                     D3DCOLOR colourKey, D3DXIMAGE_INFO* info, PALETTEENTRY*,
                                     IDirect3DTexture8** texture)
{
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    DecodedImage image;
    if (!DecodeKeyedImageFile(file, colourKey, image, DeviceMaxSide(device)))
        return D3DXERR_INVALIDDATA;
    if (width == 0 || width == D3DX_DEFAULT)
        width = NextPowerOfTwo(static_cast<UINT>(image.width));
    if (height == 0 || height == D3DX_DEFAULT)
        height = NextPowerOfTwo(static_cast<UINT>(image.height));
    if (levels == D3DX_DEFAULT)
        levels = 0;
    if (format == D3DFMT_UNKNOWN)
        format = image.format;
    IDirect3DTexture8* made = nullptr;
    HRESULT hr = device->CreateTexture(width, height, levels, usage, format, pool, &made);
    if (FAILED(hr))
        return hr;
    d3d8impl::LabelTexture(made, file);
    if (!DeferFillFromFile(made, file, colourKey, DeviceMaxSide(device)))
        hr = FillTexture(made, image.argb, image.width, image.height);
    if (FAILED(hr))
    {
        made->Release();
        return hr;
    }
    FillInfo(image, info);
    *texture = made;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* file, IDirect3DTexture8** texture)
{
    return D3DXCreateTextureFromFileExA(device, file, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr, nullptr,
                                        texture);
}

HRESULT D3DXCreateTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture)
{
    if (!device || !texture || width == 0 || height == 0)
        return D3DERR_INVALIDCALL;
    if (levels == D3DX_DEFAULT)
        levels = 0;
    return device->CreateTexture(NextPowerOfTwo(width), NextPowerOfTwo(height), levels, usage, format, pool,
                                 texture);
}

HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface8* surface, const PALETTEENTRY*, const RECT*, const char* file,
                                 const RECT*, DWORD, D3DCOLOR colourKey, D3DXIMAGE_INFO* info)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    DecodedImage image;
    if (!DecodeKeyedImageFile(file, colourKey, image))
        return D3DXERR_INVALIDDATA;
    D3DSURFACE_DESC desc;
    HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr))
        return hr;
    std::vector<uint32_t> pixels =
        Resample(image.argb, image.width, image.height, static_cast<int>(desc.Width), static_cast<int>(desc.Height));
    D3DLOCKED_RECT locked;
    hr = surface->LockRect(&locked, nullptr, 0);
    if (FAILED(hr))
        return hr;
    for (UINT y = 0; y < desc.Height; ++y)
        D3DEncodeRow(desc.Format, pixels.data() + static_cast<size_t>(y) * desc.Width,
                     static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch, desc.Width);
    surface->UnlockRect();
    FillInfo(image, info);
    return D3D_OK;
}

HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info)
{
    DecodedImage image;
    if (!info || !DecodeImageFile(file, image))
        return D3DXERR_INVALIDDATA;
    FillInfo(image, info);
    return D3D_OK;
}
