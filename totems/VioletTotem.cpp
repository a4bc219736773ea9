#include "engine/MathConstants.h"
#include "totems/VioletTotem.h"

#include "board/LevelParams.h"
#include "engine/Random.h"
#include "totems/TotemSettings.h"

#include <cmath>

namespace
{

const float kGlowFade = 10.0f;
const float kRayRight = 0.734375f;
const int32_t kGlowShapes = 3;

} // namespace

CVioletTotem::CVioletTotem() : CTotem(kTotemViolet)
{
    m_shapes.reserve(4);
    m_glowShapes.reserve(3);
    m_records.reserve(4);
    m_shineColour = 0xFFFBFDFFu;
}

CVioletTotem::~CVioletTotem()
{
    CVioletTotem::RemoveShapes();
}

void CVioletTotem::DropGlow()
{
    if (m_spriteList)
        for (const CRefPtr<CSpriteShape>& shape : m_glowShapes)
            m_spriteList->Remove(shape);
    m_glowShapes.clear();
}

void CVioletTotem::RemoveShapes()
{
    DropGlow();
    CTotem::RemoveShapes();
}

void CVioletTotem::FadeOut(float speed)
{
    CTotem::FadeOut(speed);
    for (const CRefPtr<CSpriteShape>& shape : m_glowShapes)
    {
        shape->mortal = 1;
        shape->life = 0.01f;
    }
}

void CVioletTotem::SetZOrder(int32_t z)
{
    const int32_t d = m_shapes.empty() ? 0 : z - m_shapes.front()->zOrder;
    CTotem::SetZOrder(z);
    for (const CRefPtr<CSpriteShape>& shape : m_glowShapes)
        if (shape)
            shape->zOrder += d;
}

Vec3 CVioletTotem::RayPoint(int ray) const
{
    const int32_t li = TotemLevelIndex(m_level);
    const Vec3& c = m_settings.rayCentres[li];
    const float* r = m_settings.rayRadii[li];
    return Place(Vec3{std::cos(m_rayPhases[ray]) * r[0] + c.x, std::sin(m_rayPhases[ray]) * r[1] + c.y, c.z});
}

void CVioletTotem::PlaceGlow(bool rescale)
{
    // The small panel totem shows no glow.
    if (m_mode != TotemMode::Centre && m_mode != TotemMode::Shop)
        return;
    const int32_t li = TotemLevelIndex(m_level);
    for (size_t i = 0; i < m_glowShapes.size() && i < size_t(kGlowShapes); ++i)
    {
        if (!m_glowShapes[i])
            continue;
        CSpriteShape& shape = *m_glowShapes[i];
        shape.position = i == 0 ? Place(m_settings.glowCentres[li]) : RayPoint(int(i) - 1);
        const float* size = i == 0 ? m_settings.glowSizes[li] : m_settings.raySizes[li];
        if (rescale)
            shape.SetScale(size[0] * m_size[0], size[1] * m_size[1]);
    }
}

void CVioletTotem::SetPosition(float x, float y, float z)
{
    CTotem::SetPosition(x, y, z);
    PlaceGlow(false);
}

void CVioletTotem::SetSize(float w, float h)
{
    CTotem::SetSize(w, h);
    PlaceGlow(true);
}

void CVioletTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    m_effectStage = kEffectWaiting;
    m_effectTimer = 2.0f * m_settings.flyTime;
}

void CVioletTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    if (!r.own.empty())
        m_glowTexture = r.own[0];
}

void CVioletTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_violet;
}

