// The base of fixtures that load and draw on a recording screen with the log sent to
// a file of their own: the log file, the screen, its recorder and device, and the
// log's text. The OpenGL backend is chosen again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/LogFile.h"
#include "tests/support/RecordingScreen.h"

namespace test_support {

class RecordingScreenTest : public ::testing::Test
{
protected:
    // Sends the log to `logPath` (emptied), then makes the 640 x 480 screen; the
    // test fails when the device is refused.
    void StartScreen(const std::string& logPath)
    {
        log.emplace(logPath);
        screen.emplace();
        recorder = screen->recorder;
        device = screen->device;
        ASSERT_EQ(D3D_OK, screen->created);
    }

    // Fixtures drop what they made on the device first, then call this.
    void TearDown() override
    {
        device.Reset();
        screen.reset();
        platform::UseGLBackend();
        log.reset();
    }

    static std::string Log() { return ReadLogFile(); }

    std::optional<LogToFile> log;
    std::optional<RecordingScreen> screen;
    std::shared_ptr<platform::D3DRecorder> recorder;
    CRefPtr<CDevice> device;
};

} // namespace test_support
