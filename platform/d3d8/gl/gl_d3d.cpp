// The OpenGL backend: the Direct3D 8 subset drawn with the fixed-function compatibility
// pipeline in the game window's SDL GL context. State is kept in the device's tables
// and applied when a draw is made.
#include <malloc.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/d3d8/backends.h"
#include "platform/d3d8/common.h"
#include "platform/d3d8/gl/gl_funcs.h"
#include "platform/win32/api.h"
#include "platform/win32/sdl_window.h"

namespace d3d8impl {
namespace {

void LayerLog(const std::string& text)
{
    platform::LogToSink(text.c_str());
}

D3DFORMAT FormatOfSdl(Uint32 sdlFormat)
{
    switch (SDL_BYTESPERPIXEL(sdlFormat))
    {
    case 4:
        return D3DFMT_X8R8G8B8;
    case 3:
        return D3DFMT_R8G8B8;
    case 2:
        return SDL_PIXELTYPE(sdlFormat) == SDL_PIXELTYPE_PACKED16 && SDL_PIXELLAYOUT(sdlFormat) == SDL_PACKEDLAYOUT_565
                   ? D3DFMT_R5G6B5
                   : D3DFMT_X1R5G5B5;
    default:
        return D3DFMT_UNKNOWN;
    }
}

GLenum CompareFunc(DWORD f)
{
    static const GLenum map[] = {GL_NEVER, GL_NEVER,   GL_LESS,     GL_EQUAL, GL_LEQUAL,
                                 GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return f >= 1 && f <= 8 ? map[f] : GL_ALWAYS;
}

GLenum BlendFactor(DWORD b)
{
    switch (b)
    {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE;
    }
}

GLint TextureArg(DWORD a)
{
    switch (a & 0xf)
    {
    case D3DTA_TEXTURE:
        return GL_TEXTURE;
    case D3DTA_CURRENT:
        return GL_PREVIOUS;
    default:
        return GL_PRIMARY_COLOR;
    }
}

// Keeps presents at most one per refresh period: a driver that does not wait for the
// display (offscreen, Xvfb, vsync refused) would otherwise draw hundreds of frames a
// second. A present that comes late starts a new period rather than catching up.
class FramePacer
{
public:
    void Wait(int refreshRate)
    {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::nanoseconds(1000000000LL / refreshRate);
        auto now = Clock::now();
        if (m_started && now < m_next)
        {
            std::this_thread::sleep_until(m_next);
            m_next += period;
            return;
        }
        m_started = true;
        m_next = now + period;
    }

private:
    bool m_started = false;
    std::chrono::steady_clock::time_point m_next;
};

bool g_presentPacing = true;
// Set by SIGUSR1 (with PLATFORM_STATS set): the next frame's draws are traced.
volatile std::sig_atomic_t g_traceSignalled = 0;

void OnTraceSignal(int)
{
    g_traceSignalled = 1;
}

bool PresentPacingOn()
{
    return g_presentPacing;
}

// Shared between a device and its textures: whether the GL context still exists, and
// what the device has done so far.
struct GLLink : DeviceLink
{
    bool glAlive = true;
    bool picturesFreed = false; // since the last present: see GLDevice::ReturnFreedMemory
    GLuint whiteTexture = 0;
    platform::DeviceStatistics stats;
};

// The level below a picture of width x height: each texel the rounded average of the
// 2 x 2 texels above it (of 2 once a side is down to 1).
void HalveArgb(const std::vector<uint32_t>& above, UINT width, UINT height, std::vector<uint32_t>& out)
{
    const UINT w = std::max(width / 2, 1u), h = std::max(height / 2, 1u);
    const UINT across = width > 1 ? 2 : 1, down = height > 1 ? 2 : 1, count = across * down;
    out.resize(static_cast<size_t>(w) * h);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
        {
            uint32_t sums[4] = {};
            for (UINT j = 0; j < down; ++j)
                for (UINT i = 0; i < across; ++i)
                {
                    uint32_t texel = above[static_cast<size_t>(y * down + j) * width + x * across + i];
                    for (int c = 0; c < 4; ++c)
                        sums[c] += (texel >> (8 * c)) & 0xff;
                }
            uint32_t result = 0;
            for (int c = 0; c < 4; ++c)
                result |= ((sums[c] + count / 2) / count) << (8 * c);
            out[static_cast<size_t>(y) * w + x] = result;
        }
}

bool EveryTexelOpaque(const uint32_t* argb, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if ((argb[i] >> 24) != 0xff)
            return false;
    return true;
}

// A combined transform: Direct3D's row vectors go through a, then b.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

// The area of a triangle (window pixels) inside the rectangle [x0, x1] x [y0, y1]: the
// triangle clipped against each side in turn, then the shoelace formula.
double ClippedTriangleArea(const float (&triangle)[3][2], float x0, float y0, float x1, float y1)
{
    std::vector<std::array<float, 2>> poly = {{triangle[0][0], triangle[0][1]},
                                              {triangle[1][0], triangle[1][1]},
                                              {triangle[2][0], triangle[2][1]}};
    auto clip = [&poly](int axis, float limit, bool keepBelow) {
        std::vector<std::array<float, 2>> out;
        for (size_t i = 0; i < poly.size(); ++i)
        {
            const auto& a = poly[i];
            const auto& b = poly[(i + 1) % poly.size()];
            const bool aIn = keepBelow ? a[axis] <= limit : a[axis] >= limit;
            const bool bIn = keepBelow ? b[axis] <= limit : b[axis] >= limit;
            if (aIn)
                out.push_back(a);
            if (aIn != bIn)
            {
                const float t = (limit - a[axis]) / (b[axis] - a[axis]);
                out.push_back({a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1])});
            }
        }
        poly.swap(out);
    };
    clip(0, x0, false);
    clip(0, x1, true);
    clip(1, y0, false);
    clip(1, y1, true);
    double twice = 0.0;
    for (size_t i = 0; i < poly.size(); ++i)
    {
        const auto& a = poly[i];
        const auto& b = poly[(i + 1) % poly.size()];
        twice += static_cast<double>(a[0]) * b[1] - static_cast<double>(b[0]) * a[1];
    }
    return std::fabs(twice) / 2.0;
}

// What a draw's vertices and textures prove about its fragments: whether each comes out
// with alpha exactly 1, and the window depths they lie between.
struct DrawFacts
{
    bool opaque = false;
    bool depthKnown = false;
    float nearest = 0.0f;
    float farthest = 0.0f;
};

// Room left between a computed depth and one the depth buffer holds, well above the
// rounding of a 16-bit depth buffer.
constexpr float kDepthMargin = 1.0f / 4096.0f;

// The driver holds level 0 as RGBA8; every declared format but the 10-bit one comes back
// from it bit for bit, so its CPU copy can go once it is uploaded.
bool RoundTripsThroughRgba8(D3DFORMAT format)
{
    return format != D3DFMT_A2B10G10R10;
}

// A texture lives in GL only: level 0 goes up as RGBA8 (decoded from the declared format)
// when it is unlocked, GL makes the other levels, and a texture never filled goes up
// blank when it is first drawn. The CPU copy is dropped after each upload and read back
// from GL when the texture is locked again, until the game has done that often enough
// to show it keeps writing the texture. A texture read from a picture file goes to the
// driver only when it is first drawn or locked: many are loaded at start-up for screens
// the player may never open, and the file is read again then.
class GLTexture : public MemTexture
{
public:
    GLTexture(std::shared_ptr<GLLink> link, UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : MemTexture(link, w, h, levels, usage, format, pool, false), m_gl(std::move(link))
    {
        gl.glGenTextures(1, &name);
        ++m_gl->stats.texturesCreated;
    }

    ~GLTexture() override
    {
        if (m_gl->glAlive && name)
            gl.glDeleteTextures(1, &name);
        m_gl->picturesFreed = true;
    }

    // A texture drawn before it was ever filled is blank (all zero).
    void EnsureUploaded()
    {
        if (m_uploaded || FillFromSource())
            return;
        const Level& l = m_levels[0];
        std::vector<uint32_t> zero(static_cast<size_t>(l.width) * l.height, 0);
        Upload(zero.data());
    }

    // The level range goes first, so the driver sizes the storage once (a texture still
    // at GL's default range gets a whole mip chain). The smaller levels are averaged
    // here: the driver's own generation draws them, and the frames it renders for that
    // keep the texture's storage alive long after the texture is gone.
    void Upload(const uint32_t* argb)
    {
        const Level& l = m_levels[0];
        gl.glActiveTexture(GL_TEXTURE0);
        gl.glBindTexture(GL_TEXTURE_2D, name);
        gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(m_levels.size() - 1));
        gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(l.width), static_cast<GLsizei>(l.height), 0,
                        GL_BGRA, GL_UNSIGNED_BYTE, argb);
        if (m_levels.size() > 1)
            UploadSmallerLevels(argb, l.width, l.height);
        params = Params{};
        opaque = EveryTexelOpaque(argb, static_cast<size_t>(l.width) * l.height);
        m_uploaded = true;
        m_gl->stats.textureBytesUploaded += static_cast<uint64_t>(l.width) * l.height * 4;
        ++m_gl->stats.textureUploads;
    }

