#include "totems/BlueTotem.h"

#include "board/BoardGeometry.h"
#include "effects/ParticleMath.h"
#include "effects/SpriteCrackKeeper.h"
#include "totems/TotemSettings.h"
#include "totems/TotemsManager.h"

#include <algorithm>
#include <cmath>

using namespace totemfx;
using pmath::Add;
using pmath::Mul;
using pmath::Sub;

namespace
{

const float kBoltDepth = -100.0f;
const float kBoltWidthPerLength = 0.075f;
const float kBoltTuningPerWidth = 0.015f;
const int32_t kBoltSegments = 4;
const int32_t kChargingBoltCapacity = 10;
const int32_t kReleasedBoltsPerStep = 6;
const int32_t kCrossBoltCapacity = 20;
const float kCrossBoltLife = 0.2f;
const float kCapsFlashDepth = 50.0f;
const int32_t kCapsPieceCapacity = 40;
const int32_t kHaloSpellCapacity = 100;
const float kQuarterTurn = 1.5707964f;
const int32_t kEffectDepthOrder = 5;
const float kFlyingBoltTuning = 4.0f;
const float kStrikeTuning = 5.0f;
const float kStrikeLife = 0.225f;
const Vec3 kAcross{0.0f, 1.0f, 0.0f};
const Vec3 kAlong{1.0f, 0.0f, 0.0f};

Vec3 UnitOr(const Vec3& v, const Vec3& fallback)
{
    return pmath::NormalOr(v, fallback);
}

} // namespace

// ---------------------------------------------------------------------------------
// CBlueBolt
// ---------------------------------------------------------------------------------

CBlueBolt::~CBlueBolt()
{
    if (m_system)
        m_system->StopEmission();
    if (m_glow)
        m_glow->FadeOutNow();
}

void CBlueBolt::Start(const Vec3& from, const Vec3& to, float width, float height, float speed, int32_t column,
                      int32_t row, uint32_t colour, CRefPtr<CParticleSystemsManager> particles,
                      CRefPtr<CSpriteBatch> spriteBatch, CRefPtr<CTexture> lightningTexture,
                      CRefPtr<CTexture> sparkTexture)
{
    m_from = from;
    m_to = to;
    m_width = width;
    m_height = height;
    m_speed = speed;
    m_column = column;
    m_row = row;
    m_boltRgb = colour & 0x00FFFFFFu;
    m_particles = particles;
    m_spriteBatch = spriteBatch;
    m_lightningTexture = lightningTexture;
    m_sparkTexture = sparkTexture;
    m_delta = Sub(to, from);
    m_length = pmath::Length(m_delta);
    // A token right under the totem's point: the bolt strikes on its first update.
    if (m_length > 0.0f)
        m_direction = Mul(m_delta, 1.0f / m_length);
    m_normal = Vec3{-m_direction.y, m_direction.x, 0.0f};
    m_travel = 0.0f;
    m_system = AddBolt(m_particles.Get(), BoltEnd{m_from, m_normal, 2.0f, m_height * 0.5f},
                       BoltEnd{Add(m_from, m_direction), m_normal, 2.0f, m_height * 0.5f}, kBoltSegments, 3, m_boltRgb,
                       kFlyingBoltTuning, kForever, 20, m_lightningTexture);
    m_glow = AddSprite(nullptr, m_from, m_sparkTexture, m_boltRgb, m_height, m_height, SpriteTimes{0.05f, kForever, 0.1f});
    m_glow->SetAxes(m_direction.x, m_direction.y, m_direction.z, m_normal.x, m_normal.y, m_normal.z);
    if (m_spriteBatch)
        m_spriteBatch->Add(m_glow);
}

bool CBlueBolt::Update(float dt)
{
    m_travel += m_speed * dt;
    float tail = std::min(std::max(m_travel - m_width, 0.0f), m_length);
    float head = std::min(std::max(m_travel, 0.0f), m_length);
    const bool flying = tail < m_length;
    if (head == tail)
    {
        if (tail == 0.0f)
            head = tail + 1.0f;
        else
            tail = head - 1.0f;
    }
    const Vec3 a = Add(m_from, Mul(m_direction, tail)), b = Add(m_from, Mul(m_direction, head));
    if (auto* bolt = dynamic_cast<CThunderboltParticleSystem*>(m_system.Get()))
        bolt->MoveTo(a.x, a.y, a.z, m_normal.x, m_normal.y, m_normal.z, 2.0f, b.x, b.y, b.z, m_normal.x, m_normal.y,
                     m_normal.z, 2.0f);
    if (m_glow)
    {
        m_glow->position = Mul(Add(a, b), 0.5f);
        m_glow->SetScale(head - tail + m_height, m_height);
    }
    if (!flying)
        Strike();
    return flying;
}

