// CInterface: loading the texture catalogue, the story and the 26 forms, and each
// form's state as it opens for the first time.
#include "screens/Interface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"
#include "platform/crt.h"
#include "platform/image.h"
#include "render/Device.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/InterfaceParts.h"
#include "hud/QuestLayout.h"
#include "ui/FormLoader.h"
#include "ui/KMStatic.h"

using namespace interface_detail;

namespace {


// The eleven catalogue pictures that hold video memory only while a screen needs them.
const char* const kOnDemandTextures[] = {"ShopFrame", "ShopColor",  "ShopMul",    "ShopBW",     "MapDiff3", "MapDiff4_1",
                                         "MapDiff4_2", "MapDiff5_1", "MapDiff5_2", "Intro",      "Trophies"};

bool IsOnDemand(const std::string& name)
{
    for (const char* n : kOnDemandTextures)
        if (name == n)
            return true;
    return false;
}

// The number a 4th catalogue token gives: leading digits as the C library reads them,
// clamped to 0..2.
UINT MipLevels(const char* token)
{
    const long n = std::strtol(token, nullptr, 10);
    return UINT(std::max(0L, std::min(2L, n)));
}


void LogLine(const std::string& a, const std::string& b)
{
    LogText((a + b + "\n").c_str());
}

} // namespace

