#include "effects/SimpleSpriteSystemKeeper.h"
#include "engine/MathConstants.h"

#include "effects/ParticleMath.h"
#include "engine/Random.h"

#include <cmath>

using namespace pmath;

namespace
{


// Three draws about 0, normalised; a second try, then +x, when they cancel out.
Vec3 RandomSpriteDirection()
{
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        const float x = RandomUnit() - 0.5f, y = RandomUnit() - 0.5f, z = RandomUnit() - 0.5f;
        const Vec3 d = V(x, y, z);
        if (Length(d) > 0.0f)
            return Mul(d, 1.0f / Length(d));
    }
    return V(1.0f, 0.0f, 0.0f);
}

// Outward from the origin; a sprite on the origin takes one random try.
Vec3 OutwardOf(const Vec3& offset)
{
    const float length = Length(offset);
    if (length > 0.0f)
        return Mul(offset, 1.0f / length);
    const Vec3 d = V(RandomUnit() - 0.5f, RandomUnit() - 0.5f, RandomUnit() - 0.5f);
    return NormalOr(d, V(1.0f, 0.0f, 0.0f));
}

// The angle of the line's direction in the x-y plane, 1024 a turn.
float LineAngle(const Vec3& d)
{
    const float length = Length(d);
    const float nx = length > 0.0f ? d.x / length : 1.0f;
    const float ny = length > 0.0f ? d.y / length : 0.0f;
    if (nx == 0.0f)
        return ny >= 0.0f ? 256.0f : 768.0f;
    const float a = std::atan(ny / nx) * 512.0f / kPi;
    if (nx < 0.0f)
        return a + 512.0f;
    return ny < 0.0f ? a + 1024.0f : a;
}

} // namespace

CSimpleSpriteSystemKeeper::CSimpleSpriteSystemKeeper()
{
    SetParams(16, 84.0f, 84.0f, 0.0f);
}

void CSimpleSpriteSystemKeeper::SetParams(int32_t n, float extentX, float extentY, float extentZ)
{
    count = n;
    extent = V(extentX, extentY, extentZ);
}

float CSimpleSpriteSystemKeeper::DrawSpeed()
{
    return Spread(speedBase, speedSpread, RandomUnit());
}

void CSimpleSpriteSystemKeeper::FinishSprite(Sprite& s, float angle)
{
    s.width = Spread(widthBase, widthSpread, RandomUnit());
    s.height = Spread(heightBase, heightSpread, RandomUnit());
    s.angle = angle;
    const float sign = RandomUnit() >= 0.5f ? -1.0f : 1.0f;
    s.spin = Spread(spinBase, spinSpread, RandomUnit()) * sign;
    s.frame = frames.Pick(RandomUnit());
}

void CSimpleSpriteSystemKeeper::GenerateLayout1()
{
    sprites.assign(size_t(count > 0 ? count : 0), Sprite{});
    for (Sprite& s : sprites)
    {
        const float r = std::sqrt(RandomUnit()), a = RandomUnit() * kTwoPi, b = RandomUnit();
        const float px = std::cos(a) * r, pz = std::sin(a) * r;
        const float rho = std::sqrt(px * px + pz * pz), phi = (b - 0.5f) * kPi;
        s.offset = V(std::cos(phi) * px * 0.5f * extent.x, std::sin(phi) * rho * 0.5f * extent.y,
                     std::cos(phi) * pz * 0.5f * extent.z);
        const Vec3 direction = OutwardOf(s.offset);
        s.velocity = Mul(direction, DrawSpeed());
        FinishSprite(s, RandomUnit() * 1024.0f);
    }
}

void CSimpleSpriteSystemKeeper::GenerateLayout2(float radius, int32_t n, float startAngle)
{
    count = n;
    sprites.assign(size_t(n > 0 ? n : 0), Sprite{});
    const float step = n > 0 ? kTwoPi / float(n) : 0.0f;
    float theta = startAngle;
    for (Sprite& s : sprites)
    {
        s.offset = V(radius * std::cos(theta), radius * std::sin(theta), 0.0f);
        const Vec3 direction = OutwardOf(s.offset);
        s.velocity = Mul(direction, DrawSpeed());
        FinishSprite(s, theta * 1024.0f / kTwoPi);
        theta += step;
    }
}

void CSimpleSpriteSystemKeeper::GenerateLayout3(const Vec3& first, const Vec3& last, int32_t n)
{
    count = n;
    sprites.assign(size_t(n > 0 ? n : 0), Sprite{});
    const Vec3 d = Sub(last, first);
    const Vec3 step = n > 1 ? Mul(d, 1.0f / float(n - 1)) : d;
    const float angle = LineAngle(d);
    Vec3 offset = first;
    for (Sprite& s : sprites)
    {
        s.offset = offset;
        const Vec3 direction = RandomSpriteDirection();
        s.velocity = Mul(direction, DrawSpeed());
        FinishSprite(s, angle);
        offset = Add(offset, step);
    }
}

int32_t CSimpleSpriteSystemKeeper::BeginFrame(float originX, float originY, float originZ, float)
{
    offset = V(originX, originY, originZ);
    return 1;
}

int32_t CSimpleSpriteSystemKeeper::GetEmitCount(float)
{
    return done ? 0 : count - emitted;
}

int32_t CSimpleSpriteSystemKeeper::InitParticle(int32_t, CCollectedParticle2& particle, float originX,
                                                float originY, float originZ)
{
    if (emitted < 0 || size_t(emitted) >= sprites.size())
    {
        done = 1;
        return 0;
    }
    const Sprite& s = sprites[size_t(emitted)];
    particle.SpawnTextured(colour, originX + s.offset.x, originY + s.offset.y, originZ + s.offset.z, s.frame, 1.0f,
                           s.width, s.height, s.angle);
    particle.velocity = s.velocity;
    particle.angularSpeed = s.spin;
    frames.Apply(s.frame, particle);
    ++emitted;
    if (emitted >= count)
        done = 1;
    return 1;
}

int32_t CSimpleSpriteSystemKeeper::UpdateParticle(int32_t, CCollectedParticle2& particle, float dt, float, float,
                                                  float)
{
    particle.velocity.y -= gravity * dt;
    particle.position = Add(particle.position, Mul(particle.velocity, dt));
    particle.angle = WrapAngle(particle.angle + particle.angularSpeed * dt);
    return floor <= particle.position.y ? 1 : 0;
}
