// The game's balance in one place: the level-parameter block that the game
// object owns (one per game) and the board, bonuses, totems and panels read,
// and the pure rule functions of level numbers, stages, kinds and counts.
// Everything here is deterministic except CLevelParams::PickKind, which draws
// from RandomUnit.
#pragma once

#include <cstdint>
#include <vector>

class CLevel;

// Game modes: 0 is the level-by-level quest; 1 and 2 are the other play
// modes; 3 selects the second column of the per-kind values.
class CLevelParams {
public:
    CLevelParams();

    // Stores mode and level; in the quest mode also resets every value below.
    void Set(int32_t newMode, int32_t newLevel);

    // Sand fall speed: 0 outside the quest, slower sand on later levels.
    double GetFallSpeed() const;

    // Chooses an available bonus kind (2..7) and its level. Preferred asks for
    // the rare kinds 5 and 7 first. False when no kind is available.
    bool PickKind(int preferred, int32_t& kind, int32_t& kindLevel) const;

    // Points of one finished group; step is the pop-up's size step.
    int GetMatchScore(int length, int chain, int extra, int32_t& step) const;
    bool IsChainStep(int length) const;
    float GetMatchEffectStrength(int a, int b, int c, int d) const;
    // Price of the play screen's purchase (the item number is not used).
    int GetItemPrice(int item = 0) const;
    static int GetItemValue(int n);
    static int GetPairScore(int a, int b);

    int32_t mode = 0;
    int32_t level = 0;
    int32_t paramCount = 0;  // most random gems on the board at once
    float paramRatio = 0.0f;  // share of new tokens that get a gem
    float fallSpeed = 0.0f;
    float scoreStep = 0.0f;
    float timeA = 0.0f;  // level clock at the start
    float timeB = 0.0f;  // full scale of the clock display
    std::vector<int32_t> kindLevels;  // entry i: level of kind i + 2, negative = not available
    float rateA = 0.0f;
    float rateB = 0.0f;
    int32_t scoreLimit = 0;
    int32_t stepCount = 0;
    int32_t flagA = 0;
    int32_t flagB = 0;
};

double GetFallSpeed(const CLevelParams& params);
inline int GetItemValue(int n) { return CLevelParams::GetItemValue(n); }
inline int GetPairScore(int a, int b) { return CLevelParams::GetPairScore(a, b); }

// Level numbering: levels count from 1; a stage is a run of levels.
int GetStageLength(int stage);
// Splits a level number into stage and index within it; false from stage 6 on.
bool SplitLevelIndex(int level, int32_t& stage, int32_t& index);
// Kind of challenge mini-game after a level (0 none); number and tier are
// written only when there is one.
int GetChallengeForLevel(int level, int32_t& number, int32_t& tier);
int GetTotemLevelGoal(int n);
int GetQuestMinimumForLevel(int level);
double GetLevelDecay(int n);

// Values by kind; the second value applies when mode is 3.
int GetKindLimit(int kind, int mode);
int GetTotemEffectCount(int kind, int mode);
float GetKindTime(int kind, int mode);

// Totems and bonuses.
float GetTntFactor(int n);
void GetRedTotemTargetCounts(int32_t out[4], int n, int m);
void GetVioletTargetCounts(int a, int b, int32_t& x, int32_t& y);

// Times and counters of the panels.
float GetTierTime(int tier);
float GetScoreStep(int n);
float GetAdviserTime(int n);
int GetProgressSteps(int kind);
float GetProgressStepFraction(int kind);

// Constants of the challenges and the main update (the argument is not used).
float GetChallenge1Time(int tier = 0);
float GetChallenge2Time(int tier = 0);
int GetChallenge4Count(int tier = 0);
float GetChallenge4Time(int tier = 0);
float GetRateA(int tier = 0);
float GetRateB(int tier = 0);
int GetCountLimit8(int tier = 0);

// The colours and the steel and lock chances and limits a level is played
// with (the play field's copy of them). Defaults come from the level number;
// a loaded level file then replaces every value it gives.
struct CLevelRules {
    std::vector<int32_t> capsSet;
    float steelChance = 0.0f;
    int32_t steelCount = 0;
    float lockChance = 0.0f;
    int32_t lockCount = 0;
};

// Five colours on levels 1-3, six to level 8, all seven from level 9 (and on
// every level of the hard difficulty); locks from level 6, steel from 14.
void GetDefaultLevelRules(int level, bool hardMode, CLevelRules& rules);
// The hard difficulty raises a file's chances by a quarter and lowers its
// counts to two thirds. The gem count (level.gemsCount) is left to the caller.
void ApplyLevelFileRules(const CLevel& level, bool hardMode, CLevelRules& rules);
