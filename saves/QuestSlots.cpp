#include "saves/QuestSlots.h"

#include <cstdint>
#include <vector>

#include "platform/crt.h"
#include "saves/ByteStream.h"

const char kQuestSaveFile[] = "Quest.sav";
const char kQuestAutosave1File[] = "QuestAS1.sav";
const char kQuestAutosave2File[] = "QuestAS2.sav";

namespace {

// Writes a copy of `from` over `to`; true when `from` cannot be read (nothing to copy).
bool CopySlot(const std::string& folder, const char* from, const char* to)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(QuestSlotPath(folder, from).c_str(), bytes))
        return true;
    return WriteWholeFile(QuestSlotPath(folder, to).c_str(), bytes);
}

}  // namespace

std::string QuestSlotPath(const std::string& folder, const char* file) { return folder + "\\" + file; }

bool CopyQuestAutosave(const std::string& folder)
{
    return CopySlot(folder, kQuestAutosave2File, kQuestAutosave1File);
}

bool RotateQuestAutosaves(const std::string& folder)
{
    // A copy, not a rename: the first autosave stays in place until its
    // replacement is written, and the second is only ever replaced whole.
    return CopySlot(folder, kQuestAutosave1File, kQuestAutosave2File);
}

void DeleteQuestSaveFiles(const std::string& folder, bool alsoSecond)
{
    // The autosaves go first and the quest save last: continuing reads the quest save
    // before them, so a stop part-way leaves a quest that continues where it stood,
    // never the autosaves of a quest that has ended.
    if (alsoSecond)
        crt::remove(QuestSlotPath(folder, kQuestAutosave2File).c_str());
    crt::remove(QuestSlotPath(folder, kQuestAutosave1File).c_str());
    crt::remove(QuestSlotPath(folder, kQuestSaveFile).c_str());
}
