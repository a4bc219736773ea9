// The scenes' timelines with a fixed clock, on the recording device and with the
// built-in settings: the gems' slots, the door's opening and its leaf's shape, and the
// main menu's shift, leaves, sky and settings clamps.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "backgrounds/BackgroundDoor.h"
#include "effects/ParticleSystemsManager.h"
#include "backgrounds/BackgroundMainMenu.h"
#include "backgrounds/BackgroundTreasury.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "tests/support/RecordingDevice.h"

using test_support::RecordingDevice;

namespace
{

class SceneTimelineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list = CRefPtr<CSpriteList>(new CSpriteList(rec.device, rec.vertexBuffer, rec.indexBuffer));
        front = CRefPtr<CSpriteList>(new CSpriteList(rec.device, rec.vertexBuffer, rec.indexBuffer));
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        cfg = ::testing::TempDir() + "timeline_" + info->name() + ".cfg";
        std::filesystem::remove(cfg);
    }
    // Advances in 10 ms frames, the list's shapes with it.
    template <class Scene>
    void Run(Scene& scene, float seconds)
    {
        for (int i = 0; i < int(seconds * 100.0f + 0.5f); ++i)
        {
            list->UpdateAll(0.01f, 0);
            scene.Update(0.01f);
        }
    }
    void StartDoor(CBackgroundDoor& door)
    {
        door.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        door.SetShared(list, {}, {}, {}, {}, {}, {});
        door.LoadSettings(cfg.c_str());
        door.Init();
        door.Start();
    }
    void StartMenu(CBackgroundMainMenu& menu)
    {
        menu.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        menu.SetShared(list, {}, {}, front);
        menu.LoadSettings(cfg.c_str());
        menu.Init();
        menu.Start();
    }

    RecordingDevice rec;
    CRefPtr<CSpriteList> list, front;
    std::string cfg;
};

TEST_F(SceneTimelineTest, QuietStageRunsEverySlotTogetherWithoutStreaks)
{
    CBackgroundDoor door;
    StartDoor(door);
    door.SetStage(3, 1);
    const CProgressOrnaments& o = door.ornaments;
    ASSERT_EQ(o.GemShapes(), 3u);
    EXPECT_EQ(o.RayShapes(), 3u);
    EXPECT_EQ(o.FlareShapes(), 3u);
    // Flare until 0.25 s, gem until 0.75 s, ray until 1.15 s, then idle.
    const struct
    {
        float at;
        int32_t state;
    } steps[] = {{0.2f, CProgressOrnaments::kFlareIn}, {0.3f, CProgressOrnaments::kGemIn},
                 {0.8f, CProgressOrnaments::kRayIn}, {1.2f, CProgressOrnaments::kIdle}};
    float now = 0.0f;
    for (const auto& s : steps)
    {
        Run(door, s.at - now);
        now = s.at;
        for (int32_t slot = 0; slot < 3; ++slot)
            EXPECT_EQ(o.State(slot), s.state) << "slot " << slot << " at " << s.at;
        EXPECT_EQ(o.Streaks(), 0u);
    }
    EXPECT_NEAR(o.Gem(2)->alpha, 1.0f, 1e-4f);
    EXPECT_NEAR(o.Ray(2)->alpha, 1.0f, 1e-4f);
}

TEST_F(SceneTimelineTest, NewestGemWithFanfareSparklesUntilItsRayIsIn)
{
    CBackgroundDoor door;
    StartDoor(door);
    door.SetStage(3, 1);
    Run(door, 1.5f);
    door.SetStage(4, 0);
    const CProgressOrnaments& o = door.ornaments;
    Run(door, 1.0f);
    EXPECT_EQ(o.State(3), CProgressOrnaments::kGemIn); // holds for RainbowTime (2 s)
    EXPECT_GT(o.Streaks(), 3u);
    Run(door, 1.3f); // 2.3 s: the ray comes
    EXPECT_EQ(o.State(3), CProgressOrnaments::kRayIn);
    Run(door, 0.4f); // 2.7 s: idle, the streaks fade away
    EXPECT_EQ(o.State(3), CProgressOrnaments::kIdle);
    EXPECT_EQ(o.Streaks(), 0u);

    // A falling stage fades the hidden slots and keeps the rest.
    door.SetStage(2, 0);
    EXPECT_EQ(o.GemShapes(), 2u);
    EXPECT_EQ(o.State(2), CProgressOrnaments::kIdle);
    EXPECT_EQ(door.Stage(), 2);
}

