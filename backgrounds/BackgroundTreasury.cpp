// The treasury scene: its settings, pictures, fixed shapes, drifting dust and sun rays.
#include "backgrounds/BackgroundTreasury.h"
#include "engine/MathConstants.h"

#include <algorithm>
#include <cmath>

#include "audio/SoundBank.h"
#include "backgrounds/MaskedDraw.h"
#include "backgrounds/SceneSettings.h"
#include "effects/ParticleSystemsManager.h"
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
const char kTreasurySection[] = "Treasury";
const float kTreasuryOffsetX = -0.5f, kTreasuryOffsetY = 0.5f, kTreasuryOffsetZ = 999.0f;
const int32_t kMaxDustLayers = 64;
const char* const kOwnNames[] = {"BackgroundTreasury", "TreasuryDust", "TreasuryMask", "TreasuryElements",
                                 "TreasuryRays"};

const OrnamentVariant kTreasuryOrnaments = {
    kTreasurySection,          CBackgroundTreasury::kGems, 0, -1, true, "280 474 56 56", "2 802 58 858", "306 488 192 44",
    "526 880 718 924", "255 255 255 240",          "313 496 174", "255 125 16 255",
};

void ReadTreasury(float* out, int count, const char* path, const char* key, const char* def)
{
    ReadSceneFloats(out, count, path, kTreasurySection, key, def);
}

float ReadOne(const char* path, const char* key, const char* def)
{
    float v = 0.0f;
    ReadTreasury(&v, 1, path, key, def);
    return v;
}
} // namespace

CBackgroundTreasury::CBackgroundTreasury()
    : scene::SceneResources(kTreasuryOrnaments), settings{}, sunRayPhase(0.0f), chestState(kChestIdle), chestTimer(0.0f),
      chestRayClock(0.0f), glowWormClock(0.0f)
{
    chestRayShapes.reserve(32);
    pieces.reserve(64);
    glowWormShapes.reserve(20);
    LoadSettings("");
}

CBackgroundTreasury::~CBackgroundTreasury()
{
    Stop();
    UnloadTextures();
}

void CBackgroundTreasury::SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                                    CRefPtr<CSpriteBatch> batch, CRefPtr<CTexture> flare, CRefPtr<CTexture> spark,
                                    CRefPtr<CTexture> halo)
{
    scene::SceneResources::SetShared(list, p, batch, flare, spark);
    textures[5] = flare;
    textures[6] = spark;
    textures[7] = halo;
}

// ---------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------
void CBackgroundTreasury::LoadSettings(const char* path)
{
    TreasurySettings& s = settings;
    ReadIniStdString(s.dustFile, path, kTreasurySection, "DustTexture", "TreasuryDust.tga");
    ReadIniStdString(s.maskFile, path, kTreasurySection, "MaskTexture", "TreasuryMask.tga");
    ReadIniStdString(s.elementsFile, path, kTreasurySection, "ElementsTexture", "TreasuryElements.tga");
    s.dustLayers = std::clamp(ReadIniInt(path, kTreasurySection, "DustLayersCount", "4"), 0, kMaxDustLayers);
    s.dustSizeFactor = ReadOne(path, "DustSizeFactor", "4");
    s.dustAdd = ReadIniInt(path, kTreasurySection, "DustAdd", "1") == 1 ? 1 : 0;
    s.whiteDust = ReadIniInt(path, kTreasurySection, "WhiteDust", "1") == 1 ? 1 : 0;
    const char* uvDefaults[4] = {"-0.25 0.1", "1 0.1", "1.25 1.1", "0 1.1"};
    for (int k = 0; k < 4; ++k)
        ReadTreasury(s.sunRayUV[k], 2, path, ("SunRaysTForm" + std::to_string(k)).c_str(), uvDefaults[k]);
    ReadTreasury(s.sunRaySwing1, 2, path, "SunRaysTVec1", "0.25 0");
    ReadTreasury(s.sunRaySwing2, 2, path, "SunRaysTVec2", "0 0");
    s.sunRaySpeed = ReadOne(path, "SunRaysW", "0.5");
    // Each layer's drift is the file's (a, b) turned a quarter turn further than the
    // layer before, so four layers drift four ways.
    s.dustVelocity.assign(size_t(s.dustLayers) * 2, 0.0f);
    for (int32_t i = 0; i < s.dustLayers; ++i)
    {
        float ab[2];
        ReadTreasury(ab, 2, path, ("DustVec_" + std::to_string(i)).c_str(), "0.001 -0.002");
        const float a = ab[0], b = ab[1];
        const float turned[4][2] = {{-a, -b}, {b, -a}, {a, b}, {-b, a}};
        s.dustVelocity[size_t(i) * 2] = turned[i % 4][0];
        s.dustVelocity[size_t(i) * 2 + 1] = turned[i % 4][1];
    }
    ReadChestSettings(path);
    ornaments.LoadSettings(path);
}

