// The device wrapper's state caches, creation, adapters and resets on the recording backend.
#include "tests/render/device_fixture.h"

TEST_F(RecDeviceTest, EqualStateSetsSendOneCallAndAFailedSetIsSentAgain)
{
    MakeDevice();
    EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
    EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
    EXPECT_EQ(1, recorder->Count("SetRenderState", "27, 1"));

    recorder->Fail("SetRenderState", D3DERR_INVALIDCALL, 1);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR));
    EXPECT_EQ(kStateUnknown, device->renderState[D3DRS_SRCBLEND]);
    EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR));
    EXPECT_EQ(D3D_OK, device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR));
    EXPECT_EQ(2, recorder->Count("SetRenderState", "19, 9"));

    EXPECT_EQ(D3D_OK, device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE));
    EXPECT_EQ(D3D_OK, device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE));
    EXPECT_EQ(1, recorder->Count("SetTextureStageState", "1, 1, 4"));
}

TEST_F(RecDeviceTest, CreationReadsTheDeviceStatesIntoTheCaches)
{
    MakeDevice();
    // The backend's defaults: depth on, LESSEQUAL, lighting on; stage 1 disabled.
    EXPECT_EQ(1u, device->renderState[D3DRS_ZENABLE]);
    EXPECT_EQ(static_cast<DWORD>(D3DCMP_LESSEQUAL), device->renderState[D3DRS_ZFUNC]);
    EXPECT_EQ(static_cast<DWORD>(D3DTOP_DISABLE), device->stageState[1][D3DTSS_COLOROP]);
    // The device's current value is not sent again.
    device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    EXPECT_EQ(0, recorder->Count("SetRenderState"));
}

TEST_F(RecDeviceTest, BindingsAreCachedAndNoneIsBoundOnce)
{
    MakeDevice();
    CRefPtr<CTexture> texture = device->CreateTexture("t", 8, 8, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture.IsValid());
    device->SetTexture(0, texture);
    device->SetTexture(0, texture);
    device->SetTexture(0, CRefPtr<CTexture>());
    device->SetTexture(0, CRefPtr<CTexture>());
    EXPECT_EQ(1, recorder->Count("SetTexture", "0, texture"));
    EXPECT_EQ(1, recorder->Count("SetTexture", "0, none"));

    CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, kVertexFormat, D3DPOOL_MANAGED);
    CRefPtr<CIndexBuffer> ib = device->CreateIndexBuffer(64, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    device->SetStreamSource(vb);
    device->SetStreamSource(vb);
    device->SetIndices(ib, 0);
    device->SetIndices(ib, 5); // same buffer, other base: skipped
    EXPECT_EQ(1, recorder->Count("SetStreamSource", "0, buffer, 32"));
    EXPECT_EQ(1, recorder->Count("SetIndices"));
}

TEST_F(RecDeviceTest, AdapterNumberPastTheLastIsClampedWithItsMessage)
{
    recorder->adapters.push_back(platform::D3DRecorder::DefaultAdapter());
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    device = CRefPtr<CDevice>(new CDevice(d3d, 2));
    EXPECT_EQ(1, device->adapter);
    EXPECT_EQ(2, device->adapterCount);
    EXPECT_EQ(2u, device->adapters.size());
    ASSERT_EQ(1u, device->adapterMessages.size());
    EXPECT_EQ("Adapter Number 2 too high! (Must be less then 2).", device->adapterMessages[0]);
}

TEST_F(RecDeviceTest, NoAdapterGivesZero)
{
    recorder->adapters.clear();
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    device = CRefPtr<CDevice>(new CDevice(d3d, 0));
    EXPECT_EQ(0, device->Init(d3d, 0));
    EXPECT_TRUE(device->adapters.empty());
}

