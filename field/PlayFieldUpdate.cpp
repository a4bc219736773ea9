// The board's frame: shake, token moves and arrivals, the swap check, the
// marker and fade panel, the sand glass, totems and terminators, scoring of the
// groups whose destruction finished, settling and refilling, bonuses, and every
// quarter second the test whether any move is left. The game learns of all of
// it only through the event queue.
#include "field/PlayField.h"

#include "audio/SoundBank.h"
#include "board/LevelParams.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusManager.h"
#include "effects/Sandbox.h"
#include "hud/GemsBuffer.h"
#include "hud/QuestLayout.h"
#include "hud/TokenSelector.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kNoMoveTestInterval = 0.25f;
constexpr float kFrenzyGroupKick = 1.5f;
// Pop-ups show a little in front of the board.
constexpr float kPopupLift = 10.0f;

} // namespace

void CPlayField::PlaceWithShake(float dt)
{
    const int ended = shake.Update(dt);
    if (ended != 1 && !shake.active)
        return;
    static const CQuestLayout defaults;
    const CQuestLayout& l = layout ? *layout : defaults;
    const Vec3 o = shake.active ? shake.Offset() : Vec3{0.0f, 0.0f, 0.0f};
    // The tokens move half as far as the panel under them.
    origin[0] = baseOrigin[0] + 0.5f * o.x;
    origin[1] = baseOrigin[1] + 0.5f * o.y;
    origin[2] = baseOrigin[2] + 0.5f * o.z;
    if (cellWidth * 0.5f != std::floor(cellWidth * 0.5f))
        origin[0] += 0.5f;
    if (cellHeight * 0.5f != std::floor(cellHeight * 0.5f))
        origin[1] += 0.5f;
    const float panel[3] = {baseOrigin[0] + o.x, baseOrigin[1] + o.y, baseOrigin[2] + o.z};
    if (fader)
        for (int i = 0; i < 3; ++i)
            fader->position[i] = panel[i];
    if (sandbox)
        sandbox->SetArea(l.sandboxX + o.x, l.sandboxY + o.y, l.sandboxZ, l.sandboxWidth, l.sandboxHeight);
    if (gemsBuffer)
        gemsBuffer->Layout(panel[0], panel[1], panel[2]);
    capList.SetOriginByTag(origin[0], origin[1], origin[2], 1);
}

void CPlayField::HandleArrivals(float dt, float mouseX, float mouseY)
{
    if (capList.Update(dt, mouseX, mouseY) == 0)
        return;
    const std::vector<std::pair<CRefPtr<CCap>, int32_t>> arrivals = capList.events;
    for (const auto& entry : arrivals)
    {
        const CRefPtr<CCap>& cap = entry.first;
        if (entry.second == CCap::kEventArrived)
        {
            cap->state = CCap::kResting;
            if (cap->placement != CCap::kPlaced)
                continue;
            if (cap->arrival == CCap::kArrivalActivate)
                cap->active = 1;
            else if (cap->arrival == CCap::kArrivalLeave)
            {
                // Sent away: it leaves the board with whatever it carried.
                if (cap->held && bonusManager)
                    bonusManager->RemoveBonus(HeldBonus(cap->held));
                capList.Remove(cap, true);
            }
        }
        else if (entry.second == CCap::kEventLeft)
            FinishTokenMove(cap);
    }
}

void CPlayField::RunSandGlass(float dt)
{
    if (playKind != 0 || !sandbox || !sandbox->heap)
        return;
    CSandHeap& heap = *sandbox->heap;
    heap.Update(dt);
    const bool playing = inputLocked == 0 && inputOpen && selectionCancelled == 0;
    switch (heap.status)
    {
    case 1:
        if (heap.mode == 1)
            SetFrenzy(false);
        break;
    case 2:
        if (mode == kModeNormal && playing)
            SetFrenzy(true);
        else if (mode == kModeMemory)
            PushEvent(kEventSandGlassFull);
        break;
    case 3:
        if (playing)
            PushEvent(kEventSandGlassEnd);
        break;
    default:
        break;
    }
}

