// The museum scene: its dust layers drift and wrap on a fixed clock, their count is
// kept to a sane range, the rays turn once in twelve seconds, and the dust is drawn
// through its mask with the states put back.
#include "backgrounds/BackgroundMuseum.h"
#include "render/SpriteShape.h"
#include "tests/backgrounds/scene_fixture.h"

namespace {

using scene_test::SceneTest;

class MuseumScene : public SceneTest
{
protected:
    void Make(const std::string& cfg)
    {
        museum.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        museum.SetShared(list, {}, {}, {}, {});
        museum.LoadSettings(cfg.c_str());
        museum.Init();
    }
    CBackgroundMuseum museum;
};

TEST_F(MuseumScene, DustLayersDriftTurnedAQuarterEachAndWrapOnAFixedClock)
{
    Make(NoCfg());
    const CUV expected[4] = {{-0.001f, 0.002f}, {-0.002f, -0.001f}, {0.001f, -0.002f}, {0.002f, 0.001f}};
    ASSERT_EQ(museum.dustVelocities.size(), 4u);
    for (size_t k = 0; k < 4; ++k)
    {
        EXPECT_FLOAT_EQ(museum.dustVelocities[k].u, expected[k].u) << k;
        EXPECT_FLOAT_EQ(museum.dustVelocities[k].v, expected[k].v) << k;
    }
    // Layer 0 moves left and up in the texture; from 0.0005 it wraps below 0 to just under 1.
    museum.dustOffsets[0] = {0.0005f, 0.9995f};
    museum.Update(1.0f);
    EXPECT_NEAR(museum.dustOffsets[0].u, 0.9995f, 1e-5f);
    EXPECT_NEAR(museum.dustOffsets[0].v, 0.0015f, 1e-5f);
    // The vertices follow: vertex 0 at the offset, vertex 2 at offset + (s, 0.75 s).
    EXPECT_NEAR(museum.dustVertices[0].u, 0.9995f, 1e-5f);
    EXPECT_NEAR(museum.dustVertices[2].u, 0.9995f + 4.0f, 1e-4f);
    EXPECT_NEAR(museum.dustVertices[2].v, 0.0015f + 3.0f, 1e-4f);
    // The mask's coordinates stay on the screen's part of it.
    EXPECT_FLOAT_EQ(museum.dustVertices[2].u2, 1.0f);
    EXPECT_FLOAT_EQ(museum.dustVertices[2].v2, 0.75f);
}

TEST_F(MuseumScene, DustLayerCountIsKeptToItsRangeAndNoLayersDrawNothing)
{
    struct Case
    {
        const char* count;
        int32_t layers;
    } cases[] = {{"-3", 0}, {"0", 0}, {"2", 2}, {"100000", CBackgroundMuseum::kMaxDustLayers}};
    for (const Case& c : cases)
    {
        CBackgroundMuseum scene;
        scene.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        scene.LoadSettings(Cfg(std::string("[Museum]\nDustLayersCount=") + c.count + "\n").c_str());
        scene.Init();
        EXPECT_EQ(scene.dustLayersCount, c.layers) << c.count;
        EXPECT_EQ(scene.dustVertices.size(), size_t(4 * c.layers)) << c.count;
        rec.ClearCalls();
        const DWORD cursor = rec.vertexBuffer->cursor;
        EXPECT_EQ(scene.Render(), 0);
        EXPECT_EQ(rec.Draws().size(), c.layers ? 1u : 0u) << c.count;
        EXPECT_EQ(rec.vertexBuffer->cursor, cursor + DWORD(4 * c.layers)) << c.count;
    }
}

TEST_F(MuseumScene, RaysTurnOnceInTwelveSecondsAndThePaintingStaysBehind)
{
    Pictures({"Museum.jpg", "MuseumDust.tga", "MuseumDust_alpha.tga", "MuseumDustMask.tga", "MuseumFlareRays.tga",
              "MuseumFlareRays_alpha.tga"});
    Make(NoCfg());
    EXPECT_TRUE(museum.LoadTextures(folder));
    museum.Start();
    ASSERT_EQ(Shapes(), 2u);
    const CSpriteShape& rays = *museum.flareRaysShape;
    EXPECT_FLOAT_EQ(rays.position.x, -221.0f);
    EXPECT_FLOAT_EQ(rays.position.y, 171.0f);
    EXPECT_EQ(rays.colour >> 24, 200u);
    for (int i = 0; i < 600; ++i)
        list->UpdateAll(0.01f, 0);
    EXPECT_NEAR(rays.angle, 3.14159265f, 1e-3f); // half a turn in six seconds
    for (int i = 0; i < 600; ++i)
        list->UpdateAll(0.01f, 0);
    EXPECT_NEAR(std::fmod(rays.angle + 0.5f, 6.2831853f) - 0.5f, 0.0f, 1e-3f);
    EXPECT_EQ(museum.backgroundShape->zOrder, 100);
    EXPECT_EQ(museum.backgroundShape->blended, 0);

    // Leaving the scene takes its shapes and textures away; the dust keeps its place.
    const CUV dust = museum.dustOffsets[1];
    museum.UnloadTextures();
    museum.Stop();
    EXPECT_EQ(Shapes(), 0u);
    EXPECT_EQ(rec.device->FindTexture("MuseumDust"), -1);
    EXPECT_FLOAT_EQ(museum.dustOffsets[1].u, dust.u);
}

TEST_F(MuseumScene, DustIsDrawnThroughItsMaskAndDepthWritingComesBackOn)
{
    Make(NoCfg());
    rec.device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    rec.ClearCalls();
    ASSERT_EQ(museum.Render(), 0);
    const auto draws = rec.Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].vertexCount, 16u);
    EXPECT_EQ(draws[0].primitives, 8u);
    EXPECT_EQ(draws[0].State(D3DRS_ZWRITEENABLE), 0);
    EXPECT_EQ(draws[0].State(D3DRS_DESTBLEND), D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(draws[0].State(D3DRS_ALPHAREF), 1);
    EXPECT_FLOAT_EQ(draws[0].vertices[0].z, 998.0f);
    EXPECT_EQ(rec.device->renderState[D3DRS_ZWRITEENABLE], 1u);
    EXPECT_EQ(rec.device->stageState[1][D3DTSS_COLOROP], DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(rec.device->stageState[0][D3DTSS_COLOROP], DWORD(D3DTOP_MODULATE));

    // A buffer that will not lock: its result comes back, nothing drawn, nothing left locked.
    rec.indexBuffer->ReleaseBuffer();
    rec.ClearCalls();
    EXPECT_LT(museum.Render(), 0);
    EXPECT_TRUE(rec.Draws().empty());
    EXPECT_EQ(rec.vertexBuffer->locks, 0);
}

} // namespace
