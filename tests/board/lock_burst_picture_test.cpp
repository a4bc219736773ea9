// The star particle picture also holds the lock a locked token throws off: the
// lock burst samples one cell of it, alpha blended, while every other effect draws
// the whole picture additively and must see only the star.
#include "tests/support/GeneratedPicture.h"

#include <gtest/gtest.h>

namespace
{

TEST(LockBurstPicture, StarPictureHoldsADarkLockInTheBurstCellAndIsOpaqueElsewhere)
{
    GeneratedPicture pic;
    if (!pic.Load("StarParticle.bmp"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    EXPECT_EQ(D3DFMT_A8R8G8B8, pic.image.format) << "the file keeps its alpha";
    const float u0 = 0.71875f, v0 = 0.0f, u1 = 0.828125f, v1 = 0.21875f;
    EXPECT_GE(pic.MaxAlphaIn(u0, v0, u1, v1), 230) << "the lock";
    EXPECT_EQ(0, pic.MaxAlphaOnBorder(u0, v0, u1, v1)) << "clear round the lock";
    // Dark in the cell, so that it adds nothing to the whole star; opaque outside it,
    // so that the star adds as it always did.
    int lightInCell = 0, leastAlphaOutside = 255;
    pic.ForEachIn(0.0f, 0.0f, 1.0f, 1.0f, [&](int x, int y, float u, float v) {
        if (u >= u0 && u < u1 && v >= v0 && v < v1)
            lightInCell = std::max(lightInCell, pic.Light(x, y));
        else
            leastAlphaOutside = std::min(leastAlphaOutside, pic.Alpha(x, y));
    });
    EXPECT_LE(lightInCell, 20);
    EXPECT_EQ(255, leastAlphaOutside);
    // The star itself: bright in the middle, black in the corners.
    EXPECT_GE(pic.Light(pic.image.width / 2, pic.image.height / 2), 240);
    EXPECT_EQ(0, pic.Light(0, pic.image.height - 1));
}

} // namespace
