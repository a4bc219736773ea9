// The shop screen's motion: the scrolling background and the turning rays behind the
// big star, a lock stub cracking (halos and flying pieces) as a place opens, and the
// pointer pulses on the places that can still be bought.
#include "engine/MathConstants.h"
#include "screens/Shop.h"

#include "effects/ParticleSystemsManager.h"
#include "effects/SpriteCrackKeeper.h"
#include "engine/Random.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/Interface.h"
#include "ui/KMForm.h"

#include <algorithm>
#include <cmath>

namespace {

// Half the side of the turning square of the ray picture, in parts of its width.
const float kRayHalfSide = 0.3515625f;
const float kStubSize = 28.0f;
const int kStubPieces = 5;  // a 5 x 5 grid
const float kPulseStart = 24.0f, kPulseEnd = 72.0f;

enum ShopEffectWidget
{
    kWidgetRays = 5,
    kWidgetBackground = 6,
};

// A duration of nothing or less passes at once.
float Rate(float amount, float seconds)
{
    return seconds > 0.0f ? amount / seconds : 1.0e6f;
}

// Wraps a value that moved by less than a whole period back into [0, period).
float WrapOnce(float value, float period)
{
    if (value >= period)
        value -= period;
    else if (value < 0.0f)
        value += period;
    return value;
}

// A picture that grows and fades out over its life, then leaves the sprite list.
void GiveLife(CSpriteShape& shape, float life)
{
    shape.fadeSpeed = Rate(1.0f, life);
    shape.FadeTo(0.0f);
    shape.mortal = 1;
    shape.life = life > 0.0f ? life : 0.0f;
}

CSpriteShape* FirstSprite(CInterface* ui, int widget)
{
    if (!ui)
        return nullptr;
    CRefPtr<CKMWindow> w = ui->Widget(kFormShop, widget);
    return w && !w->sprites.empty() ? w->sprites[0].Get() : nullptr;
}

}  // namespace

void CShop::SetEffects(CRefPtr<CParticleSystemsManager> cracks, CRefPtr<CParticleSystemsManager> tails,
                       CRefPtr<CTexture> pointer, CRefPtr<CTexture> tail, CRefPtr<CTexture> halo)
{
    crackParticles = cracks;
    tailParticles = tails;
    pointerTexture = pointer;
    tailTexture = tail;
    haloTexture = halo;
}

void CShop::AddHalo(const Vec3& at, float spin)
{
    const float size = settings.stubHaloSize;
    CRefPtr<CSpriteShape> halo(
        new CSpriteShape(at.x, at.y, at.z, size * 0.1f, size * 0.1f, settings.stubHaloColor, haloTexture, 1));
    halo->SetBlendMode(1, 1);
    halo->zOrder = RestingOrder() - 2;
    halo->scaleSpeedX = halo->scaleSpeedY = Rate(size * 1.9f, settings.stubHaloLifeTime);
    halo->SetScaleTarget(size, size);
    halo->SetRotation(RandomUnit() * kTwoPi);
    halo->spinning = 1;
    halo->spinSpeed = spin;
    GiveLife(*halo, settings.stubHaloLifeTime);
    sprites->Add(halo);
    pulses.push_back(halo);
}

// Two halos spinning opposite ways, the stub broken into flying pieces, a bang.
void CShop::CrackStub(const CRefPtr<CSpriteShape>& stub)
{
    const Vec3 at{stub->position.x, stub->position.y, stub->position.z - 3.0f};
    if (sprites)
    {
        AddHalo(at, kPi);
        AddHalo(at, -kPi);
    }
    if (crackParticles)
    {
        crackParticles->AddCrackPieces(at, kStubSize, kStubSize, kLockedPlaceUV, kStubPieces, 40, stubTexture);
    }
}

