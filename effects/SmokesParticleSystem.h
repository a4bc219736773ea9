// Smokes: rotating, growing puffs from a 4 x 4 atlas that rise and slow down;
// in trail mode the puffs are laid along the path the emitter moved (MoveTo).
#pragma once

#include "effects/Particle.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"

class CSmokesParticleSystem : public CParticleSystemOf<CSmoke>
{
public:
    CSmokesParticleSystem(CRefPtr<CDevice> device, int32_t capacity, CRefPtr<CTexture> texture,
                          CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer,
                          CRefPtr<CParticleEnvironment> environment,
                          const CSmokesSpringParametres& block);

    int32_t Update(float dt) override;
    void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                     int32_t firstIndex) override;
    void MoveBy(float dx, float dy, float dz) override;
    void MoveTo(float x, float y, float z) override;

    int32_t blendMode; // 0 alpha blend, 1 additive, other: darkening
    int32_t trail;
    Vec3 previous; // where the emitter stood before the last MoveTo
    Vec3 direction;
    Vec3 spreadAxis; // normalised
    Vec3 acrossAxis; // normalised spread axis x direction
    float positionSpreadA, positionSpreadB;
    float directionSpreadA, directionSpreadB;
    uint32_t colour;
    float speed, speedSpread;
    float rise, riseSpread;
    float size, sizeSpread;
    float growth, growthSpread;
    float growthAcceleration;
    float fadeRate, fadeSpread;
    float fadeInRate;
    float strength = 1.0f; // multiplies every puff's opacity (dims a whole cloud at once)

private:
    void SpawnPuff(CSmoke& puff, const Vec3& position, const Vec3& velocity);
};
