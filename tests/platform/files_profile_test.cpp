#include "platform/win32.h"

#include "tests/platform/files_testdir.h"

#include <cstring>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

const char kIni[] = "; top comment\r\n"
                    "Loose=before any section\r\n"
                    "[Main]\r\n"
                    "  Name  =  \"Quoted value\"  \r\n"
                    "Empty=\r\n"
                    "Single='one'\r\n"
                    "Half=\"open\r\n"
                    "Eq=a=b\r\n"
                    "no equals sign here\r\n"
                    "name=second wins never\r\n"
                    "[ other ]\r\n"
                    "Key=other\r\n"
                    "[MAIN]\r\n"
                    "Late=in a repeated section\r\n";

TEST(ProfileStrings, Reads)
{
    TestDir dir;
    dir.Write("t.ini", kIni);
    const std::string file = dir / "t.ini";
    struct Case
    {
        const char* section;
        const char* key;
        const char* def;
        const char* want;
    };
    const Case cases[] = {
        {"Main", "Name", "d", "Quoted value"},   // trimmed, one pair of quotes removed
        {"main", "NAME", "d", "Quoted value"},   // names ignore case
        {" Main ", " Name ", "d", "Quoted value"}, // and surrounding blanks
        {"Main", "Empty", "d", ""},              // an empty value is not a missing key
        {"Main", "Single", "d", "one"},
        {"Main", "Half", "d", "\"open"},         // an unpaired quote stays
        {"Main", "Eq", "d", "a=b"},              // the first '=' splits
        {"Main", "Missing", "d", "d"},
        {"Main", "Missing", nullptr, ""},
        {"Nowhere", "Name", "d", "d"},
        {"Other", "key", "d", "other"},
        {"Main", "Loose", "d", "d"},             // keys before any section belong to none
        {"Main", "Late", "d", "in a repeated section"},
    };
    for (const Case& c : cases)
    {
        char buf[64] = "garbage";
        DWORD n = GetPrivateProfileStringA(c.section, c.key, c.def, buf, sizeof buf, file.c_str());
        EXPECT_STREQ(buf, c.want) << c.section << "/" << c.key;
        EXPECT_EQ(n, std::strlen(c.want)) << c.section << "/" << c.key;
    }
}

TEST(ProfileStrings, BufferLimitAndMissingFile)
{
    TestDir dir;
    dir.Write("t.ini", kIni);
    const std::string file = dir / "t.ini";
    char buf[6];
    EXPECT_EQ(GetPrivateProfileStringA("Main", "Name", "", buf, sizeof buf, file.c_str()), 5u);
    EXPECT_STREQ(buf, "Quote");
    char one[1] = {'x'};
    EXPECT_EQ(GetPrivateProfileStringA("Main", "Name", "", one, 1, file.c_str()), 0u);
    EXPECT_EQ(one[0], 0);

    EXPECT_EQ(GetPrivateProfileStringA("Main", "Name", "fallback", buf, sizeof buf, (dir / "none.ini").c_str()), 5u);
    EXPECT_STREQ(buf, "fallb");

    // Relative names are relative to the current directory, through the path layer.
    dir.EnterAsCurrentDir();
    char full[64];
    GetPrivateProfileStringA("Main", "Name", "", full, sizeof full, "T.INI");
    EXPECT_STREQ(full, "Quoted value");
    EXPECT_EQ(GetPrivateProfileIntA("Main", "Eq", 5, "t.ini"), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("Main", "None", 5, "t.ini"), 5u);
}

TEST(ProfileStrings, Writes)
{
    struct Case
    {
        const char* name;
        const char* before; // nullptr: no file
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"replace in place", "[A]\nx=1\ny=2\n", "A", "X", "9", "[A]\nX=9\ny=2\n"},
        {"append after the last key", "[A]\nx=1\n\n; note\n[B]\nz=3\n", "a", "new", "v",
         "[A]\nx=1\nnew=v\n\n; note\n[B]\nz=3\n"},
        {"section without keys", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        {"new section", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        {"missing file", nullptr, "S", "k", "", "[S]\nk=\n"},
        {"CR LF kept", "[A]\r\nx=1\r\n  odd  line \r\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n  odd  line \r\n"},
        {"first section wins", "[A]\nx=1\n[A]\nx=2\n", "A", "x", "3", "[A]\nx=3\n[A]\nx=2\n"},
        {"remove a key", "[A]\nx=1\ny=2\n", "A", "x", nullptr, "[A]\ny=2\n"},
        {"remove a section", "[A]\nx=1\n[B]\ny=2\n", "A", nullptr, nullptr, "[B]\ny=2\n"},
    };
    for (const Case& c : cases)
    {
        TestDir dir;
        if (c.before)
            dir.Write("t.ini", c.before);
        EXPECT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, (dir / "t.ini").c_str())) << c.name;
        EXPECT_EQ(dir.Read("t.ini"), c.after) << c.name;
    }
}

TEST(ProfileStrings, SeveralValuesGoInOneRewrite)
{
    TestDir dir;
    dir.Write("t.ini", "; mine\n[A]\nx=1\n");
    const std::string file = dir / "t.ini";
    std::filesystem::create_hard_link(file, dir / "old.ini");
    const ProfileValue values[] = {{"A", "x", "2"}, {"B", "k", "v"}, {"A", "y", "3"}, {"A", "x", nullptr}};
    EXPECT_TRUE(WritePrivateProfileValues(values, 4, file.c_str()));
    EXPECT_EQ(dir.Read("t.ini"), "; mine\n[A]\ny=3\n[B]\nk=v\n");
    // The old file was replaced whole, never edited: it is as it was.
    EXPECT_EQ(dir.Read("old.ini"), "; mine\n[A]\nx=1\n");
    EXPECT_TRUE(WritePrivateProfileValues(values, 0, file.c_str()));
    EXPECT_FALSE(WritePrivateProfileValues(values, 4, (dir / "none/t.ini").c_str()));
}

TEST(ProfileStrings, WriteIntoAMissingFolderFails)
{
    TestDir dir;
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", (dir / "none/t.ini").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
}

TEST(ProfileStrings, UnreadableFileIsNeverReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TestDir dir;
    dir.Write("t.ini", "[A]\nkeep=1\n");
    ::chmod((dir / "t.ini").c_str(), 0);
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", (dir / "t.ini").c_str()));
    ::chmod((dir / "t.ini").c_str(), 0644);
    EXPECT_EQ(dir.Read("t.ini"), "[A]\nkeep=1\n");
}

TEST(ProfileStrings, WriteLeavesNoTemporaryFiles)
{
    TestDir dir;
    dir.Write("t.ini", "[A]\nx=1\n");
    for (int i = 0; i < 3; ++i)
        WritePrivateProfileStringA("A", "x", std::to_string(i).c_str(), (dir / "t.ini").c_str());
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path()))
    {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(dir.Read("t.ini"), "[A]\nx=2\n");
}

} // namespace
