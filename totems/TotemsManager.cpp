#include "totems/TotemsManager.h"

#include "engine/Log.h"
#include "totems/BlueTotem.h"
#include "totems/RedTotem.h"

#include <algorithm>

namespace
{

const CLevelParams* g_gameRules = nullptr;

const size_t kLiveCapacity = 24;
const size_t kRecordCapacity = 20;
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
}

CTotemsManager::~CTotemsManager()
{
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
    // The colours' own effects come as subclasses; until a colour has one its
    // totem stands, flies and charges, and its phase ends with no effect.
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
            if (totem->m_mode == TotemMode::Shop && HasEffectsToDisarm(totem->m_colour))
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
