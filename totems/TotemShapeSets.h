// CTotemShapeSets: the sprite sets of one totem colour, read from its section of
// "Totems.cfg": per level the small panel picture, the shadow, the body and the
// shop body, and the three charge lights. The settings own one per colour and
// every totem of the colour shares it.
#pragma once

#include "engine/RefPtr.h"
#include "render/SpriteSet.h"

#include <cstdint>
#include <vector>

class CTotemShapeSets
{
public:
    CTotemShapeSets();

    // Reads the colour's sets from one section: "Small%d", "Shadow%d", "Main%d"
    // and "Shop%d" for each level, and "Light" with exactly three sprites. Each
    // pair is the reference size of the set's pixels, then its texture's size.
    // A set that reads no sprite is kept empty and named in the log.
    struct Sizes
    {
        float pixSmall[2];
        float main[2];
        float shop[2];
        float smallTexture[2];
        float shadowTexture[2];
        float mainTexture[2];
        float lightTexture[2];
        float shopTexture[2];
    };
    void LoadTotemSpriteShapes(const char* file, const char* section, const Sizes& sizes);

    // The set of a level (1-based) of one of the per-level vectors, or null
    // when that level has no set.
    static const CSpriteSet* AtLevel(const std::vector<CRefPtr<CSpriteSet>>& sets, int32_t level);

    std::vector<CRefPtr<CSpriteSet>> m_small;
    std::vector<CRefPtr<CSpriteSet>> m_shadow;
    std::vector<CRefPtr<CSpriteSet>> m_main;
    std::vector<CRefPtr<CSpriteSet>> m_shop;
    CRefPtr<CSpriteSet> m_light;
    int32_t m_levelCount = 4;
};
