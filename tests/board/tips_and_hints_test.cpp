// The tip picker's rules (follow-up pages, gates, the tips of levels, clocks,
// wrong moves, locks and steel) and the move hints handed to the adviser.
#include "board_play_fixture.h"

#include "effects/Sandbox.h"
#include "saves/Profiles.h"

namespace
{

using board_play::BoardPlay;

using board_play::kQuiet;

class Tips : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        field->fillPending = CPlayField::kFillRandom;
        player = CRefPtr<CPlayerSettings>(new CPlayerSettings("Tester"));
        player->questTutorial = 1;
        for (int32_t& flag : player->tipsSeen)
            flag = 0;
        field->playerSettings = player;
        SetBoard(kQuiet);
    }

    void Shown(std::initializer_list<int32_t> tips)
    {
        for (int32_t tip : tips)
            player->tipsSeen[tip - 1] = 1;
    }

    std::pair<int32_t, int32_t> Pick()
    {
        int32_t page = -1;
        const int32_t tip = field->PickTip(page);
        return {tip, page};
    }

    CRefPtr<CPlayerSettings> player;
};

TEST_F(Tips, FollowUpPagesComeWhateverTheBoardShows)
{
    struct Case
    {
        int32_t tip, page, nextPage;
    };
    for (const Case& k : {Case{1, 2, 4}, Case{6, 2, 4}, Case{7, 0, 2}, Case{7, 4, 6}, Case{7, 8, 10}})
    {
        SCOPED_TRACE(k.tip * 100 + k.page);
        field->tutorialStep = k.tip;
        field->tutorialDetail = k.page;
        field->SetInputLock(1);
        EXPECT_EQ(std::make_pair(k.tip, k.nextPage), Pick());
    }
    // A page with no follow-up keeps every other tip back while it is posted.
    field->SetInputLock(0);
    field->tutorialStep = 7;
    field->tutorialDetail = 2;
    EXPECT_EQ(0, Pick().first);
    // Tips off: nothing, not even a follow-up page.
    player->questTutorial = 0;
    field->tutorialDetail = 0;
    EXPECT_EQ(0, Pick().first);
}

TEST_F(Tips, NewTipsOnlyInQuietNormalPlay)
{
    rules.Set(0, 1);
    EXPECT_EQ(std::make_pair(1, 0), Pick());
    field->SetInputLock(1);
    EXPECT_EQ(0, Pick().first);
    field->SetInputLock(0);
    field->selectionCancelled = 1;
    EXPECT_EQ(0, Pick().first);
    field->selectionCancelled = 0;
    field->playKind = 1;
    EXPECT_EQ(0, Pick().first);
}

TEST_F(Tips, TipsByLevelClockMovesAndTokens)
{
    struct Case
    {
        const char* name;
        int32_t level;
        std::vector<int32_t> shown;
        float clock;
        int32_t wrongMove;
        char token;  // put into cell (0, 0): 'm' marked, 'l' locked, 's' steel, '-' none
        int32_t tip;
    };
    for (const Case& k : {
             Case{"gem tip on level 1", 1, {1}, 0.0f, 0, 'm', 2},
             Case{"level 1 without a gem stops the pick", 1, {1}, 35.0f, 0, '-', 0},
             Case{"timer after 30 s", 3, {}, 30.0f, 0, '-', 4},
             Case{"not before", 3, {}, 29.5f, 0, '-', 0},
             Case{"sand glass after 60 s from level 2", 2, {4}, 60.0f, 0, '-', 5},
             Case{"not on level 1", 1, {1, 2, 4}, 60.0f, 0, '-', 0},
             Case{"wrong move", 3, {}, 0.0f, 1, '-', 3},
             Case{"bonus tip on level 2", 2, {}, 0.0f, 0, '-', 6},
             Case{"lock tip from level 6 with a lock", 6, {}, 0.0f, 0, 'l', 8},
             Case{"no lock, no tip", 6, {}, 0.0f, 0, '-', 0},
             Case{"steel tip from level 14", 14, {8}, 0.0f, 0, 's', 9},
             Case{"steel before level 14", 13, {8}, 0.0f, 0, 's', 0},
         })
    {
        SCOPED_TRACE(k.name);
        for (int32_t& flag : player->tipsSeen)
            flag = 0;
        for (int32_t tip : k.shown)
            Shown({tip});
        rules.Set(0, k.level);
        field->counters.third.SetFloat(k.clock, kCounterTime);
        field->wrongMove = k.wrongMove;
        SetBoard(kQuiet);
        const CRefPtr<CCap>& cap = field->cells[0][0];
        if (k.token == 'm')
            cap->marked = 1;
        else if (k.token == 'l')
            cap->SetLockCount(1);
        else if (k.token == 's')
            cap->colour = CCap::kSteel;
        EXPECT_EQ(std::make_pair(k.tip, 0), Pick());
    }
}

