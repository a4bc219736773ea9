// The widgets: captions and pictures of statics, the looks of buttons and
// checkboxes through the mouse, scroller presses and drags with their value
// records, and the two parts of progress bars.
#include "ui/KMButton.h"
#include "ui/KMCheckbox.h"
#include "ui/KMProgressbar.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ui_test;

namespace {

std::string Kinds(const std::vector<KMEvent>& events)
{
    std::string out;
    for (const KMEvent& e : events)
        out += (out.empty() ? "" : " ") + std::to_string(e.kind);
    return out;
}

const uint32_t kNormal = 0xFFFFFFFFu;
const uint32_t kPressed = 0xFFFF0000u;
const uint32_t kOver = 0xFF00FF00u;
const uint32_t kDisabled = 0xFF808080u;
const uint32_t kCheckedOver = 0xFF0000FFu;
const uint32_t kCheckedDisabled = 0xFF404040u;

// Frames are added pressed 1, over 2, disabled 3 (and on a checkbox checked-over
// 4, checked-disabled 5), as the form loader adds them.
template <class W>
CRefPtr<W> MakeButton(const Lists& lists, bool frames = true, bool colours = true)
{
    CRefPtr<W> b(new W(lists.sprites, lists.texts));
    b->id = 5;
    b->SetBaseSize(100, 40);
    b->Create(BoxFont(), 10, 10, CRefPtr<CTexture>(), 0, 0, 0.5f, 0.5f, 0);
    if (frames)
    {
        b->SetPressedFrame(0, 0, 1, 0, 1, 1, 0, 1);
        b->SetOverFrame(0, 0, 1, 0, 1, 1, 0, 1);
        b->SetDisabledFrame(0, 0, 1, 0, 1, 1, 0, 1);
    }
    if (colours)
    {
        b->pressedColour = kPressed, b->hasPressedColour = 1;
        b->overColour = kOver, b->hasOverColour = 1;
        b->disabledColour = kDisabled, b->hasDisabledColour = 1;
    }
    return b;
}

CRefPtr<CKMCheckbox> MakeCheckbox(const Lists& lists, bool checkedFrames = true)
{
    CRefPtr<CKMCheckbox> c = MakeButton<CKMCheckbox>(lists);
    if (checkedFrames)
    {
        c->SetCheckedOverFrame(0, 0, 1, 0, 1, 1, 0, 1);
        c->SetCheckedFrame(0, 0, 1, 0, 1, 1, 0, 1);
        c->checkedOverColour = kCheckedOver, c->hasCheckedOverColour = 1;
        c->checkedDisabledColour = kCheckedDisabled, c->hasCheckedDisabledColour = 1;
    }
    return c;
}

int Frame(const CKMStatic& w)
{
    return w.sprites[0]->currentFrame;
}

uint32_t Colour(const CKMStatic& w)
{
    return w.MainText()->colour;
}

} // namespace

// --- statics ---

TEST(StaticCaption, ShadowTextsAndColours)
{
    Lists lists;
    CKMStatic label(lists.sprites, lists.texts);
    label.SetBaseSize(200, 40);
    label.shadowColour = 0x80102030u;
    label.CreateText(BoxFont(), 10, 12, "Hello", 1);
    ASSERT_EQ(2u, label.texts.size());
    EXPECT_EQ(label.texts[1].Get(), label.MainText().Get());
    EXPECT_EQ(2u, lists.texts->texts.size());

    label.SetTextColor(0xFFFFFF00u);
    EXPECT_EQ(0xFFFFFF00u, label.texts[1]->colour);
    EXPECT_EQ(0x80102030u, label.texts[0]->colour); // the shadow keeps its own

    // Left alignment: the anchor is the left edge, raised by half a character;
    // the main text lies 0.0005 nearer than its shadow, the shadow 1/256 off.
    const Vec3 main = label.texts[1]->position;
    const Vec3 back = label.texts[0]->position;
    EXPECT_FLOAT_EQ(-100.0f, main.x);
    EXPECT_FLOAT_EQ(6.0f, main.y);
    EXPECT_FLOAT_EQ(-0.0015f, main.z);
    EXPECT_FLOAT_EQ(-100.0f + 1.0f / 256.0f, back.x);
    EXPECT_FLOAT_EQ(6.0f - 1.0f / 256.0f, back.y);
    EXPECT_FLOAT_EQ(-0.001f, back.z);
    EXPECT_FLOAT_EQ(20.0f, label.texts[1]->wrapWidth); // base width / character scale
}

