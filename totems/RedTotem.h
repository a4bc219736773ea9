// CRedTotem: the red totem, which shells the board with fireballs. Armed at the
// centre, two or four glowing balls hover round its body; unleashed, each ball
// becomes a missile (CRedTotemMissile) that flies to a randomly chosen block of
// cells, 2 by 2 or 3 by 3, and bursts there. Each burst missile becomes a cell
// record for the board, which blasts the block's tokens.
#pragma once

#include "totems/RedTotemSettings.h"
#include "totems/Totem.h"

class CRedTotemMissile
{
public:
    CRedTotemMissile() { m_sparkles.reserve(3); }
    ~CRedTotemMissile();
    CRedTotemMissile(const CRedTotemMissile&) = delete;
    CRedTotemMissile& operator=(const CRedTotemMissile&) = delete;

    // Sets off from `from` toward `to`; the ball's spark system rides along and
    // three sparkles in the glow's looks travel with it.
    void Launch(float speedFactor, int32_t sizeClass, int32_t column, int32_t row, const Vec3& from, const Vec3& to,
                float duration, CRefPtr<CTexture> blastTexture, uint32_t blastColour,
                const CRefPtr<CParticleSystem>& glow, CRefPtr<CParticleSystem> riding,
                CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteBatch> spriteBatch);
    // True once the missile is at its aim point.
    bool Fly(float dt);
    void Explode();

    int32_t m_sizeClass = 1; // 1: a 2 by 2 block from its first cell; 2: a 3 by 3 block round its centre
    int32_t m_column = 1;
    int32_t m_row = 1;
    Vec3 m_position{0.0f, 0.0f, 0.0f};
    Vec3 m_from{0.0f, 0.0f, 0.0f};
    Vec3 m_to{0.0f, 0.0f, 0.0f};
    float m_timer = 0.0f; // negative while the missile waits
    float m_duration = 1.0f;
    CRefPtr<CTexture> m_blastTexture;
    uint32_t m_blastColour = 0xFFFF4040u;
    CRefPtr<CParticleSystem> m_riding;
    std::vector<CRefPtr<CBatchSprite>> m_sparkles;
    CRefPtr<CParticleSystemsManager> m_particles;
    CRefPtr<CSpriteBatch> m_spriteBatch;
    float m_speedFactor = 1.0f;
};

class CRedTotem : public CTotem
{
public:
    CRedTotem();
    ~CRedTotem() override;

    void RemoveShapes() override;
    void SetPosition(float x, float y, float z) override;
    void SetSize(float w, float h) override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    // Arms up to the level's number of balls (those already hovering stay),
    // sized by the step; off kills every ball.
    void SetArmed(int32_t on, int32_t step = 2) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;

    // Balls of a level: two below level 2, else four.
    int32_t BallCount() const { return m_level < 2 ? 2 : 4; }

    CRefPtr<CTexture> m_sparkTexture;
    CRefPtr<CTexture> m_blastTexture;
    std::vector<CRefPtr<CParticleSystem>> m_balls; // per ball its glow, then its sparks
    RedTotemSettings m_settings;
    std::vector<CRefPtr<CRedTotemMissile>> m_missiles;
    std::vector<CRefPtr<CRedTotemMissile>> m_spentMissiles;

protected:
    bool UpdateActive(float dt) override;

private:
    // Moves each ball's two systems to its point on the totem.
    void PlaceBalls();
    CRefPtr<CParticleSystem> AddBall(const Vec3& at, const Vec3& velocity, float size, bool sparks) const;
    void LaunchMissile(int32_t sizeClass, const CRefPtr<CParticleSystem>& glow, const CRefPtr<CParticleSystem>& sparks);
    void LaunchBurst(const CParticleSystem& sparks, const CParticleSystem& glow) const;
};
