#include "challenges/AccuracyChallenge.h"

#include "audio/SoundBank.h"
#include "effects/ParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"

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
