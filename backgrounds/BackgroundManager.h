// CBackgroundManager: owns the animated background scenes drawn behind the board
// and the menus, knows which one is shown and at which progress stage, and is the
// only way the rest of the game talks to them. The game makes it in Init and
// gives the renderer a handle; the renderer draws it first in every frame.
//
// For now it keeps the shown scene and stage and draws nothing of its own: the
// scenes come with the backgrounds.
#pragma once

#include <cstdint>

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

    // Shows scene `id` (1 to 6; anything else shows none).
    void SetScene(int32_t id);
    // The progress stage of the current level scene; `quiet` shows it without fanfare.
    void SetStage(int32_t stage, int32_t quiet);
    void Update(float dt);
    // Draws the current scene: 0, or the negative device result of a failed lock.
    int32_t Render();

    int32_t enabled;      // while 0 nothing is drawn and the renderer skips the background
    int32_t currentScene; // 0 none
    int32_t currentStage;
};
