// CBackgroundDoor: the scene behind the levels of the door location. Over "Door.jpg"
// a floor shadow sways, two curtains of foliage hang and sway at the top, the progress
// ornaments light ten gems, and when the tenth is in the door's flare grows, the
// painted door fades and the door leaf sinks into the floor, showing the doorway.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backgrounds/SceneParts.h"
#include "engine/RefPtr.h"

class CParticleSystem;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

struct DoorVertex
{
    float x, y, z;
    uint32_t colour;
    float u, v;
    float u2, v2;
};

struct DoorPoint
{
    float x, y;
};

struct DoorSettings
{
    std::string shadowFile, maskFile, foliageFile;
    float shadowRect[4];
    float shadowNearAmp[2], shadowFarAmp[2], shadowNearSpeed[2], shadowFarSpeed[2];
    float foliageShift[2], foliageMove[2], foliageMovePhase[2][2], foliageMoveSpeed[2][2];
    float foliageDisp[2], foliageDispPhase[2][2], foliageDispSpeed[2][2];
    float door[4];       // x, y, w, h in picture pixels
    float doorBottom[2]; // floor line at the left and right edge, down from the top
    float doorPreTime, doorOpenTime;
    int32_t useSand;
    uint32_t sandColor, dustColor;
    float sandShift[2][2];
    float sandDown[2];
};

class CBackgroundDoor : public scene::SceneResources
{
public:
    enum DoorState
    {
        kDoorClosed = 0,
        kDoorFlare = 1,
        kDoorFading = 2,
        kDoorSinking = 3,
    };
    static const int32_t kGems = 10;

    CBackgroundDoor();
    ~CBackgroundDoor();

    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p, CRefPtr<CSpriteBatch> batch,
                   CRefPtr<CTexture> flare, CRefPtr<CTexture> sand, CRefPtr<CTexture> dust,
                   CRefPtr<CTexture> spark);
    void LoadSettings(const char* path);
    void Init();
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    void SetStage(int32_t stage, int32_t quiet);
    int32_t Render();

    // The visible part of the sinking leaf for an opening f in 0..1 (door pixels).
    void ComputeDoorQuad(float f);

    int32_t DoorStateNow() const { return doorState; }
    const DoorPoint* DoorQuad() const { return doorQuad; }
    const CRefPtr<CSpriteShape>& Cover() const { return doorCover; }
    const CRefPtr<CSpriteShape>& Leaf() const { return doorLeaf; }
    const std::vector<DoorVertex>& ShadowVertices() const { return shadowVertices; }

    DoorSettings settings;

private:
    void MakeDoorShapes();
    void PlaceDoorLeaf();
    void DropDoorShapes();
    void StepDoor(float dt);
    // Sand trickling from the door's top corners, with dust rising where it lands.
    void StartSand();
    void FollowDoorWithSand();
    void StopSand();
    void SwayFoliage(float t);

    CRefPtr<CTexture> backgroundTexture, shadowTexture, maskTexture, foliageTexture;
    CRefPtr<CTexture> sandTexture, dustTexture;

    std::vector<DoorVertex> shadowVertices;
    std::vector<uint16_t> shadowIndices;
    float clock;
    CRefPtr<CSpriteShape> backgroundShape;
    std::vector<CRefPtr<CSpriteShape>> foliageShapes;
    DoorPoint foliageBase[2][4];
    CRefPtr<CSpriteShape> doorCover, doorway, doorLeaf, doorShade;
    std::vector<CRefPtr<CParticleSystem>> sandSystems, dustSystems;
    DoorPoint doorQuad[4];
    int32_t doorState;
    float doorTimer;
};
