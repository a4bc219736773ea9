// The museum scene: the painting, the drifting dust in the light, the turning rays,
// the gems of the museum's levels and the map.
#include "backgrounds/BackgroundMuseum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/SoundBank.h"
#include "backgrounds/SceneParts.h"
#include "engine/IniReader.h"
#include "engine/Random.h"
#include "render/Device.h"
#include "render/SpriteList.h"
#include "render/Texture.h"

namespace
{
const char kMuseumSection[] = "Museum";
const char kMuseumBackgroundName[] = "BackgroundMuseum";
const std::string kMuseumBackgroundFile("Museum.jpg");
const char kDustName[] = "MuseumDust";
const char kDustMaskName[] = "MuseumDustMask";
const char kMuseumFlareRaysName[] = "MuseumFlareRays";
// The dust lies just in front of the painting.
const float kDustZ = scene::kOffsetZ - 1.0f;
// The mask's screen covers the top three quarters of its square texture.
const float kMaskBottom = 0.75f;
// The dust's pieces: tiles of the dust picture, cells of the screen seen through the
// mask, the narrowest back buffer (the most texels a pixel, the widest filter reach).
const int kDustTile = 4;
const int kMaskColumns = 64, kMaskRows = 48;
const float kNarrowestScreen = 640.0f;
// One draw addresses at most this many quads through 16-bit indices.
const size_t kMaxDustQuads = 65536 / 6;

// Five gems, and the map as the sixth ray under the sixth flare.
const OrnamentVariant kMuseumOrnaments = {
    kMuseumSection,          CBackgroundMuseum::kLastStage, 1, -1, true, "280 474 56 56", "2 802 58 858", "306 488 192 44",
    "526 880 718 924", "255 255 255 240",             "313 496 174", "255 125 16 255", true,
};

// Layer k drifts and repeats turned by k quarter turns.
CUV TurnedVelocity(int32_t layer, float a, float b)
{
    switch (layer % 4)
    {
    case 0: return {-a, -b};
    case 1: return {b, -a};
    case 2: return {a, b};
    default: return {-b, a};
    }
}

// The three far corners of layer k's texture rectangle: s repeats across, 0.75 s down.
void LayerCorners(int32_t layer, float s, CUV out[3])
{
    static const float kTurn[4][6] = {{1, 0, 1, 0.75f, 0, 0.75f},
                                      {0, 1, -0.75f, 1, -0.75f, 0},
                                      {-1, 0, -1, -0.75f, 0, -0.75f},
                                      {0, -1, 0.75f, -1, 0.75f, 0}};
    const float* t = kTurn[layer % 4];
    for (int i = 0; i < 3; ++i)
        out[i] = {t[2 * i] * s, t[2 * i + 1] * s};
}

// Keeps an offset in 0..1; the dust repeats, so the jump does not show.
float WrapUnit(float v)
{
    if (v > 1.0f)
        v -= 1.0f;
    else if (v < 0.0f)
        v += 1.0f;
    return v;
}
} // namespace

CBackgroundMuseum::CBackgroundMuseum()
    : scene::SceneResources(kMuseumOrnaments), dustTextureFile("MuseumDust.tga"), dustMaskTextureFile("MuseumDustMask.tga"),
      flareRaysTextureFile("MuseumFlareRays.tga"), dustSizeFactor(4.0f), dustLayersCount(4),
      flareCenter{-221.0f, 171.0f}, flareRaysSize{714.0f, 714.0f}, flareRaysSpin(0.5235988f),
      flareRaysColor(0xC8FFFFFFu)
{
    for (int32_t k = 0; k < dustLayersCount; ++k)
        dustVelocities.push_back(TurnedVelocity(k, 0.001f, -0.002f));
}

CBackgroundMuseum::~CBackgroundMuseum()
{
    Stop();
    UnloadTextures();
}

