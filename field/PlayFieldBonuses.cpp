// The board's side of the bonuses: what happens on the board when a destroyed
// token's bonus goes off (gems sent to the gem bar, the board shaken, the
// solidarity bonus taking every token of its colour), and the events the
// bonuses report while their effects run (gems arriving on the bar, cells hit
// by explosions, bonuses looking for a new token, time and advice paid out).
#include "field/PlayField.h"

#include "audio/SoundBank.h"
#include "board/LevelParams.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"
#include "bonuses/BonusSolidarity.h"
#include "engine/Random.h"
#include "hud/GemsBuffer.h"
#include "hud/TokenSelector.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kBlastKick = 2.0f;
constexpr float kBlastKickPerLevel = 0.25f;
constexpr float kSolidarityBlockKick = 2.25f;
constexpr float kRedirectKick = 0.75f;
constexpr float kNewHostDropTime = 0.5f;
constexpr float kSentOffTime = 0.5f;
constexpr int32_t kSpecialColours = 99;  // steel and the other tokens that never match

void PlayPanned(const CRefPtr<CSoundBank>& bank, CRefPtr<CSound> CSoundBank::*slot, float x)
{
    if (bank)
        bank->PlayPanned((*bank).*slot, x, 0, 0);
}

// The solidarity bonus plans its bolt through the targets and says how long
// each target waits for it; a bonus of another make leaves them no wait.
void PlanSolidarityBolts(CBonus& bonus, const std::vector<Vec3>& targets, std::vector<float>& waits)
{
    if (CBonusSolidarity* solidarity = dynamic_cast<CBonusSolidarity*>(&bonus))
        solidarity->PlanBolts(targets, waits);
}

} // namespace

CRefPtr<CTerminator> CPlayField::RemoveSingleToken(const CRefPtr<CCap>& cap, int32_t sounds, int32_t addMode,
                                                   bool start)
{
    // The cell the token is in decides which cell empties.
    const CRefPtr<CCap>* at = CellAt(cap->column, cap->row);
    if (!at || *at != cap)
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < columns; ++c)
                if (cells[size_t(r)][size_t(c)] == cap)
                {
                    cap->column = c;
                    cap->row = r;
                }
    CMatchGroup group;
    group.cells.push_back(CCellPos{cap->column, cap->row});
    HandOffBonus(cap);
    CRefPtr<CTexture> texture;
    if (cap->look)
        texture = cap->look->texture;
    CRefPtr<CTerminator> terminator;
    CTerminator::Spawn(terminator, terminatorManager.Get(), CTerminator::kElectro, group, texture, sounds);
    if (terminator)
    {
        terminator->AddToken(cap, addMode);
        if (start)
            terminator->Start();
        AddGroupStats(1, terminator->tokens, terminator->params.modes);
    }
    else
    {
        // No terminator to break it: the token still counts and leaves.
        AddGroupStats(1, std::vector<CRefPtr<CCap>>{cap}, std::vector<int32_t>{addMode});
    }
    if (tokenSelector && tokenSelector->token == cap)
        tokenSelector->Clear();
    cap->active = 0;
    cap->state = CCap::kParked;
    // A locked token stays in its cell: its terminator only takes a lock off.
    if (cap->lockCount == 0 && CellAt(cap->column, cap->row))
    {
        CRefPtr<CCap>& cell = cells[size_t(cap->row)][size_t(cap->column)];
        if (cell == cap)
            cell.Reset();
    }
    return terminator;
}

void CPlayField::ActivateBonus(CRefPtr<CBonus> bonus)
{
    if (!bonus)
        return;
    const float x = bonus->position[0];
    switch (bonus->kind)
    {
    case kBonusGem:
        SendGemToBar(*bonus);
        PlayPanned(soundBank, &CSoundBank::GemOut, x);
        timeSinceGem = 0.0f;
        break;
    case kBonusTNT:
        shake.Kick(kBlastKick + kBlastKickPerLevel * float(bonus->level));
        PlayPanned(soundBank, &CSoundBank::TNT, x);
        break;
    case kBonusFlash:
        shake.Kick(kBlastKick + kBlastKickPerLevel * float(bonus->level));
        PlayPanned(soundBank, &CSoundBank::Flash, x);
        break;
    case kBonusTime:
        PlayPanned(soundBank, &CSoundBank::Clock, x);
        break;
    case kBonusAdviser:
        PlayPanned(soundBank, &CSoundBank::AdviserGet, x);
        break;
    case kBonusScore:
        PlayPanned(soundBank, &CSoundBank::Multiplier, x);
        break;
    case kBonusSolidarity:
        StrikeSolidarity(*bonus);
        PlayPanned(soundBank, &CSoundBank::Solidarity, x);
        break;
    default:
        break;
    }
    bonus->Activate();
    counters.AddToBoth(1, kCounterBonuses);
}

// A gem flies to the next free cell of the gem bar, behind those already flying.
void CPlayField::SendGemToBar(CBonus& bonus)
{
    int32_t flying = 0;
    if (bonusManager)
        for (const CRefPtr<CBonus>& b : bonusManager->bonuses)
            if (b && b->kind == kBonusGem && b->state == kBonusEffect)
                ++flying;
    CBonusGem* gem = dynamic_cast<CBonusGem*>(&bonus);
    if (!gem || !gemsBuffer)
        return;
    Vec3 target{0.0f, 0.0f, 0.0f};
    gemsBuffer->GetCellAnchor(target, gem->gemKind, flying + 1);
    gem->destination[0] = target.x;
    gem->destination[1] = target.y;
    gem->destination[2] = target.z;
}

