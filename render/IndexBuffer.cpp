// The shared streaming index buffer.
#include "render/IndexBuffer.h"

#include "engine/Log.h"

CIndexBuffer::CIndexBuffer()
    : buffer(nullptr), usage(D3DUSAGE_WRITEONLY), format(D3DFMT_INDEX16), pool(D3DPOOL_MANAGED), capacity(32768),
      stride(2), sizeBytes(0x10000), cursor(0), lockStart(0), lockCount(0), locks(0)
{
}

CIndexBuffer::~CIndexBuffer()
{
    LogText("Index Buffer Destruction. ");
    LogInt(locks);
    LogText(" Locks left\n");
    ReleaseBuffer();
}

void CIndexBuffer::ReleaseBuffer()
{
    if (buffer)
        buffer->Release();
    buffer = nullptr;
}

HRESULT CIndexBuffer::Create(IDirect3DDevice8* device, DWORD count, D3DFORMAT indexFormat, DWORD usageFlags,
                             D3DPOOL memoryPool)
{
    ReleaseBuffer();
    capacity = count;
    format = indexFormat;
    stride = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    sizeBytes = count * stride;
    usage = usageFlags;
    pool = memoryPool;
    cursor = lockStart = lockCount = 0;
    if (!device)
        return D3DERR_INVALIDCALL;
    return device->CreateIndexBuffer(sizeBytes, usage, format, pool, &buffer);
}

HRESULT CIndexBuffer::Recreate(IDirect3DDevice8* device)
{
    ReleaseBuffer();
    cursor = lockStart = lockCount = 0;
    if (!device)
        return D3DERR_INVALIDCALL;
    return device->CreateIndexBuffer(sizeBytes, usage, format, pool, &buffer);
}

HRESULT CIndexBuffer::Lock(DWORD count, void** data, bool discard)
{
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

HRESULT CIndexBuffer::Unlock()
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    HRESULT hr = buffer->Unlock();
    if (SUCCEEDED(hr))
        --locks;
    return hr;
}
