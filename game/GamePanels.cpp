// The panels around a level: the level-complete step, the loss of a life, the hint,
// the extra life earned by score, the shuffle bought with a life, the quest map's flag
// hopping to the next level, and the level statistics that count up row by row.
#include "game/Game.h"
#include "game/GamePanels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/SoundBank.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystemsManager.h"
#include "field/PlayField.h"
#include "effects/Sandbox.h"
#include "engine/StringTable.h"
#include "saves/BestResults.h"
#include "saves/Profiles.h"
#include "render/SpriteBatch.h"
#include "screens/Interface.h"
#include "hud/LossEffect.h"
#include "screens/Shop.h"
#include "hud/TokenSelector.h"
#include "ui/KMStatic.h"

namespace {

const int kStringLevelComplete = 10;
const int kStringNoMoves = 13;
const int kStringLifeLost = 53;
const int kStringTimeUp = 54;
const int kStringShuffling = 72;

// Statistics form: the value widget of each of the six rows (element numbers), and
// every widget of the rows in reveal order.
const int kNewScoreBadge = 9;
const int kNewTimeBadge = 12;
// Rows 4 and 5 end in the name of the best result's holder.
const int kBestScoreName = 14;
const int kBestTimeName = 15;
const int kRowWidgets[6][4] = {{1, 2, -1, -1},  {3, 4, -1, -1},   {5, 6, -1, -1},
                               {7, 8, 9, kBestScoreName}, {10, 11, 12, kBestTimeName}, {13, -1, -1, -1}};

// The statistics' looks: a row's pop, and the burst of a new best.
const uint32_t kPopColour = 0xFFC0C0FFu;
const uint32_t kNewBestColour = 0xFFFF80FFu;
const int32_t kNewBestParticles = 200;
// Row 6 heads the quest's small table; widget 0 spans the form.
const int kFrameWidget = 0;
const int kTableHead = 13;

void SetNumber(const CRefPtr<CKMWindow>& widget, int value)
{
    if (!widget)
        return;
    char text[32];
    std::snprintf(text, sizeof(text), "%d", value);
    SetWidgetText(widget, text);
}

}  // namespace

void CGame::ShuffleBoard(float time)
{
    if (board)
        board->Shuffle(time, 30);
}

void CGame::CompleteLevel()
{
    if (ui)
    {
        ui->SetPanelVisible(questMode, 0);
        ui->SetIconPanelVisible(0);
    }
    if (levelParams.level == 1 && questMode == 0 && player && !player->tipsSeen[CPlayerSettings::kTipWrong] &&
        board && board->wrongMoveCount > 0)
    {
        player->tipsSeen[CPlayerSettings::kTipWrong] = 1;
        SavePlayerSettings();
    }
    if (board)
        board->events.clear();
    if (ui)
    {
        char text[128] = "";
        GetStringById(kStringLevelComplete, text, sizeof(text));
        ui->SetLevelLabelText(text);
        ui->FadeInForm(ui->Form("NewLevel"), 2.0f);
    }
    if (board)
        board->inputOpen = 0;
    stateTimer = 0.0f;
    subState = kSubStateLevelComplete;
    phase = LevelCompletePhase::HideTitle;
    if (soundBank)
        soundBank->Play(soundBank->EndLevel, 0, 0);
    if (shop)
        ++shop->items.freeStars;
    ++noHintRun;
    ++completedRun;
}

