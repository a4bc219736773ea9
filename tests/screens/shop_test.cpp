// The upgrade shop: its unlock table and level rules, the texts file, the stars'
// flights, dragging and dropping, the plus and minus controls, settling every star
// before a save, the sand glass and the bonus items' pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "board/LevelParams.h"
#include "bonuses/BonusManager.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SmokesParticleSystem.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "engine/StringTable.h"
#include "hud/QuestLayout.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "ui/KMWindow.h"
#include "tests/screens/interface_fixture.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------
// The item table

TEST(ShopItems, UnlockTableGivesEachItemItsBandsAndNeverFalls)
{
    CShopItemTable table;
    table.UnlockForLevel(1);
    for (int i = 0; i < CShopItemTable::kItemCount; ++i)
        EXPECT_EQ(i >= kShopItemTime && i <= kShopItemGemCount ? 0 : -1, table.limits[size_t(i)]) << "item " << i;
    const struct
    {
        int item, level, limit;
    } cases[] = {{8, 2, 1}, {10, 2, 1}, {0, 8, -1}, {0, 9, 1}, {0, 17, 2}, {0, 38, 3}, {0, 39, 4},
                 {2, 36, 2}, {2, 37, 3}, {2, 99, 3}, {6, 2, 0}, {6, 3, 1}, {13, 9, 2}, {15, 33, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(c.limit, ShopItemLimit(c.item, c.level)) << "item " << c.item << " at level " << c.level;
    for (int i = 0; i < CShopItemTable::kItemCount; ++i)
    {
        const bool three = i == 2 || i >= 10;
        EXPECT_EQ(three ? 3 : 4, ShopItemLimit(i, 200)) << "item " << i;
        for (int level = 1; level < 60; ++level)
            EXPECT_LE(ShopItemLimit(i, level), ShopItemLimit(i, level + 1)) << "item " << i << " at level " << level;
    }
}

TEST(ShopItems, ResetAndApplyWriteTheLevelParameters)
{
    CShopItemTable table;
    table.levels.fill(2);
    table.ResetItems();
    CLevelParams params;
    params.Set(0, 5);
    table.ApplyToLevel(params);
    EXPECT_EQ(4, params.paramCount);
    EXPECT_FLOAT_EQ(10.0f, params.scoreStep);
    EXPECT_FLOAT_EQ(240.0f, params.timeA);
    EXPECT_EQ(std::vector<int32_t>(6, -1), params.kindLevels);

    table.levels[kShopItemTime] = table.levels[kShopItemSandGlass] = table.levels[kShopItemGemCount] = 4;
    // TNT, score, time, flash, solidarity, adviser: entries by bonus type - 2.
    const int32_t bonusLevels[6] = {0, 1, 2, 3, 0, 1};
    for (int i = 0; i < 6; ++i)
        table.levels[size_t(10 + i)] = bonusLevels[i];
    table.ApplyToLevel(params);
    EXPECT_FLOAT_EQ(390.0f, params.timeA);
    EXPECT_FLOAT_EQ(30.0f, params.scoreStep);
    EXPECT_EQ(8, params.paramCount);
    EXPECT_EQ((std::vector<int32_t>{0, 3, 2, 1, 1, 0}), params.kindLevels);
}

TEST(ShopItems, LevelsFromASaveKeepToTheirItemsRange)
{
    CShopItemTable table;
    const struct
    {
        int item;
        int32_t stored, kept;
    } cases[] = {{0, 99, 4}, {0, -50, -1}, {2, 4, 3}, {10, 7, 3}, {6, -1, 0}, {8, 5, 4}, {9, 2, 2}, {99, 1, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(c.kept, table.ClampLevel(c.item, c.stored)) << "item " << c.item << " stored " << c.stored;
}

class ShopTexts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("shop_texts_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Write(const std::string& body)
    {
        const std::string path = (dir / "Shop.txt").string();
        std::ofstream(path, std::ios::binary) << body;
        return path;
    }
    fs::path dir;
};

TEST_F(ShopTexts, EveryTextEndsAtAHashLineAndKeepsItsLineEnds)
{
    // 3 texts x (9 items of 6 indices + 7 of 5) = 267 '#' lines, all texts empty but one.
    std::string body = "header\n";
    body += "Violet\nsecond line\n# item 0 text 0\n";
    for (int i = 1; i < 267; ++i)
        body += "#\n";
    CShopItemTable table;
    ASSERT_EQ(ShopTextsResult::Read, table.LoadTexts(Write(body).c_str()));
    EXPECT_EQ("Violet\nsecond line\n", table.texts1[0][0]);
    EXPECT_EQ("", table.texts2[0][0]);
    EXPECT_EQ(6u, table.texts3[0].size());
    EXPECT_EQ(5u, table.texts3[15].size());
}

TEST_F(ShopTexts, AFileCutShortKeepsWhatWasReadAndAMissingOneLeavesAllEmpty)
{
    CShopItemTable table;
    ASSERT_EQ(ShopTextsResult::CutShort, table.LoadTexts(Write("header\nfirst\n#\n#\n#\nlast, never ended\n").c_str()));
    EXPECT_EQ("first\n", table.texts1[0][0]);
    EXPECT_EQ("", table.texts1[0][1]);
    CShopItemTable none;
    EXPECT_EQ(ShopTextsResult::NoFile, none.LoadTexts((dir / "missing.txt").string().c_str()));
}

TEST_F(ShopTexts, TheShippedFileFillsEveryText)
{
    CShopItemTable table;
    ASSERT_EQ(ShopTextsResult::Read, table.LoadTexts(ORB_DATA_SRC_DIR "/Data/Txt/Shop.txt"));
    for (int i = 0; i < CShopItemTable::kItemCount; ++i)
        for (size_t j = 0; j < table.texts1[size_t(i)].size(); ++j)
            EXPECT_FALSE(table.texts1[size_t(i)][j].empty() || table.texts2[size_t(i)][j].empty() ||
                         table.texts3[size_t(i)][j].empty())
                << "item " << i << " text " << j;
}

// ---------------------------------------------------------------------------------
// Star flights

TEST(ShopStars, AFlightTurnsWholeSpinsAndEndsOnItsTarget)
{
    EXPECT_FLOAT_EQ(40.0f, StarSpinRate(0.2f));  // 500 units at 2500: one turn
    EXPECT_FLOAT_EQ(32.0f, StarSpinRate(2.0f));  // eight turns
    EXPECT_FLOAT_EQ(0.0f, StarSpinRate(0.0f));

    CShopStar star;
    star.Fly(kStarFlyingToItem, {0, 0, 0}, {300, 400, 0}, 2500.0f, 0);
    EXPECT_FLOAT_EQ(0.2f, star.duration);
    EXPECT_EQ(0, star.Update(0.1f));
    EXPECT_FLOAT_EQ(150.0f, star.position.x);
    EXPECT_EQ(1, star.Update(0.5f));
    EXPECT_FLOAT_EQ(400.0f, star.position.y);

    // No length, or no speed, arrives on the first update: a star is never lost in flight.
    for (float speed : {2500.0f, 0.0f, -5.0f})
    {
        CShopStar still;
        still.Fly(kStarReturning, {5, 5, 0}, {speed > 0 ? 5.0f : 50.0f, 5, 0}, speed, 0);
        EXPECT_EQ(1, still.Update(0.0f)) << "speed " << speed;
    }
    CShopStar resting;
    resting.PlaceOnItem(1, 2, 3, 0);
    EXPECT_EQ(0, resting.Update(1.0f));
    EXPECT_FLOAT_EQ(1.0f, resting.position.x);
}

// ---------------------------------------------------------------------------------
// The shop with a layout of its own: the star source on the left, item i's widgets
// in a row, 100 units apart, item 1's overlapping item 0's.

class ShopInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.layout.source = {-400.0f, -300.0f, 264.0f, 48.0f};
        shop.settings.srcPanel[0] = -532.0f;
        shop.settings.srcPanel[1] = -300.0f;
        shop.settings.srcPanel[2] = 264.0f;
        for (int i = 0; i < CShop::kItemCount; ++i)
        {
            const float x = -300.0f + 100.0f * float(i);
            shop.layout.pictures[size_t(i)] = {x, 0.0f, 60.0f, 60.0f};
            shop.layout.frames[size_t(i)] = {x, 0.0f, 80.0f, 80.0f};
            shop.layout.anchors[size_t(i)] = {x, 10.0f, 90.0f, 100.0f};
            shop.layout.plus[size_t(i)] = {x + 20.0f, -60.0f, 20.0f, 20.0f};
        }
        shop.layout.frames[1] = {-250.0f, 0.0f, 80.0f, 80.0f};
        shop.items.ResetItems();
        shop.items.UnlockForLevel(12);
    }
    int Count(int state) const
    {
        int n = 0;
        for (const auto& star : shop.stars)
            n += star->state == state ? 1 : 0;
        return n;
    }
    const CShopStar& Last(int state) const
    {
        for (auto it = shop.stars.rbegin(); it != shop.stars.rend(); ++it)
            if ((*it)->state == state)
                return **it;
        return *shop.stars.front();
    }
    // Gives item `item` its level and limit, with resting stars on its places.
    void Item(int item, int level, int limit)
    {
        shop.items.levels[size_t(item)] = level;
        shop.items.limits[size_t(item)] = limit;
    }
    void Drag(int freeStars)
    {
        shop.items.freeStars = freeStars;
        shop.BuildStars(0.0f);
        shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);
    }
    CShop shop;
};

TEST_F(ShopInput, CountsTakeTheStarsOnTheirWayBackAndTheItemsThatCanStillRise)
{
    shop.items.freeStars = 2;
    for (int state : {kStarDragged, kStarReturning, kStarFlyingToItem})
    {
        CRefPtr<CShopStar> star(new CShopStar());
        star->state = state;
        star->item = 3;
        shop.stars.push_back(star);
    }
    EXPECT_EQ(4, shop.CountStars());

    for (int i = 0; i < CShop::kItemCount; ++i)
        Item(i, i % 3 == 0 ? -1 : 0, i % 3 == 0 ? -1 : 0);
    Item(3, 1, 2);  // one star on it and one on its way: full
    EXPECT_EQ(0, shop.CanTakeStar());
    Item(3, 0, 2);
    EXPECT_EQ(1, shop.CanTakeStar());
}

TEST_F(ShopInput, APressOnTheSourcePicksAStarAndAPressOnAnItemTakesItsTopStar)
{
    Drag(2);
    EXPECT_EQ(1, shop.items.freeStars);
    EXPECT_EQ(1, Count(kStarDragged));
    EXPECT_EQ(1, Count(kStarAtSource));

    shop.OnMouseUp(shop.layout.source.x, shop.layout.source.y);
    Item(4, 2, 3);
    shop.BuildStars(0.0f);
    shop.OnMouseDown(shop.layout.pictures[4].x, shop.layout.pictures[4].y);
    EXPECT_EQ(1, shop.items.levels[4]) << "the level falls as the star leaves";
    const CShopStar& held = Last(kStarDragged);
    EXPECT_FLOAT_EQ(shop.layout.pictures[4].x, held.position.x);
    EXPECT_EQ(1, Count(kStarOnItem));
}

TEST_F(ShopInput, ADropGoesToTheNextFreePlaceOrBackToTheSource)
{
    Item(0, 1, 3);
    Drag(1);
    shop.OnMouseUp(shop.layout.pictures[0].x, shop.layout.pictures[0].y);
    ASSERT_EQ(1, Count(kStarFlyingToItem));
    const CShopStar& flying = Last(kStarFlyingToItem);
    EXPECT_EQ(0, flying.item);
    const Vec3 place2 = shop.PlaceOf(0, 2);
    EXPECT_FLOAT_EQ(place2.x, flying.to.x);
    EXPECT_FLOAT_EQ(place2.y, flying.to.y);
    EXPECT_EQ(1, shop.items.levels[0]) << "the level rises when the star lands";

    // Level 2 and one star coming make item 0 full: the drop falls to item 1, whose
    // frame overlaps; with item 1 locked the star goes back to the source.
    Item(0, 2, 3);
    Item(1, -1, -1);
    shop.items.freeStars = 1;
    shop.RebuildSourceStars();
    shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);
    shop.OnMouseUp(-280.0f, 0.0f);
    EXPECT_EQ(1, Count(kStarFlyingToItem));
    EXPECT_EQ(1, Count(kStarReturning));
    const CShopStar& back = Last(kStarReturning);
    EXPECT_FLOAT_EQ(shop.settings.srcPanel[0] + 24.0f - 2.0f, back.to.x) << "the station of the first free slot";
    EXPECT_EQ(0, shop.items.freeStars) << "the star is free again only when it lands";
    EXPECT_EQ(1, shop.CountStars());
}

