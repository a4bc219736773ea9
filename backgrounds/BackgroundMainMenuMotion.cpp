// The main-menu scene in motion: sky scroll, falling leaves, rippling foliage, swaying
// map and vines, the face's eye and lips, the front foliage; and the masked draw of
// the sky and the leaves.
#include <algorithm>
#include <cmath>

#include "backgrounds/BackgroundMainMenu.h"
#include "backgrounds/MaskedDraw.h"
#include "engine/MathConstants.h"
#include "engine/Random.h"
#include "render/Device.h"
#include "render/IndexBuffer.h"
#include "render/SharedBuffers.h"
#include "render/SpriteShape.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

namespace
{
const float kBottom = -384.0f;
const float kLeafZ = 997.0f;

// Advances a phase and keeps it below 2 pi.
void Advance(float& phase, float step)
{
    phase += step;
    if (phase >= kTwoPi)
        phase -= kTwoPi;
}

// Sets the lower corners of a sprite whose lower edge swings like a pendulum of its own
// height while its top edge stays put; the root is kept real when the swing is large.
void SwingLowerEdge(CSpriteShape& shape, const MainMenuSway& sway, const float disp[2])
{
    const float w = shape.scaleX, h = shape.scaleY;
    if (w <= 0.0f || h <= 0.0f)
        return;
    const float dx = (std::sin(sway.phase[0]) + 0.5f * std::sin(sway.phase[2])) * disp[0];
    const float dy = (std::sin(sway.phase[1]) + 0.5f * std::sin(sway.phase[3])) * disp[1];
    const float e = (dy + h - std::sqrt(std::max(0.0f, h * h - dx * dx))) / h - 0.5f;
    shape.SetCorners(-0.5f, 0.5f, 0.5f, 0.5f, dx / w + 0.5f, e, dx / w - 0.5f, e);
}
} // namespace

void CBackgroundMainMenu::Update(float dt)
{
    UpdateSky(dt);
    UpdateLeaves(dt);
    BirthLeaf(dt);
    BuildLeafQuads();
    UpdateFoliage(dt);
    if (decorations.size() >= size_t(kSprites))
    {
        UpdateSways(dt);
        UpdateFace(dt);
    }
    UpdateFront(dt);
}

void CBackgroundMainMenu::UpdateSky(float dt)
{
    skyScroll += settings.skySpeed * dt;
    if (skyScroll >= 1.0f)
        skyScroll -= 1.0f;
    if (skyScroll < 0.0f)
        skyScroll += 1.0f;
    if (vertices.size() < 4)
        return;
    vertices[0].u = vertices[3].u = skyScroll;
    vertices[1].u = vertices[2].u = skyScroll + settings.skyTSize[0];
}

void CBackgroundMainMenu::UpdateLeaves(float dt)
{
    for (size_t n = 0; n < leaves.size();)
    {
        MainMenuLeaf& leaf = leaves[n];
        leaf.x += leaf.vx * dt;
        leaf.y += leaf.vy * dt;
        if (leaf.y < kBottom)
        {
            leaves.erase(leaves.begin() + ptrdiff_t(n));
            continue;
        }
        Advance(leaf.spinPhase, leaf.spinFrequency * dt);
        leaf.angle += leaf.spinAmplitude * dt * std::sin(leaf.spinPhase);
        Advance(leaf.arcPhase, leaf.arcFrequency * dt);
        ++n;
    }
}

void CBackgroundMainMenu::BirthLeaf(float dt)
{
    const MainMenuSettings& s = settings;
    birthClock += dt;
    if (s.leafBirthT <= 0.0f || birthClock <= s.leafBirthT) // a zero period bears no leaves
        return;
    birthClock -= (0.8f + 0.2f * RandomUnit()) * s.leafBirthT;
    if (int32_t(leaves.size()) >= s.maxLeaves)
        return;
    MainMenuLeaf leaf{};
    leaf.x = s.leafZone[0] + RandomUnit() * s.leafZone[2];
    leaf.y = s.leafZone[1] - RandomUnit() * s.leafZone[3];
    const float k = 0.75f + 0.5f * RandomUnit();
    leaf.width = k * s.leafSize[0];
    leaf.height = k * s.leafSize[1];
    leaf.picture = std::min(2, int32_t(std::floor(3.0f * RandomUnit())));
    leaf.vx = (0.75f + 0.5f * RandomUnit()) * s.leafSpeed[0];
    leaf.vy = -(0.75f + 0.5f * RandomUnit()) * s.leafSpeed[1];
    leaf.angle = kTwoPi * RandomUnit();
    leaf.spinAmplitude = (0.75f + 0.5f * RandomUnit()) * s.leafRotSpeed;
    leaf.spinFrequency = (0.75f + 0.5f * RandomUnit()) * s.leafRotW;
    leaf.spinPhase = leaf.spinFrequency > 0.0f ? kTwoPi * RandomUnit() / leaf.spinFrequency : 0.0f;
    const float k2 = 0.75f + 0.5f * RandomUnit();
    leaf.arcWidth = k2 * s.leafArcSize[0];
    leaf.arcHeight = k2 * s.leafArcSize[1];
    leaf.arcFrequency = (0.75f + 0.5f * RandomUnit()) * s.leafArcW;
    leaf.arcPhase = leaf.arcFrequency > 0.0f ? kTwoPi * RandomUnit() / leaf.arcFrequency : 0.0f;
    // A phase drawn past 2 pi by a slow frequency is folded back into range.
    leaf.spinPhase = std::fmod(leaf.spinPhase, kTwoPi);
    leaf.arcPhase = std::fmod(leaf.arcPhase, kTwoPi);
    leaves.push_back(leaf);
}

