#include "bonuses/BonusSolidarity.h"
#include "engine/MathConstants.h"

#include "bonuses/BonusConfig.h"
#include "bonuses/BonusShapes.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"

#include <algorithm>
#include <cmath>

namespace
{

const float kSolidarityShapeLife = 0.05f;
const float kPathDepth = 10.0f; // the bolt runs this far in front of the tokens
const float kFlashSize = 64.0f, kBigFlashSize = 160.0f;
const float kTwirlSpin = 12.566371f;
// Pictures of the atlas: the ray and bolt strip on top, the ring and the centre below.
const float kStripBottom = 0.5f, kBoltRight = 0.25f;
const float kRing[4] = {0.0f, 0.5f, 0.25f, 1.0f};
const float kCentre[4] = {0.25f, 0.5f, 0.5f, 1.0f};

float DistanceSq2(const Vec3& a, const Vec3& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

} // namespace

CBonusSolidarity::CBonusSolidarity()
{
    kind = kBonusSolidarity;
    body.reserve(8);
    rings.reserve(4);
    ringAges.reserve(4);
    ringTimer = GetBonusSettings().solidarity.ringT;
}

CBonusSolidarity::~CBonusSolidarity()
{
    bonus_shapes::Remove(LayerShapes(), layer.spriteList);
    bonus_shapes::Remove(boltSegments, layer.spriteList);
}

void CBonusSolidarity::SetResources(CRefPtr<CSpriteList> boardList, CRefPtr<CParticleSystemsManager> boardManager,
                                    CRefPtr<CSpriteBatch> boardSprites, CRefPtr<CSpriteList> overlayList,
                                    CRefPtr<CParticleSystemsManager> overlayManager,
                                    CRefPtr<CSpriteBatch> overlaySprites, CRefPtr<CTexture> picture)
{
    SetLayers(BonusLayer{boardList, boardManager, boardSprites}, BonusLayer{overlayList, overlayManager, overlaySprites});
    texture = picture;
}

std::vector<CRefPtr<CSpriteShape>> CBonusSolidarity::LayerShapes() const
{
    std::vector<CRefPtr<CSpriteShape>> all = body;
    all.insert(all.end(), rings.begin(), rings.end());
    return all;
}

void CBonusSolidarity::Init()
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    baseSize = size;
    state = kBonusResting;
    scale = ScaleOf(size);
    const float x = position[0], y = position[1], z = position[2];
    CRefPtr<CSpriteShape> centre(new CSpriteShape(x, y, z, s.centerSize * scale, s.centerSize * scale,
                                                  s.centerColor, texture, 1));
    centre->SetBlendMode(1, kBlendAdd);
    centre->SetFrameUV(0, kCentre[0], kCentre[1], kCentre[2], kCentre[3]);
    centre->zOrder = zOrder - 2;
    centre->SetRotation(RandomUnit() * 6.2831854820251465f);
    centre->spinSpeed = s.centerW;
    centre->spinning = 1;
    if (layer.spriteList)
        layer.spriteList->Add(centre);
    body.push_back(centre);
    const int n = level + 2 > 0 ? level + 2 : 0;
    float theta = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        CRefPtr<CSpriteShape> ray(new CSpriteShape(x, y, z, s.tailSize[0] * scale, s.tailSize[1] * scale,
                                                   s.tailColor, texture, 1));
        ray->SetBlendMode(1, kBlendScreen);
        const float r = RandomUnit();
        ray->SetFrameUV(0, r, 0.0f, r + s.tailTLen, kStripBottom);
        ray->zOrder = zOrder - 1;
        ray->offsetX = -0.5f; // the ray starts at the centre and reaches outward
        ray->SetRotation(theta);
        ray->spinSpeed = s.tailW;
        ray->spinning = 1;
        if (layer.spriteList)
            layer.spriteList->Add(ray);
        body.push_back(ray);
        theta += kTwoPi / float(n);
    }
}

void CBonusSolidarity::Hide()
{
    CBonus::Hide();
    bonus_shapes::SetVisible(LayerShapes(), layer.spriteList, 0);
}

void CBonusSolidarity::Show()
{
    CBonus::Show();
    bonus_shapes::SetVisible(LayerShapes(), layer.spriteList, 1);
}

bool CBonusSolidarity::IsEffectDone() const
{
    return events.empty() && boltSegments.empty();
}