void CBlueBolt::Strike()
{
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    // From level 3 the strike covers the token's neighbours too.
    const float k = m_totemLevel > 2 ? 2.5f : 1.0f;
    const float w = g.cellWidth, h = g.cellHeight;
    AddSprite(m_spriteBatch.Get(), m_to, m_sparkTexture, m_boltRgb, 2.0f * k * w, 2.0f * k * h,
              SpriteTimes{0.0625f, 0.25f, 0.1f});
    const Vec3 dx{k * w * 0.5f, 0.0f, 0.0f}, dy{0.0f, k * h * 0.5f, 0.0f};
    AddBolt(m_particles.Get(), BoltEnd{Sub(m_to, dx), kAcross, 0.05f * k * h, 0.25f * k * h},
            BoltEnd{Add(m_to, dx), kAcross, 0.05f * k * h, 0.25f * k * h}, kBoltSegments, 3, m_boltRgb, kStrikeTuning,
            kStrikeLife, 20, m_lightningTexture);
    AddBolt(m_particles.Get(), BoltEnd{Sub(m_to, dy), kAlong, 0.05f * k * w, 0.25f * k * w},
            BoltEnd{Add(m_to, dy), kAlong, 0.05f * k * w, 0.25f * k * w}, kBoltSegments, 3, m_boltRgb, kStrikeTuning,
            kStrikeLife, 20, m_lightningTexture);
    if (m_system)
        m_system->StopEmission();
    if (m_glow)
        m_glow->FadeOutNow();
}

// ---------------------------------------------------------------------------------
// CBlueTotem
// ---------------------------------------------------------------------------------

CBlueTotem::CBlueTotem() : CTotem(kTotemBlue)
{
    m_shapes.reserve(9);
    m_segmentCentres.reserve(6);
    m_segmentDirections.reserve(6);
    m_segmentLengths.reserve(6);
    m_strikeSystems.reserve(3);
    m_flyingBolts.reserve(10);
    m_arrivedBolts.reserve(10);
    m_shieldShapes.reserve(4);
    m_shieldAges.reserve(4);
}

CBlueTotem::~CBlueTotem()
{
    CBlueTotem::RemoveShapes();
    m_flyingBolts.clear();
    m_arrivedBolts.clear();
}

void CBlueTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    CRefPtr<CTexture>* own[] = {&m_steelTexture, &m_lightningTexture, &m_sparkTexture};
    for (size_t i = 0; i < r.own.size() && i < 3; ++i)
        *own[i] = r.own[i];
}

void CBlueTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_blue;
}

void CBlueTotem::Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets)
{
    CTotem::Init(mode, shapeSets);
    m_capsFramed = 0;
    // The caps are the body's last two sprites, drawn over it: a body of one
    // sprite has none to break.
    if (mode != TotemMode::Centre || m_shapes.size() < 4)
        return;
    const auto& rects = m_settings.emptyRects[BlueTotemSettings::LevelIndex(m_level)];
    for (int i = 0; i < 2; ++i)
        m_shapes[m_shapes.size() - 2 + size_t(i)]->AddFrame(rects[i][0], rects[i][1], rects[i][2], rects[i][3]);
    m_capsFramed = 1;
}

void CBlueTotem::RemoveShapes()
{
    // The shields left behind fade out in the list, which then drops them.
    if (m_spriteList)
        for (const CRefPtr<CSpriteShape>& shape : m_shieldShapes)
        {
            shape->FadeTo(0.0f);
            shape->mortal = 1;
            shape->life = shape->fadeSpeed > 0.0f ? 1.0f / shape->fadeSpeed : 0.0f;
        }
    m_shieldMode = 0;
    for (const CRefPtr<CParticleSystem>& system : m_strikeSystems)
        if (system)
            system->StopEmission();
    m_strikeSystems.clear();
    CTotem::RemoveShapes();
    m_shieldShapes.clear();
    m_shieldAges.clear();
}

