// CTotemsManager: the Power Totems of the board, a member of the play field.
// It keeps one small totem on the panel for every colour the player owns, turns
// the board's colour requests into flights to the centre, arms and charges the
// totem there, runs every live totem once per frame, and turns what the totems
// want done on the board into cell records that the board carries out in the
// same frame. It also publishes the board's geometry to the totems and bonuses
// (TotemBoardGeometry), and holds the totems' settings and textures.
#pragma once

#include "audio/SoundBank.h"
#include "board/BoardGeometry.h"
#include "board/MatchGrid.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"
#include "render/Device.h"
#include "totems/GreenTotem.h"
#include "totems/Totem.h"
#include "totems/TotemSettings.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class CLevelParams;

// One request of a totem to the board, carried out by the board's
// ApplyTotemEffects: kind is the totem's colour (0..6) or 1000 (a counter).
struct TotemCellRecord
{
    int32_t kind = 0;
    int32_t column = 0;
    int32_t row = 0;
    int32_t value = 0;
    float factor = 0.0f; // start x
    float startY = 0.0f;
    float startZ = 0.0f;
    float ctrl[3] = {0.0f, 0.0f, 0.0f};
    float time = 0.0f;
    int32_t bonusType = 0;
    int32_t extra = 0;
};

const int32_t kTotemRecordRepeat = 1000;

// The game's rules block that the totems hand to the board's rule functions.
void SetGameRules(const CLevelParams* rules);
const CLevelParams* GameRules();

// Textures the manager loads itself, in loading order.
enum TotemTexture
{
    kTotemTexSmall,
    kTotemTexShadows,
    kTotemTexLights,
    kTotemTexDigits,
    kTotemTexRedBody,
    kTotemTexOrangeBody,
    kTotemTexVioletBody,
    kTotemTexVioletRays,
    kTotemTexGreenBody,
    kTotemTexUnigem,
    kTotemTexYellowBody,
    kTotemTexBlueBody,
    kTotemTexSteelCaps,
    kTotemTexWhiteBody,
    kTotemTexPaintStream,
    kTotemTexPaintDrop,
    kTotemTexBase,
    kTotemTexDark,
    kTotemTexContour,
    kTotemTextureCount
};

// Textures the game hands over, in the order of SetTextures.
enum TotemGameTexture
{
    kTotemGameHalo,
    kTotemGameSpellFuzzy,
    kTotemGameFireCloud,
    kTotemGameStarParticle,
    kTotemGameTwirl,
    kTotemGamePanelGlass,
    kTotemGameGemFlares,
    kTotemGameLightning,
    kTotemGameSpark,
    kTotemGameCloud,
    kTotemGameChain,
    kTotemGameChainNext,
    kTotemGameShopColor,
    kTotemGameShopMul,
    kTotemGameShopBW,
    kTotemGameTextureCount
};

typedef std::array<CRefPtr<CTexture>, kTotemGameTextureCount> TotemGameTextures;

class CTotemsManager
{
public:
    CTotemsManager();
    ~CTotemsManager();
    CTotemsManager(const CTotemsManager&) = delete;
    CTotemsManager& operator=(const CTotemsManager&) = delete;

    // Start-up: the tuning file, the drawing objects, the pictures.
    void LoadSettings(const char* path);
    void SetRenderObjects(CRefPtr<CDevice> device, CRefPtr<CSpriteList> spriteList,
                          CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteBatch> spriteBatch,
                          const CLevelParams* rules);
    // False, naming the picture in the log, at the first one that does not load.
    bool LoadTextures(const std::string& folder);
    void SetTextures(const TotemGameTextures& textures);
    // Switches the bodies between their shop and play pictures; false when any
    // picture could not be made again (each failure is logged, the rest go on).
    bool RecreateTextures(int32_t shopMode, const std::string& folder);

    // Makes a totem of a colour 0..6 (else none) at a level clamped to 1..4.
    void CreateTotem(CRefPtr<CTotem>& out, int32_t colour, TotemMode mode, int32_t level, bool addToLive);
    void AddLiveTotem(const CRefPtr<CTotem>& totem);
    void RemoveLiveTotem(const CRefPtr<CTotem>& totem);

