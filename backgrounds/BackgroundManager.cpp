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
    museum.SetResources(d, vb, ib);
    jungle.SetResources(d, vb, ib);
    valley.SetResources(d, vb, ib);
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
    museum.SetShared(list, p, batch, flare, spark);
    jungle.SetShared(list, p, batch, flare, jungleFlashTexture, spark);
    valley.SetShared(list, p, batch, flare, spark);
    door.SetShared(list, p, batch, flare, smallSand, cloud, spark);
    treasury.SetShared(list, p, batch, flare, spark, halo1);
    mainMenu.SetShared(list, p, batch, frontList);
}

void CBackgroundManager::SetSoundBank(CRefPtr<CSoundBank> bank)
{
    museum.soundBank = bank;
    jungle.soundBank = bank;
    valley.soundBank = bank;
    door.soundBank = bank;
    treasury.soundBank = bank;
    mainMenu.soundBank = bank;
}

void CBackgroundManager::LoadSettings(const char* path)
{
    museum.LoadSettings(path);
    jungle.LoadSettings(path);
    valley.LoadSettings(path);
    door.LoadSettings(path);
    treasury.LoadSettings(path);
    mainMenu.LoadSettings(path);
}

void CBackgroundManager::Init(const std::string& graphicsFolder)
{
    folder = graphicsFolder;
    museum.Init();
    jungle.Init();
    jungle.LoadFlashMask((folder + "JungleFlashMask.bmp").c_str());
    valley.Init();
    door.Init();
    treasury.Init();
    mainMenu.Init();
}

bool CBackgroundManager::LoadSceneTextures(int32_t id)
{
    switch (id)
    {
    case kSceneMuseum: return museum.LoadTextures(folder);
    case kSceneJungle: return jungle.LoadTextures(folder);
    case kSceneValley: return valley.LoadTextures(folder);
    case kSceneDoor: return door.LoadTextures(folder);
    case kSceneTreasury: return treasury.LoadTextures(folder);
    case kSceneMainMenu: return mainMenu.LoadTextures(folder);
    default: return true;
    }
}

bool CBackgroundManager::UnloadSceneTextures(int32_t id)
{
    switch (id)
    {
    case kSceneMuseum: return museum.UnloadTextures();
    case kSceneJungle: return jungle.UnloadTextures();
    case kSceneValley: return valley.UnloadTextures();
    case kSceneDoor: return door.UnloadTextures();
    case kSceneTreasury: return treasury.UnloadTextures();
    case kSceneMainMenu: return mainMenu.UnloadTextures();
    default: return true;
    }
}

void CBackgroundManager::StartScene(int32_t id)
{
    switch (id)
    {
    case kSceneMuseum: museum.Start(); break;
    case kSceneJungle: jungle.Start(); break;
    case kSceneValley: valley.Start(); break;
    case kSceneDoor: door.Start(); break;
    case kSceneTreasury: treasury.Start(); break;
    case kSceneMainMenu: mainMenu.Start(); break;
    default: break;
    }
}

void CBackgroundManager::StopScene(int32_t id)
{
    switch (id)
    {
    case kSceneMuseum: museum.Stop(); break;
    case kSceneJungle: jungle.Stop(); break;
    case kSceneValley: valley.Stop(); break;
    case kSceneDoor: door.Stop(); break;
    case kSceneTreasury: treasury.Stop(); break;
    case kSceneMainMenu: mainMenu.Stop(); break;
    default: break;
    }
}

int32_t CBackgroundManager::SetSceneStage(int32_t stage, int32_t quiet)
{
    switch (currentScene)
    {
    case kSceneMuseum: museum.SetStage(stage, quiet); return museum.Stage();
    case kSceneJungle: jungle.SetStage(stage, quiet); return jungle.Stage();
    case kSceneValley: valley.SetStage(stage, quiet); return valley.Stage();
    case kSceneDoor: door.SetStage(stage, quiet); return door.Stage();
    case kSceneTreasury: treasury.SetStage(stage, quiet); return treasury.Stage();
    default: break;
    }
    int32_t& own = levelStages[currentScene];
    own = stage < 0 ? 0 : (stage > kLastStage[currentScene] ? kLastStage[currentScene] : stage);
    return own;
}

void CBackgroundManager::SetScene(int32_t id)
{
    if (id == currentScene)
        return;
    if (IsScene(currentScene))
    {
        if (!UnloadSceneTextures(currentScene))
            LogText((std::string("Error unloading background textures for ") + kSceneNames[currentScene] + "!\n").c_str());
        StopScene(currentScene);
    }
    currentScene = id;
    currentStage = 0;
    if (!IsScene(id))
        return;
    if (!LoadSceneTextures(id))
        LogText((std::string("Error loading background textures for ") + kSceneNames[id] + "!\n").c_str());
    StartScene(id);
}

void CBackgroundManager::SetStage(int32_t stage, int32_t quiet)
{
    currentStage = stage;
    if (IsLevelScene(currentScene))
        currentStage = SetSceneStage(stage, quiet);
    else if (currentScene == kSceneMainMenu)
    {
        currentStage = 0;
    }
}

void CBackgroundManager::Update(float dt)
{
    if (spriteList.IsValid())
        spriteList->UpdateAll(dt, 0);
    switch (currentScene)
    {
    case kSceneMuseum: museum.Update(dt); break;
    case kSceneJungle: jungle.Update(dt); break;
    case kSceneValley: valley.Update(dt); break;
    case kSceneDoor: door.Update(dt); break;
    case kSceneTreasury: treasury.Update(dt); break;
    case kSceneMainMenu: mainMenu.Update(dt); break;
    default: break;
    }
}

int32_t CBackgroundManager::Render()
{
    if (!enabled || !IsScene(currentScene))
        return 0;
    // The valley draws its clouds under its own projection and makes its own passes.
    if (currentScene == kSceneValley)
        return valley.Render();
    // The opaque picture and layer 0 first, the scene's own geometry, then layer 1.
    if (spriteList.IsValid())
    {
        spriteList->DrawOpaque();
        spriteList->DrawBlended(0);
    }
    const int32_t result = RenderScene();
    if (spriteList.IsValid())
        spriteList->DrawBlended(1);
    return result;
}

int32_t CBackgroundManager::RenderScene()
{
    switch (currentScene)
    {
    case kSceneMuseum: return museum.Render();
    case kSceneJungle: return jungle.Render();
    case kSceneDoor: return door.Render();
    case kSceneTreasury: return treasury.Render();
    case kSceneMainMenu: return mainMenu.Render();
    default: return 0;
    }
}
