// The board's side of the bonuses: a gem on a matched token flies to the gem
// bar and is counted; each bonus kind's activation (shake, solidarity targets,
// the activation counter); and the bonus events the board carries out (cells
// hit, new hosts, time and advice, redirects).
#include "board_play_fixture.h"

#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"
#include "hud/GemsBuffer.h"

#include <algorithm>

namespace
{

using board_play::BoardPlay;

// No line anywhere; rows of four colours.
using board_play::kQuiet;

class BonusBoard : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        Attach();
    }

    void Attach()
    {
        field->fillPending = CPlayField::kFillRandom;
        bonuses = CRefPtr<CBonusManager>(new CBonusManager());
        gemBar = CRefPtr<CGemsBuffer>(new CGemsBuffer());
        field->bonusManager = bonuses;
        field->gemsBuffer = gemBar;
    }

    CRefPtr<CBonus> GiveGem(const CRefPtr<CCap>& cap)
    {
        CRefPtr<CBonus> gem;
        bonuses->CreateGem(gem, cap->colour, 1);
        const float x = cap->position[0] + field->origin[0], y = cap->position[1] + field->origin[1];
        gem->Place(x, y, field->origin[2], cap->radius, cap->column, cap->row);
        cap->SetHeld(gem);
        cap->marked = 1;
        return gem;
    }

    // A plain bonus of the kind on the token, placed, as the manager keeps it.
    CRefPtr<CBonus> GiveBonus(const CRefPtr<CCap>& cap, int32_t kind, int32_t level)
    {
        CRefPtr<CBonus> b(new CBonus());
        b->kind = kind;
        b->level = level;
        b->Place(0.0f, 0.0f, 0.0f, cap->radius, cap->column, cap->row);
        bonuses->AddBonus(b);
        cap->SetHeld(b);
        return b;
    }

    int32_t Activations() const { return field->counters.second.GetInt(kCounterBonuses); }

    // Tokens still on the board and active, as a picture: '.' for gone.
    int32_t CountActive() const
    {
        int32_t n = 0;
        for (const auto& row : field->cells)
            for (const CRefPtr<CCap>& cap : row)
                n += cap && cap->active ? 1 : 0;
        return n;
    }

    CRefPtr<CBonusManager> bonuses;
    CRefPtr<CGemsBuffer> gemBar;
};

TEST_F(BonusBoard, GemOnAMatchedTokenFliesToTheBarAndIsCounted)
{
    std::vector<std::string> board = kQuiet;
    board[7] = "22234563";
    SetBoard(board);
    field->gemsToCollect = 3;
    const CRefPtr<CBonus> gem = GiveGem(field->cells[7][1]);
    const CBonusGem* g = dynamic_cast<const CBonusGem*>(gem.Get());
    ASSERT_TRUE(g);

    bool flew = false;
    for (int i = 0; i < 600 && field->gemsToCollect == 3; ++i)
    {
        Frame();
        if (gem->state == kBonusEffect && !flew)
        {
            flew = true;
            // The first gem to fly aims at the bar's anchor for its colour, count 1.
            Vec3 anchor{0, 0, 0};
            gemBar->GetCellAnchor(anchor, 2, 1);
            EXPECT_FLOAT_EQ(anchor.x, g->destination[0]);
            EXPECT_FLOAT_EQ(anchor.y, g->destination[1]);
            EXPECT_EQ(1, Activations());
        }
    }
    EXPECT_TRUE(flew);
    EXPECT_EQ(2, field->gemsToCollect);
    ASSERT_EQ(1u, gemBar->collected.size());
    EXPECT_EQ(2, gemBar->collected[0]);
    EXPECT_EQ(kBonusDone, gem->state);
    Frame();
    EXPECT_EQ(bonuses->bonuses.end(), std::find(bonuses->bonuses.begin(), bonuses->bonuses.end(), gem));
    EXPECT_EQ(1, Activations());
}

TEST_F(BonusBoard, GemAimsPastTheGemsAlreadyFlying)
{
    SetBoard(kQuiet);
    for (int32_t flying : {0, 2})
    {
        SCOPED_TRACE(flying);
        bonuses->ClearBonuses();
        for (int32_t i = 0; i < flying; ++i)
        {
            CRefPtr<CBonus> other;
            bonuses->CreateGem(other, 5, 1);  // any colour counts
            other->state = kBonusEffect;
        }
        CRefPtr<CBonus> gem = GiveGem(field->cells[3][3]);
        field->ActivateBonus(gem);
        Vec3 anchor{0, 0, 0};
        gemBar->GetCellAnchor(anchor, field->cells[3][3]->colour, flying + 1);
        EXPECT_FLOAT_EQ(anchor.x, dynamic_cast<CBonusGem*>(gem.Get())->destination[0]);
        field->cells[3][3]->held.Reset();
    }
}

