#include "engine/MathConstants.h"
#include "field/PlayField.h"

#include "board/Level.h"
#include "board/LevelParams.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusManager.h"
#include "effects/Sandbox.h"
#include "engine/DataFolders.h"
#include "engine/Random.h"
#include "hud/GemsBuffer.h"
#include "hud/QuestLayout.h"
#include "hud/TokenSelector.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kFrenzyKick = 8.0f;

} // namespace

// ---------------------------------------------------------------------------------
// CBoardShake
// ---------------------------------------------------------------------------------

CBoardShake::CBoardShake() : angle(RandomUnit() * kTwoPi) {}

void CBoardShake::Kick(float amount)
{
    active = 1;
    amplitude = std::min(amplitude + amount, maxAmplitude);
}

int CBoardShake::Update(float dt)
{
    if (stopRequested)
    {
        stopRequested = 0;
        amplitude = 0.0f;
        active = 0;
        return 1;
    }
    if (!active)
        return 0;
    phase += frequency * dt;
    if (phase >= 1.0f)
    {
        phase -= std::floor(phase);
        // Jump to roughly the opposite side, within 67.5 degrees either way.
        angle += kPi + (RandomUnit() - 0.5f) * 3.0f * kPi / 4.0f;
        if (angle >= kTwoPi)
            angle -= kTwoPi;
        if (angle < 0.0f)
            angle += kTwoPi;
    }
    amplitude -= decay * dt;
    if (amplitude <= 0.0f)
    {
        amplitude = 0.0f;
        active = 0;
        return 1;
    }
    return 0;
}

Vec3 CBoardShake::Offset() const
{
    if (!active)
        return Vec3{0.0f, 0.0f, 0.0f};
    return Vec3{std::cos(angle) * amplitude, std::sin(angle) * amplitude, 0.0f};
}

// ---------------------------------------------------------------------------------
// Construction and resets
// ---------------------------------------------------------------------------------

CPlayField::CPlayField(CRefPtr<CCapsManager> caps, const CQuestLayout* questLayout, const CDataFolders* dataFolders,
                       CLevelParams* levelParams, const float* fillRate)
{
    capsManager = caps;
    layout = questLayout;
    folders = dataFolders;
    sandFillRate = fillRate;
    rules = levelParams;
    capList.capsManager = caps;
    inputOpen = 1;
    inputLocked = 0;
    selectionCancelled = 0;
    columns = rows = 0;
    fader = CRefPtr<CFader>(new CFader());
    sandbox = CRefPtr<CSandbox>(new CSandbox());
    Reset(0);
    SetupLevelRules(1);
    pendingSwaps.reserve(16);
    swapBacks.reserve(16);
    noMoveTimer = timeSinceMatch = timeSinceGem = 0.0f;
    fillPending = kFillLevel;
    gemsToPlace = gemsToCollect = 5;
    gemRequest = 0;
    gemRequestTarget = 8;
    sandFlightEnabled = pourIntoSandGlass = 0;
    researchRequested = 0;
    tutorialMode = 1;
    tutorialStep = 0;
    gameWordA = hardMode = gameWordB = gameWordC = gameWordD = 0;
    events.reserve(64);
}

CPlayField::~CPlayField()
{
    playerSettings.Reset();
    reactionChallenge.Reset();
    attentionChallenge.Reset();
    accuracyChallenge.Reset();
    memoryChallenge.Reset();
    savedCells.clear();
    level.Reset();
    events.clear();
    swapBacks.clear();
    pendingSwaps.clear();
    tokenSelector.Reset();
    effectTexture2.Reset();
    effectTexture1.Reset();
    effectTexture0.Reset();
    soundBank.Reset();
    effectsB.Reset();
    effectsA.Reset();
    bonusManager.Reset();
    terminatorManager.Reset();
    gemsBuffer.Reset();
    sandbox.Reset();
    fader.Reset();
    // The looks go with their tokens; the caps manager may outlive the board.
    capList.Clear();
    capsManager.Reset();
    cells.clear();
}

