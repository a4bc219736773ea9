#include "effects/VortexKeeper.h"
#include "engine/MathConstants.h"

#include "effects/ParticleMath.h"
#include "engine/Random.h"

#include <cmath>

using namespace pmath;

namespace
{


// Moves value towards target by rate * (target - value) * dt, never past it.
float Approach(float value, float target, float rate, float dt)
{
    const float next = value + rate * (target - value) * dt;
    if ((target - value) * (target - next) < 0.0f)
        return target;
    return next;
}

} // namespace

CVortexKeeper::CVortexKeeper()
{
    SetParticleParams(0xFFFFFFFF, 32.0f, 32.0f, 20.0f, 10.0f, 0.5f, 2.0f, 256.0f);
    axis = V(0.0f, 0.0f, 1.0f);
    SetParams(16.0f, 40.0f, 200.0f, 200.0f, 16.0f);
    Reset(kSingleFrame);
}

void CVortexKeeper::SetParams(float inner, float outer, float innerV, float outerV, float spawn)
{
    innerRadius = inner;
    outerRadius = outer;
    innerSpeed = innerV;
    outerSpeed = outerV;
    spawnRadius = spawn;
}

void CVortexKeeper::SetParticleParams(uint32_t c, float w, float h, float speed, float fadeIn, float hold,
                                      float fadeOut, float spin)
{
    colour = c;
    width = w;
    height = h;
    fadeInRate = fadeIn;
    speedBase = speed;
    speedSpread = 0.5f * speed;
    holdBase = hold;
    holdSpread = 0.5f * hold;
    fadeOutBase = fadeOut;
    fadeOutSpread = 0.5f * fadeOut;
    spinBase = spin;
    spinSpread = std::fabs(0.5f * spin);
}

void CVortexKeeper::Reset(int32_t mode)
{
    if (mode == kSingleFrame)
    {
        frames.assign(1, Frame{0.0f, 0.0f, 1.0f, 1.0f});
        frameScales.assign(1, FrameScale{1.0f, 1.0f});
        return;
    }
    if (mode != kTwelveFrames && mode != kTwelveFramesTrimmed)
        return;
    frames.clear();
    frameScales.clear();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
        {
            frames.push_back(Frame{column * 0.25f, row * 0.25f, (column + 1) * 0.25f, (row + 1) * 0.25f});
            frameScales.push_back(FrameScale{1.0f, 1.0f});
        }
    if (mode == kTwelveFramesTrimmed)
    {
        frames[5].left -= 0.015625f;
        frames[5].right -= 0.015625f;
        frameScales[5].width -= 0.0625f;
        frames[6].left -= 0.015625f;
        frames[6].right -= 0.0078125f;
        frameScales[6].width += 0.03125f;
    }
}

int32_t CVortexKeeper::BeginFrame(float originX, float originY, float originZ, float)
{
    offset = V(originX, originY, originZ);
    return 1;
}

int32_t CVortexKeeper::GetEmitCount(float dt)
{
    // A negative rate (or time) emits nothing and never winds the count back.
    const float add = emissionRate * dt;
    if (add > 0.0f)
        accumulator += add;
    if (accumulator < 1.0f)
        return 0;
    const float n = std::floor(accumulator);
    accumulator -= n;
    return int32_t(n);
}

