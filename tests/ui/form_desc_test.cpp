// The form description reader: every statement and property, the colour
// syntaxes, the scaling to the virtual screen, the checks, the id table and
// the texture look-up, with each message and its line number.
#include "ui/FormDesc.h"

#include "engine/StringTable.h"
#include "engine/Tokenizer.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

using namespace ui_test;

namespace {

const float kEps = 1e-4f;

// Reads a file's text only (no checks, no scaling).
bool ReadText(CFormDesc& desc, const std::string& text)
{
    return desc.Read(TempForm(text).c_str());
}

void ExpectFloats(const float* actual, std::initializer_list<float> expected, const char* what)
{
    int i = 0;
    for (float e : expected)
    {
        EXPECT_NEAR(e, actual[i], kEps) << what << "[" << i << "]";
        ++i;
    }
}

} // namespace

TEST(FormFileReader, ReadsEveryStatementAndProperty)
{
    CFormDesc d;
    ASSERT_TRUE(d.Read(Fixture("form_every_keyword.kmf").c_str())) << d.errorText;

    EXPECT_FLOAT_EQ(800.0f, d.screenWidth);
    ASSERT_EQ(4u, d.idNames.size());
    EXPECT_EQ("ID_OK", d.idNames[0]);
    EXPECT_EQ("\"Quoted\"", d.idNames[2]); // stored with its quotes
    EXPECT_EQ(231, d.idValues[3]);
    ExpectFloats(d.position, {100, 50, 0.25f}, "form position");
    ExpectFloats(d.size, {400, 300}, "form size");
    EXPECT_EQ(0x7FFF8000u, d.colour);
    EXPECT_EQ(1, d.hasTiling);
    EXPECT_EQ("FrameCorners", d.cornersTexture);
    EXPECT_EQ("FrameSides", d.sidesTexture);
    EXPECT_EQ("FrameBack", d.backgroundTexture);
    ExpectFloats(d.hTile, {64, 32}, "HTILE");
    ExpectFloats(d.vTile, {24, 48}, "VTILE");
    ASSERT_EQ(5u, d.elements.size());

    const CFormElementDesc& s = *d.elements[0];
    EXPECT_EQ(kElementStatic, s.type);
    EXPECT_EQ("", s.idName);
    ExpectFloats(s.position, {10, 20, 0.5f}, "static position");
    ExpectFloats(s.size, {100, 40}, "static size");
    EXPECT_EQ(-2, s.zOrder);
    EXPECT_EQ("Hello world\nsecond line", s.text);
    EXPECT_EQ(1, s.hasText);
    EXPECT_EQ(0xFF102030u, s.textColour);
    ExpectFloats(s.textOffset, {4, -6, 0.01f}, "NOTESHIFT");
    ExpectFloats(s.charScale, {1.5f, 0.75f}, "CHARSIZE");
    EXPECT_EQ(2, s.alignment);
    EXPECT_EQ(1, s.hasSpecialWidth);
    EXPECT_FLOAT_EQ(80.0f, s.specialWidth);
    EXPECT_EQ(1, s.hasShadow);
    ExpectFloats(s.shadowOffset, {3, -3}, "TEXTSHADOWSHIFT");
    EXPECT_EQ(0xFF000000u, s.shadowColour);
    EXPECT_FLOAT_EQ(1.25f, s.interval);
    EXPECT_EQ(2, s.font);
    EXPECT_EQ("Panel", s.textureName);
    ExpectFloats(s.textureSize, {512, 256}, "TEXTURESIZE");
    EXPECT_EQ(0x80FFFFFFu, s.colour);
    EXPECT_EQ(1, s.blendMode);
    EXPECT_EQ(1, s.states[kStateNormal].defined);
    ExpectFloats(s.states[kStateNormal].texels, {0, 0, 256, 0, 256, 128, 0, 128}, "NORMAL texels");
    EXPECT_EQ(1, s.hasPicture);
    ExpectFloats(s.picturePosition, {5, 5, 0.002f}, "PICTURE");
    ExpectFloats(s.pictureSize, {100, 40}, "picture size taken from SIZE");
    EXPECT_EQ(0, s.hasInterrupt);
    EXPECT_EQ(-1, s.interrupt);

    const CFormElementDesc& b = *d.elements[1];
    EXPECT_EQ(kElementButton, b.type);
    EXPECT_EQ("ID_OK", b.idName);
    EXPECT_EQ(1, b.hasInterrupt);
    EXPECT_EQ(5, b.interrupt);
    EXPECT_EQ(1, b.hasShadow);
    EXPECT_EQ(3, b.blendMode);
    for (int i = 0; i < kStateCount; ++i)
        EXPECT_EQ(i <= kStateDisabled ? 1 : 0, b.states[size_t(i)].defined) << "button state " << i;
    EXPECT_EQ(0, b.states[kStateNormal].hasTextColour);
    EXPECT_EQ(0xFFFF0000u, b.states[kStatePressed].textColour);
    EXPECT_EQ(0xFF00FF00u, b.states[kStateOver].textColour);
    EXPECT_EQ(0x80808080u, b.states[kStateDisabled].textColour);
    EXPECT_EQ(1, b.states[kStateDisabled].hasTextColour);

    const CFormElementDesc& c = *d.elements[2];
    EXPECT_EQ(kElementCheckbox, c.type);
    EXPECT_EQ("\"Quoted\"", c.idName);
    EXPECT_EQ(1, c.states[kStateOverPressed].defined);
    EXPECT_EQ(1, c.states[kStatePressedDisabled].defined);
    EXPECT_EQ(0, c.states[kStatePressed].defined);
    EXPECT_EQ(0xFF0000FFu, c.states[kStateOverPressed].textColour);
    EXPECT_EQ(0xFF00FFFFu, c.states[kStatePressedDisabled].textColour);
    EXPECT_EQ(1, c.alignment);
    EXPECT_EQ(1, c.hasText); // ALIGNMENT alone marks a text

    const CFormElementDesc& sc = *d.elements[3];
    EXPECT_EQ(kElementScroller, sc.type);
    ExpectFloats(sc.scrollerSize, {16, 24}, "SCROLLERSIZE");
    ExpectFloats(sc.centreShift, {4, -2}, "CENTERSHIFT");
    EXPECT_FLOAT_EQ(0.75f, sc.widthFactor);
    EXPECT_EQ(0, sc.horizontal);
    EXPECT_EQ(2, sc.blendMode);
    EXPECT_EQ(1, sc.states[kStateScroller].defined);
    EXPECT_EQ(0x40404040u, sc.states[kStateDisabled].textColour);
    EXPECT_EQ(0, sc.hasText);

    const CFormElementDesc& p = *d.elements[4];
    EXPECT_EQ(kElementProgressbar, p.type);
    EXPECT_EQ(0, p.horizontal);
    EXPECT_EQ(1, p.states[kStateProgress].defined);
    EXPECT_EQ(1, p.hasPicture);
    ExpectFloats(p.pictureSize, {30, 10}, "PICTURESIZE");
    EXPECT_EQ(3, p.alignment);
}

