// The display modes of one adapter that the game can use: at least 640 by 480, one
// record per size and format, sorted, with each format's channel layout and the index
// of the desktop mode. The device wrapper keeps one list per adapter; the renderer picks
// its window and full-screen modes through the lookups, and GetHardwareLevel grades the
// adapter for the quality settings.
#pragma once

#include <vector>

#include "platform/d3d8.h"

// One usable display mode: nineteen 32-bit fields.
struct CDisplayMode
{
    DWORD width;
    DWORD height;
    DWORD format;
    DWORD bitsPerPixel;
    DWORD redBits, redMask, redShift;
    DWORD greenBits, greenMask, greenShift;
    DWORD blueBits, blueMask, blueShift;
    DWORD alphaBits, alphaMask, alphaShift;
    DWORD windowed;           // 1: works as display and back-buffer format in a window
    DWORD fullScreen;         // 1: works full screen
    DWORD renderTargetFormat; // format used for render targets on this display format; 0 none
};

class CDisplayModeList
{
public:
    CDisplayModeList(IDirect3D8* d3d, UINT adapter);

    void Build(IDirect3D8* d3d, UINT adapter);

    // Each returns a record index or -1. With orLarger set, a second pass takes the first
    // record at least as large; when that also fails, the last (largest) record.
    int Find(DWORD width, DWORD height, DWORD format, bool orLarger) const;
    int FindWindowed(DWORD width, DWORD height, DWORD format, bool orLarger) const;
    int FindFullScreen(DWORD width, DWORD height, DWORD format, bool orLarger) const;
    int FindFlagged(DWORD width, DWORD height, bool orLarger) const;
    int FindByDepth(DWORD width, DWORD height, DWORD bitsPerPixel, bool orLarger) const;
    // The first full-screen record of matching depth whose height/width ratio is near
    // `aspect` (then merely below it), at the given height or taller.
    int FindNearest(float aspect, float tolerance, DWORD height, DWORD bitsPerPixel) const;

    IDirect3D8* direct3D;
    UINT adapter;
    std::vector<CDisplayMode> modes;
    int desktopIndex; // the desktop mode, usable windowed; -1 when none
};

// The Direct3D object the start-up created; GetHardwareLevel uses it when given none.
extern IDirect3D8* g_direct3D;

// Grades the adapter 0..5: 5 pixel shaders (vendor 0x1002 or no identifier), 4 other
// shaders, 3 hardware transform and lighting, 2 stencil ZERO, 1 anything else, 0 no caps.
int GetHardwareLevel(UINT adapter, IDirect3D8* d3d = nullptr);
