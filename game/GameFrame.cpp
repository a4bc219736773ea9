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
const int kFrameStringNewHighScore = 61;
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

    if (trophies && trophyScreen.Update(step, mouseX, mouseY) == 1 && trophies->pending.empty() && player)
        SaveTrophies();

    HandleInterfaceEvents(step);
    // In the menus the picture's front foliage leans aside from the cursor.
    if (state == kStateMenus && backgrounds.IsValid())
        backgrounds->MainMenu().Hover(mouseX, mouseY);

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
    case SplashPhase::FirstFadeIn:
        if (splashTimer >= kSplashFade)
        {
            splashPhase = SplashPhase::FirstHold;
            splashTimer = 0.0f;
            DrawSplash(firstSplash, 1.0f);
        }
        else
            DrawSplash(firstSplash, splashTimer);
        return kFrameGoOn;
    case SplashPhase::FirstHold:
        if (splashTimer >= kSplashHold)
        {
            splashPhase = SplashPhase::FirstFadeOut;
            splashTimer = 0.0f;
        }
        else if (!LoadDuringSplash())
            return EndSplash(); // Init reports the failure
        DrawSplash(firstSplash, 1.0f);
        return kFrameGoOn;
    case SplashPhase::FirstFadeOut:
        if (splashTimer >= kSplashFade)
        {
            if (!secondImagePresent)
                return EndSplash();
            splashPhase = SplashPhase::SecondFadeIn;
            splashTimer = 0.0f;
            DrawSplash(secondSplash, 0.0f);
        }
        else
            DrawSplash(firstSplash, 1.0f - splashTimer);
        return kFrameGoOn;
    case SplashPhase::SecondFadeIn:
        if (splashTimer >= kSplashFade)
        {
            splashPhase = SplashPhase::SecondHold;
            splashTimer = 0.0f;
            DrawSplash(secondSplash, 1.0f);
        }
        else
            DrawSplash(secondSplash, splashTimer);
        return kFrameGoOn;
    case SplashPhase::SecondHold:
        if (splashTimer >= kSplashHold)
        {
            splashPhase = SplashPhase::SecondFadeOut;
            splashTimer = 0.0f;
        }
        else if (!LoadDuringSplash())
            return EndSplash(); // Init reports the failure
        DrawSplash(secondSplash, 1.0f);
        return kFrameGoOn;
    case SplashPhase::SecondFadeOut:
        if (splashTimer >= kSplashFade)
        {
            DrawSplash(secondSplash, 0.0f);
            return EndSplash();
        }
        DrawSplash(secondSplash, 1.0f - splashTimer);
        return kFrameGoOn;
    default:
        return kFrameGoOn;
    }
}

// The splash pictures are shown once: their handles stay, their video memory goes.
int CGame::EndSplash()
{
    splashRunning = 0;
    for (CRefPtr<CTexture>* picture : {&firstSplash, &secondSplash})
        if (*picture)
            (*picture)->ReleaseTexture();
    return kFrameRunInit;
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
                NextPhase(LevelIntroPhase::ShowTitle);
        }
    }
}

void CGame::UpdateStartup(float step)
{
    stateTimer += step;
    if (phase < 0)
        ++phase;
    switch (phase)
    {
    case StartupPhase::StartFirstGroup:
        ui->StartGroupEffect(-1, questLayout.splashBloomSpeed);
        ui->StartGroupEffect(0, questLayout.splashBloomSpeed);
        NextPhase(StartupPhase::DropLoadingPicture);
        return;
    case StartupPhase::DropLoadingPicture:
        if (stateTimer >= DurationOf(questLayout.splashBloomSpeed))
        {
            DropLoadingPicture();
            NextPhase(StartupPhase::ToFirstGroup);
        }
        return;
    case StartupPhase::ToFirstGroup:
        NextPhase(StartupPhase::FirstGroup);
        return;
    default:
        if (phase >= StartupPhase::FirstGroup)
            UpdateLogoGroup();
        return;
    }
}

void CGame::DropLoadingPicture()
{
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
}

