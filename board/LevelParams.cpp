#include "board/LevelParams.h"

#include <algorithm>
#include <cmath>

#include "board/Level.h"
#include "engine/Random.h"

CLevelParams::CLevelParams() : kindLevels(6, -1) {
    Set(0, 1);
}

void CLevelParams::Set(int32_t newMode, int32_t newLevel) {
    mode = newMode;
    level = newLevel;
    if (mode != 0)
        return;
    paramCount = 4;
    paramRatio = 0.33334f;
    fallSpeed = static_cast<float>(GetFallSpeed());
    scoreStep = ::GetScoreStep(level);
    timeA = 240.0f;
    timeB = 720.0f;
    kindLevels.assign(6, 0);
    rateA = 0.0f;
    rateB = 0.0f;
    scoreLimit = 200000;
    stepCount = 50;
    flagA = 1;
    flagB = 2;
}

double CLevelParams::GetFallSpeed() const {
    if (mode != 0)
        return 0.0;
    if (level < 4)
        return 0.065;
    if (level >= 9)
        return 0.04;
    return 0.05;
}

double GetFallSpeed(const CLevelParams& params) {
    return params.GetFallSpeed();
}

bool CLevelParams::PickKind(int preferred, int32_t& kind, int32_t& kindLevel) const {
    auto available = [this](int index) {
        return static_cast<size_t>(index) < kindLevels.size() && kindLevels[static_cast<size_t>(index)] >= 0;
    };
    int candidates[4];
    int count = 0;
    bool rare = false;
    if (preferred >= 1) {
        for (int index : {3, 5})
            if (available(index))
                candidates[count++] = index;
        rare = count > 0;
    }
    if (!rare) {
        for (int index : {0, 1, 2, 4})
            if (available(index))
                candidates[count++] = index;
        if (count == 0)
            return false;
    }
    int chosen = candidates[0];
    if (count > 1) {
        for (;;) {
            int r = static_cast<int>(std::floor(static_cast<double>(RandomUnit()) * count));
            chosen = candidates[std::clamp(r, 0, count - 1)];
            // The score bonus (kind 6) is rarer than the others: a draw of it
            // stands only one time in four.
            if (rare || chosen != 4 || RandomUnit() >= 0.75f)
                break;
        }
    }
    kind = chosen + 2;
    kindLevel = kindLevels[static_cast<size_t>(chosen)];
    return true;
}

int CLevelParams::GetMatchScore(int length, int chain, int extra, int32_t& step) const {
    if (mode == 0) {
        if (length >= 3) {
            step = length + chain - 3;
            return (extra + 2 * step) * 50;
        }
        step = length - 2;
        return length * 50;
    }
    if (mode == 1 || mode == 2) {
        step = length - 2;
        if (length >= 3)
            return ((level + 1) * step * chain + extra) * 50;
        return (level + 1) * length * 25;
    }
    return 50;
}

bool CLevelParams::IsChainStep(int length) const {
    return mode < 3 && length >= 3;
}

float CLevelParams::GetMatchEffectStrength(int a, int b, int c, int d) const {
    if (mode != 0)
        return 0.0f;
    if (a < 3)
        return static_cast<float>(a) * 0.025f;
    return 0.1f * static_cast<float>(d) + 0.1f * static_cast<float>((a - 2) * b) + 0.05f * static_cast<float>(c);
}

int CLevelParams::GetItemPrice(int) const {
    if (mode == 0)
        return 5000;
    if (mode == 1 || mode == 2)
        return level * 1000;
    return 0;
}

int CLevelParams::GetItemValue(int n) {
    return n < 3 ? 2 * n + 3 : 10;
}

int CLevelParams::GetPairScore(int a, int b) {
    return (a + b) * 500 - 500;
}

int GetStageLength(int stage) {
    switch (stage) {
    case 1: return 5;
    case 2: return 6;
    case 3: return 8;
    case 4: return 10;
    case 5: return 12;
    default: return 15;
    }
}

bool SplitLevelIndex(int level, int32_t& stage, int32_t& index) {
    int s = 1;
    while (GetStageLength(s) < level) {
        level -= GetStageLength(s);
        ++s;
    }
    stage = s;
    index = level;
    return s < 6;
}

int GetChallengeForLevel(int level, int32_t& number, int32_t& tier) {
    struct Entry {
        int level, number, tier, kind;
    };
    static const Entry kSchedule[] = {
        {5, 1, 1, 2},  {11, 2, 1, 1}, {15, 3, 1, 4}, {19, 4, 1, 3},
        {24, 5, 2, 2}, {29, 6, 2, 1}, {33, 7, 2, 4}, {37, 8, 2, 3},
    };
    for (const Entry& e : kSchedule) {
        if (e.level == level) {
            number = e.number;
            tier = e.tier;
            return e.kind;
        }
    }
    return 0;
}

int GetTotemLevelGoal(int n) {
    return 5 * n;
}

int GetQuestMinimumForLevel(int level) {
    if (level < 6)
        return 3;
    return level <= 30 ? 4 : 3;
}

