// Choosing the Direct3D backend, and what tests and tools need beyond the game's calls:
// the recording backend's script and call record, and reading the GL back buffer.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d8.h"

namespace platform {

// One scripted display adapter of the recording backend.
struct RecAdapter
{
    D3DADAPTER_IDENTIFIER8 identifier{};
    bool identifierFails = false;
    std::vector<D3DDISPLAYMODE> modes;     // as EnumAdapterModes lists them
    D3DDISPLAYMODE desktop{};              // GetAdapterDisplayMode
    bool desktopFails = false;
    D3DCAPS8 caps{};
    bool capsFail = false;
    std::vector<D3DFORMAT> windowedFormats;     // CheckDeviceType in a window (display = back buffer)
    std::vector<D3DFORMAT> fullScreenFormats;   // CheckDeviceType full screen
    std::vector<D3DFORMAT> textureFormats;      // CheckDeviceFormat for textures
    std::vector<D3DFORMAT> renderTargetFormats; // CheckDeviceFormat for render-target surfaces
};

// The script and record of the recording backend. Resources live in memory (locks and
// level descriptions work); nothing is drawn. Every interface call is recorded as
// "Method(arg, arg, ...)" in `calls`.
class D3DRecorder
{
public:
    D3DRecorder();

    // One desktop-like adapter: 1024 x 768 X8R8G8B8 desktop; 640x480, 800x600 and
    // 1024x768 in X8R8G8B8 and R5G6B5; windowed only in X8R8G8B8; every texture format.
    static RecAdapter DefaultAdapter();

    // The next `times` calls of `method` (every call when times < 0) return `result`
    // and change nothing.
    void Fail(const std::string& method, HRESULT result, int times = 1);
    void StopFailing(const std::string& method);
    // The result a scripted failure gives to this call, or D3D_OK; used by the backend.
    HRESULT Scripted(const std::string& method);

    // Number of recorded calls of `method`, or of all calls whose text starts with
    // `method` followed by "(" and the given argument prefix when `args` is not empty.
    int Count(const std::string& method, const std::string& args = std::string()) const;
    void ClearCalls() { calls.clear(); }

    std::vector<RecAdapter> adapters;
    std::vector<std::string> calls;

    // What TestCooperativeLevel answers (D3D_OK, D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET).
    HRESULT cooperativeLevel = D3D_OK;
    // Reset refuses with D3DERR_INVALIDCALL while default-pool resources are alive, as
    // the original runtime does.
    bool strictReset = true;

    // Live resources made through the backend's devices (kept up to date by the backend).
    int liveDefault = 0;
    int liveManaged = 0;
    int liveDevices = 0;

private:
    struct Failure
    {
        HRESULT result;
        int times;
    };
    std::map<std::string, Failure> m_failures;
};

// Direct3DCreate8 hands out the recording backend, driven by the returned recorder,
// until UseGLBackend is called.
std::shared_ptr<D3DRecorder> UseRecordingBackend();
std::shared_ptr<D3DRecorder> UseRecordingBackend(std::shared_ptr<D3DRecorder> recorder);
// Direct3DCreate8 hands out the OpenGL backend (the default).
void UseGLBackend();

// What a GL device has done since it was made.
struct DeviceStatistics
{
    uint64_t texturesCreated = 0;
    uint64_t textureUploads = 0;
    uint64_t textureBytesUploaded = 0; // as RGBA8, level 0
    uint64_t textureReadBacks = 0;
    uint64_t textureFileFills = 0; // textures filled from their file at first use
    uint64_t drawCalls = 0;
    uint64_t presents = 0;
    uint64_t pixelsDrawn = 0; // covered by the draws' triangles; counted only with PLATFORM_STATS set
};

// GL backend only: the device's counts; false on another backend.
bool GetDeviceStatistics(IDirect3DDevice8* device, DeviceStatistics& out);

// One draw of a traced frame: what its triangles cover and what it changed on screen,
// so that the draws that shade far more than they show can be named.
struct DrawTrace
{
    double covered = 0.0;     // pixels inside the viewport its triangles cover
    uint64_t changed = 0;     // back-buffer pixels whose colour it changed
    unsigned triangles = 0;
    std::string pictures;     // stage 0 (and 1) textures: picture file name or width x height
    std::string states;       // blending and alpha test
};

// GL backend only: the draws of the next frame are traced, the trace kept until the
// frame after and, with PLATFORM_STATS set, printed on standard error at its present.
// With PLATFORM_STATS set, the signal SIGUSR1 traces the next frame too.
bool TraceNextFrame(IDirect3DDevice8* device);
// The draws of the last traced frame (empty before one was traced).
bool LastFrameTrace(IDirect3DDevice8* device, std::vector<DrawTrace>& out);

// GL backend: a present with presentation interval one waits out the display's refresh
// period (on by default). A host that drives the loop with its own clock turns it off,
// so scripted runs never wait on wall time.
void SetPresentPacing(bool on);

// GL backend only: reads back-buffer pixels (origin top-left, y down) as 0xAARRGGBB
// before Present. False on another backend or outside the back buffer.
bool ReadBackBuffer(IDirect3DDevice8* device, int x, int y, int width, int height, std::vector<uint32_t>& out);

} // namespace platform
