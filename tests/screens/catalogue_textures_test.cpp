// The texture catalogue ("Textures.lst"): how each entry chooses its loader and its
// mip levels, the pictures that give their memory back at once, entries cut short,
// and the failures that stop the interface from loading.
#include <gtest/gtest.h>

#include <string>

#include "screens/Interface.h"
#include "screens_test_util.h"

namespace {

using namespace screens_test;

class CatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        WriteTga(folder + "plain.tga", 8, 8, 0xFF8040C0u);
        WriteTga(folder + "pair.tga", 8, 8, 0xFF8040C0u);
        WriteTga(folder + "pair_alpha.tga", 8, 8, 0xFF808080u);
        ui.reset(new CInterface(nullptr, rec.device, rec.vertexBuffer, rec.indexBuffer, CRefPtr<CTextSet>(),
                                {BoxFont()}));
    }

    int Load(const std::string& list)
    {
        WriteText(folder + "Textures.lst", list);
        return ui->LoadTextureCatalogue(folder + "Textures.lst", folder);
    }

    CRefPtr<CTexture> Texture(const char* name) const { return rec.device->GetTextureByName(name); }

    RecordingDevice rec;
    std::string folder;
    std::unique_ptr<CInterface> ui;
};

TEST_F(CatalogueTest, FormatAndMipLevelsFollowTheThirdAndFourthWords)
{
    struct Case
    {
        const char* name;
        UINT levels;
        D3DFORMAT format;
    };
    ASSERT_EQ(1, Load("# comment line\n"
                      "\"plain.tga\" Plain n 1\n"
                      "\"plain.tga\" Alpha a 5   # clamped to 2, format from the list\n"
                      "\"plain.tga\" Chain x -3  # clamped to 0, a full chain\n"
                      "\"plain.tga\" Junk n q    # no digits: 0\n"
                      "\"plain.tga\" \"Two Words\" alpha 2\n"));
    const Case cases[] = {{"Plain", 1, D3DFMT_A8R8G8B8},
                          {"Alpha", 2, D3DFMT_A1R5G5B5},
                          {"Chain", 0, D3DFMT_A8R8G8B8},
                          {"Junk", 0, D3DFMT_A8R8G8B8},
                          {"Two Words", 2, D3DFMT_A1R5G5B5}};
    for (const Case& c : cases)
    {
        CRefPtr<CTexture> t = Texture(c.name);
        ASSERT_TRUE(t) << c.name;
        ASSERT_NE(nullptr, t->texture) << c.name;
        EXPECT_EQ(c.levels, t->levels) << c.name;
        EXPECT_EQ(c.format, t->desc.Format) << c.name;
        EXPECT_EQ(folder + "plain.tga", t->fileName) << c.name;
    }
}

TEST_F(CatalogueTest, AFourthWordStartingWithPJoinsTheAlphaCompanion)
{
    ASSERT_EQ(1, Load("\"pair.tga\" Pair a p\n\"pair.tga\" PairPlain n pz\n"));
    for (const char* name : {"Pair", "PairPlain"})
    {
        CRefPtr<CTexture> t = Texture(name);
        ASSERT_TRUE(t) << name;
        EXPECT_NE(nullptr, t->texture) << name;
        EXPECT_TRUE(t->alphaPair) << name;
    }
}

TEST_F(CatalogueTest, OnDemandPicturesStayListedWithoutMemory)
{
    ASSERT_EQ(1, Load("\"plain.tga\" Intro n 1\n\"plain.tga\" intro n 1\n\"plain.tga\" IntroPicture n 1\n"
                      "\"plain.tga\" MapDiff4_2 n 1\n\"plain.tga\" Trophies n 1\n\"plain.tga\" ShopBW n 1\n"));
    for (const char* name : {"Intro", "MapDiff4_2", "Trophies", "ShopBW"})
    {
        CRefPtr<CTexture> t = Texture(name);
        ASSERT_TRUE(t) << name;
        EXPECT_EQ(nullptr, t->texture) << name;
        EXPECT_EQ(folder + "plain.tga", t->fileName) << name;
    }
    for (const char* name : {"intro", "IntroPicture"})
        EXPECT_NE(nullptr, Texture(name)->texture) << name;

    // The screens give the picture its memory while they need it.
    EXPECT_EQ(1, ui->RecreateIntroTexture(1));
    EXPECT_NE(nullptr, Texture("Intro")->texture);
    EXPECT_EQ(1, ui->RecreateIntroTexture(0));
    EXPECT_EQ(nullptr, Texture("Intro")->texture);
    EXPECT_EQ(1, ui->RecreateIntroTexture(0));
}

TEST_F(CatalogueTest, AnEntryCutShortIsDroppedAndAnEmptyListLoads)
{
    EXPECT_EQ(1, Load(""));
    EXPECT_EQ(1, Load("\"plain.tga\" Whole n 1\n\"plain.tga\" Cut n\n"));
    EXPECT_TRUE(Texture("Whole"));
    EXPECT_EQ(-1, rec.device->FindTexture("Cut"));
    EXPECT_EQ(std::string::npos, rec.Log().find("Unable"));
}

TEST_F(CatalogueTest, AMissingListOrPictureFailsWithItsMessage)
{
    EXPECT_EQ(0, ui->LoadTextureCatalogue(folder + "NoSuch.lst", folder));
    EXPECT_NE(std::string::npos, rec.Log().find("Unable to open Textures.lst"));

    EXPECT_EQ(0, Load("\"plain.tga\" First n 1\n\"missing.png\" Lost n 1\n\"plain.tga\" After n 1\n"));
    const std::string log = rec.Log();
    const size_t message = log.find("Unable to load texture");
    ASSERT_NE(std::string::npos, message);
    EXPECT_NE(std::string::npos, log.find("Lost", message));
    EXPECT_TRUE(Texture("First"));
    EXPECT_EQ(-1, rec.device->FindTexture("After"));
}

} // namespace
