#include "engine/MathConstants.h"
#include "hud/PopupMessages.h"

#include "engine/IniReader.h"
#include "engine/StringTable.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "render/SpriteShape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const uint32_t kDefaultMessageColour = 0xFFA0A0FF; // "160 160 255 255"

PopupSettings g_settings;

// "x y" with the second number stored negated (file y grows downwards).
void ReadShift(float* out, const char* file, const char* section, const char* key, const char* def)
{
    ReadIniFloat2(out, file, section, key, def);
    out[1] = -out[1];
}

} // namespace

// ---------------------------------------------------------------------------
// One pop-up

CPopupMessage::CPopupMessage()
{
    textOffsets.reserve(2);
    textSizes.reserve(4);
    texts.reserve(2);
}

CPopupMessage::~CPopupMessage()
{
    if (spriteList)
        for (const CRefPtr<CSpriteShape>& sprite : sprites)
            spriteList->Remove(sprite);
    if (textSet)
        for (const CRefPtr<CText>& text : texts)
            textSet->Remove(text);
}

void CPopupMessage::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CTextSet> set, CRefPtr<CFont> font_)
{
    spriteList = list;
    textSet = set;
    font = font_;
}

float CPopupMessage::FontSize() const
{
    return font ? font->GetBaseSize() : 1.0f;
}

float CPopupMessage::Swell(float t, float factor)
{
    return 0.25f + 0.75f * std::sin(kPi * t / 2.0f) + (factor - 1.0f) * (1.0f - std::cos(kTwoPi * t));
}

void CPopupMessage::MakeText(const char* string, const Vec3& offset, uint32_t colour, int alignment)
{
    CRefPtr<CText> text(new CText(font));
    text->layer = textLayer;
    text->visible = 1;
    text->colour = colour;
    const float F = FontSize();
    text->SetFontScale(F * size, F * size, 0);
    text->alignment = alignment;
    text->SetString(string);
    text->position = Vec3{position.x + offset.x, position.y + offset.y, position.z + offset.z};
    text->alphaFactor = 0.0f; // shown from the first update on
    if (textSet)
        textSet->Add(text);
    texts.push_back(text);
    textOffsets.push_back(offset);
    textSizes.push_back(size);
    textSizes.push_back(size);
}

void CPopupMessage::AddText(const char* string, const Vec3& offset, uint32_t colour, int alignment, int shadow,
                            const float* shadowShift, uint32_t shadowColour)
{
    MakeText(string, offset, colour, alignment);
    if (shadow == 1)
        MakeText(string, Vec3{offset.x + shadowShift[0], offset.y + shadowShift[1], offset.z}, shadowColour,
                 alignment);
}

void CPopupMessage::BuildScore(int points, int sizeStep, float x, float y, float z, int zOrder, int layer)
{
    const PopupSettings::Score& s = g_settings.score;
    kind = kPopupScore;
    spriteZOrder = zOrder;
    textLayer = layer;
    position = Vec3{x, y, z};
    size = s.minSize + float(sizeStep) * s.sizeInc;
    lifeTime = s.lifeTime;
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%d", points);
    AddText(buffer, Vec3{0, 0, 0}, s.color, kAlignCentre, s.shadow, s.shadowShift, s.shadowColor);
    for (const CRefPtr<CText>& text : texts)
        text->PlaceCharacters();
}

void CPopupMessage::BuildMessage(const char* string, float size_, int colorIndex, float x, float y, float z,
                                 int zOrder, int layer)
{
    const PopupSettings::Message& s = g_settings.message;
    kind = kPopupMessage;
    spriteZOrder = zOrder;
    textLayer = layer;
    position = Vec3{x, y, z};
    size = size_;
    lifeTime = s.lifeTime;
    uint32_t colour = kDefaultMessageColour;
    if (!s.colors.empty())
    {
        // A colour index the file does not have takes the nearest one it has.
        const int last = int(s.colors.size()) - 1;
        colour = s.colors[std::max(0, std::min(colorIndex, last))];
    }
    AddText(string, Vec3{0, 0, 0}, colour, kAlignCentre, s.shadow, s.shadowShift, s.shadowColor);
    for (const CRefPtr<CText>& text : texts)
        text->PlaceCharacters();
}

