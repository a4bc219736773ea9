// The selected-token marker: the mark a pick makes, its shrink and fade-in,
// the orbiting emitters, following a moving token and dropping the mark.
#include "hud/TokenSelector.h"

#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TokenSelectorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        crt::srand(5);
        particles = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager({}, {}, {}));
        list = CRefPtr<CSpriteList>(new CSpriteList({}, {}, {}));
        selector = CRefPtr<CTokenSelector>(new CTokenSelector(particles, list, {}, {}, {}));
        token = MakeToken(2, 100.0f, -50.0f);
    }

    static CRefPtr<CCap> MakeToken(int colour, float x, float y)
    {
        CRefPtr<CCap> cap(new CCap);
        cap->colour = colour;
        cap->position[0] = x;
        cap->position[1] = y;
        cap->position[2] = 40.0f;
        cap->offset[1] = 4.0f; // drawn a little higher than its place
        cap->radius = 30.0f;
        return cap;
    }

    size_t Shapes() const { return list->visibleList.size() + list->hiddenList.size(); }

    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteList> list;
    CRefPtr<CTokenSelector> selector;
    CRefPtr<CCap> token;
};

TEST_F(TokenSelectorTest, PickingMarksTheToken)
{
    selector->Select(token);
    EXPECT_EQ(selector->active, 1);
    EXPECT_EQ(selector->colorIndex, 2);
    ASSERT_TRUE(selector->marker);
    EXPECT_EQ(Shapes(), 1u);
    // The marker comes up from twice its size, invisible, 16 below the token.
    EXPECT_FLOAT_EQ(selector->marker->scaleX, 120.0f);
    EXPECT_EQ(selector->marker->alpha, 0.0f);
    EXPECT_FLOAT_EQ(selector->marker->position.y, -46.0f);
    EXPECT_FLOAT_EQ(selector->marker->position.z, 24.0f);
    // A burst and two emitters in the token's colour, on opposite sides.
    ASSERT_EQ(particles->systems.size(), 3u);
    ASSERT_TRUE(selector->orbit[0] && selector->orbit[1]);
    EXPECT_FLOAT_EQ(selector->orbit[0]->origin.x, 130.0f);
    EXPECT_FLOAT_EQ(selector->orbit[1]->origin.x, 70.0f);
    EXPECT_FLOAT_EQ(selector->orbit[1]->origin.y, -46.0f);
}

TEST_F(TokenSelectorTest, MarkerShrinksAndFadesInOverAQuarterSecond)
{
    selector->Select(token);
    selector->Update(0.125f);
    EXPECT_FLOAT_EQ(selector->introScale, 1.5f);
    EXPECT_FLOAT_EQ(selector->marker->alpha, 0.5f);
    EXPECT_FLOAT_EQ(selector->marker->scaleX, 90.0f);
    selector->Update(1.0f); // one long frame: exactly settled
    EXPECT_EQ(selector->introScale, 1.0f);
    EXPECT_EQ(selector->marker->alpha, 1.0f);
    EXPECT_FLOAT_EQ(selector->marker->scaleY, 60.0f);
}

TEST_F(TokenSelectorTest, EmittersOrbitAndFollowAMovingToken)
{
    selector->Select(token);
    for (int i = 0; i < 80; ++i)
    {
        token->position[1] -= 2.0f; // falling
        selector->Update(0.05f);
        const Vec3 a = selector->orbit[0]->origin, b = selector->orbit[1]->origin;
        const float cx = token->position[0], cy = token->position[1] + 4.0f;
        EXPECT_NEAR((a.x + b.x) / 2, cx, 1e-3f);
        EXPECT_NEAR((a.y + b.y) / 2, cy, 1e-3f);
        EXPECT_NEAR(std::hypot(a.x - cx, a.y - cy), 30.0f, 1e-3f);
        EXPECT_FLOAT_EQ(selector->marker->position.y, cy);
    }
    // Four seconds turn it by 2 pi; past 2 pi it drops back by pi.
    EXPECT_GT(selector->angle, 3.1415927f);
    EXPECT_LT(selector->angle, 6.2831855f);
}

TEST_F(TokenSelectorTest, PickingAgainRestartsAndClearingDropsTheMark)
{
    selector->Select(token);
    selector->Update(0.5f);
    CRefPtr<CParticleSystem> oldOrbit = selector->orbit[0];
    CRefPtr<CSpriteShape> oldMarker = selector->marker;
    selector->Select(token);
    EXPECT_FALSE(selector->orbit[0] == oldOrbit);
    EXPECT_LE(oldOrbit->duration, oldOrbit->elapsed); // stopped emitting
    EXPECT_FALSE(selector->marker == oldMarker);
    EXPECT_EQ(selector->introScale, 2.0f);
    EXPECT_EQ(Shapes(), 1u);

    CRefPtr<CParticleSystem> orbit = selector->orbit[1];
    selector->Clear();
    EXPECT_EQ(selector->active, 0);
    EXPECT_FALSE(selector->token);
    EXPECT_FALSE(selector->marker);
    EXPECT_FALSE(selector->orbit[1]);
    EXPECT_LE(orbit->duration, orbit->elapsed);
    EXPECT_EQ(Shapes(), 0u);
    selector->Update(0.1f); // nothing to move
}

TEST_F(TokenSelectorTest, NothingToMarkWithoutAToken)
{
    selector->SetActive(1);
    EXPECT_EQ(selector->active, 0);
    EXPECT_FALSE(selector->marker);
    EXPECT_TRUE(particles->systems.empty());
    selector->Select(CRefPtr<CCap>());
    EXPECT_EQ(selector->active, 0);
    EXPECT_TRUE(particles->systems.empty());
}

} // namespace
