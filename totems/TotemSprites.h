// Small helpers the colour totems share to make their short-lived batch
// sprites (flashes, glows, sparkles) and their thunderbolts.
#pragma once

#include "effects/ParticleSystemsManager.h"
#include "engine/MathConstants.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"
#include "render/SpriteBatch.h"

#include <cstdint>

namespace totemfx
{

const float kForever = 10000000.0f;

// How long a batch sprite fades in, until when it holds, how long it fades out.
struct SpriteTimes
{
    float fadeIn, hold, fadeOut;
};

// A batch sprite with no flicker at a point, scaled, timed and added to the
// batch (when there is one); the handle, for sprites the caller moves.
CRefPtr<CBatchSprite> AddSprite(CSpriteBatch* batch, const Vec3& at, const CRefPtr<CTexture>& texture, uint32_t rgb,
                                float scaleX, float scaleY, const SpriteTimes& times);

// Turns the sprite in the screen plane from a random angle at the speed.
void SpinRandomly(CBatchSprite& sprite, float speed);

// One end of a thunderbolt: a point, the direction across it, its length and
// its width.
struct BoltEnd
{
    Vec3 point;
    Vec3 cross;
    float length;
    float width;
};

// A thunderbolt system between two ends (facing the viewer), or none without
// a particle manager.
CRefPtr<CParticleSystem> AddBolt(CParticleSystemsManager* particles, const BoltEnd& from, const BoltEnd& to,
                                 int32_t segments, int32_t bolts, uint32_t rgb, float pointSize, float life,
                                 int32_t capacity, const CRefPtr<CTexture>& texture);

} // namespace totemfx
