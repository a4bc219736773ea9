// Where the game's files are: the per-user folders (profiles, saves, the user's
// options file, shared game data, converted sounds), the table of data folders
// every loader joins its file names to, and the display section of the options
// file with the ten-word video-settings block the renderer creates its device
// from. The folder strings and the block are process-wide, set at start-up.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>

// Stores and returns the "Windows 2000 or later" flag (GetVersion's low byte >= 5).
int CheckWindowsVersion();
int IsWin2000OrLater();

// Builds and creates the two per-user folders and copies the shipped options
// file into the user's configuration folder on a first start. 1 on success; 0
// (folders empty, flag cleared) when a special folder cannot be had.
int BuildUserFolders(HWND window);
// CheckWindowsVersion, then BuildUserFolders when the flag is set.
void InitUserFolders(HWND window);

// Each empty or ending in a backslash.
std::string GetUserDataFolder();
std::string GetCommonDataFolder();

// The game object's folder table: 14 folders (each ending in a backslash), then
// nine tuning floats. Folders 1, 5, 6 and 9 lie below the per-user folders,
// the others below the current directory.
class CDataFolders
{
public:
    enum
    {
        kGraphics,
        kSharedSounds,
        kSounds,
        kMusic,
        kConfig,
        kUserConfig,
        kSharedGameData,
        kTexts,
        kFonts,
        kPlayers,
        kModels,
        kForms,
        kData,
        kLevels,
        kFolderCount
    };
    enum
    {
        kGravity,     // board units per second squared, falls of tokens
        kBounceRatio, // refill bounce
        kSwapTime,    // one whole swap move, seconds
        kTuningCount = 9
    };

    // Reads the per-user folder strings: construct after InitUserFolders.
    CDataFolders();

    const std::string& Folder(int index) const;

    std::string graphics;       // "Data\Gfx\"
    std::string sharedSounds;   // common + "Data\Sfx\"
    std::string sounds;         // "Data\Sfx\"
    std::string music;          // "Music\"
    std::string config;         // "Data\Config\"
    std::string userConfig;     // user + "Data\Config\"
    std::string sharedGameData; // common + "Data\GameData\"
    std::string texts;          // "Data\Txt\"
    std::string fonts;          // "Data\Fonts\"
    std::string players;        // user + "Players\"
    std::string models;         // "Data\Gfx\Models\"
    std::string forms;          // "Data\Forms\"
    std::string data;           // "Data\"
    std::string levels;         // "Data\Lvl\"

    // 2000, 0.05, 0.4, 15, 3, 2, 1.5, 2, 50: gravity, bounce ratio and swap time
    // for the board; the rest for the game object.
    float tuning[kTuningCount];

    float Gravity() const { return tuning[kGravity]; }
    float BounceRatio() const { return tuning[kBounceRatio]; }
    float SwapTime() const { return tuning[kSwapTime]; }
};

// Ten 32-bit words passed by value between the program entry, the options file
// and the renderer.
struct VideoSettings
{
    int32_t adapter;       // 0
    int32_t colorMode;     // 1: 16, 32 or -1 to let the renderer choose
    int32_t format;        // 2: display and back-buffer format (D3DFORMAT)
    int32_t fullScreen;    // 3
    int32_t width;         // 4
    int32_t height;        // 5
    int32_t videoSync;     // 6
    int32_t reserved[2];   // 7, 8: never read
    int32_t hardwareLevel; // 9: 0..5, filled by the renderer
};
static_assert(sizeof(VideoSettings) == 40, "ten 32-bit words");

void SetVideoSettings(VideoSettings settings);
VideoSettings* GetVideoSettings(VideoSettings* out);

// The user's options file: user data folder + "Data\Config\Options.ini".
std::string GetOptionsFilePath();

// [Settings] Adapter, ColorMode, FullScreen, Width, Height, VideoSync.
void LoadVideoOptions();
// Writes nothing when Adapter or ColorMode is negative.
void SaveVideoOptions();
