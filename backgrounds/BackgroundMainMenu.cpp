// The main-menu scene: settings, textures, and the shapes it lays over the painting.
#include "backgrounds/BackgroundMainMenu.h"
#include "backgrounds/SceneSettings.h"
#include "engine/MathConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/SoundBank.h"
#include "effects/ParticleSystemsManager.h"
#include "engine/IniReader.h"
#include "engine/Random.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

namespace
{
const char kMainMenuSection[] = "MainMenu";
// Every shape of the scene sits half a pixel up-left (texel centres) and far back.
const float kMenuOffsetX = -0.5f;
const float kMenuOffsetY = 0.5f;
const float kMenuOffsetZ = 999.0f;
const int32_t kBackZOrder = 100;
const int32_t kCellZOrder = 90;
const float kCellZ = 997.0f;
const int32_t kMaxLeaves = 1000;   // keeps the geometry within one 16-bit index run
const int32_t kMaxCellsPerAxis = 64;

struct TextureFile
{
    const char* name;
    const char* file;
    enum Kind { kPlain, kMask, kWithAlpha } kind;
};
const TextureFile kTextures[] = {
    {"BackgroundMainMenu", "MainBack.jpg", TextureFile::kPlain},
    {"MainMenuSkyMask", "MainSkyMask.tga", TextureFile::kMask},
    {"MainMenuLeafMask", "MainLeafMask.tga", TextureFile::kMask},
    {"MainMenuElements", "MainElements.jpg", TextureFile::kWithAlpha},
    {"MainMenuFrontFoliage", "MainFoliage.jpg", TextureFile::kWithAlpha},
};

void ReadFloats(float* out, int count, const char* path, const char* key, const char* def)
{
    ReadSceneFloats(out, count, path, kMainMenuSection, key, def);
}

std::string Numbered(const char* key, int i)
{
    return key + std::to_string(i);
}

float TwoPiRandom()
{
    return 2.0f * kPi * RandomUnit();
}

CRefPtr<CSpriteShape> FixedShape(float x, float y, float z, float w, float h, const CRefPtr<CTexture>& texture)
{
    CRefPtr<CSpriteShape> s(new CSpriteShape(x, y, z, w, h, 0xFFFFFFFFu, texture, 1));
    s->depthTest = 0;
    s->zWrite = 0;
    return s;
}
} // namespace

CBackgroundMainMenu::CBackgroundMainMenu()
    : settings{}, shiftRequested(0), shiftAmount(0.0f), skyScroll(0.0f), birthClock(0.0f), mapSway{}, hairSway{},
      lipsTimer(0.0f), frontPhase{}
{
    LoadSettings("");
}

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
                                    CRefPtr<CSpriteBatch> batch, CRefPtr<CSpriteList> frontShapes)
{
    spriteList = list;
    particles = p;
    spriteBatch = batch;
    frontList = frontShapes;
}

// ---------------------------------------------------------------------------------
// Settings: pixels from the top left of the 1024 by 768 screen become centred units
// with y up; texture rectangles become fractions of their picture.
// ---------------------------------------------------------------------------------
void CBackgroundMainMenu::LoadSettings(const char* path)
{
    ReadSkySettings(path);
    ReadSpriteSettings(path);
    ReadLeafSettings(path);
    ReadFoliageSettings(path);
    ReadFrontSettings(path);
}

void CBackgroundMainMenu::ReadSkySettings(const char* path)
{
    MainMenuSettings& s = settings;
    float pos[2];
    ReadFloats(pos, 2, path, "SkyPos", "262 0");
    s.skyPos[0] = pos[0] - 512.0f;
    s.skyPos[1] = 384.0f - pos[1];
    s.skyPos[2] = -1.0f;
    ReadFloats(s.skySize, 2, path, "SkySize", "762 312");
    ReadFloats(&s.skyV, 1, path, "SkyV", "780");
    s.skyV /= 1024.0f;
    ReadFloats(s.skyTSize, 2, path, "SkyTSize", "512 208");
    s.skyTSize[0] /= 1024.0f;
    s.skyTSize[1] /= 1024.0f;
    ReadFloats(s.skyMaskTSize, 2, path, "SkyMaskTSize", "254 104");
    s.skyMaskTSize[0] /= 256.0f;
    s.skyMaskTSize[1] /= 128.0f;
    ReadFloats(&s.skySpeed, 1, path, "SkyTSpeed", "-0.01");
}

