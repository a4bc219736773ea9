// The whole program run offscreen through the harness: start-up from the shipped game
// folder to the menus, the log of a clean run, one instance only, input ignored while
// the splash shows, and the message a start-up failure ends with.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "GameHarness.h"
#include "platform/d3d8/backend.h"
#include "game/Game.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "bonuses/BonusManager.h"
#include "hud/GemsBuffer.h"
#include "saves/Profiles.h"
#include "screens/Interface.h"
#include "ui/KMStatic.h"
#include "render/Device.h"
#include "render/Font.h"
#include "screens/Interface.h"

namespace fs = std::filesystem;

namespace {

// A copy of the build's game folder made of links, without some files and with others
// replaced, for the failure cases.
std::string MirrorGameFolder(const std::string& name, const std::set<std::string>& without,
                             const std::map<std::string, std::string>& replaced = {})
{
    const fs::path source(ORB_GAME_DIR);
    const fs::path target = fs::path(::testing::TempDir()) / name;
    fs::remove_all(target);
    for (const auto& entry : fs::recursive_directory_iterator(source))
    {
        const fs::path relative = fs::relative(entry.path(), source);
        if (entry.is_directory())
            fs::create_directories(target / relative);
        else if (!without.count(relative.generic_string()) && !replaced.count(relative.generic_string()))
            fs::create_symlink(entry.path(), target / relative);
    }
    for (const auto& file : replaced)
    {
        std::ofstream out(target / file.first, std::ios::binary);
        out << file.second;
    }
    return target.string();
}

// Each text must follow the one before it in the log.
void ExpectInOrder(const std::string& log, const std::vector<std::string>& texts)
{
    size_t at = 0;
    for (const std::string& text : texts)
    {
        size_t found = log.find(text, at);
        ASSERT_NE(std::string::npos, found) << "\"" << text << "\" missing (or out of order) in:\n" << log;
        at = found + text.size();
    }
}

// True once the menus have been up for some frames (a second of 50 ms frames by default,
// when their forms have faded in).
bool InMenus(GameHarness& h, int frames = 20)
{
    static std::map<const GameHarness*, int> since;
    if (!h.Game() || h.Game()->state != kStateMenus)
    {
        since.erase(&h);
        return false;
    }
    int& first = since[&h];
    if (!first)
        first = h.Tick();
    return h.Tick() - first >= frames;
}

TEST(Program, StartsThroughSplashAndLoadingToTheMenusAndShutsDownInOrder)
{
    GameHarness h;
    h.SetStep(50);
    int splashTicks = 0;
    int startupTick = 0;
    h.At(2, [&](GameHarness& g) { splashTicks += g.Game()->splashRunning; });
    h.SaveFrameAt(40, "program_splash.png");
    h.SaveFrameWhen([](CGame& g) { return !g.splashRunning && g.state == kStateNone && g.loadingImage; },
                    "program_loading.png");
    h.SaveFrameWhen([](CGame& g) { return g.state == kStateStartup; }, "program_startup.png");
    h.SaveFrameWhen([](CGame& g) { return g.state == kStateStartup && g.phase >= 11; }, "program_logos.png");
    h.SaveFrameWhen([&](CGame&) { return InMenus(h, 15); }, "program_menus.png");
    bool loadingGone = false;
    h.CloseWhen([&](GameHarness& g) {
        if (!startupTick && g.Game()->state == kStateStartup)
            startupTick = g.Tick();
        if (!InMenus(g))
            return false;
        // The start-up sequence hands the loading picture back to the device.
        loadingGone = g.Game()->device->FindTexture("Loading") < 0 && !g.Game()->loadingImage;
        return true;
    });
    const int code = h.Run(2000);
    EXPECT_EQ(0, code);
    EXPECT_LT(h.Tick(), 1000); // closed by the script, not by the limit
    EXPECT_EQ(1, splashTicks);
    EXPECT_GT(startupTick, 70); // the splash picture takes four seconds
    EXPECT_TRUE(loadingGone);
    ExpectInOrder(h.Log(), {"Begin log", "Ver.1.09", "Creating Direct3D object...", "Ok", "Creating Renderer...",
                            "Ok", "Creating game...", "Ok", "PreInit stuf...", "Ok", "Init stuf...", "Ok",
                            "Destroying stuf...", "Stuf destroyed", "Deletting Game Object...",
                            "Game object deleted", "End of log"});
    EXPECT_EQ(std::string::npos, h.Log().find("Unable"));
}

// Init's loading runs while the splash picture stands still: the held picture looks the
// same before and after most of the loading, no loading screen shows through, and the
// menu music and the gamma wait for the splash's end.
TEST(Program, InitLoadsUnderTheHeldSplashPictureWithoutShowingIt)
{
    GameHarness h;
    h.SetStep(20);
    int stepsUnderSplash = 0;
    bool musicUnderSplash = false;
    bool gammaUnderSplash = false;
    bool eightTenthsSeen = false, shopByEightTenths = false;
    // Looks at every frame presented and saves none.
    h.SaveFrameWhen([&](CGame& g) {
        // The loading screen's 0.8 comes after the shop and the star and life-lost effects.
        if (!eightTenthsSeen && g.loadingProgress >= 0.8f)
        {
            eightTenthsSeen = true;
            shopByEightTenths = g.shop && g.starEffect && g.lossEffect;
        }
        if (g.splashRunning)
        {
            stepsUnderSplash = g.loadingStep;
            musicUnderSplash = musicUnderSplash || g.music;
            gammaUnderSplash = gammaUnderSplash || g.gammaSaved;
        }
        return false;
    }, "never.png");
    const auto held = [](CGame& g) { return g.splashRunning && g.splashPhase == 1; };
    const std::string before = fs::absolute(fs::path(::testing::TempDir()) / "held_before_loading.png").string();
    const std::string after = fs::absolute(fs::path(::testing::TempDir()) / "held_after_loading.png").string();
    h.SaveFrameWhen([&](CGame& g) { return held(g) && g.loadingStep == 0; }, before);
    h.SaveFrameWhen([&](CGame& g) { return held(g) && g.ui && g.board; }, after);
    h.CloseWhen([](GameHarness& g) { return g.Game()->state == kStateMenus; });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_GE(stepsUnderSplash, 10); // the board and more
    EXPECT_FALSE(musicUnderSplash);
    EXPECT_FALSE(gammaUnderSplash);
    EXPECT_TRUE(eightTenthsSeen);
    EXPECT_TRUE(shopByEightTenths);
    ASSERT_EQ(1u, h.frames.count(before));
    ASSERT_EQ(1u, h.frames.count(after));
    EXPECT_TRUE(h.frames[before].pixels == h.frames[after].pixels);
    EXPECT_EQ(std::string::npos, h.Log().find("Unable"));
}

// With long frames the splash's holds end in the middle of the first run's sound
// conversion: the conversion finishes before Init's line, each message on a line of its own.
TEST(Program, SoundConversionLeftBySplashKeepsItsOwnLogLines)
{
    GameHarness h;
    h.SetStep(100);
    bool convertingAtSplashEnd = false;
    h.SaveFrameWhen([&](CGame& g) {
        if (g.splashRunning)
            convertingAtSplashEnd = g.soundConversion != nullptr;
        return false;
    }, "never.png");
    h.CloseWhen([](GameHarness& g) { return g.Game()->state == kStateMenus; });
    EXPECT_EQ(0, h.Run(1000));
    const std::string log = h.Log();
    ExpectInOrder(log, {"PreInit stuf...", " Firs time sound convertion...\n", " Done\n", " Init stuf... Ok\n"});
    EXPECT_TRUE(convertingAtSplashEnd);
}

bool FormShown(GameHarness& h, const char* name)
{
    CRefPtr<CKMForm> form = h.Game()->ui->Form(name);
    return form && form->visible;
}

TEST(Program, FirstStartOpensTheNewProfileDialog)
{
    GameHarness h(MirrorGameFolder("mirror_first", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    bool newProfile = false, mainMenu = true;
    h.CloseWhen([&](GameHarness& g) {
        if (!InMenus(g))
            return false;
        newProfile = FormShown(g, "NewProfile");
        mainMenu = FormShown(g, "MainMenu");
        EXPECT_EQ(1, g.Game()->noProfile);
        EXPECT_FALSE(g.Game()->player);
        return true;
    });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_TRUE(newProfile);
    EXPECT_FALSE(mainMenu);
}

TEST(Program, NameTypedInTheNewProfileDialogBecomesThePlayer)
{
    GameHarness h(MirrorGameFolder("mirror_typed", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    bool typed = false;
    int typedAt = 0;
    std::string player;
    h.SaveFrameWhen([&](CGame&) { return typed && h.Tick() - typedAt >= 9; }, "program_main_menu.png");
    h.CloseWhen([&](GameHarness& g) {
        if (!typed)
        {
            if (!InMenus(g))
                return false;
            for (int i = 0; i < 12; ++i)
                g.Post(WM_CHAR, 8); // clear the suggested name
            for (char c : std::string("Quill"))
                g.Post(WM_CHAR, static_cast<WPARAM>(c));
            g.Key(VK_RETURN);
            typed = true;
            typedAt = g.Tick();
            return false;
        }
        if (g.Tick() - typedAt < 10)
            return false;
        player = g.Game()->player ? g.Game()->player->name : "";
        return true;
    });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_EQ("Quill", player);
    EXPECT_TRUE(fs::is_directory(fs::path(h.GameUserFolder()) / "Players" / "Quill"));
    std::ifstream options(fs::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
    std::stringstream text;
    text << options.rdbuf();
    EXPECT_NE(std::string::npos, text.str().find("Profile=Quill"));
}

TEST(Program, KnownPlayerGoesToTheMainMenuAndAnUnknownNameFallsBackToTheFirst)
{
    GameHarness h(MirrorGameFolder("mirror_known", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    const fs::path players = fs::path(h.GameUserFolder()) / "Players";
    fs::create_directories(players / "Ada");
    fs::create_directories(fs::path(h.GameUserFolder()) / "Data" / "Config");
    {
        std::ofstream options(fs::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
        options << "[Game]\nProfile=Nobody\n";
    }
    std::string player;
    bool mainMenu = false;
    h.CloseWhen([&](GameHarness& g) {
        if (!InMenus(g))
            return false;
        mainMenu = FormShown(g, "MainMenu");
        if (g.Game()->player)
            player = g.Game()->player->name;
        return true;
    });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_TRUE(mainMenu);
    EXPECT_EQ("Ada", player);
    std::ifstream options(fs::path(h.GameUserFolder()) / "Data" / "Config" / "Options.ini");
    std::stringstream text;
    text << options.rdbuf();
    EXPECT_NE(std::string::npos, text.str().find("Profile=Ada"));
}

TEST(Program, PolledCursorMapsToGameUnitsAndShowsTheWindowBoxNearTheTop)
{
    GameHarness h(MirrorGameFolder("mirror_mouse", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    int stage = 0;
    float corner[2] = {0, 0}, centre[2] = {1, 1};
    bool boxNearTop = false, boxLower = true;
    h.CloseWhen([&](GameHarness& g) {
        if (!InMenus(g))
            return false;
        CGame& game = *g.Game();
        switch (stage++)
        {
        case 0:
            g.MoveMouse(0, 0);
            return false;
        case 1:
            corner[0] = game.mouseX;
            corner[1] = game.mouseY;
            boxNearTop = FormShown(g, "WinBox"); // 27 units from the top edge
            g.MoveMouse(320, 240);
            return false;
        case 2:
            centre[0] = game.mouseX;
            centre[1] = game.mouseY;
            g.MoveMouse(320, 20); // 352 units up: below the strip
            return false;
        default:
            boxLower = FormShown(g, "WinBox");
            return true;
        }
    });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_FLOAT_EQ(-512.0f, corner[0]);
    EXPECT_FLOAT_EQ(384.0f, corner[1]);
    EXPECT_TRUE(boxNearTop);
    EXPECT_FLOAT_EQ(0.0f, centre[0]);
    EXPECT_FLOAT_EQ(0.0f, centre[1]);
    EXPECT_FALSE(boxLower);
}

TEST(Program, QuestEndShowsTheWinScreenThenAnnouncesHardAfterNormal)
{
    GameHarness h(MirrorGameFolder("mirror_questend", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    int stage = 0;
    int clickTick = 0;
    bool winShown = false, boxShown = false, menuShown = true;
    int endState = 0, endSubState = 0;
    std::string boxTexts[2];
    h.CloseWhen([&](GameHarness& g) {
        CGame& game = *g.Game();
        switch (stage)
        {
        case 0:
            if (!InMenus(g))
                return false;
            game.state = kStateQuestEnd; // as the last level's end starts it
            game.phase = 0;
            ++stage;
            return false;
        case 1:
            if (game.phase != 3)
                return false;
            winShown = FormShown(g, "Win");
            game.phase = 4; // the player's click on the closing screen
            clickTick = g.Tick();
            ++stage;
            return false;
        default:
            if (game.state != kStateMenus || g.Tick() - clickTick < 30)
                return false;
            endState = game.state;
            endSubState = game.subState;
            boxShown = FormShown(g, "MsgBox");
            menuShown = FormShown(g, "MainMenu");
            for (int number : {1, 2})
            {
                CRefPtr<CKMWindow> w = game.ui->Widget(kFormMsgBox, number);
                auto* label = w ? dynamic_cast<CKMStatic*>(w.Get()) : nullptr;
                CRefPtr<CText> text = label ? label->MainText() : CRefPtr<CText>();
                boxTexts[number - 1] = text ? text->text : std::string("?");
            }
            return true;
        }
    });
    EXPECT_EQ(0, h.Run(1500));
    EXPECT_TRUE(winShown);
    EXPECT_EQ(kStateMenus, endState);
    EXPECT_EQ(kSubStateNormalPlay, endSubState);
    EXPECT_TRUE(boxShown); // Normal was played: Hard is announced before the menu
    EXPECT_FALSE(menuShown);
    EXPECT_EQ(std::string::npos, boxTexts[0].find("Hard")) << "the announcement is the text, not the caption";
    EXPECT_NE(std::string::npos, boxTexts[1].find("Hard")) << boxTexts[1];
}

TEST(Program, LevelIntroStepsThroughItsTimedPhasesIntoPlay)
{
    GameHarness h(MirrorGameFolder("mirror_intro", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    int started = 0, phase1 = 0, phase2 = 0, playing = 0;
    bool questShown = false, levelTitleShown = false;
    h.CloseWhen([&](GameHarness& g) {
        CGame& game = *g.Game();
        if (!started)
        {
            if (!InMenus(g))
                return false;
            game.state = kStateLevelIntro; // as a level start leaves it once the intro pages are read
            game.phase = 0;
            game.stateTimer = 0.0f;
            started = g.Tick();
            return false;
        }
        if (!phase1 && game.phase == 1)
        {
            phase1 = g.Tick();
            questShown = FormShown(g, "Quest");
            levelTitleShown = FormShown(g, "NewLevel");
        }
        if (!phase2 && game.phase == 2)
            phase2 = g.Tick();
        if (!playing && game.state == kStatePlaying)
            playing = g.Tick();
        return playing != 0;
    });
    EXPECT_EQ(0, h.Run(1500));
    EXPECT_TRUE(questShown);
    EXPECT_TRUE(levelTitleShown);
    // One second of title, one second shown, half a second to fade: 50 ms frames.
    EXPECT_NEAR(20, phase1 - started, 1);
    EXPECT_NEAR(20, phase2 - phase1, 1);
    EXPECT_NEAR(10, playing - phase2, 1);
}

TEST(Program, InitReadsTheUsersOptionsAndScrollsTheProfileListToThePlayer)
{
    GameHarness h(MirrorGameFolder("mirror_eight", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    const fs::path config = fs::path(h.GameUserFolder()) / "Data" / "Config";
    fs::create_directories(config);
    for (int i = 1; i <= 8; ++i)
        fs::create_directories(fs::path(h.GameUserFolder()) / "Players" / ("P" + std::to_string(i)));
    {
        // The shipped file says Effects=1.0; the user's copy wins.
        std::ofstream options(config / "Options.ini");
        options << "[Graphics]\nEffects=0.5\n[Game]\nProfile=p7\n";
    }
    std::string player;
    int selected = -1, scroll = -1;
    float effects = 0.0f;
    h.CloseWhen([&](GameHarness& g) {
        if (!InMenus(g))
            return false;
        CGame& game = *g.Game();
        player = game.player ? game.player->name : "";
        selected = game.ui->selectedProfile;
        scroll = game.ui->profileScroll;
        effects = game.graphicsOptions.effects;
        return true;
    });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_EQ("P7", player);
    EXPECT_EQ(6, selected);
    EXPECT_EQ(1, scroll);
    EXPECT_FLOAT_EQ(0.5f, effects);
}

// Start-up hands the board what it plays with: the sound bank reaches the token list
// and the terminators, the gem bar gets its flares, the score popups the multiplier
// pictures, and the short terminator sounds follow the player's option.
TEST(Program, InitHandsTheBoardItsSoundsPicturesAndTerminatorOption)
{
    GameHarness h(MirrorGameFolder("mirror_wiring", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    const fs::path config = fs::path(h.GameUserFolder()) / "Data" / "Config";
    fs::create_directories(config);
    {
        std::ofstream options(config / "Options.ini");
        options << "[Game]\nFastExpTerm=0\n";
    }
    bool checked = false;
    h.CloseWhen([&](GameHarness& g) {
        if (!InMenus(g))
            return false;
        CGame& game = *g.Game();
        CPlayField& board = *game.board;
        EXPECT_TRUE(board.soundBank.IsValid());
        EXPECT_TRUE(board.capList.soundBank == board.soundBank);
        EXPECT_TRUE(board.terminatorManager->soundBank == board.soundBank);
        EXPECT_TRUE(board.gemsBuffer->flareTexture.IsValid());
        EXPECT_TRUE(board.bonusManager->gemFlaresTexture == board.gemsBuffer->flareTexture);
        EXPECT_TRUE(board.popups.multiplierTexture.IsValid());
        EXPECT_TRUE(board.bonusManager->bonus3Texture == board.popups.multiplierTexture);
        EXPECT_EQ(0, board.altSounds);
        checked = true;
        return true;
    });
    EXPECT_EQ(0, h.Run(1000));
    EXPECT_TRUE(checked);
}

TEST(Program, WithoutAnAudioDeviceTheGameStartsSilent)
{
    GameHarness h(MirrorGameFolder("mirror_silent", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    bool menus = false;
    h.CloseWhen([&](GameHarness& g) { return menus = InMenus(g); });
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    const int code = h.Run(1000);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(0, code);
    EXPECT_TRUE(menus);
    const std::string log = h.Log();
    const std::string noDevice = "No sound device could be opened: the game plays without sound\n";
    const size_t said = log.find(noDevice);
    EXPECT_NE(std::string::npos, said);
    EXPECT_EQ(std::string::npos, log.find(noDevice, said + 1)) << "said once";
    EXPECT_EQ(std::string::npos, log.find("Error loading Sfx!\n"));
    EXPECT_EQ(std::string::npos, log.find("Sounds Loading Error!\n"));
}

// A first level started by hand, the way the level start will: the board fills and
// runs under the quest screen. Saved as a picture to look at.
TEST(Program, FirstLevelPlaysOnTheBoard)
{
    GameHarness h(MirrorGameFolder("mirror_level", {"fsdata/splash2.jpg"}));
    h.SetStep(50);
    int started = 0;
    int loaded = 0;
    h.SaveFrameWhen([&](CGame& g) { return g.state == kStatePlaying && h.Tick() - started > 70; },
                    "program_level.png");
    h.CloseWhen([&](GameHarness& g) {
        CGame& game = *g.Game();
        if (!started)
        {
            if (!InMenus(g))
                return false;
            game.ui->FadeOutForm(game.ui->Form("NewProfile"), 4.0f);
            game.levelParams.Set(0, 1);
            game.board->Reset(0);
            game.board->SetupLevelRules(1);
            loaded = game.board->LoadLevel("l1.lvl");
            game.state = kStateLevelIntro;
            game.phase = 0;
            game.stateTimer = 0.0f;
            started = g.Tick();
            return false;
        }
        return g.Tick() - started > 75;
    });
    EXPECT_EQ(0, h.Run(1500));
    EXPECT_NE(0, loaded);
}

// The second copy says so on standard error and asks the running one, which brings its
// window to the front.
TEST(Program, SecondInstanceSaysTheGameRunsAndEndsAtOnceWithZero)
{
    GameHarness h;
    int second = -1;
    std::string said;
    h.At(3, [&](GameHarness&) {
        char commandLine[] = "";
        ::testing::internal::CaptureStderr();
        second = WinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
        said = ::testing::internal::GetCapturedStderr();
    });
    h.CloseAt(5);
    EXPECT_EQ(0, h.Run());
    EXPECT_EQ(0, second);
    EXPECT_NE(std::string::npos, said.find("already running")) << said;
    EXPECT_NE(std::string::npos, said.find("comes to the front")) << said;
    EXPECT_NE(std::string::npos, h.Log().find("Another copy asked for the window")) << h.Log();
}

TEST(Program, KeysAreIgnoredWhileTheSplashShowsAndF5ShowsTheFps)
{
    GameHarness h;
    h.SetStep(50);
    int shownDuringSplash = -1;
    int shownAfter = -1;
    h.At(5, [](GameHarness& g) { g.Key(VK_F5); });
    h.At(7, [&](GameHarness& g) { shownDuringSplash = g.Game()->fpsShown; });
    bool pressed = false;
    h.CloseWhen([&](GameHarness& g) {
        if (!InMenus(g))
            return false;
        if (!pressed)
        {
            g.Key(VK_F5);
            pressed = true;
            return false;
        }
        shownAfter = g.Game()->fpsShown;
        return true;
    });
    EXPECT_EQ(0, h.Run(2000));
    EXPECT_EQ(0, shownDuringSplash);
    EXPECT_EQ(1, shownAfter);
}

TEST(Program, EscapeOnTheMainMenuClosesButNotInTheNewProfileDialog)
{
    struct Case
    {
        const char* name;
        bool knownPlayer;
        bool closes;
    };
    for (const Case c : {Case{"mirror_escape_menu", true, true}, Case{"mirror_escape_dialog", false, false}})
    {
        SCOPED_TRACE(c.name);
        GameHarness h(MirrorGameFolder(c.name, {"fsdata/splash2.jpg"}));
        h.SetStep(50);
        if (c.knownPlayer)
            fs::create_directories(fs::path(h.GameUserFolder()) / "Players" / "Ada");
        int pressedAt = 0;
        h.CloseWhen([&](GameHarness& g) {
            if (!pressedAt && InMenus(g))
            {
                g.Key(VK_ESCAPE);
                pressedAt = g.Tick();
            }
            return pressedAt && g.Tick() - pressedAt > 40; // the script's own close
        });
        EXPECT_EQ(0, h.Run(1500));
        ASSERT_NE(0, pressedAt);
        if (c.closes)
            EXPECT_LE(h.Tick(), pressedAt + 2);
        else
            EXPECT_GT(h.Tick(), pressedAt + 40);
    }
}

struct FailureCase
{
    const char* name;
    std::set<std::string> without;
    std::map<std::string, std::string> replaced;
    const char* message;
    const char* logged = nullptr; // the log line, when it is not the message itself
};

// The test list and a failure name the case by what is missing and what it shows.
void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name << ": \"" << c.message << "\"";
}

class StartFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(StartFailure, ShowsItsMessageAndEndsWithFour)
{
    const FailureCase& c = GetParam();
    GameHarness h(MirrorGameFolder(std::string("mirror_") + c.name, c.without, c.replaced));
    h.SetStep(100);
    ::testing::internal::CaptureStderr();
    const int code = h.Run(500);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(4, code);
    EXPECT_NE(std::string::npos, errors.find(std::string("Error!: ") + c.message)) << errors;
    EXPECT_NE(std::string::npos, h.Log().find(c.logged ? c.logged : c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Init, StartFailure,
    ::testing::Values(FailureCase{"loading", {"Data/Gfx/Loading.jpg"}, {}, "Unable to load Loading.jpg Texture"},
                      FailureCase{"flare", {"Data/Gfx/Flare.jpg"}, {}, "Unable to load Flare Texture"},
                      FailureCase{"cursor", {"Data/Gfx/Cursor.tga"}, {}, "Unable to Load Cursor.tga"},
                      FailureCase{"gembar", {"Data/Gfx/BarGems.bmp"}, {}, "Error loading BarGems.bmp", " Error!\n"},
                      FailureCase{"font", {"Data/Fonts/Font.kfd"}, {}, "Unable to load Font.kfd"},
                      FailureCase{"gems", {}, {{"Data/Gfx/AllGems.png", "not a picture"}}, "Unable to load AllGems Texture"},
                      FailureCase{"fewfonts",
                                  {},
                                  {{"Data/Fonts/AdditionalFonts.lst", "FontSmall\n"}},
                                  "Unable to load the additional fonts"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// The display's gamma ramp: saved once Init reaches it, set from the Gamma option, and put
// back on the way out, whichever way that is; a run that fails before saving it never
// touches it. Run on the recording backend, which lists every device call.
TEST(Program, GammaIsPutBackOnEveryWayOut)
{
    const struct
    {
        const char* name;
        std::set<std::string> without;
        int code;
        int gets, sets;
    } cases[] = {
        {"gamma_closed", {"fsdata/splash2.jpg"}, 0, 1, 2},
        {"gamma_cursor", {"fsdata/splash2.jpg", "Data/Gfx/Cursor.tga"}, 4, 1, 2},
        {"gamma_cursor_after_splash", {"Data/Gfx/Cursor.tga"}, 4, 1, 2},
        {"gamma_loading", {"Data/Gfx/Loading.jpg"}, 4, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        GameHarness h(MirrorGameFolder(std::string("mirror_") + c.name, c.without));
        h.SetStep(100);
        h.CloseWhen([](GameHarness& g) { return g.Game()->state == kStateMenus; });
        std::shared_ptr<platform::D3DRecorder> recorder = platform::UseRecordingBackend();
        ::testing::internal::CaptureStderr();
        const int code = h.Run(300);
        ::testing::internal::GetCapturedStderr();
        platform::UseGLBackend();
        EXPECT_EQ(c.code, code);
        EXPECT_EQ(c.gets, recorder->Count("GetGammaRamp"));
        EXPECT_EQ(c.sets, recorder->Count("SetGammaRamp"));
        if (c.sets > 0)
        {
            // The last word on the ramp comes after the last frame.
            size_t lastSet = 0, lastPresent = 0;
            for (size_t i = 0; i < recorder->calls.size(); ++i)
            {
                if (recorder->calls[i].rfind("SetGammaRamp", 0) == 0)
                    lastSet = i;
                if (recorder->calls[i].rfind("Present", 0) == 0)
                    lastPresent = i;
            }
            EXPECT_GT(lastSet, lastPresent);
        }
    }
}

// Not a check: how long the shipped data set takes from the program's start to the
// first frame of the start-up sequence, with the real clock and without the splash
// picture's four seconds: the first start (which converts the sounds) and the next.
TEST(Program, MeasuresTheTimeToTheFirstStartupFrame)
{
    GameHarness h(MirrorGameFolder("mirror_nosplash", {"fsdata/splash2.jpg"}));
    using Clock = std::chrono::steady_clock;
    Clock::time_point start;
    double firstFrameMs = 0.0;
    h.CloseWhen([&](GameHarness& g) {
        if (g.Game()->state == kStateStartup && firstFrameMs == 0.0)
            firstFrameMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        return firstFrameMs > 0.0;
    });
    const char* const runs[] = {"first start", "next start"};
    for (const char* run : runs)
    {
        firstFrameMs = 0.0;
        start = Clock::now();
        EXPECT_EQ(0, h.Run(100));
        std::cout << "[ startup  ] " << run << ": start to the first start-up frame " << firstFrameMs << " ms\n";
        RecordProperty(std::string(run) == "first start" ? "FirstStartMs" : "NextStartMs",
                       static_cast<int>(firstFrameMs));
        EXPECT_GT(firstFrameMs, 0.0);
    }
}

}  // namespace

namespace {

// Last in the file: it leaves the video driver unusable for the rest of the process.
TEST(ProgramWithoutGraphics, ShowsTheLibraryMessageWithTheBuiltInTitleAndEndsWith100)
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        GTEST_SKIP() << "an earlier run in this process keeps the graphics library loaded";
    GameHarness h(MirrorGameFolder("mirror_title", {}, {{"appname.txt", "Another Title\n"}}));
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::testing::internal::CaptureStderr();
    const int code = h.Run(10);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(100, code);
    EXPECT_NE(std::string::npos, errors.find("The Orblight of Quillacor: No X11 or Wayland display with OpenGL was "
                                             "detected!\nYou need a graphical desktop with OpenGL to play The "
                                             "Orblight of Quillacor!"))
        << errors;
    // Nothing on this platform to download from a vendor's site.
    EXPECT_EQ(std::string::npos, errors.find("DirectX")) << errors;
    EXPECT_EQ(std::string::npos, errors.find("http")) << errors;
    EXPECT_EQ(std::string::npos, errors.find("Another Title"));
}

}  // namespace
