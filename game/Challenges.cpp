// The bonus levels: the four challenge openers, the challenge screen's steps
// from the rules to the verdict and back to the map, the challenge events of
// the board (a success, the end of a round, a prompt), the clicks and stops the
// player gives a running challenge, and putting a challenge back to rest.
#include "game/Game.h"

#include <algorithm>
#include <cstdio>

#include "audio/Music.h"
#include "audio/SoundBank.h"
#include "board/CapsManager.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "effects/Sandbox.h"
#include "engine/StringTable.h"
#include "field/PlayField.h"
#include "hud/LossEffect.h"
#include "hud/StarEffect.h"
#include "saves/Profiles.h"
#include "screens/Interface.h"
#include "screens/Shop.h"

namespace
{

// Texts of the string table.
const int kStringTimeUpFailed = 17;
const int kStringClickThemAll = 18;
const int kStringTooFewFailed = 19;
const int kStringWhere = 20;
const int kStringRight = 21;
const int kStringMiss = 23;
const int kStringCatch = 24;
const int kStringPenalty = 30;

// The rules' message box shows its Start button.
const int kLayoutRules = 4;

// Pop-up colours of the challenge screen.
const int kStyleAnnounce = 0;
const int kStyleCall = 1;
const int kStyleMiss = 3;

// How long the challenge's messages stay: a result, the accuracy challenge's call
// and the attention challenge's question; a reaction miss stays for a share of the
// challenge's wait after it.
const float kResultMessageTime = 0.75f;
const float kClickThemAllTime = 0.5f;
const float kWhereMessageTime = 1.0f;
const float kMissShareOfWait = 0.6f;

const float kWarningTime = 10.0f;
const float kFormFade = 2.0f;
const int32_t kCapsSetNormal = 0;
const int32_t kCapsSetChallenge = 1;
// The attention challenge gives ten tries; the memory challenge three rounds.
const int32_t kAttentionTries = 10;
const int32_t kMemoryRounds = 3;

// The schedule's kinds of bonus level.
const int32_t kScheduleMemory = 1;
const int32_t kScheduleAccuracy = 2;
const int32_t kScheduleAttention = 3;
const int32_t kScheduleReaction = 4;

// The Blinker form's three "Stop!" widgets.
const int kFirstStopWidget = 2;
const int kLastStopWidget = 4;
// The Thimbles form's prompt.
const int kPromptWidget = 3;

struct ChallengeLook
{
    const char* form;
    int title;  // string ids of the rules' caption and text
    int help;
};

ChallengeLook LookOf(int32_t kind)
{
    switch (kind)
    {
    case kLevelKindMemory:
        return {"Memory", 50, 46};
    case kLevelKindAccuracy:
        return {"Arcade", 49, 45};
    case kLevelKindAttention:
        return {"Thimbles", 52, 48};
    default:
        return {"Blinker", 51, 47};
    }
}

// A plate challenge made for the board's slot: its sounds, the token looks
// and the board's cells to lay its plates on.
template <class Challenge>
Challenge& MakePlateChallenge(CRefPtr<Challenge>& slot, const CPlayField& field, const CRefPtr<CSoundBank>& sounds,
                              const CRefPtr<CCapsManager>& caps)
{
    slot = CRefPtr<Challenge>(new Challenge);
    Challenge& c = *slot;
    c.soundBank = sounds;
    c.SetCapsManager(caps);
    c.SetArea(field.origin[0], field.origin[1], field.origin[2], field.cellWidth, field.cellHeight, field.cellWidth,
              field.cellHeight);
    return c;
}

std::string Text(int id)
{
    char text[256] = "";
    GetStringById(id, text, sizeof(text));
    return text;
}

}  // namespace

int CGame::OpenChallengeOfLevel()
{
    int32_t number = 0, tier = 0;
    switch (GetChallengeForLevel(levelParams.level, number, tier))
    {
    case kScheduleMemory:
        OpenMemoryChallenge(number, tier);
        return 1;
    case kScheduleAccuracy:
        OpenAccuracyChallenge(number, tier);
        return 1;
    case kScheduleAttention:
        OpenAttentionChallenge(number, tier);
        return 1;
    case kScheduleReaction:
        OpenReactionChallenge(number, tier);
        return 1;
    default:
        return 0;
    }
}

