// framehost <game folder> [out.png] [width height]: a test host, not a data generator.
// It opens the game window, lets the renderer negotiate the mode and make the device,
// hands it a background picture, a board of tokens, a title text and the background
// manager, draws one game frame with CRenderer::RenderFrame and writes the back buffer
// as a PNG. It then checks the letterbox: on a back buffer wider than 4:3 the bars left
// and right are black and the picture between them is not. Exit status 0 when the
// check holds, 2 when it does not, 1 when nothing could be drawn.
//
//   xvfb-run -a -s "-screen 0 1280x720x24" build/tools/framehost/framehost build/game frame.png 1280 720
#include <stb_image_write.h>

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

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    return DefWindowProc(hwnd, msg, w, l);
}

// A blank texture filled by a function of (x, y) in 0..1.
template <class Fill>
CRefPtr<CTexture> MakeTexture(CDevice& device, const char* name, UINT size, Fill fill)
{
    CRefPtr<CTexture> t = device.CreateTexture(name, size, size, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    if (!t.IsValid())
        return t;
    D3DLOCKED_RECT r;
    if (FAILED(t->texture->LockRect(0, &r, nullptr, 0)))
        return t;
    for (UINT y = 0; y < size; ++y)
        for (UINT x = 0; x < size; ++x)
        {
            DWORD c = fill((x + 0.5f) / size, (y + 0.5f) / size);
            std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch + x * 4, &c, 4);
        }
    t->texture->UnlockRect(0);
    return t;
}

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
    if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);

    HMODULE library = LoadLibraryA("D3D8.DLL");
    if (!library)
    {
        std::fprintf(stderr, "framehost: no OpenGL video driver\n");
        return 1;
    }
    WNDCLASS wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "Orblight";
    RegisterClass(&wc);
    HWND window = CreateWindowEx(0, "Orblight", "The Orblight of Quillacor", 0x10CA0000, 0, 0, 640, 480, nullptr,
                                 nullptr, nullptr, nullptr);
    auto create = reinterpret_cast<PFN_Direct3DCreate8>(GetProcAddress(library, "Direct3DCreate8"));
    IDirect3D8* d3d = create ? create(D3D_SDK_VERSION) : nullptr;
    if (!window || !d3d)
    {
        std::fprintf(stderr, "framehost: no window or Direct3D object\n");
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);

    int status = 0;
    {
        CRefPtr<CRenderer> renderer(new CRenderer());
        VideoSettings settings{};
        settings.colorMode = -1;
        settings.width = width;
        settings.height = height;
        HRESULT hr = renderer->Create(&settings, d3d, window, D3DFMT_D16);
        if (FAILED(hr))
        {
            std::fprintf(stderr, "framehost: renderer creation failed (0x%08x)\n", static_cast<unsigned>(hr));
            return 1;
        }
        // The desktop may be too small for a window of that size: the same back buffer
        // full screen instead.
        if (renderer->screenWidth != UINT(width) || renderer->screenHeight != UINT(height))
            renderer->SetVideoMode(1, width, height, renderer->screenFormat);
        std::printf("framehost: %s %ux%u format %d, letterbox x %u width %u\n",
                    renderer->device->present.Windowed ? "window" : "full screen", renderer->screenWidth,
                    renderer->screenHeight, static_cast<int>(renderer->screenFormat), renderer->letterbox.X,
                    renderer->letterbox.Width);

        CDevice& device = *renderer->device;
        renderer->vertexBuffer =
            device.CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat, D3DPOOL_DEFAULT);
        renderer->indexBuffer = device.CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                         D3DPOOL_DEFAULT);
        CRefPtr<CVertexBuffer> vb = renderer->vertexBuffer;
        CRefPtr<CIndexBuffer> ib = renderer->indexBuffer;
        renderer->SaveGammaRamp();
        renderer->SetBrightness(0.5f);

        // The scene: a dusky sky over hills behind a stone panel, drawn in sprite list 1
        // far back, as the background scenes do.
        CRefPtr<CTexture> sky = MakeTexture(device, "HostSky", 256, [](float x, float y) {
            float hill = 0.72f + 0.06f * std::sin(x * 9.0f) + 0.03f * std::sin(x * 23.0f + 1.0f);
            if (y > hill)
                return Argb(1, 0.10f + 0.05f * x, 0.22f - 0.1f * (y - hill), 0.16f);
            float glow = std::exp(-((x - 0.7f) * (x - 0.7f) + (y - 0.55f) * (y - 0.55f)) * 18.0f);
            return Argb(1, 0.18f + 0.6f * y + 0.5f * glow, 0.12f + 0.3f * y + 0.35f * glow, 0.35f + 0.1f * y);
        });
        CRefPtr<CTexture> panel = MakeTexture(device, "HostPanel", 128, [](float x, float y) {
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
            renderer->caps = caps;
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
        renderer->backgrounds = backgrounds;

        hr = renderer->RenderFrame();
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
            std::vector<uint8_t> rgba(pixels.size() * 4);
            for (size_t i = 0; i < pixels.size(); ++i)
            {
                rgba[i * 4 + 0] = uint8_t(pixels[i] >> 16);
                rgba[i * 4 + 1] = uint8_t(pixels[i] >> 8);
                rgba[i * 4 + 2] = uint8_t(pixels[i]);
                rgba[i * 4 + 3] = 255;
            }
            if (!stbi_write_png(out.c_str(), w, h, 4, rgba.data(), w * 4))
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
    d3d->Release();
    DestroyWindow(window);
    FreeLibrary(library);
    return status;
}