TEST_F(RecDeviceTest, CreationTriesHardwareThenSoftwareAndReportsFailure)
{
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    device = CRefPtr<CDevice>(new CDevice(d3d, 0));
    recorder->Fail("CreateDevice", D3DERR_NOTAVAILABLE, 2);
    EXPECT_EQ(D3DERR_NOTAVAILABLE, device->Create(640, 480, D3DFMT_X8R8G8B8, false, true, nullptr, D3DFMT_D16, 1,
                                                  D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
    EXPECT_EQ(1, recorder->Count("CreateDevice", "0, 0x40"));
    EXPECT_EQ(1, recorder->Count("CreateDevice", "0, 0x20"));
    ASSERT_EQ(1u, device->errors.size());
    EXPECT_EQ("Unable to create device!", device->errors[0]);
    EXPECT_EQ(nullptr, device->device);

    // Software vertex processing alone still makes the device.
    recorder->Fail("CreateDevice", D3DERR_NOTAVAILABLE, 1);
    EXPECT_EQ(D3D_OK, device->Create(640, 480, D3DFMT_X8R8G8B8, false, true, nullptr, D3DFMT_D16, 1,
                                     D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
}

TEST_F(RecDeviceTest, ModesTheAdapterDoesNotOfferAreRefused)
{
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    device = CRefPtr<CDevice>(new CDevice(d3d, 0));
    // Full screen needs the exact mode; 1280 x 1024 is not listed.
    EXPECT_EQ(D3DERR_NOTAVAILABLE, device->Create(1280, 1024, D3DFMT_X8R8G8B8, true, true, nullptr, D3DFMT_D16, 1,
                                                  D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0));
    EXPECT_EQ(0, recorder->Count("CreateDevice"));
    EXPECT_TRUE(device->IsModeListed(800, 600, D3DFMT_R5G6B5, true));
    EXPECT_FALSE(device->IsModeListed(800, 600, D3DFMT_R5G6B5, false));
}

TEST_F(RecDeviceTest, WindowedResetUsesTheDefaultIntervalButKeepsImmediate)
{
    MakeDevice();
    EXPECT_EQ(D3DPRESENT_INTERVAL_IMMEDIATE, device->present.FullScreen_PresentationInterval);
    device->ReleaseDefaultPoolResources();
    EXPECT_EQ(D3D_OK, device->Reset());
    EXPECT_EQ(1, recorder->Count("Reset", "640, 480, 22, 1, 0x0)"));
    EXPECT_EQ(D3DPRESENT_INTERVAL_IMMEDIATE, device->present.FullScreen_PresentationInterval);
}

TEST_F(RecDeviceTest, ResetRecreatesExactlyTheDefaultPoolResources)
{
    MakeDevice();
    CRefPtr<CTexture> a = device->CreateTexture("a", 16, 16, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> managed = device->CreateTexture("m", 16, 16, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> b = device->CreateTexture("b", 32, 8, 1, 0, D3DPOOL_DEFAULT, D3DFMT_X8R8G8B8);
    CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(100, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
    CRefPtr<CIndexBuffer> ib = device->CreateIndexBuffer(100, D3DFMT_INDEX16, 0x208, D3DPOOL_DEFAULT);
    CRefPtr<CVertexBuffer> managedVb = device->CreateVertexBuffer(100, 8, kVertexFormat, D3DPOOL_MANAGED);
    IDirect3DTexture8* managedBefore = managed->texture;
    IDirect3DVertexBuffer8* managedVbBefore = managedVb->buffer;
    recorder->ClearCalls();

    device->ReleaseDefaultPoolResources();
    EXPECT_EQ(nullptr, a->texture);
    EXPECT_EQ(nullptr, vb->buffer);
    EXPECT_EQ(0, recorder->liveDefault);
    EXPECT_EQ(D3D_OK, device->Reset());

    EXPECT_EQ(2, recorder->Count("CreateTexture"));
    EXPECT_EQ(1, recorder->Count("CreateTexture", "16, 16, 1, 0x0, 21, 0"));
    EXPECT_EQ(1, recorder->Count("CreateTexture", "32, 8, 1, 0x0, 22, 0"));
    EXPECT_EQ(1, recorder->Count("CreateVertexBuffer", "3200, 0x208"));
    EXPECT_EQ(1, recorder->Count("CreateIndexBuffer", "200, 0x208"));
    EXPECT_NE(nullptr, a->texture);
    EXPECT_NE(nullptr, b->texture);
    EXPECT_EQ(managedBefore, managed->texture);
    EXPECT_EQ(managedVbBefore, managedVb->buffer);
    EXPECT_EQ("b", b->name);
    EXPECT_TRUE(device->errors.empty());
}

TEST_F(RecDeviceTest, ResetWithLiveDefaultResourcesIsRefusedAndRetried)
{
    MakeDevice();
    CRefPtr<CTexture> t = device->CreateTexture("t", 16, 16, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    // Without releasing the default pool first the runtime refuses the reset.
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Reset());
    EXPECT_TRUE(device->resetPending);
    device->ReleaseDefaultPoolResources();
    EXPECT_EQ(D3D_OK, device->Reset());
    EXPECT_FALSE(device->resetPending);
    EXPECT_NE(nullptr, t->texture);
}

TEST_F(RecDeviceTest, AFailingResetReturnsAtOnceIsLoggedAndSucceedsOnALaterCall)
{
    MakeDevice();
    recorder->Fail("Reset", D3DERR_DEVICELOST, 3);
    device->ReleaseDefaultPoolResources();
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        EXPECT_EQ(D3DERR_DEVICELOST, device->Reset());
        EXPECT_TRUE(device->resetPending);
    }
    EXPECT_EQ(3, recorder->Count("Reset"));
    EXPECT_NE(std::string::npos, Log().find("Device Reset failed! (0x88760868)"));
    // Nothing past the reset ran: states were not restored.
    EXPECT_EQ(0, recorder->Count("SetRenderState"));
    EXPECT_EQ(D3D_OK, device->Reset());
    EXPECT_FALSE(device->resetPending);
    EXPECT_GT(recorder->Count("SetRenderState"), 0);
}

TEST_F(RecDeviceTest, ResetRestoresTheCachedStates)
{
    MakeDevice();
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->ReleaseDefaultPoolResources();
    recorder->ClearCalls();
    ASSERT_EQ(D3D_OK, device->Reset());
    // Exactly the defined render states go back, then stages 0..7 types 1..28.
    EXPECT_EQ(static_cast<int>(std::size(kD3DDefinedRenderStates)), recorder->Count("SetRenderState"));
    EXPECT_EQ(8 * 28, recorder->Count("SetTextureStageState"));
    EXPECT_EQ(1, recorder->Count("SetRenderState", "137, 0"));
    EXPECT_EQ(1, recorder->Count("SetTextureStageState", "0, 16, 2"));
    EXPECT_EQ(0u, device->renderState[D3DRS_LIGHTING]);
}

TEST_F(RecDeviceTest, RecreationFailuresAreCollectedAndTheResetGoesOn)
{
    MakeDevice();
    CRefPtr<CTexture> a = device->CreateTexture("first", 16, 16, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    CRefPtr<CTexture> b = device->CreateTexture("second", 16, 16, 1, 0, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8);
    CRefPtr<CVertexBuffer> vb = device->CreateVertexBuffer(100, 0x208, kVertexFormat, D3DPOOL_DEFAULT);
    device->ReleaseDefaultPoolResources();
    recorder->Fail("CreateTexture", D3DERR_INVALIDCALL, 1);
    recorder->Fail("CreateVertexBuffer", D3DERR_INVALIDCALL, 1);
    EXPECT_EQ(D3D_OK, device->Reset());
    ASSERT_EQ(2u, device->errors.size());
    EXPECT_EQ("Unable to recreate Vertex Buffer 0", device->errors[0]);
    EXPECT_EQ("Unable to recreate Texture 0 \"first\"", device->errors[1]);
    EXPECT_NE(nullptr, b->texture);
    // The buffer that could not be made again fails its locks instead of throwing.
    void* data = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(4, &data, false));
}

TEST_F(RecDeviceTest, DestructionUnbindsAndLogs)
{
    MakeDevice();
    device.Reset();
    EXPECT_EQ(8, recorder->Count("SetTexture", ""));
    EXPECT_EQ(1, recorder->Count("SetStreamSource", "0, none, 32"));
    EXPECT_EQ(1, recorder->Count("SetIndices", "none, 0"));
    EXPECT_EQ(0, recorder->liveDevices);
    EXPECT_NE(std::string::npos, Log().find(" Device destruction.\n"));
}

TEST_F(RecDeviceTest, CallsBeforeCreationFailQuietly)
{
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    device = CRefPtr<CDevice>(new CDevice(d3d, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetRenderState(D3DRS_ZWRITEENABLE, 1));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetTexture(0, CRefPtr<CTexture>()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetStreamSource(CRefPtr<CVertexBuffer>()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Reset());
    EXPECT_FALSE(device->CreateTexture("t", 4, 4, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8).IsValid());
    EXPECT_FALSE(device->CreateVertexBuffer(4, 8, kVertexFormat, D3DPOOL_MANAGED).IsValid());
}
