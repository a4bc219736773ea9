// The sand heap: sand added between and at the ends of the columns, the slope
// relaxation, landing portions, drain, creep, the display lag and the
// pouring mode, against values worked out by hand.
#include "effects/SandHeap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

CSandHeap Heap(int columns)
{
    CSandHeap h;
    h.SetSegmentCount(columns);
    return h;
}

void ExpectHeights(const std::vector<double>& want, const CSandHeap& h, double tolerance = 1e-9)
{
    ASSERT_EQ(want.size(), h.heights.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(want[i], h.heights[i], tolerance) << "column " << i;
}

TEST(SandHeap, SandBetweenTwoColumnsSplitsAndSettles)
{
    CSandHeap h = Heap(4);
    h.AddSand(0.25, 1.5);  // 1.0 column units, half to columns 1 and 2
    ExpectHeights({0.125, 0.375, 0.375, 0.125}, h);
    EXPECT_DOUBLE_EQ(0.25, h.mean);
}

TEST(SandHeap, SandAtTheLeftEndSpillsOverAndSettlesToAnEvenSlope)
{
    CSandHeap h = Heap(4);
    h.AddSand(0.5, 0.0);  // 2.0 units: column 0 fills, the rest spills to column 1
    ExpectHeights({0.875, 0.625, 0.375, 0.125}, h, 1e-6);
    EXPECT_NEAR(0.5, h.mean, 1e-12);
    // Settled: a further relaxation changes nothing and ends at once.
    EXPECT_EQ(1, h.Relax());
}

TEST(SandHeap, OnlyTheRoomLeftInTheGlassIsTaken)
{
    CSandHeap h = Heap(4);
    h.SetFlow(true, 0.0);  // full
    h.SetFlow(false, 0.0); // empty again, building
    h.AddSand(0.9, 1.5);
    h.AddSand(0.3, 1.5);
    EXPECT_NEAR(1.0, h.mean, 1e-12);
    for (double v : h.heights)
        EXPECT_LE(v, 1.0);
}

TEST(SandHeap, SpreadFillsOutwardsAndLosesWhatNoColumnTakes)
{
    CSandHeap h = Heap(5);
    h.AddSand(0.6, 2.0);  // 3.0 units at column 2: columns 2, 3 fill, 1 and 4 take 0.5 each
    EXPECT_NEAR(0.6, h.mean, 1e-12);
    for (size_t i = 0; i + 1 < h.heights.size(); ++i)
        EXPECT_LE(std::fabs(h.heights[i] - h.heights[i + 1]), h.slopeLimit + 1e-9) << i;
    h.AddSand(5.0, 2.0);
    EXPECT_NEAR(1.0, h.mean, 1e-12);
}

TEST(SandHeap, PortionsLandWhenTheirFallTimeIsUp)
{
    CSandHeap h = Heap(4);
    h.portions.push_back({0.5f, 1.5f, 0.25f});
    h.portions.push_back({0.0f, 0.0f, 0.1f});
    h.flowRate = 0.0;
    h.Update(0.25f);  // the second lands (delay 0 lands in the next update)
    ASSERT_EQ(1u, h.portions.size());
    EXPECT_NEAR(0.1, h.mean, 1e-8);  // portions are single precision
    h.Update(0.25f);  // the first reaches 0
    EXPECT_TRUE(h.portions.empty());
    EXPECT_NEAR(0.35, h.mean, 1e-8);
}

TEST(SandHeap, DrainTakesAtMostTheMeanFromTheLeft)
{
    CSandHeap h = Heap(4);
    h.heights = {0.0, 0.0, 0.0, 0.04};
    h.mean = h.GetMean();  // 0.01
    h.drainOn = 1;
    h.Update(1.0f);  // 0.04 asked, only the mean's worth taken
    EXPECT_DOUBLE_EQ(0.0, h.mean);
    EXPECT_EQ(CSandHeap::kEmpty, h.status);
}

TEST(SandHeap, CreepMovesAFullRightEndLeftWithinOneUpdate)
{
    CSandHeap h = Heap(3);
    h.slopeLimit = 1.0;  // no sliding: creep alone
    h.heights = {0.0, 0.0, 1.0};
    h.mean = h.GetMean();
    h.Update(0.5f);  // f = min(2.5, 1) = 1
    ExpectHeights({0.0, 1.0, 0.0}, h);
}

TEST(SandHeap, FullIsReportedOnTheUpdateAfterTheGlassFilled)
{
    CSandHeap h = Heap(4);
    h.AddSand(1.0, 1.5);
    EXPECT_NEAR(1.0, h.mean, 1e-12);
    h.Update(0.01f);
    EXPECT_EQ(CSandHeap::kFull, h.status);
}

TEST(SandHeap, DisplayedHeightsFollowAtTheDisplaySpeed)
{
    CSandHeap h = Heap(2);
    h.slopeLimit = 1.0;
    h.flowRate = 0.0;
    h.heights = {1.0, 0.0};
    h.mean = h.GetMean();
    h.Update(0.1f);
    EXPECT_NEAR(0.5, h.displayed[0], 1e-6);
    h.Update(0.1f);
    EXPECT_NEAR(1.0, h.displayed[0], 1e-6);
    h.Update(0.1f);
    EXPECT_DOUBLE_EQ(1.0, h.displayed[0]);
}

TEST(SandHeap, PouringEmptiesLevelAndFillsTheRefillGauge)
{
    CSandHeap h = Heap(4);
    h.SetFlow(true, 0.0);
    EXPECT_EQ(CSandHeap::kPouring, h.mode);
    h.Update(1.0f);  // drain off: the level stays
    EXPECT_DOUBLE_EQ(1.0, h.mean);
    h.drainOn = 1;
    h.Update(2.0f);  // 0.1 a second
    EXPECT_NEAR(0.8, h.mean, 1e-12);
    for (double v : h.displayed)
        EXPECT_NEAR(0.8, v, 1e-12);
    EXPECT_EQ(CSandHeap::kNothing, h.status);
    for (int i = 0; i < 4; ++i)
        h.portions.push_back({0.0f, 1.0f, 2.5f});  // 10 glasses' worth at gain 0.1
    h.Update(0.0f);
    EXPECT_EQ(CSandHeap::kRefilled, h.status);
    EXPECT_DOUBLE_EQ(1.0, h.refill);
    EXPECT_NEAR(0.8, h.mean, 1e-12) << "arriving sand does not touch the columns";
    h.Update(10.0f);
    EXPECT_EQ(CSandHeap::kRefilled, h.status);
    h.refill = 0.0;
    h.Update(0.1f);
    EXPECT_EQ(CSandHeap::kEmpty, h.status);
    h.SetFlow(false, 0.0);
    EXPECT_EQ(CSandHeap::kBuilding, h.mode);
    EXPECT_DOUBLE_EQ(0.0, h.mean);
}

TEST(SandHeap, OtherModesAndTinyHeapsDoNothingHarmful)
{
    CSandHeap h = Heap(4);
    h.mode = 7;
    h.portions.push_back({0.0f, 1.0f, 0.5f});
    h.Update(1.0f);
    EXPECT_EQ(1u, h.portions.size());
    CSandHeap one = Heap(1);
    one.AddSand(0.5, 3.0);
    one.Update(0.1f);
    EXPECT_NEAR(0.5, one.mean, 1e-12);
    CSandHeap none = Heap(0);
    none.AddSand(0.5, 0.0);
    none.Update(0.1f);
    EXPECT_DOUBLE_EQ(0.0, none.mean);
}

} // namespace
