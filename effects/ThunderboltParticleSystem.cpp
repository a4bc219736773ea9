#include "effects/ThunderboltParticleSystem.h"

#include "engine/Random.h"

using namespace pmath;

namespace
{

Vec3 Area(const Vec3& axis, float spread)
{
    return Mul(NormalOr(axis, V(0.0f, 1.0f, 0.0f)), spread);
}

} // namespace

CThunderboltParticleSystem::CThunderboltParticleSystem(
    CRefPtr<CDevice> device_, int32_t capacity_, CRefPtr<CTexture> texture_,
    CRefPtr<CVertexBuffer> vertexBuffer_, CRefPtr<CIndexBuffer> indexBuffer_,
    CRefPtr<CParticleEnvironment> environment_, const CThunderboltParametres& block)
    : CParticleSystemOf<CThunderbolt>(device_, capacity_, texture_, vertexBuffer_, indexBuffer_,
                                      environment_),
      startAreaA(Area(block.startAxisA, block.startSpreadA)),
      startAreaB(Area(block.startAxisB, block.startSpreadB)), target(block.target),
      endAreaA(Area(block.endAxisA, block.endSpreadA)),
      endAreaB(Area(block.endAxisB, block.endSpreadB)), startJitter(block.startJitter),
      endJitter(block.endJitter), colour(block.colour & 0xFFFFFFu), pointSize(block.pointSize),
      segments(block.segments > 0 ? block.segments : 1), bolts(block.bolts > 0 ? block.bolts : 0),
      startDelay(block.startDelay)
{
    origin = block.startPoint;
    duration = block.duration;
    srcBlend = D3DBLEND_SRCALPHA;
    destBlend = D3DBLEND_ONE;
    // Every bolt needs segments + 1 points; never more bolts than the slots hold.
    if (bolts * (segments + 1) > capacity)
        bolts = capacity / (segments + 1);
}

void CThunderboltParticleSystem::LayOut(float dt)
{
    const CParticleEnvironment& env = *environment;
    const int32_t points = segments + 1;
    for (int32_t bolt = 0; bolt < bolts; ++bolt)
    {
        float r1 = RandomUnit();
        float r2 = RandomUnit();
        Vec3 start = Add(origin, Add(Mul(startAreaA, r1 - 0.5f), Mul(startAreaB, r2 - 0.5f)));
        float r3 = RandomUnit();
        float r4 = RandomUnit();
        Vec3 end = Add(target, Add(Mul(endAreaA, r3 - 0.5f), Mul(endAreaB, r4 - 0.5f)));
        Vec3 span = Sub(end, start);
        for (int32_t k = 0; k < points; ++k)
        {
            CThunderbolt& point = particles[bolt * points + k];
            float f = static_cast<float>(k) / static_cast<float>(segments);
            point.position = Add(start, Mul(span, f));
            point.jitterRadius = startJitter + f * (endJitter - startJitter);
            if (k == 0 || k == segments)
            {
                point.jitter = point.position;
                point.brightness = 0.75f + 0.25f * RandomUnit();
            }
            else
            {
                point.Update(dt, env);
            }
        }
    }
}

int32_t CThunderboltParticleSystem::Update(float dt)
{
    elapsed += dt;
    if (elapsed < startDelay)
        return 1;
    if (emitting)
    {
        const int32_t points = segments + 1;
        for (int32_t i = 0; i < bolts * points; ++i)
            particles[i].Spawn(colour, origin, startJitter, pointSize);
        highWater = bolts * points;
        emitting = 0;
    }
    LayOut(dt);
    liveCount = segments * bolts;
    return elapsed >= duration ? 0 : 1;
}

void CThunderboltParticleSystem::Retarget(float x, float y, float z, float startAxisX,
                                          float startAxisY, float startAxisZ, float startSpread,
                                          float targetX, float targetY, float targetZ,
                                          float endAxisX, float endAxisY, float endAxisZ,
                                          float endSpread)
{
    origin = V(x, y, z);
    startAreaA = Area(V(startAxisX, startAxisY, startAxisZ), startSpread);
    target = V(targetX, targetY, targetZ);
    endAreaA = Area(V(endAxisX, endAxisY, endAxisZ), endSpread);
    // Before the first lay-out there are no points to move yet.
    if (!emitting)
        LayOut(1.0f);
}

void CThunderboltParticleSystem::MoveTo(float x, float y, float z) { origin = V(x, y, z); }

void CThunderboltParticleSystem::MoveBy(float dx, float dy, float dz)
{
    CParticleSystemOf<CThunderbolt>::MoveBy(dx, dy, dz);
    target.x += dx;
    target.y += dy;
    target.z += dz;
}

void CThunderboltParticleSystem::FillBuffers(CVertex* out, uint16_t* indices,
                                             int32_t firstVertex_, int32_t firstIndex_)
{
    firstVertex = firstVertex_;
    firstIndex = firstIndex_;
    if (liveCount < 1 || emitting)
        return;
    const Vec3 forward = environment->view->forward;
    const int32_t points = segments + 1;
    int32_t written = 0;
    int32_t b = firstVertex_;
    for (int32_t bolt = 0; bolt < bolts; ++bolt)
    {
        for (int32_t k = 0; k < segments && written < liveCount; ++k)
        {
            const CThunderbolt& from = particles[bolt * points + k];
            const CThunderbolt& to = particles[bolt * points + k + 1];
            float w = from.size;
            uint32_t argb = (AlphaByte(from.brightness) << 24) | from.colour;
            Vec3 p = from.jitter;
            Vec3 d = Sub(to.jitter, p);
            float len = Length(d);
            Vec3 across = Mul(NormalOr(Cross(d, forward), V(0.0f, 1.0f, 0.0f)), w);
            // Lengthen the segment by half the width at each end so joints overlap.
            Vec3 extend = len > 0.0f ? Mul(d, 0.5f * w / len) : V(0.0f, 0.0f, 0.0f);
            Vec3 v1 = Sub(Sub(p, Mul(across, 0.5f)), extend);
            Vec3 v2 = Add(v1, across);
            Vec3 v3 = Add(Add(v2, d), Mul(extend, 2.0f));
            Vec3 v4 = Sub(v3, across);
            WriteVertex(out, v1, argb, 0.0f, 0.0f);
            WriteVertex(out, v2, argb, 1.0f, 0.0f);
            WriteVertex(out, v3, argb, 1.0f, 1.0f);
            WriteVertex(out, v4, argb, 0.0f, 1.0f);
            WriteQuadIndices(indices, b);
            b += 4;
            ++written;
        }
    }
    liveCount = written;
}
