// The bonus tuning files: "Gems.cfg" (the gem's flight, halo and flares, and
// the standard size that scales every bonus) and "Bonus.cfg" (one section per
// line-of-four bonus). Both are read once at start-up into two process-wide
// blocks that every bonus reads; a missing file or key keeps the built-in value.
#pragma once

#include "engine/MotionPath.h"

#include <cstdint>

enum
{
    kGemKinds = 8,
};

struct GemSettings
{
    // [Gems]
    Vec3 targetPos{-480.0f, 0.0f, -150.0f}; // z: depth of a gem's collection flight
    int32_t targetZOrder = -150;
    float flyTime = 1.0f;
    float gemSize = 48.0f;
    uint32_t particleColor[kGemKinds] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                         0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    // [Halo]
    float haloSize = 128.0f;
    float haloT = 2.0f * 3.1415927f; // stored multiplied by pi
    float haloIntensity = 1.0f;
    float haloMinIntensity = 0.0f;
    int32_t haloMethod = 0; // 1 additive
    uint32_t haloColor[kGemKinds] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                     0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    // [SmallFlares]
    float smallSize = 8.0f;
    float smallLifeTime = 1.0f;
    float smallW = 3.1415927f; // radians per second
    float smallT = 0.1f;       // seconds between two small flares
    float smallIntensity = 1.0f;
    // [BigFlares]
    float bigSize = 64.0f;
    float bigIntensity = 1.0f;
    float bigT = 1.5f;
    float bigW = 0.5f * 3.1415927f;
    int32_t bigMethod = 0;
    float bigOriginSize[kGemKinds][2] = {{26, 26}, {26, 26}, {26, 26}, {26, 26},
                                         {26, 26}, {26, 26}, {26, 26}, {26, 26}};
    float smallOriginSize[kGemKinds][2] = {{28, 28}, {28, 28}, {28, 28}, {28, 28},
                                           {28, 28}, {28, 28}, {28, 28}, {28, 28}};
    // [Standard]
    float standardRadius = 38.0f;
};

// The sections of "Bonus.cfg" belong to the line-of-four kinds, which read
// their keys here when they are built; the gem has none.
struct BonusSettings
{
};

// Reads "Gems.cfg", then "Bonus.cfg" (full paths). Never fails.
void LoadBonusConfig(const char* gemsFile, const char* bonusFile);

const GemSettings& GetGemSettings();
const BonusSettings& GetBonusSettings();
// For tests and tools that tune a value directly.
GemSettings& MutableGemSettings();

struct FlareOrigin
{
    float x;
    float y;
};

// A random point, evenly spread over the ellipse of the gem kind's origin size
// ([BigFlares] when big is set, else [SmallFlares]); an offset from the gem's
// centre at scale 1. Kinds outside 0..7 are clamped.
FlareOrigin RandomFlareOrigin(int gemKind, int big);
