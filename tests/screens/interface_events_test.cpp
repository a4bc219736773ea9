// The interface's input: presses, releases and moves reach the widgets through the
// forms manager and come back as event records by widget id; what the interface
// does itself (profile rows, message-box answers, help, fades) and the links it
// lets out to the shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "board/LevelParams.h"
#include "engine/StringTable.h"
#include "saves/HighScores.h"
#include "screens/Interface.h"
#include "hud/QuestLayout.h"
#include "tests/screens/interface_fixture.h"
#include "ui/KMCheckbox.h"
#include "ui/KMScroller.h"

namespace {

using namespace screens_test;
namespace fs = std::filesystem;

}  // namespace

class InterfaceEventsTest : public ShippedInterfaceTest
{
protected:
    void SetUp() override
    {
        MakeShippedInterface(TestName());
        if (IsSkipped())
            return;
        for (const char* name : {"Ann", "Bob", "Cid", "Dee", "Eve", "Fay", "Gus"})
            fs::create_directories(folders.players + name);
        ASSERT_EQ(1, ui->Load(folders, layout, params));
    }

    void Show(int form)
    {
        ui->FormAt(form)->SetVisible(1);
        ui->FormAt(form)->enabled = 1;
    }

    // The centre of the widget of window id `id` in a form.
    CRefPtr<CKMWindow> Child(int form, int id) { return ui->FormAt(form)->FindChild(id); }

    int Click(int form, int id)
    {
        CRefPtr<CKMWindow> w = Child(form, id);
        EXPECT_TRUE(w) << "no widget " << id;
        ui->OnMouseDown(w->worldPosition.x, w->worldPosition.y);
        return ui->OnMouseUp(w->worldPosition.x, w->worldPosition.y);
    }

    int Press(int form, int id, float dx = 0.0f)
    {
        CRefPtr<CKMWindow> w = Child(form, id);
        EXPECT_TRUE(w) << "no widget " << id;
        return ui->OnMouseDown(w->worldPosition.x + dx, w->worldPosition.y);
    }

    // Runs the frames of `seconds` at 0.05 s and collects their records.
    std::vector<InterfaceEvent> Run(float seconds)
    {
        std::vector<InterfaceEvent> all;
        for (float t = 0.0f; t < seconds - 1e-4f; t += 0.05f)
        {
            const int n = ui->Update(-1000.0f, -1000.0f, 0.05f);
            all.insert(all.end(), ui->events.begin(), ui->events.begin() + n);
        }
        return all;
    }
};

