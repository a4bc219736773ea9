#include "engine/MathConstants.h"
#include "totems/GreenTotemSettings.h"

#include "engine/IniReader.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{

const char kGreenSection[] = "Green";
const float kRayDepth = -100.0f;
const float kFlareDepth = -5.0f;

std::string GreenKey(const char* pattern, int index)
{
    char key[64];
    std::snprintf(key, sizeof key, pattern, index);
    return key;
}

float Float(const char* file, const char* key, const char* def)
{
    return ReadIniFloat(file, kGreenSection, key, def);
}

} // namespace

void GreenTotemSettings::ReadGreenTotemConfig(const char* file, float w, float h, float bodyW, float bodyH,
                                              float shadowW, float shadowH)
{
    float v[6];
    ReadIniFloat4(v, file, kGreenSection, "NoChainT", "384 0 510 91");
    for (int k = 0; k < 4; ++k)
        noChainRect[k] = v[k] / (k % 2 ? bodyH : bodyW);
    ReadIniFloat4(v, file, kGreenSection, "NoChainShadowT", "225 151 326 171");
    for (int k = 0; k < 4; ++k)
        noChainShadowRect[k] = v[k] / (k % 2 ? shadowH : shadowW);
    ReadIniFloat4(v, file, kGreenSection, "Chain", "86 16 114 10");
    chain[0] = v[0] / w - 0.5f;
    chain[1] = 0.5f - v[1] / h;
    chain[2] = v[2] / w;
    chain[3] = v[3] / h;
    for (int level = 1; level <= kLevels; ++level)
    {
        ReadIniFloat2(v, file, kGreenSection, GreenKey("Point%d", level).c_str(), "178 152");
        points[level - 1] = Vec3{v[0] / w - 0.5f, 0.5f - v[1] / h, kRayDepth};
    }
    // The file's order: the ray's colour comes before its flare's.
    rayColour = ReadIniColor(file, kGreenSection, "RayColor", "255 255 255 255");
    rayFlareColour = ReadIniColor(file, kGreenSection, "RayFlareColor", "255 229 128 255");
    preRayTime = Float(file, "PreRayTime", "0.25");
    rayFlareTime = Float(file, "RayFlareTime", "1");
    rayThickness = Float(file, "RayThickness", "80");
    rayTan = Float(file, "RayTan", "0.05");
    raySpeed = Float(file, "RaySpeed", "800");
    rayLength = Float(file, "RayLen", "400");
    rayWaveLength = Float(file, "Ray2PiLen", "256");
    rayInTermTime = Float(file, "RayInTermTime", "0.5");
    rayHeadSize = Float(file, "RayHeadSize", "24");
    rayHeadSpin = Float(file, "RayHeadW", "1") * kPi;
    unigemSize = Float(file, "UnigemSize", "48");
    unigemTailColour = ReadIniColor(file, kGreenSection, "UnigemTailColor", "192 192 255 255");
    unigemTailParticleSize = Float(file, "UnigemTailPSize", "48");
    unigemFlyTime = Float(file, "UnigemFlyTime", "0.75");
    unigemStartFlyTime = Float(file, "UnigemStartFlyTime", "0");
    pauseTime = Float(file, "PauseTime", "1");
    for (int level = 2; level <= kLevels; ++level)
    {
        char text[256] = "";
        ReadIniString(file, kGreenSection, GreenKey("Flares%d", level).c_str(), "138 186 172 203 154 173", text, sizeof text);
        std::fill(v, v + 6, 0.0f);
        std::sscanf(text, "%f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
        TotemRegion& r = flares[level - 2];
        r.base = Vec3{v[0] / w - 0.5f, 0.5f - v[1] / h, kFlareDepth};
        r.edge1 = Vec3{(v[2] - v[0]) / w, (v[1] - v[3]) / h, 0.0f};
        r.edge2 = Vec3{(v[4] - v[0]) / w, (v[1] - v[5]) / h, 0.0f};
    }
    smallFlareSize = Float(file, "SmallFSize", "6") / w;
    smallFlareLife = Float(file, "SmallFLifeTime", "0.4");
    smallFlareSpin = Float(file, "SmallFW", "1");
    smallFlarePeriod = Float(file, "SmallFT", "0.08");
    smallFlareIntensity = Float(file, "SmallFIntensity", "1");
    bigFlareSize = Float(file, "BigFSize", "64") / w;
    bigFlareIntensity = Float(file, "BigFIntensity", "0.6");
    bigFlarePeriod = Float(file, "BigFT", "1.5");
    bigFlareSpin = Float(file, "BigFW", "0.5");
    chainTime = Float(file, "ChainTime", "0.75");
    chainLightSize = Float(file, "ChainLightSize", "30") / w;
    chainLightLife = Float(file, "ChainLightLifeTime", "0.25");
    chainLightPeriod = Float(file, "ChainLightT", "0.025");
    chainLightColour = ReadIniColor(file, kGreenSection, "ChainLightColor", "255 255 255 255");
}

const TotemRegion* GreenTotemSettings::FlaresAt(int32_t level) const
{
    if (level < 2)
        return nullptr;
    return &flares[std::min(level, kLevels) - 2];
}

const Vec3& GreenTotemSettings::PointAt(int32_t level) const
{
    return points[std::min(std::max(level, 1), kLevels) - 1];
}