void CPopupMessage::BuildLoss(const char* string, float size_, float x, float y, float z, int zOrder, int layer)
{
    const PopupSettings::Loss& s = g_settings.loss;
    kind = kPopupLoss;
    spriteZOrder = zOrder;
    textLayer = layer;
    position = Vec3{x, y, z};
    size = size_;
    lifeTime = s.lifeTime;
    AddText(string, Vec3{0, 0, 0}, s.color, kAlignCentre, s.shadow, s.shadowShift, s.shadowColor);
    for (const CRefPtr<CText>& text : texts)
        text->PlaceCharacters();
}

void CPopupMessage::BuildMultiplier(int points, int total, int sizeStep, float x, float y, float z,
                                    const std::vector<Vec3>& sources, const std::vector<int>& pictures, int zOrder,
                                    int layer)
{
    const PopupSettings::Multiplier& s = g_settings.multiplier;
    kind = kPopupMultiplier;
    spriteZOrder = zOrder;
    textLayer = layer;
    position = Vec3{x, y, z};
    size = s.minSize + float(sizeStep) * s.sizeInc;
    lifeTime = s.lifeTime;
    // Pictures without a source (or sources without a picture) are left out.
    const size_t n = std::min(sources.size(), pictures.size());
    const float W = 50.0f * float(n);

    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%d", points);
    AddText(buffer, Vec3{-W / 2.0f, 0, 0}, s.color, kAlignRight, s.shadow, s.shadowShift, s.shadowColor);
    std::snprintf(buffer, sizeof(buffer), "=%d", total);
    AddText(buffer, Vec3{W / 2.0f, 0, 0}, s.color, kAlignLeft, s.shadow, s.shadowShift, s.shadowColor);

    const float F = FontSize();
    for (size_t i = 0; i < n; ++i)
    {
        const Vec3 end{-(W - 50.0f) / 2.0f + 50.0f * float(i), -0.5f * F * size, 0.0f};
        const Vec3 start{sources[i].x - x, sources[i].y - y, sources[i].z - z};
        CRefPtr<CSpriteShape> sprite(
            new CSpriteShape(sources[i].x, sources[i].y, sources[i].z, 50.0f, 36.0f, 0xFFFFFFFF, texture, 1));
        const float k = float(pictures[i]);
        sprite->SetFrameUV(0, 4.0f / 256.0f, (94.0f + 36.0f * k) / 256.0f, 54.0f / 256.0f,
                           (130.0f + 36.0f * k) / 256.0f);
        sprite->zOrder = spriteZOrder;
        if (spriteList)
            spriteList->Add(sprite);
        sprites.push_back(sprite);
        spriteStartOffsets.push_back(start);
        spriteOffsets.push_back(start);
        spriteEndOffsets.push_back(end);
        spriteSizes.push_back(50.0f);
        spriteSizes.push_back(36.0f);
    }
    for (const CRefPtr<CText>& text : texts)
        text->PlaceCharacters();
}

int CPopupMessage::Update(float dt)
{
    timer += dt;
    if (timer <= 0.0f)
        return 1;
    Pose pose;
    bool alive = false;
    switch (kind)
    {
    case kPopupScore:
        alive = PoseScore(dt, pose);
        break;
    case kPopupMessage:
        alive = PoseMessage(pose);
        break;
    case kPopupMultiplier:
        alive = PoseMultiplier(dt, pose);
        break;
    case kPopupLoss:
        alive = PoseLoss(pose);
        break;
    default:
        break;
    }
    if (!alive)
        return 0;
    Place(pose);
    return 1;
}

// Swells in, drifts and fades out.
bool CPopupMessage::PoseScore(float dt, Pose& pose)
{
    const PopupSettings::Score& m = g_settings.score;
    const float T = timer, L = lifeTime;
    if (T >= L + m.fadeTime)
        return false;
    position.x += m.speed[0] * dt;
    position.y += m.speed[1] * dt;
    if (T < m.swellTime)
    {
        const float t = T / m.swellTime;
        pose.sx = pose.sy = Swell(t, m.swellFactor);
        pose.textAlpha = t;
    }
    else if (T >= L)
        pose.textAlpha = 1.0f - (T - L) / m.fadeTime;
    pose.spriteAlpha = pose.textAlpha;
    return true;
}

