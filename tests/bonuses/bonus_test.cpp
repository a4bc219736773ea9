// The bonus base: a new bonus, dropping onto a cell, following its token,
// leaving, vanishing, placement events and the event record's handle.
#include "bonuses/Bonus.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusGem.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The gem is the kind whose Update runs the common motion step; without
// resources it draws nothing.
struct BonusBaseTest : public ::testing::Test
{
    void SetUp() override { LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg"); }
    CBonusGem bonus;
};

TEST_F(BonusBaseTest, NewBonusIsVisibleRestingAtTheOrigin)
{
    CBonus plain;
    EXPECT_EQ(plain.visible, 1);
    EXPECT_EQ(plain.state, kBonusResting);
    EXPECT_EQ(plain.position[0], 0.0f);
    EXPECT_EQ(plain.position[2], 0.0f);
    EXPECT_EQ(plain.size, 39.0f);
    EXPECT_EQ(plain.scale, 1.0f);
    EXPECT_EQ(plain.column, -1);
    EXPECT_EQ(plain.row, -1);
    EXPECT_TRUE(plain.Update(0.1f));
    plain.Activate();
    EXPECT_FALSE(plain.Update(0.1f)); // finished: the manager drops it
}

TEST_F(BonusBaseTest, DropEndsPlacedExactlyOnTheTarget)
{
    bonus.position[0] = 5.0f;
    bonus.position[1] = 300.0f;
    bonus.Drop(100.0f, -40.0f, -150.5f, 76.0f, 3, 4, 1, 0.5f);
    EXPECT_EQ(bonus.state, kBonusFalling);
    EXPECT_EQ(bonus.column, 3);
    EXPECT_EQ(bonus.row, 4);
    EXPECT_FLOAT_EQ(bonus.scale, 2.0f); // 76 over the standard 38
    EXPECT_FLOAT_EQ(bonus.position[1], 300.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(bonus.Update(0.1f));
    EXPECT_EQ(bonus.state, kBonusFalling);
    EXPECT_GT(bonus.position[1], -40.0f);
    EXPECT_TRUE(bonus.Update(0.15f)); // past the end: clamped
    EXPECT_EQ(bonus.state, kBonusPlaced);
    EXPECT_EQ(bonus.position[0], 100.0f);
    EXPECT_EQ(bonus.position[1], -40.0f);
    EXPECT_EQ(bonus.position[2], -150.5f);
    EXPECT_EQ(bonus.zOrder, -151);
}

TEST_F(BonusBaseTest, FollowingItsToken)
{
    // Placed: jumps at once.
    bonus.Place(0, 0, 0, 38, 0, 0);
    bonus.MoveTo(80, -80, 1, 1, 1, 1);
    EXPECT_EQ(bonus.position[0], 80.0f);
    EXPECT_EQ(bonus.position[1], -80.0f);
    EXPECT_EQ(bonus.column, 1);
    EXPECT_EQ(bonus.state, kBonusPlaced);

    // Redirected 0.05 s before its fall ends: a new 0.1 s move from where it is.
    bonus.Drop(80, -400, 1, 38, 1, 5, 1, 0.5f);
    bonus.Update(0.45f);
    const float x = bonus.position[0], y = bonus.position[1];
    bonus.MoveTo(160, -400, 1, 2, 5, 1);
    EXPECT_FLOAT_EQ(bonus.motionDuration, 0.1f);
    EXPECT_EQ(bonus.motionTime, 0.0f);
    EXPECT_FLOAT_EQ(bonus.motion.segments[0]->start.x, x);
    EXPECT_FLOAT_EQ(bonus.motion.segments[0]->start.y, y);
    bonus.Update(0.1f);
    EXPECT_EQ(bonus.state, kBonusPlaced);
    EXPECT_EQ(bonus.position[0], 160.0f);

    // Riding on a falling token: same start and clock, new end.
    bonus.Drop(160, -480, 1, 38, 2, 6, 1, 0.5f);
    bonus.Update(0.2f);
    bonus.MoveTo(160, -560, 1, 2, 7, 0);
    EXPECT_FLOAT_EQ(bonus.motionTime, 0.2f);
    EXPECT_FLOAT_EQ(bonus.motionDuration, 0.5f);
    EXPECT_FLOAT_EQ(bonus.motion.segments[0]->start.y, -400.0f);
    EXPECT_FLOAT_EQ(bonus.motion.segments[0]->end.y, -560.0f);
    EXPECT_EQ(bonus.row, 7);
}

TEST_F(BonusBaseTest, LeavingAndVanishing)
{
    bonus.Drop(0, -100, 0, 38, 0, 0, 1, 1.0f);
    bonus.Update(0.2f);
    bonus.target[1] = 500.0f;
    bonus.StartMove(0.5f);
    EXPECT_EQ(bonus.state, kBonusLeaving);
    EXPECT_FLOAT_EQ(bonus.motionTime, 0.2f); // 2 x 0.5 x 0.2
    EXPECT_TRUE(bonus.Update(0.2f));
    EXPECT_FALSE(bonus.Update(0.2f)); // its move is over: the manager drops it

    CBonusGem other;
    other.Place(10, 10, 0, 38, 0, 0);
    other.target[1] = 200.0f;
    other.StartVanish(0.3f);
    EXPECT_EQ(other.state, kBonusVanishing);
    EXPECT_EQ(other.motionTime, 0.0f);
}

TEST_F(BonusBaseTest, PlacementEventsWhenAsked)
{
    bonus.Place(1, 2, 3, 38, 0, 0);
    EXPECT_TRUE(bonus.events.empty());
    bonus.reportPlacement = 1;
    bonus.Place(12.5f, 2, 3, 38, 0, 0);
    bonus.Place(14.0f, 2, 3, 38, 0, 0);
    ASSERT_EQ(bonus.events.size(), 2u);
    EXPECT_EQ(bonus.events.At(0).kind, kBonusEventPlaced);
    EXPECT_EQ(bonus.events.At(0).amount, 12.5f);
    EXPECT_EQ(bonus.events.At(1).amount, 14.0f);
    EXPECT_EQ(bonus.events.At(1).value1, 0);
}

struct WatchedBonus : CBonus
{
    explicit WatchedBonus(bool* gone) : gone(gone) {}
    ~WatchedBonus() override { *gone = true; }
    bool* gone;
};

TEST(BonusEventTest, CopiesShareTheObjectAndSelfAssignmentKeepsTheCount)
{
    bool gone = false;
    BonusEvent e(kBonusEventCellHit, 2, 3, 4);
    e.object = CRefPtr<CBonus>(new WatchedBonus(&gone));
    {
        BonusEvent copy = e;
        EXPECT_EQ(e.object.RefCount(), 2u);
        BonusEvent& same = copy;
        copy = same;  // self-assignment
        EXPECT_EQ(e.object.RefCount(), 2u);
        EXPECT_EQ(copy.value3, 4);
    }
    EXPECT_FALSE(gone);
    e = BonusEvent();
    EXPECT_TRUE(gone); // the last record let go of it
}

} // namespace
