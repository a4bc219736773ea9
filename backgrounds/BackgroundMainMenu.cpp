// The main-menu scene: the painting behind the menu.
#include "backgrounds/BackgroundMainMenu.h"

#include "engine/IniReader.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"
#include "effects/ParticleSystemsManager.h"
#include "audio/SoundBank.h"

namespace
{
const char kBackName[] = "BackgroundMainMenu";
const char kBackFile[] = "MainBack.jpg";
// Every shape of the scene sits half a pixel up-left (texel centres) and far back.
const float kOffsetX = -0.5f;
const float kOffsetY = 0.5f;
const float kOffsetZ = 999.0f;
const int32_t kBackZOrder = 100;
} // namespace

CBackgroundMainMenu::CBackgroundMainMenu() : shiftZone{-488.0f, 152.0f, -130.0f, 32.0f}, shiftRequested(0) {}

CBackgroundMainMenu::~CBackgroundMainMenu()
{
    Stop();
    UnloadTextures();
}

void CBackgroundMainMenu::SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib)
{
    device = d;
    vertexBuffer = vb;
    indexBuffer = ib;
}

void CBackgroundMainMenu::SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                                    CRefPtr<CSpriteBatch> batch, CRefPtr<CSpriteList> front)
{
    spriteList = list;
    particles = p;
    spriteBatch = batch;
    frontList = front;
}

void CBackgroundMainMenu::LoadSettings(const char* path)
{
    // Pixels from the top left become centred units with y up: left, top, right, bottom.
    float zone[4] = {24.0f, 232.0f, 382.0f, 352.0f};
    ReadIniFloat4(zone, path, "MainMenu", "FrontFoliageShiftZone", "24 232 382 352");
    shiftZone[0] = zone[0] - 512.0f;
    shiftZone[1] = 384.0f - zone[1];
    shiftZone[2] = zone[2] - 512.0f;
    shiftZone[3] = 384.0f - zone[3];
}

void CBackgroundMainMenu::Init() {}

void CBackgroundMainMenu::Hover(float x, float y)
{
    shiftRequested = (shiftZone[0] <= x && x <= shiftZone[2] && shiftZone[3] <= y && y <= shiftZone[1]) ? 1 : 0;
}

bool CBackgroundMainMenu::LoadTextures(std::string folder)
{
    if (!device.IsValid())
        return false;
    backTexture = device->GetTextureByName(kBackName);
    if (!backTexture.IsValid())
        backTexture = device->MakeTexture(folder + kBackFile, kBackName, 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    return backTexture.IsValid();
}

bool CBackgroundMainMenu::UnloadTextures()
{
    if (device.IsValid())
        device->RemoveTextureAt(device->FindTexture(kBackName));
    backTexture = CRefPtr<CTexture>();
    return true;
}

void CBackgroundMainMenu::Start()
{
    Stop();
    CRefPtr<CSpriteShape> back(
        new CSpriteShape(kOffsetX, kOffsetY, kOffsetZ, 1024.0f, 768.0f, 0xFFFFFFFFu, backTexture, 0));
    back->SetBlendMode(0, kBlendNormal);
    back->SetFrameUV(0, 0.0f, 0.0f, 1.0f, 0.75f);
    back->depthTest = 0;
    back->zWrite = 0;
    back->zOrder = kBackZOrder;
    back->layer = 0;
    shapes.push_back(back);
    if (spriteList.IsValid())
        spriteList->Add(back);
    shiftRequested = 0;
}

void CBackgroundMainMenu::Stop()
{
    if (spriteList.IsValid())
        for (const CRefPtr<CSpriteShape>& s : shapes)
            spriteList->Remove(s);
    shapes.clear();
}

void CBackgroundMainMenu::Update(float /*dt*/) {}

int32_t CBackgroundMainMenu::Render()
{
    return 0;
}
