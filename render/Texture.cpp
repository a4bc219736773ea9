// Textures (from files, blank, or a colour file with its "_alpha." companion) and image
// surfaces.
#include "render/Texture.h"

#include <cstring>

#include "engine/Log.h"

// ---------------------------------------------------------------------------------
// CPixelLayout
// ---------------------------------------------------------------------------------
void CPixelLayout::SetFormat(D3DFORMAT f)
{
    D3DFormatLayout l = D3DGetFormatLayout(D3DFMT_A8R8G8B8);
    D3DFormatLayout actual = D3DGetFormatLayout(f);
    if (actual.bitsPerPixel != 0)
        l = actual;
    format = f;
    bitsPerPixel = l.bitsPerPixel;
    red = Channel{l.red.bits, l.red.mask, l.red.shift};
    green = Channel{l.green.bits, l.green.mask, l.green.shift};
    blue = Channel{l.blue.bits, l.blue.mask, l.blue.shift};
    alpha = Channel{l.alpha.bits, l.alpha.mask, l.alpha.shift};
}

DWORD CPixelLayout::Read8(const Channel& c, DWORD v)
{
    if (c.bits == 0)
        return 0;
    int shift = static_cast<int>(c.shift + c.bits) - 8;
    DWORD masked = v & c.mask;
    return shift > 0 ? masked >> shift : masked << -shift;
}

DWORD CPixelLayout::Write8(const Channel& c, DWORD value8)
{
    if (c.bits == 0)
        return 0;
    int shift = static_cast<int>(c.shift + c.bits) - 8;
    return (shift > 0 ? value8 << shift : value8 >> -shift) & c.mask;
}

// ---------------------------------------------------------------------------------
// CTexture
// ---------------------------------------------------------------------------------
CTexture::CTexture() : texture(nullptr), desc{}, levels(0), alphaPair(0) {}

CTexture::~CTexture()
{
    LogText("Texture ");
    LogText(name.c_str());
    LogText(" Destruction.\n");
    ReleaseTexture();
}

void CTexture::ReleaseTexture()
{
    if (texture)
        texture->Release();
    texture = nullptr;
}

HRESULT CTexture::LoadFromFile(IDirect3DDevice8* device, const std::string& file, const std::string& newName,
                               UINT levelCount, DWORD usage, D3DPOOL pool, D3DFORMAT format)
{
    ReleaseTexture();
    levels = levelCount;
    HRESULT hr = D3DXCreateTextureFromFileExA(device, file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, levelCount, usage,
                                              format, pool, D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr, nullptr,
                                              &texture);
    if (FAILED(hr))
    {
        texture = nullptr;
        name.clear();
        fileName.clear();
        return hr;
    }
    name = newName;
    fileName = file;
    texture->GetLevelDesc(0, &desc);
    return D3D_OK;
}

HRESULT CTexture::CreateBlank(IDirect3DDevice8* device, const std::string& newName, UINT width, UINT height,
                              UINT levelCount, DWORD usage, D3DPOOL pool, D3DFORMAT format)
{
    ReleaseTexture();
    levels = levelCount;
    fileName.clear();
    HRESULT hr = D3DXCreateTexture(device, width, height, levelCount, usage, format, pool, &texture);
    if (FAILED(hr))
    {
        texture = nullptr;
        name.clear();
        return hr;
    }
    name = newName;
    texture->GetLevelDesc(0, &desc);
    return D3D_OK;
}

std::string CTexture::AlphaFileName(const std::string& colourFile)
{
    if (colourFile.size() <= 4)
        return std::string();
    return colourFile.substr(0, colourFile.size() - 4) + "_alpha." + colourFile.substr(colourFile.size() - 3);
}

