// Bitmap-font text. CFont is one loaded font: its glyph picture and the glyph
// table of its ".kfd" file. CText is one laid-out text (string, position, axes,
// scale, alignment, colour, optional flight or pulse), one character record per
// visible character. CTextSet holds the texts of the game or of a screen,
// animates them and draws them in batches that share a font. Fonts are held by
// the game's font list; texts by their owners (widgets, HUD, pop-ups) and sets.
#pragma once

#include "engine/MotionPath.h" // Vec3
#include "engine/RefPtr.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One glyph of a ".kfd" file: twelve floats, sizes in units of the font's size.
struct CGlyph
{
    float width;
    float height;
    float left;        // added before the glyph in proportional mode
    float unused[3];
    float advance;     // proportional mode
    float uLeft, vTop, uRight, vBottom;
    float topOffset;   // from the line's pen position down to the glyph's top
};

class CFont
{
public:
    enum { kFileSize = 12312, kGlyphCount = 256 };

    explicit CFont(CRefPtr<CTexture> texture);

    // 1 on success. 0 when the file cannot be opened or is shorter than a
    // font description; the font is then left as it was.
    int Load(const char* path);

    // The font's size in pixels (header word 3): texts drawn with this value
    // as their character scale show the glyphs at the size they were made.
    float GetBaseSize() const { return headerFloat3; }

    CRefPtr<CTexture> texture;
    uint32_t header[4];
    float headerFloat2;
    float headerFloat3;
    float spaceAdvance; // header word 4, replaced by the blank's advance on load
    float cellWidth;    // every character's advance in fixed-width mode
    CGlyph glyphs[kGlyphCount];
};

// The axes and scale a text lays out with; every character record carries a copy.
struct TextBasis
{
    void SetAxes(const Vec3& x, const Vec3& y);
    void SetScale(float sx, float sy);

    float scaleX = 1.0f, scaleY = 1.0f;
    Vec3 xAxis{1, 0, 0};
    Vec3 yAxis{0, 1, 0};
    Vec3 scaledX{1, 0, 0};
    Vec3 scaledY{0, 1, 0};
};

struct CTextChar
{
    uint32_t code;
    Vec3 position; // relative to the text's position
    TextBasis basis;
    uint32_t colour;
};

enum
{
    kAlignLeft = 0,
    kAlignRight = 1,
    kAlignCentre = 2,
    kAlignJustify = 3,
};

// Line breaks inside a text: a hard one, and the soft one the wrap inserts.
const char kLineFeed = 10;
const char kSoftBreak = 11;

class CText
{
public:
    explicit CText(CRefPtr<CFont> font);

    // Stores the string (an empty one as one blank), rebuilds the character
    // records and lays the text out.
    void SetString(const char* text);
    void SetFontScale(float sx, float sy, int flag = 0);
    void Relayout();
    // Lays the text out again after a change of its fields (position, colour,
    // alpha, alignment ...).
    void PlaceCharacters() { Relayout(); }
    // Snaps line and blank offsets to whole units from now on.
    void SetReferenceSize(float unitX, float unitY);
    // The flight and pulse step; 0 once the flight is over.
    int Animate(float dt);
    void UpdateColors();
    // Greedy word wrap to the wrap width; the out string gets soft breaks (11).
    // The third argument is not used.
    void WrapText(const char* text, std::string& out, int flag = 0) const;

    CRefPtr<CFont> font;
    std::vector<CTextChar> characters;
    std::string text;
    int32_t layer; // the draw pass (a form's depth, or -1 / 12345 for the renderer's texts)
    Vec3 position;
    Vec3 xAxis;
    Vec3 yAxis;
    Vec3 zAxis;
    int32_t visible;
    float wrapWidth;
    float scaleX, scaleY;
    int32_t alignment;
    uint32_t colour;
    float lineSpacing;
    float letterSpacing;
    int32_t fixedWidth;
    int32_t flying;
    Vec3 velocity;
    float alpha; // animated by flights; multiplies the colour's alpha while flying or pulsing
    float fadeRate; // negative: fade in, then out
    float timer;
    float lifetime;
    float fadeStart;
    int32_t pulsing;
    float pulseA[4]; // r, g, b, a in 0..1
    float pulseB[4];
    float phase;
    float phaseStep;
    float phaseSpeed;
    // Measured by the layout, in the text's own units (scale included).
    float leftExtent;
    float topExtent;
    float width;
    float height; // negative: lines grow against the y axis
    int32_t blended;
    int32_t srcBlend;
    int32_t destBlend;
    float alphaFactor; // opacity: multiplies the colour's alpha; call PlaceCharacters after a change
    int32_t snap;
    float reference[4]; // 1 / unit x, 1 / unit y, unit x, unit y

private:
    void Layout();
    float Advance(const CGlyph& glyph) const;
    float BlankAdvance() const;
};

class CTextSet
{
public:
    CTextSet(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
             CRefPtr<CIndexBuffer> indexBuffer);

    CRefPtr<CText> Add(CRefPtr<CText> text);
    void Remove(CRefPtr<CText> text);
    // Animates the flying and pulsing texts; a finished flight leaves the set.
    void Update(float dt);
    // Draws the visible texts whose layer is `pass`.
    void Draw(int pass);
    // Between these two the set sorts its visible texts by pass once, and each Draw
    // walks only its own pass's texts (the renderer's frame calls them).
    void BeginFrame();
    void EndFrame() { m_framed = false; }

    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    std::vector<CRefPtr<CText>> texts;

private:
    bool DrawText(const CText& text, DWORD fogEnabled, DWORD fogColour);
    // The visible texts of `pass`, in the set's order.
    void CollectPass(int pass, std::vector<size_t>& out) const;

    // While a frame is drawn: (pass, index) of every visible text, sorted by pass.
    std::vector<std::pair<int32_t, size_t>> m_byPass;
    std::vector<size_t> m_pass;
    // Draw's marks of the pass's texts a font walk has taken, one per entry of m_pass.
    std::vector<uint8_t> m_drawn;
    bool m_framed = false;
};
