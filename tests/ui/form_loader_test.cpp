// The form loader: a form and its widgets from a description, the stops at
// INTERRUPT elements, fonts, pictures, state frames in their order, the form's
// placement, and the failures that must be reported, never crash.
#include "ui/FormLoader.h"

#include "ui/KMButton.h"
#include "ui/KMCheckbox.h"
#include "ui/KMProgressbar.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace ui_test;

namespace {

struct LoaderRig
{
    LoaderRig()
    {
        for (const char* name : {"DemoCorners", "DemoSides", "DemoBack", "DemoWidgets", "Tex"})
            textures.push_back(rec.Texture(name));
        fonts = {BoxFont(CRefPtr<CTexture>(), 16), BoxFont(CRefPtr<CTexture>(), 24), BoxFont(CRefPtr<CTexture>(), 32)};
        spriteList = rec.SpriteList();
        textSet = rec.TextSet();
    }

    // Loads and creates the form; false with the message on failure.
    bool Build(CFormLoader& loader, const std::string& path, int depth = 3)
    {
        if (!loader.LoadForm(path.c_str(), -512.0f, 384.0f))
            return false;
        return loader.CreateForm(spriteList, textSet, fonts, depth) == 1;
    }

    // Every widget of the form, by CreateNextElement until it reports none.
    std::vector<CRefPtr<CKMWindow>> AllElements(CFormLoader& loader, std::vector<int>* interrupts = nullptr)
    {
        std::vector<CRefPtr<CKMWindow>> out;
        int more = 1;
        while (loader.CreateNextElement(&more) == 1 && more)
        {
            out.push_back(loader.lastWidget);
            if (interrupts)
                interrupts->push_back(loader.lastInterrupt);
        }
        return out;
    }

    RecDevice rec;
    std::vector<CRefPtr<CTexture>> textures;
    std::vector<CRefPtr<CFont>> fonts;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTextSet> textSet;
};

} // namespace

