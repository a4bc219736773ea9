// Shared pieces of the board's drawing tests: a device wrapper on the recording
// backend with the shared dynamic buffers, the log sent to a file the test can
// read, and small token pictures written into a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "board/CapsManager.h"
#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"

namespace board_test
{

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A small opaque picture under the given name; its content decides the format.
inline bool WritePicture(const std::string& path, int width = 16, int height = 16)
{
    std::vector<unsigned char> rgba(size_t(width) * height * 4, 255);
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

inline const std::vector<std::string>& CapsTextureFiles()
{
    static const std::vector<std::string> files = {
        "Caps.png",       "Caps_d.png",     "Caps_l.tga",     "MemCaps1.tga",  "MemCaps2.tga", "MemCaps3.tga",
        "MemCaps1_l.tga", "MemCaps2_l.tga", "MemCaps3_l.tga", "CursorAdd.bmp", "Chain.png",
    };
    return files;
}

// The log goes to a file of its own; the recording backend draws.
class RecordingBoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = ::testing::TempDir() + "board_" + info->test_suite_name() + "_" + info->name() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        logPath = folder + "board.log";
        SetLogFile(logPath.c_str());
        ResetLog();
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        ASSERT_EQ(D3D_OK, device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1,
                                         D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
        vertexBuffer = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                                  D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
        ASSERT_TRUE(vertexBuffer && indexBuffer);
        manager = CRefPtr<CCapsManager>(new CCapsManager(device, vertexBuffer, indexBuffer));
        recorder->ClearCalls();
    }

    void TearDown() override
    {
        manager.Reset();
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
        platform::UseGLBackend();
        SetLogFile("");
    }

    std::string Log() const { return ReadFile(logPath); }

    void WriteCapsPictures()
    {
        for (const std::string& name : CapsTextureFiles())
            ASSERT_TRUE(WritePicture(folder + name)) << name;
    }

    // The vertices written so far, read back from the recording buffer.
    std::vector<CVertex> Vertices(uint32_t first, uint32_t count)
    {
        BYTE* data = nullptr;
        EXPECT_EQ(D3D_OK, vertexBuffer->buffer->Lock(0, 0, &data, 0));
        std::vector<CVertex> out(count);
        if (data)
            std::memcpy(out.data(), data + first * sizeof(CVertex), count * sizeof(CVertex));
        vertexBuffer->buffer->Unlock();
        return out;
    }

    std::string folder;
    std::string logPath;
    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CCapsManager> manager;
};

} // namespace board_test
