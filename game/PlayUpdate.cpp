// The playing state's frame: the drag swap, the board's update and its events in
// order, the star-award and life-lost effects, the steps of the sub-states (play clock
// and hints, level complete, statistics, the way to the map and the shop, the next
// level's intro, the quest left, the life lost and the game over), the shop's
// autosave, the save on exit and the tutorial's check of a swap.
#include "game/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/Music.h"
#include "audio/SoundBank.h"
#include "backgrounds/BackgroundManager.h"
#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "engine/Log.h"
#include "engine/StringTable.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/QuestSlots.h"
#include "render/SpriteBatch.h"
#include "hud/GemsBuffer.h"
#include "screens/Interface.h"
#include "hud/LossEffect.h"
#include "screens/Shop.h"
#include "hud/StarEffect.h"
#include "hud/TokenSelector.h"

namespace {

// The level parameters keep the bonuses by type - 2: the score bonus (type 6) and
// the solidarity bonus (type 7).
const size_t kScoreBonusEntry = 4;
const size_t kSolidarityEntry = 5;

// Texts of the string table.
const int kStringFrenzy = 7;
const int kPlayStringTimeUp = 54;
const int kPlayStringNoMoves = 13;
const int kStringNoLivesLeft = 56;
const int kStringRestartLevel = 57;
const int kStringRetry = 55;
const int kStringGameOver = 58;
const int kPlayStringNewHighScore = 61;

// Message-box button layouts: 0 an OK button, 1 a Continue button.
const int kLayoutOk = 0;
const int kLayoutLifeLost = 1;
const int kLayoutGameOver = kLayoutOk;

const int32_t kPlaySceneMainMenu = 6;

// The next warning after time was added: the highest threshold below the time.
float WarningFor(float time)
{
    if (time > 30.0f)
        return 30.0f;
    if (time > 15.0f)
        return 15.0f;
    if (time > 10.0f)
        return 10.0f;
    return std::floor(time);
}

}  // namespace

float CGame::TimePanelX() const
{
    // Sounds of the clock come from where the clock is drawn.
    if (!ui)
        return 0.0f;
    const WidgetList& panel = ui->List(kFormQuest, 0);
    return panel.empty() || !panel[0] ? 0.0f : panel[0]->worldPosition.x;
}

void CGame::SetRemainingTime(float seconds)
{
    const float allowance = levelParams.timeA > 0.0f ? levelParams.timeA : 1.0f;
    levelTimer = std::max(0.0f, std::min(seconds, allowance));
    if (ui)
        ui->SetGaugeTarget(levelTimer / allowance);
}

int CGame::Update(float dt)
{
    if (!board || !ui)
        return 0;
    CPlayField& field = *board;
    // Read before the board's update: the tutorial's pause holds the drag and runs its own clock.
    const bool tutorialBlocks = IsDelayedTutorialKind(field.tutorialStep) && field.tutorialTimer < kTutorialBlockTime;
    if (!tutorialBlocks)
        SwapHeldTokenUnderPointer();
    field.Update(dt, mouseX, mouseY);
    DrainBoardEvents();
    OfferPlayTrophies();
    UpdateStarAward(dt);
    UpdateLifeLostDelay(dt);
    UpdateSubState(dt, tutorialBlocks);
    UpdateShopAutosave(dt);
    return 0;
}

void CGame::UpdateSubState(float dt, bool tutorialBlocks)
{
    switch (subState)
    {
    case kSubStateNormalPlay:
        return UpdateNormalPlay(dt, tutorialBlocks);
    case kSubStateLevelComplete:
        return UpdateLevelComplete(dt);
    case kSubStateStatistics:
        return UpdateLevelStatistics(dt);
    case kSubStateAfterLevel:
        return UpdateAfterLevel(dt);
    case kSubStateMap:
        return UpdateMapFlag(dt);
    case kSubStateLevelIntro:
        return UpdateNextLevelIntro(dt);
    case kSubStateBackFromTutorial:
        return UpdateBackFromTutorial(dt);
    case kSubStateQuestLeft:
        return UpdateQuestLeft(dt);
    case kSubStateLifeLost:
        return UpdateLifeLost(dt);
    case kSubStateGameOver:
        return UpdateGameOver(dt);
    case kSubStateChallenge:
        return UpdateChallengeScreen(dt);
    default:
        return;
    }
}

