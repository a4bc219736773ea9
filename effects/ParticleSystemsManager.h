// CParticleSystemsManager: owns a set of running particle systems. It creates
// them from parameter blocks, keeps them ordered farthest-first for drawing,
// advances them once per frame, drops the finished ones and draws them through
// the renderer's shared dynamic vertex and index buffers. The game makes six
// of these at start-up; every effect of the board, bonuses, totems, screens,
// mini-games and backgrounds starts through one of the Add... operations.
#pragma once

#include "effects/CollectionParticleSystem.h"
#include "effects/ExplosionParticleSystem.h"
#include "effects/ParticleEnvironment.h"
#include "effects/ParticleParametres.h"
#include "effects/ParticleSystem.h"
#include "effects/SmokesParticleSystem.h"
#include "effects/SparksParticleSystem.h"
#include "effects/SpellsParticleSystem.h"
#include "effects/ThunderboltParticleSystem.h"
#include "engine/MotionPath.h"
#include "engine/RefPtr.h"

#include <vector>

class CDevice;
class CTexture;
class CVertexBuffer;
class CIndexBuffer;

class CParticleSystemsManager
{
public:
    static constexpr size_t kReservedSystems = 128;

    CParticleSystemsManager(CRefPtr<CDevice> device, CRefPtr<CVertexBuffer> vertexBuffer,
                            CRefPtr<CIndexBuffer> indexBuffer);
    ~CParticleSystemsManager();
    CParticleSystemsManager(const CParticleSystemsManager&) = delete;
    CParticleSystemsManager& operator=(const CParticleSystemsManager&) = delete;

    // Each makes a system with `capacity` particle slots from the block (read now,
    // still the caller's), files it by depth and hands it back in `out` (also the
    // result). The caller may keep the handle to move, stop or kill the system,
    // or drop it: the manager keeps the system until it ends.
    CRefPtr<CParticleSystem> AddSparksSystem(CRefPtr<CParticleSystem>& out,
                                             const CSparksSpringParametres& block,
                                             int32_t capacity, CRefPtr<CTexture> texture);
    CRefPtr<CParticleSystem> AddSmokesSystem(CRefPtr<CParticleSystem>& out,
                                             const CSmokesSpringParametres& block,
                                             int32_t capacity, CRefPtr<CTexture> texture);
    CRefPtr<CParticleSystem> AddExplosionSystem(CRefPtr<CParticleSystem>& out,
                                                const CExplosionParametres& block,
                                                int32_t capacity, CRefPtr<CTexture> texture);
    CRefPtr<CParticleSystem> AddThunderboltSystem(CRefPtr<CParticleSystem>& out,
                                                  const CThunderboltParametres& block,
                                                  int32_t capacity, CRefPtr<CTexture> texture);
    CRefPtr<CParticleSystem> AddSpellsSystem(CRefPtr<CParticleSystem>& out,
                                             const CSpellsSpringParametres& block,
                                             int32_t capacity, CRefPtr<CTexture> texture);
    CRefPtr<CParticleSystem> AddCollection2System(CRefPtr<CParticleSystem>& out,
                                                  const CCollection2Parametres& block,
                                                  int32_t capacity, CRefPtr<CTexture> texture);

    // A picture's rectangle (texture coordinates left, top, right, bottom) cut into
    // cuts x cuts pieces that burst out from its centre at `at`, spin and fall away.
    void AddCrackPieces(const Vec3& at, float width, float height, const float (&rect)[4], int32_t cuts,
                        int32_t capacity, CRefPtr<CTexture> texture);

    // Advances every system; drops those that ended or were killed.
    void Update(float dt);
    // Draws the blended systems (all that the Add operations make).
    void DrawBlended();
    // Draws the alpha-tested list (kept for the renderer's alpha-tested passes).
    void DrawAlphaTested();

    std::vector<CRefPtr<CParticleSystem>> systems; // farthest first
    CRefPtr<CDevice> device;
    CRefPtr<CVertexBuffer> vertexBuffer;
    CRefPtr<CIndexBuffer> indexBuffer;
    CRefPtr<CParticleEnvironment> environment;
    int32_t nextNumber = 0;
    std::vector<CRefPtr<CParticleSystem>> alphaTestedSystems;

private:
    template <class System, class Block>
    CRefPtr<CParticleSystem> Add(CRefPtr<CParticleSystem>& out, const Block& block,
                                 const Vec3& depthPoint, int32_t capacity,
                                 CRefPtr<CTexture> texture);
    void Prune(std::vector<CRefPtr<CParticleSystem>>& list, float dt);
    void DrawList(std::vector<CRefPtr<CParticleSystem>>& list, bool blended);
};
