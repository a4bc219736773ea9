// The pop-ups over the board while a level is played: the points of every
// destroyed group (score), the combo, frenzy and challenge announcements
// (message, a pulsing text), the points multiplied by score bonuses
// (multiplier: points, the bonus pictures flying in, the total) and the failure
// notes (loss, a text unfolding vertically). CPopupMessages, a member of the
// board, makes them, animates them each frame and drops them when their time
// is over; their look comes from "Score.cfg", read once at start-up.
#pragma once

#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <cstdint>
#include <vector>

class CFont;
class CSpriteList;
class CSpriteShape;
class CText;
class CTextSet;
class CTexture;

struct PopupSettings
{
    struct Score
    {
        float minSize = 1.0f, sizeInc = 0.1f, swellFactor = 1.5f, swellTime = 0.25f, lifeTime = 0.75f,
              fadeTime = 0.5f;
        float speed[2] = {0.0f, -80.0f};
        uint32_t color = 0xFFFFA050;
        int32_t shadow = 0;
        float shadowShift[2] = {2.0f, -2.0f};
        uint32_t shadowColor = 0x80000000;
    };
    struct Message
    {
        float swellFactor = 1.3f, swellTime = 0.3f, lifeTime = 1.0f, pulseAmplitude = 0.1f,
              pulseRate = 6.2831855f;
        int32_t shadow = 0;
        float shadowShift[2] = {2.0f, -2.0f};
        uint32_t shadowColor = 0x80000000;
        std::vector<uint32_t> colors;
    };
    struct Multiplier
    {
        float minSize = 0.8f, sizeInc = 0.05f, bloomTime = 0.3f, lifeTime = 1.0f, fadeTime = 0.5f;
        float speed[2] = {0.0f, 50.0f};
        uint32_t color = 0xFFFFFF50;
        int32_t shadow = 0;
        float shadowShift[2] = {2.0f, -2.0f};
        uint32_t shadowColor = 0x80000000;
    };
    struct Loss
    {
        float bloomTime = 0.3f, lifeTime = 1.0f, fadeTime = 0.5f;
        uint32_t color = 0xFFFFFF50;
        int32_t shadow = 0;
        float shadowShift[2] = {2.0f, -2.0f};
        uint32_t shadowColor = 0x80000000;
    };

    float z = 0.0f;
    // Row r for a level with 5 + r colours, column j for combo tier j + 1.
    std::vector<std::vector<int32_t>> comboThresholds;
    Score score;
    Message message;
    Multiplier multiplier;
    Loss loss;
};

enum
{
    kPopupScore = 0,
    kPopupMessage = 1,
    kPopupMultiplier = 2,
    kPopupLoss = 3,
};

// One pop-up: its texts (each main text followed by its shadow, when the kind
// has one) and, for the multiplier, its pictures. Destroying it takes its texts
// and pictures off the screen.
class CPopupMessage
{
public:
    CPopupMessage();
    ~CPopupMessage();

    CPopupMessage(const CPopupMessage&) = delete;
    CPopupMessage& operator=(const CPopupMessage&) = delete;

    void SetResources(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet, CRefPtr<CFont> font);
    void BuildScore(int points, int sizeStep, float x, float y, float z, int spriteZOrder, int textLayer);
    void BuildMessage(const char* text, float size, int colorIndex, float x, float y, float z, int spriteZOrder,
                      int textLayer);
    void BuildMultiplier(int points, int total, int sizeStep, float x, float y, float z,
                         const std::vector<Vec3>& sources, const std::vector<int>& pictures, int spriteZOrder,
                         int textLayer);
    void BuildLoss(const char* text, float size, float x, float y, float z, int spriteZOrder, int textLayer);
    // 1 while alive, 0 on the frame it ends.
    int Update(float dt);

