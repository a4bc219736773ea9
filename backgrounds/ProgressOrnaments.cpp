// The progress ornaments of a level scene: gems, rays, flares and the rainbow streaks.
#include "backgrounds/ProgressOrnaments.h"
#include "backgrounds/SceneSettings.h"
#include "engine/MathConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "audio/SoundBank.h"
#include "engine/IniReader.h"
#include "engine/Random.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"

namespace
{
const float kOrnamentOffsetX = -0.5f, kOrnamentOffsetY = 0.5f, kOrnamentOffsetZ = 999.0f;

void ReadN(float* out, int count, const char* path, const char* section, const std::string& key, const char* def)
{
    ReadSceneFloats(out, count, path, section, key.c_str(), def);
}

// A picture rectangle (left, top, width, height, y down) as centre and size, centred, y up.
void ReadRect(std::vector<float>& centre, std::vector<float>& size, const char* path, const char* section,
              const std::string& key, const char* def)
{
    float r[4];
    ReadN(r, 4, path, section, key, def);
    centre.insert(centre.end(), {r[0] - 512.0f + r[2] / 2, 384.0f - r[1] - r[3] / 2, 0.0f});
    size.insert(size.end(), {r[2], r[3]});
}

void ReadTexRect(std::vector<float>& out, const char* path, const char* section, const std::string& key,
                 const char* def)
{
    float r[4];
    ReadN(r, 4, path, section, key, def);
    for (float v : r)
        out.push_back(v / 1024.0f);
}

float ReadFloat(const char* path, const char* section, const char* key, const char* def)
{
    return ReadIniFloat(path, section, key, def);
}
} // namespace

CProgressOrnaments::CProgressOrnaments(const OrnamentVariant& v)
    : variant(v), slotState(size_t(v.gems) + 1, kIdle), slotTimer(size_t(v.gems) + 1, 0.0f), stage(0), quiet(0),
      rainbowClock(0.0f)
{
    LoadSettings("");
}

void CProgressOrnaments::LoadSettings(const char* path)
{
    const char* sec = variant.section;
    OrnamentSettings s;
    for (int32_t i = 1; i <= variant.gems; ++i)
    {
        const std::string n = std::to_string(i);
        ReadRect(s.gemCentre, s.gemSize, path, sec, "Gem" + n, variant.gemDefault);
        ReadTexRect(s.gemT, path, sec, "GemT" + n, variant.gemTDefault);
    }
    s.raysColor = ReadIniColor(path, sec, "RaysColor", variant.raysColorDefault);
    char method[256] = {};
    ReadIniString(path, sec, "RaysMethod", "Add", method, sizeof method);
    s.raysMethod = std::string(method) == "Screen" ? kBlendScreen : std::string(method) == "Normal" ? kBlendNormal
                                                                                                     : kBlendAdd;
    // The map, where there is one, is the last ray slot.
    const int32_t rays = variant.gems + (variant.map ? 1 : 0);
    for (int32_t i = 1; i <= variant.gems + 1; ++i)
    {
        const std::string n = std::to_string(i);
        if (i <= rays)
        {
            ReadRect(s.rayCentre, s.raySize, path, sec, "Ray" + n, variant.rayDefault);
            ReadTexRect(s.rayT, path, sec, "RayT" + n, variant.rayTDefault);
            s.angle.push_back(ReadIniFloat(path, sec, ("Angle" + n).c_str(), "0") * kPi / 180.0f);
        }
        float f[3];
        ReadN(f, 3, path, sec, "Flare" + n, variant.flareDefault);
        s.flareCentre.insert(s.flareCentre.end(), {f[0] - 512.0f, 384.0f - f[1], 0.0f});
        s.flareSize.push_back(f[2]);
        s.flareColor.push_back(ReadIniColor(path, sec, ("FlareColor" + n).c_str(), variant.flareColorDefault));
    }
    s.newFlareTime = ReadFloat(path, sec, "NewFlareTime", "0.25");
    s.newGemTime = ReadFloat(path, sec, "NewGemTime", "0.5");
    s.newRayTime = ReadFloat(path, sec, "NewRayTime", "0.4");
    s.flareSpin = ReadFloat(path, sec, "GemFlareW", "0.125") * (variant.flareSpinTimesPi ? kPi : 1.0f);
    if (variant.map)
    {
        s.mapTime = ReadFloat(path, sec, "MapTime", "0.4");
        s.mapExpandTime = ReadFloat(path, sec, "MapExpandTime", "0.5");
        s.mapBegin = std::clamp(ReadFloat(path, sec, "MapBegin", "0.4"), 0.0f, 1.0f);
        s.mapHoldTime = std::max(s.mapTime, s.mapExpandTime);
    }
    s.rainbowTime = ReadFloat(path, sec, "RainbowTime", "2");
    ReadN(s.rainbowSize, 2, path, sec, "RainbowSize", "256 12");
    s.rainbowW = ReadFloat(path, sec, "RainbowW", "1") * kPi;
    s.rainbowLifeTime = ReadFloat(path, sec, "RainbowLifeTime", "0.5");
    s.rainbowT = ReadFloat(path, sec, "RainbowT", "0.1");
    settings = s;
}

