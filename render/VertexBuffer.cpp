// The shared streaming vertex buffer.
#include "render/VertexBuffer.h"

#include "engine/Log.h"

CVertexBuffer::CVertexBuffer() : CStreamBuffer(32768, 32), fvf(kVertexFormat)
{
}

CVertexBuffer::~CVertexBuffer()
{
    LogText("Vertex Buffer Destruction. ");
    LogInt(locks);
    LogText(" Locks left\n");
}

HRESULT CVertexBuffer::Create(IDirect3DDevice8* device, DWORD count, DWORD strideBytes, DWORD usageFlags,
                              DWORD format, D3DPOOL memoryPool)
{
    capacity = count;
    stride = strideBytes;
    sizeBytes = count * strideBytes;
    usage = usageFlags;
    fvf = format;
    pool = memoryPool;
    return Recreate(device);
}

HRESULT CVertexBuffer::Recreate(IDirect3DDevice8* device)
{
    Forget();
    if (!device)
        return D3DERR_INVALIDCALL;
    return device->CreateVertexBuffer(sizeBytes, usage, fvf, pool, &buffer);
}
