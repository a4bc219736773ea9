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

void CReactionChallenge::Start(int32_t tier)
{
    timer = 0.0f;
    subState = 0;
    currentPlate = -1;
    emptyRun = 0;
    showTime = 0.85f - 0.1f * float(tier - 1);
    pause = 0.25f;
    afterCatchWait = 1.0f;
    afterMissWait = 3.0f;
    // What the miss pop-up announces: "Penalty -5 sec."
    penalty = 5.0f;
    int32_t looks[kPlateCount];
    std::fill(std::begin(looks), std::end(looks), int32_t(kEmptyLook));
    for (int32_t n = 0; n < kTokenCount; ++n)
    {
        int32_t slot = 0;
        do
            slot = std::min(int32_t(RandomUnit() * float(kPlateCount)), kPlateCount - 1);
        while (looks[slot] != kEmptyLook);
        looks[slot] = std::min(int32_t(RandomUnit() * 7.0f), 6);
    }
    // Rows 2 to 4 of the board, columns 1 to 6, each plate from ten cells above.
    for (int32_t row = 2; row <= 4; ++row)
        for (int32_t column = 1; column <= 6; ++column)
        {
            const float x = originX + cellWidth * (float(column) + 0.5f);
            const float y = originY - cellHeight * (float(row) + 0.5f);
            CRefPtr<CCapSprite> plate;
            if (!spriteGroup)
                continue;
            spriteGroup->Add(plate, looks[(row - 2) * 6 + column - 1], x, y + 10.0f * cellHeight, originZ, lookArgument);
            FlyTo(*plate, x, y, originZ, 1);
            plates.push_back(plate);
        }
    state = kFlyingIn;
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
