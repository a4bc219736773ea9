// CWhiteTotem: the totem that repaints tokens. Unleashed, paint pours from a
// spout on its picture: one stream of four wobbling blobs per chosen cell flies
// to the cell, splashes there as a spray of drops, and the board repaints that
// token; all streams of one unleashing share one colour. While armed, coloured
// fog rises from the spout and paint strips flow down the picture.
#pragma once

#include "totems/Totem.h"
#include "totems/TotemColourSettings.h"

// One paint stream from the spout to a cell.
class CPaintStream
{
public:
    static constexpr int32_t kBlobs = 4;

    CPaintStream();
    ~CPaintStream();
    CPaintStream(const CPaintStream&) = delete;
    CPaintStream& operator=(const CPaintStream&) = delete;

    void SetResources(CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteList> spriteList,
                      CRefPtr<CTexture> dropTexture);
    // The blobs leave the spout a, bend at b and land on c.
    void Start(const Vec3& a, const Vec3& b, const Vec3& c, float halfCellW, float halfCellH, int32_t column,
               int32_t row, int32_t colourIndex, uint32_t colour, float speed, int32_t zOrder);
    // False once the stream has landed (its blobs fade, its sprays run on).
    bool Update(float dt);

    CRefPtr<CParticleSystemsManager> m_particles;
    CRefPtr<CSpriteList> m_spriteList;
    CRefPtr<CTexture> m_dropTexture;
    float m_dropWidth = 0.6f;
    float m_lengthMin = 0.8f, m_lengthMax = 1.5f;
    float m_widthMin = 0.5f, m_widthMax = 1.2f;
    float m_wobbleSpeed = 6.2831853f;
    CMotionPath m_path;
    int32_t m_column = 0, m_row = 0;
    uint32_t m_colour = 0xFFFFFFFFu;
    float m_sprayIntensity = 0.75f;
    float m_sprayParticleSize = 48.0f;
    int32_t m_sprayParticles = 15;
    int32_t m_colourIndex = 0;
    float m_duration = 0.1f;
    float m_growTime = 0.1f;
    float m_fadeInTime = 0.1f;
    Vec3 m_head{0.0f, 0.0f, 0.0f};
    float m_halfCellW = 1.0f, m_halfCellH = 1.0f;
    float m_blobW = 0.6f, m_blobH = 0.6f;
    float m_elapsed = 0.0f;
    float m_phases[kBlobs] = {};
    float m_offsets[kBlobs][2] = {};
    float m_velocities[kBlobs][2] = {};
    std::vector<CRefPtr<CSpriteShape>> m_paintShapes;
    std::vector<CRefPtr<CSpriteShape>> m_shineShapes;

private:
    void Land();
};

class CWhiteTotem : public CTotem
{
public:
    CWhiteTotem();
    ~CWhiteTotem() override;

    void Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets) override;
    void RemoveShapes() override;
    void SetPosition(float x, float y, float z) override;
    void SetSize(float w, float h) override;
    void SetAlpha(float alpha, bool alsoTarget) override;
    void SetZOrder(int32_t z) override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    void SetArmed(int32_t on, int32_t step = 2) override;
    void OnMatchCells(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;

    // The token colour index of a random value in [0, 1] (1 gives the last).
    static int32_t PaintColourIndex(float random);
    // The paint of a token colour index, with the given opacity 0..1.
    static uint32_t PaintColour(int32_t index, float intensity);

    CRefPtr<CTexture> m_paintStreamTexture;
    CRefPtr<CTexture> m_sprayTexture;
    CRefPtr<CTexture> m_paintDropTexture;
    WhiteTotemSettings m_settings;
    std::vector<CRefPtr<CSpriteShape>> m_streamStrips;
    float m_stripPhase = 1.0f;
    std::vector<CRefPtr<CParticleSystem>> m_fogSystems;
    std::vector<CRefPtr<CPaintStream>> m_activeStreams;
    std::vector<CRefPtr<CPaintStream>> m_finishedStreams;
    int32_t m_awaitingCells = 0;

protected:
    void UpdateOwn(float dt) override;
    bool UpdateActive(float dt) override;

private:
    Vec3 Spout(float dx, float dy, float dz) const;
    void BuildStrips();
    void LayOutStrips();
    void ScrollStrips(float dt);
    void StartSmoke(const Vec3& at, float spread, uint32_t colour, bool fog);
};
