#include "ui/FormDesc.h"

#include "engine/Random.h" // ParseHex
#include "engine/StringTable.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"
#include "render/Device.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// What the readers throw inside; their entry turns it into the message.
enum ReadError
{
    kErrorEndOfFile = 1,
    kErrorUnexpected = 2,
    kErrorElement = 3,
    kErrorColour = 4,
};

// The reading state shared by the statement and element readers: the token in
// hand (as compared, upper-cased where a keyword was expected) for messages.
struct Reader
{
    explicit Reader(CTokenizer& t) : tokenizer(t) {}

    // The next token; the end of the file where one is required is an error.
    const char* Next()
    {
        if (tokenizer.NextToken(token) == 0)
            throw int(kErrorEndOfFile);
        return token;
    }

    const char* NextKeyword()
    {
        Next();
        StrUpper(token);
        return token;
    }

    float Float() { return float(std::atof(Next())); }
    int32_t Int() { return int32_t(std::atoi(Next())); }

    void Floats(float* out, int n)
    {
        for (int i = 0; i < n; ++i)
            out[i] = Float();
    }

    uint32_t Colour()
    {
        uint32_t value = 0;
        if (!ParseColorValue(&value, tokenizer))
            throw int(kErrorColour);
        return value;
    }

    // A texture name, without its quotes.
    std::string Name()
    {
        Next();
        char stripped[CTokenizer::kTokenSize];
        std::strcpy(stripped, token);
        StripQuotes(token, stripped);
        return stripped;
    }

    bool Is(const char* keyword) const { return std::strcmp(token, keyword) == 0; }

    CTokenizer& tokenizer;
    char token[CTokenizer::kTokenSize] = {};
};

std::string Message(int code, const char* token, int line)
{
    char buffer[CTokenizer::kTokenSize + 64];
    switch (code)
    {
    case kErrorEndOfFile:
        return "Unexpected end of file";
    case kErrorUnexpected:
        std::snprintf(buffer, sizeof buffer, "Unexpected token \"%s\", line %d", token, line);
        return buffer;
    case kErrorColour:
        std::snprintf(buffer, sizeof buffer, "Wrong color, line %d", line);
        return buffer;
    default:
        return "Unknown error";
    }
}

float Divisor(float value)
{
    return value == 0.0f ? 1.0f : value;
}

} // namespace

// ---------------------------------------------------------------------------
// Colours

bool ParseColorValue(uint32_t* out, CTokenizer& tokenizer)
{
    char token[CTokenizer::kTokenSize];
    if (tokenizer.NextToken(token) == 0)
        return false;
    if (std::strcmp(token, "(") != 0)
    {
        *out = ParseHex(token);
        return true;
    }

    // Each component may be followed by "%" and then ","; the token after them
    // is already the next component (or the closing bracket), so one is kept
    // in hand across the loop.
    if (tokenizer.NextToken(token) == 0)
        return false;
    int32_t components[4];
    for (int i = 0; i < 4; ++i)
    {
        long value = std::atol(token);
        if (value < 0)
            value = 0;
        if (tokenizer.NextToken(token) == 0)
            return false;
        if (std::strcmp(token, "%") == 0)
        {
            if (value > 100)
                value = 100;
            value = 255 * value / 100;
            if (tokenizer.NextToken(token) == 0)
                return false;
        }
        if (std::strcmp(token, ",") == 0 && tokenizer.NextToken(token) == 0)
            return false;
        components[i] = int32_t(value > 255 ? 255 : value);
    }
    if (std::strcmp(token, ")") != 0)
        return false;
    *out = uint32_t(components[3]) << 24 | uint32_t(components[0]) << 16 |
           uint32_t(components[1]) << 8 | uint32_t(components[2]);
    return true;
}

// ---------------------------------------------------------------------------
// Elements

CFormElementDesc::CFormElementDesc() : states(kStateCount) {}

