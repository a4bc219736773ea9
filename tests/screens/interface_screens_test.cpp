// What the interface does to its shipped screens over time and on its own: texts that
// fade with their forms, group fades and the blinking calls, the score label while
// plain levels are played, the map's pictures by stage, the profile rows as they
// scroll, a player that cannot be made, the newspaper and help pages, and the texts
// of the string table filled in without ever serving as printf formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "board/LevelParams.h"
#include "engine/StringTable.h"
#include "render/Texture.h"
#include "screens/Interface.h"
#include "hud/QuestLayout.h"
#include "tests/screens/interface_fixture.h"
#include "ui/KMCheckbox.h"
#include "ui/KMStatic.h"

namespace {

using namespace screens_test;
namespace fs = std::filesystem;

class InterfaceScreensTest : public ShippedInterfaceTest
{
protected:
    InterfaceScreensTest() : ShippedInterfaceTest("interface_screens_test.log") {}

    void SetUp() override
    {
        MakeShippedInterface("ui_" + TestName());
        if (IsSkipped())
            return;
        ASSERT_EQ(1, ui->Load(folders, layout, params));
    }

    // Players "P00", "P01" ... in the players folder, read again by the list.
    void MakePlayers(int count)
    {
        for (int i = 0; i < count; ++i)
            fs::create_directories(folders.players + Name(i));
        ui->profiles->Scan();
        ASSERT_EQ(size_t(count), ui->profiles->profiles.size());
    }

    static std::string Name(int i) { return std::string("P") + char('0' + i / 10) + char('0' + i % 10); }

    void Show(int form)
    {
        ui->FormAt(form)->SetVisible(1);
        ui->FormAt(form)->enabled = 1;
    }

    int Click(int form, int id)
    {
        CRefPtr<CKMWindow> w = ui->FormAt(form)->FindChild(id);
        EXPECT_TRUE(w) << "no widget " << id;
        ui->OnMouseDown(w->worldPosition.x, w->worldPosition.y);
        return ui->OnMouseUp(w->worldPosition.x, w->worldPosition.y);
    }

    std::vector<InterfaceEvent> Run(float seconds, float step = 0.05f)
    {
        std::vector<InterfaceEvent> all;
        for (float t = 0.0f; t < seconds - 1e-4f; t += step)
        {
            const int n = ui->Update(-2000.0f, -2000.0f, step);
            all.insert(all.end(), ui->events.begin(), ui->events.begin() + n);
        }
        return all;
    }

    static std::string Caption(const CRefPtr<CKMWindow>& w)
    {
        return w && !w->texts.empty() && w->texts[0] ? w->texts[0]->text : std::string("?");
    }

