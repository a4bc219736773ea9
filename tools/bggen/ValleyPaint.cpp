// The valley's pictures: a wide valley with a winding river, meadows, woods and blue
// ridges under an open sky. The sky's top is left dark: the painting is screened
// over the clouds drawn in perspective behind it. With them: the cloud tile, the
// mask that darkens the clouds towards the ridges, and the rays about the sun.
#include "tools/bggen/ScenePaint.h"

namespace bggen {

namespace {

using tools::C;

const float kSunX = 302.0f, kSunY = 81.0f;
// The clouds end about here; below it the painting paints the sky itself.
const float kCloudsEnd = 190.0f;

float Ridge(float x, float level, float seed, float height)
{
    return level - height * (0.55f + 0.45f * Waves(x, seed));
}

// The river winds from the bottom into the distance at the horizon's middle.
float RiverCentre(float y) { return 560.0f + 120.0f * std::sin(y * 0.012f) * (y - 330.0f) / 440.0f; }
float RiverHalfWidth(float y) { return 4.0f + (y - 340.0f) * 0.22f; }

Rgba Sky(float x, float y)
{
    // Dark above, where the clouds show through; the haze of the horizon below.
    Rgba c = Mix(C(0, 0, 0), C(120, 160, 200), Smooth(110.0f, kCloudsEnd + 40.0f, y));
    c = Mix(c, C(236, 214, 176), Smooth(240.0f, 330.0f, y));
    const float sun = std::hypot(x - kSunX, y - kSunY);
    AddLight(c, C(255, 236, 190), 0.5f * Clamp01(1.0f - sun / 160.0f));
    return c;
}

Rgba Land(float x, float y, const tools::Noise& noise, Rgba c)
{
    const float haze = Clamp01((y - 280.0f) / 300.0f);
    if (y > Ridge(x, 330.0f, 0.7f, 90.0f))
        c = Mix(C(150, 160, 196), C(108, 124, 150), noise.Fractal(x / 60.0f, y / 30.0f, 3));
    if (y > Ridge(x * 1.4f, 370.0f, 2.9f, 60.0f))
        c = Mix(C(90, 120, 110), C(70, 104, 80), noise.Fractal(x / 40.0f, y / 20.0f, 3));
    if (y > 372.0f)
    {
        // Meadows and woods on the valley floor, brighter near.
        const float wood = noise.Fractal(x / 90.0f, y / 45.0f, 4);
        c = wood > 0.56f ? Mix(C(40, 78, 36), C(22, 52, 24), (wood - 0.56f) * 4.0f)
                         : Mix(C(150, 170, 80), C(96, 140, 56), haze + 0.3f * wood);
        const float river = std::fabs(x - RiverCentre(y)) / RiverHalfWidth(y);
        if (river < 1.0f)
            c = Mix(C(200, 220, 230), C(110, 150, 180), river * 0.7f + 0.3f * Clamp01((y - 372.0f) / 400.0f));
        else if (river < 1.25f)
            c = C(170, 150, 100); // sand along the banks
    }
    return c;
}

// Rocks and tall grass in the near corners.
void Foreground(float x, float y, const tools::Noise& noise, Rgba& c)
{
    const float leftRock = 640.0f + 60.0f * Waves(x * 2.5f, 1.1f) + 0.35f * x;
    if (x < 300.0f && y > leftRock)
        c = tools::Scale(Mix(C(120, 110, 96), C(70, 64, 56), noise.Fractal(x / 20.0f, y / 20.0f, 3)), 0.9f);
    const float rightGrass = 690.0f - 0.25f * (x - 760.0f) + 20.0f * std::fabs(std::sin(x * 0.21f));
    if (x > 760.0f && y > rightGrass)
        c = Mix(C(60, 100, 30), C(30, 60, 20), noise.Fractal(x / 8.0f, y / 30.0f, 2));
}

Rgba ValleyPixel(float x, float y, const tools::Noise& noise)
{
    Rgba c = Land(x, y, noise, Sky(x, y));
    Foreground(x, y, noise, c);
    return c;
}

bool PaintClouds(const std::filesystem::path& gfx)
{
    const int size = 512;
    const tools::Noise noise(41u, 8); // wraps with the tile
    Canvas clouds(size, size, {0, 0, 0, 1});
    clouds.Paint(0, size, [&](float x, float y, Rgba& c) {
        const float n = noise.Fractal(x / size * 8.0f, y / size * 8.0f, 5);
        const float cover = Smooth(0.42f, 0.72f, n);
        const Rgba sky = Mix(C(56, 104, 190), C(110, 160, 220), y / size);
        const Rgba cloud = Mix(C(255, 252, 246), C(176, 180, 196), Smooth(0.6f, 0.85f, n));
        c = Mix(sky, cloud, cover);
    });
    return WriteRgb(gfx / "ValleyCloud.jpg", clouds);
}

bool PaintCloudMask(const std::filesystem::path& gfx)
{
    // 62 of its 64 rows cover the top 248 pixels: white darkens the clouds away.
    Canvas mask(256, 64, {0, 0, 0, 1});
    mask.Paint(0, 64, [](float, float v, Rgba& c) {
        const float k = Smooth(120.0f, kCloudsEnd, v / 62.0f * 248.0f);
        c = Rgba{k, k, k, 1.0f};
    });
    return WriteRgb(gfx / "ValleyMask.tga", mask);
}

} // namespace

bool PaintValley(const std::filesystem::path& gfx)
{
    Canvas picture(1024, 1024, C(20, 26, 20));
    const tools::Noise noise(37u, 32);
    picture.Paint(0, 768, [&](float x, float y, Rgba& c) { c = ValleyPixel(x, y, noise); });
    PaintOrnaments(picture, OrnamentSheet{802, 56, 56,
                                          {C(230, 40, 40), C(250, 170, 30), C(60, 200, 70), C(50, 120, 240),
                                           C(190, 70, 230), C(40, 210, 220), C(250, 110, 160), C(240, 240, 240)},
                                          526, 880, 192, 44,
                                          {{400, 470}, {480, 452}, {560, 440}, {640, 434}, {720, 434}, {800, 440},
                                           {880, 452}, {960, 470}}});
    WriteFlareRays(gfx, "ValleyFlareRays", 20, 13u, C(255, 240, 200));
    return WriteRgb(gfx / "Valley.jpg", picture) && PaintClouds(gfx) && PaintCloudMask(gfx);
}

} // namespace bggen
