// CTexture: a Direct3D texture with the name other modules find it by, and the file and
// parameters it was made from, so that the device wrapper can make it again after a
// device reset. Textures come from image files, are made blank, or are composed from a
// colour file and its grey "_alpha." companion. CSurface is the same for an image
// surface (the 32 x 32 mouse cursor). The device wrapper owns the lists of both.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d8.h"
#include "platform/d3dx8.h"

// Bits per pixel and the bits, mask and shift of each channel of a format, as the
// alpha composition reads and writes pixels. Luminance lives in the green fields.
struct CPixelLayout
{
    struct Channel
    {
        DWORD bits;
        DWORD mask;
        DWORD shift;
    };

    // A format outside the table keeps the A8R8G8B8 layout with only its number changed.
    void SetFormat(D3DFORMAT format);

    // The 8-bit value of a channel in the pixel value v; 0 for a channel without bits.
    static DWORD Read8(const Channel& c, DWORD v);
    // The channel's bits for an 8-bit value (0 for a channel without bits).
    static DWORD Write8(const Channel& c, DWORD value8);

    D3DFORMAT format;
    DWORD bitsPerPixel;
    Channel red, green, blue, alpha;
};

class CTexture
{
public:
    CTexture();
    ~CTexture();
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    HRESULT LoadFromFile(IDirect3DDevice8* device, const std::string& file, const std::string& name, UINT levels,
                         DWORD usage, D3DPOOL pool, D3DFORMAT format);
    HRESULT CreateBlank(IDirect3DDevice8* device, const std::string& name, UINT width, UINT height, UINT levels,
                        DWORD usage, D3DPOOL pool, D3DFORMAT format);
    // Colour from colourFile, alpha from the green (grey) channel of its "_alpha." file.
    HRESULT LoadWithAlpha(IDirect3DDevice8* device, const std::string& colourFile, const std::string& name,
                          DWORD usage, D3DPOOL pool, D3DFORMAT format);
    // Makes the texture again from the kept values after a device reset.
    HRESULT Recreate(IDirect3DDevice8* device);
    // Drops the Direct3D texture (before a device reset); names and parameters stay.
    void ReleaseTexture();

    // "menu.png" pairs with "menu_alpha.png"; empty for a name of 4 characters or fewer.
    static std::string AlphaFileName(const std::string& colourFile);
    // Writes colour's red, green and blue and alpha's green into every pixel of target.
    // Fails with D3DERR_INVALIDCALL when either source is smaller than the target.
    static HRESULT MergeAlpha(IDirect3DTexture8* target, IDirect3DTexture8* colour, IDirect3DTexture8* alpha);
    // The alpha of every texel of level 0, row by row; false when it cannot be read.
    bool ReadAlpha(std::vector<BYTE>& alpha, UINT& width, UINT& height) const;

    IDirect3DTexture8* texture;
    D3DSURFACE_DESC desc;
    std::string name;
    std::string fileName;
    UINT levels;
    DWORD alphaPair;
};

class CSurface
{
public:
    CSurface();
    ~CSurface();
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    HRESULT Create(IDirect3DDevice8* device, const std::string& name, UINT width, UINT height, D3DFORMAT format);
    HRESULT LoadFromFile(IDirect3DDevice8* device, const std::string& file, DWORD flag);

    IDirect3DSurface8* surface;
    D3DXIMAGE_INFO imageInfo;
    UINT width;
    UINT height;
    D3DFORMAT format;
    std::string name;
    std::string fileName;
    DWORD flag;
};
