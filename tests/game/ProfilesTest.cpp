// Player profiles: the folder scan, case-insensitive look-ups, creation and removal
// that never reach beyond the direct children of the players folder, and the
// per-player settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "saves/Profiles.h"

namespace fs = std::filesystem;

namespace {

class ProfilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = fs::path(::testing::TempDir()) /
               (std::string("profiles_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base);
        players = base / "Players";
        fs::create_directories(players);
        root = players.string() + "/";
    }
    void TearDown() override { fs::remove_all(base); }

    void MakeFile(const fs::path& path, const std::string& text = "")
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    std::vector<std::string> Names(const CProfileList& list) const
    {
        std::vector<std::string> out;
        for (const auto& p : list.profiles)
            out.push_back(p->name);
        std::sort(out.begin(), out.end());
        return out;
    }

    fs::path base;
    fs::path players;
    std::string root;
};

TEST_F(ProfilesTest, ScanFindsFolderProfilesOnly)
{
    fs::create_directory(players / "Ada");
    fs::create_directory(players / "TwelveLetter"); // 12: still a profile
    fs::create_directory(players / "ThirteenChars"); // 13: not
    MakeFile(players / "Bert");                      // a file, not a folder

    CProfileList list(root);
    EXPECT_EQ((std::vector<std::string>{"Ada", "TwelveLetter"}), Names(list));
    // A profile folder without settings gets an empty file and the defaults.
    EXPECT_TRUE(fs::exists(players / "Ada" / "Settings.ini"));
    const CPlayerSettings& ada = *list.profiles[size_t(list.Find("ada"))];
    EXPECT_EQ(0, ada.veteran);
    EXPECT_EQ(1, ada.singleTutorial);
    EXPECT_EQ(1, ada.questTutorial);
}

TEST_F(ProfilesTest, FindIgnoresCase)
{
    fs::create_directory(players / "Marta");
    CProfileList list(root);
    EXPECT_EQ(0, list.Find("MARTA"));
    EXPECT_EQ(0, list.Find("marta"));
    EXPECT_EQ(-1, list.Find("Mart"));
    EXPECT_EQ(-1, list.Find(""));
}

TEST_F(ProfilesTest, CreateMakesOneNewDirectChild)
{
    CProfileList list(root);
    EXPECT_TRUE(list.Create("Quill"));
    ASSERT_EQ(0, list.Find("Quill"));
    EXPECT_TRUE(fs::is_directory(players / "Quill"));
    EXPECT_TRUE(fs::exists(players / "Quill" / "Settings.ini")); // made by the scan's load
    EXPECT_EQ(1, list.profiles[0]->questTutorial);

    EXPECT_FALSE(list.Create("Quill")); // exists already
    EXPECT_EQ(1u, list.profiles.size());
}

TEST_F(ProfilesTest, NamesThatAreNotPlainChildrenAreRefused)
{
    CProfileList list(root);
    for (const char* name : {"", ".", "..", "../Escape", "a\\b", "a/b", "FarTooLongName", "a\nb", "a:b"})
    {
        SCOPED_TRACE(name);
        EXPECT_FALSE(list.Create(name));
    }
    EXPECT_FALSE(fs::exists(base / "Escape"));
    EXPECT_TRUE(list.profiles.empty());
}

TEST_F(ProfilesTest, RemoveDeletesOnlyTheNamedProfile)
{
    fs::create_directory(players / "Keep");
    fs::create_directory(players / "Gone");
    MakeFile(players / "Gone" / "Quest.sav", "PSAV");
    MakeFile(players / "Keep" / "Quest.sav", "PSAV");
    MakeFile(base / "Outside.txt", "x");
    CProfileList list(root);

    list.Remove("");
    list.Remove(".");
    list.Remove("..");
    list.Remove("Nobody");
    EXPECT_EQ(2u, list.profiles.size());
    EXPECT_TRUE(fs::exists(base / "Outside.txt"));
    EXPECT_TRUE(fs::exists(players));

    list.Remove("gONE");
    EXPECT_EQ((std::vector<std::string>{"Keep"}), Names(list));
    EXPECT_FALSE(fs::exists(players / "Gone"));
    EXPECT_TRUE(fs::exists(players / "Keep" / "Quest.sav"));
}

TEST_F(ProfilesTest, ScanSkipsLinksAndNamesTheEntryCouldNotType)
{
    fs::create_directory(players / "Good_Name-1");
    fs::create_directory(base / "Elsewhere");
    fs::create_directory_symlink(base / "Elsewhere", players / "Linked");
    for (const char* name : {"x\\..\\..", "a.b", "new\nline", "tab\tname", "bell\a", "semi;colon", "a=b"})
        fs::create_directory(players / name);

    CProfileList list(root);
    EXPECT_EQ((std::vector<std::string>{"Good_Name-1"}), Names(list));
    // A skipped folder is not even given a settings file.
    EXPECT_FALSE(fs::exists(base / "Elsewhere" / "Settings.ini"));
    EXPECT_FALSE(fs::exists(players / "x\\..\\.." / "Settings.ini"));
}

TEST_F(ProfilesTest, RemovingALinkedProfileNeverTouchesWhatItPointsTo)
{
    fs::create_directory(base / "Elsewhere");
    MakeFile(base / "Elsewhere" / "Quest.sav", "PSAV");
    fs::create_directory_symlink(base / "Elsewhere", players / "Linked");
    CProfileList list(root);
    list.Remove("Linked");
    DeleteProfileFolder(root + "Linked");
    EXPECT_TRUE(fs::exists(base / "Elsewhere" / "Quest.sav"));
    EXPECT_TRUE(fs::is_symlink(players / "Linked"));

    // Inside a real profile a link is removed as a link, never followed.
    fs::create_directory(players / "Real");
    fs::create_symlink(base / "Elsewhere" / "Quest.sav", players / "Real" / "Quest.sav");
    list.Scan();
    list.Remove("Real");
    EXPECT_FALSE(fs::exists(players / "Real"));
    EXPECT_TRUE(fs::exists(base / "Elsewhere" / "Quest.sav"));
}

TEST_F(ProfilesTest, ScanClearsTemporaryFilesThatAnInterruptedSaveLeft)
{
    fs::create_directory(players / "Ada");
    MakeFile(players / "Ada" / ".Quest.sav.partial-a1B2c3", "PSA");
    MakeFile(players / "Ada" / ".Settings.ini.partial-XyZ789", "[Ma");
    MakeFile(players / "Ada" / "Quest.sav", "PSAV");
    MakeFile(players / "Ada" / ".hidden", "mine");
    MakeFile(players / "Ada" / "Notes.partial-abcdef", "mine");
    CProfileList list(root);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(players / "Ada"))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{".hidden", "Notes.partial-abcdef", "Quest.sav", "Settings.ini"}), left);
}

