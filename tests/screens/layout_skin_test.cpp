// The quest-board layout: the built-in values, what "Skin.cfg" sets and how it
// converts positions, the frame elements with their blend methods, and the shipped
// file's board, frame and sand glass on the 1024 by 768 screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "hud/QuestLayout.h"
#include "screens_test_util.h"
#include "tests/support/LogFile.h"

namespace {

using screens_test::TempFolder;
using screens_test::WriteText;

std::string SkinFile(const std::string& name, const std::string& text)
{
    const std::string path = TempFolder(name) + "Skin.cfg";
    WriteText(path, text);
    return path;
}

TEST(QuestLayoutTest, ConstructorHoldsTheFrameOfAnEightByEightBoard)
{
    const CQuestLayout layout;
    ASSERT_EQ(9, layout.ElementCount());
    ASSERT_EQ(36u, layout.frameRects.size());
    ASSERT_EQ(72u, layout.frameUVs.size());
    // Corners 32 square, edges 608 long repeating 19 times, the cells' background.
    const float topEdge[4] = {16, -16, 608, 32};
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ(topEdge[k], layout.frameRects[4 * 4 + k]);
    EXPECT_FLOAT_EQ(19.0f, layout.frameUVs[4 * 8 + 3]);
    EXPECT_EQ(1, layout.frameTextures[8]);
    EXPECT_EQ(0xC0FFFFFFu, layout.frameColours[8]);
    EXPECT_FLOAT_EQ(7.5f, layout.frameUVs[8 * 8 + 2]);
    EXPECT_FLOAT_EQ(-144.5f, layout.boardX);
    EXPECT_FLOAT_EQ(367.5f, layout.boardY);
    EXPECT_FLOAT_EQ(80.0f, layout.cellWidth);
    EXPECT_NEAR(std::sqrt(17.0f) / 32.0f + 7.0f / 32.0f, layout.sandPath.total, 1e-5f);
}

TEST(QuestLayoutTest, WithoutSkinFileTheKeysDefaultsHold)
{
    CQuestLayout layout;
    layout.Load((TempFolder("no_skin") + "Skin.cfg").c_str());
    EXPECT_FLOAT_EQ(-144.5f, layout.boardX);
    EXPECT_FLOAT_EQ(367.5f, layout.boardY);
    EXPECT_FLOAT_EQ(50.0f, layout.boardZ);
    EXPECT_FLOAT_EQ(80.0f, layout.cellWidth);
    EXPECT_FLOAT_EQ(80.0f, layout.cellHeight);
    EXPECT_FLOAT_EQ(32.0f, layout.radius);
    EXPECT_FLOAT_EQ(-144.5f, layout.sandboxX);
    EXPECT_FLOAT_EQ(-344.5f, layout.sandboxY);
    EXPECT_FLOAT_EQ(640.0f, layout.sandboxWidth);
    EXPECT_FLOAT_EQ(32.0f, layout.sandboxHeight);
    EXPECT_EQ(40, layout.sandboxSegments);
    // The elements' own default is "0 0 0 0": nine elements of no size.
    ASSERT_EQ(9, layout.ElementCount());
    for (float v : layout.frameRects)
        EXPECT_FLOAT_EQ(0.0f, v);
    EXPECT_EQ(0xFFFFFFFFu, layout.frameColours[8]);
    EXPECT_EQ(0, layout.frameTextures[8]);
    // Colours and converted values from the default texts.
    EXPECT_EQ(0xFF6CC8F7u, layout.sandboxGlassColour);
    EXPECT_EQ(0xFFA09050u, layout.dustColour);
    EXPECT_NEAR(127.0f / 255.0f, layout.dustAlpha, 1e-6f);
    EXPECT_EQ(0x0001DDFFu, layout.frenzyBarColour);
    EXPECT_FLOAT_EQ(-40.0f, -layout.gemsOverlayShift[1]);
    EXPECT_FLOAT_EQ(0.5f * 3.1415927f, layout.bigFlaresW);
    EXPECT_EQ(0x99FFFFFFu, layout.bigFlaresColour);
    EXPECT_FLOAT_EQ(137.0f, layout.comboMessagePos[0]);
    EXPECT_FLOAT_EQ(144.0f, layout.comboMessagePos[1]);
    EXPECT_FLOAT_EQ(-1.0f, layout.comboMessagePos[2]);
    EXPECT_EQ(0x3F000000u, layout.gaugeAlpha);
    EXPECT_FLOAT_EQ(394.0f - 512.0f, layout.arrowWinPrefX);
    EXPECT_FLOAT_EQ(106.0f, -layout.clickHerePoint[1]);
    EXPECT_FLOAT_EQ(-10.0f, -layout.flagShift[1]);
}

// Values a hand-edited file may hold are held to a channel's range, never overflowing
// the conversion to an integer.
TEST(QuestLayoutTest, OutOfRangeColourValuesAreHeldToAChannel)
{
    struct Case
    {
        const char* alpha;
        const char* colour;
        const char* saturation;
        uint32_t gaugeAlpha;
        uint32_t glass;
        float tint;
    };
    const Case cases[] = {
        {"1e30", "1e30 300 -1e30 1e30", "1e30", 0xFF000000u, 0xFFFFFF00u, 255.0f},
        {"-1e30", "-5 nan 255 -1", "-1e30", 0x00000000u, 0x000000FFu, 0.0f},
        {"2", "0 0 0 0", "1", 0xFF000000u, 0x00000000u, 255.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.alpha);
        const std::string path = SkinFile("range", std::string("[FieldQuest]\nSandboxGlassColor=") + c.colour +
                                                        "\n[PanelQuest]\nSaturation=" + c.saturation +
                                                        "\nAlpha=" + c.alpha + "\n");
        CQuestLayout layout;
        layout.Load(path.c_str());
        EXPECT_EQ(c.gaugeAlpha, layout.gaugeAlpha);
        EXPECT_EQ(c.glass, layout.sandboxGlassColour);
        EXPECT_FLOAT_EQ(c.tint, layout.yellow[0]);
    }
}

TEST(QuestLayoutTest, SkinFileValuesAreConvertedToTheCentredScreen)
{
    const std::string path = SkinFile("values", "[FieldQuest]\n"
                                                "Coord=100 50\n"
                                                "CellSize=64\n"
                                                "SandboxFrontShift=3 5\n"
                                                "SandboxGlassColor=10.6 20.4 30.5 255\n"
                                                "SandboxSandPathSpeed=10\n"
                                                "SandboxSandPathCount=1\n"
                                                "SandboxSandPathPoint1=3 4\n"
                                                "FrenzyMessagePos=512 384 -7\n"
                                                "[PanelQuest]\n"
                                                "Saturation=0\n"
                                                "Alpha=0.5\n"
                                                "[Map]\n"
                                                "FlagShift=4 6\n");
    CQuestLayout layout;
    layout.Load(path.c_str());
    EXPECT_FLOAT_EQ(-412.0f, layout.boardX);
    EXPECT_FLOAT_EQ(334.0f, layout.boardY);
    EXPECT_FLOAT_EQ(64.0f, layout.cellWidth);
    EXPECT_FLOAT_EQ(64.0f, layout.cellHeight);
    EXPECT_FLOAT_EQ(3.0f, layout.sandboxFrontShift[0]);
    EXPECT_FLOAT_EQ(-5.0f, layout.sandboxFrontShift[1]);
    EXPECT_EQ(0xFF0B141Fu, layout.sandboxGlassColour); // rounded to the nearest
    // One segment from the origin to (3, -4) at 10 units a second.
    ASSERT_EQ(1u, layout.sandPath.segments.size());
    EXPECT_FLOAT_EQ(0.5f, layout.sandPath.total);
    Vec3 end{};
    layout.sandPath.GetPoint(end, 0.5f);
    EXPECT_NEAR(3.0f, end.x, 1e-4f);
    EXPECT_NEAR(-4.0f, end.y, 1e-4f);
    EXPECT_FLOAT_EQ(0.0f, layout.frenzyMessagePos[0]);
    EXPECT_FLOAT_EQ(0.0f, layout.frenzyMessagePos[1]);
    EXPECT_FLOAT_EQ(-7.0f, layout.frenzyMessagePos[2]);
    // No saturation greys each tint to the middle of its lightest and darkest channel.
    for (float c : layout.yellow)
        EXPECT_FLOAT_EQ(127.5f, c);
    EXPECT_EQ(0x7F000000u, layout.gaugeAlpha);
    EXPECT_FLOAT_EQ(4.0f, layout.flagShift[0]);
    EXPECT_FLOAT_EQ(-6.0f, layout.flagShift[1]);
}

TEST(QuestLayoutTest, FrameElementsWithTheirMethodsColoursAndTextures)
{
    const std::string path = SkinFile("frame", "[FrameQuest]\n"
                                               "ElementsCount=11\n"
                                               "Element0=1 2 3 4\n"
                                               "TCoords0=0 0 1 0 1 1 0 1\n"
                                               "Method0=Add\n"
                                               "Method1=Mul\n"
                                               "Method2=Screen\n"
                                               "Method3=screen\n"
                                               "Color1=80FF0000\n"
                                               "Texture1=1\n"
                                               "Texture2=5\n"
                                               "Texture3=-1\n"
                                               "Element4=\n"
                                               "Element10=7 8 9 10\n");
    CQuestLayout layout;
    layout.Load(path.c_str());
    ASSERT_EQ(11, layout.ElementCount());
    EXPECT_EQ(44u, layout.frameRects.size());
    EXPECT_EQ(88u, layout.frameUVs.size());
    EXPECT_FLOAT_EQ(3.0f, layout.frameRects[2]);
    EXPECT_FLOAT_EQ(1.0f, layout.frameUVs[2]);
    const int methods[4] = {kFrameAdd, kFrameMul, kFrameScreen, kFrameNormal};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(methods[i], layout.frameMethods[size_t(i)]) << "element " << i;
    EXPECT_EQ(0x80FF0000u, layout.frameColours[1]);
    EXPECT_EQ(1, layout.frameTextures[1]);
    // A picture the frame panel does not have is ignored: the element keeps its own.
    EXPECT_EQ(0, layout.frameTextures[2]);
    EXPECT_EQ(0, layout.frameTextures[3]);
    // A key with an empty value keeps the constructor's element 4 (the top edge).
    EXPECT_FLOAT_EQ(608.0f, layout.frameRects[4 * 4 + 2]);
    EXPECT_FLOAT_EQ(10.0f, layout.frameRects[10 * 4 + 3]);
}

TEST(QuestLayoutTest, ElementCountsOfZeroOrBelowLeaveNoElements)
{
    for (const char* count : {"0", "-5"})
    {
        CQuestLayout layout;
        layout.Load(SkinFile("count", std::string("[FrameQuest]\nElementsCount=") + count + "\n").c_str());
        EXPECT_EQ(0, layout.ElementCount()) << count;
        EXPECT_TRUE(layout.frameRects.empty()) << count;
        EXPECT_TRUE(layout.frameUVs.empty()) << count;
        EXPECT_TRUE(layout.frameColours.empty()) << count;
        EXPECT_TRUE(layout.frameMethods.empty()) << count;
    }
}

// A count past what the frame panel can draw is read as that most, with a line in
// the log; a huge one must not hold the start for long or take the memory it names.
TEST(QuestLayoutTest, ElementCountsPastWhatTheFrameCanDrawAreCapped)
{
    const struct
    {
        const char* count;
        int32_t elements;
        bool logged;
    } cases[] = {{"50000000", kMaxFrameElements, true}, {"10923", kMaxFrameElements, true},
                 {"10922", kMaxFrameElements, false}};
    for (const auto& c : cases)
    {
        const test_support::LogToFile log(TempFolder("count_log") + "Objects.log");
        CQuestLayout layout;
        layout.Load(SkinFile("count_big", std::string("[FrameQuest]\nElementsCount=") + c.count +
                                              "\nElement10921=1 2 3 4\n")
                        .c_str());
        EXPECT_EQ(c.elements, layout.ElementCount()) << c.count;
        EXPECT_EQ(size_t(c.elements) * 4, layout.frameRects.size()) << c.count;
        EXPECT_FLOAT_EQ(4.0f, layout.frameRects.back()) << c.count;
        EXPECT_EQ(c.logged, log.Log().find("ElementsCount") != std::string::npos) << c.count << log.Log();
    }
}

// The shipped file: the frame round the board lies on the screen right of the side
// panel (which ends at x 338), the gem bar's frame above it and the sand glass below.
TEST(QuestLayoutTest, ShippedSkinFitsTheBoardOnTheScreen)
{
    CQuestLayout layout;
    layout.Load(ORB_DATA_SRC_DIR "/Data/Config/Skin.cfg");
    const float left = layout.boardX + 512.0f, top = 384.0f - layout.boardY;
    ASSERT_GT(layout.ElementCount(), 0);
    float frameLeft = 1e9f, frameRight = -1e9f, frameTop = 1e9f, frameBottom = -1e9f;
    for (int i = 0; i < layout.ElementCount(); ++i)
    {
        const float* r = &layout.frameRects[size_t(i) * 4];
        frameLeft = std::min(frameLeft, left + r[0]);
        frameRight = std::max(frameRight, left + r[0] + r[2]);
        frameTop = std::min(frameTop, top + r[1]);
        frameBottom = std::max(frameBottom, top + r[1] + r[3]);
        EXPECT_GE(layout.frameTextures[size_t(i)], 0);
        EXPECT_LT(layout.frameTextures[size_t(i)], kFrameTextureCount);
    }
    EXPECT_GE(frameLeft, 338.0f);
    EXPECT_LE(frameRight, 1024.0f);
    EXPECT_LE(top + 8 * layout.cellHeight, frameBottom);
    const float barBottom = top - layout.gemsOverlayShift[1] + 46.0f;
    EXPECT_GE(barBottom - 46.0f, 0.0f);
    EXPECT_LE(barBottom, frameTop);
    const float glassTop = 384.0f - layout.sandboxY;
    EXPECT_LE(frameBottom, glassTop);
    EXPECT_LE(glassTop + layout.sandboxHeight, 768.0f);
}

} // namespace
