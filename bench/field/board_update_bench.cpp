// The board's whole frame while it plays a cascade: a swap that removes a line,
// the terminator's glows and bolts, falls with their bounce, a second wave and
// the refill, on the recording device with the particle manager and sprite
// batch that the terminators draw into (updated every frame as the game does).
// Each time the board settles the same opening is laid out again and swapped.
#include "board/Level.h"
#include "board/LevelParams.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "platform/d3d8/backend.h"
#include "render/Device.h"
#include "render/SpriteBatch.h"
#include "hud/QuestLayout.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

// Swapping (2, 7) and (3, 7) lines up column 2; the 1 above then lands beside
// two 1s of the bottom row: two waves, then the refill of the gaps.
const std::vector<std::string> kOpening = {"34563456", "56345224", "34563452", "56345634",
                                           "3416s456", "5604s634", "3406s456", "11205634"};

struct Scene
{
    Scene()
    {
        crt::srand(17);
        platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        device->Create(640, 480, D3DFMT_X8R8G8B8, false, false, nullptr, D3DFMT_D16, 1, D3DMULTISAMPLE_NONE,
                       D3DSWAPEFFECT_DISCARD, 0);
        vb = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, kVertexFormat, D3DPOOL_DEFAULT);
        ib = device->CreateIndexBuffer(65536, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
        caps = CRefPtr<CCapsManager>(new CCapsManager(device, vb, ib));
        particles = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager(device, vb, ib));
        batch = CRefPtr<CSpriteBatch>(new CSpriteBatch(device, vb, ib));
        rules.Set(0, 1);
        field.reset(new CPlayField(caps, &layout, nullptr, &rules, &fillRate));
        terminators = CRefPtr<CTerminatorManager>(new CTerminatorManager(0.0f, &field->capList, particles, batch));
        field->terminatorManager = terminators;
        Lay();
    }

    ~Scene()
    {
        field.reset();
        terminators.Reset();
        batch.Reset();
        particles.Reset();
        caps.Reset();
        ib.Reset();
        vb.Reset();
        device.Reset();
        d3d->Release();
        platform::UseGLBackend();
    }

    // The opening board dropped in from the level layout, settled, and swapped.
    void Lay()
    {
        field->Reset(0);
        field->capsSet = {0, 1, 2, 3, 4, 5, 6};
        field->steelChance = field->lockChance = 0.0f;
        field->level = CRefPtr<CLevel>(new CLevel());
        field->level->isDefault = 0;
        field->level->beginRows = kOpening;
        field->fillPending = CPlayField::kFillLevel;
        for (int i = 0; i < 600 && !Quiet(); ++i)
            Frame();
        field->StartSwap(3, 7, 2, 7, 0);
    }

    bool Quiet() const
    {
        return field->fillPending == 0 && field->IsIdle(true) && terminators->IsEmpty();
    }

    void Frame()
    {
        const float dt = 1.0f / 60.0f;
        field->Update(dt, 0.0f, 0.0f);
        field->events.clear();
        particles->Update(dt);
        batch->Update(dt);
    }

    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vb;
    CRefPtr<CIndexBuffer> ib;
    CRefPtr<CCapsManager> caps;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> batch;
    CQuestLayout layout;
    CLevelParams rules;
    float fillRate = 0.0f;
    std::unique_ptr<CPlayField> field;
    CRefPtr<CTerminatorManager> terminators;
};

void BM_BoardFrameDuringCascade(benchmark::State& state)
{
    Scene scene;
    int64_t frames = 0, cascades = 0;
    for (auto _ : state)
    {
        scene.Frame();
        ++frames;
        if (scene.Quiet() && scene.field->pendingSwaps.empty() && scene.field->swapBacks.empty())
        {
            state.PauseTiming();
            scene.Lay();
            ++cascades;
            state.ResumeTiming();
        }
    }
    state.counters["frames_per_cascade"] = cascades ? double(frames) / double(cascades) : 0.0;
}
BENCHMARK(BM_BoardFrameDuringCascade);

} // namespace
