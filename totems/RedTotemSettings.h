// RedTotemSettings: the red totem's tuning from section "Red" of "Totems.cfg":
// the colours of its hovering balls and of its blasts, where the four balls
// hover (fractions of the totem's size from its centre, y up, with a depth
// offset) and how fast its missiles fly. The settings hold one.
#pragma once

#include "engine/MotionPath.h" // Vec3

#include <cstdint>

struct RedTotemSettings
{
    static constexpr int32_t kBalls = 4;

    void Read(const char* file);

    uint32_t ballColour1 = 0xFFFFC850u;
    uint32_t ballColour2 = 0xFF5050FFu;
    Vec3 ballPoints[kBalls] = {{-0.359375f, -0.1015625f, -100.0f},
                               {0.3828125f, -0.046875f, -100.0f},
                               {-0.3671875f, 0.24609375f, -100.0f},
                               {0.41015625f, 0.265625f, -100.0f}};
    uint32_t blastColour = 0xFFFF4040u;
    float flySpeed = 2000.0f;
};
