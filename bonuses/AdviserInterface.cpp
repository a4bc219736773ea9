#include "bonuses/AdviserInterface.h"
#include "engine/MathConstants.h"

#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "ui/KMStatic.h"

#include <cmath>
#include <cstdio>

namespace
{

const float kArrowLife = 0.05f;
const float kArrowFadeSpeed = 20.0f;
const float kArrowWidth = 64.0f, kArrowHeight = 32.0f;
// The arrow cell of the bonus picture.
const float kArrowLeft = 0.0f, kArrowTop = 0.703125f, kArrowRight = 0.25f, kArrowBottom = 0.828125f;

// Fades the arrow out; the sprite list drops it once its short life is over.
void FadeAway(const CRefPtr<CSpriteShape>& arrow)
{
    if (!arrow)
        return;
    arrow->FadeTo(0.0f);
    bonus_shapes::Expire(arrow, kArrowLife);
}

float WrapTurn(float angle)
{
    return angle > kTwoPi ? angle - kTwoPi : angle;
}

} // namespace

CAdviserInterface::CAdviserInterface()
{
    groupArrowPlaces.reserve(64);
    groupArrows.reserve(64);
    timedArrowPlaces.reserve(8);
    timedArrows.reserve(8);
    arrowTimers.reserve(8);
}

CAdviserInterface::~CAdviserInterface()
{
    Reset();
}

void CAdviserInterface::SetResources(CRefPtr<CKMStatic> counter, CRefPtr<CKMWindow> hintPanel,
                                     CRefPtr<CTexture> arrows, CRefPtr<CSpriteList> list)
{
    counterLabel = counter;
    panel = hintPanel;
    texture = arrows;
    spriteList = list;
}

bool CAdviserInterface::Ready() const
{
    return counterLabel && panel && spriteList;
}

void CAdviserInterface::WriteCounter(float seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%d", int(std::floor(seconds + 0.99f)));
    counterLabel->SetString(text);
}

void CAdviserInterface::DropGroupArrows()
{
    for (const CRefPtr<CSpriteShape>& arrow : groupArrows)
        FadeAway(arrow);
    groupArrows.clear();
    groupArrowPlaces.clear();
}

void CAdviserInterface::AddTime(int32_t on, float amount)
{
    if (!Ready())
        return;
    if (!on)
    {
        if (!active)
            return;
        remaining = 0.0f;
        WriteCounter(0.0f);
        DropGroupArrows();
        fadeDirection = -1;
        return;
    }
    if (!active)
    {
        remaining = 0.0f;
        shownNumber = -1;
        counterAlpha = 0.0f;
        refreshTimer = 0.0f;
        counterLabel->SetVisible(1);
        counterLabel->SetAlpha(0.0f);
        panel->SetActive(0);
        active = 1;
    }
    remaining += amount;
    fadeDirection = counterAlpha < 1.0f ? 1 : 0;
    WriteCounter(remaining);
}

void CAdviserInterface::UpdateTimedArrows(float dt)
{
    const AdviserInterfaceSettings& s = GetBonusSettings().adviserInterface;
    size_t i = 0;
    while (i < timedArrows.size())
    {
        arrowTimers[i] -= dt;
        if (arrowTimers[i] > 0.0f)
        {
            if (timedArrows[i])
                timedArrows[i]->position.y = timedArrowPlaces[i].y + std::sin(arrowTimers[i] * s.arrowW) * s.arrowR;
            ++i;
            continue;
        }
        FadeAway(timedArrows[i]);
        timedArrows.erase(timedArrows.begin() + std::ptrdiff_t(i));
        timedArrowPlaces.erase(timedArrowPlaces.begin() + std::ptrdiff_t(i));
        arrowTimers.erase(arrowTimers.begin() + std::ptrdiff_t(i));
    }
}

void CAdviserInterface::CountDown(float dt)
{
    if (remaining > 0.0f)
    {
        remaining -= dt;
        if (remaining < 0.0f)
        {
            remaining = 0.0f;
            DropGroupArrows();
            fadeDirection = -1;
            panel->SetActive(1);
        }
    }
    const int32_t whole = int32_t(std::floor(remaining + 0.99f));
    if (whole != shownNumber)
    {
        WriteCounter(remaining);
        shownNumber = whole;
    }
}

