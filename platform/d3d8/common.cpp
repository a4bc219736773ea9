// Memory-held resources and state tables shared by both Direct3D backends.
#include "platform/d3d8/common.h"

#include <algorithm>
#include <cstring>

namespace d3d8impl {

UINT FullChainLevels(UINT width, UINT height)
{
    UINT size = width > height ? width : height;
    UINT levels = 1;
    while (size > 1)
    {
        size >>= 1;
        ++levels;
    }
    return levels;
}

void StateTables::SetDefaults(UINT backBufferWidth, UINT backBufferHeight)
{
    for (DWORD& v : render)
        v = 0;
    render[D3DRS_ZENABLE] = 1;
    render[D3DRS_FILLMODE] = 3;
    render[D3DRS_SHADEMODE] = 2;
    render[D3DRS_ZWRITEENABLE] = 1;
    render[D3DRS_ALPHATESTENABLE] = 0;
    render[D3DRS_LASTPIXEL] = 1;
    render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    render[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    render[D3DRS_CULLMODE] = D3DCULL_CCW;
    render[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    render[D3DRS_ALPHAREF] = 0;
    render[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    render[D3DRS_ALPHABLENDENABLE] = 0;
    render[D3DRS_LIGHTING] = 1;
    render[D3DRS_CLIPPING] = 1;
    render[D3DRS_COLORVERTEX] = 1;
    render[D3DRS_STENCILMASK] = 0xffffffffu;
    render[D3DRS_STENCILWRITEMASK] = 0xffffffffu;
    render[D3DRS_COLORWRITEENABLE] = 0xf;
    render[D3DRS_BLENDOP] = 1;

    for (DWORD s = 0; s < kD3DStageCount; ++s)
    {
        for (DWORD& v : stage[s])
            v = 0;
        stage[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        stage[s][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        stage[s][D3DTSS_COLORARG2] = D3DTA_CURRENT;
        stage[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        stage[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        stage[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        stage[s][D3DTSS_TEXCOORDINDEX] = s;
        stage[s][D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        stage[s][D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        stage[s][D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        stage[s][D3DTSS_MINFILTER] = D3DTEXF_POINT;
        stage[s][D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        textures[s] = nullptr;
    }
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    world = view = projection = identity;
    viewport = D3DVIEWPORT8{0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
    stream = nullptr;
    streamStride = 0;
    indices = nullptr;
    baseVertexIndex = 0;
    fvf = 0;
}

D3DMATRIX* StateTables::Transform(D3DTRANSFORMSTATETYPE state)
{
    switch (state)
    {
    case D3DTS_WORLD:
        return &world;
    case D3DTS_VIEW:
        return &view;
    case D3DTS_PROJECTION:
        return &projection;
    }
    return nullptr;
}

HRESULT StateTables::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m)
{
    D3DMATRIX* target = Transform(state);
    if (!target || !m)
        return D3DERR_INVALIDCALL;
    *target = *m;
    return D3D_OK;
}

HRESULT StateTables::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m)
{
    D3DMATRIX* source = Transform(state);
    if (!source || !m)
        return D3DERR_INVALIDCALL;
    *m = *source;
    return D3D_OK;
}

HRESULT StateTables::GetViewport(D3DVIEWPORT8* v) const
{
    if (!v)
        return D3DERR_INVALIDCALL;
    *v = viewport;
    return D3D_OK;
}

HRESULT StateTables::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= kD3DRenderStateCount || !D3DIsRenderStateDefined(state))
        return D3DERR_INVALIDCALL;
    render[state] = value;
    return D3D_OK;
}

HRESULT StateTables::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const
{
    if (!value || state >= kD3DRenderStateCount || !D3DIsRenderStateDefined(state))
        return D3DERR_INVALIDCALL;
    *value = render[state];
    return D3D_OK;
}

HRESULT StateTables::SetStageState(DWORD stageNumber, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stageNumber >= kD3DStageCount || type < 1 || type >= kD3DStageStateCount)
        return D3DERR_INVALIDCALL;
    stage[stageNumber][type] = value;
    return D3D_OK;
}

HRESULT StateTables::GetStageState(DWORD stageNumber, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const
{
    if (!value || stageNumber >= kD3DStageCount || type < 1 || type >= kD3DStageStateCount)
        return D3DERR_INVALIDCALL;
    *value = stage[stageNumber][type];
    return D3D_OK;
}

void DeviceLink::Unbind(IDirect3DUnknown8* object)
{
    if (states)
    {
        for (auto& t : states->textures)
            if (t == object)
                t = nullptr;
        if (states->stream == object)
            states->stream = nullptr;
        if (states->indices == object)
            states->indices = nullptr;
    }
    if (onDestroy)
        onDestroy(object);
}

static void CountLive(DeviceLink* link, D3DPOOL pool, int delta)
{
    if (!link)
        return;
    if (pool == D3DPOOL_DEFAULT)
        link->liveDefault += delta;
    else
        link->liveManaged += delta;
}

// ---------------------------------------------------------------------------------
MemTexture::MemTexture(std::shared_ptr<DeviceLink> link, UINT width, UINT height, UINT levels, DWORD usage,
                       D3DFORMAT format, D3DPOOL pool, bool holdBits)
    : m_link(std::move(link)), m_usage(usage), m_format(format), m_pool(pool)
{
    if (levels == 0)
        levels = FullChainLevels(width, height);
    UINT bpp = D3DBytesPerPixel(format);
    UINT w = width, h = height;
    for (UINT i = 0; i < levels; ++i)
    {
        Level l;
        l.width = w;
        l.height = h;
        l.pitch = w * bpp;
        if (holdBits)
            l.bits.assign(static_cast<size_t>(l.pitch) * h, 0);
        l.locked = false;
        m_levels.push_back(std::move(l));
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    CountLive(m_link.get(), m_pool, +1);
}

MemTexture::~MemTexture()
{
    CountLive(m_link.get(), m_pool, -1);
    if (m_link)
        m_link->Unbind(this);
}

HRESULT MemTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level >= m_levels.size() || !desc)
        return D3DERR_INVALIDCALL;
    const Level& l = m_levels[level];
    desc->Format = m_format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = m_usage;
    desc->Pool = m_pool;
    desc->Size = l.pitch * l.height;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = l.width;
    desc->Height = l.height;
    return D3D_OK;
}

HRESULT MemTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD)
{
    if (level >= m_levels.size() || !locked)
        return D3DERR_INVALIDCALL;
    Level& l = m_levels[level];
    if (l.locked)
        return D3DERR_INVALIDCALL;
    UINT x = 0, y = 0;
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(l.width) ||
            rect->bottom > static_cast<LONG>(l.height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        x = static_cast<UINT>(rect->left);
        y = static_cast<UINT>(rect->top);
    }
    if (l.bits.empty())
    {
        l.bits.assign(static_cast<size_t>(l.pitch) * l.height, 0);
        OnRestore(level, l);
    }
    l.locked = true;
    locked->Pitch = static_cast<INT>(l.pitch);
    locked->pBits = l.bits.data() + static_cast<size_t>(y) * l.pitch + x * D3DBytesPerPixel(m_format);
    return D3D_OK;
}

void MemTexture::DropLevel(UINT level)
{
    std::vector<BYTE>().swap(m_levels[level].bits);
}

HRESULT MemTexture::UnlockRect(UINT level)
{
    if (level >= m_levels.size() || !m_levels[level].locked)
        return D3DERR_INVALIDCALL;
    m_levels[level].locked = false;
    OnUnlock(level);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------
MemSurface::MemSurface(UINT w, UINT h, D3DFORMAT f) : width(w), height(h), format(f)
{
    pitch = w * D3DBytesPerPixel(f);
    bits.assign(static_cast<size_t>(pitch) * h, 0);
}

HRESULT MemSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = 0;
    desc->Pool = D3DPOOL_SYSTEMMEM;
    desc->Size = static_cast<UINT>(bits.size());
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = width;
    desc->Height = height;
    return D3D_OK;
}

HRESULT MemSurface::LockRect(D3DLOCKED_RECT* out, const RECT* rect, DWORD)
{
    if (!out || locked)
        return D3DERR_INVALIDCALL;
    UINT x = 0, y = 0;
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(width) ||
            rect->bottom > static_cast<LONG>(height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        x = static_cast<UINT>(rect->left);
        y = static_cast<UINT>(rect->top);
    }
    locked = true;
    out->Pitch = static_cast<INT>(pitch);
    out->pBits = bits.data() + static_cast<size_t>(y) * pitch + x * D3DBytesPerPixel(format);
    return D3D_OK;
}

HRESULT MemSurface::UnlockRect()
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------
HRESULT MemBufferData::Lock(UINT offset, UINT size, BYTE** data)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    size_t capacity = bytes.size();
    if (offset > capacity)
        return D3DERR_INVALIDCALL;
    if (size == 0)
        size = static_cast<UINT>(capacity - offset);
    if (static_cast<size_t>(offset) + size > capacity)
        return D3DERR_INVALIDCALL;
    ++lockDepth;
    *data = bytes.data() + offset;
    return D3D_OK;
}

HRESULT MemBufferData::Unlock()
{
    if (lockDepth == 0)
        return D3DERR_INVALIDCALL;
    --lockDepth;
    return D3D_OK;
}

MemVertexBuffer::MemVertexBuffer(std::shared_ptr<DeviceLink> link, UINT length, DWORD usage, DWORD fvf,
                                 D3DPOOL pool)
    : m_link(std::move(link)), m_usage(usage), m_fvf(fvf), m_pool(pool)
{
    m_data.bytes.assign(length, 0);
    CountLive(m_link.get(), m_pool, +1);
}

MemVertexBuffer::~MemVertexBuffer()
{
    CountLive(m_link.get(), m_pool, -1);
    if (m_link)
        m_link->Unbind(this);
}

HRESULT MemVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, m_usage, m_pool,
                                 static_cast<UINT>(m_data.bytes.size()), m_fvf};
    return D3D_OK;
}

MemIndexBuffer::MemIndexBuffer(std::shared_ptr<DeviceLink> link, UINT length, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool)
    : m_link(std::move(link)), m_usage(usage), m_format(format), m_pool(pool)
{
    m_data.bytes.assign(length, 0);
    CountLive(m_link.get(), m_pool, +1);
}

MemIndexBuffer::~MemIndexBuffer()
{
    CountLive(m_link.get(), m_pool, -1);
    if (m_link)
        m_link->Unbind(this);
}

HRESULT MemIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = D3DINDEXBUFFER_DESC{m_format, D3DRTYPE_INDEXBUFFER, m_usage, m_pool,
                                static_cast<UINT>(m_data.bytes.size())};
    return D3D_OK;
}

// ---------------------------------------------------------------------------------
HRESULT ValidateDraw(const StateTables& s, D3DPRIMITIVETYPE type, UINT startIndex, UINT primitiveCount,
                     UINT* indexCount, IndexRange* range)
{
    auto* vb = dynamic_cast<MemVertexBuffer*>(s.stream);
    auto* ib = dynamic_cast<MemIndexBuffer*>(s.indices);
    if (!vb || !ib || s.streamStride == 0 || primitiveCount == 0)
        return D3DERR_INVALIDCALL;
    UINT count;
    if (type == D3DPT_TRIANGLELIST)
        count = primitiveCount * 3;
    else if (type == D3DPT_TRIANGLESTRIP)
        count = primitiveCount + 2;
    else
        return D3DERR_INVALIDCALL;
    UINT indexSize = ib->Format() == D3DFMT_INDEX32 ? 4 : 2;
    size_t end = (static_cast<size_t>(startIndex) + count) * indexSize;
    if (end > ib->Bytes().size())
        return D3DERR_INVALIDCALL;
    size_t vertices = vb->Bytes().size() / s.streamStride;
    const BYTE* p = ib->Bytes().data() + static_cast<size_t>(startIndex) * indexSize;
    IndexRange named{~0u, 0};
    for (UINT i = 0; i < count; ++i)
    {
        DWORD index;
        if (indexSize == 4)
            std::memcpy(&index, p + i * 4, 4);
        else
        {
            WORD w;
            std::memcpy(&w, p + i * 2, 2);
            index = w;
        }
        if (static_cast<size_t>(index) + s.baseVertexIndex >= vertices)
            return D3DERR_INVALIDCALL;
        named.lowest = std::min<UINT>(named.lowest, index);
        named.highest = std::max<UINT>(named.highest, index);
    }
    *indexCount = count;
    if (range)
        *range = named;
    return D3D_OK;
}

bool TextureMakesOwnMips(IDirect3DTexture8* texture)
{
    const auto* mem = dynamic_cast<const MemTexture*>(texture);
    return mem && mem->MakesOwnMips();
}

bool DeferTextureFill(IDirect3DTexture8* texture, std::function<HRESULT(IDirect3DTexture8*)> fill)
{
    auto* mem = dynamic_cast<MemTexture*>(texture);
    return mem && mem->DefersFill(std::move(fill));
}

void LabelTexture(IDirect3DTexture8* texture, const char* file)
{
    auto* t = dynamic_cast<MemTexture*>(texture);
    if (!t || !file)
        return;
    const char* name = std::strrchr(file, '/');
    t->SetLabel(name ? name + 1 : file);
}

} // namespace d3d8impl
