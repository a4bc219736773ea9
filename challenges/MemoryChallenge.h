// CMemoryChallenge: the memory bonus level (kind 101). Closed plates on the
// board area each hide a token; the player turns two over, a matching pair
// stays found, a mismatch closes again after a short look. The game opens it
// into the board's memory slot and deals its rounds; the board runs its
// update every frame, scores the pairs it reports and shatters the found
// tokens into the sand glass.
#pragma once

#include "challenges/PlateChallenge.h"

#include <cstdint>
#include <vector>

class CSoundBank;

class CMemoryChallenge : public CPlateChallenge
{
public:
    enum
    {
        kIdle = 0,
        kWaiting = 1,   // for a click
        kDealing = 2,
        kFlyingOut = 3,
        kJudging = 4,   // sub-states 0 wait, 1 mismatch shown, 2 closing
    };

    CMemoryChallenge();
    ~CMemoryChallenge();
    CMemoryChallenge(const CMemoryChallenge&) = delete;
    CMemoryChallenge& operator=(const CMemoryChallenge&) = delete;

    void SetCapsManager(CRefPtr<CCapsManager> caps);
    // Deals a round of difficulty 1..6 (tier 1 plays 1, 2, 3; tier 2 plays
    // 4, 5, 6; other values are taken as the nearest): the plates fly in from
    // ten cells above their places.
    void StartRound(int32_t difficulty);
    // A click on a plate at (x, y): 101 when it turns over, 102 (with the
    // "Wrong" sound) on a found plate or the open first pick, else 100.
    int32_t OnClick(float x, float y);
    // Runs the plates, then judges the picks: 100, 103 (the round's plates
    // are gone), 104 (mismatch closed), 105 (a pair) or 106 (the last pair).
    int32_t Update(float dt);

    // Every plate still on the grid flies up off the board.
    void FlyOutCaps();

    // The plate of a grid cell, or null for an empty cell or one outside the grid.
    CCapSprite* PlateAt(int32_t column, int32_t row) const;

    int32_t columnOffset = 1;  // where grid cell (0, 0) lies in the area, in cells
    int32_t rowOffset = 3;
    int32_t columns = 6;
    int32_t rows = 3;
    float revealTime = 0.5f;   // how long a mismatch stays open
    int32_t lookArgument = 0;
    std::vector<std::vector<CRefPtr<CCapSprite>>> tokens;  // [row][column]
    std::vector<std::vector<int32_t>> found;               // [row][column], 1 = found
    int32_t state = kIdle;
    int32_t subState = 0;
    float timer = 0.0f;
    int32_t firstPick[2] = {-1, -1};   // column, row
    int32_t secondPick[2] = {-1, -1};
    int32_t round = 0;
    int32_t collected = 0;     // tokens shattered into the sand glass over all rounds
    // The last found pair: the second picked plate's x, y, then the first's.
    float pairPoints[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    CRefPtr<CSoundBank> soundBank;

private:
    int32_t Judge();
    // The centre x of a grid column and y of a grid row.
    float CellX(int32_t column) const;
    float CellY(int32_t row) const;
    bool AnyUnfoundPlate() const;
    void ClearPicks();
};
