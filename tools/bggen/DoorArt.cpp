// The door scene: a torch-lit temple hall with a great carved door between two
// pillars and ten gem sockets in an arch around it ("Door.jpg", with the gem and ray
// pictures below its 768 rows), the dappled floor shadow and its mask, and the
// foliage sheet (two hanging curtains, the sunlit doorway, the door leaf, its shade).
// The rectangles here are the ones data/Data/Config/Background.cfg names.
#include <cmath>
#include <vector>

#include "tools/bggen/BgArt.h"
#include "tools/common/PixelMaths.h"

namespace bggen {

using namespace tools;

namespace {

const float kDoorX = 366.0f, kDoorY = 187.0f, kDoorW = 170.0f, kDoorH = 268.0f;
const float kFloorY = 455.0f;

// Ashlar blocks: mortar lines and a little per-block tint.
Rgba Blocks(float x, float y, float bw, float bh, Rgba stone)
{
    const float row = std::floor(y / bh);
    const float xs = x + (int(row) % 2 ? bw / 2 : 0.0f);
    const float col = std::floor(xs / bw);
    const float fx = xs - col * bw, fy = y - row * bh;
    const float tint = 0.88f + 0.12f * std::sin(col * 12.9898f + row * 78.233f);
    Rgba c = Scale(stone, tint * (0.92f + 0.08f * std::sin(x * 0.3f + y * 0.17f)));
    if (fx < 2.0f || fy < 2.0f)
        c = Scale(c, 0.55f);
    return c;
}

Rgba DoorStone(float x, float y)
{
    const float fx = (x - kDoorX) / kDoorW, fy = (y - kDoorY) / kDoorH;
    Rgba c = Mix(C(120, 92, 60), C(84, 62, 40), fy);
    // Two panels with a carved sun between them.
    const bool frame = fx < 0.08f || fx > 0.92f || fy < 0.05f || fy > 0.95f || std::fabs(fx - 0.5f) < 0.03f;
    if (frame)
        c = Scale(c, 1.2f);
    const float sun = std::hypot((fx - 0.5f) * kDoorW, (fy - 0.4f) * kDoorH);
    if (sun < 30.0f)
        c = Mix(C(200, 160, 80), C(150, 110, 50), sun / 30.0f);
    else if (sun < 44.0f && std::fmod(std::atan2(fy - 0.4f, fx - 0.5f) + 4.0f, 0.5236f) < 0.18f)
        c = C(180, 140, 70);
    return c;
}

Rgba HallPixel(float x, float y)
{
    // Walls of warm stone, darker towards the top; the floor in big slabs below.
    Rgba c;
    if (y < kFloorY)
        c = Scale(Blocks(x, y, 64.0f, 32.0f, C(150, 120, 90)), 0.45f + 0.55f * (y / kFloorY));
    else
    {
        const float depth = (y - kFloorY) / (768.0f - kFloorY);
        const float px = (x - 451.0f) / (0.4f + depth) + 451.0f;
        c = Scale(Blocks(px, (y - kFloorY) * 3.0f / (0.3f + depth), 96.0f, 96.0f, C(170, 140, 100)), 0.6f + 0.4f * depth);
    }
    // Pillars beside the door, and the lintel.
    for (float px : {kDoorX - 70.0f, kDoorX + kDoorW + 20.0f})
        if (x > px && x < px + 50.0f && y > 120.0f && y < kFloorY + 8.0f)
        {
            const float f = (x - px) / 50.0f;
            c = Scale(C(176, 148, 110), 0.55f + 0.6f * std::sin(f * kPi) * (0.8f + 0.2f * std::sin(y * 0.2f)));
        }
    if (y > 150.0f && y < 187.0f && x > kDoorX - 80.0f && x < kDoorX + kDoorW + 80.0f)
        c = Scale(Blocks(x, y, 50.0f, 37.0f, C(190, 160, 118)), 0.9f);
    if (x >= kDoorX && x < kDoorX + kDoorW && y >= kDoorY && y < kDoorY + kDoorH)
        c = DoorStone(x, y);
    // Torch light on the walls.
    for (float tx : {200.0f, 700.0f})
    {
        const float d = std::hypot(x - tx, (y - 260.0f) * 1.3f);
        c = Mix(c, C(255, 190, 100), Clamp01(1.0f - d / 220.0f) * 0.45f);
        if (std::fabs(x - tx) < 6.0f && y > 270.0f && y < 330.0f)
            c = C(70, 50, 30);
        const float flame = std::hypot((x - tx) * 1.8f, y - 258.0f);
        if (flame < 14.0f)
            c = Mix(C(255, 250, 200), C(255, 140, 40), flame / 14.0f);
    }
    return c;
}

// Ten gem sockets on an arch around the door (pixels of the picture: centres).
void GemCentre(int k, float& x, float& y)
{
    const float a = kPi * (0.05f + 0.9f * k / 9.0f);
    x = 451.0f - std::cos(a) * 190.0f;
    y = 330.0f - std::sin(a) * 200.0f;
}

const Rgba kGemColours[10] = {C(230, 40, 40),  C(240, 130, 30), C(240, 220, 40), C(80, 200, 60),  C(40, 200, 200),
                              C(50, 110, 240), C(140, 60, 230), C(230, 70, 190), C(250, 250, 250), C(255, 190, 90)};

void PaintHall(Picture& pic)
{
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            pic.Set(x, y, HallPixel(x + 0.5f, y + 0.5f));
    // Empty sockets where the gems will light.
    for (int k = 0; k < 10; ++k)
    {
        float gx, gy;
        GemCentre(k, gx, gy);
        for (int y = int(gy) - 30; y < int(gy) + 30; ++y)
            for (int x = int(gx) - 30; x < int(gx) + 30; ++x)
            {
                const float d = std::hypot(x + 0.5f - gx, y + 0.5f - gy);
                if (d < 26.0f)
                    pic.Over(x, y, d < 20.0f ? C(40, 30, 22) : C(200, 170, 120), Clamp01(26.0f - d));
            }
    }
    // Gem pictures (44 by 44 from column 2 of row 802, 52 apart): the socket as the
    // picture shows it with the gem set in, so a gem fading in covers its socket
    // seamlessly. Then the ray (240 by 48).
    for (int k = 0; k < 10; ++k)
    {
        float gx, gy;
        GemCentre(k, gx, gy);
        const int left = int(std::lround(gx - 22.0f)), top = int(std::lround(gy - 22.0f));
        for (int y = 0; y < 44; ++y)
            for (int x = 0; x < 44; ++x)
            {
                const Rgba socket = pic.px[size_t(top + y) * 1024 + size_t(left + x)];
                const Rgba gem = GemPixel((x + 0.5f) / 44.0f, (y + 0.5f) / 44.0f, kGemColours[k]);
                pic.Set(2 + 52 * k + x, 802 + y, Mix(socket, WithAlpha(gem, 1.0f), gem.a));
            }
    }
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 240; ++x)
        {
            const float fx = (x + 0.5f) / 240.0f, fy = (y + 0.5f) / 48.0f - 0.5f;
            const float v = std::pow(Clamp01(1.0f - std::fabs(fy) * 2.0f), 1.5f) * Smooth(0.0f, 0.15f, fx) *
                            (1.0f - Smooth(0.5f, 1.0f, fx));
            pic.Set(2 + x, 870 + y, Rgba{v, v * 0.95f, v * 0.8f, 1.0f});
        }
}

void PaintFoliageSheet(Picture& sheet)
{
    // Two curtains hanging from the top edge.
    Lcg rng(4242);
    for (int c = 0; c < 2; ++c)
    {
        const float top = c == 0 ? 0.0f : 352.0f, left = c == 0 ? 0.0f : 4.0f;
        for (int i = 0; i < 260; ++i)
        {
            const float x = left + rng.Next() * 508.0f;
            const float outer = c == 0 ? 1.0f - (x - left) / 508.0f : (x - left) / 508.0f;
            const float y = top + std::pow(rng.Next(), 2.2f - outer) * (120.0f + 200.0f * outer);
            const float g = 0.4f + 0.6f * rng.Next();
            PaintLeaf(sheet, x, std::min(y, top + 320.0f), 1.57f + 1.2f * (rng.Next() - 0.5f), 24.0f + 18.0f * rng.Next(),
                      8.0f + 4.0f * rng.Next(), C(int(24 + 40 * g), int(64 + 80 * g), int(26 + 30 * g)));
        }
    }
    // The sunlit garden beyond the doorway.
    for (int y = 0; y < 264; ++y)
        for (int x = 0; x < 166; ++x)
        {
            const float fy = y / 264.0f, fx = x / 166.0f;
            Rgba c = Mix(C(255, 246, 200), C(250, 200, 110), fy);
            if (fy > 0.62f + 0.05f * std::sin(fx * 20.0f))
                c = Mix(C(90, 150, 60), C(50, 100, 40), fy);
            c = Mix(c, C(255, 255, 230), Clamp01(1.0f - std::hypot(fx - 0.5f, fy - 0.35f) * 2.2f));
            sheet.Set(2 + x, 714 + y, c);
        }
    // The door leaf as it stands in the picture, and its lintel shade.
    for (int y = 0; y < int(kDoorH); ++y)
        for (int x = 0; x < int(kDoorW); ++x)
        {
            sheet.Set(170 + x, 712 + y, DoorStone(kDoorX + x + 0.5f, kDoorY + y + 0.5f));
            const float v = 0.55f * (1.0f - Smooth(0.0f, 0.5f, y / kDoorH));
            sheet.Set(340 + x, 712 + y, Rgba{v, v, v, 1.0f});
        }
}

void PaintShadow(Picture& shadow, Picture& mask)
{
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 512; ++x)
        {
            const float fx = x / 512.0f * 2.0f * kPi, fy = y / 128.0f * 2.0f * kPi;
            const float n = 0.5f + 0.25f * std::sin(fx * 3.0f + std::sin(fy * 2.0f)) +
                            0.25f * std::sin(fy * 3.0f + 1.7f * std::cos(fx * 5.0f));
            const float v = 0.15f + 0.45f * Smooth(0.35f, 0.8f, n);
            shadow.Set(x, y, Rgba{v, v, v, 1.0f});
        }
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
        {
            const float fy = (y + 0.5f) / 64.0f, fx = (x + 0.5f) / 128.0f;
            const float v = Smooth(0.0f, 0.35f, fy) * (0.6f + 0.4f * std::sin(fx * kPi));
            mask.Set(x, y, Rgba{v, v, v, v});
        }
}

} // namespace

