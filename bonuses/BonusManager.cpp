#include "bonuses/BonusManager.h"

#include "bonuses/BonusAdviser.h"
#include "bonuses/BonusGem.h"
#include "bonuses/BonusFlash.h"
#include "bonuses/BonusScore.h"
#include "bonuses/BonusSolidarity.h"
#include "bonuses/BonusTNT.h"
#include "bonuses/BonusTime.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Log.h"
#include "render/Device.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"

CBonusManager::CBonusManager()
{
    bonuses.reserve(64);
    events.reserve(128);
}

CBonusManager::~CBonusManager() = default;

void CBonusManager::SetRenderers(CRefPtr<CSpriteList> list, CRefPtr<CSpriteBatch> batch,
                                 CRefPtr<CParticleSystemsManager> manager, CRefPtr<CSpriteList> list2,
                                 CRefPtr<CParticleSystemsManager> manager2, CRefPtr<CSpriteBatch> batch2,
                                 CRefPtr<CSpriteList> list3)
{
    spriteList = list;
    spriteBatch = batch;
    particles = manager;
    spriteList2 = list2;
    particles2 = manager2;
    spriteBatch2 = batch2;
    spriteList3 = list3;
}

void CBonusManager::SetTextures(CRefPtr<CTexture> star, CRefPtr<CTexture> halo, CRefPtr<CTexture> ring,
                                CRefPtr<CTexture> spark, CRefPtr<CTexture> lightning, CRefPtr<CTexture> twirl,
                                CRefPtr<CTexture> twirl2, CRefPtr<CTexture> panelGlass)
{
    starTexture = star;
    haloTexture = halo;
    ringTexture = ring;
    sparkTexture = spark;
    lightningTexture = lightning;
    twirlTexture = twirl;
    twirlTexture2 = twirl2;
    panelGlassTexture = panelGlass;
}

