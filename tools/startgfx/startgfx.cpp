// Draws the start-up pictures of the game from code: glows, rings, stars, puffs of
// noise, the splash and loading screens and the cursor. Fixed seeds: every run writes
// the same files.
//
// Usage: startgfx <game folder>   (writes Data/Gfx/..., fsdata/splash2.jpg)

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/common/ImageWrite.h"
#include "tools/common/PixelMaths.h"

namespace {

using namespace tools;

struct Image
{
    int w, h;
    std::vector<Rgba> px;
    Image(int w, int h, Rgba fill = {0, 0, 0, 0}) : w(w), h(h), px(size_t(w) * h, fill) {}
    Rgba& at(int x, int y) { return px[size_t(y) * w + x]; }
};

// Paints every pixel from its position in -1..1 (y down).
void Paint(Image& img, const std::function<Rgba(float, float)>& f)
{
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            img.at(x, y) = f((x + 0.5f) / img.w * 2 - 1, (y + 0.5f) / img.h * 2 - 1);
}

bool g_ok = true;

void Write(const std::filesystem::path& path, const Image& img, int channels)
{
    if (!WriteImage(path, img.w, img.h, channels, ToBytes(img.px, channels), 92))
    {
        std::fprintf(stderr, "startgfx: cannot write %s\n", path.string().c_str());
        g_ok = false;
    }
}

// The colour picture and its grey "_alpha" companion.
void WriteWithAlpha(const std::filesystem::path& folder, const std::string& stem, const Image& img)
{
    Image alpha(img.w, img.h);
    for (size_t i = 0; i < img.px.size(); ++i)
        alpha.px[i] = {img.px[i].a, img.px[i].a, img.px[i].a, 1};
    Write(folder / (stem + ".jpg"), img, 3);
    Write(folder / (stem + "_alpha.jpg"), alpha, 3);
}

Rgba Glow(float x, float y, Rgba colour, float sharpness)
{
    float d = std::sqrt(x * x + y * y);
    float v = std::pow(Clamp01(1 - d), sharpness);
    return {colour.r * v, colour.g * v, colour.b * v, v};
}

// A star of `points` spikes around a soft core.
float StarShape(float x, float y, int points, float spike, float core)
{
    float d = std::sqrt(x * x + y * y);
    float a = std::atan2(y, x);
    float ray = std::pow(std::fabs(std::cos(a * points * 0.5f)), spike);
    float v = std::max(Clamp01(1 - d / core), ray * Clamp01(1 - d));
    return Clamp01(v);
}

float Ring(float x, float y, float radius, float width)
{
    float d = std::sqrt(x * x + y * y);
    return std::exp(-std::pow((d - radius) / width, 2.0f));
}

// The screen's night sky with its glowing orb, shared by the splash and loading pictures.
Rgba Sky(float x, float y, const Noise& noise, Lcg* stars)
{
    float t = (y + 1) * 0.5f;
    Rgba c{0.04f + 0.10f * t, 0.03f + 0.05f * t, 0.12f + 0.16f * (1 - t), 1};
    float mist = noise.Fractal(x * 3 + 7, y * 3, 5);
    c.r += 0.10f * mist * t;
    c.g += 0.04f * mist;
    c.b += 0.12f * mist;
    if (stars && stars->Next() > 0.9985f)
    {
        float s = 0.5f + 0.5f * stars->Next();
        c = {c.r + s, c.g + s, c.b + s, 1};
    }
    return c;
}

Rgba AddOrb(Rgba c, float x, float y, float cx, float cy, float radius)
{
    float dx = (x - cx) / radius, dy = (y - cy) / radius;
    float d = std::sqrt(dx * dx + dy * dy);
    float body = Smooth(1.0f, 0.96f, d);
    float shade = Clamp01(1.1f - std::sqrt((dx + 0.35f) * (dx + 0.35f) + (dy + 0.35f) * (dy + 0.35f)) * 0.8f);
    Rgba orb{1.0f * shade + 0.2f, 0.85f * shade + 0.1f, 0.45f * shade + 0.15f, 1};
    float halo = std::exp(-std::max(0.0f, d - 1.0f) * 2.2f) * (d > 0.96f ? 1.0f : 0.0f);
    float rays = std::pow(std::fabs(std::cos(std::atan2(dy, dx) * 6)), 24.0f) * std::exp(-std::max(0.0f, d - 1) * 0.9f);
    c.r = c.r * (1 - body) + orb.r * body + 0.9f * halo + 0.35f * rays * (d > 1);
    c.g = c.g * (1 - body) + orb.g * body + 0.7f * halo + 0.28f * rays * (d > 1);
    c.b = c.b * (1 - body) + orb.b * body + 0.35f * halo + 0.15f * rays * (d > 1);
    return c;
}

void MakeLoading(const std::filesystem::path& gfx)
{
    // 1024 x 1024: the top 768 rows fill the screen; rows 802 to 850 hold the picture
    // of the progress bar, which grows from column 2.
    Image img(1024, 1024, {0, 0, 0, 1});
    Noise noise(11, 64);
    Lcg stars(5);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
        {
            float fx = (x + 0.5f) / 512 - 1, fy = (y + 0.5f) / 384 - 1;
            Rgba c = Sky(fx * 1.333f, fy, noise, &stars);
            c = AddOrb(c, fx * 1.333f, fy, 0.0f, -0.22f, 0.34f);
            // The groove the progress bar fills: screen rows 641 to 690, columns 379 to 644.
            bool groove = x >= 376 && x <= 647 && y >= 638 && y <= 693;
            bool inner = x >= 379 && x <= 644 && y >= 641 && y <= 690;
            if (groove)
                c = inner ? Rgba{0.05f, 0.04f, 0.08f, 1} : Rgba{0.75f, 0.6f, 0.3f, 1};
            img.at(x, y) = c;
        }
    for (int y = 802; y < 851; ++y)
        for (int x = 0; x < 300; ++x)
        {
            float v = (y - 802) / 48.0f;
            float shine = 1 - std::fabs(v - 0.35f) * 1.6f;
            img.at(x, y) = {0.95f * shine + 0.1f, 0.7f * shine + 0.05f, 0.2f * shine + 0.05f, 1};
        }
    Write(gfx / "Loading.jpg", img, 3);
}

void MakeSplash(const std::filesystem::path& fsdata)
{
    Image img(1024, 768, {0, 0, 0, 1});
    Noise noise(23, 64);
    Paint(img, [&](float x, float y) {
        Rgba c = Sky(x * 1.333f, y, noise, nullptr);
        c.r *= 0.5f;
        c.g *= 0.5f;
        c.b *= 0.6f;
        // A kestrel's spread wings: two arcs of light from the orb, fading to their tips.
        const float wx = x * 1.333f;
        c = AddOrb(c, wx, y, 0.0f, 0.0f, 0.16f);
        const float taper = Clamp01(1.0f - std::fabs(wx) / 0.9f);
        float wing = (Ring(wx + 0.42f, y, 0.42f, 0.018f) * (y < -0.02f) * (wx < 0) +
                      Ring(wx - 0.42f, y, 0.42f, 0.018f) * (y < -0.02f) * (wx > 0)) *
                     (0.25f + 0.75f * taper) * (std::sqrt(wx * wx + y * y) > 0.165f);
        c.r += 0.9f * wing;
        c.g += 0.75f * wing;
        c.b += 0.45f * wing;
        return c;
    });
    Write(fsdata / "splash2.jpg", img, 3);
}

// A padlock in the cell (u 0.71875..0.828125, v 0..0.21875), 14 x 28 pixels drawn on
// a square: s, t run 0..1 across the cell, t down. Negative inside.
float LockShape(float s, float t)
{
    const float bx = std::fabs(s - 0.5f) - 0.28f, by = std::fabs(t - 0.69f) - 0.2f;
    const float body = std::min(std::max(bx, by), 0.0f) + std::hypot(std::max(bx, 0.0f), std::max(by, 0.0f)) - 0.04f;
    const float shackle = std::fabs(std::hypot(s - 0.5f, t - 0.46f) - 0.2f) - 0.055f;
    const float keyhole = std::min(std::hypot(s - 0.5f, t - 0.64f) - 0.06f,
                                   std::max(std::fabs(s - 0.5f) - 0.025f, std::fabs(t - 0.72f) - 0.08f));
    return std::max(std::min(body, shackle), -keyhole);
}

// The star every spell, tail and sparkle draws whole, additively, and the lock that a
// locked token throws off in pieces, alpha blended. The lock is dark iron and
// everything round it opaque black, so it adds nothing where the star is drawn
// whole; only its alpha shows it, in the lock burst.
void MakeStarParticle(const std::filesystem::path& gfx)
{
    Image img(128, 128);
    Paint(img, [](float x, float y) {
        float v = StarShape(x, y, 4, 40.0f, 0.25f);
        return Rgba{v, v * 0.95f, v * 0.8f, 1.0f};
    });
    for (int y = 0; y < 28; ++y)
        for (int x = 92; x < 106; ++x)
        {
            const float s = (x - 92 + 0.5f) / 14.0f, t = (y + 0.5f) / 28.0f;
            const float d = LockShape(s, t);
            const float shine = Clamp01(0.5f - s) * 0.03f;
            img.at(x, y) = {0.035f + shine, 0.035f + shine, 0.045f + shine, Clamp01(0.5f - d / 0.05f)};
        }
    Write(gfx / "StarParticle.bmp", img, 4);
}

void MakeCursor(const std::filesystem::path& gfx)
{
    // An arrow with its tip at (0, 0), gold with a dark rim.
    Image img(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            float fx = x + 0.5f, fy = y + 0.5f;
            bool inside = fx <= fy * 0.62f + 0.5f && fy <= 22 && fx >= 0 && fx + fy * 0.0f < 16;
            bool tail = fx >= 5 && fx <= 9 && fy >= 14 && fy <= 27 && (fx - 5) > (fy - 14) * 0.3f - 0.5f;
            bool rimA = fx <= fy * 0.62f + 2.0f && fy <= 23.5f;
            bool rimB = fx >= 4 && fx <= 10.5f && fy >= 13 && fy <= 28.5f;
            if (inside || tail)
            {
                float shade = 1 - fy / 40;
                img.at(x, y) = {1.0f * shade, 0.82f * shade, 0.35f * shade, 1};
            }
            else if (rimA || rimB)
                img.at(x, y) = {0.12f, 0.06f, 0.02f, 1};
        }
    Write(gfx / "Cursor.tga", img, 4);
}

void PaintAtlas(Image& img, const std::function<Rgba(float, float, int)>& f);

void MakeEffects(const std::filesystem::path& gfx)
{
    Noise noise(7, 64);
    Image img(64, 64);

    MakeStarParticle(gfx);

    Image bolt(32, 128);
    Paint(bolt, [](float x, float y) {
        float v = std::exp(-x * x * 30) * Clamp01(1.2f - std::fabs(y));
        return Rgba{0.6f * v + 0.4f * v * v, 0.7f * v + 0.3f * v * v, v, v};
    });
    Write(gfx / "Lightning.jpg", bolt, 3);

    Paint(img, [](float x, float y) { return Glow(x, y, {1.0f, 0.75f, 0.35f, 1}, 2.5f); });
    Write(gfx / "Spark.bmp", img, 3);


    Paint(img, [](float x, float y) {
        float v = Ring(x, y, 0.6f, 0.18f) + 0.3f * Glow(x, y, {1, 1, 1, 1}, 3).a;
        return Rgba{v, v * 0.9f, v * 0.7f, Clamp01(v)};
    });
    Write(gfx / "Halo1.tga", img, 4);

    Paint(img, [](float x, float y) {
        float v = Ring(x, y, 0.75f, 0.08f);
        return Rgba{v * 0.8f, v * 0.9f, v, v};
    });
    Write(gfx / "Ring.jpg", img, 3);

    // A white, fuzzy glow with a bright core: the effects that use it tint it with
    // their own colours (the red totem's orange balls, blue sparks, red flashes).
    Paint(img, [&](float x, float y) {
        const float n = noise.Fractal(x * 4, y * 4, 3);
        const float d = std::sqrt(x * x + y * y);
        const float v = Clamp01(std::pow(Clamp01(1 - d), 1.5f) * (0.45f + 0.9f * n) + std::pow(Clamp01(1 - d), 4.0f));
        return Rgba{v, v, v, v};
    });
    Write(gfx / "SpellFuzzy.bmp", img, 3);

    // Sixteen puffs of fire in a 4 x 4 atlas (explosions and smokes draw one cell per
    // particle), each fading out well inside its cell: hot and pale in the middle,
    // orange at the ragged rim.
    Image fire(256, 256);
    PaintAtlas(fire, [&](float x, float y, int cell) {
        const float n = noise.Fractal(x * 1.6f + float(cell) * 2.3f + 11, y * 1.6f + float(cell) * 1.9f, 4);
        const float d = std::sqrt(x * x + y * y);
        const float a = Smooth(0.95f, 0.25f, d) * (0.3f + 0.7f * Smooth(0.2f, 0.6f, n));
        const float heat = Clamp01(1.2f - d * 1.1f) * (0.6f + 0.4f * n);
        return Rgba{1.0f, 0.5f + 0.5f * heat, 0.15f + 0.6f * heat * heat, a};
    });
    WriteWithAlpha(gfx, "FireCloud", fire);

    Image cloud(128, 128);

    Paint(img, [](float x, float y) {
        float d = std::sqrt(x * x + y * y);
        float a = std::atan2(y, x);
        float v = std::pow(std::fabs(std::sin(a * 2 + d * 9)), 6.0f) * Clamp01(1 - d);
        return Rgba{v * 0.7f, v * 0.9f, v, v};
    });
    Write(gfx / "Twirl.tga", img, 4);

    Image flare(128, 128);
    Paint(flare, [](float x, float y) {
        float core = Glow(x, y, {1, 1, 1, 1}, 4).a;
        float streak = std::exp(-y * y * 400) * Clamp01(1 - std::fabs(x)) + std::exp(-x * x * 400) * Clamp01(1 - std::fabs(y));
        float ring = 0.4f * Ring(x, y, 0.55f, 0.05f);
        float v = Clamp01(core + streak + ring);
        return Rgba{v, v * 0.9f, v * 0.75f, v};
    });
    WriteWithAlpha(gfx, "Flare", flare);

    Image sparkle(32, 32);
    Paint(sparkle, [](float x, float y) {
        float v = StarShape(x, y, 4, 60.0f, 0.3f);
        return Rgba{1.0f, 0.95f, 0.7f, v};
    });
    Write(gfx / "StarSand.tga", sparkle, 4);

    Paint(cloud, [](float x, float y) {
        Rgba g = Glow(x, y, {0.6f, 1.0f, 0.5f, 1}, 1.8f);
        return g;
    });
    Write(gfx / "JungleFlash.tga", cloud, 4);
}

// A 4 x 4 atlas: sixteen pictures, each painted in its own cell with cell-local
// coordinates -1..1 and its index.
void PaintAtlas(Image& img, const std::function<Rgba(float, float, int)>& f)
{
    const int cw = img.w / 4, ch = img.h / 4;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
        {
            const int cell = (y / ch) * 4 + x / cw;
            const float lx = (float(x % cw) + 0.5f) / float(cw) * 2 - 1;
            const float ly = (float(y % ch) + 0.5f) / float(ch) * 2 - 1;
            img.at(x, y) = f(lx, ly, cell);
        }
}

// A little cluster of grains: a few soft dots placed by the cell's seed.
float GrainCluster(float x, float y, int cell, int grains, float radius)
{
    Lcg rng(uint32_t(101 + cell * 7919));
    float v = 0.0f;
    for (int g = 0; g < grains; ++g)
    {
        const float gx = (rng.Next() - 0.5f) * 1.1f, gy = (rng.Next() - 0.5f) * 1.1f;
        const float r = radius * (0.6f + 0.6f * rng.Next());
        const float d = std::sqrt((x - gx) * (x - gx) + (y - gy) * (y - gy));
        v = std::max(v, Smooth(r, r * 0.55f, d));
    }
    return v;
}

// The sand glass and its sand: the grains and dust atlases, the sand body
// (building sand above, pouring sand below), the glass, the frame and the
// frenzy star.
void MakeSandGlass(const std::filesystem::path& gfx)
{
    Noise noise(29, 64);
    Image sand(128, 128);
    PaintAtlas(sand, [](float x, float y, int cell) {
        const float a = GrainCluster(x, y, cell, 5 + cell % 4, 0.22f);
        return Rgba{1.0f, 0.9f, 0.65f, a};
    });
    WriteWithAlpha(gfx, "Sand", sand);

    Image cloud(256, 256);
    PaintAtlas(cloud, [&](float x, float y, int cell) {
        const float n = noise.Fractal(x * 1.5f + float(cell) * 3.1f, y * 1.5f + float(cell) * 1.7f, 4);
        const float a = Clamp01((1 - std::sqrt(x * x + y * y)) * 1.6f) * Smooth(0.25f, 0.7f, n);
        return Rgba{0.85f + 0.15f * n, 0.85f + 0.15f * n, 0.9f + 0.1f * n, a};
    });
    WriteWithAlpha(gfx, "Cloud", cloud);

    Image small(64, 64);
    PaintAtlas(small, [](float x, float y, int cell) {
        const float a = GrainCluster(x, y, cell, 1 + cell % 3, 0.45f);
        return Rgba{1.0f, 0.92f, 0.7f, a};
    });
    Write(gfx / "SmallSand.tga", small, 4);

    // The body repeats across the glass; its upper half is the sand that
    // piles up, its lower half the glowing sand of a frenzy.
    Image body(256, 256);
    Lcg grain(41);
    Paint(body, [&](float x, float y) {
        const bool pouring = y > 0.0f;
        const float n = noise.Fractal(x * 8 + 2, y * 8 + 9, 4);
        const float speck = grain.Next() > 0.93f ? 0.25f : 0.0f;
        const float depth = pouring ? (y) : (y + 1.0f); // 0 at the top of each half, 1 at its bottom
        const float shade = 0.8f + 0.25f * n + speck - 0.25f * depth;
        if (pouring)
            return Rgba{Clamp01(1.0f * shade + 0.1f), Clamp01(0.78f * shade + 0.08f), Clamp01(0.3f * shade), 1};
        return Rgba{Clamp01(0.86f * shade), Clamp01(0.7f * shade), Clamp01(0.42f * shade), 1};
    });
    Write(gfx / "Sandbox.jpg", body, 3);

    // Frame and glass share one layout: three rows of 42 pixels, the left end
    // (242 wide), a middle piece that stretches and the right end (240 wide).
    const auto frameRow = [](int px, int py, float& edge, float& inner) {
        const int row = py / 42, ry = py % 42;
        const float yEdge = float(std::min(ry, 41 - ry));
        float xEdge = 1e9f;
        if (row == 0)
            xEdge = float(px);
        else if (row == 2)
            xEdge = float(255 - px);
        edge = std::min(yEdge, xEdge);
        inner = row < 3 ? 1.0f : 0.0f;
    };
    Image front(256, 128);
    for (int py = 0; py < front.h; ++py)
        for (int px = 0; px < front.w; ++px)
        {
            float edge = 0, inner = 0;
            frameRow(px, py, edge, inner);
            const float wood = 0.7f + 0.3f * noise.Fractal(float(px) * 0.05f, float(py) * 0.4f, 3);
            const float band = inner * Smooth(7.0f, 5.0f, edge);
            const float bevel = Clamp01(1.0f - edge / 6.0f);
            front.at(px, py) = Rgba{Clamp01((0.55f + 0.3f * bevel) * wood), Clamp01((0.37f + 0.2f * bevel) * wood),
                                    Clamp01((0.18f + 0.1f * bevel) * wood), band};
        }
    Write(gfx / "SandboxFront.png", front, 4);

    Image glass(256, 128);
    for (int py = 0; py < glass.h; ++py)
        for (int px = 0; px < glass.w; ++px)
        {
            float edge = 0, inner = 0;
            frameRow(px, py, edge, inner);
            const float ry = float(py % 42);
            const float shine = std::exp(-std::pow((ry - 11.0f) / 3.0f, 2.0f));
            glass.at(px, py) = Rgba{1, 1, 1, inner * Clamp01(0.18f + 0.55f * shine) * Smooth(5.0f, 7.0f, edge)};
        }
    Write(gfx / "SandboxGlass.tga", glass, 4);

    Image star(64, 64);
    Paint(star, [](float x, float y) {
        const float v = StarShape(x * 1.1f, y * 1.1f, 5, 8.0f, 0.35f);
        return Rgba{1.0f, 1.0f, 1.0f, Smooth(0.3f, 0.5f, v)};
    });
    Write(gfx / "ScoreFrenzyStar.png", star, 4);
}

void MakeScreens(const std::filesystem::path& gfx)
{
    Noise noise(19, 64);

    // The board frame: a bevelled gold band in the outer 7% of the picture, where the
    // quest screen cuts its corners and edges, round a clear middle.
    Image frame(256, 256);
    Paint(frame, [&](float x, float y) {
        const float edge = std::max(std::fabs(x), std::fabs(y));
        if (edge < 0.855f)
            return Rgba{0, 0, 0, 0};
        const float across = Clamp01((edge - 0.855f) / 0.145f); // 0 inner rim .. 1 outer rim
        const float bevel = 0.55f + 0.45f * std::sin(across * kPi);
        const float rim = (across < 0.12f || across > 0.9f) ? 0.55f : 1.0f;
        const float grain = 0.9f + 0.1f * noise.Fractal(x * 16, y * 16, 3);
        // Rivets where the band turns.
        const float cx = std::fabs(x) - 0.93f, cy = std::fabs(y) - 0.93f;
        const float rivet = std::exp(-(cx * cx + cy * cy) * 3000.0f);
        const float v = bevel * rim * grain + 0.6f * rivet;
        return Rgba{0.95f * v, 0.72f * v, 0.3f * v, 1.0f};
    });
    Write(gfx / "Frame.png", frame, 4);

    // The cells' background: the quest screen tiles it once per cell with a half-picture
    // shift, so the middle lines of the picture fall on the cells' borders.
    Image back(128, 128);
    Paint(back, [&](float x, float y) {
        const float n = noise.Fractal(x * 3 + 9, y * 3, 4);
        const float line = std::max(std::exp(-x * x * 900.0f), std::exp(-y * y * 900.0f));
        const float glow = 0.15f * (std::fabs(x) + std::fabs(y)); // the cells' middles lie at the corners
        return Rgba{0.07f + 0.04f * n + 0.25f * line + 0.03f * glow, 0.06f + 0.03f * n + 0.2f * line + 0.02f * glow,
                    0.16f + 0.06f * n + 0.3f * line + 0.05f * glow, 0.85f};
    });
    Write(gfx / "FrameBack.tga", back, 4);

    Image selector(128, 128);
    Paint(selector, [](float x, float y) {
        float v = Ring(x, y, 0.82f, 0.07f) + 0.5f * Ring(x, y, 0.92f, 0.03f);
        return Rgba{1.0f, 0.9f, 0.5f, Clamp01(v)};
    });
    Write(gfx / "Selector.png", selector, 4);


    // An atlas: the award's golden star in the top-left 204 x 192 pixels, and a
    // small bright star with a halo in the 64 x 64 cell below it, which the bonus
    // level's flying stars tint.
    Image big(256, 256);
    for (int py = 0; py < big.h; ++py)
        for (int px = 0; px < big.w; ++px)
        {
            if (px < 204 && py < 192)
            {
                const float x = (px + 0.5f) / 204.0f * 2 - 1, y = (py + 0.5f) / 192.0f * 2 - 1;
                const float v = StarShape(x, -y, 5, 8.0f, 0.35f);
                const float shade = 0.75f + 0.25f * (-x - y);
                big.at(px, py) = Rgba{1.0f * shade, 0.8f * shade, 0.2f * shade, Smooth(0.35f, 0.45f, v)};
            }
            else if (px < 64 && py >= 192)
            {
                const float x = (px + 0.5f) / 64.0f * 2 - 1, y = (py - 192 + 0.5f) / 64.0f * 2 - 1;
                const float body = Smooth(0.3f, 0.45f, StarShape(x * 1.1f, -y * 1.1f, 5, 6.0f, 0.3f));
                const float halo = Glow(x, y, Rgba{1, 1, 1, 1}, 2.5f).a * 0.6f;
                const float a = std::max(body, halo);
                const float white = Clamp01(body * 0.7f + 0.3f);
                big.at(px, py) = Rgba{1.0f, 0.85f + 0.15f * white, 0.55f + 0.45f * white, a};
            }
        }
    Write(gfx / "BigStar.png", big, 4);

    Image pointer(64, 64);
    Paint(pointer, [](float x, float y) {
        // A pointer aiming down at the item below it.
        float body = Smooth(0.05f, 0.0f, std::fabs(x) - (0.55f - 0.55f * (y + 1) * 0.5f));
        float a = body * Smooth(-0.9f, -0.85f, y) * Smooth(0.9f, 0.85f, y);
        return Rgba{1.0f, 0.9f - 0.3f * (y + 1) * 0.5f, 0.3f, a};
    });
    Write(gfx / "ShopPointer.tga", pointer, 4);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: startgfx <game folder>\n");
        return 2;
    }
    const std::filesystem::path root(argv[1]);
    const std::filesystem::path gfx = root / "Data" / "Gfx";
    const std::filesystem::path fsdata = root / "fsdata";
    std::error_code ec;
    std::filesystem::create_directories(gfx, ec);
    std::filesystem::create_directories(fsdata, ec);
    MakeLoading(gfx);
    MakeSplash(fsdata);
    MakeCursor(gfx);
    MakeEffects(gfx);
    MakeScreens(gfx);
    MakeSandGlass(gfx);
    return g_ok ? 0 : 1;
}
