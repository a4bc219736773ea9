// The window base: event records of the three mouse calls, the centred hit
// test, nested windows, placement and sizing of sprites, texts and children,
// visibility, z-order and tiled form frames.
#include "ui/KMForm.h"
#include "ui/KMStatic.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace ui_test;

namespace {

// A plain window of base size 100 x 50 at the origin.
CRefPtr<CKMWindow> MakeWindow(const Lists& lists, int32_t id = 9)
{
    CRefPtr<CKMWindow> w(new CKMWindow(lists.sprites, lists.texts));
    w->id = id;
    w->SetBaseSize(100.0f, 50.0f);
    return w;
}

size_t VisibleCount(const CSpriteList& list)
{
    return list.visibleList.size();
}

} // namespace

TEST(WindowEvents, PressAndReleaseRecords)
{
    enum Op
    {
        Down,
        Up,
        Move
    };
    struct Step
    {
        Op op;
        float x, y;
        int button;
        const char* records;
    };
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"left press and release inside is a click",
         {{Down, 10, 5, 0, "1@9(10,5)"}, {Up, 12, 6, 0, "2@9(12,6) 0@9(12,6)"}}},
        {"release outside: no click",
         {{Down, 10, 5, 0, "1@9(10,5)"}, {Up, 70, 0, 0, "2@9(70,0)"}, {Up, 10, 5, 0, "2@9(10,5)"}}},
        {"press outside, release inside: a release only",
         {{Down, 0, 40, 0, ""}, {Up, 0, 0, 0, "2@9(0,0)"}}},
        {"right button: no click", {{Down, 0, 0, 1, "3@9(0,0)"}, {Up, 0, 0, 1, "4@9(0,0)"}}},
        {"middle button: no click", {{Down, 0, 0, 2, "5@9(0,0)"}, {Up, 0, 0, 2, "6@9(0,0)"}}},
        {"the edge of the rectangle is inside",
         {{Down, 50, -25, 0, "1@9(50,-25)"}, {Up, -50, 25, 0, "2@9(-50,25) 0@9(-50,25)"}}},
        {"just past the edge is outside", {{Down, 50.01f, 0, 0, ""}}},
        {"a right release keeps the left press",
         {{Down, 0, 0, 0, "1@9(0,0)"}, {Up, 0, 0, 1, "4@9(0,0)"}, {Up, 0, 0, 0, "2@9(0,0) 0@9(0,0)"}}},
        {"entering and leaving once each",
         {{Move, 80, 0, 0, ""},
          {Move, 10, 0, 0, "11@9(10,0)"},
          {Move, 20, 5, 0, ""},
          {Move, 90, 5, 0, "12@9(90,5)"},
          {Move, 95, 5, 0, ""}}},
        {"buttons outside 0 to 2 are ignored", {{Down, 0, 0, 3, ""}, {Up, 0, 0, -1, ""}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lists lists;
        CRefPtr<CKMWindow> w = MakeWindow(lists);
        for (const Step& s : c.steps)
        {
            int n = s.op == Down ? w->OnMouseDown(s.x, s.y, s.button)
                    : s.op == Up ? w->OnMouseUp(s.x, s.y, s.button)
                                 : w->OnMouseMove(s.x, s.y, 0.1f);
            EXPECT_EQ(s.records, Records(w->events));
            EXPECT_EQ(int(w->events.size()), n);
        }
    }
}

TEST(WindowEvents, PressedStateAndHeldTime)
{
    Lists lists;
    CRefPtr<CKMWindow> w = MakeWindow(lists);
    w->OnMouseDown(0, 0, 0);
    EXPECT_EQ(1, w->pressed[0]);
    w->OnMouseMove(200, 0, 0.25f); // held time counts outside the window too
    w->OnMouseMove(0, 0, 0.5f);
    EXPECT_FLOAT_EQ(0.75f, w->heldTime[0]);
    EXPECT_FLOAT_EQ(0.0f, w->heldTime[1]);
    w->OnMouseUp(300, 0, 0); // released outside: the flag clears all the same
    EXPECT_EQ(0, w->pressed[0]);
    EXPECT_FLOAT_EQ(0.0f, w->heldTime[0]);

    w->OnMouseDown(0, 0, 1);
    w->OnMouseMove(0, 0, 0.1f);
    w->ResetInput();
    EXPECT_EQ(0, w->pressed[1]);
    EXPECT_EQ(0, w->hover);
    EXPECT_TRUE(w->events.empty());
}

