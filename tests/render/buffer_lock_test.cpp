// The shared buffers' append-or-discard lock rule, lost buffers and destruction logging.
#include "tests/render/device_fixture.h"

namespace {

struct LockStep
{
    DWORD count;
    bool discard;
    DWORD expectStart;
    DWORD expectCursor;
};

} // namespace

TEST_F(RecDeviceTest, VertexRunsAppendUntilTheEndThenDiscard)
{
    MakeDevice();
    CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(32768, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
    ASSERT_TRUE(vb.IsValid());
    EXPECT_EQ(32u, vb->stride);
    const LockStep steps[] = {
        {32760, false, 0, 32760}, // fills all but 8
        {8, false, 32760, 32768}, // exactly the remaining space still appends
        {1, false, 0, 1},         // no room: discard and start again at 0
        {4, false, 1, 5},
        {6, true, 0, 6},          // discard asked: always from 0
        {32768, false, 0, 32768}, // a run of the whole buffer does not fit behind 6
    };
    BYTE* base = nullptr;
    for (const LockStep& s : steps)
    {
        void* data = nullptr;
        ASSERT_EQ(D3D_OK, vb->Lock(s.count, &data, s.discard)) << s.count;
        EXPECT_EQ(s.expectStart, vb->lockStart) << s.count;
        EXPECT_EQ(s.expectCursor, vb->cursor) << s.count;
        EXPECT_EQ(s.count, vb->lockCount);
        if (!base)
            base = static_cast<BYTE*>(data);
        EXPECT_EQ(base + s.expectStart * 32, data) << s.count;
        ASSERT_EQ(D3D_OK, vb->Unlock());
    }
    EXPECT_EQ(0, vb->locks);
}

TEST_F(RecDeviceTest, IndexRunsFollowTheSameRuleWithTheirStride)
{
    MakeDevice();
    CRefPtr<CIndexBuffer> ib16 = device->CreateIndexBuffer(12, D3DFMT_INDEX16, 0x208, D3DPOOL_DEFAULT);
    CRefPtr<CIndexBuffer> ib32 = device->CreateIndexBuffer(12, D3DFMT_INDEX32, 0x208, D3DPOOL_DEFAULT);
    ASSERT_TRUE(ib16.IsValid() && ib32.IsValid());
    EXPECT_EQ(2u, ib16->stride);
    EXPECT_EQ(4u, ib32->stride);
    EXPECT_EQ(48u, ib32->sizeBytes);
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(D3D_OK, ib32->Lock(6, &first, false));
    ib32->Unlock();
    ASSERT_EQ(D3D_OK, ib32->Lock(6, &second, false));
    ib32->Unlock();
    EXPECT_EQ(static_cast<BYTE*>(first) + 24, second);
    EXPECT_EQ(6u, ib32->lockStart);
    ASSERT_EQ(D3D_OK, ib32->Lock(1, &second, false));
    ib32->Unlock();
    EXPECT_EQ(0u, ib32->lockStart);
    EXPECT_EQ(1u, ib32->cursor);
}

TEST_F(RecDeviceTest, LockingAReleasedBufferFailsInsteadOfThrowing)
{
    MakeDevice();
    CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(64, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
    CRefPtr<CIndexBuffer> ib = device->CreateIndexBuffer(64, D3DFMT_INDEX16, 0x208, D3DPOOL_DEFAULT);
    device->ReleaseDefaultPoolResources();
    void* data = reinterpret_cast<void*>(1);
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(4, &data, false));
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Unlock());
    EXPECT_EQ(D3DERR_INVALIDCALL, ib->Lock(6, &data, false));
    EXPECT_EQ(D3DERR_INVALIDCALL, ib->Unlock());
    EXPECT_EQ(reinterpret_cast<void*>(1), data);
    EXPECT_EQ(0, vb->locks);
    EXPECT_EQ(0u, vb->cursor);
    // Made again by the reset, it locks from the start.
    ASSERT_EQ(D3D_OK, device->Reset());
    EXPECT_EQ(D3D_OK, vb->Lock(4, &data, false));
    EXPECT_EQ(0u, vb->lockStart);
    vb->Unlock();
}

TEST_F(RecDeviceTest, ARunLargerThanTheBufferFailsButMovesTheCursor)
{
    MakeDevice();
    CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(16, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
    void* data = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(17, &data, false));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(0, vb->locks);
    EXPECT_EQ(17u, vb->cursor);
    // The next run discards and starts at 0 again.
    EXPECT_EQ(D3D_OK, vb->Lock(2, &data, false));
    EXPECT_EQ(0u, vb->lockStart);
    vb->Unlock();
}

TEST_F(RecDeviceTest, DestructionLogsTheLocksLeft)
{
    MakeDevice();
    {
        CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(16, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
        void* data = nullptr;
        ASSERT_EQ(D3D_OK, vb->Lock(4, &data, false));
        device->vertexBuffers.clear();
    }
    {
        CRefPtr<CIndexBuffer> ib = device->CreateIndexBuffer(16, D3DFMT_INDEX16, 0x208, D3DPOOL_DEFAULT);
        device->indexBuffers.clear();
    }
    EXPECT_NE(std::string::npos, Log().find(" Vertex Buffer Destruction.  1   Locks left\n"));
    EXPECT_NE(std::string::npos, Log().find(" Index Buffer Destruction.  0   Locks left\n"));
}

TEST_F(RecDeviceTest, FailedFactoriesGiveEmptyHandlesAndKeepTheListsClean)
{
    MakeDevice();
    recorder->Fail("CreateVertexBuffer", D3DERR_INVALIDCALL, 1);
    recorder->Fail("CreateIndexBuffer", D3DERR_INVALIDCALL, 1);
    recorder->Fail("CreateImageSurface", D3DERR_INVALIDCALL, 1);
    EXPECT_FALSE(device->CreateVertexBuffer(16, 8, kVertexFormat, D3DPOOL_MANAGED).IsValid());
    EXPECT_FALSE(device->CreateIndexBuffer(16, D3DFMT_INDEX16, 8, D3DPOOL_MANAGED).IsValid());
    EXPECT_FALSE(device->CreateSurface("CursorSurface", 32, 32, D3DFMT_A8R8G8B8).IsValid());
    EXPECT_TRUE(device->vertexBuffers.empty());
    EXPECT_TRUE(device->indexBuffers.empty());
    EXPECT_TRUE(device->surfaces.empty());
    CRefPtr<CSurface> cursor = device->CreateSurface("CursorSurface", 32, 32, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(cursor.IsValid());
    EXPECT_EQ(0, device->FindSurface("CursorSurface"));
    EXPECT_EQ(-1, device->FindSurface("cursorsurface"));
}
