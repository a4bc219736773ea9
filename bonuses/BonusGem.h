// CBonusGem: the gem secured to a board token. On the board it glows (a
// pulsing halo, two big flares cross-fading, small twinkles around it); when
// its token is destroyed it shows the gem picture and flies on a bent path to
// its cell in the gem bar, trailing sparkles, and bursts on arrival. Made by
// the bonus manager's CreateGem; the board sets `destination` before it
// activates the gem and counts the gem on the arrival event.
#pragma once

#include "bonuses/Bonus.h"

class CParticleSystem;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CBonusGem : public CBonus
{
public:
    CBonusGem();
    ~CBonusGem() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;

    void SetResources(CRefPtr<CSpriteList> spriteList, CRefPtr<CSpriteBatch> spriteBatch,
                      CRefPtr<CSpriteList> flightSpriteList, CRefPtr<CParticleSystemsManager> particles,
                      CRefPtr<CSpriteBatch> flightBatch, CRefPtr<CTexture> lightsTexture,
                      CRefPtr<CTexture> gemsTexture, CRefPtr<CTexture> flaresTexture,
                      CRefPtr<CTexture> starTexture);

    // Halo spin of the collection flight by gem kind, radians per second.
    static float FlightSpin(int gemKind);

    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CSpriteList> flightSpriteList;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> flightBatch;
    CRefPtr<CTexture> lightsTexture;
    CRefPtr<CTexture> gemsTexture;
    CRefPtr<CTexture> flaresTexture;
    CRefPtr<CTexture> starTexture;
    CRefPtr<CSpriteShape> halo;
    CRefPtr<CSpriteShape> bigFlares[2];
    CRefPtr<CSpriteShape> gemShape;
    CRefPtr<CParticleSystem> trail;
    int32_t gemKind = 0; // 0..7; also the gem's cell on the gem bar
    float smallFlareTimer = 0.0f;
    float flareOrigins[2][2] = {{0.0f, 0.0f}, {0.0f, 0.0f}};
    int32_t inFlight = 0;
    float destination[3] = {0.0f, 0.0f, 0.0f};

private:
    // The gem kind clamped into the tables (0..7).
    int Kind() const;
    CRefPtr<CSpriteList> CurrentList() const;
    void MakeTrail(float fadeRate, float rate);
    void MakeSmallFlare();
};