void CGame::SwapHeldTokenUnderPointer()
{
    // A held token slides into a swap with the neighbour under the pointer.
    CPlayField& field = *board;
    CRefPtr<CCap> held = field.tokenSelector ? field.tokenSelector->token : CRefPtr<CCap>();
    if (subState != kSubStateNormalPlay || field.inputLocked || !tokenPicked || !held || questMode != 0)
        return;
    const CCellPos cell = field.ScreenToCell(mouseX, mouseY);
    const int dc = std::abs(cell.column - held->column), dr = std::abs(cell.row - held->row);
    if (cell.column >= 0 && cell.row >= 0 && cell.column < field.columns && cell.row < field.rows && dc <= 1 &&
        dr <= 1 && dc != dr && IsTutorialSwapAllowed(cell.column, cell.row) &&
        field.IsSwappable(cell.column, cell.row) && CheckTutorialSwap(cell.column, cell.row))
    {
        field.tokenSelector->Clear();
        field.StartSwap(held->column, held->row, cell.column, cell.row, 0);
        tokenPicked = 0;
    }
}

void CGame::DrainBoardEvents()
{
    CPlayField& field = *board;
    if (field.events.empty())
        return;
    field.DeferEvents();
    // Handlers may clear the queue (a level won or a life lost): walk a copy.
    const std::vector<CPlayFieldEvent> queue = field.events;
    field.events.clear();
    for (const CPlayFieldEvent& event : queue)
        HandleBoardEvent(event);
}

void CGame::OfferPlayTrophies()
{
    // Trophies earned in play open their screen only while the board rests.
    CPlayField& field = *board;
    const bool starBusy = starEffect && starEffect->busy;
    const bool lossBusy = lossEffect && lossEffect->busy;
    if (subState == kSubStateNormalPlay && field.tutorialStep == kTipNone && !starBusy && !lossBusy && !lossRunning &&
        CanPause() && field.IsIdle(true) && !IsSandFalling() && CheckPlayTrophies(1))
        ShowTrophies(1);
}

void CGame::UpdateStarAward(float dt)
{
    if (!starEffect || !starEffect->busy || starEffect->Update(dt))
        return;
    if (levelKind == kLevelKindPlain)
    {
        // After a golden star the glass's sand no longer falls in this level.
        if (board->sandbox && board->sandbox->heap)
            board->sandbox->heap->drainRate = 0.0;
        board->SetInputLock(0);
    }
    else
    {
        phase = ChallengePhase::ResetChallenge;
        stateTimer = 0.0f;
    }
}

void CGame::UpdateLifeLostDelay(float dt)
{
    if (lossEffect)
        lossEffect->Update(dt);
    if (!lossRunning)
        return;
    lossTimer += dt;
    // Only an effect that runs holds the sequence past its delay: a shuffle that costs
    // no life shows none, and waiting for it to end would lock the board for good.
    const bool effectRunning = lossEffect && lossEffect->busy;
    if (lossTimer < kLifeLostDelay || effectRunning)
        return;
    CPlayField& field = *board;
    lossRunning = 0;
    const bool icons = levelParams.flagA != 0;
    if (lossTimeUp)
    {
        field.SetInputLock(0);
        const int previousLevel = !icons && lives <= 0 ? 1 : 0;
        if (!LoadAutosave(previousLevel) && (previousLevel || !ReloadLevelStart()))
            StartGameOver();
    }
    else if (lives > 0 || icons)
        field.SetInputLock(0);
    else if (!LoadAutosave(1))
        StartGameOver();
}

void CGame::UpdateNormalPlay(float dt, bool tutorialBlocks)
{
    CPlayField& field = *board;
    stateTimer += dt;
    if (tutorialBlocks)
        field.tutorialTimer += dt;
    const bool clockRuns = questMode == 0 && levelKind == kLevelKindPlain && field.inputOpen && !field.inputLocked &&
                           !field.selectionCancelled && field.tutorialStep == kTipNone;
    if (!clockRuns)
        return;
    RunPlayClock(dt);
    if (levelTimer > 0.0f)
    {
        // With lives shown as icons the two hints take turns: the first waits while
        // the life icons' panel is up.
        const bool icons = levelParams.flagA != 0;
        if (!field.adviser.active && !(icons && ui->IsIconPanelShown()))
            UpdateHintPanel(dt);
        if (icons)
            UpdateIconPanel(dt);
    }
    if (!questJustLoaded)
    {
        autosaveTimer += dt;
        if (autosaveTimer >= kAutosaveInterval && IsPlayQuiet())
        {
            UpdateQuestRecord(questSave && questSave->status == CQuestSave::kStatusNone ? 1 : 0);
            questSave->status = CQuestSave::kStatusUnsaved;
            autosaveTimer = 0.0f;
        }
    }
}

