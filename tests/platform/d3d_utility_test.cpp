// The utility library and the format helpers on the recording backend: decoding each
// file type into the declared format, power-of-two sizing, mip chains, colour keys,
// DXT blocks, matrices, and the bitmap headers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/d3d8.h"
#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/image.h"
#include "platform/win32/library.h"
#include "tests/platform/d3d_image_files.h"

class UtilityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = ::testing::TempDir();
        recorder = platform::UseRecordingBackend();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 64;
        p.BackBufferHeight = 64;
        p.Windowed = TRUE;
        ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                            &device));
    }
    void TearDown() override
    {
        for (IDirect3DTexture8* t : made)
            t->Release();
        device->Release();
        d3d->Release();
        EXPECT_EQ(0, recorder->liveManaged);
        platform::UseGLBackend();
    }

    IDirect3DTexture8* Load(const std::string& file, D3DFORMAT format = D3DFMT_UNKNOWN, UINT levels = 1,
                            D3DCOLOR key = 0, D3DXIMAGE_INFO* info = nullptr, HRESULT expect = D3D_OK)
    {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(expect, D3DXCreateTextureFromFileExA(device, (dir + file).c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                       levels, 0, format, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
                                                       D3DX_DEFAULT, key, info, nullptr, &t))
            << file;
        if (t)
            made.push_back(t);
        return t;
    }

    static D3DSURFACE_DESC Desc(IDirect3DTexture8* t, UINT level = 0)
    {
        D3DSURFACE_DESC d{};
        t->GetLevelDesc(level, &d);
        return d;
    }

    // The pixel at (x, y) of level 0, decoded to 0xAARRGGBB.
    static DWORD Argb(IDirect3DTexture8* t, UINT x, UINT y)
    {
        D3DSURFACE_DESC d = Desc(t);
        D3DLOCKED_RECT r;
        t->LockRect(0, &r, nullptr, 0);
        DWORD v = D3DDecodePixel(d.Format, static_cast<BYTE*>(r.pBits) + y * r.Pitch + x * D3DBytesPerPixel(d.Format));
        t->UnlockRect(0);
        return v;
    }

    std::string dir;
    std::shared_ptr<platform::D3DRecorder> recorder;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    std::vector<IDirect3DTexture8*> made;
};

TEST(D3DFormats, PixelsDecodeAndEncodeByTheirLayouts)
{
    const struct
    {
        D3DFORMAT format;
        DWORD raw;
        DWORD argb; // decoded: bits widened by repetition, missing alpha 255
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0x80112233, 0x80112233},
        {D3DFMT_X8R8G8B8, 0x00112233, 0xFF112233},
        {D3DFMT_R5G6B5, 0xF800, 0xFFFF0000},
        {D3DFMT_R5G6B5, 0x07E0, 0xFF00FF00},
        {D3DFMT_A1R5G5B5, 0x801F, 0xFF0000FF},
        {D3DFMT_A4R4G4B4, 0x8F0A, 0x88FF00AA},
        {D3DFMT_L8, 0x80, 0xFF808080},
        {D3DFMT_A8L8, 0x4080, 0x40808080},
        {D3DFMT_A4L4, 0x3C, 0x33CCCCCC},
        {D3DFMT_A8, 0x7F, 0x7F000000},
        {D3DFMT_R3G3B2, 0xE3, 0xFFFF00FF},
    };
    for (const auto& c : cases)
    {
        BYTE bytes[4];
        std::memcpy(bytes, &c.raw, 4);
        EXPECT_EQ(c.argb, D3DDecodePixel(c.format, bytes)) << "format " << c.format;
        BYTE back[4] = {};
        D3DEncodePixel(c.format, c.argb, back);
        DWORD raw = 0;
        std::memcpy(&raw, back, D3DBytesPerPixel(c.format));
        EXPECT_EQ(c.raw, raw) << "format " << c.format;
    }
    // Whole rows agree with the pixel functions, the 32-bit fast paths included.
    const DWORD row[3] = {0x80112233, 0x00FFFFFF, 0xFF00FF80};
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A8L8, D3DFMT_R8G8B8})
    {
        BYTE viaRow[12] = {}, viaPixel[12] = {};
        D3DEncodeRow(f, row, viaRow, 3);
        UINT bpp = D3DBytesPerPixel(f);
        for (int i = 0; i < 3; ++i)
            D3DEncodePixel(f, row[i], viaPixel + i * bpp);
        EXPECT_EQ(0, std::memcmp(viaRow, viaPixel, 12)) << "format " << f;
        DWORD decoded[3];
        D3DDecodeRow(f, viaRow, decoded, 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(D3DDecodePixel(f, viaRow + i * bpp), decoded[i]) << "format " << f;
    }
    EXPECT_EQ(0u, D3DBytesPerPixel(D3DFMT_D16));
    EXPECT_EQ(3u, D3DBytesPerPixel(D3DFMT_R8G8B8));
    EXPECT_TRUE(D3DIsRenderStateDefined(D3DRS_LIGHTING));
    EXPECT_FALSE(D3DIsRenderStateDefined(138));
    EXPECT_FALSE(D3DIsRenderStateDefined(169));
}

