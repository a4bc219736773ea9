// The treasury scene: a vault heaped with gold under a high window, twelve gem
// sockets on a ring around the chest's plinth ("Treasury.jpg", with the gem tiles and
// ray picture below its 768 rows), the dust specks, the light mask, the elements atlas
// (the arch over the vault, the chest, its shadow strip) and the sun-ray sheet.
// The rectangles here are the ones data/Data/Config/Background.cfg names.
#include <cmath>
#include <vector>

#include "tools/bggen/BgArt.h"
#include "tools/common/PixelMaths.h"

namespace bggen {

using namespace tools;

namespace {

const Rgba kGemColours[12] = {C(230, 40, 40),  C(240, 110, 30), C(240, 200, 40), C(170, 230, 40),
                              C(60, 200, 70),  C(40, 200, 170), C(40, 160, 240), C(50, 80, 240),
                              C(130, 60, 230), C(200, 60, 220), C(240, 70, 140), C(250, 250, 250)};

Rgba Gold(float x, float y)
{
    const float glint = 0.5f + 0.5f * std::sin(x * 0.7f) * std::sin(y * 0.9f + x * 0.2f);
    return Mix(C(150, 100, 20), C(255, 220, 110), glint * glint);
}

Rgba VaultPixel(float x, float y)
{
    // Dark stone walls lit from a high window at the upper left.
    const float light = Clamp01(1.0f - std::hypot(x - 250.0f, y - 120.0f) / 700.0f);
    Rgba c = Scale(Mix(C(60, 48, 40), C(140, 116, 90), light), 0.9f + 0.1f * std::sin(x * 0.05f) * std::sin(y * 0.07f));
    if (std::fmod(y, 40.0f) < 2.0f || std::fmod(x + (int(y / 40.0f) % 2) * 30.0f, 60.0f) < 2.0f)
        c = Scale(c, 0.7f);
    if (x > 150.0f && x < 300.0f && y > 40.0f && y < 220.0f) // the window
        c = Mix(C(255, 246, 210), C(200, 220, 255), (y - 40.0f) / 180.0f);
    // Heaps of coins on the floor, rising towards the sides.
    const float heap = 600.0f - 90.0f * std::pow(std::fabs(x - 512.0f) / 512.0f, 1.5f) - 24.0f * std::sin(x * 0.03f);
    if (y > heap)
        c = Scale(Gold(x, y), 0.6f + 0.4f * Clamp01((y - heap) / 40.0f) * (0.6f + 0.4f * light));
    // The chest's plinth.
    if (std::fabs(x - 480.0f) < 190.0f && y > 540.0f && y < 600.0f)
        c = Scale(C(110, 96, 80), 0.8f + 0.2f * (600.0f - y) / 60.0f);
    return c;
}

void GemCentre(int k, float& x, float& y)
{
    const float a = kPi * (1.0f - (k + 0.5f) / 12.0f);
    x = 480.0f + std::cos(a) * 380.0f;
    y = 470.0f - std::sin(a) * 220.0f;
}

void PaintVault(Picture& pic)
{
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            pic.Set(x, y, VaultPixel(x + 0.5f, y + 0.5f));
    for (int k = 0; k < 12; ++k)
    {
        float gx, gy;
        GemCentre(k, gx, gy);
        for (int y = int(gy) - 28; y < int(gy) + 28; ++y)
            for (int x = int(gx) - 28; x < int(gx) + 28; ++x)
            {
                const float d = std::hypot(x + 0.5f - gx, y + 0.5f - gy);
                if (d < 25.0f)
                    pic.Over(x, y, d < 19.0f ? C(36, 28, 20) : C(210, 170, 80), Clamp01(25.0f - d));
            }
        const int left = int(std::lround(gx - 22.0f)), top = int(std::lround(gy - 22.0f));
        for (int y = 0; y < 44; ++y)
            for (int x = 0; x < 44; ++x)
            {
                const Rgba socket = pic.px[size_t(top + y) * 1024 + size_t(left + x)];
                const Rgba gem = GemPixel((x + 0.5f) / 44.0f, (y + 0.5f) / 44.0f, kGemColours[k]);
                pic.Set(2 + 52 * (k % 6) + x, 802 + 52 * (k / 6) + y, Mix(socket, WithAlpha(gem, 1.0f), gem.a));
            }
    }
    // The gems' ray: a soft beam, bright at its left end (240 by 48 at row 910).
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 240; ++x)
        {
            const float fx = (x + 0.5f) / 240.0f, fy = (y + 0.5f) / 48.0f - 0.5f;
            const float v = std::pow(Clamp01(1.0f - std::fabs(fy) * 2.0f), 1.5f) * Smooth(0.0f, 0.15f, fx) *
                            (1.0f - Smooth(0.5f, 1.0f, fx));
            pic.Set(2 + x, 910 + y, Rgba{v, v * 0.9f, v * 0.6f, 1.0f});
        }
}

void PaintElements(Picture& p)
{
    // The arch over the vault: a carved stone band with hanging gold chains.
    for (int y = 0; y < 232; ++y)
        for (int x = 0; x < 482; ++x)
        {
            const float fx = (x + 0.5f) / 482.0f, fy = (y + 0.5f) / 232.0f;
            const float arch = 0.35f + 0.45f * std::pow(std::fabs(fx - 0.5f) * 2.0f, 2.0f);
            if (fy < arch)
                p.Set(x, y, Scale(C(120, 100, 80), 0.7f + 0.3f * std::sin(fx * 60.0f) * (fy < arch - 0.05f ? 1.0f : 0.3f)));
            for (float cx : {0.2f, 0.5f, 0.8f})
                if (std::fabs(fx - cx) < 0.006f && fy >= arch && fy < arch + 0.3f)
                    p.Set(x, y, Gold(float(x), float(y)));
        }
    // The chest: a banded wooden box with a gold lock (302 by 264 from row 232).
    for (int y = 0; y < 264; ++y)
        for (int x = 0; x < 302; ++x)
        {
            const float fx = (x + 0.5f) / 302.0f, fy = (y + 0.5f) / 264.0f;
            const float lid = 0.38f - 0.1f * std::sqrt(std::max(0.0f, 1.0f - std::pow((fx - 0.5f) * 2.1f, 2.0f)));
            if (fx < 0.04f || fx > 0.96f || fy < lid - 0.12f || fy > 0.97f)
                continue;
            Rgba c = Mix(C(120, 70, 36), C(80, 44, 22), 0.5f + 0.5f * std::sin(fy * 50.0f + std::sin(fx * 9.0f)));
            if (std::fabs(fy - lid) < 0.02f || std::fabs(fx - 0.15f) < 0.03f || std::fabs(fx - 0.85f) < 0.03f)
                c = Gold(float(x), float(y));
            if (std::hypot(fx - 0.5f, (fy - 0.5f) * 1.2f) < 0.06f)
                c = Mix(C(255, 230, 140), C(170, 120, 30), std::hypot(fx - 0.5f, fy - 0.5f) / 0.06f);
            p.Set(x, 232 + y, c);
        }
    // The shadow strip, stored turned a quarter: white darkens.
    for (int y = 236; y < 396; ++y)
        for (int x = 306; x < 338; ++x)
        {
            const float along = (y - 236 + 0.5f) / 160.0f - 0.5f, across = (x - 306 + 0.5f) / 32.0f - 0.5f;
            const float v = 0.7f * Clamp01(1.0f - std::hypot(along * 2.0f, across * 2.0f));
            p.Set(x, y, Rgba{v, v, v, 1.0f});
        }
}

void PaintDustAndLight(const std::filesystem::path& gfx)
{
    Picture dust(256, 256);
    Lcg rng(77);
    for (int i = 0; i < 140; ++i)
    {
        const float cx = rng.Next() * 256.0f, cy = rng.Next() * 256.0f, r = 0.8f + 2.2f * rng.Next();
        for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
            for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x)
            {
                const float k = Clamp01(1.0f - std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r);
                dust.Over((x + 256) % 256, (y + 256) % 256, C(255, 240, 200), k * k * 0.9f);
            }
    }
    WriteWithAlpha(gfx / "TreasuryDust.tga", gfx / "TreasuryDust_alpha.tga", dust);
    // The light falls from the window down to the right.
    Picture mask(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
        {
            const float fx = (x + 0.5f) / 256.0f, fy = (y + 0.5f) / 192.0f;
            const float beam = std::fabs((fx - 0.22f) - 0.55f * fy);
            const float v = Clamp01(1.0f - beam * 3.0f) * (1.0f - 0.5f * fy) + 0.15f;
            mask.Set(x, y, Rgba{v, v, v, Clamp01(v)});
        }
    Write(gfx / "TreasuryMask.tga", mask, 4);
    Picture rays(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
        {
            const float fx = (x + 0.5f) / 256.0f, fy = (y + 0.5f) / 256.0f;
            const float s = 0.5f + 0.5f * std::sin((fx - 0.4f * fy) * 40.0f) * std::sin((fx - 0.4f * fy) * 13.0f + 1.0f);
            const float v = 0.35f * s * s * (1.0f - fy * 0.7f);
            rays.Set(x, y, Rgba{v, v * 0.92f, v * 0.7f, 1.0f});
        }
    Write(gfx / "TreasuryRays.jpg", rays, 3);
}

} // namespace

bool WriteTreasuryPictures(const std::filesystem::path& gfx)
{
    Picture pic(1024, 1024);
    PaintVault(pic);
    for (Rgba& c : pic.px)
        c.a = 1.0f;
    Write(gfx / "Treasury.jpg", pic, 3);
    Picture elements(512, 512);
    PaintElements(elements);
    WriteWithAlpha(gfx / "TreasuryElements.tga", gfx / "TreasuryElements_alpha.tga", elements);
    PaintDustAndLight(gfx);
    return Ok();
}

} // namespace bggen
