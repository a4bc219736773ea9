// The treasury's chest: once the twelfth gem is in it shoots rays of light with
// sparks, flashes, cracks into two layers of jagged pieces that drift and spin up off
// the screen, and glow-worms rise from it while pieces remain.
#include <algorithm>
#include <cmath>

#include "backgrounds/BackgroundTreasury.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/MathConstants.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

namespace
{
const float kChestOffsetX = -0.5f, kChestOffsetY = 0.5f, kChestOffsetZ = 999.0f;

// A fresh factor in [0.75, 1.25].
float Jitter()
{
    return 0.5f * RandomUnit() + 0.75f;
}

// Fades a shape out at its own speed and lets the list drop it.
void FadeOut(const CRefPtr<CSpriteShape>& s)
{
    if (!s.IsValid())
        return;
    s->life = s->fadeSpeed > 0.0f ? s->alpha / s->fadeSpeed : 0.0f;
    s->mortal = 1;
    s->FadeTo(0.0f);
}
} // namespace

void CBackgroundTreasury::StepChest(float dt)
{
    const TreasurySettings& s = settings;
    switch (chestState)
    {
    case kChestFlare:
        chestTimer += dt;
        if (chestTimer >= ornaments.settings.newFlareTime)
        {
            chestState = kChestRays;
            chestTimer = 0.0f;
            chestRayClock = 0.0f;
            glowWormClock = 0.0f;
        }
        return;
    case kChestRays:
        chestTimer += dt;
        if (chestTimer < s.chestRaysTime)
        {
            chestRayClock += dt;
            const float m = s.chestRaysPeriod > 0.0f ? std::floor(chestRayClock / s.chestRaysPeriod) : 0.0f;
            if (m >= 1.0f)
            {
                chestRayClock -= m * s.chestRaysPeriod;
                for (int k = 0; k < int(m); ++k)
                    SpawnChestRay();
            }
            return;
        }
        Burst();
        chestState = kChestBurst;
        chestTimer = 0.0f;
        return;
    case kChestBurst:
        chestTimer += dt;
        if (chestTimer >= s.chestFadeTime && pieces.empty() && glowWormShapes.empty())
        {
            chestState = kChestIdle;
            chestTimer = 0.0f;
            return;
        }
        MovePieces(dt);
        if (!pieces.empty())
            SpawnGlowWorm(dt);
        MoveGlowWorms(dt);
        return;
    default:
        return;
    }
}

void CBackgroundTreasury::SpawnChestRay()
{
    const TreasurySettings& s = settings;
    const float a = 2.0f * kPi * RandomUnit();
    const float f = 0.8f * RandomUnit() + 0.2f;
    const float d = f * s.chestRaysRadius;
    const float x = kChestOffsetX + s.chestRaysCenter[0] + d * std::cos(a);
    const float y = kChestOffsetY + s.chestRaysCenter[1] + d * std::sin(a);
    const float w = Jitter() * f * s.chestRaysSize[0], h = Jitter() * s.chestRaysSize[1];
    CRefPtr<CSpriteShape> ray(new CSpriteShape(x, y, kChestOffsetZ - 12.0f, w, h, s.chestRaysColor, textures[6], 1));
    ray->SetFrameUV(0, 0.5f, 0.0f, 1.0f, 1.0f);
    ray->SetBlendMode(1, kBlendAdd);
    ray->zOrder = -12;
    ray->fadeSpeed = s.chestFadeTime > 0.0f ? 1.0f / s.chestFadeTime : 1000.0f;
    ray->offsetX = -0.5f;
    ray->SetRotation(a);
    if (spriteList.IsValid())
        spriteList->Add(ray);
    chestRayShapes.push_back(ray);
    if (!particles.IsValid())
        return;
    CSparksSpringParametres block(Vec3{x, y, kChestOffsetZ - 12.0f},
                                  Vec3{200.0f * std::cos(a), 200.0f * std::sin(a), 0.0f}, Vec3{1.0f, 0.0f, 0.0f},
                                  200.0f, 100.0f, s.chestRaysColor);
    block.sparkWidth = 5.0f;
    block.lengthFactor = 0.01f;
    block.maxLength = 25.0f;
    block.fadeRate = 1.0f;
    block.duration = 0.1f;
    block.rate = 300.0f;
    block.radial = 1;
    CRefPtr<CParticleSystem> sparks;
    particles->AddSparksSystem(sparks, block, 120, textures[6]);
}