void CBonusSolidarity::LayoutParts(float t, float alpha)
{
    const SolidaritySettings& st = GetBonusSettings().solidarity;
    const float s = scale * t;
    const Vec3 at{position[0], position[1], position[2]};
    for (size_t i = 0; i < body.size(); ++i)
    {
        if (i == 0)
            body[i]->SetScale(st.centerSize * s, st.centerSize * s);
        else
            body[i]->SetScale(st.tailSize[0] * s, st.tailSize[1] * s);
        body[i]->position = at;
        body[i]->SetAlpha(alpha);
    }
    for (size_t i = 0; i < rings.size(); ++i)
    {
        const float a = ringAges[i];
        const float side = (st.ringR + a * st.ringExpandSpeed) * s;
        rings[i]->SetScale(side, side);
        rings[i]->position = at;
        // Fades in over the first quarter of its life and out over the second half.
        const float q = a / st.ringLifeTime;
        const float k = q < 0.25f ? 4.0f * q : (q <= 0.5f ? 1.0f : (q <= 1.0f ? 2.0f * (1.0f - q) : 0.0f));
        rings[i]->SetAlpha(alpha * k);
    }
}

void CBonusSolidarity::ScrollRays(float dt)
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    for (size_t i = 1; i < body.size(); ++i)
    {
        CSpriteShape& ray = *body[i];
        float u0 = ray.frames.empty() ? 0.0f : ray.frames[0].u;
        u0 -= s.tailTSpeed * dt;
        if (u0 < 0.0f)
            u0 += 1.0f;
        ray.SetFrameUV(0, u0, 0.0f, u0 + s.tailTLen, kStripBottom);
    }
}

void CBonusSolidarity::BornRing()
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    CRefPtr<CSpriteShape> ring(new CSpriteShape(position[0], position[1], position[2], s.ringR * scale,
                                                s.ringR * scale, s.ringColor, texture, 1));
    ring->SetBlendMode(1, kBlendScreen);
    ring->SetFrameUV(0, kRing[0], kRing[1], kRing[2], kRing[3]);
    ring->zOrder = zOrder;
    ring->SetRotation(RandomUnit() * kTwoPi);
    ring->spinSpeed = s.ringW;
    ring->spinning = 1;
    ring->zWrite = 0;
    if (layer.spriteList)
        layer.spriteList->Add(ring);
    rings.push_back(ring);
    ringAges.push_back(0.0f);
}

void CBonusSolidarity::AgeRings(float dt)
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    size_t i = 0;
    while (i < rings.size())
    {
        ringAges[i] += dt;
        if (ringAges[i] < s.ringLifeTime)
        {
            ++i;
            continue;
        }
        if (layer.spriteList)
            layer.spriteList->Remove(rings[i]);
        rings.erase(rings.begin() + std::ptrdiff_t(i));
        ringAges.erase(ringAges.begin() + std::ptrdiff_t(i));
    }
    ringTimer += dt;
    if (ringTimer >= s.ringT)
    {
        ringTimer -= s.ringT;
        BornRing();
    }
}

bool CBonusSolidarity::Update(float dt)
{
    if (!visible)
        return true;
    if (state == kBonusEffect)
        return RunBolt(dt);
    clock += dt;
    ScrollRays(dt);
    AgeRings(dt);
    MotionLook look{1.0f, 1.0f};
    const bool moving = InMotion();
    if (moving)
    {
        AdvanceMotion(dt);
        look = LookOfMotion();
    }
    LayoutParts(look.factor, look.alpha);
    if (!moving || !MotionOver())
        return true;
    if (state == kBonusLeaving)
        return false;
    if (state == kBonusFalling)
    {
        Place(target[0], target[1], target[2], size, column, row);
        LayoutParts(look.factor, look.alpha);
    }
    else if (state == kBonusVanishing)
    {
        AddEvent(BonusEvent(kBonusEventNeedsHost));
        state = kBonusEffect;
    }
    return true;
}

void CBonusSolidarity::MakeFlash(const Vec3& at, float width, float height, uint32_t colour, bool ring, float spin,
                                 float life, float growSpeed, float growTo)
{
    const float* picture = ring ? kRing : kCentre;
    CRefPtr<CSpriteShape> flash(new CSpriteShape(at.x, at.y, at.z, width, height, colour, texture, 1));
    flash->SetBlendMode(1, kBlendAdd);
    flash->SetFrameUV(0, picture[0], picture[1], picture[2], picture[3]);
    flash->zOrder = zOrder;
    flash->zWrite = 0;
    flash->SetRotation(RandomUnit() * kTwoPi);
    flash->spinSpeed = spin;
    flash->spinning = 1;
    bonus_shapes::Expire(flash, life);
    flash->scaleSpeedX = flash->scaleSpeedY = growSpeed;
    flash->SetScaleTarget(growTo, growTo);
    flash->fadeSpeed = life > 0.0f ? 1.0f / life : 1.0e9f;
    flash->FadeTo(0.0f);
    if (layer.spriteList)
        layer.spriteList->Add(flash);
}

