// The shop's stars and their rules: counts, input, settling before a save.
#include "screens/Shop.h"

#include "audio/SoundBank.h"
#include "bonuses/Bonus.h"
#include "effects/ParticleSystem.h"
#include "engine/IniReader.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

CShopSettings::CShopSettings()
{
    for (auto& table : starShift)
        for (auto& place : table)
        {
            place[0] = 31.0f;
            place[1] = 5.0f;
        }
    for (int n = 0; n < 2; ++n)
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < 2; ++c)
                stubShift[n][k][c] = starShift[n][k][c];
}

void CShopSettings::Load(const char* file, const char* section)
{
    // Places: "Star%dShift%d" for items of 3 and of 4 places; offsets are stored y up.
    for (int n = 3; n <= 4; ++n)
        for (int k = 1; k <= n; ++k)
        {
            char key[32];
            float value[2] = {31.0f, -5.0f};
            std::snprintf(key, sizeof(key), "Star%dShift%d", n, k);
            ReadIniFloat2(value, file, section, key, "31 -5");
            starShift[n - 3][k - 1][0] = value[0];
            starShift[n - 3][k - 1][1] = -value[1];
            value[0] = 31.0f;
            value[1] = -5.0f;
            std::snprintf(key, sizeof(key), "Stub%dShift%d", n, k);
            ReadIniFloat2(value, file, section, key, "31 -5");
            stubShift[n - 3][k - 1][0] = value[0];
            stubShift[n - 3][k - 1][1] = -value[1];
        }
    starsZShift = ReadIniFloat(file, section, "StarsZShift", "-30");
    starsZOrderShift = ReadIniInt(file, section, "StarsZOrderShift", "-30");
    float panel[3] = {381.0f, 743.0f, 264.0f};
    ReadIniFloat3(panel, file, section, "StarsSrcPanel", "381 743 264");
    srcPanel[0] = panel[0] - 512.5f;
    srcPanel[1] = 384.5f - panel[1];
    srcPanel[2] = panel[2];
    starFlySpeed = ReadIniFloat(file, section, "StarFlySpeed", "2500");
    float station[2] = {-2.0f, -1.0f};
    ReadIniFloat2(station, file, section, "StarStationToFly", "-2 -1");
    stationToFly[0] = station[0];
    stationToFly[1] = -station[1];
    stubT = ReadIniFloat(file, section, "StubT", "0.4");
    disabledAlpha = ReadIniFloat(file, section, "DisabledAlpha", "0.5");
    ReadIniFloat2(backgroundTSpeed, file, section, "BackgroundTSpeed", "0.25 -0.1545");
    ReadIniFloat2(backgroundTSize, file, section, "BackgroundTSize", "1 0.75");
    sandboxRaysW = -ReadIniFloat(file, section, "SandboxRaysW", "-0.125") * 3.1415927f;
    starTailSize = ReadIniFloat(file, section, "StarTailSize", "32");
    starTailColor = ReadIniColor(file, section, "StarTailColor", "255 255 127 255");
    starTailIntensity = ReadIniFloat(file, section, "StarTailIntensity", "80");
    stubHaloColor = ReadIniColor(file, section, "StubHaloColor", "255 127 127 255");
    stubHaloSize = ReadIniFloat(file, section, "StubHaloSize", "80");
    stubHaloLifeTime = ReadIniTime(file, section, "StubHaloLifeTime", "0.5");
    pointersT = ReadIniFloat(file, section, "PointersT", "1");
    pointersColor = ReadIniColor(file, section, "PointersColor", "255 255 120 255");
    pointersLifeTime = ReadIniTime(file, section, "PointersLifeTime", "1");
    LoadSandGlass(file, section);
}