void CGame::RunPlayClock(float dt)
{
    CPlayField& field = *board;
    field.counters.AddFloatToBoth(dt, kCounterTime);
    SetRemainingTime(levelTimer - dt);
    if (levelTimer <= nextWarning)
    {
        ui->SetWarningPulse(1);
        if (nextWarning == 30.0f)
            nextWarning = 15.0f;
        else if (nextWarning == 15.0f)
            nextWarning = 10.0f;
        else if (nextWarning <= 10.0f)
            nextWarning -= 1.0f;
    }
    // With the score bonus owned but not upgraded, running out of time costs no life.
    if (levelTimer <= 0.0f && field.IsIdle(true) && !lossRunning)
        LoseLife(true, levelParams.kindLevels.size() > kScoreBonusEntry && levelParams.kindLevels[kScoreBonusEntry] == 0);
}

void CGame::UpdateHintPanel(float dt)
{
    // The hint panel comes up after a quiet while and blinks for a moment.
    CPlayField& field = *board;
    field.timeSinceMatch += dt;
    if (field.timeSinceMatch >= kHintDelay)
    {
        if (hintTimerA == 0.0f)
            ui->SetPanelVisible(questMode, 1);
        hintTimerA += dt;
        BlinkQuestIndicator1(dt);
        if (hintTimerA >= kHintShowTime)
        {
            field.timeSinceMatch = 0.0f;
            hintTimerA = 0.0f;
            ui->SetPanelVisible(questMode, 0);
        }
    }
    else if (hintTimerA > 0.0f)
    {
        ui->SetPanelVisible(questMode, 0);
        hintTimerA = 0.0f;
    }
}

void CGame::UpdateIconPanel(float dt)
{
    // A gem that has sat in the bottom rows for long, with none collected: the life
    // icons' panel points at the life that buys a shuffle, and blinks for a moment.
    CPlayField& field = *board;
    const bool shown = ui->IsIconPanelShown();
    if (!shown)
        field.timeSinceGem += dt;
    if (field.timeSinceGem < kSecondHintDelay)
    {
        if (shown || hintTimerB > 0.0f)
            ui->SetIconPanelVisible(0);
        hintTimerB = 0.0f;
        return;
    }
    if (!field.HasMarkedCapInBottomRows(kLowGemRows))
    {
        field.timeSinceGem = 0.0f;
        return;
    }
    if (hintTimerB == 0.0f)
        ui->SetIconPanelVisible(1);
    hintTimerB += dt;
    BlinkQuestIndicator2(dt);
    if (hintTimerB >= kHintShowTime)
    {
        ui->SetIconPanelVisible(0);
        field.timeSinceGem = 0.0f;
        hintTimerB = 0.0f;
    }
}

void CGame::NextPhase(int32_t next)
{
    phase = next;
    stateTimer = 0.0f;
}

void CGame::HidePlayPanels()
{
    CPlayField& field = *board;
    if (field.sandbox)
        field.sandbox->SetState(0, 0.5f);
    if (field.gemsBuffer)
        field.gemsBuffer->Show(0, 2.0f);
    field.ShowPanels(0, 0, 2.0f);
}

void CGame::UpdateLevelComplete(float dt)
{
    stateTimer += dt;
    if (phase == LevelCompletePhase::HideTitle && stateTimer >= 1.5f)
    {
        ui->FadeOutForm(ui->Form("NewLevel"), 2.0f);
        NextPhase(LevelCompletePhase::ShowResults);
    }
    else if (phase == LevelCompletePhase::ShowResults && stateTimer >= 0.5f)
    {
        HidePlayPanels();
        ShowLevelResults(0);
        ui->FadeInForm(ui->Form("Statistics"), 2.0f);
        NextPhase(LevelCompletePhase::EnterStatistics);
    }
    else if (phase == LevelCompletePhase::EnterStatistics && stateTimer >= 0.5f)
    {
        subState = kSubStateStatistics;
        NextPhase(StatisticsPhase::RevealHeader);
        board->ClearItems();
        if (music)
            music->RequestTrack(CMusic::kTrackStoryline);
    }
}

