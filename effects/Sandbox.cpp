#include "effects/Sandbox.h"

#include "effects/DuneKeepers.h"
#include "effects/ParticleSystemsManager.h"
#include "render/Texture.h"

#include <algorithm>
#include <cmath>

namespace
{

// The dune effects emit until they are stopped.
constexpr float kEndless = 100000000.0f;
constexpr int32_t kDuneCapacity = 320;

} // namespace

CSandbox::CSandbox() = default;

CSandbox::~CSandbox() { StopEffects(true); }

void CSandbox::SetTextures(CRefPtr<CTexture> body, CRefPtr<CTexture> grain, CRefPtr<CTexture> cloud,
                           CRefPtr<CTexture> front, CRefPtr<CTexture> glass, CRefPtr<CTexture> star)
{
    bodyTexture = std::move(body);
    grainTexture = std::move(grain);
    cloudTexture = std::move(cloud);
    frontTexture = std::move(front);
    glassTexture = std::move(glass);
    starTexture = std::move(star);
}

void CSandbox::LoadLayout(const Layout& l)
{
    std::copy(l.frontShift, l.frontShift + 3, frontOffset);
    glassColour = l.glassColour;
    sandInGravity = l.sandInGravity;
    sandOutGravity = l.sandOutGravity;
    sandPathSpeed = l.sandPathSpeed;
    sandColour = l.sandColour | 0xFF000000u;
    flyOutAlpha = l.sandAlpha;
    dustSpeed = l.dustSpeed;
    dustSpeedSpread = l.dustSpeedSpread;
    dustBraking = l.dustSpeed;
    dustSize = l.dustSize;
    dustSizeSpread = l.dustSizeSpread;
    dustColour = l.dustColour | 0xFF000000u;
    dustAlpha = l.dustAlpha;
    barColour = l.barColour & 0x00FFFFFFu;
    barPresence = l.barPresence;
    barOffset[0] = l.barShift[0];
    barOffset[1] = l.barShift[1];
    barElementSize[0] = l.barElementSize[0];
    barElementSize[1] = l.barElementSize[1];
    barCount = l.barCount;
    barPeriod = l.barPostTime;
    sandPath = l.sandPath;
}

void CSandbox::SetHeap(CRefPtr<CSandHeap> newHeap)
{
    heap = std::move(newHeap);
    Refresh();
}

void CSandbox::SetArea(float x, float y, float z, float w, float h)
{
    area.x = x;
    area.y = y;
    area.z = z;
    area.width = w;
    area.height = h;
    const size_t n = heap ? size_t(heap->columns) : area.basePoints.size();
    area.basePoints.resize(n);
    area.upVectors.resize(n);
    area.baseUV.resize(n);
    area.upUV.resize(n);
    const float step = n > 1 ? w / float(n - 1) : 0.0f;
    const float uStep = n > 1 ? area.textureRepeat / float(n - 1) : 0.0f;
    float px = x, u = 0.0f;
    for (size_t i = 0; i < n; ++i)
    {
        area.basePoints[i] = Vec3{px, y - h, z};
        area.upVectors[i] = Vec3{0.0f, h, 0.0f};
        area.baseUV[i] = {u, area.baseV};
        area.upUV[i] = {0.0f, -area.baseV};
        px += step;
        u += uStep;
    }
    Refresh();
}

void CSandbox::Refresh()
{
    if (!heap)
        return;
    const size_t n = area.basePoints.size();
    surface.resize(n);
    for (size_t i = 0; i < n; ++i)
    {
        const float h = i < heap->displayed.size() ? float(heap->displayed[i]) : 0.0f;
        const Vec3& b = area.basePoints[i];
        const Vec3& up = area.upVectors[i];
        surface[i] = Vec3{b.x + up.x * h, b.y + up.y * h, b.z + up.z * h};
    }
}

void CSandbox::SetState(int32_t on, float rate)
{
    if (rate == 0.0f)
    {
        visible = on;
        level = on ? 1.0f : 0.0f;
        levelSpeed = 0.0f;
    }
    else
        levelSpeed = on ? rate : -rate;
    if (on == 1)
        StartEffects();
    else if (on == 0)
        StopEffects(false);
}