// The solidarity bonus strikes every live token of its colour (from level 2
// also steel and specials), sparing a third at level 0; at level 3 the 3 x 3
// block around it goes first.
void CPlayField::StrikeSolidarity(CBonus& bonus)
{
    const int32_t level = bonus.level;
    if (level >= 3)
        RemoveBlockAround(bonus.column, bonus.row);

    std::vector<CRefPtr<CCap>> targets;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const CRefPtr<CCap>& cap = cells[size_t(r)][size_t(c)];
            if (!cap || !cap->active)
                continue;
            if (cap->colour == bonus.colour || (level >= 2 && cap->colour >= kSpecialColours))
                targets.push_back(cap);
        }
    if (level < 1)
    {
        const size_t spared = targets.size() / 3;
        for (size_t i = 0; i < spared; ++i)
        {
            size_t k = size_t(std::max(0.0f, std::floor(RandomUnit() * float(targets.size()))));
            k = std::min(k, targets.size() - 1);
            targets.erase(targets.begin() + std::ptrdiff_t(k));
        }
    }

    std::vector<Vec3> points;
    points.reserve(targets.size());
    for (const CRefPtr<CCap>& cap : targets)
        points.push_back(CellToScreen(cap->column, cap->row, true));
    std::vector<float> waits;
    PlanSolidarityBolts(bonus, points, waits);
    for (size_t i = 0; i < targets.size(); ++i)
    {
        // Every chosen token goes; one the bolt planner gave no time waits for nothing.
        const float wait = i < waits.size() ? std::max(waits[i], 0.0f) : 0.0f;
        CRefPtr<CTerminator> t = RemoveSingleToken(targets[i], altSounds, CTerminator::kAddNormal, false);
        if (t)
            t->elapsed = -wait;
    }
    if (level >= 3)
        shake.Kick(kSolidarityBlockKick);
}

// The live tokens of the 3 x 3 block around a cell, clamped to the board.
void CPlayField::RemoveBlockAround(int32_t column, int32_t row)
{
    const int32_t r0 = std::max(row - 1, 0), r1 = std::min(row + 1, rows - 1);
    const int32_t c0 = std::max(column - 1, 0), c1 = std::min(column + 1, columns - 1);
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c)
        {
            const CRefPtr<CCap>* cell = CellAt(c, r);
            if (!cell || !*cell || !(*cell)->active)
                continue;
            const CRefPtr<CCap> cap = *cell;
            RemoveSingleToken(cap, altSounds, CTerminator::kAddNormal, true);
        }
}

void CPlayField::HandleBonusEvents()
{
    if (!bonusManager)
        return;
    // A copy: what the events set off must not change the list being walked.
    const BonusEventVector list = bonusManager->events;
    for (size_t i = 0; i < list.size(); ++i)
    {
        const BonusEvent e = list.At(i);
        switch (e.kind)
        {
        case kBonusEventGemArrived:
        {
            if (!e.object)
                break;
            int32_t colour = e.object->colour;
            if (const CBonusGem* gem = dynamic_cast<const CBonusGem*>(e.object.Get()))
                colour = gem->gemKind;
            if (gemsBuffer)
                gemsBuffer->AddGem(colour);
            e.object->state = kBonusDone;
            --gemsToCollect;
            PlayPanned(soundBank, &CSoundBank::GemBar, e.object->position[0]);
            break;
        }
        case kBonusEventCellHit:
        {
            // A blast may reach past the board's edge: such cells are skipped.
            const CRefPtr<CCap>* cell = CellAt(e.value2, e.value3);
            if (!cell || !*cell || !(*cell)->active)
                break;
            const CRefPtr<CCap> cap = *cell;
            RemoveSingleToken(cap, altSounds, CTerminator::kAddNormal, true);
            break;
        }
        case kBonusEventNeedsHost:
        {
            if (!e.object)
                break;
            CRefPtr<CCap> host;
            capList.PickRandomPlainCap(host);
            if (!host)
            {
                e.object->StartMove(kSentOffTime);
                break;
            }
            host->SetHeld(e.object);
            HeldBonus(host->held)->SetActive(1);
            HeldBonus(host->held)->Drop(host->position[0] + origin[0], host->position[1] + origin[1],
                             host->position[2] + origin[2], host->radius, host->column, host->row, 1,
                             kNewHostDropTime);
            break;
        }
        case kBonusEventTimeArrived:
            if (selectionCancelled == 0)
            {
                CPlayFieldEvent out;
                out.code = kEventBonusTime;
                out.seconds = GetScoreStep(e.value1);
                events.push_back(out);
            }
            break;
        case kBonusEventAdviserArrived:
            if (selectionCancelled == 0)
            {
                adviser.AddTime(1, GetAdviserTime(e.value1));
                ShowMoveHints();
                PlayPanned(soundBank, &CSoundBank::AdviserAct, adviser.HintX());
            }
            break;
        case kBonusEventSolidarityRedirect:
            PlayPanned(soundBank, &CSoundBank::SolidarityRedir, e.amount);
            shake.Kick(kRedirectKick);
            break;
        case kBonusEventPlaced:
            PlayPanned(soundBank, &CSoundBank::BonusDrop, e.amount);
            break;
        default:
            break;
        }
    }
}
