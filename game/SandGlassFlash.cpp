// The flash over the sand glass when it fills and a score frenzy starts.
#include "game/Game.h"

#include "effects/Sandbox.h"
#include "field/PlayField.h"
#include "render/SpriteBatch.h"

namespace
{

// In front of the glass, and how the flash shows, holds, fades and grows.
constexpr float kFlashDepth = 50.0f;
constexpr float kFlashFadeIn = 0.1f;
constexpr float kFlashHoldEnd = 0.5f;
constexpr float kFlashFadeOut = 0.5f;
constexpr float kFlashZoom = 16.0f;
constexpr float kFlashZoomRate = 16.0f;

} // namespace

void CGame::FlashSandGlass(const CPlayField& field)
{
    if (!field.sandbox || !spriteBatches[2])
        return;
    const CSandboxPart& a = field.sandbox->area;
    CRefPtr<CBatchSprite> flash(new CBatchSprite(a.x + a.width * 0.5f, a.y - a.height * 0.5f, a.z - kFlashDepth,
                                                 effectTextures[kTexSpark],
                                                 questLayout.frenzyStarColour & 0xFFFFFFu));
    flash->SetScale(a.width, a.height);
    flash->fadeInTime = kFlashFadeIn;
    flash->holdEnd = kFlashHoldEnd;
    flash->fadeOutTime = kFlashFadeOut;
    flash->flickerAmplitude = 0.0f;
    flash->StartZoom(kFlashZoom, kFlashZoomRate);
    spriteBatches[2]->Add(flash);
}
