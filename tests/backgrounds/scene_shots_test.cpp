// The scenes drawn for real (OpenGL offscreen) from the game folder's pictures with a
// fixed clock: the main menu's picture moves over a few seconds, and the door scene
// lights its gems and opens its door at the last stage. Pictures of each moment are
// written to the test's working folder for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "backgrounds/BackgroundManager.h"
#include "render/SpriteList.h"
#include "platform/d3d8/backend.h"
#include "render/SpriteShape.h"
#include "tests/support/OffscreenDevice.h"

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;

namespace
{

const std::string kGame = std::string(ORB_GAME_DIR) + "/";

class SceneShotsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("SDL_VIDEODRIVER"))
            GTEST_SKIP() << "needs SDL_VIDEODRIVER=offscreen";
        screen.reset(new OffscreenDevice());
        if (!screen->Ready())
            GTEST_SKIP() << "no OpenGL device";
        CDevice& d = *screen->device;
        const std::string gfx = kGame + "Data/Gfx/";
        list = CRefPtr<CSpriteList>(new CSpriteList(screen->device, screen->vertexBuffer, screen->indexBuffer));
        front = CRefPtr<CSpriteList>(new CSpriteList(screen->device, screen->vertexBuffer, screen->indexBuffer));
        CRefPtr<CTexture> flare = d.LoadTextureWithAlpha(gfx + "Flare.jpg", "Flare", true, 0, D3DPOOL_MANAGED);
        CRefPtr<CTexture> spark = d.MakeTexture(gfx + "Spark.bmp", "Spark", 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
        CRefPtr<CTexture> halo = d.LoadTextureChooseFormat(gfx + "Halo1.tga", "Halo1", {D3DFMT_A8R8G8B8}, 1, 0,
                                                           D3DPOOL_MANAGED);
        manager = CRefPtr<CBackgroundManager>(new CBackgroundManager());
        manager->SetResources(screen->device, screen->vertexBuffer, screen->indexBuffer);
        manager->SetSharedResources(list, {}, {}, flare, {}, {}, {}, spark, halo, front);
        manager->LoadSettings((kGame + "Data/Config/Background.cfg").c_str());
        manager->Init(gfx);
        manager->enabled = 1;
    }
    void TearDown() override
    {
        manager.Reset();
        list.Reset();
        front.Reset();
        screen.reset();
    }

    // Runs the scene for `seconds` in 20 ms frames, as the game's frame does.
    void Run(float seconds)
    {
        for (int i = 0; i < int(seconds / 0.02f + 0.5f); ++i)
        {
            manager->Update(0.02f);
            front->UpdateAll(0.02f, 0);
        }
    }
    OffscreenFrame Shot(const std::string& name)
    {
        screen->BeginRendererFrame();
        EXPECT_EQ(manager->Render(), 0);
        front->DrawOpaque();
        front->DrawBlended(1);
        screen->EndScene();
        OffscreenFrame frame;
        EXPECT_TRUE(screen->ReadBack(frame));
        screen->Present();
        frame.SavePng(name + ".png");
        return frame;
    }
    static int Differing(const OffscreenFrame& a, const OffscreenFrame& b)
    {
        int n = 0;
        for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
            n += a.pixels[i] != b.pixels[i];
        return n;
    }

    std::unique_ptr<OffscreenDevice> screen;
    CRefPtr<CSpriteList> list, front;
    CRefPtr<CBackgroundManager> manager;
};

TEST_F(SceneShotsTest, MainMenuPictureMovesOverAFewSeconds)
{
    manager->SetScene(CBackgroundManager::kSceneMainMenu);
    Run(0.5f);
    const OffscreenFrame first = Shot("scene_main_0s5");
    Run(1.5f);
    const OffscreenFrame second = Shot("scene_main_2s");
    Run(1.5f);
    const OffscreenFrame third = Shot("scene_main_3s5");
    // The painting is there (not the black clear colour) and its parts move.
    EXPECT_NE(first.At(0, 300) & 0xFFFFFFu, 0u);
    EXPECT_GT(Differing(first, second), 2000);
    EXPECT_GT(Differing(second, third), 2000);
}

