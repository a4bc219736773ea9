// CVortexKeeper: a whirl of sprites. It emits a steady stream of sprites on a
// ring about its origin with a random push in the plane, then drives every
// sprite inside the outer radius towards a set speed about the vortex axis
// while damping its motion towards or away from the centre. Each sprite fades
// in, holds, fades out and dies, shows one frame of a small atlas and spins.
#pragma once

#include "effects/CollectionParticleSystem.h"

#include <cstdint>
#include <vector>

class CVortexKeeper : public CCollection2Keeper
{
public:
    // Reset modes: one full-texture frame, the twelve frames of a 4 x 4
    // atlas's first three rows, and those twelve with frames 5 and 6 trimmed
    // to the pictures they hold.
    enum
    {
        kSingleFrame = 0,
        kTwelveFrames = 1,
        kTwelveFramesTrimmed = 2,
    };

    struct Frame
    {
        float left, top, right, bottom;
    };
    struct FrameScale
    {
        float width, height;
    };

    CVortexKeeper();

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    void SetParams(float innerRadius, float outerRadius, float innerSpeed, float outerSpeed, float spawnRadius);
    // Colour, size and fade-in rate are kept as given; every other value
    // becomes a base with a spread of half of it.
    void SetParticleParams(uint32_t colour, float width, float height, float speed, float fadeInRate,
                           float holdTime, float fadeOutRate, float spin);
    void Reset(int32_t mode);

    uint32_t colour = 0xFFFFFFFF;
    float width = 32.0f, height = 32.0f;
    std::vector<Frame> frames;
    std::vector<FrameScale> frameScales;
    float speedBase = 20.0f, speedSpread = 10.0f;
    float fadeInRate = 10.0f;
    float fadeOutBase = 2.0f, fadeOutSpread = 1.0f;
    float holdBase = 0.5f, holdSpread = 0.25f;
    float spinBase = 256.0f, spinSpread = 128.0f;
    Vec3 axis{0.0f, 0.0f, 1.0f};
    float innerRadius = 16.0f;
    float outerRadius = 40.0f;
    float innerSpeed = 200.0f;
    float outerSpeed = 200.0f;
    float spawnRadius = 16.0f;
    float approachRate = 10.0f;
    float radialDamping = 2.0f;
    float emissionRate = 10.0f;
    float accumulator = 0.0f;
    int32_t active = 1; // 0 lets the sprites drift without the whirl

private:
    // The fade step; false once the sprite has faded out.
    bool Fade(CCollectedParticle2& particle, float dt);
    bool StartFadeOut(CCollectedParticle2& particle, float hold);
    void Whirl(CCollectedParticle2& particle, float dt, const Vec3& origin);
};
