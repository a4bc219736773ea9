// The bonus levels' game flow without a window: which levels open a challenge,
// the opener's set-up, the challenge screen's steps (the rules, the start, the
// clock, the time-up, the verdict and the way back to the map), the clicks on
// stars, the reaction challenge's stop and miss penalty, and leaving a level
// from the challenge screen.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "board/TerminatorManager.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "effects/Sandbox.h"
#include "field/PlayField.h"
#include "game/Game.h"
#include "hud/LossEffect.h"
#include "hud/StarEffect.h"
#include "platform/crt.h"
#include "render/SpriteShape.h"
#include "saves/Profiles.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "tests/game/GameWithBoard.h"
#include "tests/screens/screens_test_util.h"

namespace {

const float kStep = 0.05f;

// A game with a board, an interface without forms, the shop and the effects,
// at the statistics of a won level.
class ChallengeFlow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        crt::srand(3);
        game.reset(new CGame(CRefPtr<CRenderer>()));
        game->player = CRefPtr<CPlayerSettings>(new CPlayerSettings("Ada"));
        game->player->questTutorial = 0;
        game->levelParams.Set(0, 5);
        caps = FitOutForPlay(*game);
        game->subState = kSubStateStatistics;
        game->phase = 22;
    }

    void Run(float seconds)
    {
        for (float t = 0.0f; t < seconds - 1e-4f; t += kStep)
            game->Update(kStep);
    }

    // From the statistics' Continue to the challenge at play.
    CAccuracyChallenge& OpenAndStart()
    {
        OpenLevelsChallenge(5);
        return *game->board->accuracyChallenge;
    }

    void OpenLevelsChallenge(int level)
    {
        game->levelParams.Set(0, level);
        game->PlayCommand(20);
        Run(0.2f);
        Run(0.5f);
        EXPECT_EQ(ChallengePhase::Play, game->phase);
    }

    // Runs until the predicate holds; false when it never did.
    bool RunUntil(const std::function<bool()>& done, float limit = 30.0f)
    {
        for (float t = 0.0f; t < limit; t += kStep)
        {
            if (done())
                return true;
            game->Update(kStep);
        }
        return done();
    }

    // A click at the centre of a memory grid cell, as the player gives it.
    void ClickMemoryCell(const CMemoryChallenge& m, int32_t c, int32_t r)
    {
        game->ChallengeClick(m.originX + m.cellWidth * (float(m.columnOffset + c) + 0.5f),
                             m.originY - m.cellHeight * (float(m.rowOffset + r) + 0.5f), false);
    }

    // Finds every pair of the memory round on the board by clicks.
    void FindEveryPair(CMemoryChallenge& m)
    {
        ASSERT_TRUE(RunUntil([&m] { return m.state == CMemoryChallenge::kWaiting; }));
        std::vector<std::pair<int32_t, int32_t>> byLook[7];
        for (int32_t r = 0; r < m.rows; ++r)
            for (int32_t c = 0; c < m.columns; ++c)
                if (const CCapSprite* plate = m.PlateAt(c, r))
                    byLook[plate->cardValue].push_back({c, r});
        for (const auto& cells : byLook)
            for (const std::pair<int32_t, int32_t>& cell : cells)
            {
                ClickMemoryCell(m, cell.first, cell.second);
                ASSERT_EQ(CMemoryChallenge::kJudging, m.state) << "cell " << cell.first << ", " << cell.second;
                ASSERT_TRUE(RunUntil([&m] { return m.state != CMemoryChallenge::kJudging; }));
            }
    }

    CRefPtr<CCapsManager> caps;
    std::unique_ptr<CGame> game;
};

TEST_F(ChallengeFlow, OnlyTheScheduledLevelsOpenTheirChallengeOnContinue)
{
    struct Case
    {
        int level;
        int32_t subState;
        int32_t kind;
        int32_t number, tier;
    } cases[] = {{4, kSubStateAfterLevel, kLevelKindPlain, 0, 0},
                 {5, kSubStateChallenge, kLevelKindAccuracy, 1, 1},
                 {6, kSubStateAfterLevel, kLevelKindPlain, 0, 0},
                 {11, kSubStateChallenge, kLevelKindMemory, 2, 1},
                 {15, kSubStateChallenge, kLevelKindReaction, 3, 1},
                 {19, kSubStateChallenge, kLevelKindAttention, 4, 1},
                 {24, kSubStateChallenge, kLevelKindAccuracy, 5, 2},
                 {37, kSubStateChallenge, kLevelKindAttention, 8, 2}};
    for (const Case& c : cases)
    {
        SetUp();
        game->levelParams.Set(0, c.level);
        game->PlayCommand(20);
        EXPECT_EQ(c.subState, game->subState) << "level " << c.level;
        if (c.subState != kSubStateChallenge)
            continue;
        EXPECT_EQ(c.kind, game->levelKind) << "level " << c.level;
        EXPECT_EQ(c.kind, game->board->mode) << "level " << c.level;
        EXPECT_EQ(c.number, game->challengeNumber) << "level " << c.level;
        EXPECT_EQ(c.tier, game->challengeTier) << "level " << c.level;
    }
}

