// scenetool [out.png] [width height]: draws a test scene through the game's device wrapper
// in the 1024 x 768 virtual screen and writes the back buffer as a PNG, so that a person
// can look at what the OpenGL device draws: blend modes over a gradient, an alpha-tested
// disc, wrapped and clamped checkers, depth-ordered quads and a letterboxed viewport.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "platform/win32/sdl_window.h"
#include "render/Device.h"
#include "tools/common/GraphicsHost.h"
#include "tools/common/ImageWrite.h"

namespace {

struct Scene
{
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertices;
    CRefPtr<CIndexBuffer> indices;
};

// One quad in virtual-screen units (origin at the centre, y up), drawn at once.
void Quad(Scene& s, float x0, float y0, float x1, float y1, float z, DWORD colour, float u1 = 1, float v1 = 1)
{
    void* vp = nullptr;
    void* ip = nullptr;
    if (FAILED(s.vertices->Lock(4, &vp, false)))
        return;
    if (FAILED(s.indices->Lock(6, &ip, false)))
    {
        s.vertices->Unlock();
        return;
    }
    auto* v = static_cast<CVertex*>(vp);
    v[0] = {x0, y0, z, colour, 0, 0, 0, 0};
    v[1] = {x1, y0, z, colour, u1, 0, u1, 0};
    v[2] = {x1, y1, z, colour, u1, v1, u1, v1};
    v[3] = {x0, y1, z, colour, 0, v1, 0, v1};
    auto* i = static_cast<WORD*>(ip);
    WORD base = static_cast<WORD>(s.vertices->lockStart);
    const WORD order[6] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k)
        i[k] = static_cast<WORD>(base + order[k]);
    s.vertices->Unlock();
    s.indices->Unlock();
    s.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, s.vertices->lockStart, 4, s.indices->lockStart, 2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string out = argc > 1 ? argv[1] : "scene.png";
    int width = argc > 3 ? std::atoi(argv[2]) : 800;
    int height = argc > 3 ? std::atoi(argv[3]) : 600;
    tools::GraphicsWindow host("scenetool", "scenetool", width, height);
    if (!host.Ready())
        return 1;
    HWND window = host.window;

    int status = 0;
    {
        Scene s;
        s.device = CRefPtr<CDevice>(new CDevice(host.d3d, 0));
        D3DFORMAT desktop = D3DFMT_X8R8G8B8;
        s.device->GetDesktopFormat(&desktop);
        HRESULT hr = s.device->Create(width, height, desktop, false, false, window, D3DFMT_D16, 1,
                                      D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0);
        if (FAILED(hr))
        {
            std::fprintf(stderr, "scenetool: device creation failed (0x%08x)\n", static_cast<unsigned>(hr));
            return 1;
        }
        CDevice& d = *s.device;
        s.vertices = d.CreateVertexBuffer(4096, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat, D3DPOOL_DEFAULT);
        s.indices = d.CreateIndexBuffer(6144, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);

        CRefPtr<CTexture> checker = tools::PaintTexture(d, "Checker", 64, 64, [](int x, int y) {
            return ((x / 8 + y / 8) % 2) ? 0xFFF0E0C0u : 0xFF4060A0u;
        });
        CRefPtr<CTexture> disc = tools::PaintTexture(d, "Disc", 64, 64, [](int x, int y) {
            float dx = x - 31.5f, dy = y - 31.5f;
            float r = std::sqrt(dx * dx + dy * dy) / 32.0f;
            DWORD a = r >= 1 ? 0 : static_cast<DWORD>(255 * (1 - r));
            return (a << 24) | 0xFFD040u;
        });

        // The same disc with its colour premultiplied by its alpha, for the modes that
        // read the source colour (mul, screen): black outside the disc leaves the
        // background alone.
        CRefPtr<CTexture> glow = tools::PaintTexture(d, "Glow", 64, 64, [](int x, int y) {
            float dx = x - 31.5f, dy = y - 31.5f;
            float r = std::sqrt(dx * dx + dy * dy) / 32.0f;
            float a = r >= 1 ? 0.0f : 1 - r;
            auto c = [a](DWORD v) { return static_cast<DWORD>(v * a); };
            return (c(255) << 24) | (c(0xFF) << 16) | (c(0xD0) << 8) | c(0x40);
        });

        // Letterbox: the 4:3 virtual screen centred in the back buffer.
        DWORD w = static_cast<DWORD>(std::floor(height * 1024.0 / 768.0 + 0.5));
        if (w > static_cast<DWORD>(width))
            w = width;
        D3DVIEWPORT8 full{0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 1};
        D3DVIEWPORT8 box{(width - w) / 2, 0, w, static_cast<DWORD>(height), 0, 1};
        D3DXMATRIX projection, identity;
        D3DXMatrixOrthoLH(&projection, 1024, 768, -1000, 1000);
        D3DXMatrixIdentity(&identity);

        d.device->BeginScene();
        d.SetViewport(&full);
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
        d.SetViewport(&box);
        d.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202830, 1, 0);
        d.SetTransform(D3DTS_WORLD, &identity);
        d.SetTransform(D3DTS_VIEW, &identity);
        d.SetTransform(D3DTS_PROJECTION, &projection);
        d.SetRenderState(D3DRS_LIGHTING, 0);
        d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        d.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d.SetStreamSource(s.vertices);
        d.SetIndices(s.indices, 0);
        d.SetVertexShader(kVertexFormat);

