#include "effects/DuneKeepers.h"

#include "effects/ParticleMath.h"
#include "effects/SandKeepers.h"
#include "effects/Sandbox.h"
#include "engine/Random.h"

#include <algorithm>
#include <cmath>

using namespace pmath;

namespace
{

constexpr double kEmptyMean = 0.000001;
constexpr double kBareGround = 0.001;

// The k-th index in [from, to) that passes the test (the last one that does
// when k runs past them).
template <class Test>
int NthPassing(int k, int from, int to, Test test)
{
    int found = from;
    for (int i = from; i < to; ++i)
        if (test(i))
        {
            found = i;
            if (k-- == 0)
                break;
        }
    return found;
}

} // namespace

void CDuneKeeperBase::Detach()
{
    heap.Reset();
    area = nullptr;
    surface = nullptr;
    enabled = 0;
}

bool CDuneKeeperBase::Attached() const { return heap && area && surface; }

bool CDuneKeeperBase::HasSand() const { return enabled && Attached() && SurfacePoints() >= 2 && heap->mean > kEmptyMean; }

int CDuneKeeperBase::SurfacePoints() const
{
    if (!Attached())
        return 0;
    const size_t n = std::min({surface->size(), area->basePoints.size(), heap->displayed.size()});
    return int(n);
}

double CDuneKeeperBase::Displayed(int i) const { return heap->displayed[size_t(i)]; }

SandboxProbe CDuneKeeperBase::Probe(float x) const
{
    SandboxProbe p;
    const int n = SurfacePoints();
    if (n < 2 || area->width == 0.0f)
        return p;
    const float q = (x - area->x) * float(n) / area->width;
    p.j = int(std::floor(q));
    p.t = q - float(p.j);
    if (p.j < 0)
    {
        p.j = 0;
        p.t = 0.0f;
    }
    if (p.j >= n - 1)
    {
        p.j = n - 2;
        p.t = 1.0f;
    }
    const size_t j = size_t(p.j);
    p.surfaceY = S(p.j).y * (1.0f - p.t) + S(p.j + 1).y * p.t;
    p.baseY = area->basePoints[j].y * (1.0f - p.t) + area->basePoints[j + 1].y * p.t;
    return p;
}

void CDuneDustKeeper::Setup(CRefPtr<CSandHeap> h, const CSandboxPart* a, const std::vector<Vec3>* s, float sp,
                            float spSpread, float sn, float snSpread)
{
    heap = std::move(h);
    area = a;
    surface = s;
    speed = braking = sp;
    speedSpread = spSpread;
    spin = sn;
    spinSpread = snSpread;
}

bool CDuneDustKeeper::IsDusty(int i) const { return S(i + 1).y <= S(i).y && Displayed(i) > kBareGround; }

int32_t CDuneDustKeeper::BeginFrame(float x, float y, float z, float)
{
    offset = V(x, y, z);
    dustySegments = 0;
    const int n = SurfacePoints();
    for (int i = 0; i + 1 < n; ++i)
        dustySegments += IsDusty(i) ? 1 : 0;
    return 1;
}

int32_t CDuneDustKeeper::GetEmitCount(float dt)
{
    if (!HasSand() || dustySegments < 1)
        return 0;
    accumulator += rate * dt * float(dustySegments) / float(SurfacePoints() - 1);
    if (accumulator < 1.0f)
        return 0;
    const float n = std::floor(accumulator);
    accumulator -= n;
    return int32_t(n);
}

int32_t CDuneDustKeeper::InitParticle(int32_t, CCollectedParticle2& p, float, float, float)
{
    const int n = SurfacePoints();
    const int k = RandomIndex(RandomUnit(), std::max(dustySegments, 1));
    const int i = n >= 2 ? NthPassing(k, 0, n - 1, [&](int c) { return IsDusty(c); }) : 0;
    const float t = RandomUnit();
    Vec3 start = offset;
    if (n >= 2)
        start = Add(Mul(S(i), 1.0f - t), Mul(S(i + 1), t));
    const int32_t tag = sandfx::PickAtlasPicture();
    const float s = Spread(size, sizeSpread, RandomUnit());
    const float angle = RandomUnit() * 1024.0f;
    p.SpawnTextured(colour, start.x, start.y, start.z + 1.0f, tag, 0.0f, s, s, angle);
    sandfx::SetAtlasRect(p, tag);
    p.velocity = V(Spread(0.0f, speedSpread, RandomUnit()) - speed, 0.0f, 0.0f);
    p.workA = -fadeInRate;
    p.angularSpeed = sandfx::RandomSpin(spin, spinSpread);
    return 1;
}

