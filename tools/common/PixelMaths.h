// The colour and maths helpers of the picture generators: clamping, interpolation,
// smooth steps, straight-alpha colours and their mixing, a small deterministic
// generator and wrapping value noise. Everything here is exact float arithmetic in a
// fixed order, so that generated pictures stay the same from build to build.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tools {

constexpr float kPi = 3.14159265f;

inline float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

// 0 below e0, 1 above e1, a smooth cubic between.
inline float Smooth(float e0, float e1, float x)
{
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

struct Rgb
{
    float r, g, b;
};

inline Rgb Mix(Rgb a, Rgb b, float t) { return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Rgb Scale(Rgb a, float k) { return Rgb{a.r * k, a.g * k, a.b * k}; }

// A straight-alpha colour, 0..1.
struct Rgba
{
    float r, g, b, a;
};

// From 0..255 components.
inline Rgba C(int r, int g, int b, float a = 1.0f) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }
inline Rgba Mix(const Rgba& a, const Rgba& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
inline Rgba Scale(const Rgba& c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
inline Rgba WithAlpha(const Rgba& c, float a) { return {c.r, c.g, c.b, a}; }

// A small deterministic generator for grain, stars and noise lattices.
struct Lcg
{
    uint32_t state;
    explicit Lcg(uint32_t seed) : state(seed) {}
    float Next()
    {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    }
};

// Value noise on a lattice that wraps every `period` cells, so tiles repeat seamlessly.
struct Noise
{
    int period;
    std::vector<float> lattice;
    Noise(uint32_t seed, int period) : period(period), lattice(size_t(period) * size_t(period))
    {
        Lcg rng(seed);
        for (float& v : lattice)
            v = rng.Next();
    }
    float At(float x, float y) const
    {
        const int xi = int(std::floor(x)), yi = int(std::floor(y));
        float fx = x - float(xi), fy = y - float(yi);
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        auto v = [&](int i, int j) {
            return lattice[size_t(((j % period) + period) % period) * size_t(period) +
                           size_t(((i % period) + period) % period)];
        };
        const float a = v(xi, yi) + (v(xi + 1, yi) - v(xi, yi)) * fx;
        const float b = v(xi, yi + 1) + (v(xi + 1, yi + 1) - v(xi, yi + 1)) * fx;
        return a + (b - a) * fy;
    }
    // Octaves keep the wrap because each doubles the lattice frequency.
    float Fractal(float x, float y, int octaves) const
    {
        float sum = 0, amp = 0.5f, norm = 0;
        for (int i = 0; i < octaves; ++i)
        {
            sum += amp * At(x, y);
            norm += amp;
            x *= 2;
            y *= 2;
            amp *= 0.5f;
        }
        return sum / norm;
    }
};

} // namespace tools
