// The Win32 subset the game calls (USER32, KERNEL32, WINMM, SHELL32, ADVAPI32, ole32),
// implemented over SDL2 and POSIX inside platform/.
#pragma once

#include "platform/win32/types.h"
#include "platform/win32/api.h"    // window, messages, keys, cursor, time, mutex, shell, folders, GUID
#include "platform/files/api.h"    // profile strings, CopyFileA, directories, special folders
#include "platform/win32/library.h" // LoadLibraryA, GetProcAddress, FreeLibrary (the graphics library)
