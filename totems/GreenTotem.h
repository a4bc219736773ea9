// CGreenTotem: the green totem, whose rays burst the tokens carrying gems and
// whose flying gems (CUnigem) secure new ones. What the board reads of it lives
// here: its level and charge (CTotem), its flying gems and the two hand-over
// flags of its effect.
#pragma once

#include "totems/Totem.h"

// A gem the green totem sends to a board cell.
class CUnigem
{
public:
    // Its sprites snap to the end of their flight and fade out.
    void Finish() { finished = 1; }

    int32_t column = 0;
    int32_t row = 0;
    int32_t finished = 0;
};

class CGreenTotem : public CTotem
{
public:
    CGreenTotem() : CTotem(kTotemGreen) {}

    // The board's gem tokens and the targets of the new gems; the totem gives
    // a delay per gem token, the time its ray takes to reach it.
    virtual void OnMatch(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                         const std::vector<CCellPos>& cells, std::vector<float>& delays)
    {
        (void)removed;
        (void)targets;
        (void)cells;
        (void)delays;
    }

    std::vector<CRefPtr<CUnigem>> m_unigems;
    int32_t m_waitingForMatch = 0; // the rays wait for the board's gem tokens
    int32_t m_gemsArrived = 0;     // the flying gems have reached their tokens
};