TEST_F(UtilityTest, FilesLoadInTheirOwnFormatRoundedUpToPowersOfTwo)
{
    std::vector<uint32_t> pixels(3 * 5, 0x80FF8040);
    pixels[0] = 0xFF102030;
    const struct
    {
        const char* file;
        int channels;
        D3DFORMAT format;
        D3DXIMAGE_FILEFORMAT type;
        DWORD firstPixel;
    } cases[] = {
        {"rgba.png", 4, D3DFMT_A8R8G8B8, D3DXIFF_PNG, 0xFF102030},
        {"rgb.png", 3, D3DFMT_X8R8G8B8, D3DXIFF_PNG, 0xFF102030},
        {"grey.png", 1, D3DFMT_L8, D3DXIFF_PNG, 0xFF202020},
        {"greyalpha.png", 2, D3DFMT_A8L8, D3DXIFF_PNG, 0xFF202020},
        {"rgb.bmp", 3, D3DFMT_X8R8G8B8, D3DXIFF_BMP, 0xFF102030},
        {"rgba.tga", 4, D3DFMT_A8R8G8B8, D3DXIFF_TGA, 0xFF102030},
        {"rgb.jpg", 3, D3DFMT_X8R8G8B8, D3DXIFF_JPG, 0},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(WriteImage(dir + c.file, 3, 5, pixels, c.channels)) << c.file;
        D3DXIMAGE_INFO info{};
        IDirect3DTexture8* t = Load(c.file, D3DFMT_UNKNOWN, 1, 0, &info);
        ASSERT_NE(nullptr, t);
        D3DSURFACE_DESC d = Desc(t);
        EXPECT_EQ(c.format, d.Format) << c.file;
        EXPECT_EQ(4u, d.Width) << c.file;
        EXPECT_EQ(8u, d.Height) << c.file;
        EXPECT_EQ(3u, info.Width);
        EXPECT_EQ(5u, info.Height);
        EXPECT_EQ(c.format, info.Format) << c.file;
        EXPECT_EQ(c.type, info.ImageFileFormat) << c.file;
        EXPECT_EQ(1u, t->GetLevelCount());
        if (c.firstPixel)
        {
            // Resampled 3 x 5 -> 4 x 8: a corner keeps its colour within a few steps.
            DWORD p = Argb(t, 0, 0);
            for (int s = 0; s < 32; s += 8)
                EXPECT_NEAR(int((c.firstPixel >> s) & 0xff), int((p >> s) & 0xff), 40) << c.file << " shift " << s;
        }
    }
}

