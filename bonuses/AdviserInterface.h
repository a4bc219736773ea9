// CAdviserInterface: the adviser hint display of the board (halos and arrows
// over a possible move), a member of the play field.
//
// For now it keeps only whether a hint is showing; the hint sprites come with
// the adviser bonus.
#pragma once

#include <cstdint>

class CAdviserInterface
{
public:
    // Takes the hint off the board.
    void Reset()
    {
        active = 0;
        remaining = 0.0f;
    }

    int32_t active = 0;
    float remaining = 0.0f;
};
