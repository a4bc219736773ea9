// The game's frame: the renderer's engine layers with the modules of the other
// subsystems (background scene, particle layers, the board's fader, the sand glass,
// the tokens and their chains, the forms). The game's start-up fills one
// GameFrameModules and RenderGameFrame draws a frame with it; the tools that draw
// game frames do the same.
#pragma once

#include <utility>

#include "backgrounds/BackgroundManager.h"
#include "board/CapsManager.h"
#include "board/Fader.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/Sandbox.h"
#include "render/FrameLayers.h"
#include "render/Renderer.h"
#include "screens/Interface.h"
#include "ui/KMFormsManager.h"


// The modules of the frame above the engine; any may be empty (that layer is skipped).
struct GameFrameModules
{
    static constexpr int kParticleLayers = 6;

    CRefPtr<CParticleSystemsManager> particles[kParticleLayers];
    CRefPtr<CInterface> ui;
    CRefPtr<CCapsManager> caps;
    CRefPtr<CFader> fader;
    CRefPtr<CBackgroundManager> backgrounds;
    CRefPtr<CSandbox> sandGlass;

    // Drops every handle (the game's shutdown, before the device goes).
    void Reset() { *this = GameFrameModules(); }
};

class CGameFrameLayers : public CEngineFrameLayers
{
public:
    CGameFrameLayers(CRenderer& r, const GameFrameModules& m) : CEngineFrameLayers(r), modules(m) {}

    // The Valley scene draws with its own projection over a black picture.
    bool BlackBackground() const
    {
        const CRefPtr<CBackgroundManager>& b = modules.backgrounds;
        return b.IsValid() && b->enabled && b->currentScene == CBackgroundManager::kSceneValley;
    }
    void Background()
    {
        const CRefPtr<CBackgroundManager>& b = modules.backgrounds;
        if (b.IsValid() && b->enabled)
            b->Render();
    }
    void ParticlesAlphaTested(int n)
    {
        if (modules.particles[n - 1].IsValid())
            modules.particles[n - 1]->DrawAlphaTested();
    }
    void ParticlesBlended(int n)
    {
        if (modules.particles[n - 1].IsValid())
            modules.particles[n - 1]->DrawBlended();
    }
    void Fader()
    {
        const CRefPtr<CFader>& f = modules.fader;
        if (f.IsValid() && f->active)
            f->Draw(renderer.device, renderer.vertexBuffer, renderer.indexBuffer);
    }
    void SandGlass()
    {
        const CRefPtr<CSandbox>& s = modules.sandGlass;
        if (s.IsValid() && s->visible)
            DrawSandGlassPasses(*s, renderer);
    }
    void Caps()
    {
        if (modules.caps.IsValid() && modules.caps->enabled)
            modules.caps->Render();
    }
    void CapsChains()
    {
        if (modules.caps.IsValid() && modules.caps->enabled)
            modules.caps->DrawChains();
    }
    void Forms()
    {
        if (modules.ui.IsValid() && modules.ui->formsManager.IsValid())
            modules.ui->formsManager->Draw(1);
    }

private:
    const GameFrameModules& modules;
};

// One game frame: every drawing module in its fixed order. D3DERR_DEVICELOST when the
// device is lost (nothing drawn), otherwise 0. Does not present.
inline HRESULT RenderGameFrame(CRenderer& renderer, const GameFrameModules& modules)
{
    CGameFrameLayers layers(renderer, modules);
    return renderer.RenderFrameWith(layers);
}
