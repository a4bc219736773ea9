// The caps manager: the sorted look list (placement, re-placing, marking), the
// textures each look value takes, loading and switching the texture sets, and
// the three drawing passes on the recording device.
#include "board/CapsManager.h"

#include "board_test_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using board_test::RecordingBoardTest;

namespace
{

// Looks made by hand: a draw order and one of a few textures.
class LookListTest : public ::testing::Test
{
protected:
    LookListTest() : manager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())
    {
        for (auto& t : textures)
            t = CRefPtr<CTexture>(new CTexture());
    }

    CRefPtr<CCapFrame> Look(const char* name, int32_t order, int texture)
    {
        CRefPtr<CCapFrame> look(new CCapFrame());
        look->drawOrder = order;
        look->texture = textures[size_t(texture)];
        names.emplace_back(look.Get(), name);
        return look;
    }

    std::string Order() const
    {
        std::string out;
        // Newest name first: a freed look's address may come back for a new one.
        for (const auto& look : manager.looks)
            for (auto n = names.rbegin(); n != names.rend(); ++n)
                if (n->first == look.Get())
                {
                    out += n->second;
                    break;
                }
        return out;
    }

    CCapsManager manager;
    CRefPtr<CTexture> textures[3];
    std::vector<std::pair<CCapFrame*, std::string>> names;
};

TEST_F(LookListTest, AddingKeepsDrawOrderDownwardsAndTexturesTogether)
{
    auto a = Look("a", 1, 0), b = Look("b", 3, 0), c = Look("c", 2, 1);
    EXPECT_EQ(0, manager.AddLook(a));
    EXPECT_EQ(0, manager.AddLook(b));
    EXPECT_EQ(1, manager.AddLook(c));
    EXPECT_EQ("bca", Order());
    // A second look of draw order 2 with c's texture goes directly before c; one
    // with another texture goes behind the looks of its draw order.
    EXPECT_EQ(1, manager.AddLook(Look("d", 2, 1)));
    EXPECT_EQ(3, manager.AddLook(Look("e", 2, 2)));
    EXPECT_EQ("bdcea", Order());
}

TEST_F(LookListTest, RemovingAnswersTheFormerIndex)
{
    auto a = Look("a", 2, 0), b = Look("b", 1, 0);
    manager.AddLook(a);
    manager.AddLook(b);
    EXPECT_EQ(-1, manager.RemoveLook(Look("x", 1, 0)));
    EXPECT_EQ(0, manager.RemoveLook(a));
    EXPECT_EQ(-1, manager.RemoveLook(a));
    EXPECT_EQ("b", Order());
}

TEST_F(LookListTest, RaisingMovesByDrawOrderThenBesideItsTexture)
{
    {
        // P (3, X), Q (2, Y), R (2, X), S (1, Y): P lowered to 2 stays behind
        // Q and goes directly before R, the nearest look of its texture.
        auto p = Look("P", 3, 0), q = Look("Q", 2, 1), r = Look("R", 2, 0), s = Look("S", 1, 1);
        manager.looks = {p, q, r, s};
        p->drawOrder = 2;
        manager.RaiseLook(p);
        EXPECT_EQ("QPRS", Order());
        // Already in place: nothing moves.
        manager.RaiseLook(p);
        EXPECT_EQ("QPRS", Order());
        // Not in the list: nothing happens.
        manager.RaiseLook(Look("Z", 9, 0));
        EXPECT_EQ("QPRS", Order());
    }
    {
        // A (2, X), B (2, Y), C (1, X): C raised to 2 goes behind A.
        auto a = Look("A", 2, 0), b = Look("B", 2, 1), c = Look("C", 1, 0);
        manager.looks = {a, b, c};
        c->drawOrder = 2;
        manager.RaiseLook(c);
        EXPECT_EQ("ACB", Order());
    }
    {
        // A look raised past higher orders ends as the last of its new order.
        auto a = Look("A", 5, 0), b = Look("B", 4, 1), c = Look("C", 4, 2), d = Look("D", 1, 2);
        manager.looks = {a, b, c, d};
        d->drawOrder = 4;
        manager.RaiseLook(d);
        EXPECT_EQ("ABCD", Order()) << "behind C, a look of its texture, already";
        a->drawOrder = 0;
        manager.RaiseLook(a);
        EXPECT_EQ("BCDA", Order()) << "lowered past every higher order";
    }
}

