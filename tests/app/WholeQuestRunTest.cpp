// One player's whole quest through the real program, offscreen with a fixed frame time:
// the first player made in the name box and a second one on the profiles screen, a
// volume lowered in the options and kept, the first levels played with the tips, every
// kind of bonus going off on a level that is then won, the sand glass filling into a
// score frenzy, a totem bought in the shop then called and unleashed, a life lost on
// time and the shop's autosave taken up again, the four challenges of the bonus levels
// won, trophies awarded, the map and the scene of every stage, the last level won, the
// quest's end and the high-score table.
//
// Long goals are shortened: most levels are won by their first line once their gems are
// given, and the quest is carried from one stage to the next by saving and leaving on
// the map and continuing a save moved on to the later level. Everything else runs the
// game's own way: clicks, keys and legal swaps. A picture of each milestone is written
// to the test's working folder ("whole_NN_*.png").
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "GameHarness.h"
#include "QuestScript.h"
#include "backgrounds/BackgroundManager.h"
#include "board/Terminator.h"
#include "bonuses/BonusManager.h"
#include "challenges/AccuracyChallenge.h"
#include "challenges/AttentionChallenge.h"
#include "challenges/MemoryChallenge.h"
#include "challenges/ReactionChallenge.h"
#include "effects/SandHeap.h"
#include "effects/Sandbox.h"
#include "field/PlayField.h"
#include "game/Game.h"
#include "render/SpriteShape.h"
#include "saves/CounterBlock.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "totems/RedTotem.h"
#include "totems/TotemsManager.h"
#include "ui/KMScroller.h"

namespace fs = std::filesystem;

// Named: the test build may compile this file in one unit with the other runs.
namespace whole_quest {

bool Playing(CGame& g, int level)
{
    return g.state == kStatePlaying && g.subState == kSubStateNormalPlay && g.board->inputOpen && g.LevelNumber() == level;
}

// The board at rest, no tip up.
bool Settled(CGame& g, int level)
{
    return Playing(g, level) && g.board->IsIdle(true) && g.board->tutorialStep == kTipNone;
}

bool MapShown(CGame& g)
{
    return g.subState == kSubStateMap && g.phase == 1 && QuestScript::FormShown(g, "Map");
}

bool ShopShown(CGame& g)
{
    return g.subState == kSubStateShop && g.shop->display >= 1.0f && !g.shopAutosave && QuestScript::FormShown(g, "Shop");
}

bool MainMenuShown(CGame& g)
{
    return g.state == kStateMenus && QuestScript::FormShown(g, "MainMenu");
}

// The screens between two levels answered as a player answers them: the main menu's
// quest, the saved quest continued, the story paged through, the statistics, the map
// after the level, the shop left as it is and the map's way into the next level.
class Guide
{
public:
    explicit Guide(GameHarness& harness) : h(harness) {}

    // True once `until` holds; until then every screen on the way is answered.
    bool Until(CGame& g, const std::function<bool(CGame&)>& until)
    {
        if (until(g))
            return true;
        if (h.Tick() >= nextAct && Answer(g))
            nextAct = h.Tick() + 10;
        return false;
    }

private:
    bool Answer(CGame& g)
    {
        if (QuestScript::FormShown(g, "MsgBox"))
        {
            if (g.ui->messageCode == kMessageTutorial)
                return false;  // the script reads the tips
            if (g.ui->messageCode == kMessageStarsLeft)
                return QuestScript::ClickWidget(h, "MsgBox", 202);
            return QuestScript::ClickWidget(h, "MsgBox", 200) || QuestScript::ClickWidget(h, "MsgBox", 201);
        }
        // A new high score made on leaving the quest shows the table: back to the menu.
        if (g.state == kStateMenus && QuestScript::FormShown(g, "HighScores"))
            return QuestScript::ClickWidget(h, "HighScores", 250);
        if (MainMenuShown(g))
            return QuestScript::ClickWidget(h, "MainMenu", 1);
        if (g.state == kStateMenus && QuestScript::FormShown(g, "StartQuest"))
            return QuestScript::ClickWidget(h, "StartQuest", 211);
        if (g.state == kStateLevelIntro && g.phase == LevelIntroPhase::IntroPagesShown && QuestScript::FormShown(g, "Intro"))
            return Click(0.0f, 0.0f);
        if (g.state != kStatePlaying)
            return false;
        if (g.subState == kSubStateStatistics && g.phase == StatisticsPhase::Done && QuestScript::FormShown(g, "Statistics"))
            return QuestScript::ClickWidget(h, "Statistics", 20);
        if (g.subState == kSubStateAfterLevel && g.stateTimer > 0.5f &&
            (g.phase == AfterLevelPhase::WaitForPlayer || g.phase == AfterLevelPhase::NewspaperShown))
            return Click(0.0f, 0.0f);
        if (ShopShown(g))
            return QuestScript::ClickWidget(h, "Shop", 31);
        if (MapShown(g))
            return QuestScript::ClickWidget(h, "Map", 150);
        return false;
    }

