// The game frame's fixed layer order, and the engine's own layers of it (sprite
// batches, sprite lists, texts). The frame is a template over the object that
// reaches the layers: the game's (game/Frame.h) adds the modules of the other
// subsystems (background, particles, fader, sand glass, tokens, forms), and tests
// can put a recording one in its place.
#pragma once

#include "render/Font.h"
#include "render/Renderer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"

// What a frame's layer object provides:
//   bool BlackBackground()          the scene draws with its own projection: clear to black
//   void Background()
//   void ParticlesAlphaTested(int n), ParticlesBlended(int n)   particle layers 1 to 6
//   void SpriteBatch(int n)                                     sprite batches 1 to 3
//   void SpriteListOpaque(int n), SpriteListBlended(int n)      sprite lists 1 to 3
//   void Fader(), SandGlass(), Caps(), CapsChains(), Forms(), Texts(int pass)
template <class Layers>
HRESULT CRenderer::RenderFrameWith(Layers& layers)
{
    HRESULT result = D3D_OK;
    if (!BeginFrame(layers.BlackBackground(), &result))
        return result;

    layers.Background();
    layers.ParticlesAlphaTested(1);
    ZWriteOff();
    layers.ParticlesBlended(1);
    layers.SpriteBatch(1);
    layers.Fader();
    layers.ParticlesAlphaTested(2);
    ZWriteOff();
    layers.ParticlesBlended(2);
    layers.SandGlass();
    layers.Caps();
    layers.SpriteListOpaque(1);
    layers.ParticlesAlphaTested(3);
    layers.SpriteListBlended(1);
    ZWriteOff();
    layers.ParticlesBlended(3);
    layers.SpriteBatch(2);
    layers.CapsChains();
    ZWriteOff();
    layers.Texts(kTextPassLow);
    layers.SpriteListOpaque(2);
    layers.ParticlesAlphaTested(4);
    layers.SpriteListBlended(2);
    ZWriteOff();
    layers.ParticlesBlended(4);
    layers.ParticlesAlphaTested(5);
    layers.Forms();
    layers.SpriteListOpaque(3);
    ZWriteOff();
    layers.ParticlesBlended(5);
    layers.SpriteListBlended(3);
    layers.SpriteBatch(3);
    layers.Texts(kTextPassHigh);
    ZWriteOff();
    layers.ParticlesBlended(6);

    EndFrame();
    return D3D_OK;
}

// The sand glass draws in two passes, each given the device and the shared buffers.
template <class Glass>
void DrawSandGlassPasses(Glass& glass, CRenderer& r)
{
    glass.DrawPass1(r.device, r.vertexBuffer, r.indexBuffer);
    glass.DrawPass2(r.device, r.vertexBuffer, r.indexBuffer);
}

// The engine's layers: each drawn only when the renderer holds it (and, for sprite
// lists, while it is enabled). The first sprite batch is skipped while it is empty.
class CEngineFrameLayers
{
public:
    explicit CEngineFrameLayers(CRenderer& r) : renderer(r) {}

    void SpriteBatch(int n)
    {
        const CRefPtr<CSpriteBatch>& batch = renderer.spriteBatches[n - 1];
        if (!batch.IsValid() || (n == 1 && batch->sprites.empty()))
            return;
        batch->Render();
    }
    void SpriteListOpaque(int n)
    {
        if (CSpriteList* list = EnabledList(n))
            list->DrawOpaque();
    }
    void SpriteListBlended(int n)
    {
        if (CSpriteList* list = EnabledList(n))
            list->DrawBlended(1);
    }
    void Texts(int pass)
    {
        if (renderer.texts.IsValid())
            renderer.texts->Draw(pass);
    }

    CRenderer& renderer;

private:
    CSpriteList* EnabledList(int n) const
    {
        const CRefPtr<CSpriteList>& list = renderer.spriteLists[n - 1];
        return list.IsValid() && list->enabled ? list.Get() : nullptr;
    }
};
