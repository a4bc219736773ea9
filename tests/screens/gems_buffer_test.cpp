// The gem-progress bar: reading "BarGems.bmp", painting gems into the strip,
// the strip texture, the filling and counter, placing, fading, flares and the
// landing place of a flying gem.
#include "hud/GemsBuffer.h"

#include "engine/Log.h"
#include "platform/crt.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "tests/platform/files_testdir.h"
#include "tests/screens/bitmap_writer.h"
#include "tests/support/RecordingScreenTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <cstring>

namespace {

// A BarGems picture: gem c is a solid block of colour rgb[c] whose mask is
// opaque in columns 0 .. widths[c] - 1 (alpha `alpha`), transparent after.
std::vector<uint32_t> BarGemsPixels(const int (&widths)[7], uint32_t alpha = 255)
{
    const uint32_t rgb[7] = {0x20C040, 0xE0E020, 0xE02020, 0x2040E0, 0xF09020, 0xFFFFFF, 0xB040E0};
    std::vector<uint32_t> px(320 * 80, 0);
    for (int c = 0; c < 7; ++c)
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
            {
                px[y * 320 + 40 * c + x] = rgb[c];
                if (x < widths[c])
                    px[(40 + y) * 320 + 40 * c + x] = alpha; // the blue byte is the alpha
            }
    return px;
}

class GemsBufferTest : public test_support::RecordingScreenTest
{
protected:
    void SetUp() override
    {
        StartScreen(dir / "Objects.log");
        if (HasFatalFailure())
            return;
        list = CRefPtr<CSpriteList>(new CSpriteList({}, {}, {}));
        texts = CRefPtr<CTextSet>(new CTextSet({}, {}, {}));
        batch = CRefPtr<CSpriteBatch>(new CSpriteBatch({}, {}, {}));
        font = CRefPtr<CFont>(new CFont({}));
        overlay = device->CreateTexture("GemProgress", 256, 256, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
        crt::srand(3);
    }
    void TearDown() override
    {
        bar.Reset();
        overlay.Reset();
        RecordingScreenTest::TearDown();
    }

    // A bar with its pictures and visuals, shown, origin at (0, 0, 0).
    CGemsBuffer& MakeBar(const int (&widths)[7], int needed)
    {
        WriteBitmap(dir / "BarGems.bmp", BitmapSpec{320, 80}, BarGemsPixels(widths));
        bar = CRefPtr<CGemsBuffer>(new CGemsBuffer);
        bar->origin = Vec3{0, 0, 0};
        bar->SetResources(device, overlay, list, texts, font, batch);
        EXPECT_TRUE(bar->LoadBarGemsBitmap((dir / "BarGems.bmp").c_str()));
        EXPECT_TRUE(bar->CreateVisuals());
        bar->totalCells = needed;
        bar->ResetForLevel();
        bar->Show(1, 0.0f);
        return *bar;
    }

    TestDir dir;
    CRefPtr<CSpriteList> list;
    CRefPtr<CTextSet> texts;
    CRefPtr<CSpriteBatch> batch;
    CRefPtr<CFont> font;
    CRefPtr<CTexture> overlay;
    CRefPtr<CGemsBuffer> bar;
};

TEST_F(GemsBufferTest, BitmapIsCheckedBeforeItIsRead)
{
    const struct
    {
        const char* name;
        BitmapSpec spec;
        const char* message;
    } cases[] = {
        {"missing", {}, "BarGems.bmp File not found!\n"},
        {"tall", {320, 81}, "Error loading BarGems.bmp file!\n"},
        {"narrow", {319, 80}, "Error loading BarGems.bmp file!\n"},
        {"palette", {320, 80, 8}, "Error loading BarGems.bmp file!\n"},
        {"compressed", {320, 80, 24, 1}, "Error loading BarGems.bmp file!\n"},
        {"short", {320, 80, 24, 0, 54 + 76000}, "Error loading BarGems.bmp file!\n"},
        {"headless", {320, 80, 24, 0, 30}, "Error loading BarGems.bmp file!\n"},
    };
    for (const auto& c : cases)
    {
        ResetLog();
        const std::string path = dir / (std::string(c.name) + ".bmp");
        if (c.spec.width)
            WriteBitmap(path, c.spec, {});
        CGemsBuffer b;
        EXPECT_FALSE(b.LoadBarGemsBitmap(path.c_str())) << c.name;
        EXPECT_EQ(Log(), std::string(" ") + c.message) << c.name;
    }
}

TEST_F(GemsBufferTest, PicturesAndTheirWidthsComeFromTheColourAndMaskHalves)
{
    const int widths[7] = {30, 0, 40, 1, 12, 25, 39};
    std::vector<uint32_t> px = BarGemsPixels(widths, 200);
    px[0 * 320 + 40 * 4 + 5] = 0x123456;  // picture 4, top row, column 5
    px[39 * 320 + 40 * 4 + 5] = 0x654321; // its bottom row
    WriteBitmap(dir / "BarGems.bmp", BitmapSpec{320, 80}, px);
    CGemsBuffer b;
    ASSERT_TRUE(b.LoadBarGemsBitmap((dir / "BarGems.bmp").c_str()));
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(b.cellWidths[c], widths[c]) << c;
    EXPECT_EQ(b.gemPictures[4][0 * 40 + 5], 0xC8123456u);
    EXPECT_EQ(b.gemPictures[4][39 * 40 + 5], 0xC8654321u);
    EXPECT_EQ(b.gemPictures[4][39 * 40 + 20], 0x00F09020u); // outside the mask
}

TEST_F(GemsBufferTest, GemsLandInEqualStepsAndTheLastEndsTheStrip)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    CGemsBuffer& b = MakeBar(widths, 5);
    const float edges[5] = {30.0f, 124.25f, 218.5f, 312.75f, 407.0f};
    for (int i = 0; i < 5; ++i)
    {
        b.AddGem(i);
        EXPECT_FLOAT_EQ(b.cellStart, edges[i]) << i;
        const int x0 = i == 0 ? 0 : int(edges[i]) - 30;
        EXPECT_EQ(b.strip[10 * 407 + x0] >> 24, 255u) << i;
        EXPECT_EQ(b.strip[10 * 407 + x0 + 29] >> 24, 255u) << i;
        if (i < 4)
        {
            EXPECT_EQ(b.strip[10 * 407 + x0 + 30], 0u) << i;
        }
    }
    // Opaque colour over the empty strip keeps 255/256 of each channel.
    EXPECT_EQ(b.strip[5 * 407 + 0], 0xFF1FBF3Fu);
    EXPECT_EQ(b.collected, (std::vector<int32_t>{0, 1, 2, 3, 4}));
}

TEST_F(GemsBufferTest, WideGemsAndEmptyPictures)
{
    const int widths[7] = {40, 0, 30, 30, 30, 30, 30};
    CGemsBuffer& b = MakeBar(widths, 40);
    // An empty picture as the first gem leaves the edge at 0 ...
    b.AddGem(1);
    EXPECT_EQ(b.cellStart, 0.0f);
    // ... a later one still advances it by a step: (407 - 0) / 39.
    b.AddGem(1);
    EXPECT_FLOAT_EQ(b.cellStart, 407.0f / 39.0f);
    // A gem wider than the next candidate edge is painted at 0 and sets the edge.
    b.AddGem(0);
    EXPECT_FLOAT_EQ(b.cellStart, 40.0f);
    EXPECT_EQ(b.strip[0] >> 24, 255u);
    EXPECT_EQ(b.strip[39] >> 24, 255u);
    EXPECT_EQ(b.collected.size(), 3u);
    // Colours outside 0..6 are taken as the nearest one.
    b.AddGem(99);
    EXPECT_EQ(b.collected.back(), 6);
}

TEST_F(GemsBufferTest, FillingAndCounter)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    const struct
    {
        int needed, collected;
        float left, right;
        const char* counter;
    } cases[] = {
        {5, 0, 0.0f, 0.0f, "0/5"},
        {6, 3, 203.5f, 0.0f, "3/6"},
        {6, 6, 204.0f, 203.0f, "6/6"},
        {6, 7, 204.0f, 203.0f, "7/6"},
        {0, 0, 204.0f, 203.0f, "0/0"}, // nothing needed: a full bar, no division
        {0, 2, 204.0f, 203.0f, "2/0"},
    };
    for (const auto& c : cases)
    {
        CGemsBuffer& b = MakeBar(widths, c.needed);
        for (int i = 0; i < c.collected; ++i)
            b.AddGem(i % 7);
        EXPECT_FLOAT_EQ(b.barShapes[0]->scaleX, c.left) << c.counter;
        EXPECT_FLOAT_EQ(b.barShapes[1]->scaleX, c.right) << c.counter;
        EXPECT_EQ(b.barShapes[1]->visible, c.right > 0 ? 1 : 0) << c.counter;
        EXPECT_FLOAT_EQ(b.barShapes[0]->frames[1].u, 0.015625f + c.left / 256.0f) << c.counter;
        EXPECT_FLOAT_EQ(b.barShapes[0]->position.x, b.barOffset[0] + c.left / 2) << c.counter;
        EXPECT_EQ(b.counterText->text, c.counter);
        EXPECT_TRUE(std::isfinite(b.cellStart)) << c.counter;
    }
}

