// CShop: the upgrade shop between quest levels, where Golden Stars buy levels of
// bonuses, Power Totems and rule upgrades. The player moves stars between the star
// source (the row of free stars) and the places of the sixteen items: by dragging
// them, or with an item's plus and minus controls. A star's flight ends in its new
// place a moment later; only then does the item's level or the free-star count change.
// Before a quest save the shop settles every star in motion at once.
//
// The game makes one in Init and holds it through CRefPtr; the play update runs it
// while the "Shop" form shows. The item rules live in CShopItemTable.
#pragma once

#include "engine/MotionPath.h"  // Vec3
#include "engine/RefPtr.h"
#include "screens/ShopItems.h"
#include "screens/ShopStar.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CBonus;
class CBonusManager;
class CFont;
class CInterface;
class CParticleSystem;
class CText;
class CTextSet;
class CLevelParams;
class CParticleSystemsManager;
class CSoundBank;
class CSpriteList;
class CSpriteShape;
class CTexture;
class CTotemsManager;

// A widget's rectangle: centre and size, in the centred, y-up screen units.
struct ShopRect
{
    float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;
    // Both edges count as inside.
    bool Contains(float px, float py) const
    {
        return x - w * 0.5f <= px && px <= x + w * 0.5f && y - h * 0.5f <= py && py <= y + h * 0.5f;
    }
};

// Where the Shop form's widgets are; read from the interface, or set by tests.
struct CShopLayout
{
    ShopRect source;
    std::array<ShopRect, CShopItemTable::kItemCount> pictures{}, frames{}, anchors{}, plus{};
    float z = 0.0f;
    int32_t zOrder = 0;
    bool open = true;  // the form takes input: enabled (no modal form over it) and active
};

// The [Shop] section of Skin.cfg that the shop's stars use, already in screen units.
struct CShopSettings
{
    CShopSettings();
    void Load(const char* file, const char* section);
    void LoadSandGlass(const char* file, const char* section);
    // Offset of place k (1 based) of an item with `places` places (3 or 4).
    const float* StarShift(int places, int k) const;
    const float* StubShift(int places, int k) const;

    float starShift[2][4][2];
    float stubShift[2][4][2];
    float starsZShift = -30.0f;
    int32_t starsZOrderShift = -30;
    float srcPanel[3] = {-131.5f, -358.5f, 264.0f};  // left, y, width
    float starFlySpeed = 2500.0f;
    float stationToFly[2] = {-2.0f, 1.0f};
    float stubT = 0.4f;
    float disabledAlpha = 0.5f;
    // The screen's motion: the scrolling background, the turning rays, the stars'
    // tails, the halos of a cracking stub and the pulses on places still to buy.
    float backgroundTSpeed[2] = {0.25f, -0.1545f};
    float backgroundTSize[2] = {1.0f, 0.75f};
    float sandboxRaysW = 0.3926991f;  // radians a second
    float starTailSize = 32.0f;
    uint32_t starTailColor = 0xFFFFFF7Fu;
    float starTailIntensity = 80.0f;
    uint32_t stubHaloColor = 0xFFFF7F7Fu;
    float stubHaloSize = 80.0f;
    float stubHaloLifeTime = 0.5f;
    float pointersT = 1.0f;
    uint32_t pointersColor = 0xFFFFFF78u;
    float pointersLifeTime = 1.0f;
    // The sand glass of the sand-glass upgrade: its front (the frame) and glass
    // pictures, the dust inside and the seconds note, already in screen units.
    float bonusZShift = -20.0f;
    int32_t sandboxFrontZOrderShift = -10;
    float sandboxFrontPos[3] = {1.5f, 50.5f, -20.0f};  // centre x, y, depth from the form
    float sandboxFrontSize[2] = {178.0f, 60.0f};
    float sandboxFrontT[4] = {162.0f / 512, 440.0f / 512, 340.0f / 512, 500.0f / 512};
    float sandboxGlassT[4] = {0.0f, 380.0f / 512, 178.0f / 512, 440.0f / 512};
    uint32_t sandboxGlassColor = 0xFF6CC8F7u;
    float sandboxDustSize = 10.0f;
    uint32_t sandboxDustColor = 0x7FF7D96Bu;
    float sandboxDustAlpha = 127.0f / 255.0f;
    float sandboxNote[3] = {1.5f, 50.5f, -21.0f};
    uint32_t sandboxNoteColor = 0xFFFFFF48u;
    float sandboxNoteAlpha = 1.0f;
};

