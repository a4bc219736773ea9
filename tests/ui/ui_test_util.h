// Shared helpers of the widget and form tests: a recording device with the
// shared buffers and named textures, a box font, temporary form files, and a
// reader of the draws the recording backend saw.
#pragma once

#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace ui_test {

inline std::string Fixture(const char* name)
{
    return std::string(ORB_FIXTURES_DIR) + "/" + name;
}

// Writes text to a file of its own in the test temporary folder.
inline std::string TempForm(const std::string& text, const char* name = "ui_test_form.kmf")
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A font of glyph boxes: every glyph 8 wide, 12 high, advancing 10; blank 5.
inline CRefPtr<CFont> BoxFont(CRefPtr<CTexture> texture = CRefPtr<CTexture>(), int baseSize = 16)
{
    CRefPtr<CFont> font(new CFont(texture));
    for (int c = 0; c < CFont::kGlyphCount; ++c)
    {
        CGlyph& g = font->glyphs[c];
        g.width = 0.8f;
        g.height = 1.0f;
        g.advance = 1.0f;
        g.uLeft = 0.0f;
        g.vTop = 0.0f;
        g.uRight = 1.0f;
        g.vBottom = 1.0f;
    }
    font->glyphs[' '].advance = 0.5f;
    font->spaceAdvance = 0.5f;
    font->header[3] = uint32_t(baseSize);
    font->headerFloat3 = float(baseSize);
    return font;
}

struct Draw
{
    std::vector<CVertex> vertices;
    uint32_t Colour() const { return vertices.empty() ? 0 : vertices[0].colour; }
};

// A device on the recording backend with the game's shared buffers.
class RecDevice
{
public:
    RecDevice()
    {
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        EXPECT_EQ(D3D_OK, device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1,
                                         D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
        vertexBuffer = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                                  D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
    }

    ~RecDevice()
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
    }

    CRefPtr<CTexture> Texture(const char* name)
    {
        return device->CreateTexture(name, 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    }

    CRefPtr<CSpriteList> SpriteList()
    {
        return CRefPtr<CSpriteList>(new CSpriteList(device, vertexBuffer, indexBuffer));
    }

    CRefPtr<CTextSet> TextSet() { return CRefPtr<CTextSet>(new CTextSet(device, vertexBuffer, indexBuffer)); }

    // The indexed draws since the last ClearCalls, with their vertices.
    std::vector<Draw> Draws() const
    {
        std::vector<Draw> draws;
        for (const std::string& call : recorder->calls)
        {
            unsigned type = 0, minIndex = 0, count = 0, start = 0, primitives = 0;
            if (std::sscanf(call.c_str(), "DrawIndexedPrimitive(%u, %u, %u, %u, %u)", &type, &minIndex, &count,
                            &start, &primitives) != 5)
                continue;
            Draw draw;
            draw.vertices.resize(count);
            BYTE* data = nullptr;
            if (vertexBuffer->buffer->Lock(minIndex * sizeof(CVertex), count * sizeof(CVertex), &data,
                                           D3DLOCK_READONLY) == D3D_OK)
            {
                std::memcpy(draw.vertices.data(), data, count * sizeof(CVertex));
                vertexBuffer->buffer->Unlock();
            }
            draws.push_back(draw);
        }
        return draws;
    }

    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
};

} // namespace ui_test
