#include "engine/MathConstants.h"
#include "hud/TokenSelector.h"

#include "effects/ParticleSystemsManager.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <cmath>

namespace {

const float kMarkDepth = 16.0f; // the mark lies this far below the token

} // namespace

CTokenSelector::CTokenSelector() = default;

CTokenSelector::CTokenSelector(CRefPtr<CParticleSystemsManager> particles_, CRefPtr<CSpriteList> spriteList_,
                               CRefPtr<CSpriteBatch> spriteBatch_, CRefPtr<CTexture> markerTexture_,
                               CRefPtr<CTexture> sparkTexture_)
{
    Init(particles_, spriteList_, spriteBatch_, markerTexture_, sparkTexture_);
}

CTokenSelector::~CTokenSelector()
{
    Clear();
}

void CTokenSelector::Init(CRefPtr<CParticleSystemsManager> particles_, CRefPtr<CSpriteList> spriteList_,
                          CRefPtr<CSpriteBatch> spriteBatch_, CRefPtr<CTexture> markerTexture_,
                          CRefPtr<CTexture> sparkTexture_)
{
    particles = particles_;
    spriteList = spriteList_;
    spriteBatch = spriteBatch_;
    markerTexture = markerTexture_;
    sparkTexture = sparkTexture_;
}

void CTokenSelector::TokenPoint(float& x, float& y, float& z) const
{
    x = token->position[0] + token->offset[0];
    y = token->position[1] + token->offset[1];
    z = token->position[2] + token->offset[2];
}

void CTokenSelector::SetActive(int32_t on)
{
    if (active == on)
        return;
    active = on;
    if (!token)
    {
        active = 0;
        return;
    }
    if (on)
    {
        angle = 0.0f;
        introScale = 2.0f;
        float x, y, z;
        TokenPoint(x, y, z);
        const float r = token->radius;
        const float zMark = z - kMarkDepth;
        marker = CRefPtr<CSpriteShape>(new CSpriteShape(x, y, zMark, 2.0f * r * introScale, 2.0f * r * introScale,
                                                        0xFFFFFFFF, markerTexture, 1));
        marker->SetAlpha(0.0f);
        if (spriteList)
            spriteList->Add(marker);
        if (particles)
        {
            const uint32_t colour = token->GetColorArgb();
            for (int i = 0; i < 2; ++i)
            {
                const float side = i == 0 ? 1.0f : -1.0f;
                CSpellsSpringParametres block(
                    Vec3{x + side * r * std::cos(angle), y + side * r * std::sin(angle), zMark}, Vec3{0, 0, 0},
                    6.0f, 1.0f, 8.0f, 4.0f, colour);
                block.duration = 1000000.0f;
                block.fadeRate = 1.0f;
                block.fadeSpread = 0.1f;
                block.rate = spellScale * 16.0f;
                block.randomAngle = 1;
                block.phaseStart = 1;
                particles->AddSpellsSystem(orbit[i], block, 80, sparkTexture);
            }
        }
    }
    else
    {
        for (CRefPtr<CParticleSystem>& system : orbit)
        {
            if (system)
                system->StopEmission();
            system.Reset();
        }
        if (marker && spriteList)
            spriteList->Remove(marker);
        marker.Reset();
    }
}

void CTokenSelector::Select(CRefPtr<CCap> cap)
{
    Clear();
    token = cap;
    if (!token)
        return;
    colorIndex = token->colour;
    if (particles)
    {
        float x, y, z;
        TokenPoint(x, y, z);
        const float r = token->radius;
        CSpellsSpringParametres block(Vec3{x, y, z - kMarkDepth}, Vec3{0, 0, 0}, 3.0f * r, r, 12.0f, 4.0f,
                                      token->GetColorArgb());
        block.duration = 0.1f;
        block.fadeRate = 2.0f;
        block.fadeSpread = 0.5f;
        block.rate = spellScale * 100.0f;
        block.randomAngle = 1;
        CRefPtr<CParticleSystem> burst;
        particles->AddSpellsSystem(burst, block, 80, sparkTexture);
        if (burst)
            burst->Update(0.1f);
    }
    SetActive(1);
}

void CTokenSelector::Clear()
{
    SetActive(0);
    token.Reset();
}

void CTokenSelector::Update(float dt)
{
    if (!active || !token)
        return;
    float x, y, z;
    TokenPoint(x, y, z);
    const float r = token->radius;
    const float zMark = z - kMarkDepth;
    if (marker)
    {
        marker->position = Vec3{x, y, zMark};
        if (introScale > 1.0f)
        {
            introScale -= introSpeed * dt;
            if (introScale < 1.0f)
                introScale = 1.0f;
            marker->SetAlpha(2.0f - introScale);
        }
        marker->SetScale(2.0f * r * introScale, 2.0f * r * introScale);
    }
    angle += angularSpeed * dt;
    // Past a full turn the emitters swap places, which looks the same.
    if (angle > kTwoPi)
        angle -= kPi;
    const float cx = r * std::cos(angle), cy = r * std::sin(angle);
    if (orbit[0])
        orbit[0]->MoveTo(x + cx, y + cy, zMark);
    if (orbit[1])
        orbit[1]->MoveTo(x - cx, y - cy, zMark);
}
