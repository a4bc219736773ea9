// CPU cost of a frame of 2,000 sprites through a sprite list on the recording
// backend: building the sorted list, and updating and submitting both passes.
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/RecordingScreen.h"
#include "render/SpriteList.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const int kSprites = 2000;

struct Scene : test_support::RecordingScreen
{
    Scene() : RecordingScreen(1024, 768)
    {
        const char* names[8] = {"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7"};
        for (const char* name : names)
            textures.push_back(device->CreateTexture(name, 64, 64, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8));

        // A screenful of widgets and effects: eight textures, a dozen z-orders,
        // a third blended (some additive), a few spinning or fading.
        for (int i = 0; i < kSprites; ++i)
        {
            const int blended = i % 3 == 0 ? 1 : 0;
            CRefPtr<CSpriteShape> shape(new CSpriteShape(float(i % 40) * 25.0f - 500.0f, float(i / 40) * 15.0f - 370.0f,
                                                         0.0f, 24.0f, 24.0f, 0xFFFFFFFF, textures[size_t(i * 7 % 8)],
                                                         blended));
            shape->zOrder = (i * 5) % 12;
            if (blended && i % 2)
                shape->SetBlendMode(1, kBlendAdd);
            if (i % 10 == 0)
                shape->spinning = 1;
            if (i % 10 == 5)
                shape->FadeTo(0.5f);
            shapes.push_back(shape);
        }
    }

    ~Scene()
    {
        shapes.clear();
        textures.clear();
    }

    std::vector<CRefPtr<CTexture>> textures;
    std::vector<CRefPtr<CSpriteShape>> shapes;
};

// Adding 2,000 shapes to an empty list: each goes to its sorted place.
void BM_SpriteListBuild(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
    {
        CSpriteList list(scene.device, scene.vertexBuffer, scene.indexBuffer);
        for (const CRefPtr<CSpriteShape>& shape : scene.shapes)
            list.Add(shape);
        benchmark::DoNotOptimize(list.visibleList.size());
    }
    state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_SpriteListBuild)->Unit(benchmark::kMicrosecond);

// One frame: update every shape, then the alpha-tested and the blended pass.
void BM_SpriteListFrame(benchmark::State& state)
{
    Scene scene;
    CSpriteList list(scene.device, scene.vertexBuffer, scene.indexBuffer);
    for (const CRefPtr<CSpriteShape>& shape : scene.shapes)
        list.Add(shape);
    size_t draws = 0;
    for (auto _ : state)
    {
        scene.recorder->ClearCalls();
        list.UpdateAll(1.0f / 60.0f, 0);
        list.DrawOpaque();
        list.DrawBlended(1);
        draws = size_t(scene.recorder->Count("DrawIndexedPrimitive"));
    }
    state.counters["draws"] = double(draws);
    state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_SpriteListFrame)->Unit(benchmark::kMicrosecond);

} // namespace
