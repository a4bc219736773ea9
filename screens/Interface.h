// CInterface: the game's one user-interface object. Load reads the texture catalogue
// ("Textures.lst"), builds the 26 forms from their form files into one forms manager
// and keeps handles to the widgets that the screens address, bound by the INTERRUPT
// numbers of the form files. Each frame the game hands it the mapped pointer; it
// routes presses, releases and moves to the forms manager, runs its own animations
// (form fades, group fades) and turns widget events into InterfaceEvent records that
// the game dispatches by widget id.
//
// The game object makes it in Init and holds it through CRefPtr; the renderer, the
// shop and the trophies screen hold further handles. The renderer draws the forms
// through `formsManager`.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/DataFolders.h"
#include "engine/RefPtr.h"
#include "saves/Profiles.h"
#include "platform/win32.h"
#include "ui/KMForm.h"
#include "ui/KMFormsManager.h"

class CDevice;
class CFont;
class CHiscoresTable;
class CIndexBuffer;
class CLevelParams;
class CQuestLayout;
class CSoundBank;
class CSpriteList;
class CTextSet;
class CTexture;
class CVertexBuffer;

// A screen of the interface is a form of the widget library.
using CInterfaceForm = CKMForm;

using WidgetList = std::vector<CRefPtr<CKMWindow>>;

// A list of widgets shown, hidden and faded as one.
struct CWidgetGroup
{
    WidgetList widgets;
};

// One record the game reads back after OnMouseDown, OnMouseUp or Update.
struct InterfaceEvent
{
    int32_t kind;
    int32_t id;                // the widget's window id; 0 for the fade kinds
    float x;                   // the pointer of the call that made the record
    float y;
    CRefPtr<CKMWindow> window; // the form whose fade ended (kinds 14 and 15)
    float value;               // the scroller's thumb position (kind 13)
};
using CInterfaceEvent = InterfaceEvent;

enum
{
    kUiEventClick = 0,
    kUiEventPress = 1,
    kUiEventValueChanged = 13,
    kUiEventFadedOut = 14,
    kUiEventFadedIn = 15,
};

// The 26 forms, in load order; the index is also the form's text depth.
enum
{
    kFormMainMenu,
    kFormQuest,
    kFormStatistics,
    kFormBackground,
    kFormShop,
    kFormMap,
    kFormNewLevel,
    kFormGameMenu,
    kFormMemory,
    kFormArcade,
    kFormThimbles,
    kFormBlinker,
    kFormSplash,
    kFormProfiles,
    kFormNewProfile,
    kFormMsgBox,
    kFormStartQuest,
    kFormTutorial,
    kFormWin,
    kFormOptions,
    kFormHighScores,
    kFormNewspaper,
    kFormIntro,
    kFormTrophies,
    kFormHelp,
    kFormWinBox,
    kFormCount
};

// Widget ids the interface itself reacts to.
enum
{
    kKeyProfileCreated = 3,
};

// The play screen's counter of the adviser's seconds.
enum
{
    kWidgetAdviserCounter = 204,
};

enum
{
    kIdOverlay = 10,
    kIdProfileRowFirst = 185,
    kIdProfileRowLast = 190,
    kIdSoundVolume = 231,
    kIdMusicVolume = 232,
    kIdLogoHover = 11111,
};

// What Load keeps of one form: the form and the widgets bound by number. Handles are
// looked up by element number; lists and groups by their index in the form's row of
// bindings (see Interface.cpp); `colours` run parallel to the tinted lists of the
// shop, `points` hold the local (x, y) pairs of the tutorial's pointer widgets and
// the trophies' rows.
struct CFormBlock
{
    CRefPtr<CKMForm> form;
    std::vector<int32_t> numbers;
    WidgetList handles;
    std::vector<WidgetList> lists;
    std::vector<CWidgetGroup> groups;
    std::vector<std::vector<uint32_t>> colours;
    // Per colour list and widget, the colours its texts were made with.
    std::vector<std::vector<std::vector<uint32_t>>> textColours;
    std::vector<std::vector<float>> points;
};

