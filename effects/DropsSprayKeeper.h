// CDropsSprayKeeper: a burst of drops out of a point. Each drop starts at a
// random place inside an ellipsoid about the origin, flies outward with a
// random speed, falls under a constant gravity, points along its flight and
// dies below the floor. The random pattern is made once and can be copied
// into a second keeper, so that two sprays of different pictures or colours
// fly exactly alike.
#pragma once

#include "effects/CollectionParticleSystem.h"

#include <cstdint>
#include <vector>

class CDropsSprayKeeper : public CCollection2Keeper
{
public:
    CDropsSprayKeeper();

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;

    void SetParams(int32_t count, const Vec3& spraySize, float left, float top, float right, float bottom);
    // Rebuilds the offsets and velocities for the current count.
    void GenerateSpray();
    // Flies like the source: its offsets and velocities, and their count.
    void SetPattern(CRefPtr<CDropsSprayKeeper> source);

    uint32_t colour = 0xFFFFFF;
    int32_t count = 16;
    float uv[8] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
    Vec3 spraySize{84.0f, 84.0f, 0.0f};
    float dropSize = 32.0f;
    std::vector<Vec3> offsets;
    std::vector<Vec3> velocities;
    float floor = -10.0f;
    float speedBase = 1.0f, speedSpread = 0.5f;
    float gravity = 1.0f;
    int32_t done = 0;
    int32_t emitted = 0;
};
