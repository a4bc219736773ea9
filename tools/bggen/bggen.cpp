// Draws the pictures of the animated backgrounds from code: the main menu's painting
// (a dusk sky over layered ridges, a lit temple gate and a frame of dark foliage), and
// the museum's, jungle's and valley's pictures, masks and rays (ScenePaint.h).
// Shapes, gradients and sine noise only: every run writes the same files.
//
// Usage: bggen <game folder>   (writes Data/Gfx/...)

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tools/common/ImageWrite.h"
#include "tools/common/PixelMaths.h"
#include "tools/bggen/ScenePaint.h"

namespace {

using namespace tools;

// Layered sine waves: a smooth, repeatable "noise" for ridges and leaves.
float Waves(float x, float seed)
{
    return 0.5f * std::sin(x * 0.011f + seed) + 0.3f * std::sin(x * 0.027f + seed * 2.1f) +
           0.2f * std::sin(x * 0.061f + seed * 3.7f);
}

// The painting fills the top 1024 by 768 of a 1024 by 1024 texture.
Rgba MainBackPixel(float x, float y)
{
    const float sky = Clamp01(y / 520.0f);
    Rgba c = Mix(C(34, 40, 96), C(236, 150, 92), sky * sky);
    // The low sun and its glow.
    const float sun = std::hypot(x - 512.0f, y - 470.0f);
    c = Mix(c, C(255, 232, 170), Clamp01(1.0f - sun / 260.0f) * 0.7f);
    if (sun < 58.0f)
        c = C(255, 244, 210);
    // Three ridges, farther ones paler.
    const Rgba ridges[3] = {C(120, 92, 130), C(74, 58, 96), C(36, 34, 58)};
    for (int i = 0; i < 3; ++i)
    {
        const float top = 430.0f + 70.0f * i + 40.0f * Waves(x, 1.3f * i + 0.4f);
        if (y > top)
            c = Mix(ridges[i], C(20, 18, 32), Clamp01((y - top) / 500.0f));
    }
    // A temple gate on the middle ridge, lit from the sun.
    const float gx = std::fabs(x - 512.0f);
    if (y > 380.0f && y < 610.0f && gx < 150.0f && !(gx < 70.0f && y > 450.0f))
        c = Mix(C(88, 62, 52), C(214, 160, 96), Clamp01(1.0f - gx / 150.0f) * 0.6f);
    // Dark foliage framing the sides.
    const float edge = std::min(x, 1023.0f - x);
    const float leaf = 150.0f + 60.0f * Waves(y * 1.7f, x < 512.0f ? 0.7f : 2.9f);
    if (edge < leaf)
        c = Mix(C(18, 44, 26), C(46, 96, 48), Clamp01(edge / leaf) * (0.5f + 0.5f * std::sin(y * 0.09f + x * 0.05f)));
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: bggen <game folder>\n");
        return 2;
    }
    const std::filesystem::path gfx = std::filesystem::path(argv[1]) / "Data" / "Gfx";
    std::filesystem::create_directories(gfx);
    const int w = 1024, h = 1024;
    std::vector<Rgba> px(size_t(w) * h, C(20, 18, 32));
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] = MainBackPixel(x + 0.5f, y + 0.5f);
    if (!WriteImage(gfx / "MainBack.jpg", w, h, 3, ToBytes(px, 3), 90))
    {
        std::fprintf(stderr, "bggen: cannot write MainBack.jpg\n");
        return 1;
    }
    if (!bggen::PaintMuseum(gfx) || !bggen::PaintJungle(gfx) || !bggen::PaintValley(gfx))
    {
        std::fprintf(stderr, "bggen: cannot write the level scenes' pictures\n");
        return 1;
    }
    return 0;
}