    void UploadSmallerLevels(const uint32_t* argb, UINT width, UINT height)
    {
        std::vector<uint32_t> above(argb, argb + static_cast<size_t>(width) * height), level;
        for (GLint i = 1; i < static_cast<GLint>(m_levels.size()); ++i)
        {
            HalveArgb(above, width, height, level);
            width = std::max(width / 2, 1u);
            height = std::max(height / 2, 1u);
            gl.glTexImage2D(GL_TEXTURE_2D, i, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                            GL_BGRA, GL_UNSIGNED_BYTE, level.data());
            above.swap(level);
        }
    }

    // The sampling state GL keeps with the texture: set only when it changes.
    struct Params
    {
        GLint wrapS = -1, wrapT = -1, minFilter = -1, magFilter = -1;
    };

    void Apply(const DWORD* stage)
    {
        auto wrap = [](DWORD a) { return a == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT; };
        auto filter = [](DWORD f) { return f == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST; };
        GLint mag = filter(stage[D3DTSS_MAGFILTER]);
        GLint min = filter(stage[D3DTSS_MINFILTER]);
        if (m_levels.size() > 1 && stage[D3DTSS_MIPFILTER] != D3DTEXF_NONE)
        {
            bool linearMip = stage[D3DTSS_MIPFILTER] == D3DTEXF_LINEAR;
            if (min == GL_LINEAR)
                min = linearMip ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
            else
                min = linearMip ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
        }
        Params want{wrap(stage[D3DTSS_ADDRESSU]), wrap(stage[D3DTSS_ADDRESSV]), min, mag};
        if (want.wrapS != params.wrapS)
            gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, want.wrapS);
        if (want.wrapT != params.wrapT)
            gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, want.wrapT);
        if (want.minFilter != params.minFilter)
            gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, want.minFilter);
        if (want.magFilter != params.magFilter)
            gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, want.magFilter);
        params = want;
    }

    bool MakesOwnMips() const override { return RoundTripsThroughRgba8(m_format); }

    bool DefersFill(std::function<HRESULT(IDirect3DTexture8*)> fill) override
    {
        if (m_uploaded || !RoundTripsThroughRgba8(m_format) || !m_gl->glAlive)
            return false;
        m_fill = std::move(fill);
        return true;
    }

    // A lock of a texture still waiting for its file sees the file's pixels.
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override
    {
        if (level < m_levels.size() && locked && !m_levels[level].locked)
            FillFromSource();
        return MemTexture::LockRect(level, locked, rect, flags);
    }

    GLuint name = 0;
    Params params;
    // Every texel of what went up has alpha 255 (the levels GL makes from it too).
    bool opaque = false;

protected:
    // Levels past 0 are GL's own (generated from level 0): their copies are not needed.
    void OnUnlock(UINT level) override
    {
        if (level != 0 && !m_keepCopy && RoundTripsThroughRgba8(m_format))
            DropLevel(level);
        if (level != 0 || !m_gl->glAlive)
            return;
        const Level& l = m_levels[0];
        std::vector<uint32_t> argb(static_cast<size_t>(l.width) * l.height);
        for (UINT y = 0; y < l.height; ++y)
            D3DDecodeRow(m_format, l.bits.data() + static_cast<size_t>(y) * l.pitch,
                         argb.data() + static_cast<size_t>(y) * l.width, l.width);
        Upload(argb.data());
        if (!m_keepCopy && RoundTripsThroughRgba8(m_format))
            DropLevel(0);
    }

    void OnRestore(UINT level, Level& l) override
    {
        m_keepCopy = ++m_restores >= kRestoresBeforeKeeping;
        if (!m_uploaded || !m_gl->glAlive)
            return;
        std::vector<uint32_t> argb(static_cast<size_t>(l.width) * l.height);
        gl.glActiveTexture(GL_TEXTURE0);
        gl.glBindTexture(GL_TEXTURE_2D, name);
        gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
        gl.glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA, GL_UNSIGNED_BYTE, argb.data());
        for (UINT y = 0; y < l.height; ++y)
            D3DEncodeRow(m_format, argb.data() + static_cast<size_t>(y) * l.width,
                         l.bits.data() + static_cast<size_t>(y) * l.pitch, l.width);
        ++m_gl->stats.textureReadBacks;
    }

private:
    // Fills a texture whose filling was put off; true once it is in the driver. A file
    // that can no longer be read leaves the texture blank.
    bool FillFromSource()
    {
        if (!m_fill)
            return false;
        auto fill = std::move(m_fill);
        m_fill = nullptr;
        if (FAILED(fill(this)))
            LayerLog("A texture's picture file could not be read again; the texture stays blank\n");
        ++m_gl->stats.textureFileFills;
        m_gl->picturesFreed = true;
        return m_uploaded;
    }

    std::shared_ptr<GLLink> m_gl;
    std::function<HRESULT(IDirect3DTexture8*)> m_fill; // set while the filling is put off
    bool m_uploaded = false;
    bool m_keepCopy = false;
    // A texture filled once more after loading (a colour and alpha merge) drops its copy
    // again; one the game keeps writing keeps it.
    static constexpr int kRestoresBeforeKeeping = 3;
    int m_restores = 0;
};

