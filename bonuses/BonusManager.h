// CBonusManager: the owner of the bonuses on the board, held by the play field.
// It keeps the bonus list and the events the bonuses appended this frame.
//
// For now it only keeps its lists and answers the board's idle tests; making,
// updating and firing bonuses come with the bonuses themselves.
#pragma once

#include "bonuses/Bonus.h"
#include "engine/RefPtr.h"

#include <vector>

class CBonusManager
{
public:
    void ClearBonuses() { bonuses.clear(); }

    void RemoveBonus(const CRefPtr<CBonus>& bonus)
    {
        for (size_t i = 0; i < bonuses.size(); ++i)
            if (bonuses[i].SameAs(bonus))
            {
                bonuses.erase(bonuses.begin() + std::ptrdiff_t(i));
                return;
            }
    }

    // No events waiting and every bonus's effect over.
    bool IsIdle() const
    {
        if (!events.empty())
            return false;
        for (const auto& b : bonuses)
            if (b && !b->IsEffectDone())
                return false;
        return true;
    }

    // Every bonus has come to rest on its token.
    bool AllPlaced() const
    {
        for (const auto& b : bonuses)
            if (b && b->state != 2)
                return false;
        return true;
    }

    std::vector<CRefPtr<CBonus>> bonuses;
    std::vector<BonusEvent> events;
};
