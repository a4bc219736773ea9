// The background manager: which scene is shown and at which stage.
#include "backgrounds/BackgroundManager.h"

#include <string>

#include "audio/SoundBank.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/Log.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

namespace
{
const char* const kSceneNames[] = {"", "Museum", "Jungle", "Valley", "Door", "Treasury", "MainMenu"};
// The highest progress stage of each level scene, by id.
const int32_t kLastStage[] = {0, 5, 6, 8, 10, 12};

bool IsScene(int32_t id)
{
    return id >= CBackgroundManager::kSceneMuseum && id <= CBackgroundManager::kSceneMainMenu;
}

bool IsLevelScene(int32_t id)
{
    return id >= CBackgroundManager::kSceneMuseum && id <= CBackgroundManager::kSceneTreasury;
}
} // namespace

CBackgroundManager::CBackgroundManager() : enabled(0), currentScene(kNoScene), currentStage(0), levelStages{} {}

CBackgroundManager::~CBackgroundManager() = default;

void CBackgroundManager::SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib)
{
    device = d;
    vertexBuffer = vb;
    indexBuffer = ib;
    door.SetResources(d, vb, ib);
    treasury.SetResources(d, vb, ib);
    mainMenu.SetResources(d, vb, ib);
}

void CBackgroundManager::SetSharedResources(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                                            CRefPtr<CSpriteBatch> batch, CRefPtr<CTexture> flare,
                                            CRefPtr<CTexture> jungleFlash, CRefPtr<CTexture> smallSand,
                                            CRefPtr<CTexture> cloud, CRefPtr<CTexture> spark,
                                            CRefPtr<CTexture> halo1, CRefPtr<CSpriteList> frontList)
{
    spriteList = list;
    particles = p;
    spriteBatch = batch;
    flareTexture = flare;
    jungleFlashTexture = jungleFlash;
    door.SetShared(list, p, batch, flare, smallSand, cloud, spark);
    treasury.SetShared(list, p, batch, flare, spark, halo1);
    mainMenu.SetShared(list, p, batch, frontList);
}

void CBackgroundManager::SetSoundBank(CRefPtr<CSoundBank> bank)
{
    door.soundBank = bank;
    treasury.soundBank = bank;
    mainMenu.soundBank = bank;
}

void CBackgroundManager::LoadSettings(const char* path)
{
    door.LoadSettings(path);
    treasury.LoadSettings(path);
    mainMenu.LoadSettings(path);
}

void CBackgroundManager::Init(const std::string& graphicsFolder)
{
    folder = graphicsFolder;
    door.Init();
    treasury.Init();
    mainMenu.Init();
}

bool CBackgroundManager::LoadSceneTextures(int32_t id)
{
    if (id == kSceneDoor)
        return door.LoadTextures(folder);
    if (id == kSceneTreasury)
        return treasury.LoadTextures(folder);
    if (id == kSceneMainMenu)
        return mainMenu.LoadTextures(folder);
    return true;
}

bool CBackgroundManager::UnloadSceneTextures(int32_t id)
{
    if (id == kSceneDoor)
        return door.UnloadTextures();
    if (id == kSceneTreasury)
        return treasury.UnloadTextures();
    if (id == kSceneMainMenu)
        return mainMenu.UnloadTextures();
    return true;
}

void CBackgroundManager::SetScene(int32_t id)
{
    if (id == currentScene)
        return;
    if (IsScene(currentScene))
    {
        if (!UnloadSceneTextures(currentScene))
            LogText((std::string("Error unloading background textures for ") + kSceneNames[currentScene] + "!\n").c_str());
        if (currentScene == kSceneDoor)
            door.Stop();
        if (currentScene == kSceneTreasury)
            treasury.Stop();
        if (currentScene == kSceneMainMenu)
            mainMenu.Stop();
    }
    currentScene = id;
    currentStage = 0;
    if (!IsScene(id))
        return;
    if (!LoadSceneTextures(id))
        LogText((std::string("Error loading background textures for ") + kSceneNames[id] + "!\n").c_str());
    if (id == kSceneDoor)
        door.Start();
    if (id == kSceneTreasury)
        treasury.Start();
    if (id == kSceneMainMenu)
        mainMenu.Start();
}

void CBackgroundManager::SetStage(int32_t stage, int32_t quiet)
{
    currentStage = stage;
    if (currentScene == kSceneDoor)
    {
        door.SetStage(stage, quiet);
        currentStage = door.Stage();
    }
    else if (currentScene == kSceneTreasury)
    {
        treasury.SetStage(stage, quiet);
        currentStage = treasury.Stage();
    }
    else if (IsLevelScene(currentScene))
    {
        int32_t& own = levelStages[currentScene];
        own = stage < 0 ? 0 : (stage > kLastStage[currentScene] ? kLastStage[currentScene] : stage);
        currentStage = own;
    }
    else if (currentScene == kSceneMainMenu)
    {
        currentStage = 0;
    }
}

void CBackgroundManager::Update(float dt)
{
    if (spriteList.IsValid())
        spriteList->UpdateAll(dt, 0);
    if (currentScene == kSceneDoor)
        door.Update(dt);
    if (currentScene == kSceneTreasury)
        treasury.Update(dt);
    if (currentScene == kSceneMainMenu)
        mainMenu.Update(dt);
}

int32_t CBackgroundManager::Render()
{
    if (!enabled || !IsScene(currentScene))
        return 0;
    // The opaque picture and layer 0 first, the scene's own geometry, then layer 1.
    if (spriteList.IsValid())
    {
        spriteList->DrawOpaque();
        spriteList->DrawBlended(0);
    }
    int32_t result = 0;
    if (currentScene == kSceneDoor)
        result = door.Render();
    if (currentScene == kSceneTreasury)
        result = treasury.Render();
    if (currentScene == kSceneMainMenu)
        result = mainMenu.Render();
    if (spriteList.IsValid())
        spriteList->DrawBlended(1);
    return result;
}
