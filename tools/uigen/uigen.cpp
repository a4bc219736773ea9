// Draws the pictures of the game's screens from code: the dialog frame tiles, the
// button and widget atlas, the time gauge, the quest map with its stage pictures and
// markers, newspaper, help, intro and trophy pages, splash logos, the shop atlases,
// the gem bar's frame and the plain white picture. Everything is shapes, gradients,
// value noise and glows with fixed seeds: every run writes the same files.
//
// Usage: uigen <game folder>   (writes Data/Gfx/...)

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "MapPath.h"
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
    // Straight-alpha "over".
    void Blend(int x, int y, const Rgba& c)
    {
        if (x < 0 || y < 0 || x >= w || y >= h || c.a <= 0.0f)
            return;
        Rgba& d = at(x, y);
        const float a = Clamp01(c.a);
        const float out = a + d.a * (1 - a);
        if (out <= 0)
            return;
        d.r = (c.r * a + d.r * d.a * (1 - a)) / out;
        d.g = (c.g * a + d.g * d.a * (1 - a)) / out;
        d.b = (c.b * a + d.b * d.a * (1 - a)) / out;
        d.a = out;
    }
    // Paints a rectangle pixel by pixel from f(local x, local y) (pixel centres).
    void Shade(int x0, int y0, int w0, int h0, const std::function<Rgba(float, float)>& f)
    {
        for (int y = 0; y < h0; ++y)
            for (int x = 0; x < w0; ++x)
                Blend(x0 + x, y0 + y, f(x + 0.5f, y + 0.5f));
    }
};

