#include "board/CapsManager.h"

#include "engine/Log.h"
#include "engine/Tokenizer.h"

#include <algorithm>
#include <cmath>

namespace
{

const char* const kTextureFiles[CCapsManager::kTextureCount] = {
    "Caps.png",     "Caps_d.png",     "Caps_l.tga",     "MemCaps1.tga",   "MemCaps2.tga",
    "MemCaps3.tga", "MemCaps1_l.tga", "MemCaps2_l.tga", "MemCaps3_l.tga",
};

constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFFu;
// The chain picture holds a single and a double chain side by side; a chain
// quad is 46/39 the size of its token so that the links wrap round it.
constexpr float kChainU = 0.359375f;
constexpr float kChainV = 0.71875f;

bool Same(const CRefPtr<CTexture>& a, const CRefPtr<CTexture>& b) { return a.SameAs(b); }

void WriteIndices(uint16_t* indices, uint32_t base)
{
    indices[0] = uint16_t(base);
    indices[1] = uint16_t(base + 1);
    indices[2] = uint16_t(base + 2);
    indices[3] = uint16_t(base);
    indices[4] = uint16_t(base + 2);
    indices[5] = uint16_t(base + 3);
}

void WriteCorners(CVertex* v, float x, float y, float z, float h)
{
    const float xs[4] = {x - h, x + h, x + h, x - h};
    const float ys[4] = {y + h, y + h, y - h, y - h};
    for (int i = 0; i < 4; ++i)
    {
        v[i].x = xs[i];
        v[i].y = ys[i];
        v[i].z = z;
        v[i].colour = kOpaqueWhite;
    }
}

bool LogMissing(const char* name)
{
    LogText((std::string("Unable to load Texture ") + name + "!\n").c_str());
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------
// CCapFrame
// ---------------------------------------------------------------------------------

CCapFrame::CCapFrame() = default;

CCapFrame::~CCapFrame()
{
    lightTexture.Reset();
    texture.Reset();
}

// ---------------------------------------------------------------------------------
// CCapsManager: loading
// ---------------------------------------------------------------------------------

CCapsManager::CCapsManager(CRefPtr<CDevice> dev, CRefPtr<CVertexBuffer> vb, CRefPtr<CIndexBuffer> ib)
    : device(std::move(dev)), vertexBuffer(std::move(vb)), indexBuffer(std::move(ib))
{
    looks.reserve(128);
    animations.reserve(CCapsAnimation::kCount);
    batches.reserve(128);
}

CCapsManager::~CCapsManager()
{
    batches.clear();
    animations.clear();
    looks.clear();
    chainAlpha.Reset();
    chainPicture.Reset();
    lightMask.Reset();
    textures.clear();
    indexBuffer.Reset();
    vertexBuffer.Reset();
    device.Reset();
}

int CCapsManager::LoadTextures(const std::string& folder)
{
    if (!device)
        return LogMissing(kTextureFiles[0]);
    for (int i = 0; i < kTextureCount; ++i)
    {
        CRefPtr<CTexture> texture =
            device->MakeTexture(folder + kTextureFiles[i], kTextureFiles[i], 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
        if (!texture)
            return LogMissing(kTextureFiles[i]);
        textures.push_back(texture);
        // The memory-card set waits without device textures until a challenge asks for it.
        if (i >= 3)
            texture->ReleaseTexture();
    }
    lightMask = device->MakeTexture(folder + "CursorAdd.bmp", "CursorAdd.bmp", 1, 0, D3DPOOL_MANAGED,
                                    D3DFMT_UNKNOWN);
    if (!lightMask)
        return LogMissing("CursorAdd.bmp");
    chainPicture =
        device->MakeTexture(folder + "Chain.png", "Chain.png", 1, 0, D3DPOOL_MANAGED, D3DFMT_UNKNOWN);
    if (!chainPicture)
        return LogMissing("Chain.png");
    chainAlpha = device->LoadTextureChooseFormat(
        folder + "Chain.png", "Chain.png",
        {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A4L4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2, D3DFMT_A8L8}, 1, 0,
        D3DPOOL_MANAGED);
    if (!chainAlpha)
        return LogMissing("Chain.png");
    textureSet = 0;
    switchFailed = 0;
    return 1;
}

int CCapsManager::LoadCapsAnimation(const std::string& folder)
{
    CTokenizer tokenizer;
    if (tokenizer.Open((folder + "CapsAnimation.dat").c_str()) != 0)
        LogText("Unable to open file CapsAnimation.dat!\n");
    for (int i = 0; i < CCapsAnimation::kCount; ++i)
    {
        CCapsAnimation animation;
        if (!animation.Parse(tokenizer))
        {
            LogText("Unable to Load Caps Animation!\n");
            return 0;
        }
        animations.push_back(std::move(animation));
    }
    return 1;
}

void CCapsManager::ReleaseSet(int32_t set)
{
    if (set != 0 && set != 1)
        return;
    // Nothing stays bound to a texture that is about to go.
    if (device)
    {
        device->SetTexture(0, CRefPtr<CTexture>());
        device->SetTexture(1, CRefPtr<CTexture>());
    }
    const size_t first = set == 0 ? 0 : 3, last = set == 0 ? 3 : 9;
    for (size_t i = first; i < last && i < textures.size(); ++i)
        textures[i]->ReleaseTexture();
}

int CCapsManager::SwitchTextureSet(int32_t set)
{
    if (textureSet == -1)
        return 0;
    if (set != 0 && set != 1)
        return 0;
    if (set == textureSet && !switchFailed)
        return 1;
    ReleaseSet(textureSet);
    textureSet = set;
    switchFailed = 1;
    const size_t first = set == 0 ? 0 : 3, last = set == 0 ? 3 : 9;
    for (size_t i = first; i < last; ++i)
    {
        if (i >= textures.size() || !device || FAILED(textures[i]->Recreate(device->device)))
            return 0;
    }
    switchFailed = 0;
    return 1;
}

// ---------------------------------------------------------------------------------
// The look list
// ---------------------------------------------------------------------------------

void CCapsManager::TexturesFor(int32_t value, CRefPtr<CTexture>& texture, CRefPtr<CTexture>& light) const
{
    int main = 0, lightIndex = 2;
    if (value >= 20 && value <= kCardBack)
    {
        const int k = (value - 20) / 3;
        main = 3 + k;
        lightIndex = 6 + k;
    }
    else if (value >= kMarkedOffset && value < kSpecialLook)
        main = 1;
    texture = size_t(main) < textures.size() ? textures[size_t(main)] : CRefPtr<CTexture>();
    light = size_t(lightIndex) < textures.size() ? textures[size_t(lightIndex)] : CRefPtr<CTexture>();
}

const CCapsAnimation* CCapsManager::AnimationFor(int32_t lookValue) const
{
    const size_t index = size_t(GetCapAnimationIndex(lookValue));
    return index < animations.size() ? &animations[index] : nullptr;
}

void CCapsManager::MakeCapFrame(CRefPtr<CCapFrame>& out, int32_t lookValue, float x, float y, float z,
                                float halfSize, int32_t drawOrder)
{
    CRefPtr<CCapFrame> look(new CCapFrame());
    look->lookValue = lookValue;
    look->x = x;
    look->y = y;
    look->z = z;
    look->halfSize = halfSize;
    look->drawOrder = drawOrder;
    TexturesFor(lookValue, look->texture, look->lightTexture);
    AddLook(look);
    out = look;
}

int CCapsManager::AddLook(const CRefPtr<CCapFrame>& look)
{
    size_t i = 0;
    for (; i < looks.size(); ++i)
    {
        const CCapFrame& other = *looks[i];
        if (other.drawOrder < look->drawOrder)
            break;
        if (other.drawOrder == look->drawOrder && Same(other.texture, look->texture))
            break;
    }
    looks.insert(looks.begin() + std::ptrdiff_t(i), look);
    return int(i);
}

int CCapsManager::RemoveLook(const CRefPtr<CCapFrame>& look)
{
    for (size_t i = 0; i < looks.size(); ++i)
    {
        if (looks[i].SameAs(look))
        {
            looks.erase(looks.begin() + std::ptrdiff_t(i));
            return int(i);
        }
    }
    return -1;
}

void CCapsManager::RaiseLook(CRefPtr<CCapFrame> look)
{
    size_t at = 0;
    while (at < looks.size() && !looks[at].SameAs(look))
        ++at;
    if (at == looks.size() || !look)
        return;
    const int32_t order = look->drawOrder;

    // Draw order first: forwards past lower orders, backwards past higher ones.
    for (;;)
    {
        if (at > 0 && looks[at - 1]->drawOrder < order)
        {
            std::swap(looks[at - 1], looks[at]);
            --at;
        }
        else if (at + 1 < looks.size() && looks[at + 1]->drawOrder > order)
        {
            std::swap(looks[at + 1], looks[at]);
            ++at;
        }
        else
            break;
    }

    // Then beside a look of its texture within its draw order, nearest behind first.
    for (size_t j = at; j-- > 0 && looks[j]->drawOrder == order;)
    {
        if (Same(looks[j]->texture, look->texture))
        {
            if (j + 1 != at)
            {
                looks.erase(looks.begin() + std::ptrdiff_t(at));
                looks.insert(looks.begin() + std::ptrdiff_t(j + 1), look);
            }
            return;
        }
    }
    for (size_t j = at + 1; j < looks.size() && looks[j]->drawOrder == order; ++j)
    {
        if (Same(looks[j]->texture, look->texture))
        {
            if (j != at + 1)
            {
                looks.erase(looks.begin() + std::ptrdiff_t(at));
                looks.insert(looks.begin() + std::ptrdiff_t(j - 1), look);
            }
            return;
        }
    }
}

void CCapsManager::SetMarked(const CRefPtr<CCapFrame>& look, int32_t marked)
{
    if (!look)
        return;
    if (marked && look->lookValue < kMarkedOffset)
    {
        look->lookValue += kMarkedOffset;
        look->texture = textures.size() > 1 ? textures[1] : CRefPtr<CTexture>();
    }
    else if (!marked && look->lookValue >= kMarkedOffset)
    {
        look->lookValue -= kMarkedOffset;
        look->texture = textures.empty() ? CRefPtr<CTexture>() : textures[0];
    }
    else
        return;
    look->lightTexture = textures.size() > 2 ? textures[2] : CRefPtr<CTexture>();
    RaiseLook(look);
}

void CCapsManager::Update(float) {}

// ---------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------

bool CCapsManager::WriteCapQuad(const CCapFrame& look, CVertex* v, uint16_t* indices, uint32_t base) const
{
    if (look.noQuad)
        return false;
    WriteCorners(v, look.x, look.y, look.z, look.halfSize);
    CCapRect r{0.0f, 0.0f, 1.0f, 1.0f};
    if (const CCapsAnimation* animation = AnimationFor(look.lookValue))
        if (const CCapRect* frame = animation->FrameAt(look.trackPosition))
            r = *frame;
    const float us[4] = {r.left, r.right, r.right, r.left};
    const float vs[4] = {r.top, r.top, r.bottom, r.bottom};
    for (int i = 0; i < 4; ++i)
    {
        v[i].u = us[i];
        v[i].v = vs[i];
        v[i].u2 = 0.0f;
        v[i].v2 = 0.0f;
    }
    WriteIndices(indices, base);
    return true;
}

bool CCapsManager::WriteCapLightQuad(const CCapFrame& look, CVertex* v, uint16_t* indices, uint32_t base) const
{
    if (!WriteCapQuad(look, v, indices, base))
        return false;
    const float s = 1.0f / (look.halfSize * 3.0f);
    const float u0 = s * look.lightDx, v0 = -(s * look.lightDy);
    const float du[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    const float dv[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i)
    {
        v[i].u2 = u0 + du[i];
        v[i].v2 = v0 + dv[i];
    }
    return true;
}

int CCapsManager::FillPass(bool light)
{
    batches.clear();
    uint32_t quads = 0;
    for (const auto& look : looks)
        if (look->shown && (!light || (look->lightAllowed && look->lit)))
            ++quads;
    if (quads < 1 || !vertexBuffer || !indexBuffer)
        return 0;
    void* vertexData = nullptr;
    void* indexData = nullptr;
    if (FAILED(vertexBuffer->Lock(quads * 4, &vertexData, false)))
        return -1;
    if (FAILED(indexBuffer->Lock(quads * 6, &indexData, false)))
    {
        vertexBuffer->Unlock();
        return -1;
    }
    CVertex* vertices = static_cast<CVertex*>(vertexData);
    uint16_t* indices = static_cast<uint16_t*>(indexData);
    const uint32_t vertexStart = vertexBuffer->lockStart, indexStart = indexBuffer->lockStart;
    uint32_t written = 0, indexWritten = 0;
    CCapBatch batch{nullptr, vertexStart, 0, indexStart, 0};
    const CRefPtr<CTexture>* batchTexture = nullptr;
    for (const auto& look : looks)
    {
        if (!look->shown || (light && !(look->lightAllowed && look->lit)))
            continue;
        const CRefPtr<CTexture>& texture = light ? look->lightTexture : look->texture;
        if (!batchTexture || !Same(*batchTexture, texture))
        {
            if (batch.primitiveCount > 0)
                batches.push_back(batch);
            batch = CCapBatch{look.Get(), vertexStart + written, 0, indexStart + indexWritten, 0};
            batchTexture = &texture;
        }
        const bool wrote = light ? WriteCapLightQuad(*look, vertices + written, indices + indexWritten,
                                                     vertexStart + written)
                                 : WriteCapQuad(*look, vertices + written, indices + indexWritten,
                                                vertexStart + written);
        if (wrote)
        {
            written += 4;
            indexWritten += 6;
            batch.vertexCount += 4;
            batch.primitiveCount += 2;
        }
    }
    if (batch.primitiveCount > 0)
        batches.push_back(batch);
    indexBuffer->Unlock();
    vertexBuffer->Unlock();
    return int(batches.size());
}

int CCapsManager::FillBuffers() { return FillPass(false); }

int CCapsManager::DrawBatches()
{
    CDevice& dev = *device;
    SetTextureTimesDiffuse(dev);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 1);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    int triangles = 0;
    for (const CCapBatch& b : batches)
    {
        dev.SetTexture(0, b.firstLook->texture);
        dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b.startVertex, b.vertexCount, b.startIndex,
                                 b.primitiveCount);
        triangles += int(b.primitiveCount);
    }
    return triangles;
}

int CCapsManager::CountLightQuads(uint32_t& vertices, uint32_t& indices)
{
    vertices = indices = 0;
    int count = 0;
    for (const auto& look : looks)
    {
        if (!look->shown || !look->lightAllowed)
            continue;
        const float dx = look->x - lightX, dy = look->y - lightY;
        // Lit when nearer than three half sizes to the light point.
        if (look->halfSize * look->halfSize > (dx * dx + dy * dy) * (1.0f / 9.0f))
        {
            look->lightDx = dx;
            look->lightDy = dy;
            look->lit = 1;
            vertices += 4;
            indices += 6;
            ++count;
        }
        else
            look->lit = 0;
    }
    return count;
}

int CCapsManager::FillLightBuffers(float x, float y)
{
    lightX = x;
    lightY = y;
    return FillPass(true);
}

int CCapsManager::DrawLight()
{
    CDevice& dev = *device;
    dev.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    dev.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    dev.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    dev.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    dev.SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 1);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    dev.SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    dev.SetTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    dev.SetTexture(1, lightMask);
    int triangles = 0;
    for (const CCapBatch& b : batches)
    {
        dev.SetTexture(0, b.firstLook->lightTexture);
        dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b.startVertex, b.vertexCount, b.startIndex,
                                 b.primitiveCount);
        triangles += int(b.primitiveCount);
    }
    dev.SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    dev.SetTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    SetTextureTimesDiffuse(dev);
    return triangles;
}

