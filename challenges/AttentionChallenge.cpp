#include "challenges/AttentionChallenge.h"

#include "audio/SoundBank.h"
#include "engine/Random.h"

#include <algorithm>
#include <cmath>

namespace
{

// A slot drawn at random, 0..2 (a draw of exactly 1.0 stays on slot 2).
int32_t DrawSlot()
{
    return std::min(int32_t(RandomUnit() * 3.0f), 2);
}

void PlaceAt(CCapSprite& plate, float x, float y, float z)
{
    plate.x = x;
    plate.y = y;
    plate.z = z;
    for (CCapFrame* look : {plate.frontLook.Get(), plate.backLook.Get()})
        if (look)
        {
            look->x = x;
            look->y = y;
            look->z = z;
        }
}

} // namespace

CAttentionChallenge::CAttentionChallenge() : slotOrder(3, 0)
{
    plates.reserve(3);
}

CAttentionChallenge::~CAttentionChallenge()
{
    ClearSprites();
    spriteGroup.Reset();
    soundBank.Reset();
    slotOrder.clear();
    plates.clear();
}

void CAttentionChallenge::SetCapsManager(CRefPtr<CCapsManager> caps)
{
    MakeSpriteGroup(std::move(caps));
}

CCapSprite* CAttentionChallenge::Plate(int32_t index) const
{
    return index >= 0 && size_t(index) < plates.size() ? plates[size_t(index)].Get() : nullptr;
}

void CAttentionChallenge::StartRound(int32_t, int32_t tier)
{
    const int32_t n = rightAnswers;
    timer = 0.0f;
    subState = 0;
    swapsDone = 0;
    swapCount = n + 3;
    const float quicker = std::pow(0.85f, float(n));
    swapTime = (0.75f - 0.1f * float(tier - 1)) * quicker;
    pause = 0.25f * quicker;
    plates.clear();
    slotOrder.assign(3, 0);
    for (int32_t i = 0; i < 3; ++i)
    {
        const int32_t look = i == kTokenPlate ? std::min(int32_t(RandomUnit() * 7.0f), 6) : int32_t(kEmptyLook);
        if (!spriteGroup)
            continue;
        CRefPtr<CCapSprite> plate;
        spriteGroup->Add(plate, look, SlotX(i), TopY(), originZ, lookArgument);
        // Dropped in open, so that the token shows.
        plate->turnPosition = 4.0f;
        plate->SetFrame(4);
        FlyTo(*plate, SlotX(i), RowY(), originZ, 1);
        plates.push_back(plate);
        slotOrder[size_t(i)] = i;
    }
    state = kDropIn;
}

int32_t CAttentionChallenge::OnClick(float x, float y)
{
    if (state != kChoose)
        return kChallengeNothing;
    for (int32_t i = 0; i < int32_t(plates.size()); ++i)
    {
        CCapSprite* plate = plates[size_t(i)].Get();
        if (!plate || std::fabs(x - plate->x) >= plate->halfSize || std::fabs(y - plate->y) >= plate->halfSize)
            continue;
        plate->state = 3;  // opening
        timer = 0.0f;
        chosenPlate = i;
        subState = 0;
        state = kReveal;
        if (soundBank)
            soundBank->PlayPanned(soundBank->BonusClick, x, 0, 0);
        return kChallengeAccepted;
    }
    return kChallengeNothing;
}

void CAttentionChallenge::FlyOutPlates()
{
    for (const CRefPtr<CCapSprite>& plate : plates)
        if (plate)
            FlyTo(*plate, plate->x, TopY(), originZ, 2);
    plates.clear();
}

void CAttentionChallenge::PutPlatesOnSlots()
{
    for (int32_t k = 0; k < 3 && size_t(k) < slotOrder.size(); ++k)
        if (CCapSprite* plate = Plate(slotOrder[size_t(k)]))
            PlaceAt(*plate, SlotX(k), RowY(), originZ);
}

// False when the try's swaps are all done.
bool CAttentionChallenge::StartSwap()
{
    ++swapsDone;
    if (swapsDone > swapCount)
        return false;
    const int32_t a = DrawSlot();
    int32_t b = DrawSlot();
    while (b == a)
        b = DrawSlot();
    slotA = std::max(a, b);
    slotB = std::min(a, b);
    if (slotOrder.size() < 3)
        slotOrder.assign(3, 0);
    plateFromA = slotOrder[size_t(slotA)];
    plateFromB = slotOrder[size_t(slotB)];
    std::swap(slotOrder[size_t(slotA)], slotOrder[size_t(slotB)]);
    timer = 0.0f;
    subState = 0;
    return true;
}