TEST_F(RecordingBoardTest, LookValuesTakeTheirTexturesAndAnimations)
{
    WriteCapsPictures();
    ASSERT_EQ(1, manager->LoadTextures(folder));
    struct Case
    {
        int32_t value;
        int texture;
        int light;
        int animation;
    };
    const Case cases[] = {
        {0, 0, 2, 0},   {6, 0, 2, 6},   {7, 0, 2, 7},   {12, 0, 2, 7},  {20, 3, 6, 8},   {25, 4, 7, 13},
        {28, 5, 8, 16}, {35, 0, 2, 7},  {52, 1, 2, 2},  {60, 1, 2, 7},  {100, 0, 2, 7},  {-4, 0, 2, 7},
    };
    for (const Case& c : cases)
    {
        CRefPtr<CCapFrame> look;
        manager->MakeCapFrame(look, c.value, 1.0f, 2.0f, 3.0f, 30.0f, 4);
        ASSERT_TRUE(look);
        EXPECT_TRUE(look->texture.SameAs(manager->textures[size_t(c.texture)])) << c.value;
        EXPECT_TRUE(look->lightTexture.SameAs(manager->textures[size_t(c.light)])) << c.value;
        EXPECT_EQ(c.animation, GetCapAnimationIndex(c.value)) << c.value;
        EXPECT_FLOAT_EQ(30.0f, look->halfSize);
        EXPECT_EQ(4, look->drawOrder);
    }
    EXPECT_EQ(std::size(cases), manager->looks.size());
}

TEST_F(RecordingBoardTest, MarkingSwitchesValueAndTextureOnce)
{
    WriteCapsPictures();
    ASSERT_EQ(1, manager->LoadTextures(folder));
    CRefPtr<CCapFrame> look;
    manager->MakeCapFrame(look, 4, 0, 0, 0, 32, 0);
    manager->SetMarked(look, 1);
    EXPECT_EQ(54, look->lookValue);
    EXPECT_EQ("Caps_d.png", look->texture->name);
    manager->SetMarked(look, 1);
    EXPECT_EQ(54, look->lookValue);
    manager->SetMarked(look, 0);
    EXPECT_EQ(4, look->lookValue);
    EXPECT_EQ("Caps.png", look->texture->name);
    EXPECT_EQ("Caps_l.tga", look->lightTexture->name);
}

TEST_F(RecordingBoardTest, LoadingKeepsOnlyTheTokenSetOnTheDevice)
{
    WriteCapsPictures();
    ASSERT_EQ(1, manager->LoadTextures(folder));
    ASSERT_EQ(9u, manager->textures.size());
    for (size_t i = 0; i < 9; ++i)
    {
        EXPECT_EQ(board_test::CapsTextureFiles()[i], manager->textures[i]->name);
        EXPECT_EQ(i < 3, manager->textures[i]->texture != nullptr) << i;
    }
    EXPECT_TRUE(manager->lightMask && manager->chainPicture && manager->chainAlpha);
    EXPECT_EQ(D3DFMT_A1R5G5B5, manager->chainAlpha->desc.Format);
    EXPECT_EQ(0, manager->textureSet);
}

