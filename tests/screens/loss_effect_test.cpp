// The life-lost effect: the heart's flight and burst in time, where it starts, one long
// frame passing it all, a restart in the middle of a run, and the sparks it leaves.
#include <gtest/gtest.h>

#include "effects/ParticleSystemsManager.h"
#include "hud/LossEffect.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

namespace {

class LossEffect : public ::testing::Test
{
protected:
    void SetUp() override { effect.SetResources(sprites, particles, nullptr, CRefPtr<CTexture>(), CRefPtr<CTexture>()); }
    size_t Shown() const { return sprites->visibleList.size() + sprites->hiddenList.size(); }
    int SystemsOf(float rate) const
    {
        int n = 0;
        for (const CRefPtr<CParticleSystem>& system : particles->systems)
            n += dynamic_cast<CSparksParticleSystem*>(system.Get()) && system->rate == rate ? 1 : 0;
        return n;
    }

    CRefPtr<CSpriteList> sprites{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CParticleSystemsManager> particles{
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CLossEffect effect;
};

TEST_F(LossEffect, TheHeartFliesWaitsAndBurstsOnTheDefaultTimes)
{
    effect.Start(0, 1.0f, 2.0f, 3.0f);
    ASSERT_TRUE(effect.heart);
    EXPECT_FLOAT_EQ(effect.settings.from.x, effect.heart->position.x) << "the position given is ignored";
    ASSERT_TRUE(effect.tail);
    EXPECT_FLOAT_EQ(30.0f, effect.tail->rate);
    const struct
    {
        float until;
        int phase;
    } steps[] = {{0.45f, CLossEffect::kFlying}, {0.9f, CLossEffect::kWaiting}, {1.89f, CLossEffect::kWaiting},
                 {1.9f, CLossEffect::kBurst},   {2.89f, CLossEffect::kBurst}};
    float t = 0.0f;
    for (const auto& step : steps)
    {
        EXPECT_EQ(1, effect.Update(step.until - t)) << "at " << step.until;
        t = step.until;
        EXPECT_EQ(step.phase, effect.phase) << "at " << t;
        if (step.until == 0.45f)
        {
            EXPECT_NEAR((effect.settings.from.x + effect.settings.to.x) * 0.5f, effect.heart->position.x, 0.01f);
        }
    }
    EXPECT_FALSE(effect.heart) << "burst";
    EXPECT_EQ(0u, Shown());
    EXPECT_FALSE(effect.tail);
    EXPECT_EQ(1, SystemsOf(300.0f)) << "the burst's shower";
    EXPECT_EQ(0, effect.Update(0.02f));
    EXPECT_EQ(0, effect.busy);
    EXPECT_EQ(0, effect.Update(0.02f));
}

TEST_F(LossEffect, AGivenStartALongFrameAndARestart)
{
    effect.Start(1, 10.0f, 20.0f, -40.0f);
    ASSERT_TRUE(effect.heart);
    EXPECT_FLOAT_EQ(10.0f, effect.heart->position.x);
    EXPECT_FLOAT_EQ(-40.0f, effect.start.z);

    // A restart takes the old heart away at once and stops its trail.
    CRefPtr<CParticleSystem> oldTail = effect.tail;
    effect.Update(0.5f);
    effect.Start(0, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(1u, Shown());
    EXPECT_LE(oldTail->duration, oldTail->elapsed) << "the old trail stops";
    EXPECT_FLOAT_EQ(0.0f, effect.timer);

    // One frame longer than the whole effect flies, bursts and ends it.
    EXPECT_EQ(0, effect.Update(3.0f));
    EXPECT_EQ(0u, Shown());
    EXPECT_EQ(1, SystemsOf(300.0f));

    // Durations of nothing pass at once.
    effect.settings.flyTime = effect.settings.waitTime = effect.settings.postTime = 0.0f;
    effect.Start(0, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(0, effect.Update(0.0f));
    EXPECT_FLOAT_EQ(0.0f, effect.ShuffleTime());
}

}  // namespace
