#include "challenges/MemoryChallenge.h"

#include "audio/SoundBank.h"
#include "engine/Random.h"

#include <algorithm>
#include <cmath>

namespace
{

// One round's layout: where the grid stands in the board's cells, its size,
// how many tokens of each look are dealt, and which cells take a plate ('#'),
// rows from the top.
struct MemoryDeal
{
    int32_t columnOffset;
    int32_t rowOffset;
    int32_t columns;
    int32_t rows;
    int32_t colourCount;
    int32_t counts[5];
    const char* cells[6];
};

// By difficulty 1..6: three rounds of tier 1, then three of tier 2. The
// counts are even and add up to the plates of the round.
const MemoryDeal kDeals[6] = {
    {2, 3, 4, 3, 3, {4, 4, 4}, {"####", "####", "####"}},
    {1, 3, 6, 3, 4, {4, 4, 4, 6}, {"######", "######", "######"}},
    {1, 2, 6, 6, 5, {6, 6, 6, 6, 4}, {".####.", "######", "#.##.#", "######", "##..##", ".####."}},
    {1, 3, 6, 4, 4, {4, 4, 4, 4}, {".#####", ".#...#", "##.#.#", "##.###"}},
    {0, 3, 8, 4, 4, {4, 4, 4, 6}, {"...##...", "..####..", ".##..##.", "########"}},
    {0, 3, 8, 5, 5, {6, 6, 6, 6, 4}, {"...##...", ".#####.#", "#.######", "########", ".####..#"}},
};

// A click's place in whole cells from the area origin, truncated toward
// zero; false when it lies nowhere near the board.
bool CellIndex(float offset, float cell, int32_t& index)
{
    const float cells = cell != 0.0f ? offset / cell : 0.0f;
    if (!std::isfinite(cells) || std::fabs(cells) > 1.0e6f)
        return false;
    index = int32_t(cells);
    return true;
}

} // namespace

CMemoryChallenge::CMemoryChallenge()
{
    tokens.reserve(8);
    found.reserve(8);
}

CMemoryChallenge::~CMemoryChallenge()
{
    tokens.clear();
    found.clear();
    ClearSprites();
    spriteGroup.Reset();
    soundBank.Reset();
}

void CMemoryChallenge::SetCapsManager(CRefPtr<CCapsManager> caps)
{
    MakeSpriteGroup(std::move(caps));
}

CCapSprite* CMemoryChallenge::PlateAt(int32_t column, int32_t row) const
{
    if (row < 0 || column < 0 || size_t(row) >= tokens.size() || size_t(column) >= tokens[size_t(row)].size())
        return nullptr;
    return tokens[size_t(row)][size_t(column)].Get();
}

float CMemoryChallenge::CellX(int32_t column) const
{
    return originX + cellWidth * (float(columnOffset + column) + 0.5f);
}

float CMemoryChallenge::CellY(int32_t row) const
{
    return originY - cellHeight * (float(rowOffset + row) + 0.5f);
}

void CMemoryChallenge::StartRound(int32_t difficulty)
{
    tokens.clear();
    found.clear();
    timer = 0.0f;
    subState = 0;
    ClearPicks();
    const MemoryDeal& deal = kDeals[std::clamp(difficulty, 1, 6) - 1];
    columnOffset = deal.columnOffset;
    rowOffset = deal.rowOffset;
    columns = deal.columns;
    rows = deal.rows;
    // Each cell that takes a plate draws a look until it meets one with
    // tokens left, so the round deals exactly the counts.
    int32_t left[5] = {};
    std::copy(deal.counts, deal.counts + deal.colourCount, left);
    std::vector<std::vector<int32_t>> looks(size_t(rows), std::vector<int32_t>(size_t(columns), -1));
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            if (deal.cells[r][c] != '#')
                continue;
            int32_t i = 0;
            do
                i = std::min(int32_t(RandomUnit() * float(deal.colourCount)), deal.colourCount - 1);
            while (left[i] == 0);
            looks[size_t(r)][size_t(c)] = i;
            --left[i];
        }
    tokens.assign(size_t(rows), std::vector<CRefPtr<CCapSprite>>(size_t(columns)));
    found.assign(size_t(rows), std::vector<int32_t>(size_t(columns), 0));
    // From the bottom row up, each plate ten cells above its place.
    for (int32_t r = rows - 1; r >= 0; --r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const int32_t look = looks[size_t(r)][size_t(c)];
            if (look < 0 || !spriteGroup)
                continue;
            CRefPtr<CCapSprite>& plate = tokens[size_t(r)][size_t(c)];
            spriteGroup->Add(plate, look, CellX(c), CellY(r) + 10.0f * cellHeight, originZ, lookArgument);
            FlyTo(*plate, CellX(c), CellY(r), originZ, 1);
        }
    state = kDealing;
}

