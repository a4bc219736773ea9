// The shared streaming index buffer.
#include "render/IndexBuffer.h"

#include "engine/Log.h"

CIndexBuffer::CIndexBuffer() : CStreamBuffer(32768, 2), format(D3DFMT_INDEX16)
{
}

CIndexBuffer::~CIndexBuffer()
{
    LogText("Index Buffer Destruction. ");
    LogInt(locks);
    LogText(" Locks left\n");
}

HRESULT CIndexBuffer::Create(IDirect3DDevice8* device, DWORD count, D3DFORMAT indexFormat, DWORD usageFlags,
                             D3DPOOL memoryPool)
{
    capacity = count;
    format = indexFormat;
    stride = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    sizeBytes = count * stride;
    usage = usageFlags;
    pool = memoryPool;
    return Recreate(device);
}

HRESULT CIndexBuffer::Recreate(IDirect3DDevice8* device)
{
    Forget();
    if (!device)
        return D3DERR_INVALIDCALL;
    return device->CreateIndexBuffer(sizeBytes, usage, format, pool, &buffer);
}
