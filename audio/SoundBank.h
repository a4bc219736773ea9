// CSoundBank: every sound effect of the game, one fixed named slot each, played
// with the per-sound volume, pan and music-dip settings of "Vol.cfg" under the
// player's master sound volume. The game creates one bank at start-up and hands
// copies of its handle to the board, the interface, the totems, the challenges
// and the backgrounds; callers name a sound by its slot:
//
//     bank->PlayPanned(bank->Select, x, 0, 0);
//
// When the audio library cannot start, or the sounds fail to load, the bank is
// silent: it stays in place and every call returns at once.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "audio/Music.h"
#include "audio/Sound.h"
#include "engine/RefPtr.h"
#include "platform/win32/types.h"

class CSoundBank
{
public:
    enum
    {
        kRingSize = 6,          // playbacks remembered per sound
        kMaxPlaybacks = 8,      // simultaneous playbacks per sample
        kMaxVariants = 8,       // numbered files of Terminator and Combo
        kSlotCount = 63,
        kLoadFailed = 2,        // LoadSounds' result when a sound is missing
    };

    CSoundBank();
    ~CSoundBank();
    CSoundBank(const CSoundBank&) = delete;
    CSoundBank& operator=(const CSoundBank&) = delete;

    // Starts the audio library for the window; true when that failed.
    bool Init(HWND window);

    // The sound settings file: see VolumeConfig.cpp.
    void LoadVolumeConfig(const char* path);
    float GetConfigVolume(const char* name) const;
    float GetConfigPanFactor(const char* name) const;
    std::pair<float, float> GetConfigSilencer(const char* name) const;

    // One single-variant sound; an empty handle when the file cannot be loaded.
    CRefPtr<CSound> LoadSound(const char* folder, const char* name, int32_t ringSize, DWORD maxPlaybacks, DWORD flags);
    // Fills every slot from folder; 0 on success, kLoadFailed when a sound is missing.
    int32_t LoadSounds(const char* folder);

    // variant < 0 picks one at random; loop nonzero plays until Stop.
    void Play(CRefPtr<CSound> sound, int32_t variant, int32_t loop);
    // x: horizontal position of the source; negative is left.
    void PlayPanned(CRefPtr<CSound> sound, float x, int32_t variant, int32_t loop);
    // Combo level n plays "Combo<n>.wav", held within the files that exist.
    void PlayComboSound(int32_t level);
    // Stops the looping playbacks of one sound.
    void Stop(CRefPtr<CSound> sound);
    // Master sound volume 0..1.
    void SetVolume(float master);

    // Library pan (-100..100) for a source at x.
    int32_t PanFor(float panFactor, float x) const;

    int32_t enabled = 0;        // nonzero: the library started and the sounds loaded
    float panDivisor = 520.0f;  // 520 / the player's pan factor setting
    std::string path;           // the sound file being loaded, for the failure message
    std::vector<std::string> configNames;
    std::vector<float> configVolumes;
    std::vector<float> configPanFactors;
    std::vector<std::pair<float, float>> configSilencers;
    std::vector<CRefPtr<CSound>> allSounds;  // every loaded sound, in load order
    CRefPtr<CMusic> music;                   // dipped by sounds with a music silencer

    // The slots, in load order.
    CRefPtr<CSound> MouseOver;
    CRefPtr<CSound> Click;
    CRefPtr<CSound> Upgrade;
    CRefPtr<CSound> Hint;
    CRefPtr<CSound> Select;
    CRefPtr<CSound> SelectSteel;
    CRefPtr<CSound> Wrong;
    CRefPtr<CSound> Drop;
    CRefPtr<CSound> BonusClick;
    CRefPtr<CSound> GemOut;
    CRefPtr<CSound> GemIn;
    CRefPtr<CSound> GemBar;
    CRefPtr<CSound> Terminator;
    CRefPtr<CSound> Terminator0_s;
    CRefPtr<CSound> TerminatorSteel;
    CRefPtr<CSound> ChainOut;
    CRefPtr<CSound> ChainOut_s;
    CRefPtr<CSound> Explode;
    CRefPtr<CSound> Combo;
    CRefPtr<CSound> BonusDrop;
    CRefPtr<CSound> TNT;
    CRefPtr<CSound> Flash;
    CRefPtr<CSound> Clock;
    CRefPtr<CSound> TimeAdd;
    CRefPtr<CSound> Multiplier;
    CRefPtr<CSound> AdviserGet;
    CRefPtr<CSound> AdviserAct;
    CRefPtr<CSound> Solidarity;
    CRefPtr<CSound> SolidarityRedir;
    CRefPtr<CSound> TotemEye;
    CRefPtr<CSound> TotemGreen1;
    CRefPtr<CSound> TotemGreen2;
    CRefPtr<CSound> TotemYellow1;
    CRefPtr<CSound> TotemYellow2;
    CRefPtr<CSound> TotemRed1;
    CRefPtr<CSound> TotemRed2;
    CRefPtr<CSound> TotemBlue1;
    CRefPtr<CSound> TotemBlue2;
    CRefPtr<CSound> TotemBlue3;
    CRefPtr<CSound> TotemOrange;
    CRefPtr<CSound> TotemWhite1;
    CRefPtr<CSound> TotemWhite2;
    CRefPtr<CSound> TotemViolet;
    CRefPtr<CSound> Explode2;
    CRefPtr<CSound> ScoreFrenzy;
    CRefPtr<CSound> BonusStar;
    CRefPtr<CSound> LifeLost;
    CRefPtr<CSound> LifeLostBack;
    CRefPtr<CSound> EndLevel;
    CRefPtr<CSound> Warning;
    CRefPtr<CSound> NewLevel;
    CRefPtr<CSound> Bad;
    CRefPtr<CSound> Win;
    CRefPtr<CSound> Tick;
    CRefPtr<CSound> TickLoop;
    CRefPtr<CSound> AddLife;
    CRefPtr<CSound> GoodClick;
    CRefPtr<CSound> Trophy;
    CRefPtr<CSound> Background;
    CRefPtr<CSound> Museum;
    CRefPtr<CSound> Flare;
    CRefPtr<CSound> Door;
    CRefPtr<CSound> Treasure;

    // The slot table: the member, its file, and for the two numbered slots the
    // first file number (-1 for single-file slots).
    struct Slot
    {
        CRefPtr<CSound> CSoundBank::*sound;
        const char* file;
        int32_t firstNumber;
    };
    static const Slot kSlots[kSlotCount];

private:
    bool LoadVariants(const char* folder, const Slot& slot);
    void StoreVariantSettings(CSound& sound, int32_t variant, const char* name);
    void AfterStart(CSound& sound, int32_t variant, HCHANNEL channel);

    bool started_ = false;  // the library is up and must be shut down
};
