#include "ui/KMCheckbox.h"

CKMCheckbox::CKMCheckbox(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
    : CKMButton(spriteList_, textSet_)
{
    type = kWindowCheckbox;
    checkedDisabledColour = checkedOverColour = colour;
}

void CKMCheckbox::CreateCheckbox(CRefPtr<CFont> font, float charScaleX, float charScaleY,
                                 CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax)
{
    CreateText(font, charScaleX, charScaleY, "Checkbox", 0);
    SetImage(texture, uMin, vMin, uMax, vMax);
}

void CKMCheckbox::SetCheckedFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3)
{
    checkedDisabledFrame = AppendFrame(u0, v0, u1, v1, u2, v2, u3, v3);
}

void CKMCheckbox::SetCheckedOverFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3,
                                      float v3)
{
    checkedOverFrame = AppendFrame(u0, v0, u1, v1, u2, v2, u3, v3);
}

int CKMCheckbox::OnMouseDown(float x, float y, int button)
{
    int count = CKMWindow::OnMouseDown(x, y, button);
    if (!OwnFirst(count, kEventLeftDown))
        return count;
    checked = !checked;
    const KMEvent first = events[0];
    events.push_back(KMEvent{kEventValueChanged, id, first.x, first.y, type});
    // The pointer is on the box: show the over look of the new state.
    if (checked)
    {
        ShowFrame(checkedOverFrame >= 0 ? checkedOverFrame : pressedFrame);
        if (hasCheckedOverColour)
            ShowColour(checkedOverColour);
        else if (hasPressedColour)
            ShowColour(pressedColour);
    }
    else
    {
        ShowFrame(overFrame >= 0 ? overFrame : 0);
        ShowColour(hasOverColour ? overColour : normalColour);
    }
    return int(events.size());
}

int CKMCheckbox::OnMouseUp(float x, float y, int button)
{
    return CKMWindow::OnMouseUp(x, y, button);
}

int CKMCheckbox::OnMouseMove(float x, float y, float dt)
{
    const int count = CKMWindow::OnMouseMove(x, y, dt);
    if (OwnFirst(count, kEventEnter))
    {
        if (!checked)
        {
            ShowFrame(overFrame);
            if (hasOverColour)
                ShowColour(overColour);
        }
        else
        {
            ShowFrame(checkedOverFrame);
            if (hasCheckedOverColour)
                ShowColour(checkedOverColour);
        }
    }
    else if (OwnFirst(count, kEventLeave))
    {
        if (!checked)
        {
            if (overFrame >= 0)
                ShowFrame(0);
            if (hasOverColour)
                ShowColour(normalColour);
        }
        else
        {
            if (checkedOverFrame >= 0)
                ShowFrame(pressedFrame >= 0 ? pressedFrame : 0);
            if (hasCheckedOverColour)
                ShowColour(hasPressedColour ? pressedColour : normalColour);
        }
    }
    return count;
}

int32_t CKMCheckbox::SetChecked(int32_t flag)
{
    const int32_t old = checked;
    checked = flag;
    if (!checked && active)
    {
        ShowFrame(0);
        ShowColour(normalColour);
    }
    else if (!checked)
    {
        ShowFrame(disabledFrame);
        if (hasDisabledColour)
            ShowColour(disabledColour);
    }
    else if (active)
    {
        ShowFrame(pressedFrame);
        if (hasPressedColour)
            ShowColour(pressedColour);
    }
    else
    {
        ShowFrame(checkedDisabledFrame);
        if (hasCheckedDisabledColour)
            ShowColour(checkedDisabledColour);
    }
    return old;
}

int32_t CKMCheckbox::SetActive(int32_t flag)
{
    const int32_t old = CKMWindow::SetActive(flag);
    if (flag)
    {
        if (!checked)
        {
            ShowFrame(0);
            ShowColour(normalColour);
        }
        else
        {
            ShowFrame(pressedFrame);
            if (hasPressedColour)
                ShowColour(pressedColour);
        }
    }
    else if (checked)
    {
        ShowFrame(checkedDisabledFrame >= 0 ? checkedDisabledFrame : disabledFrame);
        if (hasCheckedDisabledColour)
            ShowColour(checkedDisabledColour);
        else if (hasDisabledColour)
            ShowColour(disabledColour);
    }
    else
    {
        ShowFrame(disabledFrame >= 0 ? disabledFrame : checkedDisabledFrame);
        if (hasDisabledColour)
            ShowColour(disabledColour);
        else if (hasCheckedDisabledColour)
            ShowColour(checkedDisabledColour);
    }
    return old;
}

void CKMCheckbox::SetTextColor(uint32_t value)
{
    normalColour = value;
    if ((!active && !checked && hasDisabledColour) || (!active && checked && hasCheckedDisabledColour) ||
        (checked && hasPressedColour))
        return;
    CKMStatic::SetTextColor(value);
}