void CGame::LoseLife(bool timeUp, bool final)
{
    lossTimer = 0.0f;
    lossTimeUp = timeUp ? 1 : 0;
    lossRunning = 1;
    lossFinal = final ? 1 : 0;
    if (soundBank)
        soundBank->Play(soundBank->LifeLost, 0, 0);
    char first[128] = "";
    GetStringById(timeUp ? kStringTimeUp : kStringNoMoves, first, sizeof(first));
    const float shuffleTime = lossEffect ? lossEffect->ShuffleTime() : 2.0f;
    if (!final)
    {
        if (soundBank)
            soundBank->Play(soundBank->LifeLostBack, 0, 0);
        char second[128] = "";
        GetStringById(kStringLifeLost, second, sizeof(second));
        if (lossEffect)
        {
            lossEffect->note = std::string(first) + "\n" + second;
            lossEffect->Start(0, 0.0f, 0.0f, 0.0f);
        }
        ShuffleBoard(shuffleTime);
        --lives;
        if (ui && board)
        {
            const float allowance = levelParams.timeA > 0.0f ? levelParams.timeA : 1.0f;
            ui->SetCounters(board->counters.second.GetInt(kCounterScore), lives, levelTimer / allowance);
        }
    }
    else
    {
        // No heart breaks: the sequence waits only for its delay.
        if (board)
        {
            CRefPtr<CPopupMessage> note;
            const Vec3 at = lossEffect ? lossEffect->settings.notePos : Vec3{0.0f, 60.0f, -3.0f};
            board->popups.AddLoss(note, first, 1.5f, at.x, at.y, at.z);
        }
        ShuffleBoard(shuffleTime);
    }
    if (board)
        board->events.clear();
}

int CGame::ShowHint()
{
    if (!board || board->inputLocked || !board->inputOpen || !board->IsIdle(true))
        return 0;
    board->RebuildValueGrid();
    CSwapMove move;
    if (!board->matchGrid.PickRandomMove(move))
        return 0;
    float lastX = 0.0f;
    const int32_t cells[2][2] = {{move.column1, move.row1}, {move.column2, move.row2}};
    for (const auto& cell : cells)
    {
        const Vec3 at = board->CellToScreen(cell[0], cell[1], true);
        lastX = at.x;
        board->adviser.ShowHint(at.x, at.y + 0.3f * board->cellHeight, hintShowTime);
    }
    if (soundBank)
        soundBank->PlayPanned(soundBank->Hint, lastX, 0, 0);
    noHintRun = -1;
    return 1;
}

void CGame::CheckExtraLife()
{
    // Points per life of 0 would divide by zero: such a level grants no extra lives.
    const int perLife = levelParams.scoreLimit;
    if (questMode != 0 || levelParams.flagA != 0 || perLife <= 0 || !board)
        return;
    const int score = board->counters.second.GetInt(kCounterScore);
    if (static_cast<long long>(board->gameWord + 1) * perLife > score)
        return;
    board->gameWord = score / perLife;
    ++lives;
    if (!ui)
        return;
    CRefPtr<CKMWindow> label = ui->Widget(kFormQuest, 7);
    SetNumber(label, lives);
    if (label && spriteBatches[0])
    {
        CRefPtr<CBatchSprite> ring(new CBatchSprite(label->worldPosition.x - label->baseSize.w * 0.5f + 8.0f,
                                                    label->worldPosition.y, label->worldPosition.z - 20.0f,
                                                    effectTextures[kTexRing], 0xFFFFFF80u));
        ring->SetScale(32.0f, 32.0f);
        ring->flickerAmplitude = 0.0f;
        ring->fadeInTime = 0.1f;
        ring->holdEnd = 0.4f;
        ring->fadeOutTime = 0.4f;
        ring->StartZoom(4.0f, 4.0f);
        spriteBatches[0]->Add(ring);
    }
    if (soundBank)
        soundBank->Play(soundBank->AddLife, 0, 0);
}

void CGame::SpendLifeForShuffle(int icon)
{
    if (ui)
        ui->SetIconPanelVisible(0);
    if (!board || subState != kSubStateNormalPlay || specialMode != 0 || lossRunning || board->inputLocked ||
        !board->inputOpen || !board->IsIdle(true) || (lossEffect && lossEffect->busy))
        return;
    const WidgetList& icons = ui ? ui->List(kFormQuest, 5) : WidgetList();
    // The icon comes from the form file: an index outside its list shuffles nothing.
    if (icon < 0 || icon >= static_cast<int>(icons.size()))
        return;
    lossTimer = 0.0f;
    lossTimeUp = 0;
    lossRunning = 1;
    lossFinal = 0;
    if (soundBank)
        soundBank->Play(soundBank->LifeLost, 0, 0);
    char text[128] = "";
    GetStringById(kStringShuffling, text, sizeof(text));
    if (lossEffect)
    {
        // The heart leaves from the life icon spent.
        const Vec3 at = icons[size_t(icon)]->worldPosition;
        lossEffect->note = text;
        lossEffect->Start(1, at.x, at.y, at.z - 10.0f);
    }
    ShuffleBoard(lossEffect ? lossEffect->ShuffleTime() : 2.0f);
    --lives;
    icons[size_t(icon)]->SetVisible(0);
    board->events.clear();
}

