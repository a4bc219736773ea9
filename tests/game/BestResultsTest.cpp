#include <limits>

#include <gtest/gtest.h>

#include "saves/BestResults.h"
#include "saves/CounterBlock.h"
#include "SaveTestUtil.h"

namespace {

std::vector<int32_t> LinearValues(int count, int low, int high)
{
    CBestResults t(count);
    t.SetLinearDefaults(low, high);
    return t.values;
}

TEST(BestResults, DefaultTables)
{
    CBestResults scores(41);
    scores.SetScoreDefaults();
    EXPECT_EQ(scores.values[0], 20000);
    EXPECT_EQ(scores.values[7], 90000);
    EXPECT_EQ(scores.values[8], 50000);  // level 9 restarts lower
    EXPECT_EQ(scores.values[40], 210000);

    CBestResults small(8);
    small.SetScoreDefaults();
    // Eight entries keep the plain spread; the restart from level 9 does not apply.
    EXPECT_EQ(small.values[0], 20000);
    EXPECT_EQ(small.values[1], 77142);
    EXPECT_GE(small.values[7], 419999);

    const std::vector<int32_t> times = LinearValues(41, 15, 1215);
    EXPECT_EQ(times[0], 15);
    EXPECT_EQ(times[1], 45);
    EXPECT_EQ(times[40], 1215);
    EXPECT_EQ(LinearValues(41, 10000, 410000)[40], 410000);

    CBestResults none(0);
    none.SetScoreDefaults(); // nothing to fill, nothing to break
    EXPECT_TRUE(none.values.empty());
    EXPECT_EQ(CBestResults(3).names, (std::vector<std::string>{"expert", "expert", "expert"}));
}

TEST(BestResults, ComparisonsAndRecordsStayInsideTheTable)
{
    CBestResults times(41);
    times.SetLinearDefaults(15, 1215);
    EXPECT_TRUE(times.IsBetterTime(14, 1));
    EXPECT_FALSE(times.IsBetterTime(15, 1));

    CBestResults scores(41);
    scores.SetScoreDefaults();
    EXPECT_FALSE(scores.IsBetterScore(20000, 1)); // equal is not better
    EXPECT_TRUE(scores.IsBetterScore(20001, 1));

    for (int level : {0, -3, 42, 1000})
    {
        EXPECT_FALSE(times.IsBetterTime(-100, level)) << level;
        EXPECT_FALSE(scores.IsBetterScore(1 << 30, level)) << level;
        scores.SetResult(5, level, "Wren"); // ignored
        EXPECT_EQ(scores.GetValue(level), 0);
        EXPECT_EQ(scores.GetName(level), "");
    }
    EXPECT_EQ(scores.values.size(), 41u);

    scores.SetResult(99999, 41, "Wren");
    EXPECT_EQ(scores.GetValue(41), 99999);
    EXPECT_EQ(scores.GetName(41), "Wren");
}

TEST(BestResults, GoldenBytesAndNamesOfOneToFortyBytes)
{
    CBestResults t(3);
    t.SetResult(123456, 1, "Wren");
    t.SetResult(77, 2, std::string(45, 'x').c_str()); // cut to 40
    t.names[2].clear();                                // written as the default name
    t.values[2] = -1;
    const std::vector<uint8_t> b = t.ToBytes();
    ASSERT_EQ(b.size(), (4 + 4 + 4) + (4 + 40 + 4) + (4 + 6 + 4));
    EXPECT_EQ(U32At(b, 0), 4u);
    EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 8), "Wren");
    EXPECT_EQ(U32At(b, 8), 123456u);
    EXPECT_EQ(U32At(b, 12), 40u);
    EXPECT_EQ(std::string(b.begin() + 16, b.begin() + 56), std::string(40, 'x'));
    EXPECT_EQ(U32At(b, 56), 77u);
    EXPECT_EQ(U32At(b, 60), 6u);
    EXPECT_EQ(std::string(b.begin() + 64, b.begin() + 70), "expert");
    EXPECT_EQ(U32At(b, 70), 0xFFFFFFFFu);

    CBestResults back(3);
    ASSERT_TRUE(back.FromBytes(b.data(), b.size()));
    EXPECT_EQ(back.names, (std::vector<std::string>{"Wren", std::string(40, 'x'), "expert"}));
    EXPECT_EQ(back.values, (std::vector<int32_t>{123456, 77, -1}));
}

class BestResultsFile : public SaveFolderTest
{
};

TEST_F(BestResultsFile, SaveAndLoad)
{
    CBestResults t(41);
    t.SetScoreDefaults();
    t.SetResult(300000, 12, "Wren");
    ASSERT_TRUE(t.Save(Path("Sc.bst").c_str()));
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"Sc.bst"});

    CBestResults back(41);
    ASSERT_TRUE(back.Load(Path("Sc.bst").c_str()));
    EXPECT_EQ(back.values, t.values);
    EXPECT_EQ(back.names, t.names);
    EXPECT_EQ(LogContents(), "");

    EXPECT_FALSE(t.Save(Path("missing/Sc.bst").c_str()));
}

TEST_F(BestResultsFile, MissingFileGivesLinearDefaultsQuietly)
{
    CBestResults t(41);
    EXPECT_FALSE(t.Load(Path("Ti.bst").c_str()));
    EXPECT_EQ(t.values, LinearValues(41, 10000, 410000));
    EXPECT_EQ(LogContents(), "");
}

