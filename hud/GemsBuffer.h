// CGemsBuffer: the gem-progress bar of the quest play screen. A 407-pixel strip
// above the board into which every collected gem's picture is painted left to
// right (the last gem of the level lands exactly at the right end), a filling
// bar under it, a "collected/needed" counter and flares rising over the filled
// part. The game makes it once in Init; the board holds it, places it every
// frame, reports collected gems (AddGem with the gem's colour) and updates it.
#pragma once

#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CDevice;
class CFont;
class CSpriteBatch;
class CSpriteList;
class CSpriteShape;
class CText;
class CTextSet;
class CTexture;

// The gem-bar values of the quest layout ("Gems..." of Skin.cfg's FieldQuest),
// as stored there: offsets with y already negated, angular speeds in radians
// per second, colours packed ARGB.
struct GemsBarLayout
{
    float overlayShift[2] = {128.0f, 40.0f};
    float fillingShift[2] = {129.0f, 34.0f};
    float gemsShift[2] = {129.0f, 38.0f};
    float labelShift[2] = {72.0f, 36.0f};
    float countShift[2] = {594.0f, 36.0f};
    uint32_t textColor = 0xFFFFFFFF;
    uint32_t textShadowColor = 0x80000000;
    float textCharSize = 1.0f;
    float bigFlaresSize = 64.0f;
    float bigFlaresMaxT = 0.3f;
    float bigFlaresLifeTime = 1.5f;
    float bigFlaresW = 0.5f * 3.1415927f;
    uint32_t bigFlaresColor = 0x99FFFFFF;
    float smallFlaresSize = 6.0f;
    float smallFlaresMaxT = 0.02f;
    float smallFlaresLifeTime = 0.4f;
    float smallFlaresW = 3.1415927f;
    uint32_t smallFlaresColor = 0xFFFFFFFF;
};

class CGemsBuffer
{
public:
    enum
    {
        kColours = 7,
        kCellSize = 40,
        kStripWidth = 407,
        kStripHeight = 40,
        kBitmapWidth = 320,
        kBitmapHeight = 80,
        kTextureWidth = 256,
        kTextureHeight = 128,
    };

    CGemsBuffer();
    ~CGemsBuffer();

    CGemsBuffer(const CGemsBuffer&) = delete;
    CGemsBuffer& operator=(const CGemsBuffer&) = delete;

    void SetResources(CRefPtr<CDevice> device, CRefPtr<CTexture> overlayTexture, CRefPtr<CSpriteList> spriteList,
                      CRefPtr<CTextSet> textSet, CRefPtr<CFont> font, CRefPtr<CSpriteBatch> spriteBatch);
    // Copies the layout's gem-bar values. The small-flare colour splits into its
    // RGB part and an alpha factor of floor(alpha / 255).
    void ApplyLayout(const GemsBarLayout& layout);

    // The seven gem pictures from "BarGems.bmp" (uncompressed 24-bit, 320 x 80).
    bool LoadBarGemsBitmap(const char* path);
    bool CreateGemsTexture();
    bool CopyToTexture();
    // Makes the strip texture, the six shapes and the counter; false and nothing
    // made when the texture cannot be had.
    bool CreateVisuals(void* unused = nullptr);

    void Show(int32_t on, float rate);
    // Paints a collected gem of colour 0..6 (clamped) at its place and refreshes.
    void AddGem(int32_t colour);
    bool Refresh();
    bool ResetForLevel();
    void Update(float dt);

    // Placing the bar each frame, fading it with the panels, and where the gem
    // of colour `index` will land (`mode`: how many gems fly, this one
    // included).
    void SetAlpha(float value);
    void Layout(float x, float y, float z);
    Vec3& GetCellAnchor(Vec3& out, int index, int mode) const;

    // Gems needed by the level; 0 is taken as a bar that is always full.
    void SetTotalCells(int32_t count) { totalCells = count; }
    // Collected over needed, clamped to 0..1 (1 when none are needed).
    float FillFraction() const;

    int32_t shown = 0;
    float alpha = 0.0f;
    float fadeSpeed = 0.0f;
    Vec3 origin{-194.5f, 340.5f, 50.0f};
    float iconOffset[2] = {118.0f, -30.0f};  // overlay shift
    float barOffset[2] = {119.0f, -24.0f};   // filling shift
    float rightOffset[2] = {119.0f, -28.0f}; // gems shift
    int32_t firstCellWidth = 37;
    float labelOffset[2] = {62.0f, -8.0f};
    float textOffset[2] = {584.0f, -8.0f}; // count shift
    float textCharSize = 1.0f;
    uint32_t textColor = 0xFFFFFFFF;
    uint32_t textShadowColor = 0x80000000;

    CRefPtr<CDevice> device;
    CRefPtr<CTexture> overlayTexture; // "GemProgress"
    CRefPtr<CTexture> stripTexture;   // "GemsSurfaceTexture"
    CRefPtr<CTexture> flareTexture;
    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTextSet> textSet;
    CRefPtr<CFont> font;
    CRefPtr<CSpriteBatch> spriteBatch;

    int32_t cellWidth = kCellSize;
    int32_t cellHeight = kCellSize;
    std::vector<uint32_t> gemPictures[kColours]; // 40 x 40 ARGB, rows from the top
    std::vector<int32_t> cellWidths;             // used width of each picture
    int32_t stripWidth = kStripWidth;
    int32_t stripHeight = kStripHeight;
    std::vector<uint32_t> strip; // 407 x 40 ARGB, rows from the top
    int32_t barWidth = kStripWidth;

    int32_t totalCells = 5;
    std::vector<int32_t> collected;
    float cellStart = 0.0f; // fill edge: right edge of the last painted gem

    std::vector<CRefPtr<CSpriteShape>> frameShapes; // overlay l/r, strip l/r
    std::vector<CRefPtr<CSpriteShape>> barShapes;   // filling l/r
    CRefPtr<CText> counterText;

    float flareRate = 1.0f;
    float bigLifeTime = 1.5f;
    float bigInterval = 0.3f;
    float bigSize = 64.0f;
    float bigW = 0.5f * 3.1415927f;
    uint32_t bigColor = 0x99FFFFFF;
    float smallLifeTime = 0.4f;
    float smallInterval = 0.02f;
    float smallSize = 6.0f;
    float smallW = 3.1415927f;
    uint32_t smallColor = 0xFFFFFF;
    float smallAlphaFactor = 1.0f;
    std::vector<CRefPtr<CSpriteShape>> bigFlares;
    std::vector<float> bigFlareAges;
    float bigAccumulator = 0.0f;
    float smallAccumulator = 0.0f;

private:
    void ApplyAlpha();
    void PlaceFilling();
    void PaintGem(int32_t colour);
    void SetShapesVisible(int visible);
    void SpawnBigFlare();
    void SpawnSmallFlare();
};
