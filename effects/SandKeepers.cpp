#include "effects/SandKeepers.h"
#include "engine/MathConstants.h"

#include "effects/ParticleMath.h"
#include "engine/Random.h"

#include <cmath>

using namespace pmath;

namespace
{


} // namespace

namespace sandfx
{

void SetAtlasRect(CCollectedParticle2& p, int32_t tag)
{
    const float u = float(tag % 4) * 0.25f, v = float(tag / 4) * 0.25f;
    p.uv[0] = {u, v};
    p.uv[1] = {u + 0.25f, v};
    p.uv[2] = {u + 0.25f, v + 0.25f};
    p.uv[3] = {u, v + 0.25f};
}

int32_t PickAtlasPicture()
{
    const int row = RandomIndex(RandomUnit(), 4);
    const int col = RandomIndex(RandomUnit(), 4);
    return col + 4 * row;
}

bool FadePuff(CCollectedParticle2& p, float dt, float fadeOutRate, float fadeOutSpread)
{
    if (p.workA >= 0.0f)
    {
        p.alpha -= p.workA * dt;
    }
    else
    {
        p.alpha -= p.workA * dt;
        if (p.alpha < 1.0f)
            return true;
        const float over = (p.alpha - 1.0f) / -p.workA;
        p.workA = Spread(fadeOutRate, fadeOutSpread, RandomUnit());
        p.alpha = 1.0f - p.workA * over;
    }
    if (p.alpha <= 0.0f)
    {
        p.alpha = 0.0f;
        return false;
    }
    return true;
}

float RandomSpin(float spin, float spread)
{
    const float sign = RandomUnit() >= 0.5f ? 1.0f : -1.0f;
    return spin * sign + Spread(0.0f, spread, RandomUnit());
}

} // namespace sandfx

int32_t CSandKeeper::BeginFrame(float x, float y, float z, float)
{
    offset = V(x, y, z);
    return 1;
}

int32_t CSandKeeper::GetEmitCount(float dt)
{
    if (!burstDone)
        return burstCount;
    if (rate == 0.0f)
        return 0;
    accumulator += dt * rate;
    if (accumulator < 1.0f)
        return 0;
    const float n = std::floor(accumulator);
    accumulator -= n;
    return int32_t(n);
}

int32_t CSandKeeper::InitParticle(int32_t, CCollectedParticle2& p, float, float, float)
{
    const int32_t k = RandomIndex(RandomUnit(), 16);
    p.SpawnTextured(colour, offset.x, offset.y, offset.z, k, 1.0f, width, height, 0.0f);
    sandfx::SetAtlasRect(p, k);
    const float a = RandomUnit() * kTwoPi;
    const float s = Spread(speed, speedSpread, RandomUnit());
    p.velocity = V(std::cos(a) * s, std::sin(a) * s, 0.0f);
    if (++emitted >= burstCount)
        burstDone = 1;
    return 1;
}

int32_t CSandKeeper::UpdateParticle(int32_t, CCollectedParticle2& p, float dt, float, float, float)
{
    p.velocity.y -= gravity * dt;
    p.position = Add(p.position, Mul(p.velocity, dt));
    if (p.velocity.y < -maxFallSpeed)
        p.velocity.y = -maxFallSpeed;
    const float half = p.height * 0.5f;
    if (floor > p.position.y + half)
        return 0;
    if (floor <= p.position.y - half)
        return 1;
    // Half sunk: the lower edge rests on the ground and only the grain's
    // upper part shows.
    const float f = (p.position.y + half - floor) / p.height;
    p.uv[2].v = p.uv[1].v + 0.25f * f;
    p.uv[3].v = p.uv[0].v + 0.25f * f;
    p.corners[2].y = p.corners[1].y - f;
    p.corners[3].y = p.corners[0].y - f;
    return 1;
}

