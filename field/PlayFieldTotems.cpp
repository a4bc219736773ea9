// The totems' effects on the board. The totems never touch the cells
// themselves: each frame their manager leaves a list of requests, and the
// board carries them out here, at once, before the terminators run: tokens
// blasted or struck, gems secured on tokens, tokens repainted, bonuses flown
// in, score and time granted, steel stopped. The green and white totems also
// get their random target cells from here.
#include "field/PlayField.h"

#include "audio/SoundBank.h"
#include "board/LevelParams.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusManager.h"
#include "engine/Random.h"
#include "hud/TokenSelector.h"

#include <algorithm>
#include <cmath>

namespace
{

const int32_t kTotemCounter = kTotemRecordRepeat;

constexpr int32_t kStrongCharge = 3;      // the green totem charged in full
constexpr int32_t kBlueStopsSteel = 3;    // the blue survey that also ends steel
constexpr int32_t kTotemSpecialColours = 99;   // steel and the other tokens that never match
constexpr float kCornerRadius = 0.75f;    // red blast on the corner of four cells
constexpr float kCellRadius = 1.1f;       // red blast on a cell: it and its side neighbours
constexpr float kRedKick = 1.25f;
constexpr float kRedKickPerStage = 0.5f;
constexpr float kBlueLightKick = 0.25f;
constexpr float kBlueHeavyKick = 0.75f;
constexpr float kVioletStartScale = 2.0f;
constexpr float kVioletStartAlpha = 1.0f;

void Play(const CRefPtr<CSoundBank>& bank, CRefPtr<CSound> CSoundBank::*slot)
{
    if (bank)
        bank->Play((*bank).*slot, 0, 0);
}

void PlayTotemPanned(const CRefPtr<CSoundBank>& bank, CRefPtr<CSound> CSoundBank::*slot, float x)
{
    if (bank)
        bank->PlayPanned((*bank).*slot, x, 0, 0);
}

float ScreenX(const CCap& cap)
{
    return cap.offset[0] + cap.position[0];
}

} // namespace

CRefPtr<CCap> CPlayField::LiveTokenAt(int32_t column, int32_t row) const
{
    const CRefPtr<CCap>* cell = CellAt(column, row);
    if (!cell || !*cell || !(*cell)->active)
        return CRefPtr<CCap>();
    return *cell;
}

std::vector<CRefPtr<CCap>> CPlayField::ChooseTargets(const std::vector<CRefPtr<CCap>>& candidates, int32_t k)
{
    const int32_t m = int32_t(candidates.size());
    if (k <= 0 || m == 0)
        return {};
    if (k >= m)
        return candidates;
    // k distinct indices, kept in ascending order, each drawn until new.
    std::vector<int32_t> drawn;
    while (int32_t(drawn.size()) < k)
    {
        const int32_t i = std::min(int32_t(std::floor(RandomUnit() * float(m))), m - 1);
        const auto at = std::lower_bound(drawn.begin(), drawn.end(), i);
        if (at != drawn.end() && *at == i)
            continue;
        drawn.insert(at, i);
    }
    std::vector<CRefPtr<CCap>> out;
    for (int32_t i : drawn)
        out.push_back(candidates[size_t(i)]);
    return out;
}

std::vector<CRefPtr<CCap>> CPlayField::CollectTokens(bool (*wanted)(const CCap&)) const
{
    // Board order: rows from the top, each row from the left.
    std::vector<CRefPtr<CCap>> out;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const CRefPtr<CCap>& cap = cells[size_t(r)][size_t(c)];
            if (cap && wanted(*cap))
                out.push_back(cap);
        }
    return out;
}

void CPlayField::PointsAndCells(const std::vector<CRefPtr<CCap>>& caps, std::vector<Vec3>& points,
                                std::vector<CCellPos>& where) const
{
    for (const CRefPtr<CCap>& cap : caps)
    {
        points.push_back(CellToScreen(cap->column, cap->row, true));
        where.push_back(CCellPos{cap->column, cap->row});
    }
}

