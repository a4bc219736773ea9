// The multi-origin keeper (streams from many points), the sprite-burst keeper
// (a laid-out set thrown at once), the crack keeper (a picture cut into
// jittered pieces that burst outward and fall) and the vortex keeper (sprites
// born on a ring and whirled about the axis, fading in, holding and fading out).
#include "EffectsTestUtil.h"

#include "effects/CollectionParticleSystem.h"
#include "effects/MultiOriginSystemKeeper.h"
#include "effects/SimpleSpriteSystemKeeper.h"
#include "effects/SpriteCrackKeeper.h"
#include "effects/VortexKeeper.h"
#include "platform/crt.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using effects_test::MakeSystem;

// A piece's corner in picture units.
Vec3 CornerOf(const CSpriteCrackKeeper& k, const CSpriteCrackKeeper::Piece& p, int corner)
{
    return Vec3{p.centreX + p.corner[corner][0] * k.cellWidth, p.centreY + p.corner[corner][1] * k.cellHeight, 0.0f};
}

TEST(CrackKeeper, OnePieceIsTheWholeRectangle)
{
    CSpriteCrackKeeper k;
    k.SetParams(2.0f, 4.0f, 0.25f, 0.5f, 0.75f, 1.0f, 1, 1, 0.25f);
    k.GeneratePieces();
    ASSERT_EQ(1u, k.pieces.size());
    const CSpriteCrackKeeper::Piece& p = k.pieces[0];
    EXPECT_FLOAT_EQ(0.0f, p.centreX);
    EXPECT_FLOAT_EQ(0.0f, p.centreY);
    const float corners[4][2] = {{-0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}, {-0.5f, -0.5f}};
    const float uvs[4][2] = {{0.25f, 0.5f}, {0.75f, 0.5f}, {0.75f, 1.0f}, {0.25f, 1.0f}};
    for (int c = 0; c < 4; ++c)
    {
        EXPECT_FLOAT_EQ(corners[c][0], p.corner[c][0]) << c;
        EXPECT_FLOAT_EQ(corners[c][1], p.corner[c][1]) << c;
        EXPECT_FLOAT_EQ(uvs[c][0], p.uv[c][0]) << c;
        EXPECT_FLOAT_EQ(uvs[c][1], p.uv[c][1]) << c;
    }
}

TEST(CrackKeeper, JitteredPiecesShareCornersAndKeepTheOutline)
{
    crt::srand(11);
    CSpriteCrackKeeper k;
    k.SetParams(0.5f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 4, 3, 0.4f);
    k.GeneratePieces();
    ASSERT_EQ(12u, k.pieces.size());
    bool moved = false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
        {
            const auto& p = k.pieces[size_t(r * 4 + c)];
            if (c + 1 < 4)
            {
                // top-right and bottom-right of a piece are top-left and bottom-left of the next.
                const auto& q = k.pieces[size_t(r * 4 + c + 1)];
                EXPECT_NEAR(CornerOf(k, p, 1).x, CornerOf(k, q, 0).x, 1e-5f);
                EXPECT_NEAR(CornerOf(k, p, 2).y, CornerOf(k, q, 3).y, 1e-5f);
            }
            if (r + 1 < 3)
            {
                const auto& q = k.pieces[size_t((r + 1) * 4 + c)];
                EXPECT_NEAR(CornerOf(k, p, 3).x, CornerOf(k, q, 0).x, 1e-5f);
                EXPECT_NEAR(CornerOf(k, p, 2).y, CornerOf(k, q, 1).y, 1e-5f);
            }
            if (c == 0)
            {
                EXPECT_FLOAT_EQ(-0.5f, CornerOf(k, p, 0).x);
            }
            if (r == 0)
            {
                EXPECT_FLOAT_EQ(0.5f, CornerOf(k, p, 0).y);
            }
            if (c > 0 && r > 0)
                moved |= std::fabs(CornerOf(k, p, 0).x - (-0.5f + 0.25f * float(c))) > 1e-4f;
        }
    EXPECT_TRUE(moved);
}

