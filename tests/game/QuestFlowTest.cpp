// The quest's game logic without a window: the play update's board events, the timed
// steps of the play sub-states, the autosave files, the commands by widget id and
// state, the tutorial's picks and swaps, and the trophy screen's award sequence.
#include <gtest/gtest.h>

#include <cmath>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backgrounds/BackgroundManager.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "bonuses/Bonus.h"
#include "effects/Sandbox.h"
#include "engine/Log.h"
#include "engine/SaveErrors.h"
#include "engine/StringTable.h"
#include "game/Game.h"
#include "render/SpriteBatch.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "screens/Interface.h"
#include "hud/LossEffect.h"
#include "screens/Shop.h"
#include "hud/StarEffect.h"
#include "hud/TokenSelector.h"
#include "tests/game/GameWithBoard.h"
#include "tests/screens/interface_fixture.h"
#include "tests/support/LogFile.h"

namespace fs = std::filesystem;

namespace {

const float kStep = 0.05f;

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

}  // namespace

// A game object with a board, an interface without forms, the shop and the effects,
// and a player whose folder is the test's own: enough for the quest's logic.
class QuestFlow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = screens_test::TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        game.reset(new CGame(CRefPtr<CRenderer>()));
        game->folders.players = root + "Players/";
        game->folders.sharedGameData = root;
        fs::create_directories(folder());
        game->player = CRefPtr<CPlayerSettings>(new CPlayerSettings("Ada"));
        game->levelParams.Set(0, 1);
        caps = FitOutForPlay(*game);
        game->subState = kSubStateNormalPlay;
    }

    // Fills the board from the first level's file, as a level start and its first
    // frames do, and lets it settle.
    void FillBoard()
    {
        game->folders.levels = ORB_DATA_SRC_DIR "/Data/Lvl/";
        CPlayField& board = *game->board;
        board.Reset(0);
        board.SetupLevelRules(1);
        ASSERT_EQ(1, board.LoadLevel("l1.lvl"));
        board.fillPending = CPlayField::kFillLevel;
        for (int i = 0; i < 400 && !board.IsIdle(true); ++i)
            board.Update(kStep, -999.0f, -999.0f);
        ASSERT_TRUE(board.IsIdle(true));
        board.events.clear();
    }

    std::string folder() const { return root + "Players/Ada"; }
    std::string file(const char* name) const { return folder() + "\\" + name; }
    std::string path(const char* name) const { return folder() + "/" + name; }

    void WriteBytes(const char* name, size_t size)
    {
        std::ofstream out(path(name), std::ios::binary);
        for (size_t i = 0; i < size; ++i)
            out.put(static_cast<char>(i * 7 + 3));
    }

    std::string ReadBytes(const char* name)
    {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    void Event(int32_t code, int32_t arg = 0, float seconds = 0.0f)
    {
        CPlayFieldEvent e;
        e.code = code;
        e.arg = arg;
        e.seconds = seconds;
        game->board->events.push_back(e);
    }

    // Frames of the play update until `seconds` have passed.
    void Run(float seconds)
    {
        for (float t = 0.0f; t < seconds - 1e-4f; t += kStep)
            game->Update(kStep);
    }

    std::string root;
    CRefPtr<CCapsManager> caps;
    std::unique_ptr<CGame> game;
};

