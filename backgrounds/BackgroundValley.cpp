// The valley scene: clouds in perspective, the mask, the painting, the turning rays,
// the gems of the valley's levels.
#include "backgrounds/BackgroundValley.h"

#include <cmath>

#include "audio/SoundBank.h"
#include "backgrounds/SceneParts.h"
#include "engine/IniReader.h"
#include "platform/d3dx8.h"
#include "render/Device.h"
#include "render/SpriteList.h"
#include "render/Texture.h"

namespace
{
const char kValleySection[] = "Valley";
const char kValleyBackgroundName[] = "BackgroundValley";
const std::string kValleyBackgroundFile("Valley.jpg");
const char kCloudName[] = "ValleyCloud";
const char kValleyMaskName[] = "ValleyMask";
const char kValleyFlareRaysName[] = "ValleyFlareRays";
// Above the picture in the blended pass: the mask darkens the clouds before the
// painting is screened over them.
const int32_t kMaskZOrder = 101;
const int32_t kCloudZOrder = 102;
// The mask texture's size, to which its rectangle's texels are divided.
const float kMaskTexWidth = 256.0f;
const float kMaskTexHeight = 64.0f;
// The near plane a little in front of the clouds, the far one a little behind.
const float kNearFactor = 0.9f;
const float kFarFactor = 1.1f;

// Eight gems, and a ninth flare for the last.
const OrnamentVariant kValleyOrnaments = {
    kValleySection,       CBackgroundValley::kLastStage, 1, -2, false, "500 441 80 64", "2 802 82 866", "310 465 240 60",
    "2 802 82 866", "255 255 255 255",             "538 475 152", "123 12 255 255",
};

// Adds a step to an offset and wraps it once: below 0 it gains 1, then at 1 or more
// it loses 1. A step larger than a whole unit is not wrapped further.
float WrapOnce(float v)
{
    if (v < 0.0f)
        v += 1.0f;
    if (v >= 1.0f)
        v -= 1.0f;
    return v;
}
} // namespace

CBackgroundValley::CBackgroundValley()
    : scene::SceneResources(kValleyOrnaments), cloudTextureFile("ValleyCloud.jpg"), maskTextureFile("ValleyMask.tga"),
      flareRaysTextureFile("ValleyFlareRays.tga"), flareCenter{-210.0f, 303.0f}, flareRaysSize{714.0f, 714.0f},
      flareRaysSpin(0.5235988f), fieldOfView(45.0f * kPi / 180.0f), cloudCenter{0.0f, 386.0f, 1861.0f},
      cloudSize{2100.0f, 1250.0f}, cloudTexFactor(0.0001f), cloudTexSpan{0.21f, 0.125f},
      maskCenter{0.0f, 260.0f, 0.0f}, maskSize{1024.0f, 248.0f}, maskTexRect{0.0f, 0.0f, 1.0f, 62.0f / 64.0f},
      cloudTexSpeed{0.1f, 0.0f}, cloudTexOffset{0.0f, 0.0f}, projection{}
{
}

CBackgroundValley::~CBackgroundValley()
{
    Stop();
    UnloadTextures();
}

void CBackgroundValley::LoadSettings(const char* path)
{
    ReadIniStdString(cloudTextureFile, path, kValleySection, "CloudTexture", "ValleyCloud.jpg");
    ReadIniStdString(maskTextureFile, path, kValleySection, "MaskTexture", "ValleyMask.tga");
    ReadIniStdString(flareRaysTextureFile, path, kValleySection, "FlareRaysTexture", "ValleyFlareRays.tga");
    float pair[2] = {302.0f, 81.0f};
    ReadIniFloat2(pair, path, kValleySection, "FlareCenter", "302 81");
    flareCenter[0] = scene::CentredX(pair[0]);
    flareCenter[1] = scene::CentredY(pair[1]);
    ReadIniFloat2(flareRaysSize, path, kValleySection, "FlareRaysSize", "714 714");
    flareRaysSpin = scene::SpinOfTurnTime(ReadIniFloat(path, kValleySection, "FlareRaysRotT", "-61"));
    fieldOfView = ReadIniFloat(path, kValleySection, "FOV", "45") * kPi / 180.0f;
    pair[0] = 386.0f;
    pair[1] = 1236.0f;
    ReadIniFloat2(pair, path, kValleySection, "CloudPos", "386 1236");
    ReadIniFloat2(cloudSize, path, kValleySection, "CloudSize", "2100 1250");
    cloudCenter[0] = 0.0f;
    cloudCenter[1] = pair[0];
    cloudCenter[2] = pair[1] + cloudSize[1] / 2.0f;
    cloudTexFactor = ReadIniFloat(path, kValleySection, "CloudTFactor", "0.0001");
    cloudTexSpan = {cloudSize[0] * cloudTexFactor, cloudTexFactor * cloudSize[1]};
    float rect[4] = {0.0f, 0.0f, 1024.0f, 248.0f};
    ReadIniFloat4(rect, path, kValleySection, "Mask", "0 0 1024 248");
    maskCenter[0] = scene::CentredX(rect[0]) + rect[2] / 2.0f;
    maskCenter[1] = scene::CentredY(rect[1]) - rect[3] / 2.0f;
    maskCenter[2] = 0.0f;
    maskSize[0] = rect[2];
    maskSize[1] = rect[3];
    float texels[4] = {0.0f, 0.0f, 256.0f, 62.0f};
    ReadIniFloat4(texels, path, kValleySection, "MaskT", "0 0 256 62");
    maskTexRect[0] = texels[0] / kMaskTexWidth;
    maskTexRect[1] = texels[1] / kMaskTexHeight;
    maskTexRect[2] = texels[2] / kMaskTexWidth;
    maskTexRect[3] = texels[3] / kMaskTexHeight;
    // The clouds drift across and, when the setting names it, in depth too.
    pair[0] = 0.1f;
    pair[1] = 0.0f;
    ReadIniFloat2(pair, path, kValleySection, "CloudTSpeed", "0.1");
    cloudTexSpeed = {pair[0], pair[1]};
    ornaments.LoadSettings(path);
}