class CInterface
{
public:
    // The font list must hold at least one font.
    CInterface(HINSTANCE instance, CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
               CRefPtr<CIndexBuffer> indexBuffer, CRefPtr<CTextSet> textSet, const std::vector<CRefPtr<CFont>>& fonts);
    ~CInterface();
    CInterface(const CInterface&) = delete;
    CInterface& operator=(const CInterface&) = delete;

    // The texture catalogue, the forms manager, the logos and the 26 forms; 1 when all
    // were built, 0 at the first failure (its message is in the log).
    int Load(const CDataFolders& folders, const CQuestLayout& layout, const CLevelParams& levelParams);
    // The texture catalogue alone ("Textures.lst" in the forms folder); 1 or 0.
    int LoadTextureCatalogue(const std::string& listPath, const std::string& graphicsFolder);
    // Reads the 40 story texts of the map; false when the file cannot be opened.
    bool LoadStory(const char* path);

    // Pointer and key entry points; each returns the number of records in `events`.
    int OnMouseDown(float x, float y);
    int OnMouseUp(float x, float y);
    // 3 when Enter made the first player's profile and the main menu opens.
    int OnKeyDown(int key);
    // A typed character for the new player's name.
    void OnNameChar(char ch);
    int Update(float x, float y, float dt);

    // Forms by name ("MainMenu" ...) or load index; empty when absent.
    CRefPtr<CKMForm> Form(const char* name) const;
    CRefPtr<CKMForm> FormAt(int index) const;
    // Widget bound to element number `number` of form `form`; empty when none.
    CRefPtr<CKMWindow> Widget(int form, int number) const;
    // The list or group at index `index` of the form's bindings; an empty one when absent.
    const WidgetList& List(int form, int index) const;
    const CWidgetGroup& Group(int form, int index) const;
    const CFormBlock& Block(int form) const { return blocks[size_t(form)]; }

    // Fades of whole forms (input is off while a form fades) and of widget lists.
    void FadeInForm(const CRefPtr<CKMWindow>& form, float rate);
    void FadeOutForm(const CRefPtr<CKMWindow>& form, float rate);
    void FadeInGroup(const WidgetList& widgets, float rate);
    void FadeOutGroup(const WidgetList& widgets, float rate);
    // The same for a form by its load index.
    void FadeInForm(int form, float rate);
    void FadeOutForm(int form, float rate);

    // The logo groups of the "Splash" form; group -1 is its picture list.
    int GroupCount() const;
    void StartGroupEffect(int group, float rate);
    void StopGroupEffect(int group, float rate);

