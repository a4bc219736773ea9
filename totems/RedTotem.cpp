#include "totems/RedTotem.h"

#include "board/BoardGeometry.h"
#include "board/LevelParams.h"
#include "effects/ParticleMath.h"
#include "engine/Random.h"
#include "totems/TotemSettings.h"
#include "totems/TotemSprites.h"
#include "totems/TotemsManager.h"

#include <algorithm>
#include <cmath>

using namespace totemfx;

namespace
{

const int32_t kBallCapacity = 40;
const int32_t kExplosionCapacity = 80;
const int32_t kSparksCapacity = 40;
const float kLaunchWait = 0.2f;
const float kSparkleZoom = 2.0f;
const float kSparkleZoomRate = 5.0f;

// A spells system's size and spread, or zeros for another kind.
void SpellSizes(const CParticleSystem& system, float& size, float& spread)
{
    const auto* spells = dynamic_cast<const CSpellsParticleSystem*>(&system);
    size = spells ? spells->size : 0.0f;
    spread = spells ? spells->sizeSpread : 0.0f;
}

uint32_t SpellColour(const CParticleSystem& system)
{
    const auto* spells = dynamic_cast<const CSpellsParticleSystem*>(&system);
    return spells ? spells->colour : 0xFFFFFFu;
}

// A sparkle's or flash's spin: either way, at about half a turn a second.
void SpinLikeASparkle(CBatchSprite& sprite)
{
    const float sign = RandomUnit() >= 0.5f ? 1.0f : -1.0f;
    const float speed = sign * kPi * (512.0f + (2.0f * RandomUnit() - 1.0f) * 256.0f) / 512.0f;
    SpinRandomly(sprite, speed);
}

} // namespace

// ---------------------------------------------------------------------------------
// CRedTotemMissile
// ---------------------------------------------------------------------------------

CRedTotemMissile::~CRedTotemMissile()
{
    // Gone in flight: the riding sparks die and the sparkles fade at once.
    if (m_riding)
        m_riding->Kill();
    for (const CRefPtr<CBatchSprite>& s : m_sparkles)
        s->FadeOutNow();
}

void CRedTotemMissile::Launch(float speedFactor, int32_t sizeClass, int32_t column, int32_t row, const Vec3& from,
                              const Vec3& to, float duration, CRefPtr<CTexture> blastTexture, uint32_t blastColour,
                              const CRefPtr<CParticleSystem>& glow, CRefPtr<CParticleSystem> riding,
                              CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteBatch> spriteBatch)
{
    m_speedFactor = speedFactor;
    m_sizeClass = sizeClass;
    m_column = column;
    m_row = row;
    m_position = m_from = from;
    m_to = to;
    m_timer = 0.0f;
    m_duration = duration;
    m_blastTexture = blastTexture;
    m_blastColour = blastColour;
    m_riding = riding;
    m_particles = particles;
    m_spriteBatch = spriteBatch;
    if (!glow)
        return;
    float size = 0.0f, spread = 0.0f;
    SpellSizes(*glow, size, spread);
    for (int i = 0; i < 3; ++i)
    {
        const float scale = size + (2.0f * RandomUnit() - 1.0f) * spread;
        CRefPtr<CBatchSprite> s = AddSprite(nullptr, m_position, glow->texture, SpellColour(*glow), scale, scale,
                                            SpriteTimes{0.1f, kForever, 0.1f});
        SpinLikeASparkle(*s);
        s->StartZoom(kSparkleZoom, kSparkleZoomRate);
        if (m_spriteBatch)
            m_spriteBatch->Add(s);
        m_sparkles.push_back(s);
    }
}

bool CRedTotemMissile::Fly(float dt)
{
    m_timer += dt;
    if (m_timer < 0.0f)
        return false;
    m_timer = std::min(m_timer, m_duration);
    const float t = m_duration > 0.0f ? m_timer / m_duration : 1.0f;
    m_position = pmath::Add(pmath::Mul(m_from, 1.0f - t), pmath::Mul(m_to, t));
    if (m_riding)
        m_riding->MoveTo(m_position.x, m_position.y, m_position.z);
    for (const CRefPtr<CBatchSprite>& s : m_sparkles)
        s->position = m_position;
    return m_timer >= m_duration;
}

