// A second of the five built-in systems and an alpha-tested collection drawn by
// the real OpenGL backend (SDL_VIDEODRIVER=offscreen), checked by reading pixels
// back; the frame is also written to "particles_offscreen.png" for a look.
#include "EffectsTestUtil.h"

#include "render/Device.h"
#include "tests/support/OffscreenDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace effects_test;

namespace
{

const int kWidth = 640;
const int kHeight = 480;

using test_support::OffscreenDevice;
using test_support::OffscreenFrame;

// --- pictures the systems draw with, made here ---

// A soft round dot, white, its alpha falling off from the centre.
float Dot(float dx, float dy, float radius)
{
    float d = std::sqrt(dx * dx + dy * dy) / radius;
    return d >= 1.0f ? 0.0f : (1.0f - d * d);
}

CRefPtr<CTexture> MakeTexture(CDevice& device, const char* name, int size, bool atlas)
{
    return test_support::PaintTexture(device, name, size, size, [&](int x, int y) {
        float a;
        if (atlas)
        {
            // 4 x 4 cells of puffs, each a little different.
            int cell = size / 4;
            int cx = x / cell, cy = y / cell;
            float fx = (x % cell) + 0.5f - cell * 0.5f;
            float fy = (y % cell) + 0.5f - cell * 0.5f;
            float wobble = 0.35f + 0.1f * float((cx + 3 * cy) % 4);
            a = Dot(fx, fy * (1.0f + 0.1f * float(cx)), cell * (0.5f - 0.02f * float(cy))) * (0.6f + wobble);
        }
        else
        {
            a = Dot(x + 0.5f - size * 0.5f, y + 0.5f - size * 0.5f, size * 0.5f);
        }
        if (a > 1.0f)
            a = 1.0f;
        return (uint32_t(a * 255.0f + 0.5f) << 24) | 0x00FFFFFFu;
    });
}

// Pixels of a rectangle (virtual units) with some colour in them.
int LitPixels(const OffscreenFrame& frame, float x0, float y0, float x1, float y1)
{
    int lit = 0;
    int top = std::max(0, frame.PixelY(y1)), bottom = std::min(kHeight, frame.PixelY(y0));
    int left = std::max(0, frame.PixelX(x0)), right = std::min(kWidth, frame.PixelX(x1));
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
        {
            uint32_t p = frame.pixels[size_t(y) * kWidth + x];
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            lit += (r > 40 || g > 40 || b > 40) ? 1 : 0;
        }
    return lit;
}

} // namespace

TEST(OffscreenRendering, FiveSystemsAndAnAlphaTestedCollectionDrawForASecond)
{
    OffscreenDevice gl(kWidth, kHeight);
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

    OffscreenFrame frame;
    const float dt = 1.0f / 60.0f;
    for (int i = 0; i < 60; ++i)
    {
        // The spells follow a point going round, leaving a trail.
        float t = float(i + 1) * dt;
        spells->MoveTo(250.0f + 60.0f * std::cos(6.2831853f * t), -150.0f + 60.0f * std::sin(6.2831853f * t),
                       0.0f);
        m.Update(dt);

        ASSERT_EQ(D3D_OK, gl.BeginScene());
        gl.BindSharedBuffers();
        m.DrawAlphaTested();
        dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
        m.DrawBlended();
        ASSERT_EQ(D3D_OK, gl.EndScene());
        if (i == 59)
        {
            ASSERT_TRUE(gl.ReadBack(frame));
        }
        gl.Present();
    }
    ASSERT_EQ(frame.pixels.size(), size_t(kWidth) * kHeight);
    EXPECT_TRUE(frame.SavePng("particles_offscreen.png"));

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
        uint32_t p = frame.At(-350.0f + 100.0f * i, -320.0f);
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