void CGame::SetChallengeClock(float seconds)
{
    challengeTime = seconds;
    levelTimer = seconds;
    nextWarning = kWarningTime;
    if (ui)
        ui->SetGaugeTarget(1.0f);
}

void CGame::EnterChallenge(int32_t kind)
{
    CPlayField& field = *board;
    field.mode = kind;
    levelKind = kind;
    if (field.sandbox && field.sandbox->heap)
        field.sandbox->heap->Reset();
    // The bonus level is played without the level's totems.
    FadeOutTotems();
    subState = kSubStateChallenge;
    NextPhase(ChallengePhase::Begin);
    if (music)
        music->RequestTrack(CMusic::kTrackBonusLevel);
}

void CGame::OpenMemoryChallenge(int number, int tier)
{
    challengeNumber = number;
    challengeTier = tier;
    if (caps)
        caps->SwitchTextureSet(kCapsSetChallenge);
    ui->SetChallengeTitle1(number, 1, kMemoryRounds);
    SetChallengeClock(GetChallenge1Time(tier));
    CPlayField& field = *board;
    field.mode = kLevelKindMemory;
    CMemoryChallenge& m = MakePlateChallenge(field.memoryChallenge, field, soundBank, caps);
    m.round = 1;
    m.collected = 0;
    EnterChallenge(kLevelKindMemory);
}

void CGame::OpenAccuracyChallenge(int number, int tier)
{
    challengeNumber = number;
    challengeTier = tier;
    ui->SetChallengeTitle2(number);
    SetChallengeClock(GetChallenge2Time(tier));
    CPlayField& field = *board;
    field.mode = kLevelKindAccuracy;
    field.accuracyChallenge = CRefPtr<CAccuracyChallenge>(new CAccuracyChallenge);
    CAccuracyChallenge& a = *field.accuracyChallenge;
    a.SetResources(spriteLists[2], particles[2], screenTextures[kTexBigStar], effectTextures[kTexStarParticle]);
    a.soundBank = soundBank;
    // The caught stars line up in the frenzy bar over the sand glass.
    float glassX = questLayout.sandboxX, glassY = questLayout.sandboxY;
    if (field.sandbox)
        glassX = field.sandbox->area.x, glassY = field.sandbox->area.y;
    const float z = field.origin[2] - 1.0f;
    a.SetStarParams(512.0f, 200.0f, z, 640.0f, 500.0f, glassX + questLayout.frenzyBarShift[0],
                    glassY - questLayout.frenzyBarShift[1], z, questLayout.frenzyBarElementSize[0],
                    questLayout.frenzyBarElementSize[1], questLayout.frenzyBarCount);
    EnterChallenge(kLevelKindAccuracy);
}

void CGame::OpenAttentionChallenge(int number, int tier)
{
    // The attention challenge has no clock: time and warning stay as they were.
    challengeNumber = number;
    challengeTier = tier;
    if (caps)
        caps->SwitchTextureSet(kCapsSetChallenge);
    ui->SetChallengeTitle3(number, 1, kAttentionTries);
    CPlayField& field = *board;
    field.mode = kLevelKindAttention;
    CAttentionChallenge& a = MakePlateChallenge(field.attentionChallenge, field, soundBank, caps);
    a.tryNumber = 1;
    a.rightAnswers = 0;
    EnterChallenge(kLevelKindAttention);
}

void CGame::OpenReactionChallenge(int number, int tier)
{
    challengeNumber = number;
    challengeTier = tier;
    if (caps)
        caps->SwitchTextureSet(kCapsSetChallenge);
    ui->SetChallengeTitle4(number);
    SetChallengeClock(GetChallenge4Time(tier));
    CPlayField& field = *board;
    field.mode = kLevelKindReaction;
    CReactionChallenge& r = MakePlateChallenge(field.reactionChallenge, field, soundBank, caps);
    r.catches = 0;
    r.target = GetChallenge4Count(tier);
    EnterChallenge(kLevelKindReaction);
}

