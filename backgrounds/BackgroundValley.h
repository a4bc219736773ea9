// CBackgroundValley: the living picture behind the board at the valley's levels.
// A sky of clouds drifts overhead as a horizontal plane seen in perspective (drawn
// under the scene's own projection, which it puts back afterwards); a mask darkens
// the clouds towards the far ridges, the painting is screened over them, and a fan
// of light rays turns slowly from the sun; eight gems light up as the valley's
// levels are won, and a last flare with the eighth. Owned by the background manager;
// its tuning is section "Valley" of "Background.cfg".
#pragma once

#include <cstdint>
#include <string>

#include "backgrounds/SceneParts.h"
#include "engine/RefPtr.h"
#include "platform/d3d8.h"
#include "render/SpriteShape.h" // CUV

class CTexture;

class CBackgroundValley : public scene::SceneResources
{
public:
    enum
    {
        kLastStage = 8,
    };

    CBackgroundValley();
    ~CBackgroundValley();

    void LoadSettings(const char* path);
    // Builds the perspective the cloud plane is seen in.
    void Init();
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    void SetStage(int32_t newStage, int32_t newQuiet);
    // Draws the whole scene, its own sprite-list passes included; always 0.
    int32_t Render();

    // Tuning (built-in values until LoadSettings).
    std::string cloudTextureFile;
    std::string maskTextureFile;
    std::string flareRaysTextureFile;
    float flareCenter[2];
    float flareRaysSize[2];
    float flareRaysSpin;
    float fieldOfView;    // radians, across
    float cloudCenter[3]; // x 0, the plane's height, the distance of its middle
    float cloudSize[2];   // across, and in depth
    float cloudTexFactor;
    CUV cloudTexSpan;
    float maskCenter[3];
    float maskSize[2];
    float maskTexRect[4]; // left, top, right, bottom
    CUV cloudTexSpeed;    // texture units a second

    CUV cloudTexOffset; // kept in 0..1
    D3DMATRIX projection;

    CRefPtr<CSpriteShape> backgroundShape;
    CRefPtr<CSpriteShape> flareRaysShape;
    CRefPtr<CSpriteShape> cloudShape;
    CRefPtr<CSpriteShape> maskShape;

private:
    // The scene's own textures: names, files, loaders and handles.
    scene::SceneTextures Textures();
    void ScrollClouds(float dt);

    CRefPtr<CTexture> backgroundTexture;
    CRefPtr<CTexture> cloudTexture;
    CRefPtr<CTexture> maskTexture;
    CRefPtr<CTexture> flareRaysTexture;
};
