// Parameter blocks of the five built-in particle systems. The caller builds
// one, adjusts fields, hands it to the matching CParticleSystemsManager::Add...
// operation (which reads it while building the system) and keeps ownership.
// Colours are ARGB; only the low 24 bits are used. Spreads are full widths
// unless said; "a, a spread" pairs vary uniformly by up to the spread either way.
#pragma once

#include "engine/MotionPath.h"

#include <cstdint>

class CSparksSpringParametres
{
public:
    CSparksSpringParametres(const Vec3& origin, const Vec3& direction, const Vec3& spreadAxis,
                            float spreadA, float spreadB, uint32_t colour);
    virtual ~CSparksSpringParametres() = default;

    Vec3 origin;
    Vec3 direction; // base velocity of every spark
    Vec3 spreadAxis;
    float spreadA; // width along the axis; radial mode: base speed
    float spreadB; // width across; radial mode: speed spread
    uint32_t colour;
    float sparkWidth = 0.005f; // also the shortest streak
    float lengthFactor = 1.5f; // streak length per unit of speed, in widths
    float maxLength = 0.02f;
    float fadeRate = 0.75f; // life lost per second
    int32_t timed = 1;
    float duration = 0.5f;
    int32_t count = 50; // sparks in all when not timed
    float rate = 50.0f; // sparks per second
    int32_t radial = 0; // velocities in all directions
};

class CSmokesSpringParametres
{
public:
    static constexpr int32_t kBlendMask = 15; // 0 alpha blend, 1 additive, 2 darkening
    static constexpr int32_t kTrail = 16; // puffs laid along the emitter's path

    CSmokesSpringParametres(const Vec3& origin, const Vec3& direction, const Vec3& spreadAxis,
                            float positionSpreadA, float positionSpreadB, float directionSpreadA,
                            float directionSpreadB, uint32_t colour, int32_t flags);
    virtual ~CSmokesSpringParametres() = default;

    int32_t flags;
    Vec3 origin;
    Vec3 direction; // trail mode: the velocity
    Vec3 spreadAxis;
    float positionSpreadA, positionSpreadB;
    float directionSpreadA, directionSpreadB;
    uint32_t colour;
    float speed = 0.1f, speedSpread = 0.025f;
    float rise = 0.1f, riseSpread = 0.025f;
    float size = 0.01f, sizeSpread = 0.0025f;
    float growth = 0.2f, growthSpread = 0.1f;
    float growthAcceleration = 0.01f;
    float fadeRate = 0.75f, fadeSpread = 0.25f;
    float fadeInRate = 0.0f; // 0: puffs start opaque
    int32_t timed = 1;
    float duration = 3.0f;
    int32_t count = 50;
    float rate = 60.0f;
};

class CExplosionParametres
{
public:
    static constexpr int32_t kModeSphere = 0; // directions in all directions
    static constexpr int32_t kModeRing = 1; // directions across the axis, plus some along it

    // The axis is kept normalised; (0, 1, 0) when it has no length.
    CExplosionParametres(const Vec3& centre, const Vec3& baseVelocity, const Vec3& axis,
                         float radius, float axialSpread, int32_t count, uint32_t colour,
                         int32_t mode);
    virtual ~CExplosionParametres() = default;

    int32_t mode;
    Vec3 centre;
    Vec3 baseVelocity;
    Vec3 axis;
    float radius; // birth positions within this distance of the centre
    uint32_t colour;
    float speed = 0.5f, speedSpread = 0.25f;
    float axialSpread;
    float size = 0.005f, sizeSpread = 0.0025f;
    float growth = 0.25f, growthSpread = 0.125f;
    float growthAcceleration = 0.0f;
    float fadeRate = 2.0f, fadeSpread = 0.25f;
    int32_t count; // fireballs, all born in the first update
};

class CThunderboltParametres
{
public:
    CThunderboltParametres(const Vec3& startPoint, const Vec3& startAxisA, const Vec3& startAxisB,
                           float startSpreadA, float startSpreadB, float startJitter,
                           const Vec3& target, const Vec3& endAxisA, const Vec3& endAxisB,
                           float endSpreadA, float endSpreadB, float endJitter, int32_t segments,
                           int32_t bolts, uint32_t colour);
    virtual ~CThunderboltParametres() = default;

    Vec3 startPoint;
    Vec3 startAxisA, startAxisB;
    float startSpreadA, startSpreadB; // full widths of the start area
    float startJitter; // jitter radius at the start of each bolt
    Vec3 target;
    Vec3 endAxisA, endAxisB;
    float endSpreadA, endSpreadB;
    float endJitter;
    uint32_t colour;
    float pointSize = 0.01f; // width of the bolt
    int32_t segments; // points per bolt = segments + 1
    int32_t bolts;
    float duration = 5.0f;
    float startDelay = 0.0f; // nothing is drawn before it
};

class CSpellsSpringParametres
{
public:
    static constexpr int32_t kModeNormal = 0;
    static constexpr int32_t kModeConverging = 1; // spells fade in while flying onto the path

    CSpellsSpringParametres(const Vec3& origin, const Vec3& velocity, float speed,
                            float speedSpread, float size, float sizeSpread, uint32_t colour);
    virtual ~CSpellsSpringParametres() = default;

    Vec3 origin;
    Vec3 velocity; // base velocity
    uint32_t colour;
    float speed, speedSpread; // of the random part of the birth velocity
    float size, sizeSpread;
    float fadeRate = 0.5f, fadeSpread = 0.25f;
    int32_t timed = 1;
    float duration = 10.0f;
    int32_t count = 50;
    float rate = 60.0f;
    int32_t mode = kModeNormal;
    int32_t randomAngle = 0;
    int32_t randomSpinSign = 1;
    float spin = 0.0f, spinSpread = 0.0f; // angle units per second
    int32_t phaseStart = 0; // spells start mid-fade: converging 2.0, otherwise 0.0
    float phaseRate = 5.0f;
};
