#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "saves/QuestSave.h"
#include "SaveTestUtil.h"

namespace {

const uint32_t kCounterMask = 0x6B2E91D4u;
const uint32_t kFieldMask = 0x3C8F07A5u;
const uint32_t kShopMask = 0xD15A4E63u;
const uint32_t kStarMask = 0x9E0B72C8u;

uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

CQuestSave SampleRecord(int32_t resumePoint, int32_t mode)
{
    CQuestSave r;
    r.mode = mode;
    r.questId = GUID{0x04030201u, 0x0605, 0x0807, {9, 10, 11, 12, 13, 14, 15, 16}};
    r.hardMode = 1;
    r.resumePoint = resumePoint;
    for (uint32_t i = 0; i < 10; ++i)
    {
        r.counters.first.SetInt(1000 + i, i);
        r.counters.second.SetInt(2000 + i, i);
        r.counters.third.SetInt(3000 + i, i);
    }
    r.counters.third.SetFloat(125.5f, kCounterTime);
    r.level = 17;
    r.remainingTime = 88.25f;
    r.nextWarning = 15.0f;
    r.lives = 3;
    r.sandLevel = 0.5f;
    r.sandFall = 1.0 / 3.0;
    r.starCount = 4;
    r.gemsToCollect = 6;
    r.gemsToPlace = 9;
    r.adviserTime = 2.0f;
    r.totemIndex = 5;
    r.totemShield = 1;
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
        {
            r.grids[0][row][col] = (row + col) % 7 + 1;
            r.grids[1][row][col] = row == col ? 2 : 0;
            r.grids[2][row][col] = col == 3 ? 4 : 0;
            r.grids[3][row][col] = col == 3 ? 2 : 0;
            r.grids[4][row][col] = row == 0 ? 1 : 0;
        }
    r.grids[0][7][7] = -3;  // a red token carrying a gem
    r.grids[0][0][1] = 101; // steel
    for (int i = 0; i < 16; ++i)
        r.shopValues[i] = i % 6 - 1;
    r.stars = 12;
    r.extra1 = 21;
    r.extra5 = 25;
    r.extra7 = 27;
    r.extra13 = 33;
    return r;
}

struct LayoutCase
{
    int32_t resumePoint;
    int32_t mode;
    size_t size;
    size_t tail; // offset of the shop values, 0 when there is no tail
};

TEST(QuestSaveFormat, GoldenBytesForEveryResumePointAndMode)
{
    const LayoutCase cases[] = {
        {1, 0, 1592, 1488}, {6, 0, 312, 208}, {8, 0, 312, 208},
        {1, 1, 1488, 0},    {6, 2, 208, 0},   {8, 1, 208, 0},
    };
    for (const LayoutCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "resume " << c.resumePoint << " mode " << c.mode);
        const CQuestSave r = SampleRecord(c.resumePoint, c.mode);
        const std::vector<uint8_t> b = r.ToBytes();
        ASSERT_EQ(b.size(), c.size);

        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "PSAV");
        EXPECT_EQ(U32At(b, 4), 2u);
        EXPECT_EQ(U32At(b, 8), uint32_t(c.mode));
        const uint8_t id[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        EXPECT_EQ(std::memcmp(&b[12], id, 16), 0);
        EXPECT_EQ(U32At(b, 28), 1u);
        EXPECT_EQ(U32At(b, 32), uint32_t(c.resumePoint));
        // Counter blocks: first, third, second, each word scrambled.
        EXPECT_EQ(U32At(b, 36), 1000u ^ kCounterMask);
        EXPECT_EQ(U32At(b, 36 + 36), 1009u ^ kCounterMask);
        EXPECT_EQ(U32At(b, 76), 3000u ^ kCounterMask);
        EXPECT_EQ(U32At(b, 80), FloatBits(125.5f) ^ kCounterMask);
        EXPECT_EQ(U32At(b, 116), 2000u ^ kCounterMask);
        EXPECT_EQ(U32At(b, 152), 2009u ^ kCounterMask);
        EXPECT_EQ(U32At(b, 156), 17u);
        EXPECT_EQ(U32At(b, 160), FloatBits(88.25f));
        EXPECT_EQ(U32At(b, 164), FloatBits(15.0f));
        EXPECT_EQ(U32At(b, 168), 3u ^ kFieldMask);
        EXPECT_EQ(U32At(b, 172), FloatBits(0.5f));
        double fall;
        std::memcpy(&fall, &b[176], 8);
        EXPECT_EQ(fall, 1.0 / 3.0);
        EXPECT_EQ(U32At(b, 184), 4u);
        EXPECT_EQ(U32At(b, 188), 6u ^ kFieldMask);
        EXPECT_EQ(U32At(b, 192), 9u ^ kFieldMask);
        EXPECT_EQ(U32At(b, 196), FloatBits(2.0f));
        EXPECT_EQ(U32At(b, 200), 5u);
        EXPECT_EQ(U32At(b, 204), 1u);
        if (c.resumePoint == 1)
        {
            // Five 8 x 8 grids, row after row.
            EXPECT_EQ(U32At(b, 208), 1u);
            EXPECT_EQ(U32At(b, 208 + 4 * 1), 101u);
            EXPECT_EQ(U32At(b, 208 + 4 * 63), uint32_t(-3));
            EXPECT_EQ(U32At(b, 208 + 256 + 4 * 9), 2u);        // grid 2, row 1 col 1
            EXPECT_EQ(U32At(b, 208 + 512 + 4 * 11), 4u);       // grid 3, row 1 col 3
            EXPECT_EQ(U32At(b, 208 + 1024 + 4 * 7), 1u);       // grid 5, row 0
            EXPECT_EQ(U32At(b, 208 + 1024 + 4 * 8), 0u);
        }
        if (c.tail != 0)
        {
            const size_t t = c.tail;
            EXPECT_EQ(U32At(b, t), uint32_t(-1) ^ kShopMask);
            EXPECT_EQ(U32At(b, t + 4 * 15), 2u ^ kShopMask);
            EXPECT_EQ(U32At(b, t + 64), 12u ^ kStarMask);
            EXPECT_EQ(U32At(b, t + 68), 4u);
            const uint32_t pairs[8] = {1, 21, 5, 25, 7, 27, 13, 33};
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(U32At(b, t + 72 + 4 * i), pairs[i]);
        }
    }
}