// Swells in, pulses while it stands and shrinks away as it came.
bool CPopupMessage::PoseMessage(Pose& pose) const
{
    const PopupSettings::Message& m = g_settings.message;
    const float T = timer, L = lifeTime;
    if (T >= L + m.swellTime)
        return false;
    const float pulse = 1.0f + m.pulseAmplitude * std::sin(m.pulseRate * T);
    if (T < m.swellTime)
    {
        const float t = T / m.swellTime;
        pose.sx = pose.sy = Swell(t, m.swellFactor) * pulse;
        pose.textAlpha = t;
    }
    else if (T < L)
        pose.sx = pose.sy = pulse;
    else
    {
        const float t = 1.0f - (T - L) / m.swellTime;
        pose.sx = pose.sy = Swell(t, m.swellFactor) * pulse;
        pose.textAlpha = t;
    }
    pose.spriteAlpha = pose.textAlpha;
    return true;
}

// The pictures fly in from where the matches were, then the whole drifts and fades.
bool CPopupMessage::PoseMultiplier(float dt, Pose& pose)
{
    const PopupSettings::Multiplier& m = g_settings.multiplier;
    const float T = timer, L = lifeTime;
    if (T >= L + m.fadeTime)
        return false;
    if (T < m.bloomTime)
    {
        const float t = T / m.bloomTime;
        pose.textAlpha = t;
        pose.spriteAlpha = 1.0f;
        // Each picture turns once about the vertical axis on its way in.
        for (size_t i = 0; i < sprites.size(); ++i)
        {
            sprites[i]->SetAxes(std::cos(kTwoPi * t), 0.0f, std::sin(kTwoPi * t), 0.0f, 1.0f, 0.0f, 1);
            const Vec3& a = spriteStartOffsets[i];
            const Vec3& b = spriteEndOffsets[i];
            spriteOffsets[i] = Vec3{a.x * (1 - t) + b.x * t, a.y * (1 - t) + b.y * t, a.z * (1 - t) + b.z * t};
        }
        return true;
    }
    if (!settled)
    {
        for (size_t i = 0; i < sprites.size(); ++i)
        {
            sprites[i]->SetAxes(1, 0, 0, 0, 1, 0, 1);
            spriteOffsets[i] = spriteEndOffsets[i];
        }
        settled = 1;
    }
    position.x += m.speed[0] * dt;
    position.y += m.speed[1] * dt;
    if (T >= L)
        pose.textAlpha = pose.spriteAlpha = 1.0f - (T - L) / m.fadeTime;
    return true;
}

// Unrolls from a line and rolls up again.
bool CPopupMessage::PoseLoss(Pose& pose) const
{
    const PopupSettings::Loss& m = g_settings.loss;
    const float T = timer, L = lifeTime;
    if (T >= L + m.fadeTime)
        return false;
    if (T < m.bloomTime)
    {
        const float t = T / m.bloomTime;
        pose.sy = 0.99f * t + 0.01f;
        pose.textAlpha = t;
    }
    else if (T >= L)
    {
        const float a = 1.0f - (T - L) / m.fadeTime;
        pose.sy = 0.99f * a + 0.01f;
        pose.textAlpha = a;
    }
    pose.spriteAlpha = pose.textAlpha;
    return true;
}

void CPopupMessage::Place(const Pose& pose)
{
    for (size_t i = 0; i < sprites.size(); ++i)
    {
        const Vec3& o = spriteOffsets[i];
        sprites[i]->position = Vec3{position.x + o.x * pose.sx, position.y + o.y * pose.sy, o.z};
        sprites[i]->SetScale(spriteSizes[2 * i] * pose.sx, spriteSizes[2 * i + 1] * pose.sy);
        sprites[i]->SetAlpha(pose.spriteAlpha);
    }
    const float F = FontSize();
    for (size_t i = 0; i < texts.size(); ++i)
    {
        const Vec3& o = textOffsets[i];
        texts[i]->position = Vec3{position.x + o.x * pose.sx, position.y + o.y * pose.sy, o.z};
        texts[i]->alphaFactor = pose.textAlpha;
        texts[i]->SetFontScale(textSizes[2 * i] * F * pose.sx, textSizes[2 * i + 1] * F * pose.sy, 0);
    }
}

