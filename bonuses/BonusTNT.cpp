#include "bonuses/BonusTNT.h"
#include "engine/MathConstants.h"

#include "board/BoardGeometry.h"
#include "board/LevelParams.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SparksParticleSystem.h"
#include "engine/Random.h"

#include <algorithm>
#include <cmath>

namespace
{

const float kTntCellU = 0.3359375f, kTntCellV = 0.359375f; // a box cell of the picture
const float kSparkRowTop = 0.734375f, kSparkFrame = 0.125f;
const float kRingSide = 96.0f;
const float kTntEffectDepth = 2.0f;
const float kTntShapeLife = 0.05f;
const float kFlickerRate = 20.0f; // spark frames a second

// The ring and halos reach their size after expandTime, then fade for the rest of their life.
void GiveLife(const CRefPtr<CSpriteShape>& shape, float lifeTime, float expandTime)
{
    shape->mortal = 1;
    shape->life = lifeTime;
    const float fade = lifeTime - expandTime;
    shape->lifeFade = fade > 0.0f ? 1 : 0;
    shape->lifeFadeTime = fade > 0.0f ? fade : shape->lifeFadeTime;
}

// A pace that reaches `distance` in `time`; no time means at once.
float Pace(float distance, float time)
{
    return time > 0.0f ? distance / time : 1.0e9f;
}

} // namespace

CBonusTNT::CBonusTNT()
{
    kind = kBonusTNT;
}

CBonusTNT::~CBonusTNT()
{
    bonus_shapes::Remove({orbiters[0], orbiters[1], orbiters[2], body, lid}, layer.spriteList);
}

int CBonusTNT::TableLevel() const
{
    return std::clamp(level, 0, kTntLevels - 1);
}

std::vector<CRefPtr<CSpriteShape>> CBonusTNT::LayerShapes() const
{
    return {body, lid, orbiters[0], orbiters[1], orbiters[2]};
}

void CBonusTNT::SetResources(CRefPtr<CSpriteList> activeList, CRefPtr<CParticleSystemsManager> activeManager,
                             CRefPtr<CSpriteList> inactiveList, CRefPtr<CParticleSystemsManager> inactiveManager,
                             CRefPtr<CTexture> box, CRefPtr<CTexture> halo, CRefPtr<CTexture> ring,
                             CRefPtr<CTexture> spark)
{
    SetLayers(BonusLayer{activeList, activeManager, nullptr}, BonusLayer{inactiveList, inactiveManager, nullptr});
    boxTexture = box;
    haloTexture = halo;
    ringTexture = ring;
    sparkTexture = spark;
}

void CBonusTNT::Init()
{
    const TntSettings& t = GetBonusSettings().tnt;
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);
    const float x = position[0], y = position[1], z = position[2], s = scale;
    const int L = TableLevel();

    body = CRefPtr<CSpriteShape>(new CSpriteShape(x, y, z - 0.5f, 86.0f * s, 92.0f * s, 0xFFFFFFFF, boxTexture, 1));
    const float u = float(L & 1) * kTntCellU, v = float(L >> 1) * kTntCellV;
    body->SetFrameUV(0, u, v, u + kTntCellU, v + kTntCellV);
    body->zOrder = zOrder - 1;
    lid = CRefPtr<CSpriteShape>(new CSpriteShape(x, y, z + 0.5f, 84.0f * s, 92.0f * s, 0xFFFFFFFF, boxTexture, 1));
    lid->SetFrameUV(0, 0.671875f, 0.0f, 1.0f, kTntCellV);
    lid->zOrder = zOrder;
    if (layer.spriteList)
    {
        layer.spriteList->Add(body);
        layer.spriteList->Add(lid);
    }
    for (int i = 0; i < 3; ++i)
    {
        orbitPhase[i] = RandomUnit() * 8.0f;
        orbitAngle[i] = ((RandomUnit() * 0.5f + 0.25f + float(i)) * kTwoPi) / 3.0f;
        const float c = std::cos(orbitAngle[i]), n = std::sin(orbitAngle[i]);
        const Vec3 &C = t.orbitCentre[i], &A = t.orbitA[i], &B = t.orbitB[i];
        CRefPtr<CSpriteShape> spark(new CSpriteShape(x + C.x + c * A.x + n * B.x, y + C.y + c * A.y + n * B.y,
                                                     (z - 0.5f) + C.z + c * A.z + n * B.z, 32.0f * s, 32.0f * s,
                                                     0xFFFFFFFF, boxTexture, 1));
        spark->SetFrameUV(0, 0.0f, kSparkRowTop, kSparkFrame, kSparkRowTop + kSparkFrame);
        for (int k = 1; k < 8; ++k)
            spark->AddFrame(kSparkFrame * k, kSparkRowTop, kSparkFrame * (k + 1), kSparkRowTop + kSparkFrame);
        spark->currentFrame = int32_t(orbitPhase[i]) & 7;
        spark->SetBlendMode(1, kBlendAdd);
        spark->zWrite = 0;
        spark->zOrder = zOrder - 2;
        orbiters[i] = spark;
        if (layer.spriteList)
            layer.spriteList->Add(spark);
    }
}