class GLDevice : public RefCounted<IDirect3DDevice8>
{
public:
    GLDevice(HWND window, SDL_Window* sdlWindow, SDL_GLContext context, const D3DPRESENT_PARAMETERS& params)
        : m_window(window), m_sdlWindow(sdlWindow), m_context(context), m_params(params),
          m_link(std::make_shared<GLLink>())
    {
        m_states.SetDefaults(params.BackBufferWidth, params.BackBufferHeight);
        m_link->states = &m_states;
        for (int i = 0; i < 256; ++i)
            m_gamma.red[i] = m_gamma.green[i] = m_gamma.blue[i] = static_cast<WORD>(i * 257);
        ApplySwapInterval();
        // The texture a stage reads when nothing (or a released texture) is bound.
        const uint32_t white = 0xffffffffu;
        gl.glGenTextures(1, &m_link->whiteTexture);
        gl.glBindTexture(GL_TEXTURE_2D, m_link->whiteTexture);
        gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl.glDisable(GL_LIGHTING);
        gl.glShadeModel(GL_SMOOTH);
        gl.glFrontFace(GL_CCW);
        if (StatisticsLogged())
            std::signal(SIGUSR1, OnTraceSignal);
    }

    ~GLDevice() override
    {
        platform::SetDeviceCursor(nullptr);
        if (m_cursor)
            SDL_FreeCursor(m_cursor);
        gl.glDeleteTextures(1, &m_link->whiteTexture);
        m_link->glAlive = false;
        m_link->states = nullptr;
        SDL_GL_MakeCurrent(m_sdlWindow, nullptr);
        SDL_GL_DeleteContext(m_context);
    }