void CGame::UpdateChallengeScreen(float dt)
{
    stateTimer += dt;
    switch (phase)
    {
    case ChallengePhase::Begin:
    case ChallengePhase::Settle:
    case ChallengePhase::ResetChallenge:
    case ChallengePhase::SettleFrame1:
    case ChallengePhase::SettleFrame2:
        if (phase == ChallengePhase::ResetChallenge)
            ResetRunningChallenge();
        return NextPhase(phase + 1);
    case ChallengePhase::ShowForm:
        return ShowChallengeForm();
    case ChallengePhase::ShowRules:
        if (stateTimer >= 0.5f)
            ShowChallengeRules();
        return;
    case ChallengePhase::RulesOpening:
        if (stateTimer >= 0.5f)
            NextPhase(ChallengePhase::RulesShown);
        return;
    case ChallengePhase::RulesClosed:
        if (stateTimer >= 0.5f)
        {
            if (CRefPtr<CKMForm> hud = ui->Form("Quest"))
                hud->SetActive(1);
            NextPhase(ChallengePhase::StartPlay);
        }
        return;
    case ChallengePhase::StartPlay:
        if (stateTimer >= 0.5f)
            StartChallengePlay();
        return;
    case ChallengePhase::Play:
        return RunChallengeClock(dt);
    case ChallengePhase::Lost:
        if (stateTimer >= 2.0f)
            NextPhase(ChallengePhase::ResetChallenge);
        return;
    case ChallengePhase::Release:
        return ReleaseChallenge();
    default:
        return;
    }
}

void CGame::ShowChallengeForm()
{
    if (soundBank)
        soundBank->Play(soundBank->NewLevel, 0, 0);
    ui->FadeOutForm(ui->Form("Statistics"), kFormFade);
    ui->FadeInForm(ui->Form(LookOf(levelKind).form), kFormFade);
    board->ShowPanels(1, 1, kFormFade);
    NextPhase(player && player->questTutorial ? ChallengePhase::ShowRules : ChallengePhase::StartPlay);
}

void CGame::ShowChallengeRules()
{
    const ChallengeLook look = LookOf(levelKind);
    ui->SetMessageBox(Text(look.title).c_str(), Text(look.help).c_str(), kLayoutRules, kMessageChallengeRules);
    if (CRefPtr<CKMForm> hud = ui->Form("Quest"))
        hud->SetActive(0);
    ui->FadeInForm(ui->Form("MsgBox"), kFormFade);
    NextPhase(ChallengePhase::RulesOpening);
}

void CGame::StartChallengePlay()
{
    CPlayField& field = *board;
    if (levelKind == kLevelKindMemory && field.memoryChallenge)
        field.memoryChallenge->StartRound(3 * challengeTier - 2);
    else if (levelKind == kLevelKindAccuracy && field.accuracyChallenge)
    {
        field.accuracyChallenge->Start(challengeTier);
        ShowChallengeMessage(kStringClickThemAll, kStyleCall, kClickThemAllTime);
    }
    else if (levelKind == kLevelKindAttention && field.attentionChallenge)
        field.attentionChallenge->StartRound(1, challengeTier);
    else if (levelKind == kLevelKindReaction && field.reactionChallenge)
        field.reactionChallenge->Start(challengeTier);
    NextPhase(ChallengePhase::Play);
}

void CGame::RunChallengeClock(float dt)
{
    CPlayField& field = *board;
    if (field.inputLocked || levelKind == kLevelKindAttention)
        return;
    levelTimer = std::max(0.0f, levelTimer - dt);
    ui->SetGaugeTarget(challengeTime > 0.0f ? levelTimer / challengeTime : 0.0f);
    if (levelTimer <= nextWarning)
    {
        // Warnings at 10 and 5 seconds, then every second.
        ui->SetWarningPulse(1);
        nextWarning = nextWarning == kWarningTime ? 5.0f : nextWarning - 1.0f;
    }
    if (levelTimer <= 0.0f)
        EndChallengeAtTimeUp();
}