// Signed distance to a rounded rectangle centred at the origin (negative inside).
float RoundRect(float x, float y, float hw, float hh, float r)
{
    const float qx = std::fabs(x) - hw + r, qy = std::fabs(y) - hh + r;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

// Coverage of a shape from its signed distance, one pixel of soft edge.
float Cover(float d) { return Clamp01(0.5f - d); }

const Rgba kGoldLight = C(255, 236, 170);
const Rgba kGold = C(214, 166, 72);
const Rgba kGoldDark = C(112, 72, 24);
const Rgba kNight = C(22, 26, 58);
const Rgba kNightDeep = C(10, 12, 30);

// A gold rim by depth into the shape (0 at the edge): bright bevel, then dark groove.
Rgba GoldRim(float depth, float width)
{
    const float t = Clamp01(depth / width);
    const float bevel = std::sin(t * kPi);
    Rgba c = Mix(kGoldDark, kGoldLight, 0.25f + 0.75f * bevel);
    if (t > 0.8f)
        c = Mix(c, kGoldDark, (t - 0.8f) / 0.2f);
    return c;
}

bool g_ok = true;

void Write(const std::filesystem::path& path, const Image& img, int channels)
{
    if (!WriteImage(path, img.w, img.h, channels, ToBytes(img.px, channels), 90))
    {
        std::fprintf(stderr, "uigen: cannot write %s\n", path.string().c_str());
        g_ok = false;
    }
}

// ---------------------------------------------------------------------------------
// Shapes

// A glowing orb: a sphere lit from the top left, with a halo of the same hue.
void Orb(Image& img, float cx, float cy, float radius, const Rgba& hue, float halo)
{
    const float reach = radius * (1.0f + halo);
    const int x0 = int(cx - reach) - 1, y0 = int(cy - reach) - 1;
    const int size = int(reach * 2) + 3;
    img.Shade(x0, y0, size, size, [&](float x, float y) {
        const float dx = x0 + x - cx, dy = y0 + y - cy;
        const float d = std::sqrt(dx * dx + dy * dy);
        if (d > radius + 1)
        {
            const float g = 1.0f - Clamp01((d - radius) / (reach - radius));
            return WithAlpha(hue, 0.45f * g * g);
        }
        const float nz = std::sqrt(std::max(0.0f, 1 - (d / radius) * (d / radius)));
        const float light = Clamp01(0.35f + 0.65f * (-0.45f * dx / radius - 0.55f * dy / radius + 0.7f * nz));
        Rgba c = Mix(Scale(hue, 0.35f), hue, light);
        const float hx = dx + radius * 0.35f, hy = dy + radius * 0.4f;
        const float spec = Clamp01(1 - std::sqrt(hx * hx + hy * hy) / (radius * 0.45f));
        c = Mix(c, C(255, 255, 255), spec * spec * 0.9f);
        return WithAlpha(c, Cover(d - radius));
    });
}

// A five-pointed star whose body brightens towards `light` at its heart.
void Star(Image& img, float cx, float cy, float r, const Rgba& fill, float glow, const Rgba& light)
{
    const float reach = r * (1 + glow);
    const int x0 = int(cx - reach) - 1, y0 = int(cy - reach) - 1;
    const int size = int(reach * 2) + 3;
    img.Shade(x0, y0, size, size, [&](float x, float y) {
        const float dx = x0 + x - cx, dy = y0 + y - cy;
        const float a = std::atan2(dx, -dy);
        const float d = std::sqrt(dx * dx + dy * dy);
        const float k = std::fmod(a + 2 * kPi + kPi / 5, 2 * kPi / 5) - kPi / 5;
        const float edge = r * (0.5f + 0.5f * std::pow(std::cos(k * 2.5f), 6.0f));
        if (d > edge)
            return WithAlpha(fill, 0.5f * Clamp01(1 - (d - edge) / (reach - r * 0.5f)) * glow);
        Rgba c = Mix(fill, light, Clamp01(1 - d / edge) * 0.8f);
        return WithAlpha(c, Cover(d - edge));
    });
}

// A gold five-pointed star.
void Star(Image& img, float cx, float cy, float r, const Rgba& fill, float glow)
{
    Star(img, cx, cy, r, fill, glow, kGoldLight);
}

// A button face: rounded gem-like body with a gold rim and a glossy top.
void ButtonFace(Image& img, int x0, int y0, int w, int h, const Rgba& top, const Rgba& bottom, float rimGlow,
                float push)
{
    const float hw = w * 0.5f - 2, hh = h * 0.5f - 2, r = std::min(hh, 18.0f);
    img.Shade(x0, y0, w, h, [&](float x, float y) {
        const float px = x - w * 0.5f, py = y - h * 0.5f - push;
        const float d = RoundRect(px, py, hw, hh, r);
        if (d > 0)
            return Rgba{0, 0, 0, 0.5f * Clamp01(1 - d / 3.0f) * rimGlow};
        const float depth = -d;
        if (depth < 4.0f)
        {
            Rgba c = GoldRim(depth, 4.0f);
            c = Mix(c, kGoldLight, 0.3f * rimGlow);
            return WithAlpha(c, Cover(d));
        }
        const float t = (py + hh) / (2 * hh);
        Rgba c = Mix(top, bottom, t);
        // Gloss on the upper half, an inner shadow under the rim.
        const float gloss = Smooth(0.55f, 0.0f, t) * Smooth(hw, hw - 10, std::fabs(px));
        c = Mix(c, C(255, 255, 255), 0.28f * gloss);
        c = Mix(c, Scale(bottom, 0.5f), Smooth(9.0f, 4.0f, depth) * 0.5f);
        return WithAlpha(c, 1.0f);
    });
}

// A round button face (icon buttons, checkboxes).
void RoundFace(Image& img, float cx, float cy, float radius, const Rgba& top, const Rgba& bottom, float rim)
{
    const int x0 = int(cx - radius) - 2, y0 = int(cy - radius) - 2, size = int(radius * 2) + 5;
    img.Shade(x0, y0, size, size, [&](float x, float y) {
        const float dx = x0 + x - cx, dy = y0 + y - cy;
        const float d = std::sqrt(dx * dx + dy * dy) - radius;
        if (d > 0)
            return Rgba{0, 0, 0, 0};
        if (-d < 3.5f)
            return WithAlpha(Mix(GoldRim(-d, 3.5f), kGoldLight, 0.3f * rim), Cover(d));
        const float t = (dy + radius) / (2 * radius);
        Rgba c = Mix(top, bottom, t);
        c = Mix(c, C(255, 255, 255), 0.3f * Smooth(0.5f, 0.0f, t));
        return c;
    });
}

// A symbol in light gold: 0 plus, 1 minus, 2 up, 3 down, 4 left, 5 right, 6 close.
void Symbol(Image& img, float cx, float cy, float s, int kind, float bright)
{
    const Rgba ink = Mix(C(255, 240, 190), C(255, 255, 255), bright);
    const int x0 = int(cx - s) - 1, y0 = int(cy - s) - 1, size = int(2 * s) + 3;
    img.Shade(x0, y0, size, size, [&](float x, float y) {
        float dx = x0 + x - cx, dy = y0 + y - cy;
        float d = 1e9f;
        const float t = s * 0.16f;
        switch (kind)
        {
        case 0:
            d = std::min(RoundRect(dx, dy, s * 0.62f, t, t), RoundRect(dx, dy, t, s * 0.62f, t));
            break;
        case 1:
            d = RoundRect(dx, dy, s * 0.62f, t, t);
            break;
        case 6:
        {
            const float u = (dx + dy) * 0.7071f, v = (dx - dy) * 0.7071f;
            d = std::min(RoundRect(u, v, s * 0.66f, t, t), RoundRect(u, v, t, s * 0.66f, t));
            break;
        }
        default:
        {
            // A triangle pointing the kind's way.
            float u = dx, v = dy;
            if (kind == 2)
                v = -v;
            else if (kind == 4)
            {
                std::swap(u, v);
                v = -v;
            }
            else if (kind == 5)
                std::swap(u, v);
            const float h = s * 0.55f;
            d = std::max(v - h * 0.6f, std::fabs(u) * 0.87f + (v + h * 0.6f) * 0.5f - h * 0.87f);
            break;
        }
        }
        Rgba c = WithAlpha(ink, Cover(d));
        if (d > 0 && d < 2.5f)
            c = Rgba{0.1f, 0.05f, 0.0f, 0.5f * (1 - d / 2.5f)};
        return c;
    });
}

// ---------------------------------------------------------------------------------
// Pictures

// Dialog frame: corners, sides and the tiled inside (see the forms' TILING blocks).
// The frame's profile runs from the outer edge (t = 0) to the inside (t = 1).
Rgba FrameProfile(float t)
{
    if (t < 0)
        return {0, 0, 0, 0};
    if (t < 0.5f)
        return GoldRim(t / 0.5f * 10.0f, 10.0f);
    // A dark groove inside the gold, fading into the colour of the inside tile.
    const Rgba inside = C(30, 34, 74);
    return WithAlpha(Mix(C(6, 6, 16), inside, Smooth(0.5f, 0.9f, t)), 1.0f);
}

void PanelTiles(const std::filesystem::path& gfx)
{
    const int q = 64;
    Image corners(2 * q, 2 * q);
    for (int quarter = 0; quarter < 4; ++quarter)
    {
        const bool right = quarter == 1 || quarter == 2;
        const bool bottom = quarter >= 2;
        const int ox = right ? q : 0, oy = bottom ? q : 0;
        corners.Shade(ox, oy, q, q, [&](float x, float y) {
            // Distance from the outer edges, in 0..1 of the quarter.
            float u = (right ? q - x : x) / q, v = (bottom ? q - y : y) / q;
            const float r = 0.45f;
            float t = std::min(u, v);
            if (u < r && v < r)
                t = r - std::sqrt((r - u) * (r - u) + (r - v) * (r - v));
            Rgba c = FrameProfile(t);
            c.a *= Clamp01(t * q + 0.5f);
            // A small gold boss on the corner's bevel.
            const float bx = u - 0.22f, by = v - 0.22f;
            const float bd = std::sqrt(bx * bx + by * by);
            if (bd < 0.12f)
            {
                const float l = Clamp01(0.5f - (bx + by) * 3.0f);
                c = Mix(Mix(kGoldDark, kGoldLight, l), c, Smooth(0.09f, 0.12f, bd));
            }
            return c;
        });
    }
    Write(gfx / "PanelCorners.png", corners, 4);

    Image sides(128, 128);
    sides.Shade(0, 0, 128, 128, [&](float x, float y) {
        const int strip = int(x) / 32;
        const float f = (x - strip * 32) / 32.0f;
        const float t = (strip == 0 || strip == 2) ? f : 1 - f;
        Rgba c = FrameProfile(t);
        // A faint engraved rhythm along the edge.
        const float groove = 0.5f + 0.5f * std::cos(y / 128.0f * 2 * kPi * 4);
        if (t < 0.5f)
            c = Mix(c, kGoldDark, 0.12f * groove);
        c.a *= Clamp01(t * 32 + 0.5f);
        return c;
    });
    Write(gfx / "PanelSides.png", sides, 4);

    const Noise noise(11, 8);
    Image back(256, 256);
    back.Shade(0, 0, 256, 256, [&](float x, float y) {
        const float n = noise.Fractal(x / 32.0f, y / 32.0f, 4);
        Rgba c = Mix(C(20, 24, 56), C(42, 46, 96), n);
        // Soft diamond lattice, like woven velvet.
        const float d = std::fabs(std::sin((x + y) / 256.0f * kPi * 8)) * std::fabs(std::sin((x - y) / 256.0f * kPi * 8));
        return Mix(c, C(60, 64, 120), 0.12f * d);
    });
    Write(gfx / "PanelBack.jpg", back, 3);
}

// The widget atlas "Buttons.png" (512 x 1024); the form files address it by these cells:
//   big button 256 x 64: normal (0, 0), over (0, 64), pressed (0, 128), disabled (0, 192)
//   checkbox 64 x 64 at y 256: unchecked x 0, over 64, checked 128, checked over 192, disabled 256
//   icon buttons 64 x 64 from y 320, one row per symbol (plus, minus, up, down, left, right,
//   close), columns normal 0, over 64, pressed 128, disabled 192
//   profile row 384 x 48 from y 768: normal 0, over 48, checked 96, checked over 144
//   scroller track 320 x 32 at (0, 960), thumb 48 x 48 at (336, 960)
//   life orb 48 x 48 at (400, 960), marker star 48 x 48 at (448, 960)
//   small button 128 x 48 at x 256: normal y 0, over 48, pressed 96, disabled 144
//   trophy stars 96 x 96 from (256, 320): bronze, silver; then gold, empty place (y 416)
void Buttons(const std::filesystem::path& gfx)
{
    Image img(512, 1024);
    const Rgba tops[4] = {C(52, 112, 168), C(84, 156, 214), C(30, 70, 118), C(96, 96, 104)};
    const Rgba bottoms[4] = {C(14, 34, 82), C(26, 60, 120), C(10, 24, 60), C(48, 48, 56)};
    for (int s = 0; s < 4; ++s)
    {
        ButtonFace(img, 0, s * 64, 256, 64, tops[s], bottoms[s], s == 1 ? 1.0f : 0.0f, s == 2 ? 1.5f : 0.0f);
        ButtonFace(img, 256, s * 48, 128, 48, tops[s], bottoms[s], s == 1 ? 1.0f : 0.0f, s == 2 ? 1.0f : 0.0f);
    }
    for (int s = 0; s < 5; ++s)
    {
        const float cx = s * 64 + 32.0f, cy = 256 + 32.0f;
        const bool over = s == 1 || s == 3;
        const Rgba face = s == 4 ? C(60, 60, 66) : over ? C(40, 60, 110) : C(18, 26, 60);
        RoundFace(img, cx, cy, 22, Scale(face, 1.4f), face, over ? 1.0f : 0.0f);
        if (s == 2 || s == 3)
            Orb(img, cx, cy, 13, s == 3 ? C(255, 214, 120) : C(250, 180, 60), 0.4f);
    }
    for (int k = 0; k < 7; ++k)
        for (int s = 0; s < 4; ++s)
        {
            const float cx = s * 64 + 32.0f, cy = 320 + k * 64 + 32.0f;
            RoundFace(img, cx, cy + (s == 2 ? 1.0f : 0.0f), 26, tops[s], bottoms[s], s == 1 ? 1.0f : 0.0f);
            Symbol(img, cx, cy + (s == 2 ? 1.0f : 0.0f), 17, k, s == 1 ? 1.0f : 0.0f);
        }
    for (int s = 0; s < 4; ++s)
    {
        const bool over = s == 1 || s == 3, checked = s >= 2;
        img.Shade(0, 768 + s * 48, 384, 48, [&](float x, float y) {
            const float d = RoundRect(x - 192, y - 24, 188, 20, 14);
            if (d > 0)
                return Rgba{0, 0, 0, 0};
            Rgba c = checked ? Mix(C(120, 86, 26), C(70, 46, 12), y / 48) : Mix(C(40, 52, 100), C(18, 22, 50), y / 48);
            if (over)
                c = Mix(c, C(120, 170, 230), 0.25f);
            float a = checked || over ? 0.9f : 0.45f;
            if (-d < 2.0f)
                c = checked ? kGoldLight : Mix(c, kGold, 0.6f);
            return WithAlpha(c, a * Cover(d));
        });
    }
    img.Shade(0, 960, 320, 32, [&](float x, float y) {
        const float d = RoundRect(x - 160, y - 16, 156, 7, 7);
        if (d > 0)
            return Rgba{0, 0, 0, 0};
        Rgba c = -d < 2.5f ? GoldRim(-d, 2.5f) : Mix(C(6, 8, 20), C(30, 36, 70), (y - 9) / 14);
        return WithAlpha(c, Cover(d));
    });
    Orb(img, 336 + 24, 960 + 24, 17, C(255, 196, 80), 0.35f);
    Orb(img, 400 + 24, 960 + 24, 16, C(255, 90, 110), 0.4f);
    Star(img, 448 + 24, 960 + 24, 20, C(255, 210, 70), 0.2f);
    // The trophy hall: a star of the level earned, and the dark place of one not yet won.
    Star(img, 256 + 48, 320 + 48, 40, C(196, 116, 48), 0.15f, C(255, 206, 160));
    Star(img, 352 + 48, 320 + 48, 40, C(150, 160, 182), 0.15f, C(255, 255, 255));
    Star(img, 256 + 48, 416 + 48, 40, C(255, 200, 40), 0.2f, kGoldLight);
    Star(img, 352 + 48, 416 + 48, 40, C(20, 20, 30), 0.0f, C(58, 56, 74));
    Write(gfx / "Buttons.png", img, 4);
}

// The time gauge: "GaugeFace.png" 256 x 256 (dial 0..192 square, hands at x 192),
// "GaugeFill.png" 128 x 128 (the disc the quarters cut into a sector).
void Gauge(const std::filesystem::path& gfx)
{
    Image face(256, 256);
    face.Shade(0, 0, 192, 192, [&](float x, float y) {
        const float dx = x - 96, dy = y - 96, d = std::sqrt(dx * dx + dy * dy);
        if (d > 94)
            return Rgba{0, 0, 0, Cover(d - 95) * 0.6f};
        if (d > 84)
            return WithAlpha(GoldRim(94 - d, 10), Cover(d - 94));
        Rgba c = Mix(C(34, 40, 84), C(8, 10, 26), d / 84);
        // Hour marks.
        const float a = std::atan2(dy, dx);
        const float tick = std::fabs(std::fmod(a + 2 * kPi, kPi / 6) - kPi / 12);
        if (d > 70 && d < 80 && tick > kPi / 12 - 0.05f)
            c = Mix(c, kGold, 0.9f);
        return c;
    });
    // The hand: a needle pointing up, its pivot at (224, 184) of the picture.
    face.Shade(192, 0, 64, 256, [&](float x, float y) {
        const float dx = x - 32, yy = y - 184;
        float d;
        if (yy < 0)
            d = std::fabs(dx) - 5.0f * (1 + yy / 150.0f);
        else
            d = std::sqrt(dx * dx + yy * yy) - 9;
        if (y < 34)
            return Rgba{0, 0, 0, 0};
        const Rgba c = Mix(kGoldLight, kGoldDark, Clamp01((dx + 5) / 10));
        return WithAlpha(c, Cover(d));
    });
    Write(gfx / "GaugeFace.png", face, 4);

    Image fill(128, 128);
    fill.Shade(0, 0, 128, 128, [&](float x, float y) {
        const float dx = x - 64, dy = y - 64, d = std::sqrt(dx * dx + dy * dy);
        return WithAlpha(Mix(C(255, 255, 255), C(200, 200, 200), d / 56), Cover(d - 56));
    });
    Write(gfx / "GaugeFill.png", fill, 4);
}

// The quest map (1024 x 1024, the top 768 rows used), its stage pictures and icons.
void Map(const std::filesystem::path& gfx)
{
    const Noise land(21, 8), detail(22, 32);
    Image map(1024, 1024, C(0, 0, 0));
    map.Shade(0, 0, 1024, 768, [&](float x, float y) {
        const float n = land.Fractal(x / 160.0f, y / 160.0f, 5);
        const float edge = std::min({x, y, 1024 - x, 768 - y});
        const float h = n + 0.18f * Smooth(0, 140, edge) - 0.12f;
        Rgba paper = Mix(C(232, 210, 160), C(196, 162, 106), detail.Fractal(x / 24.0f, y / 24.0f, 3));
        Rgba c;
        if (h < 0.38f)
            c = Mix(C(70, 110, 140), C(120, 160, 170), Smooth(0.2f, 0.38f, h)); // sea
        else if (h < 0.41f)
            c = C(150, 120, 70); // shore ink
        else
        {
            c = paper;
            if (h > 0.62f)
                c = Mix(c, C(140, 116, 84), Smooth(0.62f, 0.75f, h)); // hills
            const float forest = land.Fractal(x / 60.0f + 7, y / 60.0f + 3, 3);
            if (forest > 0.6f && h < 0.6f)
                c = Mix(c, C(96, 130, 70), Smooth(0.6f, 0.68f, forest) * 0.8f);
        }
        // Burnt, darkened border of old parchment.
        c = Mix(c, C(70, 44, 20), Smooth(60, 0, edge) * 0.85f);
        return c;
    });
    // The dotted road between the level spots.
    for (size_t i = 0; i + 1 < kMapSpotCount; ++i)
    {
        const float x0 = kMapSpots[i][0], y0 = kMapSpots[i][1];
        const float x1 = kMapSpots[i + 1][0], y1 = kMapSpots[i + 1][1];
        const float len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
        for (float s = 12; s < len - 12; s += 11)
        {
            const float px = x0 + (x1 - x0) * s / len, py = y0 + (y1 - y0) * s / len;
            map.Shade(int(px) - 4, int(py) - 4, 9, 9, [&](float x, float y) {
                const float dx = int(px) - 4 + x - px, dy = int(py) - 4 + y - py;
                return WithAlpha(C(110, 40, 20), 0.8f * Cover(std::sqrt(dx * dx + dy * dy) - 2.4f));
            });
        }
    }
    Write(gfx / "MapBack.jpg", map, 3);

    // Stage pictures: round vignettes of the five locations, revealed as the quest goes on.
    auto vignette = [&](const char* file, uint32_t seed, Rgba sky, Rgba ground, int motif) {
        Image img(256, 256);
        const Noise n(seed, 8);
        img.Shade(0, 0, 256, 256, [&](float x, float y) {
            const float dx = x - 128, dy = y - 128, d = std::sqrt(dx * dx + dy * dy);
            if (d > 124)
                return Rgba{0, 0, 0, 0.5f * Cover(d - 127)};
            if (d > 112)
                return WithAlpha(GoldRim(124 - d, 12), Cover(d - 124));
            const float horizon = 150 + 20 * n.Fractal(x / 40.0f, 1, 3);
            Rgba c = y < horizon ? Mix(sky, Scale(sky, 0.5f), y / horizon) : Mix(ground, Scale(ground, 0.5f), (y - horizon) / 100);
            float m = 0;
            switch (motif)
            {
            case 0: // jungle: trunks and canopy
                m = (std::fabs(std::sin(x / 18.0f)) < 0.18f && y > 90) ? 1.0f : 0.0f;
                if (y < 110 + 30 * n.Fractal(x / 20.0f, 2, 3))
                    c = Mix(c, C(30, 90, 40), 0.8f);
                break;
            case 1: // valley: mountains
                m = y > 180 - 90 * std::fabs(std::sin(x / 60.0f)) - 20 * n.At(x / 20.0f, 0) ? 1.0f : 0.0f;
                break;
            case 2: // door: an arch of stone
                m = (std::fabs(dx) < 50 && y > 60 && (y > 110 || dx * dx + (y - 110) * (y - 110) < 2500)) ? 0.0f : 0.0f;
                if (std::fabs(dx) < 60 && y > 50 && !(std::fabs(dx) < 44 && y > 66 && (y > 110 || dx * dx + (y - 110) * (y - 110) < 1936)))
                    m = 1;
                break;
            default: // treasury: heaped coins
                if (y > 170 - 40 * std::cos(dx / 90.0f))
                    c = Mix(C(250, 200, 70), C(140, 90, 20), n.Fractal(x / 6.0f, y / 6.0f, 2));
                break;
            }
            c = Mix(c, Scale(ground, 0.3f), m * 0.9f);
            // Light from the centre: the place the orb lights.
            c = Mix(c, C(255, 240, 200), 0.25f * Clamp01(1 - d / 110));
            return c;
        });
        if (motif == 3)
            Orb(img, 128, 110, 22, C(255, 220, 120), 0.8f);
        Write(gfx / file, img, 4);
    };
    vignette("MapStage2.png", 31, C(110, 170, 120), C(60, 110, 50), 0);
    vignette("MapDiff3.png", 32, C(150, 180, 220), C(100, 120, 80), 1);
    vignette("MapDiff4_1.png", 33, C(90, 80, 120), C(80, 70, 60), 2);
    vignette("MapDiff4_2.png", 34, C(120, 90, 140), C(70, 60, 80), 1);
    vignette("MapDiff5_1.png", 35, C(60, 40, 30), C(120, 80, 30), 3);
    vignette("MapDiff5_2.png", 36, C(70, 50, 90), C(100, 70, 40), 3);

    // Icons, 256 x 256: level spot open (0, 0) and passed (64, 0), 64 each; flag
    // (128, 0) 64 x 96; flag shadow (192, 0) 64 x 96; stage seal (0, 128) 64 x 64;
    // halo (64, 128) 128 x 128.
    Image icons(256, 256);
    for (int k = 0; k < 2; ++k)
    {
        icons.Shade(k * 64, 0, 64, 64, [&](float x, float y) {
            const float d = std::sqrt((x - 32) * (x - 32) + (y - 32) * (y - 32));
            if (d > 20)
                return Rgba{0, 0, 0, 0.5f * Cover(d - 22)};
            if (d > 15)
                return WithAlpha(GoldRim(20 - d, 5), Cover(d - 20));
            return k ? Mix(C(220, 60, 40), C(120, 20, 10), d / 15) : Mix(C(250, 240, 210), C(180, 160, 120), d / 15);
        });
    }
    Star(icons, 64 + 32, 32, 11, C(255, 230, 120), 0.0f);
    // The flag on its pole, and its shadow.
    for (int k = 0; k < 2; ++k)
        icons.Shade(128 + k * 64, 0, 64, 96, [&](float x, float y) {
            const bool pole = x > 14 && x < 19 && y > 6 && y < 92;
            const float wave = 6 * std::sin((x - 18) / 12.0f);
            const bool cloth = x > 18 && x < 58 && y > 10 + wave && y < 42 + wave;
            if (k)
                return Rgba{0, 0, 0, (pole || cloth) ? 0.45f : 0.0f};
            if (pole)
                return Mix(kGoldLight, kGoldDark, (x - 14) / 5);
            if (cloth)
                return Mix(C(60, 110, 220), C(20, 40, 120), (x - 18) / 40);
            return Rgba{0, 0, 0, 0};
        });
    Star(icons, 32, 160, 24, C(250, 200, 70), 0.1f);
    icons.Shade(64, 128, 128, 128, [&](float x, float y) {
        const float d = std::sqrt((x - 64) * (x - 64) + (y - 64) * (y - 64)) / 64;
        return WithAlpha(C(255, 240, 180), Clamp01(1 - d) * Clamp01(1 - d));
    });
    Write(gfx / "MapIcons.png", icons, 4);
}

// ---------------------------------------------------------------------------------
// Page pictures: each newspaper, help and intro page shows what its text tells.
// A scene is painted on a 400 x 300 canvas, then set into a parchment page.

const int kSceneW = 400, kSceneH = 300;

// Night sky from a deep top to a lighter horizon, with stars where the noise peaks.
Rgba NightSky(const Noise& n, float x, float y, const Rgba& top, const Rgba& horizon)
{
    Rgba c = Mix(top, horizon, Clamp01(y / kSceneH));
    const float s = n.At(x / 3.0f, y / 3.0f);
    if (s > 0.93f)
        c = Mix(c, C(255, 250, 220), (s - 0.93f) * 14);
    return c;
}

// A soft glow added around a point.
void Glow(Image& img, float cx, float cy, float reach, const Rgba& hue, float strength)
{
    const int x0 = int(cx - reach), y0 = int(cy - reach), size = int(reach * 2) + 1;
    img.Shade(x0, y0, size, size, [&](float x, float y) {
        const float d = std::sqrt((x0 + x - cx) * (x0 + x - cx) + (y0 + y - cy) * (y0 + y - cy));
        const float g = Clamp01(1 - d / reach);
        return WithAlpha(hue, strength * g * g);
    });
}

// A straight stroke of the given width between two points.
void Stroke(Image& img, float ax, float ay, float bx, float by, float width, const Rgba& ink)
{
    const int x0 = int(std::min(ax, bx) - width - 1), y0 = int(std::min(ay, by) - width - 1);
    const int w = int(std::fabs(bx - ax) + 2 * width + 3), h = int(std::fabs(by - ay) + 2 * width + 3);
    const float dx = bx - ax, dy = by - ay, len2 = std::max(1e-3f, dx * dx + dy * dy);
    img.Shade(x0, y0, w, h, [&](float x, float y) {
        const float px = x0 + x - ax, py = y0 + y - ay;
        const float t = Clamp01((px * dx + py * dy) / len2);
        const float ex = px - t * dx, ey = py - t * dy;
        return WithAlpha(ink, ink.a * Cover(std::sqrt(ex * ex + ey * ey) - width / 2));
    });
}

// An arrow head at (x, y) pointing along (dx, dy).
void ArrowHead(Image& img, float x, float y, float dx, float dy, float size, const Rgba& ink)
{
    const float len = std::sqrt(dx * dx + dy * dy);
    const float ux = dx / len, uy = dy / len;
    Stroke(img, x, y, x - size * (ux - 0.6f * uy), y - size * (uy + 0.6f * ux), 5, ink);
    Stroke(img, x, y, x - size * (ux + 0.6f * uy), y - size * (uy - 0.6f * ux), 5, ink);
}

// The seven token colours, in the game's order.
const Rgba kTokenHues[7] = {C(80, 220, 80),  C(250, 230, 70), C(240, 70, 60),  C(80, 110, 250),
                            C(255, 160, 50), C(235, 235, 240), C(210, 80, 235)};

// Rooftops and towers of the city against the sky; lit windows when `lit`.
void Skyline(Image& img, const Noise& n, float base, bool lit)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        const int block = int(x / 28);
        const float h = base - 30 - 70 * n.At(block * 1.7f, 3.3f) - (block == 6 ? 60 : 0);
        if (y < h)
            return Rgba{0, 0, 0, 0};
        Rgba c = C(24, 20, 40);
        const bool window = std::fmod(x, 28.0f) > 8 && std::fmod(x, 28.0f) < 16 && std::fmod(y - h, 22.0f) > 8 &&
                            std::fmod(y - h, 22.0f) < 16 && n.At(x / 5.0f, y / 7.0f) > 0.45f;
        if (lit && window)
            c = C(255, 214, 120);
        return c;
    });
}

