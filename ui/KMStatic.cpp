#include "ui/KMStatic.h"

#include <string>

namespace {

// Where along axis X the caption is anchored for an alignment.
float AlignmentAnchor(int32_t alignment, float baseWidth)
{
    switch (alignment)
    {
    case kAlignLeft:
    case kAlignJustify:
        return -baseWidth / 2;
    case kAlignRight:
        return baseWidth / 2;
    default:
        return 0.0f;
    }
}

Vec3 Add(const Vec3& a, const Vec3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 Mul(const Vec3& a, float k)
{
    return {a.x * k, a.y * k, a.z * k};
}

} // namespace

CKMStatic::CKMStatic(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_)
    : CKMWindow(spriteList_, textSet_)
{
    type = kWindowStatic;
}

CRefPtr<CText> CKMStatic::MainText() const
{
    const size_t i = MainTextIndex();
    return i < texts.size() ? texts[i] : CRefPtr<CText>();
}

void CKMStatic::SetTextColor(uint32_t value)
{
    for (size_t i = 0; i < texts.size(); ++i)
    {
        if (shadow && i == 0)
            continue;
        if (texts[i].IsValid())
        {
            texts[i]->colour = value;
            texts[i]->PlaceCharacters();
        }
    }
}

void CKMStatic::ShowFrame(int32_t frame)
{
    if (frame < 0 || sprites.empty() || !sprites[0].IsValid())
        return;
    sprites[0]->currentFrame = frame;
}

void CKMStatic::ShowColour(uint32_t value)
{
    CRefPtr<CText> text = MainText();
    if (!text.IsValid())
        return;
    text->colour = value;
    text->PlaceCharacters();
}

void CKMStatic::CreateText(CRefPtr<CFont> font, float charScaleX, float charScaleY, const char* string,
                           int32_t withShadow)
{
    CRefPtr<CText> main(new CText(font));
    main->SetFontScale(charScaleX, charScaleY, 0);
    shadow = withShadow;
    if (!withShadow)
        SetText(main, CRefPtr<CText>());
    else
    {
        CRefPtr<CText> back(new CText(font));
        back->SetFontScale(charScaleX, charScaleY, 0);
        back->colour = shadowColour;
        back->PlaceCharacters();
        SetText(main, back);
    }
    SetString(string);
}

void CKMStatic::SetText(CRefPtr<CText> main, CRefPtr<CText> shadowText)
{
    if (texts.empty())
    {
        for (const CRefPtr<CText>& t : {shadowText, main})
            if (t.IsValid())
            {
                texts.push_back(t);
                textWrapWidths.push_back(t->wrapWidth);
                textScales.push_back({t->scaleX, t->scaleY});
                textOffsets.push_back({0, 0, 0});
            }
    }
    else
    {
        if (textSet.IsValid())
            for (const CRefPtr<CText>& t : texts)
                textSet->Remove(t);
        if (!shadowText.IsValid())
        {
            texts[0] = main;
            textScales[0] = {main->scaleX, main->scaleY};
            if (texts.size() > 1)
            {
                texts.resize(1);
                textWrapWidths.resize(1);
                textScales.resize(1);
                textOffsets.resize(1);
            }
        }
        else
        {
            // A caption made without a shadow has one slot; make room for both.
            texts.resize(2);
            textWrapWidths.resize(2, textWrapWidths[0]);
            textScales.resize(2);
            textOffsets.resize(2, Vec3{0, 0, 0});
            texts[0] = shadowText;
            texts[1] = main;
            textScales[0] = {shadowText->scaleX, shadowText->scaleY};
            textScales[1] = {main->scaleX, main->scaleY};
        }
    }
    if (!main.IsValid())
        return;
    if (textSet.IsValid())
        for (const CRefPtr<CText>& t : texts)
            textSet->Add(t);
    for (size_t i = 0; i < texts.size(); ++i)
    {
        CText& t = *texts[i];
        t.layer = depth;
        t.wrapWidth = baseSize.w / t.scaleX;
        textWrapWidths[i] = t.wrapWidth;
    }
    PlaceCaption();
    for (size_t i = 0; i < texts.size(); ++i)
    {
        CText& t = *texts[i];
        PlaceText(i);
        t.wrapWidth = textWrapWidths[i] * scale.x;
        t.SetFontScale(textScales[i].x * scale.x, textScales[i].y * scale.y, 0);
    }
}

void CKMStatic::PlaceCaption()
{
    if (texts.empty() || !texts[0].IsValid())
        return;
    const Vec3& axisX = basis[0];
    const Vec3& axisY = basis[1];
    const Vec3& axisZ = basis[2];
    const float h = textScales[0].y;
    const float a = AlignmentAnchor(texts[0]->alignment, baseSize.w);
    Vec3 anchor = Add(Add(Mul(axisZ, -textDepthShift), Mul(axisY, h / 2)), Mul(axisX, a));
    anchor = Add(anchor, textOffset);
    textOffsets[0] = anchor;
    if (shadow && texts.size() > 1)
    {
        textOffsets[1] = Add(anchor, Mul(axisZ, shadowDepthShift));
        textOffsets[0] = Add(Add(anchor, Mul(axisX, shadowShift.x)), Mul(axisY, shadowShift.y));
    }
}

void CKMStatic::SetTextAlign(int32_t alignment)
{
    for (const CRefPtr<CText>& t : texts)
        if (t.IsValid())
        {
            t->alignment = alignment;
            t->Relayout();
        }
    PlaceCaption();
    for (size_t i = 0; i < texts.size(); ++i)
        PlaceText(i);
}

void CKMStatic::SetLineSpacing(float spacing)
{
    for (const CRefPtr<CText>& t : texts)
        if (t.IsValid())
        {
            t->lineSpacing = spacing;
            t->Relayout();
        }
}

void CKMStatic::SetWrapWidth(float width)
{
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].IsValid())
        {
            texts[i]->wrapWidth = width;
            textWrapWidths[i] = width;
            texts[i]->Relayout();
        }
}

