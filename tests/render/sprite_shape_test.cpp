#include "render/SpriteShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct WrittenQuad
{
    CVertex v[4];
    uint16_t i[6];
};

WrittenQuad WriteQuad(const CSpriteShape& shape, uint32_t base = 0)
{
    WrittenQuad q{};
    shape.WriteQuad(q.v, q.i, base);
    return q;
}

CSpriteShape Shape(uint32_t colour = 0xFFFFFFFF)
{
    return CSpriteShape(10.0f, 20.0f, 3.0f, 100.0f, 50.0f, colour, CRefPtr<CTexture>(), 0);
}

void ExpectCorner(const CVertex& v, float x, float y, float u, float w)
{
    EXPECT_NEAR(x, v.x, 1e-4f);
    EXPECT_NEAR(y, v.y, 1e-4f);
    EXPECT_FLOAT_EQ(u, v.u);
    EXPECT_FLOAT_EQ(w, v.v);
}

TEST(SpriteShape, NewShapeDrawsTheWholeTextureAroundItsCentre)
{
    CSpriteShape shape = Shape(0xFF336699);
    EXPECT_EQ(5u, shape.srcBlend);
    EXPECT_EQ(6u, shape.destBlend);
    EXPECT_FLOAT_EQ(1.0f, shape.alpha);
    ASSERT_EQ(1, shape.FrameCount());

    WrittenQuad q = WriteQuad(shape, 40);
    ExpectCorner(q.v[0], -40, 45, 0, 0);
    ExpectCorner(q.v[1], 60, 45, 1, 0);
    ExpectCorner(q.v[2], 60, -5, 1, 1);
    ExpectCorner(q.v[3], -40, -5, 0, 1);
    for (const CVertex& v : q.v)
    {
        EXPECT_FLOAT_EQ(3.0f, v.z);
        EXPECT_EQ(0xFF336699u, v.colour);
    }
    const uint16_t indices[6] = {40, 41, 42, 40, 42, 43};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(indices[k], q.i[k]);
}

TEST(SpriteShape, BlendModesAndFilterKeywords)
{
    struct Case { int mode; uint32_t src, dest; } modes[] = {
        {kBlendNormal, 5, 6}, {kBlendAdd, 5, 2}, {kBlendMul, 1, 4}, {kBlendScreen, 2, 4},
    };
    for (const Case& c : modes)
    {
        SCOPED_TRACE(c.mode);
        CSpriteShape shape = Shape();
        shape.SetBlendMode(1, c.mode);
        EXPECT_EQ(1, shape.blended);
        EXPECT_EQ(c.src, shape.srcBlend);
        EXPECT_EQ(c.dest, shape.destBlend);
    }
    // An unknown mode only moves the shape between the passes.
    CSpriteShape shape = Shape();
    shape.SetBlendMode(1, kBlendMul);
    shape.SetBlendMode(0, 7);
    EXPECT_EQ(0, shape.blended);
    EXPECT_EQ(1u, shape.srcBlend);
    EXPECT_EQ(4u, shape.destBlend);

    struct Keyword { const char* text; int mode; } keywords[] = {
        {"ADD", 1}, {"add", 1}, {"Mul", 2}, {"SCREEN", 3}, {"Normal", 0}, {"", 0}, {"ADDX", 0},
        {"SCREENSCREENSCREEN", 0},
    };
    for (const Keyword& k : keywords)
        EXPECT_EQ(k.mode, CSpriteShape::BlendModeFromFilter(k.text)) << k.text;
}

