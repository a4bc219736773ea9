#include "totems/TotemsManager.h"

#include "engine/Log.h"
#include "totems/BlueTotem.h"
#include "totems/RedTotem.h"
#include "totems/OrangeTotem.h"
#include "totems/VioletTotem.h"
#include "totems/WhiteTotem.h"
#include "totems/YellowTotem.h"

#include <algorithm>

namespace
{

const CLevelParams* g_gameRules = nullptr;

const size_t kLiveCapacity = 24;
const size_t kRecordCapacity = 20;
const size_t kPanelPictureCapacity = 15;
// The shop's question sign: its size and its place in the shop picture.
const float kQuestionSize[2] = {36.0f, 56.0f};
const float kQuestionRect[4] = {0.8828125f, 0.359375f, 0.953125f, 0.46875f};
const int32_t kMaxTotemLevel = 4;
const float kQuickFade = 10.0f;
const int32_t kFirstFlightDepth = 10;  // a first selection flies this far above the panel
const int32_t kSwitchFlightDepth = 5;  // so do the totems of a switch

bool ValidColour(int32_t colour)
{
    return colour >= 0 && colour < kTotemColourCount;
}

// What LoadTextures makes, in order, and how.
enum Loader
{
    kPlainSingle, // one level
    kPlain,       // the full chain of levels
    kWithAlpha,   // colour picture and its "_alpha" companion
    kChooseSingle,
    kChoose, // the first format of the candidate list the adapter takes
};

struct TextureEntry
{
    const char* file;
    const char* name;
    Loader loader;
};

const TextureEntry kTextureTable[kTotemTextureCount] = {
    {"SmallTotem1.png", "SmallTotem1", kPlainSingle},  {"TotemShadows.jpg", "TotemShadows", kWithAlpha},
    {"TotemLights.png", "TotemLights", kPlain},        {"TimeDigits.png", "TimeDigits", kPlain},
    {"RedTotem.png", "RedTotem", kPlain},              {"OrangeTotem.png", "OrangeTotem", kPlain},
    {"VioletTotem.png", "VioletTotem", kPlain},        {"VioletGlowRays.tga", "VioletGlowRays", kPlain},
    {"GreenTotem.png", "GreenTotem", kPlain},          {"Unigem.tga", "Unigem", kPlain},
    {"YellowTotem.png", "YellowTotem", kPlain},        {"BlueTotem.png", "BlueTotem", kPlain},
    {"SteelCapsT.png", "SteelCapsT", kPlain},          {"WhiteTotem.png", "WhiteTotem", kPlain},
    {"PaintStream.png", "PaintStream", kPlain},        {"PaintDrop.png", "PaintDrop", kChoose},
    {"TotemBase.tga", "TotemBase", kPlainSingle},      {"TotemDark2.tga", "TotemDark2", kPlainSingle},
    {"TotemContour.png", "TotemContour", kChooseSingle},
};

// Per token colour: the body texture, its play and shop pictures, the sound of an unleashing.
struct ColourEntry
{
    TotemTexture body;
    const char* name;
    const char* shopFile;
    CRefPtr<CSound> CSoundBank::*sound;
};

const ColourEntry kColours[kTotemColourCount] = {
    {kTotemTexGreenBody, "GreenTotem", "GreenTotemShop.png", &CSoundBank::TotemGreen1},
    {kTotemTexYellowBody, "YellowTotem", "YellowTotemShop.png", &CSoundBank::TotemYellow1},
    {kTotemTexRedBody, "RedTotem", "RedTotemShop.png", &CSoundBank::TotemRed1},
    {kTotemTexBlueBody, "BlueTotem", "BlueTotemShop.png", &CSoundBank::TotemBlue1},
    {kTotemTexOrangeBody, "OrangeTotem", "OrangeTotemShop.png", &CSoundBank::TotemOrange},
    {kTotemTexWhiteBody, "WhiteTotem", "WhiteTotemShop.png", &CSoundBank::TotemWhite1},
    {kTotemTexVioletBody, "VioletTotem", "VioletTotemShop.png", &CSoundBank::TotemViolet},
};

// The order in which the bodies switch pictures.
const int32_t kRecreateOrder[kTotemColourCount] = {kTotemRed,  kTotemOrange, kTotemViolet, kTotemGreen,
                                                   kTotemYellow, kTotemBlue, kTotemWhite};

bool HasEffectsToDisarm(int32_t colour)
{
    return colour == kTotemGreen || colour == kTotemRed || colour == kTotemWhite || colour == kTotemViolet;
}

} // namespace

