// The refill: falls into gaps with their timing, new tokens from above the
// board, steel and lock limits, the bounded re-rolls, the forced line test of
// long cascades, gems on new tokens, the level layout's colours, and the
// hand-off of a falling bonus.
#include "board_play_fixture.h"

#include "bonuses/BonusManager.h"
#include "saves/QuestSave.h"

#include <cmath>
#include <set>

namespace
{

using board_play::BoardPlay;

const std::vector<std::string> kFull = {"34563456", "56345634", "34563456", "56345634",
                                        "34563456", "56345634", "34563456", "56345634"};

class RefillTest : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        field->fillPending = CPlayField::kFillRandom;
    }

    void Empty(int32_t column, int32_t row)
    {
        CRefPtr<CCap>& cell = field->cells[size_t(row)][size_t(column)];
        field->capList.Remove(cell, true);
        cell.Reset();
    }

    int Count(bool (*test)(const CCap&)) const
    {
        int n = 0;
        for (const auto& row : field->cells)
            for (const CRefPtr<CCap>& cell : row)
                n += cell && test(*cell) ? 1 : 0;
        return n;
    }

    // A hand-made level record: the layout rows, 'x' elsewhere.
    CLevel& Layout(const std::vector<std::string>& begin)
    {
        field->level = CRefPtr<CLevel>(new CLevel());
        CLevel& l = *field->level;
        l.isDefault = 0;
        l.beginRows = begin;
        while (l.beginRows.size() < 8)
            l.beginRows.push_back("xxxxxxxx");
        field->fillPending = CPlayField::kFillLevel;
        return l;
    }
};

TEST_F(RefillTest, AColumnFallsIntoItsGapAndANewTokenDropsFromAboveTheBoard)
{
    SetBoard(kFull);
    Empty(3, 7);
    std::vector<CRefPtr<CCap>> column;
    for (int r = 0; r < 7; ++r)
        column.push_back(field->cells[size_t(r)][3]);
    field->Refill(0, 0);
    const float t = std::sqrt(2.0f * 80.0f / 2000.0f);
    for (int r = 0; r < 7; ++r)
    {
        const CRefPtr<CCap>& cap = column[size_t(r)];
        EXPECT_TRUE(field->cells[size_t(r + 1)][3] == cap) << r;
        EXPECT_EQ(r + 1, cap->row);
        EXPECT_EQ(r, cap->previousRow);
        EXPECT_EQ(CCap::kMoving, cap->state);
        EXPECT_EQ(0, cap->active);
        EXPECT_NEAR(1.1f * t, cap->pathDuration, 1e-5f);
    }
    const CRefPtr<CCap>& fresh = field->cells[0][3];
    ASSERT_TRUE(fresh);
    // Two to three cells above the top row's centre.
    const float top = field->CellToScreen(3, 0, false).y;
    EXPECT_GE(fresh->position[1], top + 2.0f * 80.0f);
    EXPECT_LE(fresh->position[1], top + 3.0f * 80.0f);
    EXPECT_EQ(CCap::kPlaced, fresh->placement);
    EXPECT_EQ(1, fresh->arrival);
    EXPECT_EQ(1, fresh->midpointArmed);
    EXPECT_EQ(1, fresh->look->lightAllowed);
    Vec3 end;
    fresh->path.GetPoint(end, fresh->pathDuration);
    EXPECT_NEAR(top, end.y, 1e-3f);
    // Nothing else moved.
    EXPECT_EQ(CCap::kResting, field->cells[7][2]->state);
}

TEST_F(RefillTest, AnEmptyColumnFillsFromTheBottomEachTokenOneToTwoCellsHigher)
{
    SetBoard(kFull);
    for (int r = 0; r < 8; ++r)
        Empty(5, r);
    field->Refill(0, 0);
    for (int r = 7; r > 0; --r)
    {
        const float below = field->cells[size_t(r)][5]->position[1];
        const float above = field->cells[size_t(r - 1)][5]->position[1];
        EXPECT_GE(above - below, 80.0f);
        EXPECT_LE(above - below, 160.0f);
    }
}