void SceneJungle(Image& img, const Noise& n)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) { return NightSky(n, x, y, C(8, 20, 30), C(20, 60, 50)); });
    Glow(img, 200, 170, 140, C(120, 255, 120), 0.8f);
    Orb(img, 200, 170, 18, C(140, 255, 140), 1.2f);
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        // Trunks, then a ragged canopy along the top and undergrowth at the foot.
        const float trunk = std::fabs(std::fmod(x + 30 * n.At(x / 90.0f, 1.0f), 95.0f) - 47) - 9;
        const float canopy = 70 + 50 * n.Fractal(x / 40.0f, 0.5f, 3);
        const float ground = 240 + 30 * n.Fractal(x / 30.0f, 4.5f, 3);
        if (y < canopy || y > ground || (trunk < 0 && std::fabs(x - 200) > 40))
            return Mix(C(10, 36, 20), C(4, 14, 8), n.Fractal(x / 12.0f, y / 12.0f, 2));
        return Rgba{0, 0, 0, 0};
    });
    Lcg rng(7);
    for (int i = 0; i < 14; ++i)
        Glow(img, 40 + 320 * rng.Next(), 90 + 150 * rng.Next(), 10, C(200, 255, 140), 0.9f);
}

void SceneValley(Image& img, const Noise& n)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) { return NightSky(n, x, y, C(10, 14, 46), C(60, 70, 130)); });
    // Two stars falling toward the meadows, with their trails.
    for (int k = 0; k < 2; ++k)
    {
        const float sx = 110 + 170 * k, sy = 60 + 30 * k;
        Stroke(img, sx - 70, sy - 50, sx, sy, 5, C(255, 240, 180, 0.5f));
        Star(img, sx, sy, 14, C(255, 230, 120), 0.8f);
    }
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        const float far = 190 + 25 * std::sin(x / 60.0f) + 10 * n.At(x / 20.0f, 2.0f);
        const float near = 235 + 20 * std::sin(x / 45.0f + 2);
        if (y > near)
            return Mix(C(40, 90, 50), C(20, 50, 30), (y - near) / 60);
        if (y > far)
            return Mix(C(50, 80, 90), C(30, 60, 60), (y - far) / 50);
        return Rgba{0, 0, 0, 0};
    });
    // Sheep on the near meadow.
    for (int k = 0; k < 5; ++k)
    {
        const float cx = 50 + 70 * k, cy = 252 + 20 * std::sin(cx / 45.0f + 2);
        img.Shade(int(cx) - 16, int(cy) - 12, 32, 24, [&](float x, float y) {
            const float d = std::sqrt((x - 16) * (x - 16) / 196.0f + (y - 12) * (y - 12) / 81.0f) - 1;
            return WithAlpha(C(236, 236, 226), Cover(d * 9));
        });
    }
}

