// CGame: the one game object. It owns every manager of the running game (particles,
// sprite lists and batches, fonts and texts, the interface object, sounds and music,
// the tables, the board once it exists), plays the splash pictures, runs the game
// states each frame and turns input into play. The program entry creates it with the
// renderer and holds it through the only long-lived counted handle; PreInit and Init
// fill it, and its destructor releases everything before the renderer goes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/LevelParams.h"
#include "engine/DataFolders.h"
#include "engine/RefPtr.h"
#include "game/Frame.h"
#include "game/GamePhases.h"
#include "game/TrophyScreen.h"
#include "saves/HighScores.h"
#include "game/Options.h"
#include "platform/win32.h"
#include "hud/QuestLayout.h"

class CBackgroundManager;
class CCap;
struct CPlayFieldEvent;
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
class CSoundConversion;
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

// Sub-states of the playing state.
enum
{
    kSubStateNormalPlay = 1,
    kSubStateLevelComplete = 5,
    kSubStateStatistics = 6,
    kSubStateAfterLevel = 7,
    kSubStateShop = 8,
    kSubStateMap = 9,
    kSubStateLevelIntro = 10,
    kSubStateChallenge = 11,
    kSubStateBackFromTutorial = 14,
    kSubStateQuestLeft = 15,
    kSubStateLifeLost = 16,
    kSubStateGameOver = 17,
};

// Message-box codes: which question the open box asks.
enum
{
    kMessageTutorial = 3,
    kMessageChallengeRules = 4,
    kMessageLifeLost = 5,
    kMessageGameOver = 6,
    kMessageStarsLeft = 7,
    kMessageNoStars = 8,
    kMessageHighScore = 9,
    kMessageHardUnlocked = 10,
    kMessageTryHard = 11,
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
constexpr int kLevelKindMemory = 101;
constexpr int kLevelKindAccuracy = 102;
constexpr int kLevelKindAttention = 103;
constexpr int kLevelKindReaction = 104;

// Tutorial tips of the quest (the board's tip numbers).
enum
{
    kTipNone = 0,
    kTipBase = 1,
    kTipGem = 2,
    kTipWrong = 3,
    kTipTimer = 4,
    kTipSandbox = 5,
    kTipBonus = 6,
    kTipTotem = 7,
    kTipLock = 8,
    kTipSteel = 9,
    kTipShop = 10,
};

// Timing of play, in seconds.
constexpr float kTutorialBlockTime = 1.5f;
constexpr float kHintDelay = 15.0f;
constexpr float kHintShowTime = 3.0f;
constexpr float kLifeLostDelay = 2.0f;
constexpr float kSecondHintDelay = 50.0f;
constexpr int32_t kLowGemRows = 3;  // a gem this low waits on the second hint
constexpr float kAutosaveInterval = 3.0f;

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
    // When the splash ends in the middle of the first run's sound conversion, the
    // conversion runs to its end first: its messages keep lines of their own, ahead
    // of Init's line in the log.
    void FinishSoundConversion();
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

    // Level start (LevelStart.cpp).
    int NewQuestFromMenu(int hard);
    int StartNewQuest(int hard);
    void StartLevel(int level);
    void ContinueQuest();
    void RestartLevelFromSave();
    void UpdateQuestRecord(int withShop);
    void EndTutorial(int showMessage);
    int LevelNumber() const { return levelParams.level; }
    std::string PlayerFolder() const;

    // Input helpers and predicates (Input.cpp).
    static int IsDelayedTutorialKind(int kind);
    int CanPause() const;
    int IsPlayQuiet() const;
    // Sand on its way into the glass: poured by a match and not landed yet.
    bool IsSandFalling() const;
    int IsTutorialSwapAllowed(int col, int row) const;
    void EnterLevelIntroWait();
    int SwitchSceneForLevel(int oldLevel, int newLevel);
    void BlinkQuestIndicator1(float step);
    void BlinkQuestIndicator2(float step);
    int SubmitHighScore(int score);
    int CheckTrophies();
    int CheckPlayTrophies(int flag);
    void FinishQuest();
    void LeaveWonLevel();
    int PickOrSwapAt(float x, float y);
    int GetVideoMode() const;
    void ShowVideoMode(int mode);
    int GetVideoOptionsAvailable(int mode) const;
    int ToggleVideoOption(int mode, int option) const;
    int SwitchVideoMode(int mode);
    void TogglePauseMenu();