TEST(FormFileReader, LoadScalesFromTheDesignScreenAndResolvesIds)
{
    RecDevice rec;
    std::vector<CRefPtr<CTexture>> textures;
    for (const char* name : {"FrameCorners", "FrameSides", "FrameBack", "Panel", "Buttons", "Slider", "Bar"})
        textures.push_back(rec.Texture(name));

    CFormDesc d;
    ASSERT_TRUE(d.Load(Fixture("form_every_keyword.kmf").c_str(), rec.device, -512.0f, 384.0f)) << d.errorText;

    // 1024 / 800 = 1.28 on every length; the form's centre, y up.
    ExpectFloats(d.scaledSize, {512, 384}, "form size");
    ExpectFloats(d.scaledPosition, {-128, 128, 0.25f}, "form centre");
    ExpectFloats(d.scaledTiles, {81.92f, 40.96f, 30.72f, 61.44f}, "tiles");

    // Element centres are relative to the form's centre.
    const CFormElementDesc& s = *d.elements[0];
    ExpectFloats(s.scaledSize, {128, 51.2f}, "static size");
    ExpectFloats(s.scaledPosition, {-179.2f, 140.8f, 0.5f}, "static centre");
    ExpectFloats(s.scaledTextOffset, {5.12f, -7.68f, 0.01f}, "text offset");
    EXPECT_NEAR(102.4f, s.scaledSpecialWidth, kEps);
    ExpectFloats(s.scaledShadowOffset, {3.84f, -3.84f}, "shadow offset");
    ExpectFloats(s.scaledPictureSize, {128, 51.2f}, "picture size");
    ExpectFloats(s.scaledPictureOffset, {6.4f, -6.4f, 0.002f}, "picture offset");
    ExpectFloats(s.states[kStateNormal].uv, {0, 0, 0.5f, 0, 0.5f, 0.5f, 0, 0.5f}, "NORMAL uv on 512 x 256");
    // Not scaled: character scale, interval, z-order offset.
    ExpectFloats(s.charScale, {1.5f, 0.75f}, "CHARSIZE");
    EXPECT_FLOAT_EQ(1.25f, s.interval);

    const CFormElementDesc& b = *d.elements[1];
    ExpectFloats(b.scaledPosition, {-256 + 192 + 76.8f, 192 - 256 - 30.72f, 0}, "button centre");
    ExpectFloats(b.states[kStatePressed].uv, {0, 0.25f, 0.5f, 0.25f, 0.5f, 0.5f, 0, 0.5f}, "PRESSED uv");
    // Shadow defaults are scaled too: (2, -2) design units.
    ExpectFloats(b.scaledShadowOffset, {2.56f, -2.56f}, "default shadow offset");

    const CFormElementDesc& sc = *d.elements[3];
    ExpectFloats(sc.scaledScrollerSize, {20.48f, 30.72f}, "scroller size");
    ExpectFloats(sc.scaledCentreShift, {5.12f, -2.56f}, "centre shift");
    ExpectFloats(sc.states[kStateScroller].uv, {0, 0.5f, 0.125f, 0.5f, 0.125f, 1, 0, 1}, "thumb uv on 256 x 64");

    const CFormElementDesc& p = *d.elements[4];
    ExpectFloats(p.scaledPictureSize, {38.4f, 12.8f}, "PICTURESIZE");
    ExpectFloats(p.scaledPictureOffset, {19.2f, -6.4f, 0}, "picture offset of a 0-size element");

    // Ids: the first DEFINE of a name wins; quoted names match quoted ids.
    EXPECT_EQ(0, s.id);
    EXPECT_EQ(7, b.id);
    EXPECT_EQ(12, d.elements[2]->id);
    EXPECT_EQ(231, sc.id);
}

