// LoadLibraryA, GetProcAddress and FreeLibrary: the run-time loading of the graphics library.
// "D3D8.DLL" is the only library: it loads when SDL video and its OpenGL library start
// (not under SDL_VIDEODRIVER=dummy), and "Direct3DCreate8" is its one entry.
#pragma once

#include "platform/win32/types.h"

HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
