// The line-of-four bonuses on a running board: a long line makes a bonus of
// the level's kinds on a plain token, and destroying its token fires it: the
// TNT blasts the cells its level reaches, and the board removes their tokens.
#include "board_play_fixture.h"

#include "board/BoardGeometry.h"
#include "bonuses/BonusManager.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusTNT.h"
#include "hud/GemsBuffer.h"

#include <utility>

namespace
{

using board_play::BoardPlay;
using board_play::kFrame;
using Cells = std::vector<std::pair<int, int>>; // (column, row)

using board_play::kQuiet;

class BonusBlast : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        bonuses = CRefPtr<CBonusManager>(new CBonusManager());
        field->bonusManager = bonuses;
        field->gemsBuffer = CRefPtr<CGemsBuffer>(new CGemsBuffer());
        g_totemBoardGeometry = TotemBoardGeometry{};
    }

    // Only the kind at `index` (0 TNT, 1 flash, 2 time, ...) of the given level.
    void OnlyKind(int index, int32_t level)
    {
        rules.kindLevels.assign(6, -1);
        rules.kindLevels[size_t(index)] = level;
    }

    // A bonus made by the factory, resting on the token in (column, row).
    CRefPtr<CBonus> Make(int32_t kind, int32_t level, int column, int row)
    {
        return PlaceBonus(*bonuses, kind, level, column, row);
    }

    // The cells of this frame's cell-hit events, after checking the kind's own event leads.
    Cells FiredCells(int32_t firedKind, int32_t level)
    {
        Cells cells;
        const BonusEventVector& e = bonuses->events;
        EXPECT_FALSE(e.empty());
        if (e.empty())
            return cells;
        EXPECT_EQ(firedKind, e.At(0).kind);
        EXPECT_EQ(level, e.At(0).value1);
        for (size_t i = 1; i < e.size(); ++i)
        {
            EXPECT_EQ(kBonusEventCellHit, e.At(i).kind);
            EXPECT_EQ(level, e.At(i).value1);
            cells.emplace_back(e.At(i).value2, e.At(i).value3);
        }
        return cells;
    }

    CRefPtr<CBonusManager> bonuses;
};

TEST_F(BonusBlast, LineOfFourMakesABonusOfTheLevelsKindOnAPlainToken)
{
    OnlyKind(0, 2);
    std::vector<std::string> board = kQuiet;
    board[7] = "22223456";
    SetBoard(board);
    for (int i = 0; i < 240 && bonuses->bonuses.empty(); ++i)
        Frame();
    ASSERT_EQ(1u, bonuses->bonuses.size());
    const CRefPtr<CBonus> b = bonuses->bonuses[0];
    EXPECT_EQ(kBonusTNT, b->kind);
    EXPECT_EQ(2, b->level);
    EXPECT_TRUE(dynamic_cast<CBonusTNT*>(b.Get()));
    for (int i = 0; i < 120 && b->state != kBonusPlaced; ++i)
        Frame();
    EXPECT_EQ(kBonusPlaced, b->state);
    const CRefPtr<CCap>* host = field->CellAt(b->column, b->row);
    ASSERT_TRUE(host && *host);
    EXPECT_TRUE((*host)->held.SameAs(b));
    EXPECT_LT((*host)->colour, 99);
}

