// totemgen: draws the Power Totems' pictures into the graphics folder of the game
// folder. Layouts (read through the sprite sets of Data/Config/Totems.cfg):
//   RedTotem.png .. VioletTotem.png   512 x 256: levels 1..4 at x 0, 128, 256, 384
//                                     (128 x 128 each) in the top row; the bottom
//                                     row is free for the colours' effect pieces
//   RedTotemShop.png ..               the same bodies for the shop screen
//   SmallTotem1.png                   512 x 256: 64 x 64 panel totems, column =
//                                     token colour, row = level - 1
//   TotemShadows.jpg (+_alpha)        512 x 512: the floor shadow in (0, 0, 128, 128),
//                                     light where the shadow is deep (drawn multiplied)
//   TotemLights.png                   256 x 128: three charge lights of 64 x 64
//   TimeDigits.png                    256 x 256: digits 0..9 and "+" in 64 x 64 cells
//   VioletGlowRays.tga, Unigem.tga, SteelCapsT.png, PaintStream.png,
//   PaintDrop.png                     effect pieces of the colours
//   TotemBase.tga, TotemDark2.tga, TotemContour.png   the panel's plinth, the
//                                     silhouette and outline of a totem not owned
//
// Every colour carries an emblem of its own shape on its pillar, so that the
// totems read without their colour: green leaf, yellow sun, red flame, blue
// diamond, orange hourglass, white cloud, violet star. A higher level adds
// gold bands and a brighter crown.
//
// Usage: totemgen <game folder>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/common/ImageWrite.h"
#include "tools/common/PixelMaths.h"

