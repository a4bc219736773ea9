// The button-up handler: a released click goes to the shop and the interface, and the
// widget records it made run the game's commands by widget id and game state (menus,
// play and its screens, the quest end). Also the new quest started from the menus.
#include "game/Game.h"
#include "game/GamePanels.h"

#include <cstdio>

#include "audio/Music.h"
#include "audio/SoundBank.h"
#include "field/PlayField.h"
#include "engine/Log.h"
#include "engine/StringTable.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "ui/KMScroller.h"

namespace {

const int kStringTryHard = 63;
const int kStringStarsLeft = 59;
const int kStringNoStars = 60;
const int kStringNewHighScore = 61;

const int kLayoutNone = 0;
const int kLayoutTwoButtons = 2;

// The result of a command: go on with the next record, or close the program.
enum Command
{
    kGoOn,
    kClose
};

}  // namespace

int CGame::OnLButtonUp(int, int, WPARAM)
{
    tokenPicked = 0;
    float x = 0.0f, y = 0.0f;
    PolledMouse(&x, &y);
    if (state == kStatePlaying && subState == kSubStateShop && shop)
        shop->OnMouseUp(x, y);
    if (!ui)
        return 0;
    const int count = ui->OnMouseUp(x, y);
    // Commands may open dialogs that make records of their own: walk a copy.
    const std::vector<CInterfaceEvent> records(ui->events.begin(),
                                               ui->events.begin() + std::min<size_t>(size_t(std::max(count, 0)), ui->events.size()));
    for (const CInterfaceEvent& record : records)
    {
        if (record.kind != kUiEventClick)
            continue;
        int result = kGoOn;
        if (state == kStateMenus)
            result = MenuCommand(record.id);
        else if (state == kStatePlaying)
            result = PlayCommand(record.id);
        else if (state == kStateQuestEnd)
        {
            if (record.id == 260)
                CloseTrophies();
            else if (record.id == 280)
                result = kClose;
        }
        if (result == kClose)
            return 1;
    }
    if (state == kStatePlaying && subState == kSubStateAfterLevel && IsWaitingAfterLevel())
        LeaveWonLevel();
    return 0;
}

int CGame::MenuCommand(int id)
{
    char text[256] = "";
    switch (id)
    {
    case 1:
    {
        questMode = 0;
        levelKind = kLevelKindPlain;
        if (!questSave)
            questSave = CRefPtr<CQuestSave>(new CQuestSave());
        bool loaded = false;
        if (player)
            for (const char* name : {"\\Quest.sav", "\\QuestAS2.sav", "\\QuestAS1.sav"})
                if ((loaded = questSave->Load((PlayerFolder() + name).c_str())))
                    break;
        if (loaded)
        {
            ui->SetLevelDifficultyCaption(questSave->level + (questSave->resumePoint == CQuestSave::kResumeShop ? 1 : 0),
                                          questSave->hardMode);
            ui->FadeOutForm(ui->Form("MainMenu"), 2.0f);
            ui->FadeInForm(ui->Form("StartQuest"), 2.0f);
        }
        else
        {
            ui->FadeOutForm(ui->Form("MainMenu"), 2.0f);
            if (player && player->veteran)
            {
                GetStringById(kStringTryHard, text, sizeof(text));
                ui->SetMessageBox("", text, kLayoutTwoButtons, kMessageTryHard);
                ui->FadeInForm(ui->Form("MsgBox"), 4.0f);
            }
            else
                NewQuestFromMenu(0);
        }
        return kGoOn;
    }
    case 2:
    case 280:
        return kClose;
    case 3:
        OpenOptions("MainMenu", 2.0f);
        return kGoOn;
    case 180:
    case 195:
        // The index comes from the interface's list: check it before taking the player.
        if (ui->profiles && ui->selectedProfile >= 0 &&
            ui->selectedProfile < static_cast<int>(ui->profiles->profiles.size()))
        {
            player = ui->profiles->profiles[static_cast<size_t>(ui->selectedProfile)];
            gameOptions.profile = player->name;
            SaveGameOptions();
            if (trophies)
                trophies->Load((PlayerFolder() + "\\Trophies.dat").c_str());
        }
        return kGoOn;
    case 200:
        if (ui->messageCode == kMessageHardUnlocked)
        {
            ui->FadeOutForm(ui->Form("MsgBox"), 2.0f);
            if (hiscoreMade)
            {
                GetStringById(kStringNewHighScore, text, sizeof(text));
                ui->SetMessageBox(text, "", kLayoutNone, kMessageHighScore);
                ui->FadeInForm(ui->Form("MsgBox"), 2.0f);
            }
            else
                ui->FadeInForm(ui->Form("MainMenu"), 2.0f);
        }
        return kGoOn;
    case 202:
    case 203:
        if (ui->messageCode == 2 && id == 202)
        {
            if (player && player->veteran)
            {
                GetStringById(kStringTryHard, text, sizeof(text));
                ui->SetMessageBox("", text, kLayoutTwoButtons, kMessageTryHard);
                ui->FadeInForm(ui->Form("MsgBox"), 4.0f);
            }
            else
            {
                ui->FadeOutForm(ui->Form("StartQuest"), 2.0f);
                DeleteQuestSaves(0, 1);
                NewQuestFromMenu(0);
            }
        }
        else if (ui->messageCode == kMessageTryHard)
        {
            ui->FadeOutForm(ui->Form("StartQuest"), 2.0f);
            DeleteQuestSaves(0, 1);
            NewQuestFromMenu(id == 202 ? 1 : 0);
        }
        return kGoOn;
    case 211:
        if (questSave)
            questSave->status = CQuestSave::kStatusUnsaved;
        ui->FadeOutForm(ui->Form("MainMenu"), 2.0f);
        ContinueQuest();
        return kGoOn;
    case 230:
        CloseOptions("MainMenu", 2.0f);
        return kGoOn;
    default:
        return kGoOn;
    }
}

