// The totem object: the shapes it builds for each mode, its charge lights and
// their flashes, its layout, and its life cycle (moves, fades, the end of its
// active phase by level).
#include "totems/Totem.h"
#include "totems/TotemSettings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// A set of sprites given as (x, y, z, w, h) fractions of the totem and a texture rectangle.
CRefPtr<CSpriteSet> Set(std::initializer_list<std::array<float, 5>> sprites)
{
    CRefPtr<CSpriteSet> set(new CSpriteSet());
    for (const auto& s : sprites)
    {
        set->positions.push_back(Vec3{s[0], s[1], s[2]});
        set->sizes.push_back(s[3]);
        set->sizes.push_back(s[4]);
        for (float t : {0.0f, 0.0f, 0.5f, 0.5f})
            set->textureRects.push_back(t);
    }
    return set;
}

// Level 1 and 2 sets; levels 3 and 4 have none.
CRefPtr<CTotemShapeSets> Sets()
{
    CRefPtr<CTotemShapeSets> s(new CTotemShapeSets());
    for (int level = 0; level < 2; ++level)
    {
        s->m_small.push_back(Set({{0.0f, 0.0f, 0.0f, 0.5f, 1.0f}}));
        s->m_shadow.push_back(Set({{0.0f, -0.4f, 0.0f, 1.0f, 0.2f}}));
        s->m_main.push_back(Set({{0.0f, 0.0f, -1.0f, 1.0f, 1.0f}, {0.25f, -0.5f, -1.0f, 0.25f, 0.25f}}));
        s->m_shop.push_back(Set({{0.0f, 0.0f, -1.0f, 0.9f, 0.9f}}));
    }
    s->m_light = Set({{0.0f, 0.1f, -2.0f, 0.1f, 0.1f}, {0.0f, 0.0f, -2.0f, 0.1f, 0.1f}, {0.0f, -0.1f, -2.0f, 0.1f, 0.1f}});
    return s;
}

class TotemTest : public ::testing::Test
{
protected:
    CRefPtr<CTotem> Make(TotemMode mode, int32_t level = 1, int32_t colour = kTotemRed)
    {
        CRefPtr<CTotem> totem(new CTotem(colour));
        TotemResources r;
        r.spriteList = list;
        totem->SetResources(r);
        totem->m_level = level;
        totem->m_zOrder = 30;
        totem->Init(mode, sets);
        return totem;
    }
    size_t Listed() const { return list->visibleList.size() + list->hiddenList.size(); }

