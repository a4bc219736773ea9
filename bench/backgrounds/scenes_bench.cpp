// CPU cost of a frame of the background scenes on the recording backend, with the
// game folder's pictures and settings: the manager's update (the sprite list and the
// scene's animations) and its draw (the list's passes and the scene's own geometry).
// The main menu runs with its leaves falling; the door scene with ten gems lit and
// its leaf sinking.
#include "backgrounds/BackgroundManager.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/RecordingScreen.h"
#include "render/SpriteList.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string kGame = std::string(ORB_GAME_DIR) + "/";

struct Scenes : test_support::RecordingScreen
{
    Scenes() : RecordingScreen(1024, 768)
    {
        list = CRefPtr<CSpriteList>(new CSpriteList(device, vertexBuffer, indexBuffer));
        front = CRefPtr<CSpriteList>(new CSpriteList(device, vertexBuffer, indexBuffer));
        const std::string gfx = kGame + "Data/Gfx/";
        CRefPtr<CTexture> flare = device->LoadTextureWithAlpha(gfx + "Flare.jpg", "Flare", true, 0, D3DPOOL_MANAGED);
        CRefPtr<CTexture> spark = device->MakeTexture(gfx + "Spark.bmp", "Spark", 1, 0, D3DPOOL_MANAGED,
                                                      D3DFMT_UNKNOWN);
        manager = CRefPtr<CBackgroundManager>(new CBackgroundManager());
        manager->SetResources(device, vertexBuffer, indexBuffer);
        manager->SetSharedResources(list, {}, {}, flare, {}, {}, {}, spark, {}, front);
        manager->LoadSettings((kGame + "Data/Config/Background.cfg").c_str());
        manager->Init(gfx);
        manager->enabled = 1;
    }
    ~Scenes()
    {
        manager.Reset();
        list.Reset();
        front.Reset();
        platform::UseGLBackend();
    }
    void Frame(float dt)
    {
        manager->Update(dt);
        manager->Render();
    }

    CRefPtr<CSpriteList> list, front;
    CRefPtr<CBackgroundManager> manager;
};

void Run(benchmark::State& state, Scenes& s)
{
    size_t calls = 0;
    for (auto _ : state)
    {
        s.recorder->ClearCalls();
        s.Frame(1.0f / 60.0f);
        calls = s.recorder->calls.size();
    }
    state.counters["device calls"] = double(calls);
    state.counters["shapes"] = double(s.list->visibleList.size());
}

void BM_MainMenuSceneFrame(benchmark::State& state)
{
    Scenes s;
    s.manager->SetScene(CBackgroundManager::kSceneMainMenu);
    for (int i = 0; i < 600; ++i) // ten seconds in: the leaves are falling
        s.Frame(1.0f / 60.0f);
    Run(state, s);
}
BENCHMARK(BM_MainMenuSceneFrame);

void BM_DoorSceneFrame(benchmark::State& state)
{
    Scenes s;
    s.manager->SetScene(CBackgroundManager::kSceneDoor);
    s.manager->SetStage(10, 1);
    for (int i = 0; i < 120; ++i) // two seconds in: the door leaf sinks
        s.Frame(1.0f / 60.0f);
    Run(state, s);
}
BENCHMARK(BM_DoorSceneFrame);

} // namespace
