// Textures loaded from each image type, drawn through the OpenGL device.
#include "tests/platform/d3d_gl_fixture.h"
#include "tests/platform/d3d_image_files.h"

TEST_F(GLDeviceTest, TexturesFromEachImageTypeDrawTheirColours)
{
    std::string dir = ::testing::TempDir();
    std::vector<uint32_t> solid(8 * 8, 0xFF3366CC);
    const int red[16] = {};
    std::vector<uint8_t> dxt1 = ColourBlock(0xF800, 0x001F, red); // 4 x 4 of pure red
    std::vector<uint8_t> dxt5 = {255, 0, 0, 0, 0, 0, 0, 0};         // alpha index 0: 255
    std::vector<uint8_t> colour = ColourBlock(0x07E0, 0x0000, red);   // pure green
    dxt5.insert(dxt5.end(), colour.begin(), colour.end());
    ASSERT_TRUE(WriteImage(dir + "solid.png", 8, 8, solid, 4));
    ASSERT_TRUE(WriteImage(dir + "solid.bmp", 8, 8, solid, 3));
    ASSERT_TRUE(WriteImage(dir + "solid.tga", 8, 8, solid, 3));
    ASSERT_TRUE(WriteImage(dir + "solid.jpg", 8, 8, solid, 3));
    ASSERT_TRUE(WriteDds(dir + "red.dds", 4, 4, "DXT1", dxt1));
    ASSERT_TRUE(WriteDds(dir + "green.dds", 4, 4, "DXT5", dxt5));
    const struct
    {
        const char* file;
        DWORD expected;
        int tolerance;
    } cases[] = {
        {"solid.png", 0x3366CC, 0}, {"solid.bmp", 0x3366CC, 0}, {"solid.tga", 0x3366CC, 0},
        {"solid.jpg", 0x3366CC, 6}, {"red.dds", 0xFF0000, 0},   {"green.dds", 0x00FF00, 0},
    };
    for (const auto& c : cases)
    {
        IDirect3DTexture8* t = nullptr;
        ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileExA(device, (dir + c.file).c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                       D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                       D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr, nullptr, &t))
            << c.file;
        device->SetTexture(0, t);
        ClearAll(0xFF000000);
        ASSERT_EQ(D3D_OK, Quad(0, 0, kSize, kSize, 0, 0xFFFFFFFF));
        EXPECT_TRUE(NearRgb(c.expected, Pixel(64, 64), c.tolerance)) << c.file;
        device->SetTexture(0, nullptr);
        t->Release();
    }
}

TEST_F(GLDeviceTest, AMipChainDrawsItsSmallerLevels)
{
    // A 2 x 2 checker of black and white averages to grey in the 1 x 1 level.
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(2, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t));
    EXPECT_EQ(2u, t->GetLevelCount());
    D3DLOCKED_RECT r;
    t->LockRect(0, &r, nullptr, 0);
    const DWORD checker[4] = {0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF};
    for (int y = 0; y < 2; ++y)
        std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch, checker + y * 2, 8);
    t->UnlockRect(0);
    device->SetTexture(0, t);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, 1, 1, 0, 0xFFFFFFFF));
    EXPECT_TRUE(NearRgb(0x808080, Pixel(0, 0), 2));
    device->SetTexture(0, nullptr);
    t->Release();
}
