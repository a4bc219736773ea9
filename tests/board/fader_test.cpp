// The board's fade panel: fading in and out, batching of its quads and the
// colours it writes for each blend mode.
#include "board/Fader.h"

#include "board_test_device.h"

#include <gtest/gtest.h>

namespace
{

TEST(Fader, StartsAndFades)
{
    CFader f;
    EXPECT_EQ(1, f.active);
    EXPECT_FLOAT_EQ(1.0f, f.value);

    f.Start(0, 0.0f);  // off at once
    EXPECT_EQ(0, f.active);
    EXPECT_FLOAT_EQ(0.0f, f.value);

    f.Start(1, 2.0f);  // in over half a second
    EXPECT_EQ(1, f.active);
    for (int i = 0; i < 4; ++i)
        f.Update(0.1f);
    EXPECT_NEAR(0.8f, f.value, 1e-5f);
    f.Update(0.2f);
    EXPECT_FLOAT_EQ(1.0f, f.value);
    EXPECT_FLOAT_EQ(0.0f, f.speed);

    f.Start(0, 2.0f);  // out over half a second, then off
    f.Update(0.25f);
    EXPECT_EQ(1, f.active);
    EXPECT_NEAR(0.5f, f.value, 1e-5f);
    f.Update(0.25f);
    EXPECT_FLOAT_EQ(0.0f, f.value);
    EXPECT_EQ(0, f.active);

    f.Start(1, 0.0f);  // full at once
    EXPECT_FLOAT_EQ(1.0f, f.value);
    EXPECT_EQ(1, f.active);
}

TEST(Fader, QuadsOfOneTextureAndBlendShareABatch)
{
    CFader f;
    const std::vector<float> rects = {0, 0, 10, 10, 10, 0, 10, 10, 20, 0, 10, 10, 30, 0, 10, 10};
    const std::vector<float> uvs(32, 0.5f);
    f.Build(rects, uvs, {0, 0, 1, 1}, {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}, {0, 0, 0, 1});
    ASSERT_EQ(3u, f.batches.size());
    EXPECT_EQ(2, f.batches[0].quadCount);
    EXPECT_EQ(1, f.batches[1].textureIndex);
    EXPECT_EQ(1, f.batches[1].quadCount);
    EXPECT_EQ(uint32_t(D3DBLEND_ONE), f.blendFactors[2].destination);
    EXPECT_EQ(16u, f.vertices.size());
    EXPECT_EQ(24u, f.indices.size());
    EXPECT_EQ(4, f.indices[6]);
    // Rectangles are given y down; the panel's y grows upwards.
    EXPECT_FLOAT_EQ(-10.0f, f.vertices[2].y);
    EXPECT_FLOAT_EQ(10.0f, f.vertices[1].x);
    // A rebuild starts over.
    f.Build({0, 0, 1, 1}, std::vector<float>(8, 0.0f), {1}, {0xFF000000u}, {2});
    EXPECT_EQ(1u, f.batches.size());
    EXPECT_EQ(4u, f.vertices.size());
    EXPECT_EQ(1, f.premultiplied[0]);
}

class FaderDrawTest : public board_test::RecordingBoardTest
{
};

TEST_F(FaderDrawTest, DrawsFadedAndPremultipliedColours)
{
    CRefPtr<CFader> f(new CFader());
    f->textures.push_back(device->CreateTexture("Frame", 8, 8, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8));
    f->Build({0, 0, 10, 10, 0, 0, 10, 10}, std::vector<float>(16, 0.0f), {0, 0}, {0xFFFFFFFFu, 0x80FF8040u},
             {3, 0});
    f->value = 0.5f;
    f->position[0] = 100.0f;
    f->position[1] = 200.0f;
    f->scale[0] = 2.0f;
    ASSERT_EQ(1, f->Draw(device, vertexBuffer, indexBuffer));
    const std::vector<CVertex> v = Vertices(vertexBuffer->lockStart, 8);
    // Screen mode, white, half faded: premultiplied 127 in every channel.
    EXPECT_EQ(0x7F7F7F7Fu, v[0].colour);
    // Normal mode keeps its RGB and fades its alpha only: floor(128 * 0.5).
    EXPECT_EQ(0x40FF8040u, v[4].colour);
    EXPECT_FLOAT_EQ(120.0f, v[1].x);
    EXPECT_FLOAT_EQ(190.0f, v[2].y);
    EXPECT_EQ(2, recorder->Count("DrawIndexedPrimitive"));
    EXPECT_EQ(1u, device->renderState[D3DRS_ZWRITEENABLE]);
    EXPECT_EQ(uint32_t(D3DBLEND_INVSRCALPHA), device->renderState[D3DRS_DESTBLEND]);
}

} // namespace
