#include "totems/Totem.h"

#include "totems/TotemSettings.h"
#include "totems/TotemsManager.h"

#include <algorithm>

namespace
{

const float kPanelSize = 80.0f;
const float kCentreSize = 256.0f;
const float kShopSize = 192.0f;
const float kLightFadeSpeed = 2.0f;
const float kFlashGrowth = 5.0f;
const float kFlashSpin = 1.5707964f;
const float kVanishSpeed = 10.0f;

} // namespace

CTotem::CTotem(int32_t colour) : m_colour(colour)
{
    m_moveFromPosition = m_moveToPosition = m_position;
    m_lightShapes.reserve(3);
}

CTotem::~CTotem()
{
    CTotem::RemoveShapes();
}

void CTotem::Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets)
{
    m_state = TotemState::Idle;
    m_alpha = 0.0f;
    m_moveTimer = 0.0f;
    m_moveDuration = 1.0f;
    m_mode = mode;
    m_alphaTarget = 1.0f;
    m_event = TotemEvent::None;
    m_charge = 0;
    m_shapeSets = shapeSets;
    if (!m_shapeSets)
        return;
    float side = 0.0f;
    switch (mode)
    {
    case TotemMode::Panel:
        side = kPanelSize;
        break;
    case TotemMode::Centre:
        side = kCentreSize;
        break;
    case TotemMode::Shop:
        side = kShopSize;
        break;
    default:
        return;
    }
    m_size[0] = m_moveFromSize[0] = m_moveToSize[0] = side;
    m_size[1] = m_moveFromSize[1] = m_moveToSize[1] = side;
    const CTotemShapeSets& sets = *m_shapeSets;
    if (mode == TotemMode::Panel)
    {
        BuildLayer(CTotemShapeSets::AtLevel(sets.m_small, m_level), m_smallTexture, m_zOrder, kBlendNormal);
        return;
    }
    // The shadow darkens what lies under the totem; the body lies over it.
    BuildLayer(CTotemShapeSets::AtLevel(sets.m_shadow, m_level), m_shadowTexture, m_zOrder, kBlendMul);
    const auto& bodies = mode == TotemMode::Centre ? sets.m_main : sets.m_shop;
    BuildLayer(CTotemShapeSets::AtLevel(bodies, m_level), m_bodyTexture, m_zOrder - 1, kBlendNormal);
}

Vec3 CTotem::Place(const Vec3& p) const
{
    const float u = p.x * m_size[0], v = p.y * m_size[1];
    return Vec3{m_position.x + u * m_axisX.x + v * m_axisY.x, m_position.y + u * m_axisX.y + v * m_axisY.y,
                m_position.z + u * m_axisX.z + v * m_axisY.z + p.z};
}

void CTotem::BuildLayer(const CSpriteSet* set, const CRefPtr<CTexture>& texture, int32_t zOrder, int blendMode)
{
    if (!set)
        return;
    for (size_t i = 0; i < set->Count(); ++i)
    {
        const Vec3 centre = Place(set->positions[i]);
        CRefPtr<CSpriteShape> shape(new CSpriteShape(centre.x, centre.y, centre.z, set->sizes[2 * i] * m_size[0],
                                                     set->sizes[2 * i + 1] * m_size[1], 0xFFFFFFFFu, texture, 1));
        shape->SetAxes(m_axisX.x, m_axisX.y, m_axisX.z, m_axisY.x, m_axisY.y, m_axisY.z, 0);
        if (blendMode != kBlendNormal)
            shape->SetBlendMode(1, blendMode);
        const float* t = &set->textureRects[4 * i];
        shape->SetFrameUV(0, t[0], t[1], t[2], t[3]);
        shape->SetAlpha(0.0f);
        shape->zOrder = zOrder;
        if (m_spriteList)
            m_spriteList->Add(shape);
        m_shapes.push_back(shape);
    }
}

void CTotem::RemoveShapes()
{
    if (m_spriteList)
    {
        for (const CRefPtr<CSpriteShape>& shape : m_shapes)
            m_spriteList->Remove(shape);
        for (const CRefPtr<CSpriteShape>& shape : m_lightShapes)
            m_spriteList->Remove(shape);
    }
    m_shapes.clear();
    m_lightShapes.clear();
}

void CTotem::LayerSets(const CSpriteSet* sets[2]) const
{
    sets[0] = sets[1] = nullptr;
    if (!m_shapeSets)
        return;
    const CTotemShapeSets& s = *m_shapeSets;
    switch (m_mode)
    {
    case TotemMode::Panel:
        sets[0] = CTotemShapeSets::AtLevel(s.m_small, m_level);
        return;
    case TotemMode::Centre:
        sets[0] = CTotemShapeSets::AtLevel(s.m_shadow, m_level);
        sets[1] = CTotemShapeSets::AtLevel(s.m_main, m_level);
        return;
    case TotemMode::Shop:
        sets[0] = CTotemShapeSets::AtLevel(s.m_shadow, m_level);
        sets[1] = CTotemShapeSets::AtLevel(s.m_shop, m_level);
        return;
    }
}