void CGame::UpdateAfterLevel(float dt)
{
    stateTimer += dt;
    switch (phase)
    {
    case AfterLevelPhase::HideTitle:
        if (stateTimer >= 0.5f)
        {
            ui->FadeOutForm(ui->Form("NewLevel"), 2.0f);
            int32_t stage = 1, index = 1;
            SplitLevelIndex(levelParams.level, stage, index);
            if (backgrounds)
                backgrounds->SetStage(index, 0);
            NextPhase(AfterLevelPhase::Settle);
        }
        return;
    case AfterLevelPhase::Settle:
        if (stateTimer >= 0.5f)
            NextPhase(AfterLevelPhase::WaitForPlayer);
        return;
    case AfterLevelPhase::ChooseNextScreen:
    {
        // The first level of stages 2 to 5 is announced by the newspaper before the shop.
        NextPhase(AfterLevelPhase::OpenShop);
        int32_t stage = 1, index = 1;
        SplitLevelIndex(levelParams.level + 1, stage, index);
        if (index == 1 && stage >= 2 && stage <= 5)
        {
            ui->ShowNewspaperPage(stage - 2);
            phase = AfterLevelPhase::OpenNewspaper;
        }
        return;
    }
    case AfterLevelPhase::OpenShop:
        ui->FadeOutForm(ui->Form("Background"), 2.0f);
        ui->FadeOutForm(ui->Form("Map"), 2.0f);
        if (shop)
            shop->Refresh(1, 2.0f, levelParams.level + 1);
        shopAutosave = 1;
        ui->FadeInForm(ui->Form("Shop"), 2.0f);
        subState = kSubStateShop;
        NextPhase(kPhaseStart);
        return;
    case AfterLevelPhase::OpenNewspaper:
        ui->FadeOutForm(ui->Form("Background"), 2.0f);
        ui->FadeOutForm(ui->Form("Map"), 2.0f);
        ui->FadeInForm(ui->Form("Newspaper"), 2.0f);
        NextPhase(AfterLevelPhase::NewspaperShown);
        return;
    case AfterLevelPhase::CloseNewspaper:
        ui->FadeOutForm(ui->Form("Newspaper"), 4.0f);
        NextPhase(AfterLevelPhase::OpenShop);
        return;
    default:
        return;
    }
}

void CGame::ShowLevelTitle()
{
    if (board)
    {
        board->ShowPanels(1, 1, 2.0f);
        // The player's totems stand beside the board.
        board->totems.CreatePanelTotems();
        board->totems.BuildPanelPictures(0);
        board->totems.SetPanelPicturesVisible(1, 2.0f);
    }
    ui->questMode = questMode;
    const float allowance = levelParams.timeA > 0.0f ? levelParams.timeA : 1.0f;
    ui->SetCounters(board ? board->counters.second.GetInt(kCounterScore) : 0, lives, levelTimer / allowance);
    if (levelParams.flagA)
        ui->ShowFirstIcons(lives);
    ui->FadeInForm(ui->Form("Quest"), 2.0f);
    ui->SetLevelLabel(levelParams.level);
    ui->FadeInForm(ui->Form("NewLevel"), 2.0f);
    if (soundBank)
        soundBank->Play(soundBank->NewLevel, 0, 0);
}

void CGame::StartLevelPlay()
{
    // The board takes input and, in the quest, its sand glass starts falling.
    if (board)
        board->inputOpen = 1;
    if (questMode == 0 && board && board->sandbox && board->sandbox->heap)
        board->sandbox->heap->drainRate = static_cast<float>(GetFallSpeed(levelParams));
}

