// CReactionChallenge: the reaction bonus level (kind 104). Eighteen plates in
// three rows, twelve hiding a token; one plate at a time turns over for a
// moment, and a "Stop!" while a token shows catches it. The game opens it into
// the board's reaction slot, deals the plates and gives the stops; the board
// runs its update every frame, counts the catches, speeds it up and shatters
// each caught token into the sand glass.
#pragma once

#include "challenges/PlateChallenge.h"

#include <cstdint>
#include <vector>

class CSoundBank;

class CReactionChallenge : public CPlateChallenge
{
public:
    enum
    {
        kNotStarted = 15,
        kFlyingIn = 16,
        kTurning = 17,   // sub-states 0 all closed, 1 a plate open
        kJudging = 18,   // sub-states 0 wait, 1 after a miss, 2 after a catch
        kFlyingOut = 19,
    };
    enum
    {
        kEmptyLook = 7,  // a plate without a token
        kPlateCount = 18,
        kTokenCount = 12,
    };

    CReactionChallenge();
    ~CReactionChallenge();
    CReactionChallenge(const CReactionChallenge&) = delete;
    CReactionChallenge& operator=(const CReactionChallenge&) = delete;

    void SetCapsManager(CRefPtr<CCapsManager> caps);
    // Deals twelve tokens at random under eighteen plates in three rows and
    // sets the timings of the tier (1 or 2): the plates fly in.
    void Start(int32_t tier);
    // The "Stop!" command: judged by the next updates. Always 100.
    int32_t OnStop(float x, float y);
    // 100, 101 (a catch), 102 (a miss) or 110 (every plate has flown out).
    int32_t Update(float dt);
    // After each catch the plates show and pause a little shorter.
    void SpeedUp();
    // Every plate flies up off the board; the list lets go of them.
    void FlyOutPlates();

    int32_t lookArgument = 0;
    std::vector<CRefPtr<CCapSprite>> plates;  // in deal order
    int32_t state = kNotStarted;
    int32_t subState = 0;
    float timer = 0.0f;
    int32_t currentPlate = -1;  // the plate opened last
    int32_t emptyRun = 0;       // empty plates opened one after another
    int32_t maxEmptyRun = 3;
    int32_t catches = 0;
    int32_t target = 7;
    float showTime = 0.5f;
    float pause = 0.25f;
    float afterCatchWait = 0.75f;
    float afterMissWait = 4.0f;
    float penalty = 0.0f;   // seconds a miss takes off the challenge clock
    CRefPtr<CSoundBank> soundBank;

private:
    void OpenNextPlate();
};
