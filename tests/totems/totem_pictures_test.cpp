// The generated pictures hold something where the totems' effects sample them: the
// white totem's paint atlas and the green totem's chain pieces and chain lights; and
// each colour's totem reads by its own shape and colour in the shop and on the panel.
#include "tests/support/GeneratedPicture.h"
#include "totems/TotemSettings.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace
{

struct Cell
{
    const char* what;
    float u0, v0, u1, v1;
};

TEST(TotemPictures, PaintAtlasHoldsBlobGlintDropAndDropGlintEachInsideItsQuarter)
{
    GeneratedPicture pic;
    if (!pic.Load("PaintDrop.png"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    EXPECT_EQ(pic.image.width, pic.image.height) << "the quarters are square";
    const Cell quarters[] = {{"blob", 0.0f, 0.0f, 0.5f, 0.5f},
                             {"blob glint", 0.5f, 0.0f, 1.0f, 0.5f},
                             {"drop", 0.0f, 0.5f, 0.5f, 1.0f},
                             {"drop glint", 0.5f, 0.5f, 1.0f, 1.0f}};
    for (const Cell& q : quarters)
    {
        // Opaque paint near the middle, nothing on the quarter's edge.
        const float cu = 0.5f * (q.u0 + q.u1), cv = 0.5f * (q.v0 + q.v1);
        EXPECT_GE(pic.MaxAlphaIn(cu - 0.06f, cv - 0.06f, cu + 0.06f, cv + 0.06f), 230) << q.what;
        EXPECT_EQ(0, pic.MaxAlphaOnBorder(q.u0, q.v0, q.u1, q.v1)) << q.what;
    }
    // A flying blob turns a 0.25-wide square about the upper cells' centres: what
    // lies beyond 0.125 of them would be cut off at some angle.
    for (const float cu : {0.25f, 0.75f})
    {
        int outside = 0;
        pic.ForEachIn(cu - 0.25f, 0.0f, cu + 0.25f, 0.5f, [&](int x, int y, float u, float v) {
            if (std::hypot(u - cu, v - 0.25f) > 0.125f)
                outside = std::max(outside, pic.Alpha(x, y));
        });
        EXPECT_EQ(0, outside) << "cell about u " << cu;
    }
}

TEST(TotemPictures, ChainPictureHoldsTheBurstPieceAndTheRunningLight)
{
    GeneratedPicture pic;
    if (!pic.Load("Chain.png"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    ASSERT_EQ(256, pic.image.width);
    ASSERT_EQ(128, pic.image.height);
    // The piece the bursting chain throws, and the light that runs along the chain.
    const Cell cells[] = {{"chain piece", 0.71875f, 0.0f, 0.828125f, 0.21875f},
                          {"chain light", 0.734375f, 0.25f, 0.984375f, 0.75f}};
    for (const Cell& c : cells)
    {
        EXPECT_GE(pic.MaxAlphaIn(c.u0, c.v0, c.u1, c.v1), 230) << c.what;
        EXPECT_EQ(0, pic.MaxAlphaOnBorder(c.u0, c.v0, c.u1, c.v1)) << c.what;
    }
    // The light is soft: bright in its middle, fading out towards its rim.
    EXPECT_GE(pic.Light(220, 64), 240);
    EXPECT_LT(pic.Alpha(220 + 26, 64), pic.Alpha(220 + 10, 64));
    // The lock rings the board draws keep their own area.
    EXPECT_GE(pic.MaxAlphaIn(0.0f, 0.0f, 0.359375f, 0.71875f), 230);
    EXPECT_GE(pic.MaxAlphaIn(0.359375f, 0.0f, 0.71875f, 0.71875f), 230);
}

// What a picture shows in one of its cells: its shape (on a grid of 24 x 24 samples
// across the cell) and the mean colour of its opaque pixels. A silhouette picture is
// an opaque darkening mask: its shape is where it is lit.
struct CellLook
{
    std::vector<bool> shape;
    std::array<double, 3> colour{0, 0, 0};
};

CellLook LookAt(const GeneratedPicture& pic, const float (&cell)[4], bool litShape = false)
{
    // The totems' pillars are alike: the emblem crowning each lies in the cell's top half.
    const float r[4] = {cell[0], cell[1], cell[2], 0.5f * (cell[1] + cell[3])};
    constexpr int kGrid = 24;
    CellLook look;
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i)
        {
            const int x = std::min(int((r[0] + (r[2] - r[0]) * (float(i) + 0.5f) / kGrid) * float(pic.image.width)), pic.image.width - 1);
            const int y = std::min(int((r[1] + (r[3] - r[1]) * (float(j) + 0.5f) / kGrid) * float(pic.image.height)), pic.image.height - 1);
            look.shape.push_back(litShape ? pic.Light(x, y) > 90 : pic.Alpha(x, y) > 128);
        }
    int opaque = 0;
    pic.ForEachIn(r[0], r[1], r[2], r[3], [&](int x, int y, float, float) {
        if (pic.Alpha(x, y) <= 128)
            return;
        const uint32_t p = pic.Pixel(x, y);
        look.colour[0] += double((p >> 16) & 0xFFu);
        look.colour[1] += double((p >> 8) & 0xFFu);
        look.colour[2] += double(p & 0xFFu);
        ++opaque;
    });
    for (double& c : look.colour)
        c /= std::max(opaque, 1);
    return look;
}

// Every two of the seven shapes differ over more than a share of the looked-at area.
void ExpectShapesDistinct(const std::vector<CellLook>& looks, double minShare, const char* where)
{
    for (size_t a = 0; a < looks.size(); ++a)
    {
        EXPECT_GT(std::count(looks[a].shape.begin(), looks[a].shape.end(), true), 20) << where << " colour " << a;
        for (size_t b = a + 1; b < looks.size(); ++b)
        {
            size_t differ = 0;
            for (size_t k = 0; k < looks[a].shape.size(); ++k)
                differ += looks[a].shape[k] != looks[b].shape[k] ? 1 : 0;
            EXPECT_GT(double(differ) / double(looks[a].shape.size()), minShare) << where << " colours " << a << " and " << b;
        }
    }
}

// Every two of the seven mean colours lie further apart than a distance (0..441).
void ExpectColoursDistinct(const std::vector<CellLook>& looks, double minDistance, const char* where)
{
    for (size_t a = 0; a < looks.size(); ++a)
        for (size_t b = a + 1; b < looks.size(); ++b)
        {
            const double dr = looks[a].colour[0] - looks[b].colour[0], dg = looks[a].colour[1] - looks[b].colour[1],
                         db = looks[a].colour[2] - looks[b].colour[2];
            EXPECT_GT(std::sqrt(dr * dr + dg * dg + db * db), minDistance) << where << " colours " << a << " and " << b;
        }
}

TEST(TotemPictures, EachColourShowsItsOwnShapeAndColourInTheShopAndOnThePanel)
{
    GeneratedPicture offered, locked, base, contour;
    if (!offered.Load("ShopColor.png") || !locked.Load("ShopBW.png") || !base.Load("TotemBase.tga") ||
        !contour.Load("TotemContour.png"))
        GTEST_SKIP() << "the game's pictures are not generated in this build";
    CTotemSettings s;
    s.Load((std::string(ORB_GAME_DIR) + "/Data/Config/Totems.cfg").c_str());
    std::vector<CellLook> shopOffered, shopLocked, panelSilhouettes, panelOutlines;
    for (int c = 0; c < kTotemColourCount; ++c)
    {
        shopOffered.push_back(LookAt(offered, s.m_shopPlaces[c].textureRect));
        shopLocked.push_back(LookAt(locked, s.m_shopPlaces[c].textureRect));
        ASSERT_EQ(0, s.m_darks[c].texture) << "the silhouettes lie in the plinth's picture";
        const float* d = s.m_darks[c].corners;
        const float silhouette[4] = {d[0], d[1], d[4], d[5]};
        panelSilhouettes.push_back(LookAt(base, silhouette, true));
        panelOutlines.push_back(LookAt(contour, s.m_contourRects[c]));
    }
    ExpectShapesDistinct(shopOffered, 0.025, "offered in the shop");
    ExpectColoursDistinct(shopOffered, 40.0, "offered in the shop");
    ExpectShapesDistinct(shopLocked, 0.025, "locked in the shop");
    ExpectColoursDistinct(shopLocked, 12.0, "locked in the shop");
    // On the panel a colour not owned shows its totem's silhouette, outlined in its colour.
    ExpectShapesDistinct(panelSilhouettes, 0.025, "silhouette on the panel");
    ExpectColoursDistinct(panelOutlines, 25.0, "outline on the panel");
}

} // namespace
