// Many random legal moves over shipped levels and seeds: the board never throws,
// never stays unsettled, never sends a legal move back, keeps every token in
// its cell and every steel token on the board (while no bonus is about: a blast takes
// any token), and after every settled move
// either offers a move or tells the game it has none (the test then clears the
// board for a fresh fill, as the game's shuffle does).
#include "board_play_fixture.h"

#include "bonuses/BonusManager.h"
#include "engine/Random.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace
{

using board_play::BoardPlay;

// Sanitizer builds run about ten times slower; they play a fifth of the moves.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORB_SOAK_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(ORB_SOAK_SANITIZED)
constexpr int kMoves = 2000;
#else
constexpr int kMoves = 10000;
#endif
constexpr float kStep = 1.0f / 30.0f;
constexpr int kSettleFrames = 3000;  // 100 s of play

class BoardSoak : public BoardPlay
{
protected:
    // What the game's shuffle leaves: an empty board filled afresh.
    void ClearForFreshFill()
    {
        for (auto& row : field->cells)
            for (CRefPtr<CCap>& cell : row)
            {
                if (!cell)
                    continue;
                if (cell->held && field->bonusManager)
                    field->bonusManager->RemoveBonus(HeldBonus(cell->held));
                field->capList.Remove(cell, true);
                cell.Reset();
            }
        field->fillPending = CPlayField::kFillSavedCells;
        steel.clear();
    }

    // Settles, answering "no moves" with a fresh fill. False when stuck.
    bool Settle()
    {
        for (int round = 0; round < 4; ++round)
        {
            seen.clear();
            if (RunUntilSettled(kSettleFrames, kStep) < 0)
                return false;
            field->RebuildValueGrid();
            if (field->matchGrid.HasMove(3, false))
                return true;
            // No move: the board says so within a quarter second.
            for (int i = 0; i < 10 && CountEvents(kEventNoMoves) == 0; ++i)
                Frame(kStep);
            EXPECT_GT(CountEvents(kEventNoMoves), 0);
            ++noMoveBoards;
            ClearForFreshFill();
        }
        return false;
    }

    void CheckSettledBoard()
    {
        ASSERT_EQ(64u, field->capList.caps.size());
        for (int32_t r = 0; r < 8; ++r)
            for (int32_t c = 0; c < 8; ++c)
            {
                const CRefPtr<CCap>& cap = field->cells[size_t(r)][size_t(c)];
                ASSERT_TRUE(cap);
                ASSERT_EQ(c, cap->column);
                ASSERT_EQ(r, cap->row);
                const Vec3 centre = field->CellToScreen(c, r, false);
                ASSERT_NEAR(centre.x, cap->position[0], 1e-2f);
                ASSERT_NEAR(centre.y, cap->position[1], 1e-2f);
                ASSERT_EQ(CCap::kPlaced, cap->placement);
                if (cap->colour == CCap::kSteel)
                    steel[cap.Get()] = cap;
            }
        std::set<CCap*> listed;
        for (const CRefPtr<CCap>& cap : field->capList.caps)
            listed.insert(cap.Get());
        // Steel never leaves through a match; a bonus's blast takes any token.
        if (!field->bonusManager->bonuses.empty())
        {
            steel.clear();
            return;
        }
        for (const auto& [pointer, cap] : steel)
            ASSERT_TRUE(listed.count(pointer)) << "steel at " << cap->column << "," << cap->row;
    }

    std::map<CCap*, CRefPtr<CCap>> steel;  // kept alive to be looked at when gone
    int noMoveBoards = 0;
};

TEST_F(BoardSoak, RandomLegalMovesOverLevelsAndSeeds)
{
    const int levels[] = {1, 4, 7, 12, 16, 22};
    const unsigned seeds[] = {3, 19};
    const int boards = int(sizeof(levels) / sizeof(levels[0]) * sizeof(seeds) / sizeof(seeds[0]));
    int moves = 0, steelSeen = 0, lockedSeen = 0;
    for (unsigned seed : seeds)
        for (int level : levels)
        {
            Build(seed);
            CRefPtr<CBonusManager> bonuses(new CBonusManager());
            field->bonusManager = bonuses;
            char path[256];
            std::snprintf(path, sizeof(path), "%s/Data/Lvl/l%d.lvl", ORB_DATA_SRC_DIR, level);
            StartLevel(level, path);
            // Enough gems to place that the level goes on for the whole run.
            field->gemsToCollect = 1000000;
            steel.clear();
            for (int m = 0; m < kMoves / boards; ++m)
            {
                ASSERT_TRUE(Settle()) << "level " << level << " seed " << seed << " move " << m;
                CheckSettledBoard();
                if (HasFatalFailure())
                    return;
                for (const CRefPtr<CCap>& cap : field->capList.caps)
                {
                    steelSeen += cap->colour == CCap::kSteel;
                    lockedSeen += cap->lockCount > 0;
                }
                field->RebuildValueGrid();
                std::vector<CSwapMove> legal;
                ASSERT_GT(field->matchGrid.CollectMoves(legal, 3, false), 0);
                const CSwapMove& move = legal[size_t(std::floor(RandomUnit() * float(legal.size() - 1)))];
                ASSERT_TRUE(field->IsSwappable(move.column1, move.row1));
                ASSERT_TRUE(field->IsSwappable(move.column2, move.row2));
                const int32_t score = Score();
                field->wrongMove = 0;
                field->StartSwap(move.column1, move.row1, move.column2, move.row2, 0);
                for (int i = 0; i < 60 && Score() == score; ++i)
                    Frame(kStep);
                ASSERT_EQ(0, field->wrongMove) << "a legal move went back";
                ASSERT_GT(Score(), score);
                ++moves;
            }
            field->Reset(0);
            field->bonusManager.Reset();
        }
    EXPECT_EQ(kMoves / boards * boards, moves);
    // The levels chosen bring steel and locks into play.
    EXPECT_GT(steelSeen, 0);
    EXPECT_GT(lockedSeen, 0);
    RecordProperty("NoMoveBoards", noMoveBoards);
}

} // namespace