HRESULT CTexture::LoadWithAlpha(IDirect3DDevice8* device, const std::string& colourFile, const std::string& newName,
                                DWORD usage, D3DPOOL pool, D3DFORMAT format)
{
    ReleaseTexture();
    if (colourFile.size() <= 4)
        return D3DERR_INVALIDCALL;
    std::string alphaFile = AlphaFileName(colourFile);

    IDirect3DTexture8* colour = nullptr;
    IDirect3DTexture8* alphaImage = nullptr;
    auto releaseSources = [&]() {
        if (colour)
            colour->Release();
        if (alphaImage)
            alphaImage->Release();
        colour = alphaImage = nullptr;
    };
    // The sources are only read by the merge: they stay in system memory, so the
    // driver sees the merged picture alone.
    auto load = [&](const std::string& file, IDirect3DTexture8** out) {
        return D3DXCreateTextureFromFileExA(device, file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                            D3DPOOL_SYSTEMMEM, D3DX_FILTER_TRIANGLE, D3DX_DEFAULT, 0, nullptr, nullptr,
                                            out);
    };
    HRESULT hr = load(colourFile, &colour);
    if (SUCCEEDED(hr))
        hr = load(alphaFile, &alphaImage);
    if (FAILED(hr))
    {
        name.clear();
        fileName.clear();
        releaseSources();
        return hr;
    }

    D3DSURFACE_DESC colourDesc, alphaDesc;
    colour->GetLevelDesc(0, &colourDesc);
    alphaImage->GetLevelDesc(0, &alphaDesc);
    hr = D3DXCreateTexture(device, colourDesc.Width, colourDesc.Height, 1, usage, format, pool, &texture);
    if (FAILED(hr))
    {
        texture = nullptr;
        name.clear();
        releaseSources();
        return hr;
    }
    name = newName;
    fileName = colourFile;
    texture->GetLevelDesc(0, &desc);
    alphaPair = 1;
    levels = 1;

    hr = MergeAlpha(texture, colour, alphaImage);
    if (FAILED(hr))
    {
        if (alphaDesc.Width < desc.Width || alphaDesc.Height < desc.Height)
        {
            LogText("Alpha image smaller than its colour image: ");
            LogText(alphaFile.c_str());
            LogText("\n");
        }
        name.clear();
        releaseSources();
        ReleaseTexture();
        return hr;
    }
    releaseSources();
    return D3D_OK;
}

HRESULT CTexture::MergeAlpha(IDirect3DTexture8* target, IDirect3DTexture8* colour, IDirect3DTexture8* alphaImage)
{
    if (!target || !colour || !alphaImage)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC td, cd, ad;
    HRESULT hr;
    if (FAILED(hr = target->GetLevelDesc(0, &td)) || FAILED(hr = colour->GetLevelDesc(0, &cd)) ||
        FAILED(hr = alphaImage->GetLevelDesc(0, &ad)))
        return hr;
    // Both sources are read at the target's coordinates: a smaller one would be read
    // past its end.
    if (cd.Width < td.Width || cd.Height < td.Height || ad.Width < td.Width || ad.Height < td.Height)
        return D3DERR_INVALIDCALL;

    CPixelLayout t, c, a;
    t.SetFormat(D3DFMT_A8R8G8B8);
    c.SetFormat(D3DFMT_A8R8G8B8);
    a.SetFormat(D3DFMT_A8R8G8B8);
    t.SetFormat(td.Format);
    c.SetFormat(cd.Format);
    a.SetFormat(ad.Format);

    D3DLOCKED_RECT tl, cl, al;
    if (FAILED(hr = target->LockRect(0, &tl, nullptr, 0)))
        return hr;
    if (FAILED(hr = colour->LockRect(0, &cl, nullptr, 0)))
    {
        target->UnlockRect(0);
        return hr;
    }
    if (FAILED(hr = alphaImage->LockRect(0, &al, nullptr, 0)))
    {
        colour->UnlockRect(0);
        target->UnlockRect(0);
        return hr;
    }

    auto read = [](const BYTE* p, DWORD bytes) {
        DWORD v = 0;
        for (DWORD i = 0; i < bytes; ++i)
            v |= DWORD(p[i]) << (8 * i);
        return v;
    };
    DWORD tb = t.bitsPerPixel / 8, cb = c.bitsPerPixel / 8, ab = a.bitsPerPixel / 8;
    for (UINT y = 0; y < td.Height; ++y)
    {
        BYTE* trow = static_cast<BYTE*>(tl.pBits) + static_cast<size_t>(y) * tl.Pitch;
        const BYTE* crow = static_cast<const BYTE*>(cl.pBits) + static_cast<size_t>(y) * cl.Pitch;
        const BYTE* arow = static_cast<const BYTE*>(al.pBits) + static_cast<size_t>(y) * al.Pitch;
        for (UINT x = 0; x < td.Width; ++x)
        {
            DWORD p = read(crow + x * cb, cb);
            DWORD q = read(arow + x * ab, ab);
            DWORD r = CPixelLayout::Read8(c.red, p);
            DWORD g = CPixelLayout::Read8(c.green, p);
            DWORD b = CPixelLayout::Read8(c.blue, p);
            DWORD av = CPixelLayout::Read8(a.green, q);
            DWORD out = CPixelLayout::Write8(t.alpha, av) | CPixelLayout::Write8(t.red, r) |
                        CPixelLayout::Write8(t.green, g) | CPixelLayout::Write8(t.blue, b);
            for (DWORD i = 0; i < tb; ++i)
                trow[x * tb + i] = static_cast<BYTE>(out >> (8 * i));
        }
    }
    target->UnlockRect(0);
    colour->UnlockRect(0);
    alphaImage->UnlockRect(0);
    return D3D_OK;
}