namespace {

// ---------------------------------------------------------------------------------
// Board events

TEST_F(QuestFlow, EventsOfOneFrameAreHandledOnceWithTheLevelEndsLast)
{
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    game->lives = 2;
    game->levelTimer = 100.0f;
    game->levelParams.kindLevels[5] = -1;  // no solidarity bonus: no moves costs a life
    // The star (6) and the lost move (7) came first, the level won (5) in between.
    Event(kEventSandGlassEnd);
    Event(kEventNoMoves);
    Event(kEventLevelWon);
    Event(kEventBonusTime, 0, 5.0f);
    board.counters.AddToBoth(300, kCounterScore);
    Event(kEventScored);
    game->Update(kStep);

    EXPECT_TRUE(board.events.empty());
    EXPECT_FLOAT_EQ(105.0f, game->levelTimer);
    EXPECT_EQ(kSubStateLevelComplete, game->subState);  // 5
    EXPECT_EQ(1, game->lossRunning);                     // 7 after it
    EXPECT_EQ(1, game->lives);
    EXPECT_EQ(1, game->starCount);                       // 6 last: the board locked for the star
    EXPECT_EQ(1, board.inputLocked);
    EXPECT_EQ(2, game->shop->items.freeStars);                    // one for the level, one for the star
}

TEST_F(QuestFlow, TimeAddedIsCutToTheAllowanceAndSetsTheNextWarning)
{
    struct Case
    {
        float before, added, after, warning;
    } cases[] = {
        {2.0f, 7.5f, 9.5f, 9.0f},     // floor of 9.5
        {10.0f, 10.0f, 20.0f, 15.0f},
        {200.0f, 100.0f, 240.0f, 30.0f},  // the level's allowance is 240 s
        {12.0f, 0.5f, 12.5f, 10.0f},
    };
    game->board->inputOpen = 0;  // the clock stands
    for (const Case& c : cases)
    {
        game->levelTimer = c.before;
        Event(kEventBonusTime, 0, c.added);
        game->Update(kStep);
        EXPECT_FLOAT_EQ(c.after, game->levelTimer) << c.before << " + " << c.added;
        EXPECT_FLOAT_EQ(c.warning, game->nextWarning) << c.before << " + " << c.added;
    }
}

TEST_F(QuestFlow, ACombosLengthIsKeptAsTheLargestInBothBlocks)
{
    CCounterSet& counters = game->board->counters;
    for (int32_t combo : {1, 4, 2})
    {
        Event(kEventCascadeEnd, combo);
        game->Update(kStep);
    }
    EXPECT_EQ(4, counters.second.GetInt(kCounterBestCombo));
    EXPECT_EQ(4, counters.third.GetInt(kCounterBestCombo));
}

// ---------------------------------------------------------------------------------
// Picking and swapping

TEST_F(QuestFlow, ANeighbourSwapsWhileADiagonalOrTheSameCellPicksAnew)
{
    FillBoard();
    CPlayField& board = *game->board;
    board.tokenSelector = CRefPtr<CTokenSelector>(new CTokenSelector());
    board.RebuildValueGrid();
    std::vector<CSwapMove> moves;
    ASSERT_GT(board.matchGrid.CollectMoves(moves, 3, false), 0);
    const CSwapMove m = moves[0];
    auto centre = [&board](int column, int row) { return board.CellToScreen(column, row, true); };
    const Vec3 first = centre(m.column1, m.row1);

    ASSERT_EQ(1, game->PickOrSwapAt(first.x, first.y));
    ASSERT_TRUE(board.tokenSelector->token);
    EXPECT_EQ(1, game->tokenPicked);

    // The picked cell itself and a diagonal cell pick, they never swap.
    const int dc = m.column1 < 7 ? 1 : -1, dr = m.row1 < 7 ? 1 : -1;
    for (const Vec3& at : {first, centre(m.column1 + dc, m.row1 + dr)})
    {
        game->PickOrSwapAt(at.x, at.y);
        EXPECT_TRUE(board.pendingSwaps.empty());
        ASSERT_TRUE(board.tokenSelector->token);
        EXPECT_EQ(board.CellAt(board.tokenSelector->token->column, board.tokenSelector->token->row)->Get(),
                  board.tokenSelector->token.Get());
    }
    game->PickOrSwapAt(first.x, first.y);
    const Vec3 second = centre(m.column2, m.row2);
    EXPECT_EQ(1, game->PickOrSwapAt(second.x, second.y));
    EXPECT_FALSE(board.pendingSwaps.empty());
    EXPECT_FALSE(board.tokenSelector->token);
    EXPECT_EQ(0, game->tokenPicked);
}

TEST_F(QuestFlow, ARightClickDropsThePickUnlessTheBoardIsPaused)
{
    FillBoard();
    CPlayField& board = *game->board;
    board.tokenSelector = CRefPtr<CTokenSelector>(new CTokenSelector());
    const Vec3 at = board.CellToScreen(2, 2, true);
    game->PickOrSwapAt(at.x, at.y);
    board.SetInputLock(1);
    game->OnRButtonDown(0, 0, 0);
    EXPECT_TRUE(board.tokenSelector->token);
    board.SetInputLock(0);
    game->OnRButtonDown(0, 0, 0);
    EXPECT_FALSE(board.tokenSelector->token);
    EXPECT_EQ(0, game->tokenPicked);
}

// ---------------------------------------------------------------------------------
// Sub-states and their timers

TEST_F(QuestFlow, TheClockWarnsAtThirtyFifteenTenThenEverySecond)
{
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    game->levelTimer = 31.0f;
    game->nextWarning = 30.0f;
    std::vector<float> warnings;
    float last = game->nextWarning;
    for (int i = 0; i < 800 && game->levelTimer > 0.0f; ++i)
    {
        game->Update(kStep);
        if (game->nextWarning != last)
        {
            warnings.push_back(last);
            last = game->nextWarning;
        }
    }
    const std::vector<float> expected = {30, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_EQ(expected, warnings);
    EXPECT_FLOAT_EQ(0.0f, game->levelTimer);
    EXPECT_NEAR(31.0f, board.counters.third.GetFloat(kCounterTime), 0.1f);
}

TEST_F(QuestFlow, TheClockStandsWhilePausedOrATipShows)
{
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    game->levelTimer = 50.0f;
    board.SetInputLock(1);
    Run(1.0f);
    EXPECT_FLOAT_EQ(50.0f, game->levelTimer);
    board.SetInputLock(0);
    board.tutorialStep = kTipTimer;
    Run(1.0f);
    EXPECT_FLOAT_EQ(50.0f, game->levelTimer);
    EXPECT_NEAR(1.0f, board.tutorialTimer, 0.01f);  // a delayed tip's own timer runs
    board.tutorialStep = 0;
    Run(1.0f);
    EXPECT_NEAR(49.0f, game->levelTimer, 0.01f);
}

TEST_F(QuestFlow, TimeUpLosesALifeAndTheSequenceEndsInGameOverWithoutAnAutosave)
{
    FillBoard();
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    game->levelParams.kindLevels[4] = -1;  // no score bonus: a time-up costs a life
    game->lives = 2;
    game->levelTimer = 0.1f;
    Run(0.2f);
    EXPECT_EQ(1, game->lossRunning);
    EXPECT_EQ(1, game->lossTimeUp);
    EXPECT_EQ(1, game->lives);
    Run(1.0f);
    EXPECT_EQ(kSubStateNormalPlay, game->subState);  // the life-lost delay is 2 s
    Run(1.5f);
    EXPECT_EQ(1, game->lossRunning) << "the heart bursts at 1.9 s and its pieces fall until 2.9 s";
    Run(0.5f);
    EXPECT_EQ(0, game->lossRunning);
    EXPECT_EQ(kSubStateGameOver, game->subState);
}

TEST_F(QuestFlow, TimeUpReloadsTheFirstAutosaveIntoTheLifeLostPanel)
{
    CQuestSave saved;
    saved.level = 3;
    saved.lives = 1;
    saved.resumePoint = CQuestSave::kResumeShop;
    ASSERT_TRUE(saved.Save(file("QuestAS1.sav").c_str()));
    FillBoard();
    game->board->inputOpen = 1;
    game->levelParams.kindLevels[4] = -1;  // no score bonus: a time-up costs a life
    game->lives = 2;
    game->levelTimer = 0.1f;
    Run(3.2f);
    EXPECT_EQ(kSubStateLifeLost, game->subState);
    EXPECT_EQ(3, game->questSave->level);
    // Lives shown as icons: the record takes the most lives.
    EXPECT_EQ(game->levelParams.flagB, game->questSave->lives);
}

// The restart note is a text of the string table, never a printf format: stray
// directives in it must not read or write arguments that are not there.
TEST_F(QuestFlow, AStrayDirectiveInTheRestartNoteIsOnlyText)
{
    {
        std::ofstream strings(root + "Strings.txt");
        strings << "STRINGS\nQUEST_RESTART \"%s%s%n%s from %d-%d %s\"\nKMF\n";
        std::ofstream ids(root + "TextID.dat");
        ids << "define QUEST_RESTART 57\n";
    }
    LoadStringTable((root + "Strings.txt").c_str(), (root + "TextID.dat").c_str());
    char loaded[64] = "";
    GetStringById(57, loaded, sizeof(loaded));
    EXPECT_EQ(std::string("%s%s%n%s from %d-%d %s"), loaded);
    EXPECT_EQ("%s%s%n%s from 2-4 %s", CInterface::FillText(loaded, {2, 4}));

    game->questSave->level = 14;
    game->subState = kSubStateLifeLost;
    game->lossFinal = 1;
    game->lives = 0;
    game->phase = 0;
    Run(1.0f);
    EXPECT_EQ(1, game->phase);
    EXPECT_EQ(kMessageLifeLost, game->ui->messageCode);
    LoadStringTable((root + "none.txt").c_str(), (root + "none.dat").c_str());
}

TEST_F(QuestFlow, LevelCompleteStepsToTheStatisticsOnItsTimers)
{
    game->CompleteLevel();
    ASSERT_EQ(kSubStateLevelComplete, game->subState);
    struct Step
    {
        float seconds;
        int subState, phase;
    } steps[] = {{1.4f, 5, 0}, {0.15f, 5, 1}, {0.5f, 5, 2}, {0.5f, 6, 0}};
    for (const Step& s : steps)
    {
        Run(s.seconds);
        EXPECT_EQ(s.subState, game->subState) << "after " << s.seconds;
        EXPECT_EQ(s.phase, game->phase) << "after " << s.seconds;
    }
}

TEST_F(QuestFlow, NextLevelsIntroStartsPlayAfterTwoAndAHalfSeconds)
{
    game->EnterLevelIntroWait();
    game->board->inputOpen = 0;
    Run(2.45f);
    EXPECT_EQ(kSubStateLevelIntro, game->subState);
    EXPECT_EQ(0, game->board->inputOpen);
    Run(0.1f);
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
    EXPECT_EQ(1, game->board->inputOpen);
}

TEST_F(QuestFlow, TheStatisticsSkipTheCountingWithoutATimeBonusAndAClickShowsTheEnd)
{
    game->subState = kSubStateStatistics;
    game->phase = 0;
    game->timeBonus = 0;
    Run(0.5f + 0.25f + 0.05f);  // rows 1 and 2 are up
    Run(0.3f);
    EXPECT_EQ(7, game->phase) << "phase 4 passes to 7 at once without a bonus";
    game->FinishLevelStatistics();
    EXPECT_EQ(22, game->phase);
    Run(1.0f);
    EXPECT_EQ(22, game->phase);
}

// A click shows the statistics' end only until the best results start to come up:
// from then on their pops and fanfare are under way and play once.
TEST_F(QuestFlow, AClickSkipsTheStatisticsOnlyBeforeTheBestResults)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, 22}, {8, 22}, {9, 9}, {13, 13}, {21, 21}, {22, 22}};
    for (const auto& [before, after] : cases)
    {
        game->state = kStatePlaying;
        game->subState = kSubStateStatistics;
        game->phase = before;
        game->OnLButtonDown(0, 0, 0);
        EXPECT_EQ(after, game->phase) << "a click in phase " << before;
    }
}

// The background shows how far into its stage the quest is: a level still to come
// stands one step back, whether the quest goes on inside it or a retry goes through the
// shop before it.
TEST_F(QuestFlow, TheBackgroundStageCountsTheShopBeforeTheLevel)
{
    game->backgrounds = CRefPtr<CBackgroundManager>(new CBackgroundManager());
    game->folders.levels = ORB_DATA_SRC_DIR "/Data/Lvl/";
    const struct
    {
        int32_t resumePoint;
        bool retry;
        int32_t stage;
    } cases[] = {
        {CQuestSave::kResumeShop, false, 3},
        {CQuestSave::kResumeInLevel, false, 2},
        {CQuestSave::kResumeShop, true, 2},
    };
    for (const auto& c : cases)
    {
        game->questSave = CRefPtr<CQuestSave>(new CQuestSave());
        game->questSave->level = 3;  // the third level of the first stage
        game->questSave->lives = 3;
        game->questSave->resumePoint = c.resumePoint;
        if (c.retry)
            game->RestartLevelFromSave();
        else
            game->ContinueQuest();
        EXPECT_EQ(c.stage, game->backgrounds->currentStage)
            << (c.retry ? "retry" : "continue") << " from resume point " << c.resumePoint;
    }
}

