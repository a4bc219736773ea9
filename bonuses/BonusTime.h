// CBonusTime: the bonus that gives the player more time. On its token it shows
// a small clock (dial, two turning hands, their shades and, above level 0, a
// level badge). When its token is destroyed the clock vanishes, a glowing
// twirl swells on the cell, flies to the clock place of the screen trailed by
// two whirls of particles and fades there over a glass flash; on arrival the
// bonus reports the time the board is to add.
#pragma once

#include "bonuses/Bonus.h"

#include <vector>

class CParticleSystem;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;
class CVortexKeeper;

class CBonusTime : public CBonus
{
public:
    CBonusTime();
    ~CBonusTime() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;
    bool IsEffectDone() const override { return events.empty(); }

    void SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                      CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                      CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                      CRefPtr<CTexture> bonus, CRefPtr<CTexture> twirl, CRefPtr<CTexture> trail,
                      CRefPtr<CTexture> star, CRefPtr<CTexture> glass);
    void LayoutParts(float f);

    CRefPtr<CTexture> bonusTexture, twirlTexture, trailTexture, starTexture, glassTexture;
    std::vector<CRefPtr<CSpriteShape>> shapes;
    CRefPtr<CParticleSystem> systems[2];
    CRefPtr<CVortexKeeper> keepers[2];
    CRefPtr<CSpriteShape> twirl;
    float effectTime = 0.0f;
    float flyStart[3] = {0.0f, 0.0f, 0.0f};
    float flyDelta[3] = {0.0f, 0.0f, 0.0f};
    int32_t effectEnded = 0;

private:
    std::vector<CRefPtr<CSpriteShape>> LayerShapes() const override;
    void MakeTwirl();
    void MakeEmitter(int index);
    void Arrive();
    void EndEffect();
    bool RunEffect(float dt);
    void PlaceEffect(float x, float y, float z);
};
