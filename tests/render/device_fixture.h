// A device wrapper on the recording backend, with the log sent to a file the test can
// read: the fixture of the device, buffer and texture tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/RecordingBackendTest.h"

class RecDeviceTest : public test_support::RecordingBackendTest
{
protected:
    RecDeviceTest() : RecordingBackendTest("gfx_device_test.log") {}

    void TearDown() override
    {
        device.Reset();
        RecordingBackendTest::TearDown();
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

    CRefPtr<CDevice> device;
};
