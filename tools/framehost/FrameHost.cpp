// framehost <game folder> [out.png] [width height]: a test host, not a data generator.
// It opens the game window, lets the renderer negotiate the mode and make the device,
// hands it a background picture, a board of tokens, a title text and the background
// manager, draws one game frame with RenderGameFrame and writes the back buffer
// as a PNG. It then checks the letterbox: on a back buffer wider than 4:3 the bars left
// and right are black and the picture between them is not. Exit status 0 when the
// check holds, 2 when it does not, 1 when nothing could be drawn.
//
//   xvfb-run -a -s "-screen 0 1280x720x24" build/tools/framehost/framehost build/game frame.png 1280 720
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/d3d8/backend.h"
#include "platform/win32.h"
#include "game/Frame.h"
#include "render/Renderer.h"
#include "tools/common/GraphicsHost.h"
#include "tools/common/ImageWrite.h"

namespace {

DWORD Argb(float a, float r, float g, float b)
{
    auto c = [](float v) { return static_cast<DWORD>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

bool IsBlack(uint32_t argb)
{
    return (argb & 0xFFFFFFu) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: framehost <game folder> [out.png] [width height]\n");
        return 1;
    }
    const std::string out = std::filesystem::absolute(argc > 2 ? argv[2] : "frame.png").string();
    const int width = argc > 4 ? std::atoi(argv[3]) : 1280;
    const int height = argc > 4 ? std::atoi(argv[4]) : 720;
    std::error_code error;
    std::filesystem::current_path(argv[1], error);
    if (error)
    {
        std::fprintf(stderr, "framehost: no game folder %s\n", argv[1]);
        return 1;
    }
    tools::GraphicsWindow host("framehost", "The Orblight of Quillacor", 640, 480);
    if (!host.Ready())
        return 1;
    int status = 0;
    {
        CRefPtr<CRenderer> renderer = tools::MakeRenderer("framehost", host, width, height);
        if (!renderer)
            return 1;
        GameFrameModules frame;
        std::printf("framehost: %s %ux%u format %d, letterbox x %u width %u\n",
                    renderer->device->present.Windowed ? "window" : "full screen", renderer->screenWidth,
                    renderer->screenHeight, static_cast<int>(renderer->screenFormat), renderer->letterbox.X,
                    renderer->letterbox.Width);

        CDevice& device = *renderer->device;
        CRefPtr<CVertexBuffer> vb = renderer->vertexBuffer;
        CRefPtr<CIndexBuffer> ib = renderer->indexBuffer;
        renderer->SaveGammaRamp();
        renderer->SetBrightness(0.5f);

        // The scene: a dusky sky over hills behind a stone panel, drawn in sprite list 1
        // far back, as the background scenes do.
        CRefPtr<CTexture> sky = tools::ShadeTexture(device, "HostSky", 256, [](float x, float y) {
            float hill = 0.72f + 0.06f * std::sin(x * 9.0f) + 0.03f * std::sin(x * 23.0f + 1.0f);
            if (y > hill)
                return Argb(1, 0.10f + 0.05f * x, 0.22f - 0.1f * (y - hill), 0.16f);
            float glow = std::exp(-((x - 0.7f) * (x - 0.7f) + (y - 0.55f) * (y - 0.55f)) * 18.0f);
            return Argb(1, 0.18f + 0.6f * y + 0.5f * glow, 0.12f + 0.3f * y + 0.35f * glow, 0.35f + 0.1f * y);
        });
        CRefPtr<CTexture> panel = tools::ShadeTexture(device, "HostPanel", 128, [](float x, float y) {
            float edge = std::fmin(std::fmin(x, 1 - x), std::fmin(y, 1 - y));
            float rim = edge < 0.04f ? 0.9f : edge < 0.06f ? 0.3f : 0.0f;
            return Argb(edge < 0.06f ? 1.0f : 0.78f, 0.10f + rim * 0.8f, 0.09f + rim * 0.65f, 0.14f + rim * 0.3f);
        });
        CRefPtr<CSpriteList> list(new CSpriteList(renderer->device, vb, ib));
        CRefPtr<CSpriteShape> back = MakeRef<CSpriteShape>(0.0f, 0.0f, 999.0f, 1032.0f, 776.0f, 0xFFFFFFFFu, sky, 0);
        back->zOrder = 100;
        list->Add(back);
        CRefPtr<CSpriteShape> board = MakeRef<CSpriteShape>(-40.0f, -10.0f, 900.0f, 560.0f, 560.0f, 0xFFFFFFFFu, panel, 1);
        board->zOrder = 90;
        board->layer = 1;
        list->Add(board);
        list->UpdateAll(0.0f, 1);
        renderer->spriteLists[0] = list;

        // The board's tokens through the caps manager, when the token pictures are there.
        CRefPtr<CCapsManager> caps(new CCapsManager(renderer->device, vb, ib));
        if (caps->LoadTextures("Data\\Gfx\\") && caps->LoadCapsAnimation("Data\\"))
        {
            const float cell = 64.0f;
            const float left = -40.0f - 4 * cell + cell / 2;
            const float top = -10.0f + 4 * cell - cell / 2;
            std::vector<CRefPtr<CCapFrame>> looks;
            for (int row = 0; row < 8; ++row)
                for (int column = 0; column < 8; ++column)
                {
                    CRefPtr<CCapFrame> look;
                    caps->MakeCapFrame(look, (column * 3 + row * 5 + row * column) % 7, left + column * cell,
                                       top - row * cell, 0.0f, cell / 2, 0);
                    look->lockCount = (row == 5 && column > 1 && column < 4) ? 1 : 0;
                    looks.push_back(look);
                }
            caps->Update(0.0f);
            frame.caps = caps;
        }
        else
            std::printf("framehost: no token pictures in Data\\Gfx\\ (run the generators)\n");

        // The title in the game's font, in the upper text pass.
        CRefPtr<CTexture> fontTexture = device.MakeTexture("Data\\Fonts\\FontTitle.tga", "___Font_FontTitle", 1, 0,
                                                           D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
        CRefPtr<CTextSet> texts(new CTextSet(renderer->device, vb, ib));
        if (fontTexture.IsValid())
        {
            CRefPtr<CFont> font(new CFont(fontTexture));
            if (font->Load("Data\\Fonts\\FontTitle.kfd"))
            {
                CRefPtr<CText> title(new CText(font));
                title->layer = kTextPassHigh;
                title->alignment = kAlignCentre;
                title->position = Vec3{-40.0f, 330.0f, 0.0f};
                title->colour = 0xFFFFE8A0u;
                title->SetFontScale(font->GetBaseSize(), font->GetBaseSize());
                title->SetString("The Orblight of Quillacor");
                texts->Add(title);
            }
        }
        renderer->texts = texts;

        CRefPtr<CBackgroundManager> backgrounds(new CBackgroundManager());
        backgrounds->enabled = 1;
        backgrounds->SetScene(CBackgroundManager::kSceneMainMenu);
        frame.backgrounds = backgrounds;

        const HRESULT hr = RenderGameFrame(*renderer, frame);
        std::vector<uint32_t> pixels;
        const int w = static_cast<int>(renderer->screenWidth), h = static_cast<int>(renderer->screenHeight);
        if (FAILED(hr) || !platform::ReadBackBuffer(device.device, 0, 0, w, h, pixels))
        {
            std::fprintf(stderr, "framehost: the frame could not be drawn or read (0x%08x)\n",
                         static_cast<unsigned>(hr));
            status = 1;
        }
        else
        {
            renderer->Present();
            if (!tools::WriteArgbPng(out, pixels, w, h))
            {
                std::fprintf(stderr, "framehost: cannot write %s\n", out.c_str());
                status = 1;
            }
            else
                std::printf("framehost: wrote %s\n", out.c_str());

            // Bars black on both sides over the whole height, the picture inside them not.
            const int barLeft = static_cast<int>(renderer->letterbox.X);
            const int barRight = barLeft + static_cast<int>(renderer->letterbox.Width);
            int wrong = 0;
            for (int y = 0; y < h; y += 8)
                for (int x : {0, barLeft - 1, barRight, w - 1})
                    if (x >= 0 && x < w && (x < barLeft || x >= barRight) && !IsBlack(pixels[y * w + x]))
                        ++wrong;
            for (int y = 4; y < h; y += 8)
                for (int x : {barLeft, barLeft + 1, (barLeft + barRight) / 2, barRight - 2})
                    if (IsBlack(pixels[y * w + x]))
                        ++wrong;
            std::printf("framehost: letterbox %s (%d wrong samples)\n", wrong ? "WRONG" : "ok", wrong);
            if (status == 0 && wrong)
                status = 2;
        }
        renderer->RestoreGammaRamp();
    }
    return status;
}
