#include "engine/StringUtil.h"

#include <cstring>

void StrUpper(char* s)
{
    if (!s)
        return;
    for (; *s; ++s)
        if (*s >= 'a' && *s <= 'z')
            *s = char(*s - 32);
}

void StripQuotes(const char* src, char* dst)
{
    if (!src || !dst || !*src)
        return;
    if (*src == '"')
        ++src;
    size_t n = std::strlen(src);
    std::memmove(dst, src, n);
    if (n > 0 && dst[n - 1] == '"')
        --n;
    dst[n] = 0;
}

void ChopNewline(char* s)
{
    if (!s)
        return;
    if (char* nl = std::strrchr(s, '\n'))
        *nl = 0;
}

void TrimCopy(const char* src, char* dst)
{
    if (!src || !dst)
        return;
    while (*src == ' ' || *src == '\t')
        ++src;
    size_t n = std::strlen(src);
    while (n > 0 && (src[n - 1] == ' ' || src[n - 1] == '\t'))
        --n;
    std::memmove(dst, src, n);
    dst[n] = 0;
}