TEST_F(RefillTest, SteelAndLocksStayWithinTheirLimits)
{
    struct Case
    {
        float steelChance;
        int32_t steelCount;
        float lockChance;
        int32_t lockCount;
        int steel;
        int locked;
    };
    for (const Case& k : {Case{1.0f, 2, 0.0f, 5, 2, 0}, Case{0.0f, 0, 1.0f, 3, 0, 3}, Case{0.5f, 4, 1.0f, 0, 4, 0}})
    {
        field->Reset(0);
        field->fillPending = CPlayField::kFillRandom;
        field->steelChance = k.steelChance;
        field->steelCount = k.steelCount;
        field->lockChance = k.lockChance;
        field->lockCount = k.lockCount;
        field->Refill(0, 0);
        EXPECT_EQ(k.steel, Count([](const CCap& c) { return c.colour == CCap::kSteel; }));
        EXPECT_EQ(k.locked, Count([](const CCap& c) { return c.lockCount > 0; }));
        EXPECT_EQ(0, Count([](const CCap& c) { return c.colour == CCap::kSteel && c.lockCount > 0; }));
    }
}

TEST_F(RefillTest, ReRollsForNoLineAndAMoveAreBoundedAndLeaveAMove)
{
    // One colour always lines up and two rarely leave no line: the roll gives
    // up on lines and keeps a board with a move.
    for (const std::vector<int32_t>& colours : {std::vector<int32_t>{2}, std::vector<int32_t>{1, 2}})
    {
        field->Reset(0);
        field->fillPending = CPlayField::kFillRandom;
        field->capsSet = colours;
        field->Refill(1, 1);
        EXPECT_EQ(64u, field->capList.caps.size());
        EXPECT_TRUE(field->matchGrid.HasMove(3, false));
    }
    // With enough colours the roll is kept from lines and leaves a move.
    field->Reset(0);
    field->fillPending = CPlayField::kFillRandom;
    field->capsSet = {0, 1, 2, 3, 4};
    field->Refill(1, 1);
    EXPECT_FALSE(field->matchGrid.HasLine(3, false));
    EXPECT_TRUE(field->matchGrid.HasMove(3, false));
}

TEST_F(RefillTest, LongCascadesOnFewColoursKeepNewTokensFromLines)
{
    for (unsigned seed = 1; seed <= 10; ++seed)
    {
        crt::srand(seed);
        field->Reset(0);
        field->fillPending = CPlayField::kFillRandom;
        field->capsSet = {0, 1, 2, 3, 4, 5};
        field->cascadeCounter = 10;
        field->Refill(0, 0);
        EXPECT_FALSE(field->matchGrid.HasLine(3, false)) << seed;
    }
}

TEST_F(RefillTest, NewTokensGetGemsByTheLevelsRatio)
{
    CRefPtr<CBonusManager> bonuses(new CBonusManager());
    field->bonusManager = bonuses;
    struct Case
    {
        int gaps;
        int32_t gemsToPlace;
        int marked;
    };
    for (const Case& k : {Case{2, 5, 0}, Case{3, 5, 1}, Case{6, 5, 2}, Case{6, 1, 1}, Case{3, 0, 0}})
    {
        SetBoard(kFull);
        for (int c = 0; c < k.gaps; ++c)
            Empty(c, 0);
        field->gemsToPlace = k.gemsToPlace;
        field->Refill(0, 0);
        const int marked = Count([](const CCap& c) { return c.marked != 0; });
        EXPECT_EQ(k.marked, marked) << k.gaps;
        EXPECT_EQ(k.gemsToPlace - k.marked, field->gemsToPlace);
        EXPECT_EQ(size_t(marked), bonuses->bonuses.size());
        for (const auto& row : field->cells)
            for (const CRefPtr<CCap>& cell : row)
                if (cell->marked)
                {
                    ASSERT_TRUE(cell->held);
                    EXPECT_EQ(kBonusGem, HeldBonus(cell->held)->kind);
                }
        bonuses->ClearBonuses();
    }
    field->bonusManager.Reset();
}

