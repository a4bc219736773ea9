// A device wrapper on the recording backend with the game's shared vertex and index
// buffers: what the tests and benchmarks that draw without a real graphics library
// build their passes on. Holds no test framework, so the benchmarks can use it.
#pragma once

#include <memory>

#include "platform/d3d8/backend.h"
#include "render/Device.h"

namespace test_support {

class RecordingScreen
{
public:
    explicit RecordingScreen(UINT width = 640, UINT height = 480, DWORD vertexCount = 65536,
                             DWORD indexCount = 65536)
    {
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        created = device->Create(width, height, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1,
                                 D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0);
        vertexBuffer = device->CreateVertexBuffer(vertexCount, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                                  D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(indexCount, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
    }

    // The buffers go before the device, the device before the Direct3D object it
    // does not own.
    ~RecordingScreen()
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
    }

    RecordingScreen(const RecordingScreen&) = delete;
    RecordingScreen& operator=(const RecordingScreen&) = delete;

    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    HRESULT created = D3DERR_INVALIDCALL; // what making the device answered
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
};

} // namespace test_support
