// Shared helpers of the persistence tests: a private temporary folder per test with
// the log redirected into it, and little-endian peeks into byte buffers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Log.h"
#include "tests/support/LogFile.h"

class SaveFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orb_saves_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        SetLogFile(Path("test.log").c_str());
        ResetLog();
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    static std::string LogContents() { return test_support::ReadLogFile(); }

public:
    static std::string ReadText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static std::vector<uint8_t> ReadBytes(const std::string& path)
    {
        std::string s = ReadText(path);
        return std::vector<uint8_t>(s.begin(), s.end());
    }

    static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    static void WriteText(const std::string& path, const std::string& text)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }

protected:
    // Every file in the folder except the log.
    std::vector<std::string> FilesInFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))
            if (entry.path().filename() != "test.log")
                names.push_back(entry.path().filename().string());
        return names;
    }

    std::string m_dir;
};

inline uint32_t U32At(const std::vector<uint8_t>& b, size_t off)
{
    return uint32_t(b.at(off)) | uint32_t(b.at(off + 1)) << 8 | uint32_t(b.at(off + 2)) << 16 |
           uint32_t(b.at(off + 3)) << 24;
}

inline void PutU32(std::vector<uint8_t>& b, size_t off, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(off + i) = static_cast<uint8_t>(v >> (8 * i));
}
