// The game's mouse and keyboard handlers (button down, right button, keys, typed
// characters) and the small predicates and operations they share with the frame, the
// command dispatch and the play update: pause and quiet-play tests, the tutorial's
// swap gate, the background switch by stage, the high-score entry, the trophy checks
// and the Options screen's display modes.
#include "game/Game.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/SoundBank.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "backgrounds/BackgroundManager.h"
#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "engine/Log.h"
#include "saves/Profiles.h"
#include "saves/Trophies.h"
#include "render/Renderer.h"
#include "screens/Interface.h"
#include "render/Font.h"
#include "ui/KMStatic.h"
#include "screens/Shop.h"
#include "hud/TokenSelector.h"
#include "ui/KMCheckbox.h"

namespace {

// Widget ids the button-down handler answers itself.
const int kIdPauseButton = 11;
const int kIdReactionStop = 170;
const int kIdTutorialClose = 220;
const int kIdVideoFirst = 233;
const int kIdVideoLast = 236;

// The pick sounds: ordinary tokens, then steel (colour values from 98 up).
const int kSteelColour = 98;

bool FormTakesInput(const CRefPtr<CKMForm>& form)
{
    return form && form->visible && form->enabled && form->active;
}

}  // namespace

int CGame::OnLButtonDown(int, int, WPARAM)
{
    float x = 0.0f, y = 0.0f;
    PolledMouse(&x, &y);
    if (board && board->tokenSelector && !board->tokenSelector->token)
        tokenPicked = 0;

    bool taken = false;
    bool skipPicking = false;
    if (ui)
    {
        const int count = ui->OnMouseDown(x, y);
        for (int i = 0; i < count && i < static_cast<int>(ui->events.size()); ++i)
        {
            const CInterfaceEvent event = ui->events[static_cast<size_t>(i)];
            if (event.kind == kUiEventPress && event.id == kIdPauseButton)
                taken = true;
            else if (event.kind == kUiEventPress && event.id == kIdReactionStop)
                taken = StopReaction(x, y) != 0;
            else if (event.kind == kUiEventPress && event.id == kIdTutorialClose)
            {
                EndTutorial(1);
                skipPicking = true;
            }
            else if (event.kind == kUiEventPress && event.id >= kIdVideoFirst && event.id <= kIdVideoLast)
            {
                pendingVideoMode = ToggleVideoOption(pendingVideoMode, event.id - kIdVideoFirst);
                ShowVideoMode(pendingVideoMode);
            }
            else if (event.kind == kUiEventValueChanged && event.id == kIdSoundVolume && soundBank)
                soundBank->SetVolume(event.value);
            else if (event.kind == kUiEventValueChanged && event.id == kIdMusicVolume && music)
                music->SetVolume(event.value);
        }
    }
    ChallengeClick(x, y, taken);

    if (board && IsDelayedTutorialKind(board->tutorialStep) && board->tutorialTimer < kTutorialBlockTime)
        skipPicking = true;

    if (state == kStatePlaying && subState == kSubStateNormalPlay && board && !board->inputLocked && !skipPicking)
        PickOrSwapAt(x, y);

    if (state == kStatePlaying && subState == kSubStateShop && shop)
        shop->OnMouseDown(x, y);
    // A click shows the statistics' end at once, but only before the best results come
    // up: their pops and the new-best fanfare play once.
    if (state == kStatePlaying && subState == kSubStateStatistics && phase < StatisticsPhase::RevealBestScore)
        FinishLevelStatistics();
    if (state == kStateQuestEnd && phase == QuestEndPhase::WinShown)
        ShowTrophies(1);
    if (subState == kSubStateMap && ui)
    {
        CRefPtr<CKMForm> newspaper = ui->Form("Newspaper");
        if (newspaper && newspaper->visible && newspaper->enabled)
        {
            ui->FadeOutForm(newspaper, 2.0f);
            ui->FadeInForm(ui->Form("Map"), 2.0f);
        }
    }
    if (state == kStateLevelIntro && phase == LevelIntroPhase::IntroPagesShown && ui)
    {
        const int next = ui->introItem + 1;
        if (next < static_cast<int>(ui->List(kFormIntro, 0).size()))
            ui->SelectListWidget(next);
        else
        {
            ui->FadeOutForm(ui->Form("Intro"), 2.0f);
            NextPhase(LevelIntroPhase::IntroClosing);
        }
    }
    SkipLogoGroup();
    return 0;
}

