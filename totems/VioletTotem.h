// CVioletTotem: the totem that gives bonuses. Unleashed, it picks one or two
// bonus kinds among those the level offers and sends each flying from its
// picture onto the board; the board makes the bonus on a token. While armed
// it shows a glow and two light rays circling a point of its picture.
#pragma once

#include "totems/Totem.h"
#include "totems/TotemColourSettings.h"
#include "totems/TotemsManager.h"

class CVioletTotem : public CTotem
{
public:
    enum EffectStage : int32_t
    {
        kEffectWaiting = 0,
        kEffectStarted = 1, // the records wait for the manager
        kEffectTaken = 2,
    };

    CVioletTotem();
    ~CVioletTotem() override;

    void RemoveShapes() override;
    void SetPosition(float x, float y, float z) override;
    void SetSize(float w, float h) override;
    void FadeOut(float speed) override;
    void SetZOrder(int32_t z) override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    void SetArmed(int32_t on, int32_t step = 2) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;
    // Fills m_records with the bonus flights of this unleashing.
    void StartEffect();

    CRefPtr<CTexture> m_glowTexture;
    VioletTotemSettings m_settings;
    std::vector<CRefPtr<CSpriteShape>> m_glowShapes; // the glow, then the two rays
    float m_rayPhases[2] = {0.0f, 3.1415927f};
    float m_effectTimer = 0.0f;
    int32_t m_effectStage = kEffectWaiting;
    std::vector<TotemCellRecord> m_records;

protected:
    void UpdateOwn(float dt) override;
    bool UpdateActive(float dt) override;

private:
    Vec3 RayPoint(int ray) const;
    void PlaceGlow(bool rescale);
    void DropGlow();
};
