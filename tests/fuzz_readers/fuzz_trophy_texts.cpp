// libFuzzer target: the trophies' description texts ("Trophies.txt").
#include "ReaderFuzz.h"
#include "saves/Trophies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTrophies trophies;
    trophies.LoadDescriptions(fuzz::WriteInput(data, size, "Trophies.txt").c_str());
    return 0;
}