// As the player meets them: a line of four makes each of the plain kinds, a line of
// five the preferred ones, and a line of four never makes those two even when they
// are the only kinds owned; each made bonus fires its own events when its token breaks.
TEST_F(BonusBlast, LinesMakeTheirKindsAndEachFiresWhenItsTokenBreaks)
{
    const char* const four = "22223456";
    const char* const five = "22222456";
    struct Case
    {
        const char* name;
        const char* line;
        std::vector<int32_t> kindLevels; // 0 TNT, 1 flash, 2 time, 3 adviser, 4 score, 5 solidarity
        int32_t kind;                    // 0: no bonus
        int32_t fired;
    };
    const Case cases[] = {
        {"TNT", four, {1, -1, -1, -1, -1, -1}, kBonusTNT, kBonusEventTntFired},
        {"flash", four, {-1, 1, -1, -1, -1, -1}, kBonusFlash, kBonusEventFlashFired},
        {"time", four, {-1, -1, 1, -1, -1, -1}, kBonusTime, kBonusEventTimeFired},
        {"score", four, {-1, -1, -1, -1, 1, -1}, kBonusScore, kBonusEventScoreFired},
        {"adviser", five, {1, 1, 1, 1, 1, -1}, kBonusAdviser, kBonusEventAdviserFired},
        {"solidarity", five, {1, 1, 1, -1, 1, 1}, kBonusSolidarity, kBonusEventSolidarityFired},
        {"four with only the preferred kinds", four, {-1, -1, -1, 1, -1, 1}, 0, 0},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        Build(4);
        SetUp();
        rules.kindLevels = k.kindLevels;
        std::vector<std::string> board = kQuiet;
        board[7] = k.line;
        SetBoard(board);
        for (int i = 0; i < 240 && bonuses->bonuses.empty() && Score() == 0; ++i)
            Frame();
        for (int i = 0; i < 120 && bonuses->bonuses.empty(); ++i)
            Frame();
        if (k.kind == 0)
        {
            EXPECT_GT(Score(), 0) << "the line broke";
            EXPECT_TRUE(bonuses->bonuses.empty());
            continue;
        }
        ASSERT_EQ(1u, bonuses->bonuses.size());
        const CRefPtr<CBonus> b = bonuses->bonuses[0];
        EXPECT_EQ(k.kind, b->kind);
        EXPECT_EQ(1, b->level);
        for (int i = 0; i < 120 && b->state != kBonusPlaced; ++i)
            Frame();
        ASSERT_EQ(kBonusPlaced, b->state);
        bonuses->events.clear();
        field->ActivateBonus(b);
        bonuses->UpdateAll(kFrame);
        ASSERT_FALSE(bonuses->events.empty());
        EXPECT_EQ(k.fired, bonuses->events.At(0).kind);
    }
}

TEST_F(BonusBlast, TntBlastsTheCellsOfItsLevelAndTheBoardRemovesThem)
{
    struct Case
    {
        int32_t level;
        int column, row;
        Cells cells;
    };
    const Case cases[] = {
        {0, 3, 3, {{3, 2}, {2, 3}, {3, 3}, {4, 3}, {3, 4}}},
        {1, 3, 3, {{2, 2}, {3, 2}, {4, 2}, {2, 3}, {3, 3}, {4, 3}, {2, 4}, {3, 4}, {4, 4}}},
        {2, 3, 3, {{3, 1}, {2, 2}, {3, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3},
                   {2, 4}, {3, 4}, {4, 4}, {3, 5}}},
        {3, 0, 0, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}}},
        // Beyond the last picture the level still drives the blast and the events.
        {6, 7, 7, {{6, 5}, {7, 5}, {5, 6}, {6, 6}, {7, 6}, {5, 7}, {6, 7}, {7, 7}}},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.level);
        Build(4);
        SetUp();
        SetBoard(kQuiet);
        const CRefPtr<CBonus> b = Make(kBonusTNT, k.level, k.column, k.row);
        field->ActivateBonus(b);
        EXPECT_FALSE(b->IsEffectDone());
        bonuses->UpdateAll(kFrame);
        EXPECT_EQ(k.cells, FiredCells(kBonusEventTntFired, k.level));
        field->HandleBonusEvents();
        EXPECT_EQ(k.cells.size(), terminators->active.size());
        // Its events handed over, the bonus leaves the list on the next update.
        bonuses->UpdateAll(kFrame);
        EXPECT_TRUE(bonuses->bonuses.empty());
    }
}

