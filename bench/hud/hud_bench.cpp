// The play HUD's costs: a collected gem painted into the gem bar's strip and
// copied into its texture (the copy runs only when a gem arrives or a level
// starts), and a frame of pop-ups as a long cascade leaves them.
#include "hud/GemsBuffer.h"
#include "hud/PopupMessages.h"

#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteList.h"

#include <benchmark/benchmark.h>

namespace {

void BM_GemBarAddGemAndRefresh(benchmark::State& state)
{
    platform::UseRecordingBackend();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    CRefPtr<CDevice> device(new CDevice(d3d, 0));
    device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1, D3DMULTISAMPLE_NONE,
                   D3DSWAPEFFECT_DISCARD, 0);
    {
        CGemsBuffer bar;
        bar.SetResources(device, {}, {}, {}, {}, {});
        for (int c = 0; c < 7; ++c)
        {
            bar.cellWidths[c] = 34;
            bar.gemPictures[c].assign(40 * 40, 0xFF80C0FFu);
        }
        bar.CreateVisuals();
        bar.SetTotalCells(40);
        int n = 0;
        for (auto _ : state)
        {
            if (n++ % 40 == 0)
            {
                state.PauseTiming();
                bar.ResetForLevel();
                state.ResumeTiming();
            }
            bar.AddGem(n % 7);
        }
    }
    device.Reset();
    d3d->Release();
}
BENCHMARK(BM_GemBarAddGemAndRefresh);

void BM_PopupsFrame(benchmark::State& state)
{
    CPopupMessages::LoadSettings("/nonexistent/Score.cfg");
    CRefPtr<CFont> font(new CFont({}));
    font->headerFloat3 = 20.0f;
    CPopupMessages popups;
    popups.SetResources(CRefPtr<CSpriteList>(new CSpriteList({}, {}, {})), CRefPtr<CTextSet>(new CTextSet({}, {}, {})),
                        font, font, {});
    const int count = int(state.range(0));
    for (auto _ : state)
    {
        state.PauseTiming();
        popups.messages.clear();
        for (int i = 0; i < count; ++i)
        {
            CRefPtr<CPopupMessage> p;
            if (i % 3 == 2)
                popups.AddMultiplier(p, 100 + i, 500 + i, 2, 10.0f * i, 0, 0, {Vec3{0, 0, 0}, Vec3{50, 0, 0}},
                                     {0, 1});
            else
                popups.AddScore(p, 100 + i, 2, 10.0f * i, 0, 0);
        }
        state.ResumeTiming();
        popups.Update(1.0f / 60.0f);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_PopupsFrame)->Arg(30);

} // namespace