void ExpectSameRecord(const CQuestSave& a, const CQuestSave& b, bool withGrids)
{
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_TRUE(std::memcmp(&a.questId, &b.questId, sizeof(GUID)) == 0);
    EXPECT_EQ(a.hardMode, b.hardMode);
    EXPECT_EQ(a.resumePoint, b.resumePoint);
    EXPECT_EQ(a.counters.first.counters, b.counters.first.counters);
    EXPECT_EQ(a.counters.second.counters, b.counters.second.counters);
    EXPECT_EQ(a.counters.third.counters, b.counters.third.counters);
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.remainingTime, b.remainingTime);
    EXPECT_EQ(a.nextWarning, b.nextWarning);
    EXPECT_EQ(a.lives, b.lives);
    EXPECT_EQ(a.sandLevel, b.sandLevel);
    EXPECT_EQ(a.sandFall, b.sandFall);
    EXPECT_EQ(a.starCount, b.starCount);
    EXPECT_EQ(a.gemsToCollect, b.gemsToCollect);
    EXPECT_EQ(a.gemsToPlace, b.gemsToPlace);
    EXPECT_EQ(a.adviserTime, b.adviserTime);
    EXPECT_EQ(a.totemIndex, b.totemIndex);
    EXPECT_EQ(a.totemShield, b.totemShield);
    if (withGrids)
    {
        EXPECT_EQ(a.grids, b.grids);
    }
    EXPECT_EQ(a.shopValues, b.shopValues);
    EXPECT_EQ(a.stars, b.stars);
    EXPECT_EQ(a.extra1, b.extra1);
    EXPECT_EQ(a.extra5, b.extra5);
    EXPECT_EQ(a.extra7, b.extra7);
    EXPECT_EQ(a.extra13, b.extra13);
}

class QuestSaveFile : public SaveFolderTest
{
};

