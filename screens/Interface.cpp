#include "screens/Interface.h"

#include <algorithm>

#include "audio/SoundBank.h"
#include "engine/StringTable.h"
#include "render/Font.h"
#include "screens/InterfaceParts.h"
#include "ui/KMCheckbox.h"
#include "ui/KMScroller.h"

using namespace interface_detail;

namespace {

const WidgetList kNoList;
const CWidgetGroup kNoGroup;

} // namespace

CInterface::CInterface(HINSTANCE instance_, CRefPtr<CDevice> device_, CRefPtr<CVertexBuffer> vertexBuffer_,
                       CRefPtr<CIndexBuffer> indexBuffer_, CRefPtr<CTextSet> textSet_,
                       const std::vector<CRefPtr<CFont>>& fonts_)
    : instance(instance_), device(device_), vertexBuffer(vertexBuffer_), indexBuffer(indexBuffer_), textSet(textSet_),
      fonts(fonts_)
{
    if (!fonts.empty())
        defaultFont = fonts[0];
    for (const CRefPtr<CFont>& font : fonts)
        fontHeights.push_back(font ? font->GetBaseSize() : 0.0f);
    if (!fontHeights.empty())
        defaultFontHeight = fontHeights[0];
    events.reserve(32);
    fades.reserve(16);
    groupEffects.reserve(16);
    blocks.resize(kFormCount);
}

CInterface::~CInterface() = default;

// ---------------------------------------------------------------------------------
// Look-ups

CRefPtr<CKMForm> CInterface::FormAt(int index) const
{
    if (index < 0 || index >= kFormCount)
        return CRefPtr<CKMForm>();
    return blocks[size_t(index)].form;
}

CRefPtr<CKMWindow> CInterface::Widget(int form, int number) const
{
    if (form < 0 || form >= kFormCount)
        return CRefPtr<CKMWindow>();
    const CFormBlock& block = blocks[size_t(form)];
    for (size_t i = 0; i < block.numbers.size(); ++i)
        if (block.numbers[i] == number)
            return block.handles[i];
    return CRefPtr<CKMWindow>();
}

const WidgetList& CInterface::List(int form, int index) const
{
    if (form < 0 || form >= kFormCount || index < 0 || size_t(index) >= blocks[size_t(form)].lists.size())
        return kNoList;
    return blocks[size_t(form)].lists[size_t(index)];
}

WidgetList& CInterface::MutableList(int form, int index)
{
    return blocks[size_t(form)].lists[size_t(index)];
}

const CWidgetGroup& CInterface::Group(int form, int index) const
{
    if (form < 0 || form >= kFormCount || index < 0 || size_t(index) >= blocks[size_t(form)].groups.size())
        return kNoGroup;
    return blocks[size_t(form)].groups[size_t(index)];
}

std::vector<CKMForm*> CInterface::FormsInOrder() const
{
    std::vector<CKMForm*> out;
    for (const CRefPtr<CKMForm>& form : forms)
        out.push_back(form.Get());
    return out;
}

// ---------------------------------------------------------------------------------
// Fades

void CInterface::FadeInForm(const CRefPtr<CKMWindow>& form, float rate)
{
    for (FormFade& f : fades)
        if (f.form == form)
        {
            f.direction = 1;
            f.rate = rate;
            return;
        }
    if (!form)
        return;
    const float start = form->visible ? form->alpha : 0.0f;
    form->SetVisible(1);
    form->enabled = 0;
    form->SetAlpha(start);
    fades.push_back(FormFade{form, 1, start, rate});
}

void CInterface::FadeOutForm(const CRefPtr<CKMWindow>& form, float rate)
{
    if (!form || !form->visible)
        return;
    for (FormFade& f : fades)
        if (f.form == form)
        {
            f.direction = 0;
            f.rate = rate;
            return;
        }
    form->enabled = 0;
    fades.push_back(FormFade{form, 0, form->alpha, rate});
}

// The block keeps the form alive; one handle of the window's type is passed on, so
// no short-lived copy of the form's handle is made and dropped on the way.
void CInterface::FadeInForm(int form, float rate)
{
    const CRefPtr<CKMWindow> window = FormAt(form);
    FadeInForm(window, rate);
}

void CInterface::FadeOutForm(int form, float rate)
{
    const CRefPtr<CKMWindow> window = FormAt(form);
    FadeOutForm(window, rate);
}

