// The door scene: floor shadow, foliage curtains, ten gems and the door that opens.
#include "backgrounds/BackgroundDoor.h"
#include "backgrounds/MaskedDraw.h"
#include "backgrounds/SceneSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/SoundBank.h"
#include "effects/ParticleSystem.h"
#include "effects/ParticleSystemsManager.h"
#include "effects/SandKeepers.h"
#include "engine/IniReader.h"
#include "engine/Random.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SharedBuffers.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

namespace
{
const char kSection[] = "Door";
const float kOffsetX = -0.5f, kOffsetY = 0.5f, kOffsetZ = 999.0f;
const char* const kTextureNames[] = {"BackgroundDoor", "DoorShadow", "DoorMask", "DoorFoliage"};

const OrnamentVariant kDoorOrnaments = {
    kSection,       CBackgroundDoor::kGems, 0, -2, false, "500 441 80 64", "2 802 82 866", "310 465 240 60",
    "2 802 82 866", "255 255 255 255",      "538 475 152", "123 12 255 255",
};

void Read(float* out, int count, const char* path, const char* key, const char* def)
{
    ReadSceneFloats(out, count, path, kSection, key, def);
}

// A shape whose corners carry its place: unit size at the scene offset.
CRefPtr<CSpriteShape> CornerShape(const CRefPtr<CTexture>& texture, int32_t zOrder)
{
    CRefPtr<CSpriteShape> s(new CSpriteShape(kOffsetX, kOffsetY, kOffsetZ, 1.0f, 1.0f, 0xFFFFFFFFu, texture, 1));
    s->zOrder = zOrder;
    s->layer = 0;
    return s;
}
} // namespace

CBackgroundDoor::CBackgroundDoor()
    : scene::SceneResources(kDoorOrnaments), settings{}, clock(0.0f), foliageBase{}, doorQuad{}, doorState(kDoorClosed),
      doorTimer(0.0f)
{
    LoadSettings("");
}

CBackgroundDoor::~CBackgroundDoor()
{
    Stop();
    UnloadTextures();
}

void CBackgroundDoor::SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                                CRefPtr<CSpriteBatch> batch, CRefPtr<CTexture> flare, CRefPtr<CTexture> sand,
                                CRefPtr<CTexture> dust, CRefPtr<CTexture> spark)
{
    scene::SceneResources::SetShared(list, p, batch, flare, spark);
    sandTexture = sand;
    dustTexture = dust;
}

void CBackgroundDoor::LoadSettings(const char* path)
{
    DoorSettings& s = settings;
    ReadIniStdString(s.shadowFile, path, kSection, "ShadowTexture", "DoorShadow.jpg");
    ReadIniStdString(s.maskFile, path, kSection, "MaskTexture", "DoorMask.tga");
    ReadIniStdString(s.foliageFile, path, kSection, "FoliageTexture", "DoorFoliage.tga");
    Read(s.shadowRect, 4, path, "ShadowT", "16 8 496 120");
    Read(s.shadowNearAmp, 2, path, "ShadowNearTR", "16 8");
    Read(s.shadowFarAmp, 2, path, "ShadowFarTR", "8 4");
    for (float* texels : {s.shadowRect, s.shadowRect + 2, s.shadowNearAmp, s.shadowFarAmp})
    {
        texels[0] /= 512.0f;
        texels[1] /= 128.0f;
    }
    Read(s.shadowNearSpeed, 2, path, "ShadowNearW", "1.1 0.96");
    Read(s.shadowFarSpeed, 2, path, "ShadowFarW", "0.947 1.21");
    Read(s.foliageShift, 2, path, "FoliageShift", "16 16");
    Read(s.foliageMove, 2, path, "FoliageMove", "8 8");
    Read(s.foliageMovePhase[0], 2, path, "FoliageMoveA1", "1 0.4");
    Read(s.foliageMoveSpeed[0], 2, path, "FoliageMoveW1", "1.1 0.96");
    Read(s.foliageMovePhase[1], 2, path, "FoliageMoveA2", "2 -0.77");
    Read(s.foliageMoveSpeed[1], 2, path, "FoliageMoveW2", "0.947 1.21");
    Read(s.foliageDisp, 2, path, "FoliageDisp", "16 8");
    Read(s.foliageDispPhase[0], 2, path, "FoliageA1", "1 0.4");
    Read(s.foliageDispSpeed[0], 2, path, "FoliageW1", "1.1 0.96");
    Read(s.foliageDispPhase[1], 2, path, "FoliageA2", "2 -0.77");
    Read(s.foliageDispSpeed[1], 2, path, "FoliageW2", "0.947 1.21");
    Read(s.door, 4, path, "Door", "366 187 170 268");
    Read(s.doorBottom, 2, path, "DoorBottom", "264 258");
    Read(&s.doorPreTime, 1, path, "DoorPreTime", "0.25");
    Read(&s.doorOpenTime, 1, path, "DoorOpenTime", "2");
    s.useSand = ReadIniInt(path, kSection, "UseSand", "0");
    s.sandColor = ReadIniColor(path, kSection, "SandColor", "247 217 107 255");
    s.dustColor = ReadIniColor(path, kSection, "DustColor", "247 217 107 127");
    Read(s.sandShift[0], 2, path, "SandShift0", "4 4");
    Read(s.sandShift[1], 2, path, "SandShift1", "-4 4");
    s.sandShift[0][1] = -s.sandShift[0][1];
    s.sandShift[1][1] = -s.sandShift[1][1];
    Read(s.sandDown, 2, path, "SandDown", "446 455");
    ornaments.LoadSettings(path);
}

