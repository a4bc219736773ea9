// The challenges on the board: each frame the running challenge is updated and
// its results become events for the game (scores, a round's success, its end,
// prompts); tokens the player won shatter and their sand pours into the sand
// glass beside the board.
#include "field/PlayField.h"

#include "audio/SoundBank.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/Sandbox.h"
#include "effects/SpriteCrackKeeper.h"

#include <algorithm>

namespace
{

// A plate turned fully over shows its token.
constexpr int32_t kPlateOpen = 4;

// Grains of a poured portion start at rest and fall at most this fast under
// this gravity, as the sand of the board's own tokens does.
constexpr float kGrainMaxFall = 10000.0f;
constexpr float kGrainGravity = 1000.0f;

// The sand of the quest's glass.
constexpr uint32_t kGlassSandColour = 0xFFF7D96Bu;
// A memory token breaks into 4 x 4 pieces, an attention or reaction token
// into 6 x 6, with at most that many pieces alive.
constexpr int32_t kMemoryCuts = 4;
constexpr int32_t kMemoryPieces = 20;
constexpr int32_t kPlateCuts = 6;
constexpr int32_t kPlatePieces = 40;

constexpr int32_t kMemoryPairPoints = 100;
constexpr int32_t kPlatePoints = 500;

} // namespace

void CPlayField::PushChallengeScore(int32_t points, float x, float y)
{
    CPlayFieldEvent e;
    e.code = kEventChallengeScored;
    e.arg = points;
    e.x = x;
    e.y = y;
    events.push_back(e);
}

void CPlayField::UpdateChallenge(float dt)
{
    if (playKind != 0 || mode == kModeNormal || inputLocked != 0)
        return;
    switch (mode)
    {
    case kModeMemory:
    {
        if (!memoryChallenge)
            return;
        CMemoryChallenge& m = *memoryChallenge;
        const int32_t result = m.Update(dt);
        if (result == kChallengePairFound || result == kChallengeAllPairsFound)
        {
            PushChallengeScore(kMemoryPairPoints, m.pairPoints[0], m.pairPoints[1]);
            PushChallengeScore(kMemoryPairPoints, m.pairPoints[2], m.pairPoints[3]);
            if (result == kChallengeAllPairsFound)
                PushEvent(kEventRoundEnded);
        }
        else if (result == kChallengeRoundCleared)
            PushEvent(kEventChallengeEnded);
        return;
    }
    case kModeAccuracy:
        if (accuracyChallenge && accuracyChallenge->Update(dt) == kChallengeStarsGone)
            PushEvent(kEventChallengeEnded);
        return;
    case kModeAttention:
    {
        if (!attentionChallenge)
            return;
        CAttentionChallenge& a = *attentionChallenge;
        const int32_t result = a.Update(dt);
        if (result == kChallengeAccepted)
        {
            if (a.chosenPlate == CAttentionChallenge::kTokenPlate && a.plates.size() > 1 && a.plates[1])
                PushChallengeScore(kPlatePoints, a.plates[1]->x, a.plates[1]->y);
            PushEvent(kEventRoundEnded);
        }
        else if (result == kChallengeAskWhere)
        {
            PushEvent(kEventChallengeMissed);
            events.back().arg = 1;
        }
        else if (result == kChallengeTriesOver)
            PushEvent(kEventChallengeEnded);
        return;
    }
    case kModeReaction:
    {
        if (!reactionChallenge)
            return;
        CReactionChallenge& r = *reactionChallenge;
        const int32_t result = r.Update(dt);
        if (result == kChallengeAccepted)
        {
            r.catches += 1;
            r.SpeedUp();
            r.subState = 2;
            r.timer = 0.0f;
            if (r.currentPlate >= 0 && size_t(r.currentPlate) < r.plates.size() && r.plates[size_t(r.currentPlate)])
            {
                const CCapSprite& plate = *r.plates[size_t(r.currentPlate)];
                PushChallengeScore(kPlatePoints, plate.x, plate.y);
            }
            PushEvent(kEventRoundEnded);
        }
        else if (result == kChallengeRejected)
        {
            r.subState = 1;
            r.timer = 0.0f;
            if (soundBank)
                soundBank->Play(soundBank->Wrong, 0, 0);
            PushEvent(kEventChallengeMissed);
            events.back().arg = 2;
        }
        else if (result == kChallengePlatesGone)
            PushEvent(kEventChallengeEnded);
        return;
    }
    default:
        return;
    }
}