TEST_F(ChallengeFlow, TheAccuracyOpenerSetsTheClockTheKindAndTheStarRow)
{
    ASSERT_TRUE(game->board->sandbox);
    game->board->sandbox->area.x = 100.0f;
    game->board->sandbox->area.y = -300.0f;
    game->levelParams.Set(0, 24);
    game->PlayCommand(20);
    EXPECT_EQ(5, game->challengeNumber);
    EXPECT_EQ(2, game->challengeTier);
    EXPECT_EQ(kLevelKindAccuracy, game->levelKind);
    EXPECT_EQ(kLevelKindAccuracy, game->board->mode);
    EXPECT_FLOAT_EQ(40.0f, game->levelTimer);
    EXPECT_FLOAT_EQ(10.0f, game->nextWarning);
    EXPECT_EQ(ChallengePhase::Begin, game->phase);
    ASSERT_TRUE(game->board->accuracyChallenge);
    const CAccuracyChallenge& a = *game->board->accuracyChallenge;
    EXPECT_EQ(CAccuracyChallenge::kIdle, a.state);
    EXPECT_FLOAT_EQ(100.0f + 14.0f, a.counterX);
    EXPECT_FLOAT_EQ(-300.0f + 2.0f, a.counterY);
    EXPECT_EQ(19, a.targetCount);
    EXPECT_FLOAT_EQ(game->board->origin[2] - 1.0f, a.fieldZ);
}

TEST_F(ChallengeFlow, TheRulesShowOnlyWithTheTutorialAndTheirButtonStartsPlay)
{
    game->player->questTutorial = 1;
    game->PlayCommand(20);
    Run(0.2f);
    EXPECT_EQ(ChallengePhase::ShowRules, game->phase);
    Run(2.0f);
    EXPECT_EQ(ChallengePhase::RulesShown, game->phase);
    EXPECT_EQ(kMessageChallengeRules, game->ui->messageCode);
    EXPECT_EQ(CAccuracyChallenge::kIdle, game->board->accuracyChallenge->state);
    game->PlayCommand(200);
    EXPECT_EQ(ChallengePhase::RulesClosed, game->phase);
    Run(1.1f);
    EXPECT_EQ(ChallengePhase::Play, game->phase);
    EXPECT_EQ(CAccuracyChallenge::kRunning, game->board->accuracyChallenge->state);
}

TEST_F(ChallengeFlow, ACaughtStarScoresTwoHundredFiftyAndAPausedBoardTakesNoClick)
{
    CAccuracyChallenge& a = OpenAndStart();
    Run(1.0f);
    ASSERT_FALSE(a.stars.empty());
    const Vec3 at = a.stars[0]->shape->position;
    CPlayField& board = *game->board;
    const int32_t before = board.counters.second.GetInt(kCounterScore);
    board.inputLocked = 1;
    game->ChallengeClick(at.x, at.y, false);
    EXPECT_EQ(0, a.caughtCount);
    board.inputLocked = 0;
    game->ChallengeClick(at.x, at.y, false);
    EXPECT_EQ(1, a.caughtCount);
    EXPECT_EQ(before + 250, board.counters.second.GetInt(kCounterScore));
    EXPECT_EQ(before + 250, board.counters.third.GetInt(kCounterScore));
    // The points pop up one size up, at the pop-ups' own depth.
    ASSERT_FALSE(board.popups.messages.empty());
    const CPopupMessage& points = *board.popups.messages.back();
    const PopupSettings& settings = CPopupMessages::Settings();
    EXPECT_FLOAT_EQ(settings.score.minSize + settings.score.sizeInc, points.size);
    EXPECT_FLOAT_EQ(settings.z, points.position.z);
}

