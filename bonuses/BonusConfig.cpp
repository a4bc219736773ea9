#include "bonuses/BonusConfig.h"

#include "engine/IniReader.h"
#include "engine/Random.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const float kPi = 3.1415927f;

GemSettings g_gemSettings;
BonusSettings g_bonusSettings;

// Every key is read as text (at most 254 characters) and converted here, so
// that numbers a text leaves out keep the value the block already holds.
struct Reader
{
    const char* file;
    const char* section;

    void Text(const char* key, const char* def, char* buffer) const
    {
        ReadIniString(file, section, key, def, buffer, 255);
    }

    int32_t Int(const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        return static_cast<int32_t>(std::atoi(buffer));
    }

    float Float(const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        return static_cast<float>(std::atof(buffer));
    }

    // A value that something divides by: zero falls back to the default.
    float Divisor(const char* key, const char* def) const
    {
        float value = Float(key, def);
        return value != 0.0f ? value : static_cast<float>(std::atof(def));
    }

    void Floats2(float* out, const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        std::sscanf(buffer, "%f %f", &out[0], &out[1]);
    }

    void Floats3(float* out, const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        std::sscanf(buffer, "%f %f %f", &out[0], &out[1], &out[2]);
    }

    uint32_t Hex(const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        return ParseHex(buffer);
    }

    // On unless the text begins with the digit 0.
    int32_t Flag(const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        return buffer[0] == '0' ? 0 : 1;
    }
};

void LoadGems(const char* file)
{
    GemSettings& s = g_gemSettings;
    char key[64];

    Reader gems{file, "Gems"};
    float target[3] = {s.targetPos.x, s.targetPos.y, s.targetPos.z};
    gems.Floats3(target, "TargetPos", "-480 0 -150");
    s.targetPos = Vec3{target[0], target[1], target[2]};
    s.targetZOrder = gems.Int("TargetZOrder", "-150");
    s.flyTime = gems.Float("FlyTime", "1");
    s.gemSize = gems.Float("Size", "48");
    for (int i = 0; i < kGemKinds; ++i)
    {
        std::snprintf(key, sizeof(key), "ParticleColor%d", i);
        s.particleColor[i] = gems.Hex(key, "FFFFFFFF");
    }

    Reader halo{file, "Halo"};
    s.haloSize = halo.Float("Size", "128");
    s.haloT = halo.Divisor("T", "2") * kPi;
    s.haloIntensity = halo.Float("Intensity", "1");
    s.haloMinIntensity = halo.Float("MinIntensity", "0");
    s.haloMethod = halo.Flag("Method", "0");
    for (int i = 0; i < kGemKinds; ++i)
    {
        std::snprintf(key, sizeof(key), "Color%d", i);
        s.haloColor[i] = halo.Hex(key, "FFFFFFFF") | 0xFF000000u;
    }

    Reader small{file, "SmallFlares"};
    s.smallSize = small.Float("Size", "8");
    s.smallLifeTime = small.Float("LifeTime", "1");
    s.smallW = small.Float("W", "1") * kPi;
    s.smallT = small.Divisor("T", "0.1");
    s.smallIntensity = small.Float("Intensity", "1");

    Reader big{file, "BigFlares"};
    s.bigSize = big.Float("Size", "64");
    s.bigIntensity = big.Float("Intensity", "1");
    s.bigT = big.Divisor("T", "1.5");
    s.bigW = big.Float("W", "0.5") * kPi;
    s.bigMethod = big.Flag("Method", "0");

    for (int i = 0; i < kGemKinds; ++i)
    {
        std::snprintf(key, sizeof(key), "OriginSize%d", i);
        small.Floats2(s.smallOriginSize[i], key, "28 28");
    }
    for (int i = 0; i < kGemKinds; ++i)
    {
        std::snprintf(key, sizeof(key), "OriginSize%d", i);
        big.Floats2(s.bigOriginSize[i], key, "26 26");
    }

    Reader standard{file, "Standard"};
    s.standardRadius = standard.Divisor("Radius", "38");
}

} // namespace

void LoadBonusConfig(const char* gemsFile, const char* bonusFile)
{
    LoadGems(gemsFile);
    // The sections of the line-of-four kinds ([TNT], [Flash], [Time],
    // [Adviser], [Score], [Solidarity], [AdviserInterface]) are read here by
    // their kinds.
    (void)bonusFile;
}

const GemSettings& GetGemSettings()
{
    return g_gemSettings;
}

GemSettings& MutableGemSettings()
{
    return g_gemSettings;
}

const BonusSettings& GetBonusSettings()
{
    return g_bonusSettings;
}

FlareOrigin RandomFlareOrigin(int gemKind, int big)
{
    if (gemKind < 0)
        gemKind = 0;
    if (gemKind >= kGemKinds)
        gemKind = kGemKinds - 1;
    float u = RandomUnit();
    float r = std::sqrt(RandomUnit()); // even spread over the area
    float angle = u * 6.2831855f;
    const float* sizeWH = big ? g_gemSettings.bigOriginSize[gemKind] : g_gemSettings.smallOriginSize[gemKind];
    return FlareOrigin{std::cos(angle) * r * 0.5f * sizeWH[0], std::sin(angle) * r * 0.5f * sizeWH[1]};
}