void SetGameRules(const CLevelParams* rules)
{
    g_gameRules = rules;
}

const CLevelParams* GameRules()
{
    return g_gameRules;
}

CTotemsManager::CTotemsManager()
{
    m_liveTotems.reserve(kLiveCapacity);
    m_cellRecords.reserve(kRecordCapacity);
    m_panelPictures.reserve(kPanelPictureCapacity);
    for (std::vector<CRefPtr<CSpriteShape>>& pictures : m_shopPictures)
        pictures.reserve(3);
}

CTotemsManager::~CTotemsManager()
{
    if (m_spriteList)
    {
        for (const CRefPtr<CSpriteShape>& picture : m_panelPictures)
            m_spriteList->Remove(picture);
        for (const std::vector<CRefPtr<CSpriteShape>>& pictures : m_shopPictures)
            for (const CRefPtr<CSpriteShape>& picture : pictures)
                m_spriteList->Remove(picture);
    }
    // Totems take their shapes out of the list as they go.
    for (CRefPtr<CTotem>& totem : m_currentTotems)
        totem.Reset();
    for (CRefPtr<CTotem>& totem : m_shopTotems)
        totem.Reset();
    m_liveTotems.clear();
}

void CTotemsManager::LoadSettings(const char* path)
{
    m_settings.Load(path);
}

void CTotemsManager::SetRenderObjects(CRefPtr<CDevice> device, CRefPtr<CSpriteList> spriteList,
                                      CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteBatch> spriteBatch,
                                      const CLevelParams* rules)
{
    m_device = device;
    m_spriteList = spriteList;
    m_particles = particles;
    m_spriteBatch = spriteBatch;
    SetGameRules(rules);
}

bool CTotemsManager::LoadTextures(const std::string& folder)
{
    if (!m_device)
        return false;
    const std::vector<D3DFORMAT> candidates = {D3DFMT_A8R8G8B8, D3DFMT_A8L8,  D3DFMT_A4R4G4B4,
                                               D3DFMT_A8R3G3B2, D3DFMT_A4L4, D3DFMT_A1R5G5B5};
    for (int i = 0; i < kTotemTextureCount; ++i)
    {
        const TextureEntry& e = kTextureTable[i];
        const std::string path = folder + e.file;
        CRefPtr<CTexture> texture;
        switch (e.loader)
        {
        case kPlainSingle:
        case kPlain:
            texture = m_device->MakeTexture(path, e.name, e.loader == kPlainSingle ? 1 : 0, 0, D3DPOOL_MANAGED,
                                            D3DFMT_UNKNOWN);
            break;
        case kWithAlpha:
            texture = m_device->LoadTextureWithAlpha(path, e.name, false, 0, D3DPOOL_MANAGED);
            break;
        case kChooseSingle:
        case kChoose:
            texture = m_device->LoadTextureChooseFormat(path, e.name, candidates, e.loader == kChooseSingle ? 1 : 0, 0,
                                                        D3DPOOL_MANAGED);
            break;
        }
        if (!texture)
        {
            LogText((std::string("Unable to load ") + e.file + " Texture!\n").c_str());
            return false;
        }
        m_textures[size_t(i)] = texture;
    }
    return true;
}

void CTotemsManager::SetTextures(const TotemGameTextures& textures)
{
    m_gameTextures = textures;
}

