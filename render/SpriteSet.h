// CSpriteSet: a table of sprite descriptions read from one section of a tuning
// file (position and size in pixels of a reference layout, texture rectangle in
// texels, colour, blend filter, z-order, texture index), converted on loading
// into virtual-screen and texture-coordinate units. The totem pictures are
// built from sets; the set makes no shapes itself.
#pragma once

#include "engine/MotionPath.h" // Vec3

#include <cstdint>
#include <vector>

class CSpriteSet
{
public:
    CSpriteSet();

    // Note the order: the texture size comes before the offsets.
    void SetLayout(float referenceWidth, float referenceHeight, float textureWidth,
                   float textureHeight, float offsetX, float offsetY, float offsetZ);

    // Appends the sprites of the section whose keys start with prefix
    // ("%sSprite%d", "%sSpriteT%d", ...). With count 0 the count is read from
    // "%sSpritesCount". Missing keys take their defaults.
    void Load(const char* file, const char* section, const char* prefix, int count);

    size_t Count() const { return positions.size(); }

    float referenceWidth;
    float referenceHeight;
    float offsetX;
    float offsetY;
    float offsetZ;
    float textureWidth;
    float textureHeight;
    std::vector<Vec3> positions;          // centre, y up
    std::vector<float> sizes;             // width, height per sprite
    std::vector<float> textureRects;      // left, top, right, bottom per sprite
    std::vector<uint32_t> colours;        // ARGB
    std::vector<int32_t> filters;         // blend modes 0..3
    std::vector<int32_t> zOrders;
    std::vector<int32_t> textureIndices;  // into the caller's texture list
};