const TotemPictureBox& CBlueTotem::ShieldBox() const
{
    return m_mode == TotemMode::Panel ? m_settings.smallShield : m_settings.shield;
}

void CBlueTotem::PlaceShields(float wFactor, float hFactor)
{
    const Vec3 at = Place(ShieldBox().centre);
    for (const CRefPtr<CSpriteShape>& shape : m_shieldShapes)
    {
        shape->position = at;
        if (wFactor != 1.0f || hFactor != 1.0f)
            shape->SetScale(shape->scaleX * wFactor, shape->scaleY * hFactor);
    }
}

void CBlueTotem::SetPosition(float x, float y, float z)
{
    CTotem::SetPosition(x, y, z);
    PlaceShields(1.0f, 1.0f);
}

void CBlueTotem::SetSize(float w, float h)
{
    // Each shield keeps its share of the totem, whatever its age has made it.
    const float w0 = m_size[0], h0 = m_size[1];
    CTotem::SetSize(w, h);
    PlaceShields(w0 != 0.0f ? w / w0 : 1.0f, h0 != 0.0f ? h / h0 : 1.0f);
}

void CBlueTotem::SetZOrder(int32_t z)
{
    const int32_t d = m_shapes.empty() ? 0 : z - m_shapes.front()->zOrder;
    CTotem::SetZOrder(z);
    for (const CRefPtr<CSpriteShape>& shape : m_shieldShapes)
        shape->zOrder += d;
}

void CBlueTotem::SetShieldMode(int32_t value)
{
    m_shieldMode = value;
    if (value != 0)
        return;
    if (m_spriteList)
        for (const CRefPtr<CSpriteShape>& shape : m_shieldShapes)
            m_spriteList->Remove(shape);
    m_shieldShapes.clear();
    m_shieldAges.clear();
}

const std::vector<TotemSegment>& CBlueTotem::Begins() const
{
    return m_settings.boltBegins[BlueTotemSettings::LevelIndex(m_level)];
}

const std::vector<TotemSegment>& CBlueTotem::Ends() const
{
    return m_settings.boltEnds[BlueTotemSettings::LevelIndex(m_level)];
}

void CBlueTotem::MeasureSegments()
{
    m_segmentCentres.clear();
    m_segmentDirections.clear();
    m_segmentLengths.clear();
    const std::vector<TotemSegment>& begins = Begins();
    const std::vector<TotemSegment>& ends = Ends();
    for (size_t j = 0; j < begins.size() && j < ends.size(); ++j)
        for (const TotemSegment* s : {&begins[j], &ends[j]})
        {
            const Vec3 a = Place(Vec3{s->a.x, s->a.y, kBoltDepth});
            const Vec3 b = Place(Vec3{s->b.x, s->b.y, kBoltDepth});
            const Vec3 d = Sub(b, a);
            m_segmentLengths.push_back(pmath::Length(d));
            m_segmentCentres.push_back(Mul(Add(a, b), 0.5f));
            m_segmentDirections.push_back(UnitOr(d, kAlong));
        }
}

BoltEnd CBlueTotem::SegmentEnd(size_t k) const
{
    const float length = m_segmentLengths[k];
    return BoltEnd{m_segmentCentres[k], m_segmentDirections[k], length, kBoltWidthPerLength * length};
}

void CBlueTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    m_phaseTimer = 0.0f;
    m_step = 0;
    m_strikeReady = 0;
    m_minRemaining = m_settings.strikeTime + m_settings.preTime + (m_charge == 3 ? 1.2f : 0.35f);
    // Measured now, so that a first frame longer than the charge still has them.
    MeasureSegments();
}

void CBlueTotem::Charge()
{
    const size_t bolts = m_segmentLengths.size() / 2;
    const float life = m_settings.preTime - m_phaseTimer;
    for (size_t j = 0; j < bolts; ++j)
        AddBolt(m_particles.Get(), SegmentEnd(2 * j), SegmentEnd(2 * j + 1), kBoltSegments, 1, m_settings.boltColour,
                kBoltTuningPerWidth * m_size[0], life, kChargingBoltCapacity, m_lightningTexture);
    if (m_step == 0)
        for (size_t j = 0; j < bolts; ++j)
        {
            const Vec3& a = m_segmentCentres[2 * j];
            const Vec3& b = m_segmentCentres[2 * j + 1];
            const float scale = 3.0f * pmath::Length(Sub(b, a));
            CRefPtr<CBatchSprite> glow =
                AddSprite(m_spriteBatch.Get(), Mul(Add(a, b), 0.5f), m_sparkTexture, m_settings.boltColour, scale, scale,
                          SpriteTimes{life, life, 0.1f * m_settings.preTime});
            glow->alphaFactor = 0.75f;
        }
    if (m_charge == 3)
        HaloBurst();
    ++m_step;
}