// The bonus levels' messages stay for their own times, whatever the message life
// of the pop-up settings.
TEST_F(ChallengeFlow, TheChallengesMessagesStayForTheirOwnTimes)
{
    const CPopupMessages& popups = game->board->popups;
    auto lastLife = [&popups] { return popups.messages.empty() ? -1.0f : popups.messages.back()->lifeTime; };
    OpenAndStart();
    EXPECT_FLOAT_EQ(0.5f, lastLife()) << "CLICK THEM ALL!!!";
    CPlayFieldEvent event;
    game->OpenReactionChallenge(3, 1);
    event.code = kEventRoundEnded;
    game->HandleBoardEvent(event);
    EXPECT_FLOAT_EQ(0.75f, lastLife()) << "CATCH!";
    event.code = kEventChallengeMissed;
    event.arg = 2;
    game->HandleBoardEvent(event);
    EXPECT_FLOAT_EQ(0.6f * game->board->reactionChallenge->afterMissWait, lastLife()) << "MISS. Penalty";
    game->OpenAttentionChallenge(3, 1);
    event.arg = 1;
    game->HandleBoardEvent(event);
    EXPECT_FLOAT_EQ(1.0f, lastLife()) << "Where?";
    for (int32_t plate : {int32_t(CAttentionChallenge::kTokenPlate), int32_t(CAttentionChallenge::kTokenPlate) + 1})
    {
        game->board->attentionChallenge->chosenPlate = plate;
        event.code = kEventRoundEnded;
        game->HandleBoardEvent(event);
        EXPECT_FLOAT_EQ(0.75f, lastLife()) << "RIGHT! or MISS, plate " << plate;
    }
}

TEST_F(ChallengeFlow, TheClockStandsWhilePausedAndItsEndLosesTheLevelBackToTheMap)
{
    CAccuracyChallenge& a = OpenAndStart();
    // Held here too, so that it can be looked at after the board lets it go.
    const CRefPtr<CAccuracyChallenge> held = game->board->accuracyChallenge;
    EXPECT_TRUE(game->CanPause());
    game->board->inputLocked = 1;
    const float clock = game->levelTimer;
    Run(1.0f);
    EXPECT_FLOAT_EQ(clock, game->levelTimer);
    EXPECT_FALSE(game->CanPause());
    game->board->inputLocked = 0;
    game->levelTimer = 0.1f;
    Run(0.2f);
    EXPECT_EQ(CAccuracyChallenge::kEnding, a.state);
    Run(0.3f);
    EXPECT_EQ(ChallengePhase::Lost, game->phase);
    EXPECT_EQ(0, game->wonChallenges);
    Run(2.4f);
    EXPECT_EQ(CAccuracyChallenge::kIdle, held->state);
    EXPECT_FALSE(game->board->accuracyChallenge);
    EXPECT_EQ(kSubStateAfterLevel, game->subState);
    EXPECT_EQ(kLevelKindPlain, game->levelKind);
    EXPECT_EQ(kLevelKindPlain, game->board->mode);
}

TEST_F(ChallengeFlow, EnoughStarsWinAGoldenStarOnceAndTheAwardLeadsToTheMap)
{
    CAccuracyChallenge& a = OpenAndStart();
    const int32_t stars = game->shop->items.freeStars;
    a.caughtCount = a.targetCount;
    a.state = CAccuracyChallenge::kEnding;
    Run(0.1f);
    EXPECT_EQ(ChallengePhase::Won, game->phase);
    EXPECT_EQ(1, game->wonChallenges);
    EXPECT_EQ(stars + 1, game->shop->items.freeStars);
    EXPECT_TRUE(game->starEffect->busy);
    // The board reports the end every frame: the verdict is given once.
    Run(0.5f);
    EXPECT_EQ(1, game->wonChallenges);
    Run(5.0f);  // the star award plays out first
    EXPECT_EQ(kSubStateAfterLevel, game->subState);
}

// The level's totems and their plinth go when the bonus level opens, and whatever of
// them stands when it ends goes with its screen.
TEST_F(ChallengeFlow, TheTotemsFadeOutWhenTheBonusLevelOpensAndWhenItEnds)
{
    CTotemsManager& totems = game->board->totems;
    totems.SetPanelPicturesVisible(1, 0.0f);
    CAccuracyChallenge& a = OpenAndStart();
    EXPECT_EQ(0, totems.m_panelPicturesVisible);
    totems.SetPanelPicturesVisible(1, 0.0f);
    a.caughtCount = a.targetCount;
    a.state = CAccuracyChallenge::kEnding;
    Run(5.0f);
    ASSERT_EQ(kSubStateAfterLevel, game->subState);
    EXPECT_EQ(0, totems.m_panelPicturesVisible);
}