void CProgressOrnaments::SetShared(CRefPtr<CSpriteList> list, CRefPtr<CTexture> flare, CRefPtr<CTexture> spark)
{
    spriteList = list;
    flareTexture = flare;
    sparkTexture = spark;
}

void CProgressOrnaments::Start()
{
    rainbowClock = 0.0f;
    std::fill(slotState.begin(), slotState.end(), int32_t(kIdle));
    std::fill(slotTimer.begin(), slotTimer.end(), 0.0f);
    stage = 0;
}

void CProgressOrnaments::Stop()
{
    for (auto* shapes : {&gemShapes, &rayShapes, &flareShapes, &rainbowShapes, &fadingShapes})
    {
        if (spriteList.IsValid())
            for (const CRefPtr<CSpriteShape>& s : *shapes)
                if (s.IsValid())
                    spriteList->Remove(s);
        shapes->clear();
    }
    std::fill(slotState.begin(), slotState.end(), int32_t(kIdle));
    std::fill(slotTimer.begin(), slotTimer.end(), 0.0f);
    stage = 0;
}

void CProgressOrnaments::AddShape(const CRefPtr<CSpriteShape>& shape)
{
    if (spriteList.IsValid())
        spriteList->Add(shape);
}

void CProgressOrnaments::FadeAway(const CRefPtr<CSpriteShape>& shape, float lifeTime)
{
    if (!shape.IsValid())
        return;
    shape->FadeTo(0.0f);
    shape->life = lifeTime;
    shape->mortal = 1;
    fadingShapes.push_back(shape);
}

// ---------------------------------------------------------------------------------
// Stage changes
// ---------------------------------------------------------------------------------
int32_t CProgressOrnaments::SetStage(int32_t newStage, int32_t isQuiet)
{
    rainbowClock = 0.0f;
    quiet = isQuiet;
    stage = std::clamp(newStage, 0, variant.gems);
    const int32_t n = int32_t(gemShapes.size());
    if (stage > n)
    {
        Rise(n);
        if (quiet == 0 && soundBank.IsValid())
            soundBank->Play(soundBank->Background, 0, 0);
        return 1;
    }
    if (stage < n)
    {
        Fall();
        return -1;
    }
    return 0;
}

