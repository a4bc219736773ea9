// The device wrapper: creation, reset with re-creation of default-pool resources, state
// caches and the resource lists.
#include "render/Device.h"

#include <cstdio>
#include <cstring>

#include "engine/Log.h"
#include "platform/d3dx8.h"
#include "platform/win32.h"

CDevice::CDevice(IDirect3D8* direct3D, int adapterIndex)
    : d3d(nullptr), adapterCount(0), adapter(0), device(nullptr), modeIndex(-1), present{}, fullWidth(0),
      fullHeight(0), fullFormat(D3DFMT_UNKNOWN), maxVertexIndex(0), maxPrimitiveCount(0), boundStream(nullptr),
      boundIndices(nullptr), resetPending(false)
{
    for (auto& t : boundTexture)
        t = nullptr;
    for (auto& stage : stageState)
        for (DWORD& v : stage)
            v = kStateUnknown;
    for (DWORD& v : renderState)
        v = kStateUnknown;
    Init(direct3D, adapterIndex);
}

CDevice::~CDevice()
{
    LogText("Device destruction.\n");
    if (device)
    {
        for (DWORD stage = 0; stage < kD3DStageCount; ++stage)
            device->SetTexture(stage, nullptr);
        device->SetStreamSource(0, nullptr, 32);
        device->SetIndices(nullptr, 0);
        device->Release();
        device = nullptr;
    }
    adapterMessages.clear();
    errors.clear();
    surfaces.clear();
    textures.clear();
    indexBuffers.clear();
    vertexBuffers.clear();
    adapters.clear();
}

int CDevice::Init(IDirect3D8* direct3D, int adapterIndex)
{
    d3d = direct3D;
    adapter = adapterIndex;
    adapterCount = d3d ? static_cast<int>(d3d->GetAdapterCount()) : 0;
    if (adapter >= adapterCount)
    {
        char message[128];
        std::snprintf(message, sizeof message, "Adapter Number %d too high! (Must be less then %d).", adapterIndex,
                      adapterCount);
        adapterMessages.push_back(message);
        adapter = adapterCount - 1;
    }
    if (adapterCount < 1)
        return 0;
    adapters.clear();
    for (int i = 0; i < adapterCount; ++i)
        adapters.push_back(MakeRef<CDisplayModeList>(d3d, static_cast<UINT>(i)));
    modeIndex = adapters[adapter]->desktopIndex;
    return adapterCount;
}

void CDevice::ClearBoundObjects()
{
    for (auto& t : boundTexture)
        t = nullptr;
    boundStream = nullptr;
    boundIndices = nullptr;
}

HRESULT CDevice::Create(UINT width, UINT height, D3DFORMAT format, bool fullScreen, bool vsync, HWND window,
                        D3DFORMAT depthStencilFormat, UINT backBufferCount, D3DMULTISAMPLE_TYPE multiSample,
                        D3DSWAPEFFECT swapEffect, DWORD flags)
{
    if (adapter < 0 || adapter >= static_cast<int>(adapters.size()))
        return D3DERR_NOTAVAILABLE;
    const CDisplayModeList& modes = *adapters[adapter];
    int index = fullScreen ? modes.FindFullScreen(width, height, format, false)
                           : modes.FindWindowed(width, height, format, true);
    if (index < 0)
        return D3DERR_NOTAVAILABLE;
    fullWidth = width;
    fullHeight = height;
    fullFormat = format;

    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = format;
    p.BackBufferCount = backBufferCount;
    p.MultiSampleType = multiSample;
    p.SwapEffect = swapEffect;
    p.hDeviceWindow = window;
    p.Windowed = fullScreen ? FALSE : TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = depthStencilFormat;
    p.Flags = flags;
    p.FullScreen_RefreshRateInHz = 0;
    p.FullScreen_PresentationInterval =
        (fullScreen && !vsync) ? D3DPRESENT_INTERVAL_IMMEDIATE : D3DPRESENT_INTERVAL_DEFAULT;

    LONG oldStyle = GetWindowLongA(window, GWL_STYLE);
    if (fullScreen)
        SetWindowLongA(window, GWL_STYLE, kFullScreenStyle);

    IDirect3DDevice8* made = nullptr;
    HRESULT hr = d3d->CreateDevice(static_cast<UINT>(adapter), D3DDEVTYPE_HAL, window,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &made);
    if (FAILED(hr))
        hr = d3d->CreateDevice(static_cast<UINT>(adapter), D3DDEVTYPE_HAL, window,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &made);
    if (FAILED(hr))
    {
        errors.push_back("Unable to create device!");
        if (fullScreen)
            SetWindowLongA(window, GWL_STYLE, oldStyle);
        return hr;
    }
    modeIndex = index;
    device = made;
    if (!vsync)
        p.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    present = p;
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
    maxVertexIndex = caps.MaxVertexIndex;
    maxPrimitiveCount = caps.MaxPrimitiveCount;
    ClearBoundObjects();
    SaveStageStates();
    SaveRenderStates();
    return D3D_OK;
}

