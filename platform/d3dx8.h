// The Direct3D utility subset the game uses: textures and image surfaces from image
// files (JPEG, PNG, TGA, BMP and DXT-compressed DDS), blank textures, and the matrix
// and vertex-format helpers. Works on either Direct3D backend.
#pragma once

#include "platform/d3d8.h"

constexpr UINT D3DX_DEFAULT = 0xffffffffu;

// Filters (the game passes D3DX_FILTER_TRIANGLE or D3DX_DEFAULT).
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;

// A file that cannot be read or decoded.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760b59u);

enum D3DXIMAGE_FILEFORMAT : DWORD
{
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
};

struct D3DXIMAGE_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY
{
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct D3DXMATRIX : public D3DMATRIX
{
};

// Loads an image file into a new texture. Sizes of D3DX_DEFAULT (or 0) are the file's
// rounded up to powers of two, and the image is resampled to the texture's size.
// Levels 0 or D3DX_DEFAULT make the full mip chain, 1 a single level. D3DFMT_UNKNOWN
// takes the file's own format (RGBA A8R8G8B8, RGB X8R8G8B8, grey L8, grey+alpha A8L8).
// A non-zero colour key makes the opaque pixels of that colour transparent black.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* file, UINT width, UINT height,
                                     UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture);
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* file, IDirect3DTexture8** texture);

// A zero-filled texture; sizes are rounded up to powers of two.
HRESULT D3DXCreateTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture);

// Decodes an image file into an existing surface, resampled to the surface's size.
HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface8* surface, const PALETTEENTRY* palette, const RECT* destRect,
                                 const char* file, const RECT* srcRect, DWORD filter, D3DCOLOR colourKey,
                                 D3DXIMAGE_INFO* info);

// Reads the size and format of an image file without making a texture.
HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info);

// Matrices (row vectors, as the device takes them).
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
// Left-handed orthographic projection: x and y scaled by 2/w and 2/h, z from zn..zf to 0..1.
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf);
// Left-handed off-centre perspective projection of the view volume l..r, b..t at zn.
D3DXMATRIX* D3DXMatrixPerspectiveOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn,
                                             float zf);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z);

// Bytes per vertex of a flexible vertex format (32 for the game's 0x242).
UINT D3DXGetFVFVertexSize(DWORD fvf);
