// The challenges' deals and frames: the memory rounds by their table, clicks
// on their cells and the judging of picks; the reaction plates dealt, turned
// and stops judged; the attention tries dealt, shuffled and answered; and the
// accuracy stars settling in their slots. Plates are real caps sprites on a caps manager without a device;
// randomness is seeded and time is a fixed step.
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "platform/crt.h"
#include "render/SpriteShape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kPlateFrame = 1.0f / 60.0f;

CRefPtr<CCapsManager> Caps()
{
    return CRefPtr<CCapsManager>(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                  CRefPtr<CIndexBuffer>()));
}

CRefPtr<CCapSprite> AddPlate(CCapSpriteGroup& group, int32_t look, float x, float y)
{
    CRefPtr<CCapSprite> plate;
    group.Add(plate, look, x, y, 0.0f, 0);
    return plate;
}

// Frames until the update returns something other than 100; -1 past the limit.
template <class Challenge>
int FramesUntilResult(Challenge& c, int32_t& result, int limit = 600)
{
    for (int i = 1; i <= limit; ++i)
    {
        result = c.Update(kPlateFrame);
        if (result != kChallengeNothing)
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------------

class MemoryFrames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m.SetCapsManager(Caps());
        m.tokens.assign(1, {});
        m.found.assign(1, {0, 0, 0});
        for (int32_t look : {0, 1, 0})
            m.tokens[0].push_back(AddPlate(*m.spriteGroup, look, 100.0f * float(m.tokens[0].size()), 0.0f));
    }

    void Pick(int32_t first, int32_t second)
    {
        m.state = CMemoryChallenge::kJudging;
        m.subState = 0;
        m.firstPick[0] = first, m.firstPick[1] = 0;
        m.secondPick[0] = second, m.secondPick[1] = 0;
    }

    CMemoryChallenge m;
};

TEST_F(MemoryFrames, DealEndsWhenEveryPlateHasLanded)
{
    CPlateChallenge::FlyTo(*m.tokens[0][1], 100.0f, -50.0f, 0.0f, 1);
    m.state = CMemoryChallenge::kDealing;
    for (int i = 0; i < 59; ++i)
        ASSERT_EQ(kChallengeNothing, m.Update(kPlateFrame));
    EXPECT_EQ(CMemoryChallenge::kDealing, m.state);
    m.Update(2.0f * kPlateFrame);
    EXPECT_EQ(CMemoryChallenge::kWaiting, m.state);
    EXPECT_FLOAT_EQ(-50.0f, m.tokens[0][1]->y);
}

TEST_F(MemoryFrames, MismatchShowsForTheRevealTimeThenCloses)
{
    m.tokens[0][0]->state = 3;  // still turning open: the judgement waits
    Pick(0, 1);
    int32_t result = 0;
    const int frames = FramesUntilResult(m, result);
    EXPECT_EQ(kChallengePairMismatch, result);
    // The turn (0.16 s) first, then the half second of looking.
    EXPECT_NEAR(0.5f + 4.9f / 30.0f, float(frames) * kPlateFrame, 2.5f * kPlateFrame);
    EXPECT_EQ(4, m.tokens[0][0]->state);
    EXPECT_EQ(4, m.tokens[0][1]->state);
    EXPECT_EQ(-1, m.firstPick[0]);
    EXPECT_EQ(-1, m.secondPick[0]);
    EXPECT_EQ((std::vector<int32_t>{0, 0, 0}), m.found[0]);
    FramesUntilResult(m, result, 30);
    EXPECT_EQ(CMemoryChallenge::kWaiting, m.state);
}