// Modes that blend with the inverse source colour write their colour
// premultiplied by the alpha; the others keep the colour as it is.
TEST(SpriteShape, VertexColourOfEachBlendMode)
{
    struct Case { const char* name; int mode; uint32_t colour; float alpha; uint32_t vertex; } cases[] = {
        {"screen white at half alpha", kBlendScreen, 0xFFFFFFFF, 0.5f, 0x7F7F7F7F},
        {"mul", kBlendMul, 0x80FF8040, 1.0f, 0x80804020},
        {"add keeps its colour", kBlendAdd, 0xFFFFFFFF, 0.5f, 0x7FFFFFFF},
        {"normal keeps its colour", kBlendNormal, 0xFF112233, 0.25f, 0x3F112233},
        {"an overshooting fade stays opaque", kBlendNormal, 0xFF112233, 1.5f, 0xFF112233},
        {"a negative alpha is transparent", kBlendScreen, 0xFFFFFFFF, -0.5f, 0x00000000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CSpriteShape shape = Shape(c.colour);
        shape.SetBlendMode(1, c.mode);
        shape.SetAlpha(c.alpha);
        EXPECT_EQ(c.vertex, WriteQuad(shape).v[0].colour);
    }
}

TEST(SpriteShape, SpinWrapsOncePerStep)
{
    const float twoPi = 6.2831855f;
    struct Case { float angle, speed, dt, expected; } cases[] = {
        {6.0f, 1.0f, 0.5f, 6.5f - twoPi},
        {0.5f, -1.0f, 1.0f, -0.5f + twoPi},
        {0.0f, 20.0f, 1.0f, 20.0f - twoPi}, // more than a turn per step stays above 2 pi
    };
    for (const Case& c : cases)
    {
        CSpriteShape shape = Shape();
        shape.angle = c.angle;
        shape.spinSpeed = c.speed;
        shape.spinning = 1;
        shape.Update(c.dt);
        EXPECT_NEAR(c.expected, shape.angle, 1e-5f);
    }

    // A quarter turn points the quad's width up the screen.
    CSpriteShape turned = Shape();
    turned.SetRotation(1.5707964f);
    EXPECT_NEAR(0.0f, turned.scaledRight.x, 1e-4f);
    EXPECT_NEAR(100.0f, turned.scaledRight.y, 1e-4f);
    EXPECT_NEAR(-50.0f, turned.scaledUp.x, 1e-4f);
}

TEST(SpriteShape, ScaleAndFadeAnimationsStopOnTheirTargets)
{
    CSpriteShape shape = Shape();
    shape.SetScaleTarget(130.0f, 20.0f);
    shape.scaleSpeedX = 20.0f;
    shape.scaleSpeedY = 20.0f;
    shape.Update(1.0f);
    EXPECT_FLOAT_EQ(120.0f, shape.scaleX);
    EXPECT_FLOAT_EQ(30.0f, shape.scaleY);
    EXPECT_FLOAT_EQ(120.0f, shape.scaledRight.x);
    shape.Update(1.0f);
    EXPECT_FLOAT_EQ(130.0f, shape.scaleX);
    EXPECT_FLOAT_EQ(20.0f, shape.scaleY);
    EXPECT_EQ(1, shape.scaling);

    shape.fadeSpeed = 2.0f;
    shape.FadeTo(0.0f);
    shape.Update(0.3f);
    EXPECT_NEAR(0.4f, shape.alpha, 1e-6f);
    EXPECT_EQ(1, shape.fading);
    shape.Update(0.3f);
    EXPECT_FLOAT_EQ(0.0f, shape.alpha);
    EXPECT_EQ(0, shape.fading);

    // Setting the alpha mid-fade reaches the target at once; the flag stays.
    shape.FadeTo(1.0f);
    shape.Update(0.1f);
    shape.SetAlpha(0.5f);
    shape.Update(0.1f);
    EXPECT_FLOAT_EQ(0.5f, shape.alpha);
    EXPECT_EQ(1, shape.fading);
}

TEST(SpriteShape, LifeFadeTakesOverInTheLastSeconds)
{
    CSpriteShape shape = Shape();
    shape.mortal = 1;
    shape.life = 1.0f;
    shape.lifeFade = 1;
    shape.SetAlpha(0.8f);
    shape.Update(0.5f);
    EXPECT_FLOAT_EQ(0.8f, shape.alpha); // 0.5 s left: not yet
    shape.Update(0.4f);
    EXPECT_NEAR(0.4f, shape.alpha, 1e-5f); // 0.1 of 0.25 s left
    shape.Update(0.2f);
    EXPECT_LE(shape.alpha, 0.0f);
    EXPECT_LT(shape.life, 0.0f);
}

TEST(SpriteShape, AxesOffsetsCornersAndFrames)
{
    CSpriteShape shape = Shape();
    shape.SetAxes(0, 0, 0, 0, 3, 0, 1);
    EXPECT_FLOAT_EQ(0.0f, shape.right.x);
    EXPECT_FLOAT_EQ(1.0f, shape.right.y);
    EXPECT_FLOAT_EQ(1.0f, shape.up.y);
    shape.SetAxes(NAN, 0, 0, 2, 0, 0, 1);
    EXPECT_FLOAT_EQ(1.0f, shape.right.y);
    EXPECT_FLOAT_EQ(1.0f, shape.up.x);
    shape.SetAxes(2, 0, 0, 0, 1, 0, 0); // not normalised: a longer right axis
    EXPECT_FLOAT_EQ(200.0f, shape.scaledRight.x);

    CSpriteShape offset = Shape();
    offset.offsetX = 0.5f;
    offset.offsetY = -0.5f;
    WrittenQuad q = WriteQuad(offset);
    ExpectCorner(q.v[0], -90, 70, 0, 0);

    CSpriteShape cornered = Shape();
    cornered.SetCorners(0, 0, 1, 0, 1, -1, 0, -1);
    q = WriteQuad(cornered);
    ExpectCorner(q.v[0], 10, 20, 0, 0);
    ExpectCorner(q.v[2], 110, -30, 1, 1);

    CSpriteShape framed = Shape();
    EXPECT_EQ(1, framed.AddFrame(0.5f, 0.5f, 1.0f, 1.0f));
    framed.SetFrameUV4(1, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f);
    framed.currentFrame = 1;
    q = WriteQuad(framed);
    EXPECT_FLOAT_EQ(0.3f, q.v[1].u);
    EXPECT_FLOAT_EQ(0.8f, q.v[3].v);
    framed.currentFrame = 5; // a frame that does not exist draws frame 0
    q = WriteQuad(framed);
    EXPECT_FLOAT_EQ(1.0f, q.v[1].u);
}

} // namespace
