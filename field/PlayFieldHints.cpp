// Teaching the player: the tip picker, which decides while the board is quiet
// whether one of the numbered tips should be shown now (and which page of a
// tip comes next), and the move hints, which point the adviser at every token
// that takes part in some legal swap.
#include "field/PlayField.h"

#include "board/LevelParams.h"
#include "saves/Profiles.h"

#include <cmath>

namespace
{

constexpr float kTimerTipAfter = 30.0f;
constexpr float kSandboxTipAfter = 60.0f;
constexpr int32_t kWrongTipsPerLevel = 3;
constexpr float kHintDrop = 0.3f;  // cell heights from the token's centre

enum
{
    kTipGem = 2,
    kTipWrong = 3,
    kTipTimer = 4,
    kTipSandbox = 5,
    kTipLock = 8,
    kTipSteel = 9,
};

} // namespace

int32_t CPlayField::PickTip(int32_t& page)
{
    page = 0;
    if (!playerSettings || !playerSettings->questTutorial)
        return 0;
    const int32_t* shownFlags = playerSettings->tipsSeen;
    auto shown = [shownFlags](int32_t tip) { return shownFlags[tip - 1] != 0; };

    // The next page of a tip of several pages.
    struct FollowUp
    {
        int32_t tip, page, nextPage;
    };
    static const FollowUp kFollowUps[] = {
        {kTipBase, 2, 4}, {kTipBonus, 2, 4}, {kTipTotem, 0, 2}, {kTipTotem, 4, 6}, {kTipTotem, 8, 10},
    };
    for (const FollowUp& f : kFollowUps)
        if (tutorialStep == f.tip && tutorialDetail == f.page)
        {
            page = f.nextPage;
            return f.tip;
        }
    if (tutorialStep != 0)
        return 0;
    if (playKind != 0 || inputLocked != 0 || !inputOpen || selectionCancelled != 0)
        return 0;

    auto anyCell = [this](auto test) {
        for (const auto& row : cells)
            for (const CRefPtr<CCap>& cap : row)
                if (cap && test(*cap))
                    return true;
        return false;
    };
    const int32_t levelNumber = rules ? rules->level : 0;
    const float tipClock = counters.third.GetFloat(kCounterTime);

    if (levelNumber == 1 && !shown(kTipBase))
        return kTipBase;
    if (levelNumber == 1 && !shown(kTipGem))
        return anyCell([](const CCap& cap) { return cap.marked != 0; }) ? kTipGem : 0;
    if (!shown(kTipTimer) && tipClock >= kTimerTipAfter)
        return kTipTimer;
    if (levelNumber >= 2 && !shown(kTipSandbox) && tipClock >= kSandboxTipAfter)
        return kTipSandbox;
    if (wrongMove && !shown(kTipWrong) && wrongMoveCount < kWrongTipsPerLevel)
    {
        ++wrongMoveCount;
        wrongMove = 0;
        return kTipWrong;
    }
    if (levelNumber == 2 && !shown(kTipBonus))
        return kTipBonus;
    if (levelNumber > 5 && !shown(kTipLock))
        return anyCell([](const CCap& cap) { return cap.lockCount > 0; }) ? kTipLock : 0;
    if (levelNumber > 13 && !shown(kTipSteel))
        return anyCell([](const CCap& cap) { return cap.colour >= CCap::kSpecial; }) ? kTipSteel : 0;
    return 0;
}

void CPlayField::ShowMoveHints()
{
    RebuildValueGrid();
    if (matchGrid.HasLine(3, false))
        return;
    std::vector<CSwapMove> moves;
    matchGrid.CollectMoves(moves, 3, false);
    std::vector<Vec3> places;
    auto add = [&](int32_t column, int32_t row) {
        Vec3 p = CellToScreen(column, row, true);
        p.y += kHintDrop * cellHeight;
        for (const Vec3& q : places)
            if (q.x == p.x && q.y == p.y)
                return;
        places.push_back(p);
    };
    for (const CSwapMove& m : moves)
    {
        add(m.column1, m.row1);
        add(m.column2, m.row2);
    }
    adviser.ShowGroupHint(places);
}
