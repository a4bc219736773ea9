// The white, violet, yellow and orange totems: what each hands the board by
// level and charge (repaint counts, bonus picks, score and time), how their
// phases end, the paint streams, and the panel and shop pictures of the manager.
#include "board/LevelParams.h"
#include "effects/CollectionParticleSystem.h"
#include "effects/DropsSprayKeeper.h"
#include "effects/ParticleSystemsManager.h"
#include "render/SpriteList.h"
#include "tests/platform/files_testdir.h"
#include "totems/OrangeTotem.h"
#include "totems/TotemsManager.h"
#include "totems/VioletTotem.h"
#include "totems/WhiteTotem.h"
#include "totems/YellowTotem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

const float kColourFrame = 0.02f;

// Runs a totem until its phase ends; the records it handed over on the way.
std::vector<TotemCellRecord> RunPhase(CTotem& totem, int maxFrames = 500)
{
    std::vector<TotemCellRecord> records;
    for (int i = 0; i < maxFrames; ++i)
    {
        const bool news = totem.Update(kColourFrame);
        totem.CollectRecords(records);
        if (news && (totem.m_event == TotemEvent::EndedActive || totem.m_event == TotemEvent::EndedActiveFull))
            break;
    }
    return records;
}

template <class Totem>
CRefPtr<Totem> Unleashed(int32_t level, int32_t charge)
{
    CRefPtr<Totem> totem(new Totem());
    totem->m_level = level;
    totem->Init(TotemMode::Centre, CRefPtr<CTotemShapeSets>());
    totem->SetAlpha(1.0f, true);
    totem->Activate(charge - 1);
    return totem;
}

struct ByCharge
{
    int32_t level, charge;
    int32_t expected;
    TotemState end;
};

// From level 3 a partial charge leaves the totem armed again.
const ByCharge kEnds[] = {
    {1, 2, 0, TotemState::Spent},   {1, 3, 0, TotemState::Spent},   {2, 2, 0, TotemState::Spent},
    {3, 2, 0, TotemState::Rearmed}, {3, 3, 0, TotemState::Spent},   {4, 2, 0, TotemState::Rearmed},
    {4, 3, 0, TotemState::Spent},
};

TEST(WhiteTotem, AsksForTheRepaintCountOfItsLevelAndCharge)
{
    const ByCharge cases[] = {{1, 2, 6, {}},  {1, 3, 6, {}},  {2, 2, 9, {}}, {3, 2, 10, {}},
                              {3, 3, 12, {}}, {4, 2, 11, {}}, {4, 3, 15, {}}};
    for (const ByCharge& c : cases)
    {
        CRefPtr<CWhiteTotem> white = Unleashed<CWhiteTotem>(c.level, c.charge);
        for (int frame = 0; frame < 3; ++frame)
        {
            std::vector<TotemCellRecord> records;
            white->Update(kColourFrame);
            white->CollectRecords(records);
            // Asked again every frame until the board answers.
            ASSERT_EQ(1u, records.size());
            EXPECT_EQ(kTotemWhite, records[0].kind);
            EXPECT_EQ(c.expected, records[0].value) << "level " << c.level << " charge " << c.charge;
        }
    }
}

