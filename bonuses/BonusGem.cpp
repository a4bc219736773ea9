#include "bonuses/BonusGem.h"
#include "engine/MathConstants.h"

#include "bonuses/BonusConfig.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <cmath>

namespace {

const uint32_t kSparkleColour = 0xFFC0C0FF;

void PlaceShape(const CRefPtr<CSpriteShape>& shape, float x, float y, float z)
{
    if (shape)
        shape->position = Vec3{x, y, z};
}

} // namespace

CBonusGem::CBonusGem()
{
    kind = kBonusGem;
}

CBonusGem::~CBonusGem()
{
    CRefPtr<CSpriteList> list = CurrentList();
    if (list)
    {
        if (halo)
            list->Remove(halo);
        for (const CRefPtr<CSpriteShape>& flare : bigFlares)
            if (flare)
                list->Remove(flare);
        if (gemShape)
            list->Remove(gemShape);
    }
    if (trail)
        trail->StopEmission();
}

int CBonusGem::Kind() const
{
    if (gemKind < 0)
        return 0;
    return gemKind >= kGemKinds ? kGemKinds - 1 : gemKind;
}

CRefPtr<CSpriteList> CBonusGem::CurrentList() const
{
    return inFlight ? flightSpriteList : spriteList;
}

void CBonusGem::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CSpriteBatch> batch, CRefPtr<CSpriteList> flightList,
                             CRefPtr<CParticleSystemsManager> manager, CRefPtr<CSpriteBatch> flightSprites,
                             CRefPtr<CTexture> lights, CRefPtr<CTexture> gems, CRefPtr<CTexture> flares,
                             CRefPtr<CTexture> star)
{
    spriteList = list;
    spriteBatch = batch;
    flightSpriteList = flightList;
    particles = manager;
    flightBatch = flightSprites;
    lightsTexture = lights;
    gemsTexture = gems;
    flaresTexture = flares;
    starTexture = star;
}

float CBonusGem::FlightSpin(int k)
{
    switch (k)
    {
    case 0: return 0.7853982f;
    case 1: return 1.5707964f;
    case 2: return -1.5707964f;
    case 4: return -0.7853982f;
    case 5: return 0.7853982f;
    case 6: return -1.5707964f;
    default: return 0.9424779f;
    }
}

void CBonusGem::Init()
{
    const GemSettings& s = GetGemSettings();
    const int k = Kind();
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);

    for (int i = 0; i < 2; ++i)
    {
        FlareOrigin o = RandomFlareOrigin(k, 1);
        flareOrigins[i][0] = o.x;
        flareOrigins[i][1] = o.y;
        const float side = scale * s.bigSize;
        CRefPtr<CSpriteShape> flare(new CSpriteShape(position[0] + scale * o.x, position[1] + scale * o.y,
                                                     position[2], side, side, 0xFFFFFFFF, flaresTexture, 1));
        flare->SetFrameUV(0, 0.5f * i, 0.0f, 0.5f * (i + 1), 0.5f);
        flare->SetBlendMode(1, s.bigMethod ? kBlendAdd : kBlendNormal);
        flare->zWrite = 0;
        flare->zOrder = zOrder;
        flare->SetRotation(RandomUnit() * kPi);
        flare->spinning = 1;
        flare->spinSpeed = s.bigW;
        bigFlares[i] = flare;
        if (spriteList)
            spriteList->Add(flare);
    }

    const float haloSide = scale * s.haloSize;
    halo = CRefPtr<CSpriteShape>(new CSpriteShape(position[0], position[1], position[2], haloSide, haloSide,
                                                  s.haloColor[k], lightsTexture, 1));
    const int column = k % 4;
    const int row = k / 4;
    halo->SetFrameUV(0, 0.25f * column, 0.5f * row, 0.25f * (column + 1), 0.5f * (row + 1));
    halo->SetBlendMode(1, s.haloMethod ? kBlendAdd : kBlendNormal);
    halo->SetAlpha(s.haloMinIntensity);
    halo->zWrite = 0;
    halo->zOrder = zOrder;
    if (spriteList)
        spriteList->Add(halo);
}

void CBonusGem::Hide()
{
    visible = 0;
    CRefPtr<CSpriteList> list = CurrentList();
    if (list)
    {
        if (halo)
            list->SetVisible(halo, 0);
        for (const CRefPtr<CSpriteShape>& flare : bigFlares)
            if (flare)
                list->SetVisible(flare, 0);
        if (gemShape)
            list->SetVisible(gemShape, 0);
    }
    if (trail)
        trail->StopEmission();
}

