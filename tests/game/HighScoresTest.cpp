#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <set>

#include <gtest/gtest.h>

#include "engine/StringTable.h"
#include "saves/HighScores.h"
#include "SaveTestUtil.h"

namespace {

const uint8_t kKey = 0xA7;
const uint32_t kKeyWord = 0xA7A7A7A7u;

GUID MakeId(uint8_t n)
{
    GUID g = {};
    g.Data1 = n;
    g.Data4[7] = n;
    return g;
}

std::string NameAt(const CHiscoresTable& t, int i)
{
    char buf[64];
    t.GetName(i, buf);
    return buf;
}

// A table of ten entries with scores 1000 x (10 - i) and names "Player0".."Player9".
CHiscoresTable KnownTable()
{
    CHiscoresTable t;
    for (int i = 0; i < 10; ++i)
    {
        std::string name = "Player" + std::to_string(i);
        name.resize(12, ' ');
        t.names[i] = name;
        t.scores[i] = 1000 * (10 - i);
        t.ids[i] = MakeId(static_cast<uint8_t>(i + 1));
    }
    return t;
}

// The default holders are named by the string table when one is loaded (an earlier
// test may have loaded the game's); the tests of the built-in name start without one.
void ForgetStringTable()
{
    LoadStringTable("no-such-folder/Strings.txt", "no-such-folder/TextID.dat");
}

TEST(HighScores, ConstructionGivesACompleteDefaultTable)
{
    ForgetStringTable();
    CHiscoresTable t;
    ASSERT_EQ(t.names.size(), 10u);
    std::set<std::vector<uint8_t>> ids;
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(t.GetScore(i), 10000 - 1000 * i);
        EXPECT_EQ(NameAt(t, i), "Kestrelmoor ");
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&t.ids[i]);
        ids.insert(std::vector<uint8_t>(p, p + 16));
    }
    EXPECT_EQ(ids.size(), 10u);
    // Indices outside the table are harmless.
    EXPECT_EQ(NameAt(t, -1), "");
    EXPECT_EQ(NameAt(t, 10), "");
    EXPECT_EQ(t.GetScore(10), 0);
}

TEST(HighScores, GoldenBytes)
{
    const std::vector<uint8_t> b = KnownTable().ToBytes();
    ASSERT_EQ(b.size(), 324u);
    for (int e = 0; e < 10; ++e)
    {
        const size_t at = size_t(e) * 32;
        std::string name = "Player" + std::to_string(e);
        for (size_t i = 0; i < 12; ++i)
            EXPECT_EQ(b[at + i], uint8_t((i < name.size() ? name[i] : ' ') ^ kKey));
        EXPECT_EQ(U32At(b, at + 12), uint32_t(1000 * (10 - e)) ^ kKeyWord);
        EXPECT_EQ(b[at + 16], uint8_t((e + 1) ^ kKey));        // Data1 low byte
        EXPECT_EQ(b[at + 17], kKey);
        EXPECT_EQ(b[at + 31], uint8_t((e + 1) ^ kKey));        // last byte of Data4
    }
    uint32_t sum = 0;
    for (size_t i = 0; i < 320; ++i)
        sum += b[i];
    EXPECT_EQ(U32At(b, 320), sum ^ kKeyWord);
}

TEST(HighScores, GameDefaultsFollowTheTopScore)
{
    CHiscoresTable t;
    t.topScore = 1500000;
    t.SetDefaults(0, 9);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(t.GetScore(i), 1500000 - 150000 * i);
}

class HighScoresFile : public SaveFolderTest
{
};

TEST_F(HighScoresFile, RoundTripSortsAndRemembersThePath)
{
    CHiscoresTable written = KnownTable();
    std::swap(written.scores[2], written.scores[7]); // out of order on disk
    written.path = Path("Game0.tbl");
    ASSERT_TRUE(written.Save());
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"Game0.tbl"});

    CHiscoresTable loaded;
    ASSERT_TRUE(loaded.Load(Path("Game0.tbl").c_str()));
    EXPECT_EQ(loaded.path, Path("Game0.tbl"));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(loaded.GetScore(i), 1000 * (10 - i));
    EXPECT_EQ(NameAt(loaded, 2), "Player7     ");
    EXPECT_EQ(NameAt(loaded, 7), "Player2     ");
    EXPECT_TRUE(GuidEquals(loaded.ids[2], MakeId(8)));
}