namespace {

// Which state names each element type takes after STATE (and after TEXTSTATE).
int StateIndex(int32_t type, const char* name, bool textState)
{
    const bool button = type == kElementButton || type == kElementCheckbox;
    if (std::strcmp(name, "NORMAL") == 0)
        return textState ? -1 : kStateNormal;
    if (std::strcmp(name, "PRESSED") == 0)
        return button ? kStatePressed : -1;
    if (std::strcmp(name, "SCROLLER") == 0)
        return !textState && type == kElementScroller ? kStateScroller : -1;
    if (std::strcmp(name, "PROGRESS") == 0)
        return !textState && type == kElementProgressbar ? kStateProgress : -1;
    if (std::strcmp(name, "OVER") == 0)
        return button ? kStateOver : -1;
    if (std::strcmp(name, "DISABLED") == 0)
        return button || type == kElementScroller ? kStateDisabled : -1;
    if (std::strcmp(name, "OVERPRESSED") == 0)
        return type == kElementCheckbox ? kStateOverPressed : -1;
    if (std::strcmp(name, "PRESSEDDISABLED") == 0)
        return type == kElementCheckbox ? kStatePressedDisabled : -1;
    return -1;
}

[[noreturn]] void Unexpected()
{
    throw int(kErrorUnexpected);
}

// The element's type keyword, an optional ID and the opening brace.
void ParseElementHead(CFormElementDesc& e, Reader& in)
{
    in.NextKeyword();
    if (in.Is("STATIC"))
        e.type = kElementStatic;
    else if (in.Is("BUTTON"))
        e.type = kElementButton;
    else if (in.Is("CHECKBOX"))
        e.type = kElementCheckbox;
    else if (in.Is("SCROLLER"))
        e.type = kElementScroller;
    else if (in.Is("PROGRESSBAR"))
        e.type = kElementProgressbar;
    else
        Unexpected();

    in.NextKeyword();
    if (in.Is("ID"))
    {
        e.idName = in.Next();
        in.Next();
    }
    if (!in.Is("{"))
        Unexpected();
}

// A TEXT line is either quoted or the name of a string in the string table.
void ParseTextLine(CFormElementDesc& e, Reader& in)
{
    in.Next();
    std::string line;
    if (in.token[0] == '"')
    {
        char stripped[CTokenizer::kTokenSize];
        StripQuotes(in.token, stripped);
        line = stripped;
    }
    else
    {
        char found[2047];
        line = GetStringByName(in.token, found, int(sizeof found)) > 0 ? found : in.token;
    }
    if (!e.text.empty())
        e.text += '\n';
    e.text += line;
}

void ParseAlignment(CFormElementDesc& e, Reader& in)
{
    in.NextKeyword();
    if (in.Is("LEFT"))
        e.alignment = 0;
    else if (in.Is("RIGHT"))
        e.alignment = 1;
    else if (in.Is("CENTER"))
        e.alignment = 2;
    else if (in.Is("WIDTH"))
        e.alignment = 3;
    else
        Unexpected();
}

// Keywords that describe the element's text; each one turns the text on.
bool ParseTextKeyword(CFormElementDesc& e, Reader& in)
{
    if (in.Is("TEXT"))
        ParseTextLine(e, in);
    else if (in.Is("TEXTCOLOR"))
        e.textColour = in.Colour();
    else if (in.Is("NOTESHIFT"))
        in.Floats(e.textOffset, 3);
    else if (in.Is("CHARSIZE"))
        in.Floats(e.charScale, 2);
    else if (in.Is("ALIGNMENT"))
        ParseAlignment(e, in);
    else if (in.Is("SPECIALNOTEWIDTH"))
    {
        e.specialWidth = in.Float();
        e.hasSpecialWidth = 1;
    }
    else if (in.Is("TEXTSHADOW"))
        e.hasShadow = 1;
    else if (in.Is("TEXTSHADOWSHIFT"))
    {
        in.Floats(e.shadowOffset, 2);
        e.hasShadow = 1;
    }
    else if (in.Is("TEXTSHADOWCOLOR"))
    {
        e.shadowColour = in.Colour();
        e.hasShadow = 1;
    }
    else if (in.Is("INTERVAL"))
        e.interval = in.Float();
    else if (in.Is("FONT"))
        e.font = in.Int();
    else
        return false;
    e.hasText = 1;
    return true;
}

void ParseFilter(CFormElementDesc& e, Reader& in)
{
    in.NextKeyword();
    if (in.Is("ADD"))
        e.blendMode = 1;
    else if (in.Is("MUL"))
        e.blendMode = 2;
    else if (in.Is("SCREEN"))
        e.blendMode = 3;
    else
        Unexpected();
}

// Keywords for place, size, picture, texture and blending.
bool ParseLookKeyword(CFormElementDesc& e, Reader& in)
{
    if (in.Is("POSITION"))
        in.Floats(e.position, 3);
    else if (in.Is("SIZE"))
        in.Floats(e.size, 2);
    else if (in.Is("ZORDER"))
        e.zOrder = in.Int();
    else if (in.Is("PICTURE"))
    {
        in.Floats(e.picturePosition, 3);
        e.hasPicture = 1;
        if (e.pictureSize[0] == 0.0f && e.pictureSize[1] == 0.0f)
        {
            e.pictureSize[0] = e.size[0];
            e.pictureSize[1] = e.size[1];
        }
    }
    else if (in.Is("PICTURESIZE"))
    {
        in.Floats(e.pictureSize, 2);
        e.hasPicture = 1;
    }
    else if (in.Is("TEXTURE"))
        e.textureName = in.Name();
    else if (in.Is("TEXTURESIZE"))
        in.Floats(e.textureSize, 2);
    else if (in.Is("COLOR"))
        e.colour = in.Colour();
    else if (in.Is("FILTER"))
        ParseFilter(e, in);
    else if (in.Is("INTERRUPT"))
    {
        e.interrupt = in.Int();
        e.hasInterrupt = 1;
    }
    else
        return false;
    return true;
}

// Keywords only scrollers (and, for VERTICAL, progress bars) take.
bool ParseScrollerKeyword(CFormElementDesc& e, Reader& in)
{
    const bool scroller = e.type == kElementScroller;
    if (scroller && in.Is("SCROLLERSIZE"))
        in.Floats(e.scrollerSize, 2);
    else if (scroller && in.Is("CENTERSHIFT"))
        in.Floats(e.centreShift, 2);
    else if (scroller && in.Is("WIDTHFACTOR"))
        e.widthFactor = in.Float();
    else if ((scroller || e.type == kElementProgressbar) && in.Is("VERTICAL"))
        e.horizontal = 0;
    else
        return false;
    return true;
}

// STATE gives a state's texels, TEXTSTATE its text colour.
bool ParseStateKeyword(CFormElementDesc& e, Reader& in)
{
    if (!in.Is("STATE") && !in.Is("TEXTSTATE"))
        return false;
    const bool textState = in.Is("TEXTSTATE");
    in.NextKeyword();
    const int index = StateIndex(e.type, in.token, textState);
    if (index < 0)
        Unexpected();
    CFormStateDesc& state = e.states[size_t(index)];
    if (textState)
    {
        state.textColour = in.Colour();
        state.hasTextColour = 1;
    }
    else
    {
        in.Floats(state.texels, 8);
        state.defined = 1;
    }
    return true;
}

void ParseElementBody(CFormElementDesc& e, Reader& in)
{
    ParseElementHead(e, in);
    for (;;)
    {
        in.NextKeyword();
        if (in.Is("}"))
            return;
        if (!ParseLookKeyword(e, in) && !ParseTextKeyword(e, in) && !ParseScrollerKeyword(e, in) &&
            !ParseStateKeyword(e, in))
            Unexpected();
    }
}

} // namespace