TEST_F(MemoryFrames, PairsAreFoundUntilTheLastEndsTheRound)
{
    Pick(2, 0);
    EXPECT_EQ(kChallengePairFound, m.Update(kPlateFrame));
    EXPECT_EQ((std::vector<int32_t>{1, 0, 1}), m.found[0]);
    EXPECT_FLOAT_EQ(0.0f, m.pairPoints[0]);   // the second pick's point first
    EXPECT_FLOAT_EQ(200.0f, m.pairPoints[2]);
    EXPECT_EQ(CMemoryChallenge::kWaiting, m.state);

    // The plate left has no partner on the grid: drop it, and the round's
    // last pair is the one found above when judged again.
    m.tokens[0][1].Reset();
    m.found[0] = {0, 0, 0};
    Pick(0, 2);
    EXPECT_EQ(kChallengeAllPairsFound, m.Update(kPlateFrame));
    EXPECT_EQ(CMemoryChallenge::kJudging, m.state);  // until the game flies the plates out

    // A pick with no second plate goes back to waiting.
    Pick(0, -1);
    EXPECT_EQ(kChallengeNothing, m.Update(kPlateFrame));
    EXPECT_EQ(CMemoryChallenge::kWaiting, m.state);
}

TEST_F(MemoryFrames, RoundClearedOnceEveryPlateHasFlownOut)
{
    for (const CRefPtr<CCapSprite>& plate : m.tokens[0])
        CPlateChallenge::FlyTo(*plate, plate->x, 830.0f, 0.0f, 2);
    m.state = CMemoryChallenge::kFlyingOut;
    int32_t result = 0;
    const int frames = FramesUntilResult(m, result);
    EXPECT_EQ(kChallengeRoundCleared, result);
    EXPECT_NEAR(1.0f, float(frames) * kPlateFrame, 1.5f * kPlateFrame);  // the one-second flight
    EXPECT_TRUE(m.spriteGroup->sprites.empty());
}

// A memory round dealt by its table: the grid's place and size, which cells
// take a plate, and exactly the counts of each look; the plates fly in from
// ten cells above their places and land after a second.
TEST(MemoryDeal, EachDifficultyDealsItsTableAndLandsInASecond)
{
    struct Case
    {
        int32_t difficulty;
        int32_t columnOffset, rowOffset, columns, rows;
        std::vector<int32_t> counts;
        std::vector<const char*> cells;
    } cases[] = {
        {1, 2, 3, 4, 3, {4, 4, 4}, {"####", "####", "####"}},
        {2, 1, 3, 6, 3, {4, 4, 4, 6}, {"######", "######", "######"}},
        {3, 1, 2, 6, 6, {6, 6, 6, 6, 4}, {".####.", "######", "#.##.#", "######", "##..##", ".####."}},
        {4, 1, 3, 6, 4, {4, 4, 4, 4}, {".#####", ".#...#", "##.#.#", "##.###"}},
        {5, 0, 3, 8, 4, {4, 4, 4, 6}, {"...##...", "..####..", ".##..##.", "########"}},
        {6, 0, 3, 8, 5, {6, 6, 6, 6, 4}, {"...##...", ".#####.#", "#.######", "########", ".####..#"}},
        // Outside 1..6: the nearest difficulty.
        {0, 2, 3, 4, 3, {4, 4, 4}, {"####", "####", "####"}},
        {9, 0, 3, 8, 5, {6, 6, 6, 6, 4}, {"...##...", ".#####.#", "#.######", "########", ".####..#"}},
    };
    crt::srand(7);
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.difficulty);
        CMemoryChallenge m;
        m.SetCapsManager(Caps());
        m.StartRound(k.difficulty);
        EXPECT_EQ(CMemoryChallenge::kDealing, m.state);
        EXPECT_EQ(k.columnOffset, m.columnOffset);
        EXPECT_EQ(k.rowOffset, m.rowOffset);
        ASSERT_EQ(k.columns, m.columns);
        ASSERT_EQ(k.rows, m.rows);
        std::vector<int32_t> counts(k.counts.size(), 0);
        size_t plates = 0;
        for (int32_t r = 0; r < k.rows; ++r)
            for (int32_t c = 0; c < k.columns; ++c)
            {
                CCapSprite* plate = m.PlateAt(c, r);
                ASSERT_EQ(k.cells[size_t(r)][c] == '#', plate != nullptr) << "cell " << c << ", " << r;
                if (!plate)
                    continue;
                ++plates;
                ASSERT_LT(size_t(plate->cardValue), counts.size());
                ++counts[size_t(plate->cardValue)];
                EXPECT_EQ(1, plate->state);
                EXPECT_FLOAT_EQ(m.originY - m.cellHeight * (float(k.rowOffset + r) - 10.0f + 0.5f), plate->y);
                EXPECT_EQ(0, plate->face);
            }
        EXPECT_EQ(k.counts, counts);
        EXPECT_EQ(plates, m.spriteGroup->sprites.size());
        int frames = 0;
        while (m.state == CMemoryChallenge::kDealing && frames < 600)
            m.Update(kPlateFrame), ++frames;
        EXPECT_NEAR(1.0f, float(frames) * kPlateFrame, 1.5f * kPlateFrame);
        CCapSprite* corner = nullptr;
        for (int32_t c = 0; !corner && c < k.columns; ++c)
            corner = m.PlateAt(c, 0);
        ASSERT_TRUE(corner);
        EXPECT_FLOAT_EQ(m.originY - m.cellHeight * (float(k.rowOffset) + 0.5f), corner->y);
    }
}

