// The keeper-driven collection system: the keeper protocol, templates and quads.
#include "EffectsTestUtil.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace effects_test;

namespace
{

// A keeper that writes down every call and does what the test scripts.
class ScriptedKeeper : public CCollection2Keeper
{
public:
    int32_t UpdateParticle(int32_t index, CCollectedParticle2&, float dt, float, float,
                           float) override
    {
        log.push_back("update " + std::to_string(index));
        dts.push_back(dt);
        return doomed.count(index) ? 0 : 1;
    }
    int32_t CanEmit() override
    {
        log.push_back("can");
        return canEmit;
    }
    int32_t GetEmitCount(float) override
    {
        log.push_back("count");
        return emitCount;
    }
    int32_t InitParticle(int32_t index, CCollectedParticle2& p, float x, float y, float z) override
    {
        log.push_back("init " + std::to_string(index));
        p.SpawnTextured(0xFF123456u, x, y, z, ++born, 1.0f, 2.0f, 1.0f, 0.0f);
        return 1;
    }
    int32_t BeginFrame(float, float, float, float dt) override
    {
        log.push_back("begin");
        dts.push_back(dt);
        return beginFrame;
    }

    std::vector<std::string> log;
    std::vector<float> dts;
    std::set<int32_t> doomed;
    int32_t canEmit = 1;
    int32_t emitCount = 0;
    int32_t beginFrame = 1;
    int32_t born = 0;
};

struct Fixture
{
    explicit Fixture(int32_t capacity, int32_t blend = 0)
        : keeper(new ScriptedKeeper),
          block(1.0f, 2.0f, 3.0f, nullptr, CRefPtr<CCollection2Keeper>(keeper), blend)
    {
        block.keeperEmission = 1;
        system = MakeSystem<CCollection2ParticleSystem>(block, capacity);
    }
    CRefPtr<ScriptedKeeper> keeper;
    CCollection2Parametres block;
    CRefPtr<CCollection2ParticleSystem> system;
};

} // namespace

TEST(KeeperProtocol, CallsInAFixedOrderEachUpdate)
{
    Fixture f(4);
    f.keeper->emitCount = 2;
    EXPECT_EQ(f.system->Update(0.1f), 1);
    EXPECT_EQ(f.keeper->log, (std::vector<std::string>{"begin", "can", "count", "init 0", "init 1",
                                                       "update 0", "update 1"}));
    EXPECT_EQ(f.system->highWater, 2);
    EXPECT_EQ(f.system->liveCount, 2);
    EXPECT_EQ(f.system->particles[0].position.z, 3.0f); // the keeper got the origin
}

TEST(KeeperProtocol, CountIsCutToCapacityAndLivingSlotsAreOverwrittenFromZero)
{
    Fixture f(3);
    f.system->particles[1].SpawnTextured(0, 0, 0, 0, 99, 1.0f, 1.0f, 1.0f, 0.0f);
    f.system->highWater = 2;
    f.keeper->emitCount = 5;
    f.system->Update(0.1f);
    std::vector<std::string> inits;
    for (const std::string& s : f.keeper->log)
        if (s.rfind("init", 0) == 0)
            inits.push_back(s);
    EXPECT_EQ(inits, (std::vector<std::string>{"init 0", "init 2", "init 0"}));
    EXPECT_EQ(f.system->highWater, 3);
    EXPECT_EQ(f.system->particles[1].tag, 99); // the living slot 1 was skipped

    // Counts below 1 make nothing.
    f.keeper->log.clear();
    f.keeper->emitCount = -3;
    f.system->Update(0.1f);
    EXPECT_EQ(f.keeper->log, (std::vector<std::string>{"begin", "can", "count", "update 0",
                                                       "update 1", "update 2"}));
}