TEST(StaticCaption, AlignmentAnchors)
{
    struct Case
    {
        int32_t alignment;
        float x;
    } cases[] = {{0, -100}, {1, 100}, {2, 0}, {3, -100}, {7, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.alignment);
        Lists lists;
        CKMStatic label(lists.sprites, lists.texts);
        label.SetBaseSize(200, 40);
        label.textOffset = {3, -2, 0};
        label.CreateText(BoxFont(), 10, 10, "Text", 0);
        label.SetPosition(1000, 0, 0, 0, 0, 0);
        label.SetTextAlign(c.alignment);
        EXPECT_EQ(c.alignment, label.MainText()->alignment);
        EXPECT_FLOAT_EQ(1000.0f + c.x + 3.0f, label.MainText()->position.x);
        EXPECT_FLOAT_EQ(5.0f - 2.0f, label.MainText()->position.y);
    }
}

TEST(StaticCaption, WrappingFollowsTheFlag)
{
    // Box glyphs advance 1 unit at scale 1: a base width of 60 at scale 10
    // wraps after 6 characters.
    for (int wrap : {1, 0})
    {
        SCOPED_TRACE(wrap);
        Lists lists;
        CKMStatic label(lists.sprites, lists.texts);
        label.SetBaseSize(60, 40);
        label.wrapText = wrap;
        label.CreateText(BoxFont(), 10, 10, "", 0);
        label.SetString("abcd efgh ijkl");
        const std::string& text = label.MainText()->text;
        const bool broken = text.find(char(kSoftBreak)) != std::string::npos;
        EXPECT_EQ(wrap == 1, broken) << text;
    }
}

TEST(StaticPicture, OnePictureSpriteSizedWithTheWindow)
{
    Lists lists;
    CKMStatic label(lists.sprites, lists.texts);
    label.SetBaseSize(80, 40);
    label.colour = 0xFF00FF00u;
    label.SetImage(CRefPtr<CTexture>(), 0.25f, 0, 0.5f, 1);
    label.SetImage(CRefPtr<CTexture>(), 0, 0, 0.5f, 1);
    EXPECT_EQ(1u, label.sprites.size());
    EXPECT_EQ(1u, lists.sprites->visibleList.size());
    const CSpriteShape& s = *label.sprites[0];
    EXPECT_FLOAT_EQ(0.5f, s.frames[1].u);
    EXPECT_FLOAT_EQ(80.0f, s.scaleX);
    EXPECT_EQ(0xFF00FF00u, s.colour);

    // A picture of its own size: 20 x 20 at scale 2 draws 40 x 40, and follows
    // the next resize.
    label.SetSize(160, 80);
    label.SetImageEx(CRefPtr<CTexture>(), 0, 0, 1, 1, 5, 0, 0, 20, 20);
    EXPECT_FLOAT_EQ(40.0f, label.sprites[0]->scaleX);
    EXPECT_FLOAT_EQ(10.0f, label.sprites[0]->position.x);
    label.SetSize(240, 120);
    EXPECT_FLOAT_EQ(60.0f, label.sprites[0]->scaleX);
    EXPECT_FLOAT_EQ(15.0f, label.sprites[0]->position.x);
    EXPECT_EQ(1u, lists.sprites->visibleList.size());
}

// --- buttons ---