bool CFormElementDesc::Parse(CTokenizer& tokenizer)
{
    Reader in(tokenizer);
    try
    {
        ParseElementBody(*this, in);
        return true;
    }
    catch (int code)
    {
        errorText = Message(code, in.token, tokenizer.lineNumber);
        return false;
    }
}

bool CFormElementDesc::Check()
{
    const bool normal = states[kStateNormal].defined != 0;
    if (!normal)
    {
        bool otherState = false;
        for (size_t i = 1; i < states.size(); ++i)
            otherState = otherState || states[i].defined;
        if (!textureName.empty() || type == kElementScroller || type == kElementProgressbar ||
            otherState)
        {
            errorText = "Normal state not found";
            return false;
        }
        return true;
    }
    if (textureName.empty())
    {
        errorText = "Texture name not set";
        return false;
    }
    if (type == kElementScroller && !states[kStateScroller].defined)
    {
        errorText = "Scroller state not found";
        return false;
    }
    if (type == kElementProgressbar && !states[kStateProgress].defined)
    {
        errorText = "Progress state not found";
        return false;
    }
    return true;
}

void CFormLayout::Scale(CFormElementDesc& e, float screenWidth, float originX, float originY)
{
    const float r = e.targetWidth / screenWidth;
    e.scaledSize[0] = e.size[0] * r;
    e.scaledSize[1] = e.size[1] * r;
    e.scaledPosition[0] = originX + e.position[0] * r + e.scaledSize[0] / 2;
    e.scaledPosition[1] = originY - e.position[1] * r - e.scaledSize[1] / 2;
    e.scaledPosition[2] = e.position[2];
    if (e.hasPicture)
    {
        e.scaledPictureSize[0] = e.pictureSize[0] * r;
        e.scaledPictureSize[1] = e.pictureSize[1] * r;
        e.scaledPictureOffset[0] =
            (e.picturePosition[0] + e.pictureSize[0] / 2 - e.size[0] / 2) * r;
        e.scaledPictureOffset[1] =
            -(e.picturePosition[1] + e.pictureSize[1] / 2 - e.size[1] / 2) * r;
        e.scaledPictureOffset[2] = e.picturePosition[2];
    }
    e.scaledTextOffset[0] = e.textOffset[0] * r;
    e.scaledTextOffset[1] = e.textOffset[1] * r;
    e.scaledTextOffset[2] = e.textOffset[2];
    e.scaledSpecialWidth = e.specialWidth * r;
    e.scaledShadowOffset[0] = e.shadowOffset[0] * r;
    e.scaledShadowOffset[1] = e.shadowOffset[1] * r;
    const float tw = Divisor(e.textureSize[0]);
    const float th = Divisor(e.textureSize[1]);
    for (CFormStateDesc& s : e.states)
        for (int corner = 0; corner < 4; ++corner)
        {
            s.uv[2 * corner] = s.texels[2 * corner] / tw;
            s.uv[2 * corner + 1] = s.texels[2 * corner + 1] / th;
        }
    e.scaledScrollerSize[0] = e.scrollerSize[0] * r;
    e.scaledScrollerSize[1] = e.scrollerSize[1] * r;
    e.scaledCentreShift[0] = e.centreShift[0] * r;
    e.scaledCentreShift[1] = e.centreShift[1] * r;
}