CRefPtr<CSpriteShape> CProgressOrnaments::MakeFlare(int32_t i)
{
    const OrnamentSettings& s = settings;
    const float size = s.flareSize[size_t(i)];
    const float* c = &s.flareCentre[size_t(i) * 3];
    CRefPtr<CSpriteShape> flare(new CSpriteShape(c[0] + kOrnamentOffsetX, c[1] + kOrnamentOffsetY, c[2] + kOrnamentOffsetZ, 0.25f * size,
                                                 0.25f * size, s.flareColor[size_t(i)], flareTexture, 1));
    flare->SetBlendMode(1, kBlendAdd);
    flare->zOrder = variant.flareZOrder;
    flare->SetAlpha(0.0f);
    flare->fadeSpeed = s.newFlareTime > 0.0f ? 1.0f / s.newFlareTime : 1000.0f;
    flare->SetRotation(RandomUnit() * 2.0f * kPi);
    flare->spinning = 1;
    flare->spinSpeed = s.flareSpin;
    flare->scaleSpeedX = flare->scaleSpeedY = s.newFlareTime > 0.0f ? 0.75f * size / s.newFlareTime : 1.0e6f;
    AddShape(flare);
    return flare;
}

void CProgressOrnaments::Rise(int32_t from)
{
    const OrnamentSettings& s = settings;
    for (int32_t i = from; i < stage; ++i)
    {
        const size_t k = size_t(i);
        slotTimer[k] = 0.0f;
        slotState[k] = kFlareIn;
        const float* gc = &s.gemCentre[k * 3];
        CRefPtr<CSpriteShape> gem(new CSpriteShape(gc[0] + kOrnamentOffsetX, gc[1] + kOrnamentOffsetY, gc[2] + kOrnamentOffsetZ,
                                                   s.gemSize[k * 2], s.gemSize[k * 2 + 1], 0xFFFFFFFFu,
                                                   pictureTexture, 1));
        gem->SetFrameUV(0, s.gemT[k * 4], s.gemT[k * 4 + 1], s.gemT[k * 4 + 2], s.gemT[k * 4 + 3]);
        gem->SetAlpha(0.0f);
        gem->fadeSpeed = s.newGemTime > 0.0f ? 1.0f / s.newGemTime : 1000.0f;
        gem->zOrder = 0;
        gem->layer = variant.gemLayer;
        AddShape(gem);
        gemShapes.push_back(gem);

        CRefPtr<CSpriteShape> ray = MakeRay(k);
        ray->fadeSpeed = s.newRayTime > 0.0f ? 1.0f / s.newRayTime : 1000.0f;
        rayShapes.push_back(ray);

        CRefPtr<CSpriteShape> flare = MakeFlare(i);
        flare->FadeTo(1.0f);
        flare->SetScaleTarget(s.flareSize[k], s.flareSize[k]);
        flareShapes.push_back(flare);
    }
    if (stage == variant.gems)
        MakeFinale();
}

CRefPtr<CSpriteShape> CProgressOrnaments::MakeRay(size_t k)
{
    const OrnamentSettings& s = settings;
    const float* rc = &s.rayCentre[k * 3];
    CRefPtr<CSpriteShape> ray(new CSpriteShape(rc[0] + kOrnamentOffsetX, rc[1] + kOrnamentOffsetY, rc[2] + kOrnamentOffsetZ,
                                               s.raySize[k * 2], s.raySize[k * 2 + 1], s.raysColor, pictureTexture,
                                               1));
    ray->SetFrameUV(0, s.rayT[k * 4], s.rayT[k * 4 + 1], s.rayT[k * 4 + 2], s.rayT[k * 4 + 3]);
    ray->SetBlendMode(1, s.raysMethod);
    ray->zOrder = -1;
    ray->SetAlpha(0.0f);
    ray->SetRotation(s.angle[k]);
    AddShape(ray);
    return ray;
}

void CProgressOrnaments::Fall()
{
    const OrnamentSettings& s = settings;
    const size_t keep = size_t(stage);
    for (size_t i = keep; i < gemShapes.size(); ++i)
        FadeAway(gemShapes[i], s.newGemTime);
    for (size_t i = keep; i < rayShapes.size(); ++i)
    {
        if (rayShapes[i].IsValid())
            rayShapes[i]->fadeSpeed = s.newRayTime > 0.0f ? 1.0f / s.newRayTime : 1000.0f;
        FadeAway(rayShapes[i], s.newRayTime);
    }
    for (size_t i = keep; i < flareShapes.size(); ++i)
        FadeAway(flareShapes[i], s.newFlareTime);
    gemShapes.resize(std::min(keep, gemShapes.size()));
    rayShapes.resize(std::min(keep, rayShapes.size()));
    flareShapes.resize(std::min(keep, flareShapes.size()));
    for (size_t i = keep; i < slotState.size(); ++i)
        slotState[i] = kIdle;
    EndStreaks();
}

