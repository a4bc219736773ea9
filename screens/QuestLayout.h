// CQuestLayout: the look of the quest play screen from "Skin.cfg": the frame
// around the board, the board's place and cell size, and the sand glass below
// it. A plain value object owned by the game; the board, the sand glass and
// the gem bar keep a pointer to it.
//
// For now it holds the built-in values the board reads; reading "Skin.cfg"
// and the other screens' values come with the screens.
#pragma once

#include <cstdint>
#include <vector>

class CQuestLayout
{
public:
    CQuestLayout()
    {
        struct Element
        {
            float x, y, w, h;
            int32_t texture;
            float uv[8];
            uint32_t colour;
        };
        // A frame round a 640 by 640 board of 80-unit cells, and the cell background.
        const Element defaults[] = {
            {-16, -16, 32, 32, 0, {0, 0, 0.125f, 0, 0.125f, 1, 0, 1}, 0xFFFFFFFFu},
            {624, -16, 32, 32, 0, {0.125f, 0, 0.25f, 0, 0.25f, 1, 0.125f, 1}, 0xFFFFFFFFu},
            {-16, 624, 32, 32, 0, {0.25f, 0, 0.375f, 0, 0.375f, 1, 0.25f, 1}, 0xFFFFFFFFu},
            {624, 624, 32, 32, 0, {0.375f, 0, 0.5f, 0, 0.5f, 1, 0.375f, 1}, 0xFFFFFFFFu},
            {16, -16, 608, 32, 0, {1, 0, 1, 19, 0.875f, 19, 0.875f, 0}, 0xFFFFFFFFu},
            {16, 624, 608, 32, 0, {0.875f, 0, 0.875f, 19, 0.75f, 19, 0.75f, 0}, 0xFFFFFFFFu},
            {-16, 16, 32, 608, 0, {0.5f, 0, 0.625f, 0, 0.625f, 19, 0.5f, 19}, 0xFFFFFFFFu},
            {624, 16, 32, 608, 0, {0.625f, 0, 0.75f, 0, 0.75f, 19, 0.625f, 19}, 0xFFFFFFFFu},
            {0, 0, 640, 640, 1, {-0.5f, -0.5f, 7.5f, -0.5f, 7.5f, 7.5f, -0.5f, 7.5f}, 0xC0FFFFFFu},
        };
        frameRects.reserve(22 * 4);
        for (const Element& e : defaults)
        {
            frameRects.insert(frameRects.end(), {e.x, e.y, e.w, e.h});
            frameUVs.insert(frameUVs.end(), e.uv, e.uv + 8);
            frameTextures.push_back(e.texture);
            frameColours.push_back(e.colour);
            frameMethods.push_back(0);
        }
    }

    // Frame elements: per element a rectangle (x, y, width, height from the
    // board's top-left corner, y down), four (u, v) corners, a texture index,
    // an ARGB colour and a blend method (0 normal, 1 add, 2 mul, 3 screen).
    std::vector<float> frameRects;
    std::vector<float> frameUVs;
    std::vector<int32_t> frameTextures;
    std::vector<uint32_t> frameColours;
    std::vector<int32_t> frameMethods;

    float boardX = -144.5f, boardY = 367.5f, boardZ = 50.0f;
    float cellWidth = 80.0f, cellHeight = 80.0f;
    float radius = 32.0f;

    float sandboxX = -144.5f, sandboxY = -344.5f, sandboxZ = 50.0f;
    float sandboxWidth = 640.0f, sandboxHeight = 32.0f;
    int32_t sandboxSegments = 40;
};
