#include "engine/MathConstants.h"
#include "hud/StarEffect.h"

#include "effects/MultiOriginSystemKeeper.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/IniReader.h"
#include "engine/StringTable.h"
#include "hud/PopupMessages.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

namespace {

const int kStringStarAwarded = 12;
const float kGlowForever = 10000000.0f;
const float kStarWidth = 51.0f, kStarHeight = 48.0f;
const float kGrownWidth = 204.0f, kGrownHeight = 192.0f;

Vec3 ReadStarPosition(const char* file, const char* section, const char* key, const char* def)
{
    float v[3] = {0.0f, 0.0f, 0.0f};
    ReadIniFloat3(v, file, section, key, def);
    return {v[0] - 512.5f, 384.5f - v[1], v[2]};
}

// A duration of nothing or less passes at once.
float StarRate(float amount, float seconds)
{
    return seconds > 0.0f ? amount / seconds : 1.0e6f;
}

}  // namespace

CStarEffect::~CStarEffect()
{
    RemoveShape(star);
    RemoveShape(ring);
    StopGlows();
}

void CStarEffect::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> manager,
                               CPopupMessages* notes, CRefPtr<CTexture> starPicture,
                               CRefPtr<CTexture> particlePicture, CRefPtr<CTexture> ringPicture)
{
    sprites = list;
    particles = manager;
    popups = notes;
    starTexture = starPicture;
    particleTexture = particlePicture;
    ringTexture = ringPicture;
    glows.reserve(2);
}

void CStarEffect::LoadSettings(const char* file, const char* section)
{
    settings.baseLeft = ReadStarPosition(file, section, "BaseLeft", "364 746 -3");
    settings.elementLength = ReadIniFloat(file, section, "ElementLength", "32");
    settings.count = ReadIniIntInRange(file, section, "Count", "19", 0, 100);
    settings.radialColor = ReadIniColor(file, section, "RadialColor", "255 255 80 255");
    settings.radialSize = ReadIniFloat(file, section, "RadialSize", "24");
    settings.radialIntensity = ReadIniFloat(file, section, "RadialIntensity", "40");
    settings.upColor = ReadIniColor(file, section, "UpColor", "160 80 255 255");
    settings.upSize = ReadIniFloat(file, section, "UpSize", "32");
    settings.upIntensity = ReadIniFloat(file, section, "UpIntensity", "40");
    settings.zOrder = ReadIniInt(file, section, "ZOrder", "-20");
    settings.from = ReadStarPosition(file, section, "From", "649 730 -3");
    settings.to = ReadStarPosition(file, section, "To", "649 256 -3");
    settings.preTime = ReadIniTime(file, section, "PreTime", "0.5");
    settings.flyTime = ReadIniTime(file, section, "FlyTime", "1");
    settings.ringTime = ReadIniTime(file, section, "RingTime", "0.5");
    settings.postTime = ReadIniTime(file, section, "PostTime", "1.5");
    settings.flyOutTime = ReadIniTime(file, section, "FlyOutTime", "0.5");
    settings.notePos = ReadStarPosition(file, section, "NotePos", "649 400 -3");
    settings.ringColor = ReadIniColor(file, section, "RingColor", "255 255 128 255");
}

void CStarEffect::RemoveShape(CRefPtr<CSpriteShape>& shape)
{
    if (sprites && shape)
        sprites->Remove(shape);
    shape.Reset();
}

// The rows fade out on their own; the manager drops them when they are done.
void CStarEffect::StopGlows()
{
    for (const CRefPtr<CParticleSystem>& glow : glows)
        if (glow)
            glow->StopEmission();
    glows.clear();
}

void CStarEffect::Reset()
{
    timer = 0.0f;
    busy = 0;
    phase = kWaiting;
    RemoveShape(star);
    StopGlows();
}

void CStarEffect::Start()
{
    Reset();
    busy = 1;
    StartGlows();
}

// Two rows of glow along the bar: sparks glowing out in every direction, and
// bigger ones rising.
void CStarEffect::StartGlows()
{
    if (!particles)
        return;
    const Settings& s = settings;
    const Vec3 left{s.baseLeft.x, s.baseLeft.y, 0.0f};
    const Vec3 right{s.baseLeft.x + s.elementLength * float(s.count), s.baseLeft.y, 0.0f};
    const struct
    {
        Vec3 direction;
        float intensity, speed, size, particleSpeed[2];
        uint32_t colour;
    } rows[2] = {{{0.0f, 0.0f, 0.0f}, s.radialIntensity, 0.0f, s.radialSize, {40.0f, 10.0f}, s.radialColor},
                 {{0.0f, 1.0f, 0.0f}, s.upIntensity, 80.0f, s.upSize, {10.0f, 2.5f}, s.upColor}};
    for (const auto& row : rows)
    {
        CMultiOriginSystemKeeper::ParticleLook look{{row.particleSpeed[0], row.particleSpeed[1]},
                                                    {row.size, row.size, 0.2f * row.size, 0.2f * row.size},
                                                    {kPi, kPi * 0.5f},
                                                    row.colour,
                                                    {0.1f, 0.25f, 0.65f},
                                                    {0.025f, 0.0625f, 0.2125f}};
        CRefPtr<CMultiOriginSystemKeeper> keeper(new CMultiOriginSystemKeeper);
        keeper->zVelocityScale = 0.0f;
        // Exactly `count` origins: a new keeper's own default one goes too.
        keeper->AddOriginEx(left, right, row.direction, s.count, row.intensity, row.speed, look, 0);
        CCollection2Parametres block(0.0f, 0.0f, s.baseLeft.z, nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                     CCollection2Parametres::kBlendAdd);
        block.keeperEmission = 1;
        block.duration = kGlowForever;
        CRefPtr<CParticleSystem> glow;
        particles->AddCollection2System(glow, block, 2 * int32_t(row.intensity), particleTexture);
        glows.push_back(glow);
    }
}

