#include "engine/IniReader.h"

#include "engine/DataFolders.h"
#include "engine/Log.h"

#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class IniReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.Write("t.cfg", "[Main]\r\n"
                           "Empty=\r\n"
                           "Int = 42 \r\n"
                           "Float=2.5\r\n"
                           "White=255 255 255 255\r\n"
                           "Fraction=10.9 -0.5 0 1\r\n"
                           "Three=1 2 3\r\n"
                           "One=7\r\n"
                           "Name=\"Museum Hall\"\r\n"
                           "Big=300 0 0 0\r\n");
        file = dir / "t.cfg";
    }
    TestDir dir;
    std::string file;
};

TEST_F(IniReaderTest, Scalars)
{
    const char* f = file.c_str();
    EXPECT_EQ(ReadIniInt(f, "Main", "Int", "1"), 42);
    EXPECT_EQ(ReadIniInt(f, "main", "INT", "1"), 42);
    EXPECT_EQ(ReadIniInt(f, "Main", "Missing", "-7"), -7);
    EXPECT_EQ(ReadIniInt(f, "Main", "Empty", "9"), 0); // present but empty: not the default
    EXPECT_EQ(ReadIniFloat(f, "Main", "Empty", "9.5"), 0.0f);
    EXPECT_EQ(ReadIniFloat(f, "Main", "Float", "0"), 2.5f);
    EXPECT_EQ(ReadIniFloat((dir / "none.cfg").c_str(), "Main", "Float", "0.25"), 0.25f);
    EXPECT_EQ(ReadIniInt(f, "Main", "Name", "3"), 0); // not a number

    char buf[8];
    EXPECT_EQ(ReadIniString(f, "Main", "Name", "", buf, sizeof buf), 7u);
    EXPECT_STREQ(buf, "Museum ");
    std::string s;
    EXPECT_EQ(ReadIniStdString(s, f, "Main", "Name", "x"), "Museum Hall");
    EXPECT_EQ(ReadIniStdString(s, f, "Other", "Name", "fallback"), "fallback");
}

TEST_F(IniReaderTest, Colors)
{
    const char* f = file.c_str();
    EXPECT_EQ(ReadIniColor(f, "Main", "White", "0 0 0 0"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadIniColor(f, "Main", "Missing", "0 0 0 0"), 0u);
    EXPECT_EQ(ReadIniColor(f, "Main", "Missing", "255 125 16 255"), 0xFFFF7D10u);
    // 10.9 floors to 10; -0.5 floors to -1, which sets every bit above blue.
    EXPECT_EQ(ReadIniColor(f, "Main", "Fraction", ""), (1u << 24) | (10u << 16) | (0xFFFFFFFFu << 8));
    EXPECT_EQ(ReadIniColor(f, "Main", "Big", ""), 300u << 16); // no clamping
    EXPECT_EQ(ReadIniColor(f, "Main", "Three", ""), 0x00010203u); // missing alpha is 0
    EXPECT_EQ(ReadIniColor(f, "Main", "Missing", "1e30 0 0 255"), 0xFF000000u | (uint32_t(INT32_MAX) << 16));
}

TEST_F(IniReaderTest, VectorsZeroWhatTheTextLeavesOut)
{
    const char* f = file.c_str();
    float v[4] = {9, 9, 9, 9};
    ReadIniFloat2(v, f, "Main", "One", "");
    EXPECT_EQ(v[0], 7.0f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_EQ(v[2], 9.0f); // beyond the pair: untouched

    float t[3] = {9, 9, 9};
    EXPECT_EQ(ReadIniFloat3(t, f, "Main", "Three", ""), t);
    EXPECT_EQ(t[2], 3.0f);

    float q[4] = {9, 9, 9, 9};
    ReadIniFloat4(q, f, "Main", "Three", "");
    EXPECT_EQ(q[3], 0.0f);
    ReadIniFloat4(q, f, "Main", "Missing", "0.5 0.25 1 2");
    EXPECT_EQ(q[0], 0.5f);
    EXPECT_EQ(q[3], 2.0f);

    int32_t p[2] = {9, 9};
    ReadIniInt2(p, f, "Main", "Empty", "5 6");
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    ReadIniInt2(p, f, "Main", "Missing", "5 6");
    EXPECT_EQ(p[1], 6);
}

// A tuning value outside the range the game can use is pinned to it, NaN takes
// the default, and each correction leaves one line in the log.
TEST(IniRangedRead, PinsWildValuesAndLogsEach)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    dir.SetEnv("XDG_DATA_HOME", std::nullopt);
    dir.SetEnv("HOME", std::nullopt);
    BuildUserFolders(nullptr);
    dir.Write("w.cfg", "[S]\nHuge=99999999999\nNeg=-2147483649\nNaN=nan\nInf=inf\nFine=7\nFrac=0.5\n");
    SetLogFile("Objects.log");
    ResetLog();
    const std::string f = dir / "w.cfg";
    struct Case
    {
        const char* key;
        int32_t wantInt;
        float wantFloat;
    };
    const Case cases[] = {{"Huge", 100, 10.0f}, {"Neg", 1, 1.0f}, {"NaN", 1, 5.0f}, {"Inf", 1, 10.0f}, {"Fine", 7, 7.0f}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(ReadIniIntInRange(f.c_str(), "S", c.key, "5", 1, 100), c.wantInt) << c.key;
        EXPECT_EQ(ReadIniFloatInRange(f.c_str(), "S", c.key, "5", 1.0f, 10.0f), c.wantFloat) << c.key;
    }
    EXPECT_EQ(ReadIniFloatInRange(f.c_str(), "S", "Frac", "5", 0.0f, 1.0f), 0.5f);
    const std::string log = dir.Read("Objects.log");
    SetLogFile("");
    EXPECT_NE(log.find("Tuning value out of range: w.cfg Huge=99999999999, using 100\n"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 8) << log; // Fine and Frac leave none; "nan" and "inf" read as the int 0
    float v[2] = {std::nanf(""), -50.0f};
    ClampTuningFloats(v, 2, 0.0f, 1.0f, "x.cfg", "Pair");
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 0.0f);
}

} // namespace