void CGame::UpdateMapFlag(float dt)
{
    if (phase != MapPhase::MoveFlag || !ui)
        return;
    CRefPtr<CKMForm> map = ui->Form("Map");
    if (!map || !map->visible || !map->enabled || !map->active)
        return;
    const int level = levelParams.level;
    int32_t stage1 = 1, index1 = 1, stage0 = 1, index0 = 1;
    SplitLevelIndex(level + 1, stage1, index1);
    SplitLevelIndex(level, stage0, index0);
    if (stage1 > 5)
    {
        NextPhase(MapPhase::FlagArrived);
        return;
    }
    stateTimer += dt;
    const float moveTime = questLayout.flagMoveTime > 0.0f ? questLayout.flagMoveTime : 1.0f;
    const float s = stateTimer / moveTime;
    // Spots come from the form file: a level without its spot leaves the flag where it is.
    auto spot = [this](int stage, int index) -> CRefPtr<CKMWindow> {
        if (stage < 1 || stage > 5 || index < 0)
            return CRefPtr<CKMWindow>();
        const WidgetList& spots = ui->List(kFormMap, 6 + stage - 1);
        return index < static_cast<int>(spots.size()) ? spots[size_t(index)] : CRefPtr<CKMWindow>();
    };
    CRefPtr<CKMWindow> flag = ui->Widget(kFormMap, 30), shadow = ui->Widget(kFormMap, 31);
    if (s < 1.0f)
    {
        CRefPtr<CKMWindow> a = spot(stage0, index0 - 1), b = spot(stage1, index1 - 1);
        if (!a || !b || !flag || !shadow)
            return;
        const float px = a->localPosition.x * (1.0f - s) + b->localPosition.x * s;
        const float py = a->localPosition.y * (1.0f - s) + b->localPosition.y * s;
        const float hop = questLayout.flagJumpHeight * 4.0f * s * (1.0f - s);
        map->SetChildPosition(flag, px + questLayout.flagShift[0], py + questLayout.flagShift[1] + hop,
                              flag->localPosition.z);
        map->SetChildPosition(shadow, px + questLayout.flagShift[0] + questLayout.shadowShift[0] + questLayout.shadowVec[0] * hop,
                              py + questLayout.flagShift[1] + questLayout.shadowShift[1] + questLayout.shadowVec[1] * hop,
                              shadow->localPosition.z);
        return;
    }
    ui->SetLevelPairLabel(level + 1, 0);
    NextPhase(MapPhase::FlagArrived);
    if (index1 > 1)
    {
        CRefPtr<CKMWindow> passed = spot(stage1, index1 - 2);
        if (passed && spriteBatches[0])
        {
            CRefPtr<CBatchSprite> sparkle(new CBatchSprite(passed->localPosition.x, passed->localPosition.y,
                                                           passed->localPosition.z - 10.0f, effectTextures[kTexHalo1],
                                                           0xFFFFFF60u));
            sparkle->SetScale(16.0f, 16.0f);
            sparkle->flickerAmplitude = 0.0f;
            sparkle->fadeInTime = sparkle->fadeOutTime = sparkle->holdEnd = 0.5f;
            sparkle->StartZoom(7.0f, 4.0f);
            spriteBatches[0]->Add(sparkle);
        }
        if (soundBank)
            soundBank->Play(soundBank->Flare, 0, 0);
    }
}

