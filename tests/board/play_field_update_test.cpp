// The board's frame and its removals: scoring of finished groups (frenzy,
// score bonuses, one combo sound and one event 1 per frame), bonuses earned by
// long groups, the selection let go, the cascade report, the settle step
// waiting for falling tokens, the no-move test, the level-won drop and the end
// of swap moves.
#include "board_play_fixture.h"

#include "audio/SoundBank.h"
#include "bonuses/Bonus.h"
#include "effects/Sandbox.h"
#include "platform/audio/recording.h"
#include "hud/TokenSelector.h"

#include <cmath>
#include <filesystem>
#include <fstream>

namespace
{

using board_play::BoardPlay;
using board_play::kFrame;

// No line anywhere; rows of four colours.
using board_play::kQuiet;

class UpdateTest : public BoardPlay
{
protected:
    void SetUp() override
    {
        BoardPlay::SetUp();
        field->fillPending = CPlayField::kFillRandom;
    }

    // Frames until the first group of the board has scored.
    int32_t ScoreOfFirstGroups()
    {
        for (int i = 0; i < 120 && Score() == 0; ++i)
            Frame();
        return Score();
    }
};

TEST_F(UpdateTest, GroupsScoreByTheRulesDoubledInAFrenzy)
{
    struct Case
    {
        const char* row;
        bool frenzy;
        int32_t score;
        bool kicked;
    };
    // A line of 3 scores step 1 (100), of 4 step 2 (200); a frenzy doubles
    // both and shakes the board only for more than two tokens.
    for (const Case& k : {Case{"00034563", false, 100, false}, Case{"00003456", false, 200, false},
                          Case{"00034563", true, 200, true}, Case{"00003456", true, 400, true}})
    {
        SCOPED_TRACE(k.row);
        Build(3);
        field->fillPending = CPlayField::kFillRandom;
        std::vector<std::string> board = kQuiet;
        board[7] = k.row;
        SetBoard(board);
        field->sandbox->heap->status = 0;
        field->sandbox->heap->mode = k.frenzy ? 1 : 0;
        EXPECT_EQ(k.score, ScoreOfFirstGroups());
        EXPECT_EQ(k.kicked, field->shake.active != 0);
        EXPECT_EQ(1, CountEvents(kEventScored));
    }
}

TEST_F(UpdateTest, ScoreBonusesMultiplyTheirGroupsScore)
{
    std::vector<std::string> board = kQuiet;
    board[7] = "00034563";
    SetBoard(board);
    for (int c = 0; c < 2; ++c)
    {
        CRefPtr<CBonus> bonus(new CBonus());
        bonus->kind = kBonusScore;
        bonus->level = c;  // values 3 and 5
        bonus->state = kBonusPlaced;
        field->cells[7][size_t(c)]->SetHeld(bonus);
    }
    // 3 tokens, chain 1, two held bonuses: (2 + 2) * 50, times 3 + 5.
    EXPECT_EQ(1600, ScoreOfFirstGroups());
}

TEST_F(UpdateTest, OneComboSoundAndOneScoredEventPerFrame)
{
    platform::audio::AudioRecorder& rec = platform::audio::UseRecordingBackend();
    const std::string folder = ::testing::TempDir() + "update_combo/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "Combo0.wav") << "RIFF";
    CRefPtr<CSoundBank> bank(new CSoundBank());
    ASSERT_FALSE(bank->Init(nullptr));
    bank->Combo = bank->LoadSound(folder.c_str(), "Combo0.wav", 6, 8, 0);
    ASSERT_TRUE(bank->Combo);
    field->SetSoundBank(bank);

    // Two separate lines finish in the same frame: chain steps 1 and 2.
    std::vector<std::string> board = kQuiet;
    board[1] = "00056341";
    board[7] = "11134563";
    SetBoard(board);
    rec.Clear();
    EXPECT_EQ(100 + 200, ScoreOfFirstGroups());
    EXPECT_EQ(1, CountEvents(kEventScored));
    EXPECT_EQ(2, field->cascadeCounter);
    EXPECT_EQ(1, rec.Count("BASS_SamplePlay") + rec.Count("BASS_SamplePlayEx"));

    field->SetSoundBank(CRefPtr<CSoundBank>());
    field->capList.soundBank.Reset();
    terminators->SetSoundBank(CRefPtr<CSoundBank>());
    bank.Reset();
    platform::audio::UseMixerBackend();
}

TEST_F(UpdateTest, EachGroupGoesToOneTerminatorArmedAndCounted)
{
    struct Case
    {
        const char* row;
        size_t cells;
    };
    for (const Case& k : {Case{"00034563", 3}, Case{"00003456", 4}, Case{"00000456", 5}})
    {
        std::vector<std::string> board = kQuiet;
        board[7] = k.row;
        SetBoard(board);
        field->RebuildValueGrid();
        ASSERT_EQ(1, field->matchGrid.FindMatches(3, false));
        field->ApplyGroups();
        ASSERT_EQ(1u, terminators->active.size());
        EXPECT_EQ(k.cells, terminators->active[0]->tokens.size());
        EXPECT_EQ(0, terminators->active[0]->soundsDone);
        EXPECT_EQ(int32_t(k.cells), field->counters.second.GetInt(kCounterBiggestGroup));
        terminators->Clear();
        field->counters.Reset();
    }
}

TEST_F(UpdateTest, RemovingTheSelectedTokenLetsTheSelectionGo)
{
    field->tokenSelector = CRefPtr<CTokenSelector>(new CTokenSelector(
        CRefPtr<CParticleSystemsManager>(), CRefPtr<CSpriteList>(), CRefPtr<CSpriteBatch>(), CRefPtr<CTexture>(),
        CRefPtr<CTexture>()));
    std::vector<std::string> board = kQuiet;
    board[7] = "00034563";
    SetBoard(board);
    for (int column : {5, 1})
    {
        field->tokenSelector->token = field->cells[7][size_t(column)];
        field->RebuildValueGrid();
        field->matchGrid.FindMatches(3, false);
        field->ApplyGroups();
        EXPECT_EQ(column == 1, !field->tokenSelector->token) << column;
        SetBoard(board);
        terminators->Clear();
    }
}

TEST_F(UpdateTest, ACascadeReportsItsWavesOnlyFromTwo)
{
    SetBoard(kQuiet);
    for (int32_t waves : {0, 1, 2, 5})
    {
        field->cascadeCounter = waves;
        EXPECT_EQ(0, field->SearchMatches());
        EXPECT_EQ(0, field->cascadeCounter);
    }
    ASSERT_EQ(2u, field->events.size());
    EXPECT_EQ(kEventCascadeEnd, field->events[0].code);
    EXPECT_EQ(2, field->events[0].arg);
    EXPECT_EQ(5, field->events[1].arg);
}

TEST_F(UpdateTest, NoRefillWhileATokenIsStillFalling)
{
    SetBoard(kQuiet);
    CRefPtr<CCap>& cell = field->cells[0][0];
    field->capList.Remove(cell, true);
    cell.Reset();
    field->cells[7][7]->active = 0;  // still on its way in
    for (int i = 0; i < 5; ++i)
        Frame();
    EXPECT_FALSE(field->cells[0][0]);
    field->cells[7][7]->active = 1;
    Frame();
    EXPECT_TRUE(field->cells[0][0]);
}

TEST_F(UpdateTest, NoMoveIsReportedOnlyForAQuietBoardWithoutLines)
{
    // Columns alternate two colour pairs so that no swap can make a line.
    const std::vector<std::string> stuck = {"01010101", "23232323", "01010101", "23232323",
                                            "45454545", "60606060", "45454545", "60606060"};
    SetBoard(stuck);
    field->RebuildValueGrid();
    ASSERT_FALSE(field->matchGrid.HasMove(3, false));
    Frame(0.125f);
    EXPECT_EQ(0, CountEvents(kEventNoMoves));  // not yet a quarter second
    Frame(0.125f);
    EXPECT_EQ(1, CountEvents(kEventNoMoves));
    // While input is closed the test does not run.
    field->inputOpen = 0;
    for (int i = 0; i < 4; ++i)
        Frame(0.125f);
    EXPECT_EQ(1, CountEvents(kEventNoMoves));
}

TEST_F(UpdateTest, WhenEveryGemIsCollectedTheTokensFallOffTheBoard)
{
    std::vector<std::string> board = kQuiet;
    board[0] = "a4s63456";  // locked and steel tokens fall like any other
    SetBoard(board);
    field->gemsToCollect = 0;
    Frame();
    EXPECT_EQ(1, CountEvents(kEventLevelWon));
    EXPECT_EQ(0, field->inputOpen);
    for (const auto& row : field->cells)
        for (const CRefPtr<CCap>& cell : row)
            EXPECT_FALSE(cell);
    const float t = std::sqrt(2.0f * 10.0f * 80.0f / 2000.0f);
    for (const CRefPtr<CCap>& cap : field->capList.caps)
    {
        EXPECT_NEAR(t, cap->pathDuration, 1e-5f);
        EXPECT_EQ(2, cap->arrival);
    }
    // They leave the token list as they arrive; nothing refills.
    for (int i = 0; i < int(t / kFrame) + 2; ++i)
        Frame();
    EXPECT_TRUE(field->capList.caps.empty());
    for (const auto& row : field->cells)
        for (const CRefPtr<CCap>& cell : row)
            EXPECT_FALSE(cell);
}

TEST_F(UpdateTest, TheSandGlassStatesStartAndEndTheFrenzyAndReportItsEnds)
{
    // The glass as the heap's update finds it: full while building, refilled
    // while pouring, or poured out.
    enum Glass
    {
        kFull,
        kRefilled,
        kPouredOut,
    };
    struct Case
    {
        const char* name;
        Glass glass;
        int32_t boardMode, inputLocked;
        int32_t event;  // 0: none
        int32_t heapModeAfter;
    };
    const Case cases[] = {
        {"full in play: frenzy", kFull, CPlayField::kModeNormal, 0, kEventFrenzy, 1},
        {"full while locked: nothing", kFull, CPlayField::kModeNormal, 1, 0, 0},
        {"full in the memory challenge", kFull, CPlayField::kModeMemory, 0, kEventSandGlassFull, 0},
        {"refilled in play", kRefilled, CPlayField::kModeNormal, 0, kEventSandGlassEnd, 1},
        {"refilled while locked", kRefilled, CPlayField::kModeNormal, 1, 0, 1},
        {"poured out: frenzy over", kPouredOut, CPlayField::kModeNormal, 0, 0, 0},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        Build(3);
        field->fillPending = CPlayField::kFillRandom;
        SetBoard(kQuiet);
        field->mode = k.boardMode;
        field->inputLocked = k.inputLocked;
        CSandHeap& heap = *field->sandbox->heap;
        heap.drainOn = 0;
        if (k.glass == kFull)
            heap.AddSand(1.0, 0.0);
        else
            heap.SetFlow(true, k.glass == kRefilled ? 1.0 : 0.0);
        if (k.glass == kPouredOut)
        {
            heap.mean = 0.0;
            heap.drainOn = 1;
        }
        Frame();
        ASSERT_EQ(k.event != 0 ? 1 : 0, int(seen.size()));
        if (k.event)
        {
            EXPECT_EQ(k.event, seen[0].code);
        }
        EXPECT_EQ(k.heapModeAfter, heap.mode);
        EXPECT_EQ(k.event == kEventFrenzy, field->shake.active != 0);
    }
}

TEST_F(UpdateTest, TheTokensFollowHalfTheShakeAndComeBackWhenItEnds)
{
    SetBoard(kQuiet);
    Frame();
    const float base[2] = {field->baseOrigin[0], field->baseOrigin[1]};
    field->shake.Kick(4.0f);
    Frame();
    ASSERT_TRUE(field->shake.active);
    const Vec3 o = field->shake.Offset();
    EXPECT_FLOAT_EQ(base[0] + 0.5f * o.x, field->origin[0]);
    EXPECT_FLOAT_EQ(base[1] + 0.5f * o.y, field->origin[1]);
    EXPECT_FLOAT_EQ(base[0] + o.x, field->fader->position[0]);
    EXPECT_FLOAT_EQ(field->origin[0], field->cells[3][3]->offset[0]);
    for (int i = 0; i < 60; ++i)
        Frame();
    EXPECT_FALSE(field->shake.active);
    EXPECT_FLOAT_EQ(base[0], field->origin[0]);
    EXPECT_FLOAT_EQ(base[1], field->cells[3][3]->offset[1]);
}

TEST_F(UpdateTest, AMoveEndOutsideAnySwapOnlyLetsTheTokenGo)
{
    SetBoard(kQuiet);
    const CRefPtr<CCap> a = field->cells[0][0], b = field->cells[0][1], loose = field->cells[5][5];
    field->StartSwap(0, 0, 1, 0, 0);
    const int32_t order = a->look->drawOrder;
    const uint32_t refs = loose.RefCount();
    field->FinishTokenMove(loose);
    EXPECT_EQ(refs, loose.RefCount());
    EXPECT_EQ(CCap::kResting, loose->state);
    EXPECT_EQ(CCap::kMovingAway, a->state);
    field->FinishTokenMove(a);
    EXPECT_EQ(CCap::kResting, a->state);
    EXPECT_EQ(order + 1, a->look->drawOrder);
    field->FinishTokenMove(b);
    EXPECT_EQ(CCap::kResting, b->state);
}

} // namespace
