// The Golden Star award: its phases in time, one long frame passing them all, and a
// restart in the middle of a run.
#include <gtest/gtest.h>

#include "effects/MultiOriginSystemKeeper.h"
#include "effects/ParticleSystemsManager.h"
#include "hud/StarEffect.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

namespace {

TEST(StarEffect, PhasesFollowTheDefaultTimesAndTheEndIsReportedOnce)
{
    CStarEffect effect;
    effect.Start();
    const struct
    {
        float until;
        int phase;
    } steps[] = {{0.49f, CStarEffect::kWaiting}, {0.5f, CStarEffect::kFlying},   {1.49f, CStarEffect::kFlying},
                 {1.5f, CStarEffect::kRing},     {2.0f, CStarEffect::kHolding}, {3.49f, CStarEffect::kHolding},
                 {3.5f, CStarEffect::kFlyingOut}, {3.99f, CStarEffect::kFlyingOut}};
    float t = 0.0f;
    for (const auto& step : steps)
    {
        EXPECT_EQ(1, effect.Update(step.until - t)) << "at " << step.until;
        t = step.until;
        EXPECT_EQ(step.phase, effect.phase) << "at " << t;
    }
    EXPECT_EQ(0, effect.Update(0.02f));
    EXPECT_EQ(0, effect.busy);
    EXPECT_EQ(0, effect.Update(0.02f));
}

TEST(StarEffect, OneLongFramePassesEveryPhaseAndZeroTimesAreInstant)
{
    CStarEffect effect;
    effect.Start();
    EXPECT_EQ(0, effect.Update(10.0f));

    effect.settings.preTime = effect.settings.flyTime = effect.settings.ringTime = 0.0f;
    effect.settings.postTime = effect.settings.flyOutTime = 0.0f;
    effect.Start();
    EXPECT_EQ(0, effect.Update(0.0f)) << "a star is never lost in flight";

    effect.settings = CStarEffect::Settings();
    effect.Start();
    effect.Update(1.0f);
    effect.Start();
    EXPECT_EQ(CStarEffect::kWaiting, effect.phase);
    EXPECT_FLOAT_EQ(0.0f, effect.timer);
    EXPECT_EQ(1, effect.busy);
}

// The glow rows light up at the start along the bar and stop when the star swells;
// the ring leaves the sprite list when its flash is over.
TEST(StarEffect, GlowRowsRunUntilTheSwellAndTheRingGoesWhenItsFlashEnds)
{
    CRefPtr<CSpriteList> sprites(new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CRefPtr<CParticleSystemsManager> particles(
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CStarEffect effect;
    effect.SetResources(sprites, particles, nullptr, CRefPtr<CTexture>(), CRefPtr<CTexture>(), CRefPtr<CTexture>());
    const auto originsOf = [](const CRefPtr<CParticleSystem>& glow) {
        auto* system = dynamic_cast<CCollection2ParticleSystem*>(glow.Get());
        auto* keeper = system ? dynamic_cast<CMultiOriginSystemKeeper*>(system->keeper.Get()) : nullptr;
        return keeper ? keeper->origins : std::vector<CMultiOriginSystemKeeper::Origin>();
    };
    effect.Start();
    ASSERT_EQ(2u, effect.glows.size());
    for (const CRefPtr<CParticleSystem>& glow : effect.glows)
    {
        const auto origins = originsOf(glow);
        ASSERT_EQ(19u, origins.size());
        EXPECT_FLOAT_EQ(effect.settings.baseLeft.x, origins.front().offset.x);
        EXPECT_NEAR(effect.settings.baseLeft.x + 608.0f, origins.back().offset.x, 0.01f);
        EXPECT_EQ(80, glow->capacity);
    }
    const std::vector<CRefPtr<CParticleSystem>> glows = effect.glows;
    effect.Update(1.5f);
    ASSERT_TRUE(effect.ring);
    EXPECT_EQ(2u, sprites->visibleList.size() + sprites->hiddenList.size());
    effect.Update(0.5f);
    EXPECT_FALSE(effect.ring);
    EXPECT_EQ(1u, sprites->visibleList.size() + sprites->hiddenList.size()) << "the star alone";
    EXPECT_GT(glows[0]->duration, glows[0]->elapsed);
    effect.Update(1.5f);
    EXPECT_TRUE(effect.glows.empty());
    for (const CRefPtr<CParticleSystem>& glow : glows)
        EXPECT_LE(glow->duration, glow->elapsed) << "stopped";

    // One origin sits at the bar's left end; none at all make an empty row.
    for (int count : {1, 0, -3})
    {
        effect.settings.count = count;
        effect.Start();
        ASSERT_EQ(2u, effect.glows.size());
        const auto origins = originsOf(effect.glows[0]);
        EXPECT_EQ(size_t(count > 0 ? count : 0), origins.size()) << count;
        if (!origins.empty())
        {
            EXPECT_FLOAT_EQ(effect.settings.baseLeft.x, origins.front().offset.x);
        }
    }
}

}  // namespace
