#include "bonuses/BonusConfig.h"
#include "engine/MathConstants.h"

#include "engine/IniReader.h"
#include "engine/Random.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {


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
        return ClampTuningInt(std::strtoll(buffer, nullptr, 10), -kTuningLimit, kTuningLimit, file, key);
    }

    float Float(const char* key, const char* def, float lo = -float(kTuningLimit), float hi = float(kTuningLimit)) const
    {
        char buffer[256];
        Text(key, def, buffer);
        return ClampTuningFloat(static_cast<float>(std::atof(buffer)), static_cast<float>(std::atof(def)), lo, hi, file,
                                key);
    }

    // Seconds the game waits for or runs.
    float Time(const char* key, const char* def) const { return Float(key, def, 0.0f, kLongestTuningTime); }

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
        ClampTuningFloats(out, 2, -float(kTuningLimit), float(kTuningLimit), file, key);
    }

    void Floats3(float* out, const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        std::sscanf(buffer, "%f %f %f", &out[0], &out[1], &out[2]);
        ClampTuningFloats(out, 3, -float(kTuningLimit), float(kTuningLimit), file, key);
    }

    uint32_t Hex(const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        return ParseHex(buffer);
    }

    // Four integers R G B A packed as 0xAARRGGBB; numbers the text leaves out
    // are 0.
    uint32_t Colour(const char* key, const char* def) const
    {
        char buffer[256];
        Text(key, def, buffer);
        int c[4] = {0, 0, 0, 0};
        std::sscanf(buffer, "%d %d %d %d", &c[0], &c[1], &c[2], &c[3]);
        uint32_t packed = 0;
        for (int i : {3, 0, 1, 2})
            packed = (packed << 8) | (uint32_t(c[i]) & 0xFFu);
        return packed;
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
    // A collected gem's flight: the level ends only once every gem has landed.
    s.flyTime = gems.Float("FlyTime", "1", 0.05f, 5.0f);
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
    s.smallLifeTime = small.Time("LifeTime", "1");
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

void LoadTnt(const char* file)
{
    TntSettings& s = g_bonusSettings.tnt;
    Reader tnt{file, "TNT"};
    char key[64];
    for (int i = 0; i < kTntOrbits; ++i)
    {
        float p[4] = {63.0f, 25.0f, 62.0f, 102.0f};
        char buffer[256];
        std::snprintf(key, sizeof(key), "WireRing%d", i);
        tnt.Text(key, "63 25 62 102", buffer);
        std::sscanf(buffer, "%f %f %f %f", &p[0], &p[1], &p[2], &p[3]);
        std::snprintf(key, sizeof(key), "WireRingWidth%d", i);
        const float width = tnt.Float(key, "20");
        MakeTntOrbit(p[0], p[1], p[2], p[3], width, s.orbitCentre[i], s.orbitA[i], s.orbitB[i]);
    }
    s.sparkerW = tnt.Float("SparkerW", "0.25");
    s.lifeTime = tnt.Time("LifeTime", "1");
    s.ringColor = tnt.Colour("RingColor", "255 255 128 255");
    const char* ringDefaults[kTntLevels] = {"3", "4.2", "5", "6.2"};
    for (int i = 0; i < kTntLevels; ++i)
    {
        std::snprintf(key, sizeof(key), "RingSize%d", i);
        s.ringSize[i] = tnt.Float(key, ringDefaults[i]);
    }
    s.ringExpandTime = tnt.Time("RingExpandTime", "0.4");
    s.haloColor = tnt.Colour("HaloColor", "255 128 128 255");
    s.haloSizeFactor = tnt.Float("HaloSizeFactor", "0.9");
    s.haloW = tnt.Float("HaloW", "0.5") * kPi;
    s.expSparkColor = tnt.Colour("ExpSparkColor", "128 128 255 255") & 0xFFFFFFu;
    s.expSparkCount = tnt.Float("ExpSparkCount", "20") * kPi;
    s.expSparkSize = tnt.Float("ExpSparkSize", "8") * kPi;
    s.expSparkFading = tnt.Float("ExpSparkFading", "1") * kPi;
    s.expSparkSpeed = tnt.Float("ExpSparkSpeed", "100") * kPi;
    s.expSparkGravity = tnt.Float("ExpSparkGravity", "100") * kPi;
}

void LoadFlash(const char* file)
{
    FlashSettings& s = g_bonusSettings.flash;
    Reader flash{file, "Flash"};
    s.radius = flash.Float("Radius", "30");
    s.boltWidth = flash.Float("BoltWidth", "16");
    s.w = flash.Float("W", "1") * kPi;
    s.speed = flash.Float("Speed", "30");
    s.coreSize = flash.Float("CoreSize", "16");
    const float intensity = flash.Float("Intensity", "0.5");
    // A value above 1 wraps in the alpha byte, as the byte is cut from the product.
    const long alpha = static_cast<long>(std::floor(intensity * 255.0f));
    s.intensityColour = (uint32_t(alpha) & 0xFFu) << 24 | 0xFFFFFFu;
    s.lifeTime = flash.Time("LifeTime", "0.25");
}

void LoadTime(const char* file)
{
    TimeSettings& s = g_bonusSettings.time;
    Reader time{file, "Time"};
    float target[3] = {114.0f, 94.0f, -60.0f};
    time.Floats3(target, "Target", "114 94 -60");
    s.target = Vec3{target[0] - 512.0f, 384.0f - target[1], target[2]};
    s.twirlZOrder = time.Int("TwirlZOrder", "-60");
    s.preFlyTime = time.Time("PreFlyTime", "0.25");
    s.flyTime = time.Time("FlyTime", "0.15");
    s.postFlyTime = time.Time("PostFlyTime", "0.2");
    s.digitsSize = time.Float("DigitsSize", "24");
    s.starColor = time.Colour("StarColor", "73 246 8 128");
    s.twirlColor = time.Colour("TwirlColor", "73 246 8 255");
}

void LoadAdviser(const char* file)
{
    AdviserSettings& s = g_bonusSettings.adviser;
    Reader adviser{file, "Adviser"};
    float global[2] = {0.0f, 0.0f}, rim[2] = {-1.0f, -1.0f}, glass[2] = {3.0f, -6.0f};
    adviser.Floats2(global, "GlobalShift", "0 0");
    adviser.Floats2(rim, "RimShift", "-1 -1");
    adviser.Floats2(glass, "GlassShift", "3 -6");
    s.globalShift = Vec3{global[0], -global[1], 0.0f};
    s.rimShift = Vec3{global[0] + rim[0], -global[1] - rim[1], 0.0f};
    s.glassShift = Vec3{global[0] + glass[0], -global[1] - glass[1], 0.0f};
    s.glassW = adviser.Float("GlassW", "1") * kPi;
    float target[3] = {160.0f, 352.0f, -60.0f};
    adviser.Floats3(target, "Target", "160 352 -60");
    s.target = Vec3{target[0] - 512.0f, 384.0f - target[1], target[2]};
    s.zOrder = adviser.Int("ZOrder", "-60");
    // The flight lasts distance / Speed: a speed of 0 keeps the default.
    s.speed = adviser.Divisor("Speed", "1000");
    s.tailColor = adviser.Colour("TailColor", "255 255 80 128");
}

void LoadScore(const char* file)
{
    ScoreSettings& s = g_bonusSettings.score;
    Reader score{file, "Score"};
    s.coinOrbitRadius = score.Float("CoinOrbitRadius", "42");
    s.coinFPS = score.Float("CoinFPS", "30");
    s.coinW = score.Float("CoinW", "2") * kPi;
    s.coinOutSpeed = score.Float("CoinOutSpeed", "400");
    s.tailColor = score.Colour("TailColor", "80 255 80 255");
}

void LoadSolidarity(const char* file)
{
    SolidaritySettings& s = g_bonusSettings.solidarity;
    Reader sol{file, "Solidarity"};
    s.ringColor = sol.Colour("RingColor", "255 255 255 255");
    s.ringR = sol.Float("RingR", "24");
    s.ringExpandSpeed = sol.Float("RingExpandSpeed", "48");
    // Ages and lives are divided by these: 0 keeps the default.
    s.ringLifeTime = sol.Divisor("RingLifeTime", "1");
    s.ringT = sol.Divisor("RingT", "0.4");
    s.ringW = sol.Float("RingW", "0.5") * kPi;
    s.centerColor = sol.Colour("CenterColor", "255 255 255 255");
    s.centerSize = sol.Float("CenterSize", "32");
    s.centerW = sol.Float("CenterW", "-0.5") * kPi;
    s.tailColor = sol.Colour("TailColor", "255 255 255 255");
    sol.Floats2(s.tailSize, "TailSize", "32 16");
    s.tailTLen = sol.Float("TailTLen", "0.25");
    s.tailTSpeed = sol.Float("TailTSpeed", "0.5");
    s.tailW = sol.Float("TailW", "0.125");
    s.boltColor = sol.Colour("BoltColor", "255 200 200 255");
    s.boltLength = sol.Float("BoltLength", "1000");
    s.boltWidth = sol.Float("BoltWidth", "64");
    s.boltSpeed = sol.Divisor("BoltSpeed", "1200");
    s.boltTFactor = sol.Float("BoltTFactor", "256");
    s.boltTSpeed = sol.Float("BoltTSpeed", "1");
    s.termTime = sol.Time("TermTime", "0.25");
}

void LoadAdviserInterface(const char* file)
{
    AdviserInterfaceSettings& s = g_bonusSettings.adviserInterface;
    Reader hints{file, "AdviserInterface"};
    s.haloW = hints.Float("HaloW", "0.25") * kPi;
    s.z = hints.Float("Z", "-50");
    s.zOrder = hints.Int("ZOrder", "-10");
    s.arrowW = hints.Float("ArrowW", "2") * kPi;
    s.arrowR = hints.Float("ArrowR", "4");
    s.refresh = hints.Float("Refresh", "0.25");
}

} // namespace