void CInterface::FadeInGroup(const WidgetList& widgets, float rate)
{
    if (widgets.empty() || !widgets[0])
        return;
    for (GroupEffect& g : groupEffects)
        if (g.widgets[0] == widgets[0])
        {
            g.direction = 1;
            g.rate = rate;
            for (const CRefPtr<CKMWindow>& w : g.widgets)
                if (w && !w->visible)
                    w->SetVisible(1);
            return;
        }
    const float start = widgets[0]->visible ? widgets[0]->alpha : 0.0f;
    for (const CRefPtr<CKMWindow>& w : widgets)
        if (w)
        {
            w->SetVisible(1);
            w->SetAlpha(start);
        }
    groupEffects.push_back(GroupEffect{widgets, 1, start, rate});
}

void CInterface::FadeOutGroup(const WidgetList& widgets, float rate)
{
    if (widgets.empty() || !widgets[0])
        return;
    for (GroupEffect& g : groupEffects)
        if (g.widgets[0] == widgets[0])
        {
            g.direction = 0;
            g.rate = rate;
            return;
        }
    const float start = widgets[0]->visible ? widgets[0]->alpha : 0.0f;
    groupEffects.push_back(GroupEffect{widgets, 0, start, rate});
}

int CInterface::GroupCount() const
{
    return int(blocks[kFormSplash].groups.size());
}

void CInterface::StartGroupEffect(int group, float rate)
{
    FadeInGroup(group < 0 ? List(kFormSplash, 0) : Group(kFormSplash, group).widgets, rate);
}

void CInterface::StopGroupEffect(int group, float rate)
{
    FadeOutGroup(group < 0 ? List(kFormSplash, 0) : Group(kFormSplash, group).widgets, rate);
}

// ---------------------------------------------------------------------------------
// Input

void CInterface::Push(int32_t kind, int32_t id, float x, float y, float value)
{
    events.push_back(InterfaceEvent{kind, id, x, y, CRefPtr<CKMWindow>(), value});
}

void CInterface::PlayClick(float x)
{
    if (soundBank)
        soundBank->PlayPanned(soundBank->Click, x, 0, 0);
}

void CInterface::PlayHover(float x)
{
    if (soundBank)
        soundBank->PlayPanned(soundBank->MouseOver, x, 0, 0);
}

int CInterface::OnMouseDown(float x, float y)
{
    events.clear();
    if (!formsManager)
        return 0;
    const int count = formsManager->OnMouseDown(x, y, 0);
    for (int k = 0; k < count && size_t(k) < formsManager->events.size(); ++k)
    {
        const KMEvent e = formsManager->events[size_t(k)];
        if (e.kind == kEventLeftDown)
        {
            if (e.windowType >= kWindowButton && e.windowType <= kWindowScroller)
                PlayClick(x);
            const int32_t i = e.windowId;
            if (i == kIdOverlay)
            {
                if (CRefPtr<CKMWindow> overlay = Widget(kFormQuest, 2))
                {
                    overlay->SetVisible(1);
                    static_cast<CKMCheckbox*>(overlay.Get())->SetChecked(0);
                }
                Push(kUiEventPress, i, x, y);
            }
            else if (i == 11 || i == 170 || i == 220 || (i >= 233 && i <= 236))
                Push(kUiEventPress, i, x, y);
            else if (i >= kIdProfileRowFirst && i <= kIdProfileRowLast)
            {
                const int row = i - kIdProfileRowFirst;
                if (row == 0 && profileScroll == -1)
                {
                    char text[256];
                    GetStringById(22, text, sizeof(text));
                    SetProfileText(text, 1);
                    FadeOutForm(kFormProfiles, 2.0f);
                    FadeInForm(kFormNewProfile, 2.0f);
                }
                else if (profiles && profileScroll + row >= 0 &&
                         size_t(profileScroll + row) < profiles->profiles.size())
                {
                    const WidgetList& rows = List(kFormProfiles, 0);
                    for (size_t r = 0; r < rows.size(); ++r)
                        static_cast<CKMCheckbox*>(rows[r].Get())->SetChecked(int(r) == row ? 1 : 0);
                    selectedProfile = profileScroll + row;
                }
            }
        }
        else if (e.kind == kEventValueChanged && (e.windowId == kIdSoundVolume || e.windowId == kIdMusicVolume))
        {
            CRefPtr<CKMWindow> scroller = Widget(kFormOptions, e.windowId == kIdSoundVolume ? 1 : 2);
            const float value = scroller ? static_cast<CKMScroller*>(scroller.Get())->value : 0.0f;
            Push(kUiEventValueChanged, e.windowId, x, y, value);
        }
    }
    return int(events.size());
}

