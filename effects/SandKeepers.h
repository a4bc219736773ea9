// The sand of a removed token. CSandKeeper throws a burst of sand grains out
// of a point, then keeps a thin stream going while its system emits; the
// grains fall under a strong gravity and sink into a floor line, clipped there
// so that they seem to vanish into the ground. CDustTrackKeeper follows the
// grains of a sand keeper's system and lets puffs of dust rise from randomly
// chosen live grains: the puffs take the grain's motion, fade in and out, grow,
// spin and slow down. Both draw from a 4 x 4 atlas of pictures.
#pragma once

#include "effects/CollectionParticleSystem.h"

#include <cstdint>

class CSandKeeper : public CCollection2Keeper
{
public:
    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    uint32_t colour = 0xFFA09050u;
    float width = 76.0f, height = 76.0f;
    int32_t burstCount = 8;
    float rate = 40.0f;
    float accumulator = 0.0f;
    float floor = -300.0f;
    float speed = 25.0f, speedSpread = 12.5f;
    float gravity = 1000.0f;
    float maxFallSpeed = 10000.0f;
    int32_t burstDone = 0;
    int32_t emitted = 0;
};

class CDustTrackKeeper : public CCollection2Keeper
{
public:
    CDustTrackKeeper(const CSandKeeper& sand, CRefPtr<CParticleSystem> followedSystem);

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    CRefPtr<CParticleSystem> followed; // a collection system of sand grains
    uint32_t colour;
    float fadeInRate = 2.5f;
    float fadeOutRate = 0.75f, fadeOutSpread = 0.25f;
    float speed, speedSpread;
    float drag = 0.75f;
    float spin = 256.0f, spinSpread = 128.0f;
    float size, sizeSpread;
    float growth, growthSpread;
    float growthDecay = 0.5f;
    float floor;
    float floorOffset;
    float emissionPerGrain = 0.25f;
    int32_t liveGrains = 0;

private:
    CCollection2ParticleSystem* Grains() const;
};

namespace sandfx
{

// A random picture of the 4 x 4 atlas (row, then column drawn): its tag and
// its texture rectangle on the particle.
int32_t PickAtlasPicture();
void SetAtlasRect(CCollectedParticle2& particle, int32_t tag);
// The puff fade shared by the dust keepers: work value A below 0 fades in at
// -A per second, then a random fade-out rate takes over for the rest of the
// frame; false once the puff has faded out.
bool FadePuff(CCollectedParticle2& particle, float dt, float fadeOutRate, float fadeOutSpread);
// A spin of the given mean, turning either way, with a spread.
float RandomSpin(float spin, float spread);

} // namespace sandfx
