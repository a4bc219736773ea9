// Program entry: one instance, the graphics library, the game window, the renderer and
// the game object, the splash and start-up, the message loop with its frame tick, and
// the shut-down in a fixed order.
#include "app/Entry.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "audio/Music.h"
#include "engine/DataFolders.h"
#include "engine/DisplayModes.h"
#include "engine/Log.h"
#include "engine/RefPtr.h"
#include "game/Game.h"
#include "platform/crt.h"
#include "platform/d3d8.h"
#include "platform/win32.h"
#include "render/Device.h"
#include "render/Renderer.h"

namespace {

const char kTitle[] = "The Orblight of Quillacor";
const char kMutexName[] = "OrblightCopyCheckMutex32545";
// The graphics library here is a desktop display (X11 or Wayland) with OpenGL.
const char kNoGraphics[] =
    "No X11 or Wayland display with OpenGL was detected!\nYou need a graphical desktop with OpenGL to play %s!";

HWND g_mainWindow = nullptr;
HINSTANCE g_instance = nullptr;
HMODULE g_library = nullptr;
IDirect3D8* g_d3d = nullptr;
// Released by the shut-down, never by static destruction: the game's destructor needs
// the graphics and the log, which an exit() from inside a library may have taken away.
CRefPtr<CGame>& g_game = *new CRefPtr<CGame>;
VideoSettings g_video{};
int g_windowWidth = 640;
int g_windowHeight = 480;
DWORD g_lastTick = 0;
DWORD g_fpsClock = 0;
int g_frameCount = 0;
int g_looping = 0;
int g_minimised = 0;
int g_minimisedPasses = 0;
int g_ticks = 0;

entry::Hooks g_hooks;

DWORD Now()
{
    return g_hooks.clock ? g_hooks.clock() : timeGetTime();
}

void ReleaseDirect3D()
{
    if (g_d3d)
        g_d3d->Release();
    g_d3d = nullptr;
    g_direct3D = nullptr;
}

void UnloadLibrary()
{
    if (g_library)
        FreeLibrary(g_library);
    g_library = nullptr;
}

void ShowError(const std::string& text)
{
    MessageBoxA(g_mainWindow, text.c_str(), "Error!", MB_ICONHAND);
}

// Puts back the gamma ramp that was in force before the game changed it.
void RestoreDisplayGamma()
{
    if (g_game && g_game->renderer && g_game->gammaSaved)
        g_game->renderer->RestoreGammaRamp();
}

// Every way out after the game exists ends here: the display gets its gamma back
// before the game and its renderer go.
int AbortWithGame(int code)
{
    RestoreDisplayGamma();
    ReleaseDirect3D();
    g_game.Reset();
    UnloadLibrary();
    return code;
}

int CallGameInit()
{
    return g_game->Init(g_mainWindow, g_instance) ? 1 : 0;
}

int RunFrame(DWORD step)
{
    CGame& game = *g_game;
    int result;
    if (IsIconic(g_mainWindow))
    {
        if (!g_minimised)
        {
            g_minimised = 1;
            if (!game.splashRunning && game.music)
                game.music->Pause();
        }
        result = game.Frame(0.0f, game.fullScreen != 0, 1);
    }
    else
    {
        if (g_minimised)
        {
            g_minimised = 0;
            if (!game.splashRunning && game.music)
                game.music->Resume();
        }
        result = game.Frame(static_cast<float>(step / 1000.0), 1, 0);
    }
    if (result != kFrameRunInit)
        return 1;

    game.FinishSoundConversion();
    LogText("Init stuf...");
    if (!CallGameInit())
    {
        ShowError(game.LastError());
        return 0;
    }
    LogText("Ok\n");
    // Init's own time is not a frame step.
    g_fpsClock = Now();
    g_lastTick = g_fpsClock;
    return 1;
}

int FrameTick()
{
    if (!g_looping)
        return 1;
    const DWORD now = Now();
    ++g_frameCount;
    const DWORD fpsElapsed = now - g_fpsClock;
    const DWORD step = now - g_lastTick;
    g_lastTick = now;
    if (fpsElapsed >= 250)
    {
        g_game->SetFps(static_cast<float>(g_frameCount * 1000.0 / fpsElapsed));
        g_frameCount = 0;
        g_fpsClock = now;
    }
    const int result = RunFrame(step);
    ++g_ticks;
    if (g_hooks.afterTick)
        g_hooks.afterTick(g_ticks);
    return result;
}

void OnKeyDown(WPARAM key)
{
    if (g_game->OnKeyDown(key) == 1)
    {
        PostMessage(g_mainWindow, WM_CLOSE, 0, 0);
        return;
    }
    if (key == VK_F5)
        g_game->ToggleFps();
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CGame* game = g_game.Get();
    const bool splash = game && game->splashRunning;
    const int x = static_cast<int>(static_cast<int16_t>(lParam & 0xFFFF));
    const int y = static_cast<int>(static_cast<int16_t>((lParam >> 16) & 0xFFFF));
    switch (msg)
    {
    case WM_DESTROY:
        if (game)
            game->SaveOnExit();
        PostQuitMessage(0);
        return 0;
    case WM_SETCURSOR:
        if (!game || splash)
            break;
        SetCursor(nullptr);
        if (game->device && game->device->device)
        {
            IDirect3DDevice8* device = game->device->device;
            if (!game->initComplete)
                device->ShowCursor(FALSE);
            else
            {
                device->ShowCursor(TRUE);
                POINT p{0, 0};
                GetCursorPos(&p);
                device->SetCursorPosition(p.x, p.y, D3DCURSOR_IMMEDIATE_UPDATE);
            }
        }
        return TRUE;
    case WM_NCHITTEST:
        if (game && game->fullScreen)
            return HTCLIENT;
        break;
    case WM_KEYDOWN:
        if (game && !splash)
            OnKeyDown(wParam);
        return 0;
    case WM_KEYUP:
        if (game && !splash)
            game->OnKeyUp(wParam);
        return 0;
    case WM_CHAR:
        if (!game || splash)
            return 0;
        game->OnChar(wParam);
        break;
    case WM_SYSCOMMAND:
        if (game && game->fullScreen &&
            (wParam == SC_SIZE || wParam == SC_MOVE || wParam == SC_MAXIMIZE || wParam == SC_KEYMENU ||
             wParam == SC_MONITORPOWER))
            return 1;
        break;
    case WM_LBUTTONDOWN:
        if (game && !splash)
        {
            const int result = game->OnLButtonDown(x, y, wParam);
            if (result == 1 || result == 2)
                PostMessage(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (game && !splash)
        {
            const int result = game->OnLButtonUp(x, y, wParam);
            if (result == 1 || result == 2)
                PostMessage(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_RBUTTONDOWN:
        if (game && !splash && game->OnRButtonDown(x, y, wParam) == 1)
            PostMessage(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_RBUTTONUP:
        if (game && !splash)
            game->OnRButtonUp(x, y, wParam);
        return 0;
    default:
        break;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// The first line of "appname.txt" when it opens, else the built-in title.
void ReadTitle(char* title, size_t size)
{
    std::snprintf(title, size, "%s", kTitle);
    FILE* f = crt::fopen("appname.txt", "r");
    if (!f)
        return;
    char line[255];
    if (std::fgets(line, sizeof(line), f))
        std::snprintf(title, size, "%s", line);
    std::fclose(f);
}

// Opens "play.url" with the shell when it is there; the shell opens only its http(s)
// address. Programs are never started at exit.
void OpenExitLinks()
{
    // The play link, then the companion program; the shell launches no program and
    // logs that it refused one.
    for (const char* file : {"play.url", "fscommand\\wgame.exe"})
    {
        FILE* f = crt::fopen(file, "rb");
        if (!f)
            continue;
        std::fclose(f);
        ShellExecuteA(GetDesktopWindow(), "open", file, nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void ResetLoopState()
{
    g_minimised = 0;
    g_minimisedPasses = 0;
    g_frameCount = 0;
    g_ticks = 0;
    g_looping = 0;
    g_windowWidth = 640;
    g_windowHeight = 480;
    g_video = VideoSettings{};
}

}  // namespace

namespace entry {

Hooks& GetHooks()
{
    return g_hooks;
}

CGame* CurrentGame()
{
    return g_game.Get();
}

HWND MainWindow()
{
    return g_mainWindow;
}

}  // namespace entry

namespace {

// Without the graphics library the game cannot run: say so in the player's words.
bool LoadGraphicsLibrary()
{
    g_library = LoadLibraryA("D3D8.DLL");
    if (!g_library)
    {
        // The title is put in as a value, never read as a format.
        std::string text = kNoGraphics;
        text.replace(text.find("%s"), 2, kTitle);
        MessageBoxA(GetDesktopWindow(), text.c_str(), kTitle, MB_ICONEXCLAMATION);
        return false;
    }

    return true;
}

void OpenMainWindow(HINSTANCE instance, int showCmd)
{
    SetVideoSettings(g_video);
    g_windowWidth = 640;
    g_windowHeight = 480;

    WNDCLASS wc{};
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(101));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "Orblight";
    RegisterClass(&wc);

    char title[256];
    ReadTitle(title, sizeof(title));
    g_mainWindow = CreateWindowEx(0, "Orblight", title, 0x10CA0000, 0, 0, g_windowWidth, g_windowHeight,
                                  GetDesktopWindow(), nullptr, instance, nullptr);
    RECT client{}, outer{};
    GetClientRect(g_mainWindow, &client);
    GetWindowRect(g_mainWindow, &outer);
    SetWindowPos(g_mainWindow, HWND_NOTOPMOST, 0, 0, (outer.right - outer.left) - client.right + g_windowWidth,
                 (outer.bottom - outer.top) - client.bottom + g_windowHeight, SWP_NOMOVE);
    ShowWindow(g_mainWindow, showCmd);
    UpdateWindow(g_mainWindow);

}

// The display went away: save what a close saves; the graphics are gone with it.
void SaveOnDisplayLoss()
{
    if (g_game)
        g_game->SaveOnExit();
    LogText("End of log\n");
}

void StartLog()
{
    SetLogFile("Objects.log");
    ResetLog();
    // The platform layer's own notes (message boxes, refused links, another copy asking
    // for the window) go to the same log.
    platform::SetLogSink(&LogText);
    platform::SetDisplayLostHandler(&SaveOnDisplayLoss);
    LogText("Begin log\n");
    LogText("Ver.1.09");
    LogText("\n");
    LogText("Creating Direct3D object...");

}

bool CreateDirect3D()
{
    auto create = reinterpret_cast<PFN_Direct3DCreate8>(GetProcAddress(g_library, "Direct3DCreate8"));
    g_d3d = create ? create(D3D_SDK_VERSION) : nullptr;
    g_direct3D = g_d3d;
    if (!g_d3d)
    {
        ShowError("Unable to create Direct3D object!");
        UnloadLibrary();
        return false;
    }

    return true;
}

bool CreateRendererFor(CRefPtr<CRenderer>& renderer)
{
    LogText("Ok\nCreating Renderer...");
    renderer = CRefPtr<CRenderer>(new CRenderer());
    const HRESULT created = renderer->Create(&g_video, g_d3d, g_mainWindow, D3DFMT_D16);
    g_windowWidth = g_video.width;
    g_windowHeight = g_video.height;
    if (created < 0)
    {
        ShowError(created == D3DERR_NOTAVAILABLE
                      ? "Sorry!\nThis computer does not meet minimum requirements.\nOr maybe hardware acceleration "
                        "drivers were not installed."
                      : "Unable to create Direct3D device!");
        renderer.Reset();
        ReleaseDirect3D();
        UnloadLibrary();
        return false;
    }
    LogText("Ok\n");
    // The splash pictures fade in from black: the window is black until they have loaded.
    renderer->PresentBlackFrame();
    SetVideoSettings(g_video);
    SaveVideoOptions();

    return true;
}

// Creates the game and runs PreInit; Init runs now, or once the splash pictures end.
bool StartGame(CRefPtr<CRenderer>& renderer)
{
    LogText("Creating game...");
    g_game = CRefPtr<CGame>(new CGame(renderer));
    g_game->fullScreen = g_video.fullScreen;
    renderer.Reset();
    LogText("Ok\n");

    LogText("PreInit stuf...");
    g_game->displayWord = g_video.hardwareLevel;
    bool started = g_game->PreInit(g_mainWindow, g_instance);
    if (started)
    {
        LogText("Ok\n");
        if (g_game->firstImagePresent || g_game->secondImagePresent)
        {
            g_game->splashRunning = 1;
            g_game->splashPhase = g_game->firstImagePresent ? SplashPhase::FirstFadeIn : SplashPhase::SecondFadeIn;
            g_game->splashTimer = 0.0f;
            // Init's loading runs while the splash pictures stand still.
            g_game->loadDuringSplash = 1;
        }
        else
        {
            g_game->splashRunning = 0;
            LogText("Init stuf...");
            started = CallGameInit() != 0;
            if (started)
                LogText("Ok\n");
        }
    }
    return started;

}

// Runs until WM_QUIT; false when a frame failed.
bool RunMessageLoop(MSG& msg)
{
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    while (msg.message != WM_QUIT)
    {
        if (IsIconic(g_mainWindow))
        {
            if (++g_minimisedPasses > 100)
            {
                // Logged once per minimising: the count stays above 100 until restored.
                if (g_minimisedPasses == 101)
                {
                    LogInt(static_cast<int32_t>(Now()));
                    LogText("Minimized\n");
                }
                g_minimisedPasses = 102;
                if (GetMessage(&msg, nullptr, 0, 0))
                {
                    TranslateMessage(&msg);
                    DispatchMessage(&msg);
                }
                continue;
            }
        }
        else
            g_minimisedPasses = 0;

        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        else if (!FrameTick())
            return false;
    }
    return true;
}

void ShutDown()
{
    LogText("Destroying stuf...\n");
    RestoreDisplayGamma();
    LogText("Stuf destroyed\n");
    LogText("Deletting Game Object...\n");
    g_game.Reset();
    LogText("Game object deleted\n");
    ReleaseDirect3D();
    UnloadLibrary();
    LogText("End of log\n");
    OpenExitLinks();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCmd)
{
    CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
    {
        // Nothing for a second copy to do but point the player at the first one.
        const bool shown = platform::AskMutexOwnerToShowWindow(kMutexName);
        std::fputs(shown ? "The Orblight of Quillacor is already running: its window comes to the front and "
                           "this copy ends.\n"
                         : "The Orblight of Quillacor is already running: this copy ends.\n",
                   stderr);
        return 0;
    }
    ResetLoopState();
    g_instance = instance;

    // The millisecond clock seeds the generator; a test host that drives the clock
    // gets the same game every run.
    crt::srand(Now());

    if (!LoadGraphicsLibrary())
        return 100;
    OpenMainWindow(instance, showCmd);
    InitUserFolders(g_mainWindow);
    LoadVideoOptions();
    GetVideoSettings(&g_video);
    StartLog();
    if (!CreateDirect3D())
        return 3;
    CRefPtr<CRenderer> renderer;
    if (!CreateRendererFor(renderer))
        return 3;
    if (!StartGame(renderer))
    {
        ShowError(g_game->LastError());
        return AbortWithGame(4);
    }

    TIMECAPS caps{};
    timeGetDevCaps(&caps, sizeof(caps));
    timeBeginPeriod(caps.wPeriodMin);
    g_lastTick = Now();
    g_fpsClock = g_lastTick;
    g_looping = 1;
    MSG msg{};
    const bool ended = RunMessageLoop(msg);
    timeEndPeriod(caps.wPeriodMin);
    g_looping = 0;
    if (!ended)
        return AbortWithGame(4);
    ShutDown();
    return static_cast<int>(msg.wParam);
}
