// The shared pieces of the level-scene pictures.
#include "tools/bggen/ScenePaint.h"

#include <algorithm>

namespace bggen {

namespace {

// A cut gem seen from the front, set in a dark bronze socket (the picture has no
// alpha, so the gem's square shows whole): an octagon with a bright table, darker
// crown facets and a glint, in its colour.
Rgba GemPixel(float x, float y, const Rgba& colour)
{
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float outline = std::max(std::max(ax, ay), (ax + ay) * 0.7071f * 1.08f);
    const Rgba socket = tools::Scale(tools::C(120, 86, 46), 0.35f + 0.3f * Clamp01(1.0f - std::hypot(x, y) * 0.7f));
    if (outline > 0.92f)
        return socket;
    Rgba c = colour;
    if (outline < 0.48f)
        c = Mix(colour, Rgba{1, 1, 1, 1}, 0.25f + 0.25f * (0.5f - y));
    else
    {
        // Crown facets: lighter towards the upper left.
        const float facet = std::atan2(y, x);
        const float shade = 0.55f + 0.35f * std::cos(facet + 2.3f);
        c = tools::Scale(colour, shade + 0.25f);
    }
    const float glint = std::hypot(x + 0.35f, y + 0.35f);
    AddLight(c, Rgba{1, 1, 1, 1}, Clamp01(1.0f - glint / 0.18f));
    return Mix(socket, c, Smooth(0.92f, 0.84f, outline));
}

// How much of the gem covers a point of its cell (x, y in -1..1): its octagon.
float GemCover(float x, float y)
{
    const float ax = std::fabs(x), ay = std::fabs(y);
    return Smooth(0.92f, 0.84f, std::max(std::max(ax, ay), (ax + ay) * 0.7071f * 1.08f));
}

// An empty socket in the picture: a dark hollow where the gem will sit, in a bronze
// rim a little wider than the gem's cell.
void PaintSocket(Canvas& canvas, int cx, int cy, int width, int height)
{
    const float rx = 0.5f * float(width), ry = 0.5f * float(height);
    for (int y = cy - int(ry) - 6; y < cy + int(ry) + 6; ++y)
        for (int x = cx - int(rx) - 6; x < cx + int(rx) + 6; ++x)
        {
            if (x < 0 || y < 0 || x >= canvas.width || y >= 768)
                continue;
            const float dx = (float(x) + 0.5f - float(cx)) / rx, dy = (float(y) + 0.5f - float(cy)) / ry;
            const float d = std::hypot(dx, dy);
            const float rim = Clamp01((1.12f - d) * rx);
            const Rgba bronze = tools::Scale(tools::C(200, 166, 110), 0.7f + 0.3f * Clamp01(-dx - dy + 0.6f));
            Rgba& c = canvas.At(x, y);
            c = Mix(c, d < 0.9f ? tools::C(36, 28, 20) : bronze, rim);
        }
}

} // namespace

void PaintOrnaments(Canvas& canvas, const OrnamentSheet& sheet)
{
    for (const std::array<int, 2>& place : sheet.gemPlaces)
        PaintSocket(canvas, place[0], place[1], sheet.gemWidth, sheet.gemHeight);
    for (size_t i = 0; i < sheet.gemColours.size(); ++i)
    {
        const int left = 2 + int(i) * (sheet.gemWidth + 2);
        const bool placed = i < sheet.gemPlaces.size();
        for (int y = 0; y < sheet.gemHeight; ++y)
            for (int x = 0; x < sheet.gemWidth; ++x)
            {
                const float gx = (float(x) + 0.5f) / float(sheet.gemWidth) * 2.0f - 1.0f;
                const float gy = (float(y) + 0.5f) / float(sheet.gemHeight) * 2.0f - 1.0f;
                Rgba& cell = canvas.At(left + x, sheet.gemTop + y);
                cell = GemPixel(gx, gy, sheet.gemColours[i]);
                if (!placed)
                    continue;
                const int px = sheet.gemPlaces[i][0] - sheet.gemWidth / 2 + x;
                const int py = sheet.gemPlaces[i][1] - sheet.gemHeight / 2 + y;
                cell = Mix(canvas.At(px, py), cell, GemCover(gx, gy));
            }
    }
    // The ray: a beam bright in its middle line, fading to its ends and edges.
    for (int y = 0; y < sheet.rayHeight; ++y)
        for (int x = 0; x < sheet.rayWidth; ++x)
        {
            const float u = (float(x) + 0.5f) / float(sheet.rayWidth) * 2.0f - 1.0f;
            const float v = (float(y) + 0.5f) / float(sheet.rayHeight) * 2.0f - 1.0f;
            const float k = (1.0f - u * u) * std::exp(-v * v * 6.0f);
            // Added onto the scene: black adds nothing.
            const float a = Clamp01(k);
            canvas.At(sheet.rayLeft + x, sheet.rayTop + y) = Rgba{a, 0.95f * a, 0.8f * a, 1.0f};
        }
}

void PaintMap(Canvas& canvas, int left, int top, int width, int height)
{
    const tools::Noise grain(77u, 16);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const float u = (float(x) + 0.5f) / float(width), v = (float(y) + 0.5f) / float(height);
            Rgba c = Mix(tools::C(226, 200, 150), tools::C(176, 136, 90), grain.Fractal(u * 8, v * 8, 3));
            // A coast, a dotted path and a cross where the treasure lies.
            const float coast = 0.5f + 0.18f * Waves(v * 900.0f, 2.0f);
            if (std::fabs(u - coast) < 0.008f)
                c = tools::C(110, 70, 40);
            const float path = 0.3f + 0.4f * v + 0.05f * std::sin(v * 18.0f);
            if (std::fabs(u - path) < 0.006f && std::fmod(v * 40.0f, 1.0f) < 0.5f)
                c = tools::C(150, 40, 30);
            if (std::fabs(std::fabs(u - 0.7f) - std::fabs(v - 0.9f)) < 0.01f && std::fabs(u - 0.7f) < 0.04f)
                c = tools::C(170, 30, 20);
            const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
            c = tools::Scale(c, 0.75f + 0.25f * Smooth(0.0f, 0.08f, edge));
            c.a = 1.0f;
            canvas.At(left + x, top + y) = c;
        }
}

