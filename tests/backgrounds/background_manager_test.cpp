// The background manager on the recording device: switching scenes loads and drops
// the main menu's painting and shape, and stages follow each scene's range.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backgrounds/BackgroundManager.h"
#include "engine/Log.h"
#include "render/Device.h"
#include "render/SpriteList.h"
#include "tests/support/LogFile.h"
#include "tests/support/RecordingDevice.h"
#include "tools/common/ImageWrite.h"

using test_support::RecordingDevice;

namespace
{

const size_t kMenuShapes = 1 + 8 + 36;

class BackgroundManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = ::testing::TempDir() + "backgrounds_" + info->name() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        logPath = folder + "bg.log";
        SetLogFile(logPath.c_str());
        ResetLog();
        list = CRefPtr<CSpriteList>(new CSpriteList(rec.device, rec.vertexBuffer, rec.indexBuffer));
    }
    void TearDown() override
    {
        manager.Reset();
        list.Reset();
        SetLogFile("");
    }

    // The manager as the game sets it up, with or without the menu's painting.
    void Make(bool withPainting)
    {
        if (withPainting)
        {
            for (const char* name : {"MainBack.jpg", "MainSkyMask.tga", "MainLeafMask.tga", "MainElements.jpg",
                                     "MainElements_alpha.jpg", "MainFoliage.jpg", "MainFoliage_alpha.jpg"})
                ASSERT_TRUE(tools::WritePng(folder + name, 8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 255)));
        }
        manager = CRefPtr<CBackgroundManager>(new CBackgroundManager());
        manager->SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        manager->SetSharedResources(list, {}, {}, {}, {}, {}, {}, {}, {}, {});
        manager->LoadSettings((folder + "Background.cfg").c_str());
        manager->Init(folder);
    }
    static std::string Log() { return test_support::ReadLogFile(); }
    size_t Shapes() const { return list->visibleList.size() + list->hiddenList.size(); }

    RecordingDevice rec;
    std::string folder, logPath;
    CRefPtr<CSpriteList> list;
    CRefPtr<CBackgroundManager> manager;
};

TEST_F(BackgroundManagerTest, MainMenuPaintingComesAndGoesWithItsScene)
{
    Make(true);
    rec.ClearCalls();
    EXPECT_EQ(manager->Render(), 0);
    EXPECT_TRUE(rec.Draws().empty()); // not enabled yet

    manager->enabled = 1;
    manager->SetScene(CBackgroundManager::kSceneMainMenu);
    for (const char* name : {"BackgroundMainMenu", "MainMenuSkyMask", "MainMenuLeafMask", "MainMenuElements",
                             "MainMenuFrontFoliage"})
        EXPECT_GE(rec.device->FindTexture(name), 0) << name;
    // The painting, eight decorations and the 6 by 6 foliage cells; the front foliage
    // goes to the front list (none here).
    ASSERT_EQ(Shapes(), kMenuShapes);
    manager->Update(0.1f);
    rec.ClearCalls();
    EXPECT_EQ(manager->Render(), 0);
    ASSERT_FALSE(rec.Draws().empty());

    // The same scene again changes nothing: no second set of shapes, no reload.
    manager->SetScene(CBackgroundManager::kSceneMainMenu);
    EXPECT_EQ(Shapes(), kMenuShapes);

    manager->SetScene(CBackgroundManager::kNoScene);
    EXPECT_EQ(rec.device->FindTexture("BackgroundMainMenu"), -1);
    EXPECT_EQ(Shapes(), 0u);
    rec.ClearCalls();
    EXPECT_EQ(manager->Render(), 0);
    EXPECT_TRUE(rec.Draws().empty());
    EXPECT_EQ(Log().find("Error"), std::string::npos);
}

TEST_F(BackgroundManagerTest, MissingPaintingIsLoggedAndTheSceneStillStarts)
{
    Make(false);
    manager->SetScene(CBackgroundManager::kSceneMainMenu);
    EXPECT_NE(Log().find("Error loading background textures for MainMenu!\n"), std::string::npos);
    EXPECT_EQ(Shapes(), kMenuShapes);
    EXPECT_EQ(manager->currentScene, CBackgroundManager::kSceneMainMenu);
}

TEST_F(BackgroundManagerTest, StagesKeepToEachScenesRange)
{
    Make(true);
    struct Case
    {
        int32_t scene, stage, expected;
    } cases[] = {
        {CBackgroundManager::kSceneMuseum, 7, 5},    {CBackgroundManager::kSceneTreasury, 7, 7},
        {CBackgroundManager::kSceneTreasury, 20, 12}, {CBackgroundManager::kSceneJungle, -3, 0},
        {CBackgroundManager::kSceneMainMenu, 4, 0},  {CBackgroundManager::kNoScene, 4, 4},
        {99, -2, -2},
    };
    for (const Case& c : cases)
    {
        manager->SetScene(c.scene);
        manager->SetStage(c.stage, 1);
        EXPECT_EQ(manager->currentStage, c.expected) << "scene " << c.scene << " stage " << c.stage;
    }
    // A switch starts the new scene at stage 0; the same scene again keeps the stage.
    manager->SetScene(CBackgroundManager::kSceneDoor);
    manager->SetStage(3, 0);
    manager->SetScene(CBackgroundManager::kSceneDoor);
    EXPECT_EQ(manager->currentStage, 3);
    manager->SetScene(CBackgroundManager::kSceneValley);
    EXPECT_EQ(manager->currentStage, 0);
}

TEST_F(BackgroundManagerTest, MenuCursorRaisesTheShiftFlagInsideTheZoneBoundsIncluded)
{
    std::ofstream(folder + "Background.cfg") << "[MainMenu]\nFrontFoliageShiftZone=12 84 112 184\n";
    Make(true);
    // Centred: left -500, top 300, right -400, bottom 200.
    struct Case
    {
        float x, y;
        int32_t flag;
    } cases[] = {{-450, 250, 1}, {-500, 300, 1}, {-400, 200, 1}, {-501, 250, 0}, {-450, 199, 0}, {0, 0, 0}};
    for (const Case& c : cases)
    {
        manager->MainMenu().Hover(c.x, c.y);
        EXPECT_EQ(manager->MainMenu().shiftRequested, c.flag) << c.x << ", " << c.y;
    }
}

} // namespace
