#include "effects/SpellsParticleSystem.h"

#include "engine/Random.h"

using namespace pmath;

CSpellsParticleSystem::CSpellsParticleSystem(CRefPtr<CDevice> device_, int32_t capacity_,
                                             CRefPtr<CTexture> texture_,
                                             CRefPtr<CVertexBuffer> vertexBuffer_,
                                             CRefPtr<CIndexBuffer> indexBuffer_,
                                             CRefPtr<CParticleEnvironment> environment_,
                                             const CSpellsSpringParametres& block)
    : CParticleSystemOf<CSpell>(device_, capacity_, texture_, vertexBuffer_, indexBuffer_,
                                environment_),
      previous(block.origin), velocity(block.velocity), colour(block.colour & 0xFFFFFFu),
      speed(block.speed), speedSpread(block.speedSpread), size(block.size),
      sizeSpread(block.sizeSpread), fadeRate(block.fadeRate), fadeSpread(block.fadeSpread),
      mode(block.mode), randomAngle(block.randomAngle), randomSpinSign(block.randomSpinSign),
      spin(block.spin), spinSpread(block.spinSpread), phaseStart(block.phaseStart),
      phaseRate(block.phaseRate)
{
    origin = block.origin;
    timed = block.timed;
    duration = block.duration;
    count = block.count;
    rate = block.rate;
    budget = count;
    srcBlend = D3DBLEND_SRCALPHA;
    destBlend = D3DBLEND_ONE;
}

void CSpellsParticleSystem::SpawnSpell(CSpell& spell, const Vec3& pathPoint)
{
    float x = 2.0f * RandomUnit() - 1.0f;
    float y = 2.0f * RandomUnit() - 1.0f;
    float z = 2.0f * RandomUnit() - 1.0f;
    Vec3 v = V(x, y, z);
    float len = Length(v);
    float birthSpeed = Spread(speed, speedSpread, RandomUnit());
    Vec3 birthVelocity = len > 0.0f ? Add(velocity, Mul(v, birthSpeed / len)) : velocity;
    float angle = randomAngle ? RandomUnit() * 1024.0f : 0.0f;
    float angularSpeed = Spread(spin, spinSpread, RandomUnit());
    if (randomSpinSign && RandomUnit() < 0.5f)
        angularSpeed = -angularSpeed;

    float fade = Spread(fadeRate, fadeSpread, RandomUnit());
    float spellSize = Spread(size, sizeSpread, RandomUnit());
    if (mode == CSpellsSpringParametres::kModeConverging)
    {
        // Start as far back as the spell flies while fading in, so it reaches the path
        // as it becomes fully visible.
        float lead = 0.0f;
        if (fade != 0.0f)
            lead += 1.0f / fade;
        if (phaseRate != 0.0f)
            lead += 1.0f / phaseRate;
        Vec3 start = Sub(pathPoint, Mul(birthVelocity, lead));
        spell.Spawn(colour, -fade, start, birthVelocity, spellSize, angle, angularSpeed);
    }
    else
    {
        spell.Spawn(colour, fade, pathPoint, birthVelocity, spellSize, angle, angularSpeed);
    }
    spell.phaseRate = phaseRate;
    if (phaseStart)
        spell.phase = mode == CSpellsSpringParametres::kModeConverging ? 2.0f : 0.0f;
}

int32_t CSpellsParticleSystem::Update(float dt)
{
    if (emitting)
    {
        float accumulated = 0.0f;
        int32_t k = RunEmissionClock(dt, &accumulated);
        if (k > capacity)
            k = capacity;
        Vec3 step = V(0.0f, 0.0f, 0.0f);
        if (k > 0 && accumulated > 0.0f)
            step = Mul(Sub(origin, previous),
                       ((accumulated - accumulator) / accumulated) / static_cast<float>(k));
        int32_t j = 0;
        EmitIntoSlots(k, [&](CSpell& spell, int32_t, bool) {
            ++j;
            SpawnSpell(spell, Add(previous, Mul(step, static_cast<float>(j))));
        });
    }
    const CParticleEnvironment& env = *environment;
    return ParticlePass([&](int32_t, CSpell& spell) {
        spell.Update(dt, env);
        return env.IsInsideBox(spell.position) && !spell.done;
    });
}

void CSpellsParticleSystem::MoveBy(float dx, float dy, float dz)
{
    CParticleSystemOf<CSpell>::MoveBy(dx, dy, dz);
    previous.x += dx;
    previous.y += dy;
    previous.z += dz;
}

void CSpellsParticleSystem::MoveTo(float x, float y, float z)
{
    previous = origin;
    origin = V(x, y, z);
}

void CSpellsParticleSystem::GetBufferNeeds(int32_t& vertices, int32_t& indices)
{
    vertices = 4 * liveCount;
    indices = 6 * liveCount;
}

void CSpellsParticleSystem::FillBuffers(CVertex* out, uint16_t* indices, int32_t firstVertex_,
                                        int32_t firstIndex_)
{
    firstVertex = firstVertex_;
    firstIndex = firstIndex_;
    if (liveCount < 1)
        return;
    const CParticleEnvironment& env = *environment;
    const Vec3 right = env.view->right;
    const Vec3 up = env.view->up;
    int32_t written = 0;
    int32_t b = firstVertex_;
    for (int32_t i = 0; i < highWater && written < liveCount; ++i)
    {
        const CSpell& spell = particles[i];
        if (!spell.alive)
            continue;
        uint32_t argb = (AlphaByte(spell.alpha) << 24) | spell.colour;
        float s, c;
        env.SinCos(spell.angle, s, c);
        Vec3 axisX = Mul(Add(Mul(right, c), Mul(up, s)), spell.size);
        Vec3 axisY = Mul(Sub(Mul(up, c), Mul(right, s)), spell.size);
        Vec3 v1 = Add(Sub(spell.position, Mul(axisX, 0.5f)), Mul(axisY, 0.5f));
        Vec3 v2 = Add(v1, axisX);
        Vec3 v3 = Sub(v2, axisY);
        Vec3 v4 = Sub(v3, axisX);
        WriteVertex(out, v1, argb, 0.0f, 0.0f);
        WriteVertex(out, v2, argb, 1.0f, 0.0f);
        WriteVertex(out, v3, argb, 1.0f, 1.0f);
        WriteVertex(out, v4, argb, 0.0f, 1.0f);
        WriteQuadIndices(indices, b);
        b += 4;
        ++written;
    }
    liveCount = written;
}
