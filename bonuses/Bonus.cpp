#include "bonuses/Bonus.h"

#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/ParticleSystemsManager.h"
#include "render/SpriteBatch.h"

#include <cmath>

namespace {

Vec3 ToVec(const float* p)
{
    return Vec3{p[0], p[1], p[2]};
}

void Store(float* p, const Vec3& v)
{
    p[0] = v.x;
    p[1] = v.y;
    p[2] = v.z;
}

} // namespace

CBonus::CBonus()
{
    events.reserve(25);
}

CBonus::~CBonus() = default;

void CBonus::Init()
{
}

void CBonus::Hide()
{
    visible = 0;
}

void CBonus::Show()
{
    visible = 1;
}

bool CBonus::Update(float /*dt*/)
{
    return finished == 0;
}

float CBonus::ScaleOf(float value)
{
    return value / GetGemSettings().standardRadius;
}

void CBonus::AdvanceMotion(float dt)
{
    motionTime += dt;
    if (motionTime > motionDuration)
        motionTime = motionDuration;
    Vec3 p;
    motion.GetPoint(p, motionTime);
    Store(position, p);
}

CBonus::MotionLook CBonus::LookOfMotion() const
{
    const float t = motionDuration > 0.0f ? motionTime / motionDuration : 1.0f;
    const float fadeOut = startAlpha + 2.0f * (1.0f - startAlpha) * (1.0f - t);
    switch (state)
    {
    case kBonusFalling:
        return MotionLook{startScale - t * (startScale - 1.0f),
                          t <= 0.5f ? startAlpha + 2.0f * (1.0f - startAlpha) * t : 1.0f};
    case kBonusLeaving:
        return MotionLook{1.0f + t * (startScale - 1.0f), t < 0.5f ? 1.0f : fadeOut};
    case kBonusVanishing:
        return MotionLook{0.1f + t * (startScale - 0.1f), t < 0.125f ? 8.0f * t : (t < 0.5f ? 1.0f : fadeOut)};
    default:
        return MotionLook{1.0f, 1.0f};
    }
}

void CBonus::MoveTo(float x, float y, float z, int newColumn, int newRow, int animate)
{
    column = newColumn;
    row = newRow;
    target[0] = x;
    target[1] = y;
    target[2] = z;
    if (state == kBonusResting || state == kBonusPlaced)
    {
        position[0] = x;
        position[1] = y;
        position[2] = z;
    }
    else if (state == kBonusFalling)
    {
        if (animate)
        {
            // Redirected while falling: finish the fall from here, but never in
            // less than a tenth of a second.
            float remaining = motionDuration - motionTime;
            float duration = remaining >= 0.1f ? remaining : 0.1f;
            motion.Reset(ToVec(position), ToVec(target), Vec3{1, 1, 0}, Vec3{1, 1, 5}, duration);
            motionTime = 0.0f;
            motionDuration = duration;
        }
        else if (!motion.segments.empty())
        {
            // Riding on a falling token: keep the fall's start, slopes and clock,
            // only its end follows the token.
            const CMotionSegment first = *motion.segments[0]; // Reset drops the segment
            float duration = motion.durations.empty() ? motionDuration : motion.durations[0];
            motion.Reset(first.start, ToVec(target), first.slope0, first.slope1, duration);
        }
    }
    Update(0.0f);
}

void CBonus::SetSize(float value)
{
    size = value;
    scale = ScaleOf(value);
    Update(0.0f);
}

void CBonus::Drop(float x, float y, float z, float newSize, int newColumn, int newRow, int fromCurrent,
                  float time)
{
    size = newSize;
    target[0] = x;
    target[1] = y;
    target[2] = z;
    column = newColumn;
    row = newRow;
    scale = ScaleOf(newSize);
    if (!fromCurrent)
    {
        position[0] = x;
        position[1] = newSize + 440.0f;
        position[2] = z - 1.0f;
    }
    motionTime = 0.0f;
    motionDuration = time;
    state = kBonusFalling;
    motion.Reset(ToVec(position), ToVec(target), Vec3{1, 1, 0}, Vec3{1, 1, 5}, time);
    Update(0.0f);
}

void CBonus::Place(float x, float y, float z, float newSize, int newColumn, int newRow)
{
    size = newSize;
    position[0] = target[0] = x;
    position[1] = target[1] = y;
    position[2] = target[2] = z;
    state = kBonusPlaced;
    column = newColumn;
    row = newRow;
    scale = ScaleOf(newSize);
    SetZOrder(static_cast<int>(std::floor(z)));
    if (reportPlacement)
        AddEvent(BonusEvent(kBonusEventPlaced, 0, 0, 0, position[0]));
}

void CBonus::Stop()
{
    state = kBonusResting;
    target[0] = position[0];
    target[1] = position[1];
    target[2] = position[2];
}

void CBonus::StartMove(float time)
{
    if (state == kBonusFalling)
    {
        motionDuration = time;
        motionTime = 2.0f * time * motionTime;
    }
    else
    {
        motionTime = 0.0f;
        motionDuration = time;
    }
    state = kBonusLeaving;
    motion.Reset(ToVec(position), ToVec(target), Vec3{1, 1, 5}, Vec3{1, 1, 0}, time);
    Update(0.0f);
}

void CBonus::StartVanish(float time)
{
    motionTime = 0.0f;
    motionDuration = time;
    state = kBonusVanishing;
    motion.Reset(ToVec(position), ToVec(target), Vec3{1, 3, 1}, Vec3{1, 0, 1}, time);
    Update(0.0f);
}

void CBonus::Activate()
{
    finished = 1;
}

bool CBonus::IsEffectDone() const
{
    return true;
}

void CBonus::SetZOrder(int z)
{
    const int old = zOrder;
    zOrder = z;
    if (z == old)
        return;
    bonus_shapes::ShiftZOrder(LayerShapes(), z - old);
    if (layer.spriteList)
        layer.spriteList->Resort();
}

void CBonus::SetActive(int flag)
{
    if (flag == active)
        return;
    const BonusLayer& to = flag ? boardLayer : overlayLayer;
    const BonusLayer& from = flag ? overlayLayer : boardLayer;
    bonus_shapes::Move(LayerShapes(), from.spriteList, to.spriteList);
    layer = to;
    active = flag;
    OnLayerChanged();
}

std::vector<CRefPtr<CSpriteShape>> CBonus::LayerShapes() const
{
    return {};
}

void CBonus::SetLayers(const BonusLayer& board, const BonusLayer& overlay)
{
    layer = boardLayer = board;
    overlayLayer = overlay;
}

void CBonus::AddEvent(const BonusEvent& event)
{
    events.push_back(event);
}