TEST(WindowEvents, CoordinatesAreDividedByTheScale)
{
    Lists lists;
    CRefPtr<CKMWindow> w = MakeWindow(lists);
    w->SetSize(200.0f, 25.0f); // scale (2, 0.5)
    w->OnMouseDown(80, -10, 0);
    EXPECT_EQ("1@9(40,-20)", Records(w->events));

    // A scale of 0 on an axis: that coordinate is far away and nothing is hit.
    w->SetSize(0.0f, 50.0f);
    EXPECT_EQ(0, w->OnMouseDown(0, 0, 0));
    w->OnMouseUp(0, 10, 0);
    ASSERT_EQ(1u, w->events.size());
    EXPECT_FLOAT_EQ(1000000.0f, w->events[0].x);
    EXPECT_FLOAT_EQ(10.0f, w->events[0].y);

    // Without a base size (a caption-only label) the scale stays 1, not 0 / 0.
    w->SetBaseSize(0.0f, 0.0f);
    w->SetRect(5, 5, 0, 0.0f, 0.0f, 0, 0, 0);
    EXPECT_FLOAT_EQ(1.0f, w->scale.x);
    EXPECT_FLOAT_EQ(1.0f, w->scale.y);
}

TEST(WindowEvents, WindowsThatTakeNoInputReportNothing)
{
    struct Case
    {
        const char* name;
        int32_t CKMWindow::*flag;
    } cases[] = {{"hidden", &CKMWindow::visible}, {"inactive", &CKMWindow::active}, {"disabled", &CKMWindow::enabled}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lists lists;
        CRefPtr<CKMWindow> parent = MakeWindow(lists, 1);
        CRefPtr<CKMWindow> child = MakeWindow(lists, 2);
        parent->AddChild(child);
        (*parent).*c.flag = 0;
        EXPECT_EQ(0, parent->OnMouseDown(0, 0, 0));
        EXPECT_EQ(0, parent->OnMouseUp(0, 0, 0));
        EXPECT_EQ(0, parent->OnMouseMove(0, 0, 0.1f));
        EXPECT_EQ(0, child->pressed[0]);
        EXPECT_EQ(0, child->hover);

        // The same flag on the child: the parent skips it.
        (*parent).*c.flag = 1;
        (*child).*c.flag = 0;
        EXPECT_EQ("1@1(0,0)", (parent->OnMouseDown(0, 0, 0), Records(parent->events)));
    }
}

TEST(NestedWindows, HitTestsAndEventOrderFollowTheTree)
{
    Lists lists;
    // A form at (100, 50) holds a panel at (-20, 10) that holds a button at (5, 0).
    CRefPtr<CKMWindow> form = MakeWindow(lists, 1);
    form->SetBaseSize(400, 300);
    form->SetPosition(100, 50, 0, 0, 0, 0);
    CRefPtr<CKMWindow> panel = MakeWindow(lists, 2);
    panel->SetBaseSize(100, 100);
    panel->localPosition = {-20, 10, 0};
    CRefPtr<CKMWindow> button = MakeWindow(lists, 3);
    button->SetBaseSize(20, 10);
    button->localPosition = {5, 0, 0};
    panel->AddChild(button);
    form->AddChild(panel);
    CRefPtr<CKMWindow> sibling = MakeWindow(lists, 4);
    sibling->SetBaseSize(10, 10);
    sibling->localPosition = {-15, 10, 0};
    form->AddChild(sibling);

    EXPECT_FLOAT_EQ(85.0f, button->worldPosition.x);
    EXPECT_FLOAT_EQ(60.0f, button->worldPosition.y);

    struct Case
    {
        float x, y; // relative to the form's centre
        const char* records;
    } cases[] = {
        // The form first, then each child in order, each before its own children.
        {-15, 10, "1@1(-15,10) 1@2(5,0) 1@3(0,0) 1@4(0,0)"},
        {-5, 14, "1@1(-5,14) 1@2(15,4) 1@3(10,4)"},
        {-60, -35, "1@1(-60,-35) 1@2(-40,-45)"},
        {150, 0, "1@1(150,0)"},
        {300, 0, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.records);
        form->OnMouseDown(c.x, c.y, 0);
        EXPECT_EQ(c.records, Records(form->events));
        form->OnMouseUp(1000, 1000, 0);
    }

    EXPECT_TRUE(form->FindChild(2).SameAs(panel));
    EXPECT_FALSE(form->FindChild(3).IsValid()); // only direct children
}

