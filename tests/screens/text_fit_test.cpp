// Every text of the shipped forms and string table fits the place that shows it,
// measured with the shipped fonts: a caption wraps inside its widget's box.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/StringTable.h"
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

}  // namespace
