// capsgen: draws the token pictures that the caps manager loads, into the
// graphics folder of the game folder:
//   Caps.png, Caps_d.png, Caps_l.tga  tokens: 8 columns of 64 x 64 cells, one per
//                                      animation 0..7, frame 0 in row 0, frame 1
//                                      in row 1 (a glint; for column 7, steel in
//                                      row 0 and the special kind in row 1)
//   MemCaps1..3.tga, MemCaps1..3_l.tga memory cards: 3 x 3 cells of 84 x 84, one
//                                      card per row, frames narrow, mid, full
//                                      across (the cover: full, mid)
//   CursorAdd.bmp                      the round light mask
//   Chain.png                          single chain at (0, 0)-(92, 92), double at
//                                      (92, 0)-(184, 92); a loose link at
//                                      (184, 0)-(212, 28) and a soft light at
//                                      (188, 32)-(252, 96)
// The frame rectangles are those of data/Data/CapsAnimation.dat.
//
// Every colour has its own shape, so the board reads without colour: green
// hexagon, yellow star, red triangle, blue orb, orange rounded square, white
// diamond, violet crescent; steel is a riveted octagon plate.
//
// Usage: capsgen <game folder>
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

namespace
{

using namespace tools;

// An RGBA picture with straight (not premultiplied) alpha, 0..1 floats.
struct Picture
{
    int width, height;
    std::vector<float> px;  // r, g, b, a
    Picture(int w, int h) : width(w), height(h), px(size_t(w) * h * 4, 0.0f) {}
    float* At(int x, int y) { return &px[(size_t(y) * width + x) * 4]; }
    // "Over" composition of a straight-alpha colour.
    void Blend(int x, int y, Rgb c, float a)
    {
        if (a <= 0.0f || x < 0 || y < 0 || x >= width || y >= height)
            return;
        float* p = At(x, y);
        const float outA = a + p[3] * (1.0f - a);
        if (outA <= 0.0f)
            return;
        p[0] = (c.r * a + p[0] * p[3] * (1.0f - a)) / outA;
        p[1] = (c.g * a + p[1] * p[3] * (1.0f - a)) / outA;
        p[2] = (c.b * a + p[2] * p[3] * (1.0f - a)) / outA;
        p[3] = outA;
    }
    std::vector<uint8_t> Bytes(int channels) const { return ToBytes(px.data(), size_t(width) * height, channels); }
};

// --- signed distances, in pixels, negative inside ---

using Sdf = std::function<float(float, float)>;

float PolygonDistance(const std::vector<float>& v, float px, float py)
{
    const size_t n = v.size() / 2;
    float d = (px - v[0]) * (px - v[0]) + (py - v[1]) * (py - v[1]);
    float s = 1.0f;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i)
    {
        const float ex = v[j * 2] - v[i * 2], ey = v[j * 2 + 1] - v[i * 2 + 1];
        const float wx = px - v[i * 2], wy = py - v[i * 2 + 1];
        const float t = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        const float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = py >= v[i * 2 + 1], c2 = py < v[j * 2 + 1], c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}

// A regular polygon (or star with inner radius ratio) round the origin, y down.
std::vector<float> Star(int points, float outer, float inner, float rotation)
{
    std::vector<float> v;
    const int n = inner > 0.0f ? points * 2 : points;
    for (int i = 0; i < n; ++i)
    {
        const float r = (inner > 0.0f && i % 2) ? inner : outer;
        const float a = rotation + 2.0f * kPi * float(i) / float(n);
        v.push_back(r * std::cos(a));
        v.push_back(r * std::sin(a));
    }
    return v;
}

Sdf RoundedPolygon(std::vector<float> v, float rounding)
{
    return [v, rounding](float x, float y) { return PolygonDistance(v, x, y) - rounding; };
}

Sdf Circle(float r)
{
    return [r](float x, float y) { return std::sqrt(x * x + y * y) - r; };
}

Sdf Crescent(float r)
{
    return [r](float x, float y) {
        const float outer = std::sqrt(x * x + y * y) - r;
        const float cx = x - r * 0.55f, cy = y + r * 0.35f;
        const float inner = std::sqrt(cx * cx + cy * cy) - r * 0.78f;
        return std::max(outer, -inner);
    };
}

// The seven colours and their shapes; index 7 is steel, 8 the special kind.
struct Kind
{
    Rgb colour;
    Sdf shape;
};

std::vector<Kind> Kinds(float s)  // s: the outer radius in pixels
{
    return {
        {{0.20f, 0.85f, 0.25f}, RoundedPolygon(Star(6, s * 0.92f, 0.0f, 0.0f), s * 0.08f)},
        {{1.00f, 0.86f, 0.15f}, RoundedPolygon(Star(5, s * 1.02f, s * 0.50f, -kPi / 2.0f), s * 0.06f)},
        {{0.92f, 0.16f, 0.14f}, RoundedPolygon(Star(3, s * 0.86f, 0.0f, -kPi / 2.0f), s * 0.14f)},
        {{0.18f, 0.42f, 1.00f}, Circle(s * 0.92f)},
        {{1.00f, 0.55f, 0.10f}, RoundedPolygon(Star(4, s * 0.95f, 0.0f, kPi / 4.0f), s * 0.16f)},
        {{0.93f, 0.94f, 0.98f}, RoundedPolygon(Star(4, s * 1.00f, 0.0f, 0.0f), s * 0.08f)},
        {{0.70f, 0.25f, 0.95f}, Crescent(s * 0.95f)},
        {{0.62f, 0.66f, 0.72f}, RoundedPolygon(Star(8, s * 0.95f, 0.0f, kPi / 8.0f), s * 0.05f)},
        {{0.95f, 0.75f, 0.30f}, Circle(s * 0.90f)},
    };
}

// How a token is drawn into one cell.
enum class Style
{
    Normal,
    Marked,  // darker, with a gem set into it
    Glint,   // frame 1: a light streak across
    Light,   // the light variant: a glow of the shape for the additive pass
};

// Draws shape `kind` into the picture, centred at (cx, cy), squashed on x by
// `squash` (memory cards turning), scaled by `size` (outer radius).
void DrawToken(Picture& pic, int cellX, int cellY, int cell, int kindIndex, Style style, float size,
               float squash = 1.0f, int rivets = 0)
{
    const Kind kind = Kinds(size)[size_t(kindIndex)];
    const float cx = cellX + cell * 0.5f, cy = cellY + cell * 0.5f;
    const float bevel = size * 0.42f;
    auto sd = [&](float x, float y) { return kind.shape((x - cx) / squash, y - cy) * squash; };
    auto height = [&](float x, float y) {
        const float t = Clamp01(-sd(x, y) / bevel);
        return std::sqrt(1.0f - (1.0f - t) * (1.0f - t));  // a rounded bevel
    };
    const float lx = -0.45f, ly = -0.60f, lz = 0.66f;  // light from the top left
    for (int y = cellY; y < cellY + cell; ++y)
        for (int x = cellX; x < cellX + cell; ++x)
        {
            const float fx = x + 0.5f, fy = y + 0.5f;
            const float d = sd(fx, fy);
            // Soft drop shadow down and to the right.
            if (style != Style::Light)
            {
                const float ds = sd(fx - size * 0.08f, fy - size * 0.12f);
                const float shadow = Clamp01(0.5f - ds / (size * 0.18f)) * 0.45f;
                pic.Blend(x, y, Rgb{0, 0, 0}, shadow);
            }
            const float cover = Clamp01(0.5f - d);
            if (cover <= 0.0f)
                continue;
            const float gx = (height(fx + 0.5f, fy) - height(fx - 0.5f, fy)) * size * 0.5f;
            const float gy = (height(fx, fy + 0.5f) - height(fx, fy - 0.5f)) * size * 0.5f;
            float nx = -gx, ny = -gy, nz = 1.0f;
            const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
            nx /= len;
            ny /= len;
            nz /= len;
            const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
            // Half vector of the light and a viewer straight in front.
            float hx = lx, hy = ly, hz = lz + 1.0f;
            const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
            const float spec = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), 24.0f);
            // Body: lighter at the top left, deeper at the bottom right.
            const float rx = (fx - cx) / size, ry = (fy - cy) / size;
            const float grad = Clamp01(0.5f + 0.5f * (rx * 0.5f + ry * 0.7f));
            Rgb base = Mix(Mix(kind.colour, Rgb{1, 1, 1}, 0.25f), Scale(kind.colour, 0.72f), grad);
            if (kindIndex == 7)  // brushed steel
                base = Scale(base, 0.92f + 0.08f * std::sin(fy * 1.7f + std::sin(fx * 0.3f) * 2.0f));
            if (style == Style::Marked)
                base = Scale(base, 0.55f);
            Rgb c = Scale(base, 0.45f + 0.85f * diffuse);
            c = Mix(c, Rgb{1, 1, 1}, spec * 0.85f);
            // A glossy crescent highlight near the top left.
            const float gl = std::sqrt((rx + 0.25f) * (rx + 0.25f) + (ry + 0.38f) * (ry + 0.38f) * 2.2f);
            c = Mix(c, Rgb{1, 1, 1}, Smooth(0.38f, 0.12f, gl) * 0.45f * Smooth(-0.5f, -4.0f, d));
            // A dark rim keeps the shape readable on any background.
            c = Scale(c, 1.0f - 0.55f * Smooth(-2.2f, 0.0f, d));
            if (style == Style::Glint)
            {
                const float band = std::fabs((rx + ry) * 0.7071f + 0.15f);
                c = Mix(c, Rgb{1, 1, 1}, Smooth(0.16f, 0.02f, band) * 0.6f);
            }
            if (style == Style::Light)
            {
                const Rgb glow = Mix(kind.colour, Rgb{1, 1, 1}, 0.45f);
                c = Scale(glow, (0.35f + 0.45f * diffuse + spec * 0.6f) * cover);
                float* p = pic.At(x, y);
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
                p[3] = std::max(p[3], cover);
                continue;
            }
            pic.Blend(x, y, c, cover);
        }

    // Steel rivets, the special kind's star and the marked token's gem.
    auto dot = [&](float ox, float oy, float r, Rgb colour) {
        for (int y = int(cy + oy - r - 2); y <= int(cy + oy + r + 2); ++y)
            for (int x = int(cx + ox * squash - r - 2); x <= int(cx + ox * squash + r + 2); ++x)
            {
                const float dx = (x + 0.5f - cx - ox * squash) / squash, dy = y + 0.5f - cy - oy;
                const float dd = std::sqrt(dx * dx + dy * dy) - r;
                const float a = Clamp01(0.5f - dd);
                const float shade = Clamp01(0.8f - (dx + dy) / (r * 2.5f));
                if (style == Style::Light)
                    continue;
                pic.Blend(x, y, Mix(Scale(colour, 0.5f), Rgb{1, 1, 1}, shade * 0.7f), a);
            }
    };
    if (rivets)
        for (int i = 0; i < 4; ++i)
        {
            const float a = kPi / 4.0f + i * kPi / 2.0f;
            dot(std::cos(a) * size * 0.58f, std::sin(a) * size * 0.58f, size * 0.1f, Rgb{0.8f, 0.82f, 0.86f});
        }
    if (style == Style::Marked)
    {
        // A cut gem: a small diamond with facets, bright and cool.
        const std::vector<float> gem = Star(4, size * 0.38f, 0.0f, 0.0f);
        for (int y = int(cy - size * 0.45f); y <= int(cy + size * 0.45f); ++y)
            for (int x = int(cx - size * 0.45f); x <= int(cx + size * 0.45f); ++x)
            {
                const float fx = (x + 0.5f - cx) / squash, fy = y + 0.5f - cy;
                const float d = PolygonDistance(gem, fx, fy) * squash;
                const float a = Clamp01(0.5f - d);
                if (a <= 0.0f)
                    continue;
                const int facet = (fx < 0 ? 0 : 1) + (fy < 0 ? 0 : 2);
                const float bright[4] = {1.0f, 0.75f, 0.62f, 0.45f};
                Rgb c = Scale(Rgb{0.75f, 0.95f, 1.0f}, bright[facet]);
                c = Scale(c, 1.0f - 0.5f * Smooth(-1.5f, 0.0f, d));
                pic.Blend(x, y, c, a);
            }
    }
}

