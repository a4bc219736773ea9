#include "totems/GreenTotem.h"

#include "effects/ParticleMath.h"
#include "effects/SimpleSpriteSystemKeeper.h"
#include "engine/Random.h"
#include "totems/TotemSettings.h"
#include "totems/TotemSprites.h"
#include "totems/TotemsManager.h"

#include <algorithm>
#include <cmath>

using namespace totemfx;
using pmath::Add;
using pmath::Mul;
using pmath::Sub;

namespace
{

const int32_t kTrailCapacity = 200;
const int32_t kChainPieces = 11;
const int32_t kChainPieceCapacity = 20;
const float kRayFlareSpin = kPi / 4.0f;
const float kHeadFadeSpeed = 10.0f;
const float kHeadLife = 0.2f;
const int32_t kRayDepthOrder = 20;
const int32_t kFlareDepthOrder = 5;
const float kChainDepth = 2.0f;

} // namespace

// ---------------------------------------------------------------------------------
// CGreenRay
// ---------------------------------------------------------------------------------

CGreenRay::~CGreenRay()
{
    if (m_spriteList && m_body)
        m_spriteList->Remove(m_body);
    if (m_head)
    {
        // The head fades out on its own and the list drops it.
        m_head->fadeSpeed = 1.0f / kHeadLife;
        m_head->FadeTo(0.0f);
        m_head->mortal = 1;
        m_head->life = kHeadLife;
    }
}

void CGreenRay::SetResources(CRefPtr<CSpriteList> spriteList, CRefPtr<CTexture> rayTexture,
                             CRefPtr<CTexture> headTexture, const GreenTotemSettings& s)
{
    m_spriteList = spriteList;
    m_rayTexture = rayTexture;
    m_headTexture = headTexture;
    m_rayColour = s.rayColour;
    m_thickness = s.rayThickness;
    m_tan = s.rayTan;
    m_speed = s.raySpeed;
    m_length = s.rayLength;
    m_waveLength = s.rayWaveLength;
    m_headColour = s.rayFlareColour;
    m_headSize = s.rayHeadSize;
    m_headSpin = s.rayHeadSpin;
}

float CGreenRay::Start(const Vec3& start, const Vec3& target, float delay, int32_t zOrder)
{
    m_start = start;
    m_headPos = -m_speed * delay;
    const Vec3 d = Sub(target, start);
    m_distance = pmath::Length(d);
    // A ray onto its own start has no direction: it ends on its first update.
    if (m_distance > 0.0f)
    {
        m_direction = Mul(d, 1.0f / m_distance);
        m_normal = Vec3{-d.y / m_distance, d.x / m_distance, d.z / m_distance};
        const float waves = std::max(std::floor(m_distance / m_waveLength * 2.0f + 0.5f) * 0.5f, 0.5f);
        m_uPerUnit = m_waveLength > 0.0f ? waves / m_distance : 0.0f;
    }
    m_edgeA = Add(start, Mul(m_normal, m_thickness));
    m_edgeB = Sub(start, Mul(m_normal, m_thickness));
    m_slopeA = Add(m_direction, Mul(m_normal, m_tan));
    m_slopeB = Sub(m_direction, Mul(m_normal, m_tan));
    m_shapeZOrder = zOrder;

    m_body = CRefPtr<CSpriteShape>(new CSpriteShape(start.x, start.y, start.z, 1.0f, 1.0f, m_rayColour, m_rayTexture, 1));
    m_body->SetBlendMode(1, kBlendAdd);
    m_body->depthTest = 1;
    m_body->zWrite = 0;
    m_body->SetFrameUV(0, 0.0f, 0.5f, 1.0f, 1.0f);
    const Vec3 a = Sub(m_edgeA, start), b = Sub(m_edgeB, start);
    m_body->SetCorners(a.x, a.y, a.x, a.y, b.x, b.y, b.x, b.y);
    m_body->zOrder = zOrder;
    m_head = CRefPtr<CSpriteShape>(
        new CSpriteShape(start.x, start.y, start.z, m_headSize, m_headSize, m_headColour, m_headTexture, 1));
    m_head->SetBlendMode(1, kBlendAdd);
    m_head->depthTest = 1;
    m_head->zWrite = 0;
    m_head->zOrder = zOrder;
    m_head->SetRotation(RandomUnit() * 2.0f * kPi);
    m_head->spinning = 1;
    m_head->spinSpeed = m_headSpin;
    m_head->SetAlpha(0.0f);
    m_head->fadeSpeed = kHeadFadeSpeed;
    if (m_spriteList)
    {
        m_spriteList->Add(m_body);
        m_spriteList->Add(m_head);
    }
    if (m_speed <= 0.0f)
        return delay;
    return (m_length + m_distance) / m_speed + delay;
}