void WriteFlareRays(const std::filesystem::path& gfx, const std::string& name, int rays, uint32_t seed, Rgba tint)
{
    const int size = 256;
    Canvas canvas(size, size, {0, 0, 0, 0});
    tools::Lcg rng(seed);
    std::vector<float> width(static_cast<size_t>(rays)), strength(static_cast<size_t>(rays));
    for (int i = 0; i < rays; ++i)
    {
        width[size_t(i)] = 0.02f + 0.05f * rng.Next();
        strength[size_t(i)] = 0.4f + 0.6f * rng.Next();
    }
    canvas.Paint(0, size, [&](float x, float y, Rgba& c) {
        const float dx = x / size * 2 - 1, dy = y / size * 2 - 1;
        const float r = std::hypot(dx, dy);
        const float angle = std::atan2(dy, dx) / (2 * tools::kPi) + 0.5f;
        float k = 0;
        for (int i = 0; i < rays; ++i)
        {
            float d = std::fabs(angle - (float(i) + 0.5f) / float(rays));
            d = std::min(d, 1 - d);
            const float w = 0.2f * width[size_t(i)];
            k = std::max(k, strength[size_t(i)] * std::exp(-(d * d) / (w * w)));
        }
        const float fall = Clamp01(1 - r) * Clamp01(1 - r);
        const float core = std::exp(-r * r * 30.0f);
        const float a = Clamp01(k * fall * 0.8f + core);
        c = Rgba{tint.r * a, tint.g * a, tint.b * a, a};
    });
    WriteWithAlpha(gfx, name, ".tga", canvas);
}

bool WriteRgb(const std::filesystem::path& path, Canvas& canvas, int channels)
{
    return tools::WriteImage(path, canvas.width, canvas.height, channels, tools::ToBytes(canvas.px, channels), 92);
}

bool WriteWithAlpha(const std::filesystem::path& gfx, const std::string& name, const std::string& ext, Canvas& canvas)
{
    Canvas alpha(canvas.width, canvas.height, {0, 0, 0, 1});
    for (size_t i = 0; i < canvas.px.size(); ++i)
        alpha.px[i] = Rgba{canvas.px[i].a, canvas.px[i].a, canvas.px[i].a, 1.0f};
    return WriteRgb(gfx / (name + ext), canvas) && WriteRgb(gfx / (name + "_alpha" + ext), alpha);
}

} // namespace bggen
