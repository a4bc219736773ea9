// The tuning of the orange, violet, yellow and white totems' effects, read from
// their sections of "Totems.cfg". Every key has a built-in default. Points on
// the totem picture are kept as fractions of the totem's size from its centre,
// x to the right and y upward (W by H is the picture size, MainSize); screen
// points are in the centred screen with y upward. Tables per level are read
// with the level clamped to 1..4.
#pragma once

#include "engine/MotionPath.h" // Vec3

#include <cstdint>
#include <vector>

const int32_t kTotemLevels = 4;

// Index of a per-level table entry for a level, clamped to 1..4.
inline int32_t TotemLevelIndex(int32_t level)
{
    return level < 1 ? 0 : level > kTotemLevels ? kTotemLevels - 1 : level - 1;
}

struct OrangeTotemSettings
{
    // Point 0 the destination on the screen; points 1..4 where the swirl
    // starts on the totem at each level.
    Vec3 points[5] = {};
    float flyTime = 0.4f;
    float preFlyTime = 0.2f;
    float postFlyTime = 0.2f;
    float digitsSize = 32.0f;
    uint32_t starColour = 0xFFA0FFA0u;
    uint32_t twirlColour = 0x80FFFFA0u;
    uint32_t flyTwirlColour = 0xFFFFFFFFu;
    int32_t flyTwirlFilter = 2;

    void Read(const char* file);
};

struct VioletTotemSettings
{
    Vec3 glowCentres[kTotemLevels] = {};
    float glowSizes[kTotemLevels][2] = {};
    uint32_t glowColour = 0xFFFFFFFFu;
    uint32_t rayColour = 0x7FFFFFFFu;
    Vec3 rayCentres[kTotemLevels] = {};
    float raySizes[kTotemLevels][2] = {};
    float rayRadii[kTotemLevels][2] = {};
    float raySpeed = 0.5f;
    float areas[kTotemLevels][4] = {}; // top-left x, y and width, height
    float flyTime = 0.5f;

    void Read(const char* file, float w, float h);
};

struct YellowTotemSettings
{
    float nuggetFadeTime = 0.25f;
    Vec3 smokeCentres[kTotemLevels] = {};
    float smokePlatformSizes[kTotemLevels] = {};
    uint32_t smokeColour = 0xFF5050FFu;
    float smokeSize = 0.125f;
    float smokeExpand = 0.0625f;
    float smokeUpSpeed = 13.28f;
    float smokeFadeSpeed = 4.0f;
    float numberStartTime = 0.25f;
    float numberFlyTime = 0.5f;
    float numberFadeTime = 0.25f;
    Vec3 numberTarget{0.0f, 0.0f, 0.0f};
    float numberRects[5][4] = {};
    float numberSizes[5][2] = {};
    float flareSize = 0.047f;
    float flareLifeTime = 0.4f;
    float flareSpeed = 3.1415927f;
    float flareInterval = 0.08f;
    uint32_t flareColour = 0x808080FFu;
    float flares[kTotemLevels][4] = {}; // centre x, y and extent x, y
    float plusSize = 32.0f;
    Vec3 frenzyTarget{0.0f, 0.0f, 0.0f};
    float frenzyWidth = 640.0f;

    void Read(const char* file, float w, float h, float textureW, float textureH);
};

struct WhiteTotemSettings
{
    // Per level the strips' lines (two picture points each: x1 y1 x2 y2) and
    // the texture length of each segment between two lines.
    std::vector<float> stripLines[kTotemLevels];
    std::vector<float> stripLengths[kTotemLevels];
    float streamIntensity = 0.8f;
    float streamTSpeed = 0.25f;
    Vec3 spouts[kTotemLevels] = {};
    float spoutRadii[kTotemLevels] = {};
    float paintDropSpeed = 800.0f;
    float paintDropIntensity = 0.8f;
    float lengthFactor[2] = {0.8f, 1.5f};
    float widthFactor[2] = {0.5f, 1.2f};
    float wobbleSpeed = 6.2831853f;
    float sprayIntensity = 0.75f;
    float sprayParticleSize = 48.0f;
    int32_t sprayParticles = 15;

    void Read(const char* file, float w, float h);
};
