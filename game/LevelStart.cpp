// Level starts: a new quest at level 1, the next level of a running quest, the quest
// resumed from its record or retried after a lost life, the copy of the game's quest
// state into the record, and the end of a tutorial.
#include "game/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "backgrounds/BackgroundManager.h"
#include "bonuses/Bonus.h"
#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "engine/SaveErrors.h"
#include "engine/StringTable.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "hud/GemsBuffer.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "hud/TokenSelector.h"

namespace {

const int kStringTutorialDone = 71;

std::string LevelFile(int level)
{
    char name[32];
    std::snprintf(name, sizeof(name), "l%d.lvl", level);
    return name;
}

// Lives are never more than the level parameters allow when shown as icons.
int MaxLives(const CLevelParams& params)
{
    return params.flagB > 0 ? params.flagB : 1;
}

// Totems bought for use: those with a level above 0.
int AvailableTotems(const CTotemsManager& totems)
{
    int count = 0;
    for (int32_t level : totems.m_levels)
        if (level > 0)
            ++count;
    return count;
}

}  // namespace

std::string CGame::PlayerFolder() const
{
    return player ? folders.players + player->name : std::string();
}

int CGame::NewQuestFromMenu(int hard)
{
    stateTimer = 0.0f;
    state = kStateLevelIntro;
    subState = kSubStateNormalPlay;
    phase = LevelIntroPhase::LoadIntroPicture;
    if (device)
        SwapPanelTextures(0, 0);
    if (caps && !caps->SwitchTextureSet(0))
        LogText("Error switching Caps textures\n");
    if (ui)
        ui->RecreateMapDiffTextures(1);
    return StartNewQuest(hard);
}

int CGame::StartNewQuest(int hard)
{
    CoCreateGuid(reinterpret_cast<GUID*>(questId));
    if (ui)
        if (CRefPtr<CKMForm> quest = ui->Form("Quest"))
            quest->SetActive(1);
    lossRunning = 0;
    if (player && !player->veteran)
    {
        player->ResetQuestTutorials();
        SavePlayerSettings();
    }
    levelParams.Set(questMode, 1);
    lives = levelParams.flagA ? MaxLives(levelParams) : 3;
    levelKind = kLevelKindPlain;
    if (!board)
        return 0;
    board->Reset(questMode);
    board->playerSettings = player;
    board->hardMode = hard;
    board->gameWord = 0;
    // Running, paused and finished: the level begins at its intro's end.
    board->inputOpen = board->inputLocked = board->selectionCancelled = 0;
    boardSecondRun = 0;
    starCount = wonChallenges = completedRun = noHintRun = 0;
    board->SetupLevelRules(1);
    board->counters.Reset();
    if (questMode == 0)
    {
        if (backgrounds)
            backgrounds->SetScene(1);
        if (shop)
        {
            shop->ResetItems();
            shop->items.freeStars = 0;
            shop->UnlockForLevel(1);
            shop->ApplyToLevel(levelParams);
            shop->ApplyTotemLevels(board->totems.m_levels);
        }
        board->gemsToPlace = board->gemsToCollect = GetTotemLevelGoal(1);
        board->LoadLevel(LevelFile(1));
        if (board->gemsBuffer)
        {
            board->gemsBuffer->SetTotalCells(board->gemsToPlace);
            board->gemsBuffer->ResetForLevel();
            board->gemsBuffer->Refresh();
        }
        levelTimer = levelParams.timeA;
        nextWarning = 30.0f;
        if (board->sandbox)
            board->sandbox->SetFlowing(false, 0.0);
    }
    if (!questSave)
        questSave = CRefPtr<CQuestSave>(new CQuestSave());
    UpdateQuestRecord(1);
    questSave->status = CQuestSave::kStatusNewQuest;
    levelStartRecord = CRefPtr<CQuestSave>(new CQuestSave(*questSave));
    autosaveTimer = 0.0f;
    questJustLoaded = 0;
    board->fillCounter = 0;
    board->timeSinceMatch = board->timeSinceGem = 0.0f;
    hintTimerA = hintTimerB = 0.0f;
    shopAutosave = 0;
    board->fillPending = CPlayField::kFillLevel;
    if (ui)
    {
        ui->SetPanelVisible(questMode, 0);
        ui->SetIconPanelVisible(0);
    }
    return 1;
}

