// CSandbox: the glass box beside the board in which the sand of removed tokens
// piles up (its CSandHeap) and pours out in a score frenzy, with a bar of
// frenzy stars under it that shows the refill. The board gives it a new heap
// and its area at every layout reset, pours token sand into it and updates it
// every frame; the game start-up gives it its textures and layout; switching
// it on starts the dust over the heap and the sand flying off its peaks. The
// renderer draws it in two passes while it is visible: the sand body, then
// the glass, the frame and the star bar.
#pragma once

#include "effects/SandHeap.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <utility>
#include <vector>

class CDevice;
class CTexture;
class CVertexBuffer;
class CIndexBuffer;
struct CVertex;
class CParticleSystem;
class CParticleSystemsManager;
class CDuneDustKeeper;
class CDuneSandFlyOut;

// The area of the sand: its top-left corner (the sand lies below y), its size,
// and per heap column a base point on the bottom, an up vector to the top and
// their texture coordinates.
struct CSandboxPart
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float width = 0.0f, height = 0.0f;
    std::vector<Vec3> basePoints;
    std::vector<Vec3> upVectors;
    float textureRepeat = 2.5f;
    float baseV = 1.0f;
    std::vector<std::pair<float, float>> baseUV;
    std::vector<std::pair<float, float>> upUV;
};

class CSandbox
{
public:
    // The layout values the game start-up takes from the quest layout.
    struct Layout
    {
        float frontShift[3] = {-9.0f, 4.0f, 0.0f};
        uint32_t glassColour = 0xFF6CC8F7u;
        float sandInGravity = 5.0f, sandOutGravity = 20.0f, sandPathSpeed = 32.0f;
        uint32_t sandColour = 0xFFA09050u;
        float sandAlpha = 1.0f;
        float dustSpeed = 40.0f, dustSpeedSpread = 20.0f;
        float dustSize = 10.0f, dustSizeSpread = 5.0f;
        uint32_t dustColour = 0xFFA09050u;
        float dustAlpha = 0.5f;
        uint32_t barColour = 0x01DDFFu;
        float barPresence = 1.0f;
        float barShift[2] = {14.0f, 2.0f};
        float barElementSize[2] = {32.0f, 32.0f};
        int32_t barCount = 19;
        float barPostTime = 0.25f;
        CMotionPath sandPath;
    };

    CSandbox();
    ~CSandbox();
    CSandbox(const CSandbox&) = delete;
    CSandbox& operator=(const CSandbox&) = delete;

    void SetTextures(CRefPtr<CTexture> body, CRefPtr<CTexture> grain, CRefPtr<CTexture> cloud,
                     CRefPtr<CTexture> front, CRefPtr<CTexture> glass, CRefPtr<CTexture> star);
    void LoadLayout(const Layout& layout);
    void SetHeap(CRefPtr<CSandHeap> newHeap);
    void SetArea(float x, float y, float z, float w, float h);
    void Refresh();
    // On shows the glass (at once for rate 0, else fading in at that rate) and
    // starts its dust and flying sand; off stops them and hides or fades it.
    void SetState(int32_t on, float rate);
    void Update(float dt);
    void SetFlowing(bool on, double refillValue);
    // A portion of token sand: it lands on the heap when a grain falling
    // straight down from the given point would reach the glass's bottom.
    void Pour(float amount, float x, float y, float z, float halfSize, float horizontalSpeed, float upwardSpeed,
              float maxFallSpeed, float gravity);
    // The renderer's two passes; false when a buffer cannot be locked.
    bool DrawPass1(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer);
    bool DrawPass2(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer);

    // How many star quads the bar draws now (0, 1 or 2).
    int32_t BarQuads() const;

    CRefPtr<CSandHeap> heap;
    CRefPtr<CTexture> bodyTexture, grainTexture, cloudTexture, frontTexture, glassTexture, starTexture;
    float frontOffset[3] = {-9.0f, 4.0f, 0.0f};
    uint32_t glassColour = 0xFF6CC8F7u;
    CSandboxPart area;
    std::vector<Vec3> surface;
    CMotionPath sandPath;
    float sandInGravity = 5.0f, sandOutGravity = 20.0f, sandPathSpeed = 32.0f;
    uint32_t sandColour = 0xFFA09050u;
    float flyOutAlpha = 1.0f;
    float dustSpeed = 40.0f, dustSpeedSpread = 20.0f, dustBraking = 40.0f;
    float dustSize = 10.0f, dustSizeSpread = 5.0f;
    uint32_t dustColour = 0xFFA09050u;
    float dustAlpha = 0.5f;
    uint32_t barColour = 0x01DDFFu;
    float barPresence = 0.0f;
    float barOffset[2] = {14.0f, 2.0f};
    float barElementSize[2] = {32.0f, 32.0f};
    int32_t barCount = 19;
    float barPeriod = 0.25f;
    int32_t visible = 0;
    float level = 0.0f;
    float levelSpeed = 0.0f;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CParticleSystem> flySystem;
    CRefPtr<CDuneSandFlyOut> flyKeeper;
    CRefPtr<CParticleSystem> dustSystem;
    CRefPtr<CDuneDustKeeper> dustKeeper;

private:
    void FillFrameAndBar(CVertex* out, int32_t q) const;
    void StartEffects();
    void StopEffects(bool kill);
    void SetKeepersEnabled(int32_t on);
};
