#include "engine/StringTable.h"

#include "engine/Log.h"
#include "tests/support/LogFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Each test writes its two files and its log into a folder of its own.
class StringTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("orb_strings_" + std::string(info->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        SetLogFile((dir / "Objects.log").string().c_str());
        ResetLog();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const char* name, const std::string& text)
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    void Load(const std::string& strings, const std::string& ids)
    {
        LoadStringTable(Write("Strings.txt", strings).c_str(), Write("TextID.dat", ids).c_str());
    }

    static std::string Log() { return test_support::ReadLogFile(); }

    static std::string ById(int id)
    {
        char buffer[256];
        GetStringById(id, buffer, sizeof buffer);
        return buffer;
    }

    static std::string ByName(const char* name)
    {
        char buffer[256];
        GetStringByName(name, buffer, sizeof buffer);
        return buffer;
    }

    fs::path dir;
};

TEST_F(StringTableTest, IdEntriesAreFoundByIdAndNameEntriesByName)
{
    Load("strings   # any case\n"
         "HELLO \"Hello there\"\n"
         "\"QUOTED_NAME\" \"Second\"\n"
         "BARE word\n"
         "KMF\n"
         "CaptionMain \"Main menu\"\n",
         "define HELLO 7\n"
         "define \"QUOTED_NAME\" 8\n"
         "define BARE -3\n");
    EXPECT_EQ("Hello there", ById(7));
    EXPECT_EQ("Second", ById(8));
    EXPECT_EQ("word", ById(-3));
    EXPECT_EQ("Main menu", ByName("CaptionMain"));
    // An entry after the tag has no id; an id entry has no name.
    EXPECT_EQ("", ByName("HELLO"));
    EXPECT_EQ("", ById(9));
    EXPECT_EQ("", Log());
}

TEST_F(StringTableTest, NameMissingFromTheIdFileIsWarnedAboutAndUnreachable)
{
    Load("STRINGS A \"first\" LOST \"nowhere\" KMF",
         "define A 1\n");
    EXPECT_EQ("first", ById(1));
    EXPECT_EQ(" Warning! Unable to find string ID  LOST \n", Log());
}

TEST_F(StringTableTest, BackslashEscapes)
{
    struct Case { const char* written; const char* text; } cases[] = {
        {"a\\nb", "a\nb"},
        {"a\\tb", "a\tb"},
        {"a\\\\nb", "a\\nb"},
        {"a\\xb", "a\\xb"},
        {"ends\\", "ends\\"},
        {"click \\\"Stop!\\\" now", "click \"Stop!\" now"},
    };
    std::string strings = "STRINGS\n";
    std::string ids;
    int id = 100;
    for (const Case& c : cases)
    {
        strings += "S" + std::to_string(id) + " \"" + c.written + "\"\n";
        ids += "define S" + std::to_string(id) + " " + std::to_string(id) + "\n";
        ++id;
    }
    Load(strings + "KMF\n", ids);
    id = 100;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(c.text, ById(id++));
    }
}

TEST_F(StringTableTest, FirstTextOfANameOrAnIdStays)
{
    Load("STRINGS B \"b text\" A \"a text\" B \"second b\" KMF "
         "Dup \"one\" Dup \"two\"",
         "define A 5\ndefine B 5\ndefine C 6\n");
    // A and B share id 5: the name that sorts first wins.
    EXPECT_EQ("a text", ById(5));
    EXPECT_EQ("one", ByName("Dup"));

    // A later load rebuilds the ids but keeps the names it had.
    Load("STRINGS C \"c text\" KMF Dup \"three\" Fresh \"new\"", "define C 6\n");
    EXPECT_EQ("", ById(5));
    EXPECT_EQ("c text", ById(6));
    EXPECT_EQ("one", ByName("Dup"));
    EXPECT_EQ("new", ByName("Fresh"));
}