void CBonusTNT::Hide()
{
    CBonus::Hide();
    bonus_shapes::SetVisible({orbiters[0], orbiters[1], orbiters[2], body, lid}, layer.spriteList, 0);
}

void CBonusTNT::Show()
{
    CBonus::Show();
    bonus_shapes::SetVisible({orbiters[0], orbiters[1], orbiters[2], body, lid}, layer.spriteList, 1);
}

void CBonusTNT::MoveOrbiters(float dt, float factor, float alpha)
{
    if (!orbiters[0])
        return;
    const TntSettings& t = GetBonusSettings().tnt;
    for (int i = 0; i < 3; ++i)
    {
        orbitAngle[i] += t.sparkerW * dt;
        if (orbitAngle[i] >= kTwoPi)
            orbitAngle[i] -= kTwoPi;
        orbitPhase[i] = std::fmod(orbitPhase[i] + kFlickerRate * dt, 8.0f);
        float c = std::cos(orbitAngle[i]), n = std::sin(orbitAngle[i]);
        float a = n < -0.25f ? 1.0f : (n < 0.0f ? -4.0f * n : 0.0f);
        if (InMotion())
        {
            c *= factor;
            n *= factor;
            a *= alpha;
        }
        if (state == kBonusEffect)
            a = 0.0f;
        CSpriteShape& spark = *orbiters[i];
        spark.currentFrame = int32_t(orbitPhase[i]) & 7;
        spark.SetAlpha(a);
        const Vec3 &C = t.orbitCentre[i], &A = t.orbitA[i], &B = t.orbitB[i];
        spark.position = Vec3{position[0] + C.x + c * A.x + n * B.x, position[1] + C.y + c * A.y + n * B.y,
                              (position[2] - 0.5f) + C.z + c * A.z + n * B.z};
    }
}

bool CBonusTNT::Update(float dt)
{
    if (!visible)
        return true;
    if (state == kBonusEffect)
        return !events.empty();
    clock += dt;
    const float s = scale;
    MotionLook look{1.0f, 1.0f};
    const bool moving = InMotion();
    if (moving)
    {
        AdvanceMotion(dt);
        look = LookOfMotion();
        if (body)
        {
            body->SetScale(86.0f * s * look.factor, 92.0f * s * look.factor);
            body->SetAlpha(look.alpha);
        }
        if (lid)
        {
            lid->SetScale(84.0f * s * look.factor, 92.0f * s * look.factor);
            lid->SetAlpha(look.alpha);
        }
        for (const CRefPtr<CSpriteShape>& spark : orbiters)
            if (spark)
                spark->SetScale(32.0f * s * look.factor, 32.0f * s * look.factor);
    }
    if (body)
        body->position = Vec3{position[0], position[1], position[2] - 0.5f};
    if (lid)
        lid->position = Vec3{position[0], position[1], position[2] + 0.5f};
    if (moving && MotionOver())
    {
        if (state == kBonusLeaving)
            return false;
        if (state == kBonusFalling)
        {
            Place(target[0], target[1], target[2], size, column, row);
            if (body)
            {
                body->SetScale(86.0f * s * look.factor, 92.0f * s * look.factor);
                body->SetAlpha(1.0f);
            }
            if (lid)
            {
                lid->SetScale(84.0f * s * look.factor, 92.0f * s * look.factor);
                lid->SetAlpha(1.0f);
            }
            for (const CRefPtr<CSpriteShape>& spark : orbiters)
                if (spark)
                {
                    spark->SetAlpha(1.0f);
                    spark->SetScale(32.0f * s, 32.0f * s);
                }
        }
        else if (state == kBonusVanishing)
        {
            AddEvent(BonusEvent(kBonusEventNeedsHost));
            state = kBonusEffect;
        }
    }
    MoveOrbiters(dt, look.factor, look.alpha);
    return true;
}

std::vector<CBonusTNT::Cell> CBonusTNT::BlastCells(int blastLevel, int c0, int r0, int columns, int rows)
{
    const float radius = GetTntFactor(blastLevel);
    const float r2 = radius * radius;
    std::vector<Cell> cells;
    for (int r = std::max(r0 - 2, 0); r <= std::min(r0 + 2, rows - 1); ++r)
        for (int c = std::max(c0 - 2, 0); c <= std::min(c0 + 2, columns - 1); ++c)
            if (float((r - r0) * (r - r0) + (c - c0) * (c - c0)) <= r2)
                cells.push_back(Cell{c, r});
    return cells;
}

