// CBonusAdviser: the bonus that buys the player a spell of move hints. On its
// token it shows a magnifying glass: a frame (two halves from level 3 on), a
// spinning lens and a dark shade. When its token is destroyed the glass leaves
// the board for the overlay and flies on a randomly curved path to the hint
// counter, trailing spells; on arrival it reports the level, and the board
// switches the hint display on for 5 x level + 15 seconds.
#pragma once

#include "bonuses/Bonus.h"

#include <vector>

class CParticleSystem;
class CTexture;

class CBonusAdviser : public CBonus
{
public:
    CBonusAdviser();
    ~CBonusAdviser() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;
    bool IsEffectDone() const override { return events.empty(); }

    void SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                      CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                      CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                      CRefPtr<CTexture> bonus, CRefPtr<CTexture> flare, CRefPtr<CTexture> trail);
    // Sizes the glass at scale x f.
    void LayoutParts(float f, int second);
    // Places the glass on the bonus position at scale x f; the trail follows.
    void UpdateParts(float f);

    CRefPtr<CTexture> bonusTexture, flareTexture, trailTexture;
    std::vector<CRefPtr<CSpriteShape>> shapes; // frame (or two halves), lens, shade
    CRefPtr<CParticleSystem> trail;

private:
    std::vector<CRefPtr<CSpriteShape>> LayerShapes() const override { return shapes; }
    // The glass's sprite list: the overlay's once it flies, else the current one.
    const CRefPtr<CSpriteList>& GlassList() const;
    bool HasHalves() const { return level >= 3; }
    void StartTrail();
    void StopTrail();
    void SetAlphaAll(float alpha);
};
