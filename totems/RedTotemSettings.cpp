#include "totems/RedTotemSettings.h"

#include "engine/IniReader.h"

#include <cstdio>

namespace
{

const char kRedSection[] = "Red";
const float kBallDepth = -100.0f;

} // namespace

void RedTotemSettings::Read(const char* file)
{
    ballColour1 = ReadIniColor(file, kRedSection, "Color1", "255 200 80 255");
    ballColour2 = ReadIniColor(file, kRedSection, "Color2", "80 80 255 255");
    for (int i = 0; i < kBalls; ++i)
    {
        char key[16];
        std::snprintf(key, sizeof key, "Point%d", i);
        float v[2];
        ReadIniFloat2(v, file, kRedSection, key, "26 154");
        // A point of a 256 by 256 frame round the totem.
        ballPoints[i] = Vec3{(v[0] - 128.0f) / 256.0f, (128.0f - v[1]) / 256.0f, kBallDepth};
    }
    blastColour = ReadIniColor(file, kRedSection, "ExpColor", "255 64 64 255");
    flySpeed = ReadIniFloat(file, kRedSection, "FlySpeed", "2000");
}
