// CStarEffect: the Golden Star award over the play panel. The game holds it and
// runs it while a star is awarded; the board's input waits for its end.
//
// For now it is the timing alone: the star's flight picture comes with the HUD.
#pragma once

#include <cstdint>

class CStarEffect
{
public:
    void Start()
    {
        busy = 1;
        timer = 0.0f;
    }
    // 0 once the effect has ended (and on every later call).
    int Update(float dt)
    {
        if (!busy)
            return 0;
        timer += dt;
        if (timer >= duration)
            busy = 0;
        return busy;
    }

    int32_t busy = 0;
    float timer = 0.0f;
    float duration = 1.5f;
};