void CBackgroundMuseum::LoadSettings(const char* path)
{
    ReadIniStdString(dustTextureFile, path, kMuseumSection, "DustTexture", "MuseumDust.tga");
    ReadIniStdString(dustMaskTextureFile, path, kMuseumSection, "DustMaskTexture", "MuseumDustMask.tga");
    ReadIniStdString(flareRaysTextureFile, path, kMuseumSection, "FlareRaysTexture", "MuseumFlareRays.tga");
    const int32_t layers = ReadIniInt(path, kMuseumSection, "DustLayersCount", "4");
    dustLayersCount = layers < 0 ? 0 : (layers > kMaxDustLayers ? int32_t(kMaxDustLayers) : layers);
    dustSizeFactor = ReadIniFloat(path, kMuseumSection, "DustSizeFactor", "4");
    dustVelocities.assign(size_t(dustLayersCount), CUV{0.0f, 0.0f});
    for (int32_t k = 0; k < dustLayersCount; ++k)
    {
        char key[32];
        std::snprintf(key, sizeof key, "DustVec_%d", int(k));
        float v[2] = {0.001f, -0.002f};
        ReadIniFloat2(v, path, kMuseumSection, key, "0.001 -0.002");
        dustVelocities[size_t(k)] = TurnedVelocity(k, v[0], v[1]);
    }
    float centre[2] = {291.0f, 213.0f};
    ReadIniFloat2(centre, path, kMuseumSection, "FlareCenter", "291 213");
    flareCenter[0] = scene::CentredX(centre[0]);
    flareCenter[1] = scene::CentredY(centre[1]);
    ReadIniFloat2(flareRaysSize, path, kMuseumSection, "FlareRaysSize", "714 714");
    flareRaysSpin = scene::SpinOfTurnTime(ReadIniFloat(path, kMuseumSection, "FlareRaysRotT", "12"));
    flareRaysColor = ReadIniColor(path, kMuseumSection, "FlareRaysColor", "255 255 255 200");
    ornaments.LoadSettings(path);
}

void CBackgroundMuseum::Init()
{
    const size_t layers = size_t(dustLayersCount);
    dustVertices.assign(4 * layers, CVertex{});
    dustIndices.assign(6 * layers, 0);
    dustOffsets.assign(layers, CUV{0.0f, 0.0f});
    dustCornerUV.assign(3 * layers, CUV{0.0f, 0.0f});
    // The whole screen, shifted half a pixel like every shape of the scene.
    const float left = -scene::kHalfWidth + scene::kOffsetX, right = scene::kHalfWidth + scene::kOffsetX;
    const float top = scene::kHalfHeight + scene::kOffsetY, bottom = -scene::kHalfHeight + scene::kOffsetY;
    const float corners[4][4] = {{left, top, 0.0f, 0.0f},
                                 {right, top, 1.0f, 0.0f},
                                 {right, bottom, 1.0f, kMaskBottom},
                                 {left, bottom, 0.0f, kMaskBottom}};
    for (size_t k = 0; k < layers; ++k)
    {
        LayerCorners(int32_t(k), dustSizeFactor, &dustCornerUV[3 * k]);
        for (size_t i = 0; i < 4; ++i)
        {
            CVertex& v = dustVertices[4 * k + i];
            v.x = corners[i][0];
            v.y = corners[i][1];
            v.z = kDustZ;
            v.colour = 0;
            v.u2 = corners[i][2];
            v.v2 = corners[i][3];
        }
        const uint16_t base = uint16_t(4 * k);
        const uint16_t quad[6] = {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2),
                                  uint16_t(base + 3)};
        std::copy(quad, quad + 6, dustIndices.begin() + std::ptrdiff_t(6 * k));
        const float u = RandomUnit();
        dustOffsets[k] = {u, RandomUnit()};
    }
    Update(0.0f);
}

scene::SceneTextures CBackgroundMuseum::Textures()
{
    using scene::TextureLoader;
    return {{{kMuseumBackgroundName, kMuseumBackgroundFile, TextureLoader::Plain, backgroundTexture},
            {kDustName, dustTextureFile, TextureLoader::WithAlphaLight, dustTexture},
            {kDustMaskName, dustMaskTextureFile, TextureLoader::MaskFormat, dustMaskTexture},
            {kMuseumFlareRaysName, flareRaysTextureFile, TextureLoader::WithAlpha, flareRaysTexture}}};
}

