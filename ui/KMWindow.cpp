#include "ui/KMWindow.h"

#include <cmath>

namespace {

Vec3 AddVec(const Vec3& a, const Vec3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 MulVec(const Vec3& a, float k)
{
    return {a.x * k, a.y * k, a.z * k};
}

// Two handles name the same window when they share a block, or both hold none.
bool SameWindow(const CRefPtr<CKMWindow>& a, const CRefPtr<CKMWindow>& b)
{
    return a.SameAs(b) || (!a.IsValid() && !b.IsValid());
}

const float kUnreachable = 1000000.0f;

// Size over base size. A window without a base size (a caption-only label with
// no SIZE) keeps scale 1 instead of 0 / 0, which would leave its texts unusable.
float ScaleOf(float size, float base)
{
    return base == 0.0f ? 1.0f : size / base;
}

} // namespace

CKMWindow::CKMWindow(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
{
    children.reserve(32);
    childOffsets.reserve(32);
    sprites.reserve(16);
    spriteOffsets.reserve(16);
    spriteSizes.reserve(16);
    texts.reserve(16);
    textWrapWidths.reserve(16);
    textScales.reserve(16);
    textOffsets.reserve(16);
    events.reserve(16);
    CKMWindow::SetResources(spriteList_, textSet_);
}

CKMWindow::~CKMWindow()
{
    if (spriteList.IsValid())
        for (const CRefPtr<CSpriteShape>& sprite : sprites)
            spriteList->Remove(sprite);
    if (textSet.IsValid())
        for (const CRefPtr<CText>& text : texts)
            textSet->Remove(text);
}

void CKMWindow::SetResources(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
{
    spriteList = spriteList_;
    textSet = textSet_;
}

void CKMWindow::RemoveAllSprites()
{
    if (spriteList.IsValid())
        for (const CRefPtr<CSpriteShape>& sprite : sprites)
            spriteList->Remove(sprite);
    sprites.clear();
    spriteOffsets.clear();
    spriteSizes.clear();
}

void CKMWindow::SetBaseSize(float w, float h)
{
    baseSize = {w, h};
    size = {w, h};
    scale = {1.0f, 1.0f};
}

Vec3 CKMWindow::Place(const Vec3& o) const
{
    return AddVec(AddVec(AddVec(worldPosition, MulVec(basis[0], o.x * scale.x)), MulVec(basis[1], o.y * scale.y)),
               MulVec(basis[2], o.z));
}

void CKMWindow::PlaceSprite(size_t i)
{
    if (sprites[i].IsValid())
        sprites[i]->position = Place(spriteOffsets[i]);
}

void CKMWindow::PlaceText(size_t i)
{
    if (texts[i].IsValid())
        texts[i]->position = Place(textOffsets[i]);
}

void CKMWindow::SetPosition(float x, float y, float z, float originX, float originY, float originZ)
{
    localPosition = {x, y, z};
    worldPosition = AddVec(AddVec(AddVec(Vec3{originX, originY, originZ}, MulVec(basis[0], x)), MulVec(basis[1], y)),
                        MulVec(basis[2], z));
    for (size_t i = 0; i < sprites.size(); ++i)
        PlaceSprite(i);
    for (size_t i = 0; i < texts.size(); ++i)
        PlaceText(i);
    for (size_t i = 0; i < children.size(); ++i)
    {
        const Vec3& o = childOffsets[i];
        children[i]->SetPosition(o.x * scale.x, o.y * scale.y, o.z, worldPosition.x, worldPosition.y,
                                 worldPosition.z);
    }
}

void CKMWindow::ApplyScale()
{
    for (size_t i = 0; i < sprites.size(); ++i)
    {
        PlaceSprite(i);
        if (sprites[i].IsValid())
            sprites[i]->SetScale(spriteSizes[i].w * scale.x, spriteSizes[i].h * scale.y);
    }
    for (size_t i = 0; i < texts.size(); ++i)
    {
        PlaceText(i);
        if (texts[i].IsValid())
            texts[i]->SetFontScale(textScales[i].x * scale.x, textScales[i].y * scale.y, 0);
    }
    for (size_t i = 0; i < children.size(); ++i)
    {
        const Vec3& o = childOffsets[i];
        CKMWindow& child = *children[i];
        child.SetRect(o.x * scale.x, o.y * scale.y, o.z, child.baseSize.w * scale.x,
                      child.baseSize.h * scale.y, worldPosition.x, worldPosition.y, worldPosition.z);
    }
}

void CKMWindow::SetSize(float w, float h)
{
    size = {w, h};
    scale = {ScaleOf(w, baseSize.w), ScaleOf(h, baseSize.h)};
    ApplyScale();
}

void CKMWindow::SetRect(float x, float y, float z, float w, float h, float originX, float originY,
                        float originZ)
{
    size = {w, h};
    scale = {ScaleOf(w, baseSize.w), ScaleOf(h, baseSize.h)};
    localPosition = {x, y, z};
    worldPosition = AddVec(AddVec(AddVec(Vec3{originX, originY, originZ}, MulVec(basis[0], x)), MulVec(basis[1], y)),
                        MulVec(basis[2], z));
    ApplyScale();
}

void CKMWindow::SetAlpha(float value)
{
    alpha = value;
    for (const CRefPtr<CSpriteShape>& sprite : sprites)
        if (sprite.IsValid())
            sprite->alpha = value;
    for (const CRefPtr<CText>& text : texts)
        if (text.IsValid())
        {
            // A widget's texts fade with its pictures: the opacity factor is what a
            // resting text draws with (its own alpha only moves while it flies).
            text->alpha = value;
            text->alphaFactor = value;
            text->PlaceCharacters();
        }
    for (const CRefPtr<CKMWindow>& child : children)
        child->SetAlpha(value);
}

void CKMWindow::AddZOrder(int32_t delta)
{
    zOrder += delta;
    for (const CRefPtr<CSpriteShape>& sprite : sprites)
        if (sprite.IsValid())
            sprite->zOrder += delta;
    for (const CRefPtr<CKMWindow>& child : children)
        child->AddZOrder(delta);
    // The list keeps its shapes sorted by z-order.
    if (spriteList.IsValid() && !sprites.empty())
        spriteList->Resort();
}

void CKMWindow::SetTextColor(uint32_t value)
{
    for (const CRefPtr<CText>& text : texts)
        if (text.IsValid())
        {
            text->colour = value;
            text->PlaceCharacters();
        }
}

void CKMWindow::SetColor(uint32_t value)
{
    colour = value;
    for (const CRefPtr<CSpriteShape>& sprite : sprites)
        if (sprite.IsValid())
            sprite->SetColor(value);
}

void CKMWindow::AddChild(CRefPtr<CKMWindow> child)
{
    if (!child.IsValid())
        return;
    children.push_back(child);
    child->SetDepth(depth);
    const Vec3 o = child->localPosition;
    childOffsets.push_back(o);
    child->SetRect(o.x * scale.x, o.y * scale.y, o.z, child->baseSize.w * scale.x, child->baseSize.h * scale.y,
                   worldPosition.x, worldPosition.y, worldPosition.z);
}

int32_t CKMWindow::SetActive(int32_t flag)
{
    const int32_t old = active;
    active = flag;
    return old;
}

int32_t CKMWindow::SetVisible(int32_t flag)
{
    const int32_t old = visible;
    visible = flag;
    for (const CRefPtr<CSpriteShape>& sprite : sprites)
        if (sprite.IsValid())
        {
            if (spriteList.IsValid())
                spriteList->SetVisible(sprite, flag);
            else
                sprite->visible = flag;
        }
    for (const CRefPtr<CText>& text : texts)
        if (text.IsValid())
            text->visible = flag;
    for (const CRefPtr<CKMWindow>& child : children)
        child->SetVisible(flag);
    return old;
}

KMVec2 CKMWindow::ToLocal(float x, float y) const
{
    return {scale.x == 0.0f ? kUnreachable : x / scale.x, scale.y == 0.0f ? kUnreachable : y / scale.y};
}

bool CKMWindow::HitTest(float x, float y) const
{
    const KMVec2 l = ToLocal(x, y);
    return std::fabs(l.x) <= baseSize.w * 0.5f && std::fabs(l.y) <= baseSize.h * 0.5f;
}

void CKMWindow::Queue(int32_t kind, const KMVec2& local)
{
    events.push_back(KMEvent{kind, id, local.x, local.y, type});
}

template <class Call>
int CKMWindow::GatherChildren(const Call& call)
{
    for (const CRefPtr<CKMWindow>& child : children)
    {
        CKMWindow& c = *child;
        if (!c.TakesInput())
            continue;
        if (call(c, c.localPosition.x, c.localPosition.y) > 0)
            events.insert(events.end(), c.events.begin(), c.events.end());
    }
    return int(events.size());
}

// Only buttons 0 to 2 have pressed flags; others report nothing.
static bool ValidButton(int button)
{
    return button >= 0 && button < 3;
}

int CKMWindow::OnMouseDown(float x, float y, int button)
{
    events.clear();
    if (!TakesInput() || !ValidButton(button))
        return 0;
    if (HitTest(x, y))
    {
        Queue(kEventLeftDown + 2 * button, ToLocal(x, y));
        pressed[button] = 1;
        heldTime[button] = 0.0f;
    }
    return GatherChildren([&](CKMWindow& c, float cx, float cy) { return c.OnMouseDown(x - cx, y - cy, button); });
}

int CKMWindow::OnMouseUp(float x, float y, int button)
{
    events.clear();
    if (!TakesInput() || !ValidButton(button))
        return 0;
    const KMVec2 local = ToLocal(x, y);
    // Every window that takes input reports every release, hit or not.
    Queue(kEventLeftUp + 2 * button, local);
    if (button == 0 && pressed[0] && HitTest(x, y))
        Queue(kEventClick, local);
    pressed[button] = 0;
    heldTime[button] = 0.0f;
    return GatherChildren([&](CKMWindow& c, float cx, float cy) { return c.OnMouseUp(x - cx, y - cy, button); });
}

int CKMWindow::OnMouseMove(float x, float y, float dt)
{
    events.clear();
    if (!TakesInput())
        return 0;
    const bool hit = HitTest(x, y);
    if (hit && !hover)
    {
        Queue(kEventEnter, ToLocal(x, y));
        hover = 1;
    }
    else if (!hit && hover)
    {
        Queue(kEventLeave, ToLocal(x, y));
        hover = 0;
    }
    for (int b = 0; b < 3; ++b)
        if (pressed[b])
            heldTime[b] += dt;
    return GatherChildren([&](CKMWindow& c, float cx, float cy) { return c.OnMouseMove(x - cx, y - cy, dt); });
}

void CKMWindow::ResetInput()
{
    events.clear();
    for (int b = 0; b < 3; ++b)
    {
        pressed[b] = 0;
        heldTime[b] = 0.0f;
    }
    hover = 0;
    for (const CRefPtr<CKMWindow>& child : children)
        child->ResetInput();
}

CRefPtr<CKMWindow> CKMWindow::FindChild(int32_t childId)
{
    for (const CRefPtr<CKMWindow>& child : children)
        if (child->id == childId)
            return child;
    return CRefPtr<CKMWindow>();
}

void CKMWindow::SetChildPosition(CRefPtr<CKMWindow> child, float x, float y, float z)
{
    for (size_t i = 0; i < children.size(); ++i)
        if (SameWindow(children[i], child))
        {
            childOffsets[i] = {x, y, z};
            children[i]->SetPosition(x * scale.x, y * scale.y, z, worldPosition.x, worldPosition.y,
                                     worldPosition.z);
        }
}

void CKMWindow::MoveChildren(int32_t childId, float x, float y, float z)
{
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i]->id == childId)
        {
            childOffsets[i] = {x, y, z};
            children[i]->SetPosition(x * scale.x, y * scale.y, z, worldPosition.x, worldPosition.y,
                                     worldPosition.z);
        }
}

void CKMWindow::ResizeChild(CRefPtr<CKMWindow> child, float w, float h)
{
    for (const CRefPtr<CKMWindow>& c : children)
        if (SameWindow(c, child))
        {
            const KMVec2 s = c->scale;
            c->SetBaseSize(w, h);
            c->SetSize(c->baseSize.w * s.x, c->baseSize.h * s.y);
        }
}

void CKMWindow::ResizeChildren(int32_t childId, float w, float h)
{
    for (const CRefPtr<CKMWindow>& c : children)
        if (c->id == childId)
        {
            const KMVec2 s = c->scale;
            c->SetBaseSize(w, h);
            c->SetSize(c->baseSize.w * s.x, c->baseSize.h * s.y);
        }
}

void CKMWindow::SetDepth(int32_t value)
{
    depth = value;
    for (const CRefPtr<CText>& text : texts)
        if (text.IsValid())
            text->layer = value;
    for (const CRefPtr<CKMWindow>& child : children)
        child->SetDepth(value);
}
