// KeeperFrames: the texture frames of a particle keeper, four (u, v) corners
// each in the particle's corner order. Setting a frame past the end appends a
// new last frame, whatever the index.
#pragma once

#include "effects/CollectionParticleSystem.h"

#include <cstdint>
#include <vector>

class KeeperFrames
{
public:
    using UV = CCollectedParticle::UV;

    KeeperFrames() { SetRect(0, 0.0f, 0.0f, 1.0f, 1.0f); }

    void SetRect(int32_t index, float left, float top, float right, float bottom)
    {
        SetUV(index, UV{left, top}, UV{right, top}, UV{right, bottom}, UV{left, bottom});
    }

    void SetUV(int32_t index, UV a, UV b, UV c, UV d)
    {
        const UV corners[4] = {a, b, c, d};
        if (index >= 0 && index < Count())
        {
            for (int k = 0; k < 4; ++k)
                uv[size_t(index) * 4 + size_t(k)] = corners[k];
            return;
        }
        for (const UV& corner : corners)
            uv.push_back(corner);
    }

    int32_t Count() const { return int32_t(uv.size() / 4); }

    // floor(r * frames), kept within the list (r = 1.0 picks the last frame).
    int32_t Pick(float r) const
    {
        const int32_t n = Count();
        int32_t f = int32_t(r * float(n));
        if (f > n - 1)
            f = n - 1;
        return f < 0 ? 0 : f;
    }

    // Copies frame f's corners into the particle; a frame that is not there leaves them.
    void Apply(int32_t f, CCollectedParticle& particle) const
    {
        if (f < 0 || f >= Count())
            return;
        for (int k = 0; k < 4; ++k)
            particle.uv[k] = uv[size_t(f) * 4 + size_t(k)];
    }

    std::vector<UV> uv;
};
