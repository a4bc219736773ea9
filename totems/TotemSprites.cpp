#include "totems/TotemSprites.h"

#include "engine/Random.h"

namespace totemfx
{

CRefPtr<CBatchSprite> AddSprite(CSpriteBatch* batch, const Vec3& at, const CRefPtr<CTexture>& texture, uint32_t rgb,
                                float scaleX, float scaleY, const SpriteTimes& times)
{
    CRefPtr<CBatchSprite> sprite(new CBatchSprite(at.x, at.y, at.z, texture, rgb));
    sprite->SetScale(scaleX, scaleY);
    sprite->fadeInTime = times.fadeIn;
    sprite->holdEnd = times.hold;
    sprite->fadeOutTime = times.fadeOut;
    sprite->flickerAmplitude = 0.0f;
    if (batch)
        batch->Add(sprite);
    return sprite;
}

void SpinRandomly(CBatchSprite& sprite, float speed)
{
    sprite.SetSpin(RandomUnit() * 2.0f * kPi, speed, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f);
}

CRefPtr<CParticleSystem> AddBolt(CParticleSystemsManager* particles, const BoltEnd& from, const BoltEnd& to,
                                 int32_t segments, int32_t bolts, uint32_t rgb, float pointSize, float life,
                                 int32_t capacity, const CRefPtr<CTexture>& texture)
{
    CRefPtr<CParticleSystem> system;
    if (!particles)
        return system;
    const Vec3 up{0.0f, 0.0f, 1.0f};
    CThunderboltParametres block(from.point, from.cross, up, from.length, 0.5f, from.width, to.point, to.cross, up,
                                 to.length, 0.5f, to.width, segments, bolts, rgb & 0x00FFFFFFu);
    block.pointSize = pointSize;
    block.duration = life;
    particles->AddThunderboltSystem(system, block, capacity, texture);
    return system;
}

} // namespace totemfx