    // A level starts: a small totem for every owned colour, no selection.
    void CreatePanelTotems();
    // The level is left or the shop rebuilt: every totem and shop picture fades out.
    void FadeOutAll(float speed);
    // The panel's plinth and, for every colour not owned, a silhouette and its outline.
    void BuildPanelPictures(int32_t visible);
    // Fades the panel pictures in or out at the speed; 0 shows or hides them at once.
    void SetPanelPicturesVisible(int32_t show, float speed);
    // The shop's display of a colour at a level: locked (below 0), offered (0)
    // or a live shop totem (owned); the old display fades out at the same speed.
    void ShowShopTotem(int32_t colour, int32_t level, float speed);
    void ShowShopTotems(float speed);
    // A message box over the shop hides the owned totems' lasting effects (their
    // particles draw above the forms); they come back when the shop is active again.
    void SetShopEffectsShown(bool shown);
    // One totem leaves the stage, fading at the speed.
    void DismissTotem(const CRefPtr<CTotem>& totem, float speed);

    // The board's calls.
    void RequestTotem(int32_t colour);
    // Runs the totems for a frame; the number of records left for the board.
    int32_t Update(float dt);
    bool IsIdle() const { return m_ready != 0 && m_requests.empty(); }
    void SetShieldMode(int32_t value);
    // The selected totem goes back to the panel; then none is selected.
    void ReturnSelectedTotem();
    int32_t CountAvailableTotems() const;

    // The board's answers to the green, blue and white totems while they act:
    // the green totem's gem tokens with the targets of its new gems (it gives a
    // delay per gem token); the blue totem's steel tokens; the white totem's targets.
    void OnMatchGreen(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                      const std::vector<CCellPos>& cells, std::vector<float>& delays);
    void OnMatchBlue(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells);
    void OnMatchWhite(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells);

    // Writes the shared geometry record; the manager itself is not used.
    void SetTotemBoardGeometry(float x, float y, float z, int32_t columns, int32_t rows, float cellWidth,
                               float cellHeight);

    // The green totem standing for its colour, or none.
    CGreenTotem* GreenTotem() const;

    CRefPtr<CDevice> m_device;
    CRefPtr<CSpriteList> m_spriteList;
    CRefPtr<CParticleSystemsManager> m_particles;
    CRefPtr<CSpriteBatch> m_spriteBatch;
    CTotemSettings m_settings;
    std::array<CRefPtr<CTexture>, kTotemTextureCount> m_textures;
    TotemGameTextures m_gameTextures;
    int32_t m_levels[kTotemColourCount] = {0, 0, 0, 0, 0, 0, 0};
    int32_t m_selectedColour = -1;
    int32_t m_repeatCount = 0;
    std::deque<int32_t> m_requests;
    int32_t m_ready = 1;
    std::vector<CRefPtr<CTotem>> m_liveTotems;
    CRefPtr<CTotem> m_currentTotems[kTotemColourCount];
    std::vector<TotemCellRecord> m_cellRecords;
    int32_t m_shieldMode = 0;
    float m_speedFactor = 1.0f;
    int32_t m_shopImages = 0; // the bodies hold their shop pictures
    CRefPtr<CTotem> m_shopTotems[kTotemColourCount];
    bool m_shopEffectsHidden = false;
    std::vector<CRefPtr<CSpriteShape>> m_panelPictures;
    int32_t m_panelPicturesVisible = 0;
    std::vector<CRefPtr<CSpriteShape>> m_shopPictures[kTotemColourCount];
    CRefPtr<CSoundBank> m_soundBank;

private:
    TotemResources ResourcesOf(int32_t colour) const;
    // Request handling and the per-frame steps.
    bool TakeRequest();
    void Select(int32_t colour, int32_t zOrder, float duration);
    void Return(int32_t colour);
    void ArriveOrLand(const CRefPtr<CTotem>& totem);
    void EndActivePhase(const CTotem& totem);
    // The totem's effects handed over or taken away.
    void Disarm(CTotem& totem);
    void PlayColourSound(int32_t colour);
    // A picture of the panel or the shop, added to the sprite list.
    CRefPtr<CSpriteShape> AddPicture(const TotemScreenBox& box, uint32_t colour, const CRefPtr<CTexture>& texture,
                                     int32_t blendMode, int32_t zOrder, float alpha, int32_t shown);
    void FadeOutShopPictures(int32_t colour, float speed);
    void HideFadedPanelPictures();
};