void CPlayField::ScoreFinishedGroups()
{
    std::vector<CRefPtr<CTerminator>>& finished = terminatorManager->finished;
    if (finished.empty())
        return;
    std::vector<CRefPtr<CBonus>> scoreBonuses;
    scoreBonuses.reserve(40);
    int32_t best = 0;
    const bool frenzy = sandbox && sandbox->heap && sandbox->heap->mode == 1;

    // Bonuses whose tokens broke fire once every group of the frame has scored.
    std::vector<CRefPtr<CBonus>> toFire;
    toFire.reserve(40);
    for (size_t index = 0; index < finished.size(); ++index)
    {
        const CRefPtr<CTerminator> g = finished[index];
        scoreBonuses.clear();
        if (sandFlightEnabled && rules)
            SpawnSandFlight(int32_t(index),
                            rules->GetMatchEffectStrength(int(g->params.group.cells.size()), 1,
                                                          int(g->params.heldBonuses.size()), 0));
        for (size_t k = 0; k < g->tokens.size(); ++k)
        {
            const CRefPtr<CCap>& token = g->tokens[k];
            if (!token || !token->held || k >= g->flags.size() || !g->flags[k])
                continue;
            toFire.push_back(HeldBonus(token->held));
            if (HeldBonus(token->held)->kind == kBonusScore)
                scoreBonuses.push_back(HeldBonus(token->held));
        }

        const int32_t m = int32_t(g->tokens.size());
        if (rules && rules->IsChainStep(m))
        {
            ++cascadeCounter;
            if (cascadeCounter >= 2 && cascadeCounter > best)
                best = cascadeCounter;
        }
        int32_t step = 0;
        int32_t score = rules ? rules->GetMatchScore(m, cascadeCounter, int(g->params.heldBonuses.size()), step) : 0;
        if (frenzy)
        {
            if (m > 2)
                shake.Kick(kFrenzyGroupKick);
            score *= 2;
        }
        counters.AddToBoth(cascadeCounter, kCounterBestCombo);
        counters.AddToBoth(m, kCounterBiggestGroup);

        const std::vector<CCellPos>& groupCells = g->params.group.cells;
        const Vec3 at = groupCells.empty() ? Vec3{origin[0], origin[1], 0.0f} : CellsCentre(groupCells, true);
        const float z = origin[2] - kPopupLift;
        int32_t multiplier = 0;
        std::vector<Vec3> sources;
        std::vector<int> levels;
        for (const CRefPtr<CBonus>& b : scoreBonuses)
        {
            multiplier += GetItemValue(b->level);
            sources.push_back(Vec3{b->position[0], b->position[1], b->position[2]});
            levels.push_back(b->level);
        }
        CRefPtr<CPopupMessage> popup;
        if (multiplier > 0)
        {
            const int32_t plain = score;
            score *= multiplier;
            popups.AddMultiplier(popup, plain, score, step, at.x, at.y, z, sources, levels);
        }
        popups.AddScore(popup, score, step, at.x, at.y, z);
        counters.AddToBoth(score, kCounterScore);
    }
    finished.clear();

    if (best >= 2 && soundBank)
        soundBank->PlayComboSound(best);
    if (bonusManager && !toFire.empty())
    {
        // In the manager's order; a copy, as firing may change the list.
        const std::vector<CRefPtr<CBonus>> all = bonusManager->bonuses;
        for (const CRefPtr<CBonus>& b : all)
            if (b && std::find(toFire.begin(), toFire.end(), b) != toFire.end())
                ActivateBonus(b);
    }
    PushEvent(kEventScored);
}

bool CPlayField::HasFallingToken() const
{
    for (const CRefPtr<CCap>& cap : capList.caps)
        if (cap->placement == CCap::kPlaced && !cap->active)
            return true;
    return false;
}

void CPlayField::SettleAndRefill()
{
    if (!inputOpen || playKind != 0)
        return;
    if (terminatorManager && !terminatorManager->IsEmpty())
        return;
    if (!totems.IsIdle() || (bonusManager && !bonusManager->IsIdle()) || HasFallingToken())
        return;
    bool empty = false;
    for (int32_t r = 0; r < rows && !empty; ++r)
        for (int32_t c = 0; c < columns; ++c)
            if (!cells[size_t(r)][size_t(c)])
            {
                empty = true;
                break;
            }
    if (!empty)
    {
        if (SearchMatches() != 0)
            return;
        if (IsGemGoalReached())
            DropAllTokens();
        else
        {
            int32_t page = 0;
            if (const int32_t tip = PickTip(page))
                PostEvent13(tip, page);
        }
        return;
    }
    if (fillPending != kFillRandom)
    {
        Refill(1, 1);
        fillPending = kFillRandom;
        fillCounter = 0;
    }
    else if ((tutorialStep == kTipBase && tutorialDetail == 2) ||
             (tutorialStep == kTipBonus && tutorialDetail == 2) || (tutorialStep == kTipTotem && tutorialDetail == 4))
        Refill(1, 1);
    else if (IsGemGoalReached())
        DropAllTokens();
    else
        Refill(0, 0);
}

void CPlayField::TestForMoves(float dt)
{
    if (playKind < 0 || playKind > 2 || inputLocked || !inputOpen || selectionCancelled)
        return;
    noMoveTimer += dt;
    if (noMoveTimer < kNoMoveTestInterval)
        return;
    noMoveTimer = 0.0f;
    if (!IsIdle(true))
        return;
    RebuildValueGrid();
    if (!matchGrid.HasLine(3, false) && !matchGrid.HasMove(3, false))
        PushEvent(kEventNoMoves);
}

void CPlayField::Update(float dt, float mouseX, float mouseY)
{
    PlaceWithShake(dt);
    HandleArrivals(dt, mouseX, mouseY);
    CheckSwap();
    if (tokenSelector)
        tokenSelector->Update(dt);
    if (fader)
        fader->Update(dt);
    RunSandGlass(dt);
    if (sandbox)
        sandbox->Update(dt);
    if (gemsBuffer)
        gemsBuffer->Update(dt);
    if (totems.Update(dt) != 0)
        ApplyTotemEffects();
    if (terminatorManager)
    {
        terminatorManager->Update(dt);
        ScoreFinishedGroups();
    }
    SettleAndRefill();
    if (bonusManager)
    {
        bonusManager->UpdateAll(dt);
        HandleBonusEvents();
    }
    if (inputOpen && adviser.Update(dt) < 0)
        ShowMoveHints();
    UpdateChallenge(dt);
    if (capsManager)
    {
        capsManager->lightX = mouseX;
        capsManager->lightY = mouseY;
    }
    TestForMoves(dt);
    if (terminatorManager)
        terminatorManager->PlaySound();
}