bool CBackgroundMuseum::LoadTextures(std::string folder)
{
    const bool loaded = scene::FindOrLoadTextures(device.Get(), folder, Textures());
    ornaments.SetPicture(backgroundTexture);
    FindDustPieces();
    return loaded;
}

bool CBackgroundMuseum::UnloadTextures()
{
    ornaments.SetPicture(CRefPtr<CTexture>());
    dustInPieces = false;
    return scene::DropTextures(device.Get(), Textures());
}

void CBackgroundMuseum::Start()
{
    Stop();
    flareRaysShape = scene::MakeFlareRays(flareCenter[0], flareCenter[1], flareRaysSize[0], flareRaysSize[1],
                                          flareRaysColor, flareRaysTexture, flareRaysSpin);
    backgroundShape = scene::MakePicture(backgroundTexture, 0, kBlendNormal);
    if (spriteList.IsValid())
    {
        spriteList->Add(flareRaysShape);
        spriteList->Add(backgroundShape);
    }
    ornaments.Start();
}

void CBackgroundMuseum::Stop()
{
    scene::RemoveShape(spriteList.Get(), backgroundShape);
    scene::RemoveShape(spriteList.Get(), flareRaysShape);
    ornaments.Stop();
}

void CBackgroundMuseum::ScrollDust(float dt)
{
    for (size_t k = 0; k < dustOffsets.size() && k < dustVelocities.size(); ++k)
    {
        dustOffsets[k].u = WrapUnit(dustOffsets[k].u + dustVelocities[k].u * dt);
        dustOffsets[k].v = WrapUnit(dustOffsets[k].v + dustVelocities[k].v * dt);
        WriteDustCoordinates(k);
    }
}

void CBackgroundMuseum::WriteDustCoordinates(size_t layer)
{
    const CUV offset = dustOffsets[layer];
    CVertex* v = &dustVertices[4 * layer];
    v[0].u = offset.u;
    v[0].v = offset.v;
    for (size_t i = 0; i < 3; ++i)
    {
        v[i + 1].u = offset.u + dustCornerUV[3 * layer + i].u;
        v[i + 1].v = offset.v + dustCornerUV[3 * layer + i].v;
    }
}

void CBackgroundMuseum::Update(float dt)
{
    ScrollDust(dt);
    // The fifth gem is in: the sixth flare grows and the map unrolls under it.
    if (ornaments.Update(dt))
        PlaySound(&CSoundBank::Museum);
}

void CBackgroundMuseum::SetStage(int32_t newStage, int32_t newQuiet)
{
    SetOrnamentStage(newStage, newQuiet);
}

void CBackgroundMuseum::FindDustPieces()
{
    dustInPieces = false;
    std::vector<BYTE> alpha;
    UINT width = 0, height = 0;
    if (!dustTexture.IsValid() || !dustTexture->ReadAlpha(alpha, width, height))
        return;
    // Where a screen pixel spans more than a texel the filter reads a smaller mip level.
    const float texelsPerPixel = float(width) * dustSizeFactor / kNarrowestScreen;
    dustRects = scene::VisibleRects(alpha, int(width), int(height), kDustTile, scene::FilterReach(texelsPerPixel));
    dustWidth = int32_t(width);
    dustHeight = int32_t(height);
    std::vector<BYTE> mask;
    UINT maskWidth = 0, maskHeight = 0;
    // The mask is stretched over the screen: its filter reaches a texel beyond its own.
    if (dustMaskTexture.IsValid() && dustMaskTexture->ReadAlpha(mask, maskWidth, maskHeight))
        dustShows = scene::CoverGrid(mask, int(maskWidth), int(maskHeight), kMaskBottom, kMaskColumns, kMaskRows, 2);
    else
        dustShows = scene::CoverGrid();
    dustInPieces = true;
}

bool CBackgroundMuseum::BuildDustPieces()
{
    dustPieceVertices.clear();
    dustPieceIndices.clear();
    // The layers in their order, so the dust blends as the whole layers would.
    for (size_t k = 0; k < dustOffsets.size() && 3 * k + 2 < dustCornerUV.size(); ++k)
    {
        AddLayerPieces(k);
        if (dustPieceVertices.size() / 4 > kMaxDustQuads)
            return false;
    }
    return true;
}

