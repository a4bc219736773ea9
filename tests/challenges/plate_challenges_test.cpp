// The challenges' frames: the memory challenge judging picks, the reaction
// challenge turning plates and judging stops, the attention challenge's try
// from the drop-in to the answer, and the accuracy stars settling in their
// slots. Plates are real caps sprites on a caps manager without a device;
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

constexpr float kFrame = 1.0f / 60.0f;

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
        result = c.Update(kFrame);
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
        ASSERT_EQ(kChallengeNothing, m.Update(kFrame));
    EXPECT_EQ(CMemoryChallenge::kDealing, m.state);
    m.Update(2.0f * kFrame);
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
    EXPECT_NEAR(0.5f + 4.9f / 30.0f, float(frames) * kFrame, 2.5f * kFrame);
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
    EXPECT_EQ(kChallengePairFound, m.Update(kFrame));
    EXPECT_EQ((std::vector<int32_t>{1, 0, 1}), m.found[0]);
    EXPECT_FLOAT_EQ(0.0f, m.pairPoints[0]);   // the second pick's point first
    EXPECT_FLOAT_EQ(200.0f, m.pairPoints[2]);
    EXPECT_EQ(CMemoryChallenge::kWaiting, m.state);

    // The plate left has no partner on the grid: drop it, and the round's
    // last pair is the one found above when judged again.
    m.tokens[0][1].Reset();
    m.found[0] = {0, 0, 0};
    Pick(0, 2);
    EXPECT_EQ(kChallengeAllPairsFound, m.Update(kFrame));
    EXPECT_EQ(CMemoryChallenge::kJudging, m.state);  // until the game flies the plates out

    // A pick with no second plate goes back to waiting.
    Pick(0, -1);
    EXPECT_EQ(kChallengeNothing, m.Update(kFrame));
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
    EXPECT_NEAR(1.0f, float(frames) * kFrame, 1.5f * kFrame);  // the one-second flight
    EXPECT_TRUE(m.spriteGroup->sprites.empty());
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
        r.Update(kFrame);
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
    r.Update(kFrame);  // no token anywhere: an empty draw is taken, not drawn forever
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
    EXPECT_NEAR(r.afterCatchWait + 1.0f, float(frames) * kFrame, 2.5f * kFrame);
    EXPECT_TRUE(r.plates.empty());

    // A miss: after its wait every opened plate closes and the turning goes on.
    Deal({7, 4, 7});
    r.plates[2]->SetFrame(4);
    r.state = CReactionChallenge::kJudging;
    r.subState = 1;
    r.timer = r.afterMissWait;
    r.Update(kFrame);
    EXPECT_EQ(CReactionChallenge::kTurning, r.state);
    EXPECT_EQ(4, r.plates[2]->state);
    EXPECT_EQ(0, r.plates[0]->state);
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
        result = a.Update(kFrame);
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
    EXPECT_NEAR(1.0f + 1.0f + 0.4f + 3.0f * 1.0f + 6.0f * kFrame, float(frames + 1) * kFrame, 2.0f * kFrame);
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
    EXPECT_NEAR(0.5f, float(FramesUntilResult(a, result)) * kFrame, 1.5f * kFrame);
    EXPECT_EQ(kChallengeAccepted, result);
    EXPECT_EQ(2, a.subState);
    EXPECT_EQ(3, a.plates[1]->state);  // the token's plate opens
    EXPECT_EQ(3, a.plates[0]->state);
    const int frames = FramesUntilResult(a, result);
    EXPECT_EQ(kChallengeTriesOver, result);
    EXPECT_NEAR(0.5f + 1.0f, float(frames) * kFrame, 2.5f * kFrame);
    EXPECT_TRUE(a.plates.empty());
}

// ---------------------------------------------------------------------------------
// Accuracy
// ---------------------------------------------------------------------------------

TEST(AccuracyFrames, CaughtStarsSettleAndTheEndWaitsForThem)
{
    CAccuracyChallenge c;
    EXPECT_EQ(100, c.Update(kFrame));  // idle
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
