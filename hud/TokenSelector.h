// CTokenSelector: the mark on the token the player picked for a swap: a burst
// of sparkles in the token's colour, a marker picture that comes up over the
// token shrinking from twice its size, and two sparkle emitters circling it.
// It follows the token and vanishes the moment the selection is dropped. The
// game makes the one marker in Init; the board holds it, updates it and clears
// it whenever tokens are removed, swapped or reshuffled.
#pragma once

#include "board/Cap.h"
#include "engine/RefPtr.h"

#include <cstdint>

class CParticleSystem;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CTokenSelector
{
public:
    // Empty handles: the mark shows nothing until Init gives it its resources.
    CTokenSelector();
    CTokenSelector(CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteList> spriteList,
                   CRefPtr<CSpriteBatch> spriteBatch, CRefPtr<CTexture> markerTexture,
                   CRefPtr<CTexture> sparkTexture);
    ~CTokenSelector();

    CTokenSelector(const CTokenSelector&) = delete;
    CTokenSelector& operator=(const CTokenSelector&) = delete;

    void Init(CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteList> spriteList,
              CRefPtr<CSpriteBatch> spriteBatch, CRefPtr<CTexture> markerTexture,
              CRefPtr<CTexture> sparkTexture);

    void Select(CRefPtr<CCap> cap);
    void Clear();
    void Update(float dt);
    void SetActive(int32_t on);
    // The options' effects level scales how many sparkles the mark emits.
    void SetEffectsLevel(float level) { spellScale = level; }

    int32_t active = 0;
    CRefPtr<CCap> token;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CTexture> markerTexture; // "Selector"
    CRefPtr<CTexture> sparkTexture;  // "StarParticle"
    float angle = 0.0f;
    float angularSpeed = 1.5707964f;
    float introScale = 1.0f;
    float introSpeed = 4.0f;
    CRefPtr<CSpriteShape> marker;
    CRefPtr<CParticleSystem> orbit[2];
    float spellScale = 1.0f;
    int32_t colorIndex = -1;

private:
    // Where the token is drawn: its position plus its display offset.
    void TokenPoint(float& x, float& y, float& z) const;
};