TEST_F(BonusBlast, FlashStrikesItsRowAndColumnsByLevel)
{
    struct Case
    {
        int32_t level;
        int column, row;
        Cells cells;
    };
    const Case cases[] = {
        {0, 3, 2, {{3, 2}, {3, 1}, {3, 0}}},
        {0, 4, 0, {{4, 0}}},
        {1, 3, 5, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}},
        {2, 1, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {1, 0}}},
        {3, 2, 5, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5},
                   {2, 4}, {2, 3}, {2, 2}, {2, 1}, {2, 0}, {2, 6}, {2, 7}}},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.level);
        Build(4);
        SetUp();
        SetBoard(kQuiet);
        const CRefPtr<CBonus> b = Make(kBonusFlash, k.level, k.column, k.row);
        field->ActivateBonus(b);
        bonuses->UpdateAll(kFrame);
        EXPECT_EQ(k.cells, FiredCells(kBonusEventFlashFired, k.level));
        field->HandleBonusEvents();
        EXPECT_EQ(k.cells.size(), terminators->active.size());
    }
}

TEST_F(BonusBlast, TimeBonusTwirlsToTheClockAndAddsItsSeconds)
{
    SetBoard(kQuiet);
    const TimeSettings& t = GetBonusSettings().time;
    const CRefPtr<CBonus> b = Make(kBonusTime, 2, 3, 3);
    field->ActivateBonus(b);
    bonuses->UpdateAll(kFrame);
    ASSERT_EQ(1u, bonuses->events.size());
    EXPECT_EQ(kBonusEventTimeFired, bonuses->events.At(0).kind);
    std::vector<float> seconds;
    float elapsed = kFrame;
    for (int i = 0; i < 120 && !bonuses->bonuses.empty(); ++i)
    {
        bonuses->UpdateAll(kFrame);
        elapsed += kFrame;
        for (const BonusEvent& e : bonuses->events)
            if (e.kind == kBonusEventTimeArrived)
            {
                // It arrives after swelling and flying, not before.
                EXPECT_GE(elapsed + 1e-4f, t.preFlyTime + t.flyTime);
                EXPECT_EQ(2, e.value1);
            }
        field->HandleBonusEvents();
        for (const CPlayFieldEvent& e : field->events)
            if (e.code == kEventBonusTime)
                seconds.push_back(e.seconds);
        field->events.clear();
    }
    EXPECT_EQ(std::vector<float>{20.0f}, seconds);
    EXPECT_TRUE(bonuses->bonuses.empty());
    EXPECT_TRUE(terminators->active.empty());
}

TEST_F(BonusBlast, ATimeBonusThatVanishedWithoutFiringOnlyWaitsForItsEvents)
{
    SetBoard(kQuiet);
    const CRefPtr<CBonus> b = Make(kBonusTime, 0, 2, 2);
    b->StartVanish(0.1f);
    for (int i = 0; i < 20 && b->state != kBonusEffect; ++i)
        EXPECT_TRUE(b->Update(kFrame));
    ASSERT_EQ(kBonusEffect, b->state);
    ASSERT_EQ(1u, b->events.size());
    EXPECT_EQ(kBonusEventNeedsHost, b->events[0].kind);
    EXPECT_TRUE(b->Update(1.0f));
    b->events.clear();
    EXPECT_FALSE(b->Update(1.0f));
}

TEST_F(BonusBlast, FactoryMakesTheBuiltKindsOnly)
{
    CRefPtr<CBonus> b;
    for (int type : {1, 8, -3})
    {
        bonuses->CreateBonus(b, type, 1, 0, 1);
        EXPECT_FALSE(b) << type;
    }
    EXPECT_TRUE(bonuses->bonuses.empty());
    bonuses->CreateBonus(b, kBonusTNT, 2, 1, 0);
    ASSERT_TRUE(b);
    EXPECT_EQ(0, b->active);
    EXPECT_EQ(2, b->level);
    EXPECT_TRUE(bonuses->bonuses.empty());
}

} // namespace