void CAttentionChallenge::AnimateSwap()
{
    const float u = swapTime > 0.0f ? timer / swapTime : 1.0f;
    // 0 at both ends, 1 halfway: the two plates pass on opposite arcs.
    const float h = 1.0f - 4.0f * (u - 0.5f) * (u - 0.5f);
    const float xA = SlotX(slotA), xB = SlotX(slotB);
    if (CCapSprite* plate = Plate(plateFromA))
        PlaceAt(*plate, (1.0f - u) * xA + u * xB, RowY() + 1.5f * cellHeight * h, originZ);
    if (CCapSprite* plate = Plate(plateFromB))
        PlaceAt(*plate, (1.0f - u) * xB + u * xA, RowY() - 1.5f * cellHeight * h, originZ);
}

int32_t CAttentionChallenge::Update(float dt)
{
    if (spriteGroup)
        spriteGroup->Update(dt);
    switch (state)
    {
    case kDropIn:
        if (AllAtRest())
        {
            timer = 0.0f;
            subState = 0;
            state = kShow;
            if (soundBank)
                soundBank->Play(soundBank->Drop, 0, 0);
        }
        return kChallengeNothing;
    case kShow:
        UpdateShow(dt);
        return kChallengeNothing;
    case kShuffle:
        return UpdateShuffle(dt);
    case kReveal:
        return UpdateReveal(dt);
    default:
        return kChallengeNothing;
    }
}

void CAttentionChallenge::UpdateShow(float dt)
{
    timer += dt;
    if (subState == 0 && timer >= showTime)
    {
        subState = 1;
        timer = 0.0f;
        for (const CRefPtr<CCapSprite>& plate : plates)
            if (plate)
            {
                plate->state = 4;  // closing
                if (soundBank)
                    soundBank->Play(soundBank->BonusClick, 0, 0);
            }
    }
    else if (subState == 1 && AllAtRest() && timer > 0.4f)
    {
        state = kShuffle;
        timer = 0.0f;
        subState = 0;
        swapsDone = 0;
    }
}

int32_t CAttentionChallenge::UpdateShuffle(float dt)
{
    timer += dt;
    if (timer >= swapTime && subState == 0)
    {
        if (soundBank)
            soundBank->Play(soundBank->Drop, 0, 0);
        PutPlatesOnSlots();
        subState = 1;
    }
    if (swapsDone == 0 || (timer >= swapTime + pause && subState == 1))
    {
        if (!StartSwap())
        {
            state = kChoose;
            return kChallengeAskWhere;
        }
    }
    else if (timer < swapTime)
        AnimateSwap();
    return kChallengeNothing;
}

int32_t CAttentionChallenge::UpdateReveal(float dt)
{
    if (subState == 1)
        return spriteGroup && !spriteGroup->sprites.empty() ? kChallengeNothing : kChallengeTriesOver;
    timer += dt;
    if (subState == 2)
    {
        // The token has been shown long enough: the plates leave.
        if (timer > 0.5f && AllAtRest())
        {
            FlyOutPlates();
            timer = 0.0f;
            subState = 1;
        }
        return kChallengeNothing;
    }
    CCapSprite* chosen = Plate(chosenPlate);
    if (subState != 0 || timer <= 0.5f || (chosen && chosen->state != 0))
        return kChallengeNothing;
    timer = 0.0f;
    if (chosenPlate == kTokenPlate)
    {
        subState = 1;
        return kChallengeAccepted;
    }
    // A wrong answer: the other two plates open and show where the token was.
    subState = 2;
    float sumX = 0.0f;
    int32_t opened = 0;
    for (int32_t i = 0; i < int32_t(plates.size()); ++i)
        if (i != chosenPlate && plates[size_t(i)])
        {
            plates[size_t(i)]->state = 3;  // opening
            sumX += plates[size_t(i)]->x;
            ++opened;
        }
    if (soundBank)
        soundBank->PlayPanned(soundBank->BonusClick, opened ? sumX / float(opened) : 0.0f, 0, 0);
    return kChallengeAccepted;
}
