// CSpriteBatch and CBatchSprite: many small, short-lived, twinkling quads
// (stars, glints, sparkles of effects, bonuses, totems and screens), drawn
// additively and grouped by texture from the renderer's shared buffers. Each
// sprite fades in, holds, fades out with a random flicker, and may spin and
// zoom. The renderer owns three batches; the game updates them every frame.
#pragma once

#include "engine/MotionPath.h" // Vec3
#include "engine/RefPtr.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SpriteShape.h" // CUV
#include "render/Texture.h"
#include "render/VertexBuffer.h"

#include <cstdint>
#include <vector>

class CBatchSprite
{
public:
    CBatchSprite(float x, float y, float z, CRefPtr<CTexture> texture, uint32_t rgb);

    // Each axis is brought to unit length (a zero axis becomes (0, 1, 0)).
    void SetAxes(float xx, float xy, float xz, float yx, float yy, float yz);
    void SetScale(float sx, float sy);
    void SetTexRect(float left, float top, float right, float bottom);
    void SetSpin(float angle, float speed, float ax, float ay, float az, float bx, float by,
                 float bz);
    void StartZoom(float target, float rate);
    // Starts the fade-out now; a sprite still fading in fades out from the
    // alpha it has reached.
    void FadeOutNow();

    // The life-cycle step; 0 once the life is over.
    int Update(float dt);
    void FillQuad(CVertex* vertices) const;

    uint32_t id;
    Vec3 position;
    Vec3 xAxis;
    Vec3 yAxis;
    Vec3 scaledXAxis;
    Vec3 scaledYAxis;
    CUV corners[4]; // top-left, top-right, bottom-right, bottom-left
    float scaleX, scaleY;
    uint32_t colour; // RGB, no alpha
    CRefPtr<CTexture> texture;
    float fadeInTime;
    float fadeOutTime;
    float holdEnd; // age at which the fade-out starts
    float flickerAmplitude;
    float flickerInterval;
    float lifeAlpha;
    float flickerFrom, flickerTo, flickerDelta;
    float flickerStart;
    float age;
    float startDelay;
    int32_t spinning;
    float spinAngle, spinSpeed;
    Vec3 spinAxisA;
    Vec3 spinAxisB;
    int32_t zooming;
    float zoomBaseX, zoomBaseY;
    float zoomFactor, zoomTarget, zoomRate;
    float alphaFactor;
};

class CSpriteBatch
{
public:
    CSpriteBatch(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                 CRefPtr<CIndexBuffer> indexBuffer);
    ~CSpriteBatch();

    // Inserts the sprite before the first one of its texture; returns its id.
    uint32_t Add(CRefPtr<CBatchSprite> sprite);
    void Update(float dt);
    void Render();

    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    uint32_t nextId;
    std::vector<CRefPtr<CBatchSprite>> sprites;
};
