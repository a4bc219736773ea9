#include <gtest/gtest.h>

#include "saves/Trophies.h"
#include "SaveTestUtil.h"

namespace {

struct AwardCase
{
    uint32_t trophy;
    int32_t current;
    int32_t value;
    int32_t expected;
};

TEST(Trophies, AwardRules)
{
    const AwardCase cases[] = {
        // 0: difficulty of the finished quest (0 Normal, 1 Hard)
        {0, 0, 0, 1}, {0, 0, 1, 2}, {0, 1, 0, 0}, {0, 1, 1, 2}, {0, 2, 1, 0}, {0, 0, 5, 2},
        // 1: run of completed levels, 10 / 15 / 20
        {1, 0, 9, 0}, {1, 0, 10, 1}, {1, 0, 15, 2}, {1, 0, 25, 3}, {1, 1, 14, 0}, {1, 1, 15, 2},
        {1, 2, 19, 0}, {1, 2, 20, 3}, {1, 3, 25, 0},
        // 2: best combo, 6 / 10 / 15
        {2, 0, 5, 0}, {2, 0, 6, 1}, {2, 0, 9, 1}, {2, 1, 9, 0}, {2, 1, 10, 2}, {2, 0, 15, 3}, {2, 3, 99, 0},
        // 3: quest score
        {3, 0, 499999, 0}, {3, 0, 500000, 1}, {3, 1, 999999, 0}, {3, 1, 1000000, 2}, {3, 2, 2500000, 3},
        // 4: place in the high-score table, 3rd / 2nd / 1st
        {4, 0, 1, 3}, {4, 0, 3, 1}, {4, 0, 4, 0}, {4, 1, 3, 0}, {4, 1, 2, 2}, {4, 3, 1, 0}, {4, 0, 0, 0},
        {4, 0, -7, 0},
        // 5: levels without a hint, 10 / 20 / 30
        {5, 0, 10, 1}, {5, 0, 30, 3}, {5, 2, 29, 0},
        // 6: frenzies, 50 / 100 / 200
        {6, 0, 49, 0}, {6, 0, 100, 2}, {6, 2, 200, 3},
        // 7: challenges won
        {7, 0, 7, 0}, {7, 0, 8, 1}, {7, 1, 12, 0},
        // 8: seconds left, 10 / 5 / 2 or less
        {8, 0, 11, 0}, {8, 0, 10, 1}, {8, 0, 4, 2}, {8, 0, 2, 3}, {8, 1, 6, 0}, {8, 2, 3, 0}, {8, 2, 0, 3},
        {8, 3, 0, 0},
        // no such trophy
        {9, 0, 100, 0}, {0xFFFFFFFFu, 0, 100, 0},
    };
    for (const AwardCase& c : cases)
    {
        CTrophies t;
        if (c.trophy < 9)
            t.levels[c.trophy] = c.current;
        EXPECT_EQ(t.GetAwardLevel(c.trophy, c.value), c.expected)
            << "trophy " << c.trophy << " at " << c.current << " with " << c.value;
    }
}

TEST(Trophies, QueueMergesByTheHigherLevelAndApplies)
{
    CTrophies t;
    t.QueueAward(3, 1);
    t.QueueAward(3, 2);
    t.QueueAward(5, 1);
    t.QueueAward(3, 1);
    ASSERT_EQ(t.pending.size(), 2u);
    EXPECT_EQ(t.pending[0].trophy, 3);
    EXPECT_EQ(t.pending[0].level, 2);
    EXPECT_EQ(t.pending[1].trophy, 5);
    // Not visible to the rules until applied.
    EXPECT_EQ(t.GetAwardLevel(3, 600000), 1);

    t.ApplyPending();
    EXPECT_TRUE(t.pending.empty());
    EXPECT_EQ(t.levels[3], 2);
    EXPECT_EQ(t.displayedLevels[3], 2);
    EXPECT_EQ(t.levels[5], 1);
}

class TrophiesFile : public SaveFolderTest
{
};

std::vector<uint8_t> LevelsFile(std::vector<uint32_t> levels)
{
    std::vector<uint8_t> b(levels.size() * 4);
    for (size_t i = 0; i < levels.size(); ++i)
        PutU32(b, i * 4, levels[i]);
    return b;
}

TEST_F(TrophiesFile, GoldenBytesAndRoundTrip)
{
    CTrophies t;
    t.levels = {2, 3, 1, 0, 3, 2, 1, 1, 3};
    ASSERT_TRUE(t.Save(Path("Trophies.dat").c_str()));
    EXPECT_EQ(ReadBytes(Path("Trophies.dat")), LevelsFile({2, 3, 1, 0, 3, 2, 1, 1, 3}));
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"Trophies.dat"});

    CTrophies back;
    ASSERT_TRUE(back.Load(Path("Trophies.dat").c_str()));
    EXPECT_EQ(back.levels, t.levels);
    EXPECT_EQ(back.displayedLevels, t.levels);
    EXPECT_EQ(LogContents(), "");
}

