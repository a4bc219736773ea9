// The interface on the game folder's shipped forms, pictures and texts, drawn on a
// recording screen: the folders, the interface with its box fonts, and the fixture
// of the tests that run the shipped screens.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "board/LevelParams.h"
#include "engine/DataFolders.h"
#include "engine/StringTable.h"
#include "hud/QuestLayout.h"
#include "screens/Interface.h"
#include "tests/screens/screens_test_util.h"

namespace screens_test {

// False when the build generated no pictures or form list into the game folder.
inline bool GamePicturesMade()
{
    return std::filesystem::exists(ORB_GAME_DIR "/Data/Gfx/Buttons.png") &&
           std::filesystem::exists(ORB_GAME_DIR "/Data/Forms/Textures.lst");
}

// The game folder's graphics, forms and texts, and the players' folder given.
inline void UseShippedFolders(CDataFolders& folders, const std::string& players)
{
    folders.graphics = ORB_GAME_DIR "/Data/Gfx/";
    folders.forms = ORB_GAME_DIR "/Data/Forms/";
    folders.texts = ORB_GAME_DIR "/Data/Txt/";
    folders.players = players;
}

// An interface drawn on `rec` through `texts` with box fonts of 32, 20 and 48 units;
// its forms are not loaded yet.
inline CRefPtr<CInterface> MakeInterface(const RecordingDevice& rec, const CRefPtr<CTextSet>& texts)
{
    return CRefPtr<CInterface>(new CInterface(nullptr, rec.device, rec.vertexBuffer, rec.indexBuffer, texts,
                                              {BoxFont(32), BoxFont(20), BoxFont(48)}));
}

inline CRefPtr<CInterface> MakeInterface(const RecordingDevice& rec)
{
    return MakeInterface(rec, CRefPtr<CTextSet>(new CTextSet(rec.device, rec.vertexBuffer, rec.indexBuffer)));
}

// The base of the tests of the shipped screens.
class ShippedInterfaceTest : public ::testing::Test
{
protected:
    explicit ShippedInterfaceTest(const std::string& logName = "screens_test.log") : rec(logName) {}

    // The string table, the shipped folders with an empty players' folder in a
    // temporary folder `rootName` of its own, the skin's layout and the interface,
    // its forms not loaded yet. Skips the test where the build made no pictures;
    // callers return when the test is skipped.
    void MakeShippedInterface(const std::string& rootName)
    {
        if (!GamePicturesMade())
            GTEST_SKIP() << "the game's pictures are not generated in this build";
        root = TempFolder(rootName);
        LoadStringTable(ORB_GAME_DIR "/Data/Txt/Strings.txt", ORB_GAME_DIR "/Data/TextID.dat");
        UseShippedFolders(folders, root + "Players/");
        std::filesystem::create_directories(folders.players);
        layout.Load(ORB_GAME_DIR "/Data/Config/Skin.cfg");
        texts = CRefPtr<CTextSet>(new CTextSet(rec.device, rec.vertexBuffer, rec.indexBuffer));
        ui = MakeInterface(rec, texts);
    }

    static std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    RecordingDevice rec;
    std::string root;
    CDataFolders folders;
    CQuestLayout layout;
    CLevelParams params;
    CRefPtr<CTextSet> texts;
    CRefPtr<CInterface> ui;
};

} // namespace screens_test