// ---------------------------------------------------------------------------
// The list

CPopupMessages::CPopupMessages()
{
    messages.reserve(32);
}

CPopupMessages::~CPopupMessages() = default;

PopupSettings& CPopupMessages::Settings()
{
    return g_settings;
}

void CPopupMessages::LoadSettings(const char* file)
{
    PopupSettings& s = g_settings;
    s.z = ReadIniFloat(file, "Shared", "Z", "0");
    s.comboThresholds.assign(3, std::vector<int32_t>(4, 0));
    char key[64];
    for (int colours = 5; colours <= 7; ++colours)
        for (int tier = 1; tier <= 4; ++tier)
        {
            std::snprintf(key, sizeof(key), "Combo%d_%d", colours, tier);
            s.comboThresholds[colours - 5][tier - 1] = ReadIniInt(file, "Shared", key, "5");
        }

    PopupSettings::Score& sc = s.score;
    sc.minSize = ReadIniFloat(file, "Score", "MinSize", "1");
    sc.sizeInc = ReadIniFloat(file, "Score", "SizeInc", "0.1");
    sc.swellFactor = ReadIniFloat(file, "Score", "SwellFactor", "1.5");
    sc.swellTime = ReadIniTime(file, "Score", "SwellTime", "0.25");
    sc.lifeTime = ReadIniTime(file, "Score", "LifeTime", "0.75");
    sc.fadeTime = ReadIniTime(file, "Score", "FadeTime", "0.5");
    ReadShift(sc.speed, file, "Score", "Speed", "0 80");
    sc.color = ReadIniColor(file, "Score", "Color", "255 160 80 255");
    sc.shadow = ReadIniInt(file, "Score", "Shadow", "0") == 1;
    ReadShift(sc.shadowShift, file, "Score", "ShadowShift", "2 2");
    sc.shadowColor = ReadIniColor(file, "Score", "ShadowColor", "0 0 0 128");

    PopupSettings::Message& m = s.message;
    m.swellFactor = ReadIniFloat(file, "Message", "SwellFactor", "1.3");
    m.swellTime = ReadIniTime(file, "Message", "SwellTime", "0.3");
    m.lifeTime = ReadIniTime(file, "Message", "LifeTime", "1");
    m.pulseAmplitude = ReadIniFloat(file, "Message", "PulsR", "0.1");
    const float period = ReadIniFloat(file, "Message", "PulsT", "1");
    m.pulseRate = period > 0.0f ? kTwoPi / period : 0.0f; // no period, no pulse
    m.shadow = ReadIniInt(file, "Message", "Shadow", "0") == 1;
    ReadShift(m.shadowShift, file, "Message", "ShadowShift", "2 2");
    m.shadowColor = ReadIniColor(file, "Message", "ShadowColor", "0 0 0 128");
    const int count = ReadIniInt(file, "Message", "Colors", "1");
    m.colors.clear();
    for (int i = 0; i < count && i < 256; ++i)
    {
        std::snprintf(key, sizeof(key), "Color%d", i);
        m.colors.push_back(ReadIniColor(file, "Message", key, "160 160 255 255"));
    }

    PopupSettings::Multiplier& mu = s.multiplier;
    mu.minSize = ReadIniFloat(file, "Multiplier", "MinSize", "0.8");
    mu.sizeInc = ReadIniFloat(file, "Multiplier", "SizeInc", "0.05");
    mu.bloomTime = ReadIniTime(file, "Multiplier", "BloomTime", "0.3");
    mu.lifeTime = ReadIniTime(file, "Multiplier", "LifeTime", "1");
    mu.fadeTime = ReadIniTime(file, "Multiplier", "FadeTime", "0.5");
    ReadShift(mu.speed, file, "Multiplier", "Speed", "0 -50");
    mu.color = ReadIniColor(file, "Multiplier", "Color", "255 255 80 255");
    mu.shadow = ReadIniInt(file, "Multiplier", "Shadow", "0") == 1;
    ReadShift(mu.shadowShift, file, "Multiplier", "ShadowShift", "2 2");
    mu.shadowColor = ReadIniColor(file, "Multiplier", "ShadowColor", "0 0 0 128");

    PopupSettings::Loss& l = s.loss;
    l.bloomTime = ReadIniTime(file, "Loss", "BloomTime", "0.3");
    l.lifeTime = ReadIniTime(file, "Loss", "LifeTime", "1");
    l.fadeTime = ReadIniTime(file, "Loss", "FadeTime", "0.5");
    l.color = ReadIniColor(file, "Loss", "Color", "255 255 80 255");
    l.shadow = ReadIniInt(file, "Loss", "Shadow", "0") == 1;
    ReadShift(l.shadowShift, file, "Loss", "ShadowShift", "2 2");
    l.shadowColor = ReadIniColor(file, "Loss", "ShadowColor", "0 0 0 128");
}

