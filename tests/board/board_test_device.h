// Shared pieces of the board's drawing tests: the shared recording device, the log
// sent to a file the test can read, and small token pictures written into a
// temporary folder.
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

#include "board/CapsManager.h"
#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/LogFile.h"
#include "tests/support/RecordingDevice.h"
#include "tools/common/ImageWrite.h"

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
    return tools::WritePng(path, width, height, 4, std::vector<uint8_t>(size_t(width) * size_t(height) * 4, 255));
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
        gl = std::make_unique<test_support::RecordingDevice>();
        recorder = gl->recorder;
        device = gl->device;
        vertexBuffer = gl->vertexBuffer;
        indexBuffer = gl->indexBuffer;
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
        gl.reset();
        platform::UseGLBackend();
        SetLogFile("");
    }

    static std::string Log() { return test_support::ReadLogFile(); }

    void WriteCapsPictures()
    {
        for (const std::string& name : CapsTextureFiles())
            ASSERT_TRUE(WritePicture(folder + name)) << name;
    }

    // The vertices written so far, read back from the recording buffer.
    std::vector<CVertex> Vertices(uint32_t first, uint32_t count) const { return gl->ReadVertices(first, count); }

    std::string folder;
    std::string logPath;
    std::shared_ptr<platform::D3DRecorder> recorder;
    std::unique_ptr<test_support::RecordingDevice> gl;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CCapsManager> manager;
};

} // namespace board_test
