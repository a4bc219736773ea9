// The sand glass (its area, the pouring of token sand, the fade and the star
// bar, the switch that starts and stops its dust and flying sand), the sand
// and dust keepers of a removed token, the dune keepers, and the particle
// environment the game runs with.
#include "EffectsTestUtil.h"

#include "effects/DuneKeepers.h"
#include "effects/SandKeepers.h"
#include "effects/Sandbox.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using effects_test::MakeSystem;

CRefPtr<CSandHeap> HeapOf(int columns)
{
    CRefPtr<CSandHeap> heap(new CSandHeap);
    heap->SetSegmentCount(columns);
    return heap;
}

CRefPtr<CParticleSystemsManager> Manager()
{
    CRefPtr<CParticleSystemsManager> m(
        new CParticleSystemsManager(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>()));
    SetGameEnvironment(*m->environment);
    return m;
}

TEST(Sandbox, AreaPutsOneBasePointPerColumnAndTheTextureRepeatsAcross)
{
    CSandbox box;
    box.SetHeap(HeapOf(4));
    box.SetArea(100.0f, 50.0f, 0.0f, 300.0f, 200.0f);
    ASSERT_EQ(4u, box.area.basePoints.size());
    ASSERT_EQ(4u, box.surface.size());
    const float xs[4] = {100.0f, 200.0f, 300.0f, 400.0f};
    const float us[4] = {0.0f, 0.8333333f, 1.6666666f, 2.5f};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_FLOAT_EQ(xs[i], box.area.basePoints[i].x);
        EXPECT_FLOAT_EQ(-150.0f, box.area.basePoints[i].y);
        EXPECT_FLOAT_EQ(200.0f, box.area.upVectors[i].y);
        EXPECT_NEAR(us[i], box.area.baseUV[i].first, 1e-5f);
        EXPECT_FLOAT_EQ(-150.0f, box.surface[i].y) << "an empty heap lies on the bottom";
    }
    box.heap->displayed[2] = 0.5;
    box.Refresh();
    EXPECT_FLOAT_EQ(-50.0f, box.surface[2].y);
}

TEST(Sandbox, PouredSandLandsWhenAGrainFallingFromRestWouldArrive)
{
    CSandbox box;
    box.SetHeap(HeapOf(4));
    box.SetArea(100.0f, 50.0f, 0.0f, 300.0f, 200.0f);
    box.Pour(0.1f, 250.0f, 100.0f, 0.0f, 38.0f, 0.0f, 0.0f, 10000.0f, 1000.0f);
    // A drop of 212: sqrt(2 x 1000 x 212) / 1000.
    ASSERT_EQ(1u, box.heap->portions.size());
    EXPECT_NEAR(0.6512f, box.heap->portions[0].delay, 1e-3f);
    EXPECT_FLOAT_EQ(1.5f, box.heap->portions[0].position);
    EXPECT_FLOAT_EQ(0.1f, box.heap->portions[0].amount);
    box.Pour(0.1f, 100.0f, -120.0f, 0.0f, 38.0f, 0.0f, 0.0f, 10000.0f, 1000.0f);
    EXPECT_FLOAT_EQ(0.0f, box.heap->portions[1].delay) << "already at the bottom";
}

TEST(Sandbox, FadesAndShowsTheStarBarWhilePouringAndAfter)
{
    CSandbox box;
    box.SetHeap(HeapOf(4));
    box.level = 0.8f;
    box.levelSpeed = 0.5f;
    box.Update(0.5f);
    EXPECT_FLOAT_EQ(1.0f, box.level);
    EXPECT_FLOAT_EQ(0.0f, box.levelSpeed);
    EXPECT_EQ(1, box.visible);

    box.barCount = 10;
    box.barPeriod = 0.5f;
    box.SetFlowing(true, 0.35);
    EXPECT_EQ(2, box.BarQuads());
    box.heap->refill = 0.05;
    EXPECT_EQ(1, box.BarQuads());
    box.Update(1.0f);
    EXPECT_FLOAT_EQ(1.0f, box.barPresence) << "the bar stays while the glass pours";
    box.SetFlowing(false, 0.0);
    box.Update(0.25f);
    EXPECT_FLOAT_EQ(0.5f, box.barPresence);
    box.Update(0.5f);
    EXPECT_EQ(0, box.BarQuads());
}

TEST(Sandbox, SwitchingOnStartsTheDuneEffectsOnceAndOffStopsThem)
{
    CRefPtr<CParticleSystemsManager> m = Manager();
    CRefPtr<CSandbox> box(new CSandbox);
    box->SetHeap(HeapOf(8));
    box->SetArea(-320.0f, -344.0f, 50.0f, 640.0f, 32.0f);
    box->SetState(1, 0.0f);  // no manager: only shown
    EXPECT_FALSE(box->flySystem);
    box->particles = m;
    box->SetState(1, 0.0f);
    box->SetState(1, 0.0f);
    EXPECT_EQ(2u, m->systems.size()) << "made once";
    EXPECT_TRUE(box->flyKeeper && box->dustKeeper);

    box->SetState(0, 2.0f);  // the effects stop at once, the glass fades
    EXPECT_FALSE(box->flySystem || box->dustSystem || box->flyKeeper || box->dustKeeper);
    EXPECT_EQ(1, box->visible);
    box->Update(0.25f);
    EXPECT_FLOAT_EQ(0.5f, box->level);
    box->Update(0.25f);
    EXPECT_EQ(0, box->visible);

    box->SetState(1, 2.0f);  // appearing: the level waits for the update
    EXPECT_FLOAT_EQ(0.0f, box->level);
    EXPECT_TRUE(box->flySystem);
}