TEST(NestedWindows, ChildrenKeepTheirOffsetsThroughMovesAndResizes)
{
    Lists lists;
    CRefPtr<CKMWindow> parent = MakeWindow(lists, 1);
    CRefPtr<CKMWindow> child = MakeWindow(lists, 2);
    child->SetBaseSize(20, 10);
    child->SetPosition(10, 0, 0, 0, 0, 0);
    parent->AddChild(child);
    parent->SetPosition(100, 200, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(110.0f, child->worldPosition.x);
    EXPECT_FLOAT_EQ(200.0f, child->worldPosition.y);

    // Doubling the parent doubles the child's offset and size.
    parent->SetSize(200, 100);
    EXPECT_FLOAT_EQ(120.0f, child->worldPosition.x);
    EXPECT_FLOAT_EQ(40.0f, child->size.w);
    EXPECT_FLOAT_EQ(2.0f, child->scale.x);

    // Moving the child by handle or by id keeps the offset in base units.
    parent->SetChildPosition(child, -5, 5, 0);
    EXPECT_FLOAT_EQ(90.0f, child->worldPosition.x);
    EXPECT_FLOAT_EQ(210.0f, child->worldPosition.y);
    parent->MoveChildren(2, 0, -10, 0);
    EXPECT_FLOAT_EQ(100.0f, child->worldPosition.x);
    EXPECT_FLOAT_EQ(180.0f, child->worldPosition.y);
    parent->MoveChildren(77, 50, 50, 0); // no such id: nothing moves
    EXPECT_FLOAT_EQ(100.0f, child->worldPosition.x);

    // A new base size keeps the child's scale.
    parent->ResizeChildren(2, 30, 30);
    EXPECT_FLOAT_EQ(60.0f, child->size.w);
    EXPECT_FLOAT_EQ(30.0f, child->baseSize.w);
}

TEST(NestedWindows, SpritesAndTextsFollowTheWindow)
{
    Lists lists;
    CRefPtr<CKMStatic> label(new CKMStatic(lists.sprites, lists.texts));
    label->SetBaseSize(100, 40);
    label->CreateText(BoxFont(), 10, 10, "Hi", 0);
    label->SetImageEx(CRefPtr<CTexture>(), 0, 0, 1, 1, 10, 5, 0, 20, 20);
    label->SetPosition(50, 50, 0, 0, 0, 0);
    CRefPtr<CSpriteShape> picture = label->sprites[0];
    EXPECT_FLOAT_EQ(60.0f, picture->position.x);
    EXPECT_FLOAT_EQ(55.0f, picture->position.y);

    // At scale 2 the picture doubles in size and offset.
    label->SetSize(200, 80);
    EXPECT_FLOAT_EQ(70.0f, picture->position.x);
    EXPECT_FLOAT_EQ(40.0f, picture->scaleX);
    EXPECT_FLOAT_EQ(20.0f, label->MainText()->scaleX);

    label->SetAlpha(0.25f);
    EXPECT_FLOAT_EQ(0.25f, picture->alpha);
    EXPECT_FLOAT_EQ(0.25f, label->MainText()->alpha);

    label->SetDepth(7);
    EXPECT_EQ(7, label->MainText()->layer);

    label->AddZOrder(-3);
    EXPECT_EQ(-3, picture->zOrder);
}

// A form with a tiled frame and one labelled picture holding a small child.
struct SmallForm
{
    SmallForm()
    {
        form = CRefPtr<CKMForm>(new CKMForm(lists.sprites, lists.texts));
        form->SetBaseSize(200, 100);
        form->SetBackground(CRefPtr<CTexture>(), CRefPtr<CTexture>(), CRefPtr<CTexture>(), 32, 16, 16, 32);
        label = CRefPtr<CKMStatic>(new CKMStatic(lists.sprites, lists.texts));
        label->SetBaseSize(50, 20);
        label->CreateText(BoxFont(), 10, 10, "Label", 1);
        label->SetImage(CRefPtr<CTexture>(), 0, 0, 1, 1);
        label->zOrder = 4;
        label->sprites[0]->zOrder = 4;
        inner = CRefPtr<CKMStatic>(new CKMStatic(lists.sprites, lists.texts));
        inner->SetBaseSize(10, 10);
        inner->SetImage(CRefPtr<CTexture>(), 0, 0, 1, 1);
        label->AddChild(inner);
        form->AddChild(label);
    }

    Lists lists;
    CRefPtr<CKMForm> form;
    CRefPtr<CKMStatic> label;
    CRefPtr<CKMStatic> inner;
};

TEST(Visibility, AFormOnlyFlagsItselfAWidgetHidesEverythingItOwns)
{
    SmallForm f;
    EXPECT_EQ(11u, VisibleCount(*f.lists.sprites)); // nine frame pieces, two pictures

    EXPECT_EQ(1, f.form->SetVisible(0));
    EXPECT_EQ(0, f.form->visible);
    EXPECT_EQ(1, f.label->visible);
    EXPECT_EQ(11u, VisibleCount(*f.lists.sprites));
    f.form->SetVisible(1);

    EXPECT_EQ(1, f.label->SetVisible(0));
    EXPECT_EQ(0, f.label->sprites[0]->visible);
    EXPECT_EQ(0, f.label->texts[0]->visible);
    EXPECT_EQ(0, f.label->texts[1]->visible);
    EXPECT_EQ(0, f.inner->visible);
    EXPECT_EQ(9u, VisibleCount(*f.lists.sprites));
    EXPECT_EQ(2u, f.lists.sprites->hiddenList.size());
}

TEST(Visibility, FormZOrderSetsItsSpritesAndShiftsItsWidgets)
{
    SmallForm f;
    f.form->SetZOrder(-30);
    for (const CRefPtr<CSpriteShape>& piece : f.form->sprites)
        EXPECT_EQ(-30, piece->zOrder);
    EXPECT_EQ(-26, f.label->zOrder);
    EXPECT_EQ(-26, f.label->sprites[0]->zOrder);
    EXPECT_EQ(-30, f.inner->sprites[0]->zOrder);
    f.form->SetZOrder(10);
    EXPECT_EQ(14, f.label->sprites[0]->zOrder);
    // The sprite list stays sorted from the highest z-order down.
    int32_t last = 1 << 30;
    for (const CRefPtr<CSpriteShape>& s : f.lists.sprites->visibleList)
    {
        EXPECT_LE(s->zOrder, last);
        last = s->zOrder;
    }
}

TEST(Lifetime, ADestroyedWindowTakesItsSpritesAndTextsOut)
{
    Lists lists;
    {
        SmallForm f;
        lists = f.lists;
        EXPECT_EQ(11u, VisibleCount(*lists.sprites));
        EXPECT_EQ(2u, lists.texts->texts.size());
    }
    EXPECT_EQ(0u, VisibleCount(*lists.sprites));
    EXPECT_TRUE(lists.texts->texts.empty());
}

// --- tiled frames ---

namespace {

struct Piece
{
    float w, h, x, y;
    float uv[8];
};

void ExpectPiece(const CKMForm& form, size_t i, const Piece& p)
{
    SCOPED_TRACE("piece " + std::to_string(i + 1));
    const CSpriteShape& s = *form.sprites[i];
    EXPECT_NEAR(p.w, form.spriteSizes[i].w, 1e-3f);
    EXPECT_NEAR(p.h, form.spriteSizes[i].h, 1e-3f);
    EXPECT_NEAR(p.x, form.spriteOffsets[i].x, 1e-3f);
    EXPECT_NEAR(p.y, form.spriteOffsets[i].y, 1e-3f);
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_NEAR(p.uv[2 * k], s.frames[size_t(k)].u, 1e-4f) << "corner " << k;
        EXPECT_NEAR(p.uv[2 * k + 1], s.frames[size_t(k)].v, 1e-4f) << "corner " << k;
    }
}

} // namespace

