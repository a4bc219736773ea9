#include "engine/MathConstants.h"
#include "render/SpriteShape.h"

#include "render/SharedBuffers.h"

#include <cmath>
#include <cstring>

namespace {


// Brings an axis to unit length; a zero or broken axis becomes (0, 1, 0).
void Normalise(Vec3& axis)
{
    const float length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (!(length > 0.0f) || std::isnan(axis.x) || std::isnan(axis.y) || std::isnan(axis.z) ||
        std::isinf(length))
    {
        axis = {0.0f, 1.0f, 0.0f};
        return;
    }
    const float inverse = 1.0f / length;
    axis = {axis.x * inverse, axis.y * inverse, axis.z * inverse};
}

// Moves `value` by `step` towards `target`, stopping on it.
float Approach(float value, float target, float step)
{
    if (value < target)
    {
        value += step;
        return value >= target ? target : value;
    }
    value -= step;
    return value <= target ? target : value;
}

uint32_t ClampShapeByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    return value >= 255.0f ? 255u : uint32_t(value);
}

} // namespace

CSpriteShape::CSpriteShape(float x, float y, float z, float width, float height, uint32_t argb,
                           CRefPtr<CTexture> texture_, int blendedFlag)
    : colour(0), colourRGB(0), red(0), green(0), blue(0), baseAlpha(0), texture(texture_),
      currentFrame(0), position{x, y, z}, scaleX(width), scaleY(height), angle(0.0f),
      offsetX(0.0f), offsetY(0.0f), right{1, 0, 0}, up{0, 1, 0}, scaledRight{0, 0, 0},
      scaledUp{0, 0, 0}, scaling(0), targetScaleX(width), targetScaleY(height),
      scaleSpeedX(1.0f), scaleSpeedY(1.0f), spinning(0), spinSpeed(3.1415927f), zOrder(0),
      blended(blendedFlag), depthTest(1), zWrite(1), srcBlend(5), destBlend(6), alpha(1.0f),
      fading(0), alphaTarget(1.0f), fadeSpeed(1.0f), visible(1), layer(1), mortal(0),
      life(1.0f), lifeFade(0), lifeFadeTime(0.25f)
{
    SetColor(argb);
    frames.reserve(16);
    AddFrame(0.0f, 0.0f, 1.0f, 1.0f);
    SetAxes(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1);
}

int CSpriteShape::BlendModeFromFilter(const char* keyword)
{
    char upper[16] = {};
    if (!keyword)
        return kBlendNormal;
    for (size_t i = 0; i + 1 < sizeof upper && keyword[i]; ++i)
        upper[i] = keyword[i] >= 'a' && keyword[i] <= 'z' ? char(keyword[i] - 32) : keyword[i];
    if (std::strlen(keyword) >= sizeof upper)
        return kBlendNormal;
    if (std::strcmp(upper, "ADD") == 0)
        return kBlendAdd;
    if (std::strcmp(upper, "MUL") == 0)
        return kBlendMul;
    if (std::strcmp(upper, "SCREEN") == 0)
        return kBlendScreen;
    return kBlendNormal;
}

void CSpriteShape::SetColor(uint32_t argb)
{
    colour = argb;
    colourRGB = argb & 0x00FFFFFFu;
    red = float((argb >> 16) & 0xFF);
    green = float((argb >> 8) & 0xFF);
    blue = float(argb & 0xFF);
    baseAlpha = float(argb >> 24);
}

void CSpriteShape::SetBlendMode(int blendedFlag, int mode)
{
    static const uint32_t kFactors[4][2] = {{5, 6}, {5, 2}, {1, 4}, {2, 4}};
    blended = blendedFlag;
    if (mode < 0 || mode > 3)
        return;
    srcBlend = kFactors[mode][0];
    destBlend = kFactors[mode][1];
}

void CSpriteShape::SetScale(float sx, float sy)
{
    scaleX = sx;
    scaleY = sy;
    RebuildAxes();
}

void CSpriteShape::SetRotation(float radians)
{
    angle = radians;
    RebuildAxes();
}

void CSpriteShape::SetAxes(float rx, float ry, float rz, float ux, float uy, float uz,
                           int normalise)
{
    right = {rx, ry, rz};
    up = {ux, uy, uz};
    if (normalise != 0)
    {
        Normalise(right);
        Normalise(up);
    }
    RebuildAxes();
}

void CSpriteShape::RebuildAxes()
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    scaledRight = {(right.x * c + up.x * s) * scaleX, (right.y * c + up.y * s) * scaleX,
                   (right.z * c + up.z * s) * scaleX};
    scaledUp = {(up.x * c - right.x * s) * scaleY, (up.y * c - right.y * s) * scaleY,
                (up.z * c - right.z * s) * scaleY};
}

void CSpriteShape::SetAlpha(float value)
{
    alpha = value;
    alphaTarget = value;
}

void CSpriteShape::FadeTo(float target)
{
    alphaTarget = target;
    fading = 1;
}

