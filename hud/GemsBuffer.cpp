#include "engine/MathConstants.h"
#include "hud/GemsBuffer.h"

#include "engine/Log.h"
#include "engine/Random.h"
#include "platform/crt.h"
#include "platform/image.h"
#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteBatch.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The two halves of the strip in the 256-wide texture: strip columns 0..207
// in texture rows 0..39 from column 0, strip columns 199..406 in rows 40..79
// from column 48.
const int kHalfWidth = 208;
const int kSecondHalfStart = 199;
const int kSecondHalfColumn = 48;

uint32_t ConvertPixel(uint32_t argb, D3DFORMAT format)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    switch (format)
    {
    case D3DFMT_A1R5G5B5: return (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    case D3DFMT_A4R4G4B4: return (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
    case D3DFMT_A8R3G3B2: return a << 8 | (r >> 5) << 5 | (g >> 5) << 2 | (b >> 6);
    case D3DFMT_A2B10G10R10: return (a >> 6) << 30 | (b << 2) << 20 | (g << 2) << 10 | (r << 2);
    default: return argb;
    }
}

int BytesOf(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A2B10G10R10: return 4;
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2: return 2;
    default: return 0;
    }
}

} // namespace

CGemsBuffer::CGemsBuffer()
{
    for (std::vector<uint32_t>& picture : gemPictures)
        picture.assign(kCellSize * kCellSize, 0);
    cellWidths.assign(kColours, 0);
    strip.assign(kStripWidth * kStripHeight, 0);
    collected.reserve(400);
    frameShapes.reserve(4);
    barShapes.reserve(2);
    bigFlares.reserve(20);
    bigFlareAges.reserve(20);
}

CGemsBuffer::~CGemsBuffer()
{
    if (spriteList)
    {
        for (const CRefPtr<CSpriteShape>& flare : bigFlares)
            spriteList->Remove(flare);
        for (const CRefPtr<CSpriteShape>& shape : frameShapes)
            spriteList->Remove(shape);
        for (const CRefPtr<CSpriteShape>& shape : barShapes)
            spriteList->Remove(shape);
    }
    if (textSet && counterText)
        textSet->Remove(counterText);
    // Only a bar that made its strip texture takes it out of the device's list.
    if (device && stripTexture)
    {
        int index = device->FindTexture("GemsSurfaceTexture");
        if (index >= 0)
            device->RemoveTextureAt(index);
    }
}

void CGemsBuffer::SetResources(CRefPtr<CDevice> device_, CRefPtr<CTexture> overlay, CRefPtr<CSpriteList> list,
                               CRefPtr<CTextSet> texts, CRefPtr<CFont> font_, CRefPtr<CSpriteBatch> batch)
{
    device = device_;
    overlayTexture = overlay;
    spriteList = list;
    textSet = texts;
    font = font_;
    spriteBatch = batch;
}

void CGemsBuffer::ApplyLayout(const GemsBarLayout& l)
{
    iconOffset[0] = l.overlayShift[0];
    iconOffset[1] = l.overlayShift[1];
    barOffset[0] = l.fillingShift[0];
    barOffset[1] = l.fillingShift[1];
    rightOffset[0] = l.gemsShift[0];
    rightOffset[1] = l.gemsShift[1];
    labelOffset[0] = l.labelShift[0];
    labelOffset[1] = l.labelShift[1];
    textOffset[0] = l.countShift[0];
    textOffset[1] = l.countShift[1];
    textColor = l.textColor;
    textShadowColor = l.textShadowColor;
    textCharSize = l.textCharSize;
    bigLifeTime = l.bigFlaresLifeTime;
    bigInterval = l.bigFlaresMaxT;
    bigSize = l.bigFlaresSize;
    bigW = l.bigFlaresW;
    bigColor = l.bigFlaresColor;
    smallLifeTime = l.smallFlaresLifeTime;
    smallInterval = l.smallFlaresMaxT;
    smallSize = l.smallFlaresSize;
    smallW = l.smallFlaresW;
    smallColor = l.smallFlaresColor & 0x00FFFFFFu;
    smallAlphaFactor = float(l.smallFlaresColor >> 24) / 255.0f;
}

