// The quest played through the real program, offscreen with a fixed frame time, as a
// player would: a new profile, a new quest, the intro, level 1 won with legal moves,
// the statistics, the shop, the map, level 2, and the quest continued from its save at
// the next start; a level lost on time; the hint and a shuffle bought with a life;
// the adviser, score and solidarity bonuses going off.
// Screenshots of each step are written to the test's working folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "GameHarness.h"
#include "QuestScript.h"
#include "audio/Sound.h"
#include "audio/SoundBank.h"
#include "backgrounds/BackgroundManager.h"
#include "board/Terminator.h"
#include "bonuses/BonusManager.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "effects/Sandbox.h"
#include "field/PlayField.h"
#include "game/Game.h"
#include "render/SpriteShape.h"
#include "saves/BestResults.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "hud/TokenSelector.h"
#include "totems/BlueTotem.h"
#include "totems/GreenTotem.h"
#include "totems/OrangeTotem.h"
#include "totems/RedTotem.h"
#include "totems/TotemsManager.h"
#include "totems/VioletTotem.h"
#include "totems/WhiteTotem.h"
#include "totems/YellowTotem.h"
#include "ui/KMStatic.h"
#include "render/Font.h"
#include "render/Renderer.h"

namespace fs = std::filesystem;

namespace {

bool Playing(CGame& g, int level)
{
    return g.state == kStatePlaying && g.subState == kSubStateNormalPlay && g.board->inputOpen && g.LevelNumber() == level;
}

// Menus, the saved quest's dialog, continue, and the shop, where the free star goes on
// the gem-count upgrade; then `spent` runs.
void ContinueAndSpendTheStar(QuestScript& script, const std::string& prefix, std::function<void(GameHarness&)> spent)
{
    script.Add({"main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                [](GameHarness& h) { QuestScript::ClickWidget(h, "MainMenu", 1); }});
    script.Add({"continue the saved quest", [](CGame& g) { return QuestScript::FormShown(g, "StartQuest"); },
                [](GameHarness& h) { QuestScript::ClickWidget(h, "StartQuest", 211); }, prefix + "_saved_quest.png", 0});
    // The free star is dragged from the star source and dropped on the gem-count upgrade.
    script.Add({"shop", [](CGame& g) { return g.subState == kSubStateShop && g.shop->display >= 1.0f && QuestScript::FormShown(g, "Shop"); },
                [](GameHarness& h) {
                    const CRefPtr<CKMWindow> source = h.Game()->ui->Widget(kFormShop, 7);
                    QuestScript::PressGame(h, source->worldPosition.x, source->worldPosition.y, true);
                },
                prefix + "_shop.png", 0});
    script.Add({"star held", [](CGame& g) { return g.shop->items.freeStars == 0 && g.shop->CountStars() == 1; },
                [](GameHarness& h) {
                    const CRefPtr<CKMWindow> gems = h.Game()->ui->List(kFormShop, 8)[kShopItemGemCount];
                    QuestScript::PressGame(h, gems->worldPosition.x, gems->worldPosition.y, false);
                },
                prefix + "_shop_drag.png", 4});
    script.Add({"star spent",
                [](CGame& g) {
                    // Placed on the item (a star dropped nowhere goes back to the source).
                    return g.shop->items.levels[kShopItemGemCount] >= 1 && g.shop->items.freeStars == 0 &&
                           g.shop->CountStars() == 0 && QuestScript::FormShown(g, "Shop");
                },
                spent, prefix + "_shop_dropped.png", 0});
}

// Menus, the saved quest's dialog, continue, the shop, the map, and the next level.
void ContinueIntoLevel(QuestScript& script, int level, const std::string& prefix,
                       std::function<void(CGame&)> beforeLevel = nullptr)
{
    ContinueAndSpendTheStar(script, prefix, [](GameHarness& h) { QuestScript::ClickWidget(h, "Shop", 31); });
    script.Add({"map", [](CGame& g) { return g.subState == kSubStateMap && g.phase == 1 && QuestScript::FormShown(g, "Map"); },
                [beforeLevel](GameHarness& h) {
                    if (beforeLevel)
                        beforeLevel(*h.Game());
                    QuestScript::ClickWidget(h, "Map", 150);
                },
                prefix + "_map.png", 0});
    script.Wait("level " + std::to_string(level), [level](CGame& g) { return Playing(g, level); }, prefix + "_level.png");
}

// Menus, a new quest (not the hard one a veteran is offered), its story pages paged
// through, and level 1.
void NewQuestIntoLevelOne(QuestScript& script, GameHarness& h, const std::string& prefix)
{
    script.Add({"main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 1); }});
    script.Add({"not the hard quest", [](CGame& g) { return QuestScript::FormShown(g, "MsgBox") && g.ui->messageCode == kMessageTryHard; },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MsgBox", 203); }});
    script.Wait("story pages to level 1", [&h](CGame& g) {
        if (g.state == kStateLevelIntro && g.phase == LevelIntroPhase::IntroPagesShown && QuestScript::FormShown(g, "Intro") &&
            h.Tick() % 10 == 0)
            QuestScript::ClickGame(h, 0.0f, 0.0f);
        return Playing(g, 1) && g.board->IsIdle(true);
    }, prefix + "_level1.png");
}

// Loses a life on time, as a long wait would; a game over on the way leaves the script
// stuck at the life-lost panel.
void LoseLifeOnTime(QuestScript& script, int& livesBefore, int& livesAfter, const std::string& prefix)
{
    script.Add({"time nearly up", [](CGame&) { return true; }, [&livesBefore](GameHarness& g) {
                    livesBefore = g.Game()->lives;
                    g.Game()->levelTimer = 1.0f;
                }});
    script.Add({"life lost", [](CGame& g) { return g.lossRunning; }, [&livesAfter](GameHarness& g) { livesAfter = g.Game()->lives; },
                prefix + "_life_lost.png", 20});
    script.Add({"life-lost panel", [](CGame& g) { return g.subState == kSubStateLifeLost && g.phase == 1 && QuestScript::FormShown(g, "MsgBox"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MsgBox", 200); }, prefix + "_panel.png", 0});
}

// From a quest saved in the shop before a bonus level's level: that level is
// won by its first move (no gems are left to collect) and the statistics'
// Continue opens the challenge on its form.
void ContinueIntoBonusLevel(QuestScript& script, int level, const std::string& prefix, const char* form,
                            int& wonBefore, int& starsBefore)
{
    ContinueIntoLevel(script, level, prefix);
    script.Add({"no gems left to collect", [level](CGame& g) { return Playing(g, level); },
                [](GameHarness& h) { h.Game()->board->gemsToCollect = 0; }, "", 0});
    script.Play("won by a move", [](CGame& g) { return g.subState == kSubStateLevelComplete; }, "", 0);
    script.Add({"statistics", [](CGame& g) { return g.subState == kSubStateStatistics && g.phase == 22 && QuestScript::FormShown(g, "Statistics"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Statistics", 20); }});
    script.Add({"opener",
                [form](CGame& g) {
                    return g.subState == kSubStateChallenge && g.phase == ChallengePhase::Play && QuestScript::FormShown(g, form);
                },
                [&wonBefore, &starsBefore](GameHarness& g) {
                    wonBefore = g.Game()->wonChallenges;
                    starsBefore = g.Game()->shop->items.freeStars;
                },
                prefix + "_opener.png", 35});
}

// The golden star's award, looked at, then the program closes.
void VerdictWonThenQuit(QuestScript& script, const std::string& prefix, int& wonAfter, int& starsAfter)
{
    script.Add({"verdict", [](CGame& g) { return g.phase == ChallengePhase::Won && g.stateTimer > 0.2f; },
                [&wonAfter, &starsAfter](GameHarness& g) {
                    wonAfter = g.Game()->wonChallenges;
                    starsAfter = g.Game()->shop->items.freeStars;
                },
                prefix + "_verdict.png", 0});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }, "", 0});
}

}  // namespace

TEST(QuestRun, NewQuestWinsLevelOneReachesLevelTwoAndContinuesFromItsSave)
{
    GameHarness h;
    h.SetStep(20);
    {
        QuestScript script(h);
        script.Add({"new profile", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "NewProfile"); },
                    [](GameHarness& g) {
                        for (int i = 0; i < 12; ++i)
                            g.Post(WM_CHAR, 8);
                        for (char c : std::string("Quill"))
                            g.Post(WM_CHAR, static_cast<WPARAM>(c));
                        g.Key(VK_RETURN);
                    },
                    "quest_new_profile.png", 0});
        script.Add({"new quest", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 1); }, "quest_main_menu.png", 0});
        script.Add({"intro", [](CGame& g) { return g.state == kStateLevelIntro && g.phase == -7 && QuestScript::FormShown(g, "Intro"); },
                    [](GameHarness& g) { QuestScript::ClickGame(g, 0.0f, 0.0f); }, "quest_intro.png", 0});
        // Every further click turns a page until the intro closes.
        for (int page = 0; page < 8; ++page)
            script.Add({"intro page", [](CGame& g) { return g.state != kStateLevelIntro || g.phase != -7 || QuestScript::FormShown(g, "Intro"); },
                        [](GameHarness& g) {
                            if (g.Game()->state == kStateLevelIntro && g.Game()->phase == -7)
                                QuestScript::ClickGame(g, 0.0f, 0.0f);
                        }});
        script.Wait("level 1 starts", [](CGame& g) { return Playing(g, 1); }, "quest_level1.png");
        script.trophyShot = "quest_trophy.png";
        script.Play("play level 1", [](CGame& g) { return g.subState == kSubStateLevelComplete; }, "quest_level1_play.png", 4);
        script.Wait("level complete", [](CGame& g) { return g.subState == kSubStateLevelComplete && g.stateTimer > 1.0f; },
                    "quest_level_complete.png");
        // The best score of level 1 stays the built-in holder's; the best time becomes
        // Quill's when the level was played faster (how fast depends on the tokens the
        // shared random source deals, which the menus' moving background draws from too).
        // Each name shows under its value.
        std::string holders, timeHolder;
        bool fasterThanBest = false;
        script.Add({"statistics", [](CGame& g) { return g.subState == kSubStateStatistics && g.phase == 22 && QuestScript::FormShown(g, "Statistics"); },
                    [&holders, &timeHolder, &fasterThanBest](GameHarness& g) {
                        fasterThanBest = g.Game()->newBestTime != 0;
                        for (int number : {14, 15})
                        {
                            CRefPtr<CKMWindow> w = g.Game()->ui->Widget(kFormStatistics, number);
                            auto* label = w ? dynamic_cast<CKMStatic*>(w.Get()) : nullptr;
                            CRefPtr<CText> text = label ? label->MainText() : CRefPtr<CText>();
                            holders += (text ? text->text : std::string("?")) + (w && w->visible ? "+" : "-") + ";";
                        }
                        timeHolder = g.Game()->bestTimes->GetName(1);
                        QuestScript::ClickWidget(g, "Statistics", 20);
                    }, "quest_statistics.png", 0});
        script.Add({"after the level", [](CGame& g) { return g.subState == kSubStateAfterLevel && g.phase == 10; },
                    [](GameHarness& g) { QuestScript::ClickGame(g, 0.0f, 0.0f); }, "quest_after_level.png", 0});
        script.Add({"shop", [](CGame& g) { return g.subState == kSubStateShop && g.shop->display >= 1.0f && QuestScript::FormShown(g, "Shop"); },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "Shop", 48); }, "quest_shop.png", 0});
        // The level's star buys the gem-count upgrade that level 2 opened; it lands on its place.
        script.Add({"upgrade bought",
                    [](CGame& g) {
                        return g.shop->items.freeStars == 0 && g.shop->items.levels[kShopItemGemCount] == 1 &&
                               QuestScript::FormShown(g, "Shop");
                    },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "Shop", 31); }, "quest_shop_bought.png", 0});
        script.Add({"map", [](CGame& g) { return g.subState == kSubStateMap && g.phase == 1 && QuestScript::FormShown(g, "Map"); },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "Map", 150); }, "quest_map.png", 0});
        int gemCount = 0;
        script.Add({"level 2 starts", [](CGame& g) { return Playing(g, 2); },
                    [&gemCount](GameHarness& g) { gemCount = g.Game()->levelParams.paramCount; }, "quest_level2.png", 0});
        script.Wait("level 2 filled", [](CGame& g) { return g.board->IsIdle(true); });
        script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
        EXPECT_EQ(0, script.Run(6000));
        EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
        EXPECT_GT(script.moves, 0);
        EXPECT_EQ(fasterThanBest ? "Quill" : "expert", timeHolder);
        EXPECT_EQ("expert+;" + timeHolder + "+;", holders);
        EXPECT_EQ(5, gemCount) << "level 2 plays with the upgrade bought before it";
        // The play screen's panel picture is freed for the shop and made again for the level.
        EXPECT_EQ(std::string::npos, h.Log().find("Unable to find texture")) << h.Log();
    }
    // The shop's autosave keeps the quest as it stood when level 1 was done.
    const fs::path saves = fs::path(h.GameUserFolder()) / "Players" / "Quill";
    for (const char* file : {"Quest.sav", "QuestAS1.sav"})
    {
        CQuestSave saved;
        ASSERT_TRUE(saved.Load((saves / file).string().c_str())) << file;
        EXPECT_EQ(1, saved.level);
        EXPECT_EQ(CQuestSave::kResumeShop, saved.resumePoint);
    }

    // The second start continues at level 2, its board from the save.
    QuestScript again(h);
    ContinueIntoLevel(again, 2, "quest_continued");
    again.Wait("level 2 filled", [](CGame& g) { return g.board->IsIdle(true); });
    again.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, again.Run(3000));
    EXPECT_TRUE(again.Finished()) << "stuck at: " << again.Stuck();
}