// The small flash of a bolt reaching a path point.
void CBonusSolidarity::FlashAtPoint(const Vec3& at)
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    const float life = s.boltLength / s.boltSpeed;
    const float side = kFlashSize * scale;
    MakeFlash(at, side, side, s.centerColor, false, s.centerW, life, life > 0.0f ? 3.0f * side / life : 1.0e9f,
              4.0f * side);
}

void CBonusSolidarity::Activate()
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    finished = 1;
    state = kBonusEffect;
    for (const CRefPtr<CSpriteShape>& shape : LayerShapes())
        bonus_shapes::Expire(shape, kSolidarityShapeLife);
    body.clear();
    rings.clear();
    ringAges.clear();
    boltTail = -s.boltLength;
    boltHead = 0.0f;
    firstSegment = lastSegment = 0;
    const Vec3 at{position[0], position[1], position[2]};
    const float life = s.boltLength / s.boltSpeed;
    if (level < 3)
        FlashAtPoint(at);
    else
    {
        const float big = kBigFlashSize * scale;
        MakeFlash(at, big, big, 0xFFFFFFFF, false, s.centerW, life, life > 0.0f ? 3.0f * big / life : 1.0e9f,
                  4.0f * big);
        const float twirlLife = 2.0f * s.termTime;
        const float grow = twirlLife > 0.0f ? 280.0f * scale / (twirlLife * 0.5f) : 1.0e9f;
        MakeFlash(at, 80.0f * scale, 80.0f * scale, 0xFFFFFFFF, true, kTwirlSpin, twirlLife, grow, 360.0f * scale);
        MakeFlash(at, 80.0f * scale, 360.0f * scale, 0xFFFFFFFF, true, -kTwirlSpin, twirlLife, grow, 360.0f * scale);
    }
    AddEvent(BonusEvent(kBonusEventSolidarityFired, level));
}

std::vector<size_t> CBonusSolidarity::ChainOrder(const std::vector<Vec3>& targets) const
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    const Vec3 from{position[0], position[1], position[2]};
    std::vector<size_t> byDistance(targets.size());
    for (size_t i = 0; i < targets.size(); ++i)
        byDistance[i] = i;
    std::stable_sort(byDistance.begin(), byDistance.end(), [&](size_t a, size_t b) {
        return DistanceSq2(targets[a], from) < DistanceSq2(targets[b], from);
    });
    // The first target is the nearest whose bolt arrives no sooner than the
    // lead time, else the farthest; of targets at one distance the first counts.
    size_t first = byDistance.front();
    float last = -1.0f;
    for (size_t i : byDistance)
    {
        const float d2 = DistanceSq2(targets[i], from);
        if (!(d2 > last))
            continue;
        last = d2;
        first = i;
        if ((std::sqrt(d2) + s.boltLength) / s.boltSpeed >= s.termTime)
            break;
    }
    // Then nearest next from the last target reached, however far it lies, so
    // that every target is on the path.
    std::vector<size_t> order{first};
    std::vector<bool> used(targets.size(), false);
    used[first] = true;
    while (order.size() < targets.size())
    {
        const Vec3& at = targets[order.back()];
        size_t best = targets.size();
        for (size_t i = 0; i < targets.size(); ++i)
            if (!used[i] && (best == targets.size() || DistanceSq2(targets[i], at) < DistanceSq2(targets[best], at)))
                best = i;
        used[best] = true;
        order.push_back(best);
    }
    return order;
}

