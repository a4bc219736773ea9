#include "platform/files/cp1251.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1251, Conversions)
{
    struct Case
    {
        const char* cp;
        const char* utf8;
    };
    const Case cases[] = {
        {"Player 1", "Player 1"},
        {"\xc0\xff", "\xd0\x90\xd1\x8f"}, // А я
        {"\xa8\xb8", "\xd0\x81\xd1\x91"}, // Ё ё
        {"\xb9\x96\x88", "\xe2\x84\x96\xe2\x80\x93\xe2\x82\xac"}, // № – €
        {"\xa0\xab\xbb", "\xc2\xa0\xc2\xab\xc2\xbb"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(platform::Cp1251ToUtf8(c.cp), c.utf8) << c.cp;
        bool ok = false;
        EXPECT_EQ(platform::Utf8ToCp1251(c.utf8, &ok), c.cp) << c.cp;
        EXPECT_TRUE(ok);
    }
    // Every byte but 0x98 survives the round trip.
    for (int b = 1; b < 256; ++b)
    {
        std::string one(1, char(b));
        EXPECT_EQ(platform::Utf8ToCp1251(platform::Cp1251ToUtf8(one)), b == 0x98 ? "" : one) << b;
    }
}

TEST(Cp1251, UnmappableAndBrokenInputIsDropped)
{
    struct Case
    {
        const char* utf8;
        const char* cp;
    };
    const Case cases[] = {
        {"a\xe4\xb8\xad" "b", "ab"},      // a CJK character
        {"a\xf0\x9f\x98\x80" "b", "ab"},  // an emoji
        {"a\x80" "b", "ab"},              // stray continuation byte
        {"a\xd0", "a"},                   // cut sequence
        {"\xd0" "A\xd1\x8f", "A\xff"},    // lead byte without its continuation
    };
    for (const Case& c : cases)
    {
        bool ok = true;
        EXPECT_EQ(platform::Utf8ToCp1251(c.utf8, &ok), c.cp) << c.utf8;
        EXPECT_FALSE(ok) << c.utf8;
    }
}

TEST(Cp1251, UpperCase)
{
    EXPECT_EQ(platform::Cp1251Upper('q'), 'Q');
    EXPECT_EQ(platform::Cp1251Upper(0xFF), 0xDF); // я -> Я
    EXPECT_EQ(platform::Cp1251Upper(0xB8), 0xA8); // ё -> Ё
    EXPECT_EQ(platform::Cp1251Upper(0xC0), 0xC0);
    EXPECT_EQ(platform::Cp1251Upper('{'), '{');
}

} // namespace
