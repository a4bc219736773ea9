// The sand glass's two drawing passes: the sand body as a strip whose top edge
// follows the heap's displayed columns, then the tinted glass, the frame in
// front and the frenzy star bar.
#include "effects/Sandbox.h"

#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

#include <algorithm>
#include <cmath>

namespace
{

struct FramePiece
{
    float left, right;           // x from the frame's corner
    float u0, v0, u1, v1;        // texture rectangle
};

// The frame: a left end, a middle and a right end side by side, 42 high.
constexpr FramePiece kFramePieces[3] = {
    {0.0f, 242.0f, 0.0f, 0.0f, 0.9453125f, 0.328125f},
    {242.0f, 418.0f, 0.15625f, 0.328125f, 0.84375f, 0.65625f},
    {418.0f, 658.0f, 0.0625f, 0.65625f, 1.0f, 0.984375f},
};
constexpr float kFrameHeight = 42.0f;

uint32_t AlphaOf(float a)
{
    const float f = std::floor(a);
    return uint32_t(std::min(std::max(f, 0.0f), 255.0f));
}

void Corner(CVertex& v, float x, float y, float z, uint32_t colour, float u, float tv)
{
    v.x = x;
    v.y = y;
    v.z = z;
    v.colour = colour;
    v.u = u;
    v.v = tv;
    v.u2 = 0.0f;
    v.v2 = 0.0f;
}

void Quad(CVertex* v, float x0, float y0, float x1, float y1, float z, uint32_t colour, float u0, float v0, float u1,
          float v1)
{
    Corner(v[0], x0, y0, z, colour, u0, v0);
    Corner(v[1], x1, y0, z, colour, u1, v0);
    Corner(v[2], x1, y1, z, colour, u1, v1);
    Corner(v[3], x0, y1, z, colour, u0, v1);
}

void SetGlassStates(CDevice& dev, bool blend)
{
    SetTextureTimesDiffuse(dev);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 1);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? 1 : 0);
    if (blend)
    {
        dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
}

} // namespace

bool CSandbox::DrawPass1(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                         CRefPtr<CIndexBuffer> indexBuffer)
{
    if (!device || !vertexBuffer || !indexBuffer || !heap)
        return false;
    const size_t n = std::min({size_t(heap->columns), area.basePoints.size(), heap->displayed.size()});
    if (n < 2)
        return false;
    void* data = nullptr;
    if (FAILED(vertexBuffer->Lock(DWORD(2 * n), &data, false)))
        return false;
    CVertex* out = static_cast<CVertex*>(data);
    const uint32_t colour = AlphaOf(level * 255.0f) << 24 | 0xFFFFFFu;
    // The texture's upper half shows building sand, its lower half pouring sand.
    const float vOffset = heap->mode == CSandHeap::kPouring ? 0.0f : -0.5f;
    for (size_t i = 0; i < n; ++i)
    {
        const Vec3& b = area.basePoints[i];
        const Vec3& up = area.upVectors[i];
        const float h = float(heap->displayed[i]);
        const float u = area.baseUV[i].first, v = area.baseUV[i].second + vOffset;
        Corner(out[2 * i], b.x, b.y, b.z, colour, u, v);
        Corner(out[2 * i + 1], b.x + up.x * h, b.y + up.y * h, b.z + up.z * h, colour, u + area.upUV[i].first,
               v + area.upUV[i].second * 0.5f * h);
    }
    vertexBuffer->Unlock();
    const uint32_t firstVertex = vertexBuffer->lockStart;
    if (FAILED(indexBuffer->Lock(DWORD(2 * n), &data, false)))
        return false;
    uint16_t* idx = static_cast<uint16_t*>(data);
    for (size_t i = 0; i < 2 * n; ++i)
        idx[i] = uint16_t(firstVertex + i);
    indexBuffer->Unlock();
    const uint32_t firstIndex = indexBuffer->lockStart;

    CDevice& dev = *device;
    SetGlassStates(dev, level != 1.0f);
    const DWORD zWrite = CurrentRenderState(dev, D3DRS_ZWRITEENABLE);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    dev.SetStreamSource(vertexBuffer);
    dev.SetIndices(indexBuffer, 0);
    dev.SetTexture(0, bodyTexture);
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, firstVertex, UINT(2 * n), firstIndex, UINT(2 * n - 2));
    dev.SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
    return true;
}

