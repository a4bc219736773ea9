// The pop-ups: the "Score.cfg" keys and defaults, each kind's timing curves,
// the multiplier's row of pictures, the list's culling and the combo
// announcement thresholds.
#include "hud/PopupMessages.h"

#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kFont = 20.0f; // the font's size value

class PopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPopupMessages::LoadSettings((dir / "none.cfg").c_str());
        font = CRefPtr<CFont>(new CFont({}));
        font->headerFloat3 = kFont;
        list = CRefPtr<CSpriteList>(new CSpriteList({}, {}, {}));
        texts = CRefPtr<CTextSet>(new CTextSet({}, {}, {}));
        popups.SetResources(list, texts, font, font, {});
    }
    void TearDown() override { CPopupMessages::LoadSettings((dir / "none.cfg").c_str()); }

    void LoadFile(const std::string& text)
    {
        dir.Write("Score.cfg", text);
        CPopupMessages::LoadSettings((dir / "Score.cfg").c_str());
    }

    // The drawn size factor of the pop-up's first text.
    static float Scale(const CPopupMessage& p) { return p.texts[0]->scaleX / (kFont * p.textSizes[0]); }
    static float ScaleY(const CPopupMessage& p) { return p.texts[0]->scaleY / (kFont * p.textSizes[1]); }
    static float Alpha(const CPopupMessage& p) { return p.texts[0]->alphaFactor; }

    TestDir dir;
    CRefPtr<CFont> font;
    CRefPtr<CSpriteList> list;
    CRefPtr<CTextSet> texts;
    CPopupMessages popups;
};

TEST_F(PopupTest, DefaultsWithoutTheFile)
{
    const PopupSettings& s = CPopupMessages::Settings();
    EXPECT_EQ(s.z, 0.0f);
    ASSERT_EQ(s.comboThresholds.size(), 3u);
    for (const auto& row : s.comboThresholds)
        EXPECT_EQ(row, (std::vector<int32_t>{5, 5, 5, 5}));
    EXPECT_EQ(s.score.speed[1], -80.0f); // "0 80" with y negated
    EXPECT_EQ(s.score.color, 0xFFFFA050u);
    EXPECT_EQ(s.score.shadowShift[1], -2.0f);
    EXPECT_EQ(s.score.shadowColor, 0x80000000u);
    EXPECT_FLOAT_EQ(s.message.pulseRate, 6.2831855f);
    ASSERT_EQ(s.message.colors.size(), 1u);
    EXPECT_EQ(s.message.colors[0], 0xFFA0A0FFu);
    EXPECT_EQ(s.multiplier.speed[1], 50.0f);
    EXPECT_EQ(s.loss.color, 0xFFFFFF50u);
    EXPECT_EQ(s.loss.shadow, 0);
}

TEST_F(PopupTest, KeysOfTheFile)
{
    LoadFile("[Shared]\nZ=-5\nCombo6_3=9\n"
             "[Score]\nSpeed=3 40\nShadow=1\nShadowShift=1 3\n"
             "[Message]\nShadow=2\nPulsT=0.5\nColors=3\nColor0=255 0 0 255\nColor2=0 0 255 128\n"
             "Color3=1 1 1 1\n"
             "[Multiplier]\nShadow=1\n[Loss]\nColor=10 20 30 40\n");
    const PopupSettings& s = CPopupMessages::Settings();
    EXPECT_EQ(s.z, -5.0f);
    EXPECT_EQ(s.comboThresholds[1][2], 9);
    EXPECT_EQ(s.comboThresholds[1][1], 5);
    EXPECT_EQ(s.score.speed[0], 3.0f);
    EXPECT_EQ(s.score.speed[1], -40.0f);
    EXPECT_EQ(s.score.shadow, 1);
    EXPECT_EQ(s.score.shadowShift[1], -3.0f);
    EXPECT_EQ(s.message.shadow, 0); // only 1 switches the shadow on
    EXPECT_FLOAT_EQ(s.message.pulseRate, 4.0f * 3.1415927f);
    ASSERT_EQ(s.message.colors.size(), 3u); // Color3 is not read
    EXPECT_EQ(s.message.colors[0], 0xFFFF0000u);
    EXPECT_EQ(s.message.colors[1], 0xFFA0A0FFu);
    EXPECT_EQ(s.message.colors[2], 0x800000FFu);
    EXPECT_EQ(s.multiplier.shadow, 1);
    EXPECT_EQ(s.loss.color, 0x280A141Eu);

    // Reading again replaces the colours instead of adding a second set.
    CPopupMessages::LoadSettings((dir / "Score.cfg").c_str());
    EXPECT_EQ(CPopupMessages::Settings().message.colors.size(), 3u);
}