void CGame::EndChallengeAtTimeUp()
{
    // Only a challenge at play ends here; one busy judging a pick or a stop
    // finishes that first and is ended on a later frame.
    CPlayField& field = *board;
    if (levelKind == kLevelKindMemory && field.memoryChallenge &&
        field.memoryChallenge->state == CMemoryChallenge::kWaiting)
        CollectMemoryRound();
    else if (levelKind == kLevelKindAccuracy && field.accuracyChallenge &&
             field.accuracyChallenge->state == CAccuracyChallenge::kRunning)
    {
        field.accuracyChallenge->state = CAccuracyChallenge::kEnding;
        field.accuracyChallenge->FlyOutStars();
    }
    else if (levelKind == kLevelKindReaction && field.reactionChallenge &&
             field.reactionChallenge->state == CReactionChallenge::kTurning)
    {
        CReactionChallenge& r = *field.reactionChallenge;
        r.state = CReactionChallenge::kFlyingOut;
        r.FlyOutPlates();
        r.subState = 0;
        r.timer = 0.0f;
        ShowStopButtons(0);
    }
}

void CGame::ShowStopButtons(int show)
{
    for (int n = kFirstStopWidget; n <= kLastStopWidget; ++n)
        if (CRefPtr<CKMWindow> w = ui->Widget(kFormBlinker, n))
            w->SetVisible(show);
}

void CGame::ShowChallengeMessage(const std::string& text, int style, float displayTime)
{
    CRefPtr<CPopupMessage> message;
    board->popups.AddMessage(message, text.c_str(), 1.0f, style, questLayout.comboMessagePos[0],
                             questLayout.comboMessagePos[1], questLayout.comboMessagePos[2], displayTime);
}

void CGame::ShowChallengeMessage(int text, int style, float displayTime)
{
    ShowChallengeMessage(Text(text), style, displayTime);
}

void CGame::HandleChallengeEvent(const CPlayFieldEvent& event)
{
    if (event.code == kEventRoundEnded)
        ChallengeSucceeded();
    else if (event.code == kEventChallengeEnded && !StartNextChallengeRound())
        GiveChallengeVerdict();
    else if (event.code == kEventChallengeMissed)
        ChallengePrompt(event.arg);
}

void CGame::ChallengeSucceeded()
{
    CPlayField& field = *board;
    if (levelKind == kLevelKindMemory)
        CollectMemoryRound();
    else if (levelKind == kLevelKindAttention && field.attentionChallenge)
    {
        CAttentionChallenge& a = *field.attentionChallenge;
        if (CRefPtr<CKMWindow> prompt = ui->Widget(kFormThimbles, kPromptWidget))
            prompt->SetVisible(0);
        if (a.chosenPlate == CAttentionChallenge::kTokenPlate)
        {
            a.rightAnswers += 1;
            field.SpawnEventEffects2(GetRateA(challengeTier));
            ShowChallengeMessage(kStringRight, kStyleAnnounce, kResultMessageTime);
            a.FlyOutPlates();
        }
        else
        {
            ShowChallengeMessage(kStringMiss, kStyleMiss, kResultMessageTime);
            if (soundBank)
                soundBank->Play(soundBank->Wrong, 0, 0);
        }
    }
    else if (levelKind == kLevelKindReaction)
    {
        field.SpawnEventEffects3(GetRateB(challengeTier));
        ShowChallengeMessage(kStringCatch, kStyleAnnounce, kResultMessageTime);
    }
}

void CGame::CollectMemoryRound()
{
    // The round's found tokens shatter into the sand glass; the plates left
    // fly off.
    CPlayField& field = *board;
    field.SpawnEventEffects1(GetProgressStepFraction(challengeTier));
    if (field.memoryChallenge)
        field.memoryChallenge->FlyOutCaps();
}

