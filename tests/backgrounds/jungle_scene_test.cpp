// The jungle scene: the glints' mask is read only from a well-formed bitmap, glints
// start on a fixed clock and never search for ever, the mist wraps, and the mist is
// added through its mask with depth writing put back as it was.
#include <cstring>

#include "backgrounds/BackgroundJungle.h"
#include "engine/Random.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"
#include "tests/backgrounds/scene_fixture.h"

namespace {

using scene_test::SceneTest;

// A 24-bit bitmap as the mask wants it; `edit` spoils one part of it.
std::vector<uint8_t> MaskBitmap(uint8_t fill, void (*edit)(std::vector<uint8_t>&) = nullptr)
{
    const uint32_t pixels = 256 * 102 * 3;
    std::vector<uint8_t> b(54 + pixels, fill);
    std::memset(b.data(), 0, 54);
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 256);
    put32(22, 102);
    b[26] = 1;
    b[28] = 24;
    if (edit)
        edit(b);
    return b;
}

class JungleScene : public SceneTest
{
protected:
    void Make(const std::string& cfg)
    {
        batch = CRefPtr<CSpriteBatch>(new CSpriteBatch(rec.device, rec.vertexBuffer, rec.indexBuffer));
        jungle.SetResources(rec.device, rec.vertexBuffer, rec.indexBuffer);
        jungle.SetShared(list, {}, batch, {}, {}, {});
        jungle.LoadSettings(cfg.c_str());
        jungle.Init();
    }
    bool LoadMask(const std::vector<uint8_t>& bytes)
    {
        const std::string path = folder + "JungleFlashMask.bmp";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     std::streamsize(bytes.size()));
        return jungle.LoadFlashMask(path.c_str());
    }
    CRefPtr<CSpriteBatch> batch;
    CBackgroundJungle jungle;
};

TEST_F(JungleScene, FlashMaskIsReadOnlyFromAWellFormedBitmap)
{
    Make(NoCfg());
    struct Case
    {
        const char* what;
        void (*edit)(std::vector<uint8_t>&);
    } bad[] = {
        {"signature", [](std::vector<uint8_t>& b) { b[1] = 'X'; }},
        {"32 bits", [](std::vector<uint8_t>& b) { b[28] = 32; }},
        {"compressed", [](std::vector<uint8_t>& b) { b[30] = 1; }},
        {"stored top-down", [](std::vector<uint8_t>& b) { b[22] = 0x9A, b[23] = b[24] = b[25] = 0xFF; }},
        {"too wide", [](std::vector<uint8_t>& b) { b[18] = 0, b[19] = 2; }},
        {"pixels past the end", [](std::vector<uint8_t>& b) { b[10] = 0x40, b[11] = 0x01; }},
        {"pixels inside the header", [](std::vector<uint8_t>& b) { b[10] = 20; }},
        {"cut short", [](std::vector<uint8_t>& b) { b.resize(b.size() - 1); }},
        {"headers only", [](std::vector<uint8_t>& b) { b.resize(40); }},
    };
    for (const Case& c : bad)
    {
        ResetLog();
        EXPECT_FALSE(LoadMask(MaskBitmap(200, c.edit))) << c.what;
        EXPECT_FALSE(jungle.flashes.HasMask()) << c.what;
        EXPECT_NE(Log().find("Error loading JungleFlashMask.bmp file!\n"), std::string::npos) << c.what;
    }
    ResetLog();
    EXPECT_FALSE(jungle.LoadFlashMask((folder + "none.bmp").c_str()));
    EXPECT_NE(Log().find("JungleFlashMask.bmp File not found!\n"), std::string::npos);

    // The file's last row is the top of the area; each pixel gives its first (blue) byte.
    std::vector<uint8_t> good = MaskBitmap(0);
    const size_t lastRow = 54 + 101 * 768;
    good[lastRow + 3 * 5] = 77;     // blue of column 5, top row
    good[lastRow + 3 * 6 + 2] = 99; // red of column 6: not read
    good[54] = 33;                  // column 0 of the bottom row
    EXPECT_TRUE(LoadMask(good));
    ASSERT_TRUE(jungle.flashes.HasMask());
    EXPECT_EQ(jungle.flashes.mask[5], 77);
    EXPECT_EQ(jungle.flashes.mask[6], 0);
    EXPECT_EQ(jungle.flashes.mask[101 * 256], 33);
}

TEST_F(JungleScene, MaskCellsAndTheCubePullFollowTheArea)
{
    Make(NoCfg());
    ASSERT_TRUE(LoadMask(MaskBitmap(50)));
    CJungleFlashes& f = jungle.flashes;
    // The area: left -224, top -28, 412 by 164; each cell is 412/256 by 164/102 units.
    EXPECT_EQ(f.MaskAt(-224.0f, -28.0f), 50);
    EXPECT_EQ(f.MaskAt(-224.0f + 411.9f, -28.0f - 163.9f), 50);
    EXPECT_EQ(f.MaskAt(-224.0f + 412.0f, -30.0f), -1); // column 256
    EXPECT_EQ(f.MaskAt(-224.0f - 0.1f, -30.0f), -1);
    EXPECT_EQ(f.MaskAt(-100.0f, -28.0f + 0.1f), -1);   // above the area
    EXPECT_EQ(f.MaskAt(-100.0f, -28.0f - 164.0f), -1); // row 102
    // FlashCenter 420 is x = -92: the left span is 132, the right 280.
    EXPECT_FLOAT_EQ(f.PullTowardsCentre(-92.0f - 66.0f), -92.0f - 132.0f / 8.0f);
    EXPECT_FLOAT_EQ(f.PullTowardsCentre(-224.0f), -224.0f);
    EXPECT_FLOAT_EQ(f.PullTowardsCentre(188.0f), 188.0f);
}

