#include "effects/Particle.h"

#include "effects/ParticleEnvironment.h"
#include "engine/Random.h"

#include <cmath>

using namespace pmath;

namespace
{

// Velocity shrinks by drag x speed per second; it stops rather than reverse.
void ApplyDrag(Vec3& velocity, float dt, float drag)
{
    float s = Length(velocity);
    if (s == 0.0f)
    {
        velocity = V(0.0f, 0.0f, 0.0f);
        return;
    }
    float f = (s - dt * drag * s) / s;
    if (f < 0.0f)
        f = 0.0f;
    velocity = Mul(velocity, f);
}

// Spin slows by damping x spin per second and stops instead of turning back.
void DampSpin(float& angularSpeed, float dt, float damping)
{
    float w = angularSpeed - damping * angularSpeed * dt;
    if ((w < 0.0f) != (angularSpeed < 0.0f))
        w = 0.0f;
    angularSpeed = w;
}

void AdvanceFrame(float& frame, float& frameSpeed, float dt, float damping)
{
    frame += frameSpeed * dt;
    if (frame >= 16.0f)
        frame = std::fmod(frame, 16.0f);
    frameSpeed -= damping * frameSpeed * dt;
    if (frameSpeed < 0.0f)
        frameSpeed = 0.0f;
}

float RandomAtlasFrame() { return static_cast<float>(RandomIndex(RandomUnit(), 16)); }

} // namespace

void CParticle::MoveBy(float dx, float dy, float dz)
{
    position.x += dx;
    position.y += dy;
    position.z += dz;
}

void CParticle::Update(float, const CParticleEnvironment&) {}

void CSpark::Spawn(uint32_t colour_, float fadeRate_, const Vec3& position_, const Vec3& velocity_,
                   float size_, float lengthFactor_, float maxLength_)
{
    position = position_;
    velocity = velocity_;
    size = size_;
    alive = 1;
    lengthFactor = lengthFactor_;
    maxLength = maxLength_;
    gravityScale = 1.0f;
    length = size_;
    lengthPerSpeed = size_ * lengthFactor_;
    life = 1.0f;
    fadeRate = fadeRate_;
    colour = colour_ & 0xFFFFFFu;
}

void CSpark::Update(float dt, const CParticleEnvironment& env)
{
    position = Add(position, Mul(velocity, dt));
    velocity = Add(velocity, Mul(env.gravity, gravityScale * dt));
    life -= fadeRate * dt;
    if (life < 0.0f)
        life = 0.0f;
}

void CSmoke::Spawn(uint32_t colour_, float fadeRate_, const Vec3& position_, const Vec3& velocity_,
                   float size_, float growth_, float growthAcceleration_, float rise_)
{
    position = position_;
    velocity = velocity_;
    size = size_;
    alive = 1;
    alpha = 1.0f;
    fadeRate = fadeRate_;
    fadePeak = 1.0f;
    growth = growth_;
    growthAcceleration = growthAcceleration_;
    angle = static_cast<float>(RandomIndex(RandomUnit(), 1024));
    angularSpeed = RandomUnit() * 600.0f - 300.0f;
    frame = RandomAtlasFrame();
    frameSpeed = 0.0f;
    rise = rise_;
    colour = colour_ & 0xFFFFFFu;
    red = static_cast<float>((colour >> 16) & 0xFF);
    green = static_cast<float>((colour >> 8) & 0xFF);
    blue = static_cast<float>(colour & 0xFF);
}

void CSmoke::Update(float dt, const CParticleEnvironment& env)
{
    position.x += velocity.x * dt;
    position.z += velocity.z * dt;
    position.y += (velocity.y + rise) * dt;
    ApplyDrag(velocity, dt, env.smokeDrag);
    size += growth * dt;
    growth += growthAcceleration * dt;
    angle = WrapAngle(angle + angularSpeed * dt);
    DampSpin(angularSpeed, dt, env.smokeSpinDamping);
    AdvanceFrame(frame, frameSpeed, dt, env.smokeFrameDamping);

    alpha -= fadeRate * dt;
    if (fadeRate < 0.0f && alpha >= fadePeak)
    {
        // The time spent past the peak within this step already fades out.
        float past = (alpha - fadePeak) / -fadeRate;
        fadeRate = secondFadeRate;
        alpha = fadePeak - past * fadeRate;
    }
    if (alpha < 0.0f)
        alpha = 0.0f;
}