int CGame::PickOrSwapAt(float x, float y)
{
    CPlayField& field = *board;
    CRefPtr<CCap> picked = field.tokenSelector ? field.tokenSelector->token : CRefPtr<CCap>();
    if (picked)
    {
        const CCellPos cell = field.ScreenToCell(x, y);
        if (cell.column < 0 || cell.row < 0 || cell.column >= field.columns || cell.row >= field.rows || questMode != 0)
            return 0;
        const int dc = std::abs(cell.column - picked->column);
        const int dr = std::abs(cell.row - picked->row);
        if (dc <= 1 && dr <= 1 && dc != dr)
        {
            if (field.IsSwappable(cell.column, cell.row) && IsTutorialSwapAllowed(cell.column, cell.row) &&
                CheckTutorialSwap(cell.column, cell.row))
            {
                field.tokenSelector->Clear();
                tokenPicked = 0;
                field.StartSwap(picked->column, picked->row, cell.column, cell.row, 0);
                return 1;
            }
            return 0;
        }
    }
    CRefPtr<CCap> token;
    field.HitTest(token, x, y);
    if (!token || !IsTutorialPick(token))
        return 0;
    if (field.tokenSelector)
        field.tokenSelector->Select(token);
    tokenPicked = 1;
    if (soundBank)
        soundBank->PlayPanned(token->colour < kSteelColour ? soundBank->Select : soundBank->SelectSteel,
                              token->position[0], 0, 0);
    AdvanceTutorialPick(token);
    return 1;
}

int CGame::OnRButtonDown(int, int, WPARAM)
{
    if (state == kStatePlaying && subState == kSubStateNormalPlay && board && !board->inputLocked &&
        board->tutorialStep == kTipNone && tokenPicked)
    {
        if (board->tokenSelector)
            board->tokenSelector->Clear();
        tokenPicked = 0;
    }
    return 0;
}

int CGame::OnRButtonUp(int, int, WPARAM)
{
    return 0;
}

int CGame::OnKeyUp(WPARAM)
{
    return 0;
}

int CGame::OnChar(WPARAM ch)
{
    if (ui)
        ui->OnNameChar(static_cast<char>(ch));
    return 0;
}

