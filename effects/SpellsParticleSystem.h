// Spells: drifting, turning sprites that fade in and out, born along the path
// the emitter moved (MoveTo), so a moving spells system leaves a trail. In
// converging mode each spell starts off the path and fades in while it flies
// onto it.
#pragma once

#include "effects/Particle.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"

class CSpellsParticleSystem : public CParticleSystemOf<CSpell>
{
public:
    CSpellsParticleSystem(CRefPtr<CDevice> device, int32_t capacity, CRefPtr<CTexture> texture,
                          CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer,
                          CRefPtr<CParticleEnvironment> environment,
                          const CSpellsSpringParametres& block);

    int32_t Update(float dt) override;
    void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                     int32_t firstIndex) override;
    void MoveBy(float dx, float dy, float dz) override;
    void MoveTo(float x, float y, float z) override;

    Vec3 previous;
    Vec3 velocity; // base velocity
    uint32_t colour;
    float speed, speedSpread;
    float size, sizeSpread;
    float fadeRate, fadeSpread;
    int32_t mode;
    int32_t randomAngle;
    int32_t randomSpinSign;
    float spin, spinSpread;
    int32_t phaseStart;
    float phaseRate;

private:
    void SpawnSpell(CSpell& spell, const Vec3& pathPoint);
};