void CStarEffect::ShowStar()
{
    phase = kFlying;
    if (!sprites)
        return;
    star = CRefPtr<CSpriteShape>(new CSpriteShape(settings.from.x, settings.from.y, settings.from.z, kStarWidth,
                                                  kStarHeight, 0xFFFFFFFFu, starTexture, 1));
    star->SetFrameUV(0, 0.0f, 0.0f, 0.796875f, 0.75f);
    star->zOrder = settings.zOrder;
    star->SetAlpha(0.0f);
    star->fadeSpeed = StarRate(4.0f, settings.flyTime);
    star->FadeTo(1.0f);
    star->scaleSpeedX = StarRate(kGrownWidth - kStarWidth, settings.flyTime);
    star->scaleSpeedY = StarRate(kGrownHeight - kStarHeight, settings.flyTime);
    star->SetScaleTarget(kGrownWidth, kGrownHeight);
    sprites->Add(star);
}

void CStarEffect::Arrive()
{
    phase = kRing;
    if (star)
        star->position = settings.to;
    if (sprites)
    {
        // The ring of an earlier award has long faded: it goes now.
        RemoveShape(ring);
        ring = CRefPtr<CSpriteShape>(new CSpriteShape(settings.to.x, settings.to.y, settings.to.z, kGrownWidth,
                                                      kGrownHeight, settings.ringColor, ringTexture, 1));
        ring->SetBlendMode(1, 1);
        ring->zOrder = settings.zOrder - 1;
        ring->fadeSpeed = StarRate(1.0f, settings.ringTime);
        ring->FadeTo(0.0f);
        ring->scaleSpeedX = StarRate(4.0f * kGrownWidth * 2.0f, settings.ringTime);
        ring->scaleSpeedY = StarRate(4.0f * kGrownHeight * 2.0f, settings.ringTime);
        ring->SetScaleTarget(kGrownWidth * 4.0f, kGrownHeight * 4.0f);
        sprites->Add(ring);
    }
    if (popups)
    {
        char text[128] = "";
        GetStringById(kStringStarAwarded, text, sizeof(text));
        CRefPtr<CPopupMessage> note;
        popups->AddMessage(note, text, 1.5f, 4, settings.notePos.x, settings.notePos.y, settings.notePos.z);
    }
}

void CStarEffect::StartFlyOut()
{
    phase = kFlyingOut;
    if (!star)
        return;
    star->scaleSpeedX = StarRate(2.0f * star->scaleX, settings.flyOutTime);
    star->scaleSpeedY = StarRate(2.0f * star->scaleY, settings.flyOutTime);
    star->SetScaleTarget(star->scaleX * 3.0f, star->scaleY * 3.0f);
    star->fadeSpeed = StarRate(2.0f, settings.flyOutTime);
}

int CStarEffect::Update(float dt)
{
    if (!busy)
        return 0;
    timer += dt;
    const float shown = settings.preTime, arrived = shown + settings.flyTime, ringEnd = arrived + settings.ringTime;
    const float held = ringEnd + settings.postTime, end = held + settings.flyOutTime;
    // One long frame may pass several phases.
    if (phase == kWaiting && timer >= shown)
        ShowStar();
    if (phase == kFlying)
    {
        if (timer < arrived)
        {
            const float f = settings.flyTime > 0.0f ? (timer - shown) / settings.flyTime : 1.0f;
            if (star)
                star->position = {settings.from.x + (settings.to.x - settings.from.x) * f,
                                  settings.from.y + (settings.to.y - settings.from.y) * f,
                                  settings.from.z + (settings.to.z - settings.from.z) * f};
        }
        else
            Arrive();
    }
    if (phase == kRing && timer >= ringEnd)
    {
        phase = kHolding;
        RemoveShape(ring);
    }
    if (phase == kHolding && timer >= held)
    {
        StopGlows();
        StartFlyOut();
    }
    if (phase == kFlyingOut)
    {
        if (timer >= end)
        {
            Reset();
            return 0;
        }
        if (star && timer >= held + 0.5f * settings.flyOutTime && star->alphaTarget > 0.0f)
            star->FadeTo(0.0f);
    }
    return 1;
}
