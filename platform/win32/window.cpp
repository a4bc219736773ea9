// Window classes and windows over SDL2: one SDL window per game window, made for GL.
#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/sdl_window.h"
#include "platform/win32/window_internal.h"
#include "platform/files/cp1251.h"

namespace {

struct WindowClass
{
    WNDPROC proc = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
};

std::map<std::string, WindowClass>& Classes()
{
    static std::map<std::string, WindowClass> classes;
    return classes;
}

// Windows live until DestroyAllWindows so that a destroyed handle is still recognised.
std::vector<std::unique_ptr<HWND__>>& Windows()
{
    static std::vector<std::unique_ptr<HWND__>> windows;
    return windows;
}

DWORD g_lastError = 0;

std::string LowerAscii(const char* text)
{
    std::string out = text ? text : "";
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Integer resource ids travel in the pointer's low word.
bool IsIntResource(LPCSTR name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }

// Opaque tokens for the one icon and the one cursor the layer knows.
HICON const kGameIcon = reinterpret_cast<HICON>(static_cast<uintptr_t>(101));
HCURSOR const kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(32512));

std::string WindowTitle(LPCSTR title)
{
    std::string text = title ? title : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return platform::Cp1251ToUtf8(text);
}

bool StartVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        return true;
    std::string message = std::string("Unable to start video: ") + SDL_GetError() + "\n";
    platform::LogToSink(message.c_str());
    return false;
}

}  // namespace

DWORD GetLastError() { return g_lastError; }
void SetLastError(DWORD error) { g_lastError = error; }

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc || !wc->lpszClassName || IsIntResource(wc->lpszClassName) || !wc->lpfnWndProc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string key = LowerAscii(wc->lpszClassName);
    if (Classes().count(key))
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass cls;
    cls.proc = wc->lpfnWndProc;
    cls.icon = wc->hIcon;
    cls.cursor = wc->hCursor;
    Classes()[key] = cls;
    return static_cast<ATOM>(0xC000 + Classes().size());
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    if (IsIntResource(name) && reinterpret_cast<uintptr_t>(name) == 101)
        return kGameIcon;
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name)
{
    if (name == IDC_ARROW)
        return kArrowCursor;
    return nullptr;
}

HGDIOBJ GetStockObject(int object)
{
    // Only the black brush is asked for; the background is never painted by the layer.
    return object == BLACK_BRUSH ? reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x40))
                                 : nullptr;
}

HWND GetDesktopWindow() { return nullptr; }

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID)
{
    auto found = Classes().find(LowerAscii(IsIntResource(className) ? "" : className));
    if (found == Classes().end() || width <= 0 || height <= 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!StartVideo())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }

    // The GL device needs these before the window exists.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    SDL_Window* sdl = SDL_CreateWindow(WindowTitle(title).c_str(), x, y, width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!sdl)
    {
        std::string message = std::string("Unable to create the window: ") + SDL_GetError() + "\n";
        platform::LogToSink(message.c_str());
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (found->second.icon == kGameIcon)
    {
        if (SDL_Surface* icon = platform::GameIconSurface())
            SDL_SetWindowIcon(sdl, icon);
    }

    auto window = std::make_unique<HWND__>();
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->proc = found->second.proc;
    window->classCursor = found->second.cursor;
    window->style = style;
    window->exStyle = exStyle;
    window->backWidth = width;
    window->backHeight = height;
    HWND hwnd = window.get();
    Windows().push_back(std::move(window));

    SDL_StartTextInput();
    SetLastError(ERROR_SUCCESS);
    return hwnd;
}

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    HWND__* w = platform::LiveWindow(hwnd);
    if (!w)
        return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    switch (cmdShow)
    {
    case SW_HIDE:
        SDL_HideWindow(w->sdl);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        SDL_ShowWindow(w->sdl);
        SDL_MinimizeWindow(w->sdl);
        break;
    case SW_RESTORE:
        SDL_ShowWindow(w->sdl);
        SDL_RestoreWindow(w->sdl);
        break;
    default:
        SDL_ShowWindow(w->sdl);
        break;
    }
    return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) { return platform::LiveWindow(hwnd) ? TRUE : FALSE; }

BOOL IsIconic(HWND hwnd)
{
    HWND__* w = platform::LiveWindow(hwnd);
    return (w && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MINIMIZED)) ? TRUE : FALSE;
}

BOOL IsWindow(HWND hwnd) { return platform::LiveWindow(hwnd) ? TRUE : FALSE; }

