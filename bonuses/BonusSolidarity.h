// CBonusSolidarity: the bonus that takes every token of its colour. On its
// token it shows a glowing centre, level + 2 turning rays and rings that are
// born, grow and fade. When its token is destroyed it bursts into flashes and
// a lightning bolt runs from the bonus through every target the board chose,
// nearest next; the board destroys each target as the bolt's head reaches it,
// after the delay that PlanBolts hands back for it.
#pragma once

#include "bonuses/Bonus.h"

#include <vector>

class CTexture;

class CBonusSolidarity : public CBonus
{
public:
    CBonusSolidarity();
    ~CBonusSolidarity() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;
    bool IsEffectDone() const override;

    void SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                      CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                      CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                      CRefPtr<CTexture> picture);
    // Sizes and places the centre, the rays and the rings at scale x t.
    void LayoutParts(float t, float alpha);
    // Plans the bolt through the targets (screen centres; x and y are read)
    // and writes, for each target in the order given, the seconds after which
    // the board starts destroying it. No targets: nothing changes.
    void PlanBolts(const std::vector<Vec3>& targets, std::vector<float>& delays);

    CRefPtr<CTexture> texture;
    std::vector<CRefPtr<CSpriteShape>> body; // the centre, then the rays
    std::vector<CRefPtr<CSpriteShape>> rings; // oldest first
    std::vector<float> ringAges;
    float ringTimer = 0.0f;
    std::vector<Vec3> path; // the bonus, then the targets in chain order
    std::vector<Vec3> segmentDirections;
    std::vector<float> segmentLengths;
    std::vector<float> pathDistances;
    float boltTail = 0.0f, boltHead = 0.0f;
    int32_t firstSegment = 0, lastSegment = 0;
    std::vector<CRefPtr<CSpriteShape>> boltSegments;
    int32_t endFlashDone = 0;
    float boltPhase = 0.0f;

private:
    std::vector<CRefPtr<CSpriteShape>> LayerShapes() const override;
    // The order in which the bolt visits the targets (indices into them).
    std::vector<size_t> ChainOrder(const std::vector<Vec3>& targets) const;
    void ScrollRays(float dt);
    void AgeRings(float dt);
    void BornRing();
    // A flash that grows from `size` by `grow` and fades over its life.
    void MakeFlash(const Vec3& at, float width, float height, uint32_t colour, bool ring, float spin, float life,
                   float growSpeed, float growTo);
    void FlashAtPoint(const Vec3& at);
    void FitBolt(size_t k, float a, float b, float& u);
    // The bolt's step; true while it or the events last.
    bool RunBolt(float dt);
};