void CBackgroundMainMenu::BuildLeafQuads()
{
    for (size_t n = 0; n < leaves.size() && 8 + 4 * n <= vertices.size(); ++n)
    {
        const MainMenuLeaf& leaf = leaves[n];
        const float t = (std::sin(leaf.arcPhase) + 1.0f) * 1.5707964f;
        const float cx = leaf.x + leaf.arcWidth / 2 * std::cos(t);
        const float cy = leaf.y - leaf.arcHeight * std::sin(t);
        const float c = leaf.width * std::cos(leaf.angle), s = leaf.width * std::sin(leaf.angle);
        float px[4], py[4];
        px[0] = cx - c / 2 - s / 2;
        py[0] = cy - s / 2 + c / 2;
        px[1] = px[0] + c;
        py[1] = py[0] + s;
        px[2] = px[1] + s;
        py[2] = py[1] - c;
        px[3] = px[2] - c;
        py[3] = py[2] - s;
        const float* r = settings.leafT[leaf.picture];
        const float u[4] = {r[0], r[2], r[2], r[0]}, v[4] = {r[1], r[1], r[3], r[3]};
        for (int k = 0; k < 4; ++k)
        {
            MainMenuVertex& out = vertices[4 + 4 * n + size_t(k)];
            out = MainMenuVertex{px[k] - 0.5f,        py[k] + 0.5f,   kLeafZ, 0xFFFFFFFFu, u[k], v[k],
                                 (px[k] + 512.0f) / 768.0f, (384.0f - py[k]) / 768.0f};
        }
    }
}

void CBackgroundMainMenu::UpdateFoliage(float dt)
{
    if (cells.empty())
        return;
    const MainMenuSettings& s = settings;
    const size_t columns = size_t(s.foliageCells[0]), rows = size_t(s.foliageCells[1]);
    const size_t stride = (columns + 1) * 2;
    nodeOffset.resize((rows + 1) * stride);
    for (size_t j = 0; j <= rows; ++j)
        for (size_t k = 0; k < stride; ++k)
        {
            Advance(nodePhase[j][k], nodeFrequency[j][k] * dt);
            nodeOffset[j * stride + k] = std::sin(nodePhase[j][k]) * s.foliageTNoise[k % 2];
        }
    const float du = s.foliageTForm[2] / float(columns), dv = s.foliageTForm[3] / float(rows);
    auto node = [&](size_t j, size_t i, int axis) { return nodeOffset[j * stride + i * 2 + size_t(axis)]; };
    for (size_t j = 0; j < rows; ++j)
        for (size_t i = 0; i < columns && columns * j + i < cells.size(); ++i)
        {
            const float u = s.foliageTForm[0] + float(i) * du, v = s.foliageTForm[1] + float(j) * dv;
            cells[columns * j + i]->SetFrameUV4(0, u + node(j, i, 0), v + node(j, i, 1), u + du + node(j, i + 1, 0),
                                                v + node(j, i + 1, 1), u + du + node(j + 1, i + 1, 0),
                                                v + dv + node(j + 1, i + 1, 1), u + node(j + 1, i, 0),
                                                v + dv + node(j + 1, i, 1));
        }
}

void CBackgroundMainMenu::UpdateSways(float dt)
{
    const MainMenuSettings& s = settings;
    const float mapW[4] = {s.mapW1[0], s.mapW1[1], s.mapW2[0], s.mapW2[1]};
    for (int k = 0; k < 4; ++k)
        Advance(mapSway.phase[k], mapW[k] * dt);
    if (decorations.size() < size_t(kSprites))
        return;
    SwingLowerEdge(*decorations[kSpriteMap], mapSway, s.mapDisp);
    const int hairs[2] = {kSpriteHair1, kSpriteHair2};
    for (int h = 0; h < 2; ++h)
    {
        for (int k = 0; k < 4; ++k)
            Advance(hairSway[h].phase[k], hairSway[h].frequency[k] * dt);
        SwingLowerEdge(*decorations[size_t(hairs[h])], hairSway[h], s.hairDisp);
    }
}

