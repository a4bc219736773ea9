// What a totem carries besides its body follows it: the red totem's balls, the
// blue totem's shields and the violet totem's glow move, grow and change depth
// with their totem, keep their own opacity, and fade out when it lets them go.
#include "tests/platform/files_testdir.h"
#include "totems/BlueTotem.h"
#include "totems/RedTotem.h"
#include "totems/TotemsManager.h"
#include "totems/VioletTotem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

const float kExtrasFrame = 0.02f;

// One shadow and a main sprite per level, so that centre totems have a body.
std::string ExtrasConfigText()
{
    std::string cfg = "[Shared]\nMainSize=128 128\n";
    for (const char* colour : {"Red", "Blue", "Violet"})
    {
        cfg += std::string("[") + colour + "]\n";
        for (int n = 1; n <= 4; ++n)
        {
            const std::string level = std::to_string(n);
            cfg += "Shadow" + level + "SpritesCount=1\nShadow" + level + "Sprite0=0 0 0 128 128\n";
            cfg += "Main" + level + "SpritesCount=1\nMain" + level + "Sprite0=0 0 -1 128 128\n";
        }
    }
    return cfg;
}

// Where a point given in fractions of a totem of size (w, h) at `at` lands.
Vec3 OnTotemAt(const Vec3& point, const Vec3& at, float w, float h)
{
    return Vec3{at.x + point.x * w, at.y + point.y * h, at.z + point.z};
}

void ExpectStandsAt(const Vec3& expected, const Vec3& actual)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-3f);
    EXPECT_NEAR(expected.y, actual.y, 1e-3f);
    EXPECT_NEAR(expected.z, actual.z, 1e-3f);
}

bool ListedOnce(const CSpriteList& list, const CRefPtr<CSpriteShape>& shape)
{
    return std::count(list.visibleList.begin(), list.visibleList.end(), shape) +
               std::count(list.hiddenList.begin(), list.hiddenList.end(), shape) ==
           1;
}

} // namespace