TEST_F(PopupTest, PulsePeriodOfZeroOrLessMeansNoPulse)
{
    for (const char* period : {"0", "-1", "abc"})
    {
        LoadFile(std::string("[Message]\nPulsT=") + period + "\n");
        EXPECT_EQ(CPopupMessages::Settings().message.pulseRate, 0.0f) << period;
        CRefPtr<CPopupMessage> p;
        popups.AddMessage(p, "CALM", 1.0f, 0, 0, 0, 0);
        p->Update(0.5f);
        EXPECT_FLOAT_EQ(Scale(*p), 1.0f) << period;
    }
}

TEST_F(PopupTest, SwellCurve)
{
    for (float f : {1.0f, 1.3f, 1.5f, 3.0f})
    {
        EXPECT_FLOAT_EQ(CPopupMessage::Swell(0.0f, f), 0.25f);
        EXPECT_NEAR(CPopupMessage::Swell(1.0f, f), 1.0f, 1e-6f);
    }
    EXPECT_NEAR(CPopupMessage::Swell(0.5f, 1.5f), 1.78f, 0.01f);
}

TEST_F(PopupTest, ScorePopupTiming)
{
    CRefPtr<CPopupMessage> p;
    popups.AddScore(p, 120, 2, 10.0f, 200.0f, 0.0f);
    EXPECT_EQ(p->texts[0]->text, "120");
    EXPECT_FLOAT_EQ(p->size, 1.2f); // 1 + 2 x 0.1
    EXPECT_EQ(p->texts[0]->colour, 0xFFFFA050u);
    EXPECT_EQ(Alpha(*p), 0.0f);
    p->Update(0.0f); // a new pop-up stays invisible until time passes
    EXPECT_EQ(Alpha(*p), 0.0f);

    const struct
    {
        float t, scale, alpha;
    } steps[] = {
        {0.125f, CPopupMessage::Swell(0.5f, 1.5f), 0.5f},
        {0.25f, 1.0f, 1.0f},
        {0.5f, 1.0f, 1.0f},
        {1.0f, 1.0f, 0.5f},
        {1.2f, 1.0f, 0.1f},
    };
    float now = 0.0f;
    for (const auto& s : steps)
    {
        EXPECT_EQ(p->Update(s.t - now), 1) << s.t;
        now = s.t;
        EXPECT_NEAR(Scale(*p), s.scale, 1e-4f) << s.t;
        EXPECT_NEAR(Alpha(*p), s.alpha, 1e-4f) << s.t;
        EXPECT_NEAR(p->texts[0]->position.y, 200.0f - 80.0f * s.t, 1e-3f) << s.t;
    }
    EXPECT_EQ(p->Update(0.05f), 0); // 1.25 s: over
}

TEST_F(PopupTest, MessagePopupSwellsPulsesAndShrinksBack)
{
    CRefPtr<CPopupMessage> p;
    popups.AddMessage(p, "RIGHT!", 1.5f, 0, 0, 0, 0);
    EXPECT_EQ(p->size, 1.5f);
    auto pulse = [](float t) { return 1.0f + 0.1f * std::sin(6.2831855f * t); };
    p->Update(0.15f);
    EXPECT_NEAR(Scale(*p), CPopupMessage::Swell(0.5f, 1.3f) * pulse(0.15f), 1e-4f);
    EXPECT_NEAR(Alpha(*p), 0.5f, 1e-5f);
    p->Update(0.1f);
    p->Update(0.3f); // 0.55 s
    EXPECT_NEAR(Scale(*p), pulse(0.55f), 1e-4f);
    EXPECT_EQ(Alpha(*p), 1.0f);
    p->Update(0.6f); // 1.15 s: halfway back
    EXPECT_NEAR(Scale(*p), CPopupMessage::Swell(0.5f, 1.3f) * pulse(1.15f), 1e-4f);
    EXPECT_NEAR(Alpha(*p), 0.5f, 1e-4f);
    EXPECT_EQ(p->Update(0.15f), 0); // 1.3 s
}

// A caller's display time stands in for the file's message life: the swell back
// follows it.
TEST_F(PopupTest, AMessagesDisplayTimeReplacesTheFilesLife)
{
    CRefPtr<CPopupMessage> p;
    popups.AddMessage(p, "CATCH!", 1.0f, 0, 0, 0, 0, 0.5f);
    EXPECT_EQ(p->lifeTime, 0.5f);
    EXPECT_EQ(p->Update(0.75f), 1);
    EXPECT_EQ(p->Update(0.1f), 0); // 0.85 s: gone, where the file's life keeps it to 1.3 s
    popups.AddMessage(p, "RIGHT!", 1.0f, 0, 0, 0, 0);
    EXPECT_EQ(p->lifeTime, CPopupMessages::Settings().message.lifeTime);
}

