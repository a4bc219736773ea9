// The quads the built-in systems write into the shared buffers.
#include "EffectsTestUtil.h"

#include <gtest/gtest.h>

#include <vector>

using namespace effects_test;

namespace
{

struct Quad
{
    std::vector<CVertex> v = std::vector<CVertex>(4);
    std::vector<uint16_t> i = std::vector<uint16_t>(6);
};

void ExpectCorner(const CVertex& v, float x, float y, const char* what)
{
    EXPECT_NEAR(v.x, x, 1e-5f) << what;
    EXPECT_NEAR(v.y, y, 1e-5f) << what;
}

} // namespace

TEST(BuiltInDrawing, SparkStreaksLieAlongTheirVelocityWithinTheirLengthLimits)
{
    struct Case
    {
        const char* name;
        Vec3 velocity;
        float halfLength; // along x
    };
    // Width 0.5, 0.75 units of length per unit of speed, at most 20.
    const Case cases[] = {{"speed 10", Vec3{10, 0, 0}, 3.75f},
                          {"capped", Vec3{100, 0, 0}, 10.0f},
                          {"still: as long as wide", Vec3{0, 0, 0}, 0.25f}};
    for (const Case& c : cases)
    {
        auto sparks = MakeSystem<CSparksParticleSystem>(
            CSparksSpringParametres(Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 0, 0}, 0, 0, 0), 1);
        sparks->particles[0].Spawn(0xFF102030u, 1.0f, Vec3{1, 2, 0}, c.velocity, 0.5f, 1.5f, 20.0f);
        sparks->highWater = 1;
        sparks->liveCount = 1;
        Quad q;
        sparks->FillBuffers(q.v.data(), q.i.data(), 8, 0);
        ExpectCorner(q.v[0], 1.0f + c.halfLength, 2.25f, c.name);
        ExpectCorner(q.v[1], 1.0f + c.halfLength, 1.75f, c.name);
        ExpectCorner(q.v[2], 1.0f - c.halfLength, 1.75f, c.name);
        ExpectCorner(q.v[3], 1.0f - c.halfLength, 2.25f, c.name);
        EXPECT_EQ(q.v[0].colour, 0xFF102030u) << c.name;
        EXPECT_EQ(q.v[2].u, 1.0f);
        EXPECT_EQ(q.v[2].v, 1.0f);
        EXPECT_EQ(q.i, (std::vector<uint16_t>{8, 9, 10, 8, 10, 11}));
    }
}

TEST(BuiltInDrawing, SmokePuffsUseTheirAtlasCellAndDarkeningCarriesOpacityInTheColour)
{
    struct Case
    {
        int32_t flags;
        uint32_t colour;
    };
    const Case cases[] = {{0, 0x80804020u}, {1, 0x80804020u}, {2, 0xFF402010u}};
    for (const Case& c : cases)
    {
        CSmokesSpringParametres block(Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 0, 0}, 0, 0, 0, 0,
                                      0x804020u, c.flags);
        auto smokes = MakeSystem<CSmokesParticleSystem>(block, 1);
        CSmoke& puff = smokes->particles[0];
        puff.Spawn(0x804020u, 0.0f, Vec3{5, 5, 0}, Vec3{0, 0, 0}, 2.0f, 0, 0, 0);
        puff.alpha = 0.5f;
        puff.angle = 0.0f;
        puff.frame = 5.0f; // second row, second column
        smokes->highWater = 1;
        smokes->liveCount = 1;
        Quad q;
        smokes->FillBuffers(q.v.data(), q.i.data(), 0, 0);
        EXPECT_EQ(q.v[0].colour, c.colour) << c.flags;
        ExpectCorner(q.v[0], 4.0f, 6.0f, "top left");
        ExpectCorner(q.v[2], 6.0f, 4.0f, "bottom right");
        EXPECT_EQ(q.v[0].u, 0.25f);
        EXPECT_EQ(q.v[0].v, 0.25f);
        EXPECT_EQ(q.v[2].u, 0.5f);
        EXPECT_EQ(q.v[2].v, 0.5f);
    }
}

TEST(BuiltInDrawing, BoltSegmentsAreLengthenedByHalfTheirWidthAtEachEnd)
{
    CThunderboltParametres block(Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 0, 0, 0,
                                 Vec3{10, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, 0, 0, 0, 1, 1,
                                 0xFF2040u);
    block.pointSize = 2.0f;
    auto bolt = MakeSystem<CThunderboltParticleSystem>(block, 2);
    bolt->Update(0.1f);
    ASSERT_EQ(bolt->liveCount, 1);
    Quad q;
    bolt->FillBuffers(q.v.data(), q.i.data(), 0, 0);
    ExpectCorner(q.v[0], -1.0f, 1.0f, "V1");
    ExpectCorner(q.v[1], -1.0f, -1.0f, "V2");
    ExpectCorner(q.v[2], 11.0f, -1.0f, "V3");
    ExpectCorner(q.v[3], 11.0f, 1.0f, "V4");
    uint32_t alpha = q.v[0].colour >> 24;
    EXPECT_EQ(alpha, pmath::AlphaByte(bolt->particles[0].brightness));
    EXPECT_EQ(q.v[0].colour & 0xFFFFFFu, 0xFF2040u);
}
