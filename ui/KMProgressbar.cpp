#include "ui/KMProgressbar.h"

CKMProgressbar::CKMProgressbar(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
    : CKMStatic(spriteList_, textSet_)
{
    type = kWindowProgressbar;
}

void CKMProgressbar::Create(CRefPtr<CTexture> texture, float emptyUMin, float emptyVMin, float emptyUMax,
                            float emptyVMax, float fillUMin, float fillVMin, float fillUMax, float fillVMax)
{
    emptyRect[0] = emptyUMin;
    emptyRect[1] = emptyVMin;
    emptyRect[2] = emptyUMax;
    emptyRect[3] = emptyVMax;
    SetImage(texture, emptyUMin, emptyVMin, emptyUMax, emptyVMax);
    BuildSprites(texture, fillUMin, fillVMin, fillUMax, fillVMax);
}

void CKMProgressbar::BuildSprites(CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax)
{
    fillRect[0] = uMin;
    fillRect[1] = vMin;
    fillRect[2] = uMax;
    fillRect[3] = vMax;
    while (sprites.size() < 2)
    {
        sprites.emplace_back();
        spriteOffsets.push_back({0, 0, 0});
        spriteSizes.push_back({1, 1});
    }
    if (sprites[1].IsValid() && spriteList.IsValid())
        spriteList->Remove(sprites[1]);

    const float v = value;
    Vec3 offset;
    KMSize part;
    if (horizontal)
    {
        offset = {(v - 1) * baseSize.w / 2, 0, -0.001f};
        part = {baseSize.w * v, baseSize.h};
    }
    else
    {
        offset = {0, (v - 1) * baseSize.h / 2, -0.001f};
        part = {baseSize.w, baseSize.h * v};
    }
    spriteOffsets[1] = offset;
    spriteSizes[1] = part;
    CRefPtr<CSpriteShape> sprite(new CSpriteShape(offset.x * scale.x + worldPosition.x,
                                                  offset.y * scale.y + worldPosition.y, -0.001f + worldPosition.z,
                                                  part.w * scale.x, part.h * scale.y, colour, texture, 1));
    sprite->SetAxes(basis[0].x, basis[0].y, basis[0].z, basis[1].x, basis[1].y, basis[1].z, 0);
    if (horizontal)
        sprite->SetFrameUV(0, uMin, vMin, uMin + (uMax - uMin) * v, vMax);
    else
        sprite->SetFrameUV(0, uMin, vMax - (vMax - vMin) * v, uMax, vMax);
    sprite->zOrder = zOrder - 1;
    sprite->visible = visible;
    sprites[1] = sprite;
    if (spriteList.IsValid())
        spriteList->Add(sprite);
}

void CKMProgressbar::PlacePart(size_t i)
{
    if (!sprites[i].IsValid())
        return;
    const Vec3& o = spriteOffsets[i];
    sprites[i]->position = {o.x * scale.x + worldPosition.x, o.y * scale.y + worldPosition.y, o.z + worldPosition.z};
    sprites[i]->SetScale(spriteSizes[i].w * scale.x, spriteSizes[i].h * scale.y);
}

float CKMProgressbar::SetValue(float v)
{
    const float old = value;
    value = v;
    if (sprites.size() < 2)
        return old;
    const float* f = fillRect;
    const float* e = emptyRect;
    float fill[4], empty[4]; // uMin, vMin, uMax, vMax of each part
    if (horizontal)
    {
        spriteOffsets[1] = {(v - 1) * baseSize.w / 2, 0, -0.001f};
        spriteSizes[1] = {baseSize.w * v, baseSize.h};
        spriteOffsets[0] = {v * baseSize.w / 2, 0, 0};
        spriteSizes[0] = {(1 - v) * baseSize.w, baseSize.h};
        const float fillRight = f[0] + (f[2] - f[0]) * v;
        const float emptyLeft = e[0] + (e[2] - e[0]) * v;
        fill[0] = f[0], fill[1] = f[1], fill[2] = fillRight, fill[3] = f[3];
        empty[0] = emptyLeft, empty[1] = e[1], empty[2] = e[2], empty[3] = e[3];
    }
    else
    {
        spriteOffsets[1] = {0, (v - 1) * baseSize.h / 2, -0.001f};
        spriteSizes[1] = {baseSize.w, baseSize.h * v};
        spriteOffsets[0] = {0, v * baseSize.h / 2, 0};
        spriteSizes[0] = {baseSize.w, (1 - v) * baseSize.h};
        const float fillTop = f[3] - (f[3] - f[1]) * v;
        const float emptyBottom = e[3] - (e[3] - e[1]) * v;
        fill[0] = f[0], fill[1] = fillTop, fill[2] = f[2], fill[3] = f[3];
        empty[0] = e[0], empty[1] = e[1], empty[2] = e[2], empty[3] = emptyBottom;
    }
    const float* rects[2] = {empty, fill};
    for (size_t i = 0; i < 2; ++i)
    {
        PlacePart(i);
        if (sprites[i].IsValid())
        {
            const float* r = rects[i];
            sprites[i]->SetFrameUV(0, r[0], r[1], r[2], r[3]);
        }
    }
    return old;
}