TEST_F(SceneTimelineTest, DoorOpensWhenTheTenthGemIsInAndStaysOpen)
{
    CBackgroundDoor door;
    StartDoor(door);
    door.SetStage(12, 1); // clamped to 10
    ASSERT_EQ(door.Stage(), 10);
    ASSERT_TRUE(door.Cover().IsValid());
    EXPECT_EQ(door.ornaments.FlareShapes(), 11u);
    EXPECT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorClosed);
    // Quiet: slot 9 ends at 1.15 s; the door flare grows for 0.25 s, the painted door
    // fades for 0.25 s, the leaf sinks for 2 s.
    const struct
    {
        float at;
        int32_t state;
    } steps[] = {{1.1f, CBackgroundDoor::kDoorClosed}, {1.2f, CBackgroundDoor::kDoorFlare},
                 {1.45f, CBackgroundDoor::kDoorFading}, {1.7f, CBackgroundDoor::kDoorSinking},
                 {3.6f, CBackgroundDoor::kDoorSinking}, {3.7f, CBackgroundDoor::kDoorClosed}};
    float now = 0.0f;
    for (const auto& s : steps)
    {
        Run(door, s.at - now);
        now = s.at;
        EXPECT_EQ(door.DoorStateNow(), s.state) << "at " << s.at;
    }
    EXPECT_NEAR(door.Cover()->alpha, 0.0f, 1e-4f);
    // Fully open: the leaf has no area left (both floor ends passed).
    const DoorPoint* q = door.DoorQuad();
    EXPECT_FLOAT_EQ(q[0].x, q[1].x);
    EXPECT_FLOAT_EQ(q[0].y, q[3].y);
    // The same stage again changes nothing; the door stays open.
    door.SetStage(10, 0);
    Run(door, 2.0f);
    EXPECT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorClosed);
    EXPECT_TRUE(door.Cover().IsValid());
}

// With "UseSand" the painted door's fading starts sand at both top corners (and dust
// over each); the sources ride down on the sinking leaf and stop at the stop line.
TEST_F(SceneTimelineTest, DoorSandStartsWithTheFadeFollowsTheLeafAndStops)
{
    std::ofstream(cfg) << "[Door]\nUseSand=1\n";
    CRefPtr<CParticleSystemsManager> particles(
        new CParticleSystemsManager(rec.device, rec.vertexBuffer, rec.indexBuffer));
    CBackgroundDoor door;
    door.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
    door.SetShared(list, particles, {}, {}, {}, {}, {});
    door.LoadSettings(cfg.c_str());
    door.Init();
    door.Start();
    door.SetStage(10, 1);
    const auto all = [&particles] {
        std::vector<CRefPtr<CParticleSystem>> v = particles->systems;
        v.insert(v.end(), particles->alphaTestedSystems.begin(), particles->alphaTestedSystems.end());
        return v;
    };
    Run(door, 1.2f);
    EXPECT_TRUE(all().empty());
    Run(door, 0.25f); // the cover starts fading
    ASSERT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorFading);
    std::vector<CRefPtr<CParticleSystem>> started = all();
    ASSERT_EQ(4u, started.size());
    float topBefore = -1e9f;
    for (const CRefPtr<CParticleSystem>& sys : started)
        topBefore = std::max(topBefore, sys->origin.y);
    Run(door, 0.5f); // the leaf has begun to sink
    ASSERT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorSinking);
    float lowest = 1e9f;
    for (const CRefPtr<CParticleSystem>& sys : started)
        lowest = std::min(lowest, sys->origin.y);
    EXPECT_LT(lowest, topBefore);
    Run(door, 2.0f);
    EXPECT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorClosed);
    int stopped = 0;
    for (const CRefPtr<CParticleSystem>& sys : all())
        stopped += sys->duration <= sys->elapsed;
    EXPECT_EQ(2, stopped) << "both sand streams have stopped; their dust rises while grains are left";
    door.Stop();
}

TEST_F(SceneTimelineTest, FallingStageWhileTheDoorSinksDropsTheDoorAndSwitchingAwayStartsAfresh)
{
    CBackgroundDoor door;
    StartDoor(door);
    door.SetStage(10, 1);
    Run(door, 2.0f);
    ASSERT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorSinking);
    CRefPtr<CSpriteShape> leaf = door.Leaf();
    door.SetStage(9, 0);
    EXPECT_FALSE(door.Cover().IsValid());
    EXPECT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorClosed);
    EXPECT_EQ(leaf->mortal, 1);
    EXPECT_EQ(door.ornaments.FlareShapes(), 9u);

    // Leaving mid-sequence and coming back: no half-finished slot survives.
    door.SetStage(10, 1);
    Run(door, 0.5f);
    door.Stop();
    door.Start();
    for (int32_t slot = 0; slot <= CBackgroundDoor::kGems; ++slot)
        EXPECT_EQ(door.ornaments.State(slot), CProgressOrnaments::kIdle);
    EXPECT_EQ(door.ornaments.GemShapes(), 0u);
    Run(door, 1.0f); // no shapes to touch: nothing happens
    EXPECT_EQ(door.DoorStateNow(), CBackgroundDoor::kDoorClosed);
}

