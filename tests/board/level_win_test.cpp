// Shipped levels played to their end with random legal moves, as the game
// drives the board: gems on destroyed tokens fly to the gem bar and are
// counted, "no moves" is answered with the shuffle, and once the level's gems
// are in the board drops its tokens and reports the level won.
#include "board_play_fixture.h"

#include "bonuses/Bonus.h"
#include "bonuses/BonusManager.h"
#include "engine/Random.h"
#include "hud/GemsBuffer.h"

#include <cmath>
#include <cstdio>

namespace
{

using board_play::BoardPlay;

constexpr float kWinStep = 1.0f / 30.0f;

class LevelWin : public BoardPlay
{
protected:
    // The game's answer to "no moves": a shuffle, input back once the
    // message is gone.
    void AnswerNoMoves()
    {
        field->Shuffle(1.0f, 30);
        for (int i = 0; i < 300 && !field->capList.caps.empty(); ++i)
            Frame(kWinStep);
        field->SetInputLock(0);
        ++shuffles;
    }

    // Frames until the board rests with a move (shuffling as needed) or the
    // level is won; false when it does neither.
    bool PlayOn()
    {
        for (int i = 0; i < 3000; ++i)
        {
            if (CountEvents(kEventLevelWon) > 0)
                return true;
            if (CountEvents(kEventNoMoves) > 0)
            {
                seen.clear();
                AnswerNoMoves();
                continue;
            }
            if (Settled() && bonuses->IsIdle())
            {
                field->RebuildValueGrid();
                if (field->matchGrid.HasMove(3, false))
                    return true;
            }
            Frame(kWinStep);
        }
        return false;
    }

    CRefPtr<CBonusManager> bonuses;
    CRefPtr<CGemsBuffer> gemBar;
    int shuffles = 0;
};

TEST_F(LevelWin, ShippedLevelsAreWonByCollectingTheirGems)
{
    for (int level : {1, 6, 14})
    {
        SCOPED_TRACE(level);
        Build(unsigned(level) * 7u + 1u);
        bonuses = CRefPtr<CBonusManager>(new CBonusManager());
        gemBar = CRefPtr<CGemsBuffer>(new CGemsBuffer());
        field->bonusManager = bonuses;
        field->gemsBuffer = gemBar;
        char path[256];
        std::snprintf(path, sizeof(path), "%s/Data/Lvl/l%d.lvl", ORB_DATA_SRC_DIR, level);
        StartLevel(level, path);
        const int32_t needed = field->gemsToCollect;
        ASSERT_GT(needed, 0);
        gemBar->SetTotalCells(needed);

        int moves = 0;
        while (CountEvents(kEventLevelWon) == 0 && moves < 1500)
        {
            ASSERT_TRUE(PlayOn()) << "move " << moves;
            if (CountEvents(kEventLevelWon) > 0)
                break;
            seen.clear();
            std::vector<CSwapMove> legal;
            field->matchGrid.CollectMoves(legal, 3, false);
            const CSwapMove& move = legal[size_t(std::floor(RandomUnit() * float(legal.size() - 1)))];
            field->StartSwap(move.column1, move.row1, move.column2, move.row2, 0);
            ++moves;
        }
        ASSERT_EQ(1, CountEvents(kEventLevelWon)) << moves << " moves";
        EXPECT_LT(field->gemsToCollect, 1);
        // Every gem counted reached the bar, in its own colour.
        EXPECT_EQ(size_t(needed - field->gemsToCollect), gemBar->collected.size());
        EXPECT_GE(field->counters.second.GetInt(kCounterBonuses), needed - field->gemsToCollect);
        RecordProperty("Shuffles", shuffles);
    }
}

} // namespace
