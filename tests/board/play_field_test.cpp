// The play field: construction and resets, level rules in both difficulties,
// the event queue and its reordering, the board shake, cell and board-space
// conversions, colour picks with the steel chance, input gates and statistics.
#include "field/PlayField.h"

#include "board/Level.h"
#include "effects/Sandbox.h"
#include "engine/Log.h"
#include "platform/crt.h"
#include "hud/QuestLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class PlayFieldTest : public ::testing::Test
{
protected:
    PlayFieldTest()
        : manager(new CCapsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()))
    {
        crt::srand(11);
        field.reset(new CPlayField(manager, &layout, nullptr, nullptr, &fillRate));
    }

    // A resting, active token in the cell.
    CRefPtr<CCap> Put(int32_t column, int32_t row, int32_t colour)
    {
        CRefPtr<CCap> cap;
        const Vec3 p = field->CellToScreen(column, row, false);
        field->capList.CreateCap(cap, colour, 0, p.x, p.y, 0.0f, field->tokenRadius, 1, field->origin[0],
                                 field->origin[1], field->origin[2]);
        cap->placement = CCap::kPlaced;
        cap->active = 1;
        field->cells[size_t(row)][size_t(column)] = cap;
        return cap;
    }

    static std::vector<int32_t> Codes(const std::vector<CPlayFieldEvent>& events)
    {
        std::vector<int32_t> out;
        for (const auto& e : events)
            out.push_back(e.code);
        return out;
    }

    CQuestLayout layout;
    float fillRate = 0.5f;
    CRefPtr<CCapsManager> manager;
    std::unique_ptr<CPlayField> field;
};

TEST_F(PlayFieldTest, ConstructionGivesAnEmptyBoardWithLevelOneRules)
{
    EXPECT_EQ(8, field->columns);
    EXPECT_EQ(8, field->rows);
    ASSERT_EQ(8u, field->cells.size());
    for (const auto& row : field->cells)
    {
        ASSERT_EQ(8u, row.size());
        for (const auto& cell : row)
            EXPECT_FALSE(cell.IsValid());
    }
    EXPECT_EQ((std::vector<int32_t>{0, 2, 3, 4, 5}), field->capsSet);
    EXPECT_EQ(CPlayField::kModeNormal, field->mode);
    EXPECT_EQ(CPlayField::kFillLevel, field->fillPending);
    EXPECT_EQ(5, field->gemsToCollect);
    EXPECT_EQ(8, field->gemRequestTarget);
    EXPECT_EQ(0, field->sandFlightEnabled) << "set by resets only, cleared again by the constructor";
    // The panel starts switched off; the sand glass has a heap with the player's fill rate.
    EXPECT_EQ(0, field->fader->active);
    EXPECT_EQ(9u, field->fader->vertices.size() / 4);
    ASSERT_TRUE(field->sandbox->heap);
    EXPECT_EQ(40, field->sandbox->heap->columns);
    EXPECT_FLOAT_EQ(0.5f, field->sandbox->heap->drainRate);
    EXPECT_EQ(1, field->sandbox->heap->drainOn);
    EXPECT_FLOAT_EQ(-144.5f, g_totemBoardGeometry.x);
    EXPECT_FLOAT_EQ(640.0f, g_totemBoardGeometry.width);
}