void CBackgroundTreasury::Burst()
{
    const TreasurySettings& s = settings;
    for (const CRefPtr<CSpriteShape>& ray : chestRayShapes)
        FadeOut(ray);
    chestRayShapes.clear();
    FadeOut(chest);
    chest.Reset();
    FadeOut(chestShadow);
    chestShadow.Reset();
    if (spriteBatch.IsValid())
    {
        CRefPtr<CBatchSprite> flash(new CBatchSprite(s.chestForm[0] + kChestOffsetX + s.chestForm[2] / 2,
                                                     kChestOffsetY + s.chestForm[1] - s.chestForm[3] / 2, kChestOffsetZ - 13.0f,
                                                     textures[6], s.chestFlashColor & 0xFFFFFFu));
        flash->SetScale(s.chestForm[2], s.chestForm[3]);
        flash->flickerAmplitude = 0.0f;
        flash->fadeInTime = 0.1f * s.chestFadeTime;
        flash->holdEnd = s.chestFadeTime;
        flash->fadeOutTime = 1.0f;
        flash->StartZoom(4.0f, s.chestFadeTime > 0.0f ? 3.0f / s.chestFadeTime : 30.0f);
        spriteBatch->Add(flash);
    }
    CrackLayer();
    CrackLayer();
}

// One layer of pieces from a fresh crack grid: inner nodes jitter, border nodes slide
// only along the border, so neighbours share their jagged edges and the outline stays.
void CBackgroundTreasury::CrackLayer()
{
    const TreasurySettings& s = settings;
    const int32_t C = s.crackColumns, R = s.crackRows;
    const float pw = s.chestForm[2] / float(C), ph = s.chestForm[3] / float(R);
    const float du = (s.chestUV[2] - s.chestUV[0]) / float(C), dv = (s.chestUV[3] - s.chestUV[1]) / float(R);
    std::vector<float> jitter(size_t(R + 1) * size_t(C + 1) * 2, 0.0f);
    for (int32_t row = 0; row <= R; ++row)
        for (int32_t col = 0; col <= C; ++col)
        {
            const bool edgeRow = row == 0 || row == R, edgeCol = col == 0 || col == C;
            float* j = &jitter[(size_t(row) * size_t(C + 1) + size_t(col)) * 2];
            if (edgeRow && !edgeCol)
                j[0] = 0.98f * RandomUnit() - 0.49f;
            else if (edgeCol && !edgeRow)
                j[1] = 0.98f * RandomUnit() - 0.49f;
            else if (!edgeRow && !edgeCol)
            {
                j[0] = 0.98f * RandomUnit() - 0.49f;
                j[1] = 0.98f * RandomUnit() - 0.49f;
            }
        }
    for (int32_t j = 0; j < R; ++j)
        for (int32_t i = 0; i < C; ++i)
        {
            CRefPtr<CSpriteShape> piece(new CSpriteShape(s.chestForm[0] + kChestOffsetX + pw / 2 + float(i) * pw,
                                                         kChestOffsetY + s.chestForm[1] - ph / 2 - float(j) * ph,
                                                         kChestOffsetZ - 1.5f, pw, ph, 0xFFFFFFFFu, textures[3], 1));
            const int32_t nodes[4][2] = {{j, i}, {j, i + 1}, {j + 1, i + 1}, {j + 1, i}};
            float corner[8], uv[8];
            for (int k = 0; k < 4; ++k)
            {
                const int32_t row = nodes[k][0], col = nodes[k][1];
                const float* jt = &jitter[(size_t(row) * size_t(C + 1) + size_t(col)) * 2];
                corner[2 * k] = float(col - i) - 0.5f + jt[0];
                corner[2 * k + 1] = float(j - row) + 0.5f + jt[1];
                uv[2 * k] = s.chestUV[0] + (float(col) + jt[0]) * du;
                uv[2 * k + 1] = s.chestUV[1] + (float(row) - jt[1]) * dv;
            }
            piece->SetCorners(corner[0], corner[1], corner[2], corner[3], corner[4], corner[5], corner[6], corner[7]);
            piece->SetFrameUV4(0, uv[0], uv[1], uv[2], uv[3], uv[4], uv[5], uv[6], uv[7]);
            piece->zOrder = 97;
            piece->layer = 0;
            piece->fadeSpeed = 10.0f;
            piece->spinSpeed = 0.0f;
            piece->spinning = 1;
            if (spriteList.IsValid())
                spriteList->Add(piece);
            pieces.push_back(piece);
            pieceVelocity.push_back(float(i - C) * Jitter());
            pieceVelocity.push_back(0.0f);
            const float rowShare = R > 1 ? float(j) / float(R - 1) : 0.0f;
            pieceAccel.push_back((s.chestAccel[0] + (s.chestAccel[1] - s.chestAccel[0]) * rowShare) * Jitter());
        }
}

