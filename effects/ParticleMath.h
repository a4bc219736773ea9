// Small vector helpers for the particle code. Positions and velocities are
// the engine's Vec3; the helpers live in their own namespace so they never
// clash with operators other modules may define for it.
#pragma once

#include "engine/MotionPath.h"

#include <cmath>
#include <cstdint>

namespace pmath
{

inline Vec3 V(float x, float y, float z) { return Vec3{x, y, z}; }
inline Vec3 Add(const Vec3& a, const Vec3& b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 Sub(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 Mul(const Vec3& a, float s) { return Vec3{a.x * s, a.y * s, a.z * s}; }
inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }

// The unit vector along a, or the fallback when a has no length.
inline Vec3 NormalOr(const Vec3& a, const Vec3& fallback)
{
    float len = Length(a);
    if (!(len > 0.0f))
        return fallback;
    return Mul(a, 1.0f / len);
}

// a + (2r - 1) b: a mean with a uniform spread of b either way.
inline float Spread(float mean, float spread, float r) { return mean + (2.0f * r - 1.0f) * spread; }

// floor(r * n) for r in [0, 1], kept below n: a random value of exactly 1.0
// must not pick the entry past the end of a table.
inline int RandomIndex(float r, int n)
{
    int i = static_cast<int>(std::floor(r * static_cast<float>(n)));
    if (i >= n)
        i = n - 1;
    if (i < 0)
        i = 0;
    return i;
}

// Nearest integer, halves away from zero.
inline int Nearest(float v) { return static_cast<int>(std::lround(v)); }

// The nearest colour byte to v, kept within 0..255.
inline uint32_t ClampByte(float v)
{
    long a = std::lround(v);
    if (a < 0)
        a = 0;
    if (a > 255)
        a = 255;
    return static_cast<uint32_t>(a);
}

// The alpha byte of a 0..1 opacity.
inline uint32_t AlphaByte(float alpha) { return ClampByte(alpha * 255.0f); }

// Angles in 1/1024 of a turn, wrapped into [0, 1024).
inline float WrapAngle(float a)
{
    if (a >= 1024.0f)
        return std::fmod(a, 1024.0f);
    if (a < 0.0f)
    {
        float w = 1024.0f - std::fmod(-a, 1024.0f);
        return w >= 1024.0f ? w - 1024.0f : w;
    }
    return a;
}

} // namespace pmath
