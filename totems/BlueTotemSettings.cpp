#include "totems/BlueTotemSettings.h"

#include "engine/IniReader.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{

const char kSection[] = "Blue";
const float kTargetDepth = -100.0f;
const float kCapsDepth = -50.0f;
const float kShieldDepth = -0.5f;

std::string Key(const char* pattern, int a, int b = 0)
{
    char key[64];
    std::snprintf(key, sizeof key, pattern, a, b);
    return key;
}

// A point of a picture of w by h pixels, from its centre, y up.
Vec3 PicturePoint(float x, float y, float w, float h, float depth)
{
    return Vec3{x / w - 0.5f, 0.5f - y / h, depth};
}

TotemPictureBox PictureBox(const float v[4], float w, float h, float depth)
{
    TotemPictureBox box;
    box.centre = PicturePoint(v[0], v[1], w, h, depth);
    box.size[0] = v[2] / w;
    box.size[1] = v[3] / h;
    return box;
}

TotemSegment Segment(const char* file, const std::string& key, const char* def, float w, float h)
{
    float v[4];
    ReadIniFloat4(v, file, kSection, key.c_str(), def);
    return TotemSegment{PicturePoint(v[0], v[1], w, h, 0.0f), PicturePoint(v[2], v[3], w, h, 0.0f)};
}

void TexelRect(float out[4], const char* file, const char* key, const char* def, float textureW, float textureH)
{
    float v[4];
    ReadIniFloat4(v, file, kSection, key, def);
    for (int k = 0; k < 4; ++k)
        out[k] = v[k] / (k % 2 ? textureH : textureW);
}

} // namespace

int32_t BlueTotemSettings::LevelIndex(int32_t level)
{
    return std::min(std::max(level, 1), kLevels) - 1;
}

void BlueTotemSettings::ReadBlueTotemConfig(const char* file, float w, float h, float textureW, float textureH,
                                            float smallW, float smallH)
{
    for (int level = 1; level <= kLevels; ++level)
        for (int i = 0; i < 2; ++i)
            TexelRect(emptyRects[level - 1][i], file, Key("Empty%dT%d", level, i).c_str(), "172 159 204 236",
                      textureW, textureH);
    for (int level = 1; level <= kLevels; ++level)
    {
        const int count = std::min(std::max(ReadIniInt(file, kSection, Key("Bolt%dCount", level).c_str(), "1"), 0),
                                   int(kMaxBolts));
        std::vector<TotemSegment>& begins = boltBegins[level - 1];
        std::vector<TotemSegment>& ends = boltEnds[level - 1];
        begins.clear();
        ends.clear();
        for (int j = 0; j < count; ++j)
        {
            begins.push_back(Segment(file, Key("Bolt%dBegin%d", level, j), "105 184 128 157", w, h));
            ends.push_back(Segment(file, Key("Bolt%dEnd%d", level, j), "130 185 137 198", w, h));
        }
    }
    float v[4];
    ReadIniFloat2(v, file, kSection, "Target", "161 211");
    target = PicturePoint(v[0], v[1], w, h, kTargetDepth);
    preTime = ReadIniTime(file, kSection, "PreTime", "0.5");
    strikeTime = ReadIniTime(file, kSection, "StrikeTime", "0.1");
    ReadIniFloat2(boltSize, file, kSection, "BoltSize", "200 48");
    boltSpeed = ReadIniFloat(file, kSection, "BoltSpeed", "2500");
    boltColour = ReadIniColor(file, kSection, "BoltColor", "255 235 131 255");
    ReadIniFloat4(v, file, kSection, "Caps", "160 215 84 64");
    caps = PictureBox(v, w, h, kCapsDepth);
    ReadIniFloat4(v, file, kSection, "Shield", "182 128 72 104");
    shield = PictureBox(v, w, h, kShieldDepth);
    TexelRect(shieldRect, file, "ShieldT", "474 70 510 122", textureW, textureH);
    ReadIniFloat4(v, file, kSection, "SmallShield", "45.5 32 18 26");
    smallShield = PictureBox(v, smallW, smallH, kShieldDepth);
    TexelRect(smallShieldRect, file, "SmallShieldT", "474 70 510 122", textureW, textureH);
    shieldColour = ReadIniColor(file, kSection, "ShieldColor", "240 255 240 255");
    shieldLifeTime = ReadIniTime(file, kSection, "ShieldLifeTime", "2");
    shieldBirth = ReadIniFloat(file, kSection, "ShieldBirth", "1");
    shieldMinFactor = ReadIniFloat(file, kSection, "ShieldMinFactor", "0.5");
    shieldMaxFactor = ReadIniFloat(file, kSection, "ShieldMaxFactor", "2");
}