bool CTotemsManager::RecreateTextures(int32_t shopMode, const std::string& folder)
{
    bool allMade = true;
    const auto recreate = [this, &allMade](const CRefPtr<CTexture>& texture, const char* name) {
        if (!texture || !m_device)
            return;
        if (texture->Recreate(m_device->device) < 0)
        {
            LogText((std::string("Error! ") + name + " Texture Recreate\n").c_str());
            allMade = false;
        }
    };
    const auto release = [](const CRefPtr<CTexture>& texture) {
        if (texture)
            texture->ReleaseTexture();
    };
    for (int32_t colour : kRecreateOrder)
    {
        const ColourEntry& c = kColours[colour];
        const CRefPtr<CTexture>& body = m_textures[c.body];
        if (body)
            body->fileName = folder + (shopMode ? c.shopFile : std::string(c.name) + ".png");
        recreate(body, c.name);
    }
    const CRefPtr<CTexture>& dark = m_textures[kTotemTexDark];
    const CRefPtr<CTexture>& contour = m_textures[kTotemTexContour];
    const CRefPtr<CTexture>& shopColor = m_gameTextures[kTotemGameShopColor];
    const CRefPtr<CTexture>& shopMul = m_gameTextures[kTotemGameShopMul];
    const CRefPtr<CTexture>& shopBW = m_gameTextures[kTotemGameShopBW];
    if (shopMode)
    {
        release(dark);
        release(contour);
        recreate(shopColor, "ShopColor");
        recreate(shopMul, "ShopMul");
        recreate(shopBW, "ShopBW");
    }
    else
    {
        release(shopColor);
        release(shopMul);
        release(shopBW);
        recreate(dark, "TotemDark2");
        recreate(contour, "TotemContour");
    }
    m_shopImages = shopMode ? 1 : 0;
    return allMade;
}

TotemResources CTotemsManager::ResourcesOf(int32_t colour) const
{
    TotemResources r;
    r.spriteList = m_spriteList;
    r.particles = m_particles;
    r.spriteBatch = m_spriteBatch;
    r.smallTexture = m_textures[kTotemTexSmall];
    r.shadowTexture = m_textures[kTotemTexShadows];
    r.lightsTexture = m_textures[kTotemTexLights];
    r.bodyTexture = m_textures[kColours[colour].body];
    r.sharedTexture = m_gameTextures[kTotemGameHalo];
    const auto game = [this](TotemGameTexture t) { return m_gameTextures[t]; };
    const auto own = [this](TotemTexture t) { return m_textures[t]; };
    switch (colour)
    {
    case kTotemRed:
        r.own = {game(kTotemGameSpellFuzzy), game(kTotemGameFireCloud)};
        break;
    case kTotemOrange:
        r.own = {own(kTotemTexDigits), game(kTotemGameStarParticle), game(kTotemGameTwirl), game(kTotemGamePanelGlass)};
        break;
    case kTotemViolet:
        r.own = {own(kTotemTexVioletRays)};
        break;
    case kTotemGreen:
        r.own = {game(kTotemGameStarParticle), game(kTotemGameGemFlares), own(kTotemTexUnigem), game(kTotemGameChain),
                 game(kTotemGameChainNext)};
        break;
    case kTotemYellow:
        r.own = {game(kTotemGameGemFlares), game(kTotemGameFireCloud), game(kTotemGameLightning)};
        break;
    case kTotemBlue:
        r.own = {own(kTotemTexSteelCaps), game(kTotemGameLightning), game(kTotemGameSpark)};
        break;
    case kTotemWhite:
        r.own = {own(kTotemTexPaintStream), game(kTotemGameCloud), own(kTotemTexPaintDrop)};
        break;
    }
    return r;
}

void CTotemsManager::CreateTotem(CRefPtr<CTotem>& out, int32_t colour, TotemMode mode, int32_t level, bool addToLive)
{
    out.Reset();
    if (!ValidColour(colour))
        return;
    // Each colour's effect is its own subclass.
    CRefPtr<CTotem> totem;
    switch (colour)
    {
    case kTotemGreen:
    {
        CGreenTotem* green = new CGreenTotem();
        green->m_soundBank = m_soundBank;
        totem = CRefPtr<CTotem>(green);
        break;
    }
    case kTotemRed:
        totem = CRefPtr<CTotem>(new CRedTotem());
        break;
    case kTotemBlue:
        totem = CRefPtr<CTotem>(new CBlueTotem());
        break;
    case kTotemYellow:
        totem = CRefPtr<CTotem>(new CYellowTotem());
        break;
    case kTotemOrange:
        totem = CRefPtr<CTotem>(new COrangeTotem());
        break;
    case kTotemWhite:
        totem = CRefPtr<CTotem>(new CWhiteTotem());
        break;
    case kTotemViolet:
        totem = CRefPtr<CTotem>(new CVioletTotem());
        break;
    default:
        totem = CRefPtr<CTotem>(new CTotem(colour));
        break;
    }
    totem->SetResources(ResourcesOf(colour));
    totem->Configure(m_settings);
    totem->m_level = std::min(std::max(level, 1), kMaxTotemLevel);
    totem->m_speedFactor = m_speedFactor;
    totem->Init(mode, m_settings.m_looks[colour].shapeSets);
    if (addToLive)
        AddLiveTotem(totem);
    out = totem;
}