// The museum's, jungle's and valley's last gem lights in its empty socket with its
// finale: the museum's map unrolls under the sixth flare, the others' last flare grows.
TEST_F(SceneShotsTest, LevelScenesLightTheirLastGemAndTheirFinale)
{
    const struct
    {
        int32_t scene, last;
        const char* name;
        float gemX, gemY; // the last gem's centre in the picture
    } cases[] = {{CBackgroundManager::kSceneMuseum, 5, "scene_museum", 840.0f, 80.0f},
                 {CBackgroundManager::kSceneJungle, 6, "scene_jungle", 840.0f, 150.0f},
                 {CBackgroundManager::kSceneValley, 8, "scene_valley", 960.0f, 470.0f}};
    auto brightness = [](uint32_t c) { return int((c >> 16) & 255) + int((c >> 8) & 255) + int(c & 255); };
    for (const auto& c : cases)
    {
        manager->SetScene(c.scene);
        manager->SetStage(c.last - 1, 1);
        Run(1.5f);
        const OffscreenFrame before = Shot(std::string(c.name) + "_before_last");
        manager->SetStage(c.last, 0);
        Run(4.0f); // the newest gem's sparkle, its ray, then the finale's flare (and map)
        const OffscreenFrame after = Shot(std::string(c.name) + "_all_gems");
        const float x = c.gemX - 512.0f, y = 384.0f - c.gemY;
        EXPECT_GT(brightness(after.At(x, y)), brightness(before.At(x, y)) + 100) << c.name;
        if (c.scene == CBackgroundManager::kSceneMuseum)
        {
            const CRefPtr<CSpriteShape> map = manager->Museum().ornaments.Map();
            ASSERT_TRUE(map.IsValid());
            EXPECT_NEAR(map->alpha, 1.0f, 1e-4f);
        }
    }
}

