// CPlayField: the board. One object, made by the game's Init and kept for the
// whole run, that owns the 8 x 8 grid of tokens and every manager acting on it:
// the token list, the value grid, the fade panel, the sand glass, the totems
// and the board's event queue to the game. The game resets it at every level
// start, gives it the level's rules and level file, updates it every frame and
// reads the event queue afterwards.
#pragma once

#include "board/Cap.h"
#include "board/CapsManager.h"
#include "board/Fader.h"
#include "board/MatchGrid.h"
#include "board/PlayFieldEvent.h"
#include "bonuses/AdviserInterface.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"
#include "saves/CounterBlock.h"
#include "hud/PopupMessages.h"
#include "totems/TotemsManager.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CAccuracyChallenge;
class CAttentionChallenge;
class CBonus;
class CBonusManager;
class CDataFolders;
class CGemsBuffer;
class CLevel;
class CLevelParams;
class CMemoryChallenge;
class CParticleSystemsManager;
class CPlayerSettings;
class CQuestLayout;
class CQuestSave;
class CReactionChallenge;
class CSandbox;
class CSoundBank;
class CTerminator;
class CTerminatorManager;
class CTexture;
class CTokenSelector;

// The board's shake: an offset that jumps from side to side and dies away.
class CBoardShake
{
public:
    CBoardShake();

    void Kick(float amount);
    // 1 on the frame on which the shake ends or is stopped.
    int Update(float dt);
    Vec3 Offset() const;
    void Stop() { stopRequested = 1; }

    int32_t active = 0;
    float amplitude = 0.0f;
    float angle = 0.0f;
    float phase = 0.0f;
    int32_t stopRequested = 0;
    float maxAmplitude = 8.0f;
    float decay = 8.0f;      // per second
    float frequency = 30.0f; // direction changes per second
};

// A fixed token that a shuffle sent away, to come back in its own cell.
struct CSavedCell
{
    CSavedCell() { Reset(); }
    void Reset()
    {
        random = 1;
        column = row = colour = lockCount = marked = hasBonus = 0;
        bonusKind = 2;
        bonusLevel = 0;
    }

    int32_t random;  // 0: the refill re-creates the token described here
    int32_t column;
    int32_t row;
    int32_t colour;
    int32_t lockCount;
    int32_t marked;  // it carried a gem
    int32_t hasBonus;
    int32_t bonusKind;
    int32_t bonusLevel;
};

// A swap in flight: the first token is drawn on top while they pass.
typedef std::pair<CRefPtr<CCap>, CRefPtr<CCap>> CapPair;

class CPlayField
{
public:
    enum
    {
        kModeNormal = 100,
        kModeMemory = 101,
        kModeAccuracy = 102,
        kModeAttention = 103,
        kModeReaction = 104,
    };
    // The tutorial tips whose boards the refill and the removal treat apart.
    enum
    {
        kTipBase = 1,
        kTipBonus = 6,
        kTipTotem = 7,
    };
    enum
    {
        kFillRandom = 0,
        kFillLevel = 1,
        kFillSavedCells = 2,
        kFillQuestSave = 3,
    };

    // sandFillRate: the player's sand-glass setting in the game's settings
    // block, read at every reset of normal play (the glass runs while above 0).
    CPlayField(CRefPtr<CCapsManager> caps, const CQuestLayout* layout, const CDataFolders* folders,
               CLevelParams* rules, const float* sandFillRate);
    ~CPlayField();
    CPlayField(const CPlayField&) = delete;
    CPlayField& operator=(const CPlayField&) = delete;

    // Prepares the board for a new level or game: kinds 0 to 2 take the
    // layout's geometry (0 also the sand glass); others keep the old one.
    void Reset(int32_t kind);
    void ClearItems();

    // Level rules: defaults by level number, then what the level file gives.
    void SetupLevelRules(int32_t level);
    int LoadLevel(const std::string& fileName);

    // The event queue.
    int DeferEvents();
    void PostEvent13(int32_t tip, int32_t page);
    void SetFrenzy(bool on);
    void PushEvent(int32_t code);

    // Geometry: board space has y up, row 0 at the top.
    Vec3 CellToScreen(int32_t column, int32_t row, bool addOrigin) const;
    CCellPos ScreenToCell(float x, float y) const;
    Vec3 CellsCentre(const std::vector<CCellPos>& cells, bool addOrigin) const;

    // Colours: steel with the steel chance, else an entry of the colour set.
    int32_t PickNewColour() const;
    // The same, drawing from the colour set directly once the board holds
    // steelSoFar >= steelCount steel tokens, so it never has to draw again.
    int32_t PickNewColourWithinLimit(int32_t steelSoFar) const;

