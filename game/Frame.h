// The game's frame: the renderer's layers with the modules of the other subsystems
// (background scene, particle layers, the board's fader, the sand glass, the
// tokens and their chains, the forms). Include this header in the file that calls
// CRenderer::RenderFrame; it needs the libraries of those subsystems at link time,
// which the engine itself does not.
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


class CGameFrameLayers : public CEngineFrameLayers
{
public:
    explicit CGameFrameLayers(CRenderer& r) : CEngineFrameLayers(r) {}

    // The Valley scene draws with its own projection over a black picture.
    bool BlackBackground() const
    {
        const CRefPtr<CBackgroundManager>& b = renderer.backgrounds;
        return b.IsValid() && b->enabled && b->currentScene == CBackgroundManager::kSceneValley;
    }
    void Background()
    {
        const CRefPtr<CBackgroundManager>& b = renderer.backgrounds;
        if (b.IsValid() && b->enabled)
            b->Render();
    }
    void ParticlesAlphaTested(int n)
    {
        if (renderer.particles[n - 1].IsValid())
            renderer.particles[n - 1]->DrawAlphaTested();
    }
    void ParticlesBlended(int n)
    {
        if (renderer.particles[n - 1].IsValid())
            renderer.particles[n - 1]->DrawBlended();
    }
    void Fader()
    {
        const CRefPtr<CFader>& f = renderer.fader;
        if (f.IsValid() && f->active)
            f->Draw(renderer.device, renderer.vertexBuffer, renderer.indexBuffer);
    }
    void SandGlass()
    {
        const CRefPtr<CSandbox>& s = renderer.sandGlass;
        if (s.IsValid() && s->visible)
            DrawSandGlassPasses(*s, renderer);
    }
    void Caps()
    {
        if (renderer.caps.IsValid() && renderer.caps->enabled)
            renderer.caps->Render();
    }
    void CapsChains()
    {
        if (renderer.caps.IsValid() && renderer.caps->enabled)
            renderer.caps->DrawChains();
    }
    void Forms()
    {
        if (renderer.ui.IsValid() && renderer.ui->formsManager.IsValid())
            renderer.ui->formsManager->Draw(1);
    }
};

inline HRESULT CRenderer::RenderFrame()
{
    CGameFrameLayers layers(*this);
    return RenderFrameWith(layers);
}
