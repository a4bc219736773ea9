#include "platform/files/cp1251.h"

#include <cstdint>

namespace platform {

namespace {

// Code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
const uint16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80)
    {
        out += char(cp);
    }
    else if (cp < 0x800)
    {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    }
    else
    {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

unsigned Cp1251ToUnicode(unsigned char c)
{
    if (c < 0x80)
        return c;
    if (c >= 0xC0)
        return 0x0410u + (c - 0xC0u);
    return kHigh[c - 0x80];
}

int UnicodeToCp1251(unsigned cp)
{
    if (cp < 0x80)
        return int(cp);
    if (cp >= 0x0410 && cp <= 0x044F)
        return int(0xC0 + (cp - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] != 0 && kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

std::string Cp1251ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text)
    {
        unsigned cp = Cp1251ToUnicode(c);
        if (cp == 0 && c != 0)
            continue;
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8ToCp1251(const std::string& text, bool* ok)
{
    std::string out;
    out.reserve(text.size());
    bool clean = true;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n)
    {
        unsigned char c = (unsigned char)text[i];
        unsigned cp = 0;
        size_t len = 0;
        if (c < 0x80)
        {
            cp = c;
            len = 1;
        }
        else if ((c & 0xE0) == 0xC0)
        {
            cp = c & 0x1F;
            len = 2;
        }
        else if ((c & 0xF0) == 0xE0)
        {
            cp = c & 0x0F;
            len = 3;
        }
        else if ((c & 0xF8) == 0xF0)
        {
            cp = c & 0x07;
            len = 4;
        }
        else
        {
            clean = false; // a stray continuation byte or an invalid lead byte
            ++i;
            continue;
        }
        if (i + len > n)
        {
            clean = false;
            break;
        }
        bool valid = true;
        for (size_t k = 1; k < len; ++k)
        {
            unsigned char cc = (unsigned char)text[i + k];
            if ((cc & 0xC0) != 0x80)
            {
                valid = false;
                len = k;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        i += len;
        if (!valid)
        {
            clean = false;
            continue;
        }
        int b = UnicodeToCp1251(cp);
        if (b < 0)
        {
            clean = false;
            continue;
        }
        out += char(b);
    }
    if (ok)
        *ok = clean;
    return out;
}

unsigned char Cp1251Upper(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c >= 0xE0)
        return c - 32;
    switch (c)
    {
    case 0xB8: return 0xA8; // yo
    case 0x90: return 0x80;
    case 0x83: return 0x81;
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9D: return 0x8D;
    case 0x9E: return 0x8E;
    case 0x9F: return 0x8F;
    case 0xA2: return 0xA1;
    case 0xBC: return 0xA3;
    case 0xB4: return 0xA5;
    case 0xBA: return 0xAA;
    case 0xBF: return 0xAF;
    case 0xB3: return 0xB2;
    case 0xBE: return 0xBD;
    default: return c;
    }
}

} // namespace platform