    void ApplySwapInterval()
    {
        SDL_GL_SetSwapInterval(m_params.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    }

    HRESULT TestCooperativeLevel() override { return D3D_OK; }

    HRESULT Reset(D3DPRESENT_PARAMETERS* p) override
    {
        if (!p || p->BackBufferWidth == 0 || p->BackBufferHeight == 0)
            return D3DERR_INVALIDCALL;
        if (m_link->liveDefault > 0)
            LayerLog("Device reset with " + std::to_string(m_link->liveDefault) +
                     " default-pool resources still alive\n");
        platform::SetBackBufferMode(m_window, static_cast<int>(p->BackBufferWidth),
                                    static_cast<int>(p->BackBufferHeight), !p->Windowed);
        m_params = *p;
        m_states.SetDefaults(p->BackBufferWidth, p->BackBufferHeight);
        m_depthFloor = -1.0f;
        ApplySwapInterval();
        return D3D_OK;
    }

    // The offscreen driver's swap does nothing, not even a flush, and a flush alone only
    // queues the frame: a software renderer slower than the game then holds every queued
    // frame's draws and memory grows without bound. The present waits for the frame to be
    // drawn, which the pacing below waits out anyway.
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override
    {
        gl.glFinish();
        SDL_GL_SwapWindow(m_sdlWindow);
        ++m_link->stats.presents;
        EndTracedFrame();
        m_depthFloor = -1.0f; // a swap need not keep the depth buffer
        ReturnFreedMemory();
        if (m_params.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE && PresentPacingOn())
            m_pacer.Wait(RefreshRate());
        LogStatistics();
        return D3D_OK;
    }

    // A texture going (the loading picture once the menu is up) leaves the driver's
    // storage free inside the heap, and a texture filled from its file the picture decoded
    // for it: the allocator keeps such holes for itself. They go back to the system once
    // the frame that made them is done.
    void ReturnFreedMemory()
    {
        if (!m_link->picturesFreed)
            return;
        m_link->picturesFreed = false;
        malloc_trim(0);
    }

    // The display's refresh rate; 60 when it reports none.
    int RefreshRate() const
    {
        SDL_DisplayMode mode;
        int display = SDL_GetWindowDisplayIndex(m_sdlWindow);
        if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
            return mode.refresh_rate;
        return 60;
    }

    // With PLATFORM_STATS set, a line on standard error at the first frame and then one
    // a second: frames, draw calls per frame and what went to textures so far.
    static bool StatisticsLogged()
    {
        static const bool wanted = std::getenv("PLATFORM_STATS") != nullptr;
        return wanted;
    }

    void LogStatistics()
    {
        if (!StatisticsLogged())
            return;
        const platform::DeviceStatistics& st = m_link->stats;
        Uint32 now = SDL_GetTicks();
        if (m_statsFrom == 0)
        {
            std::fprintf(stderr, "Device statistics: first frame at %u ms\n", now);
            m_statsFrom = now;
            m_statsMark = st;
            return;
        }
        if (now - m_statsFrom < 1000)
            return;
        uint64_t frames = st.presents - m_statsMark.presents;
        char line[256];
        std::snprintf(line, sizeof line,
                      "Device statistics: %u ms %.1f fps %.1f draws/frame textures %llu uploads %llu "
                      "uploaded %llu bytes read-backs %llu file-fills %llu pixels %.2f screens/frame\n",
                      now, frames * 1000.0 / (now - m_statsFrom),
                      frames ? static_cast<double>(st.drawCalls - m_statsMark.drawCalls) / frames : 0.0,
                      static_cast<unsigned long long>(st.texturesCreated),
                      static_cast<unsigned long long>(st.textureUploads),
                      static_cast<unsigned long long>(st.textureBytesUploaded),
                      static_cast<unsigned long long>(st.textureReadBacks),
                      static_cast<unsigned long long>(st.textureFileFills),
                      frames ? static_cast<double>(st.pixelsDrawn - m_statsMark.pixelsDrawn) /
                                   (static_cast<double>(frames) * m_params.BackBufferWidth * m_params.BackBufferHeight)
                             : 0.0);
        std::fputs(line, stderr);
        m_statsFrom = now;
        m_statsMark = st;
    }

    const platform::DeviceStatistics& Statistics() const { return m_link->stats; }

    HRESULT BeginScene() override
    {
        if (m_inScene)
            return D3DERR_INVALIDCALL;
        m_inScene = true;
        if (!m_params.Windowed)
        {
            // Black bars beside the scaled back buffer.
            int w = 0, h = 0;
            SDL_GL_GetDrawableSize(m_sdlWindow, &w, &h);
            gl.glDisable(GL_SCISSOR_TEST);
            gl.glViewport(0, 0, w, h);
            gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            gl.glClearColor(0, 0, 0, 1);
            gl.glClear(GL_COLOR_BUFFER_BIT);
        }
        return D3D_OK;
    }

    HRESULT EndScene() override
    {
        if (!m_inScene)
            return D3DERR_INVALIDCALL;
        m_inScene = false;
        return D3D_OK;
    }

    // The back-buffer rectangle (x, y from the top, w, h) in GL window pixels, origin
    // bottom-left.
    SDL_Rect ToWindow(int x, int y, int w, int h)
    {
        int backW = static_cast<int>(m_params.BackBufferWidth), backH = static_cast<int>(m_params.BackBufferHeight);
        if (m_params.Windowed)
            return SDL_Rect{x, backH - y - h, w, h};
        SDL_Rect r = platform::PresentRect(m_window);
        double sx = static_cast<double>(r.w) / backW, sy = static_cast<double>(r.h) / backH;
        int x0 = r.x + static_cast<int>(x * sx + 0.5), x1 = r.x + static_cast<int>((x + w) * sx + 0.5);
        int y0 = r.y + static_cast<int>((backH - y - h) * sy + 0.5), y1 = r.y + static_cast<int>((backH - y) * sy + 0.5);
        return SDL_Rect{x0, y0, x1 - x0, y1 - y0};
    }

    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override
    {
        if (count > 0 && !rects)
            return D3DERR_INVALIDCALL;
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET)
            mask |= GL_COLOR_BUFFER_BIT;
        if (flags & D3DCLEAR_ZBUFFER)
            mask |= GL_DEPTH_BUFFER_BIT;
        if (flags & D3DCLEAR_STENCIL)
            mask |= GL_STENCIL_BUFFER_BIT;
        if (!mask)
            return D3D_OK;
        // Direct3D's Clear ignores the write masks and stays inside the viewport.
        gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        gl.glDepthMask(GL_TRUE);
        gl.glClearColor(((colour >> 16) & 0xff) / 255.0f, ((colour >> 8) & 0xff) / 255.0f, (colour & 0xff) / 255.0f,
                        (colour >> 24) / 255.0f);
        gl.glClearDepth(z);
        gl.glClearStencil(static_cast<GLint>(stencil));
        gl.glEnable(GL_SCISSOR_TEST);
        const D3DVIEWPORT8& v = m_states.viewport;
        auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
            x1 = std::max<LONG>(x1, static_cast<LONG>(v.X));
            y1 = std::max<LONG>(y1, static_cast<LONG>(v.Y));
            x2 = std::min<LONG>(x2, static_cast<LONG>(v.X + v.Width));
            y2 = std::min<LONG>(y2, static_cast<LONG>(v.Y + v.Height));
            if (x2 <= x1 || y2 <= y1)
                return;
            SDL_Rect r = ToWindow(x1, y1, x2 - x1, y2 - y1);
            gl.glScissor(r.x, r.y, r.w, r.h);
            gl.glClear(mask);
        };
        if (count == 0)
            clearRect(0, 0, 0x7fffffff, 0x7fffffff);
        for (DWORD i = 0; i < count; ++i)
            clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
        gl.glDisable(GL_SCISSOR_TEST);
        if (flags & D3DCLEAR_ZBUFFER)
            NoteDepthClear(count == 0 && v.X == 0 && v.Y == 0 && v.Width == m_params.BackBufferWidth &&
                               v.Height == m_params.BackBufferHeight,
                           z);
        return D3D_OK;
    }

    // A clear of the whole depth buffer sets what it holds; one of a part of it may
    // only lower the floor.
    void NoteDepthClear(bool whole, float z)
    {
        const float held = std::clamp(z, 0.0f, 1.0f);
        if (whole)
            m_depthFloor = held;
        else if (m_depthFloor >= 0.0f)
            m_depthFloor = std::min(m_depthFloor, held);
    }

    HRESULT SetViewport(const D3DVIEWPORT8* v) override
    {
        if (!v || v->Width == 0 || v->Height == 0 || v->X + v->Width > m_params.BackBufferWidth ||
            v->Y + v->Height > m_params.BackBufferHeight)
            return D3DERR_INVALIDCALL;
        m_states.viewport = *v;
        return D3D_OK;
    }

    HRESULT GetViewport(D3DVIEWPORT8* v) override { return m_states.GetViewport(v); }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) override
    {
        return m_states.SetTransform(state, m);
    }

    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override
    {
        return m_states.GetTransform(state, m);
    }

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        return m_states.SetRenderState(state, value);
    }

    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override
    {
        return m_states.GetRenderState(state, value);
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        return m_states.SetStageState(stage, type, value);
    }

    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override
    {
        return m_states.GetStageState(stage, type, value);
    }

    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override
    {
        if (stage >= kD3DStageCount || (texture && !dynamic_cast<GLTexture*>(texture)))
            return D3DERR_INVALIDCALL;
        m_states.textures[stage] = texture;
        return D3D_OK;
    }

    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override
    {
        if (stream != 0 || (buffer && !dynamic_cast<MemVertexBuffer*>(buffer)))
            return D3DERR_INVALIDCALL;
        m_states.stream = buffer;
        m_states.streamStride = stride;
        return D3D_OK;
    }

    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT base) override
    {
        if (buffer && !dynamic_cast<MemIndexBuffer*>(buffer))
            return D3DERR_INVALIDCALL;
        m_states.indices = buffer;
        m_states.baseVertexIndex = base;
        return D3D_OK;
    }

    HRESULT SetVertexShader(DWORD fvf) override
    {
        if (fvf != (D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2))
            return D3DERR_INVALIDCALL;
        m_states.fvf = fvf;
        return D3D_OK;
    }

    // The state a draw runs with. A depth test, an alpha test or a blend that the draw's
    // facts show cannot change a pixel is left off: the software rasteriser then takes
    // its opaque path for a picture that covers the screen.
    void ApplyStates(const DrawFacts& facts)
    {
        ApplyViewport();
        ApplyDepth(facts);
        ApplyAlphaTest(facts);
        ApplyBlend(facts);
        ApplyCulling();
        DWORD cw = m_states.render[D3DRS_COLORWRITEENABLE];
        gl.glColorMask(cw & 1, (cw >> 1) & 1, (cw >> 2) & 1, (cw >> 3) & 1);
        ApplyStages();
    }

    void ApplyViewport()
    {
        const D3DVIEWPORT8& v = m_states.viewport;
        SDL_Rect r = ToWindow(static_cast<int>(v.X), static_cast<int>(v.Y), static_cast<int>(v.Width),
                              static_cast<int>(v.Height));
        gl.glViewport(r.x, r.y, r.w, r.h);
        gl.glDepthRange(v.MinZ, v.MaxZ);
        // Half-pixel shift (Direct3D pixel centres are integers) and depth 0..w -> -w..w.
        const GLfloat fix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 1.0f / v.Width, -1.0f / v.Height, -1, 1};
        gl.glMatrixMode(GL_PROJECTION);
        gl.glLoadMatrixf(fix);
        gl.glMultMatrixf(&m_states.projection.m[0][0]);
        gl.glMatrixMode(GL_MODELVIEW);
        gl.glLoadMatrixf(&m_states.view.m[0][0]);
        gl.glMultMatrixf(&m_states.world.m[0][0]);
    }

    void ApplyDepth(const DrawFacts& facts)
    {
        const DWORD* rs = m_states.render;
        const bool write = rs[D3DRS_ZENABLE] && rs[D3DRS_ZWRITEENABLE];
        if (rs[D3DRS_ZENABLE] && (write || !DepthTestCannotFail(facts)))
            gl.glEnable(GL_DEPTH_TEST);
        else
            gl.glDisable(GL_DEPTH_TEST);
        gl.glDepthFunc(CompareFunc(rs[D3DRS_ZFUNC]));
        gl.glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
        // Only the fragments drawn write, and none of them lies nearer than the draw's
        // nearest vertex.
        if (write)
            m_depthFloor = facts.depthKnown ? std::min(m_depthFloor, facts.nearest - kDepthMargin) : -1.0f;
    }

    // A test of "nearer than what the buffer holds" passes for every fragment when even
    // the draw's farthest point is nearer than anything the buffer may hold.
    bool DepthTestCannotFail(const DrawFacts& facts) const
    {
        switch (m_states.render[D3DRS_ZFUNC])
        {
        case D3DCMP_ALWAYS:
            return true;
        case D3DCMP_LESS:
        case D3DCMP_LESSEQUAL:
            return facts.depthKnown && m_depthFloor >= 0.0f && facts.farthest + kDepthMargin <= m_depthFloor;
        default:
            return false;
        }
    }

    // Alpha test: a reference a quarter step above N gives "alpha > N" whether the
    // rasteriser rounds the reference to 8 bits or compares floats.
    void ApplyAlphaTest(const DrawFacts& facts)
    {
        const DWORD* rs = m_states.render;
        if (!rs[D3DRS_ALPHATESTENABLE] || AlphaTestCannotFail(facts))
        {
            gl.glDisable(GL_ALPHA_TEST);
            return;
        }
        gl.glEnable(GL_ALPHA_TEST);
        DWORD func = rs[D3DRS_ALPHAFUNC];
        float ref = (rs[D3DRS_ALPHAREF] & 0xff) / 255.0f;
        if (func == D3DCMP_GREATER)
            ref = ((rs[D3DRS_ALPHAREF] & 0xff) + 0.25f) / 255.0f;
        else if (func == D3DCMP_LESS)
            ref = ((rs[D3DRS_ALPHAREF] & 0xff) - 0.25f) / 255.0f;
        gl.glAlphaFunc(CompareFunc(func), ref);
    }

    bool AlphaTestCannotFail(const DrawFacts& facts) const
    {
        const DWORD ref = m_states.render[D3DRS_ALPHAREF] & 0xff;
        switch (m_states.render[D3DRS_ALPHAFUNC])
        {
        case D3DCMP_ALWAYS:
            return true;
        case D3DCMP_GREATER:
        case D3DCMP_NOTEQUAL:
            return facts.opaque && ref < 0xff;
        case D3DCMP_GREATEREQUAL:
            return facts.opaque;
        default:
            return false;
        }
    }

    void ApplyBlend(const DrawFacts& facts)
    {
        const DWORD* rs = m_states.render;
        const DWORD src = rs[D3DRS_SRCBLEND], dest = rs[D3DRS_DESTBLEND];
        // "Source times its alpha over the rest" of an opaque source is the source.
        const bool keepsSource = (src == D3DBLEND_ONE && dest == D3DBLEND_ZERO) ||
                                 (facts.opaque && src == D3DBLEND_SRCALPHA && dest == D3DBLEND_INVSRCALPHA);
        if (rs[D3DRS_ALPHABLENDENABLE] && !keepsSource)
        {
            gl.glEnable(GL_BLEND);
            gl.glBlendFunc(BlendFactor(src), BlendFactor(dest));
        }
        else
            gl.glDisable(GL_BLEND);
    }

    // Culling: Direct3D culls the faces that wind the named way on screen.
    void ApplyCulling()
    {
        const DWORD cull = m_states.render[D3DRS_CULLMODE];
        if (cull == D3DCULL_CW)
        {
            gl.glEnable(GL_CULL_FACE);
            gl.glCullFace(GL_BACK);
        }
        else if (cull == D3DCULL_CCW)
        {
            gl.glEnable(GL_CULL_FACE);
            gl.glCullFace(GL_FRONT);
        }
        else
            gl.glDisable(GL_CULL_FACE);
    }

    // Texture stages 0 and 1 on GL units 0 and 1 (the textures are uploaded by then).
    void ApplyStages()
    {
        bool enabled = true;
        for (DWORD s = 0; s < 2; ++s)
        {
            const DWORD* st = m_states.stage[s];
            gl.glActiveTexture(GL_TEXTURE0 + s);
            if (!enabled || st[D3DTSS_COLOROP] == D3DTOP_DISABLE)
            {
                enabled = false;
                gl.glDisable(GL_TEXTURE_2D);
                continue;
            }
            gl.glEnable(GL_TEXTURE_2D);
            auto* t = dynamic_cast<GLTexture*>(m_states.textures[s]);
            if (t)
            {
                gl.glBindTexture(GL_TEXTURE_2D, t->name);
                t->Apply(st);
            }
            else
                gl.glBindTexture(GL_TEXTURE_2D, m_link->whiteTexture);
            gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            SetCombine(st[D3DTSS_COLOROP], st[D3DTSS_COLORARG1], st[D3DTSS_COLORARG2], GL_COMBINE_RGB, GL_SOURCE0_RGB,
                       GL_SOURCE1_RGB);
            DWORD alphaOp = st[D3DTSS_ALPHAOP];
            if (alphaOp == D3DTOP_DISABLE)
                SetCombine(D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT, GL_COMBINE_ALPHA, GL_SOURCE0_ALPHA,
                           GL_SOURCE1_ALPHA);
            else
                SetCombine(alphaOp, st[D3DTSS_ALPHAARG1], st[D3DTSS_ALPHAARG2], GL_COMBINE_ALPHA, GL_SOURCE0_ALPHA,
                           GL_SOURCE1_ALPHA);
        }
        gl.glActiveTexture(GL_TEXTURE0);
    }

    // The facts of a draw over vertices `range` of the stream from `base`: the vertices'
    // smallest alpha and, with the depth test on, their window depths.
    DrawFacts MeasureDraw(const BYTE* base, size_t stride, const IndexRange& range) const
    {
        DrawFacts facts;
        const DWORD* rs = m_states.render;
        const bool wantDepth = rs[D3DRS_ZENABLE] != 0;
        const D3DMATRIX m = Multiply(Multiply(m_states.world, m_states.view), m_states.projection);
        const D3DVIEWPORT8& v = m_states.viewport;
        uint32_t alphaMin = 0xff;
        facts.depthKnown = wantDepth;
        facts.nearest = 1e30f;
        facts.farthest = -1e30f;
        for (UINT i = range.lowest; i <= range.highest; ++i)
        {
            const BYTE* vertex = base + static_cast<size_t>(i) * stride;
            uint32_t colour;
            std::memcpy(&colour, vertex + 12, 4);
            alphaMin = std::min(alphaMin, colour >> 24);
            if (!facts.depthKnown)
                continue;
            float p[3];
            std::memcpy(p, vertex, sizeof p);
            const float z = p[0] * m.m[0][2] + p[1] * m.m[1][2] + p[2] * m.m[2][2] + m.m[3][2];
            const float w = p[0] * m.m[0][3] + p[1] * m.m[1][3] + p[2] * m.m[2][3] + m.m[3][3];
            if (!(w > 0.0f))
            {
                facts.depthKnown = false;
                continue;
            }
            const float depth = v.MinZ + z / w * (v.MaxZ - v.MinZ);
            facts.nearest = std::min(facts.nearest, depth);
            facts.farthest = std::max(facts.farthest, depth);
        }
        facts.depthKnown = facts.depthKnown && std::isfinite(facts.nearest) && std::isfinite(facts.farthest);
        facts.opaque = StagesGiveAlphaOne(alphaMin == 0xff);
        return facts;
    }

    // The pixels a draw's triangles cover inside the viewport, for the statistics (a
    // measure of the rasteriser's work; only counted when they are logged).
    double CoveredPixels(D3DPRIMITIVETYPE type, const BYTE* base, size_t stride, const BYTE* indices, bool wide,
                         UINT indexCount) const
    {
        const D3DMATRIX m = Multiply(Multiply(m_states.world, m_states.view), m_states.projection);
        const D3DVIEWPORT8& v = m_states.viewport;
        auto corner = [&](UINT n, float (&out)[2]) {
            uint32_t index = 0;
            std::memcpy(&index, indices + static_cast<size_t>(n) * (wide ? 4 : 2), wide ? 4 : 2);
            float p[3];
            std::memcpy(p, base + static_cast<size_t>(index) * stride, sizeof p);
            const float x = p[0] * m.m[0][0] + p[1] * m.m[1][0] + p[2] * m.m[2][0] + m.m[3][0];
            const float y = p[0] * m.m[0][1] + p[1] * m.m[1][1] + p[2] * m.m[2][1] + m.m[3][1];
            const float w = p[0] * m.m[0][3] + p[1] * m.m[1][3] + p[2] * m.m[2][3] + m.m[3][3];
            out[0] = v.X + (x / w * 0.5f + 0.5f) * v.Width;
            out[1] = v.Y + (0.5f - y / w * 0.5f) * v.Height;
            return w > 0.0f && std::isfinite(out[0]) && std::isfinite(out[1]);
        };
        const UINT step = type == D3DPT_TRIANGLESTRIP ? 1 : 3;
        double area = 0.0;
        for (UINT first = 0; first + 2 < indexCount; first += step)
        {
            float triangle[3][2];
            if (corner(first, triangle[0]) && corner(first + 1, triangle[1]) && corner(first + 2, triangle[2]))
                area += ClippedTriangleArea(triangle, static_cast<float>(v.X), static_cast<float>(v.Y),
                                            static_cast<float>(v.X + v.Width), static_cast<float>(v.Y + v.Height));
        }
        return area;
    }

    // Whether the stages as ApplyStages sets them up end in alpha exactly 1, given
    // whether every vertex's alpha is 255: texture alpha, vertex alpha or their product.
    bool StagesGiveAlphaOne(bool vertexOne) const
    {
        bool current = vertexOne;
        for (DWORD s = 0; s < 2; ++s)
        {
            const DWORD* st = m_states.stage[s];
            if (st[D3DTSS_COLOROP] == D3DTOP_DISABLE)
                break;
            const auto* t = dynamic_cast<const GLTexture*>(m_states.textures[s]);
            const bool textureOne = !t || t->opaque;
            auto one = [&](DWORD arg) {
                switch (arg & 0xf)
                {
                case D3DTA_TEXTURE:
                    return textureOne;
                case D3DTA_CURRENT:
                    return current;
                default:
                    return vertexOne;
                }
            };
            const DWORD op = st[D3DTSS_ALPHAOP];
            if (op == D3DTOP_SELECTARG1)
                current = one(st[D3DTSS_ALPHAARG1]);
            else if (op == D3DTOP_SELECTARG2)
                current = one(st[D3DTSS_ALPHAARG2]);
            else if (op != D3DTOP_DISABLE)
                current = one(st[D3DTSS_ALPHAARG1]) && one(st[D3DTSS_ALPHAARG2]);
        }
        return current;
    }

    static void SetCombine(DWORD op, DWORD arg1, DWORD arg2, GLenum combine, GLenum source0, GLenum source1)
    {
        switch (op)
        {
        case D3DTOP_SELECTARG1:
            gl.glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
            gl.glTexEnvi(GL_TEXTURE_ENV, source0, TextureArg(arg1));
            break;
        case D3DTOP_SELECTARG2:
            gl.glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
            gl.glTexEnvi(GL_TEXTURE_ENV, source0, TextureArg(arg2));
            break;
        default:
            gl.glTexEnvi(GL_TEXTURE_ENV, combine, GL_MODULATE);
            gl.glTexEnvi(GL_TEXTURE_ENV, source0, TextureArg(arg1));
            gl.glTexEnvi(GL_TEXTURE_ENV, source1, TextureArg(arg2));
            break;
        }
    }

    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT /*minIndex*/, UINT /*vertexCount*/, UINT startIndex,
                                 UINT primitiveCount) override
    {
        if (!m_inScene)
            return D3DERR_INVALIDCALL;
        UINT indexCount = 0;
        IndexRange range;
        HRESULT hr = ValidateDraw(m_states, type, startIndex, primitiveCount, &indexCount, &range);
        if (FAILED(hr))
            return hr;
        // A texture never filled goes up blank first (the upload binds on unit 0).
        for (DWORD s = 0; s < 2; ++s)
            if (auto* t = dynamic_cast<GLTexture*>(m_states.textures[s]))
                t->EnsureUploaded();
        auto* vb = static_cast<MemVertexBuffer*>(m_states.stream);
        auto* ib = static_cast<MemIndexBuffer*>(m_states.indices);
        GLsizei stride = static_cast<GLsizei>(m_states.streamStride);
        const BYTE* base = vb->Bytes().data() + static_cast<size_t>(m_states.baseVertexIndex) * stride;
        ApplyStates(MeasureDraw(base, static_cast<size_t>(stride), range));
        ++m_link->stats.drawCalls;
        const bool wide = ib->Format() == D3DFMT_INDEX32;
        const BYTE* indices = ib->Bytes().data() + static_cast<size_t>(startIndex) * (wide ? 4 : 2);
        double covered = 0.0;
        if (StatisticsLogged() || m_tracing)
            covered = CoveredPixels(type, base, static_cast<size_t>(stride), indices, wide, indexCount);
        m_link->stats.pixelsDrawn += static_cast<uint64_t>(covered);
        if (m_tracing)
            ReadWholeBackBuffer(m_traceBefore);
        IssueDraw(type, base, stride, indices, wide, indexCount, range);
        if (m_tracing)
            TraceDraw(covered, primitiveCount);
        return D3D_OK;
    }

    // Hands the draw's arrays and indices to GL.
    void IssueDraw(D3DPRIMITIVETYPE type, const BYTE* base, GLsizei stride, const BYTE* indices, bool wide,
                   UINT indexCount, const IndexRange& range)
    {
        gl.glEnableClientState(GL_VERTEX_ARRAY);
        gl.glVertexPointer(3, GL_FLOAT, stride, base);
        gl.glEnableClientState(GL_COLOR_ARRAY);
        gl.glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + 12);
        for (GLenum unit = 0; unit < 2; ++unit)
        {
            gl.glClientActiveTexture(GL_TEXTURE0 + unit);
            gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            gl.glTexCoordPointer(2, GL_FLOAT, stride, base + 16 + 8 * unit);
        }
        gl.glClientActiveTexture(GL_TEXTURE0);
        // The range the indices name, which the caller's minimum and count only promise.
        gl.glDrawRangeElements(type == D3DPT_TRIANGLESTRIP ? GL_TRIANGLE_STRIP : GL_TRIANGLES, range.lowest,
                               range.highest,
                               static_cast<GLsizei>(indexCount), wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, indices);
    }

    void ReadWholeBackBuffer(std::vector<uint32_t>& out)
    {
        ReadBack(0, 0, static_cast<int>(m_params.BackBufferWidth), static_cast<int>(m_params.BackBufferHeight), out);
    }

    // The draw just made, for the frame's trace: the back buffer read before and after it.
    void TraceDraw(double covered, UINT triangles)
    {
        std::vector<uint32_t> after;
        ReadWholeBackBuffer(after);
        platform::DrawTrace t;
        t.covered = covered;
        t.triangles = triangles;
        for (size_t i = 0; i < after.size() && i < m_traceBefore.size(); ++i)
            t.changed += ((after[i] ^ m_traceBefore[i]) & 0xffffffu) != 0;
        for (DWORD s = 0; s < 2; ++s)
        {
            if (s == 1 && m_states.stage[1][D3DTSS_COLOROP] == D3DTOP_DISABLE)
                break;
            const auto* tex = dynamic_cast<const MemTexture*>(m_states.textures[s]);
            std::string name = !tex ? "-" : !tex->Label().empty() ? tex->Label()
                                          : std::to_string(tex->GetLevel(0).width) + "x" +
                                                std::to_string(tex->GetLevel(0).height);
            t.pictures += (s ? " + " : "") + name;
        }
        const DWORD* rs = m_states.render;
        if (rs[D3DRS_ALPHABLENDENABLE])
            t.states += "blend " + std::to_string(rs[D3DRS_SRCBLEND]) + "/" + std::to_string(rs[D3DRS_DESTBLEND]);
        if (rs[D3DRS_ALPHATESTENABLE])
            t.states += t.states.empty() ? "alpha-test" : " alpha-test";
        m_trace.push_back(std::move(t));
    }