namespace
{

using namespace tools;
namespace fs = std::filesystem;

struct Picture
{
    int width, height;
    std::vector<Rgba> px;
    Picture(int w, int h) : width(w), height(h), px(size_t(w) * size_t(h), Rgba{0, 0, 0, 0}) {}
    Rgba& At(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
    // Straight-alpha "over".
    void Over(int x, int y, Rgba c)
    {
        if (c.a <= 0.0f || x < 0 || y < 0 || x >= width || y >= height)
            return;
        Rgba& p = At(x, y);
        const float a = Clamp01(c.a);
        const float outA = a + p.a * (1.0f - a);
        if (outA <= 0.0f)
            return;
        p = Rgba{(c.r * a + p.r * p.a * (1.0f - a)) / outA, (c.g * a + p.g * p.a * (1.0f - a)) / outA,
                 (c.b * a + p.b * p.a * (1.0f - a)) / outA, outA};
    }
};

bool Save(const fs::path& path, const Picture& p, int channels = 4)
{
    return WriteImage(path, p.width, p.height, channels, ToBytes(p.px, channels), 92);
}

struct V2
{
    float x, y;
};

float Length(float x, float y)
{
    return std::sqrt(x * x + y * y);
}

// Signed distance to a convex polygon given anticlockwise (negative inside);
// exact along the edges, a little short at the corners.
float ConvexPolygon(V2 p, const std::vector<V2>& poly)
{
    float d = -1e9f;
    for (size_t i = 0; i < poly.size(); ++i)
    {
        const V2 a = poly[i], b = poly[(i + 1) % poly.size()];
        const float ex = b.x - a.x, ey = b.y - a.y;
        const float len = Length(ex, ey);
        // Outward normal of an anticlockwise edge.
        const float nx = ey / len, ny = -ex / len;
        d = std::max(d, (p.x - a.x) * nx + (p.y - a.y) * ny);
    }
    return d;
}

float SmoothMin(float a, float b, float k)
{
    const float h = Clamp01(0.5f + 0.5f * (b - a) / k);
    return Lerp(b, a, h) - k * h * (1.0f - h);
}

// The emblem of each colour, in units where the emblem fits a circle of radius 1.
float Emblem(int colour, V2 p)
{
    const float r = Length(p.x, p.y);
    const float a = std::atan2(p.y, p.x);
    switch (colour)
    {
    case 0: // green leaf: a pointed oval leaning a little
    {
        const float c = std::cos(0.35f), s = std::sin(0.35f);
        const V2 q{p.x * c - p.y * s, p.x * s + p.y * c};
        return std::max(Length(q.x - 0.55f, q.y) - 1.05f, Length(q.x + 0.55f, q.y) - 1.05f);
    }
    case 1: // yellow sun: a disc with twelve rays
        return r - (0.68f + 0.3f * std::pow(std::max(0.0f, std::cos(6.0f * a)), 6.0f));
    case 2: // red flame: a drop with its tip up
        return SmoothMin(Length(p.x, p.y + 0.3f) - 0.62f,
                         ConvexPolygon(p, {{-0.55f, -0.1f}, {0.55f, -0.1f}, {0.0f, 1.0f}}), 0.15f);
    case 3: // blue diamond
        return ConvexPolygon(p, {{0.0f, -0.95f}, {0.72f, 0.0f}, {0.0f, 0.95f}, {-0.72f, 0.0f}});
    case 4: // orange hourglass
        return std::min(ConvexPolygon(p, {{-0.75f, 0.9f}, {0.0f, 0.02f}, {0.75f, 0.9f}}),
                        ConvexPolygon(p, {{-0.75f, -0.9f}, {0.75f, -0.9f}, {0.0f, -0.02f}})) -
               0.04f;
    case 5: // white cloud: three puffs on a flat base
        return std::min({Length(p.x + 0.45f, p.y + 0.15f) - 0.42f, Length(p.x - 0.05f, p.y - 0.2f) - 0.55f,
                         Length(p.x - 0.52f, p.y + 0.1f) - 0.4f,
                         ConvexPolygon(p, {{-0.85f, -0.5f}, {0.9f, -0.5f}, {0.9f, -0.15f}, {-0.85f, -0.15f}})});
    default: // violet five-pointed star
    {
        const float k = std::cos(5.0f * (a - kPi * 0.5f));
        return r - (0.48f + 0.5f * std::pow(0.5f + 0.5f * k, 2.0f));
    }
    }
}

const Rgb kColours[7] = {
    {0.24f, 0.78f, 0.30f}, {1.0f, 0.84f, 0.18f}, {0.92f, 0.18f, 0.14f}, {0.22f, 0.46f, 0.98f},
    {1.0f, 0.55f, 0.10f},  {0.94f, 0.95f, 1.0f}, {0.66f, 0.30f, 0.92f},
};

const Rgb kGold{1.0f, 0.80f, 0.35f};

// Where the three charge lights sit on a totem, in picture fractions (x right,
// y down from the top-left), and their radius.
const V2 kSockets[3] = {{0.5f, 0.62f}, {0.5f, 0.74f}, {0.5f, 0.86f}};
const float kSocketRadius = 0.042f;

// Lambert light from the upper left on a bevel built from a distance field.
float Bevel(const std::function<float(V2)>& sdf, V2 p, float width)
{
    const float e = 0.004f;
    const float gx = sdf({p.x + e, p.y}) - sdf({p.x - e, p.y});
    const float gy = sdf({p.x, p.y + e}) - sdf({p.x, p.y - e});
    const float d = sdf(p);
    const float slope = 1.0f - Clamp01(-d / width);
    const float len = std::max(Length(gx, gy), 1e-6f);
    // Light from the upper left: the outward normal facing it lights up.
    const float lit = (-gx * -0.6f + -gy * 0.8f) / len;
    return 1.0f + 0.55f * slope * lit;
}

Rgb Shade(Rgb c, float k)
{
    return Rgb{Clamp01(c.r * k), Clamp01(c.g * k), Clamp01(c.b * k)};
}

// One totem of a colour and level into a square cell of the picture; p in
// cell fractions with y up and the origin at the cell centre.
void DrawTotem(Picture& pic, int x0, int y0, int size, int colour, int level)
{
    const Rgb base = kColours[colour];
    const Rgb stone = Mix(Rgb{0.36f, 0.31f, 0.27f}, base, 0.28f);
    const auto pillar = [](V2 p) {
        return ConvexPolygon(p, {{-0.2f, -0.46f}, {0.2f, -0.46f}, {0.15f, 0.04f}, {-0.15f, 0.04f}}) - 0.012f;
    };
    const auto foot = [](V2 p) {
        return ConvexPolygon(p, {{-0.27f, -0.47f}, {0.27f, -0.47f}, {0.25f, -0.4f}, {-0.25f, -0.4f}}) - 0.01f;
    };
    const float headScale = 0.23f + 0.012f * float(level);
    const V2 headAt{0.0f, 0.25f};
    const auto head = [&](V2 p) { return Emblem(colour, {(p.x - headAt.x) / headScale, (p.y - headAt.y) / headScale}) * headScale; };
    const float aa = 1.5f / float(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const V2 p{(float(x) + 0.5f) / float(size) - 0.5f, 0.5f - (float(y) + 0.5f) / float(size)};
            const float fy = 0.5f - p.y; // from the top
            // Pillar and foot, carved stone tinted with the colour.
            const float dp = std::min(pillar(p), foot(p));
            if (dp < aa)
            {
                float k = Bevel([&](V2 q) { return std::min(pillar(q), foot(q)); }, p, 0.05f);
                // Carved grooves across the pillar.
                k *= 0.92f + 0.08f * std::cos(p.y * 70.0f);
                Rgb c = Shade(stone, k);
                // Gold bands, one per level, near the foot.
                for (int band = 0; band < level; ++band)
                {
                    const float by = -0.36f + 0.055f * float(band) + 0.30f * float(band / 2);
                    if (std::fabs(p.y - by) < 0.014f)
                        c = Shade(kGold, k * (1.05f - 18.0f * std::fabs(p.y - by)));
                }
                // Sockets of the charge lights.
                for (const V2& s : kSockets)
                {
                    const float ds = Length(p.x - (s.x - 0.5f), fy - s.y) - kSocketRadius;
                    if (ds < 0.012f)
                        c = ds < 0.0f ? Shade(base, 0.25f + 0.3f * Clamp01(-ds / kSocketRadius)) : Shade(kGold, 0.8f);
                }
                pic.Over(x0 + x, y0 + y, Rgba{c.r, c.g, c.b, Clamp01(0.5f - dp / aa)});
            }
            // The emblem crowning the pillar, in the colour, with a gold rim.
            const float dh = head(p);
            if (dh < aa)
            {
                const float k = Bevel(head, p, 0.07f);
                const float rim = Clamp01(1.0f - (-dh) / 0.018f);
                Rgb c = Mix(Shade(base, k * (0.85f + 0.15f * Clamp01(p.y * 3.0f))), Shade(kGold, k), rim * 0.9f);
                // A bright core that grows with the level.
                const float core = Clamp01(1.0f - Length(p.x - headAt.x + 0.03f, p.y - headAt.y - 0.03f) /
                                                      (0.05f + 0.02f * float(level)));
                c = Mix(c, Rgb{1, 1, 1}, core * 0.45f);
                pic.Over(x0 + x, y0 + y, Rgba{c.r, c.g, c.b, Clamp01(0.5f - dh / aa)});
            }
        }
}

void DrawEffectPieces(Picture& pic, int colour);
// Seven-segment strokes of a digit (bits: top, upper right, lower right,
// bottom, lower left, upper left, middle) and their ends in a unit cell.
const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
const V2 kSegmentEnds[7][2] = {{{0.3f, 0.12f}, {0.7f, 0.12f}}, {{0.75f, 0.17f}, {0.75f, 0.45f}},
                               {{0.75f, 0.55f}, {0.75f, 0.83f}}, {{0.3f, 0.88f}, {0.7f, 0.88f}},
                               {{0.25f, 0.55f}, {0.25f, 0.83f}}, {{0.25f, 0.17f}, {0.25f, 0.45f}},
                               {{0.3f, 0.5f}, {0.7f, 0.5f}}};

// Distance to a stroke from a to b, y counted half, in cell units.
float Segment(V2 p, V2 a, V2 b, float half)
{
    const float bx = b.x - a.x, by = b.y - a.y;
    const float t = Clamp01(((p.x - a.x) * bx + (p.y - a.y) * by) / (bx * bx + by * by));
    return Length(p.x - a.x - bx * t, (p.y - a.y - by * t) * 0.5f) - half;
}

// A glyph of a score picture: a digit 0..9 or 10 for "+", distance in cell units.
float Glyph(int glyph, V2 p)
{
    if (glyph == 10)
        return std::min(Segment(p, {0.2f, 0.5f}, {0.8f, 0.5f}, 0.08f), Segment(p, {0.5f, 0.3f}, {0.5f, 0.7f}, 0.08f));
    float d = 1.0f;
    for (int s = 0; s < 7; ++s)
        if (kSegments[glyph] >> s & 1)
            d = std::min(d, Segment(p, kSegmentEnds[s][0], kSegmentEnds[s][1], 0.08f));
    return d;
}

// The yellow totem's pieces in the bottom row of its body picture: the five
// score pictures "+1000" .. "+3000" (96 x 24 each, stacked from y 128), a
// gold nugget at (448, 128, 32, 32) and a plus sign at (480, 224, 32, 32).
void DrawYellowPieces(Picture& pic)
{
    for (int n = 0; n < 5; ++n)
    {
        const int score = 1000 + 500 * n;
        const int glyphs[5] = {10, score / 1000, score / 100 % 10, 0, 0};
        const int y0 = 128 + 24 * n;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 96; ++x)
            {
                const int cell = std::min(x * 5 / 96, 4);
                const float cw = 96.0f / 5.0f;
                const V2 p{(float(x) + 0.5f - float(cell) * cw) / cw, (float(y) + 0.5f) / 24.0f};
                const float d = Glyph(glyphs[cell], p) * 24.0f;
                const float a = Clamp01(1.5f - d);
                const Rgb c = Mix(Rgb{1.0f, 0.97f, 0.7f}, Rgb{1.0f, 0.72f, 0.15f}, p.y);
                // A dark rim keeps the number readable over the board.
                pic.Over(x, y0 + y, Rgba{0.25f, 0.12f, 0.0f, Clamp01(3.0f - d) * 0.8f});
                pic.Over(x, y0 + y, Rgba{c.r, c.g, c.b, a});
            }
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            const V2 p{(float(x) + 0.5f) / 16.0f - 1.0f, 1.0f - (float(y) + 0.5f) / 16.0f};
            const float d = ConvexPolygon(p, {{-0.7f, -0.5f}, {0.1f, -0.8f}, {0.8f, -0.2f}, {0.5f, 0.6f}, {-0.3f, 0.75f},
                                              {-0.85f, 0.2f}}) * 16.0f;
            const float k = 0.75f + 0.35f * (p.y - p.x) * 0.5f;
            pic.Over(448 + x, 128 + y, Rgba{Clamp01(1.0f * k), Clamp01(0.82f * k), Clamp01(0.3f * k), Clamp01(0.5f - d)});
            const V2 q{(float(x) + 0.5f) / 32.0f, (float(y) + 0.5f) / 32.0f};
            const float dp = Glyph(10, q) * 32.0f;
            pic.Over(480 + x, 224 + y, Rgba{1.0f, 0.93f, 0.5f, Clamp01(1.0f - dp)});
        }
}

void MakeBodies(const fs::path& gfx)
{
    const char* names[7] = {"Green", "Yellow", "Red", "Blue", "Orange", "White", "Violet"};
    for (int colour = 0; colour < 7; ++colour)
    {
        Picture pic(512, 256);
        for (int level = 1; level <= 4; ++level)
            DrawTotem(pic, (level - 1) * 128, 0, 128, colour, level);
        DrawEffectPieces(pic, colour);
        if (colour == 1)
            DrawYellowPieces(pic);
        Save(gfx / (std::string(names[colour]) + "Totem.png"), pic);
        Save(gfx / (std::string(names[colour]) + "TotemShop.png"), pic);
    }
}

void MakeSmallTotems(const fs::path& gfx)
{
    Picture pic(512, 256);
    for (int colour = 0; colour < 7; ++colour)
        for (int level = 1; level <= 4; ++level)
            DrawTotem(pic, colour * 64, (level - 1) * 64, 64, colour, level);
    Save(gfx / "SmallTotem1.png", pic);
}

// The shop's totem pictures, each colour's own body at level 0 in a 104 x 104 cell at
// (4 + 112 (c mod 4), 12 + 128 (c div 4)): "ShopColor.png" as it is (an item on
// offer), "ShopBW.png" with most of its colour gone and "ShopMul.png" as a grey
// multiply shade (together the silhouette of a locked item), and in "ShopColor.png"
// the locked item's question sign, 36 x 28 at (452, 92).
void MakeShopPictures(const fs::path& gfx)
{
    Picture colour(512, 256);
    for (int c = 0; c < 7; ++c)
        DrawTotem(colour, 4 + 112 * (c % 4), 12 + 128 * (c / 4), 104, c, 0);
    Picture bw = colour, mul = colour;
    for (size_t i = 0; i < colour.px.size(); ++i)
    {
        const Rgba p = colour.px[i];
        const float grey = 0.3f * p.r + 0.59f * p.g + 0.11f * p.b;
        bw.px[i] = Rgba{Lerp(grey, p.r, 0.35f), Lerp(grey, p.g, 0.35f), Lerp(grey, p.b, 0.35f), p.a};
        const float m = Lerp(1.0f, 0.25f + 0.35f * grey, p.a);
        mul.px[i] = Rgba{m, m, m, p.a};
    }
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 36; ++x)
        {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            const float hook = std::fabs(Length(fx - 18.0f, fy - 8.0f) - 6.0f) - 2.2f;
            const float d = std::min({fy < 9.0f && fx < 12.0f ? 9.0f : hook,
                                      std::max(std::fabs(fx - 18.0f) - 2.2f, std::fabs(fy - 17.0f) - 3.0f),
                                      Length(fx - 18.0f, fy - 25.0f) - 2.4f});
            colour.At(452 + x, 92 + y) = Rgba{1, 1, 1, Clamp01(0.5f - d)};
        }
    Save(gfx / "ShopColor.png", colour);
    Save(gfx / "ShopBW.png", bw);
    Save(gfx / "ShopMul.png", mul);
}

