// CKMProgressbar: shows a fraction as two sprites cut from one texture: the
// filled part (sprite 1) grows from the left (or bottom) edge and the empty
// part (sprite 0) covers the rest, each showing its slice of its texture
// rectangle so nothing stretches. No input of its own. Made by the form loader
// from PROGRESSBAR elements.
#pragma once

#include "ui/KMStatic.h"

class CKMProgressbar : public CKMStatic
{
public:
    CKMProgressbar(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);

    // The empty part from the first rectangle, the filled part from the second.
    virtual void Create(CRefPtr<CTexture> texture, float emptyUMin, float emptyVMin, float emptyUMax,
                        float emptyVMax, float fillUMin, float fillVMin, float fillUMax, float fillVMax);
    virtual void BuildSprites(CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax);
    // Stores the value as given (callers pass fractions in [0, 1]) and cuts the
    // two parts again; returns the old value.
    virtual float SetValue(float value);

    int32_t horizontal = 1;
    float value = 0.0f;
    float emptyRect[4] = {0.0f, 0.0f, 1.0f, 0.5f};
    float fillRect[4] = {0.0f, 0.5f, 1.0f, 1.0f};

private:
    void PlacePart(size_t i);
};
