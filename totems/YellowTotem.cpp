#include "engine/MathConstants.h"
#include "totems/YellowTotem.h"

#include "effects/CollectionParticleSystem.h"
#include "effects/ParticleParametres.h"
#include "engine/Random.h"
#include "totems/TotemSettings.h"
#include "totems/TotemsManager.h"

#include <algorithm>
#include <cmath>

namespace
{

const int32_t kNumberPictures = 5;
const float kYellowEndless = 10000000.0f;
const int32_t kPlusParticles = 120;
const float kPlusRate = 32.0f;
const float kSmokeRate = 80.0f;
const float kNumberDepthOrder = 10;
// The plus sign's tile in the body picture.
const float kPlusTile[4] = {0.9375f, 0.875f, 1.0f, 1.0f};

float YellowAlpha(uint32_t argb)
{
    return float(argb >> 24) / 255.0f;
}

} // namespace

CYellowTotem::CYellowTotem() : CTotem(kTotemYellow)
{
    m_shapes.reserve(5);
    m_shineColour = 0xFF73C6FFu;
}

CYellowTotem::~CYellowTotem()
{
    CYellowTotem::RemoveShapes();
}

int32_t CYellowTotem::NumberPicture(int32_t level, int32_t charge)
{
    return std::min(std::max(charge + level - 3, 0), kNumberPictures - 1);
}

void CYellowTotem::Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets)
{
    CTotem::Init(mode, shapeSets);
    m_nuggetOut = 0;
    if (mode == TotemMode::Centre && !m_shapes.empty() && m_settings.nuggetFadeTime > 0.0f)
        m_shapes.back()->fadeSpeed = 1.0f / m_settings.nuggetFadeTime;
}

void CYellowTotem::RemoveShapes()
{
    DropNumber();
    CTotem::RemoveShapes();
}

void CYellowTotem::DropNumber()
{
    if (m_numberShape && m_spriteList)
        m_spriteList->Remove(m_numberShape);
    m_numberShape.Reset();
    if (m_plusSystem)
        m_plusSystem->StopEmission();
    m_plusSystem.Reset();
    m_plusKeeper.Reset();
}

void CYellowTotem::SetAlpha(float alpha, bool alsoTarget)
{
    CTotem::SetAlpha(alpha, alsoTarget);
    // The nugget stays away while its number is out.
    if (m_nuggetOut && m_shapes.size() > 1)
        m_shapes.back()->SetAlpha(0.0f);
}

void CYellowTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    m_timer = 0.0f;
    m_starting = 1;
    m_numberState = kNumberFlying;
}

void CYellowTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    if (r.own.size() >= 3)
    {
        m_flareTexture = r.own[0];
        m_smokeTexture = r.own[1];
        m_boltTexture = r.own[2];
    }
}

void CYellowTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_yellow;
}

void CYellowTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    if (m_numberState != kNumberArrived)
        return;
    TotemCellRecord record;
    record.kind = kTotemYellow;
    record.column = m_level;
    record.row = m_charge;
    records.push_back(record);
    m_numberState = kNumberTaken;
}

Vec3 CYellowTotem::SmokeStart() const
{
    return Place(m_settings.smokeCentres[TotemLevelIndex(m_level)]);
}

void CYellowTotem::StartNumber()
{
    const YellowTotemSettings& s = m_settings;
    const int32_t li = TotemLevelIndex(m_level);
    const Vec3 at = SmokeStart();
    const float w = m_size[0], h = m_size[1];
    if (m_shapes.size() > 1)
    {
        m_shapes.back()->FadeTo(0.0f);
        m_nuggetOut = 1;
    }
    // The number picture.
    const int32_t size = std::min(m_level, kNumberPictures - 1);
    const float* rect = s.numberRects[NumberPicture(m_level, m_charge)];
    m_numberShape = CRefPtr<CSpriteShape>(new CSpriteShape(at.x, at.y, at.z, s.numberSizes[size][0] * w,
                                                           s.numberSizes[size][1] * h, 0xFFFFFFFFu, m_bodyTexture, 1));
    m_numberShape->SetFrameUV(0, rect[0], rect[1], rect[2], rect[3]);
    m_numberShape->SetAlpha(0.0f);
    m_numberShape->fadeSpeed = s.numberFadeTime > 0.0f ? 1.0f / s.numberFadeTime : 100.0f;
    m_numberShape->zOrder = m_zOrder - int32_t(kNumberDepthOrder);
    if (m_spriteList)
        m_spriteList->Add(m_numberShape);
    m_numberShape->FadeTo(1.0f);
    if (!m_particles)
        return;
    // The plus signs whirl about the number, turning the other way.
    m_plusKeeper = CRefPtr<CVortexKeeper>(new CVortexKeeper());
    CVortexKeeper& keeper = *m_plusKeeper;
    keeper.Reset(CVortexKeeper::kSingleFrame);
    if (!keeper.frames.empty())
        keeper.frames[0] = CVortexKeeper::Frame{kPlusTile[0], kPlusTile[1], kPlusTile[2], kPlusTile[3]};
    keeper.width = keeper.height = s.plusSize;
    keeper.emissionRate = m_speedFactor * kPlusRate;
    keeper.SetParams(keeper.innerRadius, keeper.outerRadius, -keeper.innerSpeed, -keeper.outerSpeed, keeper.spawnRadius);
    CCollection2Parametres block(at.x, at.y, at.z, nullptr, m_plusKeeper, CCollection2Parametres::kBlendAlpha);
    block.duration = kYellowEndless;
    block.keeperEmission = 1;
    m_particles->AddCollection2System(m_plusSystem, block, kPlusParticles, m_bodyTexture);
    // Smoke from the platform while the number flies.
    CSmokesSpringParametres smoke(at, Vec3{0.0f, 1.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f}, s.smokePlatformSizes[li] * w,
                                  2.0f, 0.25f, 0.0f, s.smokeColour, 0);
    smoke.rise = s.smokeUpSpeed * w;
    smoke.riseSpread = smoke.rise * 0.25f;
    smoke.growth = s.smokeExpand * w;
    smoke.growthSpread = smoke.growth * 0.25f;
    smoke.fadeRate = s.smokeFadeSpeed;
    smoke.fadeSpread = s.smokeFadeSpeed * 0.25f;
    smoke.size = s.smokeSize * w;
    smoke.sizeSpread = smoke.size * 0.5f;
    smoke.duration = s.numberFlyTime;
    smoke.rate = m_speedFactor * kSmokeRate;
    const int32_t count = s.smokeFadeSpeed > 0.0f ? int32_t(m_speedFactor * kSmokeRate * 3.0f / s.smokeFadeSpeed) : 1;
    CRefPtr<CParticleSystem> dropped;
    m_particles->AddSmokesSystem(dropped, smoke, std::max(count, 1), m_smokeTexture);
}