TEST_F(PlayFieldTest, ResetsTakeTheLayoutOnlyInTheirOwnKinds)
{
    // A cell of 45 puts its centres off the pixel grid: the origin moves half a unit.
    layout.cellWidth = 45.0f;
    layout.cellHeight = 44.0f;
    field->Reset(0);
    EXPECT_FLOAT_EQ(-144.0f, field->origin[0]);
    EXPECT_FLOAT_EQ(367.5f, field->origin[1]);
    EXPECT_FLOAT_EQ(-144.5f, field->baseOrigin[0]);
    EXPECT_EQ(1, field->sandFlightEnabled);

    Put(2, 3, 1);
    field->PushEvent(kEventScored);
    layout.cellWidth = 10.0f;
    field->Reset(7);  // another kind keeps the geometry, clears the board
    EXPECT_FLOAT_EQ(45.0f, field->cellWidth);
    EXPECT_FLOAT_EQ(-144.0f, field->origin[0]);
    EXPECT_FALSE(field->cells[3][2].IsValid());
    EXPECT_TRUE(field->capList.caps.empty());
    EXPECT_TRUE(manager->looks.empty());
    EXPECT_TRUE(field->events.empty());
    EXPECT_EQ(7, field->playKind);

    field->Reset(2);
    EXPECT_FLOAT_EQ(10.0f, field->cellWidth);
    EXPECT_EQ(8u, field->cells.size());
}

TEST_F(PlayFieldTest, LevelRulesByNumberInBothModes)
{
    struct Case
    {
        int32_t level;
        int32_t hard;
        std::vector<int32_t> colours;
        float steelChance;
        int32_t steelCount;
        float lockChance;
        int32_t lockCount;
    };
    const Case cases[] = {
        {1, 0, {0, 2, 3, 4, 5}, 0.0f, 0, 0.0f, 0},
        {4, 0, {0, 1, 2, 3, 4, 5}, 0.0f, 0, 0.0f, 0},
        {6, 0, {0, 1, 2, 3, 4, 5}, 0.0f, 0, 0.0035f, 1},
        {9, 0, {0, 1, 2, 3, 4, 5, 6}, 0.0f, 0, 0.0065f, 1},
        {14, 0, {0, 1, 2, 3, 4, 5, 6}, 0.006f, 1, 0.0115f, 1},
        {1, 1, {0, 1, 2, 3, 4, 5, 6}, 0.0f, 0, 0.0f, 0},
        {14, 1, {0, 1, 2, 3, 4, 5, 6}, 0.0065f, 1, 0.016f, 2},
        {33, 1, {0, 1, 2, 3, 4, 5, 6}, 0.035f, 4, 0.0445f, 4},
    };
    for (const Case& c : cases)
    {
        field->hardMode = c.hard;
        field->SetupLevelRules(c.level);
        const std::string what = "level " + std::to_string(c.level) + (c.hard ? " hard" : "");
        EXPECT_EQ(c.colours, field->capsSet) << what;
        EXPECT_NEAR(c.steelChance, field->steelChance, 1e-6f) << what;
        EXPECT_EQ(c.steelCount, field->steelCount) << what;
        EXPECT_NEAR(c.lockChance, field->lockChance, 1e-6f) << what;
        EXPECT_EQ(c.lockCount, field->lockCount) << what;
    }
}

TEST_F(PlayFieldTest, LevelFilesReplaceTheValuesTheyGive)
{
    const std::string fixtures = std::string(ORB_FIXTURES_DIR) + "/";
    // Hard mode: a file's chances grow by a quarter, its counts shrink to two thirds.
    field->hardMode = 1;
    field->SetupLevelRules(3);
    ASSERT_EQ(1, field->LoadLevel(fixtures + "level_steel_and_locks.lvl"));
    EXPECT_NEAR(0.025f, field->steelChance, 1e-6f);
    EXPECT_EQ(6, field->steelCount);
    EXPECT_NEAR(0.05f, field->lockChance, 1e-6f);
    EXPECT_EQ(2, field->lockCount);
    EXPECT_EQ(7, field->gemsToPlace);
    EXPECT_EQ(7, field->gemsToCollect);
    EXPECT_EQ(7u, field->capsSet.size()) << "no SET: the colours of the level number stay";
    ASSERT_TRUE(field->level);
    EXPECT_EQ(0, field->level->isDefault);

    ASSERT_EQ(1, field->LoadLevel(fixtures + "level_one_steel_three_colours.lvl"));
    EXPECT_EQ(0, field->steelCount);
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2}), field->capsSet);

    // Normal mode takes the file's values as they are.
    field->hardMode = 0;
    field->SetupLevelRules(3);
    ASSERT_EQ(1, field->LoadLevel(fixtures + "level_steel_and_locks.lvl"));
    EXPECT_NEAR(0.02f, field->steelChance, 1e-6f);
    EXPECT_EQ(9, field->steelCount);

    // A missing file leaves every default in place.
    SetLogFile((::testing::TempDir() + "play_field_level.log").c_str());
    field->SetupLevelRules(20);
    const float steel = field->steelChance;
    field->gemsToCollect = 5;
    EXPECT_EQ(0, field->LoadLevel(fixtures + "no_such_level.lvl"));
    SetLogFile("");
    EXPECT_FLOAT_EQ(steel, field->steelChance);
    EXPECT_EQ(7u, field->capsSet.size());
    EXPECT_EQ(5, field->gemsToCollect);
}

