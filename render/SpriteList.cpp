#include "render/SpriteList.h"

#include "render/SharedBuffers.h"

#include <algorithm>

namespace {

const int32_t kNoLevel = -1000000000;

bool SameState(const CSpriteShape& a, const CSpriteShape& b)
{
    if (!a.blended && !b.blended)
        return true;
    return a.blended == b.blended && a.depthTest == b.depthTest && a.zWrite == b.zWrite &&
           a.srcBlend == b.srcBlend && a.destBlend == b.destBlend;
}

// The stage set-up both passes draw with: texture times diffuse, no second stage.
void SetStageStates(CDevice& device)
{
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device.SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device.SetTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
}

} // namespace

CSpriteList::CSpriteList(CRefPtr<CDevice> device_, CRefPtr<CVertexBuffer> vertexBuffer_,
                         CRefPtr<CIndexBuffer> indexBuffer_)
    : enabled(1)
{
    SetResources(device_, vertexBuffer_, indexBuffer_);
}

CSpriteList::~CSpriteList()
{
    hiddenList.clear();
    visibleList.clear();
    indexBuffer.Reset();
    vertexBuffer.Reset();
    device.Reset();
}

void CSpriteList::SetResources(CRefPtr<CDevice> device_, CRefPtr<CVertexBuffer> vertexBuffer_,
                               CRefPtr<CIndexBuffer> indexBuffer_)
{
    device = device_;
    vertexBuffer = vertexBuffer_;
    indexBuffer = indexBuffer_;
}

bool CSpriteList::SameTexture(const CRefPtr<CTexture>& a, const CRefPtr<CTexture>& b)
{
    return a.SameAs(b) || (!a.IsValid() && !b.IsValid());
}

void CSpriteList::Add(CRefPtr<CSpriteShape> shape)
{
    if (!shape.IsValid())
        return;
    if (shape->visible)
        InsertSorted(shape);
    else
        hiddenList.push_front(shape);
}

void CSpriteList::InsertSorted(CRefPtr<CSpriteShape> shape)
{
    if (!shape.IsValid())
        return;
    const CSpriteShape& s = *shape;
    bool passedOwnTexture = false;
    for (auto it = visibleList.begin(); it != visibleList.end(); ++it)
    {
        const CSpriteShape& e = **it;
        if (!e.visible)
            continue;
        if (e.zOrder < s.zOrder)
        {
            visibleList.insert(it, shape);
            return;
        }
        if (e.zOrder != s.zOrder)
            continue;
        if (SameTexture(e.texture, s.texture))
        {
            if (SameState(e, s))
            {
                visibleList.insert(it, shape);
                return;
            }
            passedOwnTexture = true;
        }
        else if (passedOwnTexture)
        {
            // The end of this texture's group.
            visibleList.insert(it, shape);
            return;
        }
    }
    visibleList.push_back(shape);
}

void CSpriteList::Refile(const CRefPtr<CSpriteShape>* removing)
{
    for (auto it = visibleList.begin(); it != visibleList.end();)
    {
        if (removing && it->SameAs(*removing))
            it = visibleList.erase(it);
        else if (!(*it)->visible)
        {
            hiddenList.push_front(*it);
            it = visibleList.erase(it);
        }
        else
            ++it;
    }
    for (auto it = hiddenList.begin(); it != hiddenList.end();)
    {
        if (removing && it->SameAs(*removing))
            it = hiddenList.erase(it);
        else if ((*it)->visible)
        {
            InsertSorted(*it);
            it = hiddenList.erase(it);
        }
        else
            ++it;
    }
}

void CSpriteList::Remove(CRefPtr<CSpriteShape> shape)
{
    Refile(&shape);
}

void CSpriteList::SetVisible(CRefPtr<CSpriteShape> shape, int visible)
{
    if (shape.IsValid())
        shape->visible = visible;
    Refile(nullptr);
}

void CSpriteList::SyncLists()
{
    Refile(nullptr);
}

void CSpriteList::Resort()
{
    SyncLists();
    ShapeList old;
    old.swap(visibleList);
    for (const CRefPtr<CSpriteShape>& shape : old)
        InsertSorted(shape);
}

void CSpriteList::UpdateAll(float dt, int force)
{
    for (ShapeList* list : {&visibleList, &hiddenList})
    {
        for (auto it = list->begin(); it != list->end();)
        {
            CSpriteShape& shape = **it;
            if (shape.visible || force)
                shape.Update(dt);
            if (shape.mortal && shape.life <= 0.0f)
                it = list->erase(it);
            else
                ++it;
        }
    }
}