TEST(Sandbox, ItsEndRemovesTheDuneParticlesAndTheKeepersNeverReadItAfter)
{
    CRefPtr<CParticleSystemsManager> m = Manager();
    CRefPtr<CSandHeap> heap = HeapOf(8);
    {
        CRefPtr<CSandbox> box(new CSandbox);
        box->particles = m;
        box->SetHeap(heap);
        box->SetArea(-320.0f, -344.0f, 50.0f, 640.0f, 32.0f);
        heap->AddSand(0.5, 3.5);
        heap->drainOn = 1;
        box->SetState(1, 0.0f);
        for (int i = 0; i < 10; ++i)
        {
            heap->Update(0.05f);
            box->Update(0.05f);
            m->Update(0.05f);
        }
        EXPECT_EQ(2u, m->systems.size());
    }
    m->Update(0.05f);  // the keepers' systems see their kill flag
    EXPECT_TRUE(m->systems.empty());
}

TEST(Sandbox, WhilePouringTheDuneKeepersRest)
{
    CRefPtr<CParticleSystemsManager> m = Manager();
    CSandbox box;
    box.particles = m;
    box.SetHeap(HeapOf(8));
    box.SetArea(-320.0f, -344.0f, 50.0f, 640.0f, 32.0f);
    box.SetState(1, 0.0f);
    box.SetFlowing(true, 0.0);
    EXPECT_EQ(0, box.flyKeeper->enabled);
    EXPECT_EQ(0, box.dustKeeper->enabled);
    EXPECT_EQ(0, box.flyKeeper->GetEmitCount(1.0f)) << "the glass is full, but resting";
    box.SetFlowing(false, 0.0);
    EXPECT_EQ(1, box.flyKeeper->enabled);
}

