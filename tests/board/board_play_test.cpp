// The board played frame by frame from a hand-made level: a wrong swap goes
// back, a swap that makes a line removes it through a terminator, tokens fall
// with their bounce and new ones drop in, a second wave of the cascade reports
// the combo, scores follow the rule formulas, a locked token loses its lock and
// steel stays.
#include "board_play_fixture.h"

#include "hud/TokenSelector.h"

#include <cmath>

namespace
{

using board_play::BoardPlay;
using board_play::Fixture;
using board_play::kFrame;

const char* const kOpening =
    "34563456\n"
    "56345c24\n"
    "34563452\n"
    "56345634\n"
    "3416s456\n"
    "5604s634\n"
    "3406s456\n"
    "11205634\n";

class ScriptedLevel : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        StartLevel(1, Fixture("level_cascade_lock_steel.lvl"));
        ASSERT_GE(RunUntilSettled(), 0);
    }

    std::vector<CCap*> SteelTokens() const
    {
        std::vector<CCap*> out;
        for (const auto& row : field->cells)
            for (const CRefPtr<CCap>& cell : row)
                if (cell && cell->colour == CCap::kSteel)
                    out.push_back(cell.Get());
        return out;
    }

    // Frames until the score changes; its new value, or -1.
    int32_t NextScore(int maxFrames = 300)
    {
        const int32_t before = Score();
        for (int i = 0; i < maxFrames; ++i)
        {
            Frame();
            if (Score() != before)
                return Score();
        }
        return -1;
    }
};

TEST_F(ScriptedLevel, OpensWithTheLevelsBoardAndItsLockedToken)
{
    EXPECT_EQ(kOpening, Picture());
    EXPECT_EQ(3u, SteelTokens().size());
    EXPECT_EQ(0, Score());
    // New tokens dropped from above the board; all arrived and became active.
    for (const CRefPtr<CCap>& cap : field->capList.caps)
    {
        EXPECT_EQ(1, cap->active);
        const Vec3 cell = field->CellToScreen(cap->column, cap->row, false);
        EXPECT_NEAR(cell.x, cap->position[0], 1e-3f);
        EXPECT_NEAR(cell.y, cap->position[1], 1e-3f);
    }
}

TEST_F(ScriptedLevel, ASwapWithoutALineGoesBack)
{
    const CRefPtr<CCap> a = field->cells[5][5], b = field->cells[5][6];
    field->StartSwap(5, 5, 6, 5, 0);
    EXPECT_TRUE(field->cells[5][5] == b);
    EXPECT_EQ(CCap::kMovingAway, a->state);
    EXPECT_FLOAT_EQ(0.4f, a->pathDuration);
    // Halfway the first token is lifted towards the viewer, the second pushed back.
    Vec3 mid;
    a->path.GetPoint(mid, 0.2f);
    EXPECT_FLOAT_EQ(-1.0f, mid.z);
    b->path.GetPoint(mid, 0.2f);
    EXPECT_FLOAT_EQ(1.0f, mid.z);

    for (int i = 0; i < 25; ++i)
        Frame();
    EXPECT_EQ(1, field->wrongMove);
    ASSERT_EQ(1u, field->swapBacks.size());
    EXPECT_TRUE(field->pendingSwaps.empty());
    EXPECT_GE(RunUntilSettled(60), 0);
    EXPECT_EQ(kOpening, Picture());
    EXPECT_TRUE(field->cells[5][5] == a);
    EXPECT_EQ(0, CountEvents(kEventScored));
    EXPECT_TRUE(field->totems.m_requests.empty());
    EXPECT_EQ(0, Score());
}

TEST_F(ScriptedLevel, ALineFallsRefillsAndCascadesIntoASecondWave)
{
    const CRefPtr<CCap> faller = field->cells[4][2];  // colour 1, three rows above the line's foot
    const std::vector<CCap*> steel = SteelTokens();
    field->StartSwap(3, 7, 2, 7, 0);
    for (int i = 0; i < 25; ++i)
        Frame();
    // The line went to one terminator at once; its cells are empty.
    ASSERT_EQ(1u, terminators->active.size());
    EXPECT_EQ(3u, terminators->active[0]->tokens.size());
    EXPECT_FALSE(field->cells[5][2] || field->cells[6][2] || field->cells[7][2]);
    EXPECT_EQ(0, field->wrongMove);

    // The first wave scores once its destruction is over: 3 tokens, chain 1.
    EXPECT_EQ(100, NextScore());
    EXPECT_EQ(1, field->cascadeCounter);
    EXPECT_EQ(1, CountEvents(kEventScored));

    // The token above falls three rows from rest and bounces 5 % of the drop.
    for (int i = 0; i < 10 && faller->state != CCap::kMoving; ++i)
        Frame();
    ASSERT_EQ(CCap::kMoving, faller->state);
    EXPECT_EQ(7, faller->row);
    const float drop = 3.0f * field->cellHeight;
    const float t = std::sqrt(2.0f * drop / 2000.0f);
    EXPECT_NEAR(1.1f * t, faller->pathDuration, 1e-5f);
    const Vec3 target = field->CellToScreen(2, 7, false);
    Vec3 p;
    faller->path.GetPoint(p, t);
    EXPECT_NEAR(target.y, p.y, 1e-3f);
    faller->path.GetPoint(p, 1.05f * t);
    EXPECT_NEAR(target.y + 0.05f * drop, p.y, 1e-3f);
    faller->path.GetPoint(p, 1.1f * t);
    EXPECT_NEAR(target.y, p.y, 1e-3f);

    // It lands beside two of its colour: the second wave, chain 2.
    EXPECT_EQ(300, NextScore());
    EXPECT_GE(field->cascadeCounter, 2);
    EXPECT_FALSE(faller->active);
    ASSERT_GE(RunUntilSettled(), 0);
    ASSERT_GE(CountEvents(kEventCascadeEnd), 1);
    for (const CPlayFieldEvent& e : seen)
    {
        if (e.code == kEventCascadeEnd)
        {
            EXPECT_GE(e.arg, 2);
        }
    }
    EXPECT_EQ(0, field->cascadeCounter);
    EXPECT_EQ(steel, SteelTokens());

    // A settled board has a move, or has told the game it has none.
    field->RebuildValueGrid();
    EXPECT_TRUE(field->matchGrid.HasMove(3, false) || CountEvents(kEventNoMoves) > 0);
}