TEST_F(RefillTest, LayoutLettersShareColoursAndGroupsNeverMix)
{
    field->capsSet = {0, 1, 2, 3, 4};
    for (unsigned seed = 1; seed <= 8; ++seed)
    {
        crt::srand(seed);
        field->Reset(0);
        CLevel& l = Layout({"aabbaabb", "AAAABBBB", "xxxxxxxx", "BBBBAAAA"});
        l.groupLetters = {'A', 'B'};
        l.groupSizes = {2, 3};
        field->Refill(1, 1);
        const auto colour = [this](int c, int r) { return field->cells[size_t(r)][size_t(c)]->colour; };
        EXPECT_EQ(colour(0, 0), colour(1, 0));
        EXPECT_EQ(colour(0, 0), colour(5, 0));
        EXPECT_EQ(colour(2, 0), colour(7, 0));
        EXPECT_NE(colour(0, 0), colour(2, 0));
        std::set<int32_t> a, b;
        for (int c = 0; c < 4; ++c)
        {
            a.insert(colour(c, 1));
            a.insert(colour(c + 4, 3));
            b.insert(colour(c + 4, 1));
            b.insert(colour(c, 3));
        }
        EXPECT_LE(a.size(), 2u);
        EXPECT_LE(b.size(), 3u);
        for (int32_t x : a)
            EXPECT_EQ(0u, b.count(x)) << seed;
    }
}

TEST_F(RefillTest, LayoutFixesColoursSteelLocksGemsAndFixedTokens)
{
    CLevel& l = Layout({"0123456s"});
    l.lockRows = {"-2------", "--------", "--------", "--------",
                  "--------", "--------", "--------", "--------"};
    l.fixedRows = {"f-------"};
    l.gemRows = {"---g----"};
    field->gemsToPlace = 5;
    field->Refill(1, 1);
    EXPECT_EQ("0b23456s", Picture().substr(0, 8));
    EXPECT_EQ(2, field->cells[0][1]->lockCount);
    EXPECT_EQ(1, field->cells[0][0]->fixed);
    EXPECT_EQ(0, field->cells[0][1]->fixed);
    EXPECT_EQ(1, field->cells[0][3]->marked);
    EXPECT_EQ(4, field->gemsToPlace);
}

TEST_F(RefillTest, ALayoutThatAlwaysHoldsALineIsStillAccepted)
{
    // Fixed colours in a line can never be drawn without it: past the bound a
    // layout with a move stands, and the cascade search removes the line.
    Layout({"111xxxxx"});
    field->Refill(1, 1);
    EXPECT_EQ("111", Picture().substr(0, 3));
    EXPECT_TRUE(field->matchGrid.HasMove(3, false));
}

TEST_F(RefillTest, TheTotemTipsLayoutGivesLetterAThePowerTotemsColour)
{
    field->capsSet = {0, 2, 4, 6};
    field->totems.m_levels[6] = 1;
    field->tutorialStep = 7;
    Layout({"axaxaxax"});
    field->Refill(1, 1);
    for (int c = 0; c < 8; c += 2)
        EXPECT_EQ(6, field->cells[0][size_t(c)]->colour);
    EXPECT_EQ(6, field->tutorialColour);
}

