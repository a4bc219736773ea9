// The level-file reader: every statement, every message with its line number,
// and the rows, indices, group sizes and list colours it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "board/Level.h"
#include "engine/Log.h"
#include "tests/support/LogFile.h"

namespace {

const std::string kFixtures = ORB_FIXTURES_DIR;

// Each test gets a fresh log and a scratch folder for inline level texts.
class LevelFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = ::testing::TempDir();
        if (!m_dir.empty() && m_dir.back() != '/')
            m_dir += '/';
        // The log lies in this process's scratch folder: test cases run side
        // by side must never write one file.
        SetLogFile((m_dir + "level_file_test.log").c_str());
        ResetLog();
    }
    void TearDown() override { SetLogFile(""); }

    std::string Write(const std::string& text) {
        const std::string path = m_dir + "level_file_test.lvl";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string Log() { return test_support::ReadLogFile(); }

    std::string m_dir;
};

const std::vector<std::string> kEmptyRows(8, "--------");

TEST_F(LevelFile, EmptyFileKeepsTheDefaults) {
    CLevel level;
    EXPECT_EQ(level.isDefault, 1);
    ASSERT_EQ(level.Load(Write("# nothing but a comment\n\n").c_str()), 1);
    EXPECT_EQ(level.isDefault, 0);
    EXPECT_EQ(level.gemsCount, -1);
    EXPECT_TRUE(level.capsSet.empty());
    EXPECT_EQ(level.steelTokenCount, -1);
    EXPECT_EQ(level.lockTokenCount, -1);
    EXPECT_EQ(level.beginRows, std::vector<std::string>(8, "xxxxxxxx"));
    EXPECT_EQ(level.lockRows, kEmptyRows);
    EXPECT_EQ(level.bonusRows, kEmptyRows);
    EXPECT_EQ(level.fixedRows, kEmptyRows);
    EXPECT_EQ(level.gemRows, kEmptyRows);
    EXPECT_EQ(level.bonusLevels, std::vector<int32_t>(6, -1));
    EXPECT_EQ(Log(), "");
}

