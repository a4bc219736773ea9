// CIndexBuffer: the index twin of CVertexBuffer (same append-or-discard lock rule).
// Indices written into it are absolute vertex numbers: callers add the vertex
// buffer's lockStart, and the buffer is bound with base vertex 0.
#pragma once

#include "platform/d3d8.h"

class CIndexBuffer
{
public:
    CIndexBuffer();
    ~CIndexBuffer();
    CIndexBuffer(const CIndexBuffer&) = delete;
    CIndexBuffer& operator=(const CIndexBuffer&) = delete;

    // count indices of `format` (D3DFMT_INDEX16: 2 bytes, D3DFMT_INDEX32: 4 bytes).
    HRESULT Create(IDirect3DDevice8* device, DWORD count, D3DFORMAT format, DWORD usage, D3DPOOL pool);
    HRESULT Recreate(IDirect3DDevice8* device);
    void ReleaseBuffer();

    HRESULT Lock(DWORD count, void** data, bool discard);
    HRESULT Unlock();

    IDirect3DIndexBuffer8* buffer;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    DWORD capacity;
    DWORD stride;
    DWORD sizeBytes;
    DWORD cursor;
    DWORD lockStart;
    DWORD lockCount;
    int locks;
};
