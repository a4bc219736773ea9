#include "engine/MathConstants.h"
#include "render/Font.h"

#include "engine/Log.h"
#include "platform/crt.h"
#include "render/SharedBuffers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {


uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float ReadFloat(const uint8_t* p)
{
    const uint32_t bits = ReadU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

Vec3 Plus(const Vec3& a, const Vec3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 Mul(const Vec3& a, float k)
{
    return {a.x * k, a.y * k, a.z * k};
}

uint32_t ClampByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    return value >= 255.0f ? 255u : uint32_t(value);
}

// Every float of a font file (the blank, the cell width and the glyph records) is a size or a
// texture coordinate: a damaged file's not-a-number or huge value would spread through
// every line of text laid out with it.
bool NumbersValid(const uint8_t* file)
{
    const float kLargest = 1.0e6f;
    for (size_t offset = 16; offset + 4 <= CFont::kFileSize; offset += 4)
    {
        const float v = ReadFloat(file + offset);
        if (!(v >= -kLargest && v <= kLargest))
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// CFont

CFont::CFont(CRefPtr<CTexture> texture_)
    : texture(texture_), header{0, 0, 0, 0}, headerFloat2(0.0f), headerFloat3(0.0f),
      spaceAdvance(0.0f), cellWidth(0.0f), glyphs{}
{
}

int CFont::Load(const char* path)
{
    FILE* file = crt::fopen(path, "rb");
    if (!file)
        return 0;
    std::vector<uint8_t> bytes(kFileSize);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (read < bytes.size())
        return 0;

    const uint8_t* p = bytes.data();
    if (!NumbersValid(p))
    {
        LogText((std::string("Font ") + path + " holds a number that is not a size, left out\n").c_str());
        return 0;
    }
    for (int i = 0; i < 4; ++i)
        header[i] = ReadU32(p + 4 * i);
    headerFloat2 = float(int32_t(header[2]));
    headerFloat3 = float(int32_t(header[3]));
    cellWidth = ReadFloat(p + 20);
    for (int g = 0; g < kGlyphCount; ++g)
    {
        const uint8_t* r = p + 24 + 48 * g;
        CGlyph& glyph = glyphs[g];
        glyph.width = ReadFloat(r);
        glyph.height = ReadFloat(r + 4);
        glyph.left = ReadFloat(r + 8);
        for (int k = 0; k < 3; ++k)
            glyph.unused[k] = ReadFloat(r + 12 + 4 * k);
        glyph.advance = ReadFloat(r + 24);
        glyph.uLeft = ReadFloat(r + 28);
        glyph.vTop = ReadFloat(r + 32);
        glyph.uRight = ReadFloat(r + 36);
        glyph.vBottom = ReadFloat(r + 40);
        glyph.topOffset = ReadFloat(r + 44);
    }
    // The width of a blank in wrapping and justified lines.
    spaceAdvance = glyphs[size_t(' ')].advance;
    return 1;
}

// ---------------------------------------------------------------------------
// TextBasis

void TextBasis::SetAxes(const Vec3& x, const Vec3& y)
{
    xAxis = x;
    yAxis = y;
    SetScale(scaleX, scaleY);
}

void TextBasis::SetScale(float sx, float sy)
{
    scaleX = sx;
    scaleY = sy;
    scaledX = Mul(xAxis, sx);
    scaledY = Mul(yAxis, sy);
}

// ---------------------------------------------------------------------------
// CText

CText::CText(CRefPtr<CFont> font_)
    : font(font_), layer(-1), position{0, 0, 0}, xAxis{1, 0, 0}, yAxis{0, 1, 0}, zAxis{0, 0, 1},
      visible(1), wrapWidth(10.0f), scaleX(1.0f), scaleY(1.0f), alignment(kAlignLeft),
      colour(0xFFFFFFFFu), lineSpacing(1.5f), letterSpacing(0.0f), fixedWidth(0), flying(0),
      velocity{0, 0, 0}, alpha(1.0f), fadeRate(2.0f), timer(0.0f), lifetime(3.01f),
      fadeStart(1.0f), pulsing(0), pulseA{1, 1, 1, 1}, pulseB{1, 0, 0, 1}, phase(0.0f),
      phaseStep(0.6283185f), phaseSpeed(3.1415927f), leftExtent(0.0f), topExtent(0.0f),
      width(0.0f), height(0.0f), blended(1), srcBlend(5), destBlend(6), alphaFactor(1.0f),
      snap(0), reference{1, 1, 1, 1}
{
}

void CText::SetString(const char* value)
{
    text = value && *value ? value : " ";
    characters.clear();
    characters.reserve(text.size());
    for (unsigned char c : text)
        if (c != kLineFeed && c != kSoftBreak)
            characters.push_back(CTextChar{c, {0, 0, 0}, TextBasis(), 0});
    Relayout();
}

void CText::SetFontScale(float sx, float sy, int)
{
    scaleX = sx;
    scaleY = sy;
    Relayout();
}

void CText::Relayout()
{
    Layout();
    UpdateColors();
}

void CText::SetReferenceSize(float unitX, float unitY)
{
    snap = 1;
    reference[0] = 1.0f / unitX;
    reference[1] = 1.0f / unitY;
    reference[2] = unitX;
    reference[3] = unitY;
}

float CText::Advance(const CGlyph& glyph) const
{
    return fixedWidth ? scaleX * font->cellWidth : (glyph.advance + letterSpacing) * scaleX;
}

float CText::BlankAdvance() const
{
    return fixedWidth ? scaleX * font->cellWidth : font->spaceAdvance * scaleX;
}

void CText::Layout()
{
    leftExtent = 0.0f;
    topExtent = 0.0f;
    width = 0.0f;
    height = 0.0f;
    if (!font.IsValid())
        return;
    const CFont& f = *font;

    TextBasis basis;
    basis.scaleX = scaleX;
    basis.scaleY = scaleY;
    basis.SetAxes(xAxis, yAxis);

    size_t record = 0;
    float penY = 0.0f; // along the y axis; lines go against it
    float carryY = 0.0f;
    const size_t n = text.size();
    size_t lineStart = 0;
    for (;;)
    {
        size_t lineEnd = lineStart;
        while (lineEnd < n && text[lineEnd] != kLineFeed && text[lineEnd] != kSoftBreak)
            ++lineEnd;
        const bool softEnd = lineEnd < n && text[lineEnd] == kSoftBreak;

        float lineAdvance = 0.0f; // w: every character's advance
        float inkAdvance = 0.0f;  // s: the advances of the non-blank characters
        int blanks = 0;
        for (size_t k = lineStart; k < lineEnd; ++k)
        {
            const unsigned char c = static_cast<unsigned char>(text[k]);
            const float advance = Advance(f.glyphs[c]);
            lineAdvance += advance;
            if (c == ' ')
                ++blanks;
            else
                inkAdvance += advance;
        }

        float start = 0.0f;
        float justifiedBlank = 0.0f;
        switch (alignment)
        {
        case kAlignRight:
            start = -lineAdvance;
            leftExtent = std::min(leftExtent, start);
            width = std::max(width, lineAdvance);
            break;
        case kAlignCentre:
            start = -lineAdvance * 0.5f;
            if (snap)
                start = -reference[2] * std::floor(lineAdvance * 0.5f * reference[0]);
            if (start < leftExtent)
            {
                leftExtent = start;
                width = -start;
            }
            break;
        case kAlignJustify:
        {
            const float box = wrapWidth * scaleX;
            // Only a line that the wrap broke is stretched to the box; the last
            // line of a paragraph keeps its normal blanks.
            if (blanks >= 1 && inkAdvance <= box && softEnd)
                justifiedBlank = (box - inkAdvance) / float(blanks);
            else
                justifiedBlank = BlankAdvance();
            width = std::max(width, std::max(box, inkAdvance));
            break;
        }
        default:
            width = std::max(width, lineAdvance);
            break;
        }

        float penX = start;
        float carryX = 0.0f;
        for (size_t k = lineStart; k < lineEnd && record < characters.size(); ++k)
        {
            const unsigned char c = static_cast<unsigned char>(text[k]);
            const CGlyph& glyph = f.glyphs[c];
            float advance = Advance(glyph);
            if (alignment == kAlignJustify && c == ' ')
            {
                advance = justifiedBlank;
                if (snap)
                {
                    const float step = advance + carryX;
                    advance = reference[2] * std::floor(step * reference[0]);
                    carryX = step - advance;
                }
            }
            const float offset =
                fixedWidth ? (f.cellWidth - glyph.width) * 0.5f * scaleX : glyph.left * scaleX;
            CTextChar& rec = characters[record++];
            rec.code = c;
            rec.basis = basis;
            rec.position = Plus(Mul(xAxis, penX + offset), Mul(yAxis, penY));
            penX += advance;
        }

        float step = lineSpacing * scaleY;
        if (snap)
        {
            step += carryY;
            const float snapped = reference[3] * std::floor(step * reference[1]);
            carryY = step - snapped;
            step = snapped;
        }
        penY -= step;
        height -= step;
        if (lineEnd >= n)
            break;
        lineStart = lineEnd + 1;
    }
}

void CText::UpdateColors()
{
    const float colourAlpha = float(colour >> 24);
    const float red = float((colour >> 16) & 0xFF);
    const float green = float((colour >> 8) & 0xFF);
    const float blue = float(colour & 0xFF);
    const bool premultiplied = destBlend == 4;

    if (!pulsing)
    {
        // A flying text fades with its animated alpha; premultiplied colours
        // dim with the same factor.
        const float k = (flying ? alpha : 1.0f) * colourAlpha * alphaFactor;
        uint32_t rgb = colour & 0x00FFFFFFu;
        if (premultiplied)
            rgb = ClampByte(std::floor(red * k / 255.0f)) << 16 |
                  ClampByte(std::floor(green * k / 255.0f)) << 8 |
                  ClampByte(std::floor(blue * k / 255.0f));
        const uint32_t argb = ClampByte(std::floor(k)) << 24 | rgb;
        for (CTextChar& rec : characters)
            rec.colour = argb;
        return;
    }

    const float k = alpha * colourAlpha * alphaFactor;
    for (size_t i = 0; i < characters.size(); ++i)
    {
        const float angle = float(i) * phaseStep - phase;
        const float t = (1.0f - std::cos(angle)) * 0.5f;
        float c[4];
        for (int j = 0; j < 4; ++j)
            c[j] = pulseA[j] * (1.0f - t) + pulseB[j] * t;
        const float scale = premultiplied ? k : 255.0f;
        characters[i].colour = ClampByte(std::floor(c[3] * k)) << 24 |
                               ClampByte(std::floor(c[0] * scale)) << 16 |
                               ClampByte(std::floor(c[1] * scale)) << 8 |
                               ClampByte(std::floor(c[2] * scale));
    }
}

int CText::Animate(float dt)
{
    if (!flying && !pulsing)
        return 1;
    if (flying)
    {
        timer += dt;
        if (lifetime <= timer)
            return 0;
        position = Plus(position, Mul(velocity, dt));
        if (fadeRate >= 0.0f)
        {
            alpha = timer < fadeStart ? 1.0f : 1.0f - (timer - fadeStart) * fadeRate;
            if (alpha < 0.0f)
            {
                alpha = 0.0f;
                UpdateColors();
                return 0;
            }
        }
        else if (timer < fadeStart)
            alpha = 0.0f;
        else
        {
            const float remaining = lifetime - timer;
            alpha = remaining >= -1.0f / fadeRate ? -(timer - fadeStart) * fadeRate
                                                  : -(remaining * fadeRate);
            alpha = std::min(1.0f, std::max(0.0f, alpha));
        }
    }
    if (pulsing)
    {
        phase += dt * phaseSpeed;
        if (phase > kTwoPi)
            phase = std::fmod(phase, kTwoPi);
    }
    UpdateColors();
    return 1;
}

void CText::WrapText(const char* source, std::string& out, int) const
{
    out.clear();
    if (!source || !font.IsValid())
        return;
    const CFont& f = *font;
    auto charWidth = [&](unsigned char c) {
        if (fixedWidth)
            return f.cellWidth;
        return (c == ' ' ? f.spaceAdvance : f.glyphs[c].advance) + letterSpacing;
    };

    const std::string textIn = source;
    const size_t n = textIn.size();
    float lineWidth = 0.0f;
    size_t i = 0;
    while (i < n)
    {
        if (textIn[i] == kLineFeed)
        {
            out += kLineFeed;
            lineWidth = 0.0f;
            ++i;
            continue;
        }
        size_t end = i + 1;
        if (textIn[i] != ' ')
            while (end < n && textIn[end] != ' ' && textIn[end] != kLineFeed)
                ++end;
        const std::string word = textIn.substr(i, end - i);
        i = end;

        float wordWidth = 0.0f;
        for (unsigned char c : word)
            wordWidth += charWidth(c);

        if (lineWidth + wordWidth <= wrapWidth)
        {
            out += word;
            lineWidth += wordWidth;
            continue;
        }
        if (lineWidth > 0.0f)
        {
            if (!out.empty() && out.back() == ' ')
                out.pop_back();
            out += kSoftBreak;
            lineWidth = 0.0f;
        }
        if (word == " ")
            continue; // a blank does not start a line
        if (wordWidth <= wrapWidth)
        {
            out += word;
            lineWidth = wordWidth;
            continue;
        }
        // A word wider than the box is cut where it reaches the edge.
        for (unsigned char c : word)
        {
            const float w = charWidth(c);
            if (lineWidth + w <= wrapWidth)
            {
                out += char(c);
                lineWidth += w;
            }
            else if (lineWidth == 0.0f)
            {
                out += char(c);
                out += kSoftBreak;
            }
            else
            {
                out += kSoftBreak;
                out += char(c);
                lineWidth = w;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// CTextSet

CTextSet::CTextSet(CRefPtr<CDevice> device_, CRefPtr<CVertexBuffer> vertexBuffer_,
                   CRefPtr<CIndexBuffer> indexBuffer_)
    : device(device_), vertexBuffer(vertexBuffer_), indexBuffer(indexBuffer_)
{
}

CRefPtr<CText> CTextSet::Add(CRefPtr<CText> text)
{
    texts.push_back(text);
    return text;
}

void CTextSet::Remove(CRefPtr<CText> text)
{
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].Get() == text.Get())
        {
            texts.erase(texts.begin() + ptrdiff_t(i));
            return;
        }
}

void CTextSet::Update(float dt)
{
    for (size_t i = 0; i < texts.size();)
    {
        CText& text = *texts[i];
        if (text.visible && (text.flying || text.pulsing) && text.Animate(dt) == 0)
        {
            texts.erase(texts.begin() + ptrdiff_t(i));
            continue;
        }
        ++i;
    }
}

bool CTextSet::DrawText(const CText& text, DWORD fogEnabled, DWORD fogColour)
{
    const CFont& f = *text.font;
    // Long texts go in pieces that fit the shared buffers.
    const size_t maxQuads = QuadCapacity(*vertexBuffer, *indexBuffer);
    if (maxQuads == 0)
        return false;
    CDevice& dev = *device;
    for (size_t first = 0; first < text.characters.size(); first += maxQuads)
    {
        const size_t count = std::min(maxQuads, text.characters.size() - first);
        CVertex* v = nullptr;
        uint16_t* q = nullptr;
        if (FAILED(LockRun(*vertexBuffer, *indexBuffer, DWORD(count * 4), DWORD(count * 6), &v, &q)))
            return false;
        const uint32_t base = vertexBuffer->lockStart;
        for (size_t i = 0; i < count; ++i, v += 4, q += 6)
        {
            const CTextChar& rec = text.characters[first + i];
            const CGlyph& g = f.glyphs[rec.code & 0xFF];
            const Vec3& sx = rec.basis.scaledX;
            const Vec3& sy = rec.basis.scaledY;
            Vec3 p[4];
            p[0] = Plus(Plus(text.position, rec.position), Mul(sy, -g.topOffset));
            p[1] = Plus(p[0], Mul(sx, g.width));
            p[2] = Plus(p[1], Mul(sy, -g.height));
            p[3] = Plus(p[2], Mul(sx, -g.width));
            const float u[4] = {g.uLeft, g.uRight, g.uRight, g.uLeft};
            const float w[4] = {g.vTop, g.vTop, g.vBottom, g.vBottom};
            for (int k = 0; k < 4; ++k)
                v[k] = CVertex{p[k].x, p[k].y, p[k].z, rec.colour, u[k], w[k], u[k], w[k]};
            SetQuadIndices(q, base + uint32_t(i * 4));
        }
        vertexBuffer->Unlock();
        indexBuffer->Unlock();

        if (!text.blended)
            dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        else
        {
            dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
            dev.SetRenderState(D3DRS_SRCBLEND, DWORD(text.srcBlend));
            dev.SetRenderState(D3DRS_DESTBLEND, DWORD(text.destBlend));
            // Fog must not tint what is added to the picture.
            if (fogEnabled)
                dev.SetRenderState(D3DRS_FOGCOLOR,
                                   text.destBlend == 2 || text.destBlend == 4 ? 0 : fogColour);
        }
        dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexBuffer->lockStart, UINT(count * 4),
                                 indexBuffer->lockStart, UINT(count * 2));
    }
    return true;
}

void CTextSet::BeginFrame()
{
    m_byPass.clear();
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i]->visible)
            m_byPass.emplace_back(texts[i]->layer, i);
    std::stable_sort(m_byPass.begin(), m_byPass.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    m_framed = true;
}

void CTextSet::CollectPass(int pass, std::vector<size_t>& out) const
{
    out.clear();
    if (!m_framed)
    {
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i]->visible && texts[i]->layer == pass)
                out.push_back(i);
        return;
    }
    auto first = std::lower_bound(m_byPass.begin(), m_byPass.end(), pass,
                                  [](const auto& entry, int p) { return entry.first < p; });
    for (auto it = first; it != m_byPass.end() && it->first == pass; ++it)
        if (it->second < texts.size() && texts[it->second]->visible && texts[it->second]->layer == pass)
            out.push_back(it->second);
}

void CTextSet::Draw(int pass)
{
    if (texts.empty() || !device.IsValid() || !vertexBuffer.IsValid() || !indexBuffer.IsValid())
        return;
    CollectPass(pass, m_pass);
    CDevice& dev = *device;
    m_drawn.assign(m_pass.size(), 0);
    const DWORD fogEnabled = CurrentRenderState(dev, D3DRS_FOGENABLE);
    const DWORD fogColour = CurrentRenderState(dev, D3DRS_FOGCOLOR);
    dev.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    dev.SetRenderState(D3DRS_ALPHAREF, 0);
    dev.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);

    // One walk per font: the texts of the walk's font are drawn, the first text of
    // another font starts the next walk. The first walk takes the font of the set's
    // first text.
    CRefPtr<CFont> walkFont = texts[0]->font;
    size_t start = 0;
    for (;;)
    {
        if (walkFont.IsValid())
            dev.SetTexture(0, walkFont->texture);
        else
            dev.SetTexture(0, CRefPtr<CTexture>());
        size_t pending = m_pass.size();
        for (size_t k = start; k < m_pass.size(); ++k)
        {
            const CText& text = *texts[m_pass[k]];
            if (m_drawn[k])
                continue;
            const bool sameFont =
                text.font.SameAs(walkFont) || (!text.font.IsValid() && !walkFont.IsValid());
            if (!sameFont)
            {
                if (pending == m_pass.size())
                    pending = k;
                continue;
            }
            m_drawn[k] = 1;
            if (!text.font.IsValid() || text.characters.empty())
                continue;
            if (!DrawText(text, fogEnabled, fogColour))
            {
                pending = m_pass.size(); // a failed lock ends the draw
                break;
            }
        }
        if (pending == m_pass.size())
            break;
        start = pending;
        walkFont = texts[m_pass[start]]->font;
    }
    if (fogEnabled)
        dev.SetRenderState(D3DRS_FOGCOLOR, fogColour);
}
