#include "platform/crt.h"

#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

TEST(Crt, RandIsTheFifteenBitGenerator)
{
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    crt::srand(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i)
    {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

std::set<std::string> Find(const char* spec, std::set<std::string>* folders = nullptr)
{
    std::set<std::string> names;
    crt::_finddata_t fd;
    intptr_t h = crt::_findfirst(spec, &fd);
    if (h == -1)
        return names;
    do
    {
        names.insert(fd.name);
        if (folders && (fd.attrib & crt::_A_SUBDIR))
            folders->insert(fd.name);
    } while (crt::_findnext(h, &fd) == 0);
    EXPECT_EQ(crt::_findclose(h), 0);
    return names;
}

TEST(Crt, FindFiles)
{
    TestDir dir;
    dir.Write("Players/Anna/Quest.sav", "1");
    dir.Write("Players/Boris/Quest.sav", "1");
    dir.Write("Players/readme", "1");
    dir.Write("Players/\xd0\x98\xd0\xb3\xd1\x80\xd0\xbe\xd0\xba/Quest.sav", "1");
    dir.EnterAsCurrentDir();

    std::set<std::string> folders;
    EXPECT_EQ(Find("players\\*.*", &folders),
              (std::set<std::string>{".", "..", "Anna", "Boris", "readme", "\xc8\xe3\xf0\xee\xea"}));
    EXPECT_EQ(folders, (std::set<std::string>{".", "..", "Anna", "Boris", "\xc8\xe3\xf0\xee\xea"}));
    EXPECT_EQ(Find("Players\\Anna\\*.SAV"), (std::set<std::string>{"Quest.sav"}));
    EXPECT_EQ(Find("Players\\?o*"), (std::set<std::string>{"Boris"}));
    EXPECT_TRUE(Find("Players\\*.lvl").empty());
    EXPECT_TRUE(Find("Nowhere\\*.*").empty());

    crt::_finddata_t fd;
    EXPECT_EQ(crt::_findnext(12345, &fd), -1);
    EXPECT_EQ(crt::_findclose(12345), -1);
}

TEST(Crt, Folders)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    EXPECT_EQ(crt::_mkdir("Data"), 0);
    EXPECT_NE(crt::_mkdir("DATA"), 0); // exists in another spelling
    EXPECT_EQ(crt::_mkdir("data\\Config"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Data/Config"));
    EXPECT_NE(crt::_rmdir("DATA"), 0); // not empty
    EXPECT_EQ(crt::_rmdir("data\\config"), 0);
    EXPECT_EQ(crt::_rmdir("data"), 0);
}

TEST(Crt, WriteFileAtomic)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    dir.Write("Saves/Quest.sav", "old");
    ::chmod((dir / "Saves/Quest.sav").c_str(), 0640);

    EXPECT_TRUE(crt::WriteFileAtomic("SAVES\\quest.SAV", "new bytes", 9));
    EXPECT_EQ(dir.Read("Saves/Quest.sav"), "new bytes");
    struct stat st;
    ASSERT_EQ(::stat((dir / "Saves/Quest.sav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // permissions kept

    EXPECT_TRUE(crt::WriteFileAtomic("Saves\\Empty.sav", "", 0));
    EXPECT_EQ(dir.Read("Saves/Empty.sav"), "");

    // Failures leave the old file as it was, and no temporary file behind.
    EXPECT_FALSE(crt::WriteFileAtomic("Nowhere\\Quest.sav", "x", 1));
    EXPECT_FALSE(crt::WriteFileAtomic("Saves\\", "x", 1));
    std::filesystem::create_directory(dir / "Saves/Dir.sav");
    EXPECT_FALSE(crt::WriteFileAtomic("Saves\\Dir.sav", "x", 1));
    if (::geteuid() != 0) // root writes into read-only folders
    {
        ::chmod((dir / "Saves").c_str(), 0555);
        EXPECT_FALSE(crt::WriteFileAtomic("Saves\\Quest.sav", "lost", 4));
        ::chmod((dir / "Saves").c_str(), 0755);
    }
    EXPECT_EQ(dir.Read("Saves/Quest.sav"), "new bytes");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir / "Saves"))
    {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 3);
}

TEST(Crt, StaleTemporariesAndLinks)
{
    TestDir dir;
    dir.EnterAsCurrentDir();
    dir.Write("Saves/.Quest.sav.partial-a1B2c3", "PSA");
    dir.Write("Saves/.Options.ini.partial-zzzzzz", "[");
    dir.Write("Saves/.partial-abcdef", "x");           // no name before the mark: not ours
    dir.Write("Saves/Quest.sav.partial-abcdef", "x");  // not hidden: not ours
    dir.Write("Saves/.Quest.sav.partial-abc", "x");    // too short a tail: not ours
    dir.Write("Saves/Quest.sav", "PSAV");
    std::filesystem::create_directory(dir / "Saves/.Dir.partial-abcdef");
    EXPECT_EQ(crt::RemoveStaleTemporaries("saves"), 2);
    EXPECT_EQ(Find("Saves\\*.*"), (std::set<std::string>{".", "..", ".partial-abcdef", "Quest.sav.partial-abcdef",
                                                         ".Quest.sav.partial-abc", "Quest.sav", ".Dir.partial-abcdef"}));
    EXPECT_EQ(crt::RemoveStaleTemporaries("Nowhere"), 0);

    std::filesystem::create_directory_symlink(dir / "Saves", dir / "Linked");
    crt::_finddata_t fd;
    intptr_t h = crt::_findfirst("Linked*", &fd);
    ASSERT_NE(h, -1);
    EXPECT_EQ(fd.attrib & (crt::_A_LINK | crt::_A_SUBDIR), unsigned(crt::_A_LINK | crt::_A_SUBDIR));
    crt::_findclose(h);
    EXPECT_TRUE(crt::IsRealFolder("Saves"));
    EXPECT_TRUE(crt::IsRealFolder("saves\\"));
    EXPECT_FALSE(crt::IsRealFolder("Linked"));
    EXPECT_FALSE(crt::IsRealFolder("Saves\\Quest.sav"));
    EXPECT_FALSE(crt::IsRealFolder("Nowhere"));
}

} // namespace
