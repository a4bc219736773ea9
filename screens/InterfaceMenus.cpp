// CInterface: the menus' pages: message box, options, splash, intro, newspaper,
// help, hall of fame and the bonus levels' titles; texts of the string table and
// the store link.
#include "screens/Interface.h"

#include <cstdio>

#include "engine/Log.h"
#include "engine/StringTable.h"
#include "saves/HighScores.h"
#include "render/Device.h"
#include "render/SpriteShape.h"
#include "screens/InterfaceParts.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"

using namespace interface_detail;

namespace {

std::string Format(int id, int a)
{
    char format[256];
    GetStringById(id, format, sizeof(format));
    return CInterface::FillText(format, {a});
}

std::string Format(int id, int a, int b)
{
    char format[256];
    GetStringById(id, format, sizeof(format));
    return CInterface::FillText(format, {a, b});
}

} // namespace

namespace interface_detail {

void SetLabel(const CRefPtr<CKMWindow>& w, const char* text)
{
    if (w)
        static_cast<CKMStatic*>(w.Get())->SetString(text);
}

void ReleaseSurface(const CRefPtr<CTexture>& texture)
{
    if (texture && texture->texture)
        texture->ReleaseTexture();
}

} // namespace interface_detail

void CInterface::SetMessageBox(const char* caption, const char* text, int layout, int code)
{
    if (CRefPtr<CKMWindow> w = Widget(kFormMsgBox, 1))
        static_cast<CKMStatic*>(w.Get())->SetString(caption);
    if (CRefPtr<CKMWindow> w = Widget(kFormMsgBox, 2))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
    for (int i = 0; i < 5; ++i)
        for (const CRefPtr<CKMWindow>& w : List(kFormMsgBox, i))
            w->SetVisible(i == layout ? 1 : 0);
    messageCode = code;
}

void CInterface::SetOptionScrollers(float soundVolume, float musicVolume)
{
    if (CRefPtr<CKMWindow> w = Widget(kFormOptions, 1))
        static_cast<CKMScroller*>(w.Get())->SetValue(soundVolume);
    if (CRefPtr<CKMWindow> w = Widget(kFormOptions, 2))
        static_cast<CKMScroller*>(w.Get())->SetValue(musicVolume);
}

int CInterface::RecreateIntroTexture(int create)
{
    if (!device)
        return 0;
    const int index = device->FindTexture("Intro");
    if (index < 0)
        return 0;
    const CRefPtr<CTexture>& texture = device->textures[size_t(index)];
    if (create)
    {
        if (!texture->texture && texture->Recreate(device->device) < 0)
        {
            LogText("Error recreating Intro Texture\n");
            return 0;
        }
    }
    else
        ReleaseSurface(texture);
    return 1;
}

void CInterface::ShowSplashPicture(const CRefPtr<CTexture>& picture)
{
    CRefPtr<CKMForm> splash = FormAt(kFormSplash);
    if (!splash)
        return;
    splash->SetVisible(1);
    for (const CRefPtr<CKMWindow>& w : List(kFormSplash, 0))
    {
        if (!w->sprites.empty())
            w->sprites[0]->texture = picture;
        w->SetVisible(1);
    }
    const WidgetList& second = List(kFormSplash, 1);
    if (!second.empty())
        second[0]->SetVisible(0);
    for (const CWidgetGroup& g : blocks[kFormSplash].groups)
        for (const CRefPtr<CKMWindow>& w : g.widgets)
            w->SetVisible(0);
}

std::string CInterface::FillText(const char* format, std::initializer_list<TextArg> args)
{
    std::string out;
    const TextArg* next = args.begin();
    for (const char* c = format ? format : ""; *c; ++c)
    {
        if (*c != '%')
        {
            out += *c;
            continue;
        }
        const char d = c[1];
        if (d == '%')
        {
            out += '%';
            ++c;
        }
        else if (d == 'd' && next != args.end() && !next->text)
        {
            out += std::to_string(next->number);
            ++next;
            ++c;
        }
        else if (d == 's' && next != args.end() && next->text)
        {
            out += next->text;
            ++next;
            ++c;
        }
        else
            out += '%';
    }
    return out;
}

bool CInterface::IsSafeLink(const std::string& address)
{
    // Only web addresses go to the shell: a store link must never start a program or
    // open a local file.
    std::string lower = address.substr(0, 8);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    const size_t scheme = lower.compare(0, 7, "http://") == 0 ? 7 : lower.compare(0, 8, "https://") == 0 ? 8 : 0;
    if (scheme == 0 || address.size() <= scheme)
        return false;
    for (char c : address)
        if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == 0x7F)
            return false;
    return true;
}

