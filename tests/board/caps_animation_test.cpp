// Token animations: the block grammar of "CapsAnimation.dat", its messages, the
// loader's 17 blocks, the look-value rule and the shipped file against the
// atlases the generator draws.
#include "board/CapsAnimation.h"
#include "board/CapsManager.h"
#include "engine/Log.h"
#include "engine/Tokenizer.h"

#include "board_test_device.h"

#include <gtest/gtest.h>

#include <string>

using board_test::ReadFile;
using board_test::WriteText;

namespace
{

class CapsAnimationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = ::testing::TempDir() + "caps_animation_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SetLogFile((folder + "anim.log").c_str());
        ResetLog();
    }
    void TearDown() override { SetLogFile(""); }

    // Parses one block of the text; the log of the attempt comes back in `log`.
    int ParseText(const std::string& text, CCapsAnimation& animation, std::string& log)
    {
        WriteText(folder + "block.dat", text);
        CTokenizer tokenizer;
        EXPECT_EQ(0, tokenizer.Open((folder + "block.dat").c_str()));
        ResetLog();
        const int result = animation.Parse(tokenizer);
        log = ReadFile(folder + "anim.log");
        return result;
    }

    std::string folder;
};

const std::string kBlock = "TEXTURESIZE 256 256\nFRAME 0 0 0 64 64\nTRACK ( 0 )\n";

TEST_F(CapsAnimationTest, BlockGivesRectanglesInTextureUnitsAndItsTrack)
{
    CCapsAnimation a;
    std::string log;
    ASSERT_EQ(1, ParseText("TEXTURESIZE 256 128\nFRAME 0 0 0 64 64\nframe 1 64 32 128 96\n"
                           "Track ( 1 0 1 )\n",
                           a, log));
    ASSERT_EQ(2u, a.frames.size());
    EXPECT_FLOAT_EQ(0.25f, a.frames[0].right);
    EXPECT_FLOAT_EQ(0.5f, a.frames[0].bottom);
    EXPECT_FLOAT_EQ(0.25f, a.frames[1].left);
    EXPECT_FLOAT_EQ(0.25f, a.frames[1].top);
    EXPECT_FLOAT_EQ(0.75f, a.frames[1].bottom);
    EXPECT_EQ((std::vector<int32_t>{1, 0, 1}), a.track);
    EXPECT_TRUE(log.empty()) << log;

    CCapsAnimation b;
    ASSERT_EQ(1, ParseText(kBlock, b, log));
    ASSERT_EQ(1u, b.frames.size());
    EXPECT_FLOAT_EQ(0.0f, b.frames[0].left);
    EXPECT_FLOAT_EQ(0.25f, b.frames[0].right);
    EXPECT_FLOAT_EQ(0.25f, b.frames[0].bottom);
    EXPECT_EQ(1u, b.track.size());
}

TEST_F(CapsAnimationTest, BadBlocksFailWithTheirMessage)
{
    struct Case
    {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"TEXTURESIZE 64 64\nFRAME 1 0 0 8 8\nTRACK ( 0 )\n", "Wrong FrameNum in line 2\n"},
        {"TEXTURESIZE 64 64\nFRAME 0 0 0 8 8\nFRAME 1 0 0 8 8\nFRAME 2 0 0 8 8\nTRACK ( 0 3 )\n",
         "Wrong FrameNum in line 5\n"},
        {"TEXTURESIZE 64 64\nFRAME 0 0 0 8 8\nTRACK ( -1 )\n", "Wrong FrameNum in line 3\n"},
        {"TEXTURESIZE 64 64\nFRAME 0 0 0 8 8\nTRACK ( )\n", "Unexpected End of file\n"},
        {"TEXTURESIZE 64 64\nFRAME 0 0 0 8 8\nTRACK ( 0\n", "Unexpected End of file\n"},
        {"", "Unexpected End of file\n"},
        {"TEXTURESIZE 64 64\nFRAMES 0 0 0 8 8\n", "Unexpected Token <FRAMES> in Line 2\n"},
        {"SIZE 64 64\n", "Unexpected Token <SIZE> in Line 1\n"},
        {"TEXTURESIZE 0 64\n", "Unexpected Token <0> in Line 1\n"},
        {"TEXTURESIZE 64 64\nFRAME 0 0 0 8 8\nTRACK 0 )\n", "Unexpected Token <0> in Line 3\n"},
    };
    for (const Case& c : cases)
    {
        CCapsAnimation a;
        std::string log;
        EXPECT_EQ(0, ParseText(c.text, a, log)) << c.text;
        EXPECT_NE(std::string::npos, log.find(c.message)) << c.text << "\nlog: " << log;
    }
}

