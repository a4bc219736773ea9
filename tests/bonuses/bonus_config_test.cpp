// The gem and bonus tuning files: keys, defaults, the readers' conversions and the flare
// origins drawn from it.
#include "bonuses/BonusConfig.h"

#include "platform/crt.h"
#include "tests/platform/files_testdir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class GemsConfigTest : public ::testing::Test
{
protected:
    void TearDown() override { LoadBonusConfig((dir / "none.cfg").c_str(), (dir / "none.cfg").c_str()); }

    const GemSettings& Load(const std::string& text)
    {
        dir.Write("Gems.cfg", text);
        LoadBonusConfig((dir / "Gems.cfg").c_str(), (dir / "Bonus.cfg").c_str());
        return GetGemSettings();
    }

    TestDir dir;
};

TEST_F(GemsConfigTest, MissingFileGivesTheBuiltInValues)
{
    // A file that sets everything else first, so that the reload really resets.
    Load("[Gems]\nSize=10\nFlyTime=3\n[Standard]\nRadius=20\n[Halo]\nColor2=FF0000\n");
    LoadBonusConfig((dir / "none.cfg").c_str(), (dir / "none.cfg").c_str());
    const GemSettings& s = GetGemSettings();
    EXPECT_FLOAT_EQ(s.standardRadius, 38.0f); // a bonus of size 38 has scale 1
    EXPECT_FLOAT_EQ(s.gemSize, 48.0f);
    EXPECT_FLOAT_EQ(s.flyTime, 1.0f);
    EXPECT_FLOAT_EQ(s.targetPos.z, -150.0f);
    EXPECT_EQ(s.targetZOrder, -150);
    EXPECT_FLOAT_EQ(s.haloT, 2.0f * 3.1415927f);
    EXPECT_FLOAT_EQ(s.smallW, 3.1415927f);
    EXPECT_FLOAT_EQ(s.bigW, 0.5f * 3.1415927f);
    EXPECT_FLOAT_EQ(s.smallT, 0.1f);
    EXPECT_FLOAT_EQ(s.bigT, 1.5f);
    EXPECT_EQ(s.haloMethod, 0);
    for (int k = 0; k < kGemKinds; ++k)
    {
        EXPECT_EQ(s.haloColor[k], 0xFFFFFFFFu) << k;
        EXPECT_FLOAT_EQ(s.bigOriginSize[k][0], 26.0f);
        EXPECT_FLOAT_EQ(s.smallOriginSize[k][1], 28.0f);
    }
}

TEST_F(GemsConfigTest, KeysAndConversions)
{
    const GemSettings& s = Load("[Gems]\n"
                                "TargetPos=10 20\n" // z keeps what it had
                                "FlyTime=0.75\n"
                                "ParticleColor0=FFFFFF\n"
                                "ParticleColor1=FFGGFFFF\n"
                                "ParticleColor2=12345678AB\n"
                                "[Halo]\n"
                                "Method=yes\n"
                                "Color3=80FF0000\n"
                                "T=0.5\n"
                                "[BigFlares]\n"
                                "Method=0.5\n"
                                "OriginSize4=40 10\n"
                                "[SmallFlares]\n"
                                "W=1\n"
                                "OriginSize3=30\n"
                                "[Standard]\n"
                                "Radius=19\n");
    EXPECT_FLOAT_EQ(s.targetPos.x, 10.0f);
    EXPECT_FLOAT_EQ(s.targetPos.y, 20.0f);
    EXPECT_FLOAT_EQ(s.targetPos.z, -150.0f);
    EXPECT_FLOAT_EQ(s.flyTime, 0.75f);
    EXPECT_EQ(s.particleColor[0], 0x00FFFFFFu);
    EXPECT_EQ(s.particleColor[1], 0xFF00FFFFu); // G counts as 0
    EXPECT_EQ(s.particleColor[2], 0x12345678u); // past the eighth character is ignored
    EXPECT_EQ(s.haloMethod, 1);
    EXPECT_EQ(s.bigMethod, 0);
    EXPECT_EQ(s.haloColor[3], 0xFFFF0000u); // alpha always opaque
    EXPECT_FLOAT_EQ(s.haloT, 0.5f * 3.1415927f);
    EXPECT_FLOAT_EQ(s.bigOriginSize[4][0], 40.0f);
    EXPECT_FLOAT_EQ(s.bigOriginSize[4][1], 10.0f);
    EXPECT_FLOAT_EQ(s.smallOriginSize[3][0], 30.0f);
    EXPECT_FLOAT_EQ(s.smallOriginSize[3][1], 28.0f); // a missing second number keeps the height
    EXPECT_FLOAT_EQ(s.smallW, 3.1415927f);
    EXPECT_FLOAT_EQ(s.standardRadius, 19.0f);
}

