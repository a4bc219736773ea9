// The game's frame: the splash pictures before Init, then every frame the update of
// the shared animations, the mouse, the interface's events, the state machine and the
// renderer's frame.
#include "game/Game.h"

#include <algorithm>

#include "audio/Music.h"
#include "audio/SoundBank.h"
#include "backgrounds/BackgroundManager.h"
#include "field/PlayField.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Log.h"
#include "engine/StringTable.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "render/Device.h"
#include "render/Font.h"
#include "game/Frame.h"
#include "render/Renderer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/Interface.h"
#include "screens/Shop.h"

namespace {

// The longest step animations take: after a stall everything moves on by this much.
const float kMaxStep = 0.5f;

// The cursor within this many units of the top edge shows the window-box form.
const float kWinBoxEdge = 357.0f;

// Splash pictures fade in and out over a second each and stay for two.
const float kSplashFade = 1.0f;
const float kSplashHold = 2.0f;

// The splash form's list of pictures (the loading image, then the halo).
const int kSplashPictureList = 0;

// The quest end's message box: texts of the string table and the codes the box answers with.
const int kStringNewHighScore = 61;
const int kStringHardUnlocked = 62;
const int kMessageNoButtons = 0;

// The background scene of the menus.
const int32_t kSceneMainMenu = 6;

// A speed from a tuning file turned into a duration; a speed of 0 or less would hold
// the sequence forever, so it counts as the smallest sensible speed instead.
float DurationOf(float speed)
{
    return 1.0f / std::max(speed, 0.001f);
}

}  // namespace

int CGame::Frame(float elapsed, int render, int minimised)
{
    if (splashRunning)
        return RunSplash(elapsed);

    // A zero step (minimised, or two ticks in one millisecond) only draws.
    if (elapsed == 0.0f)
    {
        if (render)
            RenderAndPresent();
        return kFrameGoOn;
    }
    if (minimised)
        return kFrameGoOn;

    const float step = std::min(elapsed, kMaxStep);
    UpdateAnimations(step);

    PolledMouse(&mouseX, &mouseY);

    if (ui && !ui->forms.empty())
    {
        const CRefPtr<CKMForm>& winBox = ui->forms.back();
        if (mouseY > kWinBoxEdge && !winBox->visible)
            winBox->SetVisible(1);
        else if (mouseY <= kWinBoxEdge && winBox->visible)
            winBox->SetVisible(0);
    }

    if (trophies && trophies->Update(step, mouseX, mouseY) == 1 && trophies->pending.empty() && player)
        trophies->Save((folders.players + player->name + "\\Trophies.dat").c_str());

    HandleInterfaceEvents(step);

    // The states' screens live in the interface: nothing to run without one.
    switch (ui ? state : kStateNone)
    {
    case kStatePlaying:
        Update(step);
        break;
    case kStateLevelIntro:
        UpdateLevelIntro(step);
        break;
    case kStateSpecialIntro:
        UpdateSpecialIntro(step);
        break;
    case kStateQuestEnd:
        UpdateQuestEnd(step);
        break;
    case kStateStartup:
        UpdateStartup(step);
        break;
    default:
        break;
    }

    RenderAndPresent();
    return kFrameGoOn;
}

int CGame::RunSplash(float elapsed)
{
    splashTimer += elapsed;
    switch (splashPhase)
    {
    case 0:
        if (splashTimer >= kSplashFade)
        {
            splashPhase = 1;
            splashTimer = 0.0f;
            DrawSplash(firstSplash, 1.0f);
        }
        else
            DrawSplash(firstSplash, splashTimer);
        return kFrameGoOn;
    case 1:
        if (splashTimer >= kSplashHold)
        {
            splashPhase = 2;
            splashTimer = 0.0f;
        }
        DrawSplash(firstSplash, 1.0f);
        return kFrameGoOn;
    case 2:
        if (splashTimer >= kSplashFade)
        {
            if (!secondImagePresent)
            {
                splashRunning = 0;
                return kFrameRunInit;
            }
            splashPhase = 3;
            splashTimer = 0.0f;
            DrawSplash(secondSplash, 0.0f);
        }
        else
            DrawSplash(firstSplash, 1.0f - splashTimer);
        return kFrameGoOn;
    case 3:
        if (splashTimer >= kSplashFade)
        {
            splashPhase = 4;
            splashTimer = 0.0f;
            DrawSplash(secondSplash, 1.0f);
        }
        else
            DrawSplash(secondSplash, splashTimer);
        return kFrameGoOn;
    case 4:
        if (splashTimer >= kSplashHold)
        {
            splashPhase = 5;
            splashTimer = 0.0f;
        }
        DrawSplash(secondSplash, 1.0f);
        return kFrameGoOn;
    case 5:
        if (splashTimer >= kSplashFade)
        {
            DrawSplash(secondSplash, 0.0f);
            splashRunning = 0;
            return kFrameRunInit;
        }
        DrawSplash(secondSplash, 1.0f - splashTimer);
        return kFrameGoOn;
    default:
        return kFrameGoOn;
    }
}

