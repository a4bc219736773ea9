#include "engine/StringTable.h"

#include "engine/Log.h"
#include "engine/StringUtil.h"
#include "engine/Tokenizer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// Thrown inside a load when a file does not have the expected shape.
enum { kBadFormat = 1 };

std::map<int32_t, std::string> g_byId;
std::map<std::string, std::string> g_byName;

// \n, \t, \\ and \" become a line feed, a tab, a backslash and a quote; any other backslash
// stays as written, also one at the very end.
std::string Unescape(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p)
    {
        if (*p == '\\' && p[1] != 0)
        {
            const char next = p[1];
            if (next == 'n' || next == 't' || next == '\\' || next == '"')
            {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
                ++p;
                continue;
            }
        }
        out += *p;
    }
    return out;
}

// The next token with its quotes removed; end of file is a format error.
std::string NextUnquoted(CTokenizer& tokenizer, char* token)
{
    if (tokenizer.NextToken(token) == 0)
        throw int(kBadFormat);
    StripQuotes(token, token);
    return token;
}

void LogLoadError(int code, const char* path)
{
    LogText(code == kBadFormat ? "Bad file format" : "Unknown error loading");
    LogText(path);
    LogText("\n");
}

void LogOpenError(const char* path)
{
    LogText("Unable to open file ");
    LogText(path);
    LogText("\n");
}

// Opens a token file and runs read(tokenizer, token) over it; a format error is
// thrown as its code. False, with the message logged, when the file is missing
// or malformed.
template <class Read>
bool ReadTokenFile(const char* path, Read&& read)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path) != 0)
    {
        LogOpenError(path);
        return false;
    }
    char token[CTokenizer::kTokenSize];
    try
    {
        read(tokenizer, token);
    }
    catch (int code)
    {
        LogLoadError(code, path);
        tokenizer.Close();
        return false;
    }
    tokenizer.Close();
    return true;
}

// The id entries go to textsByName; the entries after the tag go straight to
// the process-wide name table. False when the file is missing or malformed.
bool ReadStrings(const char* path, std::map<std::string, std::string>& textsByName)
{
    return ReadTokenFile(path, [&](CTokenizer& tokenizer, char* token) {
        if (tokenizer.NextToken(token) == 0)
            throw int(kBadFormat);
        StrUpper(token);
        if (std::strcmp(token, "STRINGS") != 0)
            throw int(kBadFormat);

        for (;;)
        {
            if (tokenizer.NextToken(token) == 0)
                throw int(kBadFormat);
            if (std::strcmp(token, "KMF") == 0)
                break;
            StripQuotes(token, token);
            const std::string name = token;
            textsByName.emplace(name, Unescape(NextUnquoted(tokenizer, token).c_str()));
        }

        while (tokenizer.NextToken(token) != 0)
        {
            StripQuotes(token, token);
            const std::string name = token;
            g_byName.emplace(name, Unescape(NextUnquoted(tokenizer, token).c_str()));
        }
    });
}

bool ReadIds(const char* path, std::map<std::string, int32_t>& idsByName)
{
    return ReadTokenFile(path, [&](CTokenizer& tokenizer, char* token) {
        while (tokenizer.NextToken(token) != 0)
        {
            if (std::strcmp(token, "define") != 0)
                throw int(kBadFormat);
            const std::string name = NextUnquoted(tokenizer, token);
            if (tokenizer.NextToken(token) == 0)
                throw int(kBadFormat);
            idsByName.emplace(name, int32_t(std::atoi(token)));
        }
    });
}

int CopyOut(const std::string* text, char* buffer, int size)
{
    if (!buffer || size < 1)
        return 0;
    if (!text)
    {
        buffer[0] = 0;
        return 0;
    }
    const int length = int(text->size());
    const int copied = length < size ? length : size - 1;
    std::memcpy(buffer, text->data(), size_t(copied));
    buffer[copied] = 0;
    return copied;
}

} // namespace

void LoadStringTable(const char* stringsPath, const char* idsPath)
{
    g_byId.clear();
    std::map<std::string, std::string> textsByName;
    std::map<std::string, int32_t> idsByName;
    if (!ReadStrings(stringsPath, textsByName) || !ReadIds(idsPath, idsByName))
        return;

    // Names are joined in byte order, so of two names sharing an id the one
    // that sorts first keeps it.
    for (const auto& entry : textsByName)
    {
        const auto id = idsByName.find(entry.first);
        if (id == idsByName.end())
        {
            LogText("Warning! Unable to find string ID ");
            LogText(entry.first.c_str());
            LogText("\n");
            continue;
        }
        g_byId.emplace(id->second, entry.second);
    }
}

int GetStringById(int id, char* buffer, int size)
{
    const auto it = g_byId.find(int32_t(id));
    return CopyOut(it == g_byId.end() ? nullptr : &it->second, buffer, size);
}

int GetStringByName(const char* name, char* buffer, int size)
{
    const auto it = name ? g_byName.find(name) : g_byName.end();
    return CopyOut(it == g_byName.end() ? nullptr : &it->second, buffer, size);
}
