#include "render/Font.h"

#include "tests/support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <cmath>
#include <cstring>
#include <string>

using test_support::RecordedDraw;
using test_support::RecordingDevice;

namespace {

// A font of glyph boxes: every glyph is 8 wide and 12 high, 2 below the pen,
// 1 right of it, and advances 10; a blank advances 5; fixed cells are 12 wide.
CRefPtr<CFont> BoxFont(CRefPtr<CTexture> texture = CRefPtr<CTexture>())
{
    CRefPtr<CFont> font(new CFont(texture));
    for (int c = 0; c < CFont::kGlyphCount; ++c)
    {
        CGlyph& g = font->glyphs[c];
        g.width = 8;
        g.height = 12;
        g.left = 1;
        g.advance = 10;
        g.topOffset = 2;
        g.uLeft = 0.25f;
        g.vTop = 0.5f;
        g.uRight = 0.75f;
        g.vBottom = 1.0f;
    }
    font->glyphs[int(' ')].advance = 5;
    font->spaceAdvance = 5;
    font->cellWidth = 12;
    return font;
}

CText MakeText(const char* s, int alignment = kAlignLeft, float scale = 1.0f)
{
    CText text(BoxFont());
    text.alignment = alignment;
    text.scaleX = scale;
    text.scaleY = scale;
    text.SetString(s);
    return text;
}

std::vector<float> Xs(const CText& text)
{
    std::vector<float> xs;
    for (const CTextChar& c : text.characters)
        xs.push_back(c.position.x);
    return xs;
}

TEST(FontFile, LoadsTheGlyphTableAndMeasuresTheBlank)
{
    const std::string path = (std::filesystem::temp_directory_path() / "orb_box.kfd").string();
    std::vector<uint8_t> bytes(CFont::kFileSize, 0);
    auto put = [&](size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + size_t(i)] = uint8_t(v >> (8 * i));
    };
    auto putFloat = [&](size_t offset, float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        put(offset, v);
    };
    put(8, uint32_t(-7));
    put(12, 32);
    putFloat(16, 99.0f); // replaced by the blank's advance
    putFloat(20, 0.75f);
    putFloat(24 + 48 * ' ' + 24, 0.3f);
    putFloat(24 + 48 * 'A' + 0, 0.5f);
    putFloat(24 + 48 * 'A' + 44, 0.125f);
    putFloat(24 + 48 * 255 + 40, 1.0f);
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    CFont font{CRefPtr<CTexture>()};
    ASSERT_EQ(1, font.Load(path.c_str()));
    EXPECT_FLOAT_EQ(-7.0f, font.headerFloat2);
    EXPECT_FLOAT_EQ(32.0f, font.GetBaseSize());
    EXPECT_FLOAT_EQ(0.3f, font.spaceAdvance);
    EXPECT_FLOAT_EQ(0.75f, font.cellWidth);
    EXPECT_FLOAT_EQ(0.5f, font.glyphs[int('A')].width);
    EXPECT_FLOAT_EQ(0.125f, font.glyphs[int('A')].topOffset);
    EXPECT_FLOAT_EQ(1.0f, font.glyphs[255].vBottom);

    // A file one byte short, or none at all, leaves the font as it was.
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size() - 1));
    }
    CFont shortFont{CRefPtr<CTexture>()};
    EXPECT_EQ(0, shortFont.Load(path.c_str()));
    EXPECT_FLOAT_EQ(0.0f, shortFont.GetBaseSize());

    // A number that is no size (not a number, infinite, absurdly large) refuses the file.
    const struct
    {
        size_t offset;
        float value;
    } damaged[] = {{20, std::nanf("")},
                   {24 + 48 * 'A' + 0, std::numeric_limits<float>::infinity()},
                   {24 + 48 * 255 + 44, -1.0e30f},
                   {16, 3.0e7f}};
    for (const auto& d : damaged)
    {
        SCOPED_TRACE(d.offset);
        std::vector<uint8_t> bad = bytes;
        std::memcpy(bad.data() + d.offset, &d.value, 4);
        {
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bad.data()), std::streamsize(bad.size()));
        }
        CFont badFont{CRefPtr<CTexture>()};
        EXPECT_EQ(0, badFont.Load(path.c_str()));
        EXPECT_FLOAT_EQ(0.0f, badFont.GetBaseSize());
    }
    std::filesystem::remove(path);
    EXPECT_EQ(0, shortFont.Load(path.c_str()));
}

