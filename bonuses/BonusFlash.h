// CBonusFlash: a lightning charge on a board token. On the board it shows a
// picture chosen by its level, two glow layers, a bright core and level + 1
// bolts turning round the core like clock hands. When its token is destroyed
// the picture shatters, blue glows flash and lightning runs to the board's
// edges along its row and/or column (by level); every token on those lines
// is asked for with a cell-hit event.
#pragma once

#include "bonuses/Bonus.h"

#include <vector>

class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CBonusFlash : public CBonus
{
public:
    CBonusFlash();
    ~CBonusFlash() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;
    bool IsEffectDone() const override { return events.empty(); }

    void SetResources(CRefPtr<CSpriteList> activeList, CRefPtr<CParticleSystemsManager> activeManager,
                      CRefPtr<CSpriteBatch> activeBatch, CRefPtr<CSpriteList> inactiveList,
                      CRefPtr<CParticleSystemsManager> inactiveManager, CRefPtr<CSpriteBatch> inactiveBatch,
                      CRefPtr<CTexture> body, CRefPtr<CTexture> halo, CRefPtr<CTexture> bolt,
                      CRefPtr<CTexture> spark);
    void LayoutParts(float t, int boltsOnly);

    struct Cell
    {
        int column, row;
    };
    // The cells a flash of the level strikes from (column, row), in the order
    // of its events: its row (or own cell), the column above, the column below.
    static std::vector<Cell> StruckCells(int level, int column, int row, int columns, int rows);

    CRefPtr<CTexture> bodyTexture;
    CRefPtr<CTexture> haloTexture;
    CRefPtr<CTexture> boltTexture;
    CRefPtr<CTexture> sparkTexture;
    CRefPtr<CSpriteShape> body, glowA, glowB;
    std::vector<CRefPtr<CSpriteShape>> parts; // the core, then the bolts
    std::vector<float> boltRadius;

private:
    int TableLevel() const;
    std::vector<CRefPtr<CSpriteShape>> LayerShapes() const override;
    void Shatter();
    void MakeGlow(float x, float y, float z, CRefPtr<CTexture> texture, float width, float height, float spin);
    void MakeLightning(float toX, float toY, bool vertical);
};