void CTotemsManager::AddLiveTotem(const CRefPtr<CTotem>& totem)
{
    totem->m_speedFactor = m_speedFactor;
    m_liveTotems.push_back(totem);
}

void CTotemsManager::RemoveLiveTotem(const CRefPtr<CTotem>& totem)
{
    m_liveTotems.erase(std::remove(m_liveTotems.begin(), m_liveTotems.end(), totem), m_liveTotems.end());
    for (CRefPtr<CTotem>& current : m_currentTotems)
        if (current == totem)
            current.Reset();
}

void CTotemsManager::CreatePanelTotems()
{
    m_selectedColour = -1;
    m_repeatCount = 0;
    m_requests.clear();
    m_ready = 1;
    m_cellRecords.clear();
    for (CRefPtr<CTotem>& current : m_currentTotems)
        if (current)
        {
            const CRefPtr<CTotem> totem = current;
            RemoveLiveTotem(totem);
            current.Reset();
        }
    for (int32_t c = 0; c < kTotemColourCount; ++c)
    {
        if (m_levels[c] <= 0)
            continue;
        CreateTotem(m_currentTotems[c], c, TotemMode::Panel, m_levels[c], true);
        CTotem& totem = *m_currentTotems[c];
        const Vec3& at = m_settings.m_panelPositions[c];
        totem.SetPosition(at.x, at.y, at.z);
        // The same size as a totem that lands back on the panel.
        totem.SetSize(m_settings.m_smallSize[0], m_settings.m_smallSize[1]);
        totem.SetZOrder(m_settings.m_bottomZOrder);
    }
    if (m_spriteList)
        m_spriteList->Resort();
}

void CTotemsManager::Disarm(CTotem& totem)
{
    if (totem.m_colour == kTotemRed)
        totem.SetArmed(0, 2);
    else if (HasEffectsToDisarm(totem.m_colour))
        totem.SetArmed(0);
}

void CTotemsManager::DismissTotem(const CRefPtr<CTotem>& totem, float speed)
{
    if (!totem)
        return;
    for (CRefPtr<CTotem>& current : m_currentTotems)
        if (current == totem)
            current.Reset();
    for (CRefPtr<CTotem>& shop : m_shopTotems)
        if (shop == totem)
            shop.Reset();
    if (totem->m_colour == kTotemBlue)
        totem->SetShieldMode(0);
    if (totem->m_mode == TotemMode::Centre || totem->m_mode == TotemMode::Shop)
    {
        totem->VanishExtras(false);
        Disarm(*totem);
    }
    totem->FadeOut(speed);
}

void CTotemsManager::FadeOutAll(float speed)
{
    for (CRefPtr<CTotem>& current : m_currentTotems)
        current.Reset();
    for (CRefPtr<CTotem>& shop : m_shopTotems)
        shop.Reset();
    for (const CRefPtr<CTotem>& totem : m_liveTotems)
    {
        if (totem->m_colour == kTotemBlue)
            totem->SetShieldMode(0);
        if (totem->m_mode == TotemMode::Centre || totem->m_mode == TotemMode::Shop)
        {
            totem->VanishExtras(false);
            Disarm(*totem);
        }
        totem->FadeOut(speed);
    }
    for (int32_t c = 0; c < kTotemColourCount; ++c)
        FadeOutShopPictures(c, speed);
}