int CGame::StartNextChallengeRound()
{
    CPlayField& field = *board;
    if (levelKind == kLevelKindMemory && field.memoryChallenge)
    {
        CMemoryChallenge& m = *field.memoryChallenge;
        if (m.round >= kMemoryRounds || levelTimer <= 0.0f)
            return 0;
        ui->SetChallengeTitle1(challengeNumber, m.round + 1, kMemoryRounds);
        m.StartRound(3 * challengeTier + m.round - 2);
        m.round += 1;
        return 1;
    }
    if (levelKind == kLevelKindAttention && field.attentionChallenge)
    {
        CAttentionChallenge& a = *field.attentionChallenge;
        if (a.tryNumber >= kAttentionTries)
            return 0;
        ui->SetChallengeTitle3(challengeNumber, a.tryNumber + 1, kAttentionTries);
        a.StartRound(a.tryNumber + 1, challengeTier);
        a.tryNumber += 1;
        return 1;
    }
    return 0;
}

void CGame::ChallengePrompt(int32_t which)
{
    CPlayField& field = *board;
    if (which == 1)
    {
        if (CRefPtr<CKMWindow> prompt = ui->Widget(kFormThimbles, kPromptWidget))
            prompt->SetVisible(1);
        ShowChallengeMessage(kStringWhere, kStyleCall, kWhereMessageTime);
    }
    else if (which == 2 && field.reactionChallenge)
    {
        ShowChallengeMessage(Text(kStringMiss) + ". " + Text(kStringPenalty), kStyleMiss,
                             kMissShareOfWait * field.reactionChallenge->afterMissWait);
        levelTimer = std::max(0.0f, levelTimer - field.reactionChallenge->penalty);
        ui->SetGaugeTarget(challengeTime > 0.0f ? levelTimer / challengeTime : 0.0f);
    }
}

int CGame::IsChallengeWon() const
{
    const CPlayField& field = *board;
    switch (levelKind)
    {
    case kLevelKindMemory:
        return field.memoryChallenge && field.memoryChallenge->collected >= GetProgressSteps(challengeTier);
    case kLevelKindAccuracy:
        return field.accuracyChallenge && field.accuracyChallenge->caughtCount >= field.accuracyChallenge->targetCount;
    case kLevelKindAttention:
        return field.attentionChallenge && field.attentionChallenge->rightAnswers >= GetCountLimit8(challengeTier);
    case kLevelKindReaction:
        return field.reactionChallenge && field.reactionChallenge->catches >= field.reactionChallenge->target;
    default:
        return 0;
    }
}

void CGame::GiveChallengeVerdict()
{
    CPlayField& field = *board;
    if (phase >= ChallengePhase::Lost)
        return;
    // Sand still pouring into the glass is part of the result, except for the
    // stars, which never pour any.
    CSandHeap* heap = field.sandbox ? field.sandbox->heap.Get() : nullptr;
    if (levelKind != kLevelKindAccuracy && heap && !heap->portions.empty())
        return;
    if (IsChallengeWon())
    {
        ++wonChallenges;
        if (levelKind == kLevelKindReaction)
            ShowStopButtons(0);
        if (heap)
            heap->Reset();
        if (starEffect)
            starEffect->Start();
        if (soundBank)
            soundBank->Play(soundBank->BonusStar, 0, 0);
        if (shop)
            ++shop->items.freeStars;
        NextPhase(ChallengePhase::Won);
        return;
    }
    const bool timed = levelKind == kLevelKindMemory || levelKind == kLevelKindAccuracy;
    const std::string text = Text(timed ? kStringTimeUpFailed : kStringTooFewFailed);
    CRefPtr<CPopupMessage> note;
    // Where the life-lost note shows, so that it stands over the board, clear of the panel.
    const Vec3 at = lossEffect ? lossEffect->settings.notePos : Vec3{0.0f, 60.0f, field.origin[2] - 10.0f};
    field.popups.AddLoss(note, text.c_str(), 1.5f, at.x, at.y, at.z);
    NextPhase(ChallengePhase::Lost);
}