void SceneDoor(Image& img, const Noise& n)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        // Stone courses, and the arched Door cut into them.
        Rgba c = Mix(C(90, 84, 96), C(50, 46, 60), n.Fractal(x / 16.0f, y / 16.0f, 3));
        if (std::fmod(y, 30.0f) < 2 || std::fmod(x + (int(y / 30) % 2) * 25, 50.0f) < 2)
            c = Scale(c, 0.6f);
        const float dx = x - 200, top = 90;
        const bool inDoor = std::fabs(dx) < 90 && (y > top || dx * dx + (y - top) * (y - top) < 90 * 90) && y < 300;
        if (inDoor)
        {
            c = Mix(C(40, 44, 70), C(20, 22, 40), y / 300);
            // Carved rings on the Door, glowing.
            const float ring = std::sqrt(dx * dx + (y - 170) * (y - 170));
            const float carve = std::fabs(std::fmod(ring, 26.0f) - 13);
            if (carve < 2 && ring < 80)
                c = Mix(c, C(140, 220, 255), 0.9f);
        }
        return c;
    });
    Glow(img, 200, 170, 110, C(120, 200, 255), 0.35f);
    Orb(img, 200, 170, 12, C(160, 230, 255), 1.0f);
    // The sound behind the Door: three arcs on each side.
    for (int side = -1; side <= 1; side += 2)
        for (int k = 0; k < 3; ++k)
        {
            const float r = 105 + 16 * k;
            for (int s = -3; s < 3; ++s)
            {
                const float a0 = s * 0.12f, a1 = (s + 1) * 0.12f;
                Stroke(img, 200 + side * r * std::cos(a0), 170 + r * std::sin(a0), 200 + side * r * std::cos(a1),
                       170 + r * std::sin(a1), 3, C(200, 240, 255, 0.8f));
            }
        }
}

