// CKMWindow: the base of every piece of the user interface, the top-level forms
// and the widgets inside them. A window is a rectangle centred in the 1024 by
// 768 virtual screen (y up) with its own basis, base size and scale; it owns the
// sprites and texts that draw it and its child windows, and keeps them placed,
// sized, faded and shown together with itself. It also does the mouse work:
// the centred hit test, the per-button pressed state, the hover state, and a
// queue of KMEvent records that every mouse call refills and that the parent,
// and finally the forms manager, gathers. Windows are held through CRefPtr by
// their parent (or the forms manager and the interface object).
#pragma once

#include "engine/MotionPath.h" // Vec3
#include "engine/RefPtr.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <cstdint>
#include <vector>

// Window types; the form file's element types use the same numbers.
enum
{
    kWindowPlain = 0,
    kWindowForm = 1,
    kWindowStatic = 2,
    kWindowButton = 3,
    kWindowCheckbox = 4,
    kWindowScroller = 5,
    kWindowProgressbar = 6,
};

// Widget event kinds. Presses and releases come per button: left 1/2, right
// 3/4, middle 5/6.
enum
{
    kEventClick = 0,
    kEventLeftDown = 1,
    kEventLeftUp = 2,
    kEventRightDown = 3,
    kEventRightUp = 4,
    kEventMiddleDown = 5,
    kEventMiddleUp = 6,
    kEventEnter = 11,
    kEventLeave = 12,
    kEventValueChanged = 13,
};

// One widget event: five 32-bit fields. x and y are the pointer relative to the
// sender's centre, divided by its scale.
struct KMEvent
{
    int32_t kind;
    int32_t windowId;
    float x;
    float y;
    int32_t windowType;
};

struct KMSize
{
    float w;
    float h;
};

struct KMVec2
{
    float x;
    float y;
};

class CKMWindow
{
public:
    CKMWindow(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);
    virtual ~CKMWindow();
    CKMWindow(const CKMWindow&) = delete;
    CKMWindow& operator=(const CKMWindow&) = delete;

    virtual void SetResources(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);
    virtual void RemoveAllSprites();
    // Base size and size both become (w, h), the scale 1; nothing moves.
    virtual void SetBaseSize(float w, float h);
    // Places the window at (x, y, z) relative to the origin, along the origin's
    // axes being this window's own basis; sprites, texts and children follow.
    virtual void SetPosition(float x, float y, float z, float originX, float originY, float originZ);
    // Resizes: the scale becomes size / base size and is passed on to every
    // sprite, text and child.
    virtual void SetSize(float w, float h);
    virtual void SetRect(float x, float y, float z, float w, float h, float originX, float originY,
                         float originZ);
    virtual void SetAlpha(float alpha);
    virtual void AddZOrder(int32_t delta);
    virtual void SetTextColor(uint32_t colour);
    virtual void SetColor(uint32_t colour);
    // The child's position at the time it is added becomes its offset from
    // this window's centre.
    virtual void AddChild(CRefPtr<CKMWindow> child);
    virtual int32_t SetActive(int32_t flag);
    virtual int32_t SetVisible(int32_t flag);
    // Mouse calls take (x, y) relative to this window's centre and return the
    // number of records in `events`: this window's own, then its children's.
    virtual int OnMouseDown(float x, float y, int button);
    virtual int OnMouseUp(float x, float y, int button);
    virtual int OnMouseMove(float x, float y, float dt);
    virtual void ResetInput();
    virtual CRefPtr<CKMWindow> FindChild(int32_t id);
    virtual void SetChildPosition(CRefPtr<CKMWindow> child, float x, float y, float z);
    virtual void MoveChildren(int32_t id, float x, float y, float z);
    virtual void ResizeChild(CRefPtr<CKMWindow> child, float w, float h);
    virtual void ResizeChildren(int32_t id, float w, float h);
    virtual void SetDepth(int32_t depth);

    // The pointer (relative to the centre) in base units; a scale of 0 gives
    // 1000000 on that axis, which no window contains.
    KMVec2 ToLocal(float x, float y) const;
    bool HitTest(float x, float y) const;
    // Takes input: shown, active and enabled.
    bool TakesInput() const { return visible && active && enabled; }

    int32_t type = kWindowPlain;
    int32_t id = 0;
    int32_t depth = 0;
    Vec3 worldPosition{0, 0, 0};
    Vec3 localPosition{0, 0, 0};
    Vec3 basis[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; // axis X, axis Y, axis Z
    KMSize baseSize{1, 1};
    KMSize size{1, 1};
    KMVec2 scale{1, 1};
    float alpha = 1.0f;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTextSet> textSet;
    std::vector<CRefPtr<CKMWindow>> children;
    std::vector<Vec3> childOffsets;
    std::vector<CRefPtr<CSpriteShape>> sprites;
    std::vector<Vec3> spriteOffsets;
    std::vector<KMSize> spriteSizes;
    std::vector<CRefPtr<CText>> texts;
    std::vector<float> textWrapWidths;
    std::vector<KMVec2> textScales;
    std::vector<Vec3> textOffsets;
    int32_t visible = 1;
    int32_t enabled = 1;
    int32_t active = 1;
    int32_t zOrder = 0;
    uint32_t colour = 0xFFFFFFFFu;
    std::vector<KMEvent> events;
    int32_t pressed[3] = {0, 0, 0};
    float heldTime[3] = {0, 0, 0};
    int32_t hover = 0;

protected:
    // worldPosition + (o.x * scale.x) along axis X + (o.y * scale.y) along
    // axis Y + o.z along axis Z: where an offset in base units lands.
    Vec3 Place(const Vec3& offset) const;
    void PlaceSprite(size_t i);
    void PlaceText(size_t i);
    // Steps 2 to 4 of a resize: sprites, texts and children at the current scale.
    void ApplyScale();
    void Queue(int32_t kind, const KMVec2& local);
    // Calls a mouse operation on every child that takes input and appends the
    // child's records; returns the queue's length.
    template <class Call>
    int GatherChildren(const Call& call);
};
