// BlueTotemSettings: the blue totem's tuning from section "Blue" of
// "Totems.cfg": the bolts that crackle over its picture while it charges, the
// point they gather into, the steel caps that burst and the sockets left, the
// bolts that fly to the steel tokens, and the shield that pulses out of it.
// Points are on the totem's picture, in fractions of its size from its centre,
// y up; texture rectangles are fractions of the blue body texture. The
// settings hold one; each blue totem keeps a copy.
#pragma once

#include "engine/MotionPath.h" // Vec3

#include <cstdint>
#include <vector>

// A cross-section of a charging bolt: two points on the picture.
struct TotemSegment
{
    Vec3 a{0.0f, 0.0f, 0.0f};
    Vec3 b{0.0f, 0.0f, 0.0f};
};

// A rectangle on the picture: its centre (with a depth offset) and size.
struct TotemPictureBox
{
    Vec3 centre{0.0f, 0.0f, 0.0f};
    float size[2] = {0.0f, 0.0f};
};

struct BlueTotemSettings
{
    static constexpr int32_t kLevels = 3;   // the tables have three levels; level 4 uses the third
    static constexpr int32_t kMaxBolts = 8; // more charging bolts than this are not read

    // Reads the section; W by H is the picture size, then the body texture's
    // size and the panel totem's size (the small shield's reference).
    void ReadBlueTotemConfig(const char* file, float w, float h, float textureW, float textureH, float smallW,
                             float smallH);

    // The table index of a totem level.
    static int32_t LevelIndex(int32_t level);

    float emptyRects[kLevels][2][4] = {};
    std::vector<TotemSegment> boltBegins[kLevels];
    std::vector<TotemSegment> boltEnds[kLevels];
    Vec3 target{0.0f, 0.0f, -100.0f};
    float preTime = 0.5f;
    float strikeTime = 0.1f;
    float boltSize[2] = {200.0f, 48.0f}; // length and thickness of a flying bolt
    float boltSpeed = 2500.0f;
    uint32_t boltColour = 0xFFFFEB83u;
    TotemPictureBox caps;
    TotemPictureBox shield;
    float shieldRect[4] = {0, 0, 0, 0};
    TotemPictureBox smallShield;
    float smallShieldRect[4] = {0, 0, 0, 0};
    uint32_t shieldColour = 0xFFF0FFF0u;
    float shieldLifeTime = 2.0f;
    float shieldBirth = 1.0f;
    float shieldMinFactor = 0.5f;
    float shieldMaxFactor = 2.0f;
};