// The special kind (98): a golden orb with a white four-point sparkle.
void DrawSpecial(Picture& pic, int cellX, int cellY, int cell, Style style, float size)
{
    DrawToken(pic, cellX, cellY, cell, 8, style, size);
    if (style == Style::Light)
        return;
    const float cx = cellX + cell * 0.5f, cy = cellY + cell * 0.5f;
    const std::vector<float> sparkle = Star(4, size * 0.62f, size * 0.16f, -kPi / 2.0f);
    for (int y = cellY; y < cellY + cell; ++y)
        for (int x = cellX; x < cellX + cell; ++x)
        {
            const float d = PolygonDistance(sparkle, x + 0.5f - cx, y + 0.5f - cy);
            pic.Blend(x, y, Rgb{1.0f, 1.0f, 0.95f}, Clamp01(0.5f - d) * 0.9f);
        }
}

// A memory card: a stone plate with the token on it, squashed while it turns.
void DrawCard(Picture& pic, int cellX, int cellY, int cell, int card, float squash, bool light)
{
    const float cx = cellX + cell * 0.5f, cy = cellY + cell * 0.5f;
    const float half = cell * 0.44f;
    const Sdf plate = RoundedPolygon(Star(4, half * 1.2f, 0.0f, kPi / 4.0f), half * 0.18f);
    const bool cover = card == 8;
    const Rgb stone = cover ? Rgb{0.45f, 0.33f, 0.62f} : Rgb{0.78f, 0.72f, 0.60f};
    for (int y = cellY; y < cellY + cell; ++y)
        for (int x = cellX; x < cellX + cell; ++x)
        {
            const float fx = (x + 0.5f - cx) / squash, fy = y + 0.5f - cy;
            const float d = plate(fx, fy) * squash;
            const float a = Clamp01(0.5f - d);
            if (a <= 0.0f)
                continue;
            const float edge = Smooth(-6.0f, 0.0f, d);
            const float grad = Clamp01(0.5f + (fx + fy) / (half * 4.0f));
            Rgb c = Mix(Mix(stone, Rgb{1, 1, 1}, 0.25f), Scale(stone, 0.6f), grad);
            c = Scale(c, 1.0f - 0.45f * edge);
            if (cover)
            {
                // Rings of an emblem on the cover.
                const float r = std::sqrt(fx * fx + fy * fy) / half;
                const float ring = std::fabs(std::fmod(r * 3.0f, 1.0f) - 0.5f);
                c = Mix(c, Rgb{0.95f, 0.85f, 0.45f}, Smooth(0.12f, 0.04f, ring) * Smooth(0.95f, 0.8f, r));
            }
            if (light)
            {
                float* p = pic.At(x, y);
                const Rgb g = Scale(Mix(stone, Rgb{1, 1, 1}, 0.6f), 0.45f * a);
                p[0] = g.r;
                p[1] = g.g;
                p[2] = g.b;
                p[3] = a;
                continue;
            }
            pic.Blend(x, y, c, a);
        }
    if (light || cover || card == 7)
        return;
    DrawToken(pic, cellX, cellY, cell, card, Style::Normal, cell * 0.3f, squash, 0);
}

