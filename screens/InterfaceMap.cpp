// CInterface: the quest map's page of a level, the level captions and the map's
// pictures that hold video memory only while their stage is shown.
#include "screens/Interface.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/Log.h"
#include "engine/StringTable.h"
#include "board/LevelParams.h"
#include "render/Device.h"
#include "render/SpriteShape.h"
#include "screens/InterfaceParts.h"
#include "hud/QuestLayout.h"
#include "ui/KMStatic.h"

using namespace interface_detail;

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