void MakeShadows(const fs::path& gfx)
{
    Picture colour(512, 512), alpha(512, 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
        {
            float v = 0.0f;
            if (x < 128 && y < 128)
            {
                const float u = (float(x) + 0.5f) / 128.0f - 0.5f, w = (float(y) + 0.5f) / 128.0f - 0.93f;
                v = 0.7f * Smooth(1.0f, 0.0f, Length(u / 0.34f, w / 0.07f));
            }
            colour.At(x, y) = Rgba{v, v, v, 1.0f};
            alpha.At(x, y) = Rgba{v, v, v, 1.0f};
        }
    Save(gfx / "TotemShadows.jpg", colour, 3);
    Save(gfx / "TotemShadows_alpha.jpg", alpha, 3);
}

// A soft round glow with a bright core, white-hot in the middle.
void Glow(Picture& pic, int x0, int y0, int size, Rgb c, float core)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float r = Length((float(x) + 0.5f) / float(size) - 0.5f, (float(y) + 0.5f) / float(size) - 0.5f) * 2.0f;
            const float a = Clamp01(1.0f - r);
            const float hot = Clamp01(1.0f - r / core);
            const Rgb m = Mix(c, Rgb{1, 1, 1}, hot * hot);
            pic.Over(x0 + x, y0 + y, Rgba{m.r, m.g, m.b, a * a * (0.6f + 0.4f * hot)});
        }
}