    // Commands by widget id (CommandDispatch.cpp): 1 closes the program.
    int MenuCommand(int id);
    int PlayCommand(int id);
    void GoToMap();
    void OpenOptions(const char* from, float speed);
    void CloseOptions(const char* to, float speed);
    void CloseTrophies();

    // The play update (PlayUpdate.cpp).
    int Update(float dt);
    void HandleBoardEvent(const CPlayFieldEvent& event);
    int CheckTutorialSwap(int col, int row);
    void SetRemainingTime(float seconds);

    // Panels (GamePanels.cpp).
    void CompleteLevel();
    void LoseLife(bool timeUp, bool final);
    int ShowHint();
    void CheckExtraLife();
    void SpendLifeForShuffle(int icon);
    void UpdateMapFlag(float dt);
    void UpdateLevelStatistics(float dt);
    void FinishLevelStatistics();
    void ShowLevelResults(int reveal);
    bool IsUnearnedBadge(int number) const;
    void ShuffleBoard(float time);

    // Saves (SaveSlots.cpp).
    void DeleteQuestSaves(int skip, int alsoSecond);
    bool RotateAutosaves(int skip);
    bool CopyAutosave(int skip);
    bool LoadAutosave(int previousLevel);
    // The quest as its first level began: no shop autosave stands before that level.
    bool ReloadLevelStart();
    void EnterLifeLost();
    void KeepRunsOverReload(CQuestSave& record);
    void SaveAndLeaveLevel(int saveOnly);
    void ResetLevelFromRecord();
    bool SaveDisplaySettings();
    void SaveQuestOnLeaving();
    // Each writes one file of the player's and reports a failure (log and message
    // box); what was not written stays in memory. False on failure.
    bool SaveQuest(const char* file);
    bool SavePlayerSettings();
    bool SaveTrophies();
    bool SaveHighScores();
    bool SaveGameOptions();
    bool SaveSoundOptions();

    // Tutorials, game over and the trophies screen (Tutorials.cpp).
    int IsTutorialPick(const CRefPtr<CCap>& token) const;
    void AdvanceTutorialPick(const CRefPtr<CCap>& token);
    void ShowTutorialStep(int kind, int step);
    int StartGameOver();
    void ShowTrophies(int open);

    // Bonus levels (Challenges.cpp). The opener of the challenge the schedule
    // names after the level just won: 0 when the level has none.
    int OpenChallengeOfLevel();
    void OpenMemoryChallenge(int number, int tier);
    void OpenAccuracyChallenge(int number, int tier);
    void OpenAttentionChallenge(int number, int tier);
    void OpenReactionChallenge(int number, int tier);
    void HandleChallengeEvent(const CPlayFieldEvent& event);
    // A left click on the challenge screen; taken when a widget took it.
    void ChallengeClick(float x, float y, bool taken);
    // The "Stop!" command of the reaction challenge: 0 when it cannot be given.
    int StopReaction(float x, float y);
    int IsChallengeWon() const;
    // A level left from the challenge screen puts its challenge to rest.
    void CloseChallengeOnReset();

    // The mouse in game units: x -512..512 across the 4:3 area, y 384 (top) .. -384.
    void PolledMouse(float* x, float* y) const;
    static void MapCursor(int cursorX, int cursorY, int clientWidth, int clientHeight, float* x, float* y);

    // The last message of the error list, or "Unknown Error!".
    std::string LastError() const;
    void AddError(const std::string& message);

    // Test seam: called with the game just before each present, when set.
    static void (*beforePresent)(CGame& game);
    // Test seam: a frame whose picture nobody looks at is not drawn when this says so.
    static bool (*skipDrawing)(CGame& game);

