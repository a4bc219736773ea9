// The keeper-driven particle system. A CCollection2Keeper, handed in through
// the parameter block, decides when and how many particles are born, how each
// starts and how each moves and dies; the system owns the slots, calls the
// keeper in a fixed order every frame and turns each living particle into one
// textured, rotated quad. Every keeper of the game (spray, sprites, cracks,
// vortex, sand, dust, dunes) derives from CCollection2Keeper and relies on the
// calling order of CCollection2ParticleSystem::Update.
#pragma once

#include "effects/Particle.h"
#include "effects/ParticleSystem.h"

#include <vector>

class CCollectedParticle : public CParticle
{
public:
    // Sets everything but the user word, work value D and the corner layout;
    // the particle is alive afterwards.
    virtual void Spawn(uint32_t colour, float x, float y, float z, int32_t tag, float alpha,
                       float size, float angle);

    float alpha = 0.0f;
    float workA = 0.0f; // keeper-owned
    uint32_t colour = 0; // 24-bit RGB; the top byte is ignored
    float red = 0.0f, green = 0.0f, blue = 0.0f; // the colour's channels, for fading keepers
    struct UV
    {
        float u, v;
    } uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}}; // per corner
    float workB = 0.0f;
    float angle = 0.0f; // 1/1024 of a turn
    float angularSpeed = 0.0f; // keeper-owned
    float workC = 0.0f;
    int32_t tag = 0; // frame or kind number chosen by the keeper
    float workD = 0.0f;
};

class CCollectedParticle2 : public CCollectedParticle
{
public:
    // Spawn, then the standard corner layout of a width x height quad centred on
    // the position. Keepers start their particles with this.
    virtual void SpawnTextured(uint32_t colour, float x, float y, float z, int32_t tag,
                               float alpha, float width, float height, float angle);

    Vec3 corners[4] = {{-0.5f, 0.5f, 0.0f}, {0.5f, 0.5f, 0.0f}, {0.5f, -0.5f, 0.0f},
                       {-0.5f, -0.5f, 0.0f}}; // in units of width and height
    float width = 0.0f;
    float height = 0.0f;
};

// Base of every particle keeper. The system calls, each update: BeginFrame
// (always), then while emitting CanEmit, GetEmitCount and InitParticle per new
// particle, then UpdateParticle for every living one.
class CCollection2Keeper
{
public:
    virtual ~CCollection2Keeper() = default;
    // Nonzero keeps the particle alive.
    virtual int32_t UpdateParticle(int32_t index, CCollectedParticle2& particle, float dt,
                                   float originX, float originY, float originZ);
    virtual int32_t CanEmit();
    virtual int32_t GetEmitCount(float dt);
    // Must start the particle (SpawnTextured), which marks the slot alive.
    virtual int32_t InitParticle(int32_t index, CCollectedParticle2& particle, float originX,
                                 float originY, float originZ);
    // Zero ends the system's emission for good.
    virtual int32_t BeginFrame(float originX, float originY, float originZ, float dt);
    virtual void MoveBy(float dx, float dy, float dz);

    Vec3 offset{0.0f, 0.0f, 0.0f};
};

class CCollection2Parametres
{
public:
    static constexpr int32_t kBlendMultiply = 1;
    static constexpr int32_t kBlendAlpha = 2;
    static constexpr int32_t kBlendAdd = 0; // any other value adds too

    // templates may be null; the block takes its own reference to the keeper.
    CCollection2Parametres(float x, float y, float z,
                           const std::vector<CCollectedParticle2>* templates,
                           CRefPtr<CCollection2Keeper> keeper, int32_t blendMode);
    virtual ~CCollection2Parametres() = default;

    int32_t blendMode;
    Vec3 origin;
    int32_t keeperEmission = 0; // nonzero: the keeper makes the particles; else the templates burst once
    const std::vector<CCollectedParticle2>* templates;
    CRefPtr<CCollection2Keeper> keeper;
    int32_t timed = 1;
    float duration = 10.0f;
    int32_t spareCount = 50; // copied into the system's count, not used by it
    float spareRate = 60.0f; // copied into the system's rate, not used by it
    float alphaScale = 1.0f;
};

class CCollection2ParticleSystem : public CParticleSystemOf<CCollectedParticle2>
{
public:
    CCollection2ParticleSystem(CRefPtr<CDevice> device, int32_t capacity,
                               CRefPtr<CTexture> texture, CRefPtr<CVertexBuffer> vertexBuffer,
                               CRefPtr<CIndexBuffer> indexBuffer,
                               CRefPtr<CParticleEnvironment> environment,
                               const CCollection2Parametres& block);
    ~CCollection2ParticleSystem() override;

    int32_t Update(float dt) override;
    void FillBuffers(CVertex* vertices, uint16_t* indices, int32_t firstVertex,
                     int32_t firstIndex) override;

    int32_t blendMode;
    int32_t keeperEmission;
    std::vector<CCollectedParticle2> templates;
    CRefPtr<CCollection2Keeper> keeper;
    float alphaScale; // multiplies every particle's alpha when drawn
};