TEST_F(GemsConfigTest, MethodFlagIsOffOnlyForATextStartingWithZero)
{
    const struct
    {
        const char* text;
        int flag;
    } cases[] = {{"1", 1}, {"yes", 1}, {"", 1}, {"0", 0}, {"0.9", 0}, {"00", 0}, {"x0", 1}};
    for (const auto& c : cases)
    {
        const GemSettings& s = Load(std::string("[Halo]\nMethod=") + c.text + "\n");
        EXPECT_EQ(s.haloMethod, c.flag) << "'" << c.text << "'";
    }
}

TEST_F(GemsConfigTest, ZeroDivisorsFallBackToTheirDefaults)
{
    const GemSettings& s = Load("[Halo]\nT=0\n[SmallFlares]\nT=0\n[BigFlares]\nT=abc\n[Standard]\nRadius=0\n");
    EXPECT_FLOAT_EQ(s.haloT, 2.0f * 3.1415927f);
    EXPECT_FLOAT_EQ(s.smallT, 0.1f);
    EXPECT_FLOAT_EQ(s.bigT, 1.5f);
    EXPECT_FLOAT_EQ(s.standardRadius, 38.0f);
}

TEST_F(GemsConfigTest, FlareOriginsStayInsideTheKindsEllipse)
{
    const GemSettings& s = Load("[BigFlares]\nOriginSize7=40 10\n[SmallFlares]\nOriginSize0=8 60\n");
    ASSERT_FLOAT_EQ(s.bigOriginSize[7][0], 40.0f);
    crt::srand(7);
    float maxX = 0.0f, maxY = 0.0f;
    for (int i = 0; i < 2000; ++i)
    {
        for (int kind : {7, 8, 100}) // kinds past the table take the last entry
        {
            FlareOrigin o = RandomFlareOrigin(kind, 1);
            EXPECT_LE((o.x / 20) * (o.x / 20) + (o.y / 5) * (o.y / 5), 1.0001f);
            maxX = std::max(maxX, std::fabs(o.x));
            maxY = std::max(maxY, std::fabs(o.y));
        }
        FlareOrigin small = RandomFlareOrigin(-3, 0); // clamped to kind 0
        EXPECT_LE((small.x / 4) * (small.x / 4) + (small.y / 30) * (small.y / 30), 1.0001f);
    }
    // Spread over the whole ellipse, not a thin ring or its centre.
    EXPECT_GT(maxX, 19.0f);
    EXPECT_GT(maxY, 4.7f);
}

TEST_F(GemsConfigTest, ShippedFileTunesEveryGemKind)
{
    const std::string config = std::string(ORB_DATA_SRC_DIR) + "/Data/Config/";
    LoadBonusConfig((config + "Gems.cfg").c_str(), (config + "Bonus.cfg").c_str());
    const GemSettings& s = GetGemSettings();
    EXPECT_GT(s.flyTime, 0.0f);
    EXPECT_GT(s.standardRadius, 0.0f);
    EXPECT_EQ(s.haloMethod, 1);
    for (int k = 0; k < kGemKinds; ++k)
    {
        EXPECT_EQ(s.haloColor[k] >> 24, 0xFFu) << k;
        EXPECT_GT(s.smallOriginSize[k][0], 0.0f) << k;
        EXPECT_GT(s.bigOriginSize[k][1], 0.0f) << k;
    }
    // Different colours for different kinds.
    EXPECT_NE(s.haloColor[0], s.haloColor[2]);
}

} // namespace