bool CGemsBuffer::LoadBarGemsBitmap(const char* path)
{
    FILE* file = crt::fopen(path, "rb");
    if (!file)
    {
        LogText("BarGems.bmp File not found!\n");
        return false;
    }
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER info;
    // Only an uncompressed 24-bit picture of the expected size gives the
    // pictures the strip is painted with.
    if (!platform::ReadBitmapFileHeader(file, &fileHeader) || !platform::ReadBitmapInfoHeader(file, &info) ||
        info.biWidth != kBitmapWidth || info.biHeight != kBitmapHeight || info.biBitCount != 24 ||
        info.biCompression != 0)
    {
        std::fclose(file);
        LogText("Error loading BarGems.bmp file!\n");
        return false;
    }
    const size_t rowBytes = kBitmapWidth * 3;
    std::vector<uint8_t> pixels(rowBytes * kBitmapHeight);
    if (std::fseek(file, long(fileHeader.bfOffBits), SEEK_SET) != 0 ||
        std::fread(pixels.data(), 1, pixels.size(), file) != pixels.size())
    {
        std::fclose(file);
        LogText("Error loading BarGems.bmp file!\n");
        return false;
    }
    std::fclose(file);

    std::fill(cellWidths.begin(), cellWidths.end(), 0);
    for (int y = 0; y < kCellSize; ++y)
    {
        // Rows are stored bottom-up: picture row y is file row 79 - y, its
        // mask (picture row 40 + y) file row 39 - y.
        const uint8_t* colourRow = &pixels[(kBitmapHeight - 1 - y) * rowBytes];
        const uint8_t* maskRow = &pixels[(kBitmapHeight / 2 - 1 - y) * rowBytes];
        for (int x = 0; x < kCellSize; ++x)
            for (int c = 0; c < kColours; ++c)
            {
                const int column = kCellSize * c + x;
                const uint32_t b = colourRow[3 * column], g = colourRow[3 * column + 1], r = colourRow[3 * column + 2];
                const uint32_t a = maskRow[3 * column];
                gemPictures[c][y * kCellSize + x] = a << 24 | r << 16 | g << 8 | b;
                if (a != 0 && cellWidths[c] <= x)
                    cellWidths[c] = x + 1;
            }
    }
    return true;
}

bool CGemsBuffer::CreateGemsTexture()
{
    if (device)
        stripTexture = device->CreateTextureChooseFormat(
            "GemsSurfaceTexture", kTextureWidth, kTextureHeight,
            {D3DFMT_A2B10G10R10, D3DFMT_A8R3G3B2, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8}, 1, 0,
            D3DPOOL_MANAGED);
    if (!stripTexture)
    {
        LogText("Unable to create GemsTexture!\n");
        return false;
    }
    return true;
}

bool CGemsBuffer::CopyToTexture()
{
    if (!stripTexture || !stripTexture->texture)
        return false;
    IDirect3DTexture8* texture = stripTexture->texture;
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(0, &desc)))
        return false;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0)))
        return false;
    const int bytes = BytesOf(desc.Format);
    if (bytes)
    {
        uint8_t* bits = static_cast<uint8_t*>(locked.pBits);
        for (UINT y = 0; y < desc.Height; ++y)
            std::memset(bits + y * locked.Pitch, 0, desc.Width * bytes);
        auto put = [&](int tx, int ty, uint32_t argb) {
            if (tx < 0 || ty < 0 || UINT(tx) >= desc.Width || UINT(ty) >= desc.Height)
                return;
            uint8_t* p = bits + ty * locked.Pitch + tx * bytes;
            const uint32_t v = ConvertPixel(argb, desc.Format);
            if (bytes == 4)
                std::memcpy(p, &v, 4);
            else
            {
                const uint16_t v16 = uint16_t(v);
                std::memcpy(p, &v16, 2);
            }
        };
        for (int y = 0; y < kStripHeight; ++y)
            for (int x = 0; x < kHalfWidth; ++x)
            {
                put(x, y, strip[y * kStripWidth + x]);
                put(kSecondHalfColumn + x, kStripHeight + y, strip[y * kStripWidth + kSecondHalfStart + x]);
            }
    }
    texture->UnlockRect(0);
    return true;
}

