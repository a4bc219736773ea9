// The frame writer the rendering tests and tools save frames with: what it writes
// reads back pixel for pixel through the picture loader (red, green and blue in
// their places, the alpha dropped), and a file that cannot be made is reported.
#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "tools/common/ImageWrite.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Loads a picture at its own size into a recording-backend texture and returns its
// pixels as 0x00RRGGBB.
bool LoadRgb(const std::string& path, int w, int h, std::vector<uint32_t>& out)
{
    platform::UseRecordingBackend();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = 640;
    p.BackBufferHeight = 480;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    IDirect3DTexture8* texture = nullptr;
    bool ok = d3d && d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                       &device) == D3D_OK;
    ok = ok && D3DXCreateTextureFromFileExA(device, path.c_str(), UINT(w), UINT(h), 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr,
                                            nullptr, &texture) == D3D_OK;
    D3DLOCKED_RECT locked{};
    ok = ok && texture->LockRect(0, &locked, nullptr, 0) == D3D_OK;
    if (ok)
    {
        out.clear();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.push_back(reinterpret_cast<const uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                                y * locked.Pitch)[x] & 0xFFFFFFu);
        texture->UnlockRect(0);
    }
    if (texture)
        texture->Release();
    if (device)
        device->Release();
    if (d3d)
        d3d->Release();
    platform::UseGLBackend();
    return ok;
}

TEST(FramePng, WrittenPicturesReadBackPixelForPixel)
{
    const struct
    {
        int w, h;
    } sizes[] = {{1, 1}, {256, 128}};
    for (const auto& size : sizes)
    {
        std::vector<uint32_t> argb;
        for (int y = 0; y < size.h; ++y)
            for (int x = 0; x < size.w; ++x)
                argb.push_back(0x80000000u | uint32_t(x * 7 % 256) << 16 | uint32_t(y * 13 % 256) << 8 |
                               uint32_t((x + y) % 256));
        const std::string path = ::testing::TempDir() + "png_writer_" + std::to_string(size.w) + ".png";
        ASSERT_TRUE(tools::WriteArgbPng(path, argb, size.w, size.h));
        std::vector<uint32_t> rgb;
        ASSERT_TRUE(LoadRgb(path, size.w, size.h, rgb)) << size.w << " x " << size.h;
        ASSERT_EQ(argb.size(), rgb.size());
        int wrong = 0;
        for (size_t i = 0; i < argb.size(); ++i)
            wrong += rgb[i] != (argb[i] & 0xFFFFFFu) ? 1 : 0;
        EXPECT_EQ(0, wrong) << size.w << " x " << size.h;
    }
}

TEST(FramePng, AFileThatCannotBeMadeOrFewerPixelsThanTheSizeAreReported)
{
    EXPECT_FALSE(tools::WriteArgbPng(::testing::TempDir() + "no_such_folder/frame.png", {0u}, 1, 1));
    EXPECT_FALSE(tools::WriteArgbPng(::testing::TempDir() + "short_frame.png", {0u, 0u}, 2, 2));
}

} // namespace