void CShopSettings::LoadSandGlass(const char* file, const char* section)
{
    const float texel = 0.001953125f;
    bonusZShift = ReadIniFloat(file, section, "BonusZShift", "-20");
    sandboxFrontZOrderShift = ReadIniInt(file, section, "SandboxFrontZOrderShift", "-10");
    // The position is the picture's top-left corner on the screen; kept as its centre.
    float pos[3] = {425.0f, 304.0f, -20.0f};
    ReadIniFloat3(pos, file, section, "SandboxFrontPos", "425 304 -20");
    sandboxFrontSize[0] = 178.0f;
    sandboxFrontSize[1] = 60.0f;
    ReadIniFloat2(sandboxFrontSize, file, section, "SandboxFrontSize", "178 60");
    sandboxFrontPos[0] = pos[0] - 512.5f + sandboxFrontSize[0] * 0.5f;
    sandboxFrontPos[1] = 384.5f - pos[1] - sandboxFrontSize[1] * 0.5f;
    sandboxFrontPos[2] = pos[2];
    const float front[4] = {162.0f, 440.0f, 340.0f, 500.0f}, glass[4] = {0.0f, 380.0f, 178.0f, 440.0f};
    float t[4] = {front[0], front[1], front[2], front[3]};
    ReadIniFloat4(t, file, section, "SandboxFrontT", "162 440 340 500");
    for (int k = 0; k < 4; ++k)
        sandboxFrontT[k] = t[k] * texel;
    std::copy(glass, glass + 4, t);
    ReadIniFloat4(t, file, section, "SandboxGlassT", "0 380 178 440");
    for (int k = 0; k < 4; ++k)
        sandboxGlassT[k] = t[k] * texel;
    sandboxGlassColor = ReadIniColor(file, section, "SandboxGlassColor", "108 200 247 255");
    sandboxDustSize = ReadIniFloat(file, section, "SandboxDustSize", "10");
    sandboxDustColor = ReadIniColor(file, section, "SandboxDustColor", "247 217 107 127");
    sandboxDustAlpha = float(sandboxDustColor >> 24) / 255.0f;
    float note[3] = {514.0f, 334.0f, -21.0f};
    ReadIniFloat3(note, file, section, "SandboxNote", "514 334 -21");
    sandboxNote[0] = note[0] - 512.5f;
    sandboxNote[1] = 384.5f - note[1];
    sandboxNote[2] = note[2];
    sandboxNoteColor = ReadIniColor(file, section, "SandboxNoteColor", "255 255 72 255");
    sandboxNoteAlpha = float(sandboxNoteColor >> 24) / 255.0f;
}

const float* CShopSettings::StarShift(int places, int k) const
{
    const int n = places >= 4 ? 1 : 0;
    return starShift[n][k < 1 ? 0 : k > 4 ? 3 : k - 1];
}

const float* CShopSettings::StubShift(int places, int k) const
{
    const int n = places >= 4 ? 1 : 0;
    return stubShift[n][k < 1 ? 0 : k > 4 ? 3 : k - 1];
}

CShop::CShop()
{
    stars.reserve(80);
    stubs.reserve(60);
}

CShop::~CShop()
{
    stars.clear();
    if (sprites)
        for (const CRefPtr<CSpriteShape>& stub : stubs)
            sprites->Remove(stub);
    DropPulses();
    DropSandGlass(0.0f);
    DropBonusPictures(0.0f);
}

void CShop::SetInterface(CInterface* interfaceObject)
{
    ui = interfaceObject;
}

void CShop::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CTexture> stub, CRefPtr<CTexture> star, CSoundBank* bank)
{
    sprites = list;
    stubTexture = stub;
    starTexture = star;
    sounds = bank;
}

void CShop::ApplyTotemLevels(int32_t* totemLevels) const
{
    if (!totemLevels)
        return;
    for (int i = 0; i < kItemCount; ++i)
        if (items.kinds[size_t(i)] == kShopItemTotem && items.subIds[size_t(i)] >= 0 && items.subIds[size_t(i)] < 7)
            totemLevels[items.subIds[size_t(i)]] = items.levels[size_t(i)];
}

int CShop::CountStars() const
{
    int count = items.freeStars;
    for (const CRefPtr<CShopStar>& star : stars)
        if (star && star->SourceBound())
            ++count;
    return count;
}

int CShop::Incoming(int item) const
{
    int count = 0;
    for (const CRefPtr<CShopStar>& star : stars)
        if (star && star->state == kStarFlyingToItem && star->item == item)
            ++count;
    return count;
}

int CShop::CanTakeStar() const
{
    for (int i = 0; i < kItemCount; ++i)
        if (Committed(i) < items.limits[size_t(i)])
            return 1;
    return 0;
}

bool CShop::TakesStar(int item) const
{
    const int32_t limit = items.limits[size_t(item)];
    return items.levels[size_t(item)] >= 0 && items.levels[size_t(item)] < limit && Committed(item) < limit;
}

CRefPtr<CShopStar> CShop::NewStar() const
{
    CRefPtr<CShopStar> star(new CShopStar());
    star->SetResources(sprites, stubTexture, starTexture);
    star->SetTail(tailParticles, tailTexture, settings.starTailSize, settings.starTailIntensity, settings.starTailColor);
    return star;
}