bool Save(const std::filesystem::path& path, const Picture& pic, int channels)
{
    const bool ok = WriteImage(path, pic.width, pic.height, channels, pic.Bytes(channels));
    if (!ok)
        std::fprintf(stderr, "capsgen: cannot write %s\n", path.string().c_str());
    return ok;
}

Picture TokenAtlas(Style style)
{
    const int cell = 64;
    Picture pic(cell * 8, cell * 2);
    const float size = 27.0f;
    for (int k = 0; k < 8; ++k)
    {
        const Style glint = style == Style::Normal ? Style::Glint : style;
        if (k < 7)
        {
            DrawToken(pic, k * cell, 0, cell, k, style, size);
            DrawToken(pic, k * cell, cell, cell, k, glint, size);
        }
        else
        {
            DrawToken(pic, k * cell, 0, cell, 7, style, size, 1.0f, 1);
            DrawSpecial(pic, k * cell, cell, cell, style, size);
        }
    }
    return pic;
}

// One memory-card atlas: cards first..first+2 (0..6 colours, 7 empty, 8 cover).
Picture CardAtlas(int first, bool light)
{
    const int cell = 84;
    Picture pic(256, 256);
    for (int row = 0; row < 3; ++row)
    {
        const int card = first + row;
        const float faces[3] = {0.2f, 0.6f, 1.0f};
        const float covers[3] = {1.0f, 0.45f, 0.15f};
        for (int column = 0; column < 3; ++column)
            DrawCard(pic, column * cell, row * cell, cell, card, card == 8 ? covers[column] : faces[column],
                     light);
    }
    return pic;
}

