#include "screens/ShopStar.h"

#include "effects/ParticleSystemsManager.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <cmath>

namespace {

const float kFrameUV = 0.1640625f;  // one spin frame: 42 of 256 texels
const float kSpinLeft = 0.65625f;
const int kSpinFrames = 8;
const float kRestingSize = 28.0f;
const float kSourceSize = 48.0f;
const float kFlyingSize = 42.0f;

}  // namespace

float StarSpinRate(float duration)
{
    if (duration <= 0.0f)
        return 0.0f;
    float turns = std::floor((duration * 30.0f + 4.0f) * 0.125f);
    if (turns < 1.0f)
        turns = 1.0f;
    return 8.0f * turns / duration;
}

CShopStar::~CShopStar()
{
    if (sprites && shape)
        sprites->Remove(shape);
    // The tail's sparks fade out on their own once it stops.
    if (tail)
        tail->StopEmission();
}

void CShopStar::SetTail(CRefPtr<CParticleSystemsManager> particles, CRefPtr<CTexture> texture, float size,
                        float intensity, uint32_t colour)
{
    tailParticles = particles;
    tailTexture = texture;
    tailSize = size;
    tailIntensity = intensity;
    tailColour = colour;
}

void CShopStar::MakeTail()
{
    if (!tailParticles)
        return;
    CSpellsSpringParametres block(position, Vec3{0.0f, 0.0f, 0.0f}, 2.0f * tailSize, tailSize, tailSize,
                                  tailSize * 0.5f, tailColour);
    block.duration = 10000000.0f;
    block.fadeRate = 1.25f;
    block.fadeSpread = 0.25f;
    block.rate = tailIntensity;
    block.randomAngle = 1;
    block.randomSpinSign = 1;
    block.spin = 512.0f;
    block.spinSpread = 256.0f;
    tailParticles->AddSpellsSystem(tail, block, int32_t(tailIntensity * 3.0f / 1.25f), tailTexture);
}

void CShopStar::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CTexture> stub, CRefPtr<CTexture> star)
{
    sprites = list;
    stubTexture = stub;
    starTexture = star;
}

void CShopStar::MakeShape(const CRefPtr<CTexture>& texture, float size, int zOrder)
{
    if (sprites && shape)
        sprites->Remove(shape);
    shape.Reset();
    if (!sprites)
        return;
    shape = CRefPtr<CSpriteShape>(new CSpriteShape(position.x, position.y, position.z, size, size, 0xFFFFFFFFu, texture, 1));
    shape->zOrder = zOrder;
    sprites->Add(shape);
}

void CShopStar::SetPosition(float x, float y, float z)
{
    position = {x, y, z};
    if (shape)
        shape->position = position;
    if (tail)
        tail->MoveTo(x, y, z);
}

void CShopStar::PlaceAtSource(float x, float y, float z, int zOrder)
{
    state = kStarAtSource;
    position = {x, y, z};
    MakeShape(starTexture, kSourceSize, zOrder);
    if (shape)
        shape->SetFrameUV(0, 0.65625f, 0.65625f, 0.84375f, 0.84375f);
}

void CShopStar::PlaceOnItem(float x, float y, float z, int zOrder)
{
    state = kStarOnItem;
    position = {x, y, z};
    MakeShape(stubTexture, kRestingSize, zOrder);
    if (shape)
        shape->SetFrameUV(0, kPlacedStarUV[0], kPlacedStarUV[1], kPlacedStarUV[2], kPlacedStarUV[3]);
}

void CShopStar::ShowSpinFrame()
{
    if (!shape)
        return;
    const int i = int(std::floor(frame)) & (kSpinFrames - 1);
    const float u = kSpinLeft + kFrameUV * float(i / 4), v = kFrameUV * float(i % 4);
    shape->SetFrameUV(0, u, v, u + kFrameUV, v + kFrameUV);
}

void CShopStar::Fly(ShopStarState flight, const Vec3& start, const Vec3& target, float speed, int zOrder)
{
    elapsed = 0.0f;
    position = from = start;
    to = target;
    const float dx = to.x - from.x, dy = to.y - from.y, dz = to.z - from.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    // A speed of nothing would never arrive: such a flight ends at once.
    duration = distance > 0.0f && speed > 0.0f ? distance / speed : 0.0f;
    frameRate = StarSpinRate(duration);
    state = flight;
    MakeShape(starTexture, kFlyingSize, zOrder - 1);
    ShowSpinFrame();
    MakeTail();
}

void CShopStar::StartDrag(float x, float y, float z, int zOrder)
{
    state = kStarDragged;
    position = {x, y, z};
    MakeShape(starTexture, kFlyingSize, zOrder - 1);
    ShowSpinFrame();
}

int CShopStar::Update(float dt)
{
    if (!Flying())
        return 0;
    elapsed = std::fmin(elapsed + dt, duration);
    const float u = duration > 0.0f ? elapsed / duration : 1.0f;
    SetPosition(from.x + (to.x - from.x) * u, from.y + (to.y - from.y) * u, from.z + (to.z - from.z) * u);
    if (shape && state == kStarFlyingToSource)
        shape->SetScale(kRestingSize + 14.0f * u, kRestingSize + 14.0f * u);
    else if (shape && state == kStarFlyingToItem)
        shape->SetScale(kRestingSize + 14.0f * (1.0f - u), kRestingSize + 14.0f * (1.0f - u));
    frame = std::fmod(frame + dt * frameRate, float(kSpinFrames));
    if (frame < 0.0f)
        frame += float(kSpinFrames);
    ShowSpinFrame();
    return elapsed >= duration ? 1 : 0;
}

void CShopStar::Fade(bool in, float speed)
{
    if (!shape || (state != kStarAtSource && state != kStarOnItem))
        return;
    shape->fadeSpeed = speed;
    if (in)
        shape->SetAlpha(0.0f);
    shape->FadeTo(in ? 1.0f : 0.0f);
}
