// The game object's life: construction, destruction in the reverse of member order,
// the input handlers the window procedure calls, the mouse mapping and the swap of the
// quest-panel and shop textures.
#include "game/Game.h"
#include "field/PlayField.h"

#include <cstdio>

#include "audio/Music.h"
#include "audio/SoundConversion.h"
#include "audio/SoundBank.h"
#include "engine/Log.h"
#include "saves/BestResults.h"
#include "saves/Profiles.h"
#include "saves/QuestSave.h"
#include "saves/Trophies.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/Renderer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/Texture.h"
#include "effects/ParticleSystemsManager.h"
#include "screens/Interface.h"

void (*CGame::beforePresent)(CGame& game) = nullptr;
bool (*CGame::skipDrawing)(CGame& game) = nullptr;

CGame::CGame(CRefPtr<CRenderer> renderer)
    : fullScreen(0), displayWord(0), window(nullptr), instance(nullptr), fpsShown(0), fps(0.0f), state(kStateNone),
      subState(0), stateTimer(0.0f), phase(0), questMode(0), levelKind(kLevelKindPlain), questId{}, hiscoreMade(0),
      levelTimer(0.0f), questJustLoaded(0), levelFlag(0), initComplete(0), gammaSaved(0), lives(0), tokenPicked(0),
      blinkTimers{0.0f, 0.0f}, currentVideoMode(0), pendingVideoMode(0), noProfile(0), secondImagePresent(0),
      firstImagePresent(0), splashPhase(0), splashTimer(0.0f), splashRunning(0), sandFillRate(1.0f), mouseX(0.0f), mouseY(0.0f)
{
    this->renderer = renderer;
    if (renderer)
        device = renderer->device;
    questSave = CRefPtr<CQuestSave>(new CQuestSave());
}

CGame::~CGame()
{
    // Everything that draws through the device goes before the renderer, and the
    // game's own device handle after it, so that no resource outlives its device.
    frameModules.Reset();
    loadingImage.Reset();
    firstSplash.Reset();
    secondSplash.Reset();
    trophyScreen = CTrophyScreen();
    trophies.Reset();
    bestTimes.Reset();
    bestScores.Reset();
    lossEffect.Reset();
    starEffect.Reset();
    shop.Reset();
    backgrounds.Reset();
    board.Reset();
    for (int i = kScreenTextureCount - 1; i >= 0; --i)
        screenTextures[i].Reset();
    caps.Reset();
    player.Reset();
    for (int i = 3; i >= 0; --i)
        spriteLists[i].Reset();
    questSave.Reset();
    soundBank.Reset();
    music.Reset();
    ui.Reset();
    textSet.Reset();
    fonts.clear();
    mainFont.Reset();
    for (int i = 2; i >= 0; --i)
        spriteBatches[i].Reset();
    for (int i = kEffectTextureCount - 1; i >= 0; --i)
        effectTextures[i].Reset();
    for (int i = 5; i >= 0; --i)
        particles[i].Reset();
    particleIndexBuffer.Reset();
    particleVertexBuffer.Reset();
    fpsText.Reset();
    renderer.Reset();
    device.Reset();
}

std::string CGame::LastError() const
{
    return errors.empty() ? std::string("Unknown Error!") : errors.back();
}

void CGame::AddError(const std::string& message)
{
    errors.push_back(message);
}

void CGame::MapCursor(int cursorX, int cursorY, int clientWidth, int clientHeight, float* x, float* y)
{
    // Half the width of the 4:3 area centred in the window. A window shorter than two
    // pixels has no such area: treat it as one unit wide rather than divide by zero.
    int halfWidth = ((clientHeight / 2) * 4) / 3;
    if (halfWidth < 1)
        halfWidth = 1;
    *x = static_cast<float>(cursorX - clientWidth / 2) * 512.0f / static_cast<float>(halfWidth);
    *y = static_cast<float>(cursorY - clientHeight / 2) * -512.0f / static_cast<float>(halfWidth);
}

void CGame::PolledMouse(float* x, float* y) const
{
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    MapCursor(cursor.x, cursor.y, client.right, client.bottom, x, y);
}

bool CGame::SkipLogoGroup()
{
    // A click or key during the start-up sequence drops the logo group on show.
    if (state != kStateStartup || phase < StartupPhase::FirstGroup ||
        phase % StartupPhase::GroupStride != StartupPhase::GroupHold)
        return false;
    stateTimer = questLayout.splashLifeTime;
    return true;
}

void CGame::SetFps(float value)
{
    fps = value;
    if (fpsText && fpsShown)
    {
        char text[64];
        std::snprintf(text, sizeof(text), "FPS: %.2f", static_cast<double>(value));
        fpsText->SetString(text);
    }
}

void CGame::ToggleFps()
{
    fpsShown = fpsShown ? 0 : 1;
    if (fpsText)
        fpsText->visible = fpsShown;
}

int CGame::SwapPanelTextures(int shopOpening, int keep)
{
    auto release = [this](const char* name, const char* missing) {
        CRefPtr<CTexture> texture = device->GetTextureByName(name);
        if (texture)
            texture->ReleaseTexture();
        else
            LogText(missing);
    };
    auto recreate = [this](const char* name, const char* missing) {
        CRefPtr<CTexture> texture = device->GetTextureByName(name);
        if (texture)
            texture->Recreate(device->device);
        else
            LogText(missing);
    };
    CRefPtr<CTexture>& bigStar = screenTextures[kTexBigStar];
    if (board)
        board->totems.RecreateTextures(shopOpening, folders.graphics);
    if (shopOpening)
    {
        release("PanelQuest", "Unable to find texture PanelQuest (Release)\n");
        recreate("ShopFrame", "Unable to find texture ShopFrame (Recreate)\n");
        if (bigStar)
            bigStar->ReleaseTexture();
    }
    else
    {
        release("ShopFrame", "Unable to find texture ShopFrame (Release)\n");
        if (!keep)
        {
            recreate("PanelQuest", "Unable to find texture PanelQuest (Recreate)\n");
            if (bigStar)
                bigStar->Recreate(device->device);
            else
                LogText("Unable to find texture BigStar (Recreate)\n");
        }
    }
    return 1;
}