TEST(ButtonLooks, FollowTheMouse)
{
    enum Op
    {
        Down,
        Up,
        Move,
        Activate,
        Deactivate,
        Reset
    };
    struct Step
    {
        Op op;
        float x;
        int button;
        int frame;
        uint32_t colour;
    };
    struct Case
    {
        const char* name;
        bool frames, colours;
        std::vector<Step> steps;
    } cases[] = {
        {"enter, press, release inside",
         true, true,
         {{Move, 0, 0, 2, kOver}, {Down, 0, 0, 1, kPressed}, {Up, 0, 0, 2, kOver}, {Move, 90, 0, 0, kNormal}}},
        {"drag out and back while pressed",
         true, true,
         {{Move, 0, 0, 2, kOver},
          {Down, 0, 0, 1, kPressed},
          {Move, 90, 0, 0, kNormal},
          {Move, 0, 0, 1, kPressed},
          {Move, 90, 0, 0, kNormal},
          {Up, 90, 0, 0, kNormal}}},
        {"a right release keeps the pressed look",
         true, true,
         {{Move, 0, 0, 2, kOver}, {Down, 0, 0, 1, kPressed}, {Up, 0, 1, 1, kPressed}, {Up, 0, 0, 2, kOver}}},
        {"no over frame and no colours: frame 0 and the normal caption throughout",
         false, false,
         {{Move, 0, 0, 0, kNormal}, {Down, 0, 0, 0, kNormal}, {Up, 0, 0, 0, kNormal}}},
        {"inactive and back",
         true, true,
         {{Deactivate, 0, 0, 3, kDisabled}, {Down, 0, 0, 3, kDisabled}, {Activate, 0, 0, 0, kNormal}}},
        {"reset while pressed", true, true, {{Down, 0, 0, 1, kPressed}, {Reset, 0, 0, 0, kNormal}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lists lists;
        CRefPtr<CKMButton> b = MakeButton<CKMButton>(lists, c.frames, c.colours);
        int step = 0;
        for (const Step& s : c.steps)
        {
            SCOPED_TRACE(step++);
            switch (s.op)
            {
            case Down: b->OnMouseDown(s.x, 0, s.button); break;
            case Up: b->OnMouseUp(s.x, 0, s.button); break;
            case Move: b->OnMouseMove(s.x, 0, 0.1f); break;
            case Activate: b->SetActive(1); break;
            case Deactivate: b->SetActive(0); break;
            case Reset: b->ResetInput(); break;
            }
            EXPECT_EQ(s.frame, Frame(*b));
            EXPECT_EQ(s.colour, Colour(*b));
        }
    }
}

TEST(ButtonLooks, ANewTextColourWaitsForTheRelease)
{
    Lists lists;
    CRefPtr<CKMButton> b = MakeButton<CKMButton>(lists);
    b->OnMouseDown(0, 0, 0);
    b->SetTextColor(0xFF123456u);
    EXPECT_EQ(kPressed, Colour(*b));
    EXPECT_EQ(0xFF123456u, b->normalColour);
    b->OnMouseUp(90, 0, 0);
    EXPECT_EQ(0xFF123456u, Colour(*b));
}

// --- checkboxes ---

TEST(Checkbox, TogglesOnThePressAndReportsTheValue)
{
    Lists lists;
    CRefPtr<CKMCheckbox> c = MakeCheckbox(lists);
    c->OnMouseMove(10, 5, 0.1f);
    EXPECT_EQ(2, Frame(*c)); // over
    EXPECT_EQ(2, c->OnMouseDown(10, 5, 0));
    EXPECT_EQ("1 13", Kinds(c->events));
    EXPECT_FLOAT_EQ(10.0f, c->events[1].x); // the press point
    EXPECT_FLOAT_EQ(5.0f, c->events[1].y);
    EXPECT_EQ(5, c->events[1].windowId);
    EXPECT_EQ(kWindowCheckbox, c->events[1].windowType);
    EXPECT_EQ(1, c->checked);
    EXPECT_EQ(4, Frame(*c)); // checked and over
    EXPECT_EQ(kCheckedOver, Colour(*c));

    c->OnMouseUp(10, 5, 0);
    EXPECT_EQ("2 0", Kinds(c->events));
    EXPECT_EQ(4, Frame(*c)); // the release changes no look

    c->OnMouseMove(90, 0, 0.1f);
    EXPECT_EQ(1, Frame(*c)); // checked: the pressed frame
    EXPECT_EQ(kPressed, Colour(*c));

    c->OnMouseMove(0, 0, 0.1f);
    c->OnMouseDown(0, 0, 0);
    EXPECT_EQ(0, c->checked);
    EXPECT_EQ(2, Frame(*c));
    EXPECT_EQ(kOver, Colour(*c));

    // The right button toggles nothing.
    c->OnMouseUp(0, 0, 0);
    EXPECT_EQ("3", (c->OnMouseDown(0, 0, 1), Kinds(c->events)));
    EXPECT_EQ(0, c->checked);
}

TEST(Checkbox, ProgramSetLooks)
{
    struct Case
    {
        const char* name;
        bool checkedFrames;
        int32_t checked, active;
        int frame;
        uint32_t colour;
    } cases[] = {
        {"unchecked, active", true, 0, 1, 0, kNormal},
        {"unchecked, inactive", true, 0, 0, 3, kDisabled},
        {"checked, active", true, 1, 1, 1, kPressed},
        {"checked, inactive", true, 1, 0, 5, kCheckedDisabled},
        {"checked, inactive, no checked frames: the disabled look", false, 1, 0, 3, kDisabled},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lists lists;
        CRefPtr<CKMCheckbox> box = MakeCheckbox(lists, c.checkedFrames);
        // Through SetChecked on a box already (in)active ...
        box->SetActive(c.active);
        EXPECT_EQ(0, box->SetChecked(c.checked));
        EXPECT_TRUE(box->events.empty());
        if (c.checkedFrames || c.active)
        {
            EXPECT_EQ(c.frame, Frame(*box));
            EXPECT_EQ(c.colour, Colour(*box));
        }
        // ... and through SetActive on a box already (un)checked.
        box->SetActive(!c.active);
        box->SetActive(c.active);
        EXPECT_EQ(c.frame, Frame(*box));
        EXPECT_EQ(c.colour, Colour(*box));
    }

    Lists lists;
    CRefPtr<CKMCheckbox> box = MakeCheckbox(lists);
    box->SetChecked(1);
    box->ResetInput();
    EXPECT_EQ(0, Frame(*box));
    EXPECT_EQ(kNormal, Colour(*box));
}

// --- scrollers ---

namespace {

CRefPtr<CKMScroller> MakeScroller(const Lists& lists, int32_t horizontal)
{
    CRefPtr<CKMScroller> s(new CKMScroller(lists.sprites, lists.texts));
    s->id = 231;
    s->horizontal = horizontal;
    s->SetBaseSize(100, 100);
    s->Create(CRefPtr<CTexture>(), 0, 0, 1, 0.5f, 0, 0.5f, 0.25f, 1, 10, 20);
    return s;
}

} // namespace

TEST(Scroller, PressesJumpAndDragsFollowClamped)
{
    struct Step
    {
        char op; // 'd' press, 'm' move, 'u' release
        float x, y;
        const char* kinds;
        float value;
        int button = 0;
    };
    struct Case
    {
        const char* name;
        int32_t horizontal;
        std::vector<Step> steps;
    } cases[] = {
        {"a press at the travel's end", 1, {{'d', 45, 0, "1 13", 1.0f}}},
        {"a press at the left edge clamps", 1, {{'d', -50, 0, "1 13", 0.0f}}},
        {"a press at the centre", 1, {{'d', 0, 40, "1 13", 0.5f}}},
        {"a vertical press above the centre", 0, {{'d', 0, 18, "1 13", 0.3f}}},
        {"dragging past the end keeps reporting",
         1,
         {{'d', 0, 0, "1 13", 0.5f},
          {'m', 9, 0, "11 13", 0.6f},
          {'m', 200, 0, "12 13", 1.0f},
          {'m', 300, 0, "13", 1.0f},
          {'u', 300, 0, "2", 1.0f},
          {'m', -300, 0, "", 1.0f}}},
        {"a press outside does not drag", 1, {{'d', 80, 0, "", 0.0f}, {'m', 0, 0, "11", 0.0f}}},
        {"the right button does not drag", 1, {{'d', 10, 0, "3", 0.0f, 1}, {'m', 20, 0, "11", 0.0f}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lists lists;
        CRefPtr<CKMScroller> s = MakeScroller(lists, c.horizontal);
        for (const Step& st : c.steps)
        {
            const int n = st.op == 'd'   ? s->OnMouseDown(st.x, st.y, st.button)
                          : st.op == 'm' ? s->OnMouseMove(st.x, st.y, 0.1f)
                                         : s->OnMouseUp(st.x, st.y, st.button);
            EXPECT_EQ(st.kinds, Kinds(s->events));
            EXPECT_EQ(int(s->events.size()), n);
            EXPECT_NEAR(st.value, s->value, 1e-5f);
        }
    }
}

TEST(Scroller, ThumbPlacementAndProgramValues)
{
    Lists lists;
    CRefPtr<CKMScroller> s = MakeScroller(lists, 1);
    s->SetPosition(200, 100, 0, 0, 0, 0);
    ASSERT_EQ(2u, s->sprites.size());
    const CSpriteShape& thumb = *s->sprites[1];
    EXPECT_EQ(s->zOrder - 1, thumb.zOrder);
    EXPECT_FLOAT_EQ(10.0f, thumb.scaleX);
    EXPECT_FLOAT_EQ(0.25f, thumb.frames[1].u);

    EXPECT_FLOAT_EQ(0.0f, s->SetValue(0.25f));
    EXPECT_TRUE(s->events.empty());
    EXPECT_FLOAT_EQ(200.0f - 22.5f, thumb.position.x);
    EXPECT_FLOAT_EQ(-0.001f, thumb.position.z);
    EXPECT_FLOAT_EQ(0.25f, s->SetValue(1.5f)); // stored unclamped
    EXPECT_FLOAT_EQ(1.5f, s->value);

    // Vertical: value 0 at the top, and a centre shift moves the travel.
    CRefPtr<CKMScroller> v = MakeScroller(lists, 0);
    v->centreShift = {4, -6};
    v->SetValue(0.0f);
    KMVec2 at = v->GetThumbPosition();
    EXPECT_FLOAT_EQ(4.0f, at.x);
    EXPECT_FLOAT_EQ(-6.0f + 45.0f, at.y);

    // An inactive scroller shows its thumb's disabled frame.
    s->SetThumbFrame(0, 0, 1, 0, 1, 1, 0, 1);
    s->SetActive(0);
    EXPECT_EQ(s->thumbDisabledFrame, s->sprites[1]->currentFrame);
    s->SetActive(1);
    EXPECT_EQ(0, s->sprites[1]->currentFrame);
}

// --- progress bars ---

TEST(Progressbar, TwoPartsTileTheRectangle)
{
    struct Case
    {
        int32_t horizontal;
        float value;
        // offset and size of the filled part (sprite 1), then of the empty part (sprite 0)
        float fill[4], empty[4];
        // fill frame's right u (horizontal) or top v (vertical); empty frame's left u or bottom v
        float fillEdge, emptyEdge;
    } cases[] = {
        {1, 0.0f, {-50, 0, 0, 40}, {0, 0, 100, 40}, 0.0f, 0.0f},
        {1, 0.5f, {-25, 0, 50, 40}, {25, 0, 50, 40}, 0.5f, 0.5f},
        {1, 1.0f, {0, 0, 100, 40}, {50, 0, 0, 40}, 1.0f, 1.0f},
        {0, 0.25f, {0, -15, 100, 10}, {0, 5, 100, 30}, 0.875f, 0.375f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.value);
        Lists lists;
        CKMProgressbar bar(lists.sprites, lists.texts);
        bar.horizontal = c.horizontal;
        bar.SetBaseSize(100, 40);
        bar.Create(CRefPtr<CTexture>(), 0, 0, 1, 0.5f, 0, 0.5f, 1, 1);
        bar.SetPosition(10, 0, 0, 0, 0, 0);
        EXPECT_FLOAT_EQ(0.0f, bar.SetValue(c.value));
        for (int part = 0; part < 2; ++part)
        {
            const float* e = part == 1 ? c.fill : c.empty;
            const size_t i = size_t(part);
            EXPECT_NEAR(e[0], bar.spriteOffsets[i].x, 1e-4f) << part;
            EXPECT_NEAR(e[1], bar.spriteOffsets[i].y, 1e-4f) << part;
            EXPECT_NEAR(e[2], bar.sprites[i]->scaleX, 1e-4f) << part;
            EXPECT_NEAR(e[3], bar.sprites[i]->scaleY, 1e-4f) << part;
            EXPECT_NEAR(10.0f + e[0], bar.sprites[i]->position.x, 1e-4f) << part;
        }
        const std::vector<CUV>& fill = bar.sprites[1]->frames;
        const std::vector<CUV>& empty = bar.sprites[0]->frames;
        if (c.horizontal)
        {
            EXPECT_NEAR(c.fillEdge, fill[1].u, 1e-5f);
            EXPECT_NEAR(c.emptyEdge, empty[0].u, 1e-5f);
            EXPECT_FLOAT_EQ(0.5f, fill[0].v); // the lower half of the texture
        }
        else
        {
            EXPECT_NEAR(c.fillEdge, fill[0].v, 1e-5f);
            EXPECT_NEAR(c.emptyEdge, empty[2].v, 1e-5f);
        }
        EXPECT_EQ(bar.zOrder - 1, bar.sprites[1]->zOrder);
    }
}