// ---------------------------------------------------------------------------
// The form

bool CFormDesc::Load(const char* path, CRefPtr<CDevice> device, float originX, float originY)
{
    if (!Read(path) || !Check())
        return false;
    Scale(originX, originY);
    return ResolveIds() && CheckTextures(device);
}

namespace {

void ReadTiling(CFormDesc& d, Reader& in)
{
    // The bracket is compared as read, not upper-cased.
    if (std::strcmp(in.Next(), "{") != 0)
        throw int(kErrorUnexpected);
    d.hasTiling = 1;
    for (;;)
    {
        in.NextKeyword();
        if (in.Is("}"))
            return;
        if (in.Is("CORNERS"))
            d.cornersTexture = in.Name();
        else if (in.Is("SIDES"))
            d.sidesTexture = in.Name();
        else if (in.Is("BACKGROUND"))
            d.backgroundTexture = in.Name();
        else if (in.Is("HTILE"))
            in.Floats(d.hTile, 2);
        else if (in.Is("VTILE"))
            in.Floats(d.vTile, 2);
        // Anything else inside the block is passed over.
    }
}

void ReadStatements(CFormDesc& d, Reader& in)
{
    for (;;)
    {
        if (in.tokenizer.NextToken(in.token) == 0)
            return;
        StrUpper(in.token);
        if (in.Is("SCREENWIDTH"))
            d.screenWidth = in.Float();
        else if (in.Is("DEFINE"))
        {
            d.idNames.push_back(in.Next());
            d.idValues.push_back(in.Int());
        }
        else if (in.Is("POSITION"))
            in.Floats(d.position, 3);
        else if (in.Is("SIZE"))
            in.Floats(d.size, 2);
        else if (in.Is("COLOR"))
            d.colour = in.Colour();
        else if (in.Is("ELEMENT"))
        {
            CRefPtr<CFormElementDesc> element(new CFormElementDesc);
            element->targetWidth = d.targetWidth;
            if (!element->Parse(in.tokenizer))
            {
                d.errorText = element->errorText;
                throw int(kErrorElement);
            }
            d.elements.push_back(element);
        }
        else if (in.Is("TILING"))
            ReadTiling(d, in);
        else
            throw int(kErrorUnexpected);
    }
}

} // namespace

