// The graphics library loaded at run time: "D3D8.DLL" stands for SDL video with its
// OpenGL library, and its one entry is our Direct3DCreate8.
#include <SDL.h>

#include <cstring>
#include <strings.h>

#include "platform/d3d8.h"
#include "platform/win32.h"
#include "platform/win32/library.h"

namespace {

char g_d3d8Module; // its address is the module handle
int g_loads = 0;

} // namespace

HMODULE LoadLibraryA(LPCSTR name)
{
    if (!name || strcasecmp(name, "D3D8.DLL") != 0)
        return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    if (SDL_GL_LoadLibrary(nullptr) != 0)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    ++g_loads;
    platform::WatchDisplay();
    return reinterpret_cast<HMODULE>(&g_d3d8Module);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (module != reinterpret_cast<HMODULE>(&g_d3d8Module) || !procName)
        return nullptr;
    if (std::strcmp(procName, "Direct3DCreate8") == 0)
        return reinterpret_cast<FARPROC>(&Direct3DCreate8);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module)
{
    if (module != reinterpret_cast<HMODULE>(&g_d3d8Module) || g_loads == 0)
        return FALSE;
    --g_loads;
    SDL_GL_UnloadLibrary();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return TRUE;
}