// ---------------------------------------------------------------------------------
// Geometry and textures
// ---------------------------------------------------------------------------------
void CBackgroundDoor::Init()
{
    clock = 0.0f;
    const float* r = settings.shadowRect;
    const float z = kOffsetZ - 1.0f;
    shadowVertices = {
        {-512.5f, -127.5f, z, 0, r[0], r[1], 0.0f, 0.0f},
        {511.5f, -127.5f, z, 0, r[2], r[1], 1.0f, 0.0f},
        {511.5f, -383.5f, z, 0, r[2], r[3], 1.0f, 1.0f},
        {-512.5f, -383.5f, z, 0, r[0], r[3], 0.0f, 1.0f},
    };
    shadowIndices = {0, 1, 2, 0, 2, 3};
    const float sx = settings.foliageShift[0], sy = settings.foliageShift[1];
    const DoorPoint left[4] = {{-512 - sx, 384 + sy}, {-4 - sx, 384 + sy}, {-4 - sx, 36 + sy}, {-512 - sx, 36 + sy}};
    const DoorPoint right[4] = {{4 + sx, 384 + sy}, {512 + sx, 384 + sy}, {512 + sx, 36 + sy}, {4 + sx, 36 + sy}};
    std::copy(left, left + 4, foliageBase[0]);
    std::copy(right, right + 4, foliageBase[1]);
    Update(0.0f);
}