void CSpriteShape::SetScaleTarget(float sx, float sy)
{
    targetScaleX = sx;
    targetScaleY = sy;
    scaling = 1;
}

void CSpriteShape::SetFrameUV(int frame, float left, float top, float right_, float bottom)
{
    SetFrameUV4(frame, left, top, right_, top, right_, bottom, left, bottom);
}

void CSpriteShape::SetFrameUV4(int frame, float u0, float v0, float u1, float v1, float u2,
                               float v2, float u3, float v3)
{
    if (frame < 0 || frame >= FrameCount())
        return;
    CUV* corner = &frames[size_t(frame) * 4];
    corner[0] = {u0, v0};
    corner[1] = {u1, v1};
    corner[2] = {u2, v2};
    corner[3] = {u3, v3};
}

int CSpriteShape::AddFrame(float left, float top, float right_, float bottom)
{
    return AddFrameUV4(left, top, right_, top, right_, bottom, left, bottom);
}

int CSpriteShape::AddFrameUV4(float u0, float v0, float u1, float v1, float u2, float v2,
                              float u3, float v3)
{
    frames.push_back({u0, v0});
    frames.push_back({u1, v1});
    frames.push_back({u2, v2});
    frames.push_back({u3, v3});
    return FrameCount() - 1;
}

void CSpriteShape::SetCorners(float x0, float y0, float x1, float y1, float x2, float y2,
                              float x3, float y3)
{
    corners.assign({{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}});
}

void CSpriteShape::Update(float dt)
{
    if (mortal)
        life -= dt;

    if (spinning)
    {
        angle += spinSpeed * dt;
        if (angle > kTwoPi)
            angle -= kTwoPi;
        if (angle < 0.0f)
            angle += kTwoPi;
    }

    if (scaling)
    {
        scaleX = Approach(scaleX, targetScaleX, scaleSpeedX * dt);
        scaleY = Approach(scaleY, targetScaleY, scaleSpeedY * dt);
    }

    if (spinning || scaling)
        RebuildAxes();

    if (fading)
    {
        if (alphaTarget > alpha)
        {
            alpha += fadeSpeed * dt;
            if (alpha >= alphaTarget)
            {
                alpha = alphaTarget;
                fading = 0;
            }
        }
        else if (alphaTarget < alpha)
        {
            alpha -= fadeSpeed * dt;
            if (alpha <= alphaTarget)
            {
                alpha = alphaTarget;
                fading = 0;
            }
        }
    }

    if (mortal && lifeFade && life < lifeFadeTime)
    {
        fading = 0;
        alpha = life / lifeFadeTime;
        alphaTarget = alpha;
    }
}

void CSpriteShape::WriteQuad(CVertex* vertices, uint16_t* indices, uint32_t base) const
{
    // Alpha beyond 0..1 (an overshooting fade) is held to the byte's range
    // rather than spilling into the colour bits.
    const float a = alpha * baseAlpha;
    uint32_t rgb = colourRGB;
    if (destBlend == 4)
    {
        // Modes that multiply by the inverse source colour want the colour
        // premultiplied by its alpha.
        const float k = a < 0.0f ? 0.0f : a > 255.0f ? 255.0f : a;
        rgb = ClampShapeByte(std::floor(red * k / 255.0f)) << 16 |
              ClampShapeByte(std::floor(green * k / 255.0f)) << 8 |
              ClampShapeByte(std::floor(blue * k / 255.0f));
    }
    const uint32_t argb = ClampShapeByte(std::floor(a)) << 24 | rgb;

    Vec3 p[4];
    if (corners.size() >= 4)
    {
        for (int i = 0; i < 4; ++i)
        {
            const CUV& c = corners[size_t(i)];
            p[i] = {position.x + c.u * scaledRight.x + c.v * scaledUp.x,
                    position.y + c.u * scaledRight.y + c.v * scaledUp.y,
                    position.z + c.u * scaledRight.z + c.v * scaledUp.z};
        }
    }
    else
    {
        const float kr = -0.5f - offsetX;
        const float ku = 0.5f - offsetY;
        p[0] = {position.x + kr * scaledRight.x + ku * scaledUp.x,
                position.y + kr * scaledRight.y + ku * scaledUp.y,
                position.z + kr * scaledRight.z + ku * scaledUp.z};
        p[1] = {p[0].x + scaledRight.x, p[0].y + scaledRight.y, p[0].z + scaledRight.z};
        p[2] = {p[1].x - scaledUp.x, p[1].y - scaledUp.y, p[1].z - scaledUp.z};
        p[3] = {p[2].x - scaledRight.x, p[2].y - scaledRight.y, p[2].z - scaledRight.z};
    }

    const size_t frame = currentFrame >= 0 && currentFrame < FrameCount() ? size_t(currentFrame) : 0;
    WriteQuadVertices(vertices, p, argb, &frames[frame * 4]);
    SetQuadIndices(indices, base);
}
