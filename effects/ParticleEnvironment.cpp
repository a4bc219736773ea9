#include "effects/ParticleEnvironment.h"

#include <cmath>

CParticleEnvironment::CParticleEnvironment() : view(new CParticleView)
{
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < kAngleSteps; ++i)
    {
        sinTable[i] = static_cast<float>(std::sin(i * pi / 512.0));
        cosTable[i] = static_cast<float>(std::cos(i * pi / 512.0));
    }
    // Sixteen cells of a 4 x 4 atlas; the rest of the table repeats them, so a
    // frame that rounds up to 16 wraps to cell 0 as the frame counter does.
    for (int i = 0; i < kCellTableSize; ++i)
    {
        int cell = i & 15;
        cellU[i] = 0.25f * static_cast<float>(cell & 3);
        cellV[i] = 0.25f * static_cast<float>(cell >> 2);
    }
}

void SetGameEnvironment(CParticleEnvironment& environment)
{
    environment.boxMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
    environment.boxMax = Vec3{1000.0f, 1000.0f, 10000.0f};
    environment.view->eye.z = -1000.0f;
}