TEST_F(ChallengeFlow, AReactionMissTakesItsPenaltyOffTheClockButNotBelowNothing)
{
    OpenLevelsChallenge(15);
    EXPECT_FLOAT_EQ(90.0f, game->challengeTime);
    EXPECT_EQ(12, game->board->reactionChallenge->target);
    // What the pop-up says: "Penalty -5 sec."
    EXPECT_FLOAT_EQ(5.0f, game->board->reactionChallenge->penalty);
    game->levelTimer = 90.0f;
    CPlayFieldEvent miss;
    miss.code = kEventChallengeMissed;
    miss.arg = 2;
    game->HandleBoardEvent(miss);
    EXPECT_FLOAT_EQ(85.0f, game->levelTimer);
    game->levelTimer = 3.0f;
    game->HandleBoardEvent(miss);
    EXPECT_FLOAT_EQ(0.0f, game->levelTimer);
}

TEST_F(ChallengeFlow, APlateVerdictWaitsForTheSandOnItsWay)
{
    game->board->sandbox = CRefPtr<CSandbox>(new CSandbox);
    game->board->sandbox->SetHeap(CRefPtr<CSandHeap>(new CSandHeap));
    game->OpenReactionChallenge(3, 1);
    game->phase = ChallengePhase::Play;
    game->board->reactionChallenge->catches = 12;
    game->board->sandbox->heap->portions.push_back(CSandHeap::Portion{1.0f, 0.0f, 1.0f});
    CPlayFieldEvent over;
    over.code = kEventChallengeEnded;
    game->HandleBoardEvent(over);
    EXPECT_EQ(ChallengePhase::Play, game->phase);
    game->board->sandbox->heap->portions.clear();
    game->HandleBoardEvent(over);
    EXPECT_EQ(ChallengePhase::Won, game->phase);
    EXPECT_EQ(1, game->wonChallenges);
}

// The memory challenge by clicks: three rounds of growing grids, each one's
// found tokens poured into the sand glass, then the golden star once every
// token is in and the sand has settled.
TEST_F(ChallengeFlow, TheMemoryChallengesThreeRoundsFoundByClicksWinAGoldenStar)
{
    OpenLevelsChallenge(11);
    ASSERT_TRUE(game->board->memoryChallenge);
    CMemoryChallenge& m = *game->board->memoryChallenge;
    EXPECT_FLOAT_EQ(150.0f, game->challengeTime);
    const int32_t columns[3] = {4, 6, 6}, rows[3] = {3, 3, 6}, collected[3] = {12, 30, 58};
    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE(round + 1);
        EXPECT_EQ(round + 1, m.round);
        EXPECT_EQ(columns[round], m.columns);
        EXPECT_EQ(rows[round], m.rows);
        game->levelTimer = 150.0f;  // the clock is not under test
        ASSERT_NO_FATAL_FAILURE(FindEveryPair(m));
        ASSERT_TRUE(RunUntil([&m] { return m.state == CMemoryChallenge::kFlyingOut; }));
        EXPECT_EQ(collected[round], m.collected);
        if (round < 2)
        {
            ASSERT_TRUE(RunUntil([&m] { return m.state == CMemoryChallenge::kDealing; }, 2.0f));
        }
    }
    ASSERT_TRUE(RunUntil([this] { return game->phase == ChallengePhase::Won; }, 20.0f));
    EXPECT_EQ(1, game->wonChallenges);
    EXPECT_EQ(3, m.round);
}

// Time up while a pick is judged: the round's found tokens are collected and
// the plates fly off once the challenge waits for a click again; the verdict
// is a loss.
TEST_F(ChallengeFlow, TheMemoryTimeUpWaitsForTheJudgedPickThenLoses)
{
    OpenLevelsChallenge(11);
    CMemoryChallenge& m = *game->board->memoryChallenge;
    ASSERT_TRUE(RunUntil([&m] { return m.state == CMemoryChallenge::kWaiting; }));
    ClickMemoryCell(m, 0, 0);
    EXPECT_EQ(CMemoryChallenge::kJudging, m.state);
    game->levelTimer = 0.01f;
    game->Update(kStep);
    EXPECT_NE(CMemoryChallenge::kFlyingOut, m.state);
    ASSERT_TRUE(RunUntil([&m] { return m.state == CMemoryChallenge::kFlyingOut; }, 1.0f));
    EXPECT_EQ(1, m.round);  // no round after the clock's end
    ASSERT_TRUE(RunUntil([this] { return game->phase == ChallengePhase::Lost; }, 3.0f));
    EXPECT_EQ(0, game->wonChallenges);
}

