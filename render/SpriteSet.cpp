#include "render/SpriteSet.h"

#include "engine/IniReader.h"
#include "engine/StringUtil.h"
#include "platform/win32.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const DWORD kValueSize = 255;

struct KeyReader
{
    const char* file;
    const char* section;
    const char* prefix;
    char value[kValueSize + 1];

    const char* Read(const char* pattern, int index, const char* def)
    {
        char key[300];
        std::snprintf(key, sizeof key, pattern, prefix, index);
        value[0] = 0;
        GetPrivateProfileStringA(section, key, def, value, kValueSize, file);
        return value;
    }
};

// Floored components packed as alpha << 24 | red << 16 | green << 8 | blue,
// neither clamped nor masked, as every colour of the tuning files.
uint32_t PackColour(float r, float g, float b, float a)
{
    auto floored = [](float v) { return uint32_t(int32_t(std::floor(v))); };
    return floored(a) << 24 | floored(r) << 16 | floored(g) << 8 | floored(b);
}

} // namespace

CSpriteSet::CSpriteSet()
    : referenceWidth(256.0f), referenceHeight(256.0f), offsetX(0.5f), offsetY(0.5f),
      offsetZ(0.0f), textureWidth(256.0f), textureHeight(256.0f)
{
}

void CSpriteSet::SetLayout(float refWidth, float refHeight, float texWidth, float texHeight,
                           float offX, float offY, float offZ)
{
    referenceWidth = refWidth;
    referenceHeight = refHeight;
    textureWidth = texWidth;
    textureHeight = texHeight;
    offsetX = offX;
    offsetY = offY;
    offsetZ = offZ;
}

namespace {
// More sprites than any set of the game holds, and few enough to load at once.
const int32_t kMostSprites = 1024;
} // namespace

void CSpriteSet::Load(const char* file, const char* section, const char* prefix, int count)
{
    KeyReader keys{file, section, prefix, {}};
    if (count == 0)
        count = ClampTuningInt(std::strtoll(keys.Read("%sSpritesCount", 0, "0"), nullptr, 10), 0, kMostSprites, file,
                               "SpritesCount");
    if (count < 1)
        return;

    const size_t more = size_t(count);
    positions.reserve(positions.size() + more);
    sizes.reserve(sizes.size() + more * 2);
    textureRects.reserve(textureRects.size() + more * 4);
    colours.reserve(colours.size() + more);
    filters.reserve(filters.size() + more);
    zOrders.reserve(zOrders.size() + more);
    textureIndices.reserve(textureIndices.size() + more);

    for (int i = 0; i < count; ++i)
    {
        // x and y name the top-left corner in pixels of a layout whose y grows
        // downwards; the stored position is the centre in units with y up.
        float p[5] = {0, 0, 0, 0, 0};
        std::sscanf(keys.Read("%sSprite%d", i, "0 0 0 0 0"), "%f %f %f %f %f", &p[0], &p[1], &p[2], &p[3], &p[4]);
        ClampTuningFloats(p, 5, -float(kTuningLimit), float(kTuningLimit), file, "Sprite");
        const float x = p[0], y = p[1], z = p[2], w = p[3], h = p[4];
        const float sizeX = w / referenceWidth;
        const float sizeY = h / referenceHeight;
        sizes.push_back(sizeX);
        sizes.push_back(sizeY);
        positions.push_back({x / referenceWidth + sizeX * 0.5f - offsetX,
                             offsetY - y / referenceHeight - sizeY * 0.5f, offsetZ + z});

        float t[4] = {0, 0, 0, 0};
        std::sscanf(keys.Read("%sSpriteT%d", i, "0 0 0 0"), "%f %f %f %f", &t[0], &t[1], &t[2], &t[3]);
        ClampTuningFloats(t, 4, -float(kTuningLimit), float(kTuningLimit), file, "SpriteT");
        textureRects.push_back(t[0] / textureWidth);
        textureRects.push_back(t[1] / textureHeight);
        textureRects.push_back(t[2] / textureWidth);
        textureRects.push_back(t[3] / textureHeight);

        float c[4] = {0, 0, 0, 0};
        std::sscanf(keys.Read("%sSpriteColor%d", i, "255 255 255 255"), "%f %f %f %f", &c[0], &c[1],
                    &c[2], &c[3]);
        colours.push_back(PackColour(c[0], c[1], c[2], c[3]));

        char filter[kValueSize + 1];
        std::strcpy(filter, keys.Read("%sSpriteFilter%d", i, "Normal"));
        StrUpper(filter);
        filters.push_back(std::strcmp(filter, "ADD") == 0      ? 1
                          : std::strcmp(filter, "MUL") == 0    ? 2
                          : std::strcmp(filter, "SCREEN") == 0 ? 3
                                                               : 0);

        zOrders.push_back(ClampTuningInt(std::strtoll(keys.Read("%sSpriteZOrder%d", i, "0"), nullptr, 10),
                                         -kTuningLimit, kTuningLimit, file, "SpriteZOrder"));
        textureIndices.push_back(ClampTuningInt(std::strtoll(keys.Read("%sSpriteTexture%d", i, "0"), nullptr, 10),
                                                -kTuningLimit, kTuningLimit, file, "SpriteTexture"));
    }
}
