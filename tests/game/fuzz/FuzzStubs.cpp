// The fuzz targets build only the readers under test, with clang's coverage and
// sanitizers; the few engine and platform calls those files make are answered
// here without touching the disk, so a run depends on nothing but its input.
#include <cstdio>

#include "engine/IniReader.h"
#include "engine/Log.h"
#include "engine/SaveErrors.h"
#include "engine/StringTable.h"
#include "saves/Trophies.h"
#include "platform/crt.h"
#include "platform/win32.h"

void LogText(const char*) {}

bool CheckSaved(bool saved, const std::string&) { return saved; }

int GetStringById(int, char* buffer, int size)
{
    if (size > 0)
        buffer[0] = '\0';
    return 0;
}

HRESULT CoCreateGuid(GUID* guid)
{
    // Distinct and repeatable.
    static uint32_t next = 1;
    *guid = GUID{};
    guid->Data1 = next++;
    return S_OK;
}

namespace crt {

FILE* fopen(const char*, const char*) { return nullptr; }

bool WriteFileAtomic(const char*, const void*, size_t) { return false; }

intptr_t _findfirst(const char*, _finddata_t*) { return -1; }

int _findclose(intptr_t) { return 0; }

} // namespace crt

float ReadIniFloat(const char*, const char*, const char*, const char*) { return 0.0f; }

float* ReadIniFloat2(float* out, const char*, const char*, const char*, const char*) { return out; }

// The trophy screen's pictures are not part of the reader.
void CTrophies::RefreshIcons() {}

void CTrophies::DropAward() {}