bool CGreenRay::Update(float dt)
{
    const float before = m_headPos;
    m_headPos += m_speed * dt;
    if (before < 0.0f && m_headPos >= 0.0f && m_head)
        m_head->FadeTo(1.0f);
    const float head = std::min(std::max(m_headPos, 0.0f), m_distance);
    const float tail = std::min(std::max(m_headPos - m_length, 0.0f), m_distance);
    // Corners relative to the start: tail and head on edge A, then head and tail on edge B.
    const Vec3 a0 = Sub(Add(m_edgeA, Mul(m_slopeA, tail)), m_start), a1 = Sub(Add(m_edgeA, Mul(m_slopeA, head)), m_start);
    const Vec3 b1 = Sub(Add(m_edgeB, Mul(m_slopeB, head)), m_start), b0 = Sub(Add(m_edgeB, Mul(m_slopeB, tail)), m_start);
    if (m_body)
    {
        const float u0 = tail * m_uPerUnit, u1 = head * m_uPerUnit;
        m_body->SetFrameUV4(0, u0, 0.5f, u1, 0.5f, u1, 1.0f, u0, 1.0f);
        m_body->SetCorners(a0.x, a0.y, a1.x, a1.y, b1.x, b1.y, b0.x, b0.y);
    }
    if (m_head)
    {
        // The head runs back and forth across the ray's front with the wave.
        const float k = std::sin(2.0f * kPi * head * m_uPerUnit) * 0.5f + 0.5f;
        m_head->position.x = m_start.x + b1.x + k * (a1.x - b1.x);
        m_head->position.y = m_start.y + b1.y + k * (a1.y - b1.y);
    }
    if (tail < m_distance)
        return true;
    if (m_head)
        m_head->FadeTo(0.0f);
    return false;
}

// ---------------------------------------------------------------------------------
// CUnigem
// ---------------------------------------------------------------------------------

void CUnigem::Build(float gemSize, uint32_t tail, float particleSize, float fadeIn, CParticleSystemsManager* particles,
                    CSpriteBatch* spriteBatch, const CRefPtr<CTexture>& gemTexture, const CRefPtr<CTexture>& trailTexture)
{
    size = gemSize;
    tailColour = tail;
    trailSize = particleSize;
    const SpriteTimes times{fadeIn, kForever, 0.2f};
    const auto add = [&](uint32_t rgb, float scale, float u0, float v0, float spin) {
        CRefPtr<CBatchSprite> s = AddSprite(spriteBatch, position, gemTexture, rgb, scale, scale, times);
        s->SetTexRect(u0, v0, u0 + (spin == 0.0f ? 0.5f : 0.25f), v0 + (spin == 0.0f ? 0.5f : 0.25f));
        if (spin != 0.0f)
            SpinRandomly(*s, spin);
        m_sprites.push_back(s);
        return s;
    };
    // The glow, then four layers of the stone turning against each other.
    add(tail, size * 3.0f, 0.5f, 0.0f, 0.0f)->alphaFactor = float(tail >> 24) * 0.5f / 255.0f;
    add(0xFFFFFF, size, 0.0f, 0.0f, kPi / 2.0f);
    add(0xFFFFFF, size, 0.0f, 0.25f, kPi);
    add(0xFFFFFF, size * 1.25f, 0.25f, 0.25f, -kPi / 2.0f);
    add(0xFFFFFF, size, 0.25f, 0.0f, -kPi);
    if (!particles)
        return;
    CSpellsSpringParametres block(position, Vec3{0.0f, 0.0f, 0.0f}, 2.0f * trailSize, trailSize, trailSize,
                                  trailSize * 0.5f, tail);
    block.fadeRate = 0.75f;
    block.fadeSpread = 0.25f;
    block.duration = kForever;
    block.rate = 20.0f * speedFactor;
    block.randomAngle = 1;
    block.randomSpinSign = 1;
    block.spin = 512.0f;
    block.spinSpread = 256.0f;
    particles->AddSpellsSystem(m_effect, block, kTrailCapacity, trailTexture);
}

