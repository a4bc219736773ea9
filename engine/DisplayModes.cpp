// The display-mode list of one adapter and the adapter's hardware grade.
#include "engine/DisplayModes.h"

#include <cmath>
#include <utility>

IDirect3D8* g_direct3D = nullptr;

CDisplayModeList::CDisplayModeList(IDirect3D8* d3d, UINT adapterIndex)
    : direct3D(d3d), adapter(adapterIndex), desktopIndex(-1)
{
    Build(d3d, adapterIndex);
}

static bool Before(const CDisplayMode& a, const CDisplayMode& b)
{
    if (a.width != b.width)
        return a.width < b.width;
    if (a.height != b.height)
        return a.height < b.height;
    return a.bitsPerPixel < b.bitsPerPixel;
}

void CDisplayModeList::Build(IDirect3D8* d3d, UINT adapterIndex)
{
    direct3D = d3d;
    adapter = adapterIndex;
    modes.clear();
    desktopIndex = -1;
    if (!d3d)
        return;
    UINT count = d3d->GetAdapterModeCount(adapterIndex);
    if (count == 0)
        return;
    modes.reserve(count);
    for (UINT i = 0; i < count; ++i)
    {
        D3DDISPLAYMODE m;
        if (FAILED(d3d->EnumAdapterModes(adapterIndex, i, &m)))
            continue;
        if (m.Width < 640 || m.Height < 480)
            continue;
        bool seen = false;
        for (const CDisplayMode& r : modes)
            if (r.width == m.Width && r.height == m.Height && r.format == m.Format)
                seen = true;
        if (seen)
            continue;
        CDisplayMode r{};
        r.width = m.Width;
        r.height = m.Height;
        r.format = m.Format;
        r.windowed = SUCCEEDED(d3d->CheckDeviceType(adapterIndex, D3DDEVTYPE_HAL, m.Format, m.Format, TRUE)) ? 1 : 0;
        r.fullScreen = SUCCEEDED(d3d->CheckDeviceType(adapterIndex, D3DDEVTYPE_HAL, m.Format, m.Format, FALSE)) ? 1 : 0;
        auto renderTarget = [&](DWORD f) {
            return SUCCEEDED(d3d->CheckDeviceFormat(adapterIndex, D3DDEVTYPE_HAL, m.Format, D3DUSAGE_RENDERTARGET,
                                                    D3DRTYPE_SURFACE, static_cast<D3DFORMAT>(f)));
        };
        if (renderTarget(m.Format))
            r.renderTargetFormat = m.Format;
        else
            for (DWORD f = 20; f <= 30; ++f)
                if (renderTarget(f))
                {
                    r.renderTargetFormat = f;
                    break;
                }
        if ((!r.windowed && !r.fullScreen) || r.renderTargetFormat == 0 || m.Format < 20 || m.Format > 30)
            continue;
        D3DFormatLayout l = D3DGetFormatLayout(m.Format);
        r.bitsPerPixel = l.bitsPerPixel;
        r.redBits = l.red.bits, r.redMask = l.red.mask, r.redShift = l.red.shift;
        r.greenBits = l.green.bits, r.greenMask = l.green.mask, r.greenShift = l.green.shift;
        r.blueBits = l.blue.bits, r.blueMask = l.blue.mask, r.blueShift = l.blue.shift;
        r.alphaBits = l.alpha.bits, r.alphaMask = l.alpha.mask, r.alphaShift = l.alpha.shift;
        modes.push_back(r);
    }
    // Adjacent swaps keep records that compare equal in their enumeration order.
    for (size_t pass = 0; pass + 1 < modes.size(); ++pass)
        for (size_t i = 0; i + 1 < modes.size() - pass; ++i)
            if (Before(modes[i + 1], modes[i]))
                std::swap(modes[i], modes[i + 1]);

    D3DDISPLAYMODE desktop;
    if (FAILED(d3d->GetAdapterDisplayMode(adapterIndex, &desktop)))
        return;
    for (size_t i = 0; i < modes.size(); ++i)
        if (modes[i].format == desktop.Format && modes[i].width == desktop.Width &&
            modes[i].height == desktop.Height && modes[i].windowed == 1)
        {
            desktopIndex = static_cast<int>(i);
            break;
        }
}