void CBackgroundValley::Init()
{
    const float nearPlane = (cloudCenter[2] - cloudSize[1] / 2.0f) * kNearFactor;
    const float farPlane = (cloudCenter[2] + cloudSize[1] / 2.0f) * kFarFactor;
    const float halfWidth = std::tan(fieldOfView / 2.0f) * nearPlane;
    const float halfHeight = 0.75f * halfWidth;
    D3DXMATRIX m;
    D3DXMatrixPerspectiveOffCenterLH(&m, -halfWidth, halfWidth, -halfHeight, halfHeight, nearPlane, farPlane);
    projection = m;
    Update(0.0f);
}

scene::SceneTextures CBackgroundValley::Textures()
{
    using scene::TextureLoader;
    return {{{kValleyBackgroundName, kValleyBackgroundFile, TextureLoader::Plain, backgroundTexture},
            {kCloudName, cloudTextureFile, TextureLoader::Plain, cloudTexture},
            {kValleyMaskName, maskTextureFile, TextureLoader::Plain, maskTexture},
            {kValleyFlareRaysName, flareRaysTextureFile, TextureLoader::WithAlpha, flareRaysTexture}}};
}

bool CBackgroundValley::LoadTextures(std::string folder)
{
    const bool loaded = scene::FindOrLoadTextures(device.Get(), folder, Textures());
    ornaments.SetPicture(backgroundTexture);
    return loaded;
}

bool CBackgroundValley::UnloadTextures()
{
    ornaments.SetPicture(CRefPtr<CTexture>());
    return scene::DropTextures(device.Get(), Textures());
}

void CBackgroundValley::Start()
{
    Stop();
    flareRaysShape = scene::MakeFlareRays(flareCenter[0], flareCenter[1], flareRaysSize[0], flareRaysSize[1],
                                          0xFFFFFFFFu, flareRaysTexture, flareRaysSpin);
    // The painting is screened over the clouds: its dark sky lets them through.
    backgroundShape = scene::MakePicture(backgroundTexture, 1, kBlendScreen);
    maskShape = CRefPtr<CSpriteShape>(new CSpriteShape(maskCenter[0] + scene::kOffsetX,
                                                       maskCenter[1] + scene::kOffsetY, maskCenter[2] + scene::kOffsetZ,
                                                       maskSize[0], maskSize[1], 0xFFFFFFFFu, maskTexture, 1));
    maskShape->SetBlendMode(1, kBlendMul);
    maskShape->SetFrameUV(0, maskTexRect[0], maskTexRect[1], maskTexRect[2], maskTexRect[3]);
    maskShape->depthTest = 0;
    maskShape->zWrite = 0;
    maskShape->zOrder = kMaskZOrder;
    // The clouds lie flat overhead: across along x, in depth along z.
    cloudShape = CRefPtr<CSpriteShape>(new CSpriteShape(cloudCenter[0], cloudCenter[1], cloudCenter[2], cloudSize[0],
                                                        cloudSize[1], 0xFFFFFFFFu, cloudTexture, 0));
    cloudShape->SetAxes(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0);
    cloudShape->depthTest = 0;
    cloudShape->zWrite = 0;
    cloudShape->zOrder = kCloudZOrder;
    ScrollClouds(0.0f);
    if (spriteList.IsValid())
        for (const CRefPtr<CSpriteShape>& shape : {flareRaysShape, backgroundShape, maskShape, cloudShape})
            spriteList->Add(shape);
    ornaments.Start();
}

void CBackgroundValley::Stop()
{
    CSpriteList* list = spriteList.Get();
    scene::RemoveShape(list, backgroundShape);
    scene::RemoveShape(list, flareRaysShape);
    scene::RemoveShape(list, cloudShape);
    scene::RemoveShape(list, maskShape);
    ornaments.Stop();
}

void CBackgroundValley::ScrollClouds(float dt)
{
    cloudTexOffset.u = WrapOnce(cloudTexOffset.u + cloudTexSpeed.u * dt);
    cloudTexOffset.v = WrapOnce(cloudTexOffset.v + cloudTexSpeed.v * dt);
    if (!cloudShape.IsValid())
        return;
    const float u = cloudTexOffset.u, v = cloudTexOffset.v;
    cloudShape->SetFrameUV4(0, u, v, u + cloudTexSpan.u, v, u + cloudTexSpan.u, v + cloudTexSpan.v, u,
                            v + cloudTexSpan.v);
}

void CBackgroundValley::Update(float dt)
{
    ScrollClouds(dt);
    // The eighth gem is in: the last flare grows.
    if (ornaments.Update(dt))
        PlaySound(&CSoundBank::Flare);
}

void CBackgroundValley::SetStage(int32_t newStage, int32_t newQuiet)
{
    SetOrnamentStage(newStage, newQuiet);
}

int32_t CBackgroundValley::Render()
{
    if (!spriteList.IsValid())
        return 0;
    IDirect3DDevice8* d3d = device.IsValid() ? device->device : nullptr;
    D3DMATRIX saved{};
    const bool own = d3d && SUCCEEDED(d3d->GetTransform(D3DTS_PROJECTION, &saved));
    if (own)
        d3d->SetTransform(D3DTS_PROJECTION, &projection);
    spriteList->DrawOpaque();
    if (own)
        d3d->SetTransform(D3DTS_PROJECTION, &saved);
    spriteList->DrawBlended(1);
    return 0;
}
