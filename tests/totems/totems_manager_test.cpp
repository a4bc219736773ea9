// The totems manager: the charge road of a totem (called to the centre, armed,
// unleashed by the next call of its colour, its record for the board, back to
// the panel), colour switches, Spent against Rearmed by level, the fade-outs,
// the settings file's defaults and values, and the loading of the pictures.
#include "totems/TotemsManager.h"

#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "tests/platform/files_testdir.h"
#include "tests/support/RecordingScreenTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{

const float kManagerFrame = 0.02f;

class TotemsRoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Every colour's picture: one sprite per level, three lights.
        std::string cfg = "[Shared]\nInTime=0.4\nSwitchInTime=0.3\n";
        for (const char* colour : {"Red", "Orange", "Violet", "Green", "Yellow", "Blue", "White"})
        {
            cfg += std::string("[") + colour + "]\n";
            for (const char* prefix : {"Small", "Shadow", "Main", "Shop"})
                for (int n = 1; n <= 4; ++n)
                    cfg += prefix + std::to_string(n) + "SpritesCount=1\n" + prefix + std::to_string(n) +
                           "Sprite0=0 0 0 80 80\n";
            for (int i = 0; i < 3; ++i)
                cfg += "LightSprite" + std::to_string(i) + "=60 " + std::to_string(60 + 10 * i) + " 0 8 8\n";
        }
        dir.Write("Totems.cfg", cfg);
        m.LoadSettings((dir / "Totems.cfg").c_str());
        m.SetRenderObjects(CRefPtr<CDevice>(), list, CRefPtr<CParticleSystemsManager>(), CRefPtr<CSpriteBatch>(),
                           nullptr);
    }

    // Runs frames until the manager is ready with no totem moving or fading; the records seen.
    std::vector<TotemCellRecord> Settle(int maxFrames = 200)
    {
        std::vector<TotemCellRecord> seen;
        for (int i = 0; i < maxFrames; ++i)
        {
            m.Update(kManagerFrame);
            seen.insert(seen.end(), m.m_cellRecords.begin(), m.m_cellRecords.end());
            bool busy = !m.IsIdle();
            for (const auto& t : m.m_liveTotems)
                busy = busy || t->m_state == TotemState::Moving || t->m_state == TotemState::FadingOut ||
                       t->m_alpha != t->m_alphaTarget;
            if (!busy)
                break;
        }
        return seen;
    }

    const CTotem& Current(int32_t colour) const { return *m.m_currentTotems[colour]; }

    TestDir dir;
    CRefPtr<CSpriteList> list{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
    CTotemsManager m;
};

TEST_F(TotemsRoad, TwoCallsBringTheTotemInUnleashItAndSendItBack)
{
    m.m_levels[kTotemRed] = 1;
    m.m_levels[kTotemBlue] = 2;
    m.CreatePanelTotems();
    ASSERT_EQ(2u, m.m_liveTotems.size());
    EXPECT_EQ(TotemMode::Panel, Current(kTotemRed).m_mode);
    EXPECT_FLOAT_EQ(m.m_settings.m_panelPositions[kTotemRed].x, Current(kTotemRed).m_position.x);
    Settle();

    // Two calls in consecutive frames: the first starts the flight, the second waits for it.
    m.RequestTotem(kTotemRed);
    EXPECT_FALSE(m.IsIdle());
    EXPECT_EQ(0, m.Update(kManagerFrame));
    m.RequestTotem(kTotemRed);
    EXPECT_EQ(kTotemRed, m.m_selectedColour);
    const CRefPtr<CTotem> centre = m.m_currentTotems[kTotemRed];
    EXPECT_EQ(TotemMode::Centre, centre->m_mode);
    EXPECT_EQ(TotemState::Moving, centre->m_state);
    EXPECT_EQ(m.m_settings.m_bottomZOrder - 10, centre->m_zOrder);
    EXPECT_FLOAT_EQ(0.4f, centre->m_moveDuration);
    EXPECT_EQ(1u, m.m_requests.size());

    // Arrived: one light, ready; the waiting call unleashes it and tells the board.
    int32_t repeatRecords = 0, framesToArrive = 0;
    while (repeatRecords == 0 && framesToArrive < 100)
    {
        EXPECT_EQ(0, m.Update(kManagerFrame) == 0 ? 0 : int(m.m_cellRecords.size()) - 1);
        ++framesToArrive;
        for (const TotemCellRecord& r : m.m_cellRecords)
            repeatRecords += r.kind == kTotemRecordRepeat;
    }
    EXPECT_NEAR(0.4f, float(framesToArrive - 1) * kManagerFrame, 0.03f);
    EXPECT_EQ(1, repeatRecords);
    EXPECT_EQ(2u, centre->m_lightShapes.size());
    EXPECT_EQ(2, centre->m_charge);

    // A level-1 totem is spent: it flies back and a fresh panel totem takes its place.
    Settle();
    EXPECT_EQ(-1, m.m_selectedColour);
    EXPECT_TRUE(m.IsIdle());
    EXPECT_EQ(TotemMode::Panel, Current(kTotemRed).m_mode);
    EXPECT_FLOAT_EQ(m.m_settings.m_smallSize[0], Current(kTotemRed).m_size[0]);
    EXPECT_FLOAT_EQ(m.m_settings.m_panelPositions[kTotemRed].y, Current(kTotemRed).m_position.y);
    EXPECT_EQ(2u, m.m_liveTotems.size()); // the flown totem has faded out and left
}