int CGame::OnKeyDown(WPARAM key)
{
    if (ui && ui->OnKeyDown(static_cast<int>(key)) == kProfileCreated)
    {
        // The selected index comes from the interface: check it before taking the player.
        if (ui->profiles && ui->selectedProfile >= 0 &&
            ui->selectedProfile < static_cast<int>(ui->profiles->profiles.size()))
        {
            player = ui->profiles->profiles[static_cast<size_t>(ui->selectedProfile)];
            gameOptions.profile = player->name;
            SaveGameOptions();
            if (trophies)
                trophies->Load((PlayerFolder() + "\\Trophies.dat").c_str());
        }
        return 0;
    }
    // Space is the reaction challenge's "Stop!".
    if (key == VK_SPACE && state == kStatePlaying && subState == kSubStateChallenge && questMode == 0 &&
        levelKind == kLevelKindReaction && StopReaction(0.0f, 0.0f))
        return 0;
    if (state == kStatePlaying && subState == kSubStateAfterLevel && IsWaitingAfterLevel())
    {
        LeaveWonLevel();
        return 0;
    }
    if (state == kStateQuestEnd && phase == QuestEndPhase::WinShown)
    {
        ShowTrophies(1);
        return 0;
    }
    if (subState == kSubStateMap && ui)
    {
        CRefPtr<CKMForm> newspaper = ui->Form("Newspaper");
        if (newspaper && newspaper->visible && newspaper->enabled)
        {
            ui->FadeOutForm(newspaper, 2.0f);
            ui->FadeInForm(ui->Form("Map"), 2.0f);
            return 0;
        }
    }
    if (state == kStateLevelIntro && phase == LevelIntroPhase::IntroPagesShown && ui)
    {
        // A key skips every intro page left.
        ui->FadeOutForm(ui->Form("Intro"), 2.0f);
        NextPhase(LevelIntroPhase::IntroClosing);
        return 0;
    }
    // Space belongs to the reaction challenge's screen while its level kind holds.
    if (key == VK_SPACE && levelKind == kLevelKindReaction)
        subState = kSubStateChallenge;
    if ((key == VK_SPACE || key == VK_ESCAPE || key == 'P') && state == kStatePlaying && questMode == 0)
        TogglePauseMenu();
    SkipLogoGroup();
    // Escape on the main menu leaves the game, as its Exit button does.
    if (key == VK_ESCAPE && state == kStateMenus && ui)
    {
        CRefPtr<CKMForm> menu = ui->Form("MainMenu");
        if (menu && menu->visible)
            return 1;
    }
    return 0;
}

void CGame::TogglePauseMenu()
{
    if (!ui || !board)
        return;
    CRefPtr<CKMForm> quest = ui->Form("Quest");
    CRefPtr<CKMForm> menu = ui->Form("GameMenu");
    if (FormTakesInput(quest))
    {
        EndTutorial(1);
        if (CanPause())
        {
            board->SetInputLock(1);
            ui->FadeInForm(menu, 4.0f);
            quest->SetActive(0);
        }
    }
    else if (FormTakesInput(menu))
    {
        ui->FadeOutForm(menu, 4.0f);
        if (quest)
            quest->SetActive(1);
        board->SetInputLock(0);
    }
}

bool CGame::IsWaitingAfterLevel() const
{
    return phase == AfterLevelPhase::WaitForPlayer || phase == AfterLevelPhase::NewspaperShown;
}

void CGame::LeaveWonLevel()
{
    // Level won and waiting: after the last level the quest ends, else the map and
    // the shop of the next stage get their pictures.
    if (levelParams.level >= 41)
    {
        FinishQuest();
        return;
    }
    if (device)
        SwapPanelTextures(1, questMode);
    int32_t stage = 1, index = 1;
    SplitLevelIndex(levelParams.level + 1, stage, index);
    if (ui)
        ui->RecreateMapDiffTextures(stage);
    NextPhase(phase == AfterLevelPhase::NewspaperShown ? AfterLevelPhase::CloseNewspaper
                                                      : AfterLevelPhase::ChooseNextScreen);
}

int CGame::IsDelayedTutorialKind(int kind)
{
    switch (kind)
    {
    case kTipGem:
    case kTipWrong:
    case kTipTimer:
    case kTipSandbox:
    case kTipLock:
    case kTipSteel:
        return 1;
    default:
        return 0;
    }
}

int CGame::CanPause() const
{
    if (!board)
        return 0;
    if (subState == kSubStateNormalPlay)
        return board->inputOpen && !boardSecondRun && !board->inputLocked ? 1 : 0;
    if (subState == kSubStateChallenge && !board->inputLocked)
    {
        // A challenge pauses only while it is at play.
        switch (levelKind)
        {
        case kLevelKindMemory:
            return board->memoryChallenge && board->memoryChallenge->state == CMemoryChallenge::kWaiting;
        case kLevelKindAccuracy:
            return board->accuracyChallenge && board->accuracyChallenge->state == CAccuracyChallenge::kRunning;
        case kLevelKindAttention:
            return board->attentionChallenge && board->attentionChallenge->state == CAttentionChallenge::kChoose;
        case kLevelKindReaction:
            return board->reactionChallenge && board->reactionChallenge->state == CReactionChallenge::kTurning;
        default:
            return 0;
        }
    }
    return 0;
}