TEST(FormLoader, BuildsTheDemoFormStoppingAtEachInterrupt)
{
    LoaderRig rig;
    CFormLoader loader(rig.rec.device);
    ASSERT_TRUE(rig.Build(loader, Fixture("form_demo_widgets.kmf"))) << loader.errorText;

    CKMForm& form = *loader.form;
    EXPECT_EQ(3, form.depth);
    EXPECT_FLOAT_EQ(640.0f, form.baseSize.w);
    // The centre of the screen, shifted by half a design pixel.
    EXPECT_FLOAT_EQ(-0.5f, form.worldPosition.x);
    EXPECT_FLOAT_EQ(0.5f, form.worldPosition.y);
    ASSERT_EQ(9u, form.sprites.size()); // the tiled frame
    EXPECT_FLOAT_EQ(64.0f, form.tileValues[0]);
    EXPECT_TRUE(form.sprites[0]->texture.SameAs(rig.textures[0]));
    EXPECT_TRUE(form.sprites[8]->texture.SameAs(rig.textures[2]));

    struct Expected
    {
        int interrupt;
        int32_t type;
        int32_t id;
        size_t childrenBefore; // widgets attached when the call returns
    } expected[] = {
        {1, kWindowButton, 10, 2}, // the title static is built on the way
        {2, kWindowCheckbox, 4, 3},
        {3, kWindowScroller, 231, 5},
        {4, kWindowProgressbar, 0, 6},
    };
    for (const Expected& e : expected)
    {
        SCOPED_TRACE(e.interrupt);
        int more = -1;
        ASSERT_EQ(1, loader.CreateNextElement(&more));
        ASSERT_EQ(1, more);
        EXPECT_EQ(e.interrupt, loader.lastInterrupt);
        EXPECT_EQ(e.type, loader.lastWidget->type);
        EXPECT_EQ(e.id, loader.lastWidget->id);
        EXPECT_EQ(e.childrenBefore, form.children.size());
        EXPECT_TRUE(form.children.back().SameAs(loader.lastWidget));
    }
    int more = -1;
    EXPECT_EQ(1, loader.CreateNextElement(&more));
    EXPECT_EQ(0, more);
    more = -1;
    EXPECT_EQ(1, loader.CreateNextElement(&more)); // and it stays that way
    EXPECT_EQ(0, more);

    // The title: a shadowed caption scaled by the font (16 at a width of 1024).
    CKMStatic& title = dynamic_cast<CKMStatic&>(*form.children[0]);
    ASSERT_EQ(2u, title.texts.size());
    EXPECT_FLOAT_EQ(32.0f, title.MainText()->scaleX);
    EXPECT_EQ(0xFFFFD040u, title.MainText()->colour);
    EXPECT_EQ(kAlignCentre, title.MainText()->alignment);
    EXPECT_EQ("ORBLIGHT FORMS", title.MainText()->text);
    EXPECT_EQ(3, title.MainText()->layer);
    EXPECT_FLOAT_EQ(3.0f, title.shadowShift.x);
    EXPECT_FLOAT_EQ(0.0005f, title.shadowDepthShift);
    EXPECT_TRUE(title.sprites.empty()); // no NORMAL state, no picture

    // The button: its picture fills it, frames follow the file's states.
    CKMButton& button = dynamic_cast<CKMButton&>(*form.children[1]);
    ASSERT_EQ(1u, button.sprites.size());
    EXPECT_EQ(4, button.sprites[0]->FrameCount());
    EXPECT_EQ(1, button.pressedFrame);
    EXPECT_EQ(2, button.overFrame);
    EXPECT_EQ(3, button.disabledFrame);
    EXPECT_EQ(1, button.hasPressedColour);
    EXPECT_EQ(0xFFFFFF00u, button.pressedColour);
    EXPECT_EQ(0, button.hasOverColour);
    EXPECT_FLOAT_EQ(0.5f, button.sprites[0]->frames[1].u);      // NORMAL: texels 128 of 256
    EXPECT_FLOAT_EQ(48.0f / 256.0f, button.sprites[0]->frames[4].v); // PRESSED's first corner
    EXPECT_FLOAT_EQ(192.0f, button.sprites[0]->scaleX);
    // Centre: the form's centre plus the element's offset.
    EXPECT_FLOAT_EQ(-0.5f - 320 + 64 + 96, button.worldPosition.x);
    EXPECT_FLOAT_EQ(0.5f + 250 - 110 - 32, button.worldPosition.y);
    EXPECT_EQ("PLAY", button.MainText()->text);

    CKMScroller& scroller = dynamic_cast<CKMScroller&>(*form.children[4]);
    EXPECT_EQ(1, scroller.horizontal);
    EXPECT_FLOAT_EQ(0.9f, scroller.travelFactor);
    EXPECT_FLOAT_EQ(32.0f, scroller.thumbSize.w);
    ASSERT_EQ(2u, scroller.sprites.size());
    EXPECT_FLOAT_EQ(0.125f, scroller.sprites[1]->frames[1].u);
    EXPECT_TRUE(scroller.texts.empty());

    CKMProgressbar& bar = dynamic_cast<CKMProgressbar&>(*form.children[5]);
    EXPECT_FLOAT_EQ(224.0f / 256.0f, bar.fillRect[1]);
    EXPECT_FLOAT_EQ(208.0f / 256.0f, bar.emptyRect[1]);
}

TEST(FormLoader, ElementsWithoutInterruptAreBuiltInOneCall)
{
    LoaderRig rig;
    CFormLoader loader(rig.rec.device);
    ASSERT_TRUE(rig.Build(loader, TempForm("ELEMENT STATIC { TEXT \"a\" } ELEMENT STATIC { } "
                                           "ELEMENT STATIC { INTERRUPT 0 } ELEMENT STATIC { }")));
    int more = -1;
    EXPECT_EQ(1, loader.CreateNextElement(&more));
    EXPECT_EQ(1, more);
    EXPECT_EQ(0, loader.lastInterrupt);
    EXPECT_EQ(3u, loader.form->children.size());
    EXPECT_EQ(1, loader.CreateNextElement(&more));
    EXPECT_EQ(0, more);
    EXPECT_EQ(4u, loader.form->children.size());

    // A static without TEXT still gets its (empty) caption.
    CKMStatic& second = dynamic_cast<CKMStatic&>(*loader.form->children[1]);
    ASSERT_EQ(1u, second.texts.size());

    CFormLoader empty(rig.rec.device);
    ASSERT_TRUE(rig.Build(empty, TempForm("SIZE 10 10")));
    EXPECT_EQ(1, empty.CreateNextElement(&more));
    EXPECT_EQ(0, more);
}

