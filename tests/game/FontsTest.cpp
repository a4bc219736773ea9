// The additional-fonts list: line cleaning, file order as font index, where the list
// stops, and what a missing picture or description leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "game/Fonts.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Font.h"
#include "tests/support/RecordingScreenTest.h"

namespace fs = std::filesystem;

namespace {

TEST(FontListLine, IsCleanedOfNewlineBlanksAndQuotes)
{
    const struct
    {
        const char* line;
        const char* name;
    } cases[] = {
        {"FontSmall\n", "FontSmall"},
        {"  \t\"FontSmall\"  \n", "FontSmall"},
        {"\" Font Title \"\n", "Font Title"},
        {"FontTitle", "FontTitle"},
        {"   \n", ""},
        {"\"\"\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, CleanFontListLine(c.line)) << c.line;
}

TEST(FontFormats, AreTriedInTheGamesOrder)
{
    EXPECT_EQ((std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A4L4,
                                      D3DFMT_A1R5G5B5}),
              TextureFormatCandidates());
}

class FontListTest : public test_support::RecordingScreenTest
{
protected:
    void SetUp() override
    {
        folder = fs::path(::testing::TempDir()) /
                 (std::string("fonts_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        StartScreen((folder / "fonts.log").string());
    }

    void TearDown() override
    {
        fonts.clear();
        RecordingScreenTest::TearDown();
        fs::remove_all(folder);
    }

    void WriteList(const std::string& text)
    {
        std::ofstream out(folder / "AdditionalFonts.lst", std::ios::binary);
        out << text;
    }

    // A 2 x 2 picture and a description of the right length.
    void MakeFont(const std::string& name, bool picture = true, bool description = true)
    {
        if (picture)
        {
            std::ofstream out(folder / (name + ".tga"), std::ios::binary);
            const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8};
            out.write(reinterpret_cast<const char*>(header), sizeof(header));
            for (int i = 0; i < 16; ++i)
                out.put(char(0xFF));
        }
        if (description)
        {
            std::ofstream out(folder / (name + ".kfd"), std::ios::binary);
            out << std::string(CFont::kFileSize, '\0');
        }
    }

    int Load()
    {
        return LoadFontList(*device, folder.string() + "/", fonts, errors);
    }

    fs::path folder;
    std::vector<CRefPtr<CFont>> fonts;
    std::vector<std::string> errors;
};

TEST_F(FontListTest, FontsAreAppendedInFileOrderUntilTheFirstEmptyLine)
{
    MakeFont("Small");
    MakeFont("Title");
    MakeFont("Never");
    WriteList("Small\n  \"Title\"  \n\nNever\n");
    EXPECT_EQ(2, Load());
    ASSERT_EQ(2u, fonts.size());
    EXPECT_TRUE(errors.empty());
    // Each font's picture is kept in the device under its own name.
    EXPECT_EQ(fonts[0]->texture, device->GetTextureByName("___Font_Small"));
    EXPECT_EQ(fonts[1]->texture, device->GetTextureByName("___Font_Title"));
    EXPECT_LT(device->FindTexture("___Font_Never"), 0);
}

TEST_F(FontListTest, LastLineWithoutNewlineIsRead)
{
    MakeFont("Small");
    MakeFont("Title");
    WriteList("Small\nTitle");
    EXPECT_EQ(2, Load());
}

TEST_F(FontListTest, MissingDescriptionStopsTheListAndKeepsWhatLoaded)
{
    MakeFont("Small");
    MakeFont("Title", true, false);
    MakeFont("Third");
    WriteList("Small\nTitle\nThird\n");
    EXPECT_EQ(1, Load());
    EXPECT_EQ(1u, fonts.size());
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ("Unable to load Title.kfd", errors[0]);
    EXPECT_NE(std::string::npos, Log().find("Unable to load Title.kfd\n"));
}

TEST_F(FontListTest, MissingPictureStopsTheList)
{
    MakeFont("Small");
    MakeFont("Title", false, true);
    WriteList("Small\nTitle\n");
    EXPECT_EQ(1, Load());
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ("Unable to load Texture Title", errors[0]);
}

TEST_F(FontListTest, MissingListLoadsNothingAndSaysNothing)
{
    EXPECT_EQ(0, Load());
    EXPECT_TRUE(fonts.empty());
    EXPECT_TRUE(errors.empty());
}

TEST(ShippedFontList, NamesTheTwoFontsTheGameNeeds)
{
    std::ifstream in(ORB_DATA_SRC_DIR "/Data/Fonts/AdditionalFonts.lst");
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ("FontSmall", CleanFontListLine(first.c_str()));
    EXPECT_EQ("FontTitle", CleanFontListLine(second.c_str()));
}

}  // namespace
