#include "board/Terminator.h"
#include "engine/MathConstants.h"

#include "audio/SoundBank.h"
#include "board/Cap.h"
#include "board/CapsManager.h"
#include "board/TerminatorManager.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SimpleSpriteSystemKeeper.h"
#include "effects/SpriteCrackKeeper.h"
#include "effects/ThunderboltParticleSystem.h"
#include "engine/Random.h"
#include "render/SpriteBatch.h"

#include <algorithm>
#include <cmath>

namespace
{


// Index floor(RandomUnit() * count), kept below count.
size_t RandomIndex(size_t count)
{
    size_t i = size_t(std::floor(RandomUnit() * float(count)));
    return i >= count ? count - 1 : i;
}

} // namespace

Vec3 TokenCentre(const CCap& token)
{
    return Vec3{token.drawnPosition[0] + token.offset[0], token.drawnPosition[1] + token.offset[1],
                token.drawnPosition[2] + token.offset[2]};
}

// ---------------------------------------------------------------------------------
// CTerminator
// ---------------------------------------------------------------------------------

CTerminator::CTerminator(int32_t kind_, float baseTime_, CCapList* owner_,
                         CRefPtr<CParticleSystemsManager> particles_, CRefPtr<CSpriteBatch> batch_,
                         CRefPtr<CSpriteBatch> batch2_, CRefPtr<CSpriteList> spriteList_)
    : kind(kind_), baseTime(baseTime_), owner(owner_), particles(particles_), batch(batch_), batch2(batch2_),
      spriteList(spriteList_)
{
    tokens.reserve(8);
    flags.reserve(8);
}

CTerminator::~CTerminator() = default;

CRefPtr<CTerminator>& CTerminator::Spawn(CRefPtr<CTerminator>& out, CTerminatorManager* manager, int32_t kind,
                                         const CMatchGroup& group, CRefPtr<CTexture> texture, int32_t altSounds)
{
    out.Reset();
    if (kind != kElectro || !manager)
        return out;
    CTerminatorParams block;
    block.group = group;
    CTerminatorElectro* t = new CTerminatorElectro(manager->time, manager->owner, manager->particles, manager->batch,
                                                   manager->batch2, manager->spriteList);
    out = CRefPtr<CTerminator>(t);
    t->burstTexture = manager->burstTexture;
    t->sparkTexture = manager->sparkTexture;
    t->glowTexture = manager->glowTexture;
    t->boltTexture = manager->boltTexture;
    t->crackTexture = texture;
    t->altSounds = altSounds;
    t->CopyParams(block);
    manager->active.push_back(out);
    return out;
}

void CTerminator::AddToken(const CRefPtr<CCap>& token, int32_t mode)
{
    tokens.push_back(token);
    const bool breaks = mode == kAddBreak || (token && token->lockCount == 0);
    flags.push_back(breaks ? 1 : 0);
    if (token && token->held)
        params.heldBonuses.push_back(token->held);
    params.modes.push_back(mode);
}

void CTerminator::CopyParams(const CTerminatorParams& block)
{
    params = block;
}

int CTerminator::Update(float)
{
    return 1;
}

bool CTerminator::HasLiveTokens() const
{
    for (const CRefPtr<CCap>& t : tokens)
        if (t && t->lockCount > 0)
            return true;
    return false;
}

uint32_t CTerminator::GetFlashColor() const
{
    return 0xFFFFFFFFu;
}

// ---------------------------------------------------------------------------------
// CTerminatorElectro
// ---------------------------------------------------------------------------------

CTerminatorElectro::CTerminatorElectro(float baseTime_, CCapList* owner_, CRefPtr<CParticleSystemsManager> particles_,
                                       CRefPtr<CSpriteBatch> batch_, CRefPtr<CSpriteBatch> batch2_,
                                       CRefPtr<CSpriteList> spriteList_)
    : CTerminator(kElectro, baseTime_, owner_, particles_, batch_, batch2_, spriteList_)
{
    bolts.reserve(32);
    glows.reserve(8);
}

CTerminatorElectro::~CTerminatorElectro()
{
    // Bolts still alive when the board is cleared stop with their terminator.
    for (Bolt& b : bolts)
        if (b.system)
            b.system->StopEmission();
}

void CTerminatorElectro::AddToken(const CRefPtr<CCap>& token, int32_t mode)
{
    CTerminator::AddToken(token, mode);
    boltTarget = boltsPerToken * int32_t(tokens.size());
}

uint32_t CTerminatorElectro::GetFlashColor() const
{
    return 0xFFF7D96Bu;
}

