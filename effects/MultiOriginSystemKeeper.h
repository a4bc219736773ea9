// CMultiOriginSystemKeeper: feeds one collection particle system from many
// emission points. Every origin emits at its own rate with its own start
// offset, drift, speed, size, spin, colour and fade timing; its particles fly
// out in random directions, turn, fade in, hold, fade out and die, or die at
// once outside the bounding box. Origins are set one by one (SetParams) or
// laid out on a ring (AddOrigin) or along a line (AddOriginEx). The score
// bonus's coin tails and the play screen's panel glass use it.
#pragma once

#include "effects/CollectionParticleSystem.h"
#include "effects/KeeperFrames.h"

#include <cstdint>
#include <vector>

class CMultiOriginSystemKeeper : public CCollection2Keeper
{
public:
    // What every particle of one origin starts with.
    struct ParticleLook
    {
        float speed[2];     // base, spread
        float size[4];      // width, height, width spread, height spread (a negative height spread: independent)
        float spin[2];      // base, spread (1024 a turn; a negative spread also picks the sign)
        uint32_t colour;    // 0xAARRGGBB
        float fade[3];      // fade-in, hold, fade-out times
        float fadeSpread[3];
    };

    struct Origin
    {
        Vec3 offset; // from the keeper origin
        Vec3 drift;
        float rate; // particles a unit of time
        ParticleLook look;
        float alpha;       // the colour's top byte / 255
        float accumulator; // time not yet turned into particles
        int32_t pending;   // particles still owed this frame
    };

    CMultiOriginSystemKeeper();

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    // Overwrites origin `index`, or appends one at the end when there is none.
    void SetParams(int32_t index, const Vec3& offset, const Vec3& drift, float rate, const ParticleLook& look);
    void SetFrameRect(int32_t index, float left, float top, float right, float bottom)
    {
        frames.SetRect(index, left, top, right, bottom);
    }
    void SetFrameUV(int32_t index, KeeperFrames::UV a, KeeperFrames::UV b, KeeperFrames::UV c, KeeperFrames::UV d)
    {
        frames.SetUV(index, a, b, c, d);
    }
    // n origins on a circle in the x-y plane from the start angle (radians),
    // each drifting outward at the radial speed; keep 0 empties the origins first.
    void AddOrigin(float radius, int32_t n, float startAngle, float totalRate, float radialSpeed,
                   const ParticleLook& look, int32_t keep);
    // n origins evenly along the line from `first` to `last`, drifting along
    // `direction` at the drift speed; keep 0 empties the origins first.
    void AddOriginEx(const Vec3& first, const Vec3& last, const Vec3& direction, int32_t n, float totalRate,
                     float driftSpeed, const ParticleLook& look, int32_t keep);

    static const ParticleLook kDefaultLook;

    Vec3 baseVelocity{0.0f, 0.0f, 0.0f};
    Vec3 acceleration{0.0f, 0.0f, 0.0f};
    float zVelocityScale = 1.0f;
    KeeperFrames frames;
    std::vector<Origin> origins;
    Vec3 boxMin{-2000.0f, -2000.0f, -2000.0f};
    Vec3 boxMax{2000.0f, 2000.0f, 2000.0f};
    struct FadeTimes
    {
        float fadeInEnd, holdEnd, fadeOutEnd;
    };
    std::vector<FadeTimes> slotFades; // by particle slot
};