TEST_F(ScriptedLevel, ALockedTokenInALineLosesItsLockAndStays)
{
    const CRefPtr<CCap> locked = field->cells[1][5];
    const CRefPtr<CCap> plain = field->cells[1][6];
    ASSERT_EQ(1, locked->lockCount);
    const int32_t removedBefore = field->counters.second.GetInt(kCounterTokens);
    field->StartSwap(7, 2, 7, 1, 0);
    EXPECT_EQ(100, NextScore());
    // Only the two unlocked tokens counted as removed; the locked one is back.
    EXPECT_EQ(removedBefore + 2, field->counters.second.GetInt(kCounterTokens));
    EXPECT_TRUE(field->cells[1][5] == locked);
    EXPECT_EQ(0, locked->lockCount);
    EXPECT_EQ(1, locked->active);
    EXPECT_EQ(CCap::kResting, locked->state);
    bool plainListed = false;
    for (const CRefPtr<CCap>& cap : field->capList.caps)
        plainListed |= cap == plain;
    EXPECT_FALSE(plainListed);
    ASSERT_GE(RunUntilSettled(), 0);
    EXPECT_EQ(3u, SteelTokens().size());
}

TEST_F(ScriptedLevel, ASwapBackThatMakesALineRemovesIt)
{
    // Colour 2 at (2, 7) swapped with (1, 7) makes nothing; while it is on its
    // way back a 2 is put below the other end, so the swap back lines up.
    SetBoard({"34563456", "56345624", "34563452", "56345634", "3416s456", "5604s634", "3426s456", "12205634"});
    ASSERT_GE(RunUntilSettled(5), 0);
    field->StartSwap(2, 7, 3, 7, 0);
    for (int i = 0; i < 25; ++i)
        Frame();
    ASSERT_EQ(1u, field->swapBacks.size());
    EXPECT_EQ(1, field->wrongMove);
    // The swap back returns the 2 to (2, 7), under the 2 at (2, 6), with a 2
    // placed at (2, 5) meanwhile: three in column 2.
    field->cells[5][2]->colour = 2;
    for (int i = 0; i < 30 && !field->swapBacks.empty(); ++i)
        Frame();
    EXPECT_TRUE(field->swapBacks.empty());
    EXPECT_EQ(1u, terminators->active.size() + terminators->finished.size());
}

TEST_F(BoardPlay, ASwapThatMakesTwoLinesAppliesBothInOneCheck)
{
    // The 0 moving right completes row 3, the 1 moving left column 2; the
    // column is the first group found. The totems hear the selected token's
    // colour when one of the groups has it, else the first group's colour.
    struct Case
    {
        const char* name;
        int32_t selectedColumn, selectedRow;  // -1: nothing selected
        int32_t requested;
    };
    for (const Case& k : {Case{"nothing selected", -1, -1, 1}, Case{"a 0 selected", 4, 3, 0},
                          Case{"a 1 selected", 2, 1, 1}, Case{"a 6 selected", 1, 0, 1}})
    {
        SCOPED_TRACE(k.name);
        Build(7);
        field->Reset(0);
        SetBoard({"34563456", "56145634", "34163456", "56010034", "34563456", "56345634", "34563456", "56345634"});
        if (k.selectedColumn >= 0)
        {
            field->tokenSelector = CRefPtr<CTokenSelector>(
                new CTokenSelector(CRefPtr<CParticleSystemsManager>(), CRefPtr<CSpriteList>(), CRefPtr<CSpriteBatch>(),
                                   CRefPtr<CTexture>(), CRefPtr<CTexture>()));
            field->tokenSelector->token = field->cells[size_t(k.selectedRow)][size_t(k.selectedColumn)];
        }
        field->StartSwap(2, 3, 3, 3, 0);
        int applied = 0;
        for (int i = 0; i < 30; ++i)
        {
            field->capList.Update(kFrame, -999.0f, -999.0f);
            for (const auto& e : field->capList.events)
                if (e.second == CCap::kEventLeft)
                    field->FinishTokenMove(e.first);
            applied += field->CheckSwap();
        }
        EXPECT_EQ(2, applied);
        EXPECT_EQ(2u, terminators->active.size());
        EXPECT_EQ("34563456\n56.45634\n34.63456\n56....34\n", Picture().substr(0, 36));
        EXPECT_EQ(std::deque<int32_t>{k.requested}, field->totems.m_requests);
    }
}

} // namespace