void MakeTntOrbit(float x0, float y0, float x1, float y1, float width, Vec3& centre, Vec3& axisA, Vec3& axisB)
{
    const float p0x = x0 - 64.0f, p0y = 64.0f - y0;
    const float p1x = x1 - 64.0f, p1y = 64.0f - y1;
    const float hx = (p1x - p0x) / 2.0f, hy = (p1y - p0y) / 2.0f;
    centre = Vec3{p0x + hx, p0y + hy, 0.0f};
    axisA = Vec3{hx, hy, 0.0f};
    const float length = std::sqrt(hx * hx + hy * hy);
    // Two equal points make no ellipse: the spark keeps to the centre (but
    // for its swing in depth).
    const float k = length > 0.0f ? (width / 2.0f) / length : 0.0f;
    axisB = Vec3{-k * hy, k * hx, 0.9f};
}

void LoadBonusConfig(const char* gemsFile, const char* bonusFile)
{
    LoadGems(gemsFile);
    LoadTnt(bonusFile);
    LoadFlash(bonusFile);
    LoadTime(bonusFile);
    LoadAdviser(bonusFile);
    LoadScore(bonusFile);
    LoadSolidarity(bonusFile);
    LoadAdviserInterface(bonusFile);
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

BonusSettings& MutableBonusSettings()
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
