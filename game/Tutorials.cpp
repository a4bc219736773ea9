// The quest's tutorial tips (which token a tip lets the player pick, how a pick moves
// the tip on, what each tip step shows), the game over, and the trophies screen opened
// over whatever screen is showing.
#include "game/Game.h"
#include "game/GamePanels.h"

#include <cmath>
#include <cstdio>

#include "audio/Music.h"
#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "engine/StringTable.h"
#include "saves/Profiles.h"
#include "saves/Trophies.h"
#include "hud/GemsBuffer.h"
#include "screens/Interface.h"
#include "ui/KMStatic.h"

namespace {

// The picks a tip waits for: (tip, page, column, row), the page it moves on to and the
// cell its pointer then shows (the swap partner).
struct TutorialPick
{
    int tip;
    int page;
    int column;
    int row;
    int nextPage;
    int partnerColumn;
    int partnerRow;
};

const TutorialPick kTutorialPicks[] = {
    {kTipBase, 0, 4, 4, 1, 3, 4},  {kTipBonus, 0, 2, 5, 1, 1, 5}, {kTipBonus, 4, 6, 4, 5, 5, 4},
    {kTipTotem, 2, 2, 6, 3, 1, 6}, {kTipTotem, 6, 6, 4, 7, 5, 4},
};

const TutorialPick* FindPick(int tip, int page, int column, int row)
{
    for (const TutorialPick& pick : kTutorialPicks)
        if (pick.tip == tip && pick.page == page && pick.column == column && pick.row == row)
            return &pick;
    return nullptr;
}

// The tip's texts of the string table.
const int kStringTipBase = 35;
const int kStringTipGem = 36;
const int kStringTipWrong = 37;
const int kStringTipBonusFirst = 38;
const int kStringTipBonusSecond = 39;
const int kStringTipTotemFirst = 40;
const int kStringTipTotemSecond = 41;
const int kStringTipLock = 42;
const int kStringTipSteel = 43;
const int kStringTipShop = 44;
const int kStringColourFirst = 64;
const int kStringColourSecond = 74;

const int kTutorialSteelColour = 98;

}  // namespace

int CGame::IsTutorialPick(const CRefPtr<CCap>& token) const
{
    if (!board || !token || board->tutorialStep == kTipNone || !gameOptions.capsLockTutorial)
        return 1;
    const int tip = board->tutorialStep;
    if (tip != kTipBase && tip != kTipBonus && tip != kTipTotem)
        return 1;
    return FindPick(tip, board->tutorialDetail, token->column, token->row) ? 1 : 0;
}

void CGame::AdvanceTutorialPick(const CRefPtr<CCap>& token)
{
    if (!board || !token || board->tutorialStep == kTipNone)
        return;
    const TutorialPick* pick = FindPick(board->tutorialStep, board->tutorialDetail, token->column, token->row);
    if (!pick)
    {
        EndTutorial(1);
        return;
    }
    board->tutorialDetail = pick->nextPage;
    if (ui)
    {
        const Vec3 at = board->CellToScreen(pick->partnerColumn, pick->partnerRow, true);
        ui->PlaceSwapThese(at.x, at.y + board->cellHeight * 0.25f);
    }
}

