// Clearing the board: the shuffle's tremble and fall, fixed tokens coming back
// in their own cells with colour, locks, gem and bonus, the quiet drop before a
// saved quest is laid out, and closing a tutorial tip.
#include "board_play_fixture.h"

#include "bonuses/Bonus.h"
#include "bonuses/BonusManager.h"
#include "effects/Sandbox.h"
#include "engine/DataFolders.h"
#include "saves/Profiles.h"

#include <cmath>
#include <filesystem>

namespace
{

using board_play::BoardPlay;

using board_play::kQuiet;

class ShuffleTest : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        field->fillPending = CPlayField::kFillRandom;
        field->gemsToPlace = 0;
    }

    bool Empty() const
    {
        for (const auto& row : field->cells)
            for (const CRefPtr<CCap>& cap : row)
                if (cap)
                    return false;
        return true;
    }

    // Frames until every shuffled token has left the token list.
    void RunUntilGone()
    {
        for (int i = 0; i < 600 && !field->capList.caps.empty(); ++i)
            Frame();
        ASSERT_TRUE(field->capList.caps.empty());
    }
};

TEST_F(ShuffleTest, TokensTrembleThenFallOffAndTheBoardWaitsEmpty)
{
    SetBoard(kQuiet);
    const CRefPtr<CCap> cap = field->cells[2][3];
    field->Shuffle(1.5f, 30);

    EXPECT_TRUE(Empty());
    EXPECT_EQ(1, field->inputLocked);
    EXPECT_EQ(CPlayField::kFillSavedCells, field->fillPending);
    ASSERT_EQ(31u, cap->path.durations.size());
    for (size_t i = 0; i < 30; ++i)
        EXPECT_FLOAT_EQ(1.5f / 29.0f, cap->path.durations[i]);
    // The fall of a token ten rows down from rest, under gravity 2000.
    const float fall = cap->path.durations[30];
    Vec3 start{0, 0, 0};
    cap->path.GetPoint(start, 0.0f);
    const float drop = std::sqrt(2.0f * (start.y + (2 + 10 + 0.5f) * field->cellHeight) / 2000.0f);
    EXPECT_NEAR(drop, fall, 1e-3f);
    EXPECT_FLOAT_EQ(1.5f + fall, cap->pathDuration);
    EXPECT_EQ(CCap::kArrivalLeave, cap->arrival);
    EXPECT_EQ(0, cap->active);
    // Every tremble point stays within 0.15 of the radius of the token's place.
    for (int i = 0; i < 30; ++i)
    {
        Vec3 p{0, 0, 0};
        cap->path.GetPoint(p, (float(i) + 1.0f) * 1.5f / 29.0f - 1e-4f);
        EXPECT_LE(std::fabs(p.x - start.x), 0.15f * cap->radius + 0.5f);
    }
    RunUntilGone();
    EXPECT_TRUE(seen.empty());
}

TEST_F(ShuffleTest, FewPointsOrNoTimeNeverDivideByZero)
{
    for (const auto& k : std::vector<std::pair<int32_t, float>>{{1, 1.0f}, {0, 1.0f}, {-3, 1.0f}, {30, 0.0f}})
    {
        SCOPED_TRACE(k.first);
        Build(2);
        field->fillPending = CPlayField::kFillRandom;
        SetBoard(kQuiet);
        const CRefPtr<CCap> cap = field->cells[0][0];
        field->Shuffle(k.second, k.first);
        EXPECT_TRUE(std::isfinite(cap->pathDuration));
        for (float d : cap->path.durations)
            EXPECT_TRUE(std::isfinite(d));
        RunUntilGone();
    }
    // A tuning without gravity: the tokens leave at once.
    CDataFolders still;
    still.tuning[CDataFolders::kGravity] = 0.0f;
    field->folders = &still;
    SetBoard(kQuiet);
    const CRefPtr<CCap> cap = field->cells[0][0];
    field->Shuffle(1.0f, 30);
    EXPECT_FLOAT_EQ(1.0f, cap->pathDuration);
    SetBoard(kQuiet);
    field->DropAllTokensQuietly();
    for (const CRefPtr<CCap>& c : field->capList.caps)
        EXPECT_TRUE(std::isfinite(c->pathDuration));
    RunUntilGone();
    field->folders = nullptr;
}

