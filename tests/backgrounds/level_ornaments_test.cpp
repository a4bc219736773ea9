// The museum's, jungle's and valley's progress ornaments on a fixed clock, with the
// built-in settings: gems, rays and flares light stage by stage, the finale's flare
// waits hidden until the last gem is in and comes with its sound, a falling stage
// takes the upper slots away, and the museum's map unrolls from its top edge.
#include <string>

#include "backgrounds/BackgroundJungle.h"
#include "backgrounds/BackgroundMuseum.h"
#include "backgrounds/BackgroundValley.h"
#include "render/SpriteShape.h"
#include "tests/backgrounds/scene_fixture.h"
#include "tests/support/RecordingSounds.h"

namespace {

using test_support::RecordingSounds;

class LevelOrnaments : public scene_test::SceneTest
{
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        ASSERT_EQ(sounds.Load(folder + "sfx/", {{"Background", &CSoundBank::Background},
                                                 {"Museum", &CSoundBank::Museum},
                                                 {"Flare", &CSoundBank::Flare}}),
                  "");
    }
    template <class Scene>
    void StartScene(Scene& scene)
    {
        scene.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        scene.LoadSettings(NoCfg().c_str());
        scene.Init();
        scene.soundBank = sounds.bank;
        scene.Start();
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
    template <class Scene>
    void CheckStages(Scene& scene, const char* finaleSound, int32_t gemLayer, int32_t flareZOrder);

    RecordingSounds sounds;
};

bool Heard(const RecordingSounds& sounds, const std::string& file)
{
    for (const std::string& s : sounds.Heard())
        if (s.find(file) != std::string::npos)
            return true;
    return false;
}

template <class Scene>
void LevelOrnaments::CheckStages(Scene& scene, const char* finaleSound, int32_t gemLayer, int32_t flareZOrder)
{
    const CProgressOrnaments& o = scene.ornaments;
    const size_t last = size_t(o.Gems());
    const size_t own = Shapes(); // the scene's picture, rays and the rest
    // Restored at a level's start: three slots, silently, all lit after 1.15 s.
    scene.SetStage(3, 1);
    ASSERT_EQ(o.GemShapes(), 3u);
    EXPECT_EQ(o.RayShapes(), 3u);
    EXPECT_EQ(o.FlareShapes(), 3u);
    EXPECT_TRUE(sounds.Heard().empty());
    Run(scene, 1.2f);
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_NEAR(o.Gem(i)->alpha, 1.0f, 1e-4f) << i;
        EXPECT_NEAR(o.Ray(i)->alpha, 1.0f, 1e-4f) << i;
        EXPECT_NEAR(o.Flare(i)->alpha, 1.0f, 1e-4f) << i;
        EXPECT_EQ(o.State(int32_t(i)), CProgressOrnaments::kIdle) << i;
    }
    EXPECT_EQ(o.Gem(0)->layer, gemLayer);
    EXPECT_EQ(o.Flare(0)->zOrder, flareZOrder);

    // The last level won: the newest gem sparkles and holds for 2 s, its ray is in at
    // 2.65 s, and only then does the finale's flare grow, with the scene's sound.
    scene.SetStage(99, 0);
    EXPECT_EQ(scene.Stage(), int32_t(last));
    ASSERT_EQ(o.FlareShapes(), last + 1);
    EXPECT_TRUE(Heard(sounds, "Background.wav"));
    Run(scene, 2.6f);
    EXPECT_GT(o.Streaks(), 0u);
    EXPECT_FLOAT_EQ(o.Flare(last)->alphaTarget, 0.0f);
    EXPECT_FALSE(Heard(sounds, finaleSound));
    Run(scene, 0.1f);
    EXPECT_TRUE(Heard(sounds, finaleSound));
    EXPECT_EQ(o.Streaks(), 0u);
    Run(scene, 0.3f);
    EXPECT_NEAR(o.Flare(last)->alpha, 1.0f, 1e-4f);
    EXPECT_NEAR(o.Flare(last)->scaleX, o.settings.flareSize[last], 1e-2f);