bool CInterface::OpenLink(const std::string& address)
{
    if (!IsSafeLink(address))
        return false;
    ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

// ---------------------------------------------------------------------------------
// Pages

bool CInterface::SwitchPicture(const char* name, const std::string& file)
{
    if (!device)
        return false;
    const int index = device->FindTexture(name);
    if (index < 0)
        return false;
    const std::string path = (dataFolders ? dataFolders->graphics : std::string()) + file;
    CTexture& texture = *device->textures[size_t(index)];
    if (texture.fileName == path)
        return true;
    texture.ReleaseTexture();
    texture.fileName = path;
    return texture.Recreate(device->device) >= 0;
}

bool CInterface::ShowNewspaperPage(int page)
{
    char file[32];
    std::snprintf(file, sizeof(file), "Newspaper%d.jpg", page + 1);
    const bool ok = SwitchPicture("Newspaper5", file);
    const CFormBlock& block = blocks[kFormNewspaper];
    for (size_t g = 0; g < block.groups.size(); ++g)
        for (const CRefPtr<CKMWindow>& w : block.groups[g].widgets)
            w->SetVisible(int(g) == page ? 1 : 0);
    for (const CRefPtr<CKMWindow>& w : List(kFormNewspaper, 0))
        w->SetVisible(0);
    blinkTimers[1] = 0.0f;
    if (!ok)
        LogText("Error switching newspaper texture\n");
    return ok;
}

bool CInterface::ShowFinalNewspaper()
{
    const bool ok = SwitchPicture("Newspaper5", "Newspaper5.jpg");
    for (const CRefPtr<CKMWindow>& w : List(kFormWin, 0))
        w->SetVisible(0);
    blinkTimers[1] = 0.0f;
    if (!ok)
        LogText("Error switching newspaper texture\n");
    return ok;
}

void CInterface::ShowHelpPage(int page)
{
    SwitchPicture("HelpPage", page == 1 ? "HelpPage1.jpg" : "HelpPage2.jpg");
    helpPage = page;
    const CFormBlock& block = blocks[kFormHelp];
    for (size_t g = 0; g < block.groups.size(); ++g)
        for (const CRefPtr<CKMWindow>& w : block.groups[g].widgets)
            w->SetVisible(int(g) + 1 == page ? 1 : 0);
}

void CInterface::SelectListWidget(int item)
{
    introItem = item;
    const WidgetList& items = List(kFormIntro, 0);
    for (size_t i = 0; i < items.size(); ++i)
        items[i]->SetVisible(int(i) == item ? 1 : 0);
}

void CInterface::SetChallengeTitle1(int level, int round, int rounds)
{
    SetLabel(Widget(kFormMemory, 1), Format(15, level).c_str());
    SetLabel(Widget(kFormMemory, 2), Format(16, round, rounds).c_str());
}

void CInterface::SetChallengeTitle2(int level)
{
    SetLabel(Widget(kFormArcade, 1), Format(15, level).c_str());
}

void CInterface::SetChallengeTitle3(int level, int round, int rounds)
{
    SetLabel(Widget(kFormThimbles, 1), Format(15, level).c_str());
    SetLabel(Widget(kFormThimbles, 2), Format(16, round, rounds).c_str());
    if (CRefPtr<CKMWindow> w = Widget(kFormThimbles, 3))
        w->SetVisible(0);
}

void CInterface::SetChallengeTitle4(int level)
{
    SetLabel(Widget(kFormBlinker, 1), Format(15, level).c_str());
    for (int n = 2; n <= 4; ++n)
        if (CRefPtr<CKMWindow> w = Widget(kFormBlinker, n))
            w->SetVisible(1);
}

void CInterface::FillHighScores(int table)
{
    if (!hiscores)
        return;
    const WidgetList& rows = List(kFormHighScores, 0);
    const WidgetList& names = List(kFormHighScores, 1);
    const WidgetList& scores = List(kFormHighScores, 2);
    for (int i = 0; i < hiscores->count; ++i)
    {
        if (size_t(i) >= rows.size() || size_t(i) >= names.size() || size_t(i) >= scores.size())
            break;
        char name[256] = {0};
        hiscores->GetName(i, name);
        SetLabel(names[size_t(i)], name);
        char score[32];
        std::snprintf(score, sizeof(score), "%d", hiscores->GetScore(i));
        SetLabel(scores[size_t(i)], score);
        const uint32_t colour = table == highlightTable && i == highlightRow ? 0xFFFFFFFFu : 0xFFFFFF48u;
        rows[size_t(i)]->SetTextColor(colour);
        names[size_t(i)]->SetTextColor(colour);
        scores[size_t(i)]->SetTextColor(colour);
    }
}

void CInterface::HideListWidgets()
{
    for (const CRefPtr<CKMWindow>& w : List(kFormBackground, 0))
        w->SetVisible(0);
    blinkTimers[0] = 0.0f;
}