bool CGemsBuffer::CreateVisuals(void* /*unused*/)
{
    if (!CreateGemsTexture())
        return false;
    struct ShapeDesc
    {
        const float* shift;
        float dx, dy, w, h;
        bool strip;
        float l, t, r, b;
        int zOrder;
    };
    const ShapeDesc descs[6] = {
        {iconOffset, 102.5f, -23.0f, 205, 46, false, 0.01171875f, 0.00390625f, 0.8046875f, 0.18359375f, 500},
        {iconOffset, 307.5f, -23.0f, 205, 46, false, 0.1875f, 0.19140625f, 0.98828125f, 0.37109375f, 500},
        {rightOffset, 102.0f, -20.0f, 204, 40, true, 0.0f, 0.0f, 0.796875f, 0.3125f, 501},
        {rightOffset, 305.5f, -20.0f, 203, 40, true, 0.20703125f, 0.3125f, 1.0f, 0.625f, 501},
        {barOffset, 102.0f, -16.0f, 204, 32, false, 0.015625f, 0.375f, 0.8125f, 0.5f, 502},
        {barOffset, 305.5f, -16.0f, 203, 32, false, 0.1875f, 0.5f, 0.98046875f, 0.625f, 502},
    };
    frameShapes.clear();
    barShapes.clear();
    for (int i = 0; i < 6; ++i)
    {
        const ShapeDesc& d = descs[i];
        CRefPtr<CSpriteShape> shape(new CSpriteShape(origin.x + d.shift[0] + d.dx, origin.y + d.shift[1] + d.dy,
                                                     origin.z + 500.0f, d.w, d.h, 0xFFFFFFFF,
                                                     d.strip ? stripTexture : overlayTexture, 1));
        shape->SetBlendMode(1, kBlendNormal);
        shape->SetFrameUV(0, d.l, d.t, d.r, d.b);
        shape->zOrder = d.zOrder;
        shape->visible = shown;
        shape->SetAlpha(alpha);
        (i < 4 ? frameShapes : barShapes).push_back(shape);
        if (spriteList)
            spriteList->Add(shape);
    }

    if (font)
    {
        counterText = CRefPtr<CText>(new CText(font));
        counterText->position = Vec3{origin.x + textOffset[0], origin.y + textOffset[1], origin.z + 500.0f};
        counterText->visible = shown;
        counterText->colour = textColor;
        counterText->SetFontScale(font->GetBaseSize() * textCharSize, font->GetBaseSize() * textCharSize, 0);
        counterText->alignment = kAlignCentre;
        counterText->SetReferenceSize(1.0f, 1.0f);
        // The counter glows: drawn additively over the bar.
        counterText->srcBlend = 5;
        counterText->destBlend = 2;
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "%d/%d", int(collected.size()), totalCells);
        counterText->SetString(buffer);
        if (textSet)
            textSet->Add(counterText);
    }
    return true;
}

float CGemsBuffer::FillFraction() const
{
    if (totalCells <= 0)
        return 1.0f; // a level that needs no gem shows a full bar
    float f = float(collected.size()) / float(totalCells);
    return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
}

void CGemsBuffer::PlaceFilling()
{
    const float w = float(kStripWidth) * FillFraction();
    const float w1 = std::min(w, 204.0f);
    const float w2 = w > 204.0f ? w - 204.0f : 0.0f;
    const float x = origin.x + barOffset[0];
    const float y = origin.y + barOffset[1] - 16.0f;
    const float z = origin.z + 500.0f;
    if (barShapes.size() >= 2)
    {
        CRefPtr<CSpriteShape> left = barShapes[0];
        left->position = Vec3{x + w1 / 2.0f, y, z};
        left->SetScale(w1, 32.0f);
        left->SetFrameUV(0, 0.015625f, 0.375f, 0.015625f + w1 / 256.0f, 0.5f);
        CRefPtr<CSpriteShape> right = barShapes[1];
        right->position = Vec3{x + 204.0f + w2 / 2.0f, y, z};
        right->SetScale(w2, 32.0f);
        right->SetFrameUV(0, 0.1875f, 0.5f, 0.1875f + w2 / 256.0f, 0.625f);
        if (w2 > 0.0f && !right->visible && shown)
        {
            if (spriteList)
                spriteList->SetVisible(right, shown);
            right->visible = shown;
        }
        else if (w2 <= 0.0f && right->visible)
        {
            if (spriteList)
                spriteList->SetVisible(right, 0);
            right->visible = 0;
        }
    }
}

