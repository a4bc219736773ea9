// CBackgroundManager: owns the animated background scenes drawn behind the board
// and the menus, knows which one is shown and at which progress stage, and is the
// only way the rest of the game talks to them. The game makes it in Init and
// gives the renderer a handle; the renderer draws it first in every frame.
//
// The main-menu, museum, jungle and valley scenes are built; the door and treasury
// scenes keep only their stage so far.
#pragma once

#include <cstdint>
#include <string>

#include "backgrounds/BackgroundJungle.h"
#include "backgrounds/BackgroundMainMenu.h"
#include "backgrounds/BackgroundMuseum.h"
#include "backgrounds/BackgroundValley.h"
#include "engine/RefPtr.h"

class CBackgroundManager
{
public:
    enum
    {
        kNoScene = 0,
        kSceneMuseum = 1,
        kSceneJungle = 2,
        kSceneValley = 3,
        kSceneDoor = 4,
        kSceneTreasury = 5,
        kSceneMainMenu = 6,
    };

    CBackgroundManager();
    ~CBackgroundManager();

    void SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib);
    // The ten shared objects: background list, particles, batch, then the textures
    // Flare, JungleFlash, SmallSand, Cloud, Spark, Halo1, and the fourth sprite list.
    void SetSharedResources(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                            CRefPtr<CSpriteBatch> batch, CRefPtr<CTexture> flare, CRefPtr<CTexture> jungleFlash,
                            CRefPtr<CTexture> smallSand, CRefPtr<CTexture> cloud, CRefPtr<CTexture> spark,
                            CRefPtr<CTexture> halo1, CRefPtr<CSpriteList> frontList);
    void SetSoundBank(CRefPtr<CSoundBank> bank);
    void LoadSettings(const char* path);
    void Init(const std::string& graphicsFolder);

    // Shows scene `id` (1 to 6; anything else shows none); the same id again does nothing.
    void SetScene(int32_t id);
    // The progress stage of the current level scene; `quiet` shows it without fanfare.
    void SetStage(int32_t stage, int32_t quiet);
    void Update(float dt);
    // Draws the current scene: 0, or the negative device result of a failed lock.
    int32_t Render();

    // The main menu's foliage zone and the flag the menu raises while hovering it.
    CBackgroundMainMenu& MainMenu() { return mainMenu; }
    CBackgroundMuseum& Museum() { return museum; }
    CBackgroundJungle& Jungle() { return jungle; }
    CBackgroundValley& Valley() { return valley; }

    int32_t enabled;      // while 0 nothing is drawn and the renderer skips the background
    int32_t currentScene; // 0 none
    int32_t currentStage;

private:
    bool LoadSceneTextures(int32_t id);
    bool UnloadSceneTextures(int32_t id);
    void StartScene(int32_t id);
    void StopScene(int32_t id);
    // The stage the current scene shows after it was asked for `stage`.
    int32_t SetSceneStage(int32_t stage, int32_t quiet);
    int32_t RenderScene();

    std::string folder;
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CTexture> flareTexture;
    CRefPtr<CTexture> jungleFlashTexture;
    CBackgroundMuseum museum;
    CBackgroundJungle jungle;
    CBackgroundValley valley;
    CBackgroundMainMenu mainMenu;
    int32_t levelStages[kSceneTreasury + 1]; // the level scenes' own stages, by id
};
