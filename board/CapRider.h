// CCapRider: what a token needs of the bonus it carries. The board core knows a
// bonus only through this: the bonus takes the token's colour when it boards and
// follows the token wherever the token is drawn. The bonus library implements it.
#pragma once

#include <cstdint>

class CCapRider
{
public:
    virtual ~CCapRider() = default;

    virtual void TakeColour(int32_t colour) = 0;
    virtual void MoveTo(float x, float y, float z, int column, int row, int animate) = 0;
};
