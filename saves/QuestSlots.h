// The three quest files in a player's folder: "Quest.sav", which continuing reads,
// and the autosaves "QuestAS1.sav" (the start of this level) and "QuestAS2.sav"
// (the level before). Copies and rotations go through the atomic writer, so at
// every moment each file is a complete old or new save.
#pragma once

#include <string>

extern const char kQuestSaveFile[];
extern const char kQuestAutosave1File[];
extern const char kQuestAutosave2File[];

// folder + "\" + file.
std::string QuestSlotPath(const std::string& folder, const char* file);

// QuestAS1.sav becomes a copy of QuestAS2.sav. True when there was nothing to copy.
bool CopyQuestAutosave(const std::string& folder);

// QuestAS2.sav becomes a copy of QuestAS1.sav, which stays until the next autosave
// replaces it. Without a QuestAS1.sav, QuestAS2.sav is kept as it is.
bool RotateQuestAutosaves(const std::string& folder);

// Deletes QuestAS2.sav (when alsoSecond), QuestAS1.sav, then Quest.sav.
void DeleteQuestSaveFiles(const std::string& folder, bool alsoSecond);
