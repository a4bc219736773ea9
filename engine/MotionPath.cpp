#include "engine/MotionPath.h"

namespace {

const Vec3 kZero = {0.0f, 0.0f, 0.0f};
const Vec3 kOne = {1.0f, 1.0f, 1.0f};
const size_t kReservedSegments = 40;

// Evaluates one segment at time `time` into a segment of length `duration`.
// A segment of no duration is an instant jump: it is already at its end point
// (time / 0 would give infinity or NaN).
void EvaluateSegment(const CMotionSegment& segment, float duration, float time, Vec3& out)
{
    if (duration == 0.0f)
    {
        out = segment.end;
        return;
    }
    segment.GetPoint(out, time / duration);
}

} // namespace

CMotionSegment::CMotionSegment(const Vec3& start, const Vec3& end, const Vec3& slope0,
                               const Vec3& slope1)
{
    Set(start, end, slope0, slope1);
}

void CMotionSegment::Set(const Vec3& start_, const Vec3& end_, const Vec3& slope0_,
                         const Vec3& slope1_)
{
    start = start_;
    end = end_;
    slope0 = slope0_;
    slope1 = slope1_;
    a = {slope0.x + slope1.x - 2.0f, slope0.y + slope1.y - 2.0f, slope0.z + slope1.z - 2.0f};
    b = {3.0f - 2.0f * slope0.x - slope1.x, 3.0f - 2.0f * slope0.y - slope1.y,
         3.0f - 2.0f * slope0.z - slope1.z};
    c = slope0;
    delta = {end.x - start.x, end.y - start.y, end.z - start.z};
}

void CMotionSegment::GetPoint(Vec3& out, float u) const
{
    const float u2 = u * u;
    const float u3 = u2 * u;
    out.x = (a.x * u3 + b.x * u2 + c.x * u) * delta.x + start.x;
    out.y = (a.y * u3 + b.y * u2 + c.y * u) * delta.y + start.y;
    out.z = (a.z * u3 + b.z * u2 + c.z * u) * delta.z + start.z;
}

CMotionPath::CMotionPath() : total(0.0f)
{
    segments.reserve(kReservedSegments);
    durations.reserve(kReservedSegments);
    Reset(kZero, kOne, kZero, kZero, 1.0f);
}

void CMotionPath::Reset(const Vec3& start, const Vec3& end, const Vec3& slope0,
                        const Vec3& slope1, float duration)
{
    segments.resize(1);
    durations.resize(1, 0.0f);
    segments[0] = CRefPtr<CMotionSegment>(new CMotionSegment(start, end, slope0, slope1));
    durations[0] = duration;
    total = duration;
}

void CMotionPath::ResetLinear(const Vec3& start, const Vec3& end, float duration)
{
    Reset(start, end, kOne, kOne, duration);
}

void CMotionPath::Append(CMotionSegment* segment, float duration)
{
    segments.push_back(CRefPtr<CMotionSegment>(segment));
    durations.push_back(duration);
    total += duration;
}

void CMotionPath::AddLineTo(const Vec3& end, float duration)
{
    Append(new CMotionSegment(segments.back()->end, end, kOne, kOne), duration);
}

void CMotionPath::AddSmoothTo(const Vec3& end, const Vec3& slope1, float duration)
{
    const CMotionSegment& last = *segments.back();
    Append(new CMotionSegment(last.end, end, last.slope1, slope1), duration);
}

void CMotionPath::AddCurveTo(const Vec3& end, const Vec3& slope0, const Vec3& slope1,
                             float duration)
{
    Append(new CMotionSegment(segments.back()->end, end, slope0, slope1), duration);
}

void CMotionPath::GetPoint(Vec3& out, float t) const
{
    if (durations.size() > 1 && durations[0] < t)
    {
        GetPointAfterFirst(out, t);
        return;
    }
    EvaluateSegment(*segments[0], durations[0], t, out);
}

void CMotionPath::GetPointAfterFirst(Vec3& out, float t) const
{
    const size_t count = durations.size();
    float remaining = t - durations[0];
    size_t i = 1;
    // A time exactly on a boundary belongs to the next segment; the last
    // segment is never walked past, so late times extrapolate it.
    while (i < count - 1 && durations[i] <= remaining)
    {
        remaining -= durations[i];
        ++i;
    }
    EvaluateSegment(*segments[i], durations[i], remaining, out);
}
