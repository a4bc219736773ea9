// The sand lying in the sand glass, alive while it builds up.
// CDuneDustKeeper blows dust puffs off the sand surface: they start on
// stretches that do not rise to the right, slide leftwards along the surface,
// brake on rising ground and vanish at the left wall or over bare ground.
// CDuneSandFlyOut throws grains off the surface's peaks towards the left wall
// and, while the heap drains, lets grains climb the wall, follow the glass's
// sand path out and fall away at its end.
// Both read the glass's area and surface, which the glass owns: the glass
// detaches them before it goes, and a detached keeper emits nothing and lets
// its particles fade where they are.
#pragma once

#include "effects/CollectionParticleSystem.h"
#include "effects/SandHeap.h"
#include "engine/MotionPath.h"

#include <cstdint>
#include <vector>

struct CSandboxPart;

// Where a grain's x falls on the glass: the column pair and the share of the
// right one, and the surface and base heights there.
struct SandboxProbe
{
    int j = 0;
    float t = 0.0f;
    float surfaceY = 0.0f;
    float baseY = 0.0f;
};

class CDuneKeeperBase : public CCollection2Keeper
{
public:
    int32_t CanEmit() override { return 1; }
    // Drops every pointer into the glass.
    void Detach();
    bool Attached() const;

    CRefPtr<CSandHeap> heap;
    const CSandboxPart* area = nullptr;
    const std::vector<Vec3>* surface = nullptr;
    int32_t enabled = 1;

protected:
    bool HasSand() const;
    int SurfacePoints() const;
    const Vec3& S(int i) const { return (*surface)[size_t(i)]; }
    SandboxProbe Probe(float x) const;
    double Displayed(int i) const;
};

class CDuneDustKeeper : public CDuneKeeperBase
{
public:
    void Setup(CRefPtr<CSandHeap> heap, const CSandboxPart* area, const std::vector<Vec3>* surface, float speed,
               float speedSpread, float spin, float spinSpread);

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    uint32_t colour = 0xFFA09050u;
    float size = 8.0f, sizeSpread = 4.0f;
    float rate = 80.0f;
    float speed = 80.0f, speedSpread = 40.0f;
    float braking = 80.0f;
    float fadeInRate = 2.0f;
    float fadeOutRate = 1.0f, fadeOutSpread = 0.5f;
    float fastFadeRate = 10.0f;
    float spin = 512.0f, spinSpread = 256.0f;
    float accumulator = 0.0f;
    int32_t dustySegments = 0;

private:
    bool IsDusty(int i) const;
};

class CDuneSandFlyOut : public CDuneKeeperBase
{
public:
    void Setup(CRefPtr<CSandHeap> heap, const CSandboxPart* area, const CMotionPath& path,
               const std::vector<Vec3>* surface, float inGravity, float outGravity, float speed);

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    uint32_t colour = 0xFFA09050u;
    float width = 8.0f, height = 8.0f;
    float peakRate = 40.0f;
    float drainRate = 40.0f;
    CMotionPath path; // relative to the area's position
    float inGravity = 5.0f, outGravity = 20.0f;
    float speed = 32.0f;
    float fadeInRate = 10.0f;
    float fadeOutRate = 1.0f;
    float pathFadeOutRate = 2.0f;
    float landingFadeRate = 10.0f;
    std::vector<int32_t> onPath = std::vector<int32_t>(128, 0);
    std::vector<float> pathTime = std::vector<float>(128, 0.0f);
    float peakAccumulator = 0.0f, drainAccumulator = 0.0f;
    int32_t peaks = 0;
    int32_t peakGrainsLeft = 0, drainGrains = 0;

private:
    bool IsPeak(int i) const;
    void Fade(size_t slot, CCollectedParticle2& particle, float dt, bool& alive) const;
    void FollowPath(size_t slot, CCollectedParticle2& particle, float dt);
    void MoveFree(size_t slot, CCollectedParticle2& particle, float dt);
};
