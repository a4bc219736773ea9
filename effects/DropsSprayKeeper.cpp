#include "effects/DropsSprayKeeper.h"
#include "engine/MathConstants.h"

#include "effects/ParticleMath.h"
#include "engine/Random.h"

#include <algorithm>
#include <cmath>

using namespace pmath;

namespace
{

constexpr float kAnglePerRadian = 162.97466f; // 1024 / 2 pi

// The direction of a drop that starts at the origin: random, or +x when even
// that comes out empty.
Vec3 RandomDirection()
{
    const float x = RandomUnit() - 0.5f, y = RandomUnit() - 0.5f, z = RandomUnit() - 0.5f;
    return NormalOr(V(x, y, z), V(1.0f, 0.0f, 0.0f));
}

// 1024 units a turn: +x is 256, +y 512, -x 768, -y 0.
float FlightAngle(float vx, float vy)
{
    const float s = std::sqrt(vx * vx + vy * vy);
    if (s == 0.0f)
        return 0.0f;
    const float nx = vx / s, ny = vy / s;
    if (nx == 0.0f)
        return ny > 0.0f ? 512.0f : 0.0f;
    return std::atan(ny / nx) * kAnglePerRadian + (nx > 0.0f ? 256.0f : 768.0f);
}

} // namespace

CDropsSprayKeeper::CDropsSprayKeeper() { SetParams(16, V(84.0f, 84.0f, 0.0f), 0.0f, 0.0f, 1.0f, 1.0f); }

void CDropsSprayKeeper::SetParams(int32_t n, const Vec3& size, float left, float top, float right, float bottom)
{
    count = n;
    spraySize = size;
    const float corners[8] = {left, top, right, top, right, bottom, left, bottom};
    std::copy(corners, corners + 8, uv);
}

void CDropsSprayKeeper::GenerateSpray()
{
    const size_t n = size_t(std::max(count, 0));
    offsets.resize(n);
    velocities.resize(n);
    for (size_t i = 0; i < n; ++i)
    {
        const float u = RandomUnit();
        const float r = std::sqrt(u);
        const float a = RandomUnit() * kTwoPi;
        const float b = RandomUnit();
        const float px = std::cos(a) * r, pz = std::sin(a) * r;
        const float rho = std::sqrt(px * px + pz * pz);
        const float phi = (b - 0.5f) * kPi;
        offsets[i] = V(std::cos(phi) * px * 0.5f * spraySize.x, std::sin(phi) * rho * 0.5f * spraySize.y,
                       std::cos(phi) * pz * 0.5f * spraySize.z);
        const float len = Length(offsets[i]);
        const Vec3 direction = len != 0.0f ? Mul(offsets[i], 1.0f / len) : RandomDirection();
        velocities[i] = Mul(direction, Spread(speedBase, speedSpread, RandomUnit()));
    }
}

void CDropsSprayKeeper::SetPattern(CRefPtr<CDropsSprayKeeper> source)
{
    if (!source)
        return;
    offsets = source->offsets;
    velocities = source->velocities;
    count = int32_t(offsets.size());
}

// A keeper given no pattern sprays nothing rather than read past its lists.
int32_t CDropsSprayKeeper::GetEmitCount(float)
{
    if (done)
        return 0;
    const int32_t patterned = int32_t(std::min(offsets.size(), velocities.size()));
    return std::max(std::min(count, patterned) - emitted, 0);
}

int32_t CDropsSprayKeeper::InitParticle(int32_t index, CCollectedParticle2& p, float, float, float)
{
    const size_t i = size_t(std::max(index, 0));
    const Vec3 offset = i < offsets.size() ? offsets[i] : V(0.0f, 0.0f, 0.0f);
    const Vec3 at = Add(this->offset, offset);
    p.SpawnTextured(colour, at.x, at.y, at.z, 0, 1.0f, dropSize, dropSize, 0.0f);
    p.velocity = i < velocities.size() ? velocities[i] : V(0.0f, 0.0f, 0.0f);
    for (int k = 0; k < 4; ++k)
        p.uv[k] = {uv[2 * k], uv[2 * k + 1]};
    if (++emitted >= count)
        done = 1;
    return 1;
}

int32_t CDropsSprayKeeper::UpdateParticle(int32_t, CCollectedParticle2& p, float dt, float, float, float)
{
    p.velocity.y -= gravity * dt;
    p.position = Add(p.position, Mul(p.velocity, dt));
    p.angle = FlightAngle(p.velocity.x, p.velocity.y);
    return floor <= p.position.y ? 1 : 0;
}
