#include "GameHarness.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Entry.h"
#include "engine/Log.h"
#include "game/Game.h"
#include "platform/d3d8/backend.h"
#include "platform/win32/sdl_window.h"
#include "render/Device.h"
#include "render/Renderer.h"
#include "tools/common/ImageWrite.h"

namespace fs = std::filesystem;

namespace {

GameHarness* g_current = nullptr;
int g_runs = 0;
int g_instanceTag;

}  // namespace

GameHarness::GameHarness(std::string folder) : gameFolder(std::move(folder))
{
    if (gameFolder.empty())
        gameFolder = ORB_GAME_DIR;
    ++g_runs;
    userFolder = (fs::path(::testing::TempDir()) / ("harness_" + std::to_string(getpid()) + "_" +
                                                    std::to_string(g_runs)))
                     .string();
}

GameHarness::~GameHarness()
{
    std::error_code ec;
    fs::remove_all(userFolder, ec);
}

void GameHarness::At(int t, std::function<void(GameHarness&)> action)
{
    actions.emplace(t, std::move(action));
}

void GameHarness::SaveFrameAt(int t, std::string pngPath)
{
    // Relative to where the test runs, not to the game folder the program runs in.
    captures[t] = fs::absolute(pngPath).string();
}

void GameHarness::SaveFrameWhen(std::function<bool(CGame&)> predicate, std::string pngPath)
{
    conditionalCaptures.emplace_back(std::move(predicate), fs::absolute(pngPath).string());
}

void GameHarness::CloseAt(int t)
{
    At(t, [](GameHarness& h) { h.Post(WM_CLOSE); });
}

void GameHarness::CloseWhen(std::function<bool(GameHarness&)> predicate)
{
    closeWhen.push_back(std::move(predicate));
}

CGame* GameHarness::Game() const
{
    return entry::CurrentGame();
}

HWND GameHarness::Window() const
{
    return entry::MainWindow();
}

void GameHarness::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessage(Window(), message, wParam, lParam);
}

void GameHarness::Key(WPARAM key)
{
    Post(WM_KEYDOWN, key, 0);
    Post(WM_KEYUP, key, 0);
}

void GameHarness::MoveMouse(int x, int y)
{
    SDL_WarpMouseInWindow(platform::SdlWindowOf(Window()), x, y);
}

void GameHarness::Click(int x, int y)
{
    MoveMouse(x, y);
    const LPARAM at = static_cast<LPARAM>((y << 16) | (x & 0xFFFF));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(WM_LBUTTONUP, 0, at);
}

DWORD GameHarness::Clock()
{
    return g_current->now;
}

// The program's pauses (the first-run sound conversion sleeps a millisecond per
// chunk) take no wall time: the run's time is the clock the harness drives.
void GameHarness::Pause(DWORD)
{
}

void GameHarness::AfterTick(int t)
{
    GameHarness& h = *g_current;
    h.tick = t;
    h.now += h.step;
    CGame* game = h.Game();
    if (game && h.firstStartupTick == 0 && game->state == kStateStartup)
        h.firstStartupTick = t;
    auto range = h.actions.equal_range(t);
    for (auto it = range.first; it != range.second; ++it)
        it->second(h);
    if (!h.closing)
    {
        bool close = t >= h.maxTicks;
        for (auto& predicate : h.closeWhen)
            close = close || predicate(h);
        if (close)
        {
            h.closing = true;
            h.Post(WM_CLOSE);
        }
    }
}

void GameHarness::Capture(CGame& game, const std::string& path)
{
    const int width = static_cast<int>(game.renderer->screenWidth);
    const int height = static_cast<int>(game.renderer->screenHeight);
    std::vector<uint32_t> pixels;
    if (!platform::ReadBackBuffer(game.device->device, 0, 0, width, height, pixels))
        return;
    if (tools::WriteArgbPng(path, pixels, width, height))
        saved.push_back(path);
    frames[path] = Frame{width, height, std::move(pixels)};
}

void GameHarness::BeforePresent(CGame& game)
{
    GameHarness& h = *g_current;
    if (!game.renderer)
        return;
    // The frame being presented is the one of the tick that is running now.
    auto it = h.captures.find(h.tick + 1);
    if (it != h.captures.end())
    {
        h.Capture(game, it->second);
        h.captures.erase(it);
    }
    for (auto c = h.conditionalCaptures.begin(); c != h.conditionalCaptures.end();)
    {
        if (c->first(game))
        {
            h.Capture(game, c->second);
            c = h.conditionalCaptures.erase(c);
        }
        else
            ++c;
    }
}

// A software renderer draws most of a scripted run's time away: only every fourth
// frame is drawn (so every draw path keeps running) and every frame that may be saved.
bool GameHarness::SkipDrawing(CGame&)
{
    const GameHarness& h = *g_current;
    const bool saved = h.captures.count(h.tick + 1) > 0 || !h.conditionalCaptures.empty();
    return !saved && h.tick % h.drawEvery != 0;
}

int GameHarness::Run(int limit)
{
    maxTicks = limit;
    tick = 0;
    closing = false;
    // The instance lock lives as long as the process, so every run takes its own.
    static int runNumber = 0;
    const fs::path runtime = fs::path(userFolder) / ("run" + std::to_string(++runNumber));
    fs::create_directories(userFolder);
    fs::create_directories(runtime);
    setenv("XDG_DATA_HOME", userFolder.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("PLATFORM_MSGBOX", "stderr", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    unsetenv("DISPLAY");

    const fs::path before = fs::current_path();
    fs::current_path(gameFolder);
    SDL_SetMainReady();
    SDL_Init(SDL_INIT_EVENTS);
    // The graphics library stays loaded between runs: unloading the GL driver would
    // leave its own leaks without a module name for the leak checker to recognise.
    static HMODULE keptLoaded = LoadLibraryA("D3D8.DLL");
    (void)keptLoaded;

    g_current = this;
    entry::GetHooks().clock = &GameHarness::Clock;
    platform::SetPresentPacing(false);
    entry::GetHooks().afterTick = &GameHarness::AfterTick;
    CGame::beforePresent = &GameHarness::BeforePresent;
    CGame::skipDrawing = &GameHarness::SkipDrawing;
    platform::SetSleepHandler(&GameHarness::Pause);
    char commandLine[] = "";
    const int code = WinMain(reinterpret_cast<HINSTANCE>(&g_instanceTag), nullptr, commandLine, SW_SHOWNORMAL);
    CGame::beforePresent = nullptr;
    CGame::skipDrawing = nullptr;
    platform::SetSleepHandler(nullptr);
    entry::GetHooks() = entry::Hooks{};
    g_current = nullptr;

    platform::DestroyAllWindows();
    fs::current_path(before);
    return code;
}

std::string GameHarness::GameUserFolder() const
{
    return (fs::path(userFolder) / "Kestrelmoor" / "TheOrblightOfQuillacor_RU_DZR").string();
}

std::string GameHarness::Log() const
{
    std::ifstream in(fs::path(GameUserFolder()) / "Objects.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