TEST_F(RefillTest, AShuffleBringsItsFixedTokensBackInTheirCells)
{
    CRefPtr<CBonusManager> bonuses(new CBonusManager());
    field->bonusManager = bonuses;
    field->savedCells.assign(8, std::vector<CSavedCell>(8));
    CSavedCell& fixedCell = field->savedCells[2][5];
    fixedCell.random = 0;
    fixedCell.colour = 3;
    fixedCell.lockCount = 2;
    CSavedCell& gemCell = field->savedCells[6][1];
    gemCell.random = 0;
    gemCell.colour = 4;
    gemCell.marked = 1;
    field->fillPending = CPlayField::kFillSavedCells;
    field->gemsToPlace = 3;
    field->Refill(1, 1);
    const CRefPtr<CCap>& a = field->cells[2][5];
    EXPECT_EQ(3, a->colour);
    EXPECT_EQ(2, a->lockCount);
    EXPECT_EQ(1, a->fixed);
    const CRefPtr<CCap>& b = field->cells[6][1];
    EXPECT_EQ(4, b->colour);
    EXPECT_EQ(1, b->marked);
    ASSERT_TRUE(b->held);
    EXPECT_EQ(kBonusGem, HeldBonus(b->held)->kind);
    // Only the preset cells carry gems; the gem is taken back from those to place.
    EXPECT_EQ(1, Count([](const CCap& c) { return c.marked != 0; }));
    EXPECT_EQ(2, field->gemsToPlace);
    EXPECT_EQ(2, Count([](const CCap& c) { return c.fixed != 0; }));
    bonuses->ClearBonuses();
    field->bonusManager.Reset();
}

TEST_F(RefillTest, ARestoredSaveRefillsItsBoardAndItsTotemState)
{
    CQuestSave save;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            save.grids[0][size_t(r)][size_t(c)] = kFull[size_t(r)][size_t(c)] - '0' + 1;
    save.grids[0][0][0] = -(2 + 1);  // a gem on a token of colour 2
    save.grids[1][4][4] = 3;         // three locks
    save.grids[4][7][7] = 1;         // fixed
    save.totemShield = 1;
    save.totemIndex = 5;
    field->savedQuest = &save;
    field->fillPending = CPlayField::kFillQuestSave;
    field->steelChance = 0.5f;
    field->Refill(1, 1);
    std::string expected;
    for (const std::string& row : kFull)
        expected += row + "\n";
    expected[0] = '2';
    expected[4 * 9 + 4] = char('a' + (kFull[4][4] - '0'));
    EXPECT_EQ(expected, Picture());
    EXPECT_EQ(3, field->cells[4][4]->lockCount);
    EXPECT_EQ(1, field->cells[0][0]->marked);
    EXPECT_EQ(1, field->cells[7][7]->fixed);
    EXPECT_EQ(0, field->cells[7][6]->fixed);
    EXPECT_EQ(1, field->totems.m_shieldMode);
    EXPECT_FLOAT_EQ(0.0f, field->steelChance);
    EXPECT_EQ(std::deque<int32_t>{5}, field->totems.m_requests);
}

TEST_F(RefillTest, AFallingBonusMovesToAnotherTokenOrLeaves)
{
    SetBoard({"12"});
    const CRefPtr<CCap> from = field->cells[0][0], other = field->cells[0][1];
    CRefPtr<CBonus> bonus(new CBonus());
    from->SetHeld(bonus);

    bonus->state = kBonusPlaced;  // a placed bonus stays with its token
    EXPECT_EQ(1, field->HandOffBonus(from));
    EXPECT_TRUE(from->held == bonus);

    bonus->state = kBonusFalling;
    EXPECT_EQ(1, field->HandOffBonus(from));
    EXPECT_FALSE(from->held);
    EXPECT_TRUE(other->held == bonus);
    EXPECT_EQ(2, bonus->colour);

    // Nobody left to take it: it is sent away.
    other->lockCount = 1;
    bonus->state = kBonusFalling;
    other->held.Reset();
    from->SetHeld(bonus);
    EXPECT_EQ(0, field->HandOffBonus(from));
    EXPECT_FALSE(from->held);
    EXPECT_EQ(kBonusLeaving, bonus->state);
}

} // namespace