TEST_F(QuestFlow, BackFromATutorialPlaysOnAfterOneAndAHalfSeconds)
{
    game->subState = kSubStateBackFromTutorial;
    game->stateTimer = 0.0f;
    game->board->SetInputLock(1);
    Run(1.45f);
    EXPECT_EQ(kSubStateBackFromTutorial, game->subState);
    Run(0.1f);
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
    EXPECT_EQ(0, game->board->inputLocked);
}

// ---------------------------------------------------------------------------------
// Panels

TEST_F(QuestFlow, ExtraLivesComeFromTheScoreOnceEachAndNeverDivideByZero)
{
    game->levelParams.flagA = 0;  // lives counted, not shown as icons
    struct Case
    {
        int perLife, score, earned, lives, earnedAfter, livesAfter;
    } cases[] = {
        {5000, 12000, 1, 3, 2, 4},
        {5000, 12000, 2, 3, 2, 3},
        {5000, 4999, 0, 3, 0, 3},
        {0, 12000, 0, 3, 0, 3},  // no points per life: no extra lives
    };
    for (const Case& c : cases)
    {
        game->levelParams.scoreLimit = c.perLife;
        game->board->counters.Reset();
        game->board->counters.AddToBoth(c.score, kCounterScore);
        game->board->gameWord = c.earned;
        game->lives = c.lives;
        game->CheckExtraLife();
        EXPECT_EQ(c.earnedAfter, game->board->gameWord) << c.perLife << " " << c.score;
        EXPECT_EQ(c.livesAfter, game->lives) << c.perLife << " " << c.score;
    }
}

TEST_F(QuestFlow, AHintWithoutAMoveIsRefusedAndKeepsTheRun)
{
    game->board->inputOpen = 1;
    game->noHintRun = 4;
    EXPECT_EQ(0, game->ShowHint());  // an empty board has no move
    EXPECT_EQ(4, game->noHintRun);
}

TEST_F(QuestFlow, AShuffleBoughtWithALifeNeedsAnIconOfTheForm)
{
    game->board->inputOpen = 1;
    game->lives = 2;
    // The interface has no icons: a click reported for icon 0 buys nothing.
    game->SpendLifeForShuffle(0);
    game->SpendLifeForShuffle(-1);
    EXPECT_EQ(2, game->lives);
    EXPECT_EQ(0, game->lossRunning);
}

// The play screen's own form under the game: the life icons, the icon panel's frame
// and its markers as the game shows them. The board is level 1's, settled, with its
// gems taken off so that each case puts its own.
class QuestFlowOnTheForms : public QuestFlow
{
protected:
    void SetUp() override
    {
        QuestFlow::SetUp();
        if (!screens_test::GamePicturesMade())
            GTEST_SKIP() << "the game's pictures are not generated in this build";
        screens_test::UseShippedFolders(uiFolders, game->folders.players);
        layout.Load(ORB_GAME_DIR "/Data/Config/Skin.cfg");
        game->ui = screens_test::MakeInterface(rec);
        ASSERT_EQ(1, game->ui->Load(uiFolders, layout, game->levelParams));
        PlayFromASettledBoard();
    }

    void PlayFromASettledBoard()
    {
        FillBoard();
        for (const CRefPtr<CCap>& cap : game->board->capList.caps)
            cap->marked = 0;
        game->board->inputOpen = 1;
        game->board->timeSinceMatch = game->board->timeSinceGem = 0.0f;
        game->hintTimerA = game->hintTimerB = 0.0f;
        game->levelTimer = game->levelParams.timeA;
        game->questJustLoaded = 1;  // no in-play autosaves
        game->lives = 3;
        game->ui->ShowFirstIcons(game->lives);
        game->ui->SetIconPanelVisible(0);
        game->ui->SetPanelVisible(0, 0);
    }

    int IconsShown() const
    {
        int n = 0;
        for (const CRefPtr<CKMWindow>& icon : game->ui->List(kFormQuest, 5))
            n += icon->visible ? 1 : 0;
        return n;
    }

    // The marker lit on the life icons, -1 for none; more than one lit is a fault.
    int LitMarker() const
    {
        int lit = -1, count = 0;
        const WidgetList& markers = game->ui->List(kFormQuest, 6);
        for (size_t i = 0; i < markers.size(); ++i)
            if (markers[i]->visible)
                lit = int(i), ++count;
        return count > 1 ? -2 : lit;
    }

    bool IconPanel() const { return game->ui->IsIconPanelShown(); }
    bool HintPanel() const { return game->ui->Widget(kFormQuest, 203)->visible != 0; }
    void Gem(int column, int row) { game->board->cells[size_t(row)][size_t(column)]->marked = 1; }

    screens_test::RecordingDevice rec{"quest_flow_forms.log"};
    CDataFolders uiFolders;
    CQuestLayout layout;
};

// Every row of the statistics pops in as it shows, and so does each line of the quest's
// table: ten pops, none before the first row.
TEST_F(QuestFlowOnTheForms, EveryStatisticsRowPopsInAsItShows)
{
    game->spriteBatches[0] = CRefPtr<CSpriteBatch>(new CSpriteBatch({}, {}, {}));
    auto pops = [this] {
        int count = 0;
        for (const CRefPtr<CBatchSprite>& sprite : game->spriteBatches[0]->sprites)
            count += (sprite->colour & 0xFFFFFFu) == 0xC0C0FFu ? 1 : 0;
        return count;
    };
    game->subState = kSubStateStatistics;
    game->phase = StatisticsPhase::RevealHeader;
    game->timeBonus = 0;
    game->newBestScore = 1;
    game->newBestTime = 0;
    Run(0.45f);
    EXPECT_EQ(0, pops());
    Run(0.1f);
    EXPECT_EQ(1, pops());
    Run(8.0f);
    ASSERT_EQ(StatisticsPhase::Done, game->phase);
    EXPECT_EQ(10, pops());
}

// Showing or hiding the panel never changes which lives show: only its frame and the
// marker of the highest life icon still shown come and go.
TEST_F(QuestFlowOnTheForms, TheIconPanelShowsTheLivesThePlayerHas)
{
    ASSERT_EQ(2u, game->ui->List(kFormQuest, 6).size());
    const struct
    {
        int lives, marker;
    } cases[] = {{0, -1}, {1, 0}, {2, 1}, {3, 1}, {5, 1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.lives << " lives");
        game->ui->ShowFirstIcons(c.lives);
        game->ui->SetIconPanelVisible(1);
        EXPECT_TRUE(IconPanel());
        EXPECT_EQ(c.lives, IconsShown());
        EXPECT_EQ(c.marker, LitMarker());
        game->ui->SetIconPanelVisible(0);
        EXPECT_FALSE(IconPanel());
        EXPECT_EQ(c.lives, IconsShown());
        EXPECT_EQ(-1, LitMarker());
    }
}

// A life spent on a shuffle takes its own icon away and leaves the others.
TEST_F(QuestFlowOnTheForms, AShuffleBoughtWithALifeHidesOnlyItsIcon)
{
    game->SpendLifeForShuffle(1);
    EXPECT_EQ(2, game->lives);
    EXPECT_EQ(1, game->lossRunning);
    const WidgetList& icons = game->ui->List(kFormQuest, 5);
    EXPECT_TRUE(icons[0]->visible);
    EXPECT_FALSE(icons[1]->visible);
    EXPECT_TRUE(icons[2]->visible);
    Run(3.5f);
    EXPECT_EQ(0, game->lossRunning);
    EXPECT_EQ(2, IconsShown());
    game->ui->SetIconPanelVisible(1);
    EXPECT_EQ(2, IconsShown());
    EXPECT_EQ(0, LitMarker()) << "the spent icon's marker stays dark";
}

