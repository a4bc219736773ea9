// The board's place and size as the board last laid itself out: read by the
// totems and the bonuses, which draw to the board's edges and cut their blasts
// at its column and row counts. The play field writes it at every layout reset.
#pragma once

#include <cstdint>

struct TotemBoardGeometry
{
    float x = -194.5f, y = 340.5f, z = 50.0f;
    float width = 664.0f, height = 664.0f;
    int32_t columns = 8, rows = 8;
    float cellWidth = 83.0f, cellHeight = 83.0f;
};

inline TotemBoardGeometry g_totemBoardGeometry;
