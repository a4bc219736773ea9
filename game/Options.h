// The player's options: the [Graphics], [Sound] and [Game] sections of "Options.ini".
// The game object holds one block of each; Init and PreInit read them (the shipped
// file first, then the user's copy), the options dialog and the profile dialogs write
// [Sound] and [Game] back at once.
#pragma once

#include <cstdint>
#include <string>

class CGraphicsOptions
{
public:
    CGraphicsOptions();
    void Load(const char* path);

    float effects;           // 0.25 .. 1
    float gamma;             // 0 .. 1
    int32_t graphicalCursor; // "GRAPHICAL"
};

class CSoundOptions
{
public:
    CSoundOptions();
    void Load(const char* path);
    bool Save(const char* path) const; // false when the file could not be written

    int32_t soundOn;
    float soundVolume; // 0 .. 1
    float panFactor;   // at least 0.01
    int32_t musicOn;
    float musicVolume; // 0 .. 1
    int32_t musicAmplify; // 5 .. 100
};

class CGameOptions
{
public:
    CGameOptions();
    // Needs the string table: the default profile name is its text 22.
    void Load(const char* path);
    bool Save(const char* path) const; // false when the file could not be written

    std::string profile;
    int32_t fastExplosionEnd;
    int32_t capsLockTutorial;
};

// The string-table text that names a profile before any exists ("Player").
constexpr int kDefaultPlayerStringId = 22;