Vec3 CShop::PlaceOf(int item, int k) const
{
    const ShopRect& anchor = layout.anchors[size_t(item)];
    const float* shift = settings.StarShift(items.maxLevels[size_t(item)], k);
    return {anchor.x + shift[0], anchor.y + shift[1], RestingZ()};
}

float CShop::SourceSlotX(int index, int count) const
{
    const float left = settings.srcPanel[0] + 24.0f, width = settings.srcPanel[2];
    if (count <= 1 || float(count) * 48.0f <= width)
        return left + 48.0f * float(index);
    return left + (width - 48.0f) / float(count - 1) * float(index);
}

Vec3 CShop::SourceStation() const
{
    const float f = float(items.freeStars), width = settings.srcPanel[2];
    float x = (f + 1.0f) * 48.0f < width ? settings.srcPanel[0] + 24.0f + 48.0f * f : settings.srcPanel[0] + width - 24.0f;
    x += settings.stationToFly[0];
    return {x, settings.srcPanel[1] - settings.stationToFly[1], MovingZ()};
}

int CShop::FirstStar(int state) const
{
    for (size_t i = 0; i < stars.size(); ++i)
        if (stars[i] && stars[i]->state == state)
            return int(i);
    return -1;
}

int CShop::TopStarOf(int item) const
{
    int best = -1;
    for (size_t i = 0; i < stars.size(); ++i)
        if (stars[i] && stars[i]->state == kStarOnItem && stars[i]->item == item &&
            (best < 0 || stars[i]->position.x > stars[size_t(best)]->position.x))
            best = int(i);
    return best;
}

int CShop::ItemUnder(float x, float y, bool withControls) const
{
    for (int i = 0; i < kItemCount; ++i)
    {
        const size_t n = size_t(i);
        if (layout.pictures[n].Contains(x, y) || layout.frames[n].Contains(x, y))
            return i;
        if (withControls && (layout.anchors[n].Contains(x, y) || layout.plus[n].Contains(x, y)))
            return i;
    }
    return -1;
}

void CShop::RebuildSourceStars()
{
    for (size_t i = 0; i < stars.size();)
        if (stars[i] && stars[i]->state == kStarAtSource)
            stars.erase(stars.begin() + std::ptrdiff_t(i));
        else
            ++i;
    for (int k = 0; k < items.freeStars; ++k)
    {
        CRefPtr<CShopStar> star = NewStar();
        star->PlaceAtSource(std::floor(SourceSlotX(k, items.freeStars) + 0.5f), settings.srcPanel[1], RestingZ(),
                            RestingOrder());
        stars.push_back(star);
    }
    ShowEmptySourceLabel();
}

void CShop::PickUp(int index, float x, float y)
{
    CRefPtr<CShopStar> star = NewStar();
    star->StartDrag(x, y, MovingZ(), MovingOrder());
    stars[size_t(index)] = star;
}

void CShop::OnMouseDown(float x, float y)
{
    if (!FormOpen())
        return;
    if (items.freeStars > 0 && layout.source.Contains(x, y))
    {
        const int index = FirstStar(kStarAtSource);
        if (index < 0)
            return;
        PickUp(index, x, y);
        --items.freeStars;
        RebuildSourceStars();
        return;
    }
    for (int i = 0; i < kItemCount; ++i)
    {
        if (!layout.pictures[size_t(i)].Contains(x, y) && !layout.frames[size_t(i)].Contains(x, y))
            continue;
        const int index = TopStarOf(i);
        if (index < 0)
            continue;
        PickUp(index, x, y);
        SetItemLevel(i, items.levels[size_t(i)] - 1, 0);
        UpdateButtons();
        PlayUpgrade(x);
        return;
    }
}

void CShop::SendBack(int index, const Vec3& target)
{
    const Vec3 at = stars[size_t(index)]->position;
    CRefPtr<CShopStar> star = NewStar();
    star->Fly(kStarReturning, at, target, settings.starFlySpeed, MovingOrder());
    stars[size_t(index)] = star;
}

void CShop::OnMouseUp(float x, float y)
{
    if (!FormOpen())
        return;
    int index = FirstStar(kStarDragged);
    if (index < 0)
        return;
    if (!layout.source.Contains(x, y))
        for (int i = 0; i < kItemCount; ++i)
        {
            const size_t n = size_t(i);
            if (!layout.pictures[n].Contains(x, y) && !layout.frames[n].Contains(x, y) &&
                !layout.anchors[n].Contains(x, y) && !layout.plus[n].Contains(x, y))
                continue;
            if (!TakesStar(i))
                continue;
            Vec3 target = PlaceOf(i, Committed(i) + 1);
            target.z = MovingZ();
            CRefPtr<CShopStar> star = NewStar();
            star->Fly(kStarFlyingToItem, stars[size_t(index)]->position, target, settings.starFlySpeed, MovingOrder());
            star->item = i;
            stars[size_t(index)] = star;
            break;
        }
    // Whatever is still held goes back to the source, all to the same station.
    const Vec3 station = SourceStation();
    for (size_t i = 0; i < stars.size(); ++i)
        if (stars[i] && stars[i]->state == kStarDragged)
            SendBack(int(i), station);
}