void CGame::StartLevel(int level)
{
    lossRunning = 0;
    levelKind = kLevelKindPlain;
    levelParams.Set(questMode, level);
    if (!board)
        return;
    // Not running until its intro ends, and no longer finished: the last level's
    // drop-off marked the board so.
    board->inputOpen = 0;
    board->selectionCancelled = 0;
    board->SetupLevelRules(level);
    board->fillPending = CPlayField::kFillLevel;
    board->counters.MoveThirdToFirst();
    if (questMode == 0)
    {
        if (shop)
        {
            shop->ApplyToLevel(levelParams);
            shop->ApplyTotemLevels(board->totems.m_levels);
        }
        if (device)
            SwapPanelTextures(0, questMode);
        board->gemsToPlace = board->gemsToCollect = GetTotemLevelGoal(level);
        board->LoadLevel(LevelFile(level));
        if (board->gemsBuffer)
        {
            board->gemsBuffer->SetTotalCells(board->gemsToPlace);
            board->gemsBuffer->ResetForLevel();
            board->gemsBuffer->Refresh();
        }
        if (board->sandbox && board->sandbox->heap)
            board->sandbox->heap->Reset();  // keeps its fall
        levelTimer = levelParams.timeA;
        nextWarning = 30.0f;
        if (board->sandbox)
            board->sandbox->SetFlowing(false, 0.0);
        if (levelParams.flagA)
            lives = MaxLives(levelParams);
    }
    if (player && player->questTutorial && !player->tipsSeen[CPlayerSettings::kTipTotem] &&
        AvailableTotems(board->totems) > 0)
    {
        board->LoadLevel("Totem.lvl");
        ShowTutorialStep(kTipTotem, 0);
    }
    if (questSave)
        questSave->status = CQuestSave::kStatusNone;
}

void CGame::ContinueQuest()
{
    ResumeFromRecord(false);
}

void CGame::ResumeFromRecord(bool retry)
{
    if (!questSave || !board)
        return;
    const CQuestSave& record = *questSave;
    const bool inShop = record.resumePoint == CQuestSave::kResumeShop;
    if (ui)
        if (CRefPtr<CKMForm> quest = ui->Form("Quest"))
            quest->SetActive(1);
    lossRunning = 0;
    std::memcpy(questId, &record.questId, sizeof(questId));
    questMode = record.mode;
    board->hardMode = record.hardMode;
    stateTimer = 0.0f;
    subState = kSubStateNormalPlay;
    phase = inShop ? int32_t(SpecialIntroPhase::Wait) : int32_t(LevelIntroPhase::ShowTitle);
    state = inShop ? kStateSpecialIntro : kStateLevelIntro;
    if (device)
        SwapPanelTextures(inShop ? 1 : 0, 0);
    if (caps && !caps->SwitchTextureSet(0))
        LogText("Error switching Caps textures\n");
    levelKind = kLevelKindPlain;
    const int level = record.level;
    levelParams.Set(questMode, level);
    lives = record.lives;
    if (levelParams.flagA && lives > MaxLives(levelParams))
        lives = MaxLives(levelParams);
    board->Reset(questMode);
    board->playerSettings = player;
    board->hardMode = record.hardMode;
    board->SetupLevelRules(level);
    if (questMode == 0)
        ResumeScene(level, inShop, retry);
    ResumeBoardFill(inShop);
    // Running, paused and finished: the level begins at its intro's end.
    board->inputOpen = board->inputLocked = board->selectionCancelled = 0;
    boardSecondRun = 0;
    board->gameWord = record.extra7;
    completedRun = record.extra1;
    noHintRun = record.extra5;
    wonChallenges = record.extra13;
    board->counters.CopyCounters(record.counters);
    if (questMode == 0)
        ResumeLevelContent(record, inShop);
    autosaveTimer = 0.0f;
    board->timeSinceMatch = board->timeSinceGem = 0.0f;
    hintTimerA = hintTimerB = 0.0f;
    shopAutosave = 0;
}

