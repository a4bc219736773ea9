// CSandbox: the sand glass beside the board, in which the sand of removed tokens
// piles up and pours out in a score frenzy; CSandHeap, its heap of sand
// columns. The play field makes the sand glass, gives it a new heap at every
// level start, and switches its running, flowing and showing; the renderer
// draws it while it is visible.
//
// For now they keep the switches and the area that the board sets, fade the
// glass in and out, and let queued sand land after its fall time (the landed
// sand is not piled up yet); the columns, the particles and the drawing come
// with the sand glass.
#pragma once

#include "engine/RefPtr.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

class CSandHeap
{
public:
    struct Portion
    {
        float amount;
        float x;      // where the sand lands, in screen units
        float delay;  // seconds until it lands
    };

    void SetSegmentCount(int32_t n) { columns = n > 0 ? n : 0; }

    // Every portion's fall time runs down; a portion whose time is up lands and
    // leaves the queue (a portion queued with no fall time lands in the next
    // update). Any mode but building (0) and pouring (1) stops the sand.
    void Update(float dt)
    {
        if (mode != 0 && mode != 1)
            return;
        size_t kept = 0;
        for (size_t i = 0; i < portions.size(); ++i)
        {
            Portion p = portions[i];
            p.delay -= dt;
            if (p.delay > 0.0f)
                portions[kept++] = p;
        }
        portions.resize(kept);
    }

    // The sand on its way is dropped; the heap's settings stay.
    void Reset() { portions.clear(); }

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

    // Fades the glass in or out; the board steps the heap itself just before.
    void Update(float dt)
    {
        if (levelSpeed < 0.0f)
        {
            level += dt * levelSpeed;
            if (level <= 0.0f)
            {
                level = 0.0f;
                visible = 0;
                levelSpeed = 0.0f;
            }
        }
        else if (levelSpeed > 0.0f)
        {
            visible = 1;
            level += dt * levelSpeed;
            if (level >= 1.0f)
            {
                level = 1.0f;
                levelSpeed = 0.0f;
            }
        }
    }

    // A portion of sand on its way into the glass: where it starts, how big
    // the grains' cloud is and how it moves. It lands on the heap once it has
    // fallen from its lower edge to the glass's bottom, where it has drifted
    // to by then.
    void Pour(float amount, float x, float y, float z, float halfSize, float horizontalSpeed, float upwardSpeed,
              float maxFallSpeed, float gravity)
    {
        (void)z;
        if (!heap)
            return;
        const float drop = y - (area[1] - area[4]) - halfSize;
        float delay = 0.0f;
        if (drop > 0.0f && gravity > 0.0f && maxFallSpeed > 0.0f)
        {
            const float w = std::min(upwardSpeed, maxFallSpeed);
            const float t1 = (maxFallSpeed + w) / gravity;
            const float s1 = 0.5f * gravity * t1 * t1 - t1 * w;
            if (s1 < drop)
                delay = t1 + (drop - s1) / maxFallSpeed;
            else
                delay = (std::sqrt(2.0f * gravity * drop + w * w) + w) / gravity;
        }
        heap->portions.push_back(CSandHeap::Portion{amount, x + delay * horizontalSpeed, delay});
    }

    CRefPtr<CSandHeap> heap;
    int32_t visible = 0;
    float level = 0.0f;
    float levelSpeed = 0.0f;
    float area[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};  // x, y, z, width, height
};