void CPlayField::ApplyGreenFire(int32_t level, int32_t charge)
{
    const bool strong = charge == kStrongCharge;
    if (strong)
    {
        // The full charge also breaks every chain of a plain token; the
        // token stays where it is.
        for (const CRefPtr<CCap>& cap :
             CollectTokens([](const CCap& c) { return c.active && !c.marked && c.lockCount != 0; }))
        {
            CMatchGroup group;
            group.cells.push_back(CCellPos{cap->column, cap->row});
            CRefPtr<CTexture> texture;
            if (cap->look)
                texture = cap->look->texture;
            CRefPtr<CTerminator> t;
            CTerminator::Spawn(t, terminatorManager.Get(), CTerminator::kElectro, group, texture, 0);
            if (t)
            {
                t->AddToken(cap, CTerminator::kAddUnlockAll);
                t->Start();
            }
            cap->active = 0;
            cap->state = CCap::kParked;
            if (t)
                AddGroupStats(1, t->tokens, t->params.modes);
        }
    }

    // Every gem token bursts as the totem's ray reaches it.
    std::vector<Vec3> removed;
    std::vector<CRefPtr<CTerminator>> bursts;
    for (const CRefPtr<CCap>& cap :
         CollectTokens([](const CCap& c) { return c.colour < kTotemSpecialColours && c.active && c.marked; }))
    {
        removed.push_back(CellToScreen(cap->column, cap->row, true));
        HandOffBonus(cap);
        CMatchGroup group;
        group.cells.push_back(CCellPos{cap->column, cap->row});
        CRefPtr<CTexture> texture;
        if (cap->look)
            texture = cap->look->texture;
        CRefPtr<CTerminator> t;
        CTerminator::Spawn(t, terminatorManager.Get(), CTerminator::kElectro, group, texture, 0);
        if (t)
        {
            t->AddToken(cap, strong ? CTerminator::kAddBreak : CTerminator::kAddNormal);
            // The manager queues its sounds once its wait is over.
            t->soundsDone = 0;
            AddGroupStats(1, t->tokens, t->params.modes);
        }
        bursts.push_back(t);
        if (tokenSelector && tokenSelector->token == cap)
            tokenSelector->Clear();
        cap->active = 0;
        cap->state = CCap::kParked;
        if ((cap->lockCount == 0 || strong) && CellAt(cap->column, cap->row))
        {
            CRefPtr<CCap>& cell = cells[size_t(cap->row)][size_t(cap->column)];
            if (cell == cap)
                cell.Reset();
        }
    }

    // New gems for plain tokens, no more than the level still has to place.
    const std::vector<CRefPtr<CCap>> candidates = CollectTokens(
        [](const CCap& c) { return c.colour < kTotemSpecialColours && c.active && !c.marked && !c.held; });
    int32_t k = GetKindLimit(level, charge);
    k = std::min(k, int32_t(candidates.size()));
    k = std::min(k, gemsToPlace);
    std::vector<Vec3> targets;
    std::vector<CCellPos> where;
    if (k > 0)
        PointsAndCells(ChooseTargets(candidates, k), targets, where);
    std::vector<float> delays;
    totems.OnMatchGreen(removed, targets, where, delays);
    const size_t n = std::min(delays.size(), bursts.size());
    for (size_t i = 0; i < n; ++i)
        if (bursts[i])
            bursts[i]->elapsed = delays[i] > 0.0f ? -delays[i] : 0.0f;
}