TEST_F(UtilityTest, PowerOfTwoImagesKeepTheirPixelsExactly)
{
    std::vector<uint32_t> pixels(4 * 2);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000 | static_cast<uint32_t>(i * 0x1F0F07);
    ASSERT_TRUE(WriteImage(dir + "exact.png", 4, 2, pixels, 4));
    IDirect3DTexture8* t = Load("exact.png");
    ASSERT_NE(nullptr, t);
    for (UINT i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(pixels[i], Argb(t, i % 4, i / 4)) << i;
    // An asked format keeps the top bits of each channel.
    IDirect3DTexture8* small = Load("exact.png", D3DFMT_A4R4G4B4);
    ASSERT_NE(nullptr, small);
    D3DLOCKED_RECT r;
    small->LockRect(0, &r, nullptr, 0);
    WORD first;
    std::memcpy(&first, static_cast<BYTE*>(r.pBits) + 2 * 2, 2); // pixel 2 = 0xFF3E1E0E
    small->UnlockRect(0);
    EXPECT_EQ(0xF310, first);
}

TEST_F(UtilityTest, LevelsAndColourKey)
{
    std::vector<uint32_t> pixels(8 * 8, 0xFF00FF00);
    pixels[9] = 0xFFFF00FF;
    ASSERT_TRUE(WriteImage(dir + "keyed.png", 8, 8, pixels, 4));
    IDirect3DTexture8* chain = Load("keyed.png", D3DFMT_UNKNOWN, D3DX_DEFAULT);
    ASSERT_NE(nullptr, chain);
    EXPECT_EQ(4u, chain->GetLevelCount());
    EXPECT_EQ(2u, Desc(chain, 2).Width);
    EXPECT_EQ(1u, Desc(chain, 3).Height);
    IDirect3DTexture8* keyed = Load("keyed.png", D3DFMT_UNKNOWN, 1, 0xFFFF00FF);
    ASSERT_NE(nullptr, keyed);
    EXPECT_EQ(0u, Argb(keyed, 1, 1));
    EXPECT_EQ(0xFF00FF00u, Argb(keyed, 2, 1));
}

TEST_F(UtilityTest, UnreadableFilesFail)
{
    FILE* f = std::fopen((dir + "garbage.png").c_str(), "wb");
    std::fputs("not a picture at all", f);
    std::fclose(f);
    EXPECT_EQ(nullptr, Load("garbage.png", D3DFMT_UNKNOWN, 1, 0, nullptr, D3DXERR_INVALIDDATA));
    EXPECT_EQ(nullptr, Load("nothing-here.png", D3DFMT_UNKNOWN, 1, 0, nullptr, D3DXERR_INVALIDDATA));
    // Unsupported and truncated DDS files.
    const int zero[16] = {};
    ASSERT_TRUE(WriteDds(dir + "dxt2.dds", 4, 4, "DXT2", ColourBlock(0, 0, zero)));
    ASSERT_TRUE(WriteDds(dir + "short.dds", 8, 8, "DXT1", ColourBlock(0, 0, zero)));
    EXPECT_EQ(nullptr, Load("dxt2.dds", D3DFMT_UNKNOWN, 1, 0, nullptr, D3DXERR_INVALIDDATA));
    EXPECT_EQ(nullptr, Load("short.dds", D3DFMT_UNKNOWN, 1, 0, nullptr, D3DXERR_INVALIDDATA));
    // A device refusal is passed on.
    recorder->Fail("CreateTexture", D3DERR_INVALIDCALL, 1);
    std::vector<uint32_t> pixels(4, 0xFFFFFFFF);
    ASSERT_TRUE(WriteImage(dir + "ok.png", 2, 2, pixels, 4));
    EXPECT_EQ(nullptr, Load("ok.png", D3DFMT_UNKNOWN, 1, 0, nullptr, D3DERR_INVALIDCALL));
}

// A few bytes of header that claim a picture larger than the device takes: refused
// before any pixel is decoded, with a line that says why.
TEST_F(UtilityTest, PicturesLargerThanTheDeviceTakesAreRefusedBeforeDecoding)
{
    auto le32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s.push_back(char(v >> (8 * i)));
    };
    auto be32 = [](std::string& s, uint32_t v) {
        for (int i = 3; i >= 0; --i)
            s.push_back(char(v >> (8 * i)));
    };
    // A BMP of 5000 x 5000, over the recording device's 4096 but within our own limit.
    std::string bmp = "BM";
    le32(bmp, 54);
    le32(bmp, 0);
    le32(bmp, 54);
    le32(bmp, 40);
    le32(bmp, 5000);
    le32(bmp, 5000);
    bmp += std::string("\x01\x00\x18\x00", 4);
    bmp.resize(70, '\0');
    // A PNG header of 9000 x 9000.
    std::string png = "\x89PNG\r\n\x1a\n";
    be32(png, 13);
    png += "IHDR";
    be32(png, 9000);
    be32(png, 9000);
    png += std::string("\x08\x06\x00\x00\x00\x00\x00\x00\x00", 9);
    const struct
    {
        const char* file;
        std::string bytes;
        const char* size;
    } cases[] = {{"huge.bmp", bmp, "5000 x 5000"}, {"huge.png", png, "9000 x 9000"}};
    for (const auto& c : cases)
    {
        FILE* f = std::fopen((dir + c.file).c_str(), "wb");
        std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        std::fclose(f);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(nullptr, Load(c.file, D3DFMT_UNKNOWN, 1, 0, nullptr, D3DXERR_INVALIDDATA));
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, log.find(std::string("Picture of ") + c.size + " refused")) << log;
    }
    EXPECT_EQ(0, recorder->Count("CreateTexture"));
    const int zero[16] = {};
    ASSERT_TRUE(WriteDds(dir + "huge.dds", 9000, 9000, "DXT1", ColourBlock(0, 0, zero)));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, Load("huge.dds", D3DFMT_UNKNOWN, 1, 0, nullptr, D3DXERR_INVALIDDATA));
    EXPECT_FALSE(platform::ImageInfo((dir + "huge.png").c_str()).ok);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("Picture of 9000 x 9000 refused")) << log;
    EXPECT_NE(std::string::npos, log.find("Picture of 9000 x 9000 refused: larger than the 8192")) << log;
}