TEST_F(RecordingBoardTest, AMissingPictureFailsTheLoadWithItsName)
{
    WriteCapsPictures();
    std::filesystem::remove(folder + "MemCaps2.tga");
    EXPECT_EQ(0, manager->LoadTextures(folder));
    EXPECT_NE(std::string::npos, Log().find("Unable to load Texture MemCaps2.tga!\n")) << Log();
    EXPECT_EQ(4u, manager->textures.size());
    EXPECT_EQ(-1, manager->textureSet);
    EXPECT_EQ(0, manager->SwitchTextureSet(0));
}

TEST_F(RecordingBoardTest, SwitchingSetsDoesTheWorkOnceAndReportsFailures)
{
    EXPECT_EQ(0, manager->SwitchTextureSet(1)) << "nothing is loaded yet";
    WriteCapsPictures();
    ASSERT_EQ(1, manager->LoadTextures(folder));

    EXPECT_EQ(1, manager->SwitchTextureSet(1));
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(i >= 3, manager->textures[i]->texture != nullptr) << i;
    IDirect3DTexture8* card = manager->textures[3]->texture;
    EXPECT_EQ(1, manager->SwitchTextureSet(1));
    EXPECT_EQ(card, manager->textures[3]->texture) << "the second switch made nothing again";

    // An unknown set is no success, and releases nothing.
    EXPECT_EQ(0, manager->SwitchTextureSet(5));
    EXPECT_EQ(1, manager->textureSet);
    EXPECT_NE(nullptr, manager->textures[3]->texture);

    // A picture that cannot be made again fails the switch, and asking for the
    // same set again tries again instead of answering success at once.
    board_test::WriteText(folder + "Caps_d.png", "not a picture");
    EXPECT_EQ(0, manager->SwitchTextureSet(0));
    EXPECT_EQ(0, manager->textureSet);
    EXPECT_EQ(0, manager->SwitchTextureSet(0));
}

// --- drawing ---

class CapsDrawingTest : public RecordingBoardTest
{
protected:
    void SetUp() override
    {
        RecordingBoardTest::SetUp();
        WriteCapsPictures();
        ASSERT_EQ(1, manager->LoadTextures(folder));
        // One animation per value: frame 0 is the left half, frame 1 the right.
        for (int i = 0; i < CCapsAnimation::kCount; ++i)
        {
            CCapsAnimation a;
            a.frames = {{0.0f, 0.0f, 0.5f, 0.25f}, {0.5f, 0.25f, 1.0f, 0.5f}};
            a.track = {0, 1};
            manager->animations.push_back(a);
        }
        recorder->ClearCalls();
    }

    CRefPtr<CCapFrame> Make(int32_t value, float x, float y, float h = 32.0f, int32_t order = 0)
    {
        CRefPtr<CCapFrame> look;
        manager->MakeCapFrame(look, value, x, y, 5.0f, h, order);
        return look;
    }
};

TEST_F(CapsDrawingTest, NothingShownDrawsNothing)
{
    EXPECT_EQ(0, manager->Render());
    auto a = Make(1, 0, 0);
    a->shown = 0;
    EXPECT_EQ(0, manager->Render());
    manager->DrawChains();
    EXPECT_EQ(0, recorder->Count("DrawIndexedPrimitive"));
}

TEST_F(CapsDrawingTest, OneDrawPerRunOfATexture)
{
    // List order A, A, B, A: the marked look sits between the others by draw order.
    Make(0, 0, 0, 32, 3);
    Make(1, 100, 0, 32, 3);
    Make(52, 200, 0, 32, 2);
    Make(3, 300, 0, 32, 1);
    manager->lightX = 5000.0f;  // no light pass
    EXPECT_EQ(8, manager->Render());
    EXPECT_EQ(3, recorder->Count("DrawIndexedPrimitive"));
    ASSERT_EQ(3, manager->FillBuffers());
    EXPECT_EQ(4u, manager->batches[0].primitiveCount);
    EXPECT_EQ(2u, manager->batches[1].primitiveCount);
    EXPECT_EQ(2u, manager->batches[2].primitiveCount);
    EXPECT_EQ(12u, manager->batches[2].startVertex - manager->batches[0].startVertex);
}