TEST_F(HighScoresFile, TheFileIsNeverWritableByOthers)
{
    CHiscoresTable t = KnownTable();
    t.path = Path("Game0.tbl");
    ASSERT_TRUE(t.Save());
    struct stat st;
    ASSERT_EQ(stat(t.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IWOTH, 0u);
}

TEST_F(HighScoresFile, DamageGivesDefaultsFromTheEntryConcerned)
{
    const std::vector<uint8_t> good = KnownTable().ToBytes();
    const std::string path = Path("Game0.tbl");
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        int keptEntries; // entries still as read; the rest are defaults
    };
    std::vector<uint8_t> flipped = good;
    flipped[40] ^= 0x01;
    std::vector<uint8_t> zeroScore = good;
    PutU32(zeroScore, 3 * 32 + 12, 0 ^ kKeyWord);
    std::vector<uint8_t> hugeScore = good;
    PutU32(hugeScore, 5 * 32 + 12, 2000000001u ^ kKeyWord);
    std::vector<uint8_t> flippedCheck = good;
    flippedCheck[322] ^= 0x80;
    const Case cases[] = {
        {"one flipped byte", flipped, 0},
        {"flipped check value", flippedCheck, 0},
        {"score 0 in entry 3", zeroScore, 3},
        {"score above two billion in entry 5", hugeScore, 5},
        {"cut inside entry 3", std::vector<uint8_t>(good.begin(), good.begin() + 100), 3},
        {"check value missing", std::vector<uint8_t>(good.begin(), good.begin() + 320), 0},
        {"empty", {}, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        ForgetStringTable();
        CHiscoresTable t;
        ResetLog();
        EXPECT_FALSE(t.Load(path.c_str()));
        EXPECT_NE(LogContents().find("High-score table " + path + " is damaged"), std::string::npos);
        for (int i = 0; i < 10; ++i)
        {
            if (i < c.keptEntries)
            {
                EXPECT_EQ(t.GetScore(i), 1000 * (10 - i));
                EXPECT_EQ(NameAt(t, i), ("Player" + std::to_string(i)).append(5, ' '));
            }
            else
            {
                EXPECT_EQ(t.GetScore(i), 10000 - 1000 * i);
                EXPECT_EQ(NameAt(t, i), "Kestrelmoor ");
            }
        }
    }
}

TEST_F(HighScoresFile, MissingFileGivesDefaults)
{
    CHiscoresTable t;
    t.topScore = 1500000;
    EXPECT_FALSE(t.Load(Path("Game0.tbl").c_str()));
    EXPECT_EQ(t.GetScore(0), 1500000);
    EXPECT_EQ(t.GetScore(9), 150000);
}

TEST_F(HighScoresFile, FailedSaveIsReported)
{
    CHiscoresTable t;
    t.path = Path("missing/Game0.tbl");
    EXPECT_FALSE(t.Save());
}

TEST(HighScores, InsertIntoTheDefaultTable)
{
    struct Case
    {
        int32_t score;
        int expected;
        int32_t lastScoreAfter;
    };
    const Case cases[] = {
        {500, 10, 1000},    // below the table
        {1000, 10, 1000},   // equal to the last entry: stays below it
        {1001, 9, 1001},    // drops the old last entry
        {10000, 1, 2000},   // ties go below the equal entry
        {20000, 0, 2000},
    };
    for (const Case& c : cases)
    {
        CHiscoresTable t;
        EXPECT_EQ(t.Insert(c.score, "Wren", MakeId(99)), c.expected) << c.score;
        EXPECT_EQ(t.GetScore(9), c.lastScoreAfter) << c.score;
    }
}

TEST(HighScores, OneQuestRunKeepsOneEntry)
{
    CHiscoresTable t = KnownTable(); // 10000, 9000, ..., 1000
    EXPECT_EQ(t.Insert(3000, "Wren", MakeId(99)), 8);
    EXPECT_EQ(t.Insert(9500, "Wren", MakeId(99)), 1);
    int entries = 0;
    for (int i = 0; i < 10; ++i)
        entries += GuidEquals(t.ids[i], MakeId(99));
    EXPECT_EQ(entries, 1);
    const int32_t expected[10] = {10000, 9500, 9000, 8000, 7000, 6000, 5000, 4000, 3000, 2000};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(t.GetScore(i), expected[i]);

    // Same place or the one below: overwritten in place.
    EXPECT_EQ(t.Insert(9600, "Wren", MakeId(99)), 1);
    EXPECT_EQ(t.Insert(9550, "Wren", MakeId(99)), 1);
    EXPECT_EQ(t.GetScore(1), 9550);
    // A lower score moves the entry down past the scores above it.
    EXPECT_EQ(t.Insert(4500, "Wren", MakeId(99)), 6);
    const int32_t after[10] = {10000, 9000, 8000, 7000, 6000, 5000, 4500, 4000, 3000, 2000};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(t.GetScore(i), after[i]);
    EXPECT_TRUE(GuidEquals(t.ids[6], MakeId(99)));
}

TEST(HighScores, NamesAreFilteredAndCut)
{
    CHiscoresTable t;
    EXPECT_EQ(t.Insert(50000, "ab*cdef", MakeId(1)), 0);
    EXPECT_EQ(NameAt(t, 0), "ab cdef     ");
    EXPECT_EQ(t.Insert(60000, "ABCDEFGHIJKLMNOPQRST", MakeId(2)), 0);
    EXPECT_EQ(NameAt(t, 0), "ABCDEFGHIJKL");
    const char cyrillic[] = {char(0xC0), char(0xFF), char(0xA8), char(0xB8), '_', '-', char(0xA9), 0};
    EXPECT_EQ(t.Insert(70000, cyrillic, MakeId(3)), 0);
    EXPECT_EQ(NameAt(t, 0), std::string("\xC0\xFF\xA8\xB8_-      "));
}

TEST(HighScores, ValidNameCharacters)
{
    for (int ch = 0; ch < 256; ++ch)
    {
        bool expected = std::isalnum(ch) && ch < 128;
        expected = expected || ch >= 192 || ch == 168 || ch == 184 || ch == '_' || ch == '-' || ch == ' ';
        EXPECT_EQ(IsValidNameChar(static_cast<uint8_t>(ch)), expected) << ch;
    }
}

} // namespace

namespace {

TEST(HighScores, PlaceOfAQuestScore)
{
    CHiscoresTable t = KnownTable(); // 10000, 9000, ..., 1000; ids 1..10
    EXPECT_EQ(t.PlaceOf(20000), 1);
    EXPECT_EQ(t.PlaceOf(10000), 2);  // ties count against the newcomer
    EXPECT_EQ(t.PlaceOf(9500), 2);
    EXPECT_EQ(t.PlaceOf(500), 11);
    // Once the run's own score stands in the table it does not push the run down.
    t.Insert(12000, "Wren", MakeId(99));
    EXPECT_EQ(t.PlaceOf(12000), 2);
    const GUID own = MakeId(99);
    EXPECT_EQ(t.PlaceOf(12000, &own), 1);
}

} // namespace