void SceneTreasury(Image& img, const Noise& n)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        Rgba c = Mix(C(40, 30, 30), C(14, 10, 12), y / 300);
        // Vault arches along the back wall.
        const float ax = std::fmod(x, 130.0f) - 65;
        if (y < 200 && ax * ax + (y - 140) * (y - 140) < 55 * 55 && y > 40)
            c = Mix(C(8, 6, 10), c, 0.3f);
        // Hills of coins: gold mounds glittering where the noise peaks.
        const float hill = 230 - 60 * std::max(0.0f, std::cos((x - 120) / 70.0f)) * (x < 230 ? 1.0f : 0.0f) -
                           40 * std::max(0.0f, std::cos((x - 330) / 50.0f)) * (x > 250 ? 1.0f : 0.0f);
        if (y > hill)
        {
            c = Mix(C(240, 190, 80), C(130, 80, 20), Clamp01((y - hill) / 80) + 0.4f * n.At(x / 4.0f, y / 4.0f));
            if (n.At(x / 2.0f, y / 2.0f) > 0.9f)
                c = C(255, 250, 220);
        }
        return c;
    });
    // A gem glowing between the hills, and a guard with his spear on each side.
    Glow(img, 240, 190, 90, C(255, 120, 230), 0.45f);
    Orb(img, 240, 190, 14, kTokenHues[6], 0.9f);
    for (float gx : {40.0f, 360.0f})
    {
        img.Shade(int(gx) - 20, 120, 40, 180, [&](float x, float y) {
            const float head = std::sqrt((x - 20) * (x - 20) + (y - 14) * (y - 14)) - 11;
            const float body = std::max(std::fabs(x - 20) - 14 + y * 0.04f, std::fabs(y - 95) - 70);
            return WithAlpha(C(6, 4, 8), Cover(std::min(head, body)));
        });
        Stroke(img, gx + 22, 100, gx + 22, 290, 4, C(6, 4, 8));
        Stroke(img, gx + 22, 92, gx + 22, 108, 8, C(200, 200, 210));
    }
}

void SceneOrblightOverCity(Image& img, const Noise& n, bool restored)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        return restored ? NightSky(n, x, y, C(12, 16, 50), C(70, 60, 110))
                        : Mix(C(250, 214, 140), C(255, 244, 210), Clamp01(y / kSceneH));
    });
    Glow(img, 200, 90, 190, C(255, 236, 170), restored ? 0.7f : 0.9f);
    Orb(img, 200, 90, 40, C(255, 214, 110), 0.8f);
    if (restored)
        for (int k = 0; k < 7; ++k)
        {
            const float a = k * 2 * kPi / 7 - kPi / 2;
            Orb(img, 200 + 66 * std::cos(a), 90 + 66 * std::sin(a), 9, kTokenHues[k], 0.8f);
        }
    Skyline(img, n, 300, restored);
}

void SceneShattered(Image& img, const Noise& n)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) { return NightSky(n, x, y, C(8, 8, 30), C(40, 40, 80)); });
    Orb(img, 200, 110, 38, C(120, 110, 100), 0.2f);
    // Cracks across the orb, and the seven gems flying out with trails.
    const float cracks[4][4] = {{176, 86, 206, 114}, {206, 114, 190, 146}, {206, 114, 234, 100}, {190, 80, 206, 114}};
    for (const auto& c : cracks)
        Stroke(img, c[0], c[1], c[2], c[3], 3, C(255, 250, 230));
    for (int k = 0; k < 7; ++k)
    {
        const float a = kPi * (1.1f + 0.8f * k / 6.0f);
        const float ex = 200 + 170 * std::cos(a) * (k % 2 ? 0.8f : 1.0f), ey = 110 - 90 * std::sin(a) + 60;
        Stroke(img, 200 + 45 * std::cos(a), 110 - 45 * std::sin(a) + 20, ex, ey, 4, WithAlpha(kTokenHues[k], 0.45f));
        Orb(img, ex, ey, 9, kTokenHues[k], 1.0f);
    }
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        const float land = 250 + 20 * n.Fractal(x / 50.0f, 7.0f, 3);
        return y > land ? Mix(C(30, 40, 36), C(14, 18, 16), (y - land) / 50) : Rgba{0, 0, 0, 0};
    });
}

void SceneLantern(Image& img, const Noise& n)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        return Mix(C(30, 22, 20), C(10, 8, 8), n.Fractal(x / 30.0f, y / 30.0f, 3) * 0.5f + y / 600);
    });
    Glow(img, 200, 170, 170, C(255, 200, 110), 0.8f);
    // The lantern: a ring and handle, a glass body with its flame, a base.
    img.Shade(150, 30, 100, 250, [&](float x, float y) {
        const float dx = x - 50;
        const float handle = std::fabs(std::sqrt(dx * dx + (y - 60) * (y - 60)) - 28) - 3;
        const float cap = std::max(std::fabs(dx) - 36 + (y - 70) * 0.6f, std::fabs(y - 80) - 10);
        const float glass = std::max(std::fabs(dx) - 34, std::fabs(y - 145) - 55);
        const float base = std::max(std::fabs(dx) - 40, std::fabs(y - 208) - 8);
        if (glass < 0)
        {
            const float flame = std::sqrt(dx * dx * 4 + (y - 150) * (y - 150)) / 40;
            return Mix(C(255, 250, 220), C(255, 170, 60, 0.85f), Clamp01(flame));
        }
        const float metal = std::min({y < 60 ? handle : 99.0f, cap, base, std::fabs(std::fabs(dx) - 35) - 3 + (std::fabs(y - 145) < 56 ? 0 : 99)});
        return WithAlpha(Mix(kGoldLight, kGoldDark, Clamp01(y / 240)), Cover(metal));
    });
    // The gems still to gather, far off.
    for (int k = 0; k < 7; ++k)
        Orb(img, 40 + 53 * k, 272 - 14 * (k % 2), 7, kTokenHues[k], 1.0f);
}

// A few tokens in a row, as the board draws them.
void Tokens(Image& img, float x, float y, const std::vector<int>& colours, float pitch, float radius)
{
    for (size_t i = 0; i < colours.size(); ++i)
        if (colours[i] >= 0)
            Orb(img, x + pitch * i, y, radius, kTokenHues[colours[i]], 0.2f);
}

// Help, page 1: a swap of two neighbours makes a row of three (framed); a gem rides
// on one of its tokens.
void SceneHowToSwap(Image& img, const Noise&)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float x, float y) {
        const bool dark = (int(x / 66) + int(y / 66)) % 2;
        return dark ? C(30, 36, 96) : C(40, 48, 120);
    });
    Tokens(img, 33, 33, {3, 1, 4, 2, 5, 6}, 66, 26);
    Tokens(img, 33, 99, {0, 0, 2, 3, 3, 1}, 66, 26);
    Tokens(img, 33, 165, {4, 6, 0, 5, 1, 2}, 66, 26);
    Tokens(img, 33, 231, {1, 3, 5, 4, 2, 0}, 66, 26);
    Star(img, 33 + 66, 99, 13, C(255, 220, 90), 0.5f);
    // Swap the red and the green below it: the green completes the row.
    Stroke(img, 165, 108, 165, 156, 6, C(255, 255, 255));
    ArrowHead(img, 165, 160, 0, 1, 14, C(255, 255, 255));
    ArrowHead(img, 165, 104, 0, -1, 14, C(255, 255, 255));
    img.Shade(0, 66, 198, 66, [&](float x, float y) {
        const float d = RoundRect(x - 99, y - 33, 95, 31, 28);
        return WithAlpha(C(255, 240, 160), Cover(std::fabs(d) - 2));
    });
}

// Help, page 2: four in a row leave a bonus; a totem charged by one colour.
void SceneHowToBonus(Image& img, const Noise&)
{
    img.Shade(0, 0, kSceneW, kSceneH, [&](float, float y) {
        return Mix(C(36, 40, 100), C(16, 18, 50), y / kSceneH);
    });
    Tokens(img, 40, 60, {2, 2, 2, 2}, 60, 24);
    img.Shade(8, 28, 244, 64, [&](float x, float y) {
        return WithAlpha(C(255, 240, 160), Cover(std::fabs(RoundRect(x - 122, y - 32, 118, 29, 26)) - 2));
    });
    Stroke(img, 130, 100, 130, 150, 6, C(255, 255, 255));
    ArrowHead(img, 130, 156, 0, 1, 14, C(255, 255, 255));
    Orb(img, 130, 200, 30, kTokenHues[2], 0.3f);
    Star(img, 130, 200, 20, C(255, 220, 90), 0.8f);
    // The red totem, lit by its charge.
    Glow(img, 320, 150, 90, C(255, 120, 90), 0.6f);
    img.Shade(290, 40, 60, 240, [&](float x, float y) {
        const float seg = std::fmod(y, 60.0f);
        const float d = std::fabs(x - 30) - (22 + 5 * std::sin(seg / 60.0f * kPi));
        Rgba c = Mix(C(110, 30, 20), kTokenHues[2], Clamp01(1 - std::fabs(x - 22) / 30));
        if (seg < 5)
            c = kGold;
        return WithAlpha(c, Cover(d));
    });
}

using Scene = void (*)(Image&, const Noise&);

