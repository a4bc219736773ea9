#include "bonuses/BonusAdviser.h"

#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"

#include <cmath>

namespace
{

// A glass part: its size, blend, texture rectangle (a fraction of the
// picture) and the z-order below the bonus's.
struct GlassPart
{
    float width, height;
    int blend;
    float left, top, right, bottom;
    int zShift;
};

const GlassPart kFrame = {88, 88, kBlendNormal, 0.0f, 0.0f, 0.34375f, 0.34375f, -2};
const GlassPart kFrameLevel2 = {88, 88, kBlendNormal, 0.0f, 0.34375f, 0.34375f, 0.6875f, -2};
const GlassPart kFirstHalf = {44, 88, kBlendNormal, 0.34375f, 0.34375f, 0.515625f, 0.6875f, -2};
const GlassPart kSecondHalf = {44, 88, kBlendNormal, 0.171875f, 0.34375f, 0.34375f, 0.6875f, -2};
const GlassPart kLens = {74, 74, kBlendAdd, 0.6953125f, 0.0078125f, 0.984375f, 0.296875f, -1};
const GlassPart kShade = {92, 94, kBlendMul, 0.546875f, 0.34375f, 0.90625f, 0.7109375f, 0};
const uint32_t kLensColour = 0x80FFFFFF;
const float kHalfShift = 22.0f;
const float kTrailDuration = 10000000.0f;
const int32_t kTrailCapacity = 200;

} // namespace

CBonusAdviser::CBonusAdviser()
{
    kind = kBonusAdviser;
    shapes.reserve(4);
}

CBonusAdviser::~CBonusAdviser()
{
    bonus_shapes::Remove(shapes, GlassList());
    StopTrail();
}

void CBonusAdviser::SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                                 CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                                 CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                                 CRefPtr<CTexture> bonus, CRefPtr<CTexture> flare, CRefPtr<CTexture> trailPicture)
{
    SetLayers(BonusLayer{boardList, boardManager, boardSprites}, BonusLayer{overlayList, overlayManager, overlaySprites});
    bonusTexture = bonus;
    flareTexture = flare;
    trailTexture = trailPicture;
}

const CRefPtr<CSpriteList>& CBonusAdviser::GlassList() const
{
    return state == kBonusEffect || state == kBonusDone ? overlayLayer.spriteList : layer.spriteList;
}

void CBonusAdviser::Init()
{
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);
    std::vector<const GlassPart*> parts;
    if (HasHalves())
    {
        parts.push_back(&kFirstHalf);
        parts.push_back(&kSecondHalf);
    }
    else
    {
        parts.push_back(level == 2 ? &kFrameLevel2 : &kFrame);
    }
    parts.push_back(&kLens);
    parts.push_back(&kShade);
    const AdviserSettings& a = GetBonusSettings().adviser;
    for (const GlassPart* p : parts)
    {
        const uint32_t colour = p == &kLens ? kLensColour : 0xFFFFFFFF;
        CRefPtr<CSpriteShape> shape(new CSpriteShape(position[0], position[1], position[2], p->width * scale,
                                                     p->height * scale, colour, bonusTexture, 1));
        if (p->blend != kBlendNormal)
            shape->SetBlendMode(1, p->blend);
        shape->SetFrameUV(0, p->left, p->top, p->right, p->bottom);
        shape->zOrder = zOrder + p->zShift;
        if (p == &kLens)
        {
            shape->spinSpeed = a.glassW;
            shape->spinning = 1;
        }
        if (layer.spriteList)
            layer.spriteList->Add(shape);
        shapes.push_back(shape);
    }
    UpdateParts(1.0f);
}

void CBonusAdviser::LayoutParts(float f, int /*second*/)
{
    const float s = scale * f;
    const size_t frames = shapes.size() >= 2 ? shapes.size() - 2 : 0;
    for (size_t i = 0; i < frames; ++i)
        shapes[i]->SetScale((HasHalves() ? 44.0f : 88.0f) * s, 88.0f * s);
    if (shapes.size() >= 2)
    {
        shapes[frames]->SetScale(kLens.width * s, kLens.height * s);
        shapes[frames + 1]->SetScale(kShade.width * s, kShade.height * s);
    }
}