void CKMStatic::SetTextBox(float w, float h)
{
    for (const CRefPtr<CText>& t : texts)
        if (t.IsValid())
        {
            t->SetReferenceSize(w, h);
            t->Relayout();
        }
}

void CKMStatic::SetString(const char* string)
{
    const char* s = string ? string : "";
    for (const CRefPtr<CText>& t : texts)
    {
        if (!t.IsValid())
            continue;
        if (wrapText)
        {
            std::string wrapped;
            t->WrapText(s, wrapped, 0);
            t->SetString(wrapped.c_str());
        }
        else
            t->SetString(s);
    }
}

void CKMStatic::SetImage(CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax)
{
    AddPicture(texture, uMin, vMin, uMax, vMin, uMax, vMax, uMin, vMax);
}

void CKMStatic::SetImageEx(CRefPtr<CTexture> texture, float uMin, float vMin, float uMax, float vMax, float ox,
                           float oy, float oz, float w, float h)
{
    AddPictureEx(texture, uMin, vMin, uMax, vMin, uMax, vMax, uMin, vMax, ox, oy, oz, w, h);
}

void CKMStatic::ClearPicture()
{
    if (sprites.empty())
    {
        sprites.emplace_back();
        spriteOffsets.push_back({0, 0, 0});
        spriteSizes.push_back({1, 1});
    }
    else if (spriteList.IsValid())
        spriteList->Remove(sprites[0]);
}

void CKMStatic::InstallPicture(const CRefPtr<CSpriteShape>& sprite, float u0, float v0, float u1, float v1,
                               float u2, float v2, float u3, float v3)
{
    sprite->SetAxes(basis[0].x, basis[0].y, basis[0].z, basis[1].x, basis[1].y, basis[1].z, 0);
    sprite->SetFrameUV4(0, u0, v0, u1, v1, u2, v2, u3, v3);
    sprite->zOrder = zOrder;
    sprite->visible = visible;
    sprites[0] = sprite;
    if (spriteList.IsValid())
        spriteList->Add(sprite);
}

void CKMStatic::AddPicture(CRefPtr<CTexture> texture, float u0, float v0, float u1, float v1, float u2, float v2,
                           float u3, float v3)
{
    ClearPicture();
    spriteSizes[0] = baseSize;
    spriteOffsets[0] = {0, 0, 0};
    CRefPtr<CSpriteShape> sprite(new CSpriteShape(worldPosition.x, worldPosition.y, worldPosition.z, size.w,
                                                  size.h, colour, texture, 1));
    InstallPicture(sprite, u0, v0, u1, v1, u2, v2, u3, v3);
}

void CKMStatic::AddPictureEx(CRefPtr<CTexture> texture, float u0, float v0, float u1, float v1, float u2,
                             float v2, float u3, float v3, float ox, float oy, float oz, float w, float h)
{
    ClearPicture();
    spriteSizes[0] = {w, h};
    spriteOffsets[0] = {ox, oy, oz};
    const Vec3 at = Place(spriteOffsets[0]);
    CRefPtr<CSpriteShape> sprite(
        new CSpriteShape(at.x, at.y, at.z, w * scale.x, h * scale.y, colour, texture, 1));
    InstallPicture(sprite, u0, v0, u1, v1, u2, v2, u3, v3);
}
