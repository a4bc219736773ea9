// A level laid out on the play field and drawn by the real OpenGL backend
// (SDL_VIDEODRIVER=offscreen) with the generated token pictures: the token, light
// and chain passes, checked by reading pixels back. The frame is also written to
// "board_offscreen.png" to look at.
#include "board/Level.h"
#include "field/PlayField.h"
#include "platform/crt.h"
#include "render/Device.h"
#include "hud/QuestLayout.h"
#include "tests/support/OffscreenDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;

struct Pixel
{
    int r, g, b;
};

Pixel At(const OffscreenFrame& frame, float x, float y)
{
    const uint32_t p = frame.At(x, y);
    return Pixel{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

// Lays the level's rows out on the board: digits are colours, "s" steel; the
// lock digits and gem marks of the other layers go onto the same tokens.
void LayOut(CPlayField& field)
{
    const CLevel& level = *field.level;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t column = 0; column < 8; ++column)
        {
            const char c = level.beginRows[size_t(row)][size_t(column)];
            const int32_t colour = c == 's' ? CCap::kSteel : (c >= '0' && c <= '6') ? c - '0' : field.PickNewColour();
            const int32_t marked = level.gemRows[size_t(row)][size_t(column)] == 'g' ? 1 : 0;
            const Vec3 p = field.CellToScreen(column, row, false);
            CRefPtr<CCap> cap;
            field.capList.CreateCap(cap, colour, marked, p.x, p.y, 0.0f, field.tokenRadius, 1, field.origin[0],
                                    field.origin[1], field.origin[2]);
            cap->placement = CCap::kPlaced;
            cap->active = 1;
            const char lock = level.lockRows[size_t(row)][size_t(column)];
            if (lock >= '1' && lock <= '9')
                cap->SetLockCount(lock - '0');
            cap->look->lightAllowed = 1;
            field.cells[size_t(row)][size_t(column)] = cap;
        }
}

TEST(BoardOffscreen, LevelDrawsItsTokensLightAndChains)
{
    const std::string pictures = std::string(ORB_GAME_DIR) + "/Data/Gfx/";
    if (!std::filesystem::exists(pictures + "Caps.png"))
        GTEST_SKIP() << "the token pictures are not generated yet (build the game data)";
    OffscreenDevice gl;
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL device (run with SDL_VIDEODRIVER=offscreen)";
    CDevice& dev = *gl.device;

    CRefPtr<CCapsManager> caps(new CCapsManager(gl.device, gl.vertexBuffer, gl.indexBuffer));
    ASSERT_EQ(1, caps->LoadTextures(pictures));
    ASSERT_EQ(1, caps->LoadCapsAnimation(std::string(ORB_DATA_SRC_DIR) + "/Data/"));

    CQuestLayout layout;
    layout.boardX = -320.5f;  // the board in the middle of the screen
    layout.boardY = 320.5f;
    float fillRate = 1.0f;
    crt::srand(3);
    CPlayField field(caps, &layout, nullptr, nullptr, &fillRate);
    field.Reset(0);
    field.SetupLevelRules(20);
    ASSERT_EQ(1, field.LoadLevel(std::string(ORB_FIXTURES_DIR) + "/level_render_showcase.lvl"));
    LayOut(field);
    ASSERT_EQ(64u, caps->looks.size());

    // The mouse over the token of cell (2, 2): the light pass brightens it.
    const Vec3 lit = field.CellToScreen(2, 2, true);
    caps->lightX = lit.x;
    caps->lightY = lit.y;
    field.capList.Update(0.0f, 5000.0f, 5000.0f);

    ASSERT_EQ(D3D_OK, gl.BeginScene(0xFF1C2430u));
    dev.SetVertexShader(kVertexFormat);
    dev.SetRenderState(D3DRS_LIGHTING, 0);
    dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    const int triangles = caps->Render();
    caps->DrawChains();
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    ASSERT_EQ(D3D_OK, gl.EndScene());
    OffscreenFrame frame;
    ASSERT_TRUE(gl.ReadBack(frame));
    gl.Present();

    // 64 tokens, the lit one and the (up to 8) within reach of its light.
    EXPECT_GE(triangles, 128 + 2);
    EXPECT_TRUE(frame.SavePng("board_offscreen.png"));

    // Each colour shows its own hue a little above its centre (the centre of a
    // gem token holds the gem); the background stays between the tokens.
    auto dominant = [](Pixel p) {
        const int hi = std::max({p.r, p.g, p.b}), lo = std::min({p.r, p.g, p.b});
        if (hi > 150 && hi - lo < 50)
            return 5;  // white
        if (hi - lo < 50)
            return -1;
        float hue = hi == p.r   ? 60.0f * float(p.g - p.b) / float(hi - lo)
                    : hi == p.g ? 120.0f + 60.0f * float(p.b - p.r) / float(hi - lo)
                                : 240.0f + 60.0f * float(p.r - p.g) / float(hi - lo);
        if (hue < 0.0f)
            hue += 360.0f;
        const struct
        {
            float from, to;
            int colour;
        } hues[] = {{0, 15, 2}, {15, 42, 4}, {42, 70, 1}, {90, 160, 0}, {200, 250, 3}, {260, 320, 6}, {345, 360, 2}};
        for (const auto& h : hues)
            if (hue >= h.from && hue < h.to)
                return h.colour;
        return -1;
    };
    int checked = 0;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t column = 0; column < 8; ++column)
        {
            const CRefPtr<CCap>& cap = field.cells[size_t(row)][size_t(column)];
            if (cap->colour > 6 || cap->marked || cap->lockCount || (row == 2 && column <= 3))
                continue;
            const Vec3 c = field.CellToScreen(column, row, true);
            // The crescent's middle is open: look at its lower-left body instead.
            const Pixel p = cap->colour == 6 ? At(frame, c.x - 14.0f, c.y - 4.0f) : At(frame, c.x - 3.0f, c.y + 3.0f);
            EXPECT_EQ(cap->colour, dominant(p))
                << "cell " << column << "," << row << " rgb " << p.r << " " << p.g << " " << p.b;
            ++checked;
        }
    EXPECT_GT(checked, 30);
    const Pixel gap = At(frame, field.origin[0] + 80.0f, field.origin[1] - 2.0f);
    EXPECT_NEAR(0x1C, gap.r, 3);
    EXPECT_NEAR(0x30, gap.b, 3);

    // The lit token is brighter than a token of its colour away from the light,
    // at the same spot of each.
    const CRefPtr<CCap>& litCap = field.cells[2][2];
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t column = 0; column < 8; ++column)
        {
            const CRefPtr<CCap>& other = field.cells[size_t(row)][size_t(column)];
            if (other->colour != litCap->colour || other->marked || other->lockCount || row < 4)
                continue;
            const Vec3 a = field.CellToScreen(2, 2, true), b = field.CellToScreen(column, row, true);
            const Pixel pa = At(frame, a.x + 6.0f, a.y - 6.0f), pb = At(frame, b.x + 6.0f, b.y - 6.0f);
            EXPECT_GT(pa.r + pa.g + pa.b, pb.r + pb.g + pb.b + 60) << "cell " << column << "," << row;
            row = 8;
            break;
        }

    // Chains: grey links on the ring round a locked token, above its left edge.
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t column = 0; column < 8; ++column)
        {
            const CRefPtr<CCap>& cap = field.cells[size_t(row)][size_t(column)];
            if (!cap->lockCount)
                continue;
            const Vec3 c = field.CellToScreen(column, row, true);
            int grey = 0;
            // The ring lies 35/46 of the chain quad's half size from the centre.
            const float r = 35.0f / 46.0f * field.tokenRadius * 46.0f / 39.0f;
            for (int k = 0; k < 64; ++k)
            {
                const float a = 6.2831853f * k / 64.0f;
                const Pixel p = At(frame, c.x + std::cos(a) * r, c.y + std::sin(a) * r);
                grey += (std::abs(p.r - p.g) < 20 && std::abs(p.g - p.b) < 25 && p.r > 120) ? 1 : 0;
            }
            EXPECT_GT(grey, 20) << "chain round cell " << column << "," << row;
        }
}

} // namespace
