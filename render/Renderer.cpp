// The renderer object: mode negotiation, device creation, the letterbox, device
// loss, mode switches, the gamma ramp and the two whole-picture frames.
#include "render/Renderer.h"

#include <algorithm>
#include <cmath>

#include "engine/Log.h"
#include "platform/win32.h"
#include "render/Font.h"
#include "render/SharedBuffers.h"

const std::pair<UINT, UINT> CRenderer::kWindowSizes[3] = {{640, 480}, {800, 600}, {1024, 768}};

namespace {

constexpr float kPictureLeft = -512.5f;
constexpr float kPictureRight = 511.5f;
constexpr float kPictureTop = 384.5f;
constexpr float kPictureBottom = -383.5f;

// The loading picture's progress bar: up to 264 units wide, 48 high, drawn from texel
// column 2 and rows 802 to 850 of the 1024 x 1024 picture.
constexpr float kBarLeft = -132.5f;
constexpr float kBarTop = -257.5f;
constexpr float kBarBottom = -305.5f;
constexpr float kBarWidth = 264.0f;
constexpr float kBarU = 1.0f / 512.0f;
constexpr float kBarVTop = 0.783203125f;
constexpr float kBarVBottom = 0.830078125f;

bool AdapterUsable(const CDisplayModeList& modes)
{
    for (const CDisplayMode& m : modes.modes)
        if (m.bitsPerPixel > 14 && m.width > 639 && m.height > 479)
            return true;
    return false;
}

void SetVertex(CVertex& v, float x, float y, D3DCOLOR colour, float u, float tv)
{
    v.x = x;
    v.y = y;
    v.z = 0.0f;
    v.colour = colour;
    v.u = u;
    v.v = tv;
    v.u2 = 0.0f;
    v.v2 = 0.0f;
}

// The whole-screen quad of a picture, showing its texture rows from the top down to vBottom.
void SetPictureQuad(CVertex* v, D3DCOLOR colour, float vBottom)
{
    SetVertex(v[0], kPictureLeft, kPictureTop, colour, 0.0f, 0.0f);
    SetVertex(v[1], kPictureRight, kPictureTop, colour, 1.0f, 0.0f);
    SetVertex(v[2], kPictureRight, kPictureBottom, colour, 1.0f, vBottom);
    SetVertex(v[3], kPictureLeft, kPictureBottom, colour, 0.0f, vBottom);
}

// Stage 0 modulates the texture by the vertex colour (colour and alpha), sampled
// linearly from the nearest mip level; stage 1 is off. Both frames start from it.
void SetModulatedStages(CDevice& d)
{
    d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

} // namespace

CRenderer::CRenderer()
    : d3d(nullptr), probes(kProbeCount, -1), fullViewport{}, letterbox{}, settings{}, modeWidth(0), modeHeight(0),
      screenWidth(0), screenHeight(0), screenFormat(D3DFMT_UNKNOWN), scaleX(0.0f), halfScaleX(0.0f),
      halfWidth(0.0f), window(nullptr), clearTarget(1), clearColour(0x004040FF), savedGamma{}
{
    windowSizes.reserve(8);
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&projection, kLogicalWidth, kLogicalHeight, kLogicalNear, kLogicalFar);
}

CRenderer::~CRenderer() = default;

D3DVIEWPORT8 CRenderer::LetterboxFor(UINT width, UINT height)
{
    UINT w = static_cast<UINT>(std::floor(static_cast<double>(height) * 1024.0 / 768.0 + 0.5));
    if (w > width)
        w = width;
    D3DVIEWPORT8 v{};
    v.X = (width - w) / 2;
    v.Y = 0;
    v.Width = w;
    v.Height = height;
    v.MinZ = 0.0f;
    v.MaxZ = 1.0f;
    return v;
}

void CRenderer::SetScreen(UINT width, UINT height, D3DFORMAT format)
{
    screenWidth = width;
    screenHeight = height;
    screenFormat = format;
    scaleX = width ? kLogicalWidth / static_cast<float>(width) : 0.0f;
    halfScaleX = scaleX * 0.5f;
    halfWidth = static_cast<float>(width / 2);
}

void CRenderer::ComputeViewports()
{
    fullViewport = D3DVIEWPORT8{0, 0, screenWidth, screenHeight, 0.0f, 1.0f};
    letterbox = LetterboxFor(screenWidth, screenHeight);
}

