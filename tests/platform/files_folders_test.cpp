#include "platform/win32.h"

#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

namespace {

TEST(SpecialFolders, BothAreTheXdgDataHome)
{
    TestDir dir;
    const std::string xdg = dir.Path() + "/x/share";
    dir.SetEnv("XDG_DATA_HOME", xdg);
    char path[MAX_PATH];
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE)); // not made yet
    for (int csidl : {CSIDL_APPDATA, CSIDL_COMMON_APPDATA})
    {
        ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE));
        EXPECT_EQ(std::string(path), xdg);
    }
    EXPECT_TRUE(std::filesystem::is_directory(xdg));
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 5, TRUE));
}

TEST(SpecialFolders, HomeFallbackAndFailures)
{
    TestDir dir;
    dir.SetEnv("XDG_DATA_HOME", std::string("relative/ignored"));
    dir.SetEnv("HOME", dir.Path());
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
    EXPECT_EQ(std::string(path), dir.Path() + "/.local/share");

    dir.SetEnv("XDG_DATA_HOME", std::nullopt);
    dir.SetEnv("HOME", std::nullopt);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));

    // A home with no cp1251 spelling cannot be handed to the game.
    dir.SetEnv("HOME", dir.Path() + "/\xe4\xb8\xad");
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));

    // A Cyrillic home is fine, and comes back in cp1251.
    dir.SetEnv("HOME", dir.Path() + "/\xd0\xaf");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
    EXPECT_EQ(std::string(path), dir.Path() + "/\xdf/.local/share");
}

TEST(Files, CopyFile)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    dir.Write("Data/Config/Options.ini", "[Settings]\r\n");
    dir.Write("User/Options.ini", "old");
    EXPECT_FALSE(CopyFileA("Data\\Config\\Options.ini", "User\\Options.ini", TRUE));
    EXPECT_EQ(dir.Read("User/Options.ini"), "old");
    EXPECT_TRUE(CopyFileA("data\\config\\options.ini", "user\\options.ini", FALSE));
    EXPECT_EQ(dir.Read("User/Options.ini"), "[Settings]\r\n"); // bytes as they are
    EXPECT_FALSE(CopyFileA("Data\\None.ini", "User\\None.ini", FALSE));
    EXPECT_FALSE(std::filesystem::exists(dir / "User/None.ini"));
}

TEST(Files, VersionAndAttributes)
{
    EXPECT_EQ(GetVersion() & 0xFF, 5u);
    TestDir dir;
    dir.EnterAsCurrentDir();
    dir.Write("Data/a.txt", "x");
    EXPECT_EQ(GetFileAttributesA("DATA"), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("data\\A.TXT"), DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA("nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteFileA("Data\\A.txt"));
    EXPECT_TRUE(RemoveDirectoryA("data"));
    EXPECT_TRUE(CreateDirectoryA("New", nullptr));
    EXPECT_FALSE(CreateDirectoryA("new", nullptr));
}

} // namespace
