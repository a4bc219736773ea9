// Inside the Direct3D layer: reference counting, the state tables both backends keep,
// and memory-held resources (a texture's levels in its declared format, which a backend
// may drop once the driver holds them and fill again on the next lock; buffers live in
// system memory and are read by the draw at once).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d8.h"

namespace d3d8impl {

template <class Base>
class RefCounted : public Base
{
public:
    DWORD AddRef() override { return ++m_refs; }
    DWORD Release() override
    {
        DWORD left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

private:
    DWORD m_refs = 1;
};

// Number of mip levels of a full chain down to 1 x 1.
UINT FullChainLevels(UINT width, UINT height);

// What a device keeps of the render state; applied by the GL backend at draw time.
struct StateTables
{
    DWORD render[kD3DRenderStateCount];
    DWORD stage[kD3DStageCount][kD3DStageStateCount];
    D3DMATRIX world, view, projection;
    D3DVIEWPORT8 viewport;
    IDirect3DBaseTexture8* textures[kD3DStageCount];
    IDirect3DVertexBuffer8* stream;
    UINT streamStride;
    IDirect3DIndexBuffer8* indices;
    UINT baseVertexIndex;
    DWORD fvf;

    // The defaults of a new or reset device: depth test on (LESSEQUAL, writes on), alpha
    // test and blending off, stage 0 MODULATE(TEXTURE, CURRENT), later stages DISABLE,
    // POINT sampling, WRAP addressing; nothing bound.
    void SetDefaults(UINT backBufferWidth, UINT backBufferHeight);

    // The device calls that only check their arguments and store or read a table entry,
    // the same on both backends: D3DERR_INVALIDCALL for a missing pointer, an unknown
    // transform, a render state number not defined, a stage past the last or a stage
    // state type outside 1..28.
    D3DMATRIX* Transform(D3DTRANSFORMSTATETYPE state);
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m);
    HRESULT GetViewport(D3DVIEWPORT8* v) const;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
    HRESULT SetStageState(DWORD stageNumber, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT GetStageState(DWORD stageNumber, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const;
};

// Shared by a device and the resources it made, which may outlive it: live counts by
// pool (a reset with live default-pool resources is what the original refuses) and the
// hook that unbinds a resource from the device when it is destroyed.
struct DeviceLink
{
    int liveDefault = 0;
    int liveManaged = 0;
    StateTables* states = nullptr; // null once the device is gone
    std::function<void(IDirect3DUnknown8*)> onDestroy;

    void Unbind(IDirect3DUnknown8* object);
};

class MemTexture : public RefCounted<IDirect3DTexture8>
{
public:
    // With holdBits false no level is allocated until it is first locked.
    MemTexture(std::shared_ptr<DeviceLink> link, UINT width, UINT height, UINT levels, DWORD usage,
               D3DFORMAT format, D3DPOOL pool, bool holdBits = true);
    ~MemTexture() override;

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(m_levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    struct Level
    {
        UINT width;
        UINT height;
        UINT pitch;
        std::vector<BYTE> bits;
        bool locked;
    };
    const Level& GetLevel(UINT level) const { return m_levels[level]; }
    D3DFORMAT Format() const { return m_format; }
    D3DPOOL Pool() const { return m_pool; }
    // True when the driver makes the levels past 0 from level 0 and ignores what is
    // written into them: a loader then fills level 0 only.
    virtual bool MakesOwnMips() const { return false; }
    // A texture whose pixels a loader can make again at any time (from the picture file
    // it read): a backend that takes `fill` leaves the texture empty until it is first
    // drawn or locked and calls `fill` then; false when the loader must fill it now.
    virtual bool DefersFill(std::function<HRESULT(IDirect3DTexture8*)> /*fill*/) { return false; }
    // The picture file it was read from (its name only), for the device's draw trace.
    void SetLabel(std::string label) { m_label = std::move(label); }
    const std::string& Label() const { return m_label; }

protected:
    // Called after a successful UnlockRect (the GL backend uploads level 0).
    virtual void OnUnlock(UINT /*level*/) {}
    // Called when a level whose copy was dropped is locked: its bits are zero-filled
    // and the backend may fill them from what the driver holds.
    virtual void OnRestore(UINT /*level*/, Level& /*bits*/) {}
    // Frees a level's copy; the next lock restores it.
    void DropLevel(UINT level);

    std::shared_ptr<DeviceLink> m_link;
    std::vector<Level> m_levels;
    std::string m_label;
    DWORD m_usage;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
};

class MemSurface : public RefCounted<IDirect3DSurface8>
{
public:
    MemSurface(UINT width, UINT height, D3DFORMAT format);

    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    UINT width;
    UINT height;
    D3DFORMAT format;
    UINT pitch;
    std::vector<BYTE> bits;
    bool locked = false;
};

// System-memory buffer behind a vertex or an index buffer. A lock beyond the capacity
// fails and leaves the caller's pointer untouched.
struct MemBufferData
{
    std::vector<BYTE> bytes;
    int lockDepth = 0;

    HRESULT Lock(UINT offset, UINT size, BYTE** data);
    HRESULT Unlock();
};

class MemVertexBuffer : public RefCounted<IDirect3DVertexBuffer8>
{
public:
    MemVertexBuffer(std::shared_ptr<DeviceLink> link, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~MemVertexBuffer() override;

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override { return m_data.Lock(offset, size, data); }
    HRESULT Unlock() override { return m_data.Unlock(); }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    const std::vector<BYTE>& Bytes() const { return m_data.bytes; }
    DWORD Fvf() const { return m_fvf; }

private:
    std::shared_ptr<DeviceLink> m_link;
    MemBufferData m_data;
    DWORD m_usage;
    DWORD m_fvf;
    D3DPOOL m_pool;
};

class MemIndexBuffer : public RefCounted<IDirect3DIndexBuffer8>
{
public:
    MemIndexBuffer(std::shared_ptr<DeviceLink> link, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~MemIndexBuffer() override;

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override { return m_data.Lock(offset, size, data); }
    HRESULT Unlock() override { return m_data.Unlock(); }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    const std::vector<BYTE>& Bytes() const { return m_data.bytes; }
    D3DFORMAT Format() const { return m_format; }

private:
    std::shared_ptr<DeviceLink> m_link;
    MemBufferData m_data;
    DWORD m_usage;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
};

// The lowest and highest vertex a draw's indices name (base vertex index not added).
struct IndexRange
{
    UINT lowest = 0;
    UINT highest = 0;
};

// Checks the arguments of DrawIndexedPrimitive against the bound buffers: every index
// read must exist and name a vertex inside the stream. `range`, when given, receives
// the vertices the indices name.
HRESULT ValidateDraw(const StateTables& s, D3DPRIMITIVETYPE type, UINT startIndex, UINT primitiveCount,
                     UINT* indexCount, IndexRange* range = nullptr);

// Whether the texture's levels past 0 are made by the driver (see MemTexture).
bool TextureMakesOwnMips(IDirect3DTexture8* texture);
// Hands the texture a way to fill itself later (see MemTexture::DefersFill).
bool DeferTextureFill(IDirect3DTexture8* texture, std::function<HRESULT(IDirect3DTexture8*)> fill);
// Names a texture after the picture file it was read from (the draw trace shows it).
void LabelTexture(IDirect3DTexture8* texture, const char* file);

} // namespace d3d8impl
