// The background generator's shared pieces: a straight-alpha picture with "over"
// painting, writers that note a failed file, and the pictures of each scene.
#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

#include "tools/common/PixelMaths.h"

namespace bggen {

struct Picture
{
    Picture(int w, int h) : width(w), height(h), px(size_t(w) * size_t(h), tools::Rgba{0, 0, 0, 0}) {}
    void Set(int x, int y, tools::Rgba c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            px[size_t(y) * size_t(width) + size_t(x)] = c;
    }
    // Paints `c` over what is there with coverage `k`.
    void Over(int x, int y, tools::Rgba c, float k)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        tools::Rgba& d = px[size_t(y) * size_t(width) + size_t(x)];
        const float a = k * c.a, out = a + d.a * (1.0f - a);
        if (out <= 0.0f)
            return;
        d = tools::Rgba{(c.r * a + d.r * d.a * (1.0f - a)) / out, (c.g * a + d.g * d.a * (1.0f - a)) / out,
                        (c.b * a + d.b * d.a * (1.0f - a)) / out, out};
    }
    int width, height;
    std::vector<tools::Rgba> px;
};

// Each writer notes a failure (with a message) and the run ends with status 1.
void Write(const std::filesystem::path& path, const Picture& p, int channels);
void WriteWithAlpha(const std::filesystem::path& colour, const std::filesystem::path& alpha, const Picture& p);
bool Ok();

// A pointed leaf from (x0, y0) along angle `a`, shaded across its midrib.
void PaintLeaf(Picture& p, float x0, float y0, float a, float len, float width, tools::Rgba colour);

// The main menu: the sky strip below its painting, and its further pictures.
void PaintSkyStrip(std::vector<tools::Rgba>& px, int width, tools::Rgba (*skyAt)(float y));
bool WriteMainMenuParts(const std::filesystem::path& gfx);

// A round faceted gem in a cell (fx, fy in 0..1), transparent outside.
tools::Rgba GemPixel(float fx, float fy, tools::Rgba colour);

// The door and treasury scenes' pictures.
bool WriteTreasuryPictures(const std::filesystem::path& gfx);
bool WriteDoorPictures(const std::filesystem::path& gfx);

} // namespace bggen