bool CYellowTotem::UpdateActive(float dt)
{
    const YellowTotemSettings& s = m_settings;
    if (m_starting)
    {
        StartNumber();
        m_starting = 0;
    }
    m_timer += dt;
    if (m_numberShape)
        m_numberShape->SetRotation(std::sin(0.4f * std::sin(4.0f * kPi * m_timer)));
    const float flightEnd = s.numberStartTime + s.numberFlyTime;
    if (m_timer > s.numberStartTime)
    {
        Vec3 p = s.numberTarget;
        if (m_timer >= flightEnd)
        {
            if (m_numberState == kNumberFlying)
            {
                if (m_numberShape)
                    m_numberShape->FadeTo(0.0f);
                if (m_shapes.size() > 1)
                    m_shapes.back()->FadeTo(1.0f);
                m_nuggetOut = 0;
                m_numberState = kNumberArrived;
                if (m_level > 1 && m_particles)
                {
                    const Vec3 across{1.0f, 0.0f, 0.0f}, up{0.0f, 1.0f, 0.0f};
                    CThunderboltParametres bolt(s.numberTarget, across, up, s.frenzyWidth * 0.125f, 24.0f, 4.0f,
                                                s.frenzyTarget, across, up, 2.0f, 0.5f, 0.5f, 4,
                                                std::max(int32_t(m_speedFactor * 12.0f), 1), 0xFFFFFF80u);
                    bolt.pointSize = 6.0f;
                    bolt.duration = 0.25f;
                    CRefPtr<CParticleSystem> dropped;
                    m_particles->AddThunderboltSystem(dropped, bolt, 80, m_boltTexture);
                }
            }
        }
        else
        {
            const float t = s.numberFlyTime > 0.0f ? (m_timer - s.numberStartTime) / s.numberFlyTime : 1.0f;
            const Vec3 from = SmokeStart();
            p = Vec3{from.x + (s.numberTarget.x - from.x) * t, from.y + (s.numberTarget.y - from.y) * t,
                     from.z + (s.numberTarget.z - from.z) * t};
        }
        if (m_numberShape)
            m_numberShape->position = p;
        if (m_plusSystem)
            m_plusSystem->MoveTo(p.x, p.y, p.z);
    }
    if (m_numberState != kNumberTaken || m_timer <= flightEnd + s.numberFadeTime)
        return false;
    DropNumber();
    return true;
}

void CYellowTotem::UpdateOwn(float dt)
{
    if (m_mode == TotemMode::Panel || (m_state != TotemState::Idle && m_state != TotemState::Rearmed))
        return;
    const float interval = m_settings.flareInterval;
    if (interval <= 0.0f)
        return;
    m_flareTimer += dt;
    const int32_t n = int32_t(std::floor(m_flareTimer / interval));
    if (n <= 0)
        return;
    m_flareTimer -= float(n) * interval;
    MakeFlares(n);
}

void CYellowTotem::MakeFlares(int32_t count)
{
    const YellowTotemSettings& s = m_settings;
    const float* area = s.flares[TotemLevelIndex(m_level)];
    const float w = m_size[0], h = m_size[1];
    for (int32_t i = 0; i < count; ++i)
    {
        ++m_flaresMade;
        // Uniform over a disc of diameter 1.
        const float a = RandomUnit() * 2.0f * kPi, r = std::sqrt(RandomUnit()) * 0.5f;
        const float x = std::cos(a) * r, y = std::sin(a) * r;
        const float k = std::floor(RandomUnit() * 4.0f);
        const float spin = RandomUnit() * 2.0f * kPi;
        if (!m_spriteBatch)
            continue;
        CRefPtr<CBatchSprite> flare(new CBatchSprite(m_position.x + (area[2] * x + area[0]) * w,
                                                     m_position.y + (area[3] * y + area[1]) * h, m_position.z - 10.0f,
                                                     m_flareTexture, 0xFFFFFFu));
        flare->SetTexRect(k * 0.25f, 0.625f, (k + 1.0f) * 0.25f, 0.875f);
        flare->SetScale(s.flareSize * w, s.flareSize * w);
        flare->alphaFactor = YellowAlpha(s.flareColour);
        flare->flickerAmplitude = 0.0f;
        flare->holdEnd = s.flareLifeTime;
        flare->fadeInTime = flare->fadeOutTime = s.flareLifeTime * 0.5f;
        flare->SetSpin(spin, s.flareSpeed, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        m_spriteBatch->Add(flare);
    }
}
