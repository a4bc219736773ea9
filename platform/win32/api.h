// Window, messages, keys, cursor, time, mutex, shell, folders, GUID.
#pragma once

#include "platform/win32/types.h"
