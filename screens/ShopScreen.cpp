// The shop screen: opening and closing it, its frame update (the description under
// the mouse, the stars' flights and arrivals, the fade, the lock stubs cracking as
// new places open) and what an item's level shows on the Shop form.
#include "screens/Shop.h"

#include "audio/SoundBank.h"
#include "board/LevelParams.h"
#include "engine/StringTable.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "screens/Interface.h"
#include "totems/TotemsManager.h"
#include "ui/KMForm.h"
#include "ui/KMStatic.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The Shop form's bindings: per-item lists and the groups of item 8's levels.
enum ShopBinding
{
    kListAnchors = 5,
    kListPlus = 6,
    kListFrames = 7,
    kListItemPictures = 8,
    kGroupGemCountLevels = 0,  // groups 0..4: item 8 at levels 0..4
    kGroupBonusLocks = 5,      // groups 5..10: the lock of bonus items 10..15 not owned yet
};

const int kShopFirstBonusItem = 10;

enum ShopWidget
{
    kWidgetDescription = 1,
    kWidgetEmptySource = 2,
    kWidgetSource = 7,
};

// A fade speed that ends any fade within a frame.
const float kAtOnce = 1000.0f;

const uint32_t kShown = 0xFFFFFFFFu;
const uint32_t kDimmed = 0x80FFFFFFu;

ShopRect RectOf(const CRefPtr<CKMWindow>& w)
{
    ShopRect r;
    if (w)
        r = {w->worldPosition.x, w->worldPosition.y, w->size.w, w->size.h};
    return r;
}

void ReadRects(const WidgetList& list, std::array<ShopRect, CShopItemTable::kItemCount>& rects)
{
    for (size_t i = 0; i < rects.size(); ++i)
        rects[i] = i < list.size() ? RectOf(list[i]) : ShopRect();
}

CKMWindow* ItemWidget(CInterface* ui, int list, int item)
{
    if (!ui)
        return nullptr;
    const WidgetList& widgets = ui->List(kFormShop, list);
    return size_t(item) < widgets.size() ? widgets[size_t(item)].Get() : nullptr;
}

}  // namespace

void CShop::ReadLayout()
{
    if (!ui)
        return;
    CRefPtr<CKMForm> form = ui->FormAt(kFormShop);
    if (!form)
        return;
    layout.z = form->worldPosition.z;
    layout.zOrder = form->zOrder;
    layout.open = form->enabled && form->active;
    layout.source = RectOf(ui->Widget(kFormShop, kWidgetSource));
    ReadRects(ui->List(kFormShop, kListItemPictures), layout.pictures);
    ReadRects(ui->List(kFormShop, kListFrames), layout.frames);
    ReadRects(ui->List(kFormShop, kListAnchors), layout.anchors);
    ReadRects(ui->List(kFormShop, kListPlus), layout.plus);
}

bool CShop::FormOpen()
{
    ReadLayout();
    return layout.open;
}

void CShop::UpdateButtons()
{
    for (int i = 0; i < kItemCount; ++i)
    {
        const size_t n = size_t(i);
        if (CKMWindow* anchor = ItemWidget(ui, kListAnchors, i))
            anchor->SetActive(items.levels[n] > 0 ? 1 : 0);
        if (CKMWindow* plus = ItemWidget(ui, kListPlus, i))
            plus->SetActive(items.levels[n] >= 0 && items.limits[n] >= 1 && Committed(i) < items.limits[n] ? 1 : 0);
    }
}

void CShop::TintItem(int item, uint32_t colour)
{
    for (int list : {kListFrames, kListAnchors, kListPlus})
        if (CKMWindow* w = ItemWidget(ui, list, item))
            w->SetColor(colour);
}

void CShop::DimRuleWidgets(int item, bool dim)
{
    // Tinted list A holds the time upgrade's dial, list C the gem count's digits; the
    // sand glass's rays and dial (list B) stay as they are.
    const int tinted = item == kShopItemTime ? 0 : item == kShopItemGemCount ? 2 : -1;
    if (ui && tinted >= 0)
        ui->TintShopList(tinted, dim ? settings.disabledAlpha : 1.0f);
}