bool CGemsBuffer::Refresh()
{
    const bool copied = CopyToTexture();
    PlaceFilling();
    if (counterText)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "%d/%d", int(collected.size()), totalCells);
        counterText->SetString(buffer);
    }
    if (!copied)
    {
        LogText("Warning! Unable to refresh Gems buffer texture\n");
        return false;
    }
    return true;
}

bool CGemsBuffer::ResetForLevel()
{
    collected.clear();
    cellStart = 0.0f;
    std::fill(strip.begin(), strip.end(), 0u);
    if (spriteList)
        for (const CRefPtr<CSpriteShape>& flare : bigFlares)
            spriteList->Remove(flare);
    bigFlares.clear();
    bigFlareAges.clear();
    return Refresh();
}

void CGemsBuffer::PaintGem(int32_t c)
{
    const int n = int(collected.size());
    const int N = totalCells;
    if (n > N)
        return;
    const int width = cellWidths[c];
    int x0 = 0;
    if (n == 1)
    {
        x0 = 0;
        cellStart = float(width);
    }
    else
    {
        // The right edges advance in equal steps over the room left, so the
        // last gem needed ends exactly at the strip's end.
        const float step = (float(kStripWidth) - cellStart) / float(N - n + 1);
        const float candidate = cellStart + step;
        if (float(width) <= candidate)
        {
            cellStart = candidate;
            x0 = int(cellStart) - width;
            if (x0 < 0)
                x0 = 0;
            if (x0 + width > kStripWidth)
                x0 = kStripWidth - width;
        }
        else
        {
            x0 = 0;
            cellStart = float(width);
        }
    }
    const std::vector<uint32_t>& picture = gemPictures[c];
    for (int y = 0; y < kStripHeight; ++y)
        for (int i = 0; i < width; ++i)
        {
            const uint32_t s = picture[y * kCellSize + i];
            uint32_t& d = strip[y * kStripWidth + x0 + i];
            const uint32_t a = s >> 24;
            uint32_t out = std::max(a, d >> 24) << 24;
            for (int shift = 0; shift <= 16; shift += 8)
            {
                const uint32_t dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
                const uint32_t v = std::min<uint32_t>(255, ((dc * (255 - a)) >> 8) + ((sc * a) >> 8));
                out |= v << shift;
            }
            d = out;
        }
}

void CGemsBuffer::AddGem(int32_t colour)
{
    if (colour < 0)
        colour = 0;
    if (colour >= kColours)
        colour = kColours - 1;
    collected.push_back(colour);
    PaintGem(colour);
    Refresh();
}

void CGemsBuffer::SetShapesVisible(int on)
{
    auto apply = [&](const CRefPtr<CSpriteShape>& shape) {
        if (!shape || (shape->visible != 0) == (on != 0))
            return;
        if (spriteList)
            spriteList->SetVisible(shape, on);
        shape->visible = on;
    };
    for (const CRefPtr<CSpriteShape>& shape : frameShapes)
        apply(shape);
    for (const CRefPtr<CSpriteShape>& shape : barShapes)
        apply(shape);
    if (counterText)
        counterText->visible = on ? 1 : 0;
}

void CGemsBuffer::ApplyAlpha()
{
    for (const CRefPtr<CSpriteShape>& shape : frameShapes)
        shape->SetAlpha(alpha);
    for (const CRefPtr<CSpriteShape>& shape : barShapes)
        shape->SetAlpha(alpha);
    if (counterText)
    {
        counterText->alphaFactor = alpha;
        counterText->PlaceCharacters();
    }
}