TEST(WhiteTotem, StreamsLandOnTheChosenCellsInOneColourThenThePhaseEnds)
{
    for (const ByCharge& c : kEnds)
    {
        CRefPtr<CWhiteTotem> white = Unleashed<CWhiteTotem>(c.level, c.charge);
        white->m_settings.paintDropSpeed = 2000.0f;
        white->SetPosition(-300.0f, -200.0f, 0.0f);
        const std::vector<Vec3> points = {{0.0f, 0.0f, 0.0f}, {100.0f, 250.0f, 0.0f}, {-50.0f, -300.0f, 0.0f}};
        const std::vector<CCellPos> cells = {{1, 2}, {3, 4}, {5, 6}};
        white->OnMatchCells(points, cells);
        EXPECT_EQ(0, white->m_awaitingCells);
        ASSERT_EQ(3u, white->m_activeStreams.size());
        const std::vector<TotemCellRecord> records = RunPhase(*white);
        std::vector<TotemCellRecord> repaints;
        for (const TotemCellRecord& r : records)
            if (r.value == 0)
                repaints.push_back(r);
        ASSERT_EQ(3u, repaints.size());
        std::vector<int32_t> seen;
        for (const TotemCellRecord& r : repaints)
        {
            EXPECT_EQ(kTotemWhite, r.kind);
            EXPECT_EQ(repaints[0].extra, r.extra); // one paint for the whole unleashing
            seen.push_back(r.column * 10 + r.row);
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ((std::vector<int32_t>{12, 34, 56}), seen);
        EXPECT_EQ(c.end, white->m_state) << "level " << c.level << " charge " << c.charge;
        // Over: the board is told to look for moves.
        std::vector<TotemCellRecord> last;
        white->CollectRecords(last);
        ASSERT_EQ(1u, last.size());
        EXPECT_EQ(-1, last[0].value);
    }
}

TEST(WhiteTotem, AStreamWithNoDistanceOrNoSpeedLandsAtOnce)
{
    for (const float speed : {0.0f, 800.0f})
    {
        CPaintStream stream;
        const Vec3 a{10.0f, 10.0f, 0.0f};
        const Vec3 target = speed == 0.0f ? Vec3{200.0f, -100.0f, 0.0f} : a;
        stream.Start(a, a, target, 40.0f, 40.0f, 2, 3, 4, 0xCCFFD040u, speed, 0);
        EXPECT_FALSE(stream.Update(kColourFrame)) << "speed " << speed;
    }
    // A target above the bend point flies one segment; below it, two.
    CPaintStream up, down;
    up.Start({0, 0, 0}, {0, 50, 0}, {0, 150, 0}, 40, 40, 0, 0, 0, 0xFFFFFFFFu, 100.0f, 0);
    down.Start({0, 0, 0}, {0, 50, 0}, {0, -150, 0}, 40, 40, 0, 0, 0, 0xFFFFFFFFu, 100.0f, 0);
    EXPECT_EQ(1u, up.m_path.segments.size());
    EXPECT_FLOAT_EQ(1.5f, up.m_duration);
    EXPECT_EQ(2u, down.m_path.segments.size());
    EXPECT_FLOAT_EQ(0.5f + 2.0f, down.m_duration);
}

// A landing stream sprays the paint atlas's drop (lower left) in the paint's colour,
// and the drop's glint (lower right) in white, both flying the same pattern.
TEST(WhiteTotem, ALandingStreamSpraysColouredDropsAndWhiteGlintsAlike)
{
    CRefPtr<CParticleSystemsManager> particles(
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CRefPtr<CSpriteList> list(new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CPaintStream stream;
    stream.SetResources(particles, list, CRefPtr<CTexture>());
    stream.Start({0, 0, 0}, {0, 50, 0}, {100, -100, 0}, 40, 40, 0, 0, 2, 0xCCFF4040u, 2000.0f, 0);
    int frames = 0;
    while (stream.Update(kColourFrame) && ++frames < 500)
    {
    }
    ASSERT_EQ(2u, particles->systems.size());
    const float corners[2][8] = {{0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 0.0f, 1.0f},
                                 {0.5f, 0.5f, 1.0f, 0.5f, 1.0f, 1.0f, 0.5f, 1.0f}};
    const CDropsSprayKeeper* sprays[2] = {};
    for (size_t k = 0; k < 2; ++k)
    {
        auto* system = dynamic_cast<CCollection2ParticleSystem*>(particles->systems[k].Get());
        ASSERT_NE(nullptr, system);
        sprays[k] = dynamic_cast<const CDropsSprayKeeper*>(system->keeper.Get());
        ASSERT_NE(nullptr, sprays[k]);
    }
    // The systems are kept farthest first; both stand at one depth, so find the
    // coloured one by its colour.
    if (sprays[0]->colour == 0xFFFFFFu)
        std::swap(sprays[0], sprays[1]);
    EXPECT_EQ(0xFF4040u, sprays[0]->colour);
    EXPECT_EQ(0xFFFFFFu, sprays[1]->colour);
    for (size_t k = 0; k < 2; ++k)
        for (int i = 0; i < 8; ++i)
            EXPECT_FLOAT_EQ(corners[k][i], sprays[k]->uv[i]) << "spray " << k << " value " << i;
    ASSERT_EQ(sprays[0]->velocities.size(), sprays[1]->velocities.size());
    for (size_t i = 0; i < sprays[0]->velocities.size(); ++i)
        EXPECT_EQ(sprays[0]->velocities[i].x, sprays[1]->velocities[i].x) << i;
}

TEST(WhiteTotem, PaintColoursCoverTheSevenTokensAndTheFogStartsOnce)
{
    EXPECT_EQ(0, CWhiteTotem::PaintColourIndex(0.0f));
    EXPECT_EQ(6, CWhiteTotem::PaintColourIndex(1.0f));
    EXPECT_EQ(0xCCFFD040u, CWhiteTotem::PaintColour(4, 0.8f));
    CWhiteTotem white;
    white.SetArmed(0); // nothing to stop
    EXPECT_TRUE(white.m_fogSystems.empty());
}

TEST(VioletTotem, PicksOrdinaryAndSpecialBonusesByLevelAndCharge)
{
    CLevelParams rules;
    rules.kindLevels = {1, 2, 1, 3, 1, 2}; // TNT, flash, time, adviser, score, solidarity
    SetGameRules(&rules);
    struct Case
    {
        int32_t level, charge, ordinary, special;
    } cases[] = {{1, 2, 1, 0}, {1, 3, 1, 0}, {2, 3, 2, 0}, {3, 2, 2, 0}, {3, 3, 1, 1}, {4, 2, 1, 1}, {4, 3, 1, 1}};
    for (const Case& c : cases)
    {
        CRefPtr<CVioletTotem> violet = Unleashed<CVioletTotem>(c.level, c.charge);
        violet->m_settings.flyTime = 0.4f;
        std::vector<TotemCellRecord> records;
        violet->Update(kColourFrame);
        violet->CollectRecords(records);
        ASSERT_EQ(size_t(c.ordinary + c.special), records.size()) << "level " << c.level << " charge " << c.charge;
        int32_t special = 0;
        for (const TotemCellRecord& r : records)
        {
            EXPECT_EQ(kTotemViolet, r.kind);
            special += r.bonusType == 5 || r.bonusType == 7;
            EXPECT_GE(r.bonusType, 2);
            EXPECT_LE(r.bonusType, 7);
        }
        EXPECT_GE(special, c.special);
        // The first bonus flies longest.
        EXPECT_FLOAT_EQ(0.5f, records[0].time);
        if (records.size() == 2)
        {
            EXPECT_FLOAT_EQ(0.3f, records[1].time);
        }
        // Handed over once; the phase runs its two flight times.
        std::vector<TotemCellRecord> again;
        violet->Update(kColourFrame);
        violet->CollectRecords(again);
        EXPECT_TRUE(again.empty());
    }
    // Without adviser and solidarity a special request gets an ordinary bonus.
    rules.kindLevels = {1, -1, -1, -1, -1, -1};
    CRefPtr<CVioletTotem> violet = Unleashed<CVioletTotem>(4, 3);
    std::vector<TotemCellRecord> records = RunPhase(*violet);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(2, records[1].bonusType);
    EXPECT_EQ(TotemState::Spent, violet->m_state);
    SetGameRules(nullptr);
}

TEST(VioletTotem, ArmingBuildsTheGlowOnceAndDisarmingKeepsTheFadedShapes)
{
    CVioletTotem violet;
    violet.Init(TotemMode::Centre, CRefPtr<CTotemShapeSets>());
    violet.SetArmed(1);
    violet.SetArmed(1);
    ASSERT_EQ(3u, violet.m_glowShapes.size());
    violet.SetArmed(0);
    EXPECT_EQ(3u, violet.m_glowShapes.size());
    EXPECT_FLOAT_EQ(0.0f, violet.m_glowShapes[1]->alphaTarget);
    violet.m_settings.raySpeed = 10.0f;
    for (int i = 0; i < 100; ++i)
        violet.Update(kColourFrame);
    EXPECT_LE(violet.m_rayPhases[0], 6.2831853f);
    EXPECT_NEAR(3.1415927f, std::fabs(violet.m_rayPhases[1] - violet.m_rayPhases[0]), 1e-3f);
}

TEST(YellowTotem, HandsItsLevelAndChargeOverOnceForTheScore)
{
    const ByCharge scores[] = {{1, 2, 1000, TotemState::Spent},  {1, 3, 1500, TotemState::Spent},
                               {2, 2, 1500, TotemState::Spent},  {3, 2, 2000, TotemState::Rearmed},
                               {3, 3, 2500, TotemState::Spent},  {4, 2, 2500, TotemState::Rearmed},
                               {4, 3, 3000, TotemState::Spent}};
    for (const ByCharge& c : scores)
    {
        CRefPtr<CYellowTotem> yellow = Unleashed<CYellowTotem>(c.level, c.charge);
        const std::vector<TotemCellRecord> records = RunPhase(*yellow);
        ASSERT_EQ(1u, records.size()) << "level " << c.level << " charge " << c.charge;
        EXPECT_EQ(kTotemYellow, records[0].kind);
        EXPECT_EQ(c.expected, GetPairScore(records[0].column, records[0].row));
        EXPECT_EQ(c.end, yellow->m_state);
        // Pictures "+1000" .. "+3000", the last only at level 4 with the full charge.
        EXPECT_EQ((c.expected - 1000) / 500, CYellowTotem::NumberPicture(c.level, c.charge));
    }
}

TEST(YellowTotem, ThePhaseWaitsForTheManagerAndALongFrameMakesSeveralFlares)
{
    CRefPtr<CYellowTotem> yellow = Unleashed<CYellowTotem>(2, 2);
    for (int i = 0; i < 200; ++i)
        EXPECT_FALSE(yellow->Update(kColourFrame)); // nobody takes the number
    EXPECT_EQ(CYellowTotem::kNumberArrived, yellow->m_numberState);
    CYellowTotem resting;
    resting.Init(TotemMode::Shop, CRefPtr<CTotemShapeSets>());
    resting.SetAlpha(1.0f, true);
    resting.m_state = TotemState::Idle;
    resting.m_settings.flareInterval = 0.08f;
    resting.Update(0.25f);
    EXPECT_EQ(3, resting.m_flaresMade);
    EXPECT_NEAR(0.01f, resting.m_flareTimer, 1e-4f);
    CYellowTotem panel;
    panel.Init(TotemMode::Panel, CRefPtr<CTotemShapeSets>());
    panel.SetAlpha(1.0f, true);
    panel.m_state = TotemState::Idle;
    panel.Update(1.0f);
    EXPECT_EQ(0, panel.m_flaresMade);
}

TEST(OrangeTotem, CarriesItsChargeTwiceOnceForTheTime)
{
    const ByCharge times[] = {{1, 2, 45, TotemState::Spent},  {1, 3, 60, TotemState::Spent},
                              {3, 2, 45, TotemState::Rearmed}, {3, 3, 60, TotemState::Spent},
                              {4, 2, 45, TotemState::Rearmed}, {4, 3, 60, TotemState::Spent}};
    for (const ByCharge& c : times)
    {
        CRefPtr<COrangeTotem> orange = Unleashed<COrangeTotem>(c.level, c.charge);
        const std::vector<TotemCellRecord> records = RunPhase(*orange);
        ASSERT_EQ(1u, records.size());
        EXPECT_EQ(kTotemOrange, records[0].kind);
        EXPECT_EQ(c.charge, records[0].value);
        EXPECT_EQ(c.charge, records[0].extra);
        EXPECT_FLOAT_EQ(float(c.expected), GetKindTime(records[0].extra, records[0].value));
        EXPECT_EQ(c.end, orange->m_state) << "level " << c.level << " charge " << c.charge;
    }
}

TEST(OrangeTotem, ALongFrameRunsTheWholeFlightAtOnce)
{
    CRefPtr<COrangeTotem> orange = Unleashed<COrangeTotem>(2, 2);
    EXPECT_TRUE(orange->Update(5.0f));
    EXPECT_EQ(COrangeTotem::kArrived, orange->m_arrived);
    EXPECT_EQ(TotemEvent::EndedActive, orange->m_event);
    EXPECT_FALSE(orange->m_flyShape);
}

TEST(TotemColourSettings, DefaultsAndTheEdgesOfTheFile)
{
    TestDir dir;
    CTotemSettings defaults;
    defaults.Load((dir / "missing.cfg").c_str());
    // A multiplying picture is written as its shade: black becomes white.
    EXPECT_EQ(kBlendMul, defaults.m_orange.flyTwirlFilter);
    EXPECT_EQ(0xFFFFFFFFu, defaults.m_orange.flyTwirlColour);
    EXPECT_EQ(7u, defaults.m_white.stripLengths[0].size());
    EXPECT_FLOAT_EQ(0.25f, defaults.m_yellow.numberStartTime);
    dir.Write("Totems.cfg", "[White]\nStrip1Count=1\nStrip2Count=-3\n[Orange]\nFlyTwirlFilter=sCrEeN\n"
                            "FlyTwirlColor=10 20 30 255\n[Violet]\nRayR2=32\nRayHFactor=0.5\n");
    CTotemSettings s;
    s.Load((dir / "Totems.cfg").c_str());
    // A strip of one line has no segment; a count below one reads one line.
    EXPECT_EQ(4u, s.m_white.stripLines[0].size());
    EXPECT_TRUE(s.m_white.stripLengths[0].empty());
    EXPECT_EQ(4u, s.m_white.stripLines[1].size());
    EXPECT_EQ(kBlendScreen, s.m_orange.flyTwirlFilter);
    EXPECT_EQ(0xFF0A141Eu, s.m_orange.flyTwirlColour);
    EXPECT_FLOAT_EQ(0.25f, s.m_violet.rayRadii[1][0]);
    EXPECT_FLOAT_EQ(0.125f, s.m_violet.rayRadii[1][1]);
    // Levels outside 1..4 read the nearest level's entry.
    EXPECT_EQ(0, TotemLevelIndex(-2));
    EXPECT_EQ(3, TotemLevelIndex(9));
}

class ShownTotems : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m.SetRenderObjects(CRefPtr<CDevice>(), list, CRefPtr<CParticleSystemsManager>(), CRefPtr<CSpriteBatch>(),
                           nullptr);
        m.m_settings.m_shopPlaces.assign(kTotemColourCount, TotemShopPlace());
    }

    CRefPtr<CSpriteList> list{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CTotemsManager m;
};

TEST_F(ShownTotems, ThePanelShowsASilhouetteAndOutlineForEveryColourNotOwned)
{
    const struct
    {
        int32_t owned;
        size_t pictures;
    } cases[] = {{0, 15}, {3, 9}, {7, 1}};
    for (const auto& c : cases)
    {
        for (int32_t k = 0; k < kTotemColourCount; ++k)
            m.m_levels[k] = k < c.owned ? 2 : (k % 2 == 0 ? 0 : -1);
        m.BuildPanelPictures(0);
        EXPECT_EQ(c.pictures, m.m_panelPictures.size()) << c.owned << " owned";
    }
    // Built hidden; shown at once with full opacity, or faded in.
    EXPECT_EQ(0, m.m_panelPictures[0]->visible);
    m.SetPanelPicturesVisible(1, 0.0f);
    EXPECT_EQ(1, m.m_panelPictures[0]->visible);
    EXPECT_FLOAT_EQ(1.0f, m.m_panelPictures[0]->alpha);
    m.SetPanelPicturesVisible(0, 2.0f);
    EXPECT_EQ(1, m.m_panelPictures[0]->visible);
    for (int i = 0; i < 30; ++i)
    {
        list->UpdateAll(kColourFrame, 0);
        m.Update(kColourFrame);
    }
    EXPECT_EQ(0, m.m_panelPictures[0]->visible);
    m.SetPanelPicturesVisible(1, 2.0f);
    EXPECT_EQ(1, m.m_panelPictures[0]->visible);
    EXPECT_FLOAT_EQ(0.0f, m.m_panelPictures[0]->alpha);
    EXPECT_FLOAT_EQ(1.0f, m.m_panelPictures[0]->alphaTarget);
}

TEST_F(ShownTotems, TheShopShowsEachColourLockedOfferedOrOwned)
{
    m.ShowShopTotem(kTotemWhite, -1, 5.0f);
    EXPECT_EQ(3u, m.m_shopPictures[kTotemWhite].size());
    EXPECT_FALSE(m.m_shopTotems[kTotemWhite]);
    m.ShowShopTotem(kTotemWhite, 0, 5.0f);
    EXPECT_EQ(1u, m.m_shopPictures[kTotemWhite].size());
    m.ShowShopTotem(kTotemWhite, 1, 5.0f);
    EXPECT_TRUE(m.m_shopPictures[kTotemWhite].empty());
    const CRefPtr<CTotem> first = m.m_shopTotems[kTotemWhite];
    ASSERT_TRUE(first);
    EXPECT_EQ(TotemMode::Shop, first->m_mode);
    m.ShowShopTotem(kTotemWhite, 2, 5.0f);
    ASSERT_TRUE(m.m_shopTotems[kTotemWhite]);
    EXPECT_EQ(2, m.m_shopTotems[kTotemWhite]->m_level);
    EXPECT_EQ(TotemState::FadingOut, first->m_state);
    EXPECT_EQ(2, m.m_levels[kTotemWhite]);
    // Everything fades; the totems stay live until they are gone.
    m.ShowShopTotem(kTotemYellow, -1, 5.0f);
    m.FadeOutAll(5.0f);
    EXPECT_FALSE(m.m_shopTotems[kTotemWhite]);
    EXPECT_TRUE(m.m_shopPictures[kTotemYellow].empty());
    EXPECT_EQ(2u, m.m_liveTotems.size());
    for (int i = 0; i < 30; ++i)
        m.Update(kColourFrame);
    EXPECT_TRUE(m.m_liveTotems.empty());
}

} // namespace

namespace
{

// The owned totems' lasting effects draw above the forms: a message box over the shop
// puts them out, and the shop taking input again brings them back.
TEST(ShopTotems, AMessageBoxOverTheShopPutsOutTheRedTotemsBallsUntilTheShopIsBack)
{
    CRefPtr<CParticleSystemsManager> particles(
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CRefPtr<CSpriteList> list(new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CTotemsManager m;
    m.SetRenderObjects(CRefPtr<CDevice>(), list, particles, CRefPtr<CSpriteBatch>(), nullptr);
    m.m_settings.m_shopPlaces.assign(kTotemColourCount, TotemShopPlace());
    m.ShowShopTotems(5.0f);
    m.ShowShopTotem(kTotemRed, 4, 5.0f);
    const auto settle = [&] {
        for (int i = 0; i < 60; ++i)
        {
            m.Update(kColourFrame);
            particles->Update(kColourFrame);
        }
    };
    settle();
    ASSERT_EQ(TotemState::Idle, m.m_shopTotems[kTotemRed]->m_state);
    const size_t armed = particles->systems.size();
    ASSERT_GT(armed, 0u) << "the red shop totem's balls hover";

    m.SetShopEffectsShown(false);
    settle();
    EXPECT_TRUE(particles->systems.empty());
    m.SetShopEffectsShown(false);
    settle();
    EXPECT_TRUE(particles->systems.empty());

    m.SetShopEffectsShown(true);
    EXPECT_EQ(armed, particles->systems.size());
}

} // namespace