double GetLevelDecay(int n) {
    double decay = 0.1;
    for (int i = 0; i < n; ++i)
        decay *= 0.666666;
    return decay;
}

int GetKindLimit(int kind, int mode) {
    switch (kind) {
    case 2: return 5;
    case 3: return mode == 3 ? 8 : 6;
    case 4: return mode == 3 ? 12 : 10;
    default: return 0;
    }
}

int GetTotemEffectCount(int kind, int mode) {
    switch (kind) {
    case 2: return 9;
    case 3: return mode == 3 ? 12 : 10;
    case 4: return mode == 3 ? 15 : 11;
    default: return 6;
    }
}

float GetKindTime(int kind, int mode) {
    switch (kind) {
    case 2: return 45.0f;
    case 3: return mode == 3 ? 60.0f : 45.0f;
    case 4: return mode == 3 ? 90.0f : 60.0f;
    default: return 30.0f;
    }
}

float GetTntFactor(int n) {
    if (n < 1)
        return 1.1f;
    if (n == 1)
        return 1.5f;
    if (n == 2)
        return 2.1f;
    return 2.4f;
}

void GetRedTotemTargetCounts(int32_t out[4], int n, int m) {
    int32_t a = 2, b = 2, c = 2, d = 2;
    if (n <= 1) {
        a = 1, b = 1, c = 0, d = 0;
    } else if (n == 2) {
        a = 1, b = 1, c = 1, d = 1;
    } else if (n == 3 && m < 3) {
        a = 2, b = 2, c = 1, d = 1;
    }
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

void GetVioletTargetCounts(int a, int b, int32_t& x, int32_t& y) {
    switch (a) {
    case 1:
    case 2: x = a, y = 0; break;
    case 3:
        if (b == 2)
            x = 2, y = 0;
        else
            x = 1, y = 1;
        break;
    case 4: x = 1, y = 1; break;
    default: x = 0, y = 0; break;
    }
}

float GetTierTime(int tier) {
    if (tier == 0)
        return 240.0f;
    if (tier == 1)
        return 300.0f;
    return 300.0f + 30.0f * static_cast<float>(tier - 1);
}

float GetScoreStep(int n) {
    return 5.0f * static_cast<float>(n) + 10.0f;
}

float GetAdviserTime(int n) {
    return 5.0f * static_cast<float>(n) + 15.0f;
}

int GetProgressSteps(int kind) {
    return kind == 1 ? 58 : 62;
}

float GetProgressStepFraction(int kind) {
    return kind == 1 ? 0.017391304f : 0.016260162f;
}

float GetChallenge1Time(int) { return 150.0f; }
float GetChallenge2Time(int) { return 40.0f; }
int GetChallenge4Count(int) { return 12; }
float GetChallenge4Time(int) { return 90.0f; }
float GetRateA(int) { return 0.13f; }
float GetRateB(int) { return 0.088f; }
int GetCountLimit8(int) { return 8; }

void GetDefaultLevelRules(int level, bool hardMode, CLevelRules& rules) {
    // The factors are single-precision constants widened for the arithmetic.
    const double k = hardMode ? 1.5 : 1.0;
    rules.capsSet.clear();
    rules.capsSet.push_back(0);
    if (level > 3 || hardMode)
        rules.capsSet.push_back(1);
    for (int32_t colour : {2, 3, 4, 5})
        rules.capsSet.push_back(colour);
    if (level > 8 || hardMode)
        rules.capsSet.push_back(6);

    if (level < 14) {
        rules.steelChance = 0.0f;
        rules.steelCount = 0;
    } else {
        rules.steelChance = static_cast<float>((level - 13) * k * static_cast<double>(0.001f) +
                                               static_cast<double>(0.005f));
        rules.steelCount = static_cast<int32_t>(std::floor(k * static_cast<double>(0.1f) * (level - 13))) + 1;
    }
    if (level < 6) {
        rules.lockChance = 0.0f;
        rules.lockCount = 0;
    } else {
        rules.lockChance = static_cast<float>((level - 5) * k * static_cast<double>(0.001f) +
                                              static_cast<double>(0.0025f));
        rules.lockCount = static_cast<int32_t>(std::floor(k * static_cast<double>(0.075f) * (level - 5))) + 1;
    }
}

void ApplyLevelFileRules(const CLevel& level, bool hardMode, CLevelRules& rules) {
    if (level.isDefault != 0)
        return;
    if (!level.capsSet.empty())
        rules.capsSet = level.capsSet;
    const double chanceFactor = hardMode ? 1.25 : 1.0;
    if (level.steelTokenCount >= 0) {
        rules.steelChance = static_cast<float>(level.steelChance * chanceFactor);
        rules.steelCount = hardMode ? static_cast<int32_t>(int64_t{level.steelTokenCount} * 2 / 3) : level.steelTokenCount;
    }
    if (level.lockTokenCount >= 0) {
        rules.lockChance = static_cast<float>(level.lockChance * chanceFactor);
        rules.lockCount = hardMode ? static_cast<int32_t>(int64_t{level.lockTokenCount} * 2 / 3) : level.lockTokenCount;
    }
}