TEST(CrackKeeper, EveryPieceLeavesOnceThenFallsBelowTheFloor)
{
    for (int capacity : {40, 4})
    {
        SCOPED_TRACE(capacity);
        crt::srand(3);
        CRefPtr<CSpriteCrackKeeper> k(new CSpriteCrackKeeper);
        k->SetParams(88.0f, 92.0f, 0.0f, 0.0f, 0.34375f, 0.359375f, 3, 3, 0.25f);
        k->floor = -400.0f;
        k->gravity = 2500.0f;
        k->speedBase = 500.0f;
        k->speedSpread = 150.0f;
        k->GeneratePieces();
        CCollection2Parametres block(10.0f, 20.0f, 0.0f, nullptr, CRefPtr<CCollection2Keeper>(k), 2);
        block.keeperEmission = 1;
        auto system = MakeSystem<CCollection2ParticleSystem>(block, capacity);
        system->Update(0.0f);
        // A system smaller than the picture takes what fits; no piece is handed out twice.
        EXPECT_EQ(capacity >= 9 ? 9 : capacity, k->nextPiece);
        for (int i = 0; i < 5; ++i)
            system->Update(0.0f);
        EXPECT_EQ(9, k->nextPiece);
        EXPECT_EQ(1, k->done);
        CCollectedParticle2 spare;
        EXPECT_EQ(0, k->InitParticle(0, spare, 0, 0, 0));
        EXPECT_EQ(0u, spare.alive);
        for (int i = 0; i < 200; ++i)
            system->Update(0.02f);
        int alive = 0;
        for (const CCollectedParticle2& p : system->particles)
            alive += p.alive ? 1 : 0;
        EXPECT_EQ(0, alive);
    }
}

TEST(VortexKeeper, EmitsAtItsRateAndTheFramesResetAsAsked)
{
    CVortexKeeper k;
    int emitted[4];
    for (int& n : emitted)
        n = k.GetEmitCount(0.05f);
    EXPECT_EQ(0, emitted[0]);
    EXPECT_EQ(1, emitted[1]);
    EXPECT_EQ(0, emitted[2]);
    EXPECT_EQ(1, emitted[3]);
    k.emissionRate = -5.0f;
    EXPECT_EQ(0, k.GetEmitCount(1.0f));

    k.Reset(CVortexKeeper::kTwelveFramesTrimmed);
    ASSERT_EQ(12u, k.frames.size());
    EXPECT_FLOAT_EQ(0.25f - 0.015625f, k.frames[5].left);
    EXPECT_FLOAT_EQ(1.0f - 0.0625f, k.frameScales[5].width);
    EXPECT_FLOAT_EQ(0.75f - 0.0078125f, k.frames[6].right);
    k.Reset(7);
    EXPECT_EQ(12u, k.frames.size());
    k.Reset(CVortexKeeper::kSingleFrame);
    ASSERT_EQ(1u, k.frames.size());
    EXPECT_FLOAT_EQ(1.0f, k.frames[0].right);
}

TEST(VortexKeeper, SpritesFadeInHoldAndFadeOutWhileWhirling)
{
    crt::srand(5);
    CVortexKeeper k;
    k.innerSpeed = k.outerSpeed = 150.0f;
    CCollectedParticle2 p;
    ASSERT_EQ(1, k.InitParticle(0, p, 0.0f, 0.0f, 0.0f));
    const float r = std::sqrt(p.position.x * p.position.x + p.position.y * p.position.y);
    EXPECT_GE(r, 0.5f * k.spawnRadius - 0.01f);
    EXPECT_LE(r, k.spawnRadius + 0.01f);
    EXPECT_FLOAT_EQ(-k.fadeInRate, p.workA);

    const CCollectedParticle2 before = p;
    EXPECT_EQ(1, k.UpdateParticle(0, p, 0.0f, 0, 0, 0));
    EXPECT_EQ(before.position.x, p.position.x);
    EXPECT_EQ(before.alpha, p.alpha);

    p.alpha = 0.95f;
    EXPECT_EQ(1, k.UpdateParticle(0, p, 0.01f, 0, 0, 0));
    // Reached full alpha: holding (or, with a short drawn hold, already fading out).
    EXPECT_GE(p.workA, 0.0f);
    // Inside the outer radius it is driven to the set speed about the axis.
    p.position = Vec3{20.0f, 0.0f, 0.0f};
    p.velocity = Vec3{0.0f, 0.0f, 0.0f};
    p.workA = 0.0f; // holding for a while
    p.workD = 0.5f;
    k.approachRate = 100.0f;
    for (int i = 0; i < 100; ++i)
        k.UpdateParticle(0, p, 0.001f, 0, 0, 0);
    const float d = std::sqrt(p.position.x * p.position.x + p.position.y * p.position.y);
    EXPECT_NEAR(150.0f, (-p.position.y * p.velocity.x + p.position.x * p.velocity.y) / d, 5.0f);
    int alive = 1;
    for (int i = 0; i < 1000 && alive; ++i)
        alive = k.UpdateParticle(0, p, 0.01f, 0, 0, 0);
    EXPECT_EQ(0, alive);
    EXPECT_EQ(0.0f, p.alpha);
}