TEST_F(UtilityTest, DxtBlocksDecode)
{
    // DXT1 four-colour block (c0 > c1): red, blue and the two thirds between them.
    const int gradient[16] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
    ASSERT_TRUE(WriteDds(dir + "four.dds", 4, 4, "DXT1", ColourBlock(0xF800, 0x001F, gradient)));
    // c0 <= c1: three colours and transparent black.
    ASSERT_TRUE(WriteDds(dir + "three.dds", 4, 4, "DXT1", ColourBlock(0x001F, 0xF800, gradient)));
    std::vector<uint8_t> dxt3 = {0x10, 0xF2, 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> colour = ColourBlock(0xFFFF, 0x0000, gradient);
    dxt3.insert(dxt3.end(), colour.begin(), colour.end());
    // DXT5: alpha 255 and 0 with eight steps; pixel 0 index 0, pixel 1 index 1, pixel 2 index 2.
    std::vector<uint8_t> dxt5 = {255, 0, 0x88, 0, 0, 0, 0, 0};
    dxt5.insert(dxt5.end(), colour.begin(), colour.end());
    ASSERT_TRUE(WriteDds(dir + "explicit.dds", 4, 4, "DXT3", dxt3));
    ASSERT_TRUE(WriteDds(dir + "interp.dds", 4, 4, "DXT5", dxt5));

    IDirect3DTexture8* four = Load("four.dds");
    IDirect3DTexture8* three = Load("three.dds");
    IDirect3DTexture8* explicitAlpha = Load("explicit.dds");
    IDirect3DTexture8* interp = Load("interp.dds");
    ASSERT_TRUE(four && three && explicitAlpha && interp);
    EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(four).Format);
    EXPECT_EQ(0xFFFF0000u, Argb(four, 0, 0));
    EXPECT_EQ(0xFF0000FFu, Argb(four, 1, 0));
    EXPECT_EQ(0xFFAA0055u, Argb(four, 2, 0));
    EXPECT_EQ(0xFF5500AAu, Argb(four, 3, 2));
    EXPECT_EQ(0xFF7F007Fu, Argb(three, 2, 0));
    EXPECT_EQ(0x00000000u, Argb(three, 3, 0));
    EXPECT_EQ(0x00FFFFFFu, Argb(explicitAlpha, 0, 0));
    EXPECT_EQ(0x11000000u, Argb(explicitAlpha, 1, 0) & 0xFF000000u);
    EXPECT_EQ(0x22000000u, Argb(explicitAlpha, 2, 0) & 0xFF000000u);
    EXPECT_EQ(0xFF000000u, Argb(explicitAlpha, 3, 0) & 0xFF000000u);
    EXPECT_EQ(0xFFu, Argb(interp, 0, 0) >> 24);
    EXPECT_EQ(0x00u, Argb(interp, 1, 0) >> 24);
    EXPECT_EQ(218u, Argb(interp, 2, 0) >> 24); // (6 * 255 + 0) / 7
}

