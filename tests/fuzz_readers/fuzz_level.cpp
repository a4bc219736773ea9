// libFuzzer target: level files ("l%d.lvl").
#include "ReaderFuzz.h"
#include "board/Level.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CLevel level;
    level.Load(fuzz::WriteInput(data, size, "level.lvl").c_str());
    return 0;
}
