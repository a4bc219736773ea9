// Value grids written as pictures, one row per line:
//   '.' empty (0)   '1'..'7' colour + 1   'a'..'g' the same colours locked (-1..-7)
//   'X' colour 98 (99)   'Z' colour 99 (100)   'S' steel (101)   'L' locked steel (-101)
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "board/MatchGrid.h"

inline int32_t PictureValue(char ch) {
    if (ch == '.')
        return 0;
    if (ch >= '1' && ch <= '7')
        return ch - '0';
    if (ch >= 'a' && ch <= 'g')
        return -(ch - 'a' + 1);
    switch (ch) {
    case 'X': return 99;
    case 'Z': return 100;
    case 'S': return 101;
    case 'L': return -101;
    }
    throw std::invalid_argument(std::string("bad picture character ") + ch);
}

inline void LoadPicture(CMatchGrid& grid, const std::vector<std::string>& picture) {
    const int32_t h = static_cast<int32_t>(picture.size());
    const int32_t w = h ? static_cast<int32_t>(picture[0].size()) : 0;
    grid.Resize(w, h);
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c)
            grid.Set(r, c, PictureValue(picture[r][c]));
}