// An owned bonus stands on its item as it looks on the board at its level; the
// item's own picture and its lock show while it is not owned.
void CShop::ShowBonusLock(int item, int level)
{
    if (!ui)
        return;
    for (const CRefPtr<CKMWindow>& lock : ui->Group(kFormShop, kGroupBonusLocks + item - kShopFirstBonusItem).widgets)
        if (lock)
            lock->SetVisible(level < 0 ? 1 : 0);
    if (CKMWindow* picture = ItemWidget(ui, kListItemPictures, item))
        picture->SetVisible(level >= 0 && bonusMaker ? 0 : 1);
}

void CShop::SetItemLevel(int item, int level, int quick)
{
    if (!CShopItemTable::IsItem(item))
        return;
    items.levels[size_t(item)] = level;
    if (items.kinds[size_t(item)] == kShopItemBonus && item >= kShopFirstBonusItem)
    {
        ShowBonusLock(item, level);
        if (display > 0.0f || fadeDirection > 0)
            ShowBonusPicture(item, level, quick ? 2.0f : 0.05f);
    }
    else if (item == kShopItemSandGlass)
        ShowSecondsNote(level);
    else if (!ui)
        return;
    else if (item == kShopItemTime)
        ui->PoseShopGauge(GetTierTime(level) / GetTierTime(items.maxLevels[kShopItemTime]));
    else if (items.kinds[size_t(item)] == kShopItemTotem && totems)
        totems->ShowShopTotem(items.subIds[size_t(item)], level, quick ? 0.5f : 5.0f);
    else if (item == kShopItemGemCount)
        for (int g = 0; g <= items.maxLevels[kShopItemGemCount]; ++g)
        {
            const WidgetList& group = ui->Group(kFormShop, kGroupGemCountLevels + g).widgets;
            if (g == level)
                ui->FadeInGroup(group, 5.0f);
            else
                ui->FadeOutGroup(group, 5.0f);
        }
}

// The empty-source label stands over the star source exactly while no free star is left.
void CShop::ShowEmptySourceLabel()
{
    if (!ui)
        return;
    if (CRefPtr<CKMWindow> label = ui->Widget(kFormShop, kWidgetEmptySource))
        label->SetVisible(items.freeStars < 1 ? 1 : 0);
}

void CShop::SetDescription(const char* text)
{
    if (!ui)
        return;
    if (CRefPtr<CKMWindow> w = ui->Widget(kFormShop, kWidgetDescription))
        static_cast<CKMStatic*>(w.Get())->SetString(text);
}

void CShop::BuildStars(float rate)
{
    stars.clear();
    for (int i = 0; i < kItemCount; ++i)
        for (int k = 1; k <= items.levels[size_t(i)]; ++k)
        {
            const Vec3 place = PlaceOf(i, k);
            CRefPtr<CShopStar> star = NewStar();
            star->PlaceOnItem(place.x, place.y, place.z, RestingOrder());
            star->item = i;
            star->Fade(true, rate);
            stars.push_back(star);
        }
    RebuildSourceStars();
    for (const CRefPtr<CShopStar>& star : stars)
        if (star->state == kStarAtSource)
            star->Fade(true, rate);
}

void CShop::BuildStubs()
{
    stubTimer = 0.0f;
    if (sprites)
        for (const CRefPtr<CSpriteShape>& stub : stubs)
            sprites->Remove(stub);
    stubs.clear();
    crackQueue.clear();
    for (int i = 0; i < kItemCount; ++i)
    {
        const size_t n = size_t(i);
        const int places = items.maxLevels[n];
        const ShopRect& anchor = layout.anchors[n];
        for (int k = std::clamp(items.limits[n], 0, places); k < places; ++k)
        {
            const float* shift = settings.StubShift(places, k + 1);
            CRefPtr<CSpriteShape> stub(new CSpriteShape(anchor.x + shift[0], anchor.y + shift[1], RestingZ() + 0.1f,
                                                        28.0f, 28.0f, kShown, stubTexture, 1));
            stub->SetFrameUV(0, kLockedPlaceUV[0], kLockedPlaceUV[1], kLockedPlaceUV[2], kLockedPlaceUV[3]);
            if (items.limits[n] <= 0)
                stub->SetColor(uint32_t(std::floor(settings.disabledAlpha * 255.0f)) << 24 | 0xFFFFFFu);
            // Item 1's stubs lie one step lower: item 0's frame overlaps them.
            stub->zOrder = RestingOrder() + (i == 1 ? 1 : 2);
            // The stubs fade in with the screen (a closed shop opened at once shows them at once).
            stub->SetAlpha(0.0f);
            stub->fadeSpeed = fadeRate > 0.0f ? fadeRate : kAtOnce;
            stub->FadeTo(1.0f);
            if (sprites)
                sprites->Add(stub);
            stubs.push_back(stub);
        }
    }
}