void MakeLights(const fs::path& gfx)
{
    Picture pic(256, 128);
    const Rgb lights[3] = {{1.0f, 0.85f, 0.4f}, {1.0f, 0.7f, 0.3f}, {1.0f, 0.55f, 0.25f}};
    for (int i = 0; i < 3; ++i)
        Glow(pic, i * 64, 0, 64, lights[i], 0.35f);
    Save(gfx / "TotemLights.png", pic);
}

// The orange totem's whirl of time: a 4 x 4 atlas of 64 x 64 cells whose first
// three rows hold the digits 0..9 and two plus signs, each glyph 32 x 64 in the
// middle of its cell.
void MakeDigits(const fs::path& gfx)
{
    Picture pic(256, 256);
    for (int glyph = 0; glyph < 12; ++glyph)
    {
        const int x0 = (glyph % 4) * 64 + 16, y0 = (glyph / 4) * 64;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 32; ++x)
            {
                const V2 p{(float(x) + 0.5f) / 32.0f, (float(y) + 0.5f) / 64.0f};
                const float d = Glyph(std::min(glyph, 10), p);
                const float a = Clamp01(0.5f - (d + 0.01f) * 32.0f);
                const Rgb c = Mix(Rgb{1.0f, 0.95f, 0.7f}, Rgb{1.0f, 0.6f, 0.15f}, p.y);
                pic.Over(x0 + x, y0 + y, Rgba{c.r, c.g, c.b, a});
            }
    }
    Save(gfx / "TimeDigits.png", pic);
}