// The strip reaches the texture in two overlapping halves, in whatever format
// the device takes first.
TEST_F(GemsBufferTest, StripTextureLayoutAndFormats)
{
    const struct
    {
        D3DFORMAT format;
        uint32_t expected; // 0xFF806040 converted
        int bytes;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF806040u, 4},
        {D3DFMT_A1R5G5B5, 0x1u << 15 | 16u << 10 | 12u << 5 | 8u, 2},
        {D3DFMT_A4R4G4B4, 0xFu << 12 | 8u << 8 | 6u << 4 | 4u, 2},
        {D3DFMT_A8R3G3B2, 0xFFu << 8 | 4u << 5 | 3u << 2 | 1u, 2},
        {D3DFMT_A2B10G10R10, 3u << 30 | (0x40u << 2) << 20 | (0x60u << 2) << 10 | (0x80u << 2), 4},
    };
    for (const auto& c : cases)
    {
        recorder->adapters[0].textureFormats = {D3DFMT_R5G6B5, c.format};
        CGemsBuffer b;
        b.SetResources(device, overlay, list, texts, font, batch);
        ASSERT_TRUE(b.CreateVisuals());
        b.strip[3 * 407 + 2] = 0xFF806040u;   // first half only
        b.strip[5 * 407 + 200] = 0xFF806040u; // in both halves
        b.strip[7 * 407 + 406] = 0xFF806040u; // second half only
        ASSERT_TRUE(b.CopyToTexture());
        IDirect3DTexture8* t = b.stripTexture->texture;
        D3DSURFACE_DESC desc;
        ASSERT_EQ(D3D_OK, t->GetLevelDesc(0, &desc));
        EXPECT_EQ(desc.Format, c.format);
        EXPECT_EQ(desc.Width, 256u);
        EXPECT_EQ(desc.Height, 128u);
        D3DLOCKED_RECT r;
        ASSERT_EQ(D3D_OK, t->LockRect(0, &r, nullptr, 0));
        auto at = [&](int x, int y) {
            uint32_t v = 0;
            std::memcpy(&v, static_cast<uint8_t*>(r.pBits) + y * r.Pitch + x * c.bytes, c.bytes);
            return v;
        };
        EXPECT_EQ(at(2, 3), c.expected) << c.format;
        EXPECT_EQ(at(200, 5), c.expected) << c.format;
        EXPECT_EQ(at(48 + 1, 40 + 5), c.expected) << c.format;    // strip column 200 = 199 + 1
        EXPECT_EQ(at(48 + 207, 40 + 7), c.expected) << c.format;  // strip column 406
        EXPECT_EQ(at(0, 90), 0u) << c.format;                     // below both halves: cleared
        t->UnlockRect(0);
    }
}