int32_t CMemoryChallenge::OnClick(float x, float y)
{
    if (state != kWaiting)
        return kChallengeNothing;
    int32_t column = 0, row = 0;
    if (!CellIndex(x - originX, cellWidth, column) || !CellIndex(originY - y, cellHeight, row))
        return kChallengeNothing;
    column -= columnOffset;
    row -= rowOffset;
    CCapSprite* plate = PlateAt(column, row);
    if (!plate)
        return kChallengeNothing;
    const bool isFound =
        size_t(row) < found.size() && size_t(column) < found[size_t(row)].size() && found[size_t(row)][size_t(column)] == 1;
    if (isFound || (column == firstPick[0] && row == firstPick[1]))
    {
        if (soundBank)
            soundBank->PlayPanned(soundBank->Wrong, x, 0, 0);
        return kChallengeRejected;
    }
    int32_t* pick = firstPick[0] < 0 ? firstPick : secondPick;
    pick[0] = column;
    pick[1] = row;
    plate->state = 3;  // opening
    subState = 0;
    state = kJudging;
    if (soundBank)
        soundBank->PlayPanned(soundBank->BonusClick, plate->x, 0, 0);
    return kChallengeAccepted;
}

void CMemoryChallenge::FlyOutCaps()
{
    for (int32_t r = 0; r < int32_t(tokens.size()); ++r)
        for (int32_t c = 0; c < int32_t(tokens[size_t(r)].size()); ++c)
        {
            CRefPtr<CCapSprite>& plate = tokens[size_t(r)][size_t(c)];
            if (!plate)
                continue;
            FlyTo(*plate, CellX(c), CellY(r) + 10.0f * cellHeight, originZ, 2);
            plate.Reset();
        }
    state = kFlyingOut;
}

void CMemoryChallenge::ClearPicks()
{
    firstPick[0] = firstPick[1] = -1;
    secondPick[0] = secondPick[1] = -1;
}

bool CMemoryChallenge::AnyUnfoundPlate() const
{
    for (size_t r = 0; r < tokens.size(); ++r)
        for (size_t c = 0; c < tokens[r].size(); ++c)
        {
            const bool isFound = r < found.size() && c < found[r].size() && found[r][c] == 1;
            if (tokens[r][c] && !isFound)
                return true;
        }
    return false;
}

int32_t CMemoryChallenge::Judge()
{
    CCapSprite* first = PlateAt(firstPick[0], firstPick[1]);
    CCapSprite* second = PlateAt(secondPick[0], secondPick[1]);
    if (!second || !first)
    {
        state = kWaiting;
        return kChallengeNothing;
    }
    if (first->cardValue != second->cardValue)
    {
        subState = 1;
        timer = 0.0f;
        return kChallengeNothing;
    }
    pairPoints[0] = second->x;
    pairPoints[1] = second->y;
    pairPoints[2] = first->x;
    pairPoints[3] = first->y;
    for (const int32_t* pick : {firstPick, secondPick})
        if (size_t(pick[1]) < found.size() && size_t(pick[0]) < found[size_t(pick[1])].size())
            found[size_t(pick[1])][size_t(pick[0])] = 1;
    ClearPicks();
    if (!AnyUnfoundPlate())
        return kChallengeAllPairsFound;  // the state stays until the game flies the plates out
    state = kWaiting;
    if (soundBank)
        soundBank->Play(soundBank->GoodClick, 0, 0);
    return kChallengePairFound;
}

int32_t CMemoryChallenge::Update(float dt)
{
    if (spriteGroup)
        spriteGroup->Update(dt);
    switch (state)
    {
    case kDealing:
        if (AllAtRest())
        {
            subState = 0;
            timer = 0.0f;
            state = kWaiting;
            if (soundBank)
                soundBank->Play(soundBank->Drop, 0, 0);
        }
        return kChallengeNothing;
    case kFlyingOut:
        return spriteGroup && !spriteGroup->sprites.empty() ? kChallengeNothing : kChallengeRoundCleared;
    case kJudging:
        if (subState == 0)
            return AllAtRest() ? Judge() : kChallengeNothing;
        if (subState == 1)
        {
            timer += dt;
            if (timer < revealTime)
                return kChallengeNothing;
            CCapSprite* first = PlateAt(firstPick[0], firstPick[1]);
            CCapSprite* second = PlateAt(secondPick[0], secondPick[1]);
            float sumX = 0.0f;
            for (CCapSprite* plate : {first, second})
                if (plate)
                {
                    plate->state = 4;  // closing
                    sumX += plate->x;
                }
            if (soundBank)
                soundBank->PlayPanned(soundBank->BonusClick, sumX * 0.5f, 0, 0);
            timer = 0.0f;
            subState = 2;
            ClearPicks();
            return kChallengePairMismatch;
        }
        if (subState == 2 && AllAtRest())
        {
            subState = 0;
            timer = 0.0f;
            state = kWaiting;
        }
        return kChallengeNothing;
    default:
        return kChallengeNothing;
    }
}
