// CPU cost of one frame of the museum, jungle and valley scenes through the
// background manager on the recording backend, with the game's own pictures: the
// update (dust, mist, glints, clouds, the sprite list's animation) and the draw.
#include "backgrounds/BackgroundManager.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct Game
{
    Game()
    {
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        device->Create(1024, 768, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1, D3DMULTISAMPLE_NONE,
                       D3DSWAPEFFECT_DISCARD, 0);
        vertexBuffer = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                                  D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
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
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        d3d->Release();
    }

    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
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
