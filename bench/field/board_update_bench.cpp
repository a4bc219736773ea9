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
#include "tests/support/RecordingScreen.h"
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

struct Scene : test_support::RecordingScreen
{
    Scene() : RecordingScreen(640, 480)
    {
        crt::srand(17);
        caps = CRefPtr<CCapsManager>(new CCapsManager(device, vertexBuffer, indexBuffer));
        particles = CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager(device, vertexBuffer, indexBuffer));
        batch = CRefPtr<CSpriteBatch>(new CSpriteBatch(device, vertexBuffer, indexBuffer));
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