void CPlayField::Reset(int32_t kind)
{
    fillPending = kFillLevel;
    fillCounter = 0;
    ClearItems();
    gameWord = 0;
    playKind = kind;
    mode = kModeNormal;

    if (kind >= 0 && kind <= 2)
    {
        const CQuestLayout defaults;
        const CQuestLayout& l = layout ? *layout : defaults;
        baseOrigin[0] = origin[0] = l.boardX;
        baseOrigin[1] = origin[1] = l.boardY;
        baseOrigin[2] = origin[2] = l.boardZ;
        columns = rows = 8;
        cellWidth = l.cellWidth;
        cellHeight = l.cellHeight;
        tokenRadius = l.radius;

        fader->Build(l.frameRects, l.frameUVs, l.frameTextures, l.frameColours, l.frameMethods);
        fader->position[0] = origin[0];
        fader->position[1] = origin[1];
        fader->position[2] = origin[2];
        fader->scale[0] = fader->scale[1] = 1.0f;
        fader->Start(0, 0.0f);

        // Half a cell off the pixel grid would blur every token: snap the origin.
        const float halfWidth = cellWidth * 0.5f, halfHeight = cellHeight * 0.5f;
        if (halfWidth != std::floor(halfWidth))
            origin[0] += 0.5f;
        if (halfHeight != std::floor(halfHeight))
            origin[1] += 0.5f;

        if (kind == 0)
        {
            CRefPtr<CSandHeap> heap(new CSandHeap());
            heap->SetSegmentCount(l.sandboxSegments);
            sandbox->SetHeap(heap);
            const float rate = sandFillRate ? *sandFillRate : 0.0f;
            heap->drainRate = rate;
            heap->drainOn = rate > 0.0f ? 1 : 0;
            sandbox->SetArea(l.sandboxX, l.sandboxY, l.sandboxZ, l.sandboxWidth, l.sandboxHeight);
            sandbox->SetState(0, 0.0f);
            sandFlightEnabled = pourIntoSandGlass = 1;
            gameWordA = hardMode = 0;
        }
        totems.SetTotemBoardGeometry(origin[0], origin[1], origin[2], columns, rows, cellWidth, cellHeight);
    }

    cells.assign(size_t(std::max(rows, 0)), std::vector<CRefPtr<CCap>>(size_t(std::max(columns, 0))));
    matchGrid.Resize(columns, rows);

    timeSinceMatch = 0.0f;
    tutorialStep = 0;
    wrongMove = 0;
    wrongMoveCount = 0;
    timeSinceGem = 0.0f;
    gemRequest = 0;
}

void CPlayField::ClearItems()
{
    pendingSwaps.clear();
    swapBacks.clear();
    if (terminatorManager)
        terminatorManager->Clear();
    for (auto& row : cells)
        for (auto& cell : row)
            cell.Reset();
    // A token picked for a swap goes with the others, and its ring with it.
    if (tokenSelector)
        tokenSelector->Clear();
    capList.Clear();
    if (bonusManager)
        bonusManager->ClearBonuses();
    shake.Stop();
    researchRequested = 0;
    events.clear();
    cascadeCounter = 0;
    memoryChallenge.Reset();
    accuracyChallenge.Reset();
    attentionChallenge.Reset();
    reactionChallenge.Reset();
}

// ---------------------------------------------------------------------------------
// Level rules
// ---------------------------------------------------------------------------------

void CPlayField::SetupLevelRules(int32_t levelNumber)
{
    CLevelRules r;
    GetDefaultLevelRules(levelNumber, hardMode != 0, r);
    capsSet = r.capsSet;
    steelChance = r.steelChance;
    steelCount = r.steelCount;
    lockChance = r.lockChance;
    lockCount = r.lockCount;
}

int CPlayField::LoadLevel(const std::string& fileName)
{
    level = CRefPtr<CLevel>(new CLevel());
    const std::string path = folders ? folders->levels + fileName : fileName;
    const int result = level->Load(path.c_str());
    if (!result || level->isDefault)
        return result;
    CLevelRules r{capsSet, steelChance, steelCount, lockChance, lockCount};
    ApplyLevelFileRules(*level, hardMode != 0, r);
    capsSet = r.capsSet;
    steelChance = r.steelChance;
    steelCount = r.steelCount;
    lockChance = r.lockChance;
    lockCount = r.lockCount;
    if (level->gemsCount >= 0)
        gemsToPlace = gemsToCollect = level->gemsCount;
    return result;
}

