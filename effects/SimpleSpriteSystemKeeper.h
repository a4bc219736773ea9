// CSimpleSpriteSystemKeeper: throws a fixed set of sprites in one burst, each
// with its own start offset, velocity, size, angle, spin and texture frame,
// then lets them fall under gravity, turn, and die below the floor. The set is
// laid out by one of three generators: a random cloud in an ellipsoid, a ring
// or a straight line. The score bonus throws its coins with it, the electric
// terminator its sparks and the green totem its crystals.
#pragma once

#include "effects/CollectionParticleSystem.h"
#include "effects/KeeperFrames.h"

#include <cstdint>
#include <vector>

class CSimpleSpriteSystemKeeper : public CCollection2Keeper
{
public:
    CSimpleSpriteSystemKeeper();

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    // A sprite the layout does not hold (no generator run yet, or a system
    // asking past the set) is not started, and the keeper is done.
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    void SetParams(int32_t count, float extentX, float extentY, float extentZ);
    void SetFrameRect(int32_t index, float left, float top, float right, float bottom)
    {
        frames.SetRect(index, left, top, right, bottom);
    }
    void SetFrameUV(int32_t index, KeeperFrames::UV a, KeeperFrames::UV b, KeeperFrames::UV c, KeeperFrames::UV d)
    {
        frames.SetUV(index, a, b, c, d);
    }
    // A random cloud in the ellipsoid of the cloud extent (count unchanged).
    void GenerateLayout1();
    // n sprites on a ring of the radius from the start angle (radians), each
    // flying outward and turned along its place on the ring.
    void GenerateLayout2(float radius, int32_t n, float startAngle);
    // n sprites evenly along the line, all turned along it, flying off at random.
    void GenerateLayout3(const Vec3& first, const Vec3& last, int32_t n);

    uint32_t colour = 0xFFFFFF;
    int32_t count = 16;
    KeeperFrames frames;
    Vec3 extent{84.0f, 84.0f, 0.0f};
    float widthBase = 32.0f, heightBase = 32.0f;
    float widthSpread = 16.0f, heightSpread = 16.0f;
    // The laid-out set, one entry per sprite.
    struct Sprite
    {
        Vec3 offset;
        Vec3 velocity;
        float width, height;
        float angle; // 1024 a turn
        float spin;
        int32_t frame;
    };
    std::vector<Sprite> sprites;
    float floor = -10.0f;
    float speedBase = 1.0f, speedSpread = 0.5f;
    float spinBase = 256.0f, spinSpread = 128.0f;
    float gravity = 1.0f;
    int32_t done = 0;
    int32_t emitted = 0;

private:
    // The size, spin and frame draws every generator ends a sprite with.
    void FinishSprite(Sprite& s, float angle);
    float DrawSpeed();
};