Picture LightMask()
{
    Picture pic(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const float dx = (x + 0.5f - 32.0f) / 32.0f, dy = (y + 0.5f - 32.0f) / 32.0f;
            const float r = Clamp01(std::sqrt(dx * dx + dy * dy));
            const float v = (1.0f - r) * (1.0f - r);
            float* p = pic.At(x, y);
            p[0] = p[1] = p[2] = v;
            p[3] = 1.0f;
        }
    return pic;
}

struct LinkShape
{
    float a, b;   // half axes of the oval
    float thick;  // of the steel
    float slope;  // of the shading from lit top left to dark bottom right, per pixel
};

// One oval ring of steel turned by `angle`, seen flat or, when edge-on, from its
// side. Pass 0 draws its dark outline, pass 1 the steel.
void DrawLink(Picture& pic, float cx, float cy, float angle, const LinkShape& link, bool edgeOn, int pass)
{
    const float a = link.a, b = link.b, thick = link.thick;
    const float ca = std::cos(angle), sa = std::sin(angle);
    const float grow = pass == 0 ? 1.3f : 0.0f;
    const int reach = int(a + thick + 3.0f);
    for (int y = int(cy) - reach; y <= int(cy) + reach; ++y)
        for (int x = int(cx) - reach; x <= int(cx) + reach; ++x)
        {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
            float d;
            if (edgeOn)
            {
                // A capsule: the link seen from its side.
                const float qu = std::max(std::fabs(u) - (a - 1.8f), 0.0f);
                d = std::sqrt(qu * qu + v * v) - 1.8f;
            }
            else
            {
                const float e = std::sqrt((u / a) * (u / a) + (v / b) * (v / b));
                d = std::fabs(e - 1.0f) * b - thick * 0.5f;
            }
            if (d - grow > 0.0f)
                continue;
            if (pass == 0)
            {
                pic.Blend(x, y, Rgb{0.08f, 0.08f, 0.1f}, 1.0f);
                continue;
            }
            const float shade = Clamp01(0.8f - (dx + dy) * link.slope - d * 0.25f);
            const Rgb c = Mix(Rgb{0.35f, 0.37f, 0.42f}, Rgb{0.95f, 0.96f, 1.0f}, shade);
            pic.Blend(x, y, c, 1.0f);
        }
}