TEST_F(QuestSaveFile, SaveAndLoadRoundTrip)
{
    for (int32_t resume : {1, 6, 8})
    {
        const CQuestSave written = SampleRecord(resume, 0);
        CQuestSave copy(written);
        ASSERT_TRUE(copy.Save(Path("Quest.sav").c_str()));
        EXPECT_EQ(ReadBytes(Path("Quest.sav")), written.ToBytes());
        EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"Quest.sav"}); // no temporary left over

        CQuestSave loaded;
        ASSERT_TRUE(loaded.Load(Path("Quest.sav").c_str()));
        EXPECT_EQ(loaded.status, CQuestSave::kStatusUnsaved);
        ExpectSameRecord(loaded, written, resume == 1);
    }
    EXPECT_EQ(LogContents(), "");
}

TEST_F(QuestSaveFile, ConstructorDefaultsWriteWholeGrids)
{
    CQuestSave r;
    EXPECT_EQ(r.resumePoint, 3);
    EXPECT_EQ(r.level, 1);
    EXPECT_EQ(r.lives, 2);
    EXPECT_EQ(r.nextWarning, 30.0f);
    EXPECT_EQ(r.totemIndex, -1);
    EXPECT_EQ(r.grids[0][4][4], 1000);
    EXPECT_EQ(r.grids[1][4][4], 0);
    // The constructor's resume point saves, but such a file is refused.
    ASSERT_TRUE(r.Save(Path("Quest.sav").c_str()));
    CQuestSave loaded;
    EXPECT_FALSE(loaded.Load(Path("Quest.sav").c_str()));
    EXPECT_EQ(loaded.LastError(), CQuestSave::kErrorCorrupt);

    // Resume point 1 with an untouched board still gives all 5 x 8 x 8 values.
    r.resumePoint = 1;
    ASSERT_TRUE(r.Save(Path("Quest.sav").c_str()));
    EXPECT_EQ(ReadBytes(Path("Quest.sav")).size(), 1592u);
    EXPECT_TRUE(loaded.Load(Path("Quest.sav").c_str()));
    EXPECT_EQ(loaded.grids[0][7][7], 1000);
}

struct CorruptCase
{
    const char* what;
    size_t offset;      // where to write
    uint32_t value;     // the raw word stored there
    CQuestSave::Error error;
};

TEST_F(QuestSaveFile, DamagedFilesAreRefusedAndTheLiveRecordStays)
{
    const std::vector<uint8_t> good = SampleRecord(1, 0).ToBytes();
    const size_t t = 1488;
    const CorruptCase cases[] = {
        {"wrong magic", 0, 0x50534156u /* "VASP" */, CQuestSave::kErrorCorrupt},
        {"magic cut by a zero", 0, 0x00415350u /* "PSA\0" */, CQuestSave::kErrorCorrupt},
        {"version 3", 4, 3, CQuestSave::kErrorVersion},
        {"version 1", 4, 1, CQuestSave::kErrorVersion},
        {"resume point 3", 32, 3, CQuestSave::kErrorCorrupt},
        {"negative Hard flag", 28, uint32_t(-1), CQuestSave::kErrorCorrupt},
        {"level 0", 156, 0, CQuestSave::kErrorCorrupt},
        {"level 1001", 156, 1001, CQuestSave::kErrorCorrupt},
        {"lives -1", 168, uint32_t(-1) ^ kFieldMask, CQuestSave::kErrorCorrupt},
        {"lives 1001", 168, 1001 ^ kFieldMask, CQuestSave::kErrorCorrupt},
        {"negative star count", 184, uint32_t(-2), CQuestSave::kErrorCorrupt},
        {"cell value 9", 208 + 4 * 10, 9, CQuestSave::kErrorCorrupt},
        {"cell value 0", 208, 0, CQuestSave::kErrorCorrupt},
        {"lock count -1", 208 + 256, uint32_t(-1), CQuestSave::kErrorCorrupt},
        {"bonus kind 8", 208 + 512, 8, CQuestSave::kErrorCorrupt},
        {"fixed flag 2", 208 + 1024, 2, CQuestSave::kErrorCorrupt},
        {"shop level 5", t + 8, 5 ^ kShopMask, CQuestSave::kErrorCorrupt},
        {"stars 1001", t + 64, 1001 ^ kStarMask, CQuestSave::kErrorCorrupt},
        {"stars -1", t + 64, uint32_t(-1) ^ kStarMask, CQuestSave::kErrorCorrupt},
        {"pair count 14", t + 68, 14, CQuestSave::kErrorCorrupt},
        {"pair id 20", t + 72 + 8, 20, CQuestSave::kErrorCorrupt},
        {"pair id -1", t + 72, uint32_t(-1), CQuestSave::kErrorCorrupt},
        {"pair count past the end", t + 68, 13, CQuestSave::kErrorShort},
    };
    const std::string path = Path("Quest.sav");
    for (const CorruptCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        PutU32(bytes, c.offset, c.value);
        WriteBytes(path, bytes);
        ResetLog();

        CQuestSave live = SampleRecord(8, 0);
        live.level = 5;
        live.extra5 = 77;
        live.status = CQuestSave::kStatusUnsaved;
        EXPECT_FALSE(live.Load(path.c_str()));
        EXPECT_EQ(live.LastError(), c.error);
        EXPECT_EQ(live.status, CQuestSave::kStatusNone);
        // Nothing of the damaged file reached the record.
        EXPECT_EQ(live.level, 5);
        EXPECT_EQ(live.extra5, 77);
        EXPECT_EQ(live.resumePoint, 8);
        EXPECT_EQ(LogContents(), std::string(" ") + CQuestSave::ErrorText(c.error) + " " + path + " \n");
    }
}