TEST_F(PlayFieldTest, DeferredEventsGoLastInTheirOrder)
{
    struct Case
    {
        std::vector<int32_t> queue;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {{2, 5, 7, 1, 5, 6}, {2, 1, 5, 5, 7, 6}},
        {{6, 7, 5}, {5, 7, 6}},
        {{1, 2, 13, 4}, {1, 2, 13, 4}},
        {{6, 6, 3, 7}, {3, 7, 6, 6}},
        {{}, {}},
    };
    for (const Case& c : cases)
    {
        field->events.clear();
        for (size_t i = 0; i < c.queue.size(); ++i)
        {
            CPlayFieldEvent e;
            e.code = c.queue[i];
            e.arg = int32_t(i);  // the position it was queued at
            field->events.push_back(e);
        }
        EXPECT_EQ(int(c.queue.size()), field->DeferEvents());
        EXPECT_EQ(c.expected, Codes(field->events));
    }
    // Events of one code keep their order: the two 5s of the first case.
    field->events.clear();
    for (int32_t code : {5, 1, 5})
    {
        CPlayFieldEvent e;
        e.code = code;
        e.arg = int32_t(field->events.size());
        field->events.push_back(e);
    }
    field->DeferEvents();
    EXPECT_EQ(0, field->events[1].arg);
    EXPECT_EQ(2, field->events[2].arg);
}

TEST_F(PlayFieldTest, TipEventStopsTheSandAndRestartsTheTipClock)
{
    field->tutorialTimer = 12.0f;
    field->PostEvent13(4, 0);
    ASSERT_EQ(1u, field->events.size());
    EXPECT_EQ(kEventTip, field->events[0].code);
    EXPECT_EQ(0, field->events[0].arg);
    EXPECT_EQ(4, field->events[0].tip);
    EXPECT_EQ(4, field->tutorialStep);
    EXPECT_EQ(0, field->tutorialDetail);
    EXPECT_FLOAT_EQ(0.0f, field->tutorialTimer);
    EXPECT_EQ(0, field->sandbox->heap->drainOn);
}

TEST_F(PlayFieldTest, FrenzyQueuesItsEventShakesAndCounts)
{
    field->SetFrenzy(true);
    field->SetFrenzy(true);
    EXPECT_EQ((std::vector<int32_t>{3, 3}), Codes(field->events));
    EXPECT_EQ(1, field->sandbox->heap->mode);
    EXPECT_FLOAT_EQ(8.0f, field->shake.amplitude) << "kicks add up to the maximum only";
    EXPECT_EQ(2, field->counters.second.GetInt(kCounterOperations));
    EXPECT_EQ(2, field->counters.third.GetInt(kCounterOperations));
    EXPECT_EQ(0, field->counters.first.GetInt(kCounterOperations));
    field->SetFrenzy(false);
    EXPECT_EQ(0, field->sandbox->heap->mode);
    EXPECT_EQ(2u, field->events.size());

    // The shake dies away over one second and reports its end once.
    int ends = 0;
    for (int i = 0; i < 60; ++i)
    {
        ends += field->shake.Update(1.0f / 50.0f);
        const Vec3 o = field->shake.Offset();
        EXPECT_LE(o.x * o.x + o.y * o.y, 64.0f + 1e-3f);
    }
    EXPECT_EQ(1, ends);
    EXPECT_EQ(0, field->shake.active);
    EXPECT_FLOAT_EQ(0.0f, field->shake.Offset().x);
}