void CDevice::ReleaseDefaultPoolResources()
{
    ClearBoundObjects();
    for (auto& vb : vertexBuffers)
        if (vb->pool == D3DPOOL_DEFAULT)
            vb->ReleaseBuffer();
    for (auto& ib : indexBuffers)
        if (ib->pool == D3DPOOL_DEFAULT)
            ib->ReleaseBuffer();
    for (auto& t : textures)
        if (t->texture && t->desc.Pool == D3DPOOL_DEFAULT)
            t->ReleaseTexture();
}

HRESULT CDevice::Reset()
{
    if (!device)
        return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS p = present;
    DWORD keptInterval = present.FullScreen_PresentationInterval;
    HWND window = p.hDeviceWindow;
    if (p.Windowed)
    {
        D3DFORMAT desktop;
        if (SUCCEEDED(GetDesktopFormat(&desktop)))
            p.BackBufferFormat = desktop;
        else
            LogText("GetWindowModeFormat Error!\n");
        SetWindowLongA(window, GWL_STYLE, kWindowedStyle);
        UpdateWindow(window);
        p.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    }
    else
    {
        p.BackBufferWidth = fullWidth;
        p.BackBufferHeight = fullHeight;
        p.BackBufferFormat = fullFormat;
        SetWindowLongA(window, GWL_STYLE, kFullScreenStyle);
    }

    // One attempt per call: while the device stays lost the caller keeps its message
    // loop running and tries again on a later frame.
    HRESULT hr = device->Reset(&p);
    if (FAILED(hr))
    {
        char message[96];
        std::snprintf(message, sizeof message, "Device Reset failed! (0x%08x)\n", static_cast<unsigned>(hr));
        LogText(message);
        resetPending = true;
        return hr;
    }
    resetPending = false;
    p.FullScreen_PresentationInterval = keptInterval;
    present = p;

    if (p.Windowed)
    {
        int w = static_cast<int>(p.BackBufferWidth), h = static_cast<int>(p.BackBufferHeight);
        // The window keeps its place on the desktop; only its size follows the mode.
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, w + 1, h, SWP_SHOWWINDOW | SWP_NOMOVE);
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, w, h, SWP_SHOWWINDOW | SWP_NOMOVE);
        RECT client{}, frame{};
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        int extraW = (frame.right - frame.left) - (client.right - client.left);
        int extraH = (frame.bottom - frame.top) - (client.bottom - client.top);
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, w + extraW, h + extraH, SWP_SHOWWINDOW | SWP_NOMOVE);
        UpdateWindow(window);
    }

    char message[96];
    for (size_t i = 0; i < vertexBuffers.size(); ++i)
        if (vertexBuffers[i]->pool == D3DPOOL_DEFAULT && FAILED(vertexBuffers[i]->Recreate(device)))
        {
            std::snprintf(message, sizeof message, "Unable to recreate Vertex Buffer %d", static_cast<int>(i));
            errors.push_back(message);
        }
    for (size_t i = 0; i < indexBuffers.size(); ++i)
        if (indexBuffers[i]->pool == D3DPOOL_DEFAULT && FAILED(indexBuffers[i]->Recreate(device)))
        {
            std::snprintf(message, sizeof message, "Unable to recreate Index Buffer %d", static_cast<int>(i));
            errors.push_back(message);
        }
    for (size_t i = 0; i < textures.size(); ++i)
    {
        if (textures[i]->desc.Pool != D3DPOOL_DEFAULT)
            continue;
        std::string name = textures[i]->name; // a failed re-creation empties it
        if (FAILED(textures[i]->Recreate(device)))
        {
            std::string text = "Unable to recreate Texture " + std::to_string(i) + " \"" + name + "\"";
            errors.push_back(text);
            LogText((text + "\n").c_str());
        }
    }

    RestoreStageStates();
    SaveStageStates();
    RestoreRenderStates();
    SaveRenderStates();
    return D3D_OK;
}