void CGemsBuffer::SetAlpha(float value)
{
    alpha = value;
    ApplyAlpha();
}

void CGemsBuffer::Show(int32_t on, float rate)
{
    if (on)
    {
        shown = on;
        SetShapesVisible(on);
        if (rate > 0.0f)
        {
            ApplyAlpha();
            fadeSpeed = rate;
        }
        else
        {
            alpha = 1.0f;
            fadeSpeed = 0.0f;
            ApplyAlpha();
        }
        // An empty right filling stays hidden.
        PlaceFilling();
        return;
    }
    if (rate <= 0.0f)
    {
        shown = 0;
        fadeSpeed = 0.0f;
        alpha = 0.0f;
    }
    else
        fadeSpeed = -rate;
    if (alpha <= 0.0f)
    {
        shown = 0;
        SetShapesVisible(0);
    }
}

void CGemsBuffer::Layout(float x, float y, float z)
{
    origin = Vec3{x, y, z};
    const float zz = z + 500.0f;
    if (frameShapes.size() >= 4)
    {
        const float ax = x + iconOffset[0], ay = y + iconOffset[1];
        const float bx = x + rightOffset[0], by = y + rightOffset[1];
        frameShapes[0]->position = Vec3{ax + 102.5f, ay - 23.0f, zz};
        frameShapes[1]->position = Vec3{ax + 102.5f + 205.0f, ay - 23.0f, zz};
        frameShapes[2]->position = Vec3{bx + 102.0f, by - 20.0f, zz};
        frameShapes[3]->position = Vec3{bx + 305.5f, by - 20.0f, zz};
    }
    if (barShapes.size() >= 2)
    {
        const float w = float(kStripWidth) * FillFraction();
        const float w1 = std::min(w, 204.0f);
        const float w2 = w > 204.0f ? w - 204.0f : 0.0f;
        const float cx = x + barOffset[0], cy = y + barOffset[1];
        barShapes[0]->position = Vec3{cx + w1 * 0.5f, cy - 16.0f, zz};
        barShapes[1]->position = Vec3{cx + 204.0f + w2 * 0.5f, cy - 16.0f, zz};
    }
    if (counterText)
        counterText->position = Vec3{x + textOffset[0], y + textOffset[1], zz};
}

Vec3& CGemsBuffer::GetCellAnchor(Vec3& out, int index, int mode) const
{
    if (index < 0)
        index = 0;
    if (index >= kColours)
        index = kColours - 1;
    const int n = int(collected.size());
    const float W = float(cellWidths[index]);
    out = Vec3{origin.x + rightOffset[0], origin.y + rightOffset[1] - 20.0f, origin.z + 499.5f};
    if (n == totalCells)
    {
        out.x += cellStart - W * 0.5f;
        return out;
    }
    if (mode == 1 && n == 0)
    {
        out.x += W * 0.5f;
        return out;
    }
    const float first = n == 0 ? float(firstCellWidth) : 0.0f;
    // More gems in flight than cells left (or extra gems past the needed
    // count) have no room to share: they aim at the fill edge.
    const int cellsLeft = totalCells - n - (n == 0 ? 1 : 0);
    const float step = cellsLeft > 0 ? (float(barWidth) - cellStart - first) / float(cellsLeft) : 0.0f;
    const float pos = n > 0 ? float(mode) * step + cellStart
                            : float(firstCellWidth) + cellStart + float(mode - 1) * step;
    if (W <= pos)
        out.x += pos - W * 0.5f;
    else
        out.x += W * 0.5f;
    return out;
}