void CBonusGem::Show()
{
    visible = 1;
    CRefPtr<CSpriteList> list = CurrentList();
    if (list)
    {
        if (halo)
            list->SetVisible(halo, 1);
        for (const CRefPtr<CSpriteShape>& flare : bigFlares)
            if (flare)
                list->SetVisible(flare, 1);
        if (gemShape)
            list->SetVisible(gemShape, 1);
    }
    if (state == kBonusEffect)
        MakeTrail(0.5f, 20.0f);
}

void CBonusGem::MakeTrail(float fadeRate, float rate)
{
    if (!particles)
        return;
    CSpellsSpringParametres block(Vec3{position[0], position[1], position[2]}, Vec3{0, 0, 0}, size, size * 0.5f,
                                  size * 0.5f, size * 0.25f, kSparkleColour);
    block.fadeRate = fadeRate;
    block.fadeSpread = 0.25f;
    block.duration = 10000000.0f;
    block.rate = rate;
    block.randomAngle = 1;
    block.randomSpinSign = 1;
    block.spin = 512.0f;
    block.spinSpread = 256.0f;
    if (trail)
        trail->StopEmission();
    CRefPtr<CParticleSystem> made;
    particles->AddSpellsSystem(made, block, 200, starTexture);
    trail = made;
}

void CBonusGem::MakeSmallFlare()
{
    const GemSettings& s = GetGemSettings();
    FlareOrigin o = RandomFlareOrigin(Kind(), 0);
    CRefPtr<CBatchSprite> sprite(new CBatchSprite(position[0] + scale * o.x, position[1] + scale * o.y,
                                                  position[2], flaresTexture, 0xFFFFFF));
    const int f = static_cast<int>(std::floor(4.0f * RandomUnit())) & 3;
    sprite->SetTexRect(0.25f * f, 0.625f, 0.25f * (f + 1), 0.875f);
    sprite->SetScale(scale * s.smallSize, scale * s.smallSize);
    sprite->alphaFactor = s.smallIntensity;
    sprite->flickerAmplitude = 0.0f;
    sprite->fadeInTime = 0.1f * s.smallLifeTime;
    sprite->holdEnd = s.smallLifeTime;
    sprite->fadeOutTime = 0.2f * s.smallLifeTime;
    sprite->SetSpin(RandomUnit() * kTwoPi, s.smallW, 1, 0, 0, 0, 1, 0);
    CRefPtr<CSpriteBatch> batch = inFlight ? flightBatch : spriteBatch;
    if (batch)
        batch->Add(sprite);
}