void CBlueTotem::Release()
{
    const size_t bolts = m_segmentLengths.size() / 2;
    for (size_t j = 0; j < bolts; ++j)
        m_strikeSystems.push_back(AddBolt(m_particles.Get(), SegmentEnd(2 * j), SegmentEnd(2 * j + 1), kBoltSegments,
                                          m_stepCount, m_settings.boltColour, kBoltTuningPerWidth * m_size[0], kForever,
                                          kReleasedBoltsPerStep * m_stepCount, m_lightningTexture));
    m_step = m_stepCount + kBlueReleased;
}

void CBlueTotem::Converge()
{
    const float t = m_settings.strikeTime > 0.0f
                        ? std::min((m_phaseTimer - m_settings.preTime) / m_settings.strikeTime, 1.0f)
                        : 1.0f;
    const float s = 1.0f - t;
    const Vec3 target = Place(m_settings.target);
    for (size_t j = 0; j < m_strikeSystems.size() && 2 * j + 1 < m_segmentLengths.size(); ++j)
    {
        auto* bolt = dynamic_cast<CThunderboltParticleSystem*>(m_strikeSystems[j].Get());
        if (!bolt)
            continue;
        Vec3 a = Add(Mul(m_segmentCentres[2 * j], s), Mul(target, t));
        Vec3 b = Add(Mul(m_segmentCentres[2 * j + 1], s), Mul(target, t));
        a.x -= 1.0f;
        b.x += 1.0f;
        const Vec3 da = Add(Mul(m_segmentDirections[2 * j], s), Vec3{0.0f, t, 0.0f});
        const Vec3 db = Add(Mul(m_segmentDirections[2 * j + 1], s), Vec3{0.0f, t, 0.0f});
        const float la = m_segmentLengths[2 * j] + t * (1.0f - m_segmentLengths[2 * j]);
        const float lb = m_segmentLengths[2 * j + 1] + t * (1.0f - m_segmentLengths[2 * j + 1]);
        bolt->MoveTo(a.x, a.y, a.z, da.x, da.y, da.z, la, b.x, b.y, b.z, db.x, db.y, db.z, lb);
        bolt->startJitter = kBoltWidthPerLength * la;
        bolt->endJitter = kBoltWidthPerLength * lb;
    }
}

void CBlueTotem::ShowCaps(int32_t frame)
{
    if (!m_capsFramed || m_shapes.size() < 2)
        return;
    m_shapes[m_shapes.size() - 2]->currentFrame = frame;
    m_shapes.back()->currentFrame = frame;
}

void CBlueTotem::BreakCaps()
{
    for (const CRefPtr<CParticleSystem>& system : m_strikeSystems)
        if (system)
            system->StopEmission();
    m_strikeSystems.clear();
    ShowCaps(1);
    const Vec3 caps = Place(m_settings.caps.centre);
    const float capsW = m_settings.caps.size[0] * m_size[0], capsH = m_settings.caps.size[1] * m_size[1];
    if (m_particles)
    {
        const float rect[4] = {0.0f, 0.0f, 0.65625f, 1.0f};
        m_particles->AddCrackPieces(caps, capsW, capsH, rect, 6, kCapsPieceCapacity, m_steelTexture);
    }
    const Vec3 flash{caps.x, caps.y, caps.z - kCapsFlashDepth};
    AddSprite(m_spriteBatch.Get(), flash, m_sparkTexture, m_settings.boltColour, 1.5f * capsW, 1.5f * capsH,
              SpriteTimes{0.05f, 0.05f, 0.1f});
    CrossCaps(flash, capsW, capsH);
    m_strikeReady = 1;
    m_step = m_stepCount + kBlueWaiting;
}

