// CKMStatic: the label-and-picture widget and the base of every other widget.
// It owns a caption of one bitmap-font text (with an optional shadow text under
// it) laid out inside the window's base rectangle, and a picture: sprite 0, a
// quad cut from a texture. The form loader makes statics from STATIC elements;
// the interface object changes their strings, colours and visibility.
#pragma once

#include "ui/KMWindow.h"

class CKMStatic : public CKMWindow
{
public:
    CKMStatic(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);

    // Every text but the shadow takes the colour.
    void SetTextColor(uint32_t colour) override;

    // Installs the caption's texts (the shadow may be empty) and places them.
    // The first call fixes whether the caption has a shadow.
    virtual void SetText(CRefPtr<CText> main, CRefPtr<CText> shadowText);
    // Makes the caption on the font; comes before every other text operation.
    virtual void CreateText(CRefPtr<CFont> font, float charScaleX, float charScaleY, const char* string,
                            int32_t withShadow);
    virtual void SetTextAlign(int32_t alignment);
    virtual void SetLineSpacing(float spacing);
    virtual void SetTextBox(float w, float h);
    virtual void SetWrapWidth(float width);
    virtual void SetString(const char* string);
    // The picture, sprite 0: the whole base rectangle, or (Ex) a quad of its
    // own size at an offset from the centre.
    virtual void SetImage(CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax);
    virtual void AddPicture(CRefPtr<CTexture> texture, float u0, float v0, float u1, float v1, float u2, float v2,
                            float u3, float v3);
    virtual void SetImageEx(CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax,
                            float offsetX, float offsetY, float offsetZ, float w, float h);
    virtual void AddPictureEx(CRefPtr<CTexture> texture, float u0, float v0, float u1, float v1, float u2,
                              float v2, float u3, float v3, float offsetX, float offsetY, float offsetZ, float w,
                              float h);

    // The caption's main text (texts[1] with a shadow, else texts[0]); empty
    // before CreateText.
    CRefPtr<CText> MainText() const;
    size_t MainTextIndex() const { return shadow ? 1 : 0; }

    int32_t wrapText = 1;
    float textDepthShift = 0.001f;
    Vec3 textOffset{0, 0, 0};
    int32_t shadow = 0;
    KMVec2 shadowShift{1.0f / 256.0f, -1.0f / 256.0f};
    float shadowDepthShift = -0.0005f;
    uint32_t shadowColour = 0x80000000u;

protected:
    // Computes the caption offsets from the alignment and the shifts.
    void PlaceCaption();
    // Shows a frame of the picture; -1 leaves it as it is.
    void ShowFrame(int32_t frame);
    // Gives the main text a colour (the shadow keeps its own).
    void ShowColour(uint32_t colour);

private:
    // Makes room for a new picture: sprite 0 exists and is off the sprite list.
    void ClearPicture();
    // Turns the new picture like the window, cuts it from the texture and makes it sprite 0.
    void InstallPicture(const CRefPtr<CSpriteShape>& sprite, float u0, float v0, float u1, float v1, float u2, float v2,
                        float u3, float v3);
};
