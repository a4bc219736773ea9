// The bonus levels' game flow without a window: which levels open a challenge,
// the opener's set-up, the challenge screen's steps (the rules, the start, the
// clock, the time-up, the verdict and the way back to the map), the clicks on
// stars, the reaction challenge's stop and miss penalty, and leaving a level
// from the challenge screen.
#include <gtest/gtest.h>

#include <memory>

#include "board/TerminatorManager.h"
#include "challenges/AccuracyChallenge.h"
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
        caps = CRefPtr<CCapsManager>(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
        game->board = CRefPtr<CPlayField>(
            new CPlayField(caps, &game->questLayout, &game->folders, &game->levelParams, &game->sandFillRate));
        game->board->terminatorManager = CRefPtr<CTerminatorManager>(new CTerminatorManager(0.0f, &game->board->capList));
        game->ui = CRefPtr<CInterface>(new CInterface(nullptr, CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                      CRefPtr<CIndexBuffer>(), CRefPtr<CTextSet>(), {}));
        game->shop = CRefPtr<CShop>(new CShop());
        game->starEffect = CRefPtr<CStarEffect>(new CStarEffect());
        game->lossEffect = CRefPtr<CLossEffect>(new CLossEffect());
        game->state = kStatePlaying;
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
        game->PlayCommand(20);
        Run(0.2f);
        Run(0.5f);
        EXPECT_EQ(ChallengePhase::Play, game->phase);
        return *game->board->accuracyChallenge;
    }

    CRefPtr<CCapsManager> caps;
    std::unique_ptr<CGame> game;
};

TEST_F(ChallengeFlow, OnlyTheScheduledLevelsOpenTheirChallengeOnContinue)
{
    // Levels 11, 15 and 19 name the plate challenges, which are not dealt yet.
    struct Case
    {
        int level;
        int32_t subState;
    } cases[] = {{4, kSubStateAfterLevel}, {5, kSubStateChallenge}, {6, kSubStateAfterLevel},
                 {11, kSubStateAfterLevel}, {24, kSubStateChallenge}};
    for (const Case& c : cases)
    {
        SetUp();
        game->levelParams.Set(0, c.level);
        game->PlayCommand(20);
        EXPECT_EQ(c.subState, game->subState) << "level " << c.level;
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

TEST_F(ChallengeFlow, AReactionMissTakesItsPenaltyOffTheClockButNotBelowNothing)
{
    game->OpenReactionChallenge(3, 1);
    EXPECT_FLOAT_EQ(90.0f, game->levelTimer);
    EXPECT_EQ(12, game->board->reactionChallenge->target);
    game->board->reactionChallenge->penalty = 5.0f;
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
