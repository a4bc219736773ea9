#include "screens/Interface.h"

// The forms pass through short-lived counted handles; GCC cannot see that the
// interface's own handle keeps every form alive and warns of a use after free.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/SoundBank.h"
#include "engine/Log.h"
#include "engine/StringTable.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"
#include "saves/HighScores.h"
#include "platform/crt.h"
#include "platform/image.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "board/LevelParams.h"
#include "hud/QuestLayout.h"
#include "ui/FormLoader.h"
#include "ui/KMCheckbox.h"
#include "ui/KMScroller.h"
#include "ui/KMStatic.h"

namespace {

const char* const kFormNames[kFormCount] = {
    "MainMenu", "Quest",  "Statistics", "Background", "Shop",     "Map",      "NewLevel",   "GameMenu", "Memory",
    "Arcade",   "Thimbles", "Blinker",  "Splash",     "Profiles", "NewProfile", "MsgBox",   "StartQuest", "Tutorial",
    "Win",      "Options", "HighScores", "Newspaper", "Intro",    "Trophies", "Help",       "WinBox"};

// How one element number, or a range of them, is kept.
enum RuleKind
{
    kHandle,    // each number of the range is a widget handle
    kList,      // appended to list `target`
    kSlot,      // slot `room` of list `target` (a list of fixed size)
    kGroup,     // number n goes to group target + (n - first)
    kGrowGroup, // number n goes to group n - 1; the group vector grows to n
    kPoints,    // the widget's local (x, y) appended to point list `target`
    kTinted,    // appended to list `target` and its colour to colour list `room`
};

struct Rule
{
    int kind;
    int first;
    int last;
    int target;
    int room;
    // Widgets the screens need: for a handle range each number must be found; for a
    // list or group this many entries.
    int need;
};

struct FormRow
{
    int zOrder;
    bool setZ;
    int lists;
    int groups;
    int colourLists;
    int pointLists;
    std::vector<Rule> rules;
};

Rule H(int first, int last = -1) { return Rule{kHandle, first, last < 0 ? first : last, 0, 0, 1}; }
Rule L(int first, int last, int target, int room, int need = 0) { return Rule{kList, first, last, target, room, need}; }

// The bindings of the 26 forms. List and group indices are the order in which the
// screens address them; the screen methods name each one.
const std::vector<FormRow>& Rows()
{
    static const std::vector<FormRow> rows = {
        // MainMenu: greeting, version label, store link, logo hover area, logo A, logo B.
        {0, false, 0, 0, 0, 0, {H(1, 3), H(11111, 11113)}},
        // Quest: 0 gauge quarters, 1 hands (slot 0 shadow, slot 1 arrow), 2 warning pair,
        // 3 extra panel pictures, 4 side panel, 5 life icons, 6 icon markers.
        {-30,
         true,
         7,
         0,
         0,
         0,
         {H(1, 2), H(6, 7), H(9), H(105), H(203), L(3, 3, 0, 4, 4), Rule{kSlot, 4, 4, 1, 0, 1},
          Rule{kSlot, 5, 5, 1, 1, 1}, L(8, 8, 2, 2, 2), L(15, 15, 3, 4), L(200, 200, 4, 2), L(201, 201, 5, 10),
          L(202, 202, 6, 2)}},
        // Statistics: frame and rows 0..13; three lists of the result columns.
        {-30, true, 3, 0, 0, 0, {H(0, 13), L(100, 104, 0, 5, 4), L(200, 204, 1, 5, 4), L(300, 304, 2, 5, 4)}},
        // Background: the blinking "click to go on" list.
        {0, true, 1, 0, 0, 0, {L(1, 1, 0, 4)}},
        // Shop: handles; 0 gauge quarters, 1 hands, 2..4 tinted lists A, B, C (with their
        // colours 0..2), 5 anchors, 6 plus buttons, 7 frames, 8 pictures; groups 0..4 the
        // item widgets of 100..104, groups 5..10 those of 60..65.
        {0,
         true,
         9,
         11,
         3,
         0,
         {H(1, 2), H(5, 7), L(3, 3, 0, 4, 4), L(4, 4, 1, 2, 2), Rule{kTinted, 3, 4, 2, 0, 0},
          Rule{kTinted, 400, 400, 2, 0, 0}, Rule{kTinted, 5, 5, 3, 1, 0}, Rule{kTinted, 401, 401, 3, 1, 0},
          Rule{kTinted, 100, 104, 4, 2, 0}, Rule{kTinted, 402, 402, 4, 2, 0}, Rule{kGroup, 100, 104, 0, 0, 0},
          Rule{kGroup, 60, 65, 5, 0, 0}, L(20, 39, 5, 16, 16), L(40, 59, 6, 16, 16), L(200, 219, 7, 16, 16),
          L(220, 239, 8, 16, 16)}},
        // Map: caption, story label, flag, shadow; 0..3 stage pictures (2..5), 4 halos,
        // 5 stage seals, 6..10 level spots of stages 1..5.
        {-10,
         true,
         11,
         0,
         0,
         0,
         {H(1), H(10), H(30, 31), L(2, 2, 0, 6), L(3, 3, 1, 6), L(4, 4, 2, 6), L(5, 5, 3, 6), L(11, 14, 4, 4, 4),
          L(21, 24, 5, 4, 4), L(100, 199, 6, 12, 5), L(200, 299, 7, 12, 6), L(300, 399, 8, 12, 8),
          L(400, 499, 9, 12, 10), L(500, 599, 10, 12, 12)}},
        // NewLevel: the level caption.
        {-50, true, 0, 0, 0, 0, {H(1)}},
        // GameMenu: nothing bound.
        {-150, true, 0, 0, 0, 0, {}},
        // Memory, Arcade, Thimbles, Blinker: titles, rounds and hints.
        {-60, true, 0, 0, 0, 0, {H(1, 2)}},
        {-60, true, 0, 0, 0, 0, {H(1)}},
        {-60, true, 0, 0, 0, 0, {H(1, 3)}},
        {-60, true, 0, 0, 0, 0, {H(1, 4)}},
        // Splash: 0 the pictures (1000), 1 the plain list (0); logo groups 1..10.
        {-300, true, 2, 0, 0, 0, {L(1000, 1000, 0, 2, 1), L(0, 0, 1, 0), Rule{kGrowGroup, 1, 10, 0, 2, 0}}},
        // Profiles: the six rows.
        {-10, true, 1, 0, 0, 0, {L(1, 1, 0, 6, 6)}},
        // NewProfile: name label, return widgets 2 and 4, message label, first-profile note.
        {-20, true, 0, 0, 0, 0, {H(1, 5)}},
        // MsgBox: caption, text; 0..4 the five button layouts.
        {-550,
         true,
         5,
         0,
         0,
         0,
         {H(1, 2), L(100, 100, 0, 4, 1), L(101, 101, 1, 4, 1), L(102, 102, 2, 4, 2), L(103, 103, 3, 4, 2),
          L(104, 104, 4, 4, 1)}},
        // StartQuest: the level and difficulty caption.
        {-10, true, 0, 0, 0, 0, {H(1)}},
        // Tutorial: seven groups (1 the message window, 4 click here, 6 swap these),
        // handles, and the rest points of groups 1, 4 and 6.
        {-50,
         true,
         0,
         7,
         0,
         3,
         {Rule{kGroup, 0, 0, 0, 0, 0}, Rule{kGroup, 100, 100, 0, 0, 0}, Rule{kGroup, 1, 1, 1, 0, 1},
          Rule{kGroup, 101, 101, 1, 0, 0}, Rule{kGroup, 200, 200, 1, 0, 0}, Rule{kGroup, 201, 201, 1, 0, 0},
          Rule{kGroup, 2, 4, 2, 0, 0}, Rule{kGroup, 5, 6, 5, 0, 0}, Rule{kGroup, 105, 105, 5, 0, 0}, H(100, 101),
          H(105), H(200, 201), Rule{kPoints, 1, 1, 0, 16, 0}, Rule{kPoints, 101, 101, 0, 16, 0},
          Rule{kPoints, 4, 4, 1, 0, 1}, Rule{kPoints, 6, 6, 2, 16, 1}}},
        // Win: the blinking list.
        {-25, true, 1, 0, 0, 0, {L(1, 1, 0, 4)}},
        // Options: sound and music scrollers, four display checkboxes.
        {-170, true, 0, 0, 0, 0, {H(1, 6)}},
        // HighScores: row, name and score columns.
        {-10, true, 3, 0, 0, 0, {L(1, 1, 0, 10, 10), L(2, 2, 1, 10, 10), L(3, 3, 2, 10, 10)}},
        // Newspaper: 0 the blinking list (100); groups 0..3 the pages.
        {-25, true, 1, 4, 0, 0, {L(100, 100, 0, 4), Rule{kGroup, 1, 4, 0, 0, 0}}},
        // Intro: the story items.
        {-25, true, 1, 0, 0, 0, {L(1, 1, 0, 8, 1)}},
        // Trophies: frame; 0 the rows with their rest points; groups 0..8 and 9..17.
        {-300,
         true,
         1,
         18,
         0,
         1,
         {H(0), L(1, 1, 0, 12), Rule{kPoints, 1, 1, 0, 24, 0}, Rule{kGroup, 100, 108, 0, 0, 0},
          Rule{kGroup, 200, 208, 9, 0, 0}}},
        // Help: one group per page.
        {-250, true, 0, 3, 0, 0, {Rule{kGroup, 1, 3, 0, 0, 0}}},
        // WinBox: the window buttons.
        {-650, true, 0, 0, 0, 0, {}},
    };
    return rows;
}

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

const WidgetList kNoList;
const CWidgetGroup kNoGroup;

void LogLine(const std::string& a, const std::string& b)
{
    LogText((a + b + "\n").c_str());
}

void ReleaseSurface(const CRefPtr<CTexture>& texture)
{
    if (texture && texture->texture)
        texture->ReleaseTexture();
}

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
// Loading

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

void CInterface::Bind(int index, int number, const CRefPtr<CKMWindow>& widget)
{
    CFormBlock& block = blocks[size_t(index)];
    for (const Rule& r : Rows()[size_t(index)].rules)
    {
        if (number < r.first || number > r.last)
            continue;
        switch (r.kind)
        {
        case kHandle:
        {
            // The last widget of a number wins.
            auto it = std::find(block.numbers.begin(), block.numbers.end(), number);
            if (it != block.numbers.end())
                block.handles[size_t(it - block.numbers.begin())] = widget;
            else
            {
                block.numbers.push_back(number);
                block.handles.push_back(widget);
            }
            break;
        }
        case kList:
            block.lists[size_t(r.target)].push_back(widget);
            break;
        case kSlot:
            block.lists[size_t(r.target)][size_t(r.room)] = widget;
            break;
        case kGroup:
            block.groups[size_t(r.target + number - r.first)].widgets.push_back(widget);
            break;
        case kGrowGroup:
            if (size_t(number) > block.groups.size())
            {
                const size_t from = block.groups.size();
                block.groups.resize(size_t(number));
                for (size_t g = from; g < block.groups.size(); ++g)
                    block.groups[g].widgets.reserve(size_t(r.room));
            }
            block.groups[size_t(number - 1)].widgets.push_back(widget);
            break;
        case kPoints:
            block.points[size_t(r.target)].push_back(widget->localPosition.x);
            block.points[size_t(r.target)].push_back(widget->localPosition.y);
            break;
        case kTinted:
            block.lists[size_t(r.target)].push_back(widget);
            block.colours[size_t(r.room)].push_back(widget->colour);
            break;
        default:
            break;
        }
    }
}

bool CInterface::CheckBindings(int index, std::string* missing) const
{
    const CFormBlock& block = blocks[size_t(index)];
    char text[160];
    for (const Rule& r : Rows()[size_t(index)].rules)
    {
        if (r.need <= 0)
            continue;
        int found = 0;
        switch (r.kind)
        {
        case kHandle:
            for (int n = r.first; n <= r.last; ++n)
                if (!Widget(index, n))
                {
                    std::snprintf(text, sizeof(text), "Element %d not found", n);
                    *missing = text;
                    return false;
                }
            continue;
        case kList:
        case kTinted:
            found = int(block.lists[size_t(r.target)].size());
            break;
        case kSlot:
            found = block.lists[size_t(r.target)][size_t(r.room)] ? 1 : 0;
            break;
        case kGroup:
            found = int(block.groups[size_t(r.target)].widgets.size());
            break;
        case kPoints:
            found = int(block.points[size_t(r.target)].size() / 2);
            break;
        default:
            found = r.need;
            break;
        }
        if (found < r.need)
        {
            std::snprintf(text, sizeof(text), "Element %d not found (%d needed, %d found)", r.first, r.need, found);
            *missing = text;
            return false;
        }
    }
    return true;
}

void CInterface::SetUpForm(int index)
{
    CFormBlock& block = blocks[size_t(index)];
    static const float kQuarters[4][8] = {{-0.5f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, -0.5f, 0.0f},
                                          {-0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, -0.5f, -0.5f},
                                          {0.0f, 0.0f, 0.5f, 0.0f, 0.5f, -0.5f, 0.0f, -0.5f},
                                          {0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f}};
    auto firstSprite = [](const CRefPtr<CKMWindow>& w) -> CSpriteShape* {
        return w && !w->sprites.empty() && w->sprites[0] ? w->sprites[0].Get() : nullptr;
    };
    auto setQuarters = [&](const WidgetList& list, bool rotate) {
        for (size_t k = 0; k < list.size() && k < 4; ++k)
            if (CSpriteShape* s = firstSprite(list[k]))
            {
                if (rotate && questLayout)
                    s->SetRotation(questLayout->globalAngle);
                const float* c = kQuarters[k];
                s->SetCorners(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
            }
    };
    auto hideAll = [](const WidgetList& list) {
        for (const CRefPtr<CKMWindow>& w : list)
            if (w)
                w->SetVisible(0);
    };

    switch (index)
    {
    case kFormMainMenu:
    {
        if (CRefPtr<CKMWindow> version = Widget(index, 2))
            static_cast<CKMStatic*>(version.Get())->SetString("Ver.1.09");
        Widget(index, 11111)->SetVisible(logoFlag);
        Widget(index, 11112)->SetVisible(0);
        Widget(index, 11113)->SetVisible(logoFlag);
        CRefPtr<CKMWindow> link = Widget(index, 3);
        FILE* file = crt::fopen("AppStoreURL.txt", "r");
        if (!file)
            link->SetVisible(0);
        else
        {
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
        break;
    }
    case kFormQuest:
    {
        CRefPtr<CKMWindow> overlay = Widget(index, 2);
        overlay->SetActive(0);
        overlay->SetVisible(0);
        setQuarters(block.lists[0], true);
        const WidgetList& hands = block.lists[1];
        if (questLayout)
        {
            const float* centres[2] = {questLayout->arrowShadowCenter, questLayout->arrowCenter};
            for (size_t k = 0; k < 2; ++k)
                if (CSpriteShape* s = firstSprite(hands[k]))
                {
                    const float w = s->scaleX != 0.0f ? s->scaleX : 1.0f;
                    const float h = s->scaleY != 0.0f ? s->scaleY : 1.0f;
                    s->offsetX = centres[k][0] / w;
                    s->offsetY = centres[k][1] / h;
                }
        }
        if (CSpriteShape* s = firstSprite(Widget(index, 9)))
            s->zWrite = 0;
        Widget(index, 9)->SetVisible(0);
        gaugePosition = gaugeTarget = 0.0f;
        Widget(index, 105)->SetActive(0);
        Widget(index, 203)->SetActive(0);
        // Both panels start hidden, with their frames and the markers.
        hideAll(block.lists[4]);
        Widget(index, 203)->SetVisible(0);
        hideAll(block.lists[5]);
        Widget(index, 105)->SetVisible(0);
        hideAll(block.lists[6]);
        break;
    }
    case kFormBackground:
        blinkTimers[0] = 0.0f;
        break;
    case kFormShop:
    {
        setQuarters(block.lists[0], false);
        const WidgetList& pair = block.lists[1];
        if (CSpriteShape* s = firstSprite(pair[0]))
            s->offsetX = 0.37037035f;
        if (CSpriteShape* s = firstSprite(pair[1]))
        {
            s->offsetX = 0.37037035f;
            s->offsetY = 0.03125f;
        }
        break;
    }
    case kFormMap:
        for (int i = 0; i < 4; ++i)
            hideAll(block.lists[size_t(i)]);
        for (int i = 6; i <= 10; ++i)
            hideAll(block.lists[size_t(i)]);
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

// ---------------------------------------------------------------------------------
// Look-ups

CRefPtr<CKMForm> CInterface::Form(const char* name) const
{
    for (int i = 0; i < kFormCount; ++i)
        if (std::strcmp(kFormNames[i], name) == 0)
            return FormAt(i);
    return CRefPtr<CKMForm>();
}

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
                    FadeOutForm(FormAt(kFormProfiles), 2.0f);
                    FadeInForm(FormAt(kFormNewProfile), 2.0f);
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

void CInterface::RunCommand(int32_t id, float x, float y)
{
    const float kFast = 5.0f, kNormal = 2.0f, kBox = 4.0f;
    switch (id)
    {
    case 1:
    case 2:
    case 3:
    case 11:
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
    case 12:
    case 13:
        Push(kUiEventClick, id, x, y);
        return;
    case 4:
        ShowHelpPage(1);
        FadeOutForm(FormAt(kFormMainMenu), kFast);
        FadeInForm(FormAt(kFormHelp), kFast);
        return;
    case 5:
        FillHighScores(highScoreTable);
        FadeInForm(FormAt(kFormHighScores), kNormal);
        FadeOutForm(FormAt(kFormMainMenu), kNormal);
        return;
    case 6:
        if (profiles && selectedProfile >= 0 && size_t(selectedProfile) < profiles->profiles.size())
            profileName = profiles->profiles[size_t(selectedProfile)]->name;
        FadeOutForm(FormAt(kFormMainMenu), kNormal);
        RefreshProfileRows();
        FadeInForm(FormAt(kFormProfiles), kNormal);
        return;
    case 7:
        OpenLink(appStoreUrl);
        return;
    case kIdOverlay:
        if (CRefPtr<CKMWindow> overlay = Widget(kFormQuest, 2))
            static_cast<CKMCheckbox*>(overlay.Get())->SetChecked(1);
        Push(kUiEventClick, id, x, y);
        return;
    case 152:
    case 153:
    case 154:
    case 155:
        ShowNewspaperPage(id - 152);
        FadeOutForm(FormAt(kFormMap), kNormal);
        FadeInForm(FormAt(kFormNewspaper), kNormal);
        return;
    case 271:
    case 272:
        ShowHelpPage(helpPage + (id == 271 ? -1 : 1));
        return;
    case 180:
        // Without a chosen player there is nobody to play as: the screen stays.
        if (!HasSelectedProfile())
            return;
        if (selectedProfile - profileScroll > 5)
            profileScroll = selectedProfile - 5;
        RefreshProfileRows();
        UpdateProfileGreeting();
        FadeOutForm(FormAt(kFormProfiles), kNormal);
        FadeInForm(FormAt(kFormMainMenu), kNormal);
        Push(kUiEventClick, id, x, y);
        return;
    case 181:
    {
        const int index = profiles ? profiles->Find(profileName) : -1;
        if (index < 0)
        {
            UpdateProfileGreeting();
            FadeOutForm(FormAt(kFormProfiles), kNormal);
            FadeInForm(FormAt(kFormMainMenu), kNormal);
            Push(kUiEventClick, 180, x, y);
            return;
        }
        selectedProfile = index;
        if (index >= 5)
            profileScroll = index - 5;
        UpdateProfileGreeting();
        FadeOutForm(FormAt(kFormProfiles), kNormal);
        FadeInForm(FormAt(kFormMainMenu), kNormal);
        Push(kUiEventClick, 181, x, y);
        return;
    }
    case 182:
    {
        // Deleting asks first; without a valid selection there is nothing to ask about.
        if (!HasSelectedProfile())
            return;
        char format[256];
        GetStringById(31, format, sizeof(format));
        const std::string text = FillText(format, {profiles->profiles[size_t(selectedProfile)]->name.c_str()});
        SetMessageBox("", text.c_str(), 3, 1);
        FadeInForm(FormAt(kFormMsgBox), kBox);
        if (CRefPtr<CKMForm> p = FormAt(kFormProfiles))
            p->enabled = 0;
        return;
    }
    case 195:
        CreateTypedProfile(true, x, y);
        return;
    case 183:
        if (profileScroll >= 0)
        {
            --profileScroll;
            RefreshProfileRows();
        }
        return;
    case 184:
        if (profiles && int(profiles->profiles.size()) - profileScroll > 6)
        {
            ++profileScroll;
            RefreshProfileRows();
        }
        return;
    case 196:
        RefreshProfileRows();
        FadeOutForm(FormAt(kFormNewProfile), kNormal);
        FadeInForm(FormAt(kFormProfiles), kNormal);
        return;
    case 200:
        if (messageCode == 3 || messageCode == 8)
        {
            FadeOutForm(FormAt(kFormMsgBox), messageCode == 3 ? kNormal : kBox);
            if (CRefPtr<CKMForm> shop = FormAt(kFormShop))
                shop->SetActive(1);
        }
        else if (messageCode >= 4 && messageCode <= 6)
        {
            FadeOutForm(FormAt(kFormMsgBox), kNormal);
            Push(kUiEventClick, id, x, y);
        }
        else if (messageCode == 9)
        {
            FadeOutForm(FormAt(kFormMsgBox), kBox);
            FadeInForm(FormAt(kFormHighScores), kNormal);
        }
        else if (messageCode == 10)
            Push(kUiEventClick, id, x, y);
        return;
    case 201:
        if (messageCode == 1)
        {
            FadeOutForm(FormAt(kFormMsgBox), kBox);
            if (CRefPtr<CKMForm> p = FormAt(kFormProfiles))
                p->enabled = 1;
        }
        return;
    case 202:
    case 203:
        if (messageCode == 1 && id == 202)
            DeleteSelectedProfile();
        else if (messageCode == 2 && id == 202)
        {
            FadeOutForm(FormAt(kFormMsgBox), kBox);
            Push(kUiEventClick, id, x, y);
        }
        else if (messageCode == 2)
        {
            FadeOutForm(FormAt(kFormMsgBox), kBox);
            if (CRefPtr<CKMForm> s = FormAt(kFormStartQuest))
                s->enabled = 1;
        }
        else if (messageCode == 7)
        {
            FadeOutForm(FormAt(kFormMsgBox), kBox);
            if (CRefPtr<CKMForm> shop = FormAt(kFormShop))
                shop->SetActive(1);
            Push(kUiEventClick, id, x, y);
        }
        else if (messageCode == 11)
        {
            FadeOutForm(FormAt(kFormMsgBox), kBox);
            FadeOutForm(FormAt(kFormStartQuest), kNormal);
            Push(kUiEventClick, id, x, y);
        }
        return;
    case 210:
    {
        char text[256];
        GetStringById(34, text, sizeof(text));
        SetMessageBox("", text, 2, 2);
        if (CRefPtr<CKMForm> s = FormAt(kFormStartQuest))
            s->enabled = 0;
        FadeInForm(FormAt(kFormMsgBox), kBox);
        return;
    }
    case 211:
        FadeOutForm(FormAt(kFormStartQuest), kNormal);
        Push(kUiEventClick, id, x, y);
        return;
    case 212:
        FadeOutForm(FormAt(kFormStartQuest), kNormal);
        FadeInForm(FormAt(kFormMainMenu), kNormal);
        return;
    case 250:
        FadeOutForm(FormAt(kFormHighScores), kNormal);
        FadeInForm(FormAt(kFormMainMenu), kNormal);
        return;
    case 270:
        FadeOutForm(FormAt(kFormHelp), kFast);
        FadeInForm(FormAt(kFormMainMenu), kFast);
        return;
    case kIdLogoHover:
    {
        FILE* file = crt::fopen("website.url", "rb");
        if (file)
        {
            std::fclose(file);
            ShellExecuteA(nullptr, "open", "website.url", nullptr, nullptr, SW_SHOWNORMAL);
        }
        return;
    }
    default:
        if ((id >= 40 && id <= 55) || (id >= 60 && id <= 75))
            Push(kUiEventClick, id, x, y);
        return;
    }
}

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
            FadeInForm(FormAt(kFormProfiles), 2.0f);
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
        FadeInForm(FormAt(kFormProfiles), 2.0f);
    else
    {
        UpdateProfileGreeting();
        FadeInForm(FormAt(kFormMainMenu), 2.0f);
        if (clicked)
            Push(kUiEventClick, 195, x, y);
        else
            result = kKeyProfileCreated;
    }
    FadeOutForm(FormAt(kFormNewProfile), 2.0f);
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
        FadeOutForm(FormAt(kFormMsgBox), 4.0f);
        if (CRefPtr<CKMForm> p = FormAt(kFormProfiles))
            p->enabled = 1;
        return;
    }
    char text[256];
    GetStringById(22, text, sizeof(text));
    SetProfileText(text, 0);
    FadeOutForm(FormAt(kFormMsgBox), 4.0f);
    FadeOutForm(FormAt(kFormProfiles), 2.0f);
    FadeInForm(FormAt(kFormNewProfile), 2.0f);
}

// ---------------------------------------------------------------------------------
// Screen methods

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

void CInterface::RecreateMapDiffTextures(int stage)
{
    if (!device)
        return;
    auto release = [&](const char* name) { ReleaseSurface(device->GetTextureByName(name)); };
    auto recreate = [&](const char* name) {
        CRefPtr<CTexture> t = device->GetTextureByName(name);
        if (t && !t->texture && t->Recreate(device->device) < 0)
        {
            LogText((std::string("Error! Recreation ") + name + "\n").c_str());
        }
    };
    if (stage == 1 || stage == 2)
    {
        release("MapDiff3"), release("MapDiff4_1"), release("MapDiff4_2"), release("MapDiff5_1"),
            release("MapDiff5_2");
    }
    else if (stage == 3)
    {
        release("MapDiff4_1"), release("MapDiff4_2"), release("MapDiff5_1"), release("MapDiff5_2");
        recreate("MapDiff3");
    }
    else if (stage == 4)
    {
        release("MapDiff3"), release("MapDiff5_1"), release("MapDiff5_2");
        recreate("MapDiff4_1"), recreate("MapDiff4_2");
    }
    else
    {
        release("MapDiff3"), release("MapDiff4_2");
        recreate("MapDiff4_1"), recreate("MapDiff5_1"), recreate("MapDiff5_2");
    }
}

void CInterface::SetMapTextures(CRefPtr<CTexture> halo, CRefPtr<CTexture> second)
{
    haloTexture = halo;
    const WidgetList& halos = List(kFormMap, 4);
    if (!halos.empty() && !halos[0]->sprites.empty())
        halos[0]->sprites[0]->texture = halo;
    const WidgetList& first = Group(kFormTrophies, 0).widgets;
    if (!first.empty() && !first.back()->sprites.empty())
        first.back()->sprites[0]->texture = second;
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
// Play screen and map

void CInterface::SetCounter(int value, int countUp)
{
    if (questMode)
        return;
    lastCounter = value;
    targetScore = value;
    if (!countUp)
    {
        shownScore = value;
        scoreValue = float(value);
        scoreSpeed = 0.0f;
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%d", shownScore);
    if (CRefPtr<CKMWindow> w = Widget(kFormQuest, 6))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
}

void CInterface::SetCounters(int first, int second, float t)
{
    lastCounter = first;
    SetCounter(first, 0);
    secondCounter = second;
    char text[32];
    std::snprintf(text, sizeof(text), "%d", second);
    if (CRefPtr<CKMWindow> w = Widget(kFormQuest, 7))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
    PoseTimeGauge(t, 1);
    const WidgetList& warning = List(kFormQuest, 2);
    if (warning.size() > 1)
        warning[1]->SetVisible(0);
}

namespace {

// Cuts four quarter widgets (top-left, bottom-left, bottom-right, top-right) to the
// sector that turns counter-clockwise from 12 o'clock through 2 pi t; the texture
// coordinates follow the corners, mapped into the rectangle (u0, v0) + size * (u, v).
void PoseQuarters(const WidgetList& quarters, float t, float u0, float v0, float size)
{
    if (quarters.size() < 4)
        return;
    const float kQuarter = 1.5707964f;
    const float theta = 6.2831855f * t;
    const int shownCount = t <= 0.25f ? 1 : t <= 0.5f ? 2 : t <= 0.75f ? 3 : 4;
    for (int k = 0; k < 4; ++k)
    {
        CKMWindow& w = *quarters[size_t(k)];
        w.SetVisible(k < shownCount ? 1 : 0);
        if (k >= shownCount || w.sprites.empty() || !w.sprites[0])
            continue;
        float c[8];
        if (k < shownCount - 1)
        {
            static const float kFull[3][8] = {{-0.5f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, -0.5f, 0.0f},
                                              {-0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, -0.5f, -0.5f},
                                              {0.0f, 0.0f, 0.5f, 0.0f, 0.5f, -0.5f, 0.0f, -0.5f}};
            std::copy(kFull[k], kFull[k] + 8, c);
        }
        else
        {
            // The figure of the top-left quarter, turned k quarter turns about the centre.
            const float alpha = std::max(0.0f, std::min(kQuarter, theta - k * kQuarter));
            if (alpha <= kQuarter * 0.5f)
            {
                const float f[8] = {-0.5f * std::tan(alpha), 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f};
                std::copy(f, f + 8, c);
            }
            else
            {
                const float f[8] = {-0.5f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, -0.5f, 0.5f * std::tan(kQuarter - alpha)};
                std::copy(f, f + 8, c);
            }
            for (int turn = 0; turn < k; ++turn)
                for (int i = 0; i < 4; ++i)
                {
                    const float x = c[i * 2], y = c[i * 2 + 1];
                    c[i * 2] = -y;
                    c[i * 2 + 1] = x;
                }
        }
        CSpriteShape& sprite = *w.sprites[0];
        sprite.SetCorners(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
        float uv[8];
        for (int i = 0; i < 4; ++i)
        {
            uv[i * 2] = u0 + size * (c[i * 2] + 0.5f);
            uv[i * 2 + 1] = v0 + size * (0.5f - c[i * 2 + 1]);
        }
        sprite.SetFrameUV4(0, uv[0], uv[1], uv[2], uv[3], uv[4], uv[5], uv[6], uv[7]);
        sprite.currentFrame = 0;
    }
}

} // namespace

void CInterface::PoseTimeGauge(float t, int setTarget)
{
    t = std::max(0.0f, std::min(1.0f, t));
    gaugePosition = t;
    if (setTarget)
        gaugeTarget = t;
    const WidgetList& quarters = List(kFormQuest, 0);
    if (quarters.size() < 4)
        return;
    PoseQuarters(quarters, t, 0.0f, 0.0f, 1.0f);
    const float theta = 6.2831855f * t;
    const WidgetList& hands = List(kFormQuest, 1);
    for (const CRefPtr<CKMWindow>& hand : hands)
        if (hand && !hand->sprites.empty())
            hand->sprites[0]->SetRotation(theta + (questLayout ? questLayout->globalAngle : 0.0f));

    // The tint goes from green through yellow to red as the time runs out.
    if (!questLayout)
        return;
    const CQuestLayout& q = *questLayout;
    float rgb[3];
    auto mix = [&](const float* a, const float* b, float s) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = a[i] * (1.0f - s) + b[i] * s;
    };
    if (t >= q.greenEnd)
        mix(q.green, q.green, 0.0f);
    else if (t >= q.yellowEnd)
        mix(q.yellow, q.green, (t - q.yellowEnd) / (q.greenEnd - q.yellowEnd));
    else if (t >= q.redEnd)
        mix(q.red, q.yellow, (t - q.redEnd) / (q.yellowEnd - q.redEnd));
    else
        mix(q.red, q.red, 0.0f);
    const uint32_t colour = q.gaugeAlpha | (uint32_t(std::floor(rgb[0])) << 16) | (uint32_t(std::floor(rgb[1])) << 8) |
                            uint32_t(std::floor(rgb[2]));
    for (const CRefPtr<CKMWindow>& w : quarters)
        w->SetColor(colour);
}

void CInterface::SetLevelLabel(int level)
{
    char format[128];
    std::string text;
    if (questMode)
    {
        GetStringById(9, format, sizeof(format));
        text = FillText(format, {level});
    }
    else
    {
        int32_t stage = 0, index = 0;
        SplitLevelIndex(level, stage, index);
        GetStringById(8, format, sizeof(format));
        text = FillText(format, {stage, index});
    }
    if (CRefPtr<CKMWindow> w = Widget(kFormNewLevel, 1))
        static_cast<CKMStatic*>(w.Get())->SetString(text.c_str());
}

void CInterface::SetLevelPairLabel(int level, int fromPrevious)
{
    const int p = fromPrevious ? 1 : 0;
    int32_t stage = 0, index = 0;
    SplitLevelIndex(level, stage, index);
    char text[64];
    std::snprintf(text, sizeof(text), "%d-%d", stage, index);
    if (CRefPtr<CKMWindow> w = Widget(kFormMap, 1))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
    if (CRefPtr<CKMWindow> w = Widget(kFormMap, 10))
    {
        const bool told = level >= 2 && level <= 41 && size_t(level - 2) < storyTexts.size();
        static_cast<CKMStatic*>(w.Get())->SetString(told ? storyTexts[size_t(level - 2)].c_str() : "");
    }
    for (int i = 0; i < 4; ++i)
        for (const CRefPtr<CKMWindow>& w : List(kFormMap, i))
            w->SetVisible(i == stage - 2 || (i == 3 && stage >= 5) ? 1 : 0);
    const int markerList = stage >= 5 ? 4 : stage - 1;
    for (int i = 0; i < 5; ++i)
    {
        const WidgetList& markers = List(kFormMap, 6 + i);
        for (size_t j = 0; j < markers.size(); ++j)
            markers[j]->SetVisible(i == markerList && int(j) < index - p - 1 ? 1 : 0);
    }
    CRefPtr<CKMWindow> flag = Widget(kFormMap, 30), shadow = Widget(kFormMap, 31);
    CRefPtr<CKMForm> map = FormAt(kFormMap);
    if (flag && shadow && map)
    {
        if (stage >= 6)
        {
            shadow->SetVisible(0);
            flag->SetVisible(0);
        }
        else
        {
            int32_t s = 1, k = 1;
            if (level >= 2)
                SplitLevelIndex(level - p, s, k);
            const WidgetList& spots = List(kFormMap, 6 + std::max(0, std::min(4, s - 1)));
            if (k >= 1 && size_t(k - 1) < spots.size() && questLayout)
            {
                const Vec3 at = spots[size_t(k - 1)]->localPosition;
                map->SetChildPosition(flag, at.x + questLayout->flagShift[0], at.y + questLayout->flagShift[1],
                                      flag->localPosition.z);
                map->SetChildPosition(shadow, at.x + questLayout->shadowShift[0],
                                      at.y + questLayout->shadowShift[1], shadow->localPosition.z);
            }
            shadow->SetVisible(1);
            flag->SetVisible(1);
        }
    }
    const WidgetList& halos = List(kFormMap, 4);
    const WidgetList& seals = List(kFormMap, 5);
    for (size_t j = 0; j < halos.size(); ++j)
        halos[j]->SetVisible(int(j) < stage - 1 ? 1 : 0);
    for (size_t j = 0; j < seals.size(); ++j)
        seals[j]->SetVisible(int(j) < stage - 1 ? 1 : 0);
}

void CInterface::SetPanelVisible(int skip, int show)
{
    if (skip)
        return;
    for (const CRefPtr<CKMWindow>& w : List(kFormQuest, 4))
        w->SetVisible(show ? 1 : 0);
    if (CRefPtr<CKMWindow> frame = Widget(kFormQuest, 203))
        frame->SetVisible(show ? 1 : 0);
}

void CInterface::SetIconPanelVisible(int show)
{
    const WidgetList& icons = List(kFormQuest, 5);
    for (const CRefPtr<CKMWindow>& w : icons)
        w->SetVisible(show ? 1 : 0);
    if (CRefPtr<CKMWindow> frame = Widget(kFormQuest, 105))
        frame->SetVisible(show ? 1 : 0);
    const WidgetList& markers = List(kFormQuest, 6);
    int lit = -1;
    if (show)
        for (int i = int(markers.size()) - 1; i >= 0 && lit < 0; --i)
            if (size_t(i) < icons.size() && icons[size_t(i)]->visible)
                lit = i;
    for (size_t i = 0; i < markers.size(); ++i)
        markers[i]->SetVisible(int(i) == lit ? 1 : 0);
}

void CInterface::ShowFirstIcons(int n)
{
    const WidgetList& icons = List(kFormQuest, 5);
    for (size_t i = 0; i < icons.size(); ++i)
        icons[i]->SetVisible(int(i) < n ? 1 : 0);
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

// ---------------------------------------------------------------------------------
// Animations of the frame

void CInterface::Animate(float dt)
{
    // The score counts toward its target, faster the longer it runs.
    if (shownScore != targetScore)
    {
        const float target = float(targetScore);
        if (targetScore > shownScore)
        {
            scoreSpeed = std::max(scoreSpeed, 1000.0f) + 1000.0f * dt;
            scoreValue += scoreSpeed * dt;
            shownScore = int32_t(std::floor(scoreValue));
            if (scoreValue >= target)
                shownScore = targetScore, scoreValue = target, scoreSpeed = 0.0f;
        }
        else
        {
            scoreSpeed = std::min(scoreSpeed, -1000.0f) - 1000.0f * dt;
            scoreValue += scoreSpeed * dt;
            shownScore = int32_t(std::floor(scoreValue));
            if (scoreValue <= target)
                shownScore = targetScore, scoreValue = target, scoreSpeed = 0.0f;
        }
        char text[32];
        std::snprintf(text, sizeof(text), "%d", shownScore);
        if (CRefPtr<CKMWindow> w = Widget(kFormQuest, 6))
            if (!questMode)
                static_cast<CKMStatic*>(w.Get())->SetString(text);
    }

    if (!questMode)
    {
        if (gaugePosition != gaugeTarget)
        {
            if (gaugePosition > gaugeTarget)
                gaugePosition = std::max(gaugeTarget, gaugePosition - gaugeSpeed * dt);
            else
                gaugePosition = std::min(gaugeTarget, gaugePosition + gaugeSpeed * dt);
            PoseTimeGauge(gaugePosition, 0);
        }
        const WidgetList& warning = List(kFormQuest, 2);
        if (warningActive && warning.size() >= 2)
        {
            warningTime += dt;
            if (warningTime >= 0.75f)
            {
                warningActive = 0;
                warningPhase = warningTime = 0.0f;
                warning[1]->SetVisible(0);
                warning[0]->SetColor(0xFFFFFFFFu);
            }
            else
            {
                warningPhase += 25.132742f * dt;
                const float a = (1.0f - std::cos(warningPhase)) * 0.5f;
                warning[1]->SetAlpha(a);
                const uint32_t grey = uint32_t(std::floor(32.0f + 223.0f * a));
                warning[0]->SetColor(0xFF000000u | grey << 16 | grey << 8 | grey);
            }
        }
    }

    // The click-here pointer bobs over its point while the tip shows.
    CRefPtr<CKMForm> tutorial = FormAt(kFormTutorial);
    const CFormBlock& tips = blocks[kFormTutorial];
    if (tutorial && tutorial->visible && tips.groups.size() > 4 && !tips.groups[4].widgets.empty() &&
        tips.groups[4].widgets[0]->visible && questLayout)
    {
        arrowPhase += questLayout->clickHereW * dt;
        if (arrowPhase > 6.2831855f)
            arrowPhase -= 6.2831855f;
        PlaceClickHereTip(arrowBaseX, arrowBaseY - questLayout->clickHereA * std::sin(arrowPhase));
    }

    // "Click to continue" blinks on the won level, the quest's end and the newspaper.
    struct Blink
    {
        int form;
        int list;
        int timer;
        float period;
    };
    const Blink blinks[] = {{kFormBackground, 0, 0, 3.0f}, {kFormWin, 0, 1, 2.0f}, {kFormNewspaper, 0, 1, 2.0f}};
    for (const Blink& b : blinks)
    {
        CRefPtr<CKMForm> form = FormAt(b.form);
        const WidgetList& list = List(b.form, b.list);
        if (!form || !form->visible || !form->enabled || list.empty())
            continue;
        blinkTimers[b.timer] += dt;
        if (blinkTimers[b.timer] > b.period)
        {
            if (list[0]->visible)
                FadeOutGroup(list, 1.0f);
            else
                FadeInGroup(list, 1.0f);
            blinkTimers[b.timer] = 0.0f;
        }
    }
}

void CInterface::SetGaugeTarget(float t)
{
    gaugeTarget = std::max(0.0f, std::min(1.0f, t));
}

void CInterface::SetWarningPulse(int on)
{
    const WidgetList& warning = List(kFormQuest, 2);
    if (!on)
    {
        warningActive = 0;
        warningPhase = warningTime = 0.0f;
        return;
    }
    if (!warningActive && warning.size() >= 2)
    {
        warning[1]->SetVisible(1);
        warning[1]->SetAlpha(0.0f);
    }
    warningTime = 0.0f;
    warningActive = 1;
    if (soundBank)
        soundBank->Play(soundBank->Warning, 0, 0);
}

// Moves a tutorial group so that its first widget is at (x, y) and the others keep
// their places around it.
void CInterface::PlaceGroup(int group, int points, float x, float y)
{
    CRefPtr<CKMForm> form = FormAt(kFormTutorial);
    const WidgetList& widgets = Group(kFormTutorial, group).widgets;
    const std::vector<float>& rest = blocks[kFormTutorial].points[size_t(points)];
    if (!form || widgets.empty())
        return;
    form->SetChildPosition(widgets[0], x, y, widgets[0]->localPosition.z);
    for (size_t i = 1; i < widgets.size() && i * 2 + 1 < rest.size(); ++i)
        form->SetChildPosition(widgets[i], x + rest[i * 2] - rest[0], y + rest[i * 2 + 1] - rest[1],
                               widgets[i]->localPosition.z);
}

void CInterface::PlaceClickHere(float x, float y)
{
    // The point the tip bobs over from now on.
    arrowBaseX = x;
    arrowBaseY = y;
    PlaceClickHereTip(x, y);
}

void CInterface::PlaceClickHereTip(float x, float y)
{
    const WidgetList& widgets = Group(kFormTutorial, 4).widgets;
    if (widgets.empty() || !questLayout)
        return;
    const KMSize size = widgets[0]->baseSize;
    PlaceGroup(4, 1, x - questLayout->clickHerePoint[0] + size.w / 2, y - questLayout->clickHerePoint[1] - size.h / 2);
}

void CInterface::PlaceSwapThese(float x, float y)
{
    const WidgetList& widgets = Group(kFormTutorial, 6).widgets;
    if (widgets.empty() || !questLayout)
        return;
    const KMSize size = widgets[0]->baseSize;
    PlaceGroup(6, 2, std::floor(x - questLayout->swapThesePoint[0] + size.w / 2),
               std::floor(y - questLayout->swapThesePoint[1] - size.h / 2));
}

void CInterface::PlaceArrowWindow(float x, float y)
{
    CRefPtr<CKMForm> form = FormAt(kFormTutorial);
    CRefPtr<CKMWindow> up = Widget(kFormTutorial, 200), down = Widget(kFormTutorial, 201);
    const WidgetList& window = Group(kFormTutorial, 1).widgets;
    if (!form || !up || !down || window.empty() || !questLayout)
        return;
    const CQuestLayout& q = *questLayout;
    const bool pointsUp = y >= 0.0f;
    CRefPtr<CKMWindow> arrow = pointsUp ? up : down;
    const float w = arrow->baseSize.w, h = arrow->baseSize.h;
    const float arrowY = std::floor(pointsUp ? y - h / 2 : y + h / 2);
    form->SetChildPosition(arrow, std::floor(x), arrowY, arrow->localPosition.z);
    const float* shift = pointsUp ? q.arrowUpShift : q.arrowDownShift;
    const float margin = shift[0], width = q.arrowWinSize[0];
    float edge = q.arrowWinPrefX;
    if (x - w / 2 - margin < edge)
        edge = x - w / 2 - margin;
    else if (edge + width < x + w / 2 + margin)
        edge = x + w / 2 + margin - width;
    const KMSize first = window[0]->baseSize;
    const float wy = pointsUp ? arrowY + h / 2 - shift[1] - first.h / 2
                              : arrowY + h / 2 - shift[1] + q.arrowWinSize[1] - first.h / 2;
    // The window's own widgets follow their rest points; the arrows are placed above.
    const std::vector<float>& rest = blocks[kFormTutorial].points[0];
    form->SetChildPosition(window[0], std::floor(edge + first.w / 2), wy, window[0]->localPosition.z);
    for (size_t i = 1; i < window.size() && i * 2 + 1 < rest.size(); ++i)
        form->SetChildPosition(window[i], std::floor(edge + first.w / 2) + rest[i * 2] - rest[0],
                               wy + rest[i * 2 + 1] - rest[1], window[i]->localPosition.z);
    arrow->SetVisible(1);
    (pointsUp ? down : up)->SetVisible(0);
}

// ---------------------------------------------------------------------------------
// Labels of the screens

namespace {

void SetLabel(const CRefPtr<CKMWindow>& w, const char* text)
{
    if (w)
        static_cast<CKMStatic*>(w.Get())->SetString(text);
}

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

void CInterface::SetLevelLabelText(const char* text)
{
    SetLabel(Widget(kFormNewLevel, 1), text);
}

void CInterface::SetLevelDifficultyCaption(int level, int difficulty)
{
    int32_t stage = 0, index = 0;
    SplitLevelIndex(level, stage, index);
    char name[256], text[320];
    GetStringById(difficulty == 1 ? 33 : 32, name, sizeof(name));
    std::snprintf(text, sizeof(text), "%d-%d\n%s", stage, index, name);
    SetLabel(Widget(kFormStartQuest, 1), text);
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

void CInterface::HideAllGroups()
{
    for (const CWidgetGroup& g : blocks[kFormTutorial].groups)
        for (const CRefPtr<CKMWindow>& w : g.widgets)
            w->SetVisible(0);
}

void CInterface::ShowGroup(int group)
{
    for (const CRefPtr<CKMWindow>& w : Group(kFormTutorial, group).widgets)
        w->SetVisible(1);
}

void CInterface::PoseShopGauge(float t)
{
    t = std::max(0.0f, std::min(1.0f, t));
    // The shop's dial lies in a square of its controls picture.
    PoseQuarters(List(kFormShop, 0), t, 0.591796875f, 0.7421875f, 0.171875f);
    for (const CRefPtr<CKMWindow>& hand : List(kFormShop, 1))
        if (hand && !hand->sprites.empty())
            hand->sprites[0]->SetRotation(6.2831855f * t - 1.5707964f);
}