void CGame::UpdateNextLevelIntro(float dt)
{
    stateTimer += dt;
    if (phase == LevelIntroPhase::ShowTitle && stateTimer >= 1.0f)
    {
        ShowLevelTitle();
        NextPhase(LevelIntroPhase::HideTitle);
    }
    else if (phase == LevelIntroPhase::HideTitle && stateTimer >= 1.0f)
    {
        ui->FadeOutForm(ui->Form("NewLevel"), 2.0f);
        NextPhase(LevelIntroPhase::StartPlay);
    }
    else if (phase == LevelIntroPhase::StartPlay && stateTimer >= 0.5f)
    {
        subState = kSubStateNormalPlay;
        NextPhase(kPhaseStart);
        StartLevelPlay();
        if (music)
            music->RequestTrack(CMusic::kTrackGameplay);
    }
}

void CGame::UpdateBackFromTutorial(float dt)
{
    stateTimer += dt;
    if (stateTimer < 1.5f)
        return;
    subState = kSubStateNormalPlay;
    board->SetInputLock(0);
}

void CGame::LeavePlay()
{
    // The panels hide and, in the quest, the quest form goes, whether the quest was left,
    // a life lost or the game over; the board stays until cleared.
    HidePlayPanels();
    if (questMode == 0)
    {
        ui->FadeOutForm(ui->Form("Quest"), 2.0f);
        FadeOutTotems();
    }
}

void CGame::FadeOutTotems()
{
    board->totems.SetPanelPicturesVisible(0, 2.0f);
    board->totems.FadeOutAll(2.0f);
}

void CGame::ClearBoardForMenus()
{
    board->ClearItems();
    if (music)
        music->RequestTrack(CMusic::kTrackMainMenu);
    if (backgrounds)
        backgrounds->SetScene(kPlaySceneMainMenu);
}

void CGame::ReturnToMenus()
{
    CPlayField& field = *board;
    if (hiscoreMade)
    {
        char text[256] = "";
        GetStringById(kPlayStringNewHighScore, text, sizeof(text));
        ui->SetMessageBox(text, "", kLayoutOk, kMessageHighScore);
        ui->FadeInForm(ui->Form("MsgBox"), 2.0f);
    }
    else
        ui->FadeInForm(ui->Form("MainMenu"), 2.0f);
    // The menus do not run the board: whatever of its panels is still fading goes now.
    field.ShowPanels(0, 0, 0.0f);
    if (field.gemsBuffer)
        field.gemsBuffer->Show(0, 0.0f);
    if (field.sandbox)
        field.sandbox->SetState(0, 0.0f);
    field.SetInputLock(0);
    state = kStateMenus;
    subState = kSubStateNormalPlay;
    NextPhase(kPhaseStart);
    if (questSave)
        questSave->status = CQuestSave::kStatusNone;
}

void CGame::UpdateQuestLeft(float dt)
{
    stateTimer += dt;
    switch (phase)
    {
    case QuestLeftPhase::HidePanels:
        if (stateTimer >= 0.5f)
        {
            LeavePlay();
            NextPhase(QuestLeftPhase::ClearBoard);
        }
        return;
    case QuestLeftPhase::ClearBoard:
        if (stateTimer >= 0.5f)
        {
            ClearBoardForMenus();
            NextPhase(QuestLeftPhase::SettleFrame1);
        }
        return;
    case QuestLeftPhase::SettleFrame1:
    case QuestLeftPhase::SettleFrame2:
        ++phase;
        return;
    case QuestLeftPhase::BackToMenus:
        return ReturnToMenus();
    default:
        return;
    }
}

void CGame::ShowLifeLostMessage()
{
    char text[512] = "", first[256] = "", second[256] = "";
    // A loss that spared the life (lossFinal) still leaves lives: the box says the
    // time is up and asks for a retry, never that no lives are left.
    if (lives <= 0)
    {
        GetStringById(kStringNoLivesLeft, first, sizeof(first));
        char format[256] = "";
        GetStringById(kStringRestartLevel, format, sizeof(format));
        int32_t stage = 1, index = 1;
        SplitLevelIndex(questSave ? questSave->level : 1, stage, index);
        // The text is data: only its own "%d" places take the stage and level.
        const std::string note = CInterface::FillText(format, {stage, index});
        std::snprintf(second, sizeof(second), "%s", note.c_str());
    }
    else
    {
        GetStringById(kPlayStringTimeUp, first, sizeof(first));
        GetStringById(kStringRetry, second, sizeof(second));
    }
    std::snprintf(text, sizeof(text), "%s\n%s", first, second);
    ui->SetMessageBox(text, "", kLayoutLifeLost, kMessageLifeLost);
}

