// The line-of-four bonuses that help, fired on a running board: the adviser's
// glass flies to the counter and the board points at a legal move for the
// seconds its level grants; the score bonus reports its level and shows its
// coins; the solidarity bolt runs through its targets, nearest next, and each
// target's terminator waits until the bolt's head reaches it.
#include "board_play_fixture.h"

#include "board/BoardGeometry.h"
#include "bonuses/BonusAdviser.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusManager.h"
#include "bonuses/BonusScore.h"
#include "bonuses/BonusSolidarity.h"
#include "hud/GemsBuffer.h"

#include <algorithm>
#include <cmath>

namespace
{

using board_play::BoardPlay;
using board_play::kFrame;

using board_play::kQuiet;

class BonusHelp : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
        bonuses = CRefPtr<CBonusManager>(new CBonusManager());
        field->bonusManager = bonuses;
        field->gemsBuffer = CRefPtr<CGemsBuffer>(new CGemsBuffer());
    }

    CRefPtr<CBonus> Make(int32_t kind, int32_t level, int column, int row)
    {
        return PlaceBonus(*bonuses, kind, level, column, row);
    }

    // Runs the bonuses and the board's event handling until the bonus has
    // left the list; the seconds at which each event kind first came.
    std::vector<std::pair<int32_t, float>> RunOut(std::vector<BonusEvent>* all = nullptr)
    {
        std::vector<std::pair<int32_t, float>> firsts;
        float t = 0.0f;
        for (int i = 0; i < 600 && !bonuses->bonuses.empty(); ++i)
        {
            bonuses->UpdateAll(kFrame);
            t += kFrame;
            for (const BonusEvent& e : bonuses->events)
            {
                if (all)
                    all->push_back(e);
                if (std::none_of(firsts.begin(), firsts.end(), [&](const auto& f) { return f.first == e.kind; }))
                    firsts.emplace_back(e.kind, t);
            }
            field->HandleBonusEvents();
        }
        return firsts;
    }

    CRefPtr<CBonusManager> bonuses;
};

TEST_F(BonusHelp, AdviserFliesToTheCounterAndTheBoardPointsAtAMoveForItsLevelsTime)
{
    struct Case
    {
        int32_t level;
        int shapes;
        float seconds;
    };
    std::vector<std::string> board = kQuiet;
    board[7] = "22324563"; // one move: the 3 in (2, 7) and the 2 in (3, 7) swap
    const AdviserSettings& a = GetBonusSettings().adviser;
    for (const Case& k : {Case{0, 3, 15.0f}, Case{1, 3, 20.0f}, Case{2, 3, 25.0f}, Case{3, 4, 30.0f}})
    {
        SCOPED_TRACE(k.level);
        Build(3);
        SetUp();
        SetBoard(board);
        const CRefPtr<CBonus> b = Make(kBonusAdviser, k.level, 5, 2);
        EXPECT_EQ(size_t(k.shapes), b.DynamicCast<CBonusAdviser>()->shapes.size());
        const float dx = a.target.x - b->position[0], dy = a.target.y - b->position[1];
        const float flight = std::sqrt(dx * dx + dy * dy) / a.speed;
        field->ActivateBonus(b);
        const auto firsts = RunOut();
        ASSERT_EQ(2u, firsts.size());
        EXPECT_EQ(kBonusEventAdviserFired, firsts[0].first);
        EXPECT_EQ(kBonusEventAdviserArrived, firsts[1].first);
        EXPECT_GE(firsts[1].second + 1e-4f, flight);
        EXPECT_LT(firsts[1].second, flight + 2.0f * kFrame);
        EXPECT_FLOAT_EQ(k.seconds, field->adviser.remaining);
        // The arrows point at the two tokens of the board's one move.
        std::vector<Vec3> expected;
        for (int c : {2, 3})
        {
            Vec3 p = field->CellToScreen(c, 7, true);
            expected.push_back(Vec3{p.x, p.y + 0.3f * field->cellHeight, 0.0f});
        }
        ASSERT_EQ(2u, field->adviser.groupArrowPlaces.size());
        for (size_t i = 0; i < 2; ++i)
        {
            EXPECT_FLOAT_EQ(expected[i].x, field->adviser.groupArrowPlaces[i].x);
            EXPECT_FLOAT_EQ(expected[i].y, field->adviser.groupArrowPlaces[i].y);
        }
        EXPECT_EQ(2u, field->adviser.groupArrows.size());
    }
}

TEST_F(BonusHelp, ScoreBonusShowsItsCoinsAndReportsItsLevel)
{
    struct Case
    {
        int32_t level;
        int coins;
    };
    for (const Case& k : {Case{0, 3}, Case{1, 5}, Case{2, 7}, Case{3, 10}, Case{5, 10}})
    {
        SCOPED_TRACE(k.level);
        Build(3);
        SetUp();
        SetBoard(kQuiet);
        const CRefPtr<CBonus> b = Make(kBonusScore, k.level, 3, 3);
        const CBonusScore* score = b.DynamicCast<CBonusScore>().Get();
        EXPECT_EQ(size_t(k.coins) + 1, score->shapes.size());
        EXPECT_EQ(k.coins, CBonusScore::CoinCount(k.level));
        field->ActivateBonus(b);
        EXPECT_TRUE(score->shapes.empty());
        std::vector<BonusEvent> all;
        const auto firsts = RunOut(&all);
        ASSERT_EQ(1u, all.size());
        EXPECT_EQ(kBonusEventScoreFired, all[0].kind);
        EXPECT_EQ(k.level, all[0].value1);
        // Reported in the frame it fired and gone the next.
        EXPECT_NEAR(kFrame, firsts[0].second, 1e-5f);
    }
}

