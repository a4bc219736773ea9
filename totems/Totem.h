// CTotem: one Power Totem on screen: a group of sprite shapes in the totems'
// sprite list (shadow, body, up to three charge lights) and a small state
// machine: it fades in and out, flies between two places while it changes size,
// lights its charges, and runs its colour's active phase when unleashed. The
// totems manager makes, drives and owns every totem; the colour classes derive
// from this one, add their own shapes and effects and override the hooks.
#pragma once

#include "board/MatchGrid.h" // CCellPos
#include "effects/ParticleSystemsManager.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"
#include "totems/TotemShapeSets.h"

#include <cstdint>
#include <vector>

class CTotemSettings;
struct TotemCellRecord;

// Token colours, which are the totems' colours too.
enum TotemColour : int32_t
{
    kTotemGreen = 0,
    kTotemYellow = 1,
    kTotemRed = 2,
    kTotemBlue = 3,
    kTotemOrange = 4,
    kTotemWhite = 5,
    kTotemViolet = 6,
};

enum class TotemMode : int32_t
{
    Panel = 0,  // the small totem beside the board
    Centre = 1, // the big totem called to the centre
    Shop = 2,   // the totem of the upgrade shop
};

enum class TotemState : int32_t
{
    Idle = 0,
    Moving = 1,
    FadingOut = 2,
    Active = 3,     // unleashed with a partial charge
    ActiveFull = 4, // unleashed with the full charge
    Spent = 5,      // the phase is over: the totem goes back
    Rearmed = 6,    // the phase is over and the totem stays, armed again
};

// What a totem's Update that returned true tells its owner.
enum class TotemEvent : int32_t
{
    None = 0,
    MoveDone = 1,
    FadedOut = 2,
    EndedActive = 3,     // the phase that ran in Active is over
    EndedActiveFull = 4, // the phase that ran in ActiveFull is over
    FadedIn = 7,         // a shop totem is fully shown
};

// The handles a totem draws and emits with; `own` holds the colour's own
// textures in the order its class takes them.
struct TotemResources
{
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CTexture> smallTexture;
    CRefPtr<CTexture> shadowTexture;
    CRefPtr<CTexture> lightsTexture;
    CRefPtr<CTexture> bodyTexture;
    CRefPtr<CTexture> sharedTexture;
    std::vector<CRefPtr<CTexture>> own;
};

class CTotem
{
public:
    explicit CTotem(int32_t colour = -1);
    virtual ~CTotem();
    CTotem(const CTotem&) = delete;
    CTotem& operator=(const CTotem&) = delete;

    // Resets the life cycle and builds the body for the mode from the level's
    // sets; the new totem fades in. A level without sets builds no shapes.
    virtual void Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets);
    // Takes every shape out of the sprite list; safe to call twice.
    virtual void RemoveShapes();
    // Layout of every shape for the totem's place, size, opacity and depth.
    virtual void SetPosition(float x, float y, float z);
    virtual void SetSize(float w, float h);
    virtual void MoveTo(float x, float y, float z, float w, float h, float duration);
    // The charge lights fade out quickly; with drop the totem forgets them too.
    virtual void VanishExtras(bool drop);
    // Makes sure the first `count` charge lights exist; each new one flashes.
    virtual void BuildShapes(int32_t count);
    virtual void FadeOut(float speed);
    virtual void SetAlpha(float alpha, bool alsoTarget);
    virtual void SetZOrder(int32_t z);
    // Unleashes the totem with charge + 1 lights.
    virtual void Activate(int32_t charge);
    // True when m_event holds news for the owner.
    virtual bool Update(float dt);

    virtual void SetResources(const TotemResources& resources);
    virtual void Configure(const CTotemSettings& settings);
    // The idle effects of a totem waiting at the centre; only some colours have them.
    virtual void SetArmed(int32_t on, int32_t step = 2);
    virtual void SetShieldMode(int32_t value);
    // The board's answer with the screen points and cells of the tokens it chose.
    virtual void OnMatchCells(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells);
    // Appends what the totem asks of the board this frame.
    virtual void CollectRecords(std::vector<TotemCellRecord>& records);

    int32_t m_colour;
    TotemState m_state = TotemState::Idle;
    TotemMode m_mode = TotemMode::Centre;
    int32_t m_level = 1;
    float m_moveTimer = 0.0f;
    float m_moveDuration = 1.0f;
    Vec3 m_position{0.0f, 0.0f, 0.0f};
    float m_size[2] = {84.0f, 84.0f};
    float m_alpha = 0.0f;
    Vec3 m_moveFromPosition{0.0f, 0.0f, 0.0f};
    Vec3 m_moveToPosition{0.0f, 0.0f, 0.0f};
    float m_moveFromSize[2] = {84.0f, 84.0f};
    float m_moveToSize[2] = {84.0f, 84.0f};
    TotemEvent m_event = TotemEvent::None;
    float m_alphaTarget = 0.0f;
    float m_fadeSpeed = 4.0f;
    int32_t m_charge = 0;
    Vec3 m_axisX{1.0f, 0.0f, 0.0f};
    Vec3 m_axisY{0.0f, 1.0f, 0.0f};
    int32_t m_zOrder = -40;
    float m_speedFactor = 1.0f;
    CRefPtr<CTotemShapeSets> m_shapeSets;

    CRefPtr<CSpriteList> m_spriteList;
    CRefPtr<CParticleSystemsManager> m_particles;
    CRefPtr<CSpriteBatch> m_spriteBatch;
    CRefPtr<CTexture> m_smallTexture;
    CRefPtr<CTexture> m_shadowTexture;
    CRefPtr<CTexture> m_lightsTexture;
    CRefPtr<CTexture> m_bodyTexture;
    CRefPtr<CTexture> m_sharedTexture;
    std::vector<CRefPtr<CSpriteShape>> m_shapes;
    std::vector<CRefPtr<CSpriteShape>> m_lightShapes;
    uint32_t m_shineColour = 0xFFFFFFFFu;

protected:
    // The colour's work each frame before the move (glows turning ...).
    virtual void UpdateOwn(float dt);
    // The colour's active phase; true once it is over. A totem without an
    // effect of its own ends its phase at once.
    virtual bool UpdateActive(float dt);

    // A point given in fractions of the totem's size, on the totem.
    Vec3 Place(const Vec3& point) const;
    // Appends one shape per sprite of the set, opacity 0.
    void BuildLayer(const CSpriteSet* set, const CRefPtr<CTexture>& texture, int32_t zOrder, int blendMode);
    // The sets whose points m_shapes follow in the present mode, in order.
    void LayerSets(const CSpriteSet* sets[2]) const;
    // Places every shape; with rescale also sizes it.
    void LayOut(bool rescale);

private:
    bool UpdateOpacity(float dt);
    bool UpdateMove(float dt);
    bool EndActivePhase();
};
