// Reading a scene's numbers from Background.cfg: every component starts at its
// built-in default, and a value that leaves components out keeps their defaults.
#pragma once

#include <algorithm>
#include <cstdio>

#include "engine/IniReader.h"

inline void ReadSceneFloats(float* out, int count, const char* path, const char* section, const char* key,
                            const char* def)
{
    float v[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::sscanf(def, "%f %f %f %f", &v[0], &v[1], &v[2], &v[3]);
    char text[256] = {};
    ReadIniString(path, section, key, def, text, sizeof text);
    std::sscanf(text, "%f %f %f %f", &v[0], &v[1], &v[2], &v[3]);
    std::copy(v, v + std::min(count, 4), out);
}