void CBonusSolidarity::PlanBolts(const std::vector<Vec3>& targets, std::vector<float>& delays)
{
    if (targets.empty())
        return;
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    const size_t n = targets.size();
    const std::vector<size_t> order = ChainOrder(targets);
    const float z = position[2] - kPathDepth;
    path.clear();
    path.reserve(n + 1);
    path.push_back(Vec3{position[0], position[1], z});
    for (size_t k : order)
        path.push_back(Vec3{targets[k].x, targets[k].y, z});
    pathDistances.assign(n + 1, 0.0f);
    segmentDirections.assign(n, Vec3{1.0f, 0.0f, 0.0f});
    segmentLengths.assign(n, 0.0f);
    for (size_t k = 0; k < n; ++k)
    {
        const Vec3 d{path[k + 1].x - path[k].x, path[k + 1].y - path[k].y, path[k + 1].z - path[k].z};
        const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        segmentLengths[k] = length;
        // A target on the point before it keeps the last direction's default.
        if (length > 0.0f)
            segmentDirections[k] = Vec3{d.x / length, d.y / length, d.z / length};
        pathDistances[k + 1] = pathDistances[k] + length;
    }
    delays.assign(n, 0.0f);
    for (size_t k = 0; k < n; ++k)
        delays[order[k]] = std::max(0.0f, (pathDistances[k + 1] + s.boltLength) / s.boltSpeed - s.termTime);
}

// Lays the bolt sprite of segment k over the stretch a..b of the path; the
// texture runs from u at the head end backwards.
void CBonusSolidarity::FitBolt(size_t k, float a, float b, float& u)
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    const float length = b - a;
    const Vec3& d = segmentDirections[k];
    const float along = (a + b) / 2.0f - pathDistances[k];
    CSpriteShape& bolt = *boltSegments[k];
    bolt.position = Vec3{path[k].x + d.x * along, path[k].y + d.y * along, path[k].z + d.z * along};
    bolt.SetScale(length, s.boltWidth);
    const float head = u;
    u -= length / s.boltTFactor;
    bolt.SetFrameUV4(0, u, 0.0f, head, 0.0f, head, kStripBottom, u, kStripBottom);
}

bool CBonusSolidarity::RunBolt(float dt)
{
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    const size_t segments = segmentLengths.size();
    if (segments == 0)
        return !events.empty() || !boltSegments.empty();
    if (boltHead == 0.0f && boltSegments.empty())
        boltSegments.assign(segments, CRefPtr<CSpriteShape>());
    if (boltSegments.size() != segments)
        return !events.empty(); // the bolt has passed the last target
    boltTail += s.boltSpeed * dt;
    boltHead = boltTail + s.boltLength;
    while (size_t(firstSegment) + 1 < segments && pathDistances[size_t(firstSegment) + 1] < boltTail)
        ++firstSegment;
    while (size_t(lastSegment) + 1 < segments && pathDistances[size_t(lastSegment) + 1] < boltHead)
        ++lastSegment;
    // The texture scrolls along the bolt; a whole turn looks the same.
    boltPhase -= s.boltTSpeed * dt;
    boltPhase -= std::floor(boltPhase);
    const float end = pathDistances.back();
    float u = boltPhase - (boltHead > end ? (boltHead - end) / s.boltTFactor : 0.0f);
    for (size_t k = segments; k-- > 0;)
    {
        CRefPtr<CSpriteShape>& bolt = boltSegments[k];
        const float a = std::max(boltTail, pathDistances[k]), b = std::min(boltHead, pathDistances[k + 1]);
        if (int32_t(k) < firstSegment)
        {
            if (bolt && layer.spriteList)
                layer.spriteList->Remove(bolt);
            bolt.Reset();
            continue;
        }
        if (int32_t(k) > lastSegment)
            continue;
        if (!bolt)
        {
            FlashAtPoint(path[k]);
            bolt = CRefPtr<CSpriteShape>(new CSpriteShape(path[k].x, path[k].y, path[k].z, b - a, s.boltWidth,
                                                          s.boltColor, texture, 1));
            bolt->SetBlendMode(1, kBlendAdd);
            bolt->SetFrameUV(0, 0.0f, 0.0f, kBoltRight, kStripBottom);
            bolt->zOrder = zOrder;
            bolt->zWrite = 0;
            const Vec3& d = segmentDirections[k];
            bolt->SetAxes(d.x, d.y, d.z, -d.y, d.x, 0.0f, 1);
            FitBolt(k, a, b, u);
            if (layer.spriteList)
                layer.spriteList->Add(bolt);
            AddEvent(BonusEvent(kBonusEventSolidarityRedirect, 0, 0, 0, bolt->position.x));
            continue;
        }
        FitBolt(k, a, b, u);
    }
    if (!endFlashDone && boltHead >= end)
    {
        FlashAtPoint(path.back());
        AddEvent(BonusEvent(kBonusEventSolidarityRedirect, 0, 0, 0, path.back().x));
        endFlashDone = 1;
    }
    if (boltTail >= end)
    {
        bonus_shapes::Remove(boltSegments, layer.spriteList);
        boltSegments.clear();
    }
    return !events.empty() || !boltSegments.empty();
}
