#include "render/SpriteList.h"

#include "tests/support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <vector>

using test_support::RecordedDraw;
using test_support::RecordingDevice;

namespace {

// Shapes are told apart in the drawn vertices by their colours: the blue byte
// carries the shape's number.
class SpriteListTest : public ::testing::Test
{
protected:
    SpriteListTest()
        : list(new CSpriteList(rec.device, rec.vertexBuffer, rec.indexBuffer)), texA(rec.Texture("A")),
          texB(rec.Texture("B"))
    {
        rec.ClearCalls();
    }

    CRefPtr<CSpriteShape> Shape(int number, int zOrder, CRefPtr<CTexture> texture, int blended = 0,
                                int layer = 1)
    {
        CRefPtr<CSpriteShape> shape(new CSpriteShape(0, 0, 0, 10, 10, 0xFF000000u | uint32_t(number), texture,
                                                     blended));
        shape->zOrder = zOrder;
        shape->layer = layer;
        return shape;
    }

    static std::vector<int> Numbers(const CSpriteList::ShapeList& shapes)
    {
        std::vector<int> out;
        for (const auto& s : shapes)
            out.push_back(int(s->colour & 0xFF));
        return out;
    }

    // The shapes of each draw, by number, in drawing order.
    static std::vector<std::vector<int>> Drawn(const std::vector<RecordedDraw>& draws)
    {
        std::vector<std::vector<int>> out;
        for (const RecordedDraw& d : draws)
        {
            std::vector<int> numbers;
            for (size_t v = 0; v < d.vertices.size(); v += 4)
                numbers.push_back(int(d.vertices[v].colour & 0xFF));
            out.push_back(numbers);
        }
        return out;
    }

