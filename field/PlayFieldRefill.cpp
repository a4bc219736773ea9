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
// The most locks a restored token takes; a damaged save may claim any number.
constexpr int32_t kMostSavedLocks = 9;
// Saved cell values that are a token: colours 1..7 and steel.
bool IsSavedToken(int32_t v)
{
    return (v >= 1 && v <= 7) || v == kSteelValue;
}

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
            matchGrid.Set(r, c, v);
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
    DropTokensIntoGaps();
    int32_t steelOnBoard = 0, locksOnBoard = 0;
    if (!CountBoardTokens(steelOnBoard, locksOnBoard))
        return;

    const FillSource source = CurrentFillSource();
    switch (source)
    {
    case FillSource::Level:
        GenerateColours(steelOnBoard, locksOnBoard);
        break;
    case FillSource::QuestSave:
        FillValuesFromSave();
        break;
    case FillSource::SavedCells:
    case FillSource::Random:
        RollValues(checkLines, checkMoves, steelOnBoard, locksOnBoard, source == FillSource::SavedCells);
        break;
    }

    NewTokenPlan plan = NumberNewTokens();
    if (source != FillSource::Random)
        ChooseSourceGems(source, plan);
    else if (fillPending == kFillRandom && tutorialStep != kTipTotem && bonusManager)
        RollGems(plan);
    DropInNewTokens(source, plan);
    if (source != FillSource::Random)
        PlaceSourceBonuses(source);
    if (source == FillSource::QuestSave)
        RestoreSavedTotems();
}

CPlayField::FillSource CPlayField::CurrentFillSource() const
{
    if (playKind != 0)
        return FillSource::Random;
    if (fillPending == kFillLevel && level && !level->isDefault)
        return FillSource::Level;
    if (fillPending == kFillQuestSave && savedQuest)
        return FillSource::QuestSave;
    if (fillPending == kFillSavedCells && !savedCells.empty())
        return FillSource::SavedCells;
    return FillSource::Random;
}

void CPlayField::DropTokensIntoGaps()
{
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
}

bool CPlayField::CountBoardTokens(int32_t& steel, int32_t& locks) const
{
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
                ++steel;
            if (cell->lockCount > 0)
                ++locks;
        }
    return anyEmpty;
}

// The new tokens are made columns left to right, rows from the bottom; gems
// go by the number of an ordinary token (not steel) in that order.
CPlayField::NewTokenPlan CPlayField::NumberNewTokens() const
{
    NewTokenPlan plan;
    for (int32_t c = 0; c < columns; ++c)
        for (int32_t r = rows - 1; r >= 0; --r)
            if (!cells[size_t(r)][size_t(c)])
            {
                plan.cells.push_back(CCellPos{c, r});
                const int32_t v = matchGrid.Get(r, c);
                plan.ordinaryNumber.push_back(std::abs(v) < 99 ? plan.ordinaryCount++ : -1);
            }
    return plan;
}

bool CPlayField::SourceHasGem(FillSource source, CCellPos p) const
{
    switch (source)
    {
    case FillSource::Level:
        return LayoutChar(level->gemRows, p.row, p.column) == 'g';
    case FillSource::QuestSave:
        return savedQuest->grids[0][size_t(p.row)][size_t(p.column)] < 0;
    case FillSource::SavedCells:
    {
        const CSavedCell& s = savedCells[size_t(p.row)][size_t(p.column)];
        return s.random == 0 && s.marked != 0;
    }
    case FillSource::Random:
        break;
    }
    return false;
}

void CPlayField::ChooseSourceGems(FillSource source, NewTokenPlan& plan)
{
    for (size_t i = 0; i < plan.cells.size(); ++i)
    {
        if (plan.ordinaryNumber[i] < 0 || !SourceHasGem(source, plan.cells[i]))
            continue;
        plan.gems.push_back(plan.ordinaryNumber[i]);
        // A saved quest's count of gems still to place already leaves these out.
        if (source != FillSource::QuestSave)
            gemsToPlace = std::max(gemsToPlace - 1, 0);
    }
}

