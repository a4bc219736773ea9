// The valley scene: its perspective is built from the cloud plane, the clouds'
// texture offset wraps once a step, and drawing the clouds under the scene's own
// projection leaves the device's projection as it found it.
#include "backgrounds/BackgroundValley.h"
#include "render/SpriteShape.h"
#include "tests/backgrounds/scene_fixture.h"

namespace {

using scene_test::SceneTest;

class ValleyScene : public SceneTest
{
protected:
    void Make(const std::string& cfg)
    {
        valley.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        valley.SetShared(list, {}, {}, {}, {});
        valley.LoadSettings(cfg.c_str());
        valley.Init();
    }
    CBackgroundValley valley;
};

TEST_F(ValleyScene, PerspectiveIsBuiltFromTheCloudPlane)
{
    Make(NoCfg());
    const float nearPlane = 1112.4f, farPlane = 2734.6f, w = 460.771f, h = 345.578f;
    const D3DMATRIX& m = valley.projection;
    EXPECT_NEAR(m._11, nearPlane / w, 1e-4f);
    EXPECT_NEAR(m._22, nearPlane / h, 1e-4f);
    EXPECT_NEAR(m._33, farPlane / (farPlane - nearPlane), 1e-4f);
    EXPECT_NEAR(m._34, 1.0f, 1e-6f);
    EXPECT_NEAR(m._43, nearPlane * farPlane / (nearPlane - farPlane), 0.05f);
    EXPECT_FLOAT_EQ(m._31, 0.0f);
    EXPECT_FLOAT_EQ(valley.cloudCenter[1], 386.0f);
    EXPECT_FLOAT_EQ(valley.cloudCenter[2], 1236.0f + 625.0f);
    EXPECT_NEAR(valley.flareRaysSpin, -0.103003f, 1e-6f);
    // The mask: the top 248 pixels, its texels out of 256 by 64.
    EXPECT_FLOAT_EQ(valley.maskCenter[1], 260.0f);
    EXPECT_FLOAT_EQ(valley.maskTexRect[3], 62.0f / 64.0f);
}

TEST_F(ValleyScene, CloudOffsetWrapsOnceAStepAndDriftsBothWays)
{
    struct Case
    {
        const char* speed;
        float start, expectedU, expectedV;
    } cases[] = {
        {"0.1", 0.95f, 0.05f, 0.0f},         // v defaults to 0
        {"-0.4 0.25", 0.1f, 0.7f, 0.25f},    // below 0 gains 1
        {"1.3 0", 0.9f, 1.2f, 0.0f},         // a step of more than a unit is wrapped once
    };
    for (const Case& c : cases)
    {
        CBackgroundValley scene;
        scene.LoadSettings(Cfg(std::string("[Valley]\nCloudTSpeed=") + c.speed + "\n").c_str());
        scene.Init();
        scene.cloudTexOffset.u = c.start;
        scene.Update(1.0f);
        EXPECT_NEAR(scene.cloudTexOffset.u, c.expectedU, 1e-5f) << c.speed;
        EXPECT_NEAR(scene.cloudTexOffset.v, c.expectedV, 1e-5f) << c.speed;
    }
    // A turn time of 0 leaves the rays standing instead of dividing by it.
    CBackgroundValley still;
    still.LoadSettings(Cfg("[Valley]\nFlareRaysRotT=0\n").c_str());
    EXPECT_FLOAT_EQ(still.flareRaysSpin, 0.0f);
}

TEST_F(ValleyScene, CloudsAreDrawnInPerspectiveAndTheProjectionIsPutBack)
{
    Make(NoCfg());
    valley.Start();
    ASSERT_EQ(Shapes(), 4u);
    // The cloud frame scrolls in place: its corners follow the offset.
    valley.Update(0.5f);
    const CSpriteShape& cloud = *valley.cloudShape;
    EXPECT_NEAR(cloud.frames[0].u, 0.05f, 1e-5f);
    EXPECT_NEAR(cloud.frames[1].u, 0.05f + 0.21f, 1e-5f);
    EXPECT_NEAR(cloud.frames[2].v, 0.125f, 1e-5f);

    D3DMATRIX before{};
    before._11 = 2.0f / 1024.0f;
    before._22 = 2.0f / 768.0f;
    before._33 = 0.5f;
    before._44 = 1.0f;
    rec.device->SetTransform(D3DTS_PROJECTION, &before);
    rec.ClearCalls();
    EXPECT_EQ(valley.Render(), 0);
    D3DMATRIX after{};
    rec.device->device->GetTransform(D3DTS_PROJECTION, &after);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(rec.Calls("SetTransform"), 2);
    // The opaque pass draws the clouds alone, in the horizontal plane at their height.
    const auto draws = rec.Draws();
    ASSERT_GE(draws.size(), 2u);
    EXPECT_EQ(draws[0].primitives, 2u);
    for (const CVertex& v : draws[0].vertices)
        EXPECT_FLOAT_EQ(v.y, 386.0f);
    EXPECT_FLOAT_EQ(draws[0].vertices[0].z, 1236.0f + 1250.0f);

    // Without a sprite list nothing is drawn and the projection is not touched.
    CBackgroundValley bare;
    bare.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
    rec.ClearCalls();
    EXPECT_EQ(bare.Render(), 0);
    EXPECT_EQ(rec.Calls("SetTransform"), 0);
    EXPECT_TRUE(rec.Draws().empty());
}

} // namespace