void CBlueTotem::CrossCaps(const Vec3& at, float capsW, float capsH)
{
    const float tuning = kBoltTuningPerWidth * m_size[0];
    const Vec3 dx{capsW * 0.5f, 0.0f, 0.0f}, dy{0.0f, capsH * 0.5f, 0.0f};
    AddBolt(m_particles.Get(), BoltEnd{Sub(at, dx), kAcross, 0.2f * capsH, 0.25f * capsH},
            BoltEnd{Add(at, dx), kAcross, 0.2f * capsH, 0.25f * capsH}, kBoltSegments, 3, m_settings.boltColour, tuning,
            kCrossBoltLife, kCrossBoltCapacity, m_lightningTexture);
    AddBolt(m_particles.Get(), BoltEnd{Sub(at, dy), kAlong, 0.2f * capsW, 0.25f * capsW},
            BoltEnd{Add(at, dy), kAlong, 0.2f * capsW, 0.25f * capsW}, kBoltSegments, 3, m_settings.boltColour, tuning,
            kCrossBoltLife, kCrossBoltCapacity, m_lightningTexture);
}

void CBlueTotem::HaloBurst()
{
    const Vec3 p = Place(m_settings.shield.centre);
    const float side = m_settings.shield.size[0];
    const uint32_t colour = m_settings.shieldColour | 0xFF000000u;
    CRefPtr<CSpriteShape> halo(new CSpriteShape(p.x, p.y, p.z, 0.05f * side * m_size[0], 0.05f * side * m_size[1],
                                                colour, m_sharedTexture, 1));
    halo->SetBlendMode(1, kBlendAdd);
    halo->SetAlpha(1.0f);
    halo->zOrder = m_zOrder - kEffectDepthOrder;
    halo->fadeSpeed = 2.0f;
    halo->FadeTo(0.0f);
    halo->scaleSpeedX = 8.0f * side * m_size[0];
    halo->scaleSpeedY = 8.0f * side * m_size[1];
    halo->SetScaleTarget(5.0f * side * m_size[0], 5.0f * side * m_size[0]);
    halo->spinning = 1;
    halo->spinSpeed = kQuarterTurn;
    halo->mortal = 1;
    halo->life = 0.5f;
    if (m_spriteList)
        m_spriteList->Add(halo);
    if (!m_particles)
        return;
    CSpellsSpringParametres block(Vec3{p.x, p.y, p.z - 100.0f}, Vec3{0.0f, 0.0f, 0.0f}, 400.0f, 100.0f, 24.0f, 12.0f,
                                  m_settings.shieldColour);
    block.fadeRate = 4.0f;
    block.fadeSpread = 1.0f;
    block.duration = 1.0f;
    block.rate = m_speedFactor * 80.0f;
    CRefPtr<CParticleSystem> spells;
    m_particles->AddSpellsSystem(spells, block, kHaloSpellCapacity, m_sparkTexture);
}

bool CBlueTotem::UpdateActive(float dt)
{
    m_phaseTimer += dt;
    const int32_t n = m_stepCount;
    const float pre = m_settings.preTime;
    if (m_step <= n && m_phaseTimer < pre)
    {
        const int32_t due = std::min(int32_t(std::floor(m_phaseTimer * float(n) / pre)) + 1, n);
        while (m_step < due)
            Charge();
    }
    else if (m_step <= n)
        Release();
    if (m_step == n + kBlueReleased)
    {
        if (m_phaseTimer < pre + m_settings.strikeTime)
            Converge();
        else
            BreakCaps();
    }
    if (m_step == n + kBlueFlying)
        for (size_t i = 0; i < m_flyingBolts.size();)
        {
            if (m_flyingBolts[i]->Update(dt))
                ++i;
            else
            {
                m_arrivedBolts.push_back(m_flyingBolts[i]);
                m_flyingBolts.erase(m_flyingBolts.begin() + std::ptrdiff_t(i));
            }
        }
    m_minRemaining -= dt;
    if (m_step < n + kBlueFlying || m_minRemaining > 0.0f || !m_flyingBolts.empty() || !m_arrivedBolts.empty())
        return false;
    ShowCaps(0);
    return true;
}

