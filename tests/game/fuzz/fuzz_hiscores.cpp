// libFuzzer target: HighScores reader.
#include "SaveFuzzers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzHighScores(data, size);
}