// The fonts the generator ships: full-size tables whose glyphs sit inside
// their pictures, with the Latin and Cyrillic letters of code page 1251.
TEST(FontFile, ShippedFontsCoverCodePage1251)
{
    for (const char* name : {"Font", "FontSmall", "FontTitle"})
    {
        SCOPED_TRACE(name);
        const std::string base = std::string(ORB_GAME_DIR) + "/Data/Fonts/" + name;
        if (!std::filesystem::exists(base + ".kfd"))
            GTEST_SKIP() << "the game data is not generated in this build";
        EXPECT_TRUE(std::filesystem::exists(base + ".tga"));
        CFont font{CRefPtr<CTexture>()};
        ASSERT_EQ(1, font.Load((base + ".kfd").c_str()));
        EXPECT_GT(font.GetBaseSize(), 0.0f);
        EXPECT_GT(font.spaceAdvance, 0.0f);
        for (int c : {int('A'), int('z'), int('0'), int('?'), 0xA8, 0xB8, 0xC0, 0xDF, 0xE0, 0xFF})
        {
            const CGlyph& g = font.glyphs[c];
            EXPECT_GT(g.width, 0.0f) << c;
            EXPECT_GT(g.advance, 0.0f) << c;
            EXPECT_GE(g.uLeft, 0.0f);
            EXPECT_LE(g.uRight, 1.0f);
            EXPECT_LT(g.uLeft, g.uRight);
            EXPECT_LT(g.vTop, g.vBottom);
            EXPECT_LE(g.vBottom, 1.0f);
        }
    }
}

TEST(TextLayout, EmptyStringIsOneBlank)
{
    CText text = MakeText("");
    EXPECT_EQ(" ", text.text);
    ASSERT_EQ(1u, text.characters.size());
    EXPECT_EQ(uint32_t(' '), text.characters[0].code);
}

TEST(TextLayout, LinesStepDownByTheLineSpacing)
{
    CText text = MakeText("A\nB", kAlignLeft, 2.0f);
    ASSERT_EQ(2u, text.characters.size());
    EXPECT_FLOAT_EQ(2.0f, text.characters[0].position.x);
    EXPECT_FLOAT_EQ(0.0f, text.characters[0].position.y);
    EXPECT_FLOAT_EQ(2.0f, text.characters[1].position.x);
    EXPECT_FLOAT_EQ(-3.0f, text.characters[1].position.y);
    EXPECT_FLOAT_EQ(-6.0f, text.height);
    EXPECT_FLOAT_EQ(20.0f, text.width);
    EXPECT_FLOAT_EQ(2.0f, text.characters[1].basis.scaledY.y);
}

TEST(TextLayout, AlignmentPlacesTheLines)
{
    struct Case { const char* name; const char* s; int alignment; std::vector<float> xs; float left, width; } cases[] = {
        {"left", "AB", kAlignLeft, {1, 11}, 0, 20},
        {"right ends at the origin", "ABCDEFGHIJ", kAlignRight, {-99, -89, -79, -69, -59, -49, -39, -29, -19, -9}, -100, 100},
        {"centred", "ABCD", kAlignCentre, {-19, -9, 1, 11}, -20, 20},
        {"widest centred line", "AB\nABCD", kAlignCentre, {-9, 1, -19, -9, 1, 11}, -20, 20},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CText text = MakeText(c.s, c.alignment);
        EXPECT_EQ(c.xs, Xs(text));
        EXPECT_FLOAT_EQ(c.left, text.leftExtent);
        EXPECT_FLOAT_EQ(c.width, text.width);
        EXPECT_FLOAT_EQ(0.0f, text.topExtent);
    }
}

// A broken line is stretched to the box; the paragraph's last line is not.
TEST(TextLayout, JustifiedLinesFillTheBox)
{
    CText text(BoxFont());
    text.alignment = kAlignJustify;
    text.wrapWidth = 60;
    text.SetString("AB CD\vEF GH");
    EXPECT_EQ((std::vector<float>{1, 11, 21, 41, 51, 1, 11, 21, 26, 36}), Xs(text));
    EXPECT_FLOAT_EQ(60.0f, text.width);

    // Too long for the box: normal blanks, and the width is the ink.
    text.wrapWidth = 30;
    text.Relayout();
    EXPECT_EQ((std::vector<float>{1, 11, 21, 26, 36, 1, 11, 21, 26, 36}), Xs(text));
    EXPECT_FLOAT_EQ(40.0f, text.width);
}