// The green totem's chain (56 x 18 at (0, 128)): oval links, flat and edge-on
// by turns, hanging in a curve across its pillar.
void DrawChain(Picture& pic)
{
    const int w = 56, h = 18, links = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const float u = (float(x) + 0.5f) / float(w), r = 2.0f * u - 1.0f;
            const float py = float(y) + 0.5f - (4.0f + 8.0f * (1.0f - r * r)); // the hanging curve
            const float cell = u * float(links);
            const int link = int(cell);
            const float lx = (cell - float(link) - 0.5f) * (float(w) / float(links));
            const bool flat = link % 2 == 0;
            const float rx = flat ? 4.6f : 4.2f, ry = flat ? 3.6f : 1.4f;
            const float d = std::fabs(Length(lx / rx, py / ry) - (flat ? 0.7f : 0.5f)) * std::min(rx, ry);
            const float a = Clamp01(1.2f - d * (flat ? 1.3f : 1.8f));
            const float k = 0.55f + 0.45f * Clamp01(0.5f - py / 4.0f);
            pic.Over(x, 128 + y, Rgba{0.78f * k, 0.8f * k, 0.84f * k, a});
        }
}

// The blue totem's steel caps (16 x 14 at (0, 128) and (16, 128)), the
// sockets they leave (at (32, 128) and (48, 128)) and the soft shield glow
// (96 x 128 at (128, 128)).
void DrawCapsAndShield(Picture& pic)
{
    for (int piece = 0; piece < 4; ++piece)
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 16; ++x)
            {
                const float u = (float(x) + 0.5f) / 8.0f - 1.0f, v = (float(y) + 0.5f) / 7.0f - 1.0f;
                const float d = Length(u, v * 0.9f) - 0.85f;
                const float a = Clamp01(0.5f - d * 7.0f);
                Rgb c;
                if (piece < 2)
                {
                    // A domed steel cap with a rivet.
                    const float k = 0.55f + 0.4f * Clamp01(0.6f - 0.5f * (u + v)) + 0.15f * (piece == 0 ? u : -u);
                    c = Rgb{0.72f * k, 0.76f * k, 0.82f * k};
                    if (Length(u, v) < 0.22f)
                        c = Rgb{0.95f, 0.95f, 1.0f};
                }
                else
                {
                    // A dark hollow with a lit lower rim.
                    const float k = 0.12f + 0.35f * Clamp01(v) * Clamp01(Length(u, v));
                    c = Rgb{k * 0.8f, k * 0.9f, k * 1.2f};
                }
                pic.Over(piece * 16 + x, 128 + y, Rgba{c.r, c.g, c.b, a});
            }
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 96; ++x)
        {
            const float r = Length((float(x) + 0.5f) / 48.0f - 1.0f, (float(y) + 0.5f) / 64.0f - 1.0f);
            const float a = Clamp01(1.0f - r) * Clamp01(r * 1.6f) * 1.4f;
            pic.Over(128 + x, 128 + y, Rgba{0.85f, 0.95f, 1.0f, Clamp01(a)});
        }
}

