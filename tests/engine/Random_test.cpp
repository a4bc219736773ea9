#include "engine/Random.h"

#include "platform/crt.h"

#include <gtest/gtest.h>

namespace {

// The first seed whose first draw is the wanted value.
unsigned SeedGiving(int value)
{
    for (unsigned seed = 0;; ++seed)
    {
        crt::srand(seed);
        if (crt::rand() == value)
            return seed;
    }
}

TEST(Random, UnitCoversBothEnds)
{
    crt::srand(SeedGiving(32767));
    EXPECT_EQ(RandomUnit(), 1.0f);
    crt::srand(SeedGiving(0));
    EXPECT_EQ(RandomUnit(), 0.0f);
    crt::srand(SeedGiving(16384));
    EXPECT_FLOAT_EQ(RandomUnit(), float(16384 / 32767.0));
}

TEST(Random, ColorHasOneIndependentChannel)
{
    // Complementary pair fixed at 0.2 and 0.2, the odd channel at 1.0: every
    // colour has exactly one full channel, and all three sectors occur.
    crt::srand(7);
    bool seen[3] = {false, false, false};
    for (int i = 0; i < 200; ++i)
    {
        uint32_t c = RandomColor(0.2f, 0.2f, 1.0f, 1.0f);
        ASSERT_EQ(c >> 24, 0xFFu);
        uint32_t ch[3] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};
        int full = 0;
        for (int k = 0; k < 3; ++k)
        {
            if (ch[k] == 255)
            {
                ++full;
                seen[k] = true;
            }
            else
            {
                EXPECT_EQ(ch[k], 51u) << std::hex << c;
            }
        }
        EXPECT_EQ(full, 1) << std::hex << c;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

TEST(Random, ColorPairSumsToLoPlusHi)
{
    crt::srand(99);
    for (int i = 0; i < 100; ++i)
    {
        uint32_t c = RandomColor(0.0f, 1.0f, 0.0f, 0.0f);
        uint32_t ch[3] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};
        int zeros = 0;
        uint32_t sum = 0;
        for (uint32_t v : ch)
        {
            zeros += v == 0;
            sum += v;
        }
        ASSERT_GE(zeros, 1);
        EXPECT_GE(sum, 253u); // floor() of each of p and 1 - p
        EXPECT_LE(sum, 255u);
    }
}

TEST(Random, ParseHex)
{
    struct Case { const char* text; uint32_t want; };
    const Case cases[] = {
        {"ff8000", 0xff8000u},  {"FFFFFFFF", 0xffffffffu}, {"1234567890", 0x12345678u},
        {"12G4", 0x1204u},      {"", 0u},                  {"0x10", 0x0010u}, // 'x' counts as 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHex(c.text), c.want) << c.text;
}

} // namespace
