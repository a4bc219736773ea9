// The recording backend: memory-only resources, no drawing, every call recorded and
// counted; tests script failures, adapters, modes, caps, formats and device loss.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/d3d8/backends.h"
#include "platform/d3d8/common.h"

namespace platform {

D3DRecorder::D3DRecorder()
{
    adapters.push_back(DefaultAdapter());
}

RecAdapter D3DRecorder::DefaultAdapter()
{
    RecAdapter a;
    std::snprintf(a.identifier.Driver, sizeof a.identifier.Driver, "%s", "recording");
    std::snprintf(a.identifier.Description, sizeof a.identifier.Description, "%s", "Recording adapter");
    const UINT sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
    for (auto& s : sizes)
        for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
            a.modes.push_back(D3DDISPLAYMODE{s[0], s[1], 60, f});
    a.desktop = D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
    a.caps.DeviceType = D3DDEVTYPE_HAL;
    a.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    a.caps.MaxTextureWidth = a.caps.MaxTextureHeight = 4096;
    a.caps.MaxVertexIndex = 65535;
    a.caps.MaxPrimitiveCount = 65535;
    a.caps.MaxTextureBlendStages = 8;
    a.caps.MaxSimultaneousTextures = 2;
    a.windowedFormats = {D3DFMT_X8R8G8B8};
    a.fullScreenFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    a.textureFormats = {D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5,
                        D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,       D3DFMT_A8R3G3B2,
                        D3DFMT_X4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_A4L4};
    a.renderTargetFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    return a;
}

void D3DRecorder::Fail(const std::string& method, HRESULT result, int times)
{
    m_failures[method] = Failure{result, times};
}

void D3DRecorder::StopFailing(const std::string& method)
{
    m_failures.erase(method);
}

HRESULT D3DRecorder::Scripted(const std::string& method)
{
    auto it = m_failures.find(method);
    if (it == m_failures.end())
        return D3D_OK;
    HRESULT result = it->second.result;
    if (it->second.times > 0 && --it->second.times == 0)
        m_failures.erase(it);
    return result;
}

int D3DRecorder::Count(const std::string& method, const std::string& args) const
{
    std::string prefix = method + "(" + args;
    int n = 0;
    for (const std::string& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0)
            ++n;
    return n;
}

} // namespace platform

namespace d3d8impl {
namespace {

using platform::D3DRecorder;
using platform::RecAdapter;

std::string Hex(DWORD v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
}

template <class... Args>
std::string Call(const char* method, const Args&... args)
{
    std::ostringstream out;
    out << method << "(";
    bool first = true;
    ((out << (first ? "" : ", ") << args, first = false), ...);
    out << ")";
    return out.str();
}

bool Contains(const std::vector<D3DFORMAT>& list, D3DFORMAT f)
{
    return std::find(list.begin(), list.end(), f) != list.end();
}

class RecDevice : public RefCounted<IDirect3DDevice8>
{
public:
    RecDevice(std::shared_ptr<D3DRecorder> rec, const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& params)
        : m_rec(std::move(rec)), m_caps(caps), m_params(params), m_link(std::make_shared<DeviceLink>())
    {
        m_states.SetDefaults(params.BackBufferWidth, params.BackBufferHeight);
        m_link->states = &m_states;
        std::weak_ptr<D3DRecorder> weak = m_rec;
        m_link->onDestroy = [weak](IDirect3DUnknown8* object) {
            auto rec = weak.lock();
            if (!rec)
                return;
            D3DPOOL pool = D3DPOOL_MANAGED;
            if (auto* t = dynamic_cast<MemTexture*>(object))
                pool = t->Pool();
            else if (auto* v = dynamic_cast<IDirect3DVertexBuffer8*>(object))
            {
                D3DVERTEXBUFFER_DESC d;
                v->GetDesc(&d);
                pool = d.Pool;
            }
            else if (auto* i = dynamic_cast<IDirect3DIndexBuffer8*>(object))
            {
                D3DINDEXBUFFER_DESC d;
                i->GetDesc(&d);
                pool = d.Pool;
            }
            (pool == D3DPOOL_DEFAULT ? rec->liveDefault : rec->liveManaged)--;
            rec->calls.push_back(Call("Destroyed", pool == D3DPOOL_DEFAULT ? "default" : "managed"));
        };
        for (auto& ramp : {&m_gamma.red, &m_gamma.green, &m_gamma.blue})
            for (int i = 0; i < 256; ++i)
                (*ramp)[i] = static_cast<WORD>(i * 257);
        ++m_rec->liveDevices;
    }

