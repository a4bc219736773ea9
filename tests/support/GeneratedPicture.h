// A picture our generators wrote into the game folder, decoded as the game's loader
// decodes it, and the alpha it holds in an area given in texture coordinates (the
// way the effects name the cells they sample).
#pragma once

#include "platform/d3dx8/decode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

struct GeneratedPicture
{
    d3dx8impl::DecodedImage image;

    // False (and the test skips) when the build made no game folder.
    bool Load(const std::string& file)
    {
        const std::string path = std::string(ORB_GAME_DIR) + "/Data/Gfx/" + file;
        return std::filesystem::exists(path) && d3dx8impl::DecodeImageFile(path.c_str(), image);
    }

    uint32_t Pixel(int x, int y) const { return image.argb[size_t(y) * size_t(image.width) + size_t(x)]; }
    int Alpha(int x, int y) const { return int(Pixel(x, y) >> 24); }
    // The brightest of red, green and blue.
    int Light(int x, int y) const
    {
        const uint32_t p = Pixel(x, y);
        return int(std::max({(p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu}));
    }

    // Visits every pixel whose centre lies in the texture rectangle [u0, u1) x [v0, v1).
    template <class F>
    void ForEachIn(float u0, float v0, float u1, float v1, F&& f) const
    {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
            {
                const float u = (float(x) + 0.5f) / float(image.width), v = (float(y) + 0.5f) / float(image.height);
                if (u >= u0 && u < u1 && v >= v0 && v < v1)
                    f(x, y, u, v);
            }
    }

    int MaxAlphaIn(float u0, float v0, float u1, float v1) const
    {
        int best = 0;
        ForEachIn(u0, v0, u1, v1, [&](int x, int y, float, float) { best = std::max(best, Alpha(x, y)); });
        return best;
    }

    // The largest alpha on the rectangle's outermost ring of pixels: 0 when nothing
    // there can bleed into a neighbouring cell or be cut off by the cell's edge.
    int MaxAlphaOnBorder(float u0, float v0, float u1, float v1) const
    {
        const float du = 1.0f / float(image.width), dv = 1.0f / float(image.height);
        int best = 0;
        ForEachIn(u0, v0, u1, v1, [&](int x, int y, float u, float v) {
            if (u < u0 + du || u >= u1 - du || v < v0 + dv || v >= v1 - dv)
                best = std::max(best, Alpha(x, y));
        });
        return best;
    }
};
