#include "engine/Random.h"

#include "platform/crt.h"

#include <cmath>
#include <cstring>

float RandomUnit()
{
    return float(double(crt::rand()) / 32767.0);
}

uint32_t RandomColor(float lo, float hi, float lo2, float hi2)
{
    const float s = RandomUnit() * 3.0f;
    const float u = RandomUnit() * (hi - lo);
    const float p = lo + u;
    const float q = lo + ((hi - lo) - u);
    const float w = lo2 + RandomUnit() * (hi2 - lo2);

    float r, g, b;
    if (s <= 1.0f)
    {
        r = p;
        g = q;
        b = w;
    }
    else if (s <= 2.0f)
    {
        g = p;
        b = q;
        r = w;
    }
    else
    {
        b = p;
        r = q;
        g = w;
    }
    auto channel = [](float c) { return uint32_t(int32_t(std::floor(double(c) * 255.0))); };
    return 0xFF000000u | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

uint32_t ParseHex(const char* text)
{
    if (!text)
        return 0;
    size_t n = std::strlen(text);
    if (n > 8)
        n = 8;
    uint32_t value = 0;
    for (size_t i = 0; i < n; ++i)
    {
        char c = text[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = uint32_t(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = uint32_t(c - 'a' + 10);
        value = value * 16 + digit;
    }
    return value;
}