void CPlayField::RollGems(NewTokenPlan& plan)
{
    int32_t onBoard = 0;
    for (const auto& row : cells)
        for (const auto& cell : row)
            if (cell && cell->held && HeldBonus(cell->held)->kind == kBonusGem)
                ++onBoard;
    const int32_t ordinaryCount = plan.ordinaryCount;
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
    std::vector<int32_t>& gems = plan.gems;  // kept sorted
    while (int32_t(gems.size()) < n)
    {
        const int32_t k = int32_t(RandomIndex(size_t(ordinaryCount)));
        const auto at = std::lower_bound(gems.begin(), gems.end(), k);
        if (at == gems.end() || *at != k)
            gems.insert(at, k);
    }
}

int32_t CPlayField::SourceLockCount(FillSource source, int32_t column, int32_t row) const
{
    if (source == FillSource::Level)
    {
        const char ch = LayoutChar(level->lockRows, row, column);
        if (ch >= '1' && ch <= '9')
            return ch - '0';
    }
    else if (source == FillSource::SavedCells && savedCells[size_t(row)][size_t(column)].lockCount > 0)
        return savedCells[size_t(row)][size_t(column)].lockCount;
    else if (source == FillSource::QuestSave && savedQuest->grids[1][size_t(row)][size_t(column)] > 0)
        return std::min(savedQuest->grids[1][size_t(row)][size_t(column)], kMostSavedLocks);
    return 1;
}

int32_t CPlayField::SourceFixed(FillSource source, int32_t column, int32_t row) const
{
    switch (source)
    {
    case FillSource::Level:
        return LayoutChar(level->fixedRows, row, column) == 'f' ? 1 : 0;
    case FillSource::SavedCells:
        return savedCells[size_t(row)][size_t(column)].random == 0 ? 1 : 0;
    case FillSource::QuestSave:
        return savedQuest->grids[4][size_t(row)][size_t(column)] == 1 ? 1 : 0;
    case FillSource::Random:
        break;
    }
    return 0;
}

// Each column's new tokens drop in from a random height above the board,
// every further one one to two cells higher.
void CPlayField::DropInNewTokens(FillSource source, const NewTokenPlan& plan)
{
    size_t nextGem = 0, index = 0;
    for (int32_t c = 0; c < columns; ++c)
    {
        const Vec3 top = CellToScreen(c, -2, false);
        float startY = top.y + RandomUnit() * cellHeight;
        for (int32_t r = rows - 1; r >= 0; --r)
        {
            if (cells[size_t(r)][size_t(c)])
                continue;
            const int32_t number = plan.ordinaryNumber[index++];
            const bool marked = number >= 0 && nextGem < plan.gems.size() && plan.gems[nextGem] == number;
            if (marked)
                ++nextGem;
            const CRefPtr<CCap> cap = MakeNewToken(source, c, r, Vec3{top.x, startY, 0.0f}, marked);
            cells[size_t(r)][size_t(c)] = cap;
            startY += (RandomUnit() + 1.0f) * cellHeight;
            cap->fixed = SourceFixed(source, c, r);
        }
    }
}