TEST_F(PlayFieldTest, CellsAndBoardSpace)
{
    field->origin[0] = 0.0f;
    field->origin[1] = 0.0f;
    Vec3 p = field->CellToScreen(0, 0, false);
    EXPECT_FLOAT_EQ(40.0f, p.x);
    EXPECT_FLOAT_EQ(-40.0f, p.y);
    EXPECT_EQ((CCellPos{0, 0}), field->ScreenToCell(p.x, p.y));

    field->origin[0] = -144.5f;
    field->origin[1] = 367.5f;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t column = 0; column < 8; ++column)
        {
            p = field->CellToScreen(column, row, true);
            EXPECT_EQ((CCellPos{column, row}), field->ScreenToCell(p.x, p.y)) << column << "," << row;
            // Any point inside the cell, not only its centre.
            EXPECT_EQ((CCellPos{column, row}), field->ScreenToCell(p.x + 39.0f, p.y - 39.0f));
        }
    // Points off the board give cells off the board.
    EXPECT_EQ((CCellPos{-1, -1}), field->ScreenToCell(-150.0f, 370.0f));
    EXPECT_EQ((CCellPos{8, 8}), field->ScreenToCell(-144.5f + 641.0f, 367.5f - 641.0f));

    p = field->CellsCentre({{0, 0}, {2, 0}, {1, 3}}, false);
    EXPECT_FLOAT_EQ(120.0f, p.x);
    EXPECT_FLOAT_EQ(-120.0f, p.y);
    p = field->CellsCentre({{0, 0}}, true);
    EXPECT_FLOAT_EQ(-104.5f, p.x);
}

TEST_F(PlayFieldTest, ColourPicksFollowTheSteelChance)
{
    field->capsSet = {0, 3, 6};
    field->steelChance = 0.0f;
    std::vector<int> seen(101, 0);
    for (int i = 0; i < 3000; ++i)
        ++seen[size_t(field->PickNewColour())];
    EXPECT_EQ(0, seen[100]);
    for (int c : {0, 3, 6})
        EXPECT_NEAR(1000, seen[size_t(c)], 150) << c;

    field->steelChance = 0.25f;
    int steel = 0;
    for (int i = 0; i < 4000; ++i)
        steel += field->PickNewColour() == CCap::kSteel ? 1 : 0;
    EXPECT_NEAR(1000, steel, 150);

    field->capsSet = {4};
    field->steelChance = 0.0f;
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(4, field->PickNewColour());

    // Certain steel: every pick is steel until the limit is reached, then the
    // colour set answers at once.
    field->steelChance = 1.0f;
    field->steelCount = 2;
    EXPECT_EQ(CCap::kSteel, field->PickNewColour());
    EXPECT_EQ(CCap::kSteel, field->PickNewColourWithinLimit(1));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(4, field->PickNewColourWithinLimit(2));
    field->capsSet.clear();
    EXPECT_EQ(0, field->PickNewColourWithinLimit(2)) << "an empty colour set gives green, not a crash";
}

TEST_F(PlayFieldTest, SwapsNeedARestingActiveUnlockedToken)
{
    CRefPtr<CCap> cap = Put(3, 4, 2);
    EXPECT_TRUE(field->IsSwappable(3, 4));
    EXPECT_FALSE(field->IsSwappable(4, 4)) << "empty cell";
    EXPECT_FALSE(field->IsSwappable(-1, 4));
    EXPECT_FALSE(field->IsSwappable(3, 8));
    cap->lockCount = 1;
    EXPECT_FALSE(field->IsSwappable(3, 4));
    cap->lockCount = 0;
    cap->state = CCap::kMoving;
    EXPECT_FALSE(field->IsSwappable(3, 4));
    cap->state = CCap::kResting;
    cap->active = 0;
    EXPECT_FALSE(field->IsSwappable(3, 4));
}

