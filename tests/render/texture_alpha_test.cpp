// Textures: the "_alpha" companion rule, the alpha composition's bit layouts, format
// choice, look-ups by name and re-creation after a reset.
#include <cstring>

#include "tests/render/device_fixture.h"
#include "tests/render/texture_test_files.h"

namespace {

// A blank one-level texture whose every pixel holds `value` (little-endian, bpp bytes).
CRefPtr<CTexture> Filled(CDevice& device, const char* name, UINT w, UINT h, D3DFORMAT format, DWORD value)
{
    CRefPtr<CTexture> t = device.CreateTexture(name, w, h, 1, 0, D3DPOOL_MANAGED, format);
    if (!t.IsValid())
        return t;
    D3DLOCKED_RECT r;
    t->texture->LockRect(0, &r, nullptr, 0);
    UINT bpp = D3DBytesPerPixel(format);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
            for (UINT i = 0; i < bpp; ++i)
                static_cast<BYTE*>(r.pBits)[y * r.Pitch + x * bpp + i] = static_cast<BYTE>(value >> (8 * i));
    t->texture->UnlockRect(0);
    return t;
}

DWORD PixelAt(IDirect3DTexture8* t, UINT x, UINT y)
{
    D3DSURFACE_DESC d;
    t->GetLevelDesc(0, &d);
    D3DLOCKED_RECT r;
    t->LockRect(0, &r, nullptr, 0);
    UINT bpp = D3DBytesPerPixel(d.Format);
    DWORD v = 0;
    for (UINT i = 0; i < bpp; ++i)
        v |= DWORD(static_cast<BYTE*>(r.pBits)[y * r.Pitch + x * bpp + i]) << (8 * i);
    t->UnlockRect(0);
    return v;
}

} // namespace

TEST(TextureAlphaName, InsertsAlphaBeforeAThreeLetterExtension)
{
    const struct
    {
        const char* colour;
        const char* alpha;
    } cases[] = {
        {"menu.png", "menu_alpha.png"},
        {"Data\\Gfx\\Dust.tga", "Data\\Gfx\\Dust_alpha.tga"},
        {"a.png", "a_alpha.png"},
        {"ab.jpeg", "ab._alpha.peg"}, // the rule assumes three letters
        {"a.pn", ""},                 // four characters or fewer: no companion
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.alpha, CTexture::AlphaFileName(c.colour)) << c.colour;
}

TEST_F(RecDeviceTest, AlphaMergeWritesEachTargetLayout)
{
    MakeDevice();
    CRefPtr<CTexture> colour = Filled(*device, "c", 4, 4, D3DFMT_A8R8G8B8, 0xFFABCDEF);
    CRefPtr<CTexture> alpha = Filled(*device, "a", 4, 4, D3DFMT_L8, 0x9A);
    const struct
    {
        D3DFORMAT target;
        DWORD expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0x9AABCDEF},
        {D3DFMT_X8R8G8B8, 0x00ABCDEF},
        {D3DFMT_R8G8B8, 0xABCDEF},
        {D3DFMT_A1R5G5B5, 0xD73D},
        {D3DFMT_A4R4G4B4, 0x9ACE},
        {D3DFMT_R5G6B5, 0xAE7D},
        {D3DFMT_A8R3G3B2, 0x9ABB},
        {D3DFMT_A8L8, 0x9ACD},  // luminance from the colour's green
        {D3DFMT_A4L4, 0x9C},
        {D3DFMT_L8, 0xCD},
        {D3DFMT_A8, 0x9A},
        {D3DFMT_A2B10G10R10, 0xBBCCD2AC},
    };
    for (const auto& c : cases)
    {
        CRefPtr<CTexture> target = device->CreateTexture("t", 4, 4, 1, 0, D3DPOOL_MANAGED, c.target);
        ASSERT_TRUE(target.IsValid()) << c.target;
        ASSERT_EQ(D3D_OK, CTexture::MergeAlpha(target->texture, colour->texture, alpha->texture)) << c.target;
        EXPECT_EQ(c.expected, PixelAt(target->texture, 3, 3)) << "format " << c.target;
        EXPECT_EQ(c.expected, PixelAt(target->texture, 0, 0)) << "format " << c.target;
    }
}