TEST(TiledFrame, NinePiecesTileTheForm)
{
    Lists lists;
    RecDevice rec;
    CRefPtr<CTexture> corners = rec.Texture("C"), sides = rec.Texture("S"), back = rec.Texture("B");
    CKMForm form(lists.sprites, lists.texts);
    form.SetBaseSize(400, 300);
    form.SetPosition(10, 20, 0, 0, 0, 0);
    form.SetColor(0x80FF0000u);
    form.zOrder = -5;
    form.SetBackground(corners, sides, back, 64, 32, 24, 48);

    ASSERT_EQ(9u, form.sprites.size());
    const float rv = 236.0f / 48.0f;
    const Piece pieces[9] = {
        {24, 32, -188, 134, {0, 0, 0.5f, 0, 0.5f, 0.5f, 0, 0.5f}},
        {24, 32, 188, 134, {0.5f, 0, 1, 0, 1, 0.5f, 0.5f, 0.5f}},
        {24, 32, 188, -134, {0.5f, 0.5f, 1, 0.5f, 1, 1, 0.5f, 1}},
        {24, 32, -188, -134, {0, 0.5f, 0.5f, 0.5f, 0.5f, 1, 0, 1}},
        {24, 236, -188, 0, {0, 0, 0.25f, 0, 0.25f, rv, 0, rv}},
        {24, 236, 188, 0, {0.25f, 0, 0.5f, 0, 0.5f, rv, 0.25f, rv}},
        {352, 32, 0, -134, {0.75f, 0, 0.75f, 5.5f, 0.5f, 5.5f, 0.5f, 0}},
        {352, 32, 0, 134, {1, 0, 1, 5.5f, 0.75f, 5.5f, 0.75f, 0}},
        {352, 236, 0, 0, {0, 0, 5.5f, 0, 5.5f, rv, 0, rv}},
    };
    for (size_t i = 0; i < 9; ++i)
        ExpectPiece(form, i, pieces[i]);

    const CRefPtr<CTexture>* textures[9] = {&corners, &corners, &corners, &corners, &sides,
                                            &sides,   &sides,   &sides,   &back};
    for (size_t i = 0; i < 9; ++i)
    {
        const CSpriteShape& s = *form.sprites[i];
        EXPECT_TRUE(s.texture.SameAs(*textures[i])) << i;
        EXPECT_EQ(1, s.blended);
        EXPECT_EQ(0x80FF0000u, s.colour);
        EXPECT_EQ(-5, s.zOrder);
        // Placed through the form's position.
        EXPECT_FLOAT_EQ(10.0f + form.spriteOffsets[i].x, s.position.x);
        EXPECT_FLOAT_EQ(20.0f + form.spriteOffsets[i].y, s.position.y);
    }
    EXPECT_FLOAT_EQ(64.0f, form.tileValues[0]);
    EXPECT_FLOAT_EQ(48.0f, form.tileValues[3]);

    // A second frame replaces the first, sprites and all.
    form.SetBackground(corners, sides, back, 64, 32, 24, 48);
    EXPECT_EQ(9u, form.sprites.size());
    EXPECT_EQ(9u, VisibleCount(*lists.sprites));
}

