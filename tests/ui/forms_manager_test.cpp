// The forms manager: z-ordered list, routing of the mouse with the forms'
// offsets, the gathered queue, the modal stack, and the two draw passes on the
// recording device.
#include "ui/KMFormsManager.h"
#include "ui/KMStatic.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ui_test;

namespace {

// A form of 200 x 200 with the given id and z-order, centred at (x, 0).
CRefPtr<CKMForm> MakeForm(const Lists& lists, int32_t id, int32_t z, float x = 0.0f)
{
    CRefPtr<CKMForm> f(new CKMForm(lists.sprites, lists.texts));
    f->id = id;
    f->SetBaseSize(200, 200);
    f->SetZOrder(z);
    f->SetPosition(x, 0, 0, 0, 0, 0);
    return f;
}

std::string Ids(const CKMFormsManager& m)
{
    std::string out;
    for (const CRefPtr<CKMForm>& f : m.forms)
        out += (out.empty() ? "" : " ") + std::to_string(f->id);
    return out;
}

} // namespace

TEST(FormsManager, ListIsKeptFromTheHighestZOrderDown)
{
    Lists lists;
    CKMFormsManager m;
    CRefPtr<CKMForm> a = MakeForm(lists, 1, -10), b = MakeForm(lists, 2, 0), c = MakeForm(lists, 3, -10),
                     d = MakeForm(lists, 4, -50);
    m.AddForm(a);
    m.AddForm(b);
    m.AddForm(c);
    m.AddForm(d);
    EXPECT_EQ("2 3 1 4", Ids(m)); // equal z-orders: the newer first

    m.AddForm(a); // listed twice
    EXPECT_EQ("2 1 3 1 4", Ids(m));
    EXPECT_EQ(1, m.RemoveForm(a));
    EXPECT_EQ("2 3 1 4", Ids(m));
    EXPECT_EQ(1, m.RemoveForm(a));
    EXPECT_EQ(0, m.RemoveForm(a));
    EXPECT_EQ("2 3 4", Ids(m));
    EXPECT_EQ(1u, a.RefCount()); // the manager let go of both entries
}

TEST(FormsManager, RoutesTheMouseToEveryFormThatTakesInput)
{
    Lists lists;
    CKMFormsManager m;
    CRefPtr<CKMForm> back = MakeForm(lists, 1, 0, -50), front = MakeForm(lists, 2, -10, 50),
                     hidden = MakeForm(lists, 3, 5), inactive = MakeForm(lists, 4, 6), disabled = MakeForm(lists, 5, 7);
    hidden->SetVisible(0);
    inactive->SetActive(0);
    disabled->enabled = 0;
    for (const CRefPtr<CKMForm>& f : {back, front, hidden, inactive, disabled})
        m.AddForm(f);

    // Overlapping forms both report, the one listed first (higher z-order) first;
    // each gets the point relative to its own centre.
    EXPECT_EQ(2, m.OnMouseDown(0, 10, 0));
    EXPECT_EQ("1@1(50,10) 1@2(-50,10)", Records(m.events));
    // Every form reports the release; only the one under the pointer clicks.
    EXPECT_EQ(3, m.OnMouseUp(100, 0, 0));
    EXPECT_EQ("2@1(150,0) 2@2(50,0) 0@2(50,0)", Records(m.events));
    EXPECT_EQ(1, m.OnMouseMove(140, 0, 0.1f));
    EXPECT_EQ("11@2(90,0)", Records(m.events));

    // Nothing reports: the queue is emptied all the same.
    EXPECT_EQ(0, m.OnMouseDown(1000, 0, 0));
    EXPECT_TRUE(m.events.empty());
    EXPECT_EQ(0, hidden->pressed[0] + inactive->pressed[0] + disabled->pressed[0]);
}