void CTotem::LayOut(bool rescale)
{
    const auto placeShape = [this, rescale](CSpriteShape& shape, const CSpriteSet& set, size_t i) {
        shape.position = Place(set.positions[i]);
        if (rescale)
            shape.SetScale(set.sizes[2 * i] * m_size[0], set.sizes[2 * i + 1] * m_size[1]);
    };
    // The shapes follow the points of the mode's sets in order; a shape
    // without a point (or a point without a shape) is left alone.
    const CSpriteSet* sets[2];
    LayerSets(sets);
    size_t shape = 0;
    for (const CSpriteSet* set : sets)
        for (size_t i = 0; set && i < set->Count() && shape < m_shapes.size(); ++i, ++shape)
            placeShape(*m_shapes[shape], *set, i);
    if (m_mode != TotemMode::Centre || !m_shapeSets || !m_shapeSets->m_light)
        return;
    const CSpriteSet& lights = *m_shapeSets->m_light;
    for (size_t k = 0; k < m_lightShapes.size() && k < lights.Count(); ++k)
        placeShape(*m_lightShapes[k], lights, k);
}

void CTotem::SetPosition(float x, float y, float z)
{
    m_position = Vec3{x, y, z};
    LayOut(false);
}

void CTotem::SetSize(float w, float h)
{
    m_size[0] = w;
    m_size[1] = h;
    LayOut(true);
}

void CTotem::MoveTo(float x, float y, float z, float w, float h, float duration)
{
    m_moveTimer = 0.0f;
    m_moveFromPosition = m_position;
    m_moveToPosition = Vec3{x, y, z};
    m_moveFromSize[0] = m_size[0];
    m_moveFromSize[1] = m_size[1];
    m_moveToSize[0] = w;
    m_moveToSize[1] = h;
    m_moveDuration = duration;
    m_state = TotemState::Moving;
}

void CTotem::VanishExtras(bool drop)
{
    for (const CRefPtr<CSpriteShape>& light : m_lightShapes)
    {
        light->fadeSpeed = kVanishSpeed;
        light->FadeTo(0.0f);
        light->mortal = 1;
        light->life = 1.0f / kVanishSpeed;
    }
    if (drop)
        m_lightShapes.clear();
}

void CTotem::BuildShapes(int32_t count)
{
    if (!m_shapeSets || !m_shapeSets->m_light)
        return;
    const CSpriteSet& lights = *m_shapeSets->m_light;
    // Lights the set does not describe are not made.
    const size_t wanted = std::min(size_t(std::max(count, 0)), lights.Count());
    for (size_t i = m_lightShapes.size(); i < wanted; ++i)
    {
        const Vec3 centre = Place(lights.positions[i]);
        const float w = lights.sizes[2 * i] * m_size[0], h = lights.sizes[2 * i + 1] * m_size[1];
        CRefPtr<CSpriteShape> light(new CSpriteShape(centre.x, centre.y, centre.z, w, h, 0xFFFFFFFFu, m_lightsTexture, 1));
        light->SetAxes(m_axisX.x, m_axisX.y, m_axisX.z, m_axisY.x, m_axisY.y, m_axisY.z, 0);
        const float* t = &lights.textureRects[4 * i];
        light->SetFrameUV(0, t[0], t[1], t[2], t[3]);
        light->SetAlpha(1.0f);
        light->fadeSpeed = kLightFadeSpeed;
        light->FadeTo(1.0f);
        light->zOrder = m_zOrder - 2;
        if (m_spriteList)
            m_spriteList->Add(light);
        m_lightShapes.push_back(light);

        // A flash that grows, turns and fades over the new light; only the list keeps it.
        CRefPtr<CSpriteShape> flash(new CSpriteShape(centre.x, centre.y, centre.z, w, w, m_shineColour, m_sharedTexture, 1));
        flash->SetBlendMode(1, kBlendAdd);
        flash->SetAlpha(1.0f);
        flash->fadeSpeed = kLightFadeSpeed;
        flash->zOrder = m_zOrder - 3;
        if (m_spriteList)
            m_spriteList->Add(flash);
        flash->FadeTo(0.0f);
        flash->scaleSpeedX = flash->scaleSpeedY = w * 4.0f * kLightFadeSpeed;
        flash->SetScaleTarget(w * kFlashGrowth, w * kFlashGrowth);
        flash->spinning = 1;
        flash->spinSpeed = kFlashSpin;
        flash->mortal = 1;
        flash->life = 1.0f / kLightFadeSpeed;
    }
}

void CTotem::FadeOut(float speed)
{
    m_state = TotemState::FadingOut;
    m_fadeSpeed = speed;
    m_alphaTarget = 0.0f;
}

