// The INI value readers every tuning file goes through (Bonus.cfg, Gems.cfg,
// Totems.cfg, Skin.cfg, the options file ...). Each reads one key with a default
// text from the calling code, so a missing file, section or key keeps the
// built-in value; a key present with an empty value reads as empty, not as the
// default. Components a text leaves out come back as 0.
#pragma once

#include <cstdint>
#include <string>

// Every number these read is kept within +-kTuningLimit (NaN and infinities of a
// scalar take its default, of a vector component 0), logged as below: no tuning
// value reaches the game as an overflow or a value no picture or clock can use.
constexpr int32_t kTuningLimit = 1000000;
int32_t ReadIniInt(const char* file, const char* section, const char* key, const char* def);
float ReadIniFloat(const char* file, const char* section, const char* key, const char* def);

// "r g b a" (decimal, fractions floored) -> a << 24 | r << 16 | g << 8 | b;
// components are neither clamped nor masked.
uint32_t ReadIniColor(const char* file, const char* section, const char* key, const char* def);

// Blank-separated floats or integers into out; returns out.
float* ReadIniFloat2(float* out, const char* file, const char* section, const char* key, const char* def);
float* ReadIniFloat3(float* out, const char* file, const char* section, const char* key, const char* def);
float* ReadIniFloat4(float* out, const char* file, const char* section, const char* key, const char* def);
int32_t* ReadIniInt2(int32_t* out, const char* file, const char* section, const char* key, const char* def);

// The value into the caller's buffer; the number of characters copied.
uint32_t ReadIniString(const char* file, const char* section, const char* key, const char* def, char* buffer,
                       uint32_t size);
std::string& ReadIniStdString(std::string& out, const char* file, const char* section, const char* key,
                              const char* def, uint32_t size = 256);

// Tuning values the game can only use within a range. A value outside [lo, hi]
// is pinned to the nearer end and NaN falls back to the default text's value
// (itself pinned); either writes one line to the log naming file, key, the value
// read and the value used. The ranged reads parse integers without overflow, so
// "2147483648" reads as a value above the range, not as a wrapped one.
int32_t ClampTuningInt(int64_t value, int32_t lo, int32_t hi, const char* file, const char* key);
float ClampTuningFloat(float value, float fallback, float lo, float hi, const char* file, const char* key);
int32_t ReadIniIntInRange(const char* file, const char* section, const char* key, const char* def, int32_t lo,
                          int32_t hi);
float ReadIniFloatInRange(const char* file, const char* section, const char* key, const char* def, float lo,
                          float hi);
// A time in seconds the game waits for or runs: 0 to kLongestTuningTime.
constexpr float kLongestTuningTime = 60.0f;
float ReadIniTime(const char* file, const char* section, const char* key, const char* def);
// A rate per second whose inverse is a time the game waits for (a fade, a bloom):
// 0.2 to 1000, so that the wait is at most 5 seconds.
float ReadIniRate(const char* file, const char* section, const char* key, const char* def);
// Every component of a vector read pinned to one range.
float* ClampTuningFloats(float* values, int count, float lo, float hi, const char* file, const char* key);