TEST_F(PopupTest, LossPopupUnfoldsFromAFlatLine)
{
    CRefPtr<CPopupMessage> p;
    popups.AddLoss(p, "TIME IS UP!", 1.5f, 0, 0, 0);
    p->Update(0.0001f);
    EXPECT_NEAR(ScaleY(*p), 0.01f, 1e-3f);
    EXPECT_FLOAT_EQ(Scale(*p), 1.0f);
    p->Update(0.15f - 0.0001f);
    EXPECT_NEAR(ScaleY(*p), 0.505f, 1e-4f);
    EXPECT_FLOAT_EQ(Scale(*p), 1.0f);
    p->Update(0.35f);
    EXPECT_FLOAT_EQ(ScaleY(*p), 1.0f);
    p->Update(0.75f); // 1.25 s: half faded, half folded
    EXPECT_NEAR(ScaleY(*p), 0.505f, 1e-4f);
    EXPECT_NEAR(Alpha(*p), 0.5f, 1e-4f);
}

TEST_F(PopupTest, MultiplierShowsPointsPicturesAndTotal)
{
    const std::vector<Vec3> sources = {{-200, 0, 0}, {0, -100, 0}, {300, 50, 0}, {1, 1, 1}};
    const std::vector<int> pictures = {0, 2, 3}; // one short: the fourth source is left out
    CRefPtr<CPopupMessage> p;
    popups.AddMultiplier(p, 40, 280, 1, 100.0f, 0.0f, 0.0f, sources, pictures);
    ASSERT_EQ(p->sprites.size(), 3u);
    ASSERT_EQ(p->texts.size(), 2u);
    EXPECT_EQ(p->texts[0]->text, "40");
    EXPECT_EQ(p->texts[1]->text, "=280");
    EXPECT_EQ(p->texts[0]->alignment, 1);
    EXPECT_EQ(p->texts[1]->alignment, 0);
    EXPECT_FLOAT_EQ(p->size, 0.85f);
    EXPECT_EQ(list->visibleList.size(), 3u);
    // The third picture shows cell 3 of the sheet.
    EXPECT_FLOAT_EQ(p->sprites[2]->frames[0].v, (94.0f + 108.0f) / 256.0f);
    EXPECT_FLOAT_EQ(p->sprites[2]->frames[2].u, 54.0f / 256.0f);
    // Pictures start at their bonuses.
    EXPECT_FLOAT_EQ(p->sprites[0]->position.x, -200.0f);

    p->Update(0.15f); // halfway through the bloom: turning, flying, not moving up
    EXPECT_NEAR(p->texts[0]->alphaFactor, 0.5f, 1e-5f);
    EXPECT_EQ(p->sprites[0]->alpha, 1.0f);
    EXPECT_NEAR(p->sprites[0]->position.x, 100.0f + (-300.0f * 0.5f - 50.0f * 0.5f), 1e-3f);
    EXPECT_EQ(p->position.y, 0.0f);

    p->Update(0.15f); // bloom over: settled
    EXPECT_EQ(p->settled, 1);
    EXPECT_FLOAT_EQ(p->texts[0]->position.x, 100.0f - 75.0f);
    EXPECT_FLOAT_EQ(p->texts[1]->position.x, 100.0f + 75.0f);
    EXPECT_FLOAT_EQ(p->sprites[0]->position.x, 50.0f);
    EXPECT_FLOAT_EQ(p->sprites[1]->position.x, 100.0f);
    EXPECT_FLOAT_EQ(p->sprites[2]->position.x, 150.0f);
    EXPECT_FLOAT_EQ(p->sprites[1]->scaledRight.x, 50.0f); // facing front again
    p->Update(0.2f);
    EXPECT_NEAR(p->position.y, 50.0f * 0.2f + 50.0f * 0.15f, 1e-3f);

    p.Reset();
    popups.Update(10.0f);
    EXPECT_TRUE(popups.messages.empty());
    EXPECT_TRUE(list->visibleList.empty()); // pictures leave with their pop-up
    EXPECT_TRUE(texts->texts.empty());
}

TEST_F(PopupTest, MessageColourOutsideTheListIsClamped)
{
    LoadFile("[Message]\nColors=2\nColor0=255 0 0 255\nColor1=0 255 0 255\n");
    const struct
    {
        int index;
        uint32_t colour;
    } cases[] = {{0, 0xFFFF0000u}, {1, 0xFF00FF00u}, {4, 0xFF00FF00u}, {-3, 0xFFFF0000u}};
    for (const auto& c : cases)
    {
        CRefPtr<CPopupMessage> p;
        popups.AddMessage(p, "x", 1.0f, c.index, 0, 0, 0);
        EXPECT_EQ(p->texts[0]->colour, c.colour) << c.index;
    }
    LoadFile("[Message]\nColors=0\n");
    CRefPtr<CPopupMessage> p;
    popups.AddMessage(p, "x", 1.0f, 2, 0, 0, 0);
    EXPECT_EQ(p->texts[0]->colour, 0xFFA0A0FFu);
}

