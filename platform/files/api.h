// Profile strings (INI files), CopyFileA and directory calls.
#pragma once

#include "platform/win32/types.h"
