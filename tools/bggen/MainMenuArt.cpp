// The main menu's moving parts: the elements atlas (foliage curtain, sun glow, vine,
// hanging map, stone face with its eye and lips frames, lantern, three leaves), the
// front foliage, the sky and leaf masks, and the sky strip below the painting.
// The rectangles here are the ones data/Data/Config/Background.cfg names.
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/bggen/BgArt.h"
#include "tools/common/ImageWrite.h"
#include "tools/common/PixelMaths.h"

namespace bggen {

using namespace tools;

namespace {

// A pointed leaf of length `len` along angle `a` from (x0, y0): 0..1 coverage and the
// shade across it (the midrib dark).
float LeafCover(float x, float y, float x0, float y0, float a, float len, float width, float* shade)
{
    const float dx = x - x0, dy = y - y0;
    const float along = dx * std::cos(a) + dy * std::sin(a);
    const float across = -dx * std::sin(a) + dy * std::cos(a);
    if (along < 0.0f || along > len)
        return 0.0f;
    const float t = along / len;
    const float half = width * std::sin(t * kPi) * (1.0f - 0.3f * t);
    const float edge = half - std::fabs(across);
    if (edge <= 0.0f)
        return 0.0f;
    if (shade)
        *shade = 0.55f + 0.45f * Clamp01(std::fabs(across) / std::max(1.0f, half) * 2.0f) * (1.0f - 0.4f * t);
    return Clamp01(edge);
}

// A curtain of leaves hanging down the left edge, thinning to the right.
void FoliageCurtain(Picture& p)
{
    Lcg rng(311);
    for (int i = 0; i < 420; ++i)
    {
        const float y = rng.Next() * 780.0f - 10.0f;
        const float reach = 60.0f + 120.0f * (0.5f + 0.5f * std::sin(y * 0.013f + 0.7f)) * rng.Next();
        const float x = std::pow(rng.Next(), 1.6f) * reach;
        const float a = 1.2f + 0.9f * (rng.Next() - 0.5f) - 0.6f * x / 200.0f;
        const float g = 0.5f + 0.5f * rng.Next();
        PaintLeaf(p, x, y, a, 26.0f + 20.0f * rng.Next(), 8.0f + 5.0f * rng.Next(),
                  C(int(28 + 40 * g), int(70 + 70 * g), int(30 + 30 * g)));
    }
}

void SunGlow(Picture& p, int left, int top, int size)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float d = std::hypot(x - size / 2.0f, y - size / 2.0f) / (size / 2.0f);
            const float v = std::pow(Clamp01(1.0f - d), 2.2f);
            p.Set(left + x, top + y, Rgba{v * 0.9f, v * 0.62f, v * 0.30f, 1.0f});
        }
}

void Vine(Picture& p, int left, int top, int w, int h)
{
    for (int y = 0; y < h; ++y)
    {
        const float cx = left + w / 2.0f + 3.0f * std::sin(y * 0.05f);
        for (int x = left; x < left + w; ++x)
        {
            const float d = std::fabs(x + 0.5f - cx);
            if (d < 2.2f)
                p.Over(x, top + y, C(70, 52, 30), Clamp01(2.2f - d));
        }
    }
    Lcg rng(57);
    for (int y = 10; y < h - 10; y += 22)
    {
        const float cx = left + w / 2.0f + 3.0f * std::sin(y * 0.05f);
        const float side = (y / 22) % 2 ? 1.0f : -1.0f;
        PaintLeaf(p, cx, float(top + y), 1.57f - side * 0.9f, 13.0f + 4.0f * rng.Next(), 5.0f, C(52, 120, 54));
    }
}

void HangingMap(Picture& p, int left, int top, int w, int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const float fx = (x + 0.5f) / w, fy = (y + 0.5f) / h;
            const float ragged = 0.03f * std::sin(fy * 40.0f) + 0.02f * std::sin(fy * 97.0f);
            if (fx < 0.04f + ragged || fx > 0.96f - ragged || fy > 0.97f - 0.02f * std::sin(fx * 50.0f))
                continue;
            Rgba c = Mix(C(222, 196, 140), C(170, 128, 78), Clamp01(std::hypot(fx - 0.5f, fy - 0.5f) * 1.4f));
            // Coast lines, a dotted path and a red cross.
            const float coast = std::fabs(std::sin(fx * 9.0f + fy * 4.0f) * 0.18f + 0.5f - fy);
            if (coast < 0.012f)
                c = Mix(c, C(90, 60, 34), 0.8f);
            const float path = std::fabs(fy - (0.25f + 0.5f * fx + 0.06f * std::sin(fx * 12.0f)));
            if (path < 0.01f && std::fmod(fx * 30.0f, 1.0f) < 0.5f)
                c = Mix(c, C(120, 40, 30), 0.9f);
            if (std::fabs(fx - 0.78f) < 0.05f && std::fabs(fy - 0.72f) < 0.05f &&
                std::fabs(std::fabs(fx - 0.78f) - std::fabs(fy - 0.72f)) < 0.012f)
                c = C(190, 30, 24);
            p.Set(left + x, top + y, c);
        }
    // The rod it hangs from.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < w; ++x)
            p.Set(left + x, top + y, Mix(C(110, 70, 40), C(60, 36, 20), y / 6.0f));
}

