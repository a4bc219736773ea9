// CKMCheckbox: a button with a checked flag that a left press toggles; each
// toggle is reported as a value-changed record (kind 13) right after the press.
// The button's pressed look is the checked look; two more looks show checked
// and pointer over, and checked and inactive. Made by the form loader from
// CHECKBOX elements.
#pragma once

#include "ui/KMButton.h"

class CKMCheckbox : public CKMButton
{
public:
    CKMCheckbox(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);

    void SetTextColor(uint32_t colour) override;
    int32_t SetActive(int32_t flag) override;
    int OnMouseDown(float x, float y, int button) override;
    // The window's release only: the look stays as the press left it.
    int OnMouseUp(float x, float y, int button) override;
    int OnMouseMove(float x, float y, float dt) override;

    // Caption "Checkbox", no shadow, and the picture's frame 0.
    virtual void CreateCheckbox(CRefPtr<CFont> font, float charScaleX, float charScaleY, CRefPtr<CTexture> texture,
                                float uMin, float vMin, float uMax, float vMax);
    // The frame shown while checked and inactive.
    virtual void SetCheckedFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3);
    // The frame shown while checked and the pointer is over the box.
    virtual void SetCheckedOverFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3,
                                     float v3);
    // Sets the flag without an event and shows the matching look.
    virtual int32_t SetChecked(int32_t flag);

    int32_t checkedDisabledFrame = -1;
    int32_t checkedOverFrame = -1;
    uint32_t checkedDisabledColour;
    uint32_t checkedOverColour;
    int32_t hasCheckedDisabledColour = 0;
    int32_t hasCheckedOverColour = 0;
    int32_t checked = 0;
};
