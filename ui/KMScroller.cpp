#include "ui/KMScroller.h"

CKMScroller::CKMScroller(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
    : CKMStatic(spriteList_, textSet_)
{
    type = kWindowScroller;
}

KMVec2 CKMScroller::GetThumbPosition()
{
    if (horizontal)
        return {centreShift.x + (value - 0.5f) * baseSize.w * travelFactor, centreShift.y};
    return {centreShift.x, centreShift.y - (value - 0.5f) * baseSize.h * travelFactor};
}

void CKMScroller::MoveThumb()
{
    if (sprites.size() < 2)
        return;
    const KMVec2 thumb = GetThumbPosition();
    spriteOffsets[1] = {thumb.x, thumb.y, -0.001f};
    if (sprites[1].IsValid())
        sprites[1]->position = {thumb.x * scale.x + worldPosition.x, thumb.y * scale.y + worldPosition.y,
                                -0.001f + worldPosition.z};
}

void CKMScroller::TakeValue(float lx, float ly)
{
    float v = horizontal ? (lx - centreShift.x) / (travelFactor * baseSize.w) + 0.5f
                         : 0.5f - (ly - centreShift.y) / (travelFactor * baseSize.h);
    if (v > 1.0f)
        v = 1.0f;
    if (v < 0.0f)
        v = 0.0f;
    value = v;
}

int CKMScroller::OnMouseDown(float x, float y, int button)
{
    const int count = CKMWindow::OnMouseDown(x, y, button);
    if (count > 0 && events[0].kind == kEventLeftDown && events[0].windowId == id)
    {
        const KMEvent first = events[0];
        TakeValue(first.x, first.y);
        events.push_back(KMEvent{kEventValueChanged, id, first.x, first.y, type});
        MoveThumb();
    }
    return int(events.size());
}

int CKMScroller::OnMouseMove(float x, float y, float dt)
{
    CKMWindow::OnMouseMove(x, y, dt);
    // While dragging the value follows the pointer wherever it is.
    if (TakesInput() && pressed[0])
    {
        const KMVec2 local = ToLocal(x, y);
        TakeValue(local.x, local.y);
        events.push_back(KMEvent{kEventValueChanged, id, local.x, local.y, type});
        MoveThumb();
    }
    return int(events.size());
}

float CKMScroller::SetValue(float v)
{
    const float old = value;
    value = v;
    MoveThumb();
    return old;
}

int32_t CKMScroller::SetActive(int32_t flag)
{
    const int32_t old = CKMWindow::SetActive(flag);
    if (thumbDisabledFrame >= 0 && sprites.size() > 1 && sprites[1].IsValid())
        sprites[1]->currentFrame = flag ? 0 : thumbDisabledFrame;
    return old;
}

void CKMScroller::Create(CRefPtr<CTexture> texture, float trackUMin, float trackVMin, float trackUMax,
                         float trackVMax, float thumbUMin, float thumbVMin, float thumbUMax, float thumbVMax,
                         float thumbW, float thumbH)
{
    SetImage(texture, trackUMin, trackVMin, trackUMax, trackVMax);
    BuildSprites(texture, thumbUMin, thumbVMin, thumbUMax, thumbVMin, thumbUMax, thumbVMax, thumbUMin,
                 thumbVMax, thumbW, thumbH);
}

void CKMScroller::BuildSprites(CRefPtr<CTexture> texture, float u0, float v0, float, float, float u2, float v2,
                               float, float, float w, float h)
{
    // The thumb is sprite 1: keep a slot for the picture when there is none yet.
    while (sprites.size() < 2)
    {
        sprites.emplace_back();
        spriteOffsets.push_back({0, 0, 0});
        spriteSizes.push_back({0.1f, 0.1f});
    }
    if (sprites[1].IsValid() && spriteList.IsValid())
        spriteList->Remove(sprites[1]);
    thumbSize = {w, h};
    spriteSizes[1] = {w, h};
    const KMVec2 thumb = GetThumbPosition();
    spriteOffsets[1] = {thumb.x, thumb.y, -0.001f};
    CRefPtr<CSpriteShape> sprite(new CSpriteShape(thumb.x * scale.x + worldPosition.x,
                                                  thumb.y * scale.y + worldPosition.y, -0.001f + worldPosition.z,
                                                  w * scale.x, h * scale.y, colour, texture, 1));
    sprite->SetAxes(basis[0].x, basis[0].y, basis[0].z, basis[1].x, basis[1].y, basis[1].z, 0);
    sprite->SetFrameUV(0, u0, v0, u2, v2);
    // Drawn over the track.
    sprite->zOrder = zOrder - 1;
    sprite->visible = visible;
    sprites[1] = sprite;
    if (spriteList.IsValid())
        spriteList->Add(sprite);
}

void CKMScroller::SetThumbFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3)
{
    if (sprites.size() > 1 && sprites[1].IsValid())
        thumbDisabledFrame = sprites[1]->AddFrameUV4(u0, v0, u1, v1, u2, v2, u3, v3);
}