void CUnigem::MoveTo(const Vec3& at)
{
    position = at;
    for (const CRefPtr<CBatchSprite>& s : m_sprites)
        s->position = at;
    if (m_effect)
        m_effect->MoveTo(at.x, at.y, at.z);
}

void CUnigem::FlyStep(float dt, float timeLeft)
{
    if (timeLeft <= 0.0f)
    {
        MoveTo(target);
        return;
    }
    const float k = dt / (timeLeft + dt);
    MoveTo(Add(Mul(target, k), Mul(position, 1.0f - k)));
}

// ---------------------------------------------------------------------------------
// CGreenTotem
// ---------------------------------------------------------------------------------

CGreenTotem::CGreenTotem() : CTotem(kTotemGreen)
{
    m_shapes.reserve(10);
    m_shineColour = 0x00FFFFE5u;
    m_rays.reserve(20);
    m_unigems.reserve(20);
}

CGreenTotem::~CGreenTotem()
{
    CGreenTotem::RemoveShapes();
    m_unigems.clear();
}

void CGreenTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    CRefPtr<CTexture>* own[] = {&m_trailTexture, &m_flareTexture, &m_unigemTexture, &m_chainPiecesTexture,
                                &m_chainLightTexture};
    for (size_t i = 0; i < r.own.size() && i < 5; ++i)
        *own[i] = r.own[i];
}

void CGreenTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_green;
}

void CGreenTotem::Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets)
{
    CTotem::Init(mode, shapeSets);
    if (m_level < 3 || mode == TotemMode::Panel || m_shapes.size() < 3)
        return;
    // The pictures without the chain, shown once it has burst: the chain is the
    // body's last sprite, its shadow the first shape.
    const float* s = m_settings.noChainShadowRect;
    m_shapes.front()->AddFrame(s[0], s[1], s[2], s[3]);
    const float* b = m_settings.noChainRect;
    m_shapes.back()->AddFrame(b[0], b[1], b[2], b[3]);
}

void CGreenTotem::RemoveShapes()
{
    SetArmed(0);
    m_rays.clear();
    CTotem::RemoveShapes();
}

void CGreenTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    m_effectTimer = 0.0f;
    m_chainLightTimer = 0.0f;
    m_waitingForMatch = 1;
    m_chainBroken = 0;
    m_unigemSoundPlayed = 0;
}

Vec3 CGreenTotem::PlacePlainly(const Vec3& p) const
{
    return Vec3{m_position.x + p.x * m_size[0], m_position.y + p.y * m_size[1], m_position.z + p.z};
}

Vec3 CGreenTotem::RandomFlarePlace(const TotemRegion& region) const
{
    const float u = RandomUnit();
    const float v = RandomUnit();
    return region.At(u, v);
}