// Chain links along a path: alternating flat and edge-on oval rings of steel,
// each with a dark outline so that the chain reads over any token.
void DrawLinks(Picture& pic, int ox, int oy, const std::vector<std::pair<float, float>>& centres,
               const std::vector<float>& angles)
{
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < centres.size(); ++i)
            DrawLink(pic, ox + centres[i].first, oy + centres[i].second, angles[i], {8.0f, 5.0f, 2.8f, 0.06f}, i % 2,
                     pass);
}

// Beside the lock rings, the pieces the green totem's chain flies apart in: one link
// across the 28 x 28 cell at (184, 0); and the soft round light, tinted when drawn,
// that runs along the chain: 64 x 64 at (188, 32).
void DrawChainPieceAndLight(Picture& pic)
{
    for (int pass = 0; pass < 2; ++pass)
        DrawLink(pic, 198.0f, 14.0f, -kPi / 4.0f, {10.5f, 6.5f, 3.4f, 0.045f}, false, pass);
    for (int y = 32; y < 96; ++y)
        for (int x = 188; x < 252; ++x)
        {
            const float r = std::sqrt((x + 0.5f - 220.0f) * (x + 0.5f - 220.0f) + (y + 0.5f - 64.0f) * (y + 0.5f - 64.0f));
            const float fall = Clamp01(1.0f - r / 31.0f);
            pic.Blend(x, y, Rgb{1.0f, 1.0f, 1.0f}, Clamp01(fall * fall * (1.0f + 2.0f * fall * fall)));
        }
}

