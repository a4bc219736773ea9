// A form built from a form file (tiled frame, caption, button, checkbox,
// scroller, progress bar) and driven by the mouse through the forms manager,
// drawn by the real OpenGL backend (SDL_VIDEODRIVER=offscreen) and checked at
// known pixels; the frame is also written to "forms_offscreen.png" for a look.
#include "ui/FormLoader.h"
#include "ui/KMCheckbox.h"
#include "ui/KMFormsManager.h"
#include "ui/KMProgressbar.h"
#include "ui/KMScroller.h"
#include "tests/support/OffscreenDevice.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace ui_test;

namespace {

// One back-buffer pixel per virtual unit.
const int kWidth = 1024;
const int kHeight = 768;

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;
using test_support::PaintTexture;

// --- the pictures the form file names, painted here ---

const uint32_t kGold = 0xFFC8A040u;
const uint32_t kGoldDark = 0xFF8A6A20u;
const uint32_t kBackA = 0xFF182030u;
const uint32_t kBackB = 0xFF1E2A40u;
const uint32_t kButtonNormal = 0xFF2050C0u;
const uint32_t kButtonPressed = 0xFF102860u;
const uint32_t kButtonOver = 0xFF3070F0u;
const uint32_t kButtonDisabled = 0xFF707070u;
const uint32_t kBoxEdge = 0xFFE0E0E0u;
const uint32_t kBoxEmpty = 0xFF202020u;
const uint32_t kBoxChecked = 0xFF30C040u;
const uint32_t kTrack = 0xFF505060u;
const uint32_t kThumb = 0xFFF0C020u;
const uint32_t kBarEmpty = 0xFF401010u;
const uint32_t kBarFill = 0xFF40E060u;

// The widget atlas at the texel rectangles of form_demo_widgets.kmf.
uint32_t WidgetPixel(int x, int y)
{
    auto inside = [&](int x0, int y0, int x1, int y1) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
    auto bevelled = [&](int x0, int y0, int x1, int y1, uint32_t fill) {
        const bool edge = x < x0 + 3 || x >= x1 - 3 || y < y0 + 3 || y >= y1 - 3;
        return edge ? 0xFFA0C0FFu : fill;
    };
    if (inside(0, 0, 128, 48))
        return bevelled(0, 0, 128, 48, kButtonNormal);
    if (inside(0, 48, 128, 96))
        return bevelled(0, 48, 128, 96, kButtonPressed);
    if (inside(128, 0, 256, 48))
        return bevelled(128, 0, 256, 48, kButtonOver);
    if (inside(128, 48, 256, 96))
        return bevelled(128, 48, 256, 96, kButtonDisabled);
    for (int box = 0; box < 2; ++box)
        if (inside(48 * box, 96, 48 * box + 48, 144))
        {
            const int lx = x - 48 * box, ly = y - 96;
            if (lx < 5 || lx >= 43 || ly < 5 || ly >= 43)
                return kBoxEdge;
            return box ? kBoxChecked : kBoxEmpty;
        }
    if (inside(0, 160, 256, 176))
        return y == 167 || y == 168 ? 0xFF8080A0u : kTrack;
    if (inside(0, 176, 32, 208))
    {
        const int dx = x - 16, dy = y - 192;
        return dx * dx + dy * dy <= 15 * 15 ? kThumb : 0x00000000u;
    }
    if (inside(0, 208, 256, 224))
        return kBarEmpty;
    if (inside(0, 224, 256, 240))
        return kBarFill;
    return 0x00000000u;
}

// A 5 x 7 pixel font for the capitals the form shows.
const std::map<char, const char*> kGlyphRows = {
    {'A', "01110100011000111111100011000110001"}, {'B', "11110100011000111110100011000111110"},
    {'C', "01110100011000010000100001000101110"}, {'D', "11110100011000110001100011000111110"},
    {'F', "11111100001000011110100001000010000"}, {'G', "01110100011000010111100011000101111"},
    {'H', "10001100011000111111100011000110001"}, {'I', "01110001000010000100001000010001110"},
    {'L', "10000100001000010000100001000011111"}, {'M', "10001110111010110101100011000110001"},
    {'N', "10001110011010110011100011000110001"}, {'O', "01110100011000110001100011000101110"},
    {'P', "11110100011000111110100001000010000"}, {'R', "11110100011000111110101001001010001"},
    {'S', "01111100001000001110000010000111110"}, {'T', "11111001000010000100001000010000100"},
    {'U', "10001100011000110001100011000101110"}, {'Y', "10001100010101000100001000010000100"},
};

// Glyph cells of 8 x 8 texels on a 128 x 128 texture, 16 to a row.
uint32_t FontPixel(int x, int y)
{
    const int code = (y / 8) * 16 + x / 8;
    const int gx = x % 8, gy = y % 8;
    auto it = kGlyphRows.find(char(code));
    if (it == kGlyphRows.end() || gx >= 5 || gy >= 7)
        return 0x00FFFFFFu;
    return it->second[gy * 5 + gx] == '1' ? 0xFFFFFFFFu : 0x00FFFFFFu;
}

CRefPtr<CFont> PixelFont(CRefPtr<CTexture> texture)
{
    CRefPtr<CFont> font(new CFont(texture));
    for (int c = 0; c < CFont::kGlyphCount; ++c)
    {
        CGlyph& g = font->glyphs[c];
        const float u = float(c % 16) * 8.0f / 128.0f, v = float(c / 16) * 8.0f / 128.0f;
        g.width = 5.0f / 7.0f;
        g.height = 1.0f;
        g.advance = 6.0f / 7.0f;
        g.uLeft = u;
        g.vTop = v;
        g.uRight = u + 5.0f / 128.0f;
        g.vBottom = v + 7.0f / 128.0f;
    }
    font->spaceAdvance = 4.0f / 7.0f;
    font->glyphs[int(' ')].advance = font->spaceAdvance;
    font->header[3] = 16;
    font->headerFloat3 = 16.0f;
    return font;
}

// The pixel under a virtual point (centred, y up), without alpha.
uint32_t At(const OffscreenFrame& frame, float x, float y)
{
    return frame.At(x, y) & 0xFFFFFFu;
}

bool Near(uint32_t a, uint32_t b, int tolerance = 6)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        const int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
        if (ca - cb > tolerance || cb - ca > tolerance)
            return false;
    }
    return true;
}

