// Updating and filling the shared buffers for 5,000 live particles per frame:
// once as one keeper-driven collection system, once as a mix of the five
// built-in systems at their steady state.
#include "effects/ParticleSystemsManager.h"
#include "platform/crt.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

const float kFrame = 1.0f / 60.0f;

// A keeper that lets every particle drift and turn, and never kills it.
class DriftKeeper : public CCollection2Keeper
{
public:
    int32_t UpdateParticle(int32_t, CCollectedParticle2& p, float dt, float, float, float) override
    {
        p.position.x += p.velocity.x * dt;
        p.position.y += p.velocity.y * dt;
        p.angle = pmath::WrapAngle(p.angle + p.angularSpeed * dt);
        if (p.position.y < -300.0f || p.position.y > 300.0f)
            p.velocity.y = -p.velocity.y;
        return 1;
    }
};

CRefPtr<CParticleSystemsManager> MakeManager()
{
    CRefPtr<CParticleSystemsManager> m(new CParticleSystemsManager(
        CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    m->environment->boxMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
    m->environment->boxMax = Vec3{1000.0f, 1000.0f, 10000.0f};
    m->environment->view->eye.z = -1000.0f;
    return m;
}

// What DrawBlended does with the buffers, without a device: fill every system.
int FillAll(CParticleSystemsManager& m, std::vector<CVertex>& vertices, std::vector<uint16_t>& indices)
{
    int cursor = 0, indexCursor = 0, quads = 0;
    for (auto& s : m.systems)
    {
        int32_t nv = 0, ni = 0;
        s->GetBufferNeeds(nv, ni);
        if (nv < 1)
            continue;
        if (cursor + nv > int(vertices.size()))
            cursor = indexCursor = 0;
        s->FillBuffers(vertices.data() + cursor, indices.data() + indexCursor, cursor, indexCursor);
        cursor += nv;
        indexCursor += ni;
        quads += nv / 4;
    }
    return quads;
}

void RunFrames(benchmark::State& state, CParticleSystemsManager& m)
{
    std::vector<CVertex> vertices(65536);
    std::vector<uint16_t> indices(65536 * 3 / 2);
    int live = 0;
    for (auto _ : state)
    {
        m.Update(kFrame);
        live = FillAll(m, vertices, indices);
        benchmark::DoNotOptimize(vertices.data());
    }
    state.counters["live"] = live;
    state.SetItemsProcessed(int64_t(state.iterations()) * live);
}

void BM_Collection5000(benchmark::State& state)
{
    crt::srand(1);
    auto m = MakeManager();
    std::vector<CCollectedParticle2> templates(5000);
    for (int i = 0; i < 5000; ++i)
    {
        CCollectedParticle2& p = templates[i];
        p.SpawnTextured(0x80FF80u, float(i % 100) * 8.0f - 400.0f, float(i / 100) * 8.0f - 200.0f,
                        0.0f, 0, 0.8f, 6.0f, 6.0f, float(i % 1024));
        p.velocity = Vec3{10.0f, 20.0f, 0.0f};
        p.angularSpeed = 300.0f;
    }
    CCollection2Parametres block(0, 0, 0, &templates,
                                 CRefPtr<CCollection2Keeper>(new DriftKeeper), 0);
    CRefPtr<CParticleSystem> out;
    m->AddCollection2System(out, block, 5000, CRefPtr<CTexture>());
    RunFrames(state, *m);
}
BENCHMARK(BM_Collection5000);

void BM_BuiltInMix5000(benchmark::State& state)
{
    crt::srand(1);
    auto m = MakeManager();
    CRefPtr<CParticleSystem> out;
    // Each streaming system keeps about 1,000 alive: 100 a second living 10 s.
    CSparksSpringParametres sparks(Vec3{-300, 0, 0}, Vec3{0, 5.0f, 0}, Vec3{1, 0, 0}, 4.0f, 4.0f,
                                   0xFFFFFFu);
    sparks.fadeRate = 0.1f;
    sparks.rate = 100.0f;
    sparks.duration = 1e8f;
    m->AddSparksSystem(out, sparks, 1000, CRefPtr<CTexture>());
    CSmokesSpringParametres smokes(Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 0, 0}, 50.0f, 0.0f, 0.5f,
                                   0.0f, 0x808080u, 0);
    smokes.fadeRate = 0.1f;
    smokes.fadeSpread = 0.0f;
    smokes.rate = 100.0f;
    smokes.duration = 1e8f;
    m->AddSmokesSystem(out, smokes, 1000, CRefPtr<CTexture>());
    CSpellsSpringParametres spells(Vec3{300, 0, 0}, Vec3{0, 0, 0}, 10.0f, 2.0f, 8.0f, 2.0f,
                                   0x40FF40u);
    spells.fadeRate = 0.1f;
    spells.fadeSpread = 0.0f;
    spells.rate = 100.0f;
    spells.duration = 1e8f;
    spells.spin = 100.0f;
    m->AddSpellsSystem(out, spells, 1000, CRefPtr<CTexture>());
    CExplosionParametres boom(Vec3{0, 200, 0}, Vec3{0, 0, 0}, Vec3{0, 0, 1}, 20.0f, 0.0f, 1000,
                              0xFF8000u, 0);
    boom.fadeRate = 0.0f;
    boom.fadeSpread = 0.0f;
    m->AddExplosionSystem(out, boom, 1000, CRefPtr<CTexture>());
    CThunderboltParametres bolt(Vec3{-200, -200, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 20.0f, 0.0f,
                                5.0f, Vec3{200, -200, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 20.0f,
                                0.0f, 5.0f, 24, 40, 0x8080FFu);
    bolt.duration = 1e8f;
    m->AddThunderboltSystem(out, bolt, 1000, CRefPtr<CTexture>());
    // Reach the steady state before measuring.
    for (int i = 0; i < 12 * 60; ++i)
        m->Update(kFrame);
    RunFrames(state, *m);
}
BENCHMARK(BM_BuiltInMix5000);

} // namespace