TEST_F(ShopInput, TheEdgeOfAWidgetCountsAndTheSourceWinsOverAnItem)
{
    Item(2, 0, 1);
    Drag(1);
    const ShopRect& picture = shop.layout.pictures[2];
    shop.OnMouseUp(picture.x + picture.w / 2, picture.y - picture.h / 2);
    EXPECT_EQ(1, Count(kStarFlyingToItem));

    shop.layout.source = shop.layout.frames[3];
    Item(3, 0, 1);
    Drag(1);
    shop.OnMouseUp(shop.layout.frames[3].x, shop.layout.frames[3].y);
    EXPECT_EQ(1, Count(kStarReturning));
}

TEST_F(ShopInput, NothingMovesWhileAModalFormCoversTheShop)
{
    shop.items.freeStars = 1;
    shop.BuildStars(0.0f);
    shop.layout.open = false;
    shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);
    EXPECT_EQ(1, shop.items.freeStars);
    shop.layout.open = true;
    shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);
    shop.layout.open = false;
    shop.OnMouseUp(shop.layout.pictures[8].x, shop.layout.pictures[8].y);
    EXPECT_EQ(1, Count(kStarDragged));
}

TEST_F(ShopInput, PlusTakesAFreeStarOrTurnsOneOnItsWayBackAndMinusSendsTheTopStarHome)
{
    Item(5, 1, 3);
    Item(6, 0, 2);
    shop.items.freeStars = 0;
    shop.BuildStars(0.0f);
    EXPECT_EQ(0, shop.OnClick(6, 1)) << "no star to give";

    EXPECT_EQ(1, shop.OnClick(5, 0));
    EXPECT_EQ(0, shop.items.levels[5]) << "minus lowers the level at once";
    EXPECT_EQ(1, Count(kStarFlyingToSource));
    EXPECT_EQ(0, shop.OnClick(5, 0)) << "nothing left on the item";

    EXPECT_EQ(1, shop.OnClick(6, 1));
    EXPECT_EQ(0, Count(kStarFlyingToSource));
    EXPECT_EQ(6, Last(kStarFlyingToItem).item);
    EXPECT_EQ(0, shop.items.freeStars);

    shop.items.freeStars = 1;
    shop.RebuildSourceStars();
    EXPECT_EQ(1, shop.OnClick(6, 1)) << "the second place";
    EXPECT_EQ(0, shop.items.freeStars);
    EXPECT_EQ(0, shop.OnClick(6, 1)) << "two coming fill a limit of two";
}

