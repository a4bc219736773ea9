// The program entry's seams for the test harness: the harness runs the real WinMain
// and message loop, replaces the millisecond clock with its own fixed steps and gets
// a call after every frame tick, where it can post window messages, look at the game
// and save frames.
#pragma once

#include "platform/win32.h"

class CGame;

namespace entry {

struct Hooks
{
    // The loop's millisecond clock; timeGetTime when null.
    DWORD (*clock)() = nullptr;
    // Called after every frame tick with the number of ticks so far.
    void (*afterTick)(int tick) = nullptr;
};

Hooks& GetHooks();

// The running game (null before it is made and after it is destroyed) and the window.
CGame* CurrentGame();
HWND MainWindow();

}  // namespace entry
