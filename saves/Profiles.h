// Player profiles: one folder per player below the per-user "Players" folder, holding
// the player's "Settings.ini" (tutorial flags) and quest saves. CProfileList finds,
// creates and removes them; the game holds the current player as a handle to one
// element of the list the interface object keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RefPtr.h"

class CPlayerSettings
{
public:
    enum
    {
        kTipBase,
        kTipGem,
        kTipWrong,
        kTipTimer,
        kTipSandbox,
        kTipBonus,
        kTipTotem,
        kTipLock,
        kTipSteel,
        kTipShop,
        kTipCount
    };

    explicit CPlayerSettings(std::string name);

    // Reads folder + "\Settings.ini", creating an empty file when there is none.
    bool Load(std::string folder);
    // False when the file could not be written.
    bool Save(std::string folder) const;
    void ResetQuestTutorials();

    std::string name;
    int32_t veteran;
    int32_t singleTutorial;
    int32_t questTutorial;
    int32_t tipsSeen[kTipCount];
};

class CProfileList
{
public:
    // Longest profile name, in cp1251 characters.
    enum { kMaxNameLength = 12 };

    explicit CProfileList(std::string root);

    void Scan();
    int Find(std::string name) const;
    // True when the folder was made. Only a plain name of 1 to 12 characters can
    // become a profile.
    bool Create(std::string name);
    void Remove(std::string name);

    // A name the name entry could have typed (letters, digits, '_', '-' and space),
    // which can only mean a folder directly inside the players folder.
    static bool IsPlainName(const std::string& name);

    std::string root;
    std::vector<CRefPtr<CPlayerSettings>> profiles;
};

// Deletes the files directly inside folder (names of up to 12 characters), then the
// folder; a symbolic link in the folder's place is left alone.
void DeleteProfileFolder(std::string folder);