// The museum's dust drawn as the pieces its motes need shows the picture the four
// whole-screen layers show (within a step of rounding where the pieces' coordinates are
// interpolated over smaller triangles), and its draw covers far less.
TEST_F(SceneShotsTest, MuseumDustInPiecesShowsWhatTheWholeLayersShow)
{
    CBackgroundMuseum& museum = manager->Museum();
    manager->SetScene(CBackgroundManager::kSceneMuseum);
    Run(2.3f);
    ASSERT_TRUE(museum.dustInPieces);
    platform::TraceNextFrame(screen->device->device);
    Shot("scene_museum_dust_pieces_lead");
    const OffscreenFrame pieces = Shot("scene_museum_dust_pieces");
    std::vector<platform::DrawTrace> trace;
    ASSERT_TRUE(platform::LastFrameTrace(screen->device->device, trace));
    museum.dustInPieces = false;
    const OffscreenFrame whole = Shot("scene_museum_dust_whole");
    int apart = 0, off = 0;
    for (size_t i = 0; i < pieces.pixels.size() && i < whole.pixels.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
        {
            const int d = std::abs(int((pieces.pixels[i] >> shift) & 255) - int((whole.pixels[i] >> shift) & 255));
            apart += d > 1;
            off += d == 1;
        }
    EXPECT_EQ(apart, 0);
    EXPECT_LT(off, 200);
    // The dust is the draw that reads the mask: it covers less than half of what its
    // four whole-screen layers cover.
    const double screenPixels = double(pieces.width) * double(pieces.height);
    bool found = false;
    for (const platform::DrawTrace& t : trace)
        if (t.pictures.find("MuseumDustMask") != std::string::npos)
        {
            found = true;
            EXPECT_LT(t.covered, 2.0 * screenPixels);
            EXPECT_GT(t.changed, 0u);
            EXPECT_LE(double(t.changed), t.covered);
        }
    EXPECT_TRUE(found);
}

// The dust picture's pieces hold every texel its filter can read from a mote: each
// texel within reach of a visible one (the picture repeating) lies in exactly one piece.
TEST_F(SceneShotsTest, MuseumDustPiecesHoldEveryTexelItsMotesReach)
{
    CBackgroundMuseum& museum = manager->Museum();
    manager->SetScene(CBackgroundManager::kSceneMuseum);
    CRefPtr<CTexture> dust = screen->device->GetTextureByName("MuseumDust");
    ASSERT_TRUE(dust.IsValid());
    std::vector<BYTE> alpha;
    UINT w = 0, h = 0;
    ASSERT_TRUE(dust->ReadAlpha(alpha, w, h));
    const int reach = scene::FilterReach(float(w) * museum.dustSizeFactor / 640.0f);
    std::vector<int> owners(size_t(w) * h, 0);
    size_t area = 0;
    for (const scene::TexelRect& r : museum.dustRects)
    {
        area += size_t(r.x1 - r.x0) * size_t(r.y1 - r.y0);
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                ++owners[size_t(y) * w + size_t(x)];
    }
    int uncovered = 0, shared = 0;
    for (int y = 0; y < int(h); ++y)
        for (int x = 0; x < int(w); ++x)
        {
            shared += owners[size_t(y) * w + size_t(x)] > 1;
            if (!alpha[size_t(y) * w + size_t(x)])
                continue;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                {
                    const int nx = (x + dx + int(w)) % int(w), ny = (y + dy + int(h)) % int(h);
                    uncovered += owners[size_t(ny) * w + size_t(nx)] == 0;
                }
        }
    EXPECT_EQ(uncovered, 0);
    EXPECT_EQ(shared, 0);
    // The motes are few: the pieces hold well under half the picture.
    EXPECT_LT(area, size_t(w) * h / 2);
}

TEST_F(SceneShotsTest, DoorOpensAtTheLastStage)
{
    manager->SetScene(CBackgroundManager::kSceneDoor);
    manager->SetStage(9, 1);
    Run(1.5f);
    const float doorX = 451.0f - 512.0f, doorY = 384.0f - 300.0f;
    const OffscreenFrame closed = Shot("scene_door_9_gems");
    manager->SetStage(10, 0);
    Run(1.0f);
    Shot("scene_door_tenth_gem");
    Run(2.3f); // 3.3 s: the painted door has faded (2.9 to 3.15 s), the leaf sinks
    EXPECT_EQ(manager->Door().DoorStateNow(), CBackgroundDoor::kDoorSinking);
    Run(1.0f);
    Shot("scene_door_sinking");
    Run(1.0f); // the leaf is gone at 5.15 s
    EXPECT_EQ(manager->Door().DoorStateNow(), CBackgroundDoor::kDoorClosed);
    const OffscreenFrame open = Shot("scene_door_open");
    // The sunlit doorway is brighter than the stone door it replaced.
    auto brightness = [](uint32_t c) { return int((c >> 16) & 255) + int((c >> 8) & 255) + int(c & 255); };
    EXPECT_GT(brightness(open.At(doorX, doorY)), brightness(closed.At(doorX, doorY)) + 150);
}

TEST_F(SceneShotsTest, ChestBurstsAtTheLastStage)
{
    manager->SetScene(CBackgroundManager::kSceneTreasury);
    manager->SetStage(11, 1);
    Run(1.5f);
    const float chestX = 480.0f - 512.0f, chestY = 384.0f - 440.0f;
    const OffscreenFrame closed = Shot("scene_treasury_11_gems");
    manager->SetStage(12, 0);
    Run(3.2f); // the twelfth gem is in at 2.65 s, the chest's rays from 2.9 s
    CBackgroundTreasury& treasury = manager->Treasury();
    EXPECT_EQ(treasury.ChestStateNow(), CBackgroundTreasury::kChestRays);
    EXPECT_GT(treasury.ChestRays(), 0u);
    Shot("scene_treasury_rays");
    Run(1.8f); // 5 s: burst at 4.9 s
    EXPECT_EQ(treasury.ChestStateNow(), CBackgroundTreasury::kChestBurst);
    EXPECT_FALSE(treasury.ChestClosed());
    EXPECT_GT(treasury.Pieces(), 64u);
    Run(0.3f);
    const OffscreenFrame burst = Shot("scene_treasury_burst");
    EXPECT_NE(burst.At(chestX, chestY), closed.At(chestX, chestY));
    Run(2.0f);
    Shot("scene_treasury_rising");
    Run(8.0f); // the slowest row lifts at 20 units/s^2: gone within ten seconds
    EXPECT_EQ(treasury.Pieces(), 0u);
    Shot("scene_treasury_after");
}

} // namespace
