// CJungleFlashes: the small glints of the jungle scene that light up, glide and fade
// inside a slanted area of the picture. A brightness mask read from
// "JungleFlashMask.bmp" says where a glint may start (brighter than 16), where it may
// end (brighter than 128) and how bright it is. The glints are sprites of the shared
// sprite batch; the jungle scene owns this object and drives it every frame.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/RefPtr.h"
#include "render/SpriteShape.h" // CUV

class CBatchSprite;
class CSpriteBatch;
class CTexture;

class CJungleFlashes
{
public:
    enum
    {
        kMaskWidth = 256,
        kMaskHeight = 102,
        kStartThreshold = 16, // a glint starts only where the mask is brighter
        kEndThreshold = 128,  // and ends only where it is brighter still
        kEndTries = 10,
        // A mask with hardly a bright cell would keep the search going for ever:
        // after this many start points a glint waits for the next frame.
        kStartTries = 64,
        kReserve = 64,
    };

    CJungleFlashes();

    void LoadSettings(const char* path, const char* section);
    // Reads the mask: "BM", 256 by 102 pixels stored bottom-up, 24 bits, uncompressed,
    // the pixels inside the file. False, with the game's message in the log, when the
    // file is missing or not such a picture; the scene then goes without glints.
    bool LoadMask(const char* path);
    bool HasMask() const { return !mask.empty(); }
    // The mask cell under a point of the area; -1 outside the mask.
    int32_t MaskAt(float x, float y) const;
    // x drawn towards the area's centre line by a cube: glints gather near it.
    float PullTowardsCentre(float x) const;

    // Empties the lists; glints already in the batch live out their life there.
    void Clear();
    // Moves the live glints, drops the finished ones and starts the new ones due.
    void Update(float dt, CSpriteBatch* batch, CRefPtr<CTexture> texture);

    // Tuning, in centred units (built-in values until LoadSettings).
    float corner[3]; // top-left corner of the area, z -3
    float width, height;
    float base[3];   // bottom-left corner
    CUV axisU, axisV; // the slanted area's two edges from its base
    float period;    // seconds between two glints; 0 or less: none
    float lifeTime;
    uint32_t colour; // ARGB
    float alpha;     // colour's alpha / 255
    float size;
    float centreX;
    float minSpeed, maxSpeed;

    float clock;
    std::vector<CRefPtr<CBatchSprite>> flashes;
    std::vector<CUV> velocities; // per glint, units a second
    std::vector<uint8_t> mask;   // row 0 at the top of the area; empty until loaded

private:
    void Move(float dt);
    // Starts one glint; false when no start point was found in kStartTries.
    bool Spawn(CSpriteBatch* batch, CRefPtr<CTexture> texture);
};
