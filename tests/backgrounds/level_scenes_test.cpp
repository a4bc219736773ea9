// The museum, jungle and valley scenes through the background manager: each comes
// with its four textures and its shapes and takes them away again, reports a missing
// picture in the game's words, and keeps its stage to its own range.
#include "backgrounds/BackgroundManager.h"
#include "tests/backgrounds/scene_fixture.h"

namespace {

using scene_test::SceneTest;

class LevelScenes : public SceneTest
{
protected:
    void Make()
    {
        manager = CRefPtr<CBackgroundManager>(new CBackgroundManager());
        manager->SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        manager->SetSharedResources(list, {}, {}, {}, {}, {}, {}, {}, {}, {});
        manager->LoadSettings(NoCfg().c_str());
        manager->Init(folder);
        manager->enabled = 1;
    }
    void TearDown() override
    {
        manager.Reset();
        SceneTest::TearDown();
    }
    CRefPtr<CBackgroundManager> manager;
};

TEST_F(LevelScenes, EachSceneBringsItsTexturesAndShapesAndTakesThemAway)
{
    Pictures({"Museum.jpg", "MuseumDust.tga", "MuseumDust_alpha.tga", "MuseumDustMask.tga", "MuseumFlareRays.tga",
              "MuseumFlareRays_alpha.tga", "Jungle.jpg", "JungleFog.jpg", "JungleMask.tga", "JungleFlareRays.tga",
              "JungleFlareRays_alpha.tga", "Valley.jpg", "ValleyCloud.jpg", "ValleyMask.tga", "ValleyFlareRays.tga",
              "ValleyFlareRays_alpha.tga"});
    Make();
    struct Case
    {
        int32_t id;
        const char* textures[4];
        size_t shapes;
        int32_t lastStage;
    } cases[] = {
        {CBackgroundManager::kSceneMuseum, {"BackgroundMuseum", "MuseumDust", "MuseumDustMask", "MuseumFlareRays"}, 2, 5},
        {CBackgroundManager::kSceneJungle, {"BackgroundJungle", "JungleFog", "JungleMask", "JungleFlareRays"}, 2, 6},
        {CBackgroundManager::kSceneValley, {"BackgroundValley", "ValleyCloud", "ValleyMask", "ValleyFlareRays"}, 4, 8},
    };
    for (const Case& c : cases)
    {
        manager->SetScene(c.id);
        for (const char* name : c.textures)
            EXPECT_GE(rec.device->FindTexture(name), 0) << name;
        EXPECT_EQ(Shapes(), c.shapes) << c.id;
        manager->SetStage(99, 1);
        EXPECT_EQ(manager->currentStage, c.lastStage) << c.id;
        manager->SetStage(-1, 1);
        EXPECT_EQ(manager->currentStage, 0) << c.id;
        manager->Update(0.02f);
        rec.ClearCalls();
        EXPECT_EQ(manager->Render(), 0) << c.id;
        EXPECT_FALSE(rec.Draws().empty()) << c.id;
        manager->SetScene(CBackgroundManager::kNoScene);
        for (const char* name : c.textures)
            EXPECT_EQ(rec.device->FindTexture(name), -1) << name;
        EXPECT_EQ(Shapes(), 0u) << c.id;
    }
    EXPECT_EQ(Log().find("Error loading background"), std::string::npos);
    // The glints' mask was looked for once, beside the pictures.
    EXPECT_NE(Log().find("JungleFlashMask.bmp File not found!\n"), std::string::npos);
}

TEST_F(LevelScenes, MissingPicturesAreReportedAndTheSceneStillRuns)
{
    Make();
    const char* messages[] = {"Error loading background textures for Museum!\n",
                              "Error loading background textures for Jungle!\n",
                              "Error loading background textures for Valley!\n"};
    for (int32_t id = CBackgroundManager::kSceneMuseum; id <= CBackgroundManager::kSceneValley; ++id)
    {
        manager->SetScene(id);
        EXPECT_NE(Log().find(messages[id - 1]), std::string::npos);
        EXPECT_GT(Shapes(), 0u);
        manager->Update(0.1f);
        EXPECT_EQ(manager->Render(), 0);
    }
}

} // namespace