// Pixels of a rectangle (virtual units) that match a colour.
int Count(const OffscreenFrame& frame, float x0, float y0, float x1, float y1, uint32_t colour)
{
    int n = 0;
    for (float y = y0; y < y1; y += 1.0f)
        for (float x = x0; x < x1; x += 1.0f)
            n += Near(At(frame, x, y), colour & 0xFFFFFFu, 12) ? 1 : 0;
    return n;
}

} // namespace

TEST(OffscreenForm, AFormFileDrawnAfterMouseInput)
{
    OffscreenDevice gl;
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL device (run with SDL_VIDEODRIVER=offscreen)";
    CDevice& dev = *gl.device;

    std::vector<CRefPtr<CTexture>> textures = {
        // Corners: a gold quarter-frame in each quarter, darker on its outer rim.
        PaintTexture(dev, "DemoCorners", 64, 64,
              [](int x, int y) {
                  const int qx = x < 32 ? x : 63 - x, qy = y < 32 ? y : 63 - y;
                  return qx < 4 || qy < 4 ? kGoldDark : kGold;
              }),
        // Sides: four strips, each gold with a dark line along its length.
        PaintTexture(dev, "DemoSides", 64, 64, [](int x, int) { return x % 16 < 4 ? kGoldDark : kGold; }),
        PaintTexture(dev, "DemoBack", 32, 32, [](int x, int y) { return (x / 16 + y / 16) % 2 ? kBackA : kBackB; }),
        PaintTexture(dev, "DemoWidgets", 256, 256, WidgetPixel),
    };
    for (const CRefPtr<CTexture>& t : textures)
        ASSERT_TRUE(t.IsValid());
    CRefPtr<CTexture> fontTexture = PaintTexture(dev, "DemoFont", 128, 128, FontPixel);
    std::vector<CRefPtr<CFont>> fonts = {PixelFont(fontTexture)};

    CFormLoader loader(gl.device);
    ASSERT_EQ(1, loader.LoadForm(Fixture("form_demo_widgets.kmf").c_str(), -512.0f, 384.0f)) << loader.errorText;
    CRefPtr<CTextSet> texts(new CTextSet(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CSpriteList> sprites(new CSpriteList(gl.device, gl.vertexBuffer, gl.indexBuffer));
    ASSERT_EQ(1, loader.CreateForm(sprites, texts, fonts, 0));
    std::map<int, CRefPtr<CKMWindow>> widgets;
    int more = 1;
    while (more)
    {
        ASSERT_EQ(1, loader.CreateNextElement(&more)) << loader.errorText;
        if (more)
            widgets[loader.lastInterrupt] = loader.lastWidget;
    }
    ASSERT_EQ(4u, widgets.size());

    CKMFormsManager manager;
    manager.AddForm(loader.form);

    // The checkbox is ticked, the scroller pressed at 30 % of its travel, the
    // progress bar set to 60 %, and the pointer left resting on the button.
    // The form's own press comes first, then the widget's press and value.
    manager.OnMouseDown(-232.5f, 16.5f, 0);
    ASSERT_EQ(3u, manager.events.size());
    EXPECT_EQ(kWindowForm, manager.events[0].windowType);
    EXPECT_EQ(kEventValueChanged, manager.events[2].kind);
    EXPECT_EQ(4, manager.events[2].windowId);
    manager.OnMouseUp(-232.5f, 16.5f, 0);
    const float thumbX = -0.5f + (0.3f - 0.5f) * 512.0f * 0.9f;
    manager.OnMouseDown(thumbX, -65.5f, 0);
    ASSERT_EQ(3u, manager.events.size());
    EXPECT_EQ(kEventValueChanged, manager.events[2].kind);
    EXPECT_EQ(231, manager.events[2].windowId);
    manager.OnMouseUp(thumbX, -65.5f, 0);
    auto* scroller = dynamic_cast<CKMScroller*>(widgets[3].Get());
    ASSERT_NE(nullptr, scroller);
    EXPECT_NEAR(0.3f, scroller->value, 1e-4f);
    dynamic_cast<CKMProgressbar&>(*widgets[4]).SetValue(0.6f);
    manager.OnMouseMove(-90.5f, 108.5f, 0.016f);
    EXPECT_EQ(1, dynamic_cast<CKMCheckbox&>(*widgets[2]).checked);

    ASSERT_EQ(D3D_OK, gl.BeginScene());
    gl.BindSharedBuffers();
    manager.DrawOpaque();
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    manager.Draw(1);
    ASSERT_EQ(D3D_OK, gl.EndScene());
    OffscreenFrame frame;
    ASSERT_TRUE(gl.ReadBack(frame));
    gl.Present();
    ASSERT_EQ(size_t(kWidth) * kHeight, frame.pixels.size());
    EXPECT_TRUE(frame.SavePng("forms_offscreen.png"));

    struct Probe
    {
        const char* what;
        float x, y;
        uint32_t colour;
    } probes[] = {
        {"outside the form", -450, 300, 0x000000},
        {"top-left corner", -304.5f, 234.5f, kGold},
        {"left edge", -304.5f, 0.5f, kGold},
        {"top edge", 0.5f, 234.5f, kGold},
        {"bottom-right corner", 303.5f, -233.5f, kGold},
        {"inside", 250, 120, kBackA},
        {"button under the pointer", -90.5f, 108.5f, kButtonOver},
        {"ticked checkbox", -232.5f, 16.5f, kBoxChecked},
        {"checkbox rim", -253.5f, 16.5f, kBoxEdge},
        {"scroller thumb", thumbX, -65.5f, kThumb},
        {"scroller track", 150, -62, kTrack},
        {"progress filled", -150, -145.5f, kBarFill},
        {"progress empty", 180, -145.5f, kBarEmpty},
    };
    for (const Probe& p : probes)
        EXPECT_TRUE(Near(At(frame, p.x, p.y), p.colour & 0xFFFFFFu))
            << p.what << ": " << std::hex << At(frame, p.x, p.y) << " instead of " << (p.colour & 0xFFFFFFu);

    // The captions: the gold title over the frame, white "PLAY" on the button,
    // the "SOUND" label in its own colour; a tiled inside holds no text colour.
    EXPECT_GT(Count(frame, -120, 170, 120, 212, 0xFFFFD040u), 300) << "title";
    EXPECT_GT(Count(frame, -200, 96, -120, 121, 0xFFFFFFFFu), 150) << "button caption";
    EXPECT_GT(Count(frame, -256, -44, -150, -16, 0xFFCCE5FFu), 100) << "label";
    // The checkbox caption is wider than the box: its special width keeps it on one line.
    EXPECT_GT(Count(frame, -160, 6, -124, 28, 0xFFFFFFFFu), 40) << "checkbox caption";
    EXPECT_EQ(0, Count(frame, 100, 100, 300, 150, 0xFFFFD040u));
}
