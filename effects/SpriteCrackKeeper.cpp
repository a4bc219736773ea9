#include "effects/SpriteCrackKeeper.h"

#include "effects/ParticleMath.h"
#include "engine/Random.h"

#include <cmath>

using namespace pmath;

namespace
{

struct Node
{
    float x, y;
};

// A grid coordinate: the border stays put, an inner node moves by up to
// jitter cells either way (one draw).
float NodeCoordinate(int index, int count, float cell, float jitter)
{
    if (index == 0)
        return -0.5f;
    if (index == count)
        return 0.5f;
    const float mean = -0.5f + float(index) * cell;
    return Spread(mean, jitter * cell, RandomUnit());
}

} // namespace

CSpriteCrackKeeper::CSpriteCrackKeeper()
{
    SetParams(0.5f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 5, 5, 0.25f);
}

void CSpriteCrackKeeper::SetParams(float w, float h, float l, float t, float r, float b, int32_t c, int32_t rs,
                                   float j)
{
    width = w;
    height = h;
    left = l;
    top = t;
    right = r;
    bottom = b;
    columns = c;
    rows = rs;
    jitter = j;
}

void CSpriteCrackKeeper::GeneratePieces()
{
    pieces.clear();
    // A grid without cells has no pieces (and nothing divides by zero).
    if (columns <= 0 || rows <= 0)
        return;
    cellWidth = 1.0f / float(columns);
    cellHeight = 1.0f / float(rows);
    const int stride = columns + 1;
    std::vector<Node> grid(size_t(stride) * size_t(rows + 1));
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
        {
            Node& n = grid[size_t(r * stride + c)];
            n.x = NodeCoordinate(c, columns, cellWidth, jitter);
            n.y = NodeCoordinate(r, rows, cellHeight, jitter);
        }
    pieces.resize(size_t(columns) * size_t(rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
        {
            Piece& p = pieces[size_t(r * columns + c)];
            const float gx = -0.5f + (float(c) + 0.5f) * cellWidth;
            const float gy = -0.5f + (float(r) + 0.5f) * cellHeight;
            p.centreX = gx;
            p.centreY = -gy;
            const Node* corners[4] = {&grid[size_t(r * stride + c)], &grid[size_t(r * stride + c + 1)],
                                      &grid[size_t((r + 1) * stride + c + 1)], &grid[size_t((r + 1) * stride + c)]};
            for (int k = 0; k < 4; ++k)
            {
                p.corner[k][0] = (corners[k]->x - gx) * float(columns);
                p.corner[k][1] = -(corners[k]->y - gy) * float(rows);
                p.uv[k][0] = (corners[k]->x + 0.5f) * (right - left) + left;
                p.uv[k][1] = (corners[k]->y + 0.5f) * (bottom - top) + top;
            }
        }
}

int32_t CSpriteCrackKeeper::BeginFrame(float originX, float originY, float originZ, float)
{
    offset = V(originX, originY, originZ);
    return 1;
}

int32_t CSpriteCrackKeeper::GetEmitCount(float)
{
    return done ? 0 : columns * rows;
}

int32_t CSpriteCrackKeeper::InitParticle(int32_t, CCollectedParticle2& particle, float originX, float originY,
                                         float originZ)
{
    // A system smaller than the picture asks again after the last piece: the
    // slot is left as it is.
    if (nextPiece < 0 || size_t(nextPiece) >= pieces.size())
    {
        done = 1;
        return 0;
    }
    const Piece& piece = pieces[size_t(nextPiece)];
    const float spin = Spread(spinBase, spinSpread, RandomUnit());
    const Vec3 origin = V(originX, originY, originZ);
    const Vec3 position = V(piece.centreX * width + originX, piece.centreY * height + originY, originZ);
    particle.SpawnTextured(colour, position.x, position.y, position.z, 0, 1.0f, cellWidth * width,
                           cellHeight * height, 0.0f);
    particle.angularSpeed = spin;

    Vec3 d = Sub(position, origin);
    if (Length(d) == 0.0f)
    {
        const float u = RandomUnit();
        d = NormalOr(V(u, u, u), V(1.0f, 0.0f, 0.0f));
    }
    else
        d = Mul(d, 1.0f / Length(d));
    d.x += Spread(0.0f, directionJitter, RandomUnit());
    d.y += Spread(0.0f, directionJitter, RandomUnit());
    const float planar = std::sqrt(d.x * d.x + d.y * d.y);
    if (planar > 0.0f)
    {
        d.x /= planar;
        d.y /= planar;
    }
    else
    {
        d.x = 0.0f;
        d.y = 1.0f;
    }
    const float a = Spread(0.0f, tilt, RandomUnit());
    const Vec3 direction = V(std::cos(a) * d.x, d.y, std::sin(a) * d.x);
    const float speed = Spread(speedBase, speedSpread, RandomUnit());
    particle.velocity = Mul(direction, speed);
    for (int k = 0; k < 4; ++k)
    {
        particle.uv[k] = {piece.uv[k][0], piece.uv[k][1]};
        particle.corners[k] = V(piece.corner[k][0], piece.corner[k][1], 0.0f);
    }
    ++nextPiece;
    if (size_t(nextPiece) >= pieces.size())
        done = 1;
    return 1;
}

int32_t CSpriteCrackKeeper::UpdateParticle(int32_t, CCollectedParticle2& particle, float dt, float, float, float)
{
    particle.velocity.y -= gravity * dt;
    particle.position = Add(particle.position, Mul(particle.velocity, dt));
    particle.angle = WrapAngle(particle.angle + particle.angularSpeed * dt);
    return floor <= particle.position.y ? 1 : 0;
}
