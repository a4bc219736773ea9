// The museum's pictures: a warm hall with a tall arched window, columns, paintings
// on the walls, a vase on its pedestal and a tiled floor; the dust specks, the mask
// of the light shaft the dust is seen in, the rays about the window.
#include "tools/bggen/ScenePaint.h"

namespace bggen {

namespace {

using tools::C;

// The window's centre, where the rays turn.
const float kWindowX = 291.0f, kWindowY = 213.0f;
const float kHorizon = 520.0f;

bool InWindow(float x, float y)
{
    const float dx = x - kWindowX;
    if (std::fabs(dx) > 62.0f || y > 350.0f)
        return false;
    // An arch over the upright sides.
    return y > 140.0f || std::hypot(dx, y - 140.0f) < 62.0f;
}

// How much of the window's light falls here: a shaft down to the floor at the right.
float Shaft(float x, float y)
{
    const float ax = kWindowX, ay = kWindowY, bx = 700.0f, by = 760.0f;
    const float lx = bx - ax, ly = by - ay, len = std::hypot(lx, ly);
    const float t = ((x - ax) * lx + (y - ay) * ly) / (len * len);
    if (t < 0.0f)
        return 0.0f;
    const float across = std::fabs((x - ax) * ly - (y - ay) * lx) / len;
    const float half = 60.0f + 150.0f * t;
    return Smooth(half, half * 0.55f, across) * Smooth(0.0f, 0.15f, t) * Smooth(1.3f, 0.8f, t);
}

Rgba Wall(float x, float y, const tools::Noise& noise)
{
    const float stone = noise.Fractal(x / 64.0f, y / 64.0f, 4);
    Rgba c = Mix(C(92, 62, 40), C(168, 124, 80), Clamp01(y / kHorizon) * 0.6f + stone * 0.4f);
    // Courses of stone blocks.
    const float row = std::fmod(y, 48.0f);
    const float col = std::fmod(x + (int(y / 48.0f) % 2) * 40.0f, 80.0f);
    if (row < 2.0f || col < 2.0f)
        c = tools::Scale(c, 0.78f);
    return c;
}

Rgba Floor(float x, float y)
{
    // Tiles in perspective towards the vanishing point above the middle.
    const float depth = (y - kHorizon + 40.0f);
    const float u = (x - 512.0f) / depth * 3.0f, v = 600.0f / depth;
    const bool dark = (int(std::floor(u)) + int(std::floor(v))) % 2 != 0;
    Rgba c = dark ? C(70, 44, 30) : C(190, 160, 120);
    return tools::Scale(c, 0.55f + 0.45f * Clamp01((y - kHorizon) / 250.0f));
}

void PaintColumn(float x, float y, float centre, Rgba& c)
{
    const float d = (x - centre) / 46.0f;
    if (std::fabs(d) > 1.0f || y > kHorizon + 30.0f)
        return;
    const float round = std::sqrt(1.0f - d * d);
    c = tools::Scale(C(196, 168, 128), 0.35f + 0.65f * round * (0.6f + 0.4f * std::sin(d * 1.3f + 0.6f)));
    // Flutes.
    if (std::fmod(std::fabs(x - centre), 11.0f) < 1.5f)
        c = tools::Scale(c, 0.8f);
    if (y < 40.0f || y > kHorizon)
        c = tools::Scale(C(150, 120, 86), 0.9f); // capital and base
}

void PaintFrame(float x, float y, float left, float top, float w, float h, Rgba& c)
{
    if (x < left || x > left + w || y < top || y > top + h)
        return;
    const float edge = std::min(std::min(x - left, left + w - x), std::min(y - top, top + h - y));
    if (edge < 9.0f)
        c = Mix(C(120, 84, 24), C(236, 196, 96), 0.5f + 0.5f * std::sin(edge * 0.7f));
    else
    {
        // A dim landscape in the frame: sky over hills.
        const float v = (y - top) / h;
        c = v < 0.55f + 0.08f * std::sin((x - left) * 0.05f) ? Mix(C(60, 80, 110), C(160, 130, 90), v)
                                                              : Mix(C(50, 70, 40), C(30, 36, 20), v);
    }
}

void PaintVase(float x, float y, Rgba& c)
{
    // A pedestal and an amphora on it, right of the middle.
    const float px = x - 820.0f;
    if (std::fabs(px) < 52.0f && y > 560.0f && y < 700.0f)
        c = tools::Scale(C(200, 190, 170), 0.55f + 0.4f * (1.0f - std::fabs(px) / 52.0f));
    const float vy = (y - 430.0f) / 130.0f;
    if (vy > 0.0f && vy < 1.0f)
    {
        const float half = 12.0f + 38.0f * std::sin(vy * tools::kPi * 0.9f + 0.2f);
        if (std::fabs(px) < half)
        {
            c = tools::Scale(C(170, 80, 40), 0.5f + 0.5f * (1.0f - std::fabs(px) / half));
            if (std::fabs(vy - 0.5f) < 0.06f)
                c = C(40, 24, 16); // the painted band
        }
    }
}

Rgba MuseumPixel(float x, float y, const tools::Noise& noise)
{
    Rgba c = y < kHorizon ? Wall(x, y, noise) : Floor(x, y);
    if (InWindow(x, y))
    {
        c = Mix(C(250, 246, 220), C(160, 200, 240), Clamp01((y - 80.0f) / 270.0f));
        if (std::fabs(x - kWindowX) < 3.0f || std::fabs(y - 250.0f) < 3.0f)
            c = C(60, 40, 30); // mullions
    }
    for (const float centre : {90.0f, 440.0f, 960.0f})
        PaintColumn(x, y, centre, c);
    PaintFrame(x, y, 560.0f, 170.0f, 170.0f, 130.0f, c);
    PaintFrame(x, y, 640.0f, 330.0f, 110.0f, 80.0f, c);
    PaintVase(x, y, c);
    AddLight(c, C(255, 226, 170), 0.55f * Shaft(x, y));
    // Dark corners.
    const float vignette = std::hypot((x - 512.0f) / 640.0f, (y - 384.0f) / 480.0f);
    return tools::Scale(c, 1.0f - 0.45f * Smooth(0.6f, 1.2f, vignette));
}

bool PaintDust(const std::filesystem::path& gfx)
{
    // Specks that wrap at the edges, so the layer repeats without a seam.
    const int size = 256;
    Canvas dust(size, size, {1.0f, 0.95f, 0.85f, 0.0f});
    tools::Lcg rng(31u);
    for (int i = 0; i < 140; ++i)
    {
        const float cx = rng.Next() * size, cy = rng.Next() * size;
        const float radius = 0.8f + 2.2f * rng.Next() * rng.Next();
        const float bright = 0.4f + 0.6f * rng.Next();
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx)
            {
                const int px = (int(cx) + dx + size) % size, py = (int(cy) + dy + size) % size;
                const float d = std::hypot(float(int(cx) + dx) + 0.5f - cx, float(int(cy) + dy) + 0.5f - cy);
                Rgba& c = dust.At(px, py);
                c.a = std::max(c.a, bright * Smooth(radius, radius * 0.3f, d));
            }
    }
    return WriteWithAlpha(gfx, "MuseumDust", ".tga", dust);
}

bool PaintDustMask(const std::filesystem::path& gfx)
{
    // The screen lies over the top three quarters: one texel for four pixels.
    const int size = 256;
    Canvas mask(size, size, {0, 0, 0, 0});
    mask.Paint(0, size, [](float x, float y, Rgba& c) {
        const float k = Clamp01(0.12f + 0.88f * Shaft(x * 4.0f, y * 4.0f));
        c = Rgba{k, k, k, k};
    });
    return WriteRgb(gfx / "MuseumDustMask.tga", mask, 4);
}

} // namespace

bool PaintMuseum(const std::filesystem::path& gfx)
{
    Canvas picture(1024, 1024, C(30, 20, 14));
    const tools::Noise noise(11u, 32);
    picture.Paint(0, 768, [&](float x, float y, Rgba& c) { c = MuseumPixel(x, y, noise); });
    PaintOrnaments(picture, OrnamentSheet{802, 56, 56,
                                          {C(230, 40, 40), C(250, 170, 30), C(60, 200, 70), C(50, 120, 240),
                                           C(190, 70, 230)},
                                          526, 880, 192, 44,
                                          {{560, 80}, {630, 72}, {700, 68}, {770, 72}, {840, 80}}});
    PaintMap(picture, 740, 780, 280, 240);
    WriteFlareRays(gfx, "MuseumFlareRays", 22, 5u, C(255, 236, 190));
    return WriteRgb(gfx / "Museum.jpg", picture) && PaintDust(gfx) && PaintDustMask(gfx);
}

} // namespace bggen