void CBackgroundMainMenu::ReadSpriteSettings(const char* path)
{
    MainMenuSettings& s = settings;
    for (int i = 0; i < kSprites; ++i)
    {
        float pos[3];
        ReadFloats(pos, 3, path, Numbered("Sprite", i).c_str(), "256 0 -2");
        ReadFloats(s.spriteSize[i], 2, path, Numbered("SpriteSize", i).c_str(), "256 104");
        s.spritePos[i][0] = pos[0] - 512.0f + s.spriteSize[i][0] / 2;
        s.spritePos[i][1] = 384.0f - pos[1] - s.spriteSize[i][1] / 2;
        s.spritePos[i][2] = pos[2];
        ReadFloats(s.spriteT[i], 4, path, Numbered("SpriteT", i).c_str(), "168 844 424 948");
        s.spriteZOrder[i] = ReadIniInt(path, kMainMenuSection, Numbered("SpriteZOrder", i).c_str(), "99");
    }
    ReadFloats(s.eyeT, 4, path, "EyeT", "127 957 199 987");
    ReadFloats(s.lipsT1, 4, path, "LipsT1", "201 957 252 985");
    ReadFloats(s.lipsT2, 4, path, "LipsT2", "254 957 305 985");
    for (int i = 0; i < 3; ++i)
        ReadFloats(s.leafT[i], 4, path, Numbered("LeafT", i).c_str(), "430 728 470 768");
    // Rectangles of "MainElements.jpg" (512 by 1024) become fractions.
    auto toUV = [](float* r) {
        r[0] /= 512.0f;
        r[1] /= 1024.0f;
        r[2] /= 512.0f;
        r[3] /= 1024.0f;
    };
    for (auto& r : s.spriteT)
        toUV(r);
    for (auto& r : s.leafT)
        toUV(r);
    toUV(s.eyeT);
    toUV(s.lipsT1);
    toUV(s.lipsT2);
    ReadFloats(s.mapDisp, 2, path, "MapDisp", "4 4");
    ReadFloats(s.mapW1, 2, path, "MapW1", "1.2 0.97");
    ReadFloats(s.mapW2, 2, path, "MapW2", "0.57 0.63");
    ReadFloats(s.hairDisp, 2, path, "HairDisp", "4 0.2");
    ReadFloats(s.hairW1, 2, path, "HairW1", "1.2 0.97");
    ReadFloats(s.hairW2, 2, path, "HairW2", "0.57 0.63");
    ReadFloats(&s.eyeProbability, 1, path, "EyeProbability", "0.25");
    ReadFloats(&s.lipsProbability, 1, path, "LipsProbability", "0.3");
    ReadFloats(&s.lipsMinTime, 1, path, "LipsMinTime", "0.3");
}

void CBackgroundMainMenu::ReadLeafSettings(const char* path)
{
    MainMenuSettings& s = settings;
    ReadFloats(s.leafSize, 2, path, "LeafSize", "40 40");
    ReadFloats(s.leafZone, 4, path, "LeafBirthZone", "0 12 290 224");
    s.leafZone[0] -= 512.0f;
    s.leafZone[1] = 384.0f - s.leafZone[1];
    ReadFloats(s.leafSpeed, 2, path, "LeafSpeed", "40 100");
    ReadFloats(&s.leafRotSpeed, 1, path, "LeafRotSpeed", "3");
    s.leafRotSpeed *= kPi;
    ReadFloats(&s.leafRotW, 1, path, "LeafRotW", "1");
    ReadFloats(s.leafArcSize, 2, path, "LeafArcSize", "64 32");
    ReadFloats(&s.leafArcW, 1, path, "LeafArcW", "1");
    s.maxLeaves = std::clamp(ReadIniInt(path, kMainMenuSection, "MaxLeafs", "8"), 0, kMaxLeaves);
    ReadFloats(&s.leafBirthT, 1, path, "LeafBirthT", "0.5");
}