TEST(FormFileReader, ColourSyntaxes)
{
    struct Case
    {
        const char* written;
        uint32_t colour;
        const char* error; // nullptr: the colour reads
    } cases[] = {
        {"FFFF0000", 0xFFFF0000u, nullptr},
        {"FF0000", 0x00FF0000u, nullptr}, // six digits: fully transparent red
        {"ff00ff00", 0xFF00FF00u, nullptr},
        {"12345678AB", 0x12345678u, nullptr}, // eight digits at most
        {"FFGG0000", 0xFF000000u, nullptr},   // a letter that is no digit counts as 0
        {"(255, 0, 0, 255)", 0xFFFF0000u, nullptr},
        {"(255 0 0 255)", 0xFFFF0000u, nullptr},
        {"(100% 0 0 100%)", 0xFFFF0000u, nullptr},
        {"(50%, 0, 0, 255)", 0xFF7F0000u, nullptr},
        {"(300, -5, 0, 255)", 0xFFFF0000u, nullptr},
        {"(250%, 1, 2, 3)", 0x03FF0102u, nullptr},
        {"(10,20,30,40)", 0x280A141Eu, nullptr},
        {"(255, 0, 0)\n\nSIZE 1 1", 0, "Wrong color, line 4"},
        {"(1 2 3 4 5)", 0, "Wrong color, line 2"},
        {"(1 2", 0, "Wrong color, line 3"}, // the end of the file inside a colour
        {"0xFF00FF00", 0, "Unexpected token \"XFF00FF00\", line 2"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.written);
        CFormDesc d;
        const bool ok = ReadText(d, std::string("# colours\nCOLOR ") + c.written + "\n");
        if (c.error)
        {
            EXPECT_FALSE(ok);
            EXPECT_EQ(c.error, d.errorText);
        }
        else
        {
            EXPECT_TRUE(ok) << d.errorText;
            EXPECT_EQ(c.colour, d.colour);
        }
    }
}