class CShop
{
public:
    static constexpr int kItemCount = CShopItemTable::kItemCount;
    static constexpr int kStringInstructions = 14;

    CShop();
    ~CShop();
    CShop(const CShop&) = delete;
    CShop& operator=(const CShop&) = delete;

    // Everything is optional: without an interface the layout stays as set, without a
    // sprite list the stars are unseen, without a sound bank the shop is silent.
    void SetInterface(CInterface* ui);
    void SetResources(CRefPtr<CSpriteList> sprites, CRefPtr<CTexture> stubTexture, CRefPtr<CTexture> starTexture,
                      CSoundBank* sounds);
    // The sound bank alone: the game makes it after the shop.
    void SetSoundBank(CSoundBank* bank) { sounds = bank; }
    // The [Shop] keys of Skin.cfg, and the seconds note's text (string 11).
    void LoadSettings(const char* file, const char* section);
    // What the sand-glass upgrade draws with: the dust's picture, and the text set
    // and font of its seconds note.
    void SetSandGlass(CRefPtr<CTexture> dust, CRefPtr<CTextSet> texts, CRefPtr<CFont> font);
    // The screen's effects: the manager of the stub cracks, that of the stars' tails,
    // and the pictures of the pointer pulses, the tails and the halos.
    void SetEffects(CRefPtr<CParticleSystemsManager> cracks, CRefPtr<CParticleSystemsManager> tails,
                    CRefPtr<CTexture> pointerTexture, CRefPtr<CTexture> tailTexture, CRefPtr<CTexture> haloTexture);

    // The model's operations, on the embedded table.
    void UnlockForLevel(int level) { items.UnlockForLevel(level); }
    void ApplyToLevel(CLevelParams& params) const { items.ApplyToLevel(params); }
    void ResetItems() { items.ResetItems(); }
    // Each totem item's level into the totems' per-colour table (seven entries).
    void ApplyTotemLevels(int32_t* totemLevels) const;

    // Stars the player holds: free ones and those on their way back to the source.
    int CountStars() const;
    // 1 when some item can still take a star.
    int CanTakeStar() const;
    // Stars flying to item i, and its level with them.
    int Incoming(int item) const;
    int Committed(int item) const { return items.levels[size_t(item)] + Incoming(item); }

    // Input, in the centred, y-up screen units: pick a star up, drop it, and the
    // plus (up 1) and minus (up 0) controls. OnClick returns 1 when a star set off.
    void OnMouseDown(float x, float y);
    void OnMouseUp(float x, float y);
    int OnClick(int item, int up);

    // Opens (show 1) or closes the shop screen, fading at `rate` a second; `level` is
    // the number of the level that follows, whose unlocks show when the fade-in ends.
    void Refresh(int show, float rate, int level);
    // One frame; 1 on the frame on which the screen has faded fully in.
    int Update(float dt, float mouseX, float mouseY);
    // Completes every star move at once (before a quest save takes the numbers).
    void SettlePendingStars();
    // Raises the limits for `level` and makes newly unlocked items available.
    void RevealUnlocks(int level);
    void SetItemLevel(int item, int level, int quick);
    void UpdateButtons();
    void BuildStars(float rate);
    void BuildStubs();
    void RebuildSourceStars();

    // Centre of place k (1 based) of an item; where a star bound for the source aims.
    Vec3 PlaceOf(int item, int k) const;
    Vec3 SourceStation() const;
    float SourceSlotX(int index, int count) const;

