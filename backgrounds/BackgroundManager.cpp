// The background manager: which scene is shown and at which stage.
#include "backgrounds/BackgroundManager.h"

CBackgroundManager::CBackgroundManager() : enabled(0), currentScene(kNoScene), currentStage(0) {}

CBackgroundManager::~CBackgroundManager() = default;

void CBackgroundManager::SetScene(int32_t id)
{
    currentScene = (id >= kSceneMuseum && id <= kSceneMainMenu) ? id : kNoScene;
}

void CBackgroundManager::SetStage(int32_t stage, int32_t /*quiet*/)
{
    if (currentScene >= kSceneMuseum && currentScene <= kSceneTreasury)
        currentStage = stage;
}

void CBackgroundManager::Update(float /*dt*/) {}

int32_t CBackgroundManager::Render()
{
    return 0;
}
