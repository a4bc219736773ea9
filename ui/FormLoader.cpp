#include "ui/FormLoader.h"

#include "ui/KMButton.h"
#include "ui/KMCheckbox.h"
#include "ui/KMProgressbar.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"

#include <cmath>
#include <cstdint>

namespace {

// Appends a state's picture corners as a frame, when the file gave the state.
template <class W, class Call>
void ApplyFrame(W& widget, const CFormStateDesc& state, Call call)
{
    if (!state.defined)
        return;
    const float* f = state.uv;
    (widget.*call)(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]);
}

// Z-orders from the file are held within +-2^30, so that a form's z-order plus
// an element's offset never leaves the int range.
const double kZOrderLimit = 1073741824.0;

int32_t ClampZOrder(double z)
{
    if (!(z > -kZOrderLimit))
        return -int32_t(kZOrderLimit);
    if (z > kZOrderLimit)
        return int32_t(kZOrderLimit);
    return int32_t(z);
}

// floor(z * 10): the form's z-order from its depth value.
int32_t FormZOrder(float z)
{
    return ClampZOrder(std::floor(double(z) * 10.0));
}

void ApplyFilter(CKMWindow& widget, int32_t blendMode, bool everySprite)
{
    if (blendMode < 1 || blendMode > 3)
        return;
    for (size_t i = 0; i < widget.sprites.size() && (everySprite || i == 0); ++i)
        if (widget.sprites[i].IsValid())
            widget.sprites[i]->SetBlendMode(1, blendMode);
}

// Pressed, over and disabled frames and text colours. The frames are appended
// in this order, so their indices follow it.
void SetUpButtonStates(CKMButton& button, const CFormElementDesc& e)
{
    const CFormStateDesc& pressed = e.states[kStatePressed];
    const CFormStateDesc& over = e.states[kStateOver];
    const CFormStateDesc& disabled = e.states[kStateDisabled];
    ApplyFrame(button, pressed, &CKMButton::SetPressedFrame);
    ApplyFrame(button, over, &CKMButton::SetOverFrame);
    ApplyFrame(button, disabled, &CKMButton::SetDisabledFrame);
    if (pressed.hasTextColour)
        button.pressedColour = pressed.textColour, button.hasPressedColour = 1;
    if (over.hasTextColour)
        button.overColour = over.textColour, button.hasOverColour = 1;
    if (disabled.hasTextColour)
        button.disabledColour = disabled.textColour, button.hasDisabledColour = 1;
}

// The checked frames follow the button's three, in this order.
void SetUpCheckboxStates(CKMCheckbox& checkbox, const CFormElementDesc& e)
{
    const CFormStateDesc& overPressed = e.states[kStateOverPressed];
    const CFormStateDesc& pressedDisabled = e.states[kStatePressedDisabled];
    ApplyFrame(checkbox, overPressed, &CKMCheckbox::SetCheckedOverFrame);
    ApplyFrame(checkbox, pressedDisabled, &CKMCheckbox::SetCheckedFrame);
    if (overPressed.hasTextColour)
        checkbox.checkedOverColour = overPressed.textColour, checkbox.hasCheckedOverColour = 1;
    if (pressedDisabled.hasTextColour)
        checkbox.checkedDisabledColour = pressedDisabled.textColour, checkbox.hasCheckedDisabledColour = 1;
}

} // namespace

CFormLoader::CFormLoader(CRefPtr<CDevice> device_) : device(device_) {}

CFormLoader::~CFormLoader()
{
    description.Clear();
}

int CFormLoader::LoadForm(const char* path, float originX, float originY)
{
    const bool ok = description.Load(path, device, originX, originY);
    if (!ok)
        errorText = description.errorText;
    return ok ? 1 : 0;
}

CRefPtr<CTexture> CFormLoader::Texture(const std::string& name) const
{
    return device.IsValid() ? device->GetTextureByNameStr(name) : CRefPtr<CTexture>();
}

int CFormLoader::CreateForm(CRefPtr<CSpriteList> spriteList_, CRefPtr<CTextSet> textSet_,
                            const std::vector<CRefPtr<CFont>>& fontList, int depth)
{
    spriteList = spriteList_;
    textSet = textSet_;
    form = CRefPtr<CKMForm>(new CKMForm(spriteList, textSet));
    CKMForm& f = *form;
    f.SetDepth(depth);
    f.colour = description.colour;
    f.SetBaseSize(description.scaledSize[0], description.scaledSize[1]);
    if (description.hasTiling)
    {
        const float* t = description.scaledTiles;
        f.SetBackground(Texture(description.cornersTexture), Texture(description.sidesTexture),
                        Texture(description.backgroundTexture), t[0], t[1], t[2], t[3]);
    }
    f.SetZOrder(FormZOrder(description.scaledPosition[2]));
    // Half a design pixel, so that the form's texels meet the screen's pixels.
    const float s = description.targetWidth / description.screenWidth;
    const float t = s * 0.5f;
    f.SetPosition(description.scaledPosition[0] - t, description.scaledPosition[1] + t,
                  description.scaledPosition[2], 0.0f, 0.0f, 0.0f);
    fonts = fontList;
    fontScales.clear();
    for (const CRefPtr<CFont>& font : fonts)
        fontScales.push_back(font.IsValid() ? font->GetBaseSize() * 1024.0f / description.screenWidth : 1.0f);
    return 1;
}