TEST(FormFileReader, MessagesNameTheTokenAndItsLine)
{
    struct Case
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"SIZE 1 1\nBOGUS 3\n", "Unexpected token \"BOGUS\", line 2"},
        {"\n\nelement STATIC { position 1 2 3 wobble }", "Unexpected token \"WOBBLE\", line 3"},
        {"ELEMENT LABEL { }", "Unexpected token \"LABEL\", line 1"},
        {"ELEMENT STATIC ID a ( }", "Unexpected token \"(\", line 1"},
        {"ELEMENT STATIC\n{\nSTATE PRESSED 0 0 1 0 1 1 0 1 }", "Unexpected token \"PRESSED\", line 3"},
        {"ELEMENT BUTTON {\nSCROLLERSIZE 1 1 }", "Unexpected token \"SCROLLERSIZE\", line 2"},
        {"ELEMENT BUTTON { TEXTSTATE NORMAL FFFFFFFF }", "Unexpected token \"NORMAL\", line 1"},
        {"ELEMENT CHECKBOX { VERTICAL }", "Unexpected token \"VERTICAL\", line 1"},
        {"ELEMENT SCROLLER { TEXTSTATE SCROLLER FFFFFFFF }", "Unexpected token \"SCROLLER\", line 1"},
        {"ELEMENT PROGRESSBAR { STATE OVER 0 0 1 0 1 1 0 1 }", "Unexpected token \"OVER\", line 1"},
        {"ELEMENT STATIC { ALIGNMENT MIDDLE }", "Unexpected token \"MIDDLE\", line 1"},
        {"ELEMENT STATIC { FILTER blur }", "Unexpected token \"BLUR\", line 1"},
        {"TILING\n[ }", "Unexpected token \"[\", line 2"},
        {"ELEMENT STATIC { TEXTCOLOR ( 1 2 ) }\nSIZE 1 1 }", "Wrong color, line 2"},
        {"ELEMENT STATIC { POSITION 1 2", "Unexpected end of file"},
        {"ELEMENT STATIC {\n", "Unexpected end of file"},
        {"TILING { CORNERS a", "Unexpected end of file"},
        {"SIZE 3", "Unexpected end of file"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        CFormDesc d;
        EXPECT_FALSE(ReadText(d, c.text));
        EXPECT_EQ(c.error, d.errorText);
    }
}

TEST(FormFileReader, AFailureKeepsWhatWasReadBefore)
{
    CFormDesc d;
    EXPECT_FALSE(ReadText(d, "DEFINE A 1\nELEMENT STATIC { TEXT \"kept\" }\nSIZE 5 6\n"
                             "ELEMENT BUTTON { SIZE 1 1 junk }\nSIZE 9 9\n"));
    EXPECT_EQ("Unexpected token \"JUNK\", line 4", d.errorText);
    ASSERT_EQ(1u, d.elements.size()); // the failing element is not appended
    EXPECT_EQ("kept", d.elements[0]->text);
    ExpectFloats(d.size, {5, 6}, "size before the failure");
    EXPECT_EQ(1u, d.idNames.size());

    // A second file read into the same description adds to it.
    EXPECT_TRUE(ReadText(d, "ELEMENT STATIC { }"));
    EXPECT_EQ(2u, d.elements.size());
}

TEST(FormFileReader, EmptyAndMissingFiles)
{
    RecDevice rec;
    CFormDesc empty;
    EXPECT_TRUE(empty.Load(TempForm("").c_str(), rec.device, -512.0f, 384.0f)) << empty.errorText;
    EXPECT_TRUE(empty.elements.empty());
    EXPECT_EQ(0, empty.hasTiling);
    ExpectFloats(empty.scaledSize, {0, 0}, "size");

    CFormDesc missing;
    const std::string path = ::testing::TempDir() + "no_such_form.kmf";
    EXPECT_FALSE(missing.Load(path.c_str(), rec.device, -512.0f, 384.0f));
    EXPECT_EQ("Unable to open file " + path, missing.errorText);
}

TEST(FormFileReader, TextsFromQuotesAndTheStringTable)
{
    const std::string strings = TempForm("STRINGS\nKMF\nCaptionPlay \"Play the quest\"\n", "ui_strings.txt");
    const std::string ids = TempForm("", "ui_ids.dat");
    LoadStringTable(strings.c_str(), ids.c_str());

    struct Case
    {
        const char* props;
        const char* text;
    } cases[] = {
        {"TEXT \"one\" TEXT \"two\"", "one\ntwo"},
        {"TEXT CaptionPlay", "Play the quest"},
        {"TEXT NoSuchName", "NoSuchName"},
        {"TEXT \"\" TEXT \"b\"", "b"}, // an empty first line leaves nothing to join
        {"TEXT \"a \\n b\"", "a \\n b"}, // no escapes
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.props);
        CFormDesc d;
        ASSERT_TRUE(ReadText(d, std::string("ELEMENT STATIC { ") + c.props + " }")) << d.errorText;
        EXPECT_EQ(c.text, d.elements[0]->text);
        EXPECT_EQ(1, d.elements[0]->hasText);
    }
}