        // Top band: a horizontal gradient strip of vertex colours.
        d.SetTexture(0, CRefPtr<CTexture>());
        for (int i = 0; i < 16; ++i)
        {
            DWORD c = 0xFF000000 | (i * 17) << 16 | (255 - i * 17) << 8 | 0x80;
            Quad(s, -512.5f + i * 64, 384.5f, -512.5f + (i + 1) * 64, 256.5f, 0, c);
        }

        // Blend modes over the gradient's colours: normal, add, mul, screen.
        const DWORD blends[4][2] = {{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                    {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                                    {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR},
                                    {D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR}};
        for (int i = 0; i < 16; ++i)
        {
            DWORD c = 0xFF000000 | (i * 17) << 16 | (255 - i * 17) << 8 | 0x80;
            Quad(s, -512.5f + i * 64, 256.5f, -512.5f + (i + 1) * 64, 96.5f, 10, c);
        }
        d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        for (int m = 0; m < 4; ++m)
        {
            d.SetRenderState(D3DRS_SRCBLEND, blends[m][0]);
            d.SetRenderState(D3DRS_DESTBLEND, blends[m][1]);
            float x = -480.5f + m * 256;
            d.SetTexture(0, blends[m][1] == D3DBLEND_INVSRCCOLOR ? glow : disc);
            Quad(s, x, 240.5f, x + 192, 112.5f, -10, 0xFFFFFFFF);
        }
        d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        d.SetRenderState(D3DRS_ZWRITEENABLE, 1);

        // Middle left: the disc alpha-tested at reference 128 (a hard edge).
        d.SetTexture(0, disc);
        d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
        d.SetRenderState(D3DRS_ALPHAREF, 128);
        d.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        Quad(s, -480.5f, 64.5f, -224.5f, -191.5f, 0, 0xFFFFFFFF);
        d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);

        // Middle: the checker wrapped three times, then clamped.
        d.SetTexture(0, checker);
        Quad(s, -192.5f, 64.5f, 63.5f, -191.5f, 0, 0xFFFFFFFF, 3, 3);
        d.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        d.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        Quad(s, 95.5f, 64.5f, 351.5f, -191.5f, 0, 0xFFFFFFFF, 3, 3);
        d.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        d.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);

        // Bottom: depth order independent of draw order (red is nearest).
        d.SetTexture(0, CRefPtr<CTexture>());
        Quad(s, -400.5f, -220.5f, 0.5f, -360.5f, -100, 0xFFE03030);
        Quad(s, -200.5f, -260.5f, 200.5f, -380.5f, 100, 0xFF3030E0);
        Quad(s, 0.5f, -240.5f, 400.5f, -340.5f, 0, 0xFF30E030);

        // A clear limited to a small viewport (a yellow square at the right).
        D3DVIEWPORT8 corner{box.X + box.Width * 7 / 8, box.Height * 5 / 12, box.Width / 16, box.Width / 16, 0, 1};
        d.SetViewport(&corner);
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFE000, 1, 0);
        d.SetViewport(&box);
        d.device->EndScene();

        std::vector<uint32_t> pixels;
        if (!platform::ReadBackBuffer(d.device, 0, 0, width, height, pixels))
        {
            std::fprintf(stderr, "scenetool: the back buffer cannot be read\n");
            status = 1;
        }
        else
        {
            if (!tools::WriteArgbPng(out, pixels, width, height))
            {
                std::fprintf(stderr, "scenetool: cannot write %s\n", out.c_str());
                status = 1;
            }
            else
                std::printf("scenetool: wrote %s (%d x %d)\n", out.c_str(), width, height);
        }
        d.device->Present(nullptr, nullptr, window, nullptr);
    }
    return status;
}
