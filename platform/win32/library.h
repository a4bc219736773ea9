// LoadLibraryA, GetProcAddress and FreeLibrary: the run-time loading of the graphics library.
#pragma once

#include "platform/win32/types.h"