CDustTrackKeeper::CDustTrackKeeper(const CSandKeeper& sand, CRefPtr<CParticleSystem> followedSystem)
    : followed(std::move(followedSystem)), colour(sand.colour), speed(sand.speed), speedSpread(sand.speedSpread),
      size(sand.width), sizeSpread(sand.width * 0.25f), growth(sand.width * 0.25f),
      growthSpread(sand.width * 0.25f * 0.25f), floor(sand.floor), floorOffset(sand.width * -0.15f)
{
}

CCollection2ParticleSystem* CDustTrackKeeper::Grains() const
{
    return dynamic_cast<CCollection2ParticleSystem*>(followed.Get());
}

int32_t CDustTrackKeeper::BeginFrame(float x, float y, float z, float)
{
    offset = V(x, y, z);
    liveGrains = 0;
    const CCollection2ParticleSystem* grains = Grains();
    if (!grains)
        return 0;
    for (int32_t i = 0; i < grains->highWater && size_t(i) < grains->particles.size(); ++i)
        liveGrains += grains->particles[size_t(i)].alive ? 1 : 0;
    return grains->emitting || liveGrains > 0 ? 1 : 0;
}

int32_t CDustTrackKeeper::GetEmitCount(float dt)
{
    if (dt == 0.0f || liveGrains < 1)
        return 0;
    const float e = dt * emissionPerGrain * float(liveGrains);
    if (e == 0.0f)
        return 0;
    const float n = std::floor(e);
    return e - n > RandomUnit() ? int32_t(n) + 1 : int32_t(n);
}

int32_t CDustTrackKeeper::InitParticle(int32_t, CCollectedParticle2& p, float, float, float)
{
    const CCollection2ParticleSystem* grains = Grains();
    const int k = RandomIndex(RandomUnit(), liveGrains > 0 ? liveGrains : 1);
    const CCollectedParticle2* source = nullptr;
    int seen = 0;
    for (int32_t i = 0; grains && i < grains->highWater && size_t(i) < grains->particles.size(); ++i)
    {
        const CCollectedParticle2& g = grains->particles[size_t(i)];
        if (g.alive && seen++ == k)
        {
            source = &g;
            break;
        }
    }
    const Vec3 at = source ? source->position : offset;
    const Vec3 carried = source ? source->velocity : V(0.0f, 0.0f, 0.0f);
    const int32_t tag = sandfx::PickAtlasPicture();
    const float s0 = Spread(size, sizeSpread, RandomUnit());
    const float angle = RandomUnit() * 1024.0f;
    p.SpawnTextured(colour, at.x, at.y, at.z, tag, 0.0f, s0, s0, angle);
    sandfx::SetAtlasRect(p, tag);
    const float a = RandomUnit() * kTwoPi;
    const float s = Spread(speed, speedSpread, RandomUnit());
    p.velocity = Add(carried, V(std::cos(a) * s, std::sin(a) * s, 0.0f));
    p.workA = -fadeInRate;
    p.workB = Spread(growth, growthSpread, RandomUnit());
    p.angularSpeed = sandfx::RandomSpin(spin, spinSpread);
    return 1;
}

int32_t CDustTrackKeeper::UpdateParticle(int32_t, CCollectedParticle2& p, float dt, float, float, float)
{
    if (dt == 0.0f)
        return 1;
    if (!sandfx::FadePuff(p, dt, fadeOutRate, fadeOutSpread))
        return 0;
    for (float* c : {&p.velocity.x, &p.velocity.y, &p.velocity.z})
    {
        const float d = *c * drag * dt;
        *c = std::fabs(d) >= std::fabs(*c) ? 0.0f : *c - d;
    }
    p.position = Add(p.position, Mul(p.velocity, dt));
    const float ground = floor + floorOffset;
    if (p.position.y - p.height * 0.5f < ground)
        p.position.y = ground + p.height * 0.5f;
    p.angle = WrapAngle(p.angle + p.angularSpeed * dt);
    const float g = p.workB * dt * growthDecay;
    p.workB = std::fabs(g) >= std::fabs(p.workB) ? 0.0f : p.workB - g;
    p.width += p.workB * dt;
    p.height += p.workB * dt;
    return 1;
}