int32_t CVortexKeeper::InitParticle(int32_t, CCollectedParticle2& particle, float originX, float originY,
                                    float originZ)
{
    const int count = int(frames.size());
    const int f = count > 0 ? RandomIndex(RandomUnit(), count) : 0;
    const float k = 0.7071f + 0.2929f * RandomUnit();
    const float r = k * k * spawnRadius;
    const float theta = RandomUnit() * kTwoPi;
    const Frame frame = count > 0 ? frames[size_t(f)] : Frame{0.0f, 0.0f, 1.0f, 1.0f};
    const FrameScale s = count > 0 ? frameScales[size_t(f)] : FrameScale{1.0f, 1.0f};
    particle.SpawnTextured(colour, originX + std::cos(theta) * r, originY + std::sin(theta) * r, originZ, f, 0.0f,
                           s.width * width, s.height * height, RandomUnit() * 1024.0f);
    particle.uv[0] = {frame.left, frame.top};
    particle.uv[1] = {frame.right, frame.top};
    particle.uv[2] = {frame.right, frame.bottom};
    particle.uv[3] = {frame.left, frame.bottom};
    const float speed = Spread(speedBase, speedSpread, RandomUnit());
    const float phi = RandomUnit() * kTwoPi;
    particle.velocity = V(std::cos(phi) * speed, std::sin(phi) * speed, 0.0f);
    particle.workA = -fadeInRate;
    particle.angularSpeed = Spread(spinBase, spinSpread, RandomUnit());
    return 1;
}

bool CVortexKeeper::StartFadeOut(CCollectedParticle2& particle, float hold)
{
    particle.workA = Spread(fadeOutBase, fadeOutSpread, RandomUnit());
    particle.alpha = particle.workA * hold + 1.0f;
    if (particle.alpha <= 0.0f)
    {
        particle.alpha = 0.0f;
        return false;
    }
    return true;
}

bool CVortexKeeper::Fade(CCollectedParticle2& particle, float dt)
{
    float& rate = particle.workA;
    float& hold = particle.workD;
    if (rate < 0.0f)
    {
        particle.alpha -= rate * dt;
        if (particle.alpha < 1.0f)
            return true;
        hold = Spread(holdBase, holdSpread, RandomUnit()) - (particle.alpha - 1.0f);
        if (hold > 0.0f)
        {
            particle.alpha = 1.0f;
            rate = 0.0f;
            return true;
        }
        return StartFadeOut(particle, hold);
    }
    if (rate == 0.0f)
    {
        hold -= dt;
        return hold > 0.0f ? true : StartFadeOut(particle, hold);
    }
    particle.alpha -= rate * dt;
    if (particle.alpha <= 0.0f)
    {
        particle.alpha = 0.0f;
        return false;
    }
    return true;
}

void CVortexKeeper::Whirl(CCollectedParticle2& particle, float dt, const Vec3& origin)
{
    const Vec3 d = Sub(particle.position, origin);
    if (!(Dot(d, d) < outerRadius * outerRadius))
        return;
    const float dist = Length(d);
    Vec3 radial;
    if (dist > 0.0f)
        radial = Mul(d, 1.0f / dist);
    else
    {
        const float phi = RandomUnit() * kTwoPi;
        radial = V(std::cos(phi), std::sin(phi), 0.0f);
    }
    const Vec3 tangent = Cross(axis, radial);
    // Equal radii leave no band between them: the inner speed holds throughout.
    const float band = outerRadius - innerRadius;
    const float s = (dist >= innerRadius && band > 0.0f) ? (dist - innerRadius) / band : 0.0f;
    const float target = (outerSpeed - innerSpeed) * s + innerSpeed;
    const float vt = Approach(Dot(particle.velocity, tangent), target, approachRate, dt);
    const float vr = Approach(Dot(particle.velocity, radial), 0.0f, radialDamping, dt);
    particle.velocity = Add(Mul(tangent, vt), Mul(radial, vr));
}

int32_t CVortexKeeper::UpdateParticle(int32_t, CCollectedParticle2& particle, float dt, float originX,
                                      float originY, float originZ)
{
    if (dt == 0.0f)
        return 1;
    if (!Fade(particle, dt))
        return 0;
    if (active)
        Whirl(particle, dt, V(originX, originY, originZ));
    particle.position = Add(particle.position, Mul(particle.velocity, dt));
    particle.angle = WrapAngle(particle.angle + particle.angularSpeed * dt);
    return 1;
}