void CFireball::Spawn(uint32_t colour_, float fadeRate_, const Vec3& position_,
                      const Vec3& velocity_, float size_, float growth_, float growthAcceleration_)
{
    position = position_;
    velocity = velocity_;
    size = size_;
    alive = 1;
    alpha = 1.0f;
    fadeRate = fadeRate_;
    growth = growth_;
    growthAcceleration = growthAcceleration_;
    angle = static_cast<float>(RandomIndex(RandomUnit(), 1024));
    bool negative = RandomUnit() < 0.5f;
    float speed = 1024.0f + 1024.0f * RandomUnit();
    angularSpeed = negative ? -speed : speed;
    frame = RandomAtlasFrame();
    frameSpeed = 0.0f;
    colour = colour_ & 0xFFFFFFu;
}

void CFireball::Update(float dt, const CParticleEnvironment& env)
{
    position = Add(position, Mul(velocity, dt));
    ApplyDrag(velocity, dt, env.fireballDrag);
    size += growth * dt;
    growth += growthAcceleration * dt;
    angle = WrapAngle(angle + angularSpeed * dt);
    DampSpin(angularSpeed, dt, env.fireballSpinDamping);
    AdvanceFrame(frame, frameSpeed, dt, env.fireballFrameDamping);
    alpha -= fadeRate * dt;
    if (alpha < 0.0f)
        alpha = 0.0f;
}

void CThunderbolt::Spawn(uint32_t colour_, const Vec3& position_, float jitterRadius_, float size_)
{
    position = position_;
    velocity = V(0.0f, 0.0f, 0.0f);
    size = size_;
    alive = 1;
    jitter = position_;
    jitterRadius = jitterRadius_;
    frame = RandomAtlasFrame();
    colour = colour_ & 0xFFFFFFu;
    brightness = 0.75f + 0.25f * RandomUnit();
}

void CThunderbolt::Update(float dt, const CParticleEnvironment&)
{
    // About twenty jumps a second: every step of 1/20 s or longer jumps.
    if (RandomUnit() > dt * 20.0f)
        return;
    float ax = 2.0f * RandomUnit() - 1.0f;
    float ay = 2.0f * RandomUnit() - 1.0f;
    float az = 2.0f * RandomUnit() - 1.0f;
    Vec3 v = V(ax, ay, az);
    float len = Length(v);
    jitter = len > 0.0f ? Add(position, Mul(v, jitterRadius / len)) : position;
    brightness = 0.75f + 0.25f * RandomUnit();
    frame = RandomAtlasFrame();
}

void CThunderbolt::MoveBy(float dx, float dy, float dz)
{
    CParticle::MoveBy(dx, dy, dz);
    jitter.x += dx;
    jitter.y += dy;
    jitter.z += dz;
}

void CSpell::Spawn(uint32_t colour_, float fadeRate_, const Vec3& position_, const Vec3& velocity_,
                   float size_, float angle_, float angularSpeed_)
{
    position = position_;
    velocity = velocity_;
    size = size_;
    alive = 1;
    alpha = fadeRate_ > 0.0f ? 1.0f : 0.0f;
    fadeRate = fadeRate_;
    colour = colour_ & 0xFFFFFFu;
    angle = angle_;
    angularSpeed = angularSpeed_;
    phase = 1.0f;
    phaseRate = std::fabs(fadeRate_ * 10.0f);
    done = 0;
}

void CSpell::Update(float dt, const CParticleEnvironment&)
{
    position = Add(position, Mul(velocity, dt));
    angle = WrapAngle(angle + angularSpeed * dt);

    const float f = fadeRate;
    const float q = phaseRate;
    if (phase >= 0.0f && phase < 1.0f)
    {
        // Quick fade-in (or fade-out for a negative rate) over 1/q seconds.
        phase += q * dt;
        if (phase < 1.0f)
        {
            alpha = f < 0.0f ? 1.0f - phase : phase;
            return;
        }
        float t = (phase - 1.0f) / q;
        alpha = f < 0.0f ? -f * t : 1.0f - f * t;
        if (alpha < 0.0f)
        {
            alpha = 0.0f;
            done = 1;
        }
        else if (alpha > 1.0f)
        {
            alpha = 1.0f;
            done = 1;
        }
        phase = 1.0f;
    }
    else if (phase >= 1.0f)
    {
        alpha -= f * dt;
        if (alpha < 0.0f)
        {
            alpha = 0.0f;
            done = 1;
        }
        else if (alpha > 1.0f)
        {
            if (phase != 2.0f)
            {
                alpha = 1.0f;
                done = 1;
            }
            else
            {
                // A converging spell has faded in; it now fades out at the phase rate,
                // the time spent past full opacity already counted.
                phase = -1.0f - ((alpha - 1.0f) * q) / f;
                if (phase >= 0.0f)
                    done = 1;
                alpha = phase < 0.0f ? -phase : 0.0f;
            }
        }
    }
    else
    {
        phase += q * dt;
        if (phase >= 0.0f)
        {
            done = 1;
            alpha = 0.0f;
        }
        else
            alpha = -phase;
    }
}