TEST_F(JungleScene, GlintsComeOnAFixedClockAndNeverSearchForEver)
{
    Make(NoCfg());
    // No mask: no glints at all.
    jungle.Update(1.0f);
    EXPECT_TRUE(jungle.flashes.flashes.empty());

    ASSERT_TRUE(LoadMask(MaskBitmap(255)));
    crt::srand(7);
    jungle.Update(0.35f);
    EXPECT_EQ(jungle.flashes.flashes.size(), 3u);
    EXPECT_EQ(batch->sprites.size(), 3u);
    EXPECT_NEAR(jungle.flashes.clock, 0.05f, 1e-5f);
    jungle.Update(0.04f);
    EXPECT_EQ(jungle.flashes.flashes.size(), 3u);
    jungle.Update(0.02f); // the clock passes 0.1
    EXPECT_EQ(jungle.flashes.flashes.size(), 4u);

    // A glint lives its life (0.75 to 1.25 times the nominal 0.5 s) and is let go.
    const CBatchSprite& first = *jungle.flashes.flashes[0];
    EXPECT_GE(first.fadeOutTime, 0.5f * 0.75f * 0.5f - 1e-4f);
    EXPECT_LE(first.fadeOutTime, 0.5f * 1.25f * 0.5f + 1e-4f);
    EXPECT_FLOAT_EQ(first.alphaFactor, 1.0f);

    // A mask too dim to start on: the search gives up for the frame instead of hanging.
    ASSERT_TRUE(LoadMask(MaskBitmap(16)));
    jungle.flashes.Clear();
    jungle.Update(0.3f);
    EXPECT_TRUE(jungle.flashes.flashes.empty());
    // Starts are fine but no end is bright enough: the same.
    ASSERT_TRUE(LoadMask(MaskBitmap(128)));
    jungle.Update(0.3f);
    EXPECT_TRUE(jungle.flashes.flashes.empty());

    // A period of 0 or less, or an area of no width, makes no glints and divides by nothing.
    ASSERT_TRUE(LoadMask(MaskBitmap(255)));
    for (const char* cfg : {"[Jungle]\nFlashT=0\n", "[Jungle]\nFlashT=-1\n", "[Jungle]\nFlashArea=288 412 0 164\n",
                            "[Jungle]\nFlashArea=288 412 412 0\n"})
    {
        CJungleFlashes flashes;
        flashes.LoadSettings(Cfg(cfg).c_str(), "Jungle");
        flashes.mask = jungle.flashes.mask;
        flashes.Update(1.0f, batch.Get(), {});
        EXPECT_TRUE(flashes.flashes.empty()) << cfg;
    }
}

TEST_F(JungleScene, MistWrapsAtOneAndBelowZero)
{
    struct Case
    {
        const char* speed;
        float start, dt, expected;
    } cases[] = {{"0.5 0", 0.5f, 1.0f, 0.0f}, {"-0.25 0", 0.1f, 1.0f, 0.85f}, {"0.01 0", 0.0f, 2.0f, 0.02f}};
    for (const Case& c : cases)
    {
        CBackgroundJungle scene;
        scene.LoadSettings(Cfg(std::string("[Jungle]\nFogTVector=") + c.speed + "\n").c_str());
        scene.Init();
        scene.fogScroll.u = c.start;
        scene.Update(c.dt);
        EXPECT_NEAR(scene.fogScroll.u, c.expected, 1e-5f) << c.speed;
        EXPECT_NEAR(scene.fogVertices[1].u, c.expected + 2.890625f, 1e-5f) << c.speed;
    }
}

TEST_F(JungleScene, MistIsAddedThroughItsMaskAndDepthWritingGoesBackAsItWas)
{
    Make(NoCfg());
    for (const DWORD zWrite : {0u, 1u})
    {
        rec.device->SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
        rec.ClearCalls();
        ASSERT_EQ(jungle.Render(), 0);
        const auto draws = rec.Draws();
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].State(D3DRS_DESTBLEND), D3DBLEND_ONE);
        EXPECT_EQ(draws[0].State(D3DRS_ZWRITEENABLE), 0);
        EXPECT_EQ(draws[0].primitives, 2u);
        // The fog rectangle (192, 242) 740 by 332, half a pixel up-left.
        EXPECT_FLOAT_EQ(draws[0].vertices[0].x, -320.5f);
        EXPECT_FLOAT_EQ(draws[0].vertices[0].y, 142.5f);
        EXPECT_FLOAT_EQ(draws[0].vertices[2].x, 419.5f);
        EXPECT_FLOAT_EQ(draws[0].vertices[2].v2, 1.0f);
        EXPECT_EQ(rec.device->renderState[D3DRS_ZWRITEENABLE], zWrite);
    }
}

} // namespace