int CInterface::LoadTextureCatalogue(const std::string& listPath, const std::string& graphicsFolder)
{
    const std::vector<D3DFORMAT> candidates = {D3DFMT_A1R5G5B5, D3DFMT_A4L4,  D3DFMT_A8R3G3B2,
                                               D3DFMT_A4R4G4B4, D3DFMT_A8L8, D3DFMT_A8R8G8B8};
    CTokenizer tokenizer;
    if (tokenizer.Open(listPath.c_str()) != 0)
    {
        LogText("Unable to open Textures.lst");
        return 0;
    }
    char token[2048];
    char text[2048];
    while (tokenizer.NextToken(token) > 0)
    {
        StripQuotes(token, text);
        const std::string file = graphicsFolder + text;
        if (tokenizer.NextToken(token) <= 0)
            break;
        text[0] = 0;
        StripQuotes(token, text);
        const std::string name = text;
        char alpha[2048];
        if (tokenizer.NextToken(alpha) <= 0 || tokenizer.NextToken(token) <= 0)
            break; // an entry cut short by the end of the file is dropped
        const bool withAlpha = alpha[0] == 'a';
        const bool pair = token[0] == 'p';
        CRefPtr<CTexture> texture;
        if (!device)
            texture = CRefPtr<CTexture>();
        else if (pair)
            texture = device->LoadTextureWithAlpha(file, name, withAlpha, 0, D3DPOOL_MANAGED);
        else if (withAlpha)
            texture = device->LoadTextureChooseFormat(file, name, candidates, MipLevels(token), 0, D3DPOOL_MANAGED);
        else
            texture = device->MakeTexture(file, name, MipLevels(token), 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
        if (!texture || !texture->texture)
        {
            LogText("Unable to load texture");
            LogText(name.c_str());
            return 0;
        }
        if (IsOnDemand(texture->name))
            texture->ReleaseTexture();
    }
    return 1;
}

bool CInterface::LoadStory(const char* path)
{
    storyTexts.assign(40, std::string());
    FILE* file = crt::fopen(path, "r");
    if (!file)
        return false;
    char line[4095];
    if (std::fgets(line, sizeof(line), file))
    {
        for (std::string& text : storyTexts)
        {
            bool ended = false;
            while (!ended && std::fgets(line, sizeof(line), file))
            {
                if (line[0] == '#')
                    ended = true;
                else
                    text += line;
            }
            if (!ended)
                break;
        }
    }
    std::fclose(file);
    return true;
}

int CInterface::Load(const CDataFolders& folders, const CQuestLayout& layout, const CLevelParams& params)
{
    dataFolders = &folders;
    questLayout = &layout;
    levelParams = &params;

    if (!LoadTextureCatalogue(folders.forms + "Textures.lst", folders.graphics))
        return 0;
    formsManager = CRefPtr<CKMFormsManager>(new CKMFormsManager());

    // The main-menu logos are optional: both pictures or none.
    logoFlag = 1;
    const platform::ImageInfoResult a = platform::ImageInfo("fsdata\\logo_a.png");
    const platform::ImageInfoResult b = platform::ImageInfo("fsdata\\logo_na.png");
    if (!a.ok || !b.ok)
        logoFlag = 0;
    else
    {
        logoWidth = a.width;
        logoHeight = a.height;
    }
    if (logoFlag && device)
    {
        logoA = device->MakeTexture("fsdata\\logo_a.png", "fsdata\\logo_a.png", 0, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
        logoB = device->MakeTexture("fsdata\\logo_na.png", "fsdata\\logo_na.png", 0, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    }

    forms.clear();
    for (int i = 0; i < kFormCount; ++i)
        if (!BuildForm(i))
            return 0;
    return 1;
}

void CInterface::PlaceLogos(CFormDesc& description)
{
    if (!logoFlag)
        return;
    for (const CRefPtr<CFormElementDesc>& e : description.elements)
    {
        if (e->interrupt < kIdLogoHover)
            continue;
        e->size[0] = float(logoWidth);
        e->size[1] = float(logoHeight);
        e->position[0] = 1008.0f - e->size[0];
        e->position[1] = 752.0f - e->size[1];
        if (e->interrupt == 11112)
            e->textureName = "fsdata\\logo_a.png";
        else if (e->interrupt == 11113)
            e->textureName = "fsdata\\logo_na.png";
        CFormLayout::Scale(*e, description.screenWidth, -512.0f, 384.0f);
    }
}

int CInterface::BuildForm(int index)
{
    const std::string name = kFormNames[index];
    const FormRow& row = Rows()[size_t(index)];
    CFormLoader loader(device);
    const std::string path = (dataFolders ? dataFolders->forms : std::string()) + name + ".kmf";
    if (!loader.LoadForm(path.c_str(), -512.0f, 384.0f))
    {
        LogLine("Error loading Form " + name + ": ", loader.errorText);
        return 0;
    }
    if (index == kFormMainMenu)
        PlaceLogos(loader.description);

    CRefPtr<CSpriteList> list(new CSpriteList(device, vertexBuffer, indexBuffer));
    const std::string creating = index == kFormMainMenu ? "Error Creating Form Main Menu: " : "Error Creating Form " + name + ": ";
    if (!loader.CreateForm(list, textSet, fonts, index))
    {
        LogLine("Error Creating Form " + name + ": ", loader.errorText);
        return 0;
    }
    CFormBlock& block = blocks[size_t(index)];
    block = CFormBlock();
    block.form = loader.form;
    forms.push_back(block.form);
    formsManager->AddForm(block.form);
    block.form->SetVisible(0);

    block.lists.resize(size_t(row.lists));
    block.groups.resize(size_t(row.groups));
    block.colours.resize(size_t(row.colourLists));
    block.textColours.resize(size_t(row.colourLists));
    block.points.resize(size_t(row.pointLists));
    for (const Rule& r : row.rules)
    {
        if (r.kind == kList && r.room > 0)
            block.lists[size_t(r.target)].reserve(size_t(r.room));
        if (r.kind == kSlot)
            block.lists[size_t(r.target)].resize(std::max(block.lists[size_t(r.target)].size(), size_t(r.room + 1)));
    }

    if (index == kFormMap && !LoadStory(((dataFolders ? dataFolders->texts : std::string()) + "Story.txt").c_str()))
        LogText("Warning! Story loading error.\n");

    int more = 1;
    while (more)
    {
        if (!loader.CreateNextElement(&more))
        {
            LogLine(creating, loader.errorText);
            return 0;
        }
        if (more)
            Bind(index, loader.lastInterrupt, loader.lastWidget);
    }

    // Every widget the screens address must be there; the message names the number.
    std::string missing;
    if (!CheckBindings(index, &missing))
    {
        LogLine(creating, missing);
        return 0;
    }
    SetUpForm(index);
    if (row.setZ)
        block.form->SetZOrder(row.zOrder);
    return 1;
}

namespace {

CSpriteShape* FirstSprite(const CRefPtr<CKMWindow>& w)
{
    return w && !w->sprites.empty() && w->sprites[0] ? w->sprites[0].Get() : nullptr;
}

// Gives the four quarters of a round gauge their corners at rest, turned to the
// board's angle when `angle` is given.
void SetQuarters(const WidgetList& list, const float* angle)
{
    for (size_t k = 0; k < list.size() && k < 4; ++k)
        if (CSpriteShape* s = FirstSprite(list[k]))
        {
            if (angle)
                s->SetRotation(*angle);
            const float* c = kQuarterCorners[k];
            s->SetCorners(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        }
}

void HideAll(const WidgetList& list)
{
    for (const CRefPtr<CKMWindow>& w : list)
        if (w)
            w->SetVisible(0);
}

} // namespace

void CInterface::SetUpForm(int index)
{
    switch (index)
    {
    case kFormMainMenu:
        SetUpMainMenu();
        break;
    case kFormQuest:
        SetUpPlayScreen();
        break;
    case kFormBackground:
        blinkTimers[0] = 0.0f;
        break;
    case kFormShop:
        SetUpShop();
        break;
    case kFormMap:
        for (int i = 0; i < 4; ++i)
            HideAll(blocks[kFormMap].lists[size_t(i)]);
        for (int i = 6; i <= 10; ++i)
            HideAll(blocks[kFormMap].lists[size_t(i)]);
        break;
    case kFormProfiles:
        profileScroll = -1;
        selectedProfile = -1;
        profiles.reset(new CProfileList(dataFolders ? dataFolders->players : std::string()));
        break;
    case kFormNewProfile:
        profileText.clear();
        break;
    case kFormMsgBox:
        messageCode = 0;
        break;
    case kFormTutorial:
        Widget(index, 105)->SetActive(0);
        arrowPhase = arrowBaseX = arrowBaseY = 0.0f;
        break;
    case kFormWin:
    case kFormNewspaper:
        blinkTimers[1] = 0.0f;
        break;
    case kFormIntro:
        introItem = 0;
        break;
    case kFormHelp:
        helpPage = 1;
        break;
    default:
        break;
    }
}

void CInterface::SetUpMainMenu()
{
    const int index = kFormMainMenu;
    if (CRefPtr<CKMWindow> version = Widget(index, 2))
        static_cast<CKMStatic*>(version.Get())->SetString("Ver.1.09");
    Widget(index, 11111)->SetVisible(logoFlag);
    Widget(index, 11112)->SetVisible(0);
    Widget(index, 11113)->SetVisible(logoFlag);
    // The store link shows only when "AppStoreURL.txt" is there, and works only when
    // it holds an address.
    CRefPtr<CKMWindow> link = Widget(index, 3);
    FILE* file = crt::fopen("AppStoreURL.txt", "r");
    if (!file)
    {
        link->SetVisible(0);
        return;
    }
    char line[2048] = {0};
    if (!std::fgets(line, sizeof(line), file))
        line[0] = 0;
    std::fclose(file);
    ChopNewline(line);
    TrimCopy(line, line);
    if (std::strlen(line) < 3)
        link->SetActive(0);
    else
        appStoreUrl = line;
}

void CInterface::SetUpPlayScreen()
{
    const int index = kFormQuest;
    CFormBlock& block = blocks[size_t(index)];
    CRefPtr<CKMWindow> overlay = Widget(index, 2);
    overlay->SetActive(0);
    overlay->SetVisible(0);
    SetQuarters(block.lists[0], questLayout ? &questLayout->globalAngle : nullptr);
    const WidgetList& hands = block.lists[1];
    if (questLayout)
    {
        const float* centres[2] = {questLayout->arrowShadowCenter, questLayout->arrowCenter};
        for (size_t k = 0; k < 2; ++k)
            if (CSpriteShape* s = FirstSprite(hands[k]))
            {
                const float w = s->scaleX != 0.0f ? s->scaleX : 1.0f;
                const float h = s->scaleY != 0.0f ? s->scaleY : 1.0f;
                s->offsetX = centres[k][0] / w;
                s->offsetY = centres[k][1] / h;
            }
    }
    if (CSpriteShape* s = FirstSprite(Widget(index, 9)))
        s->zWrite = 0;
    Widget(index, 9)->SetVisible(0);
    gaugePosition = gaugeTarget = 0.0f;
    Widget(index, 105)->SetActive(0);
    Widget(index, 203)->SetActive(0);
    // Both panels start hidden, with their frames and the markers.
    HideAll(block.lists[4]);
    Widget(index, 203)->SetVisible(0);
    HideAll(block.lists[5]);
    Widget(index, 105)->SetVisible(0);
    HideAll(block.lists[6]);
}

void CInterface::SetUpShop()
{
    const CFormBlock& block = blocks[kFormShop];
    SetQuarters(block.lists[0], nullptr);
    const WidgetList& pair = block.lists[1];
    if (CSpriteShape* s = FirstSprite(pair[0]))
        s->offsetX = 0.37037035f;
    if (CSpriteShape* s = FirstSprite(pair[1]))
    {
        s->offsetX = 0.37037035f;
        s->offsetY = 0.03125f;
    }
}