// A parchment page, 512 x 512, with the scene in a frame and columns of print below.
Image Page(uint32_t seed, const std::function<void(Image&, const Noise&)>& scene)
{
    const Noise n(seed, 8);
    Image picture(kSceneW, kSceneH, C(0, 0, 0));
    scene(picture, n);
    Image img(512, 512);
    img.Shade(0, 0, 512, 512, [&](float x, float y) {
        Rgba c = Mix(C(236, 222, 188), C(200, 178, 136), n.Fractal(x / 40.0f, y / 40.0f, 4));
        const float edge = std::min({x, y, 512 - x, 512 - y});
        c = Mix(c, C(120, 90, 50), Smooth(24, 0, edge) * 0.6f);
        const float box = RoundRect(x - 256, y - 200, 200, 150, 6);
        if (box < 0)
        {
            const Rgba p = picture.at(std::min(kSceneW - 1, int(x) - 56), std::min(kSceneH - 1, int(y) - 50));
            // Old ink: the colours a little warmed toward the paper.
            c = Mix(WithAlpha(p, 1.0f), c, 0.12f + 0.1f * n.Fractal(x / 20.0f, y / 20.0f, 2));
        }
        else if (box < 4)
            c = C(80, 56, 30);
        if (y > 380 && y < 490 && std::fmod(y - 380, 14.0f) < 6)
        {
            const float col = std::fmod(x - 40, 148.0f);
            if (x > 40 && x < 472 && col < 134 && n.At(x / 9.0f, y / 14.0f) > 0.25f)
                c = Mix(c, C(60, 44, 30), 0.55f);
        }
        return c;
    });
    return img;
}

// Newspaper pages 1..4 follow the stages (jungle, valley, Door, Treasury), page 5
// the quest's end; the help's two pages show the swap and the bonus with the totem;
// the intro's three pages sit in the quarters of one picture (top left, top right,
// bottom left), which its page widgets address.
void Pages(const std::filesystem::path& gfx)
{
    const Scene news[5] = {SceneJungle, SceneValley, SceneDoor, SceneTreasury,
                           [](Image& i, const Noise& n) { SceneOrblightOverCity(i, n, true); }};
    for (int i = 0; i < 5; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof(name), "Newspaper%d.jpg", i + 1);
        Write(gfx / name, Page(uint32_t(41 + i), news[i]), 3);
    }
    Write(gfx / "HelpPage1.jpg", Page(51, SceneHowToSwap), 3);
    Write(gfx / "HelpPage2.jpg", Page(52, SceneHowToBonus), 3);

    const Scene intro[3] = {[](Image& i, const Noise& n) { SceneOrblightOverCity(i, n, false); }, SceneShattered,
                            SceneLantern};
    Image atlas(1024, 1024, C(0, 0, 0));
    for (int k = 0; k < 3; ++k)
    {
        const Image page = Page(uint32_t(53 + k), intro[k]);
        const int ox = (k % 2) * 512, oy = (k / 2) * 512;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                atlas.at(ox + x, oy + y) = page.px[size_t(y) * 512 + x];
    }
    Write(gfx / "Intro.jpg", atlas, 3);

    // The trophy hall: shelves under warm light, 512 x 512. The screen shows its top
    // 384 rows at two pixels a texel, drifting sideways only (Skin.cfg, [Trophies]), so
    // a screen row y is texel row y / 2. Each row of trophies (80 x 80 icons ending at
    // screen y 210, 410, 610, their names just below) stands on a plank whose top is
    // at the icons' feet.
    const Noise wood(61, 16);
    Image hall(512, 512);
    hall.Shade(0, 0, 512, 512, [&](float x, float y) {
        Rgba c = Mix(C(60, 34, 20), C(28, 14, 8), wood.Fractal(x / 8.0f, y / 64.0f, 3));
        for (const float screenTop : {206.0f, 406.0f, 606.0f})
        {
            const float t = y - screenTop / 2.0f;
            if (t >= 0.0f && t < 2.0f) // the plank's lit top
                c = C(150, 100, 56);
            else if (t >= 2.0f && t < 11.0f) // its front edge
                c = Mix(C(120, 74, 36), C(70, 40, 18), (t - 2.0f) / 9.0f);
            else if (t >= 11.0f && t < 16.0f) // its shadow on the wall
                c = Mix(C(14, 8, 4), c, (t - 11.0f) / 5.0f);
        }
        const float glow = std::exp(-((x - 256) * (x - 256)) / 40000.0f);
        return Mix(c, C(255, 200, 120), 0.18f * glow);
    });
    Write(gfx / "Trophies.jpg", hall, 3);
}

// Splash logos: the studio's kestrel emblem and the game's orb, 256 x 256 each.
void Logos(const std::filesystem::path& gfx)
{
    Image studio(256, 256);
    studio.Shade(0, 0, 256, 256, [&](float x, float y) {
        const float dx = x - 128, dy = y - 128, d = std::sqrt(dx * dx + dy * dy);
        if (d > 110)
            return WithAlpha(C(120, 160, 255), 0.4f * Clamp01(1 - (d - 110) / 18));
        if (d > 100)
            return WithAlpha(GoldRim(110 - d, 10), 1.0f);
        Rgba c = Mix(C(30, 40, 90), C(8, 10, 30), d / 100);
        // A kestrel in flight seen from below: raised wings curving down at their
        // tips, a short body and a fanned tail.
        const float ax = std::fabs(dx);
        if (ax < 84)
        {
            const float centre = -6 - 30 * std::sin(ax / 84.0f * kPi * 0.85f);
            const float half = 9.0f * (1 - ax / 100.0f);
            const float wing = std::fabs(dy - centre) - half;
            if (wing < 0.5f)
                c = Mix(c, Mix(kGoldLight, kGold, ax / 84), Cover(wing));
        }
        const float body = std::sqrt(dx * dx / 64.0f + (dy - 8) * (dy - 8) / 900.0f) - 1.0f;
        if (body < 0.05f)
            c = Mix(c, Mix(kGoldLight, kGold, (dy + 20) / 60), Cover(body * 8));
        const float tail = std::fabs(dx) - (dy - 34) * 0.45f;
        if (dy > 34 && dy < 60 && tail < 0.5f)
            c = Mix(c, kGold, Cover(tail));
        return c;
    });
    Write(gfx / "LogoStudio.png", studio, 4);

    Image orb(256, 256);
    orb.Shade(0, 0, 256, 256, [&](float x, float y) {
        const float dx = x - 128, dy = y - 128, d = std::sqrt(dx * dx + dy * dy);
        const float rays = std::pow(std::fabs(std::cos(std::atan2(dy, dx) * 8)), 16.0f);
        return WithAlpha(C(255, 236, 170), Clamp01(1 - d / 128) * (0.3f + 0.5f * rays));
    });
    Orb(orb, 128, 128, 56, C(255, 206, 96), 0.6f);
    // A thin ring around the orb.
    orb.Shade(0, 0, 256, 256, [&](float x, float y) {
        const float e = std::sqrt((x - 128) * (x - 128) / 1.0f + (y - 128) * (y - 128) * 9.0f);
        return WithAlpha(kGoldLight, 0.8f * Cover(std::fabs(e - 100) - 2.5f) * (y > 128 || e > 100 ? 1.0f : 0.0f));
    });
    Write(gfx / "LogoOrb.png", orb, 4);
}

// The emblem of the main menu's title plaque, 512 x 128.
void Plaque(const std::filesystem::path& gfx)
{
    Image img(512, 128);
    img.Shade(0, 0, 512, 128, [&](float x, float y) {
        const float d = RoundRect(x - 256, y - 64, 248, 52, 40);
        if (d > 0)
            return Rgba{0, 0, 0, 0.5f * Clamp01(1 - d / 8)};
        if (-d < 7)
            return WithAlpha(GoldRim(-d, 7), Cover(d));
        return Mix(C(40, 30, 80), C(14, 10, 34), (y - 12) / 104);
    });
    Orb(img, 40, 64, 18, C(120, 220, 255), 0.5f);
    Orb(img, 472, 64, 18, C(120, 220, 255), 0.5f);
    Write(gfx / "Plaque.png", img, 4);
}

// A five-pointed star turned by `turn` radians, with a gold bevel and a soft glow.
void TurnedStar(Image& img, float cx, float cy, float r, float turn, const Rgba& fill, float glow)
{
    const float reach = r * (1 + glow);
    const int x0 = int(cx - reach) - 1, y0 = int(cy - reach) - 1;
    const int size = int(reach * 2) + 3;
    img.Shade(x0, y0, size, size, [&](float x, float y) {
        const float dx = x0 + x - cx, dy = y0 + y - cy;
        const float a = std::atan2(dx, -dy) - turn;
        const float d = std::sqrt(dx * dx + dy * dy);
        const float k = std::fmod(a + 4 * kPi + kPi / 5, 2 * kPi / 5) - kPi / 5;
        // Straight-edged points: the edge runs from a tip (radius r) to the inner
        // corner (radius 0.42 r) a fifth of a half-turn away.
        const float th = std::fabs(k), a5 = kPi / 5, in = 0.42f * r;
        const float edge = r * in * std::sin(a5) / (in * std::sin(a5) * std::cos(th) - std::sin(th) * (in * std::cos(a5) - r));
        if (d > edge)
            return WithAlpha(fill, 0.55f * glow * Clamp01(1 - (d - edge) / (reach - r * 0.42f)));
        // The ridge from each point to the centre catches the light on one side.
        const float ridge = Clamp01(1 - std::fabs(k) * 6.0f);
        Rgba c = Mix(Scale(fill, 0.75f), kGoldLight, Clamp01(1 - d / edge) * 0.7f);
        c = Mix(c, C(255, 255, 255), 0.35f * ridge * (k > 0 ? 1.0f : 0.2f));
        c = Mix(c, kGoldDark, Smooth(2.5f, 0.0f, edge - d) * 0.6f);
        return WithAlpha(c, Cover(d - edge));
    });
}

