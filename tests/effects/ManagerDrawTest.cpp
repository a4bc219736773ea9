// Drawing through the shared buffers, checked on the recording backend.
#include "EffectsTestUtil.h"
#include "tests/support/RecordingDevice.h"

#include <gtest/gtest.h>

using namespace effects_test;
using test_support::RecordedDraw;
using test_support::RecordingDevice;

namespace
{

// A collection system showing n template particles, at depth z.
CRefPtr<CParticleSystem> AddTemplates(CParticleSystemsManager& m, int n, float z, int32_t blend)
{
    std::vector<CCollectedParticle2> templates(n);
    for (int i = 0; i < n; ++i)
        templates[i].SpawnTextured(0xFFFFFFu, float(i), 0, z, 0, 1.0f, 1.0f, 1.0f, 0.0f);
    CCollection2Parametres block(0, 0, z, &templates, CRefPtr<CCollection2Keeper>(), blend);
    CRefPtr<CParticleSystem> out;
    m.AddCollection2System(out, block, n, CRefPtr<CTexture>());
    return out;
}

} // namespace

TEST(ManagerDrawing, EachLiveSystemDrawsItsQuadsWithItsBlendFactors)
{
    RecordingDevice rec;
    CParticleSystemsManager m(rec.device, rec.vertexBuffer, rec.indexBuffer);
    AddTemplates(m, 3, 5.0f, 1); // multiply
    AddTemplates(m, 0, 4.0f, 2); // nothing alive: skipped
    AddTemplates(m, 2, 3.0f, 0); // additive
    m.Update(0.1f);
    rec.ClearCalls();
    m.DrawBlended();
    std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].vertexCount, 12u);
    EXPECT_EQ(draws[0].primitives, 6u);
    EXPECT_EQ(draws[0].State(D3DRS_SRCBLEND), long(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(draws[0].State(D3DRS_DESTBLEND), long(D3DBLEND_ZERO));
    EXPECT_EQ(draws[0].State(D3DRS_ALPHATESTENABLE), 1);
    EXPECT_EQ(draws[0].State(D3DRS_ALPHAREF), 0);
    EXPECT_EQ(draws[0].State(D3DRS_ALPHAFUNC), long(D3DCMP_GREATER));
    EXPECT_EQ(draws[0].State(D3DRS_ALPHABLENDENABLE), 1);
    // The second run follows the first in the shared buffers.
    EXPECT_EQ(draws[1].minIndex, draws[0].minIndex + 12);
    EXPECT_EQ(draws[1].startIndex, draws[0].startIndex + 18);
    EXPECT_EQ(draws[1].vertexCount, 8u);
    EXPECT_EQ(draws[1].State(D3DRS_DESTBLEND), long(D3DBLEND_ONE));
    EXPECT_EQ(rec.vertexBuffer->locks, 0);
    EXPECT_EQ(rec.indexBuffer->locks, 0);
}

TEST(ManagerDrawing, FogTurnsBlackForAddingSystemsAndIsRestored)
{
    RecordingDevice rec;
    CParticleSystemsManager m(rec.device, rec.vertexBuffer, rec.indexBuffer);
    AddTemplates(m, 1, 5.0f, 0); // additive: black fog
    AddTemplates(m, 1, 4.0f, 2); // alpha blend: the scene's fog
    AddTemplates(m, 1, 3.0f, 1); // multiply: black fog
    m.Update(0.1f);
    rec.device->SetRenderState(D3DRS_FOGENABLE, 1);
    rec.device->SetRenderState(D3DRS_FOGCOLOR, 0x00336699u);
    rec.ClearCalls();
    m.DrawBlended();
    std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].State(D3DRS_FOGCOLOR), 0);
    EXPECT_EQ(draws[1].State(D3DRS_FOGCOLOR), 0x336699);
    EXPECT_EQ(draws[2].State(D3DRS_FOGCOLOR), 0);
    DWORD fog = 0;
    rec.device->device->GetRenderState(D3DRS_FOGCOLOR, &fog);
    EXPECT_EQ(fog, 0x00336699u);

    // Without fog the colour is never touched.
    rec.device->SetRenderState(D3DRS_FOGENABLE, 0);
    rec.ClearCalls();
    m.DrawBlended();
    EXPECT_EQ(rec.recorder->Count("SetRenderState", "34,"), 0);
}

TEST(ManagerDrawing, ASystemLargerThanTheSharedBufferIsSkipped)
{
    RecordingDevice rec(40, 60);
    CParticleSystemsManager m(rec.device, rec.vertexBuffer, rec.indexBuffer);
    AddTemplates(m, 11, 5.0f, 0); // 44 vertices: more than the buffer holds
    AddTemplates(m, 10, 4.0f, 0); // exactly the buffer
    m.Update(0.1f);
    rec.ClearCalls();
    m.DrawBlended();
    std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].vertexCount, 40u);
    EXPECT_EQ(draws[0].minIndex, 0u);
}

TEST(ManagerDrawing, AFailedLockEndsThePassForThisFrameOnly)
{
    RecordingDevice rec;
    CParticleSystemsManager m(rec.device, rec.vertexBuffer, rec.indexBuffer);
    AddTemplates(m, 1, 5.0f, 0);
    AddTemplates(m, 1, 4.0f, 0);
    m.Update(0.1f);
    // Buffers without their Direct3D object (as during a device reset) refuse to lock.
    rec.vertexBuffer->ReleaseBuffer();
    rec.ClearCalls();
    m.DrawBlended();
    EXPECT_EQ(rec.Draws().size(), 0u);
    ASSERT_EQ(D3D_OK, rec.vertexBuffer->Recreate(rec.device->device));
    rec.indexBuffer->ReleaseBuffer();
    m.DrawBlended();
    EXPECT_EQ(rec.Draws().size(), 0u);
    EXPECT_EQ(rec.vertexBuffer->locks, 0); // the vertex lock was given back
    ASSERT_EQ(D3D_OK, rec.indexBuffer->Recreate(rec.device->device));
    m.DrawBlended();
    EXPECT_EQ(rec.Draws().size(), 2u);
}

TEST(ManagerDrawing, AlphaTestedListDrawsWithoutBlending)
{
    RecordingDevice rec;
    CParticleSystemsManager m(rec.device, rec.vertexBuffer, rec.indexBuffer);
    CRefPtr<CParticleSystem> s = AddTemplates(m, 2, 1.0f, 2);
    m.alphaTestedSystems.push_back(s);
    m.systems.clear();
    m.Update(0.1f);
    rec.ClearCalls();
    m.DrawAlphaTested();
    std::vector<RecordedDraw> draws = rec.Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].State(D3DRS_ALPHAREF), 128);
    EXPECT_EQ(draws[0].State(D3DRS_ALPHABLENDENABLE), 0);
    EXPECT_EQ(draws[0].State(D3DRS_ALPHATESTENABLE), 1);
    m.DrawBlended();
    EXPECT_EQ(rec.Draws().size(), 1u); // the blended list is empty
}
