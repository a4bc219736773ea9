// CPlayFieldEvent: one record of the board's event queue to the game: the code
// and five words whose meaning depends on it. The board never calls the game;
// it appends these and the game reads them after each board update.
#pragma once

#include <cstdint>

enum PlayFieldEventCode : int32_t
{
    kEventScored = 1,           // groups of the frame scored; arg = points from a totem
    kEventCascadeEnd = 2,       // arg = cascade count
    kEventFrenzy = 3,           // a score frenzy started
    kEventBonusTime = 4,        // seconds = time granted
    kEventLevelWon = 5,         // every gem collected, the tokens drop off
    kEventSandGlassEnd = 6,     // the sand glass reported its end state
    kEventNoMoves = 7,          // no move left; the game shuffles
    kEventRoundEnded = 8,       // a challenge round ended
    kEventChallengeEnded = 9,
    kEventSandGlassFull = 10,   // during the memory challenge
    kEventChallengeScored = 11, // arg = points, x and y of the pop-up
    kEventChallengeMissed = 12, // arg = 1 attention, 2 reaction
    kEventTip = 13,             // arg = tip page, tip = tip number
};

struct CPlayFieldEvent
{
    int32_t code = 0;
    int32_t arg = 0;
    float seconds = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    int32_t tip = 0;
};
static_assert(sizeof(CPlayFieldEvent) == 24, "six 32-bit words");