void CBackgroundTreasury::ReadChestSettings(const char* path)
{
    TreasurySettings& s = settings;
    s.chestRaysColor = ReadIniColor(path, kTreasurySection, "ChestRaysColor", "255 255 80 255");
    ReadTreasury(s.chestRaysCenter, 2, path, "ChestRaysCenter", "480 434");
    s.chestRaysCenter[0] -= 512.0f;
    s.chestRaysCenter[1] = 384.0f - s.chestRaysCenter[1];
    s.chestRaysRadius = ReadOne(path, "ChestRaysR", "120");
    ReadTreasury(s.chestRaysSize, 2, path, "ChestRaysSize", "256 16");
    s.chestRaysTime = ReadOne(path, "ChestRaysTime", "2");
    s.chestRaysPeriod = ReadOne(path, "ChestRaysT", "0.2");
    s.chestFadeTime = ReadOne(path, "ChestFadeTime", "0.1");
    ReadTreasury(s.chestForm, 4, path, "ChestForm", "329 302 302 264");
    s.chestForm[0] -= 512.0f;
    s.chestForm[1] = 384.0f - s.chestForm[1];
    ReadTreasury(s.chestUV, 4, path, "ChestTForm", "0 232 302 496");
    for (float& v : s.chestUV)
        v /= 512.0f;
    float crack[2];
    ReadTreasury(crack, 2, path, "ChestCrack", "8 8");
    // At least one column and one row: a single row takes the top row's lift.
    s.crackColumns = std::clamp(int32_t(crack[0]), 1, 64);
    s.crackRows = std::clamp(int32_t(crack[1]), 1, 64);
    s.chestRotAccel = ReadOne(path, "ChestRotAccel", "0.1") * kPi;
    ReadTreasury(s.chestAccel, 2, path, "ChestAccelArea", "100 20");
    s.chestFlashColor = ReadIniColor(path, kTreasurySection, "ChestFlashColor", "255 255 160 255");
    s.glowWormColor = ReadIniColor(path, kTreasurySection, "ChestGlowWormsColor", "0 0 0 0");
    s.glowWormSize = ReadOne(path, "ChestGlowWormsSize", "32");
    s.glowWormSpeed = ReadOne(path, "ChestGlowWormsSpeed", "300");
    s.glowWormWobble = ReadOne(path, "ChestGlowWormsW", "3");
    s.glowWormPeriod = ReadOne(path, "ChestGlowWormsT", "0.2");
}