namespace {

TEST_F(InterfaceEventsTest, GameCommandsComeBackByWidgetId)
{
    Show(kFormMainMenu);
    for (int id : {1, 2, 3})
    {
        EXPECT_EQ(0, Press(kFormMainMenu, id)) << id;
        ASSERT_EQ(1, Click(kFormMainMenu, id)) << id;
        EXPECT_EQ(kUiEventClick, ui->events[0].kind);
        EXPECT_EQ(id, ui->events[0].id);
    }
    // The pause button reports its press and its click.
    Show(kFormQuest);
    ASSERT_EQ(1, Press(kFormQuest, 11));
    EXPECT_EQ(kUiEventPress, ui->events[0].kind);
    EXPECT_EQ(11, ui->events[0].id);
    // A release elsewhere drops the press's records and clicks nothing.
    EXPECT_EQ(0, ui->OnMouseUp(-2000.0f, -2000.0f));
    EXPECT_TRUE(ui->events.empty());
}

TEST_F(InterfaceEventsTest, MenuButtonsTheInterfaceRunsItselfSwitchForms)
{
    Show(kFormMainMenu);
    EXPECT_EQ(0, Click(kFormMainMenu, 4));
    EXPECT_TRUE(ui->FormAt(kFormHelp)->visible);
    EXPECT_FALSE(ui->FormAt(kFormHelp)->enabled); // no input while it fades in
    EXPECT_EQ(1, ui->helpPage);
    const std::vector<InterfaceEvent> events = Run(0.3f);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(kUiEventFadedOut, events[0].kind);
    EXPECT_EQ(CRefPtr<CKMWindow>(ui->FormAt(kFormMainMenu)), events[0].window);
    EXPECT_EQ(kUiEventFadedIn, events[1].kind);
    EXPECT_EQ(CRefPtr<CKMWindow>(ui->FormAt(kFormHelp)), events[1].window);
    EXPECT_FALSE(ui->FormAt(kFormMainMenu)->visible);
    EXPECT_FLOAT_EQ(1.0f, ui->FormAt(kFormMainMenu)->alpha);
    EXPECT_TRUE(ui->FormAt(kFormHelp)->enabled);

    // The next page of help, and back to the menu.
    EXPECT_EQ(0, Click(kFormHelp, 272));
    EXPECT_EQ(2, ui->helpPage);
    EXPECT_TRUE(ui->Group(kFormHelp, 1).widgets[0]->visible);
    EXPECT_FALSE(ui->Group(kFormHelp, 0).widgets[0]->visible);
    EXPECT_EQ(0, Click(kFormHelp, 270));
    EXPECT_TRUE(ui->FormAt(kFormMainMenu)->visible);
}

TEST_F(InterfaceEventsTest, AFadeInAtRateTwoTakesHalfASecondAndReportsOnce)
{
    CRefPtr<CKMForm> map = ui->FormAt(kFormMap);
    ui->FadeInForm(map, 2.0f);
    EXPECT_TRUE(map->visible);
    EXPECT_FLOAT_EQ(0.0f, map->alpha);
    std::vector<InterfaceEvent> events = Run(0.45f);
    EXPECT_TRUE(events.empty());
    EXPECT_NEAR(0.9f, map->alpha, 1e-4f);
    events = Run(0.5f);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(kUiEventFadedIn, events[0].kind);
    EXPECT_EQ(0, events[0].id);
    EXPECT_FLOAT_EQ(1.0f, map->alpha);
    // A fade-out turned round half-way reaches 0 from where it stood.
    ui->FadeOutForm(map, 4.0f);
    Run(0.1f);
    ui->FadeInForm(map, 4.0f);
    events = Run(0.1f);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(kUiEventFadedIn, events[0].kind);
    // Fading out a hidden form does nothing.
    ui->FadeOutForm(ui->FormAt(kFormHelp), 2.0f);
    EXPECT_TRUE(Run(1.0f).empty());
}

TEST_F(InterfaceEventsTest, ProfileRowsSelectRelativeToTheTopRow)
{
    ASSERT_EQ(7u, ui->profiles->profiles.size());
    Show(kFormProfiles);
    ui->profileScroll = 3;
    ui->RefreshProfileRows();
    EXPECT_EQ(0, Press(kFormProfiles, 187));
    EXPECT_EQ(5, ui->selectedProfile);
    const WidgetList& rows = ui->List(kFormProfiles, 0);
    for (size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(r == 2 ? 1 : 0, static_cast<CKMCheckbox*>(rows[r].Get())->checked) << r;
    // Rows past the list are empty and take no input.
    EXPECT_FALSE(rows[4]->enabled);
    EXPECT_FALSE(rows[5]->enabled);

    // With the new-player row on top, its press opens the name entry.
    ui->profileScroll = -1;
    ui->RefreshProfileRows();
    EXPECT_EQ(0, Press(kFormProfiles, 185));
    EXPECT_EQ(5, ui->selectedProfile);
    EXPECT_TRUE(ui->FormAt(kFormNewProfile)->visible);
    EXPECT_TRUE(ui->Widget(kFormNewProfile, 2)->visible);
    EXPECT_FALSE(ui->Widget(kFormNewProfile, 5)->visible);

    // The scroll arrows stop at the ends of the list.
    Run(1.0f);
    ui->FormAt(kFormNewProfile)->SetVisible(0);
    Show(kFormProfiles);
    Click(kFormProfiles, 183);
    EXPECT_EQ(-1, ui->profileScroll);
    for (int i = 0; i < 5; ++i)
        Click(kFormProfiles, 184);
    EXPECT_EQ(1, ui->profileScroll);
}

TEST_F(InterfaceEventsTest, VolumeScrollersReportTheirThumbOnPressAndDrag)
{
    Show(kFormOptions);
    ui->SetOptionScrollers(0.5f, 0.5f);
    CRefPtr<CKMWindow> sound = Child(kFormOptions, kIdSoundVolume);
    const float right = sound->size.w * 0.3f;
    ASSERT_EQ(1, Press(kFormOptions, kIdSoundVolume, right));
    EXPECT_EQ(kUiEventValueChanged, ui->events[0].kind);
    EXPECT_EQ(kIdSoundVolume, ui->events[0].id);
    const float pressed = ui->events[0].value;
    EXPECT_GT(pressed, 0.6f);
    EXPECT_FLOAT_EQ(static_cast<CKMScroller*>(sound.Get())->value, pressed);
    // Dragging left while held reports again from the frame's update.
    const int n = ui->Update(sound->worldPosition.x - right, sound->worldPosition.y, 0.05f);
    ASSERT_GE(n, 1);
    EXPECT_EQ(kIdSoundVolume, ui->events[size_t(n) - 1].id);
    EXPECT_LT(ui->events[size_t(n) - 1].value, pressed);
    ui->OnMouseUp(sound->worldPosition.x - right, sound->worldPosition.y);
}

TEST_F(InterfaceEventsTest, MessageBoxAnswersDependOnTheQuestionAsked)
{
    Show(kFormMsgBox);
    ui->SetMessageBox("", "Start a new quest?", 2, 2);
    EXPECT_TRUE(ui->List(kFormMsgBox, 2)[0]->visible);
    EXPECT_FALSE(ui->List(kFormMsgBox, 0)[0]->visible);
    ASSERT_EQ(1, Click(kFormMsgBox, 202));
    EXPECT_EQ(202, ui->events[0].id);
    Run(1.0f);
    EXPECT_FALSE(ui->FormAt(kFormMsgBox)->visible);

    // The player's deletion is asked by the interface and answered there.
    Show(kFormMsgBox);
    ui->FormAt(kFormProfiles)->enabled = 0;
    ui->SetMessageBox("", "Delete?", 3, 1);
    EXPECT_EQ(0, Click(kFormMsgBox, 201));
    EXPECT_TRUE(ui->FormAt(kFormProfiles)->enabled);
}

TEST_F(InterfaceEventsTest, HoveringTheLogoSwapsItsTwoPictures)
{
    Show(kFormMainMenu);
    CRefPtr<CKMWindow> area = ui->Widget(kFormMainMenu, kIdLogoHover);
    area->SetVisible(1);
    ui->Widget(kFormMainMenu, 11113)->SetVisible(1);
    ui->Update(area->worldPosition.x, area->worldPosition.y, 0.05f);
    EXPECT_TRUE(ui->Widget(kFormMainMenu, 11112)->visible);
    EXPECT_FALSE(ui->Widget(kFormMainMenu, 11113)->visible);
    ui->Update(-2000.0f, -2000.0f, 0.05f);
    EXPECT_FALSE(ui->Widget(kFormMainMenu, 11112)->visible);
    EXPECT_TRUE(ui->Widget(kFormMainMenu, 11113)->visible);
}

TEST_F(InterfaceEventsTest, TypedNamesBecomeProfilesOnce)
{
    Show(kFormNewProfile);
    ui->SetProfileText("", 0);
    EXPECT_FALSE(ui->Widget(kFormNewProfile, 2)->visible);
    EXPECT_TRUE(ui->Widget(kFormNewProfile, 5)->visible);
    for (char c : std::string("  Zed#  "))
        ui->OnNameChar(c);
    EXPECT_EQ("  Zed  ", ui->profileText);
    ui->OnNameChar(char(168));
    ui->OnNameChar(8);
    for (int i = 0; i < 10; ++i)
        ui->OnNameChar('x');
    EXPECT_EQ(12u, ui->profileText.size());
    ui->OnNameChar(8);
    ui->OnNameChar(8);
    ui->OnNameChar(8);
    ui->OnNameChar(8);
    ui->OnNameChar(8);
    EXPECT_EQ("  Zed  ", ui->profileText);

    // Enter on the first-player screen makes the profile without its blanks.
    EXPECT_EQ(kKeyProfileCreated, ui->OnKeyDown(0x0D));
    const int index = ui->profiles->Find("Zed");
    ASSERT_GE(index, 0);
    EXPECT_EQ(index, ui->selectedProfile);
    EXPECT_TRUE(fs::exists(folders.players + "Zed"));
    EXPECT_TRUE(ui->FormAt(kFormMainMenu)->visible);

    // The same name again, in other letters' case, is refused and the form stays.
    Run(1.0f);
    Show(kFormNewProfile);
    ui->SetProfileText("zED", 0);
    EXPECT_EQ(0, ui->OnKeyDown(0x0D));
    EXPECT_EQ(8u, ui->profiles->profiles.size());
    ui->SetProfileText("   ", 0);
    EXPECT_EQ(0, ui->OnKeyDown(0x0D));
    // Keys do nothing while the form is not shown.
    ui->FormAt(kFormNewProfile)->SetVisible(0);
    ui->OnNameChar('q');
    EXPECT_EQ("", ui->profileText);
}

TEST_F(InterfaceEventsTest, DeletingTheLastProfileAsksForANewName)
{
    for (const char* name : {"Ann", "Bob", "Cid", "Dee", "Eve", "Fay"})
        ui->profiles->Remove(name);
    ASSERT_EQ(1u, ui->profiles->profiles.size());
    ui->selectedProfile = 0;
    Show(kFormProfiles);
    EXPECT_EQ(0, Click(kFormProfiles, 182));
    EXPECT_EQ(1, ui->messageCode);
    EXPECT_FALSE(ui->FormAt(kFormProfiles)->enabled);
    Run(1.0f);
    EXPECT_EQ(0, Click(kFormMsgBox, 202));
    EXPECT_TRUE(ui->profiles->profiles.empty());
    EXPECT_FALSE(fs::exists(folders.players + "Gus"));
    EXPECT_TRUE(ui->FormAt(kFormNewProfile)->visible);
    EXPECT_FALSE(ui->Widget(kFormNewProfile, 2)->visible);
}

TEST_F(InterfaceEventsTest, TheScoreCountsUpAndTheWarningFlashesThenStops)
{
    ui->SetCounter(0, 0);
    ui->SetCounter(50000, 1);
    EXPECT_EQ(0, ui->shownScore);
    float seconds = 0.0f;
    int last = 0;
    while (ui->shownScore != 50000 && seconds < 20.0f)
    {
        ui->Update(-2000.0f, -2000.0f, 1.0f / 60.0f);
        seconds += 1.0f / 60.0f;
        EXPECT_GE(ui->shownScore, last);
        EXPECT_LE(ui->shownScore, 50000);
        last = ui->shownScore;
    }
    EXPECT_NEAR(9.0f, seconds, 0.5f);
    ui->SetCounter(49000, 1);
    Run(1.0f);
    EXPECT_EQ(49000, ui->shownScore);

    const WidgetList& warning = ui->List(kFormQuest, 2);
    ui->SetWarningPulse(1);
    EXPECT_TRUE(warning[1]->visible);
    Run(0.4f);
    EXPECT_NE(0xFFFFFFFFu, warning[0]->colour);
    Run(0.4f);
    EXPECT_FALSE(warning[1]->visible);
    EXPECT_EQ(0xFFFFFFFFu, warning[0]->colour);
}

TEST_F(InterfaceEventsTest, TheTipWindowSitsBesideItsArrow)
{
    ui->PlaceArrowWindow(450.0f, 100.0f);
    CRefPtr<CKMWindow> up = ui->Widget(kFormTutorial, 200), down = ui->Widget(kFormTutorial, 201);
    EXPECT_TRUE(up->visible);
    EXPECT_FALSE(down->visible);
    EXPECT_FLOAT_EQ(450.0f, up->localPosition.x);
    EXPECT_FLOAT_EQ(std::floor(100.0f - up->baseSize.h / 2), up->localPosition.y);
    // Near the right edge the window's right side is the arrow's plus the margin.
    const CWidgetGroup& window = ui->Group(kFormTutorial, 1);
    const float right = window.widgets[0]->localPosition.x + window.widgets[0]->baseSize.w / 2;
    EXPECT_NEAR(450.0f + up->baseSize.w / 2 + layout.arrowUpShift[0], right, 1.0f);
    // Below the middle the arrow points down at the point from above.
    ui->PlaceArrowWindow(-300.0f, -100.0f);
    EXPECT_TRUE(down->visible);
    EXPECT_FALSE(up->visible);
    EXPECT_FLOAT_EQ(std::floor(-100.0f + down->baseSize.h / 2), down->localPosition.y);
    // The click-here pointer's tip lands on the point.
    ui->PlaceClickHere(100.0f, 50.0f);
    CRefPtr<CKMWindow> pointer = ui->Group(kFormTutorial, 4).widgets[0];
    EXPECT_FLOAT_EQ(100.0f - layout.clickHerePoint[0] + pointer->baseSize.w / 2, pointer->localPosition.x);
    EXPECT_FLOAT_EQ(50.0f - layout.clickHerePoint[1] - pointer->baseSize.h / 2, pointer->localPosition.y);
}

float Area(const std::vector<CUV>& c)
{
    float twice = 0.0f;
    for (size_t i = 0; i < c.size(); ++i)
    {
        const CUV& a = c[i];
        const CUV& b = c[(i + 1) % c.size()];
        twice += a.u * b.v - b.u * a.v;
    }
    return std::fabs(twice) * 0.5f;
}

TEST_F(InterfaceEventsTest, TheTimeGaugeCutsItsQuartersToTheSector)
{
    struct Case
    {
        float t;
        int shown[4];
        float area[4]; // of the shown quarters
    };
    const float cut = 0.125f * std::tan(0.1f * 3.14159265f);
    const Case cases[] = {{0.0f, {1, 0, 0, 0}, {0.0f}},
                          {0.3f, {1, 1, 0, 0}, {0.25f, cut}},
                          {0.5f, {1, 1, 0, 0}, {0.25f, 0.25f}},
                          {1.0f, {1, 1, 1, 1}, {0.25f, 0.25f, 0.25f, 0.25f}}};
    const WidgetList& quarters = ui->List(kFormQuest, 0);
    for (const Case& c : cases)
    {
        ui->PoseTimeGauge(c.t, 1);
        for (int k = 0; k < 4; ++k)
        {
            EXPECT_EQ(c.shown[k], quarters[size_t(k)]->visible) << "t " << c.t << " quarter " << k;
            if (!c.shown[k])
                continue;
            const CSpriteShape& sprite = *quarters[size_t(k)]->sprites[0];
            EXPECT_NEAR(c.area[k], Area(sprite.corners), 1e-4f) << "t " << c.t << " quarter " << k;
            // The picture follows the corners: the whole texture spans the dial.
            for (int i = 0; i < 4; ++i)
            {
                EXPECT_NEAR(sprite.corners[size_t(i)].u + 0.5f, sprite.frames[size_t(i)].u, 1e-5f);
                EXPECT_NEAR(0.5f - sprite.corners[size_t(i)].v, sprite.frames[size_t(i)].v, 1e-5f);
            }
        }
    }
    // Out-of-range times are clamped before they are kept; the tint follows the time.
    ui->PoseTimeGauge(1.7f, 1);
    EXPECT_FLOAT_EQ(1.0f, ui->gaugePosition);
    EXPECT_FLOAT_EQ(1.0f, ui->gaugeTarget);
    ui->PoseTimeGauge(layout.greenEnd, 1);
    EXPECT_EQ(layout.gaugeAlpha | 0x00FF00u, quarters[0]->colour);
    ui->PoseTimeGauge(layout.yellowEnd, 1);
    EXPECT_EQ(layout.gaugeAlpha | 0xFFFF00u, quarters[0]->colour);
    // The gauge glides toward a new target at half a unit a second.
    ui->SetGaugeTarget(0.0f);
    Run(0.1f);
    EXPECT_NEAR(layout.yellowEnd - 0.05f, ui->gaugePosition, 1e-4f);

    // The shop's dial comes from its square of the controls picture.
    ui->PoseShopGauge(1.0f);
    const CSpriteShape& shop = *ui->List(kFormShop, 0)[0]->sprites[0];
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(0.591796875f + 0.171875f * (shop.corners[size_t(i)].u + 0.5f), shop.frames[size_t(i)].u, 1e-5f);
        EXPECT_NEAR(0.7421875f + 0.171875f * (0.5f - shop.corners[size_t(i)].v), shop.frames[size_t(i)].v, 1e-5f);
    }
}

std::string Caption(const CRefPtr<CKMWindow>& w)
{
    return w && !w->texts.empty() && w->texts[0] ? w->texts[0]->text : std::string("?");
}

TEST_F(InterfaceEventsTest, LabelsAreFilledFromTheStringTable)
{
    ui->SetChallengeTitle1(3, 2, 5);
    EXPECT_EQ("Bonus Level 3", Caption(ui->Widget(kFormMemory, 1)));
    EXPECT_EQ("Round 2/5", Caption(ui->Widget(kFormMemory, 2)));
    ui->Widget(kFormThimbles, 3)->SetVisible(1);
    ui->SetChallengeTitle3(4, 1, 3);
    EXPECT_FALSE(ui->Widget(kFormThimbles, 3)->visible);
    int32_t stage = 0, index = 0;
    SplitLevelIndex(7, stage, index);
    ui->SetLevelDifficultyCaption(7, 1);
    EXPECT_EQ(std::to_string(stage) + "-" + std::to_string(index) + "\nHard",
              Caption(ui->Widget(kFormStartQuest, 1)));
    ui->SetLevelLabel(7);
    EXPECT_EQ("Level " + std::to_string(stage) + "-" + std::to_string(index), Caption(ui->Widget(kFormNewLevel, 1)));

    // A layout outside 0..4 hides every button but still sets the texts and the code.
    ui->SetMessageBox("Caption", "Text", 5, 9);
    for (int layoutIndex = 0; layoutIndex < 5; ++layoutIndex)
        for (const CRefPtr<CKMWindow>& w : ui->List(kFormMsgBox, layoutIndex))
            EXPECT_FALSE(w->visible) << layoutIndex;
    EXPECT_EQ("Caption", Caption(ui->Widget(kFormMsgBox, 1)));
    EXPECT_EQ(9, ui->messageCode);

    CHiscoresTable table;
    ui->hiscores = &table;
    ui->highlightRow = 2;
    ui->FillHighScores(0);
    for (int i = 0; i < table.count; ++i)
    {
        char name[64] = {0};
        table.GetName(i, name);
        EXPECT_EQ(name, Caption(ui->List(kFormHighScores, 1)[size_t(i)])) << i;
        EXPECT_EQ(std::to_string(table.GetScore(i)), Caption(ui->List(kFormHighScores, 2)[size_t(i)])) << i;
        // The caption's colour (its shadow keeps its own).
        const uint32_t colour = i == 2 ? 0xFFFFFFFFu : 0xFFFFFF48u;
        const CKMWindow& score = *ui->List(kFormHighScores, 2)[size_t(i)];
        EXPECT_TRUE(std::any_of(score.texts.begin(), score.texts.end(),
                                [&](const CRefPtr<CText>& t) { return t->colour == colour; }))
            << i;
    }
}

TEST(LinkTest, OnlyWebAddressesReachTheShell)
{
    struct Case
    {
        const char* address;
        bool safe;
    };
    const Case cases[] = {{"http://example.org/orblight", true},
                          {"HTTPS://example.org", true},
                          {"https://", false},
                          {"file:///etc/passwd", false},
                          {"C:\\Windows\\system32\\cmd.exe", false},
                          {"javascript:alert(1)", false},
                          {"https://example.org/a b", false},
                          {"https://example.org/\"quoted\"", false},
                          {"", false}};
    for (const Case& c : cases)
        EXPECT_EQ(c.safe, CInterface::IsSafeLink(c.address)) << c.address;
    EXPECT_FALSE(CInterface::OpenLink("ftp://example.org"));
}

} // namespace