TEST(TextLayout, SpacingFixedCellsAndSnapping)
{
    CText spaced(BoxFont());
    spaced.letterSpacing = 2;
    spaced.SetString("AB C");
    EXPECT_EQ((std::vector<float>{1, 13, 25, 32}), Xs(spaced));

    CText fixed(BoxFont());
    fixed.fixedWidth = 1;
    fixed.SetFontScale(0.5f, 0.5f);
    fixed.SetString("AB C");
    EXPECT_EQ((std::vector<float>{1, 7, 13, 19}), Xs(fixed));

    CText snapped(BoxFont());
    snapped.alignment = kAlignCentre;
    snapped.lineSpacing = 1.4f;
    snapped.SetReferenceSize(3, 1);
    snapped.SetString("ABCD\nA\nA");
    EXPECT_FLOAT_EQ(-17.0f, snapped.characters[0].position.x); // start -18: whole units of 3
    EXPECT_FLOAT_EQ(-1.0f, snapped.characters[4].position.y);
    EXPECT_FLOAT_EQ(-2.0f, snapped.characters[5].position.y); // 1.4 + 1.4 with the remainder carried
}

TEST(TextLayout, WrapBreaksAtBlanksAndCutsLongWords)
{
    struct Case { const char* in; float wrap; const char* out; } cases[] = {
        {"AB CD EF", 35, "AB\vCD\vEF"},
        {"ABC DEF", 30, "ABC\vDEF"},
        {"ABCDEFGH", 35, "ABC\vDEF\vGH"},
        {"AB\nCD EF", 50, "AB\nCD EF"},
        {"AB CD", 100, "AB CD"},
        {"A BCDEFG", 35, "A\vBCD\vEFG"},
    };
    CText text(BoxFont());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.in);
        text.wrapWidth = c.wrap;
        std::string out;
        text.WrapText(c.in, out, 0);
        EXPECT_EQ(c.out, out);
    }
}

TEST(TextAnimation, FlightFadesOutAndEnds)
{
    CText text = MakeText("AB");
    text.flying = 1;
    text.velocity = {10, 0, 0};
    struct Step { float dt; int result; float alpha; } steps[] = {
        {1.0f, 1, 1.0f}, {0.25f, 1, 0.5f}, {0.25f, 1, 0.0f}, {0.25f, 0, 0.0f},
    };
    for (const Step& s : steps)
    {
        EXPECT_EQ(s.result, text.Animate(s.dt));
        EXPECT_FLOAT_EQ(s.alpha, text.alpha);
    }
    EXPECT_FLOAT_EQ(17.5f, text.position.x); // the last step still moves it
    EXPECT_EQ(0u, text.characters[0].colour >> 24);

    CText fadeInOut = MakeText("A");
    fadeInOut.flying = 1;
    fadeInOut.fadeRate = -2.0f;
    fadeInOut.lifetime = 3.0f;
    struct Probe { float dt; float alpha; } probes[] = {{0.5f, 0.0f}, {0.75f, 0.5f}, {0.75f, 1.0f}, {0.75f, 0.5f}};
    for (const Probe& p : probes)
    {
        EXPECT_EQ(1, fadeInOut.Animate(p.dt));
        EXPECT_FLOAT_EQ(p.alpha, fadeInOut.alpha);
    }
    EXPECT_EQ(0, fadeInOut.Animate(0.25f));
}

TEST(TextColours, PlainPremultipliedFlyingAndPulsing)
{
    CText text = MakeText("AB");
    text.colour = 0x80FF8040;
    text.alphaFactor = 0.5f;
    text.UpdateColors();
    EXPECT_EQ(0x40FF8040u, text.characters[1].colour);
    text.destBlend = 4;
    text.UpdateColors();
    EXPECT_EQ(0x40402010u, text.characters[1].colour);

    CText flying = MakeText("A");
    flying.flying = 1;
    flying.alpha = 0.5f;
    flying.UpdateColors();
    EXPECT_EQ(0x7FFFFFFFu, flying.characters[0].colour);

    CText pulsing = MakeText("ABC");
    pulsing.pulsing = 1;
    pulsing.phaseStep = 3.1415927f;
    pulsing.UpdateColors();
    EXPECT_EQ(0xFFFFFFFFu, pulsing.characters[0].colour);
    EXPECT_EQ(0xFFFF0000u, pulsing.characters[1].colour);
    EXPECT_EQ(0xFFFFFFFFu, pulsing.characters[2].colour);
    pulsing.Animate(1.0f); // half a turn later the colours swap
    EXPECT_EQ(0xFFFF0000u, pulsing.characters[0].colour);
}

