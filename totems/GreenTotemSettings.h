// GreenTotemSettings: the green totem's tuning from section "Green" of
// "Totems.cfg": where its rays start and how they run, its flying gems, the
// flares that sparkle on it while it is armed, and the chain across its picture
// that bursts at a full charge. Points are on the totem's picture, in fractions
// of its size from its centre, y up. The settings hold one; each green totem
// keeps a copy.
#pragma once

#include "engine/MotionPath.h" // Vec3

#include <cstdint>

// A parallelogram on the picture: a corner and its two edges.
struct TotemRegion
{
    Vec3 base{0.0f, 0.0f, 0.0f};
    Vec3 edge1{0.0f, 0.0f, 0.0f};
    Vec3 edge2{0.0f, 0.0f, 0.0f};

    // The point u along the first edge and v along the second.
    Vec3 At(float u, float v) const
    {
        return Vec3{base.x + u * edge1.x + v * edge2.x, base.y + u * edge1.y + v * edge2.y, base.z};
    }
};

struct GreenTotemSettings
{
    static constexpr int32_t kLevels = 4;
    static constexpr int32_t kFlareLevels = 3; // levels 2..4

    // Reads the section; W by H is the picture size, then the body's and the
    // shadow's texture sizes.
    void ReadGreenTotemConfig(const char* file, float w, float h, float bodyW, float bodyH, float shadowW,
                              float shadowH);

    float noChainRect[4] = {0, 0, 0, 0};
    float noChainShadowRect[4] = {0, 0, 0, 0};
    float chain[4] = {0, 0, 0, 0}; // left end x, height y, width, sag
    Vec3 points[kLevels] = {};      // where the rays start, by level
    uint32_t rayFlareColour = 0xFFFFE580u;
    uint32_t rayColour = 0xFFFFFFFFu;
    float preRayTime = 0.25f;
    float rayFlareTime = 1.0f;
    float rayThickness = 80.0f;
    float rayTan = 0.05f;
    float raySpeed = 800.0f;
    float rayLength = 400.0f;
    float rayWaveLength = 256.0f;
    float rayInTermTime = 0.5f;
    float rayHeadSize = 24.0f;
    float rayHeadSpin = 3.1415927f;
    float unigemSize = 48.0f;
    uint32_t unigemTailColour = 0xFFC0C0FFu;
    float unigemTailParticleSize = 48.0f;
    float unigemFlyTime = 0.75f;
    float unigemStartFlyTime = 0.0f;
    float pauseTime = 1.0f;
    TotemRegion flares[kFlareLevels];
    float smallFlareSize = 0.0f;
    float smallFlareLife = 0.4f;
    float smallFlareSpin = 1.0f;
    float smallFlarePeriod = 0.08f;
    float smallFlareIntensity = 1.0f;
    float bigFlareSize = 0.0f;
    float bigFlareIntensity = 0.6f;
    float bigFlarePeriod = 1.5f;
    float bigFlareSpin = 0.5f;
    float chainTime = 0.75f;
    float chainLightSize = 0.0f;
    float chainLightLife = 0.25f;
    float chainLightPeriod = 0.025f;
    uint32_t chainLightColour = 0xFFFFFFFFu;

    // The flare region of a level; levels below 2 have none.
    const TotemRegion* FlaresAt(int32_t level) const;
    // The rays' start of a level, clamped to 1..4.
    const Vec3& PointAt(int32_t level) const;
};