TEST_F(BonusHelp, SolidarityBoltReachesEveryTargetAsItsTerminatorEnds)
{
    struct Case
    {
        int32_t level;
        int column, row;
    };
    // Colour 0 tokens spread over the board; the carrier in (column, row).
    const std::vector<std::string> board = {"04563450", "56345634", "34560456", "56345634",
                                            "34063456", "56345634", "34563406", "06345634"};
    const SolidaritySettings& s = GetBonusSettings().solidarity;
    for (const Case& k : {Case{1, 4, 2}, Case{2, 2, 4}, Case{3, 0, 0}})
    {
        SCOPED_TRACE(k.level);
        Build(3);
        SetUp();
        SetBoard(board);
        const CRefPtr<CBonus> b = Make(kBonusSolidarity, k.level, k.column, k.row);
        EXPECT_EQ(size_t(k.level) + 3, b.DynamicCast<CBonusSolidarity>()->body.size());
        field->ActivateBonus(b);
        const CBonusSolidarity* sol = b.DynamicCast<CBonusSolidarity>().Get();
        const size_t targets = sol->segmentLengths.size();
        ASSERT_GE(targets, 5u);
        ASSERT_GE(terminators->active.size(), targets);
        // The path goes nearest next from the bonus.
        for (size_t i = 2; i + 1 < sol->path.size(); ++i)
        {
            const Vec3& at = sol->path[i];
            const float next = std::hypot(sol->path[i + 1].x - at.x, sol->path[i + 1].y - at.y);
            for (size_t j = i + 2; j < sol->path.size(); ++j)
                EXPECT_LE(next, std::hypot(sol->path[j].x - at.x, sol->path[j].y - at.y) + 1e-3f);
        }
        // The terminators of the last targets wait until the bolt's head arrives
        // less the lead time; the first target's wait is its distance's.
        std::vector<float> waits;
        for (size_t i = terminators->active.size() - targets; i < terminators->active.size(); ++i)
            waits.push_back(-terminators->active[i]->elapsed);
        const float first = (sol->pathDistances[1] + s.boltLength) / s.boltSpeed - s.termTime;
        EXPECT_NEAR(first, *std::min_element(waits.begin(), waits.end()), 1e-4f);
        const float last = (sol->pathDistances.back() + s.boltLength) / s.boltSpeed - s.termTime;
        EXPECT_NEAR(last, *std::max_element(waits.begin(), waits.end()), 1e-4f);

        std::vector<BonusEvent> all;
        RunOut(&all);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(kBonusEventSolidarityFired, all[0].kind);
        EXPECT_EQ(k.level, all[0].value1);
        // One redirect as the bolt leaves each path point, one at the last target.
        const auto redirects = std::count_if(all.begin(), all.end(),
                                             [](const BonusEvent& e) { return e.kind == kBonusEventSolidarityRedirect; });
        EXPECT_EQ(std::ptrdiff_t(targets) + 1, redirects);
        EXPECT_TRUE(sol->IsEffectDone());
    }
}

TEST_F(BonusHelp, SolidarityWithoutTargetsEndsWithItsEvent)
{
    SetBoard(kQuiet);
    CRefPtr<CBonus> b;
    bonuses->CreateBonus(b, kBonusSolidarity, 0, 0, 1);
    b->Place(0.0f, 0.0f, 0.0f, 38.0f, 0, 0);
    std::vector<float> delays{7.0f};
    b.DynamicCast<CBonusSolidarity>()->PlanBolts({}, delays);
    EXPECT_EQ(std::vector<float>{7.0f}, delays);
    b->Activate();
    EXPECT_FALSE(b->IsEffectDone());
    bonuses->UpdateAll(kFrame);
    ASSERT_EQ(1u, bonuses->events.size());
    bonuses->UpdateAll(kFrame);
    EXPECT_TRUE(bonuses->bonuses.empty());
}

TEST(SolidarityPlan, DelaysFollowTheBoltAndAFarTargetStillJoinsThePath)
{
    LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
    CBonusSolidarity b;
    std::vector<float> delays;
    // One target 300 away: (300 + 1000) / 1200 - 0.25.
    b.PlanBolts({Vec3{300.0f, 0.0f, 0.0f}}, delays);
    ASSERT_EQ(1u, delays.size());
    EXPECT_NEAR(0.8333333f, delays[0], 1e-5f);
    // A target on the bonus itself.
    b.PlanBolts({Vec3{0.0f, 0.0f, 0.0f}}, delays);
    EXPECT_NEAR(0.5833333f, delays[0], 1e-5f);
    // Delays come back in the order given; a target 5000 away is still reached.
    b.PlanBolts({Vec3{5000.0f, 0.0f, 0.0f}, Vec3{100.0f, 0.0f, 0.0f}}, delays);
    ASSERT_EQ(2u, delays.size());
    EXPECT_NEAR((100.0f + 1000.0f) / 1200.0f - 0.25f, delays[1], 1e-5f);
    EXPECT_NEAR((5000.0f + 1000.0f) / 1200.0f - 0.25f, delays[0], 1e-4f);
    EXPECT_EQ(3u, b.path.size());
    // A lead time longer than the first arrivals starts the chain further out.
    MutableBonusSettings().solidarity.termTime = 1.0f;
    b.PlanBolts({Vec3{100.0f, 0.0f, 0.0f}, Vec3{400.0f, 0.0f, 0.0f}}, delays);
    EXPECT_FLOAT_EQ(400.0f, b.path[1].x);
    EXPECT_NEAR((400.0f + 1000.0f) / 1200.0f - 1.0f, delays[1], 1e-5f);
    EXPECT_NEAR((700.0f + 1000.0f) / 1200.0f - 1.0f, delays[0], 1e-5f);
    LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
}

} // namespace
