// The base of the fixtures that drive Direct3D through the recording backend with
// the log sent to a file of their own: the recorder, the Direct3D object the test
// makes, and the log's text. The OpenGL backend is chosen again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "tests/support/LogFile.h"

namespace test_support {

class RecordingBackendTest : public ::testing::Test
{
protected:
    explicit RecordingBackendTest(const char* logName) : m_logName(logName) {}

    void SetUp() override
    {
        logPath = ::testing::TempDir() + m_logName;
        SetLogFile(logPath.c_str());
        ResetLog();
        recorder = platform::UseRecordingBackend();
    }

    // Fixtures drop what they made through d3d first, then call this.
    void TearDown() override
    {
        if (d3d)
            d3d->Release();
        platform::UseGLBackend();
        SetLogFile("");
    }

    static std::string Log() { return ReadLogFile(); }

    std::string logPath;
    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;

private:
    std::string m_logName;
};

} // namespace test_support
