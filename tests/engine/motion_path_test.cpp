#include "engine/MotionPath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const Vec3 kZero = {0, 0, 0};
const Vec3 kOne = {1, 1, 1};

Vec3 At(const CMotionPath& path, float t)
{
    Vec3 p;
    path.GetPoint(p, t);
    return p;
}

void ExpectNear(const Vec3& expected, const Vec3& actual, float tolerance = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

TEST(MotionPath, NewPathEasesFromOriginToOneOverOneSecond)
{
    CMotionPath path;
    ASSERT_EQ(1u, path.segments.size());
    EXPECT_FLOAT_EQ(1.0f, path.total);
    struct Case { float t; float v; } cases[] = {
        {0.0f, 0.0f}, {0.25f, 0.15625f}, {0.5f, 0.5f}, {1.0f, 1.0f},
        // A one-segment path extrapolates its cubic on both sides.
        {2.0f, -4.0f}, {-1.0f, 5.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.t);
        ExpectNear({c.v, c.v, c.v}, At(path, c.t));
    }
}

TEST(MotionPath, LinearPathIsConstantSpeedAndExtrapolates)
{
    CMotionPath path;
    path.ResetLinear({0, 0, 0}, {10, 20, 0}, 2.0f);
    ExpectNear({5, 10, 0}, At(path, 1.0f));
    ExpectNear({10, 20, 0}, At(path, 2.0f));
    ExpectNear({15, 30, 0}, At(path, 3.0f));
}

// Three linear segments along x: 0 -> 1 in 1 s, 1 -> 3 in 2 s, 3 -> 6 in 3 s,
// so the speed is 1 unit per second throughout and x equals t on the path.
TEST(MotionPath, SegmentBoundariesAndTimesPastTheEnd)
{
    CMotionPath path;
    path.ResetLinear({0, 0, 0}, {1, 0, 0}, 1.0f);
    path.AddLineTo({3, 0, 0}, 2.0f);
    path.AddLineTo({6, 0, 0}, 3.0f);
    ASSERT_EQ(3u, path.segments.size());
    EXPECT_FLOAT_EQ(6.0f, path.total);

    struct Case { float t; float x; } cases[] = {
        {0.5f, 0.5f}, {1.0f, 1.0f}, {2.0f, 2.0f}, {3.0f, 3.0f}, {4.5f, 4.5f},
        {6.0f, 6.0f},
        {7.0f, 7.0f}, // segment 2 at u = 4/3
        {-1.0f, -1.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.t);
        ExpectNear({c.x, 0, 0}, At(path, c.t));
    }
}

// A boundary time belongs to the next segment at u = 0: a curved third segment
// shows which segment was picked, since its value at u = 0 is its start.
TEST(MotionPath, BoundaryTimeFallsIntoTheNextSegment)
{
    CMotionPath path;
    path.ResetLinear({0, 0, 0}, {1, 0, 0}, 1.0f);
    path.AddLineTo({3, 0, 0}, 2.0f);
    path.AddCurveTo({3, 9, 0}, kZero, kZero, 3.0f);
    ExpectNear({3, 0, 0}, At(path, 3.0f));
    ExpectNear({3, 4.5f, 0}, At(path, 4.5f));
}

TEST(MotionPath, ResetAfterALongChainLeavesOneSegment)
{
    CMotionPath path;
    for (int i = 0; i < 50; ++i)
        path.AddLineTo({float(i), 0, 0}, 0.5f);
    EXPECT_EQ(51u, path.segments.size());

    path.Reset({2, 2, 2}, {4, 4, 4}, kOne, kOne, 3.0f);
    EXPECT_EQ(1u, path.segments.size());
    EXPECT_EQ(1u, path.durations.size());
    EXPECT_FLOAT_EQ(3.0f, path.total);
    ExpectNear({3, 3, 3}, At(path, 1.5f));
}

TEST(MotionPath, SmoothSegmentTakesOverTheStoredEndSlope)
{
    CMotionPath path;
    path.ResetLinear({0, 0, 0}, {1, 100, 0}, 1.0f);
    path.AddSmoothTo({5, 7, 3}, kZero, 2.0f);
    const CMotionSegment& second = *path.segments[1];
    ExpectNear(kOne, second.slope0);
    ExpectNear({1, 100, 0}, second.start);
    ExpectNear({5, 7, 3}, At(path, 3.0f));

    path.AddSmoothTo({9, 9, 9}, kOne, 1.0f);
    ExpectNear(kZero, path.segments[2]->slope0);
}

TEST(MotionPath, CopiedPathSharesItsSegmentsAndKeepsThemAfterTheOriginalResets)
{
    CMotionPath path;
    path.ResetLinear({0, 0, 0}, {2, 0, 0}, 1.0f);
    path.AddLineTo({4, 0, 0}, 1.0f);
    CMotionPath copy = path;
    EXPECT_EQ(&*path.segments[1], &*copy.segments[1]);
    path.ResetLinear({0, 0, 0}, {-1, 0, 0}, 1.0f);
    ExpectNear({3, 0, 0}, At(copy, 1.5f));
}

// Zero-duration segments are instant jumps: they give their end point, never NaN.
TEST(MotionPath, ZeroDurationSegmentGivesItsEndPoint)
{
    CMotionPath single;
    single.ResetLinear({0, 0, 0}, {4, 5, 6}, 0.0f);
    for (float t : {-1.0f, 0.0f, 1.0f})
    {
        SCOPED_TRACE(t);
        Vec3 p = At(single, t);
        EXPECT_FALSE(std::isnan(p.x));
        ExpectNear({4, 5, 6}, p);
    }

    CMotionPath chain;
    chain.ResetLinear({0, 0, 0}, {1, 0, 0}, 0.0f);
    chain.AddLineTo({1, 8, 0}, 0.0f);
    chain.AddLineTo({1, 8, 2}, 0.0f);
    EXPECT_FLOAT_EQ(0.0f, chain.total);
    ExpectNear({1, 0, 0}, At(chain, 0.0f));
    ExpectNear({1, 8, 2}, At(chain, 0.5f));

    CMotionPath jumpInTheMiddle;
    jumpInTheMiddle.ResetLinear({0, 0, 0}, {1, 0, 0}, 1.0f);
    jumpInTheMiddle.AddLineTo({5, 0, 0}, 0.0f);
    ExpectNear({5, 0, 0}, At(jumpInTheMiddle, 1.5f));
}

} // namespace