int CShop::OnClick(int item, int up)
{
    if (!CShopItemTable::IsItem(item))
        return 0;
    const size_t n = size_t(item);
    if (!up)
    {
        const int index = items.levels[n] >= 1 ? TopStarOf(item) : -1;
        if (index < 0)
            return 0;
        Vec3 from = PlaceOf(item, items.levels[n]);
        from.z = MovingZ();
        CRefPtr<CShopStar> star = NewStar();
        star->Fly(kStarFlyingToSource, from, SourceStation(), settings.starFlySpeed, MovingOrder());
        stars[size_t(index)] = star;
        SetItemLevel(item, items.levels[n] - 1, 0);
        PlayUpgrade(from.x);
        UpdateButtons();
        return 1;
    }
    if (!TakesStar(item))
        return 0;
    const bool fromSource = items.freeStars >= 1;
    int index = fromSource ? FirstStar(kStarAtSource) : -1;
    for (size_t i = 0; !fromSource && index < 0 && i < stars.size(); ++i)
        if (stars[i] && (stars[i]->state == kStarReturning || stars[i]->state == kStarFlyingToSource))
            index = int(i);
    if (fromSource && index < 0)
    {
        // Free stars that the screen has not laid out yet still buy.
        stars.push_back(NewStar());
        index = int(stars.size()) - 1;
    }
    if (index < 0)
        return 0;
    Vec3 from = stars[size_t(index)]->position;
    if (fromSource)
    {
        // The last star of the row leaves, from its slot's station.
        const float f = float(items.freeStars), width = settings.srcPanel[2];
        from.x = (f * 48.0f < width ? settings.srcPanel[0] + 24.0f + 48.0f * (f - 1.0f)
                                    : settings.srcPanel[0] + width - 24.0f) +
                 settings.stationToFly[0];
        from.y = settings.srcPanel[1] - settings.stationToFly[1];
        from.z = MovingZ();
    }
    Vec3 target = PlaceOf(item, Committed(item) + 1);
    target.z = MovingZ();
    CRefPtr<CShopStar> star = NewStar();
    star->Fly(kStarFlyingToItem, from, target, settings.starFlySpeed, MovingOrder());
    star->item = item;
    stars[size_t(index)] = star;
    if (fromSource)
    {
        --items.freeStars;
        RebuildSourceStars();
    }
    UpdateButtons();
    return 1;
}

void CShop::ArriveAtItem(size_t index)
{
    const int item = stars[index]->item;
    if (!CShopItemTable::IsItem(item))
    {
        stars.erase(stars.begin() + std::ptrdiff_t(index));
        return;
    }
    const Vec3 place = PlaceOf(item, items.levels[size_t(item)] + 1);
    CRefPtr<CShopStar> star = NewStar();
    star->PlaceOnItem(place.x, place.y, place.z, RestingOrder());
    star->item = item;
    stars[index] = star;
    SetItemLevel(item, items.levels[size_t(item)] + 1, 0);
    UpdateButtons();
}

void CShop::ArriveAtSource(size_t index)
{
    CRefPtr<CShopStar> star = NewStar();
    star->PlaceAtSource(settings.srcPanel[0] + 24.0f, settings.srcPanel[1], RestingZ(), RestingOrder());
    stars[index] = star;
    ++items.freeStars;
    RebuildSourceStars();
    UpdateButtons();
}

void CShop::SettlePendingStars()
{
    // A rebuild of the source row moves stars to other slots: walk until nothing moves.
    for (bool settled = false; !settled;)
    {
        settled = true;
        for (size_t i = 0; i < stars.size(); ++i)
        {
            if (!stars[i] || stars[i]->state == kStarAtSource || stars[i]->state == kStarOnItem)
                continue;
            if (stars[i]->state == kStarFlyingToItem)
                ArriveAtItem(i);
            else
                ArriveAtSource(i);
            settled = false;
            break;
        }
    }
}

void CShop::PlayUpgrade(float x) const
{
    if (sounds)
        sounds->PlayPanned(sounds->Upgrade, x, 0, 0);
}