    bool Click(float x, float y)
    {
        QuestScript::ClickGame(h, x, y);
        return true;
    }

    GameHarness& h;
    int nextAct = 0;
};

void Type(GameHarness& g, const std::string& text)
{
    for (int i = 0; i < 12; ++i)
        g.Post(WM_CHAR, 8);
    for (char c : text)
        g.Post(WM_CHAR, WPARAM(static_cast<unsigned char>(c)));
}

// What the run saw on the way, checked at its end.
struct Seen
{
    std::string firstPlayer, secondPlayer;
    int profiles = 0;
    float volumeBefore = -1.0f, volumeAfter = -1.0f;
    bool bonusesFired = false;
    int gemsBefore = -1, gemsAfter = -1;
    bool frenzy = false;
    int livesBefore = 0, livesAfter = -1, livesAfterReload = -1, livesExpected = -2;
    int32_t redTotemLevel = -1;
    bool totemUnleashed = false;
    std::vector<int> challengesWon;
    int trophies = 0;
    bool winShown = false;
    int highlightRow = -1;
    std::vector<int> scenes;
};

class WholeQuest
{
public:
    WholeQuest(GameHarness& harness, QuestScript& s) : h(harness), script(s), guide(harness) {}

    Seen seen;

    void Profiles();
    void Options();
    void FirstLevel();
    void BonusesAndSandGlass();
    void LifeLostAndReloaded();
    void TotemBoughtChargedAndFired();
    void AccuracyChallenge();
    void MemoryChallenge();
    void ReactionChallenge();
    void AttentionChallenge();
    void StageScene(int level, int stage);
    void LastLevelAndQuestEnd();

    // Moves the quest on: from the map before the next level, the quest is saved and
    // left, its save moved on to stand in the shop after `level - 1`, and continued.
    void SkipTo(int level);

private:
    std::string Shot(const std::string& name) { return "whole_" + TwoDigits(++shots) + "_" + name + ".png"; }
    static std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
    void Go(const std::string& name, std::function<bool(CGame&)> until, const std::string& shot = "")
    {
        Guide* g = &guide;
        script.Wait(name, [g, until](CGame& game) { return g->Until(game, until); }, shot.empty() ? "" : Shot(shot));
    }
    // The level is won by its next lines: no more gems are asked for.
    void WinLevel(int level);
    void Challenge(int level, const char* form, const std::string& name, std::function<bool(CGame&)> play,
                   int step = 20);
    void Move(std::function<void(GameHarness&)> act) { script.Add({"act", [](CGame&) { return true; }, act, "", 0}); }

    // Leaves the quest for the main menu: from the map, or from a level by the pause menu.
    bool LeaveQuest(CGame& g);

    // The frame `delay` ticks on goes to `path` the first time `key` asks; true then.
    bool ShotOnce(const std::string& key, const std::string& path, int delay)
    {
        if (!shotTaken.insert(key).second)
            return false;
        h.SaveFrameAt(h.Tick() + delay, script.Shot(path));
        return true;
    }