void CShop::UpdateRays(float dt)
{
    rayAngle = WrapOnce(rayAngle + dt * settings.sandboxRaysW, kTwoPi);
    CSpriteShape* rays = FirstSprite(ui, kWidgetRays);
    if (!rays || rays->FrameCount() < 1)
        return;
    const size_t frame = size_t(std::max(0, std::min(rays->currentFrame, rays->FrameCount() - 1)));
    const CUV* corner = &rays->frames[frame * 4];
    if (rayUV[2] <= 0.0f)
    {
        // The form's square: the picture turns inside it.
        rayUV[0] = (corner[0].u + corner[2].u) * 0.5f;
        rayUV[1] = (corner[0].v + corner[2].v) * 0.5f;
        rayUV[2] = std::fabs(corner[2].u - corner[0].u);
    }
    const float h = kRayHalfSide * rayUV[2], c = std::cos(rayAngle), s = std::sin(rayAngle);
    float uv[8];
    const float sides[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (int k = 0; k < 4; ++k)
    {
        uv[2 * k] = rayUV[0] + h * (sides[k][0] * c - sides[k][1] * s);
        uv[2 * k + 1] = rayUV[1] + h * (sides[k][0] * s + sides[k][1] * c);
    }
    rays->SetFrameUV4(int(frame), uv[0], uv[1], uv[2], uv[3], uv[4], uv[5], uv[6], uv[7]);
}

void CShop::UpdateBackground(float dt)
{
    for (int k = 0; k < 2; ++k)
        backgroundOffset[k] = WrapOnce(backgroundOffset[k] + dt * settings.backgroundTSpeed[k], 1.0f);
    CSpriteShape* back = FirstSprite(ui, kWidgetBackground);
    if (!back || back->FrameCount() < 1)
        return;
    const float u = backgroundOffset[0], v = backgroundOffset[1];
    back->SetFrameUV(std::max(0, std::min(back->currentFrame, back->FrameCount() - 1)), u, v,
                     u + settings.backgroundTSize[0], v + settings.backgroundTSize[1]);
}

// A ring on a place that a star can still buy, growing and fading.
void CShop::AddPulse(const Vec3& at)
{
    CRefPtr<CSpriteShape> pulse(
        new CSpriteShape(at.x, at.y, MovingZ(), kPulseStart, kPulseStart, settings.pointersColor, pointerTexture, 1));
    pulse->SetBlendMode(1, 1);
    pulse->zOrder = RestingOrder() - 4;
    pulse->scaleSpeedX = pulse->scaleSpeedY = Rate(kPulseEnd - kPulseStart, settings.pointersLifeTime);
    pulse->SetScaleTarget(kPulseEnd, kPulseEnd);
    GiveLife(*pulse, settings.pointersLifeTime);
    sprites->Add(pulse);
    pulses.push_back(pulse);
}

void CShop::UpdatePointers(float dt)
{
    // Pulses and halos whose life is over have left the sprite list.
    pulses.erase(std::remove_if(pulses.begin(), pulses.end(),
                                [](const CRefPtr<CSpriteShape>& p) { return !p || (p->mortal && p->life <= 0.0f); }),
                 pulses.end());
    if (!layout.open || fadeDirection < 0)
        return;
    if (ui)
    {
        CRefPtr<CKMForm> form = ui->FormAt(kFormShop);
        if (!form || !form->visible)
            return;
    }
    pointerTimer += dt;
    if (pointerTimer < settings.pointersT)
        return;
    pointerTimer = settings.pointersT > 0.0f ? pointerTimer - settings.pointersT : 0.0f;
    if (!sprites)
        return;
    for (int i = 0; i < kItemCount; ++i)
    {
        const size_t n = size_t(i);
        for (int k = std::max(items.levels[n], 0) + 1; items.levels[n] < items.limits[n] && k <= items.limits[n]; ++k)
            AddPulse(PlaceOf(i, k));
    }
}

void CShop::DropPulses()
{
    if (sprites)
        for (const CRefPtr<CSpriteShape>& pulse : pulses)
            sprites->Remove(pulse);
    pulses.clear();
}