// Clicks land on cells counted from the area origin, truncated toward zero.
TEST(MemoryClicks, ClicksPickPlatesAndRejectFoundOnesAndTheOpenFirstPick)
{
    crt::srand(9);
    CMemoryChallenge m;
    m.SetCapsManager(Caps());
    m.StartRound(5);  // column offset 0: the grid starts at the area's left edge
    EXPECT_EQ(kChallengeNothing, m.OnClick(m.originX + 40.0f, m.originY - 3.5f * m.cellHeight));  // still dealing
    for (int i = 0; i < 600 && m.state != CMemoryChallenge::kWaiting; ++i)
        m.Update(kPlateFrame);
    const float row3 = m.originY - 3.5f * m.cellHeight;  // grid row 0
    const float row6 = m.originY - 6.5f * m.cellHeight;  // grid row 3, full
    struct Case
    {
        const char* name;
        float x, y;
        int32_t result;
    } misses[] = {
        {"a cell without a plate", m.originX + 0.5f * m.cellWidth, row3, kChallengeNothing},
        {"above the grid", m.originX + 3.5f * m.cellWidth, m.originY - 1.5f * m.cellHeight, kChallengeNothing},
        {"right of the grid", m.originX + 8.5f * m.cellWidth, row6, kChallengeNothing},
        {"far off", -1.0e30f, row6, kChallengeNothing},
    };
    for (const Case& k : misses)
        EXPECT_EQ(k.result, m.OnClick(k.x, k.y)) << k.name;
    EXPECT_EQ(-1, m.firstPick[0]);

    // Less than a cell left of the origin is still column 0.
    EXPECT_EQ(kChallengeAccepted, m.OnClick(m.originX - 0.5f * m.cellWidth, row6));
    EXPECT_EQ(0, m.firstPick[0]);
    EXPECT_EQ(3, m.firstPick[1]);
    EXPECT_EQ(CMemoryChallenge::kJudging, m.state);
    EXPECT_EQ(3, m.PlateAt(0, 3)->state);
    EXPECT_EQ(kChallengeNothing, m.OnClick(m.originX + 1.5f * m.cellWidth, row6));  // judging
    for (int i = 0; i < 600 && m.state != CMemoryChallenge::kWaiting; ++i)
        m.Update(kPlateFrame);
    EXPECT_EQ(kChallengeRejected, m.OnClick(m.originX + 0.5f * m.cellWidth, row6));  // the open first pick
    m.found[3][1] = 1;
    EXPECT_EQ(kChallengeRejected, m.OnClick(m.originX + 1.5f * m.cellWidth, row6));
    EXPECT_EQ(kChallengeAccepted, m.OnClick(m.originX + 2.5f * m.cellWidth, row6));
    EXPECT_EQ(2, m.secondPick[0]);
    EXPECT_EQ(3, m.secondPick[1]);
}