// The finale waits hidden: the map (when the scene has one) showing only its top
// part, and the flare at a quarter of its size.
void CProgressOrnaments::MakeFinale()
{
    const size_t slot = size_t(variant.gems);
    slotTimer[slot] = 0.0f;
    slotState[slot] = kIdle;
    if (variant.map)
    {
        CRefPtr<CSpriteShape> map = MakeRay(slot);
        map->fadeSpeed = settings.mapTime > 0.0f ? 1.0f / settings.mapTime : 1000.0f;
        map->SetCorners(-0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f - settings.mapBegin, -0.5f, 0.5f - settings.mapBegin);
        rayShapes.push_back(map);
        UnrollMap(settings.mapBegin);
    }
    flareShapes.push_back(MakeFlare(variant.gems));
}

void CProgressOrnaments::LightFinale()
{
    const size_t slot = size_t(variant.gems);
    if (flareShapes.size() <= slot || !flareShapes[slot].IsValid())
        return;
    flareShapes[slot]->FadeTo(1.0f);
    flareShapes[slot]->SetScaleTarget(settings.flareSize[slot], settings.flareSize[slot]);
    if (variant.map)
    {
        slotState[slot] = kMapFlareIn;
        slotTimer[slot] = 0.0f;
    }
}

CRefPtr<CSpriteShape> CProgressOrnaments::Map() const
{
    const size_t slot = size_t(variant.gems);
    return variant.map && rayShapes.size() > slot ? rayShapes[slot] : CRefPtr<CSpriteShape>();
}

void CProgressOrnaments::UnrollMap(float part)
{
    const CRefPtr<CSpriteShape> map = Map();
    if (!map.IsValid() || map->corners.size() < 4 || map->frames.size() < 4)
        return;
    const float* t = &settings.rayT[size_t(variant.gems) * 4];
    const float v = t[1] + (t[3] - t[1]) * part;
    map->corners[2].v = map->corners[3].v = 0.5f - part;
    map->frames[2].v = map->frames[3].v = v;
}

// ---------------------------------------------------------------------------------
// Timelines
// ---------------------------------------------------------------------------------
bool CProgressOrnaments::Update(float dt)
{
    bool lastEnded = false;
    // The list has dropped the faded shapes whose life ran out.
    fadingShapes.erase(std::remove_if(fadingShapes.begin(), fadingShapes.end(),
                                      [](const CRefPtr<CSpriteShape>& s) { return s->life <= 0.0f; }),
                       fadingShapes.end());
    for (size_t i = 0; i < gemShapes.size(); ++i)
        if (gemShapes[i].IsValid())
            StepSlot(i, dt, lastEnded);
    if (lastEnded)
        LightFinale();
    if (variant.map)
        StepMap(dt);
    return lastEnded;
}

// The map fades in once its flare has grown, unrolling downward from its top edge.
void CProgressOrnaments::StepMap(float dt)
{
    const size_t slot = size_t(variant.gems);
    int32_t& state = slotState[slot];
    float& timer = slotTimer[slot];
    const CRefPtr<CSpriteShape> map = Map();
    if (state == kMapIdle || !map.IsValid())
        return;
    const OrnamentSettings& s = settings;
    timer += dt;
    if (state == kMapFlareIn)
    {
        if (timer < s.newFlareTime)
            return;
        state = kMapUnrolling;
        map->FadeTo(1.0f);
    }
    const float f = s.mapExpandTime > 0.0f ? std::min(1.0f, (timer - s.newFlareTime) / s.mapExpandTime) : 1.0f;
    UnrollMap(s.mapBegin + (1.0f - s.mapBegin) * f);
    if (timer >= s.newFlareTime + s.mapHoldTime)
        state = kMapIdle;
}