public:
    void TraceNext() { m_traceNext = true; }
    const std::vector<platform::DrawTrace>& LastTrace() const { return m_lastTrace; }

private:
    // At a present: the traced frame is done (and printed with PLATFORM_STATS set); the
    // next one is traced when asked for.
    void EndTracedFrame()
    {
        if (m_tracing)
        {
            m_lastTrace = std::move(m_trace);
            m_trace.clear();
            m_tracing = false;
            if (StatisticsLogged())
                PrintTrace();
        }
        if (m_traceNext || g_traceSignalled)
        {
            m_traceNext = false;
            g_traceSignalled = 0;
            m_tracing = true;
        }
    }

    void PrintTrace() const
    {
        const double screen = static_cast<double>(m_params.BackBufferWidth) * m_params.BackBufferHeight;
        double covered = 0.0, changed = 0.0;
        for (const platform::DrawTrace& t : m_lastTrace)
        {
            covered += t.covered;
            changed += static_cast<double>(t.changed);
        }
        std::fprintf(stderr, "Draw trace: %zu draws cover %.2f screens and change %.2f (screens of %ux%u)\n",
                     m_lastTrace.size(), covered / screen, changed / screen, m_params.BackBufferWidth,
                     m_params.BackBufferHeight);
        for (size_t i = 0; i < m_lastTrace.size(); ++i)
        {
            const platform::DrawTrace& t = m_lastTrace[i];
            std::fprintf(stderr, "Draw trace: %3zu covers %6.3f changes %6.3f triangles %5u %s [%s]\n", i,
                         t.covered / screen, static_cast<double>(t.changed) / screen, t.triangles,
                         t.pictures.c_str(), t.states.c_str());
        }
    }

