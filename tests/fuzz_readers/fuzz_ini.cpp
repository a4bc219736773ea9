// libFuzzer target: the profile-string reader (Options.ini, Skin.cfg and the tuning files).
#include "ReaderFuzz.h"
#include "engine/IniReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteInput(data, size, "Options.ini");
    const char* file = path.c_str();
    char text[64];
    float four[4];
    int32_t two[2];
    ReadIniInt(file, "Settings", "Width", "640");
    ReadIniFloat(file, "PanelQuest", "Alpha", "0.25");
    ReadIniColor(file, "FieldQuest", "SandboxGlassColor", "255 255 255 255");
    ReadIniFloat4(four, file, "FieldQuest", "Coord", "0 0 0 0");
    ReadIniInt2(two, file, "Map", "FlagShift", "0 0");
    ReadIniString(file, "Settings", "Player", "", text, sizeof(text));
    std::string out;
    ReadIniStdString(out, file, "Sounds", "Win", "");
    return 0;
}