void CGreenTotem::SetArmed(int32_t on, int32_t)
{
    if (!on)
    {
        for (CRefPtr<CSpriteShape>& flare : m_bigFlares)
        {
            if (flare && m_spriteList)
                m_spriteList->Remove(flare);
            flare.Reset();
        }
        return;
    }
    const TotemRegion* region = m_settings.FlaresAt(m_level);
    if (m_bigFlares[0] || !region)
        return;
    for (int i = 0; i < 2; ++i)
    {
        m_bigFlarePositions[i] = RandomFlarePlace(*region);
        const Vec3 p = PlacePlainly(m_bigFlarePositions[i]);
        const float side = m_size[0] * m_settings.bigFlareSize;
        CRefPtr<CSpriteShape> flare(new CSpriteShape(p.x, p.y, p.z, side, side, 0xFFFFFFFFu, m_flareTexture, 1));
        flare->SetFrameUV(0, float(i) * 0.5f, 0.0f, float(i + 1) * 0.5f, 0.5f);
        flare->SetBlendMode(1, kBlendAdd);
        flare->SetAlpha(1.0f);
        flare->zWrite = 0;
        flare->zOrder = m_zOrder - kFlareDepthOrder;
        flare->SetRotation(RandomUnit() * kPi);
        flare->spinning = 1;
        flare->spinSpeed = m_settings.bigFlareSpin;
        if (m_spriteList)
            m_spriteList->Add(flare);
        m_bigFlares[i] = flare;
    }
}

void CGreenTotem::UpdateOwn(float dt)
{
    if (!m_bigFlares[0] || !m_bigFlares[1])
        return;
    UpdateBigFlares(dt);
    EmitSmallFlares(dt);
}

void CGreenTotem::UpdateBigFlares(float dt)
{
    const TotemRegion* region = m_settings.FlaresAt(m_level);
    const float period = m_settings.bigFlarePeriod > 0.0f ? m_settings.bigFlarePeriod : 1.0f;
    m_bigFlareTimer += dt;
    const float f = m_bigFlareTimer / period, f0 = (m_bigFlareTimer - dt) / period;
    // Each flare jumps to a new place while it is at its faintest.
    if (region && std::floor(f + 0.5f) != std::floor(f0 + 0.5f))
        m_bigFlarePositions[0] = RandomFlarePlace(*region);
    if (region && std::floor(f) != std::floor(f0))
        m_bigFlarePositions[1] = RandomFlarePlace(*region);
    const float c = std::cos(2.0f * kPi * f) * 0.5f + 0.5f;
    const float intensity = m_settings.bigFlareIntensity;
    const float alpha[2] = {c >= 0.1f ? intensity : c * 10.0f * intensity,
                            c <= 0.9f ? intensity : (1.0f - c) * 10.0f * intensity};
    const float scale[2] = {c <= 0.01f ? 0.01f : c, c >= 0.99f ? 0.01f : 1.0f - c};
    for (int i = 0; i < 2; ++i)
    {
        CSpriteShape& flare = *m_bigFlares[i];
        flare.SetAlpha(alpha[i]);
        flare.position = PlacePlainly(m_bigFlarePositions[i]);
        const float side = m_settings.bigFlareSize * m_size[0] * scale[i];
        flare.SetScale(side, side);
    }
}

void CGreenTotem::EmitSmallFlares(float dt)
{
    const TotemRegion* region = m_settings.FlaresAt(m_level);
    if (!region || m_settings.smallFlarePeriod <= 0.0f)
        return;
    m_smallFlareTimer += dt;
    const int n = int(std::floor(m_smallFlareTimer / m_settings.smallFlarePeriod));
    if (n <= 0)
        return;
    m_smallFlareTimer -= float(n) * m_settings.smallFlarePeriod;
    const float life = m_settings.smallFlareLife;
    for (int i = 0; i < n; ++i)
    {
        const Vec3 at = PlacePlainly(RandomFlarePlace(*region));
        const float side = m_settings.smallFlareSize * m_size[0];
        CRefPtr<CBatchSprite> s = AddSprite(m_spriteBatch.Get(), at, m_flareTexture, 0xFFFFFF, side, side,
                                            SpriteTimes{life * 0.1f, life, life * 0.2f});
        const float k = std::min(std::floor(RandomUnit() * 4.0f), 3.0f);
        s->SetTexRect(k * 0.25f, 0.625f, (k + 1.0f) * 0.25f, 0.875f);
        s->alphaFactor = m_settings.smallFlareIntensity;
        SpinRandomly(*s, m_settings.smallFlareSpin);
    }
}

