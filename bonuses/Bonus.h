// CBonus: the base of everything that rides on a board token and fires when the
// token is destroyed (the gem and the six line-of-four bonuses). It holds the
// bonus's kind, state, cell, position and one motion path with its clock, and
// the event records through which a bonus reports to the board and the game.
// The bonus manager owns every bonus through a CRefPtr and updates it once a
// frame; the board drops, places, moves and activates it.
#pragma once

#include "board/CapRider.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CBonus;
class CParticleSystemsManager;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;

// Bonus kinds, as the kind field and the manager's factory number them.
enum
{
    kBonusGem = 1,
    kBonusTNT = 2,
    kBonusFlash = 3,
    kBonusTime = 4,
    kBonusAdviser = 5,
    kBonusScore = 6,
    kBonusSolidarity = 7,
};

// Bonus states.
enum
{
    kBonusResting = 0,
    kBonusFalling = 1,
    kBonusPlaced = 2,
    kBonusLeaving = 3,
    kBonusEffect = 4,    // a kind's effect runs; a gem flies to the gem bar
    kBonusCollected = 5, // a gem sits on the gem bar
    kBonusDone = 6,
    kBonusVanishing = 7,
};

// Event kinds of BonusEvent.
enum
{
    kBonusEventGemActivated = 1, // value1 = gem kind
    kBonusEventGemArrived = 2,   // value1 = gem kind
    kBonusEventTntFired = 3,
    kBonusEventCellHit = 4, // value1 = level, value2 = column, value3 = row
    kBonusEventNeedsHost = 5,
    kBonusEventFlashFired = 6,
    kBonusEventTimeFired = 7,
    kBonusEventTimeArrived = 8, // value1 = level
    kBonusEventAdviserFired = 9,
    kBonusEventAdviserArrived = 10, // value1 = level
    kBonusEventScoreFired = 11,
    kBonusEventSolidarityFired = 12,
    kBonusEventSolidarityRedirect = 13, // amount = x of the bolt stretch
    kBonusEventPlaced = 14,             // amount = position x
};

// One report of a bonus. The manager fills `object` with the reporting bonus
// when the bonus left it empty, so that the board can reach the gem that
// arrived or the bonus that needs a new host.
struct BonusEvent
{
    BonusEvent() = default;
    BonusEvent(int32_t kind, int32_t value1 = 0, int32_t value2 = 0, int32_t value3 = 0,
               float amount = 0.0f)
        : kind(kind), value1(value1), value2(value2), value3(value3), amount(amount)
    {
    }

    int32_t kind = 0;
    int32_t value1 = 0;
    int32_t value2 = 0;
    int32_t value3 = 0;
    CRefPtr<CBonus> object;
    float amount = 0.0f;
};

// The event list of a bonus and of the manager; the board reads it by index.
class BonusEventVector : public std::vector<BonusEvent>
{
public:
    const BonusEvent& At(size_t index) const { return (*this)[index]; }
    BonusEvent& At(size_t index) { return (*this)[index]; }
};

// Where a line-of-four bonus draws: a sprite list, a particle manager and a
// sprite batch. A bonus on the board draws into the board's layer; one made
// for show (or on its way off the board) into the overlay's.
struct BonusLayer
{
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> batch;
};

class CBonus : public CCapRider
{
public:
    CBonus();
    virtual ~CBonus();

    CBonus(const CBonus&) = delete;
    CBonus& operator=(const CBonus&) = delete;

    virtual void Init();
    virtual void Hide();
    virtual void Show();
    // True while the bonus stays in the manager's list.
    virtual bool Update(float dt);
    void MoveTo(float x, float y, float z, int column, int row, int animate) override;
    void TakeColour(int32_t c) override { colour = c; }
    virtual void SetSize(float size);
    virtual void Drop(float x, float y, float z, float size, int column, int row, int fromCurrent,
                      float time);
    virtual void Place(float x, float y, float z, float size, int column, int row);
    virtual void Stop();
    virtual void StartMove(float time);
    virtual void StartVanish(float time);
    virtual void Activate();
    virtual bool IsEffectDone() const;
    // Stores the z-order; the shapes of the bonus's layer shift with it and
    // their list is re-sorted.
    virtual void SetZOrder(int z);
    // Stores the flag. A change moves the bonus's shapes between the board's
    // and the overlay's sprite lists, and the bonus draws into that layer.
    virtual void SetActive(int flag);

    void AddEvent(const BonusEvent& event);

    int32_t kind = 0;
    int32_t state = kBonusResting;
    int32_t level = 0;
    int32_t reserved1 = 50;
    int32_t colour = 0;
    float clock = 0.0f;
    int32_t visible = 1;
    int32_t finished = 0;
    int32_t column = -1;
    int32_t row = -1;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float target[3] = {0.0f, 0.0f, 0.0f};
    CMotionPath motion;
    float motionTime = 0.0f;
    float motionDuration = 0.0f;
    float size = 39.0f;
    float baseSize = 39.0f;
    float scale = 1.0f;
    int32_t zOrder = 0;
    int32_t active = 1;
    float startScale = 6.0f;
    float startAlpha = 0.0f;
    float effectFactor = 1.0f;
    int32_t reportPlacement = 0;
    BonusEventVector events;
    BonusLayer layer;        // the layer drawn into now
    BonusLayer boardLayer;   // while active
    BonusLayer overlayLayer; // while inactive

protected:
    // The shapes that SetZOrder and SetActive carry along (none in the base).
    virtual std::vector<CRefPtr<CSpriteShape>> LayerShapes() const;
    // Called after SetActive switched the layer (effects that live in a
    // particle manager start again in the new one).
    virtual void OnLayerChanged() {}
    // The board's layer and the overlay's, as the manager hands them over;
    // the bonus starts on the board's.
    void SetLayers(const BonusLayer& board, const BonusLayer& overlay);
    // The clock step of the moving states: motionTime grows by dt up to the
    // motion's duration and the position follows the path.
    void AdvanceMotion(float dt);
    bool MotionOver() const { return motionTime >= motionDuration; }
    bool InMotion() const
    {
        return state == kBonusFalling || state == kBonusLeaving || state == kBonusVanishing;
    }
    // The size factor and alpha of a falling, leaving or vanishing bonus at
    // this point of its motion (a motion of no length is at its end).
    struct MotionLook
    {
        float factor;
        float alpha;
    };
    MotionLook LookOfMotion() const;
    // Size over the standard bonus size of the gem settings.
    static float ScaleOf(float size);
};

// The bonus a token holds (CCap::held), as the bonus it is: every rider on the board
// is a bonus. Empty when the token holds none.
inline CRefPtr<CBonus> HeldBonus(const CRefPtr<CCapRider>& held)
{
    return held.StaticCast<CBonus>();
}