// Ctrl-C in the terminal (or the desktop asking programs to end) closes the game the way
// the close box does: the star just spent in the shop is in the saved quest.
TEST(QuestRun, InterruptAndTerminateSignalsCloseTheGameAndKeepTheShopsWork)
{
    for (int signal : {SIGINT, SIGTERM})
    {
        GameHarness h;
        h.SetStep(20);
        SaveQuestInShop(h, "Ada", 1);
        QuestScript script(h);
        ContinueAndSpendTheStar(script, "signal", [signal](GameHarness&) { std::raise(signal); });
        EXPECT_EQ(0, script.Run(3000)) << signal;
        EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
        EXPECT_NE(std::string::npos, h.Log().find("End of log")) << h.Log();
        CQuestSave saved;
        ASSERT_TRUE(saved.Load((fs::path(h.GameUserFolder()) / "Players" / "Ada" / "Quest.sav").string().c_str()));
        EXPECT_EQ(1, saved.shopValues[kShopItemGemCount]) << "signal " << signal << " lost the upgrade";
    }
}

TEST(QuestRun, LevelLostOnTimeCostsALifeAndShowsTheLifeLostPanel)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "lost");
    int livesBefore = 0, livesAfter = -1;
    LoseLifeOnTime(script, livesBefore, livesAfter, "lost");
    // Pulses mark the places a star can still buy.
    script.Wait("back in the shop", [](CGame& g) {
        return g.subState == kSubStateShop && QuestScript::FormShown(g, "Shop") && !g.shop->pulses.empty();
    }, "lost_retry_shop.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ(livesBefore - 1, livesAfter);
}

TEST(QuestRun, HintPointsAtAMoveAndAShuffleIsBoughtWithALife)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "hint");
    int scoreBefore = 0, scoreAfter = 0, livesBefore = 0, livesAfter = 0;
    script.Add({"hint", [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); }, [&scoreBefore](GameHarness& g) {
                    scoreBefore = g.Game()->board->counters.second.GetInt(kCounterScore);
                    QuestScript::ClickWidget(g, "Quest", 10);
                },
                "hint_shown.png", 5});
    script.Add({"hint taken", [](CGame& g) { return !g.board->adviser.timedArrows.empty(); }, [&](GameHarness& g) {
                    scoreAfter = g.Game()->board->counters.second.GetInt(kCounterScore);
                    livesBefore = g.Game()->lives;
                    // The icon panel's first life icon, as its button sends it.
                    g.Game()->SpendLifeForShuffle(0);
                    livesAfter = g.Game()->lives;
                },
                "hint_shuffle.png", 30});
    script.Wait("board refilled", [](CGame& g) { return !g.lossRunning && g.board->IsIdle(true); }, "hint_after_shuffle.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_LE(scoreAfter, scoreBefore);
    EXPECT_EQ(livesBefore - 1, livesAfter);
}

// A gem left in the bottom rows with none collected for fifty seconds: the panel behind
// the life icons comes up and points at the life that buys a shuffle, showing the
// lives the player has.
TEST(QuestRun, AGemLeftLowForFiftySecondsLightsTheLifeIconsPanel)
{
    GameHarness h;
    h.SetStep(50);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "low_gem");
    int lives = -1, iconsShown = -2;
    script.Add({"a gem low", [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); },
                [](GameHarness& g) { g.Game()->board->cells[7][0]->marked = 1; }});
    script.Wait("icon panel", [](CGame& g) { return g.ui->IsIconPanelShown(); }, "low_gem_icon_panel.png");
    script.Add({"lives shown", [](CGame&) { return true; }, [&](GameHarness& g) {
                    lives = g.Game()->lives;
                    iconsShown = 0;
                    for (const CRefPtr<CKMWindow>& icon : g.Game()->ui->List(kFormQuest, 5))
                        iconsShown += icon->visible ? 1 : 0;
                }});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ(lives, iconsShown);
}

// The sand glass under the board fills as groups break; once full it pours
// out in a score frenzy (the message, the shake, the flash) and the frenzy
// ends when it has run empty.
TEST(QuestRun, TheSandGlassFillsAndPoursOutInAScoreFrenzy)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "sand");
    const auto heapOf = [](CGame& g) -> CSandHeap& { return *g.board->sandbox->heap; };
    double filled = 0.0;
    script.Play("sand piles up", [&](CGame& g) { return heapOf(g).mean > 0.02; });
    script.Wait("sand landed", [&](CGame& g) { return g.board->IsIdle(true); }, "sand_filling.png");
    script.Add({"glass nearly full", [](CGame&) { return true; }, [&](GameHarness& g) {
                    CSandHeap& heap = heapOf(*g.Game());
                    filled = heap.mean;
                    heap.AddSand(1.0, 20.0);  // as many more groups would fill it
                }});
    int frenziesBefore = -1;
    script.Add({"frenzy", [&](CGame& g) { return heapOf(g).mode == CSandHeap::kPouring; }, [&](GameHarness& g) {
                    frenziesBefore = g.Game()->board->counters.second.GetInt(kCounterOperations);
                    EXPECT_TRUE(g.Game()->board->shake.active);
                },
                "sand_full.png", 5});
    script.Play("pouring", [&](CGame& g) { return heapOf(g).mean < 0.6; });
    script.Wait("poured half", [](CGame&) { return true; }, "sand_pouring.png");
    script.Wait("poured out", [&](CGame& g) { return heapOf(g).mode == CSandHeap::kBuilding; }, "sand_poured_out.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(6000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_GT(filled, 0.02) << "breaking groups poured sand into the glass";
    EXPECT_GE(frenziesBefore, 1);
}

