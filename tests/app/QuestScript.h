// A player for the harness: a list of steps, each waiting for the game to be ready and
// then acting as a player would (clicks on widgets and tokens, keys), with a screenshot
// taken a few frames after the step. Moves on the board are legal moves found on it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/app/GameHarness.h"

class CGame;
class CKMWindow;
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
    // Waits without acting.
    void Wait(std::string name, std::function<bool(CGame&)> until, std::string screenshot = "");

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

private:
    bool Tick(GameHarness& h);
    std::string Shot(const std::string& name) const;

    GameHarness& harness;
    std::vector<Step> steps;
    size_t next = 0;
    int waitUntil = 0;
    // The move being made: 0 none, 1 first token clicked.
    int moveStage = 0;
    std::string last;
    std::string shotFolder;

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
