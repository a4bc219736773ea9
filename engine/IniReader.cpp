#include "engine/IniReader.h"

#include "engine/Log.h"
#include "platform/win32.h"


#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct IniText
{
    char text[256];
    IniText(const char* file, const char* section, const char* key, const char* def)
    {
        GetPrivateProfileStringA(section, key, def, text, sizeof text, file);
    }
};

// floor(v) as a 32-bit integer; NaN and values beyond the range are pinned so
// that a wild tuning value never reaches an undefined conversion.
int32_t FloorToInt(float v)
{
    double f = std::floor(double(v));
    if (!(f == f))
        return 0;
    if (f >= 2147483647.0)
        return INT32_MAX;
    if (f <= -2147483648.0)
        return INT32_MIN;
    return int32_t(f);
}

} // namespace

int32_t ReadIniInt(const char* file, const char* section, const char* key, const char* def)
{
    return ReadIniIntInRange(file, section, key, def, -kTuningLimit, kTuningLimit);
}

float ReadIniFloat(const char* file, const char* section, const char* key, const char* def)
{
    return ReadIniFloatInRange(file, section, key, def, -float(kTuningLimit), float(kTuningLimit));
}

float ReadIniTime(const char* file, const char* section, const char* key, const char* def)
{
    return ReadIniFloatInRange(file, section, key, def, 0.0f, kLongestTuningTime);
}

uint32_t ReadIniColor(const char* file, const char* section, const char* key, const char* def)
{
    IniText t(file, section, key, def);
    float c[4] = {0, 0, 0, 0};
    std::sscanf(t.text, "%f %f %f %f", &c[0], &c[1], &c[2], &c[3]);
    const uint32_t r = uint32_t(FloorToInt(c[0]));
    const uint32_t g = uint32_t(FloorToInt(c[1]));
    const uint32_t b = uint32_t(FloorToInt(c[2]));
    const uint32_t a = uint32_t(FloorToInt(c[3]));
    return (a << 24) | (r << 16) | (g << 8) | b;
}

float* ReadIniFloat2(float* out, const char* file, const char* section, const char* key, const char* def)
{
    IniText t(file, section, key, def);
    out[0] = out[1] = 0.0f;
    std::sscanf(t.text, "%f %f", &out[0], &out[1]);
    return ClampTuningFloats(out, 2, -float(kTuningLimit), float(kTuningLimit), file, key);
}

float* ReadIniFloat3(float* out, const char* file, const char* section, const char* key, const char* def)
{
    IniText t(file, section, key, def);
    out[0] = out[1] = out[2] = 0.0f;
    std::sscanf(t.text, "%f %f %f", &out[0], &out[1], &out[2]);
    return ClampTuningFloats(out, 3, -float(kTuningLimit), float(kTuningLimit), file, key);
}

float* ReadIniFloat4(float* out, const char* file, const char* section, const char* key, const char* def)
{
    IniText t(file, section, key, def);
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    std::sscanf(t.text, "%f %f %f %f", &out[0], &out[1], &out[2], &out[3]);
    return ClampTuningFloats(out, 4, -float(kTuningLimit), float(kTuningLimit), file, key);
}

int32_t* ReadIniInt2(int32_t* out, const char* file, const char* section, const char* key, const char* def)
{
    IniText t(file, section, key, def);
    int a = 0, b = 0;
    std::sscanf(t.text, "%d %d", &a, &b);
    out[0] = ClampTuningInt(a, -kTuningLimit, kTuningLimit, file, key);
    out[1] = ClampTuningInt(b, -kTuningLimit, kTuningLimit, file, key);
    return out;
}

uint32_t ReadIniString(const char* file, const char* section, const char* key, const char* def, char* buffer,
                       uint32_t size)
{
    return GetPrivateProfileStringA(section, key, def, buffer, size, file);
}

std::string& ReadIniStdString(std::string& out, const char* file, const char* section, const char* key,
                              const char* def, uint32_t size)
{
    std::vector<char> buf(size ? size : 1, 0);
    GetPrivateProfileStringA(section, key, def, buf.data(), DWORD(buf.size()), file);
    out = buf.data();
    return out;
}

namespace {

const char* BaseName(const char* file)
{
    const char* base = file ? file : "";
    for (const char* p = base; *p; ++p)
        if (*p == '\\' || *p == '/')
            base = p + 1;
    return base;
}

void LogClamped(const char* file, const char* key, const char* read, const char* used)
{
    char line[512];
    std::snprintf(line, sizeof line, "Tuning value out of range: %s %s=%s, using %s\n", BaseName(file),
                  key ? key : "", read, used);
    LogText(line);
}

// atoi's reading of the text, widened so that an overflow stays visible.
int64_t ParseWideInt(const char* text)
{
    return int64_t(std::strtoll(text, nullptr, 10));
}

} // namespace

int32_t ClampTuningInt(int64_t value, int32_t lo, int32_t hi, const char* file, const char* key)
{
    if (value >= lo && value <= hi)
        return int32_t(value);
    const int32_t used = value < lo ? lo : hi;
    LogClamped(file, key, std::to_string(value).c_str(), std::to_string(used).c_str());
    return used;
}

float ReadIniRate(const char* file, const char* section, const char* key, const char* def)
{
    return ReadIniFloatInRange(file, section, key, def, 0.2f, 1000.0f);
}

float ClampTuningFloat(float value, float fallback, float lo, float hi, const char* file, const char* key)
{
    if (value >= lo && value <= hi)
        return value;
    float used = value < lo ? lo : hi;
    if (value != value)
        used = fallback >= lo && fallback <= hi ? fallback : (fallback < lo ? lo : hi);
    char read[64], shown[64];
    std::snprintf(read, sizeof read, "%g", double(value));
    std::snprintf(shown, sizeof shown, "%g", double(used));
    LogClamped(file, key, read, shown);
    return used;
}

int32_t ReadIniIntInRange(const char* file, const char* section, const char* key, const char* def, int32_t lo,
                          int32_t hi)
{
    IniText t(file, section, key, def);
    return ClampTuningInt(ParseWideInt(t.text), lo, hi, file, key);
}

float ReadIniFloatInRange(const char* file, const char* section, const char* key, const char* def, float lo,
                          float hi)
{
    IniText t(file, section, key, def);
    return ClampTuningFloat(float(std::atof(t.text)), float(std::atof(def ? def : "")), lo, hi, file, key);
}

float* ClampTuningFloats(float* values, int count, float lo, float hi, const char* file, const char* key)
{
    for (int i = 0; i < count; ++i)
        values[i] = ClampTuningFloat(values[i], lo > 0.0f ? lo : (hi < 0.0f ? hi : 0.0f), lo, hi, file, key);
    return values;
}