TEST(QuestRun, EscapePausesTheLevelAndTheMenuLeavesToTheMainMenuWithTheQuestSaved)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "pause");
    float clock = 0.0f;
    // A token picked for a swap and left so: its gold ring goes with the board.
    script.Add({"pick a token", [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); }, [](GameHarness& g) {
                    const Vec3 at = g.Game()->board->CellToScreen(3, 3, true);
                    QuestScript::ClickGame(g, at.x, at.y);
                }});
    script.Add({"pause", [](CGame& g) { return g.board->tokenSelector->active != 0; }, [](GameHarness& g) { g.Key(VK_ESCAPE); }});
    script.Add({"paused", [](CGame& g) { return QuestScript::FormShown(g, "GameMenu"); },
                [&clock](GameHarness& g) { clock = g.Game()->levelTimer; }, "pause_menu.png", 1});
    script.Add({"still paused", [](CGame& g) { return g.stateTimer > 0.0f; }, [&clock](GameHarness& g) {
                    EXPECT_FLOAT_EQ(clock, g.Game()->levelTimer) << "the clock stands while paused";
                    QuestScript::ClickWidget(g, "GameMenu", 30);
                }});
    script.Wait("main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); });
    int frames = 0;
    script.Wait("the board gone", [&frames](CGame&) { return ++frames > 60; }, "pause_left.png");
    bool ringLeft = true;
    script.Add({"options", [](CGame&) { return true; }, [&ringLeft](GameHarness& g) {
                    ringLeft = g.Game()->board->tokenSelector->active != 0;
                    QuestScript::ClickWidget(g, "MainMenu", 3);
                }});
    script.Wait("options shown", [](CGame& g) { return QuestScript::FormShown(g, "Options"); }, "pause_options.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    CQuestSave saved;
    ASSERT_TRUE(saved.Load((fs::path(h.GameUserFolder()) / "Players" / "Ada" / "Quest.sav").string().c_str()));
    EXPECT_EQ(1, saved.level) << "the level left unplayed keeps the quest as the shop saved it";
    EXPECT_FALSE(ringLeft) << "the picked token's ring stays over the menus";
}

TEST(QuestRun, OptionsOpenFromTheMainMenuAndTheirOkKeepsTheVolumes)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    script.Add({"main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 3); }});
    uint32_t wideLabel = 0, sizeLabel = 0;
    script.Add({"options", [](CGame& g) { return QuestScript::FormShown(g, "Options"); },
                [&](GameHarness& g) {
                    // A window has no wide screen: that option reads as one that cannot be had.
                    auto colourOf = [&g](int number) {
                        CRefPtr<CKMWindow> w = g.Game()->ui->Widget(kFormOptions, number);
                        auto* label = w ? dynamic_cast<CKMStatic*>(w.Get()) : nullptr;
                        return label && label->MainText() ? label->MainText()->colour : 0u;
                    };
                    wideLabel = colourOf(10);
                    sizeLabel = colourOf(8);
                    QuestScript::ClickWidget(g, "Options", 230);
                }, "options.png", 0});
    script.Wait("back in the menu", [](CGame& g) { return QuestScript::FormShown(g, "MainMenu"); });
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(1500));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    std::ifstream options(fs::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
    const std::string text((std::istreambuf_iterator<char>(options)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, text.find("SoundVolume=")) << text;
    EXPECT_LT(wideLabel >> 24, sizeLabel >> 24) << "wide screen cannot be had in a window and must look so";
}

// No shop has saved the quest before its first level: a life lost there with lives left
// plays the level again from its start, as the reload of an autosave would elsewhere.
TEST(QuestRun, LifeLostOnTheFirstLevelWithLivesLeftPlaysItAgain)
{
    GameHarness h;
    h.SetStep(20);
    MakeVeteran(h, "Ada");
    QuestScript script(h);
    NewQuestIntoLevelOne(script, h, "first");
    int livesBefore = 0, livesAfter = -1, livesAgain = -1, livesExpected = 0, scoreAgain = -1;
    script.Play("score a little", [](CGame& g) { return g.board->counters.second.GetInt(kCounterScore) > 0; });
    script.Wait("board settled", [](CGame& g) { return Playing(g, 1) && g.board->IsIdle(true); });
    LoseLifeOnTime(script, livesBefore, livesAfter, "first");
    script.Add({"level 1 again", [](CGame& g) { return Playing(g, 1) && g.board->IsIdle(true); }, [&](GameHarness& g) {
                    scoreAgain = g.Game()->board->counters.second.GetInt(kCounterScore);
                    livesAgain = g.Game()->lives;
                    // Lives shown as icons are filled again, as any reload fills them.
                    const CLevelParams& params = g.Game()->levelParams;
                    livesExpected = params.flagA ? params.flagB : livesAfter;
                }, "first_again.png", 3});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(4000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ(livesBefore - 1, livesAfter);
    EXPECT_EQ(livesExpected, livesAgain);
    EXPECT_EQ(0, scoreAgain) << "the level starts again with the score it began with";
}

// Save & Quit while the first level's tip shows: the tip goes with the board and stays
// off the main menu.
TEST(QuestRun, TheFirstLevelsTipGoesWithTheBoardOnSaveAndQuit)
{
    GameHarness h;
    h.SetStep(20);
    QuestScript script(h);
    // A new player: the first level's tips are on.
    script.Add({"new profile", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "NewProfile"); },
                [](GameHarness& g) {
                    for (char c : std::string("Tip"))
                        g.Post(WM_CHAR, static_cast<WPARAM>(c));
                    g.Key(VK_RETURN);
                }});
    script.Add({"main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 1); }});
    script.Wait("story pages to level 1", [&h](CGame& g) {
        if (g.state == kStateLevelIntro && g.phase == LevelIntroPhase::IntroPagesShown && QuestScript::FormShown(g, "Intro") &&
            h.Tick() % 10 == 0)
            QuestScript::ClickGame(h, 0.0f, 0.0f);
        return Playing(g, 1);
    });
    auto tipShown = [](CGame& g) {
        CRefPtr<CKMForm> tip = g.ui->Form("Tutorial");
        return tip && tip->visible && tip->alpha > 0.0f;
    };
    bool shownInLevel = false, shownInMenu = true;
    script.Add({"pause", [&](CGame& g) { return tipShown(g) && g.ui->Form("Tutorial")->alpha >= 1.0f; },
                [&](GameHarness& g) {
                    shownInLevel = true;
                    g.Key(VK_ESCAPE);
                }, "tip_level.png"});
    script.Add({"paused", [](CGame& g) { return QuestScript::FormShown(g, "GameMenu"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "GameMenu", 30); }});
    script.Wait("main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); });
    int frames = 0;
    script.Add({"settled", [&frames](CGame&) { return ++frames > 150; },
                [&](GameHarness& g) { shownInMenu = tipShown(*g.Game()); }, "tip_main_menu.png", 0});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_TRUE(shownInLevel) << "the first level shows its tip";
    EXPECT_FALSE(shownInMenu);
}

// After a game over the play screen's side panel goes with the board: the main menu and
// the next quest's story pages show without it.
TEST(QuestRun, GameOverLeavesNoQuestPanelOverTheMenusOrTheNextStory)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "over");
    script.Add({"game over", [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); },
                [](GameHarness& g) { g.Game()->StartGameOver(); }});
    script.Add({"game-over panel", [](CGame& g) { return g.subState == kSubStateGameOver && g.phase == 1 && QuestScript::FormShown(g, "MsgBox"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MsgBox", 200); }, "over_panel.png", 0});
    auto questPanelGone = [](CGame& g) {
        CRefPtr<CKMForm> quest = g.ui->Form("Quest");
        return !quest->visible || quest->alpha <= 0.0f;
    };
    bool goneInMenu = false, goneInStory = false;
    script.Add({"main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                [&](GameHarness& g) {
                    goneInMenu = questPanelGone(*g.Game());
                    QuestScript::ClickWidget(g, "MainMenu", 1);
                }, "over_main_menu.png", 0});
    // The quest saves may be gone or kept: a new quest either way (its confirmation has
    // code 2), not the hard one.
    script.Wait("new quest", [&h](CGame& g) {
        if (h.Tick() % 10 != 0)
            return false;
        if (QuestScript::FormShown(g, "StartQuest"))
            QuestScript::ClickWidget(h, "StartQuest", 210);
        else if (QuestScript::FormShown(g, "MsgBox"))
            QuestScript::ClickWidget(h, "MsgBox", g.ui->messageCode == kMessageTryHard ? 203 : 202);
        return g.state == kStateLevelIntro && QuestScript::FormShown(g, "Intro");
    });
    script.Add({"story", [](CGame&) { return true; }, [&](GameHarness& g) { goneInStory = questPanelGone(*g.Game()); },
                "over_story.png", 0});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_TRUE(goneInMenu);
    EXPECT_TRUE(goneInStory);
}

namespace {

// A widget's rectangle in game units (its world position is its centre).
struct Box
{
    float left, right, bottom, top;
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && bottom < o.top && o.bottom < top; }
};

Box BoxOf(const CKMWindow& w)
{
    return {w.worldPosition.x - w.baseSize.w / 2, w.worldPosition.x + w.baseSize.w / 2, w.worldPosition.y - w.baseSize.h / 2,
            w.worldPosition.y + w.baseSize.h / 2};
}

}  // namespace

// The hall of trophies over a level: earned trophies stand out from the empty places,
// and the description under the mouse sits on its own plate, clear of the other
// trophies' names.
TEST(QuestRun, TheTrophyHallShowsWhatIsEarnedAndItsDescriptionOnAPlate)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "hall");
    script.closeTrophies = false;
    script.Add({"open the hall", [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); }, [](GameHarness& g) {
                    CTrophies& trophies = *g.Game()->trophies;
                    const int earned[9] = {2, 1, 3, 0, 2, 0, 1, 0, 3};
                    for (int t = 0; t < 9; ++t)
                        trophies.levels[size_t(t)] = trophies.displayedLevels[size_t(t)] = earned[t];
                    g.Game()->ShowTrophies(1);
                }});
    std::vector<std::string> overlaps;
    for (int t : {0, 2, 4, 8})
    {
        const std::string shot = "hall_hover" + std::to_string(t) + ".png";
        script.Add({"hover " + std::to_string(t), [](CGame& g) { return QuestScript::FormShown(g, "Trophies"); },
                    [t](GameHarness& g) {
                        const CRefPtr<CKMWindow> icon = g.Game()->trophyScreen.LevelIcon(t, g.Game()->trophies->displayedLevels[size_t(t)]);
                        g.MoveMouse(static_cast<int>(320 + icon->worldPosition.x * 0.625f),
                                    static_cast<int>(240 - icon->worldPosition.y * 0.625f));
                    }, shot, 4});
        script.Add({"described " + std::to_string(t), [](CGame&) { return true; }, [t, &overlaps](GameHarness& g) {
                        CGame& game = *g.Game();
                        const WidgetList& rows = game.ui->List(kFormTrophies, 0);
                        for (const CRefPtr<CKMWindow>& row : rows)
                        {
                            if (!row->visible)
                                continue;
                            for (int other = 0; other < 9; ++other)
                                for (const CRefPtr<CKMWindow>& label : game.ui->Group(kFormTrophies, 9 + other).widgets)
                                    if (other != t && BoxOf(*row).Overlaps(BoxOf(*label)))
                                        overlaps.push_back(std::to_string(t) + " over " + std::to_string(other));
                        }
                        EXPECT_TRUE(rows[0]->visible) << "no description for trophy " << t;
                    }});
    }
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_TRUE(overlaps.empty()) << overlaps.front();
}

// High resolution chosen in Options is the window the next start opens, however the
// window was closed: by the menu's Exit or by the window manager's close box.
TEST(QuestRun, HighResolutionChosenInOptionsIsKeptWhenTheWindowIsClosed)
{
    GameHarness h;
    h.SetStep(20);
    MakeVeteran(h, "Ada");
    int sizes = 0;
    {
        QuestScript script(h);
        script.Add({"options", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 3); }});
        script.Add({"high resolution", [](CGame& g) { return QuestScript::FormShown(g, "Options"); }, [&sizes](GameHarness& g) {
                        sizes = static_cast<int>(g.Game()->renderer->windowSizes.size());
                        // The player has put the window somewhere on the desktop.
                        SetWindowPos(g.Window(), HWND_NOTOPMOST, 120, 90, 0, 0, SWP_NOSIZE);
                        QuestScript::ClickWidget(g, "Options", 234);
                    }});
        script.Add({"ok", [](CGame& g) { return (g.pendingVideoMode & 2) != 0; },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "Options", 230); }});
        RECT placed{};
        script.Wait("back in the menu", [&placed, &h](CGame& g) {
            GetWindowRect(h.Window(), &placed);
            return QuestScript::FormShown(g, "MainMenu");
        }, "hires_menu.png");
        script.Add({"close box", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
        EXPECT_EQ(0, script.Run(1500));
        EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
        EXPECT_EQ(120, placed.left) << "the window keeps its place when its size changes";
        EXPECT_EQ(90, placed.top);
    }
    if (sizes < 2)
        GTEST_SKIP() << "this display offers one window size";
    int modeAgain = 0;
    QuestScript again(h);
    again.Add({"menu again", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
               [&modeAgain](GameHarness& g) {
                   modeAgain = g.Game()->GetVideoMode();
                   g.Post(WM_CLOSE);
               }});
    EXPECT_EQ(0, again.Run(1500));
    EXPECT_TRUE(again.Finished()) << "stuck at: " << again.Stuck();
    std::ifstream options(fs::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
    const std::string text((std::istreambuf_iterator<char>(options)), std::istreambuf_iterator<char>());
    EXPECT_NE(0, modeAgain & 2) << "high resolution lost: " << text;
}

// Puts bonuses (kind, column, row, level) on tokens of level 2 once the board rests,
// breaks those tokens, and waits until every bonus has gone off; the bonuses are let go
// then, and `allFired` says that they all did. Screenshots: <prefix>_bonuses.png,
// <prefix>_breaking.png, <prefix>_firing.png.
void BonusesShowAndFire(QuestScript& script, std::vector<CRefPtr<CBonus>>& placed,
                        std::vector<std::array<int, 4>> cells, const std::string& prefix, bool& allFired)
{
    script.Add({"bonuses on tokens",
                [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); },
                [&placed, cells](GameHarness& h) {
                    CPlayField& board = *h.Game()->board;
                    for (const auto& c : cells)
                    {
                        CRefPtr<CBonus> b;
                        board.bonusManager->CreateBonus(b, c[0], c[3], 0, 1);
                        const CRefPtr<CCap>& cap = board.cells[size_t(c[2])][size_t(c[1])];
                        b->Place(cap->position[0] + board.origin[0], cap->position[1] + board.origin[1],
                                 board.origin[2], cap->radius, c[1], c[2]);
                        cap->SetHeld(b);
                        placed.push_back(b);
                    }
                },
                prefix + "_bonuses.png", 25});
    script.Add({"tokens break", [](CGame& g) { return g.board->IsIdle(true); },
                [&placed](GameHarness& h) {
                    CPlayField& board = *h.Game()->board;
                    for (const CRefPtr<CBonus>& b : placed)
                        board.RemoveSingleToken(board.cells[size_t(b->row)][size_t(b->column)], 0,
                                                CTerminator::kAddNormal, true);
                },
                prefix + "_breaking.png", 12});
    script.Add({"bonuses go off",
                [&placed](CGame&) {
                    return std::all_of(placed.begin(), placed.end(),
                                       [](const CRefPtr<CBonus>& b) { return b->finished != 0; });
                },
                [&placed, &allFired](GameHarness&) {
                    // Let go of them: a bonus leaves the board when its manager drops it.
                    allFired = true;
                    placed.clear();
                },
                prefix + "_firing.png"});
}