int CTerminatorElectro::Update(float dt)
{
    const float time = EffectTime();
    elapsed += dt;
    if (elapsed < 0.0f)
        return 1;
    if (elapsed < time)
    {
        if (glows.empty())
            MakeGlows(time);
        AgeBolts(dt);
        MakeBolts();
        EmitSparks(dt);
        return 1;
    }
    Finish();
    return 0;
}

void CTerminatorElectro::MakeGlows(float time)
{
    for (const CRefPtr<CCap>& t : tokens)
    {
        if (!t)
            continue;
        const Vec3 c = TokenCentre(*t);
        CRefPtr<CBatchSprite> glow(new CBatchSprite(c.x, c.y, c.z, glowTexture, glowColour));
        glow->SetScale(glowScale * t->radius, glowScale * t->radius);
        glow->fadeInTime = time * 0.25f;
        glow->fadeOutTime = 0.05f;
        glow->holdEnd = 1000000.0f;  // until it is told to fade out
        if (batch)
            batch->Add(glow);
        glows.push_back(glow);
    }
}

Vec3 CTerminatorElectro::BoltEnd(const Bolt& bolt, int end) const
{
    const CCap& t = *tokens[size_t(bolt.token[end])];
    const Vec3 c = TokenCentre(t);
    return Vec3{c.x + std::cos(bolt.angle[end]) * bolt.radius[end], c.y + std::sin(bolt.angle[end]) * bolt.radius[end],
                c.z - 20.0f};
}

void CTerminatorElectro::AgeBolts(float dt)
{
    for (size_t i = 0; i < bolts.size();)
    {
        Bolt& b = bolts[i];
        b.age += dt;
        if (b.age >= b.life)
        {
            if (b.system)
                b.system->StopEmission();
            bolts.erase(bolts.begin() + std::ptrdiff_t(i));
            continue;
        }
        for (int e = 0; e < 2; ++e)
            b.angle[e] += b.spin[e] * dt;
        if (b.system)
        {
            const Vec3 p0 = BoltEnd(b, 0), p1 = BoltEnd(b, 1);
            static_cast<CThunderboltParticleSystem*>(b.system.Get())
                ->MoveTo(p0.x, p0.y, p0.z, -std::sin(b.angle[0]), std::cos(b.angle[0]), 0.0f, b.width[0], p1.x, p1.y,
                         p1.z, -std::sin(b.angle[1]), std::cos(b.angle[1]), 0.0f, b.width[1]);
        }
        ++i;
    }
}

void CTerminatorElectro::MakeBolts()
{
    if (tokens.empty())
        return;
    const std::vector<std::pair<uint32_t, uint32_t>>& links = params.group.links;
    while (int32_t(bolts.size()) < boltTarget)
    {
        Bolt b;
        if (!links.empty() && RandomUnit() < 0.5f)
        {
            const auto& link = links[RandomIndex(links.size())];
            b.token[0] = int32_t(link.first);
            b.token[1] = int32_t(link.second);
        }
        else
            b.token[0] = b.token[1] = int32_t(RandomIndex(tokens.size()));
        // A link into cells without a token of their own falls back on the first.
        for (int e = 0; e < 2; ++e)
            if (size_t(b.token[e]) >= tokens.size() || !tokens[size_t(b.token[e])])
                b.token[e] = 0;
        if (!tokens[size_t(b.token[0])] || !tokens[size_t(b.token[1])])
            return;
        b.life = (1.5f - RandomUnit()) * boltLife;
        for (int e = 0; e < 2; ++e)
        {
            const CCap& t = *tokens[size_t(b.token[e])];
            b.angle[e] = RandomUnit() * kTwoPi;
            b.spin[e] = (RandomUnit() + 0.1f) * kTwoPi;
            b.radius[e] = 0.75f * t.radius;
            b.width[e] = (1.5f - RandomUnit()) * t.radius * boltWidth;
        }
        if (particles)
        {
            const Vec3 p0 = BoltEnd(b, 0), p1 = BoltEnd(b, 1);
            const Vec3 normal{0.0f, 0.0f, 1.0f};
            CThunderboltParametres block(p0, Vec3{-std::sin(b.angle[0]), std::cos(b.angle[0]), 0.0f}, normal,
                                         b.width[0], 0.5f, b.width[0] * 0.5f, p1,
                                         Vec3{-std::sin(b.angle[1]), std::cos(b.angle[1]), 0.0f}, normal, b.width[1],
                                         0.5f, b.width[1] * 0.5f, 4, 2, boltColour);
            block.duration = 1000000.0f;
            block.pointSize = 0.2f * tokens[size_t(b.token[0])]->radius;
            particles->AddThunderboltSystem(b.system, block, 40, boltTexture);
        }
        bolts.push_back(b);
    }
}

