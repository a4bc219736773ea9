#include "bonuses/BonusTime.h"
#include "engine/MathConstants.h"

#include "board/BoardGeometry.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/VortexKeeper.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"

#include <cmath>

namespace
{

const float kTimeShapeLife = 0.05f;
const float kWarmUpStep = 0.05f;
const int kWarmUpSteps = 6;

struct ClockPart
{
    float width, height;
    int blend;
    float left, top, right, bottom;
    int zShift;
    float centreX, centreY;
    float spin; // 0: a still part
};

// The hands and their shades; the badge, dial and dial shade follow.
const ClockPart kHands[4] = {
    {52, 14, kBlendAdd, 0.796875f, 0.9453125f, 1.0f, 1.0f, -5, -0.3653846f, 0.0714286f, kPi},
    {52, 14, kBlendMul, 0.796875f, 0.890625f, 1.0f, 0.9453125f, -4, -0.3846154f, 0.0f, kPi},
    {42, 14, kBlendAdd, 0.6328125f, 0.9453125f, 0.796875f, 1.0f, -3, -0.3333333f, -0.0714286f, 0.2617994f},
    {42, 14, kBlendMul, 0.6328125f, 0.890625f, 0.796875f, 0.9453125f, -2, -0.3571429f, 0.0f, 0.2617994f},
};

// A rate that covers `amount` in `time`; no time means at once.
float Rate(float amount, float time)
{
    return time > 0.0f ? amount / time : 1.0e9f;
}

} // namespace

CBonusTime::CBonusTime()
{
    kind = kBonusTime;
    shapes.reserve(8);
}

CBonusTime::~CBonusTime()
{
    bonus_shapes::Remove(shapes, layer.spriteList);
    if (twirl && overlayLayer.spriteList)
        overlayLayer.spriteList->Remove(twirl);
    EndEffect();
}

void CBonusTime::SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                              CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                              CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                              CRefPtr<CTexture> bonus, CRefPtr<CTexture> twirlPicture, CRefPtr<CTexture> trail,
                              CRefPtr<CTexture> star, CRefPtr<CTexture> glass)
{
    SetLayers(BonusLayer{boardList, boardManager, boardSprites}, BonusLayer{overlayList, overlayManager, overlaySprites});
    bonusTexture = bonus;
    twirlTexture = twirlPicture;
    trailTexture = trail;
    starTexture = star;
    glassTexture = glass;
}

std::vector<CRefPtr<CSpriteShape>> CBonusTime::LayerShapes() const
{
    return shapes;
}

void CBonusTime::Init()
{
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);
    const float s = scale, x = position[0], y = position[1], z = position[2];
    auto add = [&](float w, float h, int blend, float l, float t, float r, float b, int zShift) {
        CRefPtr<CSpriteShape> shape(new CSpriteShape(x, y, z, w * s, h * s, 0xFFFFFFFF, bonusTexture, 1));
        shape->SetBlendMode(1, blend);
        shape->SetFrameUV(0, l, t, r, b);
        shape->zOrder = zOrder + zShift;
        if (layer.spriteList)
            layer.spriteList->Add(shape);
        shapes.push_back(shape);
        return shape;
    };
    for (int i = 0; i < 4; ++i)
    {
        const ClockPart& p = kHands[i];
        CRefPtr<CSpriteShape> hand = add(p.width, p.height, p.blend, p.left, p.top, p.right, p.bottom, p.zShift);
        if (i == 1 || i == 3)
            hand->position = Vec3{x + s, y - s, z};
        hand->offsetX = p.centreX;
        hand->offsetY = p.centreY;
        hand->SetRotation(kPi / 2.0f);
        hand->spinSpeed = p.spin;
        hand->spinning = 1;
    }
    if (level > 0)
    {
        // The badges stand in rows of 76 pixels; past the last row the last one shows.
        const int badge = level < 3 ? level : 3;
        add(76, 76, kBlendAdd, 0.703125f, 0.296875f * float(badge - 1), 1.0f, 0.296875f * float(badge), -1);
    }
    add(90, 90, kBlendAdd, 0.3515625f, 0.0f, 0.703125f, 0.3515625f, -1);
    add(90, 90, kBlendMul, 0.0f, 0.0f, 0.3515625f, 0.3515625f, 0);
}

