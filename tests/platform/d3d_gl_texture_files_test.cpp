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

// Each smaller level is the rounded average of the texels above it, a side already down
// to 1 averaging pairs; the levels read back exactly.
TEST_F(GLDeviceTest, SmallerLevelsAverageTheLevelAbove)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t));
    ASSERT_EQ(3u, t->GetLevelCount());
    const DWORD texels[8] = {0x80000000, 0x80000001, 0xFF102030, 0x00000000,
                             0x80000001, 0x80000001, 0xFF102030, 0x00000000};
    D3DLOCKED_RECT r;
    ASSERT_EQ(D3D_OK, t->LockRect(0, &r, nullptr, 0));
    for (int y = 0; y < 2; ++y)
        std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch, texels + y * 4, 16);
    ASSERT_EQ(D3D_OK, t->UnlockRect(0));
    const struct
    {
        UINT level;
        std::vector<DWORD> expected;
    } levels[] = {{1, {0x80000001, 0x80081018}}, {2, {0x8004080D}}};
    for (const auto& l : levels)
    {
        ASSERT_EQ(D3D_OK, t->LockRect(l.level, &r, nullptr, 0));
        std::vector<DWORD> got(l.expected.size());
        std::memcpy(got.data(), r.pBits, got.size() * 4);
        t->UnlockRect(l.level);
        EXPECT_EQ(l.expected, got) << "level " << l.level;
    }
    t->Release();
}

// A texture read from a picture file reaches the driver only when it is first drawn or
// locked, with the file's pixels; one never used costs no upload. A file gone by then
// leaves the texture blank rather than failing the draw.
TEST_F(GLDeviceTest, APictureFileReachesTheDriverOnlyWhenFirstDrawnOrLocked)
{
    std::string dir = ::testing::TempDir();
    std::vector<uint32_t> pixels(8 * 8);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x030507u);
    const std::string files[3] = {dir + "drawn.png", dir + "locked.png", dir + "gone.png"};
    IDirect3DTexture8* t[3] = {};
    platform::DeviceStatistics before, loaded, after;
    ASSERT_TRUE(platform::GetDeviceStatistics(device, before));
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(WriteImage(files[i], 8, 8, pixels, 4));
        ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileExA(device, files[i].c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                       D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                       D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr, nullptr, &t[i]));
    }
    std::remove(files[2].c_str());
    ASSERT_TRUE(platform::GetDeviceStatistics(device, loaded));
    EXPECT_EQ(3u, loaded.texturesCreated - before.texturesCreated);
    EXPECT_EQ(0u, loaded.textureUploads - before.textureUploads);

    // Drawn: texel (5, 2) lands on pixel (5, 2) of an 8 x 8 quad.
    device->SetTexture(0, t[0]);
    ClearAll(0xFF000000);
    ASSERT_EQ(D3D_OK, Quad(0, 0, 8, 8, 0, 0xFFFFFFFF));
    EXPECT_EQ(pixels[2 * 8 + 5] & 0xFFFFFF, Pixel(5, 2) & 0xFFFFFF);

    // Locked: every pixel of the file, as A8R8G8B8.
    D3DLOCKED_RECT r;
    ASSERT_EQ(D3D_OK, t[1]->LockRect(0, &r, nullptr, 0));
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(0, std::memcmp(static_cast<BYTE*>(r.pBits) + y * r.Pitch, &pixels[y * 8], 8 * 4)) << y;
    ASSERT_EQ(D3D_OK, t[1]->UnlockRect(0));

    // The file went before the texture was first drawn: it draws blank (black when
    // modulated) and the device goes on.
    device->SetTexture(0, t[2]);
    ClearAll(0xFF0000FF);
    ASSERT_EQ(D3D_OK, Quad(0, 0, 8, 8, 0, 0xFFFFFFFF));
    EXPECT_EQ(0u, Pixel(3, 3) & 0xFFFFFF);

    ASSERT_TRUE(platform::GetDeviceStatistics(device, after));
    EXPECT_EQ(3u, after.textureFileFills - before.textureFileFills);
    // One upload for the drawn texture, two (the fill and the unlock) for the locked one,
    // one blank for the texture whose file went.
    EXPECT_EQ(4u, after.textureUploads - before.textureUploads);
    device->SetTexture(0, nullptr);
    for (IDirect3DTexture8* texture : t)
        texture->Release();
}
