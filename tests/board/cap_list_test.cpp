// Tokens and the token list: moves along paths with their arrival codes, the
// hover wobble, hit tests, random picks, colours and the looks the list keeps
// in the caps manager.
#include "board/Cap.h"
#include "board/CapsManager.h"
#include "bonuses/Bonus.h"
#include "audio/SoundBank.h"
#include "platform/audio/recording.h"
#include "platform/crt.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class CapListTest : public ::testing::Test
{
protected:
    CapListTest()
        : manager(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()))
    {
        list.capsManager = manager;
    }

    // A placed, active, resting token at (x, y) with the board offset (100, 50).
    CRefPtr<CCap> Placed(int32_t colour, float x, float y)
    {
        CRefPtr<CCap> cap;
        list.CreateCap(cap, colour, 0, x, y, 0.0f, 30.0f, 1, 100.0f, 50.0f, 0.0f);
        cap->placement = CCap::kPlaced;
        cap->active = 1;
        return cap;
    }

    CRefPtr<CCapsManager> manager;
    CCapList list;
};

TEST_F(CapListTest, TokenFollowsItsPathAndReportsItsArrival)
{
    CRefPtr<CCap> cap = Placed(3, 0.0f, 0.0f);
    CCap::StartMove(cap, 0.0f, -80.0f, 0.0f, 0.5f, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(CCap::kMoving, cap->state);
    for (int frame = 1; frame <= 4; ++frame)
    {
        EXPECT_EQ(0, list.Update(0.1f, -999.0f, -999.0f)) << frame;
        // Straight slopes: an even pace along the path.
        EXPECT_NEAR(-16.0f * frame, cap->position[1], 1e-3f) << frame;
        EXPECT_FLOAT_EQ(cap->position[1] + 50.0f, cap->look->y);
        EXPECT_FLOAT_EQ(100.0f, cap->look->x);
    }
    ASSERT_EQ(1, list.Update(0.1f, -999.0f, -999.0f));
    EXPECT_TRUE(list.events[0].first.SameAs(cap));
    EXPECT_EQ(CCap::kEventArrived, list.events[0].second);
    EXPECT_FLOAT_EQ(-80.0f, cap->position[1]);
    // The list leaves the state to the caller; a token sent away reports 2.
    cap->state = CCap::kMovingAway;
    EXPECT_EQ(1, list.Update(0.1f, -999.0f, -999.0f));
    EXPECT_EQ(CCap::kEventLeft, list.events[0].second);
    cap->state = CCap::kParked;
    EXPECT_EQ(0, list.Update(0.1f, -999.0f, -999.0f));
}

TEST_F(CapListTest, MidpointIsReportedOnceAndOnlyByTokensInStateOne)
{
    for (int32_t state : {CCap::kMoving, CCap::kMovingAway})
    {
        CRefPtr<CCap> cap = Placed(1, 0.0f, 0.0f);
        cap->path.ResetLinear(Vec3{0, 0, 0}, Vec3{0, -10, 0}, 0.2f);
        cap->path.AddLineTo(Vec3{0, -20, 0}, 0.2f);
        cap->path.AddLineTo(Vec3{0, -30, 0}, 0.2f);
        cap->pathDuration = 0.6f;
        cap->pathTime = 0.0f;
        cap->state = state;
        cap->ArmMidpointEvent();
        int midpoints = 0;
        for (int frame = 0; frame < 5; ++frame)
            if (cap->Update(0.1f, false, false) == CCap::kEventMidpoint)
                ++midpoints;
        EXPECT_EQ(state == CCap::kMoving ? 1 : 0, midpoints) << "state " << state;
        EXPECT_EQ(state, cap->Update(0.2f, false, false));
    }
}

TEST_F(CapListTest, OneLandingSoundInAnyTwentiethOfASecond)
{
    CRefPtr<CCap> a = Placed(0, 0.0f, 0.0f), b = Placed(1, 60.0f, 0.0f);
    for (auto* c : {&a, &b})
    {
        CCap::StartMove(*c, (*c)->position[0], -40.0f, 0.0f, 0.1f, 1, 1, 1, 1, 1, 1);
        (*c)->ArmMidpointEvent();
    }
    EXPECT_FLOAT_EQ(10.0f, list.soundTimer);
    list.Update(0.1f, -999.0f, -999.0f);  // both land together: one sound, the timer restarts
    EXPECT_FLOAT_EQ(0.0f, list.soundTimer);
    list.Update(0.02f, -999.0f, -999.0f);  // they report again: too soon for a second sound
    EXPECT_FLOAT_EQ(0.02f, list.soundTimer);
}

TEST_F(CapListTest, HoveredTokenWobblesUnlessLocked)
{
    CRefPtr<CCap> free = Placed(2, 0.0f, 0.0f), locked = Placed(4, 200.0f, 0.0f);
    locked->SetLockCount(1);
    EXPECT_EQ(1, locked->look->lockCount);
    for (int i = 0; i < 30; ++i)
    {
        list.Update(0.05f, 100.0f + 5.0f, 50.0f + 5.0f);
        list.Update(0.0f, 300.0f, 50.0f);
    }
    EXPECT_FLOAT_EQ(3.0f, free->wobbleAmplitude);
    const float dx = free->drawnPosition[0] - free->position[0], dy = free->drawnPosition[1] - free->position[1];
    EXPECT_GT(dx * dx + dy * dy, 0.0f);
    EXPECT_LE(std::fabs(dx), 3.0f + 1e-4f);
    EXPECT_FLOAT_EQ(0.0f, locked->wobbleAmplitude);
    EXPECT_FLOAT_EQ(locked->position[0], locked->drawnPosition[0]);
    // Away from the mouse the wobble dies down at half the speed it grew.
    for (int i = 0; i < 25; ++i)
        list.Update(0.05f, -999.0f, -999.0f);
    EXPECT_FLOAT_EQ(0.0f, free->wobbleAmplitude);
    EXPECT_FLOAT_EQ(free->position[0], free->drawnPosition[0]);
}

TEST_F(CapListTest, HitTestFindsThePlacedTokenUnderThePoint)
{
    CRefPtr<CCap> cap = Placed(0, 0.0f, 0.0f);  // centre (100, 50), radius 30
    struct Case
    {
        const char* what;
        float x, y;
        int32_t placement, state, lock;
        bool hit;
    };
    const Case cases[] = {
        {"centre", 100, 50, CCap::kPlaced, CCap::kResting, 0, true},
        {"inside the radius", 121, 71, CCap::kPlaced, CCap::kResting, 0, true},
        {"in the square, off the circle", 125, 75, CCap::kPlaced, CCap::kResting, 0, false},
        {"moving in state 1", 100, 50, CCap::kPlaced, CCap::kMoving, 0, true},
        {"leaving in state 2", 100, 50, CCap::kPlaced, CCap::kMovingAway, 0, false},
        {"not placed yet", 100, 50, CCap::kNew, CCap::kResting, 0, false},
        {"locked", 100, 50, CCap::kPlaced, CCap::kResting, 2, false},
    };
    for (const Case& c : cases)
    {
        cap->placement = c.placement;
        cap->state = c.state;
        cap->lockCount = c.lock;
        CRefPtr<CCap> out;
        list.HitTest(out, c.x, c.y);
        EXPECT_EQ(c.hit, out.SameAs(cap) && out.IsValid()) << c.what;
        EXPECT_EQ(c.hit, out.IsValid()) << c.what;
    }
}

TEST_F(CapListTest, RandomPickPrefersOrdinaryColours)
{
    crt::srand(7);
    CRefPtr<CCap> special = Placed(98, 0, 0), steel = Placed(100, 60, 0);
    CRefPtr<CCap> out;
    // Only special tokens: one of them.
    list.PickRandomPlainCap(out);
    EXPECT_TRUE(out.SameAs(special) || out.SameAs(steel));

    CRefPtr<CCap> plain = Placed(2, 120, 0), withBonus = Placed(3, 180, 0), parked = Placed(4, 240, 0);
    CRefPtr<CCap> locked = Placed(5, 300, 0);
    withBonus->SetHeld(CRefPtr<CBonus>(new CBonus()));
    EXPECT_EQ(3, HeldBonus(withBonus->held)->colour);
    parked->state = CCap::kParked;
    locked->lockCount = 1;
    for (int i = 0; i < 50; ++i)
    {
        list.PickRandomPlainCap(out);
        EXPECT_TRUE(out.SameAs(plain)) << i;
    }
    // Nothing eligible: no token.
    plain->placement = CCap::kNew;
    special->placement = steel->placement = CCap::kNew;
    list.PickRandomPlainCap(out);
    EXPECT_FALSE(out.IsValid());
}

TEST_F(CapListTest, IdleOnlyWhenEveryPlacedTokenRestsActive)
{
    CRefPtr<CCap> cap = Placed(0, 0, 0);
    EXPECT_TRUE(list.IsIdle());
    cap->active = 0;
    EXPECT_FALSE(list.IsIdle());
    cap->active = 1;
    cap->state = CCap::kMoving;
    EXPECT_FALSE(list.IsIdle());
    cap->placement = CCap::kNew;  // tokens not yet in a cell do not count
    EXPECT_TRUE(list.IsIdle());
}

TEST_F(CapListTest, ColoursLooksAndTheirArgb)
{
    const std::pair<int32_t, uint32_t> argb[] = {
        {0, 0xFF40FF40u}, {1, 0xFFFFFF40u}, {2, 0xFFFF4040u}, {3, 0xFF4040FFu}, {4, 0xFFFFC040u},
        {5, 0xFFFFFFFFu}, {6, 0xFFFF40FFu}, {98, 0xFFFFFFFFu}, {100, 0xFFFFFFFFu}, {7, 0xFFFFFFFFu},
    };
    for (const auto& c : argb)
    {
        CCap cap;
        cap.colour = c.first;
        EXPECT_EQ(c.second, cap.GetColorArgb()) << c.first;
    }

    CRefPtr<CCap> marked;
    list.CreateCap(marked, 2, 1, 0, 0, 0, 30.0f, 1, 0, 0, 0);
    EXPECT_EQ(52, marked->look->lookValue);
    // Colours outside 0..6 draw as special tokens, marked or not.
    CRefPtr<CCap> stray;
    list.CreateCap(stray, 23, 1, 0, 0, 0, 30.0f, 1, 0, 0, 0);
    EXPECT_EQ(CCapsManager::kSpecialLook, stray->look->lookValue);

    // A new colour makes a new look that keeps the locks; the old look leaves.
    marked->SetLockCount(2);
    CRefPtr<CCapFrame> old = marked->look;
    list.SetColour(marked, 6);
    EXPECT_FALSE(marked->look.SameAs(old));
    EXPECT_EQ(56, marked->look->lookValue);
    EXPECT_EQ(2, marked->look->lockCount);
    EXPECT_EQ(-1, manager->RemoveLook(old));
    list.SetMarked(marked, 0);
    EXPECT_EQ(6, marked->look->lookValue);

    EXPECT_EQ(2u, manager->looks.size());
    list.Remove(stray, true);
    EXPECT_EQ(1u, manager->looks.size());
    EXPECT_EQ(1u, list.caps.size());
    list.Clear();
    EXPECT_TRUE(manager->looks.empty());
    EXPECT_TRUE(list.caps.empty());
}

TEST_F(CapListTest, TokensOfATagMoveWithTheirOrigin)
{
    CRefPtr<CCap> a = Placed(0, 0, 0);
    CRefPtr<CCap> b;
    list.CreateCap(b, 1, 0, 0, 0, 0, 30.0f, 2, 0, 0, 0);
    list.SetOriginByTag(7.0f, 8.0f, 9.0f, 1);
    EXPECT_FLOAT_EQ(7.0f, a->offset[0]);
    EXPECT_FLOAT_EQ(9.0f, a->offset[2]);
    EXPECT_FLOAT_EQ(0.0f, b->offset[0]);
    list.Update(0.0f, -999.0f, -999.0f);
    EXPECT_FLOAT_EQ(8.0f, a->look->y);
}

TEST_F(CapListTest, LockedClicksAndLandingsPlayTheirSoundsPanned)
{
    platform::audio::AudioRecorder& rec = platform::audio::UseRecordingBackend();
    const std::string folder = ::testing::TempDir() + "cap_list_sounds/";
    std::filesystem::create_directories(folder);
    for (const char* name : {"Drop.wav", "SelectSteel.wav"})
        std::ofstream(folder + name) << "RIFF";
    CRefPtr<CSoundBank> bank(new CSoundBank());
    ASSERT_FALSE(bank->Init(nullptr));
    bank->Drop = bank->LoadSound(folder.c_str(), "Drop.wav", 6, 8, 0);
    bank->SelectSteel = bank->LoadSound(folder.c_str(), "SelectSteel.wav", 6, 8, 0);
    ASSERT_TRUE(bank->Drop && bank->SelectSteel);
    bank->Drop->panFactors[0] = bank->SelectSteel->panFactors[0] = 1.0f;
    list.soundBank = bank;
    rec.Clear();

    // A click on a locked token: the locked sound, panned at the click.
    CRefPtr<CCap> locked = Placed(0, 200.0f, 0.0f);
    locked->lockCount = 1;
    CRefPtr<CCap> out;
    list.HitTest(out, 300.0f, 50.0f);
    EXPECT_FALSE(out.IsValid());
    auto plays = rec.Calls("BASS_SamplePlayEx");
    ASSERT_EQ(1u, plays.size());
    EXPECT_EQ(int64_t(bank->SelectSteel->samples[0]), plays[0].Arg(0));
    EXPECT_EQ(bank->PanFor(1.0f, 300.0f), plays[0].Arg(4));

    // Two tokens landing in one frame: one landing sound at their mean x.
    rec.Clear();
    CRefPtr<CCap> a = Placed(1, -100.0f, 0.0f), b = Placed(2, 300.0f, 0.0f);
    for (auto* c : {&a, &b})
    {
        CCap::StartMove(*c, (*c)->position[0], -40.0f, 0.0f, 0.1f, 1, 1, 1, 1, 1, 1);
        (*c)->ArmMidpointEvent();
    }
    list.Update(0.1f, -999.0f, -999.0f);
    plays = rec.Calls("BASS_SamplePlayEx");
    ASSERT_EQ(1u, plays.size());
    EXPECT_EQ(int64_t(bank->Drop->samples[0]), plays[0].Arg(0));
    EXPECT_EQ(bank->PanFor(1.0f, 100.0f), plays[0].Arg(4));
    list.Update(0.01f, -999.0f, -999.0f);
    EXPECT_EQ(1, rec.Count("BASS_SamplePlayEx"));

    list.soundBank.Reset();
    bank.Reset();
    platform::audio::UseMixerBackend();
}

} // namespace
