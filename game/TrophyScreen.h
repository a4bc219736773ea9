// CTrophyScreen: the Hall of Trophies over the player's trophy record. It shows the
// Trophies form's icons by the levels shown, the description under the mouse, the
// scrolling background and the black backdrop over the board, and plays the awards
// waiting in the record, each of which counts as earned only when its animation
// lands. The game object owns it next to the record it shows.
#pragma once

#include <cstdint>

#include "engine/RefPtr.h"
#include "saves/Trophies.h"

class CInterface;
class CKMWindow;
class CParticleSystem;
class CParticleSystemsManager;
class CSoundBank;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;

// The award on show: it flies onto its icon, then lands and rests a moment.
enum class TrophyAwardPhase : int32_t
{
    Flying = 0,
    Landed = 1,
};

class CTrophyScreen
{
public:
    static constexpr int kTrophyCount = CTrophies::kTrophyCount;

    // Plays the first waiting award and shows the description under the mouse while
    // the form is up; 1 when an award has finished this frame.
    int32_t Update(float dt, float mouseX, float mouseY);
    void RefreshIcons();
    void ShowDescription(int32_t trophy, int32_t level, float x, float y);
    void ShowBackdrop(bool on);
    // The icon that shows `level` of `trophy`, empty when the form has none.
    CRefPtr<CKMWindow> LevelIcon(int trophy, int level) const;
    // Every waiting award at once: the animation on show is cut short.
    void ApplyPending();
    void DropAward();

    CRefPtr<CTrophies> record;
    CRefPtr<CInterface> ui;
    CRefPtr<CSpriteList> awardList;
    CRefPtr<CSpriteList> backdropList;
    CRefPtr<CSpriteBatch> sparkleBatch;
    CRefPtr<CParticleSystemsManager> effects;
    CRefPtr<CSoundBank> sounds;
    CRefPtr<CTexture> spellTexture;
    CRefPtr<CTexture> flashTexture;
    CRefPtr<CTexture> sparkleTexture;
    CRefPtr<CTexture> backdropTexture;
    CRefPtr<CSpriteShape> awardShape;
    CRefPtr<CParticleSystem> awardEffect;
    CRefPtr<CSpriteShape> backdropShape;

    TrophyAwardPhase phase = TrophyAwardPhase::Flying;
    float timer = 0.0f;

private:
    // Steps of the screen's update.
    void DriftBackground(float dt);
    bool UpdateAward(float dt);  // true when an award has finished this frame
    void StartAwardFlight(const CKMWindow& icon, float pompa);
    void FlyAward(const TrophyAward& award, const CKMWindow& icon, float pompa);
    void FlashLandedAward(float x, float y, float z, float r);
    void ShowDescriptionUnder(float mouseX, float mouseY);
};