void CRedTotemMissile::Explode()
{
    const float k = float(m_sizeClass) * 0.5f + 0.5f;
    const float w = g_totemBoardGeometry.cellWidth;
    const CRefPtr<CTexture> ridingTexture = m_riding ? m_riding->texture : CRefPtr<CTexture>();
    const uint32_t ridingColour = m_riding ? SpellColour(*m_riding) : m_blastColour;
    if (m_particles)
    {
        CExplosionParametres blast(m_position, Vec3{0.0f, 0.0f, 0.0f}, Vec3{0.0f, 0.0f, 0.0f}, k * w, 0.5f,
                                   int32_t(m_speedFactor * 8.0f), m_blastColour, 0);
        blast.size = w * k;
        blast.sizeSpread = w * 0.25f * k;
        blast.growth *= 512.0f;
        blast.growthSpread *= 512.0f;
        CRefPtr<CParticleSystem> system;
        m_particles->AddExplosionSystem(system, blast, kExplosionCapacity, m_blastTexture);

        CSparksSpringParametres sparks(m_position, Vec3{0.0f, 50.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f}, 200.0f, 100.0f,
                                       ridingColour);
        sparks.sparkWidth = 0.2f * w;
        sparks.lengthFactor = 0.01f;
        sparks.maxLength = w;
        sparks.fadeRate = 0.75f;
        sparks.duration = 0.1f;
        sparks.rate = m_speedFactor * 150.0f;
        sparks.radial = 1;
        CRefPtr<CParticleSystem> sparkSystem;
        m_particles->AddSparksSystem(sparkSystem, sparks, kSparksCapacity, ridingTexture);
        if (auto* s = dynamic_cast<CSparksParticleSystem*>(sparkSystem.Get()))
        {
            const float g = s->environment ? s->environment->gravity.y : 0.0f;
            if (g != 0.0f)
                s->newSparkGravityScale = -500.0f / g;
            s->Update(0.1f);
        }
    }
    CRefPtr<CBatchSprite> flash = AddSprite(nullptr, m_position, ridingTexture, m_blastColour, 2.0f * w * k,
                                            2.0f * w * k, SpriteTimes{0.05f, 0.1f, 0.1f});
    SpinLikeASparkle(*flash);
    if (m_spriteBatch)
        m_spriteBatch->Add(flash);
    if (m_riding)
        m_riding->Kill();
    m_riding.Reset();
    for (const CRefPtr<CBatchSprite>& s : m_sparkles)
        s->FadeOutNow();
    m_sparkles.clear();
}

// ---------------------------------------------------------------------------------
// CRedTotem
// ---------------------------------------------------------------------------------

CRedTotem::CRedTotem() : CTotem(kTotemRed)
{
    m_shapes.reserve(3);
    m_balls.reserve(16);
    m_shineColour = 0xFFC8E0FFu;
    m_missiles.reserve(4);
    m_spentMissiles.reserve(4);
}

CRedTotem::~CRedTotem()
{
    CRedTotem::RemoveShapes();
    m_missiles.clear();
    m_spentMissiles.clear();
}

void CRedTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    if (r.own.size() > 0)
        m_sparkTexture = r.own[0];
    if (r.own.size() > 1)
        m_blastTexture = r.own[1];
}

void CRedTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_red;
}

void CRedTotem::RemoveShapes()
{
    SetArmed(0, 2);
    CTotem::RemoveShapes();
}

CRefPtr<CParticleSystem> CRedTotem::AddBall(const Vec3& at, const Vec3& velocity, float size, bool sparks) const
{
    CRefPtr<CParticleSystem> system;
    if (!m_particles)
        return system;
    // The glow hovers; the sparks rise out of it.
    CSpellsSpringParametres block(at, velocity, 0.25f * size, 0.125f * size, sparks ? 0.75f * size : size,
                                  sparks ? 0.25f * size : 0.5f * size,
                                  sparks ? m_settings.ballColour2 : m_settings.ballColour1);
    block.fadeRate = 0.75f;
    block.fadeSpread = 0.25f;
    block.duration = kForever;
    block.rate = m_speedFactor * (sparks ? 16.0f : 8.0f);
    block.randomAngle = 1;
    block.randomSpinSign = 1;
    block.spin = 512.0f;
    block.spinSpread = 256.0f;
    block.phaseStart = 1;
    m_particles->AddSpellsSystem(system, block, kBallCapacity, m_sparkTexture);
    return system;
}

void CRedTotem::SetPosition(float x, float y, float z)
{
    CTotem::SetPosition(x, y, z);
    PlaceBalls();
}

void CRedTotem::SetSize(float w, float h)
{
    CTotem::SetSize(w, h);
    PlaceBalls();
}

void CRedTotem::PlaceBalls()
{
    // Ball k owns systems 2k (its glow) and 2k + 1 (its sparks).
    for (size_t k = 0; 2 * k < m_balls.size() && k < size_t(RedTotemSettings::kBalls); ++k)
    {
        const Vec3 at = Place(m_settings.ballPoints[k]);
        for (size_t j = 2 * k; j < 2 * k + 2 && j < m_balls.size(); ++j)
            if (m_balls[j])
                m_balls[j]->MoveTo(at.x, at.y, at.z);
    }
}

