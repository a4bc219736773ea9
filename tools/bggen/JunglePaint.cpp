// The jungle's pictures: a river under the canopy, light falling through a gap in
// the leaves, misty trees behind and dark foliage framing the sides; the drifting
// mist and the mask that keeps it over the river, the glints' brightness mask
// (a 24-bit bitmap) and the rays about the gap.
#include "tools/bggen/ScenePaint.h"

#include <cstdio>

namespace bggen {

namespace {

using tools::C;

// The gap in the canopy, where the rays turn, and the reflection line of its light.
const float kGapX = 302.0f, kGapY = 81.0f;
const float kSparkleX = 420.0f;

// The water lies between the far and the near shore, slanting up to the right.
float FarShore(float x) { return 470.0f - 0.175f * (x - 288.0f) + 8.0f * Waves(x * 2.0f, 0.4f); }
float NearShore(float x) { return 600.0f - 0.12f * (x - 288.0f) + 18.0f * Waves(x * 1.3f, 2.2f); }

float Water(float x, float y)
{
    return Smooth(FarShore(x) - 2.0f, FarShore(x) + 2.0f, y) * Smooth(NearShore(x) + 3.0f, NearShore(x) - 3.0f, y);
}

// Tree crowns as rows of bumps: `level` is the height of their tops.
float Crowns(float x, float level, float seed, float scale)
{
    return level + scale * (0.6f * std::fabs(std::sin(x * 0.018f + seed)) + 0.4f * Waves(x * 3.0f, seed));
}

Rgba Sky(float x, float y)
{
    Rgba c = Mix(C(190, 226, 200), C(90, 150, 120), Clamp01(y / 420.0f));
    const float sun = std::hypot(x - kGapX, y - kGapY);
    AddLight(c, C(255, 250, 210), Clamp01(1.0f - sun / 230.0f));
    return c;
}

Rgba Trees(float x, float y, const tools::Noise& noise, Rgba c)
{
    // Three rows of crowns, the far ones pale in the haze.
    const Rgba rows[3] = {C(120, 168, 140), C(62, 112, 80), C(28, 66, 40)};
    const float level[3] = {250.0f, 330.0f, 400.0f};
    for (int i = 0; i < 3; ++i)
        if (y > Crowns(x, level[i], 1.7f * float(i) + 0.3f, -60.0f - 20.0f * float(i)))
        {
            const float leaf = noise.Fractal(x / 24.0f, y / 24.0f, 3);
            c = tools::Scale(rows[i], 0.75f + 0.5f * leaf);
        }
    return c;
}

Rgba WaterColour(float x, float y, const tools::Noise& noise)
{
    const float ripple = 0.5f + 0.5f * std::sin(y * 0.9f + 6.0f * noise.At(x / 40.0f, y / 8.0f));
    Rgba c = Mix(C(40, 86, 70), C(96, 150, 130), Clamp01((600.0f - y) / 200.0f));
    const float sparkle = std::exp(-((x - kSparkleX) / 120.0f) * ((x - kSparkleX) / 120.0f));
    AddLight(c, C(255, 246, 200), sparkle * (0.35f + 0.4f * ripple));
    return c;
}

// One broad leaf: an ellipse about its centre, turned by its angle.
struct Leaf
{
    float x, y, angle, length, width, shade;
};

// Leaves crowd the sides and the top edge, leaving the gap and the river open.
std::vector<Leaf> MakeLeaves()
{
    std::vector<Leaf> leaves;
    tools::Lcg rng(61u);
    while (leaves.size() < 260)
    {
        const float side = rng.Next();
        Leaf leaf;
        leaf.x = side < 0.4f ? rng.Next() * 230.0f : side < 0.8f ? 1024.0f - rng.Next() * 230.0f : rng.Next() * 1024.0f;
        leaf.y = side < 0.8f ? rng.Next() * 768.0f : rng.Next() * 70.0f;
        if (std::hypot(leaf.x - kGapX, leaf.y - kGapY) < 170.0f)
            continue;
        leaf.angle = rng.Next() * 2.0f * tools::kPi;
        leaf.length = 50.0f + 60.0f * rng.Next();
        leaf.width = leaf.length * (0.28f + 0.12f * rng.Next());
        leaf.shade = rng.Next();
        leaves.push_back(leaf);
    }
    return leaves;
}

// The topmost leaf over the pixel, lit along its midrib and darker to its edges.
void Foliage(float x, float y, const std::vector<Leaf>& leaves, Rgba& c)
{
    for (auto it = leaves.rbegin(); it != leaves.rend(); ++it)
    {
        const Leaf& l = *it;
        const float dx = x - l.x, dy = y - l.y;
        if (std::fabs(dx) > l.length || std::fabs(dy) > l.length)
            continue;
        const float u = (dx * std::cos(l.angle) + dy * std::sin(l.angle)) / l.length;
        const float v = (-dx * std::sin(l.angle) + dy * std::cos(l.angle)) / l.width;
        // Pointed at both ends: the width narrows with the square of the length.
        const float edge = u * u + v * v / std::max(0.05f, 1.0f - u * u);
        if (edge > 1.0f)
            continue;
        const Rgba dark = Mix(C(12, 38, 16), C(20, 60, 24), l.shade);
        const Rgba lit = Mix(C(48, 110, 44), C(86, 150, 60), l.shade);
        c = Mix(lit, dark, Smooth(0.0f, 1.0f, edge));
        if (std::fabs(v) < 0.06f && std::fabs(u) < 0.9f)
            c = Mix(c, C(140, 190, 100), 0.5f); // the midrib
        return;
    }
    for (const float vine : {380.0f, 655.0f, 790.0f})
    {
        const float length = 150.0f + 80.0f * std::sin(vine);
        if (y < length && std::fabs(x - vine - 6.0f * std::sin(y * 0.05f)) < 3.0f)
            c = C(30, 60, 24);
    }
}

Rgba JunglePixel(float x, float y, const tools::Noise& noise, const std::vector<Leaf>& leaves)
{
    Rgba c = Trees(x, y, noise, Sky(x, y));
    if (y > 380.0f)
    {
        // Banks below the trees, the water between them.
        const Rgba bank = Mix(C(70, 84, 40), C(40, 50, 24), noise.Fractal(x / 50.0f, y / 50.0f, 3));
        c = Mix(c, bank, Smooth(380.0f, 430.0f, y));
        c = Mix(c, WaterColour(x, y, noise), Water(x, y));
    }
    Foliage(x, y, leaves, c);
    // Light falling from the gap.
    const float angle = std::atan2(y - kGapY, x - kGapX);
    const float beams = std::pow(std::fabs(std::sin(angle * 9.0f)), 8.0f) * Clamp01(1.0f - (y - kGapY) / 700.0f);
    AddLight(c, C(255, 244, 200), 0.18f * beams);
    return c;
}

bool PaintFog(const std::filesystem::path& gfx)
{
    const int size = 256;
    const tools::Noise noise(5u, 8); // the lattice wraps with the texture
    Canvas fog(size, size, {0, 0, 0, 1});
    fog.Paint(0, size, [&](float x, float y, Rgba& c) {
        const float k = Smooth(0.35f, 0.8f, noise.Fractal(x / size * 8.0f, y / size * 8.0f, 4));
        c = Rgba{0.55f * k, 0.6f * k, 0.58f * k, 1.0f};
    });
    return WriteRgb(gfx / "JungleFog.jpg", fog);
}

bool PaintFogMask(const std::filesystem::path& gfx)
{
    // Over the fog rectangle (192, 242) 740 by 332: the mist hangs over the water and
    // the far trees, thinning to the rectangle's edges.
    Canvas mask(256, 128, {0, 0, 0, 0});
    mask.Paint(0, 128, [](float u, float v, Rgba& c) {
        const float x = 192.0f + u / 256.0f * 740.0f, y = 242.0f + v / 128.0f * 332.0f;
        const float band = std::exp(-((y - FarShore(x) + 20.0f) / 70.0f) * ((y - FarShore(x) + 20.0f) / 70.0f));
        const float edges = Smooth(0.0f, 0.2f, u / 256.0f) * Smooth(1.0f, 0.8f, u / 256.0f) *
                            Smooth(0.0f, 0.15f, v / 128.0f) * Smooth(1.0f, 0.85f, v / 128.0f);
        const float k = band * edges;
        c = Rgba{k, k, k, k};
    });
    return WriteRgb(gfx / "JungleMask.tga", mask, 4);
}

bool PaintFlashMask(const std::filesystem::path& gfx)
{
    // Over the glints' area (288, 412) 412 by 164: bright where the water catches the
    // light, dim on the rest of the water, black on land.
    const int w = 256, h = 102;
    Canvas mask(w, h, {0, 0, 0, 1});
    mask.Paint(0, h, [](float u, float v, Rgba& c) {
        const float x = 288.0f + u / float(w) * 412.0f, y = 412.0f + v / float(h) * 164.0f;
        const float sparkle = std::exp(-((x - kSparkleX) / 110.0f) * ((x - kSparkleX) / 110.0f));
        const float k = Water(x, y) * (0.3f + 0.7f * sparkle);
        c = Rgba{k, k, k, 1.0f};
    });
    return WriteRgb(gfx / "JungleFlashMask.bmp", mask, 3);
}

} // namespace

bool PaintJungle(const std::filesystem::path& gfx)
{
    Canvas picture(1024, 1024, C(14, 30, 16));
    const tools::Noise noise(23u, 32);
    const std::vector<Leaf> leaves = MakeLeaves();
    picture.Paint(0, 768, [&](float x, float y, Rgba& c) { c = JunglePixel(x, y, noise, leaves); });
    PaintOrnaments(picture, OrnamentSheet{802, 56, 56,
                                          {C(230, 40, 40), C(250, 170, 30), C(60, 200, 70), C(50, 120, 240),
                                           C(190, 70, 230), C(40, 210, 220)},
                                          526, 880, 192, 44,
                                          {{440, 150}, {520, 135}, {600, 125}, {680, 125}, {760, 135}, {840, 150}}});
    WriteFlareRays(gfx, "JungleFlareRays", 18, 9u, C(230, 255, 200));
    return WriteRgb(gfx / "Jungle.jpg", picture) && PaintFog(gfx) && PaintFogMask(gfx) && PaintFlashMask(gfx);
}

} // namespace bggen
