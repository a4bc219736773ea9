// Particle records of the built-in particle systems. Every system keeps a
// preallocated array of one of these classes and reuses its slots; a record
// is born by its Spawn and moved each frame by its Update.
// Angles are in 1/1024 of a turn, times in seconds.
#pragma once

#include "effects/ParticleMath.h"

#include <cstdint>

class CParticleEnvironment;

class CParticle
{
public:
    virtual ~CParticle() = default;
    virtual void MoveBy(float dx, float dy, float dz);
    virtual void Update(float dt, const CParticleEnvironment& env);

    Vec3 position{0.0f, 0.0f, 0.0f};
    Vec3 velocity{0.0f, 0.0f, 0.0f};
    float size = 0.0f;
    uint32_t user = 0; // free for keepers
    uint32_t alive = 0;
};

// A streak drawn along its velocity, falling under gravity.
class CSpark : public CParticle
{
public:
    void Spawn(uint32_t colour, float fadeRate, const Vec3& position, const Vec3& velocity,
               float size, float lengthFactor, float maxLength);
    void Update(float dt, const CParticleEnvironment& env) override;

    float lengthFactor = 0.0f;
    float maxLength = 0.0f;
    float gravityScale = 1.0f;
    float length = 0.0f;
    float lengthPerSpeed = 0.0f;
    float life = 0.0f; // 1 to 0, also the drawn alpha
    float fadeRate = 0.0f;
    uint32_t colour = 0;
};

// A rotating, growing puff from a 4 x 4 atlas that rises and slows down.
class CSmoke : public CParticle
{
public:
    void Spawn(uint32_t colour, float fadeRate, const Vec3& position, const Vec3& velocity,
               float size, float growth, float growthAcceleration, float rise);
    void Update(float dt, const CParticleEnvironment& env) override;

    float alpha = 0.0f;
    float fadeRate = 0.0f; // negative while fading in
    float secondFadeRate = 0.0f; // takes over once the fade-in reaches the peak
    float fadePeak = 1.0f;
    float growth = 0.0f;
    float growthAcceleration = 0.0f;
    float angle = 0.0f;
    float angularSpeed = 0.0f;
    float frame = 0.0f;
    float frameSpeed = 0.0f;
    float rise = 0.0f;
    uint32_t colour = 0;
    float red = 0.0f, green = 0.0f, blue = 0.0f;
};

// A fast-spinning explosion puff, drawn from the same atlas as smoke.
class CFireball : public CParticle
{
public:
    void Spawn(uint32_t colour, float fadeRate, const Vec3& position, const Vec3& velocity,
               float size, float growth, float growthAcceleration);
    void Update(float dt, const CParticleEnvironment& env) override;

    float alpha = 0.0f;
    float fadeRate = 0.0f;
    float growth = 0.0f;
    float growthAcceleration = 0.0f;
    float angle = 0.0f;
    float angularSpeed = 0.0f;
    float frame = 0.0f;
    float frameSpeed = 0.0f;
    uint32_t colour = 0;
};

// One point of a lightning bolt; it jumps about its place at random.
class CThunderbolt : public CParticle
{
public:
    void Spawn(uint32_t colour, const Vec3& position, float jitterRadius, float size);
    void Update(float dt, const CParticleEnvironment& env) override;
    void MoveBy(float dx, float dy, float dz) override;

    Vec3 jitter{0.0f, 0.0f, 0.0f}; // where the point is drawn
    float jitterRadius = 0.0f;
    float frame = 0.0f;
    uint32_t colour = 0;
    float brightness = 0.0f;
};

// A drifting, turning sprite that fades in and out by its fade phase.
class CSpell : public CParticle
{
public:
    void Spawn(uint32_t colour, float fadeRate, const Vec3& position, const Vec3& velocity,
               float size, float angle, float angularSpeed);
    void Update(float dt, const CParticleEnvironment& env) override;

    float alpha = 0.0f;
    float fadeRate = 0.0f;
    uint32_t colour = 0;
    float angle = 0.0f;
    float angularSpeed = 0.0f;
    float phase = 1.0f; // [0, 1): fading in; 1 or 2: steady fade; below 0: fading out
    float phaseRate = 0.0f;
    uint32_t done = 0;
};
