// The interface's form set: the shipped forms build with every binding the screens
// use, a form file that lacks one fails with the form and the number, the binding
// rules (last handle wins, lists keep all, groups grow), and the map's story file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "board/LevelParams.h"
#include "engine/StringTable.h"
#include "screens/Interface.h"
#include "screens/Shop.h"
#include "hud/QuestLayout.h"
#include "tools/uigen/MapPath.h"
#include "tests/screens/interface_fixture.h"
#include "ui/KMStatic.h"

namespace {

using namespace screens_test;
namespace fs = std::filesystem;

class FormSetTest : public ShippedInterfaceTest
{
protected:
    void SetUp() override { MakeShippedInterface(TestName()); }

    // The shipped forms in a folder of the test, with one file replaced.
    void UseForms(const std::string& name, const std::string& text)
    {
        const std::string forms = root + "Forms/";
        fs::create_directories(forms);
        for (const fs::directory_entry& e : fs::directory_iterator(ORB_GAME_DIR "/Data/Forms"))
            fs::copy_file(e.path(), forms + e.path().filename().string(), fs::copy_options::overwrite_existing);
        WriteText(forms + name + ".kmf", text);
        folders.forms = forms;
    }
};

TEST_F(FormSetTest, ShippedFormsBuildWithEveryBinding)
{
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    const std::string log = rec.Log();
    EXPECT_EQ(std::string::npos, log.find("Error")) << log;
    EXPECT_EQ(std::string::npos, log.find("Warning")) << log;
    ASSERT_EQ(size_t(kFormCount), ui->forms.size());
    ASSERT_EQ(size_t(kFormCount), ui->formsManager->forms.size());
    for (int i = 0; i < kFormCount; ++i)
    {
        ASSERT_TRUE(ui->FormAt(i)) << i;
        EXPECT_FALSE(ui->FormAt(i)->visible) << i;
    }
    EXPECT_EQ(ui->FormAt(kFormWinBox), ui->forms.back());
    EXPECT_EQ(ui->FormAt(kFormQuest), ui->Form("Quest"));

    // Every handle the screens address.
    struct Handle
    {
        int form;
        int first, last;
    };
    const Handle handles[] = {{kFormMainMenu, 1, 3},       {kFormMainMenu, 11111, 11113}, {kFormQuest, 1, 2},
                              {kFormQuest, 6, 7},          {kFormQuest, 9, 9},            {kFormQuest, 105, 105},
                              {kFormQuest, 203, 203},      {kFormStatistics, 0, 15},      {kFormShop, 1, 2},
                              {kFormShop, 5, 7},           {kFormMap, 1, 1},              {kFormMap, 10, 10},
                              {kFormMap, 30, 31},          {kFormNewLevel, 1, 1},         {kFormMemory, 1, 2},
                              {kFormArcade, 1, 1},         {kFormThimbles, 1, 3},         {kFormBlinker, 1, 4},
                              {kFormNewProfile, 1, 5},     {kFormMsgBox, 1, 2},           {kFormStartQuest, 1, 1},
                              {kFormTutorial, 100, 101},   {kFormTutorial, 105, 105},     {kFormTutorial, 200, 201},
                              {kFormOptions, 1, 6},        {kFormTrophies, 0, 0}};
    for (const Handle& h : handles)
        for (int n = h.first; n <= h.last; ++n)
            EXPECT_TRUE(ui->Widget(h.form, n)) << "form " << h.form << " element " << n;

    // Lists the screens index by position, and the group vectors.
    struct Count
    {
        int form, index;
        size_t size;
    };
    const Count lists[] = {{kFormQuest, 0, 4},      {kFormQuest, 1, 2},      {kFormQuest, 2, 2},
                           {kFormShop, 0, 4},       {kFormShop, 1, 2},       {kFormShop, 5, 16},
                           {kFormShop, 6, 16},      {kFormShop, 7, 16},      {kFormShop, 8, 16},
                           {kFormMap, 4, 4},        {kFormMap, 5, 4},        {kFormMap, 6, 5},
                           {kFormMap, 7, 6},        {kFormMap, 8, 8},        {kFormMap, 9, 10},
                           {kFormMap, 10, 12},      {kFormProfiles, 0, 6},   {kFormMsgBox, 2, 2},
                           {kFormMsgBox, 3, 2},     {kFormHighScores, 0, 10}, {kFormHighScores, 1, 10},
                           {kFormHighScores, 2, 10}, {kFormSplash, 0, 1}};
    for (const Count& c : lists)
        EXPECT_EQ(c.size, ui->List(c.form, c.index).size()) << "form " << c.form << " list " << c.index;
    const Count groups[] = {{kFormShop, 0, 11}, {kFormTutorial, 0, 7}, {kFormTrophies, 0, 18},
                            {kFormHelp, 0, 3},  {kFormNewspaper, 0, 4}};
    for (const Count& c : groups)
        EXPECT_EQ(c.size, ui->Block(c.form).groups.size()) << "form " << c.form;
    EXPECT_GE(ui->GroupCount(), 2);
    EXPECT_EQ(3u, ui->Block(kFormShop).colours.size());
    EXPECT_EQ(ui->List(kFormShop, 2).size(), ui->Block(kFormShop).colours[0].size());
    EXPECT_FALSE(ui->Group(kFormTrophies, 0).widgets.empty());
    EXPECT_FALSE(ui->Block(kFormTutorial).points[1].empty());

    // Set-up after the elements: the z-orders of the table, the play screen's hidden
    // overlay and cut gauge, the map's story.
    EXPECT_EQ(-550, ui->FormAt(kFormMsgBox)->zOrder);
    EXPECT_EQ(-650, ui->FormAt(kFormWinBox)->zOrder);
    CRefPtr<CKMWindow> overlay = ui->Widget(kFormQuest, 2);
    EXPECT_FALSE(overlay->visible);
    EXPECT_FALSE(overlay->active);
    EXPECT_EQ(4u, ui->List(kFormQuest, 0)[3]->sprites[0]->corners.size());
    ASSERT_EQ(40u, ui->storyTexts.size());
    for (const std::string& text : ui->storyTexts)
        EXPECT_FALSE(text.empty());
    EXPECT_EQ(-1, ui->profileScroll);
    EXPECT_EQ(-1, ui->selectedProfile);
    ASSERT_TRUE(ui->profiles);
}

// The map picture draws the road through the same points as the spots of the form.
TEST_F(FormSetTest, MapSpotsLieOnTheRoadOfThePicture)
{
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    size_t spot = 0;
    for (int list = 6; list <= 10; ++list)
        for (const CRefPtr<CKMWindow>& w : ui->List(kFormMap, list))
        {
            ASSERT_LT(spot, kMapSpotCount);
            EXPECT_NEAR(kMapSpots[spot][0] - 512.0f, w->localPosition.x, 1.0f) << "spot " << spot;
            EXPECT_NEAR(384.0f - kMapSpots[spot][1], w->localPosition.y, 1.0f) << "spot " << spot;
            ++spot;
        }
    EXPECT_EQ(kMapSpotCount, spot);
}

// The shop's left panel: the description runs down from its widget's middle (a
// text's first line stands there) for at most six lines, and neither it nor Done meets
// the time dial; the sand glass and its note sit inside the sand-glass item's frame.
TEST_F(FormSetTest, TheShopsDescriptionDialAndDoneKeepApartAndTheSandGlassSitsInItsItem)
{
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    struct Box
    {
        float left, right, bottom, top;  // y up
        bool Meets(const Box& o) const { return left < o.right && o.left < right && bottom < o.top && o.bottom < top; }
    };
    const auto box = [](const CKMWindow& w) {
        return Box{w.worldPosition.x - w.size.w * 0.5f, w.worldPosition.x + w.size.w * 0.5f,
                   w.worldPosition.y - w.size.h * 0.5f, w.worldPosition.y + w.size.h * 0.5f};
    };
    const CRefPtr<CKMWindow> description = ui->Widget(kFormShop, 1);
    const CRefPtr<CKMWindow> done = ui->FormAt(kFormShop)->FindChild(31);
    ASSERT_TRUE(description && done);
    const float lineHeight = 26.0f;  // the description's font at its size, on the screen
    Box text = box(*description);
    text.top = description->worldPosition.y + lineHeight;
    text.bottom = description->worldPosition.y - 6.0f * lineHeight;
    for (int list : {0, 1})
        for (const CRefPtr<CKMWindow>& dial : ui->List(kFormShop, list))
        {
            EXPECT_FALSE(box(*dial).Meets(text)) << "dial list " << list;
            EXPECT_FALSE(box(*dial).Meets(box(*done))) << "dial list " << list;
        }

    CShopSettings shop;
    shop.Load(ORB_GAME_DIR "/Data/Config/Skin.cfg", "Shop");
    const Box frame = box(*ui->List(kFormShop, 7).at(kShopItemSandGlass));
    const float* c = shop.sandboxFrontPos;
    const float* size = shop.sandboxFrontSize;
    const Box glass{c[0] - size[0] * 0.5f, c[0] + size[0] * 0.5f, c[1] - size[1] * 0.5f, c[1] + size[1] * 0.5f};
    EXPECT_TRUE(frame.left <= glass.left && glass.right <= frame.right && frame.bottom <= glass.bottom && glass.top <= frame.top);
    EXPECT_LT(shop.sandboxNote[1], glass.bottom) << "the note under the glass";
    EXPECT_GT(shop.sandboxNote[1] - lineHeight, frame.bottom) << "and above the frame's foot";
    EXPECT_NEAR(c[0], shop.sandboxNote[0], 1.0f) << "centred under it";
}

// Forms are drawn in the manager's order, back to front: dialogs come after the
// screens they open over.
TEST_F(FormSetTest, DialogsDrawOverTheirScreens)
{
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    auto order = [&](int form) {
        const auto& list = ui->formsManager->forms;
        return std::find(list.begin(), list.end(), ui->FormAt(form)) - list.begin();
    };
    const int pairs[][2] = {{kFormMainMenu, kFormOptions}, {kFormQuest, kFormGameMenu}, {kFormMap, kFormNewspaper},
                            {kFormProfiles, kFormMsgBox},  {kFormShop, kFormMsgBox},    {kFormQuest, kFormStatistics},
                            {kFormQuest, kFormTutorial},   {kFormMainMenu, kFormWinBox}};
    for (const auto& p : pairs)
        EXPECT_LT(order(p[0]), order(p[1])) << p[0] << " under " << p[1];
}

TEST_F(FormSetTest, AFormWithoutABoundWidgetFailsNamingFormAndNumber)
{
    UseForms("NewLevel", "SIZE 100 100\nELEMENT STATIC { SIZE 10 10 TEXT \"x\" INTERRUPT 50 }\n");
    EXPECT_EQ(0, ui->Load(folders, layout, params));
    const std::string log = rec.Log();
    const size_t message = log.find("Error Creating Form NewLevel: ");
    ASSERT_NE(std::string::npos, message);
    EXPECT_NE(std::string::npos, log.find("Element 1 not found", message));
    // The forms before it were built and stay; nothing after it was.
    EXPECT_EQ(size_t(kFormNewLevel + 1), ui->forms.size());
    EXPECT_FALSE(ui->FormAt(kFormGameMenu));
}

TEST_F(FormSetTest, APlayScreenWithTooFewGaugeQuartersFails)
{
    std::string quest = ReadText(ORB_GAME_DIR "/Data/Forms/Quest.kmf");
    const size_t at = quest.find("INTERRUPT 3\n");
    ASSERT_NE(std::string::npos, at);
    quest.replace(at, 12, "INTERRUPT 77\n");
    UseForms("Quest", quest);
    EXPECT_EQ(0, ui->Load(folders, layout, params));
    const std::string log = rec.Log();
    const size_t message = log.find("Error Creating Form Quest: ");
    ASSERT_NE(std::string::npos, message);
    EXPECT_NE(std::string::npos, log.find("Element 3 not found (4 needed, 3 found)", message));
}

TEST_F(FormSetTest, ALoaderFailureNamesTheForm)
{
    UseForms("Memory", "SIZE 10 10\nELEMENT STATIC { SIZE 10 10 TEXTURE NoSuchPicture STATE NORMAL 0 0 1 0 1 1 0 1 }\n");
    EXPECT_EQ(0, ui->Load(folders, layout, params));
    EXPECT_NE(std::string::npos, rec.Log().find("Error loading Form Memory: "));
    EXPECT_NE(std::string::npos, rec.Log().find("Texture NoSuchPicture not found"));
}

TEST_F(FormSetTest, TheLastHandleOfANumberWinsAndUnboundNumbersStayWithTheForm)
{
    UseForms("NewLevel", "SIZE 300 100\n"
                         "ELEMENT STATIC { SIZE 10 10 TEXT \"first\" INTERRUPT 1 }\n"
                         "ELEMENT STATIC { SIZE 10 10 TEXT \"second\" INTERRUPT 1 }\n"
                         "ELEMENT STATIC { SIZE 10 10 TEXT \"other\" INTERRUPT 50 }\n");
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    CRefPtr<CKMForm> form = ui->FormAt(kFormNewLevel);
    ASSERT_EQ(3u, form->children.size());
    EXPECT_EQ(form->children[1], ui->Widget(kFormNewLevel, 1));
    EXPECT_FALSE(ui->Widget(kFormNewLevel, 50));
}

TEST_F(FormSetTest, SplashGroupsGrowToTheHighestNumber)
{
    UseForms("Splash", "SIZE 1024 768\n"
                       "ELEMENT STATIC { SIZE 10 10 TEXT \"picture\" INTERRUPT 1000 }\n"
                       "ELEMENT STATIC { SIZE 10 10 TEXT \"four\" INTERRUPT 4 }\n"
                       "ELEMENT STATIC { SIZE 10 10 TEXT \"two\" INTERRUPT 2 }\n"
                       "ELEMENT STATIC { SIZE 10 10 TEXT \"two again\" INTERRUPT 2 }\n");
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    ASSERT_EQ(4, ui->GroupCount());
    EXPECT_TRUE(ui->Group(kFormSplash, 0).widgets.empty());
    EXPECT_EQ(2u, ui->Group(kFormSplash, 1).widgets.size());
    EXPECT_EQ(1u, ui->Group(kFormSplash, 3).widgets.size());
    EXPECT_TRUE(ui->List(kFormSplash, 1).empty());
}

// The logos and the store link are files of the current folder.
class MainMenuFilesTest : public FormSetTest
{
protected:
    void SetUp() override
    {
        FormSetTest::SetUp();
        if (IsSkipped())
            return;
        saved = fs::current_path();
        fs::create_directories(root + "cwd/fsdata");
        fs::current_path(root + "cwd");
    }
    void TearDown() override
    {
        if (!saved.empty())
            fs::current_path(saved);
    }
    fs::path saved;
};

TEST_F(MainMenuFilesTest, WithBothLogosTheyTakeTheCornerAndTheStoreLinkItsAddress)
{
    WriteTga("fsdata/logo_a.png", 96, 64);
    WriteTga("fsdata/logo_na.png", 32, 32);
    WriteText("AppStoreURL.txt", "  https://example.org/orblight \n second line\n");
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    EXPECT_EQ(1, ui->logoFlag);
    EXPECT_EQ(96, ui->logoWidth);
    EXPECT_EQ(64, ui->logoHeight);
    ASSERT_TRUE(ui->logoA);
    ASSERT_TRUE(ui->logoB);
    EXPECT_TRUE(rec.device->GetTextureByName("fsdata\\logo_a.png"));
    CRefPtr<CKMWindow> a = ui->Widget(kFormMainMenu, 11112);
    EXPECT_FALSE(a->visible);
    EXPECT_TRUE(ui->Widget(kFormMainMenu, 11113)->visible);
    EXPECT_TRUE(ui->Widget(kFormMainMenu, kIdLogoHover)->visible);
    // The picture's own size, 16 units in from the right and bottom edges.
    EXPECT_FLOAT_EQ(96.0f, a->baseSize.w);
    EXPECT_FLOAT_EQ(64.0f, a->baseSize.h);
    EXPECT_FLOAT_EQ(512.0f - 16.0f - 48.0f, a->localPosition.x);
    EXPECT_FLOAT_EQ(-384.0f + 16.0f + 32.0f, a->localPosition.y);
    EXPECT_EQ("https://example.org/orblight", ui->appStoreUrl);
    EXPECT_TRUE(ui->Widget(kFormMainMenu, 3)->visible);
    EXPECT_TRUE(ui->Widget(kFormMainMenu, 3)->active);
}

TEST_F(MainMenuFilesTest, OneLogoIsNoLogoAndAShortAddressDisablesTheLink)
{
    WriteTga("fsdata/logo_a.png", 96, 64);
    WriteText("AppStoreURL.txt", "  ab  \n");
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    EXPECT_EQ(0, ui->logoFlag);
    EXPECT_FALSE(ui->logoA);
    EXPECT_FALSE(ui->Widget(kFormMainMenu, 11112)->visible);
    EXPECT_FALSE(ui->Widget(kFormMainMenu, 11113)->visible);
    EXPECT_FALSE(ui->Widget(kFormMainMenu, kIdLogoHover)->visible);
    EXPECT_TRUE(ui->appStoreUrl.empty());
    EXPECT_TRUE(ui->Widget(kFormMainMenu, 3)->visible);
    EXPECT_FALSE(ui->Widget(kFormMainMenu, 3)->active);
}

TEST_F(MainMenuFilesTest, WithoutAStoreAddressTheLinkIsHidden)
{
    ASSERT_EQ(1, ui->Load(folders, layout, params));
    EXPECT_FALSE(ui->Widget(kFormMainMenu, 3)->visible);
}

TEST(StoryTest, HashLinesEndTheTextsAndTheFirstLineIsATitle)
{
    CInterface ui(nullptr, CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>(),
                  CRefPtr<CTextSet>(), {BoxFont()});
    const std::string path = TempFolder("story") + "Story.txt";
    WriteText(path, "#\nA\nB\n#\nC\n");
    ASSERT_TRUE(ui.LoadStory(path.c_str()));
    ASSERT_EQ(40u, ui.storyTexts.size());
    EXPECT_EQ("A\nB\n", ui.storyTexts[0]);
    EXPECT_EQ("C\n", ui.storyTexts[1]);
    for (size_t i = 2; i < 40; ++i)
        EXPECT_TRUE(ui.storyTexts[i].empty());
    EXPECT_FALSE(ui.LoadStory((path + ".missing").c_str()));
    EXPECT_EQ(40u, ui.storyTexts.size());
    EXPECT_TRUE(ui.storyTexts[0].empty());
}

} // namespace