    ~RecDevice() override
    {
        m_link->states = nullptr;
        --m_rec->liveDevices;
    }

    DWORD Release() override
    {
        m_rec->calls.push_back("Device.Release()");
        return RefCounted<IDirect3DDevice8>::Release();
    }

    HRESULT Record(const std::string& call, const std::string& method)
    {
        m_rec->calls.push_back(call);
        return m_rec->Scripted(method);
    }

    HRESULT TestCooperativeLevel() override
    {
        HRESULT hr = Record(Call("TestCooperativeLevel"), "TestCooperativeLevel");
        return FAILED(hr) ? hr : m_rec->cooperativeLevel;
    }

    HRESULT Reset(D3DPRESENT_PARAMETERS* p) override
    {
        if (!p)
            return D3DERR_INVALIDCALL;
        HRESULT hr = Record(Call("Reset", p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat,
                                 p->Windowed, Hex(p->FullScreen_PresentationInterval)),
                            "Reset");
        if (FAILED(hr))
            return hr;
        if (m_rec->cooperativeLevel == D3DERR_DEVICELOST)
            return D3DERR_DEVICELOST;
        if (m_rec->strictReset && m_link->liveDefault > 0)
            return D3DERR_INVALIDCALL;
        m_params = *p;
        m_states.SetDefaults(p->BackBufferWidth, p->BackBufferHeight);
        m_rec->cooperativeLevel = D3D_OK;
        return D3D_OK;
    }

    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override
    {
        HRESULT hr = Record(Call("Present"), "Present");
        if (FAILED(hr))
            return hr;
        return m_rec->cooperativeLevel == D3DERR_DEVICELOST ? D3DERR_DEVICELOST : D3D_OK;
    }

    HRESULT BeginScene() override
    {
        HRESULT hr = Record(Call("BeginScene"), "BeginScene");
        if (FAILED(hr))
            return hr;
        if (m_inScene)
            return D3DERR_INVALIDCALL;
        m_inScene = true;
        return D3D_OK;
    }

    HRESULT EndScene() override
    {
        HRESULT hr = Record(Call("EndScene"), "EndScene");
        if (FAILED(hr))
            return hr;
        if (!m_inScene)
            return D3DERR_INVALIDCALL;
        m_inScene = false;
        return D3D_OK;
    }

    HRESULT Clear(DWORD count, const D3DRECT*, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override
    {
        return Record(Call("Clear", count, flags, Hex(colour), z, stencil), "Clear");
    }

    HRESULT SetViewport(const D3DVIEWPORT8* v) override
    {
        if (!v)
            return D3DERR_INVALIDCALL;
        HRESULT hr = Record(Call("SetViewport", v->X, v->Y, v->Width, v->Height, v->MinZ, v->MaxZ), "SetViewport");
        if (SUCCEEDED(hr))
            m_states.viewport = *v;
        return hr;
    }

    HRESULT GetViewport(D3DVIEWPORT8* v) override { return m_states.GetViewport(v); }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) override
    {
        HRESULT hr = Record(Call("SetTransform", state), "SetTransform");
        return FAILED(hr) ? hr : m_states.SetTransform(state, m);
    }

    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override
    {
        return m_states.GetTransform(state, m);
    }

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        HRESULT hr = Record(Call("SetRenderState", state, value), "SetRenderState");
        return FAILED(hr) ? hr : m_states.SetRenderState(state, value);
    }

    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override
    {
        HRESULT hr = Record(Call("GetRenderState", state), "GetRenderState");
        return FAILED(hr) ? hr : m_states.GetRenderState(state, value);
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        HRESULT hr = Record(Call("SetTextureStageState", stage, type, value), "SetTextureStageState");
        return FAILED(hr) ? hr : m_states.SetStageState(stage, type, value);
    }

    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override
    {
        HRESULT hr = Record(Call("GetTextureStageState", stage, type), "GetTextureStageState");
        return FAILED(hr) ? hr : m_states.GetStageState(stage, type, value);
    }

    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override
    {
        HRESULT hr = Record(Call("SetTexture", stage, texture ? "texture" : "none"), "SetTexture");
        if (FAILED(hr))
            return hr;
        if (stage >= kD3DStageCount)
            return D3DERR_INVALIDCALL;
        m_states.textures[stage] = texture;
        return D3D_OK;
    }

    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override
    {
        HRESULT hr = Record(Call("SetStreamSource", stream, buffer ? "buffer" : "none", stride), "SetStreamSource");
        if (FAILED(hr))
            return hr;
        if (stream != 0)
            return D3DERR_INVALIDCALL;
        m_states.stream = buffer;
        m_states.streamStride = stride;
        return D3D_OK;
    }

    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT base) override
    {
        HRESULT hr = Record(Call("SetIndices", buffer ? "buffer" : "none", base), "SetIndices");
        if (FAILED(hr))
            return hr;
        m_states.indices = buffer;
        m_states.baseVertexIndex = base;
        return D3D_OK;
    }

