#include "totems/TotemColourSettings.h"

#include "engine/IniReader.h"
#include "render/SpriteShape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{

const float kPiValue = 3.1415927f;
const int32_t kMostStripLines = 64;

std::string ColourKey(const char* pattern, int index)
{
    char key[64];
    std::snprintf(key, sizeof key, pattern, index);
    return key;
}

std::string Key2(const char* pattern, int a, int b)
{
    char key[64];
    std::snprintf(key, sizeof key, pattern, a, b);
    return key;
}

// Up to four numbers; the ones the text lacks are 0.
void Read4(float out[4], const char* file, const char* section, const std::string& key, const char* def)
{
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    ReadIniFloat4(out, file, section, key.c_str(), def);
}

// A point of the totem picture (pixels, y down) as a fraction of the picture from its centre.
Vec3 ColourPicturePoint(float x, float y, float z, float w, float h)
{
    return Vec3{x / w - 0.5f, 0.5f - y / h, z};
}

// A point of the 1024 x 768 screen (y down) in the centred screen with y up.
Vec3 ScreenPoint(float x, float y, float z)
{
    return Vec3{x - 512.0f, 384.0f - y, z};
}

// A point of the fixed 256 x 256 frame the orange points are given on.
Vec3 FramePoint(float x, float y, float z)
{
    return Vec3{(x - 128.0f) / 256.0f, (128.0f - y) / 256.0f, z};
}

// A rectangle of the picture (top-left corner and size): its centre and size as fractions.
void PictureBox(const float v[4], float w, float h, Vec3& centre, float size[2], float z)
{
    centre = ColourPicturePoint(v[0] + v[2] * 0.5f, v[1] + v[3] * 0.5f, z, w, h);
    size[0] = v[2] / w;
    size[1] = v[3] / h;
}

} // namespace

void OrangeTotemSettings::Read(const char* file)
{
    const char* s = "Orange";
    float v[4];
    for (int i = 0; i < 5; ++i)
    {
        Read4(v, file, s, ColourKey("Point%d", i), "146 158");
        points[i] = i == 0 ? ScreenPoint(v[0], v[1], -100.0f) : FramePoint(v[0], v[1], -100.0f);
    }
    flyTime = ReadIniTime(file, s, "FlyTime", "0.4");
    preFlyTime = ReadIniTime(file, s, "PreFlyTime", "0.2");
    postFlyTime = ReadIniTime(file, s, "PostFlyTime", "0.2");
    digitsSize = ReadIniFloat(file, s, "DigitsSize", "32");
    starColour = ReadIniColor(file, s, "StarColor", "160 255 160 255");
    twirlColour = ReadIniColor(file, s, "TwirlColor", "255 255 160 128");
    char filter[32] = "";
    ReadIniString(file, s, "FlyTwirlFilter", "Mul", filter, sizeof filter);
    flyTwirlFilter = CSpriteShape::BlendModeFromFilter(filter);
    flyTwirlColour = ReadIniColor(file, s, "FlyTwirlColor", "0 0 0 255");
    // A multiplying picture is given as the shade it takes away.
    if (flyTwirlFilter == kBlendMul)
        flyTwirlColour ^= 0x00FFFFFFu;
}

void VioletTotemSettings::Read(const char* file, float w, float h)
{
    const char* s = "Violet";
    float v[4];
    for (int i = 0; i < kTotemLevels; ++i)
    {
        Read4(v, file, s, ColourKey("Glow%d", i + 1), "0 0 1 1");
        PictureBox(v, w, h, glowCentres[i], glowSizes[i], -0.4f);
    }
    glowColour = ReadIniColor(file, s, "GlowColor", "255 255 255 255");
    rayColour = ReadIniColor(file, s, "RayColor", "255 255 255 127");
    for (int i = 0; i < kTotemLevels; ++i)
    {
        Read4(v, file, s, ColourKey("Ray%d", i + 1), "0 0 1 1");
        PictureBox(v, w, h, rayCentres[i], raySizes[i], -0.4f);
    }
    const float heightFactor = ReadIniFloat(file, s, "RayHFactor", "0.2");
    for (int i = 0; i < kTotemLevels; ++i)
    {
        const float r = ReadIniFloat(file, s, ColourKey("RayR%d", i + 1).c_str(), "8");
        rayRadii[i][0] = r / w;
        rayRadii[i][1] = r / w * heightFactor;
    }
    raySpeed = ReadIniFloat(file, s, "RayW", "0.5");
    for (int i = 0; i < kTotemLevels; ++i)
    {
        Read4(v, file, s, ColourKey("Area%d", i + 1), "0 0 1 1");
        const Vec3 corner = ColourPicturePoint(v[0], v[1], 0.0f, w, h);
        areas[i][0] = corner.x;
        areas[i][1] = corner.y;
        areas[i][2] = v[2] / w;
        areas[i][3] = v[3] / h;
    }
    flyTime = ReadIniTime(file, s, "FlyTime", "0.5");
}