// The single destroy path: the close box, SDL_QUIT and WM_CLOSE all end here, and only the
// first call sends WM_DESTROY. The SDL window is hidden but kept for the GL context.
BOOL DestroyWindow(HWND hwnd)
{
    HWND__* w = platform::LiveWindow(hwnd);
    if (!w)
        return FALSE;
    w->destroyed = true;
    SDL_HideWindow(w->sdl);
    platform::PurgeMessagesFor(hwnd);
    if (w->proc)
        w->proc(hwnd, WM_DESTROY, 0, 0);
    return TRUE;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    switch (msg)
    {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETCURSOR:
        if (HWND__* w = platform::LiveWindow(hwnd))
        {
            if (LOWORD(lParam) == HTCLIENT && w->classCursor)
            {
                SetCursor(w->classCursor);
                return TRUE;
            }
        }
        return FALSE;
    case WM_NCHITTEST:
        return HTCLIENT;
    default:
        return 0;
    }
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    HWND__* w = platform::KnownWindow(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = RECT{0, 0, w->backWidth, w->backHeight};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    HWND__* w = platform::KnownWindow(hwnd);
    if (!w || !rect)
        return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(w->sdl, &x, &y);
    *rect = RECT{x, y, x + w->backWidth, y + w->backHeight};
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags)
{
    HWND__* w = platform::LiveWindow(hwnd);
    if (!w)
        return FALSE;
    // In full screen the window covers the desktop; the device decides the back buffer.
    if (!w->fullScreen)
    {
        if (!(flags & SWP_NOSIZE) && cx > 0 && cy > 0)
        {
            w->backWidth = cx;
            w->backHeight = cy;
            SDL_SetWindowSize(w->sdl, cx, cy);
        }
        if (!(flags & SWP_NOMOVE))
            SDL_SetWindowPosition(w->sdl, x, y);
    }
    if (flags & SWP_SHOWWINDOW)
        SDL_ShowWindow(w->sdl);
    return TRUE;
}

LONG GetWindowLongA(HWND hwnd, int index)
{
    HWND__* w = platform::KnownWindow(hwnd);
    if (!w)
        return 0;
    if (index == GWL_STYLE)
        return static_cast<LONG>(w->style);
    if (index == GWL_EXSTYLE)
        return static_cast<LONG>(w->exStyle);
    return 0;
}

// Only stores the word: the device's Reset makes the actual mode switch.
LONG SetWindowLongA(HWND hwnd, int index, LONG value)
{
    HWND__* w = platform::LiveWindow(hwnd);
    if (!w)
        return 0;
    DWORD* slot = index == GWL_STYLE ? &w->style : index == GWL_EXSTYLE ? &w->exStyle : nullptr;
    if (!slot)
        return 0;
    LONG old = static_cast<LONG>(*slot);
    *slot = static_cast<DWORD>(value);
    return old;
}

BOOL AdjustWindowRect(RECT* rect, DWORD, BOOL) { return rect ? TRUE : FALSE; }
BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) { return rect ? TRUE : FALSE; }

namespace platform {

HWND__* KnownWindow(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    for (auto& w : Windows())
        if (w.get() == hwnd)
            return w.get();
    return nullptr;
}

HWND__* LiveWindow(HWND hwnd)
{
    HWND__* w = KnownWindow(hwnd);
    return (w && !w->destroyed) ? w : nullptr;
}

HWND__* WindowForSdlId(Uint32 id)
{
    HWND__* newest = nullptr;
    for (auto& w : Windows())
    {
        if (id != 0 && w->sdlId == id)
            return w->destroyed ? nullptr : w.get();
        if (!w->destroyed)
            newest = w.get();
    }
    // Synthetic events carry no window id: they go to the newest live window.
    return newest;
}

SDL_Window* SdlWindowOf(HWND hwnd)
{
    HWND__* w = KnownWindow(hwnd);
    return w ? w->sdl : nullptr;
}

BackBufferSize GetBackBufferSize(HWND hwnd)
{
    HWND__* w = KnownWindow(hwnd);
    return w ? BackBufferSize{w->backWidth, w->backHeight} : BackBufferSize{0, 0};
}

bool IsFullScreenMode(HWND hwnd)
{
    HWND__* w = KnownWindow(hwnd);
    return w && w->fullScreen;
}

bool SetBackBufferMode(HWND hwnd, int width, int height, bool fullScreen)
{
    HWND__* w = KnownWindow(hwnd);
    if (!w || width <= 0 || height <= 0)
        return false;
    if (fullScreen)
    {
        if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
            return false;
    }
    else
    {
        if (w->fullScreen && SDL_SetWindowFullscreen(w->sdl, 0) != 0)
            return false;
        SDL_SetWindowSize(w->sdl, width, height);
    }
    w->fullScreen = fullScreen;
    w->backWidth = width;
    w->backHeight = height;
    return true;
}

SDL_Point WindowToBackBuffer(int winW, int winH, int backW, int backH, int x, int y)
{
    if (winW <= 0 || winH <= 0 || backW <= 0 || backH <= 0 || (winW == backW && winH == backH))
        return SDL_Point{x, y};
    // Uniform scale that fits the back buffer in the window, centred.
    double scale = std::min(static_cast<double>(winW) / backW, static_cast<double>(winH) / backH);
    double offX = (winW - backW * scale) / 2.0;
    double offY = (winH - backH * scale) / 2.0;
    return SDL_Point{static_cast<int>(std::floor((x - offX) / scale)),
                     static_cast<int>(std::floor((y - offY) / scale))};
}

SDL_Rect PresentRect(HWND hwnd)
{
    HWND__* w = KnownWindow(hwnd);
    if (!w)
        return SDL_Rect{0, 0, 0, 0};
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(w->sdl, &dw, &dh);
    if (!w->fullScreen || dw <= 0 || dh <= 0)
        return SDL_Rect{0, 0, dw > 0 ? dw : w->backWidth, dh > 0 ? dh : w->backHeight};
    double scale = std::min(static_cast<double>(dw) / w->backWidth,
                            static_cast<double>(dh) / w->backHeight);
    int rw = static_cast<int>(w->backWidth * scale + 0.5);
    int rh = static_cast<int>(w->backHeight * scale + 0.5);
    return SDL_Rect{(dw - rw) / 2, (dh - rh) / 2, rw, rh};
}

void BringWindowToFront()
{
    HWND__* w = WindowForSdlId(0);
    if (!w || !w->sdl)
        return;
    LogToSink("Another copy asked for the window: brought to the front\n");
    if (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(w->sdl);
    SDL_RaiseWindow(w->sdl);
}

void DestroyAllWindows()
{
    ResetMessageQueue();
    ResetMouseButtons();
    ResetCursorState();
    for (auto& w : Windows())
        if (w->sdl)
            SDL_DestroyWindow(w->sdl);
    Windows().clear();
    Classes().clear();
    FreeGameIcon();
    if (SDL_IsTextInputActive())
        SDL_StopTextInput();
}

}  // namespace platform
