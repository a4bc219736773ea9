#include "render/SpriteBatch.h"

#include "platform/crt.h"
#include "tests/support/RecordingDevice.h"

#include <gtest/gtest.h>

using test_support::RecordedDraw;
using test_support::RecordingDevice;

namespace {

CRefPtr<CBatchSprite> Sprite(CRefPtr<CTexture> texture = CRefPtr<CTexture>(), uint32_t rgb = 0xFFFFFF)
{
    return CRefPtr<CBatchSprite>(new CBatchSprite(1.0f, 2.0f, 3.0f, texture, rgb));
}

// Flicker off, so that the life alpha is the life cycle alone.
CRefPtr<CBatchSprite> SteadySprite()
{
    CRefPtr<CBatchSprite> s = Sprite();
    s->flickerAmplitude = 0.0f;
    return s;
}

TEST(BatchSprite, DefaultLifeFadesInHoldsAndFadesOut)
{
    CRefPtr<CBatchSprite> s = SteadySprite();
    struct Step { float dt; float age; float alpha; int alive; } steps[] = {
        {0.05f, 0.05f, 0.5f, 1}, {0.05f, 0.1f, 1.0f, 1}, {1.0f, 1.1f, 1.0f, 1}, {0.9f, 2.0f, 1.0f, 1},
        {0.1f, 2.1f, 0.5f, 1}, {0.05f, 2.15f, 0.25f, 1}, {0.1f, 2.25f, 0.0f, 0},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.age);
        EXPECT_EQ(step.alive, s->Update(step.dt));
        EXPECT_NEAR(step.alpha, s->lifeAlpha, 1e-4f);
    }
}

TEST(BatchSprite, FlickerTakesAtMostItsAmplitude)
{
    crt::srand(7);
    CRefPtr<CBatchSprite> s = Sprite();
    s->Update(0.1f);
    for (int frame = 0; frame < 40; ++frame)
    {
        s->Update(0.013f);
        EXPECT_GE(s->lifeAlpha, 0.6f - 1e-5f);
        EXPECT_LE(s->lifeAlpha, 1.0f);
    }
    // A long frame starts a fresh segment at the last interval mark.
    s->Update(0.5f);
    EXPECT_GE(s->age - s->flickerStart, 0.0f);
    EXPECT_LE(s->age - s->flickerStart, s->flickerInterval);
}

TEST(BatchSprite, FadeOutNowStartsFromTheAlphaReached)
{
    CRefPtr<CBatchSprite> halfIn = SteadySprite();
    halfIn->Update(0.05f);
    halfIn->FadeOutNow();
    EXPECT_EQ(1, halfIn->Update(0.0f));
    EXPECT_NEAR(0.5f, halfIn->lifeAlpha, 1e-5f);
    EXPECT_EQ(1, halfIn->Update(0.05f));
    EXPECT_NEAR(0.25f, halfIn->lifeAlpha, 1e-5f);
    EXPECT_EQ(0, halfIn->Update(0.051f)); // the fade-out lasted 0.1 s

    CRefPtr<CBatchSprite> holding = SteadySprite();
    holding->Update(1.0f);
    holding->FadeOutNow();
    EXPECT_FLOAT_EQ(1.0f, holding->holdEnd);
    EXPECT_EQ(1, holding->Update(0.1f));
    EXPECT_NEAR(0.5f, holding->lifeAlpha, 1e-5f);

    CRefPtr<CBatchSprite> fading = SteadySprite();
    fading->Update(2.1f);
    fading->FadeOutNow(); // already fading out: nothing changes
    EXPECT_FLOAT_EQ(2.0f, fading->holdEnd);
}

TEST(BatchSprite, ZoomStopsOnItsTarget)
{
    struct Case { float target, rate; float dts[2]; float factors[2]; } cases[] = {
        {2.0f, 1.0f, {0.5f, 0.6f}, {1.5f, 2.0f}},
        {0.5f, -1.0f, {0.25f, 1.0f}, {0.75f, 0.5f}},
    };
    for (const Case& c : cases)
    {
        CRefPtr<CBatchSprite> s = SteadySprite();
        s->StartZoom(c.target, c.rate);
        for (int k = 0; k < 2; ++k)
        {
            s->Update(c.dts[k]);
            EXPECT_NEAR(c.factors[k], s->zoomFactor, 1e-5f);
            EXPECT_NEAR(0.08f * c.factors[k], s->scaleX, 1e-6f);
        }
        EXPECT_EQ(0, s->zooming);
    }
}

