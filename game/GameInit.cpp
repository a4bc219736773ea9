// The game's two-stage start: PreInit loads what the splash sequence needs, Init loads
// and builds everything else in one fixed order while it draws the loading screen, and
// ends in the start-up sequence.
#include "game/Game.h"

#include <cstdio>

#include "audio/Music.h"
#include "audio/SoundBank.h"
#include "audio/SoundConversion.h"
#include "backgrounds/BackgroundManager.h"
#include "bonuses/BonusConfig.h"
#include "bonuses/BonusManager.h"
#include "board/CapsManager.h"
#include "board/Fader.h"
#include "field/PlayField.h"
#include "board/TerminatorManager.h"
#include "effects/ParticleEnvironment.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/Sandbox.h"
#include "engine/Log.h"
#include "engine/StringTable.h"
#include "saves/BestResults.h"
#include "game/Fonts.h"
#include "platform/crt.h"
#include "saves/Profiles.h"
#include "saves/Trophies.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/Renderer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "hud/GemsBuffer.h"
#include "screens/Interface.h"
#include "ui/KMForm.h"
#include "ui/KMStatic.h"
#include "hud/LossEffect.h"
#include "hud/PopupMessages.h"
#include "screens/Shop.h"
#include "hud/StarEffect.h"
#include "hud/TokenSelector.h"

namespace {

// How a picture of the start-up table is loaded.
enum Loader
{
    kPlain,        // full mip chain, the file's own format
    kPlainSingle,  // one level
    kAlphaLight,   // colour file and its "_alpha" companion, luminance formats first
    kAlphaColour,  // the same, coloured formats first
    kChoose,       // the first format of the candidate list the adapter takes
};

struct TableEntry
{
    const char* file;
    Loader loader;
    bool effect;  // effect picture, else screen picture
    int member;
};

// The pictures Init loads before anything that draws them, in this order.
const TableEntry kTextureTable[] = {
    {"Frame.png", kPlain, false, kTexFrame},
    {"FrameBack.tga", kPlain, false, kTexFrameBack},
    {"StarParticle.bmp", kPlain, true, kTexStarParticle},
    {"Selector.png", kPlain, false, kTexSelector},
    {"Lightning.jpg", kPlain, true, kTexLightning},
    {"Spark.bmp", kPlain, true, kTexSpark},
    {"Sand.jpg", kAlphaLight, true, kTexSand},
    {"Cloud.jpg", kAlphaLight, true, kTexCloud},
    {"Sandbox.jpg", kPlainSingle, false, kTexSandbox},
    {"SmallSand.tga", kChoose, true, kTexSmallSand},
    {"SandboxFront.png", kPlain, false, kTexSandboxFront},
    {"SandboxGlass.tga", kChoose, false, kTexSandboxGlass},
    {"ScoreFrenzyStar.png", kChoose, false, kTexScoreFrenzyStar},
    {"Halo1.tga", kPlain, true, kTexHalo1},
    {"Ring.jpg", kPlain, true, kTexRing},
    {"SpellFuzzy.bmp", kPlain, true, kTexSpellFuzzy},
    {"FireCloud.jpg", kAlphaColour, true, kTexFireCloud},
    {"Twirl.tga", kPlain, true, kTexTwirl},
    {"Flare.jpg", kAlphaColour, true, kTexFlare},
    {"StarSand.tga", kChoose, true, kTexStarSand},
    {"JungleFlash.tga", kPlainSingle, true, kTexJungleFlash},
    {"BigStar.png", kPlain, false, kTexBigStar},
    {"ShopPointer.tga", kPlain, false, kTexShopPointer},
};

// The sand glass's values of the quest-screen layout.
CSandbox::Layout SandboxLayoutOf(const CQuestLayout& q)
{
    CSandbox::Layout l;
    l.frontShift[0] = q.sandboxFrontShift[0];
    l.frontShift[1] = q.sandboxFrontShift[1];
    l.glassColour = q.sandboxGlassColour;
    l.sandInGravity = q.sandInGravity;
    l.sandOutGravity = q.sandOutGravity;
    l.sandPathSpeed = q.sandPathSpeed;
    l.sandColour = q.sandColour;
    l.sandAlpha = q.sandAlpha;
    l.dustSpeed = q.dustSpeed;
    l.dustSpeedSpread = q.dustHalfSpeed;
    l.dustSize = q.dustSize;
    l.dustSizeSpread = q.dustHalfSize;
    l.dustColour = q.dustColour;
    l.dustAlpha = q.dustAlpha;
    l.barColour = q.frenzyBarColour;
    l.barPresence = q.frenzyBarAlpha;
    for (int i = 0; i < 2; ++i)
    {
        l.barShift[i] = q.frenzyBarShift[i];
        l.barElementSize[i] = q.frenzyBarElementSize[i];
    }
    l.barCount = q.frenzyBarCount;
    l.barPostTime = q.frenzyBarPostTime;
    l.sandPath = q.sandPath;
    return l;
}

// The gem bar's values of the quest-screen layout.
GemsBarLayout GemsLayoutOf(const CQuestLayout& q)
{
    GemsBarLayout g;
    for (int i = 0; i < 2; ++i)
    {
        g.overlayShift[i] = q.gemsOverlayShift[i];
        g.fillingShift[i] = q.gemsFillingShift[i];
        g.gemsShift[i] = q.gemsGemsShift[i];
        g.labelShift[i] = q.gemsLabelShift[i];
        g.countShift[i] = q.gemsCountShift[i];
    }
    g.textColor = q.gemsTextColour;
    g.textShadowColor = q.gemsTextShadowColour;
    g.textCharSize = q.gemsTextCharSize;
    g.bigFlaresSize = q.bigFlaresSize;
    g.bigFlaresMaxT = q.bigFlaresMaxT;
    g.bigFlaresLifeTime = q.bigFlaresLifeTime;
    g.bigFlaresW = q.bigFlaresW;
    g.bigFlaresColor = q.bigFlaresColour;
    g.smallFlaresSize = q.smallFlaresSize;
    g.smallFlaresMaxT = q.smallFlaresMaxT;
    g.smallFlaresLifeTime = q.smallFlaresLifeTime;
    g.smallFlaresW = q.smallFlaresW;
    g.smallFlaresColor = q.smallFlaresColour;
    return g;
}

// The background scene of the menus.
const int32_t kInitSceneMainMenu = 6;

std::string NameOf(const char* file)
{
    std::string name = file;
    return name.substr(0, name.rfind('.'));
}

}  // namespace

