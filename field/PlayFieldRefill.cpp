// The refill: tokens above a gap fall into it, and every cell still empty gets
// a new token that drops in from above the board with a small bounce. New
// colours are decided in the value grid before any token is made; a level
// start lays the board out from the level file, a shuffle or a restored save
// puts their tokens back. Also the hand-off of a falling bonus when its token
// goes away, and the copy of the tokens into the value grid.
#include "field/PlayField.h"

#include "board/Level.h"
#include "board/LevelParams.h"
#include "bonuses/BonusManager.h"
#include "engine/DataFolders.h"
#include "engine/Random.h"
#include "saves/QuestSave.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{

constexpr float kDefaultGravity = 2000.0f;
constexpr float kDefaultBounce = 0.05f;

// Rolls that test lines or moves at the caller's request give up on lines
// after this many tries (one colour always makes lines), and then keep
// rolling only for a move, as long again; the last roll stands after that.
constexpr int kRollsForNoLine = 256;
constexpr int kRollsForMove = 256;
// The forced line test of long cascades on boards of few colours accepts its
// 101st roll with a line.
constexpr int kForcedLineFailures = 100;
// A steel draw past the steel limit is thrown away; with a steel chance near 1
// that could go on for long, so after this many draws the colour set decides.
constexpr int kSteelRedraws = 64;

constexpr int32_t kSteelValue = CCap::kSteel + 1;

size_t RandomIndex(size_t count)
{
    size_t i = size_t(std::floor(RandomUnit() * float(count)));
    return i >= count ? count - 1 : i;
}

bool IsLocked(int32_t value)
{
    return value < 0;
}

char LayoutChar(const std::vector<std::string>& rows, int32_t row, int32_t column)
{
    if (row < 0 || size_t(row) >= rows.size() || column < 0 || size_t(column) >= rows[size_t(row)].size())
        return '\0';
    return rows[size_t(row)][size_t(column)];
}

int32_t TokenValue(const CCap& cap)
{
    return cap.lockCount != 0 ? -(cap.colour + 1) : cap.colour + 1;
}

} // namespace

float CPlayField::Gravity() const
{
    return folders ? folders->Gravity() : kDefaultGravity;
}

float CPlayField::BounceRatio() const
{
    return folders ? folders->BounceRatio() : kDefaultBounce;
}

void CPlayField::RebuildValueGrid()
{
    if (matchGrid.width != columns || matchGrid.height != rows)
        matchGrid.Resize(columns, rows);
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
            int32_t v = CMatchGrid::kEmpty;
            if (cell && cell->active)
                v = cell->lockCount != 0 ? ~cell->colour : cell->colour + 1;
            matchGrid.rows[size_t(r)][size_t(c)] = v;
        }
}

int32_t CPlayField::DrawColour(int32_t& steel) const
{
    for (int i = 0; i < kSteelRedraws; ++i)
    {
        const int32_t c = PickNewColour();
        if (c < CCap::kSpecial)
            return c;
        if (steel < steelCount)
        {
            ++steel;
            return c;
        }
    }
    return PickNewColourWithinLimit(steel);
}

void CPlayField::StartFall(const CRefPtr<CCap>& cap, int32_t column, int32_t row, bool bounce)
{
    const float g = Gravity(), b = BounceRatio();
    const Vec3 target = CellToScreen(column, row, false);
    const float dy = cap->drawnPosition[1] - target.y;
    const float t = std::sqrt(std::fabs(2.0f * dy / g));
    const Vec3 start{cap->drawnPosition[0], cap->drawnPosition[1], cap->drawnPosition[2]};
    const Vec3 end{target.x, target.y, 0.0f};
    cap->path.Reset(start, end, Vec3{1, 0, 1}, Vec3{1, 2, 1}, t);
    cap->pathDuration = t;
    if (bounce)
    {
        // Up by the bounce ratio of the drop, and down again, each in b * t.
        cap->path.AddCurveTo(Vec3{target.x, target.y + b * dy, 0.0f}, Vec3{1, 2, 1}, Vec3{1, 0, 1}, b * t);
        cap->path.AddCurveTo(end, Vec3{1, 0, 1}, Vec3{1, 2, 1}, b * t);
        cap->pathDuration = (2.0f * b + 1.0f) * t;
    }
    cap->pathTime = 0.0f;
}