bool CTexture::ReadAlpha(std::vector<BYTE>& alpha, UINT& width, UINT& height) const
{
    D3DSURFACE_DESC d;
    if (!texture || FAILED(texture->GetLevelDesc(0, &d)))
        return false;
    CPixelLayout layout;
    layout.SetFormat(d.Format);
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return false;
    const DWORD bytes = layout.bitsPerPixel / 8;
    alpha.assign(size_t(d.Width) * d.Height, 0);
    for (UINT y = 0; y < d.Height; ++y)
    {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (UINT x = 0; x < d.Width; ++x)
        {
            DWORD v = 0;
            for (DWORD i = 0; i < bytes; ++i)
                v |= DWORD(row[x * bytes + i]) << (8 * i);
            alpha[size_t(y) * d.Width + x] = layout.alpha.bits ? BYTE(CPixelLayout::Read8(layout.alpha, v)) : BYTE(255);
        }
    }
    texture->UnlockRect(0);
    width = d.Width;
    height = d.Height;
    return true;
}

HRESULT CTexture::Recreate(IDirect3DDevice8* device)
{
    if (name.empty())
        return D3DERR_INVALIDCALL;
    // Copies: the loaders below overwrite the fields they are given.
    std::string keptName = name, keptFile = fileName;
    D3DSURFACE_DESC kept = desc;
    if (!keptFile.empty() && alphaPair)
        return LoadWithAlpha(device, keptFile, keptName, kept.Usage, kept.Pool, kept.Format);
    if (!keptFile.empty())
        return LoadFromFile(device, keptFile, keptName, levels, kept.Usage, kept.Pool, kept.Format);
    return CreateBlank(device, keptName, kept.Width, kept.Height, levels, kept.Usage, kept.Pool, kept.Format);
}

// ---------------------------------------------------------------------------------
// CSurface
// ---------------------------------------------------------------------------------
CSurface::CSurface() : surface(nullptr), imageInfo{}, width(0), height(0), format(D3DFMT_UNKNOWN), flag(0) {}

CSurface::~CSurface()
{
    if (surface)
        surface->Release();
}

HRESULT CSurface::Create(IDirect3DDevice8* device, const std::string& newName, UINT w, UINT h, D3DFORMAT f)
{
    if (surface)
        surface->Release();
    surface = nullptr;
    name = newName;
    if (!device)
        return D3DERR_INVALIDCALL;
    HRESULT hr = device->CreateImageSurface(w, h, f, &surface);
    if (FAILED(hr))
    {
        surface = nullptr;
        return hr;
    }
    width = w;
    height = h;
    format = f;
    return D3D_OK;
}

HRESULT CSurface::LoadFromFile(IDirect3DDevice8*, const std::string& file, DWORD newFlag)
{
    HRESULT hr = D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, file.c_str(), nullptr, D3DX_DEFAULT, 0,
                                          &imageInfo);
    if (FAILED(hr))
    {
        fileName.clear();
        return hr;
    }
    fileName = file;
    flag = newFlag;
    return D3D_OK;
}
