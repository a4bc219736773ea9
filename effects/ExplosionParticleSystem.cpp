#include "effects/ExplosionParticleSystem.h"

#include "engine/Random.h"

using namespace pmath;

namespace
{

Vec3 RandomExplosionDirection()
{
    float x = 2.0f * RandomUnit() - 1.0f;
    float y = 2.0f * RandomUnit() - 1.0f;
    float z = 2.0f * RandomUnit() - 1.0f;
    return NormalOr(V(x, y, z), V(0.0f, 1.0f, 0.0f));
}

} // namespace

CExplosionParticleSystem::CExplosionParticleSystem(CRefPtr<CDevice> device_, int32_t capacity_,
                                                   CRefPtr<CTexture> texture_,
                                                   CRefPtr<CVertexBuffer> vertexBuffer_,
                                                   CRefPtr<CIndexBuffer> indexBuffer_,
                                                   CRefPtr<CParticleEnvironment> environment_,
                                                   const CExplosionParametres& block)
    : CParticleSystemOf<CFireball>(device_, capacity_, texture_, vertexBuffer_, indexBuffer_,
                                   environment_),
      mode(block.mode), centre(block.centre), baseVelocity(block.baseVelocity),
      axis(NormalOr(block.axis, V(0.0f, 1.0f, 0.0f))), radius(block.radius),
      colour(block.colour & 0xFFFFFFu), speed(block.speed), speedSpread(block.speedSpread),
      axialSpread(block.axialSpread), size(block.size), sizeSpread(block.sizeSpread),
      growth(block.growth), growthSpread(block.growthSpread),
      growthAcceleration(block.growthAcceleration), fadeRate(block.fadeRate),
      fadeSpread(block.fadeSpread)
{
    count = block.count;
    budget = count;
    srcBlend = D3DBLEND_SRCALPHA;
    destBlend = D3DBLEND_ONE;
    // Any axis gives a plane across it; z is a safe helper unless the axis lies along it.
    Vec3 helper = std::fabs(axis.z) < 0.9f ? V(0.0f, 0.0f, 1.0f) : V(1.0f, 0.0f, 0.0f);
    acrossA = NormalOr(Cross(axis, helper), V(1.0f, 0.0f, 0.0f));
    acrossB = NormalOr(Cross(axis, acrossA), V(0.0f, 0.0f, 1.0f));
}

void CExplosionParticleSystem::Burst()
{
    int32_t n = count < capacity ? count : capacity;
    if (n < 0)
        n = 0;
    for (int32_t i = 0; i < n; ++i)
    {
        Vec3 w = RandomExplosionDirection();
        Vec3 position = Add(centre, Mul(w, RandomUnit() * radius));
        Vec3 direction;
        if (mode == CExplosionParametres::kModeRing)
        {
            float a = 2.0f * RandomUnit() - 1.0f;
            float b = 2.0f * RandomUnit() - 1.0f;
            direction = NormalOr(Add(Mul(acrossA, a), Mul(acrossB, b)), acrossA);
            float along = (2.0f * RandomUnit() - 1.0f) * axialSpread;
            direction = Add(direction, Mul(axis, along));
        }
        else
        {
            direction = RandomExplosionDirection();
        }
        Vec3 velocity = Add(baseVelocity, Mul(direction, Spread(speed, speedSpread, RandomUnit())));
        float fade = Spread(fadeRate, fadeSpread, RandomUnit());
        float ballSize = Spread(size, sizeSpread, RandomUnit());
        float ballGrowth = Spread(growth, growthSpread, RandomUnit());
        particles[i].Spawn(colour, fade, position, velocity, ballSize, ballGrowth,
                           growthAcceleration);
    }
    highWater = n;
    emitting = 0;
}

int32_t CExplosionParticleSystem::Update(float dt)
{
    if (emitting)
        Burst();
    const CParticleEnvironment& env = *environment;
    return ParticlePass([&](int32_t, CFireball& ball) {
        ball.Update(dt, env);
        return env.IsInsideBox(ball.position) && ball.alpha > 0.0f;
    });
}

void CExplosionParticleSystem::FillBuffers(CVertex* out, uint16_t* indices, int32_t firstVertex_,
                                           int32_t firstIndex_)
{
    FillQuads(out, indices, firstVertex_, firstIndex_, [&](const CFireball& ball, CVertex*& corners) {
        const CParticleEnvironment& env = *environment;
        uint32_t argb = (AlphaByte(ball.alpha) << 24) | ball.colour;
        float s, c, u, v;
        env.SinCos(ball.angle, s, c);
        env.Cell(ball.frame, u, v);
        Vec3 axisX, axisY;
        FacingAxes(env.view->right, env.view->up, s, c, ball.size, ball.size, axisX, axisY);
        WriteQuad(corners, ball.position, axisX, axisY, argb, u, v, u + 0.25f, v + 0.25f);
    });
}
