// Sparks: streaks that fly from the origin along the block's direction with a
// spread, fall under the environment's gravity and fade; drawn additively.
#pragma once

#include "effects/Particle.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"

class CSparksParticleSystem : public CParticleSystemOf<CSpark>
{
public:
    CSparksParticleSystem(CRefPtr<CDevice> device, int32_t capacity, CRefPtr<CTexture> texture,
                          CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer,
                          CRefPtr<CParticleEnvironment> environment,
                          const CSparksSpringParametres& block);

    int32_t Update(float dt) override;
    void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                     int32_t firstIndex) override;

    Vec3 direction;
    Vec3 spreadAxis; // normalised
    Vec3 spreadVectorA; // half the width along the axis
    Vec3 spreadVectorB; // half the width across
    float spreadA;
    float spreadB;
    uint32_t colour;
    float sparkWidth;
    float lengthFactor;
    float maxLength;
    float fadeRate;
    int32_t radial;
    // Gravity scale of sparks born from now on; a creator may set it right
    // after creation (negative values make sparks rise).
    float newSparkGravityScale = 1.0f;

private:
    Vec3 NormalVelocity();
    Vec3 RadialVelocity();
};
