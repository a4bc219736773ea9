// CBonusTNT: a charge of explosive on a board token. On the board it shows a
// box picture chosen by its level, a lid over it and three sparks circling the
// box on tilted orbits (each seen on one half of its orbit). When its token is
// destroyed it flashes a ring and two counter-turning halos, bursts sparks and
// asks the board to destroy every token within a radius that grows with its
// level (one cell-hit event per cell).
#pragma once

#include "bonuses/Bonus.h"

#include <vector>

class CParticleSystemsManager;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CBonusTNT : public CBonus
{
public:
    CBonusTNT();
    ~CBonusTNT() override;

    void Init() override;
    void Hide() override;
    void Show() override;
    bool Update(float dt) override;
    void Activate() override;
    bool IsEffectDone() const override { return events.empty(); }

    void SetResources(CRefPtr<CSpriteList> activeList, CRefPtr<CParticleSystemsManager> activeManager,
                      CRefPtr<CSpriteList> inactiveList, CRefPtr<CParticleSystemsManager> inactiveManager,
                      CRefPtr<CTexture> box, CRefPtr<CTexture> halo, CRefPtr<CTexture> ring,
                      CRefPtr<CTexture> spark);

    // The cells the blast of a level hits around (column, row), rows
    // ascending and columns ascending within a row, cut at the board's edges.
    struct Cell
    {
        int column, row;
    };
    static std::vector<Cell> BlastCells(int level, int column, int row, int columns, int rows);

    CRefPtr<CTexture> boxTexture;
    CRefPtr<CTexture> haloTexture;
    CRefPtr<CTexture> ringTexture;
    CRefPtr<CTexture> sparkTexture;
    CRefPtr<CSpriteShape> body;
    CRefPtr<CSpriteShape> lid;
    CRefPtr<CSpriteShape> orbiters[3];
    float orbitAngle[3] = {0.0f, 0.0f, 0.0f};
    float orbitPhase[3] = {0.0f, 0.0f, 0.0f};

private:
    // The level clamped into the tables of pictures and ring sizes (0..3).
    int TableLevel() const;
    std::vector<CRefPtr<CSpriteShape>> LayerShapes() const override;
    void MoveOrbiters(float dt, float factor, float alpha);
    void MakeRing();
    void MakeHalo(float spin);
    void MakeSparkBurst();
};
