// The shared streaming vertex buffer.
#include "render/VertexBuffer.h"

#include "engine/Log.h"

CVertexBuffer::CVertexBuffer()
    : buffer(nullptr), usage(D3DUSAGE_WRITEONLY), fvf(kVertexFormat), pool(D3DPOOL_MANAGED), capacity(32768),
      stride(32), sizeBytes(0x100000), cursor(0), lockStart(0), lockCount(0), locks(0)
{
}

CVertexBuffer::~CVertexBuffer()
{
    LogText("Vertex Buffer Destruction. ");
    LogInt(locks);
    LogText(" Locks left\n");
    ReleaseBuffer();
}

void CVertexBuffer::ReleaseBuffer()
{
    if (buffer)
        buffer->Release();
    buffer = nullptr;
}

HRESULT CVertexBuffer::Create(IDirect3DDevice8* device, DWORD count, DWORD strideBytes, DWORD usageFlags,
                              DWORD format, D3DPOOL memoryPool)
{
    ReleaseBuffer();
    capacity = count;
    stride = strideBytes;
    sizeBytes = count * strideBytes;
    usage = usageFlags;
    fvf = format;
    pool = memoryPool;
    cursor = lockStart = lockCount = 0;
    if (!device)
        return D3DERR_INVALIDCALL;
    return device->CreateVertexBuffer(sizeBytes, usage, fvf, pool, &buffer);
}

HRESULT CVertexBuffer::Recreate(IDirect3DDevice8* device)
{
    ReleaseBuffer();
    cursor = lockStart = lockCount = 0;
    if (!device)
        return D3DERR_INVALIDCALL;
    return device->CreateVertexBuffer(sizeBytes, usage, fvf, pool, &buffer);
}

HRESULT CVertexBuffer::Lock(DWORD count, void** data, bool discard)
{
    // A buffer released for a device reset and not yet made again draws nothing.
    if (!buffer)
        return D3DERR_INVALIDCALL;
    HRESULT hr;
    BYTE* p = nullptr;
    if (!discard && cursor + count <= capacity)
    {
        lockStart = cursor;
        hr = buffer->Lock(cursor * stride, count * stride, &p, D3DLOCK_NOOVERWRITE);
        cursor += count;
    }
    else
    {
        lockStart = 0;
        hr = buffer->Lock(0, count * stride, &p, D3DLOCK_DISCARD);
        cursor = count;
    }
    if (SUCCEEDED(hr))
    {
        ++locks;
        lockCount = count;
        if (data)
            *data = p;
    }
    return hr;
}

HRESULT CVertexBuffer::Unlock()
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    HRESULT hr = buffer->Unlock();
    if (SUCCEEDED(hr))
        --locks;
    return hr;
}
