// A renderer on the recording backend, with scripted adapters and the log sent to a
// file the test can read: the fixture of the renderer tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "render/FrameLayers.h"
#include "render/Renderer.h"
#include "tests/support/RecordingBackendTest.h"

// The engine's layers of the frame with nothing from the other subsystems; the
// background layer leaves a mark (SetCursorPosition) that shows the frame was drawn.
struct EngineOnlyLayers : CEngineFrameLayers
{
    using CEngineFrameLayers::CEngineFrameLayers;
    bool BlackBackground() const { return false; }
    void Background() { renderer.device->device->SetCursorPosition(0, 0, 0); }
    void ParticlesAlphaTested(int) {}
    void ParticlesBlended(int) {}
    void Fader() {}
    void SandGlass() {}
    void Caps() {}
    void CapsChains() {}
    void Forms() {}
};

class RendererTest : public test_support::RecordingBackendTest
{
protected:
    RendererTest() : RecordingBackendTest("renderer_test.log") {}

    void SetUp() override
    {
        RecordingBackendTest::SetUp();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
    }

    void TearDown() override
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        renderer.Reset();
        RecordingBackendTest::TearDown();
    }

    static VideoSettings Settings(int fullScreen, int width, int height, int colorMode = -1, int adapter = 0)
    {
        VideoSettings s{};
        s.adapter = adapter;
        s.colorMode = colorMode;
        s.fullScreen = fullScreen;
        s.width = width;
        s.height = height;
        return s;
    }

    // The default recording adapter (desktop 1024 x 768 X8R8G8B8) with more full-screen
    // sizes in X8R8G8B8.
    static platform::RecAdapter WideAdapter()
    {
        platform::RecAdapter a = platform::D3DRecorder::DefaultAdapter();
        const UINT sizes[][2] = {{1280, 720}, {1280, 1024}, {1366, 768}, {1920, 1080}};
        for (auto& s : sizes)
            a.modes.push_back(D3DDISPLAYMODE{s[0], s[1], 60, D3DFMT_X8R8G8B8});
        return a;
    }

    HRESULT Create(VideoSettings& s)
    {
        renderer = CRefPtr<CRenderer>(new CRenderer());
        return renderer->Create(&s, d3d, nullptr, D3DFMT_D16);
    }

    // A windowed 640 x 480 renderer with the game's shared buffers.
    void MakeRenderer(VideoSettings s = Settings(0, 640, 480))
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        ASSERT_EQ(D3D_OK, Create(s));
        vertexBuffer = renderer->device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                            kVertexFormat, D3DPOOL_DEFAULT);
        indexBuffer = renderer->device->CreateIndexBuffer(65536, D3DFMT_INDEX16,
                                                          D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
        ASSERT_TRUE(vertexBuffer.IsValid());
        ASSERT_TRUE(indexBuffer.IsValid());
        renderer->vertexBuffer = vertexBuffer;
        renderer->indexBuffer = indexBuffer;
        recorder->ClearCalls();
    }

    // The recorded calls that start with one of the prefixes, in order.
    std::vector<std::string> Calls(const std::vector<std::string>& prefixes) const
    {
        std::vector<std::string> out;
        for (const std::string& c : recorder->calls)
            for (const std::string& p : prefixes)
                if (c.compare(0, p.size(), p) == 0)
                {
                    out.push_back(c);
                    break;
                }
        return out;
    }

    CRefPtr<CRenderer> renderer;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
};
