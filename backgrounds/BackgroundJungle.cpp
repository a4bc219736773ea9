// The jungle scene: the painting, the drifting mist, the turning rays, the glints,
// the gems of the jungle's levels.
#include "backgrounds/BackgroundJungle.h"

#include "audio/SoundBank.h"
#include "backgrounds/SceneParts.h"
#include "engine/IniReader.h"
#include "render/Device.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/Texture.h"

namespace
{
const char kJungleSection[] = "Jungle";
const char kBackgroundName[] = "BackgroundJungle";
const std::string kBackgroundFile("Jungle.jpg");
const char kFogName[] = "JungleFog";
const char kMaskName[] = "JungleMask";
const char kFlareRaysName[] = "JungleFlareRays";
// The fog lies just in front of the painting.
const float kFogZ = scene::kOffsetZ - 1.0f;

// Six gems under the mist (layer 0), and a seventh flare for the last.
const OrnamentVariant kJungleOrnaments = {
    kJungleSection,       CBackgroundJungle::kLastStage, 0, -2, false, "500 441 80 64", "2 802 82 866", "310 465 240 60",
    "2 802 82 866", "255 255 255 255",             "538 475 152", "123 12 255 255",
};

// Keeps a scroll offset in 0..1: at 1 or more it loses 1, below 0 it gains 1.
float WrapScroll(float v)
{
    if (v >= 1.0f)
        v -= 1.0f;
    else if (v < 0.0f)
        v += 1.0f;
    return v;
}
} // namespace

CBackgroundJungle::CBackgroundJungle()
    : scene::SceneResources(kJungleOrnaments), fogTextureFile("JungleFog.jpg"), maskTextureFile("JungleMask.tga"),
      flareRaysTextureFile("JungleFlareRays.tga"), fogLeft(-320.0f), fogTop(142.0f), fogWidth(740.0f),
      fogHeight(332.0f), fogTexSize{2.890625f, 1.0f}, fogTexVelocity{0.01f, 0.0f}, flareCenter{-210.0f, 303.0f},
      flareRaysSize{714.0f, 714.0f}, flareRaysSpin(-0.103003f), fogScroll{0.0f, 0.0f}
{
}

CBackgroundJungle::~CBackgroundJungle()
{
    Stop();
    UnloadTextures();
}

void CBackgroundJungle::SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                                  CRefPtr<CSpriteBatch> batch, CRefPtr<CTexture> flare, CRefPtr<CTexture> flash,
                                  CRefPtr<CTexture> spark)
{
    scene::SceneResources::SetShared(list, p, batch, flare, spark);
    flashTexture = flash;
}

void CBackgroundJungle::LoadSettings(const char* path)
{
    ReadIniStdString(fogTextureFile, path, kJungleSection, "FogTexture", "JungleFog.jpg");
    ReadIniStdString(maskTextureFile, path, kJungleSection, "MaskTexture", "JungleMask.tga");
    ReadIniStdString(flareRaysTextureFile, path, kJungleSection, "FlareRaysTexture", "JungleFlareRays.tga");
    float fog[4] = {192.0f, 242.0f, 740.0f, 332.0f};
    ReadIniFloat4(fog, path, kJungleSection, "Fog", "192 242 740 332");
    fogLeft = scene::CentredX(fog[0]);
    fogTop = scene::CentredY(fog[1]);
    fogWidth = fog[2];
    fogHeight = fog[3];
    float pair[2] = {2.890625f, 1.0f};
    ReadIniFloat2(pair, path, kJungleSection, "FogTSize", "2.890625 1");
    fogTexSize = {pair[0], pair[1]};
    pair[0] = 0.01f;
    pair[1] = 0.0f;
    ReadIniFloat2(pair, path, kJungleSection, "FogTVector", "0.01 0");
    fogTexVelocity = {pair[0], pair[1]};
    pair[0] = 302.0f;
    pair[1] = 81.0f;
    ReadIniFloat2(pair, path, kJungleSection, "FlareCenter", "302 81");
    flareCenter[0] = scene::CentredX(pair[0]);
    flareCenter[1] = scene::CentredY(pair[1]);
    ReadIniFloat2(flareRaysSize, path, kJungleSection, "FlareRaysSize", "714 714");
    flareRaysSpin = scene::SpinOfTurnTime(ReadIniFloat(path, kJungleSection, "FlareRaysRotT", "-61"));
    flashes.LoadSettings(path, kJungleSection);
    ornaments.LoadSettings(path);
}

