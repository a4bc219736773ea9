// The SDL side of a game window, for the platform layer's own use (the GL device, tests).
// Game code never includes this header.
#pragma once

#include <SDL.h>

#include "platform/win32/types.h"

namespace platform {

// The SDL window behind a game window; NULL for NULL, an unknown handle, or a window
// made without video. The SDL window outlives DestroyWindow (it is only hidden then), so a
// GL context made on it stays valid until DestroyAllWindows.
SDL_Window* SdlWindowOf(HWND hwnd);

// The back buffer: the client size the game sees (GetClientRect, mouse lParam).
struct BackBufferSize
{
    int width;
    int height;
};
BackBufferSize GetBackBufferSize(HWND hwnd);

// Mode switch by the device (creation and Reset). Windowed: the window's client area
// becomes the back buffer. Full screen: the window covers the desktop
// (SDL_WINDOW_FULLSCREEN_DESKTOP) and the back buffer is shown scaled and centred.
// Returns false when SDL refuses the switch.
bool SetBackBufferMode(HWND hwnd, int width, int height, bool fullScreen);
bool IsFullScreenMode(HWND hwnd);

// Where the back buffer lands in the window's drawable, in drawable pixels with the
// origin at the bottom left (glViewport order): the whole drawable when windowed,
// the uniformly scaled, centred rectangle in full screen (the rest are black bars).
SDL_Rect PresentRect(HWND hwnd);

// Maps a point of a window of winW x winH onto a backW x backH back buffer shown
// scaled and centred (identity when the sizes match). Points on the bars fall outside.
SDL_Point WindowToBackBuffer(int winW, int winH, int backW, int backH, int x, int y);

// The device cursor: an SDL colour cursor owned by the caller (NULL forgets it; hand over
// the new one before freeing the old), and its visibility. While shown it wins over the
// system arrow.
void SetDeviceCursor(SDL_Cursor* cursor);
void ShowDeviceCursor(bool show);

// Frees every SDL window, destroyed or not, and forgets all windows, classes and queued
// messages. Called by main() after WinMain and by tests between cases; release any GL
// context first.
void DestroyAllWindows();

}  // namespace platform