int CAdviserInterface::Update(float dt)
{
    if (!Ready())
        return 2;
    UpdateTimedArrows(dt);
    if (!active)
        return 2;
    if (fadeDirection < 0)
    {
        counterAlpha -= fadeSpeed * dt;
        if (counterAlpha <= 0.0f)
        {
            Reset();
            return 3;
        }
        counterLabel->SetAlpha(counterAlpha);
    }
    else if (fadeDirection > 0)
    {
        counterAlpha += fadeSpeed * dt;
        if (counterAlpha >= 1.0f)
        {
            counterAlpha = 1.0f;
            fadeDirection = 0;
        }
        counterLabel->SetAlpha(counterAlpha);
    }
    CountDown(dt);
    const AdviserInterfaceSettings& s = GetBonusSettings().adviserInterface;
    haloAngle = WrapTurn(haloAngle + s.haloW * dt);
    if (!counterLabel->sprites.empty() && counterLabel->sprites[0])
        counterLabel->sprites[0]->SetRotation(haloAngle);
    arrowPhase = WrapTurn(arrowPhase + s.arrowW * dt);
    for (size_t i = 0; i < groupArrows.size(); ++i)
        groupArrows[i]->position.y = groupArrowPlaces[i].y + std::sin(arrowPhase) * s.arrowR;
    refreshTimer += dt;
    if (refreshTimer > s.refresh)
    {
        refreshTimer = 0.0f;
        return -1;
    }
    return 2;
}

CRefPtr<CSpriteShape> CAdviserInterface::MakeArrow(float x, float y, float width, float height)
{
    const AdviserInterfaceSettings& s = GetBonusSettings().adviserInterface;
    CRefPtr<CSpriteShape> arrow(new CSpriteShape(x, y, s.z, width, height, 0xFFFFFFFF, texture, 1));
    arrow->SetFrameUV(0, kArrowLeft, kArrowTop, kArrowRight, kArrowBottom);
    arrow->zOrder = s.zOrder;
    arrow->SetAlpha(0.0f);
    arrow->fadeSpeed = kArrowFadeSpeed;
    arrow->FadeTo(1.0f);
    return arrow;
}

void CAdviserInterface::ShowGroupHint(const std::vector<Vec3>& places)
{
    if (!Ready())
        return;
    auto same = [](const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y; };
    std::vector<Vec3> fresh = places;
    size_t i = 0;
    while (i < groupArrows.size())
    {
        bool kept = false;
        for (size_t k = 0; k < fresh.size(); ++k)
            if (same(fresh[k], groupArrowPlaces[i]))
            {
                fresh.erase(fresh.begin() + std::ptrdiff_t(k));
                kept = true;
                break;
            }
        if (kept)
        {
            ++i;
            continue;
        }
        FadeAway(groupArrows[i]);
        groupArrows.erase(groupArrows.begin() + std::ptrdiff_t(i));
        groupArrowPlaces.erase(groupArrowPlaces.begin() + std::ptrdiff_t(i));
    }
    const AdviserInterfaceSettings& s = GetBonusSettings().adviserInterface;
    for (const Vec3& p : fresh)
    {
        groupArrowPlaces.push_back(Vec3{p.x, p.y, s.z});
        CRefPtr<CSpriteShape> arrow = MakeArrow(p.x, p.y + std::sin(arrowPhase) * s.arrowR, kArrowWidth, kArrowHeight);
        spriteList->Add(arrow);
        groupArrows.push_back(arrow);
    }
}

void CAdviserInterface::ShowHint(float x, float y, float time)
{
    if (!spriteList)
        return;
    const AdviserInterfaceSettings& s = GetBonusSettings().adviserInterface;
    timedArrowPlaces.push_back(Vec3{x, y, s.z});
    arrowTimers.push_back(time);
    CRefPtr<CSpriteShape> arrow =
        MakeArrow(x, y + std::sin(s.arrowW * time) * s.arrowR, 2.0f * kArrowWidth, 2.0f * kArrowHeight);
    // Shrinks to the group arrows' size in a tenth of its time; an arrow
    // without time has no shrinking to show and starts at that size.
    const float shrinkTime = 0.1f * time;
    if (shrinkTime > 0.0f)
    {
        arrow->scaleSpeedX = kArrowWidth / shrinkTime;
        arrow->scaleSpeedY = kArrowHeight / shrinkTime;
        arrow->SetScaleTarget(kArrowWidth, kArrowHeight);
    }
    else
        arrow->SetScale(kArrowWidth, kArrowHeight);
    spriteList->Add(arrow);
    timedArrows.push_back(arrow);
}

void CAdviserInterface::Reset()
{
    active = 0;
    if (spriteList)
    {
        bonus_shapes::Remove(groupArrows, spriteList);
        bonus_shapes::Remove(timedArrows, spriteList);
    }
    groupArrows.clear();
    groupArrowPlaces.clear();
    timedArrows.clear();
    timedArrowPlaces.clear();
    arrowTimers.clear();
    if (counterLabel)
        counterLabel->SetVisible(0);
    if (panel)
        panel->SetActive(1);
    remaining = 0.0f;
    counterAlpha = 0.0f;
    shownNumber = 0;
    refreshTimer = 0.0f;
}