void DrawEffectPieces(Picture& pic, int colour)
{
    if (colour == 0)
        DrawChain(pic);
    else if (colour == 3)
        DrawCapsAndShield(pic);
}

// The white totem's paint, white so that any colour tints it: a 2 x 2 atlas of
// 64 x 64 cells. Upper left, a round blob of paint about (0.25, 0.25); upper right,
// its glint about (0.75, 0.25). A flying blob turns a 0.25-wide square about either
// centre, so both stay inside radius 0.11 and clear beyond it. Lower left, a drop
// of the landing spray (round end down, as it falls); lower right, the drop's glint.
Picture PaintDrops()
{
    Picture atlas(128, 128);
    const auto cell = [&atlas](int column, int row, const std::function<Rgba(V2)>& paint) {
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
            {
                // p in texture units from the cell's centre, y up.
                const V2 p{(float(x) + 0.5f) / 128.0f - 0.25f, 0.25f - (float(y) + 0.5f) / 128.0f};
                atlas.Over(column * 64 + x, row * 64 + y, paint(p));
            }
    };
    const auto edge = [](float d) { return Clamp01(0.5f - d * 128.0f); }; // d < 0 inside, in texture units
    cell(0, 0, [&](V2 p) {
        const float shade = 0.9f + 0.1f * Clamp01(0.5f + (p.y - p.x) * 6.0f);
        return Rgba{shade, shade, shade, edge(Length(p.x, p.y) - 0.1f)};
    });
    cell(1, 0, [&](V2 p) {
        const float glint = Clamp01(1.0f - Length((p.x + 0.03f) / 1.4f, p.y - 0.035f) / 0.045f);
        const float rim = 0.35f * Clamp01(1.0f - std::fabs(Length(p.x, p.y) - 0.08f) / 0.012f) * Clamp01(p.y * 20.0f);
        return Rgba{1, 1, 1, std::max(Clamp01(glint * 1.6f), rim) * edge(Length(p.x, p.y) - 0.1f)};
    });
    // The drop: a round end of radius 0.1 below the centre, drawn out to a tip above it.
    const auto drop = [](V2 p) {
        return SmoothMin(Length(p.x, p.y + 0.09f) - 0.1f,
                         ConvexPolygon(p, {{-0.07f, -0.12f}, {0.07f, -0.12f}, {0.0f, 0.2f}}), 0.04f);
    };
    cell(0, 1, [&](V2 p) {
        const float shade = 0.88f + 0.12f * Clamp01(0.5f - (p.x + p.y) * 5.0f);
        return Rgba{shade, shade, shade, edge(drop(p))};
    });
    cell(1, 1, [&](V2 p) {
        const float glint = Clamp01(1.0f - Length((p.x + 0.035f) / 0.8f, p.y + 0.06f) / 0.035f);
        return Rgba{1, 1, 1, Clamp01(glint * 1.6f) * edge(drop(p))};
    });
    return atlas;
}

