// The adviser's hint display: the counter of whole seconds and its fades, the
// group arrows that bob over a move and stay while the move stays, the timed
// arrows of the hint button, and a display without its widgets doing nothing.
#include "bonuses/AdviserInterface.h"
#include "bonuses/BonusConfig.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Font.h"
#include "ui/KMStatic.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class AdviserDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
        list = CRefPtr<CSpriteList>(new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                    CRefPtr<CIndexBuffer>()));
        counter = CRefPtr<CKMStatic>(new CKMStatic(list, CRefPtr<CTextSet>()));
        counter->wrapText = 0;
        counter->CreateText(CRefPtr<CFont>(), 1.0f, 1.0f, "", 0);
        panel = CRefPtr<CKMWindow>(new CKMWindow(list, CRefPtr<CTextSet>()));
        adviser.SetResources(counter, panel, CRefPtr<CTexture>(), list);
    }

    std::string Counter() const
    {
        CRefPtr<CText> text = counter->MainText();
        return text ? text->text : std::string();
    }

    CRefPtr<CSpriteList> list;
    CRefPtr<CKMStatic> counter;
    CRefPtr<CKMWindow> panel;
    CAdviserInterface adviser;
};

TEST_F(AdviserDisplay, CounterShowsWholeSecondsAndMoreTimeExtendsIt)
{
    adviser.AddTime(1, 20.0f);
    EXPECT_EQ(1, adviser.active);
    EXPECT_EQ(0, panel->active);
    EXPECT_EQ(1, counter->visible);
    EXPECT_EQ("20", Counter());
    // Still 20 until less than 19.01 seconds are left.
    for (int i = 0; i < 9; ++i)
        adviser.Update(0.1f);
    EXPECT_EQ("20", Counter());
    adviser.Update(0.1f);
    EXPECT_EQ("19", Counter());
    EXPECT_FLOAT_EQ(1.0f, adviser.counterAlpha); // faded in at 10 a second

    // Five more seconds while running: no new fade-in.
    adviser.AddTime(1, 5.0f);
    EXPECT_NEAR(24.0f, adviser.remaining, 1e-4f);
    EXPECT_EQ(0, adviser.fadeDirection);

    // Time out: the panel comes back, the counter fades and the display closes.
    int last = 0;
    for (int i = 0; i < 400 && adviser.active; ++i)
        last = adviser.Update(0.1f);
    EXPECT_EQ(3, last);
    EXPECT_EQ(0, adviser.active);
    EXPECT_EQ(1, panel->active);
    EXPECT_EQ(0, counter->visible);
}

TEST_F(AdviserDisplay, AsksForTheHintEveryRefreshAndOffEndsIt)
{
    adviser.AddTime(0, 0.0f); // off while idle changes nothing
    EXPECT_EQ(0, adviser.active);
    adviser.AddTime(1, 5.0f);
    std::vector<int> answers;
    for (int i = 0; i < 6; ++i)
        answers.push_back(adviser.Update(0.1f));
    EXPECT_EQ((std::vector<int>{2, 2, -1, 2, 2, -1}), answers);
    adviser.ShowGroupHint({Vec3{10, 20, 0}});
    adviser.AddTime(0, 0.0f);
    EXPECT_EQ("0", Counter());
    EXPECT_TRUE(adviser.groupArrows.empty());
    EXPECT_EQ(-1, adviser.fadeDirection);
}

TEST_F(AdviserDisplay, GroupArrowsStayOverTheSameMoveAndBob)
{
    adviser.AddTime(1, 20.0f);
    const std::vector<Vec3> move = {Vec3{10, 20, 0}, Vec3{60, 20, 0}};
    adviser.ShowGroupHint(move);
    ASSERT_EQ(2u, adviser.groupArrows.size());
    const CRefPtr<CSpriteShape> first = adviser.groupArrows[0];
    EXPECT_FLOAT_EQ(-50.0f, adviser.groupArrowPlaces[0].z);
    EXPECT_EQ(-10, first->zOrder);
    EXPECT_FLOAT_EQ(64.0f, first->scaleX);
    EXPECT_FLOAT_EQ(32.0f, first->scaleY);
    adviser.ShowGroupHint(move);
    ASSERT_EQ(2u, adviser.groupArrows.size());
    EXPECT_TRUE(adviser.groupArrows[0].SameAs(first)); // no new shapes

    // A quarter second: a quarter of a bob, 4 units up.
    adviser.Update(0.25f);
    EXPECT_NEAR(24.0f, first->position.y, 1e-3f);

    // Another move: the old arrows fade out within 0.05 s and leave.
    adviser.ShowGroupHint({Vec3{200, -40, 0}});
    ASSERT_EQ(1u, adviser.groupArrows.size());
    EXPECT_EQ(1, first->mortal);
    EXPECT_FLOAT_EQ(0.05f, first->life);
    EXPECT_FLOAT_EQ(0.0f, first->alphaTarget);
    EXPECT_FLOAT_EQ(200.0f, adviser.HintX());
}

TEST_F(AdviserDisplay, TimedArrowsShrinkAndGo)
{
    adviser.ShowHint(0.0f, 0.0f, 2.0f);
    ASSERT_EQ(1u, adviser.timedArrows.size());
    const CRefPtr<CSpriteShape> arrow = adviser.timedArrows[0];
    EXPECT_FLOAT_EQ(128.0f, arrow->scaleX);
    // It shrinks to 64 x 32 in a tenth of its time.
    for (int i = 0; i < 20; ++i)
        list->UpdateAll(0.01f, 1);
    EXPECT_NEAR(64.0f, arrow->scaleX, 1e-3f);
    EXPECT_NEAR(32.0f, arrow->scaleY, 1e-3f);

    adviser.ShowHint(5.0f, 5.0f, 0.5f);
    for (int i = 0; i < 4; ++i)
        adviser.Update(0.125f);
    EXPECT_EQ(1u, adviser.timedArrows.size()); // the half-second arrow went
    // No time: an arrow of the final size at once, nothing divided.
    adviser.ShowHint(1.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(64.0f, adviser.timedArrows.back()->scaleX);
    adviser.Update(0.01f);
    EXPECT_EQ(1u, adviser.timedArrows.size());
}

TEST(AdviserDisplayWithoutWidgets, DoesNothing)
{
    LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
    CAdviserInterface adviser;
    adviser.AddTime(1, 20.0f);
    adviser.ShowGroupHint({Vec3{1, 2, 0}});
    adviser.ShowHint(1.0f, 2.0f, 1.0f);
    EXPECT_EQ(0, adviser.active);
    EXPECT_TRUE(adviser.groupArrowPlaces.empty());
    EXPECT_TRUE(adviser.timedArrows.empty());
    EXPECT_EQ(2, adviser.Update(0.5f));
}

} // namespace
