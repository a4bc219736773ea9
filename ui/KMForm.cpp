#include "ui/KMForm.h"

#include <cmath>

CKMForm::CKMForm(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
    : CKMWindow(spriteList_, textSet_)
{
    type = kWindowForm;
}

int32_t CKMForm::SetVisible(int32_t flag)
{
    const int32_t old = visible;
    visible = flag;
    return old;
}

void CKMForm::SetZOrder(int32_t z)
{
    const int32_t delta = z - zOrder;
    zOrder = z;
    for (const CRefPtr<CSpriteShape>& sprite : sprites)
        if (sprite.IsValid())
            sprite->zOrder = z;
    for (const CRefPtr<CKMWindow>& child : children)
        child->AddZOrder(delta);
    if (spriteList.IsValid())
        spriteList->Resort();
}

void CKMForm::SetBackground(CRefPtr<CTexture> corners, CRefPtr<CTexture> sides, CRefPtr<CTexture> background,
                            float hP, float hT, float vT, float vP)
{
    RemoveAllSprites();
    tileValues[0] = hP;
    tileValues[1] = hT;
    tileValues[2] = vT;
    tileValues[3] = vP;

    const float W = baseSize.w;
    const float H = baseSize.h;
    // A form smaller than its two edges gets an empty inside rather than a
    // negative one, and a period that is not positive shows its tile once,
    // stretched, instead of repeating it without end.
    const float innerW = std::fmax(W - 2.0f * vT, 0.0f);
    const float innerH = std::fmax(H - 2.0f * hT, 0.0f);
    const float Rh = hP > 0.0f ? innerW / hP : 1.0f;
    const float Rv = vP > 0.0f ? innerH / vP : 1.0f;
    const float cx = (W - vT) / 2;
    const float cy = (H - hT) / 2;

    struct Piece
    {
        const CRefPtr<CTexture>* texture;
        float w, h, x, y;
        bool corners4; // uv holds four corners instead of a rectangle
        float uv[8];
    };
    const Piece pieces[9] = {
        {&corners, vT, hT, -cx, cy, false, {0, 0, 0.5f, 0.5f}},
        {&corners, vT, hT, cx, cy, false, {0.5f, 0, 1, 0.5f}},
        {&corners, vT, hT, cx, -cy, false, {0.5f, 0.5f, 1, 1}},
        {&corners, vT, hT, -cx, -cy, false, {0, 0.5f, 0.5f, 1}},
        {&sides, vT, innerH, -cx, 0, false, {0, 0, 0.25f, Rv}},
        {&sides, vT, innerH, cx, 0, false, {0.25f, 0, 0.5f, Rv}},
        // The bottom and top strips lie turned in the sides texture, so their v runs along the edge.
        {&sides, innerW, hT, 0, -cy, true, {0.75f, 0, 0.75f, Rh, 0.5f, Rh, 0.5f, 0}},
        {&sides, innerW, hT, 0, cy, true, {1, 0, 1, Rh, 0.75f, Rh, 0.75f, 0}},
        {&background, innerW, innerH, 0, 0, false, {0, 0, Rh, Rv}},
    };
    for (const Piece& p : pieces)
    {
        CRefPtr<CSpriteShape> sprite(new CSpriteShape(p.x, p.y, 0.0f, p.w, p.h, colour, *p.texture, 1));
        sprite->SetAxes(basis[0].x, basis[0].y, basis[0].z, basis[1].x, basis[1].y, basis[1].z, 0);
        if (p.corners4)
            sprite->SetFrameUV4(0, p.uv[0], p.uv[1], p.uv[2], p.uv[3], p.uv[4], p.uv[5], p.uv[6], p.uv[7]);
        else
            sprite->SetFrameUV(0, p.uv[0], p.uv[1], p.uv[2], p.uv[3]);
        sprite->zOrder = zOrder;
        sprite->visible = visible;
        sprites.push_back(sprite);
        spriteOffsets.push_back({p.x, p.y, 0.0f});
        spriteSizes.push_back({p.w, p.h});
        if (spriteList.IsValid())
            spriteList->Add(sprite);
    }
    SetPosition(localPosition.x, localPosition.y, localPosition.z, 0.0f, 0.0f, 0.0f);
}
