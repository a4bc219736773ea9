// The display-mode list of an adapter and its hardware grade, on scripted adapters.
#include <gtest/gtest.h>

#include "engine/DisplayModes.h"
#include "platform/d3d8/backend.h"

class ModeListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        recorder = platform::UseRecordingBackend();
        adapter = &recorder->adapters[0];
        adapter->modes.clear();
    }
    void TearDown() override
    {
        if (d3d)
            d3d->Release();
        platform::UseGLBackend();
    }

    void Mode(UINT w, UINT h, D3DFORMAT f, UINT refresh = 60) { adapter->modes.push_back({w, h, refresh, f}); }

    CDisplayModeList Build()
    {
        if (!d3d)
            d3d = Direct3DCreate8(D3D_SDK_VERSION);
        return CDisplayModeList(d3d, 0);
    }

    std::shared_ptr<platform::D3DRecorder> recorder;
    platform::RecAdapter* adapter = nullptr;
    IDirect3D8* d3d = nullptr;
};

TEST_F(ModeListTest, KeepsOneRecordPerSizeAndFormatSortedWithLayouts)
{
    Mode(1024, 768, D3DFMT_X8R8G8B8);
    for (UINT refresh : {60, 75, 85})
    {
        Mode(800, 600, D3DFMT_X8R8G8B8, refresh);
        Mode(800, 600, D3DFMT_R5G6B5, refresh);
    }
    Mode(640, 400, D3DFMT_X8R8G8B8); // too low
    Mode(320, 240, D3DFMT_X8R8G8B8); // too small
    Mode(640, 480, D3DFMT_A2B10G10R10); // no display format of the table
    adapter->fullScreenFormats.push_back(D3DFMT_A2B10G10R10);
    CDisplayModeList list = Build();
    ASSERT_EQ(3u, list.modes.size());
    EXPECT_EQ(800u, list.modes[0].width);
    EXPECT_EQ(16u, list.modes[0].bitsPerPixel); // equal sizes order by depth
    EXPECT_EQ(static_cast<DWORD>(D3DFMT_R5G6B5), list.modes[0].format);
    EXPECT_EQ(6u, list.modes[0].greenBits);
    EXPECT_EQ(0x7E0u, list.modes[0].greenMask);
    EXPECT_EQ(5u, list.modes[0].greenShift);
    EXPECT_EQ(0u, list.modes[0].windowed);
    EXPECT_EQ(1u, list.modes[0].fullScreen);
    EXPECT_EQ(static_cast<DWORD>(D3DFMT_R5G6B5), list.modes[0].renderTargetFormat);
    EXPECT_EQ(32u, list.modes[1].bitsPerPixel);
    EXPECT_EQ(1u, list.modes[1].windowed);
    EXPECT_EQ(1024u, list.modes[2].width);
    EXPECT_EQ(2, list.desktopIndex);
}

TEST_F(ModeListTest, RenderTargetFallsBackToTheFirstAcceptedFormatOrDropsTheMode)
{
    Mode(800, 600, D3DFMT_X8R8G8B8);
    Mode(1024, 768, D3DFMT_R5G6B5);
    adapter->renderTargetFormats = {D3DFMT_X1R5G5B5};
    CDisplayModeList list = Build();
    ASSERT_EQ(2u, list.modes.size());
    EXPECT_EQ(static_cast<DWORD>(D3DFMT_X1R5G5B5), list.modes[0].renderTargetFormat);

    adapter->renderTargetFormats.clear();
    EXPECT_TRUE(Build().modes.empty());
}

TEST_F(ModeListTest, NoDesktopModeWhenTheDesktopIsNotUsableInAWindow)
{
    Mode(1024, 768, D3DFMT_X8R8G8B8);
    adapter->windowedFormats.clear();
    EXPECT_EQ(-1, Build().desktopIndex);
    adapter->windowedFormats = {D3DFMT_X8R8G8B8};
    adapter->desktopFails = true;
    EXPECT_EQ(-1, Build().desktopIndex);
}

