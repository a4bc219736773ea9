#include "tools/common/GraphicsHost.h"

#include <cstdio>
#include <cstdlib>

#include "platform/win32/sdl_window.h"

namespace tools {

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    return DefWindowProc(hwnd, msg, w, l);
}

} // namespace

GraphicsWindow::GraphicsWindow(const char* tool, const char* title, int width, int height)
{
    if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    library = LoadLibraryA("D3D8.DLL");
    if (!library)
    {
        std::fprintf(stderr, "%s: no OpenGL video driver\n", tool);
        return;
    }
    WNDCLASS wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "Orblight";
    RegisterClass(&wc);
    window = CreateWindowEx(0, "Orblight", title, 0x10CA0000, 0, 0, width, height, nullptr, nullptr, nullptr,
                            nullptr);
    auto create = reinterpret_cast<PFN_Direct3DCreate8>(GetProcAddress(library, "Direct3DCreate8"));
    d3d = create ? create(D3D_SDK_VERSION) : nullptr;
    if (!window || !d3d)
    {
        std::fprintf(stderr, "%s: no window or Direct3D object\n", tool);
        return;
    }
    ShowWindow(window, SW_SHOWNORMAL);
}

GraphicsWindow::~GraphicsWindow()
{
    if (d3d)
        d3d->Release();
    platform::DestroyAllWindows();
    if (library)
        FreeLibrary(library);
}

CRefPtr<CRenderer> MakeRenderer(const char* tool, const GraphicsWindow& host, int width, int height)
{
    CRefPtr<CRenderer> renderer(new CRenderer());
    VideoSettings settings{};
    settings.colorMode = -1;
    settings.width = width;
    settings.height = height;
    const HRESULT hr = renderer->Create(&settings, host.d3d, host.window, D3DFMT_D16);
    if (FAILED(hr))
    {
        std::fprintf(stderr, "%s: renderer creation failed (0x%08x)\n", tool, static_cast<unsigned>(hr));
        return CRefPtr<CRenderer>();
    }
    if (renderer->screenWidth != UINT(width) || renderer->screenHeight != UINT(height))
        renderer->SetVideoMode(1, width, height, renderer->screenFormat);
    CDevice& device = *renderer->device;
    renderer->vertexBuffer =
        device.CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat, D3DPOOL_DEFAULT);
    renderer->indexBuffer =
        device.CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    return renderer;
}

} // namespace tools
