// What the level-scene painters share: a float canvas, smooth "noise" from sines
// and lattices, soft glows, the turning ray fans, the ornament pieces drawn below
// each picture (gems, rays, a map), and writing pictures with their "_alpha"
// companions. Everything is deterministic: every run writes the same files.
#pragma once

#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/ImageWrite.h"
#include "tools/common/PixelMaths.h"

namespace bggen {

using tools::Clamp01;
using tools::Mix;
using tools::Rgba;
using tools::Smooth;

struct Canvas
{
    int width, height;
    std::vector<Rgba> px;
    Canvas(int w, int h, Rgba fill) : width(w), height(h), px(size_t(w) * size_t(h), fill) {}
    Rgba& At(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
    // Calls shade(x, y, pixel) for every pixel of the rows [top, bottom).
    template <class Shade>
    void Paint(int top, int bottom, Shade&& shade)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < width; ++x)
                shade(float(x) + 0.5f, float(y) + 0.5f, At(x, y));
    }
};

// Layered sines: a smooth, repeatable wobble for ridges, leaves and shores.
inline float Waves(float x, float seed)
{
    return 0.5f * std::sin(x * 0.011f + seed) + 0.3f * std::sin(x * 0.027f + seed * 2.1f) +
           0.2f * std::sin(x * 0.061f + seed * 3.7f);
}

// Adds light: the colour screened over the pixel with the given strength.
inline void AddLight(Rgba& c, const Rgba& light, float k)
{
    c.r = c.r + (1.0f - c.r) * light.r * k;
    c.g = c.g + (1.0f - c.g) * light.g * k;
    c.b = c.b + (1.0f - c.b) * light.b * k;
}

// The ornament pieces every level picture carries below its 768 rows: gems of the
// given colours side by side from (2, top), each `size` wide and high with a gap of
// 2, a soft light ray in (rx, ry, rw, rh), and optionally a rolled-out map. With the
// gems' places in the picture (centres, pixels), an empty socket is painted at each
// and each gem's picture is the painting there with the gem set in, so a gem fading
// in covers its socket seamlessly.
struct OrnamentSheet
{
    int gemTop, gemWidth, gemHeight;
    std::vector<Rgba> gemColours;
    int rayLeft, rayTop, rayWidth, rayHeight;
    std::vector<std::array<int, 2>> gemPlaces;
};
void PaintOrnaments(Canvas& canvas, const OrnamentSheet& sheet);
void PaintMap(Canvas& canvas, int left, int top, int width, int height);

// A fan of soft rays about the centre of a square, as colour and alpha.
void WriteFlareRays(const std::filesystem::path& gfx, const std::string& name, int rays, uint32_t seed, Rgba tint);

// The canvas as RGB, or its colour and its alpha as two files ("<name>_alpha").
bool WriteRgb(const std::filesystem::path& path, Canvas& canvas, int channels = 3);
bool WriteWithAlpha(const std::filesystem::path& gfx, const std::string& name, const std::string& ext,
                    Canvas& canvas);

bool PaintMuseum(const std::filesystem::path& gfx);
bool PaintJungle(const std::filesystem::path& gfx);
bool PaintValley(const std::filesystem::path& gfx);

} // namespace bggen
