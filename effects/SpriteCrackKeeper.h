// CSpriteCrackKeeper: shatters a picture. It cuts a rectangle of a texture into
// a grid of four-cornered pieces whose inner corners are shifted at random,
// sets every piece where it sat in the picture and throws them all outward
// from the picture's centre in one burst, spinning and falling until they drop
// below the floor. Neighbouring pieces share their corners, so the picture
// looks whole in the first frame and then bursts apart. The collection system
// needs room for columns x rows particles: every piece leaves in that frame.
#pragma once

#include "effects/CollectionParticleSystem.h"

#include <cstdint>
#include <vector>

class CSpriteCrackKeeper : public CCollection2Keeper
{
public:
    // One piece, in picture units (the picture spans -0.5..0.5, y up): its
    // centre, its corner offsets in cell units and its corner texture
    // coordinates, corners top-left, top-right, bottom-right, bottom-left.
    struct Piece
    {
        float centreX, centreY;
        float corner[4][2];
        float uv[4][2];
    };

    CSpriteCrackKeeper();

    int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt, float originX,
                           float originY, float originZ) override;
    int32_t CanEmit() override { return 1; }
    int32_t GetEmitCount(float dt) override;
    int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX, float originY,
                         float originZ) override;
    int32_t BeginFrame(float originX, float originY, float originZ, float dt) override;

    // The picture's size, its texture rectangle and the grid; the pieces are
    // not rebuilt until GeneratePieces.
    void SetParams(float width, float height, float left, float top, float right, float bottom, int32_t columns,
                   int32_t rows, float jitter);
    void GeneratePieces();

    uint32_t colour = 0xFFFFFF;
    float width = 0.5f, height = 0.5f;
    float left = 0.0f, top = 0.0f, right = 1.0f, bottom = 1.0f;
    int32_t columns = 5, rows = 5;
    float jitter = 0.25f;
    float floor = -10.0f; // a piece dies below this height
    float speedBase = 1.0f, speedSpread = 0.5f;
    float tilt = 0.7853982f; // largest turn out of the picture plane, radians
    float directionJitter = 0.25f;
    float spinBase = 256.0f, spinSpread = 128.0f; // 1024 units a turn
    float gravity = 1.0f;
    int32_t done = 0;
    int32_t nextPiece = 0;
    std::vector<Piece> pieces;
    float cellWidth = 0.2f, cellHeight = 0.2f;
};