TEST_F(TotemsRoad, ALevelThreeTotemStaysArmedUntilItsFullCharge)
{
    m.m_levels[kTotemRed] = 3;
    m.CreatePanelTotems();
    for (int call = 1; call <= 2; ++call)
    {
        m.RequestTotem(kTotemRed);
        Settle();
    }
    const CRefPtr<CTotem> centre = m.m_currentTotems[kTotemRed];
    EXPECT_EQ(TotemState::Rearmed, centre->m_state);
    EXPECT_EQ(kTotemRed, m.m_selectedColour);
    EXPECT_EQ(TotemMode::Centre, centre->m_mode);

    m.RequestTotem(kTotemRed);
    Settle();
    EXPECT_EQ(3, centre->m_charge);
    EXPECT_EQ(3u, centre->m_lightShapes.size());
    EXPECT_EQ(TotemEvent::FadedOut, centre->m_event); // spent, flown back and gone
    EXPECT_EQ(-1, m.m_selectedColour);
    EXPECT_EQ(TotemMode::Panel, Current(kTotemRed).m_mode);
}

TEST_F(TotemsRoad, AnotherColourSwitchesTotemsAndAnUnownedOneSendsTheSelectedBack)
{
    m.m_levels[kTotemGreen] = 1;
    m.m_levels[kTotemViolet] = 2;
    m.CreatePanelTotems();
    m.RequestTotem(kTotemGreen);
    Settle();
    const CRefPtr<CTotem> green = m.m_currentTotems[kTotemGreen];

    m.RequestTotem(kTotemViolet);
    m.Update(kManagerFrame);
    EXPECT_EQ(kTotemViolet, m.m_selectedColour);
    EXPECT_EQ(TotemState::Moving, green->m_state);
    EXPECT_EQ(m.m_settings.m_bottomZOrder - 5, green->m_zOrder);
    EXPECT_FLOAT_EQ(0.3f, green->m_moveDuration);
    const CTotem& violet = Current(kTotemViolet);
    EXPECT_EQ(m.m_settings.m_bottomZOrder - 5, violet.m_zOrder);
    EXPECT_FLOAT_EQ(0.3f, violet.m_moveDuration);
    Settle();
    EXPECT_EQ(TotemMode::Panel, Current(kTotemGreen).m_mode);

    // A colour the player does not own: the violet totem goes back and nothing comes.
    m.RequestTotem(kTotemRed);
    Settle();
    EXPECT_EQ(-1, m.m_selectedColour);
    EXPECT_TRUE(m.IsIdle());
    EXPECT_EQ(TotemMode::Panel, Current(kTotemViolet).m_mode);
    EXPECT_FALSE(m.m_currentTotems[kTotemRed]);

    // Returning with nothing selected only leaves the manager ready.
    m.ReturnSelectedTotem();
    EXPECT_TRUE(m.IsIdle());
}