    // Lowered again: the upper slots fade away, the finale's flare with them, quietly.
    sounds.Clear();
    scene.SetStage(1, 0);
    EXPECT_EQ(o.GemShapes(), 1u);
    EXPECT_EQ(o.FlareShapes(), 1u);
    EXPECT_TRUE(sounds.Heard().empty());
    Run(scene, 0.6f);
    EXPECT_EQ(Shapes(), own + 3u);
}

TEST_F(LevelOrnaments, MuseumLightsFiveGemsAndItsMapComesWithTheSixthFlare)
{
    CBackgroundMuseum museum;
    museum.SetShared(list, {}, {}, {}, {});
    StartScene(museum);
    CheckStages(museum, "Museum.wav", 1, -1);
}

TEST_F(LevelOrnaments, JungleLightsSixGemsUnderTheMistAndAFlareWithTheSixth)
{
    CBackgroundJungle jungle;
    jungle.SetShared(list, {}, {}, {}, {}, {});
    StartScene(jungle);
    CheckStages(jungle, "Flare.wav", 0, -2);
}

TEST_F(LevelOrnaments, ValleyLightsEightGemsAndAFlareWithTheEighth)
{
    CBackgroundValley valley;
    valley.SetShared(list, {}, {}, {}, {});
    StartScene(valley);
    CheckStages(valley, "Flare.wav", 1, -2);
}

TEST_F(LevelOrnaments, MuseumMapUnrollsFromItsTopEdgeAndComingBackStartsAfresh)
{
    CBackgroundMuseum museum;
    museum.SetShared(list, {}, {}, {}, {});
    StartScene(museum);
    const CProgressOrnaments& o = museum.ornaments;
    const float* t = &o.settings.rayT[5 * 4]; // the map's texture rectangle
    // Quietly at the last stage: the map is made with its top 40 % shown, invisible.
    museum.SetStage(5, 1);
    const CRefPtr<CSpriteShape> map = o.Map();
    ASSERT_TRUE(map.IsValid());
    EXPECT_EQ(o.RayShapes(), 6u);
    ASSERT_EQ(map->corners.size(), 4u);
    EXPECT_FLOAT_EQ(map->corners[0].v, 0.5f);
    EXPECT_FLOAT_EQ(map->corners[2].v, 0.1f);
    EXPECT_NEAR(map->frames[2].v, t[1] + (t[3] - t[1]) * 0.4f, 1e-5f);
    EXPECT_FLOAT_EQ(map->alpha, 0.0f);
    // Every slot runs together and ends at 1.15 s; the sixth flare grows for 0.25 s,
    // then the map fades in over 0.4 s while it unrolls over 0.5 s.
    Run(museum, 1.2f);
    EXPECT_EQ(o.State(5), CProgressOrnaments::kMapFlareIn);
    EXPECT_TRUE(Heard(sounds, "Museum.wav"));
    Run(museum, 0.3f);
    EXPECT_EQ(o.State(5), CProgressOrnaments::kMapUnrolling);
    EXPECT_GT(map->alpha, 0.0f);
    EXPECT_LT(map->corners[2].v, 0.1f);
    EXPECT_GT(map->corners[2].v, -0.5f);
    Run(museum, 0.6f);
    EXPECT_EQ(o.State(5), CProgressOrnaments::kMapIdle);
    EXPECT_NEAR(map->alpha, 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(map->corners[2].v, -0.5f);
    EXPECT_FLOAT_EQ(map->corners[3].v, -0.5f);
    EXPECT_NEAR(map->frames[2].v, t[3], 1e-5f);

    // Switched away mid-way and back: nothing is left over, and the stage is rebuilt.
    museum.SetStage(4, 1);
    Run(museum, 1.2f);
    museum.SetStage(5, 1);
    Run(museum, 1.3f);
    museum.Stop();
    EXPECT_EQ(Shapes(), 0u);
    EXPECT_EQ(o.State(5), CProgressOrnaments::kMapIdle);
    museum.Start();
    Run(museum, 0.5f);
    museum.SetStage(5, 1);
    EXPECT_EQ(o.GemShapes(), 5u);
    EXPECT_EQ(o.RayShapes(), 6u);
}

} // namespace
