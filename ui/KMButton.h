// CKMButton: a static whose picture frame and caption colour follow the mouse:
// a pressed look while the left button is held after a press on it, an over
// look while the pointer is on it, a disabled look while inactive. A click is
// the base window's kind 0 record; what it means is the interface's business.
// Made by the form loader from BUTTON elements.
#pragma once

#include "ui/KMStatic.h"

class CKMButton : public CKMStatic
{
public:
    CKMButton(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);

    void SetTextColor(uint32_t colour) override;
    int32_t SetActive(int32_t flag) override;
    int OnMouseDown(float x, float y, int button) override;
    int OnMouseUp(float x, float y, int button) override;
    int OnMouseMove(float x, float y, float dt) override;
    void ResetInput() override;

    // Caption "Button" on the font and the picture's frame 0; the loader then
    // sets the element's own text.
    virtual void Create(CRefPtr<CFont> font, float charScaleX, float charScaleY, CRefPtr<CTexture> texture,
                        float uMin, float vMin, float uMax, float vMax, int32_t withShadow);
    // Each appends a frame to the picture (which must exist) and remembers it.
    virtual void SetPressedFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3);
    virtual void SetDisabledFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3);
    virtual void SetOverFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3);

    int32_t pressedFrame = -1;
    int32_t disabledFrame = -1;
    int32_t overFrame = -1;
    uint32_t normalColour;
    uint32_t pressedColour;
    uint32_t disabledColour;
    uint32_t overColour;
    int32_t hasPressedColour = 0;
    int32_t hasDisabledColour = 0;
    int32_t hasOverColour = 0;

protected:
    // The index of a new frame of the picture; -1 without a picture.
    int32_t AppendFrame(float u0, float v0, float u1, float v1, float u2, float v2, float u3, float v3);
    // True when the queue's first record is this window's own of that kind.
    bool OwnFirst(int count, int32_t kind) const;
};