bool CGreenTotem::UpdateActive(float dt)
{
    m_effectTimer += dt;
    for (size_t i = 0; i < m_rays.size();)
    {
        if (m_rays[i]->Update(dt))
            ++i;
        else
            m_rays.erase(m_rays.begin() + std::ptrdiff_t(i));
    }
    UpdateGems(dt);
    if (m_charge == 3 && !m_chainBroken)
        UpdateChain(dt);
    return !m_waitingForMatch && m_effectTimer > m_settings.pauseTime && m_rays.empty() && m_unigems.empty();
}

void CGreenTotem::UpdateGems(float dt)
{
    if (m_unigems.empty() || m_effectTimer < m_settings.unigemStartFlyTime)
        return;
    if (!m_unigemSoundPlayed)
    {
        if (m_soundBank)
            m_soundBank->PlayPanned(m_soundBank->TotemGreen2, m_position.x, 0, 0);
        m_unigemSoundPlayed = 1;
    }
    float timeLeft = m_settings.unigemFlyTime - m_effectTimer;
    if (timeLeft <= 0.0f)
    {
        timeLeft = 0.0f;
        m_gemsArrived = 1;
    }
    for (const CRefPtr<CUnigem>& gem : m_unigems)
        gem->FlyStep(dt, timeLeft);
}

void CGreenTotem::UpdateChain(float dt)
{
    EmitChainLights(dt);
    if (m_effectTimer >= m_settings.chainTime)
        BurstChain();
}

void CGreenTotem::EmitChainLights(float dt)
{
    if (m_settings.chainLightPeriod <= 0.0f)
        return;
    m_chainLightTimer += dt;
    const int n = int(std::floor(m_chainLightTimer / m_settings.chainLightPeriod));
    if (n < 1)
        return;
    m_chainLightTimer -= float(n) * m_settings.chainLightPeriod;
    const float* chain = m_settings.chain;
    const float life = m_settings.chainLightLife;
    for (int i = 0; i < n; ++i)
    {
        // A point of the hanging chain, lowest in the middle.
        const float r = (RandomUnit() - 0.5f) * 2.0f;
        const Vec3 p = Place(Vec3{chain[0] + (1.0f + r) * 0.5f * chain[2], chain[1] - chain[3] * (1.0f - r * r),
                                  -kChainDepth});
        const float side = m_settings.chainLightSize * m_size[0];
        CRefPtr<CBatchSprite> s = AddSprite(m_spriteBatch.Get(), p, m_chainLightTexture, m_settings.chainLightColour,
                                            side, side, SpriteTimes{life * 0.25f, life, life * 0.25f});
        s->SetTexRect(0.734375f, 0.25f, 0.984375f, 0.75f);
    }
}

