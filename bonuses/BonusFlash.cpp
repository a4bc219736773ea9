#include "bonuses/BonusFlash.h"
#include "engine/MathConstants.h"

#include "board/BoardGeometry.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/ParticleMath.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SpriteCrackKeeper.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"

#include <algorithm>
#include <cmath>

namespace
{

const float kCellU = 0.34375f, kCellV = 0.359375f;
const float kBoltRowTop = 0.734375f, kBoltRowBottom = 0.984375f, kBoltFrame = 0.125f;
const float kBoltLength = 1.1228f;
const float kEffectDepth = 20.0f;
const float kShapeLife = 0.05f;
const uint32_t kBlue = 0xFF4040FF;
const int kPieces = 6;

void TimeLike(CBatchSprite& sprite, float lifeTime)
{
    sprite.fadeInTime = 0.1f * lifeTime;
    sprite.holdEnd = 0.5f * lifeTime;
    sprite.fadeOutTime = lifeTime;
}

} // namespace

CBonusFlash::CBonusFlash()
{
    kind = kBonusFlash;
    parts.reserve(5);
}

CBonusFlash::~CBonusFlash()
{
    bonus_shapes::Remove(LayerShapes(), layer.spriteList);
}

int CBonusFlash::TableLevel() const
{
    return std::clamp(level, 0, 3);
}

std::vector<CRefPtr<CSpriteShape>> CBonusFlash::LayerShapes() const
{
    std::vector<CRefPtr<CSpriteShape>> all{body, glowA, glowB};
    all.insert(all.end(), parts.begin(), parts.end());
    return all;
}

void CBonusFlash::SetResources(CRefPtr<CSpriteList> activeList, CRefPtr<CParticleSystemsManager> activeManager,
                               CRefPtr<CSpriteBatch> activeBatch, CRefPtr<CSpriteList> inactiveList,
                               CRefPtr<CParticleSystemsManager> inactiveManager, CRefPtr<CSpriteBatch> inactiveBatch,
                               CRefPtr<CTexture> bodyPicture, CRefPtr<CTexture> halo, CRefPtr<CTexture> bolt,
                               CRefPtr<CTexture> spark)
{
    SetLayers(BonusLayer{activeList, activeManager, activeBatch}, BonusLayer{inactiveList, inactiveManager, inactiveBatch});
    bodyTexture = bodyPicture;
    haloTexture = halo;
    boltTexture = bolt;
    sparkTexture = spark;
}

void CBonusFlash::Init()
{
    const FlashSettings& f = GetBonusSettings().flash;
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);
    const float x = position[0], y = position[1], z = position[2] - 0.5f, s = scale;
    const int L = TableLevel();
    auto make = [&](float w, float h, uint32_t colour) {
        return CRefPtr<CSpriteShape>(new CSpriteShape(x, y, z, w, h, colour, bodyTexture, 1));
    };
    body = make(88.0f * s, 92.0f * s, 0xFFFFFFFF);
    const float u = float(L & 1) * kCellU, v = float(L >> 1) * kCellV;
    body->SetFrameUV(0, u, v, u + kCellU, v + kCellV);
    body->zOrder = zOrder - 2;
    glowA = make(76.0f * s, 76.0f * s, 0x80FFFFFF);
    glowA->SetFrameUV(0, 0.6953125f, 0.3203125f, 0.9921875f, 0.6171875f);
    glowA->SetBlendMode(1, kBlendAdd);
    glowA->zWrite = 0;
    glowA->zOrder = zOrder - 1;
    glowB = make(76.0f * s, 76.0f * s, 0x80FFFFFF);
    glowB->SetFrameUV(0, 0.6953125f, 0.0078125f, 0.9921875f, 0.3046875f);
    glowB->zWrite = 0;
    glowB->zOrder = zOrder;
    glowB->SetBlendMode(1, kBlendMul);
    CRefPtr<CSpriteShape> core = make(f.coreSize * s, f.coreSize * s, f.intensityColour);
    core->SetFrameUV(0, 0.875f, 0.625f, 0.96875f, 0.71875f);
    core->SetBlendMode(1, kBlendAdd);
    core->zWrite = 0;
    core->zOrder = zOrder - 1;
    parts.assign(1, core);
    if (layer.spriteList)
        for (const CRefPtr<CSpriteShape>& shape : {body, glowA, glowB, core})
            layer.spriteList->Add(shape);

    const int bolts = std::max(level, 0) + 1;
    boltRadius.assign(size_t(bolts), f.radius);
    for (int i = 0; i < bolts; ++i)
    {
        CRefPtr<CSpriteShape> bolt = make(f.boltWidth * s, f.radius * s * kBoltLength, f.intensityColour);
        bolt->SetFrameUV(0, 0.0f, kBoltRowTop, kBoltFrame, kBoltRowBottom);
        for (int k = 1; k < 8; ++k)
            bolt->AddFrame(kBoltFrame * k, kBoltRowTop, kBoltFrame * (k + 1), kBoltRowBottom);
        bolt->SetBlendMode(1, kBlendAdd);
        bolt->zWrite = 0;
        bolt->zOrder = zOrder - 1;
        bolt->offsetX = 0.0625f;
        bolt->offsetY = -0.390625f;
        bolt->SetRotation(RandomUnit() * kTwoPi);
        const float direction = RandomUnit() >= 0.5f ? 1.0f : -1.0f;
        bolt->spinning = 1;
        bolt->spinSpeed = (1.25f - RandomUnit() * 0.5f) * direction * f.w;
        if (layer.spriteList)
            layer.spriteList->Add(bolt);
        parts.push_back(bolt);
    }
}