    // Screen methods the game needs from the start.
    void SetMessageBox(const char* caption, const char* text, int layout, int code);
    void SetOptionScrollers(float soundVolume, float musicVolume);
    void RefreshProfileRows();
    void UpdateProfileGreeting();
    void SetProfileText(const char* text, int pair);
    int RecreateIntroTexture(int create);
    void RecreateMapDiffTextures(int stage);
    void SetMapTextures(CRefPtr<CTexture> halo, CRefPtr<CTexture> second);
    // The play screen's score label (counted up by Update when countUp is set), its
    // second counter and the time gauge.
    void SetCounter(int value, int countUp);
    void SetCounters(int first, int second, float t);
    // The time gauge glides to its target in Update; the warning pulse flashes the
    // gauge three times with the Warning sound.
    void SetGaugeTarget(float t);
    void SetWarningPulse(int on);
    // Tutorial pointers: the tip of the click-here and swap-these pictures on a point
    // (the click-here tip then bobs over that point in Update), and the message window
    // with the arrow that points at (x, y).
    void PlaceClickHere(float x, float y);
    void PlaceSwapThese(float x, float y);
    void PlaceArrowWindow(float x, float y);
    // Cuts the gauge's four quarters to the sector of t (0..1) and turns its hands.
    void PoseTimeGauge(float t, int setTarget);
    // The shop's dial for t (0..1), drawn from its controls picture; nothing is kept.
    void PoseShopGauge(float t);
    // Every widget of a tinted list of the shop (0..2) at its own colours with their
    // alpha times `factor`; 1 gives the colours back as the form made them.
    void TintShopList(int tinted, float factor);
    // The map's page for a 1-based level: caption, story, stage pictures, passed spots
    // and the flag (as it stood one level earlier when fromPrevious is set).
    void SetLevelPairLabel(int level, int fromPrevious);
    void SetLevelLabel(int level);
    void SetLevelLabelText(const char* text);
    // "1-3" and the difficulty under it, on the saved-quest dialog.
    void SetLevelDifficultyCaption(int level, int difficulty);
    // The bonus-level titles: memory, accuracy, attention and reaction.
    void SetChallengeTitle1(int level, int round, int rounds);
    void SetChallengeTitle2(int level);
    void SetChallengeTitle3(int level, int round, int rounds);
    void SetChallengeTitle4(int level);
    // The hall of fame's rows from the high-score table; the highlighted row is white.
    void FillHighScores(int table);
    // The won level's blinking call, and the tutorial's groups.
    void HideListWidgets();
    void HideAllGroups();
    void ShowGroup(int group);
    // The play screen's side panel and icon panel (the lives), each with its frame.
    void SetPanelVisible(int skip, int show);
    // The life-icon panel: its frame and the marker on the highest life icon shown.
    // The life icons themselves are ShowFirstIcons' (and a shuffle's) to change.
    void SetIconPanelVisible(int show);
    bool IsIconPanelShown() const;
    void ShowFirstIcons(int n);
    // Pages: the newspaper's picture and text group of a page (0..3), the final page,
    // the help page (1 or 2) and the selected intro item.
    bool ShowNewspaperPage(int page);
    bool ShowFinalNewspaper();
    void ShowHelpPage(int page);
    void SelectListWidget(int item);
    // Gives the splash pictures the loading image and shows them.
    void ShowSplashPicture(const CRefPtr<CTexture>& picture);

    // Kept for callers from before the forms existed: the forms draw through the
    // forms manager, so no sprite list is needed.
    void AttachSpriteList(CRefPtr<CSpriteList>) {}
    std::vector<CKMForm*> FormsInOrder() const;

    // One value for a text of the string table: a number for "%d" or a text for "%s".
    struct TextArg
    {
        TextArg(int n) : number(n) {}
        TextArg(const char* s) : text(s ? s : "") {}
        int number = 0;
        const char* text = nullptr;
    };
    // Puts the values into a text of the string table in order: "%d" takes a number,
    // "%s" a text, "%%" is one percent sign; any other directive, or one without its
    // value, stays as written. The texts are data, never printf formats.
    static std::string FillText(const char* format, std::initializer_list<TextArg> args);

    // Opens an http(s) address with the shell; anything else is refused (false).
    static bool OpenLink(const std::string& address);
    static bool IsSafeLink(const std::string& address);

    // Shared render resources.
    HINSTANCE instance;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CTextSet> textSet;
    CRefPtr<CFont> defaultFont;
    float defaultFontHeight = 0.0f;
    std::vector<CRefPtr<CFont>> fonts;
    std::vector<float> fontHeights;

    CRefPtr<CKMFormsManager> formsManager;
    std::vector<InterfaceEvent> events;
    // The forms in load order ("WinBox" last), and what each keeps.
    std::vector<CRefPtr<CKMForm>> forms;
    std::vector<CFormBlock> blocks;