bool CGame::MakeParticleBuffers()
{
    // The shared buffers hold as many vertices and indices as one draw can address.
    const DWORD vertexCount = device->maxVertexIndex < 65535 ? device->maxVertexIndex + 1 : 65536;
    const DWORD indexCount = device->maxPrimitiveCount < 65535 ? device->maxPrimitiveCount + 1 : 65536;
    particleVertexBuffer = device->CreateVertexBuffer(vertexCount, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0x242,
                                                      D3DPOOL_DEFAULT);
    if (!particleVertexBuffer)
    {
        AddError("Unable to create Particles VertexBuffer");
        LogText("Unable to create Particles VertexBuffer!\n");
        return false;
    }
    renderer->vertexBuffer = particleVertexBuffer;
    particleIndexBuffer = device->CreateIndexBuffer(indexCount, D3DFMT_INDEX16, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                                    D3DPOOL_DEFAULT);
    if (!particleIndexBuffer)
    {
        AddError("Unable to create Particles IndexBuffer");
        LogText("Unable to create Particles IndexBuffer!\n");
        return false;
    }
    renderer->indexBuffer = particleIndexBuffer;
    return true;
}

bool CGame::PreInit(HWND window, HINSTANCE instance)
{
    LoadStringTable((folders.texts + "Strings.txt").c_str(), (folders.data + "TextID.dat").c_str());
    this->window = window;
    this->instance = instance;
    const std::string options = folders.config + "Options.ini";
    graphicsOptions.Load(options.c_str());
    soundOptions.Load(options.c_str());
    gameOptions.Load(options.c_str());
    if (!MakeParticleBuffers())
        return false;

    firstSplash = device->MakeTexture("fsdata\\splash2.jpg", "fsdata\\splash2.jpg", 0, 0, D3DPOOL_MANAGED,
                                      D3DFMT_UNKNOWN);
    if (firstSplash)
        firstImagePresent = 1;
    secondSplash = device->MakeTexture("fsdata\\splash1.jpg", "fsdata\\splash1.jpg", 0, 0, D3DPOOL_MANAGED,
                                       D3DFMT_UNKNOWN);
    if (secondSplash)
        secondImagePresent = 1;
    return true;
}

void CGame::ShowLoading(float progress)
{
    loadingProgress = progress;
    // Under the splash the loading screen is drawn but not shown: the splash frame
    // draws over it, and the loading picture has reached the driver by the time the
    // loading screen comes up.
    if (renderer->DrawLoadingScreen(loadingImage, progress) >= 0 && !splashRunning)
        Present();
}