HRESULT CRenderer::Create(VideoSettings* in, IDirect3D8* direct3D, HWND gameWindow, D3DFORMAT depthStencilFormat)
{
    if (in)
        settings = *in;
    d3d = direct3D;
    window = gameWindow;
    SetScreen(static_cast<UINT>(settings.width), static_cast<UINT>(settings.height),
              static_cast<D3DFORMAT>(settings.format));

    // A negative adapter number (a hand-edited options file) is taken as not usable and
    // replaced below, like any other adapter that cannot run the game.
    device = MakeRef<CDevice>(d3d, std::max(0, static_cast<int>(settings.adapter)));
    if (device->adapterCount < 1)
    {
        LogText("No Direct3D adapter found!\n");
        return D3DERR_NOTAVAILABLE;
    }
    int usable = -1;
    for (int i = 0; i < device->adapterCount && usable < 0; ++i)
        if (AdapterUsable(*device->adapters[i]))
            usable = i;
    if (usable < 0)
    {
        LogText("No Direct3D adapter found!\n");
        return D3DERR_NOTAVAILABLE;
    }
    if (settings.adapter < 0 || settings.adapter >= device->adapterCount ||
        !AdapterUsable(*device->adapters[settings.adapter]))
        settings.adapter = usable;
    device->adapter = settings.adapter;
    device->modeIndex = device->adapters[settings.adapter]->desktopIndex;
    const CDisplayModeList& modes = *device->adapters[settings.adapter];

    ChooseMode(modes);
    HRESULT hr = CreateDeviceInMode(depthStencilFormat);
    // A full-screen setting the display cannot give (a hand-edited options file, a
    // desktop without mode switching) falls back to a window rather than stopping.
    if (FAILED(hr) && settings.fullScreen && modes.desktopIndex >= 0)
    {
        LogText("Full screen is not available here, playing in a window.\n");
        settings.fullScreen = 0;
        settings.width = 0;
        settings.height = 0;
        settings.colorMode = -1;
        ChooseMode(modes);
        hr = CreateDeviceInMode(depthStencilFormat);
    }
    if (in)
        *in = settings;
    if (FAILED(hr))
        return hr;
    modeWidth = screenWidth;
    modeHeight = screenHeight;

    device->SetRenderState(D3DRS_LIGHTING, 0);
    for (DWORD stage = 0; stage < 2; ++stage)
    {
        device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    }
    D3DXMatrixIdentity(&world);
    device->SetTransform(D3DTS_WORLD, &world);

    ComputeViewports();
    device->SetViewport(&fullViewport);
    D3DXMatrixOrthoLH(&projection, kLogicalWidth, kLogicalHeight, kLogicalNear, kLogicalFar);
    return D3D_OK;
}

HRESULT CRenderer::CreateDeviceInMode(D3DFORMAT depthStencilFormat)
{
    SetScreen(static_cast<UINT>(settings.width), static_cast<UINT>(settings.height),
              static_cast<D3DFORMAT>(settings.format));
    if (window)
    {
        RECT client{}, frame{};
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        int extraW = (frame.right - frame.left) - (client.right - client.left);
        int extraH = (frame.bottom - frame.top) - (client.bottom - client.top);
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, static_cast<int>(screenWidth) + extraW,
                     static_cast<int>(screenHeight) + extraH, SWP_NOMOVE);
        UpdateWindow(window);
    }
    return device->Create(screenWidth, screenHeight, screenFormat, settings.fullScreen != 0, settings.videoSync != 0,
                          window, depthStencilFormat, 1, D3DMULTISAMPLE_NONE, D3DSWAPEFFECT_DISCARD, 0);
}

void CRenderer::ListWindowSizes(const CDisplayMode* desktop)
{
    // Windowed play offers 640 x 480 and the largest size that fits inside the desktop.
    windowSizes.assign(std::begin(kWindowSizes), std::end(kWindowSizes));
    if (!desktop)
    {
        windowSizes.resize(1);
        settings.fullScreen = 1;
        return;
    }
    for (size_t i = windowSizes.size(); i-- > 1;)
        if (windowSizes[i].first >= desktop->width || windowSizes[i].second >= desktop->height)
            windowSizes.erase(windowSizes.begin() + static_cast<long>(i));
    if (windowSizes.size() == 3)
        windowSizes.erase(windowSizes.begin() + 1);
}