int CGame::IsPlayQuiet() const
{
    if (state != kStatePlaying || subState != kSubStateNormalPlay || !board)
        return 0;
    if (!board->inputOpen || boardSecondRun || board->inputLocked)
        return 0;
    if (!board->IsIdle(true))
        return 0;
    if (questMode == 0 && board->sandbox && board->sandbox->heap && board->sandbox->heap->mode != 0)
        return 0;
    return IsSandFalling() ? 0 : 1;
}

bool CGame::IsSandFalling() const
{
    return board && board->sandbox && board->sandbox->heap && !board->sandbox->heap->portions.empty();
}

int CGame::IsTutorialSwapAllowed(int col, int row) const
{
    if (!board || board->tutorialStep == kTipNone || !gameOptions.capsLockTutorial)
        return 1;
    const int step = board->tutorialDetail;
    switch (board->tutorialStep)
    {
    case kTipBase:
        return step == 1 && col == 3 && row == 4;
    case kTipBonus:
        return (step == 1 && col == 1 && row == 5) || (step == 5 && col == 5 && row == 4);
    case kTipTotem:
        return (step == 3 && col == 1 && row == 6) || (step == 7 && col == 5 && row == 4);
    default:
        return 1;
    }
}

void CGame::EnterLevelIntroWait()
{
    stateTimer = 0.0f;
    subState = kSubStateLevelIntro;
    phase = LevelIntroPhase::ShowTitle;
    boardSecondRun = 0;
}

int CGame::SwitchSceneForLevel(int oldLevel, int newLevel)
{
    int32_t oldStage = -1, newStage = -1, index = 0;
    if (oldLevel >= 0)
        SplitLevelIndex(oldLevel, oldStage, index);
    SplitLevelIndex(newLevel, newStage, index);
    if (oldStage == newStage)
        return 0;
    if (backgrounds)
        backgrounds->SetScene(newStage >= 1 && newStage <= 4 ? newStage : 5);
    return 1;
}

void CGame::BlinkQuestIndicator1(float step)
{
    blinkTimers[0] += step;
    if (questMode != 0 || !ui)
        return;
    if (CRefPtr<CKMWindow> box = ui->Widget(kFormQuest, 1))
        if (CKMCheckbox* mark = dynamic_cast<CKMCheckbox*>(box.Get()))
            mark->SetChecked(static_cast<int>(2.0f * blinkTimers[0]) % 2);
}

void CGame::BlinkQuestIndicator2(float step)
{
    blinkTimers[1] += step;
    if (questMode != 0 || !ui)
        return;
    if (CRefPtr<CKMWindow> box = ui->Widget(kFormQuest, 2))
        if (CKMCheckbox* mark = dynamic_cast<CKMCheckbox*>(box.Get()))
            mark->SetChecked(static_cast<int>(2.0f * blinkTimers[1]) % 2);
}

void CGame::FinishQuest()
{
    if (ui && !ui->ShowFinalNewspaper())
        LogText("Error switching newspaper texture\n");
    state = kStateQuestEnd;
    subState = kSubStateNormalPlay;
    NextPhase(QuestEndPhase::ShowWin);
    hiscoreMade = board ? SubmitHighScore(board->counters.second.GetInt(kCounterScore)) : 0;
}

int CGame::SubmitHighScore(int score)
{
    if (hiscores.FindPlace(score) >= hiscores.count)
    {
        if (ui)
            ui->highlightRow = -1;
        return 0;
    }
    GUID id{};
    std::memcpy(&id, questId, sizeof(id));
    const int row = hiscores.Insert(score, player ? player->name.c_str() : "", id);
    SaveHighScores();
    if (ui)
    {
        ui->highlightTable = 0;
        ui->highlightRow = row;
        ui->FillHighScores(0);
    }
    return 1;
}