TEST_F(LevelFile, EveryKeyword) {
    CLevel level;
    ASSERT_EQ(level.Load((kFixtures + "/level_every_keyword.lvl").c_str()), 1) << Log();
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(level.isDefault, 0);
    EXPECT_EQ(level.gemsCount, 12);
    EXPECT_EQ(level.capsSet, (std::vector<int32_t>{0, 2, 3, 4, 5}));
    EXPECT_FLOAT_EQ(level.steelChance, 0.025f);
    EXPECT_EQ(level.steelTokenCount, 3);
    EXPECT_FLOAT_EQ(level.lockChance, 0.5f);
    EXPECT_EQ(level.lockTokenCount, -2);
    EXPECT_EQ(level.groupLetters, (std::vector<uint8_t>{'A', 'B'}));
    EXPECT_EQ(level.groupSizes, (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(level.listLetters, (std::vector<uint8_t>{'I'}));
    EXPECT_EQ(level.lists, (std::vector<std::vector<int32_t>>{{4, 5, 6}})) << "an empty list records nothing";
    EXPECT_EQ(level.beginRows, (std::vector<std::string>{"xx0aa1xx", "s1bbAAxx", "IIxBxxxx", "xxxxxxxx", "xxxxxxxx",
                                                         "xxxxxxxx", "xxxxxxxx", "xxxxxxxx"}));
    EXPECT_EQ(level.lockRows, (std::vector<std::string>{"1-------", "--0-----", "--------", "--------", "--------",
                                                        "--------", "--------", "--------"}));
    EXPECT_EQ(level.bonusLevels, (std::vector<int32_t>{2, -1, -1, -1, -1, 4}));
    EXPECT_EQ(level.bonusRows[0], "-0-1-2-3");
    EXPECT_EQ(level.bonusRows[1], "45------");
    EXPECT_EQ(level.bonusRows[2], "--------");
    EXPECT_EQ(level.fixedRows[0], "ffffffff");
    EXPECT_EQ(level.fixedRows[1], "f------f");
    EXPECT_EQ(level.gemRows[0], "--g--g--");
}

TEST_F(LevelFile, RowsAreEightCharactersAndBonusRowsUpperCase) {
    CLevel level;
    ASSERT_EQ(level.Load(Write("bonus { \"0a1b-c--\" }\n"
                               "BEGIN { \"0123456789\" }\n"
                               "BEGIN { xxxxxxss }\n")
                             .c_str()),
              1);
    EXPECT_EQ(level.bonusRows[0], "0A1B-C--");
    // Each block counts its rows from its brace: the second BEGIN starts at row 0 again.
    EXPECT_EQ(level.beginRows[0], "xxxxxxss");
    EXPECT_EQ(level.beginRows[1], "xxxxxxxx");
}

TEST_F(LevelFile, NinthAndTenthRowsAreReportedAndLeftOut) {
    const std::string path = kFixtures + "/level_ninth_row.lvl";
    CLevel level;
    ASSERT_EQ(level.Load(path.c_str()), 1);
    EXPECT_EQ(level.beginRows[0], "00xxxxxx");
    EXPECT_EQ(level.beginRows[7], "ssxxxxxx");
    EXPECT_EQ(level.beginRows.size(), 8u);
    EXPECT_EQ(level.gemRows[0], "g-------") << "reading goes on after the extra rows";
    const std::string warning = " Warning! To many Lines " + path;
    EXPECT_EQ(Log(), warning + warning);
}

TEST_F(LevelFile, GroupsAndLists) {
    CLevel level;
    ASSERT_EQ(level.Load(Write("BEGIN { A 3 I { } I { 1 2 } G 1 O { 6 } }").c_str()), 1);
    EXPECT_EQ(level.groupLetters, (std::vector<uint8_t>{'A', 'G'}));
    EXPECT_EQ(level.groupSizes, (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(level.listLetters, (std::vector<uint8_t>{'I', 'O'}));
    EXPECT_EQ(level.lists, (std::vector<std::vector<int32_t>>{{1, 2}, {6}}));

    EXPECT_TRUE(level.GroupsFit(4));
    EXPECT_FALSE(level.GroupsFit(3));
    CLevel none;
    EXPECT_TRUE(none.GroupsFit(0));
    EXPECT_FALSE(none.GroupsFit(-1));
}

TEST_F(LevelFile, NumbersReadTheirLeadingDigits) {
    CLevel level;
    ASSERT_EQ(level.Load(Write("GEMSCOUNT 12abc\nSTEEL 1e-2 -4\nLOCK x y\n").c_str()), 1);
    EXPECT_EQ(level.gemsCount, 12);
    EXPECT_FLOAT_EQ(level.steelChance, 0.01f);
    EXPECT_EQ(level.steelTokenCount, -4);
    EXPECT_EQ(level.lockChance, 0.0f);
    EXPECT_EQ(level.lockTokenCount, 0);
}

TEST_F(LevelFile, FewColoursWarnButLoad) {
    const std::string path = Write("set { 0 1 2 }\n");
    CLevel level;
    ASSERT_EQ(level.Load(path.c_str()), 1);
    EXPECT_EQ(level.capsSet, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(level.isDefault, 0);
    EXPECT_EQ(Log(), " Warning! Caps set is less than 5! " + path + " \n");
}

TEST_F(LevelFile, GroupsMustFitTheColourSet) {
    const std::string path = Write("SET { 0 1 2 3 4 }\nBEGIN { A 3 B 3 }\n");
    CLevel level;
    EXPECT_EQ(level.Load(path.c_str()), 0);
    EXPECT_EQ(level.isDefault, 1);
    EXPECT_EQ(Log(), " Error! Caps set is less than Groups size! " + path + " \n");

    // Without a SET the groups are not tested here.
    CLevel unchecked;
    EXPECT_EQ(unchecked.Load(Write("BEGIN { A 3 B 3 }\n").c_str()), 1);
}

TEST_F(LevelFile, MissingFile) {
    const std::string path = m_dir + "no_such_level.lvl";
    CLevel level;
    EXPECT_EQ(level.Load(path.c_str()), 0);
    EXPECT_EQ(level.isDefault, 1);
    EXPECT_EQ(Log(), " Unable to open file " + path + " probably this is not error\n");
}

TEST_F(LevelFile, StatementsBeforeAFailureStay) {
    CLevel level;
    EXPECT_EQ(level.Load(Write("GEMSCOUNT 12\nLOCKS { \"1-------\" }\nSET { 9 }\n").c_str()), 0);
    EXPECT_EQ(level.isDefault, 1);
    EXPECT_EQ(level.gemsCount, 12);
    EXPECT_EQ(level.lockRows[0], "1-------");
}

struct SyntaxCase {
    const char* name;
    const char* text;
    const char* token;
    int line;
};

void PrintTo(const SyntaxCase& c, std::ostream* os) { *os << c.name; }

class LevelFileSyntax : public LevelFile, public ::testing::WithParamInterface<SyntaxCase> {};

TEST_P(LevelFileSyntax, NamesTheTokenAndItsLine) {
    const SyntaxCase& c = GetParam();
    CLevel level;
    EXPECT_EQ(level.Load(Write(c.text).c_str()), 0);
    EXPECT_EQ(level.isDefault, 1);
    EXPECT_EQ(Log(), std::string(" Unexpected token \" ") + c.token + " \", line  " + std::to_string(c.line) + " !\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LevelFileSyntax,
    ::testing::Values(
        SyntaxCase{"unknown_keyword_upper_cased", "# level\n\ngemscount 5 steal 0.1 2\n", "STEAL", 3},
        SyntaxCase{"keyword_must_match_whole", "GEMS_COUNT 5\n", "GEMS_COUNT", 1},
        SyntaxCase{"set_colour_seven", "SET {\n 0 1\n 7 }\n", "7", 3},
        SyntaxCase{"set_colour_negative", "SET { 0 -1 }\n", "-1", 1},
        SyntaxCase{"set_without_brace", "SET 0 1 2\n", "0", 1},
        SyntaxCase{"locks_without_brace", "\nLOCKS \"1-------\"\n", "\"1-------\"", 2},
        SyntaxCase{"short_row", "BEGIN {\n  \"xxxxxxxx\"\n  \"xx\"\n}\n", "\"xx\"", 3},
        SyntaxCase{"short_gems_row", "GEMS { g }\n", "g", 1},
        SyntaxCase{"bonus_index_above_five", "BONUS {\n LEVEL 6 1\n}\n", "6", 2},
        SyntaxCase{"bonus_index_negative", "BONUS { LEVEL -1 1 }\n", "-1", 1},
        SyntaxCase{"bonus_level_negative", "BONUS { level 2 -3 }\n", "-3", 1},
        SyntaxCase{"bonus_row_short", "bonus { \"0-1\" }\n", "\"0-1\"", 1},
        SyntaxCase{"group_size_zero", "BEGIN { A 0 }\n", "0", 1},
        SyntaxCase{"group_size_negative", "BEGIN {\n B\n -2 }\n", "-2", 3},
        SyntaxCase{"list_colour_seven", "BEGIN { I { 1 7 } }\n", "7", 1},
        SyntaxCase{"list_colour_negative", "BEGIN { J { -1 } }\n", "-1", 1},
        SyntaxCase{"list_without_brace", "BEGIN { K 3 }\n", "3", 1},
        SyntaxCase{"brace_where_keyword_expected", "}\n", "}", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LevelFile, BonusIndexOutOfRangeFixture) {
    CLevel level;
    EXPECT_EQ(level.Load((kFixtures + "/level_bonus_index_out_of_range.lvl").c_str()), 0);
    EXPECT_EQ(level.bonusLevels, (std::vector<int32_t>{-1, -1, -1, -1, -1, 1}));
    EXPECT_EQ(Log(), " Unexpected token \" 6 \", line  4 !\n");
}

TEST_F(LevelFile, EndOfFileInsideAStatement) {
    for (const char* text : {"SET {", "SET { 1 2", "GEMSCOUNT", "STEEL 0.5", "LOCK", "BEGIN { A", "BEGIN { I { 1",
                             "BONUS { LEVEL 2", "FIXED {\n\"ffffffff\"\n# no brace\n"}) {
        SCOPED_TRACE(text);
        ResetLog();
        const std::string path = Write(text);
        CLevel level;
        EXPECT_EQ(level.Load(path.c_str()), 0);
        EXPECT_EQ(Log(), " Unexpected end of file " + path + " !\n");
    }
}

}  // namespace
