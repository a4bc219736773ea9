#include "engine/DataFolders.h"

#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

namespace {

const char kGameFolder[] = "xdg/Kestrelmoor/TheOrblightOfQuillacor_RU_DZR/";
const char kShipped[] = "[Settings]\nAdapter=0\nColorMode=-1\nFullScreen=0\nWidth=640\nHeight=480\nVideoSync=1\n";

// A game folder as current directory with the shipped options file, and
// $XDG_DATA_HOME inside the scratch folder.
class DataFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.EnterAsCurrentDir();
        dir.Write("Data/Config/Options.ini", kShipped);
        dir.SetEnv("XDG_DATA_HOME", dir.Path() + "/xdg");
    }
    void TearDown() override
    {
        // Leave the process without per-user folders for the next test.
        dir.SetEnv("XDG_DATA_HOME", std::nullopt);
        dir.SetEnv("HOME", std::nullopt);
        BuildUserFolders(nullptr);
    }
    std::string UserFile(const std::string& rel) { return dir.Read(kGameFolder + rel); }
    TestDir dir;
};

TEST_F(DataFoldersTest, FolderTable)
{
    InitUserFolders(nullptr);
    ASSERT_EQ(IsWin2000OrLater(), 1);
    const std::string user = GetUserDataFolder();
    EXPECT_EQ(user, dir.Path() + "/xdg\\Kestrelmoor\\TheOrblightOfQuillacor_RU_DZR\\");
    EXPECT_EQ(GetCommonDataFolder(), user); // both special folders are $XDG_DATA_HOME

    for (const char* sub : {"Players", "Data/Config", "Data/GameData", "Data/Sfx"})
        EXPECT_TRUE(std::filesystem::is_directory(dir / (std::string(kGameFolder) + sub))) << sub;

    CDataFolders f;
    const std::string want[CDataFolders::kFolderCount] = {
        "Data\\Gfx\\",   user + "Data\\Sfx\\",      "Data\\Sfx\\",       "Music\\",         "Data\\Config\\",
        user + "Data\\Config\\", user + "Data\\GameData\\", "Data\\Txt\\", "Data\\Fonts\\", user + "Players\\",
        "Data\\Gfx\\Models\\", "Data\\Forms\\", "Data\\", "Data\\Lvl\\"};
    for (int i = 0; i < CDataFolders::kFolderCount; ++i)
        EXPECT_EQ(f.Folder(i), want[i]) << i;
    EXPECT_EQ(f.forms, "Data\\Forms\\");
    const float tuning[9] = {2000.0f, 0.05f, 0.4f, 15.0f, 3.0f, 2.0f, 1.5f, 2.0f, 50.0f};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(f.tuning[i], tuning[i]) << i;
    EXPECT_EQ(f.SwapTime(), 0.4f);
}

TEST_F(DataFoldersTest, WithoutAHomeEverythingIsRelative)
{
    dir.SetEnv("XDG_DATA_HOME", std::nullopt);
    dir.SetEnv("HOME", std::nullopt);
    InitUserFolders(nullptr);
    EXPECT_EQ(IsWin2000OrLater(), 0);
    EXPECT_EQ(GetUserDataFolder(), "");
    CDataFolders f;
    EXPECT_EQ(f.players, "Players\\");
    EXPECT_EQ(f.sharedSounds, "Data\\Sfx\\");
    EXPECT_EQ(GetOptionsFilePath(), "Data\\Config\\Options.ini");

    LoadVideoOptions(); // reads the shipped file in the current directory
    VideoSettings v;
    GetVideoSettings(&v);
    EXPECT_EQ(v.width, 640);
}

TEST_F(DataFoldersTest, FirstStartCopiesTheOptionsFileOnce)
{
    InitUserFolders(nullptr);
    EXPECT_EQ(UserFile("Data/Config/Options.ini"), kShipped);
    dir.Write(std::string(kGameFolder) + "Data/Config/Options.ini", "[Settings]\nWidth=800\n");
    InitUserFolders(nullptr); // a second start leaves the user's file alone
    EXPECT_EQ(UserFile("Data/Config/Options.ini"), "[Settings]\nWidth=800\n");
}

TEST_F(DataFoldersTest, OptionsRoundTrip)
{
    InitUserFolders(nullptr);
    dir.Write(std::string(kGameFolder) + "Data/Config/Options.ini",
              "[Sound]\nSound=On\n[Settings]\nWidth=800\nColorMode=32\n");
    VideoSettings v = {};
    v.format = 22;
    v.hardwareLevel = 3;
    SetVideoSettings(v);
    LoadVideoOptions();
    GetVideoSettings(&v);
    EXPECT_EQ(v.adapter, 0);
    EXPECT_EQ(v.colorMode, 32);
    EXPECT_EQ(v.fullScreen, 0);
    EXPECT_EQ(v.width, 800);
    EXPECT_EQ(v.height, 480);
    EXPECT_EQ(v.videoSync, 1);
    EXPECT_EQ(v.format, 22); // words the file does not hold are untouched
    EXPECT_EQ(v.hardwareLevel, 3);

    v.fullScreen = 7; // any nonzero value is written as 1
    v.videoSync = 0;
    v.height = 600;
    SetVideoSettings(v);
    SaveVideoOptions();
    EXPECT_EQ(UserFile("Data/Config/Options.ini"),
              "[Sound]\nSound=On\n[Settings]\nWidth=800\nColorMode=32\n"
              "Adapter=0\nHeight=600\nFullScreen=1\nVideoSync=0\n");

    SetVideoSettings(VideoSettings{});
    LoadVideoOptions();
    VideoSettings back;
    GetVideoSettings(&back);
    EXPECT_EQ(back.fullScreen, 1);
    EXPECT_EQ(back.height, 600);
    EXPECT_EQ(back.videoSync, 0);
}

TEST_F(DataFoldersTest, NegativeAdapterOrColorModeWritesNothing)
{
    InitUserFolders(nullptr);
    const std::string before = UserFile("Data/Config/Options.ini");
    for (int which = 0; which < 2; ++which)
    {
        VideoSettings v = {};
        v.width = 1024;
        (which == 0 ? v.colorMode : v.adapter) = -1;
        SetVideoSettings(v);
        SaveVideoOptions();
        EXPECT_EQ(UserFile("Data/Config/Options.ini"), before);
    }
}

} // namespace