TEST_F(ShuffleTest, FixedTokensComeBackInTheirCells)
{
    CRefPtr<CBonusManager> bonuses(new CBonusManager());
    field->bonusManager = bonuses;
    SetBoard(kQuiet);
    const CRefPtr<CCap> locked = field->cells[1][2];
    locked->colour = 3;
    locked->SetLockCount(2);
    locked->fixed = 1;
    const CRefPtr<CCap> gemmed = field->cells[4][6];
    gemmed->fixed = 1;
    gemmed->marked = 1;
    CRefPtr<CBonus> bonus(new CBonus());
    bonus->kind = kBonusFlash;
    bonus->level = 2;
    const CRefPtr<CCap> carrier = field->cells[6][0];
    carrier->fixed = 1;
    carrier->SetHeld(bonus);
    field->cells[7][7]->marked = 1;  // loose gem: not fixed

    field->Shuffle(0.5f, 30);
    // Two marked tokens give two gems back to place.
    EXPECT_EQ(2, field->gemsToPlace);
    ASSERT_EQ(8u, field->savedCells.size());
    const CSavedCell& s = field->savedCells[1][2];
    EXPECT_EQ(0, s.random);
    EXPECT_EQ(3, s.colour);
    EXPECT_EQ(2, s.lockCount);
    EXPECT_EQ(1, field->savedCells[4][6].marked);
    EXPECT_EQ(1, field->savedCells[6][0].hasBonus);
    EXPECT_EQ(kBonusFlash, field->savedCells[6][0].bonusKind);
    EXPECT_EQ(2, field->savedCells[6][0].bonusLevel);
    EXPECT_EQ(1, field->savedCells[0][0].random);

    RunUntilGone();
    field->SetInputLock(0);
    ASSERT_GE(RunUntilSettled(), 0);
    ASSERT_TRUE(field->cells[1][2]);
    EXPECT_EQ(3, field->cells[1][2]->colour);
    EXPECT_EQ(2, field->cells[1][2]->lockCount);
    EXPECT_EQ(1, field->cells[1][2]->fixed);
    EXPECT_EQ(1, field->cells[4][6]->marked);
    // The fixed gem took its gem back; the loose one waits for ordinary refills.
    EXPECT_EQ(1, field->gemsToPlace);
}

TEST_F(ShuffleTest, OnlyNormalPlayWithFixedTokensKeepsSavedCells)
{
    struct Case
    {
        int32_t kind;
        bool fixed;
        bool kept;
    };
    for (const Case& k : {Case{0, true, true}, Case{0, false, false}, Case{1, true, false}, Case{2, true, false}})
    {
        SCOPED_TRACE(k.kind * 10 + k.fixed);
        Build(4);
        field->Reset(k.kind);
        field->fillPending = CPlayField::kFillRandom;
        SetBoard(kQuiet);
        field->cells[3][3]->fixed = k.fixed ? 1 : 0;
        field->Shuffle(0.25f, 30);
        EXPECT_EQ(k.kept, !field->savedCells.empty());
        RunUntilGone();
        field->SetInputLock(0);
        for (int i = 0; i < 120; ++i)
            Frame();
        // Outside normal play nothing settles: the board stays empty.
        EXPECT_EQ(k.kind != 0, Empty());
    }
}