TEST_F(BonusBoard, EveryKindCountsOneActivationAndBlastsShake)
{
    struct Case
    {
        int32_t kind;
        int32_t level;
        float kick;
    };
    for (const Case& k : {Case{kBonusTNT, 0, 2.0f}, Case{kBonusTNT, 2, 2.5f}, Case{kBonusFlash, 4, 3.0f},
                          Case{kBonusTime, 1, 0.0f}, Case{kBonusAdviser, 1, 0.0f}, Case{kBonusScore, 0, 0.0f},
                          Case{kBonusSolidarity, 0, 0.0f}, Case{kBonusGem, 0, 0.0f}})
    {
        SCOPED_TRACE(k.kind * 10 + k.level);
        Build(5);
        Attach();
        SetBoard(kQuiet);
        const CRefPtr<CBonus> b = GiveBonus(field->cells[2][2], k.kind, k.level);
        field->ActivateBonus(b);
        EXPECT_EQ(1, Activations());
        EXPECT_EQ(1, b->finished);
        EXPECT_FLOAT_EQ(k.kick, field->shake.amplitude);
    }
}

TEST_F(BonusBoard, SolidarityTakesItsColourAndMoreWithLevel)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> board;
        int32_t column, row, level;
        int32_t removed;
        std::vector<std::pair<int, int>> kept;  // cells (column, row) left active
    };
    // Seven tokens of colour 0 (the carrier among them).
    const std::vector<std::string> seven = {"00456345", "56345634", "34563406", "56045634",
                                            "34563456", "56305634", "34560456", "06345634"};
    const std::vector<std::string> two = {"34563456", "56345634", "34563456", "56340634",
                                          "34563456", "56345634", "34563456", "56345630"};
    const std::vector<std::string> steel = {"34563456", "5s345634", "34563456", "56340634",
                                            "34563456", "56345634", "345634s6", "56345634"};
    const std::vector<std::string> block = {"34563456", "56345634", "34563456", "56300634",
                                            "34543456", "56345634", "34563456", "56345634"};
    const std::vector<std::string> corner = {"03456345", "56345634", "34563456", "56345634",
                                             "34563456", "56345634", "34563456", "56345630"};
    for (const Case& k : {
             Case{"level 0 spares a third of seven", seven, 1, 0, 0, 5, {}},
             Case{"level 0 takes both of two", two, 4, 3, 0, 2, {}},
             Case{"level 1 takes steel only from 2", steel, 4, 3, 1, 1, {{1, 1}, {6, 6}}},
             Case{"level 2 takes steel too", steel, 4, 3, 2, 3, {}},
             // The block (3..5, 2..4) holds 9 tokens, two of them colour 0 already.
             Case{"level 3 clears the block first", block, 4, 3, 3, 9, {}},
             // A corner's block is 2 x 2; the other colour-0 token goes too.
             Case{"level 3 in a corner", corner, 0, 0, 3, 5, {}},
         })
    {
        SCOPED_TRACE(k.name);
        Build(11);
        Attach();
        SetBoard(k.board);
        const int32_t before = CountActive();
        const CRefPtr<CCap> carrier = field->cells[size_t(k.row)][size_t(k.column)];
        ASSERT_EQ(0, carrier->colour);
        const CRefPtr<CBonus> b = GiveBonus(carrier, kBonusSolidarity, k.level);
        field->ActivateBonus(b);
        EXPECT_EQ(k.removed, before - CountActive());
        EXPECT_EQ(size_t(k.removed), terminators->active.size());
        for (const auto& cell : k.kept)
            EXPECT_TRUE(field->cells[size_t(cell.second)][size_t(cell.first)]->active);
        EXPECT_EQ(1, Activations());
    }
}