// Fifty seconds without a gem collected, with a gem in the bottom three rows: the panel
// shows for three seconds, then the wait starts again.
TEST_F(QuestFlowOnTheForms, AGemLowOnTheBoardBringsTheIconPanelAfterFiftySeconds)
{
    Gem(3, 7);
    Run(49.9f);
    EXPECT_FALSE(IconPanel());
    Run(0.2f);
    ASSERT_TRUE(IconPanel());
    EXPECT_EQ(3, IconsShown());
    EXPECT_EQ(1, LitMarker());
    // The first hint waits while the icon panel is up.
    const float idle = game->board->timeSinceMatch;
    Run(2.5f);
    EXPECT_TRUE(IconPanel());
    EXPECT_FLOAT_EQ(idle, game->board->timeSinceMatch);
    EXPECT_FALSE(HintPanel());
    Run(0.5f);
    EXPECT_FALSE(IconPanel());
    EXPECT_EQ(0.0f, game->hintTimerB);
    EXPECT_LT(game->board->timeSinceGem, 0.2f);
    EXPECT_EQ(3, IconsShown());
    Run(49.5f);
    EXPECT_FALSE(IconPanel());
}

TEST_F(QuestFlowOnTheForms, TheIconPanelWaitsForAGemLowAndForLivesShownAsIcons)
{
    const struct
    {
        const char* what;
        int gemRow, icons;
        float wait;  // the gem wait left after 60 s
    } cases[] = {
        {"no gem on the board", -1, 1, 10.0f},
        {"a gem in the fourth row from the bottom", 4, 1, 10.0f},
        {"lives counted, not shown as icons", 7, 0, 0.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        PlayFromASettledBoard();
        if (c.gemRow >= 0)
            Gem(0, c.gemRow);
        game->levelParams.flagA = c.icons;
        bool shown = false;
        for (int frame = 0; frame < 1200; ++frame)
        {
            game->Update(kStep);
            shown = shown || IconPanel();
        }
        EXPECT_FALSE(shown);
        EXPECT_NEAR(c.wait, game->board->timeSinceGem, 0.1f);
    }
}

// A gem collected while the panel shows (the board starts the wait again) hides it at once.
TEST_F(QuestFlowOnTheForms, AGemCollectedHidesTheIconPanel)
{
    Gem(7, 6);
    Run(50.1f);
    ASSERT_TRUE(IconPanel());
    game->board->timeSinceGem = 0.0f;
    game->Update(kStep);
    EXPECT_FALSE(IconPanel());
    EXPECT_EQ(0.0f, game->hintTimerB);
    EXPECT_EQ(3, IconsShown());
}

// ---------------------------------------------------------------------------------
// Autosaves

// The sand of a broken line falls for a while into the glass; the in-play autosave
// waits for it to land and then refreshes the quest record.
TEST_F(QuestFlow, PlayAutosavesOnceThePouredSandHasLanded)
{
    FillBoard();
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    game->levelTimer = 100.0f;
    game->questSave->status = CQuestSave::kStatusNone;
    ASSERT_TRUE(board.sandbox && board.sandbox->heap);
    const CSandboxPart& area = board.sandbox->area;
    // Dropped 20000 units above the glass's bottom: lands after about 6.3 seconds.
    board.sandbox->Pour(0.1f, area.x + 10.0f, area.y - area.height + 20000.0f, 0.0f, 0.0f, 0.0f, 0.0f, 10000.0f,
                        1000.0f);
    ASSERT_EQ(1u, board.sandbox->heap->portions.size());
    EXPECT_NEAR(6.325f, board.sandbox->heap->portions[0].delay, 0.01f);

    Run(4.0f);
    EXPECT_EQ(0, game->IsPlayQuiet());
    EXPECT_EQ(CQuestSave::kStatusNone, game->questSave->status) << "sand still falling";

    Run(3.0f);
    EXPECT_TRUE(board.sandbox->heap->portions.empty());
    EXPECT_EQ(1, game->IsPlayQuiet());
    EXPECT_EQ(CQuestSave::kStatusUnsaved, game->questSave->status);
    EXPECT_LT(game->autosaveTimer, 1.0f);
}

TEST_F(QuestFlow, AQuestResumedInALevelDropsTheBoardAndRefillsItFromTheRecord)
{
    FillBoard();
    CPlayField& board = *game->board;
    board.totems.SetShieldMode(1);
    CQuestSave& record = *game->questSave;
    record.resumePoint = CQuestSave::kResumeInLevel;
    record.level = 1;
    record.totemShield = 0;
    record.gemsToCollect = record.gemsToPlace = 5;  // the level is not won yet
    for (CQuestSave::Grid& grid : record.grids)
        for (auto& row : grid)
            row.fill(0);
    // Colours that make no line; the bottom-left token carries a gem.
    for (int r = 0; r < CQuestSave::kGridSize; ++r)
        for (int c = 0; c < CQuestSave::kGridSize; ++c)
            record.grids[0][size_t(r)][size_t(c)] = (r + 2 * c) % 5 + 1;
    record.grids[0][7][0] = -record.grids[0][7][0];

    game->ContinueQuest();
    EXPECT_EQ(CPlayField::kFillQuestSave, board.fillPending);
    EXPECT_EQ(&record, board.savedQuest);
    EXPECT_EQ(0, board.totems.m_shieldMode) << "the record holds no shield";
    EXPECT_EQ(0, board.selectionCancelled) << "the level begins at its intro's end";

    board.SetInputLock(0);  // as the level intro ends
    for (int i = 0; i < 400 && !board.IsIdle(true); ++i)
        board.Update(kStep, -999.0f, -999.0f);
    ASSERT_TRUE(board.IsIdle(true));
    for (int r = 0; r < board.rows; ++r)
        for (int c = 0; c < board.columns; ++c)
        {
            ASSERT_TRUE(board.cells[size_t(r)][size_t(c)]);
            EXPECT_EQ(std::abs(record.grids[0][size_t(r)][size_t(c)]) - 1, board.cells[size_t(r)][size_t(c)]->colour)
                << "cell " << c << "," << r;
        }
    EXPECT_EQ(1, board.cells[7][0]->marked);
}

// The quest record keeps the glass's sand and fall; continuing the quest piles
// the same amount up again; a damaged record gives an empty, still glass.
TEST_F(QuestFlow, AContinuedQuestHasTheSandItWasSavedWith)
{
    FillBoard();
    CPlayField& board = *game->board;
    ASSERT_TRUE(board.sandbox && board.sandbox->heap);
    CSandHeap& heap = *board.sandbox->heap;
    heap.AddSand(0.375, 10.0);
    heap.drainRate = 0.07;
    game->UpdateQuestRecord(0);
    CQuestSave& record = *game->questSave;
    EXPECT_FLOAT_EQ(0.375f, record.sandLevel);
    EXPECT_DOUBLE_EQ(0.07, record.sandFall);
    record.resumePoint = CQuestSave::kResumeInLevel;
    record.level = 1;

    heap.SetFlow(false, 0.0);
    heap.drainRate = 0.5;
    game->ContinueQuest();
    EXPECT_NEAR(0.375, board.sandbox->heap->mean, 1e-6);
    EXPECT_DOUBLE_EQ(0.07, board.sandbox->heap->drainRate);
    EXPECT_EQ(CSandHeap::kBuilding, board.sandbox->heap->mode);

    record.sandLevel = std::nanf("");
    record.sandFall = -3.0;
    game->ContinueQuest();
    EXPECT_DOUBLE_EQ(0.0, board.sandbox->heap->mean);
    EXPECT_DOUBLE_EQ(0.0, board.sandbox->heap->drainRate);
}

TEST_F(QuestFlow, RotationCopiesTheFirstAutosaveAndNeverLosesTheSecond)
{
    WriteBytes("QuestAS1.sav", 10);
    WriteBytes("QuestAS2.sav", 20);
    EXPECT_TRUE(game->RotateAutosaves(0));
    EXPECT_EQ(ReadBytes("QuestAS1.sav"), ReadBytes("QuestAS2.sav"));
    // The first stays until the next autosave replaces it.
    EXPECT_EQ(10u, fs::file_size(path("QuestAS1.sav")));

    // Without a first autosave the second is kept as it was.
    fs::remove(path("QuestAS1.sav"));
    EXPECT_TRUE(game->RotateAutosaves(0));
    EXPECT_EQ(10u, fs::file_size(path("QuestAS2.sav")));
}

TEST_F(QuestFlow, CopyReplacesTheFirstAutosaveWholeNeverWritingIntoIt)
{
    // A copy written into the old file would leave it cut short when the game dies
    // halfway; a replacement is a new file renamed over it.
    WriteBytes("QuestAS2.sav", 5000);
    WriteBytes("QuestAS1.sav", 3);
    const std::string keep = path("Kept.sav");
    fs::create_hard_link(path("QuestAS1.sav"), keep);
    EXPECT_TRUE(game->CopyAutosave(0));
    EXPECT_EQ(ReadBytes("QuestAS2.sav"), ReadBytes("QuestAS1.sav"));
    EXPECT_EQ(3u, fs::file_size(keep));
}

TEST_F(QuestFlow, AFailedSaveIsLoggedAndShownOnceAndTheRecordStays)
{
    ResetSaveFailures();
    const test_support::LogToFile log(root + "Objects.log");
    fs::create_directory(path("Quest.sav"));  // a folder in the file's place: every write fails
    game->questSave->status = CQuestSave::kStatusUnsaved;
    game->questSave->level = 7;

    testing::internal::CaptureStderr();
    game->SaveAndLeaveLevel(1);
    game->state = kStatePlaying;
    game->SaveAndLeaveLevel(1);
    const std::string boxes = testing::internal::GetCapturedStderr();

    EXPECT_EQ(2, SaveFailureCount());
    EXPECT_EQ(1u, CountOf(boxes, "Your progress could not be saved")) << boxes;
    EXPECT_NE(std::string::npos, boxes.find("/Quest.sav"));
    EXPECT_EQ(std::string::npos, boxes.find('\\')) << "the path is shown as the system spells it: " << boxes;
    EXPECT_EQ(2u, CountOf(log.Log(), "The file was not saved"));
    EXPECT_EQ(7, game->questSave->level);
    EXPECT_EQ(CQuestSave::kStatusUnsaved, game->questSave->status);

    // Once the file can be written again, a later failure is shown again.
    fs::remove(path("Quest.sav"));
    EXPECT_TRUE(game->SaveQuest("Quest.sav"));
    fs::remove(path("Quest.sav"));
    fs::create_directory(path("Quest.sav"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(game->SaveQuest("Quest.sav"));
    EXPECT_EQ(1u, CountOf(testing::internal::GetCapturedStderr(), "Your progress could not be saved"));
    ResetSaveFailures();
}

TEST_F(QuestFlow, EveryKindOfPlayerFileReportsAFailedWrite)
{
    ResetSaveFailures();
    fs::remove_all(folder());  // the player's folder has gone: nothing of theirs can be written
    game->trophies = CRefPtr<CTrophies>(new CTrophies());
    game->hiscores.path = folder() + "/Hiscores.tbl";
    game->folders.userConfig = folder() + "/";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(game->SaveQuest("Quest.sav"));
    EXPECT_FALSE(game->SavePlayerSettings());
    EXPECT_FALSE(game->SaveTrophies());
    EXPECT_FALSE(game->SaveHighScores());
    EXPECT_FALSE(game->SaveGameOptions());
    EXPECT_FALSE(game->SaveSoundOptions());
    EXPECT_TRUE(game->CopyAutosave(0));  // no second autosave: nothing to copy, nothing failed
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(6, SaveFailureCount());
    ResetSaveFailures();
}

TEST_F(QuestFlow, CopyTakesTheSecondAutosaveWholeInChunks)
{
    for (size_t size : {size_t(5000), size_t(4096), size_t(0), size_t(1)})
    {
        WriteBytes("QuestAS2.sav", size);
        WriteBytes("QuestAS1.sav", 3);
        game->CopyAutosave(0);
        EXPECT_EQ(ReadBytes("QuestAS2.sav"), ReadBytes("QuestAS1.sav")) << size;
    }
    fs::remove(path("QuestAS2.sav"));
    game->CopyAutosave(0);  // no source: the first autosave stays
    EXPECT_TRUE(fs::exists(path("QuestAS1.sav")));
}

TEST_F(QuestFlow, AQuestModeTouchesNoSaveFile)
{
    for (const char* name : {"Quest.sav", "QuestAS1.sav", "QuestAS2.sav"})
        WriteBytes(name, 8);
    game->DeleteQuestSaves(1, 1);
    game->RotateAutosaves(1);
    game->CopyAutosave(1);
    for (const char* name : {"Quest.sav", "QuestAS1.sav", "QuestAS2.sav"})
        EXPECT_EQ(8u, fs::file_size(path(name))) << name;
    game->DeleteQuestSaves(0, 0);
    EXPECT_FALSE(fs::exists(path("Quest.sav")));
    EXPECT_FALSE(fs::exists(path("QuestAS1.sav")));
    EXPECT_TRUE(fs::exists(path("QuestAS2.sav")));
}

TEST_F(QuestFlow, AnAutosaveThatFailsLeavesTheLiveRecord)
{
    game->questSave->level = 7;
    game->questSave->lives = 2;
    WriteBytes("QuestAS1.sav", 30);  // not a quest save
    EXPECT_FALSE(game->LoadAutosave(0));
    EXPECT_EQ(7, game->questSave->level);

    CQuestSave saved;
    saved.level = 4;
    saved.resumePoint = CQuestSave::kResumeStatistics;  // loads, but not a shop save
    ASSERT_TRUE(saved.Save(file("QuestAS1.sav").c_str()));
    EXPECT_FALSE(game->LoadAutosave(0));
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
}

TEST_F(QuestFlow, ThePreviousLevelsAutosaveRaisesLivesAndBecomesTheFirst)
{
    game->levelParams.flagA = 0;
    CQuestSave saved;
    saved.level = 7;
    saved.lives = 1;
    saved.resumePoint = CQuestSave::kResumeShop;
    ASSERT_TRUE(saved.Save(file("QuestAS2.sav").c_str()));
    ASSERT_TRUE(game->LoadAutosave(1));
    EXPECT_EQ(4, game->questSave->lives);  // the minimum for levels 6 to 30
    EXPECT_EQ(kSubStateLifeLost, game->subState);
    EXPECT_EQ(ReadBytes("QuestAS2.sav"), ReadBytes("QuestAS1.sav"));
}

TEST_F(QuestFlow, TheStarAwardsEndStopsTheSandsFallAndGivesTheBoardBack)
{
    FillBoard();
    CSandHeap& heap = *game->board->sandbox->heap;
    heap.drainRate = 0.05;
    game->board->inputOpen = 1;
    game->levelTimer = 100.0f;
    Event(kEventSandGlassEnd);
    game->Update(kStep);
    ASSERT_TRUE(game->starEffect->busy);
    EXPECT_EQ(1, game->board->inputLocked);
    for (int i = 0; i < 400 && game->starEffect->busy; ++i)
        game->Update(kStep);
    ASSERT_FALSE(game->starEffect->busy);
    EXPECT_EQ(0.0, heap.drainRate);
    EXPECT_EQ(0, game->board->inputLocked);
}

// A trophy earned in play is offered only once the board rests, its poured sand
// included.
TEST_F(QuestFlow, ATrophyEarnedInPlayWaitsForThePouredSandToLand)
{
    FillBoard();
    game->trophies = CRefPtr<CTrophies>(new CTrophies());
    game->board->inputOpen = 1;
    game->levelTimer = 100.0f;
    game->board->counters.AddToBoth(10000000, kCounterScore);
    game->board->sandbox->heap->portions.push_back({0.3f, 0.0f, 0.01f});
    game->Update(kStep);
    EXPECT_TRUE(game->trophies->pending.empty());
    Run(0.5f);
    EXPECT_FALSE(game->trophies->pending.empty());
}

// The autosaves follow the quest through the game: the shops after two won levels,
// a time-up that retries the level through its shop, and then the last life lost.
TEST_F(QuestFlow, ARetrysShopKeepsTheLevelBeforeForTheLastLife)
{
    game->folders.levels = ORB_DATA_SRC_DIR "/Data/Lvl/";
    auto level = [&](const char* name) {
        CQuestSave saved;
        return saved.Load(file(name).c_str()) ? saved.level : -1;
    };
    auto shopAfterLevel = [&](int won) {
        game->levelParams.Set(0, won);
        game->subState = kSubStateAfterLevel;
        game->phase = AfterLevelPhase::OpenShop;
        Run(1.5f);
        ASSERT_EQ(kSubStateShop, game->subState);
        ASSERT_GE(game->shop->display, 1.0f);
    };
    // Time runs out with counted lives and no score bonus: the life is lost.
    auto timeUp = [&](int livesLeft) {
        game->subState = kSubStateNormalPlay;
        game->board->inputOpen = 1;
        FillBoard();
        game->levelParams.flagA = 0;
        game->levelParams.kindLevels[4] = -1;
        game->lives = livesLeft;
        game->levelTimer = 0.1f;
        Run(3.5f);
    };
    shopAfterLevel(5);
    shopAfterLevel(6);
    EXPECT_EQ(6, level("QuestAS1.sav"));
    EXPECT_EQ(5, level("QuestAS2.sav"));

    timeUp(2);
    ASSERT_EQ(kSubStateLifeLost, game->subState);
    EXPECT_EQ(6, game->questSave->level);
    Run(1.0f);
    ASSERT_EQ(LifeLostPhase::MessageShown, game->phase);
    game->ui->messageCode = kMessageLifeLost;
    game->PlayCommand(200);
    Run(2.0f);
    ASSERT_EQ(kSubStateShop, game->subState);
    ASSERT_GE(game->shop->display, 1.0f);
    EXPECT_EQ(6, level("QuestAS1.sav"));
    EXPECT_EQ(5, level("QuestAS2.sav")) << "the retry's shop keeps the level before";

    timeUp(1);
    ASSERT_EQ(kSubStateLifeLost, game->subState);
    EXPECT_EQ(5, game->questSave->level) << "with no life left the quest falls back a level";
}

// The trophy runs live in the quest save: written with the record, read back by a
// resume, and a reload keeps what a reload must not undo.
TEST_F(QuestFlow, TheTrophyRunsGoThroughTheQuestSave)
{
    FillBoard();
    game->completedRun = 6;
    game->noHintRun = -1;
    game->wonChallenges = 2;
    game->UpdateQuestRecord(1);
    ASSERT_TRUE(game->questSave->Save(file("Quest.sav").c_str()));
    game->completedRun = game->noHintRun = game->wonChallenges = 0;
    CQuestSave loaded;
    ASSERT_TRUE(loaded.Load(file("Quest.sav").c_str()));
    *game->questSave = loaded;
    game->ContinueQuest();
    EXPECT_EQ(6, game->completedRun);
    EXPECT_EQ(-1, game->noHintRun);
    EXPECT_EQ(2, game->wonChallenges);
}

TEST_F(QuestFlow, AReloadKeepsTheHintTakenAndTimeUpBreaksTheCompletedRun)
{
    CQuestSave saved;
    saved.level = 7;
    saved.resumePoint = CQuestSave::kResumeShop;
    saved.extra1 = 5;   // completed run when the autosave was made
    saved.extra5 = 3;   // run without a hint
    saved.extra13 = 1;  // challenges won
    ASSERT_TRUE(saved.Save(file("QuestAS1.sav").c_str()));
    ASSERT_TRUE(saved.Save(file("QuestAS2.sav").c_str()));
    const struct
    {
        const char* what;
        int previous;
        int timeUp;
        int32_t extra1, completedRun, extra13;
    } cases[] = {
        {"same level, time up", 0, 1, 0, 0, 2},
        {"same level, no move left", 0, 0, 5, 9, 2},
        {"level before, time up", 1, 1, 0, 0, 1},
        {"level before, no move left", 1, 0, 5, 9, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        game->levelParams.flagA = 0;
        game->completedRun = 9;
        game->noHintRun = -1;
        game->wonChallenges = 2;
        game->lossTimeUp = c.timeUp;
        ASSERT_TRUE(game->LoadAutosave(c.previous));
        EXPECT_EQ(c.extra1, game->questSave->extra1);
        EXPECT_EQ(c.completedRun, game->completedRun);
        EXPECT_EQ(-1, game->questSave->extra5);
        EXPECT_EQ(c.extra13, game->questSave->extra13);
    }
}

// A token's bonus and fixed mark are stored with the cells and restored with them;
// values out of range in a file are held to what the board and the shop can use.
TEST_F(QuestFlow, TokensKeepTheirBonusesAndOutOfRangeCellsAreHeld)
{
    FillBoard();
    CPlayField& board = *game->board;
    CRefPtr<CCap> token = board.cells[2][3];
    ASSERT_TRUE(token);
    token->marked = 0;
    CRefPtr<CBonus> bonus(new CBonus());
    bonus->kind = kBonusTNT;
    bonus->level = 2;
    token->held = bonus;
    token->fixed = 1;
    game->subState = kSubStateNormalPlay;
    game->UpdateQuestRecord(0);
    const CQuestSave& record = *game->questSave;
    EXPECT_EQ(kBonusTNT, record.grids[2][2][3]);
    EXPECT_EQ(2, record.grids[3][2][3]);
    EXPECT_EQ(1, record.grids[4][2][3]);

    CQuestSave damaged = record;
    damaged.resumePoint = CQuestSave::kResumeInLevel;
    damaged.grids[0][0][0] = INT32_MIN;
    damaged.grids[0][0][1] = 55;
    damaged.grids[0][0][2] = -3;
    damaged.grids[1][0][2] = 1000000;
    damaged.shopValues.fill(0);
    damaged.shopValues[1] = 99;
    damaged.shopValues[2] = -50;
    damaged.shopValues[10] = 4;
    damaged.shopValues[kShopItemTime] = -1;
    *game->questSave = damaged;
    game->ContinueQuest();
    // Each item keeps to its own range; the rule items are never locked.
    EXPECT_EQ(4, game->shop->items.levels[1]);
    EXPECT_EQ(-1, game->shop->items.levels[2]);
    EXPECT_EQ(3, game->shop->items.levels[10]);
    EXPECT_EQ(0, game->shop->items.levels[kShopItemTime]);
    // The board fills afresh from the record's cells.
    board.Reset(0);
    board.SetupLevelRules(1);
    ASSERT_EQ(1, board.LoadLevel("l1.lvl"));
    board.fillPending = CPlayField::kFillQuestSave;
    board.savedQuest = game->questSave.Get();
    board.inputOpen = 1;
    for (int i = 0; i < 400 && !board.IsIdle(true); ++i)
        board.Update(kStep, -999.0f, -999.0f);
    for (int c = 0; c < 3; ++c)
    {
        SCOPED_TRACE(c);
        ASSERT_TRUE(board.cells[0][size_t(c)]);
        EXPECT_GE(board.cells[0][size_t(c)]->colour, 0);
        EXPECT_LE(board.cells[0][size_t(c)]->lockCount, 9);
    }
}

TEST_F(QuestFlow, LeavingSavesTheQuestOnlyWithUnsavedProgress)
{
    game->questSave->status = CQuestSave::kStatusNone;
    game->SaveAndLeaveLevel(0);
    EXPECT_FALSE(fs::exists(path("Quest.sav")));
    EXPECT_EQ(kSubStateQuestLeft, game->subState);

    game->state = kStatePlaying;
    game->questSave->status = CQuestSave::kStatusUnsaved;
    game->questSave->resumePoint = CQuestSave::kResumeInLevel;
    game->questSave->level = 5;
    game->SaveAndLeaveLevel(1);
    CQuestSave saved;
    ASSERT_TRUE(saved.Load(file("Quest.sav").c_str()));
    EXPECT_EQ(5, saved.level);
}

// ---------------------------------------------------------------------------------
// Commands by widget id and state

TEST_F(QuestFlow, CommandsCloseOnlyFromTheirButtons)
{
    game->state = kStateMenus;
    EXPECT_EQ(1, game->MenuCommand(2));
    EXPECT_EQ(1, game->MenuCommand(280));
    EXPECT_EQ(0, game->MenuCommand(4));
    game->state = kStatePlaying;
    EXPECT_EQ(1, game->PlayCommand(280));
    EXPECT_EQ(0, game->PlayCommand(2));
}

TEST_F(QuestFlow, StatisticsContinueEndsTheLevel)
{
    game->subState = kSubStateStatistics;
    game->phase = 22;
    game->PlayCommand(20);
    EXPECT_EQ(kSubStateAfterLevel, game->subState);
    EXPECT_EQ(0, game->phase);
}

TEST_F(QuestFlow, LeavingTheShopAsksAboutFreeStarsAndItsYesGoesToTheMap)
{
    CShop& shop = *game->shop;
    game->subState = kSubStateShop;
    shop.display = 0.5f;
    game->PlayCommand(31);
    EXPECT_EQ(kSubStateShop, game->subState) << "the shop still fades in";

    shop.display = 1.0f;
    shop.items.freeStars = 1;
    shop.items.levels[3] = 0;
    shop.items.limits[3] = 1;
    game->PlayCommand(31);
    EXPECT_EQ(kSubStateShop, game->subState);
    EXPECT_EQ(kMessageStarsLeft, game->ui->messageCode);

    game->PlayCommand(202);
    EXPECT_EQ(kSubStateMap, game->subState);
    EXPECT_EQ(CQuestSave::kStatusUnsaved, game->questSave->status);
}

TEST_F(QuestFlow, ANewQuestSavesTheResetShopAndALevelStartAppliesTheShop)
{
    game->folders.levels = ORB_DATA_SRC_DIR "/Data/Lvl/";
    CShop& shop = *game->shop;
    shop.items.levels.fill(3);
    shop.items.freeStars = 7;
    ASSERT_EQ(1, game->StartNewQuest(0));
    const CQuestSave& record = *game->questSave;
    for (int i = 0; i < CShop::kItemCount; ++i)
        EXPECT_EQ(i >= kShopItemTime && i <= kShopItemGemCount ? 0 : -1, record.shopValues[size_t(i)]) << "item " << i;
    EXPECT_EQ(0, record.stars);
    // Nothing bought: the level plays with the plain rules and no bonuses.
    EXPECT_EQ(4, game->levelParams.paramCount);
    EXPECT_FLOAT_EQ(240.0f, game->levelParams.timeA);
    EXPECT_EQ(std::vector<int32_t>(6, -1), game->levelParams.kindLevels);
    EXPECT_EQ(-1, game->board->totems.m_levels[6]);

    // Bought levels reach the next level's parameters and the totems.
    shop.items.levels[kShopItemGemCount] = 2;
    shop.items.levels[0] = 3;      // violet totem
    shop.items.levels[13] = 1;     // flash bonus
    game->StartLevel(2);
    EXPECT_EQ(6, game->levelParams.paramCount);
    EXPECT_EQ(1, game->levelParams.kindLevels[3 - 2]);
    EXPECT_EQ(3, game->board->totems.m_levels[6]);
}

TEST_F(QuestFlow, AQuestSaveWrittenInTheShopReadsBackWithItsLevelsAndStars)
{
    CShop& shop = *game->shop;
    shop.items.UnlockForLevel(20);  // the red totem may hold two stars
    shop.items.ResetItems();
    shop.items.levels[5] = 1;
    shop.items.freeStars = 2;
    shop.items.levels[kShopItemGemCount] = 1;
    shop.layout.source = {-200.0f, -300.0f, 260.0f, 48.0f};
    shop.BuildStars(0.0f);
    // One star on its way to the red totem and one held by the mouse when the save comes.
    shop.OnClick(5, 1);
    shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);
    game->subState = kSubStateShop;
    shop.SettlePendingStars();
    game->UpdateQuestRecord(1);
    ASSERT_TRUE(game->questSave->Save(file("Quest.sav").c_str()));
    CQuestSave read;
    ASSERT_TRUE(read.Load(file("Quest.sav").c_str()));
    EXPECT_EQ(shop.items.levels, read.shopValues);
    EXPECT_EQ(2, read.shopValues[5]);
    EXPECT_EQ(1, read.stars);
}

TEST_F(QuestFlow, NoMovesCostsNoLifeWhileTheSolidarityBonusIsOwnedAtLevelZero)
{
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    const std::pair<int32_t, int> cases[] = {{-1, 1}, {0, 2}, {1, 1}};
    for (const auto& [solidarity, livesLeft] : cases)
    {
        game->lives = 2;
        game->lossRunning = 0;
        game->levelParams.kindLevels[5] = solidarity;
        Event(kEventNoMoves);
        game->Update(kStep);
        EXPECT_EQ(livesLeft, game->lives) << "solidarity level " << solidarity;
        // With the heart or without it, play goes on after the sequence.
        Run(3.5f);
        EXPECT_EQ(0, game->lossRunning) << "solidarity level " << solidarity;
        EXPECT_EQ(kSubStateNormalPlay, game->subState);
    }
}

// Owned at its first level, the score bonus spares the life a time-up would cost: the
// note shows alone and the level is played again all the same.
TEST_F(QuestFlow, TimeUpCostsNoLifeWhileTheScoreBonusIsOwnedAtLevelZero)
{
    const std::pair<int32_t, int> cases[] = {{-1, 1}, {0, 2}, {1, 1}};
    for (const auto& [scoreBonus, livesLeft] : cases)
    {
        SCOPED_TRACE(::testing::Message() << "score bonus level " << scoreBonus);
        SetUp();  // a game of its own
        FillBoard();
        game->board->inputOpen = 1;
        game->lives = 2;
        game->levelTimer = 0.1f;
        game->levelParams.kindLevels[4] = scoreBonus;
        game->levelParams.kindLevels[5] = -1;
        Run(0.2f);
        ASSERT_EQ(1, game->lossRunning);
        EXPECT_EQ(1, game->lossTimeUp);
        EXPECT_EQ(livesLeft == 2 ? 1 : 0, game->lossFinal);
        EXPECT_EQ(livesLeft, game->lives);
        // Either way the sequence ends: without an autosave the game is over.
        Run(3.5f);
        EXPECT_EQ(0, game->lossRunning);
        EXPECT_EQ(kSubStateGameOver, game->subState);
    }
}

// A shuffle that costs no life shows no life-lost effect: the sequence still ends after
// its delay, and the shuffled board is filled again and played on.
TEST_F(QuestFlow, AShuffleThatCostsNoLifeEndsAndPlayGoesOnOnTheRefilledBoard)
{
    FillBoard();
    CPlayField& board = *game->board;
    board.inputOpen = 1;
    game->lives = 2;
    game->levelTimer = 100.0f;
    game->levelParams.kindLevels[5] = 0;
    Event(kEventNoMoves);
    game->Update(kStep);
    ASSERT_EQ(1, game->lossRunning);
    EXPECT_EQ(0, game->lossEffect->busy);
    Run(2.5f);
    EXPECT_EQ(0, game->lossRunning);
    EXPECT_EQ(0, board.inputLocked);
    EXPECT_EQ(2, game->lives);
    for (int i = 0; i < 200 && !board.IsIdle(true); ++i)
        game->Update(kStep);
    EXPECT_TRUE(board.IsIdle(true)) << "the board stays empty after the shuffle";
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
}

TEST_F(QuestFlow, BuyingWithoutStarsSaysSoAndSellingGivesTheStarBack)
{
    CShop& shop = *game->shop;
    game->subState = kSubStateShop;
    shop.items.freeStars = 0;
    shop.items.levels[3] = 0;
    shop.items.limits[3] = 2;
    game->PlayCommand(43);
    EXPECT_EQ(kMessageNoStars, game->ui->messageCode);
    EXPECT_EQ(0, shop.items.levels[3]);
    shop.items.freeStars = 1;
    game->PlayCommand(43);
    shop.SettlePendingStars();
    EXPECT_EQ(1, shop.items.levels[3]);
    EXPECT_EQ(0, shop.items.freeStars);
    game->PlayCommand(63);
    EXPECT_EQ(0, shop.items.levels[3]);
    shop.SettlePendingStars();
    EXPECT_EQ(1, shop.items.freeStars);
}

TEST_F(QuestFlow, MessageBoxOkMovesTheWaitingStepOn)
{
    struct Case
    {
        int code, phaseBefore, phaseAfter;
    } cases[] = {{kMessageGameOver, 1, 3}, {kMessageLifeLost, 1, 3}, {kMessageChallengeRules, -8, -7}, {kMessageTutorial, 1, 1}};
    for (const Case& c : cases)
    {
        game->ui->messageCode = c.code;
        game->phase = c.phaseBefore;
        game->PlayCommand(200);
        EXPECT_EQ(c.phaseAfter, game->phase) << "code " << c.code;
    }
}

TEST_F(QuestFlow, ChoosingAProfileChecksTheSelectedIndex)
{
    game->state = kStateMenus;
    game->ui->profiles.reset(new CProfileList(game->folders.players));
    game->ui->profiles->profiles.clear();
    game->ui->profiles->profiles.push_back(CRefPtr<CPlayerSettings>(new CPlayerSettings("Bo")));
    CRefPtr<CPlayerSettings> before = game->player;
    for (int index : {-1, 1, 7})
    {
        game->ui->selectedProfile = index;
        game->MenuCommand(180);
        EXPECT_EQ(before, game->player) << index;
    }
    game->ui->selectedProfile = 0;
    game->MenuCommand(180);
    EXPECT_EQ("Bo", game->player->name);
}

TEST_F(QuestFlow, TheMapsPlayStartsTheNextLevelsIntro)
{
    game->subState = kSubStateMap;
    game->levelParams.Set(0, 1);
    game->PlayCommand(150);
    EXPECT_EQ(2, game->LevelNumber());
    EXPECT_EQ(kSubStateLevelIntro, game->subState);
    EXPECT_EQ(10, game->board->gemsToCollect);
    EXPECT_EQ(0, game->board->selectionCancelled);
}

// ---------------------------------------------------------------------------------
// Tutorial

TEST_F(QuestFlow, ATipLetsOnlyItsOwnTokenBePickedAndMovesItsPointer)
{
    CPlayField& board = *game->board;
    game->gameOptions.capsLockTutorial = 1;
    auto token = [](int column, int row) {
        CRefPtr<CCap> cap(new CCap());
        cap->column = column;
        cap->row = row;
        return cap;
    };
    struct Case
    {
        int tip, page, column, row, allowed, pageAfter;
    } cases[] = {
        {kTipBase, 0, 4, 4, 1, 1},  {kTipBase, 0, 3, 4, 0, -1},  {kTipBonus, 0, 2, 5, 1, 1},
        {kTipBonus, 4, 6, 4, 1, 5}, {kTipTotem, 2, 2, 6, 1, 3},  {kTipTotem, 6, 6, 4, 1, 7},
        {kTipGem, 0, 0, 0, 1, -1},  // other tips let any token go, and the pick ends them
    };
    for (const Case& c : cases)
    {
        board.tutorialStep = c.tip;
        board.tutorialDetail = c.page;
        const CRefPtr<CCap> cap = token(c.column, c.row);
        EXPECT_EQ(c.allowed, game->IsTutorialPick(cap)) << c.tip << "/" << c.page;
        if (!c.allowed)
            continue;
        game->AdvanceTutorialPick(cap);
        if (c.pageAfter >= 0)
        {
            EXPECT_EQ(c.pageAfter, board.tutorialDetail) << c.tip << "/" << c.page;
        }
        else
        {
            EXPECT_EQ(0, board.tutorialStep) << c.tip << "/" << c.page;
        }
    }
    game->gameOptions.capsLockTutorial = 0;
    board.tutorialStep = kTipBase;
    board.tutorialDetail = 0;
    EXPECT_EQ(1, game->IsTutorialPick(token(0, 0)));
}

TEST_F(QuestFlow, ATipsSwapTakesItsCellAndEndsOnAnyOther)
{
    CPlayField& board = *game->board;
    struct Case
    {
        int tip, page, column, row, result, tipAfter, pageAfter;
    } cases[] = {
        {kTipBase, 1, 3, 4, 1, kTipBase, 2},   {kTipBase, 1, 5, 4, 1, 0, 0},
        {kTipBonus, 1, 1, 5, 1, kTipBonus, 2}, {kTipBonus, 5, 5, 4, 1, 0, 0},  // past page 5 the tip ends
        {kTipTotem, 3, 0, 0, 0, 0, 0},  // the totem tip refuses the swap
        {kTipTotem, 7, 5, 4, 1, kTipTotem, 8}, {kTipGem, 0, 1, 1, 1, 0, 0},
    };
    for (const Case& c : cases)
    {
        game->levelParams.Set(0, 1);
        board.tutorialStep = c.tip;
        board.tutorialDetail = c.page;
        EXPECT_EQ(c.result, game->CheckTutorialSwap(c.column, c.row)) << c.tip << "/" << c.page;
        EXPECT_EQ(c.tipAfter, board.tutorialStep) << c.tip << "/" << c.page;
        if (c.tipAfter)
        {
            EXPECT_EQ(c.pageAfter, board.tutorialDetail) << c.tip << "/" << c.page;
        }
    }
}

TEST_F(QuestFlow, TipStepsWithoutTheirTokenEndAndTheShopTipIsRememberedAsSeen)
{
    CPlayField& board = *game->board;
    for (int tip : {kTipGem, kTipLock, kTipSteel})
    {
        board.tutorialStep = tip;  // the board posted it; the empty board has no such token
        game->ShowTutorialStep(tip, 0);
        EXPECT_EQ(0, board.tutorialStep) << tip;
    }
    game->ShowTutorialStep(kTipShop, 0);
    EXPECT_EQ(kMessageTutorial, game->ui->messageCode);
    EXPECT_EQ(1, game->player->tipsSeen[CPlayerSettings::kTipShop]);
    CPlayerSettings reread("Ada");
    ASSERT_TRUE(reread.Load(folder()));
    EXPECT_EQ(1, reread.tipsSeen[CPlayerSettings::kTipShop]);
}

// ---------------------------------------------------------------------------------
// Game over

TEST_F(QuestFlow, GameOverEmptiesTheQueueAndWaitsForItsMessage)
{
    Event(kEventScored);
    game->hiscores.count = 0;  // a table nothing enters
    EXPECT_EQ(0, game->StartGameOver());
    EXPECT_TRUE(game->board->events.empty());
    EXPECT_EQ(kSubStateGameOver, game->subState);
    Run(0.6f);
    EXPECT_EQ(1, game->phase);
    game->ui->messageCode = kMessageGameOver;
    game->PlayCommand(200);
    Run(0.45f);
    EXPECT_EQ(kStatePlaying, game->state);
    Run(0.3f);
    EXPECT_EQ(kStateMenus, game->state);
    EXPECT_EQ(kSubStateNormalPlay, game->subState);
    EXPECT_EQ(CQuestSave::kStatusNone, game->questSave->status);
}

}  // namespace

// The last-seconds trophy goes by the whole seconds left that the level summary kept.
TEST_F(QuestFlow, TheLastSecondsTrophyGoesByTheSecondsTheSummaryKept)
{
    game->trophies = CRefPtr<CTrophies>(new CTrophies());
    game->hiscores.count = 0;
    auto lastSeconds = [this]() {
        for (const TrophyAward& award : game->trophies->pending)
            if (award.trophy == 8)
                return award.level;
        return 0;
    };
    const struct
    {
        int32_t seconds;
        int32_t level;
    } cases[] = {{113, 0}, {11, 0}, {10, 1}, {5, 2}, {2, 3}};
    for (const auto& c : cases)
    {
        game->trophies->pending.clear();
        game->secondsLeft = c.seconds;
        game->CheckTrophies();
        EXPECT_EQ(c.level, lastSeconds()) << c.seconds << " seconds left";
    }
}