TEST_F(ShopInput, ArrivalsRaiseTheLevelAndFreeTheStarsInTheirOwnTime)
{
    Item(7, 0, 2);
    shop.items.freeStars = 2;
    shop.BuildStars(0.0f);
    shop.OnClick(7, 1);
    shop.OnClick(7, 0);  // nothing on the item yet: refused
    EXPECT_EQ(1, Count(kStarFlyingToItem));
    for (int i = 0; i < 200 && Count(kStarFlyingToItem) > 0; ++i)
        shop.Update(0.02f, -999.0f, -999.0f);
    EXPECT_EQ(1, shop.items.levels[7]);
    EXPECT_EQ(1, Count(kStarOnItem));
    EXPECT_EQ(1, shop.items.freeStars);
}

// A star landing at the source rebuilds the source row; the stars after it in the
// list still move that frame.
TEST_F(ShopInput, ALandingAtTheSourceHoldsUpNoOtherStar)
{
    Item(7, 0, 2);
    shop.items.freeStars = 1;
    shop.BuildStars(0.0f);
    const auto fly = [&](ShopStarState state, float distance) {
        CRefPtr<CShopStar> star(new CShopStar);
        star->Fly(state, {0.0f, 0.0f, 0.0f}, {distance, 0.0f, 0.0f}, 100.0f, 0);
        star->item = 7;
        shop.stars.push_back(star);
        return star;
    };
    fly(kStarReturning, 0.0f);                                  // lands at once
    const CRefPtr<CShopStar> later = fly(kStarFlyingToItem, 500.0f);
    shop.Update(0.1f, -999.0f, -999.0f);
    EXPECT_EQ(2, shop.items.freeStars);
    EXPECT_FLOAT_EQ(0.1f, later->elapsed);
    EXPECT_FLOAT_EQ(10.0f, later->position.x);
}

