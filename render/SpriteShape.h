// CSpriteShape: the drawing primitive of every screen, panel, widget, bonus and
// background: one textured, coloured quad with position, size, rotation, blend
// mode, alpha fade, scale animation, an optional life time and texture frames.
// Held through CRefPtr by its owner and by the CSpriteList that updates, sorts
// and draws it; owners change the fields directly or through the setters.
#pragma once

#include "engine/MotionPath.h" // Vec3
#include "engine/RefPtr.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

#include <cstdint>
#include <vector>

// A texture coordinate pair, or a corner offset in quad widths and heights.
struct CUV
{
    float u;
    float v;
};

// Writes a quad's four corners (top-left, top-right, bottom-right, bottom-left) in one
// colour, with the same texture coordinates in both sets.
inline void WriteQuadVertices(CVertex* vertices, const Vec3 corners[4], uint32_t colour, const CUV uv[4])
{
    for (int i = 0; i < 4; ++i)
    {
        CVertex& v = vertices[i];
        v.x = corners[i].x;
        v.y = corners[i].y;
        v.z = corners[i].z;
        v.colour = colour;
        v.u = uv[i].u;
        v.v = uv[i].v;
        v.u2 = uv[i].u;
        v.v2 = uv[i].v;
    }
}

// Blend modes; tuning and form files name them by the filter keywords.
enum
{
    kBlendNormal = 0, // SRCALPHA, INVSRCALPHA
    kBlendAdd = 1,    // "ADD": SRCALPHA, ONE
    kBlendMul = 2,    // "MUL": ZERO, INVSRCCOLOR
    kBlendScreen = 3, // "SCREEN": ONE, INVSRCCOLOR
};

class CSpriteShape
{
public:
    CSpriteShape(float x, float y, float z, float width, float height, uint32_t colour,
                 CRefPtr<CTexture> texture, int blended);

    // The blend mode of a filter keyword, upper-cased first: "ADD" 1, "MUL" 2,
    // "SCREEN" 3, anything else 0.
    static int BlendModeFromFilter(const char* keyword);

    void SetColor(uint32_t argb);
    // Any mode outside 0..3 only stores the blended flag.
    void SetBlendMode(int blendedFlag, int mode);
    void SetScale(float sx, float sy);
    void SetRotation(float radians);
    void SetAxes(float rx, float ry, float rz, float ux, float uy, float uz, int normalise);
    // Alpha and alpha target both take the value; a running fade stays flagged.
    void SetAlpha(float value);
    void FadeTo(float target);
    void SetScaleTarget(float sx, float sy);

    // Frames hold four (u, v) corners: top-left, top-right, bottom-right, bottom-left.
    void SetFrameUV(int frame, float left, float top, float right, float bottom);
    void SetFrameUV4(int frame, float u0, float v0, float u1, float v1, float u2, float v2,
                     float u3, float v3);
    int AddFrame(float left, float top, float right, float bottom);
    int AddFrameUV4(float u0, float v0, float u1, float v1, float u2, float v2, float u3,
                    float v3);
    int FrameCount() const { return int(frames.size() / 4); }

    // Four corner offsets, in scaled-axis units, that replace the rectangle.
    void SetCorners(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                    float y3);

    // The per-frame step: life, spin, scale animation, fade, life fade.
    void Update(float dt);

    // Writes four vertices and six indices (base .. base + 3) for the quad.
    void WriteQuad(CVertex* vertices, uint16_t* indices, uint32_t base) const;

    // Rebuilds the scaled axes from the axes, the angle and the scale.
    void RebuildAxes();

    uint32_t colour;
    uint32_t colourRGB;
    float red, green, blue; // 0..255
    float baseAlpha;        // 0..255
    CRefPtr<CTexture> texture;
    std::vector<CUV> frames; // four per frame
    int32_t currentFrame;
    Vec3 position;
    float scaleX, scaleY;
    float angle;
    float offsetX, offsetY; // in quad widths and heights
    Vec3 right;
    Vec3 up;
    Vec3 scaledRight;
    Vec3 scaledUp;
    int32_t scaling;
    float targetScaleX, targetScaleY;
    float scaleSpeedX, scaleSpeedY;
    int32_t spinning;
    float spinSpeed;
    int32_t zOrder;
    int32_t blended;
    int32_t depthTest;
    int32_t zWrite;
    uint32_t srcBlend;
    uint32_t destBlend;
    float alpha;
    int32_t fading;
    float alphaTarget;
    float fadeSpeed;
    int32_t visible;
    int32_t layer;
    int32_t mortal;
    float life;
    int32_t lifeFade;
    float lifeFadeTime;
    std::vector<CUV> corners; // empty, or four (x, y) offsets
};
