// The steps of the game's timed sequences: one set of phase names per state or
// sub-state. The game object's phase word holds one of them; negative phases are
// waiting steps. The values are the game's own (scripted runs and the input handlers
// compare them), so each sequence keeps its numbers and only gains names.
#pragma once

#include <cstdint>

// The pictures shown before Init (the splash phase word).
namespace SplashPhase
{
enum : int32_t
{
    FirstFadeIn = 0,
    FirstHold = 1,
    FirstFadeOut = 2,
    SecondFadeIn = 3,
    SecondHold = 4,
    SecondFadeOut = 5,
};
}

// The start-up state: the logo groups of the "Splash" form. From FirstGroup on the
// phase is group * GroupStride + the step within the group.
namespace StartupPhase
{
enum : int32_t
{
    StartFirstGroup = 0,
    DropLoadingPicture = 3,  // the first bloom is done: the loading picture leaves
    ToFirstGroup = 4,
    FirstGroup = 10,
    GroupStride = 10,
    // Steps within a group.
    GroupHold = 0,
    GroupFadeOut = 1,
    GroupBloom = 2,
};
}

// The level-intro state and the level-intro sub-state (the latter starts at ShowTitle).
namespace LevelIntroPhase
{
enum : int32_t
{
    LoadIntroPicture = -10,
    IntroPictureLoaded = -9,
    ShowIntroPages = -8,
    IntroPagesShown = -7,  // waits for the player to page through
    IntroClosing = -6,     // waits for the "Intro" form to fade out
    ShowTitle = 0,
    HideTitle = 1,
    StartPlay = 2,
};
}

// The special-level intro state: a short wait, then the shop.
namespace SpecialIntroPhase
{
enum : int32_t
{
    Wait = 0,
    OpenShop = 1,
};
}

// The quest-end state.
namespace QuestEndPhase
{
enum : int32_t
{
    ShowWin = 0,
    WinShown = 3,         // waits for the player's click (the trophies screen opens)
    ClearBoard = 4,       // the trophies screen has closed
    SettleFrame1 = 5,
    SettleFrame2 = 6,
    BackToMenus = 7,
    TrophiesShown = 10,   // waits for the trophies screen to close
};
}

// Sub-state level complete.
namespace LevelCompletePhase
{
enum : int32_t
{
    HideTitle = 0,
    ShowResults = 1,
    EnterStatistics = 2,
};
}

// Sub-state statistics: the rows of the level's results come up one by one.
namespace StatisticsPhase
{
enum : int32_t
{
    RevealHeader = 0,
    PauseAfterHeader = 1,
    RevealScore = 2,
    PauseAfterScore = 3,
    StartTimeBonus = 4,
    CountTimeBonus = 5,
    PauseAfterTimeBonus = 6,
    RevealTimeRow = 7,
    PauseAfterTimeRow = 8,
    RevealBestScore = 9,
    HoldNewBestScore = 10,
    PauseAfterBestScore = 11,
    RevealBestTime = 12,
    HoldNewBestTime = 13,
    PauseAfterBestTime = 14,
    RevealLastRow = 15,
    PauseAfterLastRow = 16,
    PauseBeforeColumns = 17,
    RevealColumnsFirst = 18,  // one step per line of the three columns
    RevealColumnsLast = 21,
    Done = 22,                // everything shown: the player goes on
};
}

// Sub-state after the level: the map, then the newspaper or the shop.
namespace AfterLevelPhase
{
enum : int32_t
{
    HideTitle = 0,
    Settle = 1,
    WaitForPlayer = 10,
    ChooseNextScreen = 11,  // set by the player's click
    OpenShop = 12,
    OpenNewspaper = 13,
    NewspaperShown = 14,    // waits for the player's click
    CloseNewspaper = 15,
};
}

// Sub-state map: the flag walks to the next level's spot, then waits for the player.
namespace MapPhase
{
enum : int32_t
{
    MoveFlag = 0,
    FlagArrived = 1,
};
}

// Sub-state challenge: the bonus level's screen from its opener to the map.
namespace ChallengePhase
{
enum : int32_t
{
    ShowRules = -10,        // the rules' message box, for players who keep the tutorial on
    RulesOpening = -9,
    RulesShown = -8,        // waits for the player to close the box
    RulesClosed = -7,
    Begin = 0,
    Settle = 1,
    ShowForm = 2,
    StartPlay = 3,
    Play = 4,               // the clock runs; the verdict moves on
    Lost = 9,
    Won = 10,               // waits for the star award
    ResetChallenge = 11,    // the star award of a won challenge has ended
    SettleFrame1 = 12,
    SettleFrame2 = 13,
    Release = 14,
    TrophiesShown = 21,     // waits for the trophies screen to close
};
}

// Sub-state quest left.
namespace QuestLeftPhase
{
enum : int32_t
{
    HidePanels = 0,
    ClearBoard = 1,
    SettleFrame1 = 2,
    SettleFrame2 = 3,
    BackToMenus = 4,
};
}

// Sub-state life lost.
namespace LifeLostPhase
{
enum : int32_t
{
    HidePanels = 0,
    MessageShown = 1,  // waits for the player's answer
    Retry = 3,
    Restarting = 4,    // the retry start moves on to OpenShop
    OpenShop = 5,
};
}

// Sub-state game over.
namespace GameOverPhase
{
enum : int32_t
{
    HidePanels = 0,
    MessageShown = 1,  // waits for the player's answer
    ClearBoard = 3,
    SettleFrame1 = 4,
    SettleFrame2 = 5,
    SubmitScore = 6,
};
}

// Sub-states that have no steps of their own rest at phase 0.
constexpr int32_t kPhaseStart = 0;