void CPopupMessages::SetResources(CRefPtr<CSpriteList> list, CRefPtr<CTextSet> set, CRefPtr<CFont> score,
                                  CRefPtr<CFont> message, CRefPtr<CTexture> multiplier)
{
    spriteList = list;
    textSet = set;
    scoreFont = score;
    messageFont = message;
    multiplierTexture = multiplier;
}

CRefPtr<CPopupMessage> CPopupMessages::Begin(CRefPtr<CPopupMessage>& out, const CRefPtr<CFont>& font)
{
    out.Reset();
    out = CRefPtr<CPopupMessage>(new CPopupMessage());
    out->SetResources(spriteList, textSet, font);
    return out;
}

void CPopupMessages::AddScore(CRefPtr<CPopupMessage>& out, int points, int sizeStep, float x, float y, float z)
{
    Begin(out, scoreFont)->BuildScore(points, sizeStep, x, y, z, spriteZOrder, textLayer);
    messages.push_back(out);
}

void CPopupMessages::AddMessage(CRefPtr<CPopupMessage>& out, const char* text, float size, int colorIndex, float x,
                                float y, float z, float displayTime)
{
    Begin(out, messageFont)->BuildMessage(text, size, colorIndex, x, y, z, spriteZOrder, textLayer);
    if (displayTime > 0.0f)
        out->lifeTime = displayTime;
    messages.push_back(out);
}

void CPopupMessages::AddMultiplier(CRefPtr<CPopupMessage>& out, int points, int total, int sizeStep, float x,
                                   float y, float z, const std::vector<Vec3>& sources, const std::vector<int>& pictures)
{
    CRefPtr<CPopupMessage> popup = Begin(out, scoreFont);
    popup->texture = multiplierTexture;
    popup->BuildMultiplier(points, total, sizeStep, x, y, z, sources, pictures, spriteZOrder, textLayer);
    messages.push_back(out);
}

void CPopupMessages::AddLoss(CRefPtr<CPopupMessage>& out, const char* text, float size, float x, float y, float z)
{
    Begin(out, messageFont)->BuildLoss(text, size, x, y, z, spriteZOrder, textLayer);
    messages.push_back(out);
}

void CPopupMessages::Update(float dt)
{
    size_t i = 0;
    while (i < messages.size())
    {
        if (!messages[i] || messages[i]->Update(dt) == 0)
            messages.erase(messages.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
}

int CPopupMessages::ComboTier(int count, int colours)
{
    const std::vector<std::vector<int32_t>>& table = g_settings.comboThresholds;
    int r = colours - 5;
    r = std::max(0, std::min(r, 2));
    if (table.size() <= size_t(r) || table[r].size() < 4)
        return -1;
    for (int j = 3; j >= 0; --j)
        if (count >= table[r][j])
            return j;
    return -1;
}

bool CPopupMessages::AddComboMessage(CRefPtr<CPopupMessage>& out, int count, int colours, float x, float y, float z)
{
    const int tier = ComboTier(count, colours);
    if (tier < 0)
    {
        out.Reset();
        return false;
    }
    char name[256] = {};
    GetStringById(tier + 3, name, sizeof(name));
    char text[300];
    std::snprintf(text, sizeof(text), "%s x%d", name, count);
    AddMessage(out, text, 0.8f + 0.2f * float(tier), tier, x, y, z);
    return true;
}