void CVioletTotem::SetArmed(int32_t on, int32_t)
{
    if (!on)
    {
        // Faded, not dropped: a later arming builds nothing new.
        for (const CRefPtr<CSpriteShape>& shape : m_glowShapes)
        {
            shape->mortal = 1;
            shape->life = 1.0f / kGlowFade;
            shape->fadeSpeed = kGlowFade;
            shape->FadeTo(0.0f);
        }
        return;
    }
    if (!m_glowShapes.empty())
        return;
    const int32_t li = TotemLevelIndex(m_level);
    for (int k = 0; k < kGlowShapes; ++k)
    {
        const bool glow = k == 0;
        const Vec3 at = glow ? Place(m_settings.glowCentres[li]) : RayPoint(k - 1);
        const float* size = glow ? m_settings.glowSizes[li] : m_settings.raySizes[li];
        CRefPtr<CSpriteShape> shape(new CSpriteShape(at.x, at.y, at.z, size[0] * m_size[0], size[1] * m_size[1],
                                                     glow ? m_settings.glowColour : m_settings.rayColour,
                                                     m_glowTexture, 1));
        shape->SetBlendMode(1, kBlendAdd);
        shape->SetAxes(m_axisX.x, m_axisX.y, m_axisX.z, m_axisY.x, m_axisY.y, m_axisY.z, 0);
        if (glow)
            shape->SetFrameUV(0, 0.0f, 0.5f, 1.0f, 1.0f);
        else if (k == 1)
            shape->SetFrameUV(0, 0.0f, 0.0f, kRayRight, 0.5f);
        else
            shape->SetFrameUV(0, kRayRight, 0.0f, 0.0f, 0.5f);
        shape->SetAlpha(0.0f);
        shape->zOrder = m_zOrder - 4;
        shape->fadeSpeed = kGlowFade;
        shape->FadeTo(1.0f);
        if (m_spriteList)
            m_spriteList->Add(shape);
        m_glowShapes.push_back(shape);
    }
}

void CVioletTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    if (m_effectStage != kEffectStarted)
        return;
    records.insert(records.end(), m_records.begin(), m_records.end());
    m_effectStage = kEffectTaken;
}

void CVioletTotem::StartEffect()
{
    m_records.clear();
    int32_t ordinary = 0, special = 0;
    GetVioletTargetCounts(m_level, m_charge, ordinary, special);
    const int32_t n = ordinary + special;
    const float step = n >= 2 ? 0.5f / float(n - 1) : 0.0f;
    float s = 0.0f;
    const float* area = m_settings.areas[TotemLevelIndex(m_level)];
    const CLevelParams* rules = GameRules();
    for (int32_t i = 0; i < n; ++i)
    {
        int32_t type = 0, level = 0;
        if (!rules || !rules->PickKind(i >= ordinary ? 1 : 0, type, level))
            continue;
        const float r1 = RandomUnit(), r2 = RandomUnit(), r3 = RandomUnit();
        const Vec3 start = Place(Vec3{area[0] + r1 * area[2], area[1] - r2 * area[3], -(10.0f * float(i) + 1.0f)});
        TotemCellRecord record;
        record.kind = kTotemViolet;
        record.column = level;
        record.row = m_zOrder - 10 - i;
        record.factor = start.x;
        record.startY = start.y;
        record.startZ = start.z;
        record.ctrl[0] = start.x + 320.0f;
        record.ctrl[1] = start.y + 50.0f + 150.0f * r3;
        record.ctrl[2] = start.z - 10.0f - 10.0f * float(i);
        record.time = (1.25f - s) * m_settings.flyTime;
        record.bonusType = type;
        m_records.push_back(record);
        s += step;
    }
}

void CVioletTotem::UpdateOwn(float dt)
{
    if (m_glowShapes.size() != size_t(kGlowShapes))
        return;
    for (int k = 0; k < 2; ++k)
    {
        m_rayPhases[k] += m_settings.raySpeed * dt;
        if (m_rayPhases[k] > kTwoPi)
            m_rayPhases[k] -= kTwoPi;
        m_glowShapes[size_t(k) + 1]->position = RayPoint(k);
    }
}

bool CVioletTotem::UpdateActive(float dt)
{
    if (m_effectStage == kEffectWaiting)
    {
        m_effectStage = kEffectStarted;
        StartEffect();
    }
    m_effectTimer -= dt;
    return m_effectTimer <= 0.0f;
}
