// Makes the game's bitmap fonts: every code-page-1251 character that the font
// has is rendered with FreeType into one glyph picture (white, coverage in
// alpha, a power-of-two TGA) and described in the game's .kfd glyph table.
//
// Glyph metrics are stored in units of the font's pixel size (header word 3),
// so a text drawn with that size as its character scale comes out pixel for
// pixel as rendered here. The pen of a line sits on the line's ascender: the
// top offset of a glyph is its distance down from there.
//
// Usage: fontgen <game folder>   (writes <game folder>/Data/Fonts/*.kfd, *.tga)

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kFontFolder = "/usr/share/fonts/truetype/dejavu/";

struct FontSpec
{
    const char* name;      // file names in the fonts folder: name.kfd, name.tga
    const char* face;      // DejaVu face from fonts-dejavu-core
    int pixelSize;         // em size in pixels the glyphs are rendered at
    int drawSize;          // the size texts scale by (header word 3)
    int textureWidth;
    int textureHeight;
};

// Font is the main font (shop, widgets, FPS text). The others are meant as the
// extra fonts of the list file, in this order: the small font of the gem bar
// counter, then the large title font of the pop-up messages. The title font is
// rendered large for sharp captions but drawn at a smaller size, so that the
// pop-ups, which scale by the font's own size, stay inside the board.
const FontSpec kFonts[] = {
    {"Font", "DejaVuSans-Bold.ttf", 32, 32, 512, 512},
    {"FontSmall", "DejaVuSans-Bold.ttf", 20, 20, 512, 256},
    {"FontTitle", "DejaVuSerif-Bold.ttf", 48, 28, 1024, 512},
};

// Unicode code points of the bytes 0x80..0xFF of code page 1251 (0 = unused).
const uint16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: the Cyrillic capitals and small letters in order.
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

uint32_t CodePoint(int byte)
{
    if (byte < 32 || byte == 127)
        return 0;
    if (byte < 128)
        return uint32_t(byte);
    return kCp1251High[byte - 128];
}

// Twelve floats per glyph, in the order of the .kfd record.
struct GlyphRecord
{
    float width = 0, height = 0, left = 0;
    float pixelWidth = 0, pixelHeight = 0, pixelTop = 0; // informative only
    float advance = 0;
    float uLeft = 0, vTop = 0, uRight = 0, vBottom = 0;
    float topOffset = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutFloat(std::vector<uint8_t>& out, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(out, v);
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Uncompressed 32-bit TGA, rows stored bottom-up, white with coverage as alpha.
std::vector<uint8_t> EncodeTga(const std::vector<uint8_t>& coverage, int width, int height)
{
    std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                uint8_t(width), uint8_t(width >> 8),
                                uint8_t(height), uint8_t(height >> 8), 32, 8};
    out.reserve(out.size() + size_t(width) * height * 4);
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
        {
            out.insert(out.end(), {255, 255, 255});
            out.push_back(coverage[size_t(y) * width + x]);
        }
    return out;
}

bool MakeFont(FT_Library library, const FontSpec& spec, const std::filesystem::path& folder)
{
    const std::string facePath = std::string(kFontFolder) + spec.face;
    FT_Face face;
    if (FT_New_Face(library, facePath.c_str(), 0, &face) != 0)
    {
        std::fprintf(stderr, "fontgen: cannot open %s\n", facePath.c_str());
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(spec.pixelSize));
    const float em = float(spec.pixelSize);
    const int ascender = int(face->size->metrics.ascender >> 6);
    const int lineHeight = int((face->size->metrics.ascender - face->size->metrics.descender) >> 6);

    const int texW = spec.textureWidth;
    const int texH = spec.textureHeight;
    std::vector<uint8_t> coverage(size_t(texW) * texH, 0);
    GlyphRecord glyphs[256];

    // Shelf packing in code order, one empty texel around every glyph so that
    // filtering never reaches a neighbour.
    int penX = 1, penY = 1, shelfHeight = 0;
    for (int code = 0; code < 256; ++code)
    {
        const uint32_t cp = CodePoint(code);
        if (cp == 0)
            continue;
        const FT_UInt index = FT_Get_Char_Index(face, cp);
        if (index == 0 && cp != 0x20 && cp != 0xA0)
            continue;
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int w = int(bitmap.width);
        const int h = int(bitmap.rows);

        GlyphRecord& g = glyphs[code];
        g.advance = float(slot->advance.x) / 64.0f / em;
        g.left = float(slot->bitmap_left) / em;
        g.topOffset = float(ascender - slot->bitmap_top) / em;
        g.width = float(w) / em;
        g.height = float(h) / em;
        g.pixelWidth = float(w);
        g.pixelHeight = float(h);
        g.pixelTop = float(slot->bitmap_top);
        if (w == 0 || h == 0)
            continue;

        if (penX + w + 1 > texW)
        {
            penX = 1;
            penY += shelfHeight + 1;
            shelfHeight = 0;
        }
        if (penY + h + 1 > texH)
        {
            std::fprintf(stderr, "fontgen: %s does not fit %dx%d\n", spec.name, texW, texH);
            FT_Done_Face(face);
            return false;
        }
        for (int y = 0; y < h; ++y)
            std::memcpy(&coverage[size_t(penY + y) * texW + penX],
                        bitmap.buffer + ptrdiff_t(y) * bitmap.pitch, size_t(w));
        g.uLeft = float(penX) / float(texW);
        g.uRight = float(penX + w) / float(texW);
        g.vTop = float(penY) / float(texH);
        g.vBottom = float(penY + h) / float(texH);
        penX += w + 1;
        if (h > shelfHeight)
            shelfHeight = h;
    }
    FT_Done_Face(face);

    std::vector<uint8_t> kfd;
    kfd.reserve(12312);
    PutU32(kfd, 0x3144464Bu); // "KFD1"
    PutU32(kfd, uint32_t(texW));
    PutU32(kfd, uint32_t(lineHeight));
    PutU32(kfd, uint32_t(spec.drawSize)); // the size texts scale by
    PutFloat(kfd, glyphs[int(' ')].advance);
    PutFloat(kfd, glyphs[int('0')].advance); // digits share one advance: fixed cells
    for (const GlyphRecord& g : glyphs)
        for (float f : {g.width, g.height, g.left, g.pixelWidth, g.pixelHeight, g.pixelTop,
                        g.advance, g.uLeft, g.vTop, g.uRight, g.vBottom, g.topOffset})
            PutFloat(kfd, f);

    const std::string name = spec.name;
    if (!WriteFile(folder / (name + ".kfd"), kfd) ||
        !WriteFile(folder / (name + ".tga"), EncodeTga(coverage, texW, texH)))
    {
        std::fprintf(stderr, "fontgen: cannot write %s\n", spec.name);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: fontgen <game folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "Data" / "Fonts";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
    {
        std::fprintf(stderr, "fontgen: FreeType failed to start\n");
        return 1;
    }
    bool ok = true;
    for (const FontSpec& spec : kFonts)
        ok = MakeFont(library, spec, folder) && ok;
    FT_Done_FreeType(library);
    return ok ? 0 : 1;
}
