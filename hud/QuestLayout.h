// CQuestLayout: the look of the quest play screen from "Skin.cfg": the decorated frame
// around the board, the board's place and cell size, the sand glass below it, the gem
// bar's pieces and flares, the combo and frenzy message places, the time gauge's
// arrow and tints, the tutorial pointers, the splash timing and the map flag.
// A plain value object, a member of the game object: built with the defaults below,
// filled once by Load in Init before the interface, the board, the sand glass and the
// gem bar are made; they keep a pointer to it and only read it afterwards.
//
// Positions are in the virtual screen with the origin at its centre, y up; the file
// gives screen pixels from the top-left corner, y down.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/MotionPath.h"

// Blend methods of the frame elements.
enum
{
    kFrameNormal = 0,
    kFrameAdd = 1,
    kFrameMul = 2,
    kFrameScreen = 3,
};

// The frame panel's pictures a frame element may name: 0 the frame atlas
// ("Frame"), 1 the cell background ("FrameBack").
constexpr int32_t kFrameTextureCount = 2;

// The most frame elements the layout takes: the frame panel draws every element
// from one 65536-entry index buffer, six indices an element.
constexpr int32_t kMaxFrameElements = 65536 / 6;

class CQuestLayout
{
public:
    CQuestLayout();

    // Reads "Skin.cfg" (configuration folder); a missing file, section or key gives
    // the default text of each key. Reports nothing.
    void Load(const char* path);

    int32_t ElementCount() const { return int32_t(frameTextures.size()); }

    // Frame elements, five parallel vectors: per element a rectangle (x, y, width,
    // height from the board's top-left corner, y down), four (u, v) corners
    // (top-left, top-right, bottom-right, bottom-left), a texture index, an ARGB
    // colour and a blend method.
    std::vector<float> frameRects;
    std::vector<float> frameUVs;
    std::vector<int32_t> frameTextures;
    std::vector<uint32_t> frameColours;
    std::vector<int32_t> frameMethods;

    // The board: its top-left corner, depth, cell size and a token's hit radius.
    float boardX, boardY, boardZ;
    float cellWidth, cellHeight;
    float radius;

    // The sand glass.
    float sandboxX, sandboxY, sandboxZ;
    float sandboxWidth, sandboxHeight;
    float sandboxFrontShift[2];
    uint32_t sandboxGlassColour;
    int32_t sandboxSegments;
    float sandInGravity, sandOutGravity;
    float sandPathSpeed;
    CMotionPath sandPath;
    uint32_t sandColour; // alpha byte 255
    float sandAlpha;
    float dustSpeed, dustHalfSpeed;
    float dustSize, dustHalfSize;
    uint32_t dustColour; // alpha byte 255
    float dustAlpha;
    uint32_t frenzyStarColour; // alpha byte 255
    float frenzyStarAlpha;
    uint32_t frenzyBarColour; // alpha byte 0
    float frenzyBarAlpha;
    float frenzyBarShift[2];
    float frenzyBarElementSize[2];
    int32_t frenzyBarCount;
    float frenzyBarPostTime;

    // The gem bar: shifts from the board's top-left corner (y up), texts, flares.
    float gemsOverlayShift[2];
    float gemsFillingShift[2];
    float gemsGemsShift[2];
    float gemsLabelShift[2];
    float gemsCountShift[2];
    uint32_t gemsTextColour;
    uint32_t gemsTextShadowColour;
    float gemsTextCharSize;
    float bigFlaresSize, bigFlaresMaxT, bigFlaresLifeTime, bigFlaresW;
    uint32_t bigFlaresColour;
    float smallFlaresSize, smallFlaresMaxT, smallFlaresLifeTime, smallFlaresW;
    uint32_t smallFlaresColour;

    float comboMessagePos[3];
    float frenzyMessagePos[3];

    // The time gauge of the quest panel: hand centres (not converted), the hands'
    // extra angle, the three tints (0..255, after desaturation), the tint alpha in
    // the top byte, and the fractions where each tint ends.
    float arrowCenter[2];
    float arrowShadowCenter[2];
    float globalAngle;
    float green[3], yellow[3], red[3];
    uint32_t gaugeAlpha;
    float greenEnd, yellowEnd, redEnd;

    // Tutorial pointers.
    float arrowWinPrefX;
    float arrowWinSize[2];
    float arrowUpShift[2];
    float arrowDownShift[2];
    float clickHerePoint[2];
    float clickHereA;
    float clickHereW;
    float swapThesePoint[2];

    // Splash timing.
    float splashBloomSpeed, splashLifeTime, splashFadeSpeed;

    // The map flag.
    float flagShift[2];
    float shadowShift[2];
    float shadowVec[2];
    float flagMoveTime;
    float flagJumpHeight;

private:
    // The sections of "Skin.cfg", in the order Load reads them.
    void LoadFrame(const char* path);
    void LoadField(const char* path);
    void LoadSandbox(const char* path);
    void LoadSandPath(const char* path);
    void LoadGemsBar(const char* path);
    void LoadMessagePositions(const char* path);
    void LoadPanel(const char* path);
    void LoadTutorial(const char* path);
    void LoadMiscAndMap(const char* path);
};