CRefPtr<CSpriteShape> CTotemsManager::AddPicture(const TotemScreenBox& box, uint32_t colour,
                                                 const CRefPtr<CTexture>& texture, int32_t blendMode, int32_t zOrder,
                                                 float alpha, int32_t shown)
{
    CRefPtr<CSpriteShape> shape(
        new CSpriteShape(box.centre.x, box.centre.y, box.centre.z, box.size[0], box.size[1], colour, texture, 1));
    if (blendMode != kBlendNormal)
        shape->SetBlendMode(1, blendMode);
    shape->zOrder = zOrder;
    shape->SetAlpha(alpha);
    shape->visible = shown;
    if (m_spriteList)
        m_spriteList->Add(shape);
    return shape;
}

void CTotemsManager::BuildPanelPictures(int32_t visible)
{
    if (m_spriteList)
        for (const CRefPtr<CSpriteShape>& picture : m_panelPictures)
            m_spriteList->Remove(picture);
    m_panelPictures.clear();
    m_panelPicturesVisible = visible;
    const CTotemSettings& s = m_settings;
    const float* r = s.m_baseRect;
    CRefPtr<CSpriteShape> base = AddPicture(s.m_base, 0xFFFFFFFFu, m_textures[kTotemTexBase], kBlendScreen,
                                            s.m_bottomZOrder + 3, 1.0f, visible);
    base->SetFrameUV(0, r[0], r[1], r[2], r[3]);
    m_panelPictures.push_back(base);
    // Silhouettes first, then their outlines, so that the list runs from the
    // plinth (drawn first) to the outlines.
    for (int32_t c = 0; c < kTotemColourCount; ++c)
    {
        if (m_levels[c] >= 1)
            continue;
        const TotemDark& dark = s.m_darks[c];
        const CRefPtr<CTexture>& texture = m_textures[dark.texture == 0 ? kTotemTexBase : kTotemTexDark];
        CRefPtr<CSpriteShape> shape =
            AddPicture(dark.box, 0xFFFFFFFFu, texture, kBlendMul, s.m_bottomZOrder + 2, 1.0f, visible);
        const float* k = dark.corners;
        shape->SetFrameUV4(0, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]);
        m_panelPictures.push_back(shape);
    }
    for (int32_t c = 0; c < kTotemColourCount; ++c)
    {
        if (m_levels[c] >= 1)
            continue;
        TotemScreenBox box = s.m_darks[c].box;
        box.centre = s.m_darks[c].contourCentre;
        CRefPtr<CSpriteShape> shape = AddPicture(box, s.m_contourColour, m_textures[kTotemTexContour], kBlendNormal,
                                                 s.m_bottomZOrder + 1, 1.0f, visible);
        const float* t = s.m_contourRects[c];
        shape->SetFrameUV(0, t[0], t[1], t[2], t[3]);
        m_panelPictures.push_back(shape);
    }
}

void CTotemsManager::SetPanelPicturesVisible(int32_t show, float speed)
{
    m_panelPicturesVisible = show;
    for (const CRefPtr<CSpriteShape>& picture : m_panelPictures)
    {
        if (speed == 0.0f)
        {
            if ((picture->visible != 0) != (show != 0) && m_spriteList)
                m_spriteList->SetVisible(picture, show);
            picture->visible = show;
            if (show)
                picture->SetAlpha(1.0f);
            continue;
        }
        picture->fadeSpeed = speed;
        if (show && !picture->visible)
        {
            if (m_spriteList)
                m_spriteList->SetVisible(picture, 1);
            picture->visible = 1;
            picture->SetAlpha(0.0f);
        }
        picture->FadeTo(show ? 1.0f : 0.0f);
    }
}

void CTotemsManager::HideFadedPanelPictures()
{
    if (m_panelPicturesVisible)
        return;
    for (const CRefPtr<CSpriteShape>& picture : m_panelPictures)
        if (picture->visible && picture->alpha == 0.0f)
        {
            if (m_spriteList)
                m_spriteList->SetVisible(picture, 0);
            picture->visible = 0;
        }
}

void CTotemsManager::FadeOutShopPictures(int32_t colour, float speed)
{
    for (const CRefPtr<CSpriteShape>& picture : m_shopPictures[colour])
    {
        picture->fadeSpeed = speed;
        picture->mortal = 1;
        picture->life = speed > 0.0f ? 1.0f / speed : 0.0f;
        picture->FadeTo(0.0f);
    }
    m_shopPictures[colour].clear();
}

