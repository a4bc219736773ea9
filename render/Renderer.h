// CRenderer: the one object that owns the display. It negotiates the video mode
// from the saved settings and the adapter's modes, makes the device wrapper, keeps
// the letterbox that shows the fixed 1024 x 768 logical screen in a centred 4:3
// area of any back buffer, holds the handles of every module that draws into a
// frame, recovers a lost device, presents, switches video modes at run time and
// drives the screen brightness through the gamma ramp. The program entry makes it,
// the game's start-up hands it the engine's drawing modules (sprite batches, sprite
// lists, texts), and it is released last.
//
// The frame's fixed layer order lives in render/FrameLayers.h; the modules of the
// subsystems above the engine stay with the game's frame (game/Frame.h).
#pragma once

#include <utility>
#include <vector>

#include "engine/DataFolders.h"
#include "engine/RefPtr.h"
#include "platform/d3d8.h"
#include "platform/d3dx8.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

class CSpriteBatch;
class CSpriteList;
class CTextSet;

// The logical screen every module draws in.
constexpr float kLogicalWidth = 1024.0f;
constexpr float kLogicalHeight = 768.0f;
constexpr float kLogicalNear = -1000.0f;
constexpr float kLogicalFar = 1000.0f;

// The text passes of the frame: below the forms, and above everything else.
constexpr int kTextPassLow = -1;
constexpr int kTextPassHigh = 12345;

class CRenderer
{
public:
    enum
    {
        kSpriteBatches = 3,
        kSpriteLists = 3,
        kProbeCount = 8,
    };
    // Window sizes offered for windowed play, before the desktop trims them.
    static const std::pair<UINT, UINT> kWindowSizes[3];

    CRenderer();
    ~CRenderer();
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;

    // Picks the mode from the settings and the adapter, makes the device and sets the
    // default states and viewports. The settings block is changed in place (adapter,
    // colour depth, format, full-screen flag, size, hardware level) so that the
    // start-up can save what is in force. D3DERR_NOTAVAILABLE without a usable adapter;
    // a failed device creation is returned unchanged.
    HRESULT Create(VideoSettings* settings, IDirect3D8* d3d, HWND window, D3DFORMAT depthStencilFormat);

    // Releases the default-pool resources, resets the device, which re-creates them and
    // re-applies the cached states, and sets the cursor image, viewports and projection
    // again. A reset the device refuses (it is still lost) is left pending: the resources
    // stay released and the next frame tries again. D3D_OK once the device is back.
    HRESULT ResetDevice();
    // Shows the back buffer; a failed present resets the device.
    HRESULT Present();
    // 1 when the mode was switched, 0 when it was refused.
    int SetVideoMode(int fullScreen, UINT width, UINT height, D3DFORMAT format);
    // desktop 0: the adapter's desktop mode; 1: the full-screen mode asked for.
    void GetDisplayMode(int desktop, UINT* width, UINT* height, D3DFORMAT* format);

    // b is the game's brightness: 0.5 gives the linear ramp, less is darker.
    void SetBrightness(float b);
    void SaveGammaRamp();
    void RestoreGammaRamp();

    // The frame with the modules reached through `layers` (render/FrameLayers.h), in
    // the fixed layer order. D3DERR_DEVICELOST when the device is lost (nothing
    // drawn), otherwise 0. Does not present.
    template <class Layers>
    HRESULT RenderFrameWith(Layers& layers);
    // A whole frame of one picture with a progress bar (0 .. 1) below it, while loading.
    HRESULT DrawLoadingScreen(CRefPtr<CTexture> picture, float progress);
    // A whole frame of one picture dimmed to a grey level (0 black .. 1 unchanged).
    HRESULT DrawFadedPicture(CRefPtr<CTexture> picture, float level);
    // A black frame, presented: the window shows at once while the first pictures load.
    HRESULT PresentBlackFrame();

    // The centred 4:3 area of a back buffer of the given size.
    static D3DVIEWPORT8 LetterboxFor(UINT screenWidth, UINT screenHeight);
    // The brightness curve SetBrightness sends (the same for red, green and blue).
    static void BuildGammaRamp(float b, D3DGAMMARAMP* ramp);

    // Frame steps shared by the frame's template: the device test, scene start, bar and
    // picture clears, transforms and default states (false: draw nothing, `result`
    // holds the frame's result), the depth-write switch between layers, and the end.
    bool BeginFrame(bool blackBackground, HRESULT* result);
    void ZWriteOff();
    void EndFrame();

    IDirect3D8* d3d;
    CRefPtr<CDevice> device;
    std::vector<std::pair<UINT, UINT>> windowSizes;
    std::vector<int> probes;
    D3DXMATRIX world;
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DVIEWPORT8 fullViewport;
    D3DVIEWPORT8 letterbox;
    VideoSettings settings;
    UINT modeWidth;
    UINT modeHeight;
    UINT screenWidth;
    UINT screenHeight;
    D3DFORMAT screenFormat;
    float scaleX;
    float halfScaleX;
    float halfWidth;
    HWND window;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CSpriteBatch> spriteBatches[kSpriteBatches];
    CRefPtr<CTextSet> texts;
    DWORD clearTarget;
    D3DCOLOR clearColour;
    D3DGAMMARAMP savedGamma;
    CRefPtr<CSpriteList> spriteLists[kSpriteLists];

private:
    // Chooses the size, colour depth and format (steps 6 to 8 of Create).
    void ChooseMode(const CDisplayModeList& modes);
    // The window sizes that fit the desktop; no desktop means full screen only.
    void ListWindowSizes(const CDisplayMode* desktop);
    // Looks up the 4:3 and, on a wide desktop, the desktop-shaped full-screen modes.
    void ProbeModes(const CDisplayModeList& modes, const CDisplayMode* desktop);
    // First start: the size (and depth) the hardware grade suggests.
    void PickDefaultSize(const CDisplayModeList& modes);
    // Keeps the colour depth only where the full-screen mode offers it; may move the size.
    void PickColourMode(const CDisplayModeList& modes, const CDisplayMode* desktop, DWORD& width, DWORD& height);
    // The pixel format of the chosen mode; may shrink or move the size to one that exists.
    DWORD PickFormat(const CDisplayModeList& modes, const CDisplayMode* desktop, DWORD& width, DWORD& height) const;
    // Sizes the window to the chosen mode and creates the device in it.
    HRESULT CreateDeviceInMode(D3DFORMAT depthStencilFormat);
    void SetScreen(UINT width, UINT height, D3DFORMAT format);
    void ComputeViewports();
    void ClearBars();
    // The picture frames: lock `vertexCount` vertices and `indexCount` indices on a
    // device that is not lost (a lost device's result passes through).
    HRESULT LockPicture(DWORD vertexCount, DWORD indexCount, CVertex** vertices, uint16_t** indices);
    HRESULT DrawPicture(CRefPtr<CTexture> picture, DWORD vertexCount, DWORD primitives);
};
