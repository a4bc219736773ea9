// Costs of the device wrapper's hot and load-time paths on the recording backend: a
// cached state set that is skipped, a state set that reaches the device, the shared
// buffer's append lock, and the alpha composition of a 512 x 512 texture.
#include <benchmark/benchmark.h>

#include "platform/d3d8/backend.h"
#include "render/Device.h"

namespace {

struct BenchDevice
{
    BenchDevice()
    {
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1, D3DMULTISAMPLE_NONE,
                       D3DSWAPEFFECT_DISCARD, 0);
    }
    ~BenchDevice()
    {
        device.Reset();
        d3d->Release();
        platform::UseGLBackend();
    }
    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
};

void BM_CachedStateSkipped(benchmark::State& state)
{
    BenchDevice b;
    b.device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
}
BENCHMARK(BM_CachedStateSkipped);

void BM_StateChangeSent(benchmark::State& state)
{
    BenchDevice b;
    DWORD value = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(b.device->SetRenderState(D3DRS_ALPHAREF, value++ & 0xff));
        if (b.recorder->calls.size() > 100000)
            b.recorder->ClearCalls();
    }
}
BENCHMARK(BM_StateChangeSent);

void BM_AppendLock(benchmark::State& state)
{
    BenchDevice b;
    CRefPtr<CVertexBuffer> vb = b.device->CreateVertexBuffer(65536, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
    void* data = nullptr;
    for (auto _ : state)
    {
        vb->Lock(4, &data, false);
        vb->Unlock();
    }
}
BENCHMARK(BM_AppendLock);

void BM_AlphaMerge512(benchmark::State& state)
{
    BenchDevice b;
    auto target = b.device->CreateTexture("t", 512, 512, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    auto colour = b.device->CreateTexture("c", 512, 512, 1, 0, D3DPOOL_MANAGED, D3DFMT_X8R8G8B8);
    auto alpha = b.device->CreateTexture("a", 512, 512, 1, 0, D3DPOOL_MANAGED, D3DFMT_L8);
    for (auto _ : state)
        benchmark::DoNotOptimize(CTexture::MergeAlpha(target->texture, colour->texture, alpha->texture));
    state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_AlphaMerge512);

} // namespace
