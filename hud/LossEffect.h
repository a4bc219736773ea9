// CLossEffect: the show that goes with a reshuffle of the board. A heart flies from
// its start to its place while it grows and trails sparks, waits there, then bursts
// into a shower of sparks and a 6 x 6 grid of flying pieces. A note pop-up ("Life
// lost", or the text the caller put in `note`) shows as it starts. The game holds it;
// a life lost or a shuffle bought starts it and the play update runs it to its end.
#pragma once

#include "engine/MotionPath.h"  // Vec3
#include "engine/RefPtr.h"

#include <cstdint>
#include <string>

class CParticleSystem;
class CParticleSystemsManager;
class CPopupMessages;
class CSpriteList;
class CSpriteShape;
class CTexture;

class CLossEffect
{
public:
    enum Phase
    {
        kFlying = 0,
        kWaiting = 1,
        kBurst = 2,  // after the burst, until the effect ends
    };

    // Section "Loss" of Score.cfg; positions already in the centred, y-up screen units.
    struct Settings
    {
        Vec3 from{-382.5f, 101.5f, -50.0f};
        Vec3 to{136.5f, 96.5f, -50.0f};
        float fromSize[2] = {52.0f, 52.0f};
        float toSize[2] = {104.0f, 104.0f};
        float heartT[4] = {102.0f / 256.0f, 94.0f / 256.0f, 154.0f / 256.0f, 146.0f / 256.0f};
        float flyTime = 0.9f;
        float waitTime = 1.0f;
        float postTime = 1.0f;
        uint32_t tailColor = 0xFFFFFF50u;
        int32_t zOrder = -50;
        Vec3 notePos{136.5f, 24.5f, -3.0f};
    };

    CLossEffect() = default;
    ~CLossEffect();
    CLossEffect(const CLossEffect&) = delete;
    CLossEffect& operator=(const CLossEffect&) = delete;

    // Without a sprite list or a particle manager the effect keeps its timing and
    // shows only what it has; without pop-ups it shows no note. Sets the note to
    // "Life lost".
    void SetResources(CRefPtr<CSpriteList> sprites, CRefPtr<CParticleSystemsManager> particles,
                      CPopupMessages* popups, CRefPtr<CTexture> heartTexture, CRefPtr<CTexture> sparkTexture);
    void LoadSettings(const char* file, const char* section);

    // Starts from the beginning: the heart at (x, y, z) when useGivenStart is set,
    // else at the settings' start.
    void Start(int useGivenStart, float x, float y, float z);
    // 1 while the effect runs, 0 on the frame on which it ends (and later ones).
    int Update(float dt);
    void Reset();
    // From the start until the end: what the board's shuffle waits for.
    float ShuffleTime() const { return settings.flyTime + settings.postTime; }

    std::string note;
    float scale = 1.0f;  // multiplies the spark rates
    int32_t busy = 0;
    float timer = 0.0f;
    int32_t phase = kFlying;
    Vec3 start{0, 0, 0};
    CRefPtr<CSpriteShape> heart;
    CRefPtr<CParticleSystem> tail;
    Settings settings;

private:
    void MakeHeart();
    void MakeTail();
    void Burst();
    void MoveTo(const Vec3& at);
    void StopTail();
    void RemoveHeart();
    void SetSparkGravity(const CRefPtr<CParticleSystem>& system) const;

    CRefPtr<CSpriteList> sprites;
    CRefPtr<CParticleSystemsManager> particles;
    CPopupMessages* popups = nullptr;
    CRefPtr<CTexture> heartTexture;
    CRefPtr<CTexture> sparkTexture;
};