// Screen fractions (fx across, fy down) map to texture units as
// offset + fx * across + fy * down; each repeat of the picture the layer shows adds its
// visible rectangles as quads, those the mask hides left out.
void CBackgroundMuseum::AddLayerPieces(size_t layer)
{
    const CUV offset = dustOffsets[layer], across = dustCornerUV[3 * layer], down = dustCornerUV[3 * layer + 2];
    const float det = across.u * down.v - across.v * down.u;
    const bool masked = dustMaskTexture.IsValid() && dustMaskTexture->texture;
    if (det == 0.0f || dustWidth <= 0 || dustHeight <= 0)
        return;
    auto toScreen = [&](float u, float v, float& fx, float& fy) {
        const float du = u - offset.u, dv = v - offset.v;
        fx = (du * down.v - dv * down.u) / det;
        fy = (across.u * dv - across.v * du) / det;
    };
    const float us[4] = {offset.u, offset.u + across.u, offset.u + across.u + down.u, offset.u + down.u};
    const float vs[4] = {offset.v, offset.v + across.v, offset.v + across.v + down.v, offset.v + down.v};
    const int i0 = int(std::floor(*std::min_element(us, us + 4))), i1 = int(std::floor(*std::max_element(us, us + 4)));
    const int j0 = int(std::floor(*std::min_element(vs, vs + 4))), j1 = int(std::floor(*std::max_element(vs, vs + 4)));
    const float left = -scene::kHalfWidth + scene::kOffsetX, top = scene::kHalfHeight + scene::kOffsetY;
    const float width = 2.0f * scene::kHalfWidth, height = 2.0f * scene::kHalfHeight;
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i)
            for (const scene::TexelRect& r : dustRects)
            {
                const float u[4] = {float(i) + float(r.x0) / float(dustWidth), float(i) + float(r.x1) / float(dustWidth),
                                    float(i) + float(r.x1) / float(dustWidth), float(i) + float(r.x0) / float(dustWidth)};
                const float v[4] = {float(j) + float(r.y0) / float(dustHeight), float(j) + float(r.y0) / float(dustHeight),
                                    float(j) + float(r.y1) / float(dustHeight), float(j) + float(r.y1) / float(dustHeight)};
                float fx[4], fy[4];
                for (int c = 0; c < 4; ++c)
                    toScreen(u[c], v[c], fx[c], fy[c]);
                const float x0 = *std::min_element(fx, fx + 4), x1 = *std::max_element(fx, fx + 4);
                const float y0 = *std::min_element(fy, fy + 4), y1 = *std::max_element(fy, fy + 4);
                if (x1 <= 0.0f || y1 <= 0.0f || x0 >= 1.0f || y0 >= 1.0f || (masked && !dustShows.Shows(x0, y0, x1, y1)))
                    continue;
                const uint16_t base = uint16_t(dustPieceVertices.size());
                for (int c = 0; c < 4; ++c)
                    dustPieceVertices.push_back(CVertex{left + fx[c] * width, top - fy[c] * height, kDustZ, 0, u[c], v[c],
                                                        fx[c], fy[c] * kMaskBottom});
                const uint16_t quad[6] = {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2),
                                          uint16_t(base + 3)};
                dustPieceIndices.insert(dustPieceIndices.end(), quad, quad + 6);
            }
}

int32_t CBackgroundMuseum::Render()
{
    if (!device.IsValid())
        return 0;
    scene::MaskedDraw draw{dustTexture, dustMaskTexture, D3DBLEND_INVSRCALPHA, 1};
    // A picture gone from the device reads as white: the pieces no longer hold.
    const bool dustHeld = dustTexture.IsValid() && dustTexture->texture;
    if (dustInPieces && dustHeld && BuildDustPieces())
        return int32_t(scene::DrawMaskedQuads(*device, vertexBuffer, indexBuffer, dustPieceVertices, dustPieceIndices, draw));
    return int32_t(scene::DrawMaskedQuads(*device, vertexBuffer, indexBuffer, dustVertices, dustIndices, draw));
}
