#include "board/Cap.h"
#include "engine/MathConstants.h"

#include "audio/SoundBank.h"
#include "board/CapsManager.h"
#include "engine/Random.h"

#include <cmath>

namespace
{

constexpr float kMaxWobble = 3.0f;
constexpr float kLandingSoundGap = 0.05f;

// Within radius of the point on both axes and by distance.
bool Within(const CCap& cap, float x, float y)
{
    const float dx = x - (cap.offset[0] + cap.position[0]);
    const float dy = y - (cap.offset[1] + cap.position[1]);
    const float r = cap.radius;
    return std::fabs(dx) <= r && std::fabs(dy) <= r && dx * dx + dy * dy <= r * r;
}

} // namespace

// ---------------------------------------------------------------------------------
// CCap
// ---------------------------------------------------------------------------------

CCap::CCap() = default;

CCap::~CCap()
{
    held.Reset();
    look.Reset();
}

int CCap::Update(float dt, bool wobble, bool snap)
{
    int code = kEventNone;
    switch (state)
    {
    case kResting:
        if (wobble)
            wobbleAmplitude = std::min(wobbleAmplitude + dt * 6.0f, kMaxWobble);
        else
            wobbleAmplitude = std::max(wobbleAmplitude - dt * 3.0f, 0.0f);
        if (wobbleAmplitude <= 0.0f)
        {
            wobblePhase = 0.0f;
            for (int i = 0; i < 3; ++i)
                drawnPosition[i] = position[i];
        }
        else
        {
            wobblePhase += dt;
            float x = position[0] + std::sin(2.0f * kPi * wobblePhase + 1.0f) * wobbleAmplitude;
            float y = position[1] +
                      std::cos(1.8379263877868652f * kPi * wobblePhase + 2.0f) * wobbleAmplitude;
            if (snap)
            {
                x = std::floor(x) + 0.5f;
                y = std::floor(y) - 0.5f;
            }
            drawnPosition[0] = x;
            drawnPosition[1] = y;
            drawnPosition[2] = position[2];
        }
        break;
    case kMoving:
    case kMovingAway:
    {
        pathTime = std::min(pathTime + dt, pathDuration);
        Vec3 p{};
        path.GetPoint(p, pathTime);
        position[0] = p.x;
        position[1] = p.y;
        position[2] = p.z;
        wobblePhase = 0.0f;
        wobbleAmplitude = 0.0f;
        for (int i = 0; i < 3; ++i)
            drawnPosition[i] = position[i];
        if (pathTime >= pathDuration)
            code = state;
        else if (state == kMoving && midpointArmed && !midpointSent && path.durations.size() == 3 &&
                 pathTime >= path.durations[0] + path.durations[1])
        {
            midpointSent = 1;
            code = kEventMidpoint;
        }
        break;
    }
    default:
        break;
    }
    const float x = drawnPosition[0] + offset[0];
    const float y = drawnPosition[1] + offset[1];
    const float z = drawnPosition[2] + offset[2];
    if (look)
    {
        look->x = x;
        look->y = y;
        look->z = z;
    }
    if (held)
        held->MoveTo(x, y, z, column, row, 0);
    return code;
}

void CCap::StartMove(const CRefPtr<CCap>& cap, float x, float y, float z, float duration, float s0x, float s0y,
                     float s0z, float s1x, float s1y, float s1z)
{
    if (!cap)
        return;
    CCap& c = *cap;
    c.state = kMoving;
    c.pathTime = 0.0f;
    c.pathDuration = duration;
    c.path.Reset(Vec3{c.drawnPosition[0], c.drawnPosition[1], c.drawnPosition[2]}, Vec3{x, y, z},
                 Vec3{s0x, s0y, s0z}, Vec3{s1x, s1y, s1z}, duration);
}

void CCap::ArmMidpointEvent()
{
    midpointArmed = 1;
    midpointSent = 0;
}

void CCap::SetLockCount(int32_t n)
{
    lockCount = n;
    if (look)
        look->lockCount = n;
}

uint32_t CCap::GetColorArgb() const
{
    switch (colour)
    {
    case 0:
        return 0xFF40FF40u;
    case 1:
        return 0xFFFFFF40u;
    case 2:
        return 0xFFFF4040u;
    case 3:
        return 0xFF4040FFu;
    case 4:
        return 0xFFFFC040u;
    case 6:
        return 0xFFFF40FFu;
    default:
        return 0xFFFFFFFFu;
    }
}

int32_t GetCapLookValue(int32_t colour, int32_t marked)
{
    if (colour < 0 || colour > 6)
        return CCapsManager::kSpecialLook;
    return marked ? colour + CCapsManager::kMarkedOffset : colour;
}

// ---------------------------------------------------------------------------------
// CCapList
// ---------------------------------------------------------------------------------

CCapList::CCapList() { caps.reserve(128); }

CCapList::~CCapList() = default;

void CCapList::CreateCap(CRefPtr<CCap>& out, int32_t colour, int32_t marked, float x, float y, float z,
                         float radius, int32_t originTag, float ox, float oy, float oz)
{
    CRefPtr<CCap> cap(new CCap());
    cap->colour = colour;
    cap->marked = marked;
    cap->originTag = originTag;
    cap->offset[0] = ox;
    cap->offset[1] = oy;
    cap->offset[2] = oz;
    cap->position[0] = cap->drawnPosition[0] = x;
    cap->position[1] = cap->drawnPosition[1] = y;
    cap->position[2] = cap->drawnPosition[2] = z;
    cap->radius = radius;
    if (capsManager)
        capsManager->MakeCapFrame(cap->look, GetCapLookValue(colour, marked), x + ox, y + oy, z + oz, radius, 0);
    caps.push_back(cap);
    out = cap;
}