TEST(KeeperProtocol, TimedEmissionCutsTheLastStepForKeeperAndParticles)
{
    Fixture f(4);
    f.keeper->emitCount = 1;
    f.system->Update(0.1f);
    f.system->elapsed = 9.9f;
    f.keeper->log.clear();
    f.keeper->dts.clear();
    f.system->Update(0.25f);
    EXPECT_EQ(f.system->emitting, 0);
    // Emission stopped at the duration: no count was asked, and everyone got 0.1 s.
    EXPECT_EQ(f.keeper->log, (std::vector<std::string>{"begin", "update 0"}));
    ASSERT_EQ(f.keeper->dts.size(), 2u);
    EXPECT_NEAR(f.keeper->dts[0], 0.1f, 1e-5f);
    EXPECT_NEAR(f.keeper->dts[1], 0.1f, 1e-5f);
}

TEST(KeeperProtocol, StoppedEmissionNeverRestartsButParticlesLiveOn)
{
    struct Case
    {
        const char* name;
        int32_t beginFrame, canEmit;
    };
    for (Case c : {Case{"begin frame", 0, 1}, Case{"can emit", 1, 0}})
    {
        Fixture f(4);
        f.keeper->emitCount = 2;
        f.system->Update(0.1f);
        f.keeper->beginFrame = c.beginFrame;
        f.keeper->canEmit = c.canEmit;
        EXPECT_EQ(f.system->Update(0.1f), 1) << c.name;
        EXPECT_EQ(f.system->emitting, 0) << c.name;
        f.keeper->beginFrame = 1;
        f.keeper->canEmit = 1;
        f.keeper->log.clear();
        f.keeper->doomed = {0};
        EXPECT_EQ(f.system->Update(0.1f), 1) << c.name;
        // BeginFrame still runs every update; no births.
        EXPECT_EQ(f.keeper->log, (std::vector<std::string>{"begin", "update 0", "update 1"}))
            << c.name;
        f.keeper->doomed = {1};
        EXPECT_EQ(f.system->Update(0.1f), 0) << c.name; // nothing emitting, nothing alive
        EXPECT_EQ(f.system->highWater, 0) << c.name;
    }
}

TEST(KeeperProtocol, HighWaterMarkFallsToOnePastTheHighestLivingSlot)
{
    Fixture f(10);
    f.keeper->emitCount = 8;
    f.system->Update(0.1f);
    EXPECT_EQ(f.system->highWater, 8);
    f.keeper->canEmit = 0;
    f.keeper->doomed = {0, 1, 2, 4, 6};
    f.system->Update(0.1f);
    EXPECT_EQ(f.system->highWater, 8); // slot 7 still alive
    f.keeper->doomed = {7};
    f.system->Update(0.1f);
    EXPECT_EQ(f.system->highWater, 6);
    EXPECT_EQ(f.system->liveCount, 2);
    // Later births fill free slots from the bottom and raise the mark again.
    Fixture g(10);
    g.keeper->emitCount = 3;
    g.system->Update(0.1f);
    g.keeper->doomed = {0, 1};
    g.keeper->emitCount = 0;
    g.system->Update(0.1f);
    EXPECT_EQ(g.system->highWater, 3);
    g.keeper->doomed.clear();
    g.keeper->emitCount = 3;
    g.keeper->log.clear();
    g.system->Update(0.1f);
    EXPECT_EQ(g.keeper->log[3], "init 0");
    EXPECT_EQ(g.keeper->log[4], "init 1");
    EXPECT_EQ(g.keeper->log[5], "init 3");
    EXPECT_EQ(g.system->highWater, 4);
}

