// Particle records: how each class is born and moves under the environment.
#include "EffectsTestUtil.h"
#include "effects/Particle.h"
#include "effects/ParticleEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace effects_test;

namespace
{

const Vec3 kOrigin{0.0f, 0.0f, 0.0f};

} // namespace

TEST(Particle, SparkFallsUnderScaledGravityAndFadesToZero)
{
    CParticleEnvironment env;
    struct Case
    {
        float gravityScale;
        float expectedVy; // after 1 s
        float expectedY;
    };
    // Ten steps of 0.1 s: position moves by the old velocity, then gravity acts.
    // y = 0.1 * sum(2 - 0.98 k * scale), k = 0..9.
    const Case cases[] = {{1.0f, 2.0f - 9.8f, 0.1f * (20.0f - 0.98f * 45.0f)},
                          {-0.5f, 2.0f + 4.9f, 0.1f * (20.0f + 0.49f * 45.0f)},
                          {0.0f, 2.0f, 2.0f}};
    for (const Case& c : cases)
    {
        CSpark spark;
        spark.Spawn(0xFF112233u, 0.75f, kOrigin, Vec3{1.0f, 2.0f, 0.0f}, 0.005f, 1.5f, 0.02f);
        spark.gravityScale = c.gravityScale;
        EXPECT_EQ(spark.colour, 0x112233u);
        for (int i = 0; i < 10; ++i)
            spark.Update(0.1f, env);
        EXPECT_NEAR(spark.velocity.y, c.expectedVy, 1e-4f) << c.gravityScale;
        EXPECT_NEAR(spark.position.y, c.expectedY, 1e-4f) << c.gravityScale;
        EXPECT_NEAR(spark.position.x, 1.0f, 1e-5f);
        EXPECT_NEAR(spark.life, 0.25f, 1e-5f);
        // A spark with fade rate 0.75 lives 1 / 0.75 s; its life stops at 0.
        for (int i = 0; i < 10; ++i)
            spark.Update(0.1f, env);
        EXPECT_EQ(spark.life, 0.0f);
    }
}

TEST(Particle, SmokeAndFireballDragSlowThemAndNeverTurnThemBack)
{
    CParticleEnvironment env;
    crt::srand(7);
    CSmoke smoke;
    smoke.Spawn(0x808080u, 0.0f, kOrigin, Vec3{0.3f, 0.4f, 0.0f}, 0.01f, 0.2f, 0.1f, 0.1f);
    float expectedSpeed = 0.5f;
    float expectedY = 0.0f;
    float expectedSize = 0.01f;
    float growth = 0.2f;
    for (int i = 0; i < 20; ++i)
    {
        expectedY += (0.8f * expectedSpeed + 0.1f) * 0.1f; // the rise adds to the drifting velocity
        smoke.Update(0.1f, env);
        expectedSpeed *= 1.0f - 0.1f * 0.5f;
        expectedSize += growth * 0.1f;
        growth += 0.1f * 0.1f;
    }
    EXPECT_NEAR(pmath::Length(smoke.velocity), expectedSpeed, 1e-5f);
    EXPECT_NEAR(smoke.position.y, expectedY, 1e-5f);
    EXPECT_NEAR(smoke.size, expectedSize, 1e-5f);

    // Fireball drag 4.5 over a quarter second would reverse the motion: it stops instead,
    // and spin damping 1.5 over a whole second stops the spin rather than reversing it.
    CFireball ball;
    ball.Spawn(0xFFFFFFu, 2.0f, kOrigin, Vec3{0.0f, 5.0f, 0.0f}, 0.01f, 0.25f, 0.0f);
    ball.Update(0.25f, env);
    EXPECT_NEAR(ball.position.y, 1.25f, 1e-6f);
    EXPECT_EQ(pmath::Length(ball.velocity), 0.0f);
    EXPECT_EQ(ball.alpha, 0.5f);
    ball.angularSpeed = 300.0f;
    ball.Update(1.0f, env);
    EXPECT_EQ(ball.angularSpeed, 0.0f);
    EXPECT_EQ(ball.alpha, 0.0f);
}

TEST(Particle, SmokeFadeInSpendsTheTimePastThePeakOnFadingOut)
{
    CParticleEnvironment env;
    CSmoke smoke;
    smoke.Spawn(0xFFFFFFu, 0.75f, kOrigin, kOrigin, 0.01f, 0.0f, 0.0f, 0.0f);
    // What the smokes system does for a fade-in rate of 2.
    smoke.secondFadeRate = smoke.fadeRate;
    smoke.fadeRate = -2.0f;
    smoke.alpha = 0.00001f;
    smoke.Update(0.3f, env);
    EXPECT_NEAR(smoke.alpha, 0.60001f, 1e-5f);
    // 0.2 s reach the peak, the other 0.1 s already fade out at 0.75 per second.
    smoke.Update(0.3f, env);
    EXPECT_NEAR(smoke.alpha, 1.0f - 0.075f, 1e-5f);
    EXPECT_EQ(smoke.fadeRate, 0.75f);
    smoke.Update(1.0f, env);
    EXPECT_NEAR(smoke.alpha, 0.175f, 1e-5f);
    smoke.Update(1.0f, env);
    EXPECT_EQ(smoke.alpha, 0.0f);
}

TEST(Particle, AnglesWrapIntoOneTurn)
{
    struct Case
    {
        float in, out;
    };
    const Case cases[] = {{-10.0f, 1014.0f}, {1030.0f, 6.0f}, {0.0f, 0.0f},
                          {1023.5f, 1023.5f}, {-1024.0f, 0.0f}, {2050.0f, 2.0f}};
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(pmath::WrapAngle(c.in), c.out) << c.in;

    CParticleEnvironment env;
    CSpell spell;
    spell.Spawn(0xFFFFFFu, 0.5f, kOrigin, kOrigin, 0.1f, 1000.0f, 300.0f);
    spell.Update(0.1f, env);
    EXPECT_FLOAT_EQ(spell.angle, 6.0f);
}