TEST_F(TotemsRoad, BadColoursAndLevelsAreRefusedOrClamped)
{
    CRefPtr<CTotem> totem;
    for (int32_t colour : {-1, 7, 1000})
    {
        m.CreateTotem(totem, colour, TotemMode::Centre, 1, true);
        EXPECT_FALSE(totem) << colour;
        m.RequestTotem(colour);
    }
    EXPECT_TRUE(m.m_requests.empty());
    EXPECT_TRUE(m.m_liveTotems.empty());
    m.CreateTotem(totem, kTotemYellow, TotemMode::Centre, 0, false);
    EXPECT_EQ(1, totem->m_level);
    m.CreateTotem(totem, kTotemYellow, TotemMode::Centre, 9, false);
    EXPECT_EQ(4, totem->m_level);
    EXPECT_TRUE(m.m_liveTotems.empty());

    const int32_t levels[7] = {0, 2, 0, 1, 0, 0, 3};
    std::copy(levels, levels + 7, m.m_levels);
    EXPECT_EQ(3, m.CountAvailableTotems());

    m.SetTotemBoardGeometry(0.0f, 0.0f, 0.0f, 8, 8, 83.0f, 83.0f);
    EXPECT_FLOAT_EQ(664.0f, g_totemBoardGeometry.width);
    EXPECT_FLOAT_EQ(664.0f, g_totemBoardGeometry.height);
}

TEST_F(TotemsRoad, FadeOutAllEmptiesTheSlotsWhileTheTotemsFadeAway)
{
    m.m_levels[kTotemWhite] = 1;
    m.m_levels[kTotemOrange] = 1;
    m.CreatePanelTotems();
    // Called before its panel totem has begun to show: that one still leaves the list.
    m.RequestTotem(kTotemWhite);
    Settle();
    m.FadeOutAll(2.0f);
    for (const CRefPtr<CTotem>& t : m.m_currentTotems)
        EXPECT_FALSE(t);
    ASSERT_EQ(2u, m.m_liveTotems.size());
    for (const CRefPtr<CTotem>& t : m.m_liveTotems)
        EXPECT_EQ(TotemState::FadingOut, t->m_state);
    m.Update(0.25f);
    EXPECT_EQ(2u, m.m_liveTotems.size());
    m.Update(0.25f);
    // Both leave in the same frame: the second is still updated after the first goes.
    EXPECT_TRUE(m.m_liveTotems.empty());

    // A new level starts afresh.
    m.CreatePanelTotems();
    EXPECT_EQ(2u, m.m_liveTotems.size());
    EXPECT_EQ(-1, m.m_selectedColour);
}

