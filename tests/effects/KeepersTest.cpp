// The crack keeper (a picture cut into jittered pieces that burst outward and
// fall) and the vortex keeper (sprites born on a ring and whirled about the
// axis, fading in, holding and fading out).
#include "EffectsTestUtil.h"

#include "effects/CollectionParticleSystem.h"
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