TEST_F(SceneTimelineTest, DoorLeafShapeFollowsTheFloorLine)
{
    CBackgroundDoor door; // door 170 by 268, floor line 264 left and 258 right
    struct Case
    {
        float f;
        DoorPoint q[4];
    } cases[] = {
        {0.0f, {{0, 0}, {170, 0}, {170, 258}, {0, 264}}},
        {0.97f, {{0, 259.96f}, {170 * (264 - 259.96f) / 6, 259.96f}, {170 * (264 - 259.96f) / 6, 264}, {0, 264}}},
        {264.0f / 268.0f, {{0, 264}, {0, 264}, {0, 264}, {0, 264}}},
        {1.0f, {{0, 264}, {0, 264}, {0, 264}, {0, 264}}},
    };
    for (const Case& c : cases)
    {
        door.ComputeDoorQuad(c.f);
        for (int k = 0; k < 4; ++k)
        {
            EXPECT_NEAR(door.DoorQuad()[k].x, c.q[k].x, 0.01f) << "f " << c.f << " point " << k;
            EXPECT_NEAR(door.DoorQuad()[k].y, c.q[k].y, 0.01f) << "f " << c.f << " point " << k;
        }
    }
    // An even floor keeps the full width until the top edge reaches it.
    std::ofstream(cfg) << "[Door]\nDoorBottom=260 260\n";
    door.LoadSettings(cfg.c_str());
    door.ComputeDoorQuad(259.0f / 268.0f);
    EXPECT_NEAR(door.DoorQuad()[1].x, 170.0f, 1e-4f);
    door.ComputeDoorQuad(261.0f / 268.0f);
    EXPECT_NEAR(door.DoorQuad()[0].y, 260.0f, 1e-4f);
    EXPECT_NEAR(door.DoorQuad()[2].y, 260.0f, 1e-4f);
}

TEST_F(SceneTimelineTest, FloorShadowSwaysFromItsFirstUpdate)
{
    CBackgroundDoor door;
    door.Init();
    ASSERT_EQ(door.ShadowVertices().size(), 4u);
    EXPECT_NEAR(door.ShadowVertices()[0].u, 16.0f / 512 + 8.0f / 512 * std::sin(1.0f), 1e-6f);
    EXPECT_NEAR(door.ShadowVertices()[0].v, 8.0f / 128 + 4.0f / 128 * std::sin(-1.0f), 1e-6f);
}

TEST_F(SceneTimelineTest, FrontFoliageEasesAsideWhileHoveredAndBackWhenLeft)
{
    CBackgroundMainMenu menu;
    StartMenu(menu);
    ASSERT_TRUE(menu.FrontFoliage().IsValid());
    EXPECT_EQ(menu.Decorations(), 8u);
    EXPECT_EQ(menu.FoliageCells(), 36u);
    menu.shiftRequested = 1; // the default shift takes 0.2 s
    Run(menu, 0.1f);
    EXPECT_NEAR(menu.shiftAmount, 0.5f, 0.02f);
    Run(menu, 0.2f);
    EXPECT_FLOAT_EQ(menu.shiftAmount, 1.0f);
    menu.shiftRequested = 0;
    Run(menu, 0.05f);
    EXPECT_NEAR(menu.shiftAmount, 0.75f, 0.02f);
    Run(menu, 0.3f);
    EXPECT_FLOAT_EQ(menu.shiftAmount, 0.0f);
}

TEST_F(SceneTimelineTest, LeavesAreBornUpToTheirLimitAndLeaveBelowTheScreen)
{
    CBackgroundMainMenu menu;
    StartMenu(menu);
    ASSERT_EQ(menu.Vertices().size(), 36u); // the sky and 8 leaf slots
    size_t most = 0;
    for (int i = 0; i < 30; ++i)
    {
        Run(menu, 1.0f);
        most = std::max(most, menu.Leaves().size());
        for (const MainMenuLeaf& leaf : menu.Leaves())
            EXPECT_GE(leaf.y, -384.0f);
        EXPECT_GE(menu.SkyScroll(), 0.0f); // the default scrolls backwards
        EXPECT_LT(menu.SkyScroll(), 1.0f);
    }
    EXPECT_EQ(most, 8u);
}

