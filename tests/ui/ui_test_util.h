// Shared helpers of the widget and form tests: the recording device with the
// forms' sprite list and text set, a box font, temporary form files, and a
// reader of the draws the recording backend saw.
#pragma once

#include "render/Device.h"
#include "render/Font.h"
#include "render/SpriteList.h"
#include "tests/support/RecordingDevice.h"
#include "ui/KMWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace ui_test {

inline std::string Fixture(const char* name)
{
    return std::string(ORB_FIXTURES_DIR) + "/" + name;
}

// Writes text to a file of its own in the test temporary folder.
inline std::string TempForm(const std::string& text, const char* name = "ui_test_form.kmf")
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A font of glyph boxes: every glyph 8 wide, 12 high, advancing 10; blank 5.
inline CRefPtr<CFont> BoxFont(CRefPtr<CTexture> texture = CRefPtr<CTexture>(), int baseSize = 16)
{
    CRefPtr<CFont> font(new CFont(texture));
    for (int c = 0; c < CFont::kGlyphCount; ++c)
    {
        CGlyph& g = font->glyphs[c];
        g.width = 0.8f;
        g.height = 1.0f;
        g.advance = 1.0f;
        g.uLeft = 0.0f;
        g.vTop = 0.0f;
        g.uRight = 1.0f;
        g.vBottom = 1.0f;
    }
    font->glyphs[int(' ')].advance = 0.5f;
    font->spaceAdvance = 0.5f;
    font->header[3] = uint32_t(baseSize);
    font->headerFloat3 = float(baseSize);
    return font;
}

// Sprite list and text set with no device: enough for widgets that are not drawn.
struct Lists
{
    CRefPtr<CSpriteList> sprites{new CSpriteList(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(),
                                                 CRefPtr<CIndexBuffer>())};
    CRefPtr<CTextSet> texts{new CTextSet(CRefPtr<CDevice>(), CRefPtr<CVertexBuffer>(), CRefPtr<CIndexBuffer>())};
};

// The queue as "kind@id(x,y)" items, easy to compare as a whole.
inline std::string Records(const std::vector<KMEvent>& events)
{
    std::string out;
    for (const KMEvent& e : events)
    {
        char item[64];
        std::snprintf(item, sizeof item, "%s%d@%d(%g,%g)", out.empty() ? "" : " ", e.kind, e.windowId, e.x, e.y);
        out += item;
    }
    return out;
}

using Draw = test_support::RecordedDraw;

// The recording device with the forms' sprite list and text set on its buffers.
class RecDevice : public test_support::RecordingDevice
{
public:
    CRefPtr<CSpriteList> SpriteList()
    {
        return CRefPtr<CSpriteList>(new CSpriteList(device, vertexBuffer, indexBuffer));
    }

    CRefPtr<CTextSet> TextSet() { return CRefPtr<CTextSet>(new CTextSet(device, vertexBuffer, indexBuffer)); }
};

} // namespace ui_test
