// A device on the recording backend with the game's shared buffers, and a
// reader of the draws the particle passes issued.
#pragma once

#include "platform/d3d8/backend.h"
#include "render/Device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace effects_test
{

struct ParticleDraw
{
    unsigned minIndex = 0, vertexCount = 0, startIndex = 0, primitives = 0;
    std::vector<long> states; // render states in force at the draw, -1 when never set
    long State(D3DRENDERSTATETYPE s) const { return states[s]; }
};

class RecordingDevice
{
public:
    explicit RecordingDevice(DWORD vertexCount = 65536, DWORD indexCount = 65536)
    {
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        EXPECT_EQ(D3D_OK, device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr,
                                         D3DFMT_D16, 1, D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD,
                                         0));
        vertexBuffer = device->CreateVertexBuffer(vertexCount, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                  kVertexFormat, D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(indexCount, D3DFMT_INDEX16,
                                                D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
        EXPECT_TRUE(vertexBuffer.IsValid());
        EXPECT_TRUE(indexBuffer.IsValid());
        Clear();
    }

    // Forgets the calls so far; the states they left (the device's cache) are kept
    // as the starting point of Draws.
    void Clear()
    {
        recorder->ClearCalls();
        start.assign(256, -1);
        for (DWORD s = 0; s < kD3DRenderStateCount && s < start.size(); ++s)
            if (device->renderState[s] != kStateUnknown)
                start[s] = long(device->renderState[s]);
    }

    ~RecordingDevice()
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
    }

    std::vector<ParticleDraw> Draws() const
    {
        std::vector<ParticleDraw> draws;
        std::vector<long> states = start;
        for (const std::string& call : recorder->calls)
        {
            unsigned a = 0, b = 0, c = 0, d = 0, e = 0;
            if (std::sscanf(call.c_str(), "SetRenderState(%u, %u)", &a, &b) == 2 && a < states.size())
                states[a] = long(b);
            else if (std::sscanf(call.c_str(), "DrawIndexedPrimitive(%u, %u, %u, %u, %u)", &a, &b,
                                 &c, &d, &e) == 5)
            {
                ParticleDraw draw;
                draw.minIndex = b;
                draw.vertexCount = c;
                draw.startIndex = d;
                draw.primitives = e;
                draw.states = states;
                draws.push_back(draw);
            }
        }
        return draws;
    }

    std::vector<long> start;
    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
};

} // namespace effects_test