// A round played by clicks: each pair found scores, the last one ends the
// round, and the plates fly off.
TEST(MemoryClicks, ARoundPlayedToTheLastPairThenFliesOut)
{
    crt::srand(4);
    CMemoryChallenge m;
    m.SetCapsManager(Caps());
    m.StartRound(1);
    auto settle = [&m](int32_t& result) {
        for (int i = 0; i < 600; ++i)
        {
            result = m.Update(kPlateFrame);
            if (result != kChallengeNothing || m.state == CMemoryChallenge::kWaiting)
                return;
        }
    };
    int32_t result = kChallengeNothing;
    settle(result);
    auto click = [&m](int32_t c, int32_t r) {
        return m.OnClick(m.originX + m.cellWidth * (float(m.columnOffset + c) + 0.5f),
                         m.originY - m.cellHeight * (float(m.rowOffset + r) + 0.5f));
    };
    // A mismatch first: a plate of look 0 and one of look 1.
    std::vector<std::pair<int32_t, int32_t>> byLook[3];
    for (int32_t r = 0; r < m.rows; ++r)
        for (int32_t c = 0; c < m.columns; ++c)
            byLook[m.PlateAt(c, r)->cardValue].push_back({c, r});
    ASSERT_EQ(kChallengeAccepted, click(byLook[0][0].first, byLook[0][0].second));
    settle(result);
    ASSERT_EQ(kChallengeAccepted, click(byLook[1][0].first, byLook[1][0].second));
    settle(result);
    EXPECT_EQ(kChallengePairMismatch, result);
    settle(result);
    std::vector<int32_t> results;
    for (auto& cells : byLook)
        for (size_t i = 0; i + 1 < cells.size(); i += 2)
        {
            ASSERT_EQ(kChallengeAccepted, click(cells[i].first, cells[i].second));
            settle(result);
            ASSERT_EQ(kChallengeAccepted, click(cells[i + 1].first, cells[i + 1].second));
            settle(result);
            results.push_back(result);
        }
    EXPECT_EQ(std::vector<int32_t>(5, kChallengePairFound), std::vector<int32_t>(results.begin(), results.end() - 1));
    EXPECT_EQ(kChallengeAllPairsFound, results.back());
    m.FlyOutCaps();
    EXPECT_EQ(CMemoryChallenge::kFlyingOut, m.state);
    EXPECT_EQ(nullptr, m.PlateAt(0, 0));
    const int frames = FramesUntilResult(m, result);
    EXPECT_EQ(kChallengeRoundCleared, result);
    EXPECT_NEAR(1.0f, float(frames) * kPlateFrame, 1.5f * kPlateFrame);
}

// ---------------------------------------------------------------------------------
// Reaction
// ---------------------------------------------------------------------------------

class ReactionFrames : public ::testing::Test
{
protected:
    void Deal(const std::vector<int32_t>& looks)
    {
        r.SetCapsManager(Caps());
        r.plates.clear();
        for (size_t i = 0; i < looks.size(); ++i)
            r.plates.push_back(AddPlate(*r.spriteGroup, looks[i], 83.0f * float(i), 0.0f));
        r.state = CReactionChallenge::kTurning;
    }

    CReactionChallenge r;
};

TEST_F(ReactionFrames, NeverMoreThanThreeEmptyPlatesInARow)
{
    crt::srand(11);
    Deal({7, 7, 7, 7, 7, 7, 7, 2});
    int32_t run = 0, longest = 0, tokens = 0, last = -1;
    for (int i = 0; i < 60 * 60; ++i)
    {
        r.Update(kPlateFrame);
        if (r.currentPlate >= 0 && r.currentPlate != last)
        {
            const bool empty = r.plates[size_t(r.currentPlate)]->cardValue == CReactionChallenge::kEmptyLook;
            run = empty ? run + 1 : 0;
            tokens += empty ? 0 : 1;
            longest = std::max(longest, run);
        }
        last = r.currentPlate;
    }
    EXPECT_EQ(3, longest);
    EXPECT_GT(tokens, 10);
}