    // Gates.
    bool IsSwappable(int32_t column, int32_t row) const;
    bool IsIdle(bool checkCells) const;
    bool IsGemGoalReached() const;
    // A token carrying a gem in one of the last n rows (a gem stuck low on the board).
    bool HasMarkedCapInBottomRows(int32_t n) const;
    const CRefPtr<CCap>* CellAt(int32_t column, int32_t row) const;

    // The board's sound bank, shared with its token list (landing and
    // locked-token sounds) and its terminators.
    void SetSoundBank(CRefPtr<CSoundBank> bank);

    // The frame: moves, swaps, removals, scoring, settling and refilling.
    void Update(float dt, float mouseX, float mouseY);

    // Swaps: the game starts one for two neighbours; a swap without a line
    // goes back. CheckSwap returns the groups applied.
    void StartSwap(int32_t column1, int32_t row1, int32_t column2, int32_t row2, int32_t back);
    int32_t CheckSwap();
    void FinishTokenMove(CRefPtr<CCap> token);
    CRefPtr<CCap>& HitTest(CRefPtr<CCap>& out, float x, float y);
    // The level is won: every token falls off the board (event 5).
    void DropAllTokens();

    // Removal of the match grid's groups through terminators, and the cascade
    // search of a full, settled board (the groups applied, or 0).
    void ApplyGroups();
    int32_t SearchMatches();

    // Falls into the gaps and new tokens from above; with checkLines or
    // checkMoves the new colours are rolled again while a line is ready or no
    // move exists (within a bound, past which a board with a move stands).
    void Refill(int32_t checkLines, int32_t checkMoves);
    // The level file's opening board written into the value grid.
    void GenerateColours(int32_t steelOnBoard, int32_t locksOnBoard);
    // A falling bonus on a token that goes away moves to another token: 1, or
    // 0 when it was sent off the board.
    int HandOffBonus(CRefPtr<CCap> token);
    // Active tokens into the value grid (colour + 1, negated when locked).
    void RebuildValueGrid();

    // A destroyed token's bonus goes off: gems fly to the gem bar, the
    // solidarity bonus takes every token of its colour with it.
    void ActivateBonus(CRefPtr<CBonus> bonus);
    // Carries out what the bonuses reported this frame: gems reaching the
    // bar, cells hit, bonuses looking for a new token, time and advice.
    void HandleBonusEvents();
    // Takes one token off the board through a terminator of its own (a
    // one-cell group), counted like a matched group; the terminator, or an
    // empty handle when none could be made.
    CRefPtr<CTerminator> RemoveSingleToken(const CRefPtr<CCap>& cap, int32_t sounds, int32_t addMode,
                                           bool start);

    // No move left (or the player asked): every token trembles for the time,
    // over that many points, then falls off; the next refill fills the whole
    // board, fixed tokens of normal play back in their own cells.
    void Shuffle(float time, int32_t points);
    // Every token falls straight off the board, with no event: a saved quest
    // is about to be laid out again.
    void DropAllTokensQuietly();
    // The game closed the tip on screen; seen marks it as seen for good.
    void CloseTutorialStep(int32_t seen);

    // Sand from the tokens of a finished terminator (its index in the
    // finished list), the amount shared among the tokens that broke.
    void SpawnSandFlight(int32_t index, float amount);
    void SpawnSandParticles(const CRefPtr<CParticleSystemsManager>& grainLayer, float x, float y, float z,
                            uint32_t colour, float alpha = 1.0f);

    // Carries out the totems' requests of this frame on the board.
    void ApplyTotemEffects();

    // Challenge tokens shatter into the sand glass, each with that amount of
    // sand: every found token of the memory challenge (one Explode for all),
    // the attention challenge's token plate, the reaction challenge's open
    // plate. A plate that is not fully open shatters nothing.
    void SpawnEventEffects1(float amount);
    void SpawnEventEffects2(float amount);
    void SpawnEventEffects3(float amount);

    // Tips and hints: the tip to show now (0 for none) with its page, and the
    // adviser pointed at every token of a legal swap.
    int32_t PickTip(int32_t& page);
    void ShowMoveHints();

    // Input and panels.
    void SetInputLock(int32_t lock);
    void ShowPanels(int32_t show, int32_t flag, float time);
    void CancelSelection();

    // Statistics of one removed group: its cell count, its tokens and one
    // status word per token (a locked token counts only with status 2).
    void AddGroupStats(int32_t cellCount, const std::vector<CRefPtr<CCap>>& tokens,
                       const std::vector<int32_t>& tokenStatus);

