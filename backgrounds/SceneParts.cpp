// The pieces the level scenes share: textures, picture, flare rays, masked quads.
#include "backgrounds/SceneParts.h"

#include <algorithm>
#include <cmath>

#include "audio/SoundBank.h"
#include "backgrounds/MaskedDraw.h"
#include "effects/ParticleSystemsManager.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SharedBuffers.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"

namespace scene {

namespace {

// Alpha formats for masks, best first.
std::vector<D3DFORMAT> MaskFormats()
{
    return {D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A4L4, D3DFMT_A1R5G5B5};
}

CRefPtr<CTexture> LoadTexture(CDevice& device, const std::string& path, const char* name, TextureLoader loader)
{
    switch (loader)
    {
    case TextureLoader::Plain:
        return device.MakeTexture(path, name, 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    case TextureLoader::MaskFormat:
        return device.LoadTextureChooseFormat(path, name, MaskFormats(), 1, 0, D3DPOOL_MANAGED);
    case TextureLoader::WithAlphaLight:
        return device.LoadTextureWithAlpha(path, name, true, 0, D3DPOOL_MANAGED);
    case TextureLoader::WithAlpha:
        return device.LoadTextureWithAlpha(path, name, false, 0, D3DPOOL_MANAGED);
    }
    return CRefPtr<CTexture>();
}

// The masked stages with a picture that repeats and a mask read through the second
// coordinate set.
void SetMaskStages(CDevice& device)
{
    SetMaskedStages(device);
    device.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    device.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
}

} // namespace

void SceneResources::SetResources(CRefPtr<CDevice> d, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib)
{
    device = d;
    vertexBuffer = vb;
    indexBuffer = ib;
}

void SceneResources::SetShared(CRefPtr<CSpriteList> list, CRefPtr<CParticleSystemsManager> p,
                               CRefPtr<CSpriteBatch> batch, CRefPtr<CTexture> flare, CRefPtr<CTexture> spark)
{
    spriteList = list;
    particles = p;
    spriteBatch = batch;
    flareTexture = flare;
    sparkTexture = spark;
    ornaments.SetShared(list, flare, spark);
}

int32_t SceneResources::SetOrnamentStage(int32_t stage, int32_t quiet)
{
    ornaments.soundBank = soundBank;
    return ornaments.SetStage(stage, quiet);
}

void SceneResources::PlaySound(CRefPtr<CSound> CSoundBank::*slot) const
{
    if (soundBank.IsValid())
        soundBank->Play(soundBank.Get()->*slot, 0, 0);
}

bool FindOrLoadTexture(CDevice* device, const std::string& folder, const char* name, const std::string& file,
                       TextureLoader loader, CRefPtr<CTexture>& out)
{
    out = CRefPtr<CTexture>();
    if (!device)
        return false;
    out = device->GetTextureByName(name);
    if (!out.IsValid())
        out = LoadTexture(*device, folder + file, name, loader);
    return out.IsValid();
}

void DropTexture(CDevice& device, const char* name, CRefPtr<CTexture>& handle)
{
    device.RemoveTextureAt(device.FindTexture(name));
    handle = CRefPtr<CTexture>();
}

bool FindOrLoadTextures(CDevice* device, const std::string& folder, const SceneTextures& textures)
{
    bool ok = true;
    for (const SceneTexture& t : textures)
        ok &= FindOrLoadTexture(device, folder, t.name, t.file, t.loader, t.handle);
    return ok;
}

bool DropTextures(CDevice* device, const SceneTextures& textures)
{
    if (device)
        for (const SceneTexture& t : textures)
            DropTexture(*device, t.name, t.handle);
    return true;
}

CRefPtr<CSpriteShape> MakePicture(CRefPtr<CTexture> texture, int blended, int blendMode)
{
    CRefPtr<CSpriteShape> shape(new CSpriteShape(kOffsetX, kOffsetY, kOffsetZ, 2.0f * kHalfWidth,
                                                 2.0f * kHalfHeight, 0xFFFFFFFFu, texture, blended));
    shape->SetBlendMode(blended, blendMode);
    shape->SetFrameUV(0, 0.0f, 0.0f, 1.0f, 0.75f);
    shape->depthTest = 0;
    shape->zWrite = 0;
    shape->zOrder = kPictureZOrder;
    return shape;
}

CRefPtr<CSpriteShape> MakeFlareRays(float x, float y, float width, float height, uint32_t colour,
                                    CRefPtr<CTexture> texture, float spin)
{
    CRefPtr<CSpriteShape> shape(new CSpriteShape(x, y, kOffsetZ, width, height, colour, texture, 1));
    shape->SetBlendMode(1, kBlendScreen);
    shape->depthTest = 1;
    shape->zWrite = 0;
    shape->spinning = 1;
    shape->spinSpeed = spin;
    shape->zOrder = kFlareRaysZOrder;
    return shape;
}

void RemoveShape(CSpriteList* list, CRefPtr<CSpriteShape>& shape)
{
    if (list && shape.IsValid())
        list->Remove(shape);
    shape = CRefPtr<CSpriteShape>();
}

float SpinOfTurnTime(float seconds)
{
    return seconds == 0.0f ? 0.0f : 2.0f * kPi / seconds;
}

HRESULT DrawMaskedQuads(CDevice& device, const CRefPtr<CVertexBuffer>& vertexBuffer,
                        const CRefPtr<CIndexBuffer>& indexBuffer,
                        const std::vector<CVertex>& vertices, const std::vector<uint16_t>& indices,
                        const MaskedDraw& draw)
{
    if (vertices.empty() || indices.empty())
        return D3D_OK;
    CVertex* lockedVertices = nullptr;
    uint16_t* lockedIndices = nullptr;
    if (!vertexBuffer.IsValid() || !indexBuffer.IsValid())
        return D3DERR_INVALIDCALL;
    const HRESULT hr = LockRun(*vertexBuffer, *indexBuffer, DWORD(vertices.size()), DWORD(indices.size()),
                               &lockedVertices, &lockedIndices);
    if (FAILED(hr))
        return hr;
    const DWORD firstVertex = vertexBuffer->lockStart;
    std::copy(vertices.begin(), vertices.end(), lockedVertices);
    for (size_t i = 0; i < indices.size(); ++i)
        lockedIndices[i] = uint16_t(indices[i] + firstVertex);
    indexBuffer->Unlock();
    vertexBuffer->Unlock();

    SetMaskStages(device);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetRenderState(D3DRS_ALPHAREF, 1);
    device.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, draw.destBlend);
    device.SetTexture(0, draw.picture);
    device.SetTexture(1, draw.mask);
    // The scene's quads are drawn from the shared buffers in the game's vertex layout.
    device.SetVertexShader(kVertexFormat);
    device.SetStreamSource(vertexBuffer);
    device.SetIndices(indexBuffer, 0);
    device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex, UINT(vertices.size()), indexBuffer->lockStart,
                                UINT(indices.size() / 3));

    device.SetRenderState(D3DRS_ZWRITEENABLE, draw.zWriteAfter);
    SetTextureTimesDiffuse(device);
    return D3D_OK;
}

} // namespace scene