void CPlayField::ApplyTotemEffects()
{
    int32_t blueCount = 0, whiteCount = 0;
    float blueX = 0.0f, whiteX = 0.0f;

    // A copy: nothing done here may change the totems' list under the walk.
    const std::vector<TotemCellRecord> records = totems.m_cellRecords;
    for (const TotemCellRecord& e : records)
    {
        float x = 0.0f;
        switch (e.kind)
        {
        case kTotemGreen:
            ApplyGreenTotem(e);
            break;
        case kTotemYellow:
            ApplyYellowTotem(e);
            break;
        case kTotemRed:
            ApplyRedTotem(e);
            break;
        case kTotemBlue:
            if (ApplyBlueTotem(e, x))
            {
                ++blueCount;
                blueX += x;
            }
            break;
        case kTotemOrange:
        {
            CPlayFieldEvent out;
            out.code = kEventBonusTime;
            out.seconds = GetKindTime(e.extra, e.value);
            events.push_back(out);
            break;
        }
        case kTotemWhite:
            if (ApplyWhiteTotem(e, x))
            {
                ++whiteCount;
                whiteX += x;
            }
            break;
        case kTotemViolet:
            ApplyVioletTotem(e);
            break;
        case kTotemCounter:
            counters.AddToBoth(1, kCounterMatchEvents);
            break;
        default:
            break;
        }
    }
    // One sound for all the tokens a frame's blue or white strikes hit, panned to their middle.
    if (blueCount > 0)
        PlayTotemPanned(soundBank, &CSoundBank::TotemBlue2, blueX / float(blueCount));
    if (whiteCount > 0)
        PlayTotemPanned(soundBank, &CSoundBank::TotemWhite2, whiteX / float(whiteCount));
}

// The green totem fires (value 0), or its flying gems land on the tokens it chose.
void CPlayField::ApplyGreenTotem(const TotemCellRecord& e)
{
    CGreenTotem* green = totems.GreenTotem();
    if (e.value == 0)
    {
        ApplyGreenFire(green ? green->m_level : 0, green ? green->m_charge : 0);
        return;
    }
    if (!green)
        return;
    bool made = false;
    for (const CRefPtr<CUnigem>& unigem : green->m_unigems)
    {
        if (!unigem)
            continue;
        const CRefPtr<CCap> cap = LiveTokenAt(unigem->column, unigem->row);
        if (!cap || cap->colour >= kTotemSpecialColours || cap->marked || cap->held || !bonusManager)
            continue;
        capList.SetMarked(cap, 1);
        CRefPtr<CBonus> gem;
        bonusManager->CreateGem(gem, cap->colour, 1);
        if (gem)
        {
            gem->Place(cap->position[0] + origin[0], cap->position[1] + origin[1], cap->position[2] + origin[2],
                       cap->radius, cap->column, cap->row);
            cap->SetHeld(gem);
        }
        unigem->Finish();
        --gemsToPlace;
        made = true;
    }
    green->m_unigems.clear();
    if (made)
        Play(soundBank, &CSoundBank::GemIn);
}

void CPlayField::ApplyYellowTotem(const TotemCellRecord& e)
{
    const int32_t score = GetPairScore(e.column, e.row);
    CPlayFieldEvent out;
    out.code = kEventScored;
    out.arg = score;
    events.push_back(out);
    counters.AddToBoth(score, kCounterScore);
    if (e.column >= 2)
    {
        Play(soundBank, &CSoundBank::TotemYellow2);
        SetFrenzy(true);
    }
}

// The red blast takes every live token within its radius of a cell, or of
// the corner of four cells (value 1).
void CPlayField::ApplyRedTotem(const TotemCellRecord& e)
{
    float centreColumn = float(e.column), centreRow = float(e.row);
    float radius = kCellRadius;
    if (e.value == 1)
    {
        centreColumn += 0.5f;
        centreRow += 0.5f;
        radius = kCornerRadius;
    }
    const int32_t baseColumn = int32_t(std::floor(centreColumn)), baseRow = int32_t(std::floor(centreRow));
    const int32_t r0 = std::max(baseRow - 1, 0), r1 = std::min(baseRow + 1, rows - 1);
    const int32_t c0 = std::max(baseColumn - 1, 0), c1 = std::min(baseColumn + 1, columns - 1);
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c)
        {
            const float dc = float(c) - centreColumn, dr = float(r) - centreRow;
            if (dc * dc + dr * dr > radius * radius)
                continue;
            if (const CRefPtr<CCap> cap = LiveTokenAt(c, r))
                RemoveSingleToken(cap, altSounds, CTerminator::kAddNormal, true);
        }
    shake.Kick(kRedKick + kRedKickPerStage * float(e.value - 1));
    PlayTotemPanned(soundBank, &CSoundBank::TotemRed2, CellToScreen(e.column, e.row, true).x);
}