// ---------------------------------------------------------------------------------
// Geometry: one screen quad per dust layer, then the two sun-ray sheets.
// ---------------------------------------------------------------------------------
void CBackgroundTreasury::Init()
{
    const size_t n = size_t(settings.dustLayers);
    vertices.assign(4 * n + 8, TreasuryVertex{});
    indices.assign((n + 2) * 6, 0);
    dustOffset.assign(2 * n, 0.0f);
    dustCorners.assign(6 * n, 0.0f);
    const float cx[4] = {-512.5f, 511.5f, 511.5f, -512.5f}, cy[4] = {384.5f, 384.5f, -383.5f, -383.5f};
    const float mu[4] = {0.0f, 1.0f, 1.0f, 0.0f}, mv[4] = {0.0f, 0.0f, 0.75f, 0.75f};
    for (size_t q = 0; q < n + 2; ++q)
    {
        for (size_t c = 0; c < 4; ++c)
            vertices[4 * q + c] = TreasuryVertex{cx[c], cy[c], kTreasuryOffsetZ - 10.0f, 0xFFFFFFFFu, 0.0f, 0.0f, mu[c], mv[c]};
        const uint16_t b = uint16_t(4 * q);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2), uint16_t(b + 3)};
        std::copy(quad, quad + 6, indices.begin() + ptrdiff_t(6 * q));
    }
    const float f = settings.dustSizeFactor;
    const float corners[4][6] = {{f, 0, f, 0.75f * f, 0, 0.75f * f},
                                 {0, f, -0.75f * f, f, -0.75f * f, 0},
                                 {-f, 0, -f, -0.75f * f, 0, -0.75f * f},
                                 {0, -f, 0.75f * f, -f, 0.75f * f, 0}};
    for (size_t i = 0; i < n; ++i)
    {
        std::copy(corners[i % 4], corners[i % 4] + 6, dustCorners.begin() + ptrdiff_t(6 * i));
        dustOffset[2 * i] = RandomUnit();
        dustOffset[2 * i + 1] = RandomUnit();
    }
    sunRayPhase = 0.0f;
    Update(0.0f);
}

void CBackgroundTreasury::UpdateDust(float dt)
{
    for (size_t i = 0; i < dustOffset.size() / 2; ++i)
    {
        float* o = &dustOffset[2 * i];
        for (int k = 0; k < 2; ++k)
        {
            o[k] += settings.dustVelocity[2 * i + size_t(k)] * dt;
            if (o[k] > 1.0f)
                o[k] -= 1.0f;
            if (o[k] < 0.0f)
                o[k] += 1.0f;
        }
        vertices[4 * i].u = o[0];
        vertices[4 * i].v = o[1];
        for (size_t c = 1; c < 4; ++c)
        {
            vertices[4 * i + c].u = dustCorners[6 * i + 2 * (c - 1)] + o[0];
            vertices[4 * i + c].v = dustCorners[6 * i + 2 * (c - 1) + 1] + o[1];
        }
    }
}

void CBackgroundTreasury::UpdateSunRays(float dt)
{
    const TreasurySettings& s = settings;
    sunRayPhase += s.sunRaySpeed * dt;
    if (sunRayPhase > 2.0f * kPi)
        sunRayPhase -= 2.0f * kPi;
    if (sunRayPhase < 0.0f)
        sunRayPhase += 2.0f * kPi;
    const float c = std::cos(sunRayPhase);
    const float sx = c * (s.sunRaySwing1[0] + s.sunRaySwing2[0]), sy = c * (s.sunRaySwing1[1] + s.sunRaySwing2[1]);
    const size_t first = 4 * size_t(s.dustLayers);
    if (vertices.size() < first + 8)
        return;
    for (size_t k = 0; k < 4; ++k)
    {
        const float ux = s.sunRayUV[k][0], uy = s.sunRayUV[k][1];
        vertices[first + k].u = ux + sx;
        vertices[first + k].v = uy + sy;
        vertices[first + 4 + k].u = 1.0f - ux + sx;
        vertices[first + 4 + k].v = uy - sy;
    }
}

