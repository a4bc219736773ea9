// COrangeTotem: the totem that carries its charge to a fixed place of the
// screen. Unleashed, two whirls of digits and stars, a spinning twirl and a
// growing flying picture rise from its body, fly in a straight line to the
// destination and flash there; on arrival the totem hands its charge to the
// board, once, and the board turns it into extra time.
#pragma once

#include "effects/VortexKeeper.h"
#include "totems/Totem.h"
#include "totems/TotemColourSettings.h"

class COrangeTotem : public CTotem
{
public:
    // Hand-over of the charge: not arrived, arrived (the manager acts), taken.
    enum ArrivalState : int32_t
    {
        kNotArrived = 0,
        kArrived = 1,
        kTaken = 2,
    };

    COrangeTotem();
    ~COrangeTotem() override;

    void RemoveShapes() override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;

    CRefPtr<CTexture> m_vortexTexture1;
    CRefPtr<CTexture> m_vortexTexture2;
    CRefPtr<CTexture> m_twirlTexture;
    CRefPtr<CTexture> m_arrivalTexture;
    OrangeTotemSettings m_settings;
    CRefPtr<CParticleSystem> m_vortexSystems[2];
    CRefPtr<CVortexKeeper> m_vortexKeepers[2];
    CRefPtr<CSpriteShape> m_flyShape;
    float m_flightTimer = 0.0f;
    Vec3 m_start{0.0f, 0.0f, 0.0f};
    Vec3 m_flight{0.0f, 0.0f, 0.0f};
    int32_t m_arrived = kNotArrived;

protected:
    bool UpdateActive(float dt) override;

private:
    void StartVortices();
    void MakeFlyShape(const Vec3& at, float scale);
    void Arrive();
    void Finish();
};
