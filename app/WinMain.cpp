// Program entry: one instance, the game window, and the message loop until the window
// closes. The renderer and the game object join it later.
#include <cstdio>
#include <cstring>

#include "platform/crt.h"
#include "platform/win32.h"

namespace {

const char kTitle[] = "The Orblight of Quillacor";
const int kWindowWidth = 640;
const int kWindowHeight = 480;

HWND g_mainWindow = nullptr;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        // Escape closes the window for now; the game's own key handling comes later.
        if (wParam == VK_ESCAPE)
            PostMessage(hwnd, WM_CLOSE, 0, 0);
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

// The first line of "appname.txt" when present, else the built-in title.
void ReadTitle(char* title, int size)
{
    std::snprintf(title, static_cast<size_t>(size), "%s", kTitle);
    FILE* f = crt::fopen("appname.txt", "r");
    if (!f)
        return;
    char line[255];
    if (std::fgets(line, sizeof(line), f))
        std::snprintf(title, static_cast<size_t>(size), "%s", line);
    std::fclose(f);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCmd)
{
    CreateMutexA(nullptr, TRUE, "OrblightCopyCheckMutex32545");
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;

    WNDCLASS wc{};
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(101));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "Orblight";
    if (!RegisterClass(&wc))
        return 3;

    char title[256];
    ReadTitle(title, sizeof(title));
    g_mainWindow = CreateWindowEx(0, "Orblight", title, 0x10CA0000, 0, 0, kWindowWidth,
                                  kWindowHeight, GetDesktopWindow(), nullptr, instance, nullptr);
    if (!g_mainWindow)
    {
        MessageBoxA(GetDesktopWindow(), "Unable to create the game window!", "Error!", MB_ICONHAND);
        return 3;
    }
    // Size the window so that its client area is exactly 640 x 480.
    RECT client{}, outer{};
    GetClientRect(g_mainWindow, &client);
    GetWindowRect(g_mainWindow, &outer);
    SetWindowPos(g_mainWindow, HWND_NOTOPMOST, 0, 0,
                 (outer.right - outer.left) - client.right + kWindowWidth,
                 (outer.bottom - outer.top) - client.bottom + kWindowHeight, SWP_NOMOVE);
    ShowWindow(g_mainWindow, showCmd);
    UpdateWindow(g_mainWindow);

    TIMECAPS caps{};
    timeGetDevCaps(&caps, sizeof(caps));
    timeBeginPeriod(caps.wPeriodMin);

    MSG msg{};
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    while (msg.message != WM_QUIT)
    {
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        else
        {
            // No frame to draw yet: give the processor back instead of spinning.
            Sleep(5);
        }
    }

    timeEndPeriod(caps.wPeriodMin);
    return static_cast<int>(msg.wParam);
}
