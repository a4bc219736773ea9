// Sand from finished terminators: the tokens a terminator destroyed send
// their share of sand towards the sand glass beside the board, and in normal
// play the sand is poured into the glass.
#include "field/PlayField.h"

#include "board/TerminatorManager.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SandKeepers.h"
#include "effects/Sandbox.h"

#include <algorithm>

namespace
{

// How the grains of a poured portion move: no push of their own, falling at
// most this fast under this gravity.
constexpr float kSandGrainMaxFall = 10000.0f;
constexpr float kSandGrainGravity = 1000.0f;
// The ground the grains sink into when they do not fall into the glass.
constexpr float kGroundBelowBoard = -440.0f;
constexpr float kSandBurstTime = 0.1f;

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
        // Sand bound for the glass on screen takes the glass's own sand colour;
        // otherwise the grains keep the colour of the flash that broke the token.
        if (sandbox && sandbox->visible && layout)
            SpawnSandParticles(effectsA, x, y, z, layout->sandColour, layout->sandAlpha);
        else
            SpawnSandParticles(effectsA, x, y, z, t->GetFlashColor());
        if (pourIntoSandGlass && sandbox)
            sandbox->Pour(share, x, y, z, halfSize, 0.0f, 0.0f, kSandGrainMaxFall, kSandGrainGravity);
    }
}

// A burst of grains that falls to the glass's bottom (or the ground below the
// board), with dust rising from the grains. The grains go to the given layer
// of particles, the dust always to the layer under the tokens.
void CPlayField::SpawnSandParticles(const CRefPtr<CParticleSystemsManager>& grainLayer, float x, float y, float z,
                                    uint32_t colour, float alpha)
{
    if (!grainLayer || !effectsB)
        return;
    CRefPtr<CSandKeeper> sand(new CSandKeeper);
    sand->rate = 0.0f;
    sand->colour = colour;
    sand->floor = pourIntoSandGlass && sandbox ? sandbox->area.y - sandbox->area.height : kGroundBelowBoard;
    CCollection2Parametres grains(x, y, z, nullptr, CRefPtr<CCollection2Keeper>(sand),
                                  CCollection2Parametres::kBlendAlpha);
    grains.keeperEmission = 1;
    grains.duration = kSandBurstTime;
    grains.alphaScale = alpha;
    CRefPtr<CParticleSystem> grainSystem;
    grainLayer->AddCollection2System(grainSystem, grains, 40, effectTexture0);

    CRefPtr<CDustTrackKeeper> dust(new CDustTrackKeeper(*sand, grainSystem));
    CCollection2Parametres trail(-400.0f, 0.0f, 1.0f, nullptr, CRefPtr<CCollection2Keeper>(dust),
                                 CCollection2Parametres::kBlendAlpha);
    trail.keeperEmission = 1;
    trail.spareRate = 100.0f;
    trail.alphaScale = 0.5f;
    CRefPtr<CParticleSystem> dustSystem;
    effectsB->AddCollection2System(dustSystem, trail, 200, effectTexture1);
}
