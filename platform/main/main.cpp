// The process entry: starts SDL's event subsystem and runs the game's WinMain, whose
// result is the exit status.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <csignal>
#include <cstdio>

#include "platform/win32.h"
#include "platform/win32/sdl_window.h"

namespace {
int g_moduleTag;  // the instance handle points here
}

int main()
{
    SDL_SetMainReady();
    // A game started in the background of a script inherits Ctrl-C ignored, and SDL keeps
    // an ignored signal ignored: both stop signals get their default back, so SDL turns
    // each into the close request on every screen.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (SDL_Init(SDL_INIT_EVENTS) != 0)
    {
        std::fprintf(stderr, "Unable to start SDL: %s\n", SDL_GetError());
        return 1;
    }
    char commandLine[] = "";
    int result = WinMain(reinterpret_cast<HINSTANCE>(&g_moduleTag), nullptr, commandLine,
                         SW_SHOWNORMAL);
    platform::DestroyAllWindows();
    SDL_Quit();
    return result;
}