void CTotem::SetAlpha(float alpha, bool alsoTarget)
{
    m_alpha = alpha;
    if (alsoTarget)
        m_alphaTarget = alpha;
    for (const CRefPtr<CSpriteShape>& shape : m_shapes)
        shape->SetAlpha(m_alpha);
    for (const CRefPtr<CSpriteShape>& shape : m_lightShapes)
        shape->SetAlpha(m_alpha);
}

void CTotem::SetZOrder(int32_t z)
{
    m_zOrder = z;
    if (m_shapes.empty())
        return;
    const int32_t d = z - m_shapes.front()->zOrder;
    for (const CRefPtr<CSpriteShape>& shape : m_shapes)
        shape->zOrder += d;
    for (const CRefPtr<CSpriteShape>& shape : m_lightShapes)
        shape->zOrder += d;
}

void CTotem::Activate(int32_t charge)
{
    m_charge = charge + 1;
    m_state = charge == 2 ? TotemState::ActiveFull : TotemState::Active;
}

void CTotem::SetResources(const TotemResources& r)
{
    m_spriteList = r.spriteList;
    m_particles = r.particles;
    m_spriteBatch = r.spriteBatch;
    m_smallTexture = r.smallTexture;
    m_shadowTexture = r.shadowTexture;
    m_lightsTexture = r.lightsTexture;
    m_bodyTexture = r.bodyTexture;
    m_sharedTexture = r.sharedTexture;
}

void CTotem::Configure(const CTotemSettings& settings)
{
    if (m_colour >= 0 && m_colour < kTotemColourCount)
        m_shineColour = settings.m_looks[m_colour].shineColour;
}

void CTotem::SetArmed(int32_t, int32_t) {}

void CTotem::SetShieldMode(int32_t) {}

void CTotem::OnMatchCells(const std::vector<Vec3>&, const std::vector<CCellPos>&) {}

void CTotem::CollectRecords(std::vector<TotemCellRecord>&) {}

void CTotem::UpdateOwn(float) {}

bool CTotem::UpdateActive(float)
{
    return true;
}

bool CTotem::UpdateOpacity(float dt)
{
    if (m_alpha > m_alphaTarget)
    {
        SetAlpha(std::max(m_alpha - dt * m_fadeSpeed, m_alphaTarget), false);
        if (m_alpha == 0.0f && m_state == TotemState::FadingOut)
        {
            m_event = TotemEvent::FadedOut;
            return true;
        }
    }
    else if (m_alpha == 0.0f && m_alphaTarget == 0.0f && m_state == TotemState::FadingOut &&
             m_event != TotemEvent::FadedOut)
    {
        // Told to fade before it ever showed: it is gone at once, and says so once.
        m_event = TotemEvent::FadedOut;
        return true;
    }
    else if (m_alpha < m_alphaTarget)
    {
        SetAlpha(std::min(m_alpha + dt * m_fadeSpeed, m_alphaTarget), false);
        if (m_alpha == 1.0f && m_mode == TotemMode::Shop)
        {
            m_event = TotemEvent::FadedIn;
            return true;
        }
    }
    return false;
}

bool CTotem::UpdateMove(float dt)
{
    m_moveTimer += dt;
    const float t = m_moveDuration > 0.0f ? std::min(m_moveTimer / m_moveDuration, 1.0f) : 1.0f;
    const float s = 1.0f - t;
    m_position = Vec3{m_moveFromPosition.x * s + m_moveToPosition.x * t, m_moveFromPosition.y * s + m_moveToPosition.y * t,
                      m_moveFromPosition.z * s + m_moveToPosition.z * t};
    SetSize(m_moveFromSize[0] * s + m_moveToSize[0] * t, m_moveFromSize[1] * s + m_moveToSize[1] * t);
    if (t < 1.0f)
        return false;
    m_event = TotemEvent::MoveDone;
    return true;
}

bool CTotem::EndActivePhase()
{
    const bool full = m_state == TotemState::ActiveFull;
    m_event = full ? TotemEvent::EndedActiveFull : TotemEvent::EndedActive;
    // From level 3 (the blue totem: 2) a partial charge leaves the totem armed again.
    const int32_t rearmLevel = m_colour == kTotemBlue ? 2 : 3;
    if (full || m_level < rearmLevel)
        m_state = TotemState::Spent;
    else
    {
        m_state = TotemState::Rearmed;
        if (m_colour == kTotemRed)
            SetArmed(1, 3);
    }
    return true;
}

bool CTotem::Update(float dt)
{
    if (UpdateOpacity(dt))
        return true;
    UpdateOwn(dt);
    switch (m_state)
    {
    case TotemState::Moving:
        return UpdateMove(dt);
    case TotemState::Active:
    case TotemState::ActiveFull:
        return UpdateActive(dt) && EndActivePhase();
    default:
        return false;
    }
}