void CGemsBuffer::SpawnBigFlare()
{
    const float r1 = RandomUnit();
    const float r2 = RandomUnit();
    const float x = origin.x + rightOffset[0] + (0.95f * r1 + 0.025f) * cellStart;
    const float y = origin.y + rightOffset[1] - (0.6f * r2 + 0.2f) * 40.0f;
    CRefPtr<CSpriteShape> flare(new CSpriteShape(x, y, origin.z + 499.5f, bigSize, bigSize, bigColor, flareTexture, 1));
    flare->zOrder = 499;
    if (RandomUnit() < 0.5f)
        flare->SetFrameUV(0, 0.0f, 0.0f, 0.5f, 0.5f);
    else
        flare->SetFrameUV(0, 0.5f, 0.0f, 1.0f, 0.5f);
    flare->SetBlendMode(1, kBlendNormal);
    flare->SetAlpha(0.0f);
    flare->zWrite = 0;
    flare->SetRotation(RandomUnit() * kPi);
    flare->spinning = 1;
    flare->spinSpeed = bigW;
    if (spriteList)
        spriteList->Add(flare);
    bigFlares.push_back(flare);
    bigFlareAges.push_back(0.0f);
}

void CGemsBuffer::SpawnSmallFlare()
{
    const float r1 = RandomUnit();
    const float r2 = RandomUnit();
    const float x = origin.x + rightOffset[0] + (0.95f * r1 + 0.025f) * cellStart;
    const float y = origin.y + rightOffset[1] - (0.6f * r2 + 0.2f) * 40.0f;
    CRefPtr<CBatchSprite> sprite(new CBatchSprite(x, y, origin.z + 499.5f, flareTexture, smallColor));
    const int q = int(std::floor(4.0f * RandomUnit())) & 3;
    sprite->SetTexRect(q / 4.0f, 0.625f, (q + 1) / 4.0f, 0.875f);
    sprite->SetScale(smallSize, smallSize);
    sprite->alphaFactor = smallAlphaFactor * alpha;
    sprite->fadeInTime = 0.1f * smallLifeTime;
    sprite->holdEnd = smallLifeTime;
    sprite->fadeOutTime = 0.2f * smallLifeTime;
    sprite->flickerAmplitude = 0.0f;
    sprite->SetSpin(kTwoPi * RandomUnit(), smallW, 1, 0, 0, 0, 1, 0);
    if (spriteBatch)
        spriteBatch->Add(sprite);
}

void CGemsBuffer::Update(float dt)
{
    if (fadeSpeed > 0.0f)
    {
        alpha += fadeSpeed * dt;
        if (alpha > 1.0f)
        {
            alpha = 1.0f;
            fadeSpeed = 0.0f;
        }
        ApplyAlpha();
    }
    else if (fadeSpeed < 0.0f)
    {
        alpha += fadeSpeed * dt;
        if (alpha <= 0.0f)
        {
            alpha = 0.0f;
            shown = 0;
            fadeSpeed = 0.0f;
            SetShapesVisible(0);
        }
        ApplyAlpha();
    }

    if (!shown)
        return; // a hidden bar freezes its flares
    const float k = cellStart / 703.0f;

    for (size_t i = 0; i < bigFlares.size();)
    {
        bigFlareAges[i] += dt;
        const float t = bigFlareAges[i] / bigLifeTime;
        if (t >= 1.0f)
        {
            if (spriteList)
                spriteList->Remove(bigFlares[i]);
            bigFlares.erase(bigFlares.begin() + std::ptrdiff_t(i));
            bigFlareAges.erase(bigFlareAges.begin() + std::ptrdiff_t(i));
            continue;
        }
        const float a = t < 0.1f ? alpha * 10.0f * t : (t <= 0.9f ? alpha : alpha * 10.0f * (1.0f - t));
        bigFlares[i]->SetAlpha(a);
        const float s = ((0.5f - std::fabs(0.5f - t)) * 1.8f + 0.1f) * bigSize;
        bigFlares[i]->SetScale(s, s);
        ++i;
    }

    // Without its picture a flare would be a plain square: none are made.
    if (!flareTexture)
        return;
    bigAccumulator += k * dt * flareRate;
    if (bigAccumulator > bigInterval)
    {
        bigAccumulator -= bigInterval;
        SpawnBigFlare();
    }
    smallAccumulator += flareRate * k * dt;
    if (smallAccumulator > smallInterval)
    {
        smallAccumulator -= smallInterval;
        SpawnSmallFlare();
    }
}
