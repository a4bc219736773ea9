// CGreenTotem: the green totem. Unleashed, it sends a ray (CGreenRay) from its
// picture to every token that carries a gem, so that the board bursts those
// tokens as the rays arrive, and from level 2 it lets flying gems (CUnigem)
// rise from its picture onto tokens the board chose, which then get a gem.
// Armed, it sparkles with two large and many small flares; unleashed at a full
// charge, a light runs along the chain across its picture and the chain bursts.
// The board reads its level and charge, its flying gems and the two hand-over
// flags of its effect.
#pragma once

#include "audio/SoundBank.h"
#include "totems/BatchSpriteGroup.h"
#include "totems/GreenTotemSettings.h"
#include "totems/Totem.h"

// One ray from the totem to a gem token: a widening quad whose texture waves
// along it, and a spinning flare at its head.
class CGreenRay
{
public:
    CGreenRay() = default;
    ~CGreenRay();
    CGreenRay(const CGreenRay&) = delete;
    CGreenRay& operator=(const CGreenRay&) = delete;

    void SetResources(CRefPtr<CSpriteList> spriteList, CRefPtr<CTexture> rayTexture, CRefPtr<CTexture> headTexture,
                      const GreenTotemSettings& settings);
    // Builds the shapes; the time from now at which the ray's tail reaches the target.
    float Start(const Vec3& start, const Vec3& target, float delay, int32_t zOrder);
    // False once the ray is over.
    bool Update(float dt);

    CRefPtr<CSpriteList> m_spriteList;
    CRefPtr<CTexture> m_rayTexture, m_headTexture;
    uint32_t m_rayColour = 0xFFFFFFFFu;
    float m_thickness = 80.0f;
    float m_tan = 0.05f;
    float m_speed = 800.0f;
    float m_length = 400.0f;
    float m_waveLength = 256.0f;
    uint32_t m_headColour = 0xFFFFE580u;
    float m_headSize = 24.0f;
    float m_headSpin = 1.0f;
    Vec3 m_start{0.0f, 0.0f, 0.0f};
    Vec3 m_direction{1.0f, 0.0f, 0.0f};
    Vec3 m_normal{0.0f, 1.0f, 0.0f};
    float m_distance = 0.0f;
    float m_uPerUnit = 0.0f;
    Vec3 m_edgeA{0.0f, 0.0f, 0.0f}, m_edgeB{0.0f, 0.0f, 0.0f};
    Vec3 m_slopeA{0.0f, 0.0f, 0.0f}, m_slopeB{0.0f, 0.0f, 0.0f};
    int32_t m_shapeZOrder = 0;
    float m_headPos = 0.0f;
    CRefPtr<CSpriteShape> m_body, m_head;
};

// A gem flying from the totem to a token the board chose; the board gives the
// token its gem when the flight is over.
class CUnigem : public CBatchSpriteGroup
{
public:
    CUnigem() { m_sprites.reserve(5); }

    void Build(float size, uint32_t tailColour, float trailSize, float fadeIn, CParticleSystemsManager* particles,
               CSpriteBatch* spriteBatch, const CRefPtr<CTexture>& gemTexture, const CRefPtr<CTexture>& trailTexture);
    void MoveTo(const Vec3& at);
    // One step of a straight flight that lands when the time left reaches 0.
    void FlyStep(float dt, float timeLeft);

    float size = 48.0f;
    float trailSize = 48.0f;
    uint32_t tailColour = 0xFFC0C0FFu;
    float speedFactor = 1.0f;
    Vec3 position{0.0f, 0.0f, 0.0f};
    Vec3 target{0.0f, 0.0f, 0.0f};
    int32_t column = 0;
    int32_t row = 0;
};

class CGreenTotem : public CTotem
{
public:
    CGreenTotem();
    ~CGreenTotem() override;

    void Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets) override;
    void RemoveShapes() override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    void SetArmed(int32_t on, int32_t step = 2) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;

    // The board's gem tokens and the targets of the new gems; the totem gives
    // a delay per gem token, the time its ray takes to reach it.
    virtual void OnMatch(const std::vector<Vec3>& removed, const std::vector<Vec3>& targets,
                         const std::vector<CCellPos>& cells, std::vector<float>& delays);

    CRefPtr<CTexture> m_trailTexture;
    CRefPtr<CTexture> m_flareTexture;
    CRefPtr<CTexture> m_unigemTexture;
    CRefPtr<CTexture> m_chainPiecesTexture;
    CRefPtr<CTexture> m_chainLightTexture;
    GreenTotemSettings m_settings;
    float m_bigFlareTimer = 0.0f;
    float m_smallFlareTimer = 0.0f;
    CRefPtr<CSpriteShape> m_bigFlares[2];
    Vec3 m_bigFlarePositions[2] = {};
    float m_effectTimer = 0.0f;
    int32_t m_waitingForMatch = 0; // the rays wait for the board's gem tokens
    std::vector<CRefPtr<CGreenRay>> m_rays;
    std::vector<CRefPtr<CUnigem>> m_unigems;
    int32_t m_gemsArrived = 0; // the flying gems have reached their tokens
    int32_t m_chainBroken = 0;
    float m_chainLightTimer = 0.0f;
    CRefPtr<CSoundBank> m_soundBank;
    int32_t m_unigemSoundPlayed = 0;

protected:
    void UpdateOwn(float dt) override;
    bool UpdateActive(float dt) override;

private:
    // A point of the picture placed without turning with the totem.
    Vec3 PlacePlainly(const Vec3& p) const;
    Vec3 RandomFlarePlace(const TotemRegion& region) const;
    void UpdateBigFlares(float dt);
    void EmitSmallFlares(float dt);
    void UpdateGems(float dt);
    void UpdateChain(float dt);
    void EmitChainLights(float dt);
    void BurstChain();
    void StartFlare(const Vec3& at);
};
