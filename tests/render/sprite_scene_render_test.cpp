// A sprite list, a sprite batch and a line of text drawn by the real OpenGL
// backend (SDL_VIDEODRIVER=offscreen) into the 1024 by 768 virtual screen at one
// pixel per unit, checked by reading pixels back at known places. The frame is
// also written to "draw2d_scene.png" in the working folder for a look.
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "tests/support/OffscreenDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const int kWidth = 1024;
const int kHeight = 768;

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;

CRefPtr<CTexture> WhiteTexture(CDevice& device)
{
    return test_support::PaintTexture(device, "White", 8, 8, [](int, int) { return 0xFFFFFFFFu; });
}

CRefPtr<CSpriteShape> Quad(const CRefPtr<CTexture>& texture, float x, float y, float w, float h, uint32_t colour,
                           int blended, int mode = kBlendNormal)
{
    CRefPtr<CSpriteShape> shape(new CSpriteShape(x, y, 0.0f, w, h, colour, texture, blended));
    shape->SetBlendMode(blended, mode);
    return shape;
}

// Pixels of a rectangle (virtual units) that are not black.
int Lit(const OffscreenFrame& frame, float x0, float y0, float x1, float y1)
{
    int lit = 0;
    for (float y = y0; y < y1; y += 1.0f)
        for (float x = x0; x < x1; x += 1.0f)
            lit += (frame.At(x, y) & 0x00FFFFFFu) != 0 ? 1 : 0;
    return lit;
}

void ExpectRgb(uint32_t expected, uint32_t actual, const char* what)
{
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int((expected >> shift) & 0xFF), int((actual >> shift) & 0xFF), 3)
            << what << std::hex << " expected " << expected << " got " << actual;
}

TEST(SpriteSceneRendering, ListBatchAndTextDrawWhereTheyBelong)
{
    OffscreenDevice gl;
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL device (run with SDL_VIDEODRIVER=offscreen)";
    CDevice& dev = *gl.device;
    CRefPtr<CTexture> white = WhiteTexture(dev);
    ASSERT_TRUE(white);

    // Sprite list: an opaque red panel darkened by MUL and lightened by SCREEN,
    // and two blended panels without depth test, the lower z-order drawn over.
    CSpriteList list(gl.device, gl.vertexBuffer, gl.indexBuffer);
    CRefPtr<CSpriteShape> panel = Quad(white, -300, 200, 200, 100, 0xFFFF0000, 0);
    list.Add(panel);
    CRefPtr<CSpriteShape> screen = Quad(white, -250, 200, 60, 60, 0xFFFFFFFF, 1, kBlendScreen);
    screen->SetAlpha(0.5f);
    list.Add(screen);
    CRefPtr<CSpriteShape> mul = Quad(white, -350, 200, 40, 40, 0xFFFFFFFF, 1, kBlendMul);
    list.Add(mul);
    CRefPtr<CSpriteShape> blue = Quad(white, 100, 200, 200, 100, 0xFF0000FF, 1);
    blue->zOrder = 10;
    blue->depthTest = 0;
    CRefPtr<CSpriteShape> yellow = Quad(white, 200, 200, 200, 100, 0xFFFFFF00, 1);
    yellow->zOrder = 2;
    yellow->depthTest = 0;
    list.Add(blue);
    list.Add(yellow);

    // Sprite batch: three additive cyan stars.
    CSpriteBatch batch(gl.device, gl.vertexBuffer, gl.indexBuffer);
    for (int i = 0; i < 3; ++i)
    {
        CRefPtr<CBatchSprite> star(new CBatchSprite(-300.0f + 60.0f * float(i), -100.0f, 0.0f, white, 0x00FFFF));
        star->SetScale(40.0f, 40.0f);
        star->flickerAmplitude = 0.0f;
        batch.Add(star);
    }
    batch.Update(1.0f);

    // Text: the main font at its own size.
    const std::string fonts = std::string(ORB_GAME_DIR) + "/Data/Fonts/";
    CRefPtr<CTextSet> texts(new CTextSet(gl.device, gl.vertexBuffer, gl.indexBuffer));
    CRefPtr<CText> line;
    if (std::filesystem::exists(fonts + "Font.kfd"))
    {
        CRefPtr<CTexture> fontTexture = dev.LoadTextureChooseFormat(fonts + "Font.tga", "Font",
                                                                    {D3DFMT_A8R8G8B8}, 1, 0, D3DPOOL_MANAGED);
        ASSERT_TRUE(fontTexture);
        CRefPtr<CFont> font(new CFont(fontTexture));
        ASSERT_EQ(1, font->Load((fonts + "Font.kfd").c_str()));
        line = texts->Add(CRefPtr<CText>(new CText(font)));
        line->position = {-100.0f, -200.0f, 0.0f};
        line->SetFontScale(font->GetBaseSize(), font->GetBaseSize());
        line->SetString("Orblight \xC8\xE3\xF0\xE0 1024");
    }

    OffscreenFrame frame;
    for (int pass = 0; pass < 2; ++pass)
    {
        gl.BeginRendererFrame();
        list.UpdateAll(0.0f, 0);
        list.DrawOpaque();
        list.DrawBlended(1);
        dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        batch.Render();
        texts->Draw(-1);
        gl.EndScene();
        if (pass == 1)
        {
            ASSERT_TRUE(gl.ReadBack(frame));
        }
        gl.Present();
    }
    ASSERT_EQ(size_t(kWidth) * kHeight, frame.pixels.size());
    EXPECT_TRUE(frame.SavePng("draw2d_scene.png"));

    ExpectRgb(0xFF0000, frame.At(-370, 230), "opaque panel");
    ExpectRgb(0x000000, frame.At(-350, 200), "MUL with white leaves black");
    ExpectRgb(0xFF7F7F, frame.At(-250, 200), "SCREEN with half-white lightens");
    ExpectRgb(0x0000FF, frame.At(50, 200), "z-order 10 alone");
    ExpectRgb(0xFFFF00, frame.At(150, 200), "z-order 2 covers z-order 10");
    ExpectRgb(0xFFFF00, frame.At(250, 200), "z-order 2 alone");
    for (int i = 0; i < 3; ++i)
        ExpectRgb(0x00FFFF, frame.At(-300.0f + 60.0f * float(i), -100.0f), "batch star");
    ExpectRgb(0x000000, frame.At(-240, -70), "between the stars' rows");
    // Outside everything the screen stays black.
    EXPECT_EQ(0, Lit(frame, -500, -380, 500, -300));
    EXPECT_EQ(0, Lit(frame, -500, 300, 500, 380));

    if (!line)
        GTEST_SKIP() << "the game's fonts are not generated in this build";
    // The text line covers its box with some of its pixels, and nothing beyond it.
    const float right = -100.0f + line->width;
    const float size = line->characters[0].basis.scaleY;
    EXPECT_GT(right, 150.0f);
    const int inside = Lit(frame, -100, -200 - size, right, -200);
    EXPECT_GT(inside, 600);
    EXPECT_LT(inside, int((right + 100.0f) * size * 0.7f));
    EXPECT_EQ(0, Lit(frame, right + 4, -200 - size, 500, -200));
    EXPECT_EQ(0, Lit(frame, -100, -280, right, -200 - size * 1.3f));
}

} // namespace