// A round socket sunk into the frame: where a star may rest. Locked sockets carry a
// small padlock.
void Socket(Image& img, float cx, float cy, float r, bool locked)
{
    img.Shade(int(cx - r) - 2, int(cy - r) - 2, int(2 * r) + 5, int(2 * r) + 5, [&](float x, float y) {
        const float dx = int(cx - r) - 2 + x - cx, dy = int(cy - r) - 2 + y - cy;
        const float d = std::sqrt(dx * dx + dy * dy) - r;
        if (d > 0)
            return Rgba{0, 0, 0, 0};
        if (-d < 3.0f)
            return WithAlpha(GoldRim(-d, 3.0f), Cover(d));
        Rgba c = Mix(C(8, 10, 26), C(34, 38, 78), Clamp01((dy + r) / (2 * r)));
        return WithAlpha(c, 0.95f);
    });
    if (!locked)
        return;
    const Rgba steel = C(190, 196, 214);
    img.Shade(int(cx - r), int(cy - r), int(2 * r), int(2 * r), [&](float x, float y) {
        const float dx = x - r, dy = y - r;
        const float body = RoundRect(dx, dy - r * 0.18f, r * 0.42f, r * 0.32f, r * 0.08f);
        const float hoop = std::fabs(std::sqrt(dx * dx + (dy + r * 0.14f) * (dy + r * 0.14f)) - r * 0.28f) - r * 0.07f;
        const float shackle = dy < -r * 0.14f ? hoop : 1e9f;
        const float d = std::min(body, shackle);
        Rgba c = Mix(steel, C(90, 94, 110), Clamp01((dy + r) / (2 * r)));
        if (body < 0 && std::sqrt(dx * dx + (dy - r * 0.16f) * (dy - r * 0.16f)) < r * 0.09f)
            c = C(20, 20, 30);
        return WithAlpha(c, Cover(d));
    });
}

// The shop's item pictures, 84 x 84 each: what every upgrade is at a glance.
void ShopItemIcon(Image& img, int item, float cx, float cy)
{
    // The totem items' places stay empty: the totems manager shows them; so does the
    // sand-glass upgrade's, whose glass the shop builds from its own two pictures.
    const bool drawnByShop[16] = {true, true, true, true, true, true, false, true, false, true};
    if (drawnByShop[item])
        return;
    const Rgba ink = C(255, 238, 190);
    switch (item)
    {
    case 6:  // level time: a clock face
        RoundFace(img, cx, cy, 30, C(250, 244, 226), C(200, 186, 150), 1.0f);
        Stroke(img, cx, cy, cx, cy - 20, 4, C(60, 40, 20));
        Stroke(img, cx, cy, cx + 14, cy + 6, 4, C(60, 40, 20));
        break;
    case 8:  // gem count: a cut gem
        img.Shade(int(cx - 30), int(cy - 28), 60, 56, [&](float x, float y) {
            const float dx = x - 30, dy = y - 20;
            const float d = dy < 0 ? std::max(-dy - 12, std::fabs(dx) - 28 - dy * 0.5f) : std::fabs(dx) * 0.8f + dy - 26;
            const float facet = std::fmod(std::fabs(dx) / 10.0f + (dy < 0 ? 0.5f : 0.0f), 1.0f);
            Rgba c = Mix(C(90, 230, 255), C(20, 120, 200), facet);
            return WithAlpha(c, Cover(d));
        });
        Glow(img, cx - 8, cy - 12, 10, C(255, 255, 255), 0.8f);
        break;
    case 10:  // TNT: a red stick with a lit fuse
        ButtonFace(img, int(cx - 18), int(cy - 22), 36, 50, C(230, 60, 40), C(120, 20, 10), 0.3f, 0);
        Stroke(img, cx + 4, cy - 22, cx + 12, cy - 32, 3, C(60, 50, 40));
        Glow(img, cx + 13, cy - 33, 10, C(255, 200, 80), 1.0f);
        break;
    case 11:  // score: a gold coin
        RoundFace(img, cx, cy, 28, C(255, 222, 110), C(190, 130, 30), 1.0f);
        TurnedStar(img, cx, cy, 14, 0.0f, C(255, 250, 210), 0.0f);
        break;
    case 12:  // time bonus: a small clock with a plus
        RoundFace(img, cx - 4, cy + 4, 24, C(180, 230, 255), C(60, 140, 220), 1.0f);
        Stroke(img, cx - 4, cy + 4, cx - 4, cy - 12, 3, C(20, 40, 80));
        Stroke(img, cx - 4, cy + 4, cx + 8, cy + 8, 3, C(20, 40, 80));
        Symbol(img, cx + 20, cy - 20, 12, 0, 1.0f);
        break;
    case 13:  // flash: a lightning bolt
    {
        const float px[7] = {8, -14, -2, -10, 14, 2, 10};
        const float py[7] = {-32, 2, 2, 32, -4, -4, -32};
        for (int k = 0; k + 1 < 7; ++k)
            Stroke(img, cx + px[k], cy + py[k], cx + px[k + 1], cy + py[k + 1], 6, C(255, 240, 120));
        Glow(img, cx, cy, 30, C(255, 250, 160), 0.5f);
        break;
    }
    case 14:  // solidarity: two linked rings
        for (float side : {-1.0f, 1.0f})
            img.Shade(int(cx - 34), int(cy - 24), 68, 48, [&](float x, float y) {
                const float dx = x - 34 - side * 11, dy = y - 24;
                const float d = std::fabs(std::sqrt(dx * dx + dy * dy) - 17) - 4;
                return WithAlpha(Mix(ink, kGold, Clamp01(dy / 24 + 0.5f)), Cover(d));
            });
        break;
    default:  // adviser: an eye
        img.Shade(int(cx - 32), int(cy - 20), 64, 40, [&](float x, float y) {
            const float dx = (x - 32) / 30, dy = (y - 20) / 18;
            const float d = (std::fabs(dy) + dx * dx - 1) * 16;
            return WithAlpha(C(250, 248, 236), Cover(d));
        });
        Orb(img, cx, cy, 11, C(80, 160, 255), 0.0f);
        Orb(img, cx, cy, 4, C(10, 10, 20), 0.0f);
        break;
    }
}

// The shop's sand glass, two pictures of 178 x 60 that the shop lays one over the
// other: the front (a gold-rimmed tube with end caps and a low heap of sand in it)
// at (162, 440) and the glass (a pale pane with a shine, tinted by the shop) at
// (0, 380).
void ShopSandGlass(Image& img)
{
    const float hw = 89.0f, hh = 30.0f, radius = 24.0f, rim = 4.0f;
    img.Shade(162, 440, 178, 60, [&](float x, float y) {
        const float dx = x - hw, dy = y - hh;
        const float d = RoundRect(dx, dy, hw - 1.0f, hh - 1.0f, radius);
        if (d > 0)
            return Rgba{0, 0, 0, 0};
        // End caps: gold plates across each end of the tube.
        const float cap = std::fabs(dx) - (hw - 12.0f);
        if (-d < rim || cap > 0)
            return WithAlpha(GoldRim(std::min(-d, cap > 0 ? hw - 1.0f - std::fabs(dx) : -d), rim + 4.0f), Cover(d));
        // The sand: a low wavy heap along the floor.
        const float surface = hh - 14.0f + 3.0f * std::sin(dx * 0.11f) + 2.0f * std::sin(dx * 0.31f + 1.0f);
        if (dy > surface)
        {
            const float depth = Clamp01((dy - surface) / 12.0f);
            const float grain = 0.08f * std::sin(x * 1.7f + y * 2.3f) * std::sin(x * 0.9f - y * 1.3f);
            return WithAlpha(Mix(C(250, 224, 120), C(170, 120, 40), depth + grain), Cover(surface - dy));
        }
        return Rgba{0, 0, 0, 0};
    });
    img.Shade(0, 380, 178, 60, [&](float x, float y) {
        const float dx = x - hw, dy = y - hh;
        const float d = RoundRect(dx, dy, hw - rim, hh - rim, radius - rim);
        if (d > 0)
            return Rgba{0, 0, 0, 0};
        const float shine = std::exp(-std::pow((dy + hh * 0.45f) / 3.5f, 2.0f)) * (1.0f - Smooth(hw - 26.0f, hw - 8.0f, std::fabs(dx)));
        const float edge = 1.0f - Smooth(0.0f, 6.0f, -d);
        return WithAlpha(C(255, 255, 255), Cover(d) * Clamp01(0.22f + 0.7f * shine + 0.35f * edge));
    });
}

