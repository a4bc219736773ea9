// CAccuracyChallenge: the star-catching bonus level (kind 102). Stars fly in
// from the right edge, turn and fly back out; every star the player clicks
// flies into the next slot of a row beside the sand glass. The game opens it
// into the board's accuracy slot, starts it and feeds it clicks; the board
// runs its update every frame and tells the game when it is over.
#pragma once

#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CParticleSystem;
class CParticleSystemsManager;
class CSoundBank;
class CSpriteList;
class CSpriteShape;
class CTexture;

// One flying star: x(t) = xStart + xVelocity t + xAcceleration t^2, y linear.
class CAccuracyStar
{
public:
    enum
    {
        kFlying = 0,
        kCaught = 1,   // flying to its slot
        kResting = 2,  // in its slot
    };

    CAccuracyStar() = default;
    // Ends the shape and the trail.
    ~CAccuracyStar();
    CAccuracyStar(const CAccuracyStar&) = delete;
    CAccuracyStar& operator=(const CAccuracyStar&) = delete;

    CRefPtr<CSpriteShape> shape;
    CRefPtr<CParticleSystem> trail;
    int32_t state = kFlying;
    float time = 0.0f;
    float duration = 1.0f;
    float xAcceleration = 0.0f;
    float xVelocity = 0.0f;
    float xStart = 0.0f;
    float yAcceleration = 0.0f;
    float yVelocity = 0.0f;
    float yStart = 0.0f;
    float catchPosition[3] = {0.0f, 0.0f, 0.0f};
    float slotPosition[3] = {0.0f, 0.0f, 0.0f};
};

class CAccuracyChallenge
{
public:
    enum
    {
        kIdle = 5,
        kRunning = 6,
        kEnding = 7,
    };

    CAccuracyChallenge();
    ~CAccuracyChallenge();
    CAccuracyChallenge(const CAccuracyChallenge&) = delete;
    CAccuracyChallenge& operator=(const CAccuracyChallenge&) = delete;

    void SetResources(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> manager,
                      CRefPtr<CTexture> star, CRefPtr<CTexture> spark);
    // Where the stars fly (centre x and top y of the field, its depth, width and
    // height) and the row of slots the caught ones rest in (left x, top y, depth,
    // slot size) with the number of slots to fill.
    void SetStarParams(float centreX, float topY, float z, float width, float height, float rowX, float rowY,
                       float rowZ, float slotW, float slotH, int32_t target);
    // Play begins: a star a second, faster stars on the second tier.
    void Start(int32_t tier);
    // Moves the stars; 107 once the challenge is ending and every star left
    // rests in its slot, else 100.
    int32_t Update(float dt);
    // Catches the oldest flying star under the point (virtual screen): 101, or
    // 100 when none is there or play is not running.
    int32_t OnClick(float x, float y);
    // Every star still flying slides off the right edge within a tenth of a second.
    void FlyOutStars();

    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CTexture> starTexture;
    CRefPtr<CTexture> sparkTexture;
    int32_t state = kIdle;
    float fieldCentreX = 512.0f;
    float fieldTopY = 200.0f;
    float fieldZ = 0.0f;
    float fieldWidth = 640.0f;
    float fieldHeight = 480.0f;
    float counterX = -180.5f;
    float counterY = -342.5f;
    float counterZ = 0.0f;
    float slotWidth = 32.0f;
    float slotHeight = 32.0f;
    int32_t targetCount = 19;
    int32_t starZOrder = 0;
    std::vector<CRefPtr<CAccuracyStar>> stars;
    float spawnInterval = 2.0f;
    float starSpeed = 512.0f;
    float starWidth = 64.0f;
    float starHeight = 64.0f;
    int32_t caughtCount = 0;
    float spawnTimer = 0.0f;
    CRefPtr<CSoundBank> soundBank;

private:
    void SpawnStar();
    // A spark cloud where the star was caught; it burns out at once.
    void Burst(const CAccuracyStar& star);
    // False when the star has flown out and leaves the list.
    bool UpdateStar(CAccuracyStar& star, float dt);
};
