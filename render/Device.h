// CDevice: the one Direct3D 8 device and everything that must survive a lost device:
// the present parameters, the lists of every buffer, texture and image surface made
// through it, and caches of render states, texture-stage states and bound objects so
// that a frame sends only the changes. The renderer makes it and hands copies of its
// handle to every drawing module.
#pragma once

#include <string>
#include <vector>

#include "engine/DisplayModes.h"
#include "engine/RefPtr.h"
#include "platform/d3d8.h"
#include "render/IndexBuffer.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

// Marks a cache entry whose last set failed, so that the next set of any value is sent.
constexpr DWORD kStateUnknown = 0x7fffffff;

// Window styles the device switches between (windowed, full screen).
constexpr LONG kWindowedStyle = 0x10CA0000;
constexpr LONG kFullScreenStyle = static_cast<LONG>(0x90080000u);

class CDevice
{
public:
    CDevice(IDirect3D8* d3d, int adapter);
    ~CDevice();
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;

    // Enumerates the adapters and their modes; returns the adapter count (0: none).
    // An adapter number past the last is clamped, with a message in adapterMessages.
    int Init(IDirect3D8* d3d, int adapter);
    HRESULT Create(UINT width, UINT height, D3DFORMAT format, bool fullScreen, bool vsync, HWND window,
                   D3DFORMAT depthStencilFormat, UINT backBufferCount, D3DMULTISAMPLE_TYPE multiSample,
                   D3DSWAPEFFECT swapEffect, DWORD flags);
    // Resets the device with the stored parameters (windowed or full screen as stored),
    // then re-creates the default-pool buffers and textures and re-applies the cached
    // states. One attempt per call: a failure is logged, leaves resetPending set and is
    // returned, and the caller tries again on a later frame, so that a device that stays
    // lost never holds up the message loop. D3D_OK once the reset went through.
    HRESULT Reset();
    // Unbinds everything and releases the Direct3D objects of the default-pool buffers
    // and textures (the wrappers stay in the lists). Called just before Reset.
    void ReleaseDefaultPoolResources();
    HRESULT GetDesktopFormat(D3DFORMAT* out);
    bool IsModeListed(UINT width, UINT height, D3DFORMAT format, bool fullScreen);

