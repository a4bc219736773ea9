// gemgen: draws the pictures of the gems, the gem bar's gems and the bonuses into the
// graphics folder of the game folder:
//   BarGems.bmp               the gem bar's seven gem pictures, 24-bit, 320 x 80:
//                             colours in rows 0..39 (40 x 40 per token colour),
//                             their alpha masks in rows 40..79 (blue = alpha)
//   AllGems.png               gem pictures, 512 x 256: 4 x 2 cells of 96 x 96
//   AllGemLights.jpg (+_alpha) gem halos, 512 x 256: 4 x 2 cells of 128 x 128
//   GemFlares.tga             big flares (two 128 x 128 in the top half) and
//                             small flares (four 64 x 64 from v 0.625)
//   Bonus1.png .. Bonus5.tga  the line-of-four bonuses' atlases
//
// Every gem kind has its own cut, echoing the shape of its token, so that the
// gems read without their colour: green hexagon, yellow star, red triangle,
// blue round brilliant, orange cushion, white rhombus, violet pear (and a teal
// octagon for the spare kind 7).
//
// Usage: gemgen <game folder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/ImageWrite.h"
#include "tools/common/PixelMaths.h"

namespace
{

using namespace tools;

const Rgb kWhite{1, 1, 1};

// Straight-alpha RGBA picture, floats 0..1.
struct Picture
{
    int width, height;
    std::vector<float> px;
    Picture(int w, int h) : width(w), height(h), px(size_t(w) * h * 4, 0.0f) {}
    float* At(int x, int y) { return &px[(size_t(y) * width + x) * 4]; }
    void Blend(int x, int y, Rgb c, float a)
    {
        if (a <= 0.0f || x < 0 || y < 0 || x >= width || y >= height)
            return;
        a = Clamp01(a);
        float* p = At(x, y);
        const float outA = a + p[3] * (1.0f - a);
        if (outA <= 0.0f)
            return;
        p[0] = (c.r * a + p[0] * p[3] * (1.0f - a)) / outA;
        p[1] = (c.g * a + p[1] * p[3] * (1.0f - a)) / outA;
        p[2] = (c.b * a + p[2] * p[3] * (1.0f - a)) / outA;
        p[3] = outA;
    }
    // Adds light: brightens the colour and raises the alpha (for glows that
    // are drawn additively in the game).
    void AddLight(int x, int y, Rgb c, float a)
    {
        if (a <= 0.0f || x < 0 || y < 0 || x >= width || y >= height)
            return;
        float* p = At(x, y);
        const float na = Clamp01(p[3] + a);
        if (na > 0.0f)
            for (int k = 0; k < 3; ++k)
                p[k] = Clamp01((p[k] * p[3] + (&c.r)[k] * a) / na);
        p[3] = na;
    }
    std::vector<uint8_t> Bytes(int channels) const { return ToBytes(px.data(), size_t(width) * height, channels); }
};

// A 32-bit picture in the format its extension names.
bool Write(const std::filesystem::path& p, const Picture& pic)
{
    return WriteImage(p, pic.width, pic.height, 4, pic.Bytes(4));
}

// Colour and alpha as two JPEG files: the picture over black, and its alpha as grey.
bool WriteJpgWithAlpha(const std::filesystem::path& colour, const std::filesystem::path& alpha, const Picture& pic)
{
    std::vector<uint8_t> rgb(size_t(pic.width) * pic.height * 3), grey(rgb.size());
    for (size_t i = 0; i < size_t(pic.width) * pic.height; ++i)
    {
        const float a = Clamp01(pic.px[i * 4 + 3]);
        for (int c = 0; c < 3; ++c)
        {
            rgb[i * 3 + c] = uint8_t(std::lround(Clamp01(pic.px[i * 4 + c]) * 255.0f));
            grey[i * 3 + c] = uint8_t(std::lround(a * 255.0f));
        }
    }
    return WriteImage(colour, pic.width, pic.height, 3, rgb, 94) && WriteImage(alpha, pic.width, pic.height, 3, grey, 94);
}

// --- shapes ---

struct Pt
{
    float x, y;
};

// Signed distance to a polygon (negative inside) and the index of the nearest edge.
float PolygonDistance(const std::vector<Pt>& v, float px, float py, int* nearestEdge = nullptr)
{
    const size_t n = v.size();
    float best = 1e30f;
    float s = 1.0f;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i)
    {
        const float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        const float wx = px - v[i].x, wy = py - v[i].y;
        const float t = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        const float bx = wx - ex * t, by = wy - ey * t;
        const float d = bx * bx + by * by;
        if (d < best)
        {
            best = d;
            if (nearestEdge)
                *nearestEdge = int(j);
        }
        const bool c1 = py >= v[i].y, c2 = py < v[j].y, c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(best);
}

std::vector<Pt> Regular(int n, float r, float rotation, float cx, float cy, float sx = 1.0f, float sy = 1.0f)
{
    std::vector<Pt> v;
    for (int i = 0; i < n; ++i)
    {
        const float a = rotation + 2.0f * kPi * float(i) / float(n);
        v.push_back(Pt{cx + sx * r * std::cos(a), cy + sy * r * std::sin(a)});
    }
    return v;
}

std::vector<Pt> StarShape(int points, float outer, float inner, float rotation, float cx, float cy)
{
    std::vector<Pt> v;
    for (int i = 0; i < points * 2; ++i)
    {
        const float r = i % 2 ? inner : outer;
        const float a = rotation + kPi * float(i) / float(points);
        v.push_back(Pt{cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return v;
}

// The outline of gem kind k, centred at (cx, cy), fitting a circle of radius r (y down).
std::vector<Pt> GemOutline(int kind, float cx, float cy, float r)
{
    switch (kind)
    {
    case 0: return Regular(6, r, 0.0f, cx, cy);                         // hexagon
    case 1: return StarShape(5, r, r * 0.55f, -kPi / 2, cx, cy);        // star
    case 2: return Regular(3, r * 1.05f, -kPi / 2, cx, cy + r * 0.18f); // triangle
    case 3: return Regular(18, r * 0.95f, 0.0f, cx, cy);                // round brilliant
    case 4:                                                             // cushion
    {
        std::vector<Pt> v;
        for (int i = 0; i < 24; ++i)
        {
            const float a = 2.0f * kPi * float(i) / 24.0f;
            const float c = std::cos(a), s = std::sin(a);
            // A squircle: |x|^4 + |y|^4 = 1.
            const float k = std::pow(std::pow(std::fabs(c), 4.0f) + std::pow(std::fabs(s), 4.0f), -0.25f);
            v.push_back(Pt{cx + r * 0.86f * k * c, cy + r * 0.86f * k * s});
        }
        return v;
    }
    case 5: return Regular(4, r, -kPi / 2, cx, cy, 0.72f, 1.0f); // rhombus
    case 6: // pear, point up: narrow at the top, round at the bottom
    {
        std::vector<Pt> v;
        for (int i = 0; i < 28; ++i)
        {
            const float t = 2.0f * kPi * float(i) / 28.0f;
            const float width = 0.3f + 0.7f * (1.0f - std::cos(t)) / 2.0f;
            v.push_back(Pt{cx + r * 0.95f * std::sin(t) * width, cy - r * 0.98f * std::cos(t) + r * 0.08f});
        }
        return v;
    }
    default: return Regular(8, r, kPi / 8, cx, cy); // octagon
    }
}

// Draws a faceted gem: crown facets shaded by the light from the top left, a
// lighter table with star facets, a dark rim, a highlight and a glint.
void DrawGem(Picture& pic, int kind, float cx, float cy, float r, Rgb base, float supersample = 1.0f)
{
    std::vector<Pt> outline = GemOutline(kind, cx, cy, r);
    // The table: the outline shrunk towards its centre.
    Pt centre{0, 0};
    for (const Pt& p : outline)
    {
        centre.x += p.x / float(outline.size());
        centre.y += p.y / float(outline.size());
    }
    const float tableScale = kind == 1 ? 0.45f : 0.52f;
    std::vector<Pt> table;
    for (const Pt& p : outline)
        table.push_back(Pt{centre.x + (p.x - centre.x) * tableScale, centre.y - r * 0.06f + (p.y - centre.y) * tableScale});
    const float lx = -0.6f, ly = -0.8f; // light from the top left
    const int x0 = std::max(0, int(cx - r * 1.3f)), x1 = std::min(pic.width - 1, int(cx + r * 1.3f));
    const int y0 = std::max(0, int(cy - r * 1.3f)), y1 = std::min(pic.height - 1, int(cy + r * 1.3f));
    const int ss = supersample > 1.0f ? 3 : 2;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            float cr = 0, cg = 0, cb = 0, ca = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx)
                {
                    const float px = x + (sx + 0.5f) / ss, py = y + (sy + 0.5f) / ss;
                    int edge = 0;
                    const float d = PolygonDistance(outline, px, py, &edge);
                    if (d > 0.0f)
                        continue;
                    Rgb c;
                    const float dt = PolygonDistance(table, px, py);
                    if (dt <= 0.0f)
                    {
                        // Table: star facets around its centre, alternately lit.
                        const float a = std::atan2(py - centre.y, px - centre.x);
                        const int sector = int(std::floor((a + kPi) / (2 * kPi) * float(outline.size() * 2)));
                        const float shade = 0.95f + (sector % 2 ? 0.12f : -0.05f) +
                                            0.2f * (-(px - centre.x) * lx - (py - centre.y) * ly) / r * -1.0f;
                        c = Mix(Scale(base, shade), kWhite, 0.18f);
                    }
                    else
                    {
                        // Crown: the facet of the nearest outline edge, split at its middle.
                        const Pt& a = outline[edge];
                        const Pt& b = outline[(edge + 1) % outline.size()];
                        float nx = b.y - a.y, ny = -(b.x - a.x);
                        const float len = std::sqrt(nx * nx + ny * ny);
                        nx /= len;
                        ny /= len;
                        if ((a.x - centre.x) * nx + (a.y - centre.y) * ny < 0.0f)
                        {
                            nx = -nx;
                            ny = -ny;
                        }
                        const float side = ((px - a.x) * (b.x - a.x) + (py - a.y) * (b.y - a.y)) / (len * len);
                        const float lit = nx * lx + ny * ly; // -1 .. 1
                        float shade = 0.72f + 0.42f * lit + (side < 0.5f ? 0.07f : -0.07f);
                        c = Scale(base, shade);
                        if (lit > 0.6f)
                            c = Mix(c, kWhite, (lit - 0.6f) * 0.6f);
                    }
                    // Dark rim along the outline.
                    const float rim = Smooth(-2.2f * supersample, -0.3f, d);
                    c = Mix(c, Scale(base, 0.35f), rim * 0.8f);
                    cr += c.r;
                    cg += c.g;
                    cb += c.b;
                    ca += 1.0f;
                }
            if (ca <= 0.0f)
                continue;
            const float n = float(ss * ss);
            pic.Blend(x, y, Rgb{cr / ca, cg / ca, cb / ca}, ca / n);
        }
    // Highlight on the table and a small glint.
    const float hx = centre.x - r * 0.22f, hy = centre.y - r * 0.3f;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            float* p = pic.At(x, y);
            if (p[3] <= 0.0f)
                continue;
            const float dx = (x + 0.5f - hx) / (r * 0.28f), dy = (y + 0.5f - hy) / (r * 0.16f);
            const float h = std::exp(-(dx * dx + dy * dy) * 1.5f) * 0.65f;
            for (int k = 0; k < 3; ++k)
                p[k] = p[k] + (1.0f - p[k]) * h;
            const float gx = x + 0.5f - (centre.x + r * 0.38f), gy = y + 0.5f - (centre.y - r * 0.42f);
            const float g = std::exp(-(gx * gx * 0.9f + gy * gy * 40.0f) / (r * 0.04f * r)) +
                            std::exp(-(gx * gx * 40.0f + gy * gy * 0.9f) / (r * 0.04f * r));
            for (int k = 0; k < 3; ++k)
                p[k] = Clamp01(p[k] + g * 0.8f);
        }
}

const Rgb kGemColours[8] = {
    {0.18f, 0.82f, 0.32f}, // green
    {1.00f, 0.86f, 0.18f}, // yellow
    {0.92f, 0.14f, 0.16f}, // red
    {0.20f, 0.45f, 1.00f}, // blue
    {1.00f, 0.55f, 0.10f}, // orange
    {0.90f, 0.93f, 1.00f}, // white
    {0.70f, 0.28f, 0.95f}, // violet
    {0.16f, 0.88f, 0.84f}, // teal
};

// Soft radial glow with `rays` faint rays, added as light.
void Glow(Picture& pic, float cx, float cy, float r, Rgb c, float strength, int rays, float rayStrength,
          float rotation = 0.0f)
{
    const int x0 = std::max(0, int(cx - r)), x1 = std::min(pic.width - 1, int(cx + r));
    const int y0 = std::max(0, int(cy - r)), y1 = std::min(pic.height - 1, int(cy + r));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float d = std::sqrt(dx * dx + dy * dy) / r;
            if (d >= 1.0f)
                continue;
            const float fade = 1.0f - Smooth(0.6f, 1.0f, d);
            float a = std::exp(-d * d * 5.0f) * strength;
            if (rays > 0)
            {
                const float ang = std::atan2(dy, dx) - rotation;
                const float ray = std::pow(std::fabs(std::cos(ang * float(rays) / 2.0f)), 24.0f);
                a += ray * rayStrength * (1.0f - d) * (1.0f - d);
            }
            pic.AddLight(x, y, c, a * fade);
        }
}

