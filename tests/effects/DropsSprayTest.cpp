// The drops spray keeper: its pattern, copied patterns, the drops' flight
// angle, the floor, and a keeper without a pattern.
#include "effects/DropsSprayKeeper.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

TEST(DropsSpray, PatternStaysInsideTheSprayAndFliesOutward)
{
    CRefPtr<CDropsSprayKeeper> k(new CDropsSprayKeeper);
    k->speedBase = 300.0f;
    k->speedSpread = 150.0f;
    k->GenerateSpray();
    ASSERT_EQ(16u, k->offsets.size());
    for (size_t i = 0; i < k->offsets.size(); ++i)
    {
        const Vec3& o = k->offsets[i];
        const Vec3& v = k->velocities[i];
        EXPECT_LE(std::fabs(o.x), 42.0f);
        EXPECT_LE(std::fabs(o.y), 42.0f);
        EXPECT_FLOAT_EQ(0.0f, o.z);
        const float speed = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        EXPECT_GE(speed, 150.0f - 1e-3f);
        EXPECT_LE(speed, 450.0f + 1e-3f);
        EXPECT_GE(o.x * v.x + o.y * v.y, 0.0f) << "away from the centre";
    }
    CRefPtr<CDropsSprayKeeper> twin(new CDropsSprayKeeper);
    twin->count = 3;
    twin->colour = 0x123456;
    twin->SetPattern(k);
    EXPECT_EQ(16, twin->count);
    EXPECT_EQ(0x123456u, twin->colour);
    EXPECT_FLOAT_EQ(k->velocities[5].x, twin->velocities[5].x);
}

TEST(DropsSpray, DropsPointAlongTheirFlightAndDieBelowTheFloor)
{
    CDropsSprayKeeper k;
    k.gravity = 0.0f;
    CCollectedParticle2 drop;
    drop.SpawnTextured(0xFFFFFF, 0.0f, 0.0f, 0.0f, 0, 1.0f, 8.0f, 8.0f, 0.0f);
    const struct
    {
        float vx, vy, angle;
    } cases[] = {{0, 1, 512}, {0, -1, 0}, {1, 0, 256}, {-1, 0, 768}, {0, 0, 0}};
    for (const auto& c : cases)
    {
        drop.position = Vec3{0.0f, 0.0f, 0.0f};
        drop.velocity = Vec3{c.vx, c.vy, 0.0f};
        EXPECT_EQ(1, k.UpdateParticle(0, drop, 0.001f, 0, 0, 0));
        EXPECT_NEAR(c.angle, drop.angle, 1e-3f) << c.vx << "," << c.vy;
    }
    drop.position = Vec3{0.0f, k.floor, 0.0f};
    drop.velocity = Vec3{0.0f, 0.0f, 0.0f};
    EXPECT_EQ(1, k.UpdateParticle(0, drop, 0.1f, 0, 0, 0)) << "on the floor, still alive";
    drop.velocity.y = -1.0f;
    EXPECT_EQ(0, k.UpdateParticle(0, drop, 0.1f, 0, 0, 0));
}

TEST(DropsSpray, NoPatternNoDrops)
{
    CDropsSprayKeeper k;
    EXPECT_EQ(0, k.GetEmitCount(0.1f)) << "neither GenerateSpray nor SetPattern ran";
    k.count = 0;
    k.GenerateSpray();
    EXPECT_TRUE(k.offsets.empty());
    EXPECT_EQ(0, k.GetEmitCount(0.1f));
    k.count = 2;
    k.GenerateSpray();
    EXPECT_EQ(2, k.GetEmitCount(0.1f));
    CCollectedParticle2 drop;
    k.InitParticle(0, drop, 0, 0, 0);
    k.InitParticle(1, drop, 0, 0, 0);
    EXPECT_EQ(1, k.done);
    EXPECT_EQ(0, k.GetEmitCount(0.1f));
}

} // namespace
