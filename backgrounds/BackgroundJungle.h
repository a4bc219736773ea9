// CBackgroundJungle: the living picture behind the board at the jungle's levels.
// Over its painting a band of mist drifts across the river (a scrolling fog texture
// seen through a mask and added onto the picture), a fan of light rays turns slowly
// from the canopy's gap, and small glints light up and glide over the water
// (CJungleFlashes); six gems light up as the jungle's levels are won, and a last
// flare with the sixth. Owned by the background manager; its tuning is section
// "Jungle" of "Background.cfg".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backgrounds/JungleFlashes.h"
#include "backgrounds/SceneParts.h"
#include "engine/RefPtr.h"
#include "render/SpriteShape.h" // CUV
#include "render/VertexBuffer.h"

class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CTexture;

class CBackgroundJungle : public scene::SceneResources
{
public:
    enum
    {
        kLastStage = 6,
    };

    CBackgroundJungle();
    ~CBackgroundJungle();

    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p, CRefPtr<CSpriteBatch> batch,
                   CRefPtr<CTexture> flare, CRefPtr<CTexture> flash, CRefPtr<CTexture> spark);
    void LoadSettings(const char* path);
    // Lays out the fog quad.
    void Init();
    // The glints' brightness mask; without it the scene goes without glints.
    bool LoadFlashMask(const char* path);
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    void SetStage(int32_t newStage, int32_t newQuiet);
    // Draws the fog: 0, or the negative result of a buffer that would not lock.
    int32_t Render();

    // Tuning (built-in values until LoadSettings), centred units.
    std::string fogTextureFile;
    std::string maskTextureFile;
    std::string flareRaysTextureFile;
    float fogLeft, fogTop, fogWidth, fogHeight;
    CUV fogTexSize;     // texture repeats across the fog rectangle
    CUV fogTexVelocity; // texture units a second
    float flareCenter[2];
    float flareRaysSize[2];
    float flareRaysSpin;

    std::vector<CVertex> fogVertices;
    std::vector<uint16_t> fogIndices;
    CUV fogScroll; // kept in 0..1
    CJungleFlashes flashes;

    CRefPtr<CSpriteShape> backgroundShape;
    CRefPtr<CSpriteShape> flareRaysShape;

private:
    // The scene's own textures: names, files, loaders and handles.
    scene::SceneTextures Textures();
    void ScrollFog(float dt);

    CRefPtr<CTexture> backgroundTexture;
    CRefPtr<CTexture> fogTexture;
    CRefPtr<CTexture> maskTexture;
    CRefPtr<CTexture> flareRaysTexture;
    CRefPtr<CTexture> flashTexture;
};
