// Shared state of the window, message and cursor code of platform/win32 (internal).
#pragma once

#include <SDL.h>

#include <string>

#include "platform/win32/api.h"

struct HWND__
{
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    WNDPROC proc = nullptr;
    HCURSOR classCursor = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int backWidth = 0;
    int backHeight = 0;
    bool fullScreen = false;
    bool destroyed = false;
};

namespace platform {

// A live (not yet destroyed) window made by CreateWindowEx, or NULL.
HWND__* LiveWindow(HWND hwnd);
// Any window made by CreateWindowEx, destroyed or not, or NULL.
HWND__* KnownWindow(HWND hwnd);
// The window an SDL event belongs to: by SDL window id, else (synthetic events, id 0)
// the newest live window.
HWND__* WindowForSdlId(Uint32 id);

// Drops queued messages of a window being destroyed; forgets everything (DestroyAllWindows).
void PurgeMessagesFor(HWND hwnd);
void ResetMessageQueue();

// Re-applies the one SDL cursor from the device cursor and the system cursor.
void ApplyCursor();
void ResetCursorState();
// Button state tracked from the events, for the MK_ flags of mouse messages.
void ResetMouseButtons();

// The icon of resource 101, made at start-up; owned by the layer.
SDL_Surface* GameIconSurface();
void FreeGameIcon();

// True when another copy asked, since the last call, for the window to come to the front
// (requests to the holder of a named mutex).
bool TakeShowRequest();
// Brings the newest live window to the front (restored first when minimised), where the
// desktop allows it.
void BringWindowToFront();

// Reaps finished shell children without blocking.
void ReapShellChildren();
// Waits for every shell child (tests).
void WaitShellChildren();

}  // namespace platform