Rgba Stone(float fx, float fy)
{
    const float grain = 0.08f * std::sin(fx * 53.0f + fy * 31.0f) + 0.06f * std::sin(fx * 17.0f - fy * 71.0f);
    return Scale(C(132, 128, 112), 0.8f + grain);
}

void StoneFace(Picture& p, int left, int top, int size)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float fx = (x + 0.5f) / size, fy = (y + 0.5f) / size;
            const float d = std::hypot((fx - 0.5f) * 1.1f, fy - 0.5f);
            if (d > 0.5f)
                continue;
            Rgba c = Scale(Stone(fx, fy), 1.0f - 0.5f * Smooth(0.35f, 0.5f, d));
            // Brow ridge, nose and a moss patch.
            if (std::fabs(fy - 0.3f) < 0.03f && std::fabs(fx - 0.5f) < 0.3f)
                c = Scale(c, 1.25f);
            if (std::fabs(fx - 0.5f) < 0.05f && fy > 0.38f && fy < 0.62f)
                c = Scale(c, 0.75f + 0.5f * (fx - 0.45f) * 10.0f);
            if (std::hypot(fx - 0.25f, fy - 0.18f) < 0.12f)
                c = Mix(c, C(60, 100, 44), 0.6f);
            p.Over(left + x, top + y, c, Clamp01((0.5f - d) * size * 0.5f));
        }
}

// The eye socket with the eye open (glowing) or shut, and the mouth at three openings.
void FaceFrames(Picture& p)
{
    for (int k = 0; k < 2; ++k)
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
            {
                const float fx = (x + 0.5f) / 60.0f, fy = (y + 0.5f) / 30.0f;
                Rgba c = Stone(fx + 0.3f, fy + 0.3f);
                for (float ex : {0.27f, 0.73f})
                {
                    const float d = std::hypot((fx - ex) * 2.2f, fy - 0.5f);
                    if (d < 0.36f)
                        c = k == 0 ? Mix(C(255, 220, 120), C(120, 60, 20), d / 0.36f) : Scale(c, 0.55f);
                    if (k == 1 && std::fabs(fy - 0.5f) < 0.05f && std::fabs(fx - ex) < 0.16f)
                        c = C(40, 36, 30);
                }
                p.Set(376 + k * 64 + x, 392 + y, c);
            }
    const int spots[3][2] = {{376, 430}, {440, 430}, {376, 460}};
    for (int k = 0; k < 3; ++k)
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 60; ++x)
            {
                const float fx = (x + 0.5f) / 60.0f, fy = (y + 0.5f) / 24.0f;
                Rgba c = Stone(fx + 0.7f, fy + 0.1f);
                const float open = 0.04f + 0.16f * k;
                const float mouth = std::fabs(fy - 0.5f) - open * std::sin(Clamp01(fx * 1.25f - 0.125f) * kPi);
                if (std::fabs(fx - 0.5f) < 0.38f && mouth < 0.0f)
                    c = Mix(C(30, 14, 10), C(150, 50, 30), Clamp01(-mouth * 6.0f));
                else if (std::fabs(fx - 0.5f) < 0.4f && mouth < 0.04f)
                    c = Scale(c, 0.7f);
                p.Set(spots[k][0] + x, spots[k][1] + y, c);
            }
}

void Lantern(Picture& p, int left, int top, int size)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float fx = (x + 0.5f) / size - 0.5f, fy = (y + 0.5f) / size - 0.5f;
            const float glow = std::pow(Clamp01(1.0f - std::hypot(fx, fy) * 2.0f), 2.0f);
            Rgba c{1.0f, 0.78f, 0.4f, glow * 0.8f};
            if (std::fabs(fx) < 0.12f && std::fabs(fy) < 0.18f)
                c = Mix(C(255, 236, 170), C(200, 120, 40), std::fabs(fx) / 0.12f);
            if (std::fabs(fx) < 0.16f && std::fabs(std::fabs(fy) - 0.2f) < 0.03f)
                c = C(60, 40, 26);
            if (std::fabs(fx) < 0.01f && fy < -0.2f)
                c = C(50, 36, 24);
            p.Set(left + x, top + y, c);
        }
}