TEST_F(ProfilesTest, SettingsSaveKeepsOtherLinesAndReportsAFailure)
{
    fs::create_directory(players / "Ada");
    MakeFile(players / "Ada" / "Settings.ini", "; mine\n[Main]\nVeteran=0\n");
    CPlayerSettings ada("Ada");
    ada.veteran = 1;
    ada.tipsSeen[CPlayerSettings::kTipShop] = 1;
    EXPECT_TRUE(ada.Save(root + "Ada"));
    std::ifstream in(players / "Ada" / "Settings.ini");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(0u, text.find("; mine\n[Main]\nVeteran=1\n"));
    EXPECT_NE(std::string::npos, text.find("Shop=1"));
    EXPECT_FALSE(ada.Save(root + "Nobody"));  // no folder to write into
}

TEST_F(ProfilesTest, FolderWithALongFileNameStaysOnDiskButLeavesTheList)
{
    fs::create_directory(players / "Hold");
    MakeFile(players / "Hold" / "a_very_long_name.txt");
    CProfileList list(root);
    list.Remove("Hold");
    EXPECT_TRUE(list.profiles.empty());
    EXPECT_TRUE(fs::exists(players / "Hold" / "a_very_long_name.txt"));
    EXPECT_FALSE(fs::exists(players / "Hold" / "Settings.ini"));
}

TEST_F(ProfilesTest, SettingsReadTheirFlagsByTheFileRules)
{
    fs::create_directory(players / "Vet");
    MakeFile(players / "Vet" / "Settings.ini",
             "[Main]\nVeteran=1\nSingleTutorial=x\nQuestTutorial=1\n[QuestTut]\nBase=1\nGem=2\nShop=1\n");
    CProfileList list(root);
    const CPlayerSettings& vet = *list.profiles[0];
    EXPECT_EQ(1, vet.veteran);
    EXPECT_EQ(1, vet.singleTutorial); // anything but a leading '0'
    EXPECT_EQ(0, vet.questTutorial);  // a veteran has seen the quest's tutorial
    EXPECT_EQ(1, vet.tipsSeen[CPlayerSettings::kTipBase]);
    EXPECT_EQ(0, vet.tipsSeen[CPlayerSettings::kTipGem]); // only 1 counts
    EXPECT_EQ(1, vet.tipsSeen[CPlayerSettings::kTipShop]);
}

TEST_F(ProfilesTest, SettingsSaveAndLoadBack)
{
    fs::create_directory(players / "Rhea");
    CPlayerSettings rhea("Rhea");
    rhea.singleTutorial = 0;
    rhea.tipsSeen[CPlayerSettings::kTipLock] = 1;
    rhea.Save(root + "Rhea");

    CPlayerSettings back("Rhea");
    back.Load(root + "Rhea");
    EXPECT_EQ(0, back.veteran);
    EXPECT_EQ(0, back.singleTutorial);
    EXPECT_EQ(1, back.questTutorial);
    EXPECT_EQ(1, back.tipsSeen[CPlayerSettings::kTipLock]);
    back.ResetQuestTutorials();
    for (int seen : back.tipsSeen)
        EXPECT_EQ(0, seen);
}

}  // namespace
