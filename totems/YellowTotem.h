// CYellowTotem: the totem whose power is a number picture. Unleashed, a gold
// nugget of its body fades, smoke rises from its platform, and a number picture
// (by level and charge) rises in a swirl of plus signs and flies to a fixed
// point of the screen; from level 2 a thunderbolt then runs on to the frenzy
// point. On arrival the totem hands its level and charge to the board, once.
// While it rests at the centre or in the shop small golden flares sparkle on it.
#pragma once

#include "effects/VortexKeeper.h"
#include "totems/Totem.h"
#include "totems/TotemColourSettings.h"

class CYellowTotem : public CTotem
{
public:
    // Hand-over of the number: flying, arrived (the manager acts), taken.
    enum NumberState : int32_t
    {
        kNumberFlying = 0,
        kNumberArrived = 1,
        kNumberTaken = 2,
    };

    CYellowTotem();
    ~CYellowTotem() override;

    void Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets) override;
    void RemoveShapes() override;
    void SetAlpha(float alpha, bool alsoTarget) override;
    void Activate(int32_t charge) override;
    void SetResources(const TotemResources& resources) override;
    void Configure(const CTotemSettings& settings) override;
    void CollectRecords(std::vector<TotemCellRecord>& records) override;

    // The number picture of a level and charge (charge as after Activate): 0..4.
    static int32_t NumberPicture(int32_t level, int32_t charge);

    CRefPtr<CTexture> m_flareTexture;
    CRefPtr<CTexture> m_smokeTexture;
    CRefPtr<CTexture> m_boltTexture;
    YellowTotemSettings m_settings;
    float m_flareTimer = 0.0f;
    float m_timer = 0.0f;
    int32_t m_starting = 0;
    int32_t m_nuggetOut = 0; // the body's last shape has faded for the flight
    CRefPtr<CSpriteShape> m_numberShape;
    int32_t m_numberState = kNumberFlying;
    CRefPtr<CParticleSystem> m_plusSystem;
    CRefPtr<CVortexKeeper> m_plusKeeper;
    int32_t m_flaresMade = 0; // flares made since creation (for tests)

protected:
    void UpdateOwn(float dt) override;
    bool UpdateActive(float dt) override;

private:
    Vec3 SmokeStart() const;
    void StartNumber();
    void MakeFlares(int32_t count);
    void DropNumber();
};