TEST(CollectionTemplates, BurstOnceWholeAndLiveUntilKilled)
{
    std::vector<CCollectedParticle2> templates(3);
    templates[0].SpawnTextured(0x010101u, 0, 0, 0, 10, 1.0f, 1.0f, 1.0f, 0.0f);
    templates[1].tag = 11; // never spawned: its alive flag is 0
    templates[2].SpawnTextured(0x020202u, 5.0f, 0, 0, 12, 0.5f, 1.0f, 1.0f, 0.0f);
    CCollection2Parametres block(0, 0, 0, &templates, CRefPtr<CCollection2Keeper>(), 2);
    auto system = MakeSystem<CCollection2ParticleSystem>(block, 3);
    EXPECT_EQ(system->Update(0.1f), 1);
    EXPECT_EQ(system->emitting, 0);
    // The dead template left slot 1 free for the next one.
    EXPECT_EQ(system->particles[0].tag, 10);
    EXPECT_EQ(system->particles[1].tag, 12);
    EXPECT_EQ(system->particles[1].position.x, 5.0f);
    EXPECT_EQ(system->particles[2].alive, 0u);
    EXPECT_EQ(system->highWater, 2);
    EXPECT_EQ(system->liveCount, 2);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(system->Update(1.0f), 1); // no keeper: nothing dies
    system->Kill();
    EXPECT_EQ(system->kill, 1);

    // No more templates are copied than there are slots.
    CCollection2Parametres small(0, 0, 0, &templates, CRefPtr<CCollection2Keeper>(), 2);
    auto one = MakeSystem<CCollection2ParticleSystem>(small, 1);
    one->Update(0.1f);
    EXPECT_EQ(one->particles[0].tag, 10);
    EXPECT_EQ(one->highWater, 1);
}

TEST(CollectionDrawing, QuadsFollowAngleSizeCornersAndAlphaScale)
{
    Fixture f(4, 2);
    EXPECT_EQ(f.system->srcBlend, D3DBLEND_SRCALPHA);
    EXPECT_EQ(f.system->destBlend, D3DBLEND_INVSRCALPHA);
    f.keeper->emitCount = 2;
    f.system->Update(0.0f);
    f.system->particles[1].angle = 256.0f; // a quarter turn
    f.system->particles[1].uv[2] = {0.5f, 0.75f};
    f.system->alphaScale = 0.5f;
    int32_t nv = 0, ni = 0;
    f.system->GetBufferNeeds(nv, ni);
    ASSERT_EQ(nv, 8);
    ASSERT_EQ(ni, 12);
    std::vector<CVertex> vertices(8);
    std::vector<uint16_t> indices(12);
    f.system->FillBuffers(vertices.data(), indices.data(), 100, 30);
    EXPECT_EQ(f.system->firstVertex, 100);
    EXPECT_EQ(f.system->firstIndex, 30);
    EXPECT_EQ(indices, (std::vector<uint16_t>{100, 101, 102, 100, 102, 103, 104, 105, 106, 104,
                                              106, 107}));
    // Unturned: width 2 along x, height 1 along y, corners clockwise from top-left.
    EXPECT_FLOAT_EQ(vertices[0].x, 0.0f);
    EXPECT_FLOAT_EQ(vertices[0].y, 2.5f);
    EXPECT_FLOAT_EQ(vertices[2].x, 2.0f);
    EXPECT_FLOAT_EQ(vertices[2].y, 1.5f);
    EXPECT_EQ(vertices[0].colour, 0x80123456u); // alpha 1 x 255 x 0.5 rounds to 128
    EXPECT_EQ(vertices[1].u, 1.0f);
    // A quarter turn: the width lies along the up vector.
    EXPECT_NEAR(vertices[4].x, 1.0f - 0.5f, 1e-5f);
    EXPECT_NEAR(vertices[4].y, 2.0f - 1.0f, 1e-5f);
    EXPECT_NEAR(vertices[6].x, 1.0f + 0.5f, 1e-5f);
    EXPECT_NEAR(vertices[6].y, 2.0f + 1.0f, 1e-5f);
    EXPECT_EQ(vertices[6].u, 0.5f);
    EXPECT_EQ(vertices[6].v, 0.75f);
    EXPECT_EQ(vertices[6].z, 3.0f);
}

TEST(CollectionDrawing, BlendModes)
{
    struct Case
    {
        int32_t mode;
        uint32_t src, dest;
    };
    const Case cases[] = {{1, D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},
                          {2, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                          {0, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                          {7, D3DBLEND_SRCALPHA, D3DBLEND_ONE}};
    for (const Case& c : cases)
    {
        Fixture f(1, c.mode);
        EXPECT_EQ(f.system->srcBlend, c.src) << c.mode;
        EXPECT_EQ(f.system->destBlend, c.dest) << c.mode;
        EXPECT_EQ(f.system->alphaTest, 1u);
    }
}