void CGame::ResumeScene(int level, bool inShop, bool retry)
{
    // The background stands at the level's place in its stage, one step back while the
    // level is still to come: a quest continued inside the level, or a retry through
    // the shop before it.
    SwitchSceneForLevel(-1, level);
    int32_t stage = 1, index = 1;
    SplitLevelIndex(level, stage, index);
    if (backgrounds)
        backgrounds->SetStage(inShop != retry ? index : index - 1, 1);
    if (ui && !retry)
        ui->RecreateMapDiffTextures(index == GetStageLength(stage) ? stage + 1 : stage);
}

void CGame::ResumeBoardFill(bool inShop)
{
    // Resumed in the shop, the next level is laid out from its file. Resumed in
    // a level, the board's tokens fall away quietly, with any totem shield and
    // queued sand, and the next update fills it from the record's grids.
    board->savedQuest = questSave.Get();
    if (inShop)
    {
        questJustLoaded = 0;
        board->fillPending = CPlayField::kFillLevel;
        board->fillCounter = 0;
    }
    else
    {
        questJustLoaded = 1;
        board->fillPending = CPlayField::kFillQuestSave;
        board->fillCounter = 1;
        board->DropAllTokensQuietly();
    }
}

void CGame::ResumeLevelContent(const CQuestSave& record, bool inShop)
{
    const int level = record.level;
    if (shop)
    {
        shop->items.freeStars = record.stars;
        shop->UnlockForLevel(inShop ? level + 1 : level);
        // A damaged save may hold any number: each item keeps to its own range.
        for (int i = 0; i < CShop::kItemCount; ++i)
            shop->items.levels[size_t(i)] = shop->items.ClampLevel(i, record.shopValues[size_t(i)]);
        shop->ApplyToLevel(levelParams);
        shop->ApplyTotemLevels(board->totems.m_levels);
    }
    board->gemsToPlace = board->gemsToCollect = GetTotemLevelGoal(level);
    board->LoadLevel(LevelFile(level));
    board->gemsToCollect = record.gemsToCollect;
    board->gemsToPlace = record.gemsToPlace;
    if (board->gemsBuffer)
    {
        const int goal = GetTotemLevelGoal(level);
        board->gemsBuffer->SetTotalCells(goal);
        board->gemsBuffer->ResetForLevel();
        board->gemsBuffer->Refresh();
        for (int i = 0; i < goal - record.gemsToCollect; ++i)
            board->gemsBuffer->AddGem(static_cast<int32_t>(std::floor(RandomUnit() * 7.0f)));
    }
    levelTimer = record.remainingTime;
    nextWarning = record.nextWarning;
    if (board->sandbox)
        board->sandbox->SetFlowing(false, 0.0);
    RestoreSand(record);
    starCount = record.starCount;
}

void CGame::RestartLevelFromSave()
{
    // A retry keeps the state and lands in the shop of the level before.
    if (!questSave || !board)
        return;
    if (questSave->resumePoint != CQuestSave::kResumeShop)
    {
        // No shop stands before the first level: its retry goes straight back into the
        // level, laid out afresh from its file.
        ContinueQuest();
        board->fillPending = CPlayField::kFillLevel;
        board->fillCounter = 0;
        return;
    }
    const int savedState = state, savedSubState = subState;
    const float savedTimer = stateTimer;
    ResumeFromRecord(true);
    state = savedState;
    subState = savedSubState;
    stateTimer = savedTimer;
    phase = LifeLostPhase::OpenShop;
    if (device)
        SwapPanelTextures(1, 0);
}

