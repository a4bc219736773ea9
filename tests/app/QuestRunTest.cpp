// The quest played through the real program, offscreen with a fixed frame time, as a
// player would: a new profile, a new quest, the intro, level 1 won with legal moves,
// the statistics, the shop, the map, level 2, and the quest continued from its save at
// the next start; a level lost on time; the hint and a shuffle bought with a life;
// the adviser, score and solidarity bonuses going off.
// Screenshots of each step are written to the test's working folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "GameHarness.h"
#include "QuestScript.h"
#include "backgrounds/BackgroundManager.h"
#include "board/Terminator.h"
#include "bonuses/BonusManager.h"
#include "challenges/AccuracyChallenge.h"
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
#include "totems/TotemsManager.h"
#include "ui/KMStatic.h"
#include "render/Font.h"
#include "render/Renderer.h"

namespace fs = std::filesystem;

namespace {

bool Playing(CGame& g, int level)
{
    return g.state == kStatePlaying && g.subState == kSubStateNormalPlay && g.board->inputOpen && g.LevelNumber() == level;
}

// Menus, the saved quest's dialog, continue, the shop, the map, and the next level.
void ContinueIntoLevel(QuestScript& script, int level, const std::string& prefix,
                       std::function<void(CGame&)> beforeLevel = nullptr)
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
                prefix + "_shop_drag.png", 0});
    script.Add({"star spent",
                [](CGame& g) {
                    // Placed on the item (a star dropped nowhere goes back to the source).
                    return g.shop->items.levels[kShopItemGemCount] >= 1 && g.shop->items.freeStars == 0 &&
                           g.shop->CountStars() == 0 && QuestScript::FormShown(g, "Shop");
                },
                [](GameHarness& h) { QuestScript::ClickWidget(h, "Shop", 31); }, prefix + "_shop_dropped.png", 0});
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

TEST(QuestRun, LevelLostOnTimeCostsALifeAndShowsTheLifeLostPanel)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 1);
    QuestScript script(h);
    ContinueIntoLevel(script, 2, "lost");
    int livesBefore = 0, livesAfter = -1;
    LoseLifeOnTime(script, livesBefore, livesAfter, "lost");
    script.Wait("back in the shop", [](CGame& g) { return g.subState == kSubStateShop && QuestScript::FormShown(g, "Shop"); },
                "lost_retry_shop.png");
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
                        const CRefPtr<CKMWindow> icon = g.Game()->trophies->LevelIcon(t, g.Game()->trophies->displayedLevels[size_t(t)]);
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
    script.Add({"bonuses on tokens",
                [](CGame& g) { return Playing(g, 2) && g.board->IsIdle(true); },
                [&placed](GameHarness& h) {
                    CPlayField& board = *h.Game()->board;
                    const int cells[3][3] = {{kBonusAdviser, 1, 1}, {kBonusScore, 6, 2}, {kBonusSolidarity, 3, 5}};
                    for (const auto& c : cells)
                    {
                        CRefPtr<CBonus> b;
                        board.bonusManager->CreateBonus(b, c[0], 2, 0, 1);
                        const CRefPtr<CCap>& cap = board.cells[size_t(c[2])][size_t(c[1])];
                        b->Place(cap->position[0] + board.origin[0], cap->position[1] + board.origin[1],
                                 board.origin[2], cap->radius, c[1], c[2]);
                        cap->SetHeld(b);
                        placed.push_back(b);
                    }
                },
                "help_bonuses.png", 25});
    script.Add({"tokens break", [](CGame& g) { return g.board->IsIdle(true); },
                [&](GameHarness& h) {
                    CPlayField& board = *h.Game()->board;
                    for (const CRefPtr<CBonus>& b : placed)
                        board.RemoveSingleToken(board.cells[size_t(b->row)][size_t(b->column)], 0,
                                                CTerminator::kAddNormal, true);
                },
                "help_breaking.png", 12});
    bool allFired = false;
    script.Add({"bonuses go off",
                [&placed](CGame&) {
                    return std::all_of(placed.begin(), placed.end(),
                                       [](const CRefPtr<CBonus>& b) { return b->finished != 0; });
                },
                [&](GameHarness&) {
                    // Let go of them: a bonus leaves the board when its manager drops it.
                    allFired = true;
                    placed.clear();
                },
                "help_firing.png"});
    script.Wait("advice shows", [](CGame& g) { return g.board->adviser.active && !g.board->adviser.groupArrows.empty(); },
                "help_advice.png");
    script.Add({"counting down", [](CGame& g) { return g.board->adviser.remaining < 24.0f; }, [](GameHarness&) {},
                "help_counting.png", 10});
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(3000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    EXPECT_TRUE(allFired);
}

TEST(QuestRun, FirstBonusLevelOpensAfterLevelFiveAndItsStarsCaughtByClicksWinAGoldenStar)
{
    GameHarness h;
    h.SetStep(20);
    SaveQuestInShop(h, "Ada", 4);
    QuestScript script(h);
    ContinueIntoLevel(script, 5, "bonus");
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
    int nextClick = 0;
    bool runningShot = false;
    const std::string runningPath = (fs::current_path() / "bonus_running.png").string();
    script.Add({"stars caught", [&h, &nextClick, &runningShot, runningPath](CGame& g) {
                    if (g.phase >= ChallengePhase::Lost)
                        return true;
                    CAccuracyChallenge* a = g.board->accuracyChallenge.Get();
                    if (!a || h.Tick() < nextClick)
                        return false;
                    for (const CRefPtr<CAccuracyStar>& star : a->stars)
                        if (star->state == CAccuracyStar::kFlying && star->shape->position.x < 420.0f)
                        {
                            QuestScript::ClickGame(h, star->shape->position.x, star->shape->position.y);
                            nextClick = h.Tick() + 3;
                            if (a->caughtCount >= 8 && !runningShot)
                            {
                                runningShot = true;
                                h.SaveFrameAt(h.Tick() + 2, runningPath);
                            }
                            break;
                        }
                    return false;
                },
                [](GameHarness&) {}});
    int starsAfter = 0, wonAfter = 0, caught = 0;
    script.Add({"verdict", [](CGame& g) { return g.phase == ChallengePhase::Won && g.stateTimer > 0.2f; },
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

// The museum's, the jungle's and the valley's levels each stand on their own living
// picture: the scene switches with the location and moves on from frame to frame.
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
    for (const Case& c : cases)
    {
        GameHarness h;
        h.SetStep(20);
        SaveQuestInShop(h, "Ada", c.level - 1);
        QuestScript script(h);
        ContinueIntoLevel(script, c.level, c.prefix);
        const int32_t scene = c.scene;
        script.Wait("the scene shown", [scene](CGame& g) { return g.backgrounds->currentScene == scene; });
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
