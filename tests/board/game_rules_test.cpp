// The game-rule formulas and the level-parameter block, as tables of chosen
// level numbers and modes.
#include <gtest/gtest.h>

#include <map>

#include "board/Level.h"
#include "board/LevelParams.h"
#include "platform/crt.h"

namespace {

TEST(GameRules, StagesSplitLevelNumbers) {
    struct Row {
        int level, stage, index;
        bool inQuest;
    };
    const Row rows[] = {
        {1, 1, 1, true},   {5, 1, 5, true},   {6, 2, 1, true},   {11, 2, 6, true},  {12, 3, 1, true},
        {19, 3, 8, true},  {20, 4, 1, true},  {29, 4, 10, true}, {30, 5, 1, true},  {41, 5, 12, true},
        {42, 6, 1, false}, {56, 6, 15, false}, {57, 7, 1, false},
    };
    for (const Row& r : rows) {
        int32_t stage = -1, index = -1;
        EXPECT_EQ(SplitLevelIndex(r.level, stage, index), r.inQuest) << r.level;
        EXPECT_EQ(stage, r.stage) << r.level;
        EXPECT_EQ(index, r.index) << r.level;
    }
    const int lengths[] = {15, 5, 6, 8, 10, 12, 15, 15};
    for (int stage = 0; stage < 8; ++stage)
        EXPECT_EQ(GetStageLength(stage), lengths[stage]) << stage;
}

TEST(GameRules, ChallengeScheduleFollowsTheStages) {
    struct Row {
        int level, kind, number, tier;
    };
    const Row rows[] = {
        {5, 2, 1, 1},  {11, 1, 2, 1}, {15, 4, 3, 1}, {19, 3, 4, 1}, {24, 2, 5, 2}, {29, 1, 6, 2},
        {33, 4, 7, 2}, {37, 3, 8, 2}, {1, 0, -7, -7}, {6, 0, -7, -7}, {41, 0, -7, -7}, {0, 0, -7, -7},
    };
    for (const Row& r : rows) {
        int32_t number = -7, tier = -7;
        EXPECT_EQ(GetChallengeForLevel(r.level, number, tier), r.kind) << r.level;
        EXPECT_EQ(number, r.number) << r.level;
        EXPECT_EQ(tier, r.tier) << r.level;
    }
}

TEST(GameRules, LevelCountersAndDecay) {
    EXPECT_EQ(GetTotemLevelGoal(1), 5);
    EXPECT_EQ(GetTotemLevelGoal(41), 205);
    const std::pair<int, int> minimum[] = {{1, 3}, {5, 3}, {6, 4}, {30, 4}, {31, 3}, {41, 3}};
    for (auto [level, lives] : minimum)
        EXPECT_EQ(GetQuestMinimumForLevel(level), lives) << level;

    EXPECT_EQ(GetLevelDecay(0), 0.1);
    EXPECT_EQ(GetLevelDecay(-3), 0.1);
    EXPECT_DOUBLE_EQ(GetLevelDecay(1), 0.0666666);
    EXPECT_EQ(GetLevelDecay(3), 0.1 * 0.666666 * 0.666666 * 0.666666);
}

TEST(GameRules, MatchScoreByMode) {
    struct Row {
        int mode, level, length, chain, extra;
        int score, step;
    };
    const Row rows[] = {
        {0, 1, 3, 0, 0, 0, 0},       {0, 1, 3, 1, 0, 100, 1},    {0, 1, 4, 1, 0, 200, 2},
        {0, 7, 5, 3, 2, 600, 5},     {0, 1, 2, 4, 9, 100, 0},    {0, 1, 1, 0, 0, 50, -1},
        {1, 4, 3, 1, 0, 250, 1},     {2, 4, 5, 2, 3, 1650, 3},   {1, 4, 2, 9, 9, 250, 0},
        {3, 4, 5, 2, 3, 50, -99},    {101, 4, 5, 2, 3, 50, -99},
    };
    for (const Row& r : rows) {
        CLevelParams params;
        params.Set(r.mode, r.level);
        int32_t step = -99;
        EXPECT_EQ(params.GetMatchScore(r.length, r.chain, r.extra, step), r.score)
            << "mode " << r.mode << " length " << r.length;
        EXPECT_EQ(step, r.step) << "mode " << r.mode << " length " << r.length;
    }
}

TEST(GameRules, ChainStepsStrengthPricesAndItems) {
    CLevelParams quest;
    CLevelParams other;
    other.Set(2, 6);
    CLevelParams strong;
    strong.Set(3, 6);

    EXPECT_TRUE(quest.IsChainStep(3));
    EXPECT_FALSE(quest.IsChainStep(2));
    EXPECT_TRUE(other.IsChainStep(5));
    EXPECT_FALSE(strong.IsChainStep(5));

    EXPECT_FLOAT_EQ(quest.GetMatchEffectStrength(2, 1, 5, 5), 0.05f);
    EXPECT_FLOAT_EQ(quest.GetMatchEffectStrength(3, 1, 0, 0), 0.1f);
    EXPECT_FLOAT_EQ(quest.GetMatchEffectStrength(5, 1, 2, 0), 0.4f);
    EXPECT_FLOAT_EQ(quest.GetMatchEffectStrength(4, 3, 1, 2), 0.85f);
    EXPECT_EQ(other.GetMatchEffectStrength(5, 1, 2, 0), 0.0f);

    EXPECT_EQ(quest.GetItemPrice(), 5000);
    EXPECT_EQ(other.GetItemPrice(0), 6000);
    EXPECT_EQ(strong.GetItemPrice(), 0);

    const std::pair<int, int> values[] = {{0, 3}, {1, 5}, {2, 7}, {3, 10}, {9, 10}, {-1, 1}};
    for (auto [n, value] : values)
        EXPECT_EQ(GetItemValue(n), value) << n;
    EXPECT_EQ(GetPairScore(1, 1), 500);
    EXPECT_EQ(GetPairScore(2, 3), 2000);
    EXPECT_EQ(CLevelParams::GetPairScore(0, 0), -500);
}

TEST(GameRules, ValuesByKindAndMode) {
    struct Row {
        int kind, mode, limit, count;
        float time;
    };
    const Row rows[] = {
        {2, 0, 5, 9, 45.0f},   {2, 3, 5, 9, 45.0f},   {3, 0, 6, 10, 45.0f},  {3, 3, 8, 12, 60.0f},
        {4, 0, 10, 11, 60.0f}, {4, 3, 12, 15, 90.0f}, {4, 2, 10, 11, 60.0f}, {1, 3, 0, 6, 30.0f},
        {5, 0, 0, 6, 30.0f},   {7, 3, 0, 6, 30.0f},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(GetKindLimit(r.kind, r.mode), r.limit) << r.kind << "/" << r.mode;
        EXPECT_EQ(GetTotemEffectCount(r.kind, r.mode), r.count) << r.kind << "/" << r.mode;
        EXPECT_EQ(GetKindTime(r.kind, r.mode), r.time) << r.kind << "/" << r.mode;
    }
}

TEST(GameRules, TotemAndBonusTargets) {
    const std::pair<int, float> tnt[] = {{-1, 1.1f}, {0, 1.1f}, {1, 1.5f}, {2, 2.1f}, {3, 2.4f}, {8, 2.4f}};
    for (auto [n, factor] : tnt)
        EXPECT_EQ(GetTntFactor(n), factor) << n;

    struct Red {
        int n, m;
        std::vector<int32_t> counts;
    };
    const Red red[] = {{0, 9, {1, 1, 0, 0}}, {1, 0, {1, 1, 0, 0}}, {2, 5, {1, 1, 1, 1}},
                       {3, 2, {2, 2, 1, 1}}, {3, 3, {2, 2, 2, 2}}, {4, 0, {2, 2, 2, 2}}};
    for (const Red& r : red) {
        int32_t out[4] = {-1, -1, -1, -1};
        GetRedTotemTargetCounts(out, r.n, r.m);
        EXPECT_EQ(std::vector<int32_t>(out, out + 4), r.counts) << r.n << "/" << r.m;
    }

    struct Violet {
        int a, b, x, y;
    };
    const Violet violet[] = {{1, 0, 1, 0}, {2, 3, 2, 0}, {3, 2, 2, 0}, {3, 1, 1, 1},
                             {4, 2, 1, 1}, {0, 2, 0, 0}, {5, 2, 0, 0}};
    for (const Violet& v : violet) {
        int32_t x = -1, y = -1;
        GetVioletTargetCounts(v.a, v.b, x, y);
        EXPECT_EQ(x, v.x) << v.a << "/" << v.b;
        EXPECT_EQ(y, v.y) << v.a << "/" << v.b;
    }
}

TEST(GameRules, TimesAndPanelCounters) {
    const std::pair<int, float> tiers[] = {{0, 240.0f}, {1, 300.0f}, {2, 330.0f}, {3, 360.0f}, {6, 450.0f}};
    for (auto [tier, seconds] : tiers)
        EXPECT_EQ(GetTierTime(tier), seconds) << tier;
    EXPECT_EQ(GetScoreStep(0), 10.0f);
    EXPECT_EQ(GetScoreStep(4), 30.0f);
    EXPECT_EQ(GetAdviserTime(0), 15.0f);
    EXPECT_EQ(GetAdviserTime(3), 30.0f);
    EXPECT_EQ(GetProgressSteps(1), 58);
    EXPECT_EQ(GetProgressSteps(2), 62);
    EXPECT_FLOAT_EQ(GetProgressStepFraction(1), 1.0f / 57.5f);
    EXPECT_FLOAT_EQ(GetProgressStepFraction(2), 1.0f / 61.5f);

    EXPECT_EQ(GetChallenge1Time(), 150.0f);
    EXPECT_EQ(GetChallenge2Time(2), 40.0f);
    EXPECT_EQ(GetChallenge4Count(1), 12);
    EXPECT_EQ(GetChallenge4Time(), 90.0f);
    EXPECT_EQ(GetRateA(), 0.13f);
    EXPECT_EQ(GetRateB(), 0.088f);
    EXPECT_EQ(GetCountLimit8(), 8);
}

TEST(GameRules, LevelParamsResetInTheQuestOnly) {
    CLevelParams params;
    EXPECT_EQ(params.mode, 0);
    EXPECT_EQ(params.level, 1);
    EXPECT_EQ(params.kindLevels, std::vector<int32_t>(6, 0));

    params.Set(0, 12);
    EXPECT_EQ(params.paramCount, 4);
    EXPECT_EQ(params.paramRatio, 0.33334f);
    EXPECT_EQ(params.fallSpeed, 0.04f);
    EXPECT_EQ(params.scoreStep, 70.0f);
    EXPECT_EQ(params.timeA, 240.0f);
    EXPECT_EQ(params.timeB, 720.0f);
    EXPECT_EQ(params.rateA, 0.0f);
    EXPECT_EQ(params.rateB, 0.0f);
    EXPECT_EQ(params.scoreLimit, 200000);
    EXPECT_EQ(params.stepCount, 50);
    EXPECT_EQ(params.flagA, 1);
    EXPECT_EQ(params.flagB, 2);

    // The shop writes over the block after the reset; other modes keep it.
    params.timeA = 300.0f;
    params.kindLevels[2] = 3;
    params.paramCount = 9;
    params.Set(1, 20);
    EXPECT_EQ(params.mode, 1);
    EXPECT_EQ(params.level, 20);
    EXPECT_EQ(params.timeA, 300.0f);
    EXPECT_EQ(params.kindLevels[2], 3);
    EXPECT_EQ(params.paramCount, 9);
    EXPECT_EQ(params.GetFallSpeed(), 0.0);

    params.Set(0, 20);
    EXPECT_EQ(params.timeA, 240.0f);
    EXPECT_EQ(params.kindLevels[2], 0);
}

TEST(GameRules, FallSpeedByLevel) {
    const std::pair<int, double> speeds[] = {{1, 0.065}, {3, 0.065}, {4, 0.05}, {8, 0.05}, {9, 0.04}, {41, 0.04}};
    for (auto [level, speed] : speeds) {
        CLevelParams params;
        params.Set(0, level);
        EXPECT_EQ(GetFallSpeed(params), speed) << level;
        EXPECT_EQ(params.fallSpeed, static_cast<float>(speed)) << level;
    }
}

std::map<int, int> DrawKinds(const CLevelParams& params, int preferred, int draws) {
    std::map<int, int> seen;
    for (int i = 0; i < draws; ++i) {
        int32_t kind = -1, kindLevel = -1;
        EXPECT_TRUE(params.PickKind(preferred, kind, kindLevel));
        EXPECT_EQ(kindLevel, params.kindLevels[static_cast<size_t>(kind - 2)]);
        seen[kind]++;
    }
    return seen;
}

TEST(GameRules, PickKindDrawsAmongAvailableKinds) {
    CLevelParams params;
    params.kindLevels = {1, 2, 3, 4, 5, 6};
    crt::srand(42);
    const auto ordinary = DrawKinds(params, 0, 13000);
    ASSERT_EQ(ordinary.size(), 4u);
    // A draw of kind 6 stands one time in four: 6 comes 1 in 13, the others 4 in 13.
    EXPECT_NEAR(ordinary.at(6), 1000, 150);
    for (int kind : {2, 3, 4})
        EXPECT_NEAR(ordinary.at(kind), 4000, 250) << kind;

    const auto rare = DrawKinds(params, 1, 2000);
    ASSERT_EQ(rare.size(), 2u);
    EXPECT_NEAR(rare.at(5), 1000, 120);
    EXPECT_NEAR(rare.at(7), 1000, 120);
}

TEST(GameRules, PickKindCandidates) {
    CLevelParams params;
    int32_t kind = -1, kindLevel = -1;

    // A lone candidate is taken without a draw.
    params.kindLevels = {-1, -1, 4, -1, -1, -1};
    crt::srand(7);
    const int before = crt::rand();
    crt::srand(7);
    ASSERT_TRUE(params.PickKind(0, kind, kindLevel));
    EXPECT_EQ(kind, 4);
    EXPECT_EQ(kindLevel, 4);
    EXPECT_EQ(crt::rand(), before);

    // Preferred with neither kind 5 nor 7 available falls back to the others.
    ASSERT_TRUE(params.PickKind(1, kind, kindLevel));
    EXPECT_EQ(kind, 4);

    // Kinds 5 and 7 are only offered when preferred.
    params.kindLevels = {-1, -1, -1, 2, -1, 0};
    kind = kindLevel = -1;
    EXPECT_FALSE(params.PickKind(0, kind, kindLevel));
    EXPECT_EQ(kind, -1);
    EXPECT_EQ(kindLevel, -1);
    params.kindLevels = {-1, -1, -1, 2, -1, -1};
    ASSERT_TRUE(params.PickKind(1, kind, kindLevel));
    EXPECT_EQ(kind, 5);
    EXPECT_EQ(kindLevel, 2);

    // Only the score kind: it stands at once, however often a redraw would be due.
    params.kindLevels = {-1, -1, -1, -1, 1, -1};
    ASSERT_TRUE(params.PickKind(0, kind, kindLevel));
    EXPECT_EQ(kind, 6);
}

TEST(GameRules, DefaultLevelRulesForBothDifficulties) {
    struct Row {
        int level;
        bool hard;
        std::vector<int32_t> colours;
        float steelChance;
        int steelCount;
        float lockChance;
        int lockCount;
    };
    const std::vector<int32_t> five = {0, 2, 3, 4, 5}, six = {0, 1, 2, 3, 4, 5}, seven = {0, 1, 2, 3, 4, 5, 6};
    const Row rows[] = {
        {1, false, five, 0.0f, 0, 0.0f, 0},          {3, false, five, 0.0f, 0, 0.0f, 0},
        {4, false, six, 0.0f, 0, 0.0f, 0},           {6, false, six, 0.0f, 0, 0.0035f, 1},
        {9, false, seven, 0.0f, 0, 0.0065f, 1},      {14, false, seven, 0.006f, 1, 0.0115f, 1},
        {14, true, seven, 0.0065f, 1, 0.016f, 2},    {1, true, seven, 0.0f, 0, 0.0f, 0},
        {41, false, seven, 0.033f, 3, 0.0385f, 3},   {41, true, seven, 0.047f, 5, 0.0565f, 5},
    };
    for (const Row& r : rows) {
        CLevelRules rules;
        rules.capsSet = {6, 6};
        GetDefaultLevelRules(r.level, r.hard, rules);
        SCOPED_TRACE(::testing::Message() << "level " << r.level << (r.hard ? " hard" : " normal"));
        EXPECT_EQ(rules.capsSet, r.colours);
        EXPECT_FLOAT_EQ(rules.steelChance, r.steelChance);
        EXPECT_EQ(rules.steelCount, r.steelCount);
        EXPECT_FLOAT_EQ(rules.lockChance, r.lockChance);
        EXPECT_EQ(rules.lockCount, r.lockCount);
    }
}

TEST(GameRules, LevelFileReplacesWhatItGives) {
    CLevel level;
    level.isDefault = 0;
    level.steelChance = 0.02f;
    level.steelTokenCount = 9;

    CLevelRules rules;
    GetDefaultLevelRules(14, true, rules);
    ApplyLevelFileRules(level, true, rules);
    EXPECT_FLOAT_EQ(rules.steelChance, 0.025f);
    EXPECT_EQ(rules.steelCount, 6);
    EXPECT_EQ(rules.capsSet.size(), 7u) << "no SET keeps the default colours";
    EXPECT_FLOAT_EQ(rules.lockChance, 0.016f) << "no LOCK keeps the default locks";

    level.steelTokenCount = 1;
    level.lockChance = 0.01f;
    level.lockTokenCount = 0;
    level.capsSet = {1, 2, 3, 4, 5};
    ApplyLevelFileRules(level, true, rules);
    EXPECT_EQ(rules.steelCount, 0);
    EXPECT_FLOAT_EQ(rules.lockChance, 0.0125f);
    EXPECT_EQ(rules.lockCount, 0);
    EXPECT_EQ(rules.capsSet, level.capsSet);

    ApplyLevelFileRules(level, false, rules);
    EXPECT_FLOAT_EQ(rules.steelChance, 0.02f);
    EXPECT_EQ(rules.steelCount, 1);

    // A level that failed to load changes nothing.
    CLevel failed;
    failed.steelTokenCount = 5;
    CLevelRules untouched;
    GetDefaultLevelRules(2, false, untouched);
    ApplyLevelFileRules(failed, false, untouched);
    EXPECT_EQ(untouched.steelCount, 0);
}

}  // namespace
