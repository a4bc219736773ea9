// The trophy screen on the shipped Trophies form: an award spirals in from one icon
// width to the right at four times the icon's size, counts when it lands, and leaves
// the pending list after its afterglow; awards play one after the other; applying
// them at once ends the animation; the background drifts and wraps once, and its
// shelves stay under the trophies' feet.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "board/LevelParams.h"
#include "engine/StringTable.h"
#include "game/TrophyScreen.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/Interface.h"
#include "hud/QuestLayout.h"
#include "tests/screens/interface_fixture.h"
#include "tests/support/GeneratedPicture.h"

namespace {

using namespace screens_test;
namespace fs = std::filesystem;

class TrophyScreen : public ShippedInterfaceTest
{
protected:
    void SetUp() override
    {
        MakeShippedInterface(TestName());
        if (IsSkipped())
            return;
        ASSERT_EQ(1, ui->Load(folders, layout, params));
        screen.record = record;
        screen.ui = ui;
        screen.awardList = CRefPtr<CSpriteList>(new CSpriteList(rec.device, rec.vertexBuffer, rec.indexBuffer));
        trophies.pompaTime = 1.0f;
        trophies.postTime = 0.5f;
        form = ui->Form("Trophies");
        form->SetVisible(1);
        screen.RefreshIcons();  // as opening the screen does
    }

    // Frames of dt until Update has returned 1 `count` times or `seconds` ran out;
    // the seconds it took.
    float RunUntilAwarded(int count, float seconds, float dt = 0.05f)
    {
        float t = 0.0f;
        for (; t < seconds && count > 0; t += dt)
            count -= screen.Update(dt, -999.0f, -999.0f);
        return t;
    }

