// The particle-systems manager: creation order, numbering, pruning, environment.
#include "EffectsTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace effects_test;

namespace
{

CSparksSpringParametres SparksAt(float z)
{
    return CSparksSpringParametres(Vec3{0, 0, z}, Vec3{0, 1, 0}, Vec3{1, 0, 0}, 0.1f, 0.1f,
                                   0xFFFFFFu);
}

std::vector<int32_t> Numbers(const CParticleSystemsManager& m)
{
    std::vector<int32_t> out;
    for (const auto& s : m.systems)
        out.push_back(s->number);
    return out;
}

CRefPtr<CParticleSystemsManager> MakeManager()
{
    return CRefPtr<CParticleSystemsManager>(new CParticleSystemsManager(
        CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
}

} // namespace

TEST(ParticleSystemsManager, KeepsSystemsFarthestFirstAndNumbersThem)
{
    auto m = MakeManager();
    EXPECT_GE(m->systems.capacity(), 128u);
    CRefPtr<CParticleSystem> out;
    for (float z : {5.0f, 3.0f, 1.0f})
        m->AddSparksSystem(out, SparksAt(z), 10, CRefPtr<CTexture>());
    // A new system at depth 3 goes behind the one already at 3, before the nearer one.
    CRefPtr<CParticleSystem> returned = m->AddSparksSystem(out, SparksAt(3.0f), 10,
                                                           CRefPtr<CTexture>());
    EXPECT_EQ(Numbers(*m), (std::vector<int32_t>{0, 1, 3, 2}));
    EXPECT_TRUE(out == returned);
    EXPECT_EQ(out->number, 3);
    // The farthest of all goes first; a nearer one than all goes last. Every kind of
    // system is filed by its own point (the explosion by its centre).
    m->AddExplosionSystem(out,
                          CExplosionParametres(Vec3{0, 0, 9.0f}, Vec3{0, 0, 0}, Vec3{0, 1, 0},
                                               0.1f, 0.0f, 5, 0xFFFFFFu, 0),
                          10, CRefPtr<CTexture>());
    m->AddSpellsSystem(out,
                       CSpellsSpringParametres(Vec3{0, 0, -5.0f}, Vec3{0, 0, 0}, 0.1f, 0.0f,
                                               0.1f, 0.0f, 0xFFFFFFu),
                       10, CRefPtr<CTexture>());
    EXPECT_EQ(Numbers(*m), (std::vector<int32_t>{4, 0, 1, 3, 2, 5}));
    EXPECT_TRUE(m->alphaTestedSystems.empty());
    // Every system shares the manager's environment.
    EXPECT_TRUE(out->environment == m->environment);
}

TEST(ParticleSystemsManager, DropsEndedAndKilledSystemsKeepingTheOrder)
{
    auto m = MakeManager();
    CRefPtr<CParticleSystem> killed, kept;
    m->AddSparksSystem(kept, SparksAt(9.0f), 10, CRefPtr<CTexture>());
    // An explosion of no fireballs ends in its first update.
    m->AddExplosionSystem(kept,
                          CExplosionParametres(Vec3{0, 0, 8.0f}, Vec3{0, 0, 0}, Vec3{0, 1, 0},
                                               0.1f, 0.0f, 0, 0xFFFFFFu, 0),
                          10, CRefPtr<CTexture>());
    m->AddSparksSystem(killed, SparksAt(7.0f), 10, CRefPtr<CTexture>());
    m->AddSparksSystem(kept, SparksAt(6.0f), 10, CRefPtr<CTexture>());
    killed->Kill();
    m->Update(0.1f);
    EXPECT_EQ(Numbers(*m), (std::vector<int32_t>{0, 3}));
    // The caller's handle outlives the system's place in the manager.
    EXPECT_EQ(killed.RefCount(), 1u);
    EXPECT_EQ(kept.RefCount(), 2u);

    // A spell system dropped by its caller runs on until its spells are gone.
    CRefPtr<CParticleSystem> spells;
    CSpellsSpringParametres block(Vec3{0, 0, 0}, Vec3{0, 0, 0}, 0.1f, 0.0f, 0.1f, 0.0f, 0xFFu);
    block.duration = 0.5f;
    block.fadeSpread = 0.0f;
    m->AddSpellsSystem(spells, block, 40, CRefPtr<CTexture>());
    spells.Reset();
    auto hasSpells = [&] {
        for (const auto& s : m->systems)
            if (s->number == 4)
                return true;
        return false;
    };
    int frames = 0;
    while (hasSpells() && frames < 100)
    {
        m->Update(0.25f);
        ++frames;
    }
    EXPECT_FALSE(hasSpells());
    EXPECT_GE(frames, 8); // the last spells fade 0.5 per second after emission ends
}

TEST(ParticleEnvironment, TablesBoxAndView)
{
    CParticleEnvironment env;
    struct Case
    {
        float angle, s, c;
    };
    const Case cases[] = {{0.0f, 0.0f, 1.0f},   {256.0f, 1.0f, 0.0f}, {512.0f, 0.0f, -1.0f},
                          {768.0f, -1.0f, 0.0f}, {1024.0f, 0.0f, 1.0f}, {-256.0f, -1.0f, 0.0f},
                          {255.6f, 1.0f, 0.0f}};
    for (const Case& c : cases)
    {
        float s, co;
        env.SinCos(c.angle, s, co);
        EXPECT_NEAR(s, c.s, 1e-6f) << c.angle;
        EXPECT_NEAR(co, c.c, 1e-6f) << c.angle;
    }
    EXPECT_EQ(env.gravity.y, -9.8f);
    EXPECT_TRUE(env.IsInsideBox(Vec3{10.0f, -10.0f, 0.0f}));
    EXPECT_FALSE(env.IsInsideBox(Vec3{10.01f, 0.0f, 0.0f}));
    EXPECT_EQ(env.view->eye.z, -1.0f);
    EXPECT_EQ(env.view->forward.z, 1.0f);

    // The game's box: x or y beyond 1000, z below -1000 or above 10000.
    auto game = GameEnvironment();
    EXPECT_TRUE(game->IsInsideBox(Vec3{-1000.0f, 1000.0f, 10000.0f}));
    EXPECT_FALSE(game->IsInsideBox(Vec3{0.0f, 1000.5f, 0.0f}));
    EXPECT_FALSE(game->IsInsideBox(Vec3{0.0f, 0.0f, -1000.5f}));
}