template <class SetStates>
bool CSpriteList::DrawRun(const SetStates& setStates)
{
    // A run longer than the shared buffers hold is drawn in pieces.
    const size_t maxQuads = QuadCapacity(*vertexBuffer, *indexBuffer);
    if (maxQuads == 0)
        return false;
    for (size_t first = 0; first < m_run.size(); first += maxQuads)
    {
        const size_t count = std::min(maxQuads, m_run.size() - first);
        CVertex* vertices = nullptr;
        uint16_t* indices = nullptr;
        if (FAILED(LockRun(*vertexBuffer, *indexBuffer, DWORD(count * 4), DWORD(count * 6), &vertices, &indices)))
            return false;
        const uint32_t base = vertexBuffer->lockStart;
        for (size_t i = 0; i < count; ++i)
            m_run[first + i]->WriteQuad(vertices + i * 4, indices + i * 6, base + uint32_t(i * 4));
        indexBuffer->Unlock();
        vertexBuffer->Unlock();
        setStates();
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexBuffer->lockStart, UINT(count * 4),
                                     indexBuffer->lockStart, UINT(count * 2));
    }
    return true;
}

void CSpriteList::DrawOpaque()
{
    if (visibleList.empty() || !device.IsValid() || !vertexBuffer.IsValid() ||
        !indexBuffer.IsValid())
        return;
    CDevice& dev = *device;
    const DWORD savedZWrite = CurrentRenderState(dev, D3DRS_ZWRITEENABLE);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 0x80);
    dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    SetStageStates(dev);

    for (auto it = visibleList.begin(); it != visibleList.end();)
    {
        const CSpriteShape& first = **it;
        if (!first.visible || first.blended)
        {
            ++it;
            continue;
        }
        // The run takes every following opaque shape with this texture and z-write,
        // passing over hidden and blended ones, up to the first opaque one that differs.
        m_run.clear();
        m_run.push_back(it->Get());
        auto last = it;
        for (auto next = std::next(it); next != visibleList.end(); ++next)
        {
            const CSpriteShape& e = **next;
            if (!e.visible || e.blended)
                continue;
            if (!SameTexture(e.texture, first.texture) || e.zWrite != first.zWrite)
                break;
            m_run.push_back(next->Get());
            last = next;
        }
        const bool drawn = DrawRun([&] {
            dev.SetTexture(0, first.texture);
            dev.SetRenderState(D3DRS_ZWRITEENABLE, DWORD(first.zWrite));
        });
        if (!drawn)
            break;
        it = std::next(last);
    }
    m_run.clear();
    dev.SetRenderState(D3DRS_ZWRITEENABLE, savedZWrite);
}

void CSpriteList::DrawBlended(int layer)
{
    if (!device.IsValid() || !vertexBuffer.IsValid() || !indexBuffer.IsValid())
        return;
    auto considered = [layer](const CSpriteShape& s) {
        return s.visible && s.blended && s.layer == layer;
    };
    int32_t level = kNoLevel;
    for (const CRefPtr<CSpriteShape>& shape : visibleList)
        if (considered(*shape) && shape->zOrder > level)
            level = shape->zOrder;
    if (level == kNoLevel)
        return;

    CDevice& dev = *device;
    const DWORD savedZWrite = CurrentRenderState(dev, D3DRS_ZWRITEENABLE);
    const DWORD savedZFunc = CurrentRenderState(dev, D3DRS_ZFUNC);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 0);
    dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    SetStageStates(dev);

    // One walk per z-order level, from the highest down; each walk notes the
    // next lower level it passed.
    bool failed = false;
    while (level != kNoLevel && !failed)
    {
        int32_t nextLevel = kNoLevel;
        auto noteLevel = [&](int32_t z) {
            if (z < level && z > nextLevel)
                nextLevel = z;
        };
        for (auto it = visibleList.begin(); it != visibleList.end();)
        {
            const CSpriteShape& first = **it;
            if (!considered(first))
            {
                ++it;
                continue;
            }
            if (first.zOrder != level)
            {
                noteLevel(first.zOrder);
                ++it;
                continue;
            }
            m_run.clear();
            m_run.push_back(it->Get());
            auto last = it;
            for (auto next = std::next(it); next != visibleList.end(); ++next)
            {
                const CSpriteShape& e = **next;
                if (!considered(e))
                    continue;
                if (e.zOrder != level)
                {
                    noteLevel(e.zOrder);
                    continue;
                }
                if (!SameTexture(e.texture, first.texture) || e.depthTest != first.depthTest ||
                    e.zWrite != first.zWrite || e.srcBlend != first.srcBlend ||
                    e.destBlend != first.destBlend)
                    break;
                m_run.push_back(next->Get());
                last = next;
            }
            const bool drawn = DrawRun([&] {
                dev.SetRenderState(D3DRS_ZWRITEENABLE, DWORD(first.zWrite));
                dev.SetRenderState(D3DRS_ZFUNC, first.depthTest ? savedZFunc : DWORD(D3DCMP_ALWAYS));
                dev.SetRenderState(D3DRS_SRCBLEND, first.srcBlend);
                dev.SetRenderState(D3DRS_DESTBLEND, first.destBlend);
                dev.SetTexture(0, first.texture);
            });
            if (!drawn)
            {
                failed = true;
                break;
            }
            it = std::next(last);
        }
        level = nextLevel;
    }
    m_run.clear();
    dev.SetRenderState(D3DRS_ZWRITEENABLE, savedZWrite);
    dev.SetRenderState(D3DRS_ZFUNC, savedZFunc);
}
