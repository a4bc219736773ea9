// Terminators: the short animated effect that destroys the tokens of one
// removed match group. The tokens glow, electric bolts play between them and
// sparks fly off their chains; at the end an unlocked token breaks and leaves
// the token list, a locked one loses a lock and stays. The removal code spawns
// one terminator per group into the play field's terminator manager, which
// updates them every frame and hands the finished ones back for scoring.
#pragma once

#include "board/CapRider.h"
#include "board/MatchGrid.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CBatchSprite;
class CCap;
class CCapList;
class CParticleSystem;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CTerminatorManager;
class CTexture;

// What a terminator removes: the match group (its cells and the links between
// neighbouring cells), the bonuses its tokens held and the add mode of each.
struct CTerminatorParams
{
    CMatchGroup group;
    std::vector<CRefPtr<CCapRider>> heldBonuses;
    std::vector<int32_t> modes;
};

class CTerminator
{
public:
    enum
    {
        kElectro = 1,
    };
    // Add modes: 0 as found, 1 the token loses every lock, 2 the token breaks
    // even when locked.
    enum
    {
        kAddNormal = 0,
        kAddUnlockAll = 1,
        kAddBreak = 2,
    };

    CTerminator(int32_t kind, float baseTime, CCapList* owner, CRefPtr<CParticleSystemsManager> particles,
                CRefPtr<CSpriteBatch> batch, CRefPtr<CSpriteBatch> batch2, CRefPtr<CSpriteList> spriteList);
    virtual ~CTerminator();
    CTerminator(const CTerminator&) = delete;
    CTerminator& operator=(const CTerminator&) = delete;

    // Makes a terminator of the kind for the group, files it in the manager's
    // active list and returns it; any kind but kElectro gives an empty handle.
    static CRefPtr<CTerminator>& Spawn(CRefPtr<CTerminator>& out, CTerminatorManager* manager, int32_t kind,
                                       const CMatchGroup& group, CRefPtr<CTexture> texture, int32_t altSounds);

    virtual void AddToken(const CRefPtr<CCap>& token, int32_t mode);
    virtual void CopyParams(const CTerminatorParams& block);
    // Nonzero while running.
    virtual int Update(float dt);
    // True when some token still has a lock.
    virtual bool HasLiveTokens() const;
    virtual uint32_t GetFlashColor() const;

    // Arms the start sounds: the manager plays them on its next update.
    void Start() { soundsDone = 0; }

    int32_t kind = kElectro;
    int32_t altSounds = 0;
    float baseTime = 0.0f;
    float elapsed = 0.0f;
    int32_t soundsDone = 1;
    CTerminatorParams params;
    std::vector<CRefPtr<CCap>> tokens;
    std::vector<int32_t> flags;  // per token: it breaks (or counts as removed)
    CCapList* owner = nullptr;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> batch;
    CRefPtr<CSpriteBatch> batch2;
    CRefPtr<CSpriteList> spriteList;
};

class CTerminatorElectro : public CTerminator
{
public:
    struct Bolt
    {
        CRefPtr<CParticleSystem> system;
        float age = 0.0f;
        float life = 0.0f;
        int32_t token[2] = {0, 0};
        float radius[2] = {0.0f, 0.0f};
        float angle[2] = {0.0f, 0.0f};
        float spin[2] = {0.0f, 0.0f};
        float width[2] = {0.0f, 0.0f};
    };

    // The effect times: the normal one and the short one of the "_s" sounds.
    static constexpr float kTime = 0.75f;
    static constexpr float kShortTime = 0.2f;

    CTerminatorElectro(float baseTime, CCapList* owner, CRefPtr<CParticleSystemsManager> particles,
                       CRefPtr<CSpriteBatch> batch, CRefPtr<CSpriteBatch> batch2, CRefPtr<CSpriteList> spriteList);
    ~CTerminatorElectro() override;

    void AddToken(const CRefPtr<CCap>& token, int32_t mode) override;
    int Update(float dt) override;
    uint32_t GetFlashColor() const override;

    float EffectTime() const { return altSounds ? kShortTime : kTime; }

    CRefPtr<CTexture> burstTexture;
    CRefPtr<CTexture> sparkTexture;
    CRefPtr<CTexture> glowTexture;
    CRefPtr<CTexture> boltTexture;
    CRefPtr<CTexture> crackTexture;  // the token picture the pieces are cut from
    std::vector<Bolt> bolts;
    std::vector<CRefPtr<CBatchSprite>> glows;
    int32_t boltsPerToken = 2;
    int32_t boltTarget = 2;
    float boltLife = 0.15f;
    float boltWidth = 0.2f;
    uint32_t boltColour = 0x004040FF;
    float boltSpare = 0.5f;
    float glowScale = 4.0f;
    uint32_t glowColour = 0x004040FF;
    float sparkScale = 0.75f;
    float sparkLife = 0.25f;
    float sparkInterval = 0.025f;
    uint32_t sparkColour = 0xFFFFFFFF;
    float sparkClock = 0.0f;

private:
    void MakeGlows(float time);
    void AgeBolts(float dt);
    void MakeBolts();
    void EmitSparks(float dt);
    void Finish();
    void Crack(const CCap& token);
    // The lock flying off: a ring of pieces, and for a second lock a line of
    // pieces along the chain's diagonal.
    void LockBurst(const CCap& token, bool chain);
    template <class Keeper>
    void ThrowPieces(const CCap& token, const CRefPtr<Keeper>& keeper, int32_t capacity,
                     const CRefPtr<CTexture>& texture);
    Vec3 BoltEnd(const Bolt& bolt, int end) const;
};

// The centre of a token as drawn: its drawn position plus its offset.
Vec3 TokenCentre(const CCap& token);
