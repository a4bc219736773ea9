// The start of the tests that draw with the real OpenGL backend: the graphics
// library, a test window and the library's Direct3D object.
#pragma once

#include <gtest/gtest.h>

#include "platform/d3d8.h"
#include "platform/win32.h"
#include "tests/support/GLTestDevice.h"
#include "tests/support/TestWindow.h"

namespace test_support {

// Loads the library, makes a `width` x `height` test window and the Direct3D object.
// Skips the test where there is no OpenGL at all and fails it where the window or
// the object cannot be made: the caller returns when the test is skipped or failed.
inline void StartGLDirect3D(int width, int height, HMODULE& library, HWND& window, IDirect3D8*& d3d)
{
    library = LoadOffscreenGraphics();
    if (!library)
        GTEST_SKIP() << "no OpenGL video driver";
    window = CreateTestWindow(width, height);
    ASSERT_NE(nullptr, window);
    d3d = CreateDirect3D(library);
    ASSERT_NE(nullptr, d3d);
}

} // namespace test_support
