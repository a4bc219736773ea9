#include "render/SpriteSet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class SpriteSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One file per test: ctest runs the tests side by side.
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path = (std::filesystem::temp_directory_path() / ("orb_sprite_set_" + name + ".cfg")).string();
        std::ofstream(path) << "[Light]\n"
                               "LightSpritesCount=3\n"
                               "LightSprite0=0 0 0 256 256\n"
                               "LightSpriteT0=0 0 128 64\n"
                               "LightSpriteColor0=255 125 16.9 128\n"
                               "LightSpriteFilter0=add\n"
                               "LightSpriteZOrder0=7\n"
                               "LightSpriteTexture0=2\n"
                               "LightSprite1=128 128 5 0 0\n"
                               "LightSpriteFilter1=Screen\n"
                               "LightSprite2=64 0 -1 128 64\n"
                               "LightSpriteFilter2=MULTIPLY\n"
                               "LightSpriteColor2=-0.5 0 0 255\n";
    }
    void TearDown() override { std::filesystem::remove(path); }

    std::string path;
};

TEST_F(SpriteSetTest, KeysAreConvertedIntoScreenAndTextureUnits)
{
    CSpriteSet set;
    set.Load(path.c_str(), "Light", "Light", 0);
    ASSERT_EQ(3u, set.Count());

    // A full-layout sprite is centred on the origin; a point at the layout's
    // centre sits there too, lifted by its z.
    EXPECT_FLOAT_EQ(1.0f, set.sizes[0]);
    EXPECT_FLOAT_EQ(1.0f, set.sizes[1]);
    EXPECT_FLOAT_EQ(0.0f, set.positions[0].x);
    EXPECT_FLOAT_EQ(0.0f, set.positions[0].y);
    EXPECT_FLOAT_EQ(0.0f, set.sizes[2]);
    EXPECT_FLOAT_EQ(0.0f, set.positions[1].x);
    EXPECT_FLOAT_EQ(0.0f, set.positions[1].y);
    EXPECT_FLOAT_EQ(5.0f, set.positions[1].z);
    // Top-left (64, 0), 128 by 64 pixels: centre x 0.5 - 0.5, y 0.5 - 0.125.
    EXPECT_FLOAT_EQ(0.0f, set.positions[2].x);
    EXPECT_FLOAT_EQ(0.375f, set.positions[2].y);
    EXPECT_FLOAT_EQ(-1.0f, set.positions[2].z);

    EXPECT_FLOAT_EQ(0.5f, set.textureRects[2]);
    EXPECT_FLOAT_EQ(0.25f, set.textureRects[3]);
    EXPECT_EQ(0x80FF7D10u, set.colours[0]);
    EXPECT_EQ((std::vector<int32_t>{1, 3, 0}), set.filters);
    EXPECT_EQ((std::vector<int32_t>{7, 0, 0}), set.zOrders);
    EXPECT_EQ((std::vector<int32_t>{2, 0, 0}), set.textureIndices);
    // Missing keys take their defaults.
    EXPECT_EQ(0xFFFFFFFFu, set.colours[1]);
    EXPECT_FLOAT_EQ(0.0f, set.textureRects[4 + 2]);
    // Components are floored, not clamped: a red of -0.5 spills over green and blue.
    EXPECT_EQ(0xFFFF0000u, set.colours[2]);
}

TEST_F(SpriteSetTest, LayoutCountsAndRepeatedLoads)
{
    CSpriteSet set;
    set.SetLayout(512, 128, 64, 32, 0, 0, 10);
    set.Load(path.c_str(), "Light", "Light", 1);
    ASSERT_EQ(1u, set.Count());
    EXPECT_FLOAT_EQ(0.5f, set.sizes[0]);
    EXPECT_FLOAT_EQ(2.0f, set.sizes[1]);
    EXPECT_FLOAT_EQ(0.25f, set.positions[0].x);
    EXPECT_FLOAT_EQ(-1.0f, set.positions[0].y);
    EXPECT_FLOAT_EQ(10.0f, set.positions[0].z);
    EXPECT_FLOAT_EQ(2.0f, set.textureRects[2]);

    // A second load appends; a missing count or section loads nothing.
    set.Load(path.c_str(), "Light", "Light", 0);
    EXPECT_EQ(4u, set.Count());
    set.Load(path.c_str(), "Light", "Dark", 0);
    set.Load(path.c_str(), "Nowhere", "Light", 0);
    set.Load((path + ".missing").c_str(), "Light", "Light", 0);
    EXPECT_EQ(4u, set.Count());
    EXPECT_EQ(4u, set.colours.size());
    EXPECT_EQ(16u, set.textureRects.size());

    // An explicit count reads past the described sprites with defaults.
    set.Load(path.c_str(), "Nowhere", "Light", 2);
    ASSERT_EQ(6u, set.Count());
    EXPECT_FLOAT_EQ(0.0f, set.sizes[10]);
    EXPECT_EQ(0, set.filters[5]);
}

} // namespace
