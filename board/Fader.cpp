#include "board/Fader.h"

#include <cmath>

CFader::CFader()
{
    textures.reserve(2);
    vertices.reserve(88);
    colours.reserve(88);
    premultiplied.reserve(22);
    indices.reserve(132);
    batches.reserve(3);
    blendFactors.reserve(3);
}

void CFader::Start(int32_t newActive, float newSpeed)
{
    if (newActive == 0)
    {
        if (newSpeed > 0.0f)
            speed = -newSpeed;
        else
        {
            active = 0;
            value = 0.0f;
            speed = 0.0f;
        }
        return;
    }
    active = newActive;
    if (newSpeed > 0.0f)
        speed = newSpeed;
    else
    {
        value = 1.0f;
        speed = 0.0f;
    }
}

void CFader::Update(float dt)
{
    if (speed > 0.0f)
    {
        value += speed * dt;
        if (value > 1.0f)
        {
            value = 1.0f;
            speed = 0.0f;
        }
    }
    else if (speed < 0.0f)
    {
        value += speed * dt;
        if (value <= 0.0f)
        {
            value = 0.0f;
            speed = 0.0f;
            active = 0;
        }
    }
}

void CFader::Build(const std::vector<float>& rects, const std::vector<float>& uvs,
                   const std::vector<int32_t>& textureIndices, const std::vector<uint32_t>& quadColours,
                   const std::vector<int32_t>& blendModes)
{
    vertices.clear();
    colours.clear();
    premultiplied.clear();
    indices.clear();
    batches.clear();
    blendFactors.clear();
    const size_t quads = rects.size() / 4;
    Batch batch{0, 0};
    Blend blend{0, 0};
    for (size_t i = 0; i < quads; ++i)
    {
        const int32_t mode = i < blendModes.size() ? blendModes[i] : 0;
        Blend factors{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA};
        int32_t premultiply = 0;
        if (mode == 1)
            factors = Blend{D3DBLEND_SRCALPHA, D3DBLEND_ONE};
        else if (mode == 2)
        {
            factors = Blend{D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR};
            premultiply = 1;
        }
        else if (mode == 3)
        {
            factors = Blend{D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR};
            premultiply = 1;
        }
        premultiplied.push_back(premultiply);

        const int32_t texture = i < textureIndices.size() ? textureIndices[i] : 0;
        if (i == 0 || texture != batch.textureIndex || factors.source != blend.source ||
            factors.destination != blend.destination)
        {
            if (batch.quadCount > 0)
            {
                batches.push_back(batch);
                blendFactors.push_back(blend);
            }
            batch = Batch{texture, 0};
            blend = factors;
        }

        const float x = rects[i * 4], y = rects[i * 4 + 1], w = rects[i * 4 + 2], h = rects[i * 4 + 3];
        const uint32_t argb = i < quadColours.size() ? quadColours[i] : 0xFFFFFFFFu;
        const float xs[4] = {x, x + w, x + w, x};
        const float ys[4] = {-y, -y, -y - h, -y - h};
        for (int k = 0; k < 4; ++k)
        {
            const size_t uv = i * 8 + size_t(k) * 2;
            const float u = uv < uvs.size() ? uvs[uv] : 0.0f;
            const float v = uv + 1 < uvs.size() ? uvs[uv + 1] : 0.0f;
            vertices.push_back(Vertex{xs[k], ys[k], argb & 0x00FFFFFFu, u, v});
            colours.push_back(Colour{float((argb >> 16) & 0xFF), float((argb >> 8) & 0xFF), float(argb & 0xFF),
                                     float(argb >> 24)});
        }
        const int32_t base = int32_t(i) * 4;
        indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        ++batch.quadCount;
    }
    if (batch.quadCount > 0)
    {
        batches.push_back(batch);
        blendFactors.push_back(blend);
    }
}

int CFader::Draw(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer, CRefPtr<CIndexBuffer> indexBuffer)
{
    if (!device || !vertexBuffer || !indexBuffer || vertices.empty())
        return 0;
    CDevice& dev = *device;
    SetTextureTimesDiffuse(dev);
    dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 1);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);

    void* data = nullptr;
    if (FAILED(vertexBuffer->Lock(DWORD(vertices.size()), &data, false)))
        return 0;
    CVertex* out = static_cast<CVertex*>(data);
    const size_t quads = vertices.size() / 4;
    for (size_t q = 0; q < quads; ++q)
    {
        const Colour& c = colours[q * 4];
        const float a = c.alpha * value;
        const uint32_t alpha = uint32_t(std::floor(a)) & 0xFF;
        uint32_t colour;
        if (premultiplied[q])
        {
            const uint32_t r = uint32_t(std::floor(c.red * a / 255.0f)) & 0xFF;
            const uint32_t g = uint32_t(std::floor(c.green * a / 255.0f)) & 0xFF;
            const uint32_t b = uint32_t(std::floor(c.blue * a / 255.0f)) & 0xFF;
            colour = alpha << 24 | r << 16 | g << 8 | b;
        }
        else
            colour = alpha << 24 | (vertices[q * 4].rgb & 0x00FFFFFFu);
        for (size_t k = q * 4; k < q * 4 + 4; ++k)
        {
            const Vertex& v = vertices[k];
            CVertex& o = out[k];
            o.x = scale[0] * v.x + position[0];
            o.y = v.y * scale[1] + position[1];
            o.z = position[2];
            o.colour = colour;
            o.u = v.u;
            o.v = v.v;
            o.u2 = 0.0f;
            o.v2 = 0.0f;
        }
    }
    vertexBuffer->Unlock();
    const uint32_t firstVertex = vertexBuffer->lockStart;

    if (FAILED(indexBuffer->Lock(DWORD(indices.size()), &data, false)))
        return 0;
    uint16_t* idx = static_cast<uint16_t*>(data);
    for (size_t i = 0; i < indices.size(); ++i)
        idx[i] = uint16_t(uint32_t(indices[i]) + firstVertex);
    indexBuffer->Unlock();
    const uint32_t firstIndex = indexBuffer->lockStart;

    dev.SetStreamSource(vertexBuffer);
    dev.SetIndices(indexBuffer, 0);
    uint32_t drawn = 0;
    for (size_t b = 0; b < batches.size(); ++b)
    {
        if (b == 0 || batches[b].textureIndex != batches[b - 1].textureIndex)
        {
            const int32_t t = batches[b].textureIndex;
            dev.SetTexture(0, t >= 0 && size_t(t) < textures.size() ? textures[size_t(t)] : CRefPtr<CTexture>());
        }
        dev.SetRenderState(D3DRS_SRCBLEND, blendFactors[b].source);
        dev.SetRenderState(D3DRS_DESTBLEND, blendFactors[b].destination);
        const uint32_t count = uint32_t(batches[b].quadCount);
        dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex + 4 * drawn, count * 4, firstIndex + 6 * drawn,
                                 count * 2);
        drawn += count;
    }
    dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    return 1;
}