int CGame::PlayCommand(int id)
{
    switch (id)
    {
    case 10:
        BuyHint();
        return kGoOn;
    case 11:
        OpenGameMenu();
        return kGoOn;
    case 12:
    case 13:
        if (board && board->tutorialStep == kTipNone)
            SpendLifeForShuffle(id - 12);
        return kGoOn;
    case 20:
        ShowMapAfterLevel();
        return kGoOn;
    case 30:
        ui->FadeOutForm(ui->Form("GameMenu"), 2.0f);
        SaveAndLeaveLevel(0);
        return kGoOn;
    case 31:
        LeaveShop();
        return kGoOn;
    case 150:
        StartLevel(levelParams.level + 1);
        ui->SetLevelPairLabel(levelParams.level, 0);
        ui->FadeOutForm(ui->Form("Map"), 2.0f);
        SwitchSceneForLevel(levelParams.level - 1, levelParams.level);
        EnterLevelIntroWait();
        return kGoOn;
    case 151:
        SaveAndLeaveLevel(1);
        return kGoOn;
    case 159:
        ShowTrophies(1);
        return kGoOn;
    case 160:
        ui->FadeOutForm(ui->Form("GameMenu"), 4.0f);
        if (questMode == 0)
            if (CRefPtr<CKMForm> quest = ui->Form("Quest"))
                quest->SetActive(1);
        if (board)
            board->SetInputLock(0);
        return kGoOn;
    case 161:
        ui->FadeOutForm(ui->Form("GameMenu"), 2.0f);
        EndTutorial(0);
        ResetLevelFromRecord();
        return kGoOn;
    case 162:
        OpenOptions("GameMenu", 5.0f);
        return kGoOn;
    case 200:
        AnswerMessage();
        return kGoOn;
    case 202:
        if (ui->messageCode == kMessageStarsLeft)
            GoToMap();
        else if (ui->messageCode != kMessageNoStars)
        {
            // Buying with no stars left asks nothing: id 202 only answers the reminder.
        }
        return kGoOn;
    case 230:
        CloseOptions("GameMenu", 5.0f);
        return kGoOn;
    case 260:
        CloseTrophies();
        return kGoOn;
    case 280:
        return kClose;
    default:
        ShopCommand(id);
        return kGoOn;
    }
}

void CGame::BuyHint()
{
    // A hint costs the item's price in score.
    if (board && board->tutorialStep == kTipNone)
    {
        EndTutorial(1);
        if (ShowHint())
        {
            const int price = levelParams.GetItemPrice(0);
            board->counters.AddToBoth(-price, kCounterScore);
            ui->SetCounter(board->counters.second.GetInt(kCounterScore), 0);
            ui->SetPanelVisible(questMode, 0);
        }
    }
}

void CGame::OpenGameMenu()
{
    if (CanPause() && board)
    {
        board->SetInputLock(1);
        ui->FadeInForm(ui->Form("GameMenu"), 4.0f);
        if (questMode == 0)
            if (CRefPtr<CKMForm> quest = ui->Form("Quest"))
                quest->SetActive(0);
    }
}