int CCapsManager::Render()
{
    if (!device)
        return 0;
    device->SetStreamSource(vertexBuffer);
    device->SetIndices(indexBuffer, 0);
    const int filled = FillBuffers();
    if (filled <= 0)
        return filled;
    const int triangles = DrawBatches();
    uint32_t vertices = 0, indices = 0;
    CountLightQuads(vertices, indices);
    const int lightBatches = FillLightBuffers(lightX, lightY);
    if (lightBatches < 0)
        return lightBatches;
    if (lightBatches == 0)
        return triangles;
    return triangles + DrawLight();
}

void CCapsManager::DrawChains()
{
    if (!device || !vertexBuffer || !indexBuffer)
        return;
    uint32_t n = 0;
    for (const auto& look : looks)
        if (look->shown && look->lockCount > 0)
            ++n;
    if (n == 0)
        return;
    void* vertexData = nullptr;
    void* indexData = nullptr;
    if (FAILED(vertexBuffer->Lock(n * 4, &vertexData, false)))
        return;
    if (FAILED(indexBuffer->Lock(n * 6, &indexData, false)))
    {
        vertexBuffer->Unlock();
        return;
    }
    CVertex* v = static_cast<CVertex*>(vertexData);
    uint16_t* indices = static_cast<uint16_t*>(indexData);
    const uint32_t vertexStart = vertexBuffer->lockStart, indexStart = indexBuffer->lockStart;
    uint32_t quads = 0;
    for (const auto& look : looks)
    {
        if (quads == n)
            break;
        if (!look->shown || look->lockCount <= 0)
            continue;
        const float c = look->halfSize * 46.0f / 39.0f;
        WriteCorners(v, look->x, look->y, look->z, c);
        const float u0 = look->lockCount == 1 ? 0.0f : kChainU;
        const float us[4] = {u0, u0 + kChainU, u0 + kChainU, u0};
        const float vs[4] = {0.0f, 0.0f, kChainV, kChainV};
        for (int i = 0; i < 4; ++i)
        {
            v[i].u = v[i].u2 = us[i];
            v[i].v = v[i].v2 = vs[i];
        }
        WriteIndices(indices, vertexStart + quads * 4);
        v += 4;
        indices += 6;
        ++quads;
    }
    indexBuffer->Unlock();
    vertexBuffer->Unlock();

    CDevice& dev = *device;
    dev.SetStreamSource(vertexBuffer);
    dev.SetIndices(indexBuffer, 0);
    dev.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    dev.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    dev.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    dev.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    dev.SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    dev.SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 1);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    dev.SetTexture(0, chainPicture);
    dev.SetTexture(1, chainAlpha);
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexStart, n * 4, indexStart, n * 2);
    dev.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    dev.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    dev.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

