// CBackgroundMainMenu: the living picture behind the main menu. It holds the painting
// "MainBack.jpg" as an opaque shape at the back of the shared sprite list; the hover
// rectangle and flag let the menu ask the front foliage to shift aside.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RefPtr.h"

class CDevice;
class CIndexBuffer;
class CParticleSystemsManager;
class CSoundBank;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CTexture;
class CVertexBuffer;

class CBackgroundMainMenu
{
public:
    CBackgroundMainMenu();
    ~CBackgroundMainMenu();

    void SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib);
    void SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p, CRefPtr<CSpriteBatch> batch,
                   CRefPtr<CSpriteList> frontList);
    void LoadSettings(const char* path);
    void Init();
    // True when every picture of the scene is held; a missing one leaves an empty handle.
    bool LoadTextures(std::string folder);
    bool UnloadTextures();
    void Start();
    void Stop();
    void Update(float dt);
    int32_t Render();

    // The menu's cursor, centred with y up: raises the shift flag inside the zone.
    void Hover(float x, float y);

    // The zone over which the front foliage shifts aside (left, top, right, bottom,
    // centred with y up), and the flag raised while the cursor is inside it.
    float shiftZone[4];
    int32_t shiftRequested;

    CRefPtr<CSoundBank> soundBank;
    CRefPtr<CSpriteList> spriteList;

private:
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CParticleSystemsManager> particles;
    CRefPtr<CSpriteBatch> spriteBatch;
    CRefPtr<CSpriteList> frontList;
    CRefPtr<CTexture> backTexture;
    std::vector<CRefPtr<CSpriteShape>> shapes;
};