void CGame::ShowMapAfterLevel()
{
    // A bonus level comes between some levels and the map.
    if (board && OpenChallengeOfLevel())
        return;
    ui->FadeOutForm(ui->Form("Statistics"), 2.0f);
    ui->FadeOutForm(ui->Form("Quest"), 2.0f);
    if (board)
        FadeOutTotems();
    ui->HideListWidgets();
    ui->FadeInForm(ui->Form("Background"), 2.0f);
    stateTimer = 0.0f;
    subState = kSubStateAfterLevel;
    phase = AfterLevelPhase::HideTitle;
}

void CGame::LeaveShop()
{
    // Stars still to spend are worth a reminder before the map.
    char text[256] = "";
    if (shop && shop->display >= 1.0f)
    {
        if (shop->CountStars() > 0 && shop->CanTakeStar())
        {
            GetStringById(kStringStarsLeft, text, sizeof(text));
            ui->SetMessageBox("", text, kLayoutTwoButtons, kMessageStarsLeft);
            if (CRefPtr<CKMForm> shopForm = ui->Form("Shop"))
                shopForm->SetActive(0);
            ui->FadeInForm(ui->Form("MsgBox"), 4.0f);
        }
        else
            GoToMap();
    }
}

void CGame::AnswerMessage()
{
    if (ui->messageCode == kMessageChallengeRules)
    {
        if (subState == kSubStateChallenge)
            NextPhase(ChallengePhase::RulesClosed);
        else
            NextPhase(LevelIntroPhase::IntroPagesShown);
    }
    else if (ui->messageCode == kMessageLifeLost)
        NextPhase(LifeLostPhase::Retry);
    else if (ui->messageCode == kMessageGameOver)
        NextPhase(GameOverPhase::ClearBoard);
}

void CGame::ShopCommand(int id)
{
    // Ids 40 to 55 and 60 to 75 are the shop's two rows of item buttons.
    char text[256] = "";
    if (id >= 40 && id <= 55 && shop)
    {
        if (shop->CountStars() < 1)
        {
            GetStringById(kStringNoStars, text, sizeof(text));
            ui->SetMessageBox("", text, kLayoutNone, kMessageNoStars);
            if (CRefPtr<CKMForm> shopForm = ui->Form("Shop"))
                shopForm->SetActive(0);
            ui->FadeInForm(ui->Form("MsgBox"), 4.0f);
        }
        else
            shop->OnClick(id - 40, 1);
    }
    else if (id >= 60 && id <= 75 && shop)
        shop->OnClick(id - 60, 0);
}

void CGame::GoToMap()
{
    if (shop)
        shop->Refresh(0, 2.0f, levelParams.level + 1);
    UpdateQuestRecord(1);
    if (questSave)
        questSave->status = CQuestSave::kStatusUnsaved;
    ui->FadeOutForm(ui->Form("Shop"), 2.0f);
    ui->SetLevelPairLabel(levelParams.level + 1, 1);
    ui->FadeInForm(ui->Form("Map"), 2.0f);
    stateTimer = 0.0f;
    subState = kSubStateMap;
    phase = MapPhase::MoveFlag;
}

void CGame::OpenOptions(const char* from, float speed)
{
    currentVideoMode = pendingVideoMode = GetVideoMode();
    ui->SetOptionScrollers(soundOptions.soundVolume, soundOptions.musicVolume);
    ShowVideoMode(pendingVideoMode);
    ui->FadeOutForm(ui->Form(from), speed);
    ui->FadeInForm(ui->Form("Options"), speed);
}

void CGame::CloseOptions(const char* to, float speed)
{
    if (pendingVideoMode != currentVideoMode && SwitchVideoMode(pendingVideoMode))
        SaveDisplaySettings();
    CRefPtr<CKMWindow> sound = ui->Widget(kFormOptions, 1), musicScroller = ui->Widget(kFormOptions, 2);
    soundOptions.soundVolume = ScrollerValue(sound, soundOptions.soundVolume);
    soundOptions.musicVolume = ScrollerValue(musicScroller, soundOptions.musicVolume);
    SaveSoundOptions();
    ui->FadeOutForm(ui->Form("Options"), speed);
    ui->FadeInForm(ui->Form(to), speed);
}

void CGame::CloseTrophies()
{
    if (trophies)
    {
        trophyScreen.ApplyPending();
        SaveTrophies();
    }
    ShowTrophies(0);
}