    CShopItemTable items;
    CTotemsManager* totems = nullptr; // shows the totem items; the board's, not owned
    CBonusManager* bonusMaker = nullptr; // makes the bonus items' pictures; the board's, not owned
    CShopLayout layout;
    CShopSettings settings;
    std::vector<CRefPtr<CShopStar>> stars;
    std::vector<CRefPtr<CSpriteShape>> stubs;
    std::vector<CRefPtr<CSpriteShape>> crackQueue;
    float display = 0.0f;  // the screen's fade: 1 when fully shown
    float fadeRate = 0.0f;
    int32_t fadeDirection = 0;
    int32_t forLevel = 0;
    float stubTimer = 0.0f;
    std::array<int32_t, 3> hover{{-1, -1, -1}};  // item, text index, table of the description
    float rayAngle = 0.0f;                        // radians, in [0, 2 pi)
    float backgroundOffset[2] = {0.0f, 0.0f};
    float pointerTimer = 0.0f;
    std::vector<CRefPtr<CSpriteShape>> pulses;  // pointer pulses and stub halos on their way out
    // The sand glass of the sand-glass upgrade: front and glass pictures, the dust
    // inside and the note of its seconds.
    std::vector<CRefPtr<CSpriteShape>> sandShapes;
    CRefPtr<CParticleSystem> sandDust;
    CRefPtr<CText> sandNote;
    std::string secondsFormat = "%d sec";
    // The bonus items' pictures (items 10 to 15), and old ones on their way out.
    std::array<CRefPtr<CBonus>, 6> bonusObjects;
    std::vector<CRefPtr<CBonus>> leavingBonuses;

    // The seconds note of the sand-glass upgrade at `level`.
    std::string SecondsNote(int level) const;

private:
    CRefPtr<CShopStar> NewStar() const;
    float RestingZ() const { return layout.z + settings.starsZShift; }
    float MovingZ() const { return RestingZ() - 1.0f; }
    int RestingOrder() const { return layout.zOrder + settings.starsZOrderShift; }
    int MovingOrder() const { return RestingOrder() - 1; }
    void ReadLayout();
    bool FormOpen();
    int FirstStar(int state) const;
    int TopStarOf(int item) const;
    int ItemUnder(float x, float y, bool withControls) const;
    bool TakesStar(int item) const;
    void SendBack(int index, const Vec3& target);
    // The star in list slot `index` becomes a star held by the mouse at (x, y).
    void PickUp(int index, float x, float y);
    void ArriveAtItem(size_t index);
    void ArriveAtSource(size_t index);
    void UpdateDescription(float x, float y);
    void UpdateFade(float dt, int& opened);
    void DropStarsAndStubs();
    void CrackStubs(float dt);
    void CrackStub(const CRefPtr<CSpriteShape>& stub);
    void AddHalo(const Vec3& at, float spin);
    void UpdateRays(float dt);
    void UpdateBackground(float dt);
    void UpdatePointers(float dt);
    void AddPulse(const Vec3& at);
    void DropPulses();
    void SetDescription(const char* text);
    void ShowEmptySourceLabel();
    void TintItem(int item, uint32_t colour);
    // The time dial and the gem-count digits show faint until their item can be bought.
    void DimRuleWidgets(int item, bool dim);
    void PlayUpgrade(float x) const;
    // The sand glass: made on opening, faded out on closing, dimmed while the item
    // cannot be bought yet; the note follows the screen's fade.
    void BuildSandGlass(float rate);
    void DropSandGlass(float rate);
    void DimSandGlass(bool dim);
    void ShowSecondsNote(int level);
    void UpdateSandGlass();
    // A bonus item's picture at its level, dropped onto the item over `time`.
    void ShowBonusPicture(int item, int level, float time);
    void ShowBonusLock(int item, int level);
    void DropBonusPictures(float rate);
    void UpdateBonusPictures(float dt);

    CInterface* ui = nullptr;
    CSoundBank* sounds = nullptr;
    CRefPtr<CSpriteList> sprites;
    CRefPtr<CTexture> stubTexture;
    CRefPtr<CTexture> starTexture;
    CRefPtr<CParticleSystemsManager> crackParticles;
    CRefPtr<CParticleSystemsManager> tailParticles;
    CRefPtr<CTexture> pointerTexture;
    CRefPtr<CTexture> tailTexture;
    CRefPtr<CTexture> haloTexture;
    CRefPtr<CTexture> dustTexture;
    CRefPtr<CTextSet> textSet;
    CRefPtr<CFont> noteFont;
    // The ray picture's texture square, as the form made it: centre and width.
    float rayUV[3] = {0.0f, 0.0f, 0.0f};
};