TEST_F(StringTableTest, FormatErrorsLeaveTheIdTableEmpty)
{
    struct Case { const char* name; const char* strings; const char* ids; const char* failing; } cases[] = {
        {"no tag", "STRINGS A \"a\" B \"b\"", "define A 1\n", "Strings.txt"},
        {"wrong keyword", "TEXTS A \"a\" KMF", "define A 1\n", "Strings.txt"},
        {"empty file", "", "define A 1\n", "Strings.txt"},
        {"text missing after the tag", "STRINGS A \"a\" KMF Name", "define A 1\n", "Strings.txt"},
        {"lower-case tag", "STRINGS A \"a\" kmf \"x\"", "define A 1\n", "Strings.txt"},
        {"capital define", "STRINGS A \"a\" KMF", "Define A 1\n", "TextID.dat"},
        {"number missing", "STRINGS A \"a\" KMF", "define A", "TextID.dat"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // A good load first, so that a failed load visibly empties the table.
        Load("STRINGS A \"a\" KMF", "define A 1\n");
        ASSERT_EQ("a", ById(1));
        ResetLog();
        Load(c.strings, c.ids);
        EXPECT_EQ("", ById(1));
        EXPECT_EQ(" Bad file format " + (dir / c.failing).string() + " \n", Log());
    }
}

TEST_F(StringTableTest, MissingFilesAreLogged)
{
    const std::string strings = (dir / "none.txt").string();
    LoadStringTable(strings.c_str(), "ids.dat");
    EXPECT_EQ(" Unable to open file  " + strings + " \n", Log());

    ResetLog();
    const std::string ids = (dir / "none.dat").string();
    LoadStringTable(Write("Strings.txt", "STRINGS A \"a\" KMF").c_str(), ids.c_str());
    EXPECT_EQ(" Unable to open file  " + ids + " \n", Log());
    EXPECT_EQ("", ById(1));
}

TEST_F(StringTableTest, LookupCutsTheTextToTheBuffer)
{
    Load("STRINGS TEN \"0123456789\" KMF Named \"0123456789\"", "define TEN 1\n");
    struct Case { int size; int result; const char* text; } cases[] = {
        {5, 4, "0123"}, {10, 9, "012345678"}, {11, 10, "0123456789"}, {1, 0, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.size);
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(c.result, GetStringById(1, buffer, c.size));
        EXPECT_STREQ(c.text, buffer);
        EXPECT_EQ('x', buffer[c.size]); // nothing written past the buffer
        EXPECT_EQ(c.result, GetStringByName("Named", buffer, c.size));
        EXPECT_STREQ(c.text, buffer);
    }

    // A buffer of no size is left alone; an unknown id empties the buffer.
    char buffer[4] = {'k', 'e', 'e', 'p'};
    EXPECT_EQ(0, GetStringById(1, buffer, 0));
    EXPECT_EQ(0, GetStringById(1, buffer, -1));
    EXPECT_EQ('k', buffer[0]);
    EXPECT_EQ(0, GetStringById(99, buffer, 4));
    EXPECT_EQ(0, buffer[0]);
}

// The shipped texts load cleanly and hold the texts other parts of the game
// look up by number.
TEST_F(StringTableTest, ShippedTablesLoadWithoutWarnings)
{
    const std::string data = ORB_DATA_SRC_DIR;
    LoadStringTable((data + "/Data/Txt/Strings.txt").c_str(), (data + "/Data/TextID.dat").c_str());
    EXPECT_EQ("", Log());
    EXPECT_EQ("SCORE-FRENZY!!!", ById(7));
    EXPECT_EQ("TIME IS UP!\nBonus level failed.", ById(17));
    EXPECT_EQ("Penalty -5 sec.", ById(30));
    EXPECT_EQ("\nGAME OVER", ById(58));
    EXPECT_EQ("expert", ById(81));
    for (int id = 82; id <= 91; ++id)
        EXPECT_NE("", ById(id)) << id;
}

} // namespace