void CGame::DrawSplash(const CRefPtr<CTexture>& picture, float level)
{
    if (renderer->DrawFadedPicture(picture, level) >= 0)
        Present();
}

void CGame::UpdateAnimations(float step)
{
    if (music)
        music->Update(step);
    if (board)
        board->popups.Update(step);
    if (backgrounds)
        backgrounds->Update(step);
    for (CRefPtr<CParticleSystemsManager>& manager : particles)
        if (manager)
            manager->Update(step);
    for (CRefPtr<CSpriteBatch>& batch : spriteBatches)
        if (batch)
            batch->Update(step);
    if (textSet)
        textSet->Update(step);
    // The first list belongs to the backgrounds, which update it themselves.
    for (int i = 1; i < 4; ++i)
        if (spriteLists[i])
            spriteLists[i]->UpdateAll(step, 0);
}

void CGame::HandleInterfaceEvents(float step)
{
    if (!ui)
        return;
    const int count = ui->Update(mouseX, mouseY, step);
    for (int i = 0; i < count; ++i)
    {
        const CInterfaceEvent& event = ui->events[static_cast<size_t>(i)];
        if (event.kind == kUiEventValueChanged && event.id == 231)
        {
            if (soundBank)
                soundBank->SetVolume(event.value);
        }
        else if (event.kind == kUiEventValueChanged && event.id == 232)
        {
            if (music)
                music->SetVolume(event.value);
        }
        else if (event.kind == kUiEventFadedOut && event.window == CRefPtr<CKMWindow>(ui->Form("Intro")))
        {
            ui->RecreateIntroTexture(0);
            if (state == kStateLevelIntro && phase < 0)
            {
                phase = 0;
                stateTimer = 0.0f;
            }
        }
    }
}

void CGame::UpdateStartup(float step)
{
    stateTimer += step;
    if (phase < 0)
        ++phase;
    const float bloom = DurationOf(questLayout.splashBloomSpeed);
    const float fade = DurationOf(questLayout.splashFadeSpeed);
    const float bloomSpeed = questLayout.splashBloomSpeed;
    const float fadeSpeed = questLayout.splashFadeSpeed;
    CRefPtr<CKMForm> splash = ui->Form("Splash");

    if (phase == 0)
    {
        ui->StartGroupEffect(-1, bloomSpeed);
        ui->StartGroupEffect(0, bloomSpeed);
        stateTimer = 0.0f;
        phase = 3;
        return;
    }
    if (phase == 3)
    {
        if (stateTimer < bloom)
            return;
        // The loading picture has done its work: the splash widgets take the halo
        // picture and hide, and the picture leaves the device.
        for (const CRefPtr<CKMWindow>& widget : ui->List(kFormSplash, kSplashPictureList))
        {
            if (!widget->sprites.empty())
                widget->sprites[0]->texture = effectTextures[kTexHalo1];
            widget->SetVisible(0);
        }
        const int loading = device->FindTexture("Loading");
        if (loading >= 0)
            device->RemoveTextureAt(loading);
        loadingImage.Reset();
        CRefPtr<CTexture> trophiesPicture = device->GetTextureByName("Trophies");
        if (!trophiesPicture)
            LogText("Unable to Recreate TrophiesTexture (not found)\n");
        else if (trophiesPicture->Recreate(device->device) < 0)
            LogText("Unable to Recreate TrophiesTexture!\n");
        stateTimer = 0.0f;
        phase = 4;
        return;
    }
    if (phase == 4)
    {
        phase = 10;
        stateTimer = 0.0f;
        return;
    }
    if (phase < 10)
        return;

    const int group = phase / 10;
    const int groupStep = phase % 10;
    const int groups = ui->GroupCount();
    if (groupStep == 0)
    {
        if (stateTimer < questLayout.splashLifeTime)
            return;
        if (group >= groups)
            ui->FadeOutForm(splash, fadeSpeed);
        else
            ui->StopGroupEffect(group - 1, fadeSpeed);
        ++phase;
        stateTimer = 0.0f;
    }
    else if (groupStep == 1)
    {
        if (stateTimer < fade)
            return;
        if (group >= groups)
        {
            ui->FadeInForm(ui->Form(noProfile ? "NewProfile" : "MainMenu"), 2.0f);
            ui->FadeOutForm(splash, fadeSpeed);
            stateTimer = 0.0f;
            state = kStateMenus;
            phase = 0;
        }
        else
        {
            ui->StartGroupEffect(group, bloomSpeed);
            ++phase;
            stateTimer = 0.0f;
        }
    }
    else if (groupStep == 2)
    {
        if (stateTimer < bloom)
            return;
        phase += 8;
        stateTimer = 0.0f;
    }
}