TEST_F(RecDeviceTest, AlphaMergeReadsTheGreenOfTheAlphaImageAndTheTopBitsOfTheColour)
{
    MakeDevice();
    CRefPtr<CTexture> target = device->CreateTexture("t", 2, 2, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    const struct
    {
        D3DFORMAT colourFormat;
        DWORD colourValue;
        D3DFORMAT alphaFormat;
        DWORD alphaValue;
        DWORD expected;
    } cases[] = {
        {D3DFMT_X8R8G8B8, 0x00112233, D3DFMT_L8, 0x80, 0x80112233},       // grey: alpha = luminance
        {D3DFMT_X8R8G8B8, 0x00112233, D3DFMT_X8R8G8B8, 0x00A1B2C3, 0xB2112233}, // colour: its green
        {D3DFMT_X8R8G8B8, 0x00112233, D3DFMT_A8, 0xFF, 0x00112233},       // A8 has no green bits
        {D3DFMT_R5G6B5, 0xFFFF, D3DFMT_L8, 0xFF, 0xFFF8FCF8},               // low bits stay 0
        {D3DFMT_A4R4G4B4, 0x0F5A, D3DFMT_A4L4, 0x0C, 0xC0F050A0},
        {D3DFMT_L8, 0x77, D3DFMT_L8, 0x10, 0x10007700},                      // grey colour: green only
    };
    for (const auto& c : cases)
    {
        CRefPtr<CTexture> colour = Filled(*device, "c", 2, 2, c.colourFormat, c.colourValue);
        CRefPtr<CTexture> alpha = Filled(*device, "a", 2, 2, c.alphaFormat, c.alphaValue);
        ASSERT_EQ(D3D_OK, CTexture::MergeAlpha(target->texture, colour->texture, alpha->texture));
        EXPECT_EQ(c.expected, PixelAt(target->texture, 1, 1)) << c.colourFormat << " / " << c.alphaFormat;
    }
}

TEST_F(RecDeviceTest, AlphaMergeRefusesASmallerSource)
{
    MakeDevice();
    CRefPtr<CTexture> target = Filled(*device, "t", 8, 8, D3DFMT_A8R8G8B8, 0x12345678);
    CRefPtr<CTexture> colour = Filled(*device, "c", 8, 8, D3DFMT_X8R8G8B8, 0);
    CRefPtr<CTexture> small = Filled(*device, "a", 8, 4, D3DFMT_L8, 0);
    EXPECT_EQ(D3DERR_INVALIDCALL, CTexture::MergeAlpha(target->texture, colour->texture, small->texture));
    EXPECT_EQ(D3DERR_INVALIDCALL, CTexture::MergeAlpha(target->texture, small->texture, colour->texture));
    EXPECT_EQ(0x12345678u, PixelAt(target->texture, 7, 7));
}

class TextureFileTest : public RecDeviceTest
{
protected:
    void SetUp() override
    {
        RecDeviceTest::SetUp();
        dir = ::testing::TempDir();
        std::vector<uint32_t> colour(16, 0x336699), grey(16, 0xC0), smallGrey(4, 0xC0);
        colour[0] = 0xFF0000;
        grey[0] = 0x40;
        ASSERT_TRUE(WriteTga(dir + "pair.tga", 4, 4, colour));
        ASSERT_TRUE(WriteTga(dir + "pair_alpha.tga", 4, 4, grey, true));
        ASSERT_TRUE(WriteTga(dir + "lopsided.tga", 4, 4, colour));
        ASSERT_TRUE(WriteTga(dir + "lopsided_alpha.tga", 2, 2, smallGrey, true));
        ASSERT_TRUE(WriteTga(dir + "single.tga", 4, 4, colour));
    }
    std::string dir;
};

TEST_F(TextureFileTest, AColourFileComposesWithItsAlphaFile)
{
    MakeDevice();
    CRefPtr<CTexture> t = device->LoadTextureWithAlpha(dir + "pair.tga", "Pair", false, 0, D3DPOOL_MANAGED);
    ASSERT_TRUE(t.IsValid());
    EXPECT_EQ("Pair", t->name);
    EXPECT_EQ(dir + "pair.tga", t->fileName);
    EXPECT_EQ(1u, t->alphaPair);
    EXPECT_EQ(D3DFMT_A8R8G8B8, t->desc.Format);
    EXPECT_EQ(0x40FF0000u, PixelAt(t->texture, 0, 0));
    EXPECT_EQ(0xC0336699u, PixelAt(t->texture, 3, 2));
    EXPECT_EQ(0, device->FindTexture("Pair"));
    // The two source images were released: only the composed texture is alive.
    EXPECT_EQ(1, recorder->liveManaged);
}

TEST_F(TextureFileTest, ASmallerAlphaFileFailsTheLoadWithAMessage)
{
    MakeDevice();
    CRefPtr<CTexture> t = device->LoadTextureWithAlpha(dir + "lopsided.tga", "Lopsided", false, 0, D3DPOOL_MANAGED);
    EXPECT_FALSE(t.IsValid());
    EXPECT_TRUE(device->textures.empty());
    EXPECT_EQ(0, recorder->liveManaged);
    EXPECT_NE(std::string::npos, Log().find("Alpha image smaller than its colour image:  " + dir + "lopsided_alpha.tga"));
}

TEST_F(TextureFileTest, MissingFilesAndShortNamesGiveEmptyHandles)
{
    MakeDevice();
    EXPECT_FALSE(device->LoadTextureWithAlpha(dir + "single.tga", "NoAlpha", false, 0, D3DPOOL_MANAGED).IsValid());
    EXPECT_FALSE(device->LoadTextureWithAlpha("a.pn", "Short", false, 0, D3DPOOL_MANAGED).IsValid());
    EXPECT_FALSE(device->MakeTexture(dir + "missing.png", "Missing", 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN).IsValid());
    EXPECT_TRUE(device->textures.empty());
    EXPECT_EQ(0, recorder->liveManaged);
    // The failed texture's destruction line shows its emptied name.
    EXPECT_NE(std::string::npos, Log().find(" Texture    Destruction.\n"));

    CTexture direct;
    EXPECT_EQ(D3DERR_INVALIDCALL, direct.LoadWithAlpha(device->device, "a.pn", "Short", 0, D3DPOOL_MANAGED,
                                                       D3DFMT_A8R8G8B8));
}

TEST_F(TextureFileTest, TheFirstFormatTheAdapterAcceptsIsUsed)
{
    recorder->adapters[0].textureFormats = {D3DFMT_A1R5G5B5, D3DFMT_A8L8, D3DFMT_A4R4G4B4};
    MakeDevice();
    CRefPtr<CTexture> coloured = device->LoadTextureWithAlpha(dir + "pair.tga", "Coloured", false, 0, D3DPOOL_MANAGED);
    CRefPtr<CTexture> dust = device->LoadTextureWithAlpha(dir + "pair.tga", "Dust", true, 0, D3DPOOL_MANAGED);
    ASSERT_TRUE(coloured.IsValid() && dust.IsValid());
    EXPECT_EQ(D3DFMT_A1R5G5B5, coloured->desc.Format);
    EXPECT_EQ(D3DFMT_A8L8, dust->desc.Format);
    // A list the adapter refuses entirely leaves the file's own format.
    CRefPtr<CTexture> own = device->LoadTextureChooseFormat(dir + "single.tga", "Own", {D3DFMT_R3G3B2}, 1, 0,
                                                            D3DPOOL_MANAGED);
    ASSERT_TRUE(own.IsValid());
    EXPECT_EQ(D3DFMT_X8R8G8B8, own->desc.Format);
}

TEST_F(TextureFileTest, LookUpsFindTheFirstOfAName)
{
    MakeDevice();
    CRefPtr<CTexture> first = device->CreateTexture("Twin", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> second = device->CreateTexture("Twin", 8, 8, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    EXPECT_EQ(0, device->FindTexture("Twin"));
    EXPECT_EQ(-1, device->FindTexture("twin"));
    EXPECT_EQ(-1, device->FindTexture("Twin2"));
    EXPECT_TRUE(device->GetTextureByName("Twin") == first);
    EXPECT_TRUE(device->GetTextureByNameStr("Twin") == first);
    EXPECT_FALSE(device->GetTextureByName("none").IsValid());
    device->RemoveTextureAt(-1);
    device->RemoveTextureAt(2);
    EXPECT_EQ(2u, device->textures.size());
    device->RemoveTextureAt(0);
    EXPECT_TRUE(device->GetTextureByName("Twin") == second);
    EXPECT_EQ(1u, first.RefCount());
}

TEST_F(TextureFileTest, DefaultPoolTexturesComeBackFromTheirFilesAfterAReset)
{
    MakeDevice();
    CRefPtr<CTexture> file = device->MakeTexture(dir + "single.tga", "File", 1, 0, D3DPOOL_DEFAULT, D3DFMT_UNKNOWN);
    CRefPtr<CTexture> pair = device->LoadTextureWithAlpha(dir + "pair.tga", "Pair", false, 0, D3DPOOL_DEFAULT);
    CRefPtr<CTexture> blank = device->CreateTexture("Blank", 5, 3, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(file.IsValid() && pair.IsValid() && blank.IsValid());
    EXPECT_EQ(8u, blank->desc.Width); // sizes are rounded up to powers of two
    EXPECT_EQ(4u, blank->desc.Height);
    device->ReleaseDefaultPoolResources();
    ASSERT_EQ(D3D_OK, device->Reset());
    EXPECT_TRUE(device->errors.empty());
    EXPECT_EQ(0x00FF0000u, PixelAt(file->texture, 0, 0)); // X8R8G8B8 from a 24-bit file
    EXPECT_EQ(0x40FF0000u, PixelAt(pair->texture, 0, 0));
    EXPECT_EQ(D3DFMT_A8R8G8B8, pair->desc.Format);
    EXPECT_EQ(8u, blank->desc.Width);
    EXPECT_EQ("Blank", blank->name);
}

TEST_F(TextureFileTest, TheCursorSurfaceLoadsItsImageAndKeepsTheFlag)
{
    MakeDevice();
    CRefPtr<CSurface> cursor = device->CreateSurface("CursorSurface", 32, 32, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(cursor.IsValid());
    EXPECT_EQ(32u, cursor->width);
    EXPECT_EQ(D3D_OK, cursor->LoadFromFile(device->device, dir + "single.tga", 7));
    EXPECT_EQ(dir + "single.tga", cursor->fileName);
    EXPECT_EQ(7u, cursor->flag);
    EXPECT_EQ(4u, cursor->imageInfo.Width);
    EXPECT_NE(D3D_OK, cursor->LoadFromFile(device->device, dir + "missing.tga", 9));
    EXPECT_EQ("", cursor->fileName);
    EXPECT_EQ(7u, cursor->flag);
    // Image surfaces are not part of the default pool: a reset leaves them alone.
    IDirect3DSurface8* before = cursor->surface;
    device->ReleaseDefaultPoolResources();
    ASSERT_EQ(D3D_OK, device->Reset());
    EXPECT_EQ(before, cursor->surface);
}