    GameHarness& h;
    QuestScript& script;
    Guide guide;
    int shots = 0;
    int nextClick = 0;
    std::set<std::string> shotTaken;
};

void WholeQuest::Profiles()
{
    script.Add({"the first player's name", [](CGame& g) { return g.state == kStateMenus && QuestScript::FormShown(g, "NewProfile"); },
                [](GameHarness& g) { Type(g, "Quill"); }});
    script.Add({"name typed", [](CGame& g) { return g.ui->profileText == "Quill"; }, [](GameHarness& g) { g.Key(VK_RETURN); },
                Shot("first_player"), 0});
    script.Add({"profiles", [this](CGame& g) {
                    if (!MainMenuShown(g) || !g.player)
                        return false;
                    seen.firstPlayer = g.player->name;
                    return true;
                },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 6); }});
    script.Add({"new-player row", [](CGame& g) { return QuestScript::FormShown(g, "Profiles"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Profiles", kIdProfileRowFirst); }});
    script.Add({"the second player's name", [](CGame& g) { return QuestScript::FormShown(g, "NewProfile"); },
                [](GameHarness& g) { Type(g, "Ivy Rook"); }});
    script.Add({"second name typed", [](CGame& g) { return g.ui->profileText == "Ivy Rook"; },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "NewProfile", 195); }});
    script.Add({"choose the second player",
                [](CGame& g) { return QuestScript::FormShown(g, "Profiles") && g.ui->profiles->Find("Ivy Rook") >= 0; },
                [](GameHarness& g) {
                    CGame& game = *g.Game();
                    QuestScript::ClickWidget(g, "Profiles", kIdProfileRowFirst + game.ui->profiles->Find("Ivy Rook") - game.ui->profileScroll);
                }});
    script.Add({"confirm Ivy Rook",
                [this](CGame& g) {
                    seen.profiles = int(g.ui->profiles->profiles.size());
                    return g.ui->selectedProfile == g.ui->profiles->Find("Ivy Rook");
                },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Profiles", 180); }, Shot("second_player"), 0});
    script.Add({"main menu as Ivy Rook", [this](CGame& g) {
                    if (!MainMenuShown(g) || !g.player || g.player->name != "Ivy Rook")
                        return false;
                    seen.secondPlayer = g.player->name;
                    return true;
                },
                [](GameHarness&) {}, Shot("main_menu"), 3});
}

void WholeQuest::Options()
{
    Move([](GameHarness& g) { QuestScript::ClickWidget(g, "MainMenu", 3); });
    script.Add({"lower the sound", [this](CGame& g) {
                    if (!QuestScript::FormShown(g, "Options"))
                        return false;
                    seen.volumeBefore = static_cast<CKMScroller*>(g.ui->Widget(kFormOptions, 1).Get())->value;
                    return true;
                },
                [](GameHarness& g) {
                    const CRefPtr<CKMWindow> sound = QuestScript::FindWidget(*g.Game(), "Options", kIdSoundVolume);
                    QuestScript::ClickGame(g, sound->worldPosition.x - sound->size.w * 0.3f, sound->worldPosition.y);
                }});
    script.Add({"options kept", [this](CGame& g) {
                    seen.volumeAfter = static_cast<CKMScroller*>(g.ui->Widget(kFormOptions, 1).Get())->value;
                    return std::fabs(seen.volumeAfter - seen.volumeBefore) > 0.1f;
                },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Options", 230); }, Shot("options"), 0});
}

// A new player's first level: the story, the tips followed, the real goal.
void WholeQuest::FirstLevel()
{
    Go("level 1", [](CGame& g) {
        const CRefPtr<CKMForm> tip = g.ui->Form("Tutorial");
        return Playing(g, 1) && tip && tip->visible && tip->alpha >= 1.0f;
    }, "level1_tip");
    script.Play("play level 1", [](CGame& g) { return g.subState == kSubStateLevelComplete; }, Shot("level1_play"), 6);
    Go("statistics of level 1", [](CGame& g) {
        return g.subState == kSubStateStatistics && g.phase == StatisticsPhase::Done && QuestScript::FormShown(g, "Statistics");
    }, "level1_statistics");
    // The level's star buys the gem-count upgrade.
    Go("shop after level 1", ShopShown);
    script.Add({"buy the gem upgrade", [](CGame& g) { return ShopShown(g) && g.shop->items.freeStars == 1; },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Shop", 40 + kShopItemGemCount); }});
    script.Add({"gem upgrade bought", [](CGame& g) { return ShopShown(g) && g.shop->items.levels[kShopItemGemCount] == 1; },
                [](GameHarness&) {}, Shot("shop"), 20});
    Go("map of the museum", MapShown, "map_stage1");
}

void WholeQuest::WinLevel(int level)
{
    // A tip that may be up closes with the line.
    Go("level " + std::to_string(level), [level](CGame& g) { return Playing(g, level) && g.board->IsIdle(true); });
    Move([](GameHarness& g) { g.Game()->board->gemsToCollect = 0; });
    script.Play("won by a line", [](CGame& g) { return g.subState == kSubStateLevelComplete; }, "", 0);
}

// Level 2: its tips, then one of each bonus on its tokens, broken; the sand glass
// filled into a frenzy; the level won.
void WholeQuest::BonusesAndSandGlass()
{
    Go("level 2", [](CGame& g) { return Playing(g, 2); });
    script.Play("the tips of level 2",
                [](CGame& g) { return Settled(g, 2) && g.player->tipsSeen[CPlayerSettings::kTipBonus] != 0; });
    struct Placed
    {
        CRefPtr<CBonus> bonus;
        size_t column, row;
    };
    auto placed = std::make_shared<std::vector<Placed>>();
    script.Add({"bonuses on tokens", [](CGame& g) { return Settled(g, 2); },
                [this, placed](GameHarness& g) {
                    CPlayField& board = *g.Game()->board;
                    seen.gemsBefore = board.gemsToCollect;
                    const std::array<std::array<int, 4>, 6> cells{{{kBonusTNT, 1, 1, 1},
                                                                   {kBonusFlash, 6, 1, 1},
                                                                   {kBonusTime, 1, 4, 1},
                                                                   {kBonusAdviser, 6, 4, 1},
                                                                   {kBonusScore, 3, 5, 1},
                                                                   {kBonusSolidarity, 4, 2, 1}}};
                    for (const auto& c : cells)
                    {
                        const CRefPtr<CCap>& cap = board.cells[size_t(c[2])][size_t(c[1])];
                        if (cap->held)
                            continue;
                        CRefPtr<CBonus> b;
                        board.bonusManager->CreateBonus(b, c[0], c[3], 0, 1);
                        b->Place(cap->position[0] + board.origin[0], cap->position[1] + board.origin[1], board.origin[2],
                                 cap->radius, c[1], c[2]);
                        cap->SetHeld(b);
                        placed->push_back({b, size_t(c[1]), size_t(c[2])});
                    }
                    // A gem set on a token as the refill sets them.
                    const CRefPtr<CCap>& gemCap = board.cells[6][2];
                    if (!gemCap->held)
                    {
                        board.capList.SetMarked(gemCap, 1);
                        CRefPtr<CBonus> gem;
                        board.bonusManager->CreateGem(gem, gemCap->colour, 1);
                        gem->Place(gemCap->position[0] + board.origin[0], gemCap->position[1] + board.origin[1],
                                   gemCap->position[2] + board.origin[2], gemCap->radius, 2, 6);
                        gemCap->SetHeld(gem);
                        --board.gemsToPlace;
                    }
                    // The gems on the board go with them.
                    for (size_t r = 0; r < board.cells.size(); ++r)
                        for (size_t c = 0; c < board.cells[r].size(); ++c)
                        {
                            const CRefPtr<CCap>& cap = board.cells[r][c];
                            if (cap && cap->marked && cap->held && HeldBonus(cap->held)->kind == kBonusGem)
                                placed->push_back({HeldBonus(cap->held), c, r});
                        }
                },
                Shot("bonuses"), 25});
    script.Add({"tokens break", [](CGame& g) { return g.board->IsIdle(true); },
                [placed](GameHarness& g) {
                    CPlayField& board = *g.Game()->board;
                    for (const Placed& p : *placed)
                        if (board.cells[p.row][p.column])
                            board.RemoveSingleToken(board.cells[p.row][p.column], 0, CTerminator::kAddNormal, true);
                },
                Shot("bonuses_firing"), 12});
    script.Add({"bonuses gone off",
                [placed](CGame&) {
                    return std::all_of(placed->begin(), placed->end(), [](const Placed& p) { return p.bonus->finished != 0; });
                },
                [this, placed](GameHarness&) {
                    seen.bonusesFired = !placed->empty();
                    placed->clear();
                }});
    script.Play("sand piles up", [](CGame& g) { return g.board->sandbox->heap->mean > 0.02; });
    script.Add({"glass nearly full", [](CGame& g) { return Settled(g, 2); },
                [this](GameHarness& g) {
                    // The gems have reached the gem bar.
                    seen.gemsAfter = g.Game()->board->gemsToCollect;
                    g.Game()->board->sandbox->heap->AddSand(1.0, 20.0);
                }});
    script.Add({"frenzy", [](CGame& g) { return g.board->sandbox->heap->mode == CSandHeap::kPouring; },
                [this](GameHarness& g) {
                    seen.frenzy = g.Game()->board->counters.second.GetInt(kCounterOperations) >= 1;
                }, Shot("frenzy"), 5});
    // The frenzy's ten seconds go by in longer frames.
    Move([](GameHarness& g) { g.SetStep(40); });
    script.Wait("poured out", [](CGame& g) { return g.board->sandbox->heap->mode != CSandHeap::kPouring && Settled(g, 2); });
    Move([](GameHarness& g) { g.SetStep(20); });
    WinLevel(2);
    Go("level 2 won", [](CGame& g) { return g.subState == kSubStateLevelComplete && g.stateTimer > 1.0f; }, "level2_won");
}

// Level 3 lost to the clock: a life goes, the shop's autosave is taken up again and the
// level is played once more.
void WholeQuest::LifeLostAndReloaded()
{
    Go("level 3", [](CGame& g) { return Settled(g, 3); });
    script.Add({"time nearly up", [](CGame& g) { return Settled(g, 3); }, [this](GameHarness& g) {
                    seen.livesBefore = g.Game()->lives;
                    g.Game()->levelTimer = 1.0f;
                }});
    script.Add({"life lost", [](CGame& g) { return g.lossRunning != 0; },
                [this](GameHarness& g) { seen.livesAfter = g.Game()->lives; }, Shot("life_lost"), 20});
    script.Add({"life-lost panel",
                [](CGame& g) { return g.subState == kSubStateLifeLost && g.phase == 1 && QuestScript::FormShown(g, "MsgBox"); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "MsgBox", 200); }, Shot("life_lost_panel"), 0});
    script.Add({"the autosave taken up", [](CGame& g) { return ShopShown(g) && g.LevelNumber() == 2; },
                [this](GameHarness& g) {
                    seen.livesAfterReload = g.Game()->lives;
                    // Lives shown as icons are filled again, as any reload fills them.
                    const CLevelParams& params = g.Game()->levelParams;
                    seen.livesExpected = params.flagA ? params.flagB : seen.livesAfter;
                },
                Shot("autosave_shop"), 0});
    WinLevel(3);
}

// The red totem bought after level 3; on level 4 its tips call and unleash it, and the
// player calls and unleashes it again on the level's own board.
void WholeQuest::TotemBoughtChargedAndFired()
{
    Go("shop after level 3", [](CGame& g) { return ShopShown(g) && g.LevelNumber() == 3; });
    script.Add({"buy the red totem", [](CGame& g) { return ShopShown(g); },
                [](GameHarness& g) { QuestScript::ClickWidget(g, "Shop", 40 + 5); }});
    script.Add({"red totem bought", [this](CGame& g) {
                    seen.redTotemLevel = g.shop->items.levels[5];
                    return ShopShown(g) && seen.redTotemLevel >= 1 && g.shop->CountStars() == g.shop->items.freeStars;
                },
                [](GameHarness&) {}, Shot("totem_bought"), 20});
    Go("level 4", [](CGame& g) {
        const CRefPtr<CKMForm> tip = g.ui->Form("Tutorial");
        return Playing(g, 4) && g.board->IsIdle(true) && tip && tip->visible && tip->alpha >= 1.0f;
    }, "totem_tip");
    // The tips show the match that calls the totem and the one that unleashes it.
    const auto state = [](CGame& g) {
        const CRefPtr<CTotem>& t = g.board->totems.m_currentTotems[kTotemRed];
        return t ? t->m_state : TotemState::Idle;
    };
    script.Play("red called", [state](CGame& g) {
        const CRefPtr<CTotem>& t = g.board->totems.m_currentTotems[kTotemRed];
        return g.board->totems.m_selectedColour == kTotemRed && g.board->totems.m_ready && t &&
               t->m_mode == TotemMode::Centre && state(g) == TotemState::Idle && g.board->IsIdle(true);
    });
    script.Wait("red at the centre", [](CGame&) { return true; }, Shot("totem_called"));
    script.Play("red unleashed", [state](CGame& g) { return state(g) == TotemState::Active || state(g) == TotemState::ActiveFull; });
    // Its first missile has burst; the others burst over the next frames.
    script.Add({"red at work", [](CGame& g) {
                    const auto* red = static_cast<const CRedTotem*>(g.board->totems.m_currentTotems[kTotemRed].Get());
                    return red->m_missiles.size() < 4;
                },
                [this](GameHarness&) { seen.totemUnleashed = true; }, Shot("totem_unleashed"), 5});
    script.Play("the totem's tips done", [](CGame& g) { return Settled(g, 4); });
    WinLevel(4);
}

// From the statistics of a bonus level's level to the challenge's verdict: `play`
// returns true once the challenge is over.
void WholeQuest::Challenge(int level, const char* form, const std::string& name, std::function<bool(CGame&)> play,
                           int step)
{
    WinLevel(level);
    const std::string opener = form;
    Go(name + " opens", [opener](CGame& g) {
        return g.subState == kSubStateChallenge && g.phase == ChallengePhase::Play && QuestScript::FormShown(g, opener.c_str());
    });
    Move([step](GameHarness& g) { g.SetStep(DWORD(step)); });
    script.Wait(name + " played", play);
    script.Add({name + " verdict", [](CGame& g) { return g.phase == ChallengePhase::Won && g.stateTimer > 1.6f; },
                [this, level](GameHarness& g) {
                    g.SetStep(20);
                    seen.challengesWon.push_back(level);
                },
                Shot(name + "_won"), 0});
}

void WholeQuest::AccuracyChallenge()
{
    Challenge(5, "Arcade", "accuracy", QuestScript::CatchStars(h, script.Shot(Shot("accuracy"))));
}

// A player who remembers every plate: a plate not found yet, then its partner.
void WholeQuest::MemoryChallenge()
{
    const std::string running = Shot("memory");
    Challenge(11, "Memory", "memory", [this, running](CGame& g) {
        CMemoryChallenge* m = g.board->memoryChallenge.Get();
        if (g.phase >= ChallengePhase::Lost || !m)
            return true;
        // The second plate of a pair: the first stands open beside it in the picture.
        const bool secondPick = m->PlateAt(m->firstPick[0], m->firstPick[1]) != nullptr;
        if (QuestScript::ClickNextPlate(h, *m, nextClick) && m->round == 3 && secondPick)
            ShotOnce("memory", running, 6);
        return false;
    }, 40);
}

// Stops by Space while a token shows.
void WholeQuest::ReactionChallenge()
{
    const std::string running = Shot("reaction");
    Challenge(15, "Blinker", "reaction", [this, running](CGame& g) {
        CReactionChallenge* r = g.board->reactionChallenge.Get();
        if (g.phase >= ChallengePhase::Lost || !r)
            return true;
        if (h.Tick() < nextClick || !QuestScript::TokenShows(*r))
            return false;
        if (ShotOnce("reaction", running, 1))
            return false;
        nextClick = h.Tick() + 3;
        h.Key(VK_SPACE);
        return false;
    }, 40);
}

// Every try answered by a click on the plate that hides the token.
void WholeQuest::AttentionChallenge()
{
    const std::string running = Shot("attention");
    Challenge(19, "Thimbles", "attention", [this, running](CGame& g) {
        CAttentionChallenge* a = g.board->attentionChallenge.Get();
        if (g.phase >= ChallengePhase::Lost || !a)
            return true;
        if (h.Tick() < nextClick || a->state != CAttentionChallenge::kChoose || a->plates.size() < 3)
            return false;
        if (ShotOnce("attention", running, 1))
            return false;
        nextClick = h.Tick() + 3;
        const auto& plate = a->plates[size_t(CAttentionChallenge::kTokenPlate)];
        QuestScript::ClickGame(h, plate->x, plate->y);
        return false;
    }, 40);
}

// The first level of a stage: its map, then its scene behind the board a few moves in.
void WholeQuest::StageScene(int level, int stage)
{
    const std::string name = std::to_string(stage);
    Go("map of stage " + name, [level](CGame& g) { return MapShown(g) && g.LevelNumber() == level - 1; }, "map_stage" + name);
    Go("level " + std::to_string(level), [level](CGame& g) { return Playing(g, level) && g.board->IsIdle(true); });
    script.Add({"scene of stage " + name, [](CGame&) { return true; },
                [this](GameHarness& g) { seen.scenes.push_back(g.Game()->backgrounds->currentScene); }});
    int* moves = &script.moves;
    auto start = std::make_shared<int>(0);
    script.Add({"moves start", [](CGame&) { return true; }, [start, moves](GameHarness&) { *start = *moves; }});
    script.Play("a few moves on stage " + name, [start, moves, level](CGame& g) { return *moves >= *start + 2 && Settled(g, level); });
    script.Wait("scene looked at", [](CGame&) { return true; }, Shot("scene_stage" + name));
}

bool WholeQuest::LeaveQuest(CGame& g)
{
    if (g.state == kStateMenus)
        return true;
    const bool playing = g.state == kStatePlaying && g.subState == kSubStateNormalPlay && g.CanPause();
    if (!MapShown(g) && !QuestScript::FormShown(g, "GameMenu") && !playing)
    {
        // The screens after a won level lead to the map.
        guide.Until(g, [](CGame&) { return false; });
        return false;
    }
    if (h.Tick() < nextClick)
        return false;
    nextClick = h.Tick() + 10;
    if (MapShown(g))
        QuestScript::ClickWidget(h, "Map", 151);
    else if (QuestScript::FormShown(g, "GameMenu"))
        QuestScript::ClickWidget(h, "GameMenu", 30);
    else
        h.Key(VK_ESCAPE);
    return false;
}

void WholeQuest::SkipTo(int level)
{
    script.Wait("leave the quest to skip to " + std::to_string(level), [this](CGame& g) { return LeaveQuest(g); });
    script.Add({"the save moved on", [](CGame&) { return true; }, [level](GameHarness& g) {
                    const fs::path file = fs::path(g.GameUserFolder()) / "Players" / g.Game()->player->name / "Quest.sav";
                    CQuestSave record;
                    ASSERT_TRUE(record.Load(file.string().c_str()));
                    // The levels passed over score as a player would have scored on them.
                    const int32_t score = record.counters.second.GetInt(kCounterScore);
                    record.counters.second.SetInt(score + 40000 * (level - 1 - record.level), kCounterScore);
                    record.level = level - 1;
                    record.resumePoint = CQuestSave::kResumeShop;
                    ASSERT_TRUE(record.Save(file.string().c_str()));
                }});
}

void WholeQuest::LastLevelAndQuestEnd()
{
    WinLevel(41);
    Go("the quest's end", [](CGame& g) { return g.state == kStateQuestEnd && g.phase == QuestEndPhase::WinShown && g.stateTimer > 1.0f; },
       "quest_end");
    script.Add({"the win screen", [](CGame&) { return true; }, [this](GameHarness& g) {
                    seen.winShown = QuestScript::FormShown(*g.Game(), "Win");
                    QuestScript::ClickGame(g, 0.0f, 0.0f);
                }});
    Move([this](GameHarness&) { script.closeTrophies = false; });
    script.Add({"the trophies of the quest", [](CGame& g) {
                    return QuestScript::FormShown(g, "Trophies") && g.trophies->pending.empty();
                },
                [this](GameHarness& g) {
                    for (int32_t level : g.Game()->trophies->levels)
                        seen.trophies += level > 0 ? 1 : 0;
                },
                Shot("trophies"), 10});
    Move([](GameHarness& g) { QuestScript::ClickWidget(g, "Trophies", 260); });
    // Hard is unlocked, then the new high score is said and its table shown.
    script.Wait("boxes answered", [this](CGame& g) {
        if (g.state == kStateMenus && QuestScript::FormShown(g, "HighScores"))
            return true;
        if (QuestScript::FormShown(g, "MsgBox") && h.Tick() >= nextClick)
        {
            nextClick = h.Tick() + 10;
            QuestScript::ClickWidget(h, "MsgBox", 200);
        }
        return false;
    });
    script.Add({"high scores", [](CGame&) { return true; },
                [this](GameHarness& g) { seen.highlightRow = g.Game()->ui->highlightRow; }, Shot("high_scores"), 3});
    Move([](GameHarness& g) { QuestScript::ClickWidget(g, "HighScores", 250); });
    script.Wait("main menu at last", MainMenuShown, Shot("main_menu_after"));
}

}  // namespace whole_quest

using whole_quest::Seen;
using whole_quest::WholeQuest;

TEST(WholeQuest, OnePlayersQuestFromTheFirstProfileToTheHighScores)
{
    GameHarness h;
    h.SetStep(20);
    h.DrawEvery(16);
    QuestScript script(h);
    WholeQuest quest(h, script);
    script.trophyShot = "whole_trophy_awarded.png";
    quest.Profiles();
    quest.Options();
    quest.FirstLevel();
    quest.BonusesAndSandGlass();
    quest.LifeLostAndReloaded();
    quest.TotemBoughtChargedAndFired();
    quest.AccuracyChallenge();
    quest.StageScene(6, 2);
    quest.SkipTo(11);
    quest.MemoryChallenge();
    quest.StageScene(12, 3);
    quest.SkipTo(15);
    quest.ReactionChallenge();
    quest.SkipTo(19);
    quest.AttentionChallenge();
    quest.StageScene(20, 4);
    quest.SkipTo(30);
    quest.StageScene(30, 5);
    quest.SkipTo(41);
    quest.LastLevelAndQuestEnd();
    script.Add({"quit", [](CGame&) { return true; }, [](GameHarness& g) { g.Post(WM_CLOSE); }});
    EXPECT_EQ(0, script.Run(60000));
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
    const Seen& seen = quest.seen;
    EXPECT_EQ("Quill", seen.firstPlayer);
    EXPECT_EQ("Ivy Rook", seen.secondPlayer);
    EXPECT_EQ(2, seen.profiles);
    EXPECT_LT(seen.volumeAfter, seen.volumeBefore);
    EXPECT_TRUE(seen.bonusesFired);
    EXPECT_LT(seen.gemsAfter, seen.gemsBefore) << "the gems broken with the bonuses are collected";
    EXPECT_TRUE(seen.frenzy);
    EXPECT_EQ(seen.livesBefore - 1, seen.livesAfter);
    EXPECT_EQ(seen.livesExpected, seen.livesAfterReload);
    EXPECT_GE(seen.redTotemLevel, 1);
    EXPECT_TRUE(seen.totemUnleashed);
    EXPECT_EQ((std::vector<int>{5, 11, 15, 19}), seen.challengesWon);
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5}), seen.scenes);
    EXPECT_TRUE(seen.winShown);
    EXPECT_GE(seen.trophies, 1);
    EXPECT_GE(seen.highlightRow, 0) << "the quest's score is in the table";

    // The options of the second start are the ones changed: the lowered volume is kept.
    std::ifstream options(fs::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
    const std::string text((std::istreambuf_iterator<char>(options)), std::istreambuf_iterator<char>());
    const size_t at = text.find("SoundVolume=");
    ASSERT_NE(std::string::npos, at) << text;
    EXPECT_NEAR(seen.volumeAfter, std::stof(text.substr(at + 12)), 0.01f);
    EXPECT_NE(std::string::npos, text.find("Profile=Ivy Rook")) << text;
    EXPECT_EQ(std::string::npos, h.Log().find("Unable to find texture")) << h.Log();
}