void CBlueTotem::OnMatchCells(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
{
    OnMatch(points, cells);
}

void CBlueTotem::OnMatch(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
{
    const Vec3 from = Place(m_settings.target);
    const size_t n = std::min(points.size(), cells.size());
    for (size_t i = 0; i < n; ++i)
    {
        CRefPtr<CBlueBolt> bolt(new CBlueBolt());
        bolt->Start(from, Vec3{points[i].x, points[i].y, from.z}, m_settings.boltSize[0], m_settings.boltSize[1],
                    m_settings.boltSpeed, cells[i].column, cells[i].row, m_settings.boltColour, m_particles,
                    m_spriteBatch, m_lightningTexture, m_sparkTexture);
        bolt->m_totemLevel = m_level;
        m_flyingBolts.push_back(bolt);
    }
    m_strikeReady = 0;
    m_step = m_stepCount + kBlueFlying;
}

void CBlueTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    TotemCellRecord record;
    record.kind = kTotemBlue;
    if (m_strikeReady)
    {
        record.value = m_charge;
        records.push_back(record);
        return;
    }
    if (m_arrivedBolts.empty())
        return;
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    record.factor = m_level >= 3 ? 1.0f : 0.0f;
    const auto strike = [&](int32_t column, int32_t row) {
        record.column = column;
        record.row = row;
        records.push_back(record);
    };
    for (const CRefPtr<CBlueBolt>& bolt : m_arrivedBolts)
    {
        const int32_t c = bolt->m_column, r = bolt->m_row;
        strike(c, r);
        if (m_level <= 2)
            continue;
        if (c > 0)
            strike(c - 1, r);
        if (c < g.columns - 1)
            strike(c + 1, r);
        if (r > 0)
            strike(c, r - 1);
        if (r < g.rows - 1)
            strike(c, r + 1);
    }
    m_arrivedBolts.clear();
}

void CBlueTotem::UpdateOwn(float dt)
{
    if (m_shieldMode)
        UpdateShield(dt);
}

void CBlueTotem::UpdateShield(float dt)
{
    const TotemPictureBox& box = ShieldBox();
    const float life = m_settings.shieldLifeTime > 0.0f ? m_settings.shieldLifeTime : 1.0f;
    for (size_t i = 0; i < m_shieldShapes.size();)
    {
        m_shieldAges[i] += dt;
        if (m_shieldAges[i] >= life)
        {
            if (m_spriteList)
                m_spriteList->Remove(m_shieldShapes[i]);
            m_shieldShapes.erase(m_shieldShapes.begin() + std::ptrdiff_t(i));
            m_shieldAges.erase(m_shieldAges.begin() + std::ptrdiff_t(i));
            continue;
        }
        const float f = m_shieldAges[i] / life;
        CSpriteShape& shape = *m_shieldShapes[i];
        if (f >= 0.5f)
            shape.FadeTo(0.0f);
        const float s = (m_settings.shieldMaxFactor - m_settings.shieldMinFactor) * f + m_settings.shieldMinFactor;
        shape.SetScale(s * box.size[0] * m_size[0], s * box.size[1] * m_size[1]);
        ++i;
    }
    m_shieldClock += dt;
    const float birth = m_settings.shieldBirth > 0.0f ? m_settings.shieldBirth : 1.0f;
    if (m_shieldClock < birth)
        return;
    // One new shape however many periods passed.
    m_shieldClock -= std::floor(m_shieldClock / birth) * birth;
    AddShieldShape();
}

void CBlueTotem::AddShieldShape()
{
    const bool small = m_mode == TotemMode::Panel;
    const TotemPictureBox& box = ShieldBox();
    const float life = m_settings.shieldLifeTime > 0.0f ? m_settings.shieldLifeTime : 1.0f;
    const Vec3 p = Place(box.centre);
    const float k = m_settings.shieldMinFactor;
    CRefPtr<CSpriteShape> shape(new CSpriteShape(p.x, p.y, p.z, k * box.size[0] * m_size[0],
                                                 k * box.size[1] * m_size[1], m_settings.shieldColour, m_bodyTexture, 1));
    shape->SetBlendMode(1, kBlendAdd);
    shape->SetAxes(m_axisX.x, m_axisX.y, m_axisX.z, m_axisY.x, m_axisY.y, m_axisY.z, 0);
    if (m_mode != TotemMode::Shop)
    {
        const float* t = small ? m_settings.smallShieldRect : m_settings.shieldRect;
        shape->SetFrameUV(0, t[0], t[1], t[2], t[3]);
    }
    shape->SetAlpha(0.0f);
    shape->zOrder = m_zOrder - kEffectDepthOrder;
    shape->zWrite = 0;
    shape->fadeSpeed = 2.0f / life;
    shape->FadeTo(1.0f);
    if (m_spriteList)
        m_spriteList->Add(shape);
    m_shieldShapes.push_back(shape);
    m_shieldAges.push_back(0.0f);
}