Rgba GemPixel(float fx, float fy, Rgba colour)
{
    const float d = std::hypot(fx - 0.5f, fy - 0.5f) * 2.0f;
    if (d > 1.0f)
        return Rgba{0, 0, 0, 0};
    const float facet = 0.75f + 0.25f * std::cos(std::atan2(fy - 0.5f, fx - 0.5f) * 4.0f);
    Rgba c = Scale(colour, (0.55f + 0.45f * (1.0f - d)) * facet);
    c = Mix(c, C(255, 255, 255), Clamp01(1.0f - std::hypot(fx - 0.38f, fy - 0.35f) * 7.0f));
    return WithAlpha(c, Clamp01((1.0f - d) * 12.0f));
}

bool WriteDoorPictures(const std::filesystem::path& gfx)
{
    Picture pic(1024, 1024);
    PaintHall(pic);
    for (Rgba& c : pic.px)
        c.a = 1.0f;
    Write(gfx / "Door.jpg", pic, 3);
    Picture sheet(512, 1024);
    PaintFoliageSheet(sheet);
    WriteWithAlpha(gfx / "DoorFoliage.tga", gfx / "DoorFoliage_alpha.tga", sheet);
    Picture shadow(512, 128), mask(128, 64);
    PaintShadow(shadow, mask);
    Write(gfx / "DoorShadow.jpg", shadow, 3);
    Write(gfx / "DoorMask.tga", mask, 4);
    return Ok();
}

} // namespace bggen