void CRenderer::ProbeModes(const CDisplayModeList& modes, const CDisplayMode* desktop)
{
    probes.assign(kProbeCount, -1);
    probes[0] = modes.FindByDepth(640, 480, 16, false);
    probes[1] = modes.FindByDepth(1024, 768, 16, false);
    probes[3] = modes.FindByDepth(1024, 768, 32, false);
    if (desktop && desktop->height * 4 < desktop->width * 3)
    {
        float aspect = static_cast<float>(desktop->height) / static_cast<float>(desktop->width);
        probes[4] = modes.FindNearest(aspect, 0.001f, 480, 16);
        probes[5] = modes.FindNearest(aspect, 0.001f, 768, 16);
        probes[7] = modes.FindNearest(aspect, 0.001f, 768, 32);
    }
}

void CRenderer::PickDefaultSize(const CDisplayModeList& modes)
{
    const int level = settings.hardwareLevel;
    if (!settings.fullScreen && !windowSizes.empty())
    {
        const auto& size = (level > 1 && windowSizes.size() >= 2) ? windowSizes[1] : windowSizes[0];
        settings.width = static_cast<int32_t>(size.first);
        settings.height = static_cast<int32_t>(size.second);
        return;
    }
    settings.fullScreen = 1;
    struct Candidate
    {
        int probe;
        int32_t colorMode;
    };
    std::vector<Candidate> order;
    if (level == 5)
        order.insert(order.end(), {{7, 32}, {5, 16}, {3, 32}});
    if (level >= 2)
        order.insert(order.end(), {{5, 16}, {1, 16}});
    order.insert(order.end(), {{4, 16}, {0, 16}});
    for (const Candidate& c : order)
    {
        int index = probes[c.probe];
        if (index < 0)
            continue;
        settings.width = static_cast<int32_t>(modes.modes[index].width);
        settings.height = static_cast<int32_t>(modes.modes[index].height);
        settings.colorMode = c.colorMode;
        return;
    }
    settings.width = 640;
    settings.height = 480;
    settings.colorMode = -1;
}

void CRenderer::PickColourMode(const CDisplayModeList& modes, const CDisplayMode* desktop, DWORD& width,
                               DWORD& height)
{
    if (settings.colorMode != -1 &&
        !(settings.fullScreen && modes.FindByDepth(width, height, static_cast<DWORD>(settings.colorMode), true) >= 0))
        settings.colorMode = -1;
    if (settings.colorMode != -1)
        return;
    if (desktop)
    {
        settings.colorMode = static_cast<int32_t>(desktop->bitsPerPixel);
        return;
    }
    settings.fullScreen = 1;
    int index = modes.FindFlagged(width, height, true);
    if (index < 0)
    {
        width = 1024;
        height = 768;
        index = modes.FindFlagged(width, height, true);
    }
    if (index < 0 && !modes.modes.empty())
        index = 0;
    if (index >= 0)
        settings.colorMode = static_cast<int32_t>(modes.modes[index].bitsPerPixel);
}

DWORD CRenderer::PickFormat(const CDisplayModeList& modes, const CDisplayMode* desktop, DWORD& width,
                            DWORD& height) const
{
    DWORD format = D3DFMT_UNKNOWN;
    if (!settings.fullScreen && desktop)
    {
        // A window larger than the desktop shrinks to the largest size that fits.
        if (desktop->width < width || desktop->height < height)
        {
            std::pair<UINT, UINT> size = windowSizes.front();
            for (size_t i = windowSizes.size(); i-- > 1;)
                if (windowSizes[i].first <= desktop->width && windowSizes[i].second <= desktop->height)
                {
                    size = windowSizes[i];
                    break;
                }
            width = size.first;
            height = size.second;
        }
        return desktop->format;
    }
    const DWORD depth = static_cast<DWORD>(settings.colorMode);
    int index = modes.FindByDepth(width, height, depth, true);
    if (index < 0)
    {
        width = 1024;
        height = 768;
        index = modes.FindByDepth(width, height, depth, true);
    }
    if (index >= 0)
        format = modes.modes[index].format;
    else if (!modes.modes.empty())
    {
        width = modes.modes[0].width;
        height = modes.modes[0].height;
        index = modes.FindByDepth(width, height, depth, false);
        format = modes.modes[index < 1 ? 0 : index].format;
    }
    return format;
}