TEST(VortexKeeper, EqualRadiiAndASpriteOnTheCentreNeverDivideByZero)
{
    crt::srand(9);
    CVortexKeeper k;
    k.SetParams(30.0f, 30.0f, 100.0f, 300.0f, 16.0f);
    CCollectedParticle2 p;
    k.InitParticle(0, p, 0.0f, 0.0f, 0.0f);
    p.position = Vec3{0.0f, 0.0f, 0.0f};
    k.UpdateParticle(0, p, 0.01f, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.velocity.x));
    p.position = Vec3{29.0f, 0.0f, 0.0f};
    k.UpdateParticle(0, p, 0.01f, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(p.velocity.y));
}

} // namespace

namespace
{

CMultiOriginSystemKeeper::ParticleLook Look(uint32_t colour)
{
    CMultiOriginSystemKeeper::ParticleLook look = CMultiOriginSystemKeeper::kDefaultLook;
    look.colour = colour;
    return look;
}

} // namespace

TEST(MultiOriginKeeper, OriginsAreSetLaidOnARingAndEmitAtTheirRates)
{
    CMultiOriginSystemKeeper k;
    // A fresh origin at rate 10 emits in its first frame, then once a tenth of a second.
    EXPECT_EQ(1, k.GetEmitCount(0.02f));
    EXPECT_EQ(0, k.GetEmitCount(0.02f));
    // An index past the end appends at the end.
    k.SetParams(7, Vec3{1, 2, 3}, Vec3{0, 0, 0}, 20.0f, Look(0x80FFFFFF));
    ASSERT_EQ(2u, k.origins.size());
    EXPECT_FLOAT_EQ(1.0f, k.origins[1].offset.x);
    EXPECT_NEAR(128.0f / 255.0f, k.origins[1].alpha, 1e-6f);
    EXPECT_FLOAT_EQ(0.05f, k.origins[1].accumulator);

    for (int i = 0; i < 3; ++i)
        k.SetParams(i + 2, Vec3{0, 0, 0}, Vec3{0, 0, 0}, 10.0f, Look(0xFFFFFFFF));
    ASSERT_EQ(5u, k.origins.size());
    k.AddOrigin(10.0f, 3, 0.0f, 30.0f, 5.0f, Look(0xFFFFFFFF), 1);
    EXPECT_EQ(5u, k.origins.size()); // the first three replaced
    k.AddOrigin(10.0f, 4, 0.0f, 40.0f, 5.0f, Look(0xFFFFFFFF), 0);
    ASSERT_EQ(4u, k.origins.size());
    const float expected[4][2] = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(expected[i][0], k.origins[i].offset.x, 1e-4f) << i;
        EXPECT_NEAR(expected[i][1], k.origins[i].offset.y, 1e-4f) << i;
        EXPECT_NEAR(expected[i][0] / 2.0f, k.origins[i].drift.x, 1e-4f) << i;
        EXPECT_FLOAT_EQ(10.0f, k.origins[i].rate);
    }
    // An origin without a rate stays silent.
    k.SetParams(0, Vec3{0, 0, 0}, Vec3{0, 0, 0}, 0.0f, Look(0xFFFFFFFF));
    k.origins.resize(1);
    EXPECT_EQ(0, k.GetEmitCount(1.0f));
}

TEST(MultiOriginKeeper, ParticlesFadeByTheirSlotTimesAndDieOutsideTheBox)
{
    crt::srand(5);
    CRefPtr<CMultiOriginSystemKeeper> k(new CMultiOriginSystemKeeper);
    k->zVelocityScale = 0.0f;
    k->SetFrameRect(1, 0.5f, 0.0f, 1.0f, 0.5f);
    CCollection2Parametres block(100.0f, 50.0f, 0.0f, nullptr, CRefPtr<CCollection2Keeper>(k), 0);
    block.keeperEmission = 1;
    auto system = MakeSystem<CCollection2ParticleSystem>(block, 16);
    system->Update(0.02f);
    const CCollectedParticle2& p = system->particles[0];
    ASSERT_TRUE(p.alive);
    ASSERT_EQ(1u, k->slotFades.size());
    EXPECT_EQ(0.0f, p.velocity.z);
    EXPECT_TRUE(p.tag == 0 || p.tag == 1);
    const auto& f = k->slotFades[0];
    EXPECT_LT(f.fadeInEnd, f.holdEnd);
    EXPECT_LT(f.holdEnd, f.fadeOutEnd);
    // Fully there while it holds, gone once its fade-out has run.
    CCollectedParticle2 copy = p;
    copy.workC = f.fadeInEnd;
    EXPECT_EQ(1, k->UpdateParticle(0, copy, 0.0f, 0, 0, 0));
    EXPECT_FLOAT_EQ(1.0f, copy.alpha);
    copy.workC = f.fadeOutEnd;
    EXPECT_EQ(0, k->UpdateParticle(0, copy, 0.0f, 0, 0, 0));
    // Outside the box it dies in mid-fade.
    copy = p;
    copy.position.x = 2500.0f;
    EXPECT_EQ(0, k->UpdateParticle(0, copy, 0.0f, 0, 0, 0));
    // A slot the keeper never started ends at once.
    EXPECT_EQ(0, k->UpdateParticle(9, copy, 0.0f, 0, 0, 0));
}