TEST(FormsManager, ModalRecordsReEnableOnlyWhatTheyDisabled)
{
    Lists lists;
    CKMFormsManager m;
    CRefPtr<CKMForm> a = MakeForm(lists, 1, 0), b = MakeForm(lists, 2, 0), c = MakeForm(lists, 3, 0),
                     d = MakeForm(lists, 4, 0);
    for (const CRefPtr<CKMForm>& f : {a, b, c, d})
        m.AddForm(f);
    d->enabled = 0;
    auto enabled = [&] {
        return std::to_string(a->enabled) + std::to_string(b->enabled) + std::to_string(c->enabled) +
               std::to_string(d->enabled);
    };

    m.PushModal(a);
    EXPECT_EQ("1000", enabled());
    EXPECT_EQ(2u, m.modalStack.back().size());
    // Only the modal form takes the press.
    m.OnMouseDown(0, 0, 0);
    EXPECT_EQ("1@1(0,0)", Records(m.events));

    m.PushModal(b); // a nested dialog: only a is left to disable
    EXPECT_EQ("0000", enabled());
    m.PushModal(c); // every other form is already disabled: an empty record
    EXPECT_TRUE(m.modalStack.back().empty());
    m.PopModal();
    EXPECT_EQ("0000", enabled());
    m.PopModal();
    EXPECT_EQ("1000", enabled());
    m.PopModal();
    EXPECT_EQ("1110", enabled()); // d stays disabled
    m.PopModal();                 // an empty stack: nothing happens
    EXPECT_EQ("1110", enabled());

    m.PushModal(a);
    m.PushModal(b);
    m.PushModal(c);
    m.PopAllModal();
    EXPECT_TRUE(m.modalStack.empty());
    EXPECT_EQ("1110", enabled());

    // A form removed while disabled is still re-enabled by its record.
    m.PushModal(a);
    m.RemoveForm(b);
    m.PopModal();
    EXPECT_EQ(1, b->enabled);
}

TEST(FormsManager, DrawsFormByFormWithEachFormsOwnTexts)
{
    RecDevice rec;
    CRefPtr<CTextSet> texts = rec.TextSet(); // one text set for every form
    CRefPtr<CTexture> picture = rec.Texture("Picture");
    CRefPtr<CFont> font = BoxFont(rec.Texture("Font"));

    struct Made
    {
        CRefPtr<CKMForm> form;
        CRefPtr<CKMStatic> label;
    };
    // Each form gets its own sprite list, its depth, a blended picture, an opaque
    // picture and a caption, all in colours of its own.
    auto make = [&](int depth, int32_t z, uint32_t tint) {
        Made m;
        m.form = CRefPtr<CKMForm>(new CKMForm(rec.SpriteList(), texts));
        m.form->SetDepth(depth);
        m.form->SetBaseSize(400, 300);
        m.form->SetZOrder(z);
        m.label = CRefPtr<CKMStatic>(new CKMStatic(m.form->spriteList, texts));
        m.label->SetBaseSize(100, 40);
        m.label->CreateText(font, 10, 10, "Hi", 0);
        m.label->SetTextColor(tint | 0xFF000000u);
        m.label->SetImage(picture, 0, 0, 1, 1);
        m.label->SetColor(tint | 0x80000000u);
        CRefPtr<CKMStatic> opaque(new CKMStatic(m.form->spriteList, texts));
        opaque->SetBaseSize(10, 10);
        opaque->SetImage(picture, 0, 0, 1, 1);
        opaque->SetColor(tint | 0x01000000u);
        opaque->sprites[0]->blended = 0;
        m.form->AddChild(m.label);
        m.form->AddChild(opaque);
        return m;
    };
    Made low = make(0, -20, 0x000011);
    Made high = make(1, 0, 0x002200);
    Made hidden = make(2, 10, 0x330000);
    hidden.form->SetVisible(0);

    CKMFormsManager m;
    m.AddForm(low.form);
    m.AddForm(high.form);
    m.AddForm(hidden.form);

    auto colours = [&] {
        std::string out;
        for (const Draw& d : rec.Draws())
        {
            char item[16];
            std::snprintf(item, sizeof item, "%s%06X", out.empty() ? "" : " ", d.Colour() & 0xFFFFFFu);
            out += item;
        }
        return out;
    };

    // Layer 1: each visible form's blended sprites, then its own texts, the
    // higher z-order first; the hidden form draws nothing.
    rec.recorder->ClearCalls();
    m.Draw(1);
    EXPECT_EQ("002200 002200 000011 000011", colours());

    // Any other layer: sprites only (these sprites are on layer 1, so nothing).
    rec.recorder->ClearCalls();
    m.Draw(0);
    EXPECT_EQ("", colours());
    low.label->sprites[0]->layer = 2;
    rec.recorder->ClearCalls();
    m.Draw(2);
    EXPECT_EQ("000011", colours());

    // The alpha-tested pass takes the opaque pictures only.
    rec.recorder->ClearCalls();
    m.DrawOpaque();
    EXPECT_EQ("002200 000011", colours());
}
