// CGemsBuffer: the gem bar beside the board that fills as gems are collected,
// held by the play field and the game.
//
// For now it keeps whether it is shown; its pictures, its cells and its
// flares come with the screens.
#pragma once

#include <cstdint>

class CGemsBuffer
{
public:
    // Shows or hides the bar, at once when time is 0.
    void Show(int32_t on, float time)
    {
        shown = on;
        fadeTime = time;
    }

    int32_t shown = 0;
    float fadeTime = 0.0f;
};