void CBackgroundMainMenu::ReadFoliageSettings(const char* path)
{
    MainMenuSettings& s = settings;
    ReadFloats(s.foliageForm, 4, path, "FoliageForm", "0 0 476 716");
    s.foliageForm[0] -= 512.0f;
    s.foliageForm[1] = 384.0f - s.foliageForm[1];
    ReadFloats(s.foliageTForm, 4, path, "FoliageTForm", "4 4 476 716");
    s.foliageTForm[0] /= 512.0f;
    s.foliageTForm[1] /= 1024.0f;
    s.foliageTForm[2] /= 512.0f;
    s.foliageTForm[3] /= 1024.0f;
    float cells[2];
    ReadFloats(cells, 2, path, "FoliageCells", "6 6");
    s.foliageCells[0] = int32_t(cells[0]);
    s.foliageCells[1] = int32_t(cells[1]);
    for (int32_t& n : s.foliageCells)
        n = std::clamp(n, 1, kMaxCellsPerAxis);
    ReadFloats(s.foliageTNoise, 2, path, "FoliageTNoise", "4 4");
    s.foliageTNoise[0] /= 512.0f;
    s.foliageTNoise[1] /= 1024.0f;
    ReadFloats(&s.foliageNoiseW, 1, path, "FoliageNoiseW", "1");
}

void CBackgroundMainMenu::ReadFrontSettings(const char* path)
{
    MainMenuSettings& s = settings;
    ReadFloats(s.frontSize, 2, path, "FrontFoliageSize", "404 242");
    float pos[3];
    ReadFloats(pos, 3, path, "FrontFoliage", "9 94 -100");
    s.frontPos[0] = pos[0] - 512.0f + s.frontSize[0] / 2;
    s.frontPos[1] = 384.0f - pos[1] - s.frontSize[1] / 2;
    s.frontPos[2] = pos[2];
    s.frontZOrder = ReadIniInt(path, kMainMenuSection, "FrontFoliageZOrder", "-100");
    ReadFloats(s.frontMove, 2, path, "FrontFoliageMove", "8 8");
    ReadFloats(s.frontMoveW, 2, path, "FrontFoliageMoveW", "1.17 0.95");
    ReadFloats(s.frontSkew, 2, path, "FrontFoliageSqew", "8 2");
    ReadFloats(s.frontSkewW, 2, path, "FrontFoliageSqewW", "0.87 1.3");
    ReadFloats(&s.frontRotA, 1, path, "FrontFoliageRotA", "0.01");
    s.frontRotA *= kPi;
    ReadFloats(&s.frontRotW, 1, path, "FrontFoliageRotW", "1.1");
    ReadFloats(&s.frontShiftAngle, 1, path, "FrontFoliageShiftAngle", "0.1");
    s.frontShiftAngle *= kPi;
    ReadFloats(s.frontShift, 2, path, "FrontFoliageShift", "-10 -20");
    s.frontShift[1] = -s.frontShift[1];
    ReadFloats(&s.frontShiftTime, 1, path, "FrontFoliageShiftTime", "0.2");
    float zone[4];
    ReadFloats(zone, 4, path, "FrontFoliageShiftZone", "24 232 382 352");
    s.shiftZone[0] = zone[0] - 512.0f;
    s.shiftZone[1] = 384.0f - zone[1];
    s.shiftZone[2] = zone[2] - 512.0f;
    s.shiftZone[3] = 384.0f - zone[3];
}

// ---------------------------------------------------------------------------------
// Geometry: the sky quad and one quad per leaf slot, built once.
// ---------------------------------------------------------------------------------
void CBackgroundMainMenu::Init()
{
    const size_t quads = size_t(settings.maxLeaves) + 1;
    vertices.assign(quads * 4, MainMenuVertex{});
    indices.assign(quads * 6, 0);
    for (size_t q = 0; q < quads; ++q)
    {
        const uint16_t b = uint16_t(q * 4);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2), uint16_t(b + 3)};
        std::copy(quad, quad + 6, indices.begin() + ptrdiff_t(q * 6));
    }
    skyScroll = 0.0f;
    BuildSkyQuad();
    leaves.clear();
    leaves.reserve(size_t(settings.maxLeaves));
    birthClock = 0.0f;
    mapSway = MainMenuSway{};
    hairSway[0] = hairSway[1] = MainMenuSway{};
    lipsTimer = 0.0f;
    std::fill(frontPhase, frontPhase + 5, 0.0f);
    shiftAmount = 0.0f;
    shiftRequested = 0;
    Update(0.0f);
}

