// The five built-in systems: emission clock, slot reuse, the box, movement.
#include "EffectsTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace effects_test;
using pmath::Length;
using pmath::Sub;

namespace
{

CSparksSpringParametres SlowSparks()
{
    CSparksSpringParametres block(Vec3{0, 0, 0}, Vec3{0.0f, 1.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f},
                                  0.5f, 0.5f, 0xFFFFFFFFu);
    block.fadeRate = 0.1f;
    return block;
}

} // namespace

TEST(EmissionClock, TimedAndUntimedCounts)
{
    struct Case
    {
        const char* name;
        int32_t timed;
        float duration;
        int32_t count;
        float rate;
        float dt;
        std::vector<int> born; // per update
        std::vector<int> emitting; // after each update
    };
    const Case cases[] = {
        // The fraction stays in the accumulator; emission ends in the update reaching 0.5 s.
        {"timed", 1, 1.5f, 0, 4.0f, 0.375f, {1, 2, 1, 2, 0}, {1, 1, 1, 0, 0}},
        // The last update is cut back to the end of the duration (0.125 of its 0.25 s).
        {"timed cut", 1, 0.375f, 0, 8.0f, 0.25f, {2, 1, 0}, {1, 0, 0}},
        // Exactly the count, then emission ends when the next batch finds the budget empty.
        {"untimed", 0, 0.0f, 6, 8.0f, 0.1875f, {1, 2, 1, 2, 0}, {1, 1, 1, 1, 0}},
    };
    for (const Case& c : cases)
    {
        CSparksSpringParametres block = SlowSparks();
        block.timed = c.timed;
        block.duration = c.duration;
        block.count = c.count;
        block.rate = c.rate;
        crt::srand(3);
        auto sparks = MakeSystem<CSparksParticleSystem>(block, 200);
        int before = 0;
        for (size_t i = 0; i < c.born.size(); ++i)
        {
            sparks->Update(c.dt);
            int now = CountAlive(*sparks);
            EXPECT_EQ(now - before, c.born[i]) << c.name << " update " << i;
            EXPECT_EQ(sparks->emitting, c.emitting[i]) << c.name << " update " << i;
            EXPECT_EQ(sparks->liveCount, now) << c.name;
            before = now;
        }
    }
}

TEST(EmissionClock, StopEmissionEndsOnlyTimedEmission)
{
    CSparksSpringParametres block = SlowSparks();
    block.rate = 8.0f;
    auto timed = MakeSystem<CSparksParticleSystem>(block, 50);
    timed->Update(0.25f);
    timed->StopEmission();
    timed->Update(0.25f);
    EXPECT_EQ(timed->emitting, 0);
    EXPECT_EQ(CountAlive(*timed), 2);

    block.timed = 0;
    auto untimed = MakeSystem<CSparksParticleSystem>(block, 50);
    untimed->Update(0.25f);
    untimed->StopEmission();
    untimed->Update(0.25f);
    EXPECT_EQ(untimed->emitting, 1);
    EXPECT_EQ(CountAlive(*untimed), 4);
}

TEST(SlotReuse, FreeSlotsFirstThenOverwriteFromSlotZero)
{
    CSparksSpringParametres block = SlowSparks();
    block.timed = 0;
    block.count = 1000;
    block.rate = 40.0f;
    auto sparks = MakeSystem<CSparksParticleSystem>(block, 10);
    // Slots 0 to 7 hold old sparks, marked by their low life.
    for (int i = 0; i < 8; ++i)
    {
        sparks->particles[i].Spawn(0, 0.0f, Vec3{0, 0, 0}, Vec3{0, 0, 0}, 0.005f, 1.5f, 0.02f);
        sparks->particles[i].life = 0.5f;
    }
    sparks->highWater = 8;
    sparks->Update(0.125f); // 5 sparks due
    std::vector<int> fresh;
    for (int i = 0; i < 10; ++i)
        if (sparks->particles[i].life > 0.9f)
            fresh.push_back(i);
    EXPECT_EQ(fresh, (std::vector<int>{0, 1, 2, 8, 9}));
    EXPECT_EQ(sparks->highWater, 10);
    EXPECT_EQ(sparks->liveCount, 10);

    // Twelve due on ten slots: ten are made, every slot overwritten once.
    for (CSpark& s : sparks->particles)
        s.life = 0.5f;
    sparks->Update(0.3f);
    int overwritten = 0;
    for (const CSpark& s : sparks->particles)
        overwritten += s.life > 0.9f ? 1 : 0;
    EXPECT_EQ(overwritten, 10);
    EXPECT_EQ(sparks->budget, 1000 - 5 - 12);
}