void LeafPictures(Picture& p)
{
    const Rgba colours[3] = {C(196, 120, 40), C(150, 170, 50), C(170, 64, 30)};
    for (int k = 0; k < 3; ++k)
        PaintLeaf(p, 352.0f + 48.0f * k + 4.0f, 548.0f, -0.78f, 44.0f, 11.0f, colours[k]);
}

void FrontFoliage(const std::filesystem::path& gfx)
{
    Picture p(512, 256);
    Lcg rng(902);
    for (int i = 0; i < 160; ++i)
    {
        // Fronds fanning up and to the left from the lower right corner.
        const float a = -1.6f - 1.5f * rng.Next();
        const float len = 90.0f + 110.0f * rng.Next();
        const float x0 = 330.0f + 70.0f * rng.Next(), y0 = 250.0f - 20.0f * rng.Next();
        const float g = 0.3f + 0.7f * rng.Next();
        PaintLeaf(p, x0, y0, a, len, 10.0f + 8.0f * rng.Next(), C(int(16 + 30 * g), int(50 + 70 * g), int(22 + 26 * g)));
    }
    WriteWithAlpha(gfx / "MainFoliage.jpg", gfx / "MainFoliage_alpha.jpg", p);
}

// The masks keep their picture in the alpha channel (32-bit TGA).
void Masks(const std::filesystem::path& gfx)
{
    Picture sky(256, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x)
        {
            const float fx = (x + 0.5f - 2.0f) / 254.0f, fy = (y + 0.5f) / 104.0f;
            const float a = 0.9f * (1.0f - Smooth(0.55f, 1.0f, fy)) * Smooth(0.0f, 0.08f, fx) * Smooth(1.0f, 0.92f, fx);
            sky.Set(x, y, Rgba{1, 1, 1, a});
        }
    Picture leaf(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            leaf.Set(x, y, Rgba{1, 1, 1, 1.0f - Smooth(0.88f, 1.0f, (y + 0.5f) / 256.0f)});
    Write(gfx / "MainSkyMask.tga", sky, 4);
    Write(gfx / "MainLeafMask.tga", leaf, 4);
}

} // namespace

// Draws a leaf over the picture (straight alpha, "over").
void PaintLeaf(Picture& p, float x0, float y0, float a, float len, float width, Rgba colour)
{
    const int r = int(len + width) + 2;
    for (int y = std::max(0, int(y0) - r); y < std::min(p.height, int(y0) + r); ++y)
        for (int x = std::max(0, int(x0) - r); x < std::min(p.width, int(x0) + r); ++x)
        {
            float shade = 1.0f;
            const float c = LeafCover(x + 0.5f, y + 0.5f, x0, y0, a, len, width, &shade);
            if (c > 0.0f)
                p.Over(x, y, Scale(colour, shade), c);
        }
}

// Clouds on the painting's sky colours, repeating every 1024 pixels across so the
// strip scrolls without a seam; rows 780 to 987 of the painting's texture, seen
// stretched over the top 420 rows of the screen.
void PaintSkyStrip(std::vector<Rgba>& px, int width, Rgba (*skyAt)(float y))
{
    for (int y = 780; y < 988; ++y)
        for (int x = 0; x < width; ++x)
        {
            const float sy = (y - 780 + 0.5f) / 208.0f * 420.0f;
            const float a = 2.0f * kPi * (x + 0.5f) / float(width);
            const float cloud = 0.5f * std::sin(a * 3.0f + sy * 0.02f) + 0.3f * std::sin(a * 7.0f + 1.3f) +
                                0.2f * std::sin(a * 13.0f - sy * 0.05f + 0.4f);
            const float band = std::exp(-std::pow((sy - 150.0f) / 90.0f, 2.0f));
            const float k = Clamp01((cloud - 0.1f) * 1.8f) * band;
            px[size_t(y) * width + x] = Mix(skyAt(sy), C(255, 214, 196), k * 0.75f);
        }
}

bool WriteMainMenuParts(const std::filesystem::path& gfx)
{
    Picture atlas(512, 1024);
    FoliageCurtain(atlas);
    SunGlow(atlas, 208, 0, 256);
    Vine(atlas, 472, 580, 32, 400);
    HangingMap(atlas, 208, 264, 160, 240);
    StoneFace(atlas, 376, 264, 120);
    FaceFrames(atlas);
    Lantern(atlas, 208, 512, 128);
    LeafPictures(atlas);
    WriteWithAlpha(gfx / "MainElements.jpg", gfx / "MainElements_alpha.jpg", atlas);
    FrontFoliage(gfx);
    Masks(gfx);
    return Ok();
}

} // namespace bggen