void CRedTotem::SetArmed(int32_t on, int32_t step)
{
    if (!on)
    {
        for (const CRefPtr<CParticleSystem>& ball : m_balls)
            if (ball)
                ball->Kill();
        m_balls.clear();
        return;
    }
    int32_t counts[4];
    GetRedTotemTargetCounts(counts, m_level, step);
    // Balls already hovering stay; the level's others join them.
    for (int32_t i = int32_t(m_balls.size() / 2); i < BallCount(); ++i)
    {
        const float s = (float(counts[i]) * 0.05f + 0.05f) * m_size[0];
        const Vec3 at = Place(m_settings.ballPoints[i]);
        m_balls.push_back(AddBall(at, Vec3{0.0f, 0.0f, 0.0f}, s, false));
        m_balls.push_back(AddBall(at, Vec3{0.0f, 25.0f, 0.0f}, s, true));
    }
}

void CRedTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    int32_t counts[4];
    GetRedTotemTargetCounts(counts, m_level, charge + 1);
    // Only the balls that hover fly.
    const int32_t n = std::min(BallCount(), int32_t(m_balls.size() / 2));
    for (int32_t i = 0; i < n; ++i)
    {
        const CRefPtr<CParticleSystem> glow = m_balls[size_t(2 * i)];
        const CRefPtr<CParticleSystem> sparks = m_balls[size_t(2 * i + 1)];
        LaunchMissile(std::max(counts[i], 1), glow, sparks);
        if (glow && sparks)
            LaunchBurst(*sparks, *glow);
        if (glow)
            glow->Kill();
    }
    m_balls.clear();
}

void CRedTotem::LaunchMissile(int32_t sizeClass, const CRefPtr<CParticleSystem>& glow,
                              const CRefPtr<CParticleSystem>& sparks)
{
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    const int32_t margin = sizeClass > 1 ? 2 : 1;
    // The block lies inside the board even when the draw is exactly 1.0.
    const auto draw = [margin](int32_t count) {
        const int32_t room = std::max(count - margin, 1);
        return std::min(int32_t(std::floor(RandomUnit() * float(room))), room - 1);
    };
    int32_t column = draw(g.columns);
    int32_t row = draw(g.rows);
    if (sizeClass > 1)
    {
        ++column;
        ++row;
    }
    const Vec3 from = glow ? glow->origin : Place(Vec3{0.0f, 0.0f, 0.0f});
    Vec3 aim{g.x + (float(column) + 0.5f) * g.cellWidth, g.y - (float(row) + 0.5f) * g.cellHeight, from.z};
    if (sizeClass < 2)
    {
        aim.x += 0.5f * g.cellWidth;
        aim.y -= 0.5f * g.cellHeight;
    }
    const float duration = m_settings.flySpeed > 0.0f ? pmath::Length(pmath::Sub(aim, from)) / m_settings.flySpeed : 0.0f;
    CRefPtr<CRedTotemMissile> missile(new CRedTotemMissile());
    missile->Launch(m_speedFactor, sizeClass, column, row, from, aim, duration, m_blastTexture,
                    m_settings.blastColour, glow, sparks, m_particles, m_spriteBatch);
    missile->m_timer = -kLaunchWait;
    m_missiles.push_back(missile);
}

void CRedTotem::LaunchBurst(const CParticleSystem& sparks, const CParticleSystem& glow) const
{
    if (!m_particles)
        return;
    float size = 0.0f, spread = 0.0f;
    SpellSizes(sparks, size, spread);
    const auto* spells = dynamic_cast<const CSpellsParticleSystem*>(&sparks);
    const float speed = spells ? spells->speed : 0.0f, speedSpread = spells ? spells->speedSpread : 0.0f;
    CSpellsSpringParametres block(sparks.origin, Vec3{0.0f, 0.0f, 0.0f}, 15.0f * speed, 15.0f * speedSpread, size,
                                  spread, SpellColour(glow));
    block.fadeRate = 8.0f;
    block.fadeSpread = 1.0f;
    block.duration = 0.2f;
    block.rate = m_speedFactor * 80.0f;
    block.mode = 1;
    block.randomAngle = 1;
    block.randomSpinSign = 1;
    block.spin = 512.0f;
    block.spinSpread = 256.0f;
    block.phaseStart = 1;
    CRefPtr<CParticleSystem> burst;
    m_particles->AddSpellsSystem(burst, block, kBallCapacity, m_sparkTexture);
}

bool CRedTotem::UpdateActive(float dt)
{
    for (size_t i = 0; i < m_missiles.size();)
    {
        if (!m_missiles[i]->Fly(dt))
        {
            ++i;
            continue;
        }
        m_missiles[i]->Explode();
        m_spentMissiles.push_back(m_missiles[i]);
        m_missiles.erase(m_missiles.begin() + std::ptrdiff_t(i));
    }
    // The phase ends once the board has had every burst.
    return m_missiles.empty() && m_spentMissiles.empty();
}

void CRedTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    for (const CRefPtr<CRedTotemMissile>& missile : m_spentMissiles)
    {
        TotemCellRecord record;
        record.kind = kTotemRed;
        record.column = missile->m_column;
        record.row = missile->m_row;
        record.value = missile->m_sizeClass;
        records.push_back(record);
    }
    m_spentMissiles.clear();
}
