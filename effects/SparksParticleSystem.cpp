#include "effects/SparksParticleSystem.h"

#include "engine/Random.h"

using namespace pmath;

CSparksParticleSystem::CSparksParticleSystem(CRefPtr<CDevice> device_, int32_t capacity_,
                                             CRefPtr<CTexture> texture_,
                                             CRefPtr<CVertexBuffer> vertexBuffer_,
                                             CRefPtr<CIndexBuffer> indexBuffer_,
                                             CRefPtr<CParticleEnvironment> environment_,
                                             const CSparksSpringParametres& block)
    : CParticleSystemOf<CSpark>(device_, capacity_, texture_, vertexBuffer_, indexBuffer_,
                                environment_),
      direction(block.direction), spreadA(block.spreadA), spreadB(block.spreadB),
      colour(block.colour), sparkWidth(block.sparkWidth), lengthFactor(block.lengthFactor),
      maxLength(block.maxLength), fadeRate(block.fadeRate), radial(block.radial)
{
    origin = block.origin;
    timed = block.timed;
    duration = block.duration;
    count = block.count;
    rate = block.rate;
    budget = count;
    srcBlend = D3DBLEND_SRCALPHA;
    destBlend = D3DBLEND_ONE;

    spreadAxis = NormalOr(block.spreadAxis, V(1.0f, 0.0f, 0.0f));
    spreadVectorA = Mul(spreadAxis, spreadA * 0.5f);
    Vec3 across = NormalOr(Cross(direction, spreadAxis), V(0.0f, 1.0f, 0.0f));
    spreadVectorB = Mul(across, spreadB * 0.5f);
}

Vec3 CSparksParticleSystem::NormalVelocity()
{
    float a = 2.0f * RandomUnit() - 1.0f;
    float b = 2.0f * RandomUnit() - 1.0f;
    float s = 0.5f + 0.5f * RandomUnit();
    return Mul(Add(Add(direction, Mul(spreadVectorA, a)), Mul(spreadVectorB, b)), s);
}

Vec3 CSparksParticleSystem::RadialVelocity()
{
    float x = RandomUnit() - 0.5f;
    float y = RandomUnit() - 0.5f;
    float z = RandomUnit() - 0.5f;
    Vec3 v = V(x, y, z);
    float len = Length(v);
    if (len == 0.0f)
        len = 1.0f;
    v = Mul(v, 1.0f / len);
    float speed = Spread(spreadA, spreadB, RandomUnit());
    return Add(direction, Mul(v, speed));
}

int32_t CSparksParticleSystem::Update(float dt)
{
    if (emitting)
    {
        int32_t k = RunEmissionClock(dt);
        EmitIntoSlots(k, [&](CSpark& spark, int32_t, bool overwriting) {
            // Overwritten slots always take the normal spread.
            Vec3 velocity = (radial && !overwriting) ? RadialVelocity() : NormalVelocity();
            spark.Spawn(colour, fadeRate, origin, velocity, sparkWidth, lengthFactor, maxLength);
            spark.gravityScale = newSparkGravityScale;
        });
    }
    const CParticleEnvironment& env = *environment;
    return ParticlePass([&](int32_t, CSpark& spark) {
        spark.Update(dt, env);
        return env.IsInsideBox(spark.position) && spark.life > 0.0f;
    });
}

void CSparksParticleSystem::FillBuffers(CVertex* out, uint16_t* indices, int32_t firstVertex_,
                                        int32_t firstIndex_)
{
    FillQuads(out, indices, firstVertex_, firstIndex_, [&](CSpark& spark, CVertex*& corners) {
        const Vec3 forward = environment->view->forward;
        uint32_t argb = (AlphaByte(spark.life) << 24) | spark.colour;
        float width = spark.size;
        float speed = Length(spark.velocity);
        float length = speed * spark.lengthPerSpeed;
        if (length > spark.maxLength)
            length = spark.maxLength;
        if (length < width)
            length = width;
        spark.length = length;
        Vec3 along = speed > 0.0f ? Mul(spark.velocity, length / speed) : V(length, 0.0f, 0.0f);
        Vec3 across = Mul(NormalOr(Cross(along, forward), V(0.0f, 1.0f, 0.0f)), width);
        WriteQuad(corners, spark.position, across, along, argb, 0.0f, 0.0f, 1.0f, 1.0f);
    });
}
