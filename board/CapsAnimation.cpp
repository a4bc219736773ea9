#include "board/CapsAnimation.h"

#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

// What a failing read throws: the code and, for an unexpected token, the token.
struct ParseError
{
    int code;
    std::string token;
};

// The next token; the end of the file is code 0.
void Next(CTokenizer& tokenizer, char* token)
{
    if (tokenizer.NextToken(token) == 0)
        throw ParseError{CCapsAnimation::kErrorEndOfFile, std::string()};
}

bool IsKeyword(const char* token, const char* keyword)
{
    char upper[CTokenizer::kTokenSize + 1];
    std::strncpy(upper, token, CTokenizer::kTokenSize);
    upper[CTokenizer::kTokenSize] = '\0';
    StrUpper(upper);
    return std::strcmp(upper, keyword) == 0;
}

} // namespace

CCapsAnimation::CCapsAnimation()
{
    frames.reserve(16);
    track.reserve(32);
}

void CCapsAnimation::ReadBlock(CTokenizer& tokenizer)
{
    char token[CTokenizer::kTokenSize + 1] = {};
    Next(tokenizer, token);
    if (!IsKeyword(token, "TEXTURESIZE"))
        throw ParseError{kErrorToken, token};
    Next(tokenizer, token);
    const int width = std::atoi(token);
    if (width < 1)
        throw ParseError{kErrorToken, token};
    Next(tokenizer, token);
    const int height = std::atoi(token);
    if (height < 1)
        throw ParseError{kErrorToken, token};
    const float invWidth = 1.0f / float(width);
    const float invHeight = 1.0f / float(height);

    for (;;)
    {
        Next(tokenizer, token);
        if (IsKeyword(token, "TRACK"))
            break;
        if (!IsKeyword(token, "FRAME"))
            throw ParseError{kErrorToken, token};
        Next(tokenizer, token);
        if (std::atoi(token) != int(frames.size()))
            throw ParseError{kErrorFrameNumber, std::string()};
        int edges[4];
        for (int& edge : edges)
        {
            Next(tokenizer, token);
            edge = std::atoi(token);
        }
        frames.push_back(CCapRect{float(edges[0]) * invWidth, float(edges[1]) * invHeight,
                                  float(edges[2]) * invWidth, float(edges[3]) * invHeight});
    }

    Next(tokenizer, token);
    if (token[0] != '(')
        throw ParseError{kErrorToken, token};
    for (;;)
    {
        Next(tokenizer, token);
        if (token[0] == ')')
        {
            // A track with nothing in it reads as a file that ended early.
            if (track.empty())
                throw ParseError{kErrorEndOfFile, std::string()};
            return;
        }
        const int frame = std::atoi(token);
        if (frame < 0 || frame >= int(frames.size()))
            throw ParseError{kErrorFrameNumber, std::string()};
        track.push_back(frame);
    }
}

int CCapsAnimation::Parse(CTokenizer& tokenizer)
{
    frames.clear();
    track.clear();
    try
    {
        ReadBlock(tokenizer);
        return 1;
    }
    catch (const ParseError& error)
    {
        char line[64];
        switch (error.code)
        {
        case kErrorEndOfFile:
            LogText("Unexpected End of file\n");
            break;
        case kErrorToken:
            std::snprintf(line, sizeof line, "> in Line %d\n", int(tokenizer.lineNumber));
            LogText(("Unexpected Token <" + error.token + line).c_str());
            break;
        case kErrorFrameNumber:
            std::snprintf(line, sizeof line, "Wrong FrameNum in line %d\n", int(tokenizer.lineNumber));
            LogText(line);
            break;
        default:
            LogText("Unknown error");
            break;
        }
    }
    catch (...)
    {
        LogText("Unknown error");
    }
    return 0;
}

const CCapRect* CCapsAnimation::FrameAt(int32_t trackPosition) const
{
    if (track.empty())
        return nullptr;
    if (trackPosition < 0)
        trackPosition = 0;
    if (trackPosition >= int32_t(track.size()))
        trackPosition = int32_t(track.size()) - 1;
    const int32_t frame = track[size_t(trackPosition)];
    if (frame < 0 || frame >= int32_t(frames.size()))
        return nullptr;
    return &frames[size_t(frame)];
}

int32_t GetCapAnimationIndex(int32_t lookValue)
{
    if (lookValue >= 0 && lookValue <= 6)
        return lookValue;
    if (lookValue >= 20 && lookValue <= 28)
        return lookValue - 12;
    if (lookValue >= 50 && lookValue <= 56)
        return lookValue - 50;
    return CCapsAnimation::kSpecial;
}
