// The player's three quest files: "Quest.sav", which continuing reads, and the two
// autosaves that keep the quest as it stood at the start of this level and the one
// before. Deleting, rotating, copying and reloading them; the two commands that save
// the quest when the player leaves a level; and the display settings' writer.
#include "game/Game.h"

#include <algorithm>
#include <cstdio>

#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "platform/crt.h"
#include "render/Renderer.h"
#include "hud/GemsBuffer.h"
#include "screens/Interface.h"
#include "screens/Shop.h"

namespace {

const size_t kCopyChunk = 2048;

}  // namespace

void CGame::DeleteQuestSaves(int skip, int alsoSecond)
{
    if (skip || !player)
        return;
    const std::string folder = PlayerFolder();
    crt::remove((folder + "\\Quest.sav").c_str());
    crt::remove((folder + "\\QuestAS1.sav").c_str());
    if (alsoSecond)
        crt::remove((folder + "\\QuestAS2.sav").c_str());
}

void CGame::RotateAutosaves(int skip)
{
    if (skip || !player)
        return;
    const std::string folder = PlayerFolder();
    crt::remove((folder + "\\QuestAS2.sav").c_str());
    crt::rename((folder + "\\QuestAS1.sav").c_str(), (folder + "\\QuestAS2.sav").c_str());
}

void CGame::CopyAutosave(int skip)
{
    if (skip || !player)
        return;
    const std::string folder = PlayerFolder();
    FILE* source = crt::fopen((folder + "\\QuestAS2.sav").c_str(), "rb");
    if (!source)
        return;
    FILE* target = crt::fopen((folder + "\\QuestAS1.sav").c_str(), "wb");
    if (target)
    {
        char chunk[kCopyChunk];
        size_t read = 0;
        do
        {
            read = std::fread(chunk, 1, sizeof(chunk), source);
            std::fwrite(chunk, 1, read, target);
        } while (read == sizeof(chunk));
        std::fclose(target);
    }
    std::fclose(source);
}

bool CGame::LoadAutosave(int previousLevel)
{
    if (board)
    {
        board->timeSinceMatch = 0.0f;
        board->timeSinceGem = 0.0f;
    }
    hintTimerA = hintTimerB = 0.0f;
    if (ui)
        ui->SetPanelVisible(questMode, 0);
    if (!questSave)
        questSave = CRefPtr<CQuestSave>(new CQuestSave());
    if (!player)
        return false;
    const std::string folder = PlayerFolder();
    // A file that fails to load leaves the live record as it was (the loader reads into
    // a scratch record); only its status word drops to 0.
    reloadedFromPrevious = previousLevel ? 1 : 0;
    CQuestSave& record = *questSave;
    if (previousLevel)
    {
        if (!record.Load((folder + "\\QuestAS2.sav").c_str()) || record.resumePoint != CQuestSave::kResumeShop)
        {
            record.status = CQuestSave::kStatusNone;
            return false;
        }
        if (!levelParams.flagA)
            record.lives = std::max(record.lives, GetQuestMinimumForLevel(record.level));
        else
            record.lives = levelParams.flagB;
        CopyAutosave(questMode);
    }
    else
    {
        if (!record.Load((folder + "\\QuestAS1.sav").c_str()) || record.resumePoint != CQuestSave::kResumeShop)
        {
            record.status = CQuestSave::kStatusNone;
            return false;
        }
        record.lives = levelParams.flagA ? levelParams.flagB : lives;
    }
    if (board)
        board->events.clear();
    stateTimer = 0.0f;
    subState = kSubStateLifeLost;
    phase = 0;
    autosavePending = 0;
    return true;
}

void CGame::SaveQuestOnLeaving()
{
    if (state == kStatePlaying && questSave && questSave->status == CQuestSave::kStatusUnsaved && !questJustLoaded &&
        player)
        questSave->Save((PlayerFolder() + "\\Quest.sav").c_str());
}

void CGame::SaveAndLeaveLevel(int saveOnly)
{
    if (saveOnly)
    {
        SaveQuestOnLeaving();
        if (ui)
            ui->SetLevelPairLabel(levelParams.level + 1, 0);
    }
    else
    {
        if (questMode == 0 && state == kStatePlaying && subState == kSubStateShop && shop && shop->display >= 1.0f)
        {
            shop->SettlePendingStars();
            UpdateQuestRecord(1);
            questSave->status = CQuestSave::kStatusUnsaved;
        }
        SaveQuestOnLeaving();
        if (shop)
            shop->Refresh(0, 2.0f, levelParams.level + 1);
    }
    // The forms of the level go, whichever screen the player left from.
    if (ui)
        for (const char* name : {"GameMenu", "Map", "Shop", "Quest", "Statistics", "Background"})
            if (CRefPtr<CKMForm> form = ui->Form(name))
                if (form->visible)
                    ui->FadeOutForm(form, 2.0f);
    // The quest-left steps begin with hiding the board's panels, the gem bar and the
    // sand glass, which the pause menu's way out would otherwise leave behind.
    stateTimer = 0.0f;
    phase = 0;
    subState = kSubStateQuestLeft;
    hiscoreMade = board ? SubmitHighScore(board->counters.second.GetInt(kCounterScore)) : 0;
}

void CGame::ResetLevelFromRecord()
{
    boardSecondRun = 0;
    if (board)
        board->inputOpen = board->selectionCancelled = 0;
    lossRunning = 0;
    if (ui)
        ui->SetPanelVisible(questMode, 0);
    if (questMode == 0 && state == kStatePlaying && subState == kSubStateShop && shop && shop->display >= 1.0f)
    {
        shop->SettlePendingStars();
        UpdateQuestRecord(1);
        questSave->status = CQuestSave::kStatusUnsaved;
    }
    SaveQuestOnLeaving();
    if (board)
        board->events.clear();
    stateTimer = 0.0f;
    subState = kSubStateQuestLeft;
    phase = 0;
    hiscoreMade = board ? SubmitHighScore(board->counters.second.GetInt(kCounterScore)) : 0;
}

void CGame::SaveDisplaySettings()
{
    if (!renderer)
        return;
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    renderer->GetDisplayMode(fullScreen ? 0 : 1, &width, &height, &format);
    const std::string file = folders.userConfig + "Options.ini";
    char text[32];
    std::snprintf(text, sizeof(text), "%u", width);
    WritePrivateProfileStringA("Settings", "Width", text, file.c_str());
    std::snprintf(text, sizeof(text), "%u", height);
    WritePrivateProfileStringA("Settings", "Height", text, file.c_str());
    const int colour = format == D3DFMT_R8G8B8 ? 24 : (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) ? 32 : 16;
    std::snprintf(text, sizeof(text), "%d", colour);
    WritePrivateProfileStringA("Settings", "ColorMode", text, file.c_str());
    WritePrivateProfileStringA("Settings", "FullScreen", fullScreen ? "1" : "0", file.c_str());
}