void CGame::ShowGameOverMessage()
{
    char text[512] = "", first[256] = "", second[256] = "";
    GetStringById(lossTimeUp ? kPlayStringTimeUp : kPlayStringNoMoves, first, sizeof(first));
    GetStringById(kStringGameOver, second, sizeof(second));
    std::snprintf(text, sizeof(text), "%s\n%s", first, second);
    ui->SetMessageBox(text, "", kLayoutGameOver, kMessageGameOver);
}

void CGame::OpenLossMessage()
{
    ui->FadeInForm(ui->Form("MsgBox"), 2.0f);
    if (soundBank)
        soundBank->Play(soundBank->Bad, 0, 0);
}

void CGame::UpdateLifeLost(float dt)
{
    stateTimer += dt;
    switch (phase)
    {
    case LifeLostPhase::HidePanels:
        if (stateTimer >= 0.5f)
        {
            LeavePlay();
            ShowLifeLostMessage();
            OpenLossMessage();
            NextPhase(LifeLostPhase::MessageShown);
        }
        return;
    case LifeLostPhase::Retry:
        if (stateTimer >= 0.5f)
        {
            board->ClearItems();
            NextPhase(LifeLostPhase::Restarting);
            RestartLevelFromSave();
        }
        return;
    case LifeLostPhase::OpenShop:
        subState = kSubStateShop;
        NextPhase(kPhaseStart);
        questJustLoaded = 0;
        state = kStatePlaying;
        if (questSave)
            questSave->status = CQuestSave::kStatusNone;
        // The retry's shop saves nothing: the autosaves already hold this level and the one before.
        if (shop)
            shop->Refresh(1, 2.0f, levelParams.level + 1);
        ui->FadeInForm(ui->Form("Shop"), 2.0f);
        if (music)
            music->RequestTrack(CMusic::kTrackStoryline);
        return;
    default:
        return;
    }
}

void CGame::UpdateGameOver(float dt)
{
    stateTimer += dt;
    switch (phase)
    {
    case GameOverPhase::HidePanels:
        if (stateTimer >= 0.5f)
        {
            LeavePlay();
            ShowGameOverMessage();
            OpenLossMessage();
            NextPhase(GameOverPhase::MessageShown);
        }
        return;
    case GameOverPhase::ClearBoard:
        if (stateTimer >= 0.5f)
        {
            ClearBoardForMenus();
            NextPhase(GameOverPhase::SettleFrame1);
        }
        return;
    case GameOverPhase::SettleFrame1:
    case GameOverPhase::SettleFrame2:
        ++phase;
        return;
    case GameOverPhase::SubmitScore:
        // The quest-left steps end the game over with the high score's answer.
        hiscoreMade = SubmitHighScore(board->counters.second.GetInt(kCounterScore));
        subState = kSubStateQuestLeft;
        phase = QuestLeftPhase::BackToMenus;
        return;
    default:
        return;
    }
}

void CGame::UpdateShopAutosave(float dt)
{
    // The shop's first settled frame after the level saves the quest at the shop.
    if (questMode != 0 || !shop)
        return;
    if (!shop->Update(dt, mouseX, mouseY) || !shopAutosave)
        return;
    shopAutosave = 0;
    RotateAutosaves(questMode);
    UpdateQuestRecord(1);
    questSave->status = CQuestSave::kStatusUnsaved;
    if (player)
    {
        SaveQuest(kQuestSaveFile);
        SaveQuest(kQuestAutosave1File);
    }
    if (player && player->questTutorial && !player->tipsSeen[CPlayerSettings::kTipShop])
        ShowTutorialStep(kTipShop, 0);
}