void CBonusTime::LayoutParts(float f)
{
    const float s = scale * f;
    for (size_t i = 0; i < shapes.size(); ++i)
    {
        if (i < 4)
            shapes[i]->SetScale(kHands[i].width * s, kHands[i].height * s);
        else if (level > 0 && i == 4)
            shapes[i]->SetScale(76.0f * s, 76.0f * s);
        else
            shapes[i]->SetScale(90.0f * s, 90.0f * s);
    }
}

void CBonusTime::Hide()
{
    CBonus::Hide();
    bonus_shapes::SetVisible(shapes, layer.spriteList, 0);
    if (twirl && overlayLayer.spriteList)
        overlayLayer.spriteList->SetVisible(twirl, 0);
}

void CBonusTime::Show()
{
    CBonus::Show();
    bonus_shapes::SetVisible(shapes, layer.spriteList, 1);
    if (twirl && overlayLayer.spriteList)
        overlayLayer.spriteList->SetVisible(twirl, 0);
}

void CBonusTime::MakeTwirl()
{
    const TimeSettings& t = GetBonusSettings().time;
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    const float w = scale * g.cellWidth, h = scale * g.cellHeight;
    twirl = CRefPtr<CSpriteShape>(new CSpriteShape(flyStart[0], flyStart[1], flyStart[2], 0.5f * w, 0.5f * h,
                                                   t.twirlColor, twirlTexture, 1));
    twirl->SetBlendMode(1, kBlendScreen);
    twirl->zOrder = t.twirlZOrder;
    twirl->SetRotation(RandomUnit() * 2.0f * kPi);
    twirl->spinSpeed = kPi / 2.0f;
    twirl->spinning = 1;
    twirl->SetAlpha(0.0f);
    twirl->fadeSpeed = Rate(1.0f, t.preFlyTime);
    twirl->FadeTo(1.0f);
    twirl->scaleSpeedX = Rate(1.5f * w, t.preFlyTime);
    twirl->scaleSpeedY = Rate(1.5f * h, t.preFlyTime);
    twirl->SetScaleTarget(2.0f * w, 2.0f * h);
    if (overlayLayer.spriteList)
        overlayLayer.spriteList->Add(twirl);
}

void CBonusTime::MakeEmitter(int index)
{
    const TimeSettings& t = GetBonusSettings().time;
    CRefPtr<CVortexKeeper> keeper(new CVortexKeeper);
    keeper->Reset(index == 0 ? CVortexKeeper::kTwelveFramesTrimmed : CVortexKeeper::kSingleFrame);
    keeper->width = keeper->height = t.digitsSize;
    const float trailRate = 50.0f * effectFactor;
    keeper->emissionRate = index == 0 ? trailRate : 0.5f * effectFactor * trailRate;
    if (index == 1)
        keeper->colour = t.starColor;
    keepers[index] = keeper;
    if (!overlayLayer.particles)
        return;
    CCollection2Parametres block(flyStart[0], flyStart[1], flyStart[2], nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                 index == 0 ? CCollection2Parametres::kBlendAlpha : CCollection2Parametres::kBlendAdd);
    block.keeperEmission = 1;
    block.duration = 10000000.0f;
    if (index == 1)
        block.alphaScale = float((t.starColor >> 24) & 0xFFu) / 255.0f;
    overlayLayer.particles->AddCollection2System(systems[index], block, 120, index == 0 ? trailTexture : starTexture);
    if (systems[index])
        for (int i = 0; i < kWarmUpSteps; ++i)
            systems[index]->Update(kWarmUpStep);
}

void CBonusTime::Activate()
{
    const TimeSettings& t = GetBonusSettings().time;
    finished = 1;
    state = kBonusEffect;
    for (const CRefPtr<CSpriteShape>& shape : shapes)
        bonus_shapes::Expire(shape, kTimeShapeLife);
    shapes.clear();
    effectTime = 0.0f;
    flyStart[0] = position[0];
    flyStart[1] = position[1];
    flyStart[2] = t.target.z;
    flyDelta[0] = t.target.x - position[0];
    flyDelta[1] = t.target.y - position[1];
    flyDelta[2] = 0.0f;
    MakeTwirl();
    MakeEmitter(0);
    MakeEmitter(1);
    AddEvent(BonusEvent(kBonusEventTimeFired, level));
}