void CTerminatorElectro::EmitSparks(float dt)
{
    for (const CRefPtr<CCap>& t : tokens)
    {
        if (!t || t->lockCount < 1)
            continue;
        sparkClock += dt;
        if (sparkClock < sparkInterval)
            continue;
        const int n = int(std::floor(sparkClock / sparkInterval));
        sparkClock -= float(n) * sparkInterval;
        const Vec3 c = TokenCentre(*t);
        const float unit = t->radius / 39.0f;
        for (int i = 0; i < n; ++i)
        {
            Vec3 p = c;
            if (t->lockCount == 1)
            {
                const float a = RandomUnit() * kTwoPi;
                const float d = (RandomUnit() * 8.0f + 24.0f) * unit;
                p.x += std::cos(a) * d;
                p.y += std::sin(a) * d;
            }
            else
            {
                // Along the double chain's diagonal, up to 8 units across it.
                const float u = RandomUnit();
                const float w = 2.0f * RandomUnit() - 1.0f;
                p.x += unit * (42.0f * u - 22.0f + 8.0f * w);
                p.y += unit * (22.0f - 42.0f * u + 8.0f * w);
            }
            CRefPtr<CBatchSprite> spark(new CBatchSprite(p.x, p.y, p.z, sparkTexture, sparkColour));
            spark->SetScale(sparkScale * t->radius, sparkScale * t->radius);
            spark->holdEnd = sparkLife;
            spark->fadeInTime = spark->fadeOutTime = sparkLife * 0.25f;
            if (batch)
                batch->Add(spark);
        }
    }
}

void CTerminatorElectro::Finish()
{
    for (CRefPtr<CBatchSprite>& g : glows)
        g->FadeOutNow();
    glows.clear();
    for (Bolt& b : bolts)
        if (b.system)
            b.system->StopEmission();
    bolts.clear();

    // A breaking token bursts into pieces; a locked one loses a lock.
    for (size_t i = 0; i < tokens.size(); ++i)
    {
        const CRefPtr<CCap>& t = tokens[i];
        if (!t)
            continue;
        const int32_t mode = i < params.modes.size() ? params.modes[i] : kAddNormal;
        if (t->lockCount == 0 || mode == kAddBreak)
        {
            Crack(*t);
            if (owner)
                owner->Remove(t, true);
            continue;
        }
        LockBurst(*t, false);
        if (t->lockCount > 1)
            LockBurst(*t, true);
        t->SetLockCount(mode == kAddUnlockAll ? 0 : t->lockCount - 1);
        t->state = CCap::kResting;
        t->active = 1;
    }
}

// Hands the pieces laid out by a keeper to the particle manager, at the token as drawn.
template <class Keeper>
void CTerminatorElectro::ThrowPieces(const CCap& token, const CRefPtr<Keeper>& keeper, int32_t capacity,
                                     const CRefPtr<CTexture>& texture)
{
    const Vec3 at = TokenCentre(token);
    CCollection2Parametres block(at.x, at.y, at.z, nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                 CCollection2Parametres::kBlendAlpha);
    block.keeperEmission = 1;
    CRefPtr<CParticleSystem> system;
    particles->AddCollection2System(system, block, capacity, texture);
}

// The token's picture cut into 6 x 6 pieces that burst out and fall.
void CTerminatorElectro::Crack(const CCap& token)
{
    if (!particles)
        return;
    CCapRect frame{0.0f, 0.0f, 1.0f, 1.0f};
    const CCapsManager* caps = owner ? owner->capsManager.Get() : nullptr;
    const int32_t animation = token.colour >= 98 ? 7 : token.colour;
    if (caps && animation >= 0 && size_t(animation) < caps->animations.size() &&
        !caps->animations[size_t(animation)].frames.empty())
        frame = caps->animations[size_t(animation)].frames[0];
    const float rect[4] = {frame.left, frame.top, frame.right, frame.bottom};
    particles->AddCrackPieces(TokenCentre(token), 2.0f * token.radius, 2.0f * token.radius, rect, 6, 40, crackTexture);
}

