// A second of the five built-in systems and an alpha-tested collection drawn by
// the real OpenGL backend (SDL_VIDEODRIVER=offscreen), checked by reading pixels
// back; the frame is also written to "particles_offscreen.png" for a look.
#include "EffectsTestUtil.h"

#include "platform/d3d8/backend.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"
#include "render/Device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace effects_test;

namespace
{

const int kWidth = 640;
const int kHeight = 480;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// --- a minimal PNG writer (stored deflate blocks), enough to look at a frame ---

uint32_t Crc(const unsigned char* data, size_t n, uint32_t crc = 0xFFFFFFFFu)
{
    for (size_t i = 0; i < n; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void Put32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<unsigned char>(v >> s));
}

void Chunk(std::vector<unsigned char>& file, const char* type, const std::vector<unsigned char>& data)
{
    Put32(file, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    Put32(file, Crc(body.data(), body.size()) ^ 0xFFFFFFFFu);
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& argb, int w, int h)
{
    std::vector<unsigned char> raw;
    for (int y = 0; y < h; ++y)
    {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
        {
            uint32_t p = argb[size_t(y) * w + x];
            raw.push_back(static_cast<unsigned char>(p >> 16));
            raw.push_back(static_cast<unsigned char>(p >> 8));
            raw.push_back(static_cast<unsigned char>(p));
        }
    }
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw)
    {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size();)
    {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<unsigned char>(n));
        z.push_back(static_cast<unsigned char>(n >> 8));
        z.push_back(static_cast<unsigned char>(~n));
        z.push_back(static_cast<unsigned char>(~n >> 8));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    }
    Put32(z, (b << 16) | a);
    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    Put32(header, uint32_t(w));
    Put32(header, uint32_t(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", z);
    Chunk(file, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

// --- pictures the systems draw with, made here ---

// A soft round dot, white, its alpha falling off from the centre.
float Dot(float dx, float dy, float radius)
{
    float d = std::sqrt(dx * dx + dy * dy) / radius;
    return d >= 1.0f ? 0.0f : (1.0f - d * d);
}

CRefPtr<CTexture> MakeTexture(CDevice& device, const char* name, int size, bool atlas)
{
    CRefPtr<CTexture> texture =
        device.CreateTexture(name, size, size, 1, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8);
    if (!texture)
        return texture;
    D3DLOCKED_RECT locked{};
    if (texture->texture->LockRect(0, &locked, nullptr, 0) != D3D_OK)
        return CRefPtr<CTexture>();
    for (int y = 0; y < size; ++y)
    {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < size; ++x)
        {
            float a;
            if (atlas)
            {
                // 4 x 4 cells of puffs, each a little different.
                int cell = size / 4;
                int cx = x / cell, cy = y / cell;
                float fx = (x % cell) + 0.5f - cell * 0.5f;
                float fy = (y % cell) + 0.5f - cell * 0.5f;
                float wobble = 0.35f + 0.1f * float((cx + 3 * cy) % 4);
                a = Dot(fx, fy * (1.0f + 0.1f * float(cx)), cell * (0.5f - 0.02f * float(cy))) *
                    (0.6f + wobble);
            }
            else
            {
                a = Dot(x + 0.5f - size * 0.5f, y + 0.5f - size * 0.5f, size * 0.5f);
            }
            if (a > 1.0f)
                a = 1.0f;
            row[x] = (uint32_t(a * 255.0f + 0.5f) << 24) | 0x00FFFFFFu;
        }
    }
    texture->texture->UnlockRect(0);
    return texture;
}

// Virtual-screen point (centred, y up) to back-buffer pixel.
int PixelX(float x) { return int((x + 512.0f) * kWidth / 1024.0f); }
int PixelY(float y) { return int((384.0f - y) * kHeight / 768.0f); }

int LitPixels(const std::vector<uint32_t>& frame, float x0, float y0, float x1, float y1)
{
    int lit = 0;
    int top = std::max(0, PixelY(y1)), bottom = std::min(kHeight, PixelY(y0));
    int left = std::max(0, PixelX(x0)), right = std::min(kWidth, PixelX(x1));
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
        {
            uint32_t p = frame[size_t(y) * kWidth + x];
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            lit += (r > 40 || g > 40 || b > 40) ? 1 : 0;
        }
    return lit;
}

class OffscreenDevice
{
public:
    OffscreenDevice()
    {
        platform::UseGLBackend();
        WNDCLASS wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.lpszClassName = "ParticleTestWindow";
        RegisterClass(&wc);
        window = CreateWindowEx(0, "ParticleTestWindow", "Particles", 0x10CA0000, 0, 0, kWidth,
                                kHeight, nullptr, nullptr, nullptr, nullptr);
        if (!window)
            return;
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d)
            return;
        device = CRefPtr<CDevice>(new CDevice(d3d, 0));
        if (device->Create(kWidth, kHeight, D3DFMT_X8R8G8B8, false, false, window, D3DFMT_D16, 1,
                           D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD,
                           D3DCREATE_HARDWARE_VERTEXPROCESSING) != D3D_OK)
        {
            device.Reset();
            return;
        }
        vertexBuffer = device->CreateVertexBuffer(65536, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                  kVertexFormat, D3DPOOL_DEFAULT);
        indexBuffer = device->CreateIndexBuffer(65536, D3DFMT_INDEX16,
                                                D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                D3DPOOL_DEFAULT);
    }

    ~OffscreenDevice()
    {
        indexBuffer.Reset();
        vertexBuffer.Reset();
        device.Reset();
        if (d3d)
            d3d->Release();
        if (window)
            DestroyWindow(window);
        platform::UseRecordingBackend();
    }

    bool Ready() const { return device && vertexBuffer && indexBuffer; }

    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
};

} // namespace

TEST(OffscreenRendering, FiveSystemsAndAnAlphaTestedCollectionDrawForASecond)
{
    OffscreenDevice gl;
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL device (run with SDL_VIDEODRIVER=offscreen)";
    CDevice& dev = *gl.device;
    CRefPtr<CTexture> dot = MakeTexture(dev, "ParticleDot", 32, false);
    CRefPtr<CTexture> atlas = MakeTexture(dev, "ParticleAtlas", 64, true);
    ASSERT_TRUE(dot && atlas);

    CParticleSystemsManager m(gl.device, gl.vertexBuffer, gl.indexBuffer);
    m.environment->boxMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
    m.environment->boxMax = Vec3{1000.0f, 1000.0f, 10000.0f};
    m.environment->view->eye.z = -1000.0f;
    crt::srand(2026);

    CRefPtr<CParticleSystem> sparks, smokes, explosion, bolt, spells, tiles;
    {
        CSparksSpringParametres block(Vec3{-300.0f, 120.0f, 0}, Vec3{0, 260.0f, 0},
                                      Vec3{1.0f, 0, 0}, 300.0f, 100.0f, 0xFFFFC040u);
        block.sparkWidth = 5.0f;
        block.lengthFactor = 0.02f;
        block.maxLength = 40.0f;
        block.fadeRate = 0.6f;
        block.duration = 2.0f;
        block.rate = 150.0f;
        m.AddSparksSystem(sparks, block, 120, dot);
        sparks.DynamicCast<CSparksParticleSystem>()->newSparkGravityScale = 30.0f;
    }
    {
        CSmokesSpringParametres block(Vec3{0, 100.0f, 0}, Vec3{0, 1.0f, 0}, Vec3{1.0f, 0, 0},
                                      40.0f, 0.0f, 0.5f, 0.0f, 0xFFA0A0B0u, 0);
        block.speed = 30.0f;
        block.speedSpread = 10.0f;
        block.rise = 30.0f;
        block.riseSpread = 10.0f;
        block.size = 40.0f;
        block.sizeSpread = 10.0f;
        block.growth = 40.0f;
        block.growthSpread = 10.0f;
        block.fadeRate = 0.5f;
        block.fadeSpread = 0.1f;
        block.fadeInRate = 4.0f;
        block.rate = 30.0f;
        m.AddSmokesSystem(smokes, block, 160, atlas);
    }
    {
        CExplosionParametres block(Vec3{300.0f, 150.0f, 0}, Vec3{0, 0, 0}, Vec3{0, 0, 1.0f},
                                   20.0f, 0.0f, 80, 0xFFFF6020u, CExplosionParametres::kModeRing);
        block.speed = 250.0f;
        block.speedSpread = 100.0f;
        block.size = 24.0f;
        block.sizeSpread = 6.0f;
        block.growth = 60.0f;
        block.growthSpread = 20.0f;
        block.fadeRate = 0.7f;
        block.fadeSpread = 0.1f;
        m.AddExplosionSystem(explosion, block, 80, atlas);
    }
    {
        CThunderboltParametres block(Vec3{-380.0f, -150.0f, 0}, Vec3{0, 1.0f, 0}, Vec3{0, 0, 1.0f},
                                     30.0f, 0.0f, 4.0f, Vec3{-80.0f, -150.0f, 0}, Vec3{0, 1.0f, 0},
                                     Vec3{0, 0, 1.0f}, 30.0f, 0.0f, 4.0f, 8, 3, 0xFF80A0FFu);
        block.pointSize = 10.0f;
        block.duration = 10.0f;
        m.AddThunderboltSystem(bolt, block, 40, dot);
        // Inner points jump up to 20 units off the line.
        auto* b = bolt.DynamicCast<CThunderboltParticleSystem>().Get();
        b->startJitter = 20.0f;
        b->endJitter = 20.0f;
    }
    {
        CSpellsSpringParametres block(Vec3{310.0f, -150.0f, 0}, Vec3{0, 0, 0}, 20.0f, 5.0f, 18.0f,
                                      4.0f, 0xFF60FF90u);
        block.rate = 80.0f;
        block.randomAngle = 1;
        block.spin = 200.0f;
        m.AddSpellsSystem(spells, block, 200, dot);
    }
    {
        // Tiles for the alpha-tested pass: opaque ones stay, faint ones are cut away.
        std::vector<CCollectedParticle2> templates(8);
        for (int i = 0; i < 8; ++i)
            templates[i].SpawnTextured(i % 2 ? 0x4080FFu : 0xFF8040u, -350.0f + 100.0f * i,
                                       -320.0f, 0.0f, 0, i % 2 ? 0.3f : 1.0f, 48.0f, 48.0f,
                                       32.0f * i);
        CCollection2Parametres block(0, -320.0f, 0, &templates, CRefPtr<CCollection2Keeper>(), 2);
        m.AddCollection2System(tiles, block, 8, dot);
        m.systems.erase(std::find(m.systems.begin(), m.systems.end(), tiles));
        m.alphaTestedSystems.push_back(tiles);
    }

    D3DXMATRIX projection, identity;
    D3DXMatrixOrthoLH(&projection, 1024.0f, 768.0f, -1000.0f, 1000.0f);
    D3DXMatrixIdentity(&identity);
    std::vector<uint32_t> frame;
    const float dt = 1.0f / 60.0f;
    for (int i = 0; i < 60; ++i)
    {
        // The spells follow a point going round, leaving a trail.
        float t = float(i + 1) * dt;
        spells->MoveTo(250.0f + 60.0f * std::cos(6.2831853f * t), -150.0f + 60.0f * std::sin(6.2831853f * t),
                       0.0f);
        m.Update(dt);

        ASSERT_EQ(D3D_OK, dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u,
                                    1.0f, 0));
        ASSERT_EQ(D3D_OK, dev.device->BeginScene());
        dev.SetTransform(D3DTS_PROJECTION, &projection);
        dev.SetTransform(D3DTS_VIEW, &identity);
        dev.SetTransform(D3DTS_WORLD, &identity);
        dev.SetIndices(gl.indexBuffer, 0);
        dev.SetStreamSource(gl.vertexBuffer);
        dev.SetVertexShader(kVertexFormat);
        dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        dev.SetRenderState(D3DRS_LIGHTING, 0);
        dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
        m.DrawAlphaTested();
        dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        m.DrawBlended();
        ASSERT_EQ(D3D_OK, dev.device->EndScene());
        if (i == 59)
        {
            ASSERT_TRUE(platform::ReadBackBuffer(dev.device, 0, 0, kWidth, kHeight, frame));
        }
        dev.device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    ASSERT_EQ(frame.size(), size_t(kWidth) * kHeight);
    EXPECT_TRUE(WritePng("particles_offscreen.png", frame, kWidth, kHeight));

    // Every system is alive after a second and shows where it was started.
    for (const auto& s : {sparks, smokes, explosion, bolt, spells})
        EXPECT_GT(s->liveCount, 0) << s->number;
    EXPECT_GT(LitPixels(frame, -420.0f, 80.0f, -180.0f, 400.0f), 200) << "sparks";
    EXPECT_GT(LitPixels(frame, -80.0f, 100.0f, 80.0f, 300.0f), 400) << "smokes";
    EXPECT_GT(LitPixels(frame, 220.0f, 70.0f, 380.0f, 230.0f), 400) << "explosion";
    EXPECT_GT(LitPixels(frame, -360.0f, -170.0f, -100.0f, -130.0f), 300) << "thunderbolt";
    EXPECT_GT(LitPixels(frame, 170.0f, -230.0f, 330.0f, -70.0f), 200) << "spells";
    // Away from every system the screen stays black.
    EXPECT_EQ(LitPixels(frame, -500.0f, -280.0f, 500.0f, -250.0f), 0);

    // Alpha-tested tiles: an opaque tile shows its colour unblended at its centre, a
    // faint one (alpha 0.3, below the 128 reference) leaves the screen black.
    for (int i = 0; i < 8; ++i)
    {
        uint32_t p = frame[size_t(PixelY(-320.0f)) * kWidth + PixelX(-350.0f + 100.0f * i)];
        if (i % 2)
            EXPECT_EQ(p & 0xFFFFFFu, 0u) << i;
        else
        {
            EXPECT_NEAR(int((p >> 16) & 0xFF), 0xFF, 2) << i;
            EXPECT_NEAR(int((p >> 8) & 0xFF), 0x80, 2) << i;
            EXPECT_NEAR(int(p & 0xFF), 0x40, 2) << i;
        }
    }
}