// ---------------------------------------------------------------------------------
// The event queue
// ---------------------------------------------------------------------------------

void CPlayField::PushEvent(int32_t code)
{
    CPlayFieldEvent e;
    e.code = code;
    events.push_back(e);
}

int CPlayField::DeferEvents()
{
    if (events.empty())
        return 0;
    const size_t n = events.size();
    // Level won, no moves and the sand glass's end go last, in this order.
    for (int32_t code : {kEventLevelWon, kEventNoMoves, kEventSandGlassEnd})
    {
        size_t limit = n;
        for (size_t i = 0; i < limit;)
        {
            if (events[i].code == code)
            {
                const CPlayFieldEvent moved = events[i];
                events.push_back(moved);
                events.erase(events.begin() + std::ptrdiff_t(i));
                --limit;
            }
            else
                ++i;
        }
    }
    return int(events.size());
}

void CPlayField::PostEvent13(int32_t tip, int32_t page)
{
    CPlayFieldEvent e;
    e.code = kEventTip;
    e.arg = page;
    e.tip = tip;
    events.push_back(e);
    if (sandbox && sandbox->heap)
        sandbox->heap->drainOn = 0;
    tutorialStep = tip;
    tutorialDetail = page;
    tutorialTimer = 0.0f;
}

void CPlayField::SetFrenzy(bool on)
{
    if (!on)
    {
        if (sandbox)
            sandbox->SetFlowing(false, 0.0);
        return;
    }
    if (sandbox)
        sandbox->SetFlowing(true, sandbox->heap ? sandbox->heap->refill : 0.0);
    PushEvent(kEventFrenzy);
    shake.Kick(kFrenzyKick);
    counters.third.AddInt(1, kCounterOperations);
    counters.second.AddInt(1, kCounterOperations);
}

// ---------------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------------

Vec3 CPlayField::CellToScreen(int32_t column, int32_t row, bool addOrigin) const
{
    Vec3 p{(float(column) + 0.5f) * cellWidth, -(float(row) + 0.5f) * cellHeight, 0.0f};
    if (addOrigin)
    {
        p.x += origin[0];
        p.y += origin[1];
    }
    return p;
}

CCellPos CPlayField::ScreenToCell(float x, float y) const
{
    CCellPos cell;
    cell.column = int32_t(std::floor((x - origin[0]) / cellWidth));
    cell.row = int32_t(std::floor((origin[1] - y) / cellHeight));
    return cell;
}

Vec3 CPlayField::CellsCentre(const std::vector<CCellPos>& list, bool addOrigin) const
{
    Vec3 sum{0.0f, 0.0f, 0.0f};
    for (const CCellPos& c : list)
    {
        const Vec3 p = CellToScreen(c.column, c.row, false);
        sum.x += p.x;
        sum.y += p.y;
    }
    if (!list.empty())
    {
        sum.x /= float(list.size());
        sum.y /= float(list.size());
    }
    if (addOrigin)
    {
        sum.x += origin[0];
        sum.y += origin[1];
    }
    return sum;
}

// ---------------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------------

int32_t CPlayField::PickNewColour() const
{
    const float r = RandomUnit();
    if (steelChance > r)
        return CCap::kSteel;
    if (capsSet.empty())
        return 0;
    size_t index = size_t(std::floor(RandomUnit() * float(capsSet.size())));
    if (index >= capsSet.size())
        index = capsSet.size() - 1;
    return capsSet[index];
}

int32_t CPlayField::PickNewColourWithinLimit(int32_t steelSoFar) const
{
    if (steelSoFar < steelCount)
        return PickNewColour();
    // The steel limit is reached: a steel draw would only be thrown away, and
    // with a steel chance of 1 nothing else would ever come.
    if (capsSet.empty())
        return 0;
    size_t index = size_t(std::floor(RandomUnit() * float(capsSet.size())));
    if (index >= capsSet.size())
        index = capsSet.size() - 1;
    return capsSet[index];
}

