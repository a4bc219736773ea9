// Icon resource 101: a small glowing orb drawn at start-up, so no image file is needed.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/win32/window_internal.h"

namespace {

SDL_Surface* g_icon = nullptr;

const int kIconSize = 32;

Uint8 Channel(double v) { return static_cast<Uint8>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

void DrawOrb(SDL_Surface* s)
{
    const double c = (kIconSize - 1) / 2.0;
    const double radius = kIconSize / 2.0 - 1.0;
    Uint32* pixels = static_cast<Uint32*>(s->pixels);
    for (int y = 0; y < kIconSize; ++y)
    {
        for (int x = 0; x < kIconSize; ++x)
        {
            double dx = (x - c) / radius, dy = (y - c) / radius;
            double d = std::sqrt(dx * dx + dy * dy);
            // Body: deep teal shading to a bright amber core; highlight up and left.
            double core = std::max(0.0, 1.0 - d);
            double hx = dx + 0.35, hy = dy + 0.4;
            double shine = std::max(0.0, 1.0 - std::sqrt(hx * hx + hy * hy) * 3.0);
            double r = 0.10 + 0.95 * core * core + shine;
            double g = 0.35 + 0.55 * core + shine;
            double b = 0.45 + 0.10 * core + shine * 0.8;
            // Soft edge over one pixel.
            double alpha = std::clamp((1.0 - d) * radius + 0.5, 0.0, 1.0);
            pixels[y * (s->pitch / 4) + x] =
                SDL_MapRGBA(s->format, Channel(r), Channel(g), Channel(b), Channel(alpha));
        }
    }
}

}  // namespace

namespace platform {

SDL_Surface* GameIconSurface()
{
    if (!g_icon)
    {
        g_icon = SDL_CreateRGBSurfaceWithFormat(0, kIconSize, kIconSize, 32, SDL_PIXELFORMAT_RGBA32);
        if (g_icon)
            DrawOrb(g_icon);
    }
    return g_icon;
}

void FreeGameIcon()
{
    if (g_icon)
        SDL_FreeSurface(g_icon);
    g_icon = nullptr;
}

}  // namespace platform
