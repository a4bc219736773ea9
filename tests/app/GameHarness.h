// Runs the real program (WinMain, the message loop, the game object) offscreen with a
// fixed frame time and a script of window messages, and saves frames as PNG files.
//
//     GameHarness h;                      // game folder of the build, fresh user folders
//     h.At(10, [](GameHarness& g) { g.Key(VK_F5); });
//     h.SaveFrameAt(300, "menus.png");
//     h.CloseAt(320);
//     int code = h.Run();
//
// Every harness has its own per-user folder (profiles, options, log), kept across its
// runs, and every run its own instance lock, so harnesses never see each other. Scenarios of later features drive the same loop.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win32.h"

class CGame;

class GameHarness
{
public:
    // gameFolder: the folder the game starts in; empty for the build's game folder.
    explicit GameHarness(std::string gameFolder = std::string());
    ~GameHarness();

    // Milliseconds each frame tick advances the clock (default 20).
    void SetStep(DWORD milliseconds) { step = milliseconds; }
    // One frame in `frames` is drawn (default 4), and every frame that may be saved: a
    // long run draws fewer of the frames nobody looks at.
    void DrawEvery(int frames) { drawEvery = frames > 0 ? frames : 1; }
    // Runs the action after the given tick (1 = after the first frame).
    void At(int tick, std::function<void(GameHarness&)> action);
    void SaveFrameAt(int tick, std::string pngPath);
    // Saves the first frame presented while the predicate holds (checked at each present,
    // so frames drawn inside Init, such as the loading screen, can be caught too).
    void SaveFrameWhen(std::function<bool(CGame&)> predicate, std::string pngPath);
    void CloseAt(int tick);
    // Closes the window once the predicate holds after a tick (checked every tick).
    void CloseWhen(std::function<bool(GameHarness&)> predicate);
    // Forgets the close predicates, so that a script living shorter than the harness
    // is not called by a later run.
    void ClearCloseWhen() { closeWhen.clear(); }

    // Starts the program; returns its exit code. Ticks run until the window closes;
    // a run that reaches maxTicks is closed then.
    int Run(int maxTicks = 5000);

    // Inside actions: the game and its window, and messages to post.
    CGame* Game() const;
    HWND Window() const;
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Key(WPARAM key);
    // Moves the cursor the game polls each frame (client pixels), then clicks there.
    void MoveMouse(int x, int y);
    void Click(int x, int y);
    int Tick() const { return tick; }
    DWORD Now() const { return now; }

    // The log of the run (read after Run), and the per-user folder.
    std::string Log() const;
    std::string UserFolder() const { return userFolder; }
    // The game's own folder inside the per-user folder (log, Players, Data\Config).
    std::string GameUserFolder() const;

    // The first tick whose frame showed the start-up sequence (state 13), 0 if none.
    int firstStartupTick = 0;
    // PNG files written and the frames' size.
    std::vector<std::string> saved;
    // The pixels (ARGB, rows top down) of every frame saved, by its file's path.
    struct Frame
    {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };
    std::map<std::string, Frame> frames;

private:
    static DWORD Clock();
    static void Pause(DWORD milliseconds);
    static void AfterTick(int tick);
    static void BeforePresent(CGame& game);
    static bool SkipDrawing(CGame& game);
    void Capture(CGame& game, const std::string& path);

    std::string gameFolder;
    std::string userFolder;
    std::string savedDirectory;
    DWORD step = 20;
    int drawEvery = 4;
    DWORD now = 1000;
    int tick = 0;
    int maxTicks = 0;
    std::multimap<int, std::function<void(GameHarness&)>> actions;
    std::map<int, std::string> captures;
    std::vector<std::pair<std::function<bool(CGame&)>, std::string>> conditionalCaptures;
    std::vector<std::function<bool(GameHarness&)>> closeWhen;
    bool closing = false;
};
