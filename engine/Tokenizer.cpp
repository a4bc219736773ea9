#include "engine/Tokenizer.h"

#include "platform/crt.h"

#include <cstring>

CTokenizer::~CTokenizer()
{
    if (file)
        std::fclose(file);
}

int CTokenizer::Open(const char* path)
{
    if (file)
        Close();
    file = crt::fopen(path, "r");
    if (!file)
        return 1;
    for (int c = 0; c < 256; ++c)
    {
        wordClass[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ? 1
                       : (c >= '0' && c <= '9')                                  ? 2
                                                                                  : 0;
        blankClass[c] = c == ' ' || c == '\t' ? 1 : 0;
    }
    line[0] = 0;
    lineLength = 0;
    position = 0;
    lineNumber = 0;
    return 0;
}

int CTokenizer::Close()
{
    if (!file)
        return 0;
    int r = std::fclose(file);
    file = nullptr;
    return r;
}

// Reads lines until one has characters; false at the end of the file. A line
// longer than the buffer arrives in pieces, each counted as a line.
bool CTokenizer::Refill()
{
    while (position >= lineLength)
    {
        ++lineNumber;
        if (!file || !std::fgets(line, kLineSize - 1, file))
            return false;
        size_t n = std::strlen(line);
        if (n > 0 && line[n - 1] == '\n')
            line[--n] = 0;
        if (n > 0)
        {
            position = 0;
            lineLength = int32_t(n);
        }
    }
    return true;
}

int CTokenizer::NextToken(char* out)
{
    for (;;)
    {
        if (!Refill())
            return 0;
        while (position < lineLength && blankClass[(unsigned char)line[position]])
            ++position;
        if (position >= lineLength)
            continue;
        if (line[position] == '#')
        {
            position = lineLength;
            continue;
        }
        break;
    }

    int n = 0;
    const unsigned char first = (unsigned char)line[position];
    if (first == '"')
    {
        out[n++] = '"';
        ++position;
        while (position < lineLength && line[position] != '"')
        {
            // \" is a quote inside the text, unless it is the line's last quote:
            // a text may end in a backslash.
            if (line[position] == '\\' && position + 1 < lineLength && line[position + 1] == '"' &&
                std::memchr(line + position + 2, '"', size_t(lineLength - position - 2)))
                out[n++] = line[position++];
            out[n++] = line[position++];
        }
        out[n++] = '"';
        if (position < lineLength)
            ++position; // past the closing quote
    }
    else if ((first >= '0' && first <= '9') || first == '-')
    {
        out[n++] = line[position++];
        while (position < lineLength)
        {
            char c = line[position];
            bool numeric = (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' ||
                           (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
            if (!numeric)
                break;
            out[n++] = c;
            ++position;
        }
    }
    else if (wordClass[first] == 1)
    {
        out[n++] = line[position++];
        while (position < lineLength && wordClass[(unsigned char)line[position]] != 0)
            out[n++] = line[position++];
    }
    else
    {
        out[n++] = line[position++];
    }
    out[n] = 0;
    return n;
}