// ---------------------------------------------------------------------------------
// Gates
// ---------------------------------------------------------------------------------

const CRefPtr<CCap>* CPlayField::CellAt(int32_t column, int32_t row) const
{
    if (row < 0 || column < 0 || size_t(row) >= cells.size() || size_t(column) >= cells[size_t(row)].size())
        return nullptr;
    return &cells[size_t(row)][size_t(column)];
}

bool CPlayField::IsSwappable(int32_t column, int32_t row) const
{
    const CRefPtr<CCap>* cell = CellAt(column, row);
    if (!cell || !*cell)
        return false;
    const CCap& cap = **cell;
    return cap.active && cap.state == CCap::kResting && cap.lockCount == 0;
}

bool CPlayField::IsIdle(bool checkCells) const
{
    if (bonusManager && !bonusManager->AllPlaced())
        return false;
    if (!totems.IsIdle() || !capList.IsIdle())
        return false;
    if (terminatorManager && !terminatorManager->IsEmpty())
        return false;
    if (!pendingSwaps.empty() || !swapBacks.empty())
        return false;
    if (checkCells)
        for (const auto& row : cells)
            for (const auto& cell : row)
                if (!cell)
                    return false;
    return true;
}

bool CPlayField::IsGemGoalReached() const
{
    return tutorialStep == 0 && playKind == 0 && gemsToCollect < 1;
}

bool CPlayField::HasMarkedCapInBottomRows(int32_t n) const
{
    // From the bottom row up, each row from the left; empty cells hold nothing.
    const int32_t last = int32_t(cells.size()) - 1;
    for (int32_t row = last; row >= 0 && row > last - n; --row)
        for (const CRefPtr<CCap>& cell : cells[size_t(row)])
            if (cell && cell->marked != 0)
                return true;
    return false;
}

void CPlayField::SetSoundBank(CRefPtr<CSoundBank> bank)
{
    soundBank = bank;
    capList.soundBank = bank;
    totems.m_soundBank = bank;
    if (terminatorManager)
        terminatorManager->SetSoundBank(bank);
}

// ---------------------------------------------------------------------------------
// Input and panels
// ---------------------------------------------------------------------------------

void CPlayField::SetInputLock(int32_t lock)
{
    inputLocked = lock;
    if (mode != kModeNormal)
        return;
    inputOpen = lock ? 0 : 1;
    if (playKind == 0 && sandbox && sandbox->heap)
        sandbox->heap->drainOn = lock ? 0 : 1;
}

void CPlayField::ShowPanels(int32_t show, int32_t flag, float time)
{
    const float speed = time > 0.0f ? 1.0f / time : 0.0f;
    fader->Start(show, speed);
    if (capsManager)
        capsManager->panelFlag = flag;
    if (show && playKind == 0)
    {
        if (sandbox)
            sandbox->SetState(1, speed);
        if (gemsBuffer)
            gemsBuffer->Show(1, time);
    }
    wrongMove = 0;
}

void CPlayField::CancelSelection()
{
    adviser.Reset();
    selectionCancelled = 1;
    if (tokenSelector)
        tokenSelector->Clear();
    inputOpen = 0;
    if (playKind != 0)
        return;
    if (sandbox && sandbox->heap)
        sandbox->heap->portions.clear();
    if (totems.m_shieldMode)
        totems.SetShieldMode(0);
    totems.ReturnSelectedTotem();
}

void CPlayField::AddGroupStats(int32_t cellCount, const std::vector<CRefPtr<CCap>>& tokens,
                               const std::vector<int32_t>& tokenStatus)
{
    if (cellCount > 2)
    {
        counters.AddToBoth(1, kCounterGroups);
        counters.AddToBoth(cellCount, kCounterBiggestGroup);
    }
    int32_t counted = 0;
    for (size_t i = 0; i < tokens.size(); ++i)
    {
        if (!tokens[i])
            continue;
        const int32_t status = i < tokenStatus.size() ? tokenStatus[i] : 0;
        if (tokens[i]->lockCount == 0 || status == 2)
            ++counted;
    }
    counters.AddToBoth(counted, kCounterTokens);
}