class TotemExtras : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.Write("Totems.cfg", ExtrasConfigText());
        m.LoadSettings((dir / "Totems.cfg").c_str());
        m.SetRenderObjects(CRefPtr<CDevice>(), list, particles, batch, nullptr);
    }

    // A totem of the colour standing at the centre, as the manager leaves it on arrival.
    template <class T>
    T& AtCentre(int32_t colour, int32_t level)
    {
        m.CreateTotem(totem, colour, TotemMode::Centre, level, false);
        totem->SetPosition(-300.0f, -200.0f, -45.0f);
        totem->SetSize(128.0f, 128.0f);
        totem->SetAlpha(1.0f, true);
        return dynamic_cast<T&>(*totem);
    }

    TestDir dir;
    CRefPtr<CSpriteList> list{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CParticleSystemsManager> particles{
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CSpriteBatch> batch{new CSpriteBatch(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CTotemsManager m;
    CRefPtr<CTotem> totem;
};

TEST_F(TotemExtras, BlueShieldsFollowTheirTotemInEveryMode)
{
    const TotemMode modes[] = {TotemMode::Panel, TotemMode::Centre, TotemMode::Shop};
    for (TotemMode mode : modes)
    {
        SCOPED_TRACE(int(mode));
        m.CreateTotem(totem, kTotemBlue, mode, 3, false);
        CBlueTotem& blue = static_cast<CBlueTotem&>(*totem);
        blue.SetPosition(-300.0f, -200.0f, -45.0f);
        blue.SetSize(128.0f, 128.0f);
        blue.SetShieldMode(1);
        blue.Update(kExtrasFrame);
        ASSERT_EQ(1u, blue.m_shieldShapes.size());
        const CSpriteShape& shield = *blue.m_shieldShapes[0];
        const Vec3 point = mode == TotemMode::Panel ? blue.m_settings.smallShield.centre : blue.m_settings.shield.centre;
        ExpectStandsAt(OnTotemAt(point, Vec3{-300.0f, -200.0f, -45.0f}, 128.0f, 128.0f), shield.position);

        // Flying back to the panel: the shield moves and shrinks with the totem.
        const float sx = shield.scaleX, sy = shield.scaleY;
        blue.SetPosition(100.0f, 50.0f, -45.0f);
        ExpectStandsAt(OnTotemAt(point, Vec3{100.0f, 50.0f, -45.0f}, 128.0f, 128.0f), shield.position);
        blue.SetSize(64.0f, 32.0f);
        ExpectStandsAt(OnTotemAt(point, Vec3{100.0f, 50.0f, -45.0f}, 64.0f, 32.0f), shield.position);
        EXPECT_FLOAT_EQ(sx * 0.5f, shield.scaleX);
        EXPECT_FLOAT_EQ(sy * 0.25f, shield.scaleY);
        blue.SetSize(64.0f, 32.0f); // the same size keeps the scale
        blue.SetSize(128.0f, 128.0f);
        EXPECT_FLOAT_EQ(sx, shield.scaleX);
        EXPECT_FLOAT_EQ(sy, shield.scaleY);
    }
}

TEST_F(TotemExtras, BlueShieldsKeepTheirDepthBelowTheBodyAndFadeWhenTheTotemGoes)
{
    CBlueTotem& blue = AtCentre<CBlueTotem>(kTotemBlue, 2);
    blue.SetShieldMode(1);
    blue.Update(kExtrasFrame);
    ASSERT_EQ(1u, blue.m_shieldShapes.size());
    const CRefPtr<CSpriteShape> shield = blue.m_shieldShapes[0];
    const int32_t below = blue.m_shapes.front()->zOrder - shield->zOrder;
    blue.SetZOrder(blue.m_zOrder - 45);
    EXPECT_EQ(blue.m_zOrder - below, shield->zOrder);

    // Once its totem is gone the shield is the list's alone, and it fades out.
    blue.SetAlpha(0.3f, true);
    EXPECT_EQ(0.0f, shield->alpha); // the totem's opacity is not the shield's
    totem.Reset();
    EXPECT_EQ(1, shield->mortal);
    EXPECT_EQ(0.0f, shield->alphaTarget);
    EXPECT_GT(shield->life, 0.0f);
    EXPECT_TRUE(ListedOnce(*list, shield));
}

TEST_F(TotemExtras, RedBallsFollowTheirTotem)
{
    CRedTotem& red = AtCentre<CRedTotem>(kTotemRed, 2);
    red.SetArmed(1);
    ASSERT_EQ(8u, red.m_balls.size());
    red.SetPosition(100.0f, 50.0f, -45.0f);
    red.SetSize(64.0f, 32.0f);
    for (size_t k = 0; k < 4; ++k)
    {
        SCOPED_TRACE(k);
        const Vec3 at = OnTotemAt(red.m_settings.ballPoints[k], Vec3{100.0f, 50.0f, -45.0f}, 64.0f, 32.0f);
        ExpectStandsAt(at, red.m_balls[2 * k]->origin);
        ExpectStandsAt(at, red.m_balls[2 * k + 1]->origin);
    }
}

TEST_F(TotemExtras, VioletGlowFollowsItsTotemKeepsItsOwnOpacityAndFadesWhenSentBack)
{
    CVioletTotem& violet = AtCentre<CVioletTotem>(kTotemViolet, 2);
    violet.m_settings.glowCentres[1] = Vec3{0.25f, -0.5f, -0.4f};
    violet.m_settings.glowSizes[1][0] = violet.m_settings.glowSizes[1][1] = 0.5f;
    violet.SetPosition(-300.0f, -200.0f, -45.0f);
    violet.SetSize(128.0f, 128.0f);
    violet.SetArmed(1);
    ASSERT_EQ(3u, violet.m_glowShapes.size());
    const CRefPtr<CSpriteShape> glow = violet.m_glowShapes[0];
    violet.SetPosition(100.0f, 50.0f, -45.0f);
    violet.SetSize(64.0f, 32.0f);
    ExpectStandsAt(OnTotemAt(violet.m_settings.glowCentres[1], Vec3{100.0f, 50.0f, -45.0f}, 64.0f, 32.0f), glow->position);
    EXPECT_FLOAT_EQ(32.0f, glow->scaleX);
    EXPECT_FLOAT_EQ(16.0f, glow->scaleY);
    ASSERT_FALSE(violet.m_shapes.empty());
    const int32_t below = violet.m_shapes.front()->zOrder - glow->zOrder;
    violet.SetZOrder(violet.m_zOrder - 45);
    EXPECT_EQ(violet.m_zOrder - below, glow->zOrder);

    // The glow fades in at its own pace, whatever the totem's opacity.
    violet.SetAlpha(0.7f, true);
    EXPECT_EQ(0.0f, glow->alpha);

    // Sent back: the charge lights vanish and the glow fades out in the list.
    violet.VanishExtras(false);
    violet.SetArmed(0);
    ASSERT_EQ(3u, violet.m_glowShapes.size());
    EXPECT_EQ(1, glow->mortal);
    EXPECT_EQ(0.0f, glow->alphaTarget);
    EXPECT_TRUE(ListedOnce(*list, glow));
}

TEST_F(TotemExtras, APanelVioletTotemLeavesItsGlowWhereItWas)
{
    m.CreateTotem(totem, kTotemViolet, TotemMode::Panel, 2, false);
    CVioletTotem& violet = static_cast<CVioletTotem&>(*totem);
    violet.SetArmed(1);
    ASSERT_EQ(3u, violet.m_glowShapes.size());
    const Vec3 was = violet.m_glowShapes[0]->position;
    const float scale = violet.m_glowShapes[0]->scaleX;
    violet.SetPosition(400.0f, 300.0f, 0.0f);
    violet.SetSize(10.0f, 10.0f);
    ExpectStandsAt(was, violet.m_glowShapes[0]->position);
    EXPECT_EQ(scale, violet.m_glowShapes[0]->scaleX);
}
