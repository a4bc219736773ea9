#include "engine/MathConstants.h"
#include "hud/QuestLayout.h"

#include "engine/Log.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/IniReader.h"
#include "engine/Random.h"

namespace {


// Reads up to n blank-separated numbers of a key into out; numbers the text lacks
// leave their fields as they were. Returns how many were read.
int ReadFloats(float* out, int n, const char* file, const char* section, const char* key, const char* def)
{
    std::string text;
    ReadIniStdString(text, file, section, key, def, 255);
    float v[8];
    const int read = std::sscanf(text.c_str(), "%f %f %f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                                 &v[6], &v[7]);
    int count = 0;
    for (int i = 0; i < n && i < read; ++i, ++count)
        out[i] = v[i];
    return count;
}

// A position from the file: (x - 512, 384 - y); an offset only has its y negated.
void ReadPoint(float* out, const char* file, const char* section, const char* key, const char* def)
{
    float p[2] = {out[0] + 512.0f, 384.0f - out[1]};
    ReadFloats(p, 2, file, section, key, def);
    out[0] = p[0] - 512.0f;
    out[1] = 384.0f - p[1];
}

void ReadLayoutShift(float* out, const char* file, const char* section, const char* key, const char* def)
{
    float p[2] = {out[0], -out[1]};
    ReadFloats(p, 2, file, section, key, def);
    out[0] = p[0];
    out[1] = -p[1];
}

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// A colour channel from a skin value. The file is hand-edited and may hold anything,
// so the value is held to 0..255 before it becomes an integer (not a number is 0).
uint32_t Channel(float v)
{
    if (!(v > 0.0f))
        return 0;
    return v >= 255.0f ? 255u : uint32_t(v);
}

// "R G B A", each rounded to the nearest integer.
uint32_t ReadRoundedColour(const char* file, const char* section, const char* key, const char* def)
{
    float c[4] = {0, 0, 0, 0};
    ReadFloats(c, 4, file, section, key, def);
    auto r = [](float v) { return Channel(v + 0.5f); };
    return Pack(r(c[3]), r(c[0]), r(c[1]), r(c[2]));
}

// An opaque colour and its alpha as 0..1, from "R G B A" (channels floored).
void ReadOpaqueColour(uint32_t* colour, float* alpha, const char* file, const char* section, const char* key,
                      const char* def)
{
    float c[4] = {0, 0, 0, 0};
    ReadFloats(c, 4, file, section, key, def);
    *colour = 0xFF000000u | (Channel(c[0]) << 16) | (Channel(c[1]) << 8) | Channel(c[2]);
    *alpha = c[3] / 255.0f;
}

} // namespace

CQuestLayout::CQuestLayout()
    : boardX(-144.5f), boardY(367.5f), boardZ(50.0f), cellWidth(80.0f), cellHeight(80.0f), radius(32.0f),
      sandboxX(-144.5f), sandboxY(-344.5f), sandboxZ(50.0f), sandboxWidth(640.0f), sandboxHeight(32.0f),
      sandboxFrontShift{-9.0f, 4.0f}, sandboxGlassColour(0xFF6CC8F7u), sandboxSegments(40), sandInGravity(5.0f),
      sandOutGravity(20.0f), sandPathSpeed(32.0f), sandColour(0xFFA09050u), sandAlpha(1.0f), dustSpeed(80.0f),
      dustHalfSpeed(40.0f), dustSize(10.0f), dustHalfSize(5.0f), dustColour(0xFFA09050u), dustAlpha(0.5f),
      frenzyStarColour(0xFFFFFF80u), frenzyStarAlpha(1.0f), frenzyBarColour(0x0001DDFFu), frenzyBarAlpha(1.0f),
      frenzyBarShift{14.0f, -2.0f}, frenzyBarElementSize{32.0f, 32.0f}, frenzyBarCount(19), frenzyBarPostTime(0.25f),
      gemsOverlayShift{118.0f, 30.0f}, gemsFillingShift{119.0f, 24.0f}, gemsGemsShift{119.0f, 28.0f},
      gemsLabelShift{62.0f, 8.0f}, gemsCountShift{584.0f, 8.0f}, gemsTextColour(0xFFFFFFFFu),
      gemsTextShadowColour(0x80000000u), gemsTextCharSize(1.0f), bigFlaresSize(64.0f), bigFlaresMaxT(0.3f),
      bigFlaresLifeTime(1.5f), bigFlaresW(0.5f * kPi), bigFlaresColour(0x99FFFFFFu), smallFlaresSize(6.0f),
      smallFlaresMaxT(0.02f), smallFlaresLifeTime(0.4f), smallFlaresW(kPi), smallFlaresColour(0xFFFFFFFFu),
      comboMessagePos{137.0f, 144.0f, 0.0f}, frenzyMessagePos{137.0f, 0.0f, -2.0f}, arrowCenter{0.0f, -25.0f},
      arrowShadowCenter{-2.0f, -27.0f}, globalAngle(0.23737425f), green{0.0f, 255.0f, 0.0f},
      yellow{255.0f, 255.0f, 0.0f}, red{255.0f, 0.0f, 0.0f}, gaugeAlpha(0x40000000u), greenEnd(0.25f),
      yellowEnd(0.1f), redEnd(0.08f), arrowWinPrefX(394.0f - 512.0f), arrowWinSize{512.0f, 160.0f},
      arrowUpShift{7.0f, 45.0f}, arrowDownShift{7.0f, 19.0f}, clickHerePoint{160.0f, -106.0f}, clickHereA(16.0f),
      clickHereW(6.0f), swapThesePoint{160.0f, -106.0f}, splashBloomSpeed(2.0f), splashLifeTime(1.0f),
      splashFadeSpeed(2.0f), flagShift{11.0f, 10.0f}, shadowShift{9.0f, -32.0f}, shadowVec{0.5f, -1.0f},
      flagMoveTime(1.0f), flagJumpHeight(24.0f)
{
    struct Element
    {
        float x, y, w, h;
        int32_t texture;
        float uv[8];
        uint32_t colour;
    };
    // A frame round a 640 by 640 board of 80-unit cells, and the cell background; the
    // edge strips repeat their slice 19 times, the background 8 times each way.
    const Element defaults[] = {
        {-16, -16, 32, 32, 0, {0, 0, 0.125f, 0, 0.125f, 1, 0, 1}, 0xFFFFFFFFu},
        {624, -16, 32, 32, 0, {0.125f, 0, 0.25f, 0, 0.25f, 1, 0.125f, 1}, 0xFFFFFFFFu},
        {-16, 624, 32, 32, 0, {0.25f, 0, 0.375f, 0, 0.375f, 1, 0.25f, 1}, 0xFFFFFFFFu},
        {624, 624, 32, 32, 0, {0.375f, 0, 0.5f, 0, 0.5f, 1, 0.375f, 1}, 0xFFFFFFFFu},
        {16, -16, 608, 32, 0, {1, 0, 1, 19, 0.875f, 19, 0.875f, 0}, 0xFFFFFFFFu},
        {16, 624, 608, 32, 0, {0.875f, 0, 0.875f, 19, 0.75f, 19, 0.75f, 0}, 0xFFFFFFFFu},
        {-16, 16, 32, 608, 0, {0.5f, 0, 0.625f, 0, 0.625f, 19, 0.5f, 19}, 0xFFFFFFFFu},
        {624, 16, 32, 608, 0, {0.625f, 0, 0.75f, 0, 0.75f, 19, 0.625f, 19}, 0xFFFFFFFFu},
        {0, 0, 640, 640, 1, {-0.5f, -0.5f, 7.5f, -0.5f, 7.5f, 7.5f, -0.5f, 7.5f}, 0xC0FFFFFFu},
    };
    frameRects.reserve(22 * 4);
    frameUVs.reserve(22 * 8);
    frameTextures.reserve(22);
    frameColours.reserve(22);
    frameMethods.reserve(22);
    for (const Element& e : defaults)
    {
        frameRects.insert(frameRects.end(), {e.x, e.y, e.w, e.h});
        frameUVs.insert(frameUVs.end(), e.uv, e.uv + 8);
        frameTextures.push_back(e.texture);
        frameColours.push_back(e.colour);
        frameMethods.push_back(kFrameNormal);
    }
    sandPath.ResetLinear(Vec3{0, 0, 0}, Vec3{-1, 4, 0}, std::sqrt(17.0f) / 32.0f);
    sandPath.AddLineTo(Vec3{-8, 4, 0}, 7.0f / 32.0f);
}

void CQuestLayout::Load(const char* path)
{
    LoadFrame(path);
    LoadField(path);
    LoadSandbox(path);
    LoadGemsBar(path);
    LoadMessagePositions(path);
    LoadPanel(path);
    LoadTutorial(path);
    LoadMiscAndMap(path);
}

void CQuestLayout::LoadFrame(const char* path)
{
    char key[64];
    // The frame. A negative count is read as none, a count past what the frame panel
    // can draw as that most; an element may only name a picture the frame panel has,
    // else it keeps the one it had.
    int32_t n = ReadIniInt(path, "FrameQuest", "ElementsCount", "9");
    if (n < 0)
        n = 0;
    if (n > kMaxFrameElements)
    {
        LogText(("Skin.cfg: ElementsCount " + std::to_string(n) + " is more than the frame can draw, " +
                 std::to_string(kMaxFrameElements) + " are read.\n")
                    .c_str());
        n = kMaxFrameElements;
    }
    frameRects.resize(size_t(n) * 4, 0.0f);
    frameUVs.resize(size_t(n) * 8, 0.0f);
    frameTextures.resize(size_t(n), 0);
    frameColours.resize(size_t(n), 0xFFFFFFFFu);
    frameMethods.resize(size_t(n), kFrameNormal);
    for (int32_t i = 0; i < n; ++i)
    {
        std::snprintf(key, sizeof(key), "Element%d", i);
        ReadFloats(&frameRects[size_t(i) * 4], 4, path, "FrameQuest", key, "0 0 0 0");
        std::snprintf(key, sizeof(key), "TCoords%d", i);
        ReadFloats(&frameUVs[size_t(i) * 8], 8, path, "FrameQuest", key, "0 0 0 0 0 0 0 0");
        std::snprintf(key, sizeof(key), "Texture%d", i);
        const int32_t texture = ReadIniInt(path, "FrameQuest", key, "0");
        if (texture >= 0 && texture < kFrameTextureCount)
            frameTextures[size_t(i)] = texture;
        std::snprintf(key, sizeof(key), "Color%d", i);
        std::string text;
        ReadIniStdString(text, path, "FrameQuest", key, "FFFFFFFF", 255);
        frameColours[size_t(i)] = ParseHex(text.c_str());
        std::snprintf(key, sizeof(key), "Method%d", i);
        ReadIniStdString(text, path, "FrameQuest", key, "Normal", 255);
        frameMethods[size_t(i)] = text == "Mul" ? kFrameMul : text == "Add" ? kFrameAdd : text == "Screen" ? kFrameScreen
                                                                                                         : kFrameNormal;
    }
}

void CQuestLayout::LoadField(const char* path)
{
    const char* const s = "FieldQuest";
    float board[2] = {boardX, boardY};
    ReadPoint(board, path, s, "Coord", "367.5 16.5");
    boardX = board[0];
    boardY = board[1];
    cellWidth = cellHeight = ReadIniFloat(path, s, "CellSize", "80");
    radius = ReadIniFloat(path, s, "Radius", "32");
}

void CQuestLayout::LoadSandbox(const char* path)
{
    const char* const s = "FieldQuest";
    float sandbox[2] = {sandboxX, sandboxY};
    ReadPoint(sandbox, path, s, "SandboxCoord", "367.5 728.5");
    sandboxX = sandbox[0];
    sandboxY = sandbox[1];
    float size[2] = {sandboxWidth, sandboxHeight};
    ReadFloats(size, 2, path, s, "SandboxSize", "640 32");
    sandboxWidth = size[0];
    sandboxHeight = size[1];
    ReadLayoutShift(sandboxFrontShift, path, s, "SandboxFrontShift", "-9 -4");
    sandboxGlassColour = ReadRoundedColour(path, s, "SandboxGlassColor", "108 200 247 255");
    sandboxSegments = ReadIniInt(path, s, "SandboxSegments", "40");
    if (sandboxSegments < 2)
    {
        // The glass's surface runs between columns: it needs two at least.
        LogText("Skin.cfg: SandboxSegments below 2, the sand glass uses 2.\n");
        sandboxSegments = 2;
    }
    sandInGravity = ReadIniFloat(path, s, "SandboxSandInGravity", "5");
    sandOutGravity = ReadIniFloat(path, s, "SandboxSandOutGravity", "20");
    sandPathSpeed = ReadIniFloat(path, s, "SandboxSandPathSpeed", "32");
    LoadSandPath(path);
    ReadOpaqueColour(&sandColour, &sandAlpha, path, s, "SandboxSandColor", "160 144 80 255");
    dustSpeed = ReadIniFloat(path, s, "SandboxDustSpeed", "80");
    dustHalfSpeed = dustSpeed * 0.5f;
    dustSize = ReadIniFloat(path, s, "SandboxDustSize", "8");
    dustHalfSize = dustSize * 0.5f;
    ReadOpaqueColour(&dustColour, &dustAlpha, path, s, "SandboxDustColor", "160 144 80 127");
    const uint32_t star = ReadIniColor(path, s, "SandboxFrenzyStarColor", "255 255 128 255");
    frenzyStarColour = star | 0xFF000000u;
    frenzyStarAlpha = float(star >> 24) / 255.0f;
    const uint32_t bar = ReadIniColor(path, s, "SandboxFrenzyBarColor", "1 221 255 255");
    frenzyBarColour = bar & 0x00FFFFFFu;
    frenzyBarAlpha = float(bar >> 24) / 255.0f;
    ReadLayoutShift(frenzyBarShift, path, s, "SandboxFrenzyBarShift", "14 2");
    ReadFloats(frenzyBarElementSize, 2, path, s, "SandboxFrenzyBarElementSize", "32 32");
    frenzyBarCount = ReadIniIntInRange(path, s, "SandboxFrenzyBarCount", "19", 0, 100);
    frenzyBarPostTime = ReadIniTime(path, s, "SandboxFrenzyBarPostTime", "0.25");
}

// The sand runs along a path of straight pieces, each taken at the same speed.
void CQuestLayout::LoadSandPath(const char* path)
{
    char key[64];
    const char* const s = "FieldQuest";
    const int32_t points = ReadIniIntInRange(path, s, "SandboxSandPathCount", "2", 0, 64);
    float last[2] = {0.0f, 0.0f};
    for (int32_t k = 1; k <= points; ++k)
    {
        float p[2] = {0.0f, 0.0f};
        std::snprintf(key, sizeof(key), "SandboxSandPathPoint%d", k);
        ReadFloats(p, 2, path, s, key, "0 0");
        const float d = std::sqrt((p[0] - last[0]) * (p[0] - last[0]) + (p[1] - last[1]) * (p[1] - last[1]));
        const float t = sandPathSpeed != 0.0f ? d / sandPathSpeed : 0.0f;
        if (k == 1)
            sandPath.ResetLinear(Vec3{0, 0, 0}, Vec3{p[0], -p[1], 0}, t);
        else
            sandPath.AddLineTo(Vec3{p[0], -p[1], 0}, t);
        last[0] = p[0];
        last[1] = p[1];
    }
}

void CQuestLayout::LoadGemsBar(const char* path)
{
    const char* const s = "FieldQuest";
    ReadLayoutShift(gemsOverlayShift, path, s, "GemsOverlayShift", "128 -40");
    ReadLayoutShift(gemsFillingShift, path, s, "GemsFillingShift", "129 -34");
    ReadLayoutShift(gemsGemsShift, path, s, "GemsGemsShift", "129 -38");
    ReadLayoutShift(gemsLabelShift, path, s, "GemsLabelShift", "72 -36");
    ReadLayoutShift(gemsCountShift, path, s, "GemsCountShift", "594 -36");
    gemsTextColour = ReadIniColor(path, s, "GemsTextColor", "255 255 255 255");
    gemsTextShadowColour = ReadIniColor(path, s, "GemsTextShadowColor", "0 0 0 128");
    gemsTextCharSize = ReadIniFloat(path, s, "GemsTextCharSize", "1");
    bigFlaresSize = ReadIniFloat(path, s, "GemsBigFlaresSize", "64");
    bigFlaresMaxT = ReadIniFloat(path, s, "GemsBigFlaresMaxT", "0.3");
    bigFlaresLifeTime = ReadIniTime(path, s, "GemsBigFlaresLifeTime", "1.5");
    bigFlaresW = ReadIniFloat(path, s, "GemsBigFlaresW", "0.5") * kPi;
    bigFlaresColour = ReadRoundedColour(path, s, "GemsBigFlaresColor", "255 255 255 153");
    smallFlaresSize = ReadIniFloat(path, s, "GemsSmallFlaresSize", "6.0");
    smallFlaresMaxT = ReadIniFloat(path, s, "GemsSmallFlaresMaxT", "0.02");
    smallFlaresLifeTime = ReadIniTime(path, s, "GemsSmallFlaresLifeTime", "0.4");
    smallFlaresW = ReadIniFloat(path, s, "GemsSmallFlaresW", "1") * kPi;
    smallFlaresColour = ReadRoundedColour(path, s, "GemsSmallFlaresColor", "255 255 255 255");
}

void CQuestLayout::LoadMessagePositions(const char* path)
{
    const char* const s = "FieldQuest";
    float pos[3] = {comboMessagePos[0] + 512.0f, 384.0f - comboMessagePos[1], comboMessagePos[2]};
    ReadFloats(pos, 3, path, s, "ComboMessagePos", "649 240 -1");
    comboMessagePos[0] = pos[0] - 512.0f;
    comboMessagePos[1] = 384.0f - pos[1];
    comboMessagePos[2] = pos[2];
    float frenzy[3] = {frenzyMessagePos[0] + 512.0f, 384.0f - frenzyMessagePos[1], frenzyMessagePos[2]};
    ReadFloats(frenzy, 3, path, s, "FrenzyMessagePos", "649 384 -2");
    frenzyMessagePos[0] = frenzy[0] - 512.0f;
    frenzyMessagePos[1] = 384.0f - frenzy[1];
    frenzyMessagePos[2] = frenzy[2];
}

void CQuestLayout::LoadPanel(const char* path)
{
    const char* const s = "PanelQuest";
    ReadFloats(arrowCenter, 2, path, s, "ArrowCenter", "0 -25");
    ReadFloats(arrowShadowCenter, 2, path, s, "ArrowShadowCenter", "-2 -27");
    globalAngle = ReadIniFloat(path, s, "GlobalAngle", "0.237374247");
    ReadFloats(green, 3, path, s, "Green", "0 255 0");
    ReadFloats(yellow, 3, path, s, "Yellow", "255 255 0");
    ReadFloats(red, 3, path, s, "Red", "255 0 0");
    const float saturation = ReadIniFloat(path, s, "Saturation", "1");
    for (float* c : {green, yellow, red})
    {
        const float grey = (std::max({c[0], c[1], c[2]}) + std::min({c[0], c[1], c[2]})) * 0.5f;
        for (int k = 0; k < 3; ++k)
            c[k] = std::min(255.0f, std::max(0.0f, saturation * c[k] + (1.0f - saturation) * grey));
    }
    gaugeAlpha = Channel(ReadIniFloat(path, s, "Alpha", "0.25") * 255.0f) << 24;
    greenEnd = ReadIniFloat(path, s, "GreenEnd", "0.25");
    yellowEnd = ReadIniFloat(path, s, "YellowEnd", "0.1");
    redEnd = ReadIniFloat(path, s, "RedEnd", "0.08");
}

void CQuestLayout::LoadTutorial(const char* path)
{
    const char* const s = "Tutorial";
    arrowWinPrefX = ReadIniFloat(path, s, "ArrowWinPrefX", "394") - 512.0f;
    ReadFloats(arrowWinSize, 2, path, s, "ArrowWinSize", "512 160");
    ReadLayoutShift(arrowUpShift, path, s, "ArrowUpShift", "7 -45");
    ReadLayoutShift(arrowDownShift, path, s, "ArrowDownShift", "7 -19");
    ReadLayoutShift(clickHerePoint, path, s, "ClickHerePoint", "160 106");
    clickHereA = ReadIniFloat(path, s, "ClickHereA", "16");
    clickHereW = ReadIniFloat(path, s, "ClickHereW", "6");
    ReadLayoutShift(swapThesePoint, path, s, "SwapThesePoint", "160 106");
}

void CQuestLayout::LoadMiscAndMap(const char* path)
{
    const char* s = "Misc";
    splashBloomSpeed = ReadIniRate(path, s, "SplashBloomSpeed", "2");
    splashLifeTime = ReadIniFloatInRange(path, s, "SplashLifeTime", "1", 0.0f, 10.0f);
    splashFadeSpeed = ReadIniRate(path, s, "SplashFadeSpeed", "2");

    s = "Map";
    ReadLayoutShift(flagShift, path, s, "FlagShift", "11 -10");
    ReadLayoutShift(shadowShift, path, s, "ShadowShift", "9 32");
    ReadLayoutShift(shadowVec, path, s, "ShadowVec", "0.5 1");
    flagMoveTime = ReadIniTime(path, s, "FlagMoveTime", "1");
    flagJumpHeight = ReadIniFloat(path, s, "FlagJumpHeight", "24");
}