TEST_F(QuestSaveFile, AcceptedLimitsAndClampedValues)
{
    std::vector<uint8_t> bytes = SampleRecord(8, 0).ToBytes();
    PutU32(bytes, 156, 1000);                       // level 1000
    PutU32(bytes, 168, 1000 ^ kFieldMask);          // lives 1000
    PutU32(bytes, 188, uint32_t(-5) ^ kFieldMask);  // gem count below 0
    PutU32(bytes, 192, 5000 ^ kFieldMask);          // gem count far too high
    PutU32(bytes, 200, 9);                          // no such totem
    PutU32(bytes, 204, 7);                          // shield flag as a plain truth value
    PutU32(bytes, 160, 0x7FC00000u);                // remaining time NaN
    PutU32(bytes, 196, 0x7F800000u);                // adviser time infinite
    PutU32(bytes, 80, 0xFFC00000u ^ kCounterMask);  // level time NaN
    const double inf = std::numeric_limits<double>::infinity();
    std::memcpy(&bytes[176], &inf, 8);              // sand fall infinite
    CQuestSave r;
    ASSERT_TRUE(r.FromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(r.level, 1000);
    EXPECT_EQ(r.lives, 1000);
    EXPECT_EQ(r.gemsToCollect, 0);
    EXPECT_EQ(r.gemsToPlace, 1000);
    EXPECT_EQ(r.totemIndex, -1);
    EXPECT_EQ(r.totemShield, 1);
    EXPECT_EQ(r.remainingTime, 0.0f);
    EXPECT_EQ(r.adviserTime, 0.0f);
    EXPECT_EQ(r.counters.third.GetFloat(kCounterTime), 0.0f);
    EXPECT_EQ(r.sandFall, 0.0);
    EXPECT_EQ(r.nextWarning, 15.0f); // untouched neighbours
}

TEST_F(QuestSaveFile, TruncatedFilesAreShortReads)
{
    const std::vector<uint8_t> good = SampleRecord(1, 0).ToBytes();
    for (size_t size : {size_t(0), size_t(2), size_t(7), size_t(100), size_t(207), size_t(1000), size_t(1487),
                        size_t(1555), size_t(1591)})
    {
        SCOPED_TRACE(size);
        CQuestSave r;
        r.level = 9;
        EXPECT_FALSE(r.FromBytes(good.data(), size));
        EXPECT_EQ(r.LastError(), CQuestSave::kErrorShort);
        EXPECT_EQ(r.level, 9);
    }
    std::vector<uint8_t> two = {'P', 'S'};
    WriteBytes(Path("Quest.sav"), two);
    CQuestSave r;
    EXPECT_FALSE(r.Load(Path("Quest.sav").c_str()));
    EXPECT_EQ(LogContents(), " Error. Unable to load file " + Path("Quest.sav") + " \n");
}

TEST_F(QuestSaveFile, EveryFlippedByteLoadsOrFailsCleanly)
{
    const std::vector<uint8_t> good = SampleRecord(1, 0).ToBytes();
    for (size_t i = 0; i < good.size(); ++i)
    {
        std::vector<uint8_t> bytes = good;
        bytes[i] ^= 0xFF;
        CQuestSave r = SampleRecord(6, 1);
        r.status = CQuestSave::kStatusUnsaved;
        if (r.FromBytes(bytes.data(), bytes.size()))
        {
            EXPECT_EQ(r.status, CQuestSave::kStatusUnsaved);
            EXPECT_TRUE(r.level >= 1 && r.level <= 1000);
            EXPECT_TRUE(r.totemIndex >= -1 && r.totemIndex <= 6);
            EXPECT_TRUE(std::isfinite(r.remainingTime) && std::isfinite(r.sandFall) &&
                        std::isfinite(r.counters.third.GetFloat(kCounterTime)));
        }
        else
        {
            EXPECT_EQ(r.status, CQuestSave::kStatusNone) << i;
            EXPECT_EQ(r.resumePoint, 6) << i;
        }
    }
}

TEST_F(QuestSaveFile, TailIsOnlyReadInTheRegularQuest)
{
    CQuestSave r = SampleRecord(8, 0);
    r.shopValues.fill(2);
    r.stars = 40;
    r.extra7 = 70;
    CQuestSave other = SampleRecord(8, 1);
    other.shopValues.fill(0);
    const std::vector<uint8_t> bytes = other.ToBytes();
    ASSERT_TRUE(r.FromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(r.mode, 1);
    EXPECT_EQ(r.shopValues[3], 2);
    EXPECT_EQ(r.stars, 40);
    EXPECT_EQ(r.extra7, 70);
}

TEST_F(QuestSaveFile, PairListReading)
{
    std::vector<uint8_t> bytes = SampleRecord(8, 0).ToBytes();
    const size_t t = 208;
    // An empty pair list clears extra 13 and keeps the others.
    std::vector<uint8_t> none(bytes.begin(), bytes.begin() + t + 72);
    PutU32(none, t + 68, 0);
    CQuestSave r;
    r.extra1 = 1;
    r.extra5 = 5;
    r.extra7 = 7;
    r.extra13 = 13;
    ASSERT_TRUE(r.FromBytes(none.data(), none.size()));
    EXPECT_EQ(r.extra13, 0);
    EXPECT_EQ(r.extra1, 1);
    EXPECT_EQ(r.extra5, 5);
    EXPECT_EQ(r.extra7, 7);
    EXPECT_EQ(r.stars, 12); // the rest of the file did come in

    // Unknown ids inside 0..13 are skipped.
    PutU32(bytes, t + 72, 3);
    CQuestSave s;
    s.extra1 = -8;
    ASSERT_TRUE(s.FromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(s.extra1, -8);
    EXPECT_EQ(s.extra5, 25);
}

TEST_F(QuestSaveFile, MissingFileIsQuiet)
{
    CQuestSave r;
    r.status = CQuestSave::kStatusUnsaved;
    EXPECT_FALSE(r.Load(Path("none.sav").c_str()));
    EXPECT_EQ(r.LastError(), CQuestSave::kErrorOpen);
    EXPECT_EQ(r.status, CQuestSave::kStatusNone);
    EXPECT_EQ(LogContents(), "");
}

TEST_F(QuestSaveFile, FailedSaveIsReportedAndKeepsTheOldFile)
{
    const std::string path = Path("Quest.sav");
    CQuestSave old = SampleRecord(8, 0);
    ASSERT_TRUE(old.Save(path.c_str()));
    const std::vector<uint8_t> before = ReadBytes(path);

    // A folder that does not exist cannot take the file.
    CQuestSave r = SampleRecord(1, 0);
    const std::string bad = Path("missing/Quest.sav");
    EXPECT_FALSE(r.Save(bad.c_str()));
    EXPECT_EQ(LogContents(), " Error. Unable to open (save) file " + bad + " \n");

    // A directory in the way of the file: the write fails, nothing else changes.
    ResetLog();
    std::filesystem::create_directory(Path("Blocked.sav"));
    EXPECT_FALSE(r.Save(Path("Blocked.sav").c_str()));
    EXPECT_EQ(LogContents(), " Error. Unable to save file " + Path("Blocked.sav") + " \n");
    EXPECT_TRUE(std::filesystem::is_directory(Path("Blocked.sav")));
    EXPECT_EQ(ReadBytes(path), before);
}

} // namespace
