// The fixtures of tests/fixtures were written by make_save_fixtures.py straight
// from the file layouts: the game must read them and write them back byte for byte.
// The same fixtures seed the fuzz targets; here every one of them is also replayed
// with each byte flipped and each length cut, through the fuzz entries' checks.
#include <cstring>

#include <gtest/gtest.h>

#include "saves/BestResults.h"
#include "saves/HighScores.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "SaveFuzzers.h"
#include "SaveTestUtil.h"

namespace {

std::string Fixture(const char* name)
{
    return std::string(ORB_FIXTURES_DIR) + "/" + name;
}

TEST(SaveFixtures, QuestSavesReadAndWriteBackByteForByte)
{
    const struct
    {
        const char* file;
        int32_t mode;
        int32_t resume;
        int32_t level;
    } cases[] = {
        {"quest_in_level.sav", 0, 1, 12},
        {"quest_in_shop.sav", 0, 8, 13},
        {"quest_side_mode_no_tail.sav", 2, 6, 12},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        CQuestSave r;
        ASSERT_TRUE(r.Load(Fixture(c.file).c_str()));
        EXPECT_EQ(r.mode, c.mode);
        EXPECT_EQ(r.resumePoint, c.resume);
        EXPECT_EQ(r.level, c.level);
        EXPECT_EQ(r.hardMode, 1);
        EXPECT_EQ(r.lives, 3);
        EXPECT_EQ(r.gemsToCollect, 4);
        EXPECT_EQ(r.gemsToPlace, 10);
        EXPECT_EQ(r.totemIndex, 3);
        EXPECT_EQ(r.counters.third.GetInt(kCounterScore), 12345);
        EXPECT_EQ(r.counters.third.GetFloat(kCounterTime), 61.5f);
        EXPECT_EQ(r.counters.second.GetInt(kCounterScore), 98765);
        EXPECT_EQ(r.counters.first.GetInt(9), 27);
        EXPECT_EQ(r.sandFall, 0.125);
        EXPECT_EQ(reinterpret_cast<const uint8_t*>(&r.questId)[0], 0x10);
        if (c.resume == 1)
        {
            EXPECT_EQ(r.grids[0][2][5], -4);
            EXPECT_EQ(r.grids[0][6][1], 101);
            EXPECT_EQ(r.grids[1][3][3], 2);
            EXPECT_EQ(r.grids[2][4][4], 2);
            EXPECT_EQ(r.grids[4][7][0], 1);
        }
        if (c.mode == 0)
        {
            EXPECT_EQ(r.shopValues[15], 4);
            EXPECT_EQ(r.shopValues[0], -1);
            EXPECT_EQ(r.stars, 7);
            EXPECT_EQ(r.extra1, 100);
            EXPECT_EQ(r.extra13, 1);
        }
        EXPECT_EQ(r.ToBytes(), SaveFolderTest::ReadBytes(Fixture(c.file)));
    }
}

TEST(SaveFixtures, TablesAndTrophiesReadAndWriteBack)
{
    CHiscoresTable scores;
    ASSERT_TRUE(scores.Load(Fixture("hiscores_ten_players.tbl").c_str()));
    char name[16];
    scores.GetName(1, name);
    EXPECT_STREQ(name, "Ottoline    ");
    EXPECT_EQ(scores.GetScore(0), 900000);
    EXPECT_EQ(scores.GetScore(9), 180000);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&scores.ids[2])[0], 32);
    EXPECT_EQ(scores.ToBytes(), SaveFolderTest::ReadBytes(Fixture("hiscores_ten_players.tbl")));

    CBestResults best(41);
    ASSERT_TRUE(best.Load(Fixture("best_scores_varied_names.bst").c_str()));
    EXPECT_EQ(best.GetName(1), "x");
    EXPECT_EQ(best.GetName(2), "Keeper1");
    EXPECT_EQ(best.GetName(40), std::string(40, 'x'));
    EXPECT_EQ(best.GetValue(41), 60000);
    EXPECT_EQ(best.ToBytes(), SaveFolderTest::ReadBytes(Fixture("best_scores_varied_names.bst")));

    CTrophies trophies;
    ASSERT_TRUE(trophies.Load(Fixture("trophies_all_top.dat").c_str()));
    EXPECT_EQ(trophies.levels, (std::vector<int32_t>{2, 3, 3, 3, 3, 3, 3, 1, 3}));
    EXPECT_EQ(trophies.ToBytes(), SaveFolderTest::ReadBytes(Fixture("trophies_all_top.dat")));
}

TEST(SaveFixtures, FlippedAndCutFixturesKeepTheLoadPromises)
{
    const struct
    {
        const char* file;
        int (*entry)(const uint8_t*, size_t);
    } cases[] = {
        {"quest_in_level.sav", FuzzQuestSave},
        {"quest_in_shop.sav", FuzzQuestSave},
        {"quest_side_mode_no_tail.sav", FuzzQuestSave},
        {"hiscores_ten_players.tbl", FuzzHighScores},
        {"best_scores_varied_names.bst", FuzzBestResults},
        {"trophies_all_top.dat", FuzzTrophies},
    };
    for (const auto& c : cases)
    {
        const std::vector<uint8_t> good = SaveFolderTest::ReadBytes(Fixture(c.file));
        ASSERT_FALSE(good.empty()) << c.file;
        for (size_t i = 0; i < good.size(); ++i)
        {
            std::vector<uint8_t> bytes = good;
            bytes[i] ^= static_cast<uint8_t>(1u << (i % 8));
            c.entry(bytes.data(), bytes.size());
            c.entry(good.data(), i); // every shorter length
        }
        std::vector<uint8_t> longer = good;
        longer.resize(good.size() + 9, 0xEE);
        c.entry(longer.data(), longer.size());
    }
}

} // namespace