bool CBackgroundDoor::LoadTextures(std::string folder)
{
    CRefPtr<CTexture>* held[] = {&backgroundTexture, &shadowTexture, &maskTexture, &foliageTexture};
    bool all = true;
    for (size_t i = 0; i < 4; ++i)
    {
        CRefPtr<CTexture>& h = *held[i];
        h = device.IsValid() ? device->GetTextureByName(kTextureNames[i]) : CRefPtr<CTexture>();
        if (!h.IsValid() && device.IsValid())
        {
            if (i == 0)
                h = device->MakeTexture(folder + "Door.jpg", kTextureNames[i], 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
            else if (i == 1)
                h = device->MakeTexture(folder + settings.shadowFile, kTextureNames[i], 1, 0, D3DPOOL_MANAGED,
                                        D3DFMT_UNKNOWN);
            else if (i == 2)
                h = device->LoadTextureChooseFormat(folder + settings.maskFile, kTextureNames[i],
                                                    {D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2,
                                                     D3DFMT_A4L4, D3DFMT_A1R5G5B5},
                                                    1, 0, D3DPOOL_MANAGED);
            else
                h = device->LoadTextureWithAlpha(folder + settings.foliageFile, kTextureNames[i], false, 0,
                                                 D3DPOOL_MANAGED);
        }
        all = all && h.IsValid();
    }
    ornaments.SetPicture(backgroundTexture);
    return all;
}

bool CBackgroundDoor::UnloadTextures()
{
    if (!device.IsValid())
        return true;
    CRefPtr<CTexture>* held[] = {&backgroundTexture, &shadowTexture, &maskTexture, &foliageTexture};
    for (size_t i = 0; i < 4; ++i)
    {
        const int at = device->FindTexture(kTextureNames[i]);
        if (at >= 0)
            device->RemoveTextureAt(at);
        held[i]->Reset();
    }
    ornaments.SetPicture(CRefPtr<CTexture>());
    return true;
}

// ---------------------------------------------------------------------------------
// Start and Stop
// ---------------------------------------------------------------------------------
void CBackgroundDoor::Start()
{
    Stop();
    clock = 0.0f;
    const float frames[2][4] = {{0.0f, 0.0f, 0.9921875f, 0.33984375f}, {0.0078125f, 0.34375f, 1.0f, 0.69140625f}};
    for (int i = 0; i < 2; ++i)
    {
        CRefPtr<CSpriteShape> curtain(
            new CSpriteShape(kOffsetX, kOffsetY, kOffsetZ, 1.0f, 1.0f, 0xFFFFFFFFu, foliageTexture, 1));
        curtain->SetFrameUV(0, frames[i][0], frames[i][1], frames[i][2], frames[i][3]);
        const DoorPoint* b = foliageBase[i];
        curtain->SetCorners(b[0].x, b[0].y, b[1].x, b[1].y, b[2].x, b[2].y, b[3].x, b[3].y);
        curtain->zWrite = 0;
        curtain->zOrder = 90;
        if (spriteList.IsValid())
            spriteList->Add(curtain);
        foliageShapes.push_back(curtain);
    }
    backgroundShape = CRefPtr<CSpriteShape>(
        new CSpriteShape(kOffsetX, kOffsetY, kOffsetZ, 1024.0f, 768.0f, 0xFFFFFFFFu, backgroundTexture, 1));
    backgroundShape->SetBlendMode(0, kBlendNormal);
    backgroundShape->SetFrameUV(0, 0.0f, 0.0f, 1.0f, 0.75f);
    backgroundShape->depthTest = 0;
    backgroundShape->zWrite = 0;
    backgroundShape->zOrder = 100;
    if (spriteList.IsValid())
        spriteList->Add(backgroundShape);
    ornaments.Start();
    doorState = kDoorClosed;
    doorTimer = 0.0f;
}

void CBackgroundDoor::Stop()
{
    if (spriteList.IsValid())
    {
        for (const CRefPtr<CSpriteShape>& s : {backgroundShape, doorCover, doorway, doorLeaf, doorShade})
            if (s.IsValid())
                spriteList->Remove(s);
        for (const CRefPtr<CSpriteShape>& s : foliageShapes)
            if (s.IsValid())
                spriteList->Remove(s);
    }
    backgroundShape.Reset();
    foliageShapes.clear();
    doorCover.Reset();
    doorway.Reset();
    doorLeaf.Reset();
    doorShade.Reset();
    ornaments.Stop();
    if (particles.IsValid())
        for (const CRefPtr<CParticleSystem>& s : sandSystems)
            if (s.IsValid())
                s->StopEmission();
    sandSystems.clear();
    dustSystems.clear();
    doorState = kDoorClosed;
    doorTimer = 0.0f;
}

// ---------------------------------------------------------------------------------
// Progress and the door
// ---------------------------------------------------------------------------------
void CBackgroundDoor::SetStage(int32_t stage, int32_t quiet)
{
    const int32_t change = SetOrnamentStage(stage, quiet);
    if (change > 0 && ornaments.Stage() == kGems)
    {
        // The door comes with the tenth gem: its flare hidden, the painted door over it.
        doorState = kDoorClosed;
        doorTimer = 0.0f;
        MakeDoorShapes();
    }
    else if (change < 0)
    {
        doorState = kDoorClosed;
        doorTimer = 0.0f;
        DropDoorShapes();
    }
}

void CBackgroundDoor::MakeDoorShapes()
{
    DropDoorShapes();
    const float x = settings.door[0], y = settings.door[1], w = settings.door[2], h = settings.door[3];
    const float cx = x - 512.0f + w / 2, cy = 384.0f - y - h / 2;
    doorCover = CRefPtr<CSpriteShape>(new CSpriteShape(cx + kOffsetX, cy + kOffsetY, kOffsetZ, w + 16.0f, h + 16.0f,
                                                       0xFFFFFFFFu, backgroundTexture, 1));
    doorCover->SetFrameUV(0, (x - 8) / 1024.0f, (y - 8) / 1024.0f, (x + w + 8) / 1024.0f, (y + h + 8) / 1024.0f);
    doorCover->zOrder = 95;
    doorCover->layer = 0;
    doorCover->fadeSpeed = settings.doorPreTime > 0.0f ? 1.0f / settings.doorPreTime : 1000.0f;
    ComputeDoorQuad(0.0f);
    doorShade = CornerShape(foliageTexture, 97);
    doorShade->SetBlendMode(1, kBlendMul);
    doorLeaf = CornerShape(foliageTexture, 98);
    PlaceDoorLeaf();
    doorway = CRefPtr<CSpriteShape>(new CSpriteShape(cx + kOffsetX, cy + kOffsetY, kOffsetZ, w - 4.0f, h - 4.0f,
                                                     0xFFFFFFFFu, foliageTexture, 1));
    doorway->SetFrameUV(0, 2.0f / 512.0f, 714.0f / 1024.0f, 168.0f / 512.0f, 978.0f / 1024.0f);
    doorway->zOrder = 99;
    doorway->layer = 0;
    if (spriteList.IsValid())
        for (const CRefPtr<CSpriteShape>& s : {doorCover, doorShade, doorLeaf, doorway})
            spriteList->Add(s);
}

// The leaf and its shade take the visible part of the door: the leaf's picture is
// pinned to its top edge, so it slides down as the leaf sinks.
void CBackgroundDoor::PlaceDoorLeaf()
{
    if (!doorLeaf.IsValid() || !doorShade.IsValid())
        return;
    const float x = settings.door[0], y = settings.door[1];
    const DoorPoint* q = doorQuad;
    float corners[8];
    for (int k = 0; k < 4; ++k)
    {
        corners[2 * k] = q[k].x + x - 512.0f;
        corners[2 * k + 1] = 384.0f - y - q[k].y;
    }
    for (CSpriteShape* s : {doorShade.Get(), doorLeaf.Get()})
        s->SetCorners(corners[0], corners[1], corners[2], corners[3], corners[4], corners[5], corners[6], corners[7]);
    doorShade->SetFrameUV4(0, (q[0].x + 340) / 512, (q[0].y + 712) / 1024, (q[1].x + 340) / 512, (q[1].y + 712) / 1024,
                           (q[2].x + 340) / 512, (q[2].y + 712) / 1024, (q[3].x + 340) / 512, (q[3].y + 712) / 1024);
    doorLeaf->SetFrameUV4(0, (q[0].x + 170) / 512, 712.0f / 1024, (q[1].x + 170) / 512, 712.0f / 1024,
                          (q[2].x + 170) / 512, (q[2].y + 712 - q[1].y) / 1024, (q[3].x + 170) / 512,
                          (q[3].y + 712 - q[0].y) / 1024);
}

void CBackgroundDoor::DropDoorShapes()
{
    for (CRefPtr<CSpriteShape>* s : {&doorCover, &doorway, &doorLeaf, &doorShade})
    {
        if (s->IsValid())
        {
            (*s)->fadeSpeed = 20.0f;
            (*s)->FadeTo(0.0f);
            (*s)->life = 0.05f;
            (*s)->mortal = 1;
        }
        s->Reset();
    }
    StopSand();
}

void CBackgroundDoor::ComputeDoorQuad(float f)
{
    const float w = settings.door[2], h = settings.door[3];
    const float b0 = settings.doorBottom[0], b1 = settings.doorBottom[1];
    const float p = h * f;
    DoorPoint* q = doorQuad;
    auto set = [q](DoorPoint a, DoorPoint b, DoorPoint c, DoorPoint d) {
        q[0] = a;
        q[1] = b;
        q[2] = c;
        q[3] = d;
    };
    if (b0 == b1)
    {
        if (p >= b0)
            set({0, b0}, {w, b0}, {w, b0}, {0, b0});
        else
            set({0, p}, {w, p}, {w, b0}, {0, b0});
        return;
    }
    const float high = std::max(b0, b1), low = std::min(b0, b1);
    if (p >= high)
    {
        const DoorPoint end = b0 > b1 ? DoorPoint{0, b0} : DoorPoint{w, b1};
        set(end, end, end, end);
    }
    else if (p >= low)
    {
        // Past the higher end of the floor line: c is where the line crosses row p.
        if (b0 > b1)
        {
            const float c = w * (b0 - p) / (b0 - b1);
            set({0, p}, {c, p}, {c, b0}, {0, b0});
        }
        else
        {
            const float c = w * (p - b0) / (b1 - b0);
            set({c, p}, {w, p}, {w, b1}, {c, b1});
        }
    }
    else
        set({0, p}, {w, p}, {w, b1}, {0, b0});
}

// ---------------------------------------------------------------------------------
// Update and Render
// ---------------------------------------------------------------------------------
void CBackgroundDoor::Update(float dt)
{
    clock += dt;
    const float t = clock;
    const DoorSettings& s = settings;
    const float farX = s.shadowFarAmp[0] * std::sin(s.shadowFarSpeed[0] * t + 1.0f);
    const float farY = s.shadowFarAmp[1] * std::sin(s.shadowFarSpeed[1] * t - 1.0f);
    const float nearX = s.shadowNearAmp[0] * std::sin(s.shadowNearSpeed[0] * t + 2.0f);
    const float nearY = s.shadowNearAmp[1] * std::sin(s.shadowNearSpeed[1] * t + 0.7f);
    if (shadowVertices.size() == 4)
    {
        const float* r = s.shadowRect;
        shadowVertices[0].u = r[0] + farX;
        shadowVertices[0].v = r[1] + farY;
        shadowVertices[1].u = r[2] + farX;
        shadowVertices[1].v = r[1] + farY;
        shadowVertices[2].u = r[2] + nearX;
        shadowVertices[2].v = r[3] + nearY;
        shadowVertices[3].u = r[0] + nearX;
        shadowVertices[3].v = r[3] + nearY;
    }
    SwayFoliage(t);
    if (ornaments.Update(dt))
    {
        // The tenth gem is in: the door's flare grows and the door starts to open.
        doorState = kDoorFlare;
        doorTimer = 0.0f;
        PlaySound(&CSoundBank::Door);
    }
    StepDoor(dt);
}

void CBackgroundDoor::SwayFoliage(float t)
{
    if (!spriteList.IsValid() || foliageShapes.size() != 2 || !foliageShapes[0].IsValid() ||
        !foliageShapes[1].IsValid())
        return;
    const DoorSettings& s = settings;
    for (int i = 0; i < 2; ++i)
    {
        const float mx = s.foliageMove[0] * std::sin(s.foliageMoveSpeed[i][0] * t + s.foliageMovePhase[i][0]);
        const float my = s.foliageMove[1] * std::sin(s.foliageMoveSpeed[i][1] * t + s.foliageMovePhase[i][1]);
        const float dx = s.foliageDisp[0] * std::sin(s.foliageDispSpeed[i][0] * t + s.foliageDispPhase[i][0]) + mx;
        const float dy = s.foliageDisp[1] * std::sin(s.foliageDispSpeed[i][1] * t + s.foliageDispPhase[i][1]) + my;
        const DoorPoint* b = foliageBase[i];
        foliageShapes[size_t(i)]->SetCorners(b[0].x + mx, b[0].y + my, b[1].x + mx, b[1].y + my, b[2].x + dx,
                                             b[2].y + dy, b[3].x + dx, b[3].y + dy);
    }
}

void CBackgroundDoor::StepDoor(float dt)
{
    if (doorState == kDoorClosed)
        return;
    doorTimer += dt;
    if (doorState == kDoorFlare)
    {
        if (doorTimer >= ornaments.settings.newFlareTime)
        {
            doorState = kDoorFading;
            doorTimer = 0.0f;
            if (doorCover.IsValid())
                doorCover->FadeTo(0.0f);
            StartSand();
        }
        return;
    }
    if (doorState == kDoorFading)
    {
        if (doorTimer >= settings.doorPreTime)
        {
            doorState = kDoorSinking;
            doorTimer = 0.0f;
        }
        return;
    }
    float f = settings.doorOpenTime > 0.0f ? doorTimer / settings.doorOpenTime : 1.0f;
    if (doorTimer >= settings.doorOpenTime)
    {
        doorState = kDoorClosed;
        doorTimer = 0.0f;
        f = 1.0f;
        StopSand();
    }
    ComputeDoorQuad(std::min(f, 1.0f));
    PlaceDoorLeaf();
    if (doorState == kDoorSinking)
        FollowDoorWithSand();
}

void CBackgroundDoor::StartSand()
{
    if (settings.useSand != 1 || !particles)
        return;
    const float x = settings.door[0], y = settings.door[1], w = settings.door[2];
    for (int corner = 0; corner < 2; ++corner)
    {
        const float sx = -0.5f + (x - 512.0f) + (corner == 1 ? w : 0.0f) + settings.sandShift[corner][0];
        const float sy = 0.5f + (384.0f - y) + settings.sandShift[corner][1];
        const float sz = 989.0f;
        CRefPtr<CSandKeeper> sand(new CSandKeeper);
        sand->burstCount = 1;
        sand->rate = 40.0f;
        sand->width = sand->height = 8.0f + 4.0f * RandomUnit();
        sand->speed = 10.0f;
        sand->speedSpread = 5.0f;
        sand->gravity = 300.0f;
        sand->colour = settings.sandColor;
        sand->floor = 384.0f - settings.sandDown[1];
        CCollection2Parametres grains(sx, sy, sz, nullptr, CRefPtr<CCollection2Keeper>(sand),
                                      CCollection2Parametres::kBlendAlpha);
        grains.duration = 10000000.0f;
        grains.keeperEmission = 1;
        grains.alphaScale = float(settings.sandColor >> 24) / 255.0f;
        CRefPtr<CParticleSystem> grainSystem;
        particles->AddCollection2System(grainSystem, grains, 80, sandTexture);
        sandSystems.push_back(grainSystem);

        CRefPtr<CDustTrackKeeper> dust(new CDustTrackKeeper(*sand, grainSystem));
        dust->colour = settings.dustColor;
        CCollection2Parametres trail(sx, sy, sz, nullptr, CRefPtr<CCollection2Keeper>(dust),
                                     CCollection2Parametres::kBlendAlpha);
        trail.keeperEmission = 1;
        trail.spareRate = 100.0f;
        trail.alphaScale = float(settings.dustColor >> 24) / 255.0f;
        CRefPtr<CParticleSystem> dustSystem;
        particles->AddCollection2System(dustSystem, trail, 200, dustTexture);
        dustSystems.push_back(dustSystem);
    }
}

// The sources ride down on the sinking leaf's top corners until it reaches the
// stop line; then the sand stops.
void CBackgroundDoor::FollowDoorWithSand()
{
    if (settings.useSand != 1 || sandSystems.empty())
        return;
    const float top = 384.0f - settings.door[1];
    const float stopLine = 384.0f - settings.sandDown[0];
    const float topY = top - doorQuad[0].y;
    if (!(stopLine < topY))
    {
        StopSand();
        return;
    }
    const float ys[2] = {topY + settings.sandShift[0][1], top - doorQuad[1].y + settings.sandShift[1][1]};
    for (size_t i = 0; i < sandSystems.size() && i < 2; ++i)
        if (sandSystems[i].IsValid())
            sandSystems[i]->origin.y = ys[i];
}

void CBackgroundDoor::StopSand()
{
    for (const CRefPtr<CParticleSystem>& s : sandSystems)
        if (s.IsValid())
            s->StopEmission();
    sandSystems.clear();
    dustSystems.clear();
}

int32_t CBackgroundDoor::Render()
{
    if (!device.IsValid() || !vertexBuffer.IsValid() || !indexBuffer.IsValid() || shadowVertices.size() != 4)
        return 0;
    CVertex* v = nullptr;
    uint16_t* i = nullptr;
    const HRESULT hr = LockRun(*vertexBuffer, *indexBuffer, 4, 6, &v, &i);
    if (FAILED(hr))
        return int32_t(hr);
    static_assert(sizeof(DoorVertex) == sizeof(CVertex), "the shadow's vertices are the device's");
    std::copy_n(reinterpret_cast<const CVertex*>(shadowVertices.data()), 4, v);
    const uint32_t base = vertexBuffer->lockStart;
    for (size_t k = 0; k < 6; ++k)
        i[k] = uint16_t(shadowIndices[k] + base);
    vertexBuffer->Unlock();
    indexBuffer->Unlock();

    CDevice& d = *device;
    SetMaskedStages(d);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_ALPHAREF, 1);
    const DWORD zWrite = CurrentRenderState(d, D3DRS_ZWRITEENABLE);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    d.SetTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    d.SetTexture(0, shadowTexture);
    d.SetTexture(1, maskTexture);
    d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexBuffer->lockStart, 4, indexBuffer->lockStart, 2);
    d.SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
    d.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    d.SetTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    SetTextureTimesDiffuse(d);
    return 0;
}
