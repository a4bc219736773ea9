#include "ui/KMButton.h"

CKMButton::CKMButton(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
    : CKMStatic(spriteList_, textSet_)
{
    type = kWindowButton;
    normalColour = pressedColour = disabledColour = overColour = colour;
}

void CKMButton::Create(CRefPtr<CFont> font, float charScaleX, float charScaleY, CRefPtr<CTexture> texture,
                       float uMin, float vMin, float uMax, float vMax, int32_t withShadow)
{
    CreateText(font, charScaleX, charScaleY, "Button", withShadow);
    SetImage(texture, uMin, vMin, uMax, vMax);
}

int32_t CKMButton::AppendFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3)
{
    if (sprites.empty() || !sprites[0].IsValid())
        return -1;
    return sprites[0]->AddFrameUV4(u0, v0, u1, v1, u2, v2, u3, v3);
}

void CKMButton::SetPressedFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3)
{
    pressedFrame = AppendFrame(u0, v0, u1, v1, u2, v2, u3, v3);
}

void CKMButton::SetDisabledFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3)
{
    disabledFrame = AppendFrame(u0, v0, u1, v1, u2, v2, u3, v3);
}

void CKMButton::SetOverFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3)
{
    overFrame = AppendFrame(u0, v0, u1, v1, u2, v2, u3, v3);
}

bool CKMButton::OwnFirst(int count, int32_t kind) const
{
    return count > 0 && events[0].kind == kind && events[0].windowId == id;
}

int CKMButton::OnMouseDown(float x, float y, int button)
{
    const int count = CKMWindow::OnMouseDown(x, y, button);
    if (OwnFirst(count, kEventLeftDown))
    {
        ShowFrame(pressedFrame);
        if (hasPressedColour)
            ShowColour(pressedColour);
    }
    return count;
}

int CKMButton::OnMouseUp(float x, float y, int button)
{
    const int count = CKMWindow::OnMouseUp(x, y, button);
    // Another button let go while the left is still held: keep the pressed look.
    if (pressed[0])
        return count;
    ShowFrame(hover && overFrame >= 0 ? overFrame : 0);
    if (hasPressedColour)
        ShowColour(hover && hasOverColour ? overColour : normalColour);
    return count;
}

int CKMButton::OnMouseMove(float x, float y, float dt)
{
    const int count = CKMWindow::OnMouseMove(x, y, dt);
    if (OwnFirst(count, kEventEnter))
    {
        if (pressed[0] && pressedFrame >= 0)
            ShowFrame(pressedFrame);
        else
            ShowFrame(overFrame);
        if (pressed[0] && hasPressedColour)
            ShowColour(pressedColour);
        else if (hasOverColour)
            ShowColour(overColour);
    }
    else if (OwnFirst(count, kEventLeave))
    {
        ShowFrame(0);
        ShowColour(normalColour);
    }
    return count;
}

int32_t CKMButton::SetActive(int32_t flag)
{
    const int32_t old = CKMWindow::SetActive(flag);
    if (flag)
    {
        ShowFrame(0);
        ShowColour(normalColour);
    }
    else
    {
        ShowFrame(disabledFrame);
        if (hasDisabledColour)
            ShowColour(disabledColour);
    }
    return old;
}

void CKMButton::SetTextColor(uint32_t value)
{
    normalColour = value;
    if ((pressed[0] && hasPressedColour) || (!active && hasDisabledColour))
        return;
    CKMStatic::SetTextColor(value);
}

void CKMButton::ResetInput()
{
    CKMWindow::ResetInput();
    if (active)
    {
        ShowFrame(0);
        ShowColour(normalColour);
    }
}
