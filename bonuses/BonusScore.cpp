#include "bonuses/BonusScore.h"
#include "engine/MathConstants.h"

#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/MultiOriginSystemKeeper.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SimpleSpriteSystemKeeper.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"

#include <cmath>

namespace
{

const float kQuarterTurn = 1.5707964f;
const float kScoreShapeLife = 0.05f;
const float kCoinFrames = 8.0f;
const float kAtlas = 256.0f;
const float kNoteWidth = 50.0f, kNoteHeight = 36.0f, kCoinSize = 24.0f;
const float kTailDuration = 10000000.0f;
const int32_t kTailCapacity = 120;
const int32_t kThrowCapacity = 20;

} // namespace

int CBonusScore::CoinCount(int level)
{
    switch (level)
    {
    case 0: return 3;
    case 1: return 5;
    case 2: return 7;
    default: return 10;
    }
}

CBonusScore::CBonusScore()
{
    kind = kBonusScore;
    shapes.reserve(16);
}

CBonusScore::~CBonusScore()
{
    bonus_shapes::Remove(shapes, layer.spriteList);
    StopTails();
}

void CBonusScore::SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                               CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                               CRefPtr<CParticleSystemsManager> overlayManager, CRefPtr<CSpriteBatch> overlaySprites,
                               CRefPtr<CTexture> coins, CRefPtr<CTexture> tail)
{
    SetLayers(BonusLayer{boardList, boardManager, boardSprites}, BonusLayer{overlayList, overlayManager, overlaySprites});
    coinTexture = coins;
    tailTexture = tail;
}

void CBonusScore::MakeCoin(int i, float angle)
{
    const float s = scale;
    CRefPtr<CSpriteShape> coin(new CSpriteShape(position[0], position[1], position[2], kCoinSize * s, kCoinSize * s,
                                                0xFFFFFFFF, coinTexture, 1));
    // Two columns of four frames; each cell is laid a quarter turn round, as
    // the coin's x axis points out from the note.
    for (int j = 0; j < 8; ++j)
    {
        const float l = (54.0f + 24.0f * float(j / 4)) / kAtlas, r = (78.0f + 24.0f * float(j / 4)) / kAtlas;
        const float t = (94.0f + 24.0f * float(j % 4)) / kAtlas, b = (118.0f + 24.0f * float(j % 4)) / kAtlas;
        if (j == 0)
            coin->SetFrameUV4(0, r, t, r, b, l, b, l, t);
        else
            coin->AddFrameUV4(r, t, r, b, l, b, l, t);
    }
    coinPhases[size_t(i)] = RandomUnit() * kCoinFrames;
    coin->currentFrame = int32_t(std::floor(coinPhases[size_t(i)])) & 7;
    coin->offsetX = -GetBonusSettings().score.coinOrbitRadius / kCoinSize;
    coin->SetRotation(angle);
    coin->spinSpeed = GetBonusSettings().score.coinW;
    coin->spinning = 1;
    coin->zOrder = zOrder;
    if (layer.spriteList)
        layer.spriteList->Add(coin);
    shapes.push_back(coin);
}

void CBonusScore::Init()
{
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);
    const float s = scale;
    CRefPtr<CSpriteShape> note(new CSpriteShape(position[0], position[1], position[2], kNoteWidth * s,
                                                kNoteHeight * s, 0xFFFFFFFF, coinTexture, 1));
    // The notes of the levels stand one under the other; past the last the last shows.
    const int row = level < 0 ? 0 : (level > 3 ? 3 : level);
    const float top = (94.0f + 36.0f * float(row)) / kAtlas;
    note->SetFrameUV(0, 4.0f / kAtlas, top, 54.0f / kAtlas, top + kNoteHeight / kAtlas);
    note->zOrder = zOrder;
    if (layer.spriteList)
        layer.spriteList->Add(note);
    shapes.push_back(note);
    const int n = CoinCount(level);
    coinPhases.assign(size_t(n), 0.0f);
    float angle = kQuarterTurn;
    for (int i = 0; i < n; ++i)
    {
        MakeCoin(i, angle);
        angle += 6.2831855f / float(n);
    }
    StartTails();
}

void CBonusScore::StartTails()
{
    const ScoreSettings& sc = GetBonusSettings().score;
    tailKeeper = CRefPtr<CMultiOriginSystemKeeper>(new CMultiOriginSystemKeeper);
    tailKeeper->zVelocityScale = 0.0f;
    const CMultiOriginSystemKeeper::ParticleLook look = {
        {20.0f, 5.0f}, {12.0f, 12.0f, 4.0f, 4.0f}, {512.0f, -256.0f}, sc.tailColor, {0.01f, 0.1f, 0.2f},
        {0.001f, 0.025f, 0.025f}};
    tailKeeper->AddOrigin(sc.coinOrbitRadius, CoinCount(level), kQuarterTurn, 60.0f * effectFactor, 0.0f, look, 0);
    tailSystem.Reset();
    if (!layer.particles)
        return;
    CCollection2Parametres block(position[0], position[1], position[2], nullptr,
                                 CRefPtr<CCollection2Keeper>(tailKeeper), CCollection2Parametres::kBlendAdd);
    block.keeperEmission = 1;
    block.duration = kTailDuration;
    layer.particles->AddCollection2System(tailSystem, block, kTailCapacity, tailTexture);
}

