// The display going away under the running game. Xlib's own handler of a broken
// connection calls exit(), which would run the game's static destructors in the middle
// of an Xlib call with the graphics gone; ours hands the game its chance to save and
// then ends the process at once.
#include <SDL.h>

#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

#include "platform/win32.h"

namespace {

void (*g_displayLost)() = nullptr;

int OnDisplayIoError(void*)
{
    static bool ending = false;
    if (!ending)
    {
        ending = true;
        platform::LogToSink("The display was lost: the game ends\n");
        if (g_displayLost)
            g_displayLost();
    }
    _exit(0);
}

} // namespace

namespace platform {

void SetDisplayLostHandler(void (*handler)())
{
    g_displayLost = handler;
}

void WatchDisplay()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0)
        return;
    // SDL has loaded the X library already: take its handler setter from there.
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!x11)
        return;
    using IoErrorHandler = int (*)(void*);
    using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
    if (auto set = reinterpret_cast<SetIoErrorHandler>(dlsym(x11, "XSetIOErrorHandler")))
        set(&OnDisplayIoError);
    dlclose(x11);
}

} // namespace platform
