#include "effects/CollectionParticleSystem.h"

using namespace pmath;

void CCollectedParticle::Spawn(uint32_t colour_, float x, float y, float z, int32_t tag_,
                               float alpha_, float size_, float angle_)
{
    position = V(x, y, z);
    velocity = V(0.0f, 0.0f, 0.0f);
    size = size_;
    alive = 1;
    alpha = alpha_;
    workA = 0.0f;
    colour = colour_ & 0xFFFFFFu;
    red = static_cast<float>((colour >> 16) & 0xFF);
    green = static_cast<float>((colour >> 8) & 0xFF);
    blue = static_cast<float>(colour & 0xFF);
    uv[0] = {0.0f, 0.0f};
    uv[1] = {1.0f, 0.0f};
    uv[2] = {1.0f, 1.0f};
    uv[3] = {0.0f, 1.0f};
    workB = 0.0f;
    angle = angle_;
    angularSpeed = 0.0f;
    workC = 0.0f;
    tag = tag_;
}

void CCollectedParticle2::SpawnTextured(uint32_t colour_, float x, float y, float z, int32_t tag_,
                                        float alpha_, float width_, float height_, float angle_)
{
    Spawn(colour_, x, y, z, tag_, alpha_, width_, angle_);
    corners[0].x = -0.5f;
    corners[0].y = 0.5f;
    corners[1].x = 0.5f;
    corners[1].y = 0.5f;
    corners[2].x = 0.5f;
    corners[2].y = -0.5f;
    corners[3].x = -0.5f;
    corners[3].y = -0.5f;
    width = width_;
    height = height_;
}

int32_t CCollection2Keeper::UpdateParticle(int32_t, CCollectedParticle2&, float, float, float,
                                           float)
{
    return 1;
}

int32_t CCollection2Keeper::CanEmit() { return 0; }

int32_t CCollection2Keeper::GetEmitCount(float) { return 0; }

int32_t CCollection2Keeper::InitParticle(int32_t, CCollectedParticle2&, float, float, float)
{
    return 1;
}

int32_t CCollection2Keeper::BeginFrame(float, float, float, float) { return 1; }

void CCollection2Keeper::MoveBy(float dx, float dy, float dz)
{
    offset.x += dx;
    offset.y += dy;
    offset.z += dz;
}

CCollection2Parametres::CCollection2Parametres(float x, float y, float z,
                                               const std::vector<CCollectedParticle2>* templates_,
                                               CRefPtr<CCollection2Keeper> keeper_,
                                               int32_t blendMode_)
    : blendMode(blendMode_), origin{x, y, z}, templates(templates_), keeper(keeper_)
{
}

CCollection2ParticleSystem::CCollection2ParticleSystem(
    CRefPtr<CDevice> device_, int32_t capacity_, CRefPtr<CTexture> texture_,
    CRefPtr<CVertexBuffer> vertexBuffer_, CRefPtr<CIndexBuffer> indexBuffer_,
    CRefPtr<CParticleEnvironment> environment_, const CCollection2Parametres& block)
    : CParticleSystemOf<CCollectedParticle2>(device_, capacity_, texture_, vertexBuffer_,
                                             indexBuffer_, environment_),
      blendMode(block.blendMode), keeperEmission(block.keeperEmission), keeper(block.keeper),
      alphaScale(block.alphaScale)
{
    if (block.templates)
        templates = *block.templates;
    origin = block.origin;
    timed = block.timed;
    duration = block.duration;
    count = block.spareCount;
    rate = block.spareRate;
    budget = count;
    alphaTest = 1;
    if (blendMode == CCollection2Parametres::kBlendMultiply)
    {
        srcBlend = D3DBLEND_DESTCOLOR;
        destBlend = D3DBLEND_ZERO;
    }
    else if (blendMode == CCollection2Parametres::kBlendAlpha)
    {
        srcBlend = D3DBLEND_SRCALPHA;
        destBlend = D3DBLEND_INVSRCALPHA;
    }
    else
    {
        srcBlend = D3DBLEND_SRCALPHA;
        destBlend = D3DBLEND_ONE;
    }
}

CCollection2ParticleSystem::~CCollection2ParticleSystem() = default;

int32_t CCollection2ParticleSystem::Update(float dt)
{
    if (emitting && timed)
    {
        elapsed += dt;
        if (duration <= elapsed)
        {
            emitting = 0;
            dt = dt - (elapsed - duration);
        }
    }
    if (keeper)
    {
        // Called every update, also after emission stopped: keepers keep their clocks here.
        int32_t go = keeper->BeginFrame(origin.x, origin.y, origin.z, dt);
        emitting = (emitting && go) ? 1 : 0;
    }
    if (emitting)
    {
        if (keeperEmission && keeper)
        {
            if (!keeper->CanEmit())
            {
                emitting = 0;
            }
            else
            {
                int32_t n = keeper->GetEmitCount(dt);
                EmitIntoSlots(n, [&](CCollectedParticle2& slot, int32_t index, bool) {
                    keeper->InitParticle(index, slot, origin.x, origin.y, origin.z);
                });
            }
        }
        else
        {
            size_t k = 0;
            EmitIntoSlots(static_cast<int32_t>(templates.size()),
                          [&](CCollectedParticle2& slot, int32_t, bool) { slot = templates[k++]; });
            emitting = 0;
        }
    }
    return ParticlePass([&](int32_t index, CCollectedParticle2& particle) {
        if (!keeper)
            return true;
        return keeper->UpdateParticle(index, particle, dt, origin.x, origin.y, origin.z) != 0;
    });
}

void CCollection2ParticleSystem::FillBuffers(CVertex* out, uint16_t* indices,
                                             int32_t firstVertex_, int32_t firstIndex_)
{
    FillQuads(out, indices, firstVertex_, firstIndex_, [&](const CCollectedParticle2& p, CVertex*& corners) {
        const CParticleEnvironment& env = *environment;
        uint32_t argb = (ClampByte(p.alpha * 255.0f * alphaScale) << 24) | (p.colour & 0xFFFFFFu);
        float s, c;
        env.SinCos(p.angle, s, c);
        Vec3 axisX, axisY;
        FacingAxes(env.view->right, env.view->up, s, c, p.width, p.height, axisX, axisY);
        for (int k = 0; k < 4; ++k)
        {
            Vec3 corner = Add(p.position, Add(Mul(axisX, p.corners[k].x), Mul(axisY, p.corners[k].y)));
            WriteVertex(corners, corner, argb, p.uv[k].u, p.uv[k].v);
        }
    });
}
