// CInterface: the players' profiles: the list of six rows, the name entry and the
// greeting of the main menu.
#include "screens/Interface.h"

#include <cmath>
#include <cstdio>

#include "audio/SoundBank.h"
#include "engine/Log.h"
#include "engine/StringTable.h"
#include "engine/StringUtil.h"
#include "saves/HighScores.h"
#include "render/Font.h"
#include "ui/KMCheckbox.h"
#include "ui/KMStatic.h"

int CInterface::OnKeyDown(int key)
{
    CRefPtr<CKMForm> form = FormAt(kFormNewProfile);
    if (!form || !form->visible || !form->enabled)
        return 0;
    CRefPtr<CKMWindow> label = Widget(kFormNewProfile, 1);
    if (key == 0x25 && !profileText.empty())
    {
        profileText.pop_back();
        if (label)
            static_cast<CKMStatic*>(label.Get())->SetString((profileText + "|").c_str());
    }
    else if (key == 0x0D)
        return CreateTypedProfile(false, 0.0f, 0.0f);
    else if (key == 0x1B)
    {
        CRefPtr<CKMWindow> back = Widget(kFormNewProfile, 2);
        if (back && back->visible)
        {
            RefreshProfileRows();
            FadeOutForm(form, 2.0f);
            FadeInForm(kFormProfiles, 2.0f);
        }
    }
    return 0;
}

void CInterface::OnNameChar(char ch)
{
    CRefPtr<CKMForm> form = FormAt(kFormNewProfile);
    if (!form || !form->visible || !form->enabled)
        return;
    CRefPtr<CKMWindow> label = Widget(kFormNewProfile, 1);
    const uint8_t byte = static_cast<uint8_t>(ch);
    if (profileText.size() < 12 && IsValidNameChar(byte))
    {
        // A name stays on one line of its label.
        if (label && !label->texts.empty() && label->texts[0])
        {
            std::string wrapped;
            label->texts[0]->WrapText((profileText + ch + "|").c_str(), wrapped, 0);
            if (wrapped.find('\n') != std::string::npos)
                return;
        }
        profileText += ch;
    }
    else if (!profileText.empty() && byte == 8)
        profileText.pop_back();
    else
        return;
    if (label)
        static_cast<CKMStatic*>(label.Get())->SetString((profileText + "|").c_str());
}

void CInterface::PlayWrong(bool panned, float x)
{
    if (!soundBank)
        return;
    if (panned)
        soundBank->PlayPanned(soundBank->Wrong, x, 0, 0);
    else
        soundBank->Play(soundBank->Wrong, 0, 0);
}

int CInterface::CreateTypedProfile(bool clicked, float x, float y)
{
    char trimmed[64];
    std::snprintf(trimmed, sizeof(trimmed), "%s", profileText.c_str());
    TrimCopy(trimmed, trimmed);
    profileText = trimmed;
    CRefPtr<CKMWindow> message = Widget(kFormNewProfile, 3);
    char text[256];
    if (profileText.empty() || (profiles && profiles->Find(profileText) >= 0))
    {
        GetStringById(profileText.empty() ? 29 : 28, text, sizeof(text));
        if (message)
            static_cast<CKMStatic*>(message.Get())->SetString(text);
        PlayWrong(clicked, x);
        return 0;
    }
    if (!profiles)
        return 0;
    const int index = profiles->Create(profileText) ? profiles->Find(profileText) : -1;
    if (index < 0)
    {
        // The folder could not be made: the player is told by the Wrong sound and the
        // dialog stays, so that another name can be tried; nothing reports success.
        LogText(("Error! Unable to create Profile!" + profileText + "\n").c_str());
        PlayWrong(clicked, x);
        return 0;
    }
    selectedProfile = index;
    if (index < profileScroll)
        profileScroll = index;
    else if (index - profileScroll > 5)
        profileScroll = index - 5;
    RefreshProfileRows();
    int result = 0;
    CRefPtr<CKMWindow> back = Widget(kFormNewProfile, 2);
    if (back && back->visible)
        FadeInForm(kFormProfiles, 2.0f);
    else
    {
        UpdateProfileGreeting();
        FadeInForm(kFormMainMenu, 2.0f);
        if (clicked)
            Push(kUiEventClick, 195, x, y);
        else
            result = kKeyProfileCreated;
    }
    FadeOutForm(kFormNewProfile, 2.0f);
    return result;
}