// A sparkle: a thin cross of `rays` rays with a soft core.
void Sparkle(Picture& pic, float cx, float cy, float r, Rgb c, int rays, float thinness, float rotation,
             float coreSize)
{
    const int x0 = std::max(0, int(cx - r)), x1 = std::min(pic.width - 1, int(cx + r));
    const int y0 = std::max(0, int(cy - r)), y1 = std::min(pic.height - 1, int(cy + r));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float d = std::sqrt(dx * dx + dy * dy) / r;
            if (d >= 1.0f)
                continue;
            float a = 0.0f;
            for (int i = 0; i < rays; ++i)
            {
                const float ang = rotation + kPi * float(i) / float(rays);
                const float along = dx * std::cos(ang) + dy * std::sin(ang);
                const float across = -dx * std::sin(ang) + dy * std::cos(ang);
                const float len = std::fabs(along) / r;
                const float width = std::max(0.5f, thinness * r * (1.0f - len));
                a += std::exp(-(across * across) / (width * width)) * (1.0f - len) * (1.0f - len);
            }
            a += std::exp(-d * d / (coreSize * coreSize));
            a *= 1.0f - Smooth(0.8f, 1.0f, d);
            pic.AddLight(x, y, c, Clamp01(a));
        }
}

// Fills the rectangle [x0, x1) x [y0, y1) through a function of local (u, v) in 0..1.
template <class F>
void FillRect(Picture& pic, int x0, int y0, int x1, int y1, F f)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
        {
            const float u = (x + 0.5f - x0) / float(x1 - x0), v = (y + 0.5f - y0) / float(y1 - y0);
            float a = 0.0f;
            const Rgb c = f(u, v, a);
            pic.Blend(x, y, c, a);
        }
}

