// CAttentionChallenge: the shell-game bonus level (kind 103). Three plates drop
// onto the board, the middle one showing a token; they close, swap places and
// the player clicks the one that hides the token. The game opens it into the
// board's attention slot and starts each of its ten tries; the board runs its
// update every frame, scores a right answer and shatters the token into the
// sand glass.
#pragma once

#include "challenges/PlateChallenge.h"

#include <cstdint>
#include <vector>

class CSoundBank;

class CAttentionChallenge : public CPlateChallenge
{
public:
    enum
    {
        kIdle = 8,
        kDropIn = 9,
        kShow = 10,      // sub-states 0 open, 1 closing
        kShuffle = 11,   // sub-states 0 swapping, 1 settled
        kChoose = 12,
        kReveal = 13,    // sub-states 0 opening, 1 leaving, 2 showing the token after a miss
    };
    enum
    {
        kTokenPlate = 1,  // the plate made second always hides the token
        kEmptyLook = 7,
    };

    CAttentionChallenge();
    ~CAttentionChallenge();
    CAttentionChallenge(const CAttentionChallenge&) = delete;
    CAttentionChallenge& operator=(const CAttentionChallenge&) = delete;

    void SetCapsManager(CRefPtr<CCapsManager> caps);
    // Deals a try: three open plates drop onto their slots, the middle one
    // showing a token; the swaps grow more and quicker with each right answer
    // so far. The game keeps the try number itself.
    void StartRound(int32_t tryNumber, int32_t tier);
    // A click in the choosing state on a plate (the lowest index hit): it
    // opens and 101; anything else 100.
    int32_t OnClick(float x, float y);
    // 100, 101 (an answer judged: chosenPlate tells whether it was right),
    // 108 (the try is over and the plates are gone) or 109 (awaiting the click).
    int32_t Update(float dt);
    // Every plate flies up off the board; the list lets go of them.
    void FlyOutPlates();

    // Where slot k (0..2) stands, and the height plates drop in from and leave to.
    float SlotX(int32_t k) const { return originX + float(2 * k + 2) * cellWidth; }
    float RowY() const { return originY - 3.5f * cellHeight; }
    float TopY() const { return originY + 3.5f * cellHeight; }

    float showTime = 1.0f;
    int32_t lookArgument = 0;
    std::vector<CRefPtr<CCapSprite>> plates;  // in creation order
    std::vector<int32_t> slotOrder;           // the plate standing in each slot
    int32_t state = kIdle;
    int32_t subState = 0;
    float timer = 0.0f;
    int32_t swapsDone = 0;
    int32_t tryNumber = 0;     // kept by the game
    int32_t rightAnswers = 0;  // kept by the game
    int32_t plateFromA = 0;
    int32_t plateFromB = 0;
    int32_t slotA = 0;         // the higher slot of the current swap
    int32_t slotB = 0;
    int32_t chosenPlate = 0;
    int32_t swapCount = 3;
    float swapTime = 0.5f;
    float pause = 0.25f;
    CRefPtr<CSoundBank> soundBank;

private:
    CCapSprite* Plate(int32_t index) const;
    void UpdateShow(float dt);
    int32_t UpdateShuffle(float dt);
    int32_t UpdateReveal(float dt);
    bool StartSwap();
    void AnimateSwap();
    void PutPlatesOnSlots();
};