bool CFormDesc::Read(const char* path)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path) != 0)
    {
        errorText = std::string("Unable to open file ") + path;
        return false;
    }
    Reader in(tokenizer);
    try
    {
        ReadStatements(*this, in);
    }
    catch (int code)
    {
        if (code != kErrorElement)
            errorText = Message(code, in.token, tokenizer.lineNumber);
        tokenizer.Close();
        return false;
    }
    tokenizer.Close();
    return true;
}

bool CFormDesc::Check()
{
    if (hasTiling && (cornersTexture.empty() || sidesTexture.empty() || backgroundTexture.empty()))
    {
        errorText = "Not all tiling textures set";
        return false;
    }
    for (const CRefPtr<CFormElementDesc>& element : elements)
        if (!element->Check())
        {
            errorText = element->errorText;
            return false;
        }
    // Also keeps Scale from dividing by zero.
    if (!(screenWidth >= 1.0f))
    {
        errorText = "ScreenWidth is too small";
        return false;
    }
    return true;
}

void CFormDesc::Scale(float originX, float originY)
{
    const float r = targetWidth / screenWidth;
    scaledSize[0] = size[0] * r;
    scaledSize[1] = size[1] * r;
    scaledPosition[0] = originX + position[0] * r + scaledSize[0] / 2;
    scaledPosition[1] = originY - position[1] * r - scaledSize[1] / 2;
    scaledPosition[2] = position[2];
    scaledTiles[0] = hTile[0] * r;
    scaledTiles[1] = hTile[1] * r;
    scaledTiles[2] = vTile[0] * r;
    scaledTiles[3] = vTile[1] * r;
    for (const CRefPtr<CFormElementDesc>& element : elements)
        CFormLayout::Scale(*element, screenWidth, -scaledSize[0] / 2, scaledSize[1] / 2);
}

bool CFormDesc::ResolveIds()
{
    for (const CRefPtr<CFormElementDesc>& element : elements)
    {
        if (element->idName.empty())
        {
            element->id = 0;
            continue;
        }
        size_t i = 0;
        while (i < idNames.size() && idNames[i] != element->idName)
            ++i;
        if (i == idNames.size())
        {
            errorText = "ID " + element->idName + " not found";
            return false;
        }
        element->id = idValues[i];
    }
    return true;
}

bool CFormDesc::CheckTextures(CRefPtr<CDevice> device)
{
    auto known = [&](const std::string& name) {
        if (device.IsValid() && device->GetTextureByNameStr(name).IsValid())
            return true;
        errorText = "Texture " + name + " not found";
        return false;
    };
    if (hasTiling && !(known(cornersTexture) && known(sidesTexture) && known(backgroundTexture)))
        return false;
    for (const CRefPtr<CFormElementDesc>& element : elements)
        if (element->states[kStateNormal].defined && !known(element->textureName))
            return false;
    return true;
}

void CFormDesc::Clear()
{
    idNames.clear();
    idValues.clear();
    elements.clear();
    cornersTexture.clear();
    sidesTexture.clear();
    backgroundTexture.clear();
    errorText.clear();
}