bool CBonusManager::LoadBonusTextures(const std::string& folder, CRefPtr<CDevice> device, std::string* failed)
{
    if (!device)
        return false;
    struct Entry
    {
        const char* file;
        const char* name;
        CRefPtr<CTexture>* slot;
        int loader; // 0 plain, 1 with an alpha picture, 2 first accepted format
    };
    const Entry entries[] = {
        {"AllGemLights.jpg", "AllGemLights", &gemLightsTexture, 1},
        {"AllGems.png", "AllGems", &gemsTexture, 0},
        {"GemFlares.tga", "GemFlares", &gemFlaresTexture, 2},
        {"Bonus1.png", "Bonus1", &bonus1Texture, 0},
        {"Bonus2.tga", "Bonus2", &bonus2Texture, 0},
        {"Bonus3.tga", "Bonus3", &bonus3Texture, 0},
        {"Bonus4.tga", "Bonus4", &bonus4Texture, 0},
        {"Bonus5.tga", "Bonus5", &bonus5Texture, 0},
    };
    for (const Entry& e : entries)
    {
        const std::string path = folder + e.file;
        CRefPtr<CTexture> texture;
        if (e.loader == 1)
            texture = device->LoadTextureWithAlpha(path, e.name, false, 0, D3DPOOL_MANAGED);
        else if (e.loader == 2)
            texture = device->LoadTextureChooseFormat(path, e.name,
                                                      {D3DFMT_A1R5G5B5, D3DFMT_A4L4, D3DFMT_A8R3G3B2,
                                                       D3DFMT_A4R4G4B4, D3DFMT_A8L8, D3DFMT_A8R8G8B8},
                                                      0, 0, D3DPOOL_MANAGED);
        else
            texture = device->MakeTexture(path, e.name, 0, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
        if (!texture)
        {
            std::string message = std::string("Unable to load ") + e.name + " Texture!\n";
            LogText(message.c_str());
            if (failed)
                *failed = e.name;
            return false;
        }
        *e.slot = texture;
    }
    return true;
}

void CBonusManager::CreateBonus(CRefPtr<CBonus>& out, int type, int level, int displayOnly, int addToList)
{
    out.Reset();
    CBonus* made = MakeKind(type);
    if (!made)
        return;
    out = CRefPtr<CBonus>(made);
    made->level = level;
    made->SetActive(displayOnly == 0 ? 1 : 0);
    made->effectFactor = effectFactor;
    made->Init();
    if (addToList)
        AddBonus(out);
}

CBonus* CBonusManager::MakeKind(int type) const
{
    switch (type)
    {
    case kBonusTNT:
    {
        CBonusTNT* tnt = new CBonusTNT();
        tnt->SetResources(spriteList, particles, spriteList3, particles2, bonus1Texture, haloTexture, ringTexture,
                          sparkTexture);
        return tnt;
    }
    case kBonusFlash:
    {
        CBonusFlash* flash = new CBonusFlash();
        flash->SetResources(spriteList, particles, spriteBatch, spriteList3, particles2, spriteBatch2, bonus2Texture,
                            haloTexture, lightningTexture, sparkTexture);
        return flash;
    }
    case kBonusTime:
    {
        CBonusTime* time = new CBonusTime();
        time->SetResources(spriteList, particles, spriteBatch, spriteList3, particles2, spriteBatch2, bonus3Texture,
                           twirlTexture, twirlTexture2, starTexture, panelGlassTexture);
        return time;
    }
    case kBonusAdviser:
    {
        CBonusAdviser* adviser = new CBonusAdviser();
        adviser->SetResources(spriteList, particles, spriteBatch, spriteList3, particles2, spriteBatch2,
                              bonus4Texture, gemFlaresTexture, sparkTexture);
        return adviser;
    }
    case kBonusScore:
    {
        CBonusScore* score = new CBonusScore();
        score->SetResources(spriteList, particles, spriteBatch, spriteList3, particles2, spriteBatch2, bonus3Texture,
                            starTexture);
        return score;
    }
    case kBonusSolidarity:
    {
        CBonusSolidarity* solidarity = new CBonusSolidarity();
        solidarity->SetResources(spriteList, particles, spriteBatch, spriteList3, particles2, spriteBatch2,
                                 bonus5Texture);
        return solidarity;
    }
    default:
        return nullptr;
    }
}

void CBonusManager::CreateGem(CRefPtr<CBonus>& out, int gemKind, int addToList)
{
    CBonusGem* gem = new CBonusGem();
    out = CRefPtr<CBonus>(gem);
    gem->gemKind = gemKind;
    gem->SetResources(spriteList, spriteBatch, spriteList2, particles2, spriteBatch2, gemLightsTexture,
                      gemsTexture, gemFlaresTexture, starTexture);
    gem->effectFactor = effectFactor;
    gem->Init();
    if (addToList)
        AddBonus(out);
}

int CBonusManager::AddBonus(CRefPtr<CBonus> bonus)
{
    bonuses.push_back(bonus);
    if (bonus)
        bonus->effectFactor = effectFactor;
    return static_cast<int>(bonuses.size()) - 1;
}

int CBonusManager::RemoveBonus(const CRefPtr<CBonus>& bonus)
{
    for (size_t i = 0; i < bonuses.size(); ++i)
        if (bonuses[i].SameAs(bonus))
        {
            bonuses.erase(bonuses.begin() + static_cast<std::ptrdiff_t>(i));
            return static_cast<int>(i);
        }
    return -1;
}

void CBonusManager::ClearBonuses()
{
    bonuses.clear();
}

void CBonusManager::UpdateAll(float dt)
{
    events.clear();
    size_t i = 0;
    while (i < bonuses.size())
    {
        CRefPtr<CBonus> bonus = bonuses[i];
        if (!bonus || !bonus->visible)
        {
            ++i;
            continue;
        }
        if (!bonus->Update(dt))
        {
            // Its events of this frame go with it.
            bonuses.erase(bonuses.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        for (const BonusEvent& e : bonus->events)
        {
            events.push_back(e);
            if (!events.back().object)
                events.back().object = bonus;
        }
        bonus->events.clear();
        ++i;
    }
}

bool CBonusManager::IsIdle() const
{
    if (!events.empty())
        return false;
    for (const CRefPtr<CBonus>& b : bonuses)
        if (b && !b->IsEffectDone())
            return false;
    return true;
}

bool CBonusManager::AllPlaced() const
{
    if (!events.empty())
        return false;
    for (const CRefPtr<CBonus>& b : bonuses)
        if (b && b->state != kBonusPlaced)
            return false;
    return true;
}