class TextSetTest : public ::testing::Test
{
protected:
    CRefPtr<CText> Text(CRefPtr<CFont> font, const char* s, int layer = -1)
    {
        CRefPtr<CText> text(new CText(font));
        text->layer = layer;
        text->SetString(s);
        return text;
    }

    RecordingDevice rec;
};

TEST_F(TextSetTest, DrawsEachFontOnceAndOnlyTheTextsOfThePass)
{
    CRefPtr<CFont> f1 = BoxFont(rec.Texture("F1"));
    CRefPtr<CFont> f2 = BoxFont(rec.Texture("F2"));
    CTextSet set(rec.device, rec.vertexBuffer, rec.indexBuffer);
    CRefPtr<CText> first = set.Add(Text(f1, "A"));
    first->position = {100, 50, 7};
    first->SetFontScale(2, 2);
    set.Add(Text(f2, "BB"));
    set.Add(Text(f1, "CCC"));
    set.Add(Text(f1, "DDDD", 5));
    set.Add(Text(f1, "EEEEE"))->visible = 0;
    rec.ClearCalls();

    set.Draw(-1);
    const std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(3u, draws.size());
    EXPECT_EQ(4u, draws[0].vertexCount);
    EXPECT_EQ(12u, draws[1].vertexCount);
    EXPECT_EQ(8u, draws[2].vertexCount);
    EXPECT_EQ(2, rec.Calls("SetTexture", "0, texture"));

    // The quad of a glyph box: 1 right of the pen, 2 below it, 8 by 12, scaled by 2.
    const float corners[4][4] = {{102, 46, 0.25f, 0.5f}, {118, 46, 0.75f, 0.5f}, {118, 22, 0.75f, 1.0f},
                                 {102, 22, 0.25f, 1.0f}};
    for (int i = 0; i < 4; ++i)
    {
        const CVertex& v = draws[0].vertices[size_t(i)];
        EXPECT_FLOAT_EQ(corners[i][0], v.x);
        EXPECT_FLOAT_EQ(corners[i][1], v.y);
        EXPECT_FLOAT_EQ(7.0f, v.z);
        EXPECT_FLOAT_EQ(corners[i][2], v.u);
        EXPECT_FLOAT_EQ(corners[i][3], v.v);
        EXPECT_EQ(0xFFFFFFFFu, v.colour);
    }
    for (const RecordedDraw& d : draws)
    {
        EXPECT_EQ(d.minIndex, d.indices[0]);
        EXPECT_EQ(1, d.State(D3DRS_ALPHATESTENABLE));
        EXPECT_EQ(0, d.State(D3DRS_ALPHAREF));
        EXPECT_EQ(1, d.State(D3DRS_ALPHABLENDENABLE));
    }

    rec.ClearCalls();
    set.Draw(5);
    ASSERT_EQ(1u, rec.Draws().size());
    EXPECT_EQ(16u, rec.Draws()[0].vertexCount);
}

// Inside a frame each pass draws from the texts sorted once by pass: the same draws in
// the same order as a walk over every text, the first walk taking the font of the set's
// first text even when that text is in another pass.
TEST_F(TextSetTest, AFrameDrawsEachPassAsTheWalkOverEveryTextDoes)
{
    CRefPtr<CFont> f1 = BoxFont(rec.Texture("F1"));
    CRefPtr<CFont> f2 = BoxFont(rec.Texture("F2"));
    CTextSet set(rec.device, rec.vertexBuffer, rec.indexBuffer);
    set.Add(Text(f1, "A", 3));
    set.Add(Text(f2, "BB", 7));
    set.Add(Text(f1, "CCC", 7));
    set.Add(Text(f2, "DDDD", 7));
    set.Add(Text(f1, "EEEEE", 7))->visible = 0;
    set.Add(Text(f1, "FFFFFF", 3));
    auto counts = [&](bool framed, int pass) {
        rec.ClearCalls();
        if (framed)
            set.BeginFrame();
        set.Draw(pass);
        set.EndFrame();
        std::vector<UINT> out;
        for (const RecordedDraw& d : rec.Draws())
            out.push_back(d.vertexCount);
        return out;
    };
    for (int pass : {3, 7, 9})
        EXPECT_EQ(counts(false, pass), counts(true, pass)) << "pass " << pass;
    EXPECT_EQ((std::vector<UINT>{12, 8, 16}), counts(true, 7));
    EXPECT_EQ((std::vector<UINT>{4, 24}), counts(true, 3));
}

