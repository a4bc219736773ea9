// The recording screen (a device wrapper on the recording backend with the game's
// shared buffers) checked as it is made, and a reader of the indexed draws the
// passes issued since the last ClearCalls: their arguments, the vertices and indices
// they read and the render states in force for each.
#pragma once

#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/RecordingScreen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace test_support {

// One indexed draw as the recording backend saw it, with its vertices and indices
// read back from the shared buffers.
struct RecordedDraw
{
    unsigned minIndex = 0;
    unsigned vertexCount = 0;
    unsigned startIndex = 0;
    unsigned primitives = 0;
    std::vector<CVertex> vertices;
    std::vector<uint16_t> indices;
    // The value of each render state when the draw was issued (-1 when unknown): the
    // device's cache at the last ClearCalls, changed by the recorded calls since.
    std::vector<long> states;

    long State(D3DRENDERSTATETYPE state) const { return states[state]; }
    uint32_t Colour() const { return vertices.empty() ? 0 : vertices[0].colour; }
};

class RecordingDevice : public RecordingScreen
{
public:
    explicit RecordingDevice(DWORD vertexCount = 65536, DWORD indexCount = 65536)
        : RecordingScreen(640, 480, vertexCount, indexCount)
    {
        EXPECT_EQ(D3D_OK, created);
        EXPECT_TRUE(vertexBuffer.IsValid());
        EXPECT_TRUE(indexBuffer.IsValid());
        ClearCalls();
    }

    // Forgets the calls so far; the states in force now are where Draws starts.
    void ClearCalls()
    {
        recorder->ClearCalls();
        startStates.assign(256, -1);
        for (DWORD s = 0; s < kD3DRenderStateCount; ++s)
            if (device->renderState[s] != kStateUnknown)
                startStates[s] = long(device->renderState[s]);
    }

    CRefPtr<CTexture> Texture(const char* name)
    {
        return device->CreateTexture(name, 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    }

    std::vector<RecordedDraw> Draws() const
    {
        std::vector<RecordedDraw> draws;
        std::vector<long> states = startStates;
        for (const std::string& call : recorder->calls)
        {
            unsigned a = 0, b = 0, c = 0, d = 0, e = 0;
            if (std::sscanf(call.c_str(), "SetRenderState(%u, %u)", &a, &b) == 2 && a < states.size())
                states[a] = long(b);
            else if (std::sscanf(call.c_str(), "DrawIndexedPrimitive(%u, %u, %u, %u, %u)", &a, &b, &c, &d,
                                 &e) == 5)
            {
                RecordedDraw draw;
                draw.minIndex = b;
                draw.vertexCount = c;
                draw.startIndex = d;
                draw.primitives = e;
                draw.states = states;
                draw.vertices = ReadVertices(b, c);
                draw.indices = ReadIndices(d, e * 3);
                draws.push_back(draw);
            }
        }
        return draws;
    }

    int Calls(const std::string& method, const std::string& args = std::string()) const
    {
        return recorder->Count(method, args);
    }

    // Vertices of the shared buffer (zeros where the range lies beyond it).
    std::vector<CVertex> ReadVertices(unsigned first, unsigned count) const
    {
        std::vector<CVertex> out(count);
        BYTE* data = nullptr;
        if (vertexBuffer->buffer->Lock(first * sizeof(CVertex), count * sizeof(CVertex), &data,
                                       D3DLOCK_READONLY) == D3D_OK)
        {
            std::memcpy(out.data(), data, count * sizeof(CVertex));
            vertexBuffer->buffer->Unlock();
        }
        return out;
    }

    std::vector<uint16_t> ReadIndices(unsigned first, unsigned count) const
    {
        std::vector<uint16_t> out(count);
        BYTE* data = nullptr;
        if (indexBuffer->buffer->Lock(first * 2, count * 2, &data, D3DLOCK_READONLY) == D3D_OK)
        {
            std::memcpy(out.data(), data, count * 2);
            indexBuffer->buffer->Unlock();
        }
        return out;
    }

    std::vector<long> startStates;
};

} // namespace test_support