TEST_F(CapsAnimationTest, LoaderNeedsSeventeenBlocks)
{
    CCapsManager manager{CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()};
    std::string sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += kBlock;
    WriteText(folder + "CapsAnimation.dat", sixteen);
    ResetLog();
    EXPECT_EQ(0, manager.LoadCapsAnimation(folder));
    EXPECT_EQ(16u, manager.animations.size());
    const std::string log = ReadFile(folder + "anim.log");
    const size_t end = log.find("Unexpected End of file\n");
    ASSERT_NE(std::string::npos, end) << log;
    EXPECT_NE(std::string::npos, log.find("Unable to Load Caps Animation!\n", end)) << log;

    // A seventeenth block completes it; anything behind it is never read.
    CCapsManager full{CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()};
    WriteText(folder + "CapsAnimation.dat", sixteen + kBlock + "GARBAGE");
    EXPECT_EQ(1, full.LoadCapsAnimation(folder));
    EXPECT_EQ(17u, full.animations.size());
}

TEST_F(CapsAnimationTest, MissingFileIsReportedAndFails)
{
    CCapsManager manager{CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()};
    EXPECT_EQ(0, manager.LoadCapsAnimation(folder + "nowhere/"));
    const std::string log = ReadFile(folder + "anim.log");
    EXPECT_NE(std::string::npos, log.find("Unable to open file CapsAnimation.dat!\n")) << log;
    EXPECT_NE(std::string::npos, log.find("Unable to Load Caps Animation!\n")) << log;
    EXPECT_TRUE(manager.animations.empty());
}

TEST(CapsAnimationIndex, EveryLookValueStaysWithinTheSeventeen)
{
    const std::pair<int32_t, int32_t> cases[] = {
        {0, 0},  {6, 6},  {7, 7},   {8, 7},  {16, 7},  {19, 7},   {20, 8},   {25, 13}, {28, 16}, {29, 7},
        {49, 7}, {50, 0}, {56, 6},  {57, 7}, {66, 7},  {99, 7},   {100, 7},  {150, 7}, {-1, 7},  {-50, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, GetCapAnimationIndex(c.first)) << "look value " << c.first;
}

TEST(CapsAnimationTrack, PositionsOutsideTheTrackHoldAtItsEnds)
{
    CCapsAnimation a;
    a.frames = {{0, 0, 0.5f, 0.5f}, {0.5f, 0, 1, 0.5f}};
    a.track = {1, 0};
    EXPECT_FLOAT_EQ(0.5f, a.FrameAt(-3)->left);
    EXPECT_FLOAT_EQ(0.5f, a.FrameAt(0)->left);
    EXPECT_FLOAT_EQ(0.0f, a.FrameAt(1)->left);
    EXPECT_FLOAT_EQ(0.0f, a.FrameAt(40)->left);
    a.track.clear();
    EXPECT_EQ(nullptr, a.FrameAt(0));
}

// The shipped file addresses the generator's atlases: tokens in 64-texel columns
// of a 512 x 128 atlas, memory cards in 84-texel cells, three cards per texture.
TEST_F(CapsAnimationTest, ShippedFileMatchesTheAtlases)
{
    CCapsManager manager{CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()};
    ASSERT_EQ(1, manager.LoadCapsAnimation(std::string(ORB_DATA_SRC_DIR) + "/Data/"));
    ASSERT_EQ(17u, manager.animations.size());
    for (int k = 0; k < 8; ++k)
    {
        const CCapsAnimation& a = manager.animations[size_t(k)];
        ASSERT_EQ(2u, a.frames.size()) << k;
        EXPECT_FLOAT_EQ(float(k) / 8.0f, a.frames[0].left) << k;
        EXPECT_FLOAT_EQ(float(k + 1) / 8.0f, a.frames[0].right) << k;
        EXPECT_FLOAT_EQ(0.5f, a.frames[0].bottom) << k;
        EXPECT_FLOAT_EQ(0.5f, a.frames[1].top) << k;
        EXPECT_EQ(0, a.track[0]) << k;
    }
    for (int v = 20; v <= 28; ++v)
    {
        const CCapsAnimation& a = manager.animations[size_t(GetCapAnimationIndex(v))];
        const float top = float((v - 20) % 3 * 84) / 256.0f;
        ASSERT_EQ(3u, a.frames.size()) << v;
        EXPECT_FLOAT_EQ(top, a.frames[0].top) << v;
        EXPECT_FLOAT_EQ(84.0f / 256.0f, a.frames[0].right) << v;
        // Faces turn through three frames, the cover through two.
        EXPECT_EQ(v == 28 ? 2u : 3u, a.track.size()) << v;
    }
}

} // namespace