TEST(TiledFrame, DegenerateSizesAndPeriodsStayFinite)
{
    struct Case
    {
        const char* name;
        float w, h, hP, hT, vT, vP;
        float innerW, innerH, rh, rv;
    } cases[] = {
        {"exactly two edges wide", 48, 100, 64, 10, 24, 40, 0, 80, 0, 2},
        {"narrower than its edges", 30, 100, 64, 10, 24, 40, 0, 80, 0, 2},
        {"period 0", 100, 100, 0, 10, 10, 0, 80, 80, 1, 1},
        {"negative period", 100, 100, -8, 10, 10, 20, 80, 80, 1, 4},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Lists lists;
        CKMForm form(lists.sprites, lists.texts);
        form.SetBaseSize(c.w, c.h);
        form.SetBackground(CRefPtr<CTexture>(), CRefPtr<CTexture>(), CRefPtr<CTexture>(), c.hP, c.hT, c.vT, c.vP);
        const CSpriteShape& inside = *form.sprites[8];
        EXPECT_FLOAT_EQ(c.innerW, form.spriteSizes[8].w);
        EXPECT_FLOAT_EQ(c.innerH, form.spriteSizes[8].h);
        EXPECT_FLOAT_EQ(c.rh, inside.frames[2].u);
        EXPECT_FLOAT_EQ(c.rv, inside.frames[2].v);
        for (const CRefPtr<CSpriteShape>& s : form.sprites)
            for (const CUV& uv : s->frames)
                EXPECT_TRUE(std::isfinite(uv.u) && std::isfinite(uv.v));
    }
}

TEST(TiledFrame, PiecesTakeTheFormsVisibilityAtTheCall)
{
    Lists lists;
    CKMForm form(lists.sprites, lists.texts);
    form.SetBaseSize(100, 100);
    form.visible = 0;
    form.SetBackground(CRefPtr<CTexture>(), CRefPtr<CTexture>(), CRefPtr<CTexture>(), 10, 10, 10, 10);
    EXPECT_EQ(0u, VisibleCount(*lists.sprites));
    EXPECT_EQ(9u, lists.sprites->hiddenList.size());
}
