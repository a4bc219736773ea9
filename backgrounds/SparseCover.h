// Where a mostly transparent picture can show: the rectangles of a repeating picture
// that hold its visible texels, and the cells of the screen a mask lets anything
// through. A scene drawing such a picture over the whole screen feeds the rasteriser
// only these pieces; the pixels outside them would blend with alpha zero.
#pragma once

#include <cstdint>
#include <vector>

namespace scene {

// Texels [x0, x1) x [y0, y1) of a picture.
struct TexelRect
{
    int x0, y0, x1, y1;
};

// Rectangles, disjoint and in row order, that hold every texel within `pad` texels
// (the picture repeating at its edges) of a texel whose alpha is not zero: pad is the
// reach of the texture filter. Tiles of `tile` texels are merged along rows, then runs
// of equal width down the columns.
std::vector<TexelRect> VisibleRects(const std::vector<uint8_t>& alpha, int width, int height, int tile, int pad);

// The texels of level 0 a filtered sample can reach when a texel of the picture spans
// `texelsPerPixel` screen pixels' worth of level 0 (the mip level nearest to it is read).
int FilterReach(float texelsPerPixel);

// A grid over the screen (fractions 0..1 across and down) marking the cells where a
// mask, read over [0, 1] x [0, maskBottom] of its texture, is not transparent.
class CoverGrid
{
public:
    CoverGrid() = default;
    CoverGrid(const std::vector<uint8_t>& alpha, int width, int height, float maskBottom, int columns, int rows,
              int pad);
    // Whether any marked cell meets the rectangle [x0, x1] x [y0, y1] (screen fractions).
    bool Shows(float x0, float y0, float x1, float y1) const;
    bool Empty() const { return m_cells.empty(); }

private:
    void Mark(float x0, float y0, float x1, float y1);

    int m_columns = 0, m_rows = 0;
    std::vector<uint8_t> m_cells;
};

} // namespace scene