TEST_F(GemsBufferTest, NoTextureMeansNoVisualsAndAWarningOnRefresh)
{
    recorder->adapters[0].textureFormats = {D3DFMT_R5G6B5};
    recorder->Fail("CreateTexture", D3DERR_INVALIDCALL, -1);
    CGemsBuffer b;
    b.SetResources(device, overlay, list, texts, font, batch);
    EXPECT_FALSE(b.CreateVisuals());
    EXPECT_TRUE(b.frameShapes.empty());
    EXPECT_FALSE(b.counterText);
    EXPECT_NE(Log().find("Unable to create GemsTexture!\n"), std::string::npos);
    EXPECT_FALSE(b.Refresh());
    EXPECT_NE(Log().find("Warning! Unable to refresh Gems buffer texture\n"), std::string::npos);
    recorder->StopFailing("CreateTexture");
}

TEST_F(GemsBufferTest, OnlyABarWithATextureTakesItOffTheDevice)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    MakeBar(widths, 5);
    {
        CGemsBuffer unused; // never made its texture
        unused.SetResources(device, overlay, list, texts, font, batch);
    }
    EXPECT_GE(device->FindTexture("GemsSurfaceTexture"), 0);
    const size_t shapes = list->visibleList.size() + list->hiddenList.size();
    EXPECT_EQ(shapes, 6u);
    EXPECT_EQ(texts->texts.size(), 1u);
    bar.Reset();
    EXPECT_EQ(device->FindTexture("GemsSurfaceTexture"), -1);
    EXPECT_TRUE(list->visibleList.empty());
    EXPECT_TRUE(list->hiddenList.empty());
    EXPECT_TRUE(texts->texts.empty());
}

