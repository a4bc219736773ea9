// CInterface: what a click on a widget does, by screen family. Clicks the interface
// does not handle itself go to the game as records.
#include "screens/Interface.h"

#include <cstdio>

#include "engine/StringTable.h"
#include "platform/crt.h"
#include "ui/KMCheckbox.h"

namespace {

// Fade rates of the screens: help pages turn fast, message boxes faster than forms.
const float kFast = 5.0f;
const float kNormal = 2.0f;
const float kBox = 4.0f;

// Widgets whose click the game handles alone: menu entries, play-screen buttons,
// map and shop buttons, the options' checkboxes, the game menu.
bool IsGameCommand(int32_t id)
{
    switch (id)
    {
    case 1:
    case 2:
    case 3:
    case 11:
    case 12:
    case 13:
    case 20:
    case 30:
    case 31:
    case 150:
    case 151:
    case 159:
    case 160:
    case 161:
    case 162:
    case 230:
    case 260:
    case 280:
        return true;
    default:
        return (id >= 40 && id <= 55) || (id >= 60 && id <= 75);
    }
}

} // namespace

void CInterface::RunCommand(int32_t id, float x, float y)
{
    if (RunMenuCommand(id) || RunPageCommand(id) || RunProfileCommand(id, x, y) || RunMessageBoxCommand(id, x, y) ||
        RunStartQuestCommand(id, x, y))
        return;
    if (id == kIdOverlay)
    {
        if (CRefPtr<CKMWindow> overlay = Widget(kFormQuest, 2))
            static_cast<CKMCheckbox*>(overlay.Get())->SetChecked(1);
        Push(kUiEventClick, id, x, y);
    }
    else if (IsGameCommand(id))
        Push(kUiEventClick, id, x, y);
}

// ---------------------------------------------------------------------------------
// Main menu

