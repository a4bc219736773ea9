// CBonusScore: the bonus that pays coins. On its token it shows a banknote
// chosen by its level, circled by 3, 5, 7 or 10 spinning coins that trail
// green stars. When its token is destroyed the note and the coins vanish, the
// coins are thrown outward from their orbit and fall, and the bonus reports
// its level; the board grants the coins.
#pragma once

#include "bonuses/Bonus.h"

#include <vector>

class CMultiOriginSystemKeeper;
class CParticleSystem;
class CTexture;

class CBonusScore : public CBonus
{
public:
    CBonusScore();
    ~CBonusScore() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;
    bool IsEffectDone() const override { return events.empty(); }

    void SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                      CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                      CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                      CRefPtr<CTexture> coins, CRefPtr<CTexture> tail);
    // Sizes the note and the coins at scale x t.
    void LayoutParts(float t);
    // Moves the tail stream along: one origin under every coin.
    void UpdateParts(float t);

    // The coins a bonus of the level shows (and the board pays).
    static int CoinCount(int level);

    CRefPtr<CTexture> coinTexture, tailTexture;
    std::vector<CRefPtr<CSpriteShape>> shapes; // the note, then the coins in orbit order
    CRefPtr<CParticleSystem> tailSystem;
    CRefPtr<CMultiOriginSystemKeeper> tailKeeper;
    std::vector<float> coinPhases; // frames, in [0, 8)

private:
    std::vector<CRefPtr<CSpriteShape>> LayerShapes() const override { return shapes; }
    void OnLayerChanged() override;
    int Coins() const { return shapes.empty() ? 0 : int(shapes.size()) - 1; }
    void MakeCoin(int i, float angle);
    void StartTails();
    void StopTails();
    void ThrowCoins();
    void AnimateCoins(float dt);
};
