// The bonus manager's frame with a board full of gems: every gem pulses its
// halo, cross-fades its flares and sprinkles twinkles into the sprite batch.
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusManager.h"

#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"

#include <benchmark/benchmark.h>

namespace {

void BM_GemsOnTheBoardFrame(benchmark::State& state)
{
    LoadBonusConfig("/nonexistent/Gems.cfg", "/nonexistent/Bonus.cfg");
    crt::srand(1);
    CRefPtr<CSpriteList> list(new CSpriteList({}, {}, {}));
    CRefPtr<CSpriteBatch> batch(new CSpriteBatch({}, {}, {}));
    CRefPtr<CParticleSystemsManager> particles(new CParticleSystemsManager({}, {}, {}));
    CBonusManager manager;
    manager.SetRenderers(list, batch, {}, list, particles, batch, {});
    const int count = int(state.range(0));
    for (int i = 0; i < count; ++i)
    {
        CRefPtr<CBonus> gem;
        manager.CreateGem(gem, i % 7, 1);
        gem->Place(80.0f * float(i % 8), -80.0f * float(i / 8), 0.0f, 32.0f, i % 8, i / 8);
    }
    const float dt = 1.0f / 60.0f;
    for (auto _ : state)
    {
        manager.UpdateAll(dt);
        batch->Update(dt); // the batch lets the twinkles go at the end of their lives
        benchmark::DoNotOptimize(manager.events.size());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_GemsOnTheBoardFrame)->Arg(8)->Arg(64);

} // namespace