TEST_F(PlayFieldTest, IdleOnlyWhenEveryCellRests)
{
    EXPECT_TRUE(field->IsIdle(false));
    EXPECT_FALSE(field->IsIdle(true)) << "empty cells";
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c)
            Put(c, r, (c + r) % 5);
    EXPECT_TRUE(field->IsIdle(true));
    field->cells[2][2]->state = CCap::kMoving;
    EXPECT_FALSE(field->IsIdle(false));
    field->cells[2][2]->state = CCap::kResting;
    field->totems.RequestTotem(3);
    EXPECT_FALSE(field->IsIdle(false));
}

TEST_F(PlayFieldTest, InputLockAndGemGoal)
{
    field->SetInputLock(1);
    EXPECT_EQ(1, field->inputLocked);
    EXPECT_EQ(0, field->inputOpen);
    EXPECT_EQ(0, field->sandbox->heap->drainOn);
    field->SetInputLock(0);
    EXPECT_EQ(1, field->inputOpen);
    EXPECT_EQ(1, field->sandbox->heap->drainOn);

    // Outside normal play only the lock flag changes.
    field->mode = CPlayField::kModeMemory;
    field->SetInputLock(1);
    EXPECT_EQ(1, field->inputLocked);
    EXPECT_EQ(1, field->inputOpen);
    EXPECT_EQ(1, field->sandbox->heap->drainOn);

    field->gemsToCollect = 0;
    EXPECT_TRUE(field->IsGemGoalReached());
    field->tutorialStep = 3;
    EXPECT_FALSE(field->IsGemGoalReached());
    field->tutorialStep = 0;
    field->playKind = 1;
    EXPECT_FALSE(field->IsGemGoalReached());

    field->playKind = 0;
    field->totems.m_selectedColour = 2;
    field->totems.m_ready = 0;
    field->totems.m_shieldMode = 1;
    field->CancelSelection();
    EXPECT_EQ(1, field->selectionCancelled);
    EXPECT_EQ(0, field->inputOpen);
    EXPECT_EQ(0, field->totems.m_shieldMode);
    EXPECT_EQ(-1, field->totems.m_selectedColour);
}

TEST_F(PlayFieldTest, GroupStatisticsCountUnlockedAndFreedTokens)
{
    CRefPtr<CCap> a = Put(0, 0, 1), b = Put(1, 0, 1), c = Put(2, 0, 1), d = Put(3, 0, 1);
    c->lockCount = 1;
    d->lockCount = 2;
    // A locked token counts only when its status in the group is 2.
    field->AddGroupStats(4, {a, b, c, d}, {0, 0, 2, 1});
    EXPECT_EQ(3, field->counters.second.GetInt(kCounterTokens));
    EXPECT_EQ(1, field->counters.third.GetInt(kCounterGroups));
    EXPECT_EQ(4, field->counters.third.GetInt(kCounterBiggestGroup));
    field->AddGroupStats(3, {a, b, c}, {0, 0, 0});
    EXPECT_EQ(5, field->counters.second.GetInt(kCounterTokens));
    EXPECT_EQ(2, field->counters.second.GetInt(kCounterGroups));
    EXPECT_EQ(4, field->counters.second.GetInt(kCounterBiggestGroup)) << "the largest group is kept";
    // A pair changes the token count only.
    field->AddGroupStats(2, {a, b}, {0, 0});
    EXPECT_EQ(7, field->counters.third.GetInt(kCounterTokens));
    EXPECT_EQ(2, field->counters.third.GetInt(kCounterGroups));
    EXPECT_EQ(0, field->counters.first.GetInt(kCounterTokens));
}

} // namespace
