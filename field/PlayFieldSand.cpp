// Sand from finished terminators: the tokens a terminator destroyed send
// their share of sand towards the sand glass beside the board, and in normal
// play the sand is poured into the glass.
#include "field/PlayField.h"

#include "board/TerminatorManager.h"
#include "effects/Sandbox.h"

#include <algorithm>

namespace
{

// How the grains of a poured portion move: no push of their own, falling at
// most this fast under this gravity.
constexpr float kGrainMaxFall = 10000.0f;
constexpr float kGrainGravity = 1000.0f;

} // namespace

void CPlayField::SpawnSandFlight(int32_t index, float amount)
{
    if (!terminatorManager || index < 0 || size_t(index) >= terminatorManager->finished.size())
        return;
    const CRefPtr<CTerminator> t = terminatorManager->finished[size_t(index)];
    if (!t)
        return;
    // The group's cells, its tokens and their flags run side by side.
    const size_t n = std::min({t->params.group.cells.size(), t->tokens.size(), t->flags.size()});
    int32_t count = 0;
    for (size_t i = 0; i < n; ++i)
        count += t->flags[i] != 0 ? 1 : 0;
    if (count == 0)
        return;
    const float share = amount / float(count);
    for (size_t i = 0; i < n; ++i)
    {
        const CRefPtr<CCap>& token = t->tokens[i];
        if (!t->flags[i] || !token)
            continue;
        float x = token->drawnPosition[0] + origin[0], y = token->drawnPosition[1] + origin[1];
        float halfSize = token->radius;
        if (token->look)
        {
            x = token->look->x;
            y = token->look->y;
            halfSize = token->look->halfSize;
        }
        const float z = (fader ? fader->position[2] : origin[2]) + 1.0f;
        if (pourIntoSandGlass && sandbox)
            sandbox->Pour(share, x, y, z, halfSize, 0.0f, 0.0f, kGrainMaxFall, kGrainGravity);
    }
}