TEST_F(PopupTest, ShadowsFollowTheirText)
{
    LoadFile("[Score]\nShadow=1\nShadowShift=3 4\nShadowColor=0 0 0 200\n");
    CRefPtr<CPopupMessage> p;
    popups.AddScore(p, 7, 0, 0, 0, 0);
    ASSERT_EQ(p->texts.size(), 2u);
    EXPECT_EQ(p->texts[1]->colour, 0xC8000000u);
    p->Update(0.5f);
    EXPECT_FLOAT_EQ(p->texts[1]->position.x - p->texts[0]->position.x, 3.0f);
    EXPECT_FLOAT_EQ(p->texts[1]->position.y - p->texts[0]->position.y, -4.0f);
}

TEST_F(PopupTest, ListDropsFinishedPopupsAndKeepsTheOrder)
{
    CRefPtr<CPopupMessage> a, b, c, d;
    popups.AddScore(a, 1, 0, 0, 0, 0);   // ends at 1.25 s
    popups.AddMessage(b, "b", 1, 0, 0, 0, 0); // ends at 1.3 s
    popups.AddScore(c, 3, 0, 0, 0, 0);
    popups.AddLoss(d, "d", 1, 0, 0, 0);   // ends at 1.5 s
    b.Reset();
    popups.Update(1.27f);
    ASSERT_EQ(popups.messages.size(), 2u);
    EXPECT_EQ(popups.messages[0]->kind, kPopupMessage);
    EXPECT_EQ(popups.messages[1]->kind, kPopupLoss);
    // Kept alive by its caller, but no longer updated by the list.
    EXPECT_EQ(a->texts.size(), 1u);
    popups.Update(0.1f);
    ASSERT_EQ(popups.messages.size(), 1u);
    EXPECT_TRUE(popups.messages[0] == d);
}

TEST_F(PopupTest, ComboAnnouncementThresholds)
{
    LoadFile("[Shared]\nCombo5_1=3\nCombo5_2=4\nCombo5_3=6\nCombo5_4=8\n"
             "Combo6_1=2\nCombo6_2=3\nCombo6_3=4\nCombo6_4=5\nCombo7_1=2\nCombo7_2=2\nCombo7_3=3\nCombo7_4=4\n");
    const struct
    {
        int count, colours, tier;
    } cases[] = {
        {2, 5, -1}, {3, 5, 0}, {5, 5, 1}, {6, 5, 2}, {8, 5, 3}, {30, 5, 3},
        {2, 6, 0},  {5, 6, 3}, {2, 7, 1}, {3, 7, 2}, {1, 7, -1},
        {3, 4, 0},  // fewer colours use the first row
        {4, 9, 3},  // more use the last
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPopupMessages::ComboTier(c.count, c.colours), c.tier) << c.count << " " << c.colours;

    CRefPtr<CPopupMessage> p;
    EXPECT_FALSE(popups.AddComboMessage(p, 2, 5, 0, 0, 0));
    EXPECT_FALSE(p);
    EXPECT_TRUE(popups.messages.empty());
    ASSERT_TRUE(popups.AddComboMessage(p, 6, 5, 10, 20, 0));
    EXPECT_FLOAT_EQ(p->size, 1.2f); // 0.8 + 0.2 x tier 2
    const std::string text = p->texts[0]->text;
    EXPECT_EQ(text.substr(text.size() - 3), " x6");
}

TEST_F(PopupTest, DefaultThresholdsAnnounceEveryComboOfFive)
{
    CRefPtr<CPopupMessage> p;
    EXPECT_FALSE(popups.AddComboMessage(p, 4, 6, 0, 0, 0));
    ASSERT_TRUE(popups.AddComboMessage(p, 5, 6, 0, 0, 0));
    EXPECT_FLOAT_EQ(p->size, 1.4f);
    EXPECT_EQ(p->texts[0]->colour, 0xFFA0A0FFu); // colour 3 clamped into the one default colour
}

TEST_F(PopupTest, ShippedFileHasTheFiveMessageColoursAndRisingThresholds)
{
    CPopupMessages::LoadSettings((std::string(ORB_DATA_SRC_DIR) + "/Data/Config/Score.cfg").c_str());
    const PopupSettings& s = CPopupMessages::Settings();
    ASSERT_EQ(s.message.colors.size(), 5u); // the game's callers use colours 0 to 4
    for (uint32_t c : s.message.colors)
        EXPECT_EQ(c >> 24, 0xFFu);
    for (const auto& row : s.comboThresholds)
        for (size_t j = 1; j < row.size(); ++j)
            EXPECT_GT(row[j], row[j - 1]);
    EXPECT_GT(s.message.pulseRate, 0.0f);
}

} // namespace