TEST_F(UtilityTest, BlankTexturesAndImageSurfaces)
{
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTexture(device, 100, 3, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t));
    made.push_back(t);
    EXPECT_EQ(128u, Desc(t).Width);
    EXPECT_EQ(4u, Desc(t).Height);
    EXPECT_EQ(0u, Argb(t, 127, 3));

    std::vector<uint32_t> pixels(8 * 8, 0xFF336699);
    ASSERT_TRUE(WriteImage(dir + "cursor.png", 8, 8, pixels, 4));
    IDirect3DSurface8* s = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateImageSurface(32, 32, D3DFMT_A8R8G8B8, &s));
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3D_OK, D3DXLoadSurfaceFromFileA(s, nullptr, nullptr, (dir + "cursor.png").c_str(), nullptr,
                                               D3DX_DEFAULT, 0, &info));
    EXPECT_EQ(8u, info.Width);
    EXPECT_EQ(1u, info.Depth);
    D3DLOCKED_RECT r;
    ASSERT_EQ(D3D_OK, s->LockRect(&r, nullptr, 0));
    DWORD corner;
    std::memcpy(&corner, static_cast<BYTE*>(r.pBits) + 31 * r.Pitch + 31 * 4, 4);
    s->UnlockRect();
    EXPECT_EQ(0xFF336699u, corner);
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXLoadSurfaceFromFileA(s, nullptr, nullptr, (dir + "none.png").c_str(), nullptr,
                                                            D3DX_DEFAULT, 0, &info));
    s->Release();
}

