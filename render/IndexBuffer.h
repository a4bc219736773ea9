// CIndexBuffer: the index twin of CVertexBuffer (the same append-or-discard lock rule
// of CStreamBuffer). Indices written into it are absolute vertex numbers: callers add
// the vertex buffer's lockStart, and the buffer is bound with base vertex 0.
#pragma once

#include "platform/d3d8.h"
#include "render/StreamBuffer.h"

class CIndexBuffer : public CStreamBuffer<IDirect3DIndexBuffer8>
{
public:
    CIndexBuffer();
    ~CIndexBuffer();

    // count indices of `format` (D3DFMT_INDEX16: 2 bytes, D3DFMT_INDEX32: 4 bytes).
    HRESULT Create(IDirect3DDevice8* device, DWORD count, D3DFORMAT format, DWORD usage, D3DPOOL pool);
    HRESULT Recreate(IDirect3DDevice8* device);

    D3DFORMAT format;
};