void CRenderer::ChooseMode(const CDisplayModeList& modes)
{
    const CDisplayMode* desktop = modes.desktopIndex >= 0 ? &modes.modes[modes.desktopIndex] : nullptr;
    ListWindowSizes(desktop);
    ProbeModes(modes, desktop);

    // A saved full-screen size the display no longer offers is forgotten.
    if (settings.fullScreen && settings.width != 0 && settings.height != 0 &&
        modes.FindByDepth(static_cast<DWORD>(settings.width), static_cast<DWORD>(settings.height),
                          static_cast<DWORD>(settings.colorMode), false) < 0)
    {
        settings.width = 0;
        settings.height = 0;
        settings.colorMode = -1;
    }

    // The grade drives the quality settings, so it is taken on every start, not only
    // when the size is chosen here: the saved options carry a size after the first run.
    settings.hardwareLevel = GetHardwareLevel(modes.adapter, d3d);
    if (settings.width == 0 || settings.height == 0)
        PickDefaultSize(modes);

    DWORD width = static_cast<DWORD>(settings.width);
    DWORD height = static_cast<DWORD>(settings.height);
    PickColourMode(modes, desktop, width, height);
    const DWORD format = PickFormat(modes, desktop, width, height);
    settings.width = static_cast<int32_t>(width);
    settings.height = static_cast<int32_t>(height);
    settings.format = static_cast<int32_t>(format);
}

HRESULT CRenderer::ResetDevice()
{
    if (!device.IsValid() || !device->device)
        return D3DERR_INVALIDCALL;
    device->ReleaseDefaultPoolResources();
    HRESULT hr = device->Reset();
    if (FAILED(hr))
        return hr;

    int cursor = device->FindSurface("CursorSurface");
    if (cursor < 0)
        LogText("Cursor surface not found!\n");
    else
        device->device->SetCursorProperties(0, 0, device->surfaces[cursor]->surface);

    ComputeViewports();
    device->SetViewport(&fullViewport);
    D3DXMatrixOrthoLH(&projection, kLogicalWidth, kLogicalHeight, kLogicalNear, kLogicalFar);

    LogText("Device Reset. Now");
    LogText(device->present.Windowed ? "Windowed" : "Fullscreen");
    LogInt(static_cast<int32_t>(device->present.BackBufferWidth));
    LogText("x");
    LogInt(static_cast<int32_t>(device->present.BackBufferHeight));
    LogInt(static_cast<int32_t>(device->present.BackBufferFormat));
    LogText("\n");
    return D3D_OK;
}

HRESULT CRenderer::Present()
{
    if (!device.IsValid() || !device->device)
        return D3DERR_INVALIDCALL;
    HRESULT hr = device->device->Present(nullptr, nullptr, window, nullptr);
    if (FAILED(hr))
        ResetDevice();
    return hr;
}

int CRenderer::SetVideoMode(int fullScreen, UINT width, UINT height, D3DFORMAT format)
{
    if (!device.IsValid() || !device->device || device->adapter < 0 ||
        device->adapter >= static_cast<int>(device->adapters.size()))
        return 0;
    const CDisplayModeList& modes = *device->adapters[device->adapter];
    if (fullScreen)
    {
        if (device->IsModeListed(width, height, format, true))
        {
            modeWidth = width;
            modeHeight = height;
        }
        else
        {
            int index = modes.FindFullScreen(width, height, format, true);
            if (index < 0)
                return 0;
            modeWidth = modes.modes[index].width;
            modeHeight = modes.modes[index].height;
        }
        device->present.Windowed = FALSE;
        screenWidth = modeWidth;
        screenHeight = modeHeight;
        device->fullWidth = modeWidth;
        device->fullHeight = modeHeight;
        screenFormat = format;
        device->fullFormat = format;
        device->modeIndex = modes.Find(width, height, format, false);
        settings.format = static_cast<int32_t>(format);
    }
    else
    {
        if (modes.desktopIndex < 0 || windowSizes.empty())
            return 0;
        device->present.Windowed = TRUE;
        std::pair<UINT, UINT> size = windowSizes.front();
        auto exact = std::find(windowSizes.begin(), windowSizes.end(), std::make_pair(width, height));
        if (exact != windowSizes.end())
            size = *exact;
        else
            for (size_t i = windowSizes.size(); i-- > 0;)
                if (windowSizes[i].first <= width && windowSizes[i].second <= height)
                {
                    size = windowSizes[i];
                    break;
                }
        device->present.BackBufferWidth = size.first;
        device->present.BackBufferHeight = size.second;
        screenWidth = modeWidth = size.first;
        screenHeight = modeHeight = size.second;
    }
    ResetDevice();
    scaleX = kLogicalWidth / static_cast<float>(screenWidth);
    halfScaleX = scaleX * 0.5f;
    halfWidth = static_cast<float>(screenWidth / 2);
    return 1;
}

