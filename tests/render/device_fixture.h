// A device wrapper on the recording backend, with the log sent to a file the test can
// read: the fixture of the device, buffer and texture tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"

class RecDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        logPath = ::testing::TempDir() + "gfx_device_test.log";
        SetLogFile(logPath.c_str());
        ResetLog();
        recorder = platform::UseRecordingBackend();
    }

    void TearDown() override
    {
        device.Reset();
        if (d3d)
            d3d->Release();
        platform::UseGLBackend();
        SetLogFile("");
    }

    // Makes the wrapper and a windowed 640 x 480 device (vsync off).
    void MakeDevice(int adapter = 0)
    {
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, adapter));
        ASSERT_EQ(D3D_OK, device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1,
                                         D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
        recorder->ClearCalls();
    }

    std::string Log() const
    {
        std::ifstream in(logPath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string logPath;
    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
};
