#include "effects/MultiOriginSystemKeeper.h"
#include "engine/MathConstants.h"

#include "effects/ParticleMath.h"
#include "engine/Random.h"

#include <cmath>

using namespace pmath;

namespace
{


bool Inside(const Vec3& p, const Vec3& lo, const Vec3& hi)
{
    return lo.x <= p.x && p.x <= hi.x && lo.y <= p.y && p.y <= hi.y && lo.z <= p.z && p.z <= hi.z;
}

} // namespace

const CMultiOriginSystemKeeper::ParticleLook CMultiOriginSystemKeeper::kDefaultLook = {
    {50.0f, 25.0f}, {32.0f, 32.0f, 16.0f, 16.0f}, {512.0f, -256.0f}, 0xFFFFFFFFu, {0.1f, 0.5f, 0.5f},
    {0.05f, 0.25f, 0.25f}};

CMultiOriginSystemKeeper::CMultiOriginSystemKeeper()
{
    SetParams(0, V(0, 0, 0), V(0, 0, 0), 10.0f, kDefaultLook);
    slotFades.reserve(64);
}

void CMultiOriginSystemKeeper::SetParams(int32_t index, const Vec3& offset, const Vec3& drift, float rate,
                                         const ParticleLook& look)
{
    // An origin without a rate never emits (and nothing divides by zero).
    Origin o{offset, drift, rate, look, float(look.colour >> 24) / 255.0f, rate > 0.0f ? 1.0f / rate : 0.0f, 0};
    if (index >= 0 && size_t(index) < origins.size())
    {
        o.pending = origins[size_t(index)].pending;
        origins[size_t(index)] = o;
    }
    else
        origins.push_back(o);
}

void CMultiOriginSystemKeeper::AddOrigin(float radius, int32_t n, float startAngle, float totalRate,
                                         float radialSpeed, const ParticleLook& look, int32_t keep)
{
    if (!keep)
        origins.clear();
    if (n < 1)
        return;
    const float step = kTwoPi / float(n);
    float theta = startAngle;
    for (int32_t i = 0; i < n; ++i)
    {
        const float c = std::cos(theta), s = std::sin(theta);
        SetParams(i, V(radius * c, radius * s, 0.0f), V(radialSpeed * c, radialSpeed * s, 0.0f), totalRate / float(n),
                  look);
        theta += step;
    }
}

void CMultiOriginSystemKeeper::AddOriginEx(const Vec3& first, const Vec3& last, const Vec3& direction, int32_t n,
                                           float totalRate, float driftSpeed, const ParticleLook& look, int32_t keep)
{
    if (!keep)
        origins.clear();
    if (n < 1)
        return;
    const float length = Length(direction);
    const Vec3 drift = length > 0.0f ? Mul(direction, driftSpeed / length) : direction;
    const Vec3 step = n > 1 ? Mul(Sub(last, first), 1.0f / float(n - 1)) : V(0, 0, 0);
    Vec3 offset = first;
    for (int32_t i = 0; i < n; ++i)
    {
        SetParams(i, offset, drift, totalRate / float(n), look);
        offset = Add(offset, step);
    }
}

int32_t CMultiOriginSystemKeeper::BeginFrame(float originX, float originY, float originZ, float)
{
    offset = V(originX, originY, originZ);
    return 1;
}

int32_t CMultiOriginSystemKeeper::GetEmitCount(float dt)
{
    int32_t total = 0;
    for (Origin& o : origins)
    {
        o.accumulator += dt;
        if (!(o.rate > 0.0f))
        {
            o.pending = 0;
            continue;
        }
        const int32_t k = int32_t(std::floor(o.rate * o.accumulator));
        if (k < 1)
        {
            o.pending = 0;
            continue;
        }
        o.pending = k;
        o.accumulator -= float(k) / o.rate;
        total += k;
    }
    return total;
}

int32_t CMultiOriginSystemKeeper::InitParticle(int32_t index, CCollectedParticle2& particle, float originX,
                                               float originY, float originZ)
{
    if (index < 0)
        return 1;
    if (slotFades.size() <= size_t(index))
        slotFades.resize(size_t(index) + 1, FadeTimes{0.0f, 0.0f, 0.0f});
    Origin* o = nullptr;
    for (Origin& candidate : origins)
        if (candidate.pending > 0)
        {
            o = &candidate;
            break;
        }
    if (!o)
        return 1;
    const ParticleLook& look = o->look;
    const Vec3 position = Add(o->offset, V(originX, originY, originZ));
    const float a = RandomUnit() * kTwoPi;
    const float phi = (RandomUnit() - 0.5f) * kPi;
    const float speed = Spread(look.speed[0], look.speed[1], RandomUnit());
    Vec3 velocity = V(speed * std::cos(phi) * std::cos(a), speed * std::sin(phi), speed * std::cos(phi) * std::sin(a));
    velocity = Add(Add(velocity, o->drift), baseVelocity);
    velocity.z *= zVelocityScale;
    const int32_t frame = frames.Pick(RandomUnit());
    float width, height;
    if (look.size[3] >= 0.0f)
    {
        const float r = (RandomUnit() - 0.5f) * 2.0f;
        width = look.size[2] * r + look.size[0];
        height = look.size[3] * r + look.size[1];
    }
    else
    {
        width = Spread(look.size[0], look.size[2], RandomUnit());
        height = Spread(look.size[1], look.size[3], RandomUnit());
    }
    const float angle = RandomUnit() * 1024.0f;
    particle.SpawnTextured(look.colour, position.x, position.y, position.z, frame, 0.0f, width, height, angle);
    particle.velocity = velocity;
    frames.Apply(frame, particle);
    particle.angularSpeed = Spread(look.spin[0], look.spin[1], RandomUnit());
    if (look.spin[1] < 0.0f && RandomUnit() < 0.5f)
        particle.angularSpeed = -particle.angularSpeed;
    FadeTimes& f = slotFades[size_t(index)];
    f.fadeInEnd = Spread(look.fade[0], look.fadeSpread[0], RandomUnit());
    f.holdEnd = look.fade[1] + f.fadeInEnd + (RandomUnit() - 0.5f) * 2.0f * look.fadeSpread[1];
    f.fadeOutEnd = look.fade[2] + f.holdEnd + (RandomUnit() - 0.5f) * 2.0f * look.fadeSpread[2];
    particle.workD = o->alpha;
    particle.workC = 0.0f;
    --o->pending;
    return 1;
}

int32_t CMultiOriginSystemKeeper::UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float,
                                                 float, float)
{
    particle.velocity = Add(particle.velocity, Mul(acceleration, dt));
    particle.position = Add(particle.position, Mul(particle.velocity, dt));
    particle.angle = WrapAngle(particle.angle + particle.angularSpeed * dt);
    particle.workC += dt;
    const float age = particle.workC, full = particle.workD;
    // A slot the keeper never started has no fade times: it ends at once.
    if (index < 0 || size_t(index) >= slotFades.size())
        return 0;
    const FadeTimes& f = slotFades[size_t(index)];
    if (age < f.fadeInEnd)
        particle.alpha = age / f.fadeInEnd * full;
    else if (age < f.holdEnd)
        particle.alpha = full;
    else if (age < f.fadeOutEnd)
        particle.alpha = (1.0f - (age - f.holdEnd) / (f.fadeOutEnd - f.holdEnd)) * full;
    else
    {
        particle.alpha = 0.0f;
        return 0;
    }
    return Inside(particle.position, boxMin, boxMax) ? 1 : 0;
}