    int32_t playKind = 0;
    int32_t mode = kModeNormal;
    float origin[3] = {0.0f, 0.0f, 0.0f};
    float baseOrigin[3] = {0.0f, 0.0f, 0.0f};
    int32_t columns = 0;
    int32_t rows = 0;
    float cellWidth = 0.0f;
    float cellHeight = 0.0f;
    float tokenRadius = 0.0f;
    std::vector<std::vector<CRefPtr<CCap>>> cells;  // [row][column]
    CMatchGrid matchGrid;
    CCapList capList;
    CRefPtr<CCapsManager> capsManager;
    CRefPtr<CFader> fader;
    CRefPtr<CSandbox> sandbox;
    CRefPtr<CGemsBuffer> gemsBuffer;
    CRefPtr<CTerminatorManager> terminatorManager;
    CRefPtr<CBonusManager> bonusManager;
    CRefPtr<CParticleSystemsManager> effectsA;
    CRefPtr<CParticleSystemsManager> effectsB;
    CRefPtr<CSoundBank> soundBank;
    CRefPtr<CTexture> effectTexture0;
    CRefPtr<CTexture> effectTexture1;
    CRefPtr<CTexture> effectTexture2;
    const CQuestLayout* layout = nullptr;
    const CDataFolders* folders = nullptr;
    const float* sandFillRate = nullptr;
    int32_t inputOpen = 1;
    int32_t inputLocked = 0;
    int32_t selectionCancelled = 0;
    std::vector<int32_t> capsSet;
    float steelChance = 0.0f;
    int32_t steelCount = 0;
    float lockChance = 0.0f;
    int32_t lockCount = 0;
    CRefPtr<CTokenSelector> tokenSelector;
    std::vector<CapPair> pendingSwaps;
    std::vector<CapPair> swapBacks;
    int32_t fillPending = kFillLevel;
    int32_t fillCounter = 0;
    const CQuestSave* savedQuest = nullptr;
    CLevelParams* rules = nullptr;
    int32_t gemsToPlace = 5;
    int32_t gemsToCollect = 5;
    int32_t gemRequest = 0;
    int32_t gemRequestTarget = 8;
    int32_t sandFlightEnabled = 0;
    int32_t pourIntoSandGlass = 0;
    CBoardShake shake;
    CTotemsManager totems;
    int32_t researchRequested = 0;
    CPopupMessages popups;
    CCounterSet counters;
    int32_t gameWord = 0;
    std::vector<CPlayFieldEvent> events;
    int32_t cascadeCounter = 0;
    CAdviserInterface adviser;
    float noMoveTimer = 0.0f;
    CRefPtr<CLevel> level;
    std::vector<std::vector<CSavedCell>> savedCells;
    CRefPtr<CMemoryChallenge> memoryChallenge;
    CRefPtr<CAccuracyChallenge> accuracyChallenge;
    CRefPtr<CAttentionChallenge> attentionChallenge;
    CRefPtr<CReactionChallenge> reactionChallenge;
    int32_t tutorialMode = 1;
    CRefPtr<CPlayerSettings> playerSettings;
    int32_t tutorialStep = 0;
    int32_t tutorialDetail = 0;
    float tutorialTimer = 0.0f;
    int32_t wrongMove = 0;
    int32_t wrongMoveCount = 0;
    float timeSinceMatch = 0.0f;
    int32_t tutorialColour = 0;
    float timeSinceGem = 0.0f;
    int32_t gameWordA = 0;  // written by the game
    int32_t hardMode = 0;   // the level is played at the hard difficulty
    int32_t gameWordB = 0;  // written by the game
    int32_t gameWordC = 0;
    int32_t gameWordD = 0;
    // The player's choice of the short terminator sounds, copied in by the
    // game; bonuses and totems hand it to the terminators they spawn.
    int32_t altSounds = 0;

private:
    // Totem effects: the live token of a cell on the board (or none), tokens
    // in board order, their screen points and cells, k of them at random in
    // board order, and the green totem's fire.
    CRefPtr<CCap> LiveTokenAt(int32_t column, int32_t row) const;
    std::vector<CRefPtr<CCap>> CollectTokens(bool (*wanted)(const CCap&)) const;
    void PointsAndCells(const std::vector<CRefPtr<CCap>>& caps, std::vector<Vec3>& points,
                        std::vector<CCellPos>& where) const;
    static std::vector<CRefPtr<CCap>> ChooseTargets(const std::vector<CRefPtr<CCap>>& candidates, int32_t k);
    void ApplyGreenFire(int32_t level, int32_t charge);
    // One totem request each; the blue and white ones say whether they struck
    // a token, and where, for the one sound of the frame.
    void ApplyGreenTotem(const TotemCellRecord& record);
    void ApplyYellowTotem(const TotemCellRecord& record);
    void ApplyRedTotem(const TotemCellRecord& record);
    bool ApplyBlueTotem(const TotemCellRecord& record, float& struckX);
    bool ApplyWhiteTotem(const TotemCellRecord& record, float& paintedX);
    void ApplyVioletTotem(const TotemCellRecord& record);
    // One token on its way off the board, ten rows below its cell.
    void SendOffBoard(const CRefPtr<CCap>& cap, int32_t column, int32_t row);
    float Gravity() const;
    float BounceRatio() const;
    float SwapTime() const;
    int32_t DrawColour(int32_t& steel) const;
    void StartFall(const CRefPtr<CCap>& cap, int32_t column, int32_t row, bool bounce);
    // The refill's steps. The colours of the new tokens come from the level
    // layout, a quest save, the cells a shuffle kept, or the random draw.
    enum class FillSource { Random, Level, QuestSave, SavedCells };
    // The new tokens in the order they are made, each ordinary one with its
    // number (steel -1), and the sorted numbers of those that carry gems.
    struct NewTokenPlan {
        std::vector<CCellPos> cells;
        std::vector<int32_t> ordinaryNumber;
        int32_t ordinaryCount = 0;
        std::vector<int32_t> gems;
    };
    FillSource CurrentFillSource() const;
    void DropTokensIntoGaps();
    // Counts steel and locked tokens; false when no cell is empty.
    bool CountBoardTokens(int32_t& steel, int32_t& locks) const;
    NewTokenPlan NumberNewTokens() const;
    bool SourceHasGem(FillSource source, CCellPos cell) const;
    void ChooseSourceGems(FillSource source, NewTokenPlan& plan);
    void RollGems(NewTokenPlan& plan);
    int32_t SourceLockCount(FillSource source, int32_t column, int32_t row) const;
    int32_t SourceFixed(FillSource source, int32_t column, int32_t row) const;
    void DropInNewTokens(FillSource source, const NewTokenPlan& plan);
    CRefPtr<CCap> MakeNewToken(FillSource source, int32_t column, int32_t row, Vec3 start, bool marked);
    bool SourceBonus(FillSource source, const CCap& cap, int32_t column, int32_t row, int32_t& kind,
                     int32_t& bonusLevel) const;
    void PlaceSourceBonuses(FillSource source);
    void RestoreSavedTotems();
    void WriteTokenValues();
    void FillValuesFromSave();
    void RollValues(int32_t checkLines, int32_t checkMoves, int32_t steelOnBoard, int32_t locksOnBoard,
                    bool fromSavedCells);
    static void ShuffleColours(std::vector<int32_t>& colours, bool keepFirst);
    // The level layout's colours: groups dealt, letters permuted, one cell's value.
    std::vector<std::vector<int32_t>> DealColourGroups() const;
    std::vector<int32_t> PermuteColours();
    int32_t LayoutValue(char ch, const std::vector<int32_t>& permutation,
                        const std::vector<std::vector<int32_t>>& groups, int32_t& steel) const;
    void RemoveToken(const CRefPtr<CCap>& cap, CTerminator* terminator, int32_t mode);
    // What a bonus does as it goes off, for the kinds with more than a sound.
    void SendGemToBar(CBonus& bonus);
    void StrikeSolidarity(CBonus& bonus);
    void RemoveBlockAround(int32_t column, int32_t row);
    void SendSwapping(const CRefPtr<CCap>& cap, int32_t column, int32_t row, float midZ);
    void PlaceWithShake(float dt);
    void HandleArrivals(float dt, float mouseX, float mouseY);
    void RunSandGlass(float dt);
    void ScoreFinishedGroups();
    bool HasFallingToken() const;
    void SettleAndRefill();
    void TestForMoves(float dt);
    // The running challenge's frame and the events its result asks for.
    void UpdateChallenge(float dt);
    void PushChallengeScore(int32_t points, float x, float y);
    // One plate's token breaks up into pieces (a grid of cuts x cuts, at most
    // maxPieces live), its sand flies off with a dust trail and is poured into
    // the sand glass, and it leaves the challenge's sprite group.
    void ShatterPlate(const CRefPtr<CCapSprite>& plate, float amount, CCapSpriteGroup* group, int32_t cuts,
                      int32_t maxPieces);
    void CrackPlate(const CCapSprite& plate, int32_t cuts, int32_t maxPieces);
};
