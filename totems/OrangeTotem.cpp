#include "engine/MathConstants.h"
#include "totems/OrangeTotem.h"

#include "effects/CollectionParticleSystem.h"
#include "engine/Random.h"
#include "totems/TotemSettings.h"
#include "totems/TotemsManager.h"

#include <algorithm>

namespace
{

const float kEndless = 10000000.0f;
const int32_t kVortexParticles = 120;
const float kDigitsRate = 40.0f;
const float kFlashSize = 140.0f;
const float kFlashRect = 0.546875f;

float Alpha(uint32_t argb)
{
    return float(argb >> 24) / 255.0f;
}

} // namespace

COrangeTotem::COrangeTotem() : CTotem(kTotemOrange)
{
    m_shapes.reserve(3);
    m_shineColour = 0xFFFFF89Au;
}

COrangeTotem::~COrangeTotem()
{
    COrangeTotem::RemoveShapes();
}

void COrangeTotem::RemoveShapes()
{
    Finish();
    CTotem::RemoveShapes();
}

void COrangeTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    if (r.own.size() >= 4)
    {
        m_vortexTexture1 = r.own[0];
        m_vortexTexture2 = r.own[1];
        m_twirlTexture = r.own[2];
        m_arrivalTexture = r.own[3];
    }
}

void COrangeTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_orange;
}

void COrangeTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    if (m_arrived != kArrived)
        return;
    // The board reads the charge from both words.
    TotemCellRecord record;
    record.kind = kTotemOrange;
    record.value = m_charge;
    record.extra = m_charge;
    records.push_back(record);
    m_arrived = kTaken;
}

void COrangeTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    m_arrived = kNotArrived;
    const Vec3& p = m_settings.points[1 + TotemLevelIndex(m_level)];
    m_start = Place(p);
    const Vec3& to = m_settings.points[0];
    m_flight = Vec3{to.x - m_start.x, to.y - m_start.y, to.z - m_start.z};
    StartVortices();
    m_flightTimer = -m_settings.preFlyTime;
}

