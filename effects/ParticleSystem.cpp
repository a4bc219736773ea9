#include "effects/ParticleSystem.h"

#include "render/Device.h"

#include <cmath>

CParticleSystem::CParticleSystem(CRefPtr<CDevice> device_, int32_t capacity_,
                                 CRefPtr<CTexture> texture_, CRefPtr<CVertexBuffer> vertexBuffer_,
                                 CRefPtr<CIndexBuffer> indexBuffer_,
                                 CRefPtr<CParticleEnvironment> environment_)
    : capacity(capacity_ > 0 ? capacity_ : 0), environment(environment_), device(device_),
      texture(texture_), vertexBuffer(vertexBuffer_), indexBuffer(indexBuffer_),
      srcBlend(D3DBLEND_SRCALPHA), destBlend(D3DBLEND_ONE)
{
}

CParticleSystem::~CParticleSystem() = default;

int32_t CParticleSystem::Update(float) { return 0; }

void CParticleSystem::FillBuffers(CVertex*, uint16_t*, int32_t, int32_t) {}

void CParticleSystem::Draw()
{
    if (liveCount < 1 || !device)
        return;
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(firstVertex),
                                 static_cast<UINT>(4 * liveCount), static_cast<UINT>(firstIndex),
                                 static_cast<UINT>(2 * liveCount));
}

void CParticleSystem::GetBufferNeeds(int32_t& vertices, int32_t& indices)
{
    vertices = 0;
    indices = 0;
}

void CParticleSystem::Kill() { kill = 1; }

void CParticleSystem::StopEmission() { duration = elapsed; }

void CParticleSystem::MoveBy(float dx, float dy, float dz)
{
    origin.x += dx;
    origin.y += dy;
    origin.z += dz;
}

void CParticleSystem::MoveTo(float, float, float) {}

int32_t CParticleSystem::RunEmissionClock(float& dt, float* accumulatedOut)
{
    if (timed)
    {
        elapsed += dt;
        if (duration <= elapsed)
        {
            emitting = 0;
            dt = dt - (elapsed - duration);
        }
    }
    accumulator += dt;
    if (accumulatedOut)
        *accumulatedOut = accumulator;
    int32_t k = 0;
    if (rate > 0.0f)
    {
        k = static_cast<int32_t>(std::floor(accumulator * rate));
        accumulator -= static_cast<float>(k) / rate;
    }
    if (!timed)
    {
        if (budget < k)
        {
            emitting = 0;
            k = budget;
        }
        budget -= k;
    }
    return k;
}