void MakeEffectPieces(const fs::path& gfx)
{
    // Violet glow and its ray: a soft round glow in the lower half, a light
    // streak in the upper part (u 0..0.734, v 0..0.5).
    Picture rays(128, 128);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
        {
            const float u = (float(x) + 0.5f) / 64.0f - 1.0f, v = (float(y) + 0.5f) / 32.0f - 1.0f;
            const float r = Length(u, v);
            const float a = Clamp01(1.0f - r) * Clamp01(1.0f - r);
            rays.Over(x, 64 + y, Rgba{0.85f, 0.6f + 0.3f * Clamp01(1.0f - 2.0f * r), 1.0f, a});
            if (x >= 94)
                continue;
            const float su = (float(x) + 0.5f) / 47.0f - 1.0f;
            const float streak = Clamp01(1.0f - su * su) * Clamp01(1.0f - std::fabs(v) / (0.08f + 0.3f * (1.0f - su * su)));
            rays.Over(x, y, Rgba{0.95f, 0.85f, 1.0f, streak});
        }
    Save(gfx / "VioletGlowRays.tga", rays);

    // The green totem's gem atlas, 256 x 256, white so that it takes any tint:
    // four layers of a cut stone (64 x 64 each in the top-left quarter), a
    // soft glow (top-right quarter), and the ray's wave along the bottom half
    // (one wave across the width, bright in its middle, dark at its edges).
    Picture unigem(256, 256);
    const std::vector<V2> stone = {{-0.5f, 0.7f}, {-0.85f, 0.25f}, {0.0f, -0.85f}, {0.85f, 0.25f}, {0.5f, 0.7f}};
    for (int layer = 0; layer < 4; ++layer)
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
            {
                V2 p{(float(x) + 0.5f) / 32.0f - 1.0f, 1.0f - (float(y) + 0.5f) / 32.0f};
                if (layer >= 2) // the outer layers are the stone turned and thinner
                    p = V2{p.y, -p.x};
                const float d = ConvexPolygon(p, stone);
                const float facet = p.y > 0.25f ? 1.0f : (p.x < 0.0f ? 0.75f : 0.9f);
                const float a = layer % 2 ? Clamp01(0.5f - std::fabs(d + 0.06f) * 24.0f) : Clamp01(0.5f - d * 32.0f);
                unigem.Over((layer >= 2 ? 64 : 0) + x, (layer % 2 ? 64 : 0) + y,
                            Rgba{facet, facet, facet, a * (layer >= 2 ? 0.6f : 1.0f)});
            }
    Glow(unigem, 128, 0, 128, Rgb{1, 1, 1}, 0.25f);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x)
        {
            const float u = (float(x) + 0.5f) / 256.0f, v = (float(y) + 0.5f) / 128.0f;
            const float centre = 0.5f + 0.22f * std::sin(u * 2.0f * kPi);
            const float core = std::exp(-((v - centre) / 0.12f) * ((v - centre) / 0.12f));
            const float haze = 0.35f * std::exp(-((v - 0.5f) / 0.3f) * ((v - 0.5f) / 0.3f));
            unigem.Over(x, 128 + y, Rgba{1, 1, 1, Clamp01(core + haze)});
        }
    Save(gfx / "Unigem.tga", unigem);

    // Steel plate for the blue totem's strikes.
    Picture steel(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
        {
            const float u = (float(x) + 0.5f) / 64.0f - 1.0f, v = (float(y) + 0.5f) / 64.0f - 1.0f;
            const float d = std::max(std::fabs(u), std::fabs(v)) - 0.85f;
            const float shade = 0.55f + 0.3f * (0.5f - 0.5f * (u + v) * 0.7f) + 0.08f * std::sin(u * 40.0f);
            steel.Over(x, y, Rgba{shade * 0.9f, shade * 0.93f, shade, Clamp01(0.5f - d * 64.0f)});
        }
    Save(gfx / "SteelCapsT.png", steel);

    // White paint: a soft vertical stream, and the blobs and drops.
    Picture stream(64, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const float u = (float(x) + 0.5f) / 32.0f - 1.0f;
            const float a = Clamp01(1.0f - u * u) * (0.75f + 0.25f * std::sin(float(y) * 0.2f + u * 3.0f));
            stream.Over(x, y, Rgba{1, 1, 1, a});
        }
    Save(gfx / "PaintStream.png", stream);
    Save(gfx / "PaintDrop.png", PaintDrops());
}

// Where colour c's silhouette (in "TotemBase.tga") and outline (in "TotemContour.png")
// lie: 60 x 76 cells, three in a row from (4, 0), three from (4, 78), the last at
// (194, 0); the plinth keeps the bottom of "TotemBase.tga" from y 154.
V2 PanelCell(int colour)
{
    if (colour == 6)
        return {194.0f, 0.0f};
    return {4.0f + 62.0f * float(colour % 3), 78.0f * float(colour / 3)};
}

