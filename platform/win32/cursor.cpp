// The one SDL cursor: the device cursor while it is shown, else the system arrow while
// one is set, else none; and the cursor position in screen and client coordinates.
#include <SDL.h>

#include "platform/win32/sdl_window.h"
#include "platform/win32/window_internal.h"

namespace {

HCURSOR g_systemCursor = nullptr;
SDL_Cursor* g_deviceCursor = nullptr;
bool g_deviceCursorShown = false;
SDL_Cursor* g_arrow = nullptr;

// The newest live window, whose position and scaling the cursor calls use.
HWND__* MainWindow() { return platform::WindowForSdlId(0); }

}  // namespace

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = g_systemCursor;
    g_systemCursor = cursor;
    platform::ApplyCursor();
    return previous;
}

// Screen = window position + the pointer in back-buffer pixels (full-screen scaling undone).
BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    *point = POINT{0, 0};
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return FALSE;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    HWND__* w = MainWindow();
    if (!w)
    {
        point->x = x;
        point->y = y;
        return TRUE;
    }
    int winX = 0, winY = 0, winW = 0, winH = 0;
    SDL_GetWindowPosition(w->sdl, &winX, &winY);
    SDL_GetWindowSize(w->sdl, &winW, &winH);
    SDL_Point p = platform::WindowToBackBuffer(winW, winH, w->backWidth, w->backHeight, x, y);
    point->x = winX + p.x;
    point->y = winY + p.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point)
{
    HWND__* w = platform::KnownWindow(hwnd);
    if (!w || !point)
        return FALSE;
    int winX = 0, winY = 0;
    SDL_GetWindowPosition(w->sdl, &winX, &winY);
    point->x -= winX;
    point->y -= winY;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
    HWND__* w = platform::KnownWindow(hwnd);
    if (!w || !point)
        return FALSE;
    int winX = 0, winY = 0;
    SDL_GetWindowPosition(w->sdl, &winX, &winY);
    point->x += winX;
    point->y += winY;
    return TRUE;
}

namespace platform {

void ApplyCursor()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    if (g_deviceCursorShown && g_deviceCursor)
    {
        SDL_SetCursor(g_deviceCursor);
        SDL_ShowCursor(SDL_ENABLE);
        return;
    }
    if (g_systemCursor)
    {
        if (!g_arrow)
            g_arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        if (g_arrow)
            SDL_SetCursor(g_arrow);
        SDL_ShowCursor(SDL_ENABLE);
        return;
    }
    SDL_ShowCursor(SDL_DISABLE);
}

void SetDeviceCursor(SDL_Cursor* cursor)
{
    g_deviceCursor = cursor;
    ApplyCursor();
}

void ShowDeviceCursor(bool show)
{
    g_deviceCursorShown = show;
    ApplyCursor();
}

void ResetCursorState()
{
    g_systemCursor = nullptr;
    g_deviceCursor = nullptr;
    g_deviceCursorShown = false;
    if (g_arrow)
    {
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_FreeCursor(g_arrow);
        g_arrow = nullptr;
    }
}

}  // namespace platform