void CBonusTNT::MakeRing()
{
    const TntSettings& t = GetBonusSettings().tnt;
    const float s = scale, size = t.ringSize[TableLevel()];
    CRefPtr<CSpriteShape> ring(new CSpriteShape(position[0], position[1], position[2] - kTntEffectDepth,
                                                kRingSide * s, kRingSide * s, t.ringColor, ringTexture, 1));
    ring->SetBlendMode(1, kBlendAdd);
    ring->zWrite = 0;
    ring->SetAlpha(0.0f);
    if (layer.spriteList)
        layer.spriteList->Add(ring);
    ring->fadeSpeed = 25.0f;
    ring->FadeTo(1.0f);
    ring->scaleSpeedX = ring->scaleSpeedY = Pace((size - 1.0f) * kRingSide * s, t.ringExpandTime);
    ring->SetScaleTarget(kRingSide * s * size, kRingSide * s * size);
    GiveLife(ring, t.lifeTime, t.ringExpandTime);
}

void CBonusTNT::MakeHalo(float spin)
{
    const TntSettings& t = GetBonusSettings().tnt;
    const float s = scale, size = t.ringSize[TableLevel()], h = t.haloSizeFactor;
    CRefPtr<CSpriteShape> halo(new CSpriteShape(position[0], position[1], position[2] - kTntEffectDepth,
                                                kRingSide * s * h, kRingSide * s * h, t.haloColor, haloTexture, 1));
    halo->zWrite = 0;
    halo->SetBlendMode(1, kBlendScreen);
    halo->depthTest = 1;
    halo->SetAlpha(0.0f);
    if (layer.spriteList)
        layer.spriteList->Add(halo);
    halo->fadeSpeed = Pace(4.0f, t.ringExpandTime);
    halo->FadeTo(1.0f);
    halo->scaleSpeedX = halo->scaleSpeedY = Pace((size - 1.0f) * 0.5f * kRingSide * s * h, t.ringExpandTime);
    halo->SetScaleTarget(kRingSide * s * size * h, kRingSide * s * size * h);
    halo->SetRotation(RandomUnit() * kTwoPi);
    halo->spinning = 1;
    halo->spinSpeed = spin;
    GiveLife(halo, t.lifeTime, t.ringExpandTime);
}

void CBonusTNT::MakeSparkBurst()
{
    if (!layer.particles)
        return;
    const TntSettings& t = GetBonusSettings().tnt;
    const float S = t.expSparkSpeed;
    CSparksSpringParametres block(Vec3{position[0], position[1], position[2] - kTntEffectDepth}, Vec3{0.0f, 0.25f * S, 0.0f},
                                  Vec3{1.0f, 0.0f, 0.0f}, S, 0.5f * S, t.expSparkColor);
    block.radial = 1;
    block.duration = 0.1f;
    block.rate = effectFactor * t.expSparkCount * 10.0f;
    block.sparkWidth = t.expSparkSize;
    block.maxLength = 5.0f * t.expSparkSize;
    block.lengthFactor = S != 0.0f ? 2.0f / S : 0.0f;
    block.fadeRate = t.expSparkFading;
    CRefPtr<CParticleSystem> burst;
    layer.particles->AddSparksSystem(burst, block, 2 * int32_t(t.expSparkCount), sparkTexture);
    if (!burst)
        return;
    if (CSparksParticleSystem* sparks = dynamic_cast<CSparksParticleSystem*>(burst.Get()))
    {
        const float gravityY = layer.particles->environment ? layer.particles->environment->gravity.y : -9.8f;
        sparks->newSparkGravityScale = gravityY != 0.0f ? -t.expSparkGravity / gravityY : 0.0f;
    }
    burst->Update(0.1f);
}

void CBonusTNT::Activate()
{
    const TntSettings& t = GetBonusSettings().tnt;
    finished = 1;
    state = kBonusEffect;
    bonus_shapes::Expire(body, kTntShapeLife);
    bonus_shapes::Expire(lid, kTntShapeLife);
    body.Reset();
    lid.Reset();
    for (CRefPtr<CSpriteShape>& spark : orbiters)
    {
        if (spark && layer.spriteList)
            layer.spriteList->Remove(spark);
        spark.Reset();
    }
    MakeRing();
    MakeHalo(t.haloW);
    MakeHalo(-t.haloW);
    MakeSparkBurst();
    AddEvent(BonusEvent(kBonusEventTntFired, level));
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    for (const Cell& cell : BlastCells(level, column, row, g.columns, g.rows))
        AddEvent(BonusEvent(kBonusEventCellHit, level, cell.column, cell.row));
}