// Signed distance to a rounded rectangle centred at (cx, cy) with half sizes (hw, hh).
float RoundRect(float px, float py, float cx, float cy, float hw, float hh, float radius)
{
    const float qx = std::fabs(px - cx) - (hw - radius), qy = std::fabs(py - cy) - (hh - radius);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

// A tiny 3 x 5 digit font for the labels of the bonus pictures.
const char* kDigits[11] = {"111101101101111", "010110010010111", "111001111100111", "111001111001111",
                           "101101111001001", "111100111001111", "111100111101111", "111001001010010",
                           "111101111101111", "111101111001111", "000101010101000"}; // last: "x"

void DrawText(Picture& pic, const std::string& text, float x, float y, float cell, Rgb c, Rgb outline)
{
    for (int pass = 0; pass < 2; ++pass)
    {
        float cx = x;
        for (char ch : text)
        {
            const int idx = ch == 'x' ? 10 : ch - '0';
            if (idx < 0 || idx > 10)
            {
                cx += cell * 2;
                continue;
            }
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (kDigits[idx][row * 3 + col] == '1')
                    {
                        const float bx = cx + col * cell, by = y + row * cell;
                        const float grow = pass == 0 ? cell * 0.35f : 0.0f;
                        for (int py = int(by - grow); py < int(std::ceil(by + cell + grow)); ++py)
                            for (int px = int(bx - grow); px < int(std::ceil(bx + cell + grow)); ++px)
                                pic.Blend(px, py, pass == 0 ? outline : c, 1.0f);
                    }
            cx += cell * 4;
        }
    }
}

// --- the pictures ---

void MakeBarGems(const std::filesystem::path& gfx)
{
    Picture pic(280, 40);
    for (int c = 0; c < 7; ++c)
        DrawGem(pic, c, 40.0f * c + 18.0f, 20.0f, 16.5f, kGemColours[c], 1.0f);
    std::vector<uint8_t> rgb(320 * 80 * 3, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 280; ++x)
        {
            const float* p = pic.At(x, y);
            const float a = Clamp01(p[3]);
            for (int k = 0; k < 3; ++k)
                rgb[(size_t(y) * 320 + x) * 3 + k] = uint8_t(std::lround(Clamp01(p[k]) * 255.0f));
            const uint8_t alpha = uint8_t(std::lround(a * 255.0f));
            for (int k = 0; k < 3; ++k)
                rgb[(size_t(y + 40) * 320 + x) * 3 + k] = alpha;
        }
    WriteImage(gfx / "BarGems.bmp", 320, 80, 3, rgb);
}

void MakeAllGems(const std::filesystem::path& gfx)
{
    Picture pic(512, 256);
    for (int k = 0; k < 8; ++k)
        DrawGem(pic, k, 96.0f * (k % 4) + 48.0f, 96.0f * (k / 4) + 48.0f, 40.0f, kGemColours[k], 2.0f);
    Write(gfx / "AllGems.png", pic);
}

void MakeGemLights(const std::filesystem::path& gfx)
{
    // White light (the tuning file tints each kind), rays as many as the cut has corners.
    const int rays[8] = {6, 10, 6, 8, 8, 4, 6, 8};
    Picture pic(512, 256);
    for (int k = 0; k < 8; ++k)
    {
        const float cx = 128.0f * (k % 4) + 64.0f, cy = 128.0f * (k / 4) + 64.0f;
        Glow(pic, cx, cy, 62.0f, kWhite, 0.85f, rays[k], 0.5f, -kPi / 2);
        Glow(pic, cx, cy, 30.0f, kWhite, 0.5f, 0, 0.0f);
    }
    WriteJpgWithAlpha(gfx / "AllGemLights.jpg", gfx / "AllGemLights_alpha.jpg", pic);
}

// The flares may end up in a 1-bit alpha format: the colour carries the
// falloff and the alpha only cuts the faint outskirts away.
void FinishFlares(Picture& pic)
{
    for (size_t i = 0; i < size_t(pic.width) * pic.height; ++i)
    {
        float* p = &pic.px[i * 4];
        const float a = p[3];
        for (int k = 0; k < 3; ++k)
            p[k] = p[k] * Clamp01(a * 1.6f);
        p[3] = a > 0.12f ? 1.0f : a * 4.0f;
    }
}

void MakeGemFlares(const std::filesystem::path& gfx)
{
    Picture pic(256, 256);
    const Rgb warm{1.0f, 0.97f, 0.88f}, cool{0.9f, 0.95f, 1.0f};
    Sparkle(pic, 64, 64, 62, warm, 2, 0.05f, 0.0f, 0.12f);
    Sparkle(pic, 64, 64, 40, warm, 2, 0.04f, kPi / 4, 0.08f);
    Sparkle(pic, 192, 64, 62, cool, 3, 0.045f, kPi / 6, 0.14f);
    for (int f = 0; f < 4; ++f)
        Sparkle(pic, 64.0f * f + 32.0f, 192.0f, 30.0f, f % 2 ? cool : warm, f == 3 ? 3 : 2, 0.07f + 0.02f * f,
                f * kPi / 8.0f, 0.16f);
    FinishFlares(pic);
    Write(gfx / "GemFlares.tga", pic);
}

// TNT: box cells 86 x 92 by level at (86 (L & 1), 92 (L >> 1)), the lid at
// (172, 0)-(256, 92), eight 32 x 32 spark frames from (0, 188).
void MakeBonus1(const std::filesystem::path& gfx)
{
    Picture pic(256, 256);
    const Rgb bands[4] = {{0.85f, 0.2f, 0.15f}, {0.95f, 0.5f, 0.1f}, {0.95f, 0.8f, 0.15f}, {0.8f, 0.2f, 0.8f}};
    for (int level = 0; level < 4; ++level)
    {
        const int ox = 86 * (level & 1), oy = 92 * (level >> 1);
        FillRect(pic, ox, oy, ox + 86, oy + 92, [&](float u, float v, float& a) {
            const float x = u * 86.0f, y = v * 92.0f;
            const float d = RoundRect(x, y, 43.0f, 50.0f, 32.0f, 34.0f, 6.0f);
            a = Clamp01(0.5f - d);
            Rgb wood = Mix(Rgb{0.62f, 0.40f, 0.20f}, Rgb{0.40f, 0.24f, 0.10f}, v);
            if (std::fmod(x, 16.0f) < 1.2f)
                wood = Scale(wood, 0.75f);
            // Bands by level: more of them for stronger boxes.
            for (int b = 0; b <= level; ++b)
            {
                const float by = 30.0f + 40.0f * float(b + 1) / float(level + 2);
                if (std::fabs(y - by) < 3.5f)
                    wood = Mix(bands[level], kWhite, y < by ? 0.25f : 0.0f);
            }
            if (d > -2.5f)
                wood = Scale(wood, 0.55f);
            return wood;
        });
    }
    // Lid with a fuse.
    FillRect(pic, 172, 0, 256, 92, [&](float u, float v, float& a) {
        const float x = u * 84.0f, y = v * 92.0f;
        const float d = RoundRect(x, y, 42.0f, 60.0f, 36.0f, 12.0f, 5.0f);
        const float fuse = std::fabs(x - 42.0f - 6.0f * std::sin(y * 0.15f)) - 2.0f;
        a = std::max(Clamp01(0.5f - d), y < 50.0f ? Clamp01(0.5f - fuse) : 0.0f);
        return d < 0.5f ? Mix(Rgb{0.7f, 0.47f, 0.25f}, Rgb{0.45f, 0.28f, 0.12f}, v) : Rgb{0.85f, 0.85f, 0.8f};
    });
    for (int f = 0; f < 8; ++f)
        Sparkle(pic, 32.0f * f + 16.0f, 204.0f, 15.0f, Rgb{1.0f, 0.85f, 0.4f}, 2 + f % 2, 0.1f, f * kPi / 8.0f,
                0.2f + 0.03f * (f % 3));
    Write(gfx / "Bonus1.png", pic);
}

// Flash: body cells 88 x 92 by level, glow B at (178, 2), glow A at (178, 82),
// the core at (224, 160), eight 32 x 64 bolt frames from (0, 188).
void MakeBonus2(const std::filesystem::path& gfx)
{
    Picture pic(256, 256);
    for (int level = 0; level < 4; ++level)
    {
        const int ox = 88 * (level & 1), oy = 92 * (level >> 1);
        const Rgb body = Mix(Rgb{0.3f, 0.5f, 1.0f}, Rgb{0.75f, 0.35f, 1.0f}, level / 3.0f);
        DrawGem(pic, 3, ox + 44.0f, oy + 46.0f, 34.0f, body, 1.0f);
        // A bolt mark across the orb, one notch per level.
        FillRect(pic, ox, oy, ox + 88, oy + 92, [&](float u, float v, float& a) {
            const float x = u * 88.0f - 44.0f, y = v * 92.0f - 46.0f;
            const float zig = std::fabs(x - 8.0f * std::sin(y * (0.12f + 0.04f * level))) - 3.0f;
            a = (std::fabs(y) < 24.0f) ? Clamp01(0.5f - zig) * 0.9f : 0.0f;
            return Rgb{1.0f, 1.0f, 0.75f};
        });
    }
    Glow(pic, 216, 40, 38, Rgb{0.7f, 0.85f, 1.0f}, 0.9f, 8, 0.6f);
    Glow(pic, 216, 120, 38, Rgb{1.0f, 1.0f, 0.8f}, 0.9f, 4, 0.8f);
    Glow(pic, 236, 172, 12, kWhite, 1.0f, 0, 0.0f);
    for (int f = 0; f < 8; ++f)
        FillRect(pic, 32 * f, 188, 32 * f + 32, 252, [&](float u, float v, float& a) {
            const float x = u * 32.0f - 16.0f, y = v * 64.0f;
            const float path = 7.0f * std::sin(y * 0.21f + f * 1.3f) + 3.0f * std::sin(y * 0.6f + f * 2.1f);
            const float d = std::fabs(x - path);
            a = Clamp01(std::exp(-d * d / 3.0f) + 0.35f * std::exp(-d * d / 30.0f));
            return Mix(Rgb{0.6f, 0.8f, 1.0f}, kWhite, std::exp(-d * d / 2.0f));
        });
    Write(gfx / "Bonus2.tga", pic);
}

// Time and score: clock dial shade (0, 0)-(90, 90), dial (90, 0)-(180, 90),
// level badges 76 x 76 from (180, 0) down, hands and their shades at the
// bottom right, score notes 50 x 36 from (4, 94) down and coin frames 24 x 24
// from (54, 94).
void MakeBonus3(const std::filesystem::path& gfx)
{
    Picture pic(256, 256);
    // Dial shade: dark where the clock darkens the board (drawn as ZERO / INVSRCCOLOR).
    FillRect(pic, 0, 0, 90, 90, [&](float u, float v, float& a) {
        const float dx = u - 0.5f, dy = v - 0.5f, d = std::sqrt(dx * dx + dy * dy) * 2.0f;
        a = 1.0f;
        return Scale(kWhite, 0.7f * (1.0f - Smooth(0.75f, 1.0f, d)));
    });
    // Dial: a glowing green clock face (added).
    FillRect(pic, 90, 0, 180, 90, [&](float u, float v, float& a) {
        const float dx = (u - 0.5f) * 90.0f, dy = (v - 0.5f) * 90.0f, d = std::sqrt(dx * dx + dy * dy);
        a = 1.0f;
        float light = 0.0f;
        light += Smooth(3.0f, 0.5f, std::fabs(d - 40.0f)) * 0.9f; // rim
        const float ang = std::atan2(dy, dx);
        const float tick = std::fabs(std::remainder(ang, kPi / 6.0f)) * d;
        if (d > 30.0f && d < 37.0f && tick < 1.6f)
            light += 0.8f;
        light += 0.18f * (1.0f - Smooth(0.0f, 40.0f, d));
        light = Clamp01(light);
        return Scale(Rgb{0.45f, 1.0f, 0.35f}, light);
    });
    // Level badges: rings with one, two or three pips.
    for (int level = 1; level <= 3; ++level)
    {
        const int oy = 76 * (level - 1);
        FillRect(pic, 180, oy, 256, oy + 76, [&](float u, float v, float& a) {
            const float dx = (u - 0.5f) * 76.0f, dy = (v - 0.5f) * 76.0f, d = std::sqrt(dx * dx + dy * dy);
            a = 1.0f;
            float light = Smooth(2.5f, 0.5f, std::fabs(d - 34.0f)) * 0.8f;
            for (int p = 0; p < level; ++p)
            {
                const float ang = -kPi / 2 + (float(p) - (level - 1) / 2.0f) * 0.45f;
                const float px = 28.0f * std::cos(ang), py = 28.0f * std::sin(ang);
                light += Smooth(4.5f, 2.5f, std::hypot(dx - px, dy - py));
            }
            return Scale(Rgb{1.0f, 0.85f, 0.3f}, Clamp01(light));
        });
    }
    // Hands (added) and their shades (darkening), 14 high.
    auto hand = [&](int x0, int x1, int y0, bool shade) {
        FillRect(pic, x0, y0, x1, y0 + 14, [&](float u, float v, float& a) {
            const float w = 1.0f - u * 0.7f;
            const float d = std::fabs(v - 0.5f) * 14.0f - 4.0f * w;
            a = 1.0f;
            const float k = Clamp01(0.5f - d) * Smooth(0.0f, 0.08f, u) * Smooth(1.0f, 0.9f, u);
            return shade ? Scale(kWhite, 0.6f * k) : Scale(Rgb{0.7f, 1.0f, 0.6f}, k);
        });
    };
    hand(204, 256, 242, false);
    hand(204, 256, 228, true);
    hand(162, 204, 242, false);
    hand(162, 204, 228, true);
    // Score notes "x3", "x5", "x7", "x10" by level.
    const char* labels[4] = {"x3", "x5", "x7", "x10"};
    const Rgb paper[4] = {{0.55f, 0.85f, 0.45f}, {0.45f, 0.75f, 0.95f}, {0.9f, 0.6f, 0.95f}, {1.0f, 0.8f, 0.3f}};
    for (int level = 0; level < 4; ++level)
    {
        const int oy = 94 + 36 * level;
        FillRect(pic, 4, oy, 54, oy + 36, [&](float u, float v, float& a) {
            const float d = RoundRect(u * 50.0f, v * 36.0f, 25.0f, 18.0f, 24.0f, 16.0f, 4.0f);
            a = Clamp01(0.5f - d);
            Rgb c = Mix(paper[level], kWhite, 0.25f * (1.0f - v));
            if (d > -2.5f)
                c = Scale(paper[level], 0.55f);
            return c;
        });
        const float cell = 3.0f;
        const float width = (std::string(labels[level]).size() * 4 - 1) * cell;
        DrawText(pic, labels[level], 4 + 25.0f - width / 2.0f, oy + 18.0f - 7.5f, cell, kWhite,
                 Rgb{0.15f, 0.2f, 0.1f});
    }
    // Coin frames: a gold coin turning about its vertical axis.
    for (int j = 0; j < 8; ++j)
    {
        const int ox = 54 + 24 * (j / 4), oy = 94 + 24 * (j % 4);
        const float squeeze = std::max(0.12f, std::fabs(std::cos(kPi * j / 8.0f)));
        FillRect(pic, ox, oy, ox + 24, oy + 24, [&](float u, float v, float& a) {
            const float dx = (u - 0.5f) * 24.0f / squeeze, dy = (v - 0.5f) * 24.0f;
            const float d = std::sqrt(dx * dx + dy * dy) - 10.5f;
            a = Clamp01((0.5f - d) * squeeze + 0.5f * (1.0f - squeeze) * (d < 0.0f));
            Rgb c = Mix(Rgb{1.0f, 0.88f, 0.35f}, Rgb{0.75f, 0.5f, 0.1f}, v);
            if (d > -2.0f)
                c = Scale(c, 0.7f);
            return c;
        });
    }
    // The life-lost heart (102, 94)-(154, 146): a red heart, lit from the top left,
    // with a dark rim so that it reads over any board.
    FillRect(pic, 102, 94, 154, 146, [&](float u, float v, float& a) {
        const float x = (u - 0.5f) * 2.8f, y = (0.46f - v) * 2.8f;
        const float f = std::pow(x * x + y * y - 1.0f, 3.0f) - x * x * y * y * y;  // below 0 inside
        const float edge = f * 6.0f;
        a = Clamp01(0.5f - edge);
        const float light = Clamp01(1.0f - std::hypot(u - 0.33f, v - 0.3f) * 2.2f);
        Rgb c = Mix(Rgb{0.55f, 0.02f, 0.06f}, Rgb{0.95f, 0.15f, 0.2f}, Clamp01(1.1f - v));
        c = Mix(c, kWhite, light * light * 0.8f);
        if (edge > -0.35f)
            c = Scale(c, 0.5f);
        return c;
    });
    Write(gfx / "Bonus3.tga", pic);
}

// Adviser: frames 88 x 88 (levels 0, 1 at (0, 0); level 2 at (0, 88)), the
// left half frame of level 3 at (88, 88)-(132, 176), the lens at (178, 2),
// the shade at (140, 88)-(232, 182) and the hint arrow at (0, 180)-(64, 212).
void MakeBonus4(const std::filesystem::path& gfx)
{
    Picture pic(256, 256);
    auto frame = [&](int ox, int oy, int x0, int x1, Rgb metal) {
        FillRect(pic, ox + x0, oy, ox + x1, oy + 88, [&](float u, float v, float& a) {
            const float x = x0 + u * float(x1 - x0), y = v * 88.0f;
            const float d = std::fabs(std::hypot(x - 44.0f, y - 44.0f) - 36.0f) - 4.5f;
            const float handle = (x > 60.0f && y > 60.0f && std::fabs((x - y)) < 7.0f && x < 86.0f) ? -1.0f : 1.0f;
            a = std::max(Clamp01(0.5f - d), handle < 0.0f ? 1.0f : 0.0f);
            return Mix(metal, kWhite, 0.35f * (1.0f - v));
        });
    };
    frame(0, 0, 0, 88, Rgb{0.75f, 0.55f, 0.25f});
    frame(0, 88, 0, 88, Rgb{0.75f, 0.78f, 0.85f});
    // Level 3: a golden left half beside the silver right half.
    FillRect(pic, 88, 88, 132, 176, [&](float u, float v, float& a) {
        const float x = u * 44.0f, y = v * 88.0f;
        const float d = std::fabs(std::hypot(x - 44.0f, y - 44.0f) - 36.0f) - 4.5f;
        a = Clamp01(0.5f - d);
        return Mix(Rgb{1.0f, 0.82f, 0.25f}, kWhite, 0.35f * (1.0f - v));
    });
    // Lens (added): a soft bright disc with a glint.
    Glow(pic, 215, 39, 37, Rgb{0.75f, 0.9f, 1.0f}, 0.55f, 4, 0.35f, kPi / 4);
    // Shade (darkening): the glass's shadow.
    FillRect(pic, 140, 88, 232, 182, [&](float u, float v, float& a) {
        const float dx = (u - 0.5f) * 92.0f, dy = (v - 0.5f) * 94.0f;
        const float d = std::hypot(dx, dy);
        a = 1.0f;
        return Scale(kWhite, 0.5f * (1.0f - Smooth(30.0f, 44.0f, d)));
    });
    // Hint arrow pointing down.
    FillRect(pic, 0, 180, 64, 212, [&](float u, float v, float& a) {
        const float x = (u - 0.5f) * 64.0f, y = v * 32.0f;
        const bool head = y > 14.0f && std::fabs(x) < (30.0f - y) * 1.6f;
        const bool shaft = y <= 14.0f && std::fabs(x) < 7.0f;
        a = (head || shaft) ? 1.0f : 0.0f;
        return Mix(Rgb{1.0f, 0.95f, 0.4f}, Rgb{1.0f, 0.6f, 0.1f}, v);
    });
    Write(gfx / "Bonus4.tga", pic);
}

// Solidarity: the top half is a ray and bolt strip that repeats along u; the
// bottom half holds the ring (left quarter) and the centre picture.
void MakeBonus5(const std::filesystem::path& gfx)
{
    Picture pic(512, 256);
    FillRect(pic, 0, 0, 512, 128, [&](float u, float v, float& a) {
        const float y = (v - 0.5f) * 128.0f;
        const float path = 9.0f * std::sin(u * 2.0f * kPi * 3.0f) + 4.0f * std::sin(u * 2.0f * kPi * 11.0f);
        const float d = std::fabs(y - path);
        a = Clamp01(std::exp(-d * d / 6.0f) + 0.4f * std::exp(-d * d / 120.0f));
        return Mix(Rgb{0.9f, 0.6f, 1.0f}, kWhite, std::exp(-d * d / 4.0f));
    });
    Picture ring(128, 128);
    FillRect(ring, 0, 0, 128, 128, [&](float u, float v, float& a) {
        const float d = std::hypot(u - 0.5f, v - 0.5f) * 128.0f;
        a = Clamp01(std::exp(-std::pow((d - 54.0f) / 4.0f, 2.0f)) + 0.3f * std::exp(-std::pow((d - 54.0f) / 10.0f, 2.0f)));
        return Rgb{0.85f, 0.7f, 1.0f};
    });
    Picture centre(128, 128);
    Glow(centre, 64, 64, 62, Rgb{0.9f, 0.75f, 1.0f}, 1.0f, 8, 0.7f);
    Sparkle(centre, 64, 64, 40, kWhite, 2, 0.05f, kPi / 4, 0.15f);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
        {
            const float* r = ring.At(x, y);
            pic.Blend(x, 128 + y, Rgb{r[0], r[1], r[2]}, r[3]);
            const float* c = centre.At(x, y);
            pic.Blend(128 + x, 128 + y, Rgb{c[0], c[1], c[2]}, c[3]);
        }
    Write(gfx / "Bonus5.tga", pic);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: gemgen <game folder>\n");
        return 1;
    }
    const std::filesystem::path gfx = std::filesystem::path(argv[1]) / "Data" / "Gfx";
    std::filesystem::create_directories(gfx);
    MakeBarGems(gfx);
    MakeAllGems(gfx);
    MakeGemLights(gfx);
    MakeGemFlares(gfx);
    MakeBonus1(gfx);
    MakeBonus2(gfx);
    MakeBonus3(gfx);
    MakeBonus4(gfx);
    MakeBonus5(gfx);
    for (const char* name : {"BarGems.bmp", "AllGems.png", "AllGemLights.jpg", "AllGemLights_alpha.jpg",
                             "GemFlares.tga", "Bonus1.png", "Bonus2.tga", "Bonus3.tga",
                             "Bonus4.tga", "Bonus5.tga"})
        if (!std::filesystem::exists(gfx / name))
        {
            std::fprintf(stderr, "gemgen: could not write %s\n", name);
            return 1;
        }
    return 0;
}