void CSandbox::StartEffects()
{
    if (!particles || flySystem || flyKeeper || dustSystem || dustKeeper)
        return;
    flyKeeper = CRefPtr<CDuneSandFlyOut>(new CDuneSandFlyOut);
    flyKeeper->Setup(heap, &area, sandPath, &surface, sandInGravity, sandOutGravity, sandPathSpeed);
    flyKeeper->colour = sandColour;
    flyKeeper->enabled = 1;
    {
        CCollection2Parametres block(area.x, area.y, area.z, nullptr, CRefPtr<CCollection2Keeper>(flyKeeper),
                                     CCollection2Parametres::kBlendAlpha);
        block.keeperEmission = 1;
        block.duration = kEndless;
        block.alphaScale = flyOutAlpha;
        particles->AddCollection2System(flySystem, block, kDuneCapacity, grainTexture);
    }
    dustKeeper = CRefPtr<CDuneDustKeeper>(new CDuneDustKeeper);
    dustKeeper->Setup(heap, &area, &surface, dustSpeed, dustSpeedSpread, 512.0f, 256.0f);
    dustKeeper->braking = dustBraking;
    dustKeeper->size = dustSize;
    dustKeeper->sizeSpread = dustSizeSpread;
    dustKeeper->colour = dustColour;
    dustKeeper->enabled = 1;
    CCollection2Parametres block(area.x, area.y, area.z, nullptr, CRefPtr<CCollection2Keeper>(dustKeeper),
                                 CCollection2Parametres::kBlendAlpha);
    block.keeperEmission = 1;
    block.duration = kEndless;
    block.alphaScale = dustAlpha;
    particles->AddCollection2System(dustSystem, block, kDuneCapacity, cloudTexture);
    if (heap && heap->mode == CSandHeap::kPouring)
        SetKeepersEnabled(0);
}

// Switching off lets the particles in flight live out their lives; the
// glass's end removes them. Either way the keepers let go of the glass's
// area and surface, which they must not read once it is gone.
void CSandbox::StopEffects(bool kill)
{
    if (flySystem)
        kill ? flySystem->Kill() : flySystem->StopEmission();
    if (dustSystem)
        kill ? dustSystem->Kill() : dustSystem->StopEmission();
    if (flyKeeper)
        flyKeeper->Detach();
    if (dustKeeper)
        dustKeeper->Detach();
    flySystem.Reset();
    flyKeeper.Reset();
    dustSystem.Reset();
    dustKeeper.Reset();
}

void CSandbox::SetKeepersEnabled(int32_t on)
{
    if (flyKeeper && flyKeeper->Attached())
        flyKeeper->enabled = on;
    if (dustKeeper && dustKeeper->Attached())
        dustKeeper->enabled = on;
}

void CSandbox::Update(float dt)
{
    if (levelSpeed < 0.0f)
    {
        level += dt * levelSpeed;
        if (level <= 0.0f)
        {
            level = 0.0f;
            visible = 0;
            levelSpeed = 0.0f;
        }
    }
    else if (levelSpeed > 0.0f)
    {
        visible = 1;
        level += dt * levelSpeed;
        if (level >= 1.0f)
        {
            level = 1.0f;
            levelSpeed = 0.0f;
        }
    }
    else if (heap && heap->mode != CSandHeap::kPouring && barPresence > 0.0f)
    {
        barPresence -= barPeriod > 0.0f ? dt / barPeriod : barPresence;
        if (barPresence < 0.0f)
            barPresence = 0.0f;
    }
    Refresh();
}

void CSandbox::SetFlowing(bool on, double refillValue)
{
    if (on)
        barPresence = 1.0f;
    if (heap)
        heap->SetFlow(on, on ? refillValue : 0.0);
    Refresh();
    SetKeepersEnabled(on ? 0 : 1);
}

void CSandbox::Pour(float amount, float x, float y, float z, float halfSize, float horizontalSpeed, float upwardSpeed,
                    float maxFallSpeed, float gravity)
{
    (void)z;
    if (!heap)
        return;
    const float drop = y - (area.y - area.height) - halfSize;
    float delay = 0.0f;
    if (drop > 0.0f && gravity > 0.0f && maxFallSpeed > 0.0f)
    {
        const float w = std::min(upwardSpeed, maxFallSpeed);
        const float t1 = (maxFallSpeed + w) / gravity;
        const float s1 = 0.5f * gravity * t1 * t1 - t1 * w;
        if (s1 < drop)
            delay = t1 + (drop - s1) / maxFallSpeed;
        else
            delay = (std::sqrt(2.0f * gravity * drop + w * w) + w) / gravity;
    }
    const float columnsSpan = float(std::max(heap->columns - 1, 0));
    const float position =
        area.width != 0.0f ? ((delay * horizontalSpeed + (x - area.x)) / area.width) * columnsSpan : 0.0f;
    heap->portions.push_back(CSandHeap::Portion{delay, position, amount});
}

int32_t CSandbox::BarQuads() const
{
    if (barPresence <= 0.0f)
        return 0;
    const double refill = heap ? heap->refill : 0.0;
    return barCount > 0 && refill >= 1.0 / double(barCount) ? 2 : 1;
}
