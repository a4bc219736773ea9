// Drawing quads through the shared streaming vertex and index buffers: how many quads
// one run can hold, locking both buffers for a run, and a quad's two triangles.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "render/IndexBuffer.h"
#include "render/VertexBuffer.h"

// The most quads (4 vertices and 6 indices each) one run through the buffers holds.
inline size_t QuadCapacity(const CVertexBuffer& vertexBuffer, const CIndexBuffer& indexBuffer)
{
    return std::min<size_t>(vertexBuffer.capacity / 4, indexBuffer.capacity / 6);
}

// Locks a run of `vertexCount` vertices and `indexCount` indices (appended, or from
// the start when they do not fit). On failure neither buffer stays locked.
inline HRESULT LockRun(CVertexBuffer& vertexBuffer, CIndexBuffer& indexBuffer, DWORD vertexCount, DWORD indexCount,
                       CVertex** vertices, uint16_t** indices)
{
    void* vertexData = nullptr;
    void* indexData = nullptr;
    HRESULT hr = vertexBuffer.Lock(vertexCount, &vertexData, false);
    if (FAILED(hr))
        return hr;
    hr = indexBuffer.Lock(indexCount, &indexData, false);
    if (FAILED(hr))
    {
        vertexBuffer.Unlock();
        return hr;
    }
    *vertices = static_cast<CVertex*>(vertexData);
    *indices = static_cast<uint16_t*>(indexData);
    return D3D_OK;
}

// The two triangles (0 1 2, 0 2 3) of the quad whose four vertices start at `base`.
inline void SetQuadIndices(uint16_t* indices, uint32_t base)
{
    indices[0] = static_cast<uint16_t>(base);
    indices[1] = static_cast<uint16_t>(base + 1);
    indices[2] = static_cast<uint16_t>(base + 2);
    indices[3] = static_cast<uint16_t>(base);
    indices[4] = static_cast<uint16_t>(base + 2);
    indices[5] = static_cast<uint16_t>(base + 3);
}
