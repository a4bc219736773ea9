// CAdviserInterface: the adviser hint display of the board (halos and arrows
// over a possible move), a member of the play field.
//
// For now it keeps whether a hint is showing, its time and the places the
// board asked it to point at; the hint sprites come with the adviser bonus.
#pragma once

#include "engine/MotionPath.h"

#include <cstdint>
#include <vector>

class CAdviserInterface
{
public:
    // Takes the hint off the board.
    void Reset()
    {
        active = 0;
        remaining = 0.0f;
        refreshTimer = 0.0f;
        groupArrowPlaces.clear();
    }

    // With on set, starts the hint time when idle and adds the amount to it.
    void AddTime(int32_t on, float amount)
    {
        if (!on)
        {
            remaining = 0.0f;
            groupArrowPlaces.clear();
            return;
        }
        if (!active)
        {
            remaining = 0.0f;
            refreshTimer = 0.0f;
            active = 1;
        }
        remaining += amount;
    }

    // -1 when the board should search for the hint again (every quarter
    // second while the hint time runs), 2 otherwise.
    int Update(float dt)
    {
        if (!active)
            return 2;
        if (remaining > 0.0f)
        {
            remaining -= dt;
            if (remaining <= 0.0f)
            {
                Reset();
                return 2;
            }
        }
        refreshTimer += dt;
        if (refreshTimer > kRefresh)
        {
            refreshTimer = 0.0f;
            return -1;
        }
        return 2;
    }

    // The places (board space) of the tokens to point at.
    void ShowGroupHint(const std::vector<Vec3>& places) { groupArrowPlaces = places; }

    // Where the hint shows, for panning its sound.
    float HintX() const { return groupArrowPlaces.empty() ? 0.0f : groupArrowPlaces.front().x; }

    static constexpr float kRefresh = 0.25f;

    int32_t active = 0;
    float remaining = 0.0f;
    float refreshTimer = 0.0f;
    std::vector<Vec3> groupArrowPlaces;
};
