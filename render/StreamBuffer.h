// CStreamBuffer: what the shared vertex and index buffers have in common: a Direct3D
// buffer that runs are streamed through. Runs are appended behind each other with
// no-overwrite locks; a run that does not fit discards the whole buffer and starts
// again at element 0. CVertexBuffer and CIndexBuffer add how their Direct3D buffer is made.
#pragma once

#include "platform/d3d8.h"

template <class Buffer>
class CStreamBuffer
{
public:
    CStreamBuffer(const CStreamBuffer&) = delete;
    CStreamBuffer& operator=(const CStreamBuffer&) = delete;

    // Drops the Direct3D buffer (before a device reset); the wrapper stays.
    void ReleaseBuffer()
    {
        if (buffer)
            buffer->Release();
        buffer = nullptr;
    }

    // Locks `count` elements: appended at the cursor when they fit and discard is 0,
    // otherwise the whole buffer is discarded and the run starts at 0. lockStart tells
    // where the run begins. Without a Direct3D buffer: D3DERR_INVALIDCALL.
    HRESULT Lock(DWORD count, void** data, bool discard)
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

    HRESULT Unlock()
    {
        if (!buffer)
            return D3DERR_INVALIDCALL;
        HRESULT hr = buffer->Unlock();
        if (SUCCEEDED(hr))
            --locks;
        return hr;
    }

    Buffer* buffer = nullptr;
    DWORD usage = D3DUSAGE_WRITEONLY;
    D3DPOOL pool = D3DPOOL_MANAGED;
    DWORD capacity;
    DWORD stride;
    DWORD sizeBytes;
    DWORD cursor = 0;
    DWORD lockStart = 0;
    DWORD lockCount = 0;
    int locks = 0;

protected:
    CStreamBuffer(DWORD count, DWORD elementBytes)
        : capacity(count), stride(elementBytes), sizeBytes(count * elementBytes)
    {
    }
    ~CStreamBuffer() { ReleaseBuffer(); }

    // Drops the buffer and its runs: what making it again starts from.
    void Forget()
    {
        ReleaseBuffer();
        cursor = lockStart = lockCount = 0;
    }
};
