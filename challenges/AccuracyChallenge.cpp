#include "challenges/AccuracyChallenge.h"
#include "engine/MathConstants.h"

#include "audio/SoundBank.h"
#include "effects/ParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"
#include "effects/ParticleParametres.h"
#include "engine/Random.h"

#include <cmath>

namespace
{

constexpr uint32_t kStarColour = 0xFFFF80FF;
constexpr float kCatchFlightTime = 0.5f;
constexpr float kFlyOutTime = 0.1f;
constexpr float kCaughtSpinFactor = 7.0f;
constexpr int32_t kSparkCount = 200;

// The spark cloud of a star: a slow endless trail while it flies, a short
// thick burst when it is caught.
CSpellsSpringParametres SparkBlock(const Vec3& origin, bool burst)
{
    CSpellsSpringParametres block(origin, Vec3{0.0f, 0.0f, 0.0f}, burst ? 96.0f : 16.0f, burst ? 32.0f : 8.0f,
                                  8.0f, 4.0f, kStarColour);
    block.fadeRate = burst ? 1.0f : 0.5f;
    block.fadeSpread = 0.25f;
    block.duration = burst ? 0.05f : 10000000.0f;
    block.rate = burst ? 400.0f : 20.0f;
    block.randomAngle = 1;
    block.randomSpinSign = 1;
    block.spin = 512.0f;
    block.spinSpread = 256.0f;
    return block;
}

float RandomSign()
{
    return RandomUnit() < 0.5f ? -1.0f : 1.0f;
}

} // namespace

CAccuracyStar::~CAccuracyStar()
{
    if (shape)
    {
        // The sprite list drops it at its next update.
        shape->mortal = 1;
        shape->life = 0.0f;
    }
    if (trail)
        trail->StopEmission();
    trail.Reset();
    shape.Reset();
}

CAccuracyChallenge::CAccuracyChallenge()
{
    stars.reserve(40);
}

CAccuracyChallenge::~CAccuracyChallenge()
{
    stars.clear();
    soundBank.Reset();
    sparkTexture.Reset();
    starTexture.Reset();
    particles.Reset();
    spriteList.Reset();
}

void CAccuracyChallenge::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> manager,
                                      CRefPtr<CTexture> star, CRefPtr<CTexture> spark)
{
    spriteList = std::move(list);
    particles = std::move(manager);
    starTexture = std::move(star);
    sparkTexture = std::move(spark);
}

void CAccuracyChallenge::SetStarParams(float centreX, float topY, float z, float width, float height, float rowX,
                                       float rowY, float rowZ, float slotW, float slotH, int32_t target)
{
    fieldCentreX = centreX;
    fieldTopY = topY;
    fieldZ = z;
    fieldWidth = width;
    fieldHeight = height;
    counterX = rowX;
    counterY = rowY;
    counterZ = rowZ;
    slotWidth = slotW;
    slotHeight = slotH;
    targetCount = target;
}

void CAccuracyChallenge::Start(int32_t tier)
{
    caughtCount = 0;
    spawnTimer = 0.0f;
    spawnInterval = 1.0f;
    starSpeed = float(tier - 1) * 100.0f + 175.0f;
    starWidth = 64.0f;
    starHeight = 64.0f;
    state = kRunning;
}

void CAccuracyChallenge::SpawnStar()
{
    // A star comes in past the right edge, slows to a stop at its turning
    // point and goes back out the way it came, drifting up or down meanwhile.
    const float xA = fieldCentreX + starWidth;
    const float yA = fieldTopY - RandomUnit() * fieldHeight;
    const float yB = fieldTopY - RandomUnit() * fieldHeight;
    const float xB = fieldCentreX - (0.7f + 0.3f * RandomUnit()) * fieldWidth;
    const float distance = xA - xB;
    const float speed = (0.75f + 0.5f * RandomUnit()) * starSpeed;
    CRefPtr<CAccuracyStar> star(new CAccuracyStar);
    star->duration = speed > 0.0f ? distance / speed : 1.0f;
    const float t = star->duration;
    star->xAcceleration = t > 0.0f ? 4.0f * distance / (t * t) : 0.0f;
    star->xVelocity = -star->xAcceleration * t;
    star->xStart = xA;
    star->yVelocity = t > 0.0f ? (yB - yA) / t : 0.0f;
    star->yStart = yA;
    const float sign = RandomSign();
    star->shape = CRefPtr<CSpriteShape>(
        new CSpriteShape(xA, yA, fieldZ, starWidth, starHeight, kStarColour, starTexture, 1));
    star->shape->SetFrameUV(0, 0.0f, 0.75f, 0.25f, 1.0f);
    star->shape->SetBlendMode(1, 1);
    star->shape->spinning = 1;
    star->shape->spinSpeed = sign * (0.75f + 0.5f * RandomUnit()) * 0.5f * kPi;
    star->shape->zOrder = starZOrder;
    if (spriteList)
        spriteList->Add(star->shape);
    if (particles)
        particles->AddSpellsSystem(star->trail, SparkBlock(Vec3{xA, yA, fieldZ}, false), kSparkCount, sparkTexture);
    stars.push_back(star);
}

