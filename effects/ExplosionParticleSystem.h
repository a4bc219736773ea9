// Explosion: one burst of spinning, growing fireballs around a centre, born
// together in the first update and slowed hard by drag; drawn additively from
// the 4 x 4 atlas.
#pragma once

#include "effects/Particle.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"

class CExplosionParticleSystem : public CParticleSystemOf<CFireball>
{
public:
    CExplosionParticleSystem(CRefPtr<CDevice> device, int32_t capacity, CRefPtr<CTexture> texture,
                             CRefPtr<CVertexBuffer> vertexBuffer,
                             CRefPtr<CIndexBuffer> indexBuffer,
                             CRefPtr<CParticleEnvironment> environment,
                             const CExplosionParametres& block);

    int32_t Update(float dt) override;
    void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                     int32_t firstIndex) override;

    int32_t mode;
    Vec3 centre; // the origin stays at (0, 0, 0)
    Vec3 baseVelocity;
    Vec3 axis;
    Vec3 acrossA, acrossB; // unit vectors across the axis
    float radius;
    uint32_t colour;
    float speed, speedSpread;
    float axialSpread;
    float size, sizeSpread;
    float growth, growthSpread;
    float growthAcceleration;
    float fadeRate, fadeSpread;

private:
    void Burst();
};
