// CSandbox: the sand glass beside the board, in which the sand of removed tokens
// piles up and pours out in a score frenzy; CSandHeap, its heap of sand
// columns. The play field makes the sand glass, gives it a new heap at every
// level start, and switches its running, flowing and showing; the renderer
// draws it while it is visible.
//
// For now they keep the switches and the area that the board sets; the sand
// itself, its particles and its drawing come with the sand glass.
#pragma once

#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CSandHeap
{
public:
    struct Portion
    {
        float amount;
        float x;
        float delay;
    };

    void SetSegmentCount(int32_t n) { columns = n > 0 ? n : 0; }

    int32_t mode = 0;        // 1 while pouring (a score frenzy)
    int32_t status = 1;      // 1, 2, 3
    int32_t drainOn = 0;     // the sand moves only while set
    float drainRate = 0.0f;  // fill rate
    float pourRate = 0.0f;   // how long a frenzy pours
    double refill = 0.0;     // the value a frenzy pours with
    int32_t columns = 0;
    std::vector<Portion> portions;  // sand on its way into the glass
};

class CSandbox
{
public:
    void SetHeap(CRefPtr<CSandHeap> newHeap) { heap = std::move(newHeap); }

    void SetArea(float x, float y, float z, float w, float h)
    {
        area[0] = x;
        area[1] = y;
        area[2] = z;
        area[3] = w;
        area[4] = h;
    }

    // Rate 0 switches at once; otherwise the glass fades in or out at that rate.
    void SetState(int32_t on, float rate)
    {
        if (rate == 0.0f)
        {
            visible = on;
            level = on ? 1.0f : 0.0f;
            levelSpeed = 0.0f;
        }
        else
            levelSpeed = on ? rate : -rate;
    }

    void SetFlowing(bool on, double value)
    {
        if (!heap)
            return;
        heap->mode = on ? 1 : 0;
        if (on)
            heap->refill = value;
    }

    // A portion of sand on its way into the glass: where it starts, how big
    // the grains' cloud is and how it moves; the heap takes the amount.
    void Pour(float amount, float x, float y, float z, float halfSize, float horizontalSpeed, float upwardSpeed,
              float maxFallSpeed, float gravity)
    {
        (void)y, (void)z, (void)halfSize, (void)horizontalSpeed, (void)upwardSpeed, (void)maxFallSpeed,
            (void)gravity;
        if (heap)
            heap->portions.push_back(CSandHeap::Portion{amount, x, 0.0f});
    }

    CRefPtr<CSandHeap> heap;
    int32_t visible = 0;
    float level = 0.0f;
    float levelSpeed = 0.0f;
    float area[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};  // x, y, z, width, height
};