bool CInterface::HasSelectedProfile() const
{
    return profiles && selectedProfile >= 0 && size_t(selectedProfile) < profiles->profiles.size();
}

void CInterface::DeleteSelectedProfile()
{
    if (HasSelectedProfile())
        profiles->Remove(profiles->profiles[size_t(selectedProfile)]->name);
    if (profiles && !profiles->profiles.empty())
    {
        selectedProfile = 0;
        profileScroll = -1;
        RefreshProfileRows();
        FadeOutForm(kFormMsgBox, 4.0f);
        if (CRefPtr<CKMForm> p = FormAt(kFormProfiles))
            p->enabled = 1;
        return;
    }
    char text[256];
    GetStringById(22, text, sizeof(text));
    SetProfileText(text, 0);
    FadeOutForm(kFormMsgBox, 4.0f);
    FadeOutForm(kFormProfiles, 2.0f);
    FadeInForm(kFormNewProfile, 2.0f);
}

void CInterface::RefreshProfileRows()
{
    const int n = profiles ? int(profiles->profiles.size()) : 0;
    if (profileScroll >= n)
        profileScroll = n - 1;
    if (selectedProfile >= n)
        selectedProfile = n - 1;
    const WidgetList& rows = List(kFormProfiles, 0);
    int i = profileScroll;
    size_t r = 0;
    for (; r < rows.size() && r < 6 && i < n; ++r, ++i)
    {
        char text[512];
        if (i == -1)
            GetStringById(26, text, 511);
        else
            std::snprintf(text, sizeof(text), "%s", profiles->profiles[size_t(i)]->name.c_str());
        CKMCheckbox* row = static_cast<CKMCheckbox*>(rows[r].Get());
        row->SetString(text);
        row->SetChecked(i == selectedProfile ? 1 : 0);
        row->enabled = 1;
    }
    for (; r < rows.size(); ++r)
    {
        CKMCheckbox* row = static_cast<CKMCheckbox*>(rows[r].Get());
        row->SetString("");
        row->SetChecked(0);
        row->enabled = 0;
    }
}

void CInterface::UpdateProfileGreeting()
{
    char text[512];
    GetStringById(25, text, 256);
    std::string greeting = text;
    if (profiles && selectedProfile >= 0 && size_t(selectedProfile) < profiles->profiles.size())
        greeting += profiles->profiles[size_t(selectedProfile)]->name;
    if (CRefPtr<CKMWindow> w = Widget(kFormMainMenu, 1))
        static_cast<CKMStatic*>(w.Get())->SetString(greeting.c_str());
}

void CInterface::SetProfileText(const char* text, int pair)
{
    profileText = text ? text : "";
    if (CRefPtr<CKMWindow> w = Widget(kFormNewProfile, 1))
        static_cast<CKMStatic*>(w.Get())->SetString((profileText + "|").c_str());
    if (CRefPtr<CKMWindow> w = Widget(kFormNewProfile, 2))
        w->SetVisible(pair ? 1 : 0);
    if (CRefPtr<CKMWindow> w = Widget(kFormNewProfile, 4))
        w->SetVisible(pair ? 1 : 0);
    if (CRefPtr<CKMWindow> w = Widget(kFormNewProfile, 5))
        w->SetVisible(pair ? 0 : 1);
    // Without the way back, OK stands alone in the middle of the two buttons' places.
    CRefPtr<CKMForm> form = FormAt(kFormNewProfile);
    CRefPtr<CKMWindow> ok = form ? form->FindChild(195) : CRefPtr<CKMWindow>();
    CRefPtr<CKMWindow> back = Widget(kFormNewProfile, 2);
    if (ok && back)
    {
        if (!okPlaced)
            okRestX = ok->localPosition.x, okPlaced = true;
        const float x = pair ? okRestX : std::floor((okRestX + back->localPosition.x) * 0.5f);
        form->SetChildPosition(ok, x, ok->localPosition.y, ok->localPosition.z);
    }
    char hint[256];
    GetStringById(27, hint, sizeof(hint));
    if (CRefPtr<CKMWindow> w = Widget(kFormNewProfile, 3))
        static_cast<CKMStatic*>(w.Get())->SetString(hint);
}