void CGame::ShowLevelResults(int)
{
    if (!board || !ui || !bestTimes || !bestScores)
        return;
    const LevelResults results =
        SummariseLevel(board->counters, levelParams.level, player ? player->name.c_str() : "", levelTimer,
                       levelParams.stepCount, *bestTimes, *bestScores, folders.sharedGameData);
    newBestScore = results.newBestScore ? 1 : 0;
    newBestTime = results.newBestTime ? 1 : 0;
    levelScoreBefore = results.levelScore;
    questScoreBefore = results.questScore;
    secondsLeft = results.secondsLeft;
    timeBonus = results.timeBonus;
    auto setText = [this](int number, const std::string& text) {
        if (CRefPtr<CKMWindow> w = ui->Widget(kFormStatistics, number))
            SetWidgetText(w, text.c_str());
    };
    setText(2, results.levelScoreText);
    setText(4, "0");
    setText(6, results.timeText);
    setText(8, results.bestScoreText);
    setText(11, results.bestTimeText);
    setText(kBestScoreName, results.bestScoreName);
    setText(kBestTimeName, results.bestTimeName);
    for (int k = 0; k < 4; ++k)
    {
        const WidgetList& levelColumn = ui->List(kFormStatistics, 1);
        const WidgetList& questColumn = ui->List(kFormStatistics, 2);
        if (k < static_cast<int>(levelColumn.size()))
            SetNumber(levelColumn[size_t(k)], results.rows[k][0]);
        if (k < static_cast<int>(questColumn.size()))
            SetNumber(questColumn[size_t(k)], results.rows[k][1]);
    }
    // The rows come up one by one in the statistics steps.
    for (int r = 1; r <= kBestTimeName; ++r)
        if (CRefPtr<CKMWindow> w = ui->Widget(kFormStatistics, r))
            w->SetVisible(0);
    for (int l = 0; l < 3; ++l)
        for (const CRefPtr<CKMWindow>& w : ui->List(kFormStatistics, l))
            w->SetVisible(0);
}

bool CGame::IsUnearnedBadge(int number) const
{
    // Rows 4 and 5 end in a "new" badge shown only for a new best.
    return (number == kNewScoreBadge && !newBestScore) || (number == kNewTimeBadge && !newBestTime);
}

void CGame::UpdateLevelStatistics(float dt)
{
    if (!ui || !board)
        return;
    stateTimer += dt;
    const float t = stateTimer;
    switch (phase)
    {
    case StatisticsPhase::RevealHeader:
        if (t >= 0.5f)
            RevealStatisticsRow(0, StatisticsPhase::PauseAfterHeader);
        return;
    case StatisticsPhase::PauseAfterHeader:
    case StatisticsPhase::PauseAfterScore:
    case StatisticsPhase::PauseAfterTimeBonus:
    case StatisticsPhase::PauseAfterTimeRow:
    case StatisticsPhase::PauseAfterBestScore:
    case StatisticsPhase::PauseAfterBestTime:
    case StatisticsPhase::PauseAfterLastRow:
        if (t >= 0.25f)
            NextPhase(phase + 1);
        return;
    case StatisticsPhase::RevealScore:
        return RevealStatisticsRow(1, StatisticsPhase::PauseAfterScore);
    case StatisticsPhase::StartTimeBonus:
        if (timeBonus < 1)
            return NextPhase(StatisticsPhase::RevealTimeRow);
        if (soundBank)
            soundBank->Play(soundBank->TickLoop, 0, 1);
        return NextPhase(StatisticsPhase::CountTimeBonus);
    case StatisticsPhase::CountTimeBonus:
        return CountTimeBonus(t);
    case StatisticsPhase::RevealTimeRow:
        return RevealStatisticsRow(2, StatisticsPhase::PauseAfterTimeRow);
    case StatisticsPhase::RevealBestScore:
        if (newBestScore)
            BurstNewBest(3);
        return RevealStatisticsRow(3, newBestScore ? StatisticsPhase::HoldNewBestScore
                                                   : StatisticsPhase::PauseAfterBestScore);
    case StatisticsPhase::HoldNewBestScore:
        if (t >= 1.0f)
            NextPhase(StatisticsPhase::RevealBestTime);
        return;
    case StatisticsPhase::RevealBestTime:
        if (newBestTime)
            BurstNewBest(4);
        return RevealStatisticsRow(4, newBestTime ? StatisticsPhase::HoldNewBestTime
                                                  : StatisticsPhase::PauseAfterBestTime);
    case StatisticsPhase::HoldNewBestTime:
        if (t >= 1.0f)
            NextPhase(StatisticsPhase::RevealLastRow);
        return;
    case StatisticsPhase::RevealLastRow:
        return RevealStatisticsRow(5, StatisticsPhase::PauseAfterLastRow);
    case StatisticsPhase::PauseBeforeColumns:
        if (t >= 0.3f)
            NextPhase(StatisticsPhase::RevealColumnsFirst);
        return;
    default:
        if (phase >= StatisticsPhase::RevealColumnsFirst && phase <= StatisticsPhase::RevealColumnsLast && t >= 0.15f)
            RevealStatisticsColumnLine();
        return;
    }
}

