// The gem: its pictures by kind, its glow on the board, hiding and showing,
// and the collection flight to the gem bar with its events.
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"

#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The four corners of a shape's frame 0 as (left, top, right, bottom).
struct Rect
{
    float l, t, r, b;
};

Rect Frame0(const CSpriteShape& s)
{
    return Rect{s.frames[0].u, s.frames[0].v, s.frames[2].u, s.frames[2].v};
}

bool InList(const CRefPtr<CSpriteList>& list, const CRefPtr<CSpriteShape>& shape)
{
    for (const auto* part : {&list->visibleList, &list->hiddenList})
        for (const CRefPtr<CSpriteShape>& s : *part)
            if (s == shape)
                return true;
    return false;
}

class GemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
        crt::srand(11);
        boardList = CRefPtr<CSpriteList>(new CSpriteList({}, {}, {}));
        flightList = CRefPtr<CSpriteList>(new CSpriteList({}, {}, {}));
        boardBatch = CRefPtr<CSpriteBatch>(new CSpriteBatch({}, {}, {}));
        flightBatch = CRefPtr<CSpriteBatch>(new CSpriteBatch({}, {}, {}));
        particles = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager({}, {}, {}));
        manager.SetRenderers(boardList, boardBatch, {}, flightList, particles, flightBatch, {});
    }
    void TearDown() override { MutableGemSettings() = GemSettings(); }

    CRefPtr<CBonusGem> MakeGem(int kind)
    {
        CRefPtr<CBonus> made;
        manager.CreateGem(made, kind, 1);
        return made.DynamicCast<CBonusGem>();
    }

    CRefPtr<CSpriteList> boardList, flightList;
    CRefPtr<CSpriteBatch> boardBatch, flightBatch;
    CRefPtr<CParticleSystemsManager> particles;
    CBonusManager manager;
};

TEST_F(GemTest, PicturesAndSpinByKind)
{
    const struct
    {
        int kind;
        Rect halo, gem;
        float spin;
    } cases[] = {
        {0, {0, 0, 0.25f, 0.5f}, {0, 0, 0.1875f, 0.375f}, 0.7853982f},
        {3, {0.75f, 0, 1, 0.5f}, {0.5625f, 0, 0.75f, 0.375f}, 0.9424779f},
        {6, {0.5f, 0.5f, 0.75f, 1.0f}, {0.375f, 0.375f, 0.5625f, 0.75f}, -1.5707964f},
        {9, {0.75f, 0.5f, 1, 1}, {0.5625f, 0.375f, 0.75f, 0.75f}, 0.9424779f}, // clamped to 7
    };
    for (const auto& c : cases)
    {
        CRefPtr<CBonusGem> gem = MakeGem(c.kind);
        ASSERT_TRUE(gem);
        Rect h = Frame0(*gem->halo);
        EXPECT_FLOAT_EQ(h.l, c.halo.l) << c.kind;
        EXPECT_FLOAT_EQ(h.t, c.halo.t) << c.kind;
        EXPECT_FLOAT_EQ(h.r, c.halo.r) << c.kind;
        EXPECT_FLOAT_EQ(h.b, c.halo.b) << c.kind;
        gem->Activate();
        Rect g = Frame0(*gem->gemShape);
        EXPECT_FLOAT_EQ(g.l, c.gem.l) << c.kind;
        EXPECT_FLOAT_EQ(g.t, c.gem.t) << c.kind;
        EXPECT_FLOAT_EQ(g.r, c.gem.r) << c.kind;
        EXPECT_FLOAT_EQ(g.b, c.gem.b) << c.kind;
        EXPECT_FLOAT_EQ(gem->halo->spinSpeed, c.spin) << c.kind;
        EXPECT_FLOAT_EQ(gem->gemShape->spinSpeed, c.spin) << c.kind;
    }
}

TEST_F(GemTest, SmallFlaresComeAtTheirIntervalAndKeepTheRest)
{
    CRefPtr<CBonusGem> gem = MakeGem(2);
    gem->Place(0, 0, 0, 38, 0, 0);
    boardBatch->sprites.clear();
    gem->Update(0.35f);
    EXPECT_EQ(boardBatch->sprites.size(), 3u);
    EXPECT_NEAR(gem->smallFlareTimer, 0.05f, 1e-5f);
    const CBatchSprite& flare = *boardBatch->sprites[0];
    EXPECT_FLOAT_EQ(flare.holdEnd, 1.0f);
    EXPECT_FLOAT_EQ(flare.fadeInTime, 0.1f);
    EXPECT_FLOAT_EQ(flare.fadeOutTime, 0.2f);
    EXPECT_EQ(flare.flickerAmplitude, 0.0f);
    EXPECT_FLOAT_EQ(flare.corners[0].v, 0.625f);
    EXPECT_FLOAT_EQ(flare.corners[2].v, 0.875f);
}