TEST_F(GemsBufferTest, ShowingAndFading)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    CGemsBuffer& b = MakeBar(widths, 5);
    b.Show(0, 0.0f);
    EXPECT_EQ(b.shown, 0);
    EXPECT_EQ(b.alpha, 0.0f);
    EXPECT_EQ(b.frameShapes[0]->visible, 0);
    EXPECT_EQ(b.counterText->visible, 0);

    b.Show(1, 2.0f);
    EXPECT_EQ(b.frameShapes[0]->visible, 1);
    EXPECT_EQ(b.barShapes[1]->visible, 0); // nothing collected: no right filling
    b.Update(0.25f);
    EXPECT_FLOAT_EQ(b.alpha, 0.5f);
    EXPECT_FLOAT_EQ(b.frameShapes[2]->alpha, 0.5f);
    EXPECT_FLOAT_EQ(b.counterText->alphaFactor, 0.5f);
    b.Update(0.3f);
    EXPECT_EQ(b.alpha, 1.0f);
    EXPECT_EQ(b.fadeSpeed, 0.0f);

    b.Show(0, 4.0f);
    EXPECT_EQ(b.shown, 1);
    b.Update(0.2f);
    EXPECT_FLOAT_EQ(b.alpha, 0.2f);
    b.Update(0.1f);
    EXPECT_EQ(b.alpha, 0.0f);
    EXPECT_EQ(b.shown, 0);
    EXPECT_EQ(b.frameShapes[1]->visible, 0);
    EXPECT_EQ(b.counterText->visible, 0);
}

TEST_F(GemsBufferTest, LayoutPlacesEveryPieceFromTheOrigin)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    CGemsBuffer& b = MakeBar(widths, 6);
    for (int i = 0; i < 3; ++i)
        b.AddGem(i);
    b.Layout(-100.0f, 300.0f, 20.0f);
    const float cx = -100.0f + b.barOffset[0];
    EXPECT_FLOAT_EQ(b.barShapes[0]->position.x, cx + 101.75f);
    EXPECT_FLOAT_EQ(b.barShapes[1]->position.x, cx + 204.0f);
    EXPECT_FLOAT_EQ(b.barShapes[0]->position.y, 300.0f + b.barOffset[1] - 16.0f);
    EXPECT_FLOAT_EQ(b.frameShapes[1]->position.x, -100.0f + b.iconOffset[0] + 307.5f);
    EXPECT_FLOAT_EQ(b.frameShapes[3]->position.y, 300.0f + b.rightOffset[1] - 20.0f);
    EXPECT_FLOAT_EQ(b.frameShapes[3]->position.z, 520.0f);
    EXPECT_FLOAT_EQ(b.counterText->position.x, -100.0f + b.textOffset[0]);
    for (int i = 3; i < 6; ++i)
        b.AddGem(i);
    b.Layout(-100.0f, 300.0f, 20.0f);
    EXPECT_FLOAT_EQ(b.barShapes[0]->position.x, cx + 102.0f);
    EXPECT_FLOAT_EQ(b.barShapes[1]->position.x, cx + 305.5f);
}

TEST_F(GemsBufferTest, FlyingGemsAimWhereTheyWillLand)
{
    const int widths[7] = {30, 20, 30, 30, 30, 30, 30};
    CGemsBuffer& b = MakeBar(widths, 5);
    b.Layout(10.0f, 20.0f, 30.0f);
    const float baseX = 10.0f + b.rightOffset[0];
    Vec3 p;
    b.GetCellAnchor(p, 0, 1);
    EXPECT_FLOAT_EQ(p.x, baseX + 15.0f); // nothing collected, first flyer: half a cell in
    EXPECT_FLOAT_EQ(p.y, 20.0f + b.rightOffset[1] - 20.0f);
    EXPECT_FLOAT_EQ(p.z, 529.5f);
    // Second flyer with nothing collected: 37 + (407 - 37) / 4, centred.
    b.GetCellAnchor(p, 1, 2);
    EXPECT_FLOAT_EQ(p.x, baseX + 37.0f + 92.5f - 10.0f);

    b.AddGem(0);
    b.Layout(10.0f, 20.0f, 30.0f);
    // One collected, edge 30: step (407 - 30) / 4 = 94.25, first flyer ends at 124.25.
    b.GetCellAnchor(p, 2, 1);
    EXPECT_FLOAT_EQ(p.x, baseX + 124.25f - 15.0f);
    for (int i = 0; i < 4; ++i)
        b.AddGem(0);
    b.GetCellAnchor(p, 2, 1); // full: at the fill edge
    EXPECT_FLOAT_EQ(p.x, baseX + 407.0f - 15.0f);
    b.AddGem(0); // past the needed count there is no step to take
    b.GetCellAnchor(p, 2, 3);
    EXPECT_TRUE(std::isfinite(p.x));

    CGemsBuffer& single = MakeBar(widths, 1);
    single.GetCellAnchor(p, 0, 2); // two flying for the one cell
    EXPECT_TRUE(std::isfinite(p.x));
    CGemsBuffer& none = MakeBar(widths, 0);
    none.GetCellAnchor(p, -4, 1);
    EXPECT_TRUE(std::isfinite(p.x));
}

