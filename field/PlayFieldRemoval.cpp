// Removal of matched groups: every group the match finder found goes to one
// terminator, unlocked tokens leave their cells at once, the group is counted
// and a long group may earn a bonus on another token. Also the cascade search
// that runs once the board is full and settled, and the end-of-cascade report.
#include "field/PlayField.h"

#include "board/LevelParams.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusManager.h"
#include "hud/TokenSelector.h"

void CPlayField::RemoveToken(const CRefPtr<CCap>& cap, CTerminator* terminator, int32_t mode)
{
    HandOffBonus(cap);
    if (terminator)
        terminator->AddToken(cap, mode);
    if (tokenSelector && tokenSelector->token == cap)
        tokenSelector->Clear();
    cap->active = 0;
    cap->state = CCap::kParked;
    // A locked token stays in its cell: its terminator only takes a lock off.
    if (cap->lockCount == 0)
        cells[size_t(cap->row)][size_t(cap->column)].Reset();
}

void CPlayField::ApplyGroups()
{
    const std::vector<CMatchGroup>& groups = matchGrid.groups;
    if (!groups.empty())
        timeSinceMatch = 0.0f;
    for (const CMatchGroup& group : groups)
    {
        if (group.cells.empty())
            continue;
        const CCellPos first = group.cells[0];
        const CRefPtr<CCap>* firstCell = CellAt(first.column, first.row);
        CRefPtr<CTexture> texture;
        if (firstCell && *firstCell && (*firstCell)->look)
            texture = (*firstCell)->look->texture;

        CRefPtr<CTerminator> terminator;
        CTerminator::Spawn(terminator, terminatorManager.Get(), CTerminator::kElectro, group, texture, 0);
        for (const CCellPos& p : group.cells)
        {
            const CRefPtr<CCap>* cell = CellAt(p.column, p.row);
            if (!cell || !*cell)
                continue;
            const CRefPtr<CCap> cap = *cell;
            // The cell the token is in decides which cell empties.
            cap->column = p.column;
            cap->row = p.row;
            RemoveToken(cap, terminator.Get(), CTerminator::kAddNormal);
        }
        if (terminator)
        {
            terminator->Start();
            AddGroupStats(int32_t(group.cells.size()), terminator->tokens, terminator->params.modes);
        }

        if (group.cells.size() < 4 || !rules)
            continue;
        int32_t kind = 0, kindLevel = 0;
        if (!rules->PickKind(group.cells.size() > 4 ? 1 : 0, kind, kindLevel))
            continue;
        CRefPtr<CCap> host;
        if (tutorialStep == kTipBonus)
        {
            if (const CRefPtr<CCap>* cell = CellAt(4, 4))
                host = *cell;
        }
        else
            capList.PickRandomPlainCap(host);
        if (!host || !bonusManager)
            continue;
        CRefPtr<CBonus> bonus;
        bonusManager->CreateBonus(bonus, kind, kindLevel, 0, 1);
        if (!bonus)
            continue;
        bonus->reportPlacement = 1;
        const float x = host->position[0] + origin[0], y = host->position[1] + origin[1],
                    z = host->position[2] + origin[2];
        bonus->position[0] = x;
        bonus->position[1] = y;
        bonus->position[2] = z;
        bonus->Drop(x, y, z, host->radius, host->column, host->row, 1, 0.5f);
        host->SetHeld(bonus);
    }
}

int32_t CPlayField::SearchMatches()
{
    RebuildValueGrid();
    const int found = matchGrid.FindMatches(3, false);
    if (found > 0)
    {
        ApplyGroups();
        return int32_t(matchGrid.groups.size());
    }
    if (cascadeCounter > 1)
    {
        CPlayFieldEvent e;
        e.code = kEventCascadeEnd;
        e.arg = cascadeCounter;
        events.push_back(e);
    }
    cascadeCounter = 0;
    return 0;
}