bool CBonusGem::Update(float dt)
{
    if (state == kBonusDone)
        return false;
    if (!visible)
        return true;
    const GemSettings& s = GetGemSettings();

    clock += dt;
    if (state == kBonusFalling || state == kBonusLeaving || state == kBonusEffect)
    {
        AdvanceMotion(dt);
        if (MotionOver())
        {
            if (state == kBonusLeaving)
                return false;
            if (state == kBonusFalling)
                Place(target[0], target[1], target[2], size, column, row);
            else
            {
                // Arrived on the gem bar: a puff of sparkles, and the board counts it.
                state = kBonusCollected;
                if (particles)
                {
                    CSpellsSpringParametres block(Vec3{position[0], position[1], position[2]}, Vec3{0, 0, 0},
                                                  size, size * 0.5f, size * 0.35f, size * 0.15f, kSparkleColour);
                    block.fadeRate = 0.75f;
                    block.fadeSpread = 0.25f;
                    block.duration = 0.25f;
                    block.rate = 60.0f;
                    block.randomAngle = 1;
                    block.randomSpinSign = 1;
                    block.spin = 512.0f;
                    block.spinSpread = 256.0f;
                    CRefPtr<CParticleSystem> burst;
                    particles->AddSpellsSystem(burst, block, 200, starTexture);
                    if (burst)
                        burst->Update(0.25f);
                }
                AddEvent(BonusEvent(kBonusEventGemArrived, gemKind));
            }
        }
    }

    // Halo pulse.
    if (halo)
    {
        float a = s.haloMinIntensity + (s.haloIntensity - s.haloMinIntensity) *
                                           (0.5f - 0.5f * std::cos(clock * kTwoPi / s.haloT));
        halo->SetAlpha(a);
    }

    // The two big flares cross-fade; each takes a new place while it is unseen.
    const float p = clock / s.bigT;
    const float q = (clock - dt) / s.bigT;
    if (std::floor(p + 0.5f) != std::floor(q + 0.5f))
    {
        FlareOrigin o = RandomFlareOrigin(Kind(), 1);
        flareOrigins[0][0] = o.x;
        flareOrigins[0][1] = o.y;
    }
    if (std::floor(p) != std::floor(q))
    {
        FlareOrigin o = RandomFlareOrigin(Kind(), 1);
        flareOrigins[1][0] = o.x;
        flareOrigins[1][1] = o.y;
    }
    const float c = 0.5f + 0.5f * std::cos(kTwoPi * p);
    const float factor[2] = {c <= 0.01f ? 0.01f : c, c >= 0.99f ? 0.01f : 1.0f - c};
    const float flareAlpha[2] = {c >= 0.1f ? s.bigIntensity : 10.0f * c * s.bigIntensity,
                                 c <= 0.9f ? s.bigIntensity : 10.0f * (1.0f - c) * s.bigIntensity};

    PlaceShape(halo, position[0], position[1], position[2]);
    PlaceShape(gemShape, position[0], position[1], position[2]);
    for (int i = 0; i < 2; ++i)
    {
        if (!bigFlares[i])
            continue;
        PlaceShape(bigFlares[i], position[0] + scale * flareOrigins[i][0], position[1] + scale * flareOrigins[i][1],
                   position[2]);
        const float side = scale * s.bigSize * factor[i];
        bigFlares[i]->SetScale(side, side);
        bigFlares[i]->SetAlpha(flareAlpha[i]);
    }
    if (trail)
        trail->MoveTo(position[0], position[1], position[2]);
    if (size != baseSize)
    {
        if (halo)
            halo->SetScale(scale * s.haloSize, scale * s.haloSize);
        if (gemShape)
            gemShape->SetScale(scale * s.gemSize, scale * s.gemSize);
    }

    // Small twinkles around the gem.
    smallFlareTimer += dt;
    const int n = static_cast<int>(std::floor(smallFlareTimer / s.smallT));
    if (n > 0)
    {
        smallFlareTimer -= n * s.smallT;
        for (int i = 0; i < n; ++i)
            MakeSmallFlare();
    }
    return true;
}

void CBonusGem::Activate()
{
    // A gem is collected once: a second call would leave a stray picture behind.
    if (inFlight)
        return;
    const GemSettings& s = GetGemSettings();
    const int k = Kind();
    motionTime = 0.0f;
    finished = 1;
    state = kBonusEffect;
    inFlight = 1;
    motionDuration = s.flyTime;

    // Every flight bends its own way: the start and end slopes of x and y are
    // drawn from [-1, 1].
    const float r1 = RandomUnit();
    const float r2 = RandomUnit();
    const float r3 = RandomUnit();
    const float r4 = RandomUnit();
    motion.Reset(Vec3{position[0], position[1], s.targetPos.z},
                 Vec3{destination[0], destination[1], s.targetPos.z}, Vec3{1 - 2 * r1, 1 - 2 * r2, 1},
                 Vec3{1 - 2 * r3, 1 - 2 * r4, 1}, s.flyTime);

    const float spin = FlightSpin(k);
    CRefPtr<CSpriteShape> moving[3] = {bigFlares[0], bigFlares[1], halo};
    for (const CRefPtr<CSpriteShape>& shape : moving)
    {
        if (!shape)
            continue;
        shape->zOrder = s.targetZOrder;
        if (flightSpriteList)
            flightSpriteList->Add(shape);
        if (spriteList)
            spriteList->Remove(shape);
    }
    if (halo)
    {
        halo->spinning = 1;
        halo->spinSpeed = spin;
    }

    const float side = scale * s.gemSize;
    gemShape = CRefPtr<CSpriteShape>(
        new CSpriteShape(position[0], position[1], position[2], side, side, 0xFFFFFFFF, gemsTexture, 1));
    const int column = k % 4;
    const int row = k / 4;
    gemShape->SetFrameUV(0, 0.1875f * column, 0.375f * row, 0.1875f * (column + 1), 0.375f * (row + 1));
    gemShape->zWrite = 0;
    gemShape->spinning = 1;
    gemShape->spinSpeed = spin;
    if (flightSpriteList)
        flightSpriteList->Add(gemShape);

    MakeTrail(0.75f, 20.0f * effectFactor);
    AddEvent(BonusEvent(kBonusEventGemActivated, gemKind));
}
