#include "engine/StringUtil.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Apply(void (*fn)(const char*, char*), const char* src, const char* initialDst = "untouched")
{
    char dst[64];
    std::snprintf(dst, sizeof dst, "%s", initialDst);
    fn(src, dst);
    return dst;
}

TEST(StringUtil, StripQuotes)
{
    struct Case { const char* src; const char* want; };
    const Case cases[] = {
        {"\"abc\"", "abc"},
        {"\"abc", "abc"},
        {"abc\"", "abc"},
        {"abc", "abc"},
        {"\"", ""},
        {"\"\"", ""},
        {"\"a\"b\"", "a\"b"},
        {"", "untouched"}, // an empty source leaves the destination alone
    };
    for (const Case& c : cases)
        EXPECT_EQ(Apply(StripQuotes, c.src), c.want) << "src=" << c.src;
}

TEST(StringUtil, TrimCopy)
{
    struct Case { const char* src; const char* want; };
    const Case cases[] = {
        {"  a b \t", "a b"}, {"\t\t", ""}, {"", ""}, {"x", "x"}, {"a\n", "a\n"}, // line feeds are no blanks
    };
    for (const Case& c : cases)
        EXPECT_EQ(Apply(TrimCopy, c.src), c.want) << "src=" << c.src;
}

TEST(StringUtil, InPlaceHelpers)
{
    char a[] = "ab\ncd\n";
    ChopNewline(a);
    EXPECT_STREQ(a, "ab\ncd");
    char b[] = "no line feed";
    ChopNewline(b);
    EXPECT_STREQ(b, "no line feed");

    char u[] = "Level_9 z\xe0{";
    StrUpper(u);
    EXPECT_STREQ(u, "LEVEL_9 Z\xe0{"); // only a-z change

    char s[] = "\"in place\"";
    StripQuotes(s, s);
    EXPECT_STREQ(s, "in place");
    char t[] = "  in place ";
    TrimCopy(t, t);
    EXPECT_STREQ(t, "in place");
}

} // namespace