void CBonusTime::PlaceEffect(float x, float y, float z)
{
    if (twirl)
        twirl->position = Vec3{x, y, z};
    for (const CRefPtr<CParticleSystem>& system : systems)
        if (system)
            system->MoveTo(x, y, z);
}

void CBonusTime::Arrive()
{
    const TimeSettings& t = GetBonusSettings().time;
    PlaceEffect(t.target.x, t.target.y, t.target.z);
    twirl->fadeSpeed = Rate(1.0f, t.postFlyTime);
    twirl->FadeTo(0.0f);
    bonus_shapes::Expire(twirl, t.postFlyTime);
    twirl.Reset();
    CRefPtr<CBatchSprite> flash(new CBatchSprite(t.target.x, t.target.y, t.target.z, glassTexture, 0xFFFFFF));
    flash->SetTexRect(0.0f, 0.0f, 0.546875f, 0.546875f);
    flash->SetScale(140.0f, 140.0f);
    flash->fadeInTime = 0.75f * t.postFlyTime;
    flash->fadeOutTime = 0.75f * t.postFlyTime;
    flash->holdEnd = 4.0f * t.postFlyTime;
    if (overlayLayer.batch)
        overlayLayer.batch->Add(flash);
    AddEvent(BonusEvent(kBonusEventTimeArrived, level));
}

void CBonusTime::EndEffect()
{
    for (CRefPtr<CVortexKeeper>& keeper : keepers)
    {
        if (keeper)
            keeper->active = 0;
        keeper.Reset();
    }
    for (CRefPtr<CParticleSystem>& system : systems)
    {
        if (system)
            system->StopEmission();
        system.Reset();
    }
}

bool CBonusTime::RunEffect(float dt)
{
    const TimeSettings& t = GetBonusSettings().time;
    // A clock that vanished without firing has no twirl: only its events wait.
    if (effectEnded || (!twirl && !systems[0] && !systems[1]))
        return !events.empty();
    effectTime += dt;
    const float P = t.preFlyTime, F = t.flyTime, Q = t.postFlyTime;
    if (effectTime <= P)
        return true;
    if (effectTime < P + F)
    {
        const float u = F > 0.0f ? (effectTime - P) / F : 1.0f;
        PlaceEffect(flyStart[0] + u * flyDelta[0], flyStart[1] + u * flyDelta[1], flyStart[2]);
        return true;
    }
    if (twirl)
        Arrive();
    if (effectTime >= P + F + Q)
    {
        EndEffect();
        effectEnded = 1;
        return !events.empty();
    }
    return true;
}

bool CBonusTime::Update(float dt)
{
    if (!visible)
        return true;
    if (state == kBonusEffect)
        return RunEffect(dt);
    clock += dt;
    MotionLook look{1.0f, 1.0f};
    const bool moving = InMotion();
    if (moving)
    {
        AdvanceMotion(dt);
        look = LookOfMotion();
        LayoutParts(look.factor);
        for (const CRefPtr<CSpriteShape>& shape : shapes)
            shape->SetAlpha(look.alpha);
    }
    const float shade = scale * look.factor;
    for (size_t i = 0; i < shapes.size(); ++i)
    {
        const bool isShade = i == 1 || i == 3;
        shapes[i]->position = Vec3{position[0] + (isShade ? shade : 0.0f), position[1] + (isShade ? shade : 0.0f),
                                   position[2]};
    }
    if (moving && MotionOver())
    {
        if (state == kBonusLeaving)
            return false;
        if (state == kBonusFalling)
        {
            Place(target[0], target[1], target[2], size, column, row);
            LayoutParts(look.factor);
            for (const CRefPtr<CSpriteShape>& shape : shapes)
                shape->SetAlpha(look.alpha);
        }
        else if (state == kBonusVanishing)
        {
            AddEvent(BonusEvent(kBonusEventNeedsHost));
            state = kBonusEffect;
        }
    }
    return true;
}