void CBonusAdviser::UpdateParts(float f)
{
    const AdviserSettings& a = GetBonusSettings().adviser;
    const float s = scale * f;
    const size_t frames = shapes.size() >= 2 ? shapes.size() - 2 : 0;
    auto place = [&](const CRefPtr<CSpriteShape>& shape, const Vec3& offset, float shiftX) {
        shape->position = Vec3{position[0] + (offset.x + shiftX) * s, position[1] + offset.y * s, position[2]};
    };
    for (size_t i = 0; i < frames; ++i)
        place(shapes[i], a.rimShift, HasHalves() ? (i == 0 ? -kHalfShift : kHalfShift) : 0.0f);
    if (shapes.size() >= 2)
    {
        place(shapes[frames], a.glassShift, 0.0f);
        place(shapes[frames + 1], a.globalShift, 0.0f);
    }
    if (trail)
        trail->MoveTo(position[0], position[1], position[2]);
}

void CBonusAdviser::SetAlphaAll(float alpha)
{
    for (const CRefPtr<CSpriteShape>& shape : shapes)
        shape->SetAlpha(alpha);
}

void CBonusAdviser::StartTrail()
{
    StopTrail();
    if (!overlayLayer.particles)
        return;
    const AdviserSettings& a = GetBonusSettings().adviser;
    CSpellsSpringParametres block(Vec3{position[0], position[1], position[2]}, Vec3{0.0f, 0.0f, 0.0f}, 2.0f * size,
                                  0.5f * size, 0.5f * size, 0.25f * size, a.tailColor);
    block.duration = kTrailDuration;
    block.fadeRate = 0.75f;
    block.fadeSpread = 0.25f;
    block.rate = 80.0f * effectFactor;
    overlayLayer.particles->AddSpellsSystem(trail, block, kTrailCapacity, trailTexture);
}

void CBonusAdviser::StopTrail()
{
    if (trail)
        trail->StopEmission();
    trail.Reset();
}

void CBonusAdviser::Hide()
{
    CBonus::Hide();
    bonus_shapes::SetVisible(shapes, GlassList(), 0);
    StopTrail();
}

void CBonusAdviser::Show()
{
    CBonus::Show();
    bonus_shapes::SetVisible(shapes, GlassList(), 1);
    if (state == kBonusEffect || state == kBonusDone)
        StartTrail();
}

void CBonusAdviser::Activate()
{
    const AdviserSettings& a = GetBonusSettings().adviser;
    finished = 1;
    state = kBonusEffect;
    for (size_t i = 0; i < shapes.size(); ++i)
        shapes[i]->zOrder = a.zOrder + int(i) - 2;
    bonus_shapes::Move(shapes, boardLayer.spriteList, overlayLayer.spriteList);
    position[2] = a.target.z;
    const Vec3 from{position[0], position[1], position[2]};
    const float dx = a.target.x - from.x, dy = a.target.y - from.y, dz = a.target.z - from.z;
    float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length == 0.0f)
        length = 0.1f;
    motionTime = 0.0f;
    motionDuration = length / a.speed;
    // The glass leaves and arrives with random sideways slopes.
    const float r0 = RandomUnit(), r1 = RandomUnit(), r2 = RandomUnit(), r3 = RandomUnit();
    motion.Reset(from, a.target, Vec3{2.0f * r0 - 1.0f, 2.0f * r1 - 1.0f, 1.0f},
                 Vec3{2.0f * r2 - 1.0f, 2.0f * r3 - 1.0f, 1.0f}, motionDuration);
    StartTrail();
    UpdateParts(1.0f);
    AddEvent(BonusEvent(kBonusEventAdviserFired, level));
}

bool CBonusAdviser::Update(float dt)
{
    if (state == kBonusDone)
        return false;
    if (!visible)
        return true;
    clock += dt;
    const bool moving = InMotion() || state == kBonusEffect;
    MotionLook look{1.0f, 1.0f};
    if (moving)
    {
        AdvanceMotion(dt);
        if (state == kBonusEffect)
            SetAlphaAll(1.0f);
        else
        {
            look = LookOfMotion();
            LayoutParts(look.factor, 0);
            SetAlphaAll(look.alpha);
        }
    }
    UpdateParts(look.factor);
    if (!moving || !MotionOver())
        return true;
    switch (state)
    {
    case kBonusLeaving:
        return false;
    case kBonusFalling:
        Place(target[0], target[1], target[2], size, column, row);
        LayoutParts(look.factor, 0);
        UpdateParts(look.factor);
        SetAlphaAll(look.alpha);
        break;
    case kBonusVanishing:
        AddEvent(BonusEvent(kBonusEventNeedsHost));
        state = kBonusEffect;
        break;
    case kBonusEffect:
        AddEvent(BonusEvent(kBonusEventAdviserArrived, level));
        state = kBonusDone;
        break;
    default:
        break;
    }
    return true;
}
