#include "engine/MathConstants.h"
#include "totems/WhiteTotem.h"

#include "effects/CollectionParticleSystem.h"
#include "board/LevelParams.h"
#include "effects/DropsSprayKeeper.h"
#include "effects/ParticleParametres.h"
#include "engine/Random.h"
#include "totems/TotemSettings.h"
#include "totems/TotemsManager.h"

#include <algorithm>
#include <cmath>

namespace
{

const float kWhiteEndless = 10000000.0f;
const int32_t kSmokeParticles = 40;
const size_t kStreamCapacity = 20;
const float kLandingFade = 10.0f;

// The fog's colours, one smoke system each.
const uint32_t kFogColours[7] = {0xFFFF4040u, 0xFF40FF40u, 0xFF4040FFu, 0xFFFFFF40u,
                                 0xFFFF40FFu, 0xFFFFC040u, 0xFFFFE0E0u};
// The paint of each token colour (orange and white differ from the tokens').
const uint32_t kPaintColours[7] = {0xFF40FF40u, 0xFFFFFF40u, 0xFFFF4040u, 0xFF4040FFu,
                                   0xFFFFD040u, 0xFFFFF0F0u, 0xFFFF40FFu};

float Distance(const Vec3& a, const Vec3& b)
{
    const float dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

} // namespace

CPaintStream::CPaintStream()
{
    for (float& phase : m_phases)
        phase = RandomUnit() * kTwoPi;
    m_paintShapes.reserve(kBlobs);
    m_shineShapes.reserve(kBlobs);
}

CPaintStream::~CPaintStream()
{
    if (!m_spriteList)
        return;
    for (const CRefPtr<CSpriteShape>& shape : m_paintShapes)
        m_spriteList->Remove(shape);
    for (const CRefPtr<CSpriteShape>& shape : m_shineShapes)
        m_spriteList->Remove(shape);
}

void CPaintStream::SetResources(CRefPtr<CParticleSystemsManager> particles, CRefPtr<CSpriteList> spriteList,
                                CRefPtr<CTexture> dropTexture)
{
    m_particles = particles;
    m_spriteList = spriteList;
    m_dropTexture = dropTexture;
}

void CPaintStream::Start(const Vec3& a, const Vec3& b, const Vec3& c, float halfCellW, float halfCellH,
                         int32_t column, int32_t row, int32_t colourIndex, uint32_t colour, float speed,
                         int32_t zOrder)
{
    m_halfCellW = halfCellW;
    m_halfCellH = halfCellH;
    m_column = column;
    m_row = row;
    m_colourIndex = colourIndex;
    m_colour = colour;
    m_blobW = m_dropWidth * halfCellW;
    m_blobH = m_dropWidth * halfCellH;
    const Vec3 leave{0.0f, 2.0f, 1.0f}, arrive{1.0f, 0.0f, 1.0f};
    // No speed or no distance: the stream lands at once.
    const auto time = [speed](float distance) { return speed > 0.0f ? distance / speed : 0.0f; };
    if (b.y < c.y)
        m_path.Reset(a, c, leave, arrive, time(Distance(a, c)));
    else
    {
        m_path.Reset(a, b, leave, arrive, time(Distance(a, b)));
        m_path.AddSmoothTo(c, Vec3{1.0f, 2.0f, 1.0f}, time(Distance(b, c)));
    }
    m_duration = m_path.total;
    m_growTime = 0.4f * m_duration;
    m_fadeInTime = 0.2f * m_duration;
    m_elapsed = 0.0f;
    m_head = a;
    for (int k = 0; k < kBlobs; ++k)
    {
        const float spread = 0.8f * halfCellW;
        const float o[2] = {spread * (RandomUnit() - 0.5f), spread * (RandomUnit() - 0.5f)};
        const float e[2] = {spread * (RandomUnit() - 0.5f), spread * (RandomUnit() - 0.5f)};
        for (int i = 0; i < 2; ++i)
        {
            m_offsets[k][i] = o[i];
            m_velocities[k][i] = m_duration > 0.0f ? (e[i] - o[i]) / m_duration : 0.0f;
        }
        for (int shine = 0; shine < 2; ++shine)
        {
            CRefPtr<CSpriteShape> shape(new CSpriteShape(a.x + 0.1f * o[0], a.y + 0.1f * o[1], a.z, 0.1f * m_blobW,
                                                         0.1f * m_blobH, shine ? colour | 0x00FFFFFFu : colour,
                                                         m_dropTexture, 1));
            shape->SetAlpha(0.0f);
            shape->fadeSpeed = m_fadeInTime > 0.0f ? 1.0f / m_fadeInTime : 100.0f;
            shape->FadeTo(1.0f);
            shape->zOrder = zOrder;
            if (m_spriteList)
                m_spriteList->Add(shape);
            (shine ? m_shineShapes : m_paintShapes).push_back(shape);
        }
    }
}

bool CPaintStream::Update(float dt)
{
    m_elapsed = std::min(m_elapsed + dt, m_duration);
    Vec3 head;
    m_path.GetPoint(head, m_elapsed);
    if (m_duration <= 0.0f)
        head = m_head;
    Vec3 d{head.x - m_head.x, head.y - m_head.y, head.z - m_head.z};
    const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    d = len > 0.0f ? Vec3{d.x / len, d.y / len, d.z / len} : Vec3{1.0f, 0.0f, 0.0f};
    m_head = head;
    // The blob's length lies along its flight; its picture turns the other way.
    const float planar = std::max(std::sqrt(d.x * d.x + d.y * d.y), 1e-6f);
    const float cosT = d.x / planar, sinT = d.y / planar;
    float uv[8];
    const float corners[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (int k = 0; k < 4; ++k)
    {
        const float x = corners[k][0], y = corners[k][1];
        uv[2 * k] = 0.25f + 0.125f * (x * cosT + y * sinT);
        uv[2 * k + 1] = 0.25f + 0.125f * (y * cosT - x * sinT);
    }
    const float g = m_elapsed < m_growTime ? 0.9f * m_elapsed / m_growTime + 0.1f : 1.0f;
    for (size_t k = 0; k < m_paintShapes.size() && k < m_shineShapes.size(); ++k)
    {
        m_offsets[k][0] += m_velocities[k][0] * dt;
        m_offsets[k][1] += m_velocities[k][1] * dt;
        m_phases[k] += m_wobbleSpeed * dt;
        const float s = (std::sin(m_phases[k]) + 1.0f) * 0.5f;
        const float length = m_blobW * (m_lengthMin + s * (m_lengthMax - m_lengthMin)) * g;
        const float width = m_blobH * (m_widthMax + (1.0f - s) * (m_widthMax - m_widthMin)) * g;
        for (int shine = 0; shine < 2; ++shine)
        {
            CSpriteShape& shape = *(shine ? m_shineShapes : m_paintShapes)[k];
            shape.SetAxes(d.x, d.y, d.z, -d.y, d.x, d.z, 1);
            const float du = shine ? 0.5f : 0.0f;
            shape.SetFrameUV4(0, uv[0] + du, uv[1], uv[2] + du, uv[3], uv[4] + du, uv[5], uv[6] + du, uv[7]);
            shape.SetScale(length, width);
            shape.position = Vec3{head.x + g * m_offsets[k][0], head.y + g * m_offsets[k][1], head.z};
        }
    }
    if (m_elapsed < m_duration)
        return true;
    Land();
    return false;
}

void CPaintStream::Land()
{
    Vec3 at = m_head;
    if (!m_paintShapes.empty())
        at = m_paintShapes.back()->position;
    for (auto* shapes : {&m_paintShapes, &m_shineShapes})
    {
        for (const CRefPtr<CSpriteShape>& shape : *shapes)
        {
            shape->fadeSpeed = kLandingFade;
            shape->FadeTo(0.0f);
            shape->mortal = 1;
            shape->life = 1.0f / kLandingFade;
        }
        shapes->clear();
    }
    if (!m_particles)
        return;
    // Coloured drops (the atlas's lower left), and their white glints (lower right)
    // flying exactly alike on top of them.
    CRefPtr<CDropsSprayKeeper> first;
    for (int k = 0; k < 2; ++k)
    {
        const float left = k == 0 ? 0.0f : 0.5f;
        CRefPtr<CDropsSprayKeeper> keeper(new CDropsSprayKeeper());
        keeper->SetParams(m_sprayParticles, Vec3{2.0f * m_halfCellW, 2.0f * m_halfCellH, 0.0f}, left, 0.5f,
                          left + 0.5f, 1.0f);
        keeper->dropSize = m_sprayParticleSize;
        keeper->floor = -400.0f;
        keeper->speedBase = 300.0f;
        keeper->speedSpread = 150.0f;
        keeper->gravity = 2500.0f;
        if (k == 0)
        {
            keeper->colour = m_colour & 0xFFFFFFu;
            keeper->GenerateSpray();
            first = keeper;
        }
        else
            keeper->SetPattern(first);
        CCollection2Parametres block(at.x, at.y, at.z, nullptr, keeper, CCollection2Parametres::kBlendAlpha);
        block.keeperEmission = 1;
        block.alphaScale = m_sprayIntensity;
        CRefPtr<CParticleSystem> spray;
        m_particles->AddCollection2System(spray, block, m_sprayParticles + 2, m_dropTexture);
    }
}

CWhiteTotem::CWhiteTotem() : CTotem(kTotemWhite)
{
    m_shapes.reserve(5);
    m_activeStreams.reserve(kStreamCapacity);
    m_finishedStreams.reserve(kStreamCapacity);
    m_shineColour = 0xFFFFBB74u;
}

CWhiteTotem::~CWhiteTotem()
{
    CWhiteTotem::RemoveShapes();
}

int32_t CWhiteTotem::PaintColourIndex(float random)
{
    return std::min(std::max(int32_t(std::floor(random * 7.0f)), 0), 6);
}

uint32_t CWhiteTotem::PaintColour(int32_t index, float intensity)
{
    const uint32_t alpha = uint32_t(std::floor(std::min(std::max(intensity, 0.0f), 1.0f) * 255.0f));
    return (kPaintColours[std::min(std::max(index, 0), 6)] & 0xFFFFFFu) | alpha << 24;
}

void CWhiteTotem::Init(TotemMode mode, CRefPtr<CTotemShapeSets> shapeSets)
{
    CTotem::Init(mode, shapeSets);
    if (mode != TotemMode::Panel)
        BuildStrips();
}

void CWhiteTotem::RemoveShapes()
{
    SetArmed(0);
    if (m_spriteList)
        for (const CRefPtr<CSpriteShape>& strip : m_streamStrips)
            m_spriteList->Remove(strip);
    m_streamStrips.clear();
    m_activeStreams.clear();
    m_finishedStreams.clear();
    CTotem::RemoveShapes();
}

void CWhiteTotem::BuildStrips()
{
    const int32_t li = TotemLevelIndex(m_level);
    const std::vector<float>& lengths = m_settings.stripLengths[li];
    const uint32_t colour = 0x00FFFFFFu | uint32_t(std::floor(m_settings.streamIntensity * 255.0f)) << 24;
    for (size_t j = 0; j < lengths.size(); ++j)
    {
        CRefPtr<CSpriteShape> strip(new CSpriteShape(m_position.x, m_position.y, m_position.z - 0.2f, m_size[0],
                                                     m_size[1], colour, m_paintStreamTexture, 1));
        strip->SetAxes(m_axisX.x, m_axisX.y, m_axisX.z, m_axisY.x, m_axisY.y, m_axisY.z, 0);
        strip->SetAlpha(0.0f);
        strip->zOrder = m_zOrder - 2;
        if (m_spriteList)
            m_spriteList->Add(strip);
        m_streamStrips.push_back(strip);
    }
    LayOutStrips();
}

void CWhiteTotem::LayOutStrips()
{
    const int32_t li = TotemLevelIndex(m_level);
    const std::vector<float>& lines = m_settings.stripLines[li];
    const std::vector<float>& lengths = m_settings.stripLengths[li];
    float t = m_stripPhase;
    for (size_t j = 0; j < m_streamStrips.size() && j < lengths.size() && 4 * j + 7 < lines.size(); ++j)
    {
        CSpriteShape& strip = *m_streamStrips[j];
        const float* a = &lines[4 * j];
        const float* b = &lines[4 * j + 4];
        strip.SetCorners(a[0], a[1], a[2], a[3], b[2], b[3], b[0], b[1]);
        strip.position = Vec3{m_position.x, m_position.y, m_position.z - 0.2f};
        strip.SetScale(m_size[0], m_size[1]);
        strip.SetFrameUV(0, 0.0f, t, 1.0f, t + lengths[j]);
        t += lengths[j];
    }
}

void CWhiteTotem::ScrollStrips(float dt)
{
    if (m_mode == TotemMode::Panel || m_streamStrips.empty())
        return;
    m_stripPhase -= m_settings.streamTSpeed * dt;
    if (m_stripPhase < 0.0f)
        m_stripPhase += 1.0f;
    LayOutStrips();
}

void CWhiteTotem::SetPosition(float x, float y, float z)
{
    CTotem::SetPosition(x, y, z);
    LayOutStrips();
}

void CWhiteTotem::SetSize(float w, float h)
{
    CTotem::SetSize(w, h);
    LayOutStrips();
}

void CWhiteTotem::SetAlpha(float alpha, bool alsoTarget)
{
    CTotem::SetAlpha(alpha, alsoTarget);
    for (const CRefPtr<CSpriteShape>& strip : m_streamStrips)
        strip->SetAlpha(alpha);
}

void CWhiteTotem::SetZOrder(int32_t z)
{
    CTotem::SetZOrder(z);
    for (const CRefPtr<CSpriteShape>& strip : m_streamStrips)
        strip->zOrder = z - 2;
}

void CWhiteTotem::Activate(int32_t charge)
{
    CTotem::Activate(charge);
    m_awaitingCells = 1;
}

void CWhiteTotem::SetResources(const TotemResources& r)
{
    CTotem::SetResources(r);
    if (r.own.size() >= 3)
    {
        m_paintStreamTexture = r.own[0];
        m_sprayTexture = r.own[1];
        m_paintDropTexture = r.own[2];
    }
}

void CWhiteTotem::Configure(const CTotemSettings& settings)
{
    CTotem::Configure(settings);
    m_settings = settings.m_white;
}

Vec3 CWhiteTotem::Spout(float dx, float dy, float dz) const
{
    const Vec3& s = m_settings.spouts[TotemLevelIndex(m_level)];
    Vec3 p = Place(Vec3{s.x + dx, s.y + dy, 0.0f});
    p.z += s.z + dz;
    return p;
}

void CWhiteTotem::StartSmoke(const Vec3& at, float spread, uint32_t colour, bool fog)
{
    if (!m_particles)
        return;
    const float w = m_size[0];
    CSmokesSpringParametres b(at, Vec3{0.0f, 1.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f}, spread, 0.1f, 0.25f, 0.0f, colour, 0);
    b.rise = (fog ? 0.04f : 0.4f) * w;
    b.riseSpread = (fog ? 0.01f : 0.1f) * w;
    b.size = (fog ? 0.03f : 0.075f) * w;
    b.sizeSpread = (fog ? 0.015f : 0.0375f) * w;
    b.growth = (fog ? 0.03f : 0.13f) * w;
    b.growthSpread = (fog ? 0.0075f : 0.0325f) * w;
    b.fadeRate = fog ? 0.6f : 1.0f;
    b.fadeSpread = fog ? 0.15f : 0.25f;
    b.duration = fog ? kWhiteEndless : 0.5f;
    b.rate = (fog ? 4.0f : 24.0f) * m_speedFactor;
    CRefPtr<CParticleSystem> system;
    m_particles->AddSmokesSystem(system, b, kSmokeParticles, m_sprayTexture);
    if (!system)
        return;
    system->Update(fog ? 0.5f : 0.25f);
    if (fog)
        m_fogSystems.push_back(system);
}

void CWhiteTotem::SetArmed(int32_t on, int32_t)
{
    if (!on)
    {
        for (const CRefPtr<CParticleSystem>& fog : m_fogSystems)
            fog->StopEmission();
        m_fogSystems.clear();
        return;
    }
    if (!m_fogSystems.empty())
        return;
    const Vec3 spout = Spout(0.0f, 0.0f, 0.0f);
    const float radius = m_settings.spoutRadii[TotemLevelIndex(m_level)] * m_size[0];
    for (uint32_t colour : kFogColours)
        StartSmoke(spout, radius, colour, true);
}

void CWhiteTotem::OnMatchCells(const std::vector<Vec3>& points, const std::vector<CCellPos>& cells)
{
    const WhiteTotemSettings& s = m_settings;
    const int32_t c = PaintColourIndex(RandomUnit());
    const uint32_t colour = PaintColour(c, s.paintDropIntensity);
    const float radius = s.spoutRadii[TotemLevelIndex(m_level)];
    const TotemBoardGeometry& board = g_totemBoardGeometry;
    for (size_t i = 0; i < points.size() && i < cells.size(); ++i)
    {
        const float r1 = RandomUnit(), r2 = RandomUnit(), r3 = RandomUnit();
        const Vec3 a = Spout(r1 * 0.4f * radius, 0.0f, -3.0f);
        const Vec3 b = Spout(0.5f - r2 * 0.25f, 0.5f - r3 * 0.25f, -3.0f);
        const Vec3 target{points[i].x, points[i].y, b.z};
        CRefPtr<CPaintStream> stream(new CPaintStream());
        stream->SetResources(m_particles, m_spriteList, m_paintDropTexture);
        stream->m_lengthMin = s.lengthFactor[0];
        stream->m_lengthMax = s.lengthFactor[1];
        stream->m_widthMin = s.widthFactor[0];
        stream->m_widthMax = s.widthFactor[1];
        stream->m_wobbleSpeed = s.wobbleSpeed;
        stream->m_sprayIntensity = s.sprayIntensity;
        stream->m_sprayParticleSize = s.sprayParticleSize;
        stream->m_sprayParticles = s.sprayParticles;
        stream->Start(a, b, target, board.cellWidth * 0.5f, board.cellHeight * 0.5f, cells[i].column, cells[i].row, c,
                      colour, s.paintDropSpeed, m_zOrder - 2);
        m_activeStreams.push_back(stream);
    }
    StartSmoke(Spout(0.25f * radius, 0.01f, -2.0f), 0.5f * radius * m_size[0], colour, false);
    m_awaitingCells = 0;
}

void CWhiteTotem::CollectRecords(std::vector<TotemCellRecord>& records)
{
    TotemCellRecord record;
    record.kind = kTotemWhite;
    if (m_awaitingCells)
    {
        record.value = GetTotemEffectCount(m_level, m_charge);
        records.push_back(record);
        return;
    }
    if (!m_finishedStreams.empty())
    {
        for (const CRefPtr<CPaintStream>& stream : m_finishedStreams)
        {
            record.column = stream->m_column;
            record.row = stream->m_row;
            record.value = 0;
            record.extra = stream->m_colourIndex;
            records.push_back(record);
        }
        m_finishedStreams.clear();
        return;
    }
    // Over: the board looks for moves again (every frame while the event stays).
    const bool over = m_state == TotemState::Spent || m_state == TotemState::Rearmed;
    if (over && (m_event == TotemEvent::EndedActive || m_event == TotemEvent::EndedActiveFull))
    {
        record.value = -1;
        records.push_back(record);
    }
}

void CWhiteTotem::UpdateOwn(float dt)
{
    ScrollStrips(dt);
}

bool CWhiteTotem::UpdateActive(float dt)
{
    for (size_t i = 0; i < m_activeStreams.size();)
    {
        if (m_activeStreams[i]->Update(dt))
        {
            ++i;
            continue;
        }
        m_finishedStreams.push_back(m_activeStreams[i]);
        m_activeStreams.erase(m_activeStreams.begin() + std::ptrdiff_t(i));
    }
    return !m_awaitingCells && m_activeStreams.empty() && m_finishedStreams.empty();
}
