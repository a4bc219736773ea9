// The token looks: writing the quads of a full board into the shared buffers
// (one lock per pass, one batch per texture run) and re-placing looks in the
// sorted list when tokens are marked, on the recording device.
#include "board/CapsManager.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/RecordingScreen.h"

#include <benchmark/benchmark.h>

namespace
{

struct Scene : test_support::RecordingScreen
{
    Scene(int looks) : RecordingScreen(640, 480)
    {
        manager = CRefPtr<CCapsManager>(new CCapsManager(device, vertexBuffer, indexBuffer));
        for (int i = 0; i < 3; ++i)
            manager->textures.push_back(CRefPtr<CTexture>(new CTexture()));
        for (int i = 0; i < CCapsAnimation::kCount; ++i)
        {
            CCapsAnimation a;
            a.frames = {{0.0f, 0.0f, 0.125f, 0.5f}};
            a.track = {0};
            manager->animations.push_back(a);
        }
        for (int i = 0; i < looks; ++i)
        {
            CRefPtr<CCapFrame> look;
            manager->MakeCapFrame(look, i % 7 + (i % 5 == 0 ? 50 : 0), float(i % 8) * 80.0f, float(i / 8) * -80.0f,
                                  0.0f, 32.0f, 0);
            look->lockCount = i % 9 == 0 ? 1 : 0;
        }
    }
    ~Scene()
    {
        manager.Reset();
        platform::UseGLBackend();
    }

    CRefPtr<CCapsManager> manager;
};

void BM_FillBuffers(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.manager->FillBuffers());
    state.counters["batches"] = double(scene.manager->batches.size());
}
BENCHMARK(BM_FillBuffers)->Arg(64)->Arg(128);

void BM_MarkAndUnmark(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    CRefPtr<CCapFrame> look = scene.manager->looks[scene.manager->looks.size() / 2];
    for (auto _ : state)
    {
        scene.manager->SetMarked(look, 1);
        scene.manager->SetMarked(look, 0);
    }
}
BENCHMARK(BM_MarkAndUnmark)->Arg(64)->Arg(128);

} // namespace
