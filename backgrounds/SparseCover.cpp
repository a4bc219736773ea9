// The visible rectangles of a repeating picture and the open cells of a mask.
#include "backgrounds/SparseCover.h"

#include <algorithm>
#include <cmath>

namespace scene {

namespace {

// Marks of the tiles that a visible texel reaches, `pad` texels around it, wrapping.
std::vector<uint8_t> MarkTiles(const std::vector<uint8_t>& alpha, int width, int height, int tile, int pad,
                               int columns, int rows)
{
    std::vector<uint8_t> marks(size_t(columns) * size_t(rows), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            if (!alpha[size_t(y) * size_t(width) + size_t(x)])
                continue;
            for (int ty = (y - pad) / tile - 1; ty <= (y + pad) / tile + 1; ++ty)
                for (int tx = (x - pad) / tile - 1; tx <= (x + pad) / tile + 1; ++tx)
                {
                    // A tile the grown texel meets, counted where the picture repeats.
                    const int left = tx * tile, top = ty * tile;
                    if (left > x + pad || left + tile <= x - pad || top > y + pad || top + tile <= y - pad)
                        continue;
                    const int cx = ((tx % columns) + columns) % columns, cy = ((ty % rows) + rows) % rows;
                    marks[size_t(cy) * size_t(columns) + size_t(cx)] = 1;
                }
        }
    return marks;
}

} // namespace

std::vector<TexelRect> VisibleRects(const std::vector<uint8_t>& alpha, int width, int height, int tile, int pad)
{
    std::vector<TexelRect> rects;
    if (width <= 0 || height <= 0 || tile <= 0 || alpha.size() < size_t(width) * size_t(height))
        return rects;
    const int columns = (width + tile - 1) / tile, rows = (height + tile - 1) / tile;
    const std::vector<uint8_t> marks = MarkTiles(alpha, width, height, tile, std::max(pad, 0), columns, rows);
    // Runs along each row of tiles; a run below one of the same span extends it.
    std::vector<size_t> open; // the rects that end at the current row
    for (int ty = 0; ty < rows; ++ty)
    {
        std::vector<size_t> next;
        for (int tx = 0; tx < columns;)
        {
            if (!marks[size_t(ty) * size_t(columns) + size_t(tx)])
            {
                ++tx;
                continue;
            }
            int end = tx;
            while (end < columns && marks[size_t(ty) * size_t(columns) + size_t(end)])
                ++end;
            const TexelRect run{tx * tile, ty * tile, std::min(end * tile, width), std::min((ty + 1) * tile, height)};
            auto above = std::find_if(open.begin(), open.end(), [&](size_t i) {
                return rects[i].x0 == run.x0 && rects[i].x1 == run.x1;
            });
            if (above != open.end())
            {
                rects[*above].y1 = run.y1;
                next.push_back(*above);
            }
            else
            {
                next.push_back(rects.size());
                rects.push_back(run);
            }
            tx = end;
        }
        open = std::move(next);
    }
    return rects;
}

int FilterReach(float texelsPerPixel)
{
    // The nearest mip level: level L averages 2^L texels a side, and its bilinear
    // sample reaches one of its own texels beyond the one it is in.
    int level = 0;
    if (texelsPerPixel > 1.0f)
        level = std::max(0, int(std::lround(std::log2(texelsPerPixel))));
    return 2 * (1 << std::min(level, 8)) + 1;
}

CoverGrid::CoverGrid(const std::vector<uint8_t>& alpha, int width, int height, float maskBottom, int columns,
                     int rows, int pad)
    : m_columns(columns), m_rows(rows), m_cells(size_t(std::max(columns, 0)) * size_t(std::max(rows, 0)), 0)
{
    if (width <= 0 || height <= 0 || columns <= 0 || rows <= 0 || alpha.size() < size_t(width) * size_t(height))
    {
        m_cells.assign(m_cells.size(), 1); // unknown: every cell may show
        return;
    }
    const float usedRows = float(height) * maskBottom;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            if (!alpha[size_t(y) * size_t(width) + size_t(x)])
                continue;
            // The texel's filter footprint, and its copies where the mask repeats.
            for (int wy = -1; wy <= 1; ++wy)
                for (int wx = -1; wx <= 1; ++wx)
                {
                    const int left = x + wx * width - pad, top = y + wy * height - pad;
                    Mark(float(left) / float(width), float(top) / usedRows, float(left + 1 + 2 * pad) / float(width),
                         float(top + 1 + 2 * pad) / usedRows);
                }
        }
}

void CoverGrid::Mark(float x0, float y0, float x1, float y1)
{
    if (x1 < 0.0f || y1 < 0.0f || x0 > 1.0f || y0 > 1.0f)
        return;
    const int cx0 = std::max(0, int(std::floor(x0 * float(m_columns))));
    const int cx1 = std::min(m_columns - 1, int(std::floor(x1 * float(m_columns))));
    const int cy0 = std::max(0, int(std::floor(y0 * float(m_rows))));
    const int cy1 = std::min(m_rows - 1, int(std::floor(y1 * float(m_rows))));
    for (int cy = cy0; cy <= cy1; ++cy)
        for (int cx = cx0; cx <= cx1; ++cx)
            m_cells[size_t(cy) * size_t(m_columns) + size_t(cx)] = 1;
}

bool CoverGrid::Shows(float x0, float y0, float x1, float y1) const
{
    if (m_cells.empty())
        return true;
    const int cx0 = std::max(0, int(std::floor(x0 * float(m_columns))));
    const int cx1 = std::min(m_columns - 1, int(std::floor(x1 * float(m_columns))));
    const int cy0 = std::max(0, int(std::floor(y0 * float(m_rows))));
    const int cy1 = std::min(m_rows - 1, int(std::floor(y1 * float(m_rows))));
    for (int cy = cy0; cy <= cy1; ++cy)
        for (int cx = cx0; cx <= cx1; ++cx)
            if (m_cells[size_t(cy) * size_t(m_columns) + size_t(cx)])
                return true;
    return false;
}

} // namespace scene
