// CProgressOrnaments: the player's progress through a location, painted over a level
// scene: a gem per level reached that lights up after its flare, a light ray behind
// it, a spinning flare on it, and a burst of coloured streaks while the newest gem
// comes in with fanfare. One more flare belongs to the location's finale: it waits,
// hidden, from the last stage on and grows in when the last gem's slot ends (the
// museum's map unrolls under it; the door opens, the chest bursts).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/RefPtr.h"

class CSoundBank;
class CSpriteList;
class CSpriteShape;
class CTexture;

// What differs between the scenes that carry the ornaments.
struct OrnamentVariant
{
    const char* section;     // of Background.cfg
    int32_t gems;            // gem slots = ray slots = the highest stage
    int32_t gemLayer;        // draw layer of the gems
    int32_t flareZOrder;
    bool flareSpinTimesPi;   // "GemFlareW" read in turns of pi
    const char* gemDefault;  // default texts of the numbered keys
    const char* gemTDefault;
    const char* rayDefault;
    const char* rayTDefault;
    const char* raysColorDefault;
    const char* flareDefault;
    const char* flareColorDefault;
    bool map = false;        // the museum's: the last ray slot is a map that unrolls
};

struct OrnamentSettings
{
    std::vector<float> gemCentre, gemSize, gemT;  // 3, 2, 4 floats per slot
    std::vector<float> rayCentre, raySize, rayT, angle;
    std::vector<float> flareCentre, flareSize;    // gems + 1 flares
    std::vector<uint32_t> flareColor;
    uint32_t raysColor = 0xFFFFFFFFu;
    float mapTime = 0.4f, mapExpandTime = 0.5f, mapBegin = 0.4f, mapHoldTime = 0.5f;
    int32_t raysMethod = 1;
    float newFlareTime = 0.25f, newGemTime = 0.5f, newRayTime = 0.4f, flareSpin = 0.125f;
    float rainbowTime = 2.0f, rainbowSize[2] = {256.0f, 12.0f}, rainbowW = 3.1415927f;
    float rainbowLifeTime = 0.5f, rainbowT = 0.1f;
};

class CProgressOrnaments
{
public:
    enum SlotState
    {
        kIdle = 0,
        kFlareIn = 1,
        kGemIn = 2,
        kRayIn = 3,
    };
    // The finale's slot, when the scene has a map.
    enum MapState
    {
        kMapIdle = 0,
        kMapFlareIn = 1,
        kMapUnrolling = 2,
    };

    explicit CProgressOrnaments(const OrnamentVariant& variant);

    void LoadSettings(const char* path);
    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CTexture> flare, CRefPtr<CTexture> spark);
    void SetPicture(CRefPtr<CTexture> picture) { pictureTexture = picture; }
    void Start();
    // Removes every shape and resets the slots, so a scene shown again starts afresh.
    void Stop();

    // Shows `stage` gems (clamped). Returns the change: +1 rising, -1 falling, 0 none.
    // Rising plays "Background" unless quiet; reaching the last stage makes the
    // finale's flare (and map), hidden.
    int32_t SetStage(int32_t stage, int32_t quiet);
    // One step of every slot's timeline. True when the last gem's slot ended in it:
    // the finale's flare then grows in, and the scene plays its finale.
    bool Update(float dt);

    int32_t Stage() const { return stage; }
    int32_t Gems() const { return variant.gems; }
    int32_t State(int32_t slot) const { return slotState[size_t(slot)]; }
    size_t GemShapes() const { return gemShapes.size(); }
    size_t RayShapes() const { return rayShapes.size(); }
    size_t FlareShapes() const { return flareShapes.size(); }
    size_t Streaks() const { return rainbowShapes.size(); }
    const CRefPtr<CSpriteShape>& Gem(size_t i) const { return gemShapes[i]; }
    const CRefPtr<CSpriteShape>& Ray(size_t i) const { return rayShapes[i]; }
    const CRefPtr<CSpriteShape>& Flare(size_t i) const { return flareShapes[i]; }
    // The map's shape while it is shown (empty otherwise).
    CRefPtr<CSpriteShape> Map() const;

    OrnamentSettings settings;
    CRefPtr<CSoundBank> soundBank;

private:
    void Rise(int32_t from);
    void Fall();
    CRefPtr<CSpriteShape> MakeFlare(int32_t slot);
    CRefPtr<CSpriteShape> MakeRay(size_t slot);
    void MakeFinale();
    void LightFinale();
    void StepMap(float dt);
    // Shows the top `part` (0..1) of the map, its top edge in place.
    void UnrollMap(float part);
    void AddShape(const CRefPtr<CSpriteShape>& shape);
    void FadeAway(const CRefPtr<CSpriteShape>& shape, float lifeTime);
    void StepSlot(size_t i, float dt, bool& lastEnded);
    void SpawnStreak(size_t slot, float dt);
    void EndStreaks();

    OrnamentVariant variant;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTexture> pictureTexture, flareTexture, sparkTexture;
    std::vector<CRefPtr<CSpriteShape>> gemShapes, rayShapes, flareShapes, rainbowShapes;
    // Shapes fading out on their way out of the list; Stop takes them too, so
    // nothing of this scene lingers over the next one.
    std::vector<CRefPtr<CSpriteShape>> fadingShapes;
    std::vector<int32_t> slotState;
    std::vector<float> slotTimer;
    int32_t stage;
    int32_t quiet;
    float rainbowClock;
};
