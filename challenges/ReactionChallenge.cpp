#include "challenges/ReactionChallenge.h"

#include "audio/SoundBank.h"
#include "engine/Random.h"

#include <algorithm>

CReactionChallenge::CReactionChallenge()
{
    plates.reserve(16);
}

CReactionChallenge::~CReactionChallenge()
{
    ClearSprites();
    spriteGroup.Reset();
    soundBank.Reset();
    plates.clear();
}

void CReactionChallenge::SetCapsManager(CRefPtr<CCapsManager> caps)
{
    MakeSpriteGroup(std::move(caps));
}

int32_t CReactionChallenge::OnStop(float, float)
{
    if (state == kTurning)
    {
        state = kJudging;
        subState = 0;
        timer = 0.0f;
    }
    return kChallengeNothing;
}

void CReactionChallenge::SpeedUp()
{
    showTime *= 0.95f;
    pause *= 0.98f;
}

void CReactionChallenge::FlyOutPlates()
{
    for (const CRefPtr<CCapSprite>& plate : plates)
        if (plate)
            FlyTo(*plate, plate->x, plate->y + 10.0f * cellHeight, originZ, 2);
    plates.clear();
}

void CReactionChallenge::OpenNextPlate()
{
    const int32_t n = int32_t(plates.size());
    if (n == 0)
        return;
    auto isEmpty = [this](int32_t i) { return !plates[size_t(i)] || plates[size_t(i)]->cardValue >= kEmptyLook; };
    // Never more than maxEmptyRun empty plates in a row: an empty draw past it
    // is drawn again, as long as some plate still hides a token.
    bool anyToken = false;
    for (int32_t i = 0; i < n; ++i)
        anyToken = anyToken || !isEmpty(i);
    int32_t i = std::min(int32_t(RandomUnit() * float(n)), n - 1);
    while (anyToken && isEmpty(i) && emptyRun >= maxEmptyRun)
        i = std::min(int32_t(RandomUnit() * float(n)), n - 1);
    emptyRun = isEmpty(i) ? emptyRun + 1 : 0;
    CCapSprite* plate = plates[size_t(i)].Get();
    if (plate)
        plate->state = 3;  // opening
    timer = 0.0f;
    currentPlate = i;
    subState = 1;
    if (soundBank && plate)
        soundBank->PlayPanned(soundBank->BonusClick, plate->x, 0, 0);
}

int32_t CReactionChallenge::Update(float dt)
{
    if (spriteGroup)
        spriteGroup->Update(dt);
    CCapSprite* current = currentPlate >= 0 && size_t(currentPlate) < plates.size()
                              ? plates[size_t(currentPlate)].Get()
                              : nullptr;
    switch (state)
    {
    case kFlyingIn:
        if (AllAtRest())
        {
            timer = 0.0f;
            subState = 0;
            state = kTurning;
            if (soundBank)
                soundBank->Play(soundBank->Drop, 0, 0);
        }
        return kChallengeNothing;
    case kTurning:
        timer += dt;
        if (subState == 0 && timer >= pause)
            OpenNextPlate();
        else if (subState == 1 && timer >= showTime)
        {
            if (current)
            {
                current->state = 4;  // closing
                if (soundBank)
                    soundBank->PlayPanned(soundBank->BonusClick, current->x, 0, 0);
            }
            timer = 0.0f;
            currentPlate = -1;
            subState = 0;
        }
        return kChallengeNothing;
    case kJudging:
        if (subState == 0)
        {
            if (!AllAtRest())
                return kChallengeNothing;
            return current && current->cardValue < kEmptyLook ? kChallengeAccepted : kChallengeRejected;
        }
        timer += dt;
        if (subState == 1 && timer >= afterMissWait)
        {
            for (const CRefPtr<CCapSprite>& plate : plates)
                if (plate && plate->face != 0)
                    plate->state = 4;
            currentPlate = -1;
            timer = 0.0f;
            subState = 0;
            state = kTurning;
        }
        else if (subState == 2 && timer >= afterCatchWait)
        {
            timer = 0.0f;
            currentPlate = -1;
            subState = 0;
            if (catches >= target)
            {
                FlyOutPlates();
                state = kFlyingOut;
            }
            else
                state = kTurning;
        }
        return kChallengeNothing;
    case kFlyingOut:
        if (subState == 0 && (!spriteGroup || spriteGroup->sprites.empty()))
            return kChallengePlatesGone;
        return kChallengeNothing;
    default:
        return kChallengeNothing;
    }
}