void CRenderer::GetDisplayMode(int desktop, UINT* width, UINT* height, D3DFORMAT* format)
{
    if (desktop)
    {
        if (width)
            *width = device.IsValid() ? device->fullWidth : 0;
        if (height)
            *height = device.IsValid() ? device->fullHeight : 0;
        if (format)
            *format = device.IsValid() ? device->fullFormat : D3DFMT_UNKNOWN;
        return;
    }
    if (width)
        *width = screenWidth;
    if (height)
        *height = screenHeight;
    if (format)
    {
        *format = D3DFMT_UNKNOWN;
        if (device.IsValid() && device->adapter >= 0 && device->adapter < static_cast<int>(device->adapters.size()))
        {
            const CDisplayModeList& modes = *device->adapters[device->adapter];
            if (modes.desktopIndex >= 0)
                *format = static_cast<D3DFORMAT>(modes.modes[modes.desktopIndex].format);
            else if (!modes.modes.empty())
                *format = static_cast<D3DFORMAT>(modes.modes[0].format);
        }
    }
}

void CRenderer::BuildGammaRamp(float b, D3DGAMMARAMP* ramp)
{
    const float k = (0.5f - b) * 10.0f;
    const float step = 1.0f / 255.0f;
    const float denominator = std::exp(k) - 1.0f;
    float x = 0.0f;
    for (int i = 0; i < 256; ++i)
    {
        float v;
        if (k == 0.0f)
            v = std::floor(65535.0f * x);
        else
        {
            float e = std::exp(k * x) - 1.0f;
            float scaled = 65535.0f * e;
            v = std::floor(scaled / denominator);
        }
        WORD w = std::isfinite(v) ? static_cast<WORD>(std::clamp(v, 0.0f, 65535.0f)) : 0;
        ramp->red[i] = w;
        ramp->green[i] = w;
        ramp->blue[i] = w;
        x += step;
    }
}

void CRenderer::SetBrightness(float b)
{
    if (!device.IsValid() || !device->device)
        return;
    D3DGAMMARAMP ramp;
    BuildGammaRamp(b, &ramp);
    device->device->SetGammaRamp(D3DSGR_NO_CALIBRATION, &ramp);
}

void CRenderer::SaveGammaRamp()
{
    if (device.IsValid() && device->device)
        device->device->GetGammaRamp(&savedGamma);
}

void CRenderer::RestoreGammaRamp()
{
    if (device.IsValid() && device->device)
        device->device->SetGammaRamp(D3DSGR_NO_CALIBRATION, &savedGamma);
}

// ---------------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------------
void CRenderer::ClearBars()
{
    if (letterbox.Width < screenWidth)
    {
        device->SetViewport(&fullViewport);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device->SetViewport(&letterbox);
    }
}

bool CRenderer::BeginFrame(bool blackBackground, HRESULT* result)
{
    *result = D3D_OK;
    if (!device.IsValid() || !device->device)
    {
        *result = D3DERR_INVALIDCALL;
        return false;
    }
    HRESULT hr = device->device->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST)
    {
        *result = hr;
        return false;
    }
    // A reset that did not go through last time is tried again: until it does, the
    // shared buffers have no Direct3D objects and nothing can be drawn.
    if (hr == D3DERR_DEVICENOTRESET || device->resetPending)
    {
        if (FAILED(ResetDevice()))
        {
            *result = D3DERR_DEVICELOST;
            return false;
        }
    }
    if (FAILED(device->device->BeginScene()))
        return false;

    ClearBars();
    if (blackBackground)
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    else if (clearTarget)
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColour, 1.0f, 0);
    else
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, clearColour, 1.0f, 0);

    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    CDevice& d = *device;
    d.SetRenderState(D3DRS_ALPHAREF, 0x80);
    d.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    SetModulatedStages(d);
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.SetRenderState(D3DRS_DITHERENABLE, 1);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 1);

    d.SetIndices(indexBuffer, 0);
    d.SetStreamSource(vertexBuffer);
    d.SetVertexShader(kVertexFormat);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (texts.IsValid())
        texts->BeginFrame();
    return true;
}