    // Cached state calls: skipped (0) when the cache already holds the value.
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
    {
        if (!device || state >= kD3DRenderStateCount)
            return D3DERR_INVALIDCALL;
        if (renderState[state] == value)
            return D3D_OK;
        HRESULT hr = device->SetRenderState(state, value);
        renderState[state] = FAILED(hr) ? kStateUnknown : value;
        return hr;
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
    {
        if (!device || stage >= kD3DStageCount || type >= kD3DStageStateCount)
            return D3DERR_INVALIDCALL;
        if (stageState[stage][type] == value)
            return D3D_OK;
        HRESULT hr = device->SetTextureStageState(stage, type, value);
        stageState[stage][type] = FAILED(hr) ? kStateUnknown : value;
        return hr;
    }
    HRESULT SetTexture(DWORD stage, CRefPtr<CTexture> texture);
    HRESULT SetStreamSource(CRefPtr<CVertexBuffer> buffer);
    HRESULT SetIndices(CRefPtr<CIndexBuffer> buffer, UINT baseVertexIndex);

    // Uncached pass-throughs (D3DERR_INVALIDCALL before Create).
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
    {
        return device ? device->SetTransform(state, matrix) : D3DERR_INVALIDCALL;
    }
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount)
    {
        return device ? device->DrawIndexedPrimitive(type, minIndex, vertexCount, startIndex, primitiveCount)
                      : D3DERR_INVALIDCALL;
    }
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil)
    {
        return device ? device->Clear(count, rects, flags, colour, z, stencil) : D3DERR_INVALIDCALL;
    }
    HRESULT SetViewport(const D3DVIEWPORT8* viewport)
    {
        return device ? device->SetViewport(viewport) : D3DERR_INVALIDCALL;
    }
    HRESULT SetVertexShader(DWORD fvf) { return device ? device->SetVertexShader(fvf) : D3DERR_INVALIDCALL; }

    // Buffer and surface factories: an empty handle on failure.
    CRefPtr<CVertexBuffer> CreateVertexBuffer(DWORD count, DWORD usage, DWORD fvf, D3DPOOL pool);
    CRefPtr<CIndexBuffer> CreateIndexBuffer(DWORD count, D3DFORMAT format, DWORD usage, D3DPOOL pool);
    CRefPtr<CSurface> CreateSurface(const std::string& name, UINT width, UINT height, D3DFORMAT format);

    // Texture factories: an empty handle on failure; a made texture joins `textures`.
    CRefPtr<CTexture> MakeTexture(const std::string& file, const std::string& name, UINT levels, DWORD usage,
                                  D3DPOOL pool, D3DFORMAT format);
    CRefPtr<CTexture> CreateTexture(const std::string& name, UINT width, UINT height, UINT levels, DWORD usage,
                                    D3DPOOL pool, D3DFORMAT format);
    // The first candidate format the adapter accepts for textures, D3DFMT_UNKNOWN when none.
    D3DFORMAT ChooseTextureFormat(std::vector<D3DFORMAT> candidates);
    CRefPtr<CTexture> LoadTextureChooseFormat(const std::string& file, const std::string& name,
                                              std::vector<D3DFORMAT> candidates, UINT levels, DWORD usage,
                                              D3DPOOL pool);
    CRefPtr<CTexture> CreateTextureChooseFormat(const std::string& name, UINT width, UINT height,
                                                std::vector<D3DFORMAT> candidates, UINT levels, DWORD usage,
                                                D3DPOOL pool);
    CRefPtr<CTexture> LoadTextureWithAlphaFiles(const std::string& colourFile, const std::string& name,
                                                std::vector<D3DFORMAT> candidates, DWORD usage, D3DPOOL pool);
    // preferLuminance: dust and light pictures; clear for coloured scene elements.
    CRefPtr<CTexture> LoadTextureWithAlpha(const std::string& colourFile, const std::string& name,
                                           bool preferLuminance, DWORD usage, D3DPOOL pool);

    // Look-ups by exact, case-sensitive name: the first made wins; -1 or empty when none.
    int FindTexture(const char* name) const;
    CRefPtr<CTexture> GetTextureByName(const char* name) const;
    CRefPtr<CTexture> GetTextureByNameStr(const std::string& name) const;
    void RemoveTextureAt(int index);
    int FindSurface(const char* name) const;

    void SaveStageStates();
    void RestoreStageStates();
    void SaveRenderStates();
    void RestoreRenderStates();

    IDirect3D8* d3d;
    int adapterCount;
    int adapter;
    IDirect3DDevice8* device;
    std::vector<CRefPtr<CDisplayModeList>> adapters;
    int modeIndex;
    D3DPRESENT_PARAMETERS present;
    DWORD fullWidth;
    DWORD fullHeight;
    D3DFORMAT fullFormat;
    std::vector<CRefPtr<CVertexBuffer>> vertexBuffers;
    std::vector<CRefPtr<CIndexBuffer>> indexBuffers;
    std::vector<CRefPtr<CTexture>> textures;
    std::vector<CRefPtr<CSurface>> surfaces;
    std::vector<std::string> errors;
    std::vector<std::string> adapterMessages;
    DWORD maxVertexIndex;
    DWORD maxPrimitiveCount;
    IDirect3DBaseTexture8* boundTexture[kD3DStageCount];
    IDirect3DVertexBuffer8* boundStream;
    IDirect3DIndexBuffer8* boundIndices;
    DWORD stageState[kD3DStageCount][kD3DStageStateCount];
    DWORD renderState[kD3DRenderStateCount];
    // Set while a reset has failed and must be tried again.
    bool resetPending;

private:
    void ClearBoundObjects();
};

// The value of a render state as the Direct3D device holds it now (asked of the device,
// not the cache); 0 without a device. Passes that put a state back read it first.
inline DWORD CurrentRenderState(CDevice& device, D3DRENDERSTATETYPE state)
{
    DWORD value = 0;
    if (device.device)
        device.device->GetRenderState(state, &value);
    return value;
}

// Stage 0 draws the texture times the vertex colour, in colour and in alpha, and
// stage 1 is off: the plain textured-quad set-up of the token and fader passes.
inline void SetTextureTimesDiffuse(CDevice& device)
{
    device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}
