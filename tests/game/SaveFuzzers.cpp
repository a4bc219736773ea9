#include "SaveFuzzers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "saves/BestResults.h"
#include "saves/HighScores.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"

namespace {

void Require(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "persistence fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

int FuzzQuestSave(const uint8_t* data, size_t size)
{
    CQuestSave record;
    const std::vector<uint8_t> untouched = record.ToBytes();
    if (!record.FromBytes(data, size))
    {
        Require(record.status == CQuestSave::kStatusNone, "failed load leaves status 0");
        Require(record.ToBytes() == untouched, "failed load leaves the record alone");
        return 0;
    }
    Require(record.status == CQuestSave::kStatusUnsaved, "good load sets status 2");
    Require(record.level >= 1 && record.level <= 1000 && record.lives >= 0 && record.lives <= 1000,
            "level and lives in range");
    Require(std::isfinite(record.remainingTime) && std::isfinite(record.nextWarning) &&
                std::isfinite(record.sandLevel) && std::isfinite(record.sandFall) &&
                std::isfinite(record.adviserTime) && std::isfinite(record.counters.first.GetFloat(kCounterTime)) &&
                std::isfinite(record.counters.second.GetFloat(kCounterTime)) &&
                std::isfinite(record.counters.third.GetFloat(kCounterTime)),
            "every float a number");
    Require(record.gemsToCollect >= 0 && record.gemsToPlace >= 0 && record.totemIndex >= -1 &&
                record.totemIndex <= 6,
            "counts and indices usable");
    const std::vector<uint8_t> saved = record.ToBytes();
    CQuestSave again;
    Require(again.FromBytes(saved.data(), saved.size()), "a loaded quest saves loadable");
    Require(again.ToBytes() == saved, "a saved quest loads back the same");
    return 0;
}

int FuzzHighScores(const uint8_t* data, size_t size)
{
    CHiscoresTable table;
    table.FromBytes(data, size);
    Require(table.names.size() == size_t(table.count) && table.scores.size() == size_t(table.count) &&
                table.ids.size() == size_t(table.count),
            "the table stays whole");
    char name[64];
    for (int i = -1; i <= table.count; ++i)
        table.GetName(i, name);
    const std::vector<uint8_t> saved = table.ToBytes();
    CHiscoresTable again;
    Require(again.FromBytes(saved.data(), saved.size()), "any loaded table saves loadable");
    Require(again.ToBytes() == saved, "a saved table loads back the same");
    return 0;
}

int FuzzBestResults(const uint8_t* data, size_t size)
{
    CBestResults table(41);
    table.FromBytes(data, size);
    Require(table.names.size() == 41 && table.values.size() == 41, "the table stays whole");
    const std::vector<uint8_t> saved = table.ToBytes();
    CBestResults again(41);
    Require(again.FromBytes(saved.data(), saved.size()), "any loaded table saves loadable");
    Require(again.ToBytes() == saved, "a saved table loads back the same");
    return 0;
}

int FuzzTrophies(const uint8_t* data, size_t size)
{
    CTrophies trophies;
    trophies.FromBytes(data, size);
    for (int t = 0; t < CTrophies::kTrophyCount; ++t)
    {
        Require(trophies.levels[t] >= 0 && trophies.levels[t] <= CTrophies::MaxLevel(t), "levels in range");
        Require(trophies.levels[t] == trophies.displayedLevels[t], "icons show the earned level");
    }
    const std::vector<uint8_t> saved = trophies.ToBytes();
    CTrophies again;
    Require(again.FromBytes(saved.data(), saved.size()), "any loaded trophies save loadable");
    Require(again.levels == trophies.levels, "saved trophies load back the same");
    return 0;
}