bool CInterface::RunMenuCommand(int32_t id)
{
    switch (id)
    {
    case 4:
        ShowHelpPage(1);
        FadeOutForm(kFormMainMenu, kFast);
        FadeInForm(kFormHelp, kFast);
        return true;
    case 5:
        FillHighScores(highScoreTable);
        FadeInForm(kFormHighScores, kNormal);
        FadeOutForm(kFormMainMenu, kNormal);
        return true;
    case 6:
        if (profiles && selectedProfile >= 0 && size_t(selectedProfile) < profiles->profiles.size())
            profileName = profiles->profiles[size_t(selectedProfile)]->name;
        FadeOutForm(kFormMainMenu, kNormal);
        RefreshProfileRows();
        FadeInForm(kFormProfiles, kNormal);
        return true;
    case 7:
        OpenLink(appStoreUrl);
        return true;
    case kIdLogoHover:
        if (FILE* file = crt::fopen("website.url", "rb"))
        {
            std::fclose(file);
            ShellExecuteA(nullptr, "open", "website.url", nullptr, nullptr, SW_SHOWNORMAL);
        }
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------
// Pages: newspaper, help and the hall of fame

bool CInterface::RunPageCommand(int32_t id)
{
    switch (id)
    {
    case 152:
    case 153:
    case 154:
    case 155:
        ShowNewspaperPage(id - 152);
        FadeOutForm(kFormMap, kNormal);
        FadeInForm(kFormNewspaper, kNormal);
        return true;
    case 271:
    case 272:
        ShowHelpPage(helpPage + (id == 271 ? -1 : 1));
        return true;
    case 250:
        FadeOutForm(kFormHighScores, kNormal);
        FadeInForm(kFormMainMenu, kNormal);
        return true;
    case 270:
        FadeOutForm(kFormHelp, kFast);
        FadeInForm(kFormMainMenu, kFast);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------
// Profiles and the name entry

bool CInterface::RunProfileCommand(int32_t id, float x, float y)
{
    switch (id)
    {
    case 180:
        ChooseProfile(x, y);
        return true;
    case 181:
        KeepFormerProfile(x, y);
        return true;
    case 182:
        AskDeleteProfile();
        return true;
    case 195:
        CreateTypedProfile(true, x, y);
        return true;
    case 183:
        if (profileScroll >= 0)
        {
            --profileScroll;
            RefreshProfileRows();
        }
        return true;
    case 184:
        if (profiles && int(profiles->profiles.size()) - profileScroll > 6)
        {
            ++profileScroll;
            RefreshProfileRows();
        }
        return true;
    case 196:
        RefreshProfileRows();
        FadeOutForm(kFormNewProfile, kNormal);
        FadeInForm(kFormProfiles, kNormal);
        return true;
    default:
        return false;
    }
}

void CInterface::ChooseProfile(float x, float y)
{
    // Without a chosen player there is nobody to play as: the screen stays.
    if (!HasSelectedProfile())
        return;
    if (selectedProfile - profileScroll > 5)
        profileScroll = selectedProfile - 5;
    RefreshProfileRows();
    UpdateProfileGreeting();
    FadeOutForm(kFormProfiles, kNormal);
    FadeInForm(kFormMainMenu, kNormal);
    Push(kUiEventClick, 180, x, y);
}

void CInterface::KeepFormerProfile(float x, float y)
{
    const int index = profiles ? profiles->Find(profileName) : -1;
    if (index < 0)
    {
        UpdateProfileGreeting();
        FadeOutForm(kFormProfiles, kNormal);
        FadeInForm(kFormMainMenu, kNormal);
        Push(kUiEventClick, 180, x, y);
        return;
    }
    selectedProfile = index;
    if (index >= 5)
        profileScroll = index - 5;
    UpdateProfileGreeting();
    FadeOutForm(kFormProfiles, kNormal);
    FadeInForm(kFormMainMenu, kNormal);
    Push(kUiEventClick, 181, x, y);
}

void CInterface::AskDeleteProfile()
{
    // Deleting asks first; without a valid selection there is nothing to ask about.
    if (!HasSelectedProfile())
        return;
    char format[256];
    GetStringById(31, format, sizeof(format));
    const std::string text = FillText(format, {profiles->profiles[size_t(selectedProfile)]->name.c_str()});
    SetMessageBox("", text.c_str(), 3, 1);
    FadeInForm(kFormMsgBox, kBox);
    if (CRefPtr<CKMForm> p = FormAt(kFormProfiles))
        p->enabled = 0;
}

// ---------------------------------------------------------------------------------
// Message box: the answer goes by the question asked (messageCode)

bool CInterface::RunMessageBoxCommand(int32_t id, float x, float y)
{
    switch (id)
    {
    case 200:
        AnswerMessageOk(x, y);
        return true;
    case 201:
        if (messageCode == 1)
        {
            FadeOutForm(kFormMsgBox, kBox);
            if (CRefPtr<CKMForm> p = FormAt(kFormProfiles))
                p->enabled = 1;
        }
        return true;
    case 202:
    case 203:
        AnswerMessageYesNo(id, x, y);
        return true;
    default:
        return false;
    }
}

void CInterface::AnswerMessageOk(float x, float y)
{
    const int32_t id = 200;
    if (messageCode == 3 || messageCode == 8)
    {
        FadeOutForm(kFormMsgBox, messageCode == 3 ? kNormal : kBox);
        if (CRefPtr<CKMForm> shop = FormAt(kFormShop))
            shop->SetActive(1);
    }
    else if (messageCode >= 4 && messageCode <= 6)
    {
        FadeOutForm(kFormMsgBox, kNormal);
        Push(kUiEventClick, id, x, y);
    }
    else if (messageCode == 9)
    {
        FadeOutForm(kFormMsgBox, kBox);
        FadeInForm(kFormHighScores, kNormal);
    }
    else if (messageCode == 10)
        Push(kUiEventClick, id, x, y);
}

void CInterface::AnswerMessageYesNo(int32_t id, float x, float y)
{
    if (messageCode == 1 && id == 202)
        DeleteSelectedProfile();
    else if (messageCode == 2 && id == 202)
    {
        FadeOutForm(kFormMsgBox, kBox);
        Push(kUiEventClick, id, x, y);
    }
    else if (messageCode == 2)
    {
        FadeOutForm(kFormMsgBox, kBox);
        if (CRefPtr<CKMForm> s = FormAt(kFormStartQuest))
            s->enabled = 1;
    }
    else if (messageCode == 7)
    {
        FadeOutForm(kFormMsgBox, kBox);
        if (CRefPtr<CKMForm> shop = FormAt(kFormShop))
            shop->SetActive(1);
        Push(kUiEventClick, id, x, y);
    }
    else if (messageCode == 11)
    {
        FadeOutForm(kFormMsgBox, kBox);
        FadeOutForm(kFormStartQuest, kNormal);
        Push(kUiEventClick, id, x, y);
    }
}

// ---------------------------------------------------------------------------------
// The saved-quest dialog

bool CInterface::RunStartQuestCommand(int32_t id, float x, float y)
{
    switch (id)
    {
    case 210:
    {
        char text[256];
        GetStringById(34, text, sizeof(text));
        SetMessageBox("", text, 2, 2);
        if (CRefPtr<CKMForm> s = FormAt(kFormStartQuest))
            s->enabled = 0;
        FadeInForm(kFormMsgBox, kBox);
        return true;
    }
    case 211:
        FadeOutForm(kFormStartQuest, kNormal);
        Push(kUiEventClick, id, x, y);
        return true;
    case 212:
        FadeOutForm(kFormStartQuest, kNormal);
        FadeInForm(kFormMainMenu, kNormal);
        return true;
    default:
        return false;
    }
}