// The glass's and the frame's three pieces (vertices 0..23), then the star
// bar's q quads.
void CSandbox::FillFrameAndBar(CVertex* out, int32_t q) const
{
    const float X = area.x + frontOffset[0], Y = area.y + frontOffset[1], Z = area.z + frontOffset[2];
    const uint32_t glass = AlphaOf(level * float(glassColour >> 24)) << 24 | (glassColour & 0xFFFFFFu);
    const uint32_t white = AlphaOf(level * 255.0f) << 24 | 0xFFFFFFu;
    for (int k = 0; k < 3; ++k)
    {
        const FramePiece& p = kFramePieces[k];
        Quad(out + 4 * k, X + p.left, Y, X + p.right, Y - kFrameHeight, Z, glass, p.u0, p.v0, p.u1, p.v1);
        Quad(out + 12 + 4 * k, X + p.left, Y, X + p.right, Y - kFrameHeight, Z, white, p.u0, p.v0, p.u1, p.v1);
    }
    if (q > 0)
    {
        const float c = float(barCount);
        const float f = c * float(heap ? heap->refill : 0.0);
        const int32_t n = std::min(std::max(int32_t(std::floor(f)), 0), std::max(barCount - 1, 0));
        const float w = barElementSize[0], h = barElementSize[1];
        const float bx = area.x + barOffset[0], by = area.y + barOffset[1];
        const uint32_t rgb = barColour & 0xFFFFFFu;
        const uint32_t filling = AlphaOf(level * barPresence * (f - float(n)) * 255.0f) << 24 | rgb;
        Quad(out + 24, bx + float(n) * w, by, bx + float(n + 1) * w, by - h, Z, filling, 0.0f, 0.0f, 1.0f, 1.0f);
        if (q == 2)
        {
            const uint32_t full = AlphaOf(level * barPresence * 255.0f) << 24 | rgb;
            Quad(out + 28, bx, by, bx + float(n) * w, by - h, Z, full, 0.0f, 0.0f, float(n), 1.0f);
        }
    }
}

bool CSandbox::DrawPass2(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                         CRefPtr<CIndexBuffer> indexBuffer)
{
    if (!device || !vertexBuffer || !indexBuffer)
        return false;
    const int32_t q = BarQuads();
    const size_t quads = size_t(q) + 6;
    void* data = nullptr;
    if (FAILED(vertexBuffer->Lock(DWORD(quads * 4), &data, false)))
        return false;
    FillFrameAndBar(static_cast<CVertex*>(data), q);
    vertexBuffer->Unlock();
    const uint32_t firstVertex = vertexBuffer->lockStart;
    if (FAILED(indexBuffer->Lock(DWORD(quads * 6), &data, false)))
        return false;
    uint16_t* idx = static_cast<uint16_t*>(data);
    for (size_t k = 0; k < quads; ++k)
    {
        const uint16_t b = uint16_t(firstVertex + 4 * k);
        const uint16_t six[6] = {b, uint16_t(b + 1), uint16_t(b + 2), b, uint16_t(b + 2), uint16_t(b + 3)};
        std::copy(six, six + 6, idx + 6 * k);
    }
    indexBuffer->Unlock();
    const uint32_t firstIndex = indexBuffer->lockStart;

    CDevice& dev = *device;
    SetGlassStates(dev, true);
    const DWORD zWrite = CurrentRenderState(dev, D3DRS_ZWRITEENABLE);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    dev.SetStreamSource(vertexBuffer);
    dev.SetIndices(indexBuffer, 0);
    dev.SetTexture(0, glassTexture);
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex, 12, firstIndex, 6);
    dev.SetTexture(0, frontTexture);
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex + 12, 12, firstIndex + 18, 6);
    if (q > 0)
    {
        dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        dev.SetTexture(0, starTexture);
        dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex + 24, UINT(4 * q), firstIndex + 36, UINT(2 * q));
        dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    dev.SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
    return true;
}