TEST_F(ModeListTest, LookupsTakeExactThenLargerThenTheLast)
{
    Mode(640, 480, D3DFMT_X8R8G8B8);
    Mode(640, 480, D3DFMT_R5G6B5);
    Mode(800, 600, D3DFMT_X8R8G8B8);
    Mode(800, 600, D3DFMT_R5G6B5);
    CDisplayModeList list = Build();
    // Records: 0 = 640x480x16, 1 = 640x480x32, 2 = 800x600x16, 3 = 800x600x32.
    const struct
    {
        const char* what;
        int got;
        int expected;
    } cases[] = {
        {"Find exact", list.Find(800, 600, D3DFMT_R5G6B5, false), 2},
        {"Find missing", list.Find(1024, 768, D3DFMT_X8R8G8B8, false), -1},
        {"Find larger", list.Find(700, 500, D3DFMT_X8R8G8B8, true), 3},
        {"Find past the largest", list.Find(1024, 768, D3DFMT_X8R8G8B8, true), 3},
        {"FindWindowed 16-bit", list.FindWindowed(640, 480, D3DFMT_R5G6B5, false), -1},
        {"FindWindowed larger", list.FindWindowed(640, 480, D3DFMT_X8R8G8B8, true), 1},
        {"FindFullScreen", list.FindFullScreen(640, 480, D3DFMT_R5G6B5, false), 0},
        {"FindFlagged", list.FindFlagged(800, 600, false), 2},
        {"FindFlagged larger", list.FindFlagged(700, 500, true), 2},
        {"FindByDepth 24 takes 32", list.FindByDepth(800, 600, 24, false), 3},
        {"FindByDepth 16", list.FindByDepth(640, 480, 16, false), 0},
        {"FindByDepth 8", list.FindByDepth(640, 480, 8, false), -1},
        {"FindByDepth larger", list.FindByDepth(700, 500, 32, true), 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, c.got) << c.what;

    adapter->modes.clear();
    EXPECT_EQ(-1, Build().Find(640, 480, D3DFMT_X8R8G8B8, true));
}

TEST_F(ModeListTest, NearestAspectPrefersCloseRatiosThenNarrowerOnes)
{
    Mode(1280, 720, D3DFMT_X8R8G8B8);
    Mode(1024, 768, D3DFMT_X8R8G8B8);
    Mode(1366, 768, D3DFMT_X8R8G8B8);
    Mode(1920, 1080, D3DFMT_X8R8G8B8);
    CDisplayModeList list = Build();
    // Records sorted: 1024x768, 1280x720, 1366x768, 1920x1080.
    float wide = 1080.0f / 1920.0f;
    EXPECT_EQ(1, list.FindNearest(wide, 0.001f, 720, 32));  // 16:9 at 720 lines
    EXPECT_EQ(3, list.FindNearest(wide, 0.001f, 1000, 32)); // 16:9, taller
    EXPECT_EQ(2, list.FindNearest(wide, 0.001f, 768, 32));  // 1366 x 768 is within the tolerance
    EXPECT_EQ(-1, list.FindNearest(wide, 0.001f, 768, 16));
}

TEST_F(ModeListTest, HardwareGrades)
{
    Mode(800, 600, D3DFMT_X8R8G8B8);
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DCAPS8& caps = adapter->caps;
    const struct
    {
        DWORD pixelShader, vertexShader, devCaps, stencil, vendor;
        bool capsFail;
        int expected;
    } cases[] = {
        {0xFFFF0101, 0, 0, 0, 0x1002, false, 5},
        {0xFFFF0101, 0, 0, 0, 0x10DE, false, 4},
        {0xFFFF0000, 0xFFFE0101, 0, 0, 0, false, 4}, // only the low 16 bits count
        {0, 0, D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0, 0, false, 3},
        {0, 0, 0, D3DSTENCILCAPS_ZERO, 0, false, 2},
        {0, 0, 0, 0, 0, false, 1},
        {0, 0, 0, 0, 0, true, 0},
    };
    for (const auto& c : cases)
    {
        caps.PixelShaderVersion = c.pixelShader;
        caps.VertexShaderVersion = c.vertexShader;
        caps.DevCaps = c.devCaps;
        caps.StencilCaps = c.stencil;
        adapter->identifier.VendorId = c.vendor;
        adapter->capsFail = c.capsFail;
        EXPECT_EQ(c.expected, GetHardwareLevel(0, d3d)) << c.expected;
    }
    // No identifier counts as the vendor that grades 5.
    caps.PixelShaderVersion = 0x0101;
    adapter->capsFail = false;
    adapter->identifierFails = true;
    EXPECT_EQ(5, GetHardwareLevel(0, d3d));
}