int32_t CDuneDustKeeper::UpdateParticle(int32_t, CCollectedParticle2& p, float dt, float, float, float)
{
    if (dt == 0.0f)
        return 1;
    if (!sandfx::FadePuff(p, dt, fadeOutRate, fadeOutSpread))
        return 0;
    p.position = Add(p.position, Mul(p.velocity, dt));
    if (SurfacePoints() < 2)
    {
        // The glass is gone: the puff only fades.
        p.workA = fastFadeRate;
        return 1;
    }
    if (p.position.x <= area->x)
    {
        p.position.x = area->x;
        p.workA = fastFadeRate;
    }
    const SandboxProbe at = Probe(p.position.x);
    p.position.y = at.surfaceY;
    if (S(at.j).y < S(at.j + 1).y)
    {
        p.velocity.x += braking * dt;
        if (p.velocity.x > 0.0f)
            p.velocity.x = 0.0f;
    }
    if (Displayed(at.j) <= 0.0 && Displayed(at.j + 1) <= 0.0)
        p.workA = fastFadeRate;
    p.angle = WrapAngle(p.angle + p.angularSpeed * dt);
    return 1;
}

void CDuneSandFlyOut::Setup(CRefPtr<CSandHeap> h, const CSandboxPart* a, const CMotionPath& sandPath,
                            const std::vector<Vec3>* s, float inG, float outG, float sp)
{
    heap = std::move(h);
    area = a;
    path = sandPath;
    surface = s;
    inGravity = inG;
    outGravity = outG;
    speed = sp;
}

bool CDuneSandFlyOut::IsPeak(int i) const { return S(i - 1).y < S(i).y && S(i + 1).y <= S(i).y; }

int32_t CDuneSandFlyOut::BeginFrame(float x, float y, float z, float)
{
    offset = V(x, y, z);
    peaks = 0;
    const int n = SurfacePoints();
    for (int i = 1; i + 1 < n; ++i)
        peaks += IsPeak(i) ? 1 : 0;
    return 1;
}

int32_t CDuneSandFlyOut::GetEmitCount(float dt)
{
    peakGrainsLeft = drainGrains = 0;
    if (!HasSand())
        return 0;
    peakAccumulator += peakRate * dt;
    if (peakAccumulator >= 1.0f)
    {
        peakGrainsLeft = int32_t(std::floor(peakAccumulator));
        peakAccumulator -= float(peakGrainsLeft);
    }
    if (peaks < 1)
        peakGrainsLeft = 0;
    if (heap->drainOn)
    {
        drainAccumulator += drainRate * dt;
        if (drainAccumulator >= 1.0f)
        {
            drainGrains = int32_t(std::floor(drainAccumulator));
            drainAccumulator -= float(drainGrains);
        }
    }
    return peakGrainsLeft + drainGrains;
}

int32_t CDuneSandFlyOut::InitParticle(int32_t index, CCollectedParticle2& p, float, float, float)
{
    const int n = SurfacePoints();
    const bool peak = peakGrainsLeft >= 1 && n >= 3;
    int i = 0;
    if (peak)
        i = NthPassing(RandomIndex(RandomUnit(), std::max(peaks, 1)), 1, n - 1, [&](int c) { return IsPeak(c); });
    const int32_t tag = sandfx::PickAtlasPicture();
    const float angle = RandomUnit() * 1024.0f;
    const Vec3 at = n >= 1 ? S(i) : offset;
    p.SpawnTextured(colour, at.x, at.y, at.z, tag, 0.0f, width, height, angle);
    sandfx::SetAtlasRect(p, tag);
    if (peak)
    {
        const float vx = -(0.9f - RandomUnit() * 0.2f) * speed;
        p.velocity = V(vx, (0.1f - RandomUnit() * 0.2f) * speed, 0.0f);
        --peakGrainsLeft;
    }
    else
        p.velocity = V(0.0f, speed, 0.0f);
    p.workA = -fadeInRate;
    const size_t slot = size_t(std::max(index, 0));
    if (onPath.size() <= slot)
    {
        onPath.resize(slot + 1, 0);
        pathTime.resize(slot + 1, 0.0f);
    }
    onPath[slot] = 0;
    pathTime[slot] = 0.0f;
    return 1;
}