// The shop: controls atlases and the totem pictures (512 x 512 each).
void Shop(const std::filesystem::path& gfx)
{
    // ShopCtrls1: item frames 128 x 128 (normal (0, 0), lit (128, 0)), the large star
    // at (256, 0), the star source's trough (0, 128)-(264, 176), the rays below it, the dial disc in
    // (303, 380)-(391, 468), a star resting on a place (392, 384) and a locked place
    // (448, 384), 56 x 56 each.
    Image ctrls(512, 512);
    for (int k = 0; k < 2; ++k)
        ctrls.Shade(k * 128, 0, 128, 128, [&](float x, float y) {
            const float d = RoundRect(x - 64, y - 64, 58, 58, 14);
            if (d > 0)
                return Rgba{0, 0, 0, 0.4f * Clamp01(1 - d / 5)};
            if (-d < 5)
                return WithAlpha(Mix(GoldRim(-d, 5), kGoldLight, 0.4f * k), Cover(d));
            return WithAlpha(Mix(C(30, 36, 80), C(10, 12, 32), y / 128), 0.9f);
        });
    TurnedStar(ctrls, 256 + 64, 64, 44, 0.0f, C(255, 200, 60), 0.4f);
    ctrls.Shade(0, 128, 264, 48, [&](float x, float y) {
        const float d = RoundRect(x - 132, y - 24, 129, 21, 12);
        if (d > 0)
            return Rgba{0, 0, 0, 0.5f * Clamp01(1 - d / 3)};
        if (-d < 3)
            return WithAlpha(GoldRim(-d, 3), Cover(d));
        const Rgba c = Mix(C(6, 8, 22), C(28, 30, 64), y / 48);
        return WithAlpha(Mix(c, C(0, 0, 0), Smooth(8, 2, -d) * 0.6f), 0.95f);
    });
    ctrls.Shade(303, 380, 88, 88, [&](float x, float y) {
        const float d = std::sqrt((x - 44) * (x - 44) + (y - 44) * (y - 44));
        return WithAlpha(C(255, 255, 255), Cover(d - 42));
    });
    Socket(ctrls, 420, 412, 24, false);
    TurnedStar(ctrls, 420, 412, 21, 0.0f, C(255, 196, 50), 0.0f);
    Socket(ctrls, 476, 412, 24, true);
    // The rays behind the big star (0, 176)-(200, 376), added to the screen: twelve soft
    // rays round a glowing core, gone before the square that turns inside the picture
    // reaches its edge (70 of the 200 texels from the centre).
    ctrls.Shade(0, 176, 200, 200, [&](float x, float y) {
        const float dx = x - 100, dy = y - 100, r = std::sqrt(dx * dx + dy * dy);
        const float ray = std::pow(0.5f + 0.5f * std::cos(12.0f * std::atan2(dy, dx)), 3.0f);
        const float fade = 1.0f - Smooth(20.0f, 68.0f, r);
        const float light = Clamp01(0.8f * ray * fade + 0.9f * std::exp(-r * r / 500.0f));
        return WithAlpha(C(255, 230, 150), light);
    });
    Write(gfx / "ShopCtrls1.png", ctrls, 4);

    // ShopCtrls2: the sixteen item pictures of 84 x 84 in (0, 0)-(336, 336), four to a
    // row; the spinning star's eight frames of 84 x 84 in two columns from (336, 0),
    // each turned a further ninth of a point; the source's star (336, 336)-(432, 432);
    // the sand glass's glass (0, 380)-(178, 440) and front (162, 440)-(340, 500).
    Image items(512, 512);
    for (int i = 0; i < 16; ++i)
        ShopItemIcon(items, i, (i % 4) * 84 + 42.0f, (i / 4) * 84 + 42.0f);
    for (int f = 0; f < 8; ++f)
        TurnedStar(items, 336 + 84 * (f / 4) + 42.0f, 84 * (f % 4) + 42.0f, 34, f * (2 * kPi / 5) / 8, C(255, 200, 60), 0.2f);
    TurnedStar(items, 384, 384, 40, 0.0f, C(255, 206, 70), 0.18f);
    ShopSandGlass(items);
    Write(gfx / "ShopCtrls2.png", items, 4);

    // The totem pictures of the shop ("ShopColor", "ShopMul", "ShopBW") are the totems'
    // own bodies, drawn by totemgen.
    Image frame(512, 512);
    frame.Shade(0, 0, 512, 512, [&](float x, float y) {
        const float d = RoundRect(x - 256, y - 256, 250, 250, 30);
        if (d > 0)
            return Rgba{0, 0, 0, 0};
        if (-d < 10)
            return WithAlpha(GoldRim(-d, 10), Cover(d));
        return WithAlpha(Mix(C(30, 26, 60), C(12, 10, 28), y / 512), 0.92f);
    });
    Write(gfx / "ShopFrame.png", frame, 4);
}

// A panel for menus and the play screen's side: a translucent night-blue plate with a
// gold edge and corner bosses, 256 x 512 (stretched by the forms).
void MenuPanel(const std::filesystem::path& gfx)
{
    Image img(256, 512);
    img.Shade(0, 0, 256, 512, [&](float x, float y) {
        const float d = RoundRect(x - 128, y - 256, 124, 252, 22);
        if (d > 0)
            return Rgba{0, 0, 0, 0.45f * Clamp01(1 - d / 4)};
        if (-d < 6)
            return WithAlpha(GoldRim(-d, 6), Cover(d));
        Rgba c = Mix(C(36, 40, 90), C(12, 12, 34), y / 512);
        c = Mix(c, C(0, 0, 0), Smooth(16, 6, -d) * 0.5f);
        return WithAlpha(c, 0.86f);
    });
    for (float cy : {22.0f, 490.0f})
        for (float cx : {22.0f, 234.0f})
            Orb(img, cx, cy, 7, C(255, 214, 120), 0.3f);
    Write(gfx / "MenuPanel.png", img, 4);

    // The same plate for wide places (the map's story), 512 x 128.
    Image wide(512, 128);
    wide.Shade(0, 0, 512, 128, [&](float x, float y) {
        const float d = RoundRect(x - 256, y - 64, 252, 60, 20);
        if (d > 0)
            return Rgba{0, 0, 0, 0.45f * Clamp01(1 - d / 4)};
        if (-d < 5)
            return WithAlpha(GoldRim(-d, 5), Cover(d));
        Rgba c = Mix(C(36, 40, 90), C(12, 12, 34), y / 128);
        return WithAlpha(c, 0.88f);
    });
    Write(gfx / "WidePanel.png", wide, 4);
}

// The gem bar's frame and filling, 256 x 256, at the rectangles the bar addresses:
// overlay left (3, 1)-(206, 47), overlay right (48, 49)-(253, 95), filling left
// (4, 96)-(208, 128), filling right (48, 128)-(251, 160).
void GemProgress(const std::filesystem::path& gfx)
{
    Image img(256, 256);
    auto overlay = [&](int x0, int y0, int w, bool leftEnd) {
        img.Shade(x0, y0, w, 46, [&](float x, float y) {
            const float ex = leftEnd ? x : w - x;
            const float d = std::min(RoundRect(ex - 30, y - 23, 40, 20, 18), std::fabs(y - 23) - 20);
            if (d > 0)
                return Rgba{0, 0, 0, 0};
            if (-d < 4)
                return WithAlpha(GoldRim(-d, 4), Cover(d));
            return Rgba{0.05f, 0.06f, 0.15f, 0.25f};
        });
    };
    overlay(3, 1, 203, true);
    overlay(48, 49, 205, false);
    auto filling = [&](int x0, int y0, int w) {
        img.Shade(x0, y0, w, 32, [&](float, float y) {
            const float t = y / 32;
            Rgba c = Mix(C(160, 240, 255), C(20, 110, 200), t);
            c = Mix(c, C(255, 255, 255), 0.4f * Smooth(0.4f, 0.0f, t));
            return c;
        });
    };
    filling(4, 96, 204);
    filling(48, 128, 203);
    Write(gfx / "GemProgress.png", img, 4);
}

// "PanelGlass.png": the flash a bonus or a totem gives where it arrives at the panel,
// a soft white glow with a glint across it.
void PanelGlass(const std::filesystem::path& gfx)
{
    Image img(128, 128);
    Glow(img, 64, 64, 63, C(255, 255, 255), 1.0f);
    Stroke(img, 30, 98, 98, 30, 5, WithAlpha(C(255, 255, 255), 0.45f));
    Write(gfx / "PanelGlass.png", img, 4);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: uigen <game folder>\n");
        return 2;
    }
    const std::filesystem::path gfx = std::filesystem::path(argv[1]) / "Data" / "Gfx";
    std::filesystem::create_directories(gfx);
    // The main menu's corner logo is a link to the makers' website; the game ships no
    // website link, so it ships no logo either (an orb that lights up and leads nowhere).
    // Logos an older run left behind go.
    const std::filesystem::path fsdata = std::filesystem::path(argv[1]) / "fsdata";
    std::error_code ignored;
    for (const char* file : {"logo_a.png", "logo_na.png"})
        std::filesystem::remove(fsdata / file, ignored);
    PanelTiles(gfx);
    Buttons(gfx);
    Gauge(gfx);
    Map(gfx);
    Pages(gfx);
    Logos(gfx);
    Plaque(gfx);
    Shop(gfx);
    GemProgress(gfx);
    MenuPanel(gfx);
    PanelGlass(gfx);
    Image white(8, 8, C(255, 255, 255));
    Write(gfx / "White.png", white, 4);
    return g_ok ? 0 : 1;
}