void CGame::UpdateLevelIntro(float step)
{
    stateTimer += step;
    if (board)
        board->Update(step, mouseX, mouseY);
    switch (phase)
    {
    case -10:
        ui->RecreateIntroTexture(1);
        phase = -9;
        stateTimer = 0.0f;
        break;
    case -9:
        phase = -8;
        stateTimer = 0.0f;
        break;
    case -8:
        ui->SelectListWidget(0);
        ui->FadeInForm(ui->Form("Intro"), 2.0f);
        stateTimer = 0.0f;
        phase = -7;
        break;
    case 0:
        if (stateTimer >= 1.0f)
        {
            phase = 1;
            stateTimer = 0.0f;
            if (board)
                board->ShowPanels(1, 1, 2.0f);
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
        break;
    case 1:
        if (stateTimer >= 1.0f)
        {
            stateTimer = 0.0f;
            phase = 2;
            ui->FadeOutForm(ui->Form("NewLevel"), 2.0f);
        }
        break;
    case 2:
        if (stateTimer >= 0.5f)
        {
            stateTimer = 0.0f;
            phase = 0;
            state = kStatePlaying;
            if (board)
                board->inputOpen = 1;
            if (questMode == 0 && board && board->sandbox && board->sandbox->heap)
                board->sandbox->heap->drainRate = static_cast<float>(GetFallSpeed(levelParams));
            if (questJustLoaded)
            {
                questJustLoaded = 0;
                if (questSave)
                    questSave->status = 0;
            }
            if (music)
                music->RequestTrack(0);
        }
        break;
    default:
        break;
    }
}

void CGame::UpdateSpecialIntro(float step)
{
    stateTimer += step;
    if (phase == 0 && stateTimer >= 1.0f)
    {
        stateTimer = 0.0f;
        phase = 1;
        ui->questMode = questMode;
    }
    else if (phase == 1 && stateTimer >= 0.5f)
    {
        stateTimer = 0.0f;
        phase = 0;
        questJustLoaded = 0;
        state = kStatePlaying;
        subState = kSubStateShop;
        if (questSave)
            questSave->status = 0;
        if (shop)
            shop->Refresh(1, 2.0f, levelParams.level + 1);
        ui->FadeInForm(ui->Form("Shop"), 2.0f);
        if (music)
            music->RequestTrack(2);
    }
}

void CGame::UpdateQuestEnd(float step)
{
    stateTimer += step;
    if (phase < 0)
        ++phase;
    switch (phase)
    {
    case 0:
        ui->FadeOutForm(ui->Form("Background"), 2.0f);
        ui->FadeInForm(ui->Form("Win"), 2.0f);
        stateTimer = 0.0f;
        phase = 3;
        if (soundBank)
            soundBank->Play(soundBank->Win, 0, 0);
        break;
    case 4:
        if (stateTimer >= 0.5f)
        {
            stateTimer = 0.0f;
            phase = 5;
            if (board)
                board->ClearItems();
            if (music)
                music->RequestTrack(CMusic::kTrackMainMenu);
            if (backgrounds)
                backgrounds->SetScene(kSceneMainMenu);
        }
        break;
    case 5:
    case 6:
        stateTimer = 0.0f;
        ++phase;
        break;
    case 7:
    {
        // Beating Normal unlocks Hard: say so first; a new high score waits for its OK.
        char text[256] = "";
        if (board && board->hardMode == 0)
        {
            GetStringById(kStringHardUnlocked, text, sizeof(text));
            ui->SetMessageBox("", text, kMessageNoButtons, kMessageHardUnlocked);
            ui->FadeInForm(ui->Form("MsgBox"), 2.0f);
        }
        else if (hiscoreMade)
        {
            GetStringById(kStringNewHighScore, text, sizeof(text));
            ui->SetMessageBox("", text, kMessageNoButtons, kMessageHighScore);
            ui->FadeInForm(ui->Form("MsgBox"), 2.0f);
        }
        else
            ui->FadeInForm(ui->Form("MainMenu"), 2.0f);
        if (board)
        {
            board->inputOpen = 0;
            // The menus do not run the board: its panels go now.
            board->ShowPanels(0, 0, 0.0f);
        }
        stateTimer = 0.0f;
        state = kStateMenus;
        subState = kSubStateNormalPlay;
        phase = 0;
        if (questSave)
            questSave->status = 0;
        break;
    }
    default:
        break;
    }
}

void CGame::RenderAndPresent()
{
    if (renderer->RenderFrame() >= 0)
        Present();
}

void CGame::Present()
{
    if (beforePresent)
        beforePresent(*this);
    renderer->Present();
}
