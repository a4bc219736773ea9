#include "challenges/PlateChallenge.h"

void CPlateChallenge::SetArea(float x, float y, float z, float width, float height, float cellW, float cellH)
{
    originX = x;
    originY = y;
    originZ = z;
    areaWidth = width;
    areaHeight = height;
    cellWidth = cellW;
    cellHeight = cellH;
}

void CPlateChallenge::ClearSprites()
{
    if (spriteGroup)
        spriteGroup->Clear();
}

bool CPlateChallenge::AllAtRest() const
{
    if (!spriteGroup)
        return true;
    for (const CRefPtr<CCapSprite>& s : spriteGroup->sprites)
        if (s && s->state != 0)
            return false;
    return true;
}

void CPlateChallenge::FlyTo(CCapSprite& plate, float x, float y, float z, int32_t state)
{
    // Straight in x and z, easing in and out in y.
    const Vec3 slopes{1.0f, 0.0f, 1.0f};
    plate.flightDuration = 1.0f;
    plate.path.Reset(Vec3{plate.x, plate.y, plate.z}, Vec3{x, y, z}, slopes, slopes, plate.flightDuration);
    plate.flightTime = 0.0f;
    plate.state = state;
}

void CPlateChallenge::MakeSpriteGroup(CRefPtr<CCapsManager> caps)
{
    spriteGroup = CRefPtr<CCapSpriteGroup>(new CCapSpriteGroup(std::move(caps)));
}
