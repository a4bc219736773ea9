// The accuracy challenge played: stars dealt one a second, their flight in and
// back out, clicks that catch the oldest star under the pointer, the row of
// slots the caught ones fill, the end by the last catch or the clock, and the
// result the game judges. No device: shapes are plain objects, randomness is
// seeded and time is a fixed step.
#include "challenges/AccuracyChallenge.h"
#include "platform/crt.h"
#include "render/SpriteShape.h"

#include <gtest/gtest.h>

namespace
{

constexpr float kFrame = 1.0f / 60.0f;

class AccuracyPlay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        crt::srand(7);
        // The opener's field: enter at 576, turn between -128 and 64; a row of
        // 19 slots of 32 from x -180.5.
        c.SetStarParams(512.0f, 200.0f, -1.0f, 640.0f, 500.0f, -180.5f, -342.5f, -1.0f, 32.0f, 32.0f, 19);
    }

    void Run(float seconds)
    {
        for (float t = 0.0f; t < seconds; t += kFrame)
            c.Update(kFrame);
    }

    // The first flying star, or null.
    CAccuracyStar* Flying() const
    {
        for (const CRefPtr<CAccuracyStar>& s : c.stars)
            if (s->state == CAccuracyStar::kFlying)
                return s.Get();
        return nullptr;
    }

    CAccuracyChallenge c;
};

TEST_F(AccuracyPlay, StartSetsTheTierSpeedAndAStarComesEverySecond)
{
    struct Case
    {
        int32_t tier;
        float speed;
    } cases[] = {{1, 175.0f}, {2, 275.0f}};
    for (const Case& k : cases)
    {
        CAccuracyChallenge a;
        a.Start(k.tier);
        EXPECT_EQ(CAccuracyChallenge::kRunning, a.state);
        EXPECT_FLOAT_EQ(k.speed, a.starSpeed);
        EXPECT_FLOAT_EQ(1.0f, a.spawnInterval);
    }
    c.Start(1);
    Run(0.95f);
    EXPECT_TRUE(c.stars.empty());
    Run(0.1f);
    ASSERT_EQ(1u, c.stars.size());
    // A long frame still deals one star; the rest carries over to the next frame.
    c.Update(2.5f);
    EXPECT_EQ(2u, c.stars.size());
    c.Update(kFrame);
    EXPECT_EQ(3u, c.stars.size());
}

TEST_F(AccuracyPlay, AStarTurnsInsideTheFieldAndLeavesWhereItCameIn)
{
    c.Start(1);
    c.Update(1.0f);
    ASSERT_EQ(1u, c.stars.size());
    const CRefPtr<CAccuracyStar> star = c.stars[0];
    EXPECT_FLOAT_EQ(576.0f, star->xStart);
    EXPECT_LE(star->yStart, 200.0f);
    EXPECT_GE(star->yStart, -300.0f);
    const float half = star->duration * 0.5f;
    // Turning x: centre - (0.7 .. 1.0) x width.
    const float turn = star->xStart + star->xVelocity * half + star->xAcceleration * half * half;
    EXPECT_GE(turn, -128.01f);
    EXPECT_LE(turn, 64.01f);
    const float end = star->xStart + star->xVelocity * star->duration +
                      star->xAcceleration * star->duration * star->duration;
    EXPECT_NEAR(576.0f, end, 0.01f);
    // Uncaught, it is gone once its flight is over, and it never counted.
    c.state = CAccuracyChallenge::kEnding;  // no further stars
    for (float t = star->time; t <= star->duration + kFrame; t += kFrame)
        c.Update(kFrame);
    EXPECT_TRUE(c.stars.empty());
    EXPECT_EQ(0, c.caughtCount);
}

TEST_F(AccuracyPlay, AClickCatchesTheOldestStarUnderThePointerAndSendsItToTheNextSlot)
{
    c.Start(1);
    c.Update(1.0f);
    c.Update(1.0f);
    ASSERT_EQ(2u, c.stars.size());
    // Both stars stand on one point: the older one is caught.
    for (const CRefPtr<CAccuracyStar>& s : c.stars)
        s->shape->position = Vec3{100.0f, 50.0f, -1.0f};
    EXPECT_EQ(100, c.OnClick(100.0f + 32.5f, 50.0f));  // outside the 32 radius
    EXPECT_EQ(101, c.OnClick(100.0f + 31.5f, 50.0f));
    EXPECT_EQ(CAccuracyStar::kCaught, c.stars[0]->state);
    EXPECT_EQ(CAccuracyStar::kFlying, c.stars[1]->state);
    EXPECT_EQ(1, c.caughtCount);
    EXPECT_FLOAT_EQ(-180.5f + 0.5f * 32.0f, c.stars[0]->slotPosition[0]);
    EXPECT_FLOAT_EQ(-342.5f - 16.0f, c.stars[0]->slotPosition[1]);
    // The second catch goes to the second slot; a caught star does not count again.
    EXPECT_EQ(101, c.OnClick(100.0f, 50.0f));
    EXPECT_FLOAT_EQ(-180.5f + 1.5f * 32.0f, c.stars[1]->slotPosition[0]);
    EXPECT_EQ(100, c.OnClick(100.0f, 50.0f));
    EXPECT_EQ(2, c.caughtCount);
    // Half a second later both rest in their slots at the slot's size, still.
    for (int i = 0; i < 31; ++i)
        c.Update(kFrame);
    EXPECT_EQ(CAccuracyStar::kResting, c.stars[0]->state);
    EXPECT_FLOAT_EQ(32.0f, c.stars[0]->shape->scaleX);
    EXPECT_EQ(0, c.stars[0]->shape->spinning);
}

TEST_F(AccuracyPlay, TheLastCatchEndsPlayFliesTheOthersOutAndReportsOnceAllRest)
{
    c.SetStarParams(512.0f, 200.0f, -1.0f, 640.0f, 500.0f, -180.5f, -342.5f, -1.0f, 32.0f, 32.0f, 2);
    c.Start(1);
    c.Update(1.0f);
    c.Update(1.0f);
    c.Update(1.0f);
    ASSERT_EQ(3u, c.stars.size());
    EXPECT_EQ(101, c.OnClick(c.stars[0]->shape->position.x, c.stars[0]->shape->position.y));
    CAccuracyStar* second = Flying();
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(101, c.OnClick(second->shape->position.x, second->shape->position.y));
    EXPECT_EQ(CAccuracyChallenge::kEnding, c.state);
    // No more catches and no more stars; the uncaught one slides out in 0.1 s.
    CAccuracyStar* third = Flying();
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(100, c.OnClick(third->shape->position.x, third->shape->position.y));
    int32_t result = 100;
    int frames = 0;
    while (result == 100 && frames < 120)
    {
        result = c.Update(kFrame);
        ++frames;
    }
    EXPECT_EQ(107, result);
    EXPECT_EQ(2u, c.stars.size());  // the caught two stay in the row
    EXPECT_NEAR(0.5f, float(frames) * kFrame, 2.0f * kFrame);
}

TEST_F(AccuracyPlay, TimeUpWithNoStarsReportsAtOnceAndIdleIgnoresClicks)
{
    EXPECT_EQ(100, c.OnClick(0.0f, 0.0f));  // idle
    c.Start(1);
    c.state = CAccuracyChallenge::kEnding;
    c.FlyOutStars();
    EXPECT_EQ(107, c.Update(kFrame));
}

}  // namespace