TEST(SimpleSpriteKeeper, LayoutsPlaceTheSpritesAsTheirShapeAsks)
{
    crt::srand(3);
    CSimpleSpriteSystemKeeper k;
    k.GenerateLayout2(10.0f, 4, 0.0f);
    ASSERT_EQ(4, k.count);
    ASSERT_EQ(4u, k.sprites.size());
    const float ring[4][3] = {{10, 0, 0}, {0, 10, 256}, {-10, 0, 512}, {0, -10, 768}};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(ring[i][0], k.sprites[i].offset.x, 1e-4f) << i;
        EXPECT_NEAR(ring[i][1], k.sprites[i].offset.y, 1e-4f) << i;
        EXPECT_NEAR(ring[i][2], k.sprites[i].angle, 1e-2f) << i;
        // Each flies outward.
        EXPECT_GT(k.sprites[i].velocity.x * ring[i][0] + k.sprites[i].velocity.y * ring[i][1], 0.0f) << i;
    }
    struct Line
    {
        Vec3 from, to;
        float angle;
    };
    for (const Line& l : {Line{{-5, 0, 0}, {5, 0, 0}, 0.0f}, Line{{5, 0, 0}, {-5, 0, 0}, 512.0f},
                          Line{{0, -5, 0}, {0, 5, 0}, 256.0f}})
    {
        k.GenerateLayout3(l.from, l.to, 3);
        ASSERT_EQ(3u, k.sprites.size());
        for (const auto& s : k.sprites)
            EXPECT_NEAR(l.angle, s.angle, 1e-3f);
        EXPECT_NEAR(0.0f, k.sprites[1].offset.x, 1e-5f); // the middle of the line
    }
    k.GenerateLayout3(Vec3{3, 4, 0}, Vec3{9, 9, 0}, 1);
    ASSERT_EQ(1u, k.sprites.size());
    EXPECT_FLOAT_EQ(3.0f, k.sprites[0].offset.x);
    // Three frames give frames 0..2 only.
    k.SetFrameRect(1, 0, 0, 0.5f, 0.5f);
    k.SetFrameRect(2, 0.5f, 0, 1, 0.5f);
    k.SetParams(40, 84.0f, 84.0f, 10.0f);
    k.GenerateLayout1();
    ASSERT_EQ(40u, k.sprites.size());
    for (const auto& s : k.sprites)
    {
        EXPECT_GE(s.frame, 0);
        EXPECT_LE(s.frame, 2);
    }
}

TEST(SimpleSpriteKeeper, SpraysItsSetOnceAndNeverReadsPastIt)
{
    crt::srand(4);
    // No layout yet: nothing starts and the keeper is done.
    CSimpleSpriteSystemKeeper bare;
    CCollectedParticle2 spare;
    EXPECT_EQ(16, bare.GetEmitCount(0.0f));
    EXPECT_EQ(0, bare.InitParticle(0, spare, 0, 0, 0));
    EXPECT_EQ(0u, spare.alive);
    EXPECT_EQ(1, bare.done);

    CRefPtr<CSimpleSpriteSystemKeeper> k(new CSimpleSpriteSystemKeeper);
    k->floor = -400.0f;
    k->gravity = 2000.0f;
    k->speedBase = 500.0f;
    k->speedSpread = 150.0f;
    k->GenerateLayout2(42.0f, 5, 1.5707964f);
    k->count = 7; // asks for more than the layout holds
    CCollection2Parametres block(0.0f, 0.0f, 0.0f, nullptr, CRefPtr<CCollection2Keeper>(k), 2);
    block.keeperEmission = 1;
    auto system = MakeSystem<CCollection2ParticleSystem>(block, 20);
    system->Update(0.0f);
    EXPECT_EQ(5, k->emitted);
    EXPECT_EQ(1, k->done);
    EXPECT_EQ(0, k->GetEmitCount(0.1f));
    // A sprite at the floor lives; below it, it dies.
    CCollectedParticle2 p = system->particles[0];
    p.velocity = Vec3{0, 0, 0};
    p.position.y = -400.0f;
    EXPECT_EQ(1, k->UpdateParticle(0, p, 0.0f, 0, 0, 0));
    p.position.y = -400.01f;
    EXPECT_EQ(0, k->UpdateParticle(0, p, 0.0f, 0, 0, 0));
    for (int i = 0; i < 200; ++i)
        system->Update(0.02f);
    int alive = 0;
    for (const CCollectedParticle2& q : system->particles)
        alive += q.alive ? 1 : 0;
    EXPECT_EQ(0, alive);
}
