// The renderer's whole-picture frames drawn by the real OpenGL backend
// (SDL_VIDEODRIVER=offscreen) in a 640 x 480 window, checked by reading pixels back:
// the loading picture with its progress bar, and the splash picture dimmed to grey.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3d8/backend.h"
#include "platform/win32.h"
#include "render/Renderer.h"
#include "tests/support/GLTestStart.h"
#include "tests/support/OffscreenDevice.h"

namespace {

class RendererOffscreenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test_support::StartGLDirect3D(640, 480, library, window, d3d);
        if (IsSkipped() || HasFatalFailure())
            return;
        renderer = CRefPtr<CRenderer>(new CRenderer());
        VideoSettings s{};
        s.colorMode = -1;
        s.width = 640;
        s.height = 480;
        ASSERT_EQ(D3D_OK, renderer->Create(&s, d3d, window, D3DFMT_D16));
        ASSERT_EQ(640u, renderer->screenWidth);
        CDevice& d = *renderer->device;
        renderer->vertexBuffer =
            d.CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat, D3DPOOL_DEFAULT);
        renderer->indexBuffer =
            d.CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
        ASSERT_TRUE(renderer->vertexBuffer.IsValid());
        ASSERT_TRUE(renderer->indexBuffer.IsValid());
    }

    void TearDown() override
    {
        renderer.Reset();
        if (d3d)
            d3d->Release();
        if (window)
            DestroyWindow(window);
        platform::UseRecordingBackend();
    }

    // A 1024 x 1024 picture: rows above `split` in one colour, the rest in another.
    CRefPtr<CTexture> Picture(const char* name, DWORD top, DWORD bottom, UINT split)
    {
        return test_support::PaintTexture(*renderer->device, name, 1024, 1024,
                                          [&](int, int y) { return UINT(y) < split ? top : bottom; });
    }

    DWORD Pixel(int x, int y)
    {
        std::vector<uint32_t> p;
        EXPECT_TRUE(platform::ReadBackBuffer(renderer->device->device, x, y, 1, 1, p));
        return p.empty() ? 0 : (p[0] & 0xFFFFFFu);
    }

    static bool Near(DWORD a, DWORD b)
    {
        for (int shift : {0, 8, 16})
        {
            int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
            if (d < -2 || d > 2)
                return false;
        }
        return true;
    }

    HMODULE library = nullptr;
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CRenderer> renderer;
};

TEST_F(RendererOffscreenTest, LoadingPictureWithProgressBar)
{
    // Rows 0..767 are the picture, rows 768 and below hold the bar's image.
    CRefPtr<CTexture> picture = Picture("Loading", 0xFF2040A0u, 0xFFFFD040u, 768);
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(D3D_OK, renderer->DrawLoadingScreen(picture, 0.5f));
    // 640 / 1024 pixels per unit: the bar spans x 237 .. 320 and y 401 .. 431.
    struct Sample
    {
        int x, y;
        DWORD colour;
    };
    const Sample samples[] = {
        {2, 2, 0x2040A0},     {637, 477, 0x2040A0}, {320, 240, 0x2040A0},  // the picture, edge to edge
        {245, 416, 0xFFD040}, {310, 405, 0xFFD040},                         // the bar, half grown
        {330, 416, 0x2040A0}, {245, 395, 0x2040A0}, {245, 436, 0x2040A0},  // around it
    };
    for (const Sample& s : samples)
        EXPECT_TRUE(Near(s.colour, Pixel(s.x, s.y))) << s.x << "," << s.y << ": " << std::hex << Pixel(s.x, s.y);
    renderer->Present();
}

TEST_F(RendererOffscreenTest, FadedPictureIsDimmedToGrey)
{
    CRefPtr<CTexture> white = Picture("Splash", 0xFFFFFFFFu, 0xFFFFFFFFu, 1024);
    ASSERT_TRUE(white.IsValid());
    struct Case
    {
        float level;
        DWORD colour;
    };
    for (const Case& c : {Case{0.0f, 0x000000}, Case{0.5f, 0x7F7F7F}, Case{1.0f, 0xFFFFFF}})
    {
        ASSERT_EQ(D3D_OK, renderer->DrawFadedPicture(white, c.level));
        for (auto at : {std::make_pair(1, 1), std::make_pair(320, 240), std::make_pair(638, 478)})
            EXPECT_TRUE(Near(c.colour, Pixel(at.first, at.second)))
                << c.level << " at " << at.first << "," << at.second << ": " << std::hex << Pixel(at.first, at.second);
        renderer->Present();
    }
}

} // namespace