void CGame::ChallengeClick(float x, float y, bool taken)
{
    CPlayField& field = *board;
    if (state != kStatePlaying || subState != kSubStateChallenge || field.inputLocked)
        return;
    if (levelKind == kLevelKindReaction)
    {
        // A press anywhere but the pause button is a "Stop!" as well.
        if (!taken && questMode == 0 && field.reactionChallenge)
            field.reactionChallenge->OnStop(0.0f, 0.0f);
        return;
    }
    if (levelKind == kLevelKindMemory && field.memoryChallenge)
        field.memoryChallenge->OnClick(x, y);
    else if (levelKind == kLevelKindAttention && field.attentionChallenge)
        field.attentionChallenge->OnClick(x, y);
    if (levelKind != kLevelKindAccuracy || !field.accuracyChallenge)
        return;
    if (field.accuracyChallenge->OnClick(x, y) != kChallengeAccepted)
        return;
    const int32_t kStarPoints = 250;
    field.counters.AddToBoth(kStarPoints, kCounterScore);
    ui->SetCounter(field.counters.second.GetInt(kCounterScore), 1);
    CRefPtr<CPopupMessage> popup;
    field.popups.AddScore(popup, kStarPoints, 1, x, y, CPopupMessages::Settings().z);
    CheckExtraLife();
}

int CGame::StopReaction(float x, float y)
{
    if (!board || board->inputLocked || !board->reactionChallenge)
        return 0;
    board->reactionChallenge->OnStop(x, y);
    return 1;
}

void CGame::ResetRunningChallenge()
{
    CPlayField& field = *board;
    switch (levelKind)
    {
    case kLevelKindMemory:
        if (field.memoryChallenge)
            field.memoryChallenge->state = CMemoryChallenge::kIdle;
        break;
    case kLevelKindAccuracy:
        if (field.accuracyChallenge)
            field.accuracyChallenge->state = CAccuracyChallenge::kIdle;
        return;  // the stars never changed the token pictures
    case kLevelKindAttention:
        if (field.attentionChallenge)
            field.attentionChallenge->state = CAttentionChallenge::kIdle;
        break;
    case kLevelKindReaction:
        if (field.reactionChallenge)
            field.reactionChallenge->state = CReactionChallenge::kNotStarted;
        break;
    default:
        return;
    }
    if (caps)
        caps->SwitchTextureSet(kCapsSetNormal);
}

void CGame::ReleaseChallenge()
{
    CPlayField& field = *board;
    switch (levelKind)
    {
    case kLevelKindMemory:
        field.memoryChallenge.Reset();
        break;
    case kLevelKindAccuracy:
        field.accuracyChallenge.Reset();
        break;
    case kLevelKindAttention:
        field.attentionChallenge.Reset();
        break;
    case kLevelKindReaction:
        field.reactionChallenge.Reset();
        break;
    default:
        break;
    }
    ui->FadeOutForm(ui->Form(LookOf(levelKind).form), kFormFade);
    ui->FadeOutForm(ui->Form("Quest"), kFormFade);
    FadeOutTotems();
    HidePlayPanels();
    if (CheckTrophies())
    {
        ShowTrophies(1);
        return;
    }
    ui->FadeInForm(ui->Form("Background"), kFormFade);
    LeaveChallengeForMap();
}

void CGame::LeaveChallengeForMap()
{
    subState = kSubStateAfterLevel;
    NextPhase(AfterLevelPhase::HideTitle);
    board->mode = kLevelKindPlain;
    levelKind = kLevelKindPlain;
    if (music)
        music->RequestTrack(CMusic::kTrackStoryline);
}

void CGame::CloseChallengeTrophies()
{
    ui->FadeOutForm(ui->Form("Trophies"), 5.0f);
    ui->HideListWidgets();
    ui->FadeInForm(ui->Form("Background"), kFormFade);
    LeaveChallengeForMap();
}

void CGame::CloseChallengeOnReset()
{
    if (subState != kSubStateChallenge || !board)
        return;
    ResetRunningChallenge();
    ui->FadeOutForm(ui->Form(LookOf(levelKind).form), kFormFade);
    board->mode = kLevelKindPlain;
    levelKind = kLevelKindPlain;
}