void CDuneSandFlyOut::Fade(size_t slot, CCollectedParticle2& p, float dt, bool& alive) const
{
    const float a = p.workA;
    p.alpha -= a * dt;
    if (a < 0.0f && p.alpha >= 1.0f)
    {
        const float over = (p.alpha - 1.0f) / -a;
        p.workA = onPath[slot] ? pathFadeOutRate : fadeOutRate;
        p.alpha = 1.0f - p.workA * over;
    }
    alive = p.alpha > 0.0f;
    if (!alive)
        p.alpha = 0.0f;
}

void CDuneSandFlyOut::FollowPath(size_t slot, CCollectedParticle2& p, float dt)
{
    float& t = pathTime[slot];
    if (t < path.total)
    {
        t += dt;
        if (t >= path.total)
        {
            t = path.total;
            const float vx = -(0.75f - RandomUnit() * 0.5f) * speed;
            p.velocity = V(vx, (0.25f - RandomUnit() * 0.5f) * speed, p.velocity.z);
        }
        Vec3 q;
        path.GetPoint(q, t);
        p.position = V(q.x + area->x, q.y + area->y, q.z + area->z);
        return;
    }
    p.velocity.y -= outGravity * dt;
    p.position = Add(p.position, Mul(p.velocity, dt));
}

void CDuneSandFlyOut::MoveFree(size_t slot, CCollectedParticle2& p, float dt)
{
    if (p.position.x > area->x)
        p.position = Add(p.position, Mul(p.velocity, dt));
    else if (!heap->drainOn)
    {
        p.velocity.y -= inGravity * dt;
        p.position = Add(p.position, Mul(p.velocity, dt));
    }
    else
    {
        p.velocity.y = speed;
        p.position = Add(p.position, Mul(p.velocity, dt));
        if (p.position.y >= area->y)
        {
            onPath[slot] = 1;
            pathTime[slot] = 0.0f;
            Vec3 q;
            path.GetPoint(q, 0.0f);
            p.position = V(q.x + area->x, q.y + area->y, q.z + area->z);
            return;
        }
    }
    // Landing on the sand (or on the glass's bottom).
    p.position.x = std::max(p.position.x, area->x);
    const SandboxProbe at = Probe(p.position.x);
    bool landed = false;
    if (p.position.y < at.baseY)
    {
        p.position.y = at.baseY;
        landed = true;
    }
    if (landed || p.position.y <= at.surfaceY)
    {
        p.velocity.x = 0.0f;
        p.workA = landingFadeRate;
    }
    else if (p.velocity.x == 0.0f)
        p.velocity.x = -(0.9f - RandomUnit() * 0.2f) * speed;
}

int32_t CDuneSandFlyOut::UpdateParticle(int32_t index, CCollectedParticle2& p, float dt, float, float, float)
{
    if (dt == 0.0f)
        return 1;
    const size_t slot = size_t(std::max(index, 0));
    if (onPath.size() <= slot)
    {
        onPath.resize(slot + 1, 0);
        pathTime.resize(slot + 1, 0.0f);
    }
    bool alive = true;
    Fade(slot, p, dt, alive);
    if (!alive)
        return 0;
    if (SurfacePoints() < 2)
    {
        // The glass is gone: the grain only fades.
        p.workA = landingFadeRate;
        return 1;
    }
    if (onPath[slot])
        FollowPath(slot, p, dt);
    else
        MoveFree(slot, p, dt);
    return 1;
}
