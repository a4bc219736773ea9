#include "challenges/MemoryChallenge.h"

#include "audio/SoundBank.h"

CMemoryChallenge::CMemoryChallenge()
{
    tokens.reserve(8);
    found.reserve(8);
}

CMemoryChallenge::~CMemoryChallenge()
{
    tokens.clear();
    found.clear();
    ClearSprites();
    spriteGroup.Reset();
    soundBank.Reset();
}

void CMemoryChallenge::SetCapsManager(CRefPtr<CCapsManager> caps)
{
    MakeSpriteGroup(std::move(caps));
}

CCapSprite* CMemoryChallenge::PlateAt(int32_t column, int32_t row) const
{
    if (row < 0 || column < 0 || size_t(row) >= tokens.size() || size_t(column) >= tokens[size_t(row)].size())
        return nullptr;
    return tokens[size_t(row)][size_t(column)].Get();
}

void CMemoryChallenge::ClearPicks()
{
    firstPick[0] = firstPick[1] = -1;
    secondPick[0] = secondPick[1] = -1;
}

bool CMemoryChallenge::AnyUnfoundPlate() const
{
    for (size_t r = 0; r < tokens.size(); ++r)
        for (size_t c = 0; c < tokens[r].size(); ++c)
        {
            const bool isFound = r < found.size() && c < found[r].size() && found[r][c] == 1;
            if (tokens[r][c] && !isFound)
                return true;
        }
    return false;
}

int32_t CMemoryChallenge::Judge()
{
    CCapSprite* first = PlateAt(firstPick[0], firstPick[1]);
    CCapSprite* second = PlateAt(secondPick[0], secondPick[1]);
    if (!second || !first)
    {
        state = kWaiting;
        return kChallengeNothing;
    }
    if (first->cardValue != second->cardValue)
    {
        subState = 1;
        timer = 0.0f;
        return kChallengeNothing;
    }
    pairPoints[0] = second->x;
    pairPoints[1] = second->y;
    pairPoints[2] = first->x;
    pairPoints[3] = first->y;
    for (const int32_t* pick : {firstPick, secondPick})
        if (size_t(pick[1]) < found.size() && size_t(pick[0]) < found[size_t(pick[1])].size())
            found[size_t(pick[1])][size_t(pick[0])] = 1;
    ClearPicks();
    if (!AnyUnfoundPlate())
        return kChallengeAllPairsFound;  // the state stays until the game flies the plates out
    state = kWaiting;
    if (soundBank)
        soundBank->Play(soundBank->GoodClick, 0, 0);
    return kChallengePairFound;
}

int32_t CMemoryChallenge::Update(float dt)
{
    if (spriteGroup)
        spriteGroup->Update(dt);
    switch (state)
    {
    case kDealing:
        if (AllAtRest())
        {
            subState = 0;
            timer = 0.0f;
            state = kWaiting;
            if (soundBank)
                soundBank->Play(soundBank->Drop, 0, 0);
        }
        return kChallengeNothing;
    case kFlyingOut:
        return spriteGroup && !spriteGroup->sprites.empty() ? kChallengeNothing : kChallengeRoundCleared;
    case kJudging:
        if (subState == 0)
            return AllAtRest() ? Judge() : kChallengeNothing;
        if (subState == 1)
        {
            timer += dt;
            if (timer < revealTime)
                return kChallengeNothing;
            CCapSprite* first = PlateAt(firstPick[0], firstPick[1]);
            CCapSprite* second = PlateAt(secondPick[0], secondPick[1]);
            float sumX = 0.0f;
            for (CCapSprite* plate : {first, second})
                if (plate)
                {
                    plate->state = 4;  // closing
                    sumX += plate->x;
                }
            if (soundBank)
                soundBank->PlayPanned(soundBank->BonusClick, sumX * 0.5f, 0, 0);
            timer = 0.0f;
            subState = 2;
            ClearPicks();
            return kChallengePairMismatch;
        }
        if (subState == 2 && AllAtRest())
        {
            subState = 0;
            timer = 0.0f;
            state = kWaiting;
        }
        return kChallengeNothing;
    default:
        return kChallengeNothing;
    }
}
