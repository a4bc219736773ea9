#include "effects/SmokesParticleSystem.h"

#include "engine/Random.h"

using namespace pmath;

CSmokesParticleSystem::CSmokesParticleSystem(CRefPtr<CDevice> device_, int32_t capacity_,
                                             CRefPtr<CTexture> texture_,
                                             CRefPtr<CVertexBuffer> vertexBuffer_,
                                             CRefPtr<CIndexBuffer> indexBuffer_,
                                             CRefPtr<CParticleEnvironment> environment_,
                                             const CSmokesSpringParametres& block)
    : CParticleSystemOf<CSmoke>(device_, capacity_, texture_, vertexBuffer_, indexBuffer_,
                                environment_),
      blendMode(block.flags & CSmokesSpringParametres::kBlendMask),
      trail((block.flags & CSmokesSpringParametres::kTrail) != 0 ? 1 : 0),
      previous(block.origin), direction(block.direction),
      positionSpreadA(block.positionSpreadA), positionSpreadB(block.positionSpreadB),
      directionSpreadA(block.directionSpreadA), directionSpreadB(block.directionSpreadB),
      colour(block.colour & 0xFFFFFFu), speed(block.speed), speedSpread(block.speedSpread),
      rise(block.rise), riseSpread(block.riseSpread), size(block.size),
      sizeSpread(block.sizeSpread), growth(block.growth), growthSpread(block.growthSpread),
      growthAcceleration(block.growthAcceleration), fadeRate(block.fadeRate),
      fadeSpread(block.fadeSpread), fadeInRate(block.fadeInRate)
{
    origin = block.origin;
    timed = block.timed;
    duration = block.duration;
    count = block.count;
    rate = block.rate;
    budget = count;
    if (blendMode == 0)
    {
        srcBlend = D3DBLEND_SRCALPHA;
        destBlend = D3DBLEND_INVSRCALPHA;
    }
    else if (blendMode == 1)
    {
        srcBlend = D3DBLEND_SRCALPHA;
        destBlend = D3DBLEND_ONE;
    }
    else
    {
        srcBlend = D3DBLEND_ZERO;
        destBlend = D3DBLEND_INVSRCCOLOR;
    }
    spreadAxis = NormalOr(block.spreadAxis, V(1.0f, 0.0f, 0.0f));
    acrossAxis = NormalOr(Cross(spreadAxis, direction), V(0.0f, 1.0f, 0.0f));
}

void CSmokesParticleSystem::SpawnPuff(CSmoke& puff, const Vec3& position, const Vec3& velocity)
{
    float fade = Spread(fadeRate, fadeSpread, RandomUnit());
    float puffSize = Spread(size, sizeSpread, RandomUnit());
    float puffGrowth = Spread(growth, growthSpread, RandomUnit());
    float puffRise = Spread(rise, riseSpread, RandomUnit());
    puff.Spawn(colour, fade, position, velocity, puffSize, puffGrowth, growthAcceleration,
               puffRise);
    if (fadeInRate == 0.0f)
    {
        puff.alpha = 1.0f;
    }
    else
    {
        puff.secondFadeRate = puff.fadeRate;
        puff.fadeRate = -fadeInRate;
        puff.fadePeak = 1.0f;
        puff.alpha = 0.00001f;
    }
}

int32_t CSmokesParticleSystem::Update(float dt)
{
    if (emitting)
    {
        float accumulated = 0.0f;
        int32_t k = RunEmissionClock(dt, &accumulated);
        if (k > capacity)
            k = capacity;
        if (trail)
        {
            // Spread this update's puffs along the emitter's move.
            EmitAlongPath(k, accumulated, previous,
                          [&](CSmoke& puff, const Vec3& point) { SpawnPuff(puff, point, direction); });
        }
        else
        {
            EmitIntoSlots(k, [&](CSmoke& puff, int32_t, bool) {
                float r1 = RandomUnit();
                float r2 = RandomUnit();
                Vec3 position = Add(origin, Add(Mul(spreadAxis, (r1 - 0.5f) * positionSpreadA),
                                                Mul(acrossAxis, (r2 - 0.5f) * positionSpreadB)));
                float d1 = 2.0f * RandomUnit() - 1.0f;
                float d2 = 2.0f * RandomUnit() - 1.0f;
                Vec3 dir = Add(direction, Add(Mul(spreadAxis, d1 * directionSpreadA),
                                              Mul(acrossAxis, d2 * directionSpreadB)));
                dir = NormalOr(dir, V(0.0f, 1.0f, 0.0f));
                Vec3 velocity = Mul(dir, Spread(speed, speedSpread, RandomUnit()));
                SpawnPuff(puff, position, velocity);
            });
        }
    }
    const CParticleEnvironment& env = *environment;
    return ParticlePass([&](int32_t, CSmoke& puff) {
        puff.Update(dt, env);
        return env.IsInsideBox(puff.position) && puff.alpha > 0.0f;
    });
}

void CSmokesParticleSystem::MoveBy(float dx, float dy, float dz)
{
    CParticleSystemOf<CSmoke>::MoveBy(dx, dy, dz);
    if (trail)
    {
        previous.x += dx;
        previous.y += dy;
        previous.z += dz;
    }
}

void CSmokesParticleSystem::MoveTo(float x, float y, float z)
{
    previous = origin;
    origin = V(x, y, z);
}

void CSmokesParticleSystem::FillBuffers(CVertex* out, uint16_t* indices, int32_t firstVertex_,
                                        int32_t firstIndex_)
{
    FillQuads(out, indices, firstVertex_, firstIndex_, [&](const CSmoke& puff, CVertex*& corners) {
        const CParticleEnvironment& env = *environment;
        uint32_t argb;
        if (blendMode == 0 || blendMode == 1)
        {
            argb = (AlphaByte(puff.alpha * strength) << 24) | puff.colour;
        }
        else
        {
            // Darkening: the colour itself carries the opacity.
            const float a = puff.alpha * strength;
            uint32_t r = ClampByte(puff.red * a);
            uint32_t g = ClampByte(puff.green * a);
            uint32_t bl = ClampByte(puff.blue * a);
            argb = 0xFF000000u | (r << 16) | (g << 8) | bl;
        }
        float s, c, u, v;
        env.SinCos(puff.angle, s, c);
        env.Cell(puff.frame, u, v);
        Vec3 axisX, axisY;
        FacingAxes(env.view->right, env.view->up, s, c, puff.size, puff.size, axisX, axisY);
        WriteQuad(corners, puff.position, axisX, axisY, argb, u, v, u + 0.25f, v + 0.25f);
    });
}