// Closing the shop at once leaves no star and no stub behind; opening it again lays
// the stubs out fading in, item 1's a step below the others (item 0's frame overlaps).
TEST_F(ShopInput, ClosingAtOnceClearsStarsAndStubsAndStubsFadeIn)
{
    for (int i = 0; i < CShop::kItemCount; ++i)
        Item(i, 0, shop.items.maxLevels[size_t(i)]);
    Item(1, 0, shop.items.maxLevels[1] - 1);
    Item(2, 0, shop.items.maxLevels[2] - 1);
    shop.items.freeStars = 2;
    shop.Refresh(1, 2.0f, 12);
    ASSERT_EQ(2u, shop.stubs.size());
    EXPECT_EQ(shop.stubs[1]->zOrder - 1, shop.stubs[0]->zOrder);
    for (const CRefPtr<CSpriteShape>& stub : shop.stubs)
    {
        EXPECT_FLOAT_EQ(0.0f, stub->alpha);
        EXPECT_FLOAT_EQ(1.0f, stub->alphaTarget);
        EXPECT_FLOAT_EQ(2.0f, stub->fadeSpeed);
    }
    EXPECT_FALSE(shop.stars.empty());
    shop.Refresh(0, 0.0f, 12);
    EXPECT_TRUE(shop.stars.empty());
    EXPECT_TRUE(shop.stubs.empty());
}

TEST_F(ShopInput, SettlingBeforeASaveLandsEveryStarWhereItWasGoing)
{
    Item(9, 1, 4);
    Item(10, 0, 2);
    shop.items.freeStars = 3;
    shop.BuildStars(0.0f);
    shop.OnClick(10, 1);                                      // on its way to an item
    shop.OnClick(9, 0);                                       // on its way back
    shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);  // held
    shop.OnMouseUp(shop.layout.source.x, shop.layout.source.y);    // dropped, flying back
    shop.OnMouseDown(shop.layout.source.x, shop.layout.source.y);  // held again
    const int held = shop.CountStars();
    shop.SettlePendingStars();
    EXPECT_EQ(held, shop.items.freeStars);
    EXPECT_EQ(3, shop.items.freeStars);
    EXPECT_EQ(0, shop.items.levels[9]);
    EXPECT_EQ(1, shop.items.levels[10]);
    EXPECT_EQ(shop.items.freeStars, Count(kStarAtSource));
    EXPECT_EQ(1, Count(kStarOnItem));
    EXPECT_EQ(int(shop.stars.size()), Count(kStarAtSource) + Count(kStarOnItem));

    const auto levels = shop.items.levels;
    shop.SettlePendingStars();
    EXPECT_EQ(levels, shop.items.levels);
    EXPECT_EQ(3, shop.items.freeStars);
}

