// libFuzzer target: the string table ("Strings.txt" and "TextID.dat"); the input's
// first half is one file, the rest the other.
#include "ReaderFuzz.h"
#include "engine/StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t half = size / 2;
    const std::string strings = fuzz::WriteInput(data, half, "Strings.txt");
    const std::string ids = fuzz::WriteInput(data + half, size - half, "TextID.dat");
    LoadStringTable(strings.c_str(), ids.c_str());
    return 0;
}