void YellowTotemSettings::Read(const char* file, float w, float h, float textureW, float textureH)
{
    const char* s = "Yellow";
    float v[4];
    nuggetFadeTime = ReadIniTime(file, s, "NuggetFadeTime", "0.25");
    for (int i = 0; i < kTotemLevels; ++i)
    {
        Read4(v, file, s, ColourKey("SmokeCenter%d", i + 1), "150 188");
        smokeCentres[i] = ColourPicturePoint(v[0], v[1], -100.0f, w, h);
    }
    for (int i = 0; i < kTotemLevels; ++i)
        smokePlatformSizes[i] = ReadIniFloat(file, s, ColourKey("SmokePlatformSize%d", i + 1).c_str(), "38") / w;
    smokeColour = ReadIniColor(file, s, "SmokeColor", "80 80 255 255");
    smokeSize = ReadIniFloat(file, s, "SmokeSize", "16") / w;
    smokeExpand = ReadIniFloat(file, s, "SmokeExpand", "8") / w;
    smokeUpSpeed = ReadIniFloat(file, s, "SmokeUpSpeed", "1700") / w;
    smokeFadeSpeed = ReadIniFloat(file, s, "SmokeFadeSpeed", "4");
    numberStartTime = ReadIniTime(file, s, "NumberStartTime", "0.25");
    numberFlyTime = ReadIniTime(file, s, "NumberFlyTime", "0.5");
    numberFadeTime = ReadIniTime(file, s, "NumberFadeTime", "0.25");
    Read4(v, file, s, "NumberTarget", "136 232");
    numberTarget = ScreenPoint(v[0], v[1], -100.0f);
    for (int i = 0; i < 5; ++i)
    {
        Read4(v, file, s, ColourKey("NumberT%d", i), "344 104 428 144");
        for (int k = 0; k < 4; ++k)
            numberRects[i][k] = v[k] / (k % 2 == 0 ? textureW : textureH);
    }
    for (int i = 0; i < 5; ++i)
    {
        Read4(v, file, s, ColourKey("NumberSize%d", i), "84 40");
        numberSizes[i][0] = v[0] / w;
        numberSizes[i][1] = v[1] / h;
    }
    flareSize = ReadIniFloat(file, s, "FlareSize", "6") / w;
    flareLifeTime = ReadIniTime(file, s, "FlareLifeTime", "0.4");
    flareSpeed = ReadIniFloat(file, s, "FlareW", "1") * kPiValue;
    flareInterval = ReadIniFloat(file, s, "FalreT", "0.08");
    flareColour = ReadIniColor(file, s, "FlareColor", "128 128 255 128");
    for (int i = 0; i < kTotemLevels; ++i)
    {
        Read4(v, file, s, ColourKey("Flare%d", i + 1), "132 165 38 30");
        Vec3 centre;
        PictureBox(v, w, h, centre, &flares[i][2], 0.0f);
        flares[i][0] = centre.x;
        flares[i][1] = centre.y;
    }
    plusSize = ReadIniFloat(file, s, "PlusSize", "32");
    Read4(v, file, s, "FrenzyTarget", "652 736 640");
    frenzyTarget = ScreenPoint(v[0], v[1], -100.0f);
    frenzyWidth = v[2];
}

void WhiteTotemSettings::Read(const char* file, float w, float h)
{
    const char* s = "White";
    float v[4];
    const float stripWFactor = ReadIniFloat(file, s, "StripWFactor", "0.01");
    for (int strip = 0; strip < kTotemLevels; ++strip)
    {
        // At least one line: a strip needs its first edge.
        const int32_t count = std::min(std::max(ReadIniInt(file, s, ColourKey("Strip%dCount", strip + 1).c_str(), "8"), 1),
                                       kMostStripLines);
        std::vector<float>& lines = stripLines[strip];
        lines.clear();
        for (int k = 0; k < count; ++k)
        {
            Read4(v, file, s, Key2("Strip%dLine%d", strip + 1, k), "131 164 139 154");
            const Vec3 a = ColourPicturePoint(v[0], v[1], 0.0f, w, h), b = ColourPicturePoint(v[2], v[3], 0.0f, w, h);
            lines.insert(lines.end(), {a.x, a.y, b.x, b.y});
        }
        std::vector<float>& lengths = stripLengths[strip];
        lengths.clear();
        for (size_t k = 0; k + 1 < size_t(count); ++k)
        {
            const float dx = lines[4 * k + 6] - lines[4 * k + 2], dy = lines[4 * k + 7] - lines[4 * k + 3];
            lengths.push_back(std::sqrt(dx * dx + dy * dy) * stripWFactor * w);
        }
    }
    streamIntensity = ReadIniFloat(file, s, "StreamIntensity", "0.8");
    streamTSpeed = ReadIniFloat(file, s, "StreamTSpeed", "0.25");
    for (int i = 0; i < kTotemLevels; ++i)
    {
        Read4(v, file, s, ColourKey("Fog%d", i + 1), "160 215 44");
        spouts[i] = ColourPicturePoint(v[0], v[1], -1.0f, w, h);
        spoutRadii[i] = v[2] / w;
    }
    paintDropSpeed = ReadIniFloat(file, s, "PaintDropSpeed", "800");
    paintDropIntensity = ReadIniFloat(file, s, "PaintDropIntensity", "0.8");
    lengthFactor[0] = 0.8f;
    lengthFactor[1] = 1.5f;
    ReadIniFloat2(lengthFactor, file, s, "PaintDropLengthFactor", "0.8 1.5");
    widthFactor[0] = 0.5f;
    widthFactor[1] = 1.2f;
    ReadIniFloat2(widthFactor, file, s, "PaintDropWidthFactor", "0.5 1.2");
    wobbleSpeed = ReadIniFloat(file, s, "PaintDropW", "2") * kPiValue;
    sprayIntensity = ReadIniFloat(file, s, "SprayIntensity", "0.75");
    sprayParticleSize = ReadIniFloat(file, s, "SprayParticleSize", "48.0");
    sprayParticles = ReadIniInt(file, s, "SprayParticles", "15");
}