    HRESULT SetVertexShader(DWORD fvf) override
    {
        HRESULT hr = Record(Call("SetVertexShader", Hex(fvf)), "SetVertexShader");
        if (SUCCEEDED(hr))
            m_states.fvf = fvf;
        return hr;
    }

    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount) override
    {
        HRESULT hr = Record(Call("DrawIndexedPrimitive", type, minIndex, vertexCount, startIndex, primitiveCount),
                            "DrawIndexedPrimitive");
        if (FAILED(hr))
            return hr;
        if (!m_inScene)
            return D3DERR_INVALIDCALL;
        UINT indexCount = 0;
        return ValidateDraw(m_states, type, startIndex, primitiveCount, &indexCount);
    }

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override
    {
        HRESULT hr = Record(Call("GetDeviceCaps"), "GetDeviceCaps");
        if (FAILED(hr))
            return hr;
        if (!caps)
            return D3DERR_INVALIDCALL;
        *caps = m_caps;
        return D3D_OK;
    }

    void Created(D3DPOOL pool) { (pool == D3DPOOL_DEFAULT ? m_rec->liveDefault : m_rec->liveManaged)++; }

    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** out) override
    {
        HRESULT hr = Record(Call("CreateVertexBuffer", length, Hex(usage), Hex(fvf), pool), "CreateVertexBuffer");
        if (FAILED(hr))
            return hr;
        if (!out || length == 0)
            return D3DERR_INVALIDCALL;
        *out = new MemVertexBuffer(m_link, length, usage, fvf, pool);
        Created(pool);
        return D3D_OK;
    }

    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** out) override
    {
        HRESULT hr = Record(Call("CreateIndexBuffer", length, Hex(usage), format, pool), "CreateIndexBuffer");
        if (FAILED(hr))
            return hr;
        if (!out || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
            return D3DERR_INVALIDCALL;
        *out = new MemIndexBuffer(m_link, length, usage, format, pool);
        Created(pool);
        return D3D_OK;
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** out) override
    {
        HRESULT hr = Record(Call("CreateTexture", width, height, levels, Hex(usage), format, pool), "CreateTexture");
        if (FAILED(hr))
            return hr;
        if (!out || width == 0 || height == 0 || D3DBytesPerPixel(format) == 0)
            return D3DERR_INVALIDCALL;
        *out = new MemTexture(m_link, width, height, levels, usage, format, pool);
        Created(pool);
        return D3D_OK;
    }

    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** out) override
    {
        HRESULT hr = Record(Call("CreateImageSurface", width, height, format), "CreateImageSurface");
        if (FAILED(hr))
            return hr;
        if (!out || width == 0 || height == 0 || D3DBytesPerPixel(format) == 0)
            return D3DERR_INVALIDCALL;
        *out = new MemSurface(width, height, format);
        return D3D_OK;
    }

    HRESULT SetCursorProperties(UINT x, UINT y, IDirect3DSurface8* image) override
    {
        HRESULT hr = Record(Call("SetCursorProperties", x, y, image ? "surface" : "none"), "SetCursorProperties");
        if (FAILED(hr))
            return hr;
        return image ? D3D_OK : D3DERR_INVALIDCALL;
    }

    BOOL ShowCursor(BOOL show) override
    {
        m_rec->calls.push_back(Call("ShowCursor", show));
        BOOL was = m_cursorShown;
        m_cursorShown = show;
        return was;
    }

    void SetCursorPosition(int x, int y, DWORD flags) override
    {
        m_rec->calls.push_back(Call("SetCursorPosition", x, y, flags));
    }

    void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) override
    {
        m_rec->calls.push_back(Call("SetGammaRamp", flags));
        if (ramp)
            m_gamma = *ramp;
    }

    void GetGammaRamp(D3DGAMMARAMP* ramp) override
    {
        m_rec->calls.push_back(Call("GetGammaRamp"));
        if (ramp)
            *ramp = m_gamma;
    }