TEST(BatchSprite, SpinTurnsTheQuadInItsPlane)
{
    CRefPtr<CBatchSprite> s = SteadySprite();
    s->SetSpin(0.0f, 1.5707964f, 0, 0, 0, 0, 0, 2);
    EXPECT_FLOAT_EQ(1.0f, s->spinAxisA.y); // a zero axis stands for (0, 1, 0)
    EXPECT_FLOAT_EQ(1.0f, s->spinAxisB.z);
    s->Update(1.0f);
    EXPECT_NEAR(0.0f, s->scaledXAxis.y, 1e-6f);
    EXPECT_NEAR(0.08f, s->scaledXAxis.z, 1e-6f);
    EXPECT_NEAR(-0.08f, s->scaledYAxis.y, 1e-6f);
    EXPECT_NEAR(1.0f, s->xAxis.z, 1e-6f);
}

TEST(BatchSprite, QuadCornersAndColour)
{
    CRefPtr<CBatchSprite> s = Sprite(CRefPtr<CTexture>(), 0xFF123456);
    s->SetScale(4.0f, 2.0f);
    s->SetTexRect(0.25f, 0.5f, 0.75f, 1.0f);
    s->lifeAlpha = 0.5f;
    s->alphaFactor = 0.5f;
    CVertex v[4];
    s->FillQuad(v);
    EXPECT_EQ(0x3F123456u, v[0].colour);
    const float expected[4][4] = {
        {-1.0f, 3.0f, 0.25f, 0.5f}, {3.0f, 3.0f, 0.75f, 0.5f}, {3.0f, 1.0f, 0.75f, 1.0f}, {-1.0f, 1.0f, 0.25f, 1.0f},
    };
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_FLOAT_EQ(expected[i][0], v[i].x);
        EXPECT_FLOAT_EQ(expected[i][1], v[i].y);
        EXPECT_FLOAT_EQ(3.0f, v[i].z);
        EXPECT_FLOAT_EQ(expected[i][2], v[i].u);
        EXPECT_FLOAT_EQ(expected[i][3], v[i].v);
    }
}

TEST(SpriteBatch, SpritesGroupByTextureAndDrawOneRunPerTexture)
{
    RecordingDevice rec;
    CRefPtr<CTexture> t = rec.Texture("T");
    CRefPtr<CTexture> u = rec.Texture("U");
    CSpriteBatch batch(rec.device, rec.vertexBuffer, rec.indexBuffer);
    const uint32_t rgbs[4] = {1, 2, 3, 4};
    const CRefPtr<CTexture> textures[4] = {t, t, u, t};
    for (int i = 0; i < 4; ++i)
    {
        CRefPtr<CBatchSprite> s = Sprite(textures[i], rgbs[i]);
        s->flickerAmplitude = 0.0f;
        EXPECT_EQ(uint32_t(i), batch.Add(s));
    }
    // Each T is inserted before the first T.
    std::vector<uint32_t> order;
    for (const auto& s : batch.sprites)
        order.push_back(s->colour);
    EXPECT_EQ((std::vector<uint32_t>{4, 2, 1, 3}), order);

    batch.Update(1.0f);
    rec.ClearCalls();
    batch.Render();
    const std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(2u, draws.size());
    EXPECT_EQ(12u, draws[0].vertexCount);
    EXPECT_EQ(6u, draws[0].primitives);
    EXPECT_EQ(4u, draws[1].vertexCount);
    EXPECT_EQ(3u, draws[1].vertices[0].colour & 0xFF);
    EXPECT_EQ(0xFF000004u, draws[0].vertices[0].colour);
    EXPECT_EQ(draws[1].minIndex, draws[1].indices[0]);
    EXPECT_EQ(2, rec.Calls("SetTexture", "0, texture"));
    for (const RecordedDraw& d : draws)
    {
        EXPECT_EQ(D3DBLEND_SRCALPHA, d.State(D3DRS_SRCBLEND));
        EXPECT_EQ(D3DBLEND_ONE, d.State(D3DRS_DESTBLEND));
        EXPECT_EQ(1, d.State(D3DRS_ALPHABLENDENABLE));
        EXPECT_EQ(1, d.State(D3DRS_ALPHATESTENABLE));
        EXPECT_EQ(0, d.State(D3DRS_ALPHAREF));
    }

    // Sprites leave the batch as their lives end.
    batch.sprites[1]->FadeOutNow();
    batch.Update(0.3f);
    EXPECT_EQ(3u, batch.sprites.size());
    batch.Update(1.0f);
    EXPECT_TRUE(batch.sprites.empty());
    rec.ClearCalls();
    batch.Render();
    EXPECT_TRUE(rec.recorder->calls.empty());
}

} // namespace