// ---------------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------------
bool CBackgroundTreasury::LoadTextures(std::string folder)
{
    const std::string files[5] = {"Treasury.jpg", settings.dustFile, settings.maskFile, settings.elementsFile,
                                  "TreasuryRays.jpg"};
    bool all = true;
    for (size_t i = 0; i < 5; ++i)
    {
        CRefPtr<CTexture>& h = textures[i];
        h = device.IsValid() ? device->GetTextureByName(kOwnNames[i]) : CRefPtr<CTexture>();
        if (!h.IsValid() && device.IsValid())
        {
            const std::string file = folder + files[i];
            if (i == 0 || i == 4)
                h = device->MakeTexture(file, kOwnNames[i], 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
            else if (i == 2)
                h = device->LoadTextureChooseFormat(file, kOwnNames[i],
                                                    {D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2,
                                                     D3DFMT_A4L4, D3DFMT_A1R5G5B5},
                                                    1, 0, D3DPOOL_MANAGED);
            else
                h = device->LoadTextureWithAlpha(file, kOwnNames[i], i == 1, 0, D3DPOOL_MANAGED);
        }
        all = all && h.IsValid();
    }
    ornaments.SetPicture(textures[0]);
    return all;
}

bool CBackgroundTreasury::UnloadTextures()
{
    if (!device.IsValid())
        return true;
    for (size_t i = 0; i < 5; ++i)
    {
        const int at = device->FindTexture(kOwnNames[i]);
        if (at >= 0)
            device->RemoveTextureAt(at);
        textures[i].Reset();
    }
    ornaments.SetPicture(CRefPtr<CTexture>());
    return true;
}

// ---------------------------------------------------------------------------------
// Start, Stop and the stage
// ---------------------------------------------------------------------------------
void CBackgroundTreasury::Start()
{
    Stop();
    background = CRefPtr<CSpriteShape>(
        new CSpriteShape(kTreasuryOffsetX, kTreasuryOffsetY, kTreasuryOffsetZ, 1024.0f, 768.0f, 0xFFFFFFFFu, textures[0], 0));
    background->SetFrameUV(0, 0.0f, 0.0f, 1.0f, 0.75f);
    background->zOrder = 100;
    background->layer = 0;
    topPiece = CRefPtr<CSpriteShape>(
        new CSpriteShape(-34.5f, 268.5f, 988.0f, 482.0f, 232.0f, 0xFFFFFFFFu, textures[3], 1));
    topPiece->SetFrameUV(0, 0.0f, 0.0f, 482.0f / 512.0f, 232.0f / 512.0f);
    topPiece->zOrder = -11;
    topPiece->layer = 1;
    for (const CRefPtr<CSpriteShape>& s : {background, topPiece})
    {
        s->depthTest = 0;
        s->zWrite = 0;
        if (spriteList.IsValid())
            spriteList->Add(s);
    }
    MakeChest();
    ornaments.Start();
    chestState = kChestIdle;
    chestTimer = 0.0f;
}

// The closed chest and its shadow, at the picture's fixed place.
void CBackgroundTreasury::MakeChest()
{
    const float fade = settings.chestFadeTime > 0.0f ? 1.0f / settings.chestFadeTime : 1000.0f;
    chestShadow = CRefPtr<CSpriteShape>(
        new CSpriteShape(-36.5f, -162.5f, 998.0f, 320.0f, 64.0f, 0xFFFFFFFFu, textures[3], 1));
    chestShadow->SetFrameUV4(0, 306.0f / 512, 396.0f / 512, 306.0f / 512, 236.0f / 512, 338.0f / 512, 236.0f / 512,
                             338.0f / 512, 396.0f / 512);
    chestShadow->SetBlendMode(1, kBlendMul);
    chestShadow->zOrder = 99;
    chest = CRefPtr<CSpriteShape>(new CSpriteShape(-32.5f, -49.5f, 998.0f, 302.0f, 264.0f, 0xFFFFFFFFu, textures[3], 1));
    chest->SetFrameUV(0, 0.0f, 232.0f / 512, 302.0f / 512, 496.0f / 512);
    chest->zOrder = 98;
    for (const CRefPtr<CSpriteShape>& s : {chestShadow, chest})
    {
        s->layer = 0;
        s->depthTest = 0;
        s->zWrite = 0;
        s->fadeSpeed = fade;
        if (spriteList.IsValid())
            spriteList->Add(s);
    }
}

void CBackgroundTreasury::DropShape(CRefPtr<CSpriteShape>& shape)
{
    if (shape.IsValid() && spriteList.IsValid())
        spriteList->Remove(shape);
    shape.Reset();
}

void CBackgroundTreasury::Stop()
{
    for (CRefPtr<CSpriteShape>* s : {&background, &topPiece, &chest, &chestShadow})
        DropShape(*s);
    for (auto* shapes : {&chestRayShapes, &pieces, &glowWormShapes})
    {
        for (CRefPtr<CSpriteShape>& s : *shapes)
            DropShape(s);
        shapes->clear();
    }
    pieceVelocity.clear();
    pieceAccel.clear();
    glowWorms.clear();
    ornaments.Stop(); // the slots start afresh when the scene comes back
    chestState = kChestIdle;
    chestTimer = 0.0f;
}

void CBackgroundTreasury::SetStage(int32_t stage, int32_t quiet)
{
    const int32_t change = SetOrnamentStage(stage, quiet);
    if (change > 0 && ornaments.Stage() == kGems)
    {
        chestState = kChestIdle;
        chestTimer = 0.0f;
    }
    else if (change < 0)
        ResetChest();
}

// ---------------------------------------------------------------------------------
// Update and Render
// ---------------------------------------------------------------------------------
void CBackgroundTreasury::Update(float dt)
{
    UpdateDust(dt);
    UpdateSunRays(dt);
    if (ornaments.Update(dt))
    {
        // The twelfth gem is in: the chest's flare grows and the chest wakes.
        chestState = kChestFlare;
        chestTimer = 0.0f;
        PlaySound(&CSoundBank::Treasure);
    }
    StepChest(dt);
}

int32_t CBackgroundTreasury::Render()
{
    if (!device.IsValid() || !vertexBuffer.IsValid() || !indexBuffer.IsValid() || vertices.size() < 8)
        return 0;
    CVertex* v = nullptr;
    uint16_t* i = nullptr;
    const HRESULT hr = LockRun(*vertexBuffer, *indexBuffer, DWORD(vertices.size()), DWORD(indices.size()), &v, &i);
    if (FAILED(hr))
        return int32_t(hr);
    static_assert(sizeof(TreasuryVertex) == sizeof(CVertex), "the scene's vertices are the device's");
    std::copy_n(reinterpret_cast<const CVertex*>(vertices.data()), vertices.size(), v);
    const uint32_t base = vertexBuffer->lockStart;
    for (size_t k = 0; k < indices.size(); ++k)
        i[k] = uint16_t(indices[k] + base);
    vertexBuffer->Unlock();
    indexBuffer->Unlock();
    DrawGeometry();
    return 0;
}

void CBackgroundTreasury::DrawGeometry()
{
    CDevice& d = *device;
    const UINT n = UINT(settings.dustLayers);
    const UINT first = vertexBuffer->lockStart, start = indexBuffer->lockStart;
    SetMaskedStages(d);
    if (settings.whiteDust)
        d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_ALPHAREF, 1);
    const DWORD zWrite = CurrentRenderState(d, D3DRS_ZWRITEENABLE);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.SetRenderState(D3DRS_DESTBLEND, settings.dustAdd ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    d.SetTexture(0, textures[1]);
    d.SetTexture(1, textures[2]);
    if (n > 0)
        d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, first, 4 * n, start, 2 * n);
    // The sun rays: clamped across, added to the picture.
    d.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    d.SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d.SetTexture(0, textures[4]);
    d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, first + 4 * n, 8, start + 6 * n, 4);
    d.SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
    d.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    d.SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    SetTextureTimesDiffuse(d);
}
