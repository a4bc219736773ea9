// Shared helpers of the interface, catalogue and layout tests: a recording device
// with the game's shared buffers, a box font, a temporary folder per test, small
// picture files, and the log of the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Font.h"
#include "tests/support/LogFile.h"
#include "tests/support/RecordingScreen.h"

namespace screens_test {

// A folder of its own below the test temporary folder, emptied first.
inline std::string TempFolder(const std::string& name)
{
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / ("screens_" + name);
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path.string() + "/";
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// An uncompressed 32-bit TGA of one colour.
inline void WriteTga(const std::string& path, int width, int height, uint32_t argb = 0xFFFFFFFFu)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = uint8_t(width);
    bytes[13] = uint8_t(width >> 8);
    bytes[14] = uint8_t(height);
    bytes[15] = uint8_t(height >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28; // top-left origin, 8 alpha bits
    for (int i = 0; i < width * height; ++i)
    {
        bytes.push_back(uint8_t(argb));
        bytes.push_back(uint8_t(argb >> 8));
        bytes.push_back(uint8_t(argb >> 16));
        bytes.push_back(uint8_t(argb >> 24));
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A font of glyph boxes, enough for the form builder to lay out texts.
inline CRefPtr<CFont> BoxFont(int baseSize = 32)
{
    CRefPtr<CFont> font(new CFont(CRefPtr<CTexture>()));
    for (int c = 0; c < CFont::kGlyphCount; ++c)
    {
        CGlyph& g = font->glyphs[c];
        g.width = 0.5f;
        g.height = 1.0f;
        g.advance = 0.55f;
        g.uLeft = g.vTop = 0.0f;
        g.uRight = g.vBottom = 1.0f;
    }
    font->spaceAdvance = 0.3f;
    font->header[3] = uint32_t(baseSize);
    font->headerFloat3 = float(baseSize);
    return font;
}

// A recording screen with the log in a file of the test. Later tests of the binary
// get the OpenGL backend unless they choose.
class RecordingDevice : public test_support::LogToFile, public test_support::RecordingScreen
{
public:
    explicit RecordingDevice(const std::string& logName = "screens_test.log")
        : LogToFile(::testing::TempDir() + logName)
    {
        EXPECT_EQ(D3D_OK, created);
    }

    ~RecordingDevice() { platform::UseGLBackend(); }
};

} // namespace screens_test