    // The swell curve: 0.25 at t = 0, 1 at t = 1, overshooting by the factor.
    static float Swell(float t, float factor);

    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTextSet> textSet;
    CRefPtr<CFont> font;
    int32_t kind = kPopupScore;
    int32_t spriteZOrder = 0;
    int32_t textLayer = -1;
    float lifeTime = 0.0f;
    float timer = 0.0f;
    Vec3 position{0.0f, 0.0f, 0.0f};
    float size = 1.0f;
    std::vector<Vec3> textOffsets;
    std::vector<float> textSizes; // x, y per text
    std::vector<Vec3> spriteOffsets;
    std::vector<float> spriteSizes; // width, height per picture
    std::vector<CRefPtr<CText>> texts;
    std::vector<CRefPtr<CSpriteShape>> sprites;
    CRefPtr<CTexture> texture;
    std::vector<Vec3> spriteStartOffsets;
    std::vector<Vec3> spriteEndOffsets;
    int32_t settled = 0;

private:
    // How the message stands on this frame: its scale and the alpha of its texts and
    // pictures.
    struct Pose
    {
        float sx = 1.0f;
        float sy = 1.0f;
        float textAlpha = 1.0f;
        float spriteAlpha = 1.0f;
    };
    // One per kind: false once the message has ended.
    bool PoseScore(float dt, Pose& pose);
    bool PoseMessage(Pose& pose) const;
    bool PoseMultiplier(float dt, Pose& pose);
    bool PoseLoss(Pose& pose) const;
    void Place(const Pose& pose);

    float FontSize() const;
    void AddText(const char* text, const Vec3& offset, uint32_t colour, int alignment, int shadow,
                 const float* shadowShift, uint32_t shadowColour);
    void MakeText(const char* text, const Vec3& offset, uint32_t colour, int alignment);
};

class CPopupMessages
{
public:
    CPopupMessages();
    ~CPopupMessages();

    CPopupMessages(const CPopupMessages&) = delete;
    CPopupMessages& operator=(const CPopupMessages&) = delete;

    // Reads "Score.cfg" into the settings. Reading again replaces the message
    // colours rather than adding a second set.
    static void LoadSettings(const char* file);
    static PopupSettings& Settings();

    void SetResources(CRefPtr<CSpriteList> spriteList, CRefPtr<CTextSet> textSet, CRefPtr<CFont> scoreFont,
                      CRefPtr<CFont> messageFont, CRefPtr<CTexture> multiplierTexture);

    void AddScore(CRefPtr<CPopupMessage>& out, int points, int sizeStep, float x, float y, float z);
    // A colour index outside the message colours is clamped into them. A display
    // time above 0 stands in for the message life of "Score.cfg".
    void AddMessage(CRefPtr<CPopupMessage>& out, const char* text, float size, int colorIndex, float x, float y,
                    float z, float displayTime = 0.0f);
    // One picture per source; sources and pictures are walked to the shorter list.
    void AddMultiplier(CRefPtr<CPopupMessage>& out, int points, int total, int sizeStep, float x, float y,
                       float z, const std::vector<Vec3>& sources, const std::vector<int>& pictures);
    void AddLoss(CRefPtr<CPopupMessage>& out, const char* text, float size, float x, float y, float z);
    void Update(float dt);

    // The combo tier (0..3) announced for a combo of `count` in a level with
    // `colours` colours, or -1 for none.
    static int ComboTier(int count, int colours);
    // The announcement itself ("%s x%d" of string tier + 3) at the combo message
    // position; false when the combo earns none.
    bool AddComboMessage(CRefPtr<CPopupMessage>& out, int count, int colours, float x, float y, float z);

    CRefPtr<CSpriteList> spriteList;
    CRefPtr<CTextSet> textSet;
    CRefPtr<CFont> scoreFont;
    CRefPtr<CFont> messageFont;
    CRefPtr<CTexture> multiplierTexture;
    std::vector<CRefPtr<CPopupMessage>> messages;
    int32_t spriteZOrder = 0;
    int32_t textLayer = -1;

private:
    CRefPtr<CPopupMessage> Begin(CRefPtr<CPopupMessage>& out, const CRefPtr<CFont>& font);
};