void CGame::RevealStatisticsRow(int row, int32_t next)
{
    for (int number : kRowWidgets[row])
        if (number >= 0 && !IsUnearnedBadge(number))
            if (CRefPtr<CKMWindow> w = ui->Widget(kFormStatistics, number))
                w->SetVisible(1);
    PopStatisticsRow(row);
    NextPhase(next);
}

void CGame::PopStatisticsRow(int row)
{
    // The best rows pop at their value, twice its height; the others across label and value.
    const CRefPtr<CKMWindow> label = ui->Widget(kFormStatistics, kRowWidgets[row][0]);
    const CRefPtr<CKMWindow> value =
        kRowWidgets[row][1] >= 0 ? ui->Widget(kFormStatistics, kRowWidgets[row][1]) : CRefPtr<CKMWindow>();
    const bool bestRow = kRowWidgets[row][2] >= 0;
    if (bestRow && value)
    {
        const Vec3& at = value->worldPosition;
        PopStatistics(at.x, at.y, at.z, value->baseSize.w, 2.0f * value->baseSize.h);
    }
    else if (label)
    {
        const Vec3& at = label->worldPosition;
        const float x = value ? 0.5f * (at.x + value->worldPosition.x) : at.x;
        PopStatistics(x, at.y, at.z, label->baseSize.w, 0.5f * label->baseSize.h);
    }
    else if (soundBank)
        soundBank->Play(soundBank->Tick, 0, 0);
}

void CGame::PopStatistics(float x, float y, float z, float width, float height)
{
    if (spriteBatches[0])
    {
        CRefPtr<CBatchSprite> pop(new CBatchSprite(x, y, z - 10.0f, effectTextures[kTexSpark], kPopColour));
        pop->SetScale(width, height);
        pop->flickerAmplitude = 0.0f;
        pop->fadeInTime = 0.1f;
        pop->holdEnd = 0.25f;
        pop->fadeOutTime = 0.3f;
        pop->alphaFactor = 0.5f;
        pop->StartZoom(2.0f, 1.0f);
        spriteBatches[0]->Add(pop);
    }
    if (soundBank)
        soundBank->Play(soundBank->Tick, 0, 0);
}

void CGame::BurstNewBest(int row)
{
    // A short burst of stars from the new best's value.
    const CRefPtr<CKMWindow> value = ui->Widget(kFormStatistics, kRowWidgets[row][1]);
    const CRefPtr<CParticleSystemsManager>& manager = trophyScreen.effects ? trophyScreen.effects : particles[1];
    if (value && manager)
    {
        CSpellsSpringParametres block(value->worldPosition, Vec3{0.0f, 0.0f, 0.0f}, 192.0f, 64.0f, 16.0f, 8.0f,
                                      kNewBestColour);
        block.fadeRate = 1.0f;
        block.fadeSpread = 0.25f;
        block.duration = 0.05f;
        block.rate = 400.0f;
        block.randomAngle = 1;
        block.randomSpinSign = 1;
        block.spin = 512.0f;
        block.spinSpread = 256.0f;
        CRefPtr<CParticleSystem> burst;
        manager->AddSpellsSystem(burst, block, kNewBestParticles, effectTextures[kTexStarParticle]);
        if (burst)
            burst->Update(0.05f);
    }
    if (soundBank)
        soundBank->Play(soundBank->Trophy, 0, 0);
}