// The helping bonuses on a level: an adviser, a score bonus and a solidarity
// bonus rest on their tokens, go off when the tokens break, and the adviser's
// arrows then bob over a legal move while its counter counts down.
TEST(QuestRun, AdviserScoreAndSolidarityBonusesShowAndFire)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "help");
    std::vector<CRefPtr<CBonus>> placed;
    bool allFired = false;
    BonusesShowAndFire(script, placed, {{kBonusAdviser, 1, 1, 2}, {kBonusScore, 6, 2, 2}, {kBonusSolidarity, 3, 5, 2}},
                       "help", allFired);
    script.Wait("advice shows", [](CGame& g) { return g.board->adviser.active && !g.board->adviser.groupArrows.empty(); },
                "help_advice.png");
    script.Add({"counting down", [](CGame& g) { return g.board->adviser.remaining < 24.0f; }, [](GameHarness&) {},
                "help_counting.png", 10});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_TRUE(allFired);
}

// The blasting bonuses of long lines: TNT boxes, flash charges and clocks of the lowest
// and the highest levels rest on their tokens, go off when the tokens break, and each
// kind plays its own sound.
TEST(QuestRun, TntFlashAndTimeBonusesShowFireAndSoundTheirOwn)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "blast");
    std::vector<CRefPtr<CBonus>> placed;
    bool allFired = false;
    BonusesShowAndFire(script, placed,
                       {{kBonusTNT, 1, 1, 0}, {kBonusTNT, 6, 1, 3}, {kBonusFlash, 1, 4, 0}, {kBonusFlash, 6, 4, 3},
                        {kBonusTime, 3, 5, 0}, {kBonusTime, 4, 2, 3}},
                       "blast", allFired);
    auto played = [](const CRefPtr<CSound>& sound) {
        return sound && std::any_of(sound->channels.begin(), sound->channels.end(), [](HCHANNEL c) { return c != 0; });
    };
    bool tnt = false, flash = false, clock = false;
    script.Add({"quit", [](CGame&) { return true; }, [&](GameHarness& g) {
                    const CSoundBank& bank = *g.Game()->soundBank;
                    tnt = played(bank.TNT);
                    flash = played(bank.Flash);
                    clock = played(bank.Clock);
                    g.Post(WM_CLOSE);
                }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_TRUE(allFired);
    EXPECT_TRUE(tnt);
    EXPECT_TRUE(flash);
    EXPECT_TRUE(clock);
}

TEST(QuestRun, FirstBonusLevelOpensAfterLevelFiveAndItsStarsCaughtByClicksWinAGoldenStar)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 4);
    QuestScript script(h);
    ContinueIntoLevel(script, 5, "bonus");
    // A short level 5: the run is about what follows it, not about how the tokens
    // happen to fall (the shop's effects draw from the same random numbers).
    script.Add({"a short level", [](CGame& g) { return Playing(g, 5); },
                [](GameHarness& g) { g.Game()->board->gemsToCollect = std::min(g.Game()->board->gemsToCollect, 5); }});
    script.Play("play level 5", [](CGame& g) { return g.subState == kSubStateLevelComplete; }, "", 0);
    script.Add({"statistics", [](CGame& g) { return g.subState == kSubStateStatistics && g.phase == 22 && QuestScript::FormShown(g, "Statistics"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Statistics", 20); }});
    int starsBefore = 0, wonBefore = 0;
    script.Add({"opener", [](CGame& g) { return g.subState == kSubStateChallenge && QuestScript::FormShown(g, "Arcade"); },
                [&](GameHarness& g) {
                    starsBefore = g.Game()->shop->items.freeStars;
                    wonBefore = g.Game()->wonChallenges;
                },
                "bonus_opener.png", 0});
    // A player clicks every star that has come well onto the screen.
    script.Add({"stars caught", QuestScript::CatchStars(h, script.Shot("bonus_running.png")), [](GameHarness&) {}});
    int starsAfter = 0, wonAfter = 0, caught = 0;
    // The star award has flown its star up and flashes its ring over the glow rows.
    script.Add({"verdict", [](CGame& g) { return g.phase == ChallengePhase::Won && g.stateTimer > 1.6f; },
                [&](GameHarness& g) {
                    starsAfter = g.Game()->shop->items.freeStars;
                    wonAfter = g.Game()->wonChallenges;
                    caught = g.Game()->board->accuracyChallenge->caughtCount;
                },
                "bonus_verdict.png", 0});
    script.Wait("map", [](CGame& g) { return g.subState == kSubStateAfterLevel && g.phase == AfterLevelPhase::WaitForPlayer && g.stateTimer > 2.0f; },
                "bonus_map.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(12000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ(19, caught);
    EXPECT_EQ(wonBefore + 1, wonAfter);
    EXPECT_EQ(starsBefore + 1, starsAfter);
}

// The memory bonus level after level 11: three rounds of plates dealt, every
// pair found by clicks, and the golden star once all 58 tokens are in.
TEST(QuestRun, MemoryBonusLevelsPairsFoundByClicksWinAGoldenStar)
{
    GameHarness h;
    h.SetStep(40);  // coarser frames: the bonus level's timings are long beside them
    SaveQuestInShop(h, "Ada", 10);
    QuestScript script(h);
    int wonBefore = 0, starsBefore = 0, wonAfter = 0, starsAfter = 0;
    ContinueIntoBonusLevel(script, 11, "memory", "Memory", wonBefore, starsBefore);
    // A player who remembers every plate: a plate not found yet, then its partner.
    int nextClick = 0;
    bool runningShot = false;
    const std::string runningPath = (fs::current_path() / "memory_running.png").string();
    script.Add({"pairs found", [&h, &nextClick, &runningShot, runningPath](CGame& g) {
                    CMemoryChallenge* m = g.board->memoryChallenge.Get();
                    if (g.phase >= ChallengePhase::Lost || !m)
                        return true;
                    if (!QuestScript::ClickNextPlate(h, *m, nextClick))
                        return false;
                    int32_t found = 0;
                    for (const std::vector<int32_t>& row : m->found)
                        found += int32_t(std::count(row.begin(), row.end(), 1));
                    if (m->round == 3 && found >= 12 && !runningShot)
                    {
                        runningShot = true;
                        h.SaveFrameAt(h.Tick() + 10, runningPath);
                    }
                    return false;
                },
                [](GameHarness&) {}});
    int collected = 0;
    script.Add({"all tokens in", [](CGame& g) { return g.phase >= ChallengePhase::Lost; },
                [&collected](GameHarness& g) { collected = g.Game()->board->memoryChallenge->collected; }, "", 0});
    VerdictWonThenQuit(script, "memory", wonAfter, starsAfter);
    EXPECT_EQ(0, script.Run(4000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ(58, collected);
    EXPECT_EQ(wonBefore + 1, wonAfter);
    EXPECT_EQ(starsBefore + 1, starsAfter);
}

// The reaction bonus level after level 15: a stop during the pause is a miss
// that costs the five seconds its pop-up names; stops by Space and by clicks on
// the board while a token shows catch all twelve.
TEST(QuestRun, ReactionBonusLevelsTokensCaughtByStopsWinAGoldenStar)
{
    GameHarness h;
    h.SetStep(40);  // coarser frames: the bonus level's timings are long beside them
    SaveQuestInShop(h, "Ada", 14);
    QuestScript script(h);
    int wonBefore = 0, starsBefore = 0, wonAfter = 0, starsAfter = 0;
    ContinueIntoBonusLevel(script, 15, "reaction", "Blinker", wonBefore, starsBefore);
    float clockBefore = 0.0f, clockAfter = 0.0f;
    script.Add({"a stop with every plate closed",
                [](CGame& g) {
                    const CReactionChallenge* r = g.board->reactionChallenge.Get();
                    return r && r->state == CReactionChallenge::kTurning && r->subState == 0;
                },
                [&clockBefore](GameHarness& h) {
                    clockBefore = h.Game()->levelTimer;
                    h.Key(VK_SPACE);
                }, "", 0});
    script.Add({"missed", [](CGame& g) { return g.board->reactionChallenge->subState == 1; },
                [&clockAfter](GameHarness& h) { clockAfter = h.Game()->levelTimer; }, "reaction_miss.png", 8});
    int stops = 0, nextStop = 0;
    bool runningShot = false;
    const std::string runningPath = (fs::current_path() / "reaction_running.png").string();
    script.Add({"tokens caught", [&h, &stops, &nextStop, &runningShot, runningPath](CGame& g) {
                    CReactionChallenge* r = g.board->reactionChallenge.Get();
                    if (g.phase >= ChallengePhase::Lost || !r)
                        return true;
                    if (h.Tick() < nextStop || !QuestScript::TokenShows(*r))
                        return false;
                    if (!runningShot)
                    {
                        runningShot = true;
                        h.SaveFrameAt(h.Tick() + 1, runningPath);
                        return false;
                    }
                    // Space, or a click on the board; taken one after the other.
                    nextStop = h.Tick() + 3;
                    if (++stops % 2)
                        h.Key(VK_SPACE);
                    else
                        QuestScript::ClickGame(h, 0.0f, 0.0f);
                    return false;
                },
                [](GameHarness&) {}});
    int catches = 0;
    script.Add({"all caught", [](CGame& g) { return g.phase >= ChallengePhase::Lost; },
                [&catches](GameHarness& g) { catches = g.Game()->board->reactionChallenge->catches; }, "", 0});
    VerdictWonThenQuit(script, "reaction", wonAfter, starsAfter);
    EXPECT_EQ(0, script.Run(4000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    // Five seconds, and the few frames the stop took to be judged.
    EXPECT_LE(clockAfter, clockBefore - 5.0f);
    EXPECT_GE(clockAfter, clockBefore - 5.0f - 0.3f);
    EXPECT_EQ(12, catches);
    EXPECT_EQ(wonBefore + 1, wonAfter);
    EXPECT_EQ(starsBefore + 1, starsAfter);
}

// The attention bonus level after level 19: ten tries shuffled and answered by
// clicks on the plate that hides the token, one of them wrong; nine right
// answers win, and the game goes on to the map.
TEST(QuestRun, AttentionBonusLevelsTenTriesAnsweredByClicksWinAGoldenStar)
{
    GameHarness h;
    h.SetStep(40);  // coarser frames: the bonus level's timings are long beside them
    SaveQuestInShop(h, "Ada", 18);
    QuestScript script(h);
    int wonBefore = 0, starsBefore = 0, wonAfter = 0, starsAfter = 0;
    ContinueIntoBonusLevel(script, 19, "attention", "Thimbles", wonBefore, starsBefore);
    script.Add({"shuffling", [](CGame& g) {
                    const CAttentionChallenge* a = g.board->attentionChallenge.Get();
                    return a && a->state == CAttentionChallenge::kShuffle && a->subState == 0 && a->swapsDone == 2 &&
                           a->timer > 0.3f;
                },
                [](GameHarness&) {}, "attention_shuffle.png", 0});
    int answered = 0, nextClick = 0;
    bool whereShot = false;
    const std::string wherePath = (fs::current_path() / "attention_where.png").string();
    script.Add({"tries answered", [&h, &answered, &nextClick, &whereShot, wherePath](CGame& g) {
                    CAttentionChallenge* a = g.board->attentionChallenge.Get();
                    if (g.phase >= ChallengePhase::Lost || !a)
                        return true;
                    if (h.Tick() < nextClick || a->state != CAttentionChallenge::kChoose || a->plates.size() < 3)
                        return false;
                    if (!whereShot)
                    {
                        whereShot = true;
                        h.SaveFrameAt(h.Tick() + 1, wherePath);
                        return false;
                    }
                    // The fifth answer is wrong: a plate without the token.
                    const int32_t plate = ++answered == 5 ? 2 : CAttentionChallenge::kTokenPlate;
                    nextClick = h.Tick() + 3;
                    QuestScript::ClickGame(h, a->plates[size_t(plate)]->x, a->plates[size_t(plate)]->y);
                    return false;
                },
                [](GameHarness&) {}});
    int right = 0, tries = 0;
    script.Add({"judged", [](CGame& g) { return g.phase >= ChallengePhase::Lost; },
                [&right, &tries](GameHarness& g) {
                    right = g.Game()->board->attentionChallenge->rightAnswers;
                    tries = g.Game()->board->attentionChallenge->tryNumber;
                }, "", 0});
    script.Add({"verdict", [](CGame& g) { return g.phase == ChallengePhase::Won && g.stateTimer > 0.2f; },
                [&wonAfter, &starsAfter](GameHarness& g) {
                    wonAfter = g.Game()->wonChallenges;
                    starsAfter = g.Game()->shop->items.freeStars;
                },
                "attention_verdict.png", 0});
    script.Wait("map", [](CGame& g) { return g.subState == kSubStateAfterLevel && g.phase == AfterLevelPhase::WaitForPlayer && g.stateTimer > 1.0f; },
                "attention_map.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(4000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ(10, tries);
    EXPECT_EQ(9, right);
    EXPECT_EQ(10, answered);
    EXPECT_EQ(wonBefore + 1, wonAfter);
    EXPECT_EQ(starsBefore + 1, starsAfter);
}

// Totems the player owns stand beside the board; a match calls one to the centre and
// the next match of its colour unleashes it, after which it goes back to the panel.
TEST(QuestRun, OwnedTotemsStandBesideTheBoardAndTheirColourCallsAndUnleashesThem)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Totem", 1, 1);
    QuestScript script(h);
    // Every colour owned at level 1, as the shop leaves them after a star each: a
    // totem unleashed once is spent and flies back.
    ContinueIntoLevel(script, 2, "totems", [](CGame& g) {
        std::fill(std::begin(g.board->totems.m_levels), std::end(g.board->totems.m_levels), 1);
    });
    // The level lasts until the totem has come back, however the tokens fall.
    script.Add({"a long level", [](CGame& g) { return Playing(g, 2); },
                [](GameHarness& g) { g.Game()->board->gemsToCollect = 1000; }});
    const auto panelShown = [](CGame& g) {
        for (const CRefPtr<CTotem>& t : g.board->totems.m_currentTotems)
            if (!t || t->m_mode != TotemMode::Panel || t->m_alpha < 1.0f)
                return false;
        return Playing(g, 2);
    };
    script.Wait("totems on the panel", panelShown, "totems_panel.png");
    const auto atCentre = [](CGame& g) {
        const CTotemsManager& m = g.board->totems;
        if (m.m_selectedColour < 0 || !m.m_ready)
            return false;
        const CRefPtr<CTotem>& t = m.m_currentTotems[m.m_selectedColour];
        return t && t->m_mode == TotemMode::Centre && t->m_state == TotemState::Idle && !t->m_lightShapes.empty();
    };
    script.Play("a match calls a totem", atCentre);
    script.Wait("the totem at the centre", atCentre, "totems_centre.png");
    script.Play("its colour again unleashes it",
                [](CGame& g) { return g.board->counters.second.GetInt(kCounterMatchEvents) > 0; });
    script.Wait("back on the panel", [panelShown](CGame& g) {
        return g.board->totems.m_selectedColour == -1 && panelShown(g); },
                "totems_back.png");
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(8000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
}

// Green, red and blue totems of level 2: a player after each colour in turn calls its
// totem with one match of the colour and unleashes it with the next; each acts on
// the board (rays to the gem tokens and gems flying to new ones, missiles blasting
// blocks, bolts breaking the steel laid on the board for them) and its phase ends.
// Each picture is taken while its effect is in full flight.
TEST(QuestRun, ChargedGreenRedAndBlueTotemsUnleashOnTheNextMatchOfTheirColour)
{
    GameHarness h;
    h.SetStep(20);
    // Only the three totems are owned: a match of another colour sends the called one
    // back without bringing a totem of its own.
    SaveQuestInShop(h, "Totem", 1, 1, [](CQuestSave& record) {
        const CShopItemTable items;
        for (size_t item = 0; item < record.shopValues.size(); ++item)
            if (items.kinds[item] == kShopItemTotem)
            {
                const int32_t colour = items.subIds[item];
                const bool owned = colour == kTotemGreen || colour == kTotemRed || colour == kTotemBlue;
                record.shopValues[item] = owned ? 2 : -1;
            }
    });
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "colours");
    std::array<int32_t, kTotemColourCount> levels{};
    script.Add({"a long level", [](CGame& g) { return Playing(g, 2); }, [&levels](GameHarness& g) {
                    // Gems to collect and to bring: rays find gem tokens, and new gems fly.
                    g.Game()->board->gemsToCollect = g.Game()->board->gemsToPlace = 1000;
                    std::copy_n(g.Game()->board->totems.m_levels, kTotemColourCount, levels.begin());
                }});
    // Steel for the blue bolts: four tokens spread over the board, away from the totem.
    const std::array<std::pair<int32_t, int32_t>, 8> steelCells{
        {{1, 1}, {6, 0}, {4, 3}, {7, 6}, {2, 1}, {5, 0}, {3, 3}, {7, 5}}};
    constexpr size_t kSteelTokens = 4;
    const auto steelLeft = [](CGame& g) {
        int count = 0;
        for (int32_t r = 0; r < g.board->rows; ++r)
            for (int32_t c = 0; c < g.board->columns; ++c)
            {
                const CRefPtr<CCap>* cell = g.board->CellAt(c, r);
                count += cell && *cell && (*cell)->colour >= CCap::kSteel ? 1 : 0;
            }
        return count;
    };
    const auto laySteel = [&steelCells](CPlayField& board) {
        size_t laid = 0;
        for (const auto& at : steelCells)
        {
            const CRefPtr<CCap>* cell = board.CellAt(at.first, at.second);
            if (laid == kSteelTokens || !cell || !*cell || (*cell)->marked || (*cell)->held)
                continue;
            board.capList.SetColour(*cell, CCap::kSteel);
            ++laid;
        }
        board.RebuildValueGrid();
    };
    int steelBefore = 0, steelAfter = -1;
    struct Colour
    {
        int32_t colour;
        const char* name;
        std::function<bool(CGame&)> showing; // the effect has begun to show
        int shotDelay;                       // ticks from then to its fullest
    };
    const auto totemOf = [](CGame& g, int32_t colour) { return g.board->totems.m_currentTotems[colour].Get(); };
    const std::vector<Colour> colours{
        // The first steel token struck: its flash, while the other bolts still fly.
        {kTotemBlue, "blue", [&](CGame& g) { return steelLeft(g) < steelBefore; }, 3},
        // Rays on their way to the gem tokens, new gems in flight.
        {kTotemGreen, "green", [&](CGame& g) {
             const auto* t = static_cast<const CGreenTotem*>(totemOf(g, kTotemGreen));
             return t && !t->m_waitingForMatch && t->m_effectTimer >= 0.5f;
         }, 1},
        // The first missile burst: the others burst over the next few frames.
        {kTotemRed, "red", [&](CGame& g) {
             const auto* t = static_cast<const CRedTotem*>(totemOf(g, kTotemRed));
             return t && (t->m_state == TotemState::Active || t->m_state == TotemState::ActiveFull) &&
                    t->m_missiles.size() < 4;
         }, 5},
    };
    int unleashedAt = 0;
    for (const Colour& c : colours)
    {
        const int32_t colour = c.colour;
        script.Add({std::string("after ") + c.name, [](CGame&) { return true; },
                    [&script, colour, &steelBefore, &steelLeft, &laySteel](GameHarness& g) {
                        script.wantedColour = colour;
                        if (colour != kTotemBlue)
                            return;
                        laySteel(*g.Game()->board);
                        steelBefore = steelLeft(*g.Game());
                    }});
        script.Play(std::string(c.name) + " unleashed", [&h, &unleashedAt, colour](CGame& g) {
            const CRefPtr<CTotem>& t = g.board->totems.m_currentTotems[colour];
            if (!t || (t->m_state != TotemState::Active && t->m_state != TotemState::ActiveFull))
                return false;
            unleashedAt = h.Tick();
            return true;
        });
        script.Add({std::string("the ") + c.name + " totem at work", c.showing, [](GameHarness&) {},
                    std::string("totem_") + c.name + ".png", c.shotDelay});
        script.Wait(std::string(c.name) + " done", [colour, &steelLeft, &steelAfter](CGame& g) {
            const CTotemsManager& m = g.board->totems;
            const CRefPtr<CTotem>& t = m.m_currentTotems[colour];
            if (colour == kTotemBlue)
                steelAfter = steelLeft(g);
            return m.m_ready && t && t->m_state != TotemState::Active && t->m_state != TotemState::ActiveFull;
        });
    }
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(9000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_GT(unleashedAt, 0);
    EXPECT_EQ((std::array<int32_t, kTotemColourCount>{2, -1, 2, 2, -1, -1, -1}), levels);
    EXPECT_EQ(int(kSteelTokens), steelBefore);
    EXPECT_EQ(0, steelAfter) << "every steel token is struck";
}

// The shop shows each totem locked, offered or owned; the panel marks the colours not
// owned with silhouettes; and the white, yellow, orange and violet totems, each called
// and unleashed in turn, repaint tokens, fly their number and their time, and send bonuses.
TEST(QuestRun, TotemsShowByOwnershipAndTheWhiteYellowOrangeAndVioletOnesUnleash)
{
    GameHarness h;
    h.SetStep(20);
    // Items: 0 violet, 1 white, 2 blue, 3 yellow, 4 orange, 5 red, 9 green.
    SaveQuestInShop(h, "Totem", 11, 0, [](CQuestSave& record) {
        for (int item : {0, 1, 3, 4})
            record.shopValues[size_t(item)] = 1;
        record.shopValues[2] = -1;
        record.shopValues[5] = 0;
        record.shopValues[9] = 0;
    });
    QuestScript script(h);
    ContinueIntoLevel(script, 12, "totem_colours");
    script.Add({"a long level", [](CGame& g) { return Playing(g, 12); },
                [](GameHarness& g) { g.Game()->board->gemsToCollect = 1000; }});
    script.Wait("silhouettes on the panel", [](CGame& g) {
        const CTotemsManager& m = g.board->totems;
        return Playing(g, 12) && m.m_panelPictures.size() == 7 && m.m_panelPictures.back()->alpha >= 1.0f;
    }, "totem_colours_panel.png");
    struct Unleashing
    {
        int32_t colour;
        const char* name;
        std::function<bool(const CTotem&)> working;
    };
    const Unleashing runs[] = {
        {kTotemWhite, "white", [](const CTotem& t) {
             const auto& streams = static_cast<const CWhiteTotem&>(t).m_activeStreams;
             return !streams.empty() && streams[0]->m_elapsed > 0.5f * streams[0]->m_duration; }},
        {kTotemYellow, "yellow", [](const CTotem& t) {
             const auto& y = static_cast<const CYellowTotem&>(t);
             return y.m_numberShape && y.m_timer > y.m_settings.numberStartTime + 0.2f; }},
        {kTotemOrange, "orange", [](const CTotem& t) {
             const auto& o = static_cast<const COrangeTotem&>(t);
             return o.m_flyShape && o.m_flightTimer > 0.15f; }},
        {kTotemViolet, "violet", [](const CTotem& t) {
             return static_cast<const CVioletTotem&>(t).m_effectStage == CVioletTotem::kEffectTaken; }},
    };
    for (const Unleashing& run : runs)
    {
        const int32_t c = run.colour;
        // Called on a full, settled board.
        const auto ready = [](CGame& g) {
            const CTotemsManager& m = g.board->totems;
            size_t live = 0;
            for (const auto& row : g.board->cells)
                live += size_t(std::count_if(row.begin(), row.end(), [](const CRefPtr<CCap>& cap) { return cap && cap->active; }));
            return Playing(g, 12) && g.board->IsIdle(true) && live > 0 && m.m_ready && m.m_requests.empty() &&
                   m.m_selectedColour == -1;
        };
        script.Add({std::string("call the ") + run.name + " totem", ready,
                    [c](GameHarness& g) { g.Game()->board->totems.RequestTotem(c); }});
        script.Add({std::string("unleash the ") + run.name + " totem", [c](CGame& g) {
            const CTotemsManager& m = g.board->totems;
            const CRefPtr<CTotem>& t = m.m_currentTotems[c];
            return m.m_selectedColour == c && m.m_ready && t && t->m_state == TotemState::Idle;
        }, [c](GameHarness& g) { g.Game()->board->totems.RequestTotem(c); }});
        const auto working = run.working;
        script.Wait(std::string("the ") + run.name + " totem at work", [c, working](CGame& g) {
            const CRefPtr<CTotem>& t = g.board->totems.m_currentTotems[c];
            return t && t->m_mode == TotemMode::Centre && working(*t);
        }, std::string("totem_colours_") + run.name + ".png");
        script.Wait(std::string("the ") + run.name + " totem back", ready);
    }
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
}

// How many pixels of a ring round a point of the board changed between two saved
// frames: the pieces a lock throws off darken what lies round the token.
int ChangedAround(const GameHarness::Frame& before, const GameHarness::Frame& after, float x, float y, float inner,
                  float outer)
{
    if (before.width != after.width || before.height != after.height || before.width < 1)
        return -1;
    // Board units: 1024 x 768, centred and y up.
    const float sx = float(after.width) / 1024.0f, sy = float(after.height) / 768.0f;
    const float cx = (x + 512.0f) * sx, cy = (384.0f - y) * sy;
    int changed = 0;
    for (int py = std::max(0, int(cy - outer * sy)); py < std::min(after.height, int(cy + outer * sy) + 1); ++py)
        for (int px = std::max(0, int(cx - outer * sx)); px < std::min(after.width, int(cx + outer * sx) + 1); ++px)
        {
            const float d = std::hypot((float(px) - cx) / sx, (float(py) - cy) / sy);
            if (d < inner || d > outer)
                continue;
            const uint32_t a = before.pixels[size_t(py * after.width + px)], b = after.pixels[size_t(py * after.width + px)];
            int most = 0;
            for (int shift : {0, 8, 16})
                most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
            changed += most > 48 ? 1 : 0;
        }
    return changed;
}

// A locked token whose lock breaks throws the lock's pieces round it, on an early
// level and on a later one with totems standing beside the board.
TEST(QuestRun, ABrokenLockThrowsItsPiecesOnEveryLevel)
{
    struct Case
    {
        int savedAfter;
        const char* name;
        std::vector<int> totemItems;  // items 1 white, 9 green
    };
    const Case cases[] = {{1, "lock_level2", {}}, {11, "lock_level12", {1, 9}}};
    for (const Case& c : cases)
    {
        GameHarness h;
        h.SetStep(20);
        SaveQuestInShop(h, "Lock", c.savedAfter, kShopAsPlayed, [&c](CQuestSave& record) {
            for (int item : c.totemItems)
                record.shopValues[size_t(item)] = 1;
        });
        QuestScript script(h);
        const int level = c.savedAfter + 1;
        const std::string name = c.name;
        ContinueIntoLevel(script, level, name);
        CRefPtr<CCap> token;
        Vec3 centre{0.0f, 0.0f, 0.0f};
        float radius = 0.0f;
        int lockedAt = 0, burstAt = 0;
        const std::string before = script.Shot(name + "_before.png"), after = script.Shot(name + "_burst.png");
        script.Add({"a long level", [level](CGame& g) { return Playing(g, level); },
                    [](GameHarness& g) { g.Game()->board->gemsToCollect = 1000; }});
        // A token in the board's middle gets a lock while the board rests.
        script.Add({"a locked token", [level](CGame& g) { return Playing(g, level) && g.board->IsIdle(true) && g.board->totems.m_ready; },
                    [&](GameHarness& g) {
                        const CRefPtr<CCap>* cell = g.Game()->board->CellAt(3, 4);
                        ASSERT_TRUE(cell && *cell);
                        token = *cell;
                        token->SetLockCount(1);
                        lockedAt = g.Tick();
                    }});
        script.Add({"the lock shown", [&](CGame&) { return h.Tick() >= lockedAt + 4; },
                    [&](GameHarness& g) {
                        g.SaveFrameWhen([](CGame&) { return true; }, before);
                    }});
        script.Add({"the lock breaks", [&](CGame&) { return h.frames.count(before) > 0; },
                    [&](GameHarness& g) {
                        centre = TokenCentre(*token);
                        radius = token->radius;
                        g.Game()->board->RemoveSingleToken(token, 0, CTerminator::kAddNormal, true);
                        g.SaveFrameWhen([&](CGame&) {
                            if (token->lockCount == 0 && burstAt == 0)
                                burstAt = h.Tick();
                            return burstAt > 0 && h.Tick() >= burstAt + 3;
                        }, after);
                    }});
        script.Wait("its pieces fly", [&](CGame&) { return h.frames.count(after) > 0; });
        script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
        EXPECT_EQ(0, script.Run(3000)) << c.name;
        ASSERT_TRUE(script.Finished()) << c.name << " stuck at: " << script.Stuck();
        const int changed = ChangedAround(h.frames[before], h.frames[after], centre.x, centre.y, radius * 1.1f, radius * 2.2f);
        EXPECT_GE(changed, 200) << c.name << ": the pieces round the token";
    }
}

// The museum's, the jungle's and the valley's levels each stand on their own living
// picture: the scene switches with the location and moves on from frame to frame, and
// the gems of the location's levels already won are lit on it.
TEST(QuestRun, LevelsOfEachLocationStandOnTheirScene)
{
    struct Case
    {
        int level;
        int32_t scene;
        const char* prefix;
    } cases[] = {{3, CBackgroundManager::kSceneMuseum, "scene_museum"},
                 {8, CBackgroundManager::kSceneJungle, "scene_jungle"},
                 {14, CBackgroundManager::kSceneValley, "scene_valley"}};
    const auto ornamentsOf = [](CGame& g) -> const CProgressOrnaments& {
        CBackgroundManager& b = *g.backgrounds;
        return b.currentScene == CBackgroundManager::kSceneMuseum   ? b.Museum().ornaments
               : b.currentScene == CBackgroundManager::kSceneJungle ? b.Jungle().ornaments
                                                                    : b.Valley().ornaments;
    };
    for (const Case& c : cases)
    {
        GameHarness h;
        h.SetStep(20);
        SaveQuestInShop(h, "Ada", c.level - 1);
        QuestScript script(h);
        ContinueIntoLevel(script, c.level, c.prefix);
        const int32_t scene = c.scene;
        script.Wait("the scene shown", [scene](CGame& g) { return g.backgrounds->currentScene == scene; });
        // The third level of each location: the two won before it have their gems, rays
        // and flares lit.
        script.Wait("two gems lit", [ornamentsOf](CGame& g) {
            const CProgressOrnaments& o = ornamentsOf(g);
            if (o.Stage() != 2 || o.GemShapes() != 2)
                return false;
            for (size_t i = 0; i < 2; ++i)
                if (o.Gem(i)->alpha < 1.0f || o.Ray(i)->alpha < 1.0f || o.Flare(i)->alpha < 1.0f)
                    return false;
            return true;
        }, std::string(c.prefix) + "_lit.png");
        // Two more looks, two and four seconds on: dust, mist, glints, clouds and rays move.
        int frames = 0;
        script.Wait("two seconds on", [&frames](CGame&) { return ++frames > 100; }, std::string(c.prefix) + "_2s.png");
        script.Wait("four seconds on", [&frames](CGame&) { return ++frames > 200; }, std::string(c.prefix) + "_4s.png");
        script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
        EXPECT_EQ(0, script.Run(4000)) << c.prefix;
        EXPECT_TRUE(script.Finished()) << c.prefix << " stuck at: " << script.Stuck();
        EXPECT_EQ(std::string::npos, h.Log().find("Error loading background textures")) << c.prefix;
        EXPECT_EQ(std::string::npos, h.Log().find("JungleFlashMask.bmp")) << c.prefix;
    }
}

// The shop late in a quest, every item owned: the sand glass shows its dust and its
// seconds, and each bonus item shows the bonus as it looks at its level. Stars bought
// on the sand glass raise its note level by level (a screenshot of each).
TEST(QuestRun, ShopShowsTheSandGlassAndEveryBonusAtItsLevel)
{
    GameHarness h;
    h.SetStep(20);
    const std::array<int32_t, CShop::kItemCount> owned{{2, 1, 3, 4, 1, 2, 2, 0, 0, 3, 0, 1, 2, 3, 1, 2}};
    SaveQuestInShop(h, "Glass", 38, 0, [&owned](CQuestSave& record) {
        std::copy(owned.begin(), owned.end(), record.shopValues.begin());
        record.stars = 5;
    });
    std::vector<std::string> notes;
    std::array<int32_t, 6> bonusLevels{};
    int ticksShown = 0;
    QuestScript script(h);
    script.Add({"main menu", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 1); }});
    script.Add({"continue the saved quest", [](CGame& g) { return QuestScript::FormShown(g, "StartQuest"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "StartQuest", 211); }});
    // Each level of the sand glass is looked at once its star has landed and the
    // bonuses have dropped into place, then one more star is bought.
    for (int level = 0; level <= 4; ++level)
    {
        script.Add({"sand glass at " + std::to_string(level),
                    [level](CGame& g) {
                        return g.subState == kSubStateShop && g.shop->display >= 1.0f && QuestScript::FormShown(g, "Shop") &&
                               g.shop->CountStars() == g.shop->items.freeStars && g.shop->sandNote &&
                               g.shop->items.levels[kShopItemSandGlass] == level;
                    },
                    [&, level](GameHarness& g) {
                        notes.push_back(g.Game()->shop->sandNote->text);
                        ticksShown = 0;
                        if (level == 0)
                            for (size_t k = 0; k < bonusLevels.size(); ++k)
                            {
                                const CRefPtr<CBonus>& b = g.Game()->shop->bonusObjects[k];
                                bonusLevels[k] = b ? b->level : -1;
                            }
                    },
                    "shop_glass_" + std::to_string(level) + ".png", 30});
        if (level < 4)
            script.Add({"buy a sand-glass star", [&ticksShown](CGame&) { return ++ticksShown > 32; },
                        [](GameHarness& g) { QuestScript::ClickWidget(g, "Shop", 40 + kShopItemSandGlass); }});
    }
    // The longest description (the violet totem's) ends above the time dial.
    script.Add({"describe the violet totem", [&ticksShown](CGame&) { return ++ticksShown > 32; },
                [](GameHarness& g) {
                    const CRefPtr<CKMWindow> plus = g.Game()->ui->List(kFormShop, 6)[0];
                    const float scale = 480.0f / 768.0f;
                    g.MoveMouse(int((plus->worldPosition.x + 512.0f) * scale), int((384.0f - plus->worldPosition.y) * scale));
                },
                "shop_description.png", 10});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_EQ((std::vector<std::string>{"10 sec", "15 sec", "20 sec", "25 sec", "30 sec"}), notes);
    for (size_t k = 0; k < bonusLevels.size(); ++k)
        EXPECT_EQ(owned[10 + k], bonusLevels[k]) << "bonus item " << 10 + k;
}

namespace {

// A game folder whose tuning files hold `extreme` in place of every number (values made
// only of numbers) of the keys `only` names, or of every key but "ElementsCount" of the
// quest frame when it names none; everything else links to the build's game folder.
std::string GameWithExtremeTuning(const std::string& name, const std::string& extreme,
                                  const std::set<std::string>& only = {})
{
    const fs::path root = fs::path(::testing::TempDir()) / ("extreme_tuning_" + name);
    fs::remove_all(root);
    const fs::path game(ORB_GAME_DIR);
    fs::create_directories(root / "Data" / "Config");
    for (const auto& e : fs::directory_iterator(game))
        if (e.path().filename() != "Data")
            fs::create_symlink(e.path(), root / e.path().filename());
    for (const auto& e : fs::directory_iterator(game / "Data"))
        if (e.path().filename() != "Config")
            fs::create_symlink(e.path(), root / "Data" / e.path().filename());
    for (const auto& e : fs::directory_iterator(game / "Data" / "Config"))
    {
        std::ifstream in(e.path());
        std::ofstream out(root / "Data" / "Config" / e.path().filename());
        std::string line;
        while (std::getline(in, line))
        {
            const size_t eq = line.find('=');
            const std::string key = eq == std::string::npos ? std::string() : line.substr(0, eq);
            const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
            const bool numbers = !value.empty() && value.find_first_not_of("0123456789.- \r\t") == std::string::npos &&
                                 value.find_first_of("0123456789") != std::string::npos;
            const bool chosen = only.empty() ? key != "ElementsCount" : only.count(key) > 0;
            if (numbers && chosen)
            {
                std::string wild;
                for (size_t at = 0; (at = value.find_first_of("0123456789", at)) != std::string::npos;)
                {
                    wild += (wild.empty() ? "" : " ") + extreme;
                    at = value.find_first_not_of("0123456789.-", at);
                    if (at == std::string::npos)
                        break;
                }
                line = key + "=" + wild;
            }
            out << line << "\n";
        }
    }
    return root.string();
}

const struct
{
    const char* name;
    const char* value;
} kExtremes[] = {{"huge", "99999999999"}, {"negative", "-99999999999"}, {"nan", "nan"}};

}  // namespace

// Tuning files whose every number is huge, hugely negative or not a number: the game
// starts and shows the player's first screen, and the values it could not use are named
// in the log.
TEST(QuestRun, ExtremeTuningValuesStillStartTheGame)
{
    for (const auto& extreme : kExtremes)
    {
        GameHarness h(GameWithExtremeTuning(extreme.name, extreme.value));
        h.SetStep(20);
        QuestScript script(h);
        script.Add({"new profile", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "NewProfile"); },
                    [](GameHarness& g) { g.Post(WM_CLOSE); }});
        EXPECT_EQ(0, script.Run(6000)) << extreme.name;
        EXPECT_TRUE(script.Finished()) << extreme.name << " stuck at: " << script.Stuck();
        EXPECT_NE(std::string::npos, h.Log().find("Tuning value out of range")) << extreme.name;
        fs::remove_all(fs::path(::testing::TempDir()) / (std::string("extreme_tuning_") + extreme.name));
    }
}

// The gems' flight time and the shop stars' depth at their extremes: the first level
// is still played to its end and its shop opens.
TEST(QuestRun, ExtremeGemFlightAndStarDepthStillEndALevel)
{
    for (const auto& extreme : kExtremes)
    {
        GameHarness h(GameWithExtremeTuning(std::string("flight_") + extreme.name, extreme.value,
                                            {"FlyTime", "StarsZOrderShift"}));
        h.SetStep(20);
        QuestScript script(h);
        script.Add({"new profile", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "NewProfile"); },
                    [](GameHarness& g) {
                        for (char c : std::string("Wild"))
                            g.Post(WM_CHAR, static_cast<WPARAM>(c));
                        g.Key(VK_RETURN);
                    }});
        script.Add({"new quest", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu"); },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 1); }});
        for (int page = 0; page < 9; ++page)
            script.Add({"intro page", [](CGame& g) { return g.state != kStateLevelIntro || g.phase != -7 || QuestScript::FormShown(g, "Intro"); },
                        [](GameHarness& g) {
                            if (g.Game()->state == kStateLevelIntro && g.Game()->phase == -7)
                                QuestScript::ClickGame(g, 0.0f, 0.0f);
                        }});
        script.Wait("level 1 starts", [](CGame& g) { return Playing(g, 1); });
        script.Play("play level 1", [](CGame& g) { return g.subState == kSubStateLevelComplete; });
        script.Add({"statistics", [](CGame& g) { return g.subState == kSubStateStatistics && g.phase == 22 && QuestScript::FormShown(g, "Statistics"); },
                    [](GameHarness& g) { QuestScript::ClickWidget(g, "Statistics", 20); }});
        script.Add({"after the level", [](CGame& g) { return g.subState == kSubStateAfterLevel && g.phase == 10; },
                    [](GameHarness& g) { QuestScript::ClickGame(g, 0.0f, 0.0f); }});
        script.Add({"shop", [](CGame& g) { return g.subState == kSubStateShop && g.shop->display >= 1.0f && QuestScript::FormShown(g, "Shop"); },
                    [](GameHarness& g) { g.Post(WM_CLOSE); }});
        EXPECT_EQ(0, script.Run(12000)) << extreme.name;
        EXPECT_TRUE(script.Finished()) << extreme.name << " stuck at: " << script.Stuck();
        fs::remove_all(fs::path(::testing::TempDir()) / (std::string("extreme_tuning_flight_") + extreme.name));
    }
}
