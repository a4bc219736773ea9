// CBackgroundTreasury: the scene behind the levels of the treasury. Over
// "Treasury.jpg" layers of dust drift and two sheets of sun rays swing, both seen
// through a light mask; the progress ornaments light twelve gems; and when the
// twelfth is in, the treasure chest shoots rays of light with sparks, flashes, and
// bursts into jagged pieces that drift up and away while glow-worms rise from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backgrounds/SceneParts.h"
#include "engine/RefPtr.h"

class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

struct TreasuryVertex
{
    float x, y, z;
    uint32_t colour;
    float u, v;
    float u2, v2;
};

struct TreasurySettings
{
    std::string dustFile, maskFile, elementsFile;
    int32_t dustLayers;
    float dustSizeFactor;
    int32_t dustAdd, whiteDust;
    float sunRayUV[4][2], sunRaySwing1[2], sunRaySwing2[2], sunRaySpeed;
    std::vector<float> dustVelocity; // x, y per layer
    uint32_t chestRaysColor;
    float chestRaysCenter[2], chestRaysRadius, chestRaysSize[2], chestRaysTime, chestRaysPeriod, chestFadeTime;
    float chestForm[4], chestUV[4];
    int32_t crackColumns, crackRows;
    float chestRotAccel, chestAccel[2];
    uint32_t chestFlashColor, glowWormColor;
    float glowWormSize, glowWormSpeed, glowWormWobble, glowWormPeriod;
};

struct GlowWorm
{
    float baseX, riseSpeed, phase;
};

class CBackgroundTreasury : public scene::SceneResources
{
public:
    enum ChestState
    {
        kChestIdle = 0,
        kChestFlare = 1,
        kChestRays = 2,
        kChestBurst = 3,
    };
    static const int32_t kGems = 12;

    CBackgroundTreasury();
    ~CBackgroundTreasury();

    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p, CRefPtr<CSpriteBatch> batch,
                   CRefPtr<CTexture> flare, CRefPtr<CTexture> spark, CRefPtr<CTexture> halo);
    void LoadSettings(const char* path);
    void Init();
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    void SetStage(int32_t stage, int32_t quiet);
    int32_t Render();

    int32_t ChestStateNow() const { return chestState; }
    bool ChestClosed() const { return chest.IsValid(); }
    size_t ChestRays() const { return chestRayShapes.size(); }
    size_t Pieces() const { return pieces.size(); }
    size_t GlowWorms() const { return glowWorms.size(); }
    const std::vector<TreasuryVertex>& Vertices() const { return vertices; }

    TreasurySettings settings;

private:
    void ReadChestSettings(const char* path);
    void UpdateDust(float dt);
    void UpdateSunRays(float dt);
    void MakeChest();
    void DropShape(CRefPtr<CSpriteShape>& shape);
    // The chest's sequence; the steps return after the frame's change, as the burst does.
    void StepChest(float dt);
    void SpawnChestRay();
    void Burst();
    void CrackLayer();
    void MovePieces(float dt);
    void SpawnGlowWorm(float dt);
    void MoveGlowWorms(float dt);
    void ResetChest();
    void DrawGeometry();

    CRefPtr<CTexture> textures[8]; // own: picture, dust, mask, elements, rays; shared: flare, spark, halo

    std::vector<TreasuryVertex> vertices;
    std::vector<uint16_t> indices;
    std::vector<float> dustOffset;  // x, y per layer
    std::vector<float> dustCorners; // three (u, v) per layer
    float sunRayPhase;

    CRefPtr<CSpriteShape> background, topPiece, chest, chestShadow;
    int32_t chestState;
    float chestTimer;
    std::vector<CRefPtr<CSpriteShape>> chestRayShapes;
    float chestRayClock;
    std::vector<CRefPtr<CSpriteShape>> pieces;
    std::vector<float> pieceVelocity; // x, y per piece
    std::vector<float> pieceAccel;
    std::vector<CRefPtr<CSpriteShape>> glowWormShapes;
    std::vector<GlowWorm> glowWorms;
    float glowWormClock;
};
