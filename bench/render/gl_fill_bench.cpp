// What a full-screen picture costs the software rasteriser on the OpenGL backend, in
// process CPU time (the rasteriser's threads included) per frame of a 640 x 480 back
// buffer: a cleared frame, then one 1024 x 768 picture scaled down to it (the menu's
// painting), drawn with the states the game's layers use. Run by hand:
//   SDL_VIDEODRIVER=offscreen build/bench/bench_render --benchmark_filter=Fill
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/d3d8.h"
#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "platform/win32/sdl_window.h"
#include "tests/support/GLTestDevice.h"
#include "tests/support/TestWindow.h"

namespace {

struct FillVertex
{
    float x, y, z;
    DWORD colour;
    float u, v, u2, v2;
};

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;

class FillDevice
{
public:
    FillDevice()
    {
        HMODULE library = test_support::LoadOffscreenGraphics();
        if (!library)
            return;
        window = test_support::CreateTestWindow(kWidth, kHeight);
        d3d = test_support::CreateDirect3D(library);
        if (!window || !d3d || !MakeDevice())
            return;
        MakeBuffers();
        ready = true;
    }

    ~FillDevice()
    {
        for (IDirect3DTexture8* t : textures)
            t->Release();
        if (ib)
            ib->Release();
        if (vb)
            vb->Release();
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
        platform::DestroyAllWindows();
    }

    // A 1024 x 1024 picture; `holes` puts transparent texels in it.
    IDirect3DTexture8* Picture(bool holes)
    {
        IDirect3DTexture8* t = nullptr;
        device->CreateTexture(1024, 1024, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
        D3DLOCKED_RECT r;
        t->LockRect(0, &r, nullptr, 0);
        for (UINT y = 0; y < 1024; ++y)
        {
            auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch);
            for (UINT x = 0; x < 1024; ++x)
                row[x] = ((holes && (x ^ y) % 97 == 0) ? 0x00000000u : 0xFF000000u) | (x * 0x10101u + y * 0x3u);
        }
        t->UnlockRect(0);
        textures.push_back(t);
        return t;
    }

    // One frame: clear, the picture over the whole logical screen at depth z, present.
    void Frame(IDirect3DTexture8* picture, DWORD colour, float z, bool draw = true)
    {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204080, 1.0f, 0);
        if (!draw)
        {
            device->EndScene();
            device->Present(nullptr, nullptr, nullptr, nullptr);
            return;
        }
        device->SetTexture(0, picture);
        const FillVertex quad[4] = {{-512.5f, 384.5f, z, colour, 0, 0, 0, 0},
                                    {511.5f, 384.5f, z, colour, uScale, 0, 1, 0},
                                    {511.5f, -383.5f, z, colour, uScale, 0.75f * uScale, 1, 0.75f},
                                    {-512.5f, -383.5f, z, colour, 0, 0.75f * uScale, 0, 0.75f}};
        BYTE* p = nullptr;
        vb->Lock(0, sizeof quad, &p, D3DLOCK_DISCARD);
        std::memcpy(p, quad, sizeof quad);
        vb->Unlock();
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }

    bool ready = false;
    IDirect3DDevice8* device = nullptr;
    float uScale = 1.0f;

private:
    bool MakeDevice()
    {
        if (FAILED(test_support::CreateWindowedDevice(d3d, window, kWidth, kHeight, &device)))
            return false;
        D3DXMATRIX ortho;
        D3DXMatrixOrthoLH(&ortho, 1024.0f, 768.0f, -1000.0f, 1000.0f);
        device->SetTransform(D3DTS_PROJECTION, &ortho);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        return true;
    }

    void MakeBuffers()
    {
        device->CreateVertexBuffer(4 * sizeof(FillVertex), D3DUSAGE_WRITEONLY, 0x242, D3DPOOL_MANAGED, &vb);
        device->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib);
        const WORD indices[6] = {0, 1, 2, 0, 2, 3};
        BYTE* p = nullptr;
        ib->Lock(0, sizeof indices, &p, 0);
        std::memcpy(p, indices, sizeof indices);
        ib->Unlock();
        device->SetStreamSource(0, vb, sizeof(FillVertex));
        device->SetIndices(ib, 0);
        device->SetVertexShader(0x242);
    }

    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    std::vector<IDirect3DTexture8*> textures;
};

enum Kind
{
    kPainting,       // opaque picture, alpha test and depth test on (the menu's painting)
    kPaintingHoles,  // the same with transparent texels: the tests must run
    kBlended,        // a picture with transparent texels blended over the frame
    kFaded,          // an opaque picture drawn half transparent
    kEmpty,          // the cleared frame alone
};

void BM_FillFrame(benchmark::State& state)
{
    FillDevice d;
    if (!d.ready)
    {
        state.SkipWithError("no OpenGL video driver");
        return;
    }
    const auto kind = static_cast<Kind>(state.range(0));
    IDirect3DDevice8& dev = *d.device;
    IDirect3DTexture8* picture = d.Picture(kind != kPainting && kind != kFaded);
    const bool blended = kind == kBlended || kind == kFaded;
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, blended ? 0 : 0x80);
    dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, blended ? 1 : 0);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    const DWORD colour = kind == kFaded ? 0x80FFFFFFu : 0xFFFFFFFFu;
    const int variant = static_cast<int>(state.range(1));
    if (variant == 1)
    {
        dev.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        dev.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    }
    if (variant == 2)
    {
        dev.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        dev.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    }
    d.uScale = variant == 3 ? 0.625f : 1.0f;
    for (auto _ : state)
        d.Frame(picture, colour, 999.0f, kind != kEmpty);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillFrame)
    ->ArgNames({"kind", "variant"})
    ->ArgsProduct({{kPainting, kPaintingHoles, kBlended, kEmpty}, {0, 1, 2, 3}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
