// The generated pictures hold something where the totems' effects sample them: the
// white totem's paint atlas and the green totem's chain pieces and chain lights.
#include "tests/support/GeneratedPicture.h"

#include <gtest/gtest.h>

namespace
{

struct Cell
{
    const char* what;
    float u0, v0, u1, v1;
};

TEST(TotemPictures, PaintAtlasHoldsBlobGlintDropAndDropGlintEachInsideItsQuarter)
{
    GeneratedPicture pic;
    if (!pic.Load("PaintDrop.png"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    EXPECT_EQ(pic.image.width, pic.image.height) << "the quarters are square";
    const Cell quarters[] = {{"blob", 0.0f, 0.0f, 0.5f, 0.5f},
                             {"blob glint", 0.5f, 0.0f, 1.0f, 0.5f},
                             {"drop", 0.0f, 0.5f, 0.5f, 1.0f},
                             {"drop glint", 0.5f, 0.5f, 1.0f, 1.0f}};
    for (const Cell& q : quarters)
    {
        // Opaque paint near the middle, nothing on the quarter's edge.
        const float cu = 0.5f * (q.u0 + q.u1), cv = 0.5f * (q.v0 + q.v1);
        EXPECT_GE(pic.MaxAlphaIn(cu - 0.06f, cv - 0.06f, cu + 0.06f, cv + 0.06f), 230) << q.what;
        EXPECT_EQ(0, pic.MaxAlphaOnBorder(q.u0, q.v0, q.u1, q.v1)) << q.what;
    }
    // A flying blob turns a 0.25-wide square about the upper cells' centres: what
    // lies beyond 0.125 of them would be cut off at some angle.
    for (const float cu : {0.25f, 0.75f})
    {
        int outside = 0;
        pic.ForEachIn(cu - 0.25f, 0.0f, cu + 0.25f, 0.5f, [&](int x, int y, float u, float v) {
            if (std::hypot(u - cu, v - 0.25f) > 0.125f)
                outside = std::max(outside, pic.Alpha(x, y));
        });
        EXPECT_EQ(0, outside) << "cell about u " << cu;
    }
}

TEST(TotemPictures, ChainPictureHoldsTheBurstPieceAndTheRunningLight)
{
    GeneratedPicture pic;
    if (!pic.Load("Chain.png"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    ASSERT_EQ(256, pic.image.width);
    ASSERT_EQ(128, pic.image.height);
    // The piece the bursting chain throws, and the light that runs along the chain.
    const Cell cells[] = {{"chain piece", 0.71875f, 0.0f, 0.828125f, 0.21875f},
                          {"chain light", 0.734375f, 0.25f, 0.984375f, 0.75f}};
    for (const Cell& c : cells)
    {
        EXPECT_GE(pic.MaxAlphaIn(c.u0, c.v0, c.u1, c.v1), 230) << c.what;
        EXPECT_EQ(0, pic.MaxAlphaOnBorder(c.u0, c.v0, c.u1, c.v1)) << c.what;
    }
    // The light is soft: bright in its middle, fading out towards its rim.
    EXPECT_GE(pic.Light(220, 64), 240);
    EXPECT_LT(pic.Alpha(220 + 26, 64), pic.Alpha(220 + 10, 64));
    // The lock rings the board draws keep their own area.
    EXPECT_GE(pic.MaxAlphaIn(0.0f, 0.0f, 0.359375f, 0.71875f), 230);
    EXPECT_GE(pic.MaxAlphaIn(0.359375f, 0.0f, 0.71875f, 0.71875f), 230);
}

} // namespace