// The window box that slides in at the top right corner must not cover the gem
// counter beside the bar above the board, nor may the counter run into the bar; the
// widest counter is "205/205" (the last level), about 84 units of the bar's font.
TEST_F(InterfaceEventsTest, TheCloseBoxLeavesTheGemCounterFree)
{
    CRefPtr<CKMWindow> close = Child(kFormWinBox, 280);
    ASSERT_TRUE(close);
    const float closeLeft = close->worldPosition.x - close->size.w / 2;
    const float closeBottom = close->worldPosition.y - close->size.h / 2;
    const float counterX = layout.boardX + layout.gemsCountShift[0];
    const float counterY = layout.boardY + layout.gemsCountShift[1];
    const float halfWidth = 48.0f, halfHeight = 32.0f;
    const bool apart = counterX + halfWidth < closeLeft || counterY + halfHeight < closeBottom;
    EXPECT_TRUE(apart) << "counter centre (" << counterX << ", " << counterY << "), close box from x " << closeLeft;
    const float barRight = layout.boardX + layout.gemsOverlayShift[0] + 307.5f + 102.5f;
    EXPECT_LT(barRight, counterX - halfWidth);
}

// Every story and help page has a picture of its own: the page files differ, and
// the intro's pages show three different parts of the intro picture.
TEST_F(InterfaceEventsTest, StoryAndHelpPagesShowPicturesOfTheirOwn)
{
    std::vector<std::string> contents;
    for (const char* file : {"HelpPage1.jpg", "HelpPage2.jpg", "Newspaper1.jpg", "Newspaper2.jpg", "Newspaper3.jpg",
                             "Newspaper4.jpg", "Newspaper5.jpg"})
    {
        std::ifstream in(std::string(ORB_GAME_DIR "/Data/Gfx/") + file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (size_t i = 0; i < contents.size(); ++i)
        for (size_t j = i + 1; j < contents.size(); ++j)
            EXPECT_NE(contents[i], contents[j]) << "pages " << i << " and " << j;

    const WidgetList& pages = ui->List(kFormIntro, 0);
    ASSERT_EQ(3u, pages.size());
    CRefPtr<CTexture> intro = rec.device->GetTextureByName("Intro");
    ASSERT_TRUE(intro);
    std::vector<std::pair<float, float>> corners;
    for (const CRefPtr<CKMWindow>& page : pages)
    {
        ASSERT_FALSE(page->sprites.empty());
        EXPECT_EQ(intro.Get(), page->sprites[0]->texture.Get());
        ASSERT_FALSE(page->sprites[0]->frames.empty());
        corners.emplace_back(page->sprites[0]->frames[0].u, page->sprites[0]->frames[0].v);
    }
    EXPECT_NE(corners[0], corners[1]);
    EXPECT_NE(corners[0], corners[2]);
    EXPECT_NE(corners[1], corners[2]);
}

// The main menu's corner logo leads to the makers' website: the game folder ships
// the logo only together with the website link, so no orb lights up for nothing.
TEST(ShippedGameFolder, TheMenuLogoShipsOnlyWithItsWebsiteLink)
{
    const bool logo = fs::exists(ORB_GAME_DIR "/fsdata/logo_a.png") && fs::exists(ORB_GAME_DIR "/fsdata/logo_na.png");
    EXPECT_EQ(fs::exists(ORB_GAME_DIR "/website.url"), logo);
}
