// CPU cost of the renderer's frame around its layers on the recording backend: the
// device test, the clears, the transforms and the fixed block of default states,
// which the device caches cut down to the changes the previous frame's layers made.
// The "device calls" counter is what one frame sends to the device.
#include "platform/d3d8/backend.h"
#include "render/FrameLayers.h"
#include "render/Renderer.h"

#include <benchmark/benchmark.h>

namespace {

// The engine's layers with nothing handed over from the other subsystems; `churn`
// changes the states a frame's last layers typically leave behind.
struct BenchLayers : CEngineFrameLayers
{
    using CEngineFrameLayers::CEngineFrameLayers;
    bool BlackBackground() const { return false; }
    void Background() {}
    void ParticlesAlphaTested(int) {}
    void ParticlesBlended(int n)
    {
        if (churn && n == 6)
        {
            renderer.device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
            renderer.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
            renderer.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        }
    }
    void Fader() {}
    void SandGlass() {}
    void Caps() {}
    void CapsChains() {}
    void Forms() {}
    bool churn = false;
};

void Frame(benchmark::State& state, bool wide, bool churn)
{
    auto recorder = platform::UseRecordingBackend();
    platform::RecAdapter adapter = platform::D3DRecorder::DefaultAdapter();
    adapter.modes.push_back(D3DDISPLAYMODE{1280, 720, 60, D3DFMT_X8R8G8B8});
    recorder->adapters = {adapter};
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    {
        CRefPtr<CRenderer> renderer(new CRenderer());
        VideoSettings settings{};
        settings.colorMode = -1;
        settings.width = 640;
        settings.height = 480;
        renderer->Create(&settings, d3d, nullptr, D3DFMT_D16);
        if (wide)
            renderer->SetVideoMode(1, 1280, 720, D3DFMT_X8R8G8B8);
        renderer->vertexBuffer = renderer->device->CreateVertexBuffer(
            65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat, D3DPOOL_DEFAULT);
        renderer->indexBuffer = renderer->device->CreateIndexBuffer(
            65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
        BenchLayers layers(*renderer);
        layers.churn = churn;
        renderer->RenderFrameWith(layers);
        size_t calls = 0;
        for (auto _ : state)
        {
            recorder->ClearCalls();
            benchmark::DoNotOptimize(renderer->RenderFrameWith(layers));
            calls = recorder->calls.size();
        }
        state.counters["device calls"] = double(calls);
    }
    d3d->Release();
    platform::UseGLBackend();
}

void BM_RendererFrame(benchmark::State& state)
{
    Frame(state, false, false);
}
BENCHMARK(BM_RendererFrame);

void BM_RendererFrameLetterboxed(benchmark::State& state)
{
    Frame(state, true, false);
}
BENCHMARK(BM_RendererFrameLetterboxed);

void BM_RendererFrameAfterStateChurn(benchmark::State& state)
{
    Frame(state, false, true);
}
BENCHMARK(BM_RendererFrameAfterStateChurn);

} // namespace