CRefPtr<CCap> CPlayField::MakeNewToken(FillSource source, int32_t column, int32_t row, Vec3 start, bool marked)
{
    const int32_t value = matchGrid.Get(row, column);
    CRefPtr<CCap> cap;
    capList.CreateCap(cap, std::abs(value) - 1, marked ? 1 : 0, start.x, start.y, 0.0f, tokenRadius, 1, origin[0],
                      origin[1], origin[2]);
    if (IsLocked(value))
        cap->SetLockCount(SourceLockCount(source, column, row));
    if (marked && bonusManager)
    {
        CRefPtr<CBonus> gem;
        bonusManager->CreateGem(gem, cap->colour, 1);
        if (gem)
        {
            gem->Place(start.x + origin[0], start.y + origin[1], origin[2], cap->radius, column, row);
            cap->SetHeld(gem);
        }
    }

    const float b = BounceRatio();
    const Vec3 target = CellToScreen(column, row, false);
    const float dy = start.y - target.y;
    const float t = std::sqrt(std::fabs(2.0f * dy / Gravity()));
    CCap::StartMove(cap, target.x, target.y, 0.0f, t, 1, 0, 1, 1, 2, 1);
    cap->active = 0;
    cap->placement = CCap::kPlaced;
    cap->arrival = CCap::kArrivalActivate;
    cap->path.AddCurveTo(Vec3{target.x, target.y + b * dy, 0.0f}, Vec3{1, 2, 1}, Vec3{1, 0, 1}, b * t);
    cap->path.AddCurveTo(Vec3{target.x, target.y, 0.0f}, Vec3{1, 0, 1}, Vec3{1, 2, 1}, b * t);
    cap->pathDuration = (2.0f * b + 1.0f) * t;
    cap->column = cap->previousColumn = column;
    cap->row = cap->previousRow = row;
    if (cap->look)
        cap->look->lightAllowed = 1;
    cap->ArmMidpointEvent();
    return cap;
}

// The bonus a level layout, a shuffle's saved cell or a quest save puts on a
// token; false when there is none.
bool CPlayField::SourceBonus(FillSource source, const CCap& cap, int32_t column, int32_t row, int32_t& kind,
                             int32_t& bonusLevel) const
{
    static const int32_t kLayoutKinds[6] = {kBonusTNT,   kBonusScore,      kBonusTime,
                                            kBonusFlash, kBonusSolidarity, kBonusAdviser};
    const size_t r = size_t(row), c = size_t(column);
    switch (source)
    {
    case FillSource::Level:
    {
        const char d = LayoutChar(level->bonusRows, row, column);
        if (d < '0' || d > '5')
            return false;
        const size_t digit = size_t(d - '0');
        kind = kLayoutKinds[digit];
        bonusLevel = digit < level->bonusLevels.size() ? level->bonusLevels[digit] : -1;
        if (bonusLevel < 0)
        {
            const size_t k = size_t(kind - 2);
            bonusLevel = rules && k < rules->kindLevels.size() ? rules->kindLevels[k] : -1;
        }
        bonusLevel = std::max(bonusLevel, 0);
        return true;
    }
    case FillSource::SavedCells:
    {
        const CSavedCell& s = savedCells[r][c];
        if (!cap.fixed || !s.hasBonus)
            return false;
        kind = s.bonusKind;
        bonusLevel = s.bonusLevel;
        return true;
    }
    case FillSource::QuestSave:
        kind = savedQuest->grids[2][r][c];
        bonusLevel = std::clamp(savedQuest->grids[3][r][c], -1, 4);
        return kind >= kBonusTNT && kind <= kBonusSolidarity;
    case FillSource::Random:
        break;
    }
    return false;
}