TEST(FormLoader, FontSelection)
{
    struct Case
    {
        const char* font;
        size_t index;
    } cases[] = {{"0", 0}, {"-1", 0}, {"1", 1}, {"2", 2}, {"3", 0}, {"40", 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.font);
        LoaderRig rig;
        CFormLoader loader(rig.rec.device);
        ASSERT_TRUE(rig.Build(loader, TempForm(std::string("SCREENWIDTH 512 ELEMENT STATIC { CHARSIZE 0.5 4 "
                                                           "FONT ") +
                                               c.font + " INTERRUPT 1 }")));
        rig.AllElements(loader);
        CKMStatic& label = dynamic_cast<CKMStatic&>(*loader.lastWidget);
        EXPECT_TRUE(label.MainText()->font.SameAs(rig.fonts[c.index]));
        // Both character scales come from the first CHARSIZE value and the font's
        // size at twice the design width.
        const float scale = 0.5f * rig.fonts[c.index]->GetBaseSize() * 2.0f;
        EXPECT_FLOAT_EQ(scale, label.MainText()->scaleX);
        EXPECT_FLOAT_EQ(scale, label.MainText()->scaleY);
    }
}

TEST(FormLoader, PicturesAndColours)
{
    struct Case
    {
        const char* props;
        size_t sprites;
        float width;    // of the picture at scale 1
        float offsetX;  // of the picture from the widget's centre
        uint32_t colour; // of the picture
    } cases[] = {
        {"SIZE 40 20 COLOR 80FF0000 TEXTURE Tex STATE NORMAL 0 0 256 0 256 256 0 256", 1, 40, 0, 0x80FF0000u},
        {"SIZE 40 20 TEXTURE Tex STATE NORMAL 0 0 256 0 256 256 0 256 PICTURESIZE 10 4", 1, 10, -15, 0xFFFFFFFFu},
        {"SIZE 40 20 TEXTURE Tex STATE NORMAL 0 0 256 0 256 256 0 256 PICTURE 30 0 0", 1, 40, 30, 0xFFFFFFFFu},
        {"SIZE 40 20 COLOR 80FF0000 TEXT \"no picture\"", 0, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.props);
        LoaderRig rig;
        CFormLoader loader(rig.rec.device);
        ASSERT_TRUE(rig.Build(loader, TempForm(std::string("ELEMENT STATIC { ") + c.props + " INTERRUPT 1 }")))
            << loader.errorText;
        rig.AllElements(loader);
        CKMWindow& w = *loader.lastWidget;
        ASSERT_EQ(c.sprites, w.sprites.size());
        if (!c.sprites)
        {
            EXPECT_EQ(0xFFFFFFFFu, w.colour); // COLOR needs a picture
            continue;
        }
        EXPECT_FLOAT_EQ(c.width, w.spriteSizes[0].w);
        EXPECT_FLOAT_EQ(c.offsetX, w.spriteOffsets[0].x);
        EXPECT_EQ(c.colour, w.sprites[0]->colour);
        EXPECT_TRUE(w.sprites[0]->texture.SameAs(rig.textures[4]));
    }
}

TEST(FormLoader, CheckboxFramesFollowTheStatesOrder)
{
    LoaderRig rig;
    CFormLoader loader(rig.rec.device);
    // The states are written out of order; each one's u marks it.
    ASSERT_TRUE(rig.Build(loader, TempForm("ELEMENT CHECKBOX { TEXTURE Tex TEXTURESIZE 100 100\n"
                                           "STATE PRESSEDDISABLED 5 0 5 0 5 0 5 0\n"
                                           "STATE OVERPRESSED 4 0 4 0 4 0 4 0\n"
                                           "STATE DISABLED 3 0 3 0 3 0 3 0\n"
                                           "STATE OVER 2 0 2 0 2 0 2 0\n"
                                           "STATE PRESSED 1 0 1 0 1 0 1 0\n"
                                           "STATE NORMAL 0 0 0 0 0 0 0 0\n"
                                           "TEXTSTATE OVERPRESSED FF000001 TEXTSTATE PRESSEDDISABLED FF000002\n"
                                           "FILTER ADD INTERRUPT 7 }")))
        << loader.errorText;
    rig.AllElements(loader);
    CKMCheckbox& box = dynamic_cast<CKMCheckbox&>(*loader.lastWidget);
    const std::vector<CUV>& frames = box.sprites[0]->frames;
    ASSERT_EQ(24u, frames.size());
    for (size_t f = 0; f < 6; ++f)
        EXPECT_FLOAT_EQ(float(f) / 100.0f, frames[4 * f].u) << "frame " << f;
    EXPECT_EQ(1, box.pressedFrame);
    EXPECT_EQ(2, box.overFrame);
    EXPECT_EQ(3, box.disabledFrame);
    EXPECT_EQ(4, box.checkedOverFrame);
    EXPECT_EQ(5, box.checkedDisabledFrame);
    EXPECT_EQ(0xFF000001u, box.checkedOverColour);
    EXPECT_EQ(1, box.hasCheckedDisabledColour);
    EXPECT_EQ(0xFF000002u, box.checkedDisabledColour);
    EXPECT_EQ(0, box.hasPressedColour);
    EXPECT_EQ(2u, box.sprites[0]->destBlend); // ADD: SRCALPHA, ONE
}

