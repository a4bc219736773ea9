// CPU cost of one frame of the museum, jungle and valley scenes through the
// background manager on the recording backend, with the game's own pictures: the
// update (dust, mist, glints, clouds, the sprite list's animation) and the draw.
#include "backgrounds/BackgroundManager.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "tests/support/RecordingScreen.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct Game : test_support::RecordingScreen
{
    Game() : RecordingScreen(1024, 768)
    {
        const std::string gfx = std::string(ORB_GAME_DIR) + "/Data/Gfx/";
        flash = device->LoadTextureWithAlpha(gfx + "JungleFlash.tga", "JungleFlash", true, 0, D3DPOOL_MANAGED);
        list = CRefPtr<CSpriteList>(new CSpriteList(device, vertexBuffer, indexBuffer));
        batch = CRefPtr<CSpriteBatch>(new CSpriteBatch(device, vertexBuffer, indexBuffer));
        manager = CRefPtr<CBackgroundManager>(new CBackgroundManager());
        manager->SetResources(device, vertexBuffer, indexBuffer);
        manager->SetSharedResources(list, {}, batch, {}, flash, {}, {}, {}, {}, {});
        manager->LoadSettings((std::string(ORB_GAME_DIR) + "/Data/Config/Background.cfg").c_str());
        manager->Init(gfx);
        manager->enabled = 1;
    }
    ~Game()
    {
        manager.Reset();
        batch.Reset();
        list.Reset();
        flash.Reset();
    }

    CRefPtr<CTexture> flash;
    CRefPtr<CSpriteList> list;
    CRefPtr<CSpriteBatch> batch;
    CRefPtr<CBackgroundManager> manager;
};

void SceneFrame(benchmark::State& state)
{
    Game game;
    game.manager->SetScene(int32_t(state.range(0)));
    game.manager->SetStage(3, 1);
    for (auto _ : state)
    {
        game.manager->Update(1.0f / 60.0f);
        game.batch->Update(1.0f / 60.0f);
        benchmark::DoNotOptimize(game.manager->Render());
        game.batch->Render();
        game.recorder->ClearCalls();
    }
}
BENCHMARK(SceneFrame)
    ->Arg(CBackgroundManager::kSceneMuseum)
    ->Arg(CBackgroundManager::kSceneJungle)
    ->Arg(CBackgroundManager::kSceneValley);

} // namespace