    std::vector<std::string> errors;
    CRefPtr<CDevice> device;
    CRefPtr<CRenderer> renderer;
    // What the frame draws above the engine's own layers, filled as start-up makes it.
    GameFrameModules frameModules;
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
    CRefPtr<CQuestSave> levelStartRecord;
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
    int32_t tokenPicked;
    float blinkTimers[2];
    CRefPtr<CBestResults> bestScores;
    CRefPtr<CBestResults> bestTimes;
    int32_t currentVideoMode;
    int32_t pendingVideoMode;
    CRefPtr<CTrophies> trophies;
    CTrophyScreen trophyScreen;  // shows `trophies`
    int32_t noProfile;
    int32_t secondImagePresent;
    int32_t firstImagePresent;
    CRefPtr<CTexture> secondSplash;
    CRefPtr<CTexture> firstSplash;
    int32_t splashPhase;
    float splashTimer;
    int32_t splashRunning;
    CRefPtr<CTexture> loadingImage;
    // Init's loading, a step at a time. The program entry lets it run in the splash's
    // holds, where the picture stands still; what is left runs when the splash ends.
    int32_t loadDuringSplash = 0;
    int32_t loadingStep = 0;
    int32_t loadingFailed = 0;
    // The last progress the loading reached; below 0 before the first.
    float loadingProgress = -1.0f;
    std::unique_ptr<CSoundConversion> soundConversion;
    // The board's sand-glass setting, read at every reset of normal play: the glass runs.
    float sandFillRate;
    // The mouse of the last frame, in game units.
    float mouseX;
    float mouseY;

    // Play: the clock, the challenge, the life-lost sequence, hints and autosaves.
    int32_t challengeNumber = 0;
    int32_t challengeTier = 0;
    float challengeTime = 0.0f;  // the running challenge's whole time, for the gauge
    float nextWarning = 30.0f;
    int32_t lossRunning = 0;
    float lossTimer = 0.0f;
    int32_t lossTimeUp = 0;
    int32_t lossFinal = 0;
    float hintTimerA = 0.0f;
    float hintTimerB = 0.0f;
    float autosaveTimer = 0.0f;
    // Set when the shop opens after a won level: its first settled frame rotates the
    // autosaves and saves the quest. A reloaded autosave clears it, so the retry's shop
    // keeps the level before in the second autosave.
    int32_t shopAutosave = 0;
    // What the board never reads: the game's own words about the level in play.
    int32_t boardSecondRun = 0;
    int32_t starCount = 0;
    int32_t wonChallenges = 0;
    int32_t completedRun = 0;
    int32_t noHintRun = 0;
    int32_t specialMode = 0;
    float hintShowTime = 3.0f;
    // The level summary.
    int32_t levelScoreBefore = 0;
    int32_t questScoreBefore = 0;
    int32_t secondsLeft = 0;
    int32_t timeBonus = 0;
    int32_t newBestScore = 0;
    int32_t newBestTime = 0;
    int32_t countingSound = 0;

private:
    // Steps of resuming a quest from its record (LevelStart.cpp); a retry goes back
    // through the shop before the level.
    void ResumeFromRecord(bool retry);
    void ResumeScene(int level, bool inShop, bool retry);
    void ResumeBoardFill(bool inShop);
    void ResumeLevelContent(const CQuestSave& record, bool inShop);