void CTotemsManager::ShowShopTotem(int32_t colour, int32_t level, float speed)
{
    if (!ValidColour(colour))
        return;
    if (m_shopTotems[colour])
    {
        const CRefPtr<CTotem> old = m_shopTotems[colour];
        DismissTotem(old, speed);
        m_shopTotems[colour].Reset();
    }
    FadeOutShopPictures(colour, speed);
    m_levels[colour] = level;
    const CTotemSettings& s = m_settings;
    if (size_t(colour) >= s.m_shopPlaces.size())
        return;
    const TotemShopPlace& place = s.m_shopPlaces[size_t(colour)];
    std::vector<CRefPtr<CSpriteShape>>& pictures = m_shopPictures[colour];
    const auto add = [&](const TotemScreenBox& box, uint32_t tint, TotemGameTexture texture, int32_t blend,
                         int32_t zOrder, const float* rect) {
        CRefPtr<CSpriteShape> shape = AddPicture(box, tint, m_gameTextures[texture], blend, zOrder, 0.0f, 1);
        shape->SetFrameUV(0, rect[0], rect[1], rect[2], rect[3]);
        shape->fadeSpeed = speed;
        shape->FadeTo(1.0f);
        pictures.push_back(shape);
    };
    if (level < 0)
    {
        // Locked: a dark silhouette, its outline and a question sign.
        add(place.picture, s.m_shopContourDarkColour, kTotemGameShopMul, kBlendMul, s.m_shopZOrder, place.textureRect);
        add(place.picture, s.m_shopContourColour, kTotemGameShopBW, kBlendNormal, s.m_shopZOrder - 1,
            place.textureRect);
        TotemScreenBox sign;
        sign.centre = place.questionSign;
        sign.size[0] = kQuestionSize[0];
        sign.size[1] = kQuestionSize[1];
        add(sign, s.m_shopQuestionColour, kTotemGameShopColor, kBlendNormal, s.m_shopZOrder - 2, kQuestionRect);
        return;
    }
    if (level == 0)
    {
        add(place.picture, s.m_shopAvailableColour, kTotemGameShopColor, kBlendNormal, s.m_shopZOrder,
            place.textureRect);
        return;
    }
    CreateTotem(m_shopTotems[colour], colour, TotemMode::Shop, level, true);
    if (!m_shopTotems[colour])
        return;
    // As tall as the colour's picture, so that it stands in its item's place.
    CTotem& totem = *m_shopTotems[colour];
    totem.SetPosition(place.totem.x, place.totem.y, place.totem.z);
    totem.SetSize(place.picture.size[1], place.picture.size[1]);
}

void CTotemsManager::ShowShopTotems(float speed)
{
    m_shopEffectsHidden = false;
    for (int32_t c = 0; c < kTotemColourCount; ++c)
        ShowShopTotem(c, m_levels[c], speed);
}

void CTotemsManager::SetShopEffectsShown(bool shown)
{
    if (m_shopEffectsHidden == !shown)
        return;
    m_shopEffectsHidden = !shown;
    for (const CRefPtr<CTotem>& totem : m_shopTotems)
        if (totem && totem->m_mode == TotemMode::Shop && totem->m_state == TotemState::Idle &&
            HasEffectsToDisarm(totem->m_colour))
            totem->SetArmed(shown ? 1 : 0);
}

void CTotemsManager::RequestTotem(int32_t colour)
{
    if (ValidColour(colour))
        m_requests.push_back(colour);
}

void CTotemsManager::SetShieldMode(int32_t value)
{
    m_shieldMode = value;
    for (const CRefPtr<CTotem>& totem : m_liveTotems)
        if (totem->m_colour == kTotemBlue)
            totem->SetShieldMode(value);
}

void CTotemsManager::ReturnSelectedTotem()
{
    if (m_selectedColour == -1)
        return;
    Return(m_selectedColour);
    m_ready = 1;
    m_selectedColour = -1;
    m_repeatCount = 1;
}

int32_t CTotemsManager::CountAvailableTotems() const
{
    return int32_t(std::count_if(std::begin(m_levels), std::end(m_levels), [](int32_t level) { return level > 0; }));
}

