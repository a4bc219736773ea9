#include "platform/crt.h"
#include "platform/files/path.h"

#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

namespace {

// A game folder spelt in mixed case, with Cyrillic names and CR LF text files,
// as a user's copy on a case-sensitive disk might be.
class PathLayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.Write("Data/Gfx/Caps.png", "png");
        dir.Write("Data/lvl/L1.LVL", "level\r\n  line two\r\nlone\rcr\r\n");
        dir.Write("Players/\xd0\x98\xd0\xb3\xd1\x80\xd0\xbe\xd0\xba/Quest.sav", "save"); // "Игрок"
        dir.Write("Case/file.txt", "lower");
        dir.Write("Case/FILE.txt", "upper");
        dir.EnterAsCurrentDir();
    }
    std::string ReadText(const char* path, const char* mode = "r")
    {
        FILE* f = crt::fopen(path, mode);
        if (!f)
            return "<none>";
        std::string s;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            s += char(c);
        std::fclose(f);
        return s;
    }
    TestDir dir;
};

TEST_F(PathLayerTest, Lookup)
{
    struct Case
    {
        const char* game;
        const char* native;
    };
    const Case cases[] = {
        {"Data\\Gfx\\Caps.png", "Data/Gfx/Caps.png"},
        {"DATA\\GFX\\caps.PNG", "Data/Gfx/Caps.png"},
        {"Data\\Lvl\\l1.lvl", "Data/lvl/L1.LVL"},
        {"players\\\xc8\xc3\xd0\xce\xca\\quest.sav", "Players/\xd0\x98\xd0\xb3\xd1\x80\xd0\xbe\xd0\xba/Quest.sav"},
        {"Case\\File.txt", "Case/FILE.txt"},   // no exact match: the first in sorted order
        {"Case\\file.txt", "Case/file.txt"},   // exact match wins
        {"DATA\\GFX\\New.png", "Data/Gfx/New.png"}, // a file about to be made
        {"Nope\\Deeper\\x.txt", "Nope/Deeper/x.txt"},
        {"data\\gfx\\", "Data/Gfx/"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::NativePath(c.game), c.native) << c.game;
    const std::string abs = dir.Path() + "\\DATA\\gfx\\CAPS.png";
    EXPECT_EQ(platform::NativePath(abs), dir.Path() + "/Data/Gfx/Caps.png");
}

TEST_F(PathLayerTest, TextModeStripsCrOfCrLf)
{
    EXPECT_EQ(ReadText("DATA\\LVL\\l1.lvl"), "level\n  line two\nlone\rcr\n");
    EXPECT_EQ(ReadText("DATA\\LVL\\l1.lvl", "rt"), "level\n  line two\nlone\rcr\n");
    EXPECT_EQ(ReadText("DATA\\LVL\\l1.lvl", "rb"), "level\r\n  line two\r\nlone\rcr\r\n");
    EXPECT_EQ(ReadText("Data\\Lvl\\missing.lvl"), "<none>");
    EXPECT_EQ(ReadText("Data\\Gfx"), "<none>"); // a folder is no file

    FILE* f = crt::fopen("data\\LVL\\L1.lvl", "r");
    ASSERT_TRUE(f);
    char line[64];
    ASSERT_TRUE(std::fgets(line, sizeof line, f));
    EXPECT_STREQ(line, "level\n");
    EXPECT_EQ(std::ftell(f), 6);
    std::fseek(f, 0, SEEK_END);
    EXPECT_EQ(std::ftell(f), 25);
    std::rewind(f);
    EXPECT_EQ(std::fgetc(f), 'l');
    std::fclose(f);
}

TEST_F(PathLayerTest, WritesGoThroughTheLookup)
{
    FILE* f = crt::fopen("PLAYERS\\\xc8\xe3\xf0\xee\xea\\Notes.txt", "w");
    ASSERT_TRUE(f);
    std::fputs("a\nb\n", f); // text writes use LF
    std::fclose(f);
    EXPECT_EQ(dir.Read("Players/\xd0\x98\xd0\xb3\xd1\x80\xd0\xbe\xd0\xba/Notes.txt"), "a\nb\n");

    EXPECT_EQ(crt::rename("players\\\xc8\xe3\xf0\xee\xea\\notes.TXT", "Players\\\xc8\xe3\xf0\xee\xea\\Moved.txt"), 0);
    EXPECT_EQ(crt::remove("players\\\xc8\xe3\xf0\xee\xea\\moved.txt"), 0);
    EXPECT_NE(crt::remove("players\\\xc8\xe3\xf0\xee\xea\\moved.txt"), 0);
}

} // namespace
