// CTerminatorManager: the owner of the running terminators (the timed
// destruction of matched groups), held by the play field: the active list, the
// list of terminators whose destruction finished (the play field scores and
// empties it), the shared drawing services and textures the terminators use,
// and the start sounds of one frame, merged per sound and played together.
#pragma once

#include "board/Terminator.h"
#include "engine/RefPtr.h"

#include <vector>

class CSound;
class CSoundBank;

class CTerminatorManager
{
public:
    // All requests for one sound in one frame merge into this many voices.
    static constexpr size_t kVoicesPerSound = 1;

    // One sound of the frame: its voices' summed pan positions and counts.
    struct PendingSound
    {
        CRefPtr<CSound> sound;
        std::vector<float> pans;
        std::vector<int32_t> counts;
        size_t cursor = 0;
        size_t limit = kVoicesPerSound;
    };

    CTerminatorManager(float time = 0.0f, CCapList* owner = nullptr,
                       CRefPtr<CParticleSystemsManager> particles = CRefPtr<CParticleSystemsManager>(),
                       CRefPtr<CSpriteBatch> batch = CRefPtr<CSpriteBatch>(),
                       CRefPtr<CSpriteBatch> batch2 = CRefPtr<CSpriteBatch>(),
                       CRefPtr<CSpriteList> spriteList = CRefPtr<CSpriteList>());
    ~CTerminatorManager();
    CTerminatorManager(const CTerminatorManager&) = delete;
    CTerminatorManager& operator=(const CTerminatorManager&) = delete;

    // Lock burst, sparks, glows and bolts.
    void SetTextures(CRefPtr<CTexture> burst, CRefPtr<CTexture> spark, CRefPtr<CTexture> glow,
                     CRefPtr<CTexture> bolt);
    void SetSoundBank(CRefPtr<CSoundBank> bank) { soundBank = bank; }

    // Advances every active terminator, queues the start sounds of those that
    // begin and moves the done ones to the finished list; its size.
    int Update(float dt);
    // Plays the frame's merged sounds and forgets them.
    void PlaySound();
    // Stops and drops every terminator and every pending sound.
    void Clear();
    bool IsEmpty() const { return active.empty() && finished.empty(); }

    void QueueStartSounds(const CTerminator& terminator);
    void QueueSound(const CRefPtr<CSound>& sound, float pan);

    std::vector<CRefPtr<CTerminator>> active;
    std::vector<CRefPtr<CTerminator>> finished;
    CCapList* owner = nullptr;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> batch;
    CRefPtr<CSpriteBatch> batch2;
    CRefPtr<CSpriteList> spriteList;
    float time = 0.0f;
    CRefPtr<CTexture> burstTexture;
    CRefPtr<CTexture> sparkTexture;
    CRefPtr<CTexture> glowTexture;
    CRefPtr<CTexture> boltTexture;
    CRefPtr<CTexture> spareTexture;
    std::vector<PendingSound> pending;
    CRefPtr<CSoundBank> soundBank;
};