TEST_F(ReactionFrames, EmptyPlatesAloneStillTurn)
{
    crt::srand(3);
    Deal({7, 7});
    r.emptyRun = r.maxEmptyRun;
    r.timer = r.pause;
    r.Update(kPlateFrame);  // no token anywhere: an empty draw is taken, not drawn forever
    EXPECT_GE(r.currentPlate, 0);
    EXPECT_EQ(r.maxEmptyRun + 1, r.emptyRun);
}

TEST_F(ReactionFrames, StopsAreJudgedOnceThePlatesRest)
{
    struct Case
    {
        const char* name;
        int32_t plate;    // -1: every plate closed (the pause)
        int32_t result;
    };
    for (const Case& k : {Case{"token turning open", 1, kChallengeAccepted},
                          Case{"empty plate turning open", 0, kChallengeRejected},
                          Case{"during the pause", -1, kChallengeRejected}})
    {
        SCOPED_TRACE(k.name);
        Deal({7, 4, 7});
        if (k.plate >= 0)
        {
            r.currentPlate = k.plate;
            r.subState = 1;
            r.plates[size_t(k.plate)]->state = 3;
        }
        EXPECT_EQ(kChallengeNothing, r.OnStop(0.0f, 0.0f));
        EXPECT_EQ(CReactionChallenge::kJudging, r.state);
        int32_t result = 0;
        const int frames = FramesUntilResult(r, result);
        EXPECT_EQ(k.result, result);
        EXPECT_EQ(k.plate >= 0 ? 10 : 1, frames);  // a turn of 4.9 / 30 s finishes first
        EXPECT_EQ(CReactionChallenge::kJudging, r.state);
    }
    // A stop outside the turning state changes nothing.
    r.state = CReactionChallenge::kFlyingIn;
    r.OnStop(0.0f, 0.0f);
    EXPECT_EQ(CReactionChallenge::kFlyingIn, r.state);
}

TEST_F(ReactionFrames, TheLastCatchSendsThePlatesOff)
{
    Deal({7, 4, 7});
    r.state = CReactionChallenge::kJudging;
    r.subState = 2;  // as the board leaves it after a catch
    r.catches = r.target = 12;
    int32_t result = 0;
    const int frames = FramesUntilResult(r, result);
    EXPECT_EQ(kChallengePlatesGone, result);
    EXPECT_NEAR(r.afterCatchWait + 1.0f, float(frames) * kPlateFrame, 2.5f * kPlateFrame);
    EXPECT_TRUE(r.plates.empty());

    // A miss: after its wait every opened plate closes and the turning goes on.
    Deal({7, 4, 7});
    r.plates[2]->SetFrame(4);
    r.state = CReactionChallenge::kJudging;
    r.subState = 1;
    r.timer = r.afterMissWait;
    r.Update(kPlateFrame);
    EXPECT_EQ(CReactionChallenge::kTurning, r.state);
    EXPECT_EQ(4, r.plates[2]->state);
    EXPECT_EQ(0, r.plates[0]->state);
}

