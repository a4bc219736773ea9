// CGame: the one game object. It owns every manager of the running game (particles,
// sprite lists and batches, fonts and texts, the interface object, sounds and music,
// the tables, the board once it exists), plays the splash pictures, runs the game
// states each frame and turns input into play. The program entry creates it with the
// renderer and holds it through the only long-lived counted handle; PreInit and Init
// fill it, and its destructor releases everything before the renderer goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/LevelParams.h"
#include "engine/DataFolders.h"
#include "engine/RefPtr.h"
#include "game/HighScores.h"
#include "game/Options.h"
#include "platform/win32.h"
#include "screens/QuestLayout.h"

class CBackgroundManager;
class CBestResults;
class CCapsManager;
class CDevice;
class CFont;
class CIndexBuffer;
class CInterface;
class CLossEffect;
class CMusic;
class CParticleSystemsManager;
class CPlayField;
class CPlayerSettings;
class CQuestSave;
class CRenderer;
class CShop;
class CSoundBank;
class CSpriteBatch;
class CSpriteList;
class CStarEffect;
class CText;
class CTextSet;
class CTexture;
class CTrophies;
class CVertexBuffer;

// Game states; the playing state refines itself with sub-states.
enum
{
    kStateNone = 0,         // before Init ends
    kStateMenus = 2,
    kStatePlaying = 3,
    kStateLevelIntro = 4,
    kStateSpecialIntro = 12,
    kStateStartup = 13,     // the logo groups of the "Splash" form
    kStateQuestEnd = 18,
};

// Sub-states set by the frame.
enum
{
    kSubStateNormalPlay = 1,
    kSubStateShop = 8,
};

// What the frame returns.
enum
{
    kFrameGoOn = 0,
    kFrameRunInit = 4,  // the splash sequence has ended: Init must run now
};

// What the interface's key handling answers when the new-profile dialog made a profile.
constexpr int kProfileCreated = 3;

// Level kinds.
constexpr int kLevelKindPlain = 100;

// The fourteen shared effect pictures and the ten screen pictures, in member order.
enum
{
    kTexStarParticle,
    kTexLightning,
    kTexSpark,
    kTexSand,
    kTexCloud,
    kTexSmallSand,
    kTexHalo1,
    kTexRing,
    kTexSpellFuzzy,
    kTexFireCloud,
    kTexTwirl,
    kTexFlare,
    kTexStarSand,
    kTexJungleFlash,
    kEffectTextureCount
};
enum
{
    kTexFrame,
    kTexFrameBack,
    kTexSelector,
    kTexSandbox,
    kTexSandboxGlass,
    kTexSandboxFront,
    kTexScoreFrenzyStar,
    kTexGemProgress,
    kTexBigStar,
    kTexShopPointer,
    kScreenTextureCount
};

class CGame
{
public:
    explicit CGame(CRefPtr<CRenderer> renderer);
    ~CGame();
    CGame(const CGame&) = delete;
    CGame& operator=(const CGame&) = delete;

    bool PreInit(HWND window, HINSTANCE instance);
    bool Init(HWND window, HINSTANCE instance);
    int LoadAdditionalFonts();

    // One frame: the splash sequence before Init, else the update of every animation,
    // the mouse, the interface's events, the state machine and the renderer's frame.
    int Frame(float elapsed, int render, int minimised);

    // Input handlers: 1 asks the program to close.
    int OnKeyDown(WPARAM key);
    int OnKeyUp(WPARAM key);
    int OnChar(WPARAM ch);
    int OnLButtonDown(int x, int y, WPARAM keys);
    int OnLButtonUp(int x, int y, WPARAM keys);
    int OnRButtonDown(int x, int y, WPARAM keys);
    int OnRButtonUp(int x, int y, WPARAM keys);
    void SetFps(float value);
    void ToggleFps();
    // Writes the quest save when a quest is in progress (the window is closing).
    void SaveOnExit();

    int SwapPanelTextures(int shopOpening, int keep);

