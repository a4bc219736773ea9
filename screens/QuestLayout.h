// CQuestLayout: the look of the quest play screen from "Skin.cfg": the frame
// around the board, the board's place and cell size, the sand glass below it
// and the splash timing. A plain value object owned by the game; the board,
// the sand glass and the gem bar keep a pointer to it.
#pragma once

#include <cstdint>
#include <vector>

class CQuestLayout
{
public:
    CQuestLayout();
    // Reads the values of "Skin.cfg" (path = configuration folder + "Skin.cfg").
    void Load(const char* path);

    // Frame elements, parallel: per element a rectangle (x, y, width, height
    // from the board's top-left corner, y down), four (u, v) corners, a texture
    // index, an ARGB colour and a blend method (0 normal, 1 add, 2 mul, 3
    // screen). The built-in frame surrounds a 640 by 640 board of 80-unit cells,
    // its edges repeating their slice 19 times, over a cell background.
    std::vector<float> frameRects = {
        -16, -16, 32, 32,  624, -16, 32, 32,  -16, 624, 32, 32,  624, 624, 32, 32, 16, -16, 608, 32,
        16, 624, 608, 32,  -16, 16, 32, 608,  624, 16, 32, 608,  0, 0, 640, 640,
    };
    std::vector<float> frameUVs = {
        0, 0, 0.125f, 0, 0.125f, 1, 0, 1,
        0.125f, 0, 0.25f, 0, 0.25f, 1, 0.125f, 1,
        0.25f, 0, 0.375f, 0, 0.375f, 1, 0.25f, 1,
        0.375f, 0, 0.5f, 0, 0.5f, 1, 0.375f, 1,
        1, 0, 1, 19, 0.875f, 19, 0.875f, 0,
        0.875f, 0, 0.875f, 19, 0.75f, 19, 0.75f, 0,
        0.5f, 0, 0.625f, 0, 0.625f, 19, 0.5f, 19,
        0.625f, 0, 0.75f, 0, 0.75f, 19, 0.625f, 19,
        -0.5f, -0.5f, 7.5f, -0.5f, 7.5f, 7.5f, -0.5f, 7.5f,
    };
    std::vector<int32_t> frameTextures = {0, 0, 0, 0, 0, 0, 0, 0, 1};
    std::vector<uint32_t> frameColours = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                                          0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xC0FFFFFFu};
    std::vector<int32_t> frameMethods = {0, 0, 0, 0, 0, 0, 0, 0, 0};

    float boardX = -144.5f, boardY = 367.5f, boardZ = 50.0f;
    float cellWidth = 80.0f, cellHeight = 80.0f;
    float radius = 32.0f;

    float sandboxX = -144.5f, sandboxY = -344.5f, sandboxZ = 50.0f;
    float sandboxWidth = 640.0f, sandboxHeight = 32.0f;
    int32_t sandboxSegments = 40;

    float splashBloomSpeed;
    float splashLifeTime;
    float splashFadeSpeed;
};