void COrangeTotem::StartVortices()
{
    const OrangeTotemSettings& s = m_settings;
    if (m_particles)
    {
        const CRefPtr<CTexture> textures[2] = {m_vortexTexture1, m_vortexTexture2};
        for (int k = 0; k < 2; ++k)
        {
            m_vortexKeepers[k] = CRefPtr<CVortexKeeper>(new CVortexKeeper());
            CVortexKeeper& keeper = *m_vortexKeepers[k];
            keeper.Reset(k == 0 ? CVortexKeeper::kTwelveFramesTrimmed : CVortexKeeper::kSingleFrame);
            keeper.width = keeper.height = s.digitsSize;
            if (k == 1)
                keeper.colour = s.starColour;
            keeper.emissionRate = k == 0 ? m_speedFactor * kDigitsRate
                                         : m_speedFactor * 0.5f * m_vortexKeepers[0]->emissionRate;
            CCollection2Parametres block(m_start.x, m_start.y, m_start.z, nullptr, m_vortexKeepers[k],
                                         k == 0 ? CCollection2Parametres::kBlendAlpha : CCollection2Parametres::kBlendAdd);
            block.duration = kEndless;
            block.keeperEmission = 1;
            if (k == 1)
                block.alphaScale = Alpha(s.starColour);
            m_particles->AddCollection2System(m_vortexSystems[k], block, kVortexParticles, textures[k]);
        }
    }
    if (!m_spriteBatch)
        return;
    // The twirl spins up and swells while the swirl gathers.
    const float wait = s.preFlyTime;
    CRefPtr<CBatchSprite> twirl(new CBatchSprite(m_start.x, m_start.y, m_start.z, m_twirlTexture, s.twirlColour & 0xFFFFFFu));
    twirl->SetScale(0.35f * m_size[0], 0.35f * m_size[1]);
    twirl->flickerAmplitude = 0.0f;
    twirl->SetSpin(RandomUnit() * 2.0f * kPi, kPi * 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    twirl->fadeInTime = wait * 0.1f;
    twirl->holdEnd = wait * 0.9f;
    twirl->fadeOutTime = wait * 0.3f;
    if (wait > 0.0f)
        twirl->StartZoom(3.0f, 2.0f / (wait * 0.75f));
    twirl->alphaFactor = Alpha(s.twirlColour);
    m_spriteBatch->Add(twirl);
}

void COrangeTotem::MakeFlyShape(const Vec3& at, float scale)
{
    const OrangeTotemSettings& s = m_settings;
    m_flyShape = CRefPtr<CSpriteShape>(new CSpriteShape(at.x, at.y, at.z + 1.0f, scale * m_size[0], scale * m_size[1],
                                                        s.flyTwirlColour, m_twirlTexture, 1));
    m_flyShape->SetBlendMode(1, s.flyTwirlFilter);
    m_flyShape->zOrder = m_zOrder - 5;
    m_flyShape->SetRotation(RandomUnit() * 2.0f * kPi);
    m_flyShape->spinning = 1;
    m_flyShape->spinSpeed = kPi * 0.5f;
    if (m_spriteList)
        m_spriteList->Add(m_flyShape);
}

void COrangeTotem::Arrive()
{
    const OrangeTotemSettings& s = m_settings;
    const Vec3& to = s.points[0];
    if (m_arrived == kNotArrived)
        m_arrived = kArrived;
    for (const CRefPtr<CParticleSystem>& system : m_vortexSystems)
        if (system)
            system->MoveTo(to.x, to.y, to.z);
    if (!m_flyShape)
        return;
    m_flyShape->position = Vec3{to.x, to.y, to.z + 1.0f};
    const float left = s.flyTime + s.postFlyTime - m_flightTimer;
    if (left > 0.0f)
    {
        m_flyShape->fadeSpeed = 1.0f / left;
        m_flyShape->FadeTo(0.0f);
    }
    else if (m_spriteList)
        m_spriteList->Remove(m_flyShape);
    // Without its picture (the catalogue may lack it) the flash is left out:
    // a bare quad would cover the clock.
    if (!m_spriteBatch || !m_arrivalTexture)
        return;
    CRefPtr<CBatchSprite> flash(new CBatchSprite(to.x, to.y, to.z, m_arrivalTexture, 0xFFFFFFu));
    flash->SetTexRect(0.0f, 0.0f, kFlashRect, kFlashRect);
    flash->SetScale(kFlashSize, kFlashSize);
    flash->fadeInTime = s.postFlyTime;
    flash->holdEnd = 5.0f * s.postFlyTime;
    flash->fadeOutTime = s.postFlyTime;
    m_spriteBatch->Add(flash);
}

void COrangeTotem::Finish()
{
    for (int k = 0; k < 2; ++k)
    {
        m_vortexKeepers[k].Reset();
        if (m_vortexSystems[k])
            m_vortexSystems[k]->StopEmission();
        m_vortexSystems[k].Reset();
    }
    if (m_flyShape && m_spriteList)
        m_spriteList->Remove(m_flyShape);
    m_flyShape.Reset();
}

bool COrangeTotem::UpdateActive(float dt)
{
    const OrangeTotemSettings& s = m_settings;
    m_flightTimer += dt;
    if (m_flightTimer < 0.0f)
    {
        // Halfway through the wait the flying picture appears and grows.
        if (!m_flyShape && m_flightTimer > -0.5f * s.preFlyTime)
        {
            MakeFlyShape(m_start, 0.25f);
            m_flyShape->SetAlpha(0.0f);
            m_flyShape->fadeSpeed = -1.0f / m_flightTimer;
            m_flyShape->FadeTo(1.0f);
            m_flyShape->scaleSpeedX = -(0.25f * m_size[0]) / m_flightTimer;
            m_flyShape->scaleSpeedY = -(0.25f * m_size[1]) / m_flightTimer;
            m_flyShape->SetScaleTarget(0.5f * m_size[0], 0.5f * m_size[1]);
        }
    }
    else if (m_flightTimer < s.flyTime)
    {
        const float t = m_flightTimer / s.flyTime;
        const Vec3 p{m_start.x + t * m_flight.x, m_start.y + t * m_flight.y, m_start.z + t * m_flight.z};
        for (int k = 0; k < 2; ++k)
            if (m_vortexSystems[k])
                m_vortexSystems[k]->MoveTo(p.x, p.y, p.z);
        if (!m_flyShape)
            MakeFlyShape(p, 0.5f);
        m_flyShape->position = Vec3{p.x, p.y, p.z + 1.0f};
    }
    else
        Arrive();
    if (m_flightTimer < s.flyTime + s.postFlyTime)
        return false;
    Finish();
    return true;
}