TEST_F(CapsDrawingTest, QuadCornersAndFrameOfTheTrackPosition)
{
    auto look = Make(2, 10.0f, 20.0f, 8.0f);
    look->trackPosition = 1;
    ASSERT_EQ(1, manager->FillBuffers());
    const std::vector<CVertex> v = Vertices(manager->batches[0].startVertex, 4);
    const float xs[4] = {2, 18, 18, 2}, ys[4] = {28, 28, 12, 12};
    const float us[4] = {0.5f, 1.0f, 1.0f, 0.5f}, vs[4] = {0.25f, 0.25f, 0.5f, 0.5f};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_FLOAT_EQ(xs[i], v[i].x) << i;
        EXPECT_FLOAT_EQ(ys[i], v[i].y) << i;
        EXPECT_FLOAT_EQ(5.0f, v[i].z);
        EXPECT_EQ(0xFFFFFFFFu, v[i].colour);
        EXPECT_FLOAT_EQ(us[i], v[i].u) << i;
        EXPECT_FLOAT_EQ(vs[i], v[i].v) << i;
    }
    // A track position past the track holds at its last frame.
    look->trackPosition = 7;
    ASSERT_EQ(1, manager->FillBuffers());
    EXPECT_FLOAT_EQ(0.5f, Vertices(manager->batches[0].startVertex, 1)[0].u);
}

TEST_F(CapsDrawingTest, LightPassLightsLooksNearerThanThreeHalfSizes)
{
    auto near = Make(0, 0.0f, 0.0f, 10.0f);
    auto edge = Make(0, 100.0f, 0.0f, 10.0f);
    auto far = Make(0, 200.0f, 0.0f, 10.0f);
    for (auto* l : {&near, &edge, &far})
        (*l)->lightAllowed = 1;
    // Light point 29.9 from the first look, exactly 30 (three half sizes) from the second.
    manager->lightX = 70.0f;
    manager->lightY = 0.0f;
    near->x = 40.1f;
    EXPECT_EQ(6 + 2, manager->Render());
    EXPECT_EQ(1, near->lit);
    EXPECT_EQ(0, edge->lit);
    EXPECT_EQ(0, far->lit);
    ASSERT_EQ(1u, manager->batches.size());
    const std::vector<CVertex> v = Vertices(manager->batches[0].startVertex, 4);
    const float s = 1.0f / 30.0f;
    EXPECT_FLOAT_EQ(s * near->lightDx, v[0].u2);
    EXPECT_FLOAT_EQ(-(s * near->lightDy), v[0].v2);
    EXPECT_FLOAT_EQ(s * near->lightDx + 1.0f, v[2].u2);
    EXPECT_FLOAT_EQ(1.0f, v[3].v2);
    // Light on stage 1 clamped, then back to wrapping.
    EXPECT_EQ(1, recorder->Count("SetTextureStageState", "1, 13, 3"));
    EXPECT_EQ(D3DTADDRESS_WRAP, device->stageState[1][D3DTSS_ADDRESSU]);
    EXPECT_EQ(D3DTOP_DISABLE, device->stageState[1][D3DTSS_COLOROP]);
}

