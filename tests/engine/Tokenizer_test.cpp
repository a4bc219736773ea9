#include "engine/Tokenizer.h"

#include "tests/platform/files_testdir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every token of a text with the line number at which it was read.
struct Token
{
    std::string text;
    int line;
    bool operator==(const Token& o) const { return text == o.text && line == o.line; }
};

std::ostream& operator<<(std::ostream& os, const Token& t)
{
    return os << "{" << t.text << "@" << t.line << "}";
}

std::vector<Token> Tokens(const std::string& content, int* finalLine = nullptr)
{
    TestDir dir;
    dir.Write("t.txt", content);
    CTokenizer tok;
    EXPECT_EQ(tok.Open((dir / "t.txt").c_str()), 0);
    std::vector<Token> out;
    char buf[CTokenizer::kTokenSize];
    while (int n = tok.NextToken(buf))
    {
        EXPECT_EQ(n, int(std::strlen(buf)));
        out.push_back({buf, tok.lineNumber});
    }
    if (finalLine)
        *finalLine = tok.lineNumber;
    EXPECT_EQ(tok.NextToken(buf), 0); // stays at the end
    tok.Close();
    return out;
}

TEST(Tokenizer, TokenRules)
{
    struct Case
    {
        const char* text;
        std::vector<Token> want;
    };
    const Case cases[] = {
        {"word \"quoted # kept\" # comment\nNEXT",
         {{"word", 1}, {"\"quoted # kept\"", 1}, {"NEXT", 2}}},
        {"\"unclosed string", {{"\"unclosed string\"", 1}}},
        {"\"\"x", {{"\"\"", 1}, {"x", 1}}},
        {"abc-12", {{"abc", 1}, {"-12", 1}}},
        {"12abcdef 12x 0x1F", {{"12abcdef", 1}, {"12", 1}, {"x", 1}, {"0", 1}, {"x1F", 1}}},
        {"-1.5e-3 1-2 - +3 .5", {{"-1.5e-3", 1}, {"1-2", 1}, {"-", 1}, {"+", 1}, {"3", 1}, {".", 1}, {"5", 1}}},
        {"{1,2}", {{"{", 1}, {"1", 1}, {",", 1}, {"2", 1}, {"}", 1}}},
        {"_a9b#c\n\t\xc0\xe9", {{"_a9b", 1}, {"\xc0", 2}, {"\xe9", 2}}}, // '#' after a word starts a comment
        {"a\r\nb\r\n", {{"a", 1}, {"b", 2}}}, // CR LF arrives as LF
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c.text), c.want) << "text: " << c.text;
}

TEST(Tokenizer, LineNumbers)
{
    int line = 0;
    EXPECT_TRUE(Tokens("\n   \n# only a comment\n\t\n", &line).empty());
    EXPECT_EQ(line, 5); // four lines, then the read that meets the end

    std::vector<Token> t = Tokens("\n\nA\n\n  B # c\nC", &line);
    EXPECT_EQ(t, (std::vector<Token>{{"A", 3}, {"B", 5}, {"C", 6}}));
    EXPECT_EQ(line, 7);
}

TEST(Tokenizer, LongLineArrivesInPieces)
{
    // 3000 letters: read as 2046 and then 954, each counted as a line.
    std::vector<Token> t = Tokens(std::string(3000, 'a') + "\nb");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text.size(), 2046u);
    EXPECT_EQ(t[0].line, 1);
    EXPECT_EQ(t[1].text.size(), 954u);
    EXPECT_EQ(t[1].line, 2);
    EXPECT_EQ(t[2], (Token{"b", 3}));

    // A quoted string filling a whole piece still fits the 2048-byte buffer.
    t = Tokens("\"" + std::string(3000, 'q'));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text.size(), 2047u);
    EXPECT_EQ(t[0].text.back(), '"');
}

TEST(Tokenizer, MissingFile)
{
    TestDir dir;
    CTokenizer tok;
    EXPECT_EQ(tok.Open((dir / "none.txt").c_str()), 1);
    char buf[CTokenizer::kTokenSize];
    EXPECT_EQ(tok.NextToken(buf), 0);
}

} // namespace
