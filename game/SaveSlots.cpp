// The player's three quest files: "Quest.sav", which continuing reads, and the two
// autosaves that keep the quest as it stood at the start of this level and the one
// before. Deleting, rotating, copying and reloading them; the two commands that save
// the quest when the player leaves a level; the display settings' writer; and the
// writers of the player's other files, each of which reports a failure.
#include "game/Game.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "engine/SaveErrors.h"
#include "saves/HighScores.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/QuestSlots.h"
#include "saves/Trophies.h"
#include "platform/crt.h"
#include "render/Renderer.h"
#include "hud/GemsBuffer.h"
#include "screens/Interface.h"
#include "screens/Shop.h"

void CGame::DeleteQuestSaves(int skip, int alsoSecond)
{
    if (skip || !player)
        return;
    DeleteQuestSaveFiles(PlayerFolder(), alsoSecond != 0);
}

bool CGame::RotateAutosaves(int skip)
{
    if (skip || !player)
        return true;
    return CheckSaved(RotateQuestAutosaves(PlayerFolder()), QuestSlotPath(PlayerFolder(), kQuestAutosave2File));
}

bool CGame::CopyAutosave(int skip)
{
    if (skip || !player)
        return true;
    return CheckSaved(CopyQuestAutosave(PlayerFolder()), QuestSlotPath(PlayerFolder(), kQuestAutosave1File));
}

bool CGame::SaveQuest(const char* file)
{
    if (!player || !questSave)
        return false;
    const std::string path = QuestSlotPath(PlayerFolder(), file);
    return CheckSaved(questSave->Save(path.c_str()), path);
}

bool CGame::SavePlayerSettings()
{
    if (!player)
        return false;
    return CheckSaved(player->Save(PlayerFolder()), PlayerFolder() + "\\Settings.ini");
}

bool CGame::SaveTrophies()
{
    if (!player || !trophies)
        return false;
    const std::string path = PlayerFolder() + "\\Trophies.dat";
    return CheckSaved(trophies->Save(path.c_str()), path);
}

bool CGame::SaveHighScores() { return CheckSaved(hiscores.Save(), hiscores.path); }

bool CGame::SaveGameOptions()
{
    const std::string path = folders.userConfig + "Options.ini";
    return CheckSaved(gameOptions.Save(path.c_str()), path);
}

bool CGame::SaveSoundOptions()
{
    const std::string path = folders.userConfig + "Options.ini";
    return CheckSaved(soundOptions.Save(path.c_str()), path);
}

// A reload must not undo what the trophies count: a level lost to the clock breaks the
// run of completed levels, and a hint taken stays taken.
void CGame::KeepRunsOverReload(CQuestSave& record)
{
    if (lossTimeUp)
    {
        completedRun = 0;
        record.extra1 = 0;
    }
    record.extra5 = noHintRun;
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
    {
        ui->SetPanelVisible(questMode, 0);
        ui->SetIconPanelVisible(0);
    }
    if (!questSave)
        questSave = CRefPtr<CQuestSave>(new CQuestSave());
    if (!player)
        return false;
    const std::string folder = PlayerFolder();
    // A file that fails to load leaves the live record as it was (the loader reads into
    // a scratch record); only its status word drops to 0.
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
        KeepRunsOverReload(record);
        // A reloaded previous level is also where the next lost life returns to.
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
        // The same level again: the challenges won so far stay won.
        record.extra13 = wonChallenges;
        KeepRunsOverReload(record);
    }
    EnterLifeLost();
    return true;
}

bool CGame::ReloadLevelStart()
{
    // Only the quest and level that the record began; the live record stays as it was
    // when there is none.
    if (!levelStartRecord || levelStartRecord->level != levelParams.level ||
        std::memcmp(&levelStartRecord->questId, questId, sizeof(questId)) != 0)
        return false;
    if (!questSave)
        questSave = CRefPtr<CQuestSave>(new CQuestSave());
    *questSave = *levelStartRecord;
    questSave->lives = levelParams.flagA ? levelParams.flagB : lives;
    KeepRunsOverReload(*questSave);
    EnterLifeLost();
    return true;
}

void CGame::EnterLifeLost()
{
    if (board)
        board->events.clear();
    stateTimer = 0.0f;
    subState = kSubStateLifeLost;
    phase = LifeLostPhase::HidePanels;
    shopAutosave = 0;
}

void CGame::SaveQuestOnLeaving()
{
    if (state == kStatePlaying && questSave && questSave->status == CQuestSave::kStatusUnsaved && !questJustLoaded &&
        player)
        SaveQuest(kQuestSaveFile);
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
        for (const char* name : {"GameMenu", "Map", "Shop", "Quest", "Statistics", "Background", "Tutorial"})
            if (CRefPtr<CKMForm> form = ui->Form(name))
                if (form->visible)
                    ui->FadeOutForm(form, 2.0f);
    // The quest-left steps begin with hiding the board's panels, the gem bar and the
    // sand glass, which the pause menu's way out would otherwise leave behind.
    stateTimer = 0.0f;
    phase = QuestLeftPhase::HidePanels;
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
    if (ui)
        CloseChallengeOnReset();
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
    phase = QuestLeftPhase::HidePanels;
    hiscoreMade = board ? SubmitHighScore(board->counters.second.GetInt(kCounterScore)) : 0;
}

bool CGame::SaveDisplaySettings()
{
    if (!renderer)
        return true;
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    renderer->GetDisplayMode(fullScreen ? 0 : 1, nullptr, nullptr, &format);
    // The size in force: the full-screen mode's, or the window's (the desktop's size
    // is not what a window was chosen at).
    renderer->GetDisplayMode(0, &width, &height, nullptr);
    const std::string file = folders.userConfig + "Options.ini";
    char widthText[16], heightText[16], colourText[16];
    std::snprintf(widthText, sizeof(widthText), "%u", width);
    std::snprintf(heightText, sizeof(heightText), "%u", height);
    const int colour = format == D3DFMT_R8G8B8 ? 24 : (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) ? 32 : 16;
    std::snprintf(colourText, sizeof(colourText), "%d", colour);
    const ProfileValue values[] = {{"Settings", "Width", widthText},
                                   {"Settings", "Height", heightText},
                                   {"Settings", "ColorMode", colourText},
                                   {"Settings", "FullScreen", fullScreen ? "1" : "0"}};
    return CheckSaved(WritePrivateProfileValues(values, 4, file.c_str()) != FALSE, file);
}
