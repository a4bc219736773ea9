// CVertexBuffer: a Direct3D vertex buffer that drawing modules stream quads through,
// with the append-or-discard lock rule of CStreamBuffer. Made through the device
// wrapper (CDevice::CreateVertexBuffer), which keeps it in its list and re-creates it
// after a device reset when it lives in the default pool.
#pragma once

#include "platform/d3d8.h"
#include "render/StreamBuffer.h"

// The vertex every drawing module writes (format 0x242, 32 bytes).
struct CVertex
{
    float x, y, z;
    D3DCOLOR colour; // 0xAARRGGBB
    float u, v;
    float u2, v2;
};
static_assert(sizeof(CVertex) == 32, "the game's vertex is 32 bytes");

constexpr DWORD kVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2; // 0x242

class CVertexBuffer : public CStreamBuffer<IDirect3DVertexBuffer8>
{
public:
    CVertexBuffer();
    ~CVertexBuffer();

    HRESULT Create(IDirect3DDevice8* device, DWORD count, DWORD stride, DWORD usage, DWORD fvf, D3DPOOL pool);
    // Makes the Direct3D buffer again from the kept size, usage, format and pool.
    HRESULT Recreate(IDirect3DDevice8* device);

    DWORD fvf;
};
