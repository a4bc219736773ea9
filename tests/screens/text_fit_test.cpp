// Every text of the shipped forms and string table fits the place that shows it,
// measured with the shipped fonts: a caption wraps inside its widget's box, and a
// pop-up over the board stays inside the board.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/StringTable.h"
#include "hud/LossEffect.h"
#include "hud/PopupMessages.h"
#include "hud/QuestLayout.h"
#include "hud/StarEffect.h"
#include "render/Font.h"
#include "ui/FormDesc.h"

namespace {

namespace fs = std::filesystem;

const std::string kGame = ORB_GAME_DIR;

// A little ink past the box (a shadow, a glyph's overhang) is no overflow.
constexpr float kSlack = 4.0f;

struct Extent
{
    float width = 0;
    float height = 0;
};

// Lays the string out as a widget or pop-up does: wrapped to wrapUnits (screen
// units; 0 for no wrap) at the given character scale and line spacing.
Extent Measure(const CRefPtr<CFont>& font, float scale, float wrapUnits, float spacing, const std::string& s)
{
    CText text(font);
    text.SetFontScale(scale, scale, 0);
    text.lineSpacing = spacing;
    std::string laid = s;
    if (wrapUnits > 0)
    {
        text.wrapWidth = wrapUnits / scale;
        text.WrapText(s.c_str(), laid, 0);
    }
    text.SetString(laid.c_str());
    text.Relayout();
    // A line is one character height tall; each further line adds the spacing.
    int lines = 1;
    for (char c : laid)
        if (c == kLineFeed || c == kSoftBreak)
            ++lines;
    while (!laid.empty() && (laid.back() == kLineFeed || laid.back() == kSoftBreak))
    {
        laid.pop_back();
        --lines;
    }
    return {text.width, scale * (1.0f + float(lines - 1) * spacing)};
}

class ShippedTextFit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(kGame + "/Data/Fonts/Font.kfd") || !fs::exists(kGame + "/Data/Txt/Strings.txt"))
            GTEST_SKIP() << "the game's fonts and texts are not in this build";
        LoadStringTable((kGame + "/Data/Txt/Strings.txt").c_str(), (kGame + "/Data/TextID.dat").c_str());
        // The order of the game's font list: the main font, then the additional ones.
        for (const char* name : {"Font", "FontSmall", "FontTitle"})
        {
            CRefPtr<CFont> font(new CFont(CRefPtr<CTexture>()));
            ASSERT_EQ(1, font->Load((kGame + "/Data/Fonts/" + name + ".kfd").c_str())) << name;
            fonts.push_back(font);
        }
    }

    static std::string StringById(int id)
    {
        char buffer[1024] = "";
        GetStringById(id, buffer, sizeof(buffer));
        return buffer;
    }

    std::vector<CRefPtr<CFont>> fonts;
};

TEST_F(ShippedTextFit, EveryCaptionOfEveryFormFitsItsWidget)
{
    int checked = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kGame + "/Data/Forms"))
    {
        if (entry.path().extension() != ".kmf")
            continue;
        CFormDesc form;
        ASSERT_TRUE(form.Read(entry.path().c_str())) << entry.path() << ": " << form.errorText;
        for (const CRefPtr<CFormElementDesc>& e : form.elements)
        {
            if (!e->hasText || e->text.empty() || e->size[0] <= 0 || e->size[1] <= 0)
                continue;
            const size_t f = e->font > 0 && size_t(e->font) < fonts.size() ? size_t(e->font) : 0;
            const float scale = e->charScale[0] * fonts[f]->GetBaseSize() * 1024.0f / form.screenWidth;
            // A special width counts in character sizes of the element's font.
            const float box = e->hasSpecialWidth ? e->specialWidth * e->charScale[0] : e->size[0];
            const Extent ink = Measure(fonts[f], scale, box, e->interval, e->text);
            SCOPED_TRACE(entry.path().filename().string() + ": \"" + e->text + "\"");
            EXPECT_LE(ink.width, box + kSlack);
            EXPECT_LE(ink.height, e->size[1] + kSlack);
            ++checked;
        }
    }
    EXPECT_GT(checked, 50);
}

// The texts the game puts into the message box's body at run time.
TEST_F(ShippedTextFit, EveryMessageBoxTextFitsAboveItsButtons)
{
    CFormDesc form;
    ASSERT_TRUE(form.Read((kGame + "/Data/Forms/MsgBox.kmf").c_str())) << form.errorText;
    const CFormElementDesc* body = nullptr;
    for (const CRefPtr<CFormElementDesc>& e : form.elements)
        if (e->hasSpecialWidth)
            body = e.Get();
    ASSERT_NE(nullptr, body);
    const size_t f = body->font > 0 && size_t(body->font) < fonts.size() ? size_t(body->font) : 0;
    const float scale = body->charScale[0] * fonts[f]->GetBaseSize();
    // New quest, the bonus levels' rules, the shop's questions, high score, Hard
    // mode unlocked and offered.
    for (int id : {34, 45, 46, 47, 48, 59, 60, 61, 62, 63})
    {
        const std::string text = StringById(id);
        SCOPED_TRACE(text);
        const Extent ink = Measure(fonts[f], scale, body->specialWidth * body->charScale[0], body->interval, text);
        EXPECT_LE(ink.width, body->size[0] + kSlack);
        EXPECT_LE(ink.height, body->size[1] + kSlack);
    }
}