private:
    std::shared_ptr<D3DRecorder> m_rec;
    D3DCAPS8 m_caps;
    D3DPRESENT_PARAMETERS m_params;
    std::shared_ptr<DeviceLink> m_link;
    StateTables m_states;
    D3DGAMMARAMP m_gamma;
    bool m_inScene = false;
    BOOL m_cursorShown = FALSE;
};

class RecDirect3D : public RefCounted<IDirect3D8>
{
public:
    explicit RecDirect3D(std::shared_ptr<D3DRecorder> rec) : m_rec(std::move(rec)) {}

    HRESULT Record(const std::string& call, const std::string& method)
    {
        m_rec->calls.push_back(call);
        return m_rec->Scripted(method);
    }

    const RecAdapter* Adapter(UINT adapter) const
    {
        return adapter < m_rec->adapters.size() ? &m_rec->adapters[adapter] : nullptr;
    }

    UINT GetAdapterCount() override
    {
        m_rec->calls.push_back(Call("GetAdapterCount"));
        return static_cast<UINT>(m_rec->adapters.size());
    }

    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* out) override
    {
        HRESULT hr = Record(Call("GetAdapterIdentifier", adapter, flags), "GetAdapterIdentifier");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a || !out || a->identifierFails)
            return D3DERR_INVALIDCALL;
        *out = a->identifier;
        return D3D_OK;
    }

    UINT GetAdapterModeCount(UINT adapter) override
    {
        m_rec->calls.push_back(Call("GetAdapterModeCount", adapter));
        const RecAdapter* a = Adapter(adapter);
        return a ? static_cast<UINT>(a->modes.size()) : 0;
    }

    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override
    {
        HRESULT hr = Record(Call("EnumAdapterModes", adapter, mode), "EnumAdapterModes");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a || !out || mode >= a->modes.size())
            return D3DERR_INVALIDCALL;
        *out = a->modes[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out) override
    {
        HRESULT hr = Record(Call("GetAdapterDisplayMode", adapter), "GetAdapterDisplayMode");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a || !out || a->desktopFails)
            return D3DERR_INVALIDCALL;
        *out = a->desktop;
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE, D3DFORMAT display, D3DFORMAT backBuffer,
                            BOOL windowed) override
    {
        HRESULT hr = Record(Call("CheckDeviceType", adapter, display, backBuffer, windowed), "CheckDeviceType");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a || display != backBuffer)
            return D3DERR_NOTAVAILABLE;
        return Contains(windowed ? a->windowedFormats : a->fullScreenFormats, display) ? D3D_OK
                                                                                        : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE type, D3DFORMAT check) override
    {
        HRESULT hr = Record(Call("CheckDeviceFormat", adapter, adapterFormat, Hex(usage), type, check),
                            "CheckDeviceFormat");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a)
            return D3DERR_INVALIDCALL;
        if (usage & D3DUSAGE_RENDERTARGET)
            return Contains(a->renderTargetFormats, check) ? D3D_OK : D3DERR_NOTAVAILABLE;
        return Contains(a->textureFormats, check) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS8* caps) override
    {
        HRESULT hr = Record(Call("GetDeviceCaps", adapter), "GetDeviceCaps");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a || !caps || a->capsFail)
            return D3DERR_INVALIDCALL;
        *caps = a->caps;
        caps->AdapterOrdinal = adapter;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND, DWORD flags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** out) override
    {
        HRESULT hr = Record(Call("CreateDevice", adapter, Hex(flags)), "CreateDevice");
        const RecAdapter* a = Adapter(adapter);
        if (FAILED(hr))
            return hr;
        if (!a || !params || !out)
            return D3DERR_INVALIDCALL;
        *out = new RecDevice(m_rec, a->caps, *params);
        return D3D_OK;
    }

private:
    std::shared_ptr<D3DRecorder> m_rec;
};

} // namespace

IDirect3D8* CreateRecordingDirect3D(std::shared_ptr<platform::D3DRecorder> recorder)
{
    return new RecDirect3D(std::move(recorder));
}

} // namespace d3d8impl
