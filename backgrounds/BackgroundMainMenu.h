// CBackgroundMainMenu: the living picture behind the main menu. The painting
// "MainBack.jpg" is brought to life by a scrolling sky strip cut by a mask, eight
// decoration sprites (a screen-blended glow, a stone face whose eye and lips move, two
// swaying vines and a hanging map), falling leaves, a rippling foliage grid and a
// front foliage that sways and eases aside while the cursor hovers its zone.
// Tuned by section "MainMenu" of Background.cfg; every key has a built-in default.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RefPtr.h"

class CDevice;
class CIndexBuffer;
class CParticleSystemsManager;
class CSoundBank;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;
class CVertexBuffer;

// The device's sprite vertex: position, colour, picture and mask coordinates.
struct MainMenuVertex
{
    float x, y, z;
    uint32_t colour;
    float u, v;
    float u2, v2;
};

struct MainMenuLeaf
{
    float width, height;
    float vx, vy;
    float spinFrequency, spinAmplitude;
    float arcWidth, arcHeight, arcFrequency;
    float x, y, z;
    float angle, spinPhase, arcPhase;
    int32_t picture;
};

// A swinging sprite's sines: the lower edge sways by two terms per axis.
struct MainMenuSway
{
    float phase[4];
    float frequency[4];
};

struct MainMenuSettings
{
    float skyPos[3], skySize[2], skyV, skyTSize[2], skyMaskTSize[2], skySpeed;
    float spritePos[8][3], spriteSize[8][2], spriteT[8][4];
    int32_t spriteZOrder[8];
    float eyeT[4], lipsT1[4], lipsT2[4], leafT[3][4];
    float leafSize[2], leafZone[4], leafSpeed[2], leafRotSpeed, leafRotW, leafArcSize[2], leafArcW;
    int32_t maxLeaves;
    float leafBirthT;
    float foliageForm[4], foliageTForm[4];
    int32_t foliageCells[2];
    float foliageTNoise[2], foliageNoiseW;
    float mapDisp[2], mapW1[2], mapW2[2], hairDisp[2], hairW1[2], hairW2[2];
    float eyeProbability, lipsProbability, lipsMinTime;
    float frontPos[3], frontSize[2];
    int32_t frontZOrder;
    float frontMove[2], frontMoveW[2], frontSkew[2], frontSkewW[2], frontRotA, frontRotW;
    float frontShift[2], frontShiftAngle, frontShiftTime;
    float shiftZone[4]; // left, top, right, bottom, centred with y up
};

class CBackgroundMainMenu
{
public:
    enum
    {
        kSprites = 8,
        kSpriteScreen = 0,
        kSpriteHair1 = 2,
        kSpriteEye = 4,
        kSpriteLips = 5,
        kSpriteHair2 = 6,
        kSpriteMap = 7,
    };

    CBackgroundMainMenu();
    ~CBackgroundMainMenu();

    void SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib);
    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p, CRefPtr<CSpriteBatch> batch,
                   CRefPtr<CSpriteList> frontList);
    void LoadSettings(const char* path);
    void Init();
    // True when every picture of the scene is held; a missing one leaves an empty handle.
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    int32_t Render();

    // The menu's cursor, centred with y up: raises the shift flag inside the zone.
    void Hover(float x, float y);

    MainMenuSettings settings;
    int32_t shiftRequested;
    float shiftAmount; // 0 in place .. 1 fully aside

    CRefPtr<CSoundBank> soundBank;
    CRefPtr<CSpriteList> spriteList;

    // Read by tests and the benchmark.
    const std::vector<MainMenuLeaf>& Leaves() const { return leaves; }
    const std::vector<MainMenuVertex>& Vertices() const { return vertices; }
    size_t Decorations() const { return decorations.size(); }
    size_t FoliageCells() const { return cells.size(); }
    const CRefPtr<CSpriteShape>& Decoration(size_t i) const { return decorations[i]; }
    const CRefPtr<CSpriteShape>& FrontFoliage() const { return front; }
    const CRefPtr<CSpriteShape>& FoliageCell(size_t i) const { return cells[i]; }
    float SkyScroll() const { return skyScroll; }

private:
    void ReadSkySettings(const char* path);
    void ReadSpriteSettings(const char* path);
    void ReadLeafSettings(const char* path);
    void ReadFoliageSettings(const char* path);
    void ReadFrontSettings(const char* path);
    void BuildSkyQuad();
    void StartDecorations();
    void StartFoliage();
    void StartBackground();
    void StartFront();
    void UpdateSky(float dt);
    void UpdateLeaves(float dt);
    void BirthLeaf(float dt);
    void BuildLeafQuads();
    void UpdateFoliage(float dt);
    void UpdateSways(float dt);
    void UpdateFace(float dt);
    void UpdateFront(float dt);
    void DrawGeometry();

    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CSpriteList> frontList;
    CRefPtr<CTexture> backTexture, skyMask, leafMask, elements, foliageTexture;

    std::vector<MainMenuVertex> vertices; // the sky quad, then four per leaf slot
    std::vector<uint16_t> indices;
    float skyScroll;

    CRefPtr<CSpriteShape> background;
    std::vector<CRefPtr<CSpriteShape>> decorations;
    std::vector<MainMenuLeaf> leaves;
    float birthClock;
    std::vector<CRefPtr<CSpriteShape>> cells; // row by row from the top
    std::vector<std::vector<float>> nodeFrequency, nodePhase; // per row: x, y pairs per node
    std::vector<float> nodeOffset;                            // scratch: the nodes' offsets
    MainMenuSway mapSway, hairSway[2];
    float lipsTimer;
    CRefPtr<CSpriteShape> front;
    float frontPhase[5]; // move x, move y, skew x, skew y, rotation
};
