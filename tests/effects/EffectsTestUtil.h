// Helpers shared by the particle tests: seeding the game's generator and
// building systems without a device.
#pragma once

#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"

#include <cstdint>

namespace effects_test
{

// A seed after which the next crt::rand() returns `value` (32767 makes the
// next RandomUnit exactly 1.0, 0 makes it exactly 0.0).
inline unsigned SeedForNextRand(int value)
{
    for (unsigned seed = 1;; ++seed)
    {
        uint32_t state = seed * 214013u + 2531011u;
        if (static_cast<int>((state >> 16) & 0x7fff) == value)
            return seed;
    }
}

// An environment with the box the game runs with.
inline CRefPtr<CParticleEnvironment> GameEnvironment()
{
    CRefPtr<CParticleEnvironment> env(new CParticleEnvironment);
    env->boxMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
    env->boxMax = Vec3{1000.0f, 1000.0f, 10000.0f};
    env->view->eye.z = -1000.0f;
    return env;
}

template <class System, class Block>
CRefPtr<System> MakeSystem(const Block& block, int32_t capacity,
                           CRefPtr<CParticleEnvironment> env = GameEnvironment())
{
    return CRefPtr<System>(new System(CRefPtr<CDevice>(), capacity, CRefPtr<CTexture>(),
                                      CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>(), env,
                                      block));
}

inline int CountAlive(const CParticleSystemOf<CSpark>& s)
{
    int n = 0;
    for (const CSpark& p : s.particles)
        n += p.alive ? 1 : 0;
    return n;
}

} // namespace effects_test