void CAccuracyChallenge::Burst(const CAccuracyStar& star)
{
    if (!particles)
        return;
    Vec3 origin = star.trail ? star.trail->origin : star.shape ? star.shape->position : Vec3{0.0f, 0.0f, fieldZ};
    CRefPtr<CParticleSystem> burst;
    particles->AddSpellsSystem(burst, SparkBlock(origin, true), kSparkCount, sparkTexture);
    if (burst)
        burst->Update(0.05f);
}

int32_t CAccuracyChallenge::OnClick(float x, float y)
{
    if (state != kRunning)
        return 100;
    CAccuracyStar* hit = nullptr;
    for (const CRefPtr<CAccuracyStar>& star : stars)
    {
        if (!star || star->state != CAccuracyStar::kFlying || !star->shape)
            continue;
        const Vec3& p = star->shape->position;
        if (std::hypot(x - p.x, y - p.y) <= 0.5f * star->shape->scaleX)
        {
            hit = star.Get();
            break;
        }
    }
    if (!hit)
        return 100;
    const Vec3& p = hit->shape->position;
    hit->catchPosition[0] = p.x;
    hit->catchPosition[1] = p.y;
    hit->catchPosition[2] = p.z;
    hit->slotPosition[0] = counterX + (float(caughtCount) + 0.5f) * slotWidth;
    hit->slotPosition[1] = counterY - 0.5f * slotHeight;
    hit->slotPosition[2] = counterZ;
    hit->time = 0.0f;
    hit->duration = kCatchFlightTime;
    hit->shape->spinSpeed *= RandomSign() * kCaughtSpinFactor;
    hit->state = CAccuracyStar::kCaught;
    Burst(*hit);
    if (soundBank)
        soundBank->PlayPanned(soundBank->Explode2, x, 0, 0);
    caughtCount += 1;
    if (caughtCount >= targetCount)
    {
        state = kEnding;
        FlyOutStars();
    }
    return 101;
}

void CAccuracyChallenge::FlyOutStars()
{
    const float exitX = fieldCentreX + starWidth;
    for (const CRefPtr<CAccuracyStar>& star : stars)
    {
        if (!star || star->state != CAccuracyStar::kFlying)
            continue;
        const Vec3 p = star->shape ? star->shape->position : Vec3{exitX, 0.0f, fieldZ};
        star->time = 0.0f;
        star->duration = kFlyOutTime;
        star->xAcceleration = 0.0f;
        star->xStart = p.x;
        star->xVelocity = (exitX - p.x) / kFlyOutTime;
        star->yAcceleration = 0.0f;
        star->yVelocity = 0.0f;
        star->yStart = p.y;
    }
}

bool CAccuracyChallenge::UpdateStar(CAccuracyStar& star, float dt)
{
    if (star.state == CAccuracyStar::kResting)
        return true;
    star.time += dt;
    if (star.time >= star.duration)
    {
        star.time = star.duration;
        if (star.state == CAccuracyStar::kFlying)
            return false;
        // A caught star settles in its slot, still, at the slot's size.
        if (star.shape)
        {
            star.shape->position = Vec3{star.slotPosition[0], star.slotPosition[1], star.slotPosition[2]};
            star.shape->SetScale(slotWidth, slotHeight);
            star.shape->spinning = 0;
            star.shape->SetRotation(0.0f);
        }
        if (star.trail)
        {
            star.trail->MoveTo(star.slotPosition[0], star.slotPosition[1], star.slotPosition[2]);
            star.trail->StopEmission();
            star.trail.Reset();
        }
        star.state = CAccuracyStar::kResting;
        return true;
    }
    float x, y, w = starWidth, h = starHeight;
    if (star.state == CAccuracyStar::kFlying)
    {
        const float t = star.time;
        x = star.xStart + star.xVelocity * t + star.xAcceleration * t * t;
        y = star.yStart + star.yVelocity * t;
    }
    else
    {
        const float u = star.duration > 0.0f ? star.time / star.duration : 1.0f;
        x = star.catchPosition[0] * (1.0f - u) + star.slotPosition[0] * u;
        y = star.catchPosition[1] * (1.0f - u) + star.slotPosition[1] * u;
        w = starWidth * (1.0f - u) + slotWidth * u;
        h = starHeight * (1.0f - u) + slotHeight * u;
    }
    float z = fieldZ;
    if (star.shape)
    {
        star.shape->position.x = x;
        star.shape->position.y = y;
        z = star.shape->position.z;
        if (star.state == CAccuracyStar::kCaught)
            star.shape->SetScale(w, h);
    }
    if (star.trail)
        star.trail->MoveTo(x, y, z);
    return true;
}

int32_t CAccuracyChallenge::Update(float dt)
{
    if (state == kRunning)
    {
        // One star at most per frame; the rest of a long frame carries over.
        spawnTimer += dt;
        if (spawnInterval <= spawnTimer)
        {
            spawnTimer -= spawnInterval;
            SpawnStar();
        }
    }
    if (state != kRunning && state != kEnding)
        return 100;
    for (size_t i = 0; i < stars.size();)
    {
        if (stars[i] && UpdateStar(*stars[i], dt))
            ++i;
        else
            stars.erase(stars.begin() + std::ptrdiff_t(i));
    }
    if (state != kEnding)
        return 100;
    for (const CRefPtr<CAccuracyStar>& star : stars)
        if (star->state != CAccuracyStar::kResting)
            return 100;
    return 107;  // every star left rests in its slot
}