int CGame::CheckTrophies()
{
    if (!trophies || !board)
        return 0;
    const CCounterBlock& quest = board->counters.second;
    const int32_t values[9] = {0,
                               completedRun,
                               quest.GetInt(kCounterBestCombo),
                               quest.GetInt(kCounterScore),
                               hiscores.FindPlace(quest.GetInt(kCounterScore)) + 1,
                               noHintRun,
                               quest.GetInt(kCounterOperations),
                               wonChallenges,
                               secondsLeft};
    int queued = 0;
    for (uint32_t t = 1; t <= 8; ++t)
    {
        const int32_t level = trophies->GetAwardLevel(t, values[t]);
        if (level > 0)
        {
            trophies->QueueAward(static_cast<int32_t>(t), level);
            queued = 1;
        }
    }
    return queued;
}

int CGame::CheckPlayTrophies(int flag)
{
    if (!trophies || !board)
        return 0;
    const CCounterBlock& quest = board->counters.second;
    int queued = 0;
    const struct
    {
        uint32_t trophy;
        int32_t value;
        bool asked;
    } checks[] = {{2, quest.GetInt(kCounterBestCombo), flag != 0},
                  {3, quest.GetInt(kCounterScore), true},
                  {6, quest.GetInt(kCounterOperations), true}};
    for (const auto& check : checks)
    {
        if (!check.asked)
            continue;
        const int32_t level = trophies->GetAwardLevel(check.trophy, check.value);
        if (level > 0)
        {
            trophies->QueueAward(static_cast<int32_t>(check.trophy), level);
            queued = 1;
        }
    }
    return queued;
}

// Display modes of the Options screen: bit 1 full screen, 2 high resolution, 4 more
// than 16-bit colour, 8 wide screen.
int CGame::GetVideoMode() const
{
    if (!renderer)
        return 0;
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    renderer->GetDisplayMode(fullScreen ? 0 : 1, &width, &height, &format);
    const bool deep = format != D3DFMT_R5G6B5 && format != D3DFMT_X1R5G5B5 && format != D3DFMT_A1R5G5B5;
    if (fullScreen)
        return 1 | (width > 640 ? 2 : 0) | (deep ? 4 : 0) | (width * 3 > height * 4 ? 8 : 0);
    const UINT windowWidth = renderer->screenWidth;
    return (windowWidth > 640 ? 2 : 0) | (deep ? 4 : 0);
}

void CGame::ShowVideoMode(int mode)
{
    if (!ui)
        return;
    const int available = GetVideoOptionsAvailable(mode);
    for (int i = 0; i < 4; ++i)
    {
        CRefPtr<CKMWindow> box = ui->Widget(kFormOptions, 3 + i);
        CKMCheckbox* mark = box ? dynamic_cast<CKMCheckbox*>(box.Get()) : nullptr;
        if (!mark)
            continue;
        mark->SetChecked((mode >> i) & 1);
        box->SetActive((available >> i) & 1);
        // An option that cannot be changed now reads as such: its label greys out.
        CRefPtr<CKMWindow> label = ui->Widget(kFormOptions, 7 + i);
        CKMStatic* caption = label ? dynamic_cast<CKMStatic*>(label.Get()) : nullptr;
        if (CRefPtr<CText> text = caption ? caption->MainText() : CRefPtr<CText>())
        {
            text->colour = (text->colour & 0x00FFFFFFu) | ((available >> i) & 1 ? 0xFF000000u : 0x60000000u);
            text->PlaceCharacters();
        }
    }
}