public:

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;

    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** out) override
    {
        if (!out || length == 0)
            return D3DERR_INVALIDCALL;
        *out = new MemVertexBuffer(m_link, length, usage, fvf, pool);
        return D3D_OK;
    }

    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** out) override
    {
        if (!out || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
            return D3DERR_INVALIDCALL;
        *out = new MemIndexBuffer(m_link, length, usage, format, pool);
        return D3D_OK;
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** out) override
    {
        if (!out || width == 0 || height == 0 || width > 8192 || height > 8192 || D3DBytesPerPixel(format) == 0)
            return D3DERR_INVALIDCALL;
        // A system-memory texture is never drawn: it stays a CPU copy the driver never sees.
        if (pool == D3DPOOL_SYSTEMMEM)
            *out = new MemTexture(m_link, width, height, levels, usage, format, pool);
        else
            *out = new GLTexture(m_link, width, height, levels, usage, format, pool);
        return D3D_OK;
    }

    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** out) override
    {
        if (!out || width == 0 || height == 0 || D3DBytesPerPixel(format) == 0)
            return D3DERR_INVALIDCALL;
        *out = new MemSurface(width, height, format);
        return D3D_OK;
    }

    HRESULT SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) override
    {
        auto* s = dynamic_cast<MemSurface*>(image);
        if (!s)
            return D3DERR_INVALIDCALL;
        SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(s->width),
                                                             static_cast<int>(s->height), 32, SDL_PIXELFORMAT_ARGB8888);
        if (!pixels)
            return D3DERR_INVALIDCALL;
        UINT bpp = D3DBytesPerPixel(s->format);
        for (UINT y = 0; y < s->height; ++y)
            for (UINT x = 0; x < s->width; ++x)
            {
                uint32_t argb = D3DDecodePixel(s->format, s->bits.data() + static_cast<size_t>(y) * s->pitch + x * bpp);
                std::memcpy(static_cast<BYTE*>(pixels->pixels) + static_cast<size_t>(y) * pixels->pitch + x * 4, &argb,
                            4);
            }
        SDL_Cursor* cursor = SDL_CreateColorCursor(pixels, static_cast<int>(hotX), static_cast<int>(hotY));
        SDL_FreeSurface(pixels);
        // A video driver without cursors (offscreen) shows none; the call still succeeds.
        if (!cursor)
            return D3D_OK;
        platform::SetDeviceCursor(cursor);
        if (m_cursor)
            SDL_FreeCursor(m_cursor);
        m_cursor = cursor;
        return D3D_OK;
    }

    BOOL ShowCursor(BOOL show) override
    {
        BOOL was = m_cursorShown;
        m_cursorShown = show;
        platform::ShowDeviceCursor(show != 0);
        return was;
    }

    void SetCursorPosition(int, int, DWORD) override {}

    void SetGammaRamp(DWORD, const D3DGAMMARAMP* ramp) override
    {
        if (!ramp)
            return;
        m_gamma = *ramp;
        SDL_SetWindowGammaRamp(m_sdlWindow, m_gamma.red, m_gamma.green, m_gamma.blue);
    }

    void GetGammaRamp(D3DGAMMARAMP* ramp) override
    {
        if (ramp)
            *ramp = m_gamma;
    }

    bool ReadBack(int x, int y, int w, int h, std::vector<uint32_t>& out)
    {
        int backW = static_cast<int>(m_params.BackBufferWidth), backH = static_cast<int>(m_params.BackBufferHeight);
        if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > backW || y + h > backH)
            return false;
        SDL_Rect r = ToWindow(x, y, w, h);
        std::vector<uint32_t> rows(static_cast<size_t>(r.w) * r.h);
        gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
        gl.glReadPixels(r.x, r.y, r.w, r.h, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
        out.assign(static_cast<size_t>(w) * h, 0);
        // GL rows run bottom-up; a scaled full-screen picture is sampled at the nearest pixel.
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
            {
                int sx = i * r.w / w, sy = (h - 1 - j) * r.h / h;
                out[static_cast<size_t>(j) * w + i] = rows[static_cast<size_t>(sy) * r.w + sx];
            }
        return true;
    }