TEST_F(BestResultsFile, BrokenFilesAreLoggedAndGiveLinearDefaults)
{
    CBestResults good(41);
    good.SetResult(5, 1, "Wren");
    const std::vector<uint8_t> bytes = good.ToBytes();

    std::vector<uint8_t> longName = bytes;
    PutU32(longName, 0, 41);
    std::vector<uint8_t> emptyName = bytes;
    PutU32(emptyName, 0, 0);
    std::vector<uint8_t> hugeName = bytes;
    PutU32(hugeName, 0, 0xFFFFFFF0u);
    std::vector<uint8_t> secondBad = bytes;
    PutU32(secondBad, 12, 41);
    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* firstName;
    } cases[] = {
        {"name length 41", longName, "expert"},
        {"empty name", emptyName, "expert"},
        {"name length near 4 GB", hugeName, "expert"},
        {"second entry broken", secondBad, "Wren"},
        {"cut in the middle", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 200), "Wren"},
        {"last value missing", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), "Wren"},
    };
    const std::string path = Path("Sc.bst");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        ResetLog();
        CBestResults t(41);
        EXPECT_FALSE(t.Load(path.c_str()));
        EXPECT_EQ(t.values, LinearValues(41, 10000, 410000));
        EXPECT_EQ(t.names[0], c.firstName); // names read before the damage stay
        EXPECT_EQ(LogContents(), " Error loading " + path + " \n");
    }
}

} // namespace

namespace {

TEST(LevelSummary, TimeTexts)
{
    const struct
    {
        int32_t seconds;
        const char* text;
    } cases[] = {{125, "2:05"}, {59, "0:59"}, {0, "0:00"}, {3600, "60:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatMinutesSeconds(c.seconds), c.text);
}

class LevelSummaryFile : public SaveFolderTest
{
protected:
    void SetUp() override
    {
        SaveFolderTest::SetUp();
        times.SetLinearDefaults(15, 1215);
        scores.SetScoreDefaults();
    }
    LevelResults Run(float levelTime, int32_t levelScore, float clock)
    {
        counters = CCounterSet();
        counters.AddFloatToBoth(levelTime, kCounterTime);
        counters.AddToBoth(levelScore, kCounterScore);
        counters.second.AddInt(100000, kCounterScore);
        counters.AddToBoth(7, kCounterBestCombo);
        counters.AddToBoth(30, kCounterTokens);
        counters.second.AddInt(5, kCounterTokens);
        return SummariseLevel(counters, 1, "Wren", clock, 50, times, scores, m_dir + "/");
    }

    CBestResults times{41};
    CBestResults scores{41};
    CCounterSet counters;
};

TEST_F(LevelSummaryFile, NewBestTimeAndScoreAreRecordedAndSaved)
{
    const LevelResults r = Run(14.9f, 19000, 30.7f);
    EXPECT_EQ(r.levelSeconds, 14);
    EXPECT_EQ(r.timeText, "0:14");
    EXPECT_TRUE(r.newBestTime);
    EXPECT_EQ(r.bestTimeText, "0:14");
    EXPECT_EQ(r.bestTimeName, "Wren");

    // 30 whole seconds left at 50 points each.
    EXPECT_EQ(r.secondsLeft, 30);
    EXPECT_EQ(r.timeBonus, 1500);
    EXPECT_EQ(r.levelScore, 19000);
    EXPECT_EQ(r.levelScoreText, "19000");
    EXPECT_EQ(r.questScore, 119000);
    EXPECT_EQ(counters.third.GetInt(kCounterScore), 20500);
    EXPECT_EQ(counters.second.GetInt(kCounterScore), 120500);
    EXPECT_TRUE(r.newBestScore); // 20500 with the bonus beats 20000
    EXPECT_EQ(r.bestScoreText, "20500");

    EXPECT_EQ(r.rows[0][0], 7);
    EXPECT_EQ(r.rows[1][0], 30);
    EXPECT_EQ(r.rows[1][1], 35);

    CBestResults saved(41);
    ASSERT_TRUE(saved.Load(Path("Ti.bst").c_str()));
    EXPECT_EQ(saved.GetValue(1), 14);
    ASSERT_TRUE(saved.Load(Path("Sc.bst").c_str()));
    EXPECT_EQ(saved.GetValue(1), 20500);
    EXPECT_EQ(saved.GetName(1), "Wren");
}

TEST_F(LevelSummaryFile, EqualResultsAreNoNewBestAndNothingIsSaved)
{
    const LevelResults r = Run(15.5f, 20000, -3.0f);
    EXPECT_EQ(r.levelSeconds, 15);
    EXPECT_FALSE(r.newBestTime);
    EXPECT_EQ(r.timeBonus, 0); // a clock below zero pays nothing
    EXPECT_FALSE(r.newBestScore);
    EXPECT_EQ(r.bestTimeText, "0:15");
    EXPECT_EQ(r.bestScoreName, "expert");
    EXPECT_TRUE(FilesInFolder().empty());
}

TEST_F(LevelSummaryFile, ClockThatIsNotANumberPaysNothing)
{
    const LevelResults r = Run(125.9f, 0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(r.timeText, "2:05");
    EXPECT_EQ(r.timeBonus, 0);
}

} // namespace