TEST_F(ShuffleTest, QuietDropSendsNoEventAndKeepsTheFillMode)
{
    SetBoard(kQuiet);
    field->fillPending = CPlayField::kFillQuestSave;
    field->sandbox->heap->portions.push_back(CSandHeap::Portion{1.0f, 0.0f, 0.0f});
    field->totems.m_shieldMode = 1;
    field->DropAllTokensQuietly();
    EXPECT_TRUE(Empty());
    EXPECT_EQ(CPlayField::kFillQuestSave, field->fillPending);
    EXPECT_EQ(1, field->selectionCancelled);
    EXPECT_EQ(0, field->inputOpen);
    EXPECT_TRUE(field->sandbox->heap->portions.empty());
    EXPECT_EQ(0, field->totems.m_shieldMode);
    for (const CRefPtr<CCap>& cap : field->capList.caps)
        EXPECT_EQ(CCap::kArrivalLeave, cap->arrival);
    RunUntilGone();
    EXPECT_TRUE(seen.empty());
}

class TipClosing : public ShuffleTest
{
protected:
    void SetUp() override
    {
        ShuffleTest::SetUp();
        folder = ::testing::TempDir() + "tip_closing/";
        std::filesystem::create_directories(folder + "Tester");
        folders.players = folder;
        field->folders = &folders;
        player = CRefPtr<CPlayerSettings>(new CPlayerSettings("Tester"));
        field->playerSettings = player;
    }

    // The flags as a fresh load of the player's file reads them.
    int32_t SavedFlag(int32_t tip)
    {
        CPlayerSettings reread("Tester");
        reread.Load(folder + "Tester");
        return reread.tipsSeen[tip - 1];
    }

    std::string folder;
    CDataFolders folders;
    CRefPtr<CPlayerSettings> player;
};

TEST_F(TipClosing, SeenTipsAreSavedTheWrongTipOnlyWhenDue)
{
    struct Case
    {
        int32_t tip, seen, mode, wrongMoves;
        int32_t flag;
    };
    for (const Case& k : {Case{1, 1, 1, 0, 1}, Case{4, 0, 1, 0, 0}, Case{10, 1, 1, 0, 1}, Case{3, 1, 1, 2, 0},
                          Case{3, 1, 1, 3, 1}, Case{3, 1, 2, 0, 1}, Case{3, 0, 2, 0, 0}})
    {
        SCOPED_TRACE(k.tip * 1000 + k.seen * 100 + k.mode * 10 + k.wrongMoves);
        std::filesystem::remove_all(folder + "Tester");
        std::filesystem::create_directories(folder + "Tester");
        player->tipsSeen[k.tip - 1] = 0;
        field->sandbox->heap->drainOn = 0;
        field->tutorialStep = k.tip;
        field->tutorialMode = k.mode;
        field->wrongMoveCount = k.wrongMoves;
        field->CloseTutorialStep(k.seen);
        EXPECT_EQ(k.flag, player->tipsSeen[k.tip - 1]);
        EXPECT_EQ(k.flag, SavedFlag(k.tip));
        EXPECT_EQ(0, field->tutorialStep);
        EXPECT_EQ(1, field->sandbox->heap->drainOn);
    }
}

TEST_F(TipClosing, TotemTipAlwaysClearsTheBoard)
{
    for (int32_t seenFlag : {0, 1})
    {
        SCOPED_TRACE(seenFlag);
        SetBoard(kQuiet);
        field->SetInputLock(0);
        field->tutorialStep = CPlayField::kTipTotem;
        field->CloseTutorialStep(seenFlag);
        EXPECT_TRUE(Empty());
        EXPECT_EQ(CPlayField::kFillLevel, field->fillPending);
        EXPECT_EQ(1, field->inputLocked);
        EXPECT_EQ(seenFlag, player->tipsSeen[CPlayField::kTipTotem - 1]);
        RunUntilGone();
    }
}

TEST_F(TipClosing, NoTipPendingOnlyRestartsTheSandGlass)
{
    SetBoard(kQuiet);
    field->sandbox->heap->drainOn = 0;
    field->CloseTutorialStep(1);
    EXPECT_EQ(1, field->sandbox->heap->drainOn);
    EXPECT_FALSE(Empty());
    for (int32_t flag : player->tipsSeen)
        EXPECT_EQ(0, flag);
}

} // namespace