void CBackgroundTreasury::MovePieces(float dt)
{
    const float spin = settings.chestRotAccel * dt;
    for (size_t n = 0; n < pieces.size();)
    {
        CSpriteShape& p = *pieces[n];
        float* v = &pieceVelocity[2 * n];
        v[1] += pieceAccel[n] * dt;
        p.position.x += v[0] * dt;
        p.position.y += v[1] * dt;
        if (p.spinSpeed == 0.0f)
            p.spinSpeed = Jitter() * (RandomUnit() >= 0.5f ? 1.0f : -1.0f) * spin;
        else if (p.spinSpeed > 0.0f)
            p.spinSpeed += Jitter() * spin;
        else
            p.spinSpeed -= Jitter() * spin;
        if (p.position.y > 384.0f + 2.5f * p.scaleY)
        {
            if (spriteList.IsValid())
                spriteList->Remove(pieces[n]);
            pieces.erase(pieces.begin() + ptrdiff_t(n));
            pieceVelocity.erase(pieceVelocity.begin() + ptrdiff_t(2 * n), pieceVelocity.begin() + ptrdiff_t(2 * n + 2));
            pieceAccel.erase(pieceAccel.begin() + ptrdiff_t(n));
            continue;
        }
        ++n;
    }
}

void CBackgroundTreasury::SpawnGlowWorm(float dt)
{
    const TreasurySettings& s = settings;
    glowWormClock += Jitter() * dt;
    if (s.glowWormPeriod <= 0.0f || glowWormClock < s.glowWormPeriod) // a zero period makes none
        return;
    glowWormClock -= s.glowWormPeriod;
    const float x = s.chestRaysCenter[0] + kChestOffsetX + (RandomUnit() - 0.5f) * 1.5f * s.chestRaysRadius;
    const float y = s.chestRaysCenter[1] + kChestOffsetY - (0.5f + 0.5f * RandomUnit()) * s.chestRaysRadius;
    const float size = Jitter() * s.glowWormSize;
    const uint32_t colour = s.glowWormColor != 0 ? s.glowWormColor : RandomColor(0, 1, 0, 0);
    CRefPtr<CSpriteShape> worm(new CSpriteShape(x, y, kChestOffsetZ - 1.5f, size, size, colour, textures[7], 1));
    worm->SetBlendMode(1, kBlendAdd);
    worm->zOrder = -13;
    worm->fadeSpeed = 4.0f;
    worm->SetAlpha(0.0f);
    worm->FadeTo(1.0f);
    worm->layer = 0;
    if (spriteList.IsValid())
        spriteList->Add(worm);
    glowWormShapes.push_back(worm);
    glowWorms.push_back(GlowWorm{x, Jitter() * s.glowWormSpeed, 2.0f * kPi * RandomUnit()});
}

void CBackgroundTreasury::MoveGlowWorms(float dt)
{
    for (size_t n = 0; n < glowWormShapes.size();)
    {
        CSpriteShape& w = *glowWormShapes[n];
        if (w.position.y > 384.0f + 2.0f * w.scaleY)
        {
            if (spriteList.IsValid())
                spriteList->Remove(glowWormShapes[n]);
            glowWormShapes.erase(glowWormShapes.begin() + ptrdiff_t(n));
            glowWorms.erase(glowWorms.begin() + ptrdiff_t(n));
            continue;
        }
        GlowWorm& m = glowWorms[n];
        m.phase += settings.glowWormWobble * dt;
        if (m.phase > 2.0f * kPi)
            m.phase -= 2.0f * kPi;
        w.position.x = m.baseX + 0.25f * settings.chestRaysRadius * std::sin(m.phase);
        w.position.y += m.riseSpeed * dt;
        ++n;
    }
}

// A lowered stage takes every ray, piece and glow-worm away and puts the closed chest back.
void CBackgroundTreasury::ResetChest()
{
    for (const CRefPtr<CSpriteShape>& s : chestRayShapes)
        FadeOut(s);
    for (const CRefPtr<CSpriteShape>& s : pieces)
        FadeOut(s);
    for (const CRefPtr<CSpriteShape>& s : glowWormShapes)
    {
        s->fadeSpeed = 10.0f;
        FadeOut(s);
    }
    chestRayShapes.clear();
    pieces.clear();
    pieceVelocity.clear();
    pieceAccel.clear();
    glowWormShapes.clear();
    glowWorms.clear();
    chestState = kChestIdle;
    chestTimer = 0.0f;
    if (!chest.IsValid())
        MakeChest();
}