TEST(FormFileReader, ChecksOfTheDescription)
{
    RecDevice rec;
    CRefPtr<CTexture> a = rec.Texture("Tex"), b = rec.Texture("Corners");
    struct Case
    {
        const char* text;
        const char* error; // nullptr: loads
    } cases[] = {
        {"ELEMENT STATIC { TEXT \"x\" POSITION 1 2 3 }", nullptr},
        {"ELEMENT STATIC { TEXTURE Tex }", "Normal state not found"},
        {"ELEMENT BUTTON { TEXTURE Tex STATE OVER 0 0 1 0 1 1 0 1 }", "Normal state not found"},
        {"ELEMENT BUTTON { STATE OVER 0 0 1 0 1 1 0 1 }", "Normal state not found"},
        {"ELEMENT SCROLLER { }", "Normal state not found"},
        {"ELEMENT PROGRESSBAR { }", "Normal state not found"},
        {"ELEMENT STATIC { STATE NORMAL 0 0 1 0 1 1 0 1 }", "Texture name not set"},
        {"ELEMENT SCROLLER { TEXTURE Tex STATE NORMAL 0 0 1 0 1 1 0 1 }", "Scroller state not found"},
        {"ELEMENT PROGRESSBAR { TEXTURE Tex STATE NORMAL 0 0 1 0 1 1 0 1 }", "Progress state not found"},
        {"TILING { CORNERS Corners SIDES Tex }", "Not all tiling textures set"},
        {"SCREENWIDTH 0.5", "ScreenWidth is too small"},
        {"SCREENWIDTH 1", nullptr},
        // The checks run in order: tiling first, then elements, then the width.
        {"SCREENWIDTH 0 ELEMENT STATIC { TEXTURE Tex }", "Normal state not found"},
        {"DEFINE Ok 1 ELEMENT STATIC ID ok { }", "ID ok not found"},
        {"DEFINE \"Ok\" 1 ELEMENT STATIC ID Ok { }", "ID Ok not found"},
        {"ELEMENT STATIC { TEXTURE Nowhere STATE NORMAL 0 0 1 0 1 1 0 1 }", "Texture Nowhere not found"},
        {"TILING { CORNERS Corners SIDES Missing BACKGROUND Tex }", "Texture Missing not found"},
        // A texture named by an element without a picture is never looked up.
        {"ELEMENT STATIC { TEXT \"t\" }", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        CFormDesc d;
        const bool ok = d.Load(TempForm(c.text).c_str(), rec.device, -512.0f, 384.0f);
        if (c.error)
        {
            EXPECT_FALSE(ok);
            EXPECT_EQ(c.error, d.errorText);
        }
        else
            EXPECT_TRUE(ok) << d.errorText;
    }

    // Without a device every named texture is missing, and nothing crashes.
    CFormDesc noDevice;
    EXPECT_FALSE(noDevice.Load(TempForm("ELEMENT STATIC { TEXTURE Tex STATE NORMAL 0 0 1 0 1 1 0 1 }").c_str(),
                               CRefPtr<CDevice>(), -512.0f, 384.0f));
    EXPECT_EQ("Texture Tex not found", noDevice.errorText);
}

TEST(FormFileReader, PictureSizesAndTextureSizes)
{
    struct Case
    {
        const char* props;
        float pictureSize[2];
        float uv2[2]; // the NORMAL state's bottom-right corner
    } cases[] = {
        {"SIZE 40 20 PICTURE 0 0 0", {40, 20}, {1, 1}},
        {"PICTURE 0 0 0 SIZE 40 20", {0, 0}, {1, 1}},
        {"SIZE 40 20 PICTURESIZE 8 6 PICTURE 0 0 0", {8, 6}, {1, 1}},
        {"TEXTURESIZE 0 0", {0, 0}, {256, 256}}, // a size of 0 divides by 1
        {"TEXTURESIZE 128 0", {0, 0}, {2, 256}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.props);
        CFormDesc d;
        ASSERT_TRUE(ReadText(d, std::string("ELEMENT STATIC { ") + c.props +
                                    " STATE NORMAL 0 0 256 0 256 256 0 256 TEXTURE T }"))
            << d.errorText;
        d.Scale(-512.0f, 384.0f);
        const CFormElementDesc& e = *d.elements[0];
        ExpectFloats(e.pictureSize, {c.pictureSize[0], c.pictureSize[1]}, "picture size");
        ExpectFloats(e.states[0].uv + 4, {c.uv2[0], c.uv2[1]}, "uv");
    }
}

TEST(FormFileReader, ElementLayoutCanBeScaledAgain)
{
    // The interface edits a loaded element's file values and lays it out again.
    CFormElementDesc e;
    e.position[0] = 100;
    e.position[1] = 10;
    e.size[0] = 50;
    e.size[1] = 20;
    CFormLayout::Scale(e, 512.0f, -512.0f, 384.0f);
    ExpectFloats(e.scaledSize, {100, 40}, "size");
    ExpectFloats(e.scaledPosition, {-512 + 200 + 50, 384 - 20 - 20, 0}, "centre");
}