TEST(FormLoader, FiltersOnEverySpriteOfScrollersAndBars)
{
    LoaderRig rig;
    CFormLoader loader(rig.rec.device);
    ASSERT_TRUE(rig.Build(loader, TempForm("ELEMENT SCROLLER { TEXTURE Tex STATE NORMAL 0 0 1 0 1 1 0 1 "
                                           "STATE SCROLLER 0 0 1 0 1 1 0 1 FILTER SCREEN VERTICAL "
                                           "CENTERSHIFT 10 -4 SCROLLERSIZE 8 8 INTERRUPT 1 }")))
        << loader.errorText;
    rig.AllElements(loader);
    CKMScroller& s = dynamic_cast<CKMScroller&>(*loader.lastWidget);
    ASSERT_EQ(2u, s.sprites.size());
    for (const CRefPtr<CSpriteShape>& sprite : s.sprites)
    {
        EXPECT_EQ(2u, sprite->srcBlend); // SCREEN: ONE, INVSRCCOLOR
        EXPECT_EQ(4u, sprite->destBlend);
    }
    EXPECT_EQ(0, s.horizontal);
    EXPECT_FLOAT_EQ(10.0f, s.centreShift.x);
    EXPECT_FLOAT_EQ(-4.0f, s.centreShift.y);
}

TEST(FormLoader, FormPlacementAndZOrder)
{
    struct Case
    {
        const char* text;
        float x, y;
        int32_t zOrder;
    } cases[] = {
        // Design width 512: every unit counts twice and the half-pixel shift is 1.
        {"SCREENWIDTH 512 POSITION 0 0 0.25 SIZE 100 50", -512 + 100 - 1, 384 - 50 + 1, 2},
        {"POSITION 12 0 -0.25 SIZE 100 100", -512 + 12 + 50 - 0.5f, 384 - 50 + 0.5f, -3},
        {"POSITION 0 0 -1.5 SIZE 0 0", -512 - 0.5f, 384 + 0.5f, -15},
        {"POSITION 0 0 1e30 SIZE 0 0", -512 - 0.5f, 384 + 0.5f, 1 << 30}, // held within range
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        LoaderRig rig;
        CFormLoader loader(rig.rec.device);
        ASSERT_TRUE(rig.Build(loader, TempForm(std::string(c.text) + " ELEMENT STATIC { ZORDER 2000000000 "
                                                                      "INTERRUPT 1 }")));
        EXPECT_FLOAT_EQ(c.x, loader.form->worldPosition.x);
        EXPECT_FLOAT_EQ(c.y, loader.form->worldPosition.y);
        EXPECT_EQ(c.zOrder, loader.form->zOrder);
        // An element's z-order is the form's plus its offset, kept in range.
        rig.AllElements(loader);
        EXPECT_EQ(std::min<int64_t>(int64_t(c.zOrder) + (1 << 30), 1 << 30), loader.lastWidget->zOrder);
    }
}

TEST(FormLoader, FailuresAreReportedNeverCrash)
{
    LoaderRig rig;
    struct Case
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"ELEMENT BUTTON { TEXTURE Gone STATE NORMAL 0 0 1 0 1 1 0 1 }", "Texture Gone not found"},
        {"TILING { CORNERS DemoCorners SIDES DemoSides BACKGROUND Gone }", "Texture Gone not found"},
        {"ELEMENT BUTTON ID ID_GONE { }", "ID ID_GONE not found"},
        {"ELEMENT BUTTON { STATE SCROLLER 0 0 1 0 1 1 0 1 }", "Unexpected token \"SCROLLER\", line 1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        CFormLoader loader(rig.rec.device);
        EXPECT_EQ(0, loader.LoadForm(TempForm(c.text).c_str(), -512.0f, 384.0f));
        EXPECT_EQ(c.error, loader.errorText);
        EXPECT_FALSE(loader.form.IsValid());
    }

    // An element of an unknown type stops the build there; what was built stays.
    CFormLoader loader(rig.rec.device);
    ASSERT_TRUE(rig.Build(loader, TempForm("ELEMENT STATIC { } ELEMENT STATIC { } ELEMENT STATIC { }")));
    loader.description.elements[1]->type = 9;
    int more = -1;
    EXPECT_EQ(0, loader.CreateNextElement(&more));
    EXPECT_EQ("Bad FormFile data. Fatal", loader.errorText);
    EXPECT_EQ(1, loader.elementIndex);
    EXPECT_EQ(1u, loader.form->children.size());
}
