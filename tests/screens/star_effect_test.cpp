// The Golden Star award: its phases in time, one long frame passing them all, and a
// restart in the middle of a run.
#include <gtest/gtest.h>

#include "hud/StarEffect.h"

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

}  // namespace