TEST(SandKeeper, BurstThenStreamAndGrainsSinkIntoTheFloor)
{
    CSandKeeper k;
    EXPECT_EQ(8, k.GetEmitCount(0.0f));
    CCollectedParticle2 grain;
    for (int i = 0; i < 8; ++i)
        k.InitParticle(i, grain, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(1, k.burstDone);
    EXPECT_EQ(4, k.GetEmitCount(0.1f));
    EXPECT_EQ(0, k.GetEmitCount(0.01f));
    EXPECT_EQ(0, k.GetEmitCount(0.01f));

    // A grain of height 76 whose centre is 19 above the floor shows its upper 3/4.
    k.gravity = 0.0f;
    grain.velocity = Vec3{0.0f, 0.0f, 0.0f};
    grain.position = Vec3{0.0f, k.floor + 19.0f, 0.0f};
    EXPECT_EQ(1, k.UpdateParticle(0, grain, 0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(-0.25f, grain.corners[2].y);
    EXPECT_FLOAT_EQ(-0.25f, grain.corners[3].y);
    EXPECT_FLOAT_EQ(grain.uv[1].v + 0.1875f, grain.uv[2].v);
    grain.position.y = k.floor - 38.0f;  // its top exactly at the floor
    EXPECT_EQ(1, k.UpdateParticle(0, grain, 0.0f, 0.0f, 0.0f, 0.0f));
    grain.position.y = k.floor - 38.5f;
    EXPECT_EQ(0, k.UpdateParticle(0, grain, 0.0f, 0.0f, 0.0f, 0.0f));
}

TEST(DustTrackKeeper, FollowsLiveGrainsAndDragNeverTurnsAPuffBack)
{
    CSandKeeper sand;
    CCollection2Parametres block(0.0f, 0.0f, 0.0f, nullptr, CRefPtr<CCollection2Keeper>(), 2);
    CRefPtr<CCollection2ParticleSystem> grains = MakeSystem<CCollection2ParticleSystem>(block, 8);
    CDustTrackKeeper dust(sand, CRefPtr<CParticleSystem>(grains));
    EXPECT_FLOAT_EQ(76.0f * 0.25f, dust.growth);
    grains->emitting = 0;
    EXPECT_EQ(0, dust.BeginFrame(0.0f, 0.0f, 0.0f, 0.1f)) << "nothing to follow: the trail ends";
    EXPECT_EQ(0, dust.GetEmitCount(1.0f));

    CCollectedParticle2 puff;
    puff.SpawnTextured(0xFFFFFF, 0.0f, 0.0f, 0.0f, 0, 1.0f, 10.0f, 10.0f, 0.0f);
    puff.workA = 0.1f;  // fading slowly
    puff.velocity = Vec3{10.0f, 0.0f, 0.0f};
    EXPECT_EQ(1, dust.UpdateParticle(0, puff, 2.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(0.0f, puff.velocity.x);
}

// A glass of four columns over x 0..300, bottom at -100, 100 high, with the
// given displayed heights.
struct DuneGlass
{
    explicit DuneGlass(std::initializer_list<double> heights)
    {
        heap = HeapOf(int(heights.size()));
        heap->heights.assign(heights);
        heap->displayed.assign(heights);
        heap->mean = heap->GetMean();
        box.SetHeap(heap);
        box.SetArea(0.0f, 0.0f, 0.0f, 300.0f, 100.0f);
    }
    CRefPtr<CSandHeap> heap;
    CSandbox box;
};

TEST(DuneKeepers, PeaksAndDustySegmentsOfTheSurface)
{
    DuneGlass g({0.2, 0.5, 0.5, 0.3});
    CDuneSandFlyOut fly;
    fly.Setup(g.heap, &g.box.area, g.box.sandPath, &g.box.surface, 5.0f, 20.0f, 32.0f);
    fly.BeginFrame(0.0f, 0.0f, 0.0f, 0.1f);
    EXPECT_EQ(1, fly.peaks) << "point 1 is a peak, point 2 is not above its left neighbour";
    EXPECT_EQ(4, fly.GetEmitCount(0.1f));
    CCollectedParticle2 grain;
    fly.InitParticle(200, grain, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(100.0f, grain.position.x) << "thrown off the peak";
    EXPECT_LT(grain.velocity.x, 0.0f);
    EXPECT_GE(fly.onPath.size(), 201u) << "the per-slot lists grow to the slot";

    CDuneDustKeeper dust;
    dust.Setup(g.heap, &g.box.area, &g.box.surface, 40.0f, 20.0f, 512.0f, 256.0f);
    dust.BeginFrame(0.0f, 0.0f, 0.0f, 0.1f);
    EXPECT_EQ(2, dust.dustySegments);

    DuneGlass empty({0.0, 0.0, 0.0, 0.0});
    CDuneDustKeeper none;
    none.Setup(empty.heap, &empty.box.area, &empty.box.surface, 40.0f, 20.0f, 512.0f, 256.0f);
    none.accumulator = 5.0f;
    none.BeginFrame(0.0f, 0.0f, 0.0f, 0.1f);
    EXPECT_EQ(0, none.GetEmitCount(1.0f));
}

TEST(DuneKeepers, APuffBrakesOnRisingGroundAndStops)
{
    DuneGlass g({0.5, 0.2, 0.8, 0.8});
    CDuneDustKeeper dust;
    dust.Setup(g.heap, &g.box.area, &g.box.surface, 40.0f, 20.0f, 512.0f, 256.0f);
    CCollectedParticle2 puff;
    puff.SpawnTextured(0xFFFFFF, 150.0f, 0.0f, 0.0f, 0, 1.0f, 10.0f, 10.0f, 0.0f);
    puff.workA = 0.01f;
    puff.velocity = Vec3{-1.0f, 0.0f, 0.0f};
    EXPECT_EQ(1, dust.UpdateParticle(0, puff, 0.1f, 0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(0.0f, puff.velocity.x) << "stopped, not turned back";
    EXPECT_NEAR(-100.0f + 100.0f * 0.8f, puff.position.y, 0.2f) << "on the surface";
    dust.Detach();
    EXPECT_EQ(1, dust.UpdateParticle(0, puff, 0.1f, 0.0f, 0.0f, 0.0f)) << "a detached keeper only fades";
    EXPECT_FLOAT_EQ(dust.fastFadeRate, puff.workA);
}

// Every effect the game makes, also those spawned deeper than the projection
// reaches, lives under the game's environment, and they are drawn
// farthest first.
TEST(GameEnvironment, EffectsAtEveryDepthTheGameUsesLiveAndSortFarthestFirst)
{
    CParticleEnvironment env;
    SetGameEnvironment(env);
    for (float z : {-1000.0f, -20.0f, 0.0f, 1.0f, 50.0f, 1000.0f, 5000.0f, 10000.0f})
        EXPECT_TRUE(env.IsInsideBox(Vec3{0.0f, 0.0f, z})) << z;
    EXPECT_FALSE(env.IsInsideBox(Vec3{0.0f, 0.0f, 10001.0f}));
    EXPECT_FALSE(env.IsInsideBox(Vec3{0.0f, 0.0f, -1001.0f}));
    CRefPtr<CParticleSystemsManager> m = Manager();
    CRefPtr<CParticleSystem> out;
    for (float z : {1.0f, 5.0f, 3.0f})
    {
        CCollection2Parametres block(0.0f, 0.0f, z, nullptr, CRefPtr<CCollection2Keeper>(), 2);
        m->AddCollection2System(out, block, 4, CRefPtr<CTexture>());
    }
    ASSERT_EQ(3u, m->systems.size());
    EXPECT_FLOAT_EQ(5.0f, m->systems[0]->origin.z);
    EXPECT_FLOAT_EQ(3.0f, m->systems[1]->origin.z);
    EXPECT_FLOAT_EQ(1.0f, m->systems[2]->origin.z);
}

} // namespace
