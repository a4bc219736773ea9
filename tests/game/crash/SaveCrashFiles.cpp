#include "SaveCrashFiles.h"

#include <cstring>

#include "saves/HighScores.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/QuestSlots.h"
#include "platform/crt.h"

namespace save_crash {

namespace {

const uint32_t kTableBase = 1000000;

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

std::string CheckTable(const std::string& path)
{
    CHiscoresTable table;
    if (!table.Load(path.c_str()))
        return path + ": damaged or missing";
    if (table.GetScore(0) < static_cast<int32_t>(kTableBase))
        return path + ": the round's score is gone";
    return std::string();
}

}  // namespace

std::string PlayerFolder(const std::string& root) { return root + "Players/Ada"; }

std::string TablePath(const std::string& root) { return root + "Hiscores.tbl"; }

bool WriteRound(const std::string& root, uint32_t g)
{
    const std::string folder = PlayerFolder(root);
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
    return table.Save() && ok;
}

std::string CheckFiles(const std::string& root, uint32_t* generation)
{
    const std::string folder = PlayerFolder(root);
    std::string problems;
    for (const std::string& p :
         {CheckQuest(QuestSlotPath(folder, kQuestSaveFile), false, generation),
          CheckQuest(QuestSlotPath(folder, kQuestAutosave1File), true, nullptr),
          CheckQuest(QuestSlotPath(folder, kQuestAutosave2File), false, nullptr), CheckSettings(folder),
          CheckTable(TablePath(root))})
        if (!p.empty())
            problems += p + "\n";
    return problems;
}

}  // namespace save_crash