void CGame::HandleBoardEvent(const CPlayFieldEvent& event)
{
    CPlayField& field = *board;
    switch (event.code)
    {
    case kEventScored:
        ui->SetCounter(field.counters.second.GetInt(kCounterScore), 1);
        CheckExtraLife();
        break;
    case kEventCascadeEnd:
    {
        CRefPtr<CPopupMessage> message;
        field.popups.AddComboMessage(message, event.arg, static_cast<int>(field.capsSet.size()),
                                     questLayout.comboMessagePos[0], questLayout.comboMessagePos[1],
                                     questLayout.comboMessagePos[2]);
        field.counters.second.AddInt(event.arg, kCounterBestCombo);
        field.counters.third.AddInt(event.arg, kCounterBestCombo);
        break;
    }
    case kEventFrenzy:
    {
        char text[128] = "";
        GetStringById(kStringFrenzy, text, sizeof(text));
        CRefPtr<CPopupMessage> message;
        field.popups.AddMessage(message, text, 1.8f, 4, questLayout.frenzyMessagePos[0],
                                questLayout.frenzyMessagePos[1], questLayout.frenzyMessagePos[2]);
        if (soundBank)
            soundBank->Play(soundBank->ScoreFrenzy, 0, 0);
        FlashSandGlass(field);
        break;
    }
    case kEventBonusTime:
        levelTimer += event.seconds;
        nextWarning = WarningFor(levelTimer);
        SetRemainingTime(levelTimer);
        if (soundBank)
            soundBank->PlayPanned(soundBank->TimeAdd, TimePanelX(), 0, 0);
        break;
    case kEventLevelWon:
        CompleteLevel();
        break;
    case kEventSandGlassEnd:
        field.SetInputLock(1);
        if (field.sandbox)
            field.sandbox->SetFlowing(false, 0.0);
        ++starCount;
        if (starEffect)
            starEffect->Start();
        if (soundBank)
            soundBank->Play(soundBank->BonusStar, 0, 0);
        if (shop)
            ++shop->items.freeStars;
        break;
    case kEventNoMoves:
        // With the solidarity bonus owned but not upgraded, no moves costs no life.
        LoseLife(false, levelParams.kindLevels.size() > kSolidarityEntry && levelParams.kindLevels[kSolidarityEntry] == 0);
        break;
    case kEventChallengeScored:
    {
        field.counters.AddToBoth(event.arg, kCounterScore);
        ui->SetCounter(field.counters.second.GetInt(kCounterScore), 1);
        CRefPtr<CPopupMessage> popup;
        field.popups.AddScore(popup, event.arg, 0, event.x, event.y, CPopupMessages::Settings().z);
        CheckExtraLife();
        break;
    }
    case kEventTip:
        ShowTutorialStep(event.tip, event.arg);
        break;
    case kEventRoundEnded:
    case kEventChallengeEnded:
    case kEventChallengeMissed:
        HandleChallengeEvent(event);
        break;
    default:
        // 10 asks nothing.
        break;
    }
}

int CGame::CheckTutorialSwap(int col, int row)
{
    if (!board)
        return 1;
    CPlayField& field = *board;
    const int kind = field.tutorialStep;
    const int step = field.tutorialDetail;
    int wantCol = -1, wantRow = -1;
    switch (kind)
    {
    case kTipBase:
        if (step == 1)
            wantCol = 3, wantRow = 4;
        break;
    case kTipBonus:
        if (step == 1)
            wantCol = 1, wantRow = 5;
        else if (step == 5)
            wantCol = 5, wantRow = 4;
        break;
    case kTipTotem:
        if (step == 3)
            wantCol = 1, wantRow = 6;
        else if (step == 7)
            wantCol = 5, wantRow = 4;
        break;
    default:
        EndTutorial(1);
        return 1;
    }
    if (wantCol >= 0 && (col != wantCol || row != wantRow))
    {
        EndTutorial(1);
        return kind == kTipTotem ? 0 : 1;
    }
    field.tutorialDetail = step + 1;
    ui->FadeOutForm(ui->Form("Tutorial"), 8.0f);
    if ((kind == kTipBase || kind == kTipBonus) && field.tutorialDetail > 5)
        EndTutorial(1);
    else if (kind == kTipTotem && field.tutorialDetail > 8)
    {
        EndTutorial(1);
        return 0;
    }
    return 1;
}

void CGame::SaveOnExit()
{
    if (questMode == 0 && state == kStatePlaying && subState == kSubStateShop && shop && shop->display >= 1.0f && ui)
    {
        CRefPtr<CKMForm> shopForm = ui->Form("Shop");
        if (shopForm && shopForm->visible)
        {
            shop->SettlePendingStars();
            UpdateQuestRecord(1);
            questSave->status = CQuestSave::kStatusUnsaved;
        }
    }
    SaveQuestOnLeaving();
}
