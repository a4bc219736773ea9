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
        EmitAlongPath(k, accumulated, previous,
                      [&](CSpell& spell, const Vec3& point) { SpawnSpell(spell, point); });
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

void CSpellsParticleSystem::FillBuffers(CVertex* out, uint16_t* indices, int32_t firstVertex_,
                                        int32_t firstIndex_)
{
    FillQuads(out, indices, firstVertex_, firstIndex_, [&](const CSpell& spell, CVertex*& corners) {
        const CParticleEnvironment& env = *environment;
        uint32_t argb = (AlphaByte(spell.alpha) << 24) | spell.colour;
        float s, c;
        env.SinCos(spell.angle, s, c);
        Vec3 axisX, axisY;
        FacingAxes(env.view->right, env.view->up, s, c, spell.size, spell.size, axisX, axisY);
        WriteQuad(corners, spell.position, axisX, axisY, argb, 0.0f, 0.0f, 1.0f, 1.0f);
    });
}
