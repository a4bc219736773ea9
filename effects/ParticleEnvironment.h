// The record every particle system of one manager shares: gravity, the drag
// and damping constants of smoke and fireball puffs, the 1024-step sine and
// cosine tables, the 4 x 4 texture-atlas cell table, the bounding box outside
// which particles die, and the view the quads are turned towards. Owned by its
// CParticleSystemsManager; each system keeps a handle.
#pragma once

#include "effects/ParticleMath.h"
#include "engine/RefPtr.h"

// The camera the particle quads face: right and up span a quad, depth is
// measured along forward from the eye.
class CParticleView
{
public:
    Vec3 eye{0.0f, 0.0f, -1.0f};
    Vec3 right{1.0f, 0.0f, 0.0f};
    Vec3 up{0.0f, 1.0f, 0.0f};
    Vec3 forward{0.0f, 0.0f, 1.0f};
};

class CParticleEnvironment
{
public:
    static constexpr int kAngleSteps = 1024; // one turn
    static constexpr int kCellTableSize = 64;

    CParticleEnvironment();

    // Sine and cosine of an angle in 1/1024 of a turn (nearest step).
    void SinCos(float angle, float& s, float& c) const
    {
        int i = pmath::Nearest(angle) & (kAngleSteps - 1);
        s = sinTable[i];
        c = cosTable[i];
    }

    // Top-left texture coordinate of atlas cell n (4 x 4 cells of 0.25).
    void Cell(float n, float& u, float& v) const
    {
        int i = pmath::Nearest(n) & (kCellTableSize - 1);
        u = cellU[i];
        v = cellV[i];
    }

    bool IsInsideBox(const Vec3& p) const
    {
        return !(p.x < boxMin.x || p.y < boxMin.y || p.z < boxMin.z || p.x > boxMax.x ||
                 p.y > boxMax.y || p.z > boxMax.z);
    }

    Vec3 gravity{0.0f, -9.8f, 0.0f};
    float smokeDrag = 0.5f;
    float smokeSpinDamping = 0.1f;
    float smokeFrameDamping = 0.5f;
    float fireballDrag = 4.5f;
    float fireballSpinDamping = 1.5f;
    float fireballFrameDamping = 0.01f;
    CRefPtr<CParticleView> view;
    float sinTable[kAngleSteps];
    float cosTable[kAngleSteps];
    float cellU[kCellTableSize];
    float cellV[kCellTableSize];
    Vec3 boxMin{-10.0f, -10.0f, -10.0f};
    Vec3 boxMax{10.0f, 10.0f, 10.0f};
};

// The game's set-up: particles live inside the depth range the screen's
// projection draws (-1000..1000 every way) and are ordered from an eye far
// behind the scene, so every depth in that range sorts farthest first.
void SetGameEnvironment(CParticleEnvironment& environment);