    RecordingDevice rec;
    CRefPtr<CSpriteList> list;
    CRefPtr<CTexture> texA;
    CRefPtr<CTexture> texB;
};

typedef std::vector<std::vector<int>> Runs;

TEST_F(SpriteListTest, ShapesSortByZOrderThenGroupByTexture)
{
    list->Add(Shape(1, 5, texA));
    list->Add(Shape(2, 5, texB));
    list->Add(Shape(3, 5, texA)); // joins the first A
    list->Add(Shape(4, 10, texB));
    list->Add(Shape(5, 2, texA));
    list->Add(Shape(6, 5, CRefPtr<CTexture>()));
    list->Add(Shape(7, 5, CRefPtr<CTexture>(new CTexture()))); // a texture wrapper of its own
    EXPECT_EQ((std::vector<int>{4, 3, 1, 2, 6, 7, 5}), Numbers(list->visibleList));

    list->DrawOpaque();
    const std::vector<RecordedDraw> draws = rec.Draws();
    EXPECT_EQ((Runs{{4}, {3, 1}, {2}, {6}, {7}, {5}}), Drawn(draws));
    for (const RecordedDraw& d : draws)
    {
        EXPECT_EQ(d.vertexCount, d.primitives * 2);
        EXPECT_EQ(d.indices[0], d.minIndex);
        EXPECT_EQ(1, d.State(D3DRS_ALPHATESTENABLE));
        EXPECT_EQ(0x80, d.State(D3DRS_ALPHAREF));
        EXPECT_EQ(D3DCMP_GREATER, d.State(D3DRS_ALPHAFUNC));
        EXPECT_EQ(0, d.State(D3DRS_ALPHABLENDENABLE));
    }
}

// A shape with its texture but another state goes to the end of its texture's
// group, even when a shape of another texture came between them.
TEST_F(SpriteListTest, ALaterShapeJoinsTheEndOfItsTextureGroup)
{
    CRefPtr<CSpriteShape> add = Shape(3, 5, texA, 1);
    add->SetBlendMode(1, kBlendAdd);
    list->Add(Shape(1, 5, texA, 1));
    list->Add(Shape(2, 5, texB, 1));
    list->Add(add);
    EXPECT_EQ((std::vector<int>{1, 3, 2}), Numbers(list->visibleList));

    list->DrawBlended(1);
    EXPECT_EQ((Runs{{1}, {3}, {2}}), Drawn(rec.Draws()));
}

TEST_F(SpriteListTest, OpaquePassDrawsOnlyOpaqueShapesAndRestoresZWrite)
{
    CRefPtr<CSpriteShape> noZ = Shape(2, 5, texA);
    noZ->zWrite = 0;
    list->Add(Shape(1, 5, texA));
    list->Add(noZ);
    list->Add(Shape(3, 5, texA, 1));
    list->Add(Shape(4, 5, texA));
    rec.device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    rec.ClearCalls();

    list->DrawOpaque();
    const std::vector<RecordedDraw> draws = rec.Draws();
    // Non-blended shapes group regardless of z-write, but a run keeps one z-write.
    ASSERT_EQ((Runs{{4}, {2}, {1}}), Drawn(draws));
    EXPECT_EQ(1, draws[0].State(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(0, draws[1].State(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(1, draws[2].State(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(1u, rec.device->renderState[D3DRS_ZWRITEENABLE]);
}

TEST_F(SpriteListTest, BlendedPassDrawsOneLayerFromTheHighestZOrderDown)
{
    CRefPtr<CSpriteShape> low = Shape(1, 2, texA, 1);
    low->depthTest = 0;
    list->Add(low);
    list->Add(Shape(2, 10, texB, 1));
    list->Add(Shape(3, 10, texA, 1, 0));
    list->Add(Shape(4, 7, texA, 1, 2));
    list->Add(Shape(5, 5, texB));
    rec.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    rec.ClearCalls();

    list->DrawBlended(1);
    std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ((Runs{{2}, {1}}), Drawn(draws));
    EXPECT_EQ(D3DCMP_LESSEQUAL, draws[0].State(D3DRS_ZFUNC));
    EXPECT_EQ(D3DCMP_ALWAYS, draws[1].State(D3DRS_ZFUNC));
    EXPECT_EQ(1, draws[1].State(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(0, draws[1].State(D3DRS_ALPHAREF));
    EXPECT_EQ(5, draws[1].State(D3DRS_SRCBLEND));
    EXPECT_EQ(6, draws[1].State(D3DRS_DESTBLEND));
    EXPECT_EQ(uint32_t(D3DCMP_LESSEQUAL), rec.device->renderState[D3DRS_ZFUNC]);

    rec.ClearCalls();
    list->DrawBlended(0);
    EXPECT_EQ((Runs{{3}}), Drawn(rec.Draws()));
}

// Runs of a z-order pass over shapes of other layers and levels in between.
TEST_F(SpriteListTest, BlendedRunSpansShapesOfOtherLayers)
{
    list->Add(Shape(1, 5, texA, 1, 1));
    list->Add(Shape(2, 5, texA, 1, 0));
    list->Add(Shape(3, 5, texA, 1, 1));
    ASSERT_EQ((std::vector<int>{3, 2, 1}), Numbers(list->visibleList));
    list->DrawBlended(1);
    EXPECT_EQ((Runs{{3, 1}}), Drawn(rec.Draws()));
}

TEST_F(SpriteListTest, HiddenShapesDrawNothing)
{
    CRefPtr<CSpriteShape> opaque = Shape(1, 5, texA);
    CRefPtr<CSpriteShape> blended = Shape(2, 5, texA, 1);
    list->Add(opaque);
    list->Add(blended);
    opaque->visible = 0; // written directly: still in the visible list
    blended->visible = 0;

    list->DrawBlended(1);
    EXPECT_TRUE(rec.recorder->calls.empty());
    list->DrawOpaque();
    EXPECT_EQ(0, rec.Calls("DrawIndexedPrimitive"));
    EXPECT_GT(rec.Calls("SetRenderState"), 0);
}

TEST_F(SpriteListTest, VisibilityMovesShapesBetweenTheLists)
{
    CRefPtr<CSpriteShape> a1 = Shape(1, 5, texA);
    CRefPtr<CSpriteShape> b = Shape(2, 5, texB);
    CRefPtr<CSpriteShape> a3 = Shape(3, 5, texA);
    list->Add(a1);
    list->Add(b);
    list->SetVisible(a1, 0);
    EXPECT_EQ((std::vector<int>{2}), Numbers(list->visibleList));
    EXPECT_EQ((std::vector<int>{1}), Numbers(list->hiddenList));

    a3->zOrder = 9;
    list->Add(a3);
    list->SetVisible(a1, 1); // back to its sorted place, not its old one
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Numbers(list->visibleList));
    list->Resort();
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Numbers(list->visibleList));
    a3->zOrder = 0;
    list->Resort();
    EXPECT_EQ((std::vector<int>{2, 1, 3}), Numbers(list->visibleList));

    b->visible = 0;
    list->SyncLists();
    EXPECT_EQ((std::vector<int>{2}), Numbers(list->hiddenList));

    // Remove takes every entry of the shape out of both lists.
    list->Add(a1);
    list->Remove(a1);
    list->Remove(b);
    EXPECT_EQ((std::vector<int>{3}), Numbers(list->visibleList));
    EXPECT_TRUE(list->hiddenList.empty());
    EXPECT_EQ(1u, a1.RefCount());
}

TEST_F(SpriteListTest, UpdateAllDropsShapesWhoseLifeRanOut)
{
    CRefPtr<CSpriteShape> hiddenDying = Shape(1, 5, texA);
    hiddenDying->mortal = 1;
    hiddenDying->life = 0.0f;
    hiddenDying->visible = 0;
    CRefPtr<CSpriteShape> hiddenFading = Shape(2, 5, texA);
    hiddenFading->visible = 0;
    hiddenFading->FadeTo(0.0f);
    CRefPtr<CSpriteShape> living = Shape(3, 5, texA);
    living->mortal = 1;
    living->life = 0.5f;
    list->Add(hiddenDying);
    list->Add(hiddenFading);
    list->Add(living);

    list->UpdateAll(0.25f, 0);
    EXPECT_EQ((std::vector<int>{2}), Numbers(list->hiddenList));
    EXPECT_FLOAT_EQ(1.0f, hiddenFading->alpha); // hidden: not updated
    EXPECT_FLOAT_EQ(0.25f, living->life);

    list->UpdateAll(0.25f, 1);
    EXPECT_FLOAT_EQ(0.75f, hiddenFading->alpha); // forced
    EXPECT_TRUE(list->visibleList.empty());
}

TEST_F(SpriteListTest, AFailedLockEndsThePass)
{
    list->Add(Shape(1, 5, texA));
    list->Add(Shape(2, 5, texA, 1));
    rec.vertexBuffer->ReleaseBuffer();
    list->DrawOpaque();
    list->DrawBlended(1);
    EXPECT_EQ(0, rec.Calls("DrawIndexedPrimitive"));
    EXPECT_EQ(0, rec.indexBuffer->locks);

    rec.vertexBuffer->Recreate(rec.device->device);
    rec.indexBuffer->ReleaseBuffer();
    list->DrawOpaque();
    EXPECT_EQ(0, rec.Calls("DrawIndexedPrimitive"));
    EXPECT_EQ(0, rec.vertexBuffer->locks);
}

} // namespace
