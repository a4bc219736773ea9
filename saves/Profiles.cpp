#include "saves/Profiles.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/IniReader.h"
#include "platform/crt.h"
#include "platform/win32.h"
#include "saves/HighScores.h"

namespace {

const char* const kTipKeys[CPlayerSettings::kTipCount] = {"Base",  "Gem",  "Wrong", "Timer", "Sandbox",
                                                          "Bonus", "Totem", "Lock", "Steel", "Shop"};

std::string SettingsPath(const std::string& folder) { return folder + "\\Settings.ini"; }

// Makes an empty file when none can be read.
void EnsureFile(const std::string& path)
{
    FILE* f = crt::fopen(path.c_str(), "rb");
    if (!f)
        f = crt::fopen(path.c_str(), "w");
    if (f)
        std::fclose(f);
}

char FirstChar(const char* file, const char* key, const char* def)
{
    char text[256];
    GetPrivateProfileStringA("Main", key, def, text, 255, file);
    return text[0];
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool IsDotName(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

}  // namespace

CPlayerSettings::CPlayerSettings(std::string name)
    : name(std::move(name)), veteran(0), singleTutorial(1), questTutorial(1), tipsSeen{}
{
}

bool CPlayerSettings::Load(std::string folder)
{
    const std::string path = SettingsPath(folder);
    EnsureFile(path);
    veteran = FirstChar(path.c_str(), "Veteran", "0") == '1' ? 1 : 0;
    singleTutorial = FirstChar(path.c_str(), "SingleTutorial", "1") == '0' ? 0 : 1;
    questTutorial = FirstChar(path.c_str(), "QuestTutorial", "1") == '0' ? 0 : 1;
    // A veteran has seen the quest's tutorial.
    if (veteran == 1)
        questTutorial = 0;
    for (int i = 0; i < kTipCount; ++i)
        tipsSeen[i] = ReadIniInt(path.c_str(), "QuestTut", kTipKeys[i], "0") == 1 ? 1 : 0;
    return true;
}

bool CPlayerSettings::Save(std::string folder) const
{
    // One rewrite for every key, so the file on disk is either all old or all new.
    std::vector<ProfileValue> values = {{"Main", "Veteran", veteran ? "1" : "0"},
                                        {"Main", "SingleTutorial", singleTutorial ? "1" : "0"},
                                        {"Main", "QuestTutorial", questTutorial ? "1" : "0"}};
    for (int i = 0; i < kTipCount; ++i)
        values.push_back({"QuestTut", kTipKeys[i], tipsSeen[i] ? "1" : "0"});
    return WritePrivateProfileValues(values.data(), values.size(), SettingsPath(folder).c_str()) != FALSE;
}

void CPlayerSettings::ResetQuestTutorials()
{
    for (int32_t& seen : tipsSeen)
        seen = 0;
}

CProfileList::CProfileList(std::string root) : root(std::move(root))
{
    profiles.reserve(32);
    Scan();
}

void CProfileList::Scan()
{
    profiles.clear();
    crt::_finddata_t entry{};
    intptr_t search = crt::_findfirst((root + "*.*").c_str(), &entry);
    if (search == -1)
        return;
    do
    {
        // Only real folders whose names the name entry could have typed: a link may
        // lead out of the players folder, and a backslash, a dot or a line break in
        // a name would reach other folders or other lines of Options.ini.
        if ((entry.attrib & crt::_A_SUBDIR) == 0 || (entry.attrib & crt::_A_LINK) != 0 || !IsPlainName(entry.name))
            continue;
        // No save is under way while the list is read: a temporary file there is
        // what a crash or a kill cut short.
        crt::RemoveStaleTemporaries((root + entry.name).c_str());
        CRefPtr<CPlayerSettings> player(new CPlayerSettings(entry.name));
        player->Load(root + entry.name);
        profiles.push_back(player);
    } while (crt::_findnext(search, &entry) == 0);
    crt::_findclose(search);
}

int CProfileList::Find(std::string name) const
{
    const std::string wanted = Upper(name);
    for (size_t i = 0; i < profiles.size(); ++i)
        if (Upper(profiles[i]->name) == wanted)
            return static_cast<int>(i);
    return -1;
}

bool CProfileList::IsPlainName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    for (char c : name)
        if (!IsValidNameChar(static_cast<uint8_t>(c)))
            return false;
    return true;
}

bool CProfileList::Create(std::string name)
{
    bool made = IsPlainName(name) && crt::_mkdir((root + name).c_str()) == 0;
    Scan();
    return made;
}

void CProfileList::Remove(std::string name)
{
    // The list only ever holds plain names, but a name typed elsewhere must never
    // reach the players folder itself or its parent.
    if (!IsPlainName(name))
        return;
    const std::string wanted = Upper(name);
    for (auto it = profiles.begin(); it != profiles.end(); ++it)
    {
        if (Upper((*it)->name) != wanted)
            continue;
        DeleteProfileFolder(root + (*it)->name);
        profiles.erase(it);
        return;
    }
}

void DeleteProfileFolder(std::string folder)
{
    // A link in the folder's place would lead the deletion elsewhere.
    if (!crt::IsRealFolder(folder.c_str()))
        return;
    std::vector<std::string> files;
    crt::_finddata_t entry{};
    intptr_t search = crt::_findfirst((folder + "\\*.*").c_str(), &entry);
    if (search != -1)
    {
        do
        {
            if ((entry.attrib & crt::_A_SUBDIR) == 0 && !IsDotName(entry.name) &&
                std::strlen(entry.name) <= CProfileList::kMaxNameLength)
                files.push_back(folder + "\\" + entry.name);
        } while (crt::_findnext(search, &entry) == 0);
        crt::_findclose(search);
    }
    for (const std::string& file : files)
        crt::remove(file.c_str());
    crt::_rmdir(folder.c_str());
}