void CPlayField::Refill(int32_t checkLines, int32_t checkMoves)
{
    if (rows <= 0 || columns <= 0)
        return;

    // Step 1: falls.
    for (int32_t c = 0; c < columns; ++c)
    {
        int32_t r = rows - 1;
        while (r >= 0)
        {
            if (cells[size_t(r)][size_t(c)])
            {
                --r;
                continue;
            }
            int32_t k = r - 1;
            while (k >= 0 && !cells[size_t(k)][size_t(c)])
                --k;
            if (k < 0)
                break;
            CRefPtr<CCap> cap = cells[size_t(k)][size_t(c)];
            StartFall(cap, c, r, true);
            cap->active = 0;
            cap->previousColumn = cap->column;
            cap->previousRow = cap->row;
            cap->row = r;
            cap->state = CCap::kMoving;
            cap->ArmMidpointEvent();
            cells[size_t(r)][size_t(c)] = cap;
            cells[size_t(k)][size_t(c)].Reset();
            --r;
        }
    }

    // Step 2: what the board holds already.
    int32_t steelOnBoard = 0, locksOnBoard = 0;
    bool anyEmpty = false;
    for (const auto& row : cells)
        for (const auto& cell : row)
        {
            if (!cell)
            {
                anyEmpty = true;
                continue;
            }
            if (cell->colour >= CCap::kSteel)
                ++steelOnBoard;
            if (cell->lockCount > 0)
                ++locksOnBoard;
        }
    if (!anyEmpty)
        return;

    const bool fromLevel = fillPending == kFillLevel && playKind == 0 && level && !level->isDefault;
    const bool fromSave = fillPending == kFillQuestSave && playKind == 0 && savedQuest;
    const bool fromSavedCells = fillPending == kFillSavedCells && playKind == 0 && !savedCells.empty();

    // Step 3: values.
    if (fromLevel)
        GenerateColours(steelOnBoard, locksOnBoard);
    else if (fromSave)
        FillValuesFromSave();
    else
        RollValues(checkLines, checkMoves, steelOnBoard, locksOnBoard, fromSavedCells);

    // Step 4: which new ordinary tokens carry gems, by their number in the
    // order step 5 makes them (columns left to right, rows from the bottom).
    std::vector<CCellPos> newCells;
    std::vector<int32_t> ordinaryNumber;
    int32_t ordinaryCount = 0;
    for (int32_t c = 0; c < columns; ++c)
        for (int32_t r = rows - 1; r >= 0; --r)
            if (!cells[size_t(r)][size_t(c)])
            {
                newCells.push_back(CCellPos{c, r});
                const int32_t v = matchGrid.rows[size_t(r)][size_t(c)];
                ordinaryNumber.push_back(std::abs(v) < 99 ? ordinaryCount++ : -1);
            }

    std::vector<int32_t> gems;  // sorted numbers
    auto takeGemToPlace = [this]() { gemsToPlace = std::max(gemsToPlace - 1, 0); };
    if (fromLevel || fromSave || fromSavedCells)
    {
        for (size_t i = 0; i < newCells.size(); ++i)
        {
            if (ordinaryNumber[i] < 0)
                continue;
            const CCellPos p = newCells[i];
            bool gem = false;
            if (fromLevel)
                gem = LayoutChar(level->gemRows, p.row, p.column) == 'g';
            else if (fromSave)
                gem = savedQuest->grids[0][size_t(p.row)][size_t(p.column)] < 0;
            else
            {
                const CSavedCell& s = savedCells[size_t(p.row)][size_t(p.column)];
                gem = s.random == 0 && s.marked != 0;
            }
            if (!gem)
                continue;
            gems.push_back(ordinaryNumber[i]);
            if (!fromSave)
                takeGemToPlace();
        }
    }
    else if (fillPending == kFillRandom && tutorialStep != kTipTotem && bonusManager)
    {
        int32_t onBoard = 0;
        for (const auto& row : cells)
            for (const auto& cell : row)
                if (cell && cell->held && cell->held->kind == kBonusGem)
                    ++onBoard;
        int32_t n;
        if (gemRequest)
        {
            n = std::min(gemRequestTarget - onBoard, ordinaryCount);
            gemRequest = 0;
        }
        else
        {
            const float ratio = rules ? rules->paramRatio : 0.0f;
            const int32_t most = rules ? rules->paramCount : 0;
            n = std::min(int32_t(std::floor(ratio * float(ordinaryCount))), most - onBoard);
        }
        n = std::max(0, std::min(n, ordinaryCount));
        n = std::min(n, std::max(gemsToPlace, 0));
        gemsToPlace -= n;
        while (int32_t(gems.size()) < n)
        {
            const int32_t k = int32_t(RandomIndex(size_t(ordinaryCount)));
            const auto at = std::lower_bound(gems.begin(), gems.end(), k);
            if (at == gems.end() || *at != k)
                gems.insert(at, k);
        }
    }

    // Step 5: the new tokens drop in, each column's from a random height above
    // the board, every further one one to two cells higher.
    const float b = BounceRatio();
    size_t nextGem = 0, index = 0;
    for (int32_t c = 0; c < columns; ++c)
    {
        const Vec3 top = CellToScreen(c, -2, false);
        float startY = top.y + RandomUnit() * cellHeight;
        for (int32_t r = rows - 1; r >= 0; --r)
        {
            if (cells[size_t(r)][size_t(c)])
                continue;
            const int32_t value = matchGrid.rows[size_t(r)][size_t(c)];
            const int32_t number = ordinaryNumber[index++];
            const bool marked = number >= 0 && nextGem < gems.size() && gems[nextGem] == number;
            const Vec3 target = CellToScreen(c, r, false);
            const float dy = startY - target.y;
            const float t = std::sqrt(std::fabs(2.0f * dy / Gravity()));

            CRefPtr<CCap> cap;
            capList.CreateCap(cap, std::abs(value) - 1, marked ? 1 : 0, top.x, startY, 0.0f, tokenRadius, 1,
                              origin[0], origin[1], origin[2]);
            cells[size_t(r)][size_t(c)] = cap;

            if (IsLocked(value))
            {
                int32_t locks = 1;
                if (fromLevel)
                {
                    const char ch = LayoutChar(level->lockRows, r, c);
                    if (ch >= '1' && ch <= '9')
                        locks = ch - '0';
                }
                else if (fromSavedCells && savedCells[size_t(r)][size_t(c)].lockCount > 0)
                    locks = savedCells[size_t(r)][size_t(c)].lockCount;
                else if (fromSave && savedQuest->grids[1][size_t(r)][size_t(c)] > 0)
                    locks = savedQuest->grids[1][size_t(r)][size_t(c)];
                cap->SetLockCount(locks);
            }

            if (marked)
            {
                ++nextGem;
                if (bonusManager)
                {
                    CRefPtr<CBonus> gem;
                    bonusManager->CreateGem(gem, cap->colour, 1);
                    if (gem)
                    {
                        gem->Place(top.x + origin[0], startY + origin[1], origin[2], cap->radius, c, r);
                        cap->SetHeld(gem);
                    }
                }
            }

            CCap::StartMove(cap, target.x, target.y, 0.0f, t, 1, 0, 1, 1, 2, 1);
            cap->active = 0;
            cap->placement = CCap::kPlaced;
            cap->arrival = CCap::kArrivalActivate;
            cap->path.AddCurveTo(Vec3{target.x, target.y + b * dy, 0.0f}, Vec3{1, 2, 1}, Vec3{1, 0, 1}, b * t);
            cap->path.AddCurveTo(Vec3{target.x, target.y, 0.0f}, Vec3{1, 0, 1}, Vec3{1, 2, 1}, b * t);
            cap->pathDuration = (2.0f * b + 1.0f) * t;
            cap->column = cap->previousColumn = c;
            cap->row = cap->previousRow = r;
            if (cap->look)
                cap->look->lightAllowed = 1;
            cap->ArmMidpointEvent();

            startY += (RandomUnit() + 1.0f) * cellHeight;

            if (fromLevel)
                cap->fixed = LayoutChar(level->fixedRows, r, c) == 'f' ? 1 : 0;
            else if (fromSavedCells)
                cap->fixed = savedCells[size_t(r)][size_t(c)].random == 0 ? 1 : 0;
            else if (fromSave)
                cap->fixed = savedQuest->grids[4][size_t(r)][size_t(c)] == 1 ? 1 : 0;
        }
    }

    // Step 6: bonuses laid out by the source.
    if (bonusManager && (fromLevel || fromSave || fromSavedCells))
    {
        static const int32_t kLayoutKinds[6] = {kBonusTNT,   kBonusScore,      kBonusTime,
                                                kBonusFlash, kBonusSolidarity, kBonusAdviser};
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < columns; ++c)
            {
                const CRefPtr<CCap>& cap = cells[size_t(r)][size_t(c)];
                if (!cap || cap->marked || cap->held)
                    continue;
                int32_t kind = 0, bonusLevel = 0;
                if (fromLevel)
                {
                    const char d = LayoutChar(level->bonusRows, r, c);
                    if (d < '0' || d > '5')
                        continue;
                    kind = kLayoutKinds[d - '0'];
                    const size_t digit = size_t(d - '0');
                    bonusLevel = digit < level->bonusLevels.size() ? level->bonusLevels[digit] : -1;
                    if (bonusLevel < 0)
                    {
                        const size_t k = size_t(kind - 2);
                        bonusLevel = rules && k < rules->kindLevels.size() ? rules->kindLevels[k] : -1;
                    }
                    if (bonusLevel < 0)
                        bonusLevel = 0;
                }
                else if (fromSavedCells)
                {
                    const CSavedCell& s = savedCells[size_t(r)][size_t(c)];
                    if (!cap->fixed || !s.hasBonus)
                        continue;
                    kind = s.bonusKind;
                    bonusLevel = s.bonusLevel;
                }
                else
                {
                    kind = savedQuest->grids[2][size_t(r)][size_t(c)];
                    if (kind == 0)
                        continue;
                    bonusLevel = savedQuest->grids[3][size_t(r)][size_t(c)];
                }
                CRefPtr<CBonus> bonus;
                bonusManager->CreateBonus(bonus, kind, bonusLevel, 0, 1);
                if (!bonus)
                    continue;
                const float x = cap->position[0] + origin[0], y = cap->position[1] + origin[1],
                            z = cap->position[2] + origin[2];
                bonus->position[0] = x;
                bonus->position[1] = y;
                bonus->position[2] = z;
                bonus->Drop(x, y, z, cap->radius, cap->column, cap->row, 1, 0.5f);
                cap->SetHeld(bonus);
            }
    }

    // Step 7: what a restored save brings besides the tokens.
    if (fromSave && playKind == 0)
    {
        if (savedQuest->totemShield != 0)
        {
            totems.SetShieldMode(1);
            steelChance = 0.0f;
            steelCount = 0;
        }
        if (savedQuest->totemIndex >= 0 && savedQuest->totemIndex <= 6)
            totems.RequestTotem(savedQuest->totemIndex);
    }
}