namespace {

// Runs the exact pass, then (with orLarger) the at-least-as-large pass, which falls back
// to the last record.
template <class Exact, class Larger>
int TwoPass(const std::vector<CDisplayMode>& modes, bool orLarger, Exact exact, Larger larger)
{
    for (size_t i = 0; i < modes.size(); ++i)
        if (exact(modes[i]))
            return static_cast<int>(i);
    if (!orLarger)
        return -1;
    for (size_t i = 0; i < modes.size(); ++i)
        if (larger(modes[i]))
            return static_cast<int>(i);
    return static_cast<int>(modes.size()) - 1;
}

bool DepthMatches(DWORD a, DWORD b)
{
    return a == b || (a == 24 && b == 32) || (a == 32 && b == 24);
}

} // namespace

int CDisplayModeList::Find(DWORD w, DWORD h, DWORD f, bool orLarger) const
{
    return TwoPass(
        modes, orLarger, [&](const CDisplayMode& m) { return m.width == w && m.height == h && m.format == f; },
        [&](const CDisplayMode& m) { return m.width >= w && m.height >= h && m.format == f; });
}

int CDisplayModeList::FindWindowed(DWORD w, DWORD h, DWORD f, bool orLarger) const
{
    return TwoPass(
        modes, orLarger,
        [&](const CDisplayMode& m) { return m.width == w && m.height == h && m.format == f && m.windowed == 1; },
        [&](const CDisplayMode& m) { return m.width >= w && m.height >= h && m.format == f && m.windowed == 1; });
}

int CDisplayModeList::FindFullScreen(DWORD w, DWORD h, DWORD f, bool orLarger) const
{
    return TwoPass(
        modes, orLarger,
        [&](const CDisplayMode& m) { return m.width == w && m.height == h && m.format == f && m.fullScreen == 1; },
        [&](const CDisplayMode& m) { return m.width >= w && m.height >= h && m.format == f && m.fullScreen == 1; });
}

int CDisplayModeList::FindFlagged(DWORD w, DWORD h, bool orLarger) const
{
    return TwoPass(
        modes, orLarger, [&](const CDisplayMode& m) { return m.width == w && m.height == h && m.fullScreen == 1; },
        [&](const CDisplayMode& m) { return m.width >= w && m.height >= h; });
}

int CDisplayModeList::FindByDepth(DWORD w, DWORD h, DWORD bpp, bool orLarger) const
{
    return TwoPass(
        modes, orLarger,
        [&](const CDisplayMode& m) {
            return m.width == w && m.height == h && DepthMatches(m.bitsPerPixel, bpp) && m.fullScreen == 1;
        },
        [&](const CDisplayMode& m) {
            return m.width >= w && m.height >= h && DepthMatches(m.bitsPerPixel, bpp) && m.fullScreen == 1;
        });
}

int CDisplayModeList::FindNearest(float aspect, float tolerance, DWORD height, DWORD bpp) const
{
    for (int pass = 1; pass <= 4; ++pass)
        for (size_t i = 0; i < modes.size(); ++i)
        {
            const CDisplayMode& m = modes[i];
            if (m.fullScreen != 1 || !DepthMatches(m.bitsPerPixel, bpp))
                continue;
            float r = static_cast<float>(m.height) / static_cast<float>(m.width);
            bool near = std::fabs(r - aspect) < tolerance;
            bool below = r < aspect;
            bool ok = false;
            switch (pass)
            {
            case 1:
                ok = near && m.height == height;
                break;
            case 2:
                ok = near && m.height >= height;
                break;
            case 3:
                ok = below && m.height == height;
                break;
            case 4:
                ok = below && m.height >= height;
                break;
            }
            if (ok)
                return static_cast<int>(i);
        }
    return -1;
}

int GetHardwareLevel(UINT adapter, IDirect3D8* d3d)
{
    if (!d3d)
        d3d = g_direct3D;
    if (!d3d)
        return 0;
    D3DCAPS8 caps;
    if (FAILED(d3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps)))
        return 0;
    if (caps.PixelShaderVersion & 0xffff)
    {
        D3DADAPTER_IDENTIFIER8 id;
        if (SUCCEEDED(d3d->GetAdapterIdentifier(adapter, 0, &id)) && id.VendorId != 0x1002)
            return 4;
        return 5;
    }
    if (caps.VertexShaderVersion & 0xffff)
        return 4;
    if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)
        return 3;
    if (caps.StencilCaps & D3DSTENCILCAPS_ZERO)
        return 2;
    return 1;
}