void CPlayField::PlaceSourceBonuses(FillSource source)
{
    if (!bonusManager)
        return;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const CRefPtr<CCap>& cap = cells[size_t(r)][size_t(c)];
            int32_t kind = 0, bonusLevel = 0;
            if (!cap || cap->marked || cap->held || !SourceBonus(source, *cap, c, r, kind, bonusLevel))
                continue;
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

// What a restored save brings besides the tokens: the totem shield and the
// totem that was chosen.
void CPlayField::RestoreSavedTotems()
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

void CPlayField::WriteTokenValues()
{
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
            if (cell)
                matchGrid.Set(r, c, TokenValue(*cell));
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
            const int64_t saved = inRecord ? savedQuest->grids[0][size_t(r)][size_t(c)] : CQuestSave::kEmptyCell;
            int32_t v = int32_t(std::min<int64_t>(saved < 0 ? -saved : saved, CQuestSave::kEmptyCell));
            // A cell the save recorded as empty, or a value that is no colour nor
            // steel, gets an ordinary colour rather than a token of an unknown kind.
            if (!IsSavedToken(v))
                v = DrawColour(steel) + 1;
            else if (savedQuest->grids[1][size_t(r)][size_t(c)] > 0)
                v = -v;
            matchGrid.Set(r, c, v);
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
                matchGrid.Set(r, c, v);
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

// The colour groups of a layout (letters 'A' to 'G'): each takes its size of
// colours from a shuffled deck of the level's colours.
std::vector<std::vector<int32_t>> CPlayField::DealColourGroups() const
{
    const CLevel& l = *level;
    std::vector<std::vector<int32_t>> groups;
    if (l.groupLetters.empty() || !l.GroupsFit(int(capsSet.size())))
        return groups;
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
    return groups;
}

// The level's colours in random order for the layout letters 'a' onwards; in
// the totem tip the first is a colour whose totem the player has.
std::vector<int32_t> CPlayField::PermuteColours()
{
    std::vector<int32_t> permutation = capsSet;
    if (tutorialStep != kTipTotem)
    {
        ShuffleColours(permutation, false);
        return permutation;
    }
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
    return permutation;
}

// The value a layout character asks for: a fixed colour '0' to '6', steel
// 's', a permuted colour 'a'.., a colour of a group 'A'..'G' or of a list
// 'I'..'O'; 0 leaves the cell to the random draw.
int32_t CPlayField::LayoutValue(char ch, const std::vector<int32_t>& permutation,
                                const std::vector<std::vector<int32_t>>& groups, int32_t& steel) const
{
    const CLevel& l = *level;
    if (ch >= '0' && ch <= '6')
        return ch - '0' + 1;
    if (ch == 's')
    {
        ++steel;
        return kSteelValue;
    }
    if (ch >= 'a' && size_t(ch - 'a') < permutation.size())
        return permutation[size_t(ch - 'a')] + 1;
    if (ch >= 'A' && ch <= 'G')
    {
        for (size_t g = 0; g < groups.size() && g < l.groupLetters.size(); ++g)
            if (l.groupLetters[g] == uint8_t(ch))
                return groups[g].empty() ? 0 : groups[g][RandomIndex(groups[g].size())] + 1;
    }
    else if (ch >= 'I' && ch <= 'O')
    {
        for (size_t i = 0; i < l.listLetters.size() && i < l.lists.size(); ++i)
            if (l.listLetters[i] == uint8_t(ch))
                return l.lists[i].empty() ? 0 : l.lists[i][RandomIndex(l.lists[i].size())] + 1;
    }
    return 0;
}

void CPlayField::GenerateColours(int32_t steelOnBoard, int32_t locksOnBoard)
{
    if (matchGrid.width != columns || matchGrid.height != rows)
        matchGrid.Resize(columns, rows);
    const CLevel& l = *level;

    // A layout whose fixed colours already make a line, or that leaves no
    // move, can never be drawn as asked: past the bound a layout with a move
    // stands even with a line, and past twice the bound the last one does.
    for (int attempt = 0;; ++attempt)
    {
        const std::vector<std::vector<int32_t>> groups = DealColourGroups();
        const std::vector<int32_t> permutation = PermuteColours();
        int32_t steel = steelOnBoard, locks = locksOnBoard;
        for (int32_t c = 0; c < columns; ++c)
            for (int32_t r = 0; r < rows; ++r)
            {
                const CRefPtr<CCap>& cell = cells[size_t(r)][size_t(c)];
                if (cell)
                {
                    matchGrid.Set(r, c, TokenValue(*cell));
                    continue;
                }
                int32_t v = LayoutValue(LayoutChar(l.beginRows, r, c), permutation, groups, steel);
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
                matchGrid.Set(r, c, v);
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
    if (!token || !token->held || HeldBonus(token->held)->state != kBonusFalling)
        return 1;
    CRefPtr<CCap> receiver;
    capList.PickRandomPlainCap(receiver);
    if (receiver)
    {
        receiver->SetHeld(token->held);
        token->held.Reset();
        return 1;
    }
    HeldBonus(token->held)->StartMove(0.5f);
    token->held.Reset();
    return 0;
}