TEST_F(GemTest, BigFlaresCrossFadeAndTheHaloPulses)
{
    CRefPtr<CBonusGem> gem = MakeGem(1);
    gem->Place(0, 0, 0, 38, 0, 0);
    // A quarter of the 1.5 s flare cycle: both flares at half size, full intensity.
    gem->Update(0.375f);
    for (const CRefPtr<CSpriteShape>& flare : gem->bigFlares)
    {
        EXPECT_NEAR(flare->scaleX, 32.0f, 0.01f);
        EXPECT_FLOAT_EQ(flare->alpha, 1.0f);
    }
    // At the start of a cycle flare 0 is full and flare 1 is a dot fading out.
    gem->Update(1.5f - 0.375f);
    EXPECT_NEAR(gem->bigFlares[0]->scaleX, 64.0f, 0.01f);
    EXPECT_NEAR(gem->bigFlares[1]->scaleX, 0.64f, 0.01f);
    EXPECT_NEAR(gem->bigFlares[1]->alpha, 0.0f, 0.01f);
    // The halo runs from MinIntensity (0) to Intensity (1) every 2 pi / (2 pi) s.
    EXPECT_NEAR(gem->halo->alpha, 0.5f - 0.5f * std::cos(1.5f * 6.2831855f / (2 * 3.1415927f)), 1e-4f);
}

TEST_F(GemTest, HiddenGemStandsStillAndShowGoesOn)
{
    CRefPtr<CBonusGem> gem = MakeGem(4);
    gem->Drop(0, -200, 0, 38, 0, 0, 1, 1.0f);
    gem->Update(0.25f);
    const float y = gem->position[1];
    gem->Hide();
    EXPECT_EQ(gem->halo->visible, 0);
    EXPECT_TRUE(gem->Update(0.5f));
    EXPECT_EQ(gem->position[1], y);
    EXPECT_FLOAT_EQ(gem->clock, 0.25f);
    EXPECT_FLOAT_EQ(gem->smallFlareTimer, 0.05f);
    gem->Show();
    EXPECT_EQ(gem->halo->visible, 1);
    gem->Update(0.25f);
    EXPECT_FLOAT_EQ(gem->motionTime, 0.5f);
    EXPECT_LT(gem->position[1], y);
}

TEST_F(GemTest, FlightToTheBarTakesFlyTimeAndReportsItsArrival)
{
    MutableGemSettings().flyTime = 0.8f;
    CRefPtr<CBonusGem> gem = MakeGem(5);
    gem->Place(100, -100, 10, 38, 2, 3);
    gem->destination[0] = -300.0f;
    gem->destination[1] = 360.0f;
    gem->Activate();
    EXPECT_EQ(gem->state, kBonusEffect);
    ASSERT_EQ(gem->events.size(), 1u);
    EXPECT_EQ(gem->events[0].kind, kBonusEventGemActivated);
    EXPECT_EQ(gem->events[0].value1, 5);
    // The glow moves to the flight layer with the gem picture; a trail follows.
    EXPECT_TRUE(InList(flightList, gem->halo));
    EXPECT_FALSE(InList(boardList, gem->halo));
    EXPECT_TRUE(InList(flightList, gem->gemShape));
    EXPECT_EQ(gem->halo->zOrder, -150);
    EXPECT_TRUE(gem->trail);
    EXPECT_EQ(particles->systems.size(), 1u);
    gem->Activate(); // collected once only
    EXPECT_EQ(gem->events.size(), 1u);
    EXPECT_EQ(flightList->visibleList.size() + flightList->hiddenList.size(), 4u);

    gem->events.clear();
    for (int i = 0; i < 7; ++i)
        gem->Update(0.1f);
    EXPECT_EQ(gem->state, kBonusEffect);
    EXPECT_TRUE(gem->events.empty());
    EXPECT_FLOAT_EQ(gem->position[2], -150.0f); // flying at the collection depth
    EXPECT_TRUE(gem->Update(0.1f));
    EXPECT_EQ(gem->state, kBonusCollected);
    EXPECT_FLOAT_EQ(gem->position[0], -300.0f);
    EXPECT_FLOAT_EQ(gem->position[1], 360.0f);
    ASSERT_EQ(gem->events.size(), 1u);
    EXPECT_EQ(gem->events[0].kind, kBonusEventGemArrived);
    EXPECT_EQ(gem->events[0].value1, 5);
    EXPECT_EQ(particles->systems.size(), 2u); // the arrival burst
    // The board marks a counted gem done; the manager then lets it go.
    gem->state = kBonusDone;
    EXPECT_FALSE(gem->Update(0.1f));
}

TEST_F(GemTest, ShowingAHiddenFlyingGemReplacesItsTrail)
{
    CRefPtr<CBonusGem> gem = MakeGem(0);
    gem->Place(0, 0, 0, 38, 0, 0);
    gem->Hide();
    gem->Activate();
    CRefPtr<CParticleSystem> first = gem->trail;
    gem->Show();
    ASSERT_TRUE(gem->trail);
    EXPECT_FALSE(gem->trail == first);
    EXPECT_EQ(particles->systems.size(), 2u);
}

TEST_F(GemTest, DestroyedGemTakesItsShapesOffTheLists)
{
    CRefPtr<CBonusGem> gem = MakeGem(3);
    manager.ClearBonuses();
    const size_t shapes = boardList->visibleList.size() + boardList->hiddenList.size();
    EXPECT_EQ(shapes, 3u); // halo and two big flares
    gem.Reset();
    EXPECT_TRUE(boardList->visibleList.empty());
    EXPECT_TRUE(boardList->hiddenList.empty());
}

} // namespace
