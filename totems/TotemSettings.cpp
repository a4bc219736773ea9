#include "totems/TotemSettings.h"

#include "engine/IniReader.h"
#include "totems/Totem.h"

#include <cstdio>
#include <string>

namespace
{

const char kShared[] = "Shared";
const char kShop[] = "Shop";

// Up to eight blank-separated numbers; the ones the text lacks are 0.
void ReadFloats(float* out, int count, const char* file, const char* section, const std::string& key,
                const char* def)
{
    char text[256] = "";
    ReadIniString(file, section, key.c_str(), def, text, sizeof text);
    float v[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::sscanf(text, "%f %f %f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
    for (int i = 0; i < count; ++i)
        out[i] = v[i];
}

std::string SettingKey(const char* pattern, int index)
{
    char key[64];
    std::snprintf(key, sizeof key, pattern, index);
    return key;
}

// A point of the 1024 x 768 screen, y down, in the centred screen with y up.
Vec3 ScreenPoint(const float xyz[3])
{
    return Vec3{xyz[0] - 512.5f, 384.5f - xyz[1], xyz[2]};
}

// A screen rectangle given by its top-left corner, depth and size.
TotemScreenBox ScreenBox(const float v[5])
{
    TotemScreenBox box;
    box.centre = Vec3{v[0] + v[3] * 0.5f - 512.5f, 384.5f - v[1] - v[4] * 0.5f, v[2]};
    box.size[0] = v[3];
    box.size[1] = v[4];
    return box;
}

// Sections in the order the file is read, with the token colour of each and
// the built-in shine colour.
struct ColourSection
{
    int32_t colour;
    const char* name;
    const char* shine;
};

const ColourSection kColourSections[kTotemColourCount] = {
    {2, "Red", "200 240 255 255"},    {4, "Orange", "255 248 154 255"}, {6, "Violet", "251 253 255 255"},
    {0, "Green", "255 229 128 255"},  {1, "Yellow", "115 198 255 255"}, {3, "Blue", "255 235 131 255"},
    {5, "White", "255 187 116 255"},
};

} // namespace

const char* TotemSectionName(int32_t colour)
{
    for (const ColourSection& s : kColourSections)
        if (s.colour == colour)
            return s.name;
    return "";
}

CTotemSettings::CTotemSettings()
{
    for (Vec3& p : m_flightPositions)
        p = Vec3{0.0f, 0.0f, 0.0f};
    for (Vec3& p : m_panelPositions)
        p = Vec3{0.0f, 0.0f, 0.0f};
    for (float(&r)[4] : m_contourRects)
        r[0] = r[1] = r[2] = r[3] = 0.0f;
}

void CTotemSettings::Load(const char* file)
{
    LoadShared(file);
    LoadColours(file);
    LoadEffects(file);
    LoadColourEffects(file);
    LoadShop(file);
}

void CTotemSettings::LoadShared(const char* file)
{
    float v[8];
    ReadFloats(v, 3, file, kShared, "Center", "152 600 -45");
    m_centrePosition = ScreenPoint(v);
    ReadFloats(m_centreSize, 2, file, kShared, "MainSize", "128 128");
    for (int i = 0; i < kTotemColourCount; ++i)
    {
        ReadFloats(v, 3, file, kShared, SettingKey("Pos%d", i), "20 512 -40");
        m_flightPositions[i] = ScreenPoint(v);
    }
    ReadFloats(m_smallSize, 2, file, kShared, "SmallSize", "48 48");
    ReadFloats(m_pixSmallSize, 2, file, kShared, "PixSmallSize", "80 80");
    for (int i = 0; i < kTotemColourCount; ++i)
    {
        ReadFloats(v, 3, file, kShared, SettingKey("SmallPos%d", i), "20 512 -40");
        m_panelPositions[i] = ScreenPoint(v);
    }
    m_bottomZOrder = ReadIniInt(file, kShared, "BottomZOrder", "40");
    m_inTime = ReadIniTime(file, kShared, "InTime", "0.5");
    m_outTime = ReadIniTime(file, kShared, "OutTime", "0.25");
    // One key serves both switch flights; without it the way back is the quicker.
    m_switchInTime = ReadIniTime(file, kShared, "SwitchInTime", "0.5");
    m_switchOutTime = ReadIniTime(file, kShared, "SwitchInTime", "0.25");
    ReadFloats(m_smallTextureSize, 2, file, kShared, "SmallTextureSize", "256 256");
    ReadFloats(m_shadowTextureSize, 2, file, kShared, "ShadowTextureSize", "512 512");
    ReadFloats(m_lightTextureSize, 2, file, kShared, "LightTextureSize", "256 128");
    ReadFloats(v, 5, file, kShared, "Base", "48 474 -37 192 192");
    m_base = ScreenBox(v);
    ReadFloats(v, 4, file, kShared, "BaseT", "0 0 192 192");
    for (int k = 0; k < 4; ++k)
        m_baseRect[k] = v[k] / 256.0f;
    LoadDarks(file);
    m_contourColour = ReadIniColor(file, kShared, "ContourColor", "255 255 72 255");
    ReadFloats(m_shopSize, 2, file, kShared, "ShopSize", "192 192");
    ReadFloats(m_shopTexturesSize, 2, file, kShared, "ShopTexturesSize", "512 512");
}

void CTotemSettings::LoadDarks(const char* file)
{
    float v[8];
    for (int i = 0; i < kTotemColourCount; ++i)
    {
        TotemDark& dark = m_darks[i];
        ReadFloats(v, 5, file, kShared, SettingKey("Dark%d", i), "217 560 -38 60 76");
        dark.box = ScreenBox(v);
        dark.contourCentre = Vec3{dark.box.centre.x, dark.box.centre.y, dark.box.centre.z - 1.0f};
        dark.texture = ReadIniInt(file, kShared, SettingKey("DarkTexture%d", i).c_str(), "0");
        // The dark picture is half the base picture's size.
        const float divisor = dark.texture == 0 ? 256.0f : 128.0f;
        ReadFloats(v, 8, file, kShared, SettingKey("DarkT%d", i), "194 0 254 0 254 76 194 76");
        for (int k = 0; k < 8; ++k)
            dark.corners[k] = v[k] / divisor;
        ReadFloats(v, 4, file, kShared, SettingKey("ContourT%d", i), "120 0 180 76");
        for (int k = 0; k < 4; ++k)
            m_contourRects[i][k] = v[k] / 256.0f;
    }
}

void CTotemSettings::LoadColours(const char* file)
{
    for (const ColourSection& s : kColourSections)
    {
        TotemColourLook& look = m_looks[s.colour];
        look.shineColour = ReadIniColor(file, s.name, "ShineColor", s.shine);
        ReadFloats(look.mainTextureSize, 2, file, s.name, "MainTextureSize", "512 256");
        ReadFloats(look.shopTextureSize, 2, file, s.name, "ShopTextureSize", "512 256");
        CTotemShapeSets::Sizes sizes;
        for (int k = 0; k < 2; ++k)
        {
            sizes.pixSmall[k] = m_pixSmallSize[k];
            sizes.main[k] = m_centreSize[k];
            sizes.shop[k] = m_shopSize[k];
            sizes.smallTexture[k] = m_smallTextureSize[k];
            sizes.shadowTexture[k] = m_shadowTextureSize[k];
            sizes.mainTexture[k] = look.mainTextureSize[k];
            sizes.lightTexture[k] = m_lightTextureSize[k];
            sizes.shopTexture[k] = look.shopTextureSize[k];
        }
        // A fresh collection: totems made before keep the sets they were built with.
        look.shapeSets = CRefPtr<CTotemShapeSets>(new CTotemShapeSets());
        look.shapeSets->LoadTotemSpriteShapes(file, s.name, sizes);
    }
}

void CTotemSettings::LoadEffects(const char* file)
{
    m_red.Read(file);
    const float* body = m_looks[kTotemGreen].mainTextureSize;
    m_green.ReadGreenTotemConfig(file, m_centreSize[0], m_centreSize[1], body[0], body[1], m_shadowTextureSize[0],
                                 m_shadowTextureSize[1]);
    body = m_looks[kTotemBlue].mainTextureSize;
    m_blue.ReadBlueTotemConfig(file, m_centreSize[0], m_centreSize[1], body[0], body[1], m_smallSize[0],
                               m_smallSize[1]);
}

void CTotemSettings::LoadColourEffects(const char* file)
{
    const float w = m_centreSize[0], h = m_centreSize[1];
    const float* yellowTexture = m_looks[kTotemYellow].mainTextureSize;
    m_orange.Read(file);
    m_violet.Read(file, w, h);
    m_yellow.Read(file, w, h, yellowTexture[0], yellowTexture[1]);
    m_white.Read(file, w, h);
}

void CTotemSettings::LoadShop(const char* file)
{
    m_shopPlaces.assign(kTotemColourCount, TotemShopPlace());
    m_shopZ = ReadIniFloat(file, kShop, "Z", "-10");
    m_shopZOrder = ReadIniInt(file, kShop, "ZOrder", "-10");
    float v[4];
    for (int i = 0; i < kTotemColourCount; ++i)
    {
        TotemShopPlace& place = m_shopPlaces[size_t(i)];
        ReadFloats(v, 4, file, kShop, SettingKey("Pic%d", i), "834 251 140 176");
        place.picture.centre = Vec3{v[0] - 511.5f + v[2] * 0.5f, 384.5f - v[1] - v[3] * 0.5f, m_shopZ};
        place.picture.size[0] = v[2];
        place.picture.size[1] = v[3];
        ReadFloats(v, 4, file, kShop, SettingKey("PicT%d", i), "180 184 320 360");
        for (int k = 0; k < 4; ++k)
            place.textureRect[k] = v[k] / m_shopTexturesSize[k % 2];
    }
    for (int i = 0; i < kTotemColourCount; ++i)
    {
        TotemShopPlace& place = m_shopPlaces[size_t(i)];
        ReadFloats(v, 2, file, kShop, SettingKey("QShift%d", i), "0 0");
        place.questionSign = Vec3{place.picture.centre.x + v[0], place.picture.centre.y - v[1], m_shopZ - 2.0f};
    }
    for (int i = 0; i < kTotemColourCount; ++i)
    {
        TotemShopPlace& place = m_shopPlaces[size_t(i)];
        ReadFloats(v, 2, file, kShop, SettingKey("TotemShift%d", i), "0 0");
        place.totem = Vec3{place.picture.centre.x + v[0], place.picture.centre.y - v[1], m_shopZ - 5.0f};
    }
    m_shopContourColour = ReadIniColor(file, kShop, "ContourColor", "255 255 72 255");
    m_shopContourDarkColour = ReadIniColor(file, kShop, "ContourDarkColor", "255 255 255 128");
    m_shopAvailableColour = ReadIniColor(file, kShop, "AvailableColor", "255 255 255 192");
    m_shopQuestionColour = ReadIniColor(file, kShop, "QSignColor", "255 255 255 89");
}