// The level caption's runtime texts on its plaque.
TEST_F(ShippedTextFit, EveryLevelCaptionFitsItsPlaque)
{
    CFormDesc form;
    ASSERT_TRUE(form.Read((kGame + "/Data/Forms/NewLevel.kmf").c_str())) << form.errorText;
    const CFormElementDesc* label = nullptr;
    for (const CRefPtr<CFormElementDesc>& e : form.elements)
        if (e->interrupt == 1)
            label = e.Get();
    ASSERT_NE(nullptr, label);
    const size_t f = label->font > 0 && size_t(label->font) < fonts.size() ? size_t(label->font) : 0;
    const float scale = label->charScale[0] * fonts[f]->GetBaseSize();
    char text[256];
    for (int id : {8, 9, 10, 15})
    {
        std::snprintf(text, sizeof(text), StringById(id).c_str(), 41, 10);
        SCOPED_TRACE(text);
        const Extent ink = Measure(fonts[f], scale, label->size[0], label->interval, text);
        EXPECT_LE(ink.height, label->size[1] + kSlack) << "broken into more lines than the plaque holds";
    }
}

// The pop-ups over the board, with the sizes their callers give, centred on any of
// the places pop-ups show at: none may run past the board's sides. A message swells
// by its pulse.
TEST_F(ShippedTextFit, EveryPopUpTextStaysOnTheBoard)
{
    const std::string score = kGame + "/Data/Config/Score.cfg";
    CPopupMessages::LoadSettings(score.c_str());
    CQuestLayout layout;
    layout.Load((kGame + "/Data/Config/Skin.cfg").c_str());
    CLossEffect loss;
    loss.LoadSettings(score.c_str(), "Loss");
    CStarEffect star;
    star.LoadSettings(score.c_str(), "Star");
    const float left = layout.boardX;
    const float right = layout.boardX + 8.0f * layout.cellWidth;
    const float places[] = {layout.comboMessagePos[0], layout.frenzyMessagePos[0], loss.settings.notePos.x,
                            star.settings.notePos.x};
    const CRefPtr<CFont>& font = fonts[2];
    const std::string lifeLost = StringById(54) + "\n" + StringById(53);
    struct Case
    {
        std::string text;
        float size;
    } cases[] = {
        {StringById(3) + " x99", 0.8f}, {StringById(4) + " x99", 1.0f}, {StringById(5) + " x99", 1.2f},
        {StringById(6) + " x99", 1.4f}, {StringById(7), 1.8f},          {StringById(12), 1.5f},
        {StringById(13), 1.5f},         {StringById(17), 1.5f},         {StringById(18), 1.0f},
        {StringById(19), 1.5f},         {StringById(20), 1.0f},         {StringById(21), 1.0f},
        {StringById(23), 1.0f},         {StringById(24), 1.0f},         {StringById(30), 1.0f},
        {StringById(54), 1.5f},         {lifeLost, 1.5f},               {StringById(71), 1.0f},
    };
    const float swell = CPopupMessages::Settings().message.pulseAmplitude + 1.0f;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const float width = Measure(font, font->GetBaseSize() * c.size, 0, 1.5f, c.text).width * swell;
        for (float x : places)
        {
            EXPECT_GE(x - width / 2, left - kSlack) << "runs past the board's left side from " << x;
            EXPECT_LE(x + width / 2, right + kSlack) << "runs past the board's right side from " << x;
        }
    }
}

// The score pop-ups of a blast stand one per broken token, a cell apart: each
// stays narrower than a cell, so that neighbours never run into one another.
TEST_F(ShippedTextFit, ScorePopUpsOfNeighbouringCellsKeepApart)
{
    CPopupMessages::LoadSettings((kGame + "/Data/Config/Score.cfg").c_str());
    CQuestLayout layout;
    layout.Load((kGame + "/Data/Config/Skin.cfg").c_str());
    const PopupSettings& settings = CPopupMessages::Settings();
    const CRefPtr<CFont>& font = fonts[2];
    // A single token scores two digits, three in a frenzy or a long cascade.
    for (const char* points : {"50", "100", "400"})
    {
        SCOPED_TRACE(points);
        const float size = settings.score.minSize + settings.score.sizeInc;
        EXPECT_LT(Measure(font, font->GetBaseSize() * size, 0, 1.5f, points).width, layout.cellWidth);
    }
}

}  // namespace