void CTotemsManager::PlayColourSound(int32_t colour)
{
    if (m_soundBank)
        m_soundBank->Play((*m_soundBank).*kColours[colour].sound, 0, 0);
}

void CTotemsManager::Select(int32_t colour, int32_t zOrder, float duration)
{
    CRefPtr<CTotem> totem;
    CreateTotem(totem, colour, TotemMode::Centre, m_levels[colour], true);
    const Vec3& from = m_settings.m_flightPositions[colour];
    totem->SetPosition(from.x, from.y, from.z);
    totem->SetSize(m_settings.m_smallSize[0], m_settings.m_smallSize[1]);
    totem->SetZOrder(zOrder);
    totem->m_fadeSpeed = kQuickFade;
    const Vec3& to = m_settings.m_centrePosition;
    totem->MoveTo(to.x, to.y, to.z, m_settings.m_centreSize[0], m_settings.m_centreSize[1], duration);
    if (m_currentTotems[colour])
        m_currentTotems[colour]->FadeOut(kQuickFade);
    m_currentTotems[colour] = totem;
}

void CTotemsManager::Return(int32_t colour)
{
    if (!ValidColour(colour) || !m_currentTotems[colour])
        return;
    CTotem& totem = *m_currentTotems[colour];
    Disarm(totem);
    totem.SetZOrder(m_settings.m_bottomZOrder - kSwitchFlightDepth);
    totem.VanishExtras(false);
    const Vec3& to = m_settings.m_flightPositions[colour];
    totem.MoveTo(to.x, to.y, to.z, m_settings.m_smallSize[0], m_settings.m_smallSize[1], m_settings.m_switchOutTime);
}

bool CTotemsManager::TakeRequest()
{
    if (!m_ready || m_requests.empty())
        return false;
    const int32_t c = m_requests.front();
    m_requests.pop_front();
    if (m_selectedColour == -1)
    {
        // A colour the player does not own calls no totem.
        if (m_levels[c] <= 0)
            return false;
        Select(c, m_settings.m_bottomZOrder - kFirstFlightDepth, m_settings.m_inTime);
        m_ready = 0;
        m_selectedColour = c;
        m_repeatCount = 1;
        return true;
    }
    if (c == m_selectedColour)
    {
        ++m_repeatCount;
        if (CTotem* totem = m_currentTotems[c].Get())
        {
            totem->BuildShapes(m_repeatCount);
            totem->Activate(m_repeatCount - 1);
        }
        m_ready = 0;
        PlayColourSound(c);
        TotemCellRecord record;
        record.kind = kTotemRecordRepeat;
        m_cellRecords.push_back(record);
        return false;
    }
    Return(m_selectedColour);
    if (m_levels[c] < 1)
    {
        m_ready = 1;
        m_selectedColour = -1;
    }
    else
    {
        Select(c, m_settings.m_bottomZOrder - kSwitchFlightDepth, m_settings.m_switchInTime);
        m_ready = 0;
        m_selectedColour = c;
    }
    m_repeatCount = 1;
    return true;
}

void CTotemsManager::ArriveOrLand(const CRefPtr<CTotem>& totem)
{
    if (m_selectedColour != -1 && m_currentTotems[m_selectedColour] == totem)
    {
        // At the centre: the first light, armed, ready for the next call.
        m_repeatCount = 1;
        totem->BuildShapes(1);
        totem->m_state = TotemState::Idle;
        if (HasEffectsToDisarm(totem->m_colour))
            totem->SetArmed(1);
        if (m_soundBank)
            m_soundBank->PlayPanned(m_soundBank->TotemEye, totem->m_position.x, 0, 0);
        m_ready = 1;
        return;
    }
    // Back at its flight position: a fresh panel totem takes its place.
    for (int32_t k = 0; k < kTotemColourCount; ++k)
    {
        if (m_currentTotems[k] != totem)
            continue;
        CRefPtr<CTotem> panel;
        CreateTotem(panel, k, TotemMode::Panel, m_levels[k], true);
        if (panel)
        {
            const Vec3& at = m_settings.m_panelPositions[k];
            panel->SetPosition(at.x, at.y, at.z);
            panel->SetSize(m_settings.m_smallSize[0], m_settings.m_smallSize[1]);
            panel->SetZOrder(m_settings.m_bottomZOrder);
            panel->m_fadeSpeed = kQuickFade;
        }
        totem->FadeOut(kQuickFade);
        m_currentTotems[k] = panel;
        return;
    }
}