TEST_F(CapsDrawingTest, ChainsPickTheirHalfAndIgnoreNoQuad)
{
    auto single = Make(0, 0.0f, 0.0f, 39.0f);
    auto triple = Make(1, 200.0f, 0.0f, 39.0f);
    Make(2, 400.0f, 0.0f, 39.0f);  // no lock, no chain
    single->lockCount = 1;
    triple->lockCount = 3;
    triple->noQuad = 1;
    manager->lightX = 5000.0f;
    EXPECT_EQ(4, manager->Render()) << "the no-quad look writes no token quad";
    recorder->ClearCalls();
    manager->DrawChains();
    EXPECT_EQ(1, recorder->Count("DrawIndexedPrimitive"));
    // Looks of one texture and order stand newest first: the triple lock comes first.
    const std::vector<CVertex> v = Vertices(vertexBuffer->lockStart, 8);
    EXPECT_FLOAT_EQ(200.0f - 46.0f, v[0].x);
    EXPECT_FLOAT_EQ(46.0f, v[0].y);
    EXPECT_FLOAT_EQ(0.359375f, v[0].u);
    EXPECT_FLOAT_EQ(0.71875f, v[1].u);
    EXPECT_FLOAT_EQ(0.71875f, v[2].v);
    EXPECT_FLOAT_EQ(v[1].u, v[1].u2);
    EXPECT_FLOAT_EQ(-46.0f, v[4].x);
    EXPECT_FLOAT_EQ(0.0f, v[4].u);
    EXPECT_FLOAT_EQ(0.359375f, v[5].u);
    EXPECT_EQ(D3DTOP_DISABLE, device->stageState[1][D3DTSS_COLOROP]);
    EXPECT_EQ(D3DTOP_MODULATE, device->stageState[0][D3DTSS_COLOROP]);
}

TEST_F(CapsDrawingTest, AFailedLockIsReported)
{
    // Buffers too small for two quads cannot be locked.
    manager->vertexBuffer = device->CreateVertexBuffer(4, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                                       D3DPOOL_DEFAULT);
    Make(0, 0, 0);
    Make(1, 100, 0);
    EXPECT_EQ(-1, manager->Render());
    EXPECT_EQ(0, recorder->Count("DrawIndexedPrimitive"));
}

// --- memory cards ---

TEST_F(RecordingBoardTest, CardSpritesPairACoverAndAFace)
{
    WriteCapsPictures();
    ASSERT_EQ(1, manager->LoadTextures(folder));
    CCapSpriteGroup group(manager);
    CRefPtr<CCapSprite> sprite;
    group.Add(sprite, 5, 10.0f, 20.0f, 0.0f, 3);
    ASSERT_TRUE(sprite && sprite->frontLook && sprite->backLook);
    EXPECT_EQ(28, sprite->frontLook->lookValue);
    EXPECT_EQ(25, sprite->backLook->lookValue);
    EXPECT_EQ("MemCaps2.tga", sprite->backLook->texture->name);
    EXPECT_EQ("MemCaps2_l.tga", sprite->backLook->lightTexture->name);
    EXPECT_EQ(0, sprite->backLook->shown);
    EXPECT_EQ(1, sprite->frontLook->lightAllowed);
    EXPECT_EQ(2u, manager->looks.size());

    // Turning up shows the face from frame 2 on.
    sprite->state = 3;
    EXPECT_EQ(0, group.Update(0.05f));
    EXPECT_EQ(1, sprite->face);
    EXPECT_EQ(1, sprite->frontLook->trackPosition);
    EXPECT_EQ(1, group.Update(0.2f));
    EXPECT_EQ(0, sprite->state) << "the turn ended";
    ASSERT_EQ(1u, group.events.size());
    EXPECT_EQ(103, group.events[0].code);
    EXPECT_EQ(4, sprite->face);
    EXPECT_EQ(1, sprite->backLook->shown);
    EXPECT_EQ(0, sprite->frontLook->shown);
    EXPECT_EQ(2, sprite->backLook->trackPosition);

    // A card that flies out leaves the group with two events.
    sprite->state = 2;
    sprite->flightDuration = 0.1f;
    sprite->path.ResetLinear(Vec3{10, 20, 0}, Vec3{50, 20, 0}, 0.1f);
    EXPECT_EQ(2, group.Update(0.2f));
    EXPECT_EQ(102, group.events[1].code);
    EXPECT_TRUE(group.sprites.empty());
    EXPECT_TRUE(manager->looks.empty());
    EXPECT_EQ(-1, group.Remove(sprite));
}

} // namespace