// The deal: twelve tokens and six empty plates in rows 2 to 4, columns 1 to
// 6, flying in for a second; the timings of the tier; a miss costs what its
// pop-up says.
TEST(ReactionDeal, TwelveTokensUnderEighteenPlatesAndTheTiersTimings)
{
    struct Case
    {
        int32_t tier;
        float showTime;
        float lastShowTime;  // after eleven catches
    } cases[] = {{1, 0.85f, 0.4835f}, {2, 0.75f, 0.4266f}};
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.tier);
        crt::srand(unsigned(k.tier));
        CReactionChallenge r;
        r.SetCapsManager(Caps());
        r.Start(k.tier);
        EXPECT_EQ(CReactionChallenge::kFlyingIn, r.state);
        EXPECT_FLOAT_EQ(k.showTime, r.showTime);
        EXPECT_FLOAT_EQ(0.25f, r.pause);
        EXPECT_FLOAT_EQ(1.0f, r.afterCatchWait);
        EXPECT_FLOAT_EQ(3.0f, r.afterMissWait);
        EXPECT_FLOAT_EQ(5.0f, r.penalty);
        ASSERT_EQ(18u, r.plates.size());
        int32_t tokens = 0;
        for (size_t i = 0; i < r.plates.size(); ++i)
        {
            const CCapSprite& plate = *r.plates[i];
            tokens += plate.cardValue < CReactionChallenge::kEmptyLook ? 1 : 0;
            EXPECT_LE(plate.cardValue, CReactionChallenge::kEmptyLook);
            EXPECT_FLOAT_EQ(r.originX + r.cellWidth * (float(i % 6) + 1.5f), plate.x);
            EXPECT_EQ(1, plate.state);
        }
        EXPECT_EQ(12, tokens);
        int32_t result = 0;
        EXPECT_EQ(-1, FramesUntilResult(r, result, 59));
        r.Update(2.0f * kPlateFrame);
        EXPECT_EQ(CReactionChallenge::kTurning, r.state);
        EXPECT_FLOAT_EQ(r.originY - r.cellHeight * 2.5f, r.plates[0]->y);
        EXPECT_FLOAT_EQ(r.originY - r.cellHeight * 4.5f, r.plates[17]->y);
        for (int i = 0; i < 11; ++i)
            r.SpeedUp();
        EXPECT_NEAR(k.lastShowTime, r.showTime, 0.001f);
        EXPECT_NEAR(0.2003f, r.pause, 0.001f);
    }
}

TEST(ReactionDeal, NoPlateLeftNoPlateOpens)
{
    CReactionChallenge r;
    r.SetCapsManager(Caps());
    r.state = CReactionChallenge::kTurning;
    r.emptyRun = r.maxEmptyRun;
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(kChallengeNothing, r.Update(kPlateFrame));
    EXPECT_EQ(-1, r.currentPlate);
}

// ---------------------------------------------------------------------------------
// Attention
// ---------------------------------------------------------------------------------

class AttentionFrames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        crt::srand(5);
        a.SetCapsManager(Caps());
        for (int32_t i = 0; i < 3; ++i)
        {
            a.plates.push_back(AddPlate(*a.spriteGroup, i == 1 ? 3 : 7, a.SlotX(i), a.TopY()));
            a.plates.back()->turnPosition = 4.0f;
            a.plates.back()->SetFrame(4);
            CPlateChallenge::FlyTo(*a.plates.back(), a.SlotX(i), a.RowY(), 0.0f, 1);
            a.slotOrder[size_t(i)] = i;
        }
        a.state = CAttentionChallenge::kDropIn;
    }

    CAttentionChallenge a;
};

TEST_F(AttentionFrames, ATryShufflesItsSwapsThenAsksWhere)
{
    a.swapCount = 3;
    a.swapTime = 0.75f;
    a.pause = 0.25f;
    int32_t result = 0;
    bool arcs = false;
    int frames = 0;
    for (; frames < 1200; ++frames)
    {
        result = a.Update(kPlateFrame);
        if (result != kChallengeNothing)
            break;
        // Halfway through a swap the two plates pass on opposite arcs.
        if (a.state == CAttentionChallenge::kShuffle && a.subState == 0 && std::fabs(a.timer - 0.375f) < 0.01f)
        {
            const float up = a.plates[size_t(a.plateFromA)]->y - a.RowY();
            const float down = a.plates[size_t(a.plateFromB)]->y - a.RowY();
            arcs = std::fabs(up - 1.5f * a.cellHeight) < 2.0f && std::fabs(down + 1.5f * a.cellHeight) < 2.0f;
        }
    }
    EXPECT_EQ(kChallengeAskWhere, result);
    EXPECT_EQ(CAttentionChallenge::kChoose, a.state);
    EXPECT_TRUE(arcs);
    // Drop-in 1 s, show 1 s, closing past 0.4 s, three swaps with their
    // pauses, and a frame for each step that starts its clock anew.
    EXPECT_NEAR(1.0f + 1.0f + 0.4f + 3.0f * 1.0f + 6.0f * kPlateFrame, float(frames + 1) * kPlateFrame, 2.0f * kPlateFrame);
    std::vector<int32_t> order = a.slotOrder;
    std::sort(order.begin(), order.end());
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2}), order);
    for (int32_t k = 0; k < 3; ++k)
    {
        EXPECT_FLOAT_EQ(a.SlotX(k), a.plates[size_t(a.slotOrder[size_t(k)])]->x);
        EXPECT_FLOAT_EQ(a.RowY(), a.plates[size_t(a.slotOrder[size_t(k)])]->y);
        EXPECT_EQ(0, a.plates[size_t(k)]->face);  // closed
    }
}