// ---------------------------------------------------------------------------------
// Memory cards
// ---------------------------------------------------------------------------------

CCapSprite::CCapSprite() = default;

CCapSprite::~CCapSprite()
{
    backLook.Reset();
    frontLook.Reset();
}

void CCapSprite::SetFrame(int32_t n)
{
    if (n == face)
        return;
    if (n < 2)
    {
        if (face >= 2)
        {
            if (frontLook)
                frontLook->shown = 1;
            if (backLook)
                backLook->shown = 0;
        }
        if (frontLook)
            frontLook->trackPosition = n;
    }
    else
    {
        if (face < 2)
        {
            if (backLook)
                backLook->shown = 1;
            if (frontLook)
                frontLook->shown = 0;
        }
        if (backLook)
            backLook->trackPosition = n - 2;
    }
    face = n;
}

int CCapSprite::Update(float dt)
{
    switch (state)
    {
    case 1:
    case 2:
    {
        flightTime = std::min(flightTime + dt, flightDuration);
        Vec3 p{};
        path.GetPoint(p, flightTime);
        x = p.x;
        y = p.y;
        z = p.z;
        for (CCapFrame* look : {frontLook.Get(), backLook.Get()})
            if (look)
            {
                look->x = x;
                look->y = y;
                look->z = z;
            }
        return flightTime >= flightDuration ? 101 : 100;
    }
    case 3:
        turnPosition = std::min(turnPosition + turnSpeed * dt, 4.9f);
        SetFrame(int32_t(std::floor(turnPosition)));
        return turnPosition >= 4.9f ? 103 : 100;
    case 4:
        turnPosition = std::max(turnPosition - turnSpeed * dt, 0.0f);
        SetFrame(int32_t(std::floor(turnPosition)));
        return turnPosition <= 0.0f ? 103 : 100;
    default:
        return 100;
    }
}