void CPlayField::WriteTokenValues()
{
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
            if (cell)
                matchGrid.rows[size_t(r)][size_t(c)] = TokenValue(*cell);
        }
}

void CPlayField::FillValuesFromSave()
{
    if (matchGrid.width != columns || matchGrid.height != rows)
        matchGrid.Resize(columns, rows);
    WriteTokenValues();
    int32_t steel = 0;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            if (cells[size_t(r)][size_t(c)])
                continue;
            const bool inRecord = r < CQuestSave::kGridSize && c < CQuestSave::kGridSize;
            int32_t v = inRecord ? std::abs(savedQuest->grids[0][size_t(r)][size_t(c)]) : CQuestSave::kEmptyCell;
            // A cell the save recorded as empty, or out of the colour range,
            // gets an ordinary colour rather than a token of an unknown kind.
            if (v == 0 || v >= CQuestSave::kEmptyCell)
                v = DrawColour(steel) + 1;
            else if (savedQuest->grids[1][size_t(r)][size_t(c)] > 0)
                v = -v;
            matchGrid.rows[size_t(r)][size_t(c)] = v;
        }
}

void CPlayField::RollValues(int32_t checkLines, int32_t checkMoves, int32_t steelOnBoard, int32_t locksOnBoard,
                            bool fromSavedCells)
{
    if (matchGrid.width != columns || matchGrid.height != rows)
        matchGrid.Resize(columns, rows);

    // Long cascades on boards of few colours: new tokens are kept from
    // completing lines, but only so often.
    bool forced = false;
    if (capsSet.size() < 7)
    {
        RebuildValueGrid();
        if (!matchGrid.HasLine(3, false))
            forced = cascadeCounter >= 10 || (cascadeCounter >= 6 && RandomUnit() >= 0.5f);
    }
    const bool testLines = forced || checkLines != 0;

    int failures = 0;
    for (int attempt = 0;; ++attempt)
    {
        WriteTokenValues();
        int32_t steel = steelOnBoard, locks = locksOnBoard;
        for (int32_t c = 0; c < columns; ++c)
            for (int32_t r = 0; r < rows; ++r)
            {
                if (cells[size_t(r)][size_t(c)])
                    continue;
                int32_t v;
                const CSavedCell* saved = fromSavedCells ? &savedCells[size_t(r)][size_t(c)] : nullptr;
                if (saved && saved->random == 0)
                {
                    v = saved->colour + 1;
                    if (v > 98)
                        ++steel;
                    if (saved->lockCount > 0)
                    {
                        v = -v;
                        ++locks;
                    }
                }
                else
                {
                    const int32_t colour = DrawColour(steel);
                    v = colour + 1;
                    if (colour < CCap::kSpecial && locks < lockCount && RandomUnit() < lockChance)
                    {
                        v = -v;
                        ++locks;
                    }
                }
                matchGrid.rows[size_t(r)][size_t(c)] = v;
            }

        const bool hasMove = !checkMoves || matchGrid.HasMove(3, false);
        if (!hasMove)
        {
            if (attempt >= kRollsForNoLine + kRollsForMove)
                return;
            continue;
        }
        if (!testLines || !matchGrid.HasLine(3, false))
            return;
        if (forced && !checkLines)
        {
            if (++failures > kForcedLineFailures)
                return;
            continue;
        }
        // Lines tested at the caller's request: past the bound, a roll with a
        // move stands even with its line (the cascade search removes it).
        if (attempt >= kRollsForNoLine)
            return;
    }
}