void CInterface::RouteHover(const KMEvent& e, float x)
{
    if (e.kind == kEventEnter)
    {
        if (e.windowType == kWindowButton || e.windowType == kWindowCheckbox)
            PlayHover(x);
        if (e.windowId == kIdLogoHover)
        {
            if (CRefPtr<CKMWindow> w = Widget(kFormMainMenu, 11112))
                w->SetVisible(1);
            if (CRefPtr<CKMWindow> w = Widget(kFormMainMenu, 11113))
                w->SetVisible(0);
        }
        if (e.windowId == kIdOverlay)
            if (CRefPtr<CKMWindow> overlay = Widget(kFormQuest, 2))
            {
                overlay->SetVisible(1);
                static_cast<CKMCheckbox*>(overlay.Get())->SetChecked(1);
            }
    }
    else if (e.kind == kEventLeave)
    {
        if (e.windowId == kIdLogoHover)
        {
            if (CRefPtr<CKMWindow> w = Widget(kFormMainMenu, 11112))
                w->SetVisible(0);
            if (CRefPtr<CKMWindow> w = Widget(kFormMainMenu, 11113))
                w->SetVisible(1);
        }
        if (e.windowId == kIdOverlay)
            if (CRefPtr<CKMWindow> overlay = Widget(kFormQuest, 2))
            {
                overlay->SetVisible(0);
                static_cast<CKMCheckbox*>(overlay.Get())->SetChecked(1);
            }
    }
}

int CInterface::Update(float x, float y, float dt)
{
    events.clear();
    for (size_t i = 0; i < fades.size();)
    {
        FormFade& f = fades[i];
        if (f.direction)
        {
            f.alpha += f.rate * dt;
            if (f.alpha >= 1.0f)
            {
                f.form->SetAlpha(1.0f);
                f.form->enabled = 1;
                events.push_back(InterfaceEvent{kUiEventFadedIn, 0, x, y, f.form, 0.0f});
                fades.erase(fades.begin() + long(i));
                continue;
            }
        }
        else
        {
            f.alpha -= f.rate * dt;
            if (f.alpha <= 0.0f)
            {
                f.form->SetAlpha(1.0f);
                f.form->enabled = 1;
                f.form->ResetInput();
                f.form->SetVisible(0);
                events.push_back(InterfaceEvent{kUiEventFadedOut, 0, x, y, f.form, 0.0f});
                fades.erase(fades.begin() + long(i));
                continue;
            }
        }
        f.form->SetAlpha(f.alpha);
        ++i;
    }
    for (size_t i = 0; i < groupEffects.size();)
    {
        GroupEffect& g = groupEffects[i];
        g.value += (g.direction ? g.rate : -g.rate) * dt;
        const bool ended = g.direction ? g.value >= 1.0f : g.value <= 0.0f;
        for (const CRefPtr<CKMWindow>& w : g.widgets)
        {
            if (!w)
                continue;
            w->SetAlpha(ended ? 1.0f : g.value);
            if (ended && !g.direction)
            {
                w->SetVisible(0);
                w->ResetInput();
            }
        }
        if (ended)
            groupEffects.erase(groupEffects.begin() + long(i));
        else
            ++i;
    }

    Animate(dt);

    if (!formsManager)
        return int(events.size());
    const int count = formsManager->OnMouseMove(x, y, dt);
    for (int k = 0; k < count && size_t(k) < formsManager->events.size(); ++k)
    {
        const KMEvent e = formsManager->events[size_t(k)];
        if (e.kind == kEventValueChanged && (e.windowId == kIdSoundVolume || e.windowId == kIdMusicVolume))
        {
            CRefPtr<CKMWindow> scroller = Widget(kFormOptions, e.windowId == kIdSoundVolume ? 1 : 2);
            Push(kUiEventValueChanged, e.windowId, x, y,
                 scroller ? static_cast<CKMScroller*>(scroller.Get())->value : 0.0f);
        }
        else
            RouteHover(e, x);
    }
    return int(events.size());
}

int CInterface::OnMouseUp(float x, float y)
{
    events.clear();
    if (!formsManager)
        return 0;
    const int count = formsManager->OnMouseUp(x, y, 0);
    // The commands may open and close forms; the queue is read first.
    std::vector<int32_t> clicks;
    for (int k = 0; k < count && size_t(k) < formsManager->events.size(); ++k)
        if (formsManager->events[size_t(k)].kind == kEventClick)
            clicks.push_back(formsManager->events[size_t(k)].windowId);
    for (int32_t id : clicks)
        RunCommand(id, x, y);
    return int(events.size());
}