TEST_F(SceneTimelineTest, MenuSettingsAreClampedToWorkingValues)
{
    std::ofstream(cfg) << "[MainMenu]\nMaxLeafs=0\nFoliageCells=0 -3\nFrontFoliageShiftTime=0\nMapDisp=500 4\n"
                          "FrontFoliageMove=3\n";
    CBackgroundMainMenu menu;
    StartMenu(menu);
    EXPECT_EQ(menu.Vertices().size(), 4u); // only the sky
    EXPECT_EQ(menu.FoliageCells(), 1u);
    // A missing second component keeps its default instead of garbage.
    EXPECT_FLOAT_EQ(menu.settings.frontMove[0], 3.0f);
    EXPECT_FLOAT_EQ(menu.settings.frontMove[1], 8.0f);
    menu.shiftRequested = 1;
    Run(menu, 5.0f);
    EXPECT_TRUE(menu.Leaves().empty());
    EXPECT_FLOAT_EQ(menu.shiftAmount, 1.0f); // a zero shift time shifts at once
    // A swing wider than the map's height keeps its corners finite.
    const CRefPtr<CSpriteShape>& map = menu.Decoration(CBackgroundMainMenu::kSpriteMap);
    ASSERT_EQ(map->corners.size(), 4u);
    for (const CUV& c : map->corners)
        EXPECT_TRUE(std::isfinite(c.u) && std::isfinite(c.v));
}

TEST_F(SceneTimelineTest, ChestBurstsAfterItsRaysAndComesBackWhenTheStageFalls)
{
    CBackgroundTreasury treasury;
    treasury.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
    treasury.SetShared(list, {}, {}, {}, {}, {});
    treasury.LoadSettings(cfg.c_str());
    treasury.Init();
    treasury.Start();
    treasury.SetStage(12, 1);
    ASSERT_TRUE(treasury.ChestClosed());
    // Quiet: the twelfth gem is in at 1.15 s, its flare grows for 0.25 s, rays for 2 s.
    Run(treasury, 1.3f);
    EXPECT_EQ(treasury.ChestStateNow(), CBackgroundTreasury::kChestFlare);
    Run(treasury, 1.0f);
    EXPECT_EQ(treasury.ChestStateNow(), CBackgroundTreasury::kChestRays);
    EXPECT_GE(treasury.ChestRays(), 4u); // one every 0.2 s
    Run(treasury, 1.5f); // 3.8 s: burst at 3.4 s
    EXPECT_EQ(treasury.ChestStateNow(), CBackgroundTreasury::kChestBurst);
    EXPECT_FALSE(treasury.ChestClosed());
    EXPECT_EQ(treasury.ChestRays(), 0u);
    EXPECT_EQ(treasury.Pieces(), 128u); // two layers of 8 by 8
    EXPECT_GT(treasury.GlowWorms(), 0u);

    // Lowering the stage mid-burst clears every piece and puts the closed chest back.
    treasury.SetStage(11, 1);
    EXPECT_TRUE(treasury.ChestClosed());
    EXPECT_EQ(treasury.Pieces(), 0u);
    EXPECT_EQ(treasury.GlowWorms(), 0u);
    EXPECT_EQ(treasury.ChestStateNow(), CBackgroundTreasury::kChestIdle);
}

TEST_F(SceneTimelineTest, TreasuryDustDriftsFourWaysAndOneCrackRowLiftsLikeTheTop)
{
    std::ofstream(cfg) << "[Treasury]\nDustLayersCount=5\nChestCrack=3 0\n";
    CBackgroundTreasury treasury;
    treasury.LoadSettings(cfg.c_str());
    // The file's (a, b) = (0.001, -0.002) turned a quarter per layer, repeating after four.
    const float expected[5][2] = {{-0.001f, 0.002f}, {-0.002f, -0.001f}, {0.001f, -0.002f}, {0.002f, 0.001f},
                                  {-0.001f, 0.002f}};
    ASSERT_EQ(treasury.settings.dustVelocity.size(), 10u);
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_FLOAT_EQ(treasury.settings.dustVelocity[size_t(2 * i)], expected[i][0]) << "layer " << i;
        EXPECT_FLOAT_EQ(treasury.settings.dustVelocity[size_t(2 * i + 1)], expected[i][1]) << "layer " << i;
    }
    EXPECT_EQ(treasury.settings.crackColumns, 3);
    EXPECT_EQ(treasury.settings.crackRows, 1);
    treasury.Init();
    EXPECT_EQ(treasury.Vertices().size(), 4u * 5 + 8);
}

} // namespace