// Texts come and go between frames whatever the last pass drew: removing every text
// after a pass that drew none, then adding and drawing again, stays in bounds.
TEST_F(TextSetTest, TextsComeAndGoAfterAPassThatDrewNone)
{
    CRefPtr<CFont> font = BoxFont(rec.Texture("F"));
    CTextSet set(rec.device, rec.vertexBuffer, rec.indexBuffer);
    CRefPtr<CText> a = set.Add(Text(font, "A", 3));
    CRefPtr<CText> b = set.Add(Text(font, "BB", 3));
    set.Draw(9);
    set.Remove(a);
    set.Remove(b);
    for (int i = 0; i < 40; ++i)
        set.Add(Text(font, "CCC", 3));
    rec.ClearCalls();
    set.Draw(3);
    UINT vertices = 0;
    for (const RecordedDraw& d : rec.Draws())
        vertices += d.vertexCount;
    EXPECT_EQ(40u * 12u, vertices);
}

// With fog on, texts that add to the picture draw with a black fog colour.
TEST_F(TextSetTest, AdditiveTextsDrawWithoutFogColour)
{
    CRefPtr<CFont> font = BoxFont(rec.Texture("F"));
    CTextSet set(rec.device, rec.vertexBuffer, rec.indexBuffer);
    set.Add(Text(font, "A"));
    set.Add(Text(font, "B"))->destBlend = D3DBLEND_ONE;
    CRefPtr<CText> opaque = set.Add(Text(font, "C"));
    opaque->blended = 0;
    rec.device->SetRenderState(D3DRS_FOGENABLE, 1);
    rec.device->SetRenderState(D3DRS_FOGCOLOR, 0x123456);
    rec.ClearCalls();

    set.Draw(-1);
    const std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(3u, draws.size());
    EXPECT_EQ(0x123456, draws[0].State(D3DRS_FOGCOLOR));
    EXPECT_EQ(0, draws[1].State(D3DRS_FOGCOLOR));
    EXPECT_EQ(D3DBLEND_ONE, draws[1].State(D3DRS_DESTBLEND));
    EXPECT_EQ(0, draws[2].State(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(0x123456u, rec.device->renderState[D3DRS_FOGCOLOR]);

    // A failed lock ends the draw with nothing drawn and no buffer left locked.
    rec.indexBuffer->ReleaseBuffer();
    rec.ClearCalls();
    set.Draw(-1);
    EXPECT_EQ(0, rec.Calls("DrawIndexedPrimitive"));
    EXPECT_EQ(0x123456u, rec.device->renderState[D3DRS_FOGCOLOR]);
    EXPECT_EQ(0, rec.vertexBuffer->locks);
}

TEST_F(TextSetTest, FinishedFlightsLeaveTheSet)
{
    CRefPtr<CFont> font = BoxFont();
    CTextSet set(rec.device, rec.vertexBuffer, rec.indexBuffer);
    CRefPtr<CText> shortFlight = set.Add(Text(font, "A"));
    shortFlight->flying = 1;
    shortFlight->lifetime = 0.5f;
    CRefPtr<CText> longFlight = set.Add(Text(font, "B"));
    longFlight->flying = 1;
    CRefPtr<CText> hidden = set.Add(Text(font, "C"));
    hidden->flying = 1;
    hidden->lifetime = 0.5f;
    hidden->visible = 0; // hidden texts do not animate
    CRefPtr<CText> still = set.Add(Text(font, "D"));

    set.Update(0.6f);
    ASSERT_EQ(3u, set.texts.size());
    EXPECT_EQ(longFlight.Get(), set.texts[0].Get());

    set.Remove(hidden);
    set.Remove(hidden);
    ASSERT_EQ(2u, set.texts.size());
    EXPECT_EQ(still.Get(), set.texts[1].Get());
}

} // namespace