void CProgressOrnaments::StepSlot(size_t i, float dt, bool& lastEnded)
{
    const OrnamentSettings& s = settings;
    const bool newest = i + 1 == gemShapes.size();
    const bool sparkle = newest && quiet == 0;
    const float d = sparkle ? s.rainbowTime : s.newGemTime;
    float& timer = slotTimer[i];
    int32_t& state = slotState[i];
    timer += dt;
    if (state == kFlareIn && timer >= s.newFlareTime)
    {
        gemShapes[i]->FadeTo(1.0f);
        state = kGemIn;
    }
    if (state == kGemIn && timer >= s.newFlareTime + d)
    {
        if (i < rayShapes.size() && rayShapes[i].IsValid())
            rayShapes[i]->FadeTo(1.0f);
        state = kRayIn;
    }
    if (state == kRayIn && timer >= s.newFlareTime + d + s.newRayTime)
    {
        state = kIdle;
        if (int32_t(i) == variant.gems - 1)
            lastEnded = true;
        if (newest)
            EndStreaks();
        return;
    }
    if ((state == kGemIn || state == kRayIn) && sparkle)
        SpawnStreak(i, dt);
}

void CProgressOrnaments::SpawnStreak(size_t slot, float dt)
{
    const OrnamentSettings& s = settings;
    rainbowClock += dt;
    if (rainbowClock > s.rainbowT)
    {
        rainbowClock -= s.rainbowT;
        const float* c = &s.flareCentre[slot * 3];
        const float r1 = RandomUnit(), r2 = RandomUnit();
        CRefPtr<CSpriteShape> streak(new CSpriteShape(c[0] + kOrnamentOffsetX, c[1] + kOrnamentOffsetY, c[2] + kOrnamentOffsetZ,
                                                      (0.75f - 0.5f * r1) * s.rainbowSize[0],
                                                      (0.75f - 0.5f * r2) * s.rainbowSize[1],
                                                      RandomColor(0, 1, 0, 0), sparkTexture, 1));
        streak->SetFrameUV(0, 0.5f, 0.0f, 1.0f, 1.0f);
        streak->SetBlendMode(1, kBlendAdd);
        streak->zOrder = -1;
        streak->SetAlpha(0.0f);
        const float life = (0.5f * RandomUnit() + 0.75f) * 0.5f * s.rainbowLifeTime;
        streak->fadeSpeed = life > 0.0f ? 1.0f / life : 1000.0f;
        streak->FadeTo(1.0f);
        streak->SetRotation(RandomUnit() * 2.0f * kPi);
        streak->offsetX = -0.5f;
        const float direction = RandomUnit() >= 0.5f ? -1.0f : 1.0f;
        streak->spinning = 1;
        streak->spinSpeed = (0.5f * RandomUnit() + 0.75f) * direction * s.rainbowW;
        AddShape(streak);
        rainbowShapes.push_back(streak);
    }
    for (size_t k = 0; k < rainbowShapes.size();)
    {
        CSpriteShape& streak = *rainbowShapes[k];
        if (streak.alpha >= 1.0f && streak.alphaTarget >= 1.0f)
            streak.FadeTo(0.0f);
        else if (streak.alpha <= 0.0f && streak.alphaTarget <= 0.0f)
        {
            if (spriteList.IsValid())
                spriteList->Remove(rainbowShapes[k]);
            rainbowShapes.erase(rainbowShapes.begin() + ptrdiff_t(k));
            continue;
        }
        ++k;
    }
}

void CProgressOrnaments::EndStreaks()
{
    for (const CRefPtr<CSpriteShape>& streak : rainbowShapes)
        if (streak.IsValid())
            FadeAway(streak, streak->fadeSpeed > 0.0f ? streak->alpha / streak->fadeSpeed : 0.0f);
    rainbowShapes.clear();
}