bool CGame::LoadTextureTable()
{
    const std::vector<D3DFORMAT> candidates = TextureFormatCandidates();
    for (const TableEntry& entry : kTextureTable)
    {
        const std::string file = folders.graphics + entry.file;
        const std::string name = NameOf(entry.file);
        CRefPtr<CTexture> texture;
        switch (entry.loader)
        {
        case kPlain:
            texture = device->MakeTexture(file, name, 0, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
            break;
        case kPlainSingle:
            texture = device->MakeTexture(file, name, 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
            break;
        case kAlphaLight:
            texture = device->LoadTextureWithAlpha(file, name, true, 0, D3DPOOL_MANAGED);
            break;
        case kAlphaColour:
            texture = device->LoadTextureWithAlpha(file, name, false, 0, D3DPOOL_MANAGED);
            break;
        case kChoose:
            texture = device->LoadTextureChooseFormat(file, name, candidates, 0, 0, D3DPOOL_MANAGED);
            break;
        }
        if (!texture)
        {
            const std::string message = "Unable to load " + name + " Texture";
            AddError(message);
            LogText((message + "!\n").c_str());
            return false;
        }
        (entry.effect ? effectTextures : screenTextures)[entry.member] = texture;

        if (entry.member == kTexCloud && entry.effect)
            ShowLoading(0.05f);
        else if (entry.member == kTexRing && entry.effect)
            ShowLoading(0.1f);
        else if (entry.member == kTexShopPointer && !entry.effect)
            ShowLoading(0.15f);
        // The big star is drawn only by the shop's star effects, which make it again
        // when the shop opens; until then it holds no video memory.
        if (entry.member == kTexBigStar && !entry.effect)
            texture->ReleaseTexture();
    }
    return true;
}

namespace {

// Init's loading steps, in their order: everything up to the sounds, none of which
// shows, plays or changes the display.
enum class LoadingStep : int32_t
{
    Options,
    LoadingPicture,
    QuestLayout,
    Textures,
    EffectManagers,
    Fonts,
    Tables,
    Interface,
    Caps,
    Board,
    Popups,
    ShopAndEffects,
    Backgrounds,
    SoundBank,
    SoundConversion,
    Sounds,
    Done,
};

// The loading screen's progress once each step is done; below 0: none (the loading
// picture and the texture table show their own).
const float kProgressAfter[] = {-1.0f, -1.0f, 0.025f, -1.0f, 0.2f, 0.25f, 0.3f, 0.5f,
                                0.55f, 0.65f, 0.75f, 0.8f, 0.85f, -1.0f, -1.0f, -1.0f};
static_assert(sizeof(kProgressAfter) / sizeof(kProgressAfter[0]) == static_cast<size_t>(LoadingStep::Done),
              "a progress for every loading step");

}  // namespace

bool CGame::LoadingDone() const
{
    return loadingFailed || loadingStep >= static_cast<int32_t>(LoadingStep::Done);
}

bool CGame::RunLoadingStep()
{
    if (LoadingDone())
        return false;
    const LoadingStep step = static_cast<LoadingStep>(loadingStep);
    bool ok = true;
    bool again = false;
    switch (step)
    {
    case LoadingStep::Options:
        ReadOptions();
        break;
    case LoadingStep::LoadingPicture:
        ok = ShowLoadingPicture();
        break;
    case LoadingStep::QuestLayout:
        questLayout.Load((folders.config + "Skin.cfg").c_str());
        break;
    case LoadingStep::Textures:
        ok = LoadTextureTable();
        break;
    case LoadingStep::EffectManagers:
        MakeEffectManagers();
        break;
    case LoadingStep::Fonts:
        ok = LoadFonts();
        break;
    case LoadingStep::Tables:
        MakeTextSet();
        LoadResultTables();
        break;
    case LoadingStep::Interface:
        ok = MakeInterface();
        break;
    case LoadingStep::Caps:
        ok = MakeCaps();
        break;
    case LoadingStep::Board:
        ok = MakeBoard();
        break;
    case LoadingStep::Popups:
        MakePopups();
        break;
    case LoadingStep::ShopAndEffects:
        MakeShop();
        MakeHudEffects();
        break;
    case LoadingStep::Backgrounds:
        MakeBackgrounds();
        break;
    case LoadingStep::SoundBank:
        StartSounds();
        break;
    case LoadingStep::SoundConversion:
        again = ConvertNextSound();
        break;
    case LoadingStep::Sounds:
        LoadSounds();
        break;
    case LoadingStep::Done:
        break;
    }
    if (!ok)
        loadingFailed = 1;
    else if (!again)
    {
        const float progress = kProgressAfter[loadingStep];
        if (progress >= 0.0f)
            ShowLoading(progress);
        ++loadingStep;
    }
    return !LoadingDone();
}

bool CGame::LoadDuringSplash()
{
    if (loadDuringSplash)
        RunLoadingStep();
    return !loadingFailed;
}

void CGame::FinishSoundConversion()
{
    while (!LoadingDone() && static_cast<LoadingStep>(loadingStep) == LoadingStep::SoundConversion)
        RunLoadingStep();
}

bool CGame::Init(HWND window, HINSTANCE instance)
{
    this->window = window;
    this->instance = instance;
    // Whatever the splash's holds have loaded is on the loading screen at once.
    if (loadingProgress >= 0.0f && !loadingFailed)
        ShowLoading(loadingProgress);
    while (RunLoadingStep())
    {
    }
    return !loadingFailed && FinishInit();
}

// The rest of Init waits for the end of the splash: the menu music, the gamma and the
// cursor are heard and seen.
bool CGame::FinishInit()
{
    StartMusic();
    ShowLoading(0.95f);
    MakeFpsText();
    renderer->SaveGammaRamp();
    gammaSaved = 1;
    renderer->SetBrightness(graphicsOptions.gamma);
    initComplete = 1;
    if (!MakeCursor())
        return false;
    EnterStartup();
    SelectPlayer();
    MakeTrophies();
    ShowLoading(1.0f);

    // The splash form shows the loading picture until the start-up sequence moves on.
    ui->ShowSplashPicture(loadingImage);
    return true;
}

// The star-award and life-lost effects of the quest's HUD.
void CGame::MakeHudEffects()
{
    starEffect = CRefPtr<CStarEffect>(new CStarEffect());
    starEffect->SetResources(spriteLists[2], particles[2], board ? &board->popups : nullptr, screenTextures[kTexBigStar],
                             effectTextures[kTexStarParticle], effectTextures[kTexRing]);
    starEffect->LoadSettings((folders.config + "Score.cfg").c_str(), "Star");
    lossEffect = CRefPtr<CLossEffect>(new CLossEffect());
    lossEffect->SetResources(spriteLists[3], particles[5], board ? &board->popups : nullptr,
                             board && board->bonusManager ? board->bonusManager->bonus3Texture : CRefPtr<CTexture>(),
                             effectTextures[kTexSpark]);
    lossEffect->LoadSettings((folders.config + "Score.cfg").c_str(), "Loss");
}

void CGame::MakeShop()
{
    shop = CRefPtr<CShop>(new CShop());
    shop->SetInterface(ui.Get());
    if (board)
    {
        shop->totems = &board->totems;
        shop->bonusMaker = board->bonusManager.Get();
    }
    // The sound bank comes with the sounds, later in the loading.
    shop->SetResources(spriteLists[3], device ? device->GetTextureByName("ShopCtrls1") : CRefPtr<CTexture>(),
                       device ? device->GetTextureByName("ShopCtrls2") : CRefPtr<CTexture>(), nullptr);
    shop->SetEffects(particles[4], particles[5], screenTextures[kTexShopPointer], effectTextures[kTexStarParticle],
                     effectTextures[kTexHalo1]);
    shop->SetSandGlass(effectTextures[kTexCloud], textSet, mainFont);
    shop->LoadSettings((folders.config + "Skin.cfg").c_str(), "Shop");
    // Without its texts the shop still sells: the descriptions stay empty.
    const std::string texts = folders.texts + "Shop.txt";
    const ShopTextsResult read = shop->items.LoadTexts(texts.c_str());
    if (read == ShopTextsResult::NoFile)
        LogText(("Unable to open " + texts + ": the shop shows no item texts\n").c_str());
    else if (read == ShopTextsResult::CutShort)
        LogText((texts + " ends early: the shop's later item texts are empty\n").c_str());
}

void CGame::ReadOptions()
{
    LoadStringTable((folders.texts + "Strings.txt").c_str(), (folders.data + "TextID.dat").c_str());
    // What saves cut short by a crash or a kill left behind; the player folders are
    // swept as the profile list reads them.
    for (const std::string* folder : {&folders.userConfig, &folders.sharedGameData, &folders.players})
        crt::RemoveStaleTemporaries(folder->c_str());
    const std::string userOptions = folders.userConfig + "Options.ini";
    graphicsOptions.Load(userOptions.c_str());
    soundOptions.Load(userOptions.c_str());
    gameOptions.Load(userOptions.c_str());
}

bool CGame::ShowLoadingPicture()
{
    // The loading picture, on screen before anything else loads.
    loadingImage = device->MakeTexture(folders.graphics + "Loading.jpg", "Loading", 0, 0, D3DPOOL_MANAGED,
                                       D3DFMT_UNKNOWN);
    if (!loadingImage)
    {
        AddError("Unable to load Loading.jpg Texture");
        LogText("Unable to load Loading.jpg Texture!\n");
        return false;
    }
    ShowLoading(0.0f);
    return true;
}

void CGame::MakeEffectManagers()
{
    for (int i = 0; i < 6; ++i)
    {
        particles[i] = CRefPtr<CParticleSystemsManager>(
            new CParticleSystemsManager(device, particleVertexBuffer, particleIndexBuffer));
        frameModules.particles[i] = particles[i];
        SetGameEnvironment(*particles[i]->environment);
    }
    for (int i = 0; i < 3; ++i)
    {
        spriteBatches[i] = CRefPtr<CSpriteBatch>(new CSpriteBatch(device, particleVertexBuffer, particleIndexBuffer));
        renderer->spriteBatches[i] = spriteBatches[i];
    }
}

bool CGame::LoadFonts()
{
    const std::vector<D3DFORMAT> candidates = TextureFormatCandidates();
    CRefPtr<CTexture> fontTexture =
        device->LoadTextureChooseFormat(folders.fonts + "Font.tga", "Font", candidates, 1, 0, D3DPOOL_MANAGED);
    if (!fontTexture)
    {
        AddError("Unable to load Font Texture");
        LogText("Unable to load Font Texture!\n");
        return false;
    }
    mainFont = CRefPtr<CFont>(new CFont(fontTexture));
    if (!mainFont->Load((folders.fonts + "Font.kfd").c_str()))
    {
        AddError("Unable to load Font.kfd");
        LogText("Unable to load Font.kfd!\n");
        return false;
    }
    fonts.clear();
    fonts.reserve(4);
    fonts.push_back(mainFont);
    LoadAdditionalFonts();
    // The gem bar and the pop-up messages take fonts 1 and 2: without them the game
    // cannot start, so say so instead of failing later.
    if (fonts.size() < kRequiredFontCount)
    {
        const std::string message = "Unable to load the additional fonts (AdditionalFonts.lst must name at least 2)";
        AddError(message);
        LogText((message + "!\n").c_str());
        return false;
    }
    return true;
}

void CGame::MakeTextSet()
{
    textSet = CRefPtr<CTextSet>(new CTextSet(device, particleVertexBuffer, particleIndexBuffer));
    renderer->texts = textSet;
}

void CGame::LoadResultTables()
{
    hiscores.topScore = 1500000;
    char tableName[32];
    std::snprintf(tableName, sizeof(tableName), "Game%d.tbl", 0);
    hiscores.Load((folders.sharedGameData + tableName).c_str());
    bestScores = CRefPtr<CBestResults>(new CBestResults(41));
    if (!bestScores->Load((folders.sharedGameData + "Sc.bst").c_str()))
        bestScores->SetScoreDefaults();
    bestTimes = CRefPtr<CBestResults>(new CBestResults(41));
    if (!bestTimes->Load((folders.sharedGameData + "Ti.bst").c_str()))
        bestTimes->SetLinearDefaults(15, 1215);
}

bool CGame::MakeInterface()
{
    ui = CRefPtr<CInterface>(
        new CInterface(instance, device, particleVertexBuffer, particleIndexBuffer, textSet, fonts));
    ui->hiscores = &hiscores;
    if (!ui->Load(folders, questLayout, levelParams))
    {
        AddError("Unable to create forms");
        LogText("Unable to create forms!\n");
        return false;
    }
    frameModules.ui = ui;
    screenTextures[kTexGemProgress] = device->GetTextureByName("GemProgress");
    return true;
}

bool CGame::MakeCaps()
{
    for (int i = 0; i < 4; ++i)
        spriteLists[i] = CRefPtr<CSpriteList>(new CSpriteList(device, particleVertexBuffer, particleIndexBuffer));
    for (int i = 1; i < 4; ++i)
        renderer->spriteLists[i - 1] = spriteLists[i];

    caps = CRefPtr<CCapsManager>(new CCapsManager(device, particleVertexBuffer, particleIndexBuffer));
    frameModules.caps = caps;
    if (!caps->LoadTextures(folders.graphics))
    {
        AddError("Unable to load caps Textures");
        LogText("Unable to load caps Textures!\n");
        return false;
    }
    if (!caps->LoadCapsAnimation(folders.data))
    {
        AddError("Unable to load caps Animation");
        LogText("Unable to load caps Animation!\n");
        return false;
    }
    return true;
}

bool CGame::MakeBoard()
{
    levelParams.Set(0, 1);

    board = CRefPtr<CPlayField>(new CPlayField(caps, &questLayout, &folders, &levelParams, &sandFillRate));
    board->Reset(0);
    // Short terminator sounds, as the player's options ask.
    board->altSounds = gameOptions.fastExplosionEnd;
    board->effectsA = particles[2];
    board->effectsB = particles[1];
    board->effectTexture0 = effectTextures[kTexSand];
    board->effectTexture1 = effectTextures[kTexCloud];
    board->effectTexture2 = effectTextures[kTexStarSand];
    if (board->fader)
    {
        board->fader->textures.push_back(screenTextures[kTexFrame]);
        board->fader->textures.push_back(screenTextures[kTexFrameBack]);
        frameModules.fader = board->fader;
    }
    if (!MakeGemBar())
        return false;
    MakeBoardEffects();
    MakeSandGlass();
    if (!MakeBonuses() || !MakeTotems())
        return false;
    // The map's first stage halo glows with the game's halo picture; the first
    // trophy's empty place keeps the buttons picture the play screen draws from.
    ui->SetMapTextures(effectTextures[kTexHalo1], device->GetTextureByName("Buttons"));
    return true;
}

bool CGame::MakeGemBar()
{
    CRefPtr<CGemsBuffer> gems(new CGemsBuffer());
    board->gemsBuffer = gems;
    if (board->fader)
        gems->origin = Vec3{board->fader->position[0], board->fader->position[1], board->fader->position[2]};
    gems->SetResources(device, screenTextures[kTexGemProgress], spriteLists[1], textSet, fonts[1], spriteBatches[1]);
    gems->ApplyLayout(GemsLayoutOf(questLayout));
    if (!gems->LoadBarGemsBitmap((folders.graphics + "BarGems.bmp").c_str()))
    {
        AddError("Error loading BarGems.bmp");
        LogText("Error!\n");
        return false;
    }
    if (!gems->CreateVisuals(instance))
    {
        AddError("Error! Unable to create Gems buffer Texture");
        LogText("Error! Unable to create Gems buffer Texture\n");
        return false;
    }

    return true;
}

void CGame::MakeBoardEffects()
{
    board->tokenSelector = CRefPtr<CTokenSelector>(new CTokenSelector(
        particles[2], spriteLists[1], spriteBatches[1], screenTextures[kTexSelector], effectTextures[kTexStarParticle]));
    board->tokenSelector->SetEffectsLevel(graphicsOptions.effects);

    // The terminators take their base time from the Effects option; their pictures by
    // role: the lock burst's stars, the chain sparks, the glows and the bolts.
    board->terminatorManager = CRefPtr<CTerminatorManager>(new CTerminatorManager(
        graphicsOptions.effects, &board->capList, particles[2], spriteBatches[1], spriteBatches[2], spriteLists[1]));
    board->terminatorManager->SetTextures(effectTextures[kTexStarParticle], effectTextures[kTexSpark],
                                          effectTextures[kTexHalo1], effectTextures[kTexLightning]);
}

// The sand glass beside the board: its pictures, the quest layout's values, the
// particles of its dust and flying sand, and the renderer's handle to draw it.
void CGame::MakeSandGlass()
{
    if (!board->sandbox)
        return;
    CSandbox& glass = *board->sandbox;
    glass.SetTextures(screenTextures[kTexSandbox], effectTextures[kTexSmallSand], effectTextures[kTexCloud],
                      screenTextures[kTexSandboxFront], screenTextures[kTexSandboxGlass],
                      screenTextures[kTexScoreFrenzyStar]);
    glass.LoadLayout(SandboxLayoutOf(questLayout));
    glass.particles = particles[2];
    frameModules.sandGlass = board->sandbox;
}

bool CGame::MakeBonuses()
{
    CRefPtr<CBonusManager> bonuses(new CBonusManager());
    board->bonusManager = bonuses;
    LoadBonusConfig((folders.config + "Gems.cfg").c_str(), (folders.config + "Bonus.cfg").c_str());
    bonuses->SetRenderers(spriteLists[1], spriteBatches[1], particles[2], spriteLists[2], particles[5], spriteBatches[2],
                          spriteLists[3]);
    // The bonus manager names its own missing picture in the log; the error box names it too.
    std::string failedPicture;
    if (!bonuses->LoadBonusTextures(folders.graphics, device, &failedPicture))
    {
        AddError("Unable to load " + failedPicture + " Texture");
        return false;
    }
    CRefPtr<CTexture> panelGlass;
    const int glass = device->FindTexture("PanelGlass");
    if (glass >= 0)
        panelGlass = device->textures[static_cast<size_t>(glass)];
    bonuses->SetTextures(effectTextures[kTexStarParticle], effectTextures[kTexHalo1], effectTextures[kTexRing],
                         effectTextures[kTexSpark], effectTextures[kTexLightning], effectTextures[kTexTwirl],
                         effectTextures[kTexTwirl], panelGlass);
    // The gem bar's flares and the multiplier pictures come with the bonus pictures.
    board->gemsBuffer->flareTexture = bonuses->gemFlaresTexture;
    return true;
}

bool CGame::MakeTotems()
{
    CTotemsManager& totems = board->totems;
    totems.LoadSettings((folders.config + "Totems.cfg").c_str());
    totems.SetRenderObjects(device, spriteLists[3], particles[5], spriteBatches[2], &levelParams);
    if (!totems.LoadTextures(folders.graphics))
    {
        LogText("Error loading Totems Textures\n");
        return false;
    }
    TotemGameTextures t;
    t[kTotemGameHalo] = effectTextures[kTexHalo1];
    t[kTotemGameSpellFuzzy] = effectTextures[kTexSpellFuzzy];
    t[kTotemGameFireCloud] = effectTextures[kTexFireCloud];
    t[kTotemGameStarParticle] = effectTextures[kTexStarParticle];
    t[kTotemGameTwirl] = effectTextures[kTexTwirl];
    t[kTotemGamePanelGlass] = device->GetTextureByName("PanelGlass");
    t[kTotemGameGemFlares] = board->bonusManager->gemFlaresTexture;
    t[kTotemGameLightning] = effectTextures[kTexLightning];
    t[kTotemGameSpark] = effectTextures[kTexSpark];
    t[kTotemGameCloud] = effectTextures[kTexCloud];
    t[kTotemGameChain] = caps->chainPicture;
    t[kTotemGameChainNext] = caps->chainAlpha;
    t[kTotemGameShopColor] = device->GetTextureByName("ShopColor");
    t[kTotemGameShopMul] = device->GetTextureByName("ShopMul");
    t[kTotemGameShopBW] = device->GetTextureByName("ShopBW");
    totems.SetTextures(t);
    return true;
}

void CGame::MakePopups()
{
    CPopupMessages::LoadSettings((folders.config + "Score.cfg").c_str());
    board->popups.SetResources(spriteLists[1], textSet, fonts[2], fonts[2], board->bonusManager->bonus3Texture);
    // The adviser counts its seconds down in the play screen's counter and keeps
    // the hint button off meanwhile; its arrows come from the adviser's picture.
    CRefPtr<CKMWindow> hintButton;
    if (CRefPtr<CKMForm> quest = ui->Form("Quest"))
        hintButton = quest->FindChild(kIdOverlay); // the hint button
    board->adviser.SetResources(ui->Widget(kFormQuest, kWidgetAdviserCounter).DynamicCast<CKMStatic>(), hintButton,
                                board->bonusManager->bonus4Texture, spriteLists[2]);
    board->adviser.Reset();
    board->ShowPanels(0, 0, 0.0f);
}

void CGame::MakeBackgrounds()
{
    backgrounds = CRefPtr<CBackgroundManager>(new CBackgroundManager());
    frameModules.backgrounds = backgrounds;
    backgrounds->SetResources(device, particleVertexBuffer, particleIndexBuffer);
    backgrounds->SetSharedResources(spriteLists[0], particles[0], spriteBatches[0], effectTextures[kTexFlare],
                                    effectTextures[kTexJungleFlash], effectTextures[kTexSmallSand],
                                    effectTextures[kTexCloud], effectTextures[kTexSpark], effectTextures[kTexHalo1],
                                    spriteLists[3]);
    backgrounds->LoadSettings((folders.config + "Background.cfg").c_str());
    backgrounds->Init(folders.graphics);
    backgrounds->enabled = 1;
    backgrounds->SetScene(kInitSceneMainMenu);
}

void CGame::StartSounds()
{
    soundBank = CRefPtr<CSoundBank>(new CSoundBank());
    if (soundBank->Init(window))
    {
        LogText("Error loading Sfx!\n");
        return;
    }
    soundBank->panDivisor = 520.0f / soundOptions.panFactor;
    const std::string userOptions = folders.userConfig + "Options.ini";
    soundConversion = std::make_unique<CSoundConversion>(userOptions.c_str(), folders.sounds.c_str(),
                                                         folders.sharedSounds.c_str());
}

// The first run's conversion, two sounds a call (a few milliseconds each, so the
// splash frames keep their pace); false once it has ended, or when the sound bank has
// not started and nothing is converted.
bool CGame::ConvertNextSound()
{
    return soundConversion && soundConversion->Step() && soundConversion->Step();
}

void CGame::LoadSounds()
{
    // Only a bank that has started loads its sounds.
    if (soundConversion)
    {
        soundConversion.reset();
        soundBank->LoadVolumeConfig((folders.sharedSounds + "Vol.cfg").c_str());
        if (soundBank->LoadSounds(folders.sharedSounds.c_str()) != 0)
        {
            soundBank->enabled = 0;
            LogText("Sounds Loading Error!\n");
        }
        soundBank->SetVolume(soundOptions.soundOn ? soundOptions.soundVolume : 0.0f);
    }
    ui->soundBank = soundBank;
    shop->SetSoundBank(soundBank.Get());
    backgrounds->SetSoundBank(soundBank);
    // The board hands the bank on to its token list and terminators.
    board->SetSoundBank(soundBank);
}

void CGame::StartMusic()
{
    music = CRefPtr<CMusic>(new CMusic(folders.music.c_str()));
    music->SetEnabled(soundOptions.musicOn);
    music->Play(CMusic::kTrackMainMenu);
    music->SetVolume(soundOptions.musicVolume);
    soundBank->music = music;
}

void CGame::MakeFpsText()
{
    fpsText = CRefPtr<CText>(new CText(mainFont));
    fpsText->visible = fpsShown;
    fpsText->colour = 0x80FFFFFFu;
    const float fpsScale = 0.75f * mainFont->GetBaseSize();
    fpsText->SetFontScale(fpsScale, fpsScale, 0);
    fpsText->SetString("FPS:");
    fpsText->position = Vec3{-511.5f, 377.5f, -2.0f};
    fpsText->PlaceCharacters();
    textSet->Add(fpsText);
}

bool CGame::MakeCursor()
{
    CRefPtr<CSurface> cursor = device->CreateSurface("CursorSurface", 32, 32, D3DFMT_A8R8G8B8);
    if (!cursor)
    {
        AddError("Unable to Create Cursor Surface");
        LogText("Unable to Create Cursor Surface!\n");
        return false;
    }
    if (cursor->LoadFromFile(device->device, folders.graphics + "Cursor.tga", 1) < 0)
    {
        AddError("Unable to Load Cursor.tga");
        LogText("Unable to Load Cursor.tga!\n");
        return false;
    }
    device->device->SetCursorProperties(0, 0, cursor->surface);

    return true;
}

void CGame::EnterStartup()
{
    state = kStateStartup;
    subState = kSubStateNormalPlay;
    stateTimer = 0.0f;
    phase = StartupPhase::StartFirstGroup;
    questMode = 0;
    levelKind = kLevelKindPlain;
    noProfile = 0;
}

void CGame::MakeTrophies()
{
    trophies = CRefPtr<CTrophies>(new CTrophies());
    trophies->LoadSettings((folders.config + "Skin.cfg").c_str());
    trophies->LoadDescriptions((folders.texts + "Trophies.txt").c_str());
    if (player)
        trophies->Load((folders.players + player->name + "\\Trophies.dat").c_str());
    trophyScreen.record = trophies;
    trophyScreen.ui = ui;
    trophyScreen.awardList = spriteLists[3];
    trophyScreen.backdropList = spriteLists[3];
    trophyScreen.sparkleBatch = spriteBatches[0];
    trophyScreen.effects = particles[1];
    trophyScreen.sounds = soundBank;
    trophyScreen.spellTexture = effectTextures[kTexStarParticle];
    trophyScreen.flashTexture = effectTextures[kTexFlare];
    trophyScreen.sparkleTexture = effectTextures[kTexSpark];
}

void CGame::SelectPlayer()
{
    CProfileList& list = *ui->profiles;
    int index = list.Find(gameOptions.profile);
    if (index < 0 && !list.profiles.empty())
    {
        // The stored name has gone: the first player takes over and is remembered.
        gameOptions.profile = list.profiles[0]->name;
        SaveGameOptions();
        index = 0;
    }
    if (index >= 0)
    {
        player = list.profiles[static_cast<size_t>(index)];
        ui->selectedProfile = index;
        if (index >= 5)
            ui->profileScroll = index - 5;
        ui->UpdateProfileGreeting();
        return;
    }
    char text[256];
    GetStringById(kDefaultPlayerStringId, text, sizeof(text));
    ui->SetProfileText(text, 0);
    noProfile = 1;
}
