// CBatchSpriteGroup: a few batch sprites that move together with one attached
// particle effect, such as a flying gem of the green totem with its glow and
// its trail. Finishing the group fades its sprites out and stops the effect;
// the group's owner (a totem effect, or the board through it) destroys it.
#pragma once

#include "effects/ParticleSystem.h"
#include "engine/RefPtr.h"
#include "render/SpriteBatch.h"

#include <vector>

class CBatchSpriteGroup
{
public:
    CBatchSpriteGroup() = default;
    ~CBatchSpriteGroup() { Finish(); }
    CBatchSpriteGroup(const CBatchSpriteGroup&) = delete;
    CBatchSpriteGroup& operator=(const CBatchSpriteGroup&) = delete;

    void Finish()
    {
        for (const CRefPtr<CBatchSprite>& sprite : m_sprites)
            if (sprite)
                sprite->FadeOutNow();
        m_sprites.clear();
        if (m_effect)
            m_effect->StopEmission();
        m_effect.Reset();
    }

    std::vector<CRefPtr<CBatchSprite>> m_sprites;
    CRefPtr<CParticleSystem> m_effect;
};
