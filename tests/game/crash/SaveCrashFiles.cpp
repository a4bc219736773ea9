#include "SaveCrashFiles.h"

#include <cstring>

#include "platform/win32.h"
#include "saves/BestResults.h"
#include "saves/HighScores.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/QuestSlots.h"
#include "saves/Trophies.h"
#include "platform/crt.h"

namespace save_crash {

namespace {

const uint32_t kTableBase = 1000000;
const int kBestLevels = 3;
// Every fourth round begins by ending the quest the rounds before played: its three
// files are deleted as the game does then.
bool EndsQuest(uint32_t g) { return g % 4 == 3; }

bool Exists(const std::string& path)
{
    FILE* f = crt::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

// A quest record that says its generation twice, in fields that sit apart.
CQuestSave QuestOf(uint32_t g)
{
    CQuestSave record;
    record.resumePoint = CQuestSave::kResumeShop;
    record.status = CQuestSave::kStatusUnsaved;
    record.questId.Data1 = g;
    record.questId.Data3 = static_cast<uint16_t>(g * 7u);
    record.level = 1 + static_cast<int32_t>(g % 1000u);
    return record;
}

std::string CheckQuest(const std::string& path, bool mayBeMissing, uint32_t* generation)
{
    CQuestSave record;
    if (!record.Load(path.c_str()))
    {
        FILE* f = crt::fopen(path.c_str(), "rb");
        if (!f && mayBeMissing)
            return std::string();
        if (f)
            std::fclose(f);
        return path + ": " + (f ? "damaged" : "missing");
    }
    const uint32_t g = record.questId.Data1;
    if (record.questId.Data3 != static_cast<uint16_t>(g * 7u) || record.level != 1 + static_cast<int32_t>(g % 1000u))
        return path + ": fields of two versions";
    if (generation)
        *generation = g;
    return std::string();
}

std::string CheckSettings(const std::string& folder)
{
    // Every flag of one round has the same value: a mix of two rounds shows.
    CPlayerSettings settings("Ada");
    const std::string path = folder + "\\Settings.ini";
    FILE* f = crt::fopen(path.c_str(), "rb");
    if (!f)
        return path + ": missing";
    std::fclose(f);
    settings.Load(folder);
    const int32_t flag = settings.singleTutorial;
    bool same = settings.veteran == flag;
    for (int32_t seen : settings.tipsSeen)
        same = same && seen == flag;
    return same ? std::string() : path + ": keys of two versions";
}

std::string CheckTable(const std::string& path, uint32_t* generation)
{
    CHiscoresTable table;
    if (!table.Load(path.c_str()))
        return path + ": damaged or missing";
    if (table.GetScore(0) < static_cast<int32_t>(kTableBase))
        return path + ": the round's score is gone";
    if (generation)
        *generation = static_cast<uint32_t>(table.GetScore(0)) - kTableBase;
    return std::string();
}

// An ended quest leaves no autosave behind its deleted quest save: the next start
// would offer to continue it.
std::string CheckQuestEnd(const std::string& folder)
{
    if (Exists(QuestSlotPath(folder, kQuestSaveFile)))
        return std::string();
    for (const char* autosave : {kQuestAutosave1File, kQuestAutosave2File})
        if (Exists(QuestSlotPath(folder, autosave)))
            return QuestSlotPath(folder, autosave) + ": an autosave of an ended quest";
    return std::string();
}

// Every trophy holds the same level (the round's parity): a mix of two rounds shows.
std::string CheckTrophies(const std::string& path)
{
    CTrophies trophies;
    if (!trophies.Load(path.c_str()))
        return path + ": damaged or missing";
    for (int32_t level : trophies.levels)
        if (level != trophies.levels[0])
            return path + ": levels of two versions";
    return std::string();
}

std::string CheckBest(const std::string& path)
{
    CBestResults best(kBestLevels);
    if (!best.Load(path.c_str()))
        return path + ": damaged or missing";
    for (int level = 1; level <= kBestLevels; ++level)
        if (best.GetValue(level) != best.GetValue(1) || best.GetValue(1) < static_cast<int32_t>(kTableBase))
            return path + ": results of two versions";
    return std::string();
}

std::string CheckOptions(const std::string& path)
{
    if (!Exists(path))
        return path + ": missing";
    const int32_t a = static_cast<int32_t>(GetPrivateProfileIntA("Settings", "Width", -1, path.c_str()));
    const int32_t b = static_cast<int32_t>(GetPrivateProfileIntA("Settings", "Height", -2, path.c_str()));
    return a == b ? std::string() : path + ": keys of two versions";
}

bool WriteOthers(const std::string& root, uint32_t g)
{
    CTrophies trophies;
    for (int32_t& level : trophies.levels)
        level = static_cast<int32_t>(g & 1u);
    bool ok = trophies.Save(TrophiesPath(root).c_str());

    CBestResults best(kBestLevels);
    for (int level = 1; level <= kBestLevels; ++level)
        best.SetResult(static_cast<int32_t>(kTableBase + g), level, "Ada");
    ok = best.Save(BestPath(root).c_str()) && ok;

    // The options go through the profile writer the game's display options use.
    const std::string number = std::to_string(g);
    const ProfileValue values[] = {{"Settings", "Width", number.c_str()}, {"Settings", "Height", number.c_str()}};
    return WritePrivateProfileValues(values, 2, OptionsPath(root).c_str()) != FALSE && ok;
}

}  // namespace

std::string PlayerFolder(const std::string& root) { return root + "Players/Ada"; }

std::string TablePath(const std::string& root) { return root + "Hiscores.tbl"; }
std::string TrophiesPath(const std::string& root) { return PlayerFolder(root) + "\\Trophies.dat"; }
std::string BestPath(const std::string& root) { return root + "BestScores.dat"; }
std::string OptionsPath(const std::string& root) { return root + "Options.ini"; }

bool WriteRound(const std::string& root, uint32_t g)
{
    const std::string folder = PlayerFolder(root);
    if (EndsQuest(g))
        DeleteQuestSaveFiles(folder, true);
    CQuestSave record = QuestOf(g);
    bool ok = record.Save(QuestSlotPath(folder, kQuestSaveFile).c_str());
    if (g % 3 == 0)
        crt::remove(QuestSlotPath(folder, kQuestAutosave1File).c_str());
    ok = RotateQuestAutosaves(folder) && ok;
    ok = record.Save(QuestSlotPath(folder, kQuestAutosave1File).c_str()) && ok;
    if (g % 3 == 1)
        ok = CopyQuestAutosave(folder) && ok;

    CPlayerSettings settings("Ada");
    const int32_t flag = static_cast<int32_t>(g & 1u);
    settings.veteran = settings.singleTutorial = settings.questTutorial = flag;
    for (int32_t& seen : settings.tipsSeen)
        seen = flag;
    ok = settings.Save(folder) && ok;

    CHiscoresTable table;
    table.Load(TablePath(root).c_str());
    GUID id{};
    id.Data1 = 42;
    table.Insert(static_cast<int32_t>(kTableBase + g), "Ada", id);
    ok = WriteOthers(root, g) && ok;
    return table.Save() && ok;
}

std::string CheckFiles(const std::string& root, uint32_t* generation)
{
    const std::string folder = PlayerFolder(root);
    std::string problems;
    for (const std::string& p :
         {CheckQuest(QuestSlotPath(folder, kQuestSaveFile), true, nullptr),
          CheckQuest(QuestSlotPath(folder, kQuestAutosave1File), true, nullptr),
          CheckQuest(QuestSlotPath(folder, kQuestAutosave2File), true, nullptr), CheckQuestEnd(folder),
          CheckSettings(folder), CheckTrophies(TrophiesPath(root)), CheckBest(BestPath(root)),
          CheckOptions(OptionsPath(root)), CheckTable(TablePath(root), generation)})
        if (!p.empty())
            problems += p + "\n";
    return problems;
}

}  // namespace save_crash
