// What the challenge mini-games share: the result codes their clicks and
// updates return, and CPlateChallenge, the leading members of the three
// challenges that lay token plates out on the board (memory, reaction,
// attention) with the area the plates stand on. The game opens a challenge
// into one of the board's four slots; the board calls its update every frame
// and turns the results into events for the game.
#pragma once

#include "board/CapsManager.h"
#include "engine/RefPtr.h"

#include <cstdint>

enum ChallengeResult : int32_t
{
    kChallengeNothing = 100,
    kChallengeAccepted = 101,       // a click taken; a catch; an answer judged
    kChallengeRejected = 102,       // a click on a found or picked plate; a miss
    kChallengeRoundCleared = 103,   // every plate of the memory round has flown out
    kChallengePairMismatch = 104,
    kChallengePairFound = 105,
    kChallengeAllPairsFound = 106,
    kChallengeStarsGone = 107,
    kChallengeTriesOver = 108,
    kChallengeAskWhere = 109,
    kChallengePlatesGone = 110,
};

class CPlateChallenge
{
public:
    // The area's origin, size and cell size, as the opener takes them from the board.
    void SetArea(float x, float y, float z, float width, float height, float cellW, float cellH);
    // Every sprite's looks leave the caps manager and the group is emptied.
    void ClearSprites();
    // True when no sprite of the group flies or turns (an empty group too).
    bool AllAtRest() const;
    // A plate flies from where it stands to the point in one second, easing in
    // and out vertically; state 1 flies in, state 2 flies out (and leaves the
    // group on arrival).
    static void FlyTo(CCapSprite& plate, float x, float y, float z, int32_t state);

    CRefPtr<CCapSpriteGroup> spriteGroup;
    float originX = 317.5f;
    float originY = 43.5f;
    float originZ = 0.0f;
    float areaWidth = 664.0f;  // eight cells of 83
    float areaHeight = 664.0f;
    float cellWidth = 83.0f;
    float cellHeight = 83.0f;

protected:
    CPlateChallenge() = default;
    ~CPlateChallenge() = default;
    // A new sprite group on the caps manager, replacing any previous one.
    void MakeSpriteGroup(CRefPtr<CCapsManager> caps);
};
