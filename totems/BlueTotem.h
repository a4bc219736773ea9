// CBlueTotem: the blue totem, which breaks steel. Unleashed, bolts crackle over
// its picture while it charges, gather into one point of it, and the steel caps
// on its body burst; then it asks the board for every steel token and sends a
// bolt (CBlueBolt) to each. Each bolt that arrives becomes a cell record: the
// board breaks that token, from level 3 with its four neighbours. At a full
// charge it also throws halo bursts while charging, and the shield it turns on
// pulses out of it.
#pragma once

#include "totems/BlueTotemSettings.h"
#include "totems/Totem.h"
#include "totems/TotemSprites.h"

// One bolt flying from the totem to a steel token.
class CBlueBolt
{
public:
    CBlueBolt() = default;
    ~CBlueBolt();
    CBlueBolt(const CBlueBolt&) = delete;
    CBlueBolt& operator=(const CBlueBolt&) = delete;

    void Start(const Vec3& from, const Vec3& to, float width, float height, float speed, int32_t column, int32_t row,
               uint32_t colour, CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteBatch> spriteBatch,
               CRefPtr<CTexture> lightningTexture, CRefPtr<CTexture> sparkTexture);
    // True while the bolt is still on its way; on arrival it strikes.
    bool Update(float dt);

    int32_t m_column = 0, m_row = 0;
    Vec3 m_from{0.0f, 0.0f, 0.0f};
    Vec3 m_to{0.0f, 0.0f, 0.0f};
    float m_width = 200.0f;
    float m_height = 48.0f;
    float m_speed = 2500.0f;
    int32_t m_totemLevel = 1;
    CRefPtr<CTexture> m_lightningTexture, m_sparkTexture;
    uint32_t m_boltRgb = 0xFFFFFFu;
    CRefPtr<CParticleSystemsManager> m_particles;
    CRefPtr<CSpriteBatch> m_spriteBatch;
    float m_length = 0.0f;
    Vec3 m_delta{0.0f, 0.0f, 0.0f};
    Vec3 m_direction{1.0f, 0.0f, 0.0f};
    Vec3 m_normal{0.0f, 1.0f, 0.0f};
    float m_travel = 0.0f;
    CRefPtr<CParticleSystem> m_system;
    CRefPtr<CBatchSprite> m_glow;

private:
    void Strike();
};

// The steps of the blue totem's active phase after the charging steps 0..N.
enum BlueStep : int32_t
{
    kBlueReleased = 1, // N + 1: the bolts gather into the target point
    kBlueWaiting = 2,  // N + 2: the caps have burst; the board is asked for steel
    kBlueFlying = 3,   // N + 3: bolts fly to the steel tokens
};

class CBlueTotem : public CTotem
{
public:
    CBlueTotem();
    ~CBlueTotem() override;

    void Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets) override;
    void RemoveShapes() override;
    void SetPosition(float x, float y, float z) override;
    void SetSize(float w, float h) override;
    void SetZOrder(int32_t z) override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    void SetShieldMode(int32_t value) override;
    void OnMatchCells(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;

    // One bolt per steel token; only as many as both lists hold.
    void OnMatch(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells);
    // The totem waits for the board at a full charge: the shield goes on.
    bool CallsShield() const { return m_strikeReady && m_charge == 3; }

    CRefPtr<CTexture> m_steelTexture;
    CRefPtr<CTexture> m_lightningTexture;
    CRefPtr<CTexture> m_sparkTexture;
    BlueTotemSettings m_settings;
    int32_t m_stepCount = 5;
    std::vector<Vec3> m_segmentCentres;
    std::vector<Vec3> m_segmentDirections;
    std::vector<float> m_segmentLengths;
    int32_t m_shieldMode = 0;
    float m_phaseTimer = 0.0f;
    int32_t m_step = 0;
    int32_t m_strikeReady = 0;
    std::vector<CRefPtr<CParticleSystem>> m_strikeSystems;
    std::vector<CRefPtr<CBlueBolt>> m_flyingBolts;
    std::vector<CRefPtr<CBlueBolt>> m_arrivedBolts;
    std::vector<CRefPtr<CSpriteShape>> m_shieldShapes;
    std::vector<float> m_shieldAges;
    float m_shieldClock = 10.0f;
    float m_minRemaining = 0.0f;
    int32_t m_capsFramed = 0; // the caps shapes have their empty-socket frames

protected:
    void UpdateOwn(float dt) override;
    bool UpdateActive(float dt) override;

private:
    const std::vector<TotemSegment>& Begins() const;
    const std::vector<TotemSegment>& Ends() const;
    void MeasureSegments();
    totemfx::BoltEnd SegmentEnd(size_t k) const;
    void Charge();
    void Release();
    void Converge();
    void BreakCaps();
    void CrossCaps(const Vec3& at, float capsW, float capsH);
    void HaloBurst();
    void ShowCaps(int32_t frame);
    void UpdateShield(float dt);
    // The shield point of the mode: the small one on the panel.
    const TotemPictureBox& ShieldBox() const;
    // Puts every shield on the shield point and multiplies its scale by the factors.
    void PlaceShields(float wFactor, float hFactor);
    void AddShieldShape();
};
