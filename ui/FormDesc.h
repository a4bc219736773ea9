// The form description file (".kmf" in "Data\Forms\"): one screen or dialog as
// a form with its place and size on a design screen, an optional tiled frame,
// symbolic widget ids and a list of elements (statics, buttons, checkboxes,
// scrollers, progress bars) with their pictures per visual state, texts and
// layout values. CFormDesc reads, checks and scales one file into element
// records; the form loader (ui/FormLoader.h) owns one while it builds a form.
#pragma once

#include "engine/RefPtr.h"

#include <cstdint>
#include <string>
#include <vector>

class CDevice;
class CTokenizer;

// Element types; the numbers are the widget classes' window types.
enum
{
    kElementStatic = 2,
    kElementButton = 3,
    kElementCheckbox = 4,
    kElementScroller = 5,
    kElementProgressbar = 6,
};

// Indices of an element's six state records. PRESSED, SCROLLER and PROGRESS
// share index 1: which one applies depends on the element's type.
enum
{
    kStateNormal = 0,
    kStatePressed = 1,
    kStateScroller = 1,
    kStateProgress = 1,
    kStateOver = 2,
    kStateDisabled = 3,
    kStateOverPressed = 4,
    kStatePressedDisabled = 5,
    kStateCount = 6,
};

// One visual state of an element: the picture's four corners in texels and as
// texture coordinates (top-left, top-right, bottom-right, bottom-left), and the
// caption colour of the state.
struct CFormStateDesc
{
    int32_t defined = 0;
    float texels[8] = {0, 0, 256, 0, 256, 256, 0, 256};
    float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    int32_t hasTextColour = 0;
    uint32_t textColour = 0xFFFFFFFFu;
};

// One ELEMENT block. Values as read from the file; the "scaled" members are in
// virtual-screen units, positions relative to the form's centre with y upward.
class CFormElementDesc
{
public:
    CFormElementDesc();

    // Parses one element block from the tokenizer, which stands right after the
    // ELEMENT keyword. False leaves the message in errorText.
    bool Parse(CTokenizer& tokenizer);
    // A picture needs a NORMAL state and a texture; a pure text needs neither.
    bool Check();

    float targetWidth = 1024.0f;
    int32_t type = kElementStatic;
    std::string idName;
    int32_t id = 0;
    float position[3] = {0, 0, 0};
    float scaledPosition[3] = {0, 0, 0};
    float size[2] = {0, 0};
    float scaledSize[2] = {0, 0};
    int32_t zOrder = 0;
    int32_t hasPicture = 0;
    float picturePosition[3] = {0, 0, 0};
    float scaledPictureOffset[3] = {0, 0, 0};
    float pictureSize[2] = {0, 0};
    float scaledPictureSize[2] = {0, 0};
    int32_t hasText = 0;
    std::string text;
    float textOffset[3] = {0, 0, 0};
    float scaledTextOffset[3] = {0, 0, 0};
    uint32_t textColour = 0xFFFFFFFFu;
    float charScale[2] = {1, 1};
    int32_t alignment = 0;
    int32_t hasSpecialWidth = 0;
    float specialWidth = 512.0f;
    float scaledSpecialWidth = 1.0f;
    float interval = 1.5f;
    int32_t font = 0;
    int32_t hasShadow = 0;
    float shadowOffset[2] = {2.0f, -2.0f};
    float scaledShadowOffset[2] = {1.0f / 256.0f, -1.0f / 256.0f};
    float shadowDepthOffset = 0.0005f;
    uint32_t shadowColour = 0x80000000u;
    std::string textureName;
    float textureSize[2] = {256.0f, 256.0f};
    uint32_t colour = 0xFFFFFFFFu;
    std::vector<CFormStateDesc> states;
    int32_t blendMode = 0;
    int32_t hasInterrupt = 0;
    int32_t interrupt = -1;
    float scrollerSize[2] = {0, 0};
    float scaledScrollerSize[2] = {0, 0};
    float centreShift[2] = {0, 0};
    float scaledCentreShift[2] = {0, 0};
    float widthFactor = 0.9f;
    int32_t horizontal = 1;
    std::string errorText;

};

// The layout rule of one element: scales its file values to the virtual screen,
// with positions relative to the given origin (the form's top-left corner
// measured from its centre).
class CFormLayout
{
public:
    static void Scale(CFormElementDesc& element, float screenWidth, float originX, float originY);
};

class CFormDesc
{
public:
    CFormDesc() = default;

    // Read, Check, Scale, ResolveIds and CheckTextures, stopping at the first
    // that fails; the form loader passes the screen's top-left corner (-512, 384).
    bool Load(const char* path, CRefPtr<CDevice> device, float originX, float originY);
    // Adds the file's statements to the description (it is not cleared first).
    bool Read(const char* path);
    bool Check();
    void Scale(float originX, float originY);
    bool ResolveIds();
    bool CheckTextures(CRefPtr<CDevice> device);
    void Clear();

    float targetWidth = 1024.0f;
    float screenWidth = 1024.0f;
    std::vector<std::string> idNames;
    std::vector<int32_t> idValues;
    float position[3] = {0, 0, 0};
    float scaledPosition[3] = {0, 0, 0};
    float size[2] = {0, 0};
    float scaledSize[2] = {0, 0};
    std::vector<CRefPtr<CFormElementDesc>> elements;
    uint32_t colour = 0xFFFFFFFFu;
    int32_t hasTiling = 0;
    std::string cornersTexture;
    std::string sidesTexture;
    std::string backgroundTexture;
    float hTile[2] = {512.0f, 512.0f};
    float vTile[2] = {512.0f, 512.0f};
    // Horizontal period, horizontal thickness, vertical thickness, vertical period.
    float scaledTiles[4] = {1, 1, 1, 1};
    std::string errorText;
};

// Reads one colour value: eight hexadecimal digits (AARRGGBB) in one token, or
// "(" red green blue alpha ")" with optional "%" and "," after each component.
bool ParseColorValue(uint32_t* out, CTokenizer& tokenizer);