TEST_F(AttentionFrames, AWrongAnswerShowsTheTokenBeforeThePlatesLeave)
{
    for (const CRefPtr<CCapSprite>& plate : a.plates)
    {
        plate->state = 0;
        plate->turnPosition = 0.0f;
        plate->SetFrame(0);
    }
    a.state = CAttentionChallenge::kReveal;
    a.subState = 0;
    a.chosenPlate = 2;
    a.plates[2]->state = 3;
    int32_t result = 0;
    EXPECT_NEAR(0.5f, float(FramesUntilResult(a, result)) * kPlateFrame, 1.5f * kPlateFrame);
    EXPECT_EQ(kChallengeAccepted, result);
    EXPECT_EQ(2, a.subState);
    EXPECT_EQ(3, a.plates[1]->state);  // the token's plate opens
    EXPECT_EQ(3, a.plates[0]->state);
    const int frames = FramesUntilResult(a, result);
    EXPECT_EQ(kChallengeTriesOver, result);
    EXPECT_NEAR(0.5f + 1.0f, float(frames) * kPlateFrame, 2.5f * kPlateFrame);
    EXPECT_TRUE(a.plates.empty());
}

// A try's deal: three open plates over their slots, the token under the
// second; more and quicker swaps for each right answer so far.
TEST(AttentionDeal, ATryDealsThreeOpenPlatesAndSwapsByTheRightAnswers)
{
    struct Case
    {
        int32_t tier, rightAnswers, swaps;
        float swapTime, pause;
    } cases[] = {{1, 0, 3, 0.75f, 0.25f}, {2, 0, 3, 0.65f, 0.25f}, {2, 4, 7, 0.3393f, 0.1305f}};
    for (const Case& k : cases)
    {
        SCOPED_TRACE(testing::Message() << "tier " << k.tier << ", right " << k.rightAnswers);
        crt::srand(2);
        CAttentionChallenge a;
        a.SetCapsManager(Caps());
        a.rightAnswers = k.rightAnswers;
        a.StartRound(1, k.tier);
        EXPECT_EQ(CAttentionChallenge::kDropIn, a.state);
        EXPECT_EQ(k.swaps, a.swapCount);
        EXPECT_NEAR(k.swapTime, a.swapTime, 0.001f);
        EXPECT_NEAR(k.pause, a.pause, 0.001f);
        ASSERT_EQ(3u, a.plates.size());
        for (int32_t i = 0; i < 3; ++i)
        {
            const CCapSprite& plate = *a.plates[size_t(i)];
            EXPECT_EQ(i == 1, plate.cardValue < CAttentionChallenge::kEmptyLook) << i;
            EXPECT_EQ(4, plate.face);
            EXPECT_FLOAT_EQ(a.SlotX(i), plate.x);
            EXPECT_FLOAT_EQ(a.TopY(), plate.y);
            EXPECT_EQ(1, plate.state);
            EXPECT_EQ(i, a.slotOrder[size_t(i)]);
        }
        // Landed after a second, where the shuffle starts from.
        int32_t result = 0;
        FramesUntilResult(a, result, 61);
        EXPECT_EQ(CAttentionChallenge::kShow, a.state);
        EXPECT_FLOAT_EQ(a.RowY(), a.plates[2]->y);
    }
}

