// CBonusManager: the owner of every bonus on the board and of what the bonuses
// draw with (sprite lists, batches, particle managers, textures). It makes
// bonuses by kind, updates them once a frame, drops those that are over,
// gathers the events they report and answers the board's idle tests. The game
// builds it at start-up; the board holds it through a counted handle.
#pragma once

#include "bonuses/Bonus.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <string>
#include <vector>

class CDevice;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CTexture;

class CBonusManager
{
public:
    CBonusManager();
    ~CBonusManager();

    CBonusManager(const CBonusManager&) = delete;
    CBonusManager& operator=(const CBonusManager&) = delete;

    // The game passes its sprite lists 2, 3 and 4, batches 2 and 3 and particle
    // managers 3 and 6 as (list 2, batch 2, manager 3, list 3, manager 6,
    // batch 3, list 4).
    void SetRenderers(CRefPtr<CSpriteList> spriteList, CRefPtr<CSpriteBatch> spriteBatch,
                      CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteList> spriteList2,
                      CRefPtr<CParticleSystemsManager> particles2, CRefPtr<CSpriteBatch> spriteBatch2,
                      CRefPtr<CSpriteList> spriteList3);
    // Catalogue textures: StarParticle, Halo1, Ring, Spark, Lightning, Twirl,
    // Twirl, PanelGlass.
    void SetTextures(CRefPtr<CTexture> star, CRefPtr<CTexture> halo, CRefPtr<CTexture> ring,
                     CRefPtr<CTexture> spark, CRefPtr<CTexture> lightning, CRefPtr<CTexture> twirl,
                     CRefPtr<CTexture> twirl2, CRefPtr<CTexture> panelGlass);
    // Loads the manager's own eight pictures from the graphics folder; the first
    // one missing is logged and ends the load with false.
    bool LoadBonusTextures(const std::string& folder, CRefPtr<CDevice> device, std::string* failed = nullptr);

    // Types 2..7 are the line-of-four bonuses; any other type leaves the
    // handle empty.
    void CreateBonus(CRefPtr<CBonus>& out, int type, int level, int displayOnly, int addToList);
    // A gem of kind 0..7 (the board passes the token's colour).
    void CreateGem(CRefPtr<CBonus>& out, int gemKind, int addToList);

    // Returns the new bonus's index.
    int AddBonus(CRefPtr<CBonus> bonus);
    // Erases the first entry holding the bonus (or the first empty entry for an
    // empty handle); its index, or -1 when none matches.
    int RemoveBonus(const CRefPtr<CBonus>& bonus);
    void ClearBonuses();

    // The per-frame step: clears last frame's events, updates every shown
    // bonus in list order, drops the finished ones and gathers the events.
    void UpdateAll(float dt);

    bool IsIdle() const;
    bool AllPlaced() const;

    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteList> spriteList2;
    CRefPtr<CParticleSystemsManager> particles2;
    CRefPtr<CSpriteBatch> spriteBatch2;
    CRefPtr<CSpriteList> spriteList3;
    CRefPtr<CTexture> gemLightsTexture;
    CRefPtr<CTexture> gemsTexture;
    CRefPtr<CTexture> gemFlaresTexture;
    CRefPtr<CTexture> starTexture;
    CRefPtr<CTexture> bonus1Texture;
    CRefPtr<CTexture> bonus2Texture;
    CRefPtr<CTexture> bonus3Texture;
    CRefPtr<CTexture> bonus4Texture;
    CRefPtr<CTexture> bonus5Texture;
    CRefPtr<CTexture> ringTexture;
    CRefPtr<CTexture> haloTexture;
    CRefPtr<CTexture> sparkTexture;
    CRefPtr<CTexture> lightningTexture;
    CRefPtr<CTexture> twirlTexture;
    CRefPtr<CTexture> twirlTexture2;
    CRefPtr<CTexture> panelGlassTexture;
    std::vector<CRefPtr<CBonus>> bonuses;
    float effectFactor = 1.0f;
    BonusEventVector events;

private:
    // A new bonus of the type with its share of the render handles and
    // textures; null for a type outside 2..7.
    CBonus* MakeKind(int type) const;
};