// A blue strike on one cell (value 0), true with the struck token's x; or the
// blue survey of every steel token, which at its top stage also ends steel.
bool CPlayField::ApplyBlueTotem(const TotemCellRecord& e, float& struckX)
{
    if (e.value == 0)
    {
        const CRefPtr<CCap>* cell = CellAt(e.column, e.row);
        const CRefPtr<CCap> cap = cell ? *cell : CRefPtr<CCap>();
        if (cap && cap->active)
            RemoveSingleToken(cap, altSounds, CTerminator::kAddNormal, true);
        shake.Kick(e.factor > 0.0f ? kBlueLightKick : kBlueHeavyKick);
        if (!cap)
            return false;
        struckX = ScreenX(*cap);
        return true;
    }
    std::vector<Vec3> points;
    std::vector<CCellPos> where;
    PointsAndCells(CollectTokens([](const CCap& cap) { return cap.colour >= kTotemSpecialColours && cap.active; }), points,
                   where);
    totems.OnMatchBlue(points, where);
    if (e.value == kBlueStopsSteel)
    {
        steelChance = 0.0f;
        steelCount = 0;
        Play(soundBank, &CSoundBank::TotemBlue3);
    }
    return false;
}

// The white totem picks live tokens to repaint (value above 0), asks for a
// new search (below 0), or repaints one token (0): true with its x.
bool CPlayField::ApplyWhiteTotem(const TotemCellRecord& e, float& paintedX)
{
    if (e.value > 0)
    {
        const std::vector<CRefPtr<CCap>> live = CollectTokens([](const CCap& cap) { return cap.active != 0; });
        const int32_t k = std::min(e.value, int32_t(live.size()));
        std::vector<Vec3> points;
        std::vector<CCellPos> where;
        PointsAndCells(ChooseTargets(live, k), points, where);
        totems.OnMatchWhite(points, where);
        return false;
    }
    if (e.value < 0)
    {
        researchRequested = 1;
        return false;
    }
    const CRefPtr<CCap> cap = LiveTokenAt(e.column, e.row);
    if (!cap)
        return false;
    capList.SetColour(cap, e.extra);
    if (cap->marked && bonusManager)
    {
        // The gem changes colour with its token.
        if (cap->held)
            bonusManager->RemoveBonus(HeldBonus(cap->held));
        CRefPtr<CBonus> gem;
        bonusManager->CreateGem(gem, cap->colour, 1);
        if (gem)
            gem->Place(cap->drawnPosition[0] + origin[0], cap->drawnPosition[1] + origin[1],
                       cap->drawnPosition[2] + origin[2], cap->radius, cap->column, cap->row);
        cap->SetHeld(gem);
    }
    paintedX = ScreenX(*cap);
    return true;
}

// The violet totem's bonus flies in from the totem to its token.
void CPlayField::ApplyVioletTotem(const TotemCellRecord& e)
{
    if (!bonusManager)
        return;
    CRefPtr<CBonus> bonus;
    bonusManager->CreateBonus(bonus, e.bonusType, e.column, 1, 1);
    if (!bonus)
        return;
    bonus->reportPlacement = 1;
    bonus->position[0] = e.factor;
    bonus->position[1] = e.startY;
    bonus->position[2] = e.startZ;
    for (int i = 0; i < 3; ++i)
        bonus->target[i] = e.ctrl[i];
    bonus->SetZOrder(e.row);
    bonus->startScale = kVioletStartScale;
    bonus->startAlpha = kVioletStartAlpha;
    bonus->StartVanish(e.time);
}