int CCapList::Add(const CRefPtr<CCap>& cap)
{
    caps.push_back(cap);
    return int(caps.size()) - 1;
}

void CCapList::Remove(const CRefPtr<CCap>& cap, bool removeLook)
{
    for (size_t i = 0; i < caps.size(); ++i)
    {
        if (!caps[i].SameAs(cap))
            continue;
        if (removeLook && capsManager && cap)
            capsManager->RemoveLook(cap->look);
        caps.erase(caps.begin() + std::ptrdiff_t(i));
        return;
    }
}

void CCapList::SetColour(const CRefPtr<CCap>& cap, int32_t colour)
{
    if (!cap)
        return;
    cap->colour = colour;
    if (!capsManager)
        return;
    CRefPtr<CCapFrame> look;
    capsManager->MakeCapFrame(look, GetCapLookValue(colour, cap->marked), cap->drawnPosition[0] + cap->offset[0],
                              cap->drawnPosition[1] + cap->offset[1], cap->drawnPosition[2] + cap->offset[2],
                              cap->radius, 0);
    capsManager->RemoveLook(cap->look);
    cap->look = look;
    look->lockCount = cap->lockCount;
}

void CCapList::SetMarked(const CRefPtr<CCap>& cap, int32_t marked)
{
    if (!cap || (cap->marked != 0) == (marked != 0))
        return;
    cap->marked = marked;
    if (capsManager)
        capsManager->SetMarked(cap->look, marked);
}

void CCapList::SetOriginByTag(float x, float y, float z, int32_t tag)
{
    for (const auto& cap : caps)
        if (cap->originTag == tag)
        {
            cap->offset[0] = x;
            cap->offset[1] = y;
            cap->offset[2] = z;
        }
}

void CCapList::HitTest(CRefPtr<CCap>& out, float x, float y)
{
    out.Reset();
    for (const auto& cap : caps)
    {
        if (cap->placement != CCap::kPlaced || (cap->state != CCap::kResting && cap->state != CCap::kMoving))
            continue;
        if (!Within(*cap, x, y))
            continue;
        if (cap->lockCount != 0)
        {
            if (soundBank)
                soundBank->PlayPanned(soundBank->SelectSteel, x, 0, 0);
            return;
        }
        out = cap;
        return;
    }
}

void CCapList::PickRandomPlainCap(CRefPtr<CCap>& out)
{
    out.Reset();
    auto eligible = [](const CCap& c) {
        return c.placement == CCap::kPlaced && c.state != CCap::kParked && !c.held && c.lockCount == 0;
    };
    // Ordinary colours first; the special kinds only when nothing else is left.
    for (int pass = 0; pass < 2; ++pass)
    {
        auto wanted = [&](const CCap& c) { return eligible(c) && (pass == 1 || c.colour < CCap::kSpecial); };
        int count = 0;
        for (const auto& cap : caps)
            count += wanted(*cap) ? 1 : 0;
        if (count < 1)
            continue;
        int index = int(std::floor(RandomUnit() * float(count)));
        index = std::max(0, std::min(index, count));
        for (const auto& cap : caps)
        {
            if (!wanted(*cap))
                continue;
            if (index-- == 0)
            {
                out = cap;
                return;
            }
        }
    }
}

bool CCapList::IsIdle() const
{
    for (const auto& cap : caps)
        if (cap->placement == CCap::kPlaced && (cap->state != CCap::kResting || !cap->active))
            return false;
    return true;
}

int CCapList::Update(float dt, float mouseX, float mouseY)
{
    events.clear();
    int landed = 0;
    float sumX = 0.0f;
    // Iterate over a copy of the handles: a token stays alive for its own update.
    for (size_t i = 0; i < caps.size(); ++i)
    {
        CRefPtr<CCap> cap = caps[i];
        const bool hovered = cap->state == CCap::kResting && cap->placement == CCap::kPlaced && cap->active &&
                             Within(*cap, mouseX, mouseY);
        const int code = cap->Update(dt, hovered && cap->lockCount == 0, snapToPixels != 0);
        if (code == CCap::kEventMidpoint || (code == CCap::kEventArrived && cap->midpointArmed))
        {
            ++landed;
            sumX += cap->position[0];
        }
        if (code != CCap::kEventNone && code != CCap::kEventMidpoint)
            events.emplace_back(cap, code);
    }
    // At most one landing sound in any 0.05 s, panned at the landing tokens' mean x.
    if (soundTimer >= kLandingSoundGap)
    {
        if (landed >= 1)
        {
            if (soundBank)
                soundBank->PlayPanned(soundBank->Drop, sumX / float(landed), 0, 0);
            soundTimer = 0.0f;
        }
    }
    else
        soundTimer += dt;
    return int(events.size());
}

void CCapList::Clear()
{
    if (capsManager)
        for (const auto& cap : caps)
            capsManager->RemoveLook(cap->look);
    caps.clear();
}
