// The window and graphics library of the tests that draw with the real OpenGL
// backend: the offscreen video driver unless the run chose another, and a game-style
// window whose messages all go to DefWindowProc.
#pragma once

#include <cstdlib>

#include "platform/d3d8/backend.h"
#include "platform/win32.h"

namespace test_support {

// Selects the OpenGL backend and loads the graphics library on the offscreen video
// driver when SDL_VIDEODRIVER is not set. Null when there is no OpenGL at all. The
// library stays loaded for the process: unloading Mesa's driver would leave its own
// leaks without a module name for the leak checker to recognise.
inline HMODULE LoadOffscreenGraphics()
{
    if (!std::getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::UseGLBackend();
    return LoadLibraryA("D3D8.DLL");
}

// A windowed game-style window with a client area of `width` x `height`; null when
// no window can be made.
inline HWND CreateTestWindow(int width, int height)
{
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "OrbTestWindow";
    RegisterClass(&wc); // refused harmlessly when an earlier test registered it
    return CreateWindowEx(0, "OrbTestWindow", "Test", 0x10CA0000, 0, 0, width, height, nullptr, nullptr, nullptr,
                          nullptr);
}

} // namespace test_support