TEST(TotemSettingsTest, DefaultsWithoutTheFileAndValuesFromIt)
{
    TestDir dir;
    const test_support::LogToFile log(dir / "Objects.log");
    CTotemSettings s;
    s.Load((dir / "missing.cfg").c_str());
    EXPECT_EQ(40, s.m_bottomZOrder);
    EXPECT_FLOAT_EQ(0.5f, s.m_switchInTime);
    EXPECT_FLOAT_EQ(0.25f, s.m_switchOutTime);
    EXPECT_FLOAT_EQ(152.0f - 512.5f, s.m_centrePosition.x);
    EXPECT_FLOAT_EQ(384.5f - 600.0f, s.m_centrePosition.y);
    EXPECT_FLOAT_EQ(-45.0f, s.m_centrePosition.z);
    EXPECT_FLOAT_EQ(128.0f, s.m_centreSize[0]);
    EXPECT_FLOAT_EQ(48.0f, s.m_smallSize[0]);
    EXPECT_EQ(0xFFC8F0FFu, s.m_looks[kTotemRed].shineColour);
    EXPECT_EQ(7u, s.m_shopPlaces.size());
    // No sprites anywhere: each colour's sets exist and are empty, and the log says so.
    for (const TotemColourLook& look : s.m_looks)
    {
        ASSERT_TRUE(look.shapeSets);
        ASSERT_EQ(4u, look.shapeSets->m_main.size());
        EXPECT_EQ(0u, look.shapeSets->m_main[2]->Count());
    }
    EXPECT_NE(std::string::npos, log.Log().find("Warning! Some Totem SpriteShape can not be loaded!Main3\n"));

    dir.Write("Totems.cfg", "[Shared]\nSwitchInTime=0.3\nBottomZOrder=\nDarkTexture3=1\nDarkT3=128 0 128 64 0 64 0 0\n"
                            "[Red]\nMain2SpritesCount=2\nMain2Sprite1=64 0 -1 64 128\n");
    const CRefPtr<CTotemShapeSets> before = s.m_looks[kTotemRed].shapeSets;
    s.Load((dir / "Totems.cfg").c_str());
    EXPECT_FLOAT_EQ(0.3f, s.m_switchInTime);
    EXPECT_FLOAT_EQ(0.3f, s.m_switchOutTime);
    EXPECT_EQ(0, s.m_bottomZOrder); // present but empty: not the default
    EXPECT_FLOAT_EQ(1.0f, s.m_darks[3].corners[0]);
    EXPECT_FLOAT_EQ(194.0f / 256.0f, s.m_darks[2].corners[0]);
    EXPECT_FALSE(before == s.m_looks[kTotemRed].shapeSets); // sets made anew
    const CSpriteSet& main2 = *s.m_looks[kTotemRed].shapeSets->m_main[1];
    ASSERT_EQ(2u, main2.Count());
    EXPECT_FLOAT_EQ(0.25f, main2.positions[1].x);
    EXPECT_FLOAT_EQ(0.5f, main2.sizes[2]);
}

class TotemTexturesTest : public test_support::RecordingScreenTest
{
protected:
    void SetUp() override
    {
        StartScreen(dir / "Objects.log");
        if (HasFatalFailure())
            return;
        m.SetRenderObjects(device, CRefPtr<CSpriteList>(), CRefPtr<CParticleSystemsManager>(), CRefPtr<CSpriteBatch>(),
                           nullptr);
    }
    TestDir dir;
    CTotemsManager m;
};

TEST_F(TotemTexturesTest, GeneratedPicturesLoadAndTheFirstMissingOneStopsTheLoad)
{
    const std::string gfx = std::string(ORB_GAME_DIR) + "/Data/Gfx/";
    EXPECT_TRUE(m.LoadTextures(gfx));
    for (const CRefPtr<CTexture>& t : m.m_textures)
        EXPECT_TRUE(t);

    // A folder without the time digits: the three pictures before them load, then the load stops.
    for (const char* file : {"SmallTotem1.png", "TotemShadows.jpg", "TotemShadows_alpha.jpg", "TotemLights.png",
                             "RedTotem.png"})
        std::filesystem::copy_file(gfx + file, dir / file);
    CTotemsManager other;
    other.SetRenderObjects(device, CRefPtr<CSpriteList>(), CRefPtr<CParticleSystemsManager>(), CRefPtr<CSpriteBatch>(),
                           nullptr);
    EXPECT_FALSE(other.LoadTextures(dir.Path() + "/"));
    EXPECT_TRUE(other.m_textures[kTotemTexLights]);
    EXPECT_FALSE(other.m_textures[kTotemTexDigits]);
    EXPECT_FALSE(other.m_textures[kTotemTexRedBody]);
    EXPECT_NE(std::string::npos, Log().find("Unable to load TimeDigits.png Texture!\n"));

    // Switching to the shop pictures works, and a picture that cannot be made again is reported.
    EXPECT_TRUE(m.RecreateTextures(1, gfx));
    EXPECT_EQ(1, m.m_shopImages);
    EXPECT_EQ(gfx + "RedTotemShop.png", m.m_textures[kTotemTexRedBody]->fileName);
    EXPECT_FALSE(m.RecreateTextures(0, dir.Path() + "/nowhere/"));
    EXPECT_EQ(0, m.m_shopImages);
    EXPECT_NE(std::string::npos, Log().find("Error! GreenTotem Texture Recreate\n"));
}

} // namespace
