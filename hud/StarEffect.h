// CStarEffect: the Golden Star award over the play screen. Rows of glowing particles
// light up along a bar near the bottom of the screen; a big star appears near
// the bottom, grows as it flies up to its place, a ring flashes behind it there and
// the note "You've got the Star!!!" pops up; after a hold the star swells and fades
// away. The game starts it where it adds the star to the shop and runs it from the
// play update; the board's input waits for its end.
#pragma once

#include "engine/MotionPath.h"  // Vec3
#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CParticleSystem;
class CParticleSystemsManager;
class CPopupMessages;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CStarEffect
{
public:
    enum Phase
    {
        kWaiting = 0,  // before the star shows
        kFlying = 1,
        kRing = 2,
        kHolding = 3,
        kFlyingOut = 4,
    };

    // Section "Star" of Score.cfg; positions already in the centred, y-up screen units.
    struct Settings
    {
        // The row of glow origins: its left end, the spacing and count of its elements.
        Vec3 baseLeft{-148.5f, -361.5f, -3.0f};
        float elementLength = 32.0f;
        int32_t count = 19;
        uint32_t radialColor = 0xFFFFFF50u;
        float radialSize = 24.0f;
        float radialIntensity = 40.0f;
        uint32_t upColor = 0xFFA050FFu;
        float upSize = 32.0f;
        float upIntensity = 40.0f;
        int32_t zOrder = -20;
        Vec3 from{136.5f, -345.5f, -3.0f};
        Vec3 to{136.5f, 128.5f, -3.0f};
        float preTime = 0.5f;
        float flyTime = 1.0f;
        float ringTime = 0.5f;
        float postTime = 1.5f;
        float flyOutTime = 0.5f;
        Vec3 notePos{136.5f, -15.5f, -3.0f};
        uint32_t ringColor = 0xFFFFFF80u;
    };

    CStarEffect() = default;
    ~CStarEffect();
    CStarEffect(const CStarEffect&) = delete;
    CStarEffect& operator=(const CStarEffect&) = delete;

    // Without a sprite list the effect keeps its timing and shows no star, without a
    // particle manager no glow.
    void SetResources(CRefPtr<CSpriteList> sprites, CRefPtr<CParticleSystemsManager> particles,
                      CPopupMessages* popups, CRefPtr<CTexture> starTexture, CRefPtr<CTexture> particleTexture,
                      CRefPtr<CTexture> ringTexture);
    void LoadSettings(const char* file, const char* section);

    void Start();
    // 1 while the effect runs, 0 on the frame on which it ends (and later ones).
    int Update(float dt);
    void Reset();

    int32_t busy = 0;
    float timer = 0.0f;
    int32_t phase = kWaiting;
    CRefPtr<CSpriteShape> star;
    CRefPtr<CSpriteShape> ring;
    std::vector<CRefPtr<CParticleSystem>> glows;  // the radial and the rising glow rows
    Settings settings;

private:
    void ShowStar();
    void Arrive();
    void StartFlyOut();
    void RemoveShape(CRefPtr<CSpriteShape>& shape);
    void StartGlows();
    void StopGlows();

    CRefPtr<CSpriteList> sprites;
    CRefPtr<CParticleSystemsManager> particles;
    CPopupMessages* popups = nullptr;
    CRefPtr<CTexture> starTexture;
    CRefPtr<CTexture> particleTexture;
    CRefPtr<CTexture> ringTexture;
};