namespace {

std::string TipText(int id)
{
    char buffer[512] = "";
    GetStringById(id, buffer, sizeof(buffer));
    return std::string(buffer);
}

// Tip texts with a colour name: the totem's colour picks the name.
std::string ColourTipText(int id, int colourBase, int colour)
{
    char format[512] = "", name[64] = "";
    GetStringById(id, format, sizeof(format));
    GetStringById(colourBase + colour, name, sizeof(name));
    // The tip is data: only its own "%s" takes the colour's name.
    return CInterface::FillText(format, {name});
}

// The tip points from one cell to its neighbour: the swap to make.
void ShowTipCells(CInterface& ui, const CPlayField& field, const std::string& message, int c1, int r1, int c2, int r2)
{
    ui.HideAllGroups();
    for (int number : {100, 101})
        if (CRefPtr<CKMWindow> label = ui.Widget(kFormTutorial, number))
            SetWidgetText(label, message.c_str());
    for (int group : {0, 4, 6})
        ui.ShowGroup(group);
    const Vec3 a = field.CellToScreen(c1, r1, true);
    const Vec3 b = field.CellToScreen(c2, r2, true);
    ui.PlaceSwapThese(b.x, b.y + field.cellHeight * 0.25f);
    ui.PlaceClickHere(b.x, b.y + field.cellHeight * 0.25f);
    ui.PlaceArrowWindow(std::floor((a.x + b.x) * 0.5f), std::floor((a.y + b.y) * 0.5f));
    ui.FadeInForm(ui.Form("Tutorial"), 5.0f);
}

void ShowTipToken(CInterface& ui, const CPlayField& field, const std::string& message, const CRefPtr<CCap>& token)
{
    ui.HideAllGroups();
    if (CRefPtr<CKMWindow> label = ui.Widget(kFormTutorial, 101))
        SetWidgetText(label, message.c_str());
    ui.ShowGroup(1);
    const Vec3 at = field.CellToScreen(token->column, token->row, true);
    const float quarter = field.cellHeight * 0.25f;
    ui.PlaceArrowWindow(at.x, at.y > 0.0f ? at.y - quarter : at.y + quarter);
    ui.FadeInForm(ui.Form("Tutorial"), 5.0f);
}

void ShowTipGroups(CInterface& ui, const std::string& message, int group)
{
    ui.HideAllGroups();
    if (!message.empty())
        if (CRefPtr<CKMWindow> label = ui.Widget(kFormTutorial, 101))
            SetWidgetText(label, message.c_str());
    ui.ShowGroup(group);
    ui.FadeInForm(ui.Form("Tutorial"), 5.0f);
}

// The first token that a test picks, rows from the top, columns from the left.
CRefPtr<CCap> FirstToken(const CPlayField& field, bool (*test)(const CCap&))
{
    for (int r = 0; r < field.rows; ++r)
        for (int c = 0; c < field.columns; ++c)
        {
            const CRefPtr<CCap>& token = field.cells[size_t(r)][size_t(c)];
            if (token && test(*token))
                return token;
        }
    return CRefPtr<CCap>();
}

}  // namespace

void CGame::ShowTutorialStep(int kind, int step)
{
    if (!board || !ui)
        return;
    CPlayField& field = *board;
    if (kind < kTipBase || kind > kTipShop)
        return;
    auto text = TipText;
    auto showCells = [&](const std::string& message, int c1, int r1, int c2, int r2) {
        ShowTipCells(*ui, field, message, c1, r1, c2, r2);
    };
    switch (kind)
    {
    case kTipBase:
        if (step == 0)
            showCells(text(kStringTipBase), 3, 4, 4, 4);
        else
            EndTutorial(1);
        break;
    case kTipGem:
    case kTipLock:
    case kTipSteel:
    {
        bool (*test)(const CCap&) = kind == kTipGem    ? [](const CCap& t) { return t.marked != 0; }
                                    : kind == kTipLock ? [](const CCap& t) { return t.lockCount > 0; }
                                                       : [](const CCap& t) { return t.colour >= kTutorialSteelColour; };
        const CRefPtr<CCap> token = FirstToken(field, test);
        if (!token)
        {
            EndTutorial(1);
            break;
        }
        ShowTipToken(*ui, field, text(kind == kTipGem ? kStringTipGem : kind == kTipLock ? kStringTipLock : kStringTipSteel), token);
        break;
    }
    case kTipWrong:
        ShowTipGroups(*ui, text(kStringTipWrong), 0);
        break;
    case kTipTimer:
        ShowTipGroups(*ui, std::string(), 2);
        break;
    case kTipSandbox:
        ShowTipGroups(*ui, std::string(), 3);
        break;
    case kTipBonus:
        if (step == 0)
            showCells(text(kStringTipBonusFirst), 1, 5, 2, 5);
        else
            showCells(text(kStringTipBonusSecond), 5, 4, 6, 4);
        break;
    case kTipTotem:
        if (step == 0)
        {
            // The totem level opens its tip without a message: the board only records it.
            field.PostEvent13(kTipTotem, 0);
            if (!field.events.empty() && field.events.back().code == kEventTip)
                field.events.pop_back();
        }
        else if (step == 2)
            showCells(ColourTipText(kStringTipTotemFirst, kStringColourFirst, field.tutorialColour), 1, 6, 2, 6);
        else if (step == 6)
            showCells(ColourTipText(kStringTipTotemSecond, kStringColourSecond, field.tutorialColour), 5, 4, 6, 4);
        else if (step == 10)
            EndTutorial(1);
        break;
    case kTipShop:
        ShowShopTip();
        break;
    default:
        break;
    }
}