void CBonusScore::StopTails()
{
    if (tailSystem)
        tailSystem->StopEmission();
    tailSystem.Reset();
    tailKeeper.Reset();
}

void CBonusScore::OnLayerChanged()
{
    if (!tailSystem)
        return;
    StopTails();
    StartTails();
}

void CBonusScore::Hide()
{
    CBonus::Hide();
    bonus_shapes::SetVisible(shapes, layer.spriteList, 0);
    StopTails();
}

void CBonusScore::Show()
{
    CBonus::Show();
    bonus_shapes::SetVisible(shapes, layer.spriteList, 1);
    StopTails();
    StartTails();
}

void CBonusScore::LayoutParts(float t)
{
    const float s = scale * t;
    for (size_t i = 0; i < shapes.size(); ++i)
        if (i == 0)
            shapes[i]->SetScale(kNoteWidth * s, kNoteHeight * s);
        else
            shapes[i]->SetScale(kCoinSize * s, kCoinSize * s);
}

void CBonusScore::UpdateParts(float t)
{
    if (!tailSystem || !tailKeeper)
        return;
    tailSystem->MoveTo(position[0], position[1], position[2]);
    const int n = Coins();
    if (n < 1)
        return;
    const float r = scale * t * GetBonusSettings().score.coinOrbitRadius;
    const float step = kTwoPi / float(n);
    float theta = shapes[1]->angle;
    for (int i = 0; i < n && size_t(i) < tailKeeper->origins.size(); ++i)
    {
        tailKeeper->origins[size_t(i)].offset = Vec3{r * std::cos(theta), r * std::sin(theta), 0.0f};
        theta += step;
    }
}

void CBonusScore::AnimateCoins(float dt)
{
    const float fps = GetBonusSettings().score.coinFPS;
    for (size_t i = 0; i < coinPhases.size() && i + 1 < shapes.size(); ++i)
    {
        float& phase = coinPhases[i];
        phase += fps * dt;
        const float k = std::floor(phase * 0.125f);
        if (k >= 1.0f)
            phase -= k * kCoinFrames;
        shapes[i + 1]->currentFrame = int32_t(phase) & 7;
    }
}

bool CBonusScore::Update(float dt)
{
    if (!visible)
        return true;
    if (state == kBonusEffect)
        return !events.empty();
    clock += dt;
    AnimateCoins(dt);
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
    for (const CRefPtr<CSpriteShape>& shape : shapes)
        shape->position = Vec3{position[0], position[1], position[2]};
    UpdateParts(look.factor);
    if (!moving || !MotionOver())
        return true;
    if (state == kBonusLeaving)
        return false;
    if (state == kBonusFalling)
    {
        Place(target[0], target[1], target[2], size, column, row);
        LayoutParts(look.factor);
        for (const CRefPtr<CSpriteShape>& shape : shapes)
            shape->SetAlpha(look.alpha);
        UpdateParts(look.factor);
    }
    else if (state == kBonusVanishing)
    {
        AddEvent(BonusEvent(kBonusEventNeedsHost));
        state = kBonusEffect;
    }
    return true;
}

void CBonusScore::ThrowCoins()
{
    const int n = CoinCount(level);
    CRefPtr<CSimpleSpriteSystemKeeper> keeper(new CSimpleSpriteSystemKeeper);
    keeper->SetParams(n, 40.0f, 40.0f, 0.0f);
    keeper->SetFrameRect(0, 54.0f / kAtlas, 94.0f / kAtlas, 78.0f / kAtlas, 118.0f / kAtlas);
    keeper->floor = -400.0f;
    keeper->widthBase = keeper->heightBase = 40.0f;
    keeper->widthSpread = 0.0f;
    keeper->heightSpread = 8.0f;
    keeper->gravity = 2000.0f;
    keeper->speedBase = 500.0f;
    keeper->speedSpread = 150.0f;
    const float start = shapes.size() > 1 ? shapes[1]->angle : kQuarterTurn;
    keeper->GenerateLayout2(GetBonusSettings().score.coinOrbitRadius, n, start);
    if (!layer.particles)
        return;
    CCollection2Parametres block(position[0], position[1], position[2], nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                 CCollection2Parametres::kBlendAlpha);
    block.keeperEmission = 1;
    CRefPtr<CParticleSystem> thrown;
    layer.particles->AddCollection2System(thrown, block, kThrowCapacity, coinTexture);
}

void CBonusScore::Activate()
{
    finished = 1;
    state = kBonusEffect;
    ThrowCoins();
    for (const CRefPtr<CSpriteShape>& shape : shapes)
        bonus_shapes::Expire(shape, kScoreShapeLife);
    shapes.clear();
    StopTails();
    AddEvent(BonusEvent(kBonusEventScoreFired, level));
}
