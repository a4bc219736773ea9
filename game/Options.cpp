#include "game/Options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/IniReader.h"
#include "engine/StringTable.h"
#include "engine/StringUtil.h"
#include "platform/win32.h"

namespace {

const char kGraphics[] = "Graphics";
const char kSound[] = "Sound";
const char kGame[] = "Game";

// The value of a key (or the default text) in the 256-byte buffer the options use.
void ReadKey(const char* path, const char* section, const char* key, const char* def, char (&out)[256])
{
    GetPrivateProfileStringA(section, key, def, out, 255, path);
}

// Reads a yes/no word: true when the upper-cased text equals word.
int32_t ReadWord(const char* path, const char* section, const char* key, const char* def, const char* word)
{
    char text[256];
    ReadKey(path, section, key, def, text);
    StrUpper(text);
    return std::strcmp(text, word) == 0 ? 1 : 0;
}

}  // namespace

CGraphicsOptions::CGraphicsOptions() : effects(1.0f), gamma(0.5f), graphicalCursor(1) {}

void CGraphicsOptions::Load(const char* path)
{
    graphicalCursor = ReadWord(path, kGraphics, "Cursor", "STANDARD", "GRAPHICAL");
    effects = ReadIniFloatInRange(path, kGraphics, "Effects", "1.0", 0.25f, 1.0f);
    gamma = ReadIniFloatInRange(path, kGraphics, "Gamma", "0.5", 0.0f, 1.0f);
}

CSoundOptions::CSoundOptions()
    : soundOn(1), soundVolume(0.5f), panFactor(0.75f), musicOn(1), musicVolume(0.5f), musicAmplify(75)
{
}

void CSoundOptions::Load(const char* path)
{
    soundOn = ReadWord(path, kSound, "Sound", "ON", "ON");
    soundVolume = ReadIniFloatInRange(path, kSound, "SoundVolume", "0.5", 0.0f, 1.0f);
    // Pan factor divides the pan range: keep it away from zero.
    panFactor = ReadIniFloatInRange(path, kSound, "SoundPanFactor", "0.75", 0.01f, 100.0f);
    musicOn = ReadWord(path, kSound, "Music", "ON", "ON");
    musicVolume = ReadIniFloatInRange(path, kSound, "MusicVolume", "0.5", 0.0f, 1.0f);
    musicAmplify = ReadIniIntInRange(path, kSound, "MusicAmplify", "75", 5, 100);
}

bool CSoundOptions::Save(const char* path) const
{
    char sound[32], music[32], amplify[32];
    std::snprintf(sound, sizeof(sound), "%.3f", soundVolume);
    std::snprintf(music, sizeof(music), "%.3f", musicVolume);
    std::snprintf(amplify, sizeof(amplify), "%d", musicAmplify);
    const ProfileValue values[] = {{kSound, "Sound", soundOn ? "On" : "Off"},
                                   {kSound, "SoundVolume", sound},
                                   {kSound, "Music", musicOn ? "On" : "Off"},
                                   {kSound, "MusicVolume", music},
                                   {kSound, "MusicAmplify", amplify}};
    return WritePrivateProfileValues(values, sizeof(values) / sizeof(values[0]), path) != FALSE;
}

CGameOptions::CGameOptions() : profile("Player"), fastExplosionEnd(1), capsLockTutorial(1) {}

void CGameOptions::Load(const char* path)
{
    char def[256];
    GetStringById(kDefaultPlayerStringId, def, sizeof(def));
    char text[256];
    ReadKey(path, kGame, "Profile", def, text);
    profile = text;
    ReadKey(path, kGame, "FastExpTerm", "1", text);
    fastExplosionEnd = std::atoi(text) != 0 ? 1 : 0;
    capsLockTutorial = ReadIniInt(path, kGame, "CapsLockTutorial", "1") == 1 ? 1 : 0;
}

bool CGameOptions::Save(const char* path) const
{
    const ProfileValue values[] = {{kGame, "Profile", profile.c_str()},
                                   {kGame, "FastExpTerm", fastExplosionEnd ? "1" : "0"},
                                   {kGame, "CapsLockTutorial", capsLockTutorial ? "1" : "0"}};
    return WritePrivateProfileValues(values, sizeof(values) / sizeof(values[0]), path) != FALSE;
}