void CRenderer::ZWriteOff()
{
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
}

void CRenderer::EndFrame()
{
    if (texts.IsValid())
        texts->EndFrame();
    device->device->EndScene();
}

HRESULT CRenderer::LockPicture(DWORD vertexCount, DWORD indexCount, CVertex** vertices, uint16_t** indices)
{
    if (!device.IsValid() || !device->device)
        return D3DERR_INVALIDCALL;
    HRESULT hr = device->device->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST || hr == D3DERR_DEVICENOTRESET)
        return hr;
    if (!vertexBuffer.IsValid() || !indexBuffer.IsValid())
        return D3DERR_INVALIDCALL;
    if (FAILED(LockRun(*vertexBuffer, *indexBuffer, vertexCount, indexCount, vertices, indices)))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT CRenderer::DrawPicture(CRefPtr<CTexture> picture, DWORD vertexCount, DWORD primitives)
{
    vertexBuffer->Unlock();
    indexBuffer->Unlock();
    if (FAILED(device->device->BeginScene()))
        return D3D_OK;
    ClearBars();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    CDevice& d = *device;
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_DITHERENABLE, 1);
    SetModulatedStages(d);

    d.SetIndices(indexBuffer, 0);
    d.SetStreamSource(vertexBuffer);
    d.SetVertexShader(kVertexFormat);
    d.SetTexture(0, picture);
    d.SetTransform(D3DTS_VIEW, &view);
    d.SetTransform(D3DTS_PROJECTION, &projection);

    d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexBuffer->lockStart, vertexCount, indexBuffer->lockStart,
                           primitives);
    device->device->EndScene();
    return D3D_OK;
}

HRESULT CRenderer::DrawLoadingScreen(CRefPtr<CTexture> picture, float progress)
{
    CVertex* v = nullptr;
    uint16_t* i = nullptr;
    HRESULT hr = LockPicture(8, 12, &v, &i);
    if (FAILED(hr))
        return hr;

    const D3DCOLOR white = 0xFFFFFFFF;
    SetPictureQuad(v, white, 0.75f);
    const float right = kBarWidth * progress + kBarLeft;
    const float uRight = kBarU + kBarWidth * progress / 1024.0f;
    SetVertex(v[4], kBarLeft, kBarTop, white, kBarU, kBarVTop);
    SetVertex(v[5], right, kBarTop, white, uRight, kBarVTop);
    SetVertex(v[6], right, kBarBottom, white, uRight, kBarVBottom);
    SetVertex(v[7], kBarLeft, kBarBottom, white, kBarU, kBarVBottom);
    const DWORD s = vertexBuffer->lockStart;
    SetQuadIndices(i, s);
    SetQuadIndices(i + 6, s + 4);
    return DrawPicture(picture, 8, 4);
}

HRESULT CRenderer::PresentBlackFrame()
{
    if (!device.IsValid() || !device->device)
        return D3DERR_INVALIDCALL;
    HRESULT hr = device->device->BeginScene();
    if (FAILED(hr))
        return hr;
    ClearBars();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->device->EndScene();
    return Present();
}

HRESULT CRenderer::DrawFadedPicture(CRefPtr<CTexture> picture, float level)
{
    CVertex* v = nullptr;
    uint16_t* i = nullptr;
    HRESULT hr = LockPicture(4, 6, &v, &i);
    if (FAILED(hr))
        return hr;

    // Out-of-range levels are held to black and unchanged, so that the grey never
    // spills into the neighbouring colour channels.
    level = std::clamp(level, 0.0f, 1.0f);
    const DWORD grey = static_cast<DWORD>(static_cast<int>(std::floor(level * 255.0f)));
    const D3DCOLOR colour = 0xFF000000u + grey * 0x10000u + grey * 0x100u + grey;
    SetPictureQuad(v, colour, 1.0f);
    SetQuadIndices(i, vertexBuffer->lockStart);
    return DrawPicture(picture, 4, 2);
}