void CGame::ShowShopTip()
{
    // An OK button (layout 0) closes it.
    ui->SetMessageBox("", TipText(kStringTipShop).c_str(), 0, kMessageTutorial);
    if (CRefPtr<CKMForm> shopForm = ui->Form("Shop"))
        shopForm->SetActive(0);
    ui->FadeInForm(ui->Form("MsgBox"), 4.0f);
    if (player)
    {
        player->tipsSeen[CPlayerSettings::kTipShop] = 1;
        SavePlayerSettings();
    }
}

int CGame::StartGameOver()
{
    if (board)
    {
        board->timeSinceMatch = 0.0f;
        board->timeSinceGem = 0.0f;
        board->events.clear();
        if (board->sandbox)
            board->sandbox->SetFlowing(false, 0.0);
        board->CancelSelection();
    }
    hintTimerA = hintTimerB = 0.0f;
    if (ui)
    {
        ui->SetPanelVisible(questMode, 0);
        ui->SetIconPanelVisible(0);
    }
    stateTimer = 0.0f;
    subState = kSubStateGameOver;
    phase = GameOverPhase::HidePanels;
    hiscoreMade = board ? SubmitHighScore(board->counters.second.GetInt(kCounterScore)) : 0;
    return hiscoreMade;
}

void CGame::ShowTrophies(int open)
{
    if (!ui)
        return;
    CRefPtr<CKMForm> trophiesForm = ui->Form("Trophies");
    auto openForm = [&]() {
        if (trophies)
            trophyScreen.RefreshIcons();
        ui->FadeInForm(trophiesForm, 5.0f);
    };
    if (state == kStatePlaying && subState == kSubStateStatistics)
    {
        if (open)
        {
            ui->FadeOutForm(ui->Form("Quest"), 5.0f);
            ui->FadeOutForm(ui->Form("Statistics"), 5.0f);
            openForm();
        }
        else
        {
            ui->FadeOutForm(trophiesForm, 5.0f);
            ui->FadeInForm(ui->Form("Quest"), 5.0f);
            ui->FadeInForm(ui->Form("Statistics"), 5.0f);
        }
        return;
    }
    if (state == kStateQuestEnd)
    {
        if (open)
        {
            if (trophies && board)
            {
                const int32_t level = trophies->GetAwardLevel(0, board->hardMode);
                if (level > 0)
                    trophies->QueueAward(0, level);
            }
            ui->FadeOutForm(ui->Form("Win"), 5.0f);
            openForm();
            NextPhase(QuestEndPhase::TrophiesShown);
        }
        else
        {
            if (trophies)
            {
                trophyScreen.ApplyPending();
                SaveTrophies();
            }
            ui->FadeOutForm(trophiesForm, 5.0f);
            if (player)
            {
                player->veteran = 1;
                player->questTutorial = 0;
                SavePlayerSettings();
            }
            DeleteQuestSaves(0, 1);
            NextPhase(QuestEndPhase::ClearBoard);
        }
        return;
    }
    if (state == kStatePlaying && subState == kSubStateChallenge)
    {
        // Trophies won with a bonus level: the map follows when they close.
        if (open)
        {
            NextPhase(ChallengePhase::TrophiesShown);
            openForm();
        }
        else
            CloseChallengeTrophies();
        return;
    }
    if (state == kStatePlaying && subState == kSubStateMap)
    {
        if (open)
        {
            ui->FadeOutForm(ui->Form("Map"), 5.0f);
            openForm();
        }
        else
        {
            ui->FadeOutForm(trophiesForm, 5.0f);
            ui->FadeInForm(ui->Form("Map"), 5.0f);
        }
        return;
    }
    if (open)
    {
        if (board)
        {
            board->SetInputLock(1);
            board->ShowPanels(0, 0, 2.0f);
            if (board->gemsBuffer)
                board->gemsBuffer->Show(0, 2.0f);
            if (board->sandbox)
                board->sandbox->SetState(0, 0.5f);
        }
        ui->FadeOutForm(ui->Form("Quest"), 5.0f);
        if (trophies)
            trophyScreen.ShowBackdrop(true);
        openForm();
    }
    else
    {
        ui->FadeOutForm(trophiesForm, 5.0f);
        if (board)
        {
            board->ShowPanels(1, 1, 2.0f);
            board->SetInputLock(0);
        }
        if (trophies)
            trophyScreen.ShowBackdrop(false);
        ui->FadeInForm(ui->Form("Quest"), 5.0f);
    }
}