    // The mouse in game units: x -512..512 across the 4:3 area, y 384 (top) .. -384.
    void PolledMouse(float* x, float* y) const;
    static void MapCursor(int cursorX, int cursorY, int clientWidth, int clientHeight, float* x, float* y);

    // The last message of the error list, or "Unknown Error!".
    std::string LastError() const;
    void AddError(const std::string& message);

    // Test seam: called with the game just before each present, when set.
    static void (*beforePresent)(CGame& game);

    std::vector<std::string> errors;
    CRefPtr<CDevice> device;
    CRefPtr<CRenderer> renderer;
    int32_t fullScreen;
    int32_t displayWord;
    HWND window;
    HINSTANCE instance;
    CDataFolders folders;
    CQuestLayout questLayout;
    CGraphicsOptions graphicsOptions;
    CSoundOptions soundOptions;
    CGameOptions gameOptions;
    int32_t fpsShown;
    float fps;
    CRefPtr<CText> fpsText;
    CRefPtr<CVertexBuffer> particleVertexBuffer;
    CRefPtr<CIndexBuffer> particleIndexBuffer;
    CRefPtr<CParticleSystemsManager> particles[6];
    CRefPtr<CTexture> effectTextures[kEffectTextureCount];
    CRefPtr<CSpriteBatch> spriteBatches[3];
    CRefPtr<CFont> mainFont;
    std::vector<CRefPtr<CFont>> fonts;
    CRefPtr<CTextSet> textSet;
    int32_t state;
    int32_t subState;
    float stateTimer;
    int32_t phase;
    int32_t questMode;
    int32_t levelKind;
    CRefPtr<CInterface> ui;
    CHiscoresTable hiscores;
    uint8_t questId[16];
    int32_t hiscoreMade;
    CRefPtr<CMusic> music;
    CRefPtr<CSoundBank> soundBank;
    CRefPtr<CQuestSave> questSave;
    float levelTimer;
    int32_t questJustLoaded;
    int32_t levelFlag;
    int32_t initComplete;
    // Set once the display's own gamma ramp has been saved, so that only a saved ramp
    // is ever put back.
    int32_t gammaSaved;
    CRefPtr<CSpriteList> spriteLists[4];
    CRefPtr<CPlayerSettings> player;
    CRefPtr<CCapsManager> caps;
    CRefPtr<CTexture> screenTextures[kScreenTextureCount];
    CRefPtr<CPlayField> board;
    CRefPtr<CBackgroundManager> backgrounds;
    CLevelParams levelParams;
    CRefPtr<CShop> shop;
    CRefPtr<CStarEffect> starEffect;
    CRefPtr<CLossEffect> lossEffect;
    int32_t lives;
    int32_t levelEnd;
    int32_t tokenPicked;
    float blinkTimers[2];
    CRefPtr<CBestResults> bestScores;
    CRefPtr<CBestResults> bestTimes;
    int32_t currentVideoMode;
    int32_t pendingVideoMode;
    CRefPtr<CTrophies> trophies;
    int32_t noProfile;
    int32_t secondImagePresent;
    int32_t firstImagePresent;
    CRefPtr<CTexture> secondSplash;
    CRefPtr<CTexture> firstSplash;
    int32_t splashPhase;
    float splashTimer;
    int32_t splashRunning;
    CRefPtr<CTexture> loadingImage;
    // The board's sand-glass setting, read at every reset of normal play: the glass runs.
    float sandFillRate;
    // The mouse of the last frame, in game units.
    float mouseX;
    float mouseY;

private:
    bool SkipLogoGroup();
    int RunSplash(float elapsed);
    void DrawSplash(const CRefPtr<CTexture>& picture, float level);
    void UpdateAnimations(float step);
    void HandleInterfaceEvents(float step);
    void UpdateStartup(float step);
    void UpdateLevelIntro(float step);
    void UpdateSpecialIntro(float step);
    void UpdateQuestEnd(float step);
    void RenderAndPresent();
    void Present();
    void ShowLoading(float progress);
    bool MakeParticleBuffers();
    bool LoadTextureTable();
    void SelectPlayer();
};
