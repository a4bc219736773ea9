// The interface's start-up and per-frame costs with the shipped screens: reading the
// texture catalogue and building the 26 forms (part of the game's start-up), and one
// frame of fades and pointer routing with the play screen shown.
#include "board/LevelParams.h"
#include "engine/DataFolders.h"
#include "engine/Log.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/Font.h"
#include "screens/Interface.h"
#include "hud/QuestLayout.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

struct Host
{
    Host()
    {
        SetLogFile((std::filesystem::temp_directory_path() / "interface_bench.log").string().c_str());
        platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1, D3DMULTISAMPLE_NONE,
                       D3DSWAPEFFECT_DISCARD, 0);
        vertices = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat,
                                              D3DPOOL_DEFAULT);
        indices = device->CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                            D3DPOOL_DEFAULT);
        folders.graphics = ORB_GAME_DIR "/Data/Gfx/";
        folders.forms = ORB_GAME_DIR "/Data/Forms/";
        folders.texts = ORB_GAME_DIR "/Data/Txt/";
        folders.players = (std::filesystem::temp_directory_path() / "interface_bench_players/").string();
        layout.Load(ORB_GAME_DIR "/Data/Config/Skin.cfg");
        for (int size : {32, 20, 48})
        {
            CRefPtr<CFont> font(new CFont(CRefPtr<CTexture>()));
            font->header[3] = uint32_t(size);
            font->headerFloat3 = float(size);
            fonts.push_back(font);
        }
    }
    ~Host()
    {
        indices.Reset();
        vertices.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
    }
    CRefPtr<CInterface> Make()
    {
        CRefPtr<CTextSet> texts(new CTextSet(device, vertices, indices));
        return CRefPtr<CInterface>(new CInterface(nullptr, device, vertices, indices, texts, fonts));
    }

    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertices;
    CRefPtr<CIndexBuffer> indices;
    CDataFolders folders;
    CQuestLayout layout;
    CLevelParams params;
    std::vector<CRefPtr<CFont>> fonts;
};

bool HaveData(benchmark::State& state)
{
    if (std::filesystem::exists(ORB_GAME_DIR "/Data/Gfx/Buttons.png"))
        return true;
    state.SkipWithError("the game's pictures are not generated in this build");
    return false;
}

void LoadInterface(benchmark::State& state)
{
    if (!HaveData(state))
        return;
    Host host;
    for (auto _ : state)
    {
        state.PauseTiming();
        host.device->textures.clear();
        CRefPtr<CInterface> ui = host.Make();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ui->Load(host.folders, host.layout, host.params));
    }
}
BENCHMARK(LoadInterface)->Unit(benchmark::kMillisecond);

void FrameWithPlayScreen(benchmark::State& state)
{
    if (!HaveData(state))
        return;
    Host host;
    CRefPtr<CInterface> ui = host.Make();
    if (!ui->Load(host.folders, host.layout, host.params))
    {
        state.SkipWithError("the interface did not load");
        return;
    }
    ui->FadeInForm(ui->FormAt(kFormQuest), 2.0f);
    ui->SetCounter(0, 0);
    float x = -500.0f;
    int score = 0;
    for (auto _ : state)
    {
        x = x > 500.0f ? -500.0f : x + 3.0f;
        score += 25;
        ui->SetCounter(score, 1);
        ui->SetGaugeTarget(float(score % 1000) / 1000.0f);
        benchmark::DoNotOptimize(ui->Update(x, 0.0f, 1.0f / 60.0f));
    }
}
BENCHMARK(FrameWithPlayScreen);

} // namespace