TEST_F(AttentionFrames, OnlyAClickOnAPlateWhileChoosingIsTaken)
{
    for (int32_t i = 0; i < 3; ++i)
    {
        a.plates[size_t(i)]->state = 0;
        a.plates[size_t(i)]->x = a.SlotX(i);
        a.plates[size_t(i)]->y = a.RowY();
    }
    const float y = a.RowY();
    EXPECT_EQ(kChallengeNothing, a.OnClick(a.SlotX(1), y));  // still dropping in
    a.state = CAttentionChallenge::kChoose;
    EXPECT_EQ(kChallengeNothing, a.OnClick(a.SlotX(1) + 42.0f, y));  // the plate's edge
    EXPECT_EQ(kChallengeNothing, a.OnClick(a.SlotX(1), y + 50.0f));
    // Two plates overlapping the click: the lower index wins.
    a.plates[2]->x = a.SlotX(1) + 20.0f;
    EXPECT_EQ(kChallengeAccepted, a.OnClick(a.SlotX(1) + 10.0f, y));
    EXPECT_EQ(1, a.chosenPlate);
    EXPECT_EQ(CAttentionChallenge::kReveal, a.state);
    EXPECT_EQ(3, a.plates[1]->state);
    EXPECT_EQ(0, a.plates[2]->state);
    EXPECT_EQ(kChallengeNothing, a.OnClick(a.SlotX(0), y));  // a second click in the reveal
    EXPECT_EQ(1, a.chosenPlate);
}

// ---------------------------------------------------------------------------------
// Accuracy
// ---------------------------------------------------------------------------------

TEST(AccuracyFrames, CaughtStarsSettleAndTheEndWaitsForThem)
{
    CAccuracyChallenge c;
    EXPECT_EQ(100, c.Update(kPlateFrame));  // idle
    auto star = [](float x, float y) {
        CRefPtr<CAccuracyStar> s(new CAccuracyStar());
        s->shape = CRefPtr<CSpriteShape>(new CSpriteShape(x, y, 0.0f, 64.0f, 64.0f, 0xFFFF80FF, {}, 1));
        s->duration = 0.5f;
        return s;
    };
    // Enters at 576, stops 600 to the left at half time and leaves where it came in.
    CRefPtr<CAccuracyStar> flying = star(576.0f, 0.0f);
    flying->xStart = 576.0f;
    flying->xAcceleration = 4.0f * 600.0f / 0.25f;
    flying->xVelocity = -flying->xAcceleration * 0.5f;
    flying->yStart = 100.0f;
    flying->yVelocity = -200.0f;
    CRefPtr<CAccuracyStar> caught = star(100.0f, 50.0f);
    caught->state = CAccuracyStar::kCaught;
    caught->catchPosition[0] = 100.0f;
    caught->catchPosition[1] = 50.0f;
    caught->slotPosition[0] = -164.5f;
    caught->slotPosition[1] = -358.5f;
    c.stars = {flying, caught};
    c.state = CAccuracyChallenge::kEnding;
    const CRefPtr<CSpriteShape> flyingShape = flying->shape;
    flying.Reset();  // the list alone holds it

    EXPECT_EQ(100, c.Update(0.25f));
    EXPECT_FLOAT_EQ(-24.0f, flyingShape->position.x);
    EXPECT_FLOAT_EQ(50.0f, flyingShape->position.y);
    EXPECT_FLOAT_EQ(-32.25f, caught->shape->position.x);
    EXPECT_FLOAT_EQ(48.0f, caught->shape->scaleX);  // halfway from the star's size to the slot's
    EXPECT_EQ(2u, c.stars.size());

    EXPECT_EQ(107, c.Update(0.25f));
    ASSERT_EQ(1u, c.stars.size());  // the uncaught star left through its entry
    EXPECT_EQ(CAccuracyStar::kResting, caught->state);
    EXPECT_FLOAT_EQ(-164.5f, caught->shape->position.x);
    EXPECT_FLOAT_EQ(-358.5f, caught->shape->position.y);
    EXPECT_FLOAT_EQ(32.0f, caught->shape->scaleX);
    EXPECT_EQ(1, flyingShape->mortal);  // its shape leaves the sprite list
    EXPECT_FLOAT_EQ(0.0f, flyingShape->life);
}

} // namespace
