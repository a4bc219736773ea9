// CKMForm: a top-level window. The interface object makes one per screen
// through the form loader and hands it to the forms manager, which lists,
// routes and draws it; the form owns its widgets as children.
#pragma once

#include "ui/KMWindow.h"

// Its own visibility is only a flag (its widgets keep theirs); it can show a tiled
// frame built from three textures.
class CKMForm : public CKMWindow
{
public:
    CKMForm(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet);

    int32_t SetVisible(int32_t flag) override;
    // Replaces every sprite of the form by a frame of nine: four corners, four
    // edges repeating along their length and the inside repeating both ways.
    // The tile values are in virtual units: horizontal period, horizontal
    // thickness (top and bottom edges), vertical thickness (left and right
    // edges), vertical period.
    virtual void SetBackground(CRefPtr<CTexture> corners, CRefPtr<CTexture> sides,
                               CRefPtr<CTexture> background, float hPeriod, float hThickness,
                               float vThickness, float vPeriod);
    // The form's sprites take z; its widgets move by the difference.
    virtual void SetZOrder(int32_t z);

    int32_t backgroundFlag = 1;
    float tileValues[4] = {0.2f, 0.2f, 0.2f, 0.2f};
};
