// A player for the harness: a list of steps, each waiting for the game to be ready and
// then acting as a player would (clicks on widgets and tokens, keys), with a screenshot
// taken a few frames after the step. Moves on the board are legal moves found on it.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "board/MatchGrid.h"
#include "tests/app/GameHarness.h"

class CAccuracyChallenge;
class CAccuracyStar;
class CCapSprite;
class CMemoryChallenge;
class CReactionChallenge;
class CGame;
class CQuestSave;
class CKMWindow;
class CPlayField;
template <typename T>
class CRefPtr;

class QuestScript
{
public:
    struct Step
    {
        Step() = default;
        Step(std::string stepName, std::function<bool(CGame&)> isReady, std::function<void(GameHarness&)> action,
             std::string picture = std::string(), int delay = 3)
            : name(std::move(stepName)), ready(std::move(isReady)), act(std::move(action)), screenshot(std::move(picture)),
              shotDelay(delay)
        {
        }

        std::string name;
        std::function<bool(CGame&)> ready;
        std::function<void(GameHarness&)> act;
        std::string screenshot;  // taken shotDelay ticks after the step acted
        int shotDelay = 3;
    };

    explicit QuestScript(GameHarness& harness);

    void Add(Step step) { steps.push_back(std::move(step)); }
    // Plays the board with legal moves until the predicate holds (the level won, lost...).
    void Play(std::string name, std::function<bool(CGame&)> until, std::string screenshot = "", int shotAfterMoves = 3);
    // One tick of a player on the board: a token picked, its partner clicked, or a look
    // at the settled board. True when a move has just been made.
    bool MoveTick(CGame& game);
    // Moves are then drawn at random from the legal ones, not the best looking.
    void MoveAtRandom(std::mt19937& source) { random = &source; }
    // Waits without acting.
    void Wait(std::string name, std::function<bool(CGame&)> until, std::string screenshot = "");

    // Where a screenshot of that name goes: the folder the test was started in.
    std::string Shot(const std::string& name) const;

    // Runs the program; 0 when every step ran.
    int Run(int maxTicks);
    bool Finished() const { return next >= steps.size(); }
    std::string Stuck() const { return Finished() ? "" : steps[next].name + " (" + last + ")"; }
    std::vector<std::string> done;
    int moves = 0;

    // Inside actions: clicks in game units and on widgets (by form and window id).
    static void ClickGame(GameHarness& h, float x, float y);
    static bool ClickWidget(GameHarness& h, const char* form, int id);
    // The left button goes down (or up) at a point of the virtual screen, the mouse there.
    static void PressGame(GameHarness& h, float x, float y, bool down);
    static CRefPtr<CKMWindow> FindWidget(CGame& game, const char* form, int id);
    static bool FormShown(CGame& game, const char* form);

    // The star a player clicks next at the accuracy challenge: the first one flying
    // well onto the screen; null when none is.
    static CAccuracyStar* StarInReach(CAccuracyChallenge& challenge);
    // A step's wait that plays the accuracy challenge: the star in reach is clicked and
    // the next click comes three ticks on; it holds once the challenge is decided. The
    // frame two ticks after a click made with eight stars caught goes to `runningShot`
    // (a path), once.
    static std::function<bool(CGame&)> CatchStars(GameHarness& h, std::string runningShot);
    // The plate a player who remembers every plate clicks next at the memory challenge:
    // one not found yet, then its partner; null when none is left to pick.
    static const CCapSprite* PlateToPick(const CMemoryChallenge& challenge);
    // That player's click: once the challenge waits and `nextClick` has come, the plate to
    // pick is clicked and the next click set three ticks on. The plate clicked, or null.
    static const CCapSprite* ClickNextPlate(GameHarness& h, const CMemoryChallenge& challenge, int& nextClick);
    // A token shows at the reaction challenge: the plates turn and the one opened last
    // shows a token, face up. A stop now catches it.
    static bool TokenShows(const CReactionChallenge& challenge);

private:
    bool Tick(GameHarness& h);
    void PickFirst(CPlayField& board, const CSwapMove& move);
    int MoveWorth(CPlayField& board, const CSwapMove& move) const;
    void AimAtTheWantedColour(CPlayField& board, std::vector<CSwapMove>& found);

    GameHarness& harness;
    std::vector<Step> steps;
    size_t next = 0;
    int waitUntil = 0;
    // The move being made: 0 none, 1 first token clicked.
    int moveStage = 0;
    std::string last;
    std::string shotFolder;
    std::mt19937* random = nullptr;
    // Moves that call the wanted colour's totem and leave a second line of it to be made.
    std::vector<CSwapMove> followedCalls;

public:
    // Written the first time a trophy screen is closed during play.
    std::string trophyShot;
    // A trophy screen is closed once its awards have played, unless the script looks at it.
    bool closeTrophies = true;
    int moveCells[4] = {0, 0, 0, 0};
    int idleTicks = 0;
    // A token colour the player is after (its matches call that colour's totem), or -1.
    int wantedColour = -1;
};

// Shop levels as a quest played so far holds them: every item its levels have made
// available at level 0, the others not owned (a bonus not owned shows its lock).
constexpr int32_t kShopAsPlayed = -2;

// A player folder with a quest saved in the shop after level `level`, as the shop's
// autosave leaves it, and the options naming that player; `shopLevel` gives every
// item that level instead, and `edit` changes the record before it is written.
void SaveQuestInShop(GameHarness& h, const std::string& name, int level, int32_t shopLevel = kShopAsPlayed,
                     std::function<void(CQuestSave&)> edit = nullptr);
// A player past the tutorials (no tip stops the clock), and the options naming them.
void MakeVeteran(GameHarness& h, const std::string& name);