void CBackgroundMainMenu::BuildSkyQuad()
{
    const MainMenuSettings& s = settings;
    const float x0 = s.skyPos[0] + kMenuOffsetX, y0 = s.skyPos[1] + kMenuOffsetY, z = s.skyPos[2] + kMenuOffsetZ;
    const float w = s.skySize[0], h = s.skySize[1];
    const float v = s.skyV, sv = s.skyTSize[1], mu = 1.0f - s.skyMaskTSize[0], mv = s.skyMaskTSize[1];
    const MainMenuVertex quad[4] = {
        {x0, y0, z, 0xFFFFFFFFu, 0.0f, v, mu, 0.0f},
        {x0 + w, y0, z, 0xFFFFFFFFu, s.skyTSize[0], v, 1.0f, 0.0f},
        {x0 + w, y0 - h, z, 0xFFFFFFFFu, s.skyTSize[0], v + sv, 1.0f, mv},
        {x0, y0 - h, z, 0xFFFFFFFFu, 0.0f, v + sv, mu, mv},
    };
    std::copy(quad, quad + 4, vertices.begin());
}

void CBackgroundMainMenu::Hover(float x, float y)
{
    const float* z = settings.shiftZone;
    shiftRequested = (z[0] <= x && x <= z[2] && z[3] <= y && y <= z[1]) ? 1 : 0;
}