void CTerminatorElectro::LockBurst(const CCap& token, bool chain)
{
    if (!particles)
        return;
    const float r = token.radius;
    CRefPtr<CSimpleSpriteSystemKeeper> keeper(new CSimpleSpriteSystemKeeper);
    keeper->SetParams(16, 40.0f, 40.0f, 0.0f);
    // The lock picture; the chain's pieces are the same picture a quarter turn round.
    const float left = 0.71875f, top = 0.0f, right = 0.828125f, bottom = 0.21875f;
    if (chain)
        keeper->SetFrameUV(0, {right, top}, {right, bottom}, {left, bottom}, {left, top});
    else
        keeper->SetFrameRect(0, left, top, right, bottom);
    keeper->floor = -400.0f;
    keeper->gravity = 2000.0f;
    keeper->speedBase = 500.0f;
    keeper->speedSpread = 150.0f;
    keeper->widthBase = 32.0f;
    keeper->widthSpread = 0.0f;
    keeper->heightBase = 32.0f;
    keeper->heightSpread = 8.0f;
    if (chain)
        keeper->GenerateLayout3(Vec3{-22.0f * r / 39.0f, 22.0f * r / 39.0f, 0.0f},
                                Vec3{22.0f * r / 39.0f, -22.0f * r / 39.0f, 0.0f}, 5);
    else
        keeper->GenerateLayout2(r * 30.0f / 39.0f, 19, 0.0f);
    ThrowPieces(token, keeper, 20, burstTexture);
}


// ---------------------------------------------------------------------------------
// CTerminatorManager
// ---------------------------------------------------------------------------------

CTerminatorManager::CTerminatorManager(float time_, CCapList* owner_, CRefPtr<CParticleSystemsManager> particles_,
                                       CRefPtr<CSpriteBatch> batch_, CRefPtr<CSpriteBatch> batch2_,
                                       CRefPtr<CSpriteList> spriteList_)
    : owner(owner_), particles(particles_), batch(batch_), batch2(batch2_), spriteList(spriteList_), time(time_)
{
    active.reserve(16);
    finished.reserve(16);
    pending.reserve(8);
}

CTerminatorManager::~CTerminatorManager() = default;

void CTerminatorManager::SetTextures(CRefPtr<CTexture> burst, CRefPtr<CTexture> spark, CRefPtr<CTexture> glow,
                                     CRefPtr<CTexture> bolt)
{
    burstTexture = burst;
    sparkTexture = spark;
    glowTexture = glow;
    boltTexture = bolt;
}

int CTerminatorManager::Update(float dt)
{
    for (size_t i = 0; i < active.size();)
    {
        CRefPtr<CTerminator> t = active[i];
        if (t->Update(dt))
        {
            if (t->soundsDone == 0 && t->elapsed >= 0.0f)
            {
                QueueStartSounds(*t);
                t->soundsDone = 1;
            }
            ++i;
            continue;
        }
        finished.push_back(t);
        active.erase(active.begin() + std::ptrdiff_t(i));
    }
    return int(finished.size());
}

void CTerminatorManager::QueueStartSounds(const CTerminator& t)
{
    if (!soundBank)
        return;
    CSoundBank& bank = *soundBank;
    const float pan = !t.tokens.empty() && t.tokens[0] ? TokenCentre(*t.tokens[0]).x : 0.0f;
    const CRefPtr<CSound>& breakSound = t.altSounds ? bank.Terminator0_s : bank.Terminator;
    const CRefPtr<CSound>& chainSound = t.altSounds ? bank.ChainOut_s : bank.ChainOut;
    if (!t.HasLiveTokens())
    {
        QueueSound(breakSound, pan);
        return;
    }
    if (t.tokens.size() == 1)
    {
        QueueSound(chainSound, pan);
        return;
    }
    if (t.altSounds && t.tokens[0] && t.tokens[0]->colour > CCap::kSpecial)
        QueueSound(bank.TerminatorSteel, pan);
    else
        QueueSound(breakSound, pan);
    QueueSound(chainSound, pan);
}

void CTerminatorManager::QueueSound(const CRefPtr<CSound>& sound, float pan)
{
    PendingSound* record = nullptr;
    for (PendingSound& p : pending)
        if (p.sound == sound)
        {
            record = &p;
            break;
        }
    if (!record)
    {
        pending.emplace_back();
        record = &pending.back();
        record->sound = sound;
    }
    if (record->pans.size() < record->limit)
    {
        record->pans.push_back(pan);
        record->counts.push_back(1);
    }
    else
    {
        record->pans[record->cursor] += pan;
        record->counts[record->cursor] += 1;
    }
    record->cursor = (record->cursor + 1) % record->limit;
}

void CTerminatorManager::PlaySound()
{
    if (soundBank)
        for (const PendingSound& p : pending)
            for (size_t i = 0; i < p.pans.size(); ++i)
                soundBank->PlayPanned(p.sound, p.pans[i] / float(p.counts[i]), -1, 0);
    pending.clear();
}

void CTerminatorManager::Clear()
{
    active.clear();
    finished.clear();
    pending.clear();
}