Picture Chains()
{
    Picture pic(256, 128);
    // A ring of links round the token for one lock...
    std::vector<std::pair<float, float>> ring;
    std::vector<float> ringAngles;
    const int links = 14;
    for (int i = 0; i < links; ++i)
    {
        const float a = 2.0f * kPi * float(i) / float(links);
        ring.emplace_back(46.0f + std::cos(a) * 35.0f, 46.0f + std::sin(a) * 35.0f);
        ringAngles.push_back(a + kPi / 2.0f);
    }
    DrawLinks(pic, 0, 0, ring, ringAngles);
    // ...and for two, the ring with a chain across from top left to bottom right.
    DrawLinks(pic, 92, 0, ring, ringAngles);
    std::vector<std::pair<float, float>> across;
    std::vector<float> acrossAngles;
    for (int i = 0; i < 7; ++i)
    {
        const float t = float(i) / 6.0f;
        across.emplace_back(20.0f + t * 52.0f, 20.0f + t * 52.0f);
        acrossAngles.push_back(kPi / 4.0f);
    }
    DrawLinks(pic, 92, 0, across, acrossAngles);
    // A padlock where the chain crosses the middle.
    for (int y = 40; y < 60; ++y)
        for (int x = 92 + 38; x < 92 + 54; ++x)
        {
            const float fx = x + 0.5f - (92 + 46.0f), fy = y + 0.5f - 50.0f;
            const bool body = std::fabs(fx) <= 7.0f && fy >= -3.0f && fy <= 8.0f;
            const float sr = std::sqrt(fx * fx + (fy + 3.0f) * (fy + 3.0f));
            const bool shackle = fy < -3.0f && sr >= 3.5f && sr <= 6.0f;
            if (!body && !shackle)
                continue;
            const Rgb c = body ? Mix(Rgb{0.85f, 0.62f, 0.15f}, Rgb{0.5f, 0.33f, 0.05f}, Clamp01((fx + fy) / 14.0f + 0.5f))
                               : Rgb{0.8f, 0.82f, 0.86f};
            pic.Blend(x, y, c, 1.0f);
        }
    DrawChainPieceAndLight(pic);
    return pic;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: capsgen <game folder>\n");
        return 1;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "Data" / "Gfx";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    SetPngCompressionLevel(9);
    bool ok = true;
    ok &= Save(folder / "Caps.png", TokenAtlas(Style::Normal), 4);
    ok &= Save(folder / "Caps_d.png", TokenAtlas(Style::Marked), 4);
    ok &= Save(folder / "Caps_l.tga", TokenAtlas(Style::Light), 4);
    for (int i = 0; i < 3; ++i)
    {
        const std::string n = std::to_string(i + 1);
        ok &= Save(folder / ("MemCaps" + n + ".tga"), CardAtlas(i * 3, false), 4);
        ok &= Save(folder / ("MemCaps" + n + "_l.tga"), CardAtlas(i * 3, true), 4);
    }
    ok &= Save(folder / "CursorAdd.bmp", LightMask(), 3);
    ok &= Save(folder / "Chain.png", Chains(), 4);
    return ok ? 0 : 1;
}