int CGame::GetVideoOptionsAvailable(int mode) const
{
    if (!renderer)
        return 0;
    const std::vector<int>& t = renderer->probes;
    auto has = [&t](int i) { return i >= 0 && i < static_cast<int>(t.size()) && t[static_cast<size_t>(i)] >= 0; };
    const size_t sizes = renderer->windowSizes.size();
    int bits = 0;
    if (!(mode & 1))
    {
        for (int i = 0; i < 8; ++i)
            if (has(i))
                bits |= 1;
        if (sizes >= 2)
            bits |= 2;
        return bits;
    }
    if (sizes >= 1)
        bits |= 1;
    const bool high = mode & 2, colour = mode & 4, wide = mode & 8;
    if ((high && (has(0) || has(4))) || (!high && (has(1) || has(3) || has(5) || has(7))))
        bits |= 2;
    if ((colour && (has(0) || has(1) || has(4) || has(5))) || (!colour && (has(3) || has(7))))
        bits |= 4;
    if ((!wide && (has(4) || has(5) || has(7))) || (wide && (has(0) || has(1) || has(3))))
        bits |= 8;
    return bits;
}

int CGame::ToggleVideoOption(int mode, int option) const
{
    if (option < 0 || option > 3 || !renderer)
        return mode;
    const std::vector<int>& t = renderer->probes;
    auto has = [&t](int m) {
        const int i = (m >> 1) & 7;
        return i < static_cast<int>(t.size()) && t[static_cast<size_t>(i)] >= 0;
    };
    const size_t sizes = renderer->windowSizes.size();
    if (option == 0)
    {
        if (mode & 1)
        {
            int result = mode & ~(1 | 8);
            if (sizes < 2)
                result &= ~2;
            UINT width = 0, height = 0;
            D3DFORMAT format = D3DFMT_UNKNOWN;
            renderer->GetDisplayMode(1, &width, &height, &format);
            if (format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5)
                result &= ~4;
            return result;
        }
        const int h = mode & 2, c = mode & 4;
        const int tries[7] = {8 | c | h, c | h, 8 | (c ^ 4) | h, (c ^ 4) | h, 8 | c | (h ^ 2), c | (h ^ 2),
                              8 | (c ^ 4) | (h ^ 2)};
        for (int m : tries)
            if (has(m | 1))
                return m | 1;
        return (c ^ 4) | (h ^ 2) | 1;
    }
    if (option == 1 && !(mode & 1))
        return (mode & 2) ? mode & ~2 : (sizes >= 2 ? mode | 2 : mode);
    if (!(mode & 1))
        return mode;
    const int toggled = mode ^ (1 << option);
    return has(toggled) ? toggled : mode;
}

int CGame::SwitchVideoMode(int mode)
{
    if (!renderer)
        return 0;
    if (mode & 1)
    {
        const int i = (mode >> 1) & 7;
        if (i >= static_cast<int>(renderer->probes.size()) || renderer->probes[static_cast<size_t>(i)] < 0)
        {
            char text[64];
            std::snprintf(text, sizeof(text), "Unable to find Fullscreen mode%d\n", i);
            LogText(text);
            return 0;
        }
        UINT width = 0, height = 0;
        D3DFORMAT format = D3DFMT_UNKNOWN;
        renderer->GetDisplayMode(0, &width, &height, &format);
        if (renderer->SetVideoMode(1, width, height, format) == 1)
        {
            fullScreen = 1;
            return 1;
        }
        char text[128];
        std::snprintf(text, sizeof(text), "Unable to switch fullscreen Videomode%u %u %d\n", width, height,
                      static_cast<int>(format));
        LogText(text);
        return 0;
    }
    const size_t entry = (mode & 2) ? 1 : 0;
    if (entry >= renderer->windowSizes.size())
        return 0;
    const UINT width = renderer->windowSizes[entry].first, height = renderer->windowSizes[entry].second;
    UINT w = 0, h = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    renderer->GetDisplayMode(1, &w, &h, &format);
    if (renderer->SetVideoMode(0, width, height, format) == 1)
    {
        fullScreen = 0;
        return 1;
    }
    char text[128];
    std::snprintf(text, sizeof(text), "Unable to switch windowed Videomode%u %u %d\n", width, height,
                  static_cast<int>(format));
    LogText(text);
    return 0;
}