namespace {

class HelpConfigTest : public ::testing::Test
{
protected:
    void TearDown() override { LoadBonusConfig((dir / "none.cfg").c_str(), (dir / "none.cfg").c_str()); }

    const BonusSettings& Load(const std::string& text)
    {
        dir.Write("Bonus.cfg", text);
        LoadBonusConfig((dir / "none.cfg").c_str(), (dir / "Bonus.cfg").c_str());
        return GetBonusSettings();
    }

    TestDir dir;
};

TEST_F(HelpConfigTest, AdviserScoreSolidarityAndHintKeysWithTheirDefaults)
{
    const float pi = 3.1415927f;
    const BonusSettings& d = Load("");
    EXPECT_FLOAT_EQ(-1.0f, d.adviser.rimShift.x); // "-1 -1" turned y up: (-1, +1)
    EXPECT_FLOAT_EQ(1.0f, d.adviser.rimShift.y);
    EXPECT_FLOAT_EQ(6.0f, d.adviser.glassShift.y);
    EXPECT_FLOAT_EQ(160.0f - 512.0f, d.adviser.target.x);
    EXPECT_FLOAT_EQ(384.0f - 352.0f, d.adviser.target.y);
    EXPECT_EQ(0x80FFFF50u, d.adviser.tailColor);
    EXPECT_FLOAT_EQ(2.0f * pi, d.score.coinW);
    EXPECT_EQ(0xFF50FF50u, d.score.tailColor);
    EXPECT_EQ(0xFFFFC8C8u, d.solidarity.boltColor);
    EXPECT_FLOAT_EQ(-0.5f * pi, d.solidarity.centerW);
    EXPECT_FLOAT_EQ(0.125f, d.solidarity.tailW); // used as read
    EXPECT_FLOAT_EQ(0.25f * pi, d.adviserInterface.haloW);
    EXPECT_FLOAT_EQ(-50.0f, d.adviserInterface.z);

    const BonusSettings& s = Load("[Adviser]\nGlobalShift=2 3\nGlassShift=1 1\nSpeed=0\nTarget=0 0 -5\n"
                                  "[Score]\nCoinOrbitRadius=30\n"
                                  "[Solidarity]\nTailSize=40\nBoltSpeed=600\nRingT=0\n"
                                  "[AdviserInterface]\nArrowW=1\nRefresh=0.5\nZOrder=-3\n");
    EXPECT_FLOAT_EQ(2.0f, s.adviser.globalShift.x);
    EXPECT_FLOAT_EQ(-3.0f, s.adviser.globalShift.y);
    EXPECT_FLOAT_EQ(3.0f, s.adviser.glassShift.x);  // relative to the global shift
    EXPECT_FLOAT_EQ(-4.0f, s.adviser.glassShift.y);
    EXPECT_FLOAT_EQ(1000.0f, s.adviser.speed); // no speed would never arrive
    EXPECT_FLOAT_EQ(384.0f, s.adviser.target.y);
    EXPECT_FLOAT_EQ(30.0f, s.score.coinOrbitRadius);
    EXPECT_FLOAT_EQ(40.0f, s.solidarity.tailSize[0]);
    EXPECT_FLOAT_EQ(16.0f, s.solidarity.tailSize[1]); // the width the text leaves out stays
    EXPECT_FLOAT_EQ(600.0f, s.solidarity.boltSpeed);
    EXPECT_FLOAT_EQ(0.4f, s.solidarity.ringT);
    EXPECT_FLOAT_EQ(pi, s.adviserInterface.arrowW);
    EXPECT_FLOAT_EQ(0.5f, s.adviserInterface.refresh);
    EXPECT_EQ(-3, s.adviserInterface.zOrder);
}

} // namespace
