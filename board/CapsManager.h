// The token looks: CCapFrame (what one token or memory card looks like and where
// it is drawn) and CCapsManager, the one owner of every look, of the token
// textures and of the 17 token animations. The game makes one manager at
// start-up and shares it with the renderer, the play field and the challenges;
// the manager draws every look of its sorted list in batched passes (main,
// light and chains) from the renderer's frame. Memory cards of the plate
// challenges pair two looks in a CCapSprite, kept by a CCapSpriteGroup.
#pragma once

#include "board/CapsAnimation.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"
#include "render/Device.h"

#include <cstdint>
#include <string>
#include <vector>

// One look: drawn while it is in the manager's list and shown.
class CCapFrame
{
public:
    CCapFrame();
    ~CCapFrame();
    CCapFrame(const CCapFrame&) = delete;
    CCapFrame& operator=(const CCapFrame&) = delete;

    int32_t shown = 1;
    int32_t lookValue = 0;      // texture and animation: colours, cards, marked colours, specials
    float rotation = 0.0f;      // kept as plain data; no pass reads it
    float scale = 1.0f;         // kept as plain data; no pass reads it
    int32_t trackPosition = 0;  // the frame drawn is track[trackPosition]
    int32_t lockCount = 0;      // chains: 1 single, 2 or more double
    int32_t spareA = 0;
    int32_t spareB = 0;
    int32_t noQuad = 0;         // the main and light passes skip it; its chains still draw
    float spareC = 0.0f;
    float spareD = 0.0f;
    float x = 0.0f, y = 0.0f, z = 0.0f;  // centre
    float velocity[3] = {0.0f, 0.0f, 0.0f};  // kept as plain data
    float halfSize = 32.0f;
    int32_t drawOrder = 0;      // list key, highest first
    float startPosition[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};  // copies made at construction
    float startSize = 32.0f;
    CRefPtr<CTexture> texture;  // main pass
    int32_t spareIndex[2] = {-1, -1};
    float tint[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // kept as plain data
    CRefPtr<CTexture> lightTexture;  // light pass
    int32_t lightAllowed = 0;
    float lightDx = 0.0f;       // look position minus light point, written by the light pass
    float lightDy = 0.0f;
    int32_t lit = 0;            // near the light point in the last light pass
};

// One run of looks drawn with one texture.
struct CCapBatch
{
    CCapFrame* firstLook;
    uint32_t startVertex;
    uint32_t vertexCount;
    uint32_t startIndex;
    uint32_t primitiveCount;
};

class CCapsManager
{
public:
    enum
    {
        kTextureCount = 9,
        kCardBack = 28,    // look value of a memory card's covered side
        kMarkedOffset = 50,
        kSpecialLook = 100,
    };

    CCapsManager(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                 CRefPtr<CIndexBuffer> indexBuffer);
    ~CCapsManager();
    CCapsManager(const CCapsManager&) = delete;
    CCapsManager& operator=(const CCapsManager&) = delete;

    // Token pictures from the folder (with its trailing separator): 1, or 0
    // after "Unable to load Texture <name>!" in the log.
    int LoadTextures(const std::string& folder);
    // The 17 animations of "CapsAnimation.dat" in the folder: 1, or 0 when the
    // file is missing or a block fails (the blocks read before stay).
    int LoadCapsAnimation(const std::string& folder);
    // Keeps only the device textures of one set (0 tokens, 1 memory cards): 1 on
    // success, 0 before the textures are loaded, for an unknown set, or when a
    // texture cannot be made again (the next call for that set tries again).
    int SwitchTextureSet(int32_t set);

    void MakeCapFrame(CRefPtr<CCapFrame>& out, int32_t lookValue, float x, float y, float z,
                      float halfSize, int32_t drawOrder);
    int AddLook(const CRefPtr<CCapFrame>& look);
    int RemoveLook(const CRefPtr<CCapFrame>& look);
    // Moves a look whose draw order or texture changed to its sorted place.
    void RaiseLook(CRefPtr<CCapFrame> look);
    void SetMarked(const CRefPtr<CCapFrame>& look, int32_t marked);
    void Update(float dt);

    // Main and light passes: -1 when a buffer lock failed, 0 when nothing was
    // written, else the triangles drawn.
    int Render();
    void DrawChains();

    // The pieces of the passes.
    int FillBuffers();
    int DrawBatches();
    int CountLightQuads(uint32_t& vertices, uint32_t& indices);
    int FillLightBuffers(float lightX, float lightY);
    int DrawLight();
    // Write one quad (4 vertices, 6 indices from base); false when nothing was
    // written (no-quad looks).
    bool WriteCapQuad(const CCapFrame& look, CVertex* vertices, uint16_t* indices, uint32_t base) const;
    bool WriteCapLightQuad(const CCapFrame& look, CVertex* vertices, uint16_t* indices,
                           uint32_t base) const;

    // The animation a look draws with, or null before the animations are read.
    const CCapsAnimation* AnimationFor(int32_t lookValue) const;
    // The textures a look value takes (main and light); empty before loading.
    void TexturesFor(int32_t lookValue, CRefPtr<CTexture>& texture, CRefPtr<CTexture>& light) const;

    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    std::vector<CRefPtr<CTexture>> textures;
    CRefPtr<CTexture> lightMask;   // "CursorAdd.bmp"
    CRefPtr<CTexture> chainPicture;
    CRefPtr<CTexture> chainAlpha;
    int32_t enabled = 1;
    std::vector<CRefPtr<CCapFrame>> looks;
    std::vector<CCapsAnimation> animations;
    std::vector<CCapBatch> batches;
    float lightX = 0.0f;
    float lightY = 0.0f;
    int32_t textureSet = -1;
    int32_t panelFlag = 0;        // kept for the panels (CPlayField::ShowPanels)
    int32_t switchFailed = 0;     // the last switch could not make its textures

private:
    int FillPass(bool light);
    void ReleaseSet(int32_t set);
};

// A memory card of the plate challenges: a covered front look and a face
// (back) look that turn and fly together.
class CCapSprite
{
public:
    CCapSprite();
    ~CCapSprite();
    CCapSprite(const CCapSprite&) = delete;
    CCapSprite& operator=(const CCapSprite&) = delete;

    // Faces 0 and 1 show the front look, 2 and up the back look.
    void SetFrame(int32_t face);
    // 101 when a flight ends, 103 when a turn ends, else 100.
    int Update(float dt);

    int32_t cardValue = 0;
    int32_t state = 0;   // 1, 2 flying; 3 turning up; 4 turning down
    CRefPtr<CCapFrame> frontLook;
    CRefPtr<CCapFrame> backLook;
    float turnPosition = 0.0f;
    int32_t face = 0;
    float turnSpeed = 30.0f;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float halfSize = 42.0f;
    CMotionPath path;
    float flightDuration = 1.0f;
    float flightTime = 0.0f;
};

struct CCapSpriteEvent
{
    int32_t code;
    CRefPtr<CCapSprite> sprite;
};

class CCapSpriteGroup
{
public:
    explicit CCapSpriteGroup(CRefPtr<CCapsManager> manager);
    ~CCapSpriteGroup();

    void Add(CRefPtr<CCapSprite>& out, int32_t cardValue, float x, float y, float z, int32_t drawOrder);
    int Remove(const CRefPtr<CCapSprite>& sprite);
    // The number of events of this update.
    int Update(float dt);
    void Clear();

    CRefPtr<CCapsManager> manager;
    std::vector<CRefPtr<CCapSprite>> sprites;
    std::vector<CCapSpriteEvent> events;
};