void CBonusFlash::LayoutParts(float t, int boltsOnly)
{
    const FlashSettings& fs = GetBonusSettings().flash;
    const float f = scale * t;
    if (!boltsOnly)
    {
        if (body)
            body->SetScale(88.0f * f, 92.0f * f);
        for (const CRefPtr<CSpriteShape>& glow : {glowA, glowB})
            if (glow)
                glow->SetScale(76.0f * f, 76.0f * f);
        if (!parts.empty() && parts[0])
            parts[0]->SetScale(fs.coreSize * f, fs.coreSize * f);
    }
    for (size_t i = 1; i < parts.size() && i - 1 < boltRadius.size(); ++i)
        parts[i]->SetScale(fs.boltWidth * f, boltRadius[i - 1] * f * kBoltLength);
}

void CBonusFlash::Hide()
{
    CBonus::Hide();
    bonus_shapes::SetVisible(LayerShapes(), layer.spriteList, 0);
}

void CBonusFlash::Show()
{
    CBonus::Show();
    bonus_shapes::SetVisible(LayerShapes(), layer.spriteList, 1);
}

bool CBonusFlash::Update(float dt)
{
    if (!visible)
        return true;
    if (state == kBonusEffect)
        return !events.empty();
    clock += dt;
    for (size_t i = 1; i < parts.size(); ++i)
        if (RandomUnit() <= 30.0f * dt)
            parts[i]->currentFrame = pmath::RandomIndex(RandomUnit(), 8);
    MotionLook look{1.0f, 1.0f};
    const bool moving = InMotion();
    if (moving)
    {
        AdvanceMotion(dt);
        look = LookOfMotion();
        LayoutParts(look.factor, 0);
        for (const CRefPtr<CSpriteShape>& shape : LayerShapes())
            if (shape)
                shape->SetAlpha(look.alpha);
    }
    else
        LayoutParts(1.0f, 1);
    for (const CRefPtr<CSpriteShape>& shape : LayerShapes())
        if (shape)
            shape->position = Vec3{position[0], position[1], position[2] - 0.5f};
    if (moving && MotionOver())
    {
        if (state == kBonusLeaving)
            return false;
        if (state == kBonusFalling)
        {
            Place(target[0], target[1], target[2], size, column, row);
            LayoutParts(look.factor, 0);
            for (const CRefPtr<CSpriteShape>& shape : LayerShapes())
                if (shape)
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

std::vector<CBonusFlash::Cell> CBonusFlash::StruckCells(int flashLevel, int c0, int r0, int columns, int rows)
{
    std::vector<Cell> cells;
    if (flashLevel < 1)
        cells.push_back(Cell{c0, r0});
    else
        for (int c = 0; c < columns; ++c)
            cells.push_back(Cell{c, r0});
    if (flashLevel < 1 || flashLevel >= 2)
        for (int r = r0 - 1; r >= 0; --r)
            cells.push_back(Cell{c0, r});
    if (flashLevel >= 3)
        for (int r = r0 + 1; r < rows; ++r)
            cells.push_back(Cell{c0, r});
    return cells;
}

void CBonusFlash::Shatter()
{
    if (!layer.particles)
        return;
    const int L = TableLevel();
    const float u = float(L & 1) * kCellU, v = float(L >> 1) * kCellV;
    CRefPtr<CSpriteCrackKeeper> keeper(new CSpriteCrackKeeper);
    keeper->SetParams(88.0f * scale, 92.0f * scale, u, v, u + kCellU, v + kCellV, kPieces, kPieces, 0.25f);
    keeper->floor = -400.0f;
    keeper->gravity = 2500.0f;
    keeper->speedBase = 500.0f;
    keeper->speedSpread = 150.0f;
    keeper->GeneratePieces();
    CCollection2Parametres block(position[0], position[1], position[2], nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                 CCollection2Parametres::kBlendAlpha);
    block.keeperEmission = 1;
    CRefPtr<CParticleSystem> system;
    layer.particles->AddCollection2System(system, block, 40, bodyTexture);
}

void CBonusFlash::MakeGlow(float x, float y, float z, CRefPtr<CTexture> texture, float width, float height,
                           float spin)
{
    CRefPtr<CBatchSprite> glow(new CBatchSprite(x, y, z, texture, kBlue & 0xFFFFFFu));
    glow->SetScale(width, height);
    TimeLike(*glow, GetBonusSettings().flash.lifeTime);
    if (spin != 0.0f)
        glow->SetSpin(RandomUnit() * kTwoPi, spin, 1, 0, 0, 0, 1, 0);
    if (layer.batch)
        layer.batch->Add(glow);
}

void CBonusFlash::MakeLightning(float toX, float toY, bool vertical)
{
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    const float x = position[0], y = position[1], z = position[2] - kEffectDepth;
    const float cell = vertical ? g.cellWidth : g.cellHeight;
    const Vec3 across = vertical ? Vec3{1.0f, 0.0f, 0.0f} : Vec3{0.0f, 1.0f, 0.0f};
    const Vec3 depth{0.0f, 0.0f, 1.0f};
    if (layer.particles)
    {
        CThunderboltParametres block(Vec3{x, y, z}, across, depth, 0.125f * cell, 0.5f, 0.25f * cell,
                                     Vec3{toX, toY, z}, across, depth, 0.125f * cell, 0.5f, 0.25f * cell,
                                     int32_t(std::floor(8.0f * effectFactor)), 4, kBlue);
        block.pointSize = 8.0f;
        block.duration = GetBonusSettings().flash.lifeTime;
        CRefPtr<CParticleSystem> system;
        layer.particles->AddThunderboltSystem(system, block, 40, boltTexture);
    }
    const float length = std::fabs(vertical ? toY - y : toX - x);
    if (vertical)
        MakeGlow(x, 0.5f * (y + toY), z, sparkTexture, 2.0f * g.cellWidth, length + 2.0f * g.cellHeight, 0.0f);
    else
        MakeGlow(0.5f * (x + toX), y, z, sparkTexture, length + 2.0f * g.cellWidth, 2.0f * g.cellHeight, 0.0f);
}

void CBonusFlash::Activate()
{
    finished = 1;
    state = kBonusEffect;
    for (CRefPtr<CSpriteShape>* shape : {&body, &glowA, &glowB})
    {
        bonus_shapes::Expire(*shape, kShapeLife);
        shape->Reset();
    }
    for (const CRefPtr<CSpriteShape>& part : parts)
        bonus_shapes::Expire(part, kShapeLife);
    parts.clear();
    Shatter();
    const TotemBoardGeometry& g = g_totemBoardGeometry;
    for (int i = 0; i < 2; ++i)
        MakeGlow(position[0], position[1], position[2] - kEffectDepth, haloTexture, 2.0f * g.cellWidth,
                 2.0f * g.cellHeight, kTwoPi);
    if (level != 1)
        MakeLightning(position[0], g.y, true);
    if (level >= 3)
        MakeLightning(position[0], g.y - g.height, true);
    if (level >= 1)
    {
        MakeLightning(g.x, position[1], false);
        MakeLightning(g.x + g.width, position[1], false);
    }
    AddEvent(BonusEvent(kBonusEventFlashFired, level));
    for (const Cell& cell : StruckCells(level, column, row, g.columns, g.rows))
        AddEvent(BonusEvent(kBonusEventCellHit, level, cell.column, cell.row));
}