void CTotemsManager::EndActivePhase(const CTotem& totem)
{
    // A spent totem flies back; with nothing selected there is nothing to send.
    if (totem.m_state == TotemState::Spent && m_selectedColour != -1)
    {
        Return(m_selectedColour);
        m_selectedColour = -1;
        m_repeatCount = 0;
    }
    m_ready = 1;
}

int32_t CTotemsManager::Update(float dt)
{
    HideFadedPanelPictures();
    m_cellRecords.clear();
    bool resort = TakeRequest();
    // Totems may join or leave the list during the walk: the size is read anew each pass.
    for (size_t i = 0; i < m_liveTotems.size();)
    {
        const CRefPtr<CTotem> totem = m_liveTotems[i];
        const bool news = totem->Update(dt);
        totem->CollectRecords(m_cellRecords);
        // The blue totem waiting for the board at a full charge turns the shield on.
        if (const CBlueTotem* blue = dynamic_cast<const CBlueTotem*>(totem.Get()))
            if (blue->CallsShield())
                SetShieldMode(1);
        if (!news)
        {
            ++i;
            continue;
        }
        switch (totem->m_event)
        {
        case TotemEvent::FadedOut:
            m_liveTotems.erase(m_liveTotems.begin() + std::ptrdiff_t(i));
            continue;
        case TotemEvent::MoveDone:
            ArriveOrLand(totem);
            resort = true;
            break;
        case TotemEvent::EndedActive:
        case TotemEvent::EndedActiveFull:
            EndActivePhase(*totem);
            resort = true;
            break;
        case TotemEvent::FadedIn:
            totem->m_state = TotemState::Idle;
            if (totem->m_mode == TotemMode::Shop && HasEffectsToDisarm(totem->m_colour) && !m_shopEffectsHidden)
                totem->SetArmed(1);
            break;
        default:
            totem->m_state = TotemState::Idle;
            break;
        }
        ++i;
    }
    if (resort && m_spriteList)
        m_spriteList->Resort();
    return int32_t(m_cellRecords.size());
}

void CTotemsManager::OnMatchGreen(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                                  const std::vector<CCellPos>& cells, std::vector<float>& delays)
{
    CGreenTotem* green = GreenTotem();
    if (!green || (green->m_state != TotemState::Active && green->m_state != TotemState::ActiveFull))
        return;
    // The board's call may end in the totem's release: hold it until done.
    const CRefPtr<CTotem> hold = m_currentTotems[kTotemGreen];
    green->OnMatch(removed, targets, cells, delays);
    green->m_waitingForMatch = 0;
}

void CTotemsManager::OnMatchBlue(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
{
    const CRefPtr<CTotem> totem = m_currentTotems[kTotemBlue]; // held for the call
    if (totem && (totem->m_state == TotemState::Active || totem->m_state == TotemState::ActiveFull))
        totem->OnMatchCells(points, cells);
}

void CTotemsManager::OnMatchWhite(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
{
    const CRefPtr<CTotem> totem = m_currentTotems[kTotemWhite];
    if (totem && (totem->m_state == TotemState::Active || totem->m_state == TotemState::ActiveFull))
        totem->OnMatchCells(points, cells);
}

void CTotemsManager::SetTotemBoardGeometry(float x, float y, float z, int32_t columns, int32_t rows, float cellWidth,
                                           float cellHeight)
{
    TotemBoardGeometry& g = g_totemBoardGeometry;
    g.x = x;
    g.y = y;
    g.z = z;
    g.columns = columns;
    g.rows = rows;
    g.cellWidth = cellWidth;
    g.cellHeight = cellHeight;
    g.width = float(columns) * cellWidth;
    g.height = float(rows) * cellHeight;
}

CGreenTotem* CTotemsManager::GreenTotem() const
{
    return dynamic_cast<CGreenTotem*>(m_currentTotems[kTotemGreen].Get());
}
