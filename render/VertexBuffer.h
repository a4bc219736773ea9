// CVertexBuffer: a Direct3D vertex buffer that drawing modules stream quads through.
// Runs are appended behind each other with no-overwrite locks; a run that does not fit
// discards the whole buffer and starts again at vertex 0. Made through the device
// wrapper (CDevice::CreateVertexBuffer), which keeps it in its list and re-creates it
// after a device reset when it lives in the default pool.
#pragma once

#include "platform/d3d8.h"

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

class CVertexBuffer
{
public:
    CVertexBuffer();
    ~CVertexBuffer();
    CVertexBuffer(const CVertexBuffer&) = delete;
    CVertexBuffer& operator=(const CVertexBuffer&) = delete;

    HRESULT Create(IDirect3DDevice8* device, DWORD count, DWORD stride, DWORD usage, DWORD fvf, D3DPOOL pool);
    // Makes the Direct3D buffer again from the kept size, usage, format and pool.
    HRESULT Recreate(IDirect3DDevice8* device);
    // Drops the Direct3D buffer (before a device reset); the wrapper stays.
    void ReleaseBuffer();

    // Locks `count` vertices: appended at the cursor when they fit and discard is 0,
    // otherwise the whole buffer is discarded and the run starts at 0. lockStart tells
    // where the run begins. Without a Direct3D buffer: D3DERR_INVALIDCALL.
    HRESULT Lock(DWORD count, void** data, bool discard);
    HRESULT Unlock();

    IDirect3DVertexBuffer8* buffer;
    DWORD usage;
    DWORD fvf;
    D3DPOOL pool;
    DWORD capacity;
    DWORD stride;
    DWORD sizeBytes;
    DWORD cursor;
    DWORD lockStart;
    DWORD lockCount;
    int locks;
};