TEST(Particle, RandomOfExactlyOneNeverIndexesPastATable)
{
    struct Case
    {
        float r;
        int n, expected;
    };
    const Case cases[] = {{1.0f, 16, 15}, {0.0f, 16, 0}, {0.999f, 16, 15}, {0.5f, 16, 8},
                          {1.0f, 1024, 1023}, {1.0f, 1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(pmath::RandomIndex(c.r, c.n), c.expected) << c.r << " of " << c.n;

    // The smoke puff's first draw is its angle, the thunderbolt point's its atlas frame.
    crt::srand(SeedForNextRand(32767));
    CSmoke smoke;
    smoke.Spawn(0, 1.0f, kOrigin, kOrigin, 0.01f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(smoke.angle, 1023.0f);

    crt::srand(SeedForNextRand(32767));
    CThunderbolt point;
    point.Spawn(0, kOrigin, 0.1f, 0.01f);
    EXPECT_EQ(point.frame, 15.0f);

    // A frame that rounds up to 16 is drawn from the first cell, as the frame wraps.
    CParticleEnvironment env;
    float u, v;
    env.Cell(15.7f, u, v);
    EXPECT_EQ(u, 0.0f);
    EXPECT_EQ(v, 0.0f);
    env.Cell(6.0f, u, v);
    EXPECT_EQ(u, 0.5f);
    EXPECT_EQ(v, 0.25f);
}

TEST(Particle, ThunderboltPointJumpsEveryUpdateOfATwentiethOrLonger)
{
    CParticleEnvironment env;
    crt::srand(11);
    CThunderbolt point;
    const Vec3 place{1.0f, 2.0f, 3.0f};
    point.Spawn(0xFF00FFu, place, 0.5f, 0.01f);
    EXPECT_EQ(point.colour, 0xFF00FFu);
    for (int i = 0; i < 200; ++i)
    {
        Vec3 before = point.jitter;
        point.Update(0.05f, env);
        EXPECT_NEAR(pmath::Length(pmath::Sub(point.jitter, place)), 0.5f, 1e-5f);
        EXPECT_TRUE(before.x != point.jitter.x || before.y != point.jitter.y);
        EXPECT_GE(point.brightness, 0.75f);
        EXPECT_LE(point.brightness, 1.0f);
    }
    // With steps of 0.01 s it jumps in about one update of five.
    int jumps = 0;
    for (int i = 0; i < 1000; ++i)
    {
        Vec3 before = point.jitter;
        point.Update(0.01f, env);
        jumps += (before.x != point.jitter.x) ? 1 : 0;
    }
    EXPECT_GT(jumps, 150);
    EXPECT_LT(jumps, 250);

    // Moving the point moves where it is drawn.
    point.MoveBy(1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(pmath::Length(pmath::Sub(point.jitter, Vec3{2.0f, 2.0f, 3.0f})), 0.5f, 1e-5f);
}

TEST(Particle, SpellFadesInHoldsItsFadeAndIsDone)
{
    CParticleEnvironment env;
    // Fade-in from phase 0 at phase rate 5, then a steady fade of 0.5 per second.
    CSpell spell;
    spell.Spawn(0xFFFFFFu, 0.5f, kOrigin, Vec3{1.0f, 0.0f, 0.0f}, 0.1f, 0.0f, 0.0f);
    EXPECT_EQ(spell.alpha, 1.0f);
    EXPECT_EQ(spell.phaseRate, 5.0f);
    spell.phase = 0.0f;
    spell.Update(0.1f, env);
    EXPECT_NEAR(spell.alpha, 0.5f, 1e-6f);
    spell.Update(0.15f, env); // 0.05 s past the fade-in already fade out
    EXPECT_NEAR(spell.alpha, 1.0f - 0.5f * 0.05f, 1e-5f);
    EXPECT_EQ(spell.phase, 1.0f);
    EXPECT_EQ(spell.done, 0u);
    spell.Update(1.0f, env);
    EXPECT_NEAR(spell.alpha, 0.475f, 1e-5f);
    spell.Update(1.0f, env);
    EXPECT_EQ(spell.alpha, 0.0f);
    EXPECT_EQ(spell.done, 1u);
    EXPECT_NEAR(spell.position.x, 2.25f, 1e-5f); // no gravity

    // Converging: fades in at 0.5 per second from phase 2, then out at the phase rate.
    CSpell converging;
    converging.Spawn(0xFFFFFFu, -0.5f, kOrigin, kOrigin, 0.1f, 0.0f, 0.0f);
    converging.phase = 2.0f;
    EXPECT_EQ(converging.alpha, 0.0f);
    for (int i = 0; i < 19; ++i)
        converging.Update(0.1f, env);
    EXPECT_NEAR(converging.alpha, 0.95f, 1e-4f);
    converging.Update(0.2f, env); // passes full opacity by 0.05: 0.1 s of fading out at rate 5
    EXPECT_LT(converging.phase, 0.0f);
    EXPECT_NEAR(converging.alpha, 0.5f, 2e-3f);
    EXPECT_EQ(converging.done, 0u);
    converging.Update(0.05f, env);
    EXPECT_NEAR(converging.alpha, 0.25f, 2e-3f);
    converging.Update(0.1f, env);
    EXPECT_EQ(converging.alpha, 0.0f);
    EXPECT_EQ(converging.done, 1u);
}
