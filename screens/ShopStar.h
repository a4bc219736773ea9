// CShopStar: one Golden Star of the upgrade shop: resting in the star source,
// resting on an item's place, flying between them or following the mouse. A star is
// made for each resting place or flight and replaced when its role changes; the shop
// keeps them in its star list. With a sprite list it shows its own picture there.
#pragma once

#include "engine/MotionPath.h"  // Vec3
#include "engine/RefPtr.h"

#include <cstdint>

class CParticleSystem;
class CParticleSystemsManager;
class CSpriteList;
class CSpriteShape;
class CTexture;

enum ShopStarState
{
    kStarIdle = 0,
    kStarAtSource = 1,
    kStarOnItem = 2,
    kStarReturning = 3,       // back to the source after a drop that no item took
    kStarFlyingToSource = 4,  // taken off an item
    kStarFlyingToItem = 5,
    kStarDragged = 6,
};

class CShopStar
{
public:
    CShopStar() = default;
    ~CShopStar();
    CShopStar(const CShopStar&) = delete;
    CShopStar& operator=(const CShopStar&) = delete;

    // The sprite list and the two pictures: the item-place star (stub texture) and
    // the source and spinning star (star texture). Without a list the star is unseen.
    void SetResources(CRefPtr<CSpriteList> sprites, CRefPtr<CTexture> stubTexture, CRefPtr<CTexture> starTexture);
    // The sparkling tail a flight leaves: its particle manager, picture and look.
    // Without a manager a flight has no tail.
    void SetTail(CRefPtr<CParticleSystemsManager> particles, CRefPtr<CTexture> texture, float size, float intensity,
                 uint32_t colour);

    void SetPosition(float x, float y, float z);
    void PlaceAtSource(float x, float y, float z, int zOrder);
    void PlaceOnItem(float x, float y, float z, int zOrder);
    // A straight flight at `speed` units a second; the state is one of the three
    // flying ones. A flight of no length ends on the next update.
    void Fly(ShopStarState flight, const Vec3& from, const Vec3& to, float speed, int zOrder);
    void StartDrag(float x, float y, float z, int zOrder);
    // Advances a flight; 1 on the update on which it arrives (and later ones), else 0.
    int Update(float dt);
    // Resting stars only: fade in from nothing or out at `speed` (alpha a second).
    void Fade(bool in, float speed);

    bool Flying() const { return state == kStarReturning || state == kStarFlyingToSource || state == kStarFlyingToItem; }
    // Bound for the source: counts as a star the player holds.
    bool SourceBound() const { return state == kStarReturning || state == kStarFlyingToSource || state == kStarDragged; }

    Vec3 position{0, 0, 0};
    float elapsed = 0.0f;
    float frame = 0.0f;
    float frameRate = 32.0f;
    int32_t state = kStarIdle;
    Vec3 from{0, 0, 0};
    Vec3 to{0, 0, 0};
    float duration = 1.0f;
    int32_t item = -1;
    CRefPtr<CSpriteShape> shape;
    CRefPtr<CParticleSystem> tail;

private:
    void MakeShape(const CRefPtr<CTexture>& texture, float size, int zOrder);
    void ShowSpinFrame();
    void MakeTail();

    CRefPtr<CSpriteList> sprites;
    CRefPtr<CTexture> stubTexture;
    CRefPtr<CTexture> starTexture;
    CRefPtr<CParticleSystemsManager> tailParticles;
    CRefPtr<CTexture> tailTexture;
    float tailSize = 32.0f;
    float tailIntensity = 80.0f;
    uint32_t tailColour = 0xFFFFFF80u;
};

// Pictures of the controls texture: a star resting on an item's place, and a place
// that is still locked (left, top, right, bottom).
constexpr float kPlacedStarUV[4] = {0.765625f, 0.75f, 0.875f, 0.859375f};
constexpr float kLockedPlaceUV[4] = {0.875f, 0.75f, 0.984375f, 0.859375f};

// The spin of a flight: whole turns of eight frames, at least one. Frames a second
// for a flight of `duration` seconds (0 for a flight of no length).
float StarSpinRate(float duration);