TEST_F(GemsBufferTest, FlaresRiseOverTheFilledPartOnly)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    CGemsBuffer& b = MakeBar(widths, 2);
    b.flareTexture = overlay;
    for (int i = 0; i < 100; ++i)
        b.Update(0.1f);
    EXPECT_TRUE(b.bigFlares.empty()); // nothing collected
    EXPECT_TRUE(batch->sprites.empty());

    b.AddGem(0);
    b.AddGem(1); // edge 407: k = 407 / 703
    b.flareTexture.Reset(); // no flare picture, no flares
    for (int i = 0; i < 10; ++i)
        b.Update(0.1f);
    EXPECT_TRUE(b.bigFlares.empty());
    EXPECT_TRUE(batch->sprites.empty());
    b.flareTexture = overlay;
    for (int i = 0; i < 10; ++i)
        b.Update(0.1f);
    ASSERT_FALSE(b.bigFlares.empty());
    EXPECT_FALSE(batch->sprites.empty());
    for (const CRefPtr<CSpriteShape>& f : b.bigFlares)
    {
        EXPECT_GE(f->position.x, b.rightOffset[0] + 0.025f * 407.0f - 0.01f);
        EXPECT_LE(f->position.x, b.rightOffset[0] + 0.975f * 407.0f + 0.01f);
        EXPECT_EQ(f->zOrder, 499);
    }
    // A big flare lives its life time and is gone.
    const size_t before = b.bigFlares.size();
    b.bigAccumulator = -1000.0f; // no new ones
    b.Update(b.bigLifeTime);
    EXPECT_LT(b.bigFlares.size(), before);
    EXPECT_EQ(b.bigFlares.size(), b.bigFlareAges.size());
    // A hidden bar freezes its flares.
    b.Show(0, 0.0f);
    const std::vector<float> ages = b.bigFlareAges;
    b.Update(0.5f);
    EXPECT_EQ(b.bigFlareAges, ages);
    // A level start takes them all away.
    b.ResetForLevel();
    EXPECT_TRUE(b.bigFlares.empty());
    EXPECT_EQ(b.strip[0], 0u);
}

// The small flares' colour carries their alpha: a half-transparent colour
// gives half-transparent flares, scaled again by the bar's own alpha.
TEST_F(GemsBufferTest, SmallFlaresTakeTheAlphaOfTheirColour)
{
    const int widths[7] = {30, 30, 30, 30, 30, 30, 30};
    for (const uint32_t colour : {0x80FFFFFFu, 0xFFFFFFFFu, 0x00FFFFFFu})
    {
        batch->sprites.clear();
        CGemsBuffer& b = MakeBar(widths, 2);
        GemsBarLayout layout;
        layout.smallFlaresColor = colour;
        b.ApplyLayout(layout);
        b.flareTexture = overlay;
        b.AddGem(0);
        b.AddGem(1);
        b.alpha = 0.5f;
        for (int i = 0; i < 5; ++i)
            b.Update(0.1f);
        ASSERT_FALSE(batch->sprites.empty());
        const float expected = float(colour >> 24) / 255.0f * 0.5f;
        for (const auto& sprite : batch->sprites)
            EXPECT_FLOAT_EQ(sprite->alphaFactor, expected) << std::hex << colour;
    }
}

TEST_F(GemsBufferTest, GeneratedBitmapHoldsSevenGemsThatFitTheStrip)
{
    const std::string path = std::string(ORB_GAME_DIR) + "/Data/Gfx/BarGems.bmp";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    CGemsBuffer b;
    ASSERT_TRUE(b.LoadBarGemsBitmap(path.c_str()));
    for (int c = 0; c < 7; ++c)
    {
        EXPECT_GE(b.cellWidths[c], 24) << c;
        EXPECT_LE(b.cellWidths[c], 40) << c;
        // Opaque in the middle of its cell, clear in the corner.
        EXPECT_EQ(b.gemPictures[c][20 * 40 + 18] >> 24, 255u) << c;
        EXPECT_EQ(b.gemPictures[c][0] >> 24, 0u) << c;
    }
}

} // namespace
