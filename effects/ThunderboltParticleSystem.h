// Thunderbolt: lightning bolts between an area around the origin and an area
// around the target. Every update lays each bolt out anew between fresh random
// ends, and its inner points jitter about the straight line; the system ends
// by its duration.
#pragma once

#include "effects/Particle.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"

class CThunderboltParticleSystem : public CParticleSystemOf<CThunderbolt>
{
public:
    CThunderboltParticleSystem(CRefPtr<CDevice> device, int32_t capacity,
                               CRefPtr<CTexture> texture, CRefPtr<CVertexBuffer> vertexBuffer,
                               CRefPtr<CIndexBuffer> indexBuffer,
                               CRefPtr<CParticleEnvironment> environment,
                               const CThunderboltParametres& block);

    int32_t Update(float dt) override;
    void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                     int32_t firstIndex) override;
    void MoveBy(float dx, float dy, float dz) override;

    // Moves both ends of the bolts at once: the origin with the first start axis
    // (direction scaled to the spread), the target with the first end axis; the
    // bolts are laid out at the new place straight away, every inner point jumping.
    void Retarget(float x, float y, float z, float startAxisX, float startAxisY,
                  float startAxisZ, float startSpread, float targetX, float targetY,
                  float targetZ, float endAxisX, float endAxisY, float endAxisZ, float endSpread);
    // Moves only the start of the bolts; the target stays.
    void MoveTo(float x, float y, float z) override;
    // The same move as Retarget under the name the board and the totems call it by.
    void MoveTo(float x, float y, float z, float startAxisX, float startAxisY, float startAxisZ,
                float startSpread, float targetX, float targetY, float targetZ, float endAxisX,
                float endAxisY, float endAxisZ, float endSpread)
    {
        Retarget(x, y, z, startAxisX, startAxisY, startAxisZ, startSpread, targetX, targetY,
                 targetZ, endAxisX, endAxisY, endAxisZ, endSpread);
    }

    Vec3 startAreaA, startAreaB; // start axes scaled by their spreads
    Vec3 target;
    Vec3 endAreaA, endAreaB;
    float startJitter; // jitter radius at the start of each bolt
    float endJitter;
    uint32_t colour;
    float pointSize;
    int32_t segments;
    int32_t bolts;
    float startDelay;

private:
    void LayOut(float dt);
};
