#include "effects/ParticleSystemsManager.h"

#include "effects/SpriteCrackKeeper.h"
#include "engine/Log.h"

using namespace pmath;

CParticleSystemsManager::CParticleSystemsManager(CRefPtr<CDevice> device_,
                                                 CRefPtr<CVertexBuffer> vertexBuffer_,
                                                 CRefPtr<CIndexBuffer> indexBuffer_)
    : device(device_), vertexBuffer(vertexBuffer_), indexBuffer(indexBuffer_),
      environment(new CParticleEnvironment)
{
    systems.reserve(kReservedSystems);
    alphaTestedSystems.reserve(kReservedSystems);
}

CParticleSystemsManager::~CParticleSystemsManager()
{
    LogText("Particle Systems manager destruction.\n");
    alphaTestedSystems.clear();
    environment.Reset();
    indexBuffer.Reset();
    vertexBuffer.Reset();
    device.Reset();
    systems.clear();
}

template <class System, class Block>
CRefPtr<CParticleSystem> CParticleSystemsManager::Add(CRefPtr<CParticleSystem>& out,
                                                      const Block& block, const Vec3& depthPoint,
                                                      int32_t capacity, CRefPtr<CTexture> texture)
{
    const CParticleView& view = *environment->view;
    float depth = Dot(view.forward, Sub(depthPoint, view.eye));
    size_t at = systems.size();
    for (size_t i = 0; i < systems.size(); ++i)
    {
        // Depth is taken at insertion only: a system moved later keeps its place.
        if (Dot(view.forward, Sub(systems[i]->origin, view.eye)) < depth)
        {
            at = i;
            break;
        }
    }
    CRefPtr<CParticleSystem> system(
        new System(device, capacity, texture, vertexBuffer, indexBuffer, environment, block));
    system->number = nextNumber++;
    systems.insert(systems.begin() + static_cast<std::ptrdiff_t>(at), system);
    out = system;
    return system;
}

CRefPtr<CParticleSystem> CParticleSystemsManager::AddSparksSystem(
    CRefPtr<CParticleSystem>& out, const CSparksSpringParametres& block, int32_t capacity,
    CRefPtr<CTexture> texture)
{
    return Add<CSparksParticleSystem>(out, block, block.origin, capacity, texture);
}

CRefPtr<CParticleSystem> CParticleSystemsManager::AddSmokesSystem(
    CRefPtr<CParticleSystem>& out, const CSmokesSpringParametres& block, int32_t capacity,
    CRefPtr<CTexture> texture)
{
    return Add<CSmokesParticleSystem>(out, block, block.origin, capacity, texture);
}

CRefPtr<CParticleSystem> CParticleSystemsManager::AddExplosionSystem(
    CRefPtr<CParticleSystem>& out, const CExplosionParametres& block, int32_t capacity,
    CRefPtr<CTexture> texture)
{
    return Add<CExplosionParticleSystem>(out, block, block.centre, capacity, texture);
}

CRefPtr<CParticleSystem> CParticleSystemsManager::AddThunderboltSystem(
    CRefPtr<CParticleSystem>& out, const CThunderboltParametres& block, int32_t capacity,
    CRefPtr<CTexture> texture)
{
    return Add<CThunderboltParticleSystem>(out, block, block.startPoint, capacity, texture);
}

CRefPtr<CParticleSystem> CParticleSystemsManager::AddSpellsSystem(
    CRefPtr<CParticleSystem>& out, const CSpellsSpringParametres& block, int32_t capacity,
    CRefPtr<CTexture> texture)
{
    return Add<CSpellsParticleSystem>(out, block, block.origin, capacity, texture);
}

CRefPtr<CParticleSystem> CParticleSystemsManager::AddCollection2System(
    CRefPtr<CParticleSystem>& out, const CCollection2Parametres& block, int32_t capacity,
    CRefPtr<CTexture> texture)
{
    return Add<CCollection2ParticleSystem>(out, block, block.origin, capacity, texture);
}

void CParticleSystemsManager::AddCrackPieces(const Vec3& at, float width, float height, const float (&rect)[4],
                                             int32_t cuts, int32_t capacity, CRefPtr<CTexture> texture)
{
    CRefPtr<CSpriteCrackKeeper> keeper(new CSpriteCrackKeeper);
    keeper->SetParams(width, height, rect[0], rect[1], rect[2], rect[3], cuts, cuts, 0.25f);
    keeper->floor = -400.0f;
    keeper->gravity = 2500.0f;
    keeper->speedBase = 300.0f;
    keeper->speedSpread = 150.0f;
    keeper->GeneratePieces();
    CCollection2Parametres block(at.x, at.y, at.z, nullptr, CRefPtr<CCollection2Keeper>(keeper),
                                 CCollection2Parametres::kBlendAlpha);
    block.keeperEmission = 1;
    CRefPtr<CParticleSystem> system;
    AddCollection2System(system, block, capacity, texture);
}

void CParticleSystemsManager::Prune(std::vector<CRefPtr<CParticleSystem>>& list, float dt)
{
    for (size_t i = 0; i < list.size();)
    {
        // Keep a reference while the system runs: its update may drop the caller's.
        CRefPtr<CParticleSystem> system = list[i];
        int32_t keep = system->Update(dt);
        if (keep && !system->kill)
            ++i;
        else
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void CParticleSystemsManager::Update(float dt)
{
    Prune(systems, dt);
    Prune(alphaTestedSystems, dt);
}
