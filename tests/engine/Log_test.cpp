#include "engine/Log.h"

#include "engine/DataFolders.h"
#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

namespace {

// Without a home folder the per-user folders stay empty and the log lies in the
// current directory.
void WithoutUserFolders(TestDir& dir)
{
    dir.SetEnv("XDG_DATA_HOME", std::nullopt);
    dir.SetEnv("HOME", std::nullopt);
    EXPECT_EQ(BuildUserFolders(nullptr), 0);
}

// Leaves the log switched off, so later tests write no stray log files.
class LogTest : public ::testing::Test
{
protected:
    void TearDown() override { SetLogFile(""); }
};

TEST_F(LogTest, ExactBytes)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    WithoutUserFolders(dir);
    dir.Write("Objects.log", "old contents");
    SetLogFile("Objects.log");
    ResetLog();
    EXPECT_EQ(dir.Read("Objects.log"), "");
    LogText("Begin log\n");
    LogText("Ver.1.09");
    LogInt(-5);
    LogText("Locks left\n");
    EXPECT_EQ(dir.Read("Objects.log"), " Begin log\n Ver.1.09 -5  Locks left\n");
}

TEST_F(LogTest, UnopenableLogIsSkipped)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    WithoutUserFolders(dir);
    SetLogFile("no such folder\\Objects.log");
    ResetLog();
    LogText("lost");
    LogInt(3);
    EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));
    SetLogFile("Objects.log"); // the program goes on and logs once it can
    LogText("kept");
    EXPECT_EQ(dir.Read("Objects.log"), " kept");
}

TEST_F(LogTest, LiesInTheUserDataFolder)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    dir.SetEnv("XDG_DATA_HOME", dir.Path() + "/xdg");
    ASSERT_EQ(BuildUserFolders(nullptr), 1);
    SetLogFile("Objects.log");
    ResetLog();
    LogText("x");
    EXPECT_EQ(dir.Read("xdg/Kestrelmoor/TheOrblightOfQuillacor_RU_DZR/Objects.log"), " x");
    EXPECT_FALSE(std::filesystem::exists(dir / "Objects.log"));
    WithoutUserFolders(dir);
    SetLogFile("");
}

} // namespace
