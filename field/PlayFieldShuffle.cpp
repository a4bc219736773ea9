// Clearing the board: the shuffle the game asks for when no move is left
// (every token trembles, then falls off the bottom and the board is refilled,
// fixed tokens back in their own cells), the quiet drop of every token before
// a saved quest is laid out again, and closing a tutorial tip, which for the
// totem tip clears the board the same way.
#include "field/PlayField.h"

#include "bonuses/Bonus.h"
#include "effects/Sandbox.h"
#include "engine/DataFolders.h"
#include "engine/SaveErrors.h"
#include "engine/Random.h"
#include "saves/Profiles.h"
#include "hud/TokenSelector.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kShuffleGravity = 2000.0f;
constexpr int32_t kRowsBelow = 10;     // tokens fall this far below their cells
constexpr float kTrembleShare = 0.3f;  // of the token's radius, each way

// Time of a free fall from rest over the height; none without gravity.
float FallTime(float height, float g)
{
    return g > 0.0f ? std::sqrt(std::fabs(2.0f * height / g)) : 0.0f;
}

} // namespace

void CPlayField::SendOffBoard(const CRefPtr<CCap>& cap, int32_t column, int32_t row)
{
    // Straight down, ten rows below its own cell, a free fall from rest.
    const float g = folders ? folders->Gravity() : kShuffleGravity;
    const Vec3 target = CellToScreen(column, row + kRowsBelow, false);
    const float t = FallTime(cap->drawnPosition[1] - target.y, g);
    cap->path.Reset(Vec3{cap->drawnPosition[0], cap->drawnPosition[1], cap->drawnPosition[2]},
                    Vec3{target.x, target.y, 0.0f}, Vec3{1, 0, 1}, Vec3{1, 2, 1}, t);
    cap->active = 0;
    cap->pathDuration = t;
    cap->previousColumn = cap->column;
    cap->previousRow = cap->row;
    cap->row = row;
    cap->pathTime = 0.0f;
    cap->state = CCap::kMoving;
    cap->arrival = CCap::kArrivalLeave;
}

void CPlayField::Shuffle(float time, int32_t points)
{
    // One tremble point at least, and no step of a single point's length.
    points = std::max(points, 1);
    const float step = points > 1 ? time / float(points - 1) : time;
    const float g = folders ? folders->Gravity() : kShuffleGravity;
    SetInputLock(1);
    savedCells.clear();
    if (playKind == 0)
        savedCells.assign(size_t(std::max(rows, 0)), std::vector<CSavedCell>(size_t(std::max(columns, 0))));
    if (tokenSelector)
        tokenSelector->Clear();

    bool saved = false;
    for (int32_t c = 0; c < columns; ++c)
        for (int32_t r = 0; r < rows; ++r)
        {
            CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
            if (!cell)
                continue;
            const CRefPtr<CCap> cap = cell;
            if (cap->marked)
                ++gemsToPlace;
            if (playKind == 0 && cap->fixed)
            {
                CSavedCell& s = savedCells[size_t(r)][size_t(c)];
                s.random = 0;
                s.column = c;
                s.row = r;
                s.colour = cap->colour;
                s.lockCount = cap->lockCount;
                s.marked = cap->marked;
                s.hasBonus = cap->held ? 1 : 0;
                if (cap->held)
                {
                    s.bonusKind = HeldBonus(cap->held)->kind;
                    s.bonusLevel = HeldBonus(cap->held)->level;
                }
                saved = true;
            }

            const float x = cap->drawnPosition[0], y = cap->drawnPosition[1], z = cap->drawnPosition[2];
            const float radius = cap->radius;
            const int32_t k = int32_t(std::floor(RandomUnit() * 6.0f - 1.0f));
            const Vec3 target = CellToScreen(c + k, r + kRowsBelow, false);
            const float fall = FallTime(y - target.y, g);

            for (int32_t i = 0; i < points; ++i)
            {
                const float r1 = RandomUnit();
                const float r2 = RandomUnit();
                const Vec3 p{x + (r1 - 0.5f) * kTrembleShare * radius, y + (r2 - 0.5f) * kTrembleShare * radius, z};
                if (i == 0)
                    cap->path.Reset(Vec3{x, y, z}, p, Vec3{0, 0, 1}, Vec3{0, 0, 1}, step);
                else
                    cap->path.AddSmoothTo(p, Vec3{0, 0, 1}, step);
            }
            cap->path.AddCurveTo(Vec3{target.x, target.y, 0.0f}, Vec3{1, 0, 1}, Vec3{1, 2, 1}, fall);

            cap->active = 0;
            // The token leaves one step before its path ends, well below the board.
            cap->pathDuration = time + fall;
            cap->previousColumn = cap->column;
            cap->previousRow = cap->row;
            cap->row = r;
            cap->pathTime = 0.0f;
            cap->state = CCap::kMoving;
            cap->arrival = CCap::kArrivalLeave;
            cell.Reset();
        }
    fillPending = kFillSavedCells;
    if (!saved)
        savedCells.clear();
    pendingSwaps.clear();
    swapBacks.clear();
}

void CPlayField::DropAllTokensQuietly()
{
    adviser.Reset();
    selectionCancelled = 1;
    if (tokenSelector)
        tokenSelector->Clear();
    inputOpen = 0;
    for (int32_t c = 0; c < columns; ++c)
        for (int32_t r = 0; r < rows; ++r)
        {
            CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
            if (!cell)
                continue;
            SendOffBoard(cell, c, r);
            cell.Reset();
        }
    pendingSwaps.clear();
    swapBacks.clear();
    if (playKind == 0 && sandbox && sandbox->heap)
        sandbox->heap->portions.clear();
    if (totems.m_shieldMode)
        totems.SetShieldMode(0);
    totems.ReturnSelectedTotem();
}

void CPlayField::CloseTutorialStep(int32_t seen)
{
    auto markSeen = [this, seen]() {
        if (!seen || !playerSettings || tutorialStep < 1 || tutorialStep > CPlayerSettings::kTipCount)
            return;
        playerSettings->tipsSeen[tutorialStep - 1] = 1;
        if (folders)
        {
            const std::string folder = folders->players + playerSettings->name;
            CheckSaved(playerSettings->Save(folder), folder + "\\Settings.ini");
        }
    };
    switch (tutorialStep)
    {
    case 1:
    case 2:
    case 4:
    case 5:
    case 6:
    case 8:
    case 9:
    case 10:
        markSeen();
        break;
    case 3:
        // The wrong-move tip counts as seen only once the player has had it
        // often enough (or in the fuller tutorial modes).
        if (tutorialMode > 1 || (tutorialMode == 1 && wrongMoveCount >= 3))
            markSeen();
        break;
    case kTipTotem:
        markSeen();
        // The totem tip's board goes; the refill lays out the level again.
        SetInputLock(1);
        if (tokenSelector)
            tokenSelector->Clear();
        for (int32_t c = 0; c < columns; ++c)
            for (int32_t r = 0; r < rows; ++r)
            {
                CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
                if (!cell)
                    continue;
                SendOffBoard(cell, c, r);
                cell.Reset();
            }
        fillPending = kFillLevel;
        pendingSwaps.clear();
        swapBacks.clear();
        break;
    default:
        break;
    }
    tutorialStep = 0;
    if (playKind == 0 && sandbox && sandbox->heap)
        sandbox->heap->drainOn = 1;
}