private:
    HWND m_window;
    SDL_Window* m_sdlWindow;
    SDL_GLContext m_context;
    D3DPRESENT_PARAMETERS m_params;
    std::shared_ptr<GLLink> m_link;
    StateTables m_states;
    D3DGAMMARAMP m_gamma;
    bool m_inScene = false;
    BOOL m_cursorShown = FALSE;
    SDL_Cursor* m_cursor = nullptr;
    FramePacer m_pacer;
    // The lowest depth any pixel of the depth buffer may hold: set by a clear of the
    // whole buffer, lowered by the draws that write depth; -1 while not known.
    float m_depthFloor = -1.0f;
    Uint32 m_statsFrom = 0;
    platform::DeviceStatistics m_statsMark;
    bool m_traceNext = false;
    bool m_tracing = false;
    std::vector<platform::DrawTrace> m_trace, m_lastTrace;
    std::vector<uint32_t> m_traceBefore;
};

void FillCaps(D3DCAPS8* caps, UINT adapter)
{
    *caps = D3DCAPS8{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = adapter;
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps->StencilCaps = 0;
    caps->MaxTextureWidth = caps->MaxTextureHeight = 8192;
    caps->MaxVertexIndex = 65535;
    caps->MaxPrimitiveCount = 65535;
    caps->MaxTextureBlendStages = 2;
    caps->MaxSimultaneousTextures = 2;
}

HRESULT GLDevice::GetDeviceCaps(D3DCAPS8* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    FillCaps(caps, 0);
    return D3D_OK;
}

class GLDirect3D : public RefCounted<IDirect3D8>
{
public:
    GLDirect3D() { m_videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }
    ~GLDirect3D() override
    {
        if (m_videoStarted)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // The desktop mode first, then SDL's list without zero-size or unknown-format entries.
    std::vector<D3DDISPLAYMODE> Modes(UINT adapter)
    {
        std::vector<D3DDISPLAYMODE> modes;
        D3DDISPLAYMODE desktop;
        if (SUCCEEDED(Desktop(adapter, &desktop)))
            modes.push_back(desktop);
        int n = SDL_GetNumDisplayModes(static_cast<int>(adapter));
        for (int i = 0; i < n; ++i)
        {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(static_cast<int>(adapter), i, &m) != 0 || m.w <= 0 || m.h <= 0)
                continue;
            D3DFORMAT f = FormatOfSdl(m.format);
            if (f == D3DFMT_UNKNOWN)
                continue;
            modes.push_back(D3DDISPLAYMODE{static_cast<UINT>(m.w), static_cast<UINT>(m.h),
                                           static_cast<UINT>(m.refresh_rate), f});
        }
        return modes;
    }

    HRESULT Desktop(UINT adapter, D3DDISPLAYMODE* out)
    {
        SDL_DisplayMode m;
        if (adapter >= GetAdapterCount() || SDL_GetDesktopDisplayMode(static_cast<int>(adapter), &m) != 0 ||
            m.w <= 0 || m.h <= 0)
            return D3DERR_INVALIDCALL;
        D3DFORMAT f = FormatOfSdl(m.format);
        *out = D3DDISPLAYMODE{static_cast<UINT>(m.w), static_cast<UINT>(m.h), static_cast<UINT>(m.refresh_rate),
                              f == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : f};
        return D3D_OK;
    }

    UINT GetAdapterCount() override
    {
        int n = m_videoStarted ? SDL_GetNumVideoDisplays() : 0;
        return n > 0 ? static_cast<UINT>(n) : 0;
    }

    HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* out) override
    {
        if (!out || adapter >= GetAdapterCount())
            return D3DERR_INVALIDCALL;
        *out = D3DADAPTER_IDENTIFIER8{};
        std::snprintf(out->Driver, sizeof out->Driver, "%s", "OpenGL");
        const char* name = SDL_GetDisplayName(static_cast<int>(adapter));
        std::snprintf(out->Description, sizeof out->Description, "%s", name ? name : "Display");
        return D3D_OK;
    }

    UINT GetAdapterModeCount(UINT adapter) override { return static_cast<UINT>(Modes(adapter).size()); }

    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override
    {
        std::vector<D3DDISPLAYMODE> modes = Modes(adapter);
        if (!out || mode >= modes.size())
            return D3DERR_INVALIDCALL;
        *out = modes[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out) override
    {
        return out ? Desktop(adapter, out) : D3DERR_INVALIDCALL;
    }

    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE, D3DFORMAT display, D3DFORMAT backBuffer, BOOL windowed) override
    {
        if (display != backBuffer)
            return D3DERR_NOTAVAILABLE;
        if (windowed)
        {
            D3DDISPLAYMODE desktop;
            return SUCCEEDED(Desktop(adapter, &desktop)) && desktop.Format == display ? D3D_OK : D3DERR_NOTAVAILABLE;
        }
        for (const D3DDISPLAYMODE& m : Modes(adapter))
            if (m.Format == display)
                return D3D_OK;
        return D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE type,
                              D3DFORMAT check) override
    {
        if (adapter >= GetAdapterCount())
            return D3DERR_INVALIDCALL;
        if ((usage & D3DUSAGE_RENDERTARGET) || type == D3DRTYPE_SURFACE)
            return check == D3DFMT_R8G8B8 || (check >= D3DFMT_X8R8G8B8 && check <= D3DFMT_X1R5G5B5)
                       ? D3D_OK
                       : D3DERR_NOTAVAILABLE;
        return D3DBytesPerPixel(check) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE, D3DCAPS8* caps) override
    {
        if (!caps || adapter >= GetAdapterCount())
            return D3DERR_INVALIDCALL;
        FillCaps(caps, adapter);
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND window, DWORD flags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** out) override
    {
        if (!params || !out || adapter >= GetAdapterCount() || params->BackBufferWidth == 0 ||
            params->BackBufferHeight == 0)
            return D3DERR_INVALIDCALL;
        if (!(flags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
            return D3DERR_INVALIDCALL;
        HWND target = params->hDeviceWindow ? params->hDeviceWindow : window;
        SDL_Window* sdlWindow = platform::SdlWindowOf(target);
        if (!sdlWindow)
            return D3DERR_NOTAVAILABLE;
        platform::SetBackBufferMode(target, static_cast<int>(params->BackBufferWidth),
                                    static_cast<int>(params->BackBufferHeight), !params->Windowed);
        SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
        if (!context)
        {
            LayerLog(std::string("OpenGL context refused: ") + SDL_GetError() + "\n");
            return D3DERR_NOTAVAILABLE;
        }
        SDL_GL_MakeCurrent(sdlWindow, context);
        int major = 0, minor = 0;
        const char* version = nullptr;
        if (gl.Load())
            version = reinterpret_cast<const char*>(gl.glGetString(GL_VERSION));
        bool usable = version && std::sscanf(version, "%d.%d", &major, &minor) == 2 && major * 10 + minor >= 21;
        // Before 3.2, BGRA colour arrays come from an extension.
        if (usable && major * 10 + minor < 32)
        {
            const char* extensions = reinterpret_cast<const char*>(gl.glGetString(GL_EXTENSIONS));
            usable = extensions && (std::strstr(extensions, "GL_EXT_vertex_array_bgra") ||
                                    std::strstr(extensions, "GL_ARB_vertex_array_bgra"));
        }
        if (!usable)
        {
            LayerLog("OpenGL 2.1 with texture combiners and BGRA colour arrays is needed\n");
            SDL_GL_DeleteContext(context);
            return D3DERR_NOTAVAILABLE;
        }
        params->hDeviceWindow = target;
        *out = new GLDevice(target, sdlWindow, context, *params);
        return D3D_OK;
    }

private:
    bool m_videoStarted = false;
};

} // namespace

IDirect3D8* CreateGLDirect3D()
{
    return new GLDirect3D();
}

} // namespace d3d8impl

namespace platform {

bool GetDeviceStatistics(IDirect3DDevice8* device, DeviceStatistics& out)
{
    auto* gld = dynamic_cast<d3d8impl::GLDevice*>(device);
    if (gld)
        out = gld->Statistics();
    return gld != nullptr;
}

void SetPresentPacing(bool on)
{
    d3d8impl::g_presentPacing = on;
}

bool TraceNextFrame(IDirect3DDevice8* device)
{
    auto* gld = dynamic_cast<d3d8impl::GLDevice*>(device);
    if (gld)
        gld->TraceNext();
    return gld != nullptr;
}

bool LastFrameTrace(IDirect3DDevice8* device, std::vector<DrawTrace>& out)
{
    auto* gld = dynamic_cast<d3d8impl::GLDevice*>(device);
    if (gld)
        out = gld->LastTrace();
    return gld != nullptr;
}

bool ReadBackBuffer(IDirect3DDevice8* device, int x, int y, int width, int height, std::vector<uint32_t>& out)
{
    auto* gld = dynamic_cast<d3d8impl::GLDevice*>(device);
    return gld && gld->ReadBack(x, y, width, height, out);
}

} // namespace platform
