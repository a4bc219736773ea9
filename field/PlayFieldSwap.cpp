// Swaps and move ends: the player's swap exchanges two tokens in the grid at
// once and sends both along a short curved path; when both rest the board is
// tested for lines, and without one the pair swaps back. Also the end of a
// swap move, the hit test of the mouse handler and the level-won drop of
// every token off the board.
#include "field/PlayField.h"

#include "board/TerminatorManager.h"
#include "effects/Sandbox.h"
#include "engine/DataFolders.h"
#include "hud/TokenSelector.h"

#include <cmath>
#include <utility>

namespace
{

constexpr float kDefaultSwapTime = 0.4f;

} // namespace

float CPlayField::SwapTime() const
{
    return folders ? folders->SwapTime() : kDefaultSwapTime;
}

void CPlayField::SendSwapping(const CRefPtr<CCap>& cap, int32_t column, int32_t row, float midZ)
{
    const float time = SwapTime();
    cap->pathTime = 0.0f;
    cap->previousColumn = cap->column;
    cap->previousRow = cap->row;
    cap->column = column;
    cap->row = row;
    cap->active = 0;
    cap->state = CCap::kMovingAway;
    cap->pathDuration = time;
    const Vec3 target = CellToScreen(column, row, false);
    const Vec3 from{cap->position[0], cap->position[1], cap->position[2]};
    const Vec3 mid{(from.x + target.x) * 0.5f, (from.y + target.y) * 0.5f, midZ};
    // Slow out of the cell, fastest where the two pass, slow into the other;
    // in depth one lifts towards the viewer and the other sinks.
    cap->path.Reset(from, mid, Vec3{0.5f, 0.5f, 2.0f}, Vec3{2.0f, 2.0f, 0.5f}, time * 0.5f);
    cap->path.AddCurveTo(Vec3{target.x, target.y, 0.0f}, Vec3{2.0f, 2.0f, 0.5f}, Vec3{0.5f, 0.5f, 2.0f},
                         time * 0.5f);
}

void CPlayField::StartSwap(int32_t c1, int32_t r1, int32_t c2, int32_t r2, int32_t back)
{
    timeSinceMatch = 0.0f;
    CRefPtr<CCap>& cellA = cells[size_t(r1)][size_t(c1)];
    CRefPtr<CCap>& cellB = cells[size_t(r2)][size_t(c2)];
    const CRefPtr<CCap> a = cellA, b = cellB;
    if (!a || !b)
        return;
    std::swap(cellA, cellB);
    (back ? swapBacks : pendingSwaps).emplace_back(a, b);

    SendSwapping(a, c2, r2, -1.0f);
    // The first token is drawn over the second while they pass.
    if (a->look)
    {
        a->look->drawOrder -= 1;
        if (capsManager)
            capsManager->RaiseLook(a->look);
    }
    SendSwapping(b, c1, r1, 1.0f);
}

int32_t CPlayField::CheckSwap()
{
    int32_t count = 0;
    bool matched = false, colourFound = false;
    int32_t colour = 0;
    const CRefPtr<CCap> selected = tokenSelector ? tokenSelector->token : CRefPtr<CCap>();

    for (size_t i = 0; i < pendingSwaps.size();)
    {
        const CapPair pair = pendingSwaps[i];
        const CRefPtr<CCap>& f = pair.first;
        const CRefPtr<CCap>& s = pair.second;
        if (!f || !s || f->state != CCap::kResting || s->state != CCap::kResting)
        {
            ++i;
            continue;
        }
        f->active = 1;
        s->active = 1;
        RebuildValueGrid();
        if (matchGrid.FindMatches(3, false) > 0)
        {
            matched = true;
            if (colourFound)
                colour = selected ? selected->colour : 0;
            else
            {
                // The totems hear the colour the player moved when one of its
                // groups is among the lines, else the first group's colour
                // (also when nothing is selected).
                for (const CMatchGroup& g : matchGrid.groups)
                {
                    const CRefPtr<CCap>* cell = CellAt(g.cells[0].column, g.cells[0].row);
                    if (selected && cell && *cell && (*cell)->colour == selected->colour)
                    {
                        colour = selected->colour;
                        colourFound = true;
                        break;
                    }
                }
                if (!colourFound)
                {
                    const CCellPos p = matchGrid.groups[0].cells[0];
                    const CRefPtr<CCap>* cell = CellAt(p.column, p.row);
                    colour = cell && *cell ? (*cell)->colour : 0;
                }
            }
            ApplyGroups();
            count += int32_t(matchGrid.groups.size());
        }
        else
        {
            StartSwap(s->column, s->row, f->column, f->row, 1);
            wrongMove = 1;
        }
        pendingSwaps.erase(pendingSwaps.begin() + std::ptrdiff_t(i));
    }

    for (size_t i = 0; i < swapBacks.size();)
    {
        const CapPair pair = swapBacks[i];
        const CRefPtr<CCap>& f = pair.first;
        const CRefPtr<CCap>& s = pair.second;
        if (!f || !s || f->state != CCap::kResting || s->state != CCap::kResting)
        {
            ++i;
            continue;
        }
        f->active = 1;
        s->active = 1;
        RebuildValueGrid();
        if (matchGrid.FindMatches(3, false) > 0)
        {
            ApplyGroups();
            count += int32_t(matchGrid.groups.size());
        }
        swapBacks.erase(swapBacks.begin() + std::ptrdiff_t(i));
    }

    if (matched)
        totems.RequestTotem(colour);

    if (researchRequested)
    {
        RebuildValueGrid();
        if (matchGrid.FindMatches(3, false) > 0)
        {
            ApplyGroups();
            count += int32_t(matchGrid.groups.size());
        }
        researchRequested = 0;
    }
    return count;
}

void CPlayField::FinishTokenMove(CRefPtr<CCap> token)
{
    for (std::vector<CapPair>* list : {&pendingSwaps, &swapBacks})
        for (CapPair& pair : *list)
        {
            if (pair.first == token)
            {
                token->state = CCap::kResting;
                if (token->look)
                {
                    token->look->drawOrder += 1;
                    if (capsManager)
                        capsManager->RaiseLook(token->look);
                }
                return;
            }
            if (pair.second == token)
            {
                token->state = CCap::kResting;
                return;
            }
        }
}

CRefPtr<CCap>& CPlayField::HitTest(CRefPtr<CCap>& out, float x, float y)
{
    capList.HitTest(out, x, y);
    return out;
}

void CPlayField::DropAllTokens()
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
    if (playKind == 0)
    {
        if (sandbox && sandbox->heap)
            sandbox->heap->portions.clear();
        if (totems.m_shieldMode)
            totems.SetShieldMode(0);
        totems.ReturnSelectedTotem();
    }
    PushEvent(kEventLevelWon);
}