// The attention challenge has no clock: ten tries, each started after the
// one before, and eight right answers win.
TEST_F(ChallengeFlow, TheAttentionChallengesTenTriesAnsweredByClicksWinWithEightRight)
{
    OpenLevelsChallenge(19);
    ASSERT_TRUE(game->board->attentionChallenge);
    CAttentionChallenge& a = *game->board->attentionChallenge;
    EXPECT_EQ(1, a.tryNumber);
    EXPECT_EQ(0, a.rightAnswers);
    EXPECT_EQ(CAttentionChallenge::kDropIn, a.state);
    const float clock = game->levelTimer;
    for (int32_t attempt = 1; attempt <= 10; ++attempt)
    {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(attempt, a.tryNumber);
        ASSERT_TRUE(RunUntil([&a] { return a.state == CAttentionChallenge::kChoose; }));
        // Two answers wrong (the first plate that does not hide the token), eight right.
        const int32_t plate = attempt <= 2 ? 0 : CAttentionChallenge::kTokenPlate;
        game->ChallengeClick(a.plates[size_t(plate)]->x, a.plates[size_t(plate)]->y, false);
        EXPECT_EQ(CAttentionChallenge::kReveal, a.state);
        ASSERT_TRUE(RunUntil([this, &a, attempt] { return a.tryNumber > attempt || game->phase != ChallengePhase::Play; }))
            << "the try does not end";
        EXPECT_EQ(attempt < 10 ? ChallengePhase::Play : ChallengePhase::Won, game->phase);
    }
    EXPECT_EQ(10, a.tryNumber);
    EXPECT_EQ(8, a.rightAnswers);
    EXPECT_FLOAT_EQ(clock, game->levelTimer);
}

// The reaction challenge dealt at the start; stops while a token shows catch
// it, and the twelfth catch ends it with the golden star.
TEST_F(ChallengeFlow, TheReactionChallengesTwelveCatchesWinAGoldenStar)
{
    OpenLevelsChallenge(15);
    ASSERT_TRUE(game->board->reactionChallenge);
    CReactionChallenge& r = *game->board->reactionChallenge;
    EXPECT_EQ(18u, r.plates.size());
    const auto tokenShows = [&r] {
        return r.state == CReactionChallenge::kTurning && r.subState == 1 && r.currentPlate >= 0 &&
               r.plates[size_t(r.currentPlate)]->cardValue < CReactionChallenge::kEmptyLook;
    };
    for (int32_t n = 1; n <= 12; ++n)
    {
        SCOPED_TRACE(n);
        game->levelTimer = 90.0f;
        ASSERT_TRUE(RunUntil(tokenShows));
        EXPECT_EQ(1, game->StopReaction(0.0f, 0.0f));
        ASSERT_TRUE(RunUntil([&r, n] { return r.catches == n; }, 1.0f));
        EXPECT_EQ(size_t(18 - n), r.plates.size());  // the caught token shattered
    }
    ASSERT_TRUE(RunUntil([this] { return game->phase == ChallengePhase::Won; }, 10.0f));
    EXPECT_EQ(1, game->wonChallenges);
}

TEST_F(ChallengeFlow, TheStopReachesTheReactionChallengeOnlyWhileTheBoardRuns)
{
    game->OpenReactionChallenge(3, 1);
    CReactionChallenge& r = *game->board->reactionChallenge;
    r.state = CReactionChallenge::kTurning;
    game->board->inputLocked = 1;
    EXPECT_EQ(0, game->StopReaction(0.0f, 0.0f));
    EXPECT_EQ(CReactionChallenge::kTurning, r.state);
    game->board->inputLocked = 0;
    EXPECT_EQ(1, game->StopReaction(0.0f, 0.0f));
    EXPECT_EQ(CReactionChallenge::kJudging, r.state);
}

TEST_F(ChallengeFlow, SpaceInTheReactionChallengesLevelReturnsToItsScreen)
{
    OpenLevelsChallenge(15);
    ASSERT_EQ(kLevelKindReaction, game->levelKind);
    game->subState = kSubStateNormalPlay;
    game->OnKeyDown(VK_SPACE);
    EXPECT_EQ(kSubStateChallenge, game->subState);
    // Other keys and other level kinds leave the sub-state alone.
    game->subState = kSubStateNormalPlay;
    game->OnKeyDown(VK_ESCAPE);
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
    game->levelKind = kLevelKindAccuracy;
    game->OnKeyDown(VK_SPACE);
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
}

TEST_F(ChallengeFlow, LeavingTheLevelFromTheChallengePutsItToRest)
{
    CAccuracyChallenge& a = OpenAndStart();
    game->ResetLevelFromRecord();
    EXPECT_EQ(CAccuracyChallenge::kIdle, a.state);
    EXPECT_EQ(kLevelKindPlain, game->levelKind);
    EXPECT_EQ(kLevelKindPlain, game->board->mode);
    EXPECT_EQ(kSubStateQuestLeft, game->subState);
}

}  // namespace