void CShop::RevealUnlocks(int level)
{
    const std::array<int32_t, kItemCount> old = items.limits;
    // The first crack comes a full period after the queue fills.
    if (crackQueue.empty())
        stubTimer = 0.0f;
    items.UnlockForLevel(level);
    // Stubs sit item after item, one per place the item cannot use yet.
    size_t first = 0;
    for (int i = 0; i < kItemCount; ++i)
    {
        const size_t n = size_t(i);
        const int places = items.maxLevels[n];
        const int before = std::clamp(old[n], 0, places), after = std::clamp(items.limits[n], 0, places);
        if (items.limits[n] > old[n])
        {
            if (items.levels[n] < 0)
                SetItemLevel(i, 0, 1);
            if (old[n] < 1)
                TintItem(i, kShown);
            if (old[n] < 1 && i == kShopItemSandGlass)
                DimSandGlass(false);
            if (old[n] < 1)
                DimRuleWidgets(i, false);
            for (int k = 0; k < after - before && first + size_t(k) < stubs.size(); ++k)
                crackQueue.push_back(stubs[first + size_t(k)]);
            if (old[n] < 1)
                for (size_t k = first; k < first + size_t(places - before) && k < stubs.size(); ++k)
                    stubs[k]->SetColor(kShown);
        }
        first += size_t(places - before);
    }
    UpdateButtons();
}

void CShop::Refresh(int show, float rate, int level)
{
    forLevel = level;
    fadeRate = rate;
    pointerTimer = 0.0f;
    if (!show)
    {
        SettlePendingStars();
        fadeDirection = rate > 0.0f ? -1 : 0;
        if (rate <= 0.0f)
            display = 0.0f;
        for (const CRefPtr<CShopStar>& star : stars)
            star->Fade(false, rate > 0.0f ? rate : kAtOnce);
        for (const CRefPtr<CSpriteShape>& stub : stubs)
            stub->FadeTo(0.0f);
        crackQueue.clear();
        // Closed at once: nothing is left to fade out.
        if (rate <= 0.0f)
            DropStarsAndStubs();
        if (totems)
            totems->FadeOutAll(rate);
        DropSandGlass(rate);
        DropBonusPictures(rate);
        return;
    }
    fadeDirection = rate > 0.0f ? 1 : 0;
    display = rate > 0.0f ? 0.0f : 1.0f;
    ReadLayout();
    if (totems)
    {
        ApplyTotemLevels(totems->m_levels);
        totems->FadeOutAll(rate);
        totems->ShowShopTotems(rate);
    }
    SetItemLevel(kShopItemTime, items.levels[kShopItemTime], 1);
    SetItemLevel(kShopItemGemCount, items.levels[kShopItemGemCount], 1);
    for (int item : {kShopItemTime, kShopItemGemCount})
        DimRuleWidgets(item, items.limits[size_t(item)] < 1);
    BuildSandGlass(rate);
    // The bonus pictures drop into place as the screen fades in.
    DropBonusPictures(0.0f);
    for (int i = kShopFirstBonusItem; i < kItemCount; ++i)
    {
        ShowBonusLock(i, items.levels[size_t(i)]);
        ShowBonusPicture(i, items.levels[size_t(i)], rate > 0.0f ? 1.0f / rate : 0.0f);
    }
    BuildStars(rate);
    BuildStubs();
    UpdateButtons();
    for (int i = 0; i < kItemCount; ++i)
        TintItem(i, items.limits[size_t(i)] < 1 ? kDimmed : kShown);
    hover = {{-1, -1, -1}};
    char text[512] = "";
    GetStringById(kStringInstructions, text, sizeof(text));
    SetDescription(text);
}