// A colour's totem as a shape (the pillar crowned with its emblem), in picture fractions.
float TotemShape(int colour, V2 p)
{
    const float pillar = ConvexPolygon(p, {{-0.2f, -0.46f}, {0.2f, -0.46f}, {0.15f, 0.04f}, {-0.15f, 0.04f}});
    return std::min(pillar, Emblem(colour, {p.x / 0.24f, (p.y - 0.25f) / 0.24f}) * 0.24f);
}

// The panel's stone plinth, and for each colour the silhouette of its totem and the
// outline of that silhouette in the colour, marking a colour not owned.
void MakePanelPieces(const fs::path& gfx)
{
    Picture base(256, 256);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 192; ++x)
        {
            const V2 p{(float(x) + 0.5f) / 192.0f - 0.5f, 0.5f - (float(y) + 0.5f) / 192.0f};
            const float d = ConvexPolygon(p, {{-0.48f, -0.48f}, {0.48f, -0.48f}, {0.48f, -0.3f}, {-0.48f, -0.3f}}) - 0.01f;
            const float k = Bevel([](V2 q) {
                return ConvexPolygon(q, {{-0.48f, -0.48f}, {0.48f, -0.48f}, {0.48f, -0.3f}, {-0.48f, -0.3f}});
            }, p, 0.04f);
            const Rgb c = Shade(Rgb{0.42f, 0.36f, 0.30f}, k);
            base.Over(x, y, Rgba{c.r, c.g, c.b, Clamp01(0.5f - d * 192.0f)});
        }
    Picture contour(256, 256);
    for (int colour = 0; colour < 7; ++colour)
    {
        const V2 cell = PanelCell(colour);
        const Rgb hue = Mix(kColours[colour], Rgb{1, 1, 1}, 0.25f);
        for (int y = 0; y < 76; ++y)
            for (int x = 0; x < 60; ++x)
            {
                const V2 p{((float(x) + 0.5f) / 60.0f - 0.5f) * 0.8f, 0.5f - (float(y) + 0.5f) / 76.0f};
                const float d = TotemShape(colour, p) * 76.0f;
                const float v = Clamp01(0.5f - d);
                base.At(int(cell.x) + x, int(cell.y) + y) = Rgba{v * 0.7f, v * 0.7f, v * 0.7f, 1.0f};
                contour.Over(int(cell.x) + x, int(cell.y) + y, Rgba{hue.r, hue.g, hue.b, Clamp01(0.5f - (std::fabs(d) - 1.0f))});
            }
    }
    Save(gfx / "TotemBase.tga", base);

    Picture dark(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
        {
            const V2 p{(float(x) + 0.5f) / 128.0f - 0.5f, 0.5f - (float(y) + 0.5f) / 128.0f};
            const float v = Clamp01(0.5f - std::min(ConvexPolygon(p, {{-0.2f, -0.46f}, {0.2f, -0.46f}, {0.15f, 0.04f}, {-0.15f, 0.04f}}),
                                                    Length(p.x, p.y - 0.25f) - 0.24f) * 128.0f);
            dark.Over(x, y, Rgba{v * 0.7f, v * 0.7f, v * 0.7f, 1.0f});
        }
    Save(gfx / "TotemDark2.tga", dark);
    Save(gfx / "TotemContour.png", contour);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: totemgen <game folder>\n");
        return 1;
    }
    const fs::path gfx = fs::path(argv[1]) / "Data" / "Gfx";
    fs::create_directories(gfx);
    MakeBodies(gfx);
    MakeSmallTotems(gfx);
    MakeShadows(gfx);
    MakeLights(gfx);
    MakeDigits(gfx);
    MakeEffectPieces(gfx);
    MakePanelPieces(gfx);
    MakeShopPictures(gfx);
    for (const char* name : {"SmallTotem1.png", "TotemShadows.jpg", "TotemShadows_alpha.jpg", "TotemLights.png",
                             "TimeDigits.png", "RedTotem.png", "OrangeTotem.png", "VioletTotem.png",
                             "VioletGlowRays.tga", "GreenTotem.png", "Unigem.tga", "YellowTotem.png", "BlueTotem.png",
                             "SteelCapsT.png", "WhiteTotem.png", "PaintStream.png", "PaintDrop.png", "TotemBase.tga",
                             "TotemDark2.tga", "TotemContour.png", "RedTotemShop.png", "VioletTotemShop.png", "ShopColor.png",
                             "ShopBW.png", "ShopMul.png"})
        if (!fs::exists(gfx / name))
        {
            std::fprintf(stderr, "totemgen: could not write %s\n", name);
            return 1;
        }
    return 0;
}
