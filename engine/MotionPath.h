// Motion paths: chains of cubic segments evaluated by time. Tokens, sprites,
// bonuses, totem parts and challenge pieces all move along one of these; the
// owner keeps its own clock and asks the path for the point at that time.
#pragma once

#include "engine/RefPtr.h"

#include <vector>

// A three-component float vector passed by value; x and y are screen
// coordinates, z is depth or a free third channel.
struct Vec3
{
    float x;
    float y;
    float z;
};

// One cubic piece of a path. Slopes are relative to the chord: 1 on an axis is
// straight constant-speed motion, 0 at both ends eases in and out, other values
// overshoot or swing. Immutable once made, so paths may share segments.
class CMotionSegment
{
public:
    CMotionSegment(const Vec3& start, const Vec3& end, const Vec3& slope0, const Vec3& slope1);

    void Set(const Vec3& start, const Vec3& end, const Vec3& slope0, const Vec3& slope1);
    void GetPoint(Vec3& out, float u) const;

    Vec3 start;
    Vec3 end;
    Vec3 slope0;
    Vec3 slope1;
    Vec3 a; // slope0 + slope1 - 2
    Vec3 b; // 3 - 2 * slope0 - slope1
    Vec3 c; // slope0
    Vec3 delta; // end - start
};

class CMotionPath
{
public:
    // An ease-in/ease-out move from (0, 0, 0) to (1, 1, 1) over one second.
    CMotionPath();

    // Replace the whole path with one segment.
    void Reset(const Vec3& start, const Vec3& end, const Vec3& slope0, const Vec3& slope1,
               float duration);
    void ResetLinear(const Vec3& start, const Vec3& end, float duration);

    // Extend the path from the last segment's end point.
    void AddLineTo(const Vec3& end, float duration);
    // The new segment leaves with the slope the last one arrived with.
    void AddSmoothTo(const Vec3& end, const Vec3& slope1, float duration);
    void AddCurveTo(const Vec3& end, const Vec3& slope0, const Vec3& slope1, float duration);

    // The point at time t. Times before 0 or past the end extrapolate the
    // first or last cubic; owners stop their move when their clock reaches total.
    void GetPoint(Vec3& out, float t) const;
    void GetPointAfterFirst(Vec3& out, float t) const;

    std::vector<CRefPtr<CMotionSegment>> segments;
    std::vector<float> durations;
    float total;

private:
    void Append(CMotionSegment* segment, float duration);
};
