// The menus played through the real program, offscreen with a fixed frame time, as a
// player would: a new player made on the profiles screen by typing a name, chosen and
// confirmed, a volume changed in the options, the high scores, both help pages and
// back to the main menu. A picture of each step is written to the test's working
// folder.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "GameHarness.h"
#include "game/Game.h"
#include "saves/Profiles.h"
#include "screens/Interface.h"
#include "ui/KMCheckbox.h"
#include "ui/KMScroller.h"

namespace fs = std::filesystem;

namespace {

// The harness window is 640 x 480: game units map onto it at 0.625.
void ClickAt(GameHarness& h, float x, float y)
{
    h.Click(int(std::lround(320.0f + x * 0.625f)), int(std::lround(240.0f - y * 0.625f)));
}

CRefPtr<CKMWindow> Find(CGame& game, const char* form, int id)
{
    CRefPtr<CKMForm> f = game.ui ? game.ui->Form(form) : CRefPtr<CKMForm>();
    return f ? f->FindChild(id) : CRefPtr<CKMWindow>();
}

bool Shown(CGame& game, const char* form)
{
    CRefPtr<CKMForm> f = game.ui ? game.ui->Form(form) : CRefPtr<CKMForm>();
    return f && f->visible && f->enabled && f->alpha >= 0.99f;
}

void ClickWidget(GameHarness& h, const char* form, int id, float dx = 0.0f)
{
    CRefPtr<CKMWindow> w = Find(*h.Game(), form, id);
    ASSERT_TRUE(w) << form << " has no widget " << id;
    ClickAt(h, w->worldPosition.x + dx, w->worldPosition.y);
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Steps that each wait for the game, act, and have a picture taken a few frames later.
class MenuScript
{
public:
    struct Step
    {
        std::string name;
        std::function<bool(CGame&)> ready;
        std::function<void(GameHarness&)> act;
        std::string picture;
    };

    explicit MenuScript(GameHarness& h) : harness(h), folder(fs::current_path())
    {
        harness.CloseWhen([this](GameHarness& g) { return Tick(g); });
    }

    void Add(Step step) { steps.push_back(std::move(step)); }
    std::string Stuck() const { return next < steps.size() ? steps[next].name : std::string(); }
    std::vector<std::string> pictures;

private:
    bool Tick(GameHarness& h)
    {
        CGame* game = h.Game();
        if (!game || h.Tick() < waitUntil)
            return false;
        if (acting)
        {
            // The picture of the screen the step found is taken: now the player acts.
            acting = false;
            if (steps[next].act)
                steps[next].act(h);
            ++next;
            waitUntil = h.Tick() + 3;
            return false;
        }
        if (next >= steps.size())
            return true;
        Step& step = steps[next];
        if (!step.ready(*game))
            return false;
        if (!step.picture.empty())
        {
            const std::string path = (folder / step.picture).string();
            h.SaveFrameAt(h.Tick() + 1, path);
            pictures.push_back(path);
        }
        acting = true;
        waitUntil = h.Tick() + 2;
        return false;
    }

    GameHarness& harness;
    fs::path folder;
    std::vector<Step> steps;
    size_t next = 0;
    bool acting = false;
    int waitUntil = 0;
};

int SelectedIndex(CGame& g)
{
    return g.ui && g.ui->profiles ? g.ui->selectedProfile : -1;
}

int IndexOf(CGame& g, const char* name)
{
    return g.ui && g.ui->profiles ? g.ui->profiles->Find(name) : -1;
}

} // namespace

TEST(MenuRun, NewPlayerOptionsHighScoresAndHelpFromTheMainMenu)
{
    GameHarness h;
    h.SetStep(20);
    const fs::path user(h.GameUserFolder());
    fs::create_directories(user / "Players" / "Ann");
    fs::create_directories(user / "Data" / "Config");
    std::ofstream(user / "Data" / "Config" / "Options.ini") << "[Game]\nProfile=Ann\n";

    const fs::path shots = fs::current_path();
    float volumeBefore = -1.0f, volumeAfter = -1.0f;
    std::string greeting;
    MenuScript script(h);
    script.Add({"main menu as Ann",
                [](CGame& g) {
                    return g.state == kStateMenus && Shown(g, "MainMenu") && g.player && g.player->name == "Ann";
                },
                [](GameHarness& g) { ClickWidget(g, "MainMenu", 6); }, "menu_01_main_ann.png"});
    script.Add({"profiles, new-player row on top", [](CGame& g) { return Shown(g, "Profiles"); },
                [](GameHarness& g) { ClickWidget(g, "Profiles", kIdProfileRowFirst); }, "menu_02_profiles.png"});
    script.Add({"type a name", [](CGame& g) { return Shown(g, "NewProfile"); },
                [](GameHarness& g) {
                    for (int i = 0; i < 12; ++i)
                        g.Post(WM_CHAR, 8);
                    for (char c : std::string("Ivy Rook"))
                        g.Post(WM_CHAR, WPARAM(static_cast<unsigned char>(c)));
                },
                "menu_03_new_profile.png"});
    script.Add({"confirm the name", [](CGame& g) { return g.ui->profileText == "Ivy Rook"; },
                [](GameHarness& g) { ClickWidget(g, "NewProfile", 195); }, "menu_04_name_typed.png"});
    script.Add({"choose the new player",
                [](CGame& g) { return Shown(g, "Profiles") && IndexOf(g, "Ivy Rook") >= 0; },
                [](GameHarness& g) {
                    CGame& game = *g.Game();
                    const int row = IndexOf(game, "Ivy Rook") - game.ui->profileScroll;
                    ClickWidget(g, "Profiles", kIdProfileRowFirst + row);
                },
                "menu_05_profiles_with_ivy.png"});
    script.Add({"confirm the player", [](CGame& g) { return SelectedIndex(g) == IndexOf(g, "Ivy Rook"); },
                [](GameHarness& g) { ClickWidget(g, "Profiles", 180); }, "menu_06_ivy_chosen.png"});
    script.Add({"main menu as Ivy",
                [&](CGame& g) {
                    if (!(Shown(g, "MainMenu") && g.player && g.player->name == "Ivy Rook"))
                        return false;
                    CRefPtr<CKMWindow> label = g.ui->Widget(kFormMainMenu, 1);
                    greeting = label && !label->texts.empty() ? label->texts[0]->text : "";
                    return true;
                },
                [&](GameHarness& g) {
                    ClickWidget(g, "MainMenu", 3);
                    // Half-way through the cross-fade, texts and pictures fade together.
                    g.SaveFrameAt(g.Tick() + 12, (shots / "menu_07b_to_options.png").string());
                },
                "menu_07_main_ivy.png"});
    script.Add({"options: lower the sound",
                [&](CGame& g) {
                    if (!Shown(g, "Options"))
                        return false;
                    volumeBefore = static_cast<CKMScroller*>(g.ui->Widget(kFormOptions, 1).Get())->value;
                    return true;
                },
                [](GameHarness& g) {
                    CRefPtr<CKMWindow> sound = Find(*g.Game(), "Options", kIdSoundVolume);
                    ClickWidget(g, "Options", kIdSoundVolume, -sound->size.w * 0.3f);
                },
                "menu_08_options.png"});
    script.Add({"options: close",
                [&](CGame& g) {
                    volumeAfter = static_cast<CKMScroller*>(g.ui->Widget(kFormOptions, 1).Get())->value;
                    return std::fabs(volumeAfter - volumeBefore) > 0.1f;
                },
                [](GameHarness& g) { ClickWidget(g, "Options", 230); }, "menu_09_options_lowered.png"});
    script.Add({"high scores", [](CGame& g) { return Shown(g, "MainMenu"); },
                [](GameHarness& g) { ClickWidget(g, "MainMenu", 5); }, ""});
    script.Add({"high scores: close", [](CGame& g) { return Shown(g, "HighScores"); },
                [](GameHarness& g) { ClickWidget(g, "HighScores", 250); }, "menu_10_high_scores.png"});
    script.Add({"help", [](CGame& g) { return Shown(g, "MainMenu"); },
                [](GameHarness& g) { ClickWidget(g, "MainMenu", 4); }, ""});
    script.Add({"help: next page", [](CGame& g) { return Shown(g, "Help") && g.ui->helpPage == 1; },
                [](GameHarness& g) { ClickWidget(g, "Help", 272); }, "menu_11_help_1.png"});
    script.Add({"help: back to the menu", [](CGame& g) { return Shown(g, "Help") && g.ui->helpPage == 2; },
                [](GameHarness& g) { ClickWidget(g, "Help", 270); }, "menu_12_help_2.png"});
    script.Add({"main menu again", [](CGame& g) { return Shown(g, "MainMenu") && !Shown(g, "Help"); }, nullptr,
                "menu_13_main_again.png"});

    EXPECT_EQ(0, h.Run(3000));
    EXPECT_EQ("", script.Stuck());
    for (const std::string& picture : script.pictures)
        EXPECT_TRUE(fs::exists(picture)) << picture;

    // The new player's folder exists, the options name it and keep the lowered volume.
    EXPECT_TRUE(fs::is_directory(user / "Players" / "Ivy Rook"));
    EXPECT_NE(std::string::npos, greeting.find("Ivy Rook")) << greeting;
    EXPECT_LT(volumeAfter, volumeBefore);
    const std::string options = ReadFile(user / "Data" / "Config" / "Options.ini");
    EXPECT_NE(std::string::npos, options.find("Profile=Ivy Rook")) << options;
    const size_t at = options.find("SoundVolume=");
    ASSERT_NE(std::string::npos, at) << options;
    EXPECT_NEAR(volumeAfter, std::stof(options.substr(at + 12)), 0.01f);
}

TEST(MenuRun, DeletingTheOnlyPlayerLeadsToTheFirstPlayerScreen)
{
    GameHarness h;
    h.SetStep(20);
    const fs::path user(h.GameUserFolder());
    fs::create_directories(user / "Players" / "Ann");
    fs::create_directories(user / "Data" / "Config");
    std::ofstream(user / "Data" / "Config" / "Options.ini") << "[Game]\nProfile=Ann\n";

    MenuScript script(h);
    script.Add({"main menu as Ann",
                [](CGame& g) { return g.state == kStateMenus && Shown(g, "MainMenu") && g.player; },
                [](GameHarness& g) { ClickWidget(g, "MainMenu", 6); }, ""});
    script.Add({"delete Ann", [](CGame& g) { return Shown(g, "Profiles") && SelectedIndex(g) == 0; },
                [](GameHarness& g) { ClickWidget(g, "Profiles", 182); }, ""});
    script.Add({"are you sure", [](CGame& g) { return Shown(g, "MsgBox"); },
                [](GameHarness& g) { ClickWidget(g, "MsgBox", 202); }, "menu_20_delete_asked.png"});
    script.Add({"first player: type a name",
                [](CGame& g) { return Shown(g, "NewProfile") && g.ui->profiles->profiles.empty(); },
                [](GameHarness& g) {
                    for (int i = 0; i < 12; ++i)
                        g.Post(WM_CHAR, 8);
                    for (char c : std::string("Bo"))
                        g.Post(WM_CHAR, WPARAM(c));
                },
                "menu_21_first_player.png"});
    script.Add({"first player: Enter", [](CGame& g) { return g.ui->profileText == "Bo"; },
                [](GameHarness& g) { g.Key(VK_RETURN); }, ""});
    script.Add({"main menu as Bo",
                [](CGame& g) { return Shown(g, "MainMenu") && g.player && g.player->name == "Bo"; }, nullptr,
                "menu_22_main_bo.png"});

    EXPECT_EQ(0, h.Run(3000));
    EXPECT_EQ("", script.Stuck());
    EXPECT_FALSE(fs::exists(user / "Players" / "Ann"));
    EXPECT_TRUE(fs::is_directory(user / "Players" / "Bo"));
}
