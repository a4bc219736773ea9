// CBackgroundMuseum: the living picture behind the board at the museum's levels.
// Over its painting, dust drifts through the light of the room (layers of a dust
// texture scrolling in four directions, seen only through a mask) and a fan of light
// rays turns slowly about the high window; five gems light up as the museum's levels
// are won, and with the fifth a treasure map unrolls. Owned by the background
// manager, which switches it on and off; its tuning is section "Museum" of
// "Background.cfg".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backgrounds/SceneParts.h"
#include "backgrounds/SparseCover.h"
#include "engine/RefPtr.h"
#include "render/SpriteShape.h" // CUV
#include "render/VertexBuffer.h"

class CSpriteShape;
class CTexture;

class CBackgroundMuseum : public scene::SceneResources
{
public:
    enum
    {
        kLastStage = 5,
        kMaxDustLayers = 16, // more would only cost fill rate
    };

    CBackgroundMuseum();
    ~CBackgroundMuseum();

    void LoadSettings(const char* path);
    // Lays out the dust layers at random start offsets.
    void Init();
    // True when every picture of the scene is held; a missing one leaves an empty handle.
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    void SetStage(int32_t newStage, int32_t newQuiet);
    // Draws the dust layers: 0, or the negative result of a buffer that would not lock.
    int32_t Render();

    // Tuning (built-in values until LoadSettings).
    std::string dustTextureFile;
    std::string dustMaskTextureFile;
    std::string flareRaysTextureFile;
    float dustSizeFactor;
    int32_t dustLayersCount;
    std::vector<CUV> dustVelocities; // texture units a second, one per layer
    float flareCenter[2];
    float flareRaysSize[2];
    float flareRaysSpin;
    uint32_t flareRaysColor;

    // The dust geometry: four vertices and six indices per layer, the layers' current
    // texture offsets and the three far corners of each layer's texture rectangle.
    std::vector<CVertex> dustVertices;
    std::vector<uint16_t> dustIndices;
    std::vector<CUV> dustOffsets;
    std::vector<CUV> dustCornerUV;

    // The dust as the pieces its motes need: the rectangles of the dust picture that hold
    // its motes and the cells of the screen its mask lets through, found when the
    // pictures load. Without them (a picture that cannot be read) the layers are drawn
    // whole.
    bool dustInPieces = false;
    std::vector<scene::TexelRect> dustRects;
    scene::CoverGrid dustShows;
    int32_t dustWidth = 0, dustHeight = 0;
    std::vector<CVertex> dustPieceVertices;
    std::vector<uint16_t> dustPieceIndices;

    CRefPtr<CSpriteShape> backgroundShape;
    CRefPtr<CSpriteShape> flareRaysShape;

private:
    // The scene's own textures: names, files, loaders and handles.
    scene::SceneTextures Textures();
    void ScrollDust(float dt);
    void WriteDustCoordinates(size_t layer);
    void FindDustPieces();
    // The pieces of every layer at the layers' current offsets; false when there are
    // more than one draw can take.
    bool BuildDustPieces();
    void AddLayerPieces(size_t layer);

    CRefPtr<CTexture> backgroundTexture;
    CRefPtr<CTexture> dustTexture;
    CRefPtr<CTexture> dustMaskTexture;
    CRefPtr<CTexture> flareRaysTexture;
};
