// What the tools that draw share: the graphics library and a game-style window (on
// the offscreen video driver when there is no display), the renderer made in it with
// the game's shared buffers (textures painted pixel by pixel: PaintTexture.h).
#pragma once

#include "platform/d3d8/backend.h"
#include "platform/win32.h"
#include "render/Device.h"
#include "render/Renderer.h"
#include "tools/common/PaintTexture.h"

namespace tools {

class GraphicsWindow
{
public:
    // `tool` prefixes the messages of what could not be made.
    GraphicsWindow(const char* tool, const char* title, int width, int height);
    ~GraphicsWindow();
    GraphicsWindow(const GraphicsWindow&) = delete;
    GraphicsWindow& operator=(const GraphicsWindow&) = delete;

    bool Ready() const { return window && d3d; }

    HMODULE library = nullptr;
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
};

// The renderer at `width` x `height` (the same back buffer full screen when the desktop
// is too small for such a window), its shared vertex and index buffers made; empty,
// with a message, when it cannot be made.
CRefPtr<CRenderer> MakeRenderer(const char* tool, const GraphicsWindow& host, int width, int height);

} // namespace tools