int CFormLoader::CreateNextElement(int* hasWidget)
{
    ++elementIndex;
    while (elementIndex < int(description.elements.size()))
    {
        const CFormElementDesc& e = *description.elements[size_t(elementIndex)];
        bool ok = true;
        CRefPtr<CKMWindow> widget = Build(e, &ok);
        if (!ok)
        {
            errorText = "Bad FormFile data. Fatal";
            return 0;
        }
        if (e.hasInterrupt)
        {
            *hasWidget = 1;
            lastWidget = widget;
            lastInterrupt = e.interrupt;
            return 1;
        }
        ++elementIndex;
    }
    *hasWidget = 0;
    return 1;
}

void CFormLoader::SetUpStatic(CKMStatic& as, const CFormElementDesc& e)
{
    // A FONT outside the list falls back to the main font.
    CRefPtr<CFont> font;
    float fontScale = 1.0f;
    if (!fonts.empty())
    {
        const size_t i = e.font > 0 && size_t(e.font) < fonts.size() ? size_t(e.font) : 0;
        font = fonts[i];
        fontScale = fontScales[i];
    }
    const float s = description.targetWidth / description.screenWidth;

    if (e.hasShadow)
    {
        as.shadowShift = {e.scaledShadowOffset[0], e.scaledShadowOffset[1]};
        as.shadowDepthShift = e.shadowDepthOffset;
        as.shadowColour = e.shadowColour;
    }
    as.textOffset = {e.scaledTextOffset[0], e.scaledTextOffset[1], e.scaledTextOffset[2]};
    const float c = e.charScale[0] * fontScale;
    as.CreateText(font, c, c, e.text.c_str(), e.hasShadow);
    as.SetLineSpacing(e.interval);
    if (textBoxFlag)
        as.SetTextBox(s, s);
    if (e.hasSpecialWidth)
    {
        as.SetWrapWidth(e.scaledSpecialWidth / fontScale);
        as.SetString(e.text.c_str());
    }
    as.SetTextColor(e.textColour);
    as.SetTextAlign(e.alignment);

    const CFormStateDesc& normal = e.states[kStateNormal];
    if (normal.defined)
    {
        const float* f = normal.uv;
        CRefPtr<CTexture> texture = Texture(e.textureName);
        if (!e.hasPicture)
            as.AddPicture(texture, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]);
        else
            as.AddPictureEx(texture, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], e.scaledPictureOffset[0],
                            e.scaledPictureOffset[1], e.scaledPictureOffset[2], e.scaledPictureSize[0],
                            e.scaledPictureSize[1]);
        as.SetColor(e.colour);
    }
}

void CFormLoader::SetUpScroller(CKMScroller& scroller, const CFormElementDesc& e)
{
    scroller.travelFactor = e.widthFactor;
    scroller.centreShift = {e.scaledCentreShift[0], e.scaledCentreShift[1]};
    scroller.horizontal = e.horizontal ? 1 : 0;
    const float* track = e.states[kStateNormal].uv;
    const float* thumb = e.states[kStateScroller].uv;
    scroller.Create(Texture(e.textureName), track[0], track[1], track[4], track[5], thumb[0], thumb[1], thumb[4],
                    thumb[5], e.scaledScrollerSize[0], e.scaledScrollerSize[1]);
}

void CFormLoader::SetUpProgressbar(CKMProgressbar& bar, const CFormElementDesc& e)
{
    bar.horizontal = e.horizontal ? 1 : 0;
    const float* empty = e.states[kStateNormal].uv;
    const float* fill = e.states[kStateProgress].uv;
    bar.Create(Texture(e.textureName), empty[0], empty[1], empty[4], empty[5], fill[0], fill[1], fill[4], fill[5]);
}

CRefPtr<CKMWindow> CFormLoader::Build(const CFormElementDesc& e, bool* ok)
{
    if (!form.IsValid() || e.type < kElementStatic || e.type > kElementProgressbar)
    {
        *ok = false;
        return CRefPtr<CKMWindow>();
    }

    CRefPtr<CKMWindow> widget;
    CKMStatic* as = nullptr;
    CKMButton* button = nullptr;
    CKMCheckbox* checkbox = nullptr;
    CKMScroller* scroller = nullptr;
    CKMProgressbar* bar = nullptr;
    switch (e.type)
    {
    case kElementStatic:
        widget = CRefPtr<CKMWindow>(as = new CKMStatic(spriteList, textSet));
        break;
    case kElementButton:
        widget = CRefPtr<CKMWindow>(as = button = new CKMButton(spriteList, textSet));
        break;
    case kElementCheckbox:
        widget = CRefPtr<CKMWindow>(as = button = checkbox = new CKMCheckbox(spriteList, textSet));
        break;
    case kElementScroller:
        widget = CRefPtr<CKMWindow>(scroller = new CKMScroller(spriteList, textSet));
        break;
    default:
        widget = CRefPtr<CKMWindow>(bar = new CKMProgressbar(spriteList, textSet));
        break;
    }

    CKMWindow& w = *widget;
    w.zOrder = ClampZOrder(double(form->zOrder) + double(ClampZOrder(e.zOrder)));
    w.localPosition = {e.scaledPosition[0], e.scaledPosition[1], e.scaledPosition[2]};
    w.SetBaseSize(e.scaledSize[0], e.scaledSize[1]);
    w.id = e.id;

    if (as)
        SetUpStatic(*as, e);
    if (button)
        SetUpButtonStates(*button, e);
    if (checkbox)
        SetUpCheckboxStates(*checkbox, e);
    if (scroller)
        SetUpScroller(*scroller, e);
    if (bar)
        SetUpProgressbar(*bar, e);

    ApplyFilter(w, e.blendMode, scroller || bar);
    form->AddChild(widget);
    return widget;
}