// ---------------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------------
bool CBackgroundMainMenu::LoadTextures(std::string folder)
{
    CRefPtr<CTexture>* held[] = {&backTexture, &skyMask, &leafMask, &elements, &foliageTexture};
    bool all = true;
    for (size_t i = 0; i < 5; ++i)
    {
        const TextureFile& t = kTextures[i];
        CRefPtr<CTexture>& h = *held[i];
        h = device.IsValid() ? device->GetTextureByName(t.name) : CRefPtr<CTexture>();
        if (!h.IsValid() && device.IsValid())
        {
            const std::string file = folder + t.file;
            if (t.kind == TextureFile::kPlain)
                h = device->MakeTexture(file, t.name, 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
            else if (t.kind == TextureFile::kMask)
                h = device->LoadTextureChooseFormat(file, t.name,
                                                    {D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2,
                                                     D3DFMT_A4L4, D3DFMT_A1R5G5B5},
                                                    1, 0, D3DPOOL_MANAGED);
            else
                h = device->LoadTextureWithAlpha(file, t.name, false, 0, D3DPOOL_MANAGED);
        }
        all = all && h.IsValid();
    }
    return all;
}

bool CBackgroundMainMenu::UnloadTextures()
{
    CRefPtr<CTexture>* held[] = {&backTexture, &skyMask, &leafMask, &elements, &foliageTexture};
    for (size_t i = 0; i < 5; ++i)
    {
        if (device.IsValid())
        {
            const int at = device->FindTexture(kTextures[i].name);
            if (at >= 0)
                device->RemoveTextureAt(at);
        }
        held[i]->Reset();
    }
    return true;
}

// ---------------------------------------------------------------------------------
// Start and Stop
// ---------------------------------------------------------------------------------
void CBackgroundMainMenu::Start()
{
    Stop();
    StartDecorations();
    StartFoliage();
    StartBackground();
    StartFront();
    leaves.clear();
    birthClock = 0.0f;
    lipsTimer = 0.0f;
}

void CBackgroundMainMenu::StartDecorations()
{
    const MainMenuSettings& s = settings;
    for (int i = 0; i < kSprites; ++i)
    {
        const float* t = s.spriteT[i];
        CRefPtr<CSpriteShape> shape = FixedShape(s.spritePos[i][0] + kMenuOffsetX, s.spritePos[i][1] + kMenuOffsetY,
                                                 s.spritePos[i][2] + kMenuOffsetZ, s.spriteSize[i][0],
                                                 s.spriteSize[i][1], elements);
        shape->SetFrameUV(0, t[0], t[1], t[2], t[3]);
        if (i == kSpriteEye)
            shape->AddFrame(s.eyeT[0], s.eyeT[1], s.eyeT[2], s.eyeT[3]);
        if (i == kSpriteLips)
        {
            shape->AddFrame(s.lipsT1[0], s.lipsT1[1], s.lipsT1[2], s.lipsT1[3]);
            shape->AddFrame(s.lipsT2[0], s.lipsT2[1], s.lipsT2[2], s.lipsT2[3]);
        }
        if (i == kSpriteMap)
            for (float& p : mapSway.phase)
                p = TwoPiRandom();
        if (i == kSpriteHair1 || i == kSpriteHair2)
        {
            MainMenuSway& hair = hairSway[i == kSpriteHair1 ? 0 : 1];
            const float base[4] = {s.hairW1[0], s.hairW1[1], s.hairW2[0], s.hairW2[1]};
            for (int k = 0; k < 4; ++k)
            {
                hair.phase[k] = TwoPiRandom();
                hair.frequency[k] = (0.8f + 0.4f * RandomUnit()) * base[k];
            }
        }
        shape->zOrder = s.spriteZOrder[i];
        if (i == kSpriteScreen)
            shape->SetBlendMode(1, kBlendScreen);
        if (spriteList.IsValid())
            spriteList->Add(shape);
        decorations.push_back(shape);
    }
    UpdateSways(0.0f); // the swinging sprites take their first corners
}

void CBackgroundMainMenu::StartFoliage()
{
    const MainMenuSettings& s = settings;
    const int32_t columns = s.foliageCells[0], rows = s.foliageCells[1];
    const float cw = s.foliageForm[2] / float(columns), ch = s.foliageForm[3] / float(rows);
    nodeFrequency.assign(size_t(rows) + 1, std::vector<float>(size_t(columns + 1) * 2));
    nodePhase.assign(size_t(rows) + 1, std::vector<float>(size_t(columns + 1) * 2));
    for (size_t j = 0; j <= size_t(rows); ++j)
        for (size_t k = 0; k < nodeFrequency[j].size(); ++k)
        {
            nodeFrequency[j][k] = (0.75f + 0.5f * RandomUnit()) * s.foliageNoiseW;
            nodePhase[j][k] = TwoPiRandom();
        }
    for (int32_t j = 0; j < rows; ++j)
        for (int32_t i = 0; i < columns; ++i)
        {
            CRefPtr<CSpriteShape> cell = FixedShape(s.foliageForm[0] + kMenuOffsetX + (float(i) + 0.5f) * cw,
                                                    s.foliageForm[1] + kMenuOffsetY - (float(j) + 0.5f) * ch, kCellZ,
                                                    cw, ch, elements);
            cell->zOrder = kCellZOrder;
            cells.push_back(cell);
        }
    UpdateFoliage(0.0f); // the cells take their first texture corners
    if (spriteList.IsValid())
        for (const CRefPtr<CSpriteShape>& cell : cells)
            spriteList->Add(cell);
}

void CBackgroundMainMenu::StartBackground()
{
    background = CRefPtr<CSpriteShape>(
        new CSpriteShape(kMenuOffsetX, kMenuOffsetY, kMenuOffsetZ, 1024.0f, 768.0f, 0xFFFFFFFFu, backTexture, 0));
    background->SetBlendMode(0, kBlendNormal);
    background->SetFrameUV(0, 0.0f, 0.0f, 1.0f, 0.75f);
    background->depthTest = 0;
    background->zWrite = 0;
    background->zOrder = kBackZOrder;
    background->layer = 0;
    if (spriteList.IsValid())
        spriteList->Add(background);
}

void CBackgroundMainMenu::StartFront()
{
    const MainMenuSettings& s = settings;
    shiftAmount = 0.0f;
    shiftRequested = 0;
    for (float& p : frontPhase)
        p = TwoPiRandom();
    front = CRefPtr<CSpriteShape>(new CSpriteShape(s.frontPos[0] + kMenuOffsetX, s.frontPos[1] + kMenuOffsetY,
                                                   s.frontPos[2], s.frontSize[0], s.frontSize[1], 0xFFFFFFFFu,
                                                   foliageTexture, 1));
    front->SetFrameUV(0, 0.0f, 0.0f, s.frontSize[0] / 512.0f, s.frontSize[1] / 256.0f);
    front->zOrder = s.frontZOrder;
    UpdateFront(0.0f);
    if (frontList.IsValid())
        frontList->Add(front);
}

void CBackgroundMainMenu::Stop()
{
    if (spriteList.IsValid())
    {
        if (background.IsValid())
            spriteList->Remove(background);
        for (const CRefPtr<CSpriteShape>& s : decorations)
            if (s.IsValid())
                spriteList->Remove(s);
        for (const CRefPtr<CSpriteShape>& s : cells)
            if (s.IsValid())
                spriteList->Remove(s);
    }
    decorations.clear();
    cells.clear();
    background.Reset();
    if (frontList.IsValid() && front.IsValid())
        frontList->Remove(front);
    front.Reset();
    leaves.clear();
    birthClock = 0.0f;
}