CCapSpriteGroup::CCapSpriteGroup(CRefPtr<CCapsManager> m) : manager(std::move(m))
{
    sprites.reserve(64);
    events.reserve(64);
}

CCapSpriteGroup::~CCapSpriteGroup()
{
    Clear();
    manager.Reset();
}

void CCapSpriteGroup::Add(CRefPtr<CCapSprite>& out, int32_t cardValue, float x, float y, float z,
                          int32_t drawOrder)
{
    CRefPtr<CCapSprite> sprite(new CCapSprite());
    sprite->x = x;
    sprite->y = y;
    sprite->z = z;
    if (manager)
    {
        manager->MakeCapFrame(sprite->frontLook, CCapsManager::kCardBack, x, y, z, 42.0f, drawOrder);
        manager->MakeCapFrame(sprite->backLook, cardValue + 20, x, y, z, 42.0f, drawOrder);
        sprite->frontLook->lightAllowed = 1;
        sprite->backLook->lightAllowed = 1;
        sprite->backLook->shown = 0;
    }
    sprite->SetFrame(0);
    sprite->cardValue = cardValue;
    sprites.push_back(sprite);
    out = sprite;
}

int CCapSpriteGroup::Remove(const CRefPtr<CCapSprite>& sprite)
{
    for (size_t i = 0; i < sprites.size(); ++i)
    {
        if (!sprites[i].SameAs(sprite))
            continue;
        if (manager && sprites[i])
        {
            manager->RemoveLook(sprites[i]->frontLook);
            manager->RemoveLook(sprites[i]->backLook);
        }
        sprites.erase(sprites.begin() + std::ptrdiff_t(i));
        return int(i);
    }
    return -1;
}

int CCapSpriteGroup::Update(float dt)
{
    events.clear();
    for (size_t i = 0; i < sprites.size();)
    {
        CRefPtr<CCapSprite> sprite = sprites[i];
        const int result = sprite->Update(dt);
        if (result == 101 && sprite->state == 2)
        {
            if (manager)
            {
                manager->RemoveLook(sprite->frontLook);
                manager->RemoveLook(sprite->backLook);
            }
            sprites.erase(sprites.begin() + std::ptrdiff_t(i));
            events.push_back(CCapSpriteEvent{102, CRefPtr<CCapSprite>()});
            events.push_back(CCapSpriteEvent{102, CRefPtr<CCapSprite>()});
            continue;
        }
        if (result == 101 || result == 103)
        {
            sprite->state = 0;
            events.push_back(CCapSpriteEvent{result, sprite});
        }
        ++i;
    }
    return int(events.size());
}

void CCapSpriteGroup::Clear()
{
    events.clear();
    if (manager)
        for (const auto& sprite : sprites)
        {
            manager->RemoveLook(sprite->frontLook);
            manager->RemoveLook(sprite->backLook);
        }
    sprites.clear();
}
