// perf_questsave <player folder> <level>: the performance script's helper. Writes the
// player's quest save as if the levels before <level> had been won and the player stood
// in the shop before it, and marks the player a veteran whose tutorials are done, so
// that continuing the quest leads into that level.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "screens/ShopItems.h"

int main(int argc, char** argv)
{
    const int level = argc == 3 ? std::atoi(argv[2]) : 0;
    if (level < 2 || level > 41)
    {
        std::fprintf(stderr, "usage: perf_questsave <player folder> <level 2..41>\n");
        return 1;
    }
    const std::string folder = argv[1];
    CQuestSave record;
    record.level = level - 1;
    record.resumePoint = CQuestSave::kResumeShop;
    record.lives = 2;
    record.remainingTime = 240.0f;
    record.gemsToCollect = record.gemsToPlace = 5 * level;
    CShopItemTable items;
    items.UnlockForLevel(level);
    for (size_t i = 0; i < record.shopValues.size(); ++i)
        record.shopValues[i] = items.limits[i] >= 0 ? 0 : -1;
    for (const char* file : {"/Quest.sav", "/QuestAS1.sav"})
        if (!record.Save((folder + file).c_str()))
            return 1;
    CPlayerSettings settings(folder.substr(folder.find_last_of('/') + 1));
    settings.Load(folder);
    settings.veteran = 1;
    settings.questTutorial = 0;
    for (int32_t& seen : settings.tipsSeen)
        seen = 1;
    return settings.Save(folder) ? 0 : 1;
}