TEST_F(ShopInput, TheSourceRowSqueezesFromSixStarsAndTheStationFollowsTheCount)
{
    const float left = shop.settings.srcPanel[0];
    EXPECT_FLOAT_EQ(left + 24.0f + 4 * 48.0f, shop.SourceSlotX(4, 5));
    EXPECT_FLOAT_EQ(left + 264.0f - 24.0f, shop.SourceSlotX(5, 6));
    shop.items.freeStars = 5;
    EXPECT_FLOAT_EQ(left + 240.0f - 2.0f, shop.SourceStation().x);
    EXPECT_FLOAT_EQ(shop.settings.srcPanel[1] - 1.0f, shop.SourceStation().y);
}

TEST_F(ShopInput, OpeningRevealsTheLevelsUnlocksWhenTheFadeEndsAndStubsCrackInTurn)
{
    shop.items.UnlockForLevel(1);
    shop.Refresh(1, 0.0f, 2);
    EXPECT_FLOAT_EQ(1.0f, shop.display);
    shop.Update(0.1f, -999.0f, -999.0f);
    EXPECT_EQ(-1, shop.items.levels[10]) << "shown at once: no reveal";

    shop.Refresh(0, 0.0f, 2);
    shop.items.UnlockForLevel(1);
    shop.settings.stubT = 0.4f;
    shop.Refresh(1, 2.0f, 2);
    EXPECT_EQ(0, shop.Update(0.25f, -999.0f, -999.0f));
    EXPECT_EQ(1, shop.Update(0.25f, -999.0f, -999.0f));
    EXPECT_EQ(0, shop.items.levels[10]) << "the TNT bonus is there to buy";
    EXPECT_EQ(1, shop.items.limits[kShopItemGemCount]);
    ASSERT_EQ(2u, shop.crackQueue.size());
    const size_t stubs = shop.stubs.size();
    shop.Update(0.39f, -999.0f, -999.0f);
    EXPECT_EQ(stubs, shop.stubs.size());
    shop.Update(0.02f, -999.0f, -999.0f);
    EXPECT_EQ(stubs - 1, shop.stubs.size());
    shop.Update(0.9f, -999.0f, -999.0f);
    EXPECT_EQ(stubs - 2, shop.stubs.size());

    // A period of nothing cracks the whole queue at once.
    shop.Refresh(0, 0.0f, 3);
    shop.items.UnlockForLevel(2);
    shop.settings.stubT = 0.0f;
    shop.Refresh(1, 0.0f, 5);
    shop.RevealUnlocks(5);
    ASSERT_FALSE(shop.crackQueue.empty());
    shop.Update(0.01f, -999.0f, -999.0f);
    EXPECT_TRUE(shop.crackQueue.empty());
}