TEST_F(TrophiesFile, LoadStopsAtTheFirstBadValue)
{
    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<int32_t> levels;
        bool ok;
    } cases[] = {
        {"all at their top", LevelsFile({2, 3, 3, 3, 3, 3, 3, 1, 3}), {2, 3, 3, 3, 3, 3, 3, 1, 3}, true},
        {"first value 3", LevelsFile({3, 1, 1, 1, 1, 1, 1, 1, 1}), {0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"eighth value 2", LevelsFile({1, 1, 2, 3, 1, 1, 1, 2, 1}), {1, 1, 2, 3, 1, 1, 1, 0, 0}, false},
        {"negative value", LevelsFile({1, 0xFFFFFFFFu, 1, 1, 1, 1, 1, 1, 1}), {1, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"20 bytes", LevelsFile({1, 2, 3, 1, 2}), {1, 2, 3, 1, 2, 0, 0, 0, 0}, false},
        {"22 bytes", [] { auto b = LevelsFile({1, 2, 3, 1, 2, 3}); b.resize(22); return b; }(),
         {1, 2, 3, 1, 2, 0, 0, 0, 0}, false},
        {"empty", {}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
    };
    const std::string path = Path("Trophies.dat");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        ResetLog();
        CTrophies t;
        t.levels.assign(9, 1); // replaced by the load
        EXPECT_EQ(t.Load(path.c_str()), c.ok);
        EXPECT_EQ(t.levels, c.levels);
        EXPECT_EQ(t.displayedLevels, c.levels);
        EXPECT_EQ(LogContents(), c.ok ? "" : " Warning! Unable to load trophies information\n");
    }
}

TEST_F(TrophiesFile, MissingFileAndFailedSave)
{
    CTrophies t;
    t.levels.assign(9, 1);
    EXPECT_FALSE(t.Load(Path("Trophies.dat").c_str()));
    EXPECT_EQ(t.levels, std::vector<int32_t>(9, 0));
    EXPECT_EQ(LogContents(), " Warning! Unable to load trophies information\n");

    ResetLog();
    t.levels[4] = 2;
    EXPECT_FALSE(t.Save(Path("missing/Trophies.dat").c_str()));
    EXPECT_EQ(t.levels[4], 2);
    EXPECT_EQ(LogContents(), " Can't save trophies information!\n");
}

TEST_F(TrophiesFile, DescriptionsKeepLineBreaks)
{
    std::string text = "header\r\n";
    for (int i = 0; i < 24; ++i)
    {
        text += "Title " + std::to_string(i) + "\r\n";
        if (i == 4)
            text += "second line\r\n";
        text += "#\r\n";
    }
    WriteText(Path("Trophies.txt"), text);
    CTrophies t;
    ASSERT_TRUE(t.LoadDescriptions(Path("Trophies.txt").c_str()));
    EXPECT_EQ(t.GetDescription(0, 1), "Title 0\n");
    EXPECT_EQ(t.GetDescription(0, 2), "Title 1\n");
    EXPECT_EQ(t.GetDescription(1, 3), "Title 4\nsecond line\n");
    EXPECT_EQ(t.GetDescription(7, 1), "Title 20\n");
    EXPECT_EQ(t.GetDescription(8, 3), "Title 23\n");
    EXPECT_EQ(t.GetDescription(7, 2), "");
    EXPECT_EQ(t.GetDescription(9, 1), "");
    EXPECT_EQ(LogContents(), "");
}

TEST_F(TrophiesFile, LongLinesArriveInChunks)
{
    // A 4094-character chunk ends the line's first read; the rest starts with '#'
    // and so closes the text.
    std::string text = "header\n" + std::string(4094, 'a') + "# rest\n";
    for (int i = 1; i < 24; ++i)
        text += "t\n#\n";
    WriteText(Path("Trophies.txt"), text);
    CTrophies t;
    ASSERT_TRUE(t.LoadDescriptions(Path("Trophies.txt").c_str()));
    EXPECT_EQ(t.GetDescription(0, 1), std::string(4094, 'a'));
    EXPECT_EQ(t.GetDescription(0, 2), "t\n");
}

TEST_F(TrophiesFile, ShortOrMissingDescriptions)
{
    CTrophies t;
    EXPECT_FALSE(t.LoadDescriptions(Path("none.txt").c_str()));
    EXPECT_EQ(LogContents(), "");
    ASSERT_EQ(t.descriptions.size(), 9u);
    EXPECT_EQ(t.descriptions[0].size(), 2u);
    EXPECT_EQ(t.descriptions[7].size(), 1u);

    WriteText(Path("Trophies.txt"), "header\nfirst\n#\nsecond\n");
    EXPECT_FALSE(t.LoadDescriptions(Path("Trophies.txt").c_str()));
    EXPECT_EQ(t.GetDescription(0, 1), "first\n");
    EXPECT_EQ(t.GetDescription(0, 2), "second\n");
    EXPECT_EQ(t.GetDescription(1, 1), "");
    EXPECT_EQ(LogContents(), " Error loading Trophies description\n");

    ResetLog();
    WriteText(Path("Empty.txt"), "");
    EXPECT_FALSE(t.LoadDescriptions(Path("Empty.txt").c_str()));
    EXPECT_EQ(LogContents(), " Error loading Trophies description\n");
}

TEST_F(TrophiesFile, ShippedDescriptionsAreComplete)
{
    CTrophies t;
    ASSERT_TRUE(t.LoadDescriptions(ORB_DATA_SRC_DIR "/Data/Txt/Trophies.txt"));
    for (int trophy = 0; trophy < 9; ++trophy)
        for (int level = 1; level <= CTrophies::MaxLevel(trophy); ++level)
            EXPECT_FALSE(t.GetDescription(trophy, level).empty()) << trophy << "/" << level;
    EXPECT_EQ(LogContents(), "");
}

TEST_F(TrophiesFile, SettingsFromSkinOrDefaults)
{
    CTrophies t;
    t.LoadSettings(Path("none.cfg").c_str());
    EXPECT_FLOAT_EQ(t.pompaTime, 1.5f);
    EXPECT_FLOAT_EQ(t.postTime, 0.5f);
    EXPECT_FLOAT_EQ(t.backgroundSpeed[0], 0.0625f);
    EXPECT_FLOAT_EQ(t.backgroundSpeed[1], -0.038625f);
    EXPECT_FLOAT_EQ(t.backgroundSize[0], 1.0f);
    EXPECT_FLOAT_EQ(t.backgroundSize[1], 0.75f);

    WriteText(Path("Skin.cfg"), "[Other]\nPompaTime=9\n[Trophies]\nPompaTime=2.25\nBackgroundTSize=0.5 0.25\n");
    t.LoadSettings(Path("Skin.cfg").c_str());
    EXPECT_FLOAT_EQ(t.pompaTime, 2.25f);
    EXPECT_FLOAT_EQ(t.postTime, 0.5f);
    EXPECT_FLOAT_EQ(t.backgroundSize[0], 0.5f);
    EXPECT_FLOAT_EQ(t.backgroundSize[1], 0.25f);
}

} // namespace

namespace {

TEST(Trophies, CheckAwardQueuesOnlyWhatIsEarned)
{
    CTrophies t;
    t.levels[2] = 1;
    EXPECT_FALSE(t.CheckAward(2, 9));   // combo 9 at level 1: nothing new
    EXPECT_TRUE(t.CheckAward(2, 12));   // level 2
    EXPECT_TRUE(t.CheckAward(2, 15));   // raises the waiting award to 3
    EXPECT_FALSE(t.CheckAward(9, 100));
    ASSERT_EQ(t.pending.size(), 1u);
    EXPECT_EQ(t.pending[0].level, 3);
    EXPECT_EQ(t.levels[2], 1);          // not earned until the award is played
}

} // namespace