TEST(SlotReuse, ASparkLeavingTheBoxDiesInTheSameUpdateAndLowersTheMark)
{
    CSparksSpringParametres block(Vec3{999.0f, 0, 0}, Vec3{100.0f, 0, 0}, Vec3{0, 1.0f, 0}, 0.0f,
                                  0.0f, 0xFFFFFFu);
    block.timed = 0;
    block.count = 1;
    block.rate = 10.0f;
    auto sparks = MakeSystem<CSparksParticleSystem>(block, 4);
    EXPECT_EQ(sparks->Update(0.1f), 1); // still emitting
    EXPECT_EQ(sparks->liveCount, 0);
    EXPECT_EQ(sparks->highWater, 0);
    EXPECT_EQ(sparks->particles[0].alive, 0u);
    EXPECT_EQ(sparks->Update(0.1f), 0); // budget spent, nothing alive: the system ends
}

TEST(Sparks, NewSparkGravityScaleAndMoveBy)
{
    CSparksSpringParametres block = SlowSparks();
    block.rate = 8.0f;
    auto sparks = MakeSystem<CSparksParticleSystem>(block, 20);
    sparks->newSparkGravityScale = -2.0f;
    sparks->Update(0.25f);
    ASSERT_EQ(CountAlive(*sparks), 2);
    EXPECT_EQ(sparks->particles[0].gravityScale, -2.0f);
    Vec3 before = sparks->particles[1].position;
    sparks->MoveBy(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(sparks->origin.x, 1.0f);
    EXPECT_EQ(sparks->particles[1].position.y, before.y + 2.0f);
}

TEST(Smokes, TrailPuffsFillTheLineBetweenOldAndNewOrigin)
{
    CSmokesSpringParametres block(Vec3{0, 0, 0}, Vec3{0, 0, 0}, Vec3{1.0f, 0, 0}, 0.0f, 0.0f,
                                  0.0f, 0.0f, 0x808080u, CSmokesSpringParametres::kTrail);
    block.rate = 40.0f;
    block.rise = 0.0f;
    block.riseSpread = 0.0f;
    auto smokes = MakeSystem<CSmokesParticleSystem>(block, 50);
    smokes->MoveTo(1.0f, 0.0f, 0.0f);
    smokes->Update(0.125f); // five puffs
    std::vector<float> xs;
    for (const CSmoke& p : smokes->particles)
        if (p.alive)
            xs.push_back(p.position.x);
    std::sort(xs.begin(), xs.end());
    ASSERT_EQ(xs.size(), 5u);
    for (int j = 0; j < 5; ++j)
        EXPECT_NEAR(xs[j], 0.2f * (j + 1), 1e-5f);
    EXPECT_EQ(smokes->srcBlend, D3DBLEND_SRCALPHA);
    EXPECT_EQ(smokes->destBlend, D3DBLEND_INVSRCALPHA);
}

TEST(Smokes, BlendModesAndFadeIn)
{
    struct Case
    {
        int32_t flags;
        uint32_t src, dest;
    };
    const Case cases[] = {{0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                          {1, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                          {2, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR},
                          {16 | 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE}};
    for (const Case& c : cases)
    {
        CSmokesSpringParametres block(Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 0, 0}, 0.1f, 0.1f,
                                      0.2f, 0.2f, 0x808080u, c.flags);
        block.fadeInRate = 2.0f;
        block.rate = 8.0f;
        auto smokes = MakeSystem<CSmokesParticleSystem>(block, 10);
        EXPECT_EQ(smokes->srcBlend, c.src) << c.flags;
        EXPECT_EQ(smokes->destBlend, c.dest) << c.flags;
        smokes->Update(0.125f);
        const CSmoke& puff = smokes->particles[0];
        ASSERT_TRUE(puff.alive);
        EXPECT_NEAR(puff.alpha, 0.00001f + 2.0f * 0.125f, 1e-6f); // fading in
        EXPECT_GT(puff.secondFadeRate, 0.0f);
    }
}

TEST(Explosion, OneBurstOfFireballsAroundTheCentre)
{
    for (int32_t mode : {CExplosionParametres::kModeSphere, CExplosionParametres::kModeRing})
    {
        const Vec3 centre{10.0f, 20.0f, 30.0f};
        const Vec3 base{1.0f, 0.0f, 0.0f};
        CExplosionParametres block(centre, base, Vec3{0, 0, 2.0f}, 0.5f, 0.0f, 30, 0xFF8000u, mode);
        EXPECT_EQ(block.axis.z, 1.0f);
        auto boom = MakeSystem<CExplosionParticleSystem>(block, 20);
        EXPECT_EQ(boom->Update(0.0f), 1);
        EXPECT_EQ(boom->emitting, 0);
        EXPECT_EQ(boom->highWater, 20);
        EXPECT_EQ(boom->liveCount, 20);
        EXPECT_EQ(boom->origin.x, 0.0f);
        for (const CFireball& ball : boom->particles)
        {
            EXPECT_LE(Length(Sub(ball.position, centre)), 0.5f + 1e-5f);
            float speed = Length(Sub(ball.velocity, base));
            EXPECT_GE(speed, 0.25f - 1e-5f);
            EXPECT_LE(speed, 0.75f + 1e-5f);
            if (mode == CExplosionParametres::kModeRing)
            {
                EXPECT_NEAR(ball.velocity.z, 0.0f, 1e-5f); // across the axis only
            }
        }
        int updates = 1;
        while (boom->Update(0.1f))
            ++updates;
        EXPECT_LE(updates, 8); // fade 2 +- 0.25: gone within 0.6 s
    }
}

TEST(Thunderbolt, BoltsBetweenTheAreasForTheirDuration)
{
    const Vec3 start{0, 0, 0};
    const Vec3 target{10.0f, 0, 0};
    CThunderboltParametres block(start, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 2.0f, 0.0f, 0.0f, target,
                                 Vec3{0, 1, 0}, Vec3{0, 0, 1}, 4.0f, 0.0f, 0.0f, 4, 3, 0xFF4040FFu);
    block.duration = 1.0f;
    block.startDelay = 0.25f;
    auto bolt = MakeSystem<CThunderboltParticleSystem>(block, 40);
    EXPECT_EQ(bolt->Update(0.125f), 1);
    EXPECT_EQ(bolt->liveCount, 0); // nothing before the delay
    EXPECT_EQ(bolt->Update(0.125f), 1);
    EXPECT_EQ(bolt->highWater, 15);
    EXPECT_EQ(bolt->liveCount, 12);
    for (int b = 0; b < 3; ++b)
    {
        const CThunderbolt& first = bolt->particles[b * 5];
        const CThunderbolt& last = bolt->particles[b * 5 + 4];
        EXPECT_LE(std::fabs(first.jitter.y), 1.0f);
        EXPECT_EQ(first.jitter.x, 0.0f);
        EXPECT_LE(std::fabs(last.jitter.y), 2.0f);
        EXPECT_EQ(last.jitter.x, 10.0f);
        EXPECT_EQ(first.colour, 0x4040FFu);
    }
    // Retarget lays the bolts out at once at the new ends.
    bolt->Retarget(0, 50.0f, 0, 1, 0, 0, 0.0f, 0, 60.0f, 0, 1, 0, 0, 0.0f);
    EXPECT_EQ(bolt->particles[0].jitter.y, 50.0f);
    EXPECT_EQ(bolt->particles[4].jitter.y, 60.0f);
    // A plain move shifts where the bolts start; they reach the new start next update.
    CParticleSystem& asSystem = *bolt;
    asSystem.MoveTo(0, -50.0f, 0);
    EXPECT_EQ(bolt->Update(0.25f), 1);
    EXPECT_EQ(bolt->particles[0].jitter.y, -50.0f);
    EXPECT_EQ(bolt->particles[4].jitter.y, 60.0f);
    // Moving by an offset moves both ends.
    bolt->MoveBy(0, 10.0f, 0);
    EXPECT_EQ(bolt->particles[0].jitter.y, -40.0f);
    EXPECT_EQ(bolt->target.y, 70.0f);
    EXPECT_EQ(bolt->Update(0.25f), 1);
    EXPECT_EQ(bolt->Update(0.25f), 0); // duration reached
}

TEST(Thunderbolt, NeverMoreBoltsThanTheSlotsHold)
{
    CThunderboltParametres block(Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 0.0f, 0.0f, 0.0f,
                                 Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 0.0f, 0.0f, 0.0f, 4,
                                 10, 0xFFFFFFu);
    auto bolt = MakeSystem<CThunderboltParticleSystem>(block, 40);
    EXPECT_EQ(bolt->bolts, 8);
    bolt->Update(0.1f);
    EXPECT_EQ(bolt->highWater, 40);
    EXPECT_EQ(bolt->liveCount, 32);
}

TEST(Spells, SpellsAreBornAlongTheMoveAndConvergeOntoIt)
{
    CSpellsSpringParametres block(Vec3{0, 0, 0}, Vec3{0, 0, 0}, 0.0f, 0.0f, 0.1f, 0.0f,
                                  0xFFFFFFu);
    block.rate = 40.0f;
    block.fadeSpread = 0.0f;
    auto spells = MakeSystem<CSpellsParticleSystem>(block, 20);
    spells->MoveTo(0.0f, 2.0f, 0.0f);
    spells->Update(0.125f);
    std::vector<float> ys;
    for (const CSpell& s : spells->particles)
        if (s.alive)
            ys.push_back(s.position.y);
    std::sort(ys.begin(), ys.end());
    ASSERT_EQ(ys.size(), 5u);
    for (int j = 0; j < 5; ++j)
        EXPECT_NEAR(ys[j], 0.4f * (j + 1), 1e-5f);

    // Converging: a spell starts 1/f + 1/q seconds of flight before the path point,
    // fading in as it comes.
    block.mode = CSpellsSpringParametres::kModeConverging;
    block.velocity = Vec3{1.0f, 0, 0};
    block.phaseStart = 1;
    auto converging = MakeSystem<CSpellsParticleSystem>(block, 20);
    converging->Update(0.125f);
    const CSpell& s = converging->particles[0];
    ASSERT_TRUE(s.alive);
    EXPECT_NEAR(s.position.x, 0.0f - (1.0f / 0.5f + 1.0f / 5.0f) + 0.125f, 1e-5f);
    EXPECT_EQ(s.fadeRate, -0.5f);
    EXPECT_EQ(s.phase, 2.0f);
}