void CBackgroundJungle::Init()
{
    const float left = fogLeft + scene::kOffsetX, top = fogTop + scene::kOffsetY;
    const float corners[4][4] = {{left, top, 0.0f, 0.0f},
                                 {left + fogWidth, top, 1.0f, 0.0f},
                                 {left + fogWidth, top - fogHeight, 1.0f, 1.0f},
                                 {left, top - fogHeight, 0.0f, 1.0f}};
    fogVertices.assign(4, CVertex{});
    for (size_t i = 0; i < 4; ++i)
    {
        CVertex& v = fogVertices[i];
        v.x = corners[i][0];
        v.y = corners[i][1];
        v.z = kFogZ;
        v.colour = 0;
        v.u2 = corners[i][2];
        v.v2 = corners[i][3];
    }
    fogIndices = {0, 1, 2, 0, 2, 3};
    Update(0.0f);
}

bool CBackgroundJungle::LoadFlashMask(const char* path)
{
    return flashes.LoadMask(path);
}

scene::SceneTextures CBackgroundJungle::Textures()
{
    using scene::TextureLoader;
    return {{{kBackgroundName, kBackgroundFile, TextureLoader::Plain, backgroundTexture},
            {kFogName, fogTextureFile, TextureLoader::Plain, fogTexture},
            {kMaskName, maskTextureFile, TextureLoader::MaskFormat, maskTexture},
            {kFlareRaysName, flareRaysTextureFile, TextureLoader::WithAlpha, flareRaysTexture}}};
}

bool CBackgroundJungle::LoadTextures(std::string folder)
{
    const bool loaded = scene::FindOrLoadTextures(device.Get(), folder, Textures());
    ornaments.SetPicture(backgroundTexture);
    return loaded;
}

bool CBackgroundJungle::UnloadTextures()
{
    ornaments.SetPicture(CRefPtr<CTexture>());
    return scene::DropTextures(device.Get(), Textures());
}

void CBackgroundJungle::Start()
{
    Stop();
    flashes.clock = 0.0f;
    flareRaysShape = scene::MakeFlareRays(flareCenter[0], flareCenter[1], flareRaysSize[0], flareRaysSize[1],
                                          0xFFFFFFFFu, flareRaysTexture, flareRaysSpin);
    backgroundShape = scene::MakePicture(backgroundTexture, 0, kBlendNormal);
    if (spriteList.IsValid())
    {
        spriteList->Add(flareRaysShape);
        spriteList->Add(backgroundShape);
    }
    ornaments.Start();
}

void CBackgroundJungle::Stop()
{
    scene::RemoveShape(spriteList.Get(), backgroundShape);
    scene::RemoveShape(spriteList.Get(), flareRaysShape);
    flashes.Clear();
    ornaments.Stop();
}

void CBackgroundJungle::ScrollFog(float dt)
{
    fogScroll.u = WrapScroll(fogScroll.u + fogTexVelocity.u * dt);
    fogScroll.v = WrapScroll(fogScroll.v + fogTexVelocity.v * dt);
    if (fogVertices.size() < 4)
        return;
    const CUV s = fogScroll;
    const CUV uv[4] = {{s.u, s.v},
                       {s.u + fogTexSize.u, s.v},
                       {s.u + fogTexSize.u, s.v + fogTexSize.v},
                       {s.u, s.v + fogTexSize.v}};
    for (size_t i = 0; i < 4; ++i)
    {
        fogVertices[i].u = uv[i].u;
        fogVertices[i].v = uv[i].v;
    }
}

void CBackgroundJungle::Update(float dt)
{
    ScrollFog(dt);
    flashes.Update(dt, spriteBatch.Get(), flashTexture);
    // The sixth gem is in: the last flare grows, whether the stage came quietly or not.
    if (ornaments.Update(dt))
        PlaySound(&CSoundBank::Flare);
}

void CBackgroundJungle::SetStage(int32_t newStage, int32_t newQuiet)
{
    SetOrnamentStage(newStage, newQuiet);
}

int32_t CBackgroundJungle::Render()
{
    if (!device.IsValid())
        return 0;
    // The mist adds its light onto the picture; depth writing goes back as it was.
    const DWORD zWrite = CurrentRenderState(*device, D3DRS_ZWRITEENABLE);
    scene::MaskedDraw draw{fogTexture, maskTexture, D3DBLEND_ONE, zWrite};
    return int32_t(scene::DrawMaskedQuads(*device, vertexBuffer, indexBuffer, fogVertices, fogIndices, draw));
}
