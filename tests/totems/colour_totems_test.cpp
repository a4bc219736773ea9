// The red, green and blue totems: what each sends the board by level and
// charge (the red missiles' blocks, the blue strikes and their neighbours, the
// green fire and seed), the delays the green rays give the board, the ends of
// their active phases, the blue shield, and the cases that must not break:
// a draw of exactly 1.0, a zero-length ray or bolt, a first frame longer than
// the blue charge, levels past the blue tables.
#include "board/BoardGeometry.h"
#include "platform/crt.h"
#include "tests/platform/files_testdir.h"
#include "totems/BlueTotem.h"
#include "totems/GreenTotem.h"
#include "totems/RedTotem.h"
#include "totems/TotemsManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace
{

const float kTotemFrame = 0.02f;

// Blue bodies have their two caps; green bodies of levels 3 and 4 their chain.
std::string ConfigText()
{
    const std::map<std::string, std::string> tuning = {
        {"Red", ""},
        {"Green", "Point2=64 64\nPoint3=64 64\nRaySpeed=1000\nRayLen=200\nPreRayTime=0.3\nRayInTermTime=0.1\n"
                  "UnigemFlyTime=0.5\nPauseTime=0.4\nChainTime=0.2\n"},
        {"Blue", "Bolt3Count=3\nTarget=64 64\nBoltSpeed=1000\nBoltSize=100 40\n"}};
    std::string cfg = "[Shared]\nMainSize=128 128\n";
    for (const auto& colour : tuning)
    {
        cfg += "[" + colour.first + "]\n" + colour.second;
        for (int n = 1; n <= 4; ++n)
        {
            const std::string main = "Main" + std::to_string(n);
            const bool caps = colour.first == "Blue", chain = colour.first == "Green" && n >= 3;
            cfg += "Shadow" + std::to_string(n) + "SpritesCount=1\nShadow" + std::to_string(n) + "Sprite0=0 0 0 128 128\n";
            cfg += main + "SpritesCount=" + std::to_string(caps ? 3 : chain ? 2 : 1) + "\n" + main +
                   "Sprite0=0 0 -1 128 128\n" + main + "Sprite1=44 60 -2 16 14\n" + main + "Sprite2=68 60 -2 16 14\n";
        }
        for (int i = 0; i < 3; ++i)
            cfg += "LightSprite" + std::to_string(i) + "=60 " + std::to_string(60 + 10 * i) + " 0 8 8\n";
    }
    return cfg;
}

// A seed whose first draw of RandomUnit is exactly 1.0.
unsigned SeedForTopDraw()
{
    for (unsigned seed = 0;; ++seed)
    {
        crt::srand(seed);
        if (crt::rand() == 32767)
            return seed;
    }
}

class ColourTotems : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.Write("Totems.cfg", ConfigText());
        m.LoadSettings((dir / "Totems.cfg").c_str());
        m.SetRenderObjects(CRefPtr<CDevice>(), list, particles, batch, nullptr);
        g_totemBoardGeometry = TotemBoardGeometry();
        crt::srand(7);
    }

    // A totem of the colour standing at the centre, as the manager leaves it on arrival.
    template <class T>
    T& AtCentre(int32_t colour, int32_t level)
    {
        m.CreateTotem(totem, colour, TotemMode::Centre, level, false);
        totem->SetPosition(-300.0f, -200.0f, -45.0f);
        totem->SetSize(128.0f, 128.0f);
        totem->m_state = TotemState::Idle;
        totem->SetAlpha(1.0f, true);
        return dynamic_cast<T&>(*totem);
    }

    // Runs the totem until its active phase ends; every record it sends on the way.
    std::vector<TotemCellRecord> RunPhase(int maxFrames = 500, float dt = kTotemFrame)
    {
        std::vector<TotemCellRecord> records;
        for (int i = 0; i < maxFrames; ++i)
        {
            const bool news = totem->Update(dt);
            totem->CollectRecords(records);
            particles->Update(dt);
            batch->Update(dt);
            if (news && (totem->m_event == TotemEvent::EndedActive || totem->m_event == TotemEvent::EndedActiveFull))
                return records;
        }
        ADD_FAILURE() << "the active phase never ended";
        return records;
    }

    TestDir dir;
    CRefPtr<CSpriteList> list{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CParticleSystemsManager> particles{
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CSpriteBatch> batch{new CSpriteBatch(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CTotemsManager m;
    CRefPtr<CTotem> totem;
};

TEST_F(ColourTotems, RedMissilesByLevelAndChargeBlastBlocksInsideTheBoard)
{
    struct Case
    {
        int32_t level, charge;
        std::vector<int32_t> classes;
        TotemState end;
    };
    for (const Case& k : {Case{1, 1, {1, 1}, TotemState::Spent}, Case{2, 1, {1, 1, 1, 1}, TotemState::Spent},
                          Case{3, 1, {2, 2, 1, 1}, TotemState::Rearmed}, Case{3, 2, {2, 2, 2, 2}, TotemState::Spent},
                          Case{4, 1, {2, 2, 2, 2}, TotemState::Rearmed}})
    {
        SCOPED_TRACE(k.level * 10 + k.charge);
        CRedTotem& red = AtCentre<CRedTotem>(kTotemRed, k.level);
        red.SetArmed(1);
        ASSERT_EQ(2u * k.classes.size(), red.m_balls.size());
        red.Activate(k.charge);
        EXPECT_TRUE(red.m_balls.empty());
        ASSERT_EQ(k.classes.size(), red.m_missiles.size());
        const std::vector<TotemCellRecord> records = RunPhase();
        ASSERT_EQ(k.classes.size(), records.size());
        // The nearer blocks burst first: the classes match as a set.
        std::multiset<int32_t> classes;
        for (const TotemCellRecord& r : records)
            classes.insert(r.value);
        EXPECT_EQ(std::multiset<int32_t>(k.classes.begin(), k.classes.end()), classes);
        for (const TotemCellRecord& r : records)
        {
            EXPECT_EQ(kTotemRed, r.kind);
            // A 2 by 2 block from its first cell, a 3 by 3 block round its centre: all on the board.
            const int32_t low = r.value == 2 ? 1 : 0;
            EXPECT_GE(r.column, low);
            EXPECT_GE(r.row, low);
            EXPECT_LE(r.column, 8 - 2);
            EXPECT_LE(r.row, 8 - 2);
        }
        EXPECT_EQ(k.end, red.m_state);
        EXPECT_EQ(k.charge == 2 ? TotemEvent::EndedActiveFull : TotemEvent::EndedActive, red.m_event);
        // Re-armed with four large balls for the second call.
        EXPECT_EQ(k.end == TotemState::Rearmed ? 8u : 0u, red.m_balls.size());
    }
}

TEST_F(ColourTotems, RedBlocksStayOnTheBoardWhenTheDrawIsExactlyOne)
{
    for (int32_t level : {1, 3})
    {
        CRedTotem& red = AtCentre<CRedTotem>(kTotemRed, level);
        red.SetArmed(1);
        crt::srand(SeedForTopDraw());
        red.Activate(1);
        ASSERT_FALSE(red.m_missiles.empty());
        const CRedTotemMissile& first = *red.m_missiles.front();
        // The first ball's column came from the top draw: the last block that fits
        // (a 2 by 2 block from column 6, or a 3 by 3 block round column 6).
        EXPECT_EQ(6, first.m_column);
        EXPECT_EQ(level == 1 ? 1 : 2, first.m_sizeClass);
    }
}

TEST_F(ColourTotems, RedArmingTopsUpToItsBallsAndActivationLaunchesOnlyThoseThatHover)
{
    CRedTotem& red = AtCentre<CRedTotem>(kTotemRed, 2);
    red.SetArmed(1);
    red.SetArmed(1);
    EXPECT_EQ(8u, red.m_balls.size()); // four balls, never more
    red.SetArmed(0);
    EXPECT_TRUE(red.m_balls.empty());
    red.Activate(1); // nothing hovers: nothing flies, and the phase ends at once
    EXPECT_TRUE(red.m_missiles.empty());
    EXPECT_TRUE(RunPhase(5).empty());
    EXPECT_EQ(TotemState::Spent, red.m_state);
}

TEST_F(ColourTotems, RedMissilesWaitBeforeTheyFlyAndLandOnTheirAimInALongFrame)
{
    CRedTotem& red = AtCentre<CRedTotem>(kTotemRed, 1);
    red.SetArmed(1);
    red.Activate(1);
    CRefPtr<CRedTotemMissile> missile = red.m_missiles.front();
    const Vec3 from = missile->m_position;
    red.Update(0.19f);
    EXPECT_FLOAT_EQ(from.x, missile->m_position.x);
    red.Update(5.0f);
    EXPECT_FLOAT_EQ(missile->m_to.x, missile->m_position.x);
    EXPECT_EQ(2u, red.m_spentMissiles.size());
    // The phase waits for the board to take the bursts.
    EXPECT_FALSE(red.Update(kTotemFrame));
    std::vector<TotemCellRecord> records;
    red.CollectRecords(records);
    EXPECT_EQ(2u, records.size());
    EXPECT_TRUE(red.Update(kTotemFrame));
}

TEST_F(ColourTotems, BlueStrikesEachSteelTokenAndFromLevelThreeItsNeighbours)
{
    struct Case
    {
        int32_t level, charge;
        size_t bolts; // charging bolts of the level's table
        std::vector<std::pair<int32_t, int32_t>> struck;
        float factor;
        TotemState end;
    };
    const std::vector<CCellPos> steel = {{3, 3}, {0, 7}};
    for (const Case& k :
         {Case{1, 1, 1, {{3, 3}, {0, 7}}, 0.0f, TotemState::Spent},
          Case{2, 1, 1, {{3, 3}, {0, 7}}, 0.0f, TotemState::Rearmed},
          Case{3, 2, 3, {{3, 3}, {2, 3}, {4, 3}, {3, 2}, {3, 4}, {0, 7}, {1, 7}, {0, 6}}, 1.0f, TotemState::Spent},
          Case{4, 1, 3, {{3, 3}, {2, 3}, {4, 3}, {3, 2}, {3, 4}, {0, 7}, {1, 7}, {0, 6}}, 1.0f, TotemState::Rearmed}})
    {
        SCOPED_TRACE(k.level * 10 + k.charge);
        CBlueTotem& blue = AtCentre<CBlueTotem>(kTotemBlue, k.level);
        ASSERT_EQ(1, blue.m_capsFramed);
        blue.Activate(k.charge);
        EXPECT_EQ(2 * k.bolts, blue.m_segmentLengths.size());
        // Charging, gathering, the caps burst: the totem asks for steel every frame.
        std::vector<TotemCellRecord> asks;
        for (int i = 0; i < 100 && !blue.m_strikeReady; ++i)
        {
            blue.Update(kTotemFrame);
            blue.CollectRecords(asks);
        }
        ASSERT_EQ(1, blue.m_strikeReady);
        EXPECT_GE(blue.m_phaseTimer, blue.m_settings.preTime + blue.m_settings.strikeTime);
        EXPECT_EQ(1, blue.m_shapes.back()->currentFrame); // the sockets show
        asks.clear();
        blue.CollectRecords(asks);
        ASSERT_EQ(1u, asks.size());
        EXPECT_EQ(k.charge + 1, asks[0].value);
        EXPECT_EQ(k.charge == 2, blue.CallsShield());

        std::vector<Vec3> points;
        for (const CCellPos& c : steel)
            points.push_back(Vec3{-150.0f + 83.0f * float(c.column), 300.0f - 83.0f * float(c.row), 0.0f});
        blue.OnMatch(points, steel);
        EXPECT_EQ(0, blue.m_strikeReady);
        const std::vector<TotemCellRecord> records = RunPhase();
        std::vector<std::pair<int32_t, int32_t>> struck;
        for (const TotemCellRecord& r : records)
        {
            EXPECT_EQ(kTotemBlue, r.kind);
            EXPECT_EQ(0, r.value);
            EXPECT_FLOAT_EQ(k.factor, r.factor);
            struck.push_back({r.column, r.row});
        }
        std::sort(struck.begin(), struck.end());
        std::vector<std::pair<int32_t, int32_t>> expected = k.struck;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, struck);
        EXPECT_EQ(k.end, blue.m_state);
        EXPECT_EQ(0, blue.m_shapes.back()->currentFrame); // the caps are whole again
        EXPECT_GE(blue.m_phaseTimer, blue.m_settings.preTime + blue.m_settings.strikeTime +
                                         (k.charge == 2 ? 1.2f : 0.35f) - kTotemFrame);
    }
}

TEST_F(ColourTotems, BlueKeepsItsBoltsPairedAfterALongFirstFrameAndWalksTheShorterList)
{
    CBlueTotem& blue = AtCentre<CBlueTotem>(kTotemBlue, 3);
    blue.Activate(1);
    blue.Update(1.0f); // longer than the charge and the gathering together
    EXPECT_EQ(6u, blue.m_segmentCentres.size());
    EXPECT_EQ(1, blue.m_strikeReady);
    // Three points, one cell: one bolt.
    const Vec3 away{200.0f, 100.0f, 0.0f};
    blue.OnMatch({away, away, away}, {CCellPos{2, 2}});
    ASSERT_EQ(1u, blue.m_flyingBolts.size());
    // A steel token right under the totem's point (the picture's centre) is struck at once.
    CBlueTotem& other = AtCentre<CBlueTotem>(kTotemBlue, 1);
    other.Activate(0);
    other.Update(1.0f);
    other.OnMatch({Vec3{-300.0f, -200.0f, 0.0f}}, {CCellPos{4, 4}});
    other.Update(kTotemFrame);
    EXPECT_TRUE(other.m_flyingBolts.empty());
    EXPECT_EQ(1u, other.m_arrivedBolts.size());
}

TEST_F(ColourTotems, BlueShieldPulsesWhileOnAndGoesAtOnceWhenOff)
{
    CBlueTotem& blue = AtCentre<CBlueTotem>(kTotemBlue, 2);
    blue.SetShieldMode(1);
    blue.Update(kTotemFrame);
    EXPECT_EQ(1u, blue.m_shieldShapes.size()); // the first one at once
    for (int i = 0; i < 150; ++i)
    {
        blue.Update(kTotemFrame);
        EXPECT_LE(blue.m_shieldShapes.size(), 3u);
    }
    EXPECT_GE(blue.m_shieldShapes.size(), 2u);
    blue.SetShieldMode(0);
    EXPECT_TRUE(blue.m_shieldShapes.empty());
    EXPECT_TRUE(blue.m_shieldAges.empty());
}

TEST_F(ColourTotems, BlueAtFullChargeTurnsTheManagersShieldOn)
{
    m.m_levels[kTotemBlue] = 1;
    m.CreateTotem(totem, kTotemBlue, TotemMode::Centre, 1, true);
    m.m_currentTotems[kTotemBlue] = totem;
    totem->m_state = TotemState::Idle;
    totem->Activate(2);
    for (int i = 0; i < 100 && m.m_shieldMode == 0; ++i)
        m.Update(kTotemFrame);
    EXPECT_EQ(1, m.m_shieldMode);
    EXPECT_EQ(1, static_cast<CBlueTotem&>(*totem).m_shieldMode);
}

TEST_F(ColourTotems, GreenRaysDelayEachGemTokenByTheTimeTheRayTakesToReachIt)
{
    CGreenTotem& green = AtCentre<CGreenTotem>(kTotemGreen, 2);
    green.Activate(1);
    std::vector<TotemCellRecord> records;
    green.CollectRecords(records);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(0, records[0].value); // fire: the board's gem tokens are wanted
    // Rays start at the picture's centre (Point2 = 64 64): delay = pre + (distance + length) / speed - lead.
    const Vec3 start{-300.0f, -200.0f, 0.0f};
    struct Case
    {
        float distance, delay;
    };
    const Case cases[] = {{300.0f, 0.3f + 0.5f - 0.1f}, {300.0f, 0.7f}, {0.0f, 0.3f + 0.2f - 0.1f}, {800.0f, 1.2f}};
    std::vector<Vec3> gems;
    for (const Case& c : cases)
        gems.push_back(Vec3{start.x + c.distance * 0.6f, start.y + c.distance * 0.8f, 0.0f});
    std::vector<float> delays;
    const std::vector<Vec3> targets = {{100.0f, 100.0f, 0.0f}, {150.0f, 100.0f, 0.0f}, {200.0f, 100.0f, 0.0f}};
    green.OnMatch(gems, targets, {CCellPos{1, 1}, CCellPos{2, 1}}, delays);
    ASSERT_EQ(4u, delays.size());
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(cases[i].delay, delays[i], 1e-4f);
    EXPECT_EQ(4u, green.m_rays.size());
    EXPECT_EQ(2u, green.m_unigems.size()); // the shorter of the target lists
    EXPECT_EQ(2, green.m_unigems[1]->column);
    // The zero-length ray is over on the first frame.
    green.m_waitingForMatch = 0;
    green.Update(kTotemFrame);
    EXPECT_EQ(3u, green.m_rays.size());
}

TEST_F(ColourTotems, GreenGemsLandAndThePhaseEndsByLevelAndCharge)
{
    struct Case
    {
        int32_t level, charge;
        TotemState end;
        int32_t chainFrame;
    };
    for (const Case& k : {Case{2, 1, TotemState::Spent, -1}, Case{3, 1, TotemState::Rearmed, 0},
                          Case{3, 2, TotemState::Spent, 1}, Case{4, 2, TotemState::Spent, 1}})
    {
        SCOPED_TRACE(k.level * 10 + k.charge);
        CGreenTotem& green = AtCentre<CGreenTotem>(kTotemGreen, k.level);
        green.SetArmed(1);
        ASSERT_TRUE(green.m_bigFlares[0] && green.m_bigFlares[1]);
        green.Activate(k.charge);
        std::vector<float> delays;
        green.OnMatch({Vec3{0.0f, 0.0f, 0.0f}}, {Vec3{100.0f, 100.0f, 0.0f}}, {CCellPos{5, 2}}, delays);
        green.m_waitingForMatch = 0; // the manager clears it after the call
        std::vector<TotemCellRecord> seeds;
        for (int i = 0; i < 200 && seeds.empty(); ++i)
        {
            green.Update(kTotemFrame);
            green.CollectRecords(seeds);
        }
        ASSERT_EQ(1u, seeds.size());
        EXPECT_EQ(1, seeds[0].value);
        EXPECT_GE(green.m_effectTimer, green.m_settings.unigemFlyTime);
        const Vec3 at = green.m_unigems[0]->position;
        EXPECT_NEAR(100.0f, at.x, 1e-3f);
        // The board secures the gems and empties the list; then the phase can end.
        green.m_unigems.clear();
        RunPhase();
        EXPECT_EQ(k.end, green.m_state);
        EXPECT_GT(green.m_effectTimer, green.m_settings.pauseTime);
        if (k.chainFrame >= 0)
        {
            EXPECT_EQ(k.chainFrame, green.m_shapes.back()->currentFrame);
        }
        EXPECT_EQ(k.chainFrame == 1 ? 1 : 0, green.m_chainBroken);
    }
}

TEST_F(ColourTotems, GreenDisarmedLosesItsFlaresAndALevelOneTotemHasNone)
{
    CGreenTotem& one = AtCentre<CGreenTotem>(kTotemGreen, 1);
    one.SetArmed(1);
    EXPECT_FALSE(one.m_bigFlares[0]);
    CGreenTotem& two = AtCentre<CGreenTotem>(kTotemGreen, 2);
    two.SetArmed(1);
    const size_t shown = list->visibleList.size() + list->hiddenList.size();
    two.SetArmed(0);
    EXPECT_FALSE(two.m_bigFlares[0]);
    EXPECT_EQ(shown - 2, list->visibleList.size() + list->hiddenList.size());
}

} // namespace