void CGreenTotem::BurstChain()
{
    const float* chain = m_settings.chain;
    if (m_particles)
    {
        CRefPtr<CSimpleSpriteSystemKeeper> keeper(new CSimpleSpriteSystemKeeper);
        keeper->SetParams(16, 40.0f, 40.0f, 0.0f);
        keeper->SetFrameRect(0, 0.71875f, 0.0f, 0.828125f, 0.21875f);
        keeper->widthBase = 32.0f;
        keeper->heightBase = 32.0f;
        keeper->widthSpread = 0.0f;
        keeper->heightSpread = 8.0f;
        keeper->floor = -400.0f;
        keeper->speedBase = 500.0f;
        keeper->speedSpread = 150.0f;
        keeper->gravity = 2000.0f;
        const auto relative = [this](float x, float y) {
            return Vec3{x * m_size[0] * m_axisX.x + y * m_size[1] * m_axisY.x,
                        x * m_size[0] * m_axisX.y + y * m_size[1] * m_axisY.y,
                        x * m_size[0] * m_axisX.z + y * m_size[1] * m_axisY.z};
        };
        keeper->GenerateLayout3(relative(chain[0], chain[1]), relative(chain[0] + chain[2], chain[1]), kChainPieces);
        CCollection2Parametres block(m_position.x, m_position.y, m_position.z - kChainDepth, nullptr,
                                     CRefPtr<CCollection2Keeper>(keeper), CCollection2Parametres::kBlendAlpha);
        block.keeperEmission = 1;
        CRefPtr<CParticleSystem> system;
        m_particles->AddCollection2System(system, block, kChainPieceCapacity, m_chainPiecesTexture);
    }
    // The chain-less pictures, where the body has them.
    if (m_shapes.size() >= 3)
        for (const CRefPtr<CSpriteShape>& shape : {m_shapes.front(), m_shapes.back()})
            if (shape->FrameCount() > 1)
                shape->currentFrame = 1;
    m_chainBroken = 1;
}

void CGreenTotem::StartFlare(const Vec3& at)
{
    const GreenTotemSettings& s = m_settings;
    CRefPtr<CBatchSprite> flare = AddSprite(m_spriteBatch.Get(), at, m_sharedTexture, s.rayFlareColour,
                                            s.rayThickness * 3.0f, s.rayThickness * 3.0f,
                                            SpriteTimes{s.preRayTime * 0.5f, s.rayFlareTime, s.rayFlareTime * 0.25f});
    flare->alphaFactor = float(s.rayColour >> 24) / 255.0f;
    SpinRandomly(*flare, kRayFlareSpin);
    if (s.preRayTime > 0.0f)
        flare->StartZoom(2.0f, 1.0f / s.preRayTime);
}

void CGreenTotem::OnMatch(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                          const std::vector<CCellPos>& cells, std::vector<float>& delays)
{
    m_effectTimer = 0.0f;
    const Vec3& point = m_settings.PointAt(m_level);
    const Vec3 start = Place(point);
    StartFlare(start);
    for (const Vec3& g : removed)
    {
        CRefPtr<CGreenRay> ray(new CGreenRay());
        ray->SetResources(m_spriteList, m_unigemTexture, m_sharedTexture, m_settings);
        const float t = ray->Start(start, Vec3{g.x, g.y, m_position.z + point.z}, m_settings.preRayTime,
                                   m_zOrder - kRayDepthOrder);
        delays.push_back(t - m_settings.rayInTermTime);
        m_rays.push_back(ray);
    }
    const TotemRegion* region = m_settings.FlaresAt(m_level);
    const size_t n = std::min(targets.size(), cells.size());
    for (size_t i = 0; i < n; ++i)
    {
        // The gems rise from the middle of the flare region.
        const float u = RandomUnit() * 0.5f + 0.25f;
        const float v = RandomUnit() * 0.5f + 0.25f;
        CRefPtr<CUnigem> gem(new CUnigem());
        gem->speedFactor = m_speedFactor;
        gem->position = PlacePlainly(region ? region->At(u, v) : Vec3{0.0f, 0.0f, point.z});
        gem->target = Vec3{targets[i].x, targets[i].y, m_position.z + point.z};
        gem->column = cells[i].column;
        gem->row = cells[i].row;
        gem->Build(m_settings.unigemSize, m_settings.unigemTailColour, m_settings.unigemTailParticleSize,
                   m_settings.unigemStartFlyTime, m_particles.Get(), m_spriteBatch.Get(), m_unigemTexture,
                   m_trailTexture);
        m_unigems.push_back(gem);
    }
}

void CGreenTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    TotemCellRecord record;
    record.kind = kTotemGreen;
    if (m_waitingForMatch)
    {
        record.value = 0;
        records.push_back(record);
    }
    else if (m_gemsArrived)
    {
        record.value = 1;
        records.push_back(record);
        m_gemsArrived = 0;
    }
}