void CGame::UpdateLogoGroup()
{
    // Each logo group holds, fades out and hands over to the next one's bloom; after
    // the last the menus come.
    const float bloomSpeed = questLayout.splashBloomSpeed;
    const float fadeSpeed = questLayout.splashFadeSpeed;
    CRefPtr<CKMForm> splash = ui->Form("Splash");
    const int group = phase / StartupPhase::GroupStride;
    const int groupStep = phase % StartupPhase::GroupStride;
    const int groups = ui->GroupCount();
    switch (groupStep)
    {
    case StartupPhase::GroupHold:
        if (stateTimer < questLayout.splashLifeTime)
            return;
        if (group >= groups)
            ui->FadeOutForm(splash, fadeSpeed);
        else
            ui->StopGroupEffect(group - 1, fadeSpeed);
        NextPhase(phase + 1);
        return;
    case StartupPhase::GroupFadeOut:
        if (stateTimer < DurationOf(fadeSpeed))
            return;
        if (group >= groups)
        {
            ui->FadeInForm(ui->Form(noProfile ? "NewProfile" : "MainMenu"), 2.0f);
            ui->FadeOutForm(splash, fadeSpeed);
            stateTimer = 0.0f;
            state = kStateMenus;
            phase = kPhaseStart;
        }
        else
        {
            ui->StartGroupEffect(group, bloomSpeed);
            NextPhase(phase + 1);
        }
        return;
    case StartupPhase::GroupBloom:
        if (stateTimer >= DurationOf(bloomSpeed))
            NextPhase((group + 1) * StartupPhase::GroupStride + StartupPhase::GroupHold);
        return;
    default:
        return;
    }
}

void CGame::UpdateLevelIntro(float step)
{
    stateTimer += step;
    if (board)
        board->Update(step, mouseX, mouseY);
    switch (phase)
    {
    case LevelIntroPhase::LoadIntroPicture:
        ui->RecreateIntroTexture(1);
        NextPhase(LevelIntroPhase::IntroPictureLoaded);
        break;
    case LevelIntroPhase::IntroPictureLoaded:
        NextPhase(LevelIntroPhase::ShowIntroPages);
        break;
    case LevelIntroPhase::ShowIntroPages:
        ui->SelectListWidget(0);
        ui->FadeInForm(ui->Form("Intro"), 2.0f);
        NextPhase(LevelIntroPhase::IntroPagesShown);
        break;
    case LevelIntroPhase::ShowTitle:
        if (stateTimer >= 1.0f)
        {
            NextPhase(LevelIntroPhase::HideTitle);
            ShowLevelTitle();
        }
        break;
    case LevelIntroPhase::HideTitle:
        if (stateTimer >= 1.0f)
        {
            NextPhase(LevelIntroPhase::StartPlay);
            ui->FadeOutForm(ui->Form("NewLevel"), 2.0f);
        }
        break;
    case LevelIntroPhase::StartPlay:
        if (stateTimer >= 0.5f)
        {
            NextPhase(kPhaseStart);
            state = kStatePlaying;
            StartLevelPlay();
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
    if (phase == SpecialIntroPhase::Wait && stateTimer >= 1.0f)
    {
        NextPhase(SpecialIntroPhase::OpenShop);
        ui->questMode = questMode;
    }
    else if (phase == SpecialIntroPhase::OpenShop && stateTimer >= 0.5f)
    {
        NextPhase(kPhaseStart);
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
    case QuestEndPhase::ShowWin:
        ui->FadeOutForm(ui->Form("Background"), 2.0f);
        ui->FadeInForm(ui->Form("Win"), 2.0f);
        NextPhase(QuestEndPhase::WinShown);
        if (soundBank)
            soundBank->Play(soundBank->Win, 0, 0);
        break;
    case QuestEndPhase::ClearBoard:
        if (stateTimer >= 0.5f)
        {
            NextPhase(QuestEndPhase::SettleFrame1);
            if (board)
                board->ClearItems();
            if (music)
                music->RequestTrack(CMusic::kTrackMainMenu);
            if (backgrounds)
                backgrounds->SetScene(kSceneMainMenu);
        }
        break;
    case QuestEndPhase::SettleFrame1:
    case QuestEndPhase::SettleFrame2:
        NextPhase(phase + 1);
        break;
    case QuestEndPhase::BackToMenus:
        LeaveQuestEnd();
        break;
    default:
        break;
    }
}

void CGame::LeaveQuestEnd()
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
        GetStringById(kFrameStringNewHighScore, text, sizeof(text));
        ui->SetMessageBox(text, "", kMessageNoButtons, kMessageHighScore);
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
    phase = kPhaseStart;
    if (questSave)
        questSave->status = 0;
}

void CGame::RenderAndPresent()
{
    if (skipDrawing && skipDrawing(*this))
        return;
    if (RenderGameFrame(*renderer, frameModules) >= 0)
        Present();
}

void CGame::Present()
{
    if (beforePresent)
        beforePresent(*this);
    renderer->Present();
}
