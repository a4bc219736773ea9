// CTokenizer: the lexical reader of every text-file parser (string table, level
// files, token animations, form files, Vol.cfg, the texture catalogue). One
// token per call: quoted strings (with their quotes), numbers, words and single
// punctuation characters; blanks and '#' comments are skipped. Usually a local
// of the parsing function.
#pragma once

#include <cstdint>
#include <cstdio>

class CTokenizer
{
public:
    enum { kLineSize = 2048, kTokenSize = 2048 };

    CTokenizer() = default;
    ~CTokenizer();
    CTokenizer(const CTokenizer&) = delete;
    CTokenizer& operator=(const CTokenizer&) = delete;

    // 0 on success, 1 when the file cannot be opened (text mode).
    int Open(const char* path);

    // Writes the next token into out (2048 bytes always suffice) and returns its
    // length; 0 at the end of the file, with nothing written.
    int NextToken(char* out);

    // Closes the file; the stream library's result.
    int Close();

    FILE* file = nullptr;
    char line[kLineSize] = {};
    int32_t lineLength = 0;
    int32_t position = 0;
    unsigned char wordClass[256] = {};  // 1 letters and '_', 2 digits
    unsigned char blankClass[256] = {}; // 1 blank and tab
    int32_t lineNumber = 0;             // line reads made since Open, for messages

private:
    bool Refill();
};