// The eye opens and closes now and then; while it is changed, the lips move.
void CBackgroundMainMenu::UpdateFace(float dt)
{
    CSpriteShape& eye = *decorations[kSpriteEye];
    CSpriteShape& lips = *decorations[kSpriteLips];
    const float f = eye.currentFrame == 0 ? 0.2f : 1.0f;
    if (settings.eyeProbability * dt * f > RandomUnit())
    {
        eye.currentFrame = eye.currentFrame == 0 ? 1 : 0;
        if (eye.currentFrame == 0)
        {
            if (lips.currentFrame == 2)
                lipsTimer = 0.0f;
            lips.currentFrame = lips.currentFrame == 2 ? 1 : 0;
        }
        else if (lips.currentFrame == 0)
        {
            lips.currentFrame = 1;
            lipsTimer = 0.0f;
        }
        return;
    }
    if (eye.currentFrame == 1)
    {
        if (settings.lipsProbability * dt > RandomUnit())
            lips.currentFrame = 3 - lips.currentFrame;
    }
    else if (lips.currentFrame != 0)
    {
        lipsTimer += dt;
        if (lipsTimer >= settings.lipsMinTime)
            lips.currentFrame = 0;
    }
}

void CBackgroundMainMenu::UpdateFront(float dt)
{
    if (!front.IsValid())
        return;
    const MainMenuSettings& s = settings;
    const float speeds[5] = {s.frontMoveW[0], s.frontMoveW[1], s.frontSkewW[0], s.frontSkewW[1], s.frontRotW};
    for (int k = 0; k < 5; ++k)
        Advance(frontPhase[k], speeds[k] * dt);
    float x = s.frontPos[0] - 0.5f + std::sin(frontPhase[0]) * s.frontMove[0];
    float y = s.frontPos[1] + 0.5f + std::sin(frontPhase[1]) * s.frontMove[1];
    const float sx = s.frontSize[0] > 0.0f ? std::sin(frontPhase[2]) * s.frontSkew[0] / s.frontSize[0] : 0.0f;
    const float sy = s.frontSize[1] > 0.0f ? std::sin(frontPhase[3]) * s.frontSkew[1] / s.frontSize[1] : 0.0f;
    float angle = std::sin(frontPhase[4]) * s.frontRotA;
    const bool wasShifted = shiftAmount > 0.0f;
    const float rate = s.frontShiftTime > 0.0f ? dt / s.frontShiftTime : 1.0f;
    if (shiftRequested)
        shiftAmount = std::min(1.0f, shiftAmount + rate);
    else if (wasShifted)
        shiftAmount = std::max(0.0f, shiftAmount - rate);
    if (shiftRequested || wasShifted)
    {
        x += s.frontShift[0] * shiftAmount;
        y += s.frontShift[1] * shiftAmount;
        angle += s.frontShiftAngle * shiftAmount;
    }
    front->position = Vec3{x, y, s.frontPos[2]};
    front->SetCorners(sx - 0.5f, sy + 0.5f, sx + 0.5f, sy + 0.5f, 0.5f - sx, -0.5f - sy, -0.5f - sx, -0.5f - sy);
    front->SetRotation(angle);
}

// ---------------------------------------------------------------------------------
// Drawing: the sky through its mask, then the leaves through theirs, from one run of
// the shared buffers.
// ---------------------------------------------------------------------------------
int32_t CBackgroundMainMenu::Render()
{
    if (!device.IsValid() || !vertexBuffer.IsValid() || !indexBuffer.IsValid() || vertices.size() < 4)
        return 0;
    const size_t used = 1 + leaves.size();
    CVertex* v = nullptr;
    uint16_t* i = nullptr;
    const HRESULT hr = LockRun(*vertexBuffer, *indexBuffer, DWORD(used * 4), DWORD(used * 6), &v, &i);
    if (FAILED(hr))
        return int32_t(hr);
    static_assert(sizeof(MainMenuVertex) == sizeof(CVertex), "the scene's vertices are the device's");
    std::copy_n(reinterpret_cast<const CVertex*>(vertices.data()), used * 4, v);
    const uint32_t base = vertexBuffer->lockStart;
    for (size_t k = 0; k < used * 6; ++k)
        i[k] = uint16_t(indices[k] + base);
    vertexBuffer->Unlock();
    indexBuffer->Unlock();
    DrawGeometry();
    return 0;
}

void CBackgroundMainMenu::DrawGeometry()
{
    CDevice& d = *device;
    SetMaskedStages(d);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_ALPHAREF, 1);
    const DWORD zWrite = CurrentRenderState(d, D3DRS_ZWRITEENABLE);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

    const UINT first = vertexBuffer->lockStart, start = indexBuffer->lockStart;
    d.SetTexture(0, backTexture);
    d.SetTexture(1, skyMask);
    d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, first, 4, start, 2);
    if (!leaves.empty())
    {
        d.SetTexture(0, elements);
        d.SetTexture(1, leafMask);
        d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, first + 4, UINT(leaves.size() * 4), start + 6,
                               UINT(leaves.size() * 2));
    }

    d.SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
    d.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    d.SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    SetTextureTimesDiffuse(d);
}