    static std::string String(int id)
    {
        char text[256];
        GetStringById(id, text, sizeof(text));
        return text;
    }
};

// The drawn alpha of a text's first character, 0..255.
int DrawnAlpha(const CText& text)
{
    return text.characters.empty() ? -1 : int(text.characters[0].colour >> 24);
}

TEST_F(InterfaceScreensTest, TextsFadeWithTheirForm)
{
    CRefPtr<CKMForm> options = ui->FormAt(kFormOptions);
    CRefPtr<CKMWindow> ok = options->FindChild(230);
    ASSERT_TRUE(ok && !ok->texts.empty());
    const CText& caption = *ok->texts[0];
    const int full = int(caption.colour >> 24);
    ui->FadeInForm(options, 2.0f);
    EXPECT_EQ(0, DrawnAlpha(caption));
    Run(0.25f);
    EXPECT_NEAR(full / 2, DrawnAlpha(caption), 2);
    Run(0.3f);
    EXPECT_EQ(full, DrawnAlpha(caption));
    // A text set while the form fades keeps the form's strength.
    ui->FadeOutForm(options, 2.0f);
    Run(0.25f);
    static_cast<CKMStatic*>(ok.Get())->SetString("Done");
    EXPECT_NEAR(full / 2, DrawnAlpha(caption), 2);
    Run(0.3f);
    EXPECT_FALSE(options->visible);
    EXPECT_EQ(full, DrawnAlpha(caption)); // ready for its next showing
}

TEST_F(InterfaceScreensTest, GroupFadesShowHideAndTurnWithoutEvents)
{
    const WidgetList& page = ui->Group(kFormNewspaper, 1).widgets;
    ASSERT_FALSE(page.empty());
    for (const CRefPtr<CKMWindow>& w : page)
        w->SetVisible(0);
    ui->FadeInGroup(page, 2.0f);
    for (const CRefPtr<CKMWindow>& w : page)
    {
        EXPECT_TRUE(w->visible);
        EXPECT_FLOAT_EQ(0.0f, w->alpha);
    }
    EXPECT_TRUE(Run(0.25f).empty());
    EXPECT_NEAR(0.5f, page.back()->alpha, 1e-4f);
    // Turned round half-way, the one record fades back from where it stands.
    ui->FadeOutGroup(page, 2.0f);
    ui->FadeInGroup(page, 2.0f);
    ui->FadeOutGroup(page, 2.0f);
    EXPECT_TRUE(Run(0.2f).empty());
    EXPECT_NEAR(0.1f, page[0]->alpha, 1e-4f);
    EXPECT_TRUE(Run(0.1f).empty());
    for (const CRefPtr<CKMWindow>& w : page)
    {
        EXPECT_FALSE(w->visible);
        EXPECT_FLOAT_EQ(1.0f, w->alpha);
    }
    // Fading in a group that already shows at full strength starts at 1 and ends at once.
    ui->FadeInGroup(page, 2.0f);
    Run(0.6f);
    ui->FadeInGroup(page, 2.0f);
    EXPECT_FLOAT_EQ(1.0f, page[0]->alpha);
    Run(0.05f);
    EXPECT_TRUE(page[0]->visible);
    EXPECT_FLOAT_EQ(1.0f, page[0]->alpha);
}

TEST_F(InterfaceScreensTest, ClickToGoOnBlinksOnlyOnAShownAndEnabledScreen)
{
    const WidgetList& blink = ui->List(kFormBackground, 0);
    ASSERT_FALSE(blink.empty());
    ui->HideListWidgets();
    // Hidden form: the timer does not run.
    Run(4.0f);
    EXPECT_FALSE(blink[0]->visible);
    Show(kFormBackground);
    Run(3.0f);
    EXPECT_FALSE(blink[0]->visible);
    Run(0.1f); // past 3 s: it fades in at one unit a second
    EXPECT_TRUE(blink[0]->visible);
    EXPECT_LT(blink[0]->alpha, 0.2f);
    Run(1.0f);
    EXPECT_FLOAT_EQ(1.0f, blink[0]->alpha);
    Run(2.2f); // three seconds after the last toggle it fades out again
    EXPECT_LT(blink[0]->alpha, 1.0f);
    Run(1.0f);
    EXPECT_FALSE(blink[0]->visible);

    // A disabled form (a dialog over it) freezes its blinking.
    ui->FormAt(kFormBackground)->enabled = 0;
    Run(4.0f);
    EXPECT_FALSE(blink[0]->visible);
}

// The command dispatch answers these ids: the first two life icons buy a shuffle
// with that life (12 + icon), and the tip's OK button closes the tip (220).
TEST_F(InterfaceScreensTest, ClickableWidgetsCarryTheIdsTheCommandsAnswer)
{
    const WidgetList& icons = ui->List(kFormQuest, 5);
    ASSERT_GE(icons.size(), 2u);
    EXPECT_EQ(12, icons[0]->id);
    EXPECT_EQ(13, icons[1]->id);
    EXPECT_TRUE(ui->FormAt(kFormQuest)->FindChild(10).IsValid());  // hint
    EXPECT_TRUE(ui->FormAt(kFormQuest)->FindChild(11).IsValid());  // menu

    CRefPtr<CKMWindow> ok = ui->FormAt(kFormTutorial)->FindChild(220);
    ASSERT_TRUE(ok.IsValid());
    EXPECT_TRUE(ok == ui->Widget(kFormTutorial, 105));
}

TEST_F(InterfaceScreensTest, PlainLevelsLeaveTheScoreLabelWhileTheCounterRuns)
{
    CRefPtr<CKMWindow> label = ui->Widget(kFormQuest, 6);
    ui->SetCounter(100, 0);
    EXPECT_EQ("100", Caption(label));
    ui->SetCounter(3000, 1);
    EXPECT_EQ("100", Caption(label)); // the count starts from what shows
    ui->questMode = 1;
    Run(2.0f);
    EXPECT_EQ(3000, ui->shownScore);
    EXPECT_EQ("100", Caption(label));
    // Nor does a new value reach label, counter or last value.
    ui->SetCounter(5, 0);
    EXPECT_EQ(3000, ui->lastCounter);
    EXPECT_EQ(3000, ui->shownScore);
    ui->questMode = 0;
    // Counting down lands exactly on the target.
    ui->SetCounter(1200, 1);
    Run(2.0f);
    EXPECT_EQ(1200, ui->shownScore);
    EXPECT_EQ("1200", Caption(label));
}

TEST_F(InterfaceScreensTest, MapPicturesHoldMemoryOnlyForTheirStage)
{
    const char* const names[] = {"MapDiff3", "MapDiff4_1", "MapDiff4_2", "MapDiff5_1", "MapDiff5_2"};
    struct Case
    {
        int stage;
        std::set<std::string> held;
    };
    const Case cases[] = {{4, {"MapDiff4_1", "MapDiff4_2"}},
                          {3, {"MapDiff3"}},
                          {5, {"MapDiff4_1", "MapDiff5_1", "MapDiff5_2"}},
                          {1, {}},
                          {9, {"MapDiff4_1", "MapDiff5_1", "MapDiff5_2"}},
                          {2, {}},
                          {0, {"MapDiff4_1", "MapDiff5_1", "MapDiff5_2"}},
                          {4, {"MapDiff4_1", "MapDiff4_2"}}};
    for (const char* name : names)
        EXPECT_EQ(nullptr, rec.device->GetTextureByName(name)->texture) << name << " after loading";
    for (const Case& c : cases)
    {
        ui->RecreateMapDiffTextures(c.stage);
        for (const char* name : names)
            EXPECT_EQ(c.held.count(name) == 1, rec.device->GetTextureByName(name)->texture != nullptr)
                << "stage " << c.stage << ": " << name;
    }
    // Stage 4 again keeps what it holds without building anything.
    const IDirect3DTexture8* held = rec.device->GetTextureByName("MapDiff4_1")->texture;
    ui->RecreateMapDiffTextures(4);
    EXPECT_EQ(held, rec.device->GetTextureByName("MapDiff4_1")->texture);
    EXPECT_EQ(std::string::npos, rec.Log().find("Error! Recreation"));

    // A picture whose file went missing is only logged, and the others still come.
    rec.device->GetTextureByName("MapDiff5_1")->fileName = root + "gone.png";
    ui->RecreateMapDiffTextures(1);
    ui->RecreateMapDiffTextures(5);
    EXPECT_NE(std::string::npos, rec.Log().find("Error! Recreation MapDiff5_1\n"));
    EXPECT_NE(nullptr, rec.device->GetTextureByName("MapDiff5_2")->texture);

    // The intro picture: released twice is fine; built back on demand.
    EXPECT_EQ(1, ui->RecreateIntroTexture(0));
    EXPECT_EQ(1, ui->RecreateIntroTexture(1));
    EXPECT_NE(nullptr, rec.device->GetTextureByName("Intro")->texture);
    EXPECT_EQ(1, ui->RecreateIntroTexture(0));
    EXPECT_EQ(nullptr, rec.device->GetTextureByName("Intro")->texture);
}

// The rows' texts, top to bottom, with "*" after the checked one and "-" for a row
// that takes no input.
std::vector<std::string> Rows(const CInterface& ui)
{
    std::vector<std::string> out;
    for (const CRefPtr<CKMWindow>& w : ui.List(kFormProfiles, 0))
    {
        const CKMCheckbox& row = static_cast<const CKMCheckbox&>(*w);
        std::string text = row.texts.empty() ? "?" : row.texts[0]->text;
        if (text == " ")
            text.clear(); // an empty text is stored as one blank
        out.push_back(text + (row.checked ? "*" : "") + (row.enabled ? "" : "-"));
    }
    return out;
}

TEST_F(InterfaceScreensTest, ProfileRowsScrollWithinTheListAndKeepTheChoiceInSight)
{
    const std::string add = String(26);
    // No player at all: the new-player row alone takes input (and, as index -1 is
    // the selection too, shows checked).
    ui->profileScroll = 2;
    ui->selectedProfile = 0;
    ui->RefreshProfileRows();
    EXPECT_EQ(-1, ui->profileScroll);
    EXPECT_EQ(-1, ui->selectedProfile);
    EXPECT_EQ((std::vector<std::string>{add + "*", "-", "-", "-", "-", "-"}), Rows(*ui));

    MakePlayers(10);
    Show(kFormProfiles);
    ui->profileScroll = -1;
    ui->selectedProfile = 1;
    ui->RefreshProfileRows();
    EXPECT_EQ((std::vector<std::string>{add, "P00", "P01*", "P02", "P03", "P04"}), Rows(*ui));
    Click(kFormProfiles, 183); // already at the top
    EXPECT_EQ(-1, ui->profileScroll);
    for (int i = 0; i < 8; ++i)
        Click(kFormProfiles, 184);
    EXPECT_EQ(4, ui->profileScroll); // 10 - 4 = 6 rows: the last player is in the last row
    EXPECT_EQ((std::vector<std::string>{"P04", "P05", "P06", "P07", "P08", "P09"}), Rows(*ui));

    // A choice out of sight below the rows is brought into the last row by OK.
    ui->profileScroll = 0;
    ui->selectedProfile = 8;
    ASSERT_EQ(1, Click(kFormProfiles, 180));
    EXPECT_EQ(180, ui->events[0].id);
    EXPECT_EQ(3, ui->profileScroll);
    EXPECT_EQ("P08*", Rows(*ui)[5]);
    EXPECT_EQ(String(25) + "P08", Caption(ui->Widget(kFormMainMenu, 1)));

    // The player of the main menu comes back with Back, and its row is in sight.
    Run(1.0f);
    Show(kFormMainMenu);
    ui->selectedProfile = 9;
    EXPECT_EQ(0, Click(kFormMainMenu, 6));
    Run(1.0f);
    ui->selectedProfile = 2;
    ui->profileScroll = 0;
    ASSERT_EQ(1, Click(kFormProfiles, 181));
    EXPECT_EQ(181, ui->events[0].id);
    EXPECT_EQ(9, ui->selectedProfile);
    EXPECT_EQ(4, ui->profileScroll);

    // A selection past a shorter list is pulled back to its last player.
    for (int i = 4; i < 10; ++i)
        ui->profiles->Remove(Name(i));
    ui->RefreshProfileRows();
    EXPECT_EQ(3, ui->selectedProfile);
    EXPECT_EQ(3, ui->profileScroll);
    EXPECT_EQ((std::vector<std::string>{"P03*", "-", "-", "-", "-", "-"}), Rows(*ui));
}

TEST_F(InterfaceScreensTest, WithoutAChosenPlayerPlayAndDeleteDoNothing)
{
    MakePlayers(3);
    Run(0.05f);
    Show(kFormProfiles);
    ui->profileScroll = -1;
    ui->selectedProfile = -1;
    ui->RefreshProfileRows();
    EXPECT_EQ(0, Click(kFormProfiles, 180));
    EXPECT_EQ(0, Click(kFormProfiles, 182));
    EXPECT_FALSE(ui->FormAt(kFormMsgBox)->visible);
    EXPECT_TRUE(ui->FormAt(kFormProfiles)->enabled);
    EXPECT_TRUE(Run(1.0f).empty()); // nothing faded
    EXPECT_EQ(3u, ui->profiles->profiles.size());
    // A row chosen, the same buttons work.
    Click(kFormProfiles, kIdProfileRowFirst + 2);
    EXPECT_EQ(1, ui->selectedProfile);
    // A second click on the chosen row leaves it chosen and checked.
    Click(kFormProfiles, kIdProfileRowFirst + 2);
    EXPECT_EQ(1, ui->selectedProfile);
    EXPECT_EQ((std::vector<std::string>{String(26), "P00", "P01*", "P02", "-", "-"}), Rows(*ui));
    EXPECT_EQ(0, Click(kFormProfiles, 182));
    EXPECT_EQ(1, ui->messageCode);
    EXPECT_EQ("Delete the player P01?", Caption(ui->Widget(kFormMsgBox, 2)));
}

TEST_F(InterfaceScreensTest, DeletingTakesOnlyTheChosenPlayersFolder)
{
    MakePlayers(3);
    std::ofstream(folders.players + "P01/Settings.ini") << "[Main]\n";
    std::ofstream(root + "Keep.txt") << "beside the players folder";
    Show(kFormProfiles);
    ui->selectedProfile = 1;
    Click(kFormProfiles, 182);
    Run(0.5f);
    EXPECT_EQ(0, Click(kFormMsgBox, 202));
    EXPECT_FALSE(fs::exists(folders.players + "P01"));
    EXPECT_TRUE(fs::exists(folders.players + "P00"));
    EXPECT_TRUE(fs::exists(folders.players + "P02"));
    EXPECT_TRUE(fs::exists(root + "Keep.txt"));
    EXPECT_EQ(0, ui->selectedProfile);
    EXPECT_EQ(-1, ui->profileScroll);
    EXPECT_TRUE(ui->FormAt(kFormProfiles)->enabled);
}

TEST_F(InterfaceScreensTest, APlayerThatCannotBeMadeKeepsTheDialogOpen)
{
    MakePlayers(2);
    // A file where the folder would go: the folder cannot be made.
    std::ofstream(folders.players + "Zed") << "not a folder";
    for (bool clicked : {false, true})
    {
        Run(1.0f);
        Show(kFormNewProfile);
        ui->FormAt(kFormMainMenu)->SetVisible(0);
        ui->FormAt(kFormProfiles)->SetVisible(0);
        ui->SetProfileText("Zed", 0);
        ui->selectedProfile = 1;
        const int result = clicked ? Click(kFormNewProfile, 195) : ui->OnKeyDown(0x0D);
        EXPECT_EQ(0, result) << clicked;
        if (clicked)
        {
            EXPECT_TRUE(ui->events.empty());
        }
        EXPECT_TRUE(ui->FormAt(kFormNewProfile)->visible) << clicked;
        EXPECT_FALSE(ui->FormAt(kFormMainMenu)->visible) << clicked;
        EXPECT_EQ(1, ui->selectedProfile) << clicked;
        EXPECT_EQ(2u, ui->profiles->profiles.size());
    }
    EXPECT_NE(std::string::npos, rec.Log().find("Error! Unable to create Profile!Zed\n"));

    // Another name goes through.
    ui->SetProfileText("Amy", 0);
    EXPECT_EQ(kKeyProfileCreated, ui->OnKeyDown(0x0D));
    EXPECT_EQ(0, ui->selectedProfile);
}

TEST_F(InterfaceScreensTest, NameEntryKeepsOneLineOfAtMostTwelveAllowedCharacters)
{
    Show(kFormNewProfile);
    CRefPtr<CKMWindow> label = ui->Widget(kFormNewProfile, 1);
    ui->SetProfileText("", 1);
    EXPECT_EQ(String(27), Caption(ui->Widget(kFormNewProfile, 3)));
    for (char c : std::string("a.b/c\\d:e\t*"))
        ui->OnNameChar(c);
    EXPECT_EQ("abcde", ui->profileText); // no path or control characters
    EXPECT_EQ("abcde|", Caption(label));
    ui->OnNameChar(char(184));
    ui->OnNameChar(char(255));
    ui->OnNameChar('_');
    ui->OnNameChar('-');
    ui->OnNameChar(' ');
    EXPECT_EQ(10u, ui->profileText.size());
    ui->OnNameChar('1');
    ui->OnNameChar('2');
    ui->OnNameChar('3');
    EXPECT_EQ(12u, ui->profileText.size());
    EXPECT_EQ('2', ui->profileText.back());
    // The left arrow takes back one character too; backspace on an empty name is nothing.
    ui->OnKeyDown(0x25);
    EXPECT_EQ(11u, ui->profileText.size());
    for (int i = 0; i < 14; ++i)
        ui->OnNameChar(8);
    EXPECT_EQ("", ui->profileText);
    EXPECT_EQ("|", Caption(label));
    // While the form fades in it takes no typing.
    ui->FormAt(kFormNewProfile)->enabled = 0;
    ui->OnNameChar('x');
    EXPECT_EQ(0, ui->OnKeyDown(0x0D));
    EXPECT_EQ("", ui->profileText);
    // The first player's entry has no way back: OK moves to the middle, and back.
    CRefPtr<CKMWindow> ok = ui->FormAt(kFormNewProfile)->FindChild(195);
    CRefPtr<CKMWindow> back = ui->Widget(kFormNewProfile, 2);
    const float okX = ok->localPosition.x;
    ui->SetProfileText("", 0);
    EXPECT_NEAR((okX + back->localPosition.x) / 2, ok->localPosition.x, 1.0f);
    ui->SetProfileText("", 1);
    EXPECT_FLOAT_EQ(okX, ok->localPosition.x);
    // Escape goes back only when the players screen opened the entry.
    ui->FormAt(kFormNewProfile)->enabled = 1;
    ui->SetProfileText("x", 0);
    ui->OnKeyDown(0x1B);
    EXPECT_FALSE(ui->FormAt(kFormProfiles)->visible);
    ui->SetProfileText("x", 1);
    ui->OnKeyDown(0x1B);
    EXPECT_TRUE(ui->FormAt(kFormProfiles)->visible);
}

TEST_F(InterfaceScreensTest, PagesSwapTheirPictureOnlyWhenItChanges)
{
    CRefPtr<CTexture> paper = rec.device->GetTextureByName("Newspaper5");
    ASSERT_TRUE(paper);
    EXPECT_TRUE(ui->ShowNewspaperPage(3));
    EXPECT_EQ(folders.graphics + "Newspaper4.jpg", paper->fileName);
    for (int g = 0; g < 4; ++g)
        EXPECT_EQ(g == 3, ui->Group(kFormNewspaper, g).widgets[0]->visible) << g;
    const IDirect3DTexture8* built = paper->texture;
    ASSERT_NE(nullptr, built);
    EXPECT_TRUE(ui->ShowNewspaperPage(3));
    EXPECT_EQ(built, paper->texture); // nothing reloaded
    EXPECT_TRUE(ui->ShowFinalNewspaper());
    EXPECT_EQ(folders.graphics + "Newspaper5.jpg", paper->fileName);
    // A page whose picture is missing still switches its texts, and says so.
    EXPECT_FALSE(ui->ShowNewspaperPage(7));
    EXPECT_NE(std::string::npos, rec.Log().find("Error switching newspaper texture\n"));
    for (int g = 0; g < 4; ++g)
        EXPECT_FALSE(ui->Group(kFormNewspaper, g).widgets[0]->visible) << g;

    // Help: pages 1 and 2; any other number shows the second picture and no text.
    CRefPtr<CTexture> help = rec.device->GetTextureByName("HelpPage");
    CRefPtr<CKMWindow> previous = ui->FormAt(kFormHelp)->FindChild(271);
    CRefPtr<CKMWindow> next = ui->FormAt(kFormHelp)->FindChild(272);
    ui->ShowHelpPage(1);
    EXPECT_EQ(folders.graphics + "HelpPage1.jpg", help->fileName);
    EXPECT_TRUE(next->visible);
    EXPECT_FALSE(previous->visible); // no page before the first
    ui->ShowHelpPage(2);
    EXPECT_FALSE(next->visible);
    EXPECT_TRUE(previous->visible);
    for (int page : {0, 5})
    {
        ui->ShowHelpPage(page);
        EXPECT_EQ(folders.graphics + "HelpPage2.jpg", help->fileName) << page;
        EXPECT_EQ(page, ui->helpPage);
        for (size_t g = 0; g < ui->Block(kFormHelp).groups.size(); ++g)
            for (const CRefPtr<CKMWindow>& w : ui->Group(kFormHelp, int(g)).widgets)
                EXPECT_FALSE(w->visible) << page << " group " << g;
    }
}

TEST_F(InterfaceScreensTest, TheClickHerePointerBobsOverItsPoint)
{
    Show(kFormTutorial);
    ui->HideAllGroups();
    ui->ShowGroup(4);
    ui->PlaceClickHere(120.0f, -40.0f);
    CRefPtr<CKMWindow> pointer = ui->Group(kFormTutorial, 4).widgets[0];
    const float x = pointer->localPosition.x, y = pointer->localPosition.y;
    float low = y, high = y;
    for (int frame = 0; frame < 100; ++frame)
    {
        ui->Update(-2000.0f, -2000.0f, 0.02f);
        EXPECT_FLOAT_EQ(x, pointer->localPosition.x);
        low = std::min(low, pointer->localPosition.y);
        high = std::max(high, pointer->localPosition.y);
    }
    // Up and down by the layout's amplitude around the point it was given.
    EXPECT_NEAR(y - layout.clickHereA, low, 0.5f);
    EXPECT_NEAR(y + layout.clickHereA, high, 0.5f);
    // Hidden, it stays where it is.
    ui->HideAllGroups();
    const float rest = pointer->localPosition.y;
    Run(0.5f);
    EXPECT_FLOAT_EQ(rest, pointer->localPosition.y);
}

TEST(FillTextTest, OnlyTheExpectedDirectivesTakeValues)
{
    struct Case
    {
        const char* format;
        std::string expected;
    };
    const Case numbers[] = {
        {"Level %d-%d", "Level 3-7"},
        {"Round %d/%d", "Round 3/7"},
        {"100%% done %d", "100% done 3"},
        {"%s and %n and %x", "%s and %n and %x"}, // no text to give, nothing written
        {"%d %d %d", "3 7 %d"},                   // a third directive has no value
        {"%08d|%.300f|%*d", "%08d|%.300f|%*d"},
        {"trailing %", "trailing %"},
        {"", ""},
    };
    for (const Case& c : numbers)
        EXPECT_EQ(c.expected, CInterface::FillText(c.format, {3, 7})) << c.format;
    EXPECT_EQ("Delete the player %d 50%%?", CInterface::FillText("Delete the player %d %s%?", {"50%"}));
    EXPECT_EQ("Bob: %s", CInterface::FillText("%s: %s", {"Bob"}));
    EXPECT_EQ("", CInterface::FillText(nullptr, {1}));
}

} // namespace