    CRefPtr<CSpriteList> list{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CRefPtr<CTotemShapeSets> sets = Sets();
};

TEST_F(TotemTest, EachModeBuildsItsLayersAtTheirDepthsAndBlends)
{
    CRefPtr<CTotem> panel = Make(TotemMode::Panel);
    ASSERT_EQ(1u, panel->m_shapes.size());
    EXPECT_FLOAT_EQ(40.0f, panel->m_shapes[0]->scaleX); // 80 x 80 times the sprite's share
    EXPECT_FLOAT_EQ(80.0f, panel->m_shapes[0]->scaleY);
    EXPECT_EQ(30, panel->m_shapes[0]->zOrder);
    EXPECT_EQ(0.0f, panel->m_shapes[0]->alpha);
    EXPECT_EQ(TotemState::Idle, panel->m_state);
    EXPECT_EQ(1.0f, panel->m_alphaTarget);

    CRefPtr<CTotem> centre = Make(TotemMode::Centre);
    ASSERT_EQ(3u, centre->m_shapes.size());
    EXPECT_FLOAT_EQ(256.0f, centre->m_size[0]);
    EXPECT_EQ(30, centre->m_shapes[0]->zOrder);
    EXPECT_EQ(uint32_t(D3DBLEND_ZERO), centre->m_shapes[0]->srcBlend); // the shadow multiplies
    EXPECT_EQ(29, centre->m_shapes[1]->zOrder);
    EXPECT_EQ(29, centre->m_shapes[2]->zOrder);

    CRefPtr<CTotem> shop = Make(TotemMode::Shop, 2);
    ASSERT_EQ(2u, shop->m_shapes.size());
    EXPECT_FLOAT_EQ(192.0f * 0.9f, shop->m_shapes[1]->scaleX);
    EXPECT_EQ(6u, Listed());

    // A level the settings give no sets for, and an unknown mode: no shapes, no harm.
    EXPECT_TRUE(Make(TotemMode::Centre, 3)->m_shapes.empty());
    CRefPtr<CTotem> odd = Make(TotemMode(3));
    EXPECT_TRUE(odd->m_shapes.empty());
    EXPECT_EQ(TotemMode(3), odd->m_mode);

    // Shapes leave the list with their totem.
    centre.Reset();
    EXPECT_EQ(3u, Listed());
}

TEST_F(TotemTest, LayoutFollowsPositionSizeAxesAlphaAndDepth)
{
    CRefPtr<CTotem> totem = Make(TotemMode::Centre);
    totem->SetPosition(500.0f, 400.0f, 0.0f);
    const Vec3& p = totem->m_shapes[2]->position;
    EXPECT_FLOAT_EQ(564.0f, p.x);
    EXPECT_FLOAT_EQ(272.0f, p.y);
    EXPECT_FLOAT_EQ(-1.0f, p.z);

    totem->SetSize(128.0f, 64.0f);
    EXPECT_FLOAT_EQ(532.0f, totem->m_shapes[2]->position.x);
    EXPECT_FLOAT_EQ(368.0f, totem->m_shapes[2]->position.y);
    EXPECT_FLOAT_EQ(32.0f, totem->m_shapes[2]->scaleX);
    EXPECT_FLOAT_EQ(16.0f, totem->m_shapes[2]->scaleY);

    totem->BuildShapes(1);
    totem->SetAlpha(0.5f, false);
    EXPECT_EQ(1.0f, totem->m_alphaTarget);
    for (const auto& shape : totem->m_shapes)
        EXPECT_EQ(0.5f, shape->alpha);
    EXPECT_EQ(0.5f, totem->m_lightShapes[0]->alpha);
    totem->SetAlpha(0.5f, true);
    EXPECT_EQ(0.5f, totem->m_alphaTarget);

    // Depth moves every layer together; the first body shape lands on the value.
    totem->SetZOrder(10);
    EXPECT_EQ(10, totem->m_shapes[0]->zOrder);
    EXPECT_EQ(9, totem->m_shapes[1]->zOrder);
    EXPECT_EQ(8, totem->m_lightShapes[0]->zOrder);
    CRefPtr<CTotem> bare = Make(TotemMode::Centre, 4);
    bare->SetZOrder(5);
    EXPECT_EQ(5, bare->m_zOrder);
}

TEST_F(TotemTest, LightsAreBuiltOnceEachWithAFlashThatGrowsAndGoes)
{
    CRefPtr<CTotem> totem = Make(TotemMode::Centre);
    const size_t before = Listed();
    totem->BuildShapes(2);
    totem->BuildShapes(3);
    totem->BuildShapes(1);
    totem->BuildShapes(9); // the set holds three lights, no more
    ASSERT_EQ(3u, totem->m_lightShapes.size());
    EXPECT_EQ(before + 6, Listed()); // three lights, three flashes
    EXPECT_EQ(28, totem->m_lightShapes[0]->zOrder);

    // Half a second later the flashes have grown fivefold and are gone.
    CRefPtr<CSpriteShape> flash;
    for (const auto& s : list->visibleList)
        if (s->zOrder == 27)
            flash = s;
    ASSERT_TRUE(flash);
    const float width = flash->scaleX;
    for (int i = 0; i < 5; ++i)
        list->UpdateAll(0.1f, 1);
    EXPECT_NEAR(width * 5.0f, flash->scaleX, 1e-3f);
    list->UpdateAll(0.01f, 1);
    EXPECT_EQ(before + 3, Listed());

    // Vanishing keeps the handles, so a new charge builds nothing.
    totem->VanishExtras(false);
    EXPECT_EQ(3u, totem->m_lightShapes.size());
    totem->BuildShapes(3);
    EXPECT_EQ(before + 3, Listed());
    totem->VanishExtras(true);
    EXPECT_TRUE(totem->m_lightShapes.empty());
}

TEST_F(TotemTest, MovesAndFadesRaiseTheirEventsOnTheFrameTheyEnd)
{
    CRefPtr<CTotem> totem = Make(TotemMode::Centre);
    totem->SetAlpha(1.0f, true);
    totem->MoveTo(100.0f, 50.0f, 0.0f, 128.0f, 128.0f, 0.5f);
    EXPECT_FALSE(totem->Update(0.25f));
    EXPECT_FLOAT_EQ(50.0f, totem->m_position.x);
    EXPECT_FLOAT_EQ(192.0f, totem->m_size[0]);
    EXPECT_TRUE(totem->Update(0.3f));
    EXPECT_EQ(TotemEvent::MoveDone, totem->m_event);
    EXPECT_EQ(TotemState::Moving, totem->m_state);
    EXPECT_FLOAT_EQ(100.0f, totem->m_position.x);
    EXPECT_TRUE(totem->Update(0.1f)); // reported again until the owner acts

    totem->m_state = TotemState::Idle;
    totem->FadeOut(2.0f);
    EXPECT_FALSE(totem->Update(0.25f));
    EXPECT_TRUE(totem->Update(0.25f));
    EXPECT_EQ(TotemEvent::FadedOut, totem->m_event);
    EXPECT_FALSE(totem->Update(0.25f));

    // Only a shop totem says when it is fully shown.
    CRefPtr<CTotem> shop = Make(TotemMode::Shop);
    EXPECT_FALSE(shop->Update(0.2f));
    EXPECT_TRUE(shop->Update(0.1f));
    EXPECT_EQ(TotemEvent::FadedIn, shop->m_event);
    CRefPtr<CTotem> panel = Make(TotemMode::Panel);
    EXPECT_FALSE(panel->Update(0.3f));
    EXPECT_EQ(1.0f, panel->m_alpha);
}

TEST_F(TotemTest, ActivePhaseEndsSpentOrRearmedByLevelAndCharge)
{
    struct Case
    {
        int32_t colour, level, charge;
        TotemState running, after;
        TotemEvent event;
    };
    for (const Case& k : {
             Case{kTotemRed, 1, 1, TotemState::Active, TotemState::Spent, TotemEvent::EndedActive},
             Case{kTotemRed, 2, 1, TotemState::Active, TotemState::Spent, TotemEvent::EndedActive},
             Case{kTotemRed, 3, 1, TotemState::Active, TotemState::Rearmed, TotemEvent::EndedActive},
             Case{kTotemRed, 3, 2, TotemState::ActiveFull, TotemState::Spent, TotemEvent::EndedActiveFull},
             Case{kTotemBlue, 2, 1, TotemState::Active, TotemState::Rearmed, TotemEvent::EndedActive},
             Case{kTotemBlue, 1, 1, TotemState::Active, TotemState::Spent, TotemEvent::EndedActive},
             Case{kTotemGreen, 4, 0, TotemState::Active, TotemState::Rearmed, TotemEvent::EndedActive},
         })
    {
        SCOPED_TRACE(testing::Message() << "colour " << k.colour << " level " << k.level << " charge " << k.charge);
        CRefPtr<CTotem> totem = Make(TotemMode::Centre, k.level, k.colour);
        totem->SetAlpha(1.0f, true);
        totem->Activate(k.charge);
        EXPECT_EQ(k.charge + 1, totem->m_charge);
        EXPECT_EQ(k.running, totem->m_state);
        EXPECT_TRUE(totem->Update(0.02f));
        EXPECT_EQ(k.event, totem->m_event);
        EXPECT_EQ(k.after, totem->m_state);
    }
}

} // namespace