// The screen's motion: a cracking stub throws halos and pieces, pulses mark the places
// still to buy (not while a modal form covers the shop), a flight trails sparks that
// stop when it lands, and the rays and the background turn and scroll round.
TEST_F(ShopInput, StubsCrackPulsesMarkPlacesToBuyFlightsTrailSparksAndTheBackdropMoves)
{
    CRefPtr<CSpriteList> list(new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CRefPtr<CParticleSystemsManager> cracks(
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    CRefPtr<CParticleSystemsManager> tails(
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    shop.SetResources(list, CRefPtr<CTexture>(), CRefPtr<CTexture>(), nullptr);
    shop.SetEffects(cracks, tails, CRefPtr<CTexture>(), CRefPtr<CTexture>(), CRefPtr<CTexture>());
    shop.settings.pointersT = 0.95f;
    shop.settings.sandboxRaysW = -1.0f;
    shop.items.UnlockForLevel(1);
    shop.Refresh(1, 2.0f, 2);
    const size_t dust = cracks->systems.size();  // the sand glass's
    shop.Update(0.5f, -999.0f, -999.0f);
    ASSERT_EQ(2u, shop.crackQueue.size());
    EXPECT_NEAR(6.2831853f - 0.5f, shop.rayAngle, 1e-4f);
    EXPECT_NEAR(0.125f, shop.backgroundOffset[0], 1e-5f);
    EXPECT_NEAR(1.0f - 0.07725f, shop.backgroundOffset[1], 1e-5f);

    shop.Update(0.4f, -999.0f, -999.0f);
    EXPECT_EQ(2u, shop.pulses.size()) << "two halos";
    EXPECT_EQ(dust + 1, cracks->systems.size()) << "the stub's pieces";

    // Items 8 and 10 can take a star on their first place.
    shop.Update(0.2f, -999.0f, -999.0f);
    ASSERT_EQ(4u, shop.pulses.size());
    for (int item : {int(kShopItemGemCount), 10})
        EXPECT_TRUE(std::any_of(shop.pulses.begin(), shop.pulses.end(), [&](const CRefPtr<CSpriteShape>& p) {
            return p->position.x == shop.PlaceOf(item, 1).x && p->position.y == shop.PlaceOf(item, 1).y;
        })) << item;
    shop.crackQueue.clear();
    shop.layout.open = false;
    shop.Update(1.0f, -999.0f, -999.0f);
    EXPECT_EQ(4u, shop.pulses.size());
    shop.layout.open = true;

    shop.items.freeStars = 1;
    shop.RebuildSourceStars();
    shop.OnClick(10, 1);
    ASSERT_EQ(1, Count(kStarFlyingToItem));
    ASSERT_EQ(1u, tails->systems.size());
    const CRefPtr<CParticleSystem> tail = tails->systems[0];
    EXPECT_GT(tail->duration, tail->elapsed);
    shop.Update(2.0f, -999.0f, -999.0f);
    EXPECT_EQ(1, shop.items.levels[10]);
    EXPECT_LE(tail->duration, tail->elapsed) << "landed: the tail stops";
}


// ---------------------------------------------------------------------------------
// The sand glass and the bonus pictures

std::string SkinWith(const std::string& name, const std::string& section)
{
    const fs::path path = fs::temp_directory_path() / ("shop_skin_" + name + ".cfg");
    std::ofstream(path, std::ios::binary) << "[Shop]\n" << section;
    return path.string();
}

TEST(ShopSettings, SandGlassKeysComeInScreenUnitsAndMissingOnesTakeTheirDefaults)
{
    struct Case
    {
        const char* section;
        float front[3], size[2], frontT0, glassT2, note[2];
        uint32_t glass;
        float dustAlpha;
    };
    const Case cases[] = {
        {"", {1.5f, 50.5f, -20.0f}, {178.0f, 60.0f}, 162.0f / 512, 178.0f / 512, {1.5f, 50.5f}, 0xFF6CC8F7u, 127.0f / 255},
        {"SandboxFrontPos=869 232 -5\nSandboxFrontSize=112 38\nSandboxFrontT=0 0 10 10\nSandboxGlassT=0 0 256 10\n"
         "SandboxGlassColor=10 20 30 128\nSandboxDustColor=1 2 3 51\nSandboxNote=925 282 -21\n",
         {412.5f, 133.5f, -5.0f}, {112.0f, 38.0f}, 0.0f, 0.5f, {412.5f, 102.5f}, 0x800A141Eu, 0.2f},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        CShopSettings s;
        s.Load(SkinWith(std::to_string(n++), c.section).c_str(), "Shop");
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(c.front[k], s.sandboxFrontPos[k]) << c.section << k;
        EXPECT_FLOAT_EQ(c.size[0], s.sandboxFrontSize[0]);
        EXPECT_FLOAT_EQ(c.size[1], s.sandboxFrontSize[1]);
        EXPECT_FLOAT_EQ(c.frontT0, s.sandboxFrontT[0]);
        EXPECT_FLOAT_EQ(c.glassT2, s.sandboxGlassT[2]);
        EXPECT_FLOAT_EQ(c.note[0], s.sandboxNote[0]);
        EXPECT_FLOAT_EQ(c.note[1], s.sandboxNote[1]);
        EXPECT_EQ(c.glass, s.sandboxGlassColor);
        EXPECT_FLOAT_EQ(c.dustAlpha, s.sandboxDustAlpha);
        EXPECT_FLOAT_EQ(-20.0f, s.bonusZShift);
    }
}

// The shop screen with pictures: sprites, the dust's particles, the note's texts and
// the board's bonus maker.
class ShopPictures : public ShopInput
{
protected:
    void SetUp() override
    {
        ShopInput::SetUp();
        shop.SetResources(list, CRefPtr<CTexture>(), CRefPtr<CTexture>(), nullptr);
        shop.SetEffects(particles, particles, CRefPtr<CTexture>(), CRefPtr<CTexture>(), CRefPtr<CTexture>());
        shop.SetSandGlass(CRefPtr<CTexture>(), texts, screens_test::BoxFont());
        bonuses.SetRenderers(list, CRefPtr<CSpriteBatch>(), particles, list, particles, CRefPtr<CSpriteBatch>(), list);
        shop.bonusMaker = &bonuses;
    }
    const CSmokesParticleSystem& Dust() const { return dynamic_cast<const CSmokesParticleSystem&>(*shop.sandDust); }
    uint32_t GlassAlpha() const { return shop.sandShapes.at(1)->colour >> 24; }

    CRefPtr<CSpriteList> list{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CParticleSystemsManager> particles{
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CTextSet> texts{new CTextSet(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CBonusManager bonuses;
};

// The note is a text of the string table, filled by the checked formatter: only "%d"
// takes the seconds, so a translator's stray directive shows as written.
TEST_F(ShopPictures, TheNoteShowsTheSecondsOfEachLevelAndAStrayDirectiveAsWritten)
{
    shop.Refresh(1, 0.0f, 20);
    ASSERT_TRUE(shop.sandNote);
    const char* const expected[] = {"10 sec", "15 sec", "20 sec", "25 sec", "30 sec"};
    for (int level = 0; level <= 4; ++level)
    {
        shop.SetItemLevel(kShopItemSandGlass, level, 0);
        EXPECT_EQ(expected[level], shop.sandNote->text);
    }
    shop.secondsFormat = "%s%n %d%% of %x";
    shop.SetItemLevel(kShopItemSandGlass, 1, 0);
    EXPECT_EQ("%s%n 15% of %x", shop.sandNote->text);
    EXPECT_EQ("15", CShop().SecondsNote(1).substr(0, 2)) << "without its string the note keeps its own words";
}

// Level 2: the sand glass cannot be bought yet, so glass, dust and note show dimmed
// until the reveal at the end of the fade-in of level 5 makes it available.
TEST_F(ShopPictures, TheSandGlassShowsDimmedUntilItCanBeBoughtAndFadesOutWithTheShop)
{
    shop.items.UnlockForLevel(2);
    shop.settings.disabledAlpha = 0.5f;
    shop.Refresh(1, 2.0f, 5);
    ASSERT_EQ(2u, shop.sandShapes.size());
    EXPECT_EQ(0.0f, shop.sandShapes[0]->alpha) << "fading in";
    EXPECT_EQ(128u, GlassAlpha());
    EXPECT_FLOAT_EQ(shop.settings.sandboxDustAlpha * 0.5f, Dust().strength);
    EXPECT_EQ(128u, shop.sandNote->colour >> 24);
    EXPECT_FLOAT_EQ(0.5f, shop.sandDust->elapsed) << "dust in the glass from the start";
    EXPECT_EQ("10 sec", shop.sandNote->text);

    shop.Update(0.25f, -999.0f, -999.0f);
    EXPECT_FLOAT_EQ(0.5f, shop.sandNote->alphaFactor) << "the note follows the fade";
    shop.Update(0.25f, -999.0f, -999.0f);
    EXPECT_EQ(1, shop.items.limits[kShopItemSandGlass]);
    EXPECT_EQ(255u, GlassAlpha());
    EXPECT_FLOAT_EQ(shop.settings.sandboxDustAlpha, Dust().strength);
    EXPECT_EQ(255u, shop.sandNote->colour >> 24);

    const CRefPtr<CParticleSystem> dust = shop.sandDust;
    const CRefPtr<CSpriteShape> glass = shop.sandShapes[1];
    shop.Refresh(0, 2.0f, 5);
    EXPECT_TRUE(shop.sandShapes.empty());
    EXPECT_TRUE(glass->mortal) << "leaves the list once faded";
    EXPECT_FALSE(shop.sandDust);
    EXPECT_LE(dust->duration, dust->elapsed) << "the dust settles";
    shop.Update(0.3f, -999.0f, -999.0f);
    ASSERT_TRUE(shop.sandNote);
    shop.Update(0.3f, -999.0f, -999.0f);
    EXPECT_FALSE(shop.sandNote);
    EXPECT_TRUE(texts->texts.empty());
}

// Owned bonus items show the bonus of their kind and level, standing on the item's
// picture; a new level replaces the picture, and closing the shop sends them all off.
TEST_F(ShopPictures, OwnedBonusesStandOnTheirItemsAtTheirLevelAndLeaveWithTheShop)
{
    const int32_t owned[6] = {-1, 2, 0, 3, 1, -1};
    for (int k = 0; k < 6; ++k)
        Item(10 + k, owned[k], 3);
    shop.Refresh(1, 2.0f, 40);
    for (int k = 0; k < 6; ++k)
    {
        const CRefPtr<CBonus>& b = shop.bonusObjects[size_t(k)];
        ASSERT_EQ(owned[k] >= 0, bool(b)) << 10 + k;
        if (!b)
            continue;
        EXPECT_EQ(shop.items.subIds[size_t(10 + k)], b->kind);
        EXPECT_EQ(owned[k], b->level);
        EXPECT_EQ(0, b->active) << "for show only";
        EXPECT_FLOAT_EQ(shop.layout.pictures[size_t(10 + k)].x, b->target[0]);
        EXPECT_FLOAT_EQ(shop.layout.pictures[size_t(10 + k)].y, b->target[1]);
    }
    shop.Update(0.6f, -999.0f, -999.0f);
    EXPECT_EQ(kBonusPlaced, shop.bonusObjects[1]->state);
    EXPECT_TRUE(bonuses.bonuses.empty()) << "never on the board";

    const CRefPtr<CBonus> old = shop.bonusObjects[1];
    shop.SetItemLevel(11, 3, 0);
    EXPECT_EQ(3, shop.bonusObjects[1]->level);
    EXPECT_EQ(kBonusLeaving, old->state);
    shop.Update(0.1f, -999.0f, -999.0f);
    EXPECT_TRUE(shop.leavingBonuses.empty());

    shop.Refresh(0, 2.0f, 40);
    EXPECT_TRUE(std::none_of(shop.bonusObjects.begin(), shop.bonusObjects.end(), [](const CRefPtr<CBonus>& b) { return bool(b); }));
    EXPECT_EQ(4u, shop.leavingBonuses.size());
    shop.Update(0.6f, -999.0f, -999.0f);
    EXPECT_TRUE(shop.leavingBonuses.empty());
}

// ---------------------------------------------------------------------------------
// The shop screen on the real Shop form

class ShopScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!screens_test::GamePicturesMade())
            GTEST_SKIP() << "the game's pictures are not generated in this build";
        LoadStringTable(ORB_GAME_DIR "/Data/Txt/Strings.txt", ORB_GAME_DIR "/Data/TextID.dat");
        screens_test::UseShippedFolders(folders, screens_test::TempFolder("ShopScreen") + "Players/");
        layout.Load(ORB_GAME_DIR "/Data/Config/Skin.cfg");
        ui = screens_test::MakeInterface(rec);
        ASSERT_EQ(1, ui->Load(folders, layout, params));
        shop.SetInterface(ui.Get());
        shop.settings.disabledAlpha = 0.5f;
        shop.items.ResetItems();
    }

    // The alpha of each sprite and text colour of a tinted list (0..2), in order.
    std::vector<uint32_t> Alphas(int tinted) const
    {
        std::vector<uint32_t> alphas;
        for (const CRefPtr<CKMWindow>& w : ui->List(kFormShop, 2 + tinted))
        {
            for (const CRefPtr<CSpriteShape>& sprite : w->sprites)
                alphas.push_back(sprite->colour >> 24);
            for (const CRefPtr<CText>& text : w->texts)
                alphas.push_back(text->colour >> 24);
        }
        return alphas;
    }
    // The alphas the form made the list with, each times `factor`.
    std::vector<uint32_t> Made(int tinted, float factor) const
    {
        std::vector<uint32_t> alphas;
        const CFormBlock& block = ui->Block(kFormShop);
        const WidgetList& widgets = ui->List(kFormShop, 2 + tinted);
        for (size_t i = 0; i < widgets.size(); ++i)
        {
            for (size_t k = 0; k < widgets[i]->sprites.size(); ++k)
                alphas.push_back(uint32_t(float(block.colours[size_t(tinted)][i] >> 24) * factor + 0.5f));
            for (uint32_t colour : block.textColours[size_t(tinted)][i])
                alphas.push_back(uint32_t(float(colour >> 24) * factor + 0.5f));
        }
        return alphas;
    }

    screens_test::RecordingDevice rec;
    CDataFolders folders;
    CQuestLayout layout;
    CLevelParams params;
    CRefPtr<CInterface> ui;
    CShop shop;
};

// The time dial (item 6) and the gem count's digits (item 8) show at half strength
// while their item cannot be bought; the reveal at the end of the fade-in gives the
// gem count its colours back when its level opens it. The sand glass's rays and dial
// keep theirs throughout.
TEST_F(ShopScreen, TheTimeAndGemCountWidgetsShowDimmedUntilTheirItemOpens)
{
    ASSERT_FALSE(Alphas(0).empty());
    ASSERT_FALSE(Alphas(2).empty());
    const std::vector<uint32_t> rays = Made(1, 1.0f);
    EXPECT_NE(Made(2, 1.0f), Made(2, 0.5f)) << "the digits have something to dim";
    shop.items.UnlockForLevel(1);
    ASSERT_LT(shop.items.limits[kShopItemTime], 1);
    ASSERT_LT(shop.items.limits[kShopItemGemCount], 1);
    shop.Refresh(1, 2.0f, 2);
    EXPECT_EQ(Made(0, 0.5f), Alphas(0)) << "time dial";
    EXPECT_EQ(Made(2, 0.5f), Alphas(2)) << "gem-count digits";
    EXPECT_EQ(rays, Alphas(1)) << "rays and dial";

    // Level 2 opens the gem count, not the time.
    shop.Update(0.6f, -999.0f, -999.0f);
    ASSERT_GE(shop.items.limits[kShopItemGemCount], 1);
    ASSERT_LT(shop.items.limits[kShopItemTime], 1);
    EXPECT_EQ(Made(2, 1.0f), Alphas(2));
    EXPECT_EQ(Made(0, 0.5f), Alphas(0));

    shop.Refresh(0, 0.0f, 2);
    shop.items.UnlockForLevel(3);
    shop.Refresh(1, 0.0f, 3);
    EXPECT_EQ(Made(0, 1.0f), Alphas(0)) << "an open item shows as the form made it";
    EXPECT_EQ(Made(2, 1.0f), Alphas(2));
    EXPECT_EQ(rays, Alphas(1));
}

// The empty-source label over the star source shows exactly while no free star is
// left: taken by a press, back when a star lands at the source.
TEST_F(ShopScreen, TheEmptySourceLabelShowsWhileNoFreeStarIsLeft)
{
    const CRefPtr<CKMWindow> label = ui->Widget(kFormShop, 2);
    ASSERT_TRUE(label);
    shop.items.UnlockForLevel(12);
    shop.items.freeStars = 1;
    shop.Refresh(1, 0.0f, 12);
    EXPECT_EQ(0, label->visible);
    const ShopRect source = shop.layout.source;
    shop.OnMouseDown(source.x, source.y);
    EXPECT_EQ(0, shop.items.freeStars);
    EXPECT_EQ(1, label->visible);
    shop.OnMouseUp(source.x, source.y);  // dropped on the source: flies back
    EXPECT_EQ(1, label->visible);
    for (int i = 0; i < 200 && shop.items.freeStars == 0; ++i)
        shop.Update(0.02f, -999.0f, -999.0f);
    EXPECT_EQ(1, shop.items.freeStars);
    EXPECT_EQ(0, label->visible);
}

}  // namespace