TEST_F(Tips, WrongMoveTipAtMostThreeTimesALevel)
{
    rules.Set(0, 3);
    Shown({4});
    int32_t shownCount = 0;
    for (int i = 0; i < 5; ++i)
    {
        field->wrongMove = 1;
        if (Pick().first == 3)
            ++shownCount;
    }
    EXPECT_EQ(3, shownCount);
    EXPECT_EQ(3, field->wrongMoveCount);
}

TEST_F(Tips, SettledBoardPostsItsTip)
{
    rules.Set(0, 1);
    Frame();
    ASSERT_EQ(1, CountEvents(kEventTip));
    EXPECT_EQ(1, seen.back().tip);
    EXPECT_EQ(1, field->tutorialStep);
    EXPECT_EQ(0, field->sandbox->heap->drainOn);
}

TEST_F(Tips, HintsPointOnceAtEveryTokenOfAMove)
{
    // Two moves share the cell (2, 7): swapping it with (3, 7) or (2, 6).
    std::vector<std::string> board = kQuiet;
    board[6] = "34263456";
    board[7] = "22324563";
    SetBoard(board);
    field->RebuildValueGrid();
    std::vector<CSwapMove> moves;
    field->matchGrid.CollectMoves(moves, 3, false);
    ASSERT_GE(moves.size(), 2u);
    field->ShowMoveHints();
    const std::vector<Vec3>& places = field->adviser.groupArrowPlaces;
    ASSERT_FALSE(places.empty());
    for (size_t i = 0; i < places.size(); ++i)
        for (size_t j = i + 1; j < places.size(); ++j)
            EXPECT_FALSE(places[i].x == places[j].x && places[i].y == places[j].y);
    const Vec3 shared = field->CellToScreen(2, 7, true);
    int found = 0;
    for (const Vec3& p : places)
        found += p.x == shared.x && p.y == shared.y + 0.3f * field->cellHeight ? 1 : 0;
    EXPECT_EQ(1, found);

    // A board that already holds a line shows nothing new.
    field->adviser.groupArrowPlaces.clear();
    board[0] = "00063456";
    SetBoard(board);
    field->ShowMoveHints();
    EXPECT_TRUE(field->adviser.groupArrowPlaces.empty());
}

// The second hint asks whether a gem lies low on the board: only the last n rows
// count, and a hole in them is no token.
TEST_F(Tips, AGemCountsAsLowOnlyInTheLastRowsAsked)
{
    struct Case
    {
        int32_t column, row, n;
        bool low;
    };
    const Case cases[] = {
        {0, 7, 1, true},  {7, 7, 1, true},   {4, 6, 1, false}, {4, 6, 2, true},  {2, 5, 3, true},
        {2, 4, 3, false}, {2, 0, 8, true},   {2, 0, 9, true},  {5, 7, 0, false}, {5, 7, -1, false},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(::testing::Message() << k.column << "," << k.row << " in the last " << k.n);
        SetBoard(kQuiet);
        EXPECT_FALSE(field->HasMarkedCapInBottomRows(8)) << "a board without gems";
        field->cells[size_t(k.row)][size_t(k.column)]->marked = 1;
        EXPECT_EQ(k.low, field->HasMarkedCapInBottomRows(k.n));
    }

    // Empty cells in the bottom rows are passed over, not mistaken for tokens.
    std::vector<std::string> holes = kQuiet;
    holes[7] = "........";
    holes[6] = "3456....";
    SetBoard(holes);
    EXPECT_FALSE(field->HasMarkedCapInBottomRows(3));
    field->cells[5][7]->marked = 1;
    EXPECT_TRUE(field->HasMarkedCapInBottomRows(3));
}

} // namespace