// ---------------------------------------------------------------------------------
// Level layout colours
// ---------------------------------------------------------------------------------

void CPlayField::ShuffleColours(std::vector<int32_t>& v, bool keepFirst)
{
    const size_t n = v.size();
    if (n == 0 || (keepFirst && n < 2))
        return;
    for (int k = 0; k < 40; ++k)
    {
        size_t i, j;
        if (keepFirst)
        {
            i = std::min(size_t(std::floor(RandomUnit() * float(n - 1))) + 1, n - 1);
            j = std::min(size_t(std::floor(RandomUnit() * float(n - 1))) + 1, n - 1);
        }
        else
        {
            i = RandomIndex(n);
            j = RandomIndex(n);
        }
        std::swap(v[i], v[j]);
    }
}

void CPlayField::GenerateColours(int32_t steelOnBoard, int32_t locksOnBoard)
{
    if (matchGrid.width != columns || matchGrid.height != rows)
        matchGrid.Resize(columns, rows);
    const CLevel& l = *level;
    std::vector<std::vector<int32_t>> groups;
    std::vector<int32_t> permutation;

    // A layout whose fixed colours already make a line, or that leaves no
    // move, can never be drawn as asked: past the bound a layout with a move
    // stands even with a line, and past twice the bound the last one does.
    for (int attempt = 0;; ++attempt)
    {
        groups.clear();
        if (!l.groupLetters.empty() && l.GroupsFit(int(capsSet.size())))
        {
            std::vector<int32_t> deck = capsSet;
            ShuffleColours(deck, false);
            size_t next = 0;
            for (size_t g = 0; g < l.groupLetters.size(); ++g)
            {
                groups.emplace_back();
                groups.back().reserve(7);
                const int32_t size = g < l.groupSizes.size() ? l.groupSizes[g] : 0;
                for (int32_t k = 0; k < size && next < deck.size(); ++k)
                    groups.back().push_back(deck[next++]);
            }
        }

        permutation = capsSet;
        if (tutorialStep == kTipTotem)
        {
            for (size_t i = 0; i < permutation.size(); ++i)
            {
                const int32_t colour = permutation[i];
                if (colour >= 0 && colour < 7 && totems.m_levels[colour] > 0)
                {
                    std::swap(permutation[0], permutation[i]);
                    tutorialColour = permutation[0];
                    break;
                }
            }
            ShuffleColours(permutation, true);
        }
        else
            ShuffleColours(permutation, false);

        int32_t steel = steelOnBoard, locks = locksOnBoard;
        for (int32_t c = 0; c < columns; ++c)
            for (int32_t r = 0; r < rows; ++r)
            {
                const CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
                if (cell)
                {
                    matchGrid.rows[size_t(r)][size_t(c)] = TokenValue(*cell);
                    continue;
                }
                const char ch = LayoutChar(l.beginRows, r, c);
                int32_t v = 0;
                if (ch >= '0' && ch <= '6')
                    v = ch - '0' + 1;
                else if (ch == 's')
                {
                    v = kSteelValue;
                    ++steel;
                }
                else if (ch >= 'a' && size_t(ch - 'a') < permutation.size())
                    v = permutation[size_t(ch - 'a')] + 1;
                else if (ch >= 'A' && ch <= 'G')
                {
                    for (size_t g = 0; g < groups.size() && g < l.groupLetters.size(); ++g)
                        if (l.groupLetters[g] == uint8_t(ch))
                        {
                            if (!groups[g].empty())
                                v = groups[g][RandomIndex(groups[g].size())] + 1;
                            break;
                        }
                }
                else if (ch >= 'I' && ch <= 'O')
                {
                    for (size_t i = 0; i < l.listLetters.size() && i < l.lists.size(); ++i)
                        if (l.listLetters[i] == uint8_t(ch))
                        {
                            if (!l.lists[i].empty())
                                v = l.lists[i][RandomIndex(l.lists[i].size())] + 1;
                            break;
                        }
                }
                if (v == 0)
                    v = DrawColour(steel) + 1;

                const char lock = LayoutChar(l.lockRows, r, c);
                if (lock >= '1' && lock <= '9')
                {
                    v = -v;
                    ++locks;
                }
                else if (lock != '0' && locks < lockCount && RandomUnit() < lockChance)
                {
                    v = -v;
                    ++locks;
                }
                matchGrid.rows[size_t(r)][size_t(c)] = v;
            }

        const bool hasMove = matchGrid.HasMove(3, false);
        if (hasMove && !matchGrid.HasLine(3, false))
            return;
        if (hasMove && attempt >= kRollsForNoLine)
            return;
        if (attempt >= kRollsForNoLine + kRollsForMove)
            return;
    }
}

// ---------------------------------------------------------------------------------
// Bonus hand-off
// ---------------------------------------------------------------------------------

int CPlayField::HandOffBonus(CRefPtr<CCap> token)
{
    if (!token || !token->held || token->held->state != kBonusFalling)
        return 1;
    CRefPtr<CCap> receiver;
    capList.PickRandomPlainCap(receiver);
    if (receiver)
    {
        receiver->SetHeld(token->held);
        token->held.Reset();
        return 1;
    }
    token->held->StartMove(0.5f);
    token->held.Reset();
    return 0;
}