    // Steps of the play update (PlayUpdate.cpp).
    void UpdateSubState(float dt, bool tutorialBlocks);
    void SwapHeldTokenUnderPointer();
    void DrainBoardEvents();
    void OfferPlayTrophies();
    void UpdateStarAward(float dt);
    void UpdateLifeLostDelay(float dt);
    void UpdateNormalPlay(float dt, bool tutorialBlocks);
    void RunPlayClock(float dt);
    void UpdateHintPanel(float dt);
    void UpdateIconPanel(float dt);
    float TimePanelX() const;
    void UpdateLevelComplete(float dt);
    void UpdateAfterLevel(float dt);
    void UpdateNextLevelIntro(float dt);
    void UpdateBackFromTutorial(float dt);
    void UpdateQuestLeft(float dt);
    void UpdateLifeLost(float dt);
    void UpdateGameOver(float dt);
    void UpdateShopAutosave(float dt);
    // Steps of the challenge screen (Challenges.cpp).
    void SetChallengeClock(float seconds);
    void EnterChallenge(int32_t kind);
    void UpdateChallengeScreen(float dt);
    void ShowChallengeForm();
    void ShowChallengeRules();
    void StartChallengePlay();
    void RunChallengeClock(float dt);
    void EndChallengeAtTimeUp();
    void ShowStopButtons(int show);
    void ShowChallengeMessage(int text, int style, float displayTime);
    void ShowChallengeMessage(const std::string& text, int style, float displayTime);
    void ChallengeSucceeded();
    void ChallengePrompt(int32_t which);
    // The memory round's found tokens go to the sand glass and its plates fly off.
    void CollectMemoryRound();
    // A round ended: the memory challenge's next round or the attention
    // challenge's next try; 0 when the verdict is due.
    int StartNextChallengeRound();
    void GiveChallengeVerdict();
    void ResetRunningChallenge();
    void ReleaseChallenge();
    void LeaveChallengeForMap();
    void CloseChallengeTrophies();
    // Moves to the next phase of the current sequence with its timer at 0.
    void NextPhase(int32_t next);
    void HidePlayPanels();
    // The totems beside the board and their plinth go with the play screen.
    void FadeOutTotems();
    void ShowLevelTitle();
    void StartLevelPlay();
    void LeavePlay();
    void ClearBoardForMenus();
    void ReturnToMenus();
    void ShowLifeLostMessage();
    void ShowGameOverMessage();
    void OpenLossMessage();
    // The won level waits for the player's click on the map or the newspaper.
    bool IsWaitingAfterLevel() const;
    void ShowShopTip();
    // Play commands (CommandDispatch.cpp).
    void BuyHint();
    void OpenGameMenu();
    void ShowMapAfterLevel();
    void LeaveShop();
    void MakeShop();
    void AnswerMessage();
    void ShopCommand(int id);
    // Steps of the level statistics (GamePanels.cpp).
    void RevealStatisticsRow(int row, int32_t next);
    // A row's pop (with its sound), and the new best's burst (with its sound).
    void PopStatisticsRow(int row);
    void PopStatistics(float x, float y, float z, float width, float height);
    void BurstNewBest(int row);
    void CountTimeBonus(float t);
    void RevealStatisticsColumnLine();

    bool SkipLogoGroup();
    int RunSplash(float elapsed);
    void DrawSplash(const CRefPtr<CTexture>& picture, float level);
    int EndSplash();
    void UpdateAnimations(float step);
    void HandleInterfaceEvents(float step);
    void UpdateStartup(float step);
    void DropLoadingPicture();
    void UpdateLogoGroup();
    void UpdateLevelIntro(float step);
    void UpdateSpecialIntro(float step);
    void UpdateQuestEnd(float step);
    void LeaveQuestEnd();
    void RenderAndPresent();
    void Present();
    void ShowLoading(float progress);
    bool MakeParticleBuffers();
    // Init's loading steps (GameInit.cpp): runs the next one; false once all are done
    // or one has failed (loadingFailed).
    bool RunLoadingStep();
    bool LoadingDone() const;
    bool LoadDuringSplash();
    bool FinishInit();
    // Steps of Init (GameInit.cpp), in their order; the bool ones stop the start on failure.
    void ReadOptions();
    bool ShowLoadingPicture();
    void MakeEffectManagers();
    bool LoadFonts();
    void MakeTextSet();
    void LoadResultTables();
    bool MakeInterface();
    bool MakeCaps();
    bool MakeBoard();
    bool MakeGemBar();
    void MakeBoardEffects();
    void MakeSandGlass();
    void RestoreSand(const CQuestSave& record);
    // The flash of the Spark over the sand glass when a score frenzy starts.
    void FlashSandGlass(const CPlayField& field);
    bool MakeBonuses();
    bool MakeTotems();
    void MakePopups();
    void MakeHudEffects();
    void MakeBackgrounds();
    void StartSounds();
    bool ConvertNextSound();
    void LoadSounds();
    void StartMusic();
    void MakeFpsText();
    bool MakeCursor();
    void EnterStartup();
    void MakeTrophies();
    bool LoadTextureTable();
    void SelectPlayer();
};