void CShop::UpdateDescription(float x, float y)
{
    int item = -1, kind = 0;
    for (int i = 0; i < kItemCount && item < 0; ++i)
        if (layout.pictures[size_t(i)].Contains(x, y) || layout.frames[size_t(i)].Contains(x, y))
            item = i;
    for (int i = 0; i < kItemCount; ++i)
        if (layout.anchors[size_t(i)].Contains(x, y) || layout.plus[size_t(i)].Contains(x, y))
        {
            item = i;
            kind = layout.plus[size_t(i)].Contains(x, y) ? 1 : -1;
            break;
        }
    int table = -1, index = -1;
    if (item >= 0)
    {
        const size_t n = size_t(item);
        if (kind == 1)
        {
            index = items.levels[n] + 1;
            table = items.levels[n] < items.limits[n] ? 2 : 1;
        }
        else
        {
            table = kind + 1;
            index = items.limits[n] < 0 ? 0 : items.levels[n] + 1;
        }
    }
    if (hover[0] == item && hover[1] == index && hover[2] == table)
        return;
    hover = {{item, index, table}};
    if (item < 0)
    {
        char text[512] = "";
        GetStringById(kStringInstructions, text, sizeof(text));
        SetDescription(text);
        return;
    }
    const auto& texts = table == 0 ? items.texts1[size_t(item)] : table == 1 ? items.texts2[size_t(item)] : items.texts3[size_t(item)];
    std::string text = size_t(index) < texts.size() ? texts[size_t(index)] : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    SetDescription(text.c_str());
}

void CShop::UpdateFade(float dt, int& opened)
{
    if (fadeDirection > 0)
    {
        display += fadeRate > 0.0f ? dt * fadeRate : 1.0f;
        if (display >= 1.0f)
        {
            display = 1.0f;
            fadeDirection = 0;
            opened = 1;
            RevealUnlocks(forLevel);
        }
    }
    else if (fadeDirection < 0)
    {
        display -= fadeRate > 0.0f ? dt * fadeRate : 1.0f;
        if (display <= 0.0f)
        {
            display = 0.0f;
            fadeDirection = 0;
            DropStarsAndStubs();
        }
    }
}

void CShop::DropStarsAndStubs()
{
    stars.clear();
    if (sprites)
        for (const CRefPtr<CSpriteShape>& stub : stubs)
            sprites->Remove(stub);
    stubs.clear();
}

void CShop::CrackStubs(float dt)
{
    if (crackQueue.empty())
        return;
    stubTimer += dt;
    // A period of nothing cracks the whole queue at once.
    size_t count = crackQueue.size();
    if (settings.stubT > 0.0f)
    {
        count = size_t(std::floor(stubTimer / settings.stubT));
        stubTimer -= float(count) * settings.stubT;
    }
    for (size_t k = 0; k < count && !crackQueue.empty(); ++k)
    {
        CRefPtr<CSpriteShape> stub = crackQueue.front();
        crackQueue.erase(crackQueue.begin());
        CrackStub(stub);
        if (sounds)
            sounds->PlayPanned(sounds->Explode2, stub->position.x, 0, 0);
        if (sprites)
            sprites->Remove(stub);
        stubs.erase(std::remove(stubs.begin(), stubs.end(), stub), stubs.end());
    }
}

int CShop::Update(float dt, float mouseX, float mouseY)
{
    ReadLayout();
    if (layout.open && display > 0.0f)
        UpdateDescription(mouseX, mouseY);
    // An arrival at the source rebuilds the source row, which moves the other stars
    // in the list: every star of the frame's start is found again before it moves.
    const std::vector<CRefPtr<CShopStar>> moving = stars;
    for (const CRefPtr<CShopStar>& handle : moving)
    {
        const auto at = std::find(stars.begin(), stars.end(), handle);
        if (at == stars.end())
            continue; // an earlier arrival took it off the source row
        const size_t i = size_t(at - stars.begin());
        CShopStar& star = *stars[i];
        if (star.state == kStarDragged)
            star.SetPosition(std::floor(mouseX) - 0.5f, std::floor(mouseY) + 0.5f, star.position.z);
        if (!star.Update(dt))
            continue;
        if (star.state == kStarFlyingToItem)
        {
            const int item = star.item;
            ArriveAtItem(i);
            if (CShopItemTable::IsItem(item))
                PlayUpgrade(PlaceOf(item, items.levels[size_t(item)]).x);
        }
        else
            ArriveAtSource(i);
    }
    // Stubs queued by this frame's reveal wait a whole period from now.
    CrackStubs(dt);
    int opened = 0;
    UpdateFade(dt, opened);
    UpdateSandGlass();
    UpdateBonusPictures(dt);
    UpdateRays(dt);
    UpdateBackground(dt);
    UpdatePointers(dt);
    return opened;
}