void CGame::UpdateQuestRecord(int withShop)
{
    if (!questSave)
        questSave = CRefPtr<CQuestSave>(new CQuestSave());
    CQuestSave& record = *questSave;
    record.mode = questMode;
    std::memcpy(&record.questId, questId, sizeof(questId));
    record.hardMode = board ? board->hardMode : 0;
    record.resumePoint = subState == kSubStateStatistics ? CQuestSave::kResumeStatistics
                         : subState == kSubStateShop     ? CQuestSave::kResumeShop
                                                         : CQuestSave::kResumeInLevel;
    if (board)
        record.counters.CopyCounters(board->counters);
    record.level = levelParams.level;
    if (questMode == 0)
    {
        record.remainingTime = levelTimer;
        record.nextWarning = nextWarning;
        record.lives = lives;
    }
    else
    {
        record.remainingTime = 0.0f;
        record.nextWarning = 0.0f;
        record.lives = 1;
    }
    record.sandLevel = questMode == 0 && board && board->sandbox && board->sandbox->heap
                           ? static_cast<float>(board->sandbox->heap->mean)
                           : 0.0f;
    record.sandFall = questMode == 0 && board && board->sandbox && board->sandbox->heap
                          ? double(board->sandbox->heap->drainRate)
                          : 0.0;
    record.starCount = starCount;
    if (questMode == 0 && board)
    {
        record.gemsToCollect = board->gemsToCollect;
        record.gemsToPlace = board->gemsToPlace;
    }
    record.adviserTime = board && board->adviser.active && board->adviser.remaining > 0.0f ? board->adviser.remaining : 0.0f;
    record.totemIndex = questMode == 0 && board && board->totems.m_selectedColour >= 0 ? board->totems.m_selectedColour : -1;
    record.totemShield = questMode == 0 && subState != kSubStateShop && board && board->totems.m_shieldMode ? 1 : 0;
    for (CQuestSave::Grid& grid : record.grids)
        for (auto& row : grid)
            row.fill(0);
    if (board && subState != kSubStateShop)
    {
        for (int r = 0; r < CQuestSave::kGridSize && r < board->rows; ++r)
            for (int c = 0; c < CQuestSave::kGridSize && c < board->columns; ++c)
            {
                const CRefPtr<CCap>& token = board->cells[size_t(r)][size_t(c)];
                if (!token)
                {
                    record.grids[0][size_t(r)][size_t(c)] = CQuestSave::kEmptyCell;
                    continue;
                }
                record.grids[0][size_t(r)][size_t(c)] = token->marked ? -1 - token->colour : token->colour + 1;
                record.grids[1][size_t(r)][size_t(c)] = token->lockCount;
                // The bonus a token holds (a gem-carrying token's own gem is in the first
                // grid) and the token's fixed mark, as the board's restore reads them.
                if (token->held && !token->marked)
                {
                    record.grids[2][size_t(r)][size_t(c)] = HeldBonus(token->held)->kind;
                    record.grids[3][size_t(r)][size_t(c)] = HeldBonus(token->held)->level;
                }
                record.grids[4][size_t(r)][size_t(c)] = token->fixed ? 1 : 0;
            }
    }
    record.extra7 = board ? board->gameWord : 0;
    record.extra1 = completedRun;
    record.extra5 = noHintRun;
    record.extra13 = wonChallenges;
    if (withShop && questMode == 0 && shop)
    {
        for (int i = 0; i < CShop::kItemCount; ++i)
            record.shopValues[size_t(i)] = shop->items.levels[size_t(i)];
        record.stars = shop->items.freeStars;
    }
}

void CGame::EndTutorial(int showMessage)
{
    if (!board)
        return;
    if (board->tutorialStep == kTipTotem)
    {
        board->LoadLevel(LevelFile(levelParams.level));
        stateTimer = 0.0f;
        subState = kSubStateBackFromTutorial;
        if (showMessage)
        {
            char text[256] = "";
            GetStringById(kStringTutorialDone, text, sizeof(text));
            CRefPtr<CPopupMessage> message;
            board->popups.AddMessage(message, text, 1.0f, 1, questLayout.frenzyMessagePos[0],
                                     questLayout.frenzyMessagePos[1], questLayout.frenzyMessagePos[2]);
        }
    }
    board->CloseTutorialStep(showMessage);
    if (ui)
        ui->FadeOutForm(ui->Form("Tutorial"), 8.0f);
}

// The glass as the record left it: its fall, and its sand piled up again from
// the left.
void CGame::RestoreSand(const CQuestSave& record)
{
    if (!board || !board->sandbox || !board->sandbox->heap)
        return;
    CSandHeap& heap = *board->sandbox->heap;
    heap.Reset();
    // A damaged record's values are read as an empty, still glass.
    const bool fallOk = std::isfinite(record.sandFall) && record.sandFall >= 0.0;
    const bool levelOk = std::isfinite(record.sandLevel) && record.sandLevel > 0.0f;
    heap.drainRate = fallOk ? record.sandFall : 0.0;
    if (levelOk)
        heap.AddSand(std::min(double(record.sandLevel), 1.0), 0.0);
    board->sandbox->Refresh();
}
