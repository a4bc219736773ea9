// CTotemSettings: the tuning of the Power Totems from "Totems.cfg": where the
// panel totems stand, where a called totem flies and how big it grows, the
// flight times, the texture sizes, each colour's shine colour and sprite sets,
// and the places of the totems in the upgrade shop. Every key has a built-in
// default, so the totems work without the file. The totems manager owns one and
// hands it to each totem it makes.
#pragma once

#include "engine/MotionPath.h" // Vec3
#include "engine/RefPtr.h"
#include "totems/BlueTotemSettings.h"
#include "totems/GreenTotemSettings.h"
#include "totems/RedTotemSettings.h"
#include "totems/TotemColourSettings.h"
#include "totems/TotemShapeSets.h"

#include <cstdint>
#include <vector>

const int32_t kTotemColourCount = 7;

// A rectangle on the screen: its centre and size.
struct TotemScreenBox
{
    Vec3 centre{0.0f, 0.0f, 0.0f};
    float size[2] = {0.0f, 0.0f};
};

// What every colour section holds besides its own effect keys.
struct TotemColourLook
{
    uint32_t shineColour = 0xFFFFFFFFu;
    float mainTextureSize[2] = {512.0f, 256.0f};
    float shopTextureSize[2] = {512.0f, 256.0f};
    CRefPtr<CTotemShapeSets> shapeSets;
};

// A colour's silhouette on the panel while it is not owned.
struct TotemDark
{
    TotemScreenBox box;
    Vec3 contourCentre{0.0f, 0.0f, 0.0f}; // the box's centre, one step nearer
    int32_t texture = 0;                  // 0 the base picture, else the dark one
    float corners[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

// The shop's totem display of one colour.
struct TotemShopPlace
{
    TotemScreenBox picture;
    float textureRect[4] = {0, 0, 0, 0};
    Vec3 questionSign{0.0f, 0.0f, 0.0f};
    Vec3 totem{0.0f, 0.0f, 0.0f};
};

class CTotemSettings
{
public:
    CTotemSettings();

    // Reads every section of the file; missing keys take their defaults.
    void Load(const char* file);

    // Section Shared.
    Vec3 m_centrePosition{0.0f, 0.0f, 0.0f};
    float m_centreSize[2] = {128.0f, 128.0f};
    Vec3 m_flightPositions[kTotemColourCount];
    float m_smallSize[2] = {48.0f, 48.0f};
    float m_pixSmallSize[2] = {80.0f, 80.0f};
    Vec3 m_panelPositions[kTotemColourCount];
    int32_t m_bottomZOrder = 40;
    float m_inTime = 0.5f;
    float m_outTime = 0.25f;
    float m_switchInTime = 0.5f;
    float m_switchOutTime = 0.25f;
    float m_smallTextureSize[2] = {256.0f, 256.0f};
    float m_shadowTextureSize[2] = {512.0f, 512.0f};
    float m_lightTextureSize[2] = {256.0f, 128.0f};
    TotemScreenBox m_base;
    float m_baseRect[4] = {0, 0, 0.75f, 0.75f};
    TotemDark m_darks[kTotemColourCount];
    float m_contourRects[kTotemColourCount][4];
    uint32_t m_contourColour = 0xFFFFFF48u;
    float m_shopSize[2] = {192.0f, 192.0f};
    float m_shopTexturesSize[2] = {512.0f, 512.0f};

    // The colour sections, indexed by token colour.
    TotemColourLook m_looks[kTotemColourCount];
    // The colours' effect tunings.
    RedTotemSettings m_red;
    GreenTotemSettings m_green;
    BlueTotemSettings m_blue;
    OrangeTotemSettings m_orange;
    VioletTotemSettings m_violet;
    YellowTotemSettings m_yellow;
    WhiteTotemSettings m_white;

    // Section Shop.
    float m_shopZ = -10.0f;
    int32_t m_shopZOrder = -10;
    std::vector<TotemShopPlace> m_shopPlaces;
    uint32_t m_shopContourColour = 0xFFFFFF48u;
    uint32_t m_shopContourDarkColour = 0x80FFFFFFu;
    uint32_t m_shopAvailableColour = 0xC0FFFFFFu;
    uint32_t m_shopQuestionColour = 0x59FFFFFFu;

private:
    void LoadShared(const char* file);
    void LoadDarks(const char* file);
    void LoadColours(const char* file);
    void LoadEffects(const char* file);
    void LoadColourEffects(const char* file);
    void LoadShop(const char* file);
};

// The section name of a token colour ("Green", "Yellow", ...), or "" outside 0..6.
const char* TotemSectionName(int32_t colour);