    CRefPtr<CKMForm> form;
    CRefPtr<CTrophies> record{new CTrophies()};
    CTrophies& trophies = *record;
    CTrophyScreen screen;
};

TEST_F(TrophyScreen, AnAwardSpiralsOntoItsIconAndCountsWhenItLands)
{
    trophies.QueueAward(2, 1);
    const CRefPtr<CKMWindow> icon = screen.LevelIcon(2, 1);
    ASSERT_TRUE(icon);
    const float w = icon->baseSize.w, h = icon->baseSize.h;

    EXPECT_EQ(0, screen.Update(0.0f, -999.0f, -999.0f));
    ASSERT_TRUE(screen.awardShape);
    EXPECT_FLOAT_EQ(icon->worldPosition.x + w, screen.awardShape->position.x);
    EXPECT_FLOAT_EQ(icon->worldPosition.y, screen.awardShape->position.y);
    EXPECT_FLOAT_EQ(4.0f * w, screen.awardShape->scaleX);
    EXPECT_FLOAT_EQ(4.0f * h, screen.awardShape->scaleY);
    EXPECT_EQ(0, trophies.levels[2]) << "not earned while it flies";
    EXPECT_FALSE(icon->visible);

    float t = 0.0f;
    while (t < 1.0f - 1e-4f)
    {
        EXPECT_EQ(0, screen.Update(0.1f, -999.0f, -999.0f));
        t += 0.1f;
    }
    EXPECT_EQ(1, trophies.levels[2]);
    EXPECT_EQ(1, trophies.displayedLevels[2]);
    EXPECT_TRUE(icon->visible);
    EXPECT_FALSE(screen.awardShape);
    EXPECT_EQ(TrophyAwardPhase::Landed, screen.phase);
    ASSERT_EQ(1u, trophies.pending.size()) << "leaves only after the afterglow";
    EXPECT_LT(RunUntilAwarded(1, 2.0f, 0.1f), 0.65f);
    EXPECT_TRUE(trophies.pending.empty());
}

TEST_F(TrophyScreen, TwoAwardsPlayOneAfterTheOther)
{
    trophies.QueueAward(1, 1);
    trophies.QueueAward(4, 2);
    EXPECT_NEAR(1.5f, RunUntilAwarded(1, 5.0f), 0.11f);
    EXPECT_EQ(1, trophies.levels[1]);
    EXPECT_EQ(0, trophies.levels[4]);
    EXPECT_NEAR(1.5f, RunUntilAwarded(1, 5.0f), 0.11f);
    EXPECT_EQ(2, trophies.levels[4]);
}

TEST_F(TrophyScreen, ApplyingDuringTheAfterglowEndsItAndALaterAwardPlaysWhole)
{
    trophies.QueueAward(1, 1);
    trophies.QueueAward(3, 2);
    for (int i = 0; i < 12; ++i)
        screen.Update(0.1f, -999.0f, -999.0f);
    ASSERT_EQ(TrophyAwardPhase::Landed, screen.phase);
    screen.ApplyPending();
    EXPECT_EQ(TrophyAwardPhase::Flying, screen.phase);
    EXPECT_EQ(0.0f, screen.timer);
    EXPECT_TRUE(trophies.pending.empty());
    EXPECT_EQ(2, trophies.levels[3]);
    EXPECT_FALSE(screen.awardShape);
    trophies.QueueAward(5, 1);
    EXPECT_NEAR(1.5f, RunUntilAwarded(1, 5.0f), 0.11f);
}

TEST_F(TrophyScreen, NothingMovesWhileTheFormDoesNotTakeInput)
{
    trophies.QueueAward(1, 1);
    form->enabled = 0;
    EXPECT_EQ(0, RunUntilAwarded(1, 3.0f) < 3.0f);
    EXPECT_FALSE(screen.awardShape);
    EXPECT_EQ(0, trophies.levels[1]);
}

TEST_F(TrophyScreen, TheBackgroundDriftsAndWrapsOnce)
{
    CRefPtr<CKMWindow> background = ui->Widget(kFormTrophies, 0);
    ASSERT_TRUE(background);
    ASSERT_FALSE(background->sprites.empty());
    CSpriteShape& shape = *background->sprites[0];
    trophies.backgroundSpeed[0] = 0.0625f;
    trophies.backgroundSpeed[1] = 0.0f;
    shape.SetFrameUV4(0, 0.99f, 0.5f, 1.99f, 0.5f, 1.99f, 1.25f, 0.99f, 1.25f);
    screen.Update(0.5f, -999.0f, -999.0f);
    EXPECT_NEAR(0.02125f, shape.frames[0].u, 1e-5f);
    EXPECT_NEAR(0.02125f + trophies.backgroundSize[0], shape.frames[1].u, 1e-5f);
}

// The shipped wall drifts sideways only; every trophy stands on a shelf's lit top,
// a few pixels under its icon, and no shelf crosses the icon, however long it drifts.
TEST_F(TrophyScreen, TheShelvesOfTheShippedWallStayUnderTheTrophies)
{
    GeneratedPicture wall;
    if (!wall.Load("Trophies.jpg"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    trophies.LoadSettings((std::string(ORB_GAME_DIR) + "/Data/Config/Skin.cfg").c_str());
    CRefPtr<CKMWindow> background = ui->Widget(kFormTrophies, 0);
    ASSERT_TRUE(background && !background->sprites.empty());
    const CSpriteShape& shape = *background->sprites[0];
    for (int second = 0; second < 40; ++second)
        screen.Update(1.0f, -999.0f, -999.0f);
    // The wall's texel row under a screen row (y down from the top), any column: the
    // shelves run across the whole wall.
    const auto light = [&](float screenY) {
        const float v = shape.frames[0].v + (screenY / 768.0f) * (shape.frames[3].v - shape.frames[0].v);
        const int row = int(std::fmod(v + 1.0f, 1.0f) * float(wall.image.height));
        return wall.Light(wall.image.width / 3, std::min(row, wall.image.height - 1));
    };
    for (int t = 0; t < CTrophies::kTrophyCount; ++t)
    {
        const CRefPtr<CKMWindow> icon = screen.LevelIcon(t, 1);
        ASSERT_TRUE(icon) << t;
        const float top = 384.0f - (icon->worldPosition.y + icon->baseSize.h / 2.0f);
        const float feet = 384.0f - (icon->worldPosition.y - icon->baseSize.h / 2.0f);
        int shelf = 0, across = 0;
        for (float y = feet - 8.0f; y <= feet + 4.0f; y += 1.0f)
            shelf = std::max(shelf, light(y));
        for (float y = top; y <= feet - 10.0f; y += 1.0f)
            across = std::max(across, light(y));
        EXPECT_GE(shelf, 130) << "trophy " << t << " stands on a shelf";
        EXPECT_LE(across, 100) << "no shelf crosses trophy " << t;
    }
}

TEST_F(TrophyScreen, IconsFollowTheShownLevelsAndTheDescriptionOnlyEarnedOnes)
{
    trophies.levels[0] = trophies.displayedLevels[0] = 1;
    screen.RefreshIcons();
    const CRefPtr<CKMWindow> earned = screen.LevelIcon(0, 1);
    ASSERT_TRUE(earned);
    EXPECT_TRUE(earned->visible);
    EXPECT_FALSE(screen.LevelIcon(0, 0));
    EXPECT_FALSE(screen.LevelIcon(9, 1)) << "no tenth trophy on the form";
    const CRefPtr<CKMWindow> unearned = screen.LevelIcon(1, 1);
    ASSERT_TRUE(unearned);
    EXPECT_FALSE(unearned->visible);

    const WidgetList& rows = ui->List(kFormTrophies, 0);
    ASSERT_FALSE(rows.empty());
    screen.Update(0.0f, earned->worldPosition.x, earned->worldPosition.y);
    EXPECT_TRUE(rows[0]->visible);
    screen.Update(0.0f, unearned->worldPosition.x, unearned->worldPosition.y);
    EXPECT_FALSE(rows[0]->visible);
}

}  // namespace