void CGame::CountTimeBonus(float t)
{
    // The time bonus counts up into the level's and the quest's scores while the gauge drains.
    const float s = t / 2.5f;
    const int levelTotal = board->counters.third.GetInt(kCounterScore);
    const int questTotal = board->counters.second.GetInt(kCounterScore);
    const float allowance = levelParams.timeA > 0.0f ? levelParams.timeA : 1.0f;
    if (s < 1.0f)
    {
        SetNumber(ui->Widget(kFormStatistics, 2),
                  static_cast<int>(std::floor(levelScoreBefore + s * (levelTotal - levelScoreBefore))));
        SetNumber(ui->Widget(kFormStatistics, 4), static_cast<int>(std::floor(timeBonus * s)));
        ui->SetCounter(static_cast<int>(std::floor(questScoreBefore + s * (questTotal - questScoreBefore))), 0);
        ui->PoseTimeGauge((1.0f - s) * secondsLeft / allowance, 1);
        return;
    }
    SetNumber(ui->Widget(kFormStatistics, 2), levelTotal);
    SetNumber(ui->Widget(kFormStatistics, 4), timeBonus);
    if (soundBank)
        soundBank->Stop(soundBank->TickLoop);
    ui->PoseTimeGauge(0.0f, 1);
    ui->SetCounter(questTotal, 0);
    CheckExtraLife();
    NextPhase(StatisticsPhase::PauseAfterTimeBonus);
}

void CGame::RevealStatisticsColumnLine()
{
    // One line of the three columns per step; after the last the whole form is there.
    const int line = phase - StatisticsPhase::RevealColumnsFirst;
    for (int l = 0; l < 3; ++l)
    {
        const WidgetList& list = ui->List(kFormStatistics, l);
        if (line < static_cast<int>(list.size()))
            list[size_t(line)]->SetVisible(1);
    }
    const WidgetList& first = ui->List(kFormStatistics, 0);
    const CRefPtr<CKMWindow> frame = ui->Widget(kFormStatistics, kFrameWidget);
    const CRefPtr<CKMWindow> head = ui->Widget(kFormStatistics, kTableHead);
    if (line < static_cast<int>(first.size()) && frame && head)
    {
        const Vec3& at = first[size_t(line)]->worldPosition;
        PopStatistics(frame->worldPosition.x, at.y, at.z, frame->baseSize.w, 0.5f * head->baseSize.h);
    }
    NextPhase(phase + 1);
    if (phase <= StatisticsPhase::RevealColumnsLast)
        return;
    if (CRefPtr<CKMWindow> w = ui->Widget(kFormStatistics, 0))
        w->SetVisible(1);
    if (CheckTrophies())
        ShowTrophies(1);
}

void CGame::FinishLevelStatistics()
{
    if (!ui || !board)
        return;
    SetNumber(ui->Widget(kFormStatistics, 2), board->counters.third.GetInt(kCounterScore));
    SetNumber(ui->Widget(kFormStatistics, 4), timeBonus);
    if (soundBank)
        soundBank->Stop(soundBank->TickLoop);
    ui->PoseTimeGauge(0.0f, 1);
    ui->SetCounter(board->counters.second.GetInt(kCounterScore), 0);
    CheckExtraLife();
    // The new bests burst as their rows would have; the sound plays once.
    CRefPtr<CSoundBank> sounds = soundBank;
    soundBank.Reset();
    for (int row : {3, 4})
        if (row == 3 ? newBestScore : newBestTime)
        {
            PopStatisticsRow(row);
            BurstNewBest(row);
        }
    soundBank = sounds;
    if ((newBestScore || newBestTime) && soundBank)
        soundBank->Play(soundBank->Trophy, 0, 0);
    for (int r = 0; r <= kBestTimeName; ++r)
        if (CRefPtr<CKMWindow> w = ui->Widget(kFormStatistics, r))
            w->SetVisible(IsUnearnedBadge(r) ? 0 : 1);
    for (int l = 0; l < 3; ++l)
        for (const CRefPtr<CKMWindow>& w : ui->List(kFormStatistics, l))
            w->SetVisible(1);
    NextPhase(StatisticsPhase::Done);
    if (CheckTrophies())
        ShowTrophies(1);
}