TEST(D3DXMath, ProjectionsAndVertexSizes)
{
    D3DXMATRIX m;
    D3DXMatrixOrthoLH(&m, 1024, 768, -1000, 1000);
    auto transform = [&](float x, float y, float z, float out[4]) {
        const float v[4] = {x, y, z, 1};
        for (int j = 0; j < 4; ++j)
            out[j] = v[0] * m.m[0][j] + v[1] * m.m[1][j] + v[2] * m.m[2][j] + v[3] * m.m[3][j];
    };
    float o[4];
    transform(512, -384, -1000, o);
    EXPECT_FLOAT_EQ(1.0f, o[0]);
    EXPECT_FLOAT_EQ(-1.0f, o[1]);
    EXPECT_FLOAT_EQ(0.0f, o[2]);
    transform(0, 0, 1000, o);
    EXPECT_FLOAT_EQ(1.0f, o[2]);

    // The valley's cloud projection: symmetric, so no off-centre terms.
    D3DXMatrixPerspectiveOffCenterLH(&m, -460.771f, 460.771f, -345.578f, 345.578f, 1112.4f, 2734.6f);
    EXPECT_NEAR(2 * 1112.4 / 921.542, m._11, 1e-5);
    EXPECT_NEAR(2 * 1112.4 / 691.156, m._22, 1e-5);
    EXPECT_NEAR(2734.6 / (2734.6 - 1112.4), m._33, 1e-5);
    EXPECT_EQ(1.0f, m._34);
    EXPECT_NEAR(1112.4 * 2734.6 / (1112.4 - 2734.6), m._43, 1e-2);
    EXPECT_FLOAT_EQ(0.0f, m._31);
    EXPECT_FLOAT_EQ(0.0f, m._44);
    D3DXMatrixPerspectiveOffCenterLH(&m, 0, 10, 0, 20, 1, 2);
    EXPECT_FLOAT_EQ(-1.0f, m._31); // (l + r) / (l - r)
    EXPECT_FLOAT_EQ(-1.0f, m._32); // (t + b) / (b - t)

    D3DXMATRIX a, b, id;
    D3DXMatrixTranslation(&a, 1, 2, 3);
    D3DXMatrixScaling(&b, 2, 2, 2);
    D3DXMatrixMultiply(&m, &a, &b); // translate, then scale
    EXPECT_FLOAT_EQ(2.0f, m._41);
    EXPECT_FLOAT_EQ(6.0f, m._43);
    D3DXMatrixIdentity(&id);
    D3DXMatrixMultiply(&m, &a, &id);
    EXPECT_EQ(0, std::memcmp(&m, &a, sizeof m));

    EXPECT_EQ(32u, D3DXGetFVFVertexSize(0x242));
    EXPECT_EQ(24u, D3DXGetFVFVertexSize(0x142));
    EXPECT_EQ(16u, D3DXGetFVFVertexSize(0x042));
}

TEST(ImageHeaders, BitmapHeadersReadFieldByField)
{
    BYTE bytes[54] = {'B', 'M', 0x36, 0x4B, 0, 0, 1, 0, 2, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                      0x40, 0x01, 0, 0, 0xB0, 0xFF, 0xFF, 0xFF, 1, 0, 24, 0};
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    platform::ParseBitmapFileHeader(bytes, &fh);
    platform::ParseBitmapInfoHeader(bytes + 14, &ih);
    EXPECT_EQ(0x4D42, fh.bfType);
    EXPECT_EQ(0x4B36u, fh.bfSize);
    EXPECT_EQ(1, fh.bfReserved1);
    EXPECT_EQ(2, fh.bfReserved2);
    EXPECT_EQ(54u, fh.bfOffBits);
    EXPECT_EQ(40u, ih.biSize);
    EXPECT_EQ(320, ih.biWidth);
    EXPECT_EQ(-80, ih.biHeight);
    EXPECT_EQ(24, ih.biBitCount);

    std::string path = ::testing::TempDir() + "header.bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes, 1, 20, f); // cut inside the information header
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    EXPECT_TRUE(platform::ReadBitmapFileHeader(f, &fh));
    EXPECT_EQ(54u, fh.bfOffBits);
    EXPECT_FALSE(platform::ReadBitmapInfoHeader(f, &ih));
    std::fclose(f);

    std::vector<uint32_t> pixels(7 * 3, 0xFFFFFFFF);
    ASSERT_TRUE(WriteImage(::testing::TempDir() + "logo.png", 7, 3, pixels, 4));
    platform::ImageInfoResult info = platform::ImageInfo((::testing::TempDir() + "logo.png").c_str());
    EXPECT_TRUE(info.ok);
    EXPECT_EQ(7, info.width);
    EXPECT_EQ(3, info.height);
    EXPECT_FALSE(platform::ImageInfo((::testing::TempDir() + "missing.png").c_str()).ok);
}

TEST(GraphicsLibrary, OnlyTheGraphicsLibraryAndItsFactoryAreKnown)
{
    EXPECT_EQ(nullptr, LoadLibraryA("BASS.DLL"));
    EXPECT_EQ(nullptr, LoadLibraryA(nullptr));
    EXPECT_EQ(nullptr, GetProcAddress(nullptr, "Direct3DCreate8"));
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(nullptr, Direct3DCreate8(120));
}
