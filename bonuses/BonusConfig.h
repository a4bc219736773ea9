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

enum
{
    kTntLevels = 4, // levels with a box picture and a ring size of their own
    kTntOrbits = 3,
};

// [TNT]: the orbits of the three sparks round the box, the ring and halos of
// the blast and its spark burst.
struct TntSettings
{
    // Orbit i: a spark at angle a sits at centre + cos(a) axisA + sin(a) axisB.
    Vec3 orbitCentre[kTntOrbits] = {{-1.5f, 0.5f, 0.0f}, {-1.5f, 0.5f, 0.0f}, {-1.5f, 0.5f, 0.0f}};
    Vec3 orbitA[kTntOrbits] = {{-0.5f, -38.5f, 0.0f}, {-0.5f, -38.5f, 0.0f}, {-0.5f, -38.5f, 0.0f}};
    Vec3 orbitB[kTntOrbits] = {{9.9991f, -0.1299f, 0.9f}, {9.9991f, -0.1299f, 0.9f}, {9.9991f, -0.1299f, 0.9f}};
    float sparkerW = 0.25f; // radians per second
    float lifeTime = 1.0f;
    uint32_t ringColor = 0xFFFFFF80;
    float ringSize[kTntLevels] = {3.0f, 4.2f, 5.0f, 6.2f};
    float ringExpandTime = 0.4f;
    uint32_t haloColor = 0xFFFF8080;
    float haloSizeFactor = 0.9f;
    float haloW = 0.5f * 3.1415927f;
    uint32_t expSparkColor = 0x008080FF;
    float expSparkCount = 20.0f * 3.1415927f;
    float expSparkSize = 8.0f * 3.1415927f;
    float expSparkFading = 1.0f * 3.1415927f;
    float expSparkSpeed = 100.0f * 3.1415927f;
    float expSparkGravity = 100.0f * 3.1415927f;
};

// [Flash]: the turning bolts round the core and the discharge.
struct FlashSettings
{
    float radius = 30.0f;
    float boltWidth = 16.0f;
    float w = 3.1415927f; // radians per second
    float speed = 30.0f;  // kept; nothing uses it
    float coreSize = 16.0f;
    uint32_t intensityColour = 0x7FFFFFFF;
    float lifeTime = 0.25f;
};

// [Time]: the twirl that carries the time to the clock.
struct TimeSettings
{
    Vec3 target{114.0f - 512.0f, 384.0f - 94.0f, -60.0f};
    int32_t twirlZOrder = -60;
    float preFlyTime = 0.25f;
    float flyTime = 0.15f;
    float postFlyTime = 0.2f;
    float digitsSize = 24.0f;
    uint32_t starColor = 0x8049F608;
    uint32_t twirlColor = 0xFF49F608;
};

// [Adviser]: the magnifying glass and its flight to the counter.
struct AdviserSettings
{
    Vec3 globalShift{0.0f, 0.0f, 0.0f}; // the shade; y turned up
    Vec3 rimShift{-1.0f, 1.0f, 0.0f};   // the frame
    Vec3 glassShift{3.0f, 6.0f, 0.0f};  // the lens
    float glassW = 3.1415927f;          // radians per second
    Vec3 target{160.0f - 512.0f, 384.0f - 352.0f, -60.0f};
    int32_t zOrder = -60;
    float speed = 1000.0f;
    uint32_t tailColor = 0x80FFFF50;
};

// [Score]: the coins round the banknote and their tails.
struct ScoreSettings
{
    float coinOrbitRadius = 42.0f;
    float coinFPS = 30.0f;
    float coinW = 2.0f * 3.1415927f; // radians per second
    float coinOutSpeed = 400.0f;     // kept; nothing uses it
    uint32_t tailColor = 0xFF50FF50;
};

// [Solidarity]: the glowing centre, its rays and rings, and the bolt.
struct SolidaritySettings
{
    uint32_t ringColor = 0xFFFFFFFF;
    float ringR = 24.0f;
    float ringExpandSpeed = 48.0f;
    float ringLifeTime = 1.0f;
    float ringT = 0.4f;
    float ringW = 0.5f * 3.1415927f;
    uint32_t centerColor = 0xFFFFFFFF;
    float centerSize = 32.0f;
    float centerW = -0.5f * 3.1415927f;
    uint32_t tailColor = 0xFFFFFFFF;
    float tailSize[2] = {32.0f, 16.0f};
    float tailTLen = 0.25f;
    float tailTSpeed = 0.5f;
    float tailW = 0.125f; // radians per second, as read
    uint32_t boltColor = 0xFFFFC8C8;
    float boltLength = 1000.0f;
    float boltWidth = 64.0f;
    float boltSpeed = 1200.0f;
    float boltTFactor = 256.0f;
    float boltTSpeed = 1.0f;
    float termTime = 0.25f;
};

// [AdviserInterface]: the hint arrows and the counter's halo.
struct AdviserInterfaceSettings
{
    float haloW = 0.25f * 3.1415927f;
    float z = -50.0f;
    int32_t zOrder = -10;
    float arrowW = 2.0f * 3.1415927f;
    float arrowR = 4.0f;
    float refresh = 0.25f;
};

// The sections of "Bonus.cfg", one per line-of-four kind and the hint display.
struct BonusSettings
{
    TntSettings tnt;
    FlashSettings flash;
    TimeSettings time;
    AdviserSettings adviser;
    ScoreSettings score;
    SolidaritySettings solidarity;
    AdviserInterfaceSettings adviserInterface;
};

// Reads "Gems.cfg", then "Bonus.cfg" (full paths). Never fails.
void LoadBonusConfig(const char* gemsFile, const char* bonusFile);

const GemSettings& GetGemSettings();
const BonusSettings& GetBonusSettings();
// For tests and tools that tune a value directly.
GemSettings& MutableGemSettings();
BonusSettings& MutableBonusSettings();

// One spark orbit of the TNT box from its two end points (in a 128 x 128
// frame centred on the token, y down) and its width across. Two equal points
// give an orbit that stays on its centre.
void MakeTntOrbit(float x0, float y0, float x1, float y1, float width, Vec3& centre, Vec3& axisA, Vec3& axisB);

struct FlareOrigin
{
    float x;
    float y;
};

// A random point, evenly spread over the ellipse of the gem kind's origin size
// ([BigFlares] when big is set, else [SmallFlares]); an offset from the gem's
// centre at scale 1. Kinds outside 0..7 are clamped.
FlareOrigin RandomFlareOrigin(int gemKind, int big);