void CPlayField::CrackPlate(const CCapSprite& plate, int32_t cuts, int32_t maxPieces)
{
    const CCapFrame* face = plate.backLook.Get();
    if (!effectsA || !face)
        return;
    // The piece of the token texture the face shows now.
    CCapRect frame{0.0f, 0.0f, 1.0f, 1.0f};
    if (const CCapsAnimation* animation = capsManager ? capsManager->AnimationFor(face->lookValue) : nullptr)
        if (const CCapRect* shown = animation->FrameAt(face->trackPosition))
            frame = *shown;
    const float rect[4] = {frame.left, frame.top, frame.right, frame.bottom};
    effectsA->AddCrackPieces({plate.x, plate.y, plate.z}, 2.0f * plate.halfSize, 2.0f * plate.halfSize, rect, cuts,
                             maxPieces, face->texture);
}

void CPlayField::ShatterPlate(const CRefPtr<CCapSprite>& plate, float amount, CCapSpriteGroup* group, int32_t cuts,
                              int32_t maxPieces)
{
    CrackPlate(*plate, cuts, maxPieces);
    const float z = (fader ? fader->position[2] : origin[2]) + 1.0f;
    // The grains fly under the tokens and the glass, with their dust.
    SpawnSandParticles(effectsB, plate->x, plate->y, z, kGlassSandColour);
    if (sandbox)
        sandbox->Pour(amount, plate->x, plate->y, z, plate->halfSize * 0.5f, 0.0f, 0.0f, kGrainMaxFall,
                      kGrainGravity);
    if (group)
        group->Remove(plate);
}

void CPlayField::SpawnEventEffects1(float amount)
{
    if (!memoryChallenge)
        return;
    CMemoryChallenge& m = *memoryChallenge;
    bool shattered = false;
    // The plate grid and the found grid run side by side.
    const size_t rowCount = std::min(m.tokens.size(), m.found.size());
    for (size_t r = 0; r < rowCount; ++r)
    {
        const size_t columnCount = std::min(m.tokens[r].size(), m.found[r].size());
        for (size_t c = 0; c < columnCount; ++c)
        {
            CRefPtr<CCapSprite>& cell = m.tokens[r][c];
            if (!cell || m.found[r][c] != 1)
                continue;
            const CRefPtr<CCapSprite> plate = cell;
            ShatterPlate(plate, amount, m.spriteGroup.Get(), kMemoryCuts, kMemoryPieces);
            shattered = true;
            cell.Reset();
            m.collected += 1;
        }
    }
    if (shattered && soundBank)
        soundBank->Play(soundBank->Explode, 0, 0);
}

void CPlayField::SpawnEventEffects2(float amount)
{
    if (!attentionChallenge)
        return;
    CAttentionChallenge& a = *attentionChallenge;
    // The token always lies under the plate made second; a try whose plates
    // are gone has nothing to shatter.
    if (a.plates.size() <= size_t(CAttentionChallenge::kTokenPlate))
        return;
    const CRefPtr<CCapSprite> plate = a.plates[CAttentionChallenge::kTokenPlate];
    if (!plate || plate->face != kPlateOpen)
        return;
    ShatterPlate(plate, amount, a.spriteGroup.Get(), kPlateCuts, kPlatePieces);
    a.plates.erase(a.plates.begin() + CAttentionChallenge::kTokenPlate);
    if (soundBank)
        soundBank->Play(soundBank->Explode, 0, 0);
}

void CPlayField::SpawnEventEffects3(float amount)
{
    if (!reactionChallenge)
        return;
    CReactionChallenge& r = *reactionChallenge;
    auto open = std::find_if(r.plates.begin(), r.plates.end(),
                             [](const CRefPtr<CCapSprite>& p) { return p && p->face == kPlateOpen; });
    if (open == r.plates.end())
        return;
    const CRefPtr<CCapSprite> plate = *open;
    ShatterPlate(plate, amount, r.spriteGroup.Get(), kPlateCuts, kPlatePieces);
    r.plates.erase(open);
    if (soundBank)
        soundBank->Play(soundBank->Explode, 0, 0);
}