TEST_F(BonusBoard, CellHitsRemoveOnlyLiveTokensOnTheBoard)
{
    SetBoard(kQuiet);
    field->cells[4][4]->SetLockCount(1);
    field->cells[5][5]->active = 0;
    field->cells[6][6].Reset();
    const int32_t before = CountActive();
    for (const auto& cell :
         std::vector<std::pair<int, int>>{{6, 6}, {5, 5}, {-1, 2}, {8, 0}, {3, 9}, {2, 2}, {4, 4}})
        bonuses->events.push_back(BonusEvent(kBonusEventCellHit, 1, cell.first, cell.second));
    field->HandleBonusEvents();

    ASSERT_EQ(2u, terminators->active.size());
    EXPECT_EQ(before - 2, CountActive());
    EXPECT_FALSE(field->cells[2][2]);
    // The locked token stays in its cell; its terminator only takes the chain.
    ASSERT_TRUE(field->cells[4][4]);
    EXPECT_EQ(0, terminators->active[1]->flags[0]);
    // Only the unlocked token counts as removed.
    EXPECT_EQ(1, field->counters.second.GetInt(kCounterTokens));
}

TEST_F(BonusBoard, BonusNeedingAHostMovesToAPlainTokenOrLeaves)
{
    SetBoard(kQuiet);
    CRefPtr<CBonus> b(new CBonus());
    b->kind = kBonusTNT;
    bonuses->AddBonus(b);
    bonuses->events.push_back(BonusEvent(kBonusEventNeedsHost));
    bonuses->events.back().object = b;
    b->active = 0;
    field->HandleBonusEvents();
    EXPECT_EQ(kBonusFalling, b->state);
    EXPECT_EQ(1, b->active);
    CRefPtr<CCap> host = field->cells[size_t(b->row)][size_t(b->column)];
    ASSERT_TRUE(host);
    EXPECT_EQ(b, host->held);
    EXPECT_FLOAT_EQ(host->position[0] + field->origin[0], b->target[0]);

    // No plain token left: every one is locked.
    for (auto& row : field->cells)
        for (CRefPtr<CCap>& cap : row)
            cap->SetLockCount(1);
    CRefPtr<CBonus> homeless(new CBonus());
    bonuses->AddBonus(homeless);
    bonuses->events.push_back(BonusEvent(kBonusEventNeedsHost));
    bonuses->events.back().object = homeless;
    field->HandleBonusEvents();
    EXPECT_EQ(kBonusLeaving, homeless->state);
    EXPECT_FLOAT_EQ(0.5f, homeless->motionDuration);
}

TEST_F(BonusBoard, TimeAndAdviceArePaidOnlyWhilePlaying)
{
    std::vector<std::string> board = kQuiet;
    board[7] = "22324563";  // one move: the 3 and the third 2 swap
    SetBoard(board);
    struct Case
    {
        int32_t kind, value, cancelled;
        int32_t timeEvents;
        float seconds;
        float advice;
    };
    for (const Case& k : {Case{kBonusEventTimeArrived, 0, 0, 1, 10.0f, 0.0f},
                          Case{kBonusEventTimeArrived, 2, 0, 1, 20.0f, 0.0f},
                          Case{kBonusEventTimeArrived, 2, 1, 0, 0.0f, 0.0f},
                          Case{kBonusEventAdviserArrived, 1, 0, 0, 0.0f, 20.0f},
                          Case{kBonusEventAdviserArrived, 1, 1, 0, 0.0f, 0.0f}})
    {
        SCOPED_TRACE(k.kind * 100 + k.value * 10 + k.cancelled);
        field->events.clear();
        field->adviser.Reset();
        field->selectionCancelled = k.cancelled;
        bonuses->events.clear();
        bonuses->events.push_back(BonusEvent(k.kind, k.value));
        field->HandleBonusEvents();
        ASSERT_EQ(size_t(k.timeEvents), field->events.size());
        if (k.timeEvents)
        {
            EXPECT_EQ(kEventBonusTime, field->events[0].code);
            EXPECT_FLOAT_EQ(k.seconds, field->events[0].seconds);
        }
        EXPECT_FLOAT_EQ(k.advice, field->adviser.remaining);
        // Advice points at the tokens of the board's moves at once.
        EXPECT_EQ(k.advice > 0.0f, !field->adviser.groupArrowPlaces.empty());
    }
}

TEST_F(BonusBoard, RedirectShakesTheBoard)
{
    SetBoard(kQuiet);
    bonuses->events.push_back(BonusEvent(kBonusEventSolidarityRedirect, 0, 0, 0, 12.0f));
    bonuses->events.push_back(BonusEvent(kBonusEventPlaced, 0, 0, 0, 12.0f));
    bonuses->events.push_back(BonusEvent(kBonusEventTntFired));
    field->HandleBonusEvents();
    EXPECT_FLOAT_EQ(0.75f, field->shake.amplitude);
    EXPECT_TRUE(field->events.empty());
    EXPECT_TRUE(terminators->active.empty());
}

} // namespace