HRESULT CDevice::GetDesktopFormat(D3DFORMAT* out)
{
    if (adapter < 0 || adapter >= static_cast<int>(adapters.size()) || adapters[adapter]->desktopIndex < 0)
        return D3DERR_NOTAVAILABLE;
    *out = static_cast<D3DFORMAT>(adapters[adapter]->modes[adapters[adapter]->desktopIndex].format);
    return D3D_OK;
}

bool CDevice::IsModeListed(UINT width, UINT height, D3DFORMAT format, bool fullScreen)
{
    if (adapter < 0 || adapter >= static_cast<int>(adapters.size()))
        return false;
    const CDisplayModeList& modes = *adapters[adapter];
    int index = fullScreen ? modes.FindFullScreen(width, height, format, false)
                           : modes.FindWindowed(width, height, format, false);
    return index >= 0;
}

// ---------------------------------------------------------------------------------
// Cached bindings
// ---------------------------------------------------------------------------------
HRESULT CDevice::SetTexture(DWORD stage, CRefPtr<CTexture> texture)
{
    if (!device || stage >= kD3DStageCount)
        return D3DERR_INVALIDCALL;
    IDirect3DBaseTexture8* t = texture.IsValid() ? texture->texture : nullptr;
    if (boundTexture[stage] == t)
        return D3D_OK;
    HRESULT hr = device->SetTexture(stage, t);
    boundTexture[stage] = FAILED(hr) ? nullptr : t;
    return hr;
}

HRESULT CDevice::SetStreamSource(CRefPtr<CVertexBuffer> buffer)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    IDirect3DVertexBuffer8* b = buffer.IsValid() ? buffer->buffer : nullptr;
    if (boundStream == b)
        return D3D_OK;
    HRESULT hr = device->SetStreamSource(0, b, buffer.IsValid() ? buffer->stride : 32);
    boundStream = FAILED(hr) ? nullptr : b;
    return hr;
}

HRESULT CDevice::SetIndices(CRefPtr<CIndexBuffer> buffer, UINT baseVertexIndex)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    IDirect3DIndexBuffer8* b = buffer.IsValid() ? buffer->buffer : nullptr;
    if (boundIndices == b)
        return D3D_OK;
    HRESULT hr = device->SetIndices(b, baseVertexIndex);
    boundIndices = FAILED(hr) ? nullptr : b;
    return hr;
}

// ---------------------------------------------------------------------------------
// Factories
// ---------------------------------------------------------------------------------
CRefPtr<CVertexBuffer> CDevice::CreateVertexBuffer(DWORD count, DWORD usage, DWORD fvf, D3DPOOL pool)
{
    CRefPtr<CVertexBuffer> vb = MakeRef<CVertexBuffer>();
    if (FAILED(vb->Create(device, count, D3DXGetFVFVertexSize(fvf), usage, fvf, pool)))
        return CRefPtr<CVertexBuffer>();
    vertexBuffers.push_back(vb);
    return vb;
}

CRefPtr<CIndexBuffer> CDevice::CreateIndexBuffer(DWORD count, D3DFORMAT format, DWORD usage, D3DPOOL pool)
{
    CRefPtr<CIndexBuffer> ib = MakeRef<CIndexBuffer>();
    if (FAILED(ib->Create(device, count, format, usage, pool)))
        return CRefPtr<CIndexBuffer>();
    indexBuffers.push_back(ib);
    return ib;
}

CRefPtr<CSurface> CDevice::CreateSurface(const std::string& name, UINT width, UINT height, D3DFORMAT format)
{
    CRefPtr<CSurface> s = MakeRef<CSurface>();
    if (FAILED(s->Create(device, name, width, height, format)))
        return CRefPtr<CSurface>();
    surfaces.push_back(s);
    return s;
}

CRefPtr<CTexture> CDevice::MakeTexture(const std::string& file, const std::string& name, UINT levels, DWORD usage,
                                       D3DPOOL pool, D3DFORMAT format)
{
    CRefPtr<CTexture> t = MakeRef<CTexture>();
    if (FAILED(t->LoadFromFile(device, file, name, levels, usage, pool, format)))
        return CRefPtr<CTexture>();
    textures.push_back(t);
    return t;
}

CRefPtr<CTexture> CDevice::CreateTexture(const std::string& name, UINT width, UINT height, UINT levels,
                                         DWORD usage, D3DPOOL pool, D3DFORMAT format)
{
    CRefPtr<CTexture> t = MakeRef<CTexture>();
    if (FAILED(t->CreateBlank(device, name, width, height, levels, usage, pool, format)))
        return CRefPtr<CTexture>();
    textures.push_back(t);
    return t;
}

