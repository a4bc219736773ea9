// CBonus: the base of the seven bonus kinds that ride on tokens (gem, TNT,
// flash, time, adviser, score, solidarity), and BonusEvent, the record a bonus
// appends for the board. A token holds at most one bonus through a counted
// handle and moves it with itself every frame.
//
// For now the base keeps its place and cell only; the kinds, their motion and
// their effects come with the bonuses themselves.
#pragma once

#include "engine/RefPtr.h"

#include <cstdint>

class CBonus;

struct BonusEvent
{
    int32_t kind = 0;
    int32_t value1 = 0;
    int32_t value2 = 0;
    int32_t value3 = 0;
    CRefPtr<CBonus> object;
    float amount = 0.0f;
};

class CBonus
{
public:
    CBonus() = default;
    virtual ~CBonus() = default;
    CBonus(const CBonus&) = delete;
    CBonus& operator=(const CBonus&) = delete;

    // Follows the token that carries it.
    virtual void MoveTo(float x, float y, float z, int32_t newColumn, int32_t newRow, int32_t /*animate*/)
    {
        position[0] = target[0] = x;
        position[1] = target[1] = y;
        position[2] = target[2] = z;
        column = newColumn;
        row = newRow;
    }
    virtual void Activate() { finished = 1; }
    virtual bool IsEffectDone() const { return true; }

    int32_t kind = 0;
    int32_t state = 0;    // 2 placed
    int32_t level = 0;
    int32_t reserved1 = 50;
    int32_t colour = 0;   // the carrying token's colour
    float clock = 0.0f;
    int32_t visible = 1;
    int32_t finished = 0;
    int32_t column = -1;
    int32_t row = -1;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float target[3] = {0.0f, 0.0f, 0.0f};
};