    // MainMenu: the store address, the logo textures and what the logo probe found.
    std::string appStoreUrl;
    CRefPtr<CTexture> logoA;
    CRefPtr<CTexture> logoB;
    int32_t logoFlag = 0;
    int32_t logoWidth = 0;
    int32_t logoHeight = 0;
    // Map: the 40 story texts.
    std::vector<std::string> storyTexts;
    // Profiles and NewProfile.
    std::unique_ptr<CProfileList> profiles;
    int32_t profileScroll = -1;   // profile index shown in the first row (-1: the new-profile row)
    int32_t selectedProfile = -1;
    std::string profileName;      // the selection when the profiles screen opened
    std::string profileText;      // the typed name
    float okRestX = 0.0f;         // the name entry's OK beside its way back
    bool okPlaced = false;
    // MsgBox: the question now asked.
    int32_t messageCode = 0;
    // Help page shown; selected intro entry.
    int32_t helpPage = 1;
    int32_t introItem = 0;
    // Play screen: 0 while quest levels are played.
    int32_t questMode = 0;
    float gaugePosition = 0.0f;
    float gaugeTarget = 0.0f;
    float gaugeSpeed = 0.5f;
    int32_t lastCounter = 0;
    int32_t secondCounter = 0;
    int32_t shownScore = 0;
    int32_t targetScore = 0;
    float scoreValue = 0.0f;
    float scoreSpeed = 0.0f;
    int32_t highScoreTable = 0;
    int32_t highlightTable = 0;
    int32_t highlightRow = -1;
    int32_t warningActive = 0;
    float warningPhase = 0.0f;
    float warningTime = 0.0f;
    float blinkTimers[2] = {0.0f, 0.0f}; // Background; Win and Newspaper
    float arrowPhase = 0.0f, arrowBaseX = 0.0f, arrowBaseY = 0.0f;

    // Loader arguments, not owned.
    const CDataFolders* dataFolders = nullptr;
    const CQuestLayout* questLayout = nullptr;
    const CLevelParams* levelParams = nullptr;

    CRefPtr<CSoundBank> soundBank;
    CRefPtr<CTexture> haloTexture;
    CHiscoresTable* hiscores = nullptr;

private:
    struct FormFade
    {
        CRefPtr<CKMWindow> form;
        int32_t direction;
        float alpha;
        float rate;
    };
    struct GroupEffect
    {
        WidgetList widgets;
        int32_t direction;
        float value;
        float rate;
    };

    bool SwitchPicture(const char* name, const std::string& file);
    int CreateTypedProfile(bool clicked, float x, float y);
    bool HasSelectedProfile() const;
    void DeleteSelectedProfile();
    void PlayWrong(bool panned, float x);
    int BuildForm(int index);
    bool CheckBindings(int index, std::string* missing) const;
    void PlaceLogos(class CFormDesc& description);
    // Each form's state as it opens for the first time.
    void SetUpForm(int index);
    void SetUpMainMenu();
    void SetUpPlayScreen();
    void SetUpShop();
    void Bind(int index, int number, const CRefPtr<CKMWindow>& widget);
    void RouteHover(const KMEvent& e, float x);
    void Animate(float dt);
    void PlaceGroup(int group, int points, float x, float y);
    void PlaceClickHereTip(float x, float y);
    void PlayClick(float x);
    void PlayHover(float x);
    void Push(int32_t kind, int32_t id, float x, float y, float value = 0.0f);
    // A click on a widget: each family handles its own ids (true when it did).
    void RunCommand(int32_t id, float x, float y);
    bool RunMenuCommand(int32_t id);
    bool RunPageCommand(int32_t id);
    bool RunProfileCommand(int32_t id, float x, float y);
    bool RunMessageBoxCommand(int32_t id, float x, float y);
    bool RunStartQuestCommand(int32_t id, float x, float y);
    void ChooseProfile(float x, float y);
    void KeepFormerProfile(float x, float y);
    void AskDeleteProfile();
    void AnswerMessageOk(float x, float y);
    void AnswerMessageYesNo(int32_t id, float x, float y);
    WidgetList& MutableList(int form, int index);

    std::vector<FormFade> fades;
    std::vector<GroupEffect> groupEffects;
};