D3DFORMAT CDevice::ChooseTextureFormat(std::vector<D3DFORMAT> candidates)
{
    if (!d3d || adapter < 0)
        return D3DFMT_UNKNOWN;
    for (D3DFORMAT f : candidates)
        if (SUCCEEDED(d3d->CheckDeviceFormat(static_cast<UINT>(adapter), D3DDEVTYPE_HAL, present.BackBufferFormat, 0,
                                             D3DRTYPE_TEXTURE, f)))
            return f;
    return D3DFMT_UNKNOWN;
}

CRefPtr<CTexture> CDevice::LoadTextureChooseFormat(const std::string& file, const std::string& name,
                                                   std::vector<D3DFORMAT> candidates, UINT levels, DWORD usage,
                                                   D3DPOOL pool)
{
    return MakeTexture(file, name, levels, usage, pool, ChooseTextureFormat(std::move(candidates)));
}

CRefPtr<CTexture> CDevice::CreateTextureChooseFormat(const std::string& name, UINT width, UINT height,
                                                     std::vector<D3DFORMAT> candidates, UINT levels, DWORD usage,
                                                     D3DPOOL pool)
{
    return CreateTexture(name, width, height, levels, usage, pool, ChooseTextureFormat(std::move(candidates)));
}

CRefPtr<CTexture> CDevice::LoadTextureWithAlphaFiles(const std::string& colourFile, const std::string& name,
                                                     std::vector<D3DFORMAT> candidates, DWORD usage, D3DPOOL pool)
{
    D3DFORMAT format = ChooseTextureFormat(std::move(candidates));
    CRefPtr<CTexture> t = MakeRef<CTexture>();
    if (FAILED(t->LoadWithAlpha(device, colourFile, name, usage, pool, format)))
        return CRefPtr<CTexture>();
    textures.push_back(t);
    return t;
}

CRefPtr<CTexture> CDevice::LoadTextureWithAlpha(const std::string& colourFile, const std::string& name,
                                                bool preferLuminance, DWORD usage, D3DPOOL pool)
{
    std::vector<D3DFORMAT> candidates =
        preferLuminance ? std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2,
                                                 D3DFMT_A4L4, D3DFMT_A1R5G5B5}
                        : std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2,
                                                 D3DFMT_A8L8, D3DFMT_A4L4};
    return LoadTextureWithAlphaFiles(colourFile, name, std::move(candidates), usage, pool);
}

int CDevice::FindTexture(const char* name) const
{
    if (!name)
        return -1;
    for (size_t i = 0; i < textures.size(); ++i)
        if (textures[i]->name == name)
            return static_cast<int>(i);
    return -1;
}

CRefPtr<CTexture> CDevice::GetTextureByName(const char* name) const
{
    int i = FindTexture(name);
    return i < 0 ? CRefPtr<CTexture>() : textures[i];
}

CRefPtr<CTexture> CDevice::GetTextureByNameStr(const std::string& name) const
{
    return GetTextureByName(name.c_str());
}

void CDevice::RemoveTextureAt(int index)
{
    if (index < 0 || index >= static_cast<int>(textures.size()))
        return;
    textures.erase(textures.begin() + index);
}

int CDevice::FindSurface(const char* name) const
{
    if (!name)
        return -1;
    for (size_t i = 0; i < surfaces.size(); ++i)
        if (surfaces[i]->name == name)
            return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------------------------
// Save and restore of the caches
// ---------------------------------------------------------------------------------
void CDevice::SaveStageStates()
{
    if (!device)
        return;
    for (DWORD stage = 0; stage < kD3DStageCount; ++stage)
        for (DWORD type = 1; type < kD3DStageStateCount; ++type)
        {
            DWORD v;
            stageState[stage][type] =
                SUCCEEDED(device->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), &v))
                    ? v
                    : kStateUnknown;
        }
}

void CDevice::RestoreStageStates()
{
    if (!device)
        return;
    for (DWORD stage = 0; stage < kD3DStageCount; ++stage)
        for (DWORD type = 1; type < kD3DStageStateCount; ++type)
            device->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), stageState[stage][type]);
}

void CDevice::SaveRenderStates()
{
    if (!device)
        return;
    auto save = [this](DWORD state) {
        DWORD v;
        if (SUCCEEDED(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &v)))
            renderState[state] = v;
    };
    for (DWORD s = 7; s <= 60; ++s)
        save(s);
    for (DWORD s = 128; s <= 173; ++s)
        save(s);
}

void CDevice::RestoreRenderStates()
{
    if (!device)
        return;
    for (DWORD s : kD3DDefinedRenderStates)
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s), renderState[s]);
}
